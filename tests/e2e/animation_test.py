"""End-to-end tests of the characters' animation on a virtual desktop (Xvfb + openbox + trayer).

Usage: animation_test.py <folder holding VLZozed and the *.vlf packages>

What the screen shows is read back from the X server: the character boxes change from frame to
frame, notes of one character show the same frame (they tick on one beat), and a note that was
out of view on another workspace animates again when it is back.
"""

import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from program import CHARACTER_BOX, ProgramTestCase, main, write_ini  # noqa: E402

PLACES = [(40, 60), (420, 60)]


class AnimationTest(ProgramTestCase):
    def setUp(self):
        super().setUp()
        write_ini(self.folder.file("VLZozed.ini"),
                  [(str(index), {"Memo": "animation", "WindowLeft": left, "WindowTop": top,
                                 "Character": "Tobble"})
                   for index, (left, top) in enumerate(PLACES)])
        write_ini(self.folder.file("VLZozed_pref.ini"),
                  [("System", {"BootCount": 5, "AutoBackupInterval": 0})])

    def tearDown(self):
        self.desktop.xdotool("set_desktop", 0)
        super().tearDown()

    def shown_notes(self):
        return sorted(self.wait_for_notes(len(PLACES)), key=lambda note: note.x)

    def boxes(self, notes):
        """The pixels of each note's character box, from one picture of the whole screen."""
        screen = subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"],
                                env=self.desktop.environment(), capture_output=True,
                                check=True, timeout=20).stdout
        left, top, width, height = CHARACTER_BOX
        stride = self.desktop.width * 3
        pictures = []
        for note in notes:
            x, y = note.x + left, note.y + top
            pictures.append(b"".join(
                screen[(y + row) * stride + x * 3:(y + row) * stride + (x + width) * 3]
                for row in range(height)))
        return pictures

    def wait_for_frames(self, notes, count, timeout=20):
        """Waits until the first note's box has shown `count` different pictures; returns the
        share of the screen pictures taken meanwhile in which both boxes were alike."""
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
        self.start(expected_notes=0)
        notes = self.shown_notes()
        shared = self.wait_for_frames(notes, 3)
        # A picture of the screen can fall between the two notes' paints of one beat.
        self.assertGreater(shared, 0.5, "notes of one character show the same frame")

        self.desktop.xdotool("set_desktop", 1)
        self.desktop.wait_until(lambda: not self.notes(), 10, "notes still shown")
        self.desktop.xdotool("set_desktop", 0)
        self.wait_for_frames(self.shown_notes(), 3)


if __name__ == "__main__":
    main(__doc__)
