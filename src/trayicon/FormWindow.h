#pragma once
// The window handle of a Qt form, for the platform calls that take one (SetForegroundWindow).
// The handle is made on first use and released when the form is destroyed; bringing it to the
// front raises the form and activates it.

#include "platform/Window.h"

class QWidget;

namespace vlz {

// 0 for nullptr.
HWND FormWindowHandle(QWidget* form);

}  // namespace vlz
