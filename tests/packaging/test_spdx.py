#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""scripts/spdx.py on a small tree of every kind of file it meets: where the licence line goes,
which licence, which files it leaves alone, that a second run changes nothing and that --check
lists exactly what lacks the line."""
import os
import subprocess
import sys
import tempfile

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "spdx.py")
A = b"SPDX-License-Identifier: Apache-2.0"
G = b"SPDX-License-Identifier: GPL-3.0-or-later"

TREE = {
    "src/a.cpp": b"#include <x>\n",
    "src/crlf.h": b"#pragma once\r\nint f();\r\n",
    "src/bom.cpp": b"\xef\xbb\xbfint x;\n",
    "resources/about.rc": "// \u041e \u043f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u0435\n".encode("cp1251"),
    "scripts/tool.py": b"#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\nprint(1)\n",
    "scripts/run": b"#!/bin/sh\necho hi",
    "web/index.html": b"<!DOCTYPE html>\n<html></html>\n",
    "web/style.css": b"body {}\n",
    "packaging/tool.metainfo.xml": b'<?xml version="1.0"?>\n<component/>\n',
    "packaging/tool.1": b'.TH TOOL 1\n',
    "installer/setup.nsi": b"Name x\n",
    "CMakeLists.txt": b"project(x)\n",
    "ansible/plugins/modules/m.py": b"#!/usr/bin/python\nDOCUMENTATION = ''\n",
    "ansible/galaxy.yml": b"name: readers\n",
    "empty.sh": b"",
    # Not source: data, documents, corpora, licence texts.
    "web/manifest.webmanifest": b"{}\n",
    "tests/data.json": b"{}\n",
    "docs/guide.md": b"# Guide\n",
    "site.ini": b"[usb]\n",
    "fuzz/corpus/fuzz_reply/case.py": b"raw bytes\n",
    "LICENSE": b"Apache License\n",
}
EXPECTED = {
    "src/a.cpp": b"// " + A + b"\n#include <x>\n",
    "src/crlf.h": b"// " + A + b"\r\n#pragma once\r\nint f();\r\n",
    "src/bom.cpp": b"\xef\xbb\xbf// " + A + b"\nint x;\n",
    "resources/about.rc": b"// " + A + b"\n" + TREE["resources/about.rc"],
    "scripts/tool.py": b"#!/usr/bin/env python3\n# -*- coding: utf-8 -*-\n# " + A + b"\nprint(1)\n",
    "scripts/run": b"#!/bin/sh\n# " + A + b"\necho hi",
    "web/index.html": b"<!DOCTYPE html>\n<!-- " + A + b" -->\n<html></html>\n",
    "web/style.css": b"/* " + A + b" */\nbody {}\n",
    "packaging/tool.metainfo.xml": b'<?xml version="1.0"?>\n<!-- ' + A + b' -->\n<component/>\n',
    "packaging/tool.1": b'.\\" ' + A + b"\n.TH TOOL 1\n",
    "installer/setup.nsi": b"; " + A + b"\nName x\n",
    "CMakeLists.txt": b"# " + A + b"\nproject(x)\n",
    "ansible/galaxy.yml": b"# " + A + b"\nname: readers\n",
    "empty.sh": b"# " + A + b"\n",
}


def spdx(root, *options):
    return subprocess.run([sys.executable, SCRIPT, *options, root], capture_output=True, text=True)


def main():
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)

    with tempfile.TemporaryDirectory() as root:
        for path, data in TREE.items():
            os.makedirs(os.path.dirname(os.path.join(root, path)) or root, exist_ok=True)
            with open(os.path.join(root, path), "wb") as f:
                f.write(data)
        os.chmod(os.path.join(root, "scripts/run"), 0o755)

        check = spdx(root, "--check")
        listed = {line.split(":")[0] for line in check.stdout.splitlines() if ": " in line}
        expect(check.returncode == 1, "--check on a tree without lines exits %d" % check.returncode)
        expect(listed == set(EXPECTED) | {"ansible/plugins/modules/m.py"},
               "--check lists %r" % sorted(listed))

        added = spdx(root)
        expect(added.returncode == 0, "adding: " + added.stdout + added.stderr)
        for path, data in TREE.items():
            with open(os.path.join(root, path), "rb") as f:
                now = f.read()
            if path in EXPECTED:
                expect(now == EXPECTED[path], "%s became %r" % (path, now))
            elif path.startswith("ansible/plugins/"):
                lines = now.split(b"\n")
                expect(lines[0] == b"#!/usr/bin/python" and lines[1] == b"# " + G
                       and b"GNU General Public License v3.0+" in lines[2], "%s became %r" % (path, now))
            else:
                expect(now == data, "%s is not source but was changed: %r" % (path, now))
        expect(os.access(os.path.join(root, "scripts/run"), os.X_OK), "the script lost its mode")

        with open(os.path.join(root, "src/a.cpp"), "rb") as f:
            before = f.read()
        again = spdx(root)
        with open(os.path.join(root, "src/a.cpp"), "rb") as f:
            expect(f.read() == before and "0 file(s)" in again.stdout, "a second run changed files: " + again.stdout)
        expect(spdx(root, "--check").returncode == 0, "--check after adding fails")

        # A plugin that claims the project's licence is reported, and left for a person to fix.
        wrong = os.path.join(root, "ansible/plugins/modules/wrong.py")
        with open(wrong, "wb") as f:
            f.write(b"# " + A + b"\n")
        check = spdx(root, "--check")
        expect(check.returncode == 1 and "wrong.py: SPDX names Apache-2.0, not GPL-3.0-or-later" in check.stdout,
               "a wrong licence: " + check.stdout)
        fixed = spdx(root)
        with open(wrong, "rb") as f:
            expect(fixed.returncode == 1 and f.read() == b"# " + A + b"\n", "the wrong line was rewritten")

    for failure in failures:
        print("FAIL " + failure)
    print("%d passed, %d failed" % (0 if failures else 1, 1 if failures else 0))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
