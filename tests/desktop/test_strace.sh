#!/usr/bin/env bash
# The program keeps everything in memory and uses no network: a short session of the real
# binary in a real X server, traced with strace from start to exit, must open no file for
# writing, change no file and open no socket but local ones. The session: start, a push by
# mouse, one by Space, pause by Ctrl+P, the settings dialog by Alt+S and away by Esc, then one
# minute set and a push, so that the low-time warning sounds, and Exit by Ctrl+X.
# Prints the distinct file-system and network calls, the sockets, the programs started and the
# folders of every path the session touched.
# Usage: test_strace.sh PATH-TO-OSTREVANE
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

BINARY=${1:?usage: test_strace.sh PATH-TO-OSTREVANE}
require strace
TRACE="$WORK_DIR/strace.log"

start_xvfb
# LeakSanitizer (in the sanitizer build) stops a process that runs under ptrace, as strace does;
# the other sanitizers still run. Leaks are the other tests' business.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
printf '#!/bin/sh\nexec strace -f -qq -e trace=%%file,%%network -o %q %q\n' "$TRACE" "$BINARY" \
    >"$WORK_DIR/traced"
chmod +x "$WORK_DIR/traced"
open_main_window "$WORK_DIR/traced"
pass "the main window is up, the program traced by strace"

# focus_found TITLE WHY: gives the window with that title (FOUND) the keyboard, or dies saying why.
focus_found() {
    FOUND=$(find_window "$1" 10)
    [ -n "$FOUND" ] || die "$2"
    focus_window "$FOUND"
}

read -r x y w h <<<"$RECT_COMMAND1"
click $((x + w / 2)) $((y + h / 2))
poll 5 button_hidden "$RECT_COMMAND1" after-click && pass "a click on Command1 pushed it" ||
    die "Command1 is still shown after clicking it"

key space
poll 5 button_hidden "$RECT_COMMAND2" after-space && pass "Space pushed Command2" ||
    die "Space did not push Command2"

key ctrl+p
poll 5 button_shown "$RECT_COMMAND2" after-pause && pass "Ctrl+P paused the game" ||
    die "Command2 did not come back on Ctrl+P"

key alt+s
poll 5 main_window_hidden && pass "Alt+S hid the main window" || die "Alt+S did not hide the main window"
focus_found "$DIALOG_TITLE" "no settings dialog appeared on Alt+S"
key Escape
poll 5 window_gone "$DIALOG_TITLE" && pass "Esc closed the settings dialog" ||
    die "the settings dialog is still shown after Esc"
focus_found "$MAIN_TITLE" "the main window did not come back after Esc"

# The low-time warning, the one place where the program reaches for a platform service (the
# sound): one minute on the left clock warns from its first tick on.
key alt+s
focus_found "$DIALOG_TITLE" "no settings dialog appeared on the second Alt+S"
key ctrl+a
xdotool type --delay 50 0
key Tab ctrl+a
xdotool type --delay 50 1
key Tab Return
poll 5 window_gone "$DIALOG_TITLE" || die "the settings dialog is still shown after Enter"
focus_found "$MAIN_TITLE" "the main window did not come back after Enter"
wait_painted "$FOUND" || die "the main window was not painted after the new settings"
# The pointer still rests on Command1 from the first push; a click there waits for a motion
# that never comes unless the pointer leaves first.
xdotool mousemove "$CLIENT_X" "$CLIENT_Y"
click $((x + w / 2)) $((y + h / 2))
warned() { pixel_is "$(shot warning)" $((${RECT_SEC_LEFT%% *} + 2)) 150 "255 255 0" 8; }
poll 5 warned && pass "the left clock warns (red on yellow) with one minute set" ||
    fail "the left clock did not show the warning colours within 5 s"

key ctrl+x
wait_app_exit 15 || die "the program still runs 15 s after Ctrl+X"
[ "$APP_STATUS" -eq 0 ] && pass "Ctrl+X ended the program with status 0" ||
    fail "the traced program ended with status $APP_STATUS"

# ---- What the trace shows ---------------------------------------------------------------------

# Writes that belong to the toolkit's libraries, not to the program, each for its reason:
#  - fontconfig keeps a cache of the installed fonts and refreshes it when it is older than the
#    font folders; it lives in the user's cache folder or, for root, in /var/cache/fontconfig.
#  - the XDG runtime folder (pointed at this test's scratch folder above): Qt makes it if it is
#    missing, and the sound server's client library (libpulse, under libcanberra, which plays
#    the warning) makes its pulse/ folder in it to look for the server's socket.
#  - /dev/null, the null device: nothing written there is kept. libdbus opens it read-write for
#    the standard streams of the helper it starts to find a session bus when none is announced.
# Everything else that writes fails the test, the rest of /dev included: the program drives no
# device. Sockets: only AF_UNIX ones, which reach the X server and the desktop bus on this
# machine; no AF_NETLINK socket showed up, and any other family fails the test.
cache_home=${XDG_CACHE_HOME:-$HOME/.cache}
"$PYTHON" - "$TRACE" "$cache_home/fontconfig/" /var/cache/fontconfig/ "$XDG_RUNTIME_DIR" \
    /dev/null >"$WORK_DIR/verdict" <<'PY' || FAILURES=$((FAILURES + 1))
import re
import sys

trace, *exempt = sys.argv[1:]
WRITE_FLAGS = ("O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND")
OPENS = {"open", "openat", "openat2", "creat", "open_by_handle_at"}
CHANGES = {"mkdir", "mkdirat", "rmdir", "unlink", "unlinkat", "rename", "renameat", "renameat2",
           "link", "linkat", "symlink", "symlinkat", "truncate", "chmod", "fchmodat", "chown",
           "lchown", "fchownat", "utime", "utimes", "utimensat", "futimesat", "mknod", "mknodat",
           "setxattr", "lsetxattr", "removexattr", "lremovexattr"}
NETWORK = {"socket", "socketpair", "connect", "bind", "listen", "accept", "accept4",
           "getsockname", "getpeername", "sendto", "recvfrom", "sendmsg", "recvmsg", "sendmmsg",
           "recvmmsg", "shutdown", "setsockopt", "getsockopt"}
LOCAL_FAMILIES = {"AF_UNIX", "AF_LOCAL"}

pending = {}
calls = []
with open(trace) as f:
    for line in f:
        line = line.rstrip("\n")
        m = re.match(r"(\d+) +(.*)$", line)
        if not m:
            continue
        pid, rest = m.groups()
        if rest.endswith("<unfinished ...>"):
            pending[pid] = rest[: -len("<unfinished ...>")]
            continue
        r = re.match(r"<\.\.\. \w+ resumed>(.*)$", rest)
        if r:
            rest = pending.pop(pid, "") + r.group(1)
        c = re.match(r"(\w+)\((.*)\) += (.*)$", rest)
        if c:
            calls.append(c.groups())

def quoted(args):
    return re.findall(r'"((?:[^"\\]|\\.)*)"', args)

def exempted(path):
    return any(path == prefix or path.startswith(prefix.rstrip("/") + "/") for prefix in exempt)

names, touched, sockets, started = {}, set(), set(), set()
problems, allowed = [], []
families = {}
for name, args, result in calls:
    names[name] = names.get(name, 0) + 1
    if name in NETWORK:
        for family in re.findall(r"\b(AF_\w+)", args):
            families[family] = families.get(family, 0) + 1
            if family not in LOCAL_FAMILIES:
                problems.append(f"non-local socket: {name}({args}) = {result}")
        sockets.update(re.findall(r'sun_path=(@?"[^"]*")', args))
        continue
    found = quoted(args)
    if name in ("execve", "execveat"):
        found = found[:1]
        started.add(f"{found[0] if found else '?'} = {result}")
    touched.update(found)
    writes = (name in OPENS and any(flag in args for flag in WRITE_FLAGS)) or name in CHANGES
    if writes:
        what = f"{name}({args}) = {result}"
        if found and all(exempted(p) for p in found):
            allowed.append(what)
        else:
            problems.append("writes a file: " + what)

print(f"# {len(calls)} calls traced")
print("# system calls: " + ", ".join(f"{n} x{c}" for n, c in sorted(names.items())))
print("# socket families: " + (", ".join(f"{n} x{c}" for n, c in sorted(families.items())) or "none"))
print("# socket addresses: " + (", ".join(sorted(sockets)) or "none"))
print("# programs executed: " + "; ".join(sorted(started)))
dirs = {}
for p in touched:
    dirs.setdefault(p.rsplit("/", 1)[0] if "/" in p[1:] else p, []).append(p)
print(f"# {len(touched)} distinct paths, by folder:")
for d in sorted(dirs):
    print(f"#   {d}  ({len(dirs[d])})")
for what in allowed:
    print("# exempt, a library's own (see above): " + what)
for problem in problems:
    print("FAIL - " + problem)
if not problems:
    print("ok - no file opened for writing or changed, no socket but local ones")
sys.exit(1 if problems else 0)
PY
cat "$WORK_DIR/verdict"
finish
