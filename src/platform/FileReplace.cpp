#include "platform/FileReplace.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <random>

#include "platform/Exception.h"
#include "platform/ExecutablePath.h"

namespace vlz {
namespace {

class Descriptor {
  public:
    explicit Descriptor(int value = -1) : value_(value) {}
    ~Descriptor() { Close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    void Reset(int value) {
        Close();
        value_ = value;
    }
    int Get() const { return value_; }
    bool Valid() const { return value_ >= 0; }
    // Closes and reports whether the close succeeded (a delayed write error shows up here).
    bool Close() {
        int value = value_;
        value_ = -1;
        return value < 0 || ::close(value) == 0;
    }

  private:
    int value_;
};

[[noreturn]] void RaiseWriteError(const std::string& path, int error) {
    throw EWriteError(path + ": " + std::strerror(error));
}

bool WriteAll(int descriptor, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// A temporary file holds an exclusive lock for as long as its writer lives, so a temporary file
// that can be locked was left by a writer that died mid-save, and goes.
std::string TemporaryPrefix(const std::string& target) {
    std::string prefix = ".";
    prefix += ExtractFileName(target);
    prefix += ".~";
    return prefix;
}

void RemoveAbandonedTemporaries(const std::string& target) {
    std::string folder = ExtractFilePath(target);
    std::string prefix = TemporaryPrefix(target);
    DIR* directory = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!directory) {
        return;
    }
    while (dirent* entry = ::readdir(directory)) {
        std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix) {
            continue;
        }
        std::string path = folder + std::string(name);
        Descriptor candidate(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (candidate.Valid() && ::flock(candidate.Get(), LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(directory);
}

// Where the bytes really go: the file a symbolic link names, or the path itself.
std::string ResolveTarget(const std::string& path) {
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved)) {
            return resolved;
        }
    }
    return path;
}

void SyncFolder(const std::string& target) {
    std::string folder = ExtractFilePath(target);
    Descriptor directory(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.Valid()) {
        ::fsync(directory.Get());  // some file systems cannot sync folders; the rename stands
    }
}

// Writes `bytes` to `target` through a locked temporary file; `mode` (when set) becomes the
// permission bits of the new file.
void ReplaceWithMode(const std::string& target, std::string_view bytes,
                     std::optional<mode_t> mode) {
    RemoveAbandonedTemporaries(target);

    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string temporary;
    Descriptor file;
    for (int attempt = 0; attempt < 100 && !file.Valid(); ++attempt) {
        temporary = ExtractFilePath(target) + TemporaryPrefix(target);
        for (int i = 0; i < 8; ++i) {
            temporary += Letters[random() % (sizeof Letters - 1)];
        }
        file.Reset(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!file.Valid() && errno != EEXIST) {
            RaiseWriteError(target, errno);
        }
    }
    if (!file.Valid()) {
        RaiseWriteError(target, EEXIST);
    }
    ::flock(file.Get(), LOCK_EX);

    int error = 0;
    if (mode && ::fchmod(file.Get(), *mode) != 0) {
        error = errno;
    }
    if (!error && !WriteAll(file.Get(), bytes)) {
        error = errno;
    }
    if (!error && ::fsync(file.Get()) != 0) {
        error = errno;
    }
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error) {
        ::unlink(temporary.c_str());
        RaiseWriteError(target, error);
    }
    file.Close();
    SyncFolder(target);
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::string& path) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        throw EFOpenError(path + ": " + std::strerror(errno));
    }
    struct stat status {};
    if (::fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        throw EFOpenError(path + ": " + std::strerror(S_ISDIR(status.st_mode) ? EISDIR : EINVAL));
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw EReadError(path + ": " + std::strerror(errno));
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(count));
    }
}

void ReplaceFile(const std::string& path, std::string_view bytes) {
    std::string target = ResolveTarget(path);
    struct stat status {};
    std::optional<mode_t> mode;
    if (::stat(target.c_str(), &status) == 0) {
        mode = status.st_mode & 07777;
    }
    ReplaceWithMode(target, bytes, mode);
}

bool CopyFile(const std::string& existing, const std::string& target, bool failIfExists) {
    try {
        struct stat status {};
        if (::stat(existing.c_str(), &status) != 0) {
            return false;
        }
        if (failIfExists && ::access(target.c_str(), F_OK) == 0) {
            return false;
        }
        std::optional<std::string> bytes = ReadFileIfExists(existing);
        if (!bytes) {
            return false;
        }
        ReplaceWithMode(ResolveTarget(target), *bytes, status.st_mode & 07777);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace vlz
