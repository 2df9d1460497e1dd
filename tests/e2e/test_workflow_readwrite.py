# SPDX-License-Identifier: Apache-2.0
"""READ, WRITE and SEARCH on an open port and without one, choosing a port by hand, a port held
by another program, and a reader that stops answering."""

import time

import harness as h
import workflow_support as w

T = h.Tests(__file__)
ENV = []

READING = h.ui("Reading Vireo-4KRU_4KRM settings")
WRITING = h.ui("Writing Vireo-4KRU_4KRM settings")
SEARCHING = h.ui("Search for Vireo-4KRU_4KRM reader")


def env():
    return ENV[0]


def find_reader(app, port, model_text="Vireo-4KRU reader found!"):
    app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
    app.expect_box(w.found(model_text, port), w.ICON_SUCCESS)
    h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")


def expect_not_found(app):
    app.expect_box(w.NOT_FOUND_KRU, w.ICON_ERROR)
    app.expect_box(w.HINT, w.ICON_QUESTION)
    h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")


def press(app, control_id):
    app.main.child(control_id).click()


def search_popup_with_stale_list(app, items):
    """A search started without a session reset: the list is not refreshed before it runs."""
    popup = w.wait_popup(app, SEARCHING, 100)
    h.expect_eq(w.combo(app).combo()[0], items, "the port list while the search waits")
    w.wait_gone(popup)


@T.case("READ and WRITE on the open port: two ticks of 500 ms, the bytes on the wire, the reader changed")
def _():
    with w.scenario(env()) as ports:
        sim = ports.sim(3, model="U", settings="TMX1DO")
        app = w.start(env())
        find_reader(app, "COM3")

        press(app, w.ID_READ)
        popup = w.wait_popup(app, READING, 2)
        h.wait_until(lambda: sim.rx() == b"AT+READS_KRX" * 2, 2, "the query on the wire while the popup shows")
        w.wait_gone(popup, 5)
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        shown = time.monotonic()
        query = w.sim_times(sim, "RX", b"AT+READS_KRX")[-1]
        # Two 500 ms ticks, then the 500 ms wait and the 60 ms of silence that ends the reply.
        h.expect(shown - query >= 1.5, "the reply is judged %.3f s after the query" % (shown - query))
        h.expect_eq(w.checked_kru_radios(app.main), w.kru_checked_ids("TMX1DO"), "the page after READ")

        for radio in (5, 8, 10, 12):  # Wiegand 44, Inverse, Static, On
            press(app, radio)
        h.wait_until(lambda: w.checked_kru_radios(app.main) == [5, 8, 10, 12], 5, "the new choices")
        press(app, w.ID_WRITE)
        popup = w.wait_popup(app, WRITING, 2)
        w.wait_gone(popup, 5)
        app.expect_box(w.SETTINGS_WRITTEN, w.ICON_SUCCESS)
        h.expect(sim.rx().endswith(b"AT+READS_KRXAT+W440SO"), "the 9-byte write command: %r" % sim.rx())

        press(app, w.ID_READ)
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        h.expect(b">> 1.10W440SO" in sim.tx(), "the reader keeps the written settings: %r" % sim.tx())
        h.expect_eq(w.checked_kru_radios(app.main), [5, 8, 10, 12], "the page after reading them back")
        h.expect(not w.combo(app).enabled, "the combobox stays disabled")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("READ, WRITE and Read ID without an open port search without a reset; SEARCH resets; a silent reader")
def _():
    with w.scenario(env()) as ports:
        ports.quiet(1)
        app = w.start(env())
        expect_not_found(app)

        # READ with no port: the reader plugged meanwhile is not listed until the search runs.
        sim = ports.sim(3, model="U", settings="TMX1DO")
        press(app, w.ID_READ)
        search_popup_with_stale_list(app, [b"COM1"])
        find_reader(app, "COM3")
        h.expect_eq(w.version_text(app), b"1.10", "version value")

        # SEARCH on the open port: reset first (port closed, "x.xx"), then the search finds it again.
        press(app, w.ID_SEARCH)
        popup = w.wait_popup(app, SEARCHING, 100)
        h.expect_eq(w.version_text(app), b"x.xx", "version value after the reset")
        h.expect(w.combo(app).enabled, "the combobox is enabled once the port is closed")
        w.wait_gone(popup)
        find_reader(app, "COM3")

        # The reader stops answering: READ ends in the retry box and the session is reset.
        sim.control("silent on")
        press(app, w.ID_READ)
        w.wait_gone(w.wait_popup(app, READING, 2), 5)
        app.expect_box(w.NO_RESPONSE, w.ICON_RETRY)
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect(w.combo(app).enabled, "the combobox is enabled again")
        h.expect_eq(w.version_text(app), b"x.xx", "version value after the reset")

        # WRITE with no port: COM3 unplugged meanwhile is still listed until the search runs.
        env().unplug_port(3)
        press(app, w.ID_WRITE)
        search_popup_with_stale_list(app, [b"COM1", b"COM3"])
        expect_not_found(app)
        h.expect_eq(w.combo(app).combo()[0], [b"COM1"], "the list after the search")

        # Read ID with no port: the same.
        ports.sim(3, model="M", settings="TMX1DO")
        app.main.command(w.ID_READ_ID)
        search_popup_with_stale_list(app, [b"COM1"])
        find_reader(app, "COM3", "Vireo-4KRM reader found!")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("choosing ports by hand: one that cannot be opened, a silent one, the reader's")
def _():
    with w.scenario(env()) as ports:
        silent = ports.quiet(1)
        # Listed but not openable, as a port another program holds. (Wine does not refuse a
        # second open of a serial device, so the device is simply missing here.)
        ports.value("\\Device\\Serial6", "COM7")
        app = w.start(env())
        expect_not_found(app)
        h.expect_eq(w.combo(app).combo()[0], [b"COM1", b"COM7"], "the list after the search")
        sim = ports.sim(3, model="U", settings="W261SF")

        w.select_port(app, 1)  # COM7: the open fails, the list is refreshed
        app.expect_box(h.ui("Error opening [COM7]!"), w.ICON_ERROR)
        h.wait_until(lambda: w.combo(app).combo()[0] == [b"COM1", b"COM3", b"COM7"], 5, "the refreshed list")
        h.expect(w.combo(app).enabled, "the combobox is enabled")
        app.expect_no_box(0.3)

        w.select_port(app, 0)  # COM1: opened and queried; a reader is expected to answer
        w.wait_gone(w.wait_popup(app, READING, 2), 5)
        app.expect_box(w.NO_RESPONSE, w.ICON_RETRY)
        h.expect_eq(silent.data(), b"AT+READS_KRX" * 2, "COM1 got the probe and the query")
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect(w.combo(app).enabled, "the combobox is enabled")
        h.expect_eq(w.version_text(app), b"x.xx", "version value")

        w.select_port(app, 1)  # COM3
        popup = w.wait_popup(app, READING, 2)
        h.expect(not w.combo(app).enabled, "the combobox is disabled once the port is open")
        w.wait_gone(popup, 5)
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect_eq(sim.rx(), b"AT+READS_KRX", "COM3 got the query")
        h.expect_eq(w.checked_kru_radios(app.main), w.kru_checked_ids("W261SF"), "the page")
        h.expect_eq(w.version_text(app), b"1.10", "version value")
        h.expect(not w.combo(app).enabled, "the combobox stays disabled")
        h.expect_eq(app.close(), 0, "exit code")


with h.Env(config=w.EN_KRU, name="workflow-readwrite") as shared:
    ENV.append(shared)
    shared.boot()
    T.main()
