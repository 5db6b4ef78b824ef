#!/usr/bin/python3
# Waits until the control named NAME in the window of process PID has the AT-SPI state STATE
# (focused, showing, ...), as a screen reader would find it; exit 1 when it never does.
# Usage: window_state.py PID NAME STATE [SECONDS]
import sys
import time

import pyatspi

from atspi_window import application, named


def main():
    pid, name, state = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    wanted = getattr(pyatspi, "STATE_" + state.upper())
    deadline = time.time() + (float(sys.argv[4]) if len(sys.argv) > 4 else 60)
    pyatspi.setTimeout(4000, 15000)
    while time.time() < deadline:
        try:
            control = named(application(pid), name)
            if control is not None and control.getState().contains(wanted):
                return 0
        except Exception as error:  # the tree changes under the reader: look again
            print(f"window_state: {error}", file=sys.stderr)
        time.sleep(0.2)
    return 1


sys.exit(main())
