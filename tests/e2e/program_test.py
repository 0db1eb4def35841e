"""End-to-end tests of the real program on a virtual desktop (Xvfb + openbox + trayer).

Usage: program_test.py <folder holding VLZozed and the *.vlf packages>

Each test copies the program and its packages into a fresh temporary folder (the program keeps its
files beside its executable), starts it there, drives it with xdotool and reads the files it wrote.
"""

import os
import re
import shutil
import signal
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import VirtualDesktop  # noqa: E402

PROGRAM_DIR = None
TITLE = "Velloric付箋"
NOTE_SIZE = (320, 110)
FIRST_LINE = re.compile(r"^\d{4}/\d{2}/\d{2}( \d{1,2}:\d{2}:\d{2})?$")


def read_ini(path):
    """Sections of a Shift-JIS INI file, in file order, as (name, {key: value})."""
    sections = []
    with open(path, "rb") as file:
        text = file.read().decode("cp932")
    for line in text.split("\r\n"):
        if line.startswith("[") and line.endswith("]"):
            sections.append((line[1:-1], {}))
        elif "=" in line and sections:
            key, value = line.split("=", 1)
            sections[-1][1][key] = value
    return sections


def write_ini(path, sections):
    lines = []
    for name, keys in sections:
        lines.append(f"[{name}]")
        lines.extend(f"{key}={value}" for key, value in keys.items())
    with open(path, "wb") as file:
        file.write(("\r\n".join(lines) + "\r\n").encode("cp932"))


class ProgramFolder:
    """A temporary program folder: the executable and, unless told otherwise, the packages."""

    def __init__(self, packages=True):
        self.path = tempfile.mkdtemp(prefix="vlzozed-e2e-")
        shutil.copy2(os.path.join(PROGRAM_DIR, "VLZozed"), self.path)
        if packages:
            for name in os.listdir(PROGRAM_DIR):
                if name.endswith(".vlf"):
                    shutil.copy2(os.path.join(PROGRAM_DIR, name), self.path)
        self.executable = os.path.join(self.path, "VLZozed")

    def file(self, name):
        return os.path.join(self.path, name)

    def snapshot(self):
        """Name → (size, mtime, bytes) of every file but the executable."""
        result = {}
        for name in sorted(os.listdir(self.path)):
            path = self.file(name)
            with open(path, "rb") as file:
                result[name] = (os.path.getmtime(path), file.read())
        return result

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


class ProgramEndToEndTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = VirtualDesktop()
        cls.desktop.start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.folder = ProgramFolder()
        self.program = None

    def tearDown(self):
        if self.program is not None and self.program.poll() is None:
            self.desktop.stop_process(self.program)
        self.folder.remove()

    # ---- helpers ----

    def start(self, expected_notes=1):
        self.program = self.desktop.run([self.folder.executable], name="VLZozed")
        if expected_notes:
            self.wait_for_notes(expected_notes)
        return self.program

    def notes(self):
        """The visible note windows (320 x 110, the program's title), in stacking order."""
        windows = []
        for window_id in self.desktop.search_windows(name=TITLE):
            window = self.desktop.window(window_id)
            if (window.width, window.height) == NOTE_SIZE:
                windows.append(window)
        return windows

    def wait_for_notes(self, count, timeout=20):
        return self.desktop.wait_until(lambda: len(self.notes()) == count and self.notes(),
                                       timeout, f"expected {count} notes, saw {self.notes()}")

    def tray_icon(self):
        return self.desktop.wait_for_tray_icon(class_name="VLZozed", timeout=20)

    def wait_for_exit(self, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            status = self.program.poll()
            if status is not None:
                return status
            time.sleep(0.05)
        self.fail("the program did not end")

    def menu_command(self, key):
        """Opens the tray menu with the left button (mode 0) and chooses an item by its mnemonic."""
        self.desktop.click_window(self.tray_icon(), button=1)
        time.sleep(0.6)
        self.desktop.key(key)

    def exit_program(self):
        self.menu_command("x")
        return self.wait_for_exit()

    def note_sections(self):
        return read_ini(self.folder.file("VLZozed.ini"))

    # ---- tests ----

    def test_first_start_shows_one_new_note_and_exit_saves_it(self):
        self.start()
        note = self.notes()[0]
        self.assertEqual((note.width, note.height), NOTE_SIZE)
        self.assertEqual(self.exit_program(), 0)

        sections = self.note_sections()
        self.assertEqual([name for name, _ in sections], ["0"])
        memo = sections[0][1]["Memo"].split("\\n")
        self.assertRegex(memo[0], FIRST_LINE)
        self.assertEqual(memo[1:], ["ここにメモを書き込めます."])
        preferences = dict(read_ini(self.folder.file("VLZozed_pref.ini")))
        self.assertEqual(preferences["System"]["BootCount"], "1")

    def test_stored_notes_appear_at_their_places_with_their_memos(self):
        write_ini(self.folder.file("VLZozed.ini"), [
            ("A", {"Memo": "買い物\\nパン", "WindowLeft": "100", "WindowTop": "200",
                   "Character": "Tobble"}),
            ("B", {"Memo": "second", "WindowLeft": "500", "WindowTop": "400"}),
        ])
        write_ini(self.folder.file("VLZozed_pref.ini"), [("System", {"BootCount": "3"})])
        self.start(expected_notes=2)
        places = sorted((note.x, note.y) for note in self.notes())
        self.assertEqual(places, [(100, 200), (500, 400)])
        self.assertEqual(self.exit_program(), 0)
        sections = self.note_sections()
        self.assertEqual([name for name, _ in sections], ["0", "1"])
        self.assertEqual(sections[0][1]["Memo"], "買い物\\nパン")
        self.assertEqual((sections[1][1]["WindowLeft"], sections[1][1]["WindowTop"]), ("500", "400"))

    def test_tray_buttons_in_mode_0_and_mode_1(self):
        self.start()
        icon = self.tray_icon()
        # Mode 0: the right button hides and restores, the left one opens the menu.
        self.desktop.click_window(icon, button=3)
        self.wait_for_notes(0)
        self.desktop.click_window(icon, button=3)
        self.wait_for_notes(1)
        self.desktop.click_window(icon, button=1)
        time.sleep(0.6)
        self.assertEqual(len(self.notes()), 1)
        self.desktop.key("Escape")
        self.assertEqual(self.exit_program(), 0)

        write_ini(self.folder.file("VLZozed_pref.ini"),
                  [("Interface", {"MouseButtonMode": "1"}), ("System", {"BootCount": "4"})])
        self.start()
        icon = self.tray_icon()
        self.desktop.click_window(icon, button=1)
        self.wait_for_notes(0)
        self.desktop.click_window(icon, button=1)
        self.wait_for_notes(1)
        self.desktop.click_window(icon, button=3)
        time.sleep(0.6)
        self.desktop.key("x")
        self.assertEqual(self.wait_for_exit(), 0)

    def test_new_note_from_the_tray_menu_shows_hidden_notes(self):
        self.start()
        self.desktop.click_window(self.tray_icon(), button=3)
        self.wait_for_notes(0)
        self.menu_command("n")
        self.wait_for_notes(2)
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(len(self.note_sections()), 2)

    def test_dragging_the_frame_moves_the_note_and_the_save_keeps_the_place(self):
        write_ini(self.folder.file("VLZozed.ini"),
                  [("0", {"Memo": "drag me", "WindowLeft": "200", "WindowTop": "200"})])
        write_ini(self.folder.file("VLZozed_pref.ini"), [("System", {"BootCount": "2"})])
        self.start()
        note = self.notes()[0]
        # Between the character box and the memo: the frame picture.
        start = (note.x + 85, note.y + 60)
        self.desktop.press(*start, button=1)
        for step in range(1, 11):
            self.desktop.move_mouse(start[0] + 15 * step, start[1] + 10 * step)
            time.sleep(0.03)
        self.desktop.release(button=1)
        moved = self.desktop.wait_until(
            lambda: (lambda n: n if n and (n[0].x, n[0].y) != (200, 200) else None)(self.notes()),
            10, "the note did not move")[0]
        self.assertGreater(moved.x, 250)
        self.assertEqual(self.exit_program(), 0)
        keys = self.note_sections()[0][1]
        self.assertEqual((int(keys["WindowLeft"]), int(keys["WindowTop"])), (moved.x, moved.y))

    def delete_first_note(self, confirm):
        note = self.notes()[0]
        self.desktop.click(note.x + 85, note.y + 60, button=3)
        time.sleep(0.6)
        self.desktop.key("d")
        box = self.desktop.wait_for_window(name="削除の確認", timeout=10)
        self.assertIsNotNone(box)
        if confirm:
            self.desktop.key("shift+Tab", "space")  # Cancel is the default button
        else:
            self.desktop.key("Return")

    def test_delete_asks_first_and_ok_removes_the_note_from_the_file(self):
        write_ini(self.folder.file("VLZozed.ini"), [
            ("0", {"Memo": "keep", "WindowLeft": "100", "WindowTop": "100"}),
            ("1", {"Memo": "drop", "WindowLeft": "100", "WindowTop": "400"}),
        ])
        write_ini(self.folder.file("VLZozed_pref.ini"), [("System", {"BootCount": "2"})])
        self.start(expected_notes=2)
        self.delete_first_note(confirm=False)
        time.sleep(0.5)
        self.assertEqual(len(self.notes()), 2)
        self.delete_first_note(confirm=True)
        self.wait_for_notes(1)
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(len(self.note_sections()), 1)

    def test_exit_and_sigterm_save_with_backup_rotation(self):
        self.start()
        self.assertEqual(self.exit_program(), 0)
        first = open(self.folder.file("VLZozed.ini"), "rb").read()
        self.assertFalse(os.path.exists(self.folder.file("VLZozed.bak")))

        self.start()
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertEqual(open(self.folder.file("VLZozed.bak"), "rb").read(), first)
        second = open(self.folder.file("VLZozed.ini"), "rb").read()

        self.start()
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(open(self.folder.file("VLZozed.bk2"), "rb").read(), first)
        self.assertEqual(open(self.folder.file("VLZozed.bak"), "rb").read(), second)
        preferences = dict(read_ini(self.folder.file("VLZozed_pref.ini")))
        self.assertEqual(preferences["System"]["BootCount"], "3")

    def test_second_start_ends_at_once_and_touches_nothing(self):
        self.start()
        before = self.folder.snapshot()
        second = self.desktop.run([self.folder.executable], name="second")
        deadline = time.time() + 20
        while second.poll() is None and time.time() < deadline:
            time.sleep(0.05)
        self.assertEqual(second.poll(), 0)
        self.assertEqual(self.folder.snapshot(), before)
        self.assertEqual(len(self.notes()), 1)
        self.assertEqual(self.exit_program(), 0)

    def test_no_package_shows_the_fatal_message_and_writes_nothing(self):
        self.folder.remove()
        self.folder = ProgramFolder(packages=False)
        self.start(expected_notes=0)
        self.desktop.wait_for_window(name=TITLE, timeout=20)
        time.sleep(0.3)
        self.desktop.key("Return")
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertEqual(sorted(os.listdir(self.folder.path)), ["VLZozed"])

    def test_a_listed_note_refuses_to_close(self):
        self.start()
        note = self.notes()[0]
        self.desktop.xdotool("windowactivate", "--sync", str(note.id))
        self.desktop.key("alt+F4")  # openbox's Close: WM_DELETE_WINDOW
        time.sleep(0.8)
        self.assertEqual(len(self.notes()), 1)
        self.assertIsNone(self.program.poll())
        self.assertEqual(self.exit_program(), 0)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM_DIR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
