#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>

#include "about/About.h"
#include "app/Config.h"
#include "app/FileSearch.h"
#include "app/NoteFile.h"
#include "app/Preferences.h"
#include "characters/Sprite.h"
#include "icons/TrayIconArt.h"
#include "notes/Zozed.h"
#include "notes/ZozedProp.h"
#include "platform/MessageBox.h"
#include "toolkit/Application.h"
#include "toolkit/Memo.h"
#include "toolkit/PixelArt.h"
#include "toolkit/Timer.h"
#include "trayicon/TrayIcon.h"

namespace vlz {

namespace {

constexpr const char* Title = "Velloric付箋";

QAction* MakeAction(QObject* owner, const char* caption, std::function<void()> handler) {
    auto* action = new QAction(QString::fromUtf8(caption), owner);
    QObject::connect(action, &QAction::triggered, owner,
                     [handler = std::move(handler)] { Guarded(handler); });
    return action;
}

}  // namespace

void LoadTrayIcons(TIcon& shown, TIcon& hidden) {
    TPixelArt art = ParsePixelArt(ShowIconArt);
    shown.SetPixels(art.Width, art.Height, std::move(art.Pixels));
    art = ParsePixelArt(HideIconArt);
    hidden.SetPixels(art.Width, art.Height, std::move(art.Pixels));
}

TMainForm::TMainForm(std::string ExecutablePath)
    : TMainForm(PortableFileLocations(ExecutablePath)) {}

TMainForm::TMainForm(TFileLocations Files) : TForm(Qt::Window), FFiles(std::move(Files)) {
    SetCaption(Title);
    SetClientSize(235, 122);

    LoadTrayIcons(ShowIconImage, HideIconImage);

    NewAction = MakeAction(this, "新規付箋(&N)", [this] { NewActionExecute(); });
    HideAction = MakeAction(this, "隠す/もどす(&H)", [this] { HideActionExecute(); });
    ConfigAction = MakeAction(this, "環境設定(&C)...", [this] { ConfigActionExecute(); });
    AboutAction = MakeAction(this, "Velloric付箋について(&A)...", [this] { AboutActionExecute(); });
    ExitAction = MakeAction(this, "終了(&X)", [this] { ExitActionExecute(); });

    PopupMenu = new QMenu(this);
    PopupMenu->addAction(NewAction);
    PopupMenu->addAction(HideAction);
    PopupMenu->addSeparator();
    PopupMenu->addAction(ConfigAction);
    PopupMenu->addAction(AboutAction);
    PopupMenu->addSeparator();
    PopupMenu->addAction(ExitAction);

    TrayIcon = std::make_unique<TTrayIcon>(this);
    TrayIcon->ReadState([this](TTrayIcon& tray) {
        tray.SetLBPopupMenu(PopupMenu);
        tray.SetTipHelp(Title);
        tray.SetBalloonIcon(biifNone);
        tray.SetOnMouseDown([this](TObject& Sender, TMouseButton Button, TShiftState Shift, int X,
                                   int Y) { TrayIconMouseDown(Sender, Button, Shift, X, Y); });
    });
    TrayIcon->Loaded();

    Timer = new TTimer(this);
    Timer->SetInterval(60000);
    Timer->SetOnTimer([this] { TimerTimer(); });

    // The window the user worked in last, brought forward again by ShowAllNotes and a second
    // start.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && now->window() != this) {
            FLastActive = now->window();
        }
    });
}

TMainForm::~TMainForm() {
    // FormDestroy: the notes first, then the characters; the default font is a value.
    for (TZozedForm* note : Notes) {
        delete note;
    }
    Notes.clear();
    TrayIcon.reset();
    Characters.reset();
}

void TMainForm::FormCreate() {
    Loaded = false;
    if (auto* application = TApplication::Instance()) {
        application->SetShowMainForm(false);
    }
    Notes.clear();
    LoadCharacters();
    DefaultFont = TFont{};
    TrayIcon->SetIcon(&ShowIconImage);
    TrayIcon->SetVisible(true);
}

void TMainForm::LoadCharacters() {
    // Without a usable catalogue the user has been told why; the program ends as soon as the event
    // loop runs, and nothing is saved in this run.
    Characters = std::make_unique<TCharacterCatalogue>(FFiles.CharacterFolders);
    Loaded = Characters->LoadCharacters();
    if (!Loaded) {
        if (auto* application = TApplication::Instance()) {
            application->Terminate();
        }
    }
}

int TMainForm::FindCharacter(const std::string& name) const {
    return Characters ? Characters->FindCharacter(name) : 0;
}

TSprite* TMainForm::CharacterAt(int index) const {
    return Characters ? Characters->CharacterAt(index) : nullptr;
}

std::string TMainForm::CharacterName(int index) const {
    const TSprite* sprite = CharacterAt(index);
    return sprite ? sprite->Name : std::string();
}

int TMainForm::CharacterPatternCount(int index) const {
    const TSprite* sprite = CharacterAt(index);
    return sprite ? sprite->PatternCount : 1;
}

int TMainForm::CharacterAnimationInterval(int index) const {
    const TSprite* sprite = CharacterAt(index);
    return sprite ? sprite->AnimationInterval : 100;
}

void TMainForm::DrawCharacterFrameOpaque(int index, TCanvas& canvas, int x, int y, int frame) {
    if (TSprite* sprite = CharacterAt(index)) {
        sprite->DrawFrameOpaque(canvas, x, y, frame);
    }
}

void TMainForm::SetNoteDefaults(const TFont& font, TColor backgroundColor, int character) {
    DefaultFont = font;
    DefaultBGColor = backgroundColor;
    DefaultCharacter = character;
}

TZozedForm* TMainForm::CreateNote() {
    return CreateForm<TZozedForm>(*this).release();
}

void TMainForm::LoadAll() {
    for (TNote& record : ReadNotes(FFiles.SettingsBase)) {
        TZozedForm* note = CreateNote();
        note->Memo->SetText(record.Memo);
        note->SetStoredPosition(record.WindowLeft, record.WindowTop);
        note->Memo->SetFont(record.Font);
        note->Memo->SetColor(record.BGColor);
        note->SetCharacter(FindCharacter(record.Character));
        note->Show();
        Notes.push_back(note);
    }
    TPreferences preferences = ReadPreferences(FFiles.SettingsBase);
    SetMouseButtonMode(preferences.MouseButtonMode);
    SetAutoBackupInterval(preferences.AutoBackupInterval);
    DefaultFont = preferences.DefaultFont;
    DefaultBGColor = preferences.DefaultBGColor;
    DefaultCharacter = FindCharacter(preferences.DefaultCharacter);
    BootCount = preferences.BootCount;
    if (BootCount == 1) {
        NewAction->trigger();
    }
}

void TMainForm::SaveAll() {
    // An installed program's folder is made at its first save; a failure there shows as the
    // note file's own write error.
    MakeUserFolder(FFiles.SettingsFolder);
    RotateBackups(FFiles.SettingsBase);
    std::vector<TNote> records;
    records.reserve(Notes.size());
    for (const TZozedForm* note : Notes) {
        TNote record;
        record.Memo = note->Memo->Text();
        const QPoint position = note->SavedPosition();
        record.WindowLeft = position.x();
        record.WindowTop = position.y();
        record.Font = note->Memo->Font();
        record.BGColor = note->Memo->Color();
        if (const TSprite* sprite = CharacterAt(note->CharacterIndex())) {
            record.Character = sprite->Name;
        }
        records.push_back(std::move(record));
    }
    WriteNotes(FFiles.SettingsBase, records);

    TPreferences preferences;
    preferences.MouseButtonMode = MouseButtonMode;
    preferences.AutoBackupInterval = AutoBackupInterval;
    preferences.BootCount = BootCount;
    preferences.DefaultFont = DefaultFont;
    preferences.DefaultBGColor = DefaultBGColor;
    if (const TSprite* sprite = CharacterAt(DefaultCharacter)) {
        preferences.DefaultCharacter = sprite->Name;
    }
    WritePreferences(FFiles.SettingsBase, preferences);
}

void TMainForm::NewActionExecute() {
    ShowAllNotes();
    TZozedForm* note = CreateNote();
    note->Memo->SetFont(DefaultFont);
    note->Memo->SetColor(DefaultBGColor);
    note->SetCharacter(DefaultCharacter);
    note->Show();
    Notes.push_back(note);
    note->raise();
    note->activateWindow();
}

void TMainForm::HideActionExecute() {
    if (Notes.empty()) {
        return;
    }
    if (Notes.front()->Visible()) {
        HideAllNotes();
    } else {
        ShowAllNotes();
    }
}

void TMainForm::HideAllNotes() {
    for (TZozedForm* note : Notes) {
        note->Hide();
    }
    TrayIcon->SetIcon(&HideIconImage);
}

void TMainForm::ShowAllNotes() {
    for (TZozedForm* note : Notes) {
        note->Show();
    }
    TrayIcon->SetIcon(&ShowIconImage);
    ActivateLastActive();
}

void TMainForm::ActivateLastActive() {
    QWidget* window = FLastActive.data();
    if (window != nullptr && window != this && window->isVisible() && window->isEnabled()) {
        window->raise();
        window->activateWindow();
    }
}

void TMainForm::BringForward() {
    const bool hidden = !Notes.empty() && !Notes.front()->Visible();
    if (hidden && !QSystemTrayIcon::isSystemTrayAvailable()) {
        // No notification area to bring them back from: show them.
        ShowAllNotes();
        return;
    }
    ActivateLastActive();
}

void TMainForm::SetMouseButtonMode(int mode) {
    MouseButtonMode = mode;
    if (mode == 0) {
        HideButton = mbRight;
        TrayIcon->SetLBPopupMenu(PopupMenu);
        TrayIcon->SetRBPopupMenu(nullptr);
    } else {
        HideButton = mbLeft;
        TrayIcon->SetLBPopupMenu(nullptr);
        TrayIcon->SetRBPopupMenu(PopupMenu);
    }
}

void TMainForm::SetAutoBackupInterval(int minutes) {
    AutoBackupInterval = minutes;
    if (minutes <= 0) {
        Timer->SetEnabled(false);
        return;
    }
    // The timer counts milliseconds in 32 bits: longer periods are cut to the longest it holds.
    const int period = std::min(minutes, MaxAutoBackupInterval) * 60000;
    Timer->SetEnabled(false);
    Timer->SetInterval(period);
    Timer->SetEnabled(true);
}

void TMainForm::TrayIconMouseDown(TObject& /*Sender*/, TMouseButton Button, TShiftState /*Shift*/,
                                  int /*X*/, int /*Y*/) {
    if (Button == HideButton) {
        HideActionExecute();
    }
}

void TMainForm::TimerTimer() {
    SaveAll();
}

void TMainForm::FormCloseQuery(bool& CanClose) {
    // A failed save keeps the program running: the error reaches the user and the close waits.
    CanClose = false;
    if (Loaded) {
        SaveAll();
    }
    CanClose = true;
}

void TMainForm::ConfigActionExecute() {
    if (ConfigForm != nullptr) {
        ConfigForm->ShowModal();
    }
}

void TMainForm::AboutActionExecute() {
    if (VLZozedAboutForm != nullptr) {
        VLZozedAboutForm->ShowModal();
    }
}

void TMainForm::ExitActionExecute() {
    Close();
}

void TMainForm::RemoveNote(TZozedForm* note) {
    const auto found = std::find(Notes.begin(), Notes.end(), note);
    if (found == Notes.end()) {
        return;
    }
    Notes.erase(found);
    note->hide();
    // The delete command runs from the note's own menu; the window goes once that has returned.
    note->deleteLater();
}

bool TMainForm::IsNote(const QWidget* window) const {
    return std::find(Notes.begin(), Notes.end(), window) != Notes.end();
}

}  // namespace vlz
