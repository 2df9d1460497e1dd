"""The built manual: a PDF whose text (pdftotext) holds, in each language's section, every text
of the program's text table (every message, menu item, group and choice), so the manual cannot
fall behind a changed or added message; with Cyrillic extracted as Cyrillic."""
import ast
import os
import re
import subprocess
import sys

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


T.main()
