#!/usr/bin/env python3
"""The model reader's test files (tools/make-x-fixtures.py): the sound ones
parse, the chain skins to the documented points, and each broken one is
broken the way it says.

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import importlib.util
import os
import struct
import unittest

import xgrammar
from assetgen import mat4

_spec = importlib.util.spec_from_file_location(
    "make_x_fixtures", os.path.join(os.path.dirname(__file__), "..", "..", "tools", "make-x-fixtures.py"))
fixtures = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(fixtures)

FILES = {name: make() for name, make in fixtures.FIXTURES.items()}


def frames_by_name(x):
    return {f.name: f for root in x.frames for f in xgrammar.walk(root)}


def skin_at(x, key):
    """Positions after posing every joint at `key`, as the game skins
    them: combined = key * parent, skin = offset * combined, weights summed."""
    frames = frames_by_name(x)
    keys = {a.frame: a.keys for a in x.animations}
    combined = {}

    def visit(f, parent):
        local = keys[f.name][min(key, len(keys[f.name]) - 1)] if f.name in keys else f.matrix
        combined[f.name] = mat4.mul(local, parent)
        for c in f.children:
            visit(c, combined[f.name])
    mesh = next(f.mesh for f in frames.values() if f.mesh)
    for root in x.frames:
        if root.mesh is None:
            visit(root, mat4.identity())
    out = [[0.0, 0.0, 0.0] for _ in mesh.positions]
    for s in mesh.skins:
        m = mat4.mul(s.offset, combined[s.bone])
        for v, w in zip(s.vertices, s.weights):
            p = mat4.transform_point(mesh.positions[v], m)
            for i in range(3):
                out[v][i] += w * p[i]
    return [tuple(round(c, 6) for c in p) for p in out]


class SoundFiles(unittest.TestCase):
    def test_minimal_and_chain_parse_with_their_skins_and_keys(self):
        cases = [("minimal.x", ["Hips"], 3, 1, "minimal.png"), ("chain.x", ["Upper", "Lower"], 4, 2, "chain.png"),
                 ("weights.x", ["Hips"], 3, 1, "Kid_Skin.PNG")]
        for name, bones, vertices, key_count, texture in cases:
            with self.subTest(name):
                x = xgrammar.parse(FILES[name])
                mesh = x.frames[0].mesh
                self.assertEqual([s.bone for s in mesh.skins], bones)
                self.assertEqual(len(mesh.positions), vertices)
                self.assertEqual(mesh.material.texture, texture)
                self.assertEqual({len(a.keys) for a in x.animations}, {key_count})

    def test_chain_skins_to_the_documented_points(self):
        x = xgrammar.parse(FILES["chain.x"])
        self.assertEqual(skin_at(x, 0), [(0, 1, 0), (0, 2, 0), (0, 3, 0), (1, 2, 0)])
        self.assertEqual(skin_at(x, 1), [(1, 1, 0), (1, 2, 0), (0, 2, 0), (1, 3, 0)])
        # A frame past the keys holds the last one.
        self.assertEqual(skin_at(x, 5), skin_at(x, 1))
        offsets = {s.bone: s.offset for s in x.frames[0].mesh.skins}
        self.assertEqual(offsets["Lower"], mat4.translation((0, -2, 0)))

    def test_weights_file_straddles_the_readers_floor(self):
        mesh = xgrammar.parse(FILES["weights.x"]).frames[0].mesh
        got = list(zip(mesh.skins[0].vertices, mesh.skins[0].weights))
        self.assertEqual([v for v, _ in got], [0, 1, 2])
        self.assertAlmostEqual(got[1][1], 0.001, places=7)
        self.assertAlmostEqual(got[2][1], 0.0009, places=7)
        self.assertGreaterEqual(struct.unpack("<f", struct.pack("<f", 0.001))[0], 0.001)


class BrokenFiles(unittest.TestCase):
    def test_noanim_is_minimal_without_its_animation_set(self):
        x = xgrammar.parse(FILES["noanim.x"], animation_required=False)
        self.assertEqual(x.animations, [])
        self.assertNotIn(b"AnimationSet", FILES["noanim.x"])
        self.assertTrue(FILES["minimal.x"].startswith(FILES["noanim.x"]))

    def test_truncated_ends_inside_the_first_joint_frame(self):
        data = FILES["truncated.x"]
        self.assertTrue(FILES["chain.x"].startswith(data))
        self.assertLess(len(data), len(FILES["chain.x"]))
        toks = xgrammar.tokens(data)
        self.assertEqual(toks[-1].kind, "}")
        opened = sum(1 for t in toks if t.kind == "{") - sum(1 for t in toks if t.kind == "}")
        self.assertEqual(opened, 1)
        self.assertRaises(ValueError, xgrammar.parse, data)

    def test_badname_claims_a_name_far_past_the_end(self):
        data = FILES["badname.x"]
        word, length = struct.unpack_from("<HI", data, 27)
        self.assertEqual((word, length), (1, 0xFFFFFFF0))
        self.assertEqual(data[:29] + data[33:], FILES["minimal.x"][:29] + FILES["minimal.x"][33:])

    def test_badindex_names_vertices_that_do_not_exist(self):
        mesh = xgrammar.parse(FILES["badindex.x"]).frames[0].mesh
        n = len(mesh.positions)
        self.assertEqual(n, 3)
        self.assertTrue(any(v >= n for f in mesh.faces for v in f))
        self.assertTrue(any(v >= len(mesh.normals) for f in mesh.normal_faces for v in f))
        self.assertTrue(any(v >= n for v in mesh.skins[0].vertices))

    def test_shortlists_declares_more_than_it_holds(self):
        toks = xgrammar.tokens(FILES["shortlists.x"])
        lists = [t.value for t in toks if t.kind in ("ints", "floats")]
        self.assertEqual(len(lists[0]), 9)          # the frame matrix
        self.assertEqual(lists[1], [1000])          # declared vertices
        self.assertEqual(len(lists[2]), 9)          # three given
        uv_count = next(t.value for i, t in enumerate(toks)
                        if toks[i - 2].value == "MeshTextureCoords" and t.kind == "ints")
        self.assertEqual(uv_count, [10])
        self.assertEqual(len(lists[-1]), 8)         # the only key


if __name__ == "__main__":
    unittest.main()
