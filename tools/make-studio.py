#!/usr/bin/env python3
"""Builds the studio set into the build's assets folder (tools/studio.cmake
runs it):

    make-studio.py ASSETS     writes ASSETS/mesh/set/Set.xml, layout.xml and
                              the .mesh files, ASSETS/textures/ and
                              ASSETS/backgrounds/ pictures
    make-studio.py --list     prints the files it writes, one a line

Deterministic: the same bytes on every run. See docs/studio.md.
"""
import argparse
import os
import sys

# No bytecode caches in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen import setxml, studio_layout, studio_textures  # noqa: E402
from assetgen.outfiles import write  # noqa: E402
from assetgen.meshfile import MeshError, mesh_bytes  # noqa: E402
from pngwrite import png_from_rgba  # noqa: E402


def outputs():
    meshes, _ = studio_layout.build()
    files = ["mesh/set/Set.xml", "mesh/set/layout.xml"]
    files += ["mesh/set/%s.mesh" % name for name in sorted(meshes)]
    files += sorted(studio_textures.TEXTURES)
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("assets", nargs="?")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    if args.list:
        print("\n".join(outputs()))
        return 0
    if not args.assets:
        parser.error("the assets folder is missing")
    meshes, models = studio_layout.build()
    for name in sorted(meshes):
        try:
            data = mesh_bytes(meshes[name])
        except MeshError as e:
            sys.stderr.write("make-studio: mesh %s: %s\n" % (name, e))
            return 1
        write(args.assets, "mesh/set/%s.mesh" % name, data)
    write(args.assets, "mesh/set/Set.xml", setxml.scene_xml(models).encode("utf-8"))
    write(args.assets, "mesh/set/layout.xml", setxml.layout_xml().encode("utf-8"))
    for name, draw in sorted(studio_textures.TEXTURES.items()):
        canvas = draw()
        write(args.assets, name, png_from_rgba(canvas.w, canvas.h, canvas.rgba_bytes()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
