#!/usr/bin/python3
"""Starts the screen reader Orca as /usr/bin/orca does, with three changes for a test:

    orca_launch.py SPEECH-LOG

- its debug log, where each utterance is a line "SPEECH OUTPUT: '...'", is written line by line
  (Orca's own buffers it, and the end of it is lost when Orca stops);
- Orca's main loop wakes four times a second, so that its handler of SIGTERM, which runs only
  when the loop calls back into Python, stops it at once (an idle Orca ignored SIGTERM for 30 s);
- it does not look for, or kill, the Orcas of other sessions of the same user.
"""
import sys

log_path = sys.argv[1]
sys.argv = ["orca"]
orca_main = {"__name__": "orca_launch", "__file__": "/usr/bin/orca"}
with open("/usr/bin/orca") as source:
    exec(compile(source.read(), "/usr/bin/orca", "exec"), orca_main)
orca_main["otherOrcas"] = lambda: []

from gi.repository import GLib  # noqa: E402
from orca import debug  # noqa: E402

debug.debugLevel = debug.LEVEL_ALL
debug.eventDebugLevel = debug.LEVEL_OFF
debug.debugFile = open(log_path, "w", buffering=1)
GLib.timeout_add(250, lambda: True)
sys.exit(orca_main["main"]())
