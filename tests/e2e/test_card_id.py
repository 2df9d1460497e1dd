# SPDX-License-Identifier: Apache-2.0
"""Tools > Read ID against the simulated reader: the card window with its four fields and its
title, the main window given back when it closes, and every way the read can fail."""

import time

import harness as h

T = h.Tests(__file__)

EN_KRU = h.config_file("EN", "KRU_KRM")
EN_USB = h.config_file("EN", "USB_USB")
CARD_CLASS = b"my Child Window"
PROGRESS_CLASS = b"msctls_progress32"
ID_COMBO, ID_READ, ID_READ_ID, ID_VERSION = 1, 14, 19, 34
ICON_SUCCESS, ICON_ERROR, ICON_QUESTION, ICON_RETRY = 3, 5, 6, 7
HINT = h.ui("If you are sure that the reader is connected to the PC,\nselect a COM port from the list!")
WS_CHILD = 0x40000000
ES_READONLY, ES_RIGHT = 0x0800, 0x0002
WS_EX_CLIENTEDGE = 0x00000200


def queries(sim):
    return [data for _, kind, data in sim.log() if kind == "RX"]


def version(app):
    return app.main.child(ID_VERSION).text


def card_window(app, timeout=10):
    return h.wait_until(lambda: app.windows(CARD_CLASS), timeout, "the card window")[0]


def fields(window):
    """The window's controls as {(x, y): (class, text)}, positions in its client area."""
    return {c.inparent[:2]: (c.cls, c.text) for c in window.children()}


def read_id(app, sim):
    """Read ID; returns the queries the reader got for it."""
    before = len(queries(sim))
    app.main.command(ID_READ_ID)
    return before


def expect_refused(app, sim, text, icon):
    before = read_id(app, sim)
    app.expect_box(h.ui(text), icon=icon)
    h.expect_eq(queries(sim)[before:], [b"AT+READS_IDS"], "the card ID query, once")
    h.expect_eq(app.windows(CARD_CLASS), [], "no card window after %r" % text)


def close_card_window(app, window):
    window.sys_close()
    h.wait_until(lambda: not window.exists(), 5, "the card window to close")
    h.wait_until(lambda: app.main.enabled, 5, "the main window enabled again")
    h.wait_until(lambda: int(app.d.cmd("foreground"), 16) == int(app.main.hwnd, 16), 5,
                 "the main window in front again")


def reread(app, sim_control_lines, sim):
    for line in sim_control_lines:
        sim.control(line)
    app.main.command(ID_READ)
    app.expect_box(h.ui("Settings read!"))


@T.case("KRU reader: the card window, every refusal, old firmware, silence, no port")
def _():
    with h.Env(config=EN_KRU) as env:
        sim = env.sim(model="U", com=3)
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(h.ui("Settings read!"))
        app.expect_box(h.ui("Vireo-4KRU reader found!\n\r->[COM3]"), icon=ICON_SUCCESS)
        h.wait_until(lambda: app.main.enabled, 10, "the search over")

        before = read_id(app, sim)
        window = card_window(app)
        h.expect_eq(queries(sim)[before:], [b"AT+READS_IDS"], "the card ID query")
        info = window.info()
        h.expect_eq(info["text"], b"Vireo-4KRU ver.1.10", "title")
        h.expect_eq(int(info["owner"], 16), int(app.main.hwnd, 16), "owned by the main window")
        left, top, right, bottom = info["rect"]
        h.expect_eq((right - left, bottom - top), (302, 160), "size")
        h.expect_eq((left, top), (640 - 151, 512 - 80), "centred on the 1280x1024 screen")
        h.expect(info["style"] & h.WS_SYSMENU and info["style"] & h.WS_CAPTION == h.WS_CAPTION, "caption, close box")
        h.expect(not info["style"] & (h.WS_MINIMIZEBOX | h.WS_MAXIMIZEBOX | h.WS_THICKFRAME), "no min/max, fixed")
        h.expect(not app.main.enabled, "the main window disabled while the card window is open")
        h.expect_eq(fields(window), {
            (10, 15): (b"Static", b"Barcode"), (160, 15): (b"Static", b"Barcode (hex)"),
            (10, 37): (b"Edit", b"0001234567"), (160, 37): (b"Edit", b"0012D687"),
            (10, 67): (b"Static", b"ID cipher"), (160, 67): (b"Static", b"ID cipher (x.x.x.x)"),
            (10, 89): (b"Edit", b"0000054321"), (160, 89): (b"Edit", b"0.0.212.49"),
        }, "the eight controls")
        for child in window.children():
            if child.cls == b"Edit":
                h.expect(child.style & (ES_READONLY | ES_RIGHT) == ES_READONLY | ES_RIGHT, "read-only, right-aligned")
                h.expect(child.exstyle & WS_EX_CLIENTEDGE, "sunken edge")
            h.expect_eq(child.id, 0, "no control id")
            # White behind the value fields, the dialog colour behind the labels.
            colour = child.pixel(3, 10) if child.cls == b"Edit" else None
            if colour is not None:
                h.expect_eq(colour, 0xFFFFFF, "white value field")
        close_card_window(app, window)

        # Replies that are not a card ID: refused, nothing opens, the session stays.
        sim.control("nodot on")
        expect_refused(app, sim, "The answer could not be recognized!", ICON_ERROR)
        sim.control("nodot off")
        sim.control("refuse on")
        expect_refused(app, sim, "Invalid command!", ICON_ERROR)
        sim.control("refuse off")
        sim.control("raw " + (b"\n\rAT+IDX - OK! >> 0001234567 0000054321.").hex())
        expect_refused(app, sim, "Invalid command!", ICON_ERROR)
        sim.control("cut 17")
        expect_refused(app, sim, "Invalid command!", ICON_ERROR)
        sim.control("cut off")
        h.expect_eq(version(app), b"1.10", "the session kept through the refusals")
        h.expect(not app.main.child(ID_COMBO).enabled, "the port still open")

        # A barcode number beyond 32 bits shows as the largest one.
        sim.control("card 99999999999 54321")
        read_id(app, sim)
        window = card_window(app)
        h.expect_eq([fields(window)[p][1] for p in ((10, 37), (160, 37), (10, 89), (160, 89))],
                    [b"4294967295", b"FFFFFFFF", b"0000054321", b"0.0.212.49"], "saturated barcode")
        close_card_window(app, window)

        # A reader naming no model.
        reread(app, ["model X"], sim)
        read_id(app, sim)
        window = card_window(app)
        h.expect_eq(window.text, b"Vireo-4xxx ver.1.10", "title without a model")
        close_card_window(app, window)

        # Firmware 1.00 does not know the query: nothing is sent.
        reread(app, ["model M", "firmware 1.00"], sim)
        before = read_id(app, sim)
        app.expect_box(h.ui("The reader version does not support the command."), icon=ICON_ERROR)
        h.expect_eq(queries(sim)[before:], [], "no card ID query to firmware 1.00")

        # A silent reader: the session ends first, then the retry box.
        reread(app, ["firmware 1.10"], sim)
        sim.control("silent on")
        read_id(app, sim)
        box = app.expect_box(h.ui("The reader did not respond!\n(Try again or a different COM port)."),
                             icon=ICON_RETRY, press=False)
        h.expect_eq(version(app), b"x.xx", "the session already reset while the box shows")
        h.expect(app.main.child(ID_COMBO).enabled, "the port already closed while the box shows")
        box.press_ok_and_wait()

        # No port open: Read ID searches and sends nothing else.
        before = read_id(app, sim)
        h.wait_until(lambda: [w.text for w in app.windows(PROGRESS_CLASS)] == [b"Search for Vireo-4KRU_4KRM reader"],
                     5, "the search popup")
        app.expect_box(h.ui("Vireo-4KRU_4KRM not found!"), icon=ICON_ERROR)
        app.expect_box(HINT, icon=ICON_QUESTION)
        h.expect_eq(queries(sim)[before:], [b"AT+READS_KRX"], "only the search's query")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("USB reader: the card window's title and fields; closing gives the main window back")
def _():
    with h.Env(config=EN_USB) as env:
        sim = env.sim(model="B", firmware="2.00", com=7, extra=["--barcode", "4294967295", "--cipher", "16909060"])
        env.add_usb("VIREO01", "COM7")
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(h.ui("Vireo-4-USB reader found!\n\r->[COM7]"), icon=ICON_SUCCESS)
        app.expect_box(h.ui("Settings read!"))
        h.wait_until(lambda: app.main.enabled, 10, "the read over")
        read_id(app, sim)
        window = card_window(app)
        h.expect_eq(window.text, b"Vireo-4-USB ver.2.00", "title")
        h.expect_eq([fields(window)[p][1] for p in ((10, 37), (160, 37), (10, 89), (160, 89))],
                    [b"4294967295", b"FFFFFFFF", b"0016909060", b"1.2.3.4"], "the four fields")
        h.expect(not app.main.enabled, "the main window disabled")
        close_card_window(app, window)
        h.expect_eq(version(app), b"2.00", "the session stays open")
        h.expect_eq(app.close(), 0, "exit code")


T.main()
