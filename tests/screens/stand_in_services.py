#!/usr/bin/python3

# SPDX-FileCopyrightText: 2026 The Pelorin developers
#
# SPDX-License-Identifier: GPL-3.0-or-later

"""Stand-ins for a phone's services on the bus named by DBUS_SESSION_BUS_ADDRESS.

  stand_in_services.py ofono LOG    oFono with one modem whose SIM phone book holds three
                                    entries, one of them without a name; each call it answers
                                    is a line in LOG
  stand_in_services.py silent NAME  owns NAME and never answers, as a hung service does
  stand_in_services.py notifications LOG [no-actions]
                                    a desktop notification service (with actions unless told
                                    otherwise); each call is a line in LOG; the test's own
                                    org.pelorin.Test.Invoke(id, key) makes it emit ActionInvoked
  stand_in_services.py logind LOG   logind's Inhibit: hands out a descriptor, and writes
                                    "released" into LOG when the holder closes it

Either prints "ready" once it is on the bus, and runs until it is ended.
"""
import os
import sys
import time

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

MODEM = "/phonesim"

# What oFono's Phonebook.Import gives: vCard 3.0 text, one card per SIM entry, the entry's text
# as FN.
PHONE_BOOK = (
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoë Ångström\r\nTEL;TYPE=VOICE:+46701234567\r\n"
    "END:VCARD\r\n\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\r\nTEL;TYPE=VOICE:+441632960001\r\nEND:VCARD\r\n\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mum\r\nTEL;TYPE=VOICE:+441632960002\r\nEND:VCARD\r\n\r\n"
)


class Log:
    def __init__(self, path):
        self.path = path

    def write(self, line):
        with open(self.path, "a", encoding="utf-8") as log:
            log.write(line + "\n")


class Manager(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/")
        self.log = log

    @dbus.service.method("org.ofono.Manager", in_signature="", out_signature="a(oa{sv})")
    def GetModems(self):
        self.log.write("GetModems")
        properties = {
            "Powered": dbus.Boolean(True),
            "Online": dbus.Boolean(True),
            "Name": dbus.String("Phonesim"),
            "Interfaces": dbus.Array(
                ["org.ofono.SimManager", "org.ofono.Phonebook"], signature="s"
            ),
        }
        return [(dbus.ObjectPath(MODEM), dbus.Dictionary(properties, signature="sv"))]


class Phonebook(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, MODEM)
        self.log = log

    @dbus.service.method("org.ofono.Phonebook", in_signature="", out_signature="s")
    def Import(self):
        self.log.write("Import " + MODEM)
        return PHONE_BOOK


def Shown(value):
    """A hint's value as text: a byte as its number."""
    return int(value) if isinstance(value, dbus.Byte) else value


class Notifications(dbus.service.Object):
    def __init__(self, bus, log, actions):
        super().__init__(bus, "/org/freedesktop/Notifications")
        self.log = log
        self.actions = actions
        self.last = 0

    @dbus.service.method("org.freedesktop.Notifications", in_signature="", out_signature="as")
    def GetCapabilities(self):
        self.log.write("GetCapabilities")
        return ["body", "actions"] if self.actions else ["body"]

    @dbus.service.method(
        "org.freedesktop.Notifications", in_signature="susssasa{sv}i", out_signature="u"
    )
    def Notify(self, app, replaces, icon, summary, body, actions, hints, expire):
        self.last += 1
        described = "|".join(
            [str(app), str(icon), str(summary), str(body), ",".join(actions)]
            + ["%s=%s" % (key, Shown(hints[key])) for key in sorted(hints)]
            + ["expire=%d" % expire]
        )
        self.log.write("Notify %d %s" % (self.last, described))
        return self.last

    @dbus.service.method("org.freedesktop.Notifications", in_signature="u", out_signature="")
    def CloseNotification(self, number):
        self.log.write("CloseNotification %d" % number)

    @dbus.service.signal("org.freedesktop.Notifications", signature="us")
    def ActionInvoked(self, number, key):
        pass

    @dbus.service.method("org.pelorin.Test", in_signature="us", out_signature="")
    def Invoke(self, number, key):
        self.ActionInvoked(number, key)


class Logind(dbus.service.Object):
    def __init__(self, bus, log):
        super().__init__(bus, "/org/freedesktop/login1")
        self.log = log

    @dbus.service.method(
        "org.freedesktop.login1.Manager", in_signature="ssss", out_signature="h"
    )
    def Inhibit(self, what, who, why, mode):
        self.log.write("Inhibit %s|%s|%s|%s" % (what, who, why, mode))
        held, given = os.pipe()
        GLib.io_add_watch(held, GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR, self.released)
        handed = dbus.types.UnixFd(given)
        os.close(given)
        return handed

    def released(self, held, condition):
        self.log.write("released")
        os.close(held)
        return False


def serve(name, make):
    DBusGMainLoop(set_as_default=True)
    bus = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
    served = make(bus)
    owned = dbus.service.BusName(name, bus)
    print("ready", flush=True)
    GLib.MainLoop().run()
    del served, owned


def main():
    address = os.environ["DBUS_SESSION_BUS_ADDRESS"]
    if len(sys.argv) == 3 and sys.argv[1] == "ofono":
        DBusGMainLoop(set_as_default=True)
        bus = dbus.bus.BusConnection(address)
        log = Log(sys.argv[2])
        objects = [Manager(bus, log), Phonebook(bus, log)]
        name = dbus.service.BusName("org.ofono", bus)
        print("ready", flush=True)
        GLib.MainLoop().run()
        del objects, name
    elif len(sys.argv) in (3, 4) and sys.argv[1] == "notifications":
        actions = sys.argv[3:] != ["no-actions"]
        serve(
            "org.freedesktop.Notifications",
            lambda bus: Notifications(bus, Log(sys.argv[2]), actions),
        )
    elif len(sys.argv) == 3 and sys.argv[1] == "logind":
        serve("org.freedesktop.login1", lambda bus: Logind(bus, Log(sys.argv[2])))
    elif len(sys.argv) == 3 and sys.argv[1] == "silent":
        bus = dbus.bus.BusConnection(address)
        bus.request_name(sys.argv[2])
        print("ready", flush=True)
        while True:
            time.sleep(60)
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
