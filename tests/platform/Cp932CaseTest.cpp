#include "platform/Cp932Case.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <clocale>
#include <cwctype>
#include <string>
#include <vector>

#include "Cp932Codes.h"
#include "platform/Cp932.h"

namespace vlz {
namespace {

// "ア" is 0x83 0x41 (trail byte 'A'), "ヂ" 0x83 0x61 (trail byte 'a'); 0xB1 is the single-byte
// half-width "ｱ"; a lead byte may also end a text that was cut short.
const std::string A = "\x83\x41";
const std::string Di = "\x83\x61";

TEST(Cp932CaseTest, OnlyAsciiLettersChangeCase) {
    EXPECT_EQ(Cp932LowerCase("Desc.TXT [Z] @`{"), "desc.txt [z] @`{");
    EXPECT_EQ(Cp932LowerCase("\xB1X"), "\xB1x");
    EXPECT_EQ(AsciiLower('\xC1'), '\xC1');
    EXPECT_EQ(AsciiUpper('\xE1'), '\xE1');
}

TEST(Cp932CaseTest, DoubleByteCharactersKeepBothBytes) {
    EXPECT_EQ(Cp932LowerCase(Di + "B"), Di + "b");
    EXPECT_EQ(Cp932LowerCase(A + "B"), A + "b");
    EXPECT_EQ(Cp932LowerCase("X\x83"), "x\x83");
    EXPECT_FALSE(Cp932SameIgnoringCase(A, Di));
    EXPECT_TRUE(Cp932SameIgnoringCase("Key" + A, "kEY" + A));
}

TEST(Cp932CaseTest, SameIgnoringCaseAgreesWithComparingLowerCase) {
    const std::vector<std::string> samples = {"",
                                              "a",
                                              "A",
                                              "ab",
                                              "aB",
                                              A,
                                              Di,
                                              A + "x",
                                              Di + "X",
                                              "x" + A,
                                              "X" + A,
                                              "\x83",
                                              "a\x83",
                                              "A\x83",
                                              "\xB1",
                                              "\xB1"
                                              "a",
                                              "\xB1"
                                              "A",
                                              "Section1",
                                              "SECTION1"};
    for (const std::string& left : samples) {
        for (const std::string& right : samples) {
            EXPECT_EQ(Cp932SameIgnoringCase(left, right),
                      Cp932LowerCase(left) == Cp932LowerCase(right))
                << ::testing::PrintToString(left) << " vs " << ::testing::PrintToString(right);
        }
    }
}

// What Windows' CharUpper does with CP932 text, worked out the way it does it: through Unicode
// (iconv's CP932 both ways) with the C library's upper case in between. Empty when the bytes are
// no character.
std::string UpperCaseThroughUnicode(const std::string& cp932) {
    const iconv_t decode = iconv_open("WCHAR_T", "CP932");
    const iconv_t encode = iconv_open("CP932", "WCHAR_T");
    wchar_t wide[4] = {};
    char* in = const_cast<char*>(cp932.data());
    std::size_t inLeft = cp932.size();
    char* out = reinterpret_cast<char*>(wide);
    std::size_t outLeft = sizeof wide;
    std::string result;
    if (iconv(decode, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) &&
        inLeft == 0) {
        const std::size_t count = (sizeof wide - outLeft) / sizeof(wchar_t);
        for (std::size_t i = 0; i < count; ++i) {
            wide[i] = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(wide[i])));
        }
        char bytes[8];
        in = reinterpret_cast<char*>(wide);
        inLeft = count * sizeof(wchar_t);
        out = bytes;
        outLeft = sizeof bytes;
        if (iconv(encode, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1)) {
            result.assign(bytes, out);
        }
    }
    iconv_close(decode);
    iconv_close(encode);
    return result;
}

TEST(Cp932CaseTest, CodePageUpperCaseIsWhatARoundTripThroughUnicodeGives) {
    const std::string previous = std::setlocale(LC_CTYPE, nullptr);
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    int letters = 0;
    for (const std::string& code : testing::DoubleByteCodes(0x40, 0xFC)) {
        const std::string expected = UpperCaseThroughUnicode(code);
        const std::string upper = Cp932CodePageUpperCase(code);
        // Bytes that are no character stay as they are.
        EXPECT_EQ(upper, expected.empty() ? code : expected) << ::testing::PrintToString(code);
        // A letter: what the code shows changes (not only the code it is written under).
        letters +=
            !expected.empty() && Cp932Shown(FromCp932(expected)) != Cp932Shown(FromCp932(code));
    }
    std::setlocale(LC_CTYPE, previous.c_str());
    // 26 full-width Latin, 24 Greek and 33 Cyrillic letters, and ten small Roman numerals under
    // each of their two codes.
    EXPECT_EQ(letters, 26 + 24 + 33 + 2 * 10);
}

TEST(Cp932CaseTest, CodePageUpperCaseKeepsSingleBytesAndTrailBytes) {
    EXPECT_EQ(Cp932CodePageUpperCase("desc.txt [z] @`{\xB1x"), "DESC.TXT [Z] @`{\xB1X");
    // A trail byte that is an ASCII letter is no letter; a lead byte at the end stays.
    EXPECT_EQ(Cp932CodePageUpperCase(Di + "b\x82"), Di + "B\x82");
    // An unassigned code, a carried single byte and a lead byte before a control character.
    EXPECT_EQ(Cp932CodePageUpperCase("\x85\x40\x80\xFD"
                                     "a\x82\x0A"),
              "\x85\x40\x80\xFD"
              "A\x82\x0A");
    EXPECT_EQ(Cp932CodePageUpperCase("\x82\x81\x82\x9A"), "\x82\x60\x82\x79");  // ａｚ
    EXPECT_EQ(Cp932CodePageUpperCase("\xED\x40"), "\xFA\x5C") << "written as CP932 writes it";
}

}  // namespace
}  // namespace vlz
