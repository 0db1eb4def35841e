#include "platform/FindFile.h"

#include <sys/stat.h>

#include "platform/Cp932Case.h"

namespace vlz {
namespace {

unsigned AttributesOf(const std::string& path, std::string_view name) {
    unsigned attributes = 0;
    struct stat status {};
    // Links are judged by what they point at; a dangling one by the link itself.
    if (::stat(path.c_str(), &status) != 0 && ::lstat(path.c_str(), &status) != 0) {
        return name.starts_with('.') ? faHidden : 0;
    }
    if (S_ISDIR(status.st_mode)) {
        attributes |= faDirectory;
    } else if (S_ISREG(status.st_mode)) {
        attributes |= faArchive;
    }
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        attributes |= faReadOnly;
    }
    if (name.starts_with('.')) {
        attributes |= faHidden;
    }
    return attributes;
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
    // Greedy matching with one backtrack point: the last `*` seen.
    std::size_t p = 0;
    std::size_t n = 0;
    std::size_t star = std::string_view::npos;
    std::size_t resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

TFindFile::~TFindFile() {
    Close();
}

bool TFindFile::First(const std::string& pattern, TFindData& data) {
    Close();
    std::size_t slash = pattern.rfind('/');
    std::string_view folder = std::string_view(pattern).substr(0, slash);
    if (slash == std::string::npos) {
        folder = ".";
    } else if (slash == 0) {
        folder = "/";
    }
    folder_.assign(folder.data(), folder.size());
    wildcard_ = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    directory_ = ::opendir(folder_.c_str());
    if (directory_ == nullptr) {
        return false;
    }
    return Next(data);
}

bool TFindFile::Next(TFindData& data) {
    if (directory_ == nullptr) {
        return false;
    }
    while (const dirent* entry = ::readdir(directory_)) {
        std::string_view name = entry->d_name;
        // The folder itself and its parent are never what a caller looks for.
        if (name == "." || name == ".." || !MatchesWildcard(wildcard_, name)) {
            continue;
        }
        data.Name = name;
        std::string path = folder_;
        path += '/';
        path += name;
        data.Attributes = AttributesOf(path, name);
        return true;
    }
    Close();
    return false;
}

void TFindFile::Close() {
    if (directory_ != nullptr) {
        ::closedir(directory_);
        directory_ = nullptr;
    }
}

}  // namespace vlz
