#include "platform/MimeAssociations.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/DesktopEntry.h"

namespace vlz {
namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// A colon-separated folder list; relative entries are invalid and skipped.
std::vector<std::string> FolderList(const std::string& value, const std::string& fallback) {
    std::vector<std::string> folders;
    std::string_view list = value.empty() ? std::string_view(fallback) : std::string_view(value);
    while (!list.empty()) {
        std::size_t colon = list.find(':');
        std::string_view folder = list.substr(0, colon);
        if (!folder.empty() && folder.front() == '/') {
            folders.emplace_back(folder);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        list.remove_prefix(colon + 1);
    }
    return folders;
}

// The user's own folder: the variable when it holds an absolute path, else $HOME + suffix.
std::vector<std::string> UserFolder(const char* name, const char* homeSuffix) {
    std::string value = Variable(name);
    if (!value.empty() && value.front() == '/') {
        return {value};
    }
    std::string home = Variable("HOME");
    if (home.empty()) {
        return {};
    }
    return {home + homeSuffix};
}

std::vector<std::string> DataFolders() {
    std::vector<std::string> folders = UserFolder("XDG_DATA_HOME", "/.local/share");
    for (std::string& folder :
         FolderList(Variable("XDG_DATA_DIRS"), "/usr/local/share:/usr/share")) {
        folders.push_back(std::move(folder));
    }
    return folders;
}

// mimeapps.list files in the order of the association rules: per folder, the desktop-specific
// lists of $XDG_CURRENT_DESKTOP first, then the plain one.
std::vector<std::string> AssociationFiles() {
    std::vector<std::string> folders = UserFolder("XDG_CONFIG_HOME", "/.config");
    for (std::string& folder : FolderList(Variable("XDG_CONFIG_DIRS"), "/etc/xdg")) {
        folders.push_back(std::move(folder));
    }
    for (std::string& folder : ApplicationFolders()) {
        folders.push_back(std::move(folder));
    }
    std::vector<std::string> desktops;
    std::string current = Variable("XDG_CURRENT_DESKTOP");
    std::string_view names = current;
    while (!names.empty()) {
        std::size_t colon = names.find(':');
        std::string name(names.substr(0, colon));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!name.empty()) {
            desktops.push_back(name);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        names.remove_prefix(colon + 1);
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders) {
        for (const std::string& desktop : desktops) {
            files.push_back(folder + '/' + desktop + "-mimeapps.list");
        }
        files.push_back(folder + "/mimeapps.list");
    }
    return files;
}

// The ids listed for the MIME type in one group of a list file (semicolon-separated).
std::vector<std::string> ListedIds(const std::string& file, std::string_view group,
                                   std::string_view mimeType) {
    std::vector<std::string> ids;
    ForEachKeyFileEntry(file, group, [&](std::string_view key, std::string_view list) {
        if (key != mimeType) {
            return;
        }
        while (!list.empty()) {
            std::size_t semicolon = list.find(';');
            std::string_view id = TrimKeyFileText(list.substr(0, semicolon));
            if (!id.empty()) {
                ids.emplace_back(id);
            }
            if (semicolon == std::string_view::npos) {
                break;
            }
            list.remove_prefix(semicolon + 1);
        }
    });
    return ids;
}

bool IsFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// An id's dashes may stand for subfolders of the applications folder.
std::optional<std::string> Locate(const std::string& folder, std::string_view id) {
    std::string direct = folder + '/' + std::string(id);
    if (IsFile(direct)) {
        return direct;
    }
    for (std::size_t dash = id.find('-'); dash != std::string_view::npos;
         dash = id.find('-', dash + 1)) {
        std::string subfolder = folder + '/' + std::string(id.substr(0, dash));
        if (IsFolder(subfolder)) {
            if (auto found = Locate(subfolder, id.substr(dash + 1))) {
                return found;
            }
        }
    }
    return std::nullopt;
}

bool IsInstalled(const std::string& id) {
    auto file = FindDesktopEntryFile(id);
    return file && ReadDesktopEntry(*file).has_value();
}

}  // namespace

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    for (std::string& folder : DataFolders()) {
        folders.push_back(folder + "/applications");
    }
    return folders;
}

std::optional<std::string> FindDesktopEntryFile(std::string_view desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string_view::npos ||
        desktopId.find("..") != std::string_view::npos) {
        return std::nullopt;
    }
    for (const std::string& folder : ApplicationFolders()) {
        if (auto found = Locate(folder, desktopId)) {
            return found;
        }
    }
    return std::nullopt;
}

std::optional<std::string> DefaultApplication(std::string_view mimeType) {
    std::vector<std::string> files = AssociationFiles();
    for (const std::string& file : files) {
        for (const std::string& id : ListedIds(file, "Default Applications", mimeType)) {
            if (IsInstalled(id)) {
                return id;
            }
        }
    }
    // A removal in a list hides the additions of that list and of the less important ones.
    std::set<std::string> removed;
    for (const std::string& file : files) {
        for (std::string& id : ListedIds(file, "Removed Associations", mimeType)) {
            removed.insert(std::move(id));
        }
        for (const std::string& id : ListedIds(file, "Added Associations", mimeType)) {
            if (!removed.count(id) && IsInstalled(id)) {
                return id;
            }
        }
    }
    for (const std::string& folder : ApplicationFolders()) {
        for (const std::string& id :
             ListedIds(folder + "/mimeinfo.cache", "MIME Cache", mimeType)) {
            if (!removed.count(id) && IsInstalled(id)) {
                return id;
            }
        }
    }
    return std::nullopt;
}

}  // namespace vlz
