# SPDX-License-Identifier: Apache-2.0
"""The vireo.readers modules in ansible-playbook runs over local hosts, each with its own simulated
readers on pseudo-terminals: check mode, diffs, idempotence, several hosts at once, profiles from
the controller, input refused before any write, a reader vanishing mid-write."""
import os

from ansible_support import Fleet, Play, Tests, expect, expect_eq, inventory, play, readers_by_port, wait_until

T = Tests()

SET = "Set the readers"
LIST = "List the readers"
# What settings.yml asks for, as the readers store it.
KRU_WANTED = {"interface": "wiegand-26", "indication": "direct", "standby": "dynamic", "touch-poll": "off"}
USB_WANTED = {"mode": "windows", "format": "hex-or-dec", "type": "dec", "bytes": "4", "cards": "all"}


def queries_only(sim):
    return all(command.startswith("AT+READS_") for command in sim.rx())


@T.case("three hosts, forks 3: check mode writes nothing, the first run changes and diffs every reader, the second changes nothing")
def _():
    with Fleet() as fleet:
        readers = {"h1-kru": ("U", "1.10"), "h1-usb": ("B", "1.10"), "h2-krm": ("M", "1.10"),
                   "h2-line": ("X", "1.10"), "h3-oldkrm": ("M", "1.00"), "h3-usb": ("B", "2.00")}
        sims = {name: fleet.sim(name, model, firmware) for name, (model, firmware) in readers.items()}
        hosts = inventory(fleet, {h: [n for n in readers if n.startswith(h + "-")] for h in ("h1", "h2", "h3")})

        check = play(fleet, "settings.yml", hosts, "--forks", "3", "--check", "--diff")
        expect_eq(check.recap, {h: dict(ok=2, changed=1, failed=0) for h in ("h1", "h2", "h3")},
                  "recap of the check run:\n" + check.output)
        for name, sim in sims.items():
            expect(queries_only(sim), "%s got more than queries in check mode: %r" % (name, sim.rx()))
        blocks = check.diff_blocks()
        expect_eq(sorted(blocks), sorted("%s (%s %s)" % (fleet.path(n), m, f) for n, (m, f) in
                                         [("h1-kru", ("KRU", "1.10")), ("h1-usb", ("USB", "1.10")),
                                          ("h2-krm", ("KRM", "1.10")), ("h2-line", ("serial-line reader", "1.10")),
                                          ("h3-oldkrm", ("KRM", "1.00")), ("h3-usb", ("USB", "2.00"))]),
                  "a diff block per reader")
        expect_eq(blocks["%s (KRU 1.10)" % fleet.path("h1-kru")],
                  ["-interface = touch-memory", "+interface = wiegand-26", "-touch-poll = on", "+touch-poll = off"],
                  "predicted diff of the KRU")
        listed = readers_by_port(check.result("h1", LIST))
        expect_eq((listed["h1-kru"]["raw"], listed["h1-usb"]["model"]), ("TMX1DO", "USB"), "readers listed in check mode")

        first = play(fleet, "settings.yml", hosts, "--forks", "3", "--diff")
        expect_eq(first.recap, {h: dict(ok=2, changed=1, failed=0) for h in ("h1", "h2", "h3")},
                  "recap of the first run:\n" + first.output)
        for name, sim in sims.items():
            expected = "AT+WHDD4EM" if readers[name][0] == "B" else "AT+W261DF"
            expect_eq(sim.writes(), [expected], "the one write to " + name)
        expect_eq(first.diff_blocks()["%s (USB 1.10)" % fleet.path("h1-usb")],
                  ["-bytes = 5", "+bytes = 4", "-type = hex", "+type = dec"], "diff of the USB reader as read back")
        for host in ("h1", "h2", "h3"):
            for row in first.result(host, SET)["readers"]:
                expect_eq((row["status"], row["changed"]), ("ok", True), "outcome of " + row["port"])
            for row in first.result(host, LIST)["readers"]:
                wanted = USB_WANTED if row["family"] == "usb" else KRU_WANTED
                expect_eq(row["settings"], wanted, "settings of %s after the run" % row["port"])

        second = play(fleet, "settings.yml", hosts, "--forks", "3", "--diff")
        expect_eq(second.recap, {h: dict(ok=2, changed=0, failed=0) for h in ("h1", "h2", "h3")},
                  "recap of the second run:\n" + second.output)
        expect_eq(second.diff_blocks(), {}, "diff of the second run")
        for name, sim in sims.items():
            expect_eq(len(sim.writes()), 1, "writes to %s after the second run" % name)


@T.case("profile from the controller: its section per family, a bad line named by file and line, a missing file")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("kru", "U")
        usb = fleet.sim("usb", "B")
        hosts = inventory(fleet, {"gate": ["kru", "usb"]})
        run = play(fleet, "profile.yml", hosts)
        rows = readers_by_port(run.result("gate", "Set from a profile"))
        expect_eq((rows["kru"]["changed"], rows["usb"]["status"]), (True, "skipped"), "outcomes")
        expect_eq((kru.writes(), usb.writes()), (["AT+W441SO"], []), "writes")

        bad = run.result("gate", "Set from a profile with a bad line")
        expect(bad["failed"] and bad["msg"].startswith("bad.ini:3: ") and "'blinking'" in bad["msg"], bad["msg"])
        missing = run.result("gate", "Set from a profile that is not there")
        expect(missing["failed"] and missing["msg"].startswith("profile missing.ini is not on the controller (searched: "), missing["msg"])
        expect_eq(kru.writes(), ["AT+W441SO"], "writes after the bad profiles")


@T.case("bad input fails before any reader is written, with vireo4's message; no vireo4 names the package; no ports")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("kru", "U")
        krm = fleet.sim("krm", "M")
        empty = os.path.join(fleet.folder, "no-sysfs")
        os.mkdir(empty)
        hosts = inventory(fleet, {"desk": ["kru", "krm"]}, empty_sysfs=empty)
        run = play(fleet, "bad_input.yml", hosts)
        items = {r["item"]["label"]: r for r in run.result("desk", "Refuse settings")["results"]}
        expected = {
            "unknown name": "settings.kru-krm.touchpoll: unknown setting 'touchpoll'",
            "other family": "settings.usb.interface: unknown setting 'interface' (settings: mode,",
            "firmware rule": "nothing written: %s: wiegand-58 needs a KRM reader with firmware 1.10 or later (not-allowed)"
                             % kru.link,
            "no family": "settings: 'interface' is no reader family; the families are kru-krm and usb",
            "line break": "settings.kru-krm.interface: 'wiegand-26\n[usb]' holds a character",
            "no vireo4 there": "vireo4 was not found on this host at /nonexistent/vireo4: install the Debian package vireo4",
        }
        for label, message in expected.items():
            expect(items[label]["failed"] and message in items[label]["msg"], "%s: %r" % (label, items[label]["msg"]))
        expect_eq(kru.writes() + krm.writes(), [], "writes")
        expect("would_change" in str(readers_by_port(items["firmware rule"])["krm"]), "the KRM was read")

        no_path = run.result("desk", "Look for vireo4 on a PATH without it")
        expect(no_path["failed"] and "install the Debian package vireo4" in no_path["msg"], no_path["msg"])
        no_ports = run.result("desk", "Every port of a host without serial ports")
        expect(no_ports["failed"] and no_ports["msg"] == "no reader found on any serial port of the host", no_ports["msg"])
        listed = run.result("desk", "List the readers of a host without serial ports")
        expect(not listed["failed"] and listed["readers"] == [] and listed["ports_probed"] == 0, listed)


@T.case("a reader vanishing mid-write fails its own item as unconfirmed; its host's other reader and the other host are set")
def _():
    with Fleet() as fleet:
        # Replies come late, so the reader can vanish while its write is on the wire.
        gone = fleet.sim("a-gone", "U", extra=["--late", "300"])
        kept = fleet.sim("a-kept", "U")
        other = fleet.sim("b-kru", "M")
        hosts = inventory(fleet, {"a": ["a-gone", "a-kept"], "b": ["b-kru"]})
        running = Play(fleet, "vanish.yml", hosts, "--forks", "2")
        wait_until(gone.writes, 60, "the write to the reader that vanishes")
        gone.control("vanish")
        run = running.wait()
        expect_eq({h: run.recap[h]["failed"] for h in ("a", "b")}, {"a": 1, "b": 0}, "failed hosts:\n" + run.output)
        items = {os.path.basename(r["item"]): r for r in run.result("a", "Set each reader")["results"]}
        failed = items["a-gone"]
        expect(failed["failed"] and failed["msg"].startswith("1 of 1 readers failed: " + gone.link), failed)
        expect_eq((items["a-kept"].get("failed", False), items["a-kept"]["changed"]), (False, True), "the other item")
        expect_eq((kept.writes(), other.writes()), (["AT+TMX1AO"], ["AT+TMX1AO"]), "writes to the others")
        # vireo4's word for a write that went out and was never confirmed: the reader may have
        # changed, so the item counts as changed as well as failed.
        row = failed["readers"][0]
        expect_eq((row["status"], row["changed"], failed["changed"]), ("unconfirmed", None, True),
                  "status, changed of the vanished reader and of its item")
        expect("(unconfirmed)" in failed["msg"], failed["msg"])


if __name__ == "__main__":
    T.main()
