"""The cast's files: each character's .x model (body, skeleton and key
track), its picture and its bone-animation file, placed from the studio's
layout table (the classmates on their seats, the host on his marks)."""
from pngwrite import png_from_rgba

from . import cast_body, cast_clips, cast_looks, skeleton, studio_layout, xfile


def _joint_tree(track, size):
    joints = {}
    for name in reversed(skeleton.NAMES):
        keys = [skeleton.local(name, pose, size) for pose in track]
        joints[name] = xfile.Joint(name, skeleton.local(name, {}, size),
                                   [joints[c] for c in skeleton.children(name)], keys)
    return joints["Hips"]


def model(look, clips):
    positions, normals, uvs, triangles, weights = cast_body.build(look)
    track = cast_clips.poses(clips)
    material = xfile.Material(diffuse=(1.0, 1.0, 1.0, 1.0), power=12.0, specular=(0.12, 0.12, 0.12),
                              texture=look.name + ".png")
    return xfile.Model(positions, normals, uvs, triangles, material, _joint_tree(track, look.size), weights)


def files():
    """{file name under the assets folder: a function making its bytes}."""
    out = {}
    seats = studio_layout.seats()
    for look, seat in zip(cast_looks.CLASSMATES, seats):
        out["mesh/kids/%s.x" % look.name] = lambda look=look: xfile.model_bytes(model(look, cast_clips.CLASSMATE_CLIPS))
        out["mesh/kids/%s.xml" % look.name] = lambda seat=seat: cast_clips.anim_xml(
            cast_clips.classmate_entries(seat)).encode("utf-8")
    host = cast_looks.HOST
    out["mesh/varnum/varnum.x"] = lambda: xfile.model_bytes(model(host, cast_clips.HOST_CLIPS))
    out["mesh/varnum/varnum.xml"] = lambda: cast_clips.anim_xml(
        cast_clips.host_entries(studio_layout.host_marks())).encode("utf-8")
    for look in cast_looks.CAST:
        out["textures/%s.png" % look.name] = lambda look=look: _png(cast_looks.atlas(look))
    return out


def _png(canvas):
    return png_from_rgba(canvas.w, canvas.h, canvas.rgba_bytes())
