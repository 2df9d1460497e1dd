# SPDX-License-Identifier: Apache-2.0
"""Menus, About and help under Wine: the About dialog in each language and its three ways
out, the help file's boxes, and the right-click Quit menu."""

import os
import time

import harness as h
import ui_common as u

T = h.Tests(__file__)

WM_KEYDOWN = 0x0100
VK_RETURN, VK_ESCAPE, VK_DOWN = 0x0D, 0x1B, 0x28
ESC_KEY_DATA = 0x00010001  # one press, scan code 1
MENU_CLASS = b"#32768"
ABOUT = {"RU": h.ru("О программе..."), "EN": b"About..."}


def wait_about(app, caption):
    return h.wait_until(lambda: [w for w in app.windows(b"#32770") if w.text == caption], 10.0, "the About dialog")[0]


@T.case("About opens in each language and closes by OK, Esc and the close box")
def _():
    for language in ("RU", "EN"):
        with h.Env(config=h.config_file(language, "KRU_KRM")) as env:
            app, win = u.start(env)
            for way in ("OK", "Esc", "close box"):
                win.command(21)
                dialog = wait_about(app, ABOUT[language])
                h.expect(not win.enabled, "the main window is disabled under the dialog")
                h.expect_eq(dialog.info()["owner"], win.hwnd, "owner")
                ok = dialog.child(1)
                h.expect_eq(ok.text, b"OK", "the OK button")
                if way == "OK":
                    path = os.path.join(os.path.dirname(env._artifact_path("x")), "about-%s.png" % language.lower())
                    env.screenshot(path)
                    ok.click()
                elif way == "Esc":
                    ok.post(WM_KEYDOWN, VK_ESCAPE, ESC_KEY_DATA)
                else:
                    dialog.sys_close()
                h.wait_until(lambda: not dialog.exists(), 10.0, "the dialog to close by " + way)
                h.wait_until(lambda: win.enabled, 5.0, "the main window enabled again")
            h.expect(app.running(), "the program still runs")
            h.expect_eq(app.close(), 0, "exit code")


@T.case("Help with no help folder: the file-not-found box, then the folder hint")
def _():
    with h.Env(config=h.config_file("EN", "KRU_KRM")) as env:
        app, win, _ = u.start_copy(env, h.config_file("EN", "KRU_KRM"))
        win.command(20)
        app.expect_box(b"File not found!\n\rCheck for the presence of the help file (VireoTool-4 ver_2_00.pdf).",
                       icon=5, caption=b"Message")
        app.expect_box(b"Open the help folder where the application is installed.\n\r"
                       b"Default: C:\\VireoTool-4 v.x.x\\help", icon=6, caption=b"Message")
        app.expect_no_box(1.0)
        h.expect_eq(app.close(), 0, "exit code")


@T.case("Help with the file but no PDF viewer: the cannot-open box, then the viewer hint (Russian)")
def _():
    with h.Env() as env:
        env.boot()
        # No program for PDF files (this also keeps Wine from handing the file to the host).
        env.driver.cmd("regdelkey", h.to_hex("HKLM\\Software\\Classes\\.pdf"))
        app, win, workdir = u.start_copy(env, h.config_file("RU", "KRU_KRM"))
        os.makedirs(os.path.join(workdir, "help"))
        with open(os.path.join(workdir, "help", "VireoTool-4 ver_2_00.pdf"), "wb") as f:
            f.write(b"%PDF-1.4\n%%EOF\n")
        win.command(20)
        app.expect_box(h.ru("Файл справки не возможно открыть!"), icon=4, caption=h.ru("Сообщение"))
        app.expect_box(h.ru("Установите на ПК программу для просмотра PDF-файлов."), icon=6)
        app.expect_no_box(1.0)
        h.expect_eq(app.close(), 0, "exit code")


def popup_menus(app):
    return app.windows(MENU_CLASS)


@T.case("right-click Quit: only on the window's own area, Esc dismisses, Quit ends with 0")
def _():
    with h.Env(config=h.config_file("EN", "KRU_KRM")) as env:
        app, win = u.start(env)
        # On a child control the click is the control's: no menu.
        win.child(14).rclick(5, 5)
        time.sleep(1.0)
        h.expect_eq(popup_menus(app), [], "menus after a right click on READ")

        x, y = u.EMPTY_POINT
        win.rclick(x, y)
        menu = h.wait_until(lambda: popup_menus(app), 10.0, "the Quit menu")[0]
        left, top = menu.rect[:2]
        cx, cy = win.client_rect[:2]
        h.expect_eq((left, top), (cx + x, cy + y), "the menu's top-left corner at the click point")
        win.post(WM_KEYDOWN, VK_ESCAPE, 0)
        h.wait_until(lambda: not popup_menus(app), 10.0, "the menu dismissed")
        time.sleep(0.5)
        h.expect(app.running(), "dismissing the menu does nothing")

        win.rclick(x, y)
        h.wait_until(lambda: popup_menus(app), 10.0, "the Quit menu again")
        win.post(WM_KEYDOWN, VK_DOWN, 0)
        win.post(WM_KEYDOWN, VK_RETURN, 0)
        h.expect_eq(app.wait_exit(), 0, "exit code after Quit")


@T.case("File > Quit ends the program with exit code 0")
def _():
    with h.Env(config=h.config_file("RU", "USB_USB")) as env:
        app, win = u.start(env)
        win.command(16)
        h.expect_eq(app.wait_exit(), 0, "exit code after Quit")


T.main()
