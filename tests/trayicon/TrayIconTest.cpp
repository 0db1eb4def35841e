#include "trayicon/TrayIcon.h"

#include "trayicon/QtIcon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "doubles/FakeDesktop.h"
#include "doubles/RecordingNotifyIconShell.h"
#include "doubles/ScriptedMessageBoxes.h"
#include "platform/Cp932.h"
#include "support/EventLoop.h"

namespace vlz {
namespace {

using testing::FakeDesktop;
using testing::RecordingNotifyIconShell;
using testing::RunEventsFor;
using testing::WaitFor;

struct MouseCall {
    TMouseButton Button;
    TShiftState Shift;
    int X;
    int Y;
};

class TrayIconTest : public ::testing::Test {
  protected:
    TrayIconTest() {
        Picture.SetPixels(2, 2, {0xFF000000u, 0xFFFFFFFFu, 0xFF00FF00u, 0x00000000u});
    }

    // A component made in code with a picture, as the program makes it.
    std::unique_ptr<TTrayIcon> MakeIcon() {
        auto icon = std::make_unique<TTrayIcon>(&Owner);
        icon->SetIcon(&Picture);
        return icon;
    }

    std::unique_ptr<TTrayIcon> MakeVisibleIcon() {
        auto icon = MakeIcon();
        icon->SetVisible(true);
        return icon;
    }

    RecordingNotifyIconShell Shell;
    FakeDesktop Desktop;
    QWidget Owner;
    TIcon Picture;
};

// ---- tip and registration ----

TEST_F(TrayIconTest, CodeCreatedIconShowsTheDefaultTip) {
    auto icon = MakeVisibleIcon();
    ASSERT_EQ(Shell.Messages(), std::vector<unsigned>{NIM_ADD});
    const NOTIFYICONDATA& added = Shell.Calls[0].Data;
    EXPECT_EQ(added.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_EQ(NotifyText(added.szTip), "TipHelp");
    EXPECT_EQ(added.uCallbackMessage, WM_TRAYICON);
    EXPECT_EQ(added.uID, static_cast<std::uint32_t>(icon->ID()));
    EXPECT_EQ(added.cbSize, NOTIFYICONDATA_V5_SIZE);
    EXPECT_EQ(added.hIcon, Picture.Handle());
    EXPECT_NE(added.hWnd, 0u);
    EXPECT_TRUE(icon->Registered());
}

TEST_F(TrayIconTest, StreamLoadedIconHasOnlyTheTipItsFormStores) {
    TTrayIcon withoutTip(&Owner);
    withoutTip.ReadState([this](TTrayIcon& icon) {
        icon.SetIcon(&Picture);
        icon.SetVisible(true);
    });
    EXPECT_TRUE(Shell.Calls.empty()) << "nothing is registered while loading";
    withoutTip.Loaded();
    ASSERT_EQ(Shell.Messages(), std::vector<unsigned>{NIM_ADD});
    EXPECT_EQ(Shell.Calls[0].Data.uFlags, NIF_MESSAGE | NIF_ICON);
    EXPECT_EQ(NotifyText(Shell.Calls[0].Data.szTip), "");
    EXPECT_EQ(withoutTip.TipHelp(), "");

    TTrayIcon withTip(&Owner);
    withTip.ReadState([this](TTrayIcon& icon) {
        icon.SetIcon(&Picture);
        icon.SetTipHelp("Velloric付箋");
        icon.SetVisible(true);
    });
    withTip.Loaded();
    ASSERT_EQ(Shell.Calls.size(), 2u);
    EXPECT_EQ(Shell.Calls[1].Data.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    EXPECT_EQ(NotifyText(Shell.Calls[1].Data.szTip), ToCp932("Velloric付箋"));

    TTrayIcon hidden(&Owner);
    hidden.ReadState([](TTrayIcon&) {});
    hidden.Loaded();
    EXPECT_EQ(Shell.Calls.size(), 2u) << "a hidden component is not added";
}

TEST_F(TrayIconTest, TipKeeps63BytesAndAnUnchangedTipSendsNothing) {
    auto icon = MakeVisibleIcon();
    icon->SetTipHelp(std::string(100, 'x'));
    EXPECT_EQ(icon->TipHelp(), std::string(63, 'x'));
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(NotifyText(Shell.Calls[1].Data.szTip), std::string(63, 'x'));

    icon->SetTipHelp(std::string(63, 'x'));
    icon->SetTipHelp(std::string(80, 'x'));
    EXPECT_EQ(Shell.Calls.size(), 2u);

    // 62 ASCII bytes and a double-byte character: the character does not fit and is dropped
    // whole rather than cut in half.
    icon->SetTipHelp(std::string(62, 'y') + "付");
    EXPECT_EQ(icon->TipHelp(), std::string(62, 'y'));
}

TEST_F(TrayIconTest, AnimateRateHasAFloorOf10) {
    auto icon = MakeIcon();
    EXPECT_EQ(icon->AnimateRate(), 500);
    icon->SetAnimateRate(3);
    EXPECT_EQ(icon->AnimateRate(), 10);
    icon->SetAnimateRate(40);
    EXPECT_EQ(icon->AnimateRate(), 40);
}

TEST_F(TrayIconTest, IconChangesReachTheShellOnlyWhileRegistered) {
    auto icon = MakeIcon();
    TIcon other;
    other.SetPixels(1, 1, {0xFFFF0000u});
    icon->SetIcon(&other);
    icon->SetTipHelp("before");
    EXPECT_TRUE(Shell.Calls.empty());

    icon->SetVisible(true);
    icon->SetIcon(&Picture);
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(Shell.Calls[0].Data.hIcon, other.Handle());
    EXPECT_EQ(Shell.Calls[1].Data.hIcon, Picture.Handle());
    EXPECT_EQ(NotifyText(Shell.Calls[1].Data.szTip), "before");
}

TEST_F(TrayIconTest, VisibleNeedsSomeIcon) {
    TTrayIcon icon(&Owner);
    icon.SetVisible(true);
    EXPECT_FALSE(icon.Visible());
    EXPECT_TRUE(Shell.Calls.empty());
}

TEST_F(TrayIconTest, OwnerFormIconStandsInAndTheOwnerFreesTheComponent) {
    auto* form = new QWidget;
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::red);
    form->setWindowIcon(QIcon(pixmap));
    auto* icon = new TTrayIcon(form);
    icon->SetVisible(true);
    ASSERT_TRUE(icon->Visible());
    HICON standIn = Shell.Calls.at(0).Data.hIcon;
    ASSERT_NE(standIn, 0u);
    auto image = FindIconImage(standIn);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Pixels.at(0), 0xFFFF0000u);

    delete form;
    EXPECT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_DELETE}));
    EXPECT_EQ(TTrayIcon::InstanceCount(), 0);
}

TEST_F(TrayIconTest, QtPicturesBecomeArgbIcons) {
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(255, 0, 0));
    TIcon icon;
    AssignQImage(icon, image);
    EXPECT_EQ(icon.Pixels(), (std::vector<std::uint32_t>{0xFF010203u, 0xFFFF0000u}));
    AssignQImage(icon, QImage());
    EXPECT_TRUE(icon.Empty());
    EXPECT_FALSE(AssignQIcon(icon, QIcon()));
}

// ---- showing and hiding ----

TEST_F(TrayIconTest, Version5ShellHidesTheIconThroughItsState) {
    auto icon = MakeVisibleIcon();
    icon->SetVisible(false);
    icon->SetVisible(true);
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY, NIM_MODIFY}));
    const NOTIFYICONDATA& hide = Shell.Calls[1].Data;
    EXPECT_EQ(hide.uFlags, NIF_STATE);
    EXPECT_EQ(hide.dwState, NIS_HIDDEN);
    EXPECT_EQ(hide.dwStateMask, NIS_HIDDEN | NIS_SHAREDICON);
    EXPECT_EQ(Shell.Calls[2].Data.uFlags, NIF_STATE);
    EXPECT_EQ(Shell.Calls[2].Data.dwState, 0u);
    EXPECT_TRUE(icon->Registered());
}

TEST_F(TrayIconTest, OlderShellDeletesAndAddsAgain) {
    Shell.MajorVersion = 4;
    auto icon = MakeVisibleIcon();
    icon->SetVisible(false);
    EXPECT_FALSE(icon->Registered());
    icon->SetVisible(true);
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_DELETE, NIM_ADD}));
    EXPECT_EQ(Shell.Calls[0].Data.cbSize, NOTIFYICONDATA_V1_SIZE);
}

TEST_F(TrayIconTest, FailedStateChangeIsReported) {
    auto icon = MakeVisibleIcon();
    Shell.FailEvery(NIM_MODIFY, ERROR_INVALID_PARAMETER);
    try {
        icon->SetVisible(false);
        FAIL() << "no error";
    } catch (const ENotifyIconError& error) {
        EXPECT_EQ(error.Message(), "タスクトレイアイコンの表示が切り替えられません。");
    }
    try {
        icon->SetTipHelp("new");
        FAIL() << "no error";
    } catch (const ENotifyIconError& error) {
        EXPECT_EQ(error.Message(), "タスクトレイにアイコンを登録できません。");
    }
}

TEST_F(TrayIconTest, DestructionRemovesARegisteredIcon) {
    auto icon = MakeVisibleIcon();
    std::uint32_t id = static_cast<std::uint32_t>(icon->ID());
    icon.reset();
    EXPECT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_DELETE}));
    EXPECT_FALSE(Shell.Deliver(id, WM_LBUTTONDOWN));

    auto neverShown = MakeIcon();
    neverShown.reset();
    EXPECT_EQ(Shell.Calls.size(), 2u);
}

// ---- balloon ----

TEST_F(TrayIconTest, BalloonWithoutTextSendsASpaceAndShowsTheIconFirst) {
    auto icon = MakeIcon();
    icon->HideBalloon();
    EXPECT_TRUE(Shell.Calls.empty()) << "hiding needs no icon";
    icon->SetBalloonTitle("お知らせ");
    icon->SetBalloonIcon(biifWarning);
    icon->SetBalloonTimeout(30);
    icon->ShowBalloon();
    EXPECT_TRUE(icon->Visible());
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY}));
    const NOTIFYICONDATA& balloon = Shell.Calls[1].Data;
    EXPECT_EQ(balloon.uFlags, NIF_INFO | NIF_MESSAGE);
    EXPECT_EQ(NotifyText(balloon.szInfo), " ");
    EXPECT_EQ(NotifyText(balloon.szInfoTitle), ToCp932("お知らせ"));
    EXPECT_EQ(balloon.dwInfoFlags, NIIF_WARNING);
    EXPECT_EQ(balloon.uTimeout, 30000u);

    icon->SetBalloonText("本文");
    icon->HideBalloon();
    EXPECT_EQ(NotifyText(Shell.Calls[2].Data.szInfo), "");
    EXPECT_EQ(NotifyText(Shell.Calls[2].Data.szInfoTitle), "");
}

TEST_F(TrayIconTest, BalloonPropertiesAreBounded) {
    auto icon = MakeIcon();
    icon->SetBalloonTimeout(3);
    EXPECT_EQ(icon->BalloonTimeout(), 10);
    icon->SetBalloonTimeout(500);
    EXPECT_EQ(icon->BalloonTimeout(), 60);
    icon->SetBalloonText(std::string(300, 'b'));
    EXPECT_EQ(icon->BalloonText().size(), 255u);
    icon->SetBalloonTitle(std::string(100, 't'));
    EXPECT_EQ(icon->BalloonTitle().size(), 63u);
}

TEST_F(TrayIconTest, OlderShellSendsAPlainModifyForABalloon) {
    Shell.MajorVersion = 4;
    auto icon = MakeVisibleIcon();
    icon->ShowBalloon();
    ASSERT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY}));
    EXPECT_EQ(Shell.Calls[1].Data.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

TEST_F(TrayIconTest, FailedBalloonIsReported) {
    auto icon = MakeVisibleIcon();
    Shell.FailEvery(NIM_MODIFY, ERROR_INVALID_PARAMETER);
    try {
        icon->ShowBalloon();
        FAIL() << "no error";
    } catch (const ENotifyIconError& error) {
        EXPECT_EQ(error.Message(),
                  "タスクトレイアイコンのバルーンメッセージ表示が切り替えられません。");
    }
}

TEST_F(TrayIconTest, BalloonNotificationsRaiseTheirEvents) {
    auto icon = MakeVisibleIcon();
    std::vector<std::string> raised;
    icon->SetOnBalloonShow([&](TObject&) { raised.push_back("show"); });
    icon->SetOnBalloonHide([&](TObject&) { raised.push_back("hide"); });
    icon->SetOnBalloonTimeout([&](TObject&) { raised.push_back("timeout"); });
    icon->SetOnBalloonClick([&](TObject& sender) {
        EXPECT_EQ(&sender, static_cast<TObject*>(icon.get()));
        raised.push_back("click");
    });
    std::uint32_t id = static_cast<std::uint32_t>(icon->ID());
    for (unsigned notification :
         {NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK}) {
        Shell.Deliver(id, notification);
    }
    EXPECT_EQ(raised, (std::vector<std::string>{"show", "hide", "timeout", "click"}));
}

TEST_F(TrayIconTest, BalloonWarningOnlyAtDesignTimeAndOnce) {
    testing::ScriptedMessageBoxes boxes;
    TTrayIcon running(&Owner);
    running.SetOnBalloonShow([](TObject&) {});
    EXPECT_TRUE(boxes.Boxes.empty());

    TTrayIcon designed(&Owner, true);
    designed.SetOnBalloonClick(nullptr);
    EXPECT_TRUE(boxes.Boxes.empty()) << "clearing a handler is not worth a warning";
    designed.SetOnBalloonShow([](TObject&) {});
    designed.SetOnBalloonHide([](TObject&) {});
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Caption, "注意");
    EXPECT_EQ(boxes.Boxes[0].Flags & MB_ICONMASK, MB_ICONWARNING);
    EXPECT_EQ(boxes.Boxes[0].Text,
              "OnBalloon系イベントはWindows XP/2003などの環境でのみ有効です。\r\n"
              "作成アプリケーションの対応OSには充分注意してください。");
}

TEST_F(TrayIconTest, DesignedComponentNeverTalksToTheShell) {
    TTrayIcon designed(&Owner, true);
    designed.SetIcon(&Picture);
    designed.SetVisible(true);
    designed.SetTipHelp("tip");
    designed.ShowBalloon();
    designed.Loaded();
    EXPECT_TRUE(designed.Visible());
    EXPECT_TRUE(Shell.Calls.empty());
}

// ---- mouse ----

class TrayIconMouseTest : public TrayIconTest {
  protected:
    TrayIconMouseTest() : Icon(MakeVisibleIcon()), ID(static_cast<std::uint32_t>(Icon->ID())) {
        Icon->SetOnMouseDown(
            [this](TObject& sender, TMouseButton button, TShiftState shift, int x, int y) {
                EXPECT_EQ(&sender, static_cast<TObject*>(Icon.get()));
                Downs.push_back({button, shift, x, y});
            });
        Icon->SetOnClick([this](TObject&) { ++Clicks; });
        Icon->SetOnDblClick([this](TObject&) { ++DoubleClicks; });
    }

    void Send(std::initializer_list<unsigned> notifications) {
        for (unsigned notification : notifications) {
            ASSERT_TRUE(Shell.Deliver(ID, notification));
        }
    }

    // How long a click waits before it counts.
    int ClickDelay() const { return static_cast<int>(Desktop.DoubleClickTime) + 50; }

    std::unique_ptr<TTrayIcon> Icon;
    std::uint32_t ID;
    std::vector<MouseCall> Downs;
    int Clicks = 0;
    int DoubleClicks = 0;
};

TEST_F(TrayIconMouseTest, MenuButtonPopsItsMenuAtTheCursorInsteadOfMouseDown) {
    QMenu menu;
    menu.addAction("item");
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&shown] { ++shown; });
    Icon->SetLBPopupMenu(&menu);
    Desktop.Cursor = {200, 150};

    Send({WM_LBUTTONDOWN});
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(menu.isVisible());
    EXPECT_TRUE(Downs.empty());
    EXPECT_EQ(Desktop.ForegroundRequests.size(), 1u) << "the owner form comes to the front first";
    menu.hide();

    Icon->SetAutoPopup(false);
    Send({WM_LBUTTONDOWN});
    EXPECT_EQ(shown, 1);
    ASSERT_EQ(Downs.size(), 1u);
    EXPECT_EQ(Downs[0].Button, mbLeft);
    EXPECT_EQ(Downs[0].Shift, TShiftState{ssLeft});
    EXPECT_EQ(Downs[0].X, 200);
    EXPECT_EQ(Downs[0].Y, 150);
}

TEST_F(TrayIconMouseTest, EachButtonReportsItself) {
    QMenu menu;
    Icon->SetRBPopupMenu(&menu);
    Icon->SetAutoPopup(false);
    std::vector<MouseCall> ups;
    Send({WM_RBUTTONDOWN, WM_MBUTTONDOWN});
    Icon->SetOnMouseUp([&ups](TObject&, TMouseButton button, TShiftState shift, int x, int y) {
        ups.push_back({button, shift, x, y});
    });
    Send({WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONUP});
    ASSERT_EQ(Downs.size(), 2u);
    EXPECT_EQ(Downs[0].Button, mbRight);
    EXPECT_EQ(Downs[0].Shift, TShiftState{ssRight});
    EXPECT_EQ(Downs[1].Button, mbMiddle);
    EXPECT_EQ(Downs[1].Shift, TShiftState{ssMiddle});
    ASSERT_EQ(ups.size(), 3u);
    EXPECT_EQ(ups[0].Button, mbRight);
    EXPECT_EQ(ups[1].Button, mbMiddle);
    EXPECT_EQ(ups[2].Button, mbLeft);
    EXPECT_EQ(ups[2].Shift, TShiftState{ssLeft});

    // The component has no events for right and middle double clicks.
    Send({WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK, 0x1234});
    EXPECT_EQ(Downs.size(), 2u);
    EXPECT_EQ(ups.size(), 3u);
    EXPECT_EQ(DoubleClicks, 0);
}

TEST_F(TrayIconMouseTest, DisabledComponentRaisesNothing) {
    QMenu menu;
    int shown = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&shown] { ++shown; });
    Icon->SetLBPopupMenu(&menu);
    Icon->SetRBPopupMenu(&menu);
    int others = 0;
    Icon->SetOnMouseMove([&others](TObject&, TShiftState, int, int) { ++others; });
    Icon->SetOnBalloonClick([&others](TObject&) { ++others; });
    Icon->SetEnabled(false);
    Send({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
          WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, NIN_BALLOONUSERCLICK});
    RunEventsFor(ClickDelay() + 50);
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(Downs.empty());
    EXPECT_EQ(Clicks + DoubleClicks + others, 0);
}

TEST_F(TrayIconMouseTest, DisablingCancelsAPendingClick) {
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP});
    Icon->SetEnabled(false);
    Icon->SetEnabled(true);
    RunEventsFor(ClickDelay() + 50);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(TrayIconMouseTest, SingleClickCountsAfterTheDoubleClickTime) {
    QElapsedTimer sinceClick;
    sinceClick.start();
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP});
    WaitFor([this] { return Clicks > 0; }, 2000);
    EXPECT_EQ(Clicks, 1);
    EXPECT_GE(sinceClick.elapsed(), ClickDelay()) << "counted before the double-click time";
    RunEventsFor(ClickDelay());
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(DoubleClicks, 0);
}

TEST_F(TrayIconMouseTest, DoubleClickRaisesNoClick) {
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP});
    EXPECT_EQ(DoubleClicks, 1);
    RunEventsFor(ClickDelay() + 80);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(TrayIconMouseTest, MouseUpHandlerTakesThePlaceOfClick) {
    int ups = 0;
    Icon->SetOnMouseUp([&ups](TObject&, TMouseButton, TShiftState, int, int) { ++ups; });
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP});
    RunEventsFor(ClickDelay() + 80);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(TrayIconMouseTest, ClickHandlerMayFreeTheComponent) {
    Icon->SetOnClick([this](TObject&) { Icon.reset(); });
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP});
    RunEventsFor(ClickDelay() + 80);
    EXPECT_EQ(Icon, nullptr);

    // A click still waiting when its component goes finds nothing to raise.
    Icon = MakeVisibleIcon();
    ID = static_cast<std::uint32_t>(Icon->ID());
    Icon->SetOnClick([this](TObject&) { ++Clicks; });
    Send({WM_LBUTTONDOWN, WM_LBUTTONUP});
    Icon.reset();
    RunEventsFor(ClickDelay() + 80);
    EXPECT_EQ(Clicks, 0);
}

TEST_F(TrayIconMouseTest, FreedMenuIsForgotten) {
    auto menu = std::make_unique<QMenu>();
    Icon->SetLBPopupMenu(menu.get());
    menu.reset();
    EXPECT_EQ(Icon->LBPopupMenu(), nullptr);
    Send({WM_LBUTTONDOWN});
    EXPECT_EQ(Downs.size(), 1u);
}

TEST_F(TrayIconMouseTest, FormComesForwardOnMouseUpWhenAsked) {
    QWidget form;
    form.show();
    QApplication::setActiveWindow(&form);
    Send({WM_RBUTTONUP});
    EXPECT_TRUE(Desktop.ForegroundRequests.empty());
    Icon->SetFormActiveByMouseup(true);
    Send({WM_RBUTTONUP, WM_MBUTTONUP, WM_LBUTTONUP});
    EXPECT_EQ(Desktop.ForegroundRequests.size(), 3u);
}

// ---- the instance registry ----

TEST_F(TrayIconTest, IdsFollowTheLastLiveInstance) {
    ASSERT_EQ(TTrayIcon::InstanceCount(), 0);
    auto first = MakeIcon();
    auto second = MakeIcon();
    auto third = MakeIcon();
    EXPECT_EQ(first->ID(), 1);
    EXPECT_EQ(second->ID(), 2);
    EXPECT_EQ(third->ID(), 3);
    third.reset();
    third = MakeIcon();
    EXPECT_EQ(third->ID(), 3);
    first.reset();
    first = MakeIcon();
    EXPECT_EQ(first->ID(), 4);
}

TEST_F(TrayIconTest, The101stInstanceIsRefusedHarmlessly) {
    std::vector<std::unique_ptr<TTrayIcon>> icons;
    for (int i = 0; i < 100; ++i) {
        icons.push_back(MakeVisibleIcon());
    }
    std::size_t calls = Shell.Calls.size();
    try {
        TTrayIcon refused(&Owner);
        FAIL() << "no error";
    } catch (const ENotifyIconError& error) {
        EXPECT_EQ(error.Message(), "タスクトレイにアイコンを登録できません。");
    }
    EXPECT_EQ(TTrayIcon::InstanceCount(), 100);
    EXPECT_EQ(Shell.Calls.size(), calls);
    icons.pop_back();
    EXPECT_EQ(MakeIcon()->ID(), 100);
}

TEST_F(TrayIconTest, MessagesForUnknownIdsAreIgnored) {
    auto icon = MakeVisibleIcon();
    int downs = 0;
    icon->SetOnMouseDown([&downs](TObject&, TMouseButton, TShiftState, int, int) { ++downs; });
    HWND window = Shell.Calls[0].Data.hWnd;
    EXPECT_TRUE(SendMessage(window, WM_TRAYICON, 77, WM_LBUTTONDOWN));
    EXPECT_TRUE(
        SendMessage(window, WM_TRAYICON + 1, static_cast<WPARAM>(icon->ID()), WM_LBUTTONDOWN));
    EXPECT_EQ(downs, 0);
}

TEST_F(TrayIconTest, CallbackWindowIsRemadeAfterItsOwnerIsGone) {
    auto otherOwner = std::make_unique<QWidget>();
    auto first = std::make_unique<TTrayIcon>(otherOwner.get());
    first->SetIcon(&Picture);
    first->SetVisible(true);
    HWND oldWindow = Shell.Calls.back().Data.hWnd;
    first.reset();
    otherOwner.reset();
    EXPECT_EQ(FindWindowTarget(oldWindow), nullptr);

    auto second = MakeVisibleIcon();
    HWND newWindow = Shell.Calls.back().Data.hWnd;
    EXPECT_NE(newWindow, oldWindow);
    int downs = 0;
    second->SetOnMouseDown([&downs](TObject&, TMouseButton, TShiftState, int, int) { ++downs; });
    Shell.Deliver(static_cast<std::uint32_t>(second->ID()), WM_LBUTTONDOWN);
    EXPECT_EQ(downs, 1);
}

// ---- the time-out recovery ----

TEST_F(TrayIconTest, AddThatKeepsTimingOutGivesUpAfterSixTries) {
    Shell.FailWith = [](unsigned, const NOTIFYICONDATA&) { return ERROR_TIMEOUT; };
    auto icon = MakeIcon();
    EXPECT_THROW(icon->SetVisible(true), ENotifyIconError);
    EXPECT_EQ(Shell.Count(NIM_ADD), 6u);
    EXPECT_EQ(Shell.Count(NIM_MODIFY), 1u);
    EXPECT_EQ(Shell.Messages()[1], NIM_MODIFY) << "the modify comes right after the first add";
    EXPECT_EQ(Desktop.Sleeps, std::vector<unsigned>(5, 100u)) << "no wait after the last try";
    EXPECT_TRUE(icon->Visible());
    EXPECT_FALSE(icon->Registered());
}

TEST_F(TrayIconTest, AddThatTimedOutButArrivedIsRegistered) {
    Shell.FailEvery(NIM_ADD, ERROR_TIMEOUT);
    auto icon = MakeVisibleIcon();
    EXPECT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY}));
    EXPECT_TRUE(icon->Registered());

    Shell.Calls.clear();
    int adds = 0;
    Shell.FailWith = [&adds](unsigned message, const NOTIFYICONDATA&) {
        return message == NIM_MODIFY || (message == NIM_ADD && ++adds < 3) ? ERROR_TIMEOUT : 0u;
    };
    auto late = MakeVisibleIcon();
    EXPECT_EQ(Shell.Messages(), (std::vector<unsigned>{NIM_ADD, NIM_MODIFY, NIM_ADD, NIM_ADD}));
    EXPECT_TRUE(late->Registered());
}

TEST_F(TrayIconTest, AddFailsAtOnceForOtherErrorsAndOlderSystems) {
    Shell.FailEvery(NIM_ADD, ERROR_INVALID_PARAMETER);
    auto icon = MakeIcon();
    EXPECT_THROW(icon->SetVisible(true), ENotifyIconError);
    EXPECT_EQ(Shell.Calls.size(), 1u);

    Shell.Calls.clear();
    Shell.FailEvery(NIM_ADD, ERROR_TIMEOUT);
    Shell.System = {5, 0};
    auto onOlderSystem = MakeIcon();
    EXPECT_THROW(onOlderSystem->SetVisible(true), ENotifyIconError);
    EXPECT_EQ(Shell.Calls.size(), 1u);
    EXPECT_TRUE(Desktop.Sleeps.empty());
}

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
