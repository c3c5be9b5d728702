"""The cast's body: one mesh of simple solids in the bind pose, each solid
weighted to its joint. Most are rigid (weight 1); the corners of the upper
arm and forearm that meet at the elbow, and of the thigh and shin at the
knee, are shared half and half by the two joints, so the limb stays joined
when it bends. Faces take their picture from the atlas regions of
cast_looks.py."""
from . import geometry as g
from . import skeleton
from .cast_looks import REGIONS, SIZE

INSET = 2.0   # pixels kept off a region's edge, so filtering takes nothing from the next one


def uv(region):
    x0, y0, x1, y1 = REGIONS[region]
    return ((x0 + INSET) / SIZE, (y0 + INSET) / SIZE, (x1 - INSET) / SIZE, (y1 - INSET) / SIZE)


def _box(lo, hi, kind, faces=None):
    """A box in one region, some faces in others (box() face names: the
    character's front is the box's "back", +z)."""
    uvs = {f: uv(kind) for f in ("front", "back", "left", "right", "top", "bottom")}
    for face, region in (faces or {}).items():
        uvs[face] = uv(region) if region else None
    return g.box(lo, hi, uvs)


class Part:
    """A solid on a joint; blend: (other joint, y) shares the corners at
    height y half and half with the other joint."""

    def __init__(self, mesh, joint, blend=None):
        self.mesh, self.joint, self.blend = mesh, joint, blend


def _arm(side):
    sx = -1.0 if side == "L" else 1.0
    sh = skeleton.position(side + "_UpperArm")
    el = skeleton.position(side + "_ForeArm")
    wr = skeleton.position(side + "_Hand")
    x = sh[0] + sx * 0.01
    upper = _box((x - 0.052, el[1], -0.056), (x + 0.052, sh[1] + 0.035, 0.056), "sleeve")
    fore = _box((x - 0.043, wr[1], -0.046), (x + 0.043, el[1], 0.046), "forearm")
    hand = g.bevel_box(0.07, 0.15, 0.06, 0.015, uv("skin"), uv("skin")).translated((x, wr[1] - 0.15, 0.0))
    return [Part(upper, side + "_UpperArm", (side + "_ForeArm", el[1])),
            Part(fore, side + "_ForeArm", (side + "_UpperArm", el[1])),
            Part(hand, side + "_Hand")]


def _leg(side):
    hip = skeleton.position(side + "_Thigh")
    knee = skeleton.position(side + "_Shin")
    ankle = skeleton.position(side + "_Foot")
    x = hip[0]
    thigh = _box((x - 0.072, knee[1], -0.082), (x + 0.072, hip[1] + 0.07, 0.082), "pants")
    shin = _box((x - 0.058, ankle[1] + 0.02, -0.062), (x + 0.058, knee[1], 0.062), "pants")
    foot = _box((x - 0.052, 0.0, -0.06), (x + 0.052, ankle[1] + 0.02, 0.17), "shoes")
    return [Part(thigh, side + "_Thigh", (side + "_Shin", knee[1])),
            Part(shin, side + "_Shin", (side + "_Thigh", knee[1])),
            Part(foot, side + "_Foot")]


def _hair(look, head_lo, head_hi):
    """Hair solids on the head box (x0, y0, z0)-(x1, y1, z1)."""
    (x0, y0, z0), (x1, y1, z1) = head_lo, head_hi
    cap = _box((x0 - 0.012, y1 - 0.07, z0 - 0.012), (x1 + 0.012, y1 + 0.03, z1 - 0.03), "hair")
    out = [cap]
    back = {"short": 0.12, "slick": 0.12, "ponytail": 0.14, "spiky": 0.12, "puffs": 0.16, "long": 0.40}[look.hair]
    out.append(_box((x0 - 0.012, y1 - back, z0 - 0.022), (x1 + 0.012, y1 - 0.05, z0 + 0.01), "hair"))
    mid_z = (z0 + z1) / 2.0
    if look.hair == "long":
        for a, b in ((x0 - 0.025, x0 + 0.005), (x1 - 0.005, x1 + 0.025)):
            out.append(_box((a, y1 - 0.3, z0 - 0.01), (b, y1 - 0.03, mid_z + 0.03), "hair"))
    elif look.hair == "ponytail":
        out.append(g.bevel_box(0.07, 0.16, 0.07, 0.02, uv("hair"), uv("hair")).translated(
            (0.0, y1 - 0.22, z0 - 0.06)))
    elif look.hair == "puffs":
        for sx in (x0 - 0.03, x1 + 0.03):
            out.append(g.bevel_box(0.1, 0.1, 0.1, 0.03, uv("hair"), uv("hair")).translated((sx, y1 - 0.06, mid_z)))
    elif look.hair == "spiky":
        for k in range(4):
            sx = x0 + 0.03 + k * (x1 - x0 - 0.06) / 3.0
            out.append(g.cylinder(0.03, 0.06, 4, uv("hair"), uv("hair")).translated((sx, y1 + 0.02, mid_z - 0.02)))
    return out


def parts(look):
    hips = skeleton.position("Hips")
    spine = skeleton.position("Spine")
    chest = skeleton.position("Chest")
    neck = skeleton.position("Neck")
    head = skeleton.position("Head")
    out = [
        Part(_box((-0.165, hips[1] - 0.1, -0.1), (0.165, spine[1], 0.1), "pants"), "Hips"),
        Part(_box((-0.15, spine[1], -0.092), (0.15, chest[1] + 0.02, 0.092), "shirt"), "Spine"),
        Part(_box((-0.19, chest[1] + 0.02, -0.105), (0.19, neck[1], 0.105), "shirt",
                  {"back": "shirt_front", "bottom": None}), "Chest"),
        Part(g.cylinder(0.05, head[1] - neck[1] + 0.04, 8, uv("skin"), uv("skin"), (False, False)).translated(
            (0.0, neck[1] - 0.02, 0.0)), "Neck"),
    ]
    head_lo, head_hi = (-0.105, head[1] - 0.02, -0.115), (0.105, head[1] + 0.23, 0.115)
    out.append(Part(_box(head_lo, head_hi, "skin", {"back": "face", "left": "head_side", "right": "head_side",
                                                      "top": "hair", "front": "hair"}), "Head"))
    nose_y = head[1] + 0.075
    out.append(Part(_box((-0.016, nose_y, head_hi[2] - 0.005), (0.016, nose_y + 0.045, head_hi[2] + 0.025), "skin",
                         {"front": None}), "Head"))
    out += [Part(m, "Head") for m in _hair(look, head_lo, head_hi)]
    if look.suit:
        # The jacket's skirts over the hips.
        out.append(Part(_box((-0.172, hips[1] - 0.12, -0.107), (0.172, hips[1] + 0.02, 0.107), "sleeve",
                             {"top": None}), "Hips"))
    for side in ("L", "R"):
        out += _arm(side) + _leg(side)
    return out


def build(look):
    """(positions, normals, uvs, triangles, {joint: [(vertex, weight)]}),
    sized for the look."""
    positions, normals, uvs, triangles = [], [], [], []
    weights = {name: [] for name in skeleton.NAMES}
    for part in parts(look):
        base = len(positions)
        for k, (p, n, t) in enumerate(part.mesh.vertices):
            positions.append(tuple(c * look.size for c in p))
            normals.append(n)
            uvs.append(t)
            if part.blend is not None and abs(p[1] - part.blend[1]) < 1e-6:
                weights[part.joint].append((base + k, 0.5))
                weights[part.blend[0]].append((base + k, 0.5))
            else:
                weights[part.joint].append((base + k, 1.0))
        triangles += [(a + base, b + base, c + base) for a, b, c in part.mesh.triangles]
    return positions, normals, uvs, triangles, weights
