#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""vireo4 against simulated readers on pseudo-terminals: every command, --json parsed, the bad
inputs (usage, values, firmware rules, profile syntax, busy and missing ports, a reader that
refuses, answers noise or vanishes mid-write, Ctrl-C), find over 60 ports in parallel, apply on
a mixed fleet. Run by ctest as `cli`; an argument runs only the cases whose title contains it.
"""
import csv
import json
import os
import re
import signal
import time

from cli_support import (BASE_ENV, Failure, Fleet, Tests, arm_after_query, expect, expect_eq, run,
                         run_json, wait_until, write_file)

T = Tests()

DEFAULT_TIMEOUT_S = 0.7
PROFILE = """# site profile
[kru-krm]
interface = wiegand-26
standby = static

[usb]
format = touch-memory
type = none         ; touch-memory output has no type
bytes = 4
"""


# --- the command line ---------------------------------------------------------------------

@T.case("usage errors name the nearest valid word and exit 1")
def _():
    code, out, err = run("fnd")
    expect_eq(code, 1, "exit code of an unknown command")
    expect("unknown command 'fnd'" in err and "'find'" in err, err)
    code, out, err = run("read", "/dev/null", "--jsn")
    expect_eq(code, 1, "exit code of an unknown option")
    expect("'--json'" in err and "vireo4 read --help" in err, err)
    code, _, err = run("read", "--timeout", "soon", "/dev/x")
    expect(code == 1 and "soon" in err, err)
    code, _, err = run("read")
    expect(code == 1 and "no port given" in err, err)
    code, _, err = run("write", "/dev/x", "interface")
    expect(code == 1 and "NAME=VALUE" in err, err)
    code, _, err = run("read", "/dev/x", "--lang", "de")
    expect(code == 1 and "'ru' or 'en'" in err, err)
    code, doc = run_json("fnd")
    expect(code == 1 and doc["ok"] is False and "fnd" in doc["error"], doc)


@T.case("help of every command, version, both languages")
def _():
    for command in ["ports", "find", "read", "write", "apply", "card"]:
        code, out, _ = run(command, "--help")
        expect(code == 0 and ("vireo4 " + command) in out, "help of " + command)
    code, out, _ = run("--help")
    expect(code == 0 and "Exit codes" in out and "wiegand-58" in out, out)
    code, out, _ = run("--version")
    expect(code == 0 and out.startswith("vireo4 "), out)
    code, out, _ = run("find", "--help", "--lang", "ru")
    expect(code == 0 and "Использование" in out, out)
    code, out, _ = run("--help", env=dict(BASE_ENV, LC_ALL="ru_RU.UTF-8"))
    expect("Команды" in out, "the locale chooses Russian")
    code, _, err = run("fnd", "--lang", "ru")
    expect("неизвестная команда" in err, err)


@T.case("the help's settings and firmware rules come from the tool's own tables")
def _():
    code, out, _ = run("--help")
    section = out[out.index("Settings of"):out.index("Firmware rules")]
    rows = re.findall(r"^  ([a-z-]+) +([a-z0-9-]+(?:, [a-z0-9-]+)*)", section, re.M)
    names = [name for name, _ in rows]
    expect_eq(names, ["interface", "indication", "standby", "touch-poll", "mode", "format", "type", "bytes",
                      "cards"], "settings in the help")
    # Every value the help lists is one the tool takes (the port then does not exist: exit 2).
    for name, values in rows:
        for value in values.split(", ") + (["none"] if name == "type" else []):
            code, _, err = run("write", "/dev/vireo4-no-such-port", "%s=%s" % (name, value))
            expect(code == 2, "%s=%s: exit %d %s" % (name, value, code, err))
    # The rules are worded from the rule table: the setting, the model, the firmware labels.
    flat = " ".join(out.split())
    expect("interface=wiegand-58 needs a KRM reader with firmware 1.10 or later; bytes=7 needs a USB reader "
           "with firmware 1.10 or later, and with format=touch-memory firmware above 1.10." in flat, out)
    code, out, _ = run("--help", "--lang", "ru")
    expect("interface=wiegand-58 требует считыватель KRM с прошивкой 1.10 или новее" in " ".join(out.split()), out)


# --- find ----------------------------------------------------------------------------------

@T.case("find: each model named, silent and foreign ports left out, one deadline per port")
def _():
    with Fleet() as fleet:
        fleet.sim("kru", "U", settings="W441SO")
        fleet.sim("krm", "M")
        fleet.sim("usb", "B", firmware="2.00", settings="ATMX7XM")
        fleet.sim("line", "X")
        silent = fleet.sim("silent", "U", extra=["--silent"])
        fleet.sim("noise", "U", extra=["--garbage"])
        fleet.sim("old", "M", firmware="2.10")
        start = time.monotonic()
        code, doc = run_json("find", fleet.path("*"))
        elapsed = time.monotonic() - start
        expect_eq(code, 0, "exit code")
        readers = {os.path.basename(r["port"]): r for r in doc["readers"]}
        expect_eq(sorted(readers), ["krm", "kru", "line", "old", "usb"], "readers found")
        expect_eq(readers["kru"]["model"], "KRU", "KRU model")
        expect_eq(readers["kru"]["settings"], {"interface": "wiegand-44", "indication": "direct",
                                               "standby": "static", "touch-poll": "on"}, "KRU settings")
        expect_eq(readers["krm"]["raw"], "TMX1DO", "KRM raw")
        expect_eq(readers["line"]["model"], "serial-line reader", "a reader that names no model")
        expect_eq((readers["usb"]["model"], readers["usb"]["firmware"]), ("USB", "2.00"), "USB reader")
        expect_eq(readers["usb"]["settings"]["type"], "none", "type beside touch-memory")
        expect_eq(readers["usb"]["settings"]["bytes"], "7", "USB bytes")
        expect(not readers["old"]["ok"] and "Firmware version not supported" in readers["old"]["error"],
               readers["old"])
        # The silent port got the KRU/KRM query only; the noisy one both, yet all ran at once.
        expect_eq(silent.rx(), ["AT+READS_KRX"], "queries sent to a silent port")
        expect(elapsed < 2 * DEFAULT_TIMEOUT_S + 0.5, "find took %.2f s" % elapsed)
        code, out, err = run("find", fleet.path("kru"), fleet.path("usb"))
        expect(code == 0 and "wiegand-44" in out and "hex-or-dec" not in out, out)
        lines = out.splitlines()
        expect(lines[0].startswith("PORT") and len(lines) == 3, out)


@T.case("find: 60 ports, 59 silent, within 1.3 reply deadlines")
def _():
    with Fleet() as fleet:
        fleet.many(["port%02d" % n for n in range(59)], extra=["--silent"])
        fleet.sim("port59", "M", logged=False)
        start = time.monotonic()
        code, doc = run_json("find", fleet.path("port*"))
        elapsed = time.monotonic() - start
        expect_eq(code, 0, "exit code")
        expect_eq([os.path.basename(r["port"]) for r in doc["readers"]], ["port59"], "the one reader")
        expect_eq(doc["ports_probed"], 60, "ports probed")
        expect(elapsed <= 1.3 * DEFAULT_TIMEOUT_S, "find over 60 ports took %.3f s" % elapsed)


@T.case("find and read: missing, silent and busy ports; a second vireo4 on a port")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("krm", "M")
        fleet.sim("silent", "U", extra=["--silent"])
        code, _, err = run("read", fleet.path("nothing-here"))
        expect(code == 2 and "port not found" in err, err)
        code, _, err = run("find", fleet.path("nothing*"))
        expect(code == 2 and "no port matches" in err, err)
        code, _, err = run("read", fleet.path("*"))
        expect(code == 1 and "names several ports" in err, err)
        code, _, err = run("read", fleet.path("silent"), "--timeout", "200")
        expect(code == 2 and "The reader did not respond!" in err, err)
        code, _, err = run("find", fleet.path("silent"), "--timeout", "200")
        expect(code == 2 and "no reader found" in err, err)
        watcher = fleet.start("card", fleet.path("krm"), "--watch")
        wait_until(lambda: len(sim.events("RX")) >= 2, 5, "the first vireo4 to hold the port")
        code, _, err = run("read", fleet.path("krm"))
        expect(code == 4 and "port busy" in err, "second vireo4: %d %r" % (code, err))
        code, doc = run_json("find", fleet.path("krm"), fleet.path("silent"), "--timeout", "200")
        expect(code == 4 and doc["failures"][0]["status"] == "busy", doc)
        watcher.send_signal(signal.SIGINT)
        expect_eq(watcher.wait(timeout=5), 130, "a watch ended by Ctrl-C")


@T.case("a port the user may not open is denied, exit 4")
def _():
    nobody = 65534
    with Fleet() as fleet:
        sim = fleet.sim("krm", "M")
        os.chmod(fleet.folder, 0o755)
        code, _, err = run("read", os.path.realpath(sim.link), user=nobody)
        expect(code == 4 and "permission denied" in err, "%d %r" % (code, err))


# --- read ----------------------------------------------------------------------------------

@T.case("read: by name, --raw, --profile, --json; unnamed characters shown as such")
def _():
    with Fleet() as fleet:
        fleet.sim("kru", "U", settings="W260AF")
        fleet.sim("odd", "U", settings="W271DO")
        fleet.sim("usb", "B", settings="AHDD3XM")
        code, out, _ = run("read", fleet.path("kru"))
        expect(code == 0 and "interface  wiegand-26" in out and "touch-poll off" in out, out)
        code, out, _ = run("read", fleet.path("kru"), "--raw")
        expect_eq(out, "W260AF\n", "raw characters")
        code, doc = run_json("read", fleet.path("usb"))
        expect_eq({k: doc[k] for k in ["model", "firmware", "raw", "ok", "error", "family"]},
                  {"model": "USB", "firmware": "1.10", "raw": "AHDD3XM", "ok": True, "error": None,
                   "family": "usb"}, "USB JSON")
        expect_eq(doc["settings"], {"mode": "all", "format": "hex-or-dec", "type": "dec", "bytes": "3",
                                    "cards": "mifare"}, "USB settings")
        code, doc = run_json("read", fleet.path("odd"))
        expect_eq((code, doc["settings"]["interface"], doc["settings"]["standby"]),
                  (0, "not-recognized", "dynamic"), "a setting the tool cannot name")
        code, out, _ = run("read", fleet.path("usb"), "--profile")
        expect(out.splitlines()[1] == "[usb]" and "cards = mifare" in out, out)


@T.case("read --profile of one reader, applied to another, gives it the same settings")
def _():
    with Fleet() as fleet:
        fleet.sim("model", "M", settings="W440SF")
        target = fleet.sim("target", "U")
        _, profile, _ = run("read", fleet.path("model"), "--profile")
        path = write_file(fleet, "copied.ini", profile)
        code, out, err = run("apply", path, fleet.path("target"))
        expect_eq(code, 0, "apply exit: " + out + err)
        expect_eq(target.writes(), ["AT+W440SF"], "what the second reader got")


# --- write ---------------------------------------------------------------------------------

@T.case("write: changes, verifies, reports; matching settings are not written")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("krm", "M")
        code, out, _ = run("write", fleet.path("krm"), "interface=wiegand-58", "touch-poll=off")
        expect_eq(code, 0, "exit code")
        expect("written and verified" in out and "touch-memory → wiegand-58" in out, out)
        expect_eq(sim.writes(), ["AT+W581DF"], "the write command")
        code, doc = run_json("write", fleet.path("krm"), "interface=wiegand-58")
        expect_eq((code, doc["changed"], doc["ok"], doc["error"], doc["changes"]), (0, False, True, None, []),
                  "settings that already match")
        expect_eq(len(sim.writes()), 1, "writes after the second run")
        code, doc = run_json("write", fleet.path("krm"), "--raw", "TMX0AO")
        expect_eq((code, doc["changed"], doc["after"]["raw"]), (0, True, "TMX0AO"), "raw write")
        code, doc = run_json("write", fleet.path("krm"), "standby=static", "--dry-run")
        expect_eq((code, doc["changed"], doc["would_change"]), (0, False, True), "dry run")
        expect_eq(len(sim.writes()), 2, "writes after the dry run")


@T.case("write: unknown names and values are refused before the port is opened")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("kru", "U")
        code, _, err = run("write", fleet.path("kru"), "interfase=wiegand-26")
        expect(code == 1 and "'interface'" in err and "touch-poll" in err and "mode" in err, err)
        code, _, err = run("write", fleet.path("kru"), "interface=wiegand-27")
        expect(code == 1 and "wiegand-26, wiegand-44, wiegand-58" in err, err)
        expect_eq(sim.rx(), [], "commands the reader got")
        code, _, err = run("write", fleet.path("kru"), "mode=all")
        expect(code == 1 and "[usb]" in err, err)
        code, _, err = run("write", fleet.path("kru"), "--raw", "W26XDO")
        expect(code == 1 and "W26XDO" in err, err)
        expect_eq(sim.writes(), [], "writes")


@T.case("write: the firmware and model rules are checked before anything is sent")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("kru", "U")
        old_krm = fleet.sim("oldkrm", "M", firmware="1.00")
        line = fleet.sim("line", "X")
        usb110 = fleet.sim("usb110", "B")
        usb200 = fleet.sim("usb200", "B", firmware="2.00")
        for sim in [kru, old_krm, line]:
            code, _, err = run("write", sim.link, "interface=wiegand-58")
            expect(code == 3 and "KRM reader with firmware 1.10" in err, "%s: %d %r" % (sim.link, code, err))
        code, _, err = run("write", usb110.link, "format=touch-memory", "bytes=7")
        expect(code == 3 and "above 1.10" in err, err)
        code, _, err = run("write", usb110.link, "format=touch-memory", "type=dec")
        expect(code == 1 and "touch-memory" in err, err)
        code, _, err = run("write", usb110.link, "bytes=7")
        expect_eq(code, 0, "7 bytes with hex-or-dec at 1.10: " + err)
        code, _, err = run("write", usb200.link, "format=touch-memory", "bytes=7")
        expect_eq(code, 0, "7 bytes with touch-memory at 2.00: " + err)
        expect_eq(usb200.writes(), ["AT+WTMX7EM"], "the write to the 2.00 reader")
        for sim in [kru, old_krm, line]:
            expect_eq(sim.writes(), [], "writes to " + sim.link)


@T.case("write: a reader that refuses, answers noise, vanishes or reads back otherwise fails")
def _():
    split = ["--split", "150"]
    with Fleet() as fleet:
        refusing = fleet.sim("refusing", "U", extra=split)
        noisy = fleet.sim("noisy", "U", extra=split)
        vanishing = fleet.sim("vanishing", "U", extra=split)
        lying = fleet.sim("lying", "U", extra=split)

        proc = fleet.start("write", refusing.link, "standby=off")
        arm_after_query(refusing, "refuse on")
        expect_eq(proc.wait(timeout=5), 3, "exit code of a refused write")
        expect("Invalid command!" in proc.stderr.read(), "reason of a refusal")

        # Noise in place of the acknowledgement: the command went out, nothing confirms it.
        proc = fleet.start("write", noisy.link, "standby=off", "--timeout", "300")
        arm_after_query(noisy, "garbage on")
        expect_eq(proc.wait(timeout=5), 3, "exit code of noise after the write")
        err = proc.stderr.read()
        expect("written, not confirmed" in err and "could not be recognized" in err, "reason of noise: " + err)

        proc = fleet.start("write", vanishing.link, "standby=off")
        arm_after_query(vanishing, "late 400")
        wait_until(lambda: vanishing.writes(), 5, "the write command")
        vanishing.control("vanish")
        expect_eq(proc.wait(timeout=5), 3, "exit code of a reader that vanished mid-write")

        proc = fleet.start("write", lying.link, "standby=off", "--json")
        arm_after_query(lying, "late 200")
        wait_until(lambda: lying.writes(), 5, "the write command")
        other = b"\n\rAT+READS_KRU - OK! >> 1.10TMX1SO"
        lying.control("late off")
        lying.control("raw " + other.hex())
        expect_eq(proc.wait(timeout=5), 3, "exit code of a read-back mismatch")
        doc = json.loads(proc.stdout.read())
        expect(doc["ok"] is False and "TMX1SO" in doc["error"] and doc["status"] == "mismatch", doc)
        # Written, so not "nothing was sent"; read back otherwise, so not verified either.
        expect(doc["changed"] is None and doc["after"]["raw"] == "TMX1SO", doc)


# --- apply ---------------------------------------------------------------------------------

@T.case("apply: a mixed fleet in parallel, one reader vanishing mid-write, the rest verified")
def _():
    with Fleet() as fleet:
        sims = {name: fleet.sim(name, model) for name, model in
                [("kru1", "U"), ("kru2", "U"), ("krm1", "M"), ("line", "X"), ("usb1", "B")]}
        sims["done"] = fleet.sim("done", "U", settings="W261SO")
        sims["gone"] = fleet.sim("gone", "M", extra=["--split", "150"])
        fleet.sim("quiet", "U", extra=["--silent"])
        profile = write_file(fleet, "site.ini", PROFILE)
        proc = fleet.start("apply", profile, fleet.path("*"), "--json")
        arm_after_query(sims["gone"], "late 400")
        wait_until(lambda: sims["gone"].writes(), 5, "the write to the vanishing reader")
        sims["gone"].control("vanish")
        out, err = proc.communicate(timeout=10)
        expect_eq(proc.returncode, 3, "exit code (the worst reader counts): " + err)
        rows = {os.path.basename(r["port"]): r for r in json.loads(out)["readers"]}
        expect_eq(sorted(rows), ["done", "gone", "krm1", "kru1", "kru2", "line", "usb1"], "table rows")
        for name in ["kru1", "kru2", "krm1", "line"]:
            expect_eq((rows[name]["ok"], rows[name]["changed"]), (True, True), name)
            expect_eq(sims[name].writes(), ["AT+W261SO"], "write to " + name)
        expect_eq(rows["usb1"]["after"]["raw"], "WTMX4EM", "USB after")
        expect_eq((rows["done"]["changed"], sims["done"].writes()), (False, []), "a reader already set")
        expect_eq((rows["gone"]["ok"], rows["gone"]["status"], rows["gone"]["changed"]), (False, "unconfirmed", None),
                  "the reader that vanished after its write went out")


@T.case("apply: rule refusals per reader, --dry-run writes nothing, the table in text")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("kru", "U")
        krm = fleet.sim("krm", "M")
        profile = write_file(fleet, "w58.ini", "[kru-krm]\ninterface = wiegand-58\n")
        code, out, err = run("apply", profile, kru.link, krm.link, "--dry-run")
        expect_eq(code, 3, "exit code of a dry run with a refused reader")
        # Results on stdout, failures on stderr, in the same columns.
        expect("would change" in out and "KRM reader with firmware" not in out, out)
        expect(err.startswith(kru.link) and "failed: wiegand-58 needs a KRM reader with firmware" in err, err)
        expect_eq(kru.writes() + krm.writes(), [], "writes of a dry run")
        code, out, err = run("apply", profile, kru.link, krm.link)
        expect_eq(code, 3, "exit code")
        expect_eq((kru.writes(), krm.writes()), ([], ["AT+W581DO"]), "writes")
        expect("touch-memory → wiegand-58" in out, out)
        usb_only = write_file(fleet, "usb.ini", "[usb]\nmode = all\n")
        code, doc = run_json("apply", usb_only, kru.link)
        expect_eq((code, doc["readers"][0]["status"]), (0, "skipped"), "no section for the family")


@T.case("apply: profile syntax errors give file:line and reach no reader")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("kru", "U")
        cases = [
            ("[kru-krm]\ninterface = wiegand-26\nstandby static\n", 3, "expected [section]"),
            ("interface = wiegand-26\n", 1, "outside a section"),
            ("[kru-krm]\n\n# fine\ninterface = wiegand-62\n", 4, "wiegand-26, wiegand-44"),
            ("[usb]\nmode = all\nspeed = 9600\n", 3, "unknown setting 'speed'"),
            ("[kru]\n", 1, "unknown section [kru]"),
            ("[usb]\n[usb]\n", 2, "appears twice"),
            ("[kru-krm]\nstandby = off\nstandby = static\n", 3, "appears twice"),
        ]
        for text, line, words in cases:
            path = write_file(fleet, "bad.ini", text)
            code, _, err = run("apply", path, sim.link)
            expect(code == 1 and err.startswith("%s:%d: " % (path, line)) and words in err,
                   "%r: %d %r" % (text, code, err))
        code, doc = run_json("apply", path, sim.link)
        expect(code == 1 and doc["ok"] is False and doc["error"].startswith(path + ":3: "), doc)
        code, _, err = run("apply", fleet.path("missing.ini"), sim.link)
        expect(code == 1 and "cannot read" in err, err)
        expect_eq(sim.rx(), [], "commands the reader got")


@T.case("apply: Ctrl-C closes the ports, prints the partial table, exits 130")
def _():
    with Fleet() as fleet:
        slow = [fleet.sim("slow%d" % n, "U", extra=["--late", "500"]) for n in range(3)]
        profile = write_file(fleet, "site.ini", PROFILE)
        proc = fleet.start("apply", profile, fleet.path("slow*"))
        wait_until(lambda: all(s.rx() for s in slow), 5, "the queries")
        proc.send_signal(signal.SIGINT)
        out, err = proc.communicate(timeout=5)
        expect_eq(proc.returncode, 130, "exit code")
        expect(err.count("interrupted") == 3 and out == "", "%r / %r" % (out, err))
        for sim in slow:
            wait_until(lambda: sim.events("CLOSE"), 5, "the port to close")
            expect_eq(sim.writes(), [], "writes after Ctrl-C")


# --- card ----------------------------------------------------------------------------------

@T.case("card: the four forms, JSON, old firmware, a reply without its end")
def _():
    with Fleet() as fleet:
        fleet.sim("kru", "U", extra=["--barcode", "1234567", "--cipher", "54321"])
        fleet.sim("old", "U", firmware="1.00")
        fleet.sim("nodot", "B", extra=["--nodot"])
        code, out, _ = run("card", fleet.path("kru"))
        expect(code == 0 and "Barcode (hex)" in out, out)
        for form in ["0001234567", "0012D687", "0000054321", "0.0.212.49"]:
            expect(form in out, form + " in " + out)
        code, out, _ = run("card", fleet.path("kru"), "--lang", "ru")
        expect("Штрих-код (hex)" in out and "ID шифра (x.x.x.x)" in out, out)
        code, _, err = run("card", fleet.path("old"))
        expect(code == 3 and "does not support the command" in err, err)
        code, _, err = run("card", fleet.path("nodot"), "--timeout", "300")
        expect(code == 4 and "could not be recognized" in err, err)


@T.case("card --watch: each new card once, CSV header once, Ctrl-C ends cleanly")
def _():
    with Fleet() as fleet:
        sim = fleet.sim("usb", "B")
        table = fleet.path("cards.csv")
        proc = fleet.start("card", sim.link, "--watch", "--csv", table, "--json")
        wait_until(lambda: os.path.exists(table) and len(open(table).readlines()) == 2, 5, "the first card")
        sim.control("card 777 888")
        wait_until(lambda: len(open(table).readlines()) == 3, 5, "the second card")
        wait_until(lambda: len(sim.rx()) >= 6, 5, "more queries with the same card")
        proc.send_signal(signal.SIGINT)
        out, _ = proc.communicate(timeout=5)
        expect_eq(proc.returncode, 130, "exit code of a watch ended by Ctrl-C")
        lines = [json.loads(line) for line in out.splitlines()]
        expect_eq([l["card"]["barcode"] for l in lines], ["0001234567", "0000000777"], "cards printed")
        code, _, _ = run("card", sim.link, "--csv", table)
        rows = list(csv.reader(open(table)))
        expect_eq(rows[0], ["time", "port", "barcode", "barcode_hex", "cipher", "cipher_dotted"], "header")
        expect_eq([r[2] for r in rows[1:]], ["0001234567", "0000000777", "0000000777"], "rows")


# --- ports and languages -------------------------------------------------------------------

def fake_sysfs(root):
    """A /sys with a USB reader, a USB adapter, a UART, an empty UART slot and a console."""
    def device(tty, parent, ids=None):
        dev = os.path.join(root, "devices", parent, tty)
        os.makedirs(dev)
        if ids:
            usb = os.path.join(root, "devices", parent.split("/")[0])
            for name, value in ids.items():
                with open(os.path.join(usb, name), "w") as f:
                    f.write(value + "\n")
        entry = os.path.join(root, "class", "tty", tty)
        os.makedirs(entry)
        os.symlink(dev, os.path.join(entry, "device"))
        return entry
    device("ttyACM10", "usb1-1/1-1:1.0", {"idVendor": "2e3c", "idProduct": "5750", "bcdDevice": "0200",
                                          "serial": "VR0042"})
    # The same vendor and product in another revision is not the reader (as on Windows).
    device("ttyACM11", "usb1-4/1-4:1.0", {"idVendor": "2e3c", "idProduct": "5750", "bcdDevice": "0100"})
    device("ttyUSB0", "usb1-2/1-2:1.0", {"idVendor": "0403", "idProduct": "6001"})
    device("ttyACM9", "usb1-3/1-3:1.0", {"idVendor": "1234", "idProduct": "abcd"})
    with open(os.path.join(device("ttyS0", "platform/serial8250"), "type"), "w") as f:
        f.write("4\n")
    with open(os.path.join(device("ttyS1", "platform/serial8250b"), "type"), "w") as f:
        f.write("0\n")
    os.makedirs(os.path.join(root, "class", "tty", "tty0"))


@T.case("ports: real devices only, in number order, USB identity, the reader marked")
def _():
    with Fleet() as fleet:
        fake_sysfs(fleet.folder)
        env = dict(BASE_ENV, VIREO4_SYSFS=fleet.folder)
        code, out, _ = run("ports", "--json", env=env)
        ports = json.loads(out)["ports"]
        expect_eq([p["name"] for p in ports], ["ttyACM9", "ttyACM10", "ttyACM11", "ttyS0", "ttyUSB0"], "ports")
        reader = ports[1]
        expect_eq((reader["path"], reader["usb"], reader["usb_reader"]),
                  ("/dev/ttyACM10", {"vendor": "2E3C", "product": "5750", "serial": "VR0042"}, True), "reader")
        expect_eq((ports[0]["usb"]["product"], ports[0]["usb"]["serial"], ports[0]["usb_reader"]),
                  ("ABCD", None, False), "other USB device")
        expect_eq((ports[2]["usb"]["product"], ports[2]["usb_reader"]), ("5750", False), "another revision")
        expect_eq(ports[3]["usb"], None, "UART")
        code, out, _ = run("ports", env=env)
        marked = [line for line in out.splitlines() if "Vireo-4-USB" in line]
        expect(len(marked) == 1 and "2E3C:5750 VR0042" in marked[0], out)
        empty = os.path.join(fleet.folder, "none")
        os.makedirs(os.path.join(empty, "class", "tty"))
        code, out, err = run("ports", env=dict(BASE_ENV, VIREO4_SYSFS=empty))
        expect(code == 2 and "no serial ports" in err, err)


@T.case("Russian messages are UTF-8 text; JSON stays UTF-8")
def _():
    with Fleet() as fleet:
        fleet.sim("silent", "U", extra=["--silent"])
        fleet.sim("old", "U", firmware="2.10")
        env = dict(BASE_ENV, LC_ALL="", LANG="ru_RU.UTF-8")
        code, _, err = run("read", fleet.path("silent"), "--timeout", "200", env=env)
        expect(code == 2 and "Считыватель не ответил!" in err, err)
        code, out, _ = run("read", fleet.path("old"), "--json", "--lang", "ru")
        expect_eq(json.loads(out)["error"], "Версия прошивки не поддерживается!", "JSON error text")


T.main()
