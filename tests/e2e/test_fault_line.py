#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""A reader that misbehaves on the line: garbage forever, replies only after 2 s, a flood of
bytes without pause, a refusal of every command. The program shows its messages for each,
stays responsive, never crashes, and closes within 3 s with exit code 0."""
import os
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402

T = h.Tests(__file__)
NOT_FOUND_BOXES = [(f.NOT_FOUND, f.ICON_ERROR), (f.HINT, f.ICON_QUESTION)]


def search_then_choose(env, app, after_choice, what):
    """The start-up search finds nothing; READ searches again (no port open) and finds nothing;
    choosing the port by hand opens it, queries it and reports after_choice."""
    f.expect_boxes(f.boxes_until_idle(app), NOT_FOUND_BOXES, what + ", start-up search")
    f.responsive(app, what)
    app.main.child(f.ID_READ).click()
    f.expect_boxes(f.boxes_until_idle(app), NOT_FOUND_BOXES, what + ", READ without a port")
    f.select_port(app, 0)
    f.expect_boxes(f.boxes_until_idle(app), after_choice, what + ", the port chosen by hand")
    f.responsive(app, what)
    h.expect(app.main.child(f.ID_COMBO).enabled, what + ": the port list is enabled again")
    h.expect_eq(app.main.child(f.ID_VERSION).text, b"x.xx", what + ": version label")


@T.case("a reader answering garbage forever")
def _():
    with h.Env(config=f.EN_KRU) as env:
        sim = env.sim(model="U", com=3, hot=True, extra=("--garbage",))
        app = env.start_app()
        app.wait_main_window()
        search_then_choose(env, app, [(f.BAD_REPLY, f.ICON_ERROR), (f.NO_RESPONSE, f.ICON_RETRY)], "garbage")
        h.expect_eq(sim.rx(), b"AT+READS_KRX" * 3, "three queries: two probes and the chosen port")
        f.close_within_limit(app, "garbage")


@T.case("a reader answering every command with a refusal")
def _():
    with h.Env(config=f.EN_KRU) as env:
        sim = env.sim(model="U", com=3, hot=True, extra=("--refuse",))
        app = env.start_app()
        app.wait_main_window()
        search_then_choose(env, app, [(f.INVALID_COMMAND, f.ICON_ERROR), (f.NO_RESPONSE, f.ICON_RETRY)], "refusal")
        h.expect(sim.tx().count(b" - UNKNOWN CMD!") == 3, "three refusals went out")
        f.close_within_limit(app, "refusal")


@T.case("a reader answering only after 2 s; once it is quick again a READ finds it")
def _():
    with h.Env(config=f.EN_KRU) as env:
        sim = env.sim(model="U", com=3, hot=True, extra=("--late", "2000"))
        app = env.start_app()
        app.wait_main_window()
        search_then_choose(env, app, [(f.NO_RESPONSE, f.ICON_RETRY)], "late")
        sim.control("normal")
        app.main.child(f.ID_READ).click()
        f.expect_boxes(f.boxes_until_idle(app), [(f.SETTINGS_READ, f.ICON_SUCCESS), (f.found("COM3"), f.ICON_SUCCESS)],
                       "late reader made quick")
        f.close_within_limit(app, "late")


class Flood:
    """A device that sends bytes without pause, as fast as a 19200 baud line carries them,
    whether anyone listens or not."""

    def __init__(self, port):
        self.port = port
        self.sent = 0
        self._stop = False
        os.set_blocking(port.master, False)
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        chunk = b"0123456789" * 2  # 20 bytes: about 10 ms at 19200 baud
        while not self._stop:
            try:
                self.sent += os.write(self.port.master, chunk)
            except (BlockingIOError, OSError):
                pass  # nobody reads: the line is full
            try:
                self.port.read(0)  # the queries, so the program's writes never block
            except OSError:
                pass
            time.sleep(0.01)

    def stop(self):
        self._stop = True
        self._thread.join(2)


@T.case("a device flooding the line without pause")
def _():
    with h.Env(config=f.EN_KRU) as env:
        flood = Flood(env.pty(com=3, hot=True))
        try:
            app = env.start_app()
            app.wait_main_window()
            search_then_choose(env, app, [(f.BAD_REPLY, f.ICON_ERROR), (f.NO_RESPONSE, f.ICON_RETRY)], "flood")
            f.close_within_limit(app, "flood")
            h.expect(flood.sent > 1000, "the device kept sending (%d bytes)" % flood.sent)
        finally:
            flood.stop()


T.main()
