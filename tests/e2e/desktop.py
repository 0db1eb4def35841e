"""A virtual desktop for end-to-end tests: Xvfb, a window manager and a system tray.

    from desktop import VirtualDesktop

    with VirtualDesktop() as desktop:
        program = desktop.run([path, "--option"])
        window = desktop.wait_for_window(name="Velloric付箋")
        icon = desktop.wait_for_tray_icon(class_name="VLZozed")
        desktop.click_window(icon, button=3)
        desktop.screenshot("/tmp/after-right-click.png")

The desktop picks a free display number, starts Xvfb on it, then openbox and trayer (an XEmbed
system tray at the top right of the screen). Everything started through it, the programs under test
included, is stopped by PID when the `with` block ends, also when the test fails or is interrupted.
Programs see only this display: DISPLAY is set, Wayland is hidden so that Qt uses xcb, and the
D-Bus session is hidden so that Qt docks its tray icons in the XEmbed tray.

Only the Python standard library and the command-line tools Xvfb, openbox, trayer, xdotool,
xwininfo, xdpyinfo, xprop and import (ImageMagick) are used.
"""

import atexit
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

REQUIRED_TOOLS = ("Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xdpyinfo", "xprop")


class DesktopError(RuntimeError):
    """The desktop could not be started, or something it waited for did not happen."""


class Window:
    """A window found on the desktop: its id and its geometry in root coordinates."""

    def __init__(self, window_id, x, y, width, height, name="", class_name=""):
        self.id = window_id
        self.x = x
        self.y = y
        self.width = width
        self.height = height
        self.name = name
        self.class_name = class_name

    @property
    def center(self):
        return (self.x + self.width // 2, self.y + self.height // 2)

    def contains(self, x, y):
        return self.x <= x < self.x + self.width and self.y <= y < self.y + self.height

    def __repr__(self):
        return (f"Window(0x{self.id:x}, {self.width}x{self.height}+{self.x}+{self.y}, "
                f"name={self.name!r}, class={self.class_name!r})")


# One line of `xwininfo -tree`:  0x600006 "name": ("res_name" "res_class")  22x22+0+0  +1001+1
_TREE_LINE = re.compile(
    r'^\s*(0x[0-9a-fA-F]+) (?:"(?P<name>.*)"|\(has no name\)):\s*'
    r'\((?:"(?P<res_name>[^"]*)" "(?P<res_class>[^"]*)")?[^)]*\)\s+'
    r'(?P<w>\d+)x(?P<h>\d+)[+-]-?\d+[+-]-?\d+\s+\+?(?P<x>-?\d+)\+?(?P<y>-?\d+)')


class VirtualDesktop:
    """Xvfb + openbox + trayer on a free display; a context manager."""

    def __init__(self, width=1024, height=768, depth=24, window_manager=True, tray=True,
                 log_dir=None):
        self.width = width
        self.height = height
        self.depth = depth
        self.window_manager = window_manager
        self.tray = tray
        self.display = None
        self._processes = []  # (name, Popen), in the order started
        self._logs = {}  # Popen -> path of its output
        self._own_log_dir = log_dir is None
        self.log_dir = log_dir or tempfile.mkdtemp(prefix="vlz-e2e-")
        self._stopped = False

    # ---- life cycle ----

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc_info):
        self.stop()
        return False

    def start(self):
        missing = [tool for tool in REQUIRED_TOOLS if shutil.which(tool) is None]
        if missing:
            raise DesktopError("missing tools: " + ", ".join(missing))
        atexit.register(self.stop)
        previous_term = signal.getsignal(signal.SIGTERM)

        def on_term(signum, frame):  # ctest's timeout sends SIGTERM first
            self.stop()
            if callable(previous_term):
                previous_term(signum, frame)
            raise SystemExit(128 + signum)

        signal.signal(signal.SIGTERM, on_term)
        try:
            self._start_x_server()
            if self.window_manager:
                self.run(["openbox", "--sm-disable"], name="openbox")
                self._wait(self._window_manager_running, 10, "openbox did not start")
            if self.tray:
                self.run(["trayer", "--edge", "top", "--align", "right", "--widthtype",
                          "request", "--height", "24", "--SetDockType", "true",
                          "--transparent", "false", "--expand", "true"], name="trayer")
                self._wait(self._find_tray_window, 10, "trayer did not start")
        except BaseException:
            self.stop()
            raise

    def stop(self):
        """Stops every process started here, newest first, by PID: SIGTERM, then SIGKILL."""
        if self._stopped:
            return
        self._stopped = True
        for name, process in reversed(self._processes):
            if process.poll() is None:
                try:
                    process.terminate()
                    process.wait(timeout=3)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(timeout=3)
                except ProcessLookupError:
                    pass
        self._processes.clear()
        if self._own_log_dir:
            shutil.rmtree(self.log_dir, ignore_errors=True)

    def _start_x_server(self):
        for number in range(90, 200):
            if (os.path.exists(f"/tmp/.X{number}-lock")
                    or os.path.exists(f"/tmp/.X11-unix/X{number}")):
                continue
            self.display = f":{number}"
            server = self.run(["Xvfb", self.display, "-screen", "0",
                               f"{self.width}x{self.height}x{self.depth}", "-nolisten", "tcp",
                               "-noreset"], name="Xvfb", with_display=False)
            deadline = time.monotonic() + 10
            while time.monotonic() < deadline:
                if server.poll() is not None:
                    break  # lost the race for this number: try the next one
                if self._query(["xdpyinfo"], check=False).returncode == 0:
                    return
                time.sleep(0.05)
            if server.poll() is None:
                server.kill()
                server.wait()
            self._processes.remove(("Xvfb", server))
        raise DesktopError("no free X display number between :90 and :199")

    # ---- programs ----

    def environment(self, extra=None):
        """The environment a program on this desktop gets."""
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env["QT_QPA_PLATFORM"] = "xcb"
        for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"):
            env.pop(name, None)
        env.setdefault("XDG_RUNTIME_DIR", self.log_dir)
        if extra:
            env.update(extra)
        return env

    def run(self, args, name=None, env=None, with_display=True, **popen_args):
        """Starts a program (stopped with the desktop); its output goes to a log file in
        log_dir unless stdout/stderr are given. Returns the Popen."""
        name = name or os.path.basename(args[0])
        environment = self.environment(env) if with_display else dict(os.environ, **(env or {}))
        log_path = None
        if "stdout" in popen_args:
            process = subprocess.Popen(args, env=environment, start_new_session=True,
                                       **popen_args)
        else:
            self._started = getattr(self, "_started", 0) + 1
            log_path = os.path.join(self.log_dir, f"{name}-{self._started}.log")
            popen_args.setdefault("stderr", subprocess.STDOUT)
            with open(log_path, "wb") as log:
                process = subprocess.Popen(args, env=environment, start_new_session=True,
                                           stdout=log, **popen_args)
        self._processes.append((name, process))
        self._logs[process] = log_path
        return process

    def stop_process(self, process, timeout=5):
        """Stops one program started by run(), by its PID; returns its exit code."""
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
        self._processes = [entry for entry in self._processes if entry[1] is not process]
        return process.returncode

    def log_of(self, process):
        """What a program started by run() has written so far."""
        path = self._logs.get(process)
        if path and os.path.exists(path):
            with open(path, "rb") as log:
                return log.read().decode("utf-8", "replace")
        return ""

    def _query(self, args, check=True):
        result = subprocess.run(args, env=self.environment(), capture_output=True, timeout=20)
        if check and result.returncode != 0:
            raise DesktopError(f"{' '.join(args)} failed: {result.stderr.decode(errors='replace')}")
        return result

    def xdotool(self, *args):
        """Runs xdotool on this display and returns its standard output."""
        return self._query(["xdotool", *map(str, args)]).stdout.decode()

    # ---- finding windows ----

    def search_windows(self, name=None, class_name=None, only_visible=True):
        """Ids of windows whose name or class matches (regular expressions, as xdotool)."""
        args = ["xdotool", "search"]
        if only_visible:
            args.append("--onlyvisible")
        if name is not None:
            args += ["--name", name]
        elif class_name is not None:
            args += ["--class", class_name]
        else:
            raise ValueError("name or class_name needed")
        result = self._query(args, check=False)
        return [int(line) for line in result.stdout.decode().split()]

    def wait_for_window(self, name=None, class_name=None, timeout=10, only_visible=True):
        """The first window that matches, once there is one."""
        found = self._wait(lambda: self.search_windows(name, class_name, only_visible), timeout,
                           f"no window with name={name!r} class={class_name!r}")
        return self.window(found[0])

    def window(self, window_id):
        """Geometry, name and class of a window."""
        info = self._query(["xwininfo", "-id", str(window_id)]).stdout.decode()

        def field(label):
            return int(re.search(label + r":\s+(-?\d+)", info).group(1))

        name_match = re.search(r'xwininfo: Window id: 0x[0-9a-f]+ "(.*)"', info)
        class_result = self._query(["xprop", "-id", str(window_id), "WM_CLASS"], check=False)
        class_match = re.search(r'= "([^"]*)", "([^"]*)"', class_result.stdout.decode())
        return Window(window_id, field("Absolute upper-left X"), field("Absolute upper-left Y"),
                      field("Width"), field("Height"), name_match.group(1) if name_match else "",
                      class_match.group(2) if class_match else "")

    def window_tree(self, window_id="root"):
        """Every window below the given one (the root by default), with root coordinates."""
        args = ["xwininfo", "-tree"] + (["-root"] if window_id == "root" else ["-id", str(window_id)])
        windows = []
        for line in self._query(args).stdout.decode(errors="replace").splitlines():
            match = _TREE_LINE.match(line)
            if match:
                windows.append(Window(int(match.group(1), 16), int(match.group("x")),
                                      int(match.group("y")), int(match.group("w")),
                                      int(match.group("h")), match.group("name") or "",
                                      match.group("res_class") or ""))
        return windows

    def _window_manager_running(self):
        result = self._query(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False)
        return result.returncode == 0 and "window id" in result.stdout.decode()

    def _find_tray_window(self):
        for window in self.window_tree():
            if window.class_name == "trayer" and window.name == "panel":
                return window
        return None

    def tray_window(self):
        """trayer's panel."""
        window = self._find_tray_window()
        if window is None:
            raise DesktopError("no tray on this desktop")
        return window

    def tray_icons(self):
        """The icons docked in the tray: the programs' windows inside trayer's panel."""
        panel = self.tray_window()
        return [window for window in self.window_tree(panel.id)
                if window.class_name and window.class_name.lower() != "trayer"]

    def wait_for_tray_icon(self, class_name=None, timeout=10):
        """The first docked icon (of the given window class), once it is there and has a size."""
        def find():
            for icon in self.tray_icons():
                if (class_name is None or icon.class_name == class_name) and icon.width > 1:
                    return icon
            return None

        return self._wait(find, timeout, f"no tray icon of class {class_name!r}")

    # ---- input and output ----

    def mouse_position(self):
        """Where the pointer is, as (x, y)."""
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getmouselocation", "--shell").split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def move_mouse(self, x, y):
        """Moves the pointer and waits until the server has moved it."""
        # `mousemove --sync` waits for a motion that never comes when the pointer is there already.
        if self.mouse_position() != (x, y):
            self.xdotool("mousemove", "--sync", x, y)

    def click(self, x, y, button=1, repeat=1, delay_ms=80):
        """Moves the pointer to (x, y) and clicks; repeat=2 is a double click."""
        self.move_mouse(x, y)
        self.xdotool("click", "--repeat", repeat, "--delay", delay_ms, button)

    def click_window(self, window, button=1, repeat=1, delay_ms=80):
        """Clicks the middle of a Window."""
        x, y = window.center
        self.click(x, y, button, repeat, delay_ms)

    def press(self, x, y, button=1):
        """Moves the pointer to (x, y) and holds the button down."""
        self.move_mouse(x, y)
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def key(self, *keys):
        """Sends key presses, in xdotool's names ("Escape", "ctrl+s")."""
        self.xdotool("key", *keys)

    def screenshot(self, path):
        """Saves the whole screen as a PNG."""
        self._query(["import", "-window", "root", path])
        return path

    # ---- waiting ----

    @staticmethod
    def _wait(condition, timeout, message, interval=0.05):
        deadline = time.monotonic() + timeout
        while True:
            result = condition()
            if result:
                return result
            if time.monotonic() >= deadline:
                raise DesktopError(message)
            time.sleep(interval)

    @staticmethod
    def wait_until(condition, timeout=10, message="condition not met", interval=0.05):
        """Polls condition() until it returns something true, and returns that."""
        return VirtualDesktop._wait(condition, timeout, message, interval)


def read_lines(path):
    """The lines of a log file so far (empty when it does not exist yet)."""
    try:
        with open(path, encoding="utf-8") as log:
            return [line.rstrip("\n") for line in log]
    except FileNotFoundError:
        return []
