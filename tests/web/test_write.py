#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Writing from the page, as vireo4 writes: only on a click, then read back: "written and
verified", "unchanged" when nothing differs, "written, not confirmed" when the reader vanishes
between the command and its read-back; a reader pulled out is said to be gone with its controls
off, and one plugged in again is read at once, never written."""
import page_support as p
from page_support import expect, expect_eq, wait_until

T = p.Tests(__file__)
S = p.Session()


def checked(b, setting):
    return [v for v, (_, on, _) in b.groups()[setting]["choices"].items() if on]


@T.case("a write on a click, read back and verified; the same settings again write nothing")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        krm, = p.sims_on_bridge(fleet, bridge, [("krm", "M", "1.10", "TMX1DO", None)])
        b.open()
        p.connect(b, bridge, krm)
        b.wait_message("Settings read!")
        b.idle()
        b.choose("interface", "wiegand-58")
        b.choose("standby", "off")
        expect_eq(b.groups()["interface"]["lamp"], "rgb(255, 0, 255)", "the lamp follows the choice at once")
        expect_eq(krm.writes(), [], "nothing written by choosing")
        b.click("write")
        b.wait_message("Port 1: written and verified")
        expect_eq(krm.writes(), ["AT+W581AO"], "the one write")
        expect_eq(krm.rx()[-1], "AT+READS_KRX", "read back after the write")
        expect(any(m == "Port 1: Settings recorded!" for m in b.messages()), "the window's acknowledgement text")
        b.idle()
        expect_eq((checked(b, "interface"), checked(b, "standby")), (["wiegand-58"], ["off"]), "shown as read back")
        b.click("write")
        b.wait_message("Port 1: unchanged (already set, nothing written)")
        expect_eq(krm.writes(), ["AT+W581AO"], "nothing more written")
        # A reader that refuses the command: said so, and its settings stay as they were read.
        b.choose("touch-poll", "off")
        krm.control("refuse on")
        b.click("write")
        b.wait_message("Port 1: Invalid command!")
        krm.control("refuse off")


@T.case("the reader vanishes between the write and its read-back: written, not confirmed; replugged, read")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", "TMX1DO", None)])
        b.open()
        p.connect(b, bridge, kru)
        b.wait_message("Settings read!")
        b.idle()
        b.choose("interface", "wiegand-26")
        kru.control("late 400")
        b.click("write")
        wait_until(lambda: kru.writes() == ["AT+W261DO"], 5, "the write to reach the reader")
        kru.control("vanish")
        b.wait_message("Port 1: written, not confirmed: read the reader again")
        b.wait_message("Port 1: The connection is broken. (Port 1 disabled!)")
        expect(not b.enabled("read") and not b.enabled("write") and not b.enabled("read-card"), "controls off")
        g = b.groups()
        expect(all(group["disabled"] for group in g.values()), "the settings greyed")
        expect("Port 1 — " in b.readers()[0], "the reader stays listed")
        kru.control("normal")
        kru.control("return")
        b.wait_message("Port 1: Vireo-4KRU reader found!")
        b.wait_message("Port 1: Settings read!")
        b.idle()
        expect_eq(checked(b, "interface"), ["wiegand-26"], "what the reader took, read again")
        expect_eq(kru.writes(), ["AT+W261DO"], "nothing written on reconnect")


@T.case("unplug and replug: gone, controls off; back, read at once and nothing written")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        usb, kru = p.sims_on_bridge(fleet, bridge, [("usb", "B", "1.10", None, p.USB_READER),
                                                   ("kru", "U", "1.10", None, None)], granted=True)
        b.open()
        b.wait_message("Port 1 (USB 2E3C:5750): Settings read!")
        b.wait_message("Port 2: Settings read!")
        b.select_reader(0)
        usb.control("vanish")
        b.wait_message("Port 1 (USB 2E3C:5750): Connection broken. (Vireo-4-USB disabled!)")
        expect(not b.enabled("read") and not b.enabled("write"), "the vanished reader's controls are off")
        b.select_reader(1)
        expect(b.enabled("read") and b.enabled("write"), "the other reader is untouched")
        usb.control("return")
        b.wait_message("Port 1 (USB 2E3C:5750): Vireo-4-USB reader found!")
        wait_until(lambda: len([m for m in b.messages() if m == "Port 1 (USB 2E3C:5750): Settings read!"]) == 2, 5,
                   "the replugged reader read again")
        b.select_reader(0)
        b.idle()
        expect(b.enabled("write"), "controls back")
        expect_eq(len(b.readers()), 2, "one entry per reader, replugged or not")
        expect_eq(usb.writes() + kru.writes(), [], "nothing written on load or on reconnect")


p.run(T, S)
