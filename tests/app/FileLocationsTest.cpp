#include "app/core/FileLocations.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include "app/core/NoteFile.h"
#include "app/core/Preferences.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;

// A home folder of the test's own, and the XDG variables as each test sets them; the process's
// own environment comes back afterwards.
class FileLocationsTest : public ::testing::Test {
  protected:
    static constexpr const char* Variables[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                                "XDG_STATE_HOME"};

    void SetUp() override {
        for (const char* name : Variables) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(name);
        }
        home_ = root_ / "home";
        fs::create_directories(home_);
        ::setenv("HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

    // An executable file at `relative` (its folders made), as its absolute path.
    std::string Executable(const std::string& relative) {
        fs::path path = root_.Path() / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "";
        return path.string();
    }

    testing::TemporaryFolder root_;
    std::string home_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(FileLocationsTest, AProgramFolderWithoutAShareFolderBesideItIsPortable) {
    std::string executable = Executable("app/VLZozed");
    // Something named share/vlzozed that is not a folder makes no installation either.
    std::ofstream(root_ / "share") << "";
    TFileLocations files = LocateFiles(executable);
    EXPECT_FALSE(files.Installed);
    EXPECT_EQ(files.SettingsBase, executable);
    EXPECT_EQ(files.SettingsFolder, root_ / "app/");
    EXPECT_EQ(files.CharacterFolders, std::vector<std::string>{root_ / "app/"});
    EXPECT_EQ(TNoteFileNames(files.SettingsBase).NoteFile, root_ / "app/VLZozed.ini");
    EXPECT_EQ(PreferencesFileName(files.SettingsBase), root_ / "app/VLZozed_pref.ini");
    // Emergency copies and the login entry are the user's in either mode.
    EXPECT_EQ(files.EmergencyFolder, home_ + "/.local/state/vlzozed/");
    EXPECT_EQ(files.AutostartEntry, home_ + "/.config/autostart/org.example.vlzozed.desktop");
}

TEST_F(FileLocationsTest, AnInstalledProgramKeepsTheSameFilesInTheUsersFolders) {
    std::string executable = Executable("prefix/bin/VLZozed");
    fs::create_directories(root_.Path() / "prefix/share/vlzozed/characters");
    TFileLocations files = LocateFiles(executable);
    EXPECT_TRUE(files.Installed);
    EXPECT_EQ(files.SettingsFolder, home_ + "/.config/vlzozed/");
    EXPECT_EQ(TNoteFileNames(files.SettingsBase).NoteFile, home_ + "/.config/vlzozed/VLZozed.ini");
    EXPECT_EQ(TNoteFileNames(files.SettingsBase).FirstBackup,
              home_ + "/.config/vlzozed/VLZozed.bak");
    EXPECT_EQ(TNoteFileNames(files.SettingsBase).SecondBackup,
              home_ + "/.config/vlzozed/VLZozed.bk2");
    EXPECT_EQ(PreferencesFileName(files.SettingsBase), home_ + "/.config/vlzozed/VLZozed_pref.ini");
    // The shipped characters first, then the user's own; the prefix is named without "bin/..".
    const std::vector<std::string> characters{root_ / "prefix/share/vlzozed/characters/",
                                              home_ + "/.local/share/vlzozed/characters/"};
    EXPECT_EQ(files.CharacterFolders, characters);
    EXPECT_EQ(files.EmergencyFolder, home_ + "/.local/state/vlzozed/");
    EXPECT_FALSE(fs::exists(files.SettingsFolder)) << "locating makes no folder";

    // Another file name keeps files of its own, as it keeps an instance marker of its own.
    std::string renamed = Executable("prefix/bin/Notes");
    EXPECT_EQ(TNoteFileNames(LocateFiles(renamed).SettingsBase).NoteFile,
              home_ + "/.config/vlzozed/Notes.ini");
}

TEST_F(FileLocationsTest, AbsoluteXdgVariablesWinAndOthersTakeTheDefaults) {
    std::string executable = Executable("usr/bin/VLZozed");
    fs::create_directories(root_.Path() / "usr/share/vlzozed");
    ::setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    ::setenv("XDG_STATE_HOME", "", 1);
    TFileLocations files = LocateFiles(executable);
    EXPECT_EQ(files.SettingsFolder, root_ / "config/vlzozed/");
    EXPECT_EQ(files.CharacterFolders.back(), home_ + "/.local/share/vlzozed/characters/");
    EXPECT_EQ(files.EmergencyFolder, home_ + "/.local/state/vlzozed/");
    EXPECT_EQ(files.AutostartEntry, root_ / "config/autostart/org.example.vlzozed.desktop");

    ::setenv("XDG_DATA_HOME", (root_ / "data/").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ / "state").c_str(), 1);
    files = LocateFiles(executable);
    EXPECT_EQ(files.CharacterFolders.back(), root_ / "data/vlzozed/characters/");
    EXPECT_EQ(files.EmergencyFolder, root_ / "state/vlzozed/");
}

TEST_F(FileLocationsTest, AnInstallationIntoTheUsersOwnPrefixSearchesItsCharactersOnce) {
    // Installed with the prefix ~/.local: the shipped folder is the user's folder.
    std::string executable = Executable("home/.local/bin/VLZozed");
    fs::create_directories(home_ + "/.local/share/vlzozed/characters");
    EXPECT_EQ(LocateFiles(executable).CharacterFolders,
              std::vector<std::string>{home_ + "/.local/share/vlzozed/characters/"});

    // The same folder under another name (XDG_DATA_HOME through a symbolic link).
    fs::create_directory_symlink(home_ + "/.local/share", root_ / "linked-data");
    ::setenv("XDG_DATA_HOME", (root_ / "linked-data").c_str(), 1);
    EXPECT_EQ(LocateFiles(executable).CharacterFolders.size(), 1u);
}

TEST_F(FileLocationsTest, MakeUserFolderMakesEachMissingFolderPrivate) {
    fs::create_directories(root_.Path() / "existing");
    fs::permissions(root_.Path() / "existing", fs::perms(0755));
    std::string folder = root_ / "existing/config/vlzozed/";
    ASSERT_TRUE(MakeUserFolder(folder));
    for (const char* made : {"existing/config", "existing/config/vlzozed"}) {
        struct stat status {};
        ASSERT_EQ(::stat((root_ / made).c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
    }
    EXPECT_EQ(fs::status(root_.Path() / "existing").permissions(), fs::perms(0755))
        << "a folder that was there is left as it was";
    EXPECT_TRUE(MakeUserFolder(folder)) << "a second call finds it made";

    // A file where a folder should be stops it, for every user.
    std::ofstream(root_ / "blocked") << "";
    EXPECT_FALSE(MakeUserFolder(root_ / "blocked/vlzozed"));
    EXPECT_FALSE(MakeUserFolder(""));
}

}  // namespace
}  // namespace vlz
