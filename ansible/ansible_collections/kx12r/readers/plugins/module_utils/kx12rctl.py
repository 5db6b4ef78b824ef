# -*- coding: utf-8 -*-
# Runs kx12rctl for the modules and reads its JSON documents: the modules decide on the results
# and the exit status, never on the Russian messages, which they only pass on.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# kx12rctl's exit statuses.
DONE = 0
REFUSED = 1  # refused, partly done, unconfirmed, or (compare) different
USAGE = 2
NO_READER = 3
DATABASE = 4

# The settings keys as list names them, in the order a settings file writes them, with the
# file's key for each.
SETTINGS_KEYS = (
    ("variant", "Variant"),
    ("prefix", "Prefix"),
    ("code_format", "Code_format"),
    ("suffix", "Suffix"),
    ("ending", "Ending"),
    ("buzzer_off", "buZzer_off"),
    ("stand_alone", "standAlone"),
    ("repeat", "Repeat_message"),
)


# The options every module takes (documented by the kx12r.readers.kx12rctl fragment).
COMMON_ARGUMENT_SPEC = dict(
    demo=dict(type="bool", default=False),
    executable=dict(type="str", default="kx12rctl"),
)


class Kx12rCtlError(Exception):
    """kx12rctl failed as a program: a wrong call, no such reader, no database, no JSON."""

    def __init__(self, message, status=None, stderr=""):
        super(Kx12rCtlError, self).__init__(message)
        self.status = status
        self.stderr = stderr


class Kx12rCtl(object):
    """kx12rctl on the managed host, through the module's run_command."""

    def __init__(self, module):
        self.module = module
        self.executable = module.params["executable"]
        self.demo = module.params["demo"]

    def run(self, verb, *arguments, accepted=(DONE, REFUSED)):
        """Runs a verb with --json; (status, document, stderr). A status not `accepted` (by
        default a program's failure: 2, 3, 4), or output that is no JSON, raises
        Kx12rCtlError."""
        command = [self.executable] + (["--demo"] if self.demo else []) + [verb]
        command += list(arguments) + ["--json"]
        status, out, err = self.module.run_command(command, environ_update={"LC_ALL": "C.UTF-8"})
        if status not in accepted:
            raise Kx12rCtlError(err.strip() or "kx12rctl ended with status %d" % status, status, err)
        try:
            return status, json.loads(out), err
        except ValueError:
            raise Kx12rCtlError("kx12rctl gave no JSON document: %s" % (err.strip() or out), status, err)


def choice_arguments(serial, every):
    """The reader options of a call: --serial S for one reader, --all for every one."""
    return ["--all"] if every else ["--serial", serial]


def settings_file_text(settings):
    """A settings file of the given keys (the keys list uses), in the file's order and words:
    flags as 1 or 0, absent keys left out, each line ended by CR LF, then an empty line."""
    lines = []
    for key, file_key in SETTINGS_KEYS:
        if key not in settings or settings[key] is None:
            continue
        value = settings[key]
        if isinstance(value, bool):
            value = 1 if value else 0
        lines.append("%s=%s" % (file_key, value))
    return "\r\n".join(lines) + "\r\n\r\n"
