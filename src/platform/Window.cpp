#include "platform/Window.h"

#include <unordered_map>

namespace vlz {
namespace {

struct WindowTable {
    std::unordered_map<HWND, TMessageWindow*> windows;
    HWND lastHandle = 0;
};

WindowTable& Table() {
    static WindowTable table;
    return table;
}

}  // namespace

HWND AllocateHWnd(TMessageWindow* window) {
    WindowTable& table = Table();
    HWND handle = ++table.lastHandle;
    table.windows.emplace(handle, window);
    return handle;
}

void DeallocateHWnd(HWND handle) {
    Table().windows.erase(handle);
}

TMessageWindow* FindWindowTarget(HWND handle) {
    WindowTable& table = Table();
    auto found = table.windows.find(handle);
    return found == table.windows.end() ? nullptr : found->second;
}

bool SendMessage(HWND handle, unsigned message, WPARAM wParam, LPARAM lParam) {
    TMessageWindow* window = FindWindowTarget(handle);
    if (!window) {
        return false;
    }
    window->WindowProc(message, wParam, lParam);
    return true;
}

}  // namespace vlz
