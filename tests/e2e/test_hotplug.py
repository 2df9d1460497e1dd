# SPDX-License-Identifier: Apache-2.0
"""Devices coming and going while the program runs: the settle timer after a device-change
broadcast, the quiet reopen of a port that is still there, the broken connection of one that
went, the search when a reader may have appeared, and the settle step held back while a
search, a read or a message box is under way."""

import os
import time

import harness as h

T = h.Tests(__file__)

EN_KRU = h.config_file("EN", "KRU_KRM")
EN_USB = h.config_file("EN", "USB_USB")
PROGRESS_CLASS = b"msctls_progress32"
ID_COMBO, ID_READ, ID_ENGLISH, ID_VERSION = 1, 14, 18, 34
KRU_RADIOS = range(3, 14)
ICON_SUCCESS, ICON_WARNING, ICON_ERROR, ICON_QUESTION = 3, 4, 5, 6
SAVE_FAILED = h.ui("Failed to save settings!\nRestart the program.")
HINT = h.ui("If you are sure that the reader is connected to the PC,\nselect a COM port from the list!")


def port_events(sim):
    """The reader's OPEN and CLOSE log lines as (ms, tag): when the program took and let go
    of the port."""
    events = []
    with open(sim.log_path, encoding="latin-1") as f:
        for line in f:
            parts = line.rstrip("\n").split(" ", 2)
            if len(parts) >= 2 and parts[1] in ("OPEN", "CLOSE"):
                events.append((int(parts[0]), parts[1]))
    return events


def queries(sim):
    return [data for _, kind, data in sim.log() if kind == "RX"]


def wait_new_events(sim, already, count, timeout, what):
    """Waits until `count` port events follow the first `already`; returns them, each with the
    moment (time.monotonic) it was first seen in the log."""
    seen = []

    def arrived():
        events = port_events(sim)[already:]
        while len(seen) < len(events):
            seen.append((time.monotonic(),) + events[len(seen)])
        return len(seen) >= count
    h.wait_until(arrived, timeout, what, interval=0.02)
    return seen


def progress_popups(app):
    return app.windows(PROGRESS_CLASS)


def version(app):
    return app.main.child(ID_VERSION).text


def radio_checks(app):
    return [app.main.child(i).check for i in KRU_RADIOS]


def expect_found_kru(app, port):
    app.expect_box(h.ui("Settings read!"))
    app.expect_box(h.ui("Vireo-4KRU reader found!\n\r->[%s]" % port), icon=ICON_SUCCESS)


def expect_quiet(app, seconds, what):
    """Neither a message box nor a progress popup for the given time."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        h.expect(not app.boxes(), "%s: unexpected box %r" % (what, app.boxes() and app.boxes()[0].message))
        h.expect(not progress_popups(app), "%s: a progress popup appeared" % what)
        time.sleep(0.1)


@T.case("KRU/KRM: a port appears in the blank list, quiet reopen after a burst, the port goes")
def _():
    with h.Env(config=EN_KRU) as env:
        env.boot()
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(h.ui("No COM ports found in the system!"), icon=ICON_WARNING)
        h.expect_eq(app.main.child(ID_COMBO).combo(), ([b""], 0), "the blank list")

        # The blank entry is replaced by a port: a search, which finds the reader.
        sim = env.sim(model="U", com=3)
        env.device_change()
        expect_found_kru(app, "COM3")
        h.wait_until(lambda: app.main.enabled, 10, "the main window enabled")
        h.expect_eq(version(app), b"1.10", "firmware shown")
        checks = radio_checks(app)
        asked = len(queries(sim))
        opened = len(port_events(sim))
        h.expect_eq(port_events(sim)[-1][1], "OPEN", "the port is held")

        # An unrelated device is plugged in; five notifications within 2 s: one settle step,
        # 2 s after the first of them.
        env.add_usb("MOUSE01", "COM9", hardware_ids=["USB\\VID_046D&PID_C077&REV_7200"], device="VID_046D&PID_C077")
        first = time.monotonic()
        for _ in range(5):
            env.device_change()
            time.sleep(0.3)
        h.expect(time.monotonic() - first < 2.0, "the burst took less than 2 s")
        events = wait_new_events(sim, opened, 2, 8, "the port closed and opened again")
        (seen_close, close_ms, close_tag), (_, open_ms, open_tag) = events
        h.expect_eq((close_tag, open_tag), ("CLOSE", "OPEN"), "close, then reopen")
        h.expect(1.7 <= seen_close - first <= 2.9, "closed %.2f s after the first notification" % (seen_close - first))
        h.expect(900 <= open_ms - close_ms <= 1700, "reopened %d ms after closing" % (open_ms - close_ms))
        # Nothing more comes of the burst, nothing is shown, nothing is asked, all is kept.
        expect_quiet(app, 2.5, "after the quiet reopen")
        h.expect_eq(len(port_events(sim)), opened + 2, "exactly one settle step for the burst")
        h.expect_eq(len(queries(sim)), asked, "no query after the reopen")
        h.expect_eq(version(app), b"1.10", "firmware still shown")
        h.expect_eq(radio_checks(app), checks, "settings still shown")
        h.expect(not app.main.child(ID_COMBO).enabled, "the port list stays locked: the port is open")

        # A notification after the step arms a new timer.
        env.device_change()
        wait_new_events(sim, opened + 2, 2, 8, "the second settle step")
        expect_quiet(app, 0.5, "after the second reopen")

        # The port goes: the broken connection is reported, the list no longer has it.
        env.unplug_port(3)
        env.device_change()
        app.expect_box(h.ui("The connection is broken.\n\r(COM3 disabled!)"), icon=ICON_ERROR)
        h.wait_until(lambda: version(app) == b"x.xx", 5, "the firmware forgotten")
        h.expect_eq(app.main.child(ID_COMBO).combo(), ([b""], 0), "COM3 gone from the list")
        h.expect(app.main.child(ID_COMBO).enabled, "the port list unlocked")
        h.expect_eq(port_events(sim)[-1][1], "CLOSE", "the port let go")

        # It comes back and is found again; then its device vanishes while the name stays
        # listed: the reopen fails and the session ends.
        env.plug_port(3, sim.pty)
        env.device_change()
        expect_found_kru(app, "COM3")
        os.unlink(os.path.join(env.prefix, "dosdevices", "com3"))
        env.device_change()
        app.expect_box(h.ui("Error opening [COM3]!"), icon=ICON_ERROR)
        h.wait_until(lambda: version(app) == b"x.xx", 5, "the session reset")
        h.expect(app.main.child(ID_COMBO).enabled, "the port list unlocked after the failed reopen")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("USB: another device only refreshes the list; the reader plugged in is found; unplugged")
def _():
    with h.Env(config=EN_USB) as env:
        env.boot()
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(h.ui("No COM ports found in the system!"), icon=ICON_WARNING)

        other = env.pty(com=2)
        env.device_change()
        h.wait_until(lambda: app.main.child(ID_COMBO).combo()[0] == [b"COM2"], 8, "the list refreshed")
        expect_quiet(app, 1.0, "another device")
        h.expect_eq(other.read(0.1), b"", "nothing sent to the other device")

        sim = env.sim(model="B", com=7)
        env.add_usb("VIREO01", "COM7")
        env.device_change()
        app.expect_box(h.ui("Vireo-4-USB reader found!\n\r->[COM7]"), icon=ICON_SUCCESS)
        app.expect_box(h.ui("Settings read!"))
        h.wait_until(lambda: version(app) == b"1.10", 5, "the firmware shown")
        h.expect_eq(queries(sim), [b"AT+READS_USB"], "the settings were read once")

        env.remove_usb("VIREO01")
        env.unplug_port(7)
        env.device_change()
        app.expect_box(h.ui("Connection broken.\n\r(Vireo-4-USB disabled!)"), icon=ICON_ERROR)
        h.wait_until(lambda: version(app) == b"x.xx", 5, "the firmware forgotten")
        h.expect_eq(app.main.child(ID_COMBO).combo(), ([b"COM2"], 0), "the reader's port gone from the list")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("KRU/KRM: ports going or replaced only refresh; a notification during a search or a read waits")
def _():
    with h.Env(config=EN_KRU) as env:
        env.boot()
        env.pty(com=1)
        env.pty(com=2)
        app = env.start_app()
        app.wait_main_window()
        app.expect_box(h.ui("Vireo-4KRU_4KRM not found!"), icon=ICON_ERROR)
        app.expect_box(HINT, icon=ICON_QUESTION)

        # A port goes; then one is replaced by another: the list follows, nothing starts.
        env.unplug_port(2)
        env.device_change()
        h.wait_until(lambda: app.main.child(ID_COMBO).combo()[0] == [b"COM1"], 8, "COM2 gone")
        expect_quiet(app, 1.0, "a port went")
        env.unplug_port(1)
        replacement = env.pty(com=4)
        env.device_change()
        h.wait_until(lambda: app.main.child(ID_COMBO).combo()[0] == [b"COM4"], 8, "COM1 replaced by COM4")
        expect_quiet(app, 1.0, "a port replaced")
        h.expect_eq(replacement.read(0.1), b"", "nothing sent to the new port")

        # A reader appears; before its settle step falls due the user starts a search (READ
        # with no port open). The step waits for the search and its boxes, so there is never a
        # second popup and the reader is asked once; then the step reopens the found port.
        sim = env.sim(model="U", com=3)
        notified = time.monotonic()
        env.device_change()
        time.sleep(max(0.0, notified + 1.2 - time.monotonic()))
        app.main.command(ID_READ)
        most = 0
        deadline = time.monotonic() + 20
        while not app.boxes() and time.monotonic() < deadline:
            most = max(most, len(progress_popups(app)))
            time.sleep(0.02)
        h.expect(most == 1, "one progress popup during the search (saw %d at once)" % most)
        box = app.expect_box(h.ui("Settings read!"), press=False)
        # Hold the box beyond the settle step's due time: the port is not touched meanwhile.
        time.sleep(max(0.0, notified + 3.5 - time.monotonic()))
        # The simulator may log an open and close of its own as it starts: count from the probe.
        probed = [ms for ms, kind, _ in sim.log() if kind == "RX"][0]
        start = len([ms for ms, _ in port_events(sim) if ms <= probed])
        h.expect_eq(port_events(sim)[start - 1][1], "OPEN", "the probe opened the port")
        h.expect_eq(port_events(sim)[start:], [], "the port untouched while the search's box is up")
        box.press_ok_and_wait()
        app.expect_box(h.ui("Vireo-4KRU reader found!\n\r->[COM3]"), icon=ICON_SUCCESS)
        events = wait_new_events(sim, start, 2, 8, "the held-back settle step")
        h.expect_eq([e[2] for e in events], ["CLOSE", "OPEN"], "the found port reopened")
        h.expect_eq(queries(sim), [b"AT+READS_KRX"], "the reader was asked once")
        expect_quiet(app, 1.0, "after the held-back step")

        # A notification, then READ at once: the read's box is up when the step falls due; the
        # read completes, then the step runs.
        opened = len(port_events(sim))
        notified = time.monotonic()
        env.device_change()
        app.main.command(ID_READ)
        box = app.expect_box(h.ui("Settings read!"), press=False)
        time.sleep(max(0.0, notified + 3.5 - time.monotonic()))
        h.expect_eq(len(port_events(sim)), opened, "the port untouched while the read's box is up")
        box.press_ok_and_wait()
        events = wait_new_events(sim, opened, 2, 8, "the settle step after the read")
        h.expect_eq([e[2] for e in events], ["CLOSE", "OPEN"], "reopened after the read")
        h.expect_eq(queries(sim), [b"AT+READS_KRX"] * 2, "the read's query, nothing more")
        h.expect_eq(version(app), b"1.10", "the read's result stays")
        expect_quiet(app, 0.5, "after the read")
        h.expect_eq(app.close(), 0, "exit code")


def settle_counting_popups(app, quiet=1.5, timeout=40):
    """Presses OK on every box until the program is idle; returns the box texts in order and
    the most progress popups seen at once on the way."""
    texts, most = [], 0
    deadline = time.monotonic() + timeout
    calm_since = time.monotonic()
    while time.monotonic() - calm_since < quiet:
        h.expect(time.monotonic() < deadline, "the program did not become idle; boxes: %r" % texts)
        popups = len(progress_popups(app))
        most = max(most, popups)
        if app.boxes():
            box = app.wait_box(5.0)
            texts.append(app.box_log[-1][1])
            box.press_ok_and_wait()
            calm_since = time.monotonic()
        elif popups or not app.main.enabled:
            calm_since = time.monotonic()
        time.sleep(0.02)
    return texts, most


@T.case("USB: a reader arriving while the tab change's save warning is up is searched for once, after it")
def _():
    with h.Env() as env:
        os.mkdir(os.path.join(env.workdir, "appconfig.ini"))  # every save fails
        app = env.start_app()
        app.wait_main_window()
        app.settle()
        app.main.command(ID_ENGLISH)
        app.expect_box(SAVE_FAILED, icon=ICON_WARNING)
        app.settle()

        tabs = [c for c in app.main.children() if c.cls == b"SysTabControl32"][0]
        tabs.tab_click(1)
        warning = app.expect_box(SAVE_FAILED, icon=ICON_WARNING, press=False)
        sim = env.sim(model="B", com=7)
        env.add_usb("VIREO01", "COM7")
        notified = time.monotonic()
        env.device_change()
        # The settle step falls due 2 s later, inside the warning's loop: it waits, so neither
        # a popup nor the reader's port is touched while the warning is up.
        while time.monotonic() < notified + 3.0:
            h.expect(not progress_popups(app), "a progress popup appeared while the save warning is up")
            h.expect_eq([b.message for b in app.boxes()], [SAVE_FAILED], "the boxes while the warning is up")
            time.sleep(0.05)
        h.expect_eq(queries(sim), [], "the reader not asked while the warning is up")
        start = len(port_events(sim))

        # OK: the tab change's own search finds the reader and reads it, one popup at a time;
        # then the held-back settle step reopens the reader's port quietly.
        warning.press_ok_and_wait()
        texts, most = settle_counting_popups(app)
        h.expect_eq(texts, [h.ui("Vireo-4-USB reader found!\n\r->[COM7]"), h.ui("Settings read!")],
                    "the boxes after the warning")
        h.expect_eq(most, 1, "progress popups at once")
        h.expect_eq(queries(sim), [b"AT+READS_USB"], "the reader was asked once")
        h.wait_until(lambda: [e[1] for e in port_events(sim)[start:]] == ["OPEN", "CLOSE", "OPEN"], 8,
                     "the held-back settle step to reopen the port")
        expect_quiet(app, 1.0, "after the held-back step")
        h.expect_eq(version(app), b"1.10", "the reader's firmware shown")
        h.expect_eq(app.close(), 0, "exit code")


T.main()
