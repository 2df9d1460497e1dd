# SPDX-License-Identifier: Apache-2.0
"""The language switch under Wine: the title, the 22 control captions and the menu bar change
at once, line 1 of the file is rewritten, and nothing else moves."""

import harness as h
import ui_common as u

T = h.Tests(__file__)

MENU_BAR_ROWS = 18  # rows of the menu bar just above the client area
RUSSIAN, ENGLISH = 0, 1
COMMAND = {RUSSIAN: 17, ENGLISH: 18}


def menu_bar(win):
    """The pixels of the menu bar (it lies right above the client area)."""
    width = win.client_rect[2]
    return win.pixels(0, -MENU_BAR_ROWS, width, MENU_BAR_ROWS)


# (path, id or None, English, Russian) of the menu bar as each language builds it.
MENU = [
    ((0,), None, "File", "Файл"), ((0, 0), 16, "Quit", "Выход"),
    ((1,), None, "Tools", "Инструменты"), ((1, 0), None, "Language", "Язык"),
    ((1, 0, 0), 17, "Русский", "Русский"), ((1, 0, 1), 18, "English", "English"),
    ((1, 1), 0, "", ""), ((1, 2), 19, "Read ID", "Считать ID"),
    ((2,), None, "Help", "Помощь"), ((2, 0), 20, "Help", "Справка"), ((2, 1), 0, "", ""),
    ((2, 2), 21, "About...", "О программе..."),
]


def expect_menu(win, language):
    items = win.menu()
    h.expect_eq([i.path for i in items], [m[0] for m in MENU], "menu items")
    for item, (path, item_id, english, russian) in zip(items, MENU):
        text = (english if language == ENGLISH else russian).encode("cp1251")
        h.expect_eq(item.text, text, "menu item %r" % (path,))
        if item_id is not None:
            h.expect_eq(item.id, item_id, "id of menu item %r" % (path,))
        h.expect_eq(item.separator, item_id == 0, "separator %r" % (path,))
        h.expect_eq(item.checked, item_id == COMMAND[language], "check mark of menu item %r" % (path,))


def texts(win):
    return [c.text for c in u.controls(win)]


def expect_labels(win, language):
    for index, (child, row) in enumerate(zip(u.controls(win), u.CONTROLS)):
        if index in u.RELABELLED_ROWS:
            h.expect_eq(child.text, u.text_of(row, language), "caption of row %d" % (index + 1))


def switch(app, win, language):
    win.command(COMMAND[language])
    title = h.TITLE_RU if language == RUSSIAN else h.TITLE_EN
    h.wait_until(lambda: win.text == title, 10.0, "the new title")
    app.expect_no_box(0.5)


@T.case("Russian to English and back: title, 22 captions, menu bar and line 1 of the file")
def _():
    config = h.config_file("RU", "KRU_KRM") + b"third line kept\r\n"
    with h.Env(config=config) as env:
        app, win = u.start(env)
        h.expect_eq(len(u.RELABELLED_ROWS), 22, "controls that follow the language")
        expect_labels(win, RUSSIAN)
        # Choices, lamps and the rest must stay as they are.
        win.child(5).click()
        win.child(10).click()
        lamps = [u.CYAN, u.RED, u.GREEN, u.YELLOW, u.WHITE]
        u.expect_lamps(win, u.KRU, lamps)
        radios = u.radio_states(win)
        before = texts(win)
        russian_bar = menu_bar(win)
        expect_menu(win, RUSSIAN)

        switch(app, win, ENGLISH)
        expect_labels(win, ENGLISH)
        after = texts(win)
        for index, (old, new) in enumerate(zip(before, after)):
            if index not in u.RELABELLED_ROWS:
                h.expect_eq(new, old, "caption of row %d (not relabelled)" % (index + 1))
        h.expect_eq(env.read_file(), h.config_file("EN", "KRU_KRM") + b"third line kept\r\n", "the file")
        h.expect_eq(u.radio_states(win), radios, "radios after the switch")
        u.expect_lamps(win, u.KRU, lamps)
        h.expect_eq(win.child(34).text, b"x.xx", "version value")
        english_bar = h.wait_until(lambda: (lambda bar: bar if bar != russian_bar else None)(menu_bar(win)), 5.0,
                                   "the menu bar to be redrawn")
        h.expect(app.windows() == [win], "no search started: only the main window")
        expect_menu(win, ENGLISH)

        switch(app, win, RUSSIAN)
        expect_labels(win, RUSSIAN)
        h.expect_eq(env.read_file(), config, "the file after switching back")
        h.wait_until(lambda: menu_bar(win) == russian_bar, 5.0, "the Russian menu bar again")
        expect_menu(win, RUSSIAN)
        h.expect(english_bar != russian_bar, "the English menu bar looked different")
        h.expect_eq(app.close(), 0, "exit code")


@T.case("choosing the language in use rewrites the file and changes nothing on the screen")
def _():
    with h.Env(config=h.config_file("EN", "USB_USB")) as env:
        app, win = u.start(env)
        before = texts(win)
        bar = menu_bar(win)
        with open(env.workdir + "/appconfig.ini", "wb") as f:  # the save must really run
            f.write(h.config_file("RU", "KRU_KRM"))
        win.command(COMMAND[ENGLISH])
        h.wait_until(lambda: env.read_file() == h.config_file("EN", "USB_USB"), 10.0, "the file rewritten")
        h.expect_eq(texts(win), before, "captions")
        h.expect_eq(menu_bar(win), bar, "menu bar")
        expect_menu(win, ENGLISH)
        h.expect_eq(app.close(), 0, "exit code")


T.main()
