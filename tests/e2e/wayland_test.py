"""End-to-end tests of the program in a Wayland session: weston's headless backend with XWayland.

Usage: wayland_test.py <folder holding VLZozed and the *.vlf packages>

With both WAYLAND_DISPLAY and an X display the program runs on XWayland. Weston places the windows
of X clients itself, wherever it likes, so the notes do not appear where they were stored; their
stored places must survive the session all the same. Without an X display the program refuses to
start, with a message.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import DesktopTestCase, VirtualDesktop, read_lines  # noqa: E402
from notes_program import NotesProgram, program_folder_argument  # noqa: E402

PROGRAM_DIR = None
STORED_PLACES = [(123, 234), (500, 400)]


class WestonDesktop(VirtualDesktop):
    """weston --xwayland on its headless backend in place of Xvfb; no window manager of our own
    (weston is one) and no tray. Programs see the Wayland session and its X display."""

    SOCKET = "wayland-vlz-e2e"

    def __init__(self):
        super().__init__(window_manager=False, tray=False)
        self.runtime_dir = None

    def _start_x_server(self):
        self.runtime_dir = tempfile.mkdtemp(prefix="vlz-wayland-")
        log = os.path.join(self.runtime_dir, "weston.log")
        self.run(["weston", "--backend=headless-backend.so", "--xwayland",
                  f"--socket={self.SOCKET}", f"--width={self.width}", f"--height={self.height}",
                  "--idle-time=0", f"--log={log}"],
                 name="weston", with_display=False, env={"XDG_RUNTIME_DIR": self.runtime_dir})

        def listening():
            for line in read_lines(log):
                match = re.search(r"xserver listening on display (:\d+)", line)
                if match:
                    return match.group(1)
            return None

        self.display = self._wait(listening, 20, "weston did not offer an X display")
        # XWayland itself starts with its first client.
        self._wait(lambda: self._query(["xdpyinfo"], check=False).returncode == 0, 20,
                   "XWayland does not answer")

    def environment(self, extra=None):
        env = super().environment()
        env.pop("QT_QPA_PLATFORM", None)  # the program chooses, as in a user's session
        env["WAYLAND_DISPLAY"] = self.SOCKET
        env["XDG_RUNTIME_DIR"] = self.runtime_dir
        env.update(extra or {})
        return env

    def stop(self):
        super().stop()
        if self.runtime_dir:
            shutil.rmtree(self.runtime_dir, ignore_errors=True)


class WaylandSessionTest(DesktopTestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = WestonDesktop()
        cls.desktop.start()

    def setUp(self):
        super().setUp()
        notes = [(str(number), {"Memo": f"note {number}", "WindowLeft": str(left),
                                "WindowTop": str(top)})
                 for number, (left, top) in enumerate(STORED_PLACES)]
        self.program = NotesProgram(self.desktop, PROGRAM_DIR, notes=notes,
                                    preferences=[("System", {"BootCount": "3"})])

    def tearDown(self):
        self.program.remove()

    def test_places_the_compositor_chose_are_not_written_back(self):
        self.program.start()
        shown = self.program.wait_for_notes(len(STORED_PLACES))
        self.assertEqual(self.program.stop(), 0)
        saved = self.program.sections("VLZozed.ini")
        self.assertEqual([(int(keys["WindowLeft"]), int(keys["WindowTop"]))
                          for keys in saved.values()], STORED_PLACES,
                         f"the notes were shown at {[(note.x, note.y) for note in shown]}")

    def test_without_an_x_display_it_says_so_and_ends_with_status_1(self):
        environment = self.desktop.environment()
        del environment["DISPLAY"]
        before = sorted(os.listdir(self.program.path))
        result = subprocess.run([self.program.executable], env=environment, capture_output=True,
                                timeout=60)
        self.assertEqual(result.returncode, 1)
        self.assertIn("no X display", result.stderr.decode())
        self.assertEqual(sorted(os.listdir(self.program.path)), before)


if __name__ == "__main__":
    PROGRAM_DIR = program_folder_argument(__doc__)
    unittest.main(verbosity=2)
