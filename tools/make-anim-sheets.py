#!/usr/bin/env python3
"""Draws the show's 2D animation sheets and their still images into the
build's assets folder (tools/anim-sheets.cmake runs it):

    make-anim-sheets.py ASSETS           writes ASSETS/anim/<name>.xml, .png
    make-anim-sheets.py --list           prints the files it writes, one a line
    make-anim-sheets.py ASSETS --contact PNG
                                         also lays every frame out in one
                                         picture to look at (registration
                                         points red, anchors green)

Deterministic: the same bytes on every run. See docs/assets.md.
"""
import argparse
import os
import sys

# No bytecode caches in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen import banners, chalk, ladder, logo, wipe  # noqa: E402
from assetgen.contact import contact_sheet  # noqa: E402
from assetgen.sheet import write_image  # noqa: E402

FAMILIES = (logo, wipe, ladder, chalk, banners)
SHEET_NAMES = ("logo_loop", "anim_trans_full", "money", "blue_fade", "blue_fade_long", "flare", "chalk_cross",
               "flunkout", "dropout")
IMAGE_NAMES = ("blue_static", "blue_static_long", "chalk_line")


def outputs():
    files = []
    for name in SHEET_NAMES:
        files += ["anim/%s.png" % name, "anim/%s.xml" % name]
    files += ["anim/%s.png" % name for name in IMAGE_NAMES]
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("assets", nargs="?")
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--contact")
    args = parser.parse_args()
    if args.list:
        print("\n".join(outputs()))
        return 0
    if not args.assets:
        parser.error("the assets folder is missing")
    sheets = []
    images = {}
    for family in FAMILIES:
        sheets += family.sheets()
        images.update(getattr(family, "images", lambda: {})())
    written = []
    for sheet in sheets:
        written += sheet.write(args.assets)
    for name, canvas in sorted(images.items()):
        written.append(write_image(args.assets, "anim", name, canvas))
    expected = sorted(os.path.join(args.assets, f) for f in outputs())
    if sorted(written) != expected:
        sys.stderr.write("make-anim-sheets: the list of files is out of date\n")
        return 1
    if args.contact:
        contact_sheet(sheets, images, args.contact)
    return 0


if __name__ == "__main__":
    sys.exit(main())
