#!/usr/bin/python3
"""Stand-ins for a phone's services on the bus named by DBUS_SESSION_BUS_ADDRESS.

  stand_in_services.py ofono LOG    oFono with one modem whose SIM phone book holds three
                                    entries, one of them without a name; each call it answers
                                    is a line in LOG
  stand_in_services.py silent NAME  owns NAME and never answers, as a hung service does

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
