// The controller's rules, on the offscreen platform with a recording notification area and a
// program folder of its own.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/Main.h"
#include "app/core/EmergencyCopies.h"
#include "app/core/NoteFile.h"
#include "app/core/Preferences.h"
#include "characters/PackageFile2.h"
#include "characters/PackageWriter.h"
#include "characters/Sprite.h"
#include "doubles/RecordingNotifyIconShell.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "notes/Zozed.h"
#include "platform/ExecutablePath.h"
#include "platform/FileReplace.h"
#include "platform/NotifyIcon.h"
#include "support/EventLoop.h"
#include "support/QtApplication.h"
#include "support/TemporaryFolder.h"
#include "support/WindowExposed.h"
#include "toolkit/Memo.h"
#include "toolkit/Timer.h"
#include "toolkit/TrayHostMenu.h"
#include "trayicon/TrayIcon.h"

namespace vlz {
namespace {

// The menus a tray host was given to show by itself, in order.
class RecordingHostMenu : public TrayHostMenu {
  public:
    void SetHostMenu(std::uint32_t uID, QMenu* menu) override { Menus.emplace_back(uID, menu); }
    std::vector<std::pair<std::uint32_t, QMenu*>> Menus;
};

std::string BundledPackage(const char* name) {
    return std::string(VLZ_BINARY_DIR) + "/app/" + name;
}

// A package with Tobble's picture and the given description: one whose description lacks a key
// loads, after a box that tells the user so.
void WritePackage(const std::string& path, const std::string& description) {
    TReadPackageFile tobble;
    tobble.OpenFile(BundledPackage("Tobble.vlf"));
    const TPackageEntry image = tobble.GetEntry(tobble.IndexOf("image.bmp"));
    std::vector<std::uint8_t> picture(static_cast<std::size_t>(image.Size));
    tobble.OpenEntry("image.bmp")->ReadBuffer(picture.data(), picture.size());
    const std::vector<std::uint8_t> package = BuildPackage(
        {{"desc.txt", std::vector<std::uint8_t>(description.begin(), description.end())},
         {"image.bmp", picture}});
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(package.data()),
               static_cast<std::streamsize>(package.size()));
}

std::string Contents(const std::string& path) {
    return ReadFileIfExists(path).value_or("<none>");
}

class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::TestApplication().SetTitle("Velloric付箋");
        // Emergency copies go to a state folder of the test's own.
        ::setenv("XDG_STATE_HOME", (Folder / "state").c_str(), 1);
        std::filesystem::copy_file(BundledPackage("Tobble.vlf"), Folder / "Tobble.vlf");
        std::filesystem::copy_file(BundledPackage("Kerro.vlf"), Folder / "Kerro.vlf");
    }
    void TearDown() override {
        if (Main) {
            Main.reset();
        }
        QCoreApplication::processEvents();
    }

    TMainForm& Start() {
        Main = std::make_unique<TMainForm>(Folder / "VLZozed");
        Main->RunCreate();
        Main->LoadAll();
        return *Main;
    }

    HICON TrayIconHandle() const { return Main->TrayIcon().Icon().Handle(); }

    std::vector<std::string> EmergencyCopies() const {
        return TEmergencyCopies(Folder / "state/vlzozed/", "VLZozed.ini").Copies();
    }

    testing::TemporaryFolder Folder;
    testing::ScriptedMessageBoxes Boxes;
    testing::RecordingNotifyIconShell Shell;
    std::unique_ptr<TMainForm> Main;
};

TEST_F(MainFormTest, NoAutoSaveTickBeforeTheNotesAreLoadedEvenInsideAStartUpBox) {
    TNote stored;
    stored.Memo = "昨日のメモ";
    stored.Character = "Tobble";
    WriteNotes(Folder / "VLZozed", {stored});
    TPreferences preferences;
    preferences.BootCount = 6;
    preferences.AutoBackupInterval = 1;
    WritePreferences(Folder / "VLZozed", preferences);
    std::ofstream(Folder / "VLZozed.bak") << "first backup";
    std::ofstream(Folder / "VLZozed.bk2") << "second backup";
    WritePackage(Folder / "Broken.vlf", "Name=Broken\r\nPatternWidth=32\r\n");
    const std::vector<std::string> names = Folder.Names();
    std::vector<std::string> before;
    for (const std::string& name : names) {
        before.push_back(Contents(Folder / name));
    }

    // The start-up box stays open for many auto-save periods, and the timers run inside it.
    Boxes.WhileOpen = testing::KeepOpenFor(400);
    Main = std::make_unique<TMainForm>(Folder / "VLZozed");
    Main->SetMinuteLength(20);
    Main->RunCreate();
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_NE(Boxes.Boxes.back().Text.find("読み込み中のエラー"), std::string::npos);
    Main->SaveAll();  // what the close query and the end of a session run
    testing::RunEventsFor(100);
    EXPECT_EQ(Folder.Names(), names);
    for (std::size_t index = 0; index < names.size(); ++index) {
        EXPECT_EQ(Contents(Folder / names[index]), before[index]) << names[index];
    }

    Boxes.WhileOpen = nullptr;
    Main->LoadAll();
    ASSERT_EQ(Main->Notes().size(), 1u);
    EXPECT_EQ(Main->Notes()[0]->Memo->Text(), "昨日のメモ");
    EXPECT_TRUE(Main->Close());
    EXPECT_EQ(ReadNotes(Folder / "VLZozed"), std::vector<TNote>{stored});
    EXPECT_EQ(ReadPreferences(Folder / "VLZozed").BootCount, 8);
    EXPECT_EQ(Contents(Folder / "VLZozed.bk2"), "first backup");
}

TEST_F(MainFormTest, FirstStartMakesOneNewNoteWithTheCreationLines) {
    TMainForm& main = Start();
    EXPECT_TRUE(main.Loaded());
    EXPECT_EQ(main.BootCount(), 1);
    ASSERT_EQ(main.Notes().size(), 1u);
    const std::string memo = main.Notes()[0]->Memo->Text();
    EXPECT_NE(memo.find("\r\nここにメモを書き込めます."), std::string::npos);
    EXPECT_EQ(memo.rfind(CreationText(main.Notes()[0]->CreatedAt()), 0), 0u);
}

TEST_F(MainFormTest, HideToggleFollowsTheFirstNoteAlone) {
    TMainForm& main = Start();
    main.NewActionExecute();
    ASSERT_EQ(main.Notes().size(), 2u);
    main.Notes()[1]->Hide();  // visibility differs: the first note decides
    main.HideActionExecute();
    EXPECT_FALSE(main.Notes()[0]->Visible());
    EXPECT_FALSE(main.Notes()[1]->Visible());
    EXPECT_EQ(TrayIconHandle(), main.HideIconImage().Handle());

    main.Notes()[1]->Show();
    main.HideActionExecute();
    EXPECT_TRUE(main.Notes()[0]->Visible());
    EXPECT_TRUE(main.Notes()[1]->Visible());
    EXPECT_EQ(TrayIconHandle(), main.ShowIconImage().Handle());
}

TEST_F(MainFormTest, NewNoteShowsHiddenNotesAndComesLast) {
    TMainForm& main = Start();
    TZozedForm* first = main.Notes()[0];
    main.HideAllNotes();
    main.NewActionExecute();
    ASSERT_EQ(main.Notes().size(), 2u);
    EXPECT_EQ(main.Notes()[0], first);
    EXPECT_TRUE(first->Visible());
    EXPECT_TRUE(main.Notes()[1]->Visible());
    EXPECT_EQ(TrayIconHandle(), main.ShowIconImage().Handle());
}

TEST_F(MainFormTest, DeletingTheOnlyNoteLeavesNothingToToggle) {
    TMainForm& main = Start();
    Boxes.Answers = {IDCANCEL};
    main.Notes()[0]->CloseClick();
    ASSERT_EQ(main.Notes().size(), 1u);
    EXPECT_EQ(Boxes.Boxes.back().Text, "付箋を削除してもよろしいですか？");
    EXPECT_EQ(Boxes.Boxes.back().Caption, "削除の確認");
    EXPECT_EQ(Boxes.Boxes.back().Flags, 0x121u);

    Boxes.Answers = {IDOK};
    main.Notes()[0]->CloseClick();
    EXPECT_TRUE(main.Notes().empty());
    const HICON before = TrayIconHandle();
    main.HideActionExecute();
    EXPECT_EQ(TrayIconHandle(), before);

    main.SaveAll();
    EXPECT_TRUE(ReadNotes(main.Files().SettingsBase).empty());
}

TEST_F(MainFormTest, ListedNoteRefusesToClose) {
    TMainForm& main = Start();
    TZozedForm* note = main.Notes()[0];
    EXPECT_FALSE(note->Close());
    EXPECT_TRUE(note->Visible());
}

TEST_F(MainFormTest, ModeChangesRewireTheTrayAtOnce) {
    TMainForm& main = Start();
    EXPECT_EQ(main.TrayIcon().LBPopupMenu(), main.PopupMenu());
    EXPECT_EQ(main.TrayIcon().RBPopupMenu(), nullptr);
    Shell.Deliver(WM_RBUTTONDOWN);
    EXPECT_FALSE(main.Notes()[0]->Visible());
    Shell.Deliver(WM_RBUTTONDOWN);
    EXPECT_TRUE(main.Notes()[0]->Visible());

    // A host that opens an exported menu by itself gets the right button's menu, and only that.
    RecordingHostMenu host;
    main.SetTrayHostMenu(&host);
    main.SetMouseButtonMode(5);  // any mode but 0 behaves as 1
    EXPECT_EQ(main.TrayIcon().LBPopupMenu(), nullptr);
    EXPECT_EQ(main.TrayIcon().RBPopupMenu(), main.PopupMenu());
    Shell.Deliver(WM_LBUTTONDOWN);
    EXPECT_FALSE(main.Notes()[0]->Visible());
    Shell.Deliver(WM_MBUTTONDOWN);
    EXPECT_FALSE(main.Notes()[0]->Visible());
    main.SetMouseButtonMode(0);
    const auto id = static_cast<std::uint32_t>(main.TrayIcon().ID());
    EXPECT_EQ(host.Menus, (std::vector<std::pair<std::uint32_t, QMenu*>>{
                              {id, nullptr}, {id, main.PopupMenu()}, {id, nullptr}}));
    main.SetTrayHostMenu(nullptr);
}

TEST_F(MainFormTest, AutoBackupIntervalProgramsTheTimer) {
    TMainForm& main = Start();
    main.SetAutoBackupInterval(0);
    EXPECT_FALSE(main.Timer().Active());
    main.SetAutoBackupInterval(1);
    EXPECT_TRUE(main.Timer().Active());
    EXPECT_EQ(main.Timer().Interval(), 60000);
    main.SetAutoBackupInterval(5);
    EXPECT_EQ(main.Timer().Interval(), 300000);
    main.SetAutoBackupInterval(40000);  // beyond a 32-bit millisecond count
    EXPECT_EQ(main.Timer().Interval(), 35791 * 60000);
    EXPECT_EQ(main.AutoBackupInterval(), 40000);
}

TEST_F(MainFormTest, CharacterOutsideTheCatalogueDrawsAndSavesAsTheFirst) {
    TMainForm& main = Start();
    TZozedForm* note = main.Notes()[0];
    note->SetCharacter(99);
    EXPECT_EQ(note->CharacterIndex(), 99);
    note->TimerTimer();  // draws the first character without failing
    main.SetNoteDefaults(TFont{}, clBlack, -1);
    main.SaveAll();
    const std::string first = main.CharacterAt(0)->Name;
    EXPECT_EQ(ReadNotes(main.Files().SettingsBase)[0].Character, first);
    EXPECT_EQ(ReadPreferences(main.Files().SettingsBase).DefaultCharacter, first);
}

TEST_F(MainFormTest, StoredNotesComeBackInOrderWithTheirValues) {
    TNote stored;
    stored.Memo = "一行目\r\n二行目";
    stored.WindowLeft = 40;
    stored.WindowTop = 50;
    stored.BGColor = 0x123456;
    stored.Character = "no such character";
    WriteNotes((Folder / "VLZozed"), {stored, TNote{}});
    TPreferences preferences;
    preferences.BootCount = 4;
    WritePreferences((Folder / "VLZozed"), preferences);

    TMainForm& main = Start();
    ASSERT_EQ(main.Notes().size(), 2u);
    EXPECT_EQ(main.BootCount(), 5);
    EXPECT_EQ(main.Notes()[0]->Memo->Text(), stored.Memo);
    EXPECT_EQ(main.Notes()[0]->SavedPosition(), QPoint(40, 50));
    EXPECT_EQ(main.Notes()[0]->Memo->Color(), 0x123456);
    EXPECT_EQ(main.Notes()[0]->CharacterIndex(), 0);
}

TEST_F(MainFormTest, NoteStoredOffEveryScreenIsShownOnOneAndKeepsItsStoredPlace) {
    TNote stored;
    stored.WindowLeft = -50000;
    stored.WindowTop = 40000;
    WriteNotes((Folder / "VLZozed"), {stored});
    TPreferences preferences;
    preferences.BootCount = 2;
    WritePreferences((Folder / "VLZozed"), preferences);

    TMainForm& main = Start();
    ASSERT_EQ(main.Notes().size(), 1u);
    TZozedForm* note = main.Notes()[0];
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(screen.intersects(note->frameGeometry()));
    EXPECT_EQ(note->SavedPosition(), QPoint(-50000, 40000));

    // Once it is on the screen the user moves it: the new place is saved.
    ASSERT_TRUE(testing::WaitUntilExposed(*note));
    EXPECT_EQ(note->SavedPosition(), QPoint(-50000, 40000));
    note->move(note->pos() + QPoint(10, 10));
    EXPECT_EQ(note->SavedPosition(), note->pos());
}

TEST_F(MainFormTest, SaveErrorNamesTheEmergencyCopyAndTheCloseWaits) {
    TMainForm& main = Start();
    // A folder where the note file should be: no file can be written over it, not even by root.
    std::filesystem::create_directory(Folder / "VLZozed.ini");
    const std::size_t before = Boxes.Boxes.size();
    EXPECT_FALSE(main.Close());
    EXPECT_TRUE(std::filesystem::is_directory(Folder / "VLZozed.ini"));
    ASSERT_EQ(Boxes.Boxes.size(), before + 1);
    const std::string text = Boxes.Boxes.back().Text;
    EXPECT_EQ(Boxes.Boxes.back().Flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(text.rfind(Folder / "VLZozed.ini に書き込めません.\n", 0), 0u) << text;
    const std::vector<std::string> copies = EmergencyCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(text.find(copies[0]), std::string::npos) << text;
    EXPECT_EQ(ReadNotes(RemoveFileExt(copies[0]))[0].Memo, main.Notes()[0]->Memo->Text());

    // At the end of the session the notes are safe in the copy the user was told of: the
    // program ends without a box.
    EXPECT_TRUE(main.EndSession());
    EXPECT_EQ(Boxes.Boxes.size(), before + 1);
    EXPECT_EQ(EmergencyCopies(), copies);
}

TEST_F(MainFormTest, EndOfSessionWaitsWhenTheNotesCouldGoNowhere) {
    TMainForm& main = Start();
    std::filesystem::create_directory(Folder / "VLZozed.ini");
    std::ofstream(Folder / "state") << "a file where the state folder should be";
    EXPECT_FALSE(main.EndSession());
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_NE(Boxes.Boxes.back().Text.find("付箋の控えも保存できません"), std::string::npos)
        << Boxes.Boxes.back().Text;
}

TEST_F(MainFormTest, EditsReachTheDiskWithinSecondsAndLeaveTheBackupsAlone) {
    TMainForm& main = Start();  // the first start's new note is an edit too
    const std::string base = Folder / "VLZozed";
    auto saved = [&](const std::function<bool()>& condition) {
        return testing::WaitFor([&] { return !main.ChangesPending() && condition(); }, 3000);
    };
    auto notes = [&] { return ReadNotes(base); };
    ASSERT_TRUE(saved([&] { return notes().size() == 1; }));
    TZozedForm* note = main.Notes()[0];

    // Nothing changed: nothing is written.
    struct stat before {};
    ASSERT_EQ(::stat((Folder / "VLZozed.ini").c_str(), &before), 0);
    testing::RunEventsFor(1500);
    struct stat after {};
    ASSERT_EQ(::stat((Folder / "VLZozed.ini").c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    note->Memo->InsertTyped(QStringLiteral("追記"));
    EXPECT_TRUE(saved([&] { return notes()[0].Memo.find("追記") != std::string::npos; }));
    note->move(note->pos() + QPoint(13, 17));
    EXPECT_TRUE(saved([&] { return notes()[0].WindowLeft == note->pos().x(); }));
    note->SetMemoBGColor(0x123456);  // what the properties dialog applies
    EXPECT_TRUE(saved([&] { return notes()[0].BGColor == 0x123456; }));
    main.NewActionExecute();
    EXPECT_TRUE(saved([&] { return notes().size() == 2; }));
    main.RemoveNote(main.Notes()[1]);
    EXPECT_TRUE(saved([&] { return notes().size() == 1; }));
    main.SetNoteDefaults(TFont{}, 0x654321, 1);
    EXPECT_TRUE(saved([&] { return ReadPreferences(base).DefaultBGColor == 0x654321; }));
    main.SetMouseButtonMode(1);
    EXPECT_TRUE(saved([&] { return ReadPreferences(base).MouseButtonMode == 1; }));

    EXPECT_FALSE(std::filesystem::exists(Folder / "VLZozed.bak"));
    EXPECT_FALSE(std::filesystem::exists(Folder / "VLZozed.bk2"));
}

TEST_F(MainFormTest, QuickSavesThatFailTellOnceAndKeepTheCopyUpToDate) {
    TMainForm& main = Start();
    std::filesystem::create_directory(Folder / "VLZozed.ini");
    TZozedForm* note = main.Notes()[0];
    ASSERT_TRUE(testing::WaitFor([&] { return EmergencyCopies().size() == 1; }));
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].Text.find(EmergencyCopies()[0]), std::string::npos);

    note->Memo->InsertTyped(QStringLiteral("その後の追記"));
    const std::string copy = RemoveFileExt(EmergencyCopies()[0]);
    EXPECT_TRUE(testing::WaitFor(
        [&] { return ReadNotes(copy)[0].Memo.find("その後の追記") != std::string::npos; }));
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(EmergencyCopies().size(), 1u);
}

TEST_F(MainFormTest, AutoSaveTicksThatFailTellOnceAndEveryCloseTellsAgain) {
    TMainForm& main = Start();
    std::filesystem::create_directory(Folder / "VLZozed.ini");
    main.SetMinuteLength(20);
    main.SetAutoBackupInterval(1);
    testing::RunEventsFor(400);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::vector<std::string> copies = EmergencyCopies();
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].Text.find(copies[0]), std::string::npos) << Boxes.Boxes[0].Text;

    // The user asked to end the program: each refused close says why, and where the notes are.
    for (const std::size_t boxes : {2u, 3u}) {
        EXPECT_FALSE(main.Close());
        ASSERT_EQ(Boxes.Boxes.size(), boxes);
        EXPECT_NE(Boxes.Boxes.back().Text.find(copies[0]), std::string::npos)
            << Boxes.Boxes.back().Text;
    }
    EXPECT_EQ(EmergencyCopies(), copies);
}

TEST_F(MainFormTest, TheAutoSaveTimerStillRotatesTheBackups) {
    TMainForm& main = Start();
    main.SetMinuteLength(50);
    main.SetAutoBackupInterval(1);
    EXPECT_TRUE(testing::WaitFor([&] {
        return std::filesystem::exists(Folder / "VLZozed.bak") &&
               std::filesystem::exists(Folder / "VLZozed.bk2");
    }));
}

TEST_F(MainFormTest, NoPackageShowsTheFatalMessageAndNothingIsSaved) {
    std::filesystem::remove(Folder / "Tobble.vlf");
    std::filesystem::remove(Folder / "Kerro.vlf");
    TMainForm& main = Start();
    EXPECT_FALSE(main.Loaded());
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_EQ(Boxes.Boxes.front().Text, "キャラクターファイルを読み込めません。起動を中止します。");
    EXPECT_EQ(main.CharacterCount(), 1);
    EXPECT_TRUE(main.Close());
    EXPECT_FALSE(std::filesystem::exists(Folder / "VLZozed.ini"));
    EXPECT_FALSE(std::filesystem::exists(Folder / "VLZozed_pref.ini"));
}

TEST_F(MainFormTest, UnreadablePackageIsReportedAndTheProgramStartsWithTheOthers) {
    std::filesystem::remove(Folder / "Kerro.vlf");
    std::ofstream(Folder / "broken.vlf").close();  // a file of nothing
    TMainForm& main = Start();
    EXPECT_TRUE(main.Loaded());
    EXPECT_EQ(main.CharacterCount(), 1);
    EXPECT_EQ(main.CharacterName(0), "Tobble");
    const auto failure = std::find_if(Boxes.Boxes.begin(), Boxes.Boxes.end(), [](const auto& box) {
        return box.Caption == "Velloric付箋";
    });
    ASSERT_NE(failure, Boxes.Boxes.end());
    EXPECT_EQ(failure->Text, "ファイル読み込みエラー.");
    ASSERT_EQ(main.Notes().size(), 1u);
    EXPECT_TRUE(main.Close());
    EXPECT_EQ(ReadNotes(main.Files().SettingsBase)[0].Character, "Tobble");
}

TEST_F(MainFormTest, CharactersOfAnUnreadablePackageStayInTheFilesUntilAnotherIsChosen) {
    // Kerro's package cut short, as a half-copied download is: Kerro is missing in this run.
    std::filesystem::resize_file(Folder / "Kerro.vlf", 100);
    WritePackage(Folder / "Other.vlf",
                 "Name=Other\r\nPatternWidth=32\r\nPatternHeight=32\r\n"
                 "PatternCount=1\r\nAnimationInterval=100\r\n");
    TNote kerro;
    kerro.Character = "Kerro";
    TNote tobble;
    tobble.Character = "Tobble";
    TNote gone;
    gone.Character = "Kerro";
    WriteNotes(Folder / "VLZozed", {kerro, tobble, gone});
    TPreferences preferences;
    preferences.BootCount = 4;
    preferences.DefaultCharacter = "Kerro";
    WritePreferences(Folder / "VLZozed", preferences);

    TMainForm& main = Start();
    ASSERT_EQ(main.Notes().size(), 3u);
    EXPECT_EQ(main.Notes()[0]->CharacterIndex(), 0);  // shown as the first character
    main.Notes()[1]->Memo->SetText("edited");
    // Chosen by the user: the second character (the first is what the note shows).
    const std::string second = main.CharacterName(1);
    main.Notes()[2]->SetCharacter(1);
    main.NewActionExecute();  // made with the default character
    main.SaveAll();

    std::vector<std::string> characters;
    for (const TNote& note : ReadNotes(main.Files().SettingsBase)) {
        characters.push_back(note.Character);
    }
    EXPECT_EQ(characters, (std::vector<std::string>{"Kerro", "Tobble", second, "Kerro"}));
    EXPECT_EQ(ReadPreferences(main.Files().SettingsBase).DefaultCharacter, "Kerro");

    // A new default chosen by the user replaces the missing one.
    main.SetNoteDefaults(TFont{}, clBlack, 1);
    main.SaveAll();
    EXPECT_EQ(ReadPreferences(main.Files().SettingsBase).DefaultCharacter, second);
}

TEST_F(MainFormTest, WithoutAReadablePackageNothingIsSaved) {
    std::filesystem::remove(Folder / "Tobble.vlf");
    std::filesystem::remove(Folder / "Kerro.vlf");
    std::filesystem::create_directory(Folder / "folder.vlf");  // found, but no package
    TMainForm& main = Start();
    EXPECT_FALSE(main.Loaded());
    ASSERT_EQ(Boxes.Boxes.size(), 1u) << "a folder is left out without a box of its own";
    EXPECT_EQ(Boxes.Boxes.back().Text, "キャラクターファイルを読み込めません。起動を中止します。");
    EXPECT_EQ(main.CharacterCount(), 1);  // a blank character, so that notes can still draw
    for (TZozedForm* note : main.Notes()) {
        note->TimerTimer();
    }
    EXPECT_TRUE(main.Close());
    EXPECT_FALSE(std::filesystem::exists(Folder / "VLZozed.ini"));
}

TEST_F(MainFormTest, AnimationContinuesFromWhereHidingStoppedIt) {
    TMainForm& main = Start();
    TZozedForm* note = main.Notes()[0];
    note->TimerTimer();
    note->TimerTimer();
    main.HideAllNotes();
    EXPECT_FALSE(note->Timer->Active());
    main.ShowAllNotes();
    EXPECT_TRUE(note->Timer->Active());
    EXPECT_EQ(note->FrameCounter(), 2);
}

}  // namespace
}  // namespace vlz
