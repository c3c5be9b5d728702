#!/usr/bin/env python3
"""Writes the small .x files the model reader's tests load (tools/cast.cmake
runs it into the build's test-x/ folder):

    make-x-fixtures.py FOLDER     writes the files
    make-x-fixtures.py --list     prints their names, one a line

What each holds is in docs/cast.md. Deterministic: the same bytes on every
run. Some files are broken on purpose; they are written token by token,
past the writer's checks.
"""
import os
import struct
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen import mat4, outfiles, xfile  # noqa: E402

# One triangle in the plane z = 0, its front toward -z (clockwise seen from there).
TRIANGLE = [(0.0, 0.0, 0.0), (0.0, 1.0, 0.0), (1.0, 0.0, 0.0)]
FRONT = (0.0, 0.0, -1.0)
# Exact quarter turn about z (+x to +y), translated by (0, 1, 0).
QUARTER_Z_UP1 = [0.0, 1.0, 0.0, 0.0, -1.0, 0.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 1.0, 0.0, 1.0]


def _mesh(w, positions, triangles, texture, skins, header, normal_faces=None, uvs=None):
    """A mesh object with normals, uvs, one material and the skin;
    skins: (bone, [(vertex, weight)], offset)."""
    xfile.begin(w, "Mesh", "Mesh")
    xfile.mesh_body(w, positions, triangles)
    xfile.mesh_normals(w, [FRONT] * len(positions), normal_faces if normal_faces is not None else triangles)
    xfile.texture_coords(w, uvs if uvs is not None else [(p[0], 1.0 - p[1]) for p in positions])
    xfile.material_list(w, len(triangles), xfile.Material(texture=texture))
    xfile.skin_header(w, *header)
    for bone, pairs, offset in skins:
        xfile.skin_weights(w, bone, pairs, offset)
    w.close()


def _mesh_frame(w, *mesh_args, **mesh_kwargs):
    xfile.begin(w, "Frame", "Body")
    xfile.transform_matrix(w, mat4.identity())
    _mesh(w, *mesh_args, **mesh_kwargs)
    w.close()


def _joint(w, name, matrix):
    xfile.begin(w, "Frame", name)
    xfile.transform_matrix(w, matrix)
    w.close()


def _one_joint(texture="minimal.png", weights=((0, 1.0), (1, 1.0), (2, 1.0)), triangles=((0, 1, 2),),
               with_animation=True, skin_vertices=None, **mesh_kwargs):
    w = xfile.Writer()
    pairs = list(weights) if skin_vertices is None else skin_vertices
    _mesh_frame(w, TRIANGLE, list(triangles), texture, [("Hips", pairs, mat4.identity())], (1, 1, 1),
                **mesh_kwargs)
    _joint(w, "Hips", mat4.identity())
    if with_animation:
        xfile.begin(w, "AnimationSet", "Clips")
        xfile.animation(w, "Anim_Hips", "Hips", [mat4.translation((0.0, 0.5, 0.0))])
        w.close()
    return w.data()


def minimal():
    return _one_joint()


def weights():
    return _one_joint(texture="Kid_Skin.PNG", weights=((0, 1.0), (1, 0.001), (2, 0.0009)))


def noanim():
    return _one_joint(with_animation=False)


def badindex():
    """Face, normal-face and skin vertex indices past the three vertices."""
    return _one_joint(triangles=((0, 1, 2), (0, 2, 7), (65535, 1, 2)),
                      normal_faces=[(0, 1, 2), (0, 9, 1), (0, 1, 2)],
                      skin_vertices=[(0, 1.0), (1, 1.0), (2, 1.0), (5, 1.0), (70000, 1.0)])


def chain():
    """Upper at (0, 1, 0), Lower one unit above it; key 1 moves Upper by
    +1 on x and gives Lower a quarter turn about z."""
    w = xfile.Writer()
    positions = [(0.0, 1.0, 0.0), (0.0, 2.0, 0.0), (0.0, 3.0, 0.0), (1.0, 2.0, 0.0)]
    skins = [("Upper", [(0, 1.0), (1, 0.5)], mat4.translation((0.0, -1.0, 0.0))),
             ("Lower", [(1, 0.5), (2, 1.0), (3, 1.0)], mat4.translation((0.0, -2.0, 0.0)))]
    _mesh_frame(w, positions, [(0, 1, 3), (1, 2, 3)], "chain.png", skins, (2, 2, 2))
    xfile.begin(w, "Frame", "Upper")
    xfile.transform_matrix(w, mat4.translation((0.0, 1.0, 0.0)))
    _joint(w, "Lower", mat4.translation((0.0, 1.0, 0.0)))
    w.close()
    xfile.begin(w, "AnimationSet", "Clips")
    xfile.animation(w, "Anim_Upper", "Upper", [mat4.translation((0.0, 1.0, 0.0)), mat4.translation((1.0, 1.0, 0.0))])
    xfile.animation(w, "Anim_Lower", "Lower", [mat4.translation((0.0, 1.0, 0.0)), QUARTER_Z_UP1])
    w.close()
    return w.data()


def truncated():
    """chain.x cut just after Upper's matrix, inside its frame."""
    data = chain()
    w = xfile.Writer(b"")
    xfile.begin(w, "Frame", "Upper")
    xfile.transform_matrix(w, mat4.translation((0.0, 1.0, 0.0)))
    cut = data.index(bytes(w.out)) + len(w.out)
    return data[:cut]


def badname():
    """minimal.x with the first frame's name length set to 0xFFFFFFF0."""
    data = bytearray(minimal())
    at = 16 + 2 + 4 + 5   # header, the "Frame" name token
    word, length = struct.unpack_from("<HI", data, at)
    assert word == xfile.NAME and data[at + 6:at + 6 + length] == b"Body"
    struct.pack_into("<I", data, at + 2, 0xFFFFFFF0)
    return bytes(data)


def shortlists():
    """Counts larger than the values that follow: a 9-value frame matrix,
    a mesh declaring 1000 vertices with three given, ten uvs for three
    vertices, a normal list of two faces for a one-face mesh, and an
    8-value key."""
    w = xfile.Writer()
    xfile.begin(w, "Frame", "Body")
    w.name("FrameTransformMatrix")
    w.open()
    w.floats([1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0])
    w.close()
    xfile.begin(w, "Mesh", "Mesh")
    w.ints([1000])
    w.floats(c for p in TRIANGLE for c in p)
    w.ints([1, 3, 0, 1, 2])
    # Two normal faces against the mesh's one.
    xfile.mesh_normals(w, [FRONT] * 3, [(0, 1, 2), (0, 1, 2)])
    xfile.texture_coords(w, [(0.0, 0.0)] * 10)
    xfile.material_list(w, 1, xfile.Material(texture="minimal.png"))
    xfile.skin_header(w, 1, 1, 1)
    xfile.skin_weights(w, "Hips", [(0, 1.0), (1, 1.0), (2, 1.0)], mat4.identity())
    w.close()
    w.close()
    _joint(w, "Hips", mat4.identity())
    xfile.begin(w, "AnimationSet", "Clips")
    xfile.begin(w, "Animation", "Anim_Hips")
    w.open()
    w.name("Hips")
    w.close()
    xfile.begin(w, "AnimationKey")
    w.ints([4, 1, 0, 16])
    w.floats([1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0])
    w.close()
    w.close()
    w.close()
    return w.data()


FIXTURES = {
    "minimal.x": minimal,
    "weights.x": weights,
    "chain.x": chain,
    "noanim.x": noanim,
    "truncated.x": truncated,
    "badname.x": badname,
    "badindex.x": badindex,
    "shortlists.x": shortlists,
}


def main():
    return outfiles.run(__doc__, "make-x-fixtures", FIXTURES)


if __name__ == "__main__":
    sys.exit(main())
