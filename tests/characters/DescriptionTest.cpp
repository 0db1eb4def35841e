#include "characters/Description.h"

#include <gtest/gtest.h>

#include "characters/PackageFile2.h"
#include "characters/PackageWriter.h"
#include "doubles/ScriptedMessageBoxes.h"

namespace vlz {
namespace {

using Lines = std::vector<std::string>;

TEST(DescriptionLines, SplitAtEveryKindOfLineBreakAndStopAtNul) {
    using namespace std::string_literals;
    EXPECT_EQ(SplitDescriptionLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitDescriptionLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitDescriptionLines("a\n\rb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(SplitDescriptionLines("a=1\r\nb\0=2\r\nc=3"s), (Lines{"a=1", "b"}));
    EXPECT_TRUE(SplitDescriptionLines("").empty());
}

TEST(DescriptionValues, KeysMatchInAnyCaseAndTheFirstLineWins) {
    Lines lines{"comment", "NAME=Tobble  ", "name=Other", "x=a=b", "PatternWidth =4"};
    EXPECT_EQ(DescriptionValue(lines, "Name"), "Tobble  ");
    EXPECT_EQ(DescriptionValue(lines, "X"), "a=b");
    // A space before "=" is part of the key, so the key is not there.
    EXPECT_EQ(DescriptionValue(lines, "PatternWidth"), std::nullopt);
    EXPECT_EQ(DescriptionValue(lines, "comment"), std::nullopt);
}

TEST(DescriptionIntegers, ReadDecimalAndHexadecimal) {
    EXPECT_EQ(ParseDescriptionInteger("48"), 48);
    EXPECT_EQ(ParseDescriptionInteger("$30"), 48);
    EXPECT_EQ(ParseDescriptionInteger("0x30"), 48);
    EXPECT_EQ(ParseDescriptionInteger("0X3a"), 58);
    EXPECT_EQ(ParseDescriptionInteger("   -12"), -12);
    EXPECT_EQ(ParseDescriptionInteger("+7"), 7);
    EXPECT_EQ(ParseDescriptionInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDescriptionInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseDescriptionInteger("$FFFFFFFF"), -1);
}

TEST(DescriptionIntegers, RejectTrailingTextEmptyDigitsAndOverflow) {
    for (const char* text : {"48 ", "48a", "", "   ", "-", "$", "0x", "x30", "4 8", "\t48",
                             "2147483648", "-2147483649", "$100000000", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseDescriptionInteger(text), std::nullopt);
    }
}

TEST(CharacterDescription, ReadsEverySetting) {
    auto description = ReadCharacterDescription(SplitDescriptionLines(
        "name=\x83\x67\x83\x75\r\npatternwidth=$30\r\nPatternHeight= 40\r\nPatternCount=4\r\n"
        "AnimationInterval=250\r\n"));
    EXPECT_TRUE(description.Complete());
    EXPECT_EQ(description.Name, "\x83\x67\x83\x75");
    EXPECT_EQ(description.PatternWidth, 48);
    EXPECT_EQ(description.PatternHeight, 40);
    EXPECT_EQ(description.PatternCount, 4);
    EXPECT_EQ(description.AnimationInterval, 250);
}

TEST(CharacterDescription, FirstBadSettingStopsTheReading) {
    auto description =
        ReadCharacterDescription({"Name=Bird", "PatternWidth=20", "PatternHeight=20 ",
                                  "PatternCount=3", "AnimationInterval=50"});
    EXPECT_EQ(description.FailedKey, "PatternHeight");
    EXPECT_EQ(description.Name, "Bird");
    EXPECT_EQ(description.PatternWidth, 20);
    EXPECT_EQ(description.PatternHeight, 32);
    EXPECT_EQ(description.PatternCount, 1);
    EXPECT_EQ(description.AnimationInterval, 100);
}

TEST(CharacterDescription, MissingKeysAndUnusableValuesKeepTheDefaults) {
    EXPECT_EQ(ReadCharacterDescription({}).FailedKey, "PatternWidth");
    EXPECT_EQ(ReadCharacterDescription({}).Name, "");
    struct Case {
        Lines lines;
        const char* failedKey;
    };
    const Lines base{"PatternWidth=8", "PatternHeight=8", "PatternCount=2"};
    auto with = [&](std::string line) {
        Lines lines = base;
        lines.insert(lines.begin(), std::move(line));
        return lines;
    };
    for (const Case& c : {Case{with("PatternWidth=0"), "PatternWidth"},
                          Case{with("PatternHeight=-5"), "PatternHeight"},
                          Case{with("PatternWidth=4097"), "PatternWidth"},
                          Case{with("PatternCount=0"), "PatternCount"},
                          Case{with("AnimationInterval=-1"), "AnimationInterval"},
                          Case{base, "AnimationInterval"}}) {
        auto description = ReadCharacterDescription(c.lines);
        EXPECT_EQ(description.FailedKey, c.failedKey);
        EXPECT_GE(description.PatternWidth, 1);
        EXPECT_GE(description.PatternHeight, 1);
        EXPECT_GE(description.PatternCount, 1);
        EXPECT_GE(description.AnimationInterval, 0);
    }
    auto still = ReadCharacterDescription(with("AnimationInterval=0"));
    EXPECT_TRUE(still.Complete());
    EXPECT_EQ(still.AnimationInterval, 0);
}

}  // namespace
}  // namespace vlz

namespace vlz {
namespace {

// A package holding only a description "Name=x", whose entry gives the size `size`.
std::vector<std::uint8_t> WithDescriptionSize(std::int32_t size) {
    auto bytes = BuildPackage({{"desc.txt", {'N', 'a', 'm', 'e', '=', 'x'}}});
    for (int i = 0; i < 4; ++i) {
        bytes[15 + 260 + static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(static_cast<std::uint32_t>(size) >> (8 * i));
    }
    return bytes;
}

TEST(PackageDescription, MissingDescriptionShowsFileOpenErrorThenTheSettingError) {
    for (const auto& bytes : {BuildPackage({{"image.bmp", {}}}), WithDescriptionSize(-1)}) {
        testing::ScriptedMessageBoxes boxes;
        TMemoryStream stream(bytes);
        TReadPackageFile reader;
        reader.OpenStream(stream);
        TCharacterDescription description = LoadPackageDescription(reader, "dir/Bird.vlf");
        EXPECT_EQ(description.Name, "");
        EXPECT_EQ(description.PatternWidth, 32);
        ASSERT_EQ(boxes.Boxes.size(), 2u);
        EXPECT_EQ(boxes.Boxes[0].Text, "FileOpenError: desc.txt");
        EXPECT_EQ(boxes.Boxes[0].Caption, "");
        EXPECT_EQ(boxes.Boxes[0].Flags, MB_ICONERROR);
        EXPECT_EQ(boxes.Boxes[0].Owner, MessageBoxOwner::Application);
        EXPECT_EQ(boxes.Boxes[1].Text, "dir/Bird.vlf(desc.txt) 読み込み中のエラー.");
        EXPECT_EQ(boxes.Boxes[1].Caption, "エラー");
        EXPECT_EQ(boxes.Boxes[1].Flags, MB_ICONERROR);
    }
}

TEST(PackageDescription, DescriptionPastTheEndOfThePackageIsAReadError) {
    // One byte too many, and a size far beyond any file (nothing of that size may be allocated).
    for (std::int32_t size : {7, 0x7FFFFFFF}) {
        testing::ScriptedMessageBoxes boxes;
        TMemoryStream stream(WithDescriptionSize(size));
        TReadPackageFile reader;
        reader.OpenStream(stream);
        EXPECT_THROW(LoadPackageDescription(reader, "dir/Bird.vlf"), EReadError) << size;
        EXPECT_TRUE(boxes.Boxes.empty());
    }
    testing::ScriptedMessageBoxes boxes;
    TMemoryStream whole(WithDescriptionSize(6));
    TReadPackageFile reader;
    reader.OpenStream(whole);
    EXPECT_EQ(LoadPackageDescription(reader, "dir/Bird.vlf").Name, "x");
}

TEST(PackageDescription, ReadsExactlyTheEntryAndConvertsTheName) {
    // The description is followed by other bytes that must not leak into the last line.
    std::string text =
        "Name=\x83\x67\x83\x75\x83\x8B\r\nPatternWidth=8\r\nPatternHeight=9\r\n"
        "PatternCount=2\r\nAnimationInterval=70";
    testing::ScriptedMessageBoxes boxes;
    TMemoryStream stream(
        BuildPackage({{"DESC.TXT", {text.begin(), text.end()}}, {"image.bmp", {'5', '5', '5'}}}));
    TReadPackageFile reader;
    reader.OpenStream(stream);
    TCharacterDescription description = LoadPackageDescription(reader, "x.vlf");
    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(description.Name, "トブル");
    EXPECT_EQ(description.AnimationInterval, 70);
}

}  // namespace
}  // namespace vlz
