#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Ports that fail: the reader's port taken by another program while the program reopens it
after a device change, and then on READ; a registered port whose device does not exist; 60
ports of which 59 never answer (the search completes; its time is printed). Each scenario ends
with the program closed within 3 s and exit code 0."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402

T = h.Tests(__file__)
NOT_FOUND_BOXES = [(f.NOT_FOUND, f.ICON_ERROR), (f.HINT, f.ICON_QUESTION)]
FOUND3 = [(f.SETTINGS_READ, f.ICON_SUCCESS), (f.found("COM3"), f.ICON_SUCCESS)]


@T.case("the port taken by another program: reopening after a device change, then READ and the choice by hand")
def _():
    with h.Env(config=f.EN_KRU) as env, h.unprivileged_wineserver(env):
        sim = env.sim(model="U", com=3, hot=True)
        app = f.start_found(env, "COM3")
        with h.held_exclusively(sim.pty):
            # Some device changed: the program closes its port, and after its pause another
            # program has it.
            env.device_change()
            f.expect_boxes(f.boxes_until_idle(app, quiet=3.5), [(f.error_opening("COM3"), f.ICON_ERROR)],
                           "reopened port taken")
            h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", "the session was reset")
            # READ with no port open searches; the held port cannot be probed.
            app.main.child(f.ID_READ).click()
            f.expect_boxes(f.boxes_until_idle(app), NOT_FOUND_BOXES, "READ while the port is taken")
            f.select_port(app, 0)
            f.expect_boxes(f.boxes_until_idle(app), [(f.error_opening("COM3"), f.ICON_ERROR)],
                           "the taken port chosen by hand")
            f.responsive(app, "taken port")
        # Let go: READ searches and finds the reader.
        app.main.child(f.ID_READ).click()
        f.expect_boxes(f.boxes_until_idle(app), FOUND3, "READ after the port was let go")
        f.close_within_limit(app, "taken port")


@T.case("a registered port whose device does not exist")
def _():
    with h.Env(config=f.EN_KRU) as env:
        f.phantom_port(env, 2)
        app = env.start_app()
        app.wait_main_window()
        f.expect_boxes(f.boxes_until_idle(app), NOT_FOUND_BOXES, "phantom port alone")
        h.expect_eq(f.combo_count(app), 1, "the phantom is listed")
        f.select_port(app, 0)
        f.expect_boxes(f.boxes_until_idle(app), [(f.error_opening("COM2"), f.ICON_ERROR)], "phantom chosen by hand")
        # A reader on COM3 appears: the search skips the phantom without a word and finds it.
        env.sim(model="U", com=3, hot=True)
        env.device_change()
        f.expect_boxes(f.boxes_until_idle(app, quiet=3.5), FOUND3, "reader beside the phantom")
        f.close_within_limit(app, "phantom port")


@T.case("registry names of every shape beside a reader: the search skips them and finds it")
def _():
    with h.Env(config=f.EN_KRU) as env:
        sim = env.sim(model="U", com=3, hot=True)
        app = f.start_found(env, "COM3")
        # Written after the start (the harness drops values it did not plug when it starts
        # the program); SEARCH then lists them.
        weird = {
            "\\Device\\Long": b"COM" + b"9" * 300,        # a number far past any int
            "\\Device\\Empty": b"",                     # an empty name
            "\\Device\\Word": b"Serial port A",          # no number at all: COM0
            "\\Device\\Minus": b"COM-5",
            "\\Device\\Wide": b"COM\xb9\xff4",          # 8-bit characters
        }
        for name, data in weird.items():
            env.driver.cmd("regset", h.to_hex(h.SERIALCOMM), h.to_hex(name), "sz", h.to_hex(data))
        env.driver.cmd("regset", h.to_hex(h.SERIALCOMM), h.to_hex("\\Device\\Binary"), "binary", h.to_hex(b"COM4"))
        app.main.child(f.ID_SEARCH).click()
        f.expect_boxes(f.boxes_until_idle(app, timeout=120.0), FOUND3, "weird registry names")
        h.expect_eq(f.combo_count(app), 6, "five REG_SZ names and the reader's are listed")
        h.expect_eq(sim.rx(), b"AT+READS_KRX" * 2, "the reader got one probe per search")
        f.responsive(app, "weird registry names")
        f.close_within_limit(app, "weird registry names")


@T.case("60 ports of which 59 never answer: the search completes")
def _():
    with h.Env(config=f.EN_KRU) as env:
        # The registry lists values in the order of their names: the reader's value name comes
        # first, so it is among the 50 entries the sort keeps; with the highest number it is
        # probed last, after 49 silent ports.
        sim = env.sim(model="U")
        f.plug_named(env, 60, sim.pty, "\\Device\\AReader60")
        for number in range(1, 60):
            env.pty(com=number, hot=True)
        h.expect_eq(len(env.serial_ports()), 60, "ports registered")
        start = time.monotonic()
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(f.SETTINGS_READ, f.ICON_SUCCESS, timeout=180.0)
        took = time.monotonic() - start
        app.expect_box(f.found("COM60"), f.ICON_SUCCESS)
        log = sim.log()
        h.expect_eq(sim.rx(), b"AT+READS_KRX", "the reader got one probe")
        h.expect_eq(f.combo_count(app), 50, "entries kept by the sort")
        h.expect_eq(app.main.child(f.ID_COMBO).send(0x0147, 0, 0), 49, "the reader's port, the last entry, is selected")
        print("MEASURE search_60_ports_s %.1f (start of the program to the reader's settings read, "
              "49 silent ports probed first)" % took)
        f.responsive(app, "60 ports")
        f.close_within_limit(app, "60 ports")


T.main()
