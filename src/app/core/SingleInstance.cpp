#include "app/core/SingleInstance.h"

#include <chrono>
#include <thread>

#include "platform/ExecutablePath.h"
#include "platform/MessageBox.h"
#include "platform/WindowFinder.h"

namespace vlz {
namespace {

// The running instance, if there is one: found and brought to the front.
bool BringRunningInstanceForward() {
    HWND window = FindWindow(ApplicationClassName, ApplicationTitle);
    if (window == 0) {
        return false;
    }
    SetForegroundApplicationWindow(window);
    return true;
}

// The other start of the same moment is only starting, so its window may take a moment to appear.
bool BringStartingInstanceForward() {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (BringRunningInstanceForward()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

bool CheckPrevInstance(ATOM& marker, std::string_view executableFileName) {
    marker = GlobalFindAtom(executableFileName);
    if (marker != 0) {
        // Without a window the atom is left over from an instance that ended abnormally: this
        // instance takes it over and deletes it at its end.
        return BringRunningInstanceForward();
    }
    bool created = false;
    marker = GlobalAddAtomExclusive(executableFileName, created);
    if (marker == 0) {
        ShowMessageBox("cannot register atom", "Error", MB_OK | MB_ICONERROR);
        return false;
    }
    if (!created) {
        // Another start added the atom between the look-up and the add: the two starts must not
        // both run.
        return BringStartingInstanceForward();
    }
    return false;
}

bool RefusePrevInstance(ATOM& marker, const std::function<bool()>& takeWindowName) {
    if (CheckPrevInstance(marker)) {
        return true;
    }
    if (takeWindowName()) {
        return false;
    }
    BringStartingInstanceForward();
    return true;
}

bool CheckPrevInstance(ATOM& marker) {
    return CheckPrevInstance(marker, ExtractFileName(ExecutablePath()));
}

void ReleaseInstanceMarker(ATOM& marker) {
    if (marker != 0) {
        GlobalDeleteAtom(marker);
        marker = 0;
    }
}

}  // namespace vlz
