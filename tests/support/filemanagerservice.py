#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A file manager as far as the freedesktop FileManager1 interface goes: owns the name
on the session bus, says "ready", and prints the URIs of every ShowItems request, one a
line, until its standard input closes."""

import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib


def say(line):
    # One write a line: the test reads whole lines, and stdout may be unbuffered.
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


class FileManager(dbus.service.Object):
    @dbus.service.method("org.freedesktop.FileManager1", in_signature="ass")
    def ShowItems(self, uris, startup_id):
        for uri in uris:
            say("ShowItems " + uri)


DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
manager = FileManager(bus, "/org/freedesktop/FileManager1")
name = dbus.service.BusName("org.freedesktop.FileManager1", bus, do_not_queue=True)
say("ready")
loop = GLib.MainLoop()
GLib.io_add_watch(sys.stdin.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP,
                  lambda fd, condition: bool(os.read(fd, 64)) or loop.quit())
loop.run()
