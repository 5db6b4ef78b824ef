#!/usr/bin/python3
# Prints a cell of a table the window shows, read through AT-SPI as a screen reader reads it,
# once the table named TABLE has at least ROWS data rows: the newest read is row 0. A cell with a
# description (the card test's whole verdict behind its short word) prints that.
# Usage: window_cell.py PID TABLE ROWS COLUMN [SECONDS]; exit 1 when it never comes.
import sys

from atspi_window import application, named, wait_for


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

    def newest():
        table = named(application(pid), table_name)
        if table is None or table.queryTable().nRows < rows:
            return None
        return text_of(table.queryTable().getAccessibleAt(0, column))

    text = wait_for(float(sys.argv[5]) if len(sys.argv) > 5 else 120, newest)
    if text is None:
        return 1
    print(text)
    return 0


sys.exit(main())
