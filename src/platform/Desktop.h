#pragma once
// The few desktop facilities the tray component asks for: where the cursor is, how long a double
// click may take, bringing a window to the front, and waiting. The Qt layer installs the desktop's
// implementation; tests install a double. Without one the cursor is at (0, 0), the double-click
// time is 500 ms and a window is brought forward through its own BringToFront.

#include "platform/Point.h"
#include "platform/Window.h"

namespace vlz {

class DesktopHook {
  public:
    virtual ~DesktopHook() = default;
    virtual TPoint GetCursorPos() = 0;
    virtual unsigned GetDoubleClickTime() = 0;
    virtual bool SetForegroundWindow(HWND window) = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
};

// Installs the implementation (nullptr restores the plain one); returns the previous.
DesktopHook* InstallDesktopHook(DesktopHook* hook);

TPoint GetCursorPos();
unsigned GetDoubleClickTime();
bool SetForegroundWindow(HWND window);
void Sleep(unsigned milliseconds);

// What the plain implementation does for SetForegroundWindow: the window's own BringToFront.
bool BringWindowToFront(HWND window);

}  // namespace vlz
