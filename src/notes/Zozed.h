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
    // character that the index stands for.
    void SetCharacter(int index) override;
    int CharacterIndex() const { return FCharacterIndex; }

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

    // The place read from the note file. A note whose place lies wholly off every screen is
    // shown on the nearest screen; SavedPosition gives the stored place back until the user
    // moves the note.
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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FrameImageMouseDown(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X,
                             int Y);
    void PaintBoxMouseDown(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X,
                           int Y);
    void DragWindow(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift, int X, int Y);
    void BuildPopupMenu();
    void KeepOnScreen();
    void ExposureChanged(bool exposed);
    void AdvanceFrameCounter(qint64 ticks);
    void CatchUpUnseenTicks();

    TNoteHost& FHost;
    int FFrameCounter = 0;
    double FCreatedAt = 0;
    int FCharacterIndex = 0;
    std::unique_ptr<TBitmap> FBuffer;
    // Running while the note is shown but not on any screen (another workspace, minimised): the
    // animation stops, and the counter catches up when the note comes back into view.
    QElapsedTimer FUnseenSince;

    // A left press on the picture or the character arms a move; the window system's move loop
    // starts once the pointer has gone the drag distance, so that a click stays a click.
    QPointer<QWidget> FDragSender;
    QPoint FDragPress;        // within the sender
    QPoint FDragPressGlobal;  // on the screen
    QPoint FDragWindowStart;
    bool FManualDrag = false;  // no system move loop (Wayland, offscreen): moved by hand

    QPoint FStoredPosition;
    std::optional<QPoint> FShownAt;
};

// The memo's first line for a note created at `moment`: the short date, a space and the long
// time, the time left out at midnight exactly.
std::string CreationText(double moment);
// The current local time as days since 30 December 1899.
double Now();

}  // namespace vlz
