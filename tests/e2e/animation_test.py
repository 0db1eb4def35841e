"""End-to-end tests of the characters' animation on a virtual desktop (Xvfb + openbox + trayer).

Usage: animation_test.py <folder holding VLZozed and the *.vlf packages>

What the screen shows is read back from the X server: the character boxes change from frame to
frame, notes of one character show the same frame (they tick on one beat), and a note that was
out of view on another workspace animates again when it is back.
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
BOX = (12, 12, 68, 89)  # the character box within a note: left, top, width, height
PLACES = [(40, 60), (420, 60)]


class AnimationEndToEndTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = VirtualDesktop()
        cls.desktop.start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="vlzozed-e2e-")
        shutil.copy2(os.path.join(PROGRAM_DIR, "VLZozed"), self.folder)
        for name in os.listdir(PROGRAM_DIR):
            if name.endswith(".vlf"):
                shutil.copy2(os.path.join(PROGRAM_DIR, name), self.folder)
        lines = []
        for index, (left, top) in enumerate(PLACES):
            lines += [f"[{index}]", "Memo=animation", f"WindowLeft={left}", f"WindowTop={top}",
                      "Character=Tobble"]
        with open(os.path.join(self.folder, "VLZozed.ini"), "wb") as file:
            file.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
        with open(os.path.join(self.folder, "VLZozed_pref.ini"), "wb") as file:
            file.write(b"[System]\r\nBootCount=5\r\nAutoBackupInterval=0\r\n")
        self.program = self.desktop.run([os.path.join(self.folder, "VLZozed")], name="VLZozed")

    def tearDown(self):
        self.desktop.xdotool("set_desktop", 0)
        if self.program.poll() is None:
            self.desktop.stop_process(self.program)
        shutil.rmtree(self.folder, ignore_errors=True)

    def notes(self):
        windows = [self.desktop.window(window) for window in
                   self.desktop.search_windows(name=TITLE)]
        return sorted((window for window in windows
                       if (window.width, window.height) == NOTE_SIZE and window.viewable),
                      key=lambda window: window.x)

    def wait_for_notes(self, count):
        found = []

        def counted():
            found[:] = self.notes()
            return len(found) == count

        self.desktop.wait_until(counted, 20, f"expected {count} notes, saw {found}")
        return list(found)

    def boxes(self, notes):
        """The pixels of each note's character box, from one picture of the whole screen."""
        screen = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                env=self.desktop.environment(), capture_output=True,
                                check=True, timeout=20).stdout
        left, top, width, height = BOX
        stride = self.desktop.width * 3
        pictures = []
        for note in notes:
            x, y = note.x + left, note.y + top
            pictures.append(b"".join(
                screen[(y + row) * stride + x * 3:(y + row) * stride + (x + width) * 3]
                for row in range(height)))
        return pictures

    def wait_for_frames(self, notes, count, timeout=20):
        """Waits until the first note's box has shown `count` different pictures; returns how
        often both boxes showed the same picture among the pictures taken."""
        seen, same, taken = set(), 0, 0
        deadline = time.monotonic() + timeout
        while len(seen) < count:
            self.assertLess(time.monotonic(), deadline, f"{len(seen)} frames seen of {count}")
            pictures = self.boxes(notes)
            seen.add(pictures[0])
            same += pictures[0] == pictures[1]
            taken += 1
        return same / taken

    def test_notes_of_one_character_animate_together_and_again_after_another_workspace(self):
        notes = self.wait_for_notes(len(PLACES))
        shared = self.wait_for_frames(notes, 3)
        # A picture of the screen can fall between the two notes' paints of one beat.
        self.assertGreater(shared, 0.5, "notes of one character show the same frame")

        self.desktop.xdotool("set_desktop", 1)
        self.desktop.wait_until(lambda: not self.notes(), 10, "notes still shown")
        time.sleep(0.5)
        self.desktop.xdotool("set_desktop", 0)
        notes = self.wait_for_notes(len(PLACES))
        self.wait_for_frames(notes, 3)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    PROGRAM_DIR = sys.argv.pop(1)
    unittest.main()
