#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The page itself: its languages (from the core's table, remembered, first following the
browser; a switch reaches every text on screen, earlier outcomes included), a browser without Web Serial, no request beyond its own files under its strict policy,
and accessibility (axe-core: no serious or critical violation)."""
import functools
import http.server
import json
import os
import threading

import page_support as p
from page_support import expect, expect_eq, wait_until

T = p.Tests(__file__)
S = p.Session()
AXE = os.path.join(p.HERE, "node_modules", "axe-core", "axe.min.js")


def two_readers(fleet, bridge):
    return p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", "W441SO", None),
                                           ("usb", "B", "1.10", None, p.USB_READER)], granted=True)


# What each message of the language-switch case reads in Russian.
RUSSIAN_MESSAGES = {
    "Port 1: Vireo-4KRM reader found!": "Порт 1: Считыватель Vireo-4KRM найден!",
    "Port 1: Settings read!": "Порт 1: Настройки считаны!",
    "Port 2 (USB 2E3C:5750): Vireo-4-USB reader found!":
        "Порт 2 (USB 2E3C:5750): Считыватель Vireo-4-USB найден!",
    "Port 2 (USB 2E3C:5750): Settings read!":
        "Порт 2 (USB 2E3C:5750): Настройки считаны!",
    "Port 2 (USB 2E3C:5750): unchanged (already set, nothing written)":
        "Порт 2 (USB 2E3C:5750): без изменений (уже установлено, ничего не записано)",
    "Port 2 (USB 2E3C:5750): Settings recorded!":
        "Порт 2 (USB 2E3C:5750): Настройки записаны!",
    "Port 2 (USB 2E3C:5750): written and verified":
        "Порт 2 (USB 2E3C:5750): записано и проверено",
    "Port 3: Vireo-4KRU reader found!": "Порт 3: Считыватель Vireo-4KRU найден!",
    "Port 3: Settings read!": "Порт 3: Настройки считаны!",
    "Port 3: READER INTERFACE - NOT RECOGNIZED!": "Порт 3: ИНТЕРФЕЙС СЧИТЫВАТЕЛЯ - НЕ РАСПОЗНАН!",
    "Port 3: the reader's interface is not recognised: choose a value before writing":
        "Порт 3: значение interface считывателя не распознано: выберите значение перед записью",
    "applied to 3 reader(s)": "применено к считывателям: 3",
}


def switch_language(b, value):
    b.js("const s = document.getElementById('language'); s.value = arguments[0]; s.dispatchEvent(new Event('change'))",
         value)


def shown(b):
    """Every text the page keeps from earlier outcomes: the messages, each reader's status line,
    the card table's reader column, the profile report."""
    notes = []
    for index in range(len(b.readers())):
        b.select_reader(index)
        notes.append(b.text("reader-state"))
    b.select_reader(0)
    return {"messages": b.messages(), "notes": notes, "cards": [row[1] for row in b.card_rows()],
            "profile": [b.text("profile-heading")] + b.js(
                "return [...document.querySelectorAll('#profile-changes > li')].map(li => li.innerText)")}


@T.case("language switch: every text in Russian from the core's table, earlier messages, notes, card labels and "
        "the profile report included, and back; remembered; nothing written")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        krm, usb = two_readers(fleet, bridge)
        odd, = p.sims_on_bridge(fleet, bridge, [("odd", "U", "1.10", "W271DO", None)], granted=True)
        b.open()
        b.js("localStorage.clear()")
        b.open()
        for label in ("Port 1", "Port 2 (USB 2E3C:5750)", "Port 3"):
            b.wait_message(label + ": Settings read!")
        # An outcome of every kind on screen: found texts, a settings problem, cards, an unchanged
        # write, a profile applied (a write verified, readers skipped) and a refusal's detail.
        b.select_reader(1)
        b.idle()
        b.click("read-card")
        wait_until(lambda: len(b.card_rows()) == 1, 5, "the USB reader's card")
        b.click("write")
        b.wait_message("Port 2 (USB 2E3C:5750): unchanged (already set, nothing written)")
        b.drop_file("site.ini", b"[usb]\nbytes = 4\n")
        wait_until(lambda: b.enabled("apply-all"), 5, "the profile's report")
        b.apply_all()
        b.wait_message("applied to 3 reader(s)")
        b.select_reader(2)
        b.idle()
        b.click("read-card")
        wait_until(lambda: len(b.card_rows()) == 2, 5, "the KRU's card")
        b.choose("standby", "off")
        b.click("write")
        b.wait_message("Port 3: the reader's interface is not recognised: choose a value before writing")
        b.select_reader(0)
        expect_eq(b.text("read"), "READ", "English first: the browser's language is English")
        english = shown(b)
        expect_eq(english["notes"], ["Settings read!", "written and verified",
                                     "the reader's interface is not recognised: choose a value before writing"],
                  "status lines in English")
        expect_eq(english["cards"], ["Port 2 (USB 2E3C:5750)", "Port 3"], "card labels in English")
        expect_eq(english["profile"], ["What site.ini would change",
                                       "Port 1 — the profile has no [kru-krm] section",
                                       "Port 2 (USB 2E3C:5750) — written and verified",
                                       "Port 3 — the profile has no [kru-krm] section"], "the report in English")
        expect_eq(sorted(set(english["messages"]) - set(RUSSIAN_MESSAGES)), [], "messages this case knows")
        writes = (krm.writes(), usb.writes(), odd.writes())
        expect_eq(writes, ([], ["AT+WHDH4EM"], []), "the profile's one write")

        switch_language(b, "0")
        expect_eq(b.js("return document.documentElement.lang"), "ru", "page language")
        expect_eq([b.text(i) for i in ("read", "write", "read-card")], ["СЧИТАТЬ", "ЗАПИСАТЬ", "Считать ID"],
                  "buttons")
        g = b.groups()
        expect_eq(g["interface"]["legend"], "1) ИНТЕРФЕЙСЫ:", "legend")
        expect_eq(g["indication"]["choices"]["direct"][0], "Прямая (активная '1')", "translated caption")
        expect_eq(g["standby"]["choices"]["off"][0], "Выкл.", "both Off radios follow the language")
        expect_eq(g["interface"]["choices"]["wiegand-44"][:2], ["Wiegand 44", True], "fixed caption, choice kept")
        expect_eq(b.text("firmware"), "1.10", "version kept")
        expect_eq(b.js("return document.querySelector('.indic-caption').textContent"), "Инд.", "lamp column")
        russian = shown(b)
        expect_eq(russian["messages"], [RUSSIAN_MESSAGES[m] for m in english["messages"]],
                  "every message shown before, now in Russian")
        expect_eq(russian["notes"], ["Настройки считаны!", "записано и проверено",
                                     "значение interface считывателя не распознано: выберите значение перед записью"],
                  "status lines in Russian")
        expect_eq(russian["cards"], ["Порт 2 (USB 2E3C:5750)", "Порт 3"], "card labels in Russian")
        expect_eq(russian["profile"], ["Что изменит site.ini", "Порт 1 — в профиле нет раздела [kru-krm]",
                                       "Порт 2 (USB 2E3C:5750) — записано и проверено",
                                       "Порт 3 — в профиле нет раздела [kru-krm]"], "the report in Russian")
        b.click("read")
        b.wait_message("Порт 1: Настройки считаны!")
        b.idle()

        switch_language(b, "1")
        again = shown(b)
        expect_eq(again["messages"], ["Port 1: Settings read!"] + english["messages"],
                  "back in English, the read done in Russian included")
        for part in ("notes", "cards", "profile"):
            expect_eq(again[part], english[part], part + " back in English")
        expect_eq((krm.writes(), usb.writes(), odd.writes()), writes, "a language switch writes nothing")
        switch_language(b, "0")
        b.open()
        expect_eq(b.text("read"), "СЧИТАТЬ", "the choice is remembered")
        b.js("localStorage.clear()")


@T.case("no Web Serial: a clear page naming the browsers that work and the other programs")
def _():
    with p.Browser(serial=False, language="ru-RU") as b:
        b.open()
        expect(b.js("return document.getElementById('page').hidden"), "the configurator is hidden")
        text = b.js("return document.getElementById('unsupported').innerText")
        for part in ("Web Serial", "Chrome", "Edge", "Firefox", "Safari", "VireoTool-4.exe", "vireo4"):
            expect(part in text, "%r in %r" % (part, text))
        expect("браузер" in text, "Russian first, as the browser's language is Russian")


@T.case("no request beyond the page's own files; the policy is strict and holds the page")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        two_readers(fleet, bridge)
        b.requests()
        b.open()
        b.wait_message("Port 2 (USB 2E3C:5750): Settings read!")
        b.click("read-card")
        wait_until(lambda: b.card_rows(), 5, "a card")
        urls = b.requests()
        own = {u.rsplit("/", 1)[1] for u in urls if u.startswith("file://" + p.SITE + "/")}
        expect({"index.html", "page.js", "style.css", "vireo-core.js"} <= own <= set(os.listdir(p.SITE)),
               "the page's own files asked for: %r" % sorted(own))
        outside = [u for u in urls if not u.startswith("file://" + p.SITE + "/") and not u.startswith("data:")]
        expect_eq(outside, [], "requests beyond the page's own files")
        policy = b.js("return document.querySelector('meta[http-equiv=Content-Security-Policy]').content")
        expect_eq(policy, "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
                  "connect-src 'self'; manifest-src 'self'; worker-src 'self'; object-src 'none'; base-uri 'none'; "
                  "form-action 'none'", "the policy")
        with open(os.path.join(p.SITE, "index.html"), encoding="utf-8") as f:
            markup = f.read()
        for forbidden in ("<script>", "<style", " style=", " onclick=", " onload=", " onchange=", "javascript:"):
            expect(forbidden not in markup, "no inline %s" % forbidden)
        expect(b.js("return [...document.querySelectorAll('*')].every(e => [...e.attributes].every(a => !a.name.startsWith('on')))"),
               "no event attribute anywhere on the running page")
    # Under its own policy, with no stand-in and no bypass, the page starts without a violation.
    with p.Browser(bypass_csp=False) as plain:
        plain.open()
        expect(not plain.js("return document.getElementById('page').hidden"), "the page starts")
        problems = [e["message"] for e in plain.driver.get_log("browser")
                    if "Content Security Policy" in e["message"] or e["level"] == "SEVERE"]
        expect_eq(problems, [], "console errors under the policy")


@T.case("served from localhost: an installable web app that works offline")
def _():
    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass
    handler = functools.partial(Quiet, directory=p.SITE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    url = "http://127.0.0.1:%d/index.html" % server.server_address[1]
    try:
        with p.Browser(bypass_csp=False) as b:
            b.open(url)
            expect(b.js("return document.querySelector('link[rel=manifest]') !== null"), "the manifest is linked")
            scope = b.driver.execute_async_script(
                "navigator.serviceWorker.ready.then(r => arguments[0](r.scope), e => arguments[0]('ERROR ' + e))")
            expect_eq(scope, url.rsplit("/", 1)[0] + "/", "the service worker's scope")
            manifest = b.driver.execute_async_script(
                "fetch('manifest.webmanifest').then(r => r.json()).then(arguments[0], e => arguments[0]({}))")
            expect_eq((manifest.get("start_url"), manifest.get("display"), sorted(i["sizes"] for i in manifest["icons"])),
                      ("index.html", "standalone", ["192x192", "512x512"]), "the manifest")
            errors = b.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {}).get("installabilityErrors", [])
            expect_eq([e.get("errorId") for e in errors], [], "installability errors")
            b.open(url)
            wait_until(lambda: b.js("return navigator.serviceWorker.controller !== null"), 10, "the worker to serve the page")
            server.shutdown()
            server.server_close()
            b.open(url)
            expect(not b.js("return document.getElementById('page').hidden"), "the page starts with the server gone")
    finally:
        server.server_close()


@T.case("accessibility: axe-core finds no serious or critical violation, in both languages, light and dark, "
        "with choices not yet written and a byte trace on screen")
def _():
    b, bridge = S.fresh()
    with open(AXE, encoding="utf-8") as f:
        axe = f.read()
    with p.Fleet() as fleet:
        two_readers(fleet, bridge)
        b.open()
        b.wait_message("Port 2 (USB 2E3C:5750): Settings read!")
        b.click("read-card")
        wait_until(lambda: b.card_rows(), 5, "a card")
        b.select_reader(0)
        b.js("document.getElementById('trace').click()")
        b.click("read")
        b.idle()
        b.choose("interface", "wiegand-26")
        for language, scheme in (("1", "light"), ("0", "light"), ("1", "dark"), ("0", "dark")):
            switch_language(b, language)
            b.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
                "features": [{"name": "prefers-color-scheme", "value": scheme}]})
            expect_eq(b.js("return matchMedia('(prefers-color-scheme: dark)').matches"), scheme == "dark", "the scheme")
            b.js(axe)
            result = b.driver.execute_async_script(
                "axe.run(document, {resultTypes: ['violations']}).then(r => arguments[0](JSON.stringify(r.violations)),"
                " e => arguments[0](JSON.stringify([{impact: 'critical', id: 'axe failed: ' + e}])))")
            bad = [(v["id"], v["impact"], [n["target"] for n in v.get("nodes", [])][:3])
                   for v in json.loads(result) if v["impact"] in ("serious", "critical")]
            expect_eq(bad, [], "serious or critical violations (language %s, %s)" % (language, scheme))
        # Every control is reachable by keyboard: nothing interactive is taken out of the tab order.
        expect_eq(b.js("return document.querySelectorAll('[tabindex=\"-1\"]').length"), 0, "no control out of the tab order")
        radios = b.js("return [...document.querySelectorAll('#settings input')].every(i => i.closest('fieldset') && i.closest('label'))")
        expect(radios, "every radio in a fieldset with a legend, and labelled")
        b.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})
        b.js("localStorage.clear()")


p.run(T, S)
