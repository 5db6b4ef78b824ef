#!/usr/bin/python3
# Waits until the control named NAME in the window of process PID has the AT-SPI state STATE
# (focused, showing, ...), as a screen reader would find it; exit 1 when it never does.
# Usage: window_state.py PID NAME STATE [SECONDS]
import sys

import pyatspi

from atspi_window import application, named, wait_for


def main():
    pid, name, state = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    wanted = getattr(pyatspi, "STATE_" + state.upper())

    def holding():
        control = named(application(pid), name)
        return True if control is not None and control.getState().contains(wanted) else None

    return 0 if wait_for(float(sys.argv[4]) if len(sys.argv) > 4 else 60, holding, 0.2) else 1


sys.exit(main())
