#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Takes the screenshots that the manual and the README show, from the real program under Wine
and Xvfb with simulated readers, into docs/screenshots/:

    main-krukrm-ru.png, main-krukrm-en.png   the Vireo-4KRU_M tab after a Vireo-4KRM was found
    main-usb-ru.png, main-usb-en.png         the Vireo-4-USB tab after a Vireo-4-USB was found
    cardid-ru.png, cardid-en.png             the card ID window
    found-ru.png, found-en.png               the "reader found" message over the main window

    bash scripts/build.sh && python3 scripts/take_screenshots.py [OUT_DIR]

Look at the pictures before committing them; the manual build takes them from docs/screenshots.
"""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
os.environ.setdefault("VIREO_WIN_BUILD_DIR", os.path.join(ROOT, "build", "win"))
os.environ.setdefault("VIREO_SOURCE_DIR", ROOT)
os.environ.setdefault("VIREO_SIM", os.path.join(ROOT, "build", "native", "sim", "vireo-sim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import harness as h  # noqa: E402

# ImageMagick's convert (scripts/setup.sh installs imagemagick).
CONVERT = "/usr/bin/convert" if os.path.exists("/usr/bin/convert") else "convert"
ID_READ_ID = 19
USB_TAB = 1
CARD_WINDOW_CLASS = b"my Child Window"
# Settings that light the lamps in several colours: Wiegand 44, direct, static, polled.
KRM_SETTINGS = "W441SO"
# All three systems, DEC output, 4 bytes, HID and EM-Marine only.
USB_SETTINGS = "AHDD4EX"
USB_INSTANCE = "5&2A3B4C5D&0&1"
FOUND_MARGIN = 24  # pixels of the main window shown around the found message

TEXTS = {
    "ru": {"read": "Настройки считаны!", "krm": "Считыватель Vireo-4KRM найден!\n\r->[COM3]",
           "usb": "Считыватель Vireo-4-USB найден!\n\r->[COM4]"},
    "en": {"read": "Settings read!", "krm": "Vireo-4KRM reader found!\n\r->[COM3]",
           "usb": "Vireo-4-USB reader found!\n\r->[COM4]"},
}


def text(language, key):
    value = TEXTS[language][key]
    return h.ru(value) if language == "ru" else h.ui(value)


def crop(env, rect, path):
    """The screen's rectangle (left, top, right, bottom) into a PNG."""
    full = env.screenshot(path + ".full.png")
    left, top, right, bottom = max(rect[0], 0), max(rect[1], 0), rect[2], rect[3]
    geometry = "%dx%d+%d+%d" % (right - left, bottom - top, left, top)
    subprocess.run([CONVERT, full, "-crop", geometry, "+repage", path], check=True)
    os.unlink(full)
    print("wrote %s" % os.path.relpath(path, os.getcwd()), flush=True)


def tab_control(main):
    return next(c for c in main.children() if c.cls == b"SysTabControl32")


def grow(rect, margin):
    """A rectangle with some of what lies around it: the box over the main window."""
    return (rect[0] - margin, rect[1] - margin, rect[2] + margin, rect[3] + margin)


def union(*rects):
    return (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))


def shoot(language, out):
    config = h.config_file("RU" if language == "ru" else "EN", "KRU_KRM")
    with h.Env(config=config, name="screenshots-" + language) as env:
        env.sim(model="M", firmware="1.10", settings=KRM_SETTINGS, com=3,
                extra=("--barcode", "1234567", "--cipher", "54321"))
        usb = env.sim(model="B", firmware="1.10", settings=USB_SETTINGS, com=4,
                      extra=("--barcode", "1234567", "--cipher", "54321"))
        app = env.start_app()
        main = app.wait_main_window()
        app.expect_box(text(language, "read"), icon=3, timeout=60)
        found = app.expect_box(text(language, "krm"), icon=3, press=False)
        crop(env, grow(found.rect, FOUND_MARGIN), os.path.join(out, "found-%s.png" % language))
        found.press_ok_and_wait()
        crop(env, main.rect, os.path.join(out, "main-krukrm-%s.png" % language))

        app.main.command(ID_READ_ID)
        card = h.wait_until(lambda: app.windows(CARD_WINDOW_CLASS), 30, "the card ID window")[0]
        h.wait_until(lambda: card.visible, 10, "the card ID window to show")
        crop(env, card.rect, os.path.join(out, "cardid-%s.png" % language))
        card.close()
        h.wait_until(lambda: not card.exists(), 30, "the card ID window to close")

        env.add_usb(USB_INSTANCE, "COM4")
        tab_control(main).tab_click(USB_TAB)
        app.expect_box(text(language, "usb"), icon=3, timeout=60)
        app.expect_box(text(language, "read"), icon=3, timeout=60)
        h.wait_until(lambda: main.enabled, 10, "the main window to be enabled")
        crop(env, main.rect, os.path.join(out, "main-usb-%s.png" % language))
        h.expect(usb.rx().startswith(b"AT+READS_USB"), "the USB reader was asked for its settings")
        app.close()


def main():
    out = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(ROOT, "docs", "screenshots")
    os.makedirs(out, exist_ok=True)
    for language in ("ru", "en"):
        shoot(language, out)


if __name__ == "__main__":
    main()
