#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""The page reads readers as the window and vireo4 do: each family, the firmware rules on the
radios, unsupported firmware, silence, a busy port, ports granted before, and whatever a
reader sends shown as text."""
import page_support as p
from page_support import expect, expect_eq

T = p.Tests(__file__)
S = p.Session()

RED, GREEN, CYAN, MAGENTA, YELLOW, WHITE = ("rgb(255, 0, 0)", "rgb(0, 255, 0)", "rgb(0, 255, 255)",
                                           "rgb(255, 0, 255)", "rgb(255, 255, 0)", "rgb(255, 255, 255)")


def checked(group):
    return [value for value, (_, on, _) in group["choices"].items() if on]


def enabled(group, value):
    return group["choices"][value][2]


@T.case("KRU, KRM and USB readers: model, firmware, the window's groups, radios and lamps")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, krm, usb = p.sims_on_bridge(fleet, bridge, [
            ("kru", "U", "1.10", "W441SO", None), ("krm", "M", "1.10", "W580AF", None),
            ("usb", "B", "2.00", "ATMX7XM", p.USB_READER)])
        b.open()
        p.connect(b, bridge, kru)
        b.wait_message("Vireo-4KRU reader found!")
        b.idle()
        expect_eq(b.text("firmware"), "1.10", "version")
        g = b.groups()
        expect_eq(list(g), ["interface", "indication", "standby", "touch-poll", "cards"], "groups in the window's order")
        expect_eq(g["interface"]["legend"], "1) INTERFACES:", "legend")
        expect_eq([g[s]["choices"][v][0] for s, v in (("interface", "wiegand-44"), ("indication", "direct"),
                                                       ("standby", "static"), ("touch-poll", "on"))],
                  ["Wiegand 44", "Direct (active '1')", "Static", "On"], "captions")
        expect_eq([checked(g[s]) for s in ("interface", "indication", "standby", "touch-poll")],
                  [["wiegand-44"], ["direct"], ["static"], ["on"]], "KRU settings")
        expect_eq([g[s]["lamp"] for s in g], [CYAN, RED, GREEN, RED, WHITE], "KRU lamps")
        expect(not enabled(g["interface"], "wiegand-58"), "Wiegand 58 is a KRM's")
        expect(g["cards"]["disabled"], "the card group stands greyed on a KRU/KRM reader")

        p.connect(b, bridge, krm)
        b.wait_message("Vireo-4KRM reader found!")
        b.idle()
        g = b.groups()
        expect_eq([checked(g[s]) for s in ("interface", "indication", "standby", "touch-poll")],
                  [["wiegand-58"], ["inverse"], ["off"], ["off"]], "KRM settings")
        expect_eq([g[s]["lamp"] for s in g], [MAGENTA, "rgb(0, 0, 255)", MAGENTA, YELLOW, WHITE], "KRM lamps")
        expect(enabled(g["interface"], "wiegand-58"), "a KRM 1.10 offers Wiegand 58")

        p.connect(b, bridge, usb, usb=True)
        b.wait_message("Vireo-4-USB reader found!")
        b.idle()
        expect_eq(bridge.requests[-1], [{"usbVendorId": 0x2E3C, "usbProductId": 0x5750}],
                  "the USB button offers the Vireo-4-USB")
        expect_eq(bridge.requests[0], [], "the other button offers any port")
        g = b.groups()
        expect_eq(list(g), ["mode", "format", "type", "bytes", "cards"], "USB groups")
        expect_eq([checked(g[s]) for s in g], [["all"], ["touch-memory"], [], ["7"], ["mifare"]], "USB settings")
        expect_eq([g[s]["lamp"] for s in g], [MAGENTA, WHITE, WHITE, WHITE, WHITE], "USB lamps")
        expect(not enabled(g["type"], "hex") and not enabled(g["type"], "dec"), "no type with Touch Memory output")
        expect(enabled(g["bytes"], "7"), "7 bytes with Touch Memory at firmware 2.00")
        expect(not g["cards"]["disabled"], "the card group is the USB reader's")
        expect_eq(b.readers(), ["Port 1 — Vireo-4KRU 1.10", "Port 2 — Vireo-4KRM 1.10",
                                "Port 3 (USB 2E3C:5750) — Vireo-4-USB 2.00"], "reader list")
        for sim in (kru, krm, usb):
            expect_eq(sim.writes(), [], "nothing written by reading")
        expect_eq(bridge.options(kru.port_id)[0], {"baudRate": 19200, "dataBits": 8, "stopBits": 1,
                                                   "parity": "none", "flowControl": "none"}, "line settings")
        expect_eq(usb.rx()[0], "AT+READS_USB", "the USB reader's port is asked the USB query first")


@T.case("firmware rules: Wiegand 58 and 7 bytes by model and firmware; Touch Memory at 1.10 takes 5 bytes")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        old_krm, usb110, usb100 = p.sims_on_bridge(fleet, bridge, [
            ("krm", "M", "1.00", None, None), ("usb", "B", "1.10", "WHDH7EM", p.USB_READER),
            ("old", "B", "1.00", "WHDD2EX", p.USB_READER)])
        b.open()
        p.connect(b, bridge, old_krm)
        b.wait_message("Vireo-4KRM reader found!")
        b.idle()
        expect(not enabled(b.groups()["interface"], "wiegand-58"), "a KRM at 1.00 has no Wiegand 58")
        p.connect(b, bridge, usb110, usb=True)
        b.wait_message("Vireo-4-USB reader found!")
        b.idle()
        g = b.groups()
        expect(enabled(g["bytes"], "7") and checked(g["bytes"]) == ["7"], "7 bytes with HEX at 1.10")
        b.choose("format", "touch-memory")
        g = b.groups()
        expect_eq(checked(g["bytes"]), ["5"], "Touch Memory at 1.10 takes 5 bytes, as the window does")
        expect(not enabled(g["bytes"], "7"), "and offers no 7")
        expect(not enabled(g["type"], "hex"), "and no type")
        b.choose("format", "hex-or-dec")
        g = b.groups()
        expect(enabled(g["bytes"], "7") and enabled(g["type"], "dec"), "HEX or DEC offers 7 and the types again")
        expect_eq(checked(g["type"]), ["hex"], "the type HEX or DEC brings")
        p.connect(b, bridge, usb100, usb=True)
        b.wait_message("Port 3 (USB 2E3C:5750): Settings read!")
        b.idle()
        g = b.groups()
        expect(not enabled(g["bytes"], "7"), "no 7 bytes at 1.00")
        expect_eq([checked(g[s]) for s in g], [["windows"], ["hex-or-dec"], ["dec"], ["2"], ["em-hid"]], "1.00 settings")


@T.case("unsupported firmware, a silent port and a busy port: the window's messages, controls off")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        new, silent, held = p.sims_on_bridge(fleet, bridge, [
            ("new", "U", "2.10", None, None), ("silent", "U", "1.10", None, None), ("held", "M", "1.10", None, None)])
        silent.control("silent on")
        b.open()
        p.connect(b, bridge, new)
        b.wait_message("Firmware version not supported! (2.10)")
        b.idle()
        expect_eq(b.groups(), {}, "no settings of a firmware the core refuses")
        expect(not b.enabled("write") and not b.enabled("read-card"), "WRITE and Read ID off")
        p.connect(b, bridge, silent)
        b.wait_message("Port 2: The reader did not respond!")
        with p.held_exclusively(held.link):
            p.connect(b, bridge, held)
            b.wait_message("cannot open the port: the port is in use by another program")
        expect_eq(held.rx(), [], "nothing sent to a busy port")
        b.click("read")   # the port is free now: READ opens it and reads
        b.wait_message("Port 3: Settings read!")


@T.case("noise, a flood, a split reply and a stall: a message each, and the page reads again after")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        kru, = p.sims_on_bridge(fleet, bridge, [("kru", "U", "1.10", None, None)])
        b.open()
        p.connect(b, bridge, kru)
        b.wait_message("Settings read!")
        b.idle()
        for control, message in (("garbage on", "Port 1: The answer could not be recognized!"),
                                 ("silent on", "Port 1: The reader did not respond!")):
            kru.control("normal")
            kru.control(control)
            b.click("read")
            b.wait_message(message)
            b.idle()
        kru.control("normal")
        kru.control("flood 300")
        reads = len([m for m in b.messages() if m == "Port 1: Settings read!"])
        for _ in range(2):
            b.click("read")
            b.idle()
        kru.control("split 300 20")   # a pause inside the reply: read across it, within the deadline
        b.click("read")
        b.idle()
        expect_eq(len([m for m in b.messages() if m == "Port 1: Settings read!"]), reads + 3,
                  "flooded and split replies read, the flood's tail never taken for the next reply")
        expect(b.enabled("write"), "the page still usable")
        expect_eq(kru.writes(), [], "nothing written")


@T.case("ports granted before are opened and read on load; nothing is written")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        sims = [fleet.sim(name, model=model) for name, model in (("a", "U"), ("b", "B"))]
        for sim, usb in zip(sims, (None, p.USB_READER)):
            sim.port_id = bridge.add(sim.link, usb=usb, granted=True)
        b.open()
        b.wait_message("Port 1: Settings read!")
        b.wait_message("Port 2 (USB 2E3C:5750): Settings read!")
        expect_eq(len(b.readers()), 2, "both readers listed")
        for sim in sims:
            expect_eq(sim.writes(), [], "nothing written on load")


@T.case("markup a reader sends is shown as text, never as markup")
def _():
    b, bridge = S.fresh()
    with p.Fleet() as fleet:
        odd, = p.sims_on_bridge(fleet, bridge, [("odd", "M", "1.10", None, None)])
        # A reply to the query whose payload is markup: its setting characters name nothing.
        reply = b"\n\rAT+READS_KRX - OK! >> 1.10<b>x</b>"
        odd.control("raw " + reply.hex())
        b.open()
        p.connect(b, bridge, odd)
        b.wait_message("READER INTERFACE - NOT RECOGNIZED!")
        b.idle()
        expect_eq(b.text("reader-heading"), "Port 1 — Vireo-4xxx", "model name of an unknown letter")
        expect(b.js("return document.querySelectorAll('#page img, #page b').length") == 0, "no element made of a reply")
        # Bytes that are no reply to the query, with markup in them: noise, nothing made of them,
        # and the query asked again, as vireo4 asks it.
        reads = b.messages().count("Port 1: Settings read!")
        odd.control("raw " + b"\n\r<img src=x onerror=alert(1)> - UNKNOWN CMD!".hex())
        b.click("read")
        b.idle()
        expect_eq(b.messages().count("Port 1: Settings read!"), reads + 1, "the query asked again after noise")
        expect_eq(odd.rx()[-2:], ["AT+READS_KRX", "AT+READS_KRX"], "the query, then again")
        odd.control("firmware <i>1.1</i>")
        b.click("read")
        b.wait_message("Firmware version not supported! (<i>1)")
        expect_eq(b.text("firmware"), "<i>1", "the label as text")
        expect(b.js("return document.querySelectorAll('#page img, #page b, #page i').length") == 0, "still no element")


p.run(T, S)
