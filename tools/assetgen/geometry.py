"""Triangle meshes for the studio set, in the game's 3D space.

Space is left-handed (x right, y up, z away from the viewer) and a face is
seen from its front when its corners run clockwise: for a triangle a, b, c
the cross product (b - a) x (c - a) points out of the front. Normals are
flat: every face has its own corners, so edges stay sharp under the
per-vertex lighting. Texture coordinates count v down from the top of the
picture. A uv rectangle is (u0, v0, u1, v1): u0, v0 at the face's top-left
as seen from the front.
"""
import math

FULL = (0.0, 0.0, 1.0, 1.0)


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def scale(a, k):
    return (a[0] * k, a[1] * k, a[2] * k)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def normalize(a):
    n = math.sqrt(dot(a, a))
    if n == 0.0:
        raise ValueError("a direction of length 0")
    return scale(a, 1.0 / n)


def face_normal(a, b, c):
    """The front of a clockwise triangle."""
    return normalize(cross(sub(b, a), sub(c, a)))


class Mesh:
    """Vertices as (position, normal, uv) and triangles as index triples."""

    def __init__(self):
        self.vertices = []
        self.triangles = []

    def polygon(self, corners, uvs, normal):
        """A flat convex polygon whose front faces `normal`; the corners may
        run either way round (they are put in clockwise order)."""
        if len(corners) < 3 or len(corners) != len(uvs):
            raise ValueError("a polygon needs three or more corners, each with a uv")
        corners = list(corners)
        uvs = list(uvs)
        area = _area_vector(corners)
        if dot(area, normal) < 0.0:
            corners.reverse()
            uvs.reverse()
            area = scale(area, -1.0)
        normal = normalize(area)
        base = len(self.vertices)
        for p, uv in zip(corners, uvs):
            self.vertices.append((tuple(p), normal, tuple(uv)))
        for i in range(1, len(corners) - 1):
            self.triangles.append((base, base + i, base + i + 1))
        return self

    def quad(self, centre, normal, up, half_w, half_h, uv=FULL):
        """A rectangle seen from the front with `up` at its top; uv spans it."""
        normal = normalize(normal)
        up = normalize(up)
        right = normalize(cross(normal, up))
        u0, v0, u1, v1 = uv
        r = scale(right, half_w)
        t = scale(up, half_h)
        corners = [add(sub(centre, r), t), add(add(centre, r), t), sub(add(centre, r), t), sub(sub(centre, r), t)]
        return self.polygon(corners, [(u0, v0), (u1, v0), (u1, v1), (u0, v1)], normal)

    def merge(self, other):
        base = len(self.vertices)
        self.vertices += other.vertices
        self.triangles += [(a + base, b + base, c + base) for a, b, c in other.triangles]
        return self

    def translated(self, d):
        out = Mesh()
        out.vertices = [(add(p, d), n, uv) for p, n, uv in self.vertices]
        out.triangles = list(self.triangles)
        return out

    def rotated_y(self, angle):
        """Turned about the y axis the way the game's yaw turns a model:
        +z goes to (sin angle, 0, cos angle)."""
        c, s = math.cos(angle), math.sin(angle)

        def turn(v):
            return (v[0] * c + v[2] * s, v[1], -v[0] * s + v[2] * c)

        out = Mesh()
        out.vertices = [(turn(p), turn(n), uv) for p, n, uv in self.vertices]
        out.triangles = list(self.triangles)
        return out

    def placed(self, position, yaw=0.0):
        return self.rotated_y(yaw).translated(position)

    def bounds(self):
        if not self.vertices:
            return None
        lo = [min(v[0][i] for v in self.vertices) for i in range(3)]
        hi = [max(v[0][i] for v in self.vertices) for i in range(3)]
        return tuple(lo), tuple(hi)


def _area_vector(corners):
    """Sum of the fan's triangle cross products (twice the area, pointing
    out of the clockwise side)."""
    total = (0.0, 0.0, 0.0)
    for i in range(1, len(corners) - 1):
        total = add(total, cross(sub(corners[i], corners[0]), sub(corners[i + 1], corners[0])))
    return total


def merged(*meshes):
    out = Mesh()
    for m in meshes:
        out.merge(m)
    return out


def box(lo, hi, uvs=None):
    """An axis-aligned box from corner lo to corner hi. uvs maps face names
    ("front" -z, "back" +z, "left" -x, "right" +x, "top", "bottom") to uv
    rectangles; a missing face gets the whole picture, a face mapped to None
    is left out. Side faces have +y at their top; top and bottom +z."""
    uvs = uvs or {}
    (x0, y0, z0), (x1, y1, z1) = lo, hi
    cx, cy, cz = (x0 + x1) / 2, (y0 + y1) / 2, (z0 + z1) / 2
    hx, hy, hz = (x1 - x0) / 2, (y1 - y0) / 2, (z1 - z0) / 2
    faces = (
        ("front", (cx, cy, z0), (0, 0, -1), (0, 1, 0), hx, hy),
        ("back", (cx, cy, z1), (0, 0, 1), (0, 1, 0), hx, hy),
        ("left", (x0, cy, cz), (-1, 0, 0), (0, 1, 0), hz, hy),
        ("right", (x1, cy, cz), (1, 0, 0), (0, 1, 0), hz, hy),
        ("top", (cx, y1, cz), (0, 1, 0), (0, 0, 1), hx, hz),
        ("bottom", (cx, y0, cz), (0, -1, 0), (0, 0, 1), hx, hz),
    )
    m = Mesh()
    for name, centre, normal, up, hw, hh in faces:
        uv = uvs.get(name, FULL)
        if uv is not None:
            m.quad(centre, normal, up, hw, hh, uv)
    return m


def plane(width, depth, tiles=(1.0, 1.0), cells=(1, 1), y=0.0):
    """A floor-like grid facing +y, centred on the origin, width along x and
    depth along z; the picture repeats tiles times across it (use wrap
    addressing) and the grid has cells quads so vertex lighting can vary
    over it."""
    nx, nz = cells
    if nx < 1 or nz < 1:
        raise ValueError("a plane needs at least one cell each way")
    m = Mesh()
    for i in range(nx):
        for k in range(nz):
            xa = -width / 2 + width * i / nx
            xb = -width / 2 + width * (i + 1) / nx
            za = depth / 2 - depth * k / nz
            zb = depth / 2 - depth * (k + 1) / nz
            ua, ub = tiles[0] * i / nx, tiles[0] * (i + 1) / nx
            va, vb = tiles[1] * k / nz, tiles[1] * (k + 1) / nz
            m.polygon([(xa, y, za), (xb, y, za), (xb, y, zb), (xa, y, zb)],
                      [(ua, va), (ub, va), (ub, vb), (ua, vb)], (0, 1, 0))
    return m


def wall(width, height, tiles=(1.0, 1.0), cells=(1, 1)):
    """A vertical grid facing -z, bottom edge on y = 0, centred on x = 0."""
    nx, ny = cells
    if nx < 1 or ny < 1:
        raise ValueError("a wall needs at least one cell each way")
    m = Mesh()
    for i in range(nx):
        for k in range(ny):
            xa = -width / 2 + width * i / nx
            xb = -width / 2 + width * (i + 1) / nx
            ya = height - height * k / ny
            yb = height - height * (k + 1) / ny
            ua, ub = tiles[0] * i / nx, tiles[0] * (i + 1) / nx
            va, vb = tiles[1] * k / ny, tiles[1] * (k + 1) / ny
            m.polygon([(xa, ya, 0.0), (xb, ya, 0.0), (xb, yb, 0.0), (xa, yb, 0.0)],
                      [(ua, va), (ub, va), (ub, vb), (ua, vb)], (0, 0, -1))
    return m


def loft(rings, side_uv=FULL, cap_uv=FULL, caps=(True, True)):
    """A solid about the y axis through horizontal outlines: rings is a list
    of (outline, y) from the bottom up, each outline the same number of
    (x, z) points of a convex shape. Side faces join neighbouring rings, the
    picture going once round the side; caps close the lowest and highest
    ring."""
    m = Mesh()
    count = len(rings[0][0])
    if count < 3 or any(len(r[0]) != count for r in rings):
        raise ValueError("every outline needs the same number of points, at least three")
    centre = (sum(p[0] for p in rings[0][0]) / count, sum(p[1] for p in rings[0][0]) / count)
    u0, v0, u1, v1 = side_uv
    for level in range(len(rings) - 1):
        (lo, ya), (hi, yb) = rings[level], rings[level + 1]
        va = v1 + (v0 - v1) * level / (len(rings) - 1)
        vb = v1 + (v0 - v1) * (level + 1) / (len(rings) - 1)
        for i in range(count):
            j = (i + 1) % count
            corners = [(lo[i][0], ya, lo[i][1]), (lo[j][0], ya, lo[j][1]),
                       (hi[j][0], yb, hi[j][1]), (hi[i][0], yb, hi[i][1])]
            if _degenerate(corners):
                continue
            ua, ub = u0 + (u1 - u0) * i / count, u0 + (u1 - u0) * (i + 1) / count
            outward = _outward(corners, centre)
            m.polygon(corners, [(ua, va), (ub, va), (ub, vb), (ua, vb)], outward)
    for end, (outline, y), normal in ((0, rings[0], (0, -1, 0)), (1, rings[-1], (0, 1, 0))):
        if not caps[end]:
            continue
        xs = [p[0] for p in outline]
        zs = [p[1] for p in outline]
        sx = (max(xs) - min(xs)) or 1.0
        sz = (max(zs) - min(zs)) or 1.0
        cu0, cv0, cu1, cv1 = cap_uv
        uvs = [(cu0 + (cu1 - cu0) * (p[0] - min(xs)) / sx, cv0 + (cv1 - cv0) * (max(zs) - p[1]) / sz)
               for p in outline]
        m.polygon([(p[0], y, p[1]) for p in outline], uvs, normal)
    return m


def _degenerate(corners):
    a = _area_vector(corners)
    return dot(a, a) < 1e-18


def _outward(corners, centre):
    """The side face's normal, pointing away from the solid's axis."""
    a = _area_vector(corners)
    n = normalize(a)
    mid = scale(add(corners[0], corners[2]), 0.5)
    away = (mid[0] - centre[0], 0.0, mid[2] - centre[1])
    return n if dot(n, away) >= 0.0 else scale(n, -1.0)


def circle(radius, sides, start=0.0):
    return [(radius * math.cos(start + 2 * math.pi * i / sides), radius * math.sin(start + 2 * math.pi * i / sides))
            for i in range(sides)]


def cylinder(radius, height, sides, side_uv=FULL, cap_uv=FULL, caps=(True, True)):
    """Upright, base centre at the origin."""
    if sides < 3:
        raise ValueError("a cylinder needs three or more sides")
    ring = circle(radius, sides)
    return loft([(ring, 0.0), (ring, height)], side_uv, cap_uv, caps)


def rounded_rect(half_w, half_d, bevel):
    """The outline of a rectangle with its corners cut by bevel."""
    b = min(bevel, half_w * 0.999, half_d * 0.999)
    w, d = half_w, half_d
    return [(-w + b, -d), (w - b, -d), (w, -d + b), (w, d - b), (w - b, d), (-w + b, d), (-w, d - b), (-w, -d + b)]


def bevel_box(width, height, depth, bevel, side_uv=FULL, cap_uv=FULL):
    """A box standing on the origin with its vertical edges and top edges
    cut at 45 degrees by bevel."""
    w, d = width / 2.0, depth / 2.0
    b = min(bevel, w * 0.5, d * 0.5, height * 0.5)
    outer = rounded_rect(w, d, b)
    inner = rounded_rect(w - b, d - b, b * 0.414)
    return loft([(outer, 0.0), (outer, height - b), (inner, height)], side_uv, cap_uv)


def arc(radius, thickness, height, start, end, segments, uv=FULL, edge_uv=FULL):
    """A curved slab about the y axis from angle start to end (radians,
    measured from +x toward +z), its inner face at radius and its outer
    face at radius + thickness, standing on y = 0. The picture spans the
    inner face (the face toward the axis) and the outer face; edge_uv goes
    on the top, bottom and ends."""
    if segments < 1 or thickness <= 0.0 or end <= start:
        raise ValueError("an arc needs a segment, a thickness and end > start")
    m = Mesh()
    ro = radius + thickness
    u0, v0, u1, v1 = uv

    def at(r, a, y):
        return (r * math.cos(a), y, r * math.sin(a))

    for i in range(segments):
        a = start + (end - start) * i / segments
        b = start + (end - start) * (i + 1) / segments
        mid = (a + b) / 2
        out = (math.cos(mid), 0.0, math.sin(mid))
        ua, ub = u0 + (u1 - u0) * i / segments, u0 + (u1 - u0) * (i + 1) / segments
        # Inner face, seen from the axis: angle grows to the viewer's left.
        m.polygon([at(radius, b, height), at(radius, a, height), at(radius, a, 0.0), at(radius, b, 0.0)],
                  [(ua, v0), (ub, v0), (ub, v1), (ua, v1)], scale(out, -1.0))
        m.polygon([at(ro, a, height), at(ro, b, height), at(ro, b, 0.0), at(ro, a, 0.0)],
                  [(ua, v0), (ub, v0), (ub, v1), (ua, v1)], out)
        e0, f0, e1, f1 = edge_uv
        m.polygon([at(radius, a, height), at(radius, b, height), at(ro, b, height), at(ro, a, height)],
                  [(e0, f0), (e1, f0), (e1, f1), (e0, f1)], (0, 1, 0))
        m.polygon([at(radius, a, 0.0), at(radius, b, 0.0), at(ro, b, 0.0), at(ro, a, 0.0)],
                  [(e0, f0), (e1, f0), (e1, f1), (e0, f1)], (0, -1, 0))
    e0, f0, e1, f1 = edge_uv
    for ang, sign in ((start, -1.0), (end, 1.0)):
        tangent = (-math.sin(ang) * sign, 0.0, math.cos(ang) * sign)
        m.polygon([at(radius, ang, height), at(ro, ang, height), at(ro, ang, 0.0), at(radius, ang, 0.0)],
                  [(e0, f0), (e1, f0), (e1, f1), (e0, f1)], tangent)
    return m
