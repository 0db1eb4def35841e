"""The real program in a folder of its own, on a VirtualDesktop, for end-to-end tests.

    with VirtualDesktop() as desktop:
        program = NotesProgram(desktop, program_dir, notes=[("0", {"Memo": "a", ...})])
        program.start()
        note, = program.wait_for_notes(1)
        menu = program.wait_for_menu()
        status = program.stop()

The program keeps its files beside its executable (the portable layout), so each NotesProgram
copies the executable and the character packages into a temporary folder, which remove() deletes.
Every wait has a deadline; nothing sleeps for a fixed time.
"""

import os
import shutil
import subprocess
import sys
import tempfile

from program import read_ini, write_ini

TITLE = "Velloric付箋"
NOTE_SIZE = (320, 110)


def program_folder_argument(usage):
    """The folder of VLZozed and its packages, the test program's first argument (taken off the
    arguments unittest reads); exits with the usage when there is none."""
    if len(sys.argv) < 2:
        sys.exit(usage)
    # A sanitizer build: the desktop's own libraries (D-Bus) keep a few blocks until exit.
    os.environ.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    return os.path.abspath(sys.argv.pop(1))


class NotesProgram:
    def __init__(self, desktop, program_dir, notes=None, preferences=None, scale=1):
        """notes and preferences are [(section, {key: value})] written before the start; scale
        is the device pixels per logical pixel the program's windows have."""
        self.desktop = desktop
        self.path = tempfile.mkdtemp(prefix="vlzozed-e2e-")
        for name in os.listdir(program_dir):
            if name == "VLZozed" or name.endswith(".vlf"):
                shutil.copy2(os.path.join(program_dir, name), self.path)
        self.executable = os.path.join(self.path, "VLZozed")
        self.note_size = (NOTE_SIZE[0] * scale, NOTE_SIZE[1] * scale)
        self.process = None
        if notes is not None:
            write_ini(self.file("VLZozed.ini"), notes)
        if preferences is not None:
            write_ini(self.file("VLZozed_pref.ini"), preferences)

    def file(self, name):
        return os.path.join(self.path, name)

    def sections(self, name):
        """The sections of one of the program's INI files, as {section: {key: value}}."""
        return dict(read_ini(self.file(name)))

    def start(self, env=None):
        self.process = self.desktop.run([self.executable], env=env, name="VLZozed")
        return self.process

    def stop(self, timeout=20):
        """Ends the program as the session does (SIGTERM: it saves) and returns its status."""
        status = self.desktop.stop_process(self.process, timeout=timeout)
        self.process = None
        return status

    def remove(self):
        if self.process is not None and self.process.poll() is None:
            self.desktop.stop_process(self.process)
        shutil.rmtree(self.path, ignore_errors=True)

    def log(self):
        return self.desktop.log_of(self.process) if self.process is not None else ""

    # ---- what it shows ----

    def windows(self):
        """The program's visible top-level windows."""
        return [self.desktop.window(window_id)
                for window_id in self.desktop.search_windows(class_name="^VLZozed$")]

    def notes(self):
        return [window for window in self.windows()
                if window.name == TITLE and (window.width, window.height) == self.note_size]

    def menus(self):
        """Visible popup menus of the program: the windows it places itself, bypassing the
        window manager (tooltips, too small to count, are the others)."""
        return [window for window in self.windows()
                if window.width > 50 and window.height > 50 and self._placed_by_itself(window.id)]

    def wait_for_notes(self, count, timeout=20):
        found = []

        def counted():
            self._check_running()
            found[:] = self.notes()
            return len(found) == count

        self.desktop.wait_until(counted, timeout, f"expected {count} notes, saw {found}")
        return list(found)

    def wait_for_menu(self, timeout=10):
        def shown():
            self._check_running()
            menus = self.menus()
            return menus[0] if menus else None

        return self.desktop.wait_until(shown, timeout, "no menu of the program came up")

    def wait_for_no_menu(self, timeout=10):
        self.desktop.wait_until(lambda: not self.menus(), timeout, "the menu stayed open")

    def wait_for_dialog(self, caption, timeout=10):
        """The dialog, once it is shown and has the keyboard."""
        def active():
            self._check_running()
            windows = self.desktop.search_windows(name=f"^{caption}$")
            if not windows:
                return None
            result = subprocess.run(["xdotool", "getactivewindow"], capture_output=True,
                                    env=self.desktop.environment())
            focused = result.stdout.decode().strip()
            return self.desktop.window(windows[0]) if focused == str(windows[0]) else None

        return self.desktop.wait_until(active, timeout, f"no active dialog {caption!r}")

    def wait_until_gone(self, caption, timeout=10):
        self.desktop.wait_until(lambda: not self.desktop.search_windows(name=f"^{caption}$"),
                                timeout, f"the dialog {caption!r} stayed open")

    def choose_mouse_button_mode(self, mode):
        """In the open settings dialog: the mode's radio item, then OK. Clicked, not typed: a
        mnemonic typed the moment the window manager has activated the dialog can arrive before
        Qt counts the dialog as active, and is lost."""
        dialog = self.wait_for_dialog("設定")
        # The group box at (12, 12) holds the items at (8, 16 + 22 * mode), 20 pixels high.
        self.desktop.click(dialog.x + 12 + 8 + 8, dialog.y + 12 + 16 + 22 * mode + 10)
        self.desktop.click(dialog.x + 64 + 38, dialog.y + 88 + 10)  # OK
        self.wait_until_gone("設定")

    def _placed_by_itself(self, window_id):
        result = subprocess.run(["xwininfo", "-id", str(window_id)], capture_output=True,
                                env=self.desktop.environment())
        return "Override Redirect State: yes" in result.stdout.decode()

    def _check_running(self):
        if self.process is not None and self.process.poll() is not None:
            raise AssertionError(f"the program ended with {self.process.returncode}:\n"
                                 + self.log()[-3000:])

