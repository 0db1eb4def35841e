// Saves that the disk refuses: the old files stay whole and the notes go to an emergency copy in
// the user's state folder. Every fault is one that root cannot bypass.

#include "app/core/NoteStore.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include <gtest/gtest.h>

#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"
#include "support/PrivateMounts.h"
#include "support/TemporaryFolder.h"

namespace vlz {
namespace {

namespace fs = std::filesystem;

// 7 December 2026, 22:15:03 UTC.
constexpr std::time_t Moment = 1796681703;

std::vector<TNote> Notes(const std::string& memo) {
    TNote note;
    note.Memo = memo;
    note.Character = "Tobble";
    return {note, TNote{}};
}

std::string Contents(const std::string& path) {
    return ReadFileIfExists(path).value_or("<none>");
}

class NoteStoreTest : public ::testing::Test {
  protected:
    NoteStoreTest() {
        fs::create_directories(Folder.Path() / "program");
        Files.SettingsBase = Folder / "program/VLZozed";
        Files.SettingsFolder = Folder / "program/";
        Files.EmergencyFolder = Folder / "state/vlzozed/";
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }

    // Every file of the program folder, with its bytes.
    std::map<std::string, std::string> ProgramFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(Folder.Path() / "program")) {
            files[entry.path().filename().string()] =
                entry.is_regular_file() ? Contents(entry.path().string()) : "<folder>";
        }
        return files;
    }

    // A note file with its backups and a preferences file, as an earlier run left them.
    void StoreEarlierRun() {
        WriteNotes(Files.SettingsBase, Notes("yesterday"));
        std::ofstream(Folder / "program/VLZozed.bak") << "first backup";
        std::ofstream(Folder / "program/VLZozed.bk2") << "second backup";
        WritePreferences(Files.SettingsBase, TPreferences{});
    }

    // An earlier run on a tiny disk that then fills up but for one block: room for the backups'
    // copies, none for the longer note file. Returns the note file as the earlier run left it.
    std::string StoreEarlierRunOnAnAlmostFullDisk(testing::PrivateMounts& mounts) {
        const fs::path program = Folder.Path() / "program";
        mounts.MountTiny(program);
        StoreEarlierRun();
        std::string yesterday = Contents(program / "VLZozed.ini");
        mounts.FillUp(program);
        fs::resize_file(program / "filler", fs::file_size(program / "filler") - 4096);
        return yesterday;
    }

    // The first and the second backup hold these.
    void ExpectBackups(const std::string& first, const std::string& second) const {
        EXPECT_EQ(Contents(Folder / "program/VLZozed.bak"), first);
        EXPECT_EQ(Contents(Folder / "program/VLZozed.bk2"), second);
    }

    // The error of a save that must fail; none, after a test failure, when it did not.
    static std::optional<ESaveError> FailedSave(TNoteStore& store, const std::vector<TNote>& notes,
                                                TSaveKind kind) {
        try {
            store.Save(notes, TPreferences{}, kind);
        } catch (const ESaveError& error) {
            return error;
        }
        ADD_FAILURE() << "the save should have failed";
        return std::nullopt;
    }

    // A save the disk refuses leaves every file, backups included, as it was and puts the notes
    // into a new copy.
    void ExpectTheNotesInACopyAndEveryFileAsItWas(TNoteStore& store) {
        const std::map<std::string, std::string> before = ProgramFiles();
        if (const auto error = FailedSave(store, Notes("today"), TSaveKind::Full)) {
            EXPECT_TRUE(error->NotesKept());
            EXPECT_FALSE(error->Repeated());
            EXPECT_EQ(fs::path(error->EmergencyCopy()).parent_path(),
                      Folder.Path() / "state/vlzozed");
            EXPECT_EQ(std::string(error->what()), Folder / "program/VLZozed.ini" +
                                                      " に書き込めません.\n付箋は代わりに " +
                                                      error->EmergencyCopy() + " に保存しました.");
            EXPECT_EQ(ReadNotes(RemoveFileExt(error->EmergencyCopy())), Notes("today"));
        }
        EXPECT_EQ(ProgramFiles(), before);
    }

    // Auto-save ticks that the disk refuses, more than the copies kept: one copy, with the newest
    // notes, told of once.
    void ExpectFullSavesToFailAsOne(TNoteStore& store) {
        std::vector<std::string> copies;
        std::vector<bool> repeated;
        for (std::size_t tick = 0; tick <= TEmergencyCopies::KeptCopies; ++tick) {
            if (const auto error =
                    FailedSave(store, LongNotes(std::to_string(tick)), TSaveKind::Full)) {
                copies.push_back(error->EmergencyCopy());
                repeated.push_back(error->Repeated());
            }
        }
        ASSERT_EQ(copies.size(), TEmergencyCopies::KeptCopies + 1);
        std::vector<bool> toldOnce(copies.size(), true);
        toldOnce[0] = false;
        EXPECT_EQ(repeated, toldOnce);
        EXPECT_EQ(store.EmergencyCopies().Copies(), std::vector<std::string>{copies[0]});
        EXPECT_EQ(ReadNotes(RemoveFileExt(copies[0])),
                  LongNotes(std::to_string(TEmergencyCopies::KeptCopies)));
    }

    // Notes whose file needs a few blocks more than the note file of an earlier run. A memo is
    // read back to its 2047th byte only, so it takes several.
    static std::vector<TNote> LongNotes(const std::string& memo) {
        std::vector<TNote> notes(6, Notes(std::string(2000, 'x') + memo)[0]);
        return notes;
    }

    testing::TemporaryFolder Folder;
    TFileLocations Files;
};

TEST_F(NoteStoreTest, ARefusedSaveKeepsEveryFileAndPutsTheNotesInAnEmergencyCopy) {
    StoreEarlierRun();
    {
        SCOPED_TRACE("a folder where the note file should be");
        fs::rename(Folder / "program/VLZozed.ini", Folder / "program/moved.ini");
        fs::create_directory(Folder / "program/VLZozed.ini");
        TNoteStore store(Files);
        ExpectTheNotesInACopyAndEveryFileAsItWas(store);
        fs::remove(Folder / "program/VLZozed.ini");
        fs::rename(Folder / "program/moved.ini", Folder / "program/VLZozed.ini");
        struct stat status {};
        ASSERT_EQ(::stat((Folder / "state/vlzozed").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u) << "the state folder is the user's alone";
    }
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        SCOPED_TRACE("a folder that refuses every change");
        mounts.MakeReadOnly(Folder.Path() / "program");
        TNoteStore store(Files);
        ExpectTheNotesInACopyAndEveryFileAsItWas(store);
    });
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        SCOPED_TRACE("a full disk");
        mounts.MountTiny(Folder.Path() / "program");
        StoreEarlierRun();
        mounts.FillUp(Folder.Path() / "program");
        TNoteStore store(Files);
        ExpectTheNotesInACopyAndEveryFileAsItWas(store);
    });
}

TEST_F(NoteStoreTest, ACopyThatFailsTooIsSaidAndTheNotesCountAsNotKept) {
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        // The note file and the state folder on one full disk.
        mounts.MountTiny(Folder.Path());
        fs::create_directories(Folder.Path() / "program");
        StoreEarlierRun();
        mounts.FillUp(Folder.Path());
        TNoteStore store(Files);
        if (const auto error = FailedSave(store, Notes("today"), TSaveKind::Quick)) {
            EXPECT_FALSE(error->NotesKept());
            EXPECT_TRUE(error->EmergencyCopy().empty());
            const std::string text = error->what();
            EXPECT_EQ(text.rfind(Folder / "program/VLZozed.ini に書き込めません.\n", 0), 0u)
                << text;
            EXPECT_NE(text.find("付箋の控えも保存できません"), std::string::npos) << text;
        }
        EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("yesterday"));
    });
}

TEST_F(NoteStoreTest, QuickSavesThatKeepFailingRewriteOneCopyAndTellOnce) {
    StoreEarlierRun();
    fs::rename(Folder / "program/VLZozed.ini", Folder / "program/moved.ini");
    fs::create_directory(Folder / "program/VLZozed.ini");
    TNoteStore store(Files);
    auto failure = [&](const std::string& memo, TSaveKind kind) {
        const auto error = FailedSave(store, Notes(memo), kind);
        return error ? std::make_pair(error->EmergencyCopy(), error->Repeated())
                     : std::make_pair(std::string(), false);
    };

    const auto [first, firstRepeated] = failure("one", TSaveKind::Quick);
    EXPECT_FALSE(firstRepeated);
    const auto [second, secondRepeated] = failure("two", TSaveKind::Quick);
    EXPECT_EQ(second, first);
    EXPECT_TRUE(secondRepeated);
    EXPECT_EQ(ReadNotes(RemoveFileExt(first)), Notes("two"));

    // The auto-save timer's failure is one more of the same run.
    const auto [third, thirdRepeated] = failure("three", TSaveKind::Full);
    EXPECT_EQ(third, first);
    EXPECT_TRUE(thirdRepeated);
    const auto [fourth, fourthRepeated] = failure("four", TSaveKind::Quick);
    EXPECT_EQ(fourth, first);
    EXPECT_TRUE(fourthRepeated);
    EXPECT_EQ(ReadNotes(RemoveFileExt(first)), Notes("four"));

    // A good save ends the run of failures: the next one is new again.
    fs::remove(Folder / "program/VLZozed.ini");
    store.Save(Notes("five"), TPreferences{}, TSaveKind::Quick);
    EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("five"));
    fs::remove(Folder / "program/VLZozed.ini");
    fs::create_directory(Folder / "program/VLZozed.ini");
    const auto [sixth, sixthRepeated] = failure("six", TSaveKind::Quick);
    EXPECT_FALSE(sixthRepeated);
    EXPECT_EQ(store.EmergencyCopies().Copies(), (std::vector<std::string>{first, sixth}));
}

TEST_F(NoteStoreTest, FullSavesThatKeepFailingTellOnceAndRotateTheBackupsOnce) {
    const fs::path program = Folder.Path() / "program";
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        SCOPED_TRACE("a disk with room for the backups but not for the longer note file");
        const std::string yesterday = StoreEarlierRunOnAnAlmostFullDisk(mounts);
        TNoteStore store(Files);
        ExpectFullSavesToFailAsOne(store);
        EXPECT_EQ(Contents(program / "VLZozed.ini"), yesterday);
        ExpectBackups(yesterday, "first backup");

        // The first backup holds the note file the failed saves left: the good save after them
        // keeps both generations, and the one after that rotates as ever.
        fs::remove(program / "filler");
        store.Save(LongNotes("room again"), TPreferences{}, TSaveKind::Full);
        ExpectBackups(yesterday, "first backup");
        const std::string roomAgain = Contents(program / "VLZozed.ini");
        store.Save(Notes("later"), TPreferences{}, TSaveKind::Full);
        ExpectBackups(roomAgain, yesterday);
    });
    fs::remove_all(Folder.Path() / "state");
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        SCOPED_TRACE("a folder that refuses every change, then takes them again");
        StoreEarlierRun();
        const std::string yesterday = Contents(program / "VLZozed.ini");
        mounts.MakeReadOnly(program);
        TNoteStore store(Files);
        ExpectFullSavesToFailAsOne(store);
        ExpectBackups("first backup", "second backup");

        // The rotations that the folder refused are not made up for: the good save rotates once.
        ASSERT_EQ(::umount(program.c_str()), 0);
        store.Save(Notes("writable again"), TPreferences{}, TSaveKind::Full);
        EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("writable again"));
        ExpectBackups(yesterday, "first backup");
    });
}

TEST_F(NoteStoreTest, QuickSavesBetweenFailedFullSavesLoseNoGeneration) {
    testing::RunWithPrivateMounts([&](testing::PrivateMounts& mounts) {
        const fs::path program = Folder.Path() / "program";
        const std::string yesterday = StoreEarlierRunOnAnAlmostFullDisk(mounts);
        TNoteStore store(Files);
        EXPECT_THROW(store.Save(LongNotes("tick"), TPreferences{}, TSaveKind::Full), ESaveError);
        EXPECT_THROW(store.Save(LongNotes("typing"), TPreferences{}, TSaveKind::Quick), ESaveError);
        fs::remove(program / "filler");
        store.Save(Notes("typing on"), TPreferences{}, TSaveKind::Quick);
        store.Save(Notes("tick again"), TPreferences{}, TSaveKind::Full);
        EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("tick again"));
        ExpectBackups(yesterday, "first backup");
    });
}

TEST_F(NoteStoreTest, OnlyTheFullSaveRotatesTheBackupsAndAnUnchangedFileIsNotWritten) {
    StoreEarlierRun();
    const std::string yesterday = Contents(Folder / "program/VLZozed.ini");
    TNoteStore store(Files);
    store.Save(Notes("quick"), TPreferences{}, TSaveKind::Quick);
    ExpectBackups("first backup", "second backup");
    EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("quick"));

    struct stat before {};
    ASSERT_EQ(::stat((Folder / "program/VLZozed.ini").c_str(), &before), 0);
    store.Save(Notes("quick"), TPreferences{}, TSaveKind::Quick);
    struct stat after {};
    ASSERT_EQ(::stat((Folder / "program/VLZozed.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the unchanged file was written again";

    // The backups rotate as if the quick saves had not been: the first holds the note file as
    // the last rotating save left it.
    store.Save(Notes("quick again"), TPreferences{}, TSaveKind::Quick);
    store.Save(Notes("full"), TPreferences{}, TSaveKind::Full);
    ExpectBackups(yesterday, "first backup");
    const std::string full = Contents(Folder / "program/VLZozed.ini");
    store.Save(Notes("full again"), TPreferences{}, TSaveKind::Full);
    ExpectBackups(full, yesterday);
}

TEST_F(NoteStoreTest, WithoutANoteFileTheBackupsStayAsTheyAre) {
    {
        TNoteStore store(Files);
        store.Save(Notes("first start"), TPreferences{}, TSaveKind::Quick);
        store.Save(Notes("exit"), TPreferences{}, TSaveKind::Full);
        EXPECT_EQ(ProgramFiles().count("VLZozed.bak"), 0u);
        EXPECT_EQ(ProgramFiles().count("VLZozed.bk2"), 0u);
    }
    // The note file was taken away, its backups left: no generation is lost to a copy of another.
    StoreEarlierRun();
    fs::remove(Folder / "program/VLZozed.ini");
    for (const TSaveKind first : {TSaveKind::Quick, TSaveKind::Full}) {
        TNoteStore store(Files);
        store.Save(Notes("afresh"), TPreferences{}, first);
        if (first == TSaveKind::Quick) {
            store.Save(Notes("afresh"), TPreferences{}, TSaveKind::Full);
        }
        ExpectBackups("first backup", "second backup");
        fs::remove(Folder / "program/VLZozed.ini");
    }
}

TEST_F(NoteStoreTest, APreferencesFileThatCannotBeWrittenLeavesTheNotesSaved) {
    StoreEarlierRun();
    fs::remove(Folder / "program/VLZozed_pref.ini");
    fs::create_directory(Folder / "program/VLZozed_pref.ini");
    TNoteStore store(Files);
    if (const auto error = FailedSave(store, Notes("today"), TSaveKind::Quick)) {
        EXPECT_TRUE(error->NotesKept());
        EXPECT_TRUE(error->EmergencyCopy().empty());
        EXPECT_EQ(std::string(error->what()),
                  Folder / "program/VLZozed_pref.ini に書き込めません.");
    }
    EXPECT_EQ(ReadNotes(Files.SettingsBase), Notes("today"));
    EXPECT_FALSE(fs::exists(Folder.Path() / "state"));
}

TEST_F(NoteStoreTest, CopiesAreNamedAfterTheirMomentAndTheNewestTenStay) {
    const std::string state = Folder / "state/vlzozed/";
    fs::create_directories(state);
    for (const char* other : {"VLZozed.ini", "Other-20261207-221503.ini", "VLZozed-notes.ini",
                              "VLZozed-20261207-221503.txt"}) {
        std::ofstream(state + other) << "not a copy";
    }
    TEmergencyCopies copies(state, "VLZozed.ini");
    std::vector<std::string> written;
    for (int index = 0; index < 11; ++index) {
        written.push_back(copies.WriteNew(Notes(std::to_string(index)), Moment + index / 2 * 60));
    }
    EXPECT_EQ(written[0], state + "VLZozed-20261207-221503.ini");
    EXPECT_EQ(written[1], state + "VLZozed-20261207-221503-2.ini");
    EXPECT_EQ(written[2], state + "VLZozed-20261207-221603.ini");
    EXPECT_EQ(ReadNotes(RemoveFileExt(written[10])), Notes("10"));
    EXPECT_EQ(copies.Copies(), std::vector<std::string>(written.begin() + 1, written.end()));

    // A copy made after the clock went back is the newest all the same.
    const std::string late = copies.WriteNew(Notes("late"), Moment - 86400);
    EXPECT_EQ(late, state + "VLZozed-20261206-221503.ini");
    EXPECT_TRUE(fs::exists(late));
    EXPECT_EQ(copies.Copies().size(), TEmergencyCopies::KeptCopies);
    for (const char* other : {"VLZozed.ini", "Other-20261207-221503.ini", "VLZozed-notes.ini",
                              "VLZozed-20261207-221503.txt"}) {
        EXPECT_EQ(Contents(state + other), "not a copy") << other;
    }
}

}  // namespace
}  // namespace vlz
