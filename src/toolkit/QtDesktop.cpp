#include "toolkit/QtDesktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QStyleHints>
#include <QThread>

namespace vlz {

QtDesktop::QtDesktop() : FPrevious(InstallDesktopHook(this)) {}

QtDesktop::~QtDesktop() {
    InstallDesktopHook(FPrevious);
}

TPoint QtDesktop::GetCursorPos() {
    QPoint position = QCursor::pos();
    return {position.x(), position.y()};
}

unsigned QtDesktop::GetDoubleClickTime() {
    return static_cast<unsigned>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

bool QtDesktop::SetForegroundWindow(HWND window) {
    return BringWindowToFront(window);
}

void QtDesktop::Sleep(unsigned milliseconds) {
    QThread::msleep(milliseconds);
}

}  // namespace vlz
