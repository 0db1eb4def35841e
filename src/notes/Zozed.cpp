#include "notes/Zozed.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QMenu>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <limits>

#include "characters/Sprite.h"
#include "graphics/Bitmap.h"
#include "notes/ZozedProp.h"
#include "notes/core/FramePicture.h"
#include "notes/core/NoteLayout.h"
#include "platform/MessageBox.h"
#include "toolkit/Application.h"
#include "toolkit/Image.h"
#include "toolkit/Memo.h"
#include "toolkit/PaintBox.h"
#include "toolkit/Timer.h"
#include "toolkit/X11Window.h"

namespace vlz {

namespace {

// Every note shows the same frame picture: one bitmap for all the notes there are, drawn when the
// first of them is made.
std::shared_ptr<TBitmap> SharedFramePicture() {
    static std::weak_ptr<TBitmap> shared;
    std::shared_ptr<TBitmap> bitmap = shared.lock();
    if (!bitmap) {
        const TFramePicture picture = MakeFramePicture();
        bitmap = std::make_shared<TBitmap>(TFramePicture::Width, TFramePicture::Height);
        for (int y = 0; y < TFramePicture::Height; ++y) {
            std::copy_n(picture.Pixels.data() + y * TFramePicture::Stride, TFramePicture::Stride,
                        bitmap->ScanLine(y));
        }
        shared = bitmap;
    }
    return bitmap;
}

// The date-time epoch of the program's files and clocks.
const QDate Epoch(1899, 12, 30);

}  // namespace

double Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const double days = static_cast<double>(Epoch.daysTo(now.date()));
    return days + now.time().msecsSinceStartOfDay() / 86'400'000.0;
}

std::string CreationText(double moment) {
    const double wholeDays = std::floor(moment);
    const QDate date = Epoch.addDays(static_cast<qint64>(wholeDays));
    const auto milliseconds = static_cast<int>(std::lround((moment - wholeDays) * 86'400'000.0));
    const QTime time = QTime::fromMSecsSinceStartOfDay(milliseconds % 86'400'000);
    // The Japanese desktop's short date and long time formats.
    QString text = date.toString(QStringLiteral("yyyy/MM/dd"));
    if (time.hour() != 0 || time.minute() != 0 || time.second() != 0) {
        text += QLatin1Char(' ') + time.toString(QStringLiteral("H:mm:ss"));
    }
    return text.toStdString();
}

TZozedForm::TZozedForm(TNoteHost& Host)
    : TForm(Qt::Tool | Qt::FramelessWindowHint), FHost(Host), FBuffer(std::make_unique<TBitmap>()) {
    SetClientSize(NoteWidth, NoteHeight);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック")));

    FrameImage = new TImage(this);
    FrameImage->setGeometry(0, 0, NoteWidth, NoteHeight);
    FrameImage->setCursor(Qt::PointingHandCursor);
    FrameImage->SetSharedPicture(SharedFramePicture());

    PaintBox = new TPaintBox(this);
    PaintBox->setGeometry(CharacterBoxLeft, CharacterBoxTop, CharacterBoxWidth, CharacterBoxHeight);
    PaintBox->setCursor(Qt::PointingHandCursor);

    Memo = new TMemo(this);
    Memo->setGeometry(MemoLeft, MemoTop, MemoWidth, MemoHeight);
    Memo->SetMaxLength(MemoLimit);
    Memo->SetColor(clBlack);
    TFont memoFont;
    memoFont.Color = clWhite;
    Memo->SetFont(memoFont);
    Memo->setFocus();
    connect(Memo, &QPlainTextEdit::textChanged, this, [this] { FHost.NoteChanged(this); });

    Timer = new TTimer(this);
    Timer->SetShared(true);
    Timer->SetInterval(50);
    Timer->SetOnTimer([this] { TimerTimer(); });

    BuildPopupMenu();
    FrameImage->SetPopupMenu(PopupMenu);
    PaintBox->SetPopupMenu(PopupMenu);
    FrameImage->SetOnMouseDown([this](QWidget* Sender, Qt::MouseButton Button,
                                      Qt::MouseButtons Shift, int X,
                                      int Y) { FrameImageMouseDown(Sender, Button, Shift, X, Y); });
    PaintBox->SetOnMouseDown([this](QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift,
                                    int X,
                                    int Y) { PaintBoxMouseDown(Sender, Button, Shift, X, Y); });
}

TZozedForm::~TZozedForm() {
    // FormDestroy: the buffer goes with the window.
    FBuffer.reset();
}

void TZozedForm::BuildPopupMenu() {
    PopupMenu = new QMenu(this);
    ZozedProp = PopupMenu->addAction(QStringLiteral("プロパティ(&P)"));
    connect(ZozedProp, &QAction::triggered, this,
            [this] { Guarded([this] { ZozedPropClick(); }); });
    CloseItem = PopupMenu->addAction(QStringLiteral("削除(&D)..."));
    connect(CloseItem, &QAction::triggered, this, [this] { Guarded([this] { CloseClick(); }); });
    const TNoteActions actions = FHost.NoteActions();
    PopupMenu->addSeparator();
    PopupMenu->addAction(actions.NewAction);
    PopupMenu->addSeparator();
    PopupMenu->addAction(actions.AboutAction);
    QMenu* systemMenu = PopupMenu->addMenu(QStringLiteral("システムメニュー(&S)"));
    systemMenu->addAction(actions.HideAction);
    systemMenu->addAction(actions.ConfigAction);
    systemMenu->addSeparator();
    systemMenu->addAction(actions.ExitAction);
}

void TZozedForm::FormCreate() {
    FFrameCounter = 0;
    FCreatedAt = Now();
    SetCharacter(0);
    Memo->Clear();
    Memo->AddLine(CreationText(FCreatedAt));
    Memo->AddLine("ここにメモを書き込めます.");
    FBuffer->SetSize(CharacterBoxWidth, CharacterBoxHeight);
}

void TZozedForm::SetCharacter(int index) {
    if (index != FCharacterIndex) {
        FMissingCharacter.reset();
    }
    FCharacterIndex = index;
    if (const TSprite* sprite = FHost.CharacterAt(index)) {
        Timer->SetInterval(sprite->AnimationInterval);
    }
    FHost.NoteChanged(this);
}

TFont TZozedForm::MemoFont() const {
    return Memo->Font();
}

void TZozedForm::SetMemoFont(const TFont& font) {
    Memo->SetFont(font);
    FHost.NoteChanged(this);
}

TColor TZozedForm::MemoBGColor() const {
    return Memo->Color();
}

void TZozedForm::SetMemoBGColor(TColor color) {
    Memo->SetColor(color);
    FHost.NoteChanged(this);
}

void TZozedForm::AdvanceFrameCounter(qint64 ticks) {
    // The counter only grows; past the largest value it starts again from 0 rather than going
    // negative, which would give negative frame numbers.
    const qint64 largest = std::numeric_limits<int>::max();
    FFrameCounter = static_cast<int>((FFrameCounter + ticks) % (largest + 1));
}

void TZozedForm::TimerTimer() {
    TSprite* sprite = FHost.CharacterAt(FCharacterIndex);
    if (sprite == nullptr) {
        return;
    }
    // Division truncating toward zero: a frame larger than the box gets negative offsets.
    const int x = (CharacterBoxWidth - sprite->PatternWidth) / 2;
    const int y = (CharacterBoxHeight - sprite->PatternHeight) / 2;
    TCanvas& buffer = FBuffer->Canvas();
    buffer.CopyRect(
        Rect(0, 0, CharacterBoxWidth, CharacterBoxHeight), FrameImage->Picture().Canvas(),
        Bounds(CharacterBoxLeft, CharacterBoxTop, CharacterBoxWidth, CharacterBoxHeight));
    const int count = sprite->PatternCount > 0 ? sprite->PatternCount : 1;
    sprite->DrawFrame(buffer, x, y, FFrameCounter % count);
    PaintBox->Canvas().CopyRect(Rect(0, 0, CharacterBoxWidth, CharacterBoxHeight), buffer,
                                Rect(0, 0, CharacterBoxWidth, CharacterBoxHeight));
    AdvanceFrameCounter(1);
}

void TZozedForm::FrameImageMouseDown(QWidget* Sender, Qt::MouseButton Button,
                                     Qt::MouseButtons Shift, int X, int Y) {
    DragWindow(Sender, Button, Shift, X, Y);
}

void TZozedForm::PaintBoxMouseDown(QWidget* Sender, Qt::MouseButton Button, Qt::MouseButtons Shift,
                                   int X, int Y) {
    DragWindow(Sender, Button, Shift, X, Y);
}

void TZozedForm::DragWindow(QWidget* Sender, Qt::MouseButton /*Button*/, Qt::MouseButtons Shift,
                            int X, int Y) {
    if (!(Shift & Qt::LeftButton)) {
        return;
    }
    FDrag = TDrag::Armed;
    FDragSender = Sender;
    FDragPress = QPoint(X, Y);
    FDragAnchor = Sender->mapToGlobal(FDragPress);
    FDragWindowStart = pos();
    FDragReleaseSent = false;
    // The rest of the press may reach any control of the note, or the note itself while it holds
    // the pointer: the window sees all of it first. Installing again keeps one filter.
    if (QWindow* window = windowHandle()) {
        window->installEventFilter(this);
    }
}

bool TZozedForm::StartSystemMove() {
    return windowHandle() != nullptr && windowHandle()->startSystemMove();
}

bool TZozedForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == windowHandle()) {
        const bool exposed = windowHandle()->isExposed();
        // The window manager has placed the window once it shows on the screen.
        if (exposed) {
            FBeingPlaced = false;
        }
        ExposureChanged(exposed);
        return false;
    }
    if (FDrag != TDrag::None && watched == windowHandle()) {
        switch (event->type()) {
            case QEvent::MouseMove:
                return DragMouseMove(*static_cast<QMouseEvent*>(event));
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    return DragMouseRelease();
                }
                break;
            case QEvent::MouseButtonPress:
                // A new press: a drag whose release went to the window manager is over.
                if (FDrag != TDrag::Armed) {
                    EndDrag();
                }
                break;
            default:
                break;
        }
    }
    return TForm::eventFilter(watched, event);
}

bool TZozedForm::DragMouseMove(const QMouseEvent& event) {
    const QPoint global = event.globalPosition().toPoint();
    if (!(event.buttons() & Qt::LeftButton)) {
        // The release went to the window system's move loop or to another window.
        EndDrag();
        return false;
    }
    switch (FDrag) {
        case TDrag::Armed: {
            if ((global - FDragAnchor).manhattanLength() < QApplication::startDragDistance()) {
                return true;
            }
            // The user moves the note, however soon after it came up.
            FBeingPlaced = false;
            QWidget* sender = FDragSender.data();
            if (sender == nullptr) {
                EndDrag();
                return false;
            }
            if (!StartSystemMove()) {
                // No move loop on this platform (Wayland without one, offscreen): the note keeps
                // the pointer's grip from the press on.
                FDrag = TDrag::Manual;
                break;
            }
            // The window manager moves the window from where the pointer is now.
            FDragAnchor = global;
            FDragWindowStart = pos();
            // Its move loop takes the button's release; the control that was pressed sees the
            // end of its press here, at the press position.
            FDrag = TDrag::None;
            const QPointF local = sender->mapTo(this, FDragPress);
            QMouseEvent release(QEvent::MouseButtonRelease, local, local + QPointF(pos()),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(windowHandle(), &release);
            FDrag = TDrag::System;
            FDragReleaseSent = true;
            return true;
        }
        case TDrag::System:
            // While the window manager moves the window, the pointer's events go to it alone. One
            // that reaches the note with the button down means that it never took the pointer
            // (Qt cancels its move when a motion reaches the program before it has), or let it
            // go: the note goes on from where the window manager left it, by the same measure,
            // and holds the pointer itself until the release.
            FDrag = TDrag::Manual;
            FDragGrabbed = windowHandle()->setMouseGrabEnabled(true);
            break;
        case TDrag::Manual:
            break;
        case TDrag::None:
            return false;
    }
    move(FDragWindowStart + (global - FDragAnchor));
    return true;
}

bool TZozedForm::DragMouseRelease() {
    // A control that saw the end of its press when the move was handed on sees no second one.
    const bool swallow = FDragReleaseSent;
    EndDrag();
    return swallow;
}

void TZozedForm::EndDrag() {
    FDrag = TDrag::None;
    FDragSender.clear();
    FDragReleaseSent = false;
    if (FDragGrabbed) {
        FDragGrabbed = false;
        if (QWindow* window = windowHandle()) {
            window->setMouseGrabEnabled(false);
        }
    }
}

void TZozedForm::CloseClick() {
    const int answer = ShowMessageBox("付箋を削除してもよろしいですか？", "削除の確認",
                                      MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    if (answer == IDOK) {
        FHost.RemoveNote(this);
    }
}

void TZozedForm::ZozedPropClick() {
    if (TZozedPropForm* dialog = FHost.ZozedPropForm()) {
        dialog->TargetNote = this;
        dialog->ShowModal();
    }
}

void TZozedForm::BeforeShow() {
    SetSkipTaskbar(*this);
    FBeingPlaced = true;
    // The window tells when it is on the screen. Installing again keeps one filter.
    if (QWindow* window = windowHandle()) {
        window->installEventFilter(this);
    }
    KeepOnScreen();
}

void TZozedForm::FormShow() {
    Timer->SetEnabled(true);
}

void TZozedForm::FormHide() {
    CatchUpUnseenTicks();
    Timer->SetEnabled(false);
}

void TZozedForm::ExposureChanged(bool exposed) {
    if (!isVisible()) {
        return;
    }
    if (!exposed && !FUnseenSince.isValid() && Timer->Enabled()) {
        FUnseenSince.start();
        Timer->SetEnabled(false);
    } else if (exposed && FUnseenSince.isValid()) {
        CatchUpUnseenTicks();
        Timer->SetEnabled(true);
    }
}

void TZozedForm::CatchUpUnseenTicks() {
    if (!FUnseenSince.isValid()) {
        return;
    }
    // The ticks the timer would have given while nobody could see the note.
    if (Timer->Interval() > 0) {
        AdvanceFrameCounter(FUnseenSince.elapsed() / Timer->Interval());
    }
    FUnseenSince.invalidate();
}

void TZozedForm::FormClose(TCloseAction& Action) {
    if (FHost.IsNote(this)) {
        Action = TCloseAction::caNone;
    }
}

void TZozedForm::SetStoredPosition(int left, int top) {
    SetLeft(left);
    SetTop(top);
    FStoredPosition = QPoint(left, top);
}

QPoint TZozedForm::SavedPosition() const {
    return FStoredPosition.value_or(pos());
}

void TZozedForm::moveEvent(QMoveEvent* event) {
    TForm::moveEvent(event);
    // Moves while the note is hidden or being placed are the program's or the window manager's;
    // one after that is the user's, and the note's place is its own from then on.
    const QPoint savedBefore = FStoredPosition.value_or(event->oldPos());
    if (isVisible() && !FBeingPlaced) {
        FStoredPosition.reset();
    }
    // A place that is not saved is no change: a save for it would only rotate the backups.
    if (SavedPosition() != savedBefore) {
        FHost.NoteChanged(this);
    }
}

void TZozedForm::KeepOnScreen() {
    if (!PositionSet()) {
        return;
    }
    const QRect frame(pos(), QSize(NoteWidth, NoteHeight));
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) {
        return;
    }
    QScreen* nearest = nullptr;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (QScreen* screen : screens) {
        const QRect area = screen->geometry();
        if (area.intersects(frame)) {
            return;
        }
        const qint64 dx = std::max({area.left() - frame.right(), frame.left() - area.right(), 0});
        const qint64 dy = std::max({area.top() - frame.bottom(), frame.top() - area.bottom(), 0});
        const qint64 distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            nearest = screen;
        }
    }
    const QRect area = nearest->availableGeometry();
    const int left =
        std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - NoteWidth + 1));
    const int top =
        std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - NoteHeight + 1));
    move(left, top);
}

}  // namespace vlz
