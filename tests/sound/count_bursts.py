#!/usr/bin/python3
"""Finds the bursts of sound in a recording of a silent output.

    count_bursts.py RECORDING RATE

RECORDING is raw signed 16-bit little-endian mono at RATE samples a second. Prints one line per
burst, "START_MS DURATION_MS PEAK", where a burst is a run of 10 ms windows whose loudness (RMS)
is above a threshold, runs closer than 60 ms counting as one. The output being recorded is a
null sink, so everything that is not the program's sound is digital silence.
"""

import math
import struct
import sys

WINDOW_MS = 10
# About -50 dBFS: far below the theme's bell (its RMS is around -31 dBFS) and far above the
# null sink's silence, which is exactly zero.
THRESHOLD = 100
MERGE_GAP_MS = 60


def main():
    path, rate = sys.argv[1], int(sys.argv[2])
    with open(path, "rb") as f:
        data = f.read()
    samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
    window = rate * WINDOW_MS // 1000
    loud = []
    for start in range(0, len(samples) - window + 1, window):
        chunk = samples[start:start + window]
        rms = math.sqrt(sum(s * s for s in chunk) / window)
        loud.append((rms > THRESHOLD, max(abs(s) for s in chunk)))

    bursts = []  # [first window, last window, peak]
    for index, (is_loud, peak) in enumerate(loud):
        if not is_loud:
            continue
        if bursts and (index - bursts[-1][1]) * WINDOW_MS <= MERGE_GAP_MS:
            bursts[-1][1] = index
            bursts[-1][2] = max(bursts[-1][2], peak)
        else:
            bursts.append([index, index, peak])
    for first, last, peak in bursts:
        print(first * WINDOW_MS, (last - first + 1) * WINDOW_MS, peak)
    print("# %d ms recorded" % (len(samples) * 1000 // rate), file=sys.stderr)


if __name__ == "__main__":
    main()
