"""A StatusNotifierWatcher with a host, as a desktop panel provides them, on the session bus.

Usage: status_notifier_watcher.py <log file>

Takes the name org.kde.StatusNotifierWatcher, says that a host is there, and writes one line per
event to the log: "ready" once the name is taken, "registered <service> <path>" when an item
registers, "unregistered <service> <path>" when its owner leaves the bus. Runs until it is
terminated. Needs python3-dbus and python3-gi (GLib's main loop).
"""

import signal
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

WATCHER = "org.kde.StatusNotifierWatcher"
WATCHER_PATH = "/StatusNotifierWatcher"
PROPERTIES = "org.freedesktop.DBus.Properties"


class Watcher(dbus.service.Object):
    def __init__(self, bus, log):
        self.bus = bus
        self.log = log
        self.items = []  # "service/path", in the order registered
        self.owners = {}  # item -> unique name of the connection that registered it
        super().__init__(bus, WATCHER_PATH)
        bus.add_signal_receiver(self.name_owner_changed, "NameOwnerChanged",
                                "org.freedesktop.DBus", "org.freedesktop.DBus",
                                "/org/freedesktop/DBus")

    def write(self, line):
        self.log.write(line + "\n")
        self.log.flush()

    @dbus.service.method(WATCHER, in_signature="s", sender_keyword="sender")
    def RegisterStatusNotifierItem(self, service, sender=None):
        # An item names its bus name, or only its object path on the caller's connection.
        if service.startswith("/"):
            name, path = sender, service
        else:
            name, path = service, "/StatusNotifierItem"
        owner = self.bus.get_name_owner(name) if not name.startswith(":") else name
        item = f"{name}{path}"
        if item not in self.items:
            self.items.append(item)
            self.owners[item] = owner
            self.write(f"registered {name} {path}")
            self.StatusNotifierItemRegistered(item)

    @dbus.service.method(WATCHER, in_signature="s")
    def RegisterStatusNotifierHost(self, service):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemRegistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="s")
    def StatusNotifierItemUnregistered(self, item):
        pass

    @dbus.service.signal(WATCHER, signature="")
    def StatusNotifierHostRegistered(self):
        pass

    # dbus-python leaves properties out of the introspection data; Qt reads them through it.
    @dbus.service.method(dbus.INTROSPECTABLE_IFACE, in_signature="", out_signature="s",
                         path_keyword="object_path", connection_keyword="connection")
    def Introspect(self, object_path, connection):
        data = super().Introspect(object_path, connection)
        properties = ('<property name="RegisteredStatusNotifierItems" type="as" access="read"/>'
                      '<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>'
                      '<property name="ProtocolVersion" type="i" access="read"/>')
        return data.replace(f'<interface name="{WATCHER}">',
                            f'<interface name="{WATCHER}">{properties}', 1)

    @dbus.service.method(PROPERTIES, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return self.GetAll(interface)[name]

    @dbus.service.method(PROPERTIES, in_signature="s", out_signature="a{sv}")
    def GetAll(self, interface):
        return {
            "RegisteredStatusNotifierItems": dbus.Array(self.items, signature="s"),
            "IsStatusNotifierHostRegistered": dbus.Boolean(True),
            "ProtocolVersion": dbus.Int32(0),
        }

    def name_owner_changed(self, name, old_owner, new_owner):
        if new_owner:
            return
        for item in list(self.items):
            if self.owners.get(item) == old_owner or item.startswith(name + "/"):
                self.items.remove(item)
                service, _, path = item.partition("/")
                self.write(f"unregistered {service} /{path}")
                self.StatusNotifierItemUnregistered(item)



def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    loop = GLib.MainLoop()
    signal.signal(signal.SIGTERM, lambda *_: loop.quit())
    with open(sys.argv[1], "a", encoding="utf-8") as log:
        watcher = Watcher(bus, log)
        name = dbus.service.BusName(WATCHER, bus, do_not_queue=True)  # held while it runs
        watcher.StatusNotifierHostRegistered()
        watcher.write("ready")
        loop.run()
        del name


if __name__ == "__main__":
    main()
