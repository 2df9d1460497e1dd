# SPDX-License-Identifier: Apache-2.0
"""The serial-line search: the start-up search over the listed COM ports, what is probed, what
is reported and what the page shows afterwards."""

import time

import harness as h
import workflow_support as w

T = h.Tests(__file__)
ENV = []


def env():
    return ENV[0]


def program_events(sim):
    """Opens, commands and closes from the program's first open before a command on."""
    seen = [(k, d) for _, k, d in w.events(sim, ("OPEN", "RX", "CLOSE"))]
    first_rx = next(i for i, (k, _) in enumerate(seen) if k == "RX")
    return seen[first_rx - 1:]


def expect_found_reader(app, port, settings, wiegand58_enabled):
    """After the found box: the port selected, the combobox disabled, the page decoded."""
    items, selected = w.combo(app).combo()
    h.expect_eq(items[selected], port.encode(), "selected port")
    h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled again")
    h.expect(not w.combo(app).enabled, "the combobox is disabled while the port is open")
    h.expect_eq(w.version_text(app), b"1.10", "version value")
    h.expect_eq(w.checked_kru_radios(app.main), w.kru_checked_ids(settings), "checked radios")
    h.expect_eq(app.main.child(6).enabled, wiegand58_enabled, "\"Wiegand 58\" enabled")


@T.case("COM1 silent, KRU on COM3: COM1 probed and passed over, the KRU reader found on COM3")
def _():
    with w.scenario(env()) as ports:
        silent = ports.sim(1, model="U", extra=["--silent"])
        sim = ports.sim(3, model="U", settings="W441SO")
        app = w.start(env())
        popup = w.wait_popup(app, h.ui("Search for Vireo-4KRU_4KRM reader"), 100)
        shown = time.monotonic()
        w.wait_gone(popup)
        h.expect(time.monotonic() - shown > 0.5, "the search popup shows for its 100 ticks")

        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRU reader found!", "COM3"), w.ICON_SUCCESS)
        expect_found_reader(app, "COM3", "W441SO", False)
        h.expect_eq(w.combo(app).combo()[0], [b"COM1", b"COM3"], "listed ports")

        # COM1: opened, probed once, closed by the reset; then COM3, which stays open. (Whatever
        # opened the ports before the program started is left out.)
        h.expect_eq(program_events(silent), [("OPEN", silent.pty.encode()), ("RX", b"AT+READS_KRX"),
                                             ("CLOSE", silent.pty.encode())], "what COM1 saw")
        h.expect_eq(program_events(sim), [("OPEN", sim.pty.encode()), ("RX", b"AT+READS_KRX")], "what COM3 saw")
        # COM1 costs its 140 ms pause, the 500 ms wait and one 60 ms empty read before COM3.
        gap = w.sim_times(sim, "RX", b"AT+READS_KRX")[0] - w.sim_times(silent, "RX", b"AT+READS_KRX")[0]
        h.expect(gap >= 0.65, "COM3 probed %.3f s after COM1" % gap)
        app.expect_no_box(0.5)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("KRM on COM2: its own found text, and \"Wiegand 58\" offered at firmware 1.10")
def _():
    with w.scenario(env()) as ports:
        ports.sim(2, model="M", settings="W580AF")
        app = w.start(env())
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRM reader found!", "COM2"), w.ICON_SUCCESS)
        expect_found_reader(app, "COM2", "W580AF", True)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("a reader that names no model gets the family's found text")
def _():
    with w.scenario(env()) as ports:
        ports.sim(4, model="X", settings="TMX1DO")
        app = w.start(env())
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRU_4KRM reader found!", "COM4"), w.ICON_SUCCESS)
        expect_found_reader(app, "COM4", "TMX1DO", False)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("a reader naming another model letter still gets the family's found text, not a bare port name")
def _():
    with w.scenario(env()) as ports:
        sim = ports.sim(4, model="U", settings="TMX1DO")
        sim.control("raw " + (b"\n\rAT+READS_KRZ - OK! >> 1.10W261SF").hex())
        sim.wait_log(lambda _: any(k == "CTL" for _, k, _ in w.events(sim, ("CTL",))), 5, "the raw reply armed")
        app = w.start(env())
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRU_4KRM reader found!", "COM4"), w.ICON_SUCCESS)
        expect_found_reader(app, "COM4", "W261SF", False)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("firmware 2.10 on COM2 is passed over; the KRM reader on COM3 is found")
def _():
    with w.scenario(env()) as ports:
        old = ports.sim(2, model="U", firmware="2.10", settings="W261SF")
        ports.sim(3, model="M", settings="TMX0AF")
        app = w.start(env())
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.FIRMWARE_REFUSED, w.ICON_ERROR)
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRM reader found!", "COM3"), w.ICON_SUCCESS)
        expect_found_reader(app, "COM3", "TMX0AF", True)
        h.expect_eq(old.rx(), b"AT+READS_KRX", "the refused reader was probed once")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("no reader on any port: both not-found boxes, the combobox enabled, no port open")
def _():
    with w.scenario(env()) as ports:
        first = ports.quiet(1)
        second = ports.quiet(5)
        app = w.start(env())
        app.expect_box(w.NOT_FOUND_KRU, w.ICON_ERROR)
        app.expect_box(w.HINT, w.ICON_QUESTION)
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect(w.combo(app).enabled, "the combobox is enabled")
        h.expect_eq(w.combo(app).combo(), ([b"COM1", b"COM5"], 0), "listed ports")
        h.expect_eq(w.version_text(app), b"x.xx", "version value")
        h.expect_eq((first.data(), second.data()), (b"AT+READS_KRX", b"AT+READS_KRX"), "each port probed once")
        app.expect_no_box(0.5)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("no COM port at all: the single empty entry and the no-ports box")
def _():
    with w.scenario(env()):
        app = w.start(env())
        app.expect_box(w.NO_PORTS, w.ICON_WARNING)
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect_eq(w.combo(app).combo(), ([b""], 0), "the port list")
        h.expect(w.combo(app).enabled, "the combobox is enabled")
        app.expect_no_box(0.5)

        # Choosing the empty entry reports the same and opens nothing.
        w.select_port(app, 0)
        app.expect_box(w.NO_PORTS, w.ICON_WARNING)
        h.expect_eq(app.close(), 0, "exit code")


with h.Env(config=w.EN_KRU, name="workflow-search") as shared:
    ENV.append(shared)
    shared.boot()
    T.main()
