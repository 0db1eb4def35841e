#pragma once
// A note on the desktop: a borderless window with the frame picture, the animated character on
// the left and the memo on the right. The main controller creates, lists and destroys the notes.

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <memory>
#include <optional>
#include <string>

#include "dialoghost/DialogHost.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "notes/NoteHost.h"
#include "toolkit/Form.h"

class QAction;
class QMenu;
class QMouseEvent;

namespace vlz {

class TBitmap;
class TImage;
class TMemo;
class TPaintBox;
class TTimer;

class TZozedForm : public TForm, public TPropertyTarget {
    Q_OBJECT
  public:
    static constexpr int MemoLimit = 1500;

    explicit TZozedForm(TNoteHost& Host);
    ~TZozedForm() override;

    // Components, bottom-most first.
    TImage* FrameImage = nullptr;
    TPaintBox* PaintBox = nullptr;
    TMemo* Memo = nullptr;
    TTimer* Timer = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* ZozedProp = nullptr;
    QAction* CloseItem = nullptr;  // "削除(&D)...": deletes the note; Close() closes the window

    // Stores the catalogue index (also one outside the catalogue) and times the animation by the
    // character that the index stands for. Another index than the note's forgets a missing
    // character's name.
    void SetCharacter(int index) override;
    int CharacterIndex() const { return FCharacterIndex; }
    // The name of the note's character when its package could not be read in this run: the note
    // shows the first character, and the files keep this name until another character is chosen.
    void SetMissingCharacter(std::optional<std::string> name) {
        FMissingCharacter = std::move(name);
    }
    const std::optional<std::string>& MissingCharacter() const { return FMissingCharacter; }

    // What the properties dialog edits.
    TFont MemoFont() const override;
    void SetMemoFont(const TFont& font) override;
    TColor MemoBGColor() const override;
    void SetMemoBGColor(TColor color) override;
    int CurrentCharacter() const override { return FCharacterIndex; }
    int FrameCounter() const { return FFrameCounter; }
    // Days since 30 December 1899, local time.
    double CreatedAt() const { return FCreatedAt; }
    const TBitmap& Buffer() const { return *FBuffer; }

    // The place read from the note file. The note may be shown elsewhere: one whose place lies
    // wholly off every screen goes to the nearest screen, and a window manager that places
    // windows itself (a Wayland compositor's XWayland, for one) puts it where it likes.
    // SavedPosition gives the stored place back until the user moves the note.
    void SetStoredPosition(int left, int top);
    QPoint SavedPosition() const;

    // One animation tick: background and character composed in Buffer, put on the paint box in
    // one copy.
    void TimerTimer();
    void CloseClick();
    void ZozedPropClick();

  protected:
    void FormCreate() override;
    void FormShow() override;
    void FormHide() override;
    void FormClose(TCloseAction& Action) override;
    void BeforeShow() override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Hands the drag to the window system's move loop; false where there is none.
    virtual bool StartSystemMove();

  private:
    void FrameImageMouseDown(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X,
                             int Y);
    void PaintBoxMouseDown(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X,
                           int Y);
    void DragWindow(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X, int Y);
    bool DragMouseMove(const QMouseEvent& event);
    bool DragMouseRelease();
    void EndDrag();
    void BuildPopupMenu();
    void KeepOnScreen();
    void ExposureChanged(bool exposed);
    void AdvanceFrameCounter(qint64 ticks);
    void CatchUpUnseenTicks();

    TNoteHost& FHost;
    int FFrameCounter = 0;
    double FCreatedAt = 0;
    int FCharacterIndex = 0;
    std::optional<std::string> FMissingCharacter;
    std::unique_ptr<TBitmap> FBuffer;
    // Running while the note is shown but not on any screen (another workspace, minimised): the
    // animation stops, and the counter catches up when the note comes back into view.
    QElapsedTimer FUnseenSince;

    // A left press on the picture or the character arms a move; the window system's move loop
    // starts once the pointer has gone the drag distance, so that a click stays a click. Where
    // there is no move loop, or the window manager never took the pointer or let it go while the
    // button is still down, the note follows the pointer itself until the release.
    enum class TDrag { None, Armed, System, Manual };
    TDrag FDrag = TDrag::None;
    QPointer<QWidget> FDragSender;
    QPoint FDragPress;   // within the sender
    QPoint FDragAnchor;  // the pointer on the screen when the window was at FDragWindowStart
    QPoint FDragWindowStart;
    bool FDragReleaseSent = false;  // the sender has seen the end of its press
    bool FDragGrabbed = false;      // the note holds the pointer

    // The place the file keeps while the note has not been moved by the user.
    std::optional<QPoint> FStoredPosition;
    // From a show until the window is on the screen: moves then are the window manager's.
    bool FBeingPlaced = false;
};

// The memo's first line for a note created at `moment`: the short date, a space and the long
// time, the time left out at midnight exactly.
std::string CreationText(double moment);
// The current local time as days since 30 December 1899.
double Now();

}  // namespace vlz
