#pragma once
// The menu a desktop's tray opens by itself. A StatusNotifierItem host shows the menu that an item
// exports over D-Bus when the user asks for the icon's menu (XFCE's panel on the right button,
// KDE Plasma and LXQt on the right button too, GNOME's AppIndicator extension on any button), and
// some hosts never tell the program about that button: there, a menu for the right button only
// works when it is exported. An XEmbed tray leaves every button to the program.

#include <cstdint>

class QMenu;

namespace vlz {

class TrayHostMenu {
  public:
    virtual ~TrayHostMenu() = default;
    // The menu the tray may show by itself for the icon with this uID; nullptr for none, which
    // leaves every button to the program. The menu's actions are shown and triggered as they are.
    virtual void SetHostMenu(std::uint32_t uID, QMenu* menu) = 0;
};

}  // namespace vlz
