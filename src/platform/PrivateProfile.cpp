#include "platform/PrivateProfile.h"

#include <stdexcept>

#include "platform/FileReplace.h"

namespace vlz {

void TPrivateProfile::Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    try {
        stored_ = ReadFileIfExists(fileName_);
    } catch (const Exception&) {
        unreadable_ = true;
        stored_.reset();
    }
    document_.Parse(stored_ ? std::string_view(*stored_) : std::string_view());
}

const TIniDocument& TPrivateProfile::Document() {
    Load();
    return document_;
}

void TPrivateProfile::SetValue(std::string_view section, std::string_view key,
                               std::string_view value) {
    Load();
    try {
        document_.SetValue(section, key, value);
    } catch (const std::invalid_argument&) {
        throw EIniFileException(fileName_);
    }
}

void TPrivateProfile::EraseSection(std::string_view section) {
    Load();
    document_.EraseSection(section);
}

void TPrivateProfile::Commit() {
    if (!loaded_) {
        return;
    }
    std::string bytes = document_.Serialize();
    if (stored_ ? *stored_ == bytes : bytes.empty()) {
        return;  // nothing to write, and no empty file to create
    }
    if (unreadable_) {
        throw EIniFileException(fileName_);
    }
    try {
        ReplaceFile(fileName_, bytes);
    } catch (const Exception&) {
        throw EIniFileException(fileName_);
    }
    stored_ = std::move(bytes);
}

}  // namespace vlz
