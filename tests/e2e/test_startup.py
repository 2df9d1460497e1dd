# SPDX-License-Identifier: Apache-2.0
"""Start-up of the real program: its configuration file, its title in both languages, the main
window's class, style, size and place, the single-instance handover and the exit code."""

import os

import harness as h

T = h.Tests(__file__)

SCREEN_W, SCREEN_H = 1280, 1024
WINDOW_W, WINDOW_H = 395, 690
EXPECTED_RECT = (SCREEN_W // 2 - 197, SCREEN_H // 2 - 345, SCREEN_W // 2 - 197 + WINDOW_W, SCREEN_H // 2 - 345 + WINDOW_H)
TAB_CLASS = b"SysTabControl32"


def wait_topmost(win):
    return h.wait_until(lambda: win.exstyle & h.WS_EX_TOPMOST, 10.0, "the window to become topmost")


def check_main_window(win, title):
    info = win.info()
    h.expect_eq(info["class"], h.MAIN_CLASS, "window class")
    h.expect_eq(info["text"], title, "title bytes")
    style = info["style"]
    for bit, name in ((h.WS_SYSMENU, "WS_SYSMENU"), (h.WS_MINIMIZEBOX, "WS_MINIMIZEBOX"),
                      (h.WS_CAPTION, "WS_CAPTION"), (h.WS_VISIBLE, "WS_VISIBLE")):
        h.expect(style & bit == bit, "style has %s (style 0x%08x)" % (name, style))
    for bit, name in ((h.WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"), (h.WS_THICKFRAME, "WS_THICKFRAME")):
        h.expect(not style & bit, "style has no %s (style 0x%08x)" % (name, style))
    h.expect_eq(info["rect"], EXPECTED_RECT, "outer rectangle: 395x690, centred on the 1280x1024 screen")
    wait_topmost(win)


def tab_selection(win):
    """The selected tab when the tab control exists yet, else None."""
    for child in win.children():
        if child.cls == TAB_CLASS:
            return child.tabs()[1]
    return None


NO_PORTS = {h.TITLE_EN: h.ui("No COM ports found in the system!"), h.TITLE_RU: h.ru("Не найдены COM-порты в системе!")}


def idle(app):
    """With no COM port at all the start-up search ends in its warning box; once that is
    pressed the program waits for the user. (The close box of a window that a modal box has
    disabled does nothing, so closing before the search has ended would test something else.)"""
    title = app.main.text
    app.expect_box(NO_PORTS[title], icon=4)
    app.settle()


def close_and_expect_zero(app):
    app.settle()
    h.expect_eq(app.close(), 0, "exit code after WM_CLOSE")


@T.case("first start: default 36-byte file, Russian title, class, style, size, place, topmost")
def _():
    with h.Env() as env:
        app = env.start_app()
        win = app.wait_main_window()
        h.expect_eq(env.read_file(), h.DEFAULT_CONFIG, "appconfig.ini written at first start")
        h.expect_eq(len(env.read_file()), 36, "its size")
        check_main_window(win, h.TITLE_RU)
        env.screenshot(env._artifact_path("-ru.png"))
        close_and_expect_zero(app)
        h.expect_eq(env.listing(), ["appconfig.ini"], "files in the working directory")


@T.case("English and Russian files give their titles and stay as they were")
def _():
    # A file with LF-only ends and a third line: read as it is, never rewritten at start-up.
    english = b"Language = EN;\nTabCtrl = KRU_KRM;\nkept as it is\n"
    with h.Env(config=english) as env:
        app = env.start_app()
        win = app.wait_main_window()
        check_main_window(win, h.TITLE_EN)
        env.screenshot(env._artifact_path("-en.png"))
        close_and_expect_zero(app)
        h.expect_eq(env.read_file(), english, "the file after the run")
        russian = env.new_dir("ru", h.config_file("RU", "KRU_KRM"))
        app = env.start_app(cwd=russian, args="/EN -lang EN Language=EN")  # arguments change nothing
        h.expect_eq(app.wait_main_window().text, h.TITLE_RU, "title with Language = RU;")
        close_and_expect_zero(app)
        h.expect_eq(env.read_file(cwd=russian), h.config_file("RU", "KRU_KRM"), "the RU file after the run")


def expect_handover(env, first, cwd=None):
    """A second start in the same language: exits 0 with no window; the first is restored
    and in front."""
    config_before = env.read_file(cwd=cwd)
    second = env.start_app(cwd=cwd)
    while second.running():
        own = [w for w in env.windows(pid=second.pid, visible=False)
               if w.info().get("visible") or w.info().get("class") == h.MAIN_CLASS]
        h.expect_eq(own, [], "windows of the second instance")
    h.expect_eq(second.wait_exit(), 0, "exit code of the second instance")
    h.wait_until(lambda: not first.main.iconic, 10.0, "the first instance to be restored")
    h.wait_until(lambda: env.driver.cmd("foreground") == first.main.hwnd, 10.0,
                 "the first instance in the foreground")
    h.expect_eq(env.read_file(cwd=cwd), config_before, "the file after the second start")
    h.expect_eq(len(first.windows(h.MAIN_CLASS)), 1, "still one main window")


@T.case("a second start hands over to the running one, also when it is minimised")
def _():
    with h.Env(config=h.config_file("RU")) as env:
        first = env.start_app()
        win = first.wait_main_window()
        idle(first)
        win.minimize()
        h.wait_until(lambda: win.iconic, 10.0, "the window to be minimised")
        expect_handover(env, first)

        # A second start where no file exists yet writes the default file first (Russian),
        # then finds the Russian window and hands over.
        empty = env.new_dir("empty")
        second = env.start_app(cwd=empty)
        h.expect_eq(second.wait_exit(), 0, "exit code of the second instance in an empty directory")
        h.expect_eq(env.read_file(cwd=empty), h.DEFAULT_CONFIG, "the file it wrote before handing over")

        # Another directory whose file names the other language: not the same title, so it
        # starts normally and takes the foreground; a third start in Russian hands over again.
        other_dir = env.new_dir("en", h.config_file("EN"))
        other = env.start_app(cwd=other_dir)
        other_win = other.wait_main_window()
        h.expect_eq(other_win.text, h.TITLE_EN, "title of the English instance")
        h.expect(other.running() and first.running(), "both instances run")
        idle(other)
        h.wait_until(lambda: env.driver.cmd("foreground") == other_win.hwnd, 10.0, "the new instance in front")
        expect_handover(env, first)
        h.expect(other.running(), "the English instance still runs")

        close_and_expect_zero(other)
        close_and_expect_zero(first)


@T.case("the caption's close box and WM_CLOSE end the program with exit code 0")
def _():
    with h.Env(config=h.config_file("EN")) as env:
        app = env.start_app()
        win = app.wait_main_window()
        idle(app)
        win.sys_close()
        h.expect_eq(app.wait_exit(), 0, "exit code after the close box (SC_CLOSE)")
        h.expect(not win.exists(), "the window is gone")
        app = env.start_app()
        app.wait_main_window().close()
        h.expect_eq(app.wait_exit(), 0, "exit code after a WM_CLOSE at once")


@T.case("a read-only working directory: Russian, KRU/KRM tab, nothing written")
def _():
    with h.Env(readonly=True) as env:
        app = env.start_app()
        win = app.wait_main_window()
        check_main_window(win, h.TITLE_RU)
        selection = tab_selection(win)
        h.expect(selection in (None, 0), "the KRU/KRM tab is selected (got %r)" % selection)
        close_and_expect_zero(app)
        h.expect_eq(env.listing(), [], "files in the read-only directory")

        # A readable file in a read-only directory is still read: English, USB tab.
        english_usb = h.config_file("EN", "USB_USB")
        other = env.new_dir("readonly-en", english_usb)
        env.make_readonly(other)
        app = env.start_app(cwd=other)
        win = app.wait_main_window()
        h.expect_eq(win.text, h.TITLE_EN, "title from the file in the read-only directory")
        h.expect_eq(tab_selection(win), 1, "the USB tab from the file")
        close_and_expect_zero(app)
        h.expect_eq(env.listing(other), ["appconfig.ini"], "files in the read-only directory")
        h.expect_eq(env.read_file(cwd=other), english_usb, "the file is unchanged")


T.main()
