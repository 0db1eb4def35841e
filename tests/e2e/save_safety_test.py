"""End-to-end tests: what the user wrote is on the disk, whatever happens to the program.

A box left open at start-up past many auto-save periods changes no file; edits typed in bursts
survive a SIGKILL at any moment once the user has paused; a folder that refuses the save loses
nothing either, for root too, and its auto-saves tell the user once.

Usage: save_safety_test.py <folder holding VLZozed and the *.vlf packages>

The program must come from a build with VLZ_TEST_HOOKS, which lets VLZ_TEST_MINUTE_MS shorten the
auto-save timer's minute, counts those minutes on standard error, and says there when start-up is
over whether it left a change to save.
"""

import os
import random
import re
import shutil
import signal
import tempfile
import threading
import time

from program import NOTE_SIZE, TITLE, ProgramTestCase, main, read_ini, write_ini
from text_bytes_test import package_entries, write_package

# A point inside a note's memo.
MEMO_POINT = (196, 57)
# The promise: an edit is on the disk this long after the user's last key.
SAVED_WITHIN = 3.0
NOTE_KEYS = ["Memo", "WindowLeft", "WindowTop", "FontName", "FontSize", "FontColor",
             "FontCharSet", "FontStyleBold", "FontStyleItalic", "FontStyleUnderline",
             "FontStyleStrikeOut", "BGColor", "Character"]


class SaveSafetyTest(ProgramTestCase):
    def setUp(self):
        super().setUp()
        # Emergency copies go to a state folder of the test's own.
        self.state = tempfile.mkdtemp(prefix="vlzozed-e2e-state-")
        self.addCleanup(shutil.rmtree, self.state, True)

    def environment(self, **extra):
        return {"XDG_STATE_HOME": self.state, **extra}

    def store_notes(self, memos, boot_count=5, interval=5):
        write_ini(self.folder.file("VLZozed.ini"), [
            (str(number), {"Memo": memo, "WindowLeft": str(100 + 350 * number),
                           "WindowTop": "100", "Character": "Tobble"})
            for number, memo in enumerate(memos)])
        write_ini(self.folder.file("VLZozed_pref.ini"), [
            ("System", {"AutoBackupInterval": str(interval), "BootCount": str(boot_count)})])

    def stored_files(self):
        """Name → (mtime, bytes) of the files the program writes in its folder."""
        return {name: entry for name, entry in self.folder.snapshot().items()
                if name.startswith("VLZozed.") or name.startswith("VLZozed_")}

    def memos(self):
        return [keys["Memo"] for _, keys in self.note_sections()]

    def click_into_memo(self, note):
        self.desktop.click(note.x + MEMO_POINT[0], note.y + MEMO_POINT[1])
        self.desktop.key("ctrl+End")

    def type_text(self, text):
        self.desktop.xdotool("type", "--delay", "15", text)

    def open_box(self):
        """An open message box of the program: a window with its title that is no note."""
        return next((window for window in
                     self.desktop.existing_windows(self.desktop.search_windows(name=TITLE))
                     if (window.width, window.height) != NOTE_SIZE and window.viewable), None)

    def wait_for_box(self):
        return self.desktop.wait_until(self.open_box, 20, "no message box")

    def minutes_passed(self):
        """The program's shortened minutes counted so far (test builds count them)."""
        counted = re.findall(r"test hook: minute (\d+)\n", self.desktop.log_of(self.program))
        return int(counted[-1]) if counted else 0

    def wait_for_minutes(self, count):
        """Returns once `count` more of the program's minutes (auto-save ticks) have passed."""
        until = self.minutes_passed() + count
        self.desktop.wait_until(lambda: self.minutes_passed() >= until, 20,
                                f"the program did not count {count} more minutes")

    def emergency_copies(self):
        folder = os.path.join(self.state, "vlzozed")
        if not os.path.isdir(folder):
            return []
        return sorted((os.path.join(folder, name) for name in os.listdir(folder)),
                      key=os.path.getmtime)

    # ---- a box at start-up ----

    def test_a_start_up_box_left_open_past_many_auto_saves_changes_no_file(self):
        self.store_notes(["昨日のメモ", "二枚目"], interval=1)
        with open(self.folder.file("VLZozed.bak"), "wb") as file:
            file.write(b"first backup")
        with open(self.folder.file("VLZozed.bk2"), "wb") as file:
            file.write(b"second backup")
        # A package whose description lacks a key: it loads after a box that says so.
        signature, entries = package_entries(self.folder.file("Tobble.vlf"))
        entries = [(name, b"Name=Broken\r\nPatternWidth=32\r\n" if name.lower() == b"desc.txt"
                    else data) for name, data in entries]
        write_package(self.folder.file("Broken.vlf"), signature, entries)
        before = self.stored_files()

        # A minute of 100 ms: the box stays open for thirty of the timer's design interval.
        self.start(expected_notes=0, env=self.environment(VLZ_TEST_MINUTE_MS="100"))
        self.wait_for_dialog("エラー")
        self.wait_for_output("test hook: minute 30\n")
        self.assertEqual(self.stored_files(), before)
        self.assertEqual(self.emergency_copies(), [])

        self.desktop.key("Return")
        self.wait_for_notes(2)
        self.assertEqual(self.exit_program(), 0)
        self.assertEqual(self.memos(), ["昨日のメモ", "二枚目"])
        self.assertEqual(self.preferences()["System"]["BootCount"], "6")

    # ---- killed at any moment ----

    def test_bursts_of_typing_are_on_the_disk_when_the_program_is_killed(self):
        self.store_notes(["start"])
        rounds = random.Random(20261207)
        must_be_saved = []  # tokens whose burst ended more than SAVED_WITHIN before a kill
        typed = []
        for number in range(30):
            self.start(expected_notes=0, env=self.environment())
            note = self.wait_for_notes(1)[0]
            if number == 0:
                # Loading, showing and placing the note is no edit: nothing is written.
                stored = self.stored_files()
                self.assertIn("test hook: started, nothing to save",
                              self.wait_for_output("test hook: started"))
                self.assertEqual(self.stored_files(), stored)
            self.click_into_memo(note)
            killed = []
            kill_sent = threading.Event()
            program = self.program

            def kill():
                program.send_signal(signal.SIGKILL)
                killed.append(time.monotonic())
                kill_sent.set()

            # The kill comes at a random moment: in a burst, in a pause, in a save. Every other
            # round it comes late enough that some burst must be on the disk by then.
            delay = rounds.uniform(3.3, 4.8) if number % 2 else rounds.uniform(0.2, 2.5)
            killer = threading.Timer(delay, kill)
            killer.start()
            bursts = []  # (token, when its last key was sent)
            while program.poll() is None and not kill_sent.is_set():
                token = f"r{number}b{len(bursts)}"
                self.type_text(" " + token)
                bursts.append((token, time.monotonic()))
                typed.append(token)
                # The pause between bursts, which the kill may end.
                kill_sent.wait(rounds.uniform(0.1, 2.5))
            killer.join()
            self.wait_for_exit()
            must_be_saved += [token for token, ended in bursts
                              if killed[0] - ended > SAVED_WITHIN]

            # The file is whole, whatever the moment of the kill.
            data = self.read_bytes("VLZozed.ini")
            self.assertTrue(data.endswith(b"\r\n"), f"round {number}: {data[-40:]!r}")
            sections = self.note_sections()
            self.assertEqual([name for name, _ in sections], ["0"], f"round {number}")
            self.assertEqual(list(sections[0][1]), NOTE_KEYS, f"round {number}")
            words = sections[0][1]["Memo"].split()
            self.assertEqual(words[0], "start")
            missing = [token for token in must_be_saved if token not in words]
            self.assertEqual(missing, [], f"round {number}: lost after the kill")
            # Nothing but what was typed; a burst that the kill cut short counts in part.
            strange = [word for word in words[1:]
                       if not any(token.startswith(word) for token in typed)]
            self.assertEqual(strange, [], f"round {number}")
        self.assertGreater(len(must_be_saved), 10)

    # ---- a folder that refuses the save ----

    def read_only_program_folder(self):
        """The command that runs the program with its folder read-only, for root too: a mount
        namespace of its own where the folder is mounted read-only over itself."""
        return ["unshare", "--mount", "--propagation", "private", "--map-root-user", "sh", "-c",
                'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" "$0" && exec "$1"',
                self.folder.path]

    def test_a_folder_that_refuses_the_save_loses_nothing(self):
        self.store_notes(["before"])
        with open(self.folder.file("VLZozed.bak"), "wb") as file:
            file.write(b"first backup")
        before = self.stored_files()
        self.start(env=self.environment(), wrapper=self.read_only_program_folder())

        # The quick save after typing fails: the box says so once, and the notes are in a copy.
        self.click_into_memo(self.notes()[0])
        self.type_text(" after")
        self.wait_for_box()
        self.desktop.key("Return")
        self.desktop.wait_until(lambda: len(self.emergency_copies()) == 1, 10, "no copy")
        self.click_into_memo(self.notes()[0])
        self.type_text(" later")
        copy = self.emergency_copies()[0]
        self.desktop.wait_until(
            lambda: read_ini(copy)[0][1]["Memo"] == "before after later", 10,
            "the copy does not keep up with the typing")

        # Exit: the save fails, a box says so again, and the program stays; the notes stay in
        # the copy the user was told of.
        self.open_tray_menu()
        self.choose("x")
        self.wait_for_box()
        self.desktop.key("Return")
        self.assertIsNone(self.program.poll())
        self.assertEqual(self.emergency_copies(), [copy])

        # The end of the session: the notes are in that copy still, and the program ends.
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertIn("に書き込めません", self.desktop.log_of(self.program))
        self.assertEqual(self.emergency_copies(), [copy])
        self.assertEqual(read_ini(copy)[0][1]["Memo"], "before after later")
        self.assertEqual(self.stored_files(), before)

    def test_auto_saves_into_a_folder_that_refuses_them_tell_once(self):
        self.store_notes(["before"], interval=1)
        with open(self.folder.file("VLZozed.bak"), "wb") as file:
            file.write(b"first backup")
        before = self.stored_files()
        # A minute of 100 ms: an auto-save tick every tenth of a second.
        self.start(env=self.environment(VLZ_TEST_MINUTE_MS="100"),
                   wrapper=self.read_only_program_folder())
        self.wait_for_box()
        self.desktop.key("Return")
        self.desktop.wait_until(lambda: self.open_box() is None, 10, "the box stays")

        # Ten more ticks fail as the first did: no box, and the notes in the one copy.
        self.wait_for_minutes(10)
        copies = self.emergency_copies()
        self.assertEqual(len(copies), 1)
        self.assertIsNone(self.open_box())
        self.assertEqual(self.emergency_copies(), copies)
        self.assertEqual(read_ini(copies[0])[0][1]["Memo"], "before")

        # Exit tells again, and the end of the session ends the program.
        self.open_tray_menu()
        self.choose("x")
        self.wait_for_box()
        self.desktop.key("Return")
        self.assertIsNone(self.program.poll())
        self.program.send_signal(signal.SIGTERM)
        self.assertEqual(self.wait_for_exit(), 0)
        self.assertEqual(self.emergency_copies(), copies)
        self.assertEqual(self.stored_files(), before)


if __name__ == "__main__":
    main(__doc__)
