"""An RGBA canvas of premultiplied floats with anti-aliased shapes.

A shape is a signed distance function (negative inside) with a bounding
box; a pixel takes the paint in proportion to how much of it lies inside
(coverage = 0.5 - distance, clamped). A paint is a colour (r, g, b, a) with
0..255 channels and alpha 0..1, or a function (x, y) -> colour. Only the
pixels of a shape's box are visited. Text comes from a built-in 5 x 7
letter grid drawn as strokes between neighbouring dots.
"""
import math

from . import font5x7


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


from .canvas_sdf import box_sdf, capsule_sdf, circle_sdf, polygon_sdf, ring_sdf, star_points


def vertical(top, bottom, y0, y1):
    """A paint shading from top at y0 to bottom at y1."""
    span = float(y1 - y0) or 1.0
    return lambda x, y: mix(top, bottom, clamp((y - y0) / span))


def noise(x, y, seed=0):
    """A fixed pseudo-random value in 0..1 per integer pixel."""
    h = (int(x) * 374761393 + int(y) * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0


class Mask:
    """Coverage of a shape built from many parts (text strokes), so that
    overlapping parts do not double up at their joints."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.cover = [0.0] * (w * h)
        self.box = None

    def add(self, sdf, box):
        x0, y0, x1, y1 = _clip(box, self.w, self.h)
        cover = self.cover
        for y in range(y0, y1):
            row = y * self.w
            for x in range(x0, x1):
                c = 0.5 - sdf(x + 0.5, y + 0.5)
                if c > 0.0:
                    c = 1.0 if c > 1.0 else c
                    if c > cover[row + x]:
                        cover[row + x] = c
        if x0 < x1 and y0 < y1:
            b = self.box
            self.box = (x0, y0, x1, y1) if b is None else (min(b[0], x0), min(b[1], y0), max(b[2], x1), max(b[3], y1))


def _clip(box, w, h):
    x0, y0, x1, y1 = box
    return (max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1),
            min(w, int(math.ceil(x1)) + 1), min(h, int(math.ceil(y1)) + 1))


class Canvas:
    def __init__(self, w, h, fill=(0, 0, 0, 0.0)):
        self.w, self.h = w, h
        r, g, b, a = fill
        self.px = [r / 255.0 * a, g / 255.0 * a, b / 255.0 * a, a] * (w * h)

    def copy(self):
        other = Canvas.__new__(Canvas)
        other.w, other.h = self.w, self.h
        other.px = list(self.px)
        return other

    def _blend(self, i, colour, cover):
        r, g, b, a = colour
        a *= cover
        if a <= 0.0:
            return
        px = self.px
        k = 1.0 - a
        px[i] = px[i] * k + r / 255.0 * a
        px[i + 1] = px[i + 1] * k + g / 255.0 * a
        px[i + 2] = px[i + 2] * k + b / 255.0 * a
        px[i + 3] = px[i + 3] * k + a

    def shape(self, sdf, box, paint):
        x0, y0, x1, y1 = _clip(box, self.w, self.h)
        flat = not callable(paint)
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = 0.5 - sdf(x + 0.5, y + 0.5)
                if c <= 0.0:
                    continue
                self._blend((y * self.w + x) * 4, paint if flat else paint(x + 0.5, y + 0.5), min(c, 1.0))

    def fill_mask(self, mask, paint, dx=0, dy=0):
        if mask.box is None:
            return
        x0, y0, x1, y1 = mask.box
        flat = not callable(paint)
        for y in range(y0, y1):
            ty = y + dy
            if not 0 <= ty < self.h:
                continue
            for x in range(x0, x1):
                c = mask.cover[y * mask.w + x]
                tx = x + dx
                if c <= 0.0 or not 0 <= tx < self.w:
                    continue
                self._blend((ty * self.w + tx) * 4, paint if flat else paint(tx + 0.5, ty + 0.5), c)

    def fill(self, paint):
        self.shape(lambda x, y: -1.0, (0, 0, self.w, self.h), paint)

    def circle(self, cx, cy, r, paint):
        self.shape(circle_sdf(cx, cy, r), (cx - r, cy - r, cx + r, cy + r), paint)

    def ring(self, cx, cy, r, width, paint):
        e = r + width
        self.shape(ring_sdf(cx, cy, r, width), (cx - e, cy - e, cx + e, cy + e), paint)

    def box(self, x0, y0, x1, y1, paint, radius=0.0):
        self.shape(box_sdf(x0, y0, x1, y1, radius), (x0, y0, x1, y1), paint)

    def rim(self, x0, y0, x1, y1, radius, width, paint):
        """The outline of a rounded box, width pixels wide on its edge."""
        inside = box_sdf(x0, y0, x1, y1, radius)
        half = width / 2.0
        self.shape(lambda x, y: abs(inside(x, y)) - half, (x0 - width, y0 - width, x1 + width, y1 + width), paint)

    def line(self, ax, ay, bx, by, width, paint):
        r = width / 2.0
        self.shape(capsule_sdf(ax, ay, bx, by, r), (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r), paint)

    def polygon(self, points, paint):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.shape(polygon_sdf(points), (min(xs), min(ys), max(xs), max(ys)), paint)

    def star(self, cx, cy, outer, inner, paint, count=5):
        self.polygon(star_points(cx, cy, outer, inner, count), paint)

    def paste(self, src, dx, dy, opacity=1.0):
        """Draws src over this canvas with its top-left at (dx, dy)."""
        for y in range(src.h):
            ty = y + dy
            if not 0 <= ty < self.h:
                continue
            for x in range(src.w):
                tx = x + dx
                if not 0 <= tx < self.w:
                    continue
                s = (y * src.w + x) * 4
                a = src.px[s + 3] * opacity
                if a <= 0.0:
                    continue
                t = (ty * self.w + tx) * 4
                k = 1.0 - a
                px = self.px
                px[t] = px[t] * k + src.px[s] * opacity
                px[t + 1] = px[t + 1] * k + src.px[s + 1] * opacity
                px[t + 2] = px[t + 2] * k + src.px[s + 2] * opacity
                px[t + 3] = px[t + 3] * k + a

    def crop(self, x0, y0, w, h):
        out = Canvas(w, h)
        for y in range(h):
            s = ((y0 + y) * self.w + x0) * 4
            out.px[y * w * 4:(y + 1) * w * 4] = self.px[s:s + w * 4]
        return out

    def put(self, src, dx, dy):
        """Copies src in, replacing what was there (src must fit)."""
        for y in range(src.h):
            t = ((dy + y) * self.w + dx) * 4
            self.px[t:t + src.w * 4] = src.px[y * src.w * 4:(y + 1) * src.w * 4]

    def text(self, text, x, y, pitch, paint, weight=0.42, align="left", outline=None, outline_width=0.0):
        """Draws text on the 5 x 7 letter grid, one grid step `pitch`
        pixels; (x, y) is the top-left, top-centre or top-right of the line
        for align left, centre or right. An outline colour draws a wider
        stroke under the letters."""
        width = font5x7.width(text) * pitch
        if align == "centre":
            x -= width / 2.0
        elif align == "right":
            x -= width
        if outline is not None:
            under = Mask(self.w, self.h)
            font5x7.strokes(text, x, y, pitch, pitch * weight + outline_width, under)
            self.fill_mask(under, outline)
        mask = Mask(self.w, self.h)
        font5x7.strokes(text, x, y, pitch, pitch * weight, mask)
        self.fill_mask(mask, paint)

    def rgba_bytes(self):
        """Straight-alpha RGBA rows, 8 bits a channel."""
        out = bytearray(self.w * self.h * 4)
        px = self.px
        for i in range(0, len(px), 4):
            a = px[i + 3]
            if a <= 0.0:
                continue
            a = 1.0 if a > 1.0 else a
            out[i] = min(255, int(px[i] / a * 255.0 + 0.5))
            out[i + 1] = min(255, int(px[i + 1] / a * 255.0 + 0.5))
            out[i + 2] = min(255, int(px[i + 2] / a * 255.0 + 0.5))
            out[i + 3] = int(a * 255.0 + 0.5)
        return bytes(out)
