#pragma once
// File-system faults that root cannot bypass, for tests that run as root too: a folder on a
// read-only mount, and a folder on a tiny file system that is full. Both are mounts made in a child
// process with a mount namespace of its own (root's own, or through a user namespace for any other
// user), so that nothing outside the child ever sees them.
//
//   RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
//       mounts.MakeReadOnly(folder.Path());
//       EXPECT_THROW(profile.Commit(), EIniFileException);
//   });
//
// The body runs in the child with the test's assertions; the test fails when an assertion failed
// there, or when the child could not have the namespace. A file system that is mounted exists only
// in the child: the body checks what it holds.

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vlz::testing {

class PrivateMounts {
  public:
    // The folder, which exists, refuses every change from here on.
    void MakeReadOnly(const std::filesystem::path& folder) {
        Check(::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr), "bind", folder);
        Check(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr),
              "remount read-only", folder);
    }

    // An empty file system of the given size on the folder, which exists.
    void MountTiny(const std::filesystem::path& folder, int kilobytes = 64) {
        const std::string options = "size=" + std::to_string(kilobytes) + "k,mode=0700";
        Check(::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()), "mount tmpfs", folder);
    }

    // Fills the file system of the folder to its last block with a file of its own.
    void FillUp(const std::filesystem::path& folder) {
        const std::string filler = (folder / "filler").string();
        const int file = ::open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(file, 0) << filler << ": " << std::strerror(errno);
        const std::vector<char> block(4096, 'x');
        for (std::size_t size = block.size(); size > 0; size /= 2) {
            while (::write(file, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        }
        ::close(file);
    }

  private:
    static void Check(int result, const char* what, const std::filesystem::path& folder) {
        ASSERT_EQ(result, 0) << what << " " << folder << ": " << std::strerror(errno);
    }
};

namespace detail {

inline bool WriteSmallFile(const char* path, const std::string& text) {
    const int file = ::open(path, O_WRONLY | O_CLOEXEC);
    if (file < 0) {
        return false;
    }
    const bool written =
        ::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(file);
    return written;
}

// A mount namespace of this process's own, whose mounts reach no other: root's directly, any
// other user's inside a user namespace where the user is root.
inline bool EnterPrivateMountNamespace() {
    if (::unshare(CLONE_NEWNS) != 0) {
        const uid_t user = ::geteuid();
        const gid_t group = ::getegid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
            !WriteSmallFile("/proc/self/setgroups", "deny") ||
            !WriteSmallFile("/proc/self/uid_map", "0 " + std::to_string(user) + " 1") ||
            !WriteSmallFile("/proc/self/gid_map", "0 " + std::to_string(group) + " 1")) {
            return false;
        }
    }
    return ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace detail

inline void RunWithPrivateMounts(const std::function<void(PrivateMounts&)>& body) {
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0) << std::strerror(errno);
    if (child == 0) {
        if (!detail::EnterPrivateMountNamespace()) {
            std::fprintf(stderr, "no mount namespace of its own for the test: %s\n",
                         std::strerror(errno));
            std::fflush(stderr);
            ::_exit(2);
        }
        PrivateMounts mounts;
        body(mounts);
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the test's child ended by signal " << WTERMSIG(status);
    EXPECT_NE(WEXITSTATUS(status), 2) << "the child could not have a mount namespace of its own";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the checks above failed in the test's child";
}

}  // namespace vlz::testing
