#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""The reader vanishes (its pty closes, the system forgets its port and broadcasts the device
change) in the middle of a read, of a write, of a probe during a search, and while the card
window is open. The program reports the broken session, stays responsive, never crashes; when
the reader comes back, a search finds it again; the program then closes within 3 s with exit
code 0."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402

T = h.Tests(__file__)
FOUND = [(f.SETTINGS_READ, f.ICON_SUCCESS), (f.found("COM3"), f.ICON_SUCCESS)]
# The read's own verdict and the hot-plug step's: which comes first depends on whether the
# settle step (2 s after the device change) runs before or during the read's box.
BROKEN = {(f.NO_RESPONSE, f.ICON_RETRY), (f.connection_broken("COM3"), f.ICON_ERROR)}


def expect_broken(seen, what, required):
    print("%s: boxes %r" % (what, [t for t, _ in seen]))
    texts = set(seen)
    h.expect(texts <= BROKEN, "%s: only the broken-session messages (got %r)" % (what, seen))
    h.expect(required in texts, "%s: %r was shown (got %r)" % (what, required[0], seen))
    h.expect(len(seen) == len(texts), "%s: no message twice (got %r)" % (what, seen))


def comes_back(app, reader, what):
    """The reader is plugged in again: the device change starts a search that finds it."""
    reader.sim.control("normal")
    reader.back()
    f.expect_boxes(f.boxes_until_idle(app, quiet=3.0), FOUND, what + ", reader back")
    h.expect_eq(app.main.child(f.ID_VERSION).text, b"1.10", what + ": version label after the search")
    h.expect(not app.main.child(f.ID_COMBO).enabled, what + ": the port is open again")


def vanish_during(command, what, settings_written=False):
    with h.Env(config=f.EN_KRU) as env:
        reader = f.LinkedReader(env, 3)
        app = f.start_found(env, "COM3")
        # The reply would come late: the reader is gone before it answers.
        reader.sim.control("late 1500")
        mark = len(reader.sim.log())
        app.main.child(command).click()
        reader.wait_rx(b"AT+READS_KRX" if command == f.ID_READ else b"AT+TMX1DO", after=mark)
        reader.vanish()
        expect_broken(f.boxes_until_idle(app, quiet=3.5), what, (f.NO_RESPONSE, f.ICON_RETRY))
        f.responsive(app, what)
        h.expect(app.main.child(f.ID_COMBO).enabled, what + ": the port list is enabled")
        h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", what + ": the session was reset")
        comes_back(app, reader, what)
        f.close_within_limit(app, what)


@T.case("the reader vanishes in the middle of a read")
def _():
    vanish_during(f.ID_READ, "read")


@T.case("the reader vanishes in the middle of a write")
def _():
    vanish_during(f.ID_WRITE, "write")


@T.case("the reader vanishes in the middle of a probe during a search")
def _():
    with h.Env(config=f.EN_KRU) as env:
        reader = f.LinkedReader(env, 3, extra=("--late", "1500"))
        app = env.start_app()
        app.wait_main_window()
        reader.wait_rx(b"AT+READS_KRX")
        reader.vanish()
        seen = f.boxes_until_idle(app, quiet=3.5)
        f.expect_boxes(seen, [(f.NOT_FOUND, f.ICON_ERROR), (f.HINT, f.ICON_QUESTION)], "probe")
        f.responsive(app, "probe")
        comes_back(app, reader, "probe")
        f.close_within_limit(app, "probe")


@T.case("the reader vanishes while the card window is open")
def _():
    with h.Env(config=f.EN_KRU) as env:
        reader = f.LinkedReader(env, 3)
        app = f.start_found(env, "COM3")
        app.main.command(f.ID_READ_ID)
        card = h.wait_until(lambda: app.windows(f.CARD_CLASS), 20.0, "the card window")[0]
        h.expect(not app.main.enabled, "the main window is disabled under the card window")
        reader.vanish()
        box = app.expect_box(f.connection_broken("COM3"), f.ICON_ERROR, timeout=20.0)
        h.expect(card.exists(), "the card window stays open")
        f.responsive(app, "card window")
        card.sys_close()
        h.wait_until(lambda: not card.exists(), 10.0, "the card window to close")
        h.wait_until(lambda: app.main.enabled, 10.0, "the main window to be enabled")
        h.expect_eq(f.boxes_until_idle(app), [], "card window: nothing else shown")
        h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", "card window: the session was reset")
        comes_back(app, reader, "card window")
        f.close_within_limit(app, "card window")


@T.case("the USB reader unplugged while its port is open, then plugged in again")
def _():
    usb_found = [(h.ui("Vireo-4-USB reader found!\n\r->[COM5]"), f.ICON_SUCCESS), (f.SETTINGS_READ, f.ICON_SUCCESS)]
    with h.Env(config=h.config_file("EN", "USB_USB")) as env:
        reader = f.LinkedReader(env, 5, model="B", settings="WHDH5EM")
        env.add_usb("FAULT0001", "COM5")
        app = env.start_app()
        app.wait_main_window()
        f.expect_boxes(f.boxes_until_idle(app), usb_found, "USB reader at start-up")
        # Unplugged: the device and its port go together.
        env.remove_usb("FAULT0001")
        reader.vanish()
        f.expect_boxes(f.boxes_until_idle(app, quiet=3.5),
                       [(h.ui("Connection broken.\n\r(Vireo-4-USB disabled!)"), f.ICON_ERROR)], "USB reader unplugged")
        h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", "USB reader unplugged: the session was reset")
        f.responsive(app, "USB reader unplugged")
        # Plugged in again: the device change finds it by its USB identity and reads it.
        reader.sim.control("return")
        h.wait_until(lambda: os.path.exists(reader.link), 10.0, "the reader's link to return")
        env.plug_port(5, reader.link)
        env.add_usb("FAULT0001", "COM5")
        env.device_change()
        f.expect_boxes(f.boxes_until_idle(app, quiet=3.5), usb_found, "USB reader plugged in again")
        f.close_within_limit(app, "USB reader")


@T.case("the reader pulled out before a READ, the system not told yet")
def _():
    with h.Env(config=f.EN_KRU) as env:
        reader = f.LinkedReader(env, 3)
        app = f.start_found(env, "COM3")
        reader.sim.control("vanish")
        h.wait_until(lambda: not os.path.exists(reader.link), 10.0, "the reader's link to go")
        app.main.child(f.ID_READ).click()
        # The write fails at once: the system's error box, then the session ends.
        seen = f.boxes_until_idle(app)
        print("pulled out: boxes %r" % [t for t, _ in seen])
        h.expect(len(seen) == 1 and seen[0][0].startswith(h.ui("Error [")) and
                 seen[0][0].endswith(h.ui("] when writing to the COM port!")), "the write error box (got %r)" % seen)
        h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", "pulled out: the session was reset")
        f.responsive(app, "pulled out")
        # Back in the same port: READ with no port open searches and finds it.
        reader.sim.control("return")
        h.wait_until(lambda: os.path.exists(reader.link), 10.0, "the reader's link to return")
        app.main.child(f.ID_READ).click()
        f.expect_boxes(f.boxes_until_idle(app), FOUND, "pulled out, READ after the return")
        f.close_within_limit(app, "pulled out")


T.main()
