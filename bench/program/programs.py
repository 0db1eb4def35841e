"""The programs that the program benchmarks start on a virtual desktop: VLZozed itself and its
peers, each with a given number of notes and a way to tell its note windows from its other
windows.

    program = VLZozedProgram("build-release/app")
    with program.prepared(notes=20) as run:
        process = desktop.run(run.command, env=run.environment)
        ...

A peer that is not installed says so through `missing()`, and the benchmarks leave it out.
"""

import argparse
import contextlib
import json
import os
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))


@dataclass
class Run:
    command: list
    environment: dict = field(default_factory=dict)


class Program:
    name = ""

    def missing(self):
        """Why this program cannot run here, or None."""
        return None

    def is_note(self, window):
        """Whether a mapped window (xmap.MappedWindow) is one of the program's notes."""
        raise NotImplementedError

    @contextlib.contextmanager
    def prepared(self, notes):
        """A Run that starts the program with `notes` notes, in a folder of its own."""
        raise NotImplementedError


class VLZozedProgram(Program):
    """The program folder of a build: the executable and its character packages, copied into a
    temporary folder with a note file of `notes` notes spread over the characters."""

    name = "VLZozed"

    def __init__(self, program_dir):
        self.program_dir = program_dir

    def missing(self):
        executable = os.path.join(self.program_dir, "VLZozed")
        return None if os.path.exists(executable) else f"{executable} is not built"

    def is_note(self, window):
        return window.class_name == "VLZozed" and (window.width, window.height) == (320, 110)

    @contextlib.contextmanager
    def prepared(self, notes):
        folder = tempfile.mkdtemp(prefix="vlzozed-bench-")
        try:
            shutil.copy2(os.path.join(self.program_dir, "VLZozed"), folder)
            names = sorted(name for name in os.listdir(self.program_dir) if name.endswith(".vlf"))
            for name in names:
                shutil.copy2(os.path.join(self.program_dir, name), folder)
            lines = []
            for index in range(notes):
                character = os.path.splitext(names[index % len(names)])[0]
                lines += [f"[{index}]", f"Memo=note {index}", f"WindowLeft={(index % 3) * 330}",
                          f"WindowTop={(index // 3) * 112}", f"Character={character}"]
            with open(os.path.join(folder, "VLZozed.ini"), "wb") as file:
                file.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
            with open(os.path.join(folder, "VLZozed_pref.ini"), "wb") as file:
                file.write(b"[System]\r\nBootCount=5\r\nAutoBackupInterval=0\r\n")
            yield Run([os.path.join(folder, "VLZozed")])
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class NaiveQtNotes(Program):
    """bench/program/peer: what a Qt notes program written the obvious way does; each note
    animates its character with a timer of its own and repaints through Qt's usual path."""

    name = "naive Qt notes"

    def __init__(self, build_dir):
        self.executable = os.path.join(build_dir, "bench", "naive_qt_notes")

    def missing(self):
        return None if os.path.exists(self.executable) else f"{self.executable} is not built"

    def is_note(self, window):
        return window.class_name == "naive_qt_notes" and (window.width, window.height) == (320, 110)

    @contextlib.contextmanager
    def prepared(self, notes):
        yield Run([self.executable, str(notes)])


class Xpad(Program):
    """xpad (Debian package xpad), with a configuration folder of its own holding `notes` pads
    laid out as xpad writes them. xpad saves its pads as hidden when it is stopped, so it is
    started with --show."""

    name = "xpad"

    def missing(self):
        return None if shutil.which("xpad") else "xpad is not installed (apt-get install xpad)"

    def is_note(self, window):
        return window.class_name.lower() == "xpad" and window.width > 64 and window.height > 64

    @contextlib.contextmanager
    def prepared(self, notes):
        home = tempfile.mkdtemp(prefix="xpad-bench-")
        try:
            config = os.path.join(home, ".config")
            pads = os.path.join(config, "xpad")
            os.makedirs(pads)
            for index in range(notes):
                with open(os.path.join(pads, f"content-PAD{index:03}"), "w") as file:
                    file.write(f"note {index}")
                with open(os.path.join(pads, f"info-PAD{index:03}"), "w") as file:
                    file.write(f"width 320\nheight 110\nx {(index % 3) * 330}\n"
                               f"y {(index // 3) * 112}\nfollow_font 1\nfollow_color 1\n"
                               f"sticky 0\nhidden 0\ncontent content-PAD{index:03}\n")
            environment = {"HOME": home, "XDG_CONFIG_HOME": config,
                           "XDG_DATA_HOME": os.path.join(home, ".local", "share")}
            yield Run(["xpad", "--show"], environment)
        finally:
            shutil.rmtree(home, ignore_errors=True)


@contextlib.contextmanager
def session_bus(desktop):
    """{"DBUS_SESSION_BUS_ADDRESS": ...} of a D-Bus session bus of the desktop's own, as every
    desktop session has one. The test desktop hides the user's bus; without one, a program that
    asks for the session bus (Qt's tray does, to look for a StatusNotifierItem host) first tries
    to launch a bus for the display and waits for that, which no user with a session sees."""
    daemon = desktop.run(["dbus-daemon", "--session", "--nofork", "--print-address"],
                         name="dbus-daemon", stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        address = daemon.stdout.readline().decode().strip()
        if not address:
            raise RuntimeError("dbus-daemon gave no address")
        yield {"DBUS_SESSION_BUS_ADDRESS": address}
    finally:
        desktop.stop_process(daemon)
        daemon.stdout.close()


def add_program_arguments(parser, programs):
    """The command-line options every program benchmark takes; `programs` is the default list."""
    parser.add_argument("--build", default=os.path.join(ROOT, "build-release"))
    parser.add_argument("--app", help="program folder (default: BUILD/app)")
    parser.add_argument("--programs", default=programs,
                        help="comma-separated, of vlzozed, naive and xpad")
    parser.add_argument("--json", action="store_true", help="every sample as JSON")


def run_benchmark(description, programs, add_options, measure, report):
    """A program benchmark's main routine: the common options and the benchmark's own
    (`add_options(parser)`), then `measure(chosen programs, arguments)`, which gives
    {program name: {figure: [samples]}}, printed as JSON with --json and otherwise by
    `report(program name, figures, arguments)`. Returns the exit status."""
    parser = argparse.ArgumentParser(description=description.split("\n\n")[0])
    add_program_arguments(parser, programs)
    add_options(parser)
    arguments = parser.parse_args()
    samples = measure(chosen_programs(arguments), arguments)
    if arguments.json:
        print(json.dumps(samples))
    else:
        for name, figures in samples.items():
            report(name, figures, arguments)
    return 0


def chosen_programs(arguments):
    """The programs named by --programs that can run here; the others are named on stderr."""
    known = {"vlzozed": VLZozedProgram(arguments.app or os.path.join(arguments.build, "app")),
             "naive": NaiveQtNotes(arguments.build), "xpad": Xpad()}
    chosen = []
    for name in arguments.programs.split(","):
        program = known[name]
        reason = program.missing()
        if reason:
            print(f"leaving out {program.name}: {reason}", file=sys.stderr)
        else:
            chosen.append(program)
    return chosen
