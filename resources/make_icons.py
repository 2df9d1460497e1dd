#!/usr/bin/python3
# SPDX-License-Identifier: Apache-2.0
"""Draws the program's seven icons and writes them as .ico files beside this script.

Each icon is one 32x32 image, 32 bits per pixel with alpha: a 40-byte BITMAPINFOHEADER,
4096 bytes of colour (BGRA, bottom row first) and a 128-byte AND mask, 4264 bytes in all.
The pictures are drawn four times larger and scaled down, which smooths their edges.
Run it again after changing a picture and commit the .ico files it writes:
    /usr/bin/python3 resources/make_icons.py        (needs python3-pil)
With --web it also draws the handshake as the browser page's icons, web/icon-192.png and
web/icon-512.png (a web app's manifest asks for both sizes).
"""
import math
import os
import struct
import sys

from PIL import Image, ImageDraw

SIZE = 32
SCALE = 4
BIG = SIZE * SCALE

HERE = os.path.dirname(os.path.abspath(__file__))
NAMES = {
    1: "app_search.ico",
    2: "app_handshake.ico",
    3: "success.ico",
    4: "warning.ico",
    5: "error.ico",
    6: "question.ico",
    7: "retry.ico",
}


def canvas():
    image = Image.new("RGBA", (BIG, BIG), (0, 0, 0, 0))
    return image, ImageDraw.Draw(image)


def p(x, y):
    """A point given in 32-pixel units on the big canvas."""
    return (x * SCALE, y * SCALE)


def box(x0, y0, x1, y1):
    return [x0 * SCALE, y0 * SCALE, x1 * SCALE, y1 * SCALE]


def disc(draw, cx, cy, r, fill, outline=None, width=0):
    draw.ellipse(box(cx - r, cy - r, cx + r, cy + r), fill=fill, outline=outline, width=width * SCALE)


def thick_line(draw, points, width, fill):
    """A polyline with round joints and ends."""
    pts = [p(x, y) for x, y in points]
    draw.line(pts, fill=fill, width=int(width * SCALE), joint="curve")
    r = width * SCALE / 2
    for x, y in (pts[0], pts[-1]):
        draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)


def shaded_disc(draw, cx, cy, r, dark, light):
    """A disc with a soft highlight towards its top left."""
    disc(draw, cx, cy, r, dark)
    steps = 12
    for i in range(steps):
        t = i / steps
        colour = tuple(int(dark[k] + (light[k] - dark[k]) * t) for k in range(3)) + (255,)
        rr = r * (1 - 0.55 * t) - 1
        off = (r - rr) * 0.55
        disc(draw, cx - off, cy - off, rr, colour)


def icon_search_key():
    image, draw = canvas()
    gold, gold_dark = (240, 185, 30, 255), (140, 95, 10, 255)
    # The magnifying glass: handle to the lower right, dark rim, pale glass.
    thick_line(draw, [(19.5, 19.5), (28.5, 28.5)], 5.4, (55, 35, 20, 255))
    thick_line(draw, [(20.5, 20.5), (28, 28)], 3.2, (125, 80, 40, 255))
    disc(draw, 13, 13, 12, (60, 70, 85, 255))
    disc(draw, 13, 13, 10, (215, 238, 252, 255))
    # The key seen through the lens: bow on the left, blade to the right, two teeth.
    thick_line(draw, [(9, 13), (20, 13)], 3.4, gold_dark)
    for x in (16, 19):
        thick_line(draw, [(x, 13), (x, 17)], 2.6, gold_dark)
    disc(draw, 7.5, 13, 4.2, gold_dark)
    thick_line(draw, [(9, 13), (20, 13)], 1.8, gold)
    for x in (16, 19):
        thick_line(draw, [(x, 13), (x, 17)], 1.1, gold)
    disc(draw, 7.5, 13, 3.2, gold)
    disc(draw, 7.5, 13, 1.4, (215, 238, 252, 255))
    # A glint on the glass.
    draw.arc(box(5.5, 5.5, 20.5, 20.5), 200, 245, fill=(255, 255, 255, 255), width=int(1.3 * SCALE))
    return image


def icon_handshake():
    image, draw = canvas()
    skin, skin_dark = (242, 192, 140, 255), (170, 110, 60, 255)
    # Left sleeve (blue) and right sleeve (grey) coming in from the lower corners.
    draw.polygon([p(0, 19), p(6, 14), p(10, 21), p(3, 27), p(0, 27)], fill=(40, 90, 180, 255))
    draw.polygon([p(32, 19), p(26, 14), p(22, 21), p(29, 27), p(32, 27)], fill=(90, 95, 105, 255))
    # The two hands clasped in the middle.
    draw.polygon([p(6, 14), p(12, 11), p(20, 12), p(24, 16), p(20, 21), p(14, 24), p(10, 21)],
                 fill=skin_dark)
    draw.polygon([p(7, 15), p(12, 12), p(19.5, 13), p(23, 16.5), p(19.5, 20), p(14, 23), p(10.5, 20.5)],
                 fill=skin)
    draw.polygon([p(26, 14), p(21, 12.5), p(15, 14.5), p(13, 17), p(15.5, 18), p(19, 16.5), p(22, 21)],
                 fill=skin_dark)
    draw.polygon([p(25.5, 14.6), p(21, 13.4), p(15.5, 15.2), p(14.2, 16.8), p(15.8, 17.2), p(19.2, 15.6),
                  p(22.2, 19.8)], fill=skin)
    # Fingers wrapped over the other hand.
    for x in (11.5, 14, 16.5):
        thick_line(draw, [(x, 18.5), (x + 2, 22)], 1.0, skin_dark)
    # The check mark above, on a white disc.
    disc(draw, 24, 7, 6.5, (255, 255, 255, 255))
    disc(draw, 24, 7, 6.5, None, (30, 140, 50, 255), 1)
    thick_line(draw, [(20.8, 7.2), (23.2, 9.8), (27.6, 4.0)], 2.3, (30, 150, 50, 255))
    return image


def icon_success():
    image, draw = canvas()
    shaded_disc(draw, 16, 16, 15, (20, 130, 40), (110, 215, 110))
    thick_line(draw, [(8.5, 16.5), (13.5, 21.5), (23.5, 10.5)], 4.0, (255, 255, 255, 255))
    return image


def icon_warning():
    image, draw = canvas()
    corners = [(16, 2.5), (30.5, 28.5), (1.5, 28.5)]
    draw.polygon([p(x, y) for x, y in corners], fill=(200, 90, 0, 255))
    draw.line([p(x, y) for x, y in corners + corners[:1]], fill=(200, 90, 0, 255), width=3 * SCALE,
              joint="curve")
    inner = [(16, 5.5), (28, 27), (4, 27)]
    draw.polygon([p(x, y) for x, y in inner], fill=(255, 150, 20, 255))
    thick_line(draw, [(16, 11.5), (16, 19.5)], 3.4, (255, 255, 255, 255))
    disc(draw, 16, 23.8, 1.9, (255, 255, 255, 255))
    return image


def icon_error():
    image, draw = canvas()
    shaded_disc(draw, 16, 16, 15, (175, 20, 20), (245, 100, 90))
    thick_line(draw, [(10.5, 10.5), (21.5, 21.5)], 4.0, (255, 255, 255, 255))
    thick_line(draw, [(21.5, 10.5), (10.5, 21.5)], 4.0, (255, 255, 255, 255))
    return image


def question_mark(draw, width, fill):
    # The hook: an arc over the top, bending down into the stem, then the dot.
    hook = []
    for i in range(0, 21):
        angle = math.radians(200 - i * 14.5)
        hook.append((16 + 7.5 * math.cos(angle), 10.5 - 7.5 * math.sin(angle)))
    hook += [(16.5, 17.8), (16, 20.5)]
    thick_line(draw, hook, width, fill)
    disc(draw, 16, 27, width / 2 + 0.4, fill)


def icon_question():
    image, draw = canvas()
    question_mark(draw, 7.0, (150, 105, 0, 255))
    question_mark(draw, 4.4, (255, 215, 20, 255))
    return image


def arrow_arc(draw, start_deg, span_deg, radius, width, fill):
    """A circular arc from start_deg turning clockwise by span_deg, with a head at its end."""
    cx = cy = 16
    pts = []
    steps = 24
    for i in range(steps + 1):
        a = math.radians(start_deg + span_deg * i / steps)
        pts.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    thick_line(draw, pts, width, fill)
    # The head: a triangle pointing along the arc at its end, its base across the arc.
    a = math.radians(start_deg + span_deg)
    tip_angle = a + math.radians(36)
    tip = (cx + radius * math.cos(tip_angle), cy + radius * math.sin(tip_angle))
    base = (cx + radius * math.cos(a), cy + radius * math.sin(a))
    nx, ny = math.cos(a), math.sin(a)
    half = width * 1.3
    draw.polygon([p(*tip), p(base[0] + nx * half, base[1] + ny * half),
                  p(base[0] - nx * half, base[1] - ny * half)], fill=fill)


def icon_retry():
    image, draw = canvas()
    for start in (200, 20):
        arrow_arc(draw, start, 112, 10.5, 4.6, (225, 30, 30, 255))
    return image


def to_ico(image):
    """The .ico bytes of one 32x32 RGBA image."""
    small = image.convert("RGBa").resize((SIZE, SIZE), Image.LANCZOS).convert("RGBA")
    pixels = small.load()
    colour = bytearray()
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom row first
        bits = 0
        for x in range(SIZE):
            r, g, b, a = pixels[x, y]
            if a == 0:
                r = g = b = 0
            colour += bytes((b, g, r, a))
            bits = (bits << 1) | (1 if a == 0 else 0)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    data = header + bytes(colour) + bytes(mask)
    assert len(data) == 4264
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(data), 6 + 16)
    return directory + entry + data


DRAWINGS = {
    1: icon_search_key,
    2: icon_handshake,
    3: icon_success,
    4: icon_warning,
    5: icon_error,
    6: icon_question,
    7: icon_retry,
}


WEB_ICON_SIZES = (192, 512)


def web_icons():
    """The handshake at the browser page's sizes, drawn four times larger and scaled down."""
    global SCALE, BIG
    folder = os.path.join(HERE, "..", "web")
    for size in WEB_ICON_SIZES:
        SCALE = size * 4 // SIZE
        BIG = SIZE * SCALE
        image = icon_handshake().convert("RGBa").resize((size, size), Image.LANCZOS).convert("RGBA")
        path = os.path.normpath(os.path.join(folder, "icon-%d.png" % size))
        image.save(path, optimize=True)
        print(path)


def main():
    if "--web" in sys.argv[1:]:
        web_icons()
        return
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for icon_id, draw_icon in DRAWINGS.items():
        path = os.path.join(HERE, "icons", NAMES[icon_id])
        with open(path, "wb") as f:
            f.write(to_ico(draw_icon()))
        print(path)


if __name__ == "__main__":
    main()
