#include "platform/NotifyIcon.h"

#include <gtest/gtest.h>

#include "platform/Desktop.h"
#include "platform/LastError.h"
#include "platform/Window.h"

namespace vlz {
namespace {

class RecordingWindow : public TMessageWindow {
  public:
    void WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override {
        Message = message;
        Argument = wParam;
        Notification = lParam;
    }
    void BringToFront() override { ++Raised; }
    unsigned Message = 0;
    WPARAM Argument = 0;
    LPARAM Notification = 0;
    int Raised = 0;
};

TEST(WindowTest, MessagesReachOnlyLiveWindowsAndHandlesAreNeverReused) {
    RecordingWindow window;
    HWND handle = AllocateHWnd(&window);
    EXPECT_TRUE(SendMessage(handle, 0x4C8, 7, WM_LBUTTONUP));
    EXPECT_EQ(window.Message, 0x4C8u);
    EXPECT_EQ(window.Argument, 7u);
    EXPECT_EQ(window.Notification, LPARAM{WM_LBUTTONUP});
    EXPECT_TRUE(BringWindowToFront(handle));
    EXPECT_EQ(window.Raised, 1);

    DeallocateHWnd(handle);
    EXPECT_FALSE(SendMessage(handle, 0x4C8, 7, WM_LBUTTONUP));
    EXPECT_FALSE(BringWindowToFront(handle));
    EXPECT_FALSE(SendMessage(0, 0x4C8, 7, WM_LBUTTONUP));

    HWND next = AllocateHWnd(&window);
    EXPECT_NE(next, handle);
    DeallocateHWnd(next);
}

TEST(NotifyIconTest, WithoutADesktopShellEveryCallFails) {
    NOTIFYICONDATA data;
    data.cbSize = NOTIFYICONDATA_V5_SIZE;
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(Shell_NotifyIcon(NIM_ADD, data));
    EXPECT_EQ(GetLastError(), ERROR_CALL_NOT_IMPLEMENTED);
}

TEST(NotifyIconTest, TextsAreCutToLeaveTheTerminator) {
    std::array<char, 8> text;
    text.fill('#');
    CopyNotifyText(text, "abcdefghijk");
    EXPECT_EQ(NotifyText(text), "abcdefg");
    EXPECT_EQ(text[7], '\0');
    CopyNotifyText(text, "ab");
    EXPECT_EQ(NotifyText(text), "ab");
    EXPECT_EQ(text[5], '\0') << "the rest is zero-filled";
}

}  // namespace
}  // namespace vlz
