#pragma once
// Lets the window system show a window: events are processed until the window is on the screen
// (exposed), as it is by the time a user can touch it.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <QWindow>

namespace vlz::testing {

inline bool WaitUntilExposed(QWidget& widget, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!(widget.windowHandle() != nullptr && widget.windowHandle()->isExposed())) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace vlz::testing
