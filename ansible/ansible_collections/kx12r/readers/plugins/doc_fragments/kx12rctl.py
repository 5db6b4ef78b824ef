# -*- coding: utf-8 -*-
# The options every module of the collection takes: which kx12rctl, and its demo readers.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  demo:
    description: Work on kx12rctl's demo readers instead of the connected ones (for tests; see
      KX12R_DEMO_STATE).
    type: bool
    default: false
  executable:
    description: The kx12rctl program on the managed host.
    type: str
    default: kx12rctl
"""
