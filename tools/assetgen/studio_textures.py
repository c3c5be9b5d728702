"""The studio set's pictures, drawn procedurally: floor tiles, wall panels,
wood, brushed metal, the truss lattice, pedestal fronts, screen bezels and
idle screen pictures, the lens-flare glow and the two chalkboard
backgrounds. Each is a function returning a Canvas; TEXTURES maps the file
name under the assets folder to it."""
import math

from .canvas import Canvas, clamp, mix, noise
from .palette import BLUE, CHALK, DEEP, GOLD, NAVY, SKY, WHITE


def painted(w, h, colour):
    """A canvas from colour(x, y) -> (r, g, b) or (r, g, b, a), channels
    0..255 and alpha 0..1, sampled at pixel centres."""
    c = Canvas(w, h)
    px = c.px
    i = 0
    for y in range(h):
        for x in range(w):
            v = colour(x + 0.5, y + 0.5)
            a = v[3] if len(v) > 3 else 1.0
            a = clamp(a)
            px[i] = clamp(v[0] / 255.0) * a
            px[i + 1] = clamp(v[1] / 255.0) * a
            px[i + 2] = clamp(v[2] / 255.0) * a
            px[i + 3] = a
            i += 4
    return c


def smooth_noise(x, y, cell, seed):
    """Value noise: noise() on a grid of cell pixels, blended between."""
    gx, gy = x / cell, y / cell
    ix, iy = int(math.floor(gx)), int(math.floor(gy))
    fx, fy = gx - ix, gy - iy
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = noise(ix, iy, seed) + (noise(ix + 1, iy, seed) - noise(ix, iy, seed)) * fx
    b = noise(ix, iy + 1, seed) + (noise(ix + 1, iy + 1, seed) - noise(ix, iy + 1, seed)) * fx
    return a + (b - a) * fy


def tiled_noise(x, y, cell, seed, period):
    """smooth_noise that repeats every period pixels (period a multiple of
    cell), so a wrapped texture shows no seam."""
    n = period // cell
    gx, gy = x / cell, y / cell
    ix, iy = int(math.floor(gx)), int(math.floor(gy))
    fx, fy = gx - ix, gy - iy
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)

    def at(i, j):
        return noise(i % n, j % n, seed)
    a = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * fx
    b = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * fx
    return a + (b - a) * fy


def rgb(colour):
    return colour[:3]


def floor():
    """Four by four glossy tiles in two blues with thin light grout."""
    size, tiles = 256, 4
    step = size / tiles
    dark, light = (22, 30, 66), (40, 58, 120)

    def colour(x, y):
        i, j = int(x // step), int(y // step)
        fx, fy = (x % step) / step, (y % step) / step
        base = light if (i + j) % 2 == 0 else dark
        edge = min(fx, fy, 1 - fx, 1 - fy)
        if edge < 0.02:
            return (150, 170, 210)
        shine = 0.12 * (1.0 - clamp(math.hypot(fx - 0.3, fy - 0.3) * 1.6))
        grain = 0.06 * (tiled_noise(x, y, 8, 11, size) - 0.5)
        return mix(base, (255, 255, 255), clamp(shine + grain + 0.04))
    return painted(size, size, colour)


def wall():
    """Tall panels with lit bevels, one panel across the picture, and a
    rail a quarter up."""
    size = 256
    body, rim = (30, 36, 92), (88, 110, 190)

    def colour(x, y):
        fx, fy = x / size, y / size
        edge = min(fx, 1 - fx)
        c = mix(body, (14, 16, 44), fy * 0.5)
        if edge < 0.03:
            c = mix(c, rim, 0.7) if fx < 0.5 else mix(c, (8, 10, 28), 0.7)
        elif edge < 0.07:
            c = mix(c, (60, 74, 150), 0.35)
        if 0.74 < fy < 0.78:
            c = mix((190, 160, 80), (120, 90, 40), (fy - 0.74) / 0.04)
        return mix(c, (0, 0, 0), 0.08 * tiled_noise(x, y, 16, 3, size))
    return painted(size, size, colour)


def wood():
    """Warm wood grain running across the picture."""
    size = 256
    light, dark = (196, 132, 74), (122, 70, 34)

    def colour(x, y):
        warp = tiled_noise(x, y, 32, 5, size) * 6.0
        ring = 0.5 + 0.5 * math.sin((y + warp) * 2 * math.pi / 16.0)
        streak = tiled_noise(x, y * 8, 16, 9, size) * 0.25
        return mix(light, dark, clamp(ring * 0.6 + streak))
    return painted(size, size, colour)


def metal():
    """Brushed steel: fine horizontal streaks and a soft sheen."""
    size = 128

    def colour(x, y):
        streak = noise(0, int(y), 21) * 0.6 + noise(int(x) // 16, int(y), 22) * 0.4
        sheen = 0.5 + 0.5 * math.cos((x / size) * 2 * math.pi)
        v = 120 + 40 * streak + 50 * sheen
        return (v * 0.96, v * 0.98, v)
    return painted(size, size, colour)


def truss():
    """One bay of a truss side: two chords and a diagonal lattice, bright
    metal on a dark ceiling."""
    size = 128
    back = (14, 14, 22)

    def tube(d, width):
        return clamp(1.0 - (d - width) / 1.5)

    def colour(x, y):
        chord = max(tube(abs(y - 10), 5), tube(abs(y - size + 10), 5))
        u = x % 64
        diag = max(tube(abs((u - (y - 10) * 64 / (size - 20)) * 0.707), 3),
                   tube(abs((u - 64 + (y - 10) * 64 / (size - 20)) * 0.707), 3))
        post = tube(abs(u - 0.5), 3) if 10 < y < size - 10 else 0.0
        t = max(chord, diag if 10 < y < size - 10 else 0.0, post)
        shade = 175 + 50 * noise(int(x) // 4, int(y), 31)
        return mix(back, (shade, shade, shade * 1.05), t)
    return painted(size, size, colour)


def pedestal():
    """A pedestal front: a blue panel with a gold rim and a star."""
    size = 256
    c = Canvas(size, size, (10, 16, 44, 1.0))
    c.box(8, 8, size - 8, size - 8, lambda x, y: mix(BLUE, NAVY, y / size), radius=18)
    c.rim(8, 8, size - 8, size - 8, 18, 6, GOLD)
    c.rim(28, 28, size - 28, size - 28, 10, 2, (120, 190, 255, 0.6))
    c.star(size / 2, size / 2, 62, 26, mix(GOLD, WHITE, 0.25))
    c.star(size / 2, size / 2, 44, 18, (255, 240, 180, 0.6))
    return c


def bezel():
    """A screen frame: dark gloss with a lit top edge."""
    size = 128

    def colour(x, y):
        fy = y / size
        v = 18 + 40 * clamp(1.0 - fy * 3.0) + 6 * noise(int(x), int(y), 41)
        return (v, v, v * 1.25)
    return painted(size, size, colour)


def screen():
    """What a main screen shows before the show gives it a picture."""
    size = 256
    c = painted(size, size, lambda x, y: mix(mix(BLUE, NAVY, clamp(math.hypot(x - 128, y - 128) / 180.0)),
                                             DEEP, 0.3)[:3])
    for k in range(1, 8):
        c.line(0, k * 32, size, k * 32, 1.0, (120, 190, 255, 0.15))
        c.line(k * 32, 0, k * 32, size, 1.0, (120, 190, 255, 0.15))
    c.ring(128, 128, 70, 6, GOLD)
    c.star(128, 128, 52, 22, mix(GOLD, WHITE, 0.3))
    return c


def tv():
    """The pedestal television before the logo plays on it."""
    size = 128
    c = painted(size, size, lambda x, y: mix(NAVY, DEEP, clamp(math.hypot(x - 64, y - 64) / 90.0))[:3])
    c.ring(64, 64, 40, 4, GOLD)
    return c


def lensflare():
    """A light's glow: a hot core and a wide soft halo, alpha falling to
    nothing at the edge, with faint streaks."""
    size = 128
    mid = size / 2.0

    def colour(x, y):
        dx, dy = (x - mid) / mid, (y - mid) / mid
        r = math.hypot(dx, dy)
        core = math.exp(-(r / 0.07) ** 2)
        halo = 0.5 * math.exp(-(r / 0.35) ** 2)
        angle = math.atan2(dy, dx)
        streak = 0.18 * (0.5 + 0.5 * math.cos(angle * 6)) ** 8 * math.exp(-(r / 0.5) ** 2)
        ring = 0.08 * math.exp(-((r - 0.62) / 0.05) ** 2)
        a = clamp(core + halo + streak + ring) * clamp((1.0 - r) * 6.0)
        warm = clamp(r * 1.6)
        return mix((255, 255, 250), (255, 214, 150), warm) + (a,)
    return painted(size, size, colour)


BOARD_GREEN = (30, 66, 46)


def board(smudges):
    """A dark green chalkboard in a thin wooden frame; smudges adds faint
    rubbed-out chalk."""
    size = 256

    def colour(x, y):
        frame = min(x, y, size - x, size - y)
        if frame < 6:
            return mix((110, 70, 36), (70, 42, 20), noise(int(x), int(y) // 3, 61))
        g = tiled_noise(x, y, 16, 62, size)
        c = mix(BOARD_GREEN, (18, 44, 30), 0.4 * g + 0.3 * clamp(math.hypot(x - 128, y - 128) / 190.0))
        if smudges:
            swirl = tiled_noise(x * 0.6 + y * 0.2, y * 1.4, 32, 63, size)
            c = mix(c, rgb(CHALK), 0.05 * clamp((swirl - 0.55) * 4.0))
        return mix(c, (0, 0, 0), 0.05 * noise(int(x), int(y), 64))
    c = painted(size, size, colour)
    if smudges:
        c.line(40, 214, 150, 206, 3.0, (244, 244, 236, 0.12))
        c.line(60, 224, 200, 218, 2.0, (244, 244, 236, 0.08))
    return c


def chalkboard_clear():
    return board(False)


def chalkboard_small():
    return board(True)


def dais():
    """The top of the host's round dais: blue rays from a gold centre, a
    gold ring near the rim (the picture's circle is the dais)."""
    size = 256
    mid = size / 2.0

    def colour(x, y):
        dx, dy = x - mid, y - mid
        r = math.hypot(dx, dy) / mid
        ray = 0.5 + 0.5 * math.cos(math.atan2(dy, dx) * 16)
        c = mix((20, 34, 96), (44, 84, 180), clamp((ray - 0.5) * 4.0 + 0.5))
        c = mix(c, (10, 16, 44), clamp((r - 0.6) * 2.0))
        ring = clamp(1.0 - abs(r - 0.86) * 60.0)
        c = mix(c, rgb(GOLD), ring)
        hub = clamp((0.16 - r) * 60.0)
        return mix(c, mix(rgb(GOLD), (255, 255, 255), 0.2), hub)
    return painted(size, size, colour)


def sky_panel():
    """A backlit panel for the side walls: a soft blue gradient."""
    size = 128
    return painted(size, size, lambda x, y: mix(SKY, BLUE, y / size)[:3])


TEXTURES = {
    "textures/studio_floor.png": floor,
    "textures/studio_wall.png": wall,
    "textures/studio_wood.png": wood,
    "textures/studio_metal.png": metal,
    "textures/studio_truss.png": truss,
    "textures/studio_pedestal.png": pedestal,
    "textures/studio_bezel.png": bezel,
    "textures/studio_screen.png": screen,
    "textures/studio_tv.png": tv,
    "textures/studio_panel.png": sky_panel,
    "textures/studio_dais.png": dais,
    "textures/lensflare.png": lensflare,
    "backgrounds/blackboard_clear.png": chalkboard_clear,
    "backgrounds/chalkboard_sm.png": chalkboard_small,
}
