""".mesh files (docs/meshes.md): "TRIS", the vertex and triangle counts as
16-bit numbers, then per vertex eight signed 16-bit thousandths (position,
normal, texture coordinates) and per triangle three 16-bit indices, all
little-endian. A value that does not fit is refused, never wrapped."""
import math
import struct

LIMIT = 32767          # thousandths: +-32.767
MAX_COUNT = 65535


class MeshError(ValueError):
    pass


def _fixed(value, what, index):
    if not math.isfinite(value):
        raise MeshError("vertex %d: %s is not a finite number" % (index, what))
    # Halves round away from zero, the same on every machine.
    q = int(math.floor(abs(value) * 1000.0 + 0.5))
    q = -q if value < 0 else q
    if q > LIMIT or q < -LIMIT:
        raise MeshError("vertex %d: %s %.4f lies outside -32.767..32.767" % (index, what, value))
    return q


def mesh_bytes(mesh):
    vertices, triangles = mesh.vertices, mesh.triangles
    if len(vertices) > MAX_COUNT:
        raise MeshError("%d vertices: a mesh holds at most %d" % (len(vertices), MAX_COUNT))
    if len(triangles) > MAX_COUNT:
        raise MeshError("%d triangles: a mesh holds at most %d" % (len(triangles), MAX_COUNT))
    out = bytearray(b"TRIS")
    out += struct.pack("<HH", len(vertices), len(triangles))
    names = ("x", "y", "z", "normal x", "normal y", "normal z", "u", "v")
    for i, (p, n, uv) in enumerate(vertices):
        values = tuple(p) + tuple(n) + tuple(uv)
        out += struct.pack("<8h", *(_fixed(v, names[k], i) for k, v in enumerate(values)))
    for t, tri in enumerate(triangles):
        for k in tri:
            if not 0 <= k < len(vertices):
                raise MeshError("triangle %d names vertex %d of %d" % (t, k, len(vertices)))
        out += struct.pack("<3H", *tri)
    return bytes(out)


def write_mesh(path, mesh):
    data = mesh_bytes(mesh)
    with open(path, "wb") as f:
        f.write(data)
    return path
