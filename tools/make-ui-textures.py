#!/usr/bin/env python3
"""Generates the widget textures into a folder (the build's assets/ui):
button faces for the normal, pressed, rollover and on states, check box and
radio button pairs, slider rail pieces (top, middle, bottom) and thumb
(normal, roll), a round button's faces with its mask, a panel background,
the title screen's opaque backdrop, and the studio screens' chalkboard
with an empty picture frame drawn in chalk. Edges are anti-aliased from the distance to each shape.

Deterministic: the same bytes on every run.
"""
import argparse
import math
import os
import sys

from pngwrite import png_bytes
from ui_answer_textures import answer_textures
from ui_loading_textures import loading_textures


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def rounded_rect_distance(x, y, w, h, r):
    """Signed distance from the pixel centre (x, y) to a w x h rectangle with
    corners of radius r (negative inside)."""
    px, py = x + 0.5, y + 0.5
    qx = abs(px - w / 2.0) - (w / 2.0 - r)
    qy = abs(py - h / 2.0) - (h / 2.0 - r)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def circle_distance(x, y, cx, cy, r):
    return math.hypot(x + 0.5 - cx, y + 0.5 - cy) - r


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def to_pixel(colour, alpha):
    return tuple(int(round(clamp(c / 255.0) * 255)) for c in colour) + (int(round(clamp(alpha) * 255)),)


def image(w, h, shade):
    """shade(x, y) -> (colour, alpha) for each pixel."""
    return [[to_pixel(*shade(x, y)) for x in range(w)] for y in range(h)]


def face(w, h, radius, top, bottom, border, pressed=False):
    """A rounded, vertically shaded face with a border and a light top edge."""
    def shade(x, y):
        d = rounded_rect_distance(x, y, w, h, radius)
        cover = clamp(0.5 - d)
        t = y / float(h - 1)
        if pressed:
            t = 1.0 - t
        colour = mix(top, bottom, t)
        # A two-pixel border just inside the edge.
        ring = clamp(d + 2.5)
        colour = mix(colour, border, ring)
        # A soft highlight along the upper half.
        if not pressed and y < h / 2:
            colour = mix(colour, (255, 255, 255), 0.18 * (1.0 - y / (h / 2.0)) * (1.0 - ring))
        return colour, cover
    return image(w, h, shade)


BUTTON_W, BUTTON_H, BUTTON_R = 160, 40, 12

BLUE_TOP, BLUE_BOTTOM, BLUE_EDGE = (92, 140, 230), (28, 60, 150), (12, 24, 70)


def buttons():
    return {
        "button_normal.png": face(BUTTON_W, BUTTON_H, BUTTON_R, BLUE_TOP, BLUE_BOTTOM, BLUE_EDGE),
        "button_pressed.png": face(BUTTON_W, BUTTON_H, BUTTON_R, (70, 110, 200), (20, 44, 118), BLUE_EDGE,
                                   pressed=True),
        "button_rollover.png": face(BUTTON_W, BUTTON_H, BUTTON_R, (130, 176, 255), (48, 88, 190),
                                    (40, 60, 120)),
        "button_on.png": face(BUTTON_W, BUTTON_H, BUTTON_R, (255, 214, 90), (200, 128, 20), (90, 52, 8)),
    }


def tick_distance(x, y, size):
    """Distance to a tick mark drawn as two strokes."""
    px, py = x + 0.5, y + 0.5
    a, b, c = (size * 0.25, size * 0.52), (size * 0.42, size * 0.70), (size * 0.76, size * 0.30)

    def segment(p, q):
        vx, vy = q[0] - p[0], q[1] - p[1]
        t = clamp(((px - p[0]) * vx + (py - p[1]) * vy) / (vx * vx + vy * vy))
        return math.hypot(px - p[0] - vx * t, py - p[1] - vy * t)
    return min(segment(a, b), segment(b, c)) - size * 0.07


def toggles():
    size = 24
    box_fill, edge, mark = (245, 245, 250), (40, 50, 80), (30, 120, 40)

    def check(on):
        def shade(x, y):
            d = rounded_rect_distance(x, y, size, size, 4)
            colour = mix(box_fill, edge, clamp(d + 2.5))
            if on:
                colour = mix(colour, mark, clamp(0.5 - tick_distance(x, y, size)))
            return colour, clamp(0.5 - d)
        return image(size, size, shade)

    def radio(on):
        c = size / 2.0
        def shade(x, y):
            d = circle_distance(x, y, c, c, c - 0.5)
            colour = mix(box_fill, edge, clamp(d + 2.5))
            if on:
                colour = mix(colour, mark, clamp(0.5 - circle_distance(x, y, c, c, 5.0)))
            return colour, clamp(0.5 - d)
        return image(size, size, shade)

    return {"check_off.png": check(False), "check_on.png": check(True),
            "radio_off.png": radio(False), "radio_on.png": radio(True)}


RAIL_W, RAIL_CAP, RAIL_MID = 12, 6, 8


def rail_piece(h, cap):
    """A groove 8 pixels wide in a 12-pixel piece; cap: 'top', 'bottom' or None."""
    groove_w = 8.0
    left = (RAIL_W - groove_w) / 2.0

    def shade(x, y):
        # Across: darker at the edges, like a groove.
        t = abs(x + 0.5 - RAIL_W / 2.0) / (groove_w / 2.0)
        colour = mix((70, 78, 100), (20, 24, 36), t)
        d = max(left - (x + 0.5), (x + 0.5) - (RAIL_W - left))
        if cap == "top":
            d = rounded_rect_distance(x - left, y, groove_w, 2 * h, groove_w / 2.0)
        elif cap == "bottom":
            d = rounded_rect_distance(x - left, y + h, groove_w, 2 * h, groove_w / 2.0)
        return colour, clamp(0.5 - d)
    return image(RAIL_W, h, shade)


def thumb(roll):
    size = 22
    c = size / 2.0
    inner, outer = ((255, 236, 150), (210, 150, 30)) if roll else ((235, 235, 245), (130, 140, 170))

    def shade(x, y):
        d = circle_distance(x, y, c, c, c - 0.5)
        # Lit from the upper left.
        t = clamp(math.hypot(x + 0.5 - c * 0.7, y + 0.5 - c * 0.7) / size)
        colour = mix(inner, outer, t * 1.6 if t < 0.62 else 1.0)
        colour = mix(colour, (30, 34, 50), clamp(d + 1.5))
        return colour, clamp(0.5 - d)
    return image(size, size, shade)


def sliders():
    return {
        "slider_top.png": rail_piece(RAIL_CAP, "top"),
        "slider_mid.png": rail_piece(RAIL_MID, None),
        "slider_bot.png": rail_piece(RAIL_CAP, "bottom"),
        "slider_thumb.png": thumb(False),
        "slider_thumb_roll.png": thumb(True),
    }


ROUND = 56


def round_face(inner, outer, pressed=False):
    c = ROUND / 2.0

    def shade(x, y):
        d = circle_distance(x, y, c, c, c - 1.0)
        t = y / float(ROUND - 1)
        colour = mix(inner, outer, 1.0 - t if pressed else t)
        colour = mix(colour, (20, 20, 30), clamp(d + 2.5))
        return colour, clamp(0.5 - d)
    return image(ROUND, ROUND, shade)


def round_buttons():
    c = ROUND / 2.0
    # The mask's red channel is the alpha (and the hit area): white inside.
    mask = [[(v, v, v) for v in (int(round(clamp(0.5 - circle_distance(x, y, c, c, c - 1.0)) * 255))
                                 for x in range(ROUND))] for y in range(ROUND)]
    return {
        "round_normal.png": round_face((120, 210, 120), (30, 110, 40)),
        "round_pressed.png": round_face((90, 180, 90), (20, 90, 30), pressed=True),
        "round_rollover.png": round_face((160, 240, 160), (50, 140, 60)),
        "round_mask.png": mask,
    }


def panel():
    w, h, r = 480, 400, 18

    def shade(x, y):
        d = rounded_rect_distance(x, y, w, h, r)
        colour = mix((44, 52, 96), (16, 18, 40), y / float(h - 1))
        colour = mix(colour, (190, 170, 90), clamp(d + 3.5) * clamp(1.5 - (d + 3.5) + 1.0))
        return colour, clamp(0.5 - d) * 0.94
    return {"panel.png": image(w, h, shade)}


def chalk_boards():
    """The show's chalkboard buttons: question tiles (300 x 78) and classmate
    cards (136 x 180), dark green boards in a wooden frame for the normal,
    pressed and rollover states, and a wiped, dimmer tile for a played
    question."""
    def board(w, h, green, lit=0.0, wiped=False):
        def shade(x, y):
            d = rounded_rect_distance(x, y, w, h, 8)
            cover = clamp(0.5 - d)
            if d > -6.0:
                grain = 0.5 + 0.5 * math.sin(x * 0.23 + y * 1.9)
                return mix((132, 86, 44), (84, 50, 24), 0.3 + 0.5 * grain), cover
            r = math.hypot((x + 0.5 - w / 2.0) / (w / 2.0), (y + 0.5 - h / 2.0) / (h / 2.0))
            colour = mix(green, (14, 36, 24), clamp(r * 0.7))
            dust = 0.05 + (0.10 if wiped else 0.0)
            colour = mix(colour, (225, 232, 222), dust * (0.5 + 0.5 * math.sin(x * 0.11 - y * 0.07)))
            return mix(colour, (255, 255, 255), lit), cover
        return image(w, h, shade)
    textures = {}
    for kind, (w, h) in (("tile", (300, 78)), ("card", (136, 180))):
        textures["chalk_%s_normal.png" % kind] = board(w, h, (38, 86, 58))
        textures["chalk_%s_pressed.png" % kind] = board(w, h, (26, 64, 42))
        textures["chalk_%s_rollover.png" % kind] = board(w, h, (48, 104, 70), lit=0.06)
    textures["chalk_tile_used.png"] = board(300, 78, (30, 58, 44), wiped=True)
    return textures


def title_backdrop():
    """The whole 800 x 600 title screen, opaque: a studio-blue ground lit by
    a soft spotlight from above, with a thin gold rule under the title."""
    w, h = 800, 600

    def shade(x, y):
        colour = mix((30, 40, 90), (8, 10, 28), y / float(h - 1))
        # The spotlight: an ellipse of light around the title.
        d = math.hypot((x + 0.5 - w / 2.0) / 360.0, (y + 0.5 - 220.0) / 200.0)
        colour = mix(colour, (70, 90, 170), clamp(1.0 - d) ** 2)
        # The rule: 2 pixels high, fading out towards its ends.
        if 318 <= y < 320:
            colour = mix(colour, (200, 170, 80), clamp(1.0 - abs(x + 0.5 - w / 2.0) / 220.0))
        return colour, 1.0
    return {"title_backdrop.png": image(w, h, shade)}


def screen_board():
    """The studio screens' 256 x 144 opaque chalkboard: dark green, rubbed
    lighter towards the middle, in a wooden frame; and an empty picture
    frame (90 x 134) outlined in chalk, for a picture that is missing."""
    w, h, wood = 256, 144, 5

    def board(x, y):
        edge = min(x, y, w - 1 - x, h - 1 - y)
        if edge < wood:
            grain = 0.5 + 0.5 * math.sin(x * 0.21 + y * 1.7)
            return mix((120, 78, 40), (78, 46, 22), grain * 0.6 + (wood - edge) / (2.0 * wood)), 1.0
        d = math.hypot((x + 0.5 - w / 2.0) / (w / 2.0), (y + 0.5 - h / 2.0) / (h / 2.0))
        colour = mix((40, 84, 58), (20, 48, 34), clamp(d * 0.8))
        # Faint rubbed-out chalk strokes.
        colour = mix(colour, (220, 230, 220), 0.04 * (0.5 + 0.5 * math.sin(x * 0.09 - y * 0.05)))
        return colour, 1.0

    fw, fh = 90, 134

    def frame(x, y):
        d = abs(rounded_rect_distance(x, y, fw, fh, 6) + 3.0)
        ink = clamp(1.6 - d) * (0.75 + 0.25 * math.sin(x * 0.7 + y * 0.4))
        return (236, 240, 232), ink
    return {"screen_board.png": image(w, h, board), "screen_picture.png": image(fw, fh, frame)}


def all_textures():
    textures = chalk_boards()
    for group in (buttons, toggles, sliders, round_buttons, panel, title_backdrop, screen_board):
        textures.update(group())
    textures.update(answer_textures())
    textures.update(loading_textures())
    return textures


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("folder", help="output folder, made when missing")
    args = parser.parse_args()
    os.makedirs(args.folder, exist_ok=True)
    for name, rows in sorted(all_textures().items()):
        path = os.path.join(args.folder, name)
        data = png_bytes(rows)
        # Unchanged files keep their time stamps.
        try:
            with open(path, "rb") as old:
                if old.read() == data:
                    continue
        except OSError:
            pass
        with open(path, "wb") as out:
            out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
