#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""A bounded resource soak: 30 READ and 10 WRITE cycles, 10 language switches, 10 tab switches
and 5 card windows in one run; the program's GDI objects, USER objects and kernel handles end
where they started, within a small constant. (scripts/soak.py runs the full 1000/200/200/200/100
soak outside the suite.) The counter is checked first: a card window left open must show."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness as h  # noqa: E402
import fault_support as f  # noqa: E402
import soak_support as s  # noqa: E402

T = h.Tests(__file__)
TOLERANCE = 3  # objects or handles the counts may drift by


@T.case("the counter sees the card window's window, controls and brush")
def _():
    with h.Env(config=f.EN_KRU) as env:
        env.sim(model="U", com=3, hot=True)
        app = f.start_found(env, "COM3")
        before = s.measure(env, app)
        app.main.command(f.ID_READ_ID)
        card = h.wait_until(lambda: app.windows(f.CARD_CLASS), 20.0, "the card window")[0]
        during = s.measure(env, app)
        print("card window closed: %r, open: %r" % (before, during))
        # The window and its eight controls are USER objects of the program.
        h.expect(during["user"] >= before["user"] + 9, "USER objects while the card window is open")
        card.sys_close()
        h.wait_until(lambda: not card.exists() and app.main.enabled, 20.0, "the card window to close")
        f.close_within_limit(app, "counter check")


@T.case("bounded soak: counts end where they started")
def _():
    rows, first, last = s.run(reads=30, writes=10, languages=10, tabs=10, cards=5)
    for kind in s.KINDS:
        h.expect(abs(last[kind] - first[kind]) <= TOLERANCE,
                 "%s: %d at the start, %d at the end (tolerance %d)" % (kind, first[kind], last[kind], TOLERANCE))
        peak = max(r[2][kind] for r in rows)
        h.expect(peak - first[kind] <= TOLERANCE * 3, "%s never climbs: peak %d, start %d" % (kind, peak, first[kind]))


T.main()
