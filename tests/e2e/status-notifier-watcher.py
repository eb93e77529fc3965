#!/usr/bin/python3
"""A StatusNotifierWatcher with a host, as a desktop panel runs one, for the tests:
owns org.kde.StatusNotifierWatcher on the session bus, takes the items that register
and writes each one's bus name and object path, one item a line, to the file named
by its argument."""
import sys

from gi.repository import Gio, GLib

WATCHER = "org.kde.StatusNotifierWatcher"
NODE = Gio.DBusNodeInfo.new_for_xml(f"""<node><interface name="{WATCHER}">
  <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
  <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
  <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
  <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
  <property name="ProtocolVersion" type="i" access="read"/>
  <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
</interface></node>""")
items = []


def on_call(connection, sender, path, interface, method, parameters, invocation):
    if method == "RegisterStatusNotifierItem":
        # An item names its bus name, or only its object path on the caller's name.
        name = parameters.unpack()[0]
        service, item = (sender, name) if name.startswith("/") else (name, "/StatusNotifierItem")
        items.append(service + item)
        with open(sys.argv[1], "a", encoding="utf-8") as out:
            out.write(f"{service} {item}\n")
        connection.emit_signal(None, path, WATCHER, "StatusNotifierItemRegistered",
                               GLib.Variant("(s)", (service + item,)))
    invocation.return_value(None)


def on_get(connection, sender, path, interface, name):
    return {"RegisteredStatusNotifierItems": GLib.Variant("as", items),
            "IsStatusNotifierHostRegistered": GLib.Variant("b", True),
            "ProtocolVersion": GLib.Variant("i", 0)}[name]


def on_bus(connection, name):
    connection.register_object("/StatusNotifierWatcher", NODE.interfaces[0], on_call, on_get, None)


Gio.bus_own_name(Gio.BusType.SESSION, WATCHER, Gio.BusNameOwnerFlags.NONE, on_bus, None, None)
GLib.MainLoop().run()
