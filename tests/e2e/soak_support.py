# SPDX-License-Identifier: Apache-2.0
"""The resource soak, shared by tests/e2e/test_soak.py (a bounded run in the test suite) and
scripts/soak.py (the full run): READ and WRITE cycles, language switches, tab switches and
card windows against simulated readers, with the program's GDI objects, USER objects and
kernel handles counted inside its process (tests/e2e/counter: Wine answers GetGuiResources and
GetProcessHandleCount with 0 from outside) at the start, between the blocks and at the end."""

import os
import subprocess
import time

import harness as h
import fault_support as f

VCOUNT = os.path.join(h.WIN_BUILD_DIR, "vcount.exe")
TAB_CLASS = b"SysTabControl32"
WM_COMMAND = 0x0111
USB_FOUND = h.ui("Vireo-4-USB reader found!\n\r->[COM5]")
KINDS = ("gdi", "user", "handles")


def measure(env, app):
    """The program's counts, taken from inside its process."""
    result = subprocess.run(["wine", VCOUNT, str(app.pid)], env=env.wine_env, stdin=subprocess.DEVNULL,
                            capture_output=True, timeout=180)
    text = result.stdout.decode("latin-1").strip()
    h.expect(result.returncode == 0 and text.startswith("gdi="), "vcount: %r (code %d)" % (text, result.returncode))
    return {k: int(v) for k, v in (item.split("=") for item in text.split())}


class Soak:
    def __init__(self, env, app):
        self.env = env
        self.app = app
        self.main = app.main
        self.tab = [c for c in self.main.children() if c.cls == TAB_CLASS][0]
        self.language = "EN"
        self.on_usb = False
        self.rows = []  # (label, operations done so far, counts, seconds since the start)
        self.done = 0
        self.start = time.monotonic()

    def record(self, label):
        counts = measure(self.env, self.app)
        self.rows.append((label, self.done, counts, time.monotonic() - self.start))
        print("  %-28s ops=%5d gdi=%4d user=%4d handles=%4d  (%.0f s)" % (
            label, self.done, counts["gdi"], counts["user"], counts["handles"], self.rows[-1][3]), flush=True)
        return counts

    def read(self):
        self.main.child(f.ID_READ).click()
        self.app.expect_box(f.SETTINGS_READ, f.ICON_SUCCESS)
        self.done += 1

    def write(self):
        self.main.child(f.ID_WRITE).click()
        self.app.expect_box(f.SETTINGS_WRITTEN, f.ICON_SUCCESS)
        self.done += 1

    def switch_language(self):
        self.language = "RU" if self.language == "EN" else "EN"
        # Sent, so the switch (and its save) is over when the call returns.
        self.main.send(WM_COMMAND, f.ID_RUSSIAN if self.language == "RU" else f.ID_ENGLISH, 0, 10000)
        h.expect_eq(self.main.text, h.TITLE_RU if self.language == "RU" else h.TITLE_EN, "title after the switch")
        self.done += 1

    def switch_tab(self):
        """Each tab change saves the choice and searches that family's reader."""
        self.on_usb = not self.on_usb
        self.tab.tab_click(1 if self.on_usb else 0)
        texts = [t for _, t, _ in self.app.settle(quiet=0.7, timeout=60.0)]
        expected = USB_FOUND if self.on_usb else f.found("COM3")
        h.expect(expected in texts, "tab %d: the reader was found (boxes %r)" % (1 if self.on_usb else 0, texts))
        self.done += 1

    def card_window(self):
        self.main.command(f.ID_READ_ID)
        card = h.wait_until(lambda: self.app.windows(f.CARD_CLASS), 20.0, "the card window")[0]
        card.sys_close()
        h.wait_until(lambda: not card.exists() and self.main.enabled, 20.0, "the card window to close")
        self.done += 1

    def back_to_kru_english(self):
        if self.on_usb:
            self.switch_tab()
        if self.language != "EN":
            self.switch_language()


def run(reads, writes, languages, tabs, cards, measure_every=0):
    """One program, every operation in blocks; returns (rows, first, last)."""
    with h.Env(config=f.EN_KRU) as env:
        env.sim(model="U", com=3, hot=True)
        env.sim(model="B", settings="WHDH5EM", com=5, hot=True)
        env.add_usb("SOAK0001", "COM5")
        app = f.start_found(env, "COM3")
        soak = Soak(env, app)
        # One of each first: whatever is made once and kept (fonts, the card window's class
        # and brush) is made before the first count.
        for step in (soak.read, soak.write, soak.switch_language, soak.switch_language, soak.switch_tab,
                     soak.switch_tab, soak.card_window):
            step()
        soak.done = 0
        first = soak.record("start")
        blocks = (("reads", soak.read, reads), ("writes", soak.write, writes),
                  ("language switches", soak.switch_language, languages),
                  ("tab switches", soak.switch_tab, tabs), ("card windows", soak.card_window, cards))
        for name, step, count in blocks:
            for i in range(count):
                step()
                if measure_every and (i + 1) % measure_every == 0 and i + 1 < count:
                    soak.record("%s %d" % (name, i + 1))
            soak.back_to_kru_english()
            soak.record("after %d %s" % (count, name))
        last = soak.rows[-1][2]
        f.responsive(app, "soak")
        f.close_within_limit(app, "soak")
        return soak.rows, first, last
