#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Copies a UTF-8 C++ source with its plain string and character literals in code page 1251.

Usage: cp1251_literals.py SOURCE DESTINATION

gcc stores the Russian texts as code page 1251 bytes (-fexec-charset=CP1251); clang, and so
emscripten, has no such option and would keep UTF-8. This copy writes every non-ASCII character
of an unprefixed literal as the \\x escape of its CP1251 byte, so clang builds the same bytes
gcc does. u8, u, U and L literals, raw strings and comments are copied unchanged.
"""
import os
import sys

PREFIXES = {"u8", "u", "U", "L"}


def identifier_before(text, i):
    start = i
    while start > 0 and (text[start - 1].isalnum() or text[start - 1] == "_"):
        start -= 1
    return text[start:i]


def escape_literal(body, where):
    """The literal's characters with every non-ASCII one as \\x escapes of its CP1251 bytes.
    An escape must not run into a following hex digit, so the literal is split there."""
    out = []
    pending_escape = False
    for ch in body:
        if ord(ch) < 0x80:
            if pending_escape and ch in "0123456789abcdefABCDEF":
                out.append('" "')
            out.append(ch)
            pending_escape = False
            continue
        try:
            encoded = ch.encode("cp1251")
        except UnicodeEncodeError:
            raise SystemExit("%s: %r has no code page 1251 form" % (where, ch))
        out.extend("\\x%02X" % b for b in encoded)
        pending_escape = True
    return "".join(out)


def convert(text, where):
    out = []
    i = 0
    n = len(text)
    while i < n:
        ch = text[i]
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            out.append(text[i:end])
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(text[i:end])
            i = end
        elif ch in "\"'":
            before = identifier_before(text, i)
            if ch == "'" and before and before not in PREFIXES:
                out.append(ch)  # a digit separator (1'000)
                i += 1
                continue
            if ch == '"' and before.endswith("R"):
                open_paren = text.index("(", i)
                delimiter = ")" + text[i + 1:open_paren] + '"'
                end = text.index(delimiter, open_paren) + len(delimiter)
                out.append(text[i:end])
                i = end
                continue
            j = i + 1
            while j < n and text[j] != ch:
                j += 2 if text[j] == "\\" else 1
            body = text[i + 1:j]
            line = text.count("\n", 0, i) + 1
            if before in PREFIXES:
                out.append(ch + body + ch)
            else:
                out.append(ch + escape_literal(body, "%s:%d" % (where, line)) + ch)
            i = j + 1
        else:
            out.append(ch)
            i += 1
    return "".join(out)


def main():
    source, destination = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    converted = convert(text, source)
    os.makedirs(os.path.dirname(os.path.abspath(destination)), exist_ok=True)
    with open(destination, "w", encoding="utf-8") as f:
        f.write('#line 1 "%s"\n' % source)
        f.write(converted)


if __name__ == "__main__":
    main()
