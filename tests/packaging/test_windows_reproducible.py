#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The Windows artefacts are reproducible: the programs, the manual and the installer that the
cross tree built are, byte for byte, what a second build gives from a copy of the same sources
in a folder of another name and depth, configured the same way (no compiler cache, so nothing
is carried over from the first build).

  test_windows_reproducible.py --source . --win build/win --work build/native/win-again
"""
import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys

ARTEFACTS = ["VireoTool-4.exe", "vireo4.exe", "help/VireoTool-4 ver_2_00.pdf", "VireoTool-4-2.00-setup.exe"]
# The cache entries the second tree takes from the first, so that both build the same thing.
SHARED_SETTINGS = ["CMAKE_BUILD_TYPE", "VIREO_WEB_BUILD_DIR"]


def cached(build, name):
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as f:
        match = re.search(r"^%s:[A-Z]+=(.*)$" % re.escape(name), f.read(), re.M)
    return match.group(1) if match else ""


def copy_sources(source, copy):
    listed = subprocess.run(["git", "-C", source, "ls-files", "-z"], capture_output=True, check=True)
    for path in listed.stdout.decode("utf-8").split("\0"):
        if path and os.path.isfile(os.path.join(source, path)):
            os.makedirs(os.path.dirname(os.path.join(copy, path)), exist_ok=True)
            shutil.copy2(os.path.join(source, path), os.path.join(copy, path), follow_symlinks=False)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True)
    parser.add_argument("--win", required=True, help="the cross tree as built")
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    copy = os.path.join(os.path.abspath(args.work), "another", "folder", "sources")
    copy_sources(args.source, copy)
    env = {k: v for k, v in os.environ.items() if not k.endswith("_COMPILER_LAUNCHER")}
    # The first tree took its date from the last commit; the copy has no history.
    epoch = subprocess.run(["git", "-C", args.source, "log", "-1", "--format=%ct"], capture_output=True, text=True)
    if epoch.returncode == 0 and epoch.stdout.strip():
        env.setdefault("SOURCE_DATE_EPOCH", epoch.stdout.strip())
    build = os.path.join(copy, "build", "win")
    settings = ["-D%s=%s" % (name, cached(args.win, name)) for name in SHARED_SETTINGS if cached(args.win, name)]
    steps = [["cmake", "-S", copy, "-B", build, "-DBUILD_TESTING=OFF", *settings,
              "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(copy, "cmake", "mingw-w64-x86_64.cmake")],
             ["cmake", "--build", build, "-j", "2"]]
    for step in steps:
        done = subprocess.run(step, capture_output=True, text=True, env=env)
        if done.returncode != 0:
            print("FAIL %s:\n%s%s" % (" ".join(step[:2]), done.stdout[-3000:], done.stderr[-3000:]))
            print("0 passed, 1 failed")
            return 1
    passed = failed = 0
    for name in ARTEFACTS:
        first, second = os.path.join(args.win, name), os.path.join(build, name)
        if os.path.exists(first) and os.path.exists(second) and filecmp.cmp(first, second, shallow=False):
            print("ok   %s: the same %d bytes" % (name, os.path.getsize(first)))
            passed += 1
        else:
            print("FAIL %s differs (or is missing)" % name)
            failed += 1
    if not failed:
        shutil.rmtree(args.work, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
