#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The core's unit tests (and the face's) built with emscripten give under Node the same
results as natively: the same test cases, the same number of assertions, all passing.

Usage: node_tests.py NATIVE_UNIT NODE_UNIT.js NATIVE_FACE NODE_FACE.js

The cases that need a child process (fork, setuid, setrlimit), which WebAssembly has not, are
left out of both runs (doctest suite "child-process").
"""
import re
import subprocess
import sys

EXCLUDE = "--test-suite-exclude=child-process"
SUMMARY = re.compile(r"test cases:\s*(\d+)\s*\|\s*(\d+) passed\s*\|\s*(\d+) failed\s*\|\s*(\d+) skipped.*?"
                     r"assertions:\s*(\d+)\s*\|\s*(\d+) passed\s*\|\s*(\d+) failed", re.S)


def summary(command):
    done = subprocess.run(command + [EXCLUDE, "--no-colors"], capture_output=True, text=True, timeout=240)
    match = SUMMARY.search(done.stdout)
    if not match:
        print(done.stdout[-3000:], done.stderr[-3000:])
        raise SystemExit("%s: no doctest summary (exit %d)" % (command[-1], done.returncode))
    cases, cases_passed, cases_failed, skipped, asserts, asserts_passed, asserts_failed = map(int, match.groups())
    if done.returncode != 0 or cases_failed or asserts_failed:
        print(done.stdout[-6000:])
    return {"exit": done.returncode, "cases": cases, "passed": cases_passed, "skipped": skipped,
            "assertions": asserts, "assertions passed": asserts_passed}


def main():
    native_unit, node_unit, native_face, node_face = sys.argv[1:5]
    ok = True
    for name, native_cmd, node_cmd in (("unit", [native_unit], ["node", node_unit]),
                                       ("face", [native_face], ["node", node_face])):
        native = summary(native_cmd)
        node = summary(node_cmd)
        print("%s natively: %s" % (name, native))
        print("%s under Node: %s" % (name, node))
        passed = native["exit"] == 0 and native["cases"] == native["passed"] and native["cases"] > 0
        if not passed or node != native:
            print("%s: NOT the same results" % name)
            ok = False
    print("web_node:", "ok" if ok else "FAILED")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
