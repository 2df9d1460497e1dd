# SPDX-License-Identifier: Apache-2.0
"""Shared steps of the fault-injection end-to-end tests (tests/e2e/test_fault_*.py): the
texts and icons the program shows, a reader plugged through a link that survives its pty
vanishing and coming back, and the checks every scenario ends with (no crash, closed within
3 s by the driver, exit code 0)."""

import os
import time

import harness as h
from workflow_support import (EN_KRU, HINT, NO_PORTS, NO_RESPONSE, NOT_FOUND_KRU as NOT_FOUND,  # noqa: F401
                              SETTINGS_READ, SETTINGS_WRITTEN)

ID_COMBO, ID_SEARCH, ID_READ, ID_WRITE = 1, 2, 14, 15
ID_RUSSIAN, ID_ENGLISH, ID_READ_ID = 17, 18, 19
ID_VERSION = 34
ICON_SUCCESS, ICON_WARNING, ICON_ERROR, ICON_QUESTION, ICON_RETRY = 3, 4, 5, 6, 7
CB_SETCURSEL = 0x014E
CBN_SELCHANGE = 1
CARD_CLASS = b"my Child Window"
CLOSE_LIMIT = 3.0  # seconds the driver allows the program to close when no modal box is up

BAD_REPLY = h.ui("The answer could not be recognized!")
INVALID_COMMAND = h.ui("Invalid command!")
SAVE_FAILED = h.ui("Failed to save settings!\nRestart the program.")


def found(port, model="U"):
    text = {"U": "Vireo-4KRU reader found!", "M": "Vireo-4KRM reader found!"}.get(model, "Vireo-4KRU_4KRM reader found!")
    return h.ui("%s\n\r->[%s]" % (text, port))


def error_opening(port):
    return h.ui("Error opening [%s]!" % port)


def connection_broken(port):
    return h.ui("The connection is broken.\n\r(%s disabled!)" % port)


class LinkedReader:
    """A simulated reader whose COM port points at a link the simulator keeps on its current
    pty, so that `vanish` (the pty closed: the reader unplugged) and `back` (a new pty, the
    port and its SERIALCOMM value plugged again) work like pulling and replugging a cable."""

    def __init__(self, env, com, model="U", settings="TMX1DO", extra=()):
        self.env = env
        self.com = com
        self.port = "COM%d" % com
        self.link = os.path.join(env.tmp, "reader-com%d" % com)
        self.sim = env.sim(model=model, settings=settings, extra=("--link", self.link) + tuple(extra))
        env.plug_port(com, self.link)

    def vanish(self):
        """The device goes: its pty closes, the system forgets the port and says so."""
        self.sim.control("vanish")
        h.wait_until(lambda: not os.path.exists(self.link), 10.0, "the reader's link to go")
        self.env.unplug_port(self.com)
        self.env.device_change()

    def back(self):
        self.sim.control("return")
        h.wait_until(lambda: os.path.exists(self.link), 10.0, "the reader's link to return")
        self.env.plug_port(self.com, self.link)
        self.env.device_change()

    def wait_rx(self, data, after=0, timeout=20.0):
        """Waits until the reader has received data (bytes) in one framed command after `after`
        log entries; returns the log length then."""
        def seen():
            log = self.sim.log()
            return any(kind == "RX" and d == data for _, kind, d in log[after:]) and len(log)
        return h.wait_until(seen, timeout, "the reader to receive %r" % data)


def start_found(env, port, model="U"):
    """Starts the program and lets its first search find the reader on port."""
    app = env.start_app()
    app.wait_main_window()
    app.expect_box(SETTINGS_READ, ICON_SUCCESS)
    app.expect_box(found(port, model), ICON_SUCCESS)
    app.settle()
    return app


def boxes_until_idle(app, quiet=1.0, timeout=60.0):
    """Presses OK on every box until the program is idle; returns their (text, icon) in order."""
    return [(text, icon) for _, text, icon in app.settle(quiet=quiet, timeout=timeout)]


def expect_boxes(seen, expected, what):
    h.expect_eq([t for t, _ in seen], [t for t, _ in expected], what + ": texts of the boxes")
    h.expect_eq([i for _, i in seen], [i for _, i in expected], what + ": icons of the boxes")


def select_port(app, index):
    """The user picks entry index of the port combobox (CBN_SELCHANGE follows)."""
    combo = app.main.child(ID_COMBO)
    combo.send(CB_SETCURSEL, index, 0)
    app.main.post(0x0111, (CBN_SELCHANGE << 16) | ID_COMBO, combo.hwnd)


def responsive(app, what):
    """The main window answers a sent message at once (the GUI thread is not stuck)."""
    start = time.monotonic()
    app.main.send(0x0000, 0, 0, 3000)  # WM_NULL
    h.expect(time.monotonic() - start < CLOSE_LIMIT, "%s: the window answered within %.0f s" % (what, CLOSE_LIMIT))


def close_within_limit(app, what):
    """No modal box up: the driver closes the program within 3 s, with exit code 0."""
    h.expect(not app.boxes(), "%s: no message box is up before closing" % what)
    start = time.monotonic()
    app.main.close()
    code = app.wait_exit(CLOSE_LIMIT + 10.0)
    took = time.monotonic() - start
    h.expect_eq(code, 0, "%s: exit code" % what)
    print("%s: closed in %.2f s" % (what, took))
    h.expect(took <= CLOSE_LIMIT, "%s: closed in %.2f s (limit %.0f s)" % (what, took, CLOSE_LIMIT))
    return took


def phantom_port(env, number):
    """A SERIALCOMM value naming COM<number> with no device behind it (opening it fails)."""
    env.boot()
    env.driver.cmd("regset", h.to_hex(h.SERIALCOMM), h.to_hex("\\Device\\Phantom%d" % number), "sz",
                   h.to_hex("COM%d" % number))
    env.plugged.setdefault(number, None)  # the test's own: the harness keeps it


def plug_named(env, number, path, value_name):
    """Hot plug like env.plug_port, under a SERIALCOMM value name of the test's choosing (the
    registry enumerates values in the order of their names)."""
    env.boot()
    link = os.path.join(env.prefix, "dosdevices", "com%d" % number)
    if os.path.lexists(link):
        os.unlink(link)
    os.symlink(path, link)
    env.driver.cmd("regset", h.to_hex(h.SERIALCOMM), h.to_hex(value_name), "sz", h.to_hex("COM%d" % number))
    env.plugged[number] = path


def combo_count(app):
    return app.main.child(ID_COMBO).send(0x0146, 0, 0)  # CB_GETCOUNT
