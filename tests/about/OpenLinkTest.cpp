#include "about/core/OpenLink.h"

#include <gtest/gtest.h>

#include "about/RecordingShell.h"
#include "platform/Shell.h"
#include "platform/TemporaryDesktop.h"

namespace vlz {
namespace {

using Words = std::vector<std::string>;

TEST(RemovePlaceholder, TakesTheCharacterBeforeThePlaceholderAlong) {
    EXPECT_EQ(RemovePlaceholder(R"("C:\b\browser.exe" "%1")"), R"("C:\b\browser.exe")");
    EXPECT_EQ(RemovePlaceholder(R"(browser -url "%1" -new)"), "browser -url -new");
    EXPECT_EQ(RemovePlaceholder("browser %1"), "browser");
    EXPECT_EQ(RemovePlaceholder("browser --url=%1"), "browser --url");
    EXPECT_EQ(RemovePlaceholder("browser"), "browser");
    // Only the first placeholder goes; the quoted form is looked for first.
    EXPECT_EQ(RemovePlaceholder(R"(b %1 "%1")"), "b %1");
    EXPECT_EQ(RemovePlaceholder("%1 rest"), " rest");
}

TEST(OpenLink, WebAddressThatTheShellOpensGoesNoFurther) {
    testing::RecordingShell shell;
    OpenLink("http://example.org/", SW_SHOW);
    EXPECT_EQ(shell.Opened, Words{"http://example.org/"});
    EXPECT_EQ(shell.ShowCommands, std::vector<int>{SW_SHOW});
    EXPECT_TRUE(shell.Asked.empty());
    EXPECT_TRUE(shell.Started.empty());
}

TEST(OpenLink, WebAddressFallsBackToTheHtmlBrowserAndStopsAtAMissingKey) {
    testing::RecordingShell shell;
    shell.ShellResult = SE_ERR_NOASSOC;
    OpenLink("http://example.org/", SW_SHOW);
    EXPECT_EQ(shell.Asked, Words{".htm"});
    EXPECT_TRUE(shell.Started.empty());

    shell.Registry[".htm"] = "htmlfile";
    OpenLink("http://example.org/", SW_SHOW);
    EXPECT_EQ(shell.Asked.back(), "htmlfile\\shell\\open\\command");
    EXPECT_TRUE(shell.Started.empty());

    shell.Registry["htmlfile\\shell\\open\\command"] = R"("C:\b\browser.exe" -nohome "%1")";
    OpenLink("http://example.org/", SW_SHOW);
    EXPECT_EQ(shell.Started, Words{R"("C:\b\browser.exe" -nohome http://example.org/)"});
}

TEST(OpenLink, EverythingElseGoesToTheMailProgramWithoutTheShell) {
    testing::RecordingShell shell;
    shell.Registry["mailto\\shell\\open\\command"] = "mailer -compose %1";
    OpenLink("someone@example.org", SW_SHOW);
    OpenLink("mailto:someone@example.org", SW_SHOW);
    OpenLink("HTTP://example.org/", SW_SHOW);
    OpenLink("https://example.org/", SW_SHOW);
    OpenLink("news:x@y mailto:", SW_SHOW);
    EXPECT_EQ(
        shell.Started,
        (Words{"mailer -compose mailto:someone@example.org",
               "mailer -compose mailto:someone@example.org", "mailer -compose HTTP://example.org/",
               "mailer -compose https://example.org/", "mailer -compose news:x@y mailto:"}));
    EXPECT_TRUE(shell.Opened.empty());
}

TEST(OpenLink, ValuesThatDoNotFitTheRegistryBufferFailTheLookup) {
    testing::RecordingShell shell;
    std::string value;
    shell.Registry["k"] = std::string(259, 'a');
    EXPECT_TRUE(ReadRegistryDefault("k", value));
    EXPECT_EQ(value.size(), 259u);
    shell.Registry["k"] = std::string(260, 'a');
    EXPECT_FALSE(ReadRegistryDefault("k", value));
    // Japanese text counts its CP932 bytes: 130 characters are 260 bytes.
    std::string japanese;
    for (int count = 0; count < 130; ++count) {
        japanese += "あ";
    }
    shell.Registry["k"] = japanese;
    EXPECT_FALSE(ReadRegistryDefault("k", value));
    shell.Registry["k"] = std::string("cmd\0tail", 8);
    EXPECT_TRUE(ReadRegistryDefault("k", value));
    EXPECT_EQ(value, "cmd");

    shell.Registry["mailto\\shell\\open\\command"] = "mailer " + std::string(255, 'x') + " %1";
    OpenLink("a@b", SW_SHOW);
    EXPECT_TRUE(shell.Started.empty());
}

// The same paths through the real desktop: stub programs on PATH and private XDG folders.
class OpenLinkOnTheDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        browser_ = desktop_.BinStub("browser").string();
        mailer_ = desktop_.BinStub("mailer").string();
        desktop_.Application("web.desktop", browser_ + " --new-window %u");
        desktop_.Application("mail.desktop", "mailer -compose %u");
        desktop_.Write("config/mimeapps.list",
                       "[Default Applications]\ntext/html=web.desktop\n"
                       "x-scheme-handler/mailto=mail.desktop\n");
    }

    testing::TemporaryDesktop desktop_;
    std::string browser_, mailer_;
};

TEST_F(OpenLinkOnTheDesktop, WebAddressGoesToTheOpener) {
    desktop_.BinStub("xdg-open", 0);
    OpenLink("http://vlzozed.example.org/", SW_SHOW);
    EXPECT_EQ(desktop_.Record("xdg-open"), Words{"http://vlzozed.example.org/"});
    EXPECT_FALSE(desktop_.Record("browser", std::chrono::milliseconds(300)));
}

TEST_F(OpenLinkOnTheDesktop, FailingOpenerHandsTheAddressToTheHtmlHandler) {
    desktop_.BinStub("xdg-open", 3);
    OpenLink("http://vlzozed.example.org/", SW_SHOW);
    EXPECT_EQ(desktop_.Record("xdg-open"), Words{"http://vlzozed.example.org/"});
    EXPECT_EQ(desktop_.Record("browser"), (Words{"--new-window", "http://vlzozed.example.org/"}));
}

TEST_F(OpenLinkOnTheDesktop, MissingOpenerHandsTheAddressToTheHtmlHandler) {
    OpenLink("http://vlzozed.example.org/", SW_SHOW);
    EXPECT_EQ(desktop_.Record("browser"), (Words{"--new-window", "http://vlzozed.example.org/"}));
}

TEST_F(OpenLinkOnTheDesktop, MailAddressesAndOtherSchemesGoToTheMailHandler) {
    desktop_.BinStub("xdg-open", 0);
    OpenLink("someone@example.org", SW_SHOW);
    EXPECT_EQ(desktop_.Record("mailer"), (Words{"-compose", "mailto:someone@example.org"}));
    std::filesystem::remove(desktop_.Root / "records" / "mailer");

    OpenLink("HTTP://vlzozed.example.org/", SW_SHOW);
    EXPECT_EQ(desktop_.Record("mailer"), (Words{"-compose", "HTTP://vlzozed.example.org/"}));
    EXPECT_FALSE(desktop_.Record("xdg-open", std::chrono::milliseconds(100)));
}

TEST_F(OpenLinkOnTheDesktop, TargetWithBlanksArrivesAsSeveralArguments) {
    OpenLink("write to someone@example.org", SW_SHOW);
    EXPECT_EQ(desktop_.Record("mailer"),
              (Words{"-compose", "mailto:write", "to", "someone@example.org"}));
}

TEST_F(OpenLinkOnTheDesktop, NoRegisteredHandlerDoesNothing) {
    desktop_.Write("config/mimeapps.list", "");
    OpenLink("http://vlzozed.example.org/", SW_SHOW);
    OpenLink("someone@example.org", SW_SHOW);
    EXPECT_FALSE(desktop_.Record("browser", std::chrono::milliseconds(200)));
    EXPECT_FALSE(desktop_.Record("mailer", std::chrono::milliseconds(1)));
}

}  // namespace
}  // namespace vlz
