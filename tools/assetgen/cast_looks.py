"""How each member of the cast looks, and the 256 x 256 picture (atlas)
that dresses their body: one square region a surface kind, the body's
faces mapped into them (cast_body.py)."""
from .canvas import Canvas, mix
from .canvas_sdf import ellipse_sdf

SIZE = 256
# Surface kind: its square in the picture (x0, y0, x1, y1, in pixels).
REGIONS = {
    "face": (0, 0, 64, 64),
    "head_side": (64, 0, 128, 64),
    "hair": (128, 0, 192, 64),
    "skin": (192, 0, 256, 64),
    "shirt": (0, 64, 64, 128),
    "shirt_front": (64, 64, 128, 128),
    "sleeve": (128, 64, 192, 128),
    "pants": (192, 64, 256, 128),
    "shoes": (0, 128, 64, 192),
    "forearm": (64, 128, 128, 192),
}


class Look:
    """Colours are 0..255 rgb. hair: "short", "long", "ponytail", "puffs",
    "spiky" or "slick"; badge: what the shirt's front shows ("star",
    "stripes", "collar", "heart", "plain" or "tie" for a suit)."""

    def __init__(self, name, skin, hair_colour, hair, shirt, pants, shoes, badge, size=1.0,
                 suit=False, eyes=(60, 40, 30)):
        self.name = name
        self.skin, self.hair_colour, self.hair = skin, hair_colour, hair
        self.shirt, self.pants, self.shoes, self.badge = shirt, pants, shoes, badge
        self.size = size
        self.suit = suit
        self.eyes = eyes


CLASSMATES = (
    Look("kid1", (242, 206, 176), (96, 60, 30), "short", (206, 52, 48), (58, 78, 132), (40, 40, 44), "star",
         size=0.98),
    Look("kid2", (122, 80, 52), (28, 22, 20), "puffs", (240, 192, 40), (48, 48, 56), (220, 220, 226), "heart",
         size=0.96),
    Look("kid3", (214, 164, 120), (232, 200, 110), "ponytail", (52, 152, 84), (120, 84, 52), (90, 50, 30),
         "stripes", size=0.95, eyes=(40, 90, 140)),
    Look("kid4", (250, 222, 204), (196, 84, 32), "spiky", (52, 104, 212), (96, 98, 104), (200, 40, 40), "plain",
         size=1.01, eyes=(50, 110, 60)),
    Look("kid5", (172, 122, 86), (24, 20, 22), "long", (134, 72, 172), (36, 30, 48), (60, 30, 60), "collar",
         size=0.97),
)
HOST = Look("varnum", (226, 186, 150), (128, 126, 130), "slick", (34, 42, 84), (30, 36, 70), (20, 20, 22), "tie",
            size=1.08, suit=True)
CAST = CLASSMATES + (HOST,)


def _fill(c, region, colour, shade=0.0):
    """A region in one colour, a little darker toward its bottom."""
    x0, y0, x1, y1 = REGIONS[region]
    dark = tuple(v * 0.8 for v in colour)
    c.box(x0, y0, x1, y1, lambda x, y: mix(colour, dark, shade * (y - y0) / (y1 - y0)) + (1.0,))


def _face(c, look):
    x0, y0, x1, y1 = REGIONS["face"]
    _fill(c, "face", look.skin)
    hair = look.hair_colour + (1.0,)
    # Fringe: how low the hair comes down the forehead.
    fringe = {"short": 12, "long": 14, "ponytail": 10, "puffs": 9, "spiky": 14, "slick": 8}[look.hair]
    c.box(x0, y0, x1, y0 + fringe, hair)
    if look.hair == "spiky":
        for k in range(5):
            px = x0 + 4 + k * 13
            c.polygon([(px, y0 + fringe - 1), (px + 12, y0 + fringe - 1), (px + 6, y0 + fringe + 6)], hair)
    if look.hair == "long":
        c.box(x0, y0, x0 + 7, y1, hair)
        c.box(x1 - 7, y0, x1, y1, hair)
    cx = (x0 + x1) / 2.0
    brow = y0 + fringe + 7
    for side in (-1, 1):
        ex = cx + side * 13
        c.line(ex - 6, brow, ex + 5, brow - 1, 2.5, look.hair_colour + (1.0,))
        c.shape(ellipse_sdf(ex, brow + 9, 6.5, 5.0), (ex - 7, brow + 4, ex + 7, brow + 14), (250, 250, 250, 1.0))
        c.circle(ex, brow + 9.5, 3.2, look.eyes + (1.0,))
        c.circle(ex, brow + 9.5, 1.4, (10, 10, 10, 1.0))
        c.circle(ex + side * 4, y0 + 46, 5.0, (230, 120, 120, 0.25))
    mouth = (150, 60, 60, 1.0)
    c.line(cx - 9, y0 + 50, cx - 3, y0 + 53, 2.2, mouth)
    c.line(cx - 3, y0 + 53, cx + 3, y0 + 53, 2.2, mouth)
    c.line(cx + 3, y0 + 53, cx + 9, y0 + 50, 2.2, mouth)


def _head_side(c, look):
    x0, y0, x1, y1 = REGIONS["head_side"]
    _fill(c, "head_side", look.skin)
    hair = look.hair_colour + (1.0,)
    c.box(x0, y0, x1, y0 + 16, hair)
    # The back half of the side (toward the picture's left on both sides of
    # the head is not the same edge, so cover the side's top and an ear).
    if look.hair in ("long", "puffs"):
        c.box(x0, y0, x1, y0 + 40, hair)
    c.shape(ellipse_sdf((x0 + x1) / 2.0, y0 + 34, 5, 8), (x0 + 20, y0 + 24, x1 - 20, y0 + 44),
            tuple(v * 0.88 for v in look.skin) + (1.0,))


def _hair(c, look):
    x0, y0, x1, y1 = REGIONS["hair"]
    _fill(c, "hair", look.hair_colour)
    light = tuple(min(255, v * 1.35 + 20) for v in look.hair_colour) + (0.5,)
    for k in range(8):
        x = x0 + 4 + k * 8
        c.line(x, y0 + 2, x + 3, y1 - 2, 1.5, light)


def _shirt_front(c, look):
    x0, y0, x1, y1 = REGIONS["shirt_front"]
    cx = (x0 + x1) / 2.0
    if look.badge == "tie":
        _fill(c, "shirt_front", look.shirt)
        c.polygon([(cx - 14, y0), (cx + 14, y0), (cx, y0 + 40)], (244, 244, 240, 1.0))
        c.polygon([(cx - 4, y0 + 4), (cx + 4, y0 + 4), (cx + 6, y0 + 34), (cx, y0 + 42), (cx - 6, y0 + 34)],
                  (190, 30, 40, 1.0))
        for side in (-1, 1):
            c.line(cx + side * 15, y0 + 1, cx + side * 3, y0 + 42, 2.0, (18, 22, 48, 1.0))
        c.circle(cx, y0 + 50, 2.0, (200, 200, 200, 1.0))
        return
    _fill(c, "shirt_front", look.shirt)
    accent = (250, 244, 220, 1.0)
    if look.badge == "star":
        c.star(cx, y0 + 30, 14, 6, (250, 210, 60, 1.0))
    elif look.badge == "heart":
        c.circle(cx - 6, y0 + 26, 7, (220, 60, 90, 1.0))
        c.circle(cx + 6, y0 + 26, 7, (220, 60, 90, 1.0))
        c.polygon([(cx - 13, y0 + 28), (cx + 13, y0 + 28), (cx, y0 + 42)], (220, 60, 90, 1.0))
    elif look.badge == "stripes":
        for k in range(4):
            c.box(x0, y0 + 10 + k * 14, x1, y0 + 16 + k * 14, accent)
    elif look.badge == "collar":
        c.polygon([(cx - 16, y0), (cx, y0 + 14), (cx - 4, y0 + 16), (cx - 18, y0 + 6)], accent)
        c.polygon([(cx + 16, y0), (cx, y0 + 14), (cx + 4, y0 + 16), (cx + 18, y0 + 6)], accent)
        for k in range(3):
            c.circle(cx, y0 + 24 + k * 12, 2.0, accent)
    # The neckline.
    c.box(cx - 10, y0, cx + 10, y0 + 4, tuple(v * 0.7 for v in look.shirt) + (1.0,), radius=2)


def atlas(look):
    c = Canvas(SIZE, SIZE, (128, 128, 128, 1.0))
    _face(c, look)
    _head_side(c, look)
    _hair(c, look)
    _fill(c, "skin", look.skin)
    _fill(c, "shirt", look.shirt, shade=0.6)
    _shirt_front(c, look)
    _fill(c, "sleeve", look.shirt, shade=0.3)
    _fill(c, "pants", look.pants, shade=0.5)
    _fill(c, "shoes", look.shoes)
    x0, y0, x1, y1 = REGIONS["shoes"]
    c.box(x0, y1 - 10, x1, y1, (236, 236, 236, 1.0))
    if look.suit:
        _fill(c, "forearm", look.shirt, shade=0.3)
        fx0, fy0, fx1, fy1 = REGIONS["forearm"]
        c.box(fx0, fy1 - 8, fx1, fy1, (244, 244, 240, 1.0))
    else:
        _fill(c, "forearm", look.skin)
    return c
