#pragma once
// Window-manager hints that Qt's window flags cannot express on X11.

class QWidget;

namespace vlz {

// Marks a top-level window as one that the task bar and the pager leave out. The window manager
// drops _NET_WM_STATE when a window is withdrawn, so this is needed before every show. Does
// nothing off X11.
void SetSkipTaskbar(QWidget& window);

}  // namespace vlz
