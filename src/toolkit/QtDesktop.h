#pragma once
// The desktop facilities over Qt: the cursor position and the double-click time as Qt reports
// them, bringing a registered window to the front, and plain waiting. Installs itself while it
// lives.

#include "platform/Desktop.h"

namespace vlz {

class QtDesktop : public DesktopHook {
  public:
    QtDesktop();
    ~QtDesktop() override;
    QtDesktop(const QtDesktop&) = delete;
    QtDesktop& operator=(const QtDesktop&) = delete;

    TPoint GetCursorPos() override;
    unsigned GetDoubleClickTime() override;
    bool SetForegroundWindow(HWND window) override;
    void Sleep(unsigned milliseconds) override;

  private:
    DesktopHook* FPrevious;
};

}  // namespace vlz
