"""The program's own cost on a virtual desktop: CPU with 20 notes animating over 30 s (share of
one core, from /proc/<pid>/stat) and resident memory with 20 notes (VmRSS).

Usage: idle_cost.py <program folder, e.g. build/app> [seconds]
"""

import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from desktop import VirtualDesktop  # noqa: E402

NOTES = 20


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as file:
        fields = file.read().rsplit(")", 1)[1].split()
    ticks = os.sysconf("SC_CLK_TCK")
    return (int(fields[11]) + int(fields[12])) / ticks  # utime + stime


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main(program_dir, seconds):
    folder = tempfile.mkdtemp(prefix="vlzozed-bench-")
    try:
        shutil.copy2(os.path.join(program_dir, "VLZozed"), folder)
        names = sorted(name for name in os.listdir(program_dir) if name.endswith(".vlf"))
        for name in names:
            shutil.copy2(os.path.join(program_dir, name), folder)
        lines = []
        for index in range(NOTES):
            lines += [f"[{index}]", f"Memo=note {index}", f"WindowLeft={(index % 3) * 330}",
                      f"WindowTop={(index // 3) * 112}",
                      f"Character={os.path.splitext(names[index % len(names)])[0]}"]
        with open(os.path.join(folder, "VLZozed.ini"), "wb") as file:
            file.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
        with open(os.path.join(folder, "VLZozed_pref.ini"), "wb") as file:
            file.write(b"[System]\r\nBootCount=5\r\nAutoBackupInterval=0\r\n")
        with VirtualDesktop() as desktop:
            program = desktop.run([os.path.join(folder, "VLZozed")], name="VLZozed")
            desktop.wait_until(
                lambda: len(desktop.search_windows(name="Velloric")) >= NOTES, 30, "notes missing")
            time.sleep(3)
            start_cpu, start = cpu_seconds(program.pid), time.monotonic()
            time.sleep(seconds)
            used, elapsed = cpu_seconds(program.pid) - start_cpu, time.monotonic() - start
            rss = resident_mb(program.pid)
            print(f"{NOTES} notes animating for {elapsed:.1f} s: CPU {100 * used / elapsed:.2f} % "
                  f"of one core; resident memory {rss:.1f} MB")
            desktop.stop_process(program)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 30.0)
