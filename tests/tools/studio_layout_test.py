#!/usr/bin/env python3
"""The studio's layout table, scene file and place table (tools/assetgen):
the names the show needs, every model within sight of the shots, the
screens and pedestal televisions where the shots look.

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import math
import unittest
import xml.etree.ElementTree as ET

from assetgen import geometry as g
from assetgen import setxml, studio_layout as layout, studio_textures
from assetgen.meshfile import mesh_bytes

ASPECT = 800.0 / 600.0
MESHES, MODELS = layout.build()


def view_point(shot, p):
    """p in the shot's view space: translated, then turned by roll, pitch
    and yaw as the game's view matrix does (row vectors)."""
    x, y, z, pitch, yaw, roll, _ = shot
    v = (p[0] - x, p[1] - y, p[2] - z)
    c, s = math.cos(roll), math.sin(roll)
    v = (v[0] * c - v[1] * s, v[0] * s + v[1] * c, v[2])
    c, s = math.cos(pitch), math.sin(pitch)
    v = (v[0], v[1] * c - v[2] * s, v[1] * s + v[2] * c)
    c, s = math.cos(yaw), math.sin(yaw)
    return (v[0] * c + v[2] * s, v[1], -v[0] * s + v[2] * c)


def on_screen(shot, p):
    """Normalised screen position (-1..1 each way, y up) and depth."""
    v = view_point(shot, p)
    t = math.tan(shot[6] / 2.0)
    return v[0] / (v[2] * t * ASPECT), v[1] / (v[2] * t), v[2]


def model(name):
    found = [m for m in MODELS if m.name == name]
    assert len(found) == 1, name
    return found[0]


def placed(m):
    return MESHES[m.mesh].placed(m.position, m.yaw or 0.0)


class Table(unittest.TestCase):
    def test_the_show_finds_its_elements(self):
        names = [m.name for m in MODELS]
        for name in ("mainscreen_1", "mainscreen_2", "kid_pedestal_tv", "ped_light_0", "ped_light_1",
                     "ped_light_2", "ped_light_3", "Windows01", "Windows02"):
            self.assertIn(name, names)
        self.assertEqual(len(names), len(set(names)), "element names are unique")
        self.assertLessEqual(len(MODELS), 60)

    def test_every_model_names_a_mesh_a_material_and_a_picture_that_exist(self):
        for m in MODELS:
            self.assertIn(m.mesh, MESHES, m.name)
            self.assertIn(m.material, layout.MATERIALS, m.name)
            if m.texture:
                self.assertIn("textures/%s.png" % m.texture, studio_textures.TEXTURES, m.name)
        for name, mesh in MESHES.items():
            self.assertTrue(mesh.triangles, name)
            mesh_bytes(mesh)   # fits the file format

    def test_everything_lies_within_the_far_plane_of_every_shot(self):
        for m in MODELS:
            for p in (v[0] for v in placed(m).vertices):
                for shot_name, shot in layout.SHOTS.items():
                    self.assertLess(math.dist(p, shot[:3]), layout.FAR_PLANE - 1.0, (m.name, shot_name, p))

    def test_the_board_shot_looks_at_the_middle_of_the_first_screen(self):
        screen = placed(model("mainscreen_1"))
        for shot_name, most in (("board", 1.0), ("final", 0.7)):
            xs, ys = [], []
            for p in (v[0] for v in screen.vertices):
                x, y, depth = on_screen(layout.SHOTS[shot_name], p)
                self.assertGreater(depth, 1.0)
                xs.append(x)
                ys.append(y)
            self.assertLess(abs(sum(xs) / len(xs)), 0.05, shot_name)
            self.assertLess(abs(sum(ys) / len(ys)), 0.1, shot_name)
            # Wide enough to fill the picture's width, never past it.
            self.assertGreater(max(xs) - min(xs), 1.5 * most, shot_name)
            self.assertLess(max(xs), 1.0, shot_name)
            self.assertGreater(min(xs), -1.0, shot_name)

    def test_screens_show_their_picture_upright_and_16_by_9(self):
        for name in ("mainscreen_1", "mainscreen_2", "Windows01", "Windows02"):
            mesh = placed(model(name))
            corners = {uv: p for p, _, uv in mesh.vertices}
            self.assertEqual(sorted(corners), [(0, 0), (0, 1), (1, 0), (1, 1)], name)
            top_left, top_right, bottom_left = corners[(0, 0)], corners[(1, 0)], corners[(0, 1)]
            self.assertGreater(top_left[1], bottom_left[1], name)     # v = 0 at the top
            width = math.dist(top_left, top_right)
            height = math.dist(top_left, bottom_left)
            self.assertAlmostEqual(width / height, 16.0 / 9.0, places=2, msg=name)
            # Left and right as the front's viewer sees them: clockwise
            # top-left, top-right, bottom-left seen from the front.
            normal = mesh.vertices[0][1]
            self.assertGreater(g.dot(g.cross(g.sub(top_right, top_left), g.sub(bottom_left, top_left)), normal), 0,
                               name)

    def test_the_intro_shot_sees_every_pedestal_television_face_on(self):
        shot = layout.SHOTS["intro"]
        eye = shot[:3]
        tv = placed(model("kid_pedestal_tv"))
        quads = [tv.vertices[i:i + 4] for i in range(0, len(tv.vertices), 4)]
        self.assertEqual(len(quads), 5)
        xs = []
        for quad in quads:
            centre = tuple(sum(v[0][i] for v in quad) / 4.0 for i in range(3))
            normal = quad[0][1]
            self.assertGreater(g.dot(normal, g.normalize(g.sub(eye, centre))), 0.8)
            for p, _, _ in quad:
                x, y, depth = on_screen(shot, p)
                self.assertTrue(-0.95 < x < 0.95 and -0.95 < y < 0.95, (x, y))
            xs.append(on_screen(shot, centre)[0])
        # Seats count from the left of the picture.
        self.assertEqual(xs, sorted(xs))

    def test_the_opening_shot_sees_the_screen_and_the_host(self):
        shot = layout.SHOTS["default"]
        for p in (layout.SCREEN_1, layout.host_marks()[0][0]):
            x, y, depth = on_screen(shot, p)
            self.assertTrue(-0.8 < x < 0.8 and -1.0 < y < 0.9, (p, x, y))

    def test_seats_and_marks_face_the_way_they_should(self):
        eye = layout.SHOTS["intro"]
        for p, yaw in layout.seats():
            facing = (math.sin(yaw), 0.0, math.cos(yaw))
            to_eye = g.normalize((eye[0] - p[0], 0.0, eye[2] - p[2]))
            self.assertGreater(g.dot(facing, to_eye), 0.99)
        seats = layout.seats()
        for (p, _), (q, _) in zip(seats, seats[1:]):
            self.assertGreater(math.dist(p, q), layout.PEDESTAL_W)
        pos1, pos2, _ = layout.host_marks()
        self.assertAlmostEqual(math.sin(pos1[1]), 0.0, places=6)
        self.assertAlmostEqual(math.cos(pos1[1]), -1.0, places=6)  # toward the opening shot
        self.assertAlmostEqual(math.sin(pos2[1]), 1.0, places=6)   # toward the classmates


class SceneFile(unittest.TestCase):
    def setUp(self):
        self.text = setxml.scene_xml(MODELS)
        self.root = ET.fromstring(self.text)

    def test_sections_in_order_and_materials_before_their_models(self):
        self.assertEqual(self.root.tag, "scene")
        self.assertEqual([c.tag for c in self.root], ["materials", "lights", "models"])
        defined = {m.findtext("matname") for m in self.root.iter("material")}
        for m in self.root.iter("model"):
            self.assertIn(m.findtext("MatName"), defined)
            self.assertTrue(m.findtext("MeshName").endswith(".mesh"))
            self.assertEqual(m.findtext("MeshFolder"), "mesh/set/")
            fields = [c.tag for c in m]
            self.assertIn("Position", fields, "no model inherits a world transform")
            if "Rotation" in fields:
                self.assertLess(fields.index("Rotation"), fields.index("Position"))

    def test_lights_are_safe_for_both_devices(self):
        lights = list(self.root.iter("light"))
        self.assertLessEqual(len(lights), 8)
        kinds = [l.findtext("mType") for l in lights]
        self.assertEqual(kinds.count("kDirectional"), 1)
        self.assertGreaterEqual(kinds.count("kPointSource"), 2)
        for light in lights:
            self.assertNotEqual(light.findtext("mcAmb"), "#000000ff")
            if light.findtext("mType") == "kPointSource":
                att = [float(v) for v in light.findtext("mAttenuation").split(",")]
                self.assertEqual(len(att), 3)
                self.assertGreater(att[0], 0.0)
                self.assertGreater(float(light.findtext("mRange")), 0.0)

    def test_the_pedestal_light_colour_has_a_hue(self):
        mat = [m for m in self.root.iter("material") if m.findtext("matname") == "ped_light"][0]
        rgb = [int(mat.findtext("mcamb")[i:i + 2], 16) for i in (1, 3, 5)]
        self.assertGreater(max(rgb) - min(rgb), 40)
        self.assertEqual(mat.findtext("mfpower"), "0")

    def test_numbers_are_written_the_same_everywhere(self):
        for value, text in ((0.0, "0"), (-0.00001, "0"), (-1.5, "-1.5"), (1e-7, "0"), (12345.678, "12345.678"),
                            (2.0, "2")):
            self.assertEqual(setxml.number(value), text)
        self.assertEqual(setxml.scene_xml(layout.build()[1]), self.text)

    def test_the_place_table(self):
        root = ET.fromstring(setxml.layout_xml())
        seats = root.findall("seat")
        self.assertEqual([s.get("index") for s in seats], ["0", "1", "2", "3", "4"])
        self.assertEqual([m.get("name") for m in root.findall("mark")], ["Pos1", "Pos2", "Pos3"])
        for node in seats + root.findall("mark"):
            self.assertEqual(len(node.get("pos").split(",")), 3)
            float(node.get("yaw"))


class Pictures(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.pictures = {name: draw() for name, draw in studio_textures.TEXTURES.items()}

    def alpha(self, c, x, y):
        return c.px[(y * c.w + x) * 4 + 3]

    def straight(self, c, x, y):
        i = (y * c.w + x) * 4
        a = c.px[i + 3]
        return tuple(c.px[i + k] / a * 255.0 for k in range(3))

    def test_sizes_are_powers_of_two_within_the_loaders_limit(self):
        for name, c in self.pictures.items():
            for side in (c.w, c.h):
                self.assertTrue(8 <= side <= 1024 and side & (side - 1) == 0, name)
        for name in ("backgrounds/blackboard_clear.png", "backgrounds/chalkboard_sm.png"):
            self.assertEqual((self.pictures[name].w, self.pictures[name].h), (256, 256))

    def test_the_lens_flare_glows_from_its_middle_to_nothing(self):
        c = self.pictures["textures/lensflare.png"]
        self.assertEqual((c.w, c.h), (128, 128))
        self.assertGreater(self.alpha(c, 64, 64), 0.95)
        for x, y in ((0, 0), (127, 0), (0, 127), (127, 127), (0, 64), (64, 127)):
            self.assertLess(self.alpha(c, x, y), 0.01, (x, y))
        ring = [self.alpha(c, 64 + r, 64) for r in range(0, 64, 8)]
        self.assertEqual(ring[:4], sorted(ring[:4], reverse=True))

    def test_chalkboards_are_opaque_dark_green_and_differ(self):
        clear = self.pictures["backgrounds/blackboard_clear.png"]
        smudged = self.pictures["backgrounds/chalkboard_sm.png"]
        for c in (clear, smudged):
            self.assertTrue(all(a > 0.999 for a in c.px[3::4]))
            r, gg, b = self.straight(c, 128, 128)
            self.assertGreater(gg, r)
            self.assertGreater(gg, b)
            self.assertLess(gg, 110)
        self.assertNotEqual(clear.rgba_bytes(), smudged.rgba_bytes())

    def test_surfaces_are_opaque(self):
        for name, c in self.pictures.items():
            if name != "textures/lensflare.png":
                self.assertTrue(all(a > 0.999 for a in c.px[3::4]), name)


if __name__ == "__main__":
    unittest.main()
