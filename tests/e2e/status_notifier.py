"""A private D-Bus session bus and StatusNotifierItem hosts for end-to-end tests.

    with VirtualDesktop(tray=False) as desktop:
        bus = SessionBus(desktop)
        watcher = TestWatcher(desktop, bus)
        program = desktop.run([path], env=bus.environment())
        item = watcher.wait_for_item()
        item.activate(100, 100)
        print(item.menu_layout())

The bus and the watcher run on the desktop and stop with it, by PID. Needs python3-dbus and
python3-gi (the Debian packages), so the tests that use this module run under the system's Python.
"""

import os
import select
import subprocess
import sys
import time

import dbus

from desktop import DesktopError, read_lines

ITEM = "org.kde.StatusNotifierItem"
WATCHER = "org.kde.StatusNotifierWatcher"
MENU = "com.canonical.dbusmenu"
PROPERTIES = "org.freedesktop.DBus.Properties"
WATCHER_PROGRAM = os.path.join(os.path.dirname(os.path.abspath(__file__)),
                               "status_notifier_watcher.py")


class SessionBus:
    """A dbus-daemon of its own: programs started with environment() talk only to it."""

    def __init__(self, desktop, env=None, timeout=10):
        """env is the environment of the services the bus starts on demand (xfconfd, say)."""
        self.process = desktop.run(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                                   env=env, with_display=env is not None,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                   name="dbus-daemon")
        ready, _, _ = select.select([self.process.stdout], [], [], timeout)
        line = self.process.stdout.readline().decode().strip() if ready else ""
        if not line:
            raise DesktopError("dbus-daemon did not start")
        self.address = line
        self._connection = None

    def environment(self):
        return {"DBUS_SESSION_BUS_ADDRESS": self.address}

    def wait_for_name(self, desktop, name, timeout=30):
        """Waits until a program on the bus owns the name (a panel's watcher, say)."""
        desktop.wait_until(lambda: self.connection().name_has_owner(name), timeout,
                           f"nobody took {name} on the session bus")

    def connection(self):
        """A connection of the test's own, for calls to the programs on the bus."""
        if self._connection is None:
            self._connection = dbus.bus.BusConnection(self.address)
        return self._connection


class StatusNotifierItem:
    """One registered item, as a host sees it."""

    def __init__(self, bus, service, path):
        self.service = service
        self.path = path
        self._bus = bus
        self._object = bus.connection().get_object(service, path)

    def __repr__(self):
        return f"StatusNotifierItem({self.service}{self.path})"

    def property(self, name):
        return self._object.Get(ITEM, name, dbus_interface=PROPERTIES)

    def activate(self, x, y):
        self._object.Activate(x, y, dbus_interface=ITEM)

    def context_menu(self, x, y):
        self._object.ContextMenu(x, y, dbus_interface=ITEM)

    def secondary_activate(self, x, y):
        self._object.SecondaryActivate(x, y, dbus_interface=ITEM)

    def menu_path(self):
        return str(self.property("Menu"))

    def menu_layout(self):
        """The exported menu's top level as (id, type, label): type "separator" or "standard"."""
        menu = self._bus.connection().get_object(self.service, self.menu_path())
        _, (_, _, children) = menu.GetLayout(0, -1, [], dbus_interface=MENU)
        layout = []
        for identifier, properties, _ in children:
            layout.append((int(identifier), str(properties.get("type", "standard")),
                           str(properties.get("label", ""))))
        return layout

    def click_menu_item(self, identifier):
        """What a host sends when the user chooses an item of the exported menu."""
        menu = self._bus.connection().get_object(self.service, self.menu_path())
        menu.Event(identifier, "clicked", dbus.Int32(0, variant_level=1),
                   dbus.UInt32(int(time.time())), dbus_interface=MENU)


class TestWatcher:
    """status_notifier_watcher.py on the bus: the watcher and host of a desktop panel."""

    def __init__(self, desktop, bus, timeout=10):
        self._bus = bus
        self.log = os.path.join(desktop.log_dir, f"watcher-{time.monotonic_ns()}.log")
        open(self.log, "w").close()
        self.process = desktop.run([sys.executable, WATCHER_PROGRAM, self.log],
                                   env=bus.environment(), with_display=False, name="watcher")
        desktop.wait_until(lambda: "ready" in read_lines(self.log), timeout,
                           "the test watcher did not start: " + desktop.log_of(self.process))
        self._desktop = desktop

    def events(self):
        return [line.split() for line in read_lines(self.log) if line != "ready"]

    def items(self):
        """The items registered now, oldest first, as (service, path)."""
        current = []
        for kind, service, path in self.events():
            if kind == "registered":
                current.append((service, path))
            elif (service, path) in current:
                current.remove((service, path))
        return current

    def wait_for_item(self, menu=None, timeout=20):
        """The one item registered now, once there is one that answers (and exports the menu
        at the given path, "/NO_DBUSMENU" for none)."""
        def found():
            items = self.items()
            if len(items) != 1:
                return None
            try:
                item = StatusNotifierItem(self._bus, *items[0])
                return item if menu is None or item.menu_path() == menu else None
            except dbus.DBusException:
                return None  # an item on its way out

        return self._desktop.wait_until(found, timeout,
                                        f"no single item with menu {menu}: {self.events()}")
