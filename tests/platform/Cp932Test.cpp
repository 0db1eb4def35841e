#include "platform/Cp932.h"

#include <gtest/gtest.h>

#include "Cp932Codes.h"

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

// The code point that FromCp932 made of the bytes, when they became one.
char32_t OnlyCodePoint(const std::string& utf8) {
    if (utf8.size() != 4) {
        return 0;
    }
    return (static_cast<char32_t>(utf8[0] & 0x07) << 18) |
           (static_cast<char32_t>(utf8[1] & 0x3F) << 12) |
           (static_cast<char32_t>(utf8[2] & 0x3F) << 6) | static_cast<char32_t>(utf8[3] & 0x3F);
}

TEST(Cp932, EverySingleByteComesBackFromAReadAndAWrite) {
    for (int value = 0x80; value <= 0xFF; ++value) {
        const std::string byte(1, static_cast<char>(value));
        // Alone, a lead byte is one at the end of a value; inside, it takes the byte after it.
        for (const std::string& bytes : {byte, "a" + byte + "z", "ab" + byte, byte + byte}) {
            const std::string text = FromCp932(bytes);
            EXPECT_EQ(ToCp932(text), bytes) << std::hex << value;
            EXPECT_EQ(Cp932Length(text), bytes.size()) << std::hex << value;
        }
        const char32_t carrier = OnlyCodePoint(FromCp932(byte));
        const bool halfWidthKatakana = value >= 0xA1 && value <= 0xDF;
        EXPECT_EQ(IsCp932ByteCarrier(carrier), !halfWidthKatakana) << std::hex << value;
        if (!halfWidthKatakana) {
            EXPECT_EQ(ShownCharacter(carrier), U'\uFFFD');
            EXPECT_EQ(CarriedByteCount(carrier), 1u);
        }
    }
}

TEST(Cp932, EveryDoubleByteCodeComesBackFromAReadAndAWrite) {
    int carried = 0;
    for (const std::string& bytes : testing::DoubleByteCodes(0x00, 0xFF)) {
        const std::string text = FromCp932(bytes);
        ASSERT_EQ(ToCp932(text), bytes) << ::testing::PrintToString(bytes);
        carried += IsCp932ByteCarrier(OnlyCodePoint(text)) ? 1 : 0;
    }
    // Unassigned codes and the duplicates that CP932 writes under another code; most are known.
    EXPECT_GT(carried, 5000);
    EXPECT_LT(carried, 7000);
}

TEST(Cp932, TellsDuplicateCodesApartAndShowsTheirCharacter) {
    // 0xED 0x40 (NEC-selected IBM extension) and 0xFA 0x5C (IBM extension) are both 纊.
    const std::string nec = FromCp932("\xED\x40");
    const std::string ibm = FromCp932("\xFA\x5C");
    EXPECT_NE(nec, ibm);
    EXPECT_EQ(ibm, "纊");
    EXPECT_EQ(ShownCharacter(OnlyCodePoint(nec)), U'纊');
    EXPECT_EQ(Cp932Shown("a" + nec + FromCp932("\x85\x40")), "a纊\uFFFD");
    EXPECT_EQ(CarriedByteCount(OnlyCodePoint(nec)), 2u);
    EXPECT_EQ(ToCp932(nec + ibm), "\xED\x40\xFA\x5C");
    // The user-defined area is private-use text of its own, no carrier.
    EXPECT_EQ(FromCp932("\xF0\x40\xF9\xFC"), "\uE000\uE757");
    EXPECT_EQ(ToCp932("\uE000\uE757"), "\xF0\x40\xF9\xFC");
}

TEST(Cp932, TypedTextCannotHoldByteCarriers) {
    const std::string carried = FromCp932("\x80");
    EXPECT_FALSE(FitsCp932("memo" + carried));
    EXPECT_TRUE(FitsCp932("\uE000"));  // a user-defined character is real text
    // Plane 15 beyond the carriers is text that CP932 cannot hold at all.
    EXPECT_THROW(ToCp932("\U000F0041"), ECp932Error);
    EXPECT_FALSE(IsCp932ByteCarrier(0xF0041));
    EXPECT_FALSE(IsCp932ByteCarrier(0xFA000));  // 0xA0 is no lead byte
}

TEST(Cp932, ACarriedLeadByteNeverSwallowsTheTextAfterIt) {
    // A value ended in a lone lead byte; text typed after it must read back as typed.
    const std::string text = FromCp932("memo\x81") + "\r\nA";
    const std::string bytes = ToCp932(text);
    EXPECT_EQ(bytes, "memo\x81\x7F\r\nA");
    EXPECT_EQ(Cp932Shown(FromCp932(bytes)), "memo\uFFFD\r\nA");
    EXPECT_EQ(ToCp932(FromCp932(bytes)), bytes);
}

TEST(Cp932, PrefixNeverEndsInsideACharacter) {
    std::string bytes = ToCp932("aあい");  // 61 82 A0 82 A2
    EXPECT_EQ(Cp932Prefix(bytes, 2), "a");
    EXPECT_EQ(Cp932Prefix(bytes, 3), bytes.substr(0, 3));
    EXPECT_EQ(Cp932Prefix(bytes, 10), bytes);
}

}  // namespace
}  // namespace vlz
