#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: settings
short_description: Put settings on KX12R readers, writing only those that differ
description:
  - Compares the readers with a settings file (C(kx12rctl compare)) and writes the ones that
    differ (C(kx12rctl apply)), which then read their settings back unless I(verify) is false.
  - C(changed) is true when a reader differed. In check mode nothing is written. In diff mode
    each differing reader's values before and after are given.
  - Fails with kx12rctl's own sentence and the results per reader when a reader cannot be
    configured, has no access, refuses a value or does not hold it after the write.
version_added: 1.1.0
author: kx12r-config developers (@kx12r)
options:
  src:
    description: A settings file (.kxr) on the managed host.
    type: path
  settings:
    description:
      - The settings by the keys C(kx12rctl list) uses (variant, prefix, code_format, suffix,
        ending, buzzer_off, stand_alone, repeat); written through a temporary settings file.
        A key left out is not compared and not written.
    type: dict
  serial:
    description: The serial number of a reader, or a list of them.
    type: list
    elements: str
  all:
    description: Every reader connected to the host.
    type: bool
    default: false
  verify:
    description: Read the settings back after writing them.
    type: bool
    default: true
extends_documentation_fragment: kx12r.readers.kx12rctl
"""

EXAMPLES = r"""
- name: The site's settings on every reader of the host
  kx12r.readers.settings:
    src: /etc/kx12r/site.kxr
    all: true

- name: A prefix and the Enter ending on one reader
  kx12r.readers.settings:
    serial: "00417"
    settings:
      variant: 8
      prefix: "#K"
      ending: 13
"""

RETURN = r"""
readers:
  description: The result of each reader, as kx12rctl gives it (serial, firmware, result,
    parameter, message, and the values compared or written).
  returned: always
  type: list
  elements: dict
"""

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.kx12r.readers.plugins.module_utils.kx12rctl import (
    COMMON_ARGUMENT_SPEC,
    SETTINGS_KEYS,
    Kx12rCtl,
    Kx12rCtlError,
    choice_arguments,
    settings_file_text,
)


def settings_path(module):
    """The settings file to compare and write: `src`, or one made from `settings`."""
    if module.params["src"]:
        return module.params["src"]
    path = os.path.join(module.tmpdir, "settings.kxr")
    with open(path, "wb") as written:
        written.write(settings_file_text(module.params["settings"]).encode("cp1251"))
    return path


def compared(ctl, path, module):
    """Every chosen reader's comparison with the file, and kx12rctl's messages."""
    targets = [None] if module.params["all"] else module.params["serial"]
    readers, messages = [], []
    for serial in targets:
        status, document, err = ctl.run("compare", path, *choice_arguments(serial, serial is None))
        readers.extend(document.get("readers", []))
        messages.append(err.strip())
    return readers, messages


def reader_diff(reader):
    """A differing reader's values before and after, by the keys list uses."""
    before, after = {}, {}
    for key, _ in SETTINGS_KEYS:
        value = (reader.get("values") or {}).get(key) or {}
        before[key] = value.get("reader")
        after[key] = value.get("file") if value.get("file") is not None else value.get("reader")
    return before, after


def main():
    module = AnsibleModule(
        argument_spec=dict(
            src=dict(type="path"),
            settings=dict(type="dict"),
            serial=dict(type="list", elements="str"),
            all=dict(type="bool", default=False),
            verify=dict(type="bool", default=True),
            **COMMON_ARGUMENT_SPEC
        ),
        mutually_exclusive=[("src", "settings"), ("serial", "all")],
        required_one_of=[("src", "settings"), ("serial", "all")],
        supports_check_mode=True,
    )
    ctl = Kx12rCtl(module)
    try:
        path = settings_path(module)
        readers, messages = compared(ctl, path, module)
        unfit = [r for r in readers if r.get("result") not in ("equal", "different")]
        if unfit:
            module.fail_json(msg=" ".join(m for m in messages if m), readers=readers)
        differing = [r for r in readers if r.get("result") == "different"]
        diff = {"before": {}, "after": {}}
        for reader in differing:
            before, after = reader_diff(reader)
            diff["before"][reader["serial"]] = before
            diff["after"][reader["serial"]] = after
        if module.check_mode or not differing:
            module.exit_json(changed=bool(differing), readers=readers, diff=diff)
        written, messages = [], []
        for reader in differing:
            arguments = ["--serial", reader["serial"]] + ([] if module.params["verify"] else ["--no-verify"])
            status, document, err = ctl.run("apply", path, *arguments)
            written.extend(document.get("readers", []))
            messages.append(err.strip())
        if any(r.get("result") != "written" for r in written):
            module.fail_json(msg=" ".join(m for m in messages if m), readers=written)
        module.exit_json(changed=True, readers=written, diff=diff)
    except Kx12rCtlError as error:
        module.fail_json(msg=str(error), status=error.status)


if __name__ == "__main__":
    main()
