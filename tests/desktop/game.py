#!/usr/bin/python3
"""One short game of the real binary, the same on every desktop, seen the way the players see
it: through the accessibility bus, in screenshots and, with a screen reader's log, in what the
screen reader says.

    game.py bare|openbox|kde|xfce|sway|gnome BINARY WORK-DIR [SPEECH-LOG]

Runs inside the desktop and the D-Bus session that test_game.sh starts. Keys go to the X server
(xdotool), to sway (wtype) or to GNOME's compositor (its remote-desktop service); clicks are real
pointer clicks on X and the button's "Press" action on the headless Wayland seats, which have no
pointer. GNOME's compositor takes no screenshot from outside, so there the game is seen through
the bus alone. What keeps the display awake is read from the desktop's own parts: the X server's
screen saver (bare), sway's idle daemon, GNOME's session manager, and a screen saver service of the
test's own on the session bus (bare). Prints one "ok - " or "FAIL - " line per check; exits
non-zero when a check failed.
"""

import glob
import json
import os
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screensaver import NAME as SCREENSAVER  # noqa: E402
from xhelper import Image, differing_pixels, locate  # noqa: E402

DESKTOP, BINARY, WORK = (sys.argv + [None] * 3)[1:4]
SPEECH_LOG = sys.argv[4] if len(sys.argv) > 4 else None


X11 = DESKTOP not in ("sway", "gnome")
SHOTS = DESKTOP != "gnome"
MAIN, DIALOG, HELP, ABOUT = " Corvatine", "Set time parameters", "General Help", "About Ostrevane"
LEFT = "Left player's clock button: end the left player's move"
RIGHT = "Right player's clock button: end the right player's move"
SCREEN = (1280, 1024)
# Client-area rectangles (pixels) of the right player's button, the left seconds and a strip of
# the left game-over mark that no digit box covers.
COMMAND1, RIGHT_SECONDS, LEFT_MARK_STRIP = (364, 104, 57, 33), (460, 148, 101, 97), (8, 246, 270, 5)
failures = 0


def check(condition, message):
    global failures
    print(("ok - " if condition else "FAIL - ") + message, flush=True)
    failures += 0 if condition else 1
    if not condition and X11:
        # Whose window has the keyboard tells the program's fault from the window manager's.
        focus = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"],
                               capture_output=True, text=True)
        said = (focus.stdout or focus.stderr).strip().splitlines() or [""]
        print(f"# the X focus is on {said[0]!r}", flush=True)
    return condition


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def pump(seconds=0.0):
    """Lets the bus deliver its events, for a while."""
    end = time.monotonic() + seconds
    while True:
        while GLib.MainContext.default().iteration(False):
            pass
        if time.monotonic() >= end:
            return
        time.sleep(0.02)


def poll(seconds, question, every=0.1):
    """Every question walks the program's tree over the bus, where a screen reader's questions
    wait behind ours: it gets time between them."""
    end = time.monotonic() + seconds
    while True:
        pump()
        answer = question()
        if answer or time.monotonic() >= end:
            return answer
        time.sleep(every * (3 if SPEECH_LOG else 1))


# ---- The accessibility bus -------------------------------------------------------------------

def descendants(node):
    for child in node:
        if child is not None:
            yield child
            yield from descendants(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


# Roles by what they are, not by the name that one release of the accessibility stack gives them
# (a push button is "push button" in Debian 12's and "button" in Debian 13's).
ROLES = {"button": pyatspi.ROLE_PUSH_BUTTON, "frame": pyatspi.ROLE_FRAME,
         "dialog": pyatspi.ROLE_DIALOG, "alert": pyatspi.ROLE_ALERT, "label": pyatspi.ROLE_LABEL,
         "combo box": pyatspi.ROLE_COMBO_BOX, "menu item": pyatspi.ROLE_MENU_ITEM,
         "text": pyatspi.ROLE_TEXT,
         "image": pyatspi.ROLE_IMAGE}
ROLE_NAMES = {role: name for name, role in ROLES.items()}


def role(node):
    return ROLE_NAMES.get(node.getRole(), node.getRoleName())


class Program:
    def __init__(self, process):
        self.process = process
        self.app = poll(45, lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a is not None
                                          and a.get_process_id() == process.pid), None))

    def find(self, kind, name, shown=True):
        """The object of that role and name (a prefix when it ends in "*")."""
        for top in self.app:
            for node in [top, *descendants(top)] if top is not None else []:
                if (node.getRole() == ROLES[kind] and (node.name.startswith(name[:-1])
                                                    if name.endswith("*") else node.name == name)
                        and (not shown or showing(node))):
                    return node
        return None

    def shows(self, kind, name, seconds=5, every=0.1):
        return poll(seconds, lambda: self.find(kind, name), every) is not None

    def gone(self, kind, name, seconds=5):
        return poll(seconds, lambda: self.find(kind, name) is None)

    def label(self, prefix):
        """The text of the label that starts so ("Left clock: " reads the left clock)."""
        node = self.find("label", prefix + "*")
        return node.name if node else None

    def focused(self):
        """"role:name" of the focused controls of the active window: a control and what holds
        it (a combo box its text, a button box its button)."""
        for top in self.app:
            if top is not None and top.getState().contains(pyatspi.STATE_ACTIVE):
                return [f"{role(n)}:{n.name}" for n in descendants(top)
                        if n.getState().contains(pyatspi.STATE_FOCUSED)]
        return []

    def typed(self):
        """The text of the focused text field."""
        for top in self.app:
            for node in descendants(top) if top is not None else []:
                if role(node) == "text" and node.getState().contains(pyatspi.STATE_FOCUSED):
                    return node.queryText().getText(0, -1)
        return None

    def focus_on(self, expected, seconds=5):
        if poll(seconds, lambda: expected in self.focused()):
            return True
        print(f"# the focus is on {self.focused()}, not on {expected}")
        return False


# ---- What differs between the desktops -------------------------------------------------------

class RemoteDesktop:
    """GNOME's compositor has no virtual keyboard for clients; its remote-desktop service takes
    keys as X keysyms over D-Bus, for as long as the session that this object opens lives."""
    SERVICE, SESSION = "org.gnome.Mutter.RemoteDesktop", "org.gnome.Mutter.RemoteDesktop.Session"
    KEYSYMS = {"space": 0x20, "Return": 0xff0d, "Escape": 0xff1b, "Tab": 0xff09, "Down": 0xff54,
               "F4": 0xffc1, "ctrl": 0xffe3, "alt": 0xffe9}

    def __init__(self):
        from gi.repository import Gio
        self.bus, self.flags = Gio.bus_get_sync(Gio.BusType.SESSION), Gio.DBusCallFlags.NONE
        self.session = self.call("/org/gnome/Mutter/RemoteDesktop", self.SERVICE, "CreateSession")[0]
        self.call(self.session, self.SESSION, "Start")
        # The first key after the start is lost unless a modifier goes down and up first, and
        # the program needs a moment to take on the new keyboard.
        self.key("ctrl", True)
        self.key("ctrl", False)
        time.sleep(1)

    def call(self, path, interface, method, args=None):
        return self.bus.call_sync(self.SERVICE, path, interface, method, args, None, self.flags,
                                  -1, None).unpack()

    def key(self, name, pressed):
        keysym = self.KEYSYMS.get(name, ord(name[0]) if len(name) == 1 else None)
        self.call(self.session, self.SESSION, "NotifyKeyboardKeysym",
                  GLib.Variant("(ub)", (keysym, pressed)))


remote = None


def strike(combo, hold=0.0):
    """One combination in xdotool's key names (space, ctrl+l, alt+s, Escape, Return, Tab, Down).
    The modifiers go down a moment before the key, as a player's fingers do: a screen reader sees
    every key before the program does, and a menu's Alt+letter pressed faster got lost on the
    way. With `hold` the key stays down that many seconds, as under a player who leans on it."""
    *mods, last = combo.split("+")
    if X11:
        downs = [w for m in mods for w in ("keydown", m)] + (["sleep", "0.2"] if mods else [])
        stroke = ["keydown", last, "sleep", str(hold), "keyup", last] if hold else ["key", last]
        run("xdotool", *downs, *stroke, *[w for m in mods for w in ("keyup", m)])
    elif DESKTOP == "sway":
        stroke = ["-P", last, "-s", str(int(hold * 1000)), "-p", last] if hold else ["-k", last]
        run("wtype", *[a for m in mods for a in ("-M", m)], *stroke,
            *[a for m in mods for a in ("-m", m)])
    else:
        for name in mods:
            remote.key(name, True)
        time.sleep(0.2 if mods else 0)
        remote.key(last, True)
        time.sleep(hold or 0.02)
        remote.key(last, False)
        for name in reversed(mods):
            remote.key(name, False)


def key(*combos):
    for combo in combos:
        strike(combo)
        time.sleep(0.3 if speech else 0.1)


def type_text(text):
    if X11:
        run("xdotool", "type", "--delay", "50", text)
    elif DESKTOP == "sway":
        run("wtype", text)
    else:
        for character in text:
            strike(character)
            time.sleep(0.05)


def click(node):
    if X11:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        run("xdotool", "mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
            "click", "1")
        return
    action = node.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))


def close_box(title):
    """What the window manager's close box sends: on X11 the window manager is asked to close
    the window (without one, the request goes to the window itself); sway is asked likewise;
    GNOME's compositor closes the active window on Alt+F4."""
    if X11:
        wid = run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split()[0]
        run(sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)), "xhelper.py"),
            "close", wid)
    elif DESKTOP == "sway":
        run("swaymsg", f'[title="^{title}$"] kill')
    else:
        strike("alt+F4")


class BusyCores:
    """Every core busy for a while, as a chess engine or a broadcast beside the clock keeps
    them; bounded in time, so that nothing outlives the test."""

    def __enter__(self):
        # The screen reader's run is about what it says; the other runs load the machine.
        spin = "import time\nend = time.monotonic() + 120\nwhile time.monotonic() < end: pass"
        self.loops = [] if speech else [subprocess.Popen([sys.executable, "-c", spin])
                                        for _ in range(os.cpu_count() or 2)]
        return self

    def __exit__(self, *error):
        for loop in self.loops:
            loop.kill()
            loop.wait()


class Holds:
    """Whether the program keeps the display awake, asked of the desktop's own parts: on the bare X
    server its screen saver (on after 3 s without input) and the screen saver service of the
    test's own; in sway its idle daemon (3 s, started by test_game.sh, which writes each "timeout"
    and "resume" to a file); in GNOME its session manager. Elsewhere, and while the screen reader
    listens (that run is about what it says), nothing."""
    IDLE, HOLD = 3, ["org.ostrevane.Corvatine", "A chess clock is running"]
    GNOME = "org.gnome.SessionManager"

    def __init__(self):
        from gi.repository import Gio
        self.bus, self.services, self.running = Gio.bus_get_sync(Gio.BusType.SESSION), {}, {}
        self.pushed = False
        if self.asked() and DESKTOP == "bare":
            from Xlib import X, display
            # Kept open: the server forgets its settings when its last client leaves.
            self.x = display.Display()
            self.x.set_screen_saver(self.IDLE, 0, X.DefaultBlanking, X.DefaultExposures)
            self.x.sync()
            self.folder = os.path.join(WORK, "holds")
            os.makedirs(self.folder, exist_ok=True)
            self.services[SCREENSAVER] = (sys.executable, os.path.join(
                os.path.dirname(os.path.abspath(__file__)), "screensaver.py"), self.folder)
        elif DESKTOP == "gnome":
            self.services[self.GNOME] = ("/usr/libexec/gnome-session-binary",
                                         "--session=ostrevane", "--disable-acceleration-check")
        for name in self.services:
            self.start(name)

    @staticmethod
    def asked():
        return DESKTOP in ("bare", "sway", "gnome") and not SPEECH_LOG

    def call(self, name, method, arguments=None, path=None, interface=None):
        path = path or "/" + name.replace(".", "/")
        return self.bus.call_sync(name, path, interface or name, method, arguments, None, 0,
                                  2000, None).unpack()[0]

    def on_bus(self, name):
        return self.call("org.freedesktop.DBus", "NameHasOwner", GLib.Variant("(s)", (name,)))

    def start(self, name):
        """Starts the service, or kills it and starts it again; true once it is on the bus."""
        self.stop(name)
        poll(5, lambda: not self.on_bus(name))
        self.running[name] = subprocess.Popen(self.services[name], stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL)
        return poll(15, lambda: self.on_bus(name))

    def stop(self, *names):
        for name in names or list(self.running):
            if process := self.running.pop(name, None):
                process.kill()
                process.wait()

    def state(self):
        """Each part's answer to "is the display kept awake?"."""
        if not self.asked():
            return {}
        if DESKTOP == "sway":
            with open(os.path.join(WORK, "idle.log")) as f:
                return {"sway's idle daemon": not f.read().strip().endswith("timeout")}
        if DESKTOP == "gnome":
            holds = [self.call(self.GNOME, m, path=p, interface=self.GNOME + ".Inhibitor")
                     for p in self.call(self.GNOME, "GetInhibitors")
                     for m in ("GetAppId", "GetReason")]
            return {"GNOME's session manager": holds == self.HOLD and self.call(
                self.GNOME, "IsInhibited", GLib.Variant("(u)", (8,)))}  # 8: idle
        from Xlib.ext import screensaver
        services = []
        for record in glob.glob(os.path.join(self.folder, "*.json")):
            with open(record) as f:
                services.append(json.load(f))
        # Only a process still on the bus holds anything.
        service_holds = [h[1:] for s in services if self.on_bus(s["name"]) for h in s["holds"]]
        # A hold asked for before the game's first push counts as one kept.
        return {"X screen saver": self.x.screen().root.screensaver_query_info().state
                != screensaver.StateOn,
                "screen saver service": service_holds == [self.HOLD]
                or (sum(s["asked"] for s in services) > 0 and not self.pushed)}

    def let_go(self, when):
        """Every part says that the display is let go, within the idle time and a little."""
        if self.asked():
            check(poll(self.IDLE + 2, lambda: not any(self.state().values())),
                  f"{when}: the display is let go ({self.state()})")


holds = None


def keyboard_elsewhere():
    """Puts the keyboard where it is not the program's to take back at will: on X11 in another
    program's window (a bare window of the test's own), on Wayland in the clock window itself, as
    the compositor hands it over (sway is kept from handing on, meanwhile). Returns the other
    program's connection, whose window goes with it."""
    if X11:
        from Xlib import X, display
        x = display.Display()
        window = x.screen().root.create_window(0, 0, 200, 100, 0, x.screen().root_depth,
                                               event_mask=X.KeyPressMask)
        window.set_wm_name("Another program")
        window.map()
        x.sync()
        run("xdotool", "search", "--sync", "--onlyvisible", "--name", "^Another program$",
            "windowactivate" if DESKTOP != "bare" else "windowfocus", "--sync")
        return x
    if DESKTOP == "sway":
        run("swaymsg", "focus_on_window_activation none")
        run("swaymsg", f'[title="^{MAIN}$"] focus')
        time.sleep(1.5)  # past the program's own request to hand the keyboard on
        check(program.find("frame", MAIN).getState().contains(pyatspi.STATE_ACTIVE),
              "sway gave the blocked clock window the keyboard, and left it there")
        run("swaymsg", "focus_on_window_activation smart")
    return None


def relabel_and_hold(*symbols):
    """Gives a key that the layout leaves unused each symbol in turn (0 for none), as a switch of
    layouts does, and holds it down a while after each; the key is left unused again."""
    from Xlib import X, XK, display
    from Xlib.ext import xtest
    x = display.Display()
    first, last = x.display.info.min_keycode, x.display.info.max_keycode
    spare = max(k for k, syms in enumerate(x.get_keyboard_mapping(first, last - first + 1), first)
                if not any(syms))
    for symbol in (*symbols, None):
        x.change_keyboard_mapping(spare, [(XK.string_to_keysym(symbol) if symbol else 0,)])
        x.sync()
        if symbol is not None:
            time.sleep(0.3)
            for event in (X.KeyPress, X.KeyRelease):
                xtest.fake_input(x, event, spare)
                x.sync()
                time.sleep(1.2 if event == X.KeyPress else 0.2)


def open_settings():
    """Alt+S, and the settings dialog shown and given the keys (a window manager takes its time
    under load)."""
    key("alt+s")
    give_focus(DIALOG)
    return program.shows("dialog", DIALOG, 10) and poll(10, lambda: any(
        f.split(":")[0] in ("combo box", "text") for f in program.focused()))


def answer_and_close(title):
    """Return, then the close request for the window of that title, in one go (bare X11)."""
    from Xlib import X, XK, display, protocol
    from Xlib.ext import xtest
    x = display.Display()
    window = x.create_resource_object("window", int(run("xdotool", "search", "--onlyvisible",
                                                        "--name", f"^{title}$").split()[0]))
    keycode = x.keysym_to_keycode(XK.string_to_keysym("Return"))
    xtest.fake_input(x, X.KeyPress, keycode)
    xtest.fake_input(x, X.KeyRelease, keycode)
    window.send_event(protocol.event.ClientMessage(
        window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
        data=(32, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])))
    x.sync()
    x.close()


CLOSES_AFTER_RETURN = 12


def give_focus(title):
    """Without a window manager nobody else hands out the X focus."""
    if DESKTOP == "bare":
        run("timeout", "10", "xdotool", "search", "--sync", "--onlyvisible", "--name",
            f"^{title}$", "windowfocus", "--sync")


def window_rect(title, kind="frame"):
    """The window's client area on the screen (its menu bar included), frame excluded."""
    if X11:
        # The bus has it right on X11; xdotool counts a window manager's frame in.
        box = poll(5, lambda: program.find(kind, title)).queryComponent().getExtents(
            pyatspi.DESKTOP_COORDS)
        wid = run("xdotool", "search", "--onlyvisible", "--name", f"^{title}$").split()[0]
        return (box.x, box.y, box.width, box.height), wid

    def walk(node):
        if node.get("name") == title:
            r, w = node["rect"], node["window_rect"]
            return (r["x"] + w["x"], r["y"] + w["y"], w["width"], w["height"]), None
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            if found := walk(child):
                return found
        return None
    return walk(json.loads(run("swaymsg", "-t", "get_tree")))


def frame_centre(title, kind):
    (x, y, w, h), wid = window_rect(title, kind)
    extents = re.findall(r"\d+", run("xprop", "-id", wid, "_NET_FRAME_EXTENTS")) or [0] * 4
    left, right, top, bottom = map(int, extents[-4:])
    return (x - left + (w + left + right) / 2, y - top + (h + top + bottom) / 2)


def centred(title, kind="frame"):
    """On X11 the window, frame included, is centred on the screen when first shown (a window
    manager's frame is known once the window is up, and the window is centred again with it);
    on Wayland the compositor places it."""
    if X11:
        def at_centre():
            cx, cy = frame_centre(title, kind)
            return abs(cx - SCREEN[0] / 2) <= 1 and abs(cy - SCREEN[1] / 2) <= 1
        check(poll(2, at_centre), f'"{title}" is centred on the screen (its centre at '
              f'{frame_centre(title, kind)})')


shot_count = 0


def shot(name):
    global shot_count
    shot_count += 1
    base = os.path.join(WORK, f"{shot_count:03d}-{name}")
    run("import", "-window", "root", base + ".png") if X11 else run("grim", base + ".png")
    run("convert", base + ".png", base + ".ppm")
    return Image(base + ".ppm")


class Face:
    """A screenshot of the main window, its client area found by the background picture."""

    background = Image(os.path.join(WORK, "background.ppm"))

    def __init__(self, name):
        self.image = shot(name)
        (wx, wy, ww, wh), _ = window_rect(MAIN)
        dx, dy, self.score = locate(self.image, wx, wy, ww, min(wh, 400), Face.background)
        self.x, self.y = wx + dx, wy + dy

    def painted(self):
        return self.score < 3

    def shows_background(self, rect):
        x, y, w, h = rect
        return all(max(abs(p - q) for p, q in zip(self.image.row(self.x + x, self.y + y + r, w),
                                                  Face.background.row(x, y + r, w))) <= 8
                   for r in range(h))

    def changed(self, other, rect):
        x, y, w, h = rect
        return sum(differing_pixels(self.image, other.image, self.x + x, self.y + y + r, w, 1, 24)
                   for r in range(h)) > 0

    def dark(self, rect):
        x, y, w, h = rect
        return all(max(self.image.row(self.x + x, self.y + y + r, w)) < 40 for r in range(h))


# ---- What the screen reader says ----------------------------------------------------------------

class Speech:
    """Orca's log: an entry a time stamp, an utterance "SPEECH OUTPUT: '...'" (on more lines
    than one where it reads a label that has them), its quotes not escaped, and after it the
    voice (whose settings Orca 48 nests)."""
    ENTRY = re.compile(r"^\d\d:\d\d:\d\d\.\d+ - ", re.M)
    SAID = re.compile(r"SPEECH OUTPUT: '(.*?)'(?: ?\{.*\})?\s*$", re.S)

    def __init__(self, path):
        self.path, self.seen = path, 0

    def all(self):
        with open(self.path, errors="replace") as log:
            return [m.group(1) for m in map(self.SAID.match, self.ENTRY.split(log.read())) if m]

    def heard(self, *patterns, seconds=8):
        """Each pattern, in this order, in what was said since the last call."""
        def found():
            said, at = self.all()[self.seen:], 0
            for pattern in patterns:
                at = next((i + 1 for i in range(at, len(said)) if re.search(pattern, said[i])), -1)
                if at < 0:
                    return False
            self.seen += at
            return True
        ok = poll(seconds, found)
        if not ok:
            print(f"# said lately: {self.all()[-12:]}")
        return ok


speech = Speech(SPEECH_LOG) if SPEECH_LOG else None
# What the program announces: Orca 43 reads it as a notification's name (Qt 6.4), Orca 48 hears
# it as an announcement (Qt 6.8) and says the text alone.
NOTE = "^(?:notification )?"
program = None


def said(message, *patterns):
    if speech:
        check(speech.heard(*patterns), f'the screen reader says {message}')


# ---- The game ---------------------------------------------------------------------------------

def main():
    global holds
    pyatspi.Registry.getDesktop(0)  # the bus comes up before the program, or it may never show
    time.sleep(1)
    holds = Holds()
    env = dict(os.environ, QT_QPA_PLATFORM="xcb" if X11 else "wayland",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C.UTF-8")
    with open(os.path.join(WORK, "app.stderr"), "w") as errors:
        process = subprocess.Popen([BINARY], env=env, stdout=subprocess.DEVNULL, stderr=errors)
    try:
        play(Program(process))
    finally:
        if process.poll() is None:
            process.kill()
        holds.stop()
    return 1 if failures else 0


def play(p):
    global program
    program = p
    if not check(p.app is not None and p.shows("frame", MAIN, 20), "the main window is up"):
        return
    if DESKTOP == "gnome":
        global remote
        remote = RemoteDesktop()
    give_focus(MAIN)
    centred(MAIN)
    check(p.focus_on("button:Set"), "the Set button has the focus")
    if SHOTS:
        start = Face("start")
        check(start.painted(), f"the clock face is on screen (mean difference {start.score:.1f})")
    said("the window and its Set button", "Corvatine frame", "^Set (push )?button", "^Set Time")
    silent = [f"{role(n)} {n.name!r}" for n in descendants(p.find("frame", MAIN))
              if role(n) in ("button", "label", "image", "menu item")
              and not any(c.isalpha() for c in n.name + n.description)]
    check(not silent, "every control of the window says something in words " + str(silent))

    holds.let_go("before the first push")
    # On a fresh start Space on Set opens the settings and Esc brings the clock back, which must
    # be the active window again, with its focus on the bus.
    key("space")
    check(p.gone("frame", MAIN) and p.shows("dialog", DIALOG), "Space on Set: the settings")
    give_focus(DIALOG)
    centred(DIALOG, "dialog")
    key("Escape")
    check(p.shows("frame", MAIN) and p.gone("dialog", DIALOG), "Esc: the clock again")
    give_focus(MAIN)
    check(p.focus_on("button:Set"), "the clock window is active, its focus on Set, on the bus")

    # Whatever takes the focus is announced: no push may pass it through another control.
    focused = []

    def on_focus(event):
        if event.detail1:
            focused.append(f"{role(event.source)}:{event.source.name}")
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")

    # The right player starts the game with Ctrl+L, the left one answers with Space.
    holds.pushed = True
    key("ctrl+l")
    check(p.gone("button", RIGHT), "Ctrl+L pushes the right player's button, which goes")
    check(p.focus_on("button:" + LEFT), "the left player's button has the focus, on the bus")
    if SHOTS:
        check(Face("pushed").shows_background(COMMAND1),
              "the right player's button is gone from screen")
    said("the left player's button and time", "^" + LEFT + " (push )?button",
         "^Clock Push Left Button", NOTE + "Left player to move, 5 minutes 0 seconds left")
    check(p.shows("label", "Left clock: 0 hours 4 minutes 5*", 3), "the left clock runs")
    names = []
    listener = lambda event: names.append(event.source.name)  # noqa: E731
    pyatspi.Registry.registerEventListener(listener, "object:property-change:accessible-name")
    key("space")
    check(p.gone("button", LEFT), "Space pressed the left player's button")
    check(p.focus_on("button:" + RIGHT), "the right player's button has the focus")
    said("the right player's time", "^" + RIGHT + " (push )?button",
         NOTE + "Right player to move, 5 minutes 0 seconds left")
    check(p.shows("label", "Right clock: 0 hours 4 minutes 58 seconds", 4), "the right clock runs")
    pump(0.2)
    pyatspi.Registry.deregisterEventListener(listener, "object:property-change:accessible-name")
    check([n for n in names if n.startswith("Right clock: ")] ==
          ["Right clock: 0 hours 4 minutes 59 seconds", "Right clock: 0 hours 4 minutes 58 seconds"]
          and [n for n in names if not n.startswith("Right clock")] == ["Left player's moves: 1"],
          f"the bus hears the push's count, then the running clock once per tick ({names})")

    # A player who leans on his key a moment too long, on a busy machine, makes one move: the
    # right player with Ctrl+L, then the left player with Space on his button.
    for combo, player, count in (("ctrl+l", "Left", "Right player's moves: 1"),
                                 ("space", "Right", "Left player's moves: 2")):
        before = p.label(f"{player} clock: ")
        with BusyCores():
            strike(combo, hold=1.5)
            check(p.focus_on(f"button:{LEFT if player == 'Left' else RIGHT}", 10)
                  and p.shows("label", count, 10),
                  f"{combo} held for 1.5 s under load: one push, the focus on the {player.lower()} "
                  f"player's button ({p.label(count[:-2])})")
            check(poll(5, lambda: p.label(f"{player} clock: ") != before),
                  f"the {player.lower()} clock runs after the held push")
        said("whose move it is, once", NOTE + f"{player} player to move")
    if X11 and not speech:
        # Two quick presses are two moves, though: a key that came up in between is no repeat.
        # (How a screen reader speaks two moves 80 ms apart is its own affair.)
        with BusyCores():
            run("xdotool", "key", "space", "sleep", "0.08", "key", "space")
            check(p.shows("label", "Right player's moves: 2", 10)
                  and p.shows("label", "Left player's moves: 3", 10)
                  and p.focus_on("button:" + RIGHT, 10),
                  "two presses of Space 80 ms apart under load: two pushes")

    key("ctrl+p")
    check(p.shows("button", LEFT) and p.focus_on("button:" + LEFT),
          "Ctrl+P pauses: the left player's button is back, with the focus, to resume")
    said("that the game is paused", NOTE + "Game paused")
    before, right = Face("paused") if SHOTS else None, p.find("label", "Right clock: *").name
    time.sleep(1.5)
    check((not SHOTS or not before.changed(Face("still-paused"), RIGHT_SECONDS))
          and p.find("label", "Right clock: *").name == right, "paused: the clocks stand still")
    holds.let_go("paused")
    key("space")
    check(p.focus_on("button:" + RIGHT), "Space resumes: the right player's button has the focus")
    said("the resumed player's time", NOTE + r"Right player to move, 4 minutes \d+ seconds left")
    pump(0.3)
    pyatspi.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")
    check(focused and all(f in ("button:" + LEFT, "button:" + RIGHT) for f in focused),
          f"the pushes and the pause gave the focus to the push buttons only ({focused})")

    if DESKTOP == "sway" and holds.asked():
        # While a clock runs, the settings dialog and then the clock window again, each a surface
        # of its own, are left alone past the idle time: the display stays awake.
        awake = []
        for combo, window in (("alt+s", ("dialog", DIALOG)), ("Escape", ("frame", MAIN))):
            key(combo)
            awake += [p.shows(*window) and not time.sleep(holds.IDLE + 1.5) and holds.state()]
        check(all(a and all(a.values()) for a in awake),
              f"the dialog and then the clock window left alone while a clock runs: awake {awake}")

    # A refused value, then 1 minute for the left player.
    key("alt+s")
    check(p.shows("dialog", DIALOG), "Alt+S: the settings, as they were left")
    give_focus(DIALOG)
    check(p.focus_on("combo box:0"), "the left hours field has the focus")
    said("the dialog and the field's name and value", "Set time parameters dialog",
         "^Left player's hours.*editable combo box",
         "^(0|From 0 to 9)")  # Orca 43 says the value on its own, Orca 48 with the field
    key("ctrl+a")
    type_text("10")
    key("Tab")
    check(p.shows("alert", "Ostrevane") and p.shows("label", "Choose any number between 0 and 9"),
          "10 hours are refused with their message")
    said("the refusal", "^alert Ostrevane", "^Choose any number between 0 and 9")
    # On X11, where the program tells held keys apart itself, each held on a busy machine: Enter
    # answers the message once, Backspace repeats, Ctrl+Backspace deletes one word only.
    held_keys = X11 and not speech
    refusals = []
    on_window = lambda event: refusals.append(role(event.source))  # noqa: E731
    pyatspi.Registry.registerEventListener(on_window, "window:activate")
    with BusyCores():
        strike("Return", hold=1.5 if held_keys else 0)
        check(p.gone("alert", "Ostrevane", 10), "Return answers the message")
        give_focus(DIALOG)
        check(p.focus_on("combo box:10", 10), "the refused field keeps the focus")
        pump(0.3)
        pyatspi.Registry.deregisterEventListener(on_window, "window:activate")
        # A repeat would press OK in the dialog: it would come back, and the message with it.
        check(len(refusals) <= 1, f"answered once, the dialog back once ({refusals})")
        if held_keys:
            strike("BackSpace", hold=1.5)
            check(poll(5, lambda: p.typed() == ""), f"Backspace held: emptied ({p.typed()!r})")
    key("ctrl+a")
    type_text("0")
    key("Tab", "ctrl+a")
    if held_keys:
        type_text("10 20 30")
        with BusyCores():
            strike("ctrl+BackSpace", hold=1.5)
            check(poll(5, lambda: p.typed() == "10 20 "),
                  f"Ctrl+Backspace held deletes one word ({p.typed()!r})")
        key("ctrl+a", "BackSpace")
        relabel_and_hold(0, "x")
        check(poll(5, lambda: (p.typed() or "").count("x") >= 3), "a key held after the layout "
              f"gave it a letter (none before) repeats its letter ({p.typed()!r})")
        key("ctrl+a")
    type_text("1")
    key("Return")
    check(p.shows("frame", MAIN), "Enter applies the times: the clock is back")
    give_focus(MAIN)
    check(p.focus_on("button:" + RIGHT), "the focus is on the bus again, where it was")
    check(p.shows("label", "Left clock: 0 hours 1 minute 0 seconds"), "the left clock reads 0:1:00")
    said("the clock window again", "Corvatine frame")

    # On a busy machine, the dialog's close box right after the left minutes are typed and left
    # with Tab, the first time while their refusal is up (GNOME's Alt+F4 would close the message
    # instead), and again once it is answered: each time the dialog goes, and the clock comes
    # back with the times in the fields, 1 minute for the time-out below at the end.
    with BusyCores():
        for attempt, minutes in enumerate((3 if DESKTOP == "gnome" else 75, 2, 1), 1):
            shown = open_settings()
            if attempt > 1:
                key("Tab")  # the close box destroyed the last one: a new dialog, on its hours
            key("ctrl+a")
            type_text(str(minutes))
            key("Tab")
            refused = minutes < 60 or p.shows("alert", "Ostrevane", 10)
            close_box(DIALOG)
            if minutes >= 60:
                # The message blocks the dialog: its close box brings the message to the front.
                check(p.shows("dialog", DIALOG) and p.focus_on("button:OK", 10), "the dialog's "
                      "close box while its message is up: the message in front, with the keys")
                key("Return")
                give_focus(DIALOG)
                close_box(DIALOG)
            closed = p.gone("dialog", DIALOG, 10) and p.shows("frame", MAIN, 10)
            h, m = divmod(minutes, 60)
            applied = f"Left clock: {h} hour{'s' * (h != 1)} {m} minute{'s' * (m != 1)} 0 seconds"
            check(shown and refused and closed and p.gone("alert", "Ostrevane")
                  and p.shows("label", applied), f"the close box right after Tab, under load "
                  f"({minutes} minutes): the clock is back ({p.label('Left clock: ')})")
            give_focus(MAIN)

    # (Not under the sanitizers: Qt's bridge never frees a key that it held back for a window that
    # is gone by the time the bus answers, as the message is here, and the leak check would fail.)
    if DESKTOP == "bare" and not speech and not os.environ.get("ASAN_OPTIONS"):
        # With a client listening on the accessibility bus, as a screen reader does, Qt holds each
        # key back until the bus has answered. The refusal's Return and the dialog's close request
        # sent together must still close the dialog, the message answered first; time and again.
        listening = lambda event: None  # noqa: E731
        pyatspi.Registry.registerEventListener(listening, "object:state-changed:focused")
        closed = 0
        with BusyCores():
            for _ in range(CLOSES_AFTER_RETURN):
                open_settings()
                key("ctrl+a")
                type_text("75")
                key("Tab")
                if p.shows("alert", "Ostrevane", 10):
                    give_focus("Ostrevane")
                    answer_and_close(DIALOG)
                if p.gone("dialog", DIALOG, 5) and p.shows("frame", MAIN, 5):
                    closed += 1
                else:
                    close_box(DIALOG)  # a second request closes a dialog that stayed
                give_focus(MAIN)
        pyatspi.Registry.deregisterEventListener(listening, "object:state-changed:focused")
        check(closed == CLOSES_AFTER_RETURN, "Return on the refusal and the close box at once, a "
              f"client listening: the dialog closed {closed} of {CLOSES_AFTER_RETURN} times")
        # The close boxes applied the refused hours, and a new dialog has the first times: back to
        # 0 hours 1 minute, for the time-out below, by the close box, as the loop above left it.
        open_settings()
        for field in ("0", "1"):
            key("ctrl+a")
            type_text(field)
            key("Tab")
        close_box(DIALOG)
        check(p.shows("label", "Left clock: 0 hours 1 minute 0 seconds"), "the left clock: 0:1:00")
        give_focus(MAIN)

    # The left clock runs out behind the help and About windows.
    key("ctrl+l")
    check(p.focus_on("button:" + LEFT), "Ctrl+L starts the left clock")
    said("the left player's minute, then once that it runs low",
         NOTE + "Left player to move, 1 minute 0 seconds left",
         NOTE + "Left player's time is running low, 0 minutes 59 seconds left")
    key("ctrl+h")
    check(p.shows("frame", HELP), "Ctrl+H shows the help window, as a window")
    give_focus(HELP)
    centred(HELP)
    check(p.focus_on("button:OK"), "the help window's OK has the focus")
    said("the help window", "General Help frame")
    key("space")
    check(p.gone("frame", HELP), "its OK hides the help window")
    give_focus(MAIN)
    check(p.focus_on("button:" + LEFT), "the focus is back on the left player's button")
    key("alt+h")
    check(p.shows("menu item", "About"), "Alt+H opens the Help menu")
    key("Down", "Return")
    check(p.shows("dialog", ABOUT), "the Help menu's About opens the About window")
    give_focus(ABOUT)
    if X11:
        (x, y, _, _), _ = window_rect(ABOUT, "dialog")
        check((x, y) == (156, 129), f"its client area is at 156,129 ({x},{y})")
    said("the About window", "About Ostrevane dialog")
    key("Escape")
    check(p.gone("dialog", ABOUT), "Esc closes the About window")
    give_focus(MAIN)
    check(p.focus_on("button:" + LEFT), "the focus is back on the left player's button")
    # Nobody touches the computer for the rest of the minute: the display stays awake; the
    # services of the session bus, started again, hold it again within 2 s.
    for name in holds.services:
        check(holds.start(name) and poll(2, lambda: all(holds.state().values()), 0.1),
              f"{name} started again mid-game: held again within 2 s ({holds.state()})")
    end, lapses = time.monotonic() + 70, []
    while time.monotonic() < end:
        # Read before the clock, which the program answers after the tick that ends the game.
        parts = holds.state()
        if p.find("label", "Left clock: time is up, the game is over"):
            break
        lapses += [] if all(parts.values()) else [parts]
        time.sleep(0.5)
    if holds.asked():
        check(not lapses, f"the display stays awake until the time is up ({lapses[:1]})")
    check(p.shows("alert", "Ostrevane") and p.shows("label", "The Game Is Over"),
          '"The Game Is Over" when the left clock runs out')
    holds.let_go("the game is over")
    give_focus("Ostrevane")
    check(p.focus_on("button:OK"), "the message is in front, with the keyboard")
    said("the end of the game", "^alert Ostrevane", "^The Game Is Over")
    # The clock window behind the message takes no click and no close request, and the desktop
    # that hands it the keyboard (as a click or the window list does) hands it on to the message:
    # each brings the message forward with the keys, from wherever they were. (Sway's clicks here
    # would be the screen reader's presses, which bypass any blocking; GNOME's compositor takes no
    # close request from outside, and its close keys go to the message.)
    attempts = {"sway": ("activation", "close box"), "gnome": ("activation",)}
    activated = []
    on_window = lambda event: activated.append(role(event.source))  # noqa: E731
    for attempt in attempts.get(DESKTOP, ("click on Reset", "close box")):
        other = None
        if attempt == "activation":
            pyatspi.Registry.registerEventListener(on_window, "window:activate")
            run("swaymsg", f'[title="^{MAIN}$"] focus') if DESKTOP == "sway" else strike("alt+Tab")
        else:
            other = keyboard_elsewhere()
            click(p.find("button", "Reset")) if attempt.startswith("click") else close_box(MAIN)
        check(p.focus_on("button:OK") and p.shows("frame", MAIN)
              and p.shows("label", "Left clock: time is up, the game is over")
              # GNOME 48's window switcher (Debian 13) never hands the blocked window the keys.
              and (attempt != "activation" or activated[:1] == ["frame"]
                   or (DESKTOP == "gnome" and not activated)),
              f"{attempt} behind the message: nothing but the message in front, with the keys "
              + (f"(windows activated: {activated})" if attempt == "activation" else ""))
        if other:
            other.close()
        else:
            pyatspi.Registry.deregisterEventListener(on_window, "window:activate")
    key("Return")
    give_focus(MAIN)
    check(p.focus_on("button:" + LEFT), "answered: the keys are the clock window's again")
    check(p.shows("label", "Left clock: time is up, the game is over"), "the left clock reads Over")
    if SHOTS:
        check(Face("over").dark(LEFT_MARK_STRIP), "the left game-over mark is black on screen")
    if speech:
        spoken = speech.all()
        check(len([s for s in spoken if "time is running low" in s]) == 1,
              "the low time was said once in the whole game")
        check(len([s for s in spoken if " to move, " in s]) == 6,
              "each of the six pushes said once whose move it is")

    # The left player's push starts the right clock; then Reset, now answered.
    key("space")
    check(p.focus_on("button:" + RIGHT), "after the game, Space starts the right clock")
    click(p.find("button", "Reset"))
    # (The close box destroyed the settings dialog: Reset reads a new one's default times.)
    check(p.shows("label", "Left clock: 0 hours 5 minutes 0 seconds"), "Reset acts")
    holds.let_go("after a reset")
    if holds.asked():
        key("ctrl+l")
        check(p.focus_on("button:" + LEFT) and poll(2, lambda: any(holds.state().values())),
              "Ctrl+L starts the left clock, and it is held")
        # Under the sanitizers the program must end by itself, for their leak check.
        if not os.environ.get("ASAN_OPTIONS"):
            p.process.kill()
            p.process.wait()
            holds.let_go("the program killed mid-game")
            return

    key("ctrl+x")
    try:
        status = p.process.wait(10)
        check(status == 0, f"Ctrl+X ends the program with status {status}")
    except subprocess.TimeoutExpired:
        check(False, "the program still runs 10 s after Ctrl+X")
    holds.let_go("the program ended")


if __name__ == "__main__":
    sys.exit(main())
