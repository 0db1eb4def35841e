#include "platform/WindowFinder.h"

namespace vlz {
namespace {

class NoWindows : public WindowFinderHook {
  public:
    HWND FindWindow(std::string_view, std::string_view) override { return 0; }
    bool SetForegroundWindow(HWND) override { return false; }
};

NoWindows noWindows;
WindowFinderHook* installedHook = &noWindows;

}  // namespace

WindowFinderHook* InstallWindowFinderHook(WindowFinderHook* hook) {
    WindowFinderHook* previous = installedHook;
    installedHook = hook ? hook : &noWindows;
    return previous;
}

HWND FindWindow(std::string_view className, std::string_view windowName) {
    return installedHook->FindWindow(className, windowName);
}

bool SetForegroundWindow(HWND window) {
    return installedHook->SetForegroundWindow(window);
}

}  // namespace vlz
