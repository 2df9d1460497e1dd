# SPDX-License-Identifier: Apache-2.0
"""Resource soak of the real program: 500 repaints and 100 language switches leave its GDI and
USER object counts where they were, and it still paints and answers.

The GDI objects are counted in the program's own GDI handle table (the harness reads it);
GetGuiResources is a stub under Wine 8 (always 0) but counts on Windows, so both are checked.
Menus are USER objects that no outside count sees under Wine: the in-process soak of the
Windows-side tests (tests/win/ui_soak_test.cpp) counts those."""

import harness as h
import ui_common as u

T = h.Tests(__file__)

WM_PAINT = 0x000F
WM_COMMAND = 0x0111
REPAINTS = 500
SWITCHES = 100


@T.case("500 repaints and 100 language switches leave the GDI and USER counts")
def _():
    with h.Env(config=h.config_file("RU", "KRU_KRM")) as env:
        app, win = u.start(env)
        win.child(4).click()
        lamps = [u.GREEN, u.RED, u.MAGENTA, u.YELLOW, u.WHITE]
        u.expect_lamps(win, u.KRU, lamps)
        start = app.gui()
        for _ in range(REPAINTS):
            # A sent WM_PAINT runs the whole paint: both passes with their pens and brushes.
            win.send(WM_PAINT)
        after_paints = app.gui()
        for i in range(SWITCHES):
            win.send(WM_COMMAND, 18 if i % 2 == 0 else 17)
        app.expect_no_box(0.5)
        end = app.gui()
        for key in ("gdi", "windows", "gdi_api", "user_api"):
            print("%s: %d -> %d -> %d" % (key, start[key], after_paints[key], end[key]))
        h.expect(start["gdi"] > 0, "the GDI table was read")
        for key in ("gdi", "windows", "gdi_api", "user_api"):
            h.expect_eq(after_paints[key], start[key], key + " objects after the repaints")
            h.expect_eq(end[key], start[key], key + " objects after the language switches")
        # Still itself: Russian again, lamps right after a real repaint, and it closes cleanly.
        h.expect_eq(win.text, h.TITLE_RU, "title")
        h.expect_eq(env.read_file(), h.config_file("RU", "KRU_KRM"), "the file")
        win.minimize()
        h.wait_until(lambda: win.iconic, 10.0, "minimised")
        win.restore()
        h.wait_until(lambda: not win.iconic, 10.0, "restored")
        u.expect_lamps(win, u.KRU, lamps)
        h.expect_eq(app.close(), 0, "exit code")


T.main()
