#!/usr/bin/env python3
"""The desktop's appearance settings as a GNOME session offers them to
programs: the XDG desktop portal's Settings interface, on the session bus
DBUS_SESSION_BUS_ADDRESS names, with a colour-scheme preference of dark or
light and no raised contrast. Qt's GNOME and GTK themes ask it; a session
without it makes them complain on standard error.

Prints "ready" once it owns its bus name, then serves until ended.

    settings_portal.py dark|light
"""

import fnmatch
import os
import sys

from gi.repository import Gio, GLib

INTERFACE = """
<node>
  <interface name="org.freedesktop.portal.Settings">
    <method name="ReadAll">
      <arg type="as" name="namespaces" direction="in"/>
      <arg type="a{sa{sv}}" name="value" direction="out"/>
    </method>
    <method name="Read">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <method name="ReadOne">
      <arg type="s" name="namespace" direction="in"/>
      <arg type="s" name="key" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <signal name="SettingChanged">
      <arg type="s" name="namespace"/>
      <arg type="s" name="key"/>
      <arg type="v" name="value"/>
    </signal>
    <property name="version" type="u" access="read"/>
  </interface>
</node>
"""

# The portal's codes: colour scheme 1 prefers dark, 2 light; contrast 0 normal.
SCHEMES = {"dark": 1, "light": 2}


def serve(scheme):
    settings = {"org.freedesktop.appearance": {
        "color-scheme": GLib.Variant("u", SCHEMES[scheme]),
        "contrast": GLib.Variant("u", 0),
    }}

    def method_call(_connection, _sender, _path, _interface, method, parameters, invocation):
        if method == "ReadAll":
            patterns = parameters.unpack()[0] or ["*"]
            chosen = {namespace: values for namespace, values in settings.items()
                      if any(fnmatch.fnmatchcase(namespace, p) for p in patterns)}
            invocation.return_value(GLib.Variant("(a{sa{sv}})", (chosen,)))
            return
        namespace, key = parameters.unpack()
        value = settings.get(namespace, {}).get(key)
        if value is None:
            invocation.return_dbus_error("org.freedesktop.portal.Error.NotFound",
                                         f"no setting {namespace} {key}")
        elif method == "Read":  # the older call wraps the value once more
            invocation.return_value(GLib.Variant("(v)", (GLib.Variant("v", value),)))
        else:
            invocation.return_value(GLib.Variant("(v)", (value,)))

    def get_property(*_):
        return GLib.Variant("u", 2)

    connection = Gio.DBusConnection.new_for_address_sync(
        os.environ["DBUS_SESSION_BUS_ADDRESS"],
        Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    interface = Gio.DBusNodeInfo.new_for_xml(INTERFACE).interfaces[0]
    connection.register_object("/org/freedesktop/portal/desktop", interface, method_call,
                               get_property, None)
    loop = GLib.MainLoop()

    def acquired(*_):
        print("ready", flush=True)

    def lost(*_):
        print("could not own org.freedesktop.portal.Desktop", file=sys.stderr)
        loop.quit()

    Gio.bus_own_name_on_connection(connection, "org.freedesktop.portal.Desktop",
                                   Gio.BusNameOwnerFlags.NONE, acquired, lost)
    loop.run()
    return 1


if __name__ == "__main__":
    if len(sys.argv) != 2 or sys.argv[1] not in SCHEMES:
        sys.exit(__doc__)
    sys.exit(serve(sys.argv[1]))
