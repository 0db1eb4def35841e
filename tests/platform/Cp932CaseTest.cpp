#include "platform/Cp932Case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vlz {
namespace {

// "ア" is 0x83 0x41 (trail byte 'A'), "ヂ" 0x83 0x61 (trail byte 'a'); 0xB1 is the single-byte
// half-width "ｱ"; a lead byte may also end a text that was cut short.
const std::string A = "\x83\x41";
const std::string Di = "\x83\x61";

TEST(Cp932CaseTest, OnlyAsciiLettersChangeCase) {
    EXPECT_EQ(Cp932LowerCase("Desc.TXT [Z] @`{"), "desc.txt [z] @`{");
    EXPECT_EQ(Cp932UpperCase("desc.txt [z] @`{"), "DESC.TXT [Z] @`{");
    EXPECT_EQ(Cp932UpperCase("\xB1x"), "\xB1X");
    EXPECT_EQ(AsciiLower('\xC1'), '\xC1');
    EXPECT_EQ(AsciiUpper('\xE1'), '\xE1');
}

TEST(Cp932CaseTest, DoubleByteCharactersKeepBothBytes) {
    EXPECT_EQ(Cp932UpperCase(Di + "b"), Di + "B");
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

}  // namespace
}  // namespace vlz
