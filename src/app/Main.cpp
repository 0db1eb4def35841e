#include "app/Main.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "about/About.h"
#include "app/Config.h"
#include "app/core/ApplicationTitle.h"
#include "app/core/NoteFile.h"
#include "app/core/Preferences.h"
#include "characters/Sprite.h"
#include "graphics/PixelArt.h"
#include "icons/TrayIconArt.h"
#include "notes/Zozed.h"
#include "notes/ZozedProp.h"
#include "platform/MessageBox.h"
#include "platform/ScopeGuard.h"
#include "toolkit/Application.h"
#include "toolkit/Memo.h"
#include "toolkit/Timer.h"
#include "toolkit/TrayHostMenu.h"
#include "trayicon/TrayIcon.h"

namespace vlz {

namespace {

QAction* MakeAction(QObject* owner, const char* caption, std::function<void()> handler) {
    auto* action = new QAction(QString::fromUtf8(caption), owner);
    QObject::connect(action, &QAction::triggered, owner,
                     [handler = std::move(handler)] { Guarded(handler); });
    return action;
}

// The tray icons from their pixel art.
void LoadTrayIcons(TIcon& shown, TIcon& hidden) {
    const TPixelArt shownArt = ParsePixelArt(ShowIconArt);
    shown.SetPixels(shownArt.PictureWidth(), shownArt.PictureHeight(), shownArt.PictureArgb());
    const TPixelArt hiddenArt = ParsePixelArt(HideIconArt);
    hidden.SetPixels(hiddenArt.PictureWidth(), hiddenArt.PictureHeight(), hiddenArt.PictureArgb());
}

// Runs a save that may fail again and again (a full disk): the user is told of a failure once,
// with the copy that holds the notes; the same failure again goes unsaid. Telling at every pause
// in the typing or every tick would only keep a box in the way.
void SaveTellingOnce(const std::function<void()>& save) {
    try {
        save();
    } catch (const ESaveError& error) {
        if (!error.Repeated()) {
            throw;
        }
    }
}

}  // namespace

TMainForm::TMainForm(std::string ExecutablePath)
    : TMainForm(PortableFileLocations(ExecutablePath)) {}

TMainForm::TMainForm(TFileLocations Files)
    : TForm(Qt::Window), FFiles(std::move(Files)), FStore(FFiles) {
    SetCaption(ApplicationTitle);
    SetClientSize(235, 122);

    LoadTrayIcons(FShowIconImage, FHideIconImage);

    FNewAction = MakeAction(this, "新規付箋(&N)", [this] { NewActionExecute(); });
    FHideAction = MakeAction(this, "隠す/もどす(&H)", [this] { HideActionExecute(); });
    FConfigAction = MakeAction(this, "環境設定(&C)...", [this] { ConfigActionExecute(); });
    FAboutAction =
        MakeAction(this, "Velloric付箋について(&A)...", [this] { AboutActionExecute(); });
    FExitAction = MakeAction(this, "終了(&X)", [this] { ExitActionExecute(); });

    FPopupMenu = new QMenu(this);
    FPopupMenu->addAction(FNewAction);
    FPopupMenu->addAction(FHideAction);
    FPopupMenu->addSeparator();
    FPopupMenu->addAction(FConfigAction);
    FPopupMenu->addAction(FAboutAction);
    FPopupMenu->addSeparator();
    FPopupMenu->addAction(FExitAction);

    FTrayIcon = std::make_unique<TTrayIcon>(this);
    FTrayIcon->ReadState([this](TTrayIcon& tray) {
        tray.SetLBPopupMenu(FPopupMenu);
        tray.SetTipHelp(ApplicationTitle);
        tray.SetBalloonIcon(biifNone);
        tray.SetOnMouseDown([this](TObject& Sender, TMouseButton Button, TShiftState Shift, int X,
                                   int Y) { TrayIconMouseDown(Sender, Button, Shift, X, Y); });
    });
    FTrayIcon->Loaded();

    // Off until LoadAll programs it: a tick before the notes are loaded would save the notes of
    // an empty program over the user's. Boxes shown while the forms are made run event loops of
    // their own, in which a running timer would tick.
    FTimer = new TTimer(this);
    FTimer->SetEnabled(false);
    FTimer->SetInterval(FMinuteLength);
    FTimer->SetOnTimer([this] { TimerTimer(); });

    FSaveTimer = new QTimer(this);
    FSaveTimer->setSingleShot(true);
    connect(FSaveTimer, &QTimer::timeout, this, [this] { Guarded([this] { SaveTimerTimer(); }); });

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
    for (TZozedForm* note : FNotes) {
        delete note;
    }
    FNotes.clear();
    FTrayIcon.reset();
    FCharacters.reset();
}

void TMainForm::SetDialogs(TConfigForm* configForm, TZozedPropForm* zozedPropForm,
                           TVLZozedAboutForm* aboutForm) {
    FConfigForm = configForm;
    FZozedPropForm = zozedPropForm;
    FVLZozedAboutForm = aboutForm;
}

TNoteActions TMainForm::NoteActions() const {
    return {FNewAction, FHideAction, FConfigAction, FAboutAction, FExitAction};
}

void TMainForm::FormCreate() {
    FLoaded = false;
    if (auto* application = TApplication::Instance()) {
        application->SetShowMainForm(false);
    }
    FNotes.clear();
    LoadCharacters();
    FDefaultFont = TFont{};
    FTrayIcon->SetIcon(&FShowIconImage);
    FTrayIcon->SetVisible(true);
}

void TMainForm::LoadCharacters() {
    // Without a usable catalogue the user has been told why; the program ends as soon as the event
    // loop runs, and nothing is saved in this run.
    FCharacters = std::make_unique<TCharacterCatalogue>(FFiles.CharacterFolders);
    FLoaded = FCharacters->LoadCharacters();
    if (!FLoaded) {
        if (auto* application = TApplication::Instance()) {
            application->Terminate();
        }
    }
}

int TMainForm::FindCharacter(const std::string& name) const {
    return FCharacters ? FCharacters->FindCharacter(name) : 0;
}

std::optional<std::string> TMainForm::MissingCharacterName(const std::string& name) const {
    if (FCharacters && FCharacters->PackagesLeftOut() && !FCharacters->HasCharacter(name)) {
        return name;
    }
    return std::nullopt;
}

std::string TMainForm::StoredCharacterName(int index,
                                           const std::optional<std::string>& missing) const {
    return missing ? *missing : CharacterName(index);
}

TSprite* TMainForm::CharacterAt(int index) const {
    return FCharacters ? FCharacters->CharacterAt(index) : nullptr;
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
    FDefaultFont = font;
    FDefaultBGColor = backgroundColor;
    if (character != FDefaultCharacter) {
        FMissingDefaultCharacter.reset();
    }
    FDefaultCharacter = character;
    Changed();
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
        note->SetMissingCharacter(MissingCharacterName(record.Character));
        note->Show();
        FNotes.push_back(note);
    }
    TPreferences preferences = ReadPreferences(FFiles.SettingsBase);
    SetMouseButtonMode(preferences.MouseButtonMode);
    SetAutoBackupInterval(preferences.AutoBackupInterval);
    FDefaultFont = preferences.DefaultFont;
    FDefaultBGColor = preferences.DefaultBGColor;
    FDefaultCharacter = FindCharacter(preferences.DefaultCharacter);
    FMissingDefaultCharacter = MissingCharacterName(preferences.DefaultCharacter);
    FBootCount = preferences.BootCount;
    FNotesLoaded = true;
    if (FBootCount == 1) {
        FNewAction->trigger();
    }
}

std::vector<TNote> TMainForm::NoteRecords() const {
    std::vector<TNote> records;
    records.reserve(FNotes.size());
    for (const TZozedForm* note : FNotes) {
        TNote record;
        record.Memo = note->Memo->Text();
        const QPoint position = note->SavedPosition();
        record.WindowLeft = position.x();
        record.WindowTop = position.y();
        record.Font = note->Memo->Font();
        record.BGColor = note->Memo->Color();
        record.Character = StoredCharacterName(note->CharacterIndex(), note->MissingCharacter());
        records.push_back(std::move(record));
    }
    return records;
}

TPreferences TMainForm::CurrentPreferences() const {
    TPreferences preferences;
    preferences.MouseButtonMode = FMouseButtonMode;
    preferences.AutoBackupInterval = FAutoBackupInterval;
    preferences.BootCount = FBootCount;
    preferences.DefaultFont = FDefaultFont;
    preferences.DefaultBGColor = FDefaultBGColor;
    preferences.DefaultCharacter = StoredCharacterName(FDefaultCharacter, FMissingDefaultCharacter);
    return preferences;
}

void TMainForm::SaveAll() {
    if (!CanSave()) {
        return;
    }
    // Whatever happens, this save stands for every change so far.
    FSaveSchedule.Saved();
    FSaveTimer->stop();
    FStore.Save(NoteRecords(), CurrentPreferences(), TSaveKind::Full);
}

void TMainForm::NoteChanged(TZozedForm* note) {
    if (IsNote(note)) {
        Changed();
    }
}

void TMainForm::Changed() {
    if (!CanSave()) {
        return;
    }
    const TSaveSchedule::Clock::time_point now = TSaveSchedule::Clock::now();
    if (FSaveSchedule.Changed(now)) {
        FSaveTimer->start(FSaveSchedule.Wait(now));
    }
}

void TMainForm::SaveTimerTimer() {
    if (!FSaveSchedule.Pending()) {
        return;
    }
    // The timer was armed at the first change; later ones move the moment the save is due.
    const TSaveSchedule::Clock::time_point now = TSaveSchedule::Clock::now();
    if (!FSaveSchedule.Due(now)) {
        FSaveTimer->start(FSaveSchedule.Wait(now));
        return;
    }
    SaveChanges();
}

void TMainForm::SaveChanges() {
    // A failed attempt is not repeated until the next change or the next tick of the auto-save
    // timer; the notes are in an emergency copy meanwhile.
    FSaveSchedule.Saved();
    if (!CanSave()) {
        return;
    }
    SaveTellingOnce([this] { FStore.Save(NoteRecords(), CurrentPreferences(), TSaveKind::Quick); });
}

void TMainForm::NewActionExecute() {
    ShowAllNotes();
    TZozedForm* note = CreateNote();
    note->Memo->SetFont(FDefaultFont);
    note->Memo->SetColor(FDefaultBGColor);
    note->SetCharacter(FDefaultCharacter);
    note->SetMissingCharacter(FMissingDefaultCharacter);
    note->Show();
    FNotes.push_back(note);
    note->raise();
    note->activateWindow();
    Changed();
}

void TMainForm::HideActionExecute() {
    if (FNotes.empty()) {
        return;
    }
    if (FNotes.front()->Visible()) {
        HideAllNotes();
    } else {
        ShowAllNotes();
    }
}

void TMainForm::HideAllNotes() {
    for (TZozedForm* note : FNotes) {
        note->Hide();
    }
    FTrayIcon->SetIcon(&FHideIconImage);
}

void TMainForm::ShowAllNotes() {
    for (TZozedForm* note : FNotes) {
        note->Show();
    }
    FTrayIcon->SetIcon(&FShowIconImage);
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
    const bool hidden = !FNotes.empty() && !FNotes.front()->Visible();
    if (hidden && !QSystemTrayIcon::isSystemTrayAvailable()) {
        // No notification area to bring them back from: show them.
        ShowAllNotes();
        return;
    }
    ActivateLastActive();
}

void TMainForm::SetMouseButtonMode(int mode) {
    FMouseButtonMode = mode;
    if (mode == 0) {
        FHideButton = mbRight;
        FTrayIcon->SetLBPopupMenu(FPopupMenu);
        FTrayIcon->SetRBPopupMenu(nullptr);
    } else {
        FHideButton = mbLeft;
        FTrayIcon->SetLBPopupMenu(nullptr);
        FTrayIcon->SetRBPopupMenu(FPopupMenu);
    }
    ApplyHostMenu();
    Changed();
}

void TMainForm::SetTrayHostMenu(TrayHostMenu* host) {
    FTrayHostMenu = host;
    ApplyHostMenu();
}

// A tray that opens an exported menu on the right button by itself may never tell the program
// about that button, so the right button's menu is exported. The left button's menu is not: a
// host that has a menu shows it instead of telling the program about the click.
void TMainForm::ApplyHostMenu() {
    if (FTrayHostMenu != nullptr) {
        FTrayHostMenu->SetHostMenu(static_cast<std::uint32_t>(FTrayIcon->ID()),
                                   FTrayIcon->RBPopupMenu());
    }
}

void TMainForm::SetAutoBackupInterval(int minutes) {
    FAutoBackupInterval = minutes;
    if (minutes <= 0) {
        FTimer->SetEnabled(false);
        return;
    }
    // The timer counts milliseconds in 32 bits: longer periods are cut to the longest it holds.
    const int period = std::min(minutes, MaxAutoBackupInterval) * FMinuteLength;
    FTimer->SetEnabled(false);
    FTimer->SetInterval(period);
    FTimer->SetEnabled(true);
}

void TMainForm::SetMinuteLength(int milliseconds) {
    FMinuteLength = milliseconds;
    FTimer->SetInterval(std::max(1, std::min(FAutoBackupInterval, MaxAutoBackupInterval)) *
                        FMinuteLength);
}

void TMainForm::TrayIconMouseDown(TObject& /*Sender*/, TMouseButton Button, TShiftState /*Shift*/,
                                  int /*X*/, int /*Y*/) {
    if (Button == FHideButton) {
        HideActionExecute();
    }
}

void TMainForm::TimerTimer() {
    // The close query, unlike the timer, tells every failure.
    SaveTellingOnce([this] { SaveAll(); });
}

void TMainForm::FormCloseQuery(bool& CanClose) {
    // A failed save keeps the program running: the error, which names the emergency copy, reaches
    // the user and the close waits, so that the user can make room and save again.
    CanClose = false;
    try {
        SaveAll();
    } catch (const ESaveError& error) {
        if (!FEndingSession || !error.NotesKept()) {
            throw;
        }
        std::fprintf(stderr, "%s\n", error.what());
    }
    CanClose = true;
}

bool TMainForm::EndSession() {
    FEndingSession = true;
    const TScopeExit ended([this] { FEndingSession = false; });
    return Close();
}

void TMainForm::ConfigActionExecute() {
    if (FConfigForm != nullptr) {
        FConfigForm->ShowModal();
    }
}

void TMainForm::AboutActionExecute() {
    if (FVLZozedAboutForm != nullptr) {
        FVLZozedAboutForm->ShowModal();
    }
}

void TMainForm::ExitActionExecute() {
    Close();
}

void TMainForm::RemoveNote(TZozedForm* note) {
    const auto found = std::find(FNotes.begin(), FNotes.end(), note);
    if (found == FNotes.end()) {
        return;
    }
    FNotes.erase(found);
    Changed();
    note->hide();
    // The delete command runs from the note's own menu; the window goes once that has returned.
    note->deleteLater();
}

bool TMainForm::IsNote(const QWidget* window) const {
    return std::find(FNotes.begin(), FNotes.end(), window) != FNotes.end();
}

}  // namespace vlz
