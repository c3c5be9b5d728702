#!/usr/bin/env python3
"""Builds the cast into the build's assets folder (tools/cast.cmake runs it):

    make-cast.py ASSETS     writes ASSETS/mesh/kids/kid1..5.x and .xml,
                            ASSETS/mesh/varnum/varnum.x and .xml and their
                            pictures ASSETS/textures/kid1..5.png, varnum.png
    make-cast.py --list     prints the files it writes, one a line

Deterministic: the same bytes on every run. See docs/cast.md.
"""
import argparse
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assetgen import cast  # noqa: E402
from assetgen.xfile import XError  # noqa: E402


def write(root, name, data):
    path = os.path.join(root, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # Only a changed file is rewritten, so its users do not rebuild.
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                os.utime(path)
                return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("assets", nargs="?")
    parser.add_argument("--list", action="store_true")
    args = parser.parse_args()
    files = cast.files()
    if args.list:
        print("\n".join(sorted(files)))
        return 0
    if not args.assets:
        parser.error("the assets folder is missing")
    for name, make in sorted(files.items()):
        try:
            data = make()
        except XError as e:
            sys.stderr.write("make-cast: %s: %s\n" % (name, e))
            return 1
        write(args.assets, name, data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
