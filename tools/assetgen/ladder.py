"""The money display: the ladder board with its prize counter
("anim/money.xml"), the blue fades that light a step, their still
highlights, and the flare that sparkles on a step.

The board is drawn at the screen's origin, so its frames place it by their
registration points. The show puts the steps' pieces at fixed screen
positions: step k (0 at the bottom) is the row centred at y = 205 - 19k
(two pixels higher from k = 5), x 10 to 122; the top step (k >= 10) is the
wide row x 0 to 136, y 0 to 22. The fades are placed by their top-left
corner, the highlights centred, the flare by a point 12 pixels above and
10 to the right of its sparkle.
"""
import math

from .canvas import Canvas, mix, vertical
from .canvas_sdf import box_sdf, ellipse_sdf
from .palette import AMBER, BLUE, CREAM, DEEP, GOLD, NAVY, SKY, WHITE, alpha
from .sheet import Sheet

BOARD_W, BOARD_H = 142, 292
ROW_W, ROW_H = 112, 19
TOP_W, TOP_H = 136, 22
SLIDE_FRAMES = 10
COIN_STAGES = 9
HOLD_FRAME = 28
FRAME_COUNT = 30


def row_centre(k):
    return 205 - 19 * k - (2 if k >= 5 else 0)


def ease_out(t):
    return 1.0 - (1.0 - t) ** 3


def board_base():
    c = Canvas(BOARD_W, BOARD_H)
    # The ladder: a translucent navy board with a gold rim.
    c.box(1, 1, 141, 228, vertical(alpha(NAVY, 0.86), alpha(DEEP, 0.9), 0, 228), radius=7)
    c.rim(1, 1, 141, 228, 7, 1.6, GOLD)
    # Rungs between the steps, and the top step's gold plate.
    for k in range(10):
        y = row_centre(k) + 9.5 + (1 if k == 4 else 0)
        c.line(14, y, 128, y, 1.0, alpha(SKY, 0.25))
    c.box(3, 1, 139, 23, vertical(alpha(GOLD, 0.85), alpha(AMBER, 0.75), 1, 23), radius=6)
    c.line(6, 23.5, 136, 23.5, 1.2, alpha(GOLD, 0.8))
    # Step markers on the left.
    for k in range(10):
        c.circle(6.5, row_centre(k), 1.6, alpha(GOLD, 0.7))
    # The prize counter: a box the coins pile up in.
    c.box(1, 234, 141, 291, vertical(alpha(NAVY, 0.9), alpha(DEEP, 0.95), 234, 291), radius=7)
    c.rim(1, 234, 141, 291, 7, 1.6, GOLD)
    c.line(12, 281.5, 130, 281.5, 1.5, alpha(GOLD, 0.5))
    return c


STACKS = (38, 71, 104)


def coin(c, cx, cy):
    c.shape(ellipse_sdf(cx, cy + 1.5, 13, 4.5), (cx - 14, cy - 4, cx + 14, cy + 7), AMBER)
    c.shape(ellipse_sdf(cx, cy, 13, 4.5), (cx - 14, cy - 5, cx + 14, cy + 5),
            lambda x, y: mix(CREAM, GOLD, min(1.0, abs(x - cx) / 13.0 + 0.35)))
    c.shape(ellipse_sdf(cx, cy, 8, 2.6), (cx - 9, cy - 3, cx + 9, cy + 3), alpha(AMBER, 0.55))


def coin_place(n):
    """Where the n-th coin lands: stacks filled in turn, bottom up."""
    return STACKS[n % 3], 276 - 5 * (n // 3)


def board_with(base, landed, falling=None, shine=None):
    c = base.copy()
    for n in range(landed):
        coin(c, *coin_place(n))
    if falling is not None:
        x, y = coin_place(falling)
        coin(c, x, y - 16)
    if shine is not None:
        c.star(shine[0], shine[1], 7, 2.2, WHITE, count=4)
        c.circle(shine[0], shine[1], 2.5, alpha(WHITE, 0.8))
    return c


def money():
    """30 frames: the board slides in from the left (one image, moved by
    its registration point), coins drop into the counter one by one, and
    frame 28, the frame held while the steps light up, shows the full
    counter with a sparkle; frame 29 is the same."""
    sheet = Sheet("money")
    base = board_base()
    empty = sheet.add_image(base)
    for i in range(SLIDE_FRAMES):
        t = i / float(SLIDE_FRAMES - 1)
        sheet.add_frame(empty, reg=(int(round((BOARD_W + 8) * (1.0 - ease_out(t)))), 0))
    for stage in range(COIN_STAGES):
        sheet.add_frame(board_with(base, stage, falling=stage))
        sheet.add_frame(board_with(base, stage + 1))
    full = board_with(base, COIN_STAGES, shine=(STACKS[2] + 9, 262))
    while len(sheet.frames) < FRAME_COUNT:
        sheet.add_frame(full)
    return sheet


def bar(w, h, level, glint=None):
    """A step's blue bar at a brightness level 0..1; glint is the x of a
    white sweep across it."""
    c = Canvas(w, h)
    top = mix(BLUE, SKY, 0.3)
    bottom = mix(BLUE, NAVY, 0.5)
    c.box(0.5, 0.5, w - 0.5, h - 0.5, vertical(alpha(top, level), alpha(bottom, level), 0, h), radius=h / 2.0 - 1)
    c.rim(0.5, 0.5, w - 0.5, h - 0.5, h / 2.0 - 1, 1.2, alpha(WHITE, 0.7 * level))
    if glint is not None:
        g = glint

        inside = box_sdf(0.5, 0.5, w - 0.5, h - 0.5, h / 2.0 - 1)

        def band(x, y):
            return max(abs(x - g + (y - h / 2.0) * 0.6) - 7.0, inside(x, y))
        c.shape(band, (g - 20, 0, g + 20, h), alpha(WHITE, 0.55))
    return c


def fade(name, w, h):
    """Frames 0-5: the bar comes up from nothing with a glint running
    across; frame 5 (the held one) is the still highlight."""
    sheet = Sheet(name)
    for i in range(6):
        level = i / 5.0
        glint = None if i in (0, 5) else -8 + (w + 16) * (i - 1) / 3.0
        sheet.add_frame(bar(w, h, level, glint))
    return sheet


def flare():
    """Eight frames of a four-pointed sparkle, 24 x 24, that flashes and
    fades; it stays on the screen on the top step too."""
    sheet = Sheet("flare")
    size = 24
    m = size / 2.0
    for i in range(8):
        t = i / 7.0
        grow = math.sin(math.pi * min(1.0, t * 1.6)) if t < 0.62 else 0.0
        grow = max(grow, 1.0 - t) * 0.9 + 0.1
        c = Canvas(size, size)
        c.circle(m, m, 8 * grow, alpha(SKY, 0.35 * (1.0 - t) + 0.1))
        c.star(m, m, 11.5 * grow, 1.8 * grow + 0.4, alpha(WHITE, 1.0 - 0.7 * t), count=4)
        c.circle(m, m, 2.4 * grow + 0.5, alpha(WHITE, 1.0 - 0.5 * t))
        # Placed at (28, row centre - 12): the sparkle's centre lands at x 18.
        sheet.add_frame(c, reg=(m + 10, m - 12))
    return sheet


def sheets():
    return [money(), fade("blue_fade", ROW_W, ROW_H), fade("blue_fade_long", TOP_W, TOP_H), flare()]


def images():
    """Plain images: name -> Canvas."""
    return {
        "blue_static": bar(ROW_W, ROW_H, 1.0),
        "blue_static_long": bar(TOP_W, TOP_H, 1.0),
    }
