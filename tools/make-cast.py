#!/usr/bin/env python3
"""Builds the cast into the build's assets folder (tools/cast.cmake runs it):

    make-cast.py ASSETS     writes ASSETS/mesh/kids/kid1..5.x and .xml,
                            ASSETS/mesh/varnum/varnum.x and .xml and their
                            pictures ASSETS/textures/kid1..5.png, varnum.png
    make-cast.py --list     prints the files it writes, one a line

Deterministic: the same bytes on every run. See docs/cast.md.
"""
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen import cast, outfiles  # noqa: E402
from assetgen.xfile import XError  # noqa: E402


def main():
    return outfiles.run(__doc__, "make-cast", cast.files(), (XError,))


if __name__ == "__main__":
    sys.exit(main())
