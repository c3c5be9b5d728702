"""Signed distance functions of the canvas's shapes (negative inside)."""
import math


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


# x, y are pixel centres.

def circle_sdf(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse_sdf(cx, cy, rx, ry):
    # Scaled distance: close enough for edges of gently flattened ellipses.
    m = min(rx, ry)
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * m


def ring_sdf(cx, cy, r, width):
    half = width / 2.0
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - half


def box_sdf(x0, y0, x1, y1, radius=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hw, hh = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius

    def d(x, y):
        qx = abs(x - cx) - hw
        qy = abs(y - cy) - hh
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - radius
    return d


def capsule_sdf(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def d(x, y):
        px, py = x - ax, y - ay
        t = 0.0 if length2 == 0 else clamp((px * dx + py * dy) / length2)
        return math.hypot(px - dx * t, py - dy * t) - r
    return d


def polygon_sdf(points):
    """Distance to a closed polygon (any winding), negative inside."""
    n = len(points)

    def d(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            e2 = ex * ex + ey * ey
            t = 0.0 if e2 == 0 else clamp((wx * ex + wy * ey) / e2)
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def star_points(cx, cy, outer, inner, count=5, turn=-math.pi / 2):
    points = []
    for i in range(count * 2):
        r = outer if i % 2 == 0 else inner
        a = turn + math.pi * i / count
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points
