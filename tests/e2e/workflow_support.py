# SPDX-License-Identifier: Apache-2.0
"""Shared steps of the search, read and write end-to-end tests (tests/e2e/test_workflow_*.py).

One Env serves a whole test file: each scenario plugs the ports it needs (hot plug: a
dosdevices link and a SERIALCOMM value), starts the program, drives it and closes it again.
"""

import contextlib
import threading
import time

import harness as h

PROGRESS_CLASS = b"msctls_progress32"
PBM_GETRANGE = 0x0407
PBM_GETPOS = 0x0408
PBS_SMOOTH = 0x01
WS_CHILD = 0x40000000
WS_POPUP = 0x80000000
CB_SETCURSEL = 0x014E
CBN_SELCHANGE = 1
SCREEN_W, SCREEN_H = 1280, 1024

ID_COMBO, ID_SEARCH, ID_READ, ID_WRITE, ID_READ_ID = 1, 2, 14, 15, 19
ID_VERSION = 34
ICON_SUCCESS, ICON_WARNING, ICON_ERROR, ICON_QUESTION, ICON_RETRY = 3, 4, 5, 6, 7

# The KRU/KRM page: interface 3..6, indication 7..8, standby 9..11, touch poll 12..13.
KRU_RADIOS = {
    "TMX": 3, "W26": 4, "W44": 5, "W58": 6, "1": 7, "0": 8, "D": 9, "S": 10, "A": 11, "O": 12, "F": 13,
}
KRU_GROUPS = [(3, 6), (7, 8), (9, 11), (12, 13)]

NOT_FOUND_KRU = h.ui("Vireo-4KRU_4KRM not found!")
NOT_FOUND_USB = h.ui("Vireo-4-USB not found!")
HINT = h.ui("If you are sure that the reader is connected to the PC,\nselect a COM port from the list!")
NO_PORTS = h.ui("No COM ports found in the system!")
SETTINGS_READ = h.ui("Settings read!")
SETTINGS_WRITTEN = h.ui("Settings recorded!")
FIRMWARE_REFUSED = h.ui("Firmware version not supported!")
NO_RESPONSE = h.ui("The reader did not respond!\n(Try again or a different COM port).")
EN_KRU = h.config_file("EN", "KRU_KRM")
EN_USB = h.config_file("EN", "USB_USB")


def found(text, port):
    return h.ui("%s\n\r->[%s]" % (text, port))


def kru_checked_ids(settings):
    """The radios a KRU/KRM settings string checks, e.g. "W441SO" -> [5, 7, 10, 12]."""
    return [KRU_RADIOS[settings[0:3]], KRU_RADIOS[settings[3]], KRU_RADIOS[settings[4]], KRU_RADIOS[settings[5]]]


def checked_kru_radios(main):
    return [i for first, last in KRU_GROUPS for i in range(first, last + 1) if main.child(i).check == 1]


class Listener:
    """A port nobody answers on, whose received bytes are timestamped (time.monotonic)."""

    def __init__(self, port):
        self.port = port
        self.received = []
        self._stop = False
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        while not self._stop and self.port.master is not None:
            try:
                data = self.port.read(0.05)
            except (OSError, TypeError):
                break
            if data:
                self.received.append((time.monotonic(), data))

    def data(self):
        return b"".join(d for _, d in self.received)

    def first_time(self):
        return self.received[0][0] if self.received else None

    def stop(self):
        self._stop = True
        self._thread.join(2)


class Ports:
    """The COM ports of one scenario, plugged while the prefix runs and unplugged afterwards."""

    def __init__(self, env):
        self.env = env
        self.sims = {}
        self.silent = {}
        self.values = []
        self.bare = []

    def sim(self, com, model="U", firmware="1.10", settings="TMX1DO", extra=()):
        before = time.monotonic()
        sim = self.env.sim(model=model, firmware=firmware, settings=settings, com=com, hot=True, extra=extra)
        # The simulator's log counts from its own start, somewhere in this interval.
        sim.started = (before + time.monotonic()) / 2
        self.sims[com] = sim
        return sim

    def quiet(self, com):
        port = self.env.pty(com=com, hot=True)
        self.silent[com] = Listener(port)
        return self.silent[com]

    def value(self, name, port):
        """A SERIALCOMM value alone, with no device behind it (opening it fails)."""
        self.env.boot()
        self.env.driver.cmd("regset", h.to_hex(h.SERIALCOMM), h.to_hex(name), "sz", h.to_hex(port))
        self.values.append(name)
        # Marked as the test's own, so the harness does not drop it as one of the machine's.
        number = int(port[3:])
        if number not in self.env.plugged:
            self.env.plugged[number] = None
            self.bare.append(number)

    def clear(self):
        for name in self.values:
            try:
                self.env.driver.cmd("regdel", h.to_hex(h.SERIALCOMM), h.to_hex(name))
            except h.DriverError:
                pass
        self.values = []
        for number in self.bare:
            self.env.plugged.pop(number, None)
        self.bare = []
        for com in list(self.env.plugged):
            self.env.unplug_port(com)
        for listener in self.silent.values():
            listener.stop()
            listener.port.stop()
        for sim in self.sims.values():
            sim.stop()
        self.sims, self.silent = {}, {}


@contextlib.contextmanager
def scenario(env):
    """Ports for one scenario; whatever happens, they are unplugged afterwards and every
    program the scenario started is ended."""
    ports = Ports(env)
    started = len(env.apps) if hasattr(env, "apps") else 0
    try:
        yield ports
    finally:
        for app in getattr(env, "apps", [])[started:]:
            try:
                if app.running():
                    app.kill()
            except Exception:
                pass
        ports.clear()


def start(env):
    app = env.start_app()
    app.wait_main_window()
    return app


def wait_popup(app, caption, ticks, timeout=20.0):
    """The progress popup: checks class, caption, style, place, owner, range and that the main
    window is disabled; returns the popup Window."""
    popup = h.wait_until(lambda: app.windows(PROGRESS_CLASS), timeout, "the progress popup %r" % caption)[0]
    info = popup.info()
    h.expect_eq(info["text"], caption, "caption of the progress popup")
    h.expect(info["style"] & h.WS_VISIBLE and info["style"] & PBS_SMOOTH, "popup style %#x" % info["style"])
    h.expect(not info["style"] & (WS_CHILD | WS_POPUP), "popup is top-level: style %#x" % info["style"])
    left, top, right, bottom = info["rect"]
    h.expect_eq((right - left, bottom - top), (291, 50), "size of the popup")
    h.expect_eq((left, top), (SCREEN_W // 2 - 148, SCREEN_H // 2 - 25), "place of the popup")
    h.expect_eq(int(info["owner"], 16), int(app.main.hwnd, 16), "owner of the popup")
    h.expect_eq(popup.send(PBM_GETRANGE, 0, 0), ticks, "upper limit of the bar")
    h.expect(not app.main.enabled, "the main window is disabled while the popup shows")
    return popup


def wait_gone(window, timeout=20.0, what="the progress popup to go"):
    h.wait_until(lambda: not window.exists(), timeout, what)


def combo(app):
    return app.main.child(ID_COMBO)


def version_text(app):
    return app.main.child(ID_VERSION).text


def select_port(app, index):
    """The user picks entry `index` of the port combobox."""
    combo(app).send(CB_SETCURSEL, index, 0)
    app.main.command(ID_COMBO, CBN_SELCHANGE)


def sim_times(sim, kind, data):
    """Monotonic times (approximate, from the simulator's own clock) of its log entries."""
    return [sim.started + ms / 1000.0 for ms, k, d in sim.log() if k == kind and data in d]


def events(sim, tags=("OPEN", "RX", "TX", "CLOSE")):
    """Every log line of the simulator with one of `tags`: (ms, tag, bytes)."""
    entries = []
    try:
        with open(sim.log_path, encoding="latin-1") as f:
            for line in f:
                parts = line.rstrip("\n").split(" ", 2)
                if len(parts) >= 2 and parts[1] in tags:
                    entries.append((int(parts[0]), parts[1], h._unescape(parts[2] if len(parts) > 2 else "")))
    except FileNotFoundError:
        pass
    return entries
