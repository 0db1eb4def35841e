#include "platform/GlobalAtom.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/Cp932Case.h"

namespace vlz {
namespace {

constexpr ATOM FirstStringAtom = 0xC000;
constexpr std::size_t MaxAtomLength = 255;
constexpr std::string_view EntryPrefix = "atom-";

// "folder/name", built by appending: GCC 12 warns falsely about operator+ chains here.
std::string InFolder(std::string_view folder, std::string_view name) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += '/';
    path += name;
    return path;
}

// A folder of our own: a directory, owned by this user, that nobody else may enter.
bool IsPrivateFolder(const std::string& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid() && (status.st_mode & 077) == 0;
}

bool MakePrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return IsPrivateFolder(folder);
}

std::uint64_t Fnv1a(std::string_view bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (char byte : bytes) {
        hash = (hash ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
    }
    return hash;
}

// The entry's file name: the case-folded text, with the bytes a file name cannot hold (and '%')
// written as %XX; a text too long for a file name is named by its hash.
std::string EntryName(std::string_view text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string folded = Cp932LowerCase(text);
    std::string name(EntryPrefix);
    if (folded.size() > 120) {
        std::uint64_t hash = Fnv1a(folded);
        name += "#";
        for (int shift = 60; shift >= 0; shift -= 4) {
            name += Hex[(hash >> shift) & 0xF];
        }
        name += '-';
        name += std::to_string(folded.size());
        return name;
    }
    for (char byte : folded) {
        auto value = static_cast<unsigned char>(byte);
        if (value == '/' || value == '%' || value < 0x20) {
            name += '%';
            name += Hex[value >> 4];
            name += Hex[value & 0xF];
        } else {
            name += byte;
        }
    }
    return name;
}

std::optional<ATOM> ReadEntry(const std::string& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (descriptor < 0) {
        return std::nullopt;
    }
    char buffer[16] = {};
    ssize_t count = ::read(descriptor, buffer, sizeof buffer - 1);
    ::close(descriptor);
    if (count <= 0) {
        return std::nullopt;
    }
    long value = std::strtol(buffer, nullptr, 10);
    if (value < FirstStringAtom || value > 0xFFFF) {
        return std::nullopt;
    }
    return static_cast<ATOM>(value);
}

// Calls `visit(name, atom)` for every entry of the table until it returns true.
template <typename Visitor>
void ForEachEntry(const std::string& folder, Visitor visit) {
    DIR* directory = ::opendir(folder.c_str());
    if (!directory) {
        return;
    }
    while (dirent* entry = ::readdir(directory)) {
        std::string_view name(entry->d_name);
        if (name.substr(0, EntryPrefix.size()) != EntryPrefix) {
            continue;
        }
        if (std::optional<ATOM> atom = ReadEntry(InFolder(folder, name))) {
            if (visit(name, *atom)) {
                break;
            }
        }
    }
    ::closedir(directory);
}

// A number that no entry holds yet, spread by the text so that numbers rarely collide.
ATOM FreeAtomNumber(const std::string& folder, std::string_view name) {
    auto hash = static_cast<std::uint32_t>(Fnv1a(name));
    for (std::uint32_t probe = 0; probe < 0x4000; ++probe) {
        auto candidate = static_cast<ATOM>(FirstStringAtom + (hash + probe) % 0x4000);
        bool used = false;
        ForEachEntry(folder, [&](std::string_view, ATOM atom) {
            used = atom == candidate;
            return used;
        });
        if (!used) {
            return candidate;
        }
    }
    return 0;
}

}  // namespace

std::string GlobalAtomFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string folder;
    if (runtime && *runtime == '/' && IsPrivateFolder(runtime)) {
        folder = std::string(runtime) + "/vlz-atoms";
    } else {
        folder = "/tmp/vlz-atoms-";
        folder += std::to_string(::geteuid());
    }
    return MakePrivateFolder(folder) ? folder : std::string();
}

ATOM GlobalFindAtom(std::string_view text) {
    std::string folder = GlobalAtomFolder();
    if (folder.empty() || text.empty() || text.size() > MaxAtomLength) {
        return 0;
    }
    return ReadEntry(InFolder(folder, EntryName(text))).value_or(0);
}

ATOM GlobalAddAtomExclusive(std::string_view text, bool& created) {
    created = false;
    std::string folder = GlobalAtomFolder();
    if (folder.empty() || text.empty() || text.size() > MaxAtomLength) {
        return 0;
    }
    std::string name = EntryName(text);
    std::string path = InFolder(folder, name);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (std::optional<ATOM> existing = ReadEntry(path)) {
            return *existing;
        }
        // The entry appears with its number in one step: written under a private name first,
        // then linked to its own name, which fails when another process was quicker.
        ATOM atom = FreeAtomNumber(folder, name);
        if (atom == 0) {
            return 0;
        }
        std::string draft =
            InFolder(folder, "draft-" + std::to_string(::getpid()) + '-' + std::to_string(attempt));
        int descriptor =
            ::open(draft.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (descriptor < 0) {
            return 0;
        }
        std::string number = std::to_string(atom) + "\n";
        bool written = ::write(descriptor, number.data(), number.size()) ==
                       static_cast<ssize_t>(number.size());
        ::close(descriptor);
        int linked = written ? ::link(draft.c_str(), path.c_str()) : -1;
        int linkError = errno;
        ::unlink(draft.c_str());
        if (linked == 0) {
            created = true;
            return atom;
        }
        if (!written || linkError != EEXIST) {
            return 0;
        }
        // Another process added it first: take its number. Entries appear whole, so one that
        // cannot be read is broken, and goes.
        if (std::optional<ATOM> existing = ReadEntry(path)) {
            return *existing;
        }
        ::unlink(path.c_str());
    }
    return 0;
}

ATOM GlobalAddAtom(std::string_view text) {
    bool created = false;
    return GlobalAddAtomExclusive(text, created);
}

ATOM GlobalDeleteAtom(ATOM atom) {
    std::string folder = GlobalAtomFolder();
    if (folder.empty() || atom < FirstStringAtom) {
        return 0;
    }
    ForEachEntry(folder, [&](std::string_view name, ATOM entry) {
        if (entry == atom) {
            ::unlink(InFolder(folder, name).c_str());
            return true;
        }
        return false;
    });
    return 0;
}

}  // namespace vlz
