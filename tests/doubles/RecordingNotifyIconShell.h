#pragma once
// A notification-area shell for tests: records every call with a copy of its record, can fail any
// call with a chosen error, reports any shell and system version, and sends callback messages to
// the window of an icon it holds, as the desktop would after a click.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "platform/LastError.h"
#include "platform/NotifyIcon.h"

namespace vlz::testing {

class RecordingNotifyIconShell : public NotifyIconShell {
  public:
    struct Call {
        unsigned Message;
        NOTIFYICONDATA Data;
    };

    RecordingNotifyIconShell() : FPrevious(InstallNotifyIconShell(this)) {}
    ~RecordingNotifyIconShell() override { InstallNotifyIconShell(FPrevious); }
    RecordingNotifyIconShell(const RecordingNotifyIconShell&) = delete;
    RecordingNotifyIconShell& operator=(const RecordingNotifyIconShell&) = delete;

    bool NotifyIcon(unsigned message, const NOTIFYICONDATA& data) override {
        Calls.push_back({message, data});
        if (FailWith) {
            if (unsigned error = FailWith(message, data)) {
                SetLastError(error);
                return false;
            }
        }
        switch (message) {
            case NIM_ADD:
                Icons[data.uID] = data;
                break;
            case NIM_MODIFY:
                if (Icons.contains(data.uID)) {
                    Icons[data.uID].uFlags = data.uFlags;
                    Icons[data.uID].hIcon = data.hIcon;
                }
                break;
            case NIM_DELETE:
                Icons.erase(data.uID);
                break;
            default:
                break;
        }
        return true;
    }

    std::uint16_t ShellMajorVersion() override { return MajorVersion; }
    TSystemVersion SystemVersion() override { return System; }

    // Fails every call of the given message with the error (0 stops failing).
    void FailEvery(unsigned message, unsigned error) {
        FailWith = [message, error](unsigned called, const NOTIFYICONDATA&) {
            return called == message ? error : 0u;
        };
    }

    // Sends a callback message for the icon with this uID as the desktop would; false when the
    // shell holds no such icon or its window is gone.
    bool Deliver(std::uint32_t uID, unsigned notification) {
        auto found = Icons.find(uID);
        if (found == Icons.end()) {
            return false;
        }
        return SendMessage(found->second.hWnd, found->second.uCallbackMessage, uID, notification);
    }

    // The same for the one icon the shell holds; false when it holds none or several.
    bool Deliver(unsigned notification) {
        return Icons.size() == 1 && Deliver(Icons.begin()->first, notification);
    }

    std::vector<unsigned> Messages() const {
        std::vector<unsigned> messages;
        for (const Call& call : Calls) {
            messages.push_back(call.Message);
        }
        return messages;
    }

    std::size_t Count(unsigned message) const {
        return static_cast<std::size_t>(
            std::count_if(Calls.begin(), Calls.end(),
                          [message](const Call& call) { return call.Message == message; }));
    }

    std::vector<Call> Calls;
    std::map<std::uint32_t, NOTIFYICONDATA> Icons;  // the icons the shell shows, by uID
    std::function<unsigned(unsigned message, const NOTIFYICONDATA&)> FailWith;
    std::uint16_t MajorVersion = 6;
    TSystemVersion System{5, 1};

  private:
    NotifyIconShell* FPrevious;
};

}  // namespace vlz::testing
