#pragma once
// The preferences file "<exe without extension>_pref.ini": the tray mouse-button mode, the
// auto-save interval, the count of starts, and what new notes start with. Keys the program does
// not know stay as they are; there is no backup.

#include <cstdint>
#include <string>
#include <string_view>

#include "app/core/NoteFile.h"
#include "graphics/Color.h"
#include "graphics/Font.h"

namespace vlz {

// The longest auto-save period whose milliseconds fit a signed 32-bit count.
constexpr std::int32_t MaxAutoBackupInterval = 35791;
constexpr std::int32_t DefaultAutoBackupInterval = 5;

struct TPreferences {
    std::int32_t MouseButtonMode = 0;  // as read; only the settings dialog makes it 0 or 1
    std::int32_t AutoBackupInterval = DefaultAutoBackupInterval;  // minutes; 0 = off
    std::int32_t BootCount = 0;  // starts so far, this one included once read
    TFont DefaultFont = DefaultNoteFont();
    TColor DefaultBGColor = clBlack;
    std::string DefaultCharacter = "Tobble";

    bool operator==(const TPreferences&) const = default;
};

std::string PreferencesFileName(std::string_view executablePath);

// Reads the file (a missing file or key gives the defaults) and counts this start. An interval
// below 0 reads as the default and one above MaxAutoBackupInterval as that maximum; a count that
// cannot grow any more stays at its maximum.
TPreferences ReadPreferences(std::string_view executablePath);

// Writes every value in place, in one commit. Raises EIniFileException when the file cannot be
// written; the file is then as it was.
void WritePreferences(std::string_view executablePath, const TPreferences& preferences);

}  // namespace vlz
