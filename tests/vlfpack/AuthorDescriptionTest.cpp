#include "AuthorDescription.h"

#include <gtest/gtest.h>

#include "platform/Cp932.h"

namespace vlz {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

const std::string Settings =
    "PatternWidth=32\nPatternHeight=32\nPatternCount=4\nAnimationInterval=250";

std::string RefusalOf(const std::string& text) {
    try {
        MakePackageDescription(Bytes(text));
    } catch (const EDescriptionError& error) {
        return error.what();
    }
    return "(taken)";
}

TEST(AuthorDescription, KeepsAShiftJisDescriptionByteForByte) {
    const std::string cp932 = ToCp932("Name=トブル\n") + Settings;  // LF, no final line end
    TPackageDescription description = MakePackageDescription(Bytes(cp932));
    EXPECT_EQ(description.Text, cp932);
    EXPECT_FALSE(description.Converted);
    EXPECT_EQ(description.Settings.Name, "トブル");
    EXPECT_EQ(description.Settings.PatternCount, 4);
    EXPECT_EQ(description.Settings.AnimationInterval, 250);
    EXPECT_TRUE(description.Warnings.empty());
}

TEST(AuthorDescription, StoresUtf8AsShiftJisWithCrLf) {
    const std::string expected = ToCp932(
        "Name=トブル\r\nPatternWidth=32\r\nPatternHeight=32\r\nPatternCount=4\r\n"
        "AnimationInterval=250\r\n");
    for (const std::string& source :
         {"Name=トブル\n" + Settings, "\xEF\xBB\xBFName=トブル\r\n" + Settings + "\r\n",
          "Name=トブル\r" + Settings + "\n"}) {
        TPackageDescription description = MakePackageDescription(Bytes(source));
        EXPECT_EQ(description.Text, expected) << source;
        EXPECT_TRUE(description.Converted);
        EXPECT_EQ(description.Settings.Name, "トブル");
    }
}

TEST(AuthorDescription, RefusesANameShiftJisCannotHold) {
    EXPECT_EQ(RefusalOf("Name=Tobble🐤\n" + Settings),
              "the name \"Tobble🐤\" has a character Shift-JIS cannot hold: \"🐤\"");
    EXPECT_EQ(RefusalOf("Name=Tobble\nAuthor=ア🐤\n" + Settings),
              "line 2 has a character Shift-JIS cannot hold: \"🐤\"");
    // Valid UTF-8 is read as UTF-8, even where its bytes would make Shift-JIS ("ﾃｩ").
    EXPECT_EQ(RefusalOf("Name=Café\n" + Settings),
              "the name \"Café\" has a character Shift-JIS cannot hold: \"é\"");
}

TEST(AuthorDescription, RefusesSettingsTheProgramWouldComplainAboutAtEveryStart) {
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {"Name=A\nPatternWidth=32\nPatternHeight=32\nAnimationInterval=250",
         "there is no PatternCount line; it must be a whole number of frames, 1 or more"},
        {"Name=A\nPatternWidth = 32\nPatternHeight=32\nPatternCount=4\nAnimationInterval=250",
         "the line \"PatternWidth = 32\" does not count for PatternWidth: nothing may stand "
         "between the key and the \"=\""},
        {"Name=A\nPatternWidth=32\nPatternHeight=abc\nPatternCount=4\nAnimationInterval=250",
         "PatternHeight is \"abc\"; it must be a whole number of pixels from 1 to 4096"},
        {"Name=A\nPatternWidth=5000\nPatternHeight=32\nPatternCount=4\nAnimationInterval=250",
         "PatternWidth is \"5000\"; it must be a whole number of pixels from 1 to 4096"},
        {"Name=A\nPatternWidth=32\nPatternHeight=32\nPatternCount=4\nAnimationInterval=-1",
         "AnimationInterval is \"-1\"; it must be a whole number of milliseconds, 0 or more"},
    };
    for (const auto& [text, reason] : cases) {
        EXPECT_EQ(RefusalOf(text), reason);
    }
}

TEST(AuthorDescription, RefusesTextInOtherEncodings) {
    EXPECT_EQ(RefusalOf(std::string("\xFF\xFEN\0a\0", 6)),
              "it is UTF-16 text; save it as UTF-8 or Shift-JIS");
    // Latin-1 "Café": 0xE9 starts a double-byte Shift-JIS character that the line end breaks.
    EXPECT_EQ(RefusalOf("Name=Caf\xE9\n" + Settings), "it is neither UTF-8 nor Shift-JIS text");
}

TEST(AuthorDescription, WarnsAboutANameTheAuthorCannotHaveMeant) {
    const struct {
        std::string nameLine;
        std::string warning;
    } cases[] = {
        {"", "there is no Name line; the character has no name"},
        {"Name = Tobble\n", "does not count for Name"},
        {"Name=\n", "the name is empty"},
        {"Name=Tobble \n", "the name \"Tobble \" begins or ends with a space"},
    };
    for (const auto& [nameLine, warning] : cases) {
        TPackageDescription description = MakePackageDescription(Bytes(nameLine + Settings));
        ASSERT_EQ(description.Warnings.size(), 1u) << nameLine;
        EXPECT_NE(description.Warnings[0].find(warning), std::string::npos)
            << description.Warnings[0];
    }
}

TEST(NewDescription, WritesTheFiveSettingsInShiftJisWithCrLf) {
    TPackageDescription description = NewPackageDescription("トブル", "32", "032", "4", "250");
    EXPECT_EQ(description.Text,
              ToCp932("Name=トブル\r\nPatternWidth=32\r\nPatternHeight=32\r\nPatternCount=4\r\n"
                      "AnimationInterval=250\r\n"));
    EXPECT_EQ(description.Settings.PatternHeight, 32);
}

TEST(NewDescription, RefusesWhatTheProgramWouldNotRead) {
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{"", "32", "32", "4", "250"}, "the name is empty"},
        {{"To\nbble", "32", "32", "4", "250"}, "the name must be one line"},
        {{"Tobble🐤", "32", "32", "4", "250"}, "has a character Shift-JIS cannot hold: \"🐤\""},
        // "ﾃｩ" is C3 A9 in Shift-JIS, which create would read as the UTF-8 "é".
        {{"ﾃｩ", "32", "32", "4", "250"}, "in Shift-JIS reads as UTF-8 text"},
        {{"Tobble", "abc", "32", "4", "250"}, "PatternWidth is \"abc\""},
        {{"Tobble", "0x20", "32", "4", "250"}, "PatternWidth is \"0x20\""},
        {{"Tobble", "32", "0", "4", "250"}, "PatternHeight is \"0\""},
        {{"Tobble", "32", "32", "-4", "250"}, "PatternCount is \"-4\""},
        {{"Tobble", "32", "32", "99999999999", "250"}, "PatternCount is \"99999999999\""},
        {{"Tobble", "32", "32", "4", ""}, "AnimationInterval is \"\""},
    };
    for (const auto& [arguments, reason] : cases) {
        try {
            NewPackageDescription(arguments[0], arguments[1], arguments[2], arguments[3],
                                  arguments[4]);
            ADD_FAILURE() << "taken: " << reason;
        } catch (const EDescriptionError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
    }
}

}  // namespace
}  // namespace vlz
