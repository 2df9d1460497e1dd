#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Provisioning on plug against plain vireo4 apply: the unit's command (packaging/vireo4-provision,
with its configuration, profile and the port's USB identity) from its start until the reader was
written and read back, beside `vireo4 apply PROFILE PORT` on the same simulated reader. Rounds
alternate two profiles so that every run writes; the medians and their ratio are printed.

    python3 scripts/bench_provision.py [--rounds N]

Needs build/native (vireo4, vireo-sim).
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
os.environ.setdefault("VIREO4", os.path.join(ROOT, "build", "native", "vireo4"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "cli"))
from cli_support import VIREO4, Fleet  # noqa: E402

BOUND = 1.5
SCRIPT = os.path.join(ROOT, "packaging", "vireo4-provision")
PROFILES = ("[usb]\ntype = dec\n", "[usb]\ntype = hex\n")


def timed(args):
    start = time.monotonic()
    done = subprocess.run(args, capture_output=True, text=True, timeout=60)
    elapsed = time.monotonic() - start
    if done.returncode != 0 or "written and verified" not in done.stdout:
        sys.exit("%s did not write the reader (exit %d):\n%s%s" % (args[0], done.returncode, done.stdout, done.stderr))
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=15)
    rounds = parser.parse_args().rounds
    with Fleet() as fleet:
        fleet.sim("acm0", "B", logged=False)
        sysfs = fleet.path("sys")
        interface = os.path.join(sysfs, "devices", "usb1", "1-1", "1-1:1.0")
        os.makedirs(interface)
        for name, value in (("idVendor", "2e3c"), ("idProduct", "5750")):
            with open(os.path.join(sysfs, "devices", "usb1", "1-1", name), "w") as f:
                f.write(value + "\n")
        os.makedirs(os.path.join(sysfs, "class", "tty", "acm0"))
        os.symlink(interface, os.path.join(sysfs, "class", "tty", "acm0", "device"))
        config = fleet.path("provision.conf")
        with open(config, "w") as f:
            f.write("enabled = yes\nserial-adapters =\n")
        profile = fleet.path("site.ini")
        port = fleet.path("acm0")
        provisioned, applied = [], []
        for index in range(rounds * 2):
            with open(profile, "w") as f:
                f.write(PROFILES[index % 2])
            if index % 2:
                applied.append(timed([os.path.abspath(VIREO4), "apply", profile, port]))
            else:
                provisioned.append(timed([SCRIPT, "--config", config, "--profile", profile, "--sysfs", sysfs,
                                          "--vireo4", os.path.abspath(VIREO4), port]))
    unit, plain = statistics.median(provisioned), statistics.median(applied)
    print("provisioning (the unit's command), one reader written and read back: %.0f ms (min %.0f, max %.0f)"
          % (unit * 1000, min(provisioned) * 1000, max(provisioned) * 1000))
    print("vireo4 apply PROFILE PORT, the same:                                  %.0f ms (min %.0f, max %.0f)"
          % (plain * 1000, min(applied) * 1000, max(applied) * 1000))
    print("ratio %.2f (bound: at most %.1f), median of %d rounds, load average %.1f"
          % (unit / plain, BOUND, rounds, os.getloadavg()[0]))
    return 0 if unit / plain <= BOUND else 1


if __name__ == "__main__":
    sys.exit(main())
