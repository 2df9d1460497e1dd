#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Profiles on the page: saved in the format vireo4 reads, opened from the file picker or
dropped, what each connected reader would change shown before anything is written, applied to
one reader or to every connected reader with a result per reader; a profile's problems and
markup shown as text."""
import os
import subprocess
import tempfile

import page_support as p
from page_support import expect, expect_eq, wait_until

T = p.Tests(__file__)
S = p.Session()

PROFILE = b"""# the site's readers
[kru-krm]
interface = wiegand-26
standby = static
[usb]
bytes = 4
"""


def report(b):
    return b.js("return [...document.querySelectorAll('#profile-changes > li')].map(li => li.innerText)")


@T.case("saved from a reader in vireo4's format; vireo4 reads it, and the page reads vireo4's")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        krm, = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", "W441SO", None)])
        other = fleet.sim("other", model="B", firmware="2.00", settings="ATMX7XM")
        b.open()
        p.connect(b, bridge, krm)
        b.wait_message("Settings read!")
        b.idle()
        b.click("save-profile")
        saved = b.downloaded("kru-krm.ini")
        expect_eq(saved, b"# Port 1: Vireo-4KRM, 1.10\n[kru-krm]\ninterface = wiegand-44\nindication = direct\n"
                         b"standby = static\ntouch-poll = on\n", "the saved profile")
        path = os.path.join(b.downloads, "kru-krm.ini")
        done = subprocess.run([os.environ["VIREO4"], "apply", path, other.link, "--dry-run"], capture_output=True,
                              text=True, env=dict(os.environ, LC_ALL="C"), timeout=20)
        expect_eq(done.returncode, 0, "vireo4 apply --dry-run of the saved profile: %s %s" % (done.stdout, done.stderr))
        written = subprocess.run([os.environ["VIREO4"], "read", other.link, "--profile"], capture_output=True,
                                 timeout=20, env=dict(os.environ, LC_ALL="C"))
        expect_eq(written.returncode, 0, "vireo4 read --profile")
        with tempfile.NamedTemporaryFile(suffix=".ini", dir=b.folder, delete=False) as f:
            f.write(written.stdout)
        b.pick_file(f.name)
        wait_until(lambda: report(b), 5, "the report of vireo4's profile")
        expect(b.text("profile-problem") == "", "vireo4's profile parses: %r" % b.text("profile-problem"))
        expect("the profile has no [kru-krm] section" in report(b)[0], "a USB profile skips the KRM: %r" % report(b))


@T.case("three readers at once: what would change, then applied to every one, each verified")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, krm, usb = p.sims_on_bridge(fleet, bridge, [
            ("kru", "U", "1.10", "TMX1DO", None), ("krm", "M", "1.10", "W441DO", None),
            ("usb", "B", "1.10", "WHDH5EM", p.USB_READER)], granted=True)
        b.open()
        for label in ("Port 1", "Port 2", "Port 3 (USB 2E3C:5750)"):
            b.wait_message(label + ": Settings read!")
        b.drop_file("site.ini", PROFILE)
        wait_until(lambda: len(report(b)) == 3, 5, "a line per reader")
        lines = report(b)
        # In the groups' own words, as the settings read on screen.
        expect(lines[0].startswith("Port 1\n1) INTERFACES: Touch Memory → Wiegand 26\n"
                                   "3) INDICATION IN STANDBY MODE: Dynamic → Static"), "KRU: %r" % lines[0])
        expect(lines[1].startswith("Port 2\n1) INTERFACES: Wiegand 44 → Wiegand 26\n"), "KRM: %r" % lines[1])
        expect("interface" not in lines[1] and "wiegand-26" not in lines[1], "no tool's names: %r" % lines[1])
        expect("→" in lines[2] and "bytes:" not in lines[2], "USB: %r" % lines[2])
        expect_eq(kru.writes() + krm.writes() + usb.writes(), [], "nothing written by opening a profile")
        b.apply_all()
        wait_until(lambda: all("written and verified" in line for line in report(b)), 10,
                   "a result per reader (have %r)" % report(b))
        expect_eq((kru.writes(), krm.writes(), usb.writes()), (["AT+W261SO"], ["AT+W261SO"], ["AT+WHDH4EM"]),
                  "each reader's one write")
        b.wait_message("applied to 3 reader(s)")
        # Applied again: nothing left to change, nothing written, nothing asked.
        b.click("apply-all")
        wait_until(lambda: all("unchanged" in line for line in report(b)), 10, "unchanged everywhere")
        expect_eq(len(kru.writes() + krm.writes() + usb.writes()), 3, "no second write")


@T.case("applied to this reader only; a rule the reader's firmware breaks is refused for it alone")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, krm = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", None, None), ("krm", "M", "1.10", None, None)],
                                    granted=True)
        b.open()
        b.wait_message("Port 2: Settings read!")
        b.drop_file("w58.ini", b"[kru-krm]\ninterface = wiegand-58\n")
        wait_until(lambda: len(report(b)) == 2, 5, "the report")
        expect("wiegand-58 needs a KRM reader with firmware 1.10 or later" in report(b)[0], "KRU: %r" % report(b)[0])
        b.select_reader(1)
        b.click("apply-this")
        wait_until(lambda: "written and verified" in report(b)[1], 10, "the KRM's result")
        expect_eq((kru.writes(), krm.writes()), ([], ["AT+W581DO"]), "only the selected reader written")
        b.click("apply-all")
        wait_until(lambda: "needs a KRM reader" in report(b)[0] and "unchanged" in report(b)[1], 10,
                   "results (have %r)" % report(b))
        expect_eq(kru.writes(), [], "the KRU is never written the value its firmware forbids")


@T.case("a profile's problem named on its line; markup in it shown as text; nothing can be applied")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", None, None)], granted=True)
        b.open()
        b.wait_message("Port 1: Settings read!")
        b.drop_file("evil.ini", b"# fine\n[<img src=x onerror=document.title='pwned'>]\n")
        wait_until(lambda: b.text("profile-problem"), 5, "the problem")
        expect_eq(b.text("profile-problem"),
                  "line 2: unknown section [<img src=x onerror=document.title='pwned'>] (use [kru-krm] or [usb])",
                  "the problem, as text")
        expect(b.js("return document.querySelectorAll('#page img').length") == 0, "no element made of the file")
        expect(b.js("return document.title") != "pwned", "nothing of the file ran")
        expect(not b.enabled("apply-this") and not b.enabled("apply-all"), "nothing to apply")
        expect_eq(b.text("profile-heading"), "What evil.ini would change", "the file's name as text")
        b.drop_file("utf16.ini", "[usb]\nbytes = 4\n".encode("utf-16"))
        wait_until(lambda: report(b) and b.text("profile-problem") == "", 5, "a UTF-16 profile read as any other")
        expect("the profile has no [kru-krm] section" in report(b)[0], "its report: %r" % report(b))
        b.drop_file("bad.ini", b"[usb]\nbytes = 6\n")
        wait_until(lambda: b.text("profile-problem") == "line 2: unknown value '6' of bytes", 5, "the value problem")
        expect_eq(kru.writes(), [], "nothing written")


p.run(T, S)
