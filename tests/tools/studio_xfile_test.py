#!/usr/bin/env python3
"""The binary .x writer (tools/assetgen/xfile.py): the bytes of each token,
the order of the objects in a whole model, and what it refuses.

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import math
import struct
import unittest

import xgrammar
from assetgen import mat4, xfile


def two_joint_model(**changes):
    """A triangle on a two-joint chain: vertex 0 on Root, 1 shared, 2 on Tip."""
    tip = xfile.Joint("Tip", mat4.translation((0, 1, 0)), keys=[mat4.translation((0, 1, 0))] * 2)
    root = xfile.Joint("Root", mat4.translation((0, 0.5, 0)), [tip],
                       keys=[mat4.translation((0, 0.5, 0)), mat4.rotation_z(0.5)])
    args = dict(positions=[(0, 0.5, 0), (1, 1, 0), (0, 1.5, 0)], normals=[(0, 0, -1)] * 3,
                uvs=[(0, 0), (1, 0), (0, 1)], triangles=[(0, 1, 2)],
                material=xfile.Material(texture="Skin.png"), skeleton=root,
                weights={"Root": [(0, 1.0), (1, 0.25)], "Tip": [(1, 0.75), (2, 1.0)]})
    args.update(changes)
    return xfile.Model(**args)


class Tokens(unittest.TestCase):
    def test_each_token_is_its_word_and_payload(self):
        cases = [
            ("name", lambda w: w.name("Hips"), struct.pack("<HI", 1, 4) + b"Hips"),
            ("string", lambda w: w.string("a.png"), struct.pack("<HI", 2, 5) + b"a.png" + struct.pack("<H", 20)),
            ("empty name", lambda w: w.name(""), struct.pack("<HI", 1, 0)),
            ("ints", lambda w: w.ints([3, 0, 0xFFFFFFFF]), struct.pack("<HI3I", 6, 3, 3, 0, 0xFFFFFFFF)),
            ("no ints", lambda w: w.ints([]), struct.pack("<HI", 6, 0)),
            ("floats", lambda w: w.floats([1.5, -2.0]), struct.pack("<HI2f", 7, 2, 1.5, -2.0)),
            ("braces", lambda w: (w.open(), w.close()), struct.pack("<HH", 10, 11)),
        ]
        for label, put, expected in cases:
            with self.subTest(label):
                w = xfile.Writer()
                put(w)
                data = w.data()
                self.assertEqual(data[:16], b"xof 0302bin 0032")
                self.assertEqual(data[16:], expected)

    def test_unbalanced_braces_and_unfit_integers_are_refused(self):
        w = xfile.Writer()
        self.assertRaises(xfile.XError, w.close)
        w.open()
        self.assertRaises(xfile.XError, w.data)
        self.assertRaises(xfile.XError, w.ints, [-1])
        self.assertRaises(xfile.XError, w.ints, [1 << 32])


class WholeModel(unittest.TestCase):
    def setUp(self):
        self.data = xfile.model_bytes(two_joint_model())
        self.toks = xgrammar.tokens(self.data)

    def test_the_file_opens_on_the_mesh_frame_with_nothing_named_frame_before_it(self):
        self.assertEqual(self.data[:16], b"xof 0302bin 0032")
        self.assertEqual(self.data.find(b"Frame"), 22)
        head = [(t.kind, t.value) for t in self.toks[:12]]
        self.assertEqual(head, [
            ("name", "Frame"), ("name", "Body"), ("{", None),
            ("name", "FrameTransformMatrix"), ("{", None), ("floats", mat4.identity()), ("}", None),
            ("name", "Mesh"), ("name", "BodyMesh"), ("{", None),
            ("ints", [3]), ("floats", [0, 0.5, 0, 1, 1, 0, 0, 1.5, 0]),
        ])
        self.assertEqual((self.toks[12].kind, self.toks[12].value), ("ints", [1, 3, 0, 1, 2]))

    def test_mesh_children_come_in_order_with_the_skin_header_first(self):
        kinds = [t.value for t in self.toks if t.kind == "name"]
        mesh_part = kinds[kinds.index("Mesh"):kinds.index("Frame", 1)]
        self.assertEqual(mesh_part, ["Mesh", "BodyMesh", "MeshNormals", "MeshTextureCoords", "MeshMaterialList",
                                     "Material", "TextureFilename", "XSkinMeshHeader", "SkinWeights",
                                     "SkinWeights"])
        header_at = next(i for i, t in enumerate(self.toks) if t.value == "XSkinMeshHeader")
        self.assertEqual(self.toks[header_at + 2].value, [2, 2, 2])
        # Material: diffuse rgba, power, specular rgb, emissive rgb; then
        # the picture as a STRING followed by its word 20.
        mat_at = next(i for i, t in enumerate(self.toks) if t.value == "Material")
        self.assertEqual(len(self.toks[mat_at + 2].value), 11)
        self.assertEqual(self.data.count(struct.pack("<HI", 2, 8) + b"Skin.png" + struct.pack("<H", 20)), 1)

    def test_skin_weights_carry_sorted_vertices_weights_and_the_inverse_bind(self):
        x = xgrammar.parse(self.data)
        skins = {s.bone: s for s in x.frames[0].mesh.skins}
        self.assertEqual(list(skins), ["Root", "Tip"])
        self.assertEqual(skins["Root"].vertices, [0, 1])
        self.assertEqual(skins["Tip"].weights, [0.75, 1.0])
        # Tip's bind pose is (0, 1.5, 0) in model space; its offset undoes it.
        self.assertEqual(skins["Tip"].offset, mat4.translation((0, -1.5, 0)))
        self.assertEqual(skins["Root"].offset, mat4.translation((0, -0.5, 0)))

    def test_skeleton_and_key_tracks_follow_the_mesh_frame(self):
        x = xgrammar.parse(self.data)
        self.assertEqual([f.name for f in x.frames], ["Body", "Root"])
        self.assertEqual([c.name for c in x.frames[1].children], ["Tip"])
        self.assertEqual(x.set_name, "Clips")
        self.assertEqual([(a.frame, len(a.keys)) for a in x.animations], [("Root", 2), ("Tip", 2)])
        key_at = next(i for i, t in enumerate(self.toks) if t.value == "AnimationKey")
        layout = [(t.kind, t.value if t.kind == "ints" else None) for t in self.toks[key_at + 2:key_at + 6]]
        self.assertEqual(layout, [("ints", [4, 2, 0, 16]), ("floats", None), ("ints", [1, 16]), ("floats", None)])
        self.assertEqual(self.toks[-1].kind, "}")
        self.assertEqual(x.animations[0].keys[1], [float(struct.unpack("<f", struct.pack("<f", v))[0])
                                                   for v in mat4.rotation_z(0.5)])

    def test_a_joint_without_vertices_still_gets_an_empty_skin_entry(self):
        model = two_joint_model()
        model.skeleton.children.append(xfile.Joint("Free", mat4.translation((2, 0, 0)),
                                                   keys=[mat4.identity()] * 2))
        x = xgrammar.parse(xfile.model_bytes(model))
        free = x.frames[0].mesh.skins[-1]
        self.assertEqual((free.bone, free.vertices, free.weights), ("Free", [], []))
        self.assertEqual(free.offset, mat4.translation((-2, -0.5, 0)))
        self.assertEqual(x.frames[0].mesh.skin_header, (2, 2, 3))


class Refusals(unittest.TestCase):
    def test_models_the_reader_could_not_take_are_refused(self):
        short = xfile.Joint("Root", mat4.identity(), keys=[mat4.identity()])
        cases = [
            ("face index past the vertices", dict(triangles=[(0, 1, 3)])),
            ("weights short of one", dict(weights={"Root": [(0, 1.0), (1, 0.5)], "Tip": [(2, 1.0)]})),
            ("weight under the reader's floor", dict(weights={"Root": [(0, 1.0), (1, 0.9995)],
                                                              "Tip": [(1, 0.0005), (2, 1.0)]})),
            ("weights for an unknown joint", dict(weights={"Root": [(0, 1.0), (1, 1.0)], "Neck": [(2, 1.0)]})),
            ("unequal key counts", dict(skeleton=xfile.Joint("Root", mat4.identity(),
                                                             [xfile.Joint("Tip", mat4.identity(), keys=[])],
                                                             keys=[mat4.identity()]))),
            ("joint named like a frame", dict(skeleton=xfile.Joint("FrameRoot", mat4.identity(), keys=[mat4.identity()]),
                                              weights={"FrameRoot": [(0, 1.0), (1, 1.0), (2, 1.0)]})),
            ("mesh frame named like a joint", dict(skeleton=short, mesh_frame="Root",
                                                   weights={"Root": [(0, 1.0), (1, 1.0), (2, 1.0)]})),
            ("a position that is not a number", dict(positions=[(0, math.nan, 0), (1, 1, 0), (0, 1.5, 0)])),
            ("uvs missing", dict(uvs=[(0, 0)])),
            ("too many vertices", dict(positions=[(0, 0, 0)] * 65536, normals=[(0, 0, 1)] * 65536,
                                       uvs=[(0, 0)] * 65536)),
        ]
        for label, changes in cases:
            with self.subTest(label):
                self.assertRaises(xfile.XError, xfile.model_bytes, two_joint_model(**changes))


class Matrices(unittest.TestCase):
    def test_rotations_turn_the_way_the_game_turns(self):
        cases = [
            (mat4.rotation_y(math.pi / 2), (0, 0, 1), (1, 0, 0)),
            (mat4.rotation_x(math.pi / 2), (0, 1, 0), (0, 0, 1)),
            (mat4.rotation_z(math.pi / 2), (1, 0, 0), (0, 1, 0)),
            (mat4.yaw_pitch_roll(math.pi / 2, 0, 0), (0, 0, 1), (1, 0, 0)),
            (mat4.mul(mat4.rotation_z(math.pi / 2), mat4.translation((0, 0, 5))), (1, 0, 0), (0, 1, 5)),
        ]
        for m, p, expected in cases:
            got = mat4.transform_point(p, m)
            for a, b in zip(got, expected):
                self.assertAlmostEqual(a, b, places=12)

    def test_inverse_undoes_a_turned_moved_matrix(self):
        m = mat4.mul(mat4.yaw_pitch_roll(0.3, -1.1, 2.0), mat4.translation((1, -2, 3)))
        product = mat4.mul(m, mat4.inverse_affine(m))
        for a, b in zip(product, mat4.identity()):
            self.assertAlmostEqual(a, b, places=12)
        self.assertRaises(ValueError, mat4.inverse_affine, [0.0] * 16)


if __name__ == "__main__":
    unittest.main()
