#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Licence lines: gives every source file an SPDX-License-Identifier line as its first comment.

  scripts/spdx.py [ROOT]          adds the line where it is missing (idempotent)
  scripts/spdx.py --check [ROOT]  lists the files that lack it or carry the wrong licence; exit 1

The project is Apache-2.0; the Ansible collection's plugins run inside Ansible and are
GPL-3.0-or-later (they also get the GPL notice Ansible's module checks look for). The line goes
first, after whatever must stay first: a shebang, a Python coding line, an HTML doctype or an
XML declaration.
Files are handled as bytes: a code page 1251 resource keeps its bytes, a CRLF file its line ends.
What is not source is left alone: data (ini, JSON, fuzz corpora), Markdown, images, licences.
"""
import argparse
import os
import re
import subprocess
import sys

APACHE = "Apache-2.0"
GPL = "GPL-3.0-or-later"
GPL_FOLDER = "ansible/plugins/"
GPL_NOTICE = "GNU General Public License v3.0+ (see ansible/LICENSE or https://www.gnu.org/licenses/gpl-3.0.txt)"
MARK = b"SPDX-License-Identifier:"
# The line is looked for among the first lines only: it is a header, not a mention.
HEADER_LINES = 5

# Comment syntax: (opening, closing) per kind of file.
LINE_HASH = ("# ", "")
LINE_SLASH = ("// ", "")
BLOCK_C = ("/* ", " */")
LINE_SEMICOLON = ("; ", "")
HTML = ("<!-- ", " -->")
ROFF = ('.\\" ', "")
BY_SUFFIX = {
    ".c": LINE_SLASH, ".cpp": LINE_SLASH, ".h": LINE_SLASH, ".hpp": LINE_SLASH,
    ".js": LINE_SLASH, ".rc": LINE_SLASH,
    ".css": BLOCK_C,
    ".py": LINE_HASH, ".sh": LINE_HASH, ".cmake": LINE_HASH, ".yml": LINE_HASH,
    ".yaml": LINE_HASH, ".rules": LINE_HASH, ".mk": LINE_HASH,
    ".nsi": LINE_SEMICOLON, ".nsh": LINE_SEMICOLON,
    ".html": HTML, ".xml": HTML,
    ".1": ROFF,
}
BY_NAME = {"CMakeLists.txt": LINE_HASH, "Makefile": LINE_HASH}
# Not source, or files whose every byte is data: never touched.
SKIPPED_PARTS = ("build/", "node_modules/", "fuzz/corpus/", ".git/")
SKIPPED_FILES = {"debian/changelog", "debian/copyright", "debian/control", "debian/source/format"}
# Lines that must stay in front of the licence line.
SHEBANG = re.compile(rb"^#!")
CODING = re.compile(rb"^[ \t\f]*#.*?coding[:=][ \t]*[-\w.]+")
DOCTYPE = re.compile(rb"^\s*(<!DOCTYPE|<\?xml)", re.I)
BOM = b"\xef\xbb\xbf"


def comment_style(path, head):
    """The comment syntax of a file by its name, or by its shebang; None: not source."""
    name = os.path.basename(path)
    if name in BY_NAME:
        return BY_NAME[name]
    suffix = os.path.splitext(name)[1]
    if suffix in BY_SUFFIX:
        return BY_SUFFIX[suffix]
    if not suffix and SHEBANG.match(head):
        return LINE_HASH
    return None


def licence_of(path):
    return GPL if path.startswith(GPL_FOLDER) else APACHE


def source_files(root):
    """Repository-relative paths: git's list where there is one, else a walk of the tree."""
    listed = subprocess.run(["git", "-C", root, "ls-files", "-z"], capture_output=True)
    if listed.returncode == 0:
        paths = [p.decode("utf-8", "surrogateescape") for p in listed.stdout.split(b"\0") if p]
    else:
        paths = []
        for folder, dirs, files in os.walk(root):
            dirs[:] = [d for d in dirs if d not in (".git", "build", "node_modules")]
            paths += [os.path.relpath(os.path.join(folder, f), root) for f in files]
    for path in sorted(paths):
        path = path.replace(os.sep, "/")
        if path in SKIPPED_FILES or any(path.startswith(p) or "/" + p in path for p in SKIPPED_PARTS):
            continue
        full = os.path.join(root, path)
        if os.path.islink(full) or not os.path.isfile(full):
            continue
        yield path


def split_lines(data):
    return data.splitlines(keepends=True)


def lead_count(lines, style):
    """How many of the first lines must stay before the licence line."""
    count = 0
    if lines and SHEBANG.match(lines[0]):
        count = 1
    if style == LINE_HASH and len(lines) > count and count < 2 and CODING.match(lines[count]):
        count += 1
    if style == HTML and lines and DOCTYPE.match(lines[0]):
        count = 1
    return count


def header_licence(data):
    """The identifier named in the header, or None."""
    for line in split_lines(data)[:HEADER_LINES]:
        at = line.find(MARK)
        if at >= 0:
            words = line[at + len(MARK):].split()
            return words[0].decode("ascii", "replace") if words else ""
    return None


def with_licence(data, style, licence):
    """The file's bytes with the licence line added (unchanged when it is there already)."""
    if header_licence(data) is not None:
        return data
    bom = BOM if data.startswith(BOM) else b""
    lines = split_lines(data[len(bom):])
    newline = b"\r\n" if lines and lines[0].endswith(b"\r\n") else b"\n"
    opening, closing = (part.encode("ascii") for part in style)
    added = [opening + b"SPDX-License-Identifier: " + licence.encode("ascii") + closing + newline]
    if licence == GPL:
        added.append(opening + GPL_NOTICE.encode("ascii") + closing + newline)
    keep = lead_count(lines, style)
    if keep and not lines[keep - 1].endswith(b"\n"):
        lines[keep - 1] += newline
    return bom + b"".join(lines[:keep] + added + lines[keep:])


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="only list what lacks the line")
    parser.add_argument("root", nargs="?", default=os.path.join(os.path.dirname(__file__), ".."))
    args = parser.parse_args()
    root = os.path.abspath(args.root)
    wrong = changed = 0
    for path in source_files(root):
        full = os.path.join(root, path)
        with open(full, "rb") as f:
            data = f.read()
        style = comment_style(path, data[:2])
        if style is None:
            continue
        licence = licence_of(path)
        found = header_licence(data)
        if args.check:
            if found != licence:
                wrong += 1
                print("%s: %s" % (path, "no SPDX line" if found is None else
                                  "SPDX names %s, not %s" % (found, licence)))
            continue
        if found is not None and found != licence:
            wrong += 1
            print("%s: SPDX names %s, not %s (left as it is)" % (path, found, licence), file=sys.stderr)
            continue
        updated = with_licence(data, style, licence)
        if updated != data:
            with open(full, "wb") as f:
                f.write(updated)
            changed += 1
    if args.check:
        print("%d file(s) without the right SPDX line" % wrong)
    else:
        print("%d file(s) given an SPDX line" % changed)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
