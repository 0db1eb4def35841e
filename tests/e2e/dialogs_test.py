"""End-to-end tests of the properties and settings dialogs in the real program, on a virtual
desktop (Xvfb + openbox + trayer).

Usage: dialogs_test.py <folder holding VLZozed and the *.vlf packages>

Each test copies the program and its packages into a fresh temporary folder, starts it there,
drives the dialogs with xdotool (the keyboard, as a user would) and reads what the program saved.
"""

import os
import shutil
import subprocess
import tempfile
import time

from program import CHARACTER_BOX, ProgramTestCase, main

# How many pictures of a character box to take, and how far apart: the bundled characters change
# their frame within this time.
CHARACTER_SHOTS = 6
CHARACTER_SHOT_INTERVAL = 0.15

# The middles of the About box's 開く and OK buttons, in the box's own coordinates.
ABOUT_OPEN_BUTTON = (272 + 22, 65 + 8)
ABOUT_OK_BUTTON = (252 + 37, 124 + 12)


class DialogsEndToEndTest(ProgramTestCase):
    def saved_character(self):
        return dict(self.note_sections())["0"]["Character"]

    def character_frames(self, note, shots=CHARACTER_SHOTS):
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
            time.sleep(CHARACTER_SHOT_INTERVAL)
        return frames

    def character_picture(self, note):
        return next(iter(self.character_frames(note, shots=1)))

    def test_properties_give_the_note_another_character_that_the_next_save_writes(self):
        self.start()
        self.assertEqual(self.exit_program(), 0)
        first = self.saved_character()

        self.start()
        note = self.notes()[0]
        before = self.character_frames(note)
        self.open_note_menu(note)
        self.choose("p")  # "プロパティ(&P)"
        dialog = self.wait_for_dialog("付箋のプロパティ")
        # The character list (12, 84 in its group box at 12, 8) takes the focus with a click that
        # opens it; Escape closes it again, and Down picks the next character.
        self.desktop.click(dialog.x + 24 + 48, dialog.y + 92 + 10)
        self.wait_for_menu()
        self.choose("Escape")
        self.desktop.key("Down")
        self.desktop.key("Return")  # OK is the default button
        self.wait_until_gone("付箋のプロパティ")

        # The note shows the new character once it has repainted.
        note = self.notes()[0]
        self.desktop.wait_until(lambda: self.character_picture(note) not in before, 10,
                                "the note still shows its old character")
        after = self.character_frames(note)
        self.assertTrue(after.isdisjoint(before), "the note still shows its old character")
        self.assertGreater(len(after), 1, "the new character does not animate")

        self.assertEqual(self.exit_program(), 0)
        second = self.saved_character()
        self.assertTrue(second, "no character name saved")
        self.assertNotEqual(second, first)

    def test_settings_second_item_makes_the_left_tray_button_hide_and_restore(self):
        self.start()
        self.menu_command("c")  # "環境設定(&C)..."
        dialog = self.wait_for_dialog("設定")
        # "&2. [左]:隠す/復元, [右]:メニュー", the second radio item, then OK (64, 88).
        self.desktop.click(dialog.x + 12 + 8 + 10, dialog.y + 12 + 38 + 10)
        self.desktop.click(dialog.x + 64 + 38, dialog.y + 88 + 10)
        self.wait_until_gone("設定")

        self.click_tray(1)
        self.wait_for_notes(0)
        self.click_tray(1)
        self.wait_for_notes(1)
        # The right button now opens the menu.
        self.assertEqual(self.exit_program(button=3), 0)
        self.assertEqual(self.preferences()["Interface"]["MouseButtonMode"], "1")

    def test_the_about_box_opens_its_address_in_the_environment_the_program_was_given(self):
        # A stand-in for the desktop's opener, first on the path, notes what it was given.
        opener = tempfile.mkdtemp(prefix="vlz-opener-")
        self.addCleanup(shutil.rmtree, opener, True)
        record = os.path.join(opener, "record")
        script = os.path.join(opener, "xdg-open")
        with open(script, "w") as file:
            file.write("#!/bin/sh\n"
                       f'{{ printf "%s\\n" "$@"; env; }} > "{record}.part"\n'
                       f'mv "{record}.part" "{record}"\n')
        os.chmod(script, 0o755)
        # No platform chosen and no session bus: the program picks both for itself alone.
        self.start(env={"PATH": opener + os.pathsep + os.environ["PATH"], "QT_QPA_PLATFORM": ""})
        self.menu_command("a")
        about = self.wait_for_dialog("Velloric付箋について")
        self.desktop.click(about.x + ABOUT_OPEN_BUTTON[0], about.y + ABOUT_OPEN_BUTTON[1])
        self.desktop.wait_until(lambda: os.path.exists(record), 20, "the opener was not run")

        with open(record, encoding="utf-8") as file:
            address, *variables = file.read().splitlines()
        environment = dict(line.split("=", 1) for line in variables if "=" in line)
        self.assertEqual(address, "http://vlzozed.example.org/")
        self.assertEqual(environment.get("QT_QPA_PLATFORM"), "")
        self.assertNotIn("DBUS_SESSION_BUS_ADDRESS", environment)
        self.assertNotIn("QT_XCB_NO_MITSHM", environment)
        self.assertEqual(environment.get("DISPLAY"), self.desktop.display)

        # Enter would press 開く again, the button with the focus: OK is clicked.
        self.desktop.click(about.x + ABOUT_OK_BUTTON[0], about.y + ABOUT_OK_BUTTON[1])
        self.wait_until_gone("Velloric付箋について")
        self.assertEqual(self.exit_program(), 0)


if __name__ == "__main__":
    main(__doc__)
