# SPDX-License-Identifier: Apache-2.0
"""What the end-to-end tests of the main window's user interface share: the controls in
creation order, the page defaults, the lamp places and colours, and small readers."""

import os
import shutil
import subprocess

import harness as h

KRU, USB = 0, 1

# Text entries as (English, Russian); None for a fixed text.
T_SEARCH = ("SEARCH", "ПОИСК")
T_VERSION = ("Version: ", "Версия: ")

# (id, class, fixed text or (English, Russian)) for the 42 controls, in creation order.
CONTROLS = [
    (1, b"ComboBox", ""), (2, b"Button", T_SEARCH), (33, b"Static", T_VERSION), (34, b"Static", "x.xx"),
    (0, b"SysTabControl32", ""),
    (0, b"Button", (" 1) INTERFACES: ", " 1) ИНТЕРФЕЙСЫ: ")),
    (3, b"Button", "Touch Memory"), (4, b"Button", "Wiegand 26"), (5, b"Button", "Wiegand 44"),
    (6, b"Button", "Wiegand 58"),
    (0, b"Button", (" 1) READER OPERATING MODE: ", " 1) РЕЖИМ РАБОТЫ СЧИТЫВАТЕЛЯ: ")),
    (22, b"Button", "WINDOWS"), (23, b"Button", "Windows, Linux, MacOS"),
    (0, b"Button", (" 2) INDICATION CONTROL: ", " 2) УПРАВЛЕНИЕ ИНДИКАЦИЕЙ: ")),
    (7, b"Button", ("Direct (active '1')", "Прямая (активная '1')")),
    (8, b"Button", ("Inverse (active '0')", "Инверсная (активный '0')")),
    (0, b"Button", (" 2) ID CARD OUTPUT FORMAT: ", " 2) ФОРМАТ ВЫВОДА ID КАРТЫ: ")),
    (24, b"Button", ("HEX or DEC", "HEX или DEC")), (25, b"Button", "Touch Memory"),
    (0, b"Button", (" 3) INDICATION IN STANDBY MODE: ", " 3) ИНДИКАЦИЯ В ДЕЖУР. РЕЖИМЕ: ")),
    (9, b"Button", ("Dynamic", "Динамическая")), (10, b"Button", ("Static", "Статическая")),
    (11, b"Button", ("Off", "Выкл.")),
    (0, b"Button", (" 3) ID CARD OUTPUT TYPE: ", " 3) ТИП ВЫВОДА ID КАРТЫ: ")),
    (26, b"Button", "HEX"), (27, b"Button", "DEC"),
    (0, b"Button", (" 4) TOUCH BUTTON POLL: ", " 4) ОПРОС СЕНСОРНОЙ КНОПКИ: ")),
    (12, b"Button", ("On", "Вкл.")), (13, b"Button", ("Off", "Выкл.")),
    (0, b"Button", (" 4) NUMBER OF BYTE ID CARD: ", " 4) КОЛИЧЕСТВО БАЙТ ID КАРТЫ: ")),
    (28, b"Button", "7"), (29, b"Button", "5"), (30, b"Button", "4"), (31, b"Button", "3"), (32, b"Button", "2"),
    (0, b"Button", (" 5) CARD FOR READ: ", " 5) ЧИТАТЬ КАРТЫ: ")),
    (35, b"Button", "HID, EM-Marine + MIFARE, Pay"), (36, b"Button", "HID, EM-Marine"),
    (37, b"Button", "MIFARE, Pay"),
    (14, b"Button", ("READ", "СЧИТАТЬ")), (15, b"Button", ("WRITE", "ЗАПИСАТЬ")),
    (0, b"Button", ("Indic.", "Инд.")),
]
RELABELLED_ROWS = [i for i, row in enumerate(CONTROLS) if isinstance(row[2], tuple)]

KRU_RADIOS = list(range(3, 14))
USB_RADIOS = list(range(22, 33))
CARD_RADIOS = [35, 36, 37]
ALL_RADIOS = KRU_RADIOS + USB_RADIOS + CARD_RADIOS

# Radios checked by each page's defaults.
DEFAULT_CHECKED = {KRU: {3, 7, 11, 13, 35}, USB: {22, 24, 26, 29, 35}}

RED, GREEN, BLUE = 0x0000FF, 0x00FF00, 0xFF0000
CYAN, MAGENTA, YELLOW, WHITE = 0xFFFF00, 0xFF00FF, 0x00FFFF, 0xFFFFFF
DEFAULT_LAMPS = {KRU: [RED, RED, MAGENTA, YELLOW, WHITE], USB: [CYAN, WHITE, WHITE, WHITE, WHITE]}

# Lamp rectangles (left, top, right, bottom) in client pixels.
LAMP_RECTS = {
    KRU: [(345, 150, 365, 170), (345, 250, 365, 270), (345, 340, 365, 360), (345, 430, 365, 450), (345, 520, 365, 540)],
    USB: [(345, 130, 365, 150), (345, 210, 365, 230), (345, 290, 365, 310), (345, 400, 365, 420), (345, 520, 365, 540)],
}
LAMP_COLUMN = (330, 60, 380, 580)
EMPTY_POINT = (4, 300)  # the main window's own client area, left of the tab control


def centre(rect):
    return ((rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2)


def text_of(row, language):
    """The bytes a control of CONTROLS shows in language 0 (Russian) or 1 (English)."""
    text = row[2]
    if isinstance(text, tuple):
        text = text[1] if language == 0 else text[0]
    return text.encode("cp1251")


def controls(win):
    """The main window's children in creation order, checked against the table's ids."""
    children = win.children()
    h.expect_eq(len(children), len(CONTROLS), "number of controls")
    return children


def radio_states(win):
    """{id: (checked, enabled, visible)} for every setting radio."""
    states = {}
    for child in win.children():
        info = child.info()
        if info["id"] in ALL_RADIOS:
            states[info["id"]] = (info["check"] == 1, bool(info["enabled"]), bool(info["visible"]))
    return states


def expect_page(win, family, checked=None):
    """The shown page, its checked radios and which radios are usable, as the defaults give."""
    checked = DEFAULT_CHECKED[family] if checked is None else checked
    states = radio_states(win)
    for radio in ALL_RADIOS:
        is_checked, enabled, visible = states[radio]
        shown = radio in CARD_RADIOS or radio in (KRU_RADIOS if family == KRU else USB_RADIOS)
        h.expect_eq(visible, shown, "radio %d visible" % radio)
        if shown:
            usable = not (radio in (6, 28) or (radio in CARD_RADIOS and family == KRU))
            h.expect_eq(enabled, usable, "radio %d enabled" % radio)
        if radio in CARD_RADIOS or shown:
            h.expect_eq(is_checked, radio in checked, "radio %d checked" % radio)


def button_face(win):
    return win.pixel(*EMPTY_POINT)


def lamp_colours(win, family):
    return [win.pixel(*centre(r)) for r in LAMP_RECTS[family]]


def expect_lamps(win, family, colours):
    """The shown page's lamps in these colours, the other page's places covered in button face."""
    def right():
        return lamp_colours(win, family) == colours
    try:
        h.wait_until(right, 5.0, "the lamps to be painted")
    except h.Failure:
        h.expect_eq(["%06x" % c for c in lamp_colours(win, family)], ["%06x" % c for c in colours], "lamp colours")
    face = button_face(win)
    other = USB if family == KRU else KRU
    for index, rect in enumerate(LAMP_RECTS[other][:4]):
        h.expect_eq(win.pixel(*centre(rect)), face, "place of lamp %d of the other page" % (index + 1))
        # The other page's ring is covered too (the 2-pixel pen straddles the rectangle's edge).
        for x in (rect[0] - 1, rect[0]):
            h.expect_eq(win.pixel(x, centre(rect)[1]), face, "ring of lamp %d of the other page" % (index + 1))
    # A black ring around every shown lamp.
    for index, rect in enumerate(LAMP_RECTS[family]):
        for x in (rect[0] - 1, rect[0]):
            h.expect_eq(win.pixel(x, centre(rect)[1]), 0, "ring of lamp %d" % (index + 1))


def settle_start_up(app):
    """Waits for the start-up search to report (it always ends with a box: found, not found
    or no ports) and for the program to be idle after it; the boxes are answered."""
    pressed = []
    h.wait_until(lambda: pressed.extend(app.settle()) or pressed, h.DEFAULT_TIMEOUT, "the start-up search's report")
    return pressed


def start(env, cwd=None):
    """Starts the program and waits until its start-up search has finished."""
    app = env.start_app(cwd=cwd)
    win = app.wait_main_window()
    settle_start_up(app)
    return app, win


def start_copy(env, config=None, name="copy"):
    """The program copied into a folder of its own (so no help folder lies beside it),
    started in a fresh working directory."""
    folder = os.path.join(env.tmp, name + "-bin")
    os.makedirs(folder, exist_ok=True)
    exe = os.path.join(folder, "VireoTool-4.exe")
    shutil.copy(h.APP_EXE, exe)
    workdir = env.new_dir(name, config)
    env.boot()
    env.forget_system_ports()
    pid = int(env.driver.cmd("start", h.to_hex(h.windows_path(exe)), h.to_hex(h.windows_path(workdir))))
    app = h.App(env, pid)
    env.apps.append(app)
    win = app.wait_main_window()
    settle_start_up(app)
    return app, win, workdir


def client_pixels(win, rect=None):
    """RGB bytes of a client rectangle (x, y, w, h), the whole client area by default."""
    if rect is None:
        x, y, w, hgt = win.client_rect
        rect = (0, 0, w, hgt)
    return rect, win.pixels(*rect)


def changed_points(before, after):
    """Client points whose colour differs between two captures of the same rectangle."""
    (x0, y0, w, _), a = before
    _, b = after
    points = []
    for i in range(0, len(a), 3):
        if a[i:i + 3] != b[i:i + 3]:
            p = i // 3
            points.append((x0 + p % w, y0 + p // w))
    return points


def inside(point, rect):
    return rect[0] <= point[0] < rect[2] and rect[1] <= point[1] < rect[3]


def save_window_shot(env, win, path):
    """A PNG of the main window only (ImageMagick crops the display's screenshot)."""
    full = env.screenshot(path + ".full.png")
    left, top, right, bottom = win.rect
    if shutil.which("convert"):
        subprocess.run(["convert", full, "-crop", "%dx%d+%d+%d" % (right - left, bottom - top, left, top),
                        "+repage", path], check=True)
        os.remove(full)
    else:
        os.replace(full, path)
    return path
