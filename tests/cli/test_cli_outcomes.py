#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""vireo4's outcomes against simulated readers on pseudo-terminals: a write that went out but was
never confirmed, replies that are no answer to the command sent (late, split, flooding, cut),
card IDs that do not fit, and one meaning for every status (find however its ports are named,
skipped readers, the streams, ok/status in every JSON document, profiles that apply takes back).
Run by ctest as `cli_outcomes`; an argument runs only the cases whose title contains it.
"""
import json
import os
import re
import signal
import time

from cli_support import (BASE_ENV, Fleet, Tests, arm_after_query, expect, expect_eq, run, run_json,
                         wait_until, write_file)

T = Tests()

UNCONFIRMED = "written, not confirmed: read the reader again"
MAN_PAGE = os.path.join(os.environ["VIREO_REFERENCE_DIR"], "vireo4.1")


def json_of(text):
    return json.loads(text)


# --- a write that went out ------------------------------------------------------------------

@T.case("write: sent but never acknowledged or read back is unconfirmed, changed null, exit 3")
def _():
    split = ["--split", "150"]
    with Fleet() as fleet:
        mute = fleet.sim("mute", "U", extra=split)
        deaf = fleet.sim("deaf", "U", extra=split)
        stopped = fleet.sim("stopped", "U", extra=split)
        russian = fleet.sim("russian", "M", extra=split)

        # No acknowledgement: the reader took the settings all the same.
        proc = fleet.start("write", mute.link, "standby=off", "--timeout", "300")
        arm_after_query(mute, "silent on")
        expect_eq(proc.wait(timeout=5), 3, "exit code of a write never acknowledged")
        out, err = proc.stdout.read(), proc.stderr.read()
        expect(out == "" and UNCONFIRMED in err and "failed" not in err, "%r / %r" % (out, err))
        mute.control("silent off")
        code, out, _ = run("read", mute.link)
        expect(code == 0 and "standby    off" in out, "the reader holds the new settings: " + out)

        # Acknowledged, the read-back never answered.
        proc = fleet.start("write", deaf.link, "standby=off", "--json", "--timeout", "300")
        arm_after_query(deaf, "silent after 1")
        expect_eq(proc.wait(timeout=5), 3, "exit code of a write whose read-back never came")
        doc = json_of(proc.stdout.read())
        expect_eq((doc["status"], doc["ok"], doc["changed"], doc["after"]), ("unconfirmed", False, None, None),
                  "JSON of an unconfirmed write")
        expect(doc["error"].startswith(UNCONFIRMED), doc["error"])
        expect_eq(len(deaf.writes()), 1, "writes")

        # Ctrl-C while the read-back is awaited: the run is interrupted, the reader unconfirmed.
        proc = fleet.start("write", stopped.link, "standby=off", "--json", "--timeout", "5000")
        arm_after_query(stopped, "silent after 1")
        wait_until(lambda: len(stopped.rx()) >= 3, 5, "the read-back query")
        proc.send_signal(signal.SIGINT)
        out, _ = proc.communicate(timeout=5)
        expect_eq(proc.returncode, 130, "exit code of Ctrl-C during the read-back")
        doc = json_of(out)
        expect_eq((doc["status"], doc["changed"]), ("unconfirmed", None), "JSON after Ctrl-C")

        proc = fleet.start("write", russian.link, "standby=off", "--timeout", "300", "--lang", "ru")
        arm_after_query(russian, "silent on")
        expect_eq(proc.wait(timeout=5), 3, "exit code in Russian")
        expect("записано, но не подтверждено: прочитайте считыватель ещё раз" in proc.stderr.read(), "Russian text")


@T.case("apply: a reader whose read-back never came is unconfirmed in the table, the others verified")
def _():
    with Fleet() as fleet:
        fine = fleet.sim("fine", "U")
        deaf = fleet.sim("deaf", "M", extra=["--split", "150"])
        profile = write_file(fleet, "site.ini", "[kru-krm]\nstandby = off\n")
        proc = fleet.start("apply", profile, fine.link, deaf.link, "--timeout", "300")
        arm_after_query(deaf, "silent after 1")
        out, err = proc.communicate(timeout=10)
        expect_eq(proc.returncode, 3, "exit code")
        expect(fine.link in out and "written and verified" in out and deaf.link not in out, out)
        expect(err.startswith(deaf.link) and UNCONFIRMED in err and "failed" not in err, err)
        # Nothing was sent to a reader already set: changed is false only then.
        code, doc = run_json("apply", profile, fine.link)
        expect_eq((code, doc["readers"][0]["changed"], doc["status"]), (0, False, "ok"), "a reader already set")


# --- replies that are no answer to the command sent -----------------------------------------

@T.case("late, split and flooding replies are noise or drained, never another reader")
def _():
    with Fleet() as fleet:
        head = fleet.sim("head", "U")
        tail = fleet.sim("tail", "U")
        flood = fleet.sim("flood", "U", extra=["--flood", "30"])
        noise = fleet.sim("noise", "B", extra=["--garbage"])
        # The reply is split by 400 ms, read with a 300 ms deadline: its tail comes in behind
        # the next query and must not be read as that query's reply.
        head.control("split 400 10")
        tail.control("split 400 30")
        for sim in [head, tail]:
            code, doc = run_json("read", sim.link, "--timeout", "300")
            expect_eq((code, doc["status"], doc["model"]), (4, "garbage", None), "read of " + sim.link)
        code, out, err = run("write", head.link, "mode=all", "--timeout", "300")
        expect(code == 4 and "could not be recognized" in err, "%d %r" % (code, err))
        expect_eq(head.writes(), [], "writes to a reader whose reply came in late")
        # Trailing bytes behind every reply are drained before the next command.
        code, out, _ = run("read", flood.link)
        expect(code == 0 and "interface  touch-memory" in out, out)
        code, doc = run_json("write", flood.link, "interface=wiegand-44")
        expect_eq((code, doc["changed"], doc["after"]["raw"]), (0, True, "W441DO"), "write to a flooding reader")
        # Noise is judged as it comes, not after the deadline.
        start = time.monotonic()
        code, doc = run_json("read", noise.link, "--timeout", "2000")
        elapsed = time.monotonic() - start
        expect_eq((code, doc["status"]), (4, "garbage"), "a reader of noise")
        expect(elapsed < 1.0, "noise judged after %.2f s" % elapsed)


@T.case("card: cut short, noise, trailing bytes, another echo, numbers that do not fit their field")
def _():
    with Fleet() as fleet:
        short = fleet.sim("short", "U", extra=["--split", "150"])
        half = fleet.sim("half", "U", extra=["--split", "150"])
        other = fleet.sim("other", "U", extra=["--split", "150"])
        noisy = fleet.sim("noisy", "U", extra=["--split", "150"])
        refusing = fleet.sim("refusing", "U", extra=["--split", "150"])
        flood = fleet.sim("flood", "B", extra=["--flood", "20"])
        big = fleet.sim("big", "M", extra=["--barcode", "99999999999"])
        bigcipher = fleet.sim("bigcipher", "U", extra=["--cipher", "9999999999"])
        eleven = fleet.sim("eleven", "U", extra=["--barcode", "01234567890", "--cipher", "54321"])

        for sim, line in [(short, "cut 10"), (half, "cut 30"), (noisy, "garbage on")]:
            proc = fleet.start("card", sim.link, "--timeout", "300")
            arm_after_query(sim, line)
            expect_eq(proc.wait(timeout=5), 4, "exit code of " + line)
            err = proc.stderr.read()
            expect("could not be recognized" in err and "Invalid command" not in err, err)
        # Another command's reply is never taken for the ID: the query goes out again.
        proc = fleet.start("card", other.link, "--json")
        arm_after_query(other, "raw " + b"\n\rAT+READS_KRU - OK! >> 1.10TMX1DO".hex())
        expect_eq(proc.wait(timeout=5), 0, "exit code after a foreign reply")
        expect_eq(json_of(proc.stdout.read())["card"]["barcode"], "0001234567", "the card")
        expect_eq(other.rx()[1:], ["AT+READS_IDS", "AT+READS_IDS"], "card queries")
        proc = fleet.start("card", refusing.link)
        arm_after_query(refusing, "raw " + b"\n\rAT+READS_IDS - UNKNOWN CMD!".hex())
        expect_eq(proc.wait(timeout=5), 3, "exit code of a refused card query")
        expect("Invalid command!" in proc.stderr.read(), "a refusal")

        code, out, err = run("card", flood.link)
        expect(code == 0 and "0001234567" in out and "0.0.212.49" in out, "%d %r %r" % (code, out, err))

        for sim, field in [(big, "Barcode"), (bigcipher, "ID cipher")]:
            code, out, err = run("card", sim.link)
            expect(code == 3 and out == "" and field + ": the number is too large" in err, "%d %r" % (code, err))
            code, doc = run_json("card", sim.link)
            expect_eq((code, doc["status"], doc["card"]), (3, "not-recognized", None), "JSON of " + sim.link)
            expect("4294967295" not in json.dumps(doc).replace("above 4294967295", ""), doc)
        # Eleven digits fill the separator's place; read alone, the number fits.
        code, doc = run_json("card", eleven.link)
        expect_eq((code, doc["card"]["barcode"], doc["card"]["cipher"]), (0, "1234567890", "0000054321"),
                  "an eleven-digit barcode")


# --- one meaning for every status -----------------------------------------------------------

@T.case("find: the same ports named one by one or by a glob give the same output and exit code")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("a-kru", "U")
        fleet.sim("b-silent", "U", extra=["--silent"])
        fleet.sim("c-noise", "U", extra=["--garbage"])
        fleet.sim("d-old", "M", firmware="2.10")
        links = sorted(os.path.join(fleet.folder, name) for name in os.listdir(fleet.folder)
                       if not name.startswith("."))
        for extra in [[], ["--json"]]:
            named = run("find", *links, "--timeout", "300", *extra)
            globbed = run("find", fleet.path("*"), "--timeout", "300", *extra)
            expect_eq(named, globbed, "find named and globbed %s" % extra)
            expect_eq(named[0], 0, "exit code with a reader among silent, noisy and refused ones")
        code, doc = run_json("find", *links[1:3], "--timeout", "300")
        expect_eq((code, doc["status"], doc["ok"], doc["failures"]), (2, "no-answer", False, []), "no reader")
        expect_eq(run("find", *links[1:3], "--timeout", "300"),
                  run("find", fleet.path("[bc]-*"), "--timeout", "300"), "find without a reader")
        # A port held by another program is a failure however it was named.
        asked = len(kru.rx())
        holder = fleet.start("card", links[0], "--watch")
        wait_until(lambda: len(kru.rx()) >= asked + 2, 5, "the first vireo4 to hold the port")
        named = run("find", *links[:2], "--timeout", "300")
        expect_eq(named, run("find", fleet.path("[ab]-*"), "--timeout", "300"), "find with a busy port")
        expect(named[0] == 4 and "port busy" in named[2], named)
        holder.send_signal(signal.SIGINT)
        holder.wait(timeout=5)


@T.case("skipped is not failed; results on stdout, failures on stderr; ok and status in every JSON")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("kru", "U")
        usb = fleet.sim("usb", "B")
        usb_only = write_file(fleet, "usb.ini", "[usb]\nbytes = 4\n")
        code, out, err = run("apply", usb_only, kru.link, usb.link)
        expect_eq((code, err), (0, ""), "a skipped reader is no failure")
        rows = {line.split()[0]: line for line in out.splitlines() if not line.startswith(" ")}
        expect("skipped: the profile has no [kru-krm] section" in rows[kru.link] and "failed" not in out, out)
        expect("written and verified" in rows[usb.link], out)
        code, doc = run_json("apply", usb_only, kru.link)
        expect_eq((code, doc["readers"][0]["status"], doc["readers"][0]["ok"], doc["readers"][0]["changed"]),
                  (0, "skipped", True, False), "JSON of a skipped reader")

        # Every failure goes to stderr, whatever the command.
        for args in [("write", kru.link, "interface=wiegand-58"), ("read", fleet.path("missing")),
                     ("find", fleet.path("missing"), kru.link), ("card", fleet.path("missing"))]:
            code, out, err = run(*args)
            expect(code != 0 and err and "failed" not in out and "missing" not in out and
                   "wiegand-58 needs" not in out, "%s: %d %r / %r" % (args[0], code, out, err))

        # ok and status in every document: each command, a usage error, a profile error, a watch.
        empty = os.path.join(fleet.folder, "sysfs")
        os.makedirs(os.path.join(empty, "class", "tty"))
        code, out, _ = run("ports", "--json", env=dict(BASE_ENV, VIREO4_SYSFS=empty))
        documents = [json_of(out)]
        for args in [("find", kru.link), ("read", kru.link), ("write", kru.link, "standby=static"),
                     ("apply", usb_only, kru.link), ("card", kru.link), ("fnd",),
                     ("apply", write_file(fleet, "bad.ini", "[kru]\n"), kru.link)]:
            documents.append(run_json(*args)[1])
        watch = fleet.start("card", usb.link, "--watch", "--json")
        documents.append(json_of(watch.stdout.readline()))
        watch.send_signal(signal.SIGINT)
        watch.wait(timeout=5)
        for doc in documents:
            expect("ok" in doc and "status" in doc and doc["ok"] == (doc["status"] == "ok"), doc)
            for row in doc.get("readers", []) + doc.get("failures", []):
                expect("ok" in row and "status" in row, row)
        expect_eq([d["status"] for d in documents], ["not-found", "ok", "ok", "ok", "ok", "ok", "usage", "usage",
                                                     "ok"], "status of each document")


@T.case("the man page lists every JSON status word")
def _():
    with open(MAN_PAGE, encoding="utf-8") as page:
        text = page.read()
    words = ["ok", "skipped", "no-answer", "not-found", "not-serial", "refused", "firmware-unsupported",
             "not-allowed", "not-recognized", "mismatch", "unconfirmed", "unsupported", "usage", "busy", "denied",
             "port-error", "io-error", "garbage", "interrupted"]
    listed = re.findall(r"^\.TP\n\.B (\S+)$", text.split(".SS JSON status")[1].split(".SH")[0], re.M)
    expect_eq([w.replace("\\-", "-") for w in listed], words, "status words of the man page")


@T.case("read --profile writes only what apply takes back; a type beside touch-memory is refused")
def _():
    with Fleet() as fleet:
        odd = fleet.sim("odd", "U", settings="W271DO")
        kru = fleet.sim("kru", "U")
        usb = fleet.sim("usb", "B", settings="WTMX4EM")
        code, out, err = run("read", odd.link, "--profile")
        expect(code == 0 and "interface" not in out and "standby = dynamic" in out, out)
        expect("warning: the reader's interface is not recognised; left out of the profile" in err, err)
        profile = write_file(fleet, "odd.ini", out)
        code, out, err = run("apply", profile, kru.link)
        expect_eq(code, 0, "the printed profile applies: " + err)
        code, out, _ = run("read", usb.link, "--profile")
        expect("format = touch-memory\ntype = none\n" in out, out)
        code, _, err = run("apply", write_file(fleet, "usb.ini", out), usb.link)
        expect_eq(code, 0, "a USB profile with type none applies: " + err)

        profile = write_file(fleet, "tm.ini", "[usb]\nformat = touch-memory\n# output\ntype = hex\n")
        code, out, err = run("apply", profile, usb.link)
        expect(code == 1 and err.startswith(profile + ":4: type has no meaning with format touch-memory"), err)
        expect_eq(usb.writes(), [], "writes after a refused profile")


T.main()
