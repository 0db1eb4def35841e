#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

TEST(Cp932, RoundTripsJapaneseAndKeepsBackslash) {
    std::string text = "表\\n ＭＳ Ｐゴシック ～ ①";
    std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes.substr(0, 3), "\x95\x5C\x5C");  // 表 ends in 0x5C; then a real backslash
    EXPECT_EQ(FromCp932(bytes), text);
}

TEST(Cp932, CountsDoubleByteCharactersAsTwo) {
    EXPECT_EQ(Cp932Length("aあ\r\n"), 5u);
    EXPECT_EQ(Cp932Length(""), 0u);
}

TEST(Cp932, RefusesTextItCannotHoldWithAClearMessage) {
    EXPECT_FALSE(FitsCp932("emoji 😀"));
    EXPECT_TRUE(FitsCp932("ここにメモを書き込めます."));
    try {
        ToCp932("abc😀");
        FAIL();
    } catch (const ECp932Error& error) {
        EXPECT_NE(std::string(error.what()).find("😀"), std::string::npos);
    }
}

TEST(Cp932, DecodesBrokenBytesWithoutFailing) {
    EXPECT_EQ(FromCp932("a\x81"), "a\xEF\xBF\xBD");
}

TEST(Cp932, PrefixNeverEndsInsideACharacter) {
    std::string bytes = ToCp932("aあい");  // 61 82 A0 82 A2
    EXPECT_EQ(Cp932Prefix(bytes, 2), "a");
    EXPECT_EQ(Cp932Prefix(bytes, 3), bytes.substr(0, 3));
    EXPECT_EQ(Cp932Prefix(bytes, 10), bytes);
}

}  // namespace
}  // namespace vlz
