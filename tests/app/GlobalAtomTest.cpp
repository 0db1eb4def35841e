#include "platform/GlobalAtom.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/core/SingleInstance.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

class GlobalAtomTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::chmod(runtime_.Path().c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", runtime_.Path().c_str(), 1);
    }
    testing::TemporaryFolder runtime_;
};

TEST_F(GlobalAtomTest, AddsFindsAndDeletesWithoutRegardToCase) {
    EXPECT_EQ(GlobalFindAtom("VLZozed"), 0);
    ATOM atom = GlobalAddAtom("VLZozed");
    EXPECT_GE(atom, 0xC000);
    EXPECT_EQ(GlobalFindAtom("vlzozed"), atom);
    EXPECT_EQ(GlobalAddAtom("VLZOZED"), atom);
    ATOM other = GlobalAddAtom("Notes/with%odd\x01name");
    EXPECT_NE(other, 0);
    EXPECT_NE(other, atom);
    GlobalDeleteAtom(atom);
    EXPECT_EQ(GlobalFindAtom("VLZozed"), 0);
    EXPECT_EQ(GlobalFindAtom("Notes/with%odd\x01name"), other);
}

TEST_F(GlobalAtomTest, RefusesTextsItCannotHold) {
    EXPECT_EQ(GlobalAddAtom(""), 0);
    EXPECT_EQ(GlobalAddAtom(std::string(256, 'a')), 0);
    ATOM longest = GlobalAddAtom(std::string(255, 'a'));
    EXPECT_NE(longest, 0);
    EXPECT_EQ(GlobalFindAtom(std::string(255, 'A')), longest);
    EXPECT_EQ(GlobalFindAtom(std::string(254, 'a')), 0);
}

TEST_F(GlobalAtomTest, NeverUsesAFolderOthersCanEnter) {
    ::chmod(runtime_.Path().c_str(), 0777);
    std::string folder = GlobalAtomFolder();
    EXPECT_EQ(folder.rfind(runtime_.Path().string(), 0), std::string::npos);
    ::chmod(runtime_.Path().c_str(), 0700);
    ::mkdir((runtime_.Path() / "vlz-atoms").c_str(), 0755);
    ::chmod((runtime_.Path() / "vlz-atoms").c_str(), 0755);
    EXPECT_EQ(GlobalAtomFolder().rfind(runtime_.Path().string(), 0), std::string::npos);
}

TEST_F(GlobalAtomTest, AnAtomThatCannotBeAddedIsReportedAndTheStartGoesOn) {
    testing::ScriptedMessageBoxes boxes;
    ATOM marker = 1;
    EXPECT_FALSE(CheckPrevInstance(marker, std::string(300, 'n')));
    EXPECT_EQ(marker, 0);
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "Error");
    EXPECT_EQ(boxes.Boxes[0].Text, "cannot register atom");
    EXPECT_EQ(boxes.Boxes[0].Flags, 16u);
}

TEST_F(GlobalAtomTest, AStartWithoutARunningWindowHoldsTheAtomUntilItsEnd) {
    ATOM marker = 0;
    EXPECT_FALSE(CheckPrevInstance(marker, "VLZozed"));
    EXPECT_EQ(GlobalFindAtom("VLZozed"), marker);
    ATOM second = 0;
    EXPECT_FALSE(CheckPrevInstance(second, "VLZozed"));  // no window: taken over, as after a crash
    EXPECT_EQ(second, marker);
    ReleaseInstanceMarker(marker);
    EXPECT_EQ(marker, 0);
    EXPECT_EQ(GlobalFindAtom("VLZozed"), 0);
}

}  // namespace
}  // namespace vlz
