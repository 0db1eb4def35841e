"""A virtual desktop for end-to-end tests: Xvfb, a window manager and a system tray.

    from desktop import VirtualDesktop

    with VirtualDesktop() as desktop:
        program = desktop.run([path, "--option"])
        window = desktop.wait_for_window(name="Velloric付箋")
        icon = desktop.wait_for_tray_icon(class_name="VLZozed")
        desktop.click_window(icon, button=3)
        desktop.screenshot("/tmp/after-right-click.png")

The desktop starts Xvfb on a display number that Xvfb finds free, then openbox and trayer (an XEmbed
system tray at the top right of the screen). Everything started through it, the programs under test
included, is stopped by PID when the `with` block ends, also when the test fails or is interrupted.
Programs see only this display: DISPLAY is set, Wayland is hidden so that Qt uses xcb, and the
D-Bus session is hidden so that Qt docks its tray icons in the XEmbed tray.

Tests wait for what they need, never for a fixed time: a window, a menu, a state of the desktop
or a file, each with a deadline. The one timing rule of the desktop itself is the double-click
time: click() keeps two presses of the same button further apart than that, as a user's two
separate clicks are.

DesktopTestCase gives a test class one desktop for all its tests; what the programs started in a
test wrote (sanitizer reports included) is printed when the test fails, and a sanitizer report
fails the test.

Only the Python standard library and the command-line tools Xvfb, openbox, trayer, xdotool,
xwininfo, xdpyinfo, xprop and import (ImageMagick) are used.
"""

import atexit
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

REQUIRED_TOOLS = ("Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xdpyinfo", "xprop", "import")

# Qt's double-click time when no XSETTINGS daemon tells it another, as on this desktop. A press of
# the same button within it, at the same place, makes a double click.
DOUBLE_CLICK_TIME = 0.4
# Room between two separate clicks beyond the double-click time: the server's time stamps and
# ours are not taken at the same moment.
CLICK_MARGIN = 0.15

LEAK_SUPPRESSIONS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))),
                                 "lsan.supp")

# The first line of a report of AddressSanitizer, LeakSanitizer or UndefinedBehaviorSanitizer.
SANITIZER_REPORT = re.compile(r"ERROR: \w+Sanitizer|SUMMARY: \w+Sanitizer|: runtime error: ")


class DesktopError(RuntimeError):
    """The desktop could not be started, or something it waited for did not happen."""


class Window:
    """A window found on the desktop: its id and its geometry in root coordinates."""

    def __init__(self, window_id, x, y, width, height, name="", class_name="", viewable=None,
                 override_redirect=None):
        self.id = window_id
        self.x = x
        self.y = y
        self.width = width
        self.height = height
        self.name = name
        self.class_name = class_name
        self.viewable = viewable  # None when not asked
        # Placed by its program, not by the window manager (menus, tooltips, tray icons).
        self.override_redirect = override_redirect

    @property
    def geometry(self):
        return (self.x, self.y, self.width, self.height)

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
        """log_dir keeps the programs' output (and whatever a test saves there, such as
        screenshots) after the desktop stops; without it a temporary folder is used and removed."""
        self.width = width
        self.height = height
        self.depth = depth
        self.window_manager = window_manager
        self.tray = tray
        self.display = None
        self._processes = []  # (name, Popen) still to stop, in the order started
        self._history = []  # (name, Popen) of every program started, in the order started
        self._logs = {}  # Popen -> path of its output
        self._last_press = {}  # button -> time.monotonic() of its last press
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
        self._signal_handlers = (on_term, previous_term)
        try:
            self._start_x_server()
            if self.window_manager:
                self.run(["openbox", "--sm-disable"], name="openbox")
                self._wait(self._window_manager_running, 10, "openbox did not start")
            if self.tray:
                self.start_tray()
        except BaseException:
            self.stop()
            raise

    def start_tray(self):
        """Starts trayer (done by start() unless tray=False) and waits for its panel."""
        self.run(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                  "--height", "24", "--SetDockType", "true", "--transparent", "false",
                  "--expand", "true"], name="trayer")
        return self._wait(self._find_tray_window, 10, "trayer did not start")

    def stop(self):
        """Stops every process started here, newest first, by PID: SIGTERM, then SIGKILL."""
        if self._stopped:
            return
        self._stopped = True
        handlers = getattr(self, "_signal_handlers", None)
        if handlers and signal.getsignal(signal.SIGTERM) is handlers[0]:
            signal.signal(signal.SIGTERM, handlers[1])
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
        # Xvfb picks a free display number itself and reports it on a pipe, so that tests running
        # side by side never race for the same number.
        read_end, write_end = os.pipe()
        try:
            server = self.run(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                               f"{self.width}x{self.height}x{self.depth}", "-nolisten", "tcp",
                               "-noreset"], name="Xvfb", with_display=False,
                              pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            number = b""
            deadline = time.monotonic() + 10
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                if remaining <= 0 or server.poll() is not None:
                    raise DesktopError("Xvfb did not start: " + self.log_of(server))
                ready, _, _ = select.select([read_end], [], [], remaining)
                if ready:
                    chunk = os.read(read_end, 16)
                    if not chunk:
                        raise DesktopError("Xvfb did not start: " + self.log_of(server))
                    number += chunk
        finally:
            os.close(read_end)
            if write_end is not None:
                os.close(write_end)
        self.display = ":" + number.decode().strip()
        self._wait(lambda: self._query(["xdpyinfo"], check=False).returncode == 0, 10,
                   "Xvfb does not answer")

    # ---- programs ----

    def environment(self, extra=None):
        """The environment a program on this desktop gets."""
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env["QT_QPA_PLATFORM"] = "xcb"
        for name in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XAUTHORITY"):
            env.pop(name, None)
        env.setdefault("XDG_RUNTIME_DIR", self.log_dir)
        # A sanitizer build reports leaks at exit; those of the desktop's own libraries are known.
        env.setdefault("LSAN_OPTIONS", f"suppressions={LEAK_SUPPRESSIONS}:print_suppressions=0")
        env.setdefault("UBSAN_OPTIONS", "print_stacktrace=1")
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
        self._history.append((name, process))
        self._logs[process] = log_path
        return process

    def started_count(self):
        """How many programs have been started here so far; a mark for started_since()."""
        return len(self._history)

    def started_since(self, mark):
        """(name, Popen) of the programs started after the mark, in the order started."""
        return list(self._history[mark:])

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

    def sanitizer_report(self, process):
        """The sanitizer report in a program's output, from its first line on; None without one."""
        output = self.log_of(process)
        found = SANITIZER_REPORT.search(output)
        if not found:
            return None
        return output[output.rfind("\n", 0, found.start()) + 1:]

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

    def existing_windows(self, window_ids):
        """Window() of each id whose window still exists: a program may close one at any time."""
        windows = []
        for window_id in window_ids:
            try:
                windows.append(self.window(window_id))
            except DesktopError:
                pass
        return windows

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
                      class_match.group(2) if class_match else "",
                      "Map State: IsViewable" in info,
                      "Override Redirect State: yes" in info)

    def is_top_level(self, window_id):
        """Whether the window is a child of the root (not docked in the tray, say)."""
        result = self._query(["xwininfo", "-children", "-id", str(window_id)], check=False)
        parent = re.search(r"Parent window id: 0x[0-9a-fA-F]+ (.*)", result.stdout.decode())
        return bool(parent) and "(the root window)" in parent.group(1)

    def popup_menus(self, class_name):
        """The shown popup menus (drop-down lists included) of the program with this class: its
        top-level windows that it places itself."""
        return [window for window in
                self.existing_windows(self.search_windows(class_name=class_name))
                if window.viewable and window.override_redirect and self.is_top_level(window.id)]

    def wait_for_popup_menu(self, class_name, timeout=10):
        """The program's popup menu, once it is shown."""
        return self._wait(lambda: next(iter(self.popup_menus(class_name)), None), timeout,
                          f"no popup menu of {class_name!r}")

    def wait_for_no_popup_menu(self, class_name, timeout=10):
        """Waits until the program shows no popup menu any more."""
        self._wait(lambda: not self.popup_menus(class_name), timeout,
                   f"a popup menu of {class_name!r} stayed open")

    def active_window(self):
        """The window the window manager has made active (_NET_ACTIVE_WINDOW), or None."""
        result = self._query(["xdotool", "getactivewindow"], check=False)
        text = result.stdout.decode().strip()
        return int(text) if result.returncode == 0 and text.isdigit() else None

    def is_managed(self, window_id):
        """Whether the window manager has taken the window on: framed it and set its state."""
        result = self._query(["xprop", "-id", str(window_id), "_NET_FRAME_EXTENTS", "WM_STATE"],
                             check=False)
        text = result.stdout.decode()
        return "_NET_FRAME_EXTENTS(CARDINAL) =" in text and "window state: Normal" in text

    def wait_for_active_window(self, name, timeout=10):
        """The top-level window with this name once the window manager has placed and shown it
        and given it the keyboard focus: from then on clicks and keys reach it where they aim."""

        def active():
            active_id = self.active_window()
            if active_id is None or active_id not in self.search_windows(name=name):
                return None
            if not self.is_managed(active_id):
                return None
            window = next(iter(self.existing_windows([active_id])), None)
            return window if window and window.viewable else None

        return self._wait(active, timeout, f"no active window named {name!r}")

    def sync_window_manager(self, timeout=10):
        """Returns once the window manager has handled everything sent to it before: the keys it
        takes itself (alt+F4) and the requests they made of programs."""
        # It handles its events in order; a change of the desktop count is one whose end shows.
        count = int(self.xdotool("get_num_desktops").strip())
        for wanted in (count + 1, count):
            self.xdotool("set_num_desktops", wanted)
            self._wait(lambda: int(self.xdotool("get_num_desktops").strip()) == wanted, timeout,
                       "the window manager does not answer")

    def wait_for_no_window(self, name, timeout=10):
        """Waits until no shown window has this name."""
        self._wait(lambda: not self.search_windows(name=name), timeout,
                   f"the window {name!r} stayed open")

    def window_tree(self, window_id="root"):
        """Every window below the given one (the root by default), with root coordinates."""
        target = ["-root"] if window_id == "root" else ["-id", str(window_id)]
        args = ["xwininfo", "-tree", *target]
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

    def wait_for_tray_icon(self, class_name=None, timeout=10, settle=0.3):
        """The first docked icon (of the given window class), once it is shown and has kept its
        place for `settle` seconds: the tray moves its icons about while one docks."""
        last = {}

        def find():
            for icon in self.tray_icons():
                if (class_name is None or icon.class_name == class_name) and icon.width > 1:
                    current = next(iter(self.existing_windows([icon.id])), None)
                    if current is None or not current.viewable:
                        return None
                    now = time.monotonic()
                    if last.get("geometry") != current.geometry:
                        last.update(geometry=current.geometry, since=now)
                        return None
                    return current if now - last["since"] >= settle else None
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

    def _keep_clicks_apart(self, button):
        # Two presses of one button within the double-click time make a double click, which a
        # program may take for something else than two clicks (a tray icon ignores a right one).
        last = self._last_press.get(button)
        if last is not None:
            remaining = last + DOUBLE_CLICK_TIME + CLICK_MARGIN - time.monotonic()
            if remaining > 0:
                time.sleep(remaining)

    def click(self, x, y, button=1, repeat=1, delay_ms=80):
        """Moves the pointer to (x, y) and clicks, as a click of its own: out of the double-click
        time of the press before. repeat=2 is a double click."""
        self.move_mouse(x, y)
        self._keep_clicks_apart(button)
        self.xdotool("click", "--repeat", repeat, "--delay", delay_ms, button)
        self._last_press[button] = time.monotonic()

    def click_window(self, window, button=1, repeat=1, delay_ms=80):
        """Clicks the middle of a Window."""
        x, y = window.center
        self.click(x, y, button, repeat, delay_ms)

    def press(self, x, y, button=1):
        """Moves the pointer to (x, y) and holds the button down."""
        self.move_mouse(x, y)
        self._keep_clicks_apart(button)
        self.xdotool("mousedown", button)
        self._last_press[button] = time.monotonic()

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def key(self, *keys):
        """Sends key presses, in xdotool's names ("Escape", "ctrl+s")."""
        self.xdotool("key", *keys)

    def drag_window(self, window, grip, offset, steps=10, timeout=10):
        """Drags a window by the point `grip` (root coordinates) with the left button, by `offset`,
        in steps. The first step starts the drag: a program that hands it to the window manager's
        move loop does so at the pointer's place then, and the window follows the pointer from
        there on; each further step waits until it has. Returns the window at its new place."""
        start_x, start_y = grip
        dx, dy = offset
        pointers = [(start_x + dx * step // steps, start_y + dy * step // steps)
                    for step in range(1, steps + 1)]
        self.press(start_x, start_y, button=1)
        try:
            self.move_mouse(*pointers[0])
            anchor = self.window(window.id)
            for pointer in pointers[1:]:
                self.move_mouse(*pointer)
                expected = (anchor.x + pointer[0] - pointers[0][0],
                            anchor.y + pointer[1] - pointers[0][1])
                if not self._wait_until_at(window, expected, timeout):
                    raise DesktopError(f"{self.window(window.id)} did not follow the pointer "
                                       f"to {expected}")
        finally:
            self.release(button=1)
        return self.window(window.id)

    def _wait_until_at(self, window, expected, timeout):
        deadline = time.monotonic() + timeout
        while True:
            current = self.window(window.id)
            if (current.x, current.y) == expected:
                return True
            if time.monotonic() >= deadline:
                return False
            time.sleep(0.02)

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


class DesktopTestCase(unittest.TestCase):
    """Tests on one virtual desktop, shared by the tests of the class.

    Every program a test starts through run_program() (or desktop.run()) is stopped by its PID
    when the test ends. What those programs wrote is printed when the test fails, and a sanitizer
    report in it fails the test. VLZ_E2E_LOGS names a folder that keeps the output afterwards.
    """

    desktop_options = {}

    @classmethod
    def setUpClass(cls):
        cls.desktop = VirtualDesktop(log_dir=os.environ.get("VLZ_E2E_LOGS"),
                                     **cls.desktop_options)
        cls.desktop.start()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self._first_program = self.desktop.started_count()
        # Cleanups run after tearDown(): the test's own stops come first.
        self.addCleanup(self._check_programs)

    def run_program(self, args, name=None, env=None):
        """Starts a program on the desktop for this test; returns its Popen."""
        return self.desktop.run(args, name=name, env=env)

    def programs(self):
        """(name, Popen) of the programs this test started."""
        return self.desktop.started_since(getattr(self, "_first_program", 0))

    def _check_programs(self):
        reports = []
        for name, process in self.programs():
            self.desktop.stop_process(process)
            report = self.desktop.sanitizer_report(process)
            if report:
                reports.append(f"{name} (pid {process.pid}):\n{report}")
        if reports:
            self.fail("sanitizer report:\n" + "\n".join(reports))

    def run(self, result=None):
        problems = (len(result.failures) + len(result.errors)) if result is not None else 0
        outcome = super().run(result)
        if result is not None and len(result.failures) + len(result.errors) > problems:
            self._print_program_output()
        return outcome

    def _print_program_output(self):
        for name, process in self.programs():
            output = self.desktop.log_of(process)
            print(f"\n---- output of {name} (pid {process.pid}, exit status {process.returncode}) "
                  f"in {self.id()} ----\n{output}---- end of {name} ----", file=sys.stderr)
