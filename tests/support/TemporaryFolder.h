#pragma once
// A fresh folder of its own for each test, under the system's temporary folder (or a given root),
// removed with everything in it at the end, also where the test took permissions away.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace vlz::testing {

class TemporaryFolder {
  public:
    TemporaryFolder() : TemporaryFolder(std::filesystem::temp_directory_path()) {}
    explicit TemporaryFolder(const std::filesystem::path& root) {
        std::string pattern = (root / "vlz-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::fprintf(stderr, "cannot make a temporary folder in %s: %s\n", root.c_str(),
                         std::strerror(errno));
            std::abort();
        }
        path_ = pattern;
    }
    ~TemporaryFolder() {
        MakeRemovable(path_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // A path inside the folder, as a string.
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // The names of what the folder holds, in the order the file system lists them.
    std::vector<std::string> ListedNames() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    // The same names, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names = ListedNames();
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    // Gives the owner back every folder a test locked, so that nothing stays behind; links are
    // not followed out of the folder.
    static void MakeRemovable(const std::filesystem::path& path) {
        std::error_code error;
        if (!std::filesystem::is_directory(std::filesystem::symlink_status(path, error))) {
            return;
        }
        std::filesystem::permissions(path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        for (std::filesystem::directory_iterator entry(path, error), end; !error && entry != end;
             entry.increment(error)) {
            MakeRemovable(entry->path());
        }
    }

    std::filesystem::path path_;
};

}  // namespace vlz::testing
