"""The cast's skeleton: seventeen joints, their places in the bind pose
(standing, arms down, facing +z, feet on y = 0, the character's right on
+x) and the local matrices a pose gives them.

A pose maps a joint name to (pitch, yaw, roll) in radians, turning the
joint's children about the joint the way RotateYawPitchRoll turns them
(roll, then pitch, then yaw); "Hips" may also take a shift (x, y, z). A
positive pitch swings a hanging limb backward, a negative one forward.
"""
from . import mat4

# name, parent, offset from the parent (model units of a 1.78 tall figure).
JOINTS = (
    ("Hips", None, (0.0, 0.95, 0.0)),
    ("Spine", "Hips", (0.0, 0.10, 0.0)),
    ("Chest", "Spine", (0.0, 0.20, 0.0)),
    ("Neck", "Chest", (0.0, 0.22, 0.0)),
    ("Head", "Neck", (0.0, 0.09, 0.0)),
    ("L_UpperArm", "Chest", (-0.21, 0.17, 0.0)),
    ("L_ForeArm", "L_UpperArm", (0.0, -0.28, 0.0)),
    ("L_Hand", "L_ForeArm", (0.0, -0.25, 0.0)),
    ("R_UpperArm", "Chest", (0.21, 0.17, 0.0)),
    ("R_ForeArm", "R_UpperArm", (0.0, -0.28, 0.0)),
    ("R_Hand", "R_ForeArm", (0.0, -0.25, 0.0)),
    ("L_Thigh", "Hips", (-0.095, -0.03, 0.0)),
    ("L_Shin", "L_Thigh", (0.0, -0.43, 0.0)),
    ("L_Foot", "L_Shin", (0.0, -0.42, 0.0)),
    ("R_Thigh", "Hips", (0.095, -0.03, 0.0)),
    ("R_Shin", "R_Thigh", (0.0, -0.43, 0.0)),
    ("R_Foot", "R_Shin", (0.0, -0.42, 0.0)),
)
NAMES = tuple(j[0] for j in JOINTS)
PARENT = {name: parent for name, parent, _ in JOINTS}
OFFSET = {name: offset for name, _, offset in JOINTS}
HEIGHT = 1.78


def position(name, size=1.0):
    """The joint's place in the bind pose."""
    x = y = z = 0.0
    while name is not None:
        ox, oy, oz = OFFSET[name]
        x, y, z = x + ox, y + oy, z + oz
        name = PARENT[name]
    return (x * size, y * size, z * size)


def children(name):
    return [n for n in NAMES if PARENT[n] == name]


def local(name, pose, size=1.0):
    """The joint's matrix relative to its parent under pose."""
    pitch, yaw, roll = pose.get(name, (0.0, 0.0, 0.0))
    offset = OFFSET[name]
    if name == "Hips":
        shift = pose.get("shift", (0.0, 0.0, 0.0))
        offset = tuple(o + s for o, s in zip(offset, shift))
    return mat4.mul(mat4.yaw_pitch_roll(yaw, pitch, roll), mat4.translation(tuple(o * size for o in offset)))


def world(pose, size=1.0):
    """{joint: model-space matrix} under pose."""
    out = {}
    for name in NAMES:
        parent = PARENT[name]
        m = local(name, pose, size)
        out[name] = m if parent is None else mat4.mul(m, out[parent])
    return out
