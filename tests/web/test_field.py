#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The page as a technician meets it: choices not yet written, open failures by cause, the
chooser closed, applying to all, the message log, forgetting a port; and wherever it is opened
(plain http from a host name, another site's frame, site data blocked, a file missing, the
server gone) it says what it can and cannot do."""
import os

import page_support as p
from page_support import expect, expect_eq, wait_until

T = p.Tests(__file__)
S = p.Session()


def leaving_asks(b):
    """Whether leaving the page now would ask first."""
    return b.js("const e = new Event('beforeunload', {cancelable: true}); window.dispatchEvent(e);"
                "return e.defaultPrevented")


def marked(b):
    return b.js("return [...document.querySelectorAll('#settings fieldset.unwritten')].map(f => f.dataset.setting)")


@T.case("choices not yet written: marked per group and in the status line, WRITE counts them, leaving asks, "
        "the profile saved holds them; once written the marks go")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        krm, = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", "W441SO", None)], granted=True)
        b.open()
        b.wait_message("Port 1: Settings read!")
        b.idle()
        expect_eq((marked(b), b.text("unwritten"), b.text("write"), leaving_asks(b)), ([], "", "WRITE", False),
                  "the reader's own settings on screen")
        b.choose("interface", "wiegand-26")
        b.choose("standby", "off")
        expect_eq(marked(b), ["interface", "standby"], "the groups marked")
        expect_eq(b.text("unwritten"), "Not yet written: 1) INTERFACES: Wiegand 44 → Wiegand 26; "
                                       "3) INDICATION IN STANDBY MODE: Static → Off", "the status line")
        expect_eq(b.text("write"), "WRITE (2 to change)", "WRITE says what it will do")
        expect(leaving_asks(b), "leaving with unwritten choices asks")
        b.choose("standby", "static")
        expect_eq(marked(b), ["interface"], "a choice taken back is no longer marked")
        b.click("save-profile")
        saved = b.downloaded("kru-krm.ini").decode("utf-8")
        expect("interface = wiegand-26" in saved and "standby = static" in saved, "the profile holds the screen: %r" % saved)
        expect_eq(krm.writes(), [], "saving writes nothing")
        os.remove(os.path.join(b.downloads, "kru-krm.ini"))
        b.click("save-read-profile")
        expect("interface = wiegand-44" in b.downloaded("kru-krm.ini").decode("utf-8"), "the reader's own values offered too")
        b.click("write")
        b.wait_message("written and verified")
        b.idle()
        expect_eq((marked(b), b.text("unwritten"), b.text("write"), leaving_asks(b)), ([], "", "WRITE", False),
                  "written: nothing left unwritten")
        expect(b.js("return document.getElementById('save-read-profile').hidden"), "one profile button again")


@T.case("open failures told by cause, the browser's words for the rest; the chooser closed gives the likely causes")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        causes = [("NetworkError", None, "in use by another program, or this user may not open it"),
                  ("InvalidStateError", "The port is already open.", "close that program, then READ again"),
                  ("NotAllowedError", "Access denied.", "group dialout (sudo adduser USER dialout"),
                  ("NotFoundError", None, "the port is gone"),
                  ("UnknownError", "The device misbehaved.", "cannot open the port: The device misbehaved.")]
        sims = p.sims_on_bridge(fleet, bridge, [("r%d" % i, "M", "1.10", None, None) for i in range(len(causes))])
        b.open()
        for number, (sim, (name, message, words)) in enumerate(zip(sims, causes), 1):
            bridge.fail_open(sim.port_id, name, message)
            p.connect(b, bridge, sim)
            line = b.wait_message("Port %d: cannot open the port: " % number)
            expect(words in line, "%s: %r" % (name, line))
            expect_eq(line.count("Port %d" % number), 1, "the port named once: %r" % line)
        expect("60-vireo4.rules" in b.messages()[2] and "dialout" in b.messages()[4], "the group and udev rule named")
        bridge.choose(None)
        b.click("connect-usb")
        hint = b.wait_message("No port was chosen.")
        expect("the other Connect button" in hint and "dialout" in hint and "cable" in hint, "the hint: %r" % hint)


@T.case("apply to all: one question listing each reader's changes in its words; no writes nothing; the report in Russian")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, krm = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", "TMX1DO", None),
                                                   ("krm", "M", "1.10", "W441SO", None)], granted=True)
        b.open()
        b.wait_message("Port 2: Settings read!")
        b.drop_file("site.ini", b"[kru-krm]\ninterface = wiegand-26\nstandby = off\n")
        wait_until(lambda: b.enabled("apply-all"), 5, "the report")
        question = b.apply_all(accept=False)
        expect_eq(question, "Write this profile to 2 reader(s)?\n"
                            "Port 1:\n  1) INTERFACES: Touch Memory → Wiegand 26\n"
                            "  3) INDICATION IN STANDBY MODE: Dynamic → Off\n"
                            "Port 2:\n  1) INTERFACES: Wiegand 44 → Wiegand 26\n"
                            "  3) INDICATION IN STANDBY MODE: Static → Off", "the question")
        expect_eq((kru.writes(), krm.writes()), ([], []), "no: nothing written")
        b.js("const s = document.getElementById('language'); s.value = '0'; s.dispatchEvent(new Event('change'))")
        report = b.js("return document.getElementById('profile-changes').innerText")
        expect("1) ИНТЕРФЕЙСЫ: Touch Memory → Wiegand 26" in report and "Выкл." in report, "in Russian: %r" % report)
        expect("interface" not in report and "wiegand-26" not in report, "none of the tool's names: %r" % report)
        question = b.apply_all(accept=True)
        expect(question.startswith("Записать этот профиль"), "asked in Russian: %r" % question)
        wait_until(lambda: kru.writes() and krm.writes(), 10, "both written")
        b.js("localStorage.clear()")


@T.case("the log: oldest first, timed, copied as plain text; bytes only for a port whose trace is on; "
        "Version: — until read; a port forgotten leaves the list and the browser's grants")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        krm, usb = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", "W441SO", None),
                                                   ("usb", "B", "1.10", None, p.USB_READER)], granted=True)
        b.open()
        b.wait_message("Port 2 (USB 2E3C:5750): Settings read!")
        lines = b.log_lines()
        expect(all(p.re_match(r"\d\d:\d\d:\d\d  ", line) for line in lines), "every line timed: %r" % lines)
        words = [line[10:] for line in lines]
        expect(words.index("Port 1: Vireo-4KRM reader found!") < words.index("Port 1: Settings read!"),
               "oldest first: %r" % lines)
        expect(not any("sent:" in line for line in lines), "no bytes by default")
        b.select_reader(0)
        b.js("document.getElementById('trace').click()")
        b.click("read")
        b.idle()
        b.select_reader(1)
        b.click("read")
        b.idle()
        traced = [line[10:] for line in b.log_lines() if "sent:" in line or "received:" in line]
        expect_eq(traced[0], "Port 1: sent: 41 54 2B 52 45 41 44 53 5F 4B 52 58  |AT+READS_KRX|", "the command sent")
        expect(traced[1].startswith("Port 1: received: ") and traced[1].endswith("1.10W441SO|"),
               "the reply in one line: %r" % traced[1])
        expect_eq(len(traced), 2, "the USB reader's bytes not traced")
        copied = b.copied_by("copy-log")
        expect_eq(copied.splitlines(), b.log_lines()[:-1], "the log copied as shown, up to its \"Copied.\"")
        b.click("save-log")
        expect(b.downloaded("vireotool-4-messages.txt").decode("utf-8").startswith(b.log_lines()[0]), "the log saved")

        bridge.fail_open(krm.port_id, "NetworkError")
        b.select_reader(0)
        b.js("document.getElementById('forget').click()")
        wait_until(lambda: len(b.readers()) == 1, 5, "the port to leave the list")
        expect(bridge.forgotten(krm.port_id), "the browser's grant given up")
        b.wait_message("Port 1: port forgotten")
        p.connect(b, bridge, krm)
        b.wait_message("Port 3: cannot open the port")
        b.select_reader(1)
        expect_eq(b.text("firmware"), "—", "no version before one is read")


@T.case("served over http from a host name: serve over https, localhost or the file; inside another origin's "
        "frame: refused; site data blocked: works, the language unremembered; a file missing: a message")
def _():
    with p.SiteServer(extra={"frame.html": ""}) as site:
        site.extra["frame.html"] = ('<!DOCTYPE html><title>frame</title><iframe allow="serial" '
                                    'src="http://localhost:%d/index.html"></iframe>' % site.port)
        with p.Browser(flags=["--host-resolver-rules=MAP vireo.test 127.0.0.1"]) as b:
            b.open("http://vireo.test:%d/index.html" % site.port)
            why = b.text("unsupported-why")
            expect("opened from vireo.test:%d over plain http" % site.port in why and "https" in why and
                   "localhost" in why, "insecure: %r" % why)
            expect(b.js("return document.getElementById('page').hidden && document.getElementById('unsupported-advice').hidden"),
                   "no controls, no talk of other browsers")

            b.driver.get("http://127.0.0.1:%d/frame.html" % site.port)
            b.driver.switch_to.frame(0)
            wait_until(lambda: b.js("return performance.getEntriesByName('vireo-ready').length > 0"), 15, "the frame")
            expect("does not run inside a frame of another site" in b.text("unsupported-why"), "framed")
            expect(b.js("return document.getElementById('page').hidden"), "no controls in the frame")
            b.driver.switch_to.default_content()

            site.missing = {"vireo-core.js"}
            b.open("http://localhost:%d/index.html?core-missing" % site.port)
            expect(not b.js("return document.getElementById('failed').hidden"), "the start-up failure shown")
            expect("could not start" in b.js("return document.getElementById('failed').innerText"), "in words")
            site.missing = {"page.js"}
            b.driver.get("http://localhost:%d/index.html?page-missing" % site.port)
            wait_until(lambda: "did not all arrive" in b.js("return document.body.innerText"), 10, "the loading note")
            site.missing = set()

        blocked = {"profile.default_content_setting_values.cookies": 2}
        with p.Browser(prefs=blocked) as b:
            b.open("http://localhost:%d/index.html" % site.port)
            expect(b.js("try { localStorage.length; return false; } catch (e) { return true; }"), "site data blocked")
            expect(not b.js("return document.getElementById('page').hidden"), "the page works")
            b.js("const s = document.getElementById('language'); s.value = '0'; s.dispatchEvent(new Event('change'))")
            expect_eq(b.text("readers-heading"), "Считыватели", "a language chosen, just not remembered")


@T.case("the service worker: a 404 while online keeps the good copy, and the next start offline is the last good version")
def _():
    with p.SiteServer() as site:
        url = "http://localhost:%d/index.html" % site.port
        with p.Browser(bypass_csp=False) as b:
            b.open(url)
            b.open(url)
            wait_until(lambda: b.js("return navigator.serviceWorker.controller !== null"), 30, "the worker")
            with open(os.path.join(p.SITE, "page.js"), encoding="utf-8") as f:
                good = len(f.read())
            site.missing = {"page.js"}
            b.open(url)
            expect(not b.js("return document.getElementById('page').hidden"), "a 404 for page.js: the kept copy runs")
            kept = b.driver.execute_async_script(
                "caches.match('page.js').then(r => r ? r.text() : '').then(t => arguments[0](t.length))")
            expect_eq(kept, good, "the kept page.js is the good one")
            site.stop()
            b.open(url)
            expect(not b.js("return document.getElementById('page').hidden"), "offline: the last good version runs")


p.run(T, S)
