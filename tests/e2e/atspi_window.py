# The window of a process as AT-SPI shows it, for the scripts that read it as a screen reader.
import sys
import time

import pyatspi


def application(pid):
    """The accessible application of process `pid`, or None."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def named(node, name, depth=0):
    """The first accessible called `name` below `node` (table cells are not searched)."""
    if node is None or depth > 40 or node.getRole() == pyatspi.ROLE_TABLE_CELL:
        return None
    if node.name == name:
        return node
    for child in node:
        found = named(child, name, depth + 1)
        if found is not None:
            return found
    return None


def wait_for(seconds, look, pause=0.3):
    """Asks look() until it gives something other than None, for at most `seconds`; None then.
    The tree changes under the reader while the window works: a failed look is tried again."""
    deadline = time.time() + seconds
    pyatspi.setTimeout(4000, 15000)
    while time.time() < deadline:
        try:
            found = look()
            if found is not None:
                return found
        except Exception as error:
            print(f"{sys.argv[0]}: {error}", file=sys.stderr)
        time.sleep(pause)
    return None
