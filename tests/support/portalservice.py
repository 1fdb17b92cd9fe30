#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A desktop portal as far as global shortcuts go: owns org.freedesktop.portal.Desktop
on the session bus and speaks GlobalShortcuts (sessions, Request objects and their
Response signals) and the host app registry. It says "ready", prints every call it
gets, one a line, and takes commands on its standard input:
  press / release      the bound shortcut goes down / up (Activated, Deactivated)
  press0               a press stamped 0 with no release, as KDE sends them
  change TEXT          the user bound TEXT in the desktop's settings (empty: none)
Options: --refuse (the user cancels the dialog), --no-shortcuts (a portal without the
GlobalShortcuts interface), --bind-as TEXT (bind TEXT whatever is asked for)."""

import os
import sys

import dbus
import dbus.service
from dbus.mainloop.glib import DBusGMainLoop
from gi.repository import GLib

PATH = "/org/freedesktop/portal/desktop"
SHORTCUTS = "org.freedesktop.portal.GlobalShortcuts"


def say(line):
    # One write a line: the test reads whole lines, and stdout may be unbuffered.
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def object_path(kind, sender, token):
    """Where a caller's Request or Session object lives, as the portal documents."""
    return f"{PATH}/{kind}/{sender[1:].replace('.', '_')}/{token}"


def describe(trigger):
    """"CTRL+SHIFT+j" described as KDE does: "Ctrl+Shift+J"."""
    names = {"CTRL": "Ctrl", "LOGO": "Meta"}
    return "+".join(names.get(p, p[:1].upper() + p[1:].lower()) for p in trigger.split("+"))


class Session(dbus.service.Object):
    @dbus.service.method("org.freedesktop.portal.Session")
    def Close(self):
        say("close " + self.__dbus_object_path__)
        self.remove_from_connection()


class Request(dbus.service.Object):
    @dbus.service.signal("org.freedesktop.portal.Request", signature="ua{sv}")
    def Response(self, response, results):
        # The answer comes on a later turn, after the call's own reply.
        GLib.timeout_add(100, self.remove_from_connection)


class Registry(dbus.service.Object):
    @dbus.service.method("org.freedesktop.host.portal.Registry", in_signature="sa{sv}")
    def Register(self, app_id, options):
        say("register " + app_id)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        raise dbus.exceptions.DBusException("no such property",
                                            name="org.freedesktop.DBus.Error.InvalidArgs")


class Portal(Registry):
    def __init__(self, bus, refuse, bind_as):
        super().__init__(bus, PATH)
        self.bus, self.refuse, self.bind_as = bus, refuse, bind_as
        self.session, self.id, self.time = "", "", 1000

    def respond(self, sender, options, response, results):
        request = Request(self.bus, object_path("request", sender, options["handle_token"]))
        GLib.timeout_add(10, lambda: request.Response(response, results) and False)
        return dbus.ObjectPath(request.__dbus_object_path__)

    @dbus.service.method(dbus.PROPERTIES_IFACE, in_signature="ss", out_signature="v")
    def Get(self, interface, name):
        return dbus.UInt32(1)

    @dbus.service.method(SHORTCUTS, in_signature="a{sv}", out_signature="o",
                         sender_keyword="sender")
    def CreateSession(self, options, sender):
        self.session = object_path("session", sender, options["session_handle_token"])
        say("create|" + ",".join(p.get("preferred_trigger", "") for _, p in
                                  options.get("shortcuts", [])))
        Session(self.bus, self.session)
        # The portal documents the handle as a string here.
        return self.respond(sender, options, 0, {"session_handle": self.session})

    @dbus.service.method(SHORTCUTS, in_signature="oa(sa{sv})sa{sv}", out_signature="o",
                         sender_keyword="sender")
    def BindShortcuts(self, session, shortcuts, parent_window, options, sender):
        bound = []
        for shortcut_id, props in shortcuts:
            preferred = props.get("preferred_trigger", "")
            where = "session" if session == self.session else session
            say(f"bind {where}|{shortcut_id}|{props.get('description', '')}|{preferred}")
            self.id = shortcut_id
            trigger = describe(preferred) if self.bind_as is None else self.bind_as
            bound.append((shortcut_id, {"description": props.get("description", ""),
                                        "trigger_description": trigger}))
        if self.refuse:
            return self.respond(sender, options, 1, {})
        shortcuts = dbus.Array(bound, signature="(sa{sv})")
        return self.respond(sender, options, 0, {"shortcuts": shortcuts})

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Activated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="osta{sv}")
    def Deactivated(self, session, shortcut_id, timestamp, options):
        pass

    @dbus.service.signal(SHORTCUTS, signature="oa(sa{sv})")
    def ShortcutsChanged(self, session, shortcuts):
        pass

    def command(self, line):
        if line == "press0" and self.session:
            self.Activated(self.session, self.id, dbus.UInt64(0), {})
        elif line in ("press", "release") and self.session:
            self.time += 30 if line == "press" else 5
            signal = self.Activated if line == "press" else self.Deactivated
            signal(self.session, self.id, dbus.UInt64(self.time), {})
        elif line.startswith("change") and self.session:
            trigger = line[len("change"):].strip()
            self.ShortcutsChanged(self.session, [(self.id, {"trigger_description": trigger})])


def main():
    DBusGMainLoop(set_as_default=True)
    args = sys.argv[1:]
    bus = dbus.SessionBus()
    if "--no-shortcuts" in args:
        portal = Registry(bus, PATH)
    else:
        bind_as = args[args.index("--bind-as") + 1] if "--bind-as" in args else None
        portal = Portal(bus, "--refuse" in args, bind_as)
    name = dbus.service.BusName("org.freedesktop.portal.Desktop", bus, do_not_queue=True)
    say("ready")
    loop = GLib.MainLoop()

    pending = b""

    def read(fd, condition):
        nonlocal pending
        data = os.read(fd, 4096)
        if not data:
            loop.quit()
            return False
        pending += data
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            if isinstance(portal, Portal):
                portal.command(line.decode().strip())
        return True

    GLib.io_add_watch(sys.stdin.fileno(), GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, read)
    loop.run()
    del name


if __name__ == "__main__":
    main()
