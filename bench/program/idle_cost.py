"""What a notes program costs the desktop while nobody uses it, on a virtual desktop (Xvfb +
openbox + trayer): with N notes on the screen, its share of one core (CPU time of all its
threads, from /proc/<pid>/task/*/schedstat) and its wake-ups per second (context switches of all
its threads) over a quiet period, the X server's share over the same period, its resident memory
(VmRSS) and, of that, its private memory (RssAnon: what it does not share with the files it maps,
libraries and fonts). For VLZozed also the wake-ups per second while every note is hidden by the
tray icon's hide button.

Usage: idle_cost.py [--build DIR] [--app DIR] [--notes N] [--seconds S] [--repetitions R]
                    [--programs vlzozed,naive,xpad] [--json]

Programs take turns, R times; each figure is the median over the repetitions.
"""

import glob
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tests", "e2e"))
from desktop import VirtualDesktop  # noqa: E402
from programs import run_benchmark  # noqa: E402
from xmap import MapWatcher  # noqa: E402

SETTLE_SECONDS = 3  # start-up work and the first paints are not the idle cost
# Qt ends the helper threads that start-up used once they have been idle for 30 s; each wakes
# once to end. The hidden notes' quiet period starts after that.
HELPERS_GONE_SECONDS = 32


class Desktop(VirtualDesktop):
    def server_pid(self):
        """The X server's process id, whose work for the program counts too."""
        return next(process.pid for name, process in self.started_since(0) if name == "Xvfb")


def counters(pid):
    """{thread id: (CPU seconds, context switches)} of the process's threads."""
    threads = {}
    for task in glob.glob(f"/proc/{pid}/task/*"):
        try:
            with open(f"{task}/schedstat") as file:
                cpu = int(file.read().split()[0]) / 1e9
            switches = 0
            with open(f"{task}/status") as file:
                for line in file:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        switches += int(line.split()[1])
            threads[os.path.basename(task)] = (cpu, switches)
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return threads


def difference(before, after):
    """(CPU seconds, context switches) between two counters() of one process; a thread that
    ended in between counts up to its last reading, one that started counts from nothing."""
    cpu = switches = 0
    for thread in before.keys() | after.keys():
        start = before.get(thread, (0.0, 0))
        end = after.get(thread, start)
        cpu += end[0] - start[0]
        switches += end[1] - start[1]
    return cpu, switches


def memory_mb(pid, field="VmRSS"):
    """A memory figure of /proc/<pid>/status (VmRSS, RssAnon, ...) in MB."""
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            if line.startswith(f"{field}:"):
                return int(line.split()[1]) / 1024
    return 0.0


def quiet_period(pid, seconds, server_pid=None):
    """(share of one core in %, wake-ups per second, the X server's share of one core in %)
    over `seconds`."""
    before = counters(pid)
    server_before = counters(server_pid) if server_pid else {}
    started = time.monotonic()
    time.sleep(seconds)
    cpu, switches = difference(before, counters(pid))
    server_cpu = difference(server_before, counters(server_pid))[0] if server_pid else 0.0
    elapsed = time.monotonic() - started
    return 100 * cpu / elapsed, switches / elapsed, 100 * server_cpu / elapsed


def hide_all_notes(desktop, program):
    """Presses the VLZozed tray icon's hide button (the right one, as the program starts) and
    waits until no note is on the screen."""
    icon = desktop.wait_for_tray_icon(class_name="VLZozed")
    desktop.click_window(icon, button=3)
    desktop.wait_until(lambda: not any(
        program.is_note(desktop.window(window))
        for window in desktop.search_windows(class_name="VLZozed")), 10, "notes still shown")
    desktop.move_mouse(1, desktop.height - 1)  # the pointer away from the tray


def measure_once(desktop, program, notes, seconds):
    with program.prepared(notes) as run, MapWatcher(desktop.display) as watcher:
        started = time.monotonic()
        process = desktop.run(run.command, name=program.name.replace(" ", "_"),
                              env=run.environment)
        shown = 0
        deadline = time.monotonic() + 60
        while shown < notes:
            window = watcher.wait(program.is_note, max(0.1, deadline - time.monotonic()))
            if window is None:
                raise RuntimeError(f"{program.name}: {shown} of {notes} notes shown; "
                                   f"{desktop.log_of(process)}")
            shown += 1
        time.sleep(SETTLE_SECONDS)
        result = {}
        result["cpu"], result["wakeups"], result["server_cpu"] = quiet_period(
            process.pid, seconds, desktop.server_pid())
        result["rss"] = memory_mb(process.pid)
        result["private"] = memory_mb(process.pid, "RssAnon")
        if program.name == "VLZozed":
            hide_all_notes(desktop, program)
            time.sleep(max(1.0, started + HELPERS_GONE_SECONDS - time.monotonic()))
            _, result["hidden_wakeups"], _ = quiet_period(process.pid, seconds)
        desktop.stop_process(process)
    return result


def measure(programs, notes, seconds, repetitions):
    samples = {program.name: {} for program in programs}
    with Desktop() as desktop:
        for _ in range(repetitions):
            for program in programs:
                for key, value in measure_once(desktop, program, notes, seconds).items():
                    samples[program.name].setdefault(key, []).append(value)
    return samples


def add_options(parser):
    parser.add_argument("--notes", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=20)
    parser.add_argument("--repetitions", type=int, default=3)


def report(name, figures, arguments):
    line = (f"{name}, {arguments.notes} notes: CPU {statistics.median(figures['cpu']):.2f} % "
            f"of one core (X server {statistics.median(figures['server_cpu']):.2f} %), "
            f"{statistics.median(figures['wakeups']):.1f} wake-ups/s, "
            f"resident {statistics.median(figures['rss']):.1f} MB "
            f"(private {statistics.median(figures['private']):.1f} MB)")
    if "hidden_wakeups" in figures:
        line += f"; all hidden: {statistics.median(figures['hidden_wakeups']):.1f} wake-ups/s"
    print(line)


if __name__ == "__main__":
    sys.exit(run_benchmark(
        __doc__, "vlzozed,naive,xpad", add_options,
        lambda programs, arguments: measure(programs, arguments.notes, arguments.seconds,
                                            arguments.repetitions),
        report))
