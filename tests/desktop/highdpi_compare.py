#!/usr/bin/python3
"""Compares a window drawn at a display scale of 2 with the same window at scale 1.

    highdpi_compare.py places SHOT1 SHOT2 NAME=X,Y,W,H ...
        For each rectangle (scale-1 pixels from the window's top left): the 2x shot is reduced
        to scale 1 by averaging each 2x2 block, and compared with the 1x shot. Prints
        "NAME MEAN BEST_DX BEST_DY BEST_MEAN": MEAN is the mean difference per channel (0-255)
        where the rectangle should be, BEST_* the offset by one pixel, or none (0 0), that
        matches best. A control that keeps its place and proportion matches best where it is.
    highdpi_compare.py sharp SHOT1 SHOT2 X Y W H
        Prints "EXACT TOTAL": how many 2x2 blocks of the 2x shot repeat the 1x pixel exactly,
        as a picture drawn sharp-edged (each pixel doubled) does and a smoothed one does not.

Shots are binary PPM files of the window alone; SHOT2 must be exactly twice SHOT1's size.
"""

import sys

from xhelper import Image

NEIGHBOURS = ((0, 0), (-1, 0), (1, 0), (0, -1), (0, 1))


def reduced(two):
    """The 2x shot at scale 1: rows of per-channel sums of each 2x2 block (0 to 4 * 255)."""
    rows = []
    for y in range(two.height // 2):
        top = two.row(0, 2 * y, two.width)
        bottom = two.row(0, 2 * y + 1, two.width)
        pairs = [a + b for a, b in zip(top, bottom)]
        row = []
        for x in range(two.width // 2):
            base = 6 * x
            row.extend(pairs[base + c] + pairs[base + 3 + c] for c in range(3))
        rows.append(row)
    return rows


def mean_difference(one, small, x, y, w, h, dx, dy):
    x, y = max(0, x), max(0, y)
    w = min(w, one.width - x, one.width - (x + dx))
    h = min(h, one.height - y, one.height - (y + dy))
    if x + dx < 0 or y + dy < 0 or w <= 0 or h <= 0:
        return float("inf")
    total = 0
    for row in range(y, y + h):
        a = one.row(x, row, w)
        b = small[row + dy][3 * (x + dx):3 * (x + dx + w)]
        total += sum(abs(4 * p - q) for p, q in zip(a, b))
    return total / (4 * 3 * w * h)


def places(one, two, rects):
    small = reduced(two)
    for entry in rects:
        name, numbers = entry.split("=")
        x, y, w, h = (int(n) for n in numbers.split(","))
        scores = {offset: mean_difference(one, small, x, y, w, h, *offset)
                  for offset in NEIGHBOURS}
        best = min(NEIGHBOURS, key=lambda offset: scores[offset])
        print(f"{name} {scores[(0, 0)]:.2f} {best[0]} {best[1]} {scores[best]:.2f}")


def sharp(one, two, x, y, w, h):
    exact = 0
    for row in range(y, y + h):
        a = one.row(x, row, w)
        top = two.row(2 * x, 2 * row, 2 * w)
        bottom = two.row(2 * x, 2 * row + 1, 2 * w)
        for i in range(w):
            pixel = a[3 * i:3 * i + 3]
            if (top[6 * i:6 * i + 3] == pixel and top[6 * i + 3:6 * i + 6] == pixel
                    and bottom[6 * i:6 * i + 3] == pixel and bottom[6 * i + 3:6 * i + 6] == pixel):
                exact += 1
    print(exact, w * h)


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command not in ("places", "sharp"):
        raise SystemExit(__doc__)
    one, two = Image(args[0]), Image(args[1])
    if (two.width, two.height) != (2 * one.width, 2 * one.height):
        raise SystemExit(f"the 2x shot is {two.width}x{two.height}, "
                         f"not twice {one.width}x{one.height}")
    if command == "places":
        places(one, two, args[2:])
    else:
        sharp(one, two, *(int(n) for n in args[2:6]))


if __name__ == "__main__":
    main()
