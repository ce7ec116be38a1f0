#!/usr/bin/python3
"""org.freedesktop.ScreenSaver as KDE, Xfce and LXQt offer it, for the tests that read what the
program holds there (game.py, tst_sessionbus):

    screensaver.py FOLDER [--replace]

Each process keeps in FOLDER/PID.json its unique bus name, its holds ([sender, application,
reason]), how many it was asked for, and how many releases named a cookie that it had not granted
to their sender ("stray"). Like theirs, it forgets the holds of a program that leaves the bus and
counts its cookies afresh when started again. It lets another process take the name over
(--replace takes it) and stays on the bus with what it granted; a process that finds the name
taken leaves at once, before it writes anything. Needs nothing but GLib, so that it can run on a
bare private bus and be started there by activation."""

import json
import os
import sys

from gi.repository import Gio, GLib

NAME = "org.freedesktop.ScreenSaver"


def serve(folder, replace=False):
    holds, counts, owned = {}, {"asked": 0, "stray": 0}, []
    path = os.path.join(folder, f"{os.getpid()}.json")
    xml = ('<node><interface name="org.freedesktop.ScreenSaver"><method name="Inhibit"><arg '
           'type="s"/><arg type="s"/><arg type="u" direction="out"/></method><method '
           'name="UnInhibit"><arg type="u"/></method></interface></node>')

    def called(_bus, sender, _path, _interface, method, arguments, invocation):
        if method == "Inhibit":
            counts["asked"] += 1
            holds[counts["asked"]] = [sender, *arguments.unpack()]
        elif holds.get(arguments.unpack()[0], [None])[0] == sender:
            del holds[arguments.unpack()[0]]
        else:
            counts["stray"] += 1
        invocation.return_value(GLib.Variant("(u)", (counts["asked"],))
                                if method == "Inhibit" else None)
        save()

    def save(*signal):  # also when a name leaves the bus: its holds go
        gone = signal[-1].unpack()[::2] if signal else None
        for cookie in [c for c, h in holds.items() if (h[0], "") == gone]:
            del holds[cookie]
        if owned:
            with open(path + ".new", "w") as f:
                json.dump({"pid": os.getpid(), "name": bus.get_unique_name(),
                           "holds": list(holds.values()), **counts}, f)
            os.replace(path + ".new", path)

    def acquired(*_):
        owned.append(True)
        save()

    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    bus.signal_subscribe("org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
                         "/org/freedesktop/DBus", None, 0, save)
    bus.register_object("/org/freedesktop/ScreenSaver",
                        Gio.DBusNodeInfo.new_for_xml(xml).interfaces[0], called)
    loop = GLib.MainLoop()
    flags = Gio.BusNameOwnerFlags.ALLOW_REPLACEMENT | Gio.BusNameOwnerFlags.DO_NOT_QUEUE
    if replace:
        flags |= Gio.BusNameOwnerFlags.REPLACE
    Gio.bus_own_name_on_connection(bus, NAME, flags, acquired, lambda *_: owned or loop.quit())
    loop.run()


if __name__ == "__main__":
    serve(sys.argv[1], "--replace" in sys.argv[2:])
