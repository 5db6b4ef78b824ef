#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: info
short_description: List the KX12R readers of a host
description:
  - Lists the readers connected to the managed host as C(kx12rctl list --json) gives them,
    for inventories and reports. A host without readers gives an empty list.
version_added: 1.1.0
author: kx12r-config developers (@kx12r)
extends_documentation_fragment: kx12r.readers.kx12rctl
"""

EXAMPLES = r"""
- name: Inventory the readers
  kx12r.readers.info:
  register: found
"""

RETURN = r"""
readers:
  description: One entry a reader, as C(kx12rctl list --json) gives it.
  returned: always
  type: list
  elements: dict
  sample:
    - serial: "00417"
      product_id: "00DF"
      firmware: "1.84"
      access: true
      configurable: true
      variant: 8
      prefix: "#K"
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.kx12r.readers.plugins.module_utils.kx12rctl import (
    COMMON_ARGUMENT_SPEC,
    DONE,
    NO_READER,
    REFUSED,
    Kx12rCtl,
    Kx12rCtlError,
)


def main():
    module = AnsibleModule(argument_spec=COMMON_ARGUMENT_SPEC, supports_check_mode=True)
    ctl = Kx12rCtl(module)
    try:
        # No reader, or one without access, is status 3 with the document still given.
        status, document, err = ctl.run("list", accepted=(DONE, REFUSED, NO_READER))
    except Kx12rCtlError as error:
        module.fail_json(msg=str(error), status=error.status)
    module.exit_json(changed=False, readers=document.get("readers", []))


if __name__ == "__main__":
    main()
