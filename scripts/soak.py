#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The full resource soak, outside the test suite (about 70 minutes): 1000 READ cycles, 200
WRITE cycles, 200 language switches, 200 tab switches and 100 card windows in one run of the
real program under Wine, with its GDI objects, USER objects and kernel handles counted inside
its process at the start, every so many operations and at the end. Prints the curve and exits
non-zero when a count ends more than TOLERANCE away from where it started.
The test suite runs a bounded version: tests/e2e/test_soak.py.

usage: scripts/soak.py [READS WRITES LANGUAGES TABS CARDS]   (after bash scripts/build.sh)
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
import soak_support as s  # noqa: E402

TOLERANCE = 3


def main():
    counts = [int(a) for a in sys.argv[1:6]] if len(sys.argv) > 5 else [1000, 200, 200, 200, 100]
    print("soak: %d reads, %d writes, %d language switches, %d tab switches, %d card windows" % tuple(counts),
          flush=True)
    rows, first, last = s.run(*counts, measure_every=100)
    print("| after | operations | GDI objects | USER objects | handles | seconds |")
    print("|---|---|---|---|---|---|")
    for label, done, c, seconds in rows:
        print("| %s | %d | %d | %d | %d | %.0f |" % (label, done, c["gdi"], c["user"], c["handles"], seconds))
    drift = {k: last[k] - first[k] for k in s.KINDS}
    print("drift from start to end: %r" % drift)
    return 0 if all(abs(d) <= TOLERANCE for d in drift.values()) else 1


if __name__ == "__main__":
    raise SystemExit(main())
