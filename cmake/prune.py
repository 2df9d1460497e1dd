#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""prune.py FOLDER KEPT...: removes every file of FOLDER that is not one of KEPT."""
import os
import sys

folder, kept = sys.argv[1], {os.path.abspath(k) for k in sys.argv[2:]}
for name in os.listdir(folder):
    path = os.path.abspath(os.path.join(folder, name))
    if os.path.isfile(path) and path not in kept:
        os.remove(path)
