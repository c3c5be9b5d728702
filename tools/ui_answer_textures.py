"""The answer windows' pictures, drawn for tools/make-ui-textures.py: the
chalkboard answer panel in its wooden frame, the chalk-framed answer
choices (off, on, and both rolled over), the chalk line a typed answer is
written on, the wooden tray behind the helps, and the three help badges
(Peek: an eye, Copy: two sheets, Save: a life ring) with their pressed,
rolled-over and used-up faces."""
import math


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def rrect(x, y, w, h, r):
    """Signed distance from pixel (x, y) to a w x h box with radius r."""
    px, py = abs(x + 0.5 - w / 2.0) - (w / 2.0 - r), abs(y + 0.5 - h / 2.0) - (h / 2.0 - r)
    out = math.hypot(max(px, 0.0), max(py, 0.0))
    return out + min(max(px, py), 0.0) - r


def segment(x, y, ax, ay, bx, by):
    px, py, dx, dy = x + 0.5 - ax, y + 0.5 - ay, bx - ax, by - ay
    t = clamp((px * dx + py * dy) / float(dx * dx + dy * dy))
    return math.hypot(px - dx * t, py - dy * t)


def grain(x, y, seed):
    """Chalk grain in 0..1, fixed for a pixel."""
    n = math.sin(x * 12.9898 + y * 78.233 + seed * 37.719) * 43758.5453
    return n - math.floor(n)


def pixel(colour, alpha):
    return tuple(int(round(clamp(c / 255.0) * 255)) for c in colour) + (int(round(clamp(alpha) * 255)),)


def image(w, h, shade):
    return [[pixel(*shade(x, y)) for x in range(w)] for y in range(h)]


CHALK = (244, 246, 236)
BOARD_LIGHT, BOARD_DARK = (44, 90, 62), (20, 50, 34)
WOOD_LIGHT, WOOD_DARK = (140, 92, 48), (86, 52, 24)


def wood(x, y, edge, width):
    streak = 0.5 + 0.5 * math.sin(x * 0.19 + y * 1.3 + 0.8 * math.sin(x * 0.05))
    return mix(WOOD_LIGHT, WOOD_DARK, clamp(streak * 0.55 + (width - edge) / (2.5 * width)))


def answer_board():
    w, h, r, frame = 620, 240, 14, 9

    def shade(x, y):
        d = rrect(x, y, w, h, r)
        if d > -frame:
            return wood(x, y, -d, frame), clamp(0.5 - d)
        c = math.hypot((x + 0.5 - w / 2.0) / (w / 2.0), (y + 0.5 - h / 2.0) / (h / 2.0))
        colour = mix(BOARD_LIGHT, BOARD_DARK, clamp(c * 0.85))
        # Faint rubbed-out chalk.
        smear = 0.05 * (0.5 + 0.5 * math.sin(x * 0.07 - y * 0.11)) * grain(x, y, 3)
        return mix(colour, CHALK, smear), 1.0
    return image(w, h, shade)


def chalk_option(on, roll):
    w, h = 290, 56

    def shade(x, y):
        d = rrect(x - 2, y - 2, w - 4, h - 4, 12)
        stroke = clamp(1.8 - abs(d + 1.5)) * (0.55 + 0.45 * grain(x, y, 1))
        fill = 0.0
        if d < -1.5:
            fill = (0.30 if on else 0.0) + (0.12 if roll else 0.0)
            fill *= 0.7 + 0.3 * grain(x, y, 2)
        strength = 0.75 if roll or on else 0.5
        tint = (255, 226, 120) if on else CHALK
        alpha = max(stroke * strength + (0.25 if roll or on else 0.0) * stroke, fill)
        return (tint if fill > stroke * strength else CHALK), alpha
    return image(w, h, shade)


def answer_line():
    w, h = 500, 56

    def shade(x, y):
        wave = 46 + 1.5 * math.sin(x * 0.05)
        d = abs(y + 0.5 - wave) - 1.6
        fade = clamp(min(x, w - 1 - x) / 12.0)
        return CHALK, clamp(0.5 - d) * (0.5 + 0.5 * grain(x, y, 4)) * fade
    return image(w, h, shade)


def help_tray():
    w, h = 276, 118

    def shade(x, y):
        d = rrect(x, y, w, h, 16)
        inner = rrect(x - 6, y - 6, w - 12, h - 12, 11)
        if inner < 0:
            colour = mix((36, 28, 20), (58, 42, 26), y / float(h))
            return colour, 0.82
        return wood(x, y, -d, 6), clamp(0.5 - d)
    return image(w, h, shade)


HELPS = {
    "peek": ((255, 176, 60), (214, 104, 20)),
    "copy": ((170, 130, 240), (98, 62, 182)),
    "save": ((110, 214, 120), (36, 140, 60)),
}


def help_symbol(kind, x, y):
    """Coverage (0..1) of a help's white symbol in a 76 x 76 badge."""
    cx, cy = 38.0, 38.0
    px, py = x + 0.5, y + 0.5
    if kind == "peek":
        # An eye: an almond outline and its pupil.
        upper = math.hypot(px - cx, py - (cy + 22)) - 32
        lower = math.hypot(px - cx, py - (cy - 22)) - 32
        almond = max(upper, lower)
        ring = abs(almond + 1.5) - 1.6
        pupil = math.hypot(px - cx, py - cy) - 6.5
        return clamp(0.5 - min(ring, pupil))
    if kind == "copy":
        # Two sheets, the front one with ruled lines.
        back = abs(rrect(x - 18, y - 14, 30, 38, 3) + 1.0) - 1.4
        front = rrect(x - 28, y - 24, 30, 38, 3)
        outline = abs(front + 1.0) - 1.4
        lines = min(abs(py - (30 + 8 * k)) - 0.9 for k in range(4)) if 32 <= px <= 52 else 9.0
        cover_back = clamp(0.5 - back) if front > 0 else 0.0
        return max(cover_back, clamp(0.5 - outline), clamp(0.5 - lines) if front < -2 else 0.0)
    # Save: a life ring with four bands.
    r = math.hypot(px - cx, py - cy)
    ring = abs(r - 18) - 6
    cover = clamp(0.5 - ring)
    angle = math.atan2(py - cy, px - cx)
    band = abs(math.sin(2 * angle)) > 0.38
    return cover * (1.0 if band else 0.55)


def help_badge(kind, face):
    top, bottom = HELPS[kind]
    if face == "used":
        grey = lambda c: (sum(c) / 3.0 * 0.55,) * 3
        top, bottom = grey(top), grey(bottom)
    elif face == "rollover":
        top, bottom = mix(top, (255, 255, 255), 0.22), mix(bottom, (255, 255, 255), 0.15)
    elif face == "pressed":
        top, bottom = mix(bottom, (0, 0, 0), 0.1), top

    def shade(x, y):
        d = math.hypot(x + 0.5 - 38, y + 0.5 - 38) - 35
        colour = mix(top, bottom, y / 75.0)
        colour = mix(colour, (30, 20, 10), clamp(d + 3.0))
        if face != "pressed" and y < 34:
            colour = mix(colour, (255, 255, 255), 0.2 * (1 - y / 34.0))
        symbol = help_symbol(kind, x + (1 if face == "pressed" else 0), y + (1 if face == "pressed" else 0))
        ink = (180, 180, 176) if face == "used" else (255, 255, 255)
        colour = mix(colour, ink, symbol)
        return colour, clamp(0.5 - d) * (0.8 if face == "used" else 1.0)
    return image(76, 76, shade)


def answer_textures():
    out = {"answer_board.png": answer_board(), "chalk_answer_line.png": answer_line(),
           "help_tray.png": help_tray()}
    for name, on, roll in (("off", False, False), ("on", True, False), ("roll", False, True),
                           ("on_roll", True, True)):
        out["chalk_option_%s.png" % name] = chalk_option(on, roll)
    for kind in HELPS:
        for face in ("normal", "pressed", "rollover", "used"):
            out["help_%s_%s.png" % (kind, face)] = help_badge(kind, face)
    return out
