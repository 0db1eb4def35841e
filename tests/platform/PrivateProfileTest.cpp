#include "platform/PrivateProfile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "platform/FileReplace.h"
#include "support/PrivateMounts.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

using testing::TemporaryFolder;

std::string Contents(const std::string& path) {
    return ReadFileIfExists(path).value_or("<none>");
}

void Store(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(PrivateProfile, ReadsNothingUntilUsedAndAMissingFileIsEmpty) {
    TemporaryFolder folder;
    TPrivateProfile profile(folder / "a.ini");
    EXPECT_EQ(profile.Document().SectionCount(), 0u);
    profile.Commit();  // nothing changed: nothing created
    EXPECT_EQ(Contents(folder / "a.ini"), "<none>");
}

TEST(PrivateProfile, CommitsAllChangesInOneWriteAndLeavesNoTemporaryFiles) {
    TemporaryFolder folder;
    std::string path = folder / "a.ini";
    Store(path, "[A]\r\nx=1\r\n");
    TPrivateProfile profile(path);
    profile.SetValue("A", "x", "2");
    profile.SetValue("B", "y", "3");
    EXPECT_EQ(Contents(path), "[A]\r\nx=1\r\n");  // not yet
    profile.Commit();
    EXPECT_EQ(Contents(path), "[A]\r\nx=2\r\n[B]\r\ny=3\r\n");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"a.ini"}));
}

TEST(PrivateProfile, KeepsThePermissionBitsOfTheFile) {
    TemporaryFolder folder;
    std::string path = folder / "a.ini";
    Store(path, "");
    ::chmod(path.c_str(), 0640);
    TPrivateProfile profile(path);
    profile.SetValue("A", "x", "1");
    profile.Commit();
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

// A commit that the file system refuses raises the write error and leaves the old file and no
// temporary file behind.
void ExpectARefusedCommitKeepsTheOldFile(const TemporaryFolder& folder) {
    const std::string path = folder / "a.ini";
    TPrivateProfile profile(path);
    profile.SetValue("A", "x", "2");
    try {
        profile.Commit();
        ADD_FAILURE() << "the commit should have failed";
    } catch (const EIniFileException& error) {
        EXPECT_EQ(std::string(error.what()), path + " に書き込めません");
    }
    EXPECT_EQ(Contents(path), "[A]\r\nx=1\r\n");
    std::vector<std::string> names = folder.Names();
    std::erase(names, "filler");
    EXPECT_EQ(names, (std::vector<std::string>{"a.ini"}));
}

TEST(PrivateProfile, AFailedCommitRaisesTheWriteErrorAndKeepsTheOldFile) {
    TemporaryFolder folder;
    Store(folder / "a.ini", "[A]\r\nx=1\r\n");
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        mounts.MakeReadOnly(folder.Path());
        ExpectARefusedCommitKeepsTheOldFile(folder);
    });
    EXPECT_EQ(Contents(folder / "a.ini"), "[A]\r\nx=1\r\n");
}

TEST(PrivateProfile, ACommitOnAFullDiskRaisesTheWriteErrorAndKeepsTheOldFile) {
    TemporaryFolder folder;
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        mounts.MountTiny(folder.Path());
        Store(folder / "a.ini", "[A]\r\nx=1\r\n");
        mounts.FillUp(folder.Path());
        ExpectARefusedCommitKeepsTheOldFile(folder);
    });
}

TEST(PrivateProfile, NeverOverwritesAFileItCouldNotRead) {
    TemporaryFolder folder;
    std::string path = folder / "a.ini";
    std::filesystem::create_directory(path);  // exists, but cannot be read as a file
    TPrivateProfile profile(path);
    profile.SetValue("A", "x", "1");
    EXPECT_THROW(profile.Commit(), EIniFileException);
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(PrivateProfile, WritesThroughASymbolicLinkToItsFile) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder.Path() / "real");
    Store(folder / "real/a.ini", "");
    std::filesystem::create_symlink(folder.Path() / "real/a.ini", folder.Path() / "a.ini");
    TPrivateProfile profile(folder / "a.ini");
    profile.SetValue("A", "x", "1");
    profile.Commit();
    EXPECT_TRUE(std::filesystem::is_symlink(folder.Path() / "a.ini"));
    EXPECT_EQ(Contents(folder / "real/a.ini"), "[A]\r\nx=1\r\n");
}

TEST(FileReplace, RemovesTemporariesThatADeadWriterLeftBehind) {
    TemporaryFolder folder;
    std::string path = folder / "a.ini";
    Store(folder / ".a.ini.~deadbeef", "half a file");
    Store(folder / ".other.ini.~deadbeef", "someone else's");
    ReplaceFile(path, "new");
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{".other.ini.~deadbeef", "a.ini"}));
}

TEST(FileReplace, CopyOverwritesTheTargetAndIgnoresAMissingSource) {
    TemporaryFolder folder;
    Store(folder / "a", "source");
    Store(folder / "b", "old target");
    EXPECT_TRUE(CopyFile(folder / "a", folder / "b", false));
    EXPECT_EQ(Contents(folder / "b"), "source");
    EXPECT_FALSE(CopyFile(folder / "missing", folder / "b", false));
    EXPECT_EQ(Contents(folder / "b"), "source");
    Store(folder / "a", "changed");
    EXPECT_FALSE(CopyFile(folder / "a", folder / "b", true));
    EXPECT_EQ(Contents(folder / "b"), "source");
}

}  // namespace
}  // namespace vlz
