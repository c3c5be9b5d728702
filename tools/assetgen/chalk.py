"""The chalk cross that strikes out a used help ("anim/chalk_cross.xml")
and the still image left after it ("anim/chalk_line"): two chalk strokes
across a 78 x 33 box, the game draws both by their centre (39, 16.5).
The cross draws its first stroke over frames 0-4 and the second over 5-9;
the still image is the finished cross, so the change does not show."""
from .canvas import Canvas, noise
from .canvas_sdf import capsule_sdf
from .palette import CHALK, alpha
from .sheet import Sheet

W, H = 78, 33
STROKES = (((7, 6), (40, 15), (71, 27)), ((71, 5), (38, 17), (7, 28)))
WIDTH = 4.2
FRAMES_PER_STROKE = 5


def chalk_paint(seed):
    def paint(x, y):
        grain = noise(x, y, seed)
        return alpha(CHALK, 0.5 + 0.5 * grain if grain > 0.18 else 0.25)
    return paint


def partial(points, amount):
    """The polyline cut after `amount` (0..1) of its length."""
    segments = list(zip(points, points[1:]))
    lengths = [((bx - ax) ** 2 + (by - ay) ** 2) ** 0.5 for (ax, ay), (bx, by) in segments]
    left = sum(lengths) * amount
    out = []
    for ((ax, ay), (bx, by)), length in zip(segments, lengths):
        if left <= 0:
            break
        t = min(1.0, left / length)
        out.append(((ax, ay), (ax + (bx - ax) * t, ay + (by - ay) * t)))
        left -= length
    return out


def draw(amounts):
    """The cross with each stroke drawn to its amount (0..1)."""
    c = Canvas(W, H)
    r = WIDTH / 2.0
    for n, (points, amount) in enumerate(zip(STROKES, amounts)):
        for (ax, ay), (bx, by) in partial(points, amount):
            c.shape(capsule_sdf(ax, ay, bx, by, r),
                    (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r), chalk_paint(n + 1))
    return c


def cross():
    sheet = Sheet("chalk_cross")
    for i in range(2 * FRAMES_PER_STROKE):
        first = min(1.0, (i + 1) / float(FRAMES_PER_STROKE))
        second = max(0.0, (i + 1 - FRAMES_PER_STROKE) / float(FRAMES_PER_STROKE))
        sheet.add_frame(draw((first, second)), reg=(W // 2, H // 2))
    return sheet


def sheets():
    return [cross()]


def images():
    return {"chalk_line": draw((1.0, 1.0))}
