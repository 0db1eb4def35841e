"""End-to-end tests of the properties and settings dialogs in the real program, on a virtual
desktop (Xvfb + openbox + trayer).

Usage: dialogs_test.py <folder holding VLZozed and the *.vlf packages>

Each test copies the program and its packages into a fresh temporary folder, starts it there,
drives the dialogs with xdotool (the keyboard, as a user would) and reads what the program saved.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import VirtualDesktop  # noqa: E402

PROGRAM_DIR = None
TITLE = "Velloric付箋"
NOTE_SIZE = (320, 110)
CHARACTER_BOX = (12, 12, 68, 89)  # left, top, width, height within a note
MENU_SETTLE = 0.6
# Longer than the double-click time, after which a left click on the tray counts as single.
CLICK_SETTLE = 1.2


def read_ini(path):
    """Sections of a Shift-JIS INI file as {name: {key: value}}."""
    sections = {}
    current = None
    with open(path, "rb") as file:
        text = file.read().decode("cp932")
    for line in text.split("\r\n"):
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


class DialogsEndToEndTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = VirtualDesktop(log_dir=os.environ.get("VLZ_E2E_LOGS"))
        cls.desktop.start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vlzozed-dialogs-")
        for name in os.listdir(PROGRAM_DIR):
            if name == "VLZozed" or name.endswith(".vlf"):
                shutil.copy2(os.path.join(PROGRAM_DIR, name), self.folder)
        self.program = None

    def tearDown(self):
        if self.program is not None and self.program.poll() is None:
            self.desktop.stop_process(self.program)
        shutil.rmtree(self.folder, ignore_errors=True)

    # ---- helpers ----

    def start(self):
        self.program = self.desktop.run([os.path.join(self.folder, "VLZozed")], name="VLZozed")
        return self.wait_for_notes(1)[0]

    def notes(self):
        windows = []
        for window_id in self.desktop.search_windows(name=TITLE):
            window = self.desktop.window(window_id)
            if (window.width, window.height) == NOTE_SIZE:
                windows.append(window)
        return windows

    def wait_for_notes(self, count, timeout=20):
        def counted():
            notes = self.notes()
            return (notes or True) if len(notes) == count else None

        found = self.desktop.wait_until(counted, timeout,
                                        f"expected {count} notes, saw {self.notes()}")
        return found if isinstance(found, list) else []

    def wait_for_dialog(self, caption):
        """The dialog's client window, once it is shown and placed."""
        dialog = self.desktop.wait_for_window(name=caption, timeout=10)
        time.sleep(MENU_SETTLE)  # the window manager may still move it to the middle
        return self.desktop.window(dialog.id)

    def wait_until_gone(self, caption):
        self.desktop.wait_until(lambda: not self.desktop.search_windows(name=caption), 10,
                                f"the dialog {caption} stayed open")

    def tray_icon(self):
        return self.desktop.wait_for_tray_icon(class_name="VLZozed", timeout=20)

    def exit_program(self):
        # Mode 0: the left button opens the tray menu; "x" is Exit.
        self.desktop.click_window(self.tray_icon(), button=1)
        time.sleep(MENU_SETTLE)
        self.desktop.key("x")
        deadline = time.time() + 20
        while self.program.poll() is None and time.time() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.program.poll(), 0)

    def saved_character(self):
        return read_ini(os.path.join(self.folder, "VLZozed.ini"))["0"]["Character"]

    def character_frames(self, note, shots=6, pause=0.15):
        """The distinct pictures of the note's character box over a short while."""
        left, top, width, height = CHARACTER_BOX
        frames = set()
        for shot in range(shots):
            path = os.path.join(self.desktop.log_dir, f"shot-{time.time_ns()}.png")
            self.desktop.screenshot(path)
            pixels = subprocess.run(
                ["convert", path, "-crop",
                 f"{width}x{height}+{note.x + left}+{note.y + top}", "rgb:-"],
                check=True, capture_output=True).stdout
            os.unlink(path)
            frames.add(pixels)
            time.sleep(pause)
        return frames

    # ---- tests ----

    def test_properties_give_the_note_another_character_that_the_next_save_writes(self):
        self.start()
        self.exit_program()
        first = self.saved_character()

        note = self.start()
        before = self.character_frames(note)
        self.desktop.click(note.x + 200, note.y + 5, button=3)  # the frame's popup menu
        time.sleep(MENU_SETTLE)
        self.desktop.key("p")  # "プロパティ(&P)"
        dialog = self.wait_for_dialog("付箋のプロパティ")
        # The character list (12, 84 in its group box at 12, 8) takes the focus with a click that
        # opens it; Escape closes it again, and Down picks the next character.
        self.desktop.click(dialog.x + 24 + 48, dialog.y + 92 + 10)
        time.sleep(MENU_SETTLE)
        self.desktop.key("Escape")
        time.sleep(0.2)
        self.desktop.key("Down")
        time.sleep(0.2)
        self.desktop.key("Return")  # OK is the default button
        self.wait_until_gone("付箋のプロパティ")
        time.sleep(MENU_SETTLE)  # the note repaints once the dialog is gone

        note = self.notes()[0]
        after = self.character_frames(note)
        self.assertTrue(after.isdisjoint(before), "the note still shows its old character")
        self.assertGreater(len(after), 1, "the new character does not animate")

        self.exit_program()
        second = self.saved_character()
        self.assertTrue(second, "no character name saved")
        self.assertNotEqual(second, first)

    def test_settings_second_item_makes_the_left_tray_button_hide_and_restore(self):
        self.start()
        icon = self.tray_icon()
        self.desktop.click_window(icon, button=1)
        time.sleep(MENU_SETTLE)
        self.desktop.key("c")  # "環境設定(&C)..."
        dialog = self.wait_for_dialog("設定")
        # "&2. [左]:隠す/復元, [右]:メニュー", the second radio item, then OK (64, 88).
        self.desktop.click(dialog.x + 12 + 8 + 10, dialog.y + 12 + 38 + 10)
        time.sleep(0.2)
        self.desktop.click(dialog.x + 64 + 38, dialog.y + 88 + 10)
        self.wait_until_gone("設定")
        time.sleep(MENU_SETTLE)  # let the modal loop end before the tray is clicked again

        icon = self.tray_icon()
        self.desktop.click_window(icon, button=1)
        self.wait_for_notes(0)
        time.sleep(CLICK_SETTLE)
        self.desktop.click_window(icon, button=1)
        self.wait_for_notes(1)
        # The right button now opens the menu.
        self.desktop.click_window(icon, button=3)
        time.sleep(MENU_SETTLE)
        self.desktop.key("x")
        deadline = time.time() + 20
        while self.program.poll() is None and time.time() < deadline:
            time.sleep(0.05)
        self.assertEqual(self.program.poll(), 0)
        preferences = read_ini(os.path.join(self.folder, "VLZozed_pref.ini"))
        self.assertEqual(preferences["Interface"]["MouseButtonMode"], "1")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM_DIR = os.path.abspath(sys.argv.pop(1))
    unittest.main()
