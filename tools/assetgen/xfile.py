"""Binary .x model files in the form the game's model reader takes.

Every token is a little-endian 16-bit word and its payload:

    1  NAME          u32 length, the bytes (no NUL)
    2  STRING        u32 length, the bytes, then a separate word 20
    6  INTEGER_LIST  u32 count, count u32 values
    7  FLOAT_LIST    u32 count, count f32 values
    10 / 11          { and }

The file starts with the 16-byte header and goes straight to its first
Frame: no templates, nothing holding the bytes "Frame" before it (the
reader finds its start by looking for them). Then come the top-level
frames and one AnimationSet, which ends the file.

`Writer` puts down single tokens; the object writers below it (frame,
mesh, skin, animation) write what they are given without checking it, so
that test files can be broken on purpose. `model_bytes` checks a whole
`Model` first and refuses (XError) what the reader could not take.
"""
import math
import struct

from . import mat4

HEADER = b"xof 0302bin 0032"
NAME, STRING, INTEGER_LIST, FLOAT_LIST, OPEN, CLOSE, SEMICOLON = 1, 2, 6, 7, 10, 11, 20
MAX_VERTICES = 65535
# The reader keeps weights from this size up.
MIN_WEIGHT = 0.001


class XError(ValueError):
    pass


class Writer:
    def __init__(self, header=HEADER):
        self.out = bytearray(header)
        self.depth = 0

    def _text(self, word, text):
        data = text.encode("ascii") if isinstance(text, str) else bytes(text)
        self.out += struct.pack("<HI", word, len(data)) + data

    def name(self, text):
        self._text(NAME, text)

    def string(self, text):
        self._text(STRING, text)
        self.out += struct.pack("<H", SEMICOLON)

    def ints(self, values):
        values = list(values)
        for v in values:
            if not 0 <= v <= 0xFFFFFFFF:
                raise XError("%r does not fit an unsigned 32-bit integer" % (v,))
        self.out += struct.pack("<HI%dI" % len(values), INTEGER_LIST, len(values), *values)

    def floats(self, values):
        values = list(values)
        self.out += struct.pack("<HI%df" % len(values), FLOAT_LIST, len(values), *values)

    def open(self):
        self.out += struct.pack("<H", OPEN)
        self.depth += 1

    def close(self):
        if self.depth == 0:
            raise XError("a closing brace without an opening one")
        self.out += struct.pack("<H", CLOSE)
        self.depth -= 1

    def data(self):
        if self.depth != 0:
            raise XError("%d braces left open" % self.depth)
        return bytes(self.out)


def begin(w, kind, instance=None):
    """`kind [instance] {`"""
    w.name(kind)
    if instance is not None:
        w.name(instance)
    w.open()


def transform_matrix(w, matrix):
    begin(w, "FrameTransformMatrix")
    w.floats(matrix)
    w.close()


def mesh_body(w, positions, triangles):
    w.ints([len(positions)])
    w.floats(c for p in positions for c in p)
    w.ints([len(triangles)] + [v for t in triangles for v in (3,) + tuple(t)])


def mesh_normals(w, normals, triangles):
    begin(w, "MeshNormals")
    w.ints([len(normals)])
    w.floats(c for n in normals for c in n)
    w.ints([len(triangles)] + [v for t in triangles for v in (3,) + tuple(t)])
    w.close()


def texture_coords(w, uvs):
    begin(w, "MeshTextureCoords")
    w.ints([len(uvs)])
    w.floats(c for uv in uvs for c in uv)
    w.close()


def material_list(w, face_count, material):
    """One material for every face."""
    begin(w, "MeshMaterialList")
    w.ints([1, face_count] + [0] * face_count)
    material.write(w)
    w.close()


def skin_header(w, per_vertex, per_face, bones):
    begin(w, "XSkinMeshHeader")
    w.ints([per_vertex, per_face, bones])
    w.close()


def skin_weights(w, bone, influences, offset):
    """influences: (vertex, weight) pairs; offset: 16 floats."""
    begin(w, "SkinWeights")
    w.string(bone)
    w.ints([len(influences)] + [v for v, _ in influences])
    w.floats([wt for _, wt in influences] + list(offset))
    w.close()


def animation_key(w, keys):
    """Matrix keys, one a step, at times 0, 1, 2..."""
    begin(w, "AnimationKey")
    for k, m in enumerate(keys):
        w.ints(([4, len(keys)] if k == 0 else []) + [k, 16])
        w.floats(m)
    w.close()


def animation(w, name, frame, keys):
    begin(w, "Animation", name)
    w.open()
    w.name(frame)
    w.close()
    animation_key(w, keys)
    w.close()


class Material:
    """Diffuse rgba, power, specular rgb, emissive rgb and a picture file
    (the game looks for it as "textures/" + its lower-cased name)."""

    def __init__(self, diffuse=(1.0, 1.0, 1.0, 1.0), power=8.0, specular=(0.1, 0.1, 0.1),
                 emissive=(0.0, 0.0, 0.0), texture=None):
        self.diffuse, self.power, self.specular, self.emissive = diffuse, power, specular, emissive
        self.texture = texture

    def write(self, w):
        begin(w, "Material")
        w.floats(list(self.diffuse) + [self.power] + list(self.specular) + list(self.emissive))
        if self.texture is not None:
            begin(w, "TextureFilename")
            w.string(self.texture)
            w.close()
        w.close()


class Joint:
    """A bone frame: its bind matrix relative to its parent, its children,
    and its animation keys (matrices relative to the parent, one a key)."""

    def __init__(self, name, local, children=(), keys=()):
        self.name = name
        self.local = list(local)
        self.children = list(children)
        self.keys = [list(k) for k in keys]

    def walk(self):
        """Depth first, parents before children."""
        yield self
        for c in self.children:
            yield from c.walk()


class Model:
    """One skinned mesh and its skeleton: positions, normals and uvs per
    vertex, triangles as index triples (clockwise fronts), and weights as
    {joint name: [(vertex, weight)]}."""

    def __init__(self, positions, normals, uvs, triangles, material, skeleton, weights,
                 mesh_frame="Body", mesh_name="BodyMesh", set_name="Clips"):
        self.positions, self.normals, self.uvs = positions, normals, uvs
        self.triangles = triangles
        self.material = material
        self.skeleton = skeleton
        self.weights = weights
        self.mesh_frame, self.mesh_name, self.set_name = mesh_frame, mesh_name, set_name


def bind_offsets(root):
    """{joint name: the inverse of its bind-pose matrix in model space}."""
    out = {}

    def visit(j, parent):
        combined = mat4.mul(j.local, parent)
        out[j.name] = mat4.inverse_affine(combined)
        for c in j.children:
            visit(c, combined)
    visit(root, mat4.identity())
    return out


def _finite(values, what):
    for v in values:
        if not math.isfinite(v):
            raise XError("%s holds a value that is not a finite number" % what)
        if abs(v) > 3.4e38:
            raise XError("%s holds a value too large for a 32-bit float" % what)


def check(model):
    n = len(model.positions)
    if n == 0 or n > MAX_VERTICES:
        raise XError("%d vertices: a mesh holds 1 to %d" % (n, MAX_VERTICES))
    if len(model.normals) != n or len(model.uvs) != n:
        raise XError("%d vertices but %d normals and %d uvs" % (n, len(model.normals), len(model.uvs)))
    if not model.triangles:
        raise XError("a mesh without triangles")
    for t, tri in enumerate(model.triangles):
        if len(tri) != 3 or any(not 0 <= v < n for v in tri):
            raise XError("triangle %d names a vertex outside 0..%d" % (t, n - 1))
    _finite([c for p in model.positions for c in p], "a position")
    _finite([c for p in model.normals for c in p], "a normal")
    _finite([c for p in model.uvs for c in p], "a texture coordinate")
    joints = list(model.skeleton.walk())
    names = [j.name for j in joints]
    if len(set(names)) != len(names):
        raise XError("two joints share a name")
    for name in names:
        if not name or b"Frame" in name.encode("ascii"):
            raise XError("joint name %r is empty or holds \"Frame\"" % name)
    if model.mesh_frame in names:
        raise XError("the mesh frame shares its name with a joint")
    unknown = set(model.weights) - set(names)
    if unknown:
        raise XError("weights for joints the skeleton lacks: %s" % ", ".join(sorted(unknown)))
    totals = [0.0] * n
    for name, pairs in model.weights.items():
        for v, wt in pairs:
            if not 0 <= v < n:
                raise XError("joint %s weights vertex %d of %d" % (name, v, n))
            if not math.isfinite(wt) or wt < MIN_WEIGHT or wt > 1.0:
                raise XError("joint %s gives vertex %d the weight %r" % (name, v, wt))
            totals[v] += wt
    for v, total in enumerate(totals):
        if abs(total - 1.0) > 1e-4:
            raise XError("the weights of vertex %d add up to %.5f" % (v, total))
    counts = {len(j.keys) for j in joints}
    if len(counts) != 1 or 0 in counts:
        raise XError("every joint needs the same number of keys, at least one")
    for j in joints:
        if len(j.local) != 16 or any(len(k) != 16 for k in j.keys):
            raise XError("joint %s has a matrix without 16 values" % j.name)
        _finite(j.local + [c for k in j.keys for c in k], "joint %s" % j.name)


def influence_counts(model):
    """(most joints on one vertex, most joints on one triangle)."""
    per_vertex = [set() for _ in model.positions]
    for name, pairs in model.weights.items():
        for v, _ in pairs:
            per_vertex[v].add(name)
    most_vertex = max(len(s) for s in per_vertex)
    most_face = max(len(per_vertex[a] | per_vertex[b] | per_vertex[c]) for a, b, c in model.triangles)
    return most_vertex, most_face


def write_joint(w, joint):
    begin(w, "Frame", joint.name)
    transform_matrix(w, joint.local)
    for c in joint.children:
        write_joint(w, c)
    w.close()


def model_bytes(model):
    """The whole file: the mesh frame, the skeleton's root frame, then the
    AnimationSet with one key track per joint."""
    check(model)
    w = Writer()
    begin(w, "Frame", model.mesh_frame)
    transform_matrix(w, mat4.identity())
    begin(w, "Mesh", model.mesh_name)
    mesh_body(w, model.positions, model.triangles)
    mesh_normals(w, model.normals, model.triangles)
    texture_coords(w, model.uvs)
    material_list(w, len(model.triangles), model.material)
    joints = list(model.skeleton.walk())
    per_vertex, per_face = influence_counts(model)
    # The header sets the room for influences, so it comes first.
    skin_header(w, per_vertex, per_face, len(joints))
    offsets = bind_offsets(model.skeleton)
    # Every joint gets an entry, weighted or not, so the bone tree links.
    for j in joints:
        skin_weights(w, j.name, sorted(model.weights.get(j.name, [])), offsets[j.name])
    w.close()
    w.close()
    write_joint(w, model.skeleton)
    begin(w, "AnimationSet", model.set_name)
    for j in joints:
        animation(w, "Anim_" + j.name, j.name, j.keys)
    w.close()
    return w.data()
