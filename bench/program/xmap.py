"""Watches an X display for top-level windows being mapped, through libX11 (ctypes), so that the
moment a program's first window reaches the screen is known to a millisecond without polling.

    with MapWatcher(":1") as watcher:
        started = time.monotonic()
        process = subprocess.Popen(...)
        window = watcher.wait(lambda window: window.width == 320, timeout=10)
        print(window.mapped_at - started)

A window manager puts each client window into a frame of its own and maps the frame; the watcher
follows the reparenting, so `wait` sees the client window when its frame is mapped (on screen),
and a client mapped straight onto the root (no window manager) when it is mapped.
"""

import ctypes
import ctypes.util
import select
import time
from dataclasses import dataclass

_CREATE_NOTIFY, _MAP_NOTIFY, _REPARENT_NOTIFY = 16, 19, 21
_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class _AnyEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong),
                ("window", ctypes.c_ulong), ("parent", ctypes.c_ulong)]


class _Event(ctypes.Union):
    _fields_ = [("any", _AnyEvent), ("pad", ctypes.c_long * 24)]


class _Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("pad", ctypes.c_char * 256)]


class _ClassHint(ctypes.Structure):
    _fields_ = [("res_name", ctypes.c_void_p), ("res_class", ctypes.c_void_p)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


@dataclass
class MappedWindow:
    id: int
    width: int
    height: int
    class_name: str
    mapped_at: float  # time.monotonic()


class MapWatcher:
    def __init__(self, display):
        self._name = display.encode()
        self._x = ctypes.CDLL(ctypes.util.find_library("X11"))
        self._x.XOpenDisplay.restype = ctypes.c_void_p
        self._x.XDefaultRootWindow.restype = ctypes.c_ulong
        self._x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self._x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self._x.XPending.argtypes = [ctypes.c_void_p]
        self._x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        self._x.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self._x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                                 ctypes.POINTER(_Attributes)]
        self._x.XGetClassHint.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                          ctypes.POINTER(_ClassHint)]
        self._x.XFree.argtypes = [ctypes.c_void_p]
        self._x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        # A window can be gone by the time it is looked at; that is no reason to end.
        self._ignore_errors = _ERROR_HANDLER(lambda display, error: 0)
        self._x.XSetErrorHandler(self._ignore_errors)
        self._display = None
        self._frames = {}  # frame -> client window

    def __enter__(self):
        self._display = self._x.XOpenDisplay(self._name)
        if not self._display:
            raise RuntimeError(f"cannot open display {self._name.decode()}")
        root = self._x.XDefaultRootWindow(self._display)
        self._x.XSelectInput(self._display, root, _SUBSTRUCTURE_NOTIFY_MASK)
        self._x.XSync(self._display, 0)
        return self

    def __exit__(self, *exc_info):
        self._x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self._x.XCloseDisplay(self._display)
        return False

    def _describe(self, window, mapped_at):
        attributes = _Attributes()
        if not self._x.XGetWindowAttributes(self._display, window, ctypes.byref(attributes)):
            return None
        hint = _ClassHint()
        class_name = ""
        if self._x.XGetClassHint(self._display, window, ctypes.byref(hint)):
            if hint.res_class:
                class_name = ctypes.string_at(hint.res_class).decode(errors="replace")
            for text in (hint.res_name, hint.res_class):
                if text:
                    self._x.XFree(text)
        return MappedWindow(window, attributes.width, attributes.height, class_name, mapped_at)

    def wait(self, wanted, timeout):
        """The first window mapped from now on for which wanted(MappedWindow) is true."""
        deadline = time.monotonic() + timeout
        event = _Event()
        connection = self._x.XConnectionNumber(self._display)
        while True:
            while self._x.XPending(self._display):
                self._x.XNextEvent(self._display, ctypes.byref(event))
                now = time.monotonic()
                kind = event.any.type
                if kind == _REPARENT_NOTIFY:
                    # (event, window, parent): a client moved from the root into a frame.
                    self._frames[event.any.parent] = event.any.window
                elif kind == _MAP_NOTIFY:
                    mapped = event.any.window
                    client = self._frames.get(mapped, mapped)
                    window = self._describe(client, now)
                    if window is not None and wanted(window):
                        return window
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            select.select([connection], [], [], remaining)
