# SPDX-License-Identifier: Apache-2.0
"""vireo4.exe, the command-line tool's Windows build: a console program importing system DLLs
only, and ports, find, read and write under Wine against simulated readers on COM ports."""

import json
import os
import pty
import re
import select
import subprocess
import time

import harness as h

T = h.Tests(__file__)

CLI_EXE = os.path.join(h.WIN_BUILD_DIR, "vireo4.exe")
SYSTEM_DLLS = {"advapi32.dll", "kernel32.dll", "msvcrt.dll", "setupapi.dll", "user32.dll", "ole32.dll"}
RUN_TIMEOUT_S = 30


# The OEM code page of each prefix locale: text sent to a pipe is in it (there is no console).
OEM_CODEC = {1251: "cp866", None: "cp437"}
# An English Windows (ANSI 1252, OEM 437): the C.UTF-8 locale this machine has.
ENGLISH = {"LC_ALL": "C.UTF-8"}


def vireo4_bytes(env, *args, locale=None):
    """Runs vireo4.exe in the test's prefix with pipes for stdout and stderr: (code, out, err)."""
    done = subprocess.run(["wine", CLI_EXE, *args], env=dict(env.wine_env, **(locale or {})), cwd=env.workdir,
                          capture_output=True, timeout=RUN_TIMEOUT_S, stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout, done.stderr


def vireo4(env, *args, locale=None):
    """vireo4_bytes decoded: text in the prefix's OEM code page, JSON (--json on stdout) UTF-8."""
    code, out, err = vireo4_bytes(env, *args, locale=locale)
    codec = OEM_CODEC[env.acp]
    return code, out.decode("utf-8" if "--json" in args else codec), err.decode(codec)


def vireo4_json(env, *args, locale=None):
    code, out, err = vireo4(env, *args, "--json", locale=locale)
    try:
        return code, json.loads(out)
    except ValueError:
        raise h.Failure("not one JSON document (exit %d): %r %r" % (code, out, err))


def commands(sim):
    return [data for _, tag, data in sim.log() if tag == "RX"]


@T.case("vireo4.exe: a 64-bit console program importing system DLLs only")
def _():
    dump = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", CLI_EXE], capture_output=True, text=True,
                          check=True).stdout
    h.expect("(PE32+)" in dump, "a 64-bit image")
    h.expect(re.search(r"Subsystem\s+00000003\s+\(Windows CUI\)", dump), "the console subsystem")
    imported = sorted(name.lower() for name in re.findall(r"DLL Name: (\S+)", dump))
    h.expect_eq([n for n in imported if n not in SYSTEM_DLLS], [], "DLLs that are not Windows' own")


@T.case("ports, find, read and write under Wine; the USB reader asked the USB query first")
def _():
    with h.Env() as env:
        kru = env.sim(model="U", com=3)
        usb = env.sim(model="B", com=4)
        env.sim(model="U", com=5, extra=["--silent"])
        env.boot()
        env.add_usb("VR0001", "COM4")

        code, doc = vireo4_json(env, "ports")
        ports = {p["name"]: p for p in doc["ports"]}
        h.expect_eq((code, sorted(ports)), (0, ["COM3", "COM4", "COM5"]), "ports")
        h.expect(ports["COM4"]["usb_reader"] and not ports["COM3"]["usb_reader"], doc)

        start = time.monotonic()
        code, doc = vireo4_json(env, "find")
        elapsed = time.monotonic() - start
        found = {r["port"]: (r["model"], r["raw"]) for r in doc["readers"]}
        h.expect_eq((code, found), (0, {"COM3": ("KRU", "TMX1DO"), "COM4": ("USB", "WHDH5EM")}), "readers")
        h.expect_eq(commands(usb), [b"AT+READS_USB"], "commands the USB reader got")
        h.expect(elapsed < 5, "find under Wine took %.1f s" % elapsed)

        code, out, _ = vireo4(env, "read", "COM3")
        h.expect(code == 0 and "interface  touch-memory" in out, out)
        code, doc = vireo4_json(env, "write", "COM3", "interface=wiegand-26", "touch-poll=off")
        h.expect_eq((code, doc["changed"], doc["after"]["raw"]), (0, True, "W261DF"), "write")
        h.expect_eq([c for c in commands(kru) if not c.startswith(b"AT+READS")], [b"AT+W261DF"], "write command")
        code, _, err = vireo4(env, "write", "COM4", "format=touch-memory", "bytes=7")
        # A Russian user locale: the messages are Russian unless --lang says otherwise.
        h.expect(code == 3 and "требует прошивку новее 1.10" in err, err)
        code, _, err = vireo4(env, "write", "COM4", "format=touch-memory", "bytes=7", "--lang", "en")
        h.expect(code == 3 and "above 1.10" in err, err)
        code, _, err = vireo4(env, "read", "COM9")
        h.expect(code == 2 and "порт не найден" in err, err)


def on_console(env, *args):
    """Runs vireo4.exe with a terminal as its standard output and error: Wine makes that a
    console, so the tool writes wide text (WriteConsoleW), as on a Windows console whose code
    page (866) cannot show every letter. Returns everything the terminal received."""
    master, slave = pty.openpty()
    # Wine writes console text to the terminal in the terminal's character set: a UTF-8 locale
    # that this machine has (the prefix's Russian locale name is not installed here).
    terminal_env = dict(env.wine_env, LC_ALL="C.UTF-8")
    try:
        proc = subprocess.Popen(["wine", CLI_EXE, *args], env=terminal_env, cwd=env.workdir, stdin=slave,
                                stdout=slave, stderr=slave)
        os.close(slave)
        received = b""
        deadline = time.monotonic() + RUN_TIMEOUT_S
        while time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.1)
            if ready:
                try:
                    chunk = os.read(master, 4096)
                except OSError:  # the terminal's other side closed
                    break
                if not chunk:
                    break
                received += chunk
            elif proc.poll() is not None:
                break
        proc.wait(timeout=RUN_TIMEOUT_S)
        return proc.returncode, received.decode("utf-8", "replace")
    finally:
        os.close(master)


@T.case("Russian messages read correctly on a console")
def _():
    with h.Env() as env:
        env.boot()
        code, shown = on_console(env, "fnd", "--lang", "ru")
        h.expect(code == 1 and "неизвестная команда 'fnd'" in shown, repr(shown))


def russian_locale(env):
    """Wine reads the command line through the Unix locale; this machine lacks ru_RU.UTF-8, so
    it is compiled into the test's folder (the locales package has its sources): a Russian
    Windows (ANSI 1251, OEM 866) whose command line arrives as typed."""
    folder = os.path.join(env.tmp, "locale")
    os.makedirs(folder)
    subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8", os.path.join(folder, "ru_RU.UTF-8")],
                   stdin=subprocess.DEVNULL, capture_output=True, timeout=RUN_TIMEOUT_S)
    h.expect(os.path.isdir(os.path.join(folder, "ru_RU.UTF-8")), "localedef made no ru_RU.UTF-8 (package locales)")
    return {"LOCPATH": folder}


def lines_over(text, width=80):
    return [line for line in text.splitlines() if len(line) > width]


@T.case("text to a file or pipe is in the console's code page, '->' for the arrow; JSON stays UTF-8")
def _():
    with h.Env() as env:  # a Russian Windows: OEM code page 866
        env.sim(model="U", com=3)
        env.sim(model="X", com=5)
        env.boot()
        code, out, _ = vireo4_bytes(env, "find", "--lang", "ru")
        h.expect(code == 0 and "ПОРТ".encode("cp866") in out and "считыватель KRU/KRM".encode("cp866") in out, out)
        h.expect("ПОРТ".encode("utf-8") not in out, "UTF-8 in a redirected table")
        code, out, _ = vireo4_bytes(env, "write", "COM3", "interface=wiegand-26", "--lang", "en")
        h.expect(code == 0 and b"touch-memory -> wiegand-26" in out, out)
        code, out, err = vireo4_bytes(env, "read", "COM9", "--lang", "ru")
        h.expect(code == 2 and err == "COM9: порт не найден\n".encode("cp866"), err)
        code, doc = vireo4_json(env, "read", "COM9", "--lang", "ru")
        h.expect(code == 2 and doc["error"] == "порт не найден", doc)
    with h.Env(acp=None) as env:  # an English Windows: code page 437 has no Cyrillic letters
        env.sim(model="U", com=3)
        env.boot()
        code, _, err = vireo4_bytes(env, "read", "COM9", "--lang", "ru", locale=ENGLISH)
        h.expect(code == 2 and err == b"COM9: port ne nayden\n", err)
        code, out, _ = vireo4_bytes(env, "read", "COM3", "--json", "--lang", "ru", locale=ENGLISH)
        h.expect(code == 0 and json.loads(out.decode("utf-8"))["model"] == "KRU", out)


@T.case("profile and CSV paths outside the ANSI code page are found (the command line is read wide)")
def _():
    profile = "[kru-krm]\ninterface = wiegand-26\n"
    with h.Env(acp=None) as env:  # an English Windows and Cyrillic names
        env.sim(model="U", com=3, barcode=1234567, cipher=54321)
        env.boot()
        os.makedirs(os.path.join(env.workdir, "Мои профили"))
        with open(os.path.join(env.workdir, "Мои профили", "сайт 1.ini"), "w") as f:
            f.write(profile)
        code, doc = vireo4_json(env, "apply", "Мои профили\\сайт 1.ini", "COM3", "--dry-run", locale=ENGLISH)
        h.expect(code == 0 and doc["readers"][0]["would_change"], doc)
        code, _, err = vireo4(env, "card", "COM3", "--csv", "Мои профили\\карты.csv", locale=ENGLISH)
        with open(os.path.join(env.workdir, "Мои профили", "карты.csv")) as f:
            rows = f.read().splitlines()
        h.expect(code == 0 and len(rows) == 2 and ",0001234567," in rows[1], (code, err, rows))
    with h.Env() as env:  # a Russian Windows and a French name
        env.sim(model="U", com=3)
        env.boot()
        with open(os.path.join(env.workdir, "café.ini"), "w") as f:
            f.write(profile)
        code, doc = vireo4_json(env, "apply", "café.ini", "COM3", "--dry-run", locale=russian_locale(env))
        h.expect(code == 0 and doc["readers"][0]["changes"][0]["after"] == "wiegand-26", doc)


@T.case("COM3, com3, \\\\.\\COM3 and COM3: are one port, probed once")
def _():
    with h.Env() as env:
        sim = env.sim(model="U", com=3)
        env.boot()
        code, doc = vireo4_json(env, "find", "COM3", "com3", "\\\\.\\COM3", "COM3:")
        h.expect_eq((code, doc["ports_probed"], [r["port"] for r in doc["readers"]], doc["failures"]),
                    (0, 1, ["COM3"], []), "find")
        h.expect_eq(commands(sim), [b"AT+READS_KRX"], "queries the reader got")
        code, doc = vireo4_json(env, "read", "\\\\.\\com3:")
        h.expect_eq((code, doc["port"], doc["raw"]), (0, "COM3", "TMX1DO"), "read")


@T.case("ports shows the USB reader's serial number from its instance id")
def _():
    with h.Env() as env:
        env.sim(model="B", com=4)
        env.pty(com=6)
        env.boot()
        env.add_usb("VR0001", "COM4")
        # A device without a serial number: Windows makes its instance id up.
        env.add_usb("6&1A2B3C4D&0&2", "COM6", ["USB\\VID_0403&PID_6001&REV_0600"], "VID_0403&PID_6001")
        code, doc = vireo4_json(env, "ports")
        usb = {p["name"]: p["usb"] for p in doc["ports"]}
        h.expect_eq((code, usb["COM4"], usb["COM6"]),
                    (0, {"vendor": "2E3C", "product": "5750", "serial": "VR0001"},
                     {"vendor": "0403", "product": "6001", "serial": None}), "USB identities")
        code, out, _ = vireo4(env, "ports", "--lang", "en")
        h.expect(code == 0 and "2E3C:5750 VR0001  <- Vireo-4-USB reader" in out, out)


@T.case("/? gives the help; Windows examples; help and tables within 80 columns, in both languages")
def _():
    with h.Env() as env:
        env.sim(model="U", com=3)
        env.sim(model="X", com=5)
        usb = env.sim(model="B", com=4, firmware="1.10", settings="WTMX5EM")
        env.boot()
        h.expect_eq(vireo4(env, "/?", "--lang", "en"), vireo4(env, "--help", "--lang", "en"), "vireo4 /?")
        code, out, _ = vireo4(env, "find", "/?", "--lang", "en")
        h.expect(code == 0 and out.startswith("Usage: vireo4 find"), out)
        for language in ("en", "ru"):
            for command in ([], ["ports"], ["find"], ["read"], ["write"], ["apply"], ["card"]):
                code, out, _ = vireo4(env, *command, "--help", "--lang", language)
                h.expect(code == 0 and lines_over(out) == [], (command, language, lines_over(out)))
                h.expect("/dev/" not in out and "'/" not in out and "'COM" not in out, (command, language, out))
        code, out, _ = vireo4(env, "write", "--help", "--lang", "en")
        h.expect("Example: vireo4 write COM3 interface=wiegand-26" in out, out)
        code, out, _ = vireo4(env, "find", "--help", "--lang", "en")
        h.expect('Example: vireo4 find "COM*"' in out, out)

        code, out, _ = vireo4(env, "find", "--lang", "ru")
        h.expect(code == 0 and "считыватель KRU/KRM" in out and "serial-line" not in out, out)
        tables = [out]
        code, out, err = vireo4(env, "write", "COM4", "bytes=7", "--lang", "ru")
        h.expect(code == 3 and "требует прошивку новее 1.10" in err, err)
        tables.append(err)
        with open(os.path.join(env.workdir, "site.ini"), "w") as f:
            f.write("[kru-krm]\ninterface = wiegand-44\n[usb]\nbytes = 4\n")
        for language in ("en", "ru"):
            code, out, _ = vireo4(env, "apply", "site.ini", "--dry-run", "--lang", language)
            h.expect(code == 0 and out.count("wiegand-44") == 2, out)
            tables.append(out)
        h.expect_eq([lines_over(table) for table in tables], [[]] * len(tables), "table rows over 80 columns")
        h.expect_eq([c for c in commands(usb) if not c.startswith(b"AT+READS")], [], "written to the USB reader")


@T.case("a profile saved by Notepad as Unicode (UTF-16 either way round) or UTF-8 with a BOM applies")
def _():
    text = "; Notepad\r\n[kru-krm]\r\ninterface = wiegand-44\r\n"
    with h.Env() as env:
        env.sim(model="U", com=3)
        env.boot()
        for name, data in (("le.ini", b"\xff\xfe" + text.encode("utf-16-le")),
                           ("be.ini", b"\xfe\xff" + text.encode("utf-16-be")),
                           ("bom.ini", b"\xef\xbb\xbf" + text.encode("utf-8"))):
            with open(os.path.join(env.workdir, name), "wb") as f:
                f.write(data)
            code, doc = vireo4_json(env, "apply", name, "COM3", "--dry-run")
            h.expect(code == 0 and doc["readers"][0]["changes"][0]["after"] == "wiegand-44", (name, doc))

@T.case("--version after a command; output that cannot be written is exit 4 with the reason")
def _():
    with h.Env() as env:
        env.boot()
        code, out, _ = vireo4(env, "read", "--version")
        h.expect(code == 0 and out.startswith("vireo4 "), out)
        with open("/dev/full", "w") as full:
            done = subprocess.run(["wine", CLI_EXE, "--help", "--lang", "en"], env=env.wine_env, cwd=env.workdir,
                                  stdout=full, stderr=subprocess.PIPE, stdin=subprocess.DEVNULL,
                                  timeout=RUN_TIMEOUT_S)
        err = done.stderr.decode("utf-8", "replace")
        h.expect(done.returncode == 4 and "cannot write the output" in err, "%d %r" % (done.returncode, err))


T.main()
