#!/usr/bin/env python3
"""Generates the main window's icon, assets/icon.png: a 48 x 48 RGBA PNG, a
golden question mark on a blue rounded square. Shapes are sampled 4 x 4 per
pixel for smooth edges.

Deterministic: the same bytes on every run.
"""
import argparse
import math
import os
import sys

from pngwrite import png_bytes

SIZE = 48
SUB = 4  # samples per pixel along each axis


def in_rounded_square(x, y):
    margin, radius = 2.0, 9.0
    lo, hi = margin + radius, SIZE - margin - radius
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_question_mark(x, y):
    # The hook: an arc of a ring above the centre, open at the lower left.
    cx, cy, outer, inner = 24.0, 17.0, 10.5, 5.0
    d = math.hypot(x - cx, y - cy)
    angle = math.degrees(math.atan2(y - cy, x - cx))  # 0 = right, 90 = down
    if inner <= d <= outer and not (90.0 < angle < 180.0):
        return True
    # The stem from the hook's lower end down towards the dot.
    if 21.0 <= x <= 27.0 and 23.0 <= y <= 32.0:
        return True
    # The dot.
    return math.hypot(x - 24.0, y - 38.5) <= 3.5


def coverage(test, px, py):
    hits = 0
    for sy in range(SUB):
        for sx in range(SUB):
            if test(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB):
                hits += 1
    return hits / (SUB * SUB)


def pixels():
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            back = coverage(in_rounded_square, px, py)
            mark = coverage(in_question_mark, px, py)
            # Background: blue, lighter towards the top.
            shade = 1.0 - py / SIZE * 0.45
            base = (40 * shade, 90 * shade, 200 * shade)
            gold = (255, 205, 40)
            colour = [b * (1 - mark) + g * mark for b, g in zip(base, gold)]
            alpha = max(back, mark)
            row.append(tuple(int(round(c)) for c in colour) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("png", nargs="?", default=os.path.join(root, "assets/icon.png"))
    args = parser.parse_args()
    with open(args.png, "wb") as out:
        out.write(png_bytes(pixels()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
