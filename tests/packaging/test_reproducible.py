#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The Debian package is reproducible: built again from another copy of the same tree, in a folder
of another name and depth, at another time, it is byte for byte the package package_deb built.
On a difference it names what differs: the control part or which files.

  test_reproducible.py --source . --reference build/native/deb --work build/native/deb-again
"""
import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile


def debs(folder):
    return sorted(name for name in os.listdir(folder) if name.endswith(".deb"))


def unpacked(deb, into):
    for option, part in (("-x", "data"), ("-e", "control")):
        subprocess.run(["dpkg-deb", option, deb, os.path.join(into, part)], check=True)
    listing = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True, check=True)
    return listing.stdout


def differences(first, second):
    """What differs between two packages, as lines."""
    found = []
    with tempfile.TemporaryDirectory() as work:
        a, b = os.path.join(work, "a"), os.path.join(work, "b")
        listings = unpacked(first, a), unpacked(second, b)
        if listings[0] != listings[1]:
            found.append("file lists, modes or times differ")
        for folder, _, files in os.walk(a):
            for name in files:
                path = os.path.join(folder, name)
                other = os.path.join(b, os.path.relpath(path, a))
                if not os.path.exists(other) or not filecmp.cmp(path, other, shallow=False):
                    found.append(os.path.relpath(path, a))
    return found or ["the archives differ (member order or compression), not their contents"]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True)
    parser.add_argument("--reference", required=True, help="package_deb's output folder")
    parser.add_argument("--work", required=True, help="a scratch folder for the second build")
    args = parser.parse_args()
    out = os.path.join(os.path.abspath(args.work), "another", "place")
    shutil.rmtree(args.work, ignore_errors=True)
    built = subprocess.run(["bash", os.path.join(args.source, "scripts", "build_deb.sh"), out],
                           capture_output=True, text=True)
    if built.returncode != 0:
        print("FAIL the second build: " + built.stderr)
        print("0 passed, 1 failed")
        return 1
    expected = debs(args.reference)
    passed = failed = 0
    if debs(out) != expected or not expected:
        print("FAIL the builds made %r and %r" % (expected, debs(out)))
        failed += 1
    for name in expected if not failed else []:
        first, second = os.path.join(args.reference, name), os.path.join(out, name)
        if filecmp.cmp(first, second, shallow=False):
            print("ok   %s: the same %d bytes" % (name, os.path.getsize(first)))
            passed += 1
        else:
            print("FAIL %s differs: %s" % (name, "; ".join(differences(first, second))))
            failed += 1
    if not failed:
        shutil.rmtree(args.work, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
