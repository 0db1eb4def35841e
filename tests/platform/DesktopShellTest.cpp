#include "platform/Shell.h"

#include <gtest/gtest.h>

#include "platform/MimeAssociations.h"
#include "platform/TemporaryDesktop.h"

namespace vlz {
namespace {

using Words = std::vector<std::string>;
using namespace std::chrono_literals;

TEST(DesktopShell, OpenerSucceedsOnlyWhenItExitsWithZero) {
    testing::TemporaryDesktop desktop;
    DesktopShell shell;
    EXPECT_EQ(shell.ShellExecute("http://example.org/", SW_SHOW), ERROR_FILE_NOT_FOUND)
        << "no opener on PATH";

    desktop.BinStub("xdg-open", 0);
    EXPECT_GT(shell.ShellExecute("http://example.org/a b", SW_SHOW), ShellExecuteSuccessAbove);
    EXPECT_EQ(desktop.Record("xdg-open"), (Words{"http://example.org/a b"}));

    desktop.BinStub("xdg-open", 4);
    EXPECT_LE(shell.ShellExecute("http://example.org/", SW_SHOW), ShellExecuteSuccessAbove);
}

TEST(DesktopShell, ClassLookupsFollowTheDefaultHandlers) {
    testing::TemporaryDesktop desktop;
    DesktopShell shell;
    EXPECT_FALSE(shell.ReadClassesRootDefault(".htm"));
    EXPECT_FALSE(shell.ReadClassesRootDefault("mailto\\shell\\open\\command"));

    std::string browser = desktop.BinStub("browser").string();
    std::string mailer = desktop.BinStub("mailer").string();
    desktop.Application("web.desktop", browser + " --new-window %u");
    desktop.Application("mail.desktop", mailer + " -compose %U");
    desktop.Write("config/mimeapps.list",
                  "[Default Applications]\ntext/html=web.desktop\n"
                  "x-scheme-handler/mailto=mail.desktop;\n");

    EXPECT_EQ(shell.ReadClassesRootDefault(".HTM"), "web.desktop");
    EXPECT_EQ(shell.ReadClassesRootDefault("web.desktop\\shell\\open\\command"),
              browser + " --new-window %1");
    EXPECT_EQ(shell.ReadClassesRootDefault("MailTo\\Shell\\Open\\Command"),
              mailer + " -compose %1");
    EXPECT_FALSE(shell.ReadClassesRootDefault("nothing.desktop\\shell\\open\\command"));
    EXPECT_FALSE(shell.ReadClassesRootDefault("\\shell\\open\\command"));
    EXPECT_FALSE(shell.ReadClassesRootDefault("..\\shell\\open\\command"));
}

TEST(DesktopShell, ProgramPathWithBlanksStaysOneWord) {
    testing::TemporaryDesktop desktop;
    DesktopShell shell;
    std::string program = desktop.Stub(desktop.Root / "my apps" / "browser").string();
    desktop.Application("web.desktop", "\"" + program + "\" %u");
    desktop.Write("config/mimeapps.list", "[Default Applications]\ntext/html=web.desktop\n");

    auto command = shell.ReadClassesRootDefault("web.desktop\\shell\\open\\command");
    ASSERT_TRUE(command);
    EXPECT_EQ(*command, "\"" + program + "\" %1");
    EXPECT_GT(shell.WinExec("\"" + program + "\" one \"two words\"", SW_SHOW), WinExecSuccessAbove);
    EXPECT_EQ(desktop.Record("browser"), (Words{"one", "two words"}));
}

TEST(DesktopShell, StartingAMissingProgramFails) {
    testing::TemporaryDesktop desktop;
    DesktopShell shell;
    EXPECT_LE(shell.WinExec("no-such-program-here x", SW_SHOW), WinExecSuccessAbove);
    EXPECT_LE(shell.WinExec("   ", SW_SHOW), WinExecSuccessAbove);
}

TEST(MimeAssociations, UserListsComeBeforeSystemListsAndMissingEntriesAreSkipped) {
    testing::TemporaryDesktop desktop;
    desktop.Application("user.desktop", "user %u");
    desktop.Application("system.desktop", "system %u");
    desktop.Application("added.desktop", "added %u");
    desktop.Write("etc/mimeapps.list", "[Default Applications]\ntext/html=system.desktop\n");
    EXPECT_EQ(DefaultApplication("text/html"), "system.desktop");

    desktop.Write("config/mimeapps.list",
                  "# mine\n[Default Applications]\ntext/html=gone.desktop;user.desktop\n");
    EXPECT_EQ(DefaultApplication("text/html"), "user.desktop") << "gone.desktop is not installed";

    desktop.Set("XDG_CURRENT_DESKTOP", "Openbox:X-Generic");
    desktop.Write("config/openbox-mimeapps.list",
                  "[Default Applications]\ntext/html=system.desktop\n");
    EXPECT_EQ(DefaultApplication("text/html"), "system.desktop") << "the desktop's own list";
}

TEST(MimeAssociations, AddedAssociationsAndCachesServeWhenNoDefaultIsSet) {
    testing::TemporaryDesktop desktop;
    desktop.Application("added.desktop", "added %u");
    desktop.Application("cached.desktop", "cached %u");
    desktop.Write("share/applications/mimeinfo.cache",
                  "[MIME Cache]\nx-scheme-handler/mailto=cached.desktop;\n");
    EXPECT_EQ(DefaultApplication("x-scheme-handler/mailto"), "cached.desktop");

    desktop.Write("data/applications/mimeapps.list",
                  "[Added Associations]\nx-scheme-handler/mailto=added.desktop;\n");
    EXPECT_EQ(DefaultApplication("x-scheme-handler/mailto"), "added.desktop");

    desktop.Write("config/mimeapps.list",
                  "[Removed Associations]\nx-scheme-handler/mailto=added.desktop;cached.desktop\n");
    EXPECT_FALSE(DefaultApplication("x-scheme-handler/mailto"));
}

TEST(MimeAssociations, DashesInAnIdMayNameSubfolders) {
    testing::TemporaryDesktop desktop;
    desktop.Write("share/applications/kde/web-browser.desktop",
                  "[Desktop Entry]\nType=Application\nExec=b %u\n");
    desktop.Write("share/applications/hidden.desktop",
                  "[Desktop Entry]\nType=Application\nHidden=true\nExec=b %u\n");
    EXPECT_EQ(FindDesktopEntryFile("kde-web-browser.desktop"),
              (desktop.Root / "share/applications/kde/web-browser.desktop").string());
    desktop.Write("config/mimeapps.list", "[Default Applications]\ntext/html=hidden.desktop\n");
    EXPECT_FALSE(DefaultApplication("text/html")) << "a hidden entry is not installed";
}

}  // namespace
}  // namespace vlz
