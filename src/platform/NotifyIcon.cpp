#include "platform/NotifyIcon.h"

#include "platform/LastError.h"

namespace vlz {
namespace {

class MissingShell : public NotifyIconShell {
  public:
    bool NotifyIcon(unsigned, const NOTIFYICONDATA&) override {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return false;
    }
    std::uint16_t ShellMajorVersion() override { return 6; }
    TSystemVersion SystemVersion() override { return {6, 1}; }
};

MissingShell missingShell;
NotifyIconShell* installedShell = &missingShell;

}  // namespace

NotifyIconShell* InstallNotifyIconShell(NotifyIconShell* shell) {
    NotifyIconShell* previous = installedShell;
    installedShell = shell ? shell : &missingShell;
    return previous;
}

bool Shell_NotifyIcon(unsigned message, const NOTIFYICONDATA& data) {
    return installedShell->NotifyIcon(message, data);
}

std::uint16_t ShellMajorVersion() {
    return installedShell->ShellMajorVersion();
}

TSystemVersion SystemVersion() {
    return installedShell->SystemVersion();
}

}  // namespace vlz
