"""End-to-end tests of the real program on a virtual desktop (Xvfb + openbox + trayer).

Usage: program_test.py <folder holding VLZozed and the *.vlf packages>

Each test copies the program and its packages into a fresh temporary folder (the program keeps its
files beside its executable), starts it there, drives it with xdotool and reads the files it wrote.
"""

import os
import re
import signal

from program import (FRAME_POINT, NOTE_SIZE, TITLE, ProgramFolder, ProgramTestCase, main,
                     write_ini)

FIRST_LINE = re.compile(r"^\d{4}/\d{2}/\d{2}( \d{1,2}:\d{2}:\d{2})?$")


class ProgramEndToEndTest(ProgramTestCase):
    def test_first_start_shows_one_new_note_and_exit_saves_it(self):
        self.start()
        note = self.notes()[0]
        self.assertEqual((note.width, note.height), NOTE_SIZE)
        # No task-bar or pager entry for a note.
        state = self.desktop._query(["xprop", "-id", str(note.id), "_NET_WM_STATE"]).stdout.decode()
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", state)
        self.assertIn("_NET_WM_STATE_SKIP_PAGER", state)
        self.assertEqual(self.exit_program(), 0)

        sections = self.note_sections()
        self.assertEqual([name for name, _ in sections], ["0"])
        memo = sections[0][1]["Memo"].split("\\n")
        self.assertRegex(memo[0], FIRST_LINE)
        self.assertEqual(memo[1:], ["ここにメモを書き込めます."])
        self.assertEqual(self.preferences()["System"]["BootCount"], "1")

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
        # Mode 0: the right button hides and restores, the left one opens the menu.
        self.click_tray(3)
        self.wait_for_notes(0)
        self.click_tray(3)
        self.wait_for_notes(1)
        self.open_tray_menu(1)
        self.assertEqual(len(self.notes()), 1)
        self.choose("Escape")
        self.assertEqual(self.exit_program(), 0)

        write_ini(self.folder.file("VLZozed_pref.ini"),
                  [("Interface", {"MouseButtonMode": "1"}), ("System", {"BootCount": "4"})])
        self.start()
        self.click_tray(1)
        self.wait_for_notes(0)
        self.click_tray(1)
        self.wait_for_notes(1)
        self.assertEqual(self.exit_program(button=3), 0)

    def test_new_note_from_the_tray_menu_shows_hidden_notes(self):
        self.start()
        self.click_tray(3)
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
        grip = (note.x + FRAME_POINT[0], note.y + FRAME_POINT[1])
        moved = self.desktop.drag_window(note, grip, (150, 100))
        self.assertGreater(moved.x, 250)
        self.assertGreater(moved.y, 250)
        self.assertEqual(self.exit_program(), 0)
        keys = self.note_sections()[0][1]
        self.assertEqual((int(keys["WindowLeft"]), int(keys["WindowTop"])), (moved.x, moved.y))

    def delete_first_note(self, confirm):
        self.open_note_menu(self.notes()[0])
        self.choose("d")
        self.wait_for_dialog("削除の確認")
        if confirm:
            self.desktop.key("shift+Tab", "space")  # Cancel is the default button
        else:
            self.desktop.key("Return")
        self.wait_until_gone("削除の確認")

    def test_delete_asks_first_and_ok_removes_the_note_from_the_file(self):
        write_ini(self.folder.file("VLZozed.ini"), [
            ("0", {"Memo": "keep", "WindowLeft": "100", "WindowTop": "100"}),
            ("1", {"Memo": "drop", "WindowLeft": "100", "WindowTop": "400"}),
        ])
        write_ini(self.folder.file("VLZozed_pref.ini"), [("System", {"BootCount": "2"})])
        self.start(expected_notes=2)
        self.delete_first_note(confirm=False)
        self.assertEqual(len(self.notes()), 2)
        self.delete_first_note(confirm=True)
        self.wait_for_notes(1)
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(len(self.note_sections()), 1)

    def test_exit_and_sigterm_save_with_backup_rotation(self):
        self.start()
        self.assertEqual(self.exit_program(), 0)
        first = self.read_bytes("VLZozed.ini")
        self.assertFalse(os.path.exists(self.folder.file("VLZozed.bak")))

        self.start()
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertEqual(self.read_bytes("VLZozed.bak"), first)
        second = self.read_bytes("VLZozed.ini")

        self.start()
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(self.read_bytes("VLZozed.bk2"), first)
        self.assertEqual(self.read_bytes("VLZozed.bak"), second)
        self.assertEqual(self.preferences()["System"]["BootCount"], "3")

    def test_second_start_ends_at_once_and_touches_nothing(self):
        self.start()
        self.wait_until_saved()  # the first start's note
        before = self.folder.snapshot()
        second = self.run_program([self.folder.executable], name="second")
        self.assertEqual(self.wait_for_process(second), 0)
        self.assertEqual(self.folder.snapshot(), before)
        self.assertEqual(len(self.notes()), 1)
        self.assertEqual(self.exit_program(), 0)

    def test_no_package_shows_the_fatal_message_and_writes_nothing(self):
        self.use_folder(ProgramFolder(packages=False))
        self.start(expected_notes=0)
        self.wait_for_dialog(TITLE)
        self.desktop.key("Return")
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertEqual(sorted(os.listdir(self.folder.path)), ["VLZozed"])

    def test_a_listed_note_refuses_to_close(self):
        self.start()
        note = self.notes()[0]
        self.desktop.xdotool("windowactivate", "--sync", str(note.id))
        self.desktop.key("alt+F4")  # openbox's Close: WM_DELETE_WINDOW
        # Once openbox has sent the request, the program takes it before the click that follows:
        # when the tray menu opens, the close has been refused or carried out.
        self.desktop.sync_window_manager()
        self.open_tray_menu()
        self.assertEqual(len(self.notes()), 1)
        self.assertIsNone(self.program.poll())
        self.choose("x")
        self.assertEqual(self.wait_for_exit(), 0)


if __name__ == "__main__":
    main(__doc__)
