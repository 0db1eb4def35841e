"""End-to-end tests of what a user of the program sees first, on a virtual desktop (Xvfb + openbox +
trayer): the titles of every window and message box as the window manager reads them, the About
box's keys, the character box before its first frame, and packages that cannot be read.

Usage: exact_test.py <folder holding VLZozed and the *.vlf packages>

Each test runs the program in a fresh program folder of its own. Nothing waits a fixed time: every
step waits, up to a deadline, for the window or the state it needs.
"""

import os
import shutil
import signal
import stat
import tempfile
import time

from desktop import DesktopError
from program import (CHARACTER_BOX, FRAME_POINT, TITLE, WINDOW_CLASS, ProgramTestCase, main,
                     read_ini, write_ini)
from text_bytes_test import package_entries, write_package

DEADLINE = 30  # seconds; the sanitizer build starts slowly

# The frame picture's colours under the character box.
FACE = (222, 158, 82)
STRIPE_DARK = (173, 125, 66)
STRIPE_LIGHT = (239, 195, 148)


def frame_picture_under_box(x, y):
    """The frame picture's colour at (x, y) of a note, for a point of the character box: stripes
    from row 14 on, every fourth row dark and the row below it light, within x 13..79, y 14..99."""
    if 13 <= x <= 79 and 14 <= y <= 99:
        return {0: STRIPE_DARK, 1: STRIPE_LIGHT}.get((y - 14) % 4, FACE)
    return FACE


class Screen:
    """A screenshot of the whole display, read from ImageMagick's binary PPM."""

    def __init__(self, desktop):
        path = os.path.join(desktop.log_dir, "screen.ppm")
        desktop._query(["import", "-window", "root", "-depth", "8", path])
        with open(path, "rb") as file:
            data = file.read()
        fields = []
        at = 0
        while len(fields) < 4:  # P6, width, height, maximum
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]

    def pixel(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])


class ExactEndToEndTest(ProgramTestCase):
    # ---- the program ----

    def launch(self, env=None):
        """Starts the program without waiting for anything: some starts show boxes first."""
        self.program = self.run_program([self.folder.executable], name="VLZozed", env=env)
        return self.program

    def output(self):
        return self.desktop.log_of(self.program) if self.program else ""

    def stop_with_sigterm(self):
        """Ends the program as the session does; it saves first."""
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(DEADLINE), 0)

    def wait(self, condition, message):
        return self.desktop.wait_until(condition, DEADLINE, message)

    # ---- windows ----

    def xprop(self, *args):
        return self.desktop._query(["xprop", *args], check=False).stdout.decode()

    def client_windows(self):
        """The program's windows that the window manager manages (tray icons and menus are not)."""
        listed = self.xprop("-root", "_NET_CLIENT_LIST")
        ids = [int(word.rstrip(","), 16) for word in listed.split() if word.startswith("0x")]
        return [window for window in ids if '"VLZozed"' in self.xprop("-id", str(window),
                                                                      "WM_CLASS")]

    def titles(self, window):
        """(_NET_WM_NAME, WM_NAME) of a window, each as (type, text), from their bytes."""
        result = []
        for name in ("_NET_WM_NAME", "WM_NAME"):
            line = self.xprop("-id", str(window), "-f", name, "8c", name).strip()
            if "not found" in line or "(" not in line:
                result.append((None, None))
                continue
            kind = line[line.index("(") + 1:line.index(")")]
            numbers = line.split("=", 1)[1].replace(",", " ").split() if "=" in line else []
            result.append((kind, bytes(int(number) for number in numbers).decode("utf-8")))
        return tuple(result)

    def assert_titled(self, window, title):
        self.assertEqual(self.titles(window),
                         (("UTF8_STRING", title), ("UTF8_STRING", title)), f"window {window:#x}")

    def note_ids(self):
        return [note.id for note in self.notes()]

    def wait_for_note_ids(self, count):
        return [note.id for note in self.wait_for_notes(count, DEADLINE)]

    def wait_for_titled(self, title):
        """The first managed window of the program with this title."""
        def find():
            for window in self.client_windows():
                if self.titles(window)[0] == ("UTF8_STRING", title):
                    return window
            return None
        return self.wait(find, f"no window titled {title!r}")

    def wait_gone(self, window):
        self.wait(lambda: window not in self.client_windows(), f"window {window:#x} stays")

    def assert_stays(self, window, seconds):
        """The window is still there at every look for the given time (what did not happen can
        only be watched for a while)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.assertIn(window, self.client_windows(), f"window {window:#x} went away")

    def press_in(self, window, key):
        """Activates the window and presses a key there."""
        self.desktop.xdotool("windowactivate", "--sync", window)
        self.desktop.key(key)

    def note_menu(self, note, *keys):
        """Opens a note's menu with the right button and chooses items by their mnemonics."""
        geometry = self.desktop.window(note)
        # A click that comes while a dialog's modal loop is still ending opens nothing, so the
        # click is repeated; each time at the other of two places of the frame, neither of which
        # lies in the menu that the other one opens.
        places = [FRAME_POINT, (300, 8)]
        deadline = time.monotonic() + DEADLINE
        for attempt in range(1000):
            x, y = places[attempt % 2]
            self.desktop.click(geometry.x + x, geometry.y + y, button=3)
            try:
                self.desktop.wait_for_popup_menu(WINDOW_CLASS, timeout=3)
                break
            except DesktopError:
                if time.monotonic() > deadline:
                    self.fail("the note's menu did not open")
        for key in keys:
            self.desktop.key(key)

    def answer_boxes(self, until):
        """Answers every box the program shows with Enter until `until()` holds; the titles of the
        boxes, in order."""
        seen = []
        answered = set()
        while True:
            if until():
                return seen
            box = self.wait(lambda: until() or next(
                (window for window in self.client_windows()
                 if window not in answered and window not in self.note_ids()), None),
                "no box and no end")
            if box is True:
                return seen
            net_name, name = self.titles(box)
            self.assertEqual(net_name, name, "the two titles of one box differ")
            seen.append(net_name[1])
            answered.add(box)
            self.press_in(box, "Return")
            self.wait_gone(box)

    # ---- tests ----

    def test_every_window_and_box_shows_its_own_title(self):
        self.launch()
        [note] = self.wait_for_note_ids(1)
        self.assert_titled(note, TITLE)

        self.note_menu(note, "p")
        properties = self.wait_for_titled("付箋のプロパティ")
        self.assert_titled(properties, "付箋のプロパティ")
        self.press_in(properties, "Escape")  # its cancel button
        self.wait_gone(properties)

        self.note_menu(note, "s", "c")
        settings = self.wait_for_titled("設定")
        self.assert_titled(settings, "設定")
        self.press_in(settings, "Escape")
        self.wait_gone(settings)

        self.note_menu(note, "d")
        confirmation = self.wait_for_titled("削除の確認")
        self.assert_titled(confirmation, "削除の確認")
        self.press_in(confirmation, "Escape")
        self.wait_gone(confirmation)

        self.note_menu(note, "a")
        about = self.wait_for_titled("Velloric付箋について")
        self.assert_titled(about, "Velloric付箋について")
        # No button of the About box is its cancel button: Escape leaves it open; Enter presses OK.
        self.press_in(about, "Escape")
        self.assert_stays(about, seconds=1.5)
        self.press_in(about, "Return")
        self.wait_gone(about)

        self.assertEqual(self.note_ids(), [note], "every answer left the note in place")
        self.stop_with_sigterm()

    def test_a_box_with_an_empty_caption_and_the_atom_error_keep_their_titles(self):
        # A runtime folder in which the atom table cannot be made: "cannot register atom" with
        # the caption "Error", and the program runs on.
        runtime = tempfile.mkdtemp(prefix="vlz-runtime-")
        os.chmod(runtime, stat.S_IRWXU)
        with open(os.path.join(runtime, "vlz-atoms"), "w"):
            pass
        self.addCleanup(shutil.rmtree, runtime, True)
        # A package without a description: "FileOpenError: desc.txt" with an empty caption.
        signature, entries = package_entries(self.folder.file("Tobble.vlf"))
        write_package(self.folder.file("Plain.vlf"), signature,
                      [(name, data) for name, data in entries if name.lower() != b"desc.txt"])
        self.launch(env={"XDG_RUNTIME_DIR": runtime})
        titles = self.answer_boxes(until=lambda: bool(self.note_ids()))
        self.assertEqual(titles, ["Error", "", "エラー"])
        self.stop_with_sigterm()

    def test_unreadable_packages_are_shown_left_out_and_the_rest_start(self):
        with open(self.folder.file("Tobble.vlf"), "rb") as file:
            whole = file.read()
        packages = sorted(name for name in os.listdir(self.folder.path) if name.endswith(".vlf"))
        for name in packages:
            if name != "Tobble.vlf":
                os.remove(self.folder.file(name))
        with open(self.folder.file("cut.vlf"), "wb") as file:  # a download cut short
            file.write(whole[:15 + 2 * 264 + 20])
        open(self.folder.file("empty.vlf"), "wb").close()
        os.symlink(self.folder.file("nowhere.bin"), self.folder.file("dangling.vlf"))
        os.mkdir(self.folder.file("folder.vlf"))
        # Kerro may be the cut-short package: its note and the default keep their character.
        write_ini(self.folder.file("VLZozed.ini"), [
            ("0", {"Memo": "kerro", "WindowLeft": "100", "WindowTop": "100",
                   "Character": "Kerro"}),
            ("1", {"Memo": "tobble", "WindowLeft": "100", "WindowTop": "350",
                   "Character": "Tobble"}),
        ])
        write_ini(self.folder.file("VLZozed_pref.ini"), [
            ("System", {"BootCount": "2"}), ("DefaultZozedProperty", {"Character": "Kerro"})])

        self.launch()
        titles = self.answer_boxes(until=lambda: bool(self.note_ids()))
        # Each unreadable package: the reader's and the loader's boxes as they come, then the
        # error in a box of the program's own; the folder shows nothing.
        expected = {"cut.vlf": [TITLE],
                    "empty.vlf": ["TReadPackageFile.OpenStream", "", "エラー", TITLE],
                    "dangling.vlf": ["", "エラー", TITLE]}
        self.assertCountEqual(titles, sum(expected.values(), []))
        self.assertEqual(titles.count(TITLE), 3)
        for name in expected:
            self.assertIn(self.folder.file(name) + ": ", self.output())
        self.assertNotIn("folder.vlf", self.output())

        self.wait_for_note_ids(2)
        self.stop_with_sigterm()
        saved = read_ini(self.folder.file("VLZozed.ini"))
        self.assertEqual([keys["Character"] for _, keys in saved], ["Kerro", "Tobble"])
        self.assertEqual(self.preferences()["DefaultZozedProperty"]["Character"], "Kerro")
        self.assertEqual(self.preferences()["System"]["BootCount"], "3")

    def test_without_a_readable_package_the_program_ends_and_writes_nothing(self):
        for name in os.listdir(self.folder.path):
            if name.endswith(".vlf"):
                os.remove(self.folder.file(name))
        open(self.folder.file("empty.vlf"), "wb").close()
        os.mkdir(self.folder.file("folder.vlf"))
        self.launch()
        titles = self.answer_boxes(until=lambda: self.program.poll() is not None)
        self.assertEqual(titles, ["TReadPackageFile.OpenStream", "", "エラー", TITLE, TITLE])
        self.assertEqual(self.wait_for_exit(DEADLINE), 0)
        self.assertEqual(sorted(os.listdir(self.folder.path)),
                         ["VLZozed", "empty.vlf", "folder.vlf"])

    def test_the_character_box_shows_the_frame_picture_until_the_first_frame(self):
        # "Still" never gets a frame: its interval is 0.
        signature, entries = package_entries(self.folder.file("Tobble.vlf"))
        still = []
        for name, data in entries:
            if name.lower() == b"desc.txt":
                lines = [b"Name=Still" if line.lower().startswith(b"name=") else
                         b"AnimationInterval=0" if line.lower().startswith(b"animationinterval=")
                         else line for line in data.split(b"\r\n")]
                data = b"\r\n".join(lines)
            still.append((name, data))
        write_package(self.folder.file("Still.vlf"), signature, still)
        write_ini(self.folder.file("VLZozed.ini"), [
            ("0", {"Memo": "still", "WindowLeft": "100", "WindowTop": "100",
                   "Character": "Still"}),
            ("1", {"Memo": "moving", "WindowLeft": "100", "WindowTop": "350",
                   "Character": "Tobble"}),
        ])
        write_ini(self.folder.file("VLZozed_pref.ini"), [("System", {"BootCount": "2"})])
        self.launch()
        self.wait_for_note_ids(2)

        def box_pixels(top):
            screen = Screen(self.desktop)
            left, box_top, width, height = CHARACTER_BOX
            return {(x, y): screen.pixel(100 + x, top + y)
                    for y in range(box_top, box_top + height)
                    for x in range(left, left + width)}

        def unlike_frame(pixels):
            return [point for point, colour in pixels.items()
                    if colour != frame_picture_under_box(*point)]

        # The moving character shows on the screenshot once its first frame is drawn...
        self.wait(lambda: unlike_frame(box_pixels(350)), "Tobble never appeared")
        # ...while the still one's box shows the frame picture, pixel for pixel.
        self.assertEqual(unlike_frame(box_pixels(100)), [])
        self.stop_with_sigterm()


if __name__ == "__main__":
    main(__doc__)
