"""The loading screen's pictures, drawn for tools/make-ui-textures.py: the
progress bar (580 x 24, gold, lit along its top and cut by the window's
width, so its right end is square) and the frame around it (600 x 44: a
dark groove in a thin gold rim)."""
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


def pixel(colour, alpha):
    return tuple(int(round(clamp(c / 255.0) * 255)) for c in colour) + (int(round(clamp(alpha) * 255)),)


def loading_bar():
    w, h = 580, 24

    def shade(x, y):
        # Rounded at the left only: the right end is wherever the bar is cut.
        d = rrect(x, y, w + 24, h, 6) if x < w / 2 else abs(y + 0.5 - h / 2.0) - h / 2.0
        t = y / float(h - 1)
        colour = mix((255, 226, 130), (196, 132, 36), t)
        # A highlight along the top third, and faint diagonal stripes.
        colour = mix(colour, (255, 250, 220), clamp(0.35 - t) * 1.2)
        stripe = 0.5 + 0.5 * math.sin((x + y) * 0.35)
        colour = mix(colour, (150, 96, 24), 0.10 * stripe)
        return colour, clamp(0.5 - d)
    return [[pixel(*shade(x, y)) for x in range(w)] for y in range(h)]


def loading_frame():
    w, h = 600, 44

    def shade(x, y):
        d = rrect(x, y, w, h, 10)
        cover = clamp(0.5 - d)
        if d > -3.0:
            return mix((236, 200, 110), (150, 110, 40), y / float(h - 1)), cover
        return mix((8, 10, 26), (24, 30, 64), y / float(h - 1)), cover * 0.92
    return [[pixel(*shade(x, y)) for x in range(w)] for y in range(h)]


def loading_textures():
    return {"loading_bar.png": loading_bar(), "loading_frame.png": loading_frame()}
