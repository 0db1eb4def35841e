#include "app/core/IniFile.h"

#include <fstream>

#include <gtest/gtest.h>

#include "app/core/MemoEscaping.h"
#include "platform/Cp932.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

using testing::TemporaryFolder;

class IniFileTest : public ::testing::Test {
  protected:
    TIniFile Open(const std::string& cp932Bytes) {
        std::ofstream(folder_ / "t.ini", std::ios::binary) << cp932Bytes;
        return TIniFile(folder_ / "t.ini");
    }
    TemporaryFolder folder_;
};

TEST(ParseIniInteger, ReadsDecimalAndBothHexadecimalForms) {
    EXPECT_EQ(ParseIniInteger("42"), 42);
    EXPECT_EQ(ParseIniInteger("-2147483648"), -2147483648LL);
    EXPECT_EQ(ParseIniInteger("+7"), 7);
    EXPECT_EQ(ParseIniInteger("$FF"), 255);
    EXPECT_EQ(ParseIniInteger("0x1f"), 31);
    EXPECT_EQ(ParseIniInteger("0XFFFFFFFF"), -1);  // 32 bits, as colours are written in hex
    EXPECT_EQ(ParseIniInteger("$80000005"), -2147483643);
    EXPECT_EQ(ParseIniInteger("007"), 7);
}

TEST(ParseIniInteger, RefusesEverythingElse) {
    for (std::string_view text : {"", "0x", "$", "12a", "1 2", "2147483648", "-2147483649",
                                  "$100000000", "--1", "+-1", "$-1", "0x+1", "1.5", "x10"}) {
        EXPECT_EQ(ParseIniInteger(text), std::nullopt) << text;
    }
}

TEST_F(IniFileTest, DefaultsApplyOnlyToMissingOrUnparsableKeys) {
    TIniFile file = Open("[S]\r\nempty=\r\nbad=abc\r\nneg=-3\r\nflag=2\r\nzero=0\r\n");
    EXPECT_EQ(file.ReadString("S", "empty", "default"), "");
    EXPECT_EQ(file.ReadString("S", "missing", "default"), "default");
    EXPECT_EQ(file.ReadInteger("S", "empty", 9), 9);
    EXPECT_EQ(file.ReadInteger("S", "bad", 9), 9);
    EXPECT_EQ(file.ReadInteger("S", "neg", 9), -3);
    EXPECT_TRUE(file.ReadBool("S", "flag", false));
    EXPECT_FALSE(file.ReadBool("S", "zero", true));
    EXPECT_TRUE(file.ReadBool("S", "bad", true));
}

TEST_F(IniFileTest, CutsLongValuesTo2047BytesNeverInsideACharacter) {
    std::string ascii(3000, 'a');
    std::string japanese;
    for (int i = 0; i < 1500; ++i) {
        japanese += "\x82\xA0";  // あ: the 2047th byte is a lead byte
    }
    TIniFile file = Open("[S]\r\nascii=" + ascii + "\r\njapanese=" + japanese + "\r\n");
    EXPECT_EQ(file.ReadString("S", "ascii", ""), std::string(2047, 'a'));
    std::optional<std::string> cut = file.ReadRawString("S", "japanese");
    ASSERT_TRUE(cut);
    EXPECT_EQ(*cut, japanese.substr(0, 2046));
    EXPECT_EQ(file.ReadString("S", "japanese", "").find("\xEF\xBF\xBD"), std::string::npos);
}

TEST_F(IniFileTest, ConvertsJapaneseNamesAndValuesAtTheFileBoundary) {
    TIniFile file = Open("");
    file.WriteString("付箋", "名前", "ＭＳ Ｐゴシック");
    file.UpdateFile();
    TIniFile reread(file.FileName());
    EXPECT_EQ(reread.ReadSections(), (std::vector<std::string>{"付箋"}));
    EXPECT_EQ(reread.ReadString("付箋", "名前", ""), "ＭＳ Ｐゴシック");
    EXPECT_EQ(*reread.ReadRawString("付箋", "名前"), ToCp932("ＭＳ Ｐゴシック"));
}

TEST_F(IniFileTest, RefusesAWriteThatWouldBreakTheFileWithTheFilesName) {
    TIniFile file = Open("[S]\r\nk=1\r\n");
    try {
        file.WriteString("S", "k", "two\r\nlines");
        FAIL();
    } catch (const EIniFileException& error) {
        EXPECT_EQ(std::string(error.what()), file.FileName() + " に書き込めません");
    }
    EXPECT_THROW(file.WriteString("S", "k", "😀"), ECp932Error);
}

TEST(MemoEscaping, TurnsLineBreaksIntoBackslashNAndBack) {
    EXPECT_EQ(EscapeMemo("a\r\nb\r\n\r\n"), "a\\nb\\n\\n");
    EXPECT_EQ(UnescapeMemo("a\\nb\\n\\n"), "a\r\nb\r\n\r\n");
    // A typed backslash-n is stored as it is, and so reads back as a line break.
    EXPECT_EQ(UnescapeMemo(EscapeMemo("C:\\new")), "C:\r\new");
    // Only lower-case n, and other backslashes stay.
    EXPECT_EQ(UnescapeMemo("\\N\\t\\\\"), "\\N\\t\\\\");
}

TEST(MemoEscaping, NeverMatchesTheSecondByteOfADoubleByteCharacter) {
    const std::string hyo = "\x95\x5C";  // 表, whose second byte is the backslash
    EXPECT_EQ(UnescapeMemo(hyo + "n"), hyo + "n");
    EXPECT_EQ(EscapeMemo(hyo + "n"), hyo + "n");
    EXPECT_EQ(UnescapeMemo(hyo + "\\n"), hyo + "\r\n");
    // A lone lead byte at the very end is copied, not read past.
    EXPECT_EQ(UnescapeMemo("a\x95"), "a\x95");
}

TEST(MemoEscaping, StoresLoneLineFeedsAndReturnsAsLineBreaks) {
    EXPECT_EQ(EscapeMemo("a\nb\rc"), "a\\nb\\nc");
    EXPECT_EQ(EscapeMemo("\r\r\n"), "\\n\\n");
}

}  // namespace
}  // namespace vlz
