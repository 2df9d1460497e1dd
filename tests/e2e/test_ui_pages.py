# SPDX-License-Identifier: Apache-2.0
"""The main window's pages under Wine: the controls as created, each tab's page with its
defaults and lamps at start-up, and a tab change by a click."""

import os

import harness as h
import ui_common as u

T = h.Tests(__file__)

BS_TYPEMASK = 0x0F
BS_GROUPBOX = 7


def check_controls(win, language):
    for index, (child, row) in enumerate(zip(u.controls(win), u.CONTROLS)):
        info = child.info()
        what = "row %d (id %d)" % (index + 1, row[0])
        h.expect_eq(info["id"], row[0], what + " id")
        h.expect_eq(info["class"].lower(), row[1].lower(), what + " class")
        if row[1] != b"SysTabControl32":
            h.expect_eq(info["text"], u.text_of(row, language), what + " text")
        h.expect_eq(info["parent"], win.hwnd, what + " parent: a sibling over the tab control")


def shoot(env, app, win, name):
    """Screenshots for the README go to build/e2e-artifacts/test_ui_pages/; taken again when
    a late box of the start-up search covered the window."""
    path = os.path.join(os.path.dirname(env._artifact_path("x")), name)
    for _ in range(3):
        app.settle(quiet=1.5)
        u.save_window_shot(env, win, path)
        if not app.boxes() and not app.settle(quiet=0.5):
            return
    raise h.Failure("the window could not be shot without a box over it")


@T.case("start-up on the KRU/KRM tab: its page, its defaults, its lamps (Russian)")
def _():
    with h.Env(config=h.config_file("RU", "KRU_KRM")) as env:
        app, win = u.start(env)
        check_controls(win, 0)
        tabs = [c for c in win.children() if c.cls == b"SysTabControl32"][0]
        h.expect_eq(tabs.tabs(), ([b"Vireo-4KRU_M", b"  Vireo-4-USB   "], 0), "tabs and selection")
        u.expect_page(win, u.KRU)
        u.expect_lamps(win, u.KRU, u.DEFAULT_LAMPS[u.KRU])
        shoot(env, app, win, "main-kru-ru.png")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("start-up on the USB tab: its page, its defaults, its lamps (English)")
def _():
    with h.Env(config=h.config_file("EN", "USB_USB")) as env:
        app, win = u.start(env)
        check_controls(win, 1)
        tabs = [c for c in win.children() if c.cls == b"SysTabControl32"][0]
        h.expect_eq(tabs.tabs()[1], 1, "selected tab")
        u.expect_page(win, u.USB)
        u.expect_lamps(win, u.USB, u.DEFAULT_LAMPS[u.USB])
        shoot(env, app, win, "main-usb-en.png")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("the other two screenshots: KRU/KRM in English, USB in Russian")
def _():
    for language, tab, family, name in (("EN", "KRU_KRM", u.KRU, "main-kru-en.png"),
                                        ("RU", "USB_USB", u.USB, "main-usb-ru.png")):
        with h.Env(config=h.config_file(language, tab)) as env:
            app, win = u.start(env)
            u.expect_lamps(win, family, u.DEFAULT_LAMPS[family])
            shoot(env, app, win, name)
            h.expect_eq(app.close(), 0, "exit code")


@T.case("a click on the other tab shows its page with its defaults, saves the tab and searches")
def _():
    # A third line in the file must survive every save.
    config = h.config_file("EN", "KRU_KRM") + b"kept\r\n"
    with h.Env(config=config) as env:
        app, win = u.start(env)
        win.child(5).click()   # "Wiegand 44": the choice is lost on a tab change
        win.child(8).click()   # "Inverse"
        h.wait_until(lambda: win.child(8).check == 1, 5.0, "Inverse checked")

        tabs = [c for c in win.children() if c.cls == b"SysTabControl32"][0]
        tabs.tab_click(1)
        # The change starts a search: its popup or its boxes come, then the program is idle.
        pressed = app.settle()
        h.expect(pressed, "the tab change searched (its result was reported)")
        h.expect_eq(tabs.tabs()[1], 1, "selected tab")
        h.expect_eq(env.read_file(), h.config_file("EN", "USB_USB") + b"kept\r\n", "the file after the change")
        u.expect_page(win, u.USB)
        u.expect_lamps(win, u.USB, u.DEFAULT_LAMPS[u.USB])

        win.child(23).click()
        h.wait_until(lambda: win.child(23).check == 1, 5.0, "the second mode checked")
        tabs.tab_click(0)
        app.settle()
        h.expect_eq(env.read_file(), config, "the file after changing back")
        u.expect_page(win, u.KRU)
        u.expect_lamps(win, u.KRU, u.DEFAULT_LAMPS[u.KRU])
        # Back again: the USB defaults come back too, not the choice made before.
        tabs.tab_click(1)
        app.settle()
        u.expect_page(win, u.USB)
        h.expect_eq(app.close(), 0, "exit code")


T.main()
