#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The man page and the manual's command-line chapter as the build fills them, held to vireo4
itself: the same commands, options, settings, status words and exit codes in the help, the man
page and the manual in both languages; every option listed is one the tool takes for that
command and no other; a status the tool reports carries the exit code the documents give it;
the version is the tool's own (and the Debian changelog's, where there is one).
Run by ctest as `cli_reference`; environment VIREO4, VIREO_REFERENCE_DIR (build/native/reference),
VIREO_SOURCE_DIR.
"""
import os
import re

from cli_support import Tests, expect, expect_eq, run, run_json

T = Tests()

REFERENCE = os.environ["VIREO_REFERENCE_DIR"]
SOURCE = os.environ["VIREO_SOURCE_DIR"]


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


MAN = read(os.path.join(REFERENCE, "vireo4.1"))
MANUAL = read(os.path.join(REFERENCE, "manual.md"))


def section(text, start, end):
    expect(start in text, "no %r" % start)
    return text.split(start, 1)[1].split(end, 1)[0]


def unescape(roff):
    return roff.replace("\\-", "-").replace("\\&", "").replace("\\fB", "").replace("\\fP", "")


def man_synopsis():
    """{command: [its own options]} from the SYNOPSIS."""
    commands = {}
    current = None
    for line in section(MAN, ".SH SYNOPSIS\n", ".SH ").splitlines():
        match = re.match(r"\.B vireo4 (\S+)$", line)
        if match:
            current = commands.setdefault(match.group(1), [])
        elif current is not None and line.startswith(".RB [ "):
            current.append(unescape(line.split()[2]))
    return commands


def man_shared_options():
    return [unescape(line.split()[1].strip('"')) for line in section(MAN, ".SH OPTIONS\n", ".SH ").splitlines()
            if re.match(r"\.B[IR]? ", line)]


def chapter(language):
    heading = "## 13. Программа командной строки vireo4" if language == "ru" else "## 13. The command-line tool vireo4"
    return section(MANUAL, heading, "\n## 14.")


def table(text, heading):
    """The first column of the table under a heading, code quotes taken off."""
    rows = [line for line in section(text, heading, "\n### ").splitlines() if line.startswith("| ")]
    cells = [row.split(" | ")[0][2:] for row in rows[1:]]
    return [cell.replace("\\|", "|") for cell in cells]


def strip_code(cell):
    return re.findall(r"`([^`]*)`", cell) or [cell]


HEADINGS = {"ru": ["### Команды", "### Ключи всех команд", "### Имена настроек", "### Коды завершения"],
            "en": ["### Commands", "### Options of every command", "### Setting names", "### Exit codes"]}


def help_commands(language):
    out = run("--help", "--lang", language)[1]
    block = out.split("\n\n")[1]
    return [line.split()[0] for line in block.splitlines()[1:]]


def help_shared_options(language):
    out = run("--help", "--lang", language)[1]
    block = out.split("\n\n")[2]
    return [line.split()[0].rstrip(",") for line in block.splitlines()[1:]]


@T.case("commands: the help, the man page, the manual (ru, en) and the tool agree")
def _():
    commands = list(man_synopsis())
    expect(commands, "no command in the man page's synopsis")
    for language in ("ru", "en"):
        expect_eq(help_commands(language), commands, "commands of --help --lang " + language)
        listed = [strip_code(cell)[0].split()[1] for cell in table(chapter(language), HEADINGS[language][0])]
        expect_eq(listed, commands, "commands of the manual (%s)" % language)
    described = re.findall(r"^\.TP\n\\fB(\w+)", section(MAN, ".SH COMMANDS\n", ".SH "), re.M)
    expect_eq(described, commands, "commands the man page describes")
    for command in commands:
        code, out, _ = run(command, "--help")
        expect(code == 0 and out.startswith("Usage: vireo4 " + command), "%s --help: %d %r" % (command, code, out))
    code, _, err = run("frob")
    expect(code == 1 and "frob" in err, "a command no document names is refused: %d %r" % (code, err))


VALUES = {"--timeout": "700", "--lang": "en", "--csv": "cards.csv", "--raw": "W271DO"}


def takes(command, option):
    """Whether the tool takes the option after the command (--help ends before anything runs)."""
    args = [command, option] + ([VALUES[option]] if option in VALUES and not (command == "read" and option == "--raw")
                                else [])
    code, _, err = run(*args, "--help")
    expect(code in (0, 1), "%s: exit %d %r" % (" ".join(args), code, err))
    return code == 0


@T.case("options: each command takes exactly the options the documents give it")
def _():
    synopsis = man_synopsis()
    shared = man_shared_options()
    expect_eq(shared, help_shared_options("en"), "options of every command, man page and --help")
    expect_eq(help_shared_options("ru"), shared, "options of every command, --help --lang ru")
    for language in ("ru", "en"):
        listed = [strip_code(cell)[0].split()[0] for cell in table(chapter(language), HEADINGS[language][1])]
        expect_eq(listed, shared, "options of the manual (%s)" % language)
    own = sorted({option for options in synopsis.values() for option in options})
    for command, options in synopsis.items():
        usage = run(command, "--help")[1].split("\n\n")[0]
        for option in options + shared:
            expect(takes(command, option), "%s does not take %s" % (command, option))
        for option in options:
            expect(option in usage, "the help of %s does not show %s: %r" % (command, option, usage))
        for option in own:
            if option not in options:
                expect(not takes(command, option), "%s takes %s, which no document gives it" % (command, option))


def man_settings():
    names = {}
    lines = section(MAN, ".SH SETTINGS\n", ".SH ").splitlines()
    for k, line in enumerate(lines):
        if line == ".TP":
            name = unescape(lines[k + 1][3:])
            names[name] = [unescape(v) for v in lines[k + 2][4:].split(' " | " ')]
    return names


@T.case("settings: names and values of the man page, the manual and the help are the tool's")
def _():
    settings = man_settings()
    expect(len(settings) >= 9, "settings of the man page: %r" % settings)
    help_text = run("--help")[1]
    for name, values in settings.items():
        expect(re.search(r"^  %s +%s\b" % (re.escape(name), re.escape(", ".join(values))), help_text, re.M),
               "the help lists %s as %r" % (name, values))
    for language in ("ru", "en"):
        rows = [line for line in section(chapter(language), HEADINGS[language][2], "\n### ").splitlines()
                if line.startswith("| `")]
        listed = {strip_code(row.split(" | ")[0])[0]: strip_code(row.split(" | ")[1]) for row in rows}
        expect_eq(listed, settings, "settings of the manual (%s)" % language)
    # Every value named is one the tool takes (the port then does not exist: exit 2, not 1).
    for name, values in settings.items():
        for value in values:
            code, _, err = run("write", "/dev/vireo-no-such-port", "%s=%s" % (name, value))
            expect(code == 2, "%s=%s: exit %d %r" % (name, value, code, err))


def man_statuses():
    """{word: exit code} from the JSON status list."""
    text = section(MAN, ".SS JSON status\n", ".SH ")
    found = re.findall(r"^\.TP\n\.B (\S+)\n(.*?)\((?:exit status )?(\d+)\)\.$", text, re.M | re.S)
    return {unescape(word): int(code) for word, _, code in found}


@T.case("status words and exit codes: one list in the man page and the manual, and the tool's own")
def _():
    statuses = man_statuses()
    expect(len(statuses) >= 19, "status words of the man page: %r" % statuses)
    for language in ("ru", "en"):
        words = re.findall(r"`([a-z-]+)`", section(chapter(language), "### JSON", "\n### ").split("\n")[3])
        expect_eq(words, list(statuses), "status words of the manual (%s)" % language)
    codes = [int(c) for c in re.findall(r"^\.TP\n\.B (\d+)$", section(MAN, ".SH EXIT STATUS\n", ".SH "), re.M)]
    for language in ("ru", "en"):
        listed = [int(cell) for cell in table(chapter(language), HEADINGS[language][3])]
        expect_eq(listed, codes, "exit codes of the manual (%s)" % language)
    expect(set(statuses.values()) <= set(codes), "a status's exit code the EXIT STATUS list lacks: %r" % statuses)
    sentence = run("--help")[1].replace("\n", " ").split("Exit codes: ", 1)[1]
    expect_eq(sorted(int(c) for c in re.findall(r"\b(\d{1,3})\b", sentence)), sorted(codes),
              "exit codes of the help's sentence")
    # What the tool reports carries the word and the code the documents give it.
    plain = os.path.join(REFERENCE, "manual.md")  # a plain file: no serial port
    cases = [(["read", "/dev/vireo-no-such-port"], "not-found"), (["read", plain], "not-serial"),
             (["write", "/dev/vireo-no-such-port", "bogus=1"], "usage")]
    for args, word in cases:
        code, document = run_json(*args)
        expect_eq(document["status"], word, " ".join(args))
        expect_eq(code, statuses[word], "exit code of %s" % word)


@T.case("the version: --version, the man page, the manual and the Debian changelog")
def _():
    code, out, _ = run("--version")
    match = re.match(r"vireo4 (\d+\.\d+\.\d+) \(VireoTool-4 ver\.(\d+\.\d+)\)$", out.splitlines()[0] if out else "")
    expect(code == 0 and match, "--version: %r" % out)
    version, label = match.groups()
    expect('"vireo4 %s"' % version in MAN.split("\n.SH", 1)[0], "the man page's .TH names another version")
    expect(MANUAL.count("# VireoTool-4 ver.%s\n" % label) == 1, "the manual's title names another version")
    expect(("ver_%s.pdf" % label.replace(".", "_")) in MAN, "the man page names another manual")
    for text, what in ((MAN, "man page"), (MANUAL, "manual")):
        expect(not re.search(r"@@|@[A-Z_]+@", text), "a marker left unfilled in the %s" % what)
    changelog = os.path.join(SOURCE, "debian", "changelog")
    if os.path.exists(changelog):
        first = read(changelog).splitlines()[0]
        match = re.match(r"\S+ \((?:\d+:)?([^)]+)\)", first)
        expect(match, "debian/changelog's first line: %r" % first)
        # The upstream version is what stands before the last hyphen (the Debian revision).
        expect_eq(match.group(1).rsplit("-", 1)[0], version, "the changelog's upstream version")


T.main()
