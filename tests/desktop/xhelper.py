#!/usr/bin/python3
"""Small helpers for the real-window tests that the shell cannot do alone.

    close WINDOW                     close a window by its close box: ask the window manager, or
                                     without one, ask the window itself as a manager would
    pixel SHOT X Y                   "R G B" of one pixel
    diff SHOT_A SHOT_B X Y W H [TOL] how many pixels of the rectangle differ between two shots
                                     by more than TOL (default 0) in some channel
    ink SHOT X Y W H R G B TOL       how many pixels of the rectangle differ from a colour by
                                     more than TOL in some channel (the glyph in a digit box)
    locate SHOT WX WY WW WH PICTURE  where the background picture lies inside the window:
                                     "DX DY SCORE", SCORE the mean difference per channel
    matches SHOT X Y PICTURE PX PY W H TOL
                                     exit 0 when the shot's rectangle at X,Y shows the picture's
                                     rectangle at PX,PY within TOL per channel

Shots and pictures are binary PPM files (P6, 8 bits per channel). Coordinates are in pixels
from the top left of the shot or picture.
"""

import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise SystemExit(f"{path}: not an 8-bit binary PPM")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


class Image:
    def __init__(self, path):
        self.path = path
        self.width, self.height, self.data = read_ppm(path)

    def row(self, x, y, w):
        if not (0 <= x and x + w <= self.width and 0 <= y < self.height):
            raise SystemExit(f"{self.path}: row {x},{y} width {w} lies outside "
                             f"{self.width}x{self.height}")
        start = (y * self.width + x) * 3
        return self.data[start:start + w * 3]

    def pixel(self, x, y):
        return tuple(self.row(x, y, 1))


def close_window(window_id):
    from Xlib import X, display, protocol

    disp = display.Display()
    root = disp.screen().root
    window = disp.create_resource_object("window", window_id)
    manager = root.get_full_property(disp.intern_atom("_NET_SUPPORTING_WM_CHECK"), X.AnyPropertyType)
    if manager:
        # What a pager or task bar sends; the manager then closes the window as its close box
        # does.
        event = protocol.event.ClientMessage(window=window,
                                             client_type=disp.intern_atom("_NET_CLOSE_WINDOW"),
                                             data=(32, [X.CurrentTime, 2, 0, 0, 0]))
        root.send_event(event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
    else:
        wm_protocols = disp.intern_atom("WM_PROTOCOLS")
        wm_delete = disp.intern_atom("WM_DELETE_WINDOW")
        offered = window.get_wm_protocols() or []
        if wm_delete not in offered:
            raise SystemExit(f"window {window_id:#x} does not take WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=wm_protocols,
                                             data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event, event_mask=X.NoEventMask)
    # A round trip: the server has handled the request before the connection closes.
    disp.sync()
    disp.close()


def differing_pixels(a, b, x, y, w, h, tolerance):
    count = 0
    for row in range(y, y + h):
        ra, rb = a.row(x, row, w), b.row(x, row, w)
        if ra == rb:
            continue
        for i in range(0, len(ra), 3):
            if any(abs(ra[i + c] - rb[i + c]) > tolerance for c in range(3)):
                count += 1
    return count


def ink(image, x, y, w, h, colour, tolerance):
    count = 0
    for row in range(y, y + h):
        data = image.row(x, row, w)
        for i in range(0, len(data), 3):
            if any(abs(data[i + c] - colour[c]) > tolerance for c in range(3)):
                count += 1
    return count


def mean_difference(a, b):
    return sum(abs(p - q) for p, q in zip(a, b))


def locate(shot, wx, wy, ww, wh, picture):
    """Finds the picture's top left corner in the window: the menu bar lies above it.

    Compared are the parts of the picture that no control covers: its top rows, above the
    banner strip, and its outermost columns, which cross the horizontal edges of the
    chequerboard squares and so fix the vertical position to the pixel."""
    top_rows = 8
    columns = [0, 1, 2, 3, picture.width - 2, picture.width - 1]
    highest_menu_bar = 100

    def top_score(dx, dy):
        width = min(picture.width, ww - max(dx, 0)) - max(-dx, 0)
        total = 0
        for py in range(top_rows):
            total += mean_difference(shot.row(wx + max(dx, 0), wy + dy + py, width),
                                     picture.row(max(-dx, 0), py, width))
        return total, top_rows * width * 3

    def full_score(dx, dy):
        total, values = top_score(dx, dy)
        rows = min(picture.height, wh - dy)
        for px in columns:
            sx = wx + dx + px
            if not (wx <= sx < wx + ww):
                continue
            for py in range(rows):
                total += mean_difference(shot.row(sx, wy + dy + py, 1), picture.row(px, py, 1))
                values += 3
        return total / values

    candidates = []
    for dy in range(0, min(wh - top_rows, highest_menu_bar) + 1):
        for dx in range(-2, 3):
            total, values = top_score(dx, dy)
            candidates.append((total / values, dx, dy))
    candidates.sort()
    best = min((full_score(dx, dy), dx, dy) for _, dx, dy in candidates[:6])
    return best[1], best[2], best[0]


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    command, args = argv[1], argv[2:]
    if command == "close":
        close_window(int(args[0], 0))
    elif command == "pixel":
        print(*Image(args[0]).pixel(int(args[1]), int(args[2])))
    elif command == "diff":
        x, y, w, h = map(int, args[2:6])
        tolerance = int(args[6]) if len(args) > 6 else 0
        print(differing_pixels(Image(args[0]), Image(args[1]), x, y, w, h, tolerance))
    elif command == "ink":
        x, y, w, h, r, g, b, tolerance = map(int, args[1:9])
        print(ink(Image(args[0]), x, y, w, h, (r, g, b), tolerance))
    elif command == "locate":
        wx, wy, ww, wh = map(int, args[1:5])
        dx, dy, score = locate(Image(args[0]), wx, wy, ww, wh, Image(args[5]))
        print(dx, dy, f"{score:.2f}")
    elif command == "matches":
        shot, picture = Image(args[0]), Image(args[3])
        x, y = int(args[1]), int(args[2])
        px, py, w, h, tolerance = map(int, args[4:9])
        for row in range(h):
            a, b = shot.row(x, y + row, w), picture.row(px, py + row, w)
            if any(abs(p - q) > tolerance for p, q in zip(a, b)):
                return 1
    else:
        raise SystemExit(f"unknown command {command}\n{__doc__}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
