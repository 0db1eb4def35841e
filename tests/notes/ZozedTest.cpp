// One note window with a host of its own: no controller, no catalogue, no tray.

#include "notes/Zozed.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <memory>
#include <vector>

#include "characters/Sprite.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "notes/ZozedProp.h"
#include "support/EventLoop.h"
#include "support/FakeDialogHost.h"
#include "support/QtApplication.h"
#include "support/WindowExposed.h"
#include "toolkit/Image.h"
#include "toolkit/Memo.h"
#include "toolkit/Timer.h"

namespace vlz {
namespace {

constexpr TColor Red = RGB(200, 0, 0);
constexpr TColor Blue = RGB(0, 0, 200);

// A character of `count` frames of width × height, each a solid block of its own colour.
std::unique_ptr<TSprite> BlockCharacter(int width, int height, std::vector<TColor> frames,
                                        int interval) {
    auto sprite = std::make_unique<TSprite>();
    const int count = static_cast<int>(frames.size());
    sprite->PatternWidth = width;
    sprite->PatternHeight = height;
    sprite->PatternCount = count;
    sprite->AnimationInterval = interval;
    sprite->Image.SetSize(width * count, height);
    sprite->Mask.SetSize(width * count, height);
    sprite->Mask.Canvas().Brush.Color = clBlack;  // opaque everywhere
    sprite->Mask.Canvas().FillRect(Rect(0, 0, width * count, height));
    for (int frame = 0; frame < count; ++frame) {
        sprite->Image.Canvas().Brush.Color = frames[static_cast<std::size_t>(frame)];
        sprite->Image.Canvas().FillRect(Rect(frame * width, 0, (frame + 1) * width, height));
    }
    return sprite;
}

class FakeNoteHost : public TNoteHost {
  public:
    std::vector<std::unique_ptr<TSprite>> Characters;
    std::vector<TZozedForm*> Listed;
    std::vector<TZozedForm*> Removed;
    TZozedPropForm* Dialog = nullptr;
    QAction New{"new"}, Hide{"hide"}, Config{"config"}, About{"about"}, Exit{"exit"};

    TSprite* CharacterAt(int index) const override {
        return index >= 0 && index < static_cast<int>(Characters.size())
                   ? Characters[static_cast<std::size_t>(index)].get()
                   : Characters.front().get();
    }
    TNoteActions NoteActions() const override {
        auto* self = const_cast<FakeNoteHost*>(this);
        return {&self->New, &self->Hide, &self->Config, &self->About, &self->Exit};
    }
    TZozedPropForm* ZozedPropForm() const override { return Dialog; }
    void RemoveNote(TZozedForm* note) override {
        Removed.push_back(note);
        std::erase(Listed, note);
    }
    bool IsNote(const QWidget* window) const override {
        return std::find(Listed.begin(), Listed.end(), window) != Listed.end();
    }
    void NoteChanged(TZozedForm* /*note*/) override { ++Changes; }
    int Changes = 0;
};

// 0x00BBGGRR of a pixel of a 24-bit bitmap.
TColor PixelAt(const TBitmap& bitmap, int x, int y) {
    const std::uint8_t* pixel = bitmap.ScanLine(y) + x * 3;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

class Zozed : public ::testing::Test {
  protected:
    Zozed() {
        host_.Characters.push_back(BlockCharacter(20, 30, {Red, Blue}, 70));
        host_.Characters.push_back(BlockCharacter(100, 120, {Blue}, 250));
        note_ = CreateForm<TZozedForm>(host_);
        host_.Listed.push_back(note_.get());
    }

    TApplication& application_ = testing::TestApplication();
    testing::ScriptedMessageBoxes boxes_;
    FakeNoteHost host_;
    std::unique_ptr<TZozedForm> note_;
};

TEST_F(Zozed, StartsWithTheCreationLinesAndTheFirstCharactersInterval) {
    const std::string memo = note_->Memo->Text();
    EXPECT_EQ(memo, CreationText(note_->CreatedAt()) + "\r\nここにメモを書き込めます.");
    EXPECT_EQ(note_->CharacterIndex(), 0);
    EXPECT_EQ(note_->Timer->Interval(), 70);
    EXPECT_EQ(note_->FrameCounter(), 0);
    EXPECT_EQ(note_->size(), QSize(320, 110));
}

TEST_F(Zozed, TellsItsHostOfEveryChangeThatIsSaved) {
    note_->Show();
    QCoreApplication::processEvents();
    host_.Changes = 0;
    note_->TimerTimer();
    note_->Hide();
    note_->Show();
    QCoreApplication::processEvents();
    EXPECT_EQ(host_.Changes, 0) << "animating, hiding and showing change nothing that is saved";

    note_->Memo->InsertTyped(QStringLiteral("あ"));
    EXPECT_EQ(host_.Changes, 1);
    note_->Memo->Undo();
    EXPECT_EQ(host_.Changes, 2);
    note_->move(note_->pos() + QPoint(7, 3));
    EXPECT_TRUE(testing::WaitFor([&] { return host_.Changes == 3; }));
    note_->SetMemoFont(TFont{});
    note_->SetMemoBGColor(Red);
    note_->SetCharacter(1);
    EXPECT_EQ(host_.Changes, 6);
}

TEST_F(Zozed, CharacterIndexIsKeptAsGivenAndTimedByWhatItStandsFor) {
    note_->SetCharacter(1);
    EXPECT_EQ(note_->Timer->Interval(), 250);
    note_->SetCharacter(9);  // outside: the first character's timing, the index unchanged
    EXPECT_EQ(note_->CharacterIndex(), 9);
    EXPECT_EQ(note_->Timer->Interval(), 70);
}

TEST_F(Zozed, TickDrawsTheNextFrameCentredOverTheFramePicture) {
    const TBitmap& buffer = note_->Buffer();
    const TColor background = PixelAt(note_->FrameImage->Picture(), 12 + 23, 12 + 29);
    note_->TimerTimer();
    // (68 - 20) / 2 = 24 and (89 - 30) / 2 = 29.
    EXPECT_EQ(PixelAt(buffer, 24, 29), Red);
    EXPECT_EQ(PixelAt(buffer, 43, 58), Red);
    EXPECT_EQ(PixelAt(buffer, 23, 29), background);
    EXPECT_EQ(PixelAt(buffer, 44, 58), PixelAt(note_->FrameImage->Picture(), 12 + 44, 12 + 58));
    note_->TimerTimer();
    EXPECT_EQ(PixelAt(buffer, 24, 29), Blue);
    note_->TimerTimer();
    EXPECT_EQ(PixelAt(buffer, 24, 29), Red) << "frame = counter mod pattern count";
    EXPECT_EQ(note_->FrameCounter(), 3);
}

TEST_F(Zozed, FrameLargerThanTheBoxIsCentredWithNegativeOffsetsAndClipped) {
    note_->SetCharacter(1);
    note_->TimerTimer();
    for (const auto& [x, y] : {std::pair{0, 0}, {67, 0}, {0, 88}, {67, 88}}) {
        EXPECT_EQ(PixelAt(note_->Buffer(), x, y), Blue) << x << ", " << y;
    }
}

TEST_F(Zozed, MenuShowsItsOwnItemsAndTheHostsActions) {
    const QList<QAction*> items = note_->PopupMenu->actions();
    ASSERT_EQ(items.size(), 7);
    EXPECT_EQ(items[0], note_->ZozedProp);
    EXPECT_EQ(items[0]->text(), "プロパティ(&P)");
    EXPECT_EQ(items[1], note_->CloseItem);
    EXPECT_EQ(items[1]->text(), "削除(&D)...");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3], &host_.New);
    EXPECT_TRUE(items[4]->isSeparator());
    EXPECT_EQ(items[5], &host_.About);
    ASSERT_NE(items[6]->menu(), nullptr);
    EXPECT_EQ(items[6]->text(), "システムメニュー(&S)");
    const QList<QAction*> system = items[6]->menu()->actions();
    ASSERT_EQ(system.size(), 4);
    EXPECT_EQ(system[0], &host_.Hide);
    EXPECT_EQ(system[1], &host_.Config);
    EXPECT_TRUE(system[2]->isSeparator());
    EXPECT_EQ(system[3], &host_.Exit);
}

TEST_F(Zozed, DeleteAsksAndOnlyOkHandsTheNoteToTheHost) {
    boxes_.Answers = {IDCANCEL};
    note_->CloseItem->trigger();
    EXPECT_TRUE(host_.Removed.empty());
    ASSERT_EQ(boxes_.Boxes.size(), 1u);
    EXPECT_EQ(boxes_.Boxes[0].Text, "付箋を削除してもよろしいですか？");
    EXPECT_EQ(boxes_.Boxes[0].Caption, "削除の確認");
    EXPECT_EQ(boxes_.Boxes[0].Flags, 0x121u);

    boxes_.Answers = {IDOK};
    note_->CloseItem->trigger();
    EXPECT_EQ(host_.Removed, std::vector<TZozedForm*>{note_.get()});
}

TEST_F(Zozed, ListedNoteRefusesToCloseAndAnUnlistedOneHides) {
    note_->Show();
    EXPECT_FALSE(note_->Close());
    EXPECT_TRUE(note_->Visible());
    host_.Listed.clear();
    EXPECT_TRUE(note_->Close());
    EXPECT_FALSE(note_->Visible());
}

TEST_F(Zozed, PropertiesOpenTheHostsDialogOnThisNote) {
    testing::FakeController controller;
    controller.Characters = {{"ちび", 20, 20, 1, 100, Red}, {"でか", 40, 40, 1, 100, Blue}};
    TZozedPropForm dialog(controller);
    host_.Dialog = &dialog;
    note_->SetCharacter(1);
    bool shown = false;
    QTimer::singleShot(0, &dialog, [&] {
        shown = dialog.isVisible();
        EXPECT_EQ(dialog.TargetNote, note_.get());
        EXPECT_EQ(dialog.CharListBox->currentIndex(), 1);
        dialog.SetModalResult(mrCancel);
    });
    note_->ZozedProp->trigger();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(Zozed, ShownNotesDrawOneFramePerIntervalOfTheirCharacterInStep) {
    auto twin = CreateForm<TZozedForm>(host_);  // the same character: 70 ms
    auto slow = CreateForm<TZozedForm>(host_);
    slow->SetCharacter(1);  // 250 ms
    note_->Show();
    twin->Show();
    slow->Show();
    ASSERT_TRUE(testing::WaitFor([&] { return slow->FrameCounter() >= 4; }, 20'000));
    EXPECT_EQ(note_->FrameCounter(), twin->FrameCounter()) << "one beat draws both";
    const double expected = slow->FrameCounter() * 250.0 / 70.0;
    EXPECT_NEAR(note_->FrameCounter(), expected, 3.0);
}

TEST_F(Zozed, HidingStopsTheAnimationAndShowingGoesOnFromTheSameFrame) {
    note_->show();  // Qt's own show runs the note's show handler too
    EXPECT_TRUE(note_->Timer->Active());
    note_->TimerTimer();
    note_->Hide();
    EXPECT_FALSE(note_->Timer->Active());
    note_->Show();
    EXPECT_TRUE(note_->Timer->Active());
    EXPECT_EQ(note_->FrameCounter(), 1);
}

// Every pixel of the character box, as the window shows it, against the frame picture under it.
int PixelsUnlikeTheFramePicture(TZozedForm& note) {
    const QImage shown = note.grab().toImage();
    const TBitmap& frame = note.FrameImage->Picture();
    int unlike = 0;
    for (int y = 12; y < 12 + 89; ++y) {
        for (int x = 12; x < 12 + 68; ++x) {
            const TColor expected = PixelAt(frame, x, y);
            unlike += shown.pixel(x, y) !=
                      qRgb(GetRValue(expected), GetGValue(expected), GetBValue(expected));
        }
    }
    return unlike;
}

TEST_F(Zozed, CharacterBoxShowsTheFramePictureUntilTheFirstTick) {
    // A character that is never timed (interval 0) never gets its first tick.
    host_.Characters.push_back(BlockCharacter(20, 30, {Red}, 0));
    note_->SetCharacter(2);
    note_->Show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(note_->Timer->Active());
    EXPECT_EQ(PixelsUnlikeTheFramePicture(*note_), 0);

    note_->TimerTimer();
    const QImage shown = note_->grab().toImage();
    EXPECT_EQ(shown.pixel(12 + 24, 12 + 29), qRgb(200, 0, 0));
    EXPECT_EQ(PixelsUnlikeTheFramePicture(*note_), 20 * 30) << "only the character covers it";
}

// A note on a window system whose move loop either takes a drag or is not there at all.
class MovableNote : public TZozedForm {
  public:
    using TZozedForm::TZozedForm;
    bool MoveLoop = false;
    int MoveLoopStarts = 0;

  protected:
    bool StartSystemMove() override {
        ++MoveLoopStarts;
        return MoveLoop;
    }
};

// Counts the ends of presses a control sees.
class ReleaseCounter : public QObject {
  public:
    int Releases = 0;
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        Releases += event->type() == QEvent::MouseButtonRelease ? 1 : 0;
        return false;
    }
};

// The pointer's events reach the note's window as the window system delivers them; positions
// are on the screen.
class DraggedZozed : public Zozed {
  protected:
    DraggedZozed() {
        note_ = CreateForm<MovableNote>(host_);
        host_.Listed = {note_.get()};
        note_->SetStoredPosition(200, 150);
        note_->show();
        note_->FrameImage->installEventFilter(&frame_);
        start_ = note_->pos();
        grip_ = start_ + QPoint(85, 60);  // the frame picture, beside the character
    }
    ~DraggedZozed() override { note_->hide(); }

    void Send(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons buttons) {
        const QPointF local(global - note_->pos());
        QMouseEvent event(type, local, QPointF(global), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(note_->windowHandle(), &event);
    }
    void Press(QPoint at) { Send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
    void MoveHeld(QPoint to) { Send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); }
    void Release(QPoint at) { Send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }
    MovableNote& Note() { return static_cast<MovableNote&>(*note_); }

    ReleaseCounter frame_;
    QPoint start_;
    QPoint grip_;
};

TEST_F(DraggedZozed, APressThatHardlyMovesStaysAClick) {
    Note().MoveLoop = true;
    Press(grip_);
    MoveHeld(grip_ + QPoint(3, 2));
    Release(grip_ + QPoint(3, 2));
    EXPECT_EQ(note_->pos(), start_);
    EXPECT_EQ(Note().MoveLoopStarts, 0);
    EXPECT_EQ(frame_.Releases, 1);
}

TEST_F(DraggedZozed, WithoutAMoveLoopTheNoteFollowsThePointerUntilTheRelease) {
    Press(grip_);
    MoveHeld(grip_ + QPoint(40, 30));
    EXPECT_EQ(note_->pos(), start_ + QPoint(40, 30));
    MoveHeld(grip_ + QPoint(100, 20));
    EXPECT_EQ(note_->pos(), start_ + QPoint(100, 20));
    Release(grip_ + QPoint(100, 20));
    EXPECT_EQ(frame_.Releases, 1);
    EXPECT_EQ(note_->SavedPosition(), start_ + QPoint(100, 20));
    // Once the button is up the pointer goes its own way.
    Send(QEvent::MouseMove, grip_ + QPoint(150, 0), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(note_->pos(), start_ + QPoint(100, 20));
}

TEST_F(DraggedZozed, AMoveTheWindowManagerGivesUpGoesOnUnderThePointerUntilTheRelease) {
    Note().MoveLoop = true;
    Press(grip_);
    MoveHeld(grip_ + QPoint(30, 20));
    EXPECT_EQ(Note().MoveLoopStarts, 1);
    EXPECT_EQ(frame_.Releases, 1) << "the control sees its press end when the move is handed on";
    EXPECT_EQ(note_->pos(), start_);
    // The pointer's motions still reach the note with the button down: the window manager
    // never took the pointer. The note keeps the grip it had when it handed the move on.
    MoveHeld(grip_ + QPoint(80, 50));
    EXPECT_EQ(note_->pos(), start_ + QPoint(50, 30));
    Release(grip_ + QPoint(80, 50));
    EXPECT_EQ(note_->pos(), start_ + QPoint(50, 30));
    EXPECT_EQ(frame_.Releases, 1) << "no second end of the same press";
    EXPECT_EQ(note_->SavedPosition(), start_ + QPoint(50, 30));
    EXPECT_EQ(Note().MoveLoopStarts, 1);
}

TEST_F(DraggedZozed, AMoveTheWindowManagerFinishedLeavesTheNextPressAClick) {
    Note().MoveLoop = true;
    Press(grip_);
    MoveHeld(grip_ + QPoint(30, 20));
    // The window manager moves the note and takes the release.
    const QPoint moved = start_ + QPoint(60, 40);
    note_->move(moved);
    const QPoint grip = moved + QPoint(85, 60);
    Press(grip);
    MoveHeld(grip + QPoint(2, 3));
    Release(grip + QPoint(2, 3));
    EXPECT_EQ(note_->pos(), moved);
    EXPECT_EQ(frame_.Releases, 2);
    EXPECT_EQ(Note().MoveLoopStarts, 1);
}

TEST_F(DraggedZozed, PlaceChosenByTheWindowManagerIsNeverSavedOnlyTheUsersMove) {
    host_.Changes = 0;
    // A window manager that places windows itself puts the note elsewhere as it comes up...
    note_->move(32, 32);
    ASSERT_TRUE(testing::WaitUntilExposed(*note_));
    EXPECT_EQ(note_->SavedPosition(), QPoint(200, 150));
    // ...and again when it is shown after hiding.
    note_->Hide();
    note_->Show();
    note_->move(0, 0);
    ASSERT_TRUE(testing::WaitUntilExposed(*note_));
    EXPECT_EQ(note_->SavedPosition(), QPoint(200, 150));
    EXPECT_EQ(host_.Changes, 0) << "nothing to save";

    // Dragged by the user, the note's place is its own, also after hiding and showing.
    const QPoint grip = note_->pos() + QPoint(85, 60);
    Press(grip);
    MoveHeld(grip + QPoint(40, 30));
    Release(grip + QPoint(40, 30));
    EXPECT_EQ(note_->SavedPosition(), QPoint(40, 30));
    EXPECT_GT(host_.Changes, 0);
    note_->Hide();
    note_->Show();
    EXPECT_EQ(note_->SavedPosition(), note_->pos());
}

}  // namespace
}  // namespace vlz
