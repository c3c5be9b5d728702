"""4 x 4 matrices as the game uses them: row vectors (a point is a row,
p' = p * M), 16 floats row-major, translation in the last row, left-handed
rotations as the game's TMat4 turns them."""
import math


def identity():
    return [1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0]


def mul(a, b):
    """a then b: p * (a * b) = (p * a) * b."""
    return [sum(a[i * 4 + k] * b[k * 4 + j] for k in range(4)) for i in range(4) for j in range(4)]


def translation(v):
    m = identity()
    m[12], m[13], m[14] = float(v[0]), float(v[1]), float(v[2])
    return m


def rotation_x(a):
    """Pitch: +y turns toward +z."""
    c, s = math.cos(a), math.sin(a)
    return [1.0, 0.0, 0.0, 0.0, 0.0, c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0]


def rotation_y(a):
    """Yaw: +z turns toward +x."""
    c, s = math.cos(a), math.sin(a)
    return [c, 0.0, -s, 0.0, 0.0, 1.0, 0.0, 0.0, s, 0.0, c, 0.0, 0.0, 0.0, 0.0, 1.0]


def rotation_z(a):
    """Roll: +x turns toward +y."""
    c, s = math.cos(a), math.sin(a)
    return [c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0]


def yaw_pitch_roll(yaw, pitch, roll):
    """Roll first, then pitch, then yaw, as RotateYawPitchRoll."""
    return mul(mul(rotation_z(roll), rotation_x(pitch)), rotation_y(yaw))


def transform_point(p, m):
    return tuple(p[0] * m[j] + p[1] * m[4 + j] + p[2] * m[8 + j] + m[12 + j] for j in range(3))


def inverse_affine(m):
    """The inverse of a matrix whose last column is (0, 0, 0, 1)."""
    a, b, c = m[0:3], m[4:7], m[8:11]
    det = a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) + a[2] * (b[0] * c[1] - b[1] * c[0])
    if abs(det) < 1e-12:
        raise ValueError("the matrix cannot be inverted")
    k = 1.0 / det
    r = [
        (b[1] * c[2] - b[2] * c[1]) * k, (a[2] * c[1] - a[1] * c[2]) * k, (a[1] * b[2] - a[2] * b[1]) * k,
        (b[2] * c[0] - b[0] * c[2]) * k, (a[0] * c[2] - a[2] * c[0]) * k, (a[2] * b[0] - a[0] * b[2]) * k,
        (b[0] * c[1] - b[1] * c[0]) * k, (a[1] * c[0] - a[0] * c[1]) * k, (a[0] * b[1] - a[1] * b[0]) * k,
    ]
    t = m[12:15]
    tx = -(t[0] * r[0] + t[1] * r[3] + t[2] * r[6])
    ty = -(t[0] * r[1] + t[1] * r[4] + t[2] * r[7])
    tz = -(t[0] * r[2] + t[1] * r[5] + t[2] * r[8])
    return [r[0], r[1], r[2], 0.0, r[3], r[4], r[5], 0.0, r[6], r[7], r[8], 0.0, tx, ty, tz, 1.0]
