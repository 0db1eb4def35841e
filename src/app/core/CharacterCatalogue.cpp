#include "app/core/CharacterCatalogue.h"

#include <sys/stat.h>

#include <cstdio>

#include "app/core/ApplicationTitle.h"
#include "app/core/FileSearch.h"
#include "platform/ExceptionText.h"
#include "platform/FindFile.h"
#include "platform/MessageBox.h"

namespace vlz {
namespace {

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string WithSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

}  // namespace

TCharacterCatalogue::TCharacterCatalogue(std::string programFolder)
    : TCharacterCatalogue(std::vector<std::string>{std::move(programFolder)}) {}

TCharacterCatalogue::TCharacterCatalogue(std::vector<std::string> folders)
    : folders_(std::move(folders)) {
    for (std::string& folder : folders_) {
        folder = WithSeparator(std::move(folder));
    }
}

TCharacterCatalogue::~TCharacterCatalogue() = default;

bool TCharacterCatalogue::LoadCharacters() {
    std::vector<std::string> paths;
    for (const std::string& folder : folders_) {
        std::vector<std::string> names;
        // Every attribute is allowed: hidden packages count, and so does a folder named "x.vlf".
        SearchFiles(folder + "*.vlf", faAnyFile, names);
        for (const std::string& name : names) {
            paths.push_back(folder + name);
        }
    }
    for (const std::string& path : paths) {
        // A folder is no package: it is passed over without a word, as the reader passes over
        // a file that cannot be opened.
        if (IsFolder(path)) {
            continue;
        }
        auto character = std::make_unique<TSprite>();
        try {
            character->LoadFromFile(path);
        } catch (...) {
            // A package cut short, an empty file, a link to nothing: the user is told, and only
            // that character is missing in this run. The box keeps the loader's own words; which
            // file it was goes to standard error.
            const std::string message = ExceptionText(std::current_exception());
            std::fprintf(stderr, "VLZozed: %s: %s\n", path.c_str(), message.c_str());
            ShowMessageBox(message, ApplicationTitle, MB_OK | MB_ICONERROR);
            leftOut_ = true;
            continue;
        }
        Characters.push_back(std::move(character));
    }
    if (Characters.empty()) {
        FailStartUp();
        return false;
    }
    loaded_ = true;
    return true;
}

void TCharacterCatalogue::FailStartUp() {
    ShowMessageBox(NoCharacterMessage, ApplicationTitle, MB_OK | MB_ICONERROR);
    Characters.push_back(std::make_unique<TSprite>());
}

std::optional<std::int32_t> TCharacterCatalogue::IndexOf(std::string_view name) const {
    for (std::size_t i = 0; i < Characters.size(); ++i) {
        if (Characters[i]->Name == name) {
            return static_cast<std::int32_t>(i);
        }
    }
    return std::nullopt;
}

std::int32_t TCharacterCatalogue::FindCharacter(std::string_view name) const {
    return IndexOf(name).value_or(0);
}

bool TCharacterCatalogue::HasCharacter(std::string_view name) const {
    return IndexOf(name).has_value();
}

TSprite* TCharacterCatalogue::CharacterAt(std::int32_t index) const {
    if (index >= 0 && index < CharacterCount()) {
        return Characters[static_cast<std::size_t>(index)].get();
    }
    return Characters.empty() ? nullptr : Characters.front().get();
}

}  // namespace vlz
