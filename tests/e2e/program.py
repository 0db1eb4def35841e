"""The program under test on a virtual desktop: a program folder of its own, its INI files, its
note windows, its tray icon and menus, its dialogs.

    from program import ProgramTestCase, main

    class SomeTest(ProgramTestCase):
        def test_exit_saves_the_first_note(self):
            self.start()
            self.assertEqual(self.exit_program(), 0)
            self.assertEqual(len(self.note_sections()), 1)

    if __name__ == "__main__":
        main(__doc__)

Each test copies the program and its packages into a fresh temporary folder (the program keeps its
files beside its executable), starts it there, drives it as a user would and reads the files it
wrote. A test module is run as `<module>.py <folder holding VLZozed and the *.vlf packages>`.
"""

import os
import shutil
import sys
import tempfile
import time
import unittest

from desktop import DesktopTestCase

TITLE = "Velloric付箋"
WINDOW_CLASS = "VLZozed"
NOTE_SIZE = (320, 110)
# The character box within a note: left, top, width, height.
CHARACTER_BOX = (12, 12, 68, 89)
# A point of a note's frame picture, between the character box and the memo.
FRAME_POINT = (85, 60)

PROGRAM_DIR = None  # set by main()


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
    """Writes (name, {key: value}) sections as the program's files are written: Shift-JIS, CR LF."""
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
            for name in sorted(os.listdir(PROGRAM_DIR)):
                if name.endswith(".vlf"):
                    shutil.copy2(os.path.join(PROGRAM_DIR, name), self.path)
        self.executable = os.path.join(self.path, "VLZozed")

    def file(self, name):
        return os.path.join(self.path, name)

    def snapshot(self):
        """Name → (mtime, bytes) of every file in the folder."""
        result = {}
        for name in sorted(os.listdir(self.path)):
            path = self.file(name)
            with open(path, "rb") as file:
                result[name] = (os.path.getmtime(path), file.read())
        return result

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


class ProgramTestCase(DesktopTestCase):
    """Tests of the real program, each in a program folder of its own (self.folder)."""

    def setUp(self):
        super().setUp()
        self._folder = None
        self.program = None

    def tearDown(self):
        if self.program is not None:
            self.desktop.stop_process(self.program)
        if self._folder is not None:
            self._folder.remove()

    @property
    def folder(self):
        """The test's program folder, made when the test first asks for it."""
        if self._folder is None:
            self._folder = ProgramFolder()
        return self._folder

    def use_folder(self, folder):
        """Runs the test in another program folder (one without packages, say)."""
        if self._folder is not None:
            self._folder.remove()
        self._folder = folder

    # ---- the program ----

    def start(self, expected_notes=1, executable=None, env=None, wrapper=()):
        """Starts the program (the one in the test's folder unless another executable is given,
        under the `wrapper` command when given, with `env` added to its environment); with
        expected_notes, waits until that many notes are shown and the tray icon is docked."""
        self.program = self.run_program([*wrapper, executable or self.folder.executable],
                                        name="VLZozed",
                                        env=env)
        if expected_notes:
            self.wait_for_notes(expected_notes)
            self.tray_icon()
        return self.program

    def wait_for_exit(self, timeout=20):
        """The program's exit status, once it has ended."""
        return self.wait_for_process(self.program, timeout)

    def wait_for_process(self, process, timeout=20):
        deadline = time.monotonic() + timeout
        while process.poll() is None:
            if time.monotonic() >= deadline:
                self.fail(f"{process.args[0]} did not end")
            time.sleep(0.05)
        return process.returncode

    def wait_for_output(self, text, timeout=20):
        """The program's output once `text` is in it."""
        return self.desktop.wait_until(
            lambda: text in (output := self.desktop.log_of(self.program)) and output, timeout,
            f"the program did not print {text!r}")

    def wait_until_saved(self, quiet=1.5, timeout=20):
        """Returns once the note and preferences files exist and have kept their bytes for
        `quiet` seconds: the program has saved its last change (it saves a second after one)."""
        last = {}

        def settled():
            names = ("VLZozed.ini", "VLZozed_pref.ini")
            if not all(os.path.exists(self.folder.file(name)) for name in names):
                return False
            now = time.monotonic()
            current = [self.read_bytes(name) for name in names]
            if last.get("files") != current:
                last.update(files=current, since=now)
                return False
            return now - last["since"] >= quiet

        self.desktop.wait_until(settled, timeout, "the program's files kept changing")

    # ---- notes ----

    def notes(self):
        """The shown note windows (320 x 110, the program's title), in stacking order."""
        return [window for window in
                self.desktop.existing_windows(self.desktop.search_windows(name=TITLE))
                if (window.width, window.height) == NOTE_SIZE]

    def wait_for_notes(self, count, timeout=20):
        """The shown notes, once there are `count` of them."""
        found = []

        def counted():
            found[:] = self.notes()
            return len(found) == count

        self.desktop.wait_until(counted, timeout, f"expected {count} notes, saw {found}")
        return list(found)

    def open_note_menu(self, note):
        """Opens a note's popup menu with the right button on its frame; returns the menu."""
        self.desktop.click(note.x + FRAME_POINT[0], note.y + FRAME_POINT[1], button=3)
        return self.wait_for_menu()

    # ---- tray icon and menus ----

    def tray_icon(self):
        return self.desktop.wait_for_tray_icon(class_name=WINDOW_CLASS, timeout=20)

    def click_tray(self, button):
        """Clicks the tray icon (out of the double-click time of the click before)."""
        self.desktop.click_window(self.tray_icon(), button=button)

    def wait_for_menu(self):
        return self.desktop.wait_for_popup_menu(WINDOW_CLASS)

    def open_tray_menu(self, button=1):
        """Opens the tray menu with the button that opens it (the left one in mode 0)."""
        self.click_tray(button)
        return self.wait_for_menu()

    def choose(self, key):
        """Chooses an item of the open menu by its mnemonic and waits until the menu is gone."""
        self.desktop.key(key)
        self.desktop.wait_for_no_popup_menu(WINDOW_CLASS)

    def menu_command(self, key, button=1):
        """Opens the tray menu and chooses an item by its mnemonic."""
        self.open_tray_menu(button)
        self.choose(key)

    def exit_program(self, button=1):
        """Exit from the tray menu; returns the exit status."""
        self.menu_command("x", button)
        return self.wait_for_exit()

    # ---- dialogs ----

    def wait_for_dialog(self, caption):
        """The dialog, once the window manager has placed it and given it the keyboard."""
        return self.desktop.wait_for_active_window(caption)

    def wait_until_gone(self, caption):
        self.desktop.wait_for_no_window(caption)

    # ---- files ----

    def read_bytes(self, name):
        with open(self.folder.file(name), "rb") as file:
            return file.read()

    def note_sections(self):
        """The note file's sections, in file order, as (name, {key: value})."""
        return read_ini(self.folder.file("VLZozed.ini"))

    def preferences(self):
        """The preferences file as {section: {key: value}}."""
        return dict(read_ini(self.folder.file("VLZozed_pref.ini")))


def main(usage):
    """Runs the test module's tests on the program folder named by the first argument."""
    global PROGRAM_DIR
    if len(sys.argv) < 2:
        sys.exit(usage)
    PROGRAM_DIR = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
