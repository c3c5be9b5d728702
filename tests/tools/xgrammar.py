"""A strict reader of the binary .x form the game takes, for the generator's
tests: it splits a file into tokens and parses exactly the accepted
grammar, raising ValueError at anything else."""
import struct
from collections import namedtuple

HEADER = b"xof 0302bin 0032"

Token = namedtuple("Token", "kind value offset")
Frame = namedtuple("Frame", "name matrix children mesh")
Mesh = namedtuple("Mesh", "name positions faces normals normal_faces uvs material_faces material skin_header skins")
Material = namedtuple("Material", "values texture")
Skin = namedtuple("Skin", "bone vertices weights offset")
Animation = namedtuple("Animation", "name frame keys")
XFile = namedtuple("XFile", "frames set_name animations")


def tokens(data):
    if data[:16] != HEADER:
        raise ValueError("the header is not %r" % HEADER)
    out = []
    i = 16

    def take(fmt):
        nonlocal i
        size = struct.calcsize(fmt)
        if i + size > len(data):
            raise ValueError("the file ends inside a token at %d" % i)
        v = struct.unpack_from(fmt, data, i)
        i += size
        return v

    while i < len(data):
        at = i
        (word,) = take("<H")
        if word in (1, 2):
            (n,) = take("<I")
            if i + n > len(data):
                raise ValueError("a text of %d bytes at %d runs past the end" % (n, at))
            text = data[i:i + n].decode("ascii")
            i += n
            if word == 2:
                (end,) = take("<H")
                if end != 20:
                    raise ValueError("a string at %d is not followed by word 20" % at)
            out.append(Token("name" if word == 1 else "string", text, at))
        elif word in (6, 7):
            (n,) = take("<I")
            values = take("<%d%s" % (n, "I" if word == 6 else "f"))
            out.append(Token("ints" if word == 6 else "floats", list(values), at))
        elif word in (10, 11):
            out.append(Token("{" if word == 10 else "}", None, at))
        else:
            raise ValueError("unknown token word %d at %d" % (word, at))
    return out


class _Parser:
    def __init__(self, toks):
        self.toks = toks
        self.i = 0

    def peek(self):
        return self.toks[self.i] if self.i < len(self.toks) else Token("end", None, -1)

    def next(self, kind=None, value=None):
        t = self.peek()
        if t.kind == "end":
            raise ValueError("the file ends early")
        if (kind and t.kind != kind) or (value is not None and t.value != value):
            raise ValueError("expected %s %r at %d, found %s %r" % (kind, value, t.offset, t.kind, t.value))
        self.i += 1
        return t

    def open_object(self, kind, instance):
        """kind, then an instance name ("required", "optional", "none"), then {."""
        self.next("name", kind)
        name = None
        if instance != "none" and self.peek().kind == "name":
            name = self.next("name").value
        elif instance == "required":
            raise ValueError("%s needs a name" % kind)
        self.next("{")
        return name

    def ints(self, count=None):
        v = self.next("ints").value
        if count is not None and len(v) != count:
            raise ValueError("expected %d integers, found %d" % (count, len(v)))
        return v

    def floats(self, count=None):
        v = self.next("floats").value
        if count is not None and len(v) != count:
            raise ValueError("expected %d floats, found %d" % (count, len(v)))
        return v

    def frame(self):
        name = self.open_object("Frame", "optional")
        matrix, children, mesh = None, [], None
        while self.peek().kind != "}":
            kind = self.next("name").value
            self.i -= 1
            if kind == "FrameTransformMatrix":
                self.open_object(kind, "none")
                matrix = self.floats(16)
                self.next("}")
            elif kind == "Frame":
                children.append(self.frame())
            elif kind == "Mesh":
                if mesh is not None:
                    raise ValueError("two meshes in one frame")
                mesh = self.mesh()
            else:
                raise ValueError("%s inside a frame" % kind)
        self.next("}")
        if matrix is None and not children and mesh is None:
            raise ValueError("an empty frame")
        return Frame(name, matrix, children, mesh)

    def faces(self):
        v = self.ints()
        count = v[0]
        if len(v) != 1 + 4 * count:
            raise ValueError("a face list of %d faces holds %d values" % (count, len(v)))
        faces = []
        for f in range(count):
            if v[1 + 4 * f] != 3:
                raise ValueError("face %d is not a triangle" % f)
            faces.append(tuple(v[2 + 4 * f:5 + 4 * f]))
        return faces

    def mesh(self):
        name = self.open_object("Mesh", "required")
        (n,) = self.ints(1)
        flat = self.floats(3 * n)
        positions = [tuple(flat[3 * k:3 * k + 3]) for k in range(n)]
        faces = self.faces()
        normals = normal_faces = uvs = material_faces = material = header = None
        skins = []
        while self.peek().kind != "}":
            kind = self.peek().value
            if kind == "MeshNormals":
                self.open_object(kind, "optional")
                (nn,) = self.ints(1)
                flat = self.floats(3 * nn)
                normals = [tuple(flat[3 * k:3 * k + 3]) for k in range(nn)]
                normal_faces = self.faces()
            elif kind == "MeshTextureCoords":
                self.open_object(kind, "optional")
                (nt,) = self.ints(1)
                flat = self.floats(2 * nt)
                uvs = [tuple(flat[2 * k:2 * k + 2]) for k in range(nt)]
            elif kind == "MeshMaterialList":
                self.open_object(kind, "optional")
                v = self.ints()
                if len(v) < 2 or len(v) != 2 + v[1]:
                    raise ValueError("a material list of the wrong length")
                material_faces = v[2:]
                while self.peek().kind != "}":
                    material = self.material()
            elif kind == "XSkinMeshHeader":
                self.open_object(kind, "none")
                header = tuple(self.ints(3))
            elif kind == "SkinWeights":
                if header is None:
                    raise ValueError("SkinWeights before XSkinMeshHeader")
                self.open_object(kind, "none")
                bone = self.next("string").value
                v = self.ints()
                f = self.floats(v[0] + 16)
                skins.append(Skin(bone, v[1:], f[:v[0]], f[v[0]:]))
                if len(v) != 1 + v[0]:
                    raise ValueError("a weight list of the wrong length")
            else:
                raise ValueError("%r inside a mesh" % (kind,))
            self.next("}")
        self.next("}")
        return Mesh(name, positions, faces, normals, normal_faces, uvs, material_faces, material, header, skins)

    def material(self):
        self.open_object("Material", "optional")
        values = self.floats(11)
        texture = None
        if self.peek().kind == "name":
            self.open_object("TextureFilename", "optional")
            texture = self.next("string").value
            self.next("}")
        self.next("}")
        return Material(values, texture)

    def animation(self):
        name = self.open_object("Animation", "required")
        self.next("{")
        frame = self.next("name").value
        self.next("}")
        keys = None
        while self.peek().kind != "}":
            self.open_object("AnimationKey", "none")
            head = self.ints()
            if len(head) != 4 or head[0] != 4 or head[2] != 0 or head[3] != 16:
                raise ValueError("an AnimationKey that does not start 4, K, 0, 16")
            keys = [self.floats(16)]
            for k in range(1, head[1]):
                if self.ints(2) != [k, 16]:
                    raise ValueError("key %d is not at time %d" % (k, k))
                keys.append(self.floats(16))
            self.next("}")
        self.next("}")
        return Animation(name, frame, keys)

    def file(self, animation_required):
        frames = []
        while self.peek().kind == "name" and self.peek().value == "Frame":
            frames.append(self.frame())
        if not frames:
            raise ValueError("no top-level frame")
        if not animation_required and self.peek().kind == "end":
            return XFile(frames, None, [])
        set_name = self.open_object("AnimationSet", "required")
        animations = []
        while self.peek().kind != "}":
            animations.append(self.animation())
        self.next("}")
        if self.peek().kind != "end":
            raise ValueError("something follows the AnimationSet")
        return XFile(frames, set_name, animations)


def parse(data, animation_required=True):
    if data.find(b"Frame") != 22:
        raise ValueError("the first \"Frame\" is not the first token's name")
    return _Parser(tokens(data)).file(animation_required)


def walk(frame):
    yield frame
    for c in frame.children:
        yield from walk(c)
