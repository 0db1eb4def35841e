#include "platform/Desktop.h"

#include <chrono>
#include <thread>

namespace vlz {
namespace {

class PlainDesktop : public DesktopHook {
  public:
    TPoint GetCursorPos() override { return {}; }
    unsigned GetDoubleClickTime() override { return 500; }
    bool SetForegroundWindow(HWND window) override { return BringWindowToFront(window); }
    void Sleep(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

PlainDesktop plainDesktop;
DesktopHook* installedHook = &plainDesktop;

}  // namespace

DesktopHook* InstallDesktopHook(DesktopHook* hook) {
    DesktopHook* previous = installedHook;
    installedHook = hook ? hook : &plainDesktop;
    return previous;
}

TPoint GetCursorPos() {
    return installedHook->GetCursorPos();
}

unsigned GetDoubleClickTime() {
    return installedHook->GetDoubleClickTime();
}

bool SetForegroundWindow(HWND window) {
    return installedHook->SetForegroundWindow(window);
}

void Sleep(unsigned milliseconds) {
    installedHook->Sleep(milliseconds);
}

bool BringWindowToFront(HWND window) {
    TMessageWindow* target = FindWindowTarget(window);
    if (!target) {
        return false;
    }
    target->BringToFront();
    return true;
}

}  // namespace vlz
