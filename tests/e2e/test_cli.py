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


def vireo4(env, *args):
    """Runs vireo4.exe in the test's prefix; stdout and stderr are pipes, so UTF-8 bytes."""
    done = subprocess.run(["wine", CLI_EXE, *args], env=env.wine_env, cwd=env.workdir, capture_output=True,
                          timeout=RUN_TIMEOUT_S, stdin=subprocess.DEVNULL)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def vireo4_json(env, *args):
    code, out, err = vireo4(env, *args, "--json")
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
