#pragma once
// The main controller: a form that is never shown. It owns the note windows, the character
// catalogue and the defaults for new notes, carries the tray icon with its menu and the five user
// actions, and saves the notes on its timer and when the program ends.

#include <QPointer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/core/CharacterCatalogue.h"
#include "app/core/FileLocations.h"
#include "app/core/NoteStore.h"
#include "app/core/SaveSchedule.h"
#include "dialoghost/DialogHost.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Icon.h"
#include "notes/NoteHost.h"
#include "platform/Input.h"
#include "toolkit/Form.h"

class QAction;
class QMenu;
class QObject;
class QTimer;

namespace vlz {
class TObject;
}

namespace vlz {

class TConfigForm;
class TSprite;
class TTimer;
class TTrayIcon;
class TrayHostMenu;
class TVLZozedAboutForm;
class TZozedForm;
class TZozedPropForm;

class TMainForm : public TForm, public TDialogController, public TNoteHost {
    Q_OBJECT
  public:
    // Where the note file, the preferences file and the character packages are.
    explicit TMainForm(TFileLocations Files);
    // The portable layout beside `ExecutablePath` (tests pass a path inside a folder of their own).
    explicit TMainForm(std::string ExecutablePath);
    ~TMainForm() override;

    // The dialogs, created by the main routine after this form and shown modally; nullptr when
    // there are none.
    void SetDialogs(TConfigForm* configForm, TZozedPropForm* zozedPropForm,
                    TVLZozedAboutForm* aboutForm);

    // Where the desktop's tray takes the menu it opens by itself; nullptr for a tray that leaves
    // every button to the program.
    void SetTrayHostMenu(TrayHostMenu* host);

    // The character catalogue.
    void LoadCharacters();
    int FindCharacter(const std::string& name) const;
    // `name` when it may be the name of a package that could not be read in this run: kept in
    // the files, so that the character comes back once its package reads again.
    std::optional<std::string> MissingCharacterName(const std::string& name) const;
    // The name the files keep for the character at `index`: the missing one's, when there is one.
    std::string StoredCharacterName(int index, const std::optional<std::string>& missing) const;
    // The character at index, or the first one for an index outside the catalogue.
    TSprite* CharacterAt(int index) const override;
    int CharacterCount() const override { return FCharacters ? FCharacters->CharacterCount() : 0; }

    // Reads the notes and the preferences; saving is possible from its end on.
    void LoadAll();
    // Backups, note file, preferences file. Does nothing before LoadAll has finished: until then
    // the notes in memory are not the user's notes. Raises ESaveError when a file cannot be
    // written; the notes are then in an emergency copy if one could be written.
    void SaveAll();
    void ShowAllNotes();
    void HideAllNotes();
    void SetMouseButtonMode(int mode) override;
    void SetAutoBackupInterval(int minutes);
    // How long a minute of the auto-save timer lasts: 60 000 ms. Tests shorten it, so that the
    // timer's rules show in seconds.
    void SetMinuteLength(int milliseconds);
    // Takes the note out of Notes at once; the window itself goes when the current event is done.
    void RemoveNote(TZozedForm* note) override;
    bool IsNote(const QWidget* window) const override;
    // Every change that is saved comes here; the notes and preferences are written once the user
    // has paused (see SaveSchedule.h), without rotating the backups.
    void NoteChanged(TZozedForm* note) override;
    bool ChangesPending() const { return FSaveSchedule.Pending(); }

    // The session ends (log-off, SIGTERM): the close query saves as for Exit, but a failed save
    // whose notes reached an emergency copy lets the program end, with the error on standard
    // error, since nobody may be there to answer a box and the session would end the program
    // anyway. True when the form has closed.
    bool EndSession();

    void NewActionExecute();
    void HideActionExecute();
    void ConfigActionExecute();
    void AboutActionExecute();
    void ExitActionExecute();
    void TimerTimer();
    void TrayIconMouseDown(TObject& Sender, TMouseButton Button, TShiftState Shift, int X, int Y);

    // A second start asked this instance to come forward.
    void BringForward();

    const TFileLocations& Files() const { return FFiles; }

    // The catalogue was built: saving is allowed.
    bool Loaded() const { return FLoaded; }
    // Every note, in the order of the note file; the controller owns them.
    const std::vector<TZozedForm*>& Notes() const { return FNotes; }
    int BootCount() const { return FBootCount; }
    int AutoBackupInterval() const { return FAutoBackupInterval; }
    const TTrayIcon& TrayIcon() const { return *FTrayIcon; }
    QMenu* PopupMenu() const { return FPopupMenu; }
    const TTimer& Timer() const { return *FTimer; }
    const TIcon& ShowIconImage() const { return FShowIconImage; }
    const TIcon& HideIconImage() const { return FHideIconImage; }

    // What the dialogs see of the controller.
    std::string CharacterName(int index) const override;
    int CharacterPatternCount(int index) const override;
    int CharacterAnimationInterval(int index) const override;
    void DrawCharacterFrameOpaque(int index, TCanvas& canvas, int x, int y, int frame) override;
    int CurrentMouseButtonMode() const override { return FMouseButtonMode; }
    void SetNoteDefaults(const TFont& font, TColor backgroundColor, int character) override;

    // What the note windows see of the controller.
    TNoteActions NoteActions() const override;
    TZozedPropForm* ZozedPropForm() const override { return FZozedPropForm; }

  protected:
    void FormCreate() override;
    void FormCloseQuery(bool& CanClose) override;

  private:
    TZozedForm* CreateNote();
    void ActivateLastActive();
    void ApplyHostMenu();
    bool CanSave() const { return FLoaded && FNotesLoaded; }
    void Changed();
    void SaveTimerTimer();
    void SaveChanges();
    std::vector<TNote> NoteRecords() const;
    TPreferences CurrentPreferences() const;

    // Components.
    TIcon FShowIconImage;  // the tray icon while the notes are shown
    TIcon FHideIconImage;  // the same picture faded, while they are hidden
    std::unique_ptr<TTrayIcon> FTrayIcon;
    QMenu* FPopupMenu = nullptr;
    TTimer* FTimer = nullptr;
    QTimer* FSaveTimer = nullptr;  // the quick save after an edit
    QAction* FNewAction = nullptr;
    QAction* FHideAction = nullptr;
    QAction* FConfigAction = nullptr;
    QAction* FAboutAction = nullptr;
    QAction* FExitAction = nullptr;

    // Fields.
    bool FLoaded = false;
    bool FNotesLoaded = false;  // LoadAll has finished
    bool FEndingSession = false;
    std::vector<TZozedForm*> FNotes;  // owned
    TMouseButton FHideButton = mbRight;
    int FMouseButtonMode = 0;
    int FAutoBackupInterval = 0;
    int FMinuteLength = 60000;
    std::unique_ptr<TCharacterCatalogue> FCharacters;  // made by FormCreate
    int FBootCount = 0;
    TFont FDefaultFont;
    TColor FDefaultBGColor = clBlack;
    int FDefaultCharacter = 0;
    std::optional<std::string> FMissingDefaultCharacter;  // as a note's MissingCharacter

    TConfigForm* FConfigForm = nullptr;
    TZozedPropForm* FZozedPropForm = nullptr;
    TVLZozedAboutForm* FVLZozedAboutForm = nullptr;

    TFileLocations FFiles;
    TNoteStore FStore;
    TSaveSchedule FSaveSchedule;
    QPointer<QWidget> FLastActive;
    TrayHostMenu* FTrayHostMenu = nullptr;
};

}  // namespace vlz
