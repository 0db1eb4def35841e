#include "app/core/CharacterCatalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "characters/BmpBuilder.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "platform/Cp932.h"
#include "platform/Stream.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;
using namespace vlz::testing;

class CharacterCatalogueTest : public ::testing::Test {
  protected:
    void AddPackage(const std::string& file, const std::string& name) {
        AddFile(file,
                MakeCharacterPackage(Description(name, 1, 1, 1), MakeBmp(1, 1, 24, {0xFF00FF})));
    }
    void AddFile(const std::string& file, const std::vector<std::uint8_t>& bytes) {
        TFileStream stream((folder_ / file).string(), TFileStream::Mode::Create);
        stream.WriteBuffer(bytes.data(), bytes.size());
    }
    testing::ScriptedMessageBoxes boxes_;
    testing::TemporaryFolder temporary_;
    const fs::path folder_ = temporary_.Path();
};

TEST_F(CharacterCatalogueTest, KeepsTheFileSystemOrderAndLooksNamesUpExactly) {
    AddPackage("c.vlf", "Crow");
    AddPackage("a.vlf", "Ant");
    AddPackage("b.vlf", "Bee");
    AddPackage(".hidden.vlf", "Hidden");
    fs::create_directory(folder_ / "sub");
    AddPackage("sub/deep.vlf", "Deep");
    AddFile("notes.txt", {});

    TCharacterCatalogue catalogue(folder_.string());
    ASSERT_TRUE(catalogue.LoadCharacters());
    EXPECT_TRUE(catalogue.Loaded());
    EXPECT_TRUE(boxes_.Boxes.empty());

    std::map<std::string, std::string> names{
        {"c.vlf", "Crow"}, {"a.vlf", "Ant"}, {"b.vlf", "Bee"}, {".hidden.vlf", "Hidden"}};
    std::vector<std::string> expected;
    for (const std::string& file : temporary_.ListedNames()) {
        if (names.count(file) != 0) {
            expected.push_back(names[file]);
        }
    }
    ASSERT_EQ(catalogue.CharacterCount(), 4);
    for (std::int32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(catalogue.CharacterAt(i)->Name, expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(catalogue.FindCharacter(expected[static_cast<std::size_t>(i)]), i);
    }
    EXPECT_EQ(catalogue.FindCharacter("Deep"), 0);  // sub-folders are not searched
    EXPECT_EQ(catalogue.FindCharacter(expected[2] + "x"), 0);
    std::string otherCase = expected[3];
    otherCase[0] = static_cast<char>(std::tolower(otherCase[0]));
    EXPECT_EQ(catalogue.FindCharacter(otherCase), 0);
    EXPECT_EQ(catalogue.CharacterAt(-1), catalogue.CharacterAt(0));
    EXPECT_EQ(catalogue.CharacterAt(4), catalogue.CharacterAt(0));
}

TEST_F(CharacterCatalogueTest, SharedNamesResolveToTheFirstListed) {
    AddPackage("one.vlf", "Twin");
    AddPackage("two.vlf", "Twin");
    AddFile("nameless.vlf", MakeCharacterPackage("PatternWidth=1\r\nPatternHeight=1\r\n"
                                                 "PatternCount=1\r\nAnimationInterval=5\r\n",
                                                 MakeBmp(1, 1, 24, {0})));
    TCharacterCatalogue catalogue(folder_.string() + "/");
    ASSERT_TRUE(catalogue.LoadCharacters());
    std::int32_t twin = catalogue.FindCharacter("Twin");
    std::int32_t nameless = catalogue.FindCharacter("");
    EXPECT_EQ(catalogue.CharacterAt(nameless)->Name, "");
    for (std::int32_t i = 0; i < twin; ++i) {
        EXPECT_NE(catalogue.CharacterAt(i)->Name, "Twin");
    }
    EXPECT_EQ(catalogue.CharacterAt(twin)->Name, "Twin");
}

TEST_F(CharacterCatalogueTest, NamesAreComparedAndGivenBackByTheirExactBytes) {
    // Names that differ only in bytes Shift-JIS cannot decode, or in which of two codes of one
    // character they use, are different names.
    std::map<std::string, std::string> names;  // file → name bytes
    for (int value = 0x80; value <= 0xFF; ++value) {
        names["b" + std::to_string(value) + ".vlf"] =
            "A" + std::string(1, static_cast<char>(value));
    }
    names["unassigned.vlf"] = "A\x85\x40";
    names["nec.vlf"] = "A\xED\x40";
    names["ibm.vlf"] = "A\xFA\x5C";
    for (const auto& [file, name] : names) {
        AddPackage(file, name);
    }
    TCharacterCatalogue catalogue(folder_.string());
    ASSERT_TRUE(catalogue.LoadCharacters());
    ASSERT_EQ(catalogue.CharacterCount(), static_cast<std::int32_t>(names.size()));
    std::int32_t index = 0;
    for (const std::string& file : temporary_.ListedNames()) {
        const std::string& name = catalogue.CharacterAt(index)->Name;
        EXPECT_EQ(ToCp932(name), names[file]) << file;
        EXPECT_EQ(catalogue.FindCharacter(name), index) << file;
        EXPECT_EQ(catalogue.FindCharacter(FromCp932(names[file])), index) << file;
        ++index;
    }
    EXPECT_TRUE(boxes_.Boxes.empty());
}

TEST_F(CharacterCatalogueTest, FoldersAreSearchedInTheirOrderAndAMissingOneHoldsNothing) {
    fs::create_directories(folder_ / "shipped");
    fs::create_directories(folder_ / "own");
    AddPackage("own/Tobble.vlf", "Tobble");  // the user's copy of a shipped name
    AddPackage("own/mine.vlf", "Mine");
    AddPackage("shipped/Tobble.vlf", "Tobble");
    AddPackage("shipped/Kerro.vlf", "Kerro");
    TCharacterCatalogue catalogue(std::vector<std::string>{(folder_ / "missing").string(),
                                                           (folder_ / "shipped").string(),
                                                           (folder_ / "own/").string()});
    ASSERT_TRUE(catalogue.LoadCharacters());
    ASSERT_EQ(catalogue.CharacterCount(), 4);
    std::multiset<std::string> shipped{catalogue.CharacterAt(0)->Name,
                                       catalogue.CharacterAt(1)->Name};
    EXPECT_EQ(shipped, (std::multiset<std::string>{"Kerro", "Tobble"}));
    EXPECT_LE(catalogue.FindCharacter("Tobble"), 1) << "the shipped Tobble comes first";
    EXPECT_GE(catalogue.FindCharacter("Mine"), 2);

    // Nothing in any folder is the same as nothing in the program folder.
    TCharacterCatalogue empty(std::vector<std::string>{(folder_ / "missing").string()});
    EXPECT_FALSE(empty.LoadCharacters());
    EXPECT_EQ(boxes_.Boxes.back().Text, NoCharacterMessage);
}

TEST_F(CharacterCatalogueTest, NoPackageEndsTheStartUpWithOneEmptyCharacter) {
    TCharacterCatalogue catalogue(folder_.string());
    EXPECT_FALSE(catalogue.LoadCharacters());
    EXPECT_FALSE(catalogue.Loaded());
    ASSERT_EQ(boxes_.Boxes.size(), 1u);
    EXPECT_EQ(boxes_.Boxes[0].Text, "キャラクターファイルを読み込めません。起動を中止します。");
    EXPECT_EQ(boxes_.Boxes[0].Caption, "Velloric付箋");
    EXPECT_EQ(boxes_.Boxes[0].Flags, MB_OK | MB_ICONERROR);
    ASSERT_EQ(catalogue.CharacterCount(), 1);
    TSprite* empty = catalogue.CharacterAt(5);
    EXPECT_EQ(empty->Name, "");
    EXPECT_EQ(empty->PatternWidth, 32);
    EXPECT_EQ(empty->PatternCount, 1);
    EXPECT_EQ(empty->AnimationInterval, 100);
    EXPECT_EQ(catalogue.FindCharacter("Tobble"), 0);
}

TEST_F(CharacterCatalogueTest, UnreadablePackagesAreShownAndLeftOut) {
    AddPackage("good.vlf", "Good");
    const std::vector<std::uint8_t> whole =
        MakeCharacterPackage(Description("Cut", 1, 1, 1), MakeBmp(1, 1, 24, {0}));
    // A download cut short inside its description; a file of nothing; a link to nothing; a
    // folder; a package whose picture is no picture.
    AddFile("cut.vlf", {whole.begin(), whole.begin() + 15 + 2 * 264 + 5});
    AddFile("empty.vlf", {});
    fs::create_symlink(folder_ / "gone.bin", folder_ / "dangling.vlf");
    fs::create_directory(folder_ / "folder.vlf");
    AddFile("nopicture.vlf", MakeCharacterPackage(Description("Blank", 1, 1, 1), Text("BM")));

    TCharacterCatalogue catalogue(folder_.string());
    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(catalogue.LoadCharacters());
    const std::string errors = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(catalogue.Loaded());
    ASSERT_EQ(catalogue.CharacterCount(), 1);
    EXPECT_EQ(catalogue.CharacterAt(0)->Name, "Good");

    // The catalogue's own boxes: the error of each unreadable package, as it is, without a path.
    std::multiset<std::string> failures;
    for (const testing::RecordedBox& box : boxes_.Boxes) {
        if (box.Caption == "Velloric付箋") {
            EXPECT_EQ(box.Flags, MB_OK | MB_ICONERROR);
            failures.insert(box.Text);
        }
        EXPECT_EQ(box.Text.find("folder.vlf"), std::string::npos) << box.Text;
    }
    EXPECT_EQ(failures,
              (std::multiset<std::string>{"Stream read error.", "ファイル読み込みエラー.",
                                          "ファイル読み込みエラー.", "ファイル読み込みエラー."}));
    for (const char* file : {"cut.vlf", "empty.vlf", "dangling.vlf", "nopicture.vlf"}) {
        EXPECT_NE(errors.find((folder_ / file).string() + ": "), std::string::npos)
            << file << " in " << errors;
    }
    EXPECT_EQ(errors.find("folder.vlf"), std::string::npos);
    EXPECT_EQ(errors.find("good.vlf"), std::string::npos);
}

TEST_F(CharacterCatalogueTest, NoReadablePackageEndsTheStartUpAsNoPackageDoes) {
    fs::create_directory(folder_ / "folder.vlf");
    TCharacterCatalogue onlyFolder(folder_.string());
    EXPECT_FALSE(onlyFolder.LoadCharacters());
    ASSERT_EQ(boxes_.Boxes.size(), 1u) << "a folder is left out without a box";
    EXPECT_EQ(boxes_.Boxes[0].Text, NoCharacterMessage);

    AddFile("empty.vlf", {});
    TCharacterCatalogue onlyBroken(folder_.string());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(onlyBroken.LoadCharacters());
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(onlyBroken.Loaded());
    EXPECT_EQ(boxes_.Boxes[boxes_.Boxes.size() - 2].Text, "ファイル読み込みエラー.");
    EXPECT_EQ(boxes_.Boxes.back().Text, NoCharacterMessage);
    ASSERT_EQ(onlyBroken.CharacterCount(), 1);
    EXPECT_EQ(onlyBroken.CharacterAt(0)->Name, "");
}

}  // namespace
}  // namespace vlz
