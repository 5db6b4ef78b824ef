# The collection is imported as Ansible imports it: from the folder above ansible_collections.
import os
import sys

sys.path.insert(0, os.path.abspath(os.path.join(os.path.dirname(__file__), *[".."] * 5)))
