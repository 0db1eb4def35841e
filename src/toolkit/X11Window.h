#pragma once
// Window-manager hints that Qt's window flags cannot express on X11.

class QWidget;

namespace vlz {

// Marks a top-level window as one that the task bar and the pager leave out. The window manager
// drops _NET_WM_STATE when a window is withdrawn, so this is needed before every show. Does
// nothing off X11.
void SetSkipTaskbar(QWidget& window);

// Gives a top-level window exactly its own title: Qt puts the application's name in place of an
// empty title, and writes WM_NAME in the locale's encoding, which may lack the characters.
// _NET_WM_NAME and WM_NAME are written as UTF-8. Call after a window's show event and after each
// change of its title; it does nothing for windows that are not created yet, for popups and off
// X11.
void WriteExactTitle(QWidget& window);

}  // namespace vlz
