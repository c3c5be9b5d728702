"""The studio's scene file ("mesh/set/Set.xml") and the cast's place table
("mesh/set/layout.xml"), written from the layout table.

The scene file's document element is `scene` with its materials first, then
its lights, then its models (a model names its material while the file is
read). Every model gets a Position, so none is drawn with a world transform
left behind by whatever was drawn before it; a turned model gets its
Rotation first, so it turns in place and then moves.
"""
from xml.sax.saxutils import escape

from . import studio_layout as layout

MESH_FOLDER = "mesh/set/"
TEXTURE_FOLDER = "textures/"


def number(v):
    """Fixed decimals, no exponent, no negative zero: the same text on
    every machine and for every locale."""
    text = "%.4f" % v
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def vector(v):
    return ",".join(number(c) for c in v)


def _field(out, indent, name, value):
    out.append("%s<%s>%s</%s>" % (indent, name, escape(value), name))


def scene_xml(models):
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<scene>", "  <materials>"]
    for name in sorted(layout.MATERIALS):
        out.append("    <material>")
        _field(out, "      ", "matname", name)
        for key, value in layout.material_fields(name).items():
            _field(out, "      ", key, value)
        out.append("    </material>")
    out += ["  </materials>", "  <lights>"]
    for light in layout.LIGHTS:
        out.append("    <light>")
        for key, value in light.items():
            if isinstance(value, tuple):
                value = vector(value)
            elif isinstance(value, float):
                value = number(value)
            _field(out, "      ", key, value)
        out.append("    </light>")
    out += ["  </lights>", "  <models>"]
    for m in models:
        out.append("    <model>")
        if m.name:
            _field(out, "      ", "Name", m.name)
        _field(out, "      ", "MeshFolder", MESH_FOLDER)
        _field(out, "      ", "MeshName", m.mesh + ".mesh")
        if m.texture:
            _field(out, "      ", "TextureFolder", TEXTURE_FOLDER)
            _field(out, "      ", "TextureName", m.texture)
            mode = "kMapWrap" if m.wrap else "kMapClamp"
            _field(out, "      ", "uMapMode", mode)
            _field(out, "      ", "vMapMode", mode)
        _field(out, "      ", "MatName", m.material)
        if m.yaw is not None:
            _field(out, "      ", "Rotation", vector((0.0, m.yaw, 0.0)))
        _field(out, "      ", "Position", vector(m.position))
        out.append("    </model>")
    out += ["  </models>", "</scene>", ""]
    return "\n".join(out)


def layout_xml():
    """The classmates' seats and the host's marks: position and the yaw
    that turns a model's +z axis to face the way it should."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "<layout>"]
    for k, (p, yaw) in enumerate(layout.seats()):
        out.append('  <seat index="%d" pos="%s" yaw="%s"/>' % (k, vector(p), number(yaw)))
    for k, (p, yaw) in enumerate(layout.host_marks()):
        out.append('  <mark name="Pos%d" pos="%s" yaw="%s"/>' % (k + 1, vector(p), number(yaw)))
    out += ["</layout>", ""]
    return "\n".join(out)
