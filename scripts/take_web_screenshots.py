#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Takes the browser page's screenshots that the README and the manual show, in headless
Chromium with simulated readers (the stand-in for Web Serial of tests/web), into
docs/screenshots/:

    web-kru-en.png, web-kru-ru.png   a Vireo-4KRM read, a card read, in English and Russian
    web-usb-en.png, web-usb-ru.png   a Vireo-4-USB read, in English and Russian
    web-unwritten-en.png, -ru.png    the Vireo-4KRM with choices not yet written
    web-dark-en.png, web-dark-ru.png the same in the dark colour scheme
    web-log-en.png, web-log-ru.png   the message log, a byte trace of the Vireo-4KRM on

The readers hold the settings of the window's screenshots (scripts/take_screenshots.py), so the
two can be set side by side.

    bash scripts/build.sh && /usr/bin/python3 scripts/take_web_screenshots.py [OUT_DIR]

Look at the pictures before committing them.
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))

import page_support as p  # noqa: E402

# As in the window's screenshots: Wiegand 44, direct, static, polled; all systems, DEC, 4 bytes, HID and EM-Marine.
KRM_SETTINGS = "W441SO"
USB_SETTINGS = "AHDD4EX"
LANGUAGES = {"en": "1", "ru": "0"}
WIDTH = 1100


def shoot(browser, path):
    height = browser.js("return document.documentElement.scrollHeight")
    browser.driver.set_window_size(WIDTH, int(height) + 140)
    p.wait_until(lambda: browser.js("return document.documentElement.scrollHeight") <= int(height) + 2, 5, "layout")
    if not browser.driver.save_screenshot(path):
        raise SystemExit("could not write " + path)
    print("wrote %s" % os.path.relpath(path, os.getcwd()), flush=True)


def dark(browser, on):
    browser.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "prefers-color-scheme", "value": "dark" if on else "light"}]})


def shoot_element(browser, selector, path):
    element = browser.driver.find_element("css selector", selector)
    if not element.screenshot(path):
        raise SystemExit("could not write " + path)
    print("wrote %s" % os.path.relpath(path, os.getcwd()), flush=True)


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "screenshots"))
    os.makedirs(out, exist_ok=True)
    session = p.Session()
    try:
        browser, bridge = session.fresh()
        with p.Fleet() as fleet:
            krm, usb = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", KRM_SETTINGS, None),
                                                       ("usb", "B", "1.10", USB_SETTINGS, p.USB_READER)],
                                        granted=True)
            browser.open()
            browser.wait_message("Port 1: Settings read!")
            browser.wait_message("Port 2 (USB 2E3C:5750): Settings read!")
            browser.select_reader(0)
            browser.click("read-card")
            p.wait_until(lambda: browser.card_rows(), 5, "a card")
            for language, value in LANGUAGES.items():
                browser.js("const s = document.getElementById('language'); s.value = arguments[0];"
                           "s.dispatchEvent(new Event('change'))", value)
                for index, family in enumerate(("kru", "usb")):
                    browser.select_reader(index)
                    browser.idle()
                    browser.js("document.activeElement.blur(); window.scrollTo(0, 0)")
                    shoot(browser, os.path.join(out, "web-%s-%s.png" % (family, language)))
            browser.select_reader(0)
            browser.js("document.getElementById('trace').click()")
            browser.click("read")
            browser.idle()
            browser.choose("interface", "wiegand-26")
            browser.choose("standby", "off")
            for language, value in LANGUAGES.items():
                browser.js("const s = document.getElementById('language'); s.value = arguments[0];"
                           "s.dispatchEvent(new Event('change'))", value)
                browser.js("document.activeElement.blur(); window.scrollTo(0, 0)")
                shoot(browser, os.path.join(out, "web-unwritten-%s.png" % language))
                dark(browser, True)
                shoot(browser, os.path.join(out, "web-dark-%s.png" % language))
                dark(browser, False)
                shoot_element(browser, "section.messages", os.path.join(out, "web-log-%s.png" % language))
            browser.js("localStorage.clear()")
    finally:
        session.close()


if __name__ == "__main__":
    main()
