#pragma once
// Lets the window system show a window: events are processed until the window is on the screen
// (exposed), as it is by the time a user can touch it.

#include <QWidget>
#include <QWindow>

#include "support/EventLoop.h"

namespace vlz::testing {

inline bool WaitUntilExposed(QWidget& widget, int milliseconds = 5000) {
    return WaitFor(
        [&widget] {
            return widget.windowHandle() != nullptr && widget.windowHandle()->isExposed();
        },
        milliseconds);
}

}  // namespace vlz::testing
