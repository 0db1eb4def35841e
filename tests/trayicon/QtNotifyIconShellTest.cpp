#include "toolkit/QtNotifyIconShell.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <vector>

#include "graphics/Icon.h"
#include "platform/Cp932.h"
#include "platform/LastError.h"
#include "platform/Window.h"
#include "support/EventLoop.h"

namespace vlz {
namespace {

using testing::WaitFor;

// Long enough for a loaded machine; a passing test never waits for all of it.
constexpr int Deadline = 10000;

constexpr unsigned CallbackMessage = WM_USER + 200;

class RecordingWindow : public TMessageWindow {
  public:
    RecordingWindow() : Handle(AllocateHWnd(this)) {}
    ~RecordingWindow() override { DeallocateHWnd(Handle); }
    void WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override {
        EXPECT_EQ(message, CallbackMessage);
        EXPECT_EQ(wParam, 5u);
        Notifications.push_back(static_cast<unsigned>(lParam));
        if (OnMessage) {
            OnMessage();
        }
    }
    HWND Handle;
    std::vector<unsigned> Notifications;
    std::function<void()> OnMessage;
};

class QtNotifyIconShellTest : public ::testing::Test {
  protected:
    QtNotifyIconShellTest() {
        Picture.SetPixels(1, 1, {0xFF00FF00u});
        Data.cbSize = NOTIFYICONDATA_V5_SIZE;
        Data.hWnd = Window.Handle;
        Data.uID = 5;
        Data.uCallbackMessage = CallbackMessage;
        Data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        Data.hIcon = Picture.Handle();
        CopyNotifyText(Data.szTip, ToCp932("Velloric付箋"));
    }

    QSystemTrayIcon* Icon() const { return Shell.TrayIconOf(Window.Handle, 5); }

    QtNotifyIconShell Shell;
    RecordingWindow Window;
    TIcon Picture;
    NOTIFYICONDATA Data;
};

TEST_F(QtNotifyIconShellTest, AddShowsTheIconWithItsTipEvenWithoutATray) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    ASSERT_NE(Icon(), nullptr);
    EXPECT_TRUE(Icon()->isVisible());
    EXPECT_FALSE(Icon()->icon().isNull());
    EXPECT_EQ(Icon()->toolTip(), QString::fromUtf8("Velloric付箋"));
    EXPECT_EQ(ShellMajorVersion(), 6);
}

TEST_F(QtNotifyIconShellTest, OperationsOnTheWrongIconFail) {
    EXPECT_FALSE(Shell_NotifyIcon(NIM_MODIFY, Data));
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_DELETE, Data));
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, Data));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(Shell_NotifyIcon(NIM_DELETE, Data));
    EXPECT_EQ(Icon(), nullptr);
}

TEST_F(QtNotifyIconShellTest, StateHidesAndShowsOnlyWithTheNewerRecord) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    NOTIFYICONDATA state = Data;
    state.uFlags = NIF_STATE;
    state.dwState = NIS_HIDDEN;
    state.dwStateMask = NIS_HIDDEN | NIS_SHAREDICON;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, state));
    EXPECT_FALSE(Icon()->isVisible());
    state.dwState = 0;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, state));
    EXPECT_TRUE(Icon()->isVisible());

    state.cbSize = NOTIFYICONDATA_V1_SIZE;
    state.dwState = NIS_HIDDEN;
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, state));
    EXPECT_TRUE(Icon()->isVisible());
}

TEST_F(QtNotifyIconShellTest, ActivationsBecomeButtonMessages) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    emit Icon()->activated(QSystemTrayIcon::Trigger);
    emit Icon()->activated(QSystemTrayIcon::DoubleClick);
    emit Icon()->activated(QSystemTrayIcon::Context);
    emit Icon()->activated(QSystemTrayIcon::MiddleClick);
    emit Icon()->activated(QSystemTrayIcon::Unknown);
    EXPECT_EQ(Window.Notifications,
              (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP,
                                     WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP}));
}

TEST_F(QtNotifyIconShellTest, TrayWithoutMenusOfItsOwnLeavesTheButtonsToTheProgram) {
    // Offscreen, like an XEmbed tray, Qt has no tray of the platform's own: a menu given to the
    // icon would pop up on the right button beside the program's own.
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    QSystemTrayIcon* icon = Icon();
    QMenu menu;
    menu.addAction(QStringLiteral("終了(&X)"));
    Shell.SetHostMenu(5, &menu);
    Shell.SetHostMenu(5, nullptr);
    Shell.SetHostMenu(5, &menu);
    testing::RunEventsFor(30);  // an icon replaced would be deleted by now
    ASSERT_EQ(Icon(), icon);
    EXPECT_EQ(icon->contextMenu(), nullptr);
    EXPECT_EQ(menu.platformMenu(), nullptr);
    emit icon->activated(QSystemTrayIcon::Context);
    EXPECT_EQ(Window.Notifications, (std::vector<unsigned>{WM_RBUTTONDOWN, WM_RBUTTONUP}));
}

TEST_F(QtNotifyIconShellTest, ReceiverMayDeleteTheIconItIsTold) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    Window.OnMessage = [this] { Shell_NotifyIcon(NIM_DELETE, Data); };
    emit Icon()->activated(QSystemTrayIcon::Trigger);
    ASSERT_TRUE(WaitFor([this] { return !Window.Notifications.empty(); }, Deadline));
    EXPECT_EQ(Window.Notifications, std::vector<unsigned>{WM_LBUTTONDOWN});
    EXPECT_EQ(Icon(), nullptr);
}

TEST_F(QtNotifyIconShellTest, BalloonReportsShowClickAndHide) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    NOTIFYICONDATA balloon = Data;
    balloon.uFlags = NIF_INFO | NIF_MESSAGE;
    balloon.uTimeout = 10000;
    CopyNotifyText(balloon.szInfo, ToCp932("本文"));
    CopyNotifyText(balloon.szInfoTitle, ToCp932("題"));
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, balloon));
    EXPECT_TRUE(Window.Notifications.empty()) << "told only after the call has returned";
    ASSERT_TRUE(WaitFor([this] { return !Window.Notifications.empty(); }, Deadline));
    emit Icon()->messageClicked();
    EXPECT_EQ(Window.Notifications, (std::vector<unsigned>{NIN_BALLOONSHOW, NIN_BALLOONUSERCLICK}));

    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, balloon));
    CopyNotifyText(balloon.szInfo, "");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, balloon));
    ASSERT_TRUE(WaitFor([this] { return Window.Notifications.size() >= 4; }, Deadline));
    EXPECT_EQ(Window.Notifications, (std::vector<unsigned>{NIN_BALLOONSHOW, NIN_BALLOONUSERCLICK,
                                                           NIN_BALLOONSHOW, NIN_BALLOONHIDE}));
}

TEST_F(QtNotifyIconShellTest, BalloonThatNobodyClicksTimesOut) {
    ASSERT_TRUE(Shell_NotifyIcon(NIM_ADD, Data));
    NOTIFYICONDATA balloon = Data;
    balloon.uFlags = NIF_INFO;
    balloon.uTimeout = 10;
    CopyNotifyText(balloon.szInfo, " ");
    ASSERT_TRUE(Shell_NotifyIcon(NIM_MODIFY, balloon));
    ASSERT_TRUE(WaitFor([this] { return Window.Notifications.size() >= 2; }, Deadline));
    EXPECT_EQ(Window.Notifications, (std::vector<unsigned>{NIN_BALLOONSHOW, NIN_BALLOONTIMEOUT}));
}

}  // namespace
}  // namespace vlz

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
