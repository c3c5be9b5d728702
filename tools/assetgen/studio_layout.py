"""Where everything in the studio stands: one table from which the set's
models, materials and lights, the classmates' seats and the host's marks
are all made, so they agree.

Plan of the set (x to the right, z away from the opening shot, y up): the
floor at y = 0, the back wall at z = BACK_Z with the big screen cluster on
it, a side wall at x = SIDE_X behind the classmates, a short wall on the
left. Trusses hang along the back and the right side at about y = 12, with
a lamp under each lens-flare glow. The host's round dais stands before the
screens; the five classmates' pedestals stand in an arc on a riser, facing
the intro shot's camera.
"""
import math

from . import geometry as g

BACK_Z = 10.5
SIDE_X = 13.0
LEFT_X = -12.0
FRONT_Z = -20.0
WALL_HEIGHT = 13.0
TRUSS_Y = 12.3          # truss centre line
TRUSS_SIZE = 0.6        # square section
FLARES = ((6, 11.5, 9), (0, 11.5, 9), (-6, 11.5, 9), (11, 11.5, 6), (12, 11.5, 0), (12, 11.5, -6))

# The camera shots the show uses: x, y, z, pitch, yaw, roll, fov.
SHOTS = {
    "default": (-3.0089, 3.3058, -10.0544, 0.0, 6.07, 0.0, 0.715),
    "intro": (-3.017, 4.006, -7.726, 6.283, 4.614, 0.105, 0.785),
    "board": (1.002, 4.986, -10.054, 0.0, 6.279, 0.0, 0.245),
    "final": (1.002, 4.986, -10.054, 0.0, 6.279, 0.0, 0.405),
}
FAR_PLANE = 32.0

# The main screens: 16:9, the first straight ahead of the board shot.
SCREEN_W, SCREEN_H = 5.76, 3.24
SCREEN_1 = (1.0, 4.9, BACK_Z - 0.62)
# The second hangs on the side wall above the classmates.
SCREEN_2 = (SIDE_X - 0.62, 5.6, -8.6)
WINDOW_W, WINDOW_H = 2.4, 1.35
WINDOWS = ((-3.4, 5.6, BACK_Z - 0.42), (5.4, 5.6, BACK_Z - 0.42))

# Classmates: an arc about the intro camera (plan position), the middle
# pedestal on its line of sight.
INTRO_EYE = (SHOTS["intro"][0], SHOTS["intro"][2])
ARC_RADIUS = 9.0
ARC_STEP = math.radians(11.0)
ARC_MIDDLE = math.atan2(-0.099, 0.995)
RISER_HEIGHT = 0.5
PEDESTAL_W, PEDESTAL_H, PEDESTAL_D = 1.5, 1.0, 0.8
SEAT_BEHIND = 0.75      # from the pedestal's centre, away from the camera
TV_SIZE = 0.5
TV_Y = 0.5              # TV centre above the riser

# The host's dais and lectern.
DAIS = (1.0, 0.0, 3.0)
DAIS_RADIUS, DAIS_HEIGHT = 3.0, 0.15
LECTERN = (-1.7, 0.0, 1.4)


def yaw_facing(fx, fz):
    """The yaw that turns a model's +z axis toward (fx, fz)."""
    return math.atan2(fx, fz)


def pedestal_angles():
    return [ARC_MIDDLE + (2 - k) * ARC_STEP for k in range(5)]


def pedestal_places():
    """(position, yaw) of each pedestal, its front toward the camera: the
    pedestal mesh faces -z, the yaw turns it."""
    out = []
    for a in pedestal_angles():
        x = INTRO_EYE[0] + ARC_RADIUS * math.cos(a)
        z = INTRO_EYE[1] + ARC_RADIUS * math.sin(a)
        out.append(((x, RISER_HEIGHT, z), math.pi / 2 - a))
    return out


def seats():
    """The classmates' places: behind their pedestals on the riser, facing
    the camera (yaw turns +z toward it)."""
    out = []
    for a in pedestal_angles():
        r = ARC_RADIUS + SEAT_BEHIND
        x = INTRO_EYE[0] + r * math.cos(a)
        z = INTRO_EYE[1] + r * math.sin(a)
        out.append(((x, RISER_HEIGHT, z), yaw_facing(-math.cos(a), -math.sin(a))))
    return out


def host_marks():
    """Pos1 on the dais facing the opening shot, Pos2 before the
    classmates facing them, Pos3 behind the lectern."""
    return [
        ((DAIS[0], DAIS_HEIGHT, DAIS[2] + 0.4), yaw_facing(0.0, -1.0)),
        ((1.6, 0.0, -5.2), yaw_facing(1.0, 0.0)),
        ((LECTERN[0], 0.0, LECTERN[2] + 0.75), yaw_facing(0.0, -1.0)),
    ]


class Model:
    def __init__(self, name, mesh, material, texture=None, position=(0.0, 0.0, 0.0), yaw=None, wrap=False):
        self.name = name            # element name, "" for set dressing
        self.mesh = mesh            # mesh file base name
        self.material = material
        self.texture = texture      # texture base name under textures/
        self.position = position
        self.yaw = yaw              # None: no rotation
        self.wrap = wrap            # repeat the texture (else clamp)


def _hex(rgb, a=1.0):
    return "#%02x%02x%02x%02x" % tuple(int(round(max(0.0, min(1.0, c)) * 255)) for c in tuple(rgb) + (a,))


def hsl(h, s, l):
    """Hue 0..1, saturation and lightness 0..1, to r, g, b 0..1."""
    c = (1.0 - abs(2.0 * l - 1.0)) * s
    hp = (h % 1.0) * 6.0
    x = c * (1.0 - abs(hp % 2.0 - 1.0))
    r, gg, b = [(c, x, 0), (x, c, 0), (0, c, x), (0, x, c), (x, 0, c), (c, 0, x)][int(hp) % 6]
    m = l - c / 2.0
    return (r + m, gg + m, b + m)


def grey(v):
    return (v, v, v)


# name: diffuse, ambient, specular, emissive, power (colours 0..1 rgb).
PODIUM_HUE, PODIUM_SATURATION = 200.0 / 360.0, 0.85
MATERIALS = {
    "floor": (grey(0.85), grey(0.7), grey(0.35), grey(0.0), 24.0),
    "wall": (grey(0.9), grey(0.75), grey(0.1), grey(0.0), 8.0),
    "wood": (grey(0.95), grey(0.8), grey(0.25), grey(0.0), 16.0),
    "metal": (grey(0.8), grey(0.7), grey(0.6), grey(0.05), 30.0),
    "truss": (grey(0.9), grey(0.8), grey(0.4), grey(0.1), 20.0),
    "pedestal": (grey(0.95), grey(0.8), grey(0.3), grey(0.05), 20.0),
    "screen": (grey(0.0), grey(0.0), grey(0.0), grey(1.0), 1.0),
    "bezel": (grey(0.7), grey(0.6), grey(0.5), grey(0.0), 40.0),
    "lamp_glow": (grey(0.0), grey(0.0), grey(0.0), (1.0, 0.95, 0.85), 1.0),
    "backlight": (grey(0.3), grey(0.3), grey(0.0), grey(0.75), 1.0),
    "dais_rim": (grey(0.2), hsl(0.13, 0.9, 0.4), grey(0.0), hsl(0.13, 0.9, 0.55), 1.0),
    # The pedestal lights in the form the show gives them (it replaces the
    # material, keeping the hue): grey diffuse, coloured ambient, power 0,
    # plus a glow of their own until then.
    "ped_light": (grey(0.63), hsl(PODIUM_HUE, PODIUM_SATURATION, 0.31),
                  hsl(PODIUM_HUE, PODIUM_SATURATION / 4, 1.0), hsl(PODIUM_HUE, PODIUM_SATURATION, 0.45), 0.0),
}


def material_fields(name):
    d, a, s, e, p = MATERIALS[name]
    return {"mcdiff": _hex(d), "mcamb": _hex(a), "mcspec": _hex(s), "mcemit": _hex(e), "mfpower": "%g" % p}


# One directional light and three point lights; every light brings some
# ambient (the device's global ambient stays 0).
LIGHTS = [
    {"mType": "kDirectional", "mDir": (0.35, -0.75, 0.55), "mcDiff": _hex((0.62, 0.62, 0.7)),
     "mcAmb": _hex((0.2, 0.2, 0.24)), "mcSpec": _hex(grey(0.08))},
    {"mType": "kPointSource", "mPos": (1.0, 9.0, 1.0), "mcDiff": _hex((1.0, 0.9, 0.75)),
     "mcAmb": _hex(grey(0.1)), "mcSpec": _hex(grey(0.08)), "mRange": 24.0, "mAttenuation": (1.0, 0.05, 0.0)},
    {"mType": "kPointSource", "mPos": (4.5, 8.0, -9.0), "mcDiff": _hex((0.75, 0.85, 1.0)),
     "mcAmb": _hex(grey(0.1)), "mcSpec": _hex(grey(0.08)), "mRange": 20.0, "mAttenuation": (1.0, 0.05, 0.0)},
    {"mType": "kPointSource", "mPos": (-4.0, 7.0, -3.0), "mcDiff": _hex((0.55, 0.55, 0.62)),
     "mcAmb": _hex(grey(0.08)), "mcSpec": _hex(grey(0.05)), "mRange": 20.0, "mAttenuation": (1.0, 0.06, 0.0)},
]


def _truss_bar(a, b):
    """A square truss from plan point a to b at TRUSS_Y, the lattice
    picture repeating along it."""
    dx, dz = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dz)
    h = TRUSS_SIZE / 2
    reps = length / (2 * TRUSS_SIZE)
    along = (0, 0, reps, 1)
    bar = g.box((-length / 2, -h, -h), (length / 2, h, h),
                {"front": along, "back": along, "top": along, "bottom": along, "left": None, "right": None})
    return bar.placed(((a[0] + b[0]) / 2, TRUSS_Y, (a[1] + b[1]) / 2), math.atan2(-dz, dx))


TRUSS_PATH = ((-11.0, 9.0), (9.5, 9.0), (12.0, 4.0), (12.0, -14.0))
# Upright trusses from the floor to the top ones, framing the opening shot
# and the intro shot.
TOWERS = ((-7.6, 9.0), (9.6, 9.0), (12.0, -13.0))


def truss_mesh():
    return g.merged(*[_truss_bar(a, b) for a, b in zip(TRUSS_PATH, TRUSS_PATH[1:])])


def towers_mesh():
    """Upright trusses: the lattice picture turned on its side, one bay
    every two sections of height."""
    h = TRUSS_SIZE / 2
    height = TRUSS_Y + h
    up = (0, 0, height / (2 * TRUSS_SIZE), 1)
    out = g.Mesh()
    for x, z in TOWERS:
        bar = g.Mesh()
        for normal, right in (((0, 0, -1), (1, 0, 0)), ((0, 0, 1), (-1, 0, 0)), ((-1, 0, 0), (0, 0, -1)),
                              ((1, 0, 0), (0, 0, 1))):
            centre = (normal[0] * h, height / 2, normal[2] * h)
            # Seen from the front the picture's top points along -right,
            # so its chords run up the tower.
            bar.quad(centre, normal, g.scale(right, -1.0), height / 2, h, up)
        out.merge(bar.translated((x, 0.0, z)))
    return out


def plinth_mesh():
    """A low step along the back wall under the screens."""
    return g.box((LEFT_X + 0.5, 0.0, BACK_Z - 1.2), (SIDE_X - 0.5, 0.45, BACK_Z),
                 {"front": (0, 0, 20, 0.3), "top": (0, 0, 20, 1), "back": None, "bottom": None})


def plinth_edge_mesh():
    return g.box((LEFT_X + 0.5, 0.36, BACK_Z - 1.23), (SIDE_X - 0.5, 0.41, BACK_Z - 1.19), {"back": None})


def lamps_mesh():
    """A can under the truss above each glow, tipped toward the stage."""
    out = g.Mesh()
    for x, y, z in FLARES:
        out.merge(g.cylinder(0.28, 0.55, 12, (0, 0, 1, 1), (0.4, 0.4, 0.6, 0.6)).translated((x, y - 0.1, z)))
    return out


def lamp_lenses_mesh():
    out = g.Mesh()
    for x, y, z in FLARES:
        out.merge(g.cylinder(0.24, 0.02, 12, caps=(True, False)).translated((x, y - 0.12, z)))
    return out


def screen_panel(w, h, centre, facing_yaw=0.0):
    """A 16:9 picture facing -z before the yaw; uv 0..1, v = 0 at the top."""
    return g.Mesh().quad((0, 0, 0), (0, 0, -1), (0, 1, 0), w / 2, h / 2).placed(centre, facing_yaw)


def bezel(w, h, centre, depth, border, facing_yaw=0.0):
    m = g.box((-w / 2 - border, -h / 2 - border, 0.02), (w / 2 + border, h / 2 + border, 0.02 + depth),
              {"back": None})
    return m.placed(centre, facing_yaw)


SIDE_SCREEN_YAW = math.pi / 2   # -z turned to -x: facing away from the side wall


def _ped_local_strips():
    """The glowing bands of one pedestal in its own space (front at -z)."""
    hw, hd = PEDESTAL_W / 2, PEDESTAL_D / 2
    top = g.box((-hw, PEDESTAL_H - 0.14, -hd - 0.03), (hw, PEDESTAL_H - 0.08, -hd + 0.02), {"back": None})
    return top


def _ped_local_base():
    hw, hd = PEDESTAL_W / 2, PEDESTAL_D / 2
    return g.box((-hw - 0.03, 0.04, -hd - 0.03), (hw + 0.03, 0.1, hd + 0.03), {"bottom": None})


def _tv_local():
    hd = PEDESTAL_D / 2
    return g.Mesh().quad((0, TV_Y, -hd - 0.012), (0, 0, -1), (0, 1, 0), TV_SIZE / 2, TV_SIZE / 2)


def _tv_frame_local():
    hd = PEDESTAL_D / 2
    s, t = TV_SIZE / 2, 0.035
    z0, z1 = -hd - 0.03, -hd + 0.01
    out = g.Mesh()
    for lo, hi in (((-s - t, TV_Y + s, z0), (s + t, TV_Y + s + t, z1)), ((-s - t, TV_Y - s - t, z0), (s + t, TV_Y - s, z1)),
                   ((-s - t, TV_Y - s, z0), (-s, TV_Y + s, z1)), ((s, TV_Y - s, z0), (s + t, TV_Y + s, z1))):
        out.merge(g.box(lo, hi, {"back": None}))
    return out


def _on_pedestals(local):
    return g.merged(*[local.placed(p, yaw) for p, yaw in pedestal_places()])


def pedestal_body():
    """Faces -z: the picture on the front, a dark corner of it elsewhere."""
    hw, hd = PEDESTAL_W / 2, PEDESTAL_D / 2
    edge = (0.01, 0.01, 0.03, 0.03)
    return g.box((-hw, 0.0, -hd), (hw, PEDESTAL_H - 0.02, hd),
                 {"front": g.FULL, "back": edge, "left": edge, "right": edge, "top": edge, "bottom": None})


def pedestal_top():
    return g.bevel_box(PEDESTAL_W + 0.14, 0.08, PEDESTAL_D + 0.14, 0.03).translated((0, PEDESTAL_H - 0.02, 0))


def riser_mesh():
    a = pedestal_angles()
    span = ARC_STEP * 2.9
    return g.arc(ARC_RADIUS - 1.1, 3.0, RISER_HEIGHT, a[2] - span, a[2] + span, 24, (0, 0, 12, 0.2),
                 (0.0, 0.0, 0.2, 0.2)).translated((INTRO_EYE[0], 0.0, INTRO_EYE[1]))


def riser_edge_mesh():
    a = pedestal_angles()
    span = ARC_STEP * 2.9
    return g.arc(ARC_RADIUS - 1.13, 0.04, 0.07, a[2] - span, a[2] + span, 24).translated(
        (INTRO_EYE[0], RISER_HEIGHT - 0.1, INTRO_EYE[1]))


def walls():
    back = g.wall(SIDE_X - LEFT_X, WALL_HEIGHT, ((SIDE_X - LEFT_X) / 2.5, 1.0), (10, 5)).translated(
        ((SIDE_X + LEFT_X) / 2, 0.0, BACK_Z))
    depth = BACK_Z - FRONT_Z
    side = g.wall(depth, WALL_HEIGHT, (depth / 2.5, 1.0), (12, 5))
    right = side.rotated_y(math.pi / 2).translated((SIDE_X, 0.0, (BACK_Z + FRONT_Z) / 2))
    left = side.rotated_y(-math.pi / 2).translated((LEFT_X, 0.0, (BACK_Z + FRONT_Z) / 2))
    return back, right, left


def floor_mesh():
    w, d = SIDE_X - LEFT_X, BACK_Z - FRONT_Z
    return g.plane(w, d, (w / 4.0, d / 4.0), (10, 12)).translated(((SIDE_X + LEFT_X) / 2, 0.0, (BACK_Z + FRONT_Z) / 2))


def backlights_mesh():
    """Two tall lit columns framing the screens, and two on the side wall."""
    out = g.Mesh()
    for x in (-6.2, 8.2):
        out.merge(g.Mesh().quad((x, 5.0, BACK_Z - 0.05), (0, 0, -1), (0, 1, 0), 0.6, 4.5))
    for z in (-2.0, -15.0):
        out.merge(g.Mesh().quad((SIDE_X - 0.05, 5.0, z), (-1, 0, 0), (0, 1, 0), 0.6, 4.5))
    return out


def lectern_mesh():
    body = g.box((-0.6, 0.0, -0.35), (0.6, 1.15, 0.35), {"bottom": None})
    return body.translated(LECTERN)


def lectern_top_mesh():
    return g.bevel_box(1.35, 0.07, 0.8, 0.03).translated((LECTERN[0], 1.15, LECTERN[2]))


def dais_mesh():
    # The side takes a thin dark ring of the picture's edge.
    return g.cylinder(DAIS_RADIUS, DAIS_HEIGHT, 48, (0.0, 0.49, 0.02, 0.51), caps=(False, True)).translated(DAIS)


def dais_rim_mesh():
    return g.cylinder(DAIS_RADIUS + 0.03, 0.05, 32, caps=(False, True)).translated(
        (DAIS[0], DAIS_HEIGHT - 0.07, DAIS[2]))


def build():
    """(meshes by file base name, models in draw order, nearest first)."""
    back, right, left = walls()
    meshes = {
        "floor": floor_mesh(),
        "wall_back": back,
        "wall_right": right,
        "wall_left": left,
        "backlights": backlights_mesh(),
        "truss": truss_mesh(),
        "towers": towers_mesh(),
        "plinth": plinth_mesh(),
        "plinth_edge": plinth_edge_mesh(),
        "lamps": lamps_mesh(),
        "lamp_lenses": lamp_lenses_mesh(),
        "mainscreen_1": screen_panel(SCREEN_W, SCREEN_H, SCREEN_1),
        "mainscreen_1_bezel": bezel(SCREEN_W, SCREEN_H, SCREEN_1, 0.4, 0.2),
        "mainscreen_2": screen_panel(SCREEN_W, SCREEN_H, SCREEN_2, SIDE_SCREEN_YAW),
        "mainscreen_2_bezel": bezel(SCREEN_W, SCREEN_H, SCREEN_2, 0.4, 0.2, SIDE_SCREEN_YAW),
        "window_01": screen_panel(WINDOW_W, WINDOW_H, WINDOWS[0]),
        "window_02": screen_panel(WINDOW_W, WINDOW_H, WINDOWS[1]),
        "window_bezels": g.merged(*[bezel(WINDOW_W, WINDOW_H, c, 0.3, 0.12) for c in WINDOWS]),
        "dais": dais_mesh(),
        "dais_rim": dais_rim_mesh(),
        "lectern": lectern_mesh(),
        "lectern_top": lectern_top_mesh(),
        "riser": riser_mesh(),
        "pedestal": pedestal_body(),
        "pedestal_top": pedestal_top(),
        "pedestal_tv": _on_pedestals(_tv_local()),
        "ped_light_0": _on_pedestals(_ped_local_strips()),
        "ped_light_1": riser_edge_mesh(),
        "ped_light_2": _on_pedestals(_ped_local_base()),
        "ped_light_3": _on_pedestals(_tv_frame_local()),
    }
    models = [
        Model("floor", "floor", "floor", "studio_floor", wrap=True),
        Model("wall_back", "wall_back", "wall", "studio_wall", wrap=True),
        Model("wall_right", "wall_right", "wall", "studio_wall", wrap=True),
        Model("wall_left", "wall_left", "wall", "studio_wall", wrap=True),
        Model("backlights", "backlights", "backlight", "studio_panel"),
        Model("truss", "truss", "truss", "studio_truss", wrap=True),
        Model("towers", "towers", "truss", "studio_truss", wrap=True),
        Model("plinth", "plinth", "metal", "studio_metal", wrap=True),
        Model("plinth_edge", "plinth_edge", "dais_rim"),
        Model("lamps", "lamps", "metal", "studio_metal"),
        Model("lamp_lenses", "lamp_lenses", "lamp_glow"),
        Model("mainscreen_1_bezel", "mainscreen_1_bezel", "bezel", "studio_bezel"),
        Model("mainscreen_1", "mainscreen_1", "screen", "studio_screen"),
        Model("mainscreen_2_bezel", "mainscreen_2_bezel", "bezel", "studio_bezel"),
        Model("mainscreen_2", "mainscreen_2", "screen", "studio_screen"),
        Model("window_bezels", "window_bezels", "bezel", "studio_bezel"),
        Model("Windows01", "window_01", "screen", "studio_screen"),
        Model("Windows02", "window_02", "screen", "studio_screen"),
        Model("dais", "dais", "pedestal", "studio_dais"),
        Model("dais_rim", "dais_rim", "dais_rim"),
        Model("lectern", "lectern", "pedestal", "studio_pedestal"),
        Model("lectern_top", "lectern_top", "wood", "studio_wood"),
        Model("riser", "riser", "metal", "studio_metal", wrap=True),
    ]
    for k, (p, yaw) in enumerate(pedestal_places()):
        models.append(Model("pedestal_%d" % (k + 1), "pedestal", "pedestal", "studio_pedestal", p, yaw))
        models.append(Model("pedestal_top_%d" % (k + 1), "pedestal_top", "wood", "studio_wood", p, yaw))
    models.append(Model("kid_pedestal_tv", "pedestal_tv", "screen", "studio_tv"))
    for k in range(4):
        models.append(Model("ped_light_%d" % k, "ped_light_%d" % k, "ped_light"))
    # Every surface is opaque, so the order is free: the set is drawn
    # front to back (the list above runs from the back wall forward), and
    # the depth test spares the large floor and walls most of their pixels
    # (a fifth of the frame time with two rendering threads).
    models.reverse()
    return meshes, models


def world_vertices(mesh, model):
    """The mesh's corners where the model puts them."""
    placed = mesh.placed(model.position, model.yaw or 0.0)
    return [v[0] for v in placed.vertices]
