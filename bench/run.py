#!/usr/bin/env python3
"""Runs the benchmarks that have a peer, each in the same run as its peer, and prints one table
row per measure: our figure, the peer's, the ratio and the goal.

    bench/run.py [--build DIR] [--repetitions N] [--program-repetitions N] [--only TEXT] [--list]

DIR is a Release build with the benchmarks (default: build-release beside this folder), made with

    cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLZ_BUILD_TESTS=OFF
    cmake --build build-release

The program's own rows (idle cost, memory, first note on screen) start VLZozed and its peers on
a private virtual desktop through the scripts of bench/program; the peers are the naive Qt notes
program built beside the benchmarks and xpad where it is installed (apt-get install xpad). Their
figures are medians over the program repetitions, the smallest in brackets.

Figures are the median over N repetitions, with the smallest in brackets. Repetitions of ours
and of the peer take turns (Google Benchmark's random interleaving), so that both see the same
load. Times are CPU time of the thread that runs the benchmark, which holds on a machine shared
with other work. libimagequant spreads its work over OpenMP threads and only the calling thread's
share is counted; OMP_NUM_THREADS=1 in the environment counts all of its work.

Each row of ROWS is one measure. A new kind of measurement (a script that starts the program,
for instance) is a new Source with its own samples(); a new kind of goal is a new Goal.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


class Source:
    """Where the samples of one side of a row come from."""

    unit = ""

    def samples(self, runner):
        raise NotImplementedError


@dataclass
class Benchmark(Source):
    """One Google Benchmark of a program in <build>/bench. Every benchmark of a program that the
    chosen rows need runs in one invocation of that program."""

    program: str
    name: str
    counter: str = ""  # a user counter instead of the CPU time
    scale: float = 1.0  # multiplies the figure into `unit`
    unit: str = "ms"

    def samples(self, runner):
        runs = runner.google_benchmark(self.program)[self.name]
        values = [run[self.counter] if self.counter else run["cpu_time"] for run in runs]
        return [value * self.scale for value in values]


@dataclass
class ProgramFigure(Source):
    """One figure of one program from a script of bench/program, which starts every program the
    chosen rows need in one run, taking turns."""

    script: str
    program: str  # the name the script reports the program under
    figure: str
    unit: str = ""
    mean: bool = False  # for coarse samples (clock ticks), the mean says more than the median

    def samples(self, runner):
        return runner.program_script(self.script).get(self.program, {}).get(self.figure, [])


PROGRAM_OPTIONS = {"VLZozed": "vlzozed", "naive Qt notes": "naive", "xpad": "xpad"}
# Starts per program repetition: a start until the first note is shown takes a fraction of a
# second, an idle measurement most of a minute.
STARTS_PER_REPETITION = {"idle_cost.py": 1, "first_note.py": 5}


class Goal:
    def judge(self, ours, peer):
        """Returns (ratio text, goal text, met) for the medians of both sides."""
        raise NotImplementedError


@dataclass
class TimesFaster(Goal):
    """Lower is better; ours must be at least `times` times lower than the peer's."""

    times: float

    def judge(self, ours, peer):
        ratio = peer / ours
        return f"{ratio:.1f}×", f"≥ {self.times:g}×", ratio >= self.times


@dataclass
class AtMost(Goal):
    """Lower is better; ours must stay at or below a limit. The ratio says how many times lower
    than the peer's it is."""

    limit: float
    unit: str

    def judge(self, ours, peer):
        ratio = f"{peer / ours:.1f}×" if peer is not None and ours > 0 else "—"
        return ratio, f"≤ {self.limit:g} {self.unit}", ours <= self.limit


class FewerIsBetter(Goal):
    """No goal of its own: a figure that shows where another one comes from."""

    def judge(self, ours, peer):
        ratio = f"{peer / ours:.1f}×" if peer is not None and ours > 0 else "—"
        return ratio, "—", None


@dataclass
class Row:
    measure: str
    ours: Source
    peer_name: str
    peer: Source
    goal: Goal


def reducer(colours, goal):
    ours = f"OurReducer/High{colours}_Ours"
    peer = f"Libimagequant/High{colours}_Libimagequant"
    # per_MP is seconds of CPU time per megapixel.
    return Row(
        f"high (exact) reducer, {colours} colours",
        Benchmark("dib_conversion_bench", ours, counter="per_MP", scale=1e3, unit="ms/MP"),
        "libimagequant speed 10",
        Benchmark("dib_conversion_bench", peer, counter="per_MP", scale=1e3, unit="ms/MP"),
        goal,
    )


def program_row(measure, script, name, unit, peer, goal, mean=False):
    """A row of the program's own figures: VLZozed's and, when `peer` is (program, what it
    had), the same figure of the peer from the same run of `script`."""
    peer_program, peer_load = peer or ("", "")
    return Row(
        measure,
        ProgramFigure(script, "VLZozed", name, unit, mean),
        f"{peer_program}, {peer_load}" if peer_load else peer_program,
        ProgramFigure(script, peer_program, name, unit, mean) if peer else None,
        goal,
    )


ROWS = [
    Row(
        "RLE8 encode, 4096² photo-like",
        Benchmark("dib_benchmarks", "EncodeRLE<8>/flat:0"),
        "libgd",
        Benchmark("dib_benchmarks", "GdWriteRLE8/flat:0"),
        TimesFaster(4),
    ),
    reducer(256, TimesFaster(6)),
    reducer(16, TimesFaster(5)),
    program_row("20 notes animating, share of one core", "idle_cost.py", "cpu", "%",
                ("naive Qt notes", "20 notes"), AtMost(0.8, "%")),
    program_row("wake-ups per second, 20 notes animating", "idle_cost.py", "wakeups", "/s",
                ("naive Qt notes", "20 notes"), FewerIsBetter()),
    program_row("wake-ups per second, all 20 notes hidden", "idle_cost.py", "hidden_wakeups",
                "/s", None, AtMost(0, "/s")),
    program_row("resident memory, 20 notes", "idle_cost.py", "rss", "MB", ("xpad", "20 pads"),
                AtMost(34, "MB")),
    program_row("private memory (not shared with files), 20 notes", "idle_cost.py", "private",
                "MB", ("xpad", "20 pads"), FewerIsBetter()),
    program_row("first note on screen after start (Xvfb)", "first_note.py", "first_note", "ms",
                ("xpad", ""), AtMost(40, "ms")),
    program_row("CPU used until the first note is on screen", "first_note.py", "first_note_cpu",
                "ms", ("xpad", ""), AtMost(40, "ms"), mean=True),
]


@dataclass
class Runner:
    build: Path
    repetitions: int
    program_repetitions: int = 3
    wanted: dict = field(default_factory=dict)  # program -> benchmark names
    results: dict = field(default_factory=dict)  # program -> name -> runs
    scripts: dict = field(default_factory=dict)  # script -> programs it is to start
    script_results: dict = field(default_factory=dict)  # script -> program -> figure -> samples

    def plan(self, rows):
        for row in rows:
            for source in (row.ours, row.peer):
                if isinstance(source, Benchmark):
                    self.wanted.setdefault(source.program, set()).add(source.name)
                elif isinstance(source, ProgramFigure):
                    self.scripts.setdefault(source.script, set()).add(source.program)

    def program_script(self, script):
        if script not in self.script_results:
            options = sorted(PROGRAM_OPTIONS[name] for name in self.scripts[script])
            command = [sys.executable, str(ROOT / "bench" / "program" / script),
                       f"--build={self.build}",
                       f"--repetitions={self.program_repetitions * STARTS_PER_REPETITION[script]}",
                       f"--programs={','.join(options)}", "--json"]
            print(f"running {script}: {', '.join(sorted(self.scripts[script]))}",
                  file=sys.stderr, flush=True)
            finished = subprocess.run(command, capture_output=True, text=True, check=False)
            if finished.returncode != 0:
                sys.exit(f"{script} failed:\n{finished.stderr}")
            results = json.loads(finished.stdout.strip().splitlines()[-1])
            for program in self.scripts[script]:
                if program not in results:
                    print(f"{program} was left out: see {script}", file=sys.stderr)
            self.script_results[script] = results
        return self.script_results[script]

    def google_benchmark(self, program):
        if program not in self.results:
            self.results[program] = self.run_program(program, sorted(self.wanted[program]))
        return self.results[program]

    def run_program(self, program, names):
        executable = self.build / "bench" / program
        if not executable.exists():
            sys.exit(f"{executable} is missing; build it with\n"
                     f"  cmake --build {self.build} --target {program}\n"
                     f"in a Release build configured as in bench/run.py's description.")
        pattern = "^(" + "|".join(names) + ")$"
        with tempfile.NamedTemporaryFile(suffix=".json") as output:
            command = [
                str(executable),
                f"--benchmark_filter={pattern}",
                f"--benchmark_repetitions={self.repetitions}",
                "--benchmark_enable_random_interleaving=true",
                f"--benchmark_out={output.name}",
                "--benchmark_out_format=json",
            ]
            print(f"running {program}: {', '.join(names)}", file=sys.stderr, flush=True)
            finished = subprocess.run(command, capture_output=True, text=True, check=False)
            if finished.returncode != 0:
                sys.exit(f"{program} failed:\n{finished.stderr}")
            report = json.loads(Path(output.name).read_text(encoding="utf-8"))
        runs = {}
        for entry in report["benchmarks"]:
            if entry.get("run_type") == "iteration" and "error_occurred" not in entry:
                runs.setdefault(entry["run_name"], []).append(entry)
        for name in names:
            if name not in runs:
                sys.exit(f"{program} gave no result for {name}")
        return runs


def figure(samples, unit):
    def number(value):
        return f"{value:.3g}" if value < 100 else f"{value:.0f}"

    return f"{number(statistics.median(samples))} {unit} (min {number(min(samples))})"


def mean_figure(samples, unit):
    return f"{statistics.mean(samples):.3g} {unit} (mean)"


def build_warning(build):
    cache = build / "CMakeCache.txt"
    if not cache.exists():
        return f"{build} is not a CMake build folder"
    settings = {}
    for line in cache.read_text(encoding="utf-8").splitlines():
        if "=" in line and not line.startswith(("#", "//")):
            key, value = line.split("=", 1)
            settings[key.split(":")[0]] = value
    if settings.get("CMAKE_BUILD_TYPE") != "Release" or settings.get("VLZ_SANITIZE") == "ON":
        return f"{build} is not a plain Release build: its timings say little"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", type=Path, default=ROOT / "build-release")
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--program-repetitions", type=int, default=3,
                        help="starts of each program for the program's own rows")
    parser.add_argument("--only", default="", help="rows whose measure contains this text")
    parser.add_argument("--list", action="store_true", help="list the rows and stop")
    arguments = parser.parse_args()

    rows = [row for row in ROWS if arguments.only in row.measure]
    if arguments.list or not rows:
        for row in ROWS:
            print(row.measure)
        return 0 if rows else 1
    warning = build_warning(arguments.build)
    if warning:
        print(f"warning: {warning}", file=sys.stderr)

    runner = Runner(arguments.build, arguments.repetitions, arguments.program_repetitions)
    runner.plan(rows)
    load_before = os.getloadavg()[0]
    lines = [
        "| measure | ours | peer in the same run | ratio | goal | met |",
        "|---|---|---|---|---|---|",
    ]
    for row in rows:
        ours = row.ours.samples(runner)
        peer = row.peer.samples(runner) if row.peer else []
        if not ours:
            lines.append(f"| {row.measure} | not measured | | | | |")
            continue
        mean = getattr(row.ours, "mean", False)
        middle = statistics.mean if mean else statistics.median
        show = mean_figure if mean else figure
        ratio, goal, met = row.goal.judge(middle(ours), middle(peer) if peer else None)
        peer_text = f"{row.peer_name}: {show(peer, row.peer.unit)}" if peer else (
            f"{row.peer_name}: not available" if row.peer_name else "—")
        lines.append(
            f"| {row.measure} | {show(ours, row.ours.unit)} | {peer_text} | {ratio} | {goal} "
            f"| {'—' if met is None else 'yes' if met else 'NO'} |"
        )
    print("\n".join(lines))
    starts = arguments.program_repetitions * STARTS_PER_REPETITION["first_note.py"]
    print(
        f"\nlibrary rows: median (min) of {arguments.repetitions} repetitions, CPU time; program "
        f"rows: median (min) of {arguments.program_repetitions} idle measurements and "
        f"{starts} starts; load average "
        f"{load_before:.1f} before, {os.getloadavg()[0]:.1f} after, on {os.cpu_count()} CPUs"
    )
    return 0


if __name__ == "__main__":
    sys.exit(main())
