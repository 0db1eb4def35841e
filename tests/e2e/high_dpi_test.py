"""End-to-end tests of the program on a screen scaled by 2, on a virtual desktop.

Usage: high_dpi_test.py <folder holding VLZozed and the *.vlf packages>

The scale comes once from QT_SCALE_FACTOR=2 and once from the X resources (Xft.dpi: 192, as a
desktop's settings write it). Either way a note is 640 x 220 device pixels; its frame picture and
its character are pixel art enlarged pixel for pixel (every 2 x 2 block one colour, and the
character box holds only the sprite's own colours over the frame's stripes); its memo text is
drawn at the screen's resolution, not enlarged; and the note file keeps logical pixels, so it
moves between screens of different scale unchanged. Set VLZ_SCREENSHOT_DIR to keep the picture
of the note (docs/high-dpi.png).
"""

import os
import re
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from desktop import VirtualDesktop  # noqa: E402
from notes_program import NotesProgram, program_folder_argument  # noqa: E402
from screen_picture import ScreenPicture, keep_screenshot  # noqa: E402

PROGRAM_DIR = None
SCALE = 2
STORED = (100, 80)
CHARACTER_ART = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources",
                             "characters", "Tobble", "art.txt")
# Logical rectangles within a note: the character box, and the memo's first two lines of text.
CHARACTER_BOX = (12, 12, 68, 89)
MEMO_TEXT = (92, 18, 200, 30)
# The frame picture behind the character box: its face and its two stripe colours.
FRAME_COLOURS = {(222, 158, 82), (173, 125, 66), (239, 195, 148)}
# How far the test drags the note, in device pixels.
DRAG = (60, 40)


def sprite_colours():
    """The colours of the character's pixel art, its transparent colour left out."""
    with open(CHARACTER_ART, encoding="utf-8") as art:
        colours = [bytes.fromhex(match.group(1)) for match in
                   (re.match(r"colour \S ([0-9A-Fa-f]{6})", line) for line in art) if match]
    return {tuple(colour) for colour in colours[1:]}


def uniform_blocks(rows):
    """The share of 2 x 2 blocks that are one colour."""
    blocks = uniform = 0
    for row in range(0, len(rows) - 1, 2):
        for column in range(0, len(rows[0]) - 1, 2):
            blocks += 1
            corners = {rows[row][column], rows[row][column + 1], rows[row + 1][column],
                       rows[row + 1][column + 1]}
            uniform += len(corners) == 1
    return uniform / blocks


class HighDpiTest(unittest.TestCase):
    def setUp(self):
        self.desktop = VirtualDesktop(width=1280, height=800)
        self.desktop.start()
        notes = [("0", {"Memo": "高解像度の付箋\\nHigh DPI 123", "WindowLeft": str(STORED[0]),
                        "WindowTop": str(STORED[1]), "Character": "Tobble"})]
        self.program = NotesProgram(self.desktop, PROGRAM_DIR, notes=notes,
                                    preferences=[("System", {"BootCount": "3"})], scale=SCALE)

    def tearDown(self):
        self.program.remove()
        self.desktop.stop()

    def check_scaled_note(self, environment=None, screenshot=None):
        self.program.start(env=environment)
        note, = self.program.wait_for_notes(1)
        self.assertEqual((note.x, note.y), (STORED[0] * SCALE, STORED[1] * SCALE))

        def device(rectangle):
            left, top, width, height = rectangle
            return (note.x + left * SCALE, note.y + top * SCALE, width * SCALE, height * SCALE)

        def character_drawn():
            # The frame picture shows through the box until the character's first frame.
            shot = ScreenPicture(self.desktop)
            colours = {colour for row in shot.area(*device(CHARACTER_BOX)) for colour in row}
            return shot if colours & sprite_colours() else None

        picture = self.desktop.wait_until(character_drawn, 10, "no character in the box")
        frame = picture.area(note.x, note.y, note.width, note.height)
        memo_left, memo_top = 91 * SCALE, 17 * SCALE
        outside_memo = [row[:memo_left] for row in frame] + [frame[row] for row in
                                                             range(memo_top)]
        self.assertEqual(uniform_blocks(outside_memo), 1.0, "the frame picture is not crisp")
        box = picture.area(*device(CHARACTER_BOX))
        self.assertEqual(uniform_blocks(box), 1.0, "the character box is not crisp")
        seen = {colour for row in box for colour in row}
        self.assertLessEqual(seen, sprite_colours() | FRAME_COLOURS)
        # Text drawn at the screen's resolution has edges finer than a logical pixel.
        text = picture.area(*device(MEMO_TEXT))
        self.assertLess(uniform_blocks(text), 0.95, "the memo text is enlarged, not drawn")
        if screenshot:
            keep_screenshot(self.desktop, screenshot,
                            f"{note.width + 40}x{note.height + 40}+{note.x - 20}+{note.y - 20}")
        return note

    def test_scale_factor_2_doubles_the_note_and_the_file_keeps_logical_pixels(self):
        note = self.check_scaled_note({"QT_SCALE_FACTOR": str(SCALE)}, "high-dpi.png")
        # Dragged by its frame picture, in device pixels.
        start = (note.x + 85 * SCALE, note.y + 60 * SCALE)
        self.desktop.press(*start, button=1)
        for step in range(1, 11):
            self.desktop.move_mouse(start[0] + DRAG[0] * step // 10,
                                    start[1] + DRAG[1] * step // 10)
        self.desktop.release(button=1)
        moved = self.desktop.wait_until(
            lambda: [found for found in self.program.notes() if (found.x, found.y) != (note.x,
                                                                                      note.y)],
            10, "the note did not move")[0]
        self.assertEqual(self.program.stop(), 0)
        saved = self.program.sections("VLZozed.ini")["0"]
        self.assertEqual((int(saved["WindowLeft"]), int(saved["WindowTop"])),
                         (moved.x // SCALE, moved.y // SCALE))

    def test_dots_per_inch_192_in_the_x_resources_scale_the_same(self):
        subprocess.run(["xrdb", "-merge"], input=b"Xft.dpi: 192\n", check=True,
                       env=self.desktop.environment())
        self.check_scaled_note()
        self.assertEqual(self.program.stop(), 0)
        saved = self.program.sections("VLZozed.ini")["0"]
        self.assertEqual((int(saved["WindowLeft"]), int(saved["WindowTop"])), STORED)


if __name__ == "__main__":
    PROGRAM_DIR = program_folder_argument(__doc__)
    unittest.main(verbosity=2)
