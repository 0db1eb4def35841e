#include "app/core/FileLocations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/Exception.h"
#include "platform/ExecutablePath.h"

namespace vlz {
namespace {

constexpr std::string_view ProgramFolderName = "vlzozed/";

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// $HOME, or the home folder of the password database when HOME is unset or not absolute; empty
// when neither names one.
std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') {
        return home;
    }
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

// One of the XDG base folders, with a trailing '/': the variable when it holds an absolute path
// (the rule says a relative one is invalid and ignored), else the default under the home folder.
std::string BaseFolder(const char* variable, std::string_view underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return WithSeparator(value);
    }
    std::string home = HomeFolder();
    if (home.empty()) {
        return {};
    }
    return WithSeparator(std::move(home)) + std::string(underHome);
}

// "/usr/bin/" → "/usr/". The executable's path comes resolved from the system, so the folder
// above is its lexical parent.
std::string ParentFolder(const std::string& folder) {
    std::string parent = folder;
    while (parent.size() > 1 && parent.back() == '/') {
        parent.pop_back();
    }
    std::size_t slash = parent.rfind('/');
    return slash == std::string::npos ? std::string("./") : parent.substr(0, slash + 1);
}

// Two names for one folder (an installation whose prefix is ~/.local meets the user's own
// characters folder there): the same file system object, or the same text when neither exists.
bool SameFolder(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    bool firstExists = ::stat(first.c_str(), &a) == 0;
    bool secondExists = ::stat(second.c_str(), &b) == 0;
    if (firstExists && secondExists) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    return !firstExists && !secondExists && first == second;
}

// The parts both modes share: the user's state and autostart folders.
void LocateUserFiles(TFileLocations& files) {
    std::string state = BaseFolder("XDG_STATE_HOME", ".local/state/");
    std::string config = BaseFolder("XDG_CONFIG_HOME", ".config/");
    files.EmergencyFolder = state.empty() ? std::string() : state + std::string(ProgramFolderName);
    files.AutostartEntry =
        config.empty() ? std::string() : config + "autostart/" + ApplicationId + ".desktop";
}

}  // namespace

TFileLocations PortableFileLocations(std::string_view executablePath) {
    TFileLocations files;
    files.Installed = false;
    files.SettingsBase = std::string(executablePath);
    std::string folder = ExtractFilePath(executablePath);
    files.SettingsFolder = folder.empty() ? std::string("./") : folder;
    files.CharacterFolders = {files.SettingsFolder};
    LocateUserFiles(files);
    return files;
}

TFileLocations LocateFiles(std::string_view executablePath) {
    std::string programFolder = ExtractFilePath(executablePath);
    if (programFolder.empty() || !IsFolder(programFolder + "../share/vlzozed")) {
        return PortableFileLocations(executablePath);
    }
    TFileLocations files;
    files.Installed = true;
    std::string config = BaseFolder("XDG_CONFIG_HOME", ".config/");
    std::string data = BaseFolder("XDG_DATA_HOME", ".local/share/");
    if (config.empty() || data.empty()) {
        throw Exception(
            "ホームフォルダーが見つからないため、付箋を保存する場所がありません "
            "(HOME または XDG_CONFIG_HOME を設定してください)。");
    }
    files.SettingsFolder = config + std::string(ProgramFolderName);
    files.SettingsBase = files.SettingsFolder + ExtractFileName(executablePath);
    std::string shipped = ParentFolder(programFolder) + "share/vlzozed/characters/";
    std::string own = data + std::string(ProgramFolderName) + "characters/";
    files.CharacterFolders = {shipped};
    if (!SameFolder(shipped, own)) {
        files.CharacterFolders.push_back(own);
    }
    LocateUserFiles(files);
    return files;
}

bool MakeUserFolder(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    std::string path = WithSeparator(folder);
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return IsFolder(path);
}

}  // namespace vlz
