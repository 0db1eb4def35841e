#pragma once
// Desktop facilities for tests: a cursor that stays where the test puts it, a chosen double-click
// time, and a record of the windows brought to the front and of the waits (which take no time).

#include <vector>

#include "platform/Desktop.h"

namespace vlz::testing {

class FakeDesktop : public DesktopHook {
  public:
    FakeDesktop() : FPrevious(InstallDesktopHook(this)) {}
    ~FakeDesktop() override { InstallDesktopHook(FPrevious); }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    TPoint GetCursorPos() override { return Cursor; }
    unsigned GetDoubleClickTime() override { return DoubleClickTime; }
    bool SetForegroundWindow(HWND window) override {
        ForegroundRequests.push_back(window);
        return BringWindowToFront(window);
    }
    void Sleep(unsigned milliseconds) override { Sleeps.push_back(milliseconds); }

    TPoint Cursor{120, 340};
    unsigned DoubleClickTime = 100;
    std::vector<HWND> ForegroundRequests;
    std::vector<unsigned> Sleeps;

  private:
    DesktopHook* FPrevious;
};

}  // namespace vlz::testing
