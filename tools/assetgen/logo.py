"""The studio logo that turns on the pedestal screen ("anim/logo_loop.xml"):
32 frames of 128 x 128, a gold-rimmed emblem with our Q spinning about its
upright axis over a dark studio-blue backdrop. The game shows frame 30
between shows and plays the loop at 24 frames a second during one, so
frame 30 faces the viewer square on."""
import math

from .canvas import Canvas, mix, vertical
from .canvas_sdf import ellipse_sdf
from .palette import AMBER, BLUE, CREAM, DEEP, GOLD, NAVY, SKY, WHITE, alpha
from .sheet import Sheet

SIZE = 128
FACE = 112
RADIUS = 52
FRAME_COUNT = 32
REST_FRAME = 30
THICKNESS = 4.0


def backdrop():
    c = Canvas(SIZE, SIZE, DEEP)
    mid = SIZE / 2.0

    def glow(x, y):
        t = min(1.0, math.hypot(x - mid, y - mid) / (SIZE * 0.7))
        rays = 0.5 + 0.5 * math.cos(math.atan2(y - mid, x - mid) * 12)
        return mix(mix(BLUE, NAVY, t), DEEP, t * (0.6 + 0.25 * rays))
    c.fill(glow)
    return c


def face():
    c = Canvas(FACE, FACE)
    m = FACE / 2.0
    c.circle(m, m, RADIUS, vertical(GOLD, AMBER, m - RADIUS, m + RADIUS))
    c.circle(m, m, RADIUS - 5, vertical(mix(SKY, BLUE, 0.5), NAVY, m - RADIUS, m + RADIUS))
    c.ring(m, m, RADIUS - 5, 1.2, alpha(CREAM, 0.8))
    for i in range(16):
        a = 2 * math.pi * i / 16
        c.circle(m + (RADIUS - 2.5) * math.cos(a), m + (RADIUS - 2.5) * math.sin(a), 1.1, alpha(CREAM, 0.9))
    c.text("Q", m, m - 27, 8.0, WHITE, weight=0.5, align="centre", outline=alpha(DEEP, 0.6), outline_width=2.0)
    c.star(m + 26, m - 25, 8, 3.2, GOLD)
    return c


def turned(back, coin, angle):
    """The backdrop with the emblem turned by angle about its upright
    axis: its rim seen edge-on as it turns, its face squeezed across."""
    c = back.copy()
    mid = SIZE / 2.0
    s = abs(math.cos(angle))
    side = math.sin(angle) * THICKNESS
    # The rim: the face's ellipse swept from the back face to the front.
    rx = max(RADIUS * s, 0.5)
    lo, hi = sorted((mid - side, mid + side))
    rim = ellipse_sdf(0.0, mid, rx, RADIUS)

    def swept(x, y):
        return rim(x - min(max(x, lo), hi), y)
    c.shape(swept, (lo - rx, mid - RADIUS, hi + rx, mid + RADIUS),
            lambda x, y: mix(AMBER, GOLD, 0.5 + 0.5 * math.sin((y - mid) / RADIUS * 1.5)))
    if s < 0.05:
        return c
    # The face, resampled across (two taps a pixel).
    centre = mid + side
    half = FACE / 2.0
    src = coin.px
    dst = c.px
    x0 = max(0, int(centre - RADIUS * s) - 2)
    x1 = min(SIZE, int(centre + RADIUS * s) + 3)
    y0 = int(mid - half)
    for y in range(FACE):
        row = y * FACE
        out = (y + y0) * SIZE
        for x in range(x0, x1):
            u = half + (x + 0.5 - centre) / s - 0.5
            i = int(math.floor(u))
            f = u - i
            if i < -1 or i >= FACE:
                continue
            a = [0.0, 0.0, 0.0, 0.0]
            for k, w in ((i, 1.0 - f), (i + 1, f)):
                if 0 <= k < FACE and w > 0:
                    p = (row + k) * 4
                    for ch in range(4):
                        a[ch] += src[p + ch] * w
            if a[3] <= 0.0:
                continue
            t = (out + x) * 4
            keep = 1.0 - a[3]
            for ch in range(4):
                dst[t + ch] = dst[t + ch] * keep + a[ch]
    return c


def loop():
    sheet = Sheet("logo_loop")
    back = backdrop()
    coin = face()
    for i in range(FRAME_COUNT):
        angle = 2 * math.pi * (i - REST_FRAME) / FRAME_COUNT
        sheet.add_frame(turned(back, coin, angle), reg=(SIZE // 2, SIZE // 2))
    return sheet


def sheets():
    return [loop()]
