#include "app/core/EmergencyCopies.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <utility>

#include "app/core/FileLocations.h"
#include "platform/Exception.h"
#include "platform/ExecutablePath.h"

namespace vlz {
namespace {

constexpr std::string_view Extension = ".ini";

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char character) {
        return std::isdigit(static_cast<unsigned char>(character)) != 0;
    });
}

// "20261207-221503" and the number of the copy within its second (1 for none), when `name` is
// "<stem>-20261207-221503[-N].ini"; other files of the folder are none of ours.
std::optional<std::pair<std::string, long>> CopyKey(std::string_view name, std::string_view stem) {
    if (name.size() <= stem.size() + 1 || name.substr(0, stem.size()) != stem ||
        name[stem.size()] != '-' || !name.ends_with(Extension)) {
        return std::nullopt;
    }
    std::string_view rest =
        name.substr(stem.size() + 1, name.size() - stem.size() - 1 - Extension.size());
    if (rest.size() < 15 || !AllDigits(rest.substr(0, 8)) || rest[8] != '-' ||
        !AllDigits(rest.substr(9, 6))) {
        return std::nullopt;
    }
    std::string stamp(rest.substr(0, 15));
    rest.remove_prefix(15);
    if (rest.empty()) {
        return std::make_pair(std::move(stamp), 1L);
    }
    if (rest.front() != '-' || rest.size() > 7 || !AllDigits(rest.substr(1))) {
        return std::nullopt;
    }
    return std::make_pair(std::move(stamp), std::stol(std::string(rest.substr(1))));
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

TEmergencyCopies::TEmergencyCopies(std::string folder, const std::string& noteFileName)
    : FFolder(std::move(folder)), FStem(RemoveFileExt(noteFileName)) {}

std::vector<std::string> TEmergencyCopies::Copies() const {
    std::vector<std::pair<std::pair<std::string, long>, std::string>> found;
    std::error_code error;
    if (FFolder.empty()) {
        return {};
    }
    for (std::filesystem::directory_iterator entry(FFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = entry->path().filename().string();
        if (auto key = CopyKey(name, FStem)) {
            found.emplace_back(std::move(*key), FFolder + name);
        }
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& [key, path] : found) {
        paths.push_back(std::move(path));
    }
    return paths;
}

std::string TEmergencyCopies::WriteNew(const std::vector<TNote>& notes, std::time_t moment) {
    if (FFolder.empty() || !MakeUserFolder(FFolder)) {
        throw Exception(FFolder.empty() ? std::string("控えを置くフォルダーがありません")
                                        : FFolder + " を作れません");
    }
    std::tm local{};
    ::localtime_r(&moment, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = FFolder + FStem + "-" + stamp;
    std::string path = base + std::string(Extension);
    for (int number = 2; Exists(path); ++number) {
        path = base + "-" + std::to_string(number) + std::string(Extension);
    }
    WriteNotes(RemoveFileExt(path), notes);

    // The oldest go; never the copy just written, whatever the clock said when the others were
    // made.
    std::vector<std::string> copies = Copies();
    std::erase(copies, path);
    for (std::size_t index = 0; index + KeptCopies < copies.size() + 1; ++index) {
        std::error_code ignored;
        std::filesystem::remove(copies[index], ignored);
    }
    return path;
}

void TEmergencyCopies::Rewrite(const std::string& path, const std::vector<TNote>& notes) {
    WriteNotes(RemoveFileExt(path), notes);
}

}  // namespace vlz
