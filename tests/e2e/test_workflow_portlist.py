# SPDX-License-Identifier: Apache-2.0
"""The port combobox as the search leaves it: numeric order, the first 50 ports, duplicates,
port numbers of three digits."""

import harness as h
import workflow_support as w

T = h.Tests(__file__)
ENV = []


def env():
    return ENV[0]


def listed_after_search(app):
    w.wait_gone(w.wait_popup(app, h.ui("Search for Vireo-4KRU_4KRM reader"), 100))
    return w.combo(app)


@T.case("registry order COM10, COM3, COM1 is listed as COM1, COM3, COM10; a duplicate twice")
def _():
    with w.scenario(env()) as ports:
        # Ports with no device behind them: the search opens none and finds nothing.
        ports.value("\\Device\\Serial9", "COM10")
        ports.value("\\Device\\Serial2", "COM3")
        ports.value("\\Device\\Serial0", "COM1")
        ports.value("\\Device\\Twin", "COM3")
        app = w.start(env())
        app.expect_box(w.NOT_FOUND_KRU, w.ICON_ERROR)
        app.expect_box(w.HINT, w.ICON_QUESTION)
        h.expect_eq(w.combo(app).combo(), ([b"COM1", b"COM3", b"COM3", b"COM10"], 0), "the port list")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("60 listed ports: the first 50 in the registry's order are kept, sorted")
def _():
    with w.scenario(env()) as ports:
        for n in range(60, 0, -1):
            ports.value("\\Device\\Serial%d" % n, "COM%d" % n)
        enumerated = [v.rstrip(b"\0").decode() for v in env().serial_ports().values()]
        h.expect_eq(len(enumerated), 60, "registry values")
        expected = ["COM%d" % n for n in sorted(int(name[3:]) for name in enumerated[:50])]
        app = w.start(env())
        app.expect_box(w.NOT_FOUND_KRU, w.ICON_ERROR)
        app.expect_box(w.HINT, w.ICON_QUESTION)
        items, selected = w.combo(app).combo()
        h.expect_eq([i.decode() for i in items], expected, "the port list")
        h.expect_eq(selected, 0, "selection")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("COM123: found, listed and read like any other port")
def _():
    with w.scenario(env()) as ports:
        ports.value("\\Device\\Serial1", "COM2")
        sim = ports.sim(123, model="U", settings="W261SF")
        app = w.start(env())
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        app.expect_box(w.found("Vireo-4KRU reader found!", "COM123"), w.ICON_SUCCESS)
        h.wait_until(lambda: app.main.enabled, 10, "the main window to be enabled")
        h.expect_eq(w.combo(app).combo(), ([b"COM2", b"COM123"], 1), "the port list and selection")
        app.main.child(w.ID_READ).click()
        app.expect_box(w.SETTINGS_READ, w.ICON_SUCCESS)
        h.expect_eq(sim.rx(), b"AT+READS_KRX" * 2, "probe and query on COM123")
        h.expect_eq(w.checked_kru_radios(app.main), w.kru_checked_ids("W261SF"), "the page")
        h.expect_eq(app.close(), 0, "exit code")


with h.Env(config=w.EN_KRU, name="workflow-portlist") as shared:
    ENV.append(shared)
    shared.boot()
    T.main()
