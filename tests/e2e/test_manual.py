# SPDX-License-Identifier: Apache-2.0
"""The built manual: a PDF whose text (pdftotext) holds, in each language's section, every text
of the program's text table (every message, menu item, group and choice), so the manual cannot
fall behind a changed or added message; with Cyrillic extracted as Cyrillic. As a PDF reader
meets it: its language, the outline shown at opening with each bookmark at its heading, every
font embedded, the profile example on one page, a table's code kept on one line."""
import ast
import base64
import os
import re
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import shellfiles as s  # noqa: E402

T = h.Tests(__file__)
TEXT_TABLE = os.path.join(h.SOURCE_DIR, "src", "core", "ui_text.cpp")
ROW = re.compile(r'^\s*\{("(?:[^"\\]|\\.)*"),\s*("(?:[^"\\]|\\.)*")\},\s*//\s*(Text\w+)\s*$')
# The window title is not quoted: the manual names the program and its version on every page.
NOT_QUOTED = {"TextTitle"}
# The first words of each part (the part headings also stand in every page's header).
RUSSIAN_START = "VireoTool-4 — программа для настройки"
ENGLISH_START = "VireoTool-4 configures the proximity"
MIN_PAGES = 15


def text_table():
    """{entry: (russian, english)} from the program's own table."""
    entries = {}
    with open(TEXT_TABLE, encoding="utf-8") as f:
        for line in f:
            match = ROW.match(line)
            if match:
                entries[match.group(3)] = (ast.literal_eval(match.group(1)), ast.literal_eval(match.group(2)))
    return entries


def flat(text):
    """Every run of white space as one blank: table cells wrap lines wherever they like."""
    return " ".join(text.split())


def manual_text():
    h.expect(os.path.exists(s.BUILT_MANUAL), "the manual has not been built: %s" % s.BUILT_MANUAL)
    run = subprocess.run(["pdftotext", "-enc", "UTF-8", s.BUILT_MANUAL, "-"], capture_output=True, timeout=120)
    h.expect_eq(run.returncode, 0, "pdftotext exit code")
    return run.stdout.decode("utf-8")


def sections(text):
    """The Russian and the English part."""
    text = flat(text)
    russian_at = text.index(RUSSIAN_START)
    english_at = text.index(ENGLISH_START)
    h.expect(russian_at < english_at, "the Russian section comes first")
    return text[russian_at:english_at], text[english_at:]


def missing(section, text):
    """The lines of a table text that the section does not hold (a message's lines are quoted
    one by one: the manual shows the box's line breaks as line breaks)."""
    lines = [flat(line) for line in re.split(r"[\n\r]+", text) if line.strip()]
    return [line for line in lines if line not in section]


@T.case("the manual is a PDF of both languages, Cyrillic extracted as Cyrillic")
def _():
    info = subprocess.run(["pdfinfo", s.BUILT_MANUAL], capture_output=True, text=True, timeout=60).stdout
    pages = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
    h.expect(pages >= MIN_PAGES, "the manual has %d pages" % pages)
    russian, english = sections(manual_text())
    h.expect("Подключение считывателя" in russian, "the Russian section has its chapters")
    h.expect("Connecting a reader" in english, "the English section has its chapters")


@T.case("every text of the program's table is in the manual, in each language's section")
def _():
    entries = text_table()
    h.expect(len(entries) == 80, "the text table has 80 entries (found %d)" % len(entries))
    russian, english = sections(manual_text())
    absent = []
    for name, (ru_text, en_text) in sorted(entries.items()):
        if name in NOT_QUOTED:
            continue
        absent += ["%s (ru): %r" % (name, line) for line in missing(russian, ru_text)]
        absent += ["%s (en): %r" % (name, line) for line in missing(english, en_text)]
    h.expect(not absent, "not in the manual: " + "; ".join(absent))



def pdf_bytes():
    with open(s.BUILT_MANUAL, "rb") as f:
        return f.read()


def page_contents(data):
    """The decompressed streams of the file (page contents among them)."""
    streams = []
    for match in re.finditer(rb"stream\r?\n(.*?)endstream", data, re.S):
        body = match.group(1).strip()
        try:
            if body.endswith(b"~>"):  # ASCII85 over Flate, as reportlab writes them
                body = base64.a85decode(body, adobe=True)
            streams.append(zlib.decompress(body))
        except (ValueError, zlib.error):
            streams.append(body)
    return streams


@T.case("the PDF's language, Russian and English parts marked, the outline shown at opening")
def _():
    data = pdf_bytes()
    h.expect(re.search(rb"/Lang \(ru-RU\)", data), "no /Lang of the document")
    h.expect(re.search(rb"/PageMode /UseOutlines", data), "the outline is not shown at opening")
    marks = b"".join(page_contents(data))
    for language in (b"ru-RU", b"en-GB"):
        h.expect(b"/Span <</Lang (" + language + b")>> BDC" in marks, "no page marked %s" % language.decode())
    opened = len(re.findall(rb"^/Span <</Lang \([a-zA-Z-]+\)>> BDC$", marks, re.M))
    h.expect_eq(len(re.findall(rb"^EMC$", marks, re.M)), opened, "marked content closed as often as opened")


@T.case("every bookmark goes to its heading, not to the top of a page")
def _():
    data = pdf_bytes()
    page_height = float(re.search(rb"/MediaBox \[ 0 0 [\d.]+ ([\d.]+) \]", data).group(1))
    targets = [(int(page), float(top)) for page, top in
               re.findall(rb"/Dest \[ (\d+) 0 R /XYZ [\d.]+ ([\d.]+) 0 \]", data)]
    h.expect(len(set(targets)) >= 80, "only %d bookmark targets" % len(set(targets)))
    h.expect(not re.search(rb"/Fit[ \]]", data), "a bookmark shows a whole page")
    h.expect(all(top < page_height - 40 for _, top in targets), "a bookmark at a page's top edge")
    by_page = {}
    for page, top in set(targets):
        by_page.setdefault(page, set()).add(top)
    h.expect(any(len(tops) > 1 for tops in by_page.values()), "headings of one page share one target")


@T.case("every font is embedded; no Helvetica")
def _():
    listing = subprocess.run(["pdffonts", s.BUILT_MANUAL], capture_output=True, text=True, timeout=60).stdout
    fonts = listing.splitlines()[2:]
    h.expect(fonts, "pdffonts lists no font")
    for line in fonts:
        fields = line.split()
        h.expect("Helvetica" not in line and fields[-5] == "yes", "not embedded: %s" % line)


@T.case("the profile example stays on one page; a table keeps --timeout and its argument together")
def _():
    text = manual_text()
    starts = [m.start() for m in re.finditer(r"^\[kru-krm\]\n", text, re.M)]
    examples = [at for at in starts if text.startswith("[kru-krm]\ninterface=", at)]
    h.expect_eq(len(examples), 2, "profile examples, one per language")
    for at in examples:
        end = text.index("cards=all", at)
        h.expect("\f" not in text[at:end], "a profile example splits across pages")
    for argument in ("МС", "MS"):
        h.expect(re.search(r"^--timeout[ \u00a0]%s$" % argument, text, re.M),
                 "--timeout %s broken across lines" % argument)


T.main()
