#pragma once
// The notification-area shell over QSystemTrayIcon (a StatusNotifierItem, or an XEmbed icon in a
// system tray). Reports shell version 6. Each added record becomes one QSystemTrayIcon; its
// mouse input and balloon become callback messages to the record's window. With no tray on the
// desktop an add still succeeds: Qt docks the icon by itself when a tray appears.
//
// A StatusNotifierItem host reads an item's menu when the item registers, and only some hosts
// look again when it changes. So an icon whose host menu changes is registered anew: a new
// QSystemTrayIcon with a copy of the menu (the same actions) replaces the old one. An XEmbed icon
// never carries a menu, since Qt would pop it up on the right button itself.
//
// Which callback messages a gesture produces (lParam, in order):
//
//   XEmbed tray (X11; an application event filter sees the icon's own widget):
//     left click      WM_LBUTTONDOWN, WM_LBUTTONUP
//     double click    WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP
//     right click     WM_RBUTTONDOWN, WM_RBUTTONUP
//     right double    WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK, WM_RBUTTONUP
//     middle click    WM_MBUTTONDOWN, WM_MBUTTONUP
//     pointer moving  WM_MOUSEMOVE (over the icon, once the pointer has entered it)
//   Any other tray (only Qt's activations, which come on the press; a StatusNotifierItem host
//   calls Activate, ContextMenu and SecondaryActivate):
//     left click      WM_LBUTTONDOWN, WM_LBUTTONUP          (Trigger)
//     double click    WM_LBUTTONDOWN, WM_LBUTTONUP          (Trigger on the first press)
//                     WM_LBUTTONDBLCLK, WM_LBUTTONUP        (DoubleClick on the second)
//     right click     WM_RBUTTONDOWN, WM_RBUTTONUP          (Context; a host that shows the
//                                                           icon's host menu says nothing)
//     middle click    WM_MBUTTONDOWN, WM_MBUTTONUP          (MiddleClick)
//   Balloons: NIN_BALLOONSHOW once shown, NIN_BALLOONUSERCLICK when clicked,
//     NIN_BALLOONTIMEOUT when its time has passed unclicked, NIN_BALLOONHIDE when an empty
//     text takes it down.

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>

#include "platform/NotifyIcon.h"
#include "toolkit/TrayHostMenu.h"

class QMenu;
class QSystemTrayIcon;
class QTimer;

namespace vlz {

class QtNotifyIconShell : public QObject, public NotifyIconShell, public TrayHostMenu {
  public:
    // Installs itself while it lives; needs a QApplication.
    QtNotifyIconShell();
    ~QtNotifyIconShell() override;

    bool NotifyIcon(unsigned message, const NOTIFYICONDATA& data) override;
    std::uint16_t ShellMajorVersion() override { return 6; }
    TSystemVersion SystemVersion() override { return {6, 1}; }
    void SetHostMenu(std::uint32_t uID, QMenu* menu) override;

    // The Qt icon of a record, for tests and diagnostics; nullptr when there is none.
    QSystemTrayIcon* TrayIconOf(HWND window, std::uint32_t uID) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using Key = std::pair<HWND, std::uint32_t>;
    struct Entry;

    bool Add(const NOTIFYICONDATA& data);
    bool Modify(const NOTIFYICONDATA& data);
    bool Delete(const NOTIFYICONDATA& data);
    QSystemTrayIcon* MakeIcon(Key key);
    void UpdateHostMenu(Key key, Entry& entry);
    void Apply(Entry& entry, const NOTIFYICONDATA& data, bool adding);
    void ShowBalloon(Entry& entry, const NOTIFYICONDATA& data);
    void Deliver(Key key, unsigned notification);
    Entry* EntryAt(const QPoint& globalPosition);

    std::map<Key, std::unique_ptr<Entry>> FEntries;
    std::map<std::uint32_t, QPointer<QMenu>> FHostMenus;
    // Whether the desktop's tray shows menus of its own; known once an icon has been given one.
    std::optional<bool> FTrayShowsMenus;
    NotifyIconShell* FPrevious;
};

}  // namespace vlz
