"""The flunk-out and drop-out banners ("anim/flunkout.xml",
"anim/dropout.xml"): a plate with the verdict, "YOU LEAVE WITH" and an
empty amount box, whose "Text" anchor is where the game writes the money
(a 130 x 26 box centred on the anchor, its top on the anchor).

The show plays frames 1-30 at 15 a second and holds frame 30, drawn at
(560, 40). The banner hangs from its top centre: frames 1-10 drop it in
from above the screen with a bounce (one image moved by its registration
point, the anchor moving with it), frames 11-29 run a shine across it,
frame 30 is the banner at rest. Frame 0 is the banner still out of sight,
without the anchor.
"""
from .canvas import Canvas, vertical
from .canvas_sdf import box_sdf
from .palette import (AMBER, CREAM, DARK_GREEN, DARK_RED, DEEP, GOLD, GREEN, NAVY, RED,
                      WHITE, alpha)
from .sheet import Sheet

W, H = 264, 112
PLATE = (64, 62, 200, 92)     # the amount box
TEXT_AT = (W // 2, 65)        # top centre of the amount text
DROP = 170                    # out of sight above the screen
FRAME_COUNT = 31


def bounce(t):
    """0 at the start, 1 at the end, with two falling bounces."""
    n, d = 7.5625, 2.75
    if t < 1 / d:
        return n * t * t
    if t < 2 / d:
        t -= 1.5 / d
        return n * t * t + 0.75
    if t < 2.5 / d:
        t -= 2.25 / d
        return n * t * t + 0.9375
    t -= 2.625 / d
    return n * t * t + 0.984375


def banner(title, light, dark, mark):
    c = Canvas(W, H)
    c.box(3, 5, W - 1, H - 1, alpha(DEEP, 0.5), radius=12)  # shadow
    c.box(1, 2, W - 3, H - 4, vertical(light, dark, 2, H - 4), radius=12)
    c.rim(1, 2, W - 3, H - 4, 12, 2.4, GOLD)
    c.rim(6, 7, W - 8, H - 9, 8, 1.0, alpha(CREAM, 0.45))
    c.text(title, W / 2.0, 12, 2.8, WHITE, align="centre", outline=alpha(DEEP, 0.85), outline_width=1.6)
    c.text("YOU LEAVE WITH", W / 2.0, 44, 1.6, alpha(CREAM, 0.95), align="centre")
    x0, y0, x1, y1 = PLATE
    c.box(x0, y0, x1, y1, vertical(alpha(NAVY, 0.95), alpha(DEEP, 0.95), y0, y1), radius=6)
    c.rim(x0, y0, x1, y1, 6, 1.4, alpha(AMBER, 0.9))
    for side in (-1, 1):
        mark(c, W / 2.0 + side * 116, 22)
    return c


def star_mark(c, x, y):
    c.star(x, y, 9, 3.6, GOLD)


def cross_mark(c, x, y):
    c.line(x - 6, y - 6, x + 6, y + 6, 4, CREAM)
    c.line(x + 6, y - 6, x - 6, y + 6, 4, CREAM)


def shine(base, t):
    c = base.copy()
    inside = box_sdf(1, 2, W - 3, H - 4, 12)
    centre = -40 + (W + 80) * t

    def band(x, y):
        return max(abs(x - centre + (y - H / 2.0) * 0.5) - 12.0, inside(x, y))
    c.shape(band, (centre - 70, 0, centre + 70, H), alpha(WHITE, 0.3))
    return c


def make(name, title, light, dark, mark):
    sheet = Sheet(name)
    base = banner(title, light, dark, mark)
    rest = sheet.add_image(base)
    text = [("Text", TEXT_AT[0], TEXT_AT[1])]
    sheet.add_frame(rest, reg=(W // 2, DROP))
    for i in range(1, 11):
        fall = 1.0 - bounce(i / 10.0)
        sheet.add_frame(rest, reg=(W // 2, int(round(DROP * fall))), anchors=text)
    sweep = 9
    for i in range(11, 30):
        step = (i - 11) // 2
        if step < sweep:
            sheet.add_frame(shine(base, step / float(sweep - 1)), reg=(W // 2, 0), anchors=text)
        else:
            sheet.add_frame(rest, reg=(W // 2, 0), anchors=text)
    sheet.add_frame(rest, reg=(W // 2, 0), anchors=text)
    assert len(sheet.frames) == FRAME_COUNT
    return sheet


def sheets():
    return [
        make("flunkout", "FLUNKED OUT!", RED, DARK_RED, cross_mark),
        make("dropout", "DROPPED OUT", GREEN, DARK_GREEN, star_mark),
    ]

