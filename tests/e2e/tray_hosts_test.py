"""End-to-end tests of the program's icon in the trays of the desktops, on a virtual desktop.

Usage: tray_hosts_test.py <folder holding VLZozed and the *.vlf packages>

StatusNotifierItemTest puts a private session bus with a test StatusNotifierWatcher and host
(status_notifier_watcher.py) under the program, so that Qt registers a StatusNotifierItem, and
calls on the item what a panel calls: Activate (left button), ContextMenu (right button, sent only
by hosts with no menu to show) and SecondaryActivate (middle button); it reads the menu the item
exports. LateTrayTest starts the XEmbed tray after the program, as a panel that comes up late at
login does. NoTrayTest has a session bus but no tray of any kind, as GNOME without its
AppIndicator extension. Runs under the system's Python (python3-dbus, python3-gi).
"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import DesktopTestCase, VirtualDesktop  # noqa: E402
from program import FRAME_POINT  # noqa: E402
from notes_program import NotesProgram, program_folder_argument  # noqa: E402
from status_notifier import SessionBus, TestWatcher  # noqa: E402

PROGRAM_DIR = None
STORED_NOTE = [("0", {"Memo": "tray", "WindowLeft": "300", "WindowTop": "300"})]
# The tray menu as a host reads it: Qt writes each mnemonic with an underscore.
EXPORTED_MENU = [("standard", "新規付箋(_N)"), ("standard", "隠す/もどす(_H)"), ("separator", ""),
                 ("standard", "環境設定(_C)..."), ("standard", "Velloric付箋について(_A)..."),
                 ("separator", ""), ("standard", "終了(_X)")]
# The paths of the item's Menu property: Qt's for a menu, and the one it gives for none.
EXPORTED = "/MenuBar"
NO_MENU = "/NO_DBUSMENU"
# Where the pointer is when a host asks for the program's own menu.
POINTER = (400, 200)
# How long after the program a late tray comes up.
LATE_TRAY_DELAY = 3.0


def preferences(mode):
    return [("Interface", {"MouseButtonMode": str(mode)}), ("System", {"BootCount": "5"})]


class StatusNotifierItemTest(DesktopTestCase):
    desktop_options = {"tray": False}

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        try:
            cls.bus = SessionBus(cls.desktop)
            cls.watcher = TestWatcher(cls.desktop, cls.bus)
        except BaseException:
            cls.desktop.stop()
            raise

    def setUp(self):
        super().setUp()
        self.program = None

    def tearDown(self):
        if self.program is not None:
            self.program.remove()

    def start(self, mode):
        """The program in the mode, with one note, and its item once it has registered as the
        mode wants it: with the tray menu exported in mode 1, without a menu in mode 0."""
        self.program = NotesProgram(self.desktop, PROGRAM_DIR, notes=STORED_NOTE,
                                    preferences=preferences(mode))
        self.program.start(env=self.bus.environment())
        self.program.wait_for_notes(1)
        return self.watcher.wait_for_item(menu=NO_MENU if mode == 0 else EXPORTED, timeout=30)

    def open_own_menu(self, ask):
        """Asks for the program's own menu with the pointer at POINTER; the menu, once shown."""
        self.desktop.move_mouse(*POINTER)
        ask(*POINTER)
        menu = self.program.wait_for_menu()
        self.assertLessEqual(abs(menu.x - POINTER[0]) + abs(menu.y - POINTER[1]), 8,
                             f"{menu} is not at the pointer {POINTER}")
        return menu

    def menu_item(self, item, label):
        return next(identifier for identifier, _, text in item.menu_layout() if text == label)

    def test_mode_0_exports_no_menu_activate_opens_it_context_menu_hides_and_restores(self):
        item = self.start(0)
        self.assertEqual(item.property("ToolTip")[2], "Velloric付箋")
        # The middle button does nothing; had it done something, it would show by the time the
        # right button's hiding, asked for after it, has been done.
        item.secondary_activate(*POINTER)
        item.context_menu(*POINTER)
        self.program.wait_for_notes(0)
        self.assertEqual(self.program.menus(), [])
        item.context_menu(*POINTER)
        self.program.wait_for_notes(1)

        self.open_own_menu(item.activate)
        self.desktop.key("Escape")
        self.program.wait_for_no_menu()
        self.assertEqual(self.program.stop(), 0)

    def test_mode_1_exports_the_tray_menu_and_activate_hides_and_restores(self):
        item = self.start(1)
        self.assertEqual([entry[1:] for entry in item.menu_layout()], EXPORTED_MENU)
        item.secondary_activate(*POINTER)
        item.activate(*POINTER)
        self.program.wait_for_notes(0)
        self.assertEqual(self.program.menus(), [])
        item.activate(*POINTER)
        self.program.wait_for_notes(1)

        # A host that asks for the menu although one is exported gets the program's own.
        self.open_own_menu(item.context_menu)
        self.desktop.key("Escape")
        self.program.wait_for_no_menu()
        # Choosing in the exported menu runs the program's own command.
        item.click_menu_item(self.menu_item(item, "新規付箋(_N)"))
        self.program.wait_for_notes(2)
        self.assertEqual(self.program.stop(), 0)
        self.assertEqual(len(self.program.sections("VLZozed.ini")), 2)

    def test_settings_dialog_switches_the_exported_menu_at_once(self):
        item = self.start(0)
        self.open_own_menu(item.activate)
        self.desktop.key("c")  # "環境設定(&C)..."
        self.program.choose_mouse_button_mode(1)
        item = self.watcher.wait_for_item(menu=EXPORTED)

        item.click_menu_item(self.menu_item(item, "環境設定(_C)..."))
        self.program.choose_mouse_button_mode(0)
        item = self.watcher.wait_for_item(menu=NO_MENU)
        item.context_menu(*POINTER)
        self.program.wait_for_notes(0)
        self.assertEqual(self.program.stop(), 0)
        saved = self.program.sections("VLZozed_pref.ini")
        self.assertEqual(saved["Interface"]["MouseButtonMode"], "0")


class LateTrayTest(unittest.TestCase):
    def test_icon_docks_in_a_tray_that_comes_up_after_the_program(self):
        with VirtualDesktop(tray=False) as desktop:
            program = NotesProgram(desktop, PROGRAM_DIR, notes=STORED_NOTE,
                                   preferences=preferences(0))
            try:
                program.start()
                started = time.monotonic()
                program.wait_for_notes(1)
                # The scenario itself: the panel starts a fixed time after the program.
                time.sleep(max(0.0, LATE_TRAY_DELAY - (time.monotonic() - started)))
                desktop.start_tray()
                icon = desktop.wait_for_tray_icon(class_name="VLZozed", timeout=20)
                desktop.click_window(icon, button=3)  # mode 0: the right button hides
                program.wait_for_notes(0)
                self.assertEqual(program.stop(), 0)
            finally:
                program.remove()


class NoTrayTest(DesktopTestCase):
    desktop_options = {"tray": False}

    def test_starting_again_shows_the_notes_hidden_from_a_note_menu(self):
        bus = SessionBus(self.desktop)  # a session bus, but no StatusNotifierWatcher on it
        program = NotesProgram(self.desktop, PROGRAM_DIR, notes=STORED_NOTE,
                               preferences=preferences(0))
        self.addCleanup(program.remove)
        program.start(env=bus.environment())
        note, = program.wait_for_notes(1)
        self.desktop.click(note.x + FRAME_POINT[0], note.y + FRAME_POINT[1], button=3)
        program.wait_for_menu()
        self.desktop.key("s")  # システムメニュー(&S)
        self.desktop.key("h")  # 隠す/もどす(&H)
        program.wait_for_notes(0)

        second = self.desktop.run([program.executable], env=bus.environment(),
                                  name="second start")
        program.wait_for_notes(1)
        self.desktop.wait_until(lambda: second.poll() is not None, 20, "the second start stayed")
        self.assertEqual(second.returncode, 0)
        self.assertEqual(program.stop(), 0)


if __name__ == "__main__":
    PROGRAM_DIR = program_folder_argument(__doc__)
    unittest.main(verbosity=2)
