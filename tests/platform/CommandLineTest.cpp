#include "platform/CommandLine.h"

#include <gtest/gtest.h>

#include "platform/DesktopEntry.h"

namespace vlz {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLine, SplitsLikeAWindowsProgram) {
    EXPECT_EQ(SplitCommandLine("  browser   a\tb  "), (Words{"browser", "a", "b"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\b.exe\" \"two words\" x"),
              (Words{"C:\\Program Files\\b.exe", "two words", "x"}));
    EXPECT_EQ(SplitCommandLine("p a\"b c\"d"), (Words{"p", "ab cd"}));
    EXPECT_EQ(SplitCommandLine("p \"\""), (Words{"p", ""}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
}

TEST(CommandLine, BackslashesEscapeOnlyBeforeAQuote) {
    EXPECT_EQ(SplitCommandLine(R"(p a\\b a\\\"b "a\\" c)"),
              (Words{"p", R"(a\\b)", R"(a\"b)", R"(a\)", "c"}));
    EXPECT_EQ(SplitCommandLine(R"(p "say ""hi""")"), (Words{"p", R"(say "hi")"}));
    // The program name takes no escapes: its backslashes are path separators.
    EXPECT_EQ(SplitCommandLine(R"(C:\dir\p.exe x)").front(), R"(C:\dir\p.exe)");
}

TEST(CommandLine, JoinedWordsSplitBackUnchanged) {
    Words words{
        "/opt/My Browser/run", "",          "plain", "two words", R"(quote"inside)", R"(ends\)",
        R"(back\\"slash)",     "tab\there", "%1"};
    std::string line = JoinCommandLine(words);
    EXPECT_EQ(SplitCommandLine(line), words);
    EXPECT_NE(line.find(" %1"), std::string::npos);
    EXPECT_EQ(JoinCommandLine({"bad\"program"}), "");
}

TEST(DesktopEntryExec, FieldCodesBecomeOnePlaceholder) {
    DesktopEntry entry{"/apps/b.desktop", "Browser", "browser-icon", ""};
    entry.Exec = "browser --new %U %u";
    EXPECT_EQ(ExpandExec(entry, "%1"), (Words{"browser", "--new", "%1"}));
    entry.Exec = "browser --url=%u --class=%c %k %i %d 100%%";
    EXPECT_EQ(ExpandExec(entry, "%1"),
              (Words{"browser", "--url=%1", "--class=Browser", "/apps/b.desktop", "--icon",
                     "browser-icon", "100%"}));
}

TEST(DesktopEntryExec, QuotedWordsKeepBlanksAndEscapes) {
    DesktopEntry entry{"/apps/b.desktop", "B", "", ""};
    entry.Exec = R"("/opt/My Browser/run" "say \"hi\" \$HOME" "" %f)";
    EXPECT_EQ(ExpandExec(entry, "%1"),
              (Words{"/opt/My Browser/run", R"(say "hi" $HOME)", "", "%1"}));
    entry.Exec = R"("/opt/unclosed %u)";
    EXPECT_FALSE(ExpandExec(entry, "%1"));
    entry.Exec = "%u";
    EXPECT_FALSE(ExpandExec(entry, "")) << "a command of nothing but the address";
}

}  // namespace
}  // namespace vlz
