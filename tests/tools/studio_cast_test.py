#!/usr/bin/env python3
"""The generated cast (tools/assetgen/cast*.py): every model reads back
with a strict reader of the .x grammar, its skin links every joint and
sums to one on every vertex, its key tracks agree with the bone-animation
file, and the characters stand where the studio puts them.

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import struct
import unittest
import xml.etree.ElementTree as ET

import xgrammar
from assetgen import cast, cast_clips, cast_looks, mat4, skeleton, studio_layout

MAKERS = cast.files()
MODELS = {name: xgrammar.parse(make()) for name, make in MAKERS.items() if name.endswith(".x")}
ANIMS = {name: ET.fromstring(make()) for name, make in MAKERS.items() if name.endswith(".xml")}
CLASSMATES = ["mesh/kids/kid%d" % k for k in range(1, 6)]
HOST = "mesh/varnum/varnum"
CLASSMATE_NAMES = ["Sit", "Stand", "SitWave", "SitWrite", "StandWrite", "SitClap", "StandClap", "SitIdle1",
                   "SitIdle2", "StandIdle1", "StandIdle2"]
HOST_NAMES = ["Pos%d_%s" % (p, n) for p in (1, 2, 3)
              for n in ("Stand", "Idle1", "Idle2", "Idle3", "Talk1", "Talk2", "Talk3", "Clap")]


def mesh_of(x):
    return x.frames[0].mesh


def skinned(x, key):
    """Vertex positions at key, as the game skins them."""
    keys = {a.frame: a.keys for a in x.animations}
    combined = {}

    def visit(f, parent):
        combined[f.name] = mat4.mul(keys[f.name][min(key, len(keys[f.name]) - 1)], parent)
        for c in f.children:
            visit(c, combined[f.name])
    visit(x.frames[1], mat4.identity())
    mesh = mesh_of(x)
    out = [[0.0, 0.0, 0.0] for _ in mesh.positions]
    for s in mesh.skins:
        m = mat4.mul(s.offset, combined[s.bone])
        for v, w in zip(s.vertices, s.weights):
            p = mat4.transform_point(mesh.positions[v], m)
            for i in range(3):
                out[v][i] += w * p[i]
    return out


def anims(path):
    return {a.get("name"): a for a in ANIMS[path + ".xml"].iter("anim")}


def steps(anim):
    return [int(f.get("frameNum")) for f in anim.iter("frame")]


def vec(text):
    return tuple(float(v) for v in text.split(","))


class Files(unittest.TestCase):
    def test_the_cast_writes_the_names_the_game_looks_for(self):
        expected = {p + ext for p in CLASSMATES + [HOST] for ext in (".x", ".xml")}
        expected |= {"textures/kid%d.png" % k for k in range(1, 6)} | {"textures/varnum.png"}
        self.assertEqual(set(MAKERS), expected)
        for path, x in MODELS.items():
            texture = mesh_of(x).material.texture
            self.assertEqual(texture, texture.lower())
            self.assertIn("textures/" + texture, MAKERS, path)

    def test_a_picture_is_a_256_pixel_square_png(self):
        data = MAKERS["textures/kid3.png"]()
        self.assertEqual(data[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", data[16:24]), (256, 256))

    def test_the_bytes_are_the_same_every_run(self):
        self.assertEqual(MAKERS[HOST + ".x"](), MAKERS[HOST + ".x"]())
        self.assertEqual(MAKERS["mesh/kids/kid2.xml"](), MAKERS["mesh/kids/kid2.xml"]())


class Skin(unittest.TestCase):
    def test_every_joint_is_a_frame_with_a_skin_entry_and_a_key_track(self):
        for path, x in MODELS.items():
            with self.subTest(path):
                mesh = mesh_of(x)
                self.assertEqual([f.name for f in x.frames], ["Body", "Hips"])
                joints = [f.name for f in xgrammar.walk(x.frames[1])]
                self.assertEqual(sorted(joints), sorted(skeleton.NAMES))
                self.assertTrue(all(f.mesh is None for f in xgrammar.walk(x.frames[1])))
                self.assertEqual([s.bone for s in mesh.skins], joints)
                self.assertEqual(mesh.skin_header[2], len(joints))
                self.assertEqual(sorted(a.frame for a in x.animations), sorted(joints))

    def test_weights_sum_to_one_on_every_vertex_within_the_header_limits(self):
        for path, x in MODELS.items():
            with self.subTest(path):
                mesh = mesh_of(x)
                total = [0.0] * len(mesh.positions)
                count = [0] * len(mesh.positions)
                for s in mesh.skins:
                    for v, w in zip(s.vertices, s.weights):
                        total[v] += w
                        count[v] += 1
                        self.assertGreaterEqual(w, 0.001)
                for v, t in enumerate(total):
                    self.assertAlmostEqual(t, 1.0, places=5, msg="vertex %d" % v)
                self.assertEqual(max(count), mesh.skin_header[0])
                self.assertEqual(max(count), 2, "elbows and knees blend two joints")
                self.assertLessEqual(len(mesh.positions), 65535)
                self.assertTrue(all(v < len(mesh.positions) for f in mesh.faces for v in f))

    def test_the_bind_pose_skins_every_vertex_to_itself(self):
        x = MODELS[CLASSMATES[0] + ".x"]
        # The bind matrices are the key track's rest; the offsets undo
        # the frames' own matrices.
        frames = {f.name: f for f in xgrammar.walk(x.frames[1])}
        combined = {}

        def visit(f, parent):
            combined[f.name] = mat4.mul(f.matrix, parent)
            for c in f.children:
                visit(c, combined[f.name])
        visit(frames["Hips"], mat4.identity())
        for s in mesh_of(x).skins:
            product = mat4.mul(s.offset, combined[s.bone])
            for a, b in zip(product, mat4.identity()):
                self.assertAlmostEqual(a, b, places=5)


class Clips(unittest.TestCase):
    def test_every_requested_animation_is_there_with_steps_inside_the_track(self):
        for path, names in [(p, CLASSMATE_NAMES) for p in CLASSMATES] + [(HOST, HOST_NAMES)]:
            with self.subTest(path):
                found = anims(path)
                self.assertEqual(sorted(found), sorted(names))
                key_counts = {len(a.keys) for a in MODELS[path + ".x"].animations}
                self.assertEqual(len(key_counts), 1, "every joint has as many keys")
                keys = key_counts.pop()
                for name, a in found.items():
                    frames = steps(a)
                    self.assertGreaterEqual(len(frames), 1, name)
                    self.assertNotEqual(frames[0], 13, name)
                    self.assertTrue(all(0 <= f < keys for f in frames), name)
                    self.assertTrue(all(f.get("transitionTime") == "33" for f in a.iter("frame")))

    def test_layout_steps_over_the_first_key_the_game_mistakes(self):
        clips = [("A", {}, 13, None), ("B", {}, 2, None), ("C", {}, 1, None)]
        self.assertEqual(cast_clips.layout(clips), [("A", 0, 13), ("B", 14, 2), ("C", 16, 1)])
        self.assertEqual(len(cast_clips.poses(clips)), 17)
        self.assertRaises(ValueError, cast_clips.anim_xml, [("A", 13, 1, (0, 0, 0), 0.0)])
        self.assertRaises(ValueError, cast_clips.anim_xml, [("A", 0, 0, (0, 0, 0), 0.0)])

    def test_clips_start_and_end_on_their_rest_pose(self):
        x = MODELS[CLASSMATES[0] + ".x"]
        sit, stand = skinned(x, 0), skinned(x, 1)
        found = anims(CLASSMATES[0])
        for name, a in found.items():
            frames = steps(a)
            rest = sit if name.startswith("Sit") else stand
            for key in (frames[0], frames[-1]):
                pose = skinned(x, key)
                worst = max(abs(p - q) for u, v in zip(pose, rest) for p, q in zip(u, v))
                self.assertLess(worst, 1e-4, "%s key %d" % (name, key))
        # ...and move in between.
        middle = steps(found["SitWave"])[20]
        self.assertGreater(max(abs(p[1] - q[1]) for p, q in zip(skinned(x, middle), sit)), 0.3)


class Placement(unittest.TestCase):
    def test_placements_come_from_the_studio_layout(self):
        places = [(p, CLASSMATE_NAMES, seat) for p, seat in zip(CLASSMATES, studio_layout.seats())]
        for path, names, (pos, yaw) in places:
            for a in anims(path).values():
                self.assertEqual(vec(a.find("pos").text), tuple(round(c, 4) for c in pos))
                self.assertEqual(vec(a.find("rot").text), (0.0, round(yaw, 4), 0.0))
                self.assertEqual(vec(a.find("scale").text), (1.0, 1.0, 1.0))
        found = anims(HOST)
        for k, (pos, yaw) in enumerate(studio_layout.host_marks()):
            for name in HOST_NAMES[k * 8:(k + 1) * 8]:
                self.assertEqual(vec(found[name].find("pos").text), tuple(round(c, 4) for c in pos), name)
                self.assertEqual(vec(found[name].find("rot").text), (0.0, round(yaw, 4), 0.0), name)

    def test_a_seated_classmate_shows_head_and_shoulders_over_the_pedestal_and_stands_taller(self):
        pedestal_top = studio_layout.RISER_HEIGHT + studio_layout.PEDESTAL_H
        for path in CLASSMATES:
            with self.subTest(path):
                x = MODELS[path + ".x"]
                head = next(s for s in mesh_of(x).skins if s.bone == "Head").vertices
                seat_y = studio_layout.seats()[0][0][1]
                sitting = [skinned(x, 0)[v][1] + seat_y for v in head]
                standing = [skinned(x, 1)[v][1] + seat_y for v in head]
                # The whole head clears the top (the shoulders show), and a
                # seated head stays well under a standing one.
                self.assertGreater(min(sitting), pedestal_top + 0.2)
                self.assertLess(max(sitting), pedestal_top + 0.9)
                self.assertGreater(sum(standing) / len(standing), sum(sitting) / len(sitting) + 0.1)
                # Nothing sinks below the riser.
                self.assertGreaterEqual(min(p[1] for p in skinned(x, 0)), -1e-6)

    def test_the_classmates_look_different_from_each_other(self):
        looks = cast_looks.CLASSMATES
        for attribute in ("skin", "shirt", "badge"):
            values = [getattr(look, attribute) for look in looks]
            self.assertEqual(len(set(values)), len(values), attribute)
        self.assertEqual(len({(look.hair, look.hair_colour) for look in looks}), len(looks))
        self.assertTrue(cast_looks.HOST.suit and not any(look.suit for look in looks))
        # The picture takes the shirt colour as it stands.
        look = looks[1]
        c = cast_looks.atlas(look)
        x0, y0, _, _ = cast_looks.REGIONS["shirt"]
        i = ((y0 + 4) * c.w + x0 + 4) * 4
        for got, want in zip(c.px[i:i + 3], look.shirt):
            self.assertAlmostEqual(got * 255, want, delta=3)

if __name__ == "__main__":
    unittest.main()
