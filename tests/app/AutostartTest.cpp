#include "app/core/Autostart.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/DesktopEntry.h"
#include "platform/Exception.h"
#include "platform/FileReplace.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;

class AutostartTest : public ::testing::Test {
  protected:
    TAutostartEntry Entry(const std::string& executable) const {
        return TAutostartEntry(entryPath_, executable);
    }
    // The program a session would start from the entry, as a launcher reads the Exec line.
    std::string StartedProgram() const {
        std::optional<DesktopEntry> entry = ReadDesktopEntry(entryPath_);
        if (!entry) {
            return "(no entry)";
        }
        std::optional<std::vector<std::string>> command = ExpandExec(*entry, "");
        return command && command->size() == 1 ? command->front() : "(not one argument)";
    }

    testing::TemporaryFolder config_;
    std::string entryPath_ = config_ / "autostart/org.example.vlzozed.desktop";
};

TEST_F(AutostartTest, TheEntryStartsTheProgramByItsExactPath) {
    // The folder is made on demand, and each of these paths comes back whole from the Exec line.
    for (const std::string path :
         {"/usr/bin/VLZozed", "/home/u/My Notes/VLZozed", "/opt/Velloric付箋/VLZozed",
          "/tmp/a\"b`c$d\\e'f;g&h|i(j)k*l?m#n~o<p>/VLZozed",
          "/tmp/tab\there/line\nbreak/VLZozed"}) {
        TAutostartEntry entry = Entry(path);
        entry.Enable(true);
        EXPECT_TRUE(entry.Enabled());
        EXPECT_EQ(StartedProgram(), path);
        entry.Enable(false);
        EXPECT_FALSE(fs::exists(entryPath_));
    }
    // A launcher would read a lone '%' as a field code.
    EXPECT_EQ(QuoteExecArgument("/opt/100%/VLZozed"), "\"/opt/100%%/VLZozed\"");
    // Backslashes are escaped for the quoting and again for the string value.
    EXPECT_EQ(QuoteExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");
}

TEST_F(AutostartTest, TheEntryIsAnApplicationWithTheProgramsNameAndIcon) {
    Entry("/usr/bin/VLZozed").Enable(true);
    std::optional<DesktopEntry> entry = ReadDesktopEntry(entryPath_);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->Name, "Velloric付箋");
    EXPECT_EQ(entry->Icon, "org.example.vlzozed");
    EXPECT_EQ(entry->Exec, "\"/usr/bin/VLZozed\"");
}

TEST_F(AutostartTest, HiddenOrSwitchedOffEntriesCountAsOff) {
    TAutostartEntry entry = Entry("/usr/bin/VLZozed");
    EXPECT_FALSE(entry.Enabled());
    fs::create_directories(config_.Path() / "autostart");
    const std::pair<const char*, bool> cases[] = {
        {"[Desktop Entry]\nType=Application\nExec=VLZozed\n", true},
        {"", true},  // present is present
        {"[Desktop Entry]\nExec=VLZozed\nHidden=true\n", false},
        {"[Desktop Entry]\nExec=VLZozed\nHidden = true\n", false},
        {"[Desktop Entry]\nExec=VLZozed\nHidden=false\n", true},
        {"[Desktop Entry]\nExec=VLZozed\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Other]\nHidden=true\n[Desktop Entry]\nExec=VLZozed\n", true},
    };
    for (const auto& [text, enabled] : cases) {
        ReplaceFile(entryPath_, text);
        EXPECT_EQ(entry.Enabled(), enabled) << text;
    }
    EXPECT_FALSE(TAutostartEntry("", "/usr/bin/VLZozed").Enabled());
}

TEST_F(AutostartTest, AnEntryThatStartsThisProgramAlreadyIsKeptAsTheUserEditedIt) {
    fs::create_directories(config_.Path() / "autostart");
    const std::string edited =
        "[Desktop Entry]\nType=Application\nName=Notes\nExec=/usr/bin/VLZozed\nX-Delay=10\n";
    ReplaceFile(entryPath_, edited);
    Entry("/usr/bin/VLZozed").Enable(true);
    EXPECT_EQ(ReadFileIfExists(entryPath_), edited);

    // Moved program, switched-off entry: written anew.
    Entry("/opt/vlzozed/bin/VLZozed").Enable(true);
    EXPECT_EQ(StartedProgram(), "/opt/vlzozed/bin/VLZozed");
    ReplaceFile(entryPath_, edited + "Hidden=true\n");
    TAutostartEntry entry = Entry("/usr/bin/VLZozed");
    entry.Enable(true);
    EXPECT_TRUE(entry.Enabled());
    EXPECT_EQ(StartedProgram(), "/usr/bin/VLZozed");
}

TEST_F(AutostartTest, WhatCannotBeDoneIsReportedAndChangesNothing) {
    // A path that is not UTF-8 cannot be written into a desktop entry.
    TAutostartEntry foreign = Entry("/opt/\xff\xfe/VLZozed");
    EXPECT_THROW(foreign.Enable(true), Exception);
    EXPECT_FALSE(fs::exists(config_.Path() / "autostart"));

    // A folder where the entry should be can be neither replaced nor removed, not even by root.
    fs::create_directories(entryPath_);
    TAutostartEntry entry = Entry("/usr/bin/VLZozed");
    try {
        entry.Enable(false);
        ADD_FAILURE() << "removing a folder succeeded";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(entryPath_), std::string::npos);
    }
    EXPECT_THROW(entry.Enable(true), Exception);
    EXPECT_TRUE(fs::is_directory(entryPath_));

    // Nothing to remove is no error.
    TAutostartEntry elsewhere(config_ / "missing/org.example.vlzozed.desktop", "/usr/bin/VLZozed");
    EXPECT_NO_THROW(elsewhere.Enable(false));
}

}  // namespace
}  // namespace vlz
