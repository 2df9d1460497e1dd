# SPDX-License-Identifier: Apache-2.0
"""What vireo4_settings tells about each reader: profiles judged by vireo4 byte for byte, readers
skipped or gone against expect, a partial failure's message and changed, backups, vireo4's exit
code against its JSON, and the returned keys against the documented ones in both modes."""
import json
import os
import subprocess
import tempfile

from ansible_support import (Fleet, Play, Tests, ansible_env, expect, expect_eq, inventory, play,
                             readers_by_port, wait_until)

T = Tests()


def stand_in(fleet, name, document, code):
    """A program in vireo4's place that prints one JSON document and exits with code."""
    path = os.path.join(fleet.folder, name)
    with open(path, "w") as out:
        out.write("#!/bin/sh\ncat <<'END'\n%s\nEND\nexit %d\n" % (json.dumps(document), code))
    os.chmod(path, 0o755)
    return path


def documented_returns():
    """The RETURN of vireo4_settings as ansible-doc reads it: top-level keys, readers' keys."""
    with tempfile.TemporaryDirectory(prefix="vireo-doc-") as folder:
        out = subprocess.run(["ansible-doc", "--json", "vireo.readers.vireo4_settings"], env=ansible_env(folder),
                             capture_output=True, text=True, check=True).stdout
    returns = json.loads(out)["vireo.readers.vireo4_settings"]["return"]
    return returns, set(returns["readers"]["contains"])


@T.case("profiles, skipped readers, expect, messages, and exit codes that contradict the JSON")
def _():
    with Fleet() as fleet:
        kru = fleet.sim("r-kru", "U")
        stray = os.path.join(fleet.folder, "stray.ini")
        with open(stray, "wb") as out:
            out.write(b"; caf\xe9\n[kru-krm]\ninterface = wiegand-26\n")
        utf16 = os.path.join(fleet.folder, "utf16.ini")
        with open(utf16, "wb") as out:
            out.write("[kru-krm]\ninterface = wiegand-44\n".encode("utf-16"))
        empty = os.path.join(fleet.folder, "empty.ini")
        with open(empty, "w") as out:
            out.write("; nothing set here\n")
        not_runnable = os.path.join(fleet.folder, "vireo4-copy")
        with open(not_runnable, "w") as out:
            out.write("#!/bin/sh\n")
        os.chmod(not_runnable, 0o644)
        hosts = inventory(fleet, {"a": ["r-kru"]}, stray_profile=stray, utf16_profile=utf16, empty_profile=empty,
                          reader_glob=[fleet.path("r-*")], not_runnable=not_runnable,
                          expected_ports=[fleet.path("r-kru"), fleet.path("r-usb")],
                          ok_exit3=stand_in(fleet, "ok-exit3", {"ok": True, "status": "ok", "readers": []}, 3),
                          refuses=stand_in(fleet, "refuses", {"ok": False}, 1))
        run = play(fleet, "fates.yml", hosts)

        def result(task):
            return run.result("a", task)

        first = result("Profile with a stray byte in a comment")
        expect(not first["failed"] and first["changed"], first)
        second = result("Profile in UTF-16")
        expect(not second["failed"] and second["changed"], second)
        expect_eq(kru.writes()[:2], ["AT+W261DO", "AT+W441DO"], "writes of both profiles")

        skipped = result("Settings for the other family only")
        expect(not skipped["failed"] and not skipped["changed"], skipped)
        expect(any("no reader took any setting" in w for w in skipped.get("warnings", [])),
               "warnings %r" % skipped.get("warnings"))
        for task, message in (("No settings at all", "settings: the profile holds no settings"),
                              ("A profile without settings", "%s: the profile holds no settings" % empty)):
            nothing = result(task)
            expect(nothing["failed"] and nothing.get("msg", "").startswith(message), "%s: %r" % (task, nothing))

        short = result("Two readers expected, one answers")
        expect(short["failed"] and short["msg"].startswith("expected 2 readers, 1 took the settings: "), short["msg"])
        expect("%s: written [standby dynamic -> static]" % kru.link in short["msg"], short["msg"])
        expect_eq(short["changed"], True, "a short host still sets the readers it has")
        ports = result("Ports expected")
        expect(ports["failed"] and "expected readers did not take the settings: %s (not found)"
               % fleet.path("r-usb") in ports["msg"], ports["msg"])

        messages = {
            "Settings and a profile": "give settings or profile, not both",
            "A vireo4 that may not be run": "executable %s exists but the remote user may not run it (mode 0644)"
                                            % not_runnable,
            "A vireo4 that says ok and exits 3": "vireo4 apply: exited with 3 but its JSON says ok",
            "A vireo4 that refuses without a reason": "vireo4 refused the command without saying why",
        }
        for task, message in messages.items():
            got = result(task)
            expect(got["failed"] and got["msg"].startswith(message), "%s: %r" % (task, got["msg"]))
            expect("apt-get" not in got["msg"], "%s names the package: %r" % (task, got["msg"]))
        expect_eq(result("A vireo4 that says ok and exits 3")["rc"], 3, "rc of the stand-in")


@T.case("a partial failure: changed, each reader's fate in the message, its diff shown, backups of the written reader")
def _():
    with Fleet() as fleet:
        gone = fleet.sim("a-gone", "U", extra=["--late", "300"])
        kept = fleet.sim("a-kept", "M")
        backups = os.path.join(fleet.folder, "backups")
        hosts = inventory(fleet, {"a": ["a-gone", "a-kept"]}, backup_folder=backups)
        running = Play(fleet, "partial.yml", hosts, "--diff")
        wait_until(gone.writes, 60, "the write to the reader that vanishes")
        gone.control("vanish")
        run = running.wait()
        got = run.result("a", "Set the readers together")
        expect(got["failed"] and got["changed"] is True, got)
        expect(got["msg"].startswith("1 of 2 readers failed: "), got["msg"])
        expect("%s: failed: " % gone.link in got["msg"] and "(unconfirmed), may have changed" in got["msg"], got["msg"])
        expect("%s: written [standby dynamic -> off]" % kept.link in got["msg"], got["msg"])
        expect_eq(kept.writes(), ["AT+TMX1AO"], "the kept reader's write")
        blocks = run.diff_blocks()
        expect_eq(blocks.get("%s (KRM 1.10)" % kept.link), ["-standby = dynamic", "+standby = off"],
                  "the written reader's diff on a failed task:\n" + run.output)
        saved = sorted(os.listdir(os.path.join(backups, "a")))
        expect_eq([name.split(".")[0] for name in saved], ["a-gone", "a-kept"], "a backup per reader written")
        with open(os.path.join(backups, "a", saved[1])) as f:
            text = f.read()
        expect(text.endswith("[kru-krm]\nindication = direct\ninterface = touch-memory\nstandby = dynamic\n"
                             "touch-poll = on\n"), text)
        expect_eq(got["backup_files"], [os.path.join(backups, "a", name) for name in saved], "backup_files")


@T.case("the returned keys are the documented ones, in check mode and in a real run")
def _():
    returns, row_keys = documented_returns()
    always = {key for key, value in returns.items() if value.get("returned", "").startswith("always")}
    standard = {"changed", "failed", "invocation", "diff", "warnings", "msg", "deprecations", "_ansible_no_log"}
    with Fleet() as fleet:
        fleet.sim("h-kru", "U")
        fleet.sim("h-usb", "B")
        hosts = inventory(fleet, {"h": ["h-kru", "h-usb"]})
        for mode in (["--check", "--diff"], ["--diff"]):
            got = play(fleet, "settings.yml", hosts, *mode).result("h", "Set the readers")
            keys = set(got) - standard
            expect(always <= keys <= set(returns), "%s: returned %s, documented %s" % (mode, sorted(keys), sorted(returns)))
            for port, row in readers_by_port(got).items():
                expect_eq(set(row), row_keys, "%s %s: keys of a reader" % (mode, port))
                expect_eq(row["would_change"], True, "%s %s: would_change" % (mode, port))


if __name__ == "__main__":
    T.main()
