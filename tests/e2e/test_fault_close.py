#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Closing the program at awkward moments, when no modal box is up: during the start-up
search's progress, during a read's and a write's progress, with the card window open, and with
a device change waiting to settle. Each time the driver's WM_CLOSE ends the program within
3 s with exit code 0, and nothing is written to the reader afterwards."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402

T = h.Tests(__file__)
PROGRESS_CLASS = b"msctls_progress32"


def close_now(app, what):
    """WM_CLOSE at once, whatever the program is doing (no box is up)."""
    f.close_within_limit(app, what)


def wait_progress(app, what):
    h.wait_until(lambda: app.windows(PROGRESS_CLASS), 20.0, "the progress popup (%s)" % what)


@T.case("closed during the start-up search's progress, a read's, a write's; with the card window open; with a device change pending")
def _():
    with h.Env(config=f.EN_KRU) as env:
        sim = env.sim(model="U", com=3, hot=True)

        app = env.start_app()
        app.wait_main_window()
        wait_progress(app, "start-up search")
        close_now(app, "start-up search progress")

        for command, what in ((f.ID_READ, "read progress"), (f.ID_WRITE, "write progress")):
            app = f.start_found(env, "COM3")
            app.main.child(command).click()
            wait_progress(app, what)
            close_now(app, what)

        app = f.start_found(env, "COM3")
        app.main.command(f.ID_READ_ID)
        h.wait_until(lambda: app.windows(f.CARD_CLASS), 20.0, "the card window")
        close_now(app, "card window open")

        app = f.start_found(env, "COM3")
        env.device_change()
        close_now(app, "device change pending")

        # Nothing reached the reader after the last close but what was sent before it.
        rx = sim.rx()
        h.expect(rx.endswith(b"AT+READS_KRX"), "the last command the reader got was a query (got %r)" % rx[-24:])


T.main()
