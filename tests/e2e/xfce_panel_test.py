"""End-to-end test of the program's icon in XFCE's panel (Debian's xfce4-panel) on a virtual desktop.

Usage: xfce_panel_test.py <folder holding VLZozed and the *.vlf packages>

The panel runs with a private session bus and a home of its own that holds a panel with one
plugin, the notification area; the program registers a StatusNotifierItem there. The test clicks
the icon with each button in both mouse-button modes, switching the mode in the settings dialog,
as a user does. XFCE's panel sends Activate for the left button and SecondaryActivate for the
middle one; for the right button it never tells the program: it shows the menu the item exports,
or its own menu when there is none. Set VLZ_SCREENSHOT_DIR to keep the picture of the exported
menu (docs/tray-xfce-menu.png).

Runs under the system's Python (python3-dbus).
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import DesktopTestCase  # noqa: E402
from notes_program import NotesProgram, program_folder_argument  # noqa: E402
from screen_picture import ScreenPicture, keep_screenshot  # noqa: E402
from status_notifier import WATCHER, SessionBus  # noqa: E402

PROGRAM_DIR = None
STORED_NOTE = [("0", {"Memo": "XFCE", "WindowLeft": "250", "WindowTop": "60"})]
PANEL_CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="icon-size" type="uint" value="16"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
"""
# A colour of the tray icon's note while the notes are shown, and while they are hidden.
SHOWN_ICON = (0xFF, 0xA0, 0x28)
HIDDEN_ICON = (0xFF, 0xD9, 0xA6)
ICON_SIZE = 16
# The part of the screen the documentation's picture shows: panel, menu and note.
DOCS_CROP = "600x200+0+0"


class XfcePanelTest(DesktopTestCase):
    desktop_options = {"tray": False}

    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.mkdtemp(prefix="vlzozed-xfce-")
        channels = os.path.join(cls.home, ".config", "xfce4", "xfconf", "xfce-perchannel-xml")
        os.makedirs(channels)
        with open(os.path.join(channels, "xfce4-panel.xml"), "w", encoding="utf-8") as file:
            file.write(PANEL_CONFIG)
        cls.home_environment = {"HOME": cls.home,
                                "XDG_CONFIG_HOME": os.path.join(cls.home, ".config")}
        super().setUpClass()
        try:
            # The bus starts the panel's settings service (xfconfd) with this home.
            cls.bus = SessionBus(cls.desktop, env=cls.home_environment)
            cls.panel = cls.desktop.run(["xfce4-panel"], name="xfce4-panel",
                                        env={**cls.home_environment, **cls.bus.environment()})
            # Qt decides between a StatusNotifierItem and an XEmbed icon when the program starts.
            cls.bus.wait_for_name(cls.desktop, WATCHER)
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()
        shutil.rmtree(cls.home, ignore_errors=True)

    def setUp(self):
        super().setUp()
        self.program = NotesProgram(self.desktop, PROGRAM_DIR, notes=STORED_NOTE,
                                    preferences=[("System", {"BootCount": "5"})])

    def tearDown(self):
        self.program.remove()

    # ---- the panel ----

    def wait_for_icon(self, colour=SHOWN_ICON, timeout=30):
        """The middle of the program's icon in the panel, once the panel draws it in the colour,
        and only one of it: an item registered anew replaces the old one."""
        def drawn():
            found = ScreenPicture(self.desktop).find(colour, 0, 0, 200, 28)
            if not found:
                return None
            xs, ys = [x for x, _ in found], [y for _, y in found]
            if max(xs) - min(xs) >= ICON_SIZE:
                return None
            return (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2

        return self.desktop.wait_until(drawn, timeout,
                                       f"the panel shows not one icon in {colour}")

    def panel_menus(self):
        """Menus the panel shows by itself (its own, or an item's exported menu)."""
        menus = []
        for class_name in ("^xfce4-panel$", "^wrapper-2.0$"):
            for window_id in self.desktop.search_windows(class_name=class_name):
                info = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True,
                                      env=self.desktop.environment()).stdout.decode()
                window = self.desktop.window(window_id)
                if "Override Redirect State: yes" in info and window.height > 50:
                    menus.append(window)
        return menus

    def wait_for_panel_menu(self):
        return self.desktop.wait_until(self.panel_menus, 10, "the panel shows no menu")

    def close_panel_menu(self):
        self.desktop.key("Escape")
        self.desktop.wait_until(lambda: not self.panel_menus(), 10, "the panel's menu stayed")

    # ---- the test ----

    def test_buttons_in_both_modes_and_the_exported_menu_on_the_right_button(self):
        self.program.start(env={**self.home_environment, **self.bus.environment()})
        self.program.wait_for_notes(1)
        icon = self.wait_for_icon()

        # Mode 0. The middle button does nothing: the menu that the left button opens after it
        # finds the note still shown.
        self.desktop.click(*icon, button=2)
        self.desktop.click(*icon, button=1)
        menu = self.program.wait_for_menu()
        self.assertLess(abs(menu.x - icon[0]) + abs(menu.y - icon[1]), 40, f"{menu} far from {icon}")
        self.assertEqual(len(self.program.notes()), 1)
        self.desktop.key("Escape")
        self.program.wait_for_no_menu()
        # The right button never reaches the program: XFCE shows its own menu for an item that
        # exports none.
        self.desktop.click(*icon, button=3)
        self.wait_for_panel_menu()
        self.assertEqual(self.program.menus(), [])
        self.close_panel_menu()
        self.assertEqual(len(self.program.notes()), 1)

        # The settings dialog switches to mode 1 at once.
        self.desktop.click(*icon, button=1)
        self.program.wait_for_menu()
        self.desktop.key("c")  # "環境設定(&C)..."
        self.program.choose_mouse_button_mode(1)

        # Mode 1: the right button shows the exported tray menu, whose commands are the
        # program's; the left button hides and restores.
        icon = self.wait_for_icon()
        self.desktop.click(*icon, button=3)
        self.wait_for_panel_menu()
        keep_screenshot(self.desktop, "tray-xfce-menu.png", DOCS_CROP)
        self.assertEqual(self.program.menus(), [])
        self.desktop.key("n")  # "新規付箋(_N)"
        self.program.wait_for_notes(2)
        self.desktop.click(*icon, button=2)
        self.desktop.click(*icon, button=1)
        self.program.wait_for_notes(0)
        self.wait_for_icon(HIDDEN_ICON)
        self.desktop.click(*icon, button=1)
        self.program.wait_for_notes(2)

        self.assertEqual(self.program.stop(), 0)
        saved = self.program.sections("VLZozed_pref.ini")
        self.assertEqual(saved["Interface"]["MouseButtonMode"], "1")


if __name__ == "__main__":
    PROGRAM_DIR = program_folder_argument(__doc__)
    unittest.main(verbosity=2)
