#!/usr/bin/python3
"""Plays the clock through the accessibility bus (AT-SPI), as a screen reader would.

    atspi_clock.py PATH-TO-OSTREVANE RUNTIME-DIR

Run inside dbus-run-session with DISPLAY set: starts the program with accessibility on, reads
what its main window says, presses the left player's push button through its "Press" action,
hears the right player's clock count down, and presses the right player's button. Prints one
"ok - " or "FAIL - " line per check and exits non-zero when a check failed.
"""

import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

LEFT_BUTTON = "Left player's clock button: end the left player's move"
RIGHT_BUTTON = "Right player's clock button: end the right player's move"
# Roles of what a player can meet on the window; each must say something in words.
SPOKEN_ROLES = {"push button", "label", "image", "menu item", "popup menu"}

failures = 0


def check(condition, message):
    global failures
    if condition:
        print("ok - " + message, flush=True)
    else:
        print("FAIL - " + message, flush=True)
        failures += 1
    return condition


def pump(seconds):
    """Lets the bus deliver events for a while."""
    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while context.iteration(False):
            pass
        time.sleep(0.02)


def poll(seconds, condition):
    end = time.monotonic() + seconds
    while True:
        pump(0)
        result = condition()
        if result or time.monotonic() >= end:
            return result
        time.sleep(0.05)


def find_application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application that left the bus meanwhile
            continue
    return None


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        return False
    return action.doAction(names.index("Press"))


class Window:
    """The main window's accessible objects, read afresh on each look."""

    def __init__(self, frame):
        self.frame = frame

    def all(self):
        return list(descendants(self.frame))

    def named(self, role, name):
        for node in self.all():
            if node.getRoleName() == role and node.name == name:
                return node
        return None

    def names(self, role, prefix):
        return [n.name for n in self.all() if n.getRoleName() == role and n.name.startswith(prefix)]


def main():
    binary, runtime = sys.argv[1], sys.argv[2]
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8")
    app_process = subprocess.Popen([binary], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE)
    try:
        run(app_process)
    finally:
        app_process.terminate()
        try:
            app_process.wait(5)
        except subprocess.TimeoutExpired:
            app_process.kill()
            app_process.wait()
    return 1 if failures else 0


def run(app_process):
    app = poll(45, lambda: find_application(app_process.pid))
    if not check(app is not None, "the program appears on the accessibility bus"):
        return
    frame = poll(20, lambda: next((c for c in app if c is not None and c.getRoleName() == "frame"
                                   and c.name == " Corvatine"), None))
    if not check(frame is not None, 'its main window is the frame " Corvatine"'):
        return
    window = Window(frame)

    # ---- What the window says before play ---------------------------------------------------
    silent = [f"{n.getRoleName()} {n.name!r}" for n in window.all()
              if n.getRoleName() in SPOKEN_ROLES
              and not any(c.isalpha() for c in n.name + n.description)]
    check(not silent, "every button, label, picture and menu says something in words"
          + (": not " + ", ".join(silent) if silent else ""))
    glyphs = [n.name for n in window.all()
              if n.getRoleName() == "push button" and not any(c.isalpha() for c in n.name)]
    check(not glyphs, "no push button is announced as a glyph" + (f": {glyphs}" if glyphs else ""))

    left = window.named("push button", LEFT_BUTTON)
    right = window.named("push button", RIGHT_BUTTON)
    check(left is not None and left.description == "Clock Push Left Button. Press it also to start.",
          f'left push button: "{LEFT_BUTTON}", its tooltip as description')
    check(right is not None, f'right push button: "{RIGHT_BUTTON}"')
    for name in ("Left clock: 0 hours 5 minutes 0 seconds",
                 "Right clock: 0 hours 5 minutes 0 seconds", "Left player's moves: 0",
                 "Right player's moves: 0", "Left clock: time is not up",
                 "Right clock: time is not up"):
        check(window.named("label", name) is not None, f'a label reads "{name}"')
    if left is None or right is None:
        return

    # ---- The left player's push through the bus ---------------------------------------------
    announced = []

    def on_name_change(event):
        # Qt sends the object itself along, so the new name is read from it (the events are
        # delivered within a few milliseconds, long before the next tick).
        announced.append(event.source.name)

    pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
    check(press(left), "the left push button takes the Press action")
    check(poll(10, lambda: not showing(left) and showing(right)),
          "after the press the left button is hidden and the right one shown")

    # Two ticks of the right clock: from 0:5:00 to 0:4:59, then to 0:4:58.
    second_tick = "Right clock: 0 hours 4 minutes 58 seconds"
    heard = poll(10, lambda: window.named("label", second_tick) is not None)
    check(heard, f'the right clock counts down: its hours label reads "{second_tick}"')
    pump(0.2)
    pyatspi.Registry.deregisterEventListener(on_name_change,
                                             "object:property-change:accessible-name")
    by_label = {prefix: [a for a in announced if a.startswith(prefix)]
                for prefix in ("Right clock: ", "Right clock minutes: ", "Right clock seconds: ",
                               "Left clock", "Left player's", "Right player's")}
    print(f"# announced: {announced}")
    check(by_label["Right clock: "] == ["Right clock: 0 hours 4 minutes 59 seconds", second_tick],
          "the right clock's time was announced once per tick")
    check(by_label["Right clock seconds: "] == ["Right clock seconds: 59", "Right clock seconds: 58"],
          "its seconds were announced once per tick")
    check(by_label["Right clock minutes: "] == ["Right clock minutes: 4"],
          "its minutes were announced only when they changed")
    check(not by_label["Left clock"] and not by_label["Left player's"]
          and not by_label["Right player's"],
          "nothing else was announced while the right clock ran")

    # ---- The right player's push ------------------------------------------------------------
    check(press(right), "the right push button takes the Press action")
    check(poll(10, lambda: window.named("label", "Right player's moves: 1") is not None),
          'the right player\'s move is counted: "Right player\'s moves: 1"')
    check(poll(10, lambda: showing(left) and not showing(right)),
          "the left button is shown again, the right one hidden")


if __name__ == "__main__":
    sys.exit(main())
