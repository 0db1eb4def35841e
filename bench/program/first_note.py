"""Time from starting a notes program to its first note on the screen (its window mapped by the
window manager), on a virtual desktop (Xvfb + openbox + trayer), for VLZozed and its peers in
one run, starts of each taking turns.

Usage: first_note.py [--app DIR] [--build DIR] [--repetitions N] [--notes N] [--json]
                     [--programs vlzozed,xpad,naive]

Besides the time, the CPU time the program has used by the moment its first note is mapped: on
a busy machine the time stretches with waiting for a processor, the CPU time much less.

Each program starts once first, untimed, so that its files exist and the system's caches hold
what it reads; then every timed start opens the notes that the previous one saved.
"""

import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
from desktop import VirtualDesktop  # noqa: E402
from programs import run_benchmark, session_bus  # noqa: E402
from xmap import MapWatcher  # noqa: E402


def cpu_seconds(pid):
    """CPU time of the process so far, threads that have ended included (in clock ticks, 10 ms
    apart: a figure to be averaged over many starts)."""
    with open(f"/proc/{pid}/stat") as file:
        fields = file.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def start_until_first_note(desktop, program, run, bus):
    """(seconds from starting the program to its first note mapped, CPU seconds the program had
    used by then); the program is stopped. On a busy machine the first is stretched by waiting
    for the processor; the second is what the start-up itself costs."""
    with MapWatcher(desktop.display) as watcher:
        started = time.monotonic()
        process = desktop.run(run.command, name=program.name.replace(" ", "_"),
                              env=dict(run.environment, **bus))
        window = watcher.wait(program.is_note, timeout=30)
        cpu = cpu_seconds(process.pid)
    desktop.stop_process(process)
    if window is None:
        raise RuntimeError(f"{program.name} showed no note: {desktop.log_of(process)}")
    return window.mapped_at - started, cpu


def measure(programs, repetitions, notes):
    """{program: {"first_note": [ms], "first_note_cpu": [ms]}}"""
    samples = {program.name: {"first_note": [], "first_note_cpu": []} for program in programs}
    with VirtualDesktop() as desktop, session_bus(desktop) as bus, \
            _prepared_all(programs, notes) as runs:
        for program in programs:
            start_until_first_note(desktop, program, runs[program.name], bus)  # warm-up
        for _ in range(repetitions):
            for program in programs:
                seconds, cpu = start_until_first_note(desktop, program, runs[program.name], bus)
                samples[program.name]["first_note"].append(seconds * 1000)
                samples[program.name]["first_note_cpu"].append(cpu * 1000)
    return samples


class _prepared_all:
    def __init__(self, programs, notes):
        self.contexts = [(program.name, program.prepared(notes)) for program in programs]

    def __enter__(self):
        return {name: context.__enter__() for name, context in self.contexts}

    def __exit__(self, *exc_info):
        for _, context in reversed(self.contexts):
            context.__exit__(*exc_info)
        return False


def add_options(parser):
    parser.add_argument("--repetitions", type=int, default=10)
    parser.add_argument("--notes", type=int, default=1)


def report(name, figures, arguments):
    wall, cpu = figures["first_note"], figures["first_note_cpu"]
    print(f"{name}: first note after {statistics.median(wall):.1f} ms "
          f"(min {min(wall):.1f}, max {max(wall):.1f}, {len(wall)} starts), "
          f"{statistics.mean(cpu):.1f} ms of CPU by then (mean)")


if __name__ == "__main__":
    sys.exit(run_benchmark(
        __doc__, "vlzozed,xpad", add_options,
        lambda programs, arguments: measure(programs, arguments.repetitions, arguments.notes),
        report))
