#include "platform/ExecutablePath.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

TEST(ExecutablePath, NamesThisTestProgram) {
    std::string path = ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(ExtractFileName(path), "platform_tests");
    EXPECT_EQ(ExecutableFolder() + "platform_tests", path);
}

TEST(FileNames, DeriveTheProgramsFilesFromItsPath) {
    EXPECT_EQ(ChangeFileExt("/opt/notes/VLZozed", ".ini"), "/opt/notes/VLZozed.ini");
    EXPECT_EQ(ChangeFileExt("/opt/notes/Notes.exe", ".bak"), "/opt/notes/Notes.bak");
    EXPECT_EQ(RemoveFileExt("/opt/notes/Notes.exe") + "_pref.ini", "/opt/notes/Notes_pref.ini");
    EXPECT_EQ(ExtractFileName("/opt/notes/Notes.exe"), "Notes.exe");
    EXPECT_EQ(ExtractFilePath("/opt/notes/Notes.exe"), "/opt/notes/");
    EXPECT_EQ(ExtractFileExt("/opt/notes/Notes.exe"), ".exe");
}

TEST(FileNames, DotsInFoldersOrLeadingTheNameAreNoExtension) {
    EXPECT_EQ(ChangeFileExt("/home/u/v1.2/VLZozed", ".ini"), "/home/u/v1.2/VLZozed.ini");
    EXPECT_EQ(ChangeFileExt("/home/u/.notes", ".ini"), "/home/u/.notes.ini");
    EXPECT_EQ(ExtractFileExt("/home/u/.notes"), "");
    EXPECT_EQ(ExtractFileName("VLZozed"), "VLZozed");
    EXPECT_EQ(ExtractFilePath("VLZozed"), "");
    EXPECT_EQ(ChangeFileExt("a.tar.gz", ".ini"), "a.tar.ini");
}

}  // namespace
}  // namespace vlz
