#pragma once
// The notification-area shell: one record per icon, three operations on it (add, modify, delete;
// state and balloon go through modify), and callback messages sent back to the window named in the
// record with uCallbackMessage, wParam = uID and lParam = the mouse or balloon message.
//
// The Qt layer installs the desktop's implementation; tests install a recording double. Without
// one every call fails with ERROR_CALL_NOT_IMPLEMENTED, so nothing pretends to show an icon.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/Window.h"

namespace vlz {

using HICON = std::uintptr_t;

// Operations.
constexpr unsigned NIM_ADD = 0;
constexpr unsigned NIM_MODIFY = 1;
constexpr unsigned NIM_DELETE = 2;

// Which fields of the record an operation carries.
constexpr unsigned NIF_MESSAGE = 0x01;
constexpr unsigned NIF_ICON = 0x02;
constexpr unsigned NIF_TIP = 0x04;
constexpr unsigned NIF_STATE = 0x08;
constexpr unsigned NIF_INFO = 0x10;

constexpr unsigned NIS_HIDDEN = 0x01;
constexpr unsigned NIS_SHAREDICON = 0x02;

// Balloon icons.
constexpr unsigned NIIF_NONE = 0;
constexpr unsigned NIIF_INFO = 1;
constexpr unsigned NIIF_WARNING = 2;
constexpr unsigned NIIF_ERROR = 3;

// Balloon notifications, sent as lParam of the callback message.
constexpr unsigned NIN_BALLOONSHOW = WM_USER + 2;
constexpr unsigned NIN_BALLOONHIDE = WM_USER + 3;
constexpr unsigned NIN_BALLOONTIMEOUT = WM_USER + 4;
constexpr unsigned NIN_BALLOONUSERCLICK = WM_USER + 5;

// cbSize of the version-5 record and of the older one that ends after szTip. A shell reads no
// field beyond cbSize.
constexpr std::uint32_t NOTIFYICONDATA_V5_SIZE = 488;
constexpr std::uint32_t NOTIFYICONDATA_V1_SIZE = 88;

// The texts are CP932 and zero-terminated within their arrays.
struct NOTIFYICONDATA {
    std::uint32_t cbSize = 0;
    HWND hWnd = 0;
    std::uint32_t uID = 0;
    std::uint32_t uFlags = 0;
    std::uint32_t uCallbackMessage = 0;
    HICON hIcon = 0;
    std::array<char, 64> szTip{};
    std::uint32_t dwState = 0;
    std::uint32_t dwStateMask = 0;
    std::array<char, 256> szInfo{};
    std::uint32_t uTimeout = 0;
    std::array<char, 64> szInfoTitle{};
    std::uint32_t dwInfoFlags = 0;
};

// Copies at most size - 1 bytes and zero-fills the rest of the array.
template <std::size_t Size>
void CopyNotifyText(std::array<char, Size>& target, std::string_view text) {
    target.fill('\0');
    text = text.substr(0, Size - 1);
    text.copy(target.data(), text.size());
}

// The text of a zero-terminated array.
template <std::size_t Size>
std::string_view NotifyText(const std::array<char, Size>& text) {
    std::size_t length = 0;
    while (length < Size && text[length] != '\0') {
        ++length;
    }
    return {text.data(), length};
}

struct TSystemVersion {
    unsigned Major = 0;
    unsigned Minor = 0;
};

class NotifyIconShell {
  public:
    virtual ~NotifyIconShell() = default;
    // Performs NIM_ADD, NIM_MODIFY or NIM_DELETE; on failure sets the last error and returns false.
    virtual bool NotifyIcon(unsigned message, const NOTIFYICONDATA& data) = 0;
    // The shell's major version, 0 when it cannot be told.
    virtual std::uint16_t ShellMajorVersion() = 0;
    // The system version the shell reports.
    virtual TSystemVersion SystemVersion() = 0;
};

// Installs the implementation (nullptr restores the failing one); returns the previous.
NotifyIconShell* InstallNotifyIconShell(NotifyIconShell* shell);

bool Shell_NotifyIcon(unsigned message, const NOTIFYICONDATA& data);
std::uint16_t ShellMajorVersion();
TSystemVersion SystemVersion();

}  // namespace vlz
