#include "app/core/Preferences.h"

#include <algorithm>
#include <limits>

#include "platform/ExecutablePath.h"

namespace vlz {
namespace {

constexpr const char* DefaultsSection = "DefaultZozedProperty";

}  // namespace

std::string PreferencesFileName(std::string_view executablePath) {
    return RemoveFileExt(executablePath) + "_pref.ini";
}

TPreferences ReadPreferences(std::string_view executablePath) {
    TIniFile file(PreferencesFileName(executablePath));
    TPreferences preferences;
    preferences.MouseButtonMode = file.ReadInteger("Interface", "MouseButtonMode", 0);

    std::int32_t interval =
        file.ReadInteger("System", "AutoBackupInterval", DefaultAutoBackupInterval);
    // A negative period means nothing; it must not switch the safety net of auto-saving off.
    if (interval < 0) {
        interval = DefaultAutoBackupInterval;
    }
    preferences.AutoBackupInterval = std::min(interval, MaxAutoBackupInterval);

    preferences.DefaultFont = ReadFont(file, DefaultsSection);
    preferences.DefaultBGColor = file.ReadInteger(DefaultsSection, "BGColor", clBlack);
    preferences.DefaultCharacter = file.ReadString(DefaultsSection, "Character", "Tobble");

    std::int32_t bootCount = file.ReadInteger("System", "BootCount", 0);
    preferences.BootCount =
        bootCount < std::numeric_limits<std::int32_t>::max() ? bootCount + 1 : bootCount;
    return preferences;
}

void WritePreferences(std::string_view executablePath, const TPreferences& preferences) {
    TIniFile file(PreferencesFileName(executablePath));
    file.WriteInteger("Interface", "MouseButtonMode", preferences.MouseButtonMode);
    file.WriteInteger("System", "AutoBackupInterval", preferences.AutoBackupInterval);
    WriteFont(file, DefaultsSection, preferences.DefaultFont);
    file.WriteInteger(DefaultsSection, "BGColor", preferences.DefaultBGColor);
    file.WriteString(DefaultsSection, "Character", preferences.DefaultCharacter);
    file.WriteInteger("System", "BootCount", preferences.BootCount);
    file.UpdateFile();
}

}  // namespace vlz
