// A save killed at any moment must leave the note file whole: the old version or the new one.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "app/core/NoteFile.h"
#include "platform/FileReplace.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

constexpr int NoteCount = 3000;
constexpr int Rounds = 200;

std::vector<TNote> Version(int version) {
    std::vector<TNote> notes(NoteCount);
    for (int i = 0; i < NoteCount; ++i) {
        notes[i].Memo =
            "版 " + std::to_string(version) + " の付箋 " + std::to_string(i) + "\r\n表示";
        notes[i].WindowLeft = version;
        notes[i].WindowTop = i;
    }
    return notes;
}

// A kill tests the order of the writes, not their flush to the disk (which serves power loss), so
// the test runs in memory where it can: every save then costs only its own work.
std::filesystem::path FastFolderRoot() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) {
        return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

TEST(NoteFileUnderKill, AlwaysLeavesTheOldOrTheNewVersionWhole) {
    testing::TemporaryFolder folder(FastFolderRoot());
    std::string base = folder / "VLZozed";
    const std::vector<TNote> versions[2] = {Version(0), Version(1)};

    // The exact bytes of both versions, and how long one save takes here.
    std::string bytes[2];
    auto start = std::chrono::steady_clock::now();
    for (int version : {1, 0}) {
        WriteNotes(base, versions[version]);
        bytes[version] = *ReadFileIfExists(folder / "VLZozed.ini");
    }
    auto saveMicroseconds = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count() /
                            2;
    ASSERT_NE(bytes[0], bytes[1]);

    // Kill moments are drawn up to a bound that follows the commits: it shrinks after a kill that
    // came too late and grows after one that came too early, so kills cluster around the rename.
    std::mt19937 random(20261207);
    double bound = static_cast<double>(saveMicroseconds);
    int current = 0;
    int changes = 0;
    for (int round = 1; round <= Rounds; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // One save, then wait for the kill: the outcome is either version, never a mix.
            try {
                WriteNotes(base, versions[1 - current]);
            } catch (...) {
                ::_exit(1);
            }
            for (;;) {
                ::pause();
            }
        }
        ::usleep(static_cast<useconds_t>(std::uniform_real_distribution<>(0, bound)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended on its own";

        std::string stored = ReadFileIfExists(folder / "VLZozed.ini").value_or("<none>");
        ASSERT_TRUE(stored == bytes[0] || stored == bytes[1])
            << "round " << round << ": the note file is damaged (" << stored.size() << " bytes)";
        int now = stored == bytes[0] ? 0 : 1;
        changes += now != current;
        bound = std::clamp(bound * (now != current ? 0.9 : 1.15), 1000.0, 5e6);
        current = now;
        if (round % 50 == 0) {
            EXPECT_EQ(ReadNotes(base), versions[current]);
        }
    }
    // Kills landed both before and after the commit: both outcomes were exercised.
    EXPECT_GT(changes, 0);
    EXPECT_LT(changes, Rounds);

    // The next save clears away the temporary files that the killed saves left behind.
    WriteNotes(base, versions[1 - current]);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"VLZozed.ini"}));
}

TEST(NoteFileUnderKill, BackupsAreCopiedWholeToo) {
    testing::TemporaryFolder folder(FastFolderRoot());
    std::string base = folder / "VLZozed";
    WriteNotes(base, Version(0));
    std::string original = *ReadFileIfExists(folder / "VLZozed.ini");
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (;;) {
                RotateBackups(base);
            }
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 20000)(random));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        for (const char* backup : {"VLZozed.bak", "VLZozed.bk2"}) {
            std::optional<std::string> stored = ReadFileIfExists(folder / backup);
            ASSERT_TRUE(!stored || *stored == original) << backup << " is damaged";
        }
    }
}

}  // namespace
}  // namespace vlz
