# SPDX-License-Identifier: Apache-2.0
"""The indicator lamps under Wine: a click on a setting radio turns exactly its group's lamp
to the colour of the choice, and nothing outside that group and that lamp changes on the
screen."""

import harness as h
import ui_common as u

T = h.Tests(__file__)

# Group boxes (left, top, right, bottom) by radio id.
KRU_GROUPS = {range(3, 7): (20, 100, 310, 210), range(7, 9): (20, 220, 310, 290),
              range(9, 12): (20, 300, 310, 390), range(12, 14): (20, 400, 310, 470)}
USB_GROUPS = {range(22, 24): (20, 100, 310, 170), range(24, 26): (20, 180, 310, 250),
              range(26, 28): (20, 260, 310, 330), range(28, 33): (20, 340, 310, 470),
              range(35, 38): (20, 480, 310, 570)}


def group_of(radio, groups):
    for ids, rect in groups.items():
        if radio in ids:
            return rect
    raise KeyError(radio)


def stable_capture(win):
    """A capture of the client area taken once two in a row agree (the clicked radio has
    finished drawing)."""
    previous = u.client_pixels(win)
    for _ in range(20):
        current = u.client_pixels(win)
        if current == previous:
            return current
        previous = current
    raise h.Failure("the window kept changing")


def click_and_diff(win, radio):
    before = stable_capture(win)
    win.child(radio).click()
    h.wait_until(lambda: win.child(radio).check == 1, 5.0, "radio %d checked" % radio)
    return u.changed_points(before, stable_capture(win))


@T.case("KRU/KRM page: each radio turns its lamp to its colour, nothing else changes")
def _():
    with h.Env(config=h.config_file("EN", "KRU_KRM")) as env:
        # A KRM reader with firmware 1.10 makes "Wiegand 58" clickable.
        env.sim(model="M", firmware="1.10", settings="TMX1DO", com=3)
        app, win = u.start(env)
        h.expect(win.child(6).enabled, "Wiegand 58 enabled by the KRM reader")
        lamps = [u.RED, u.RED, u.RED, u.RED, u.WHITE]  # what the reader's settings give
        u.expect_lamps(win, u.KRU, lamps)
        clicks = [(4, 0, u.GREEN), (5, 0, u.CYAN), (6, 0, u.MAGENTA), (3, 0, u.RED),
                  (8, 1, u.BLUE), (7, 1, u.RED),
                  (10, 2, u.GREEN), (11, 2, u.MAGENTA), (9, 2, u.RED),
                  (13, 3, u.YELLOW), (12, 3, u.RED)]
        for radio, lamp, colour in clicks:
            changed = click_and_diff(win, radio)
            lamps[lamp] = colour
            h.expect_eq(["%06x" % c for c in u.lamp_colours(win, u.KRU)], ["%06x" % c for c in lamps],
                        "lamps after radio %d" % radio)
            allowed = (group_of(radio, KRU_GROUPS), u.LAMP_RECTS[u.KRU][lamp])
            stray = [p for p in changed if not any(u.inside(p, r) for r in allowed)]
            h.expect_eq(stray[:5], [], "points changed outside group and lamp after radio %d" % radio)
            # Every click here changes its lamp's colour, so the lamp itself must have changed.
            h.expect(any(u.inside(p, allowed[1]) for p in changed),
                     "lamp %d repainted in its new colour after radio %d" % (lamp + 1, radio))
        h.expect_eq(app.close(), 0, "exit code")


@T.case("USB page: the operating mode drives lamp 1; every other radio leaves the lamps")
def _():
    with h.Env(config=h.config_file("EN", "USB_USB")) as env:
        app, win = u.start(env)
        lamps = list(u.DEFAULT_LAMPS[u.USB])
        u.expect_lamps(win, u.USB, lamps)
        for radio, colour in ((23, u.MAGENTA), (22, u.CYAN)):
            changed = click_and_diff(win, radio)
            lamps[0] = colour
            h.expect_eq(["%06x" % c for c in u.lamp_colours(win, u.USB)], ["%06x" % c for c in lamps],
                        "lamps after radio %d" % radio)
            allowed = (group_of(radio, USB_GROUPS), u.LAMP_RECTS[u.USB][0])
            stray = [p for p in changed if not any(u.inside(p, r) for r in allowed)]
            h.expect_eq(stray[:5], [], "points changed outside group and lamp after radio %d" % radio)
        # "Touch Memory" greys HEX and DEC, so those change too; the lamp column never does.
        for radio in (25, 24, 27, 26, 32, 31, 30, 29, 37, 36, 35):
            changed = click_and_diff(win, radio)
            in_column = [p for p in changed if u.inside(p, u.LAMP_COLUMN)]
            h.expect_eq(in_column[:5], [], "points of the lamp column changed after radio %d" % radio)
            h.expect_eq(u.lamp_colours(win, u.USB), lamps, "lamps after radio %d" % radio)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("covering and uncovering the window repaints the lamps in their current colours")
def _():
    with h.Env(config=h.config_file("RU", "KRU_KRM")) as env:
        app, win = u.start(env)
        win.child(5).click()
        win.child(8).click()
        lamps = [u.CYAN, u.BLUE, u.MAGENTA, u.YELLOW, u.WHITE]
        u.expect_lamps(win, u.KRU, lamps)
        win.minimize()
        h.wait_until(lambda: win.iconic, 10.0, "the window minimised")
        win.restore()
        h.wait_until(lambda: not win.iconic, 10.0, "the window restored")
        u.expect_lamps(win, u.KRU, lamps)
        h.expect_eq(app.close(), 0, "exit code")


T.main()
