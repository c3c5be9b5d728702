#!/usr/bin/env python3
"""Draws the pictures of the picture questions (assets/questions.xml names
them as "pictures/<name>") into a folder, the build's assets/pictures:
shapes, clock faces, dots to count, shaded fractions, angles, a grid for an
area, a bar chart, paint blobs and notes on a staff. Every picture is a
160 x 160 opaque PNG, dark lines on a light card, edges anti-aliased from
the distance to each shape.

    make-question-pictures.py FOLDER     writes FOLDER/<name>.png
    make-question-pictures.py --list     prints the names, one a line

Deterministic: the same bytes on every run.
"""
import math
import os
import sys

from pngwrite import png_bytes

SIZE = 160
CARD = (246, 242, 228)
INK = (40, 40, 48)
SHADE = (70, 130, 200)
LIGHT = (255, 255, 255)
RED = (212, 56, 48)
BLUE = (48, 96, 200)
GREEN = (60, 160, 80)
YELLOW = (236, 196, 40)


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


# Each shape is (distance function, bounding box, colour); a pixel takes the
# colour in proportion to how much of it the shape covers.

def disc(cx, cy, r, colour):
    return (lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r), colour)


def ring(cx, cy, r, width, colour):
    return (lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2.0,
            (cx - r - width, cy - r - width, cx + r + width, cy + r + width), colour)


def segment(ax, ay, bx, by, width, colour):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy or 1.0

    def dist(x, y):
        t = clamp(((x - ax) * dx + (y - ay) * dy) / length2)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2.0
    pad = width
    return (dist, (min(ax, bx) - pad, min(ay, by) - pad, max(ax, bx) + pad, max(ay, by) + pad), colour)


def convex(points, colour):
    """A convex polygon given clockwise on screen (y down)."""
    edges = []
    n = len(points)
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        # outward normal of a clockwise polygon with y pointing down
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length))

    def dist(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (dist, (min(xs), min(ys), max(xs), max(ys)), colour)


def outline(points, width, colour):
    n = len(points)
    return [segment(*points[i], *points[(i + 1) % n], width, colour) for i in range(n)]


def wedge(cx, cy, r, start, end, colour):
    """A slice of a disc between two clock angles (radians from 12 o'clock,
    clockwise), at most half a turn wide."""
    def edge(a):
        return (math.sin(a), -math.cos(a))
    sx, sy = edge(start)
    ex, ey = edge(end)

    def dist(x, y):
        px, py = x - cx, y - cy
        d_circle = math.hypot(px, py) - r
        # inside: clockwise of the start ray and anticlockwise of the end ray
        d_start = px * sy - py * sx
        d_end = py * ex - px * ey
        return max(d_circle, d_start, d_end)
    return (dist, (cx - r, cy - r, cx + r, cy + r), colour)


def regular(n, cx, cy, r, rotation=0.0):
    return [(cx + r * math.sin(rotation + 2 * math.pi * i / n), cy - r * math.cos(rotation + 2 * math.pi * i / n))
            for i in range(n)]


def render(shapes):
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            x, y = px + 0.5, py + 0.5
            colour = CARD
            for dist, (x0, y0, x1, y1), paint in shapes:
                if x < x0 - 1 or x > x1 + 1 or y < y0 - 1 or y > y1 + 1:
                    continue
                cover = clamp(0.5 - dist(x, y))
                if cover > 0:
                    colour = tuple(c + (p - c) * cover for c, p in zip(colour, paint))
            row.append(tuple(int(round(c)) for c in colour))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- pictures

def polygon_picture(n, rotation=0.0, colour=SHADE):
    points = regular(n, 80, 84 if n == 3 else 80, 62, rotation)
    return [convex(points, colour)] + outline(points, 4, INK)


def circle_picture():
    return [disc(80, 80, 62, SHADE), ring(80, 80, 62, 4, INK)]


def clock(hours, minutes):
    shapes = [disc(80, 80, 70, LIGHT), ring(80, 80, 70, 5, INK)]
    for tick in range(12):
        a = tick * math.pi / 6
        inner = 54 if tick % 3 == 0 else 60
        shapes.append(segment(80 + inner * math.sin(a), 80 - inner * math.cos(a),
                              80 + 64 * math.sin(a), 80 - 64 * math.cos(a), 4 if tick % 3 == 0 else 2, INK))
    minute = minutes * math.pi / 30
    hour = ((hours % 12) + minutes / 60.0) * math.pi / 6
    shapes.append(segment(80, 80, 80 + 36 * math.sin(hour), 80 - 36 * math.cos(hour), 7, INK))
    shapes.append(segment(80, 80, 80 + 56 * math.sin(minute), 80 - 56 * math.cos(minute), 4, INK))
    shapes.append(disc(80, 80, 6, RED))
    return shapes


def dots(count):
    """Up to five dots a row, rows centred."""
    shapes = []
    rows = [min(5, count - i) for i in range(0, count, 5)]
    if len(rows) == 2 and rows[1] < rows[0] - 1:
        rows = [(count + 1) // 2, count // 2]
    top = 80 - (len(rows) - 1) * 18
    for r, n in enumerate(rows):
        left = 80 - (n - 1) * 14
        for i in range(n):
            shapes.append(disc(left + i * 28, top + r * 36, 11, RED))
    return shapes


def pie(parts, shaded):
    step = 2 * math.pi / parts
    shapes = [disc(80, 80, 64, LIGHT)]
    for i in range(shaded):
        shapes.append(wedge(80, 80, 64, i * step, (i + 1) * step, SHADE))
    for i in range(parts):
        a = i * step
        shapes.append(segment(80, 80, 80 + 64 * math.sin(a), 80 - 64 * math.cos(a), 3, INK))
    shapes.append(ring(80, 80, 64, 4, INK))
    return shapes


def bar_fraction(parts, shaded):
    left, right, top, bottom = 20, 140, 50, 110
    width = (right - left) / parts
    shapes = []
    for i in range(parts):
        x0, x1 = left + i * width, left + (i + 1) * width
        shapes.append(convex([(x0, top), (x1, top), (x1, bottom), (x0, bottom)], SHADE if i < shaded else LIGHT))
    shapes += outline([(left, top), (right, top), (right, bottom), (left, bottom)], 4, INK)
    for i in range(1, parts):
        x = left + i * width
        shapes.append(segment(x, top, x, bottom, 3, INK))
    return shapes


def angle(degrees):
    a = math.radians(degrees)
    length = 100 if degrees <= 90 else 80
    vx, vy = 30 + max(0.0, -length * math.cos(a)), 120
    shapes = [segment(vx, vy, vx + length, vy, 5, INK),
              segment(vx, vy, vx + length * math.cos(a), vy - length * math.sin(a), 5, INK)]
    if degrees == 90:
        shapes += [segment(vx + 18, vy, vx + 18, vy - 18, 3, RED), segment(vx, vy - 18, vx + 18, vy - 18, 3, RED)]
    else:
        steps = 24
        for i in range(steps):
            a0, a1 = a * i / steps, a * (i + 1) / steps
            shapes.append(segment(vx + 24 * math.cos(a0), vy - 24 * math.sin(a0),
                                  vx + 24 * math.cos(a1), vy - 24 * math.sin(a1), 3, RED))
    return shapes


def grid(rows, columns):
    cell = 28
    left = 80 - columns * cell / 2
    top = 80 - rows * cell / 2
    shapes = [convex([(left, top), (left + columns * cell, top), (left + columns * cell, top + rows * cell),
                      (left, top + rows * cell)], (180, 210, 240))]
    for c in range(columns + 1):
        shapes.append(segment(left + c * cell, top, left + c * cell, top + rows * cell, 3, INK))
    for r in range(rows + 1):
        shapes.append(segment(left, top + r * cell, left + columns * cell, top + r * cell, 3, INK))
    return shapes


def bars():
    shapes = []
    base = 134
    for i, (colour, height) in enumerate([(RED, 60), (BLUE, 110), (GREEN, 80), (YELLOW, 40)]):
        x0 = 30 + i * 30
        shapes.append(convex([(x0, base - height), (x0 + 22, base - height), (x0 + 22, base), (x0, base)], colour))
    shapes += [segment(22, 16, 22, base, 3, INK), segment(22, base, 150, base, 3, INK)]
    return shapes


def paints():
    """Red and blue blobs, and an empty place for the third."""
    return [disc(34, 80, 21, RED), disc(80, 80, 21, BLUE), ring(126, 80, 20, 3, INK)]


def ellipse(cx, cy, rx, ry, tilt, colour, hollow=False):
    c, s = math.cos(tilt), math.sin(tilt)

    def dist(x, y):
        u = ((x - cx) * c + (y - cy) * s) / rx
        v = (-(x - cx) * s + (y - cy) * c) / ry
        d = (math.hypot(u, v) - 1.0) * min(rx, ry)
        if hollow:
            inner = (math.hypot(u / 0.55, v / 0.8) - 1.0) * min(rx, ry) * 0.6
            d = max(d, -inner)
        return d
    return (dist, (cx - rx, cy - rx, cx + rx, cy + rx), colour)


def note(kind):
    shapes = [segment(12, 48 + 16 * i, 148, 48 + 16 * i, 2, INK) for i in range(5)]
    cx, cy = 80, 80
    if kind == 'whole':
        shapes.append(ellipse(cx, cy, 15, 10, -0.35, INK, hollow=True))
    else:
        shapes.append(ellipse(cx, cy, 12, 8.5, -0.45, INK, hollow=(kind == 'half')))
        shapes.append(segment(cx + 11, cy - 3, cx + 11, cy - 56, 3, INK))
    return shapes


PICTURES = {
    'shape_triangle': lambda: polygon_picture(3),
    'shape_square': lambda: polygon_picture(4, math.pi / 4),
    'shape_pentagon': lambda: polygon_picture(5),
    'shape_hexagon': lambda: polygon_picture(6, math.pi / 6),
    'shape_circle': circle_picture,
    'clock_3_00': lambda: clock(3, 0),
    'clock_6_30': lambda: clock(6, 30),
    'clock_9_15': lambda: clock(9, 15),
    'clock_4_45': lambda: clock(4, 45),
    'dots_7': lambda: dots(7),
    'fraction_1_2': lambda: pie(2, 1),
    'fraction_1_4': lambda: pie(4, 1),
    'fraction_3_4': lambda: pie(4, 3),
    'fraction_3_8': lambda: pie(8, 3),
    'fraction_2_3': lambda: bar_fraction(3, 2),
    'angle_acute': lambda: angle(45),
    'angle_right': lambda: angle(90),
    'angle_obtuse': lambda: angle(130),
    'grid_3x4': lambda: grid(3, 4),
    'bars_chart': bars,
    'primary_colours': paints,
    'note_whole': lambda: note('whole'),
    'note_half': lambda: note('half'),
    'note_quarter': lambda: note('quarter'),
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    if argv[1] == '--list':
        for name in sorted(PICTURES):
            print(name)
        return 0
    folder = argv[1]
    os.makedirs(folder, exist_ok=True)
    for name in sorted(PICTURES):
        data = png_bytes(render(PICTURES[name]()))
        with open(os.path.join(folder, name + '.png'), 'wb') as out:
            out.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
