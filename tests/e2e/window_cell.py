#!/usr/bin/python3
# Prints a cell of a table the window shows, read through AT-SPI as a screen reader reads it,
# once the table named TABLE has at least ROWS data rows: the newest read is row 0. A cell with a
# description (the card test's whole verdict behind its short word) prints that.
# Usage: window_cell.py PID TABLE ROWS COLUMN [SECONDS]; exit 1 when it never comes.
import sys
import time

import pyatspi

from atspi_window import application, named


def text_of(cell):
    if cell.description:
        return cell.description
    try:
        text = cell.queryText().getText(0, -1)
    except NotImplementedError:
        text = ""
    return text or cell.name


def main():
    pid, table_name, rows, column = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    deadline = time.time() + (float(sys.argv[5]) if len(sys.argv) > 5 else 120)
    pyatspi.setTimeout(4000, 15000)
    while time.time() < deadline:
        try:
            table = named(application(pid), table_name)
            if table is not None and table.queryTable().nRows >= rows:
                print(text_of(table.queryTable().getAccessibleAt(0, column)))
                return 0
        except Exception as error:  # the tree changes under the reader: look again
            print(f"window_cell: {error}", file=sys.stderr)
        time.sleep(0.5)
    return 1


sys.exit(main())
