"""A short scripted session of VLZozed on a private virtual desktop, with screenshots.

Usage: demo.py <program folder> <screenshot folder>

The program is copied with its packages into a fresh folder, so the session always starts as a
first start and leaves the build's own folder untouched.
"""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from desktop import VirtualDesktop  # noqa: E402

TITLE = "Velloric付箋"


def main(program_dir, shot_dir):
    os.makedirs(shot_dir, exist_ok=True)
    folder = tempfile.mkdtemp(prefix="vlzozed-demo-")
    shots = []
    try:
        shutil.copy2(os.path.join(program_dir, "VLZozed"), folder)
        for name in os.listdir(program_dir):
            if name.endswith(".vlf"):
                shutil.copy2(os.path.join(program_dir, name), folder)
        with VirtualDesktop() as desktop:
            def notes():
                found = []
                for window_id in desktop.search_windows(name=TITLE):
                    window = desktop.window(window_id)
                    if (window.width, window.height) == (320, 110):
                        found.append(window)
                return found

            def shot(name):
                path = os.path.abspath(os.path.join(shot_dir, name))
                desktop.screenshot(path)
                shots.append(path)

            def tray(button):
                time.sleep(0.7)
                desktop.click_window(desktop.wait_for_tray_icon(class_name="VLZozed", timeout=20),
                                     button=button)

            program = desktop.run([os.path.join(folder, "VLZozed")], name="VLZozed")
            desktop.wait_until(lambda: len(notes()) == 1, 30, "no note appeared")
            time.sleep(1.5)
            shot("1-first-start.png")

            tray(1)  # the menu
            time.sleep(0.6)
            shot("2-tray-menu.png")
            desktop.key("n")  # 新規付箋(&N)
            desktop.wait_until(lambda: len(notes()) == 2, 20, "no second note")
            time.sleep(1.0)

            note = notes()[-1]
            desktop.click(note.x + 200, note.y + 60)
            desktop.xdotool("type", "--delay", "40", "Hello from the demo")
            time.sleep(0.5)
            shot("3-second-note-typed.png")

            tray(3)  # hide
            desktop.wait_until(lambda: not notes() or None, 20, "the notes stayed")
            time.sleep(0.5)
            shot("4-hidden.png")
            tray(3)  # restore
            desktop.wait_until(lambda: len(notes()) == 2, 20, "the notes did not come back")
            time.sleep(0.8)
            shot("5-restored.png")

            tray(1)
            time.sleep(0.6)
            desktop.key("x")  # 終了(&X)
            status = program.wait(timeout=30)
            print(f"VLZozed ended with status {status}; it saved:")
            with open(os.path.join(folder, "VLZozed.ini"), "rb") as file:
                print(file.read().decode("cp932"))
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("Screenshots:")
    for path in shots:
        print("  " + path)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
