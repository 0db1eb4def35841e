#pragma once
// Finding another program's application window and bringing it to the front, as the
// single-instance check needs it. The Qt layer installs the real implementation (a running
// instance listens on a per-user local socket named after its window class and title); without
// one, no window is ever found.

#include <cstdint>
#include <string_view>

namespace vlz {

using HWND = std::uintptr_t;  // 0 = no window

class WindowFinderHook {
  public:
    virtual ~WindowFinderHook() = default;
    // The top-level window of that class and title, or 0.
    virtual HWND FindWindow(std::string_view className, std::string_view windowName) = 0;
    // Asks the window's program to come to the front; false when it cannot be reached.
    virtual bool SetForegroundWindow(HWND window) = 0;
};

// Installs the implementation (nullptr restores the one that finds nothing); returns the previous.
WindowFinderHook* InstallWindowFinderHook(WindowFinderHook* hook);

HWND FindWindow(std::string_view className, std::string_view windowName);
bool SetForegroundWindow(HWND window);

}  // namespace vlz
