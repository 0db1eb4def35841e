#pragma once
// Directory enumeration with wildcards, in the place of the Windows find-file functions: the
// entries of one folder in the order the file system lists them, matched against a last path
// component that may hold `*` and `?` (without regard to ASCII letter case, as on Windows),
// each with Windows attribute bits worked out from the file itself.

#include <dirent.h>

#include <string>
#include <string_view>

namespace vlz {

constexpr unsigned faReadOnly = 0x01;   // no write permission for anyone
constexpr unsigned faHidden = 0x02;     // the name starts with a dot
constexpr unsigned faSysFile = 0x04;    // never set here
constexpr unsigned faVolumeID = 0x08;   // never set here
constexpr unsigned faDirectory = 0x10;  // a folder (or a link to one)
constexpr unsigned faArchive = 0x20;    // a regular file (or a link to one)
constexpr unsigned faAnyFile = 0x3F;

struct TFindData {
    std::string Name;  // file name and extension, no folder
    unsigned Attributes = 0;
};

// One enumeration. The folder is closed when the enumeration ends, by Close or destruction.
class TFindFile {
  public:
    TFindFile() = default;
    ~TFindFile();
    TFindFile(const TFindFile&) = delete;
    TFindFile& operator=(const TFindFile&) = delete;

    // Starts with `pattern` (a path whose last component may hold wildcards; without a folder,
    // the working directory) and gives the first match. False when nothing matches or the folder
    // cannot be read; the enumeration is then closed.
    bool First(const std::string& pattern, TFindData& data);
    // The next match, or false at the end (the enumeration is then closed).
    bool Next(TFindData& data);
    void Close();

  private:
    DIR* directory_ = nullptr;
    std::string folder_;
    std::string wildcard_;
};

// Whether `name` matches `pattern`: `*` any run of characters, `?` exactly one byte, other
// bytes equal without regard to ASCII letter case.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

}  // namespace vlz
