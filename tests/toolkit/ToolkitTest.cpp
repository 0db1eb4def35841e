#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QElapsedTimer>
#include <QTimer>
#include <string>

#include "doubles/ScriptedMessageBoxes.h"
#include "platform/Exception.h"
#include "support/EventLoop.h"
#include "toolkit/Application.h"
#include "toolkit/Form.h"
#include "toolkit/Memo.h"
#include "toolkit/Timer.h"

namespace vlz {
namespace {

using testing::RunEventsFor;
using testing::WaitFor;

// Long enough for a loaded machine; a passing test never waits for all of it.
constexpr int Deadline = 10000;

class ToolkitTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "toolkit_test";
        static char* argv[] = {name, nullptr};
        // Kept for the whole run: Qt cannot be torn down safely from static destructors.
        static auto* application = new TApplication(argc, argv);
        application->SetTitle("Velloric付箋");
    }
    testing::ScriptedMessageBoxes Boxes;
};

TEST_F(ToolkitTest, GuardedHandlerFailureIsShownWithTheTitleAndErrorIcon) {
    bool after = false;
    Guarded([] { throw Exception("C:\\x.ini に書き込めません"); });
    after = true;
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "C:\\x.ini に書き込めません.");
    EXPECT_EQ(Boxes.Boxes[0].Caption, "Velloric付箋");
    EXPECT_EQ(Boxes.Boxes[0].Flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_TRUE(after);
}

TEST_F(ToolkitTest, TimerTicksOnlyWithAPositiveIntervalAndRestartsWhenItChanges) {
    TTimer timer;
    int ticks = 0;
    timer.SetOnTimer([&] { ++ticks; });
    timer.SetInterval(0);
    RunEventsFor(60);
    EXPECT_EQ(ticks, 0);
    EXPECT_FALSE(timer.Active());

    timer.SetInterval(10);
    ASSERT_TRUE(WaitFor([&] { return ticks > 2; }, Deadline));

    timer.SetEnabled(false);
    const int stopped = ticks;
    RunEventsFor(50);
    EXPECT_EQ(ticks, stopped);

    // A failing tick is shown and the timer keeps running.
    timer.SetOnTimer([&] {
        ++ticks;
        throw Exception("tick");
    });
    timer.SetEnabled(true);
    ASSERT_TRUE(WaitFor([&] { return ticks > stopped + 1; }, Deadline));
    EXPECT_TRUE(timer.Active());
    EXPECT_FALSE(Boxes.Boxes.empty());
}

TEST_F(ToolkitTest, TimerIntervalChangeStartsTheWholePeriodAnew) {
    TTimer timer;
    timer.SetInterval(100);
    RunEventsFor(70);
    // Restarts: the next tick is a whole period away, not the 30 ms left of the old one. A busy
    // machine only makes ticks late, and a coarse timer comes at most 5 % early.
    QElapsedTimer sinceChange;
    qint64 firstTick = -1;
    timer.SetOnTimer([&] {
        if (firstTick < 0) {
            firstTick = sinceChange.elapsed();
        }
    });
    timer.SetInterval(101);
    sinceChange.start();
    ASSERT_TRUE(WaitFor([&] { return firstTick >= 0; }, Deadline));
    EXPECT_GE(firstTick, 90);
}

// A message box runs an event loop of its own until it is answered: a timer keeps ticking inside
// it, and the scripted boxes must let it, or a test cannot see what a tick does while a box waits.
TEST_F(ToolkitTest, TimerTicksWhileAMessageBoxIsOpen) {
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&] { ++ticks; });

    Boxes.WhileOpen = testing::KeepOpenUntil([&] { return ticks >= 3; }, Deadline);
    EXPECT_EQ(ShowMessageBox("保存しますか？", "Velloric付箋", MB_OKCANCEL), IDOK);
    EXPECT_GE(ticks, 3);

    // Answered at once, a box lets no tick in.
    Boxes.WhileOpen = nullptr;
    ticks = 0;
    ShowMessageBox("保存しますか？", "Velloric付箋", MB_OKCANCEL);
    EXPECT_EQ(ticks, 0);
}

TEST_F(ToolkitTest, ATickCanAnswerTheOpenBox) {
    TTimer timer;
    int ticks = 0;
    timer.SetInterval(10);
    timer.SetOnTimer([&] {
        if (++ticks == 3) {
            Boxes.Answer(IDCANCEL);
        }
    });
    Boxes.WhileOpen = testing::KeepOpenUntilAnswered(Boxes);
    EXPECT_EQ(ShowMessageBox("保存しますか？", "Velloric付箋", MB_OKCANCEL), IDCANCEL);
    EXPECT_GE(ticks, 3);
    EXPECT_EQ(Boxes.OpenBoxes(), 0);
}

// The box of a failed tick opens inside the box that was open; both are answered in turn.
TEST_F(ToolkitTest, AFailedTickInsideABoxShowsItsOwnBoxThere) {
    TTimer timer;
    timer.SetInterval(10);
    int openWhenShown = 0;
    timer.SetOnTimer([&] {
        timer.SetEnabled(false);
        throw Exception("tick failed");
    });
    Boxes.Answers = {IDCANCEL, IDOK};
    Boxes.WhileOpen = [&](const testing::RecordedBox& box) {
        if (box.Text == "tick failed.") {
            openWhenShown = Boxes.OpenBoxes();
            return;
        }
        testing::KeepOpenUntil([&] { return Boxes.Boxes.size() == 2; })(box);
    };
    EXPECT_EQ(ShowMessageBox("保存しますか？", "Velloric付箋", MB_OKCANCEL), IDCANCEL);
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[1].Flags & MB_ICONMASK, MB_ICONERROR);
    EXPECT_EQ(openWhenShown, 2);
}

class ProbeForm : public TForm {
  public:
    bool AllowClose = true;
    TCloseAction Action = TCloseAction::caHide;
    int Created = 0, Shown = 0, Hidden = 0;
    // Whether each hook ran, in order: 'B' for BeforeShow, 'S' for FormShow.
    std::string Hooks;

  protected:
    void FormCreate() override {
        ++Created;
        throw Exception("creation failed");
    }
    void BeforeShow() override { Hooks += 'B'; }
    void FormShow() override {
        ++Shown;
        Hooks += 'S';
    }
    void FormHide() override { ++Hidden; }
    void FormCloseQuery(bool& CanClose) override { CanClose = AllowClose; }
    void FormClose(TCloseAction& action) override { action = Action; }
};

TEST_F(ToolkitTest, FormCreationFailureIsShownAndTheFormStillExists) {
    auto form = CreateForm<ProbeForm>();
    EXPECT_EQ(form->Created, 1);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "creation failed.");
}

TEST_F(ToolkitTest, CloseQueryAndCloseActionCanKeepTheFormOpen) {
    auto form = CreateForm<ProbeForm>();
    form->Show();
    EXPECT_EQ(form->Shown, 1);

    form->AllowClose = false;
    EXPECT_FALSE(form->Close());
    EXPECT_TRUE(form->Visible());

    form->AllowClose = true;
    form->Action = TCloseAction::caNone;
    EXPECT_FALSE(form->Close());
    EXPECT_TRUE(form->Visible());

    form->Action = TCloseAction::caHide;
    EXPECT_TRUE(form->Close());
    EXPECT_FALSE(form->Visible());
    EXPECT_EQ(form->Hidden, 1);
}

TEST_F(ToolkitTest, QtShowAndShowRunTheSameHooksOncePerShowing) {
    auto form = CreateForm<ProbeForm>();
    form->show();
    EXPECT_EQ(form->Hooks, "BS");
    form->Show();  // already shown: nothing runs again
    EXPECT_EQ(form->Hooks, "BS");
    form->Hide();
    form->Show();
    EXPECT_EQ(form->Hooks, "BSBS");
    form->hide();
    form->setVisible(true);
    EXPECT_EQ(form->Hooks, "BSBSBS");
}

TEST_F(ToolkitTest, ShowModalReturnsTheResultThatEndedIt) {
    auto form = CreateForm<ProbeForm>();
    QTimer::singleShot(20, form.get(), [&] { form->SetModalResult(mrOk); });
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(form->Visible());

    QTimer::singleShot(20, form.get(), [&] { form->Close(); });
    EXPECT_EQ(form->ShowModal(), mrCancel);
}

TEST_F(ToolkitTest, MemoCountsShiftJisBytesAndLineBreaksAsTwo) {
    TMemo memo;
    memo.SetText("ab\r\n表");
    EXPECT_EQ(memo.ByteLength(), 6u);
    EXPECT_EQ(memo.Text(), "ab\r\n表");
    EXPECT_EQ(EditByteLength(QStringLiteral("ｱｲ")), 2u);  // half-width katakana are one byte
}

TEST_F(ToolkitTest, MemoInsertionStopsAtTheByteLimit) {
    TMemo memo;
    memo.SetMaxLength(10);
    EXPECT_TRUE(memo.InsertTyped(QStringLiteral("abcdefgh")));
    // Two bytes left: the double-byte character fits, the one after it does not.
    EXPECT_TRUE(memo.InsertTyped(QStringLiteral("漢字")));
    EXPECT_EQ(memo.Text(), "abcdefgh漢");
    EXPECT_FALSE(memo.InsertTyped(QStringLiteral("x")));
    EXPECT_EQ(memo.ByteLength(), 10u);

    // Typing over a selection frees its bytes first.
    memo.selectAll();
    EXPECT_TRUE(memo.InsertTyped(QStringLiteral("0123456789AB")));
    EXPECT_EQ(memo.Text(), "0123456789");
}

TEST_F(ToolkitTest, MemoRefusesTextThatShiftJisCannotHold) {
    TMemo memo;
    memo.SetText("メモ");
    EXPECT_FALSE(memo.InsertTyped(QString::fromUtf8("\xF0\x9F\x98\x80")));  // an emoji
    EXPECT_FALSE(memo.InsertTyped(QStringLiteral("한글")));
    EXPECT_EQ(memo.Text(), "メモ");
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[0].Flags & MB_ICONMASK, MB_ICONWARNING);
}

}  // namespace
}  // namespace vlz
