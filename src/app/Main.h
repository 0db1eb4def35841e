#pragma once
// The main controller: a form that is never shown. It owns the note windows, the character
// catalogue and the defaults for new notes, carries the tray icon with its menu and the five user
// actions, and saves the notes on its timer and when the program ends.

#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "app/CharacterCatalogue.h"
#include "app/FileLocations.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Icon.h"
#include "notes/DialogHost.h"
#include "platform/Input.h"
#include "toolkit/Form.h"

class QAction;
class QMenu;
class QObject;

namespace vlz {
class TObject;
}

namespace vlz {

class TConfigForm;
class TSprite;
class TTimer;
class TTrayIcon;
class TVLZozedAboutForm;
class TZozedForm;
class TZozedPropForm;

class TMainForm : public TForm, public TDialogController {
    Q_OBJECT
  public:
    // Where the note file, the preferences file and the character packages are.
    explicit TMainForm(TFileLocations Files);
    // The portable layout beside `ExecutablePath` (tests pass a path inside a folder of their own).
    explicit TMainForm(std::string ExecutablePath);
    ~TMainForm() override;

    // Components.
    TIcon ShowIconImage;  // the tray icon while the notes are shown
    TIcon HideIconImage;  // the same picture faded, while they are hidden
    std::unique_ptr<TTrayIcon> TrayIcon;
    QMenu* PopupMenu = nullptr;
    TTimer* Timer = nullptr;
    QAction* NewAction = nullptr;
    QAction* HideAction = nullptr;
    QAction* ConfigAction = nullptr;
    QAction* AboutAction = nullptr;
    QAction* ExitAction = nullptr;

    // Fields.
    bool Loaded = false;
    std::vector<TZozedForm*> Notes;  // owned; in the order of the note file
    TMouseButton HideButton = mbRight;
    int MouseButtonMode = 0;
    int AutoBackupInterval = 0;
    std::unique_ptr<TCharacterCatalogue> Characters;  // made by FormCreate
    int BootCount = 0;
    TFont DefaultFont;
    TColor DefaultBGColor = clBlack;
    int DefaultCharacter = 0;

    // The dialogs, created by the main routine after this form; shown modally.
    TConfigForm* ConfigForm = nullptr;
    TZozedPropForm* ZozedPropForm = nullptr;
    TVLZozedAboutForm* VLZozedAboutForm = nullptr;

    // The character catalogue.
    void LoadCharacters();
    int FindCharacter(const std::string& name) const;
    // The character at index, or the first one for an index outside the catalogue.
    TSprite* CharacterAt(int index) const;
    int CharacterCount() const override { return Characters ? Characters->CharacterCount() : 0; }

    void LoadAll();
    void SaveAll();
    void ShowAllNotes();
    void HideAllNotes();
    void SetMouseButtonMode(int mode) override;
    void SetAutoBackupInterval(int minutes);
    // Takes the note out of Notes at once; the window itself goes when the current event is done.
    void RemoveNote(TZozedForm* note);
    bool IsNote(const QWidget* window) const;

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

    // What the dialogs see of the controller.
    std::string CharacterName(int index) const override;
    int CharacterPatternCount(int index) const override;
    int CharacterAnimationInterval(int index) const override;
    void DrawCharacterFrameOpaque(int index, TCanvas& canvas, int x, int y, int frame) override;
    int CurrentMouseButtonMode() const override { return MouseButtonMode; }
    void SetNoteDefaults(const TFont& font, TColor backgroundColor, int character) override;

  protected:
    void FormCreate() override;
    void FormCloseQuery(bool& CanClose) override;

  private:
    TZozedForm* CreateNote();
    void ActivateLastActive();

    TFileLocations FFiles;
    QPointer<QWidget> FLastActive;
};

// The tray icons from their pixel art.
void LoadTrayIcons(TIcon& shown, TIcon& hidden);

}  // namespace vlz
