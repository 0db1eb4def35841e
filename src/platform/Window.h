#pragma once
// Window handles and synchronous message delivery. Anything that must be reachable by a handle (the
// tray component's callback window, a form that can be brought to the front) registers itself and
// receives a handle; the handle stays unique for the life of the process, so a message sent to a
// window that is gone finds nothing instead of a stranger. GUI thread only.

#include <cstdint>

namespace vlz {

using HWND = std::uintptr_t;  // 0 = no window
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;

constexpr unsigned WM_MOUSEMOVE = 0x0200;
constexpr unsigned WM_LBUTTONDOWN = 0x0201;
constexpr unsigned WM_LBUTTONUP = 0x0202;
constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
constexpr unsigned WM_RBUTTONDOWN = 0x0204;
constexpr unsigned WM_RBUTTONUP = 0x0205;
constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
constexpr unsigned WM_MBUTTONDOWN = 0x0207;
constexpr unsigned WM_MBUTTONUP = 0x0208;
constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;

// What a handle leads to.
class TMessageWindow {
  public:
    virtual ~TMessageWindow() = default;
    virtual void WindowProc(unsigned message, WPARAM wParam, LPARAM lParam) = 0;
    // Raises the window and gives it the keyboard focus; windows that cannot do that ignore it.
    virtual void BringToFront() {}
};

// Registers a window and returns its new handle; the window stays registered until released.
HWND AllocateHWnd(TMessageWindow* window);
void DeallocateHWnd(HWND handle);

// The window behind a handle, or nullptr when the handle is 0 or released.
TMessageWindow* FindWindowTarget(HWND handle);

// Delivers the message at once; false when the handle leads nowhere.
bool SendMessage(HWND handle, unsigned message, WPARAM wParam, LPARAM lParam);

}  // namespace vlz
