#include "platform/IniDocument.h"

#include <gtest/gtest.h>

namespace vlz {
namespace {

std::string ValueOr(const TIniDocument& document, std::string_view section, std::string_view key,
                    std::string_view missing = "<missing>") {
    auto value = document.Value(section, key);
    return std::string(value ? *value : missing);
}

TEST(IniDocument, GivesBackUntouchedBytesExactly) {
    for (std::string_view bytes : {
             std::string_view("[A]\r\nx=1\r\n"),
             std::string_view("; comment\n[A]\nx = 1 \r\n\r\n[B]\r\ny"),
             std::string_view("no section\r\n  [ spaced ] tail\r\n=\r\n\r\n\r\n"),
             std::string_view("\r\n\r\r\n[\x95\x5D]\r\n"),
             std::string_view(""),
         }) {
        EXPECT_EQ(TIniDocument(bytes).Serialize(), bytes);
    }
}

TEST(IniDocument, MatchesNamesWithoutRegardToAsciiCase) {
    TIniDocument document("[System]\r\nBootCount=3\r\n");
    EXPECT_EQ(ValueOr(document, "SYSTEM", "bootcount"), "3");
    document.SetValue("system", "BOOTCOUNT", "4");
    EXPECT_EQ(document.Serialize(), "[System]\r\nBootCount=4\r\n");
}

TEST(IniDocument, NeverFoldsInsideADoubleByteCharacter) {
    // 0x82 0x60 is "Ａ" and 0x82 0x81 is "ａ": their second bytes are 'a' and 'A' apart, but the
    // characters differ, so the names must not match.
    TIniDocument document("[\x82\x60]\r\nk=1\r\n");
    EXPECT_EQ(ValueOr(document, "\x82\x60", "K"), "1");
    EXPECT_EQ(ValueOr(document, "\x82\x81", "k"), "<missing>");
}

TEST(IniDocument, FirstMatchingSectionAndKeyWin) {
    TIniDocument document("[A]\r\nk=first\r\nK=second\r\n[a]\r\nk=third\r\n");
    EXPECT_EQ(ValueOr(document, "A", "k"), "first");
    EXPECT_EQ(*document.ValueAt(1, "k"), "third");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"A", "a"}));
}

TEST(IniDocument, IgnoresWhitespaceAroundNamesAndValuesAndOneQuotePair) {
    TIniDocument document(
        "  [ Sec ]  \r\n\t key \t= \t value with  inner \t\r\nq=\"\"x\"\"\r\nr='y'\r\n"
        "s=\"z'\r\n;k=comment\r\nempty=\r\n");
    EXPECT_EQ(ValueOr(document, "Sec", "key"), "value with  inner");
    EXPECT_EQ(ValueOr(document, "Sec", "q"), "\"x\"");
    EXPECT_EQ(ValueOr(document, "Sec", "r"), "y");
    EXPECT_EQ(ValueOr(document, "Sec", "s"), "\"z'");
    EXPECT_EQ(ValueOr(document, "Sec", ";k"), "<missing>");
    EXPECT_EQ(ValueOr(document, "Sec", "empty"), "");
}

TEST(IniDocument, FindsTheClosingBracketOutsideDoubleByteCharacters) {
    // 0x95 0x5D ends in ']', yet it is the second byte of a character, not the bracket.
    TIniDocument document("[\x95\x5D]\r\nk=v\r\n");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"\x95\x5D"}));
}

TEST(IniDocument, ReplacesAKeyInPlaceAndKeepsEverythingElse) {
    TIniDocument document("[A]\r\n; keep me\r\na = 1\r\nunknown=\x93\xFA\r\nb=2\n");
    document.SetValue("A", "a", "10");
    EXPECT_EQ(document.Serialize(), "[A]\r\n; keep me\r\na=10\r\nunknown=\x93\xFA\r\nb=2\n");
}

TEST(IniDocument, LeavesALineAloneWhenItsValueDoesNotChange) {
    std::string bytes = "[A]\r\n  a =  1  \r\n";
    TIniDocument document(bytes);
    document.SetValue("A", "a", "1");
    EXPECT_EQ(document.Serialize(), bytes);
}

TEST(IniDocument, AddsKeysAtTheEndOfTheirSectionAndSectionsAtTheEnd) {
    TIniDocument document("[A]\r\na=1\r\n\r\n[B]\r\nb=1");
    document.SetValue("A", "c", "3");
    document.SetValue("B", "d", "4");
    document.SetValue("C", "e", "5");
    EXPECT_EQ(document.Serialize(), "[A]\r\na=1\r\nc=3\r\n\r\n[B]\r\nb=1\r\nd=4\r\n[C]\r\ne=5\r\n");
}

TEST(IniDocument, WritesANewSectionRightAfterThePreviousLineAsWindowsNtDoes) {
    TIniDocument empty;
    empty.SetValue("App1", "key1", "string1");
    empty.SetValue("App2", "key4", "string4");
    EXPECT_EQ(empty.Serialize(), "[App1]\r\nkey1=string1\r\n[App2]\r\nkey4=string4\r\n");

    // What stands before the new section keeps its bytes: a blank line the file ends with stays
    // one blank line, and a last line without a line end only gains the line end.
    TIniDocument blankAtEnd("[A]\r\na=1\r\n\r\n");
    blankAtEnd.SetValue("B", "b", "2");
    EXPECT_EQ(blankAtEnd.Serialize(), "[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n");
    TIniDocument noLineEnd("; only a comment");
    noLineEnd.SetValue("B", "b", "2");
    EXPECT_EQ(noLineEnd.Serialize(), "; only a comment\r\n[B]\r\nb=2\r\n");
}

TEST(IniDocument, ReadsALoneCarriageReturnAsALineEnd) {
    const std::string bytes = "[A]\rk=1\r[B]\nk=2\r\n\r\r\n[C]\rk=3";
    TIniDocument document(bytes);
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"A", "B", "C"}));
    EXPECT_EQ(ValueOr(document, "A", "k"), "1");
    EXPECT_EQ(ValueOr(document, "B", "k"), "2");
    EXPECT_EQ(ValueOr(document, "C", "k"), "3");
    EXPECT_EQ(document.Serialize(), bytes);

    // A changed key keeps its own line end; a new key gets the program's.
    document.SetValue("A", "k", "10");
    document.SetValue("A", "n", "x");
    EXPECT_EQ(document.Serialize(), "[A]\rk=10\rn=x\r\n[B]\nk=2\r\n\r\r\n[C]\rk=3");
}

TEST(IniDocument, ErasesEverySectionOfTheNameWithItsLines) {
    TIniDocument document("top\r\n[A]\r\na=1\r\n\r\n[B]\r\nb=2\r\n\r\n[a]\r\nx=3\r\n");
    document.EraseSection("A");
    EXPECT_EQ(document.Serialize(), "top\r\n[B]\r\nb=2\r\n\r\n");
    EXPECT_EQ(document.SectionNames(), (std::vector<std::string>{"B"}));
    document.EraseSection("B");
    document.SetValue("0", "Memo", "x");
    EXPECT_EQ(document.Serialize(), "top\r\n[0]\r\nMemo=x\r\n");
}

TEST(IniDocument, QuotesValuesThatWouldNotReadBackAsThemselves) {
    for (std::string_view value :
         {" lead", "trail\t", "\"quoted\"", "'single'", "\"half", "plain", "", "a \"middle\" b"}) {
        TIniDocument document;
        document.SetValue("S", "k", value);
        TIniDocument reread(document.Serialize());
        EXPECT_EQ(ValueOr(reread, "S", "k"), value);
    }
    TIniDocument document;
    document.SetValue("S", "k", "plain");
    EXPECT_EQ(document.Serialize(), "[S]\r\nk=plain\r\n");  // no quotes where none are needed
}

TEST(IniDocument, RefusesNamesAndValuesThatWouldTearTheFile) {
    TIniDocument document;
    EXPECT_THROW(document.SetValue("S", "k", "line\r\n[X]"), std::invalid_argument);
    EXPECT_THROW(document.SetValue("S", "k", "lone\nfeed"), std::invalid_argument);
    EXPECT_THROW(document.SetValue("S]", "k", "v"), std::invalid_argument);
    EXPECT_THROW(document.SetValue("S", "a=b", "v"), std::invalid_argument);
    EXPECT_THROW(document.SetValue("S", ";k", "v"), std::invalid_argument);
    EXPECT_EQ(document.Serialize(), "");
}

TEST(IniDocument, ReadsManySectionsInFileOrder) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += '[';
        bytes += std::to_string(i);
        bytes += "]\r\nk=";
        bytes += std::to_string(i * 2);
        bytes += "\r\n";
    }
    TIniDocument document(bytes);
    ASSERT_EQ(document.SectionCount(), 5000u);
    EXPECT_EQ(document.SectionNames()[4999], "4999");
    EXPECT_EQ(*document.ValueAt(4999, "k"), "9998");
    EXPECT_EQ(ValueOr(document, "3500", "K"), "7000");
}

}  // namespace
}  // namespace vlz
