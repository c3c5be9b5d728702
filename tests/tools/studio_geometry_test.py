#!/usr/bin/env python3
"""The studio generator's geometry and .mesh writer (tools/assetgen).

    PYTHONPATH=tools python3 -m unittest discover -s tests/tools -p "studio_*_test.py"
"""
import math
import struct
import unittest

from assetgen import geometry as g
from assetgen.meshfile import MeshError, mesh_bytes


def triangles(mesh):
    for a, b, c in mesh.triangles:
        yield mesh.vertices[a], mesh.vertices[b], mesh.vertices[c]


def centroid(tri):
    return tuple(sum(v[0][i] for v in tri) / 3.0 for i in range(3))


def kept_by_culling(tri, eye):
    """What the 3D pass keeps: a triangle whose corners run clockwise on
    the screen of a camera at eye looking along +z (screen y down)."""
    pts = []
    for p, _, _ in tri:
        z = p[2] - eye[2]
        pts.append(((p[0] - eye[0]) / z, -(p[1] - eye[1]) / z))
    (ax, ay), (bx, by), (cx, cy) = pts
    # Positive for clockwise order when y grows downward.
    return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax) > 0.0


SOLIDS = [
    ("box", g.box((-1, 0, -0.5), (1, 2, 0.5)), (0, 1, 0)),
    ("bevel box", g.bevel_box(1.5, 1.2, 0.8, 0.1), (0, 0.6, 0)),
    ("cylinder", g.cylinder(0.5, 1.0, 9), (0, 0.5, 0)),
    ("turned box", g.box((-1, 0, -0.5), (1, 2, 0.5)).placed((3, 0, 4), 0.7), (3, 1, 4)),
]


class Winding(unittest.TestCase):
    def test_every_face_winds_clockwise_about_its_normal(self):
        shapes = [(name, m) for name, m, _ in SOLIDS] + [
            ("plane", g.plane(4, 6, (2, 3), (2, 3))),
            ("wall", g.wall(4, 3, (2, 1), (2, 2))),
            ("arc", g.arc(3.0, 0.5, 1.0, 0.2, 1.4, 5)),
            ("quad", g.Mesh().quad((0, 0, 0), (1, 0, 0), (0, 1, 0), 1, 1)),
        ]
        for name, mesh in shapes:
            self.assertTrue(mesh.triangles, name)
            for tri in triangles(mesh):
                n = g.face_normal(*(v[0] for v in tri))
                for v in tri:
                    self.assertGreater(g.dot(n, v[1]), 0.999, name)
                    self.assertAlmostEqual(g.dot(v[1], v[1]), 1.0, places=6, msg=name)

    def test_solids_face_outward(self):
        for name, mesh, inside in SOLIDS:
            for tri in triangles(mesh):
                out = g.sub(centroid(tri), inside)
                self.assertGreater(g.dot(out, tri[0][1]), 0.0, name)

    def test_the_arc_faces_away_from_its_slab(self):
        mesh = g.arc(3.0, 0.5, 1.0, 0.0, 1.0, 4)
        for tri in triangles(mesh):
            c = centroid(tri)
            r = math.hypot(c[0], c[2])
            n = tri[0][1]
            radial = (c[0] / r * n[0] + c[2] / r * n[2])
            if abs(r - 3.0) < 1e-6:
                self.assertLess(radial, -0.9)    # the inner face looks at the axis
            elif abs(r - 3.5) < 1e-6:
                self.assertGreater(radial, 0.9)

    def test_culling_keeps_exactly_the_faces_toward_the_camera(self):
        eye = (0.3, 0.8, -6.0)
        for name, mesh, _ in SOLIDS:
            kept = 0
            for tri in triangles(mesh):
                toward = g.dot(tri[0][1], g.sub(eye, centroid(tri))) > 1e-9
                self.assertEqual(kept_by_culling(tri, eye), toward, name)
                kept += toward
            self.assertGreater(kept, 0, name)


class Shapes(unittest.TestCase):
    def test_a_picture_reads_upright_from_the_front(self):
        m = g.Mesh().quad((0, 0, 5), (0, 0, -1), (0, 1, 0), 2, 1, (0.25, 0.5, 0.75, 1.0))
        for p, _, uv in m.vertices:
            # Seen from -z: left is -x, top is +y.
            self.assertEqual(uv[0], 0.25 if p[0] < 0 else 0.75)
            self.assertEqual(uv[1], 0.5 if p[1] > 0 else 1.0)

    def test_box_faces_take_their_own_uv_or_are_left_out(self):
        m = g.box((0, 0, 0), (1, 1, 1), {"front": (0, 0, 0.5, 0.5), "bottom": None})
        self.assertEqual(len(m.triangles), 10)
        front = [v for v in m.vertices if v[1] == (0.0, 0.0, -1.0)]
        self.assertEqual(sorted({uv for _, _, uv in front}), [(0, 0), (0, 0.5), (0.5, 0), (0.5, 0.5)])
        self.assertFalse([v for v in m.vertices if v[1][1] < -0.5])

    def test_plane_tiles_and_cells(self):
        m = g.plane(8, 4, (4, 2), (4, 2))
        self.assertEqual(len(m.triangles), 16)
        self.assertEqual(max(uv[0] for _, _, uv in m.vertices), 4)
        self.assertEqual(max(uv[1] for _, _, uv in m.vertices), 2)
        self.assertEqual(m.bounds(), ((-4, 0, -2), (4, 0, 2)))

    def test_turning_follows_the_games_yaw(self):
        m = g.Mesh().quad((0, 0, 1), (0, 0, 1), (0, 1, 0), 0.5, 0.5)
        turned = m.rotated_y(math.pi / 2)
        for p, n, _ in turned.vertices:
            self.assertAlmostEqual(p[0], 1.0)       # +z went to +x
            self.assertAlmostEqual(n[0], 1.0)
        placed = m.placed((10, 2, 3), math.pi)
        for p, n, _ in placed.vertices:
            self.assertAlmostEqual(p[2], 2.0)
            self.assertAlmostEqual(n[2], -1.0)

    def test_merge_moves_the_second_meshs_indices(self):
        a = g.box((0, 0, 0), (1, 1, 1))
        b = g.cylinder(1, 1, 5)
        m = g.merged(a, b)
        self.assertEqual(len(m.vertices), len(a.vertices) + len(b.vertices))
        self.assertEqual(m.triangles[len(a.triangles)][0], b.triangles[0][0] + len(a.vertices))

    def test_bad_shapes_are_refused(self):
        cases = [
            lambda: g.cylinder(1, 1, 2),
            lambda: g.plane(1, 1, cells=(0, 1)),
            lambda: g.arc(1, 0, 1, 0, 1, 3),
            lambda: g.arc(1, 1, 1, 1, 0, 3),
            lambda: g.Mesh().polygon([(0, 0, 0), (1, 0, 0)], [(0, 0), (1, 0)], (0, 1, 0)),
            lambda: g.normalize((0, 0, 0)),
        ]
        for i, make in enumerate(cases):
            with self.assertRaises(ValueError, msg="case %d" % i):
                make()


def one_triangle(a=(0.0, 0.0, 0.0), uv=(0.0, 0.0)):
    m = g.Mesh()
    m.vertices = [(a, (0.0, 0.0, -1.0), uv), ((0.0, 1.0, 0.0), (0.0, 0.0, -1.0), (0.0, 0.0)),
                  ((1.0, 0.0, 0.0), (0.0, 0.0, -1.0), (1.0, 1.0))]
    m.triangles = [(0, 1, 2)]
    return m


class MeshFile(unittest.TestCase):
    def test_byte_layout(self):
        data = mesh_bytes(one_triangle((-1.5, 2.25, 0.0625), (-0.0625, 32.767)))
        self.assertEqual(data[:8], b"TRIS\x03\x00\x01\x00")
        self.assertEqual(len(data), 8 + 3 * 16 + 6)
        self.assertEqual(struct.unpack_from("<8h", data, 8), (-1500, 2250, 63, 0, 0, -1000, -63, 32767))
        self.assertEqual(struct.unpack_from("<8h", data, 24), (0, 1000, 0, 0, 0, -1000, 0, 0))
        self.assertEqual(struct.unpack_from("<3H", data, 56), (0, 1, 2))

    def test_values_outside_the_range_are_refused(self):
        cases = [
            (32.767, True), (-32.767, True), (32.7674, True),
            (32.768, False), (-32.768, False), (32.7676, False), (1e9, False),
            (float("nan"), False), (float("inf"), False),
        ]
        for value, fits in cases:
            for mesh in (one_triangle((value, 0.0, 0.0)), one_triangle(uv=(0.0, value))):
                if fits:
                    mesh_bytes(mesh)
                else:
                    with self.assertRaises(MeshError, msg=repr(value)):
                        mesh_bytes(mesh)

    def test_counts_and_indices_are_checked(self):
        big = g.Mesh()
        big.vertices = [((0.0, 0.0, 0.0), (0.0, 1.0, 0.0), (0.0, 0.0))] * 65535
        big.triangles = [(0, 1, 2)]
        self.assertEqual(struct.unpack_from("<H", mesh_bytes(big), 4)[0], 65535)
        big.vertices = big.vertices + big.vertices[:1]
        with self.assertRaises(MeshError):
            mesh_bytes(big)
        many = one_triangle()
        many.triangles = [(0, 1, 2)] * 65536
        with self.assertRaises(MeshError):
            mesh_bytes(many)
        stray = one_triangle()
        stray.triangles = [(0, 1, 3)]
        with self.assertRaises(MeshError):
            mesh_bytes(stray)


if __name__ == "__main__":
    unittest.main()
