#!/usr/bin/python3
# What a screen reader hears of the window, read through AT-SPI: the device list by its name,
# with only the columns and rows it shows (no hidden cache value such as "-1"), and every push
# button, table and text field by a Russian name ("..." never). Prints what is wrong and exits 1.
# Usage: window_names.py PID READERS
import re
import sys

import pyatspi

from atspi_window import application

RUSSIAN = re.compile("[А-Яа-яЁё]")
NAMED_ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TABLE, pyatspi.ROLE_TEXT,
               pyatspi.ROLE_CHECK_BOX, pyatspi.ROLE_COMBO_BOX}


def nodes(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    if node.getRole() == pyatspi.ROLE_TABLE:
        return  # its cells are read through the table
    for child in node:
        yield from nodes(child, depth + 1)


def main():
    pid, readers = int(sys.argv[1]), int(sys.argv[2])
    pyatspi.setTimeout(4000, 15000)
    wrong = []
    tables = {}
    for node in nodes(application(pid)):
        role = node.getRole()
        if role == pyatspi.ROLE_TABLE:
            tables[node.name] = node
        if role in NAMED_ROLES and node.getState().contains(pyatspi.STATE_SHOWING):
            if not RUSSIAN.search(node.name or "") or node.name == "...":
                wrong.append(f"{node.getRoleName()} named «{node.name}»")
    devices = tables.get("Подключенные устройства")
    if devices is None:
        wrong.append(f"no device list among the tables {sorted(tables)}")
    else:
        table = devices.queryTable()
        if table.nColumns != 6:
            wrong.append(f"the device list has {table.nColumns} columns, not the 6 it shows")
        if table.nRows != readers:
            wrong.append(f"the device list has {table.nRows} rows for {readers} readers")
        for row in range(table.nRows):
            for column in range(table.nColumns):
                if table.getAccessibleAt(row, column).name == "-1":
                    wrong.append(f"a hidden value in row {row}, column {column}")
    for line in wrong:
        print(line)
    return 1 if wrong else 0


sys.exit(main())
