"""Animated-texture descriptions and their sheets.

A Sheet collects frames. Each frame shows an image (a Canvas), or a
rectangle of one, with a registration point (the texel the game places at
the drawing position) and named anchors. Images with the same pixels are
stored once, so frames that differ only by their registration point or
anchors (an image that slides) cost nothing. The images are packed on
shelves into one PNG at most 1024 pixels wide, and the XML description is
written beside it.

Anchors are given in texels of the frame's image and written as offsets
from the registration point: the game adds an anchor to the drawing
position, so a text placed by it moves with the frame.
"""
import os
import xml.sax.saxutils

from pngwrite import png_from_rgba

MAX_WIDTH = 1024
GAP = 1  # transparent texels between packed images, against bleeding


class Frame:
    def __init__(self, image, rect, reg, anchors, name):
        self.image = image      # index into Sheet.images
        self.rect = rect        # (x, y, w, h) inside the image
        self.reg = reg          # registration point, frame texels
        self.anchors = anchors  # [(name, x, y)] in frame texels
        self.name = name
        self.sheet_xy = None    # rect's top-left in the packed sheet


class Sheet:
    def __init__(self, name, folder="anim"):
        """name: the description's base name, as "money" for
        anim/money.xml with its sheet anim/money.png."""
        self.name = name
        self.folder = folder
        self.images = []        # (w, h, rgba bytes)
        self._by_pixels = {}
        self.frames = []
        self.size = None
        self.pixels = None

    def add_image(self, canvas):
        """The index of the image, stored once per distinct content."""
        data = canvas.rgba_bytes()
        key = (canvas.w, canvas.h, data)
        if key not in self._by_pixels:
            self._by_pixels[key] = len(self.images)
            self.images.append(key)
        return self._by_pixels[key]

    def add_frame(self, image, reg=(0, 0), anchors=(), rect=None, name=None):
        """image: a Canvas or an index from add_image; rect: (x, y, w, h)
        of that image (all of it by default); anchors: (name, x, y)."""
        if not isinstance(image, int):
            image = self.add_image(image)
        w, h, _ = self.images[image]
        if rect is None:
            rect = (0, 0, w, h)
        x, y, rw, rh = rect
        if x < 0 or y < 0 or rw <= 0 or rh <= 0 or x + rw > w or y + rh > h:
            raise ValueError("%s: frame rectangle %r outside its %dx%d image" % (self.name, rect, w, h))
        frame = Frame(image, rect, (int(round(reg[0])), int(round(reg[1]))),
                      [(n, int(round(ax)), int(round(ay))) for n, ax, ay in anchors],
                      name or "f%02d" % len(self.frames))
        self.frames.append(frame)
        return frame

    def pack(self):
        """Shelf packing, tallest images first; fixes the sheet size."""
        order = sorted(range(len(self.images)), key=lambda i: (-self.images[i][1], -self.images[i][0], i))
        places = {}
        x = y = shelf = 0
        width = 0
        for i in order:
            w, h, _ = self.images[i]
            if w > MAX_WIDTH:
                raise ValueError("%s: image %d wider than %d" % (self.name, w, MAX_WIDTH))
            if x + w > MAX_WIDTH:
                x, y, shelf = 0, y + shelf + GAP, 0
            places[i] = (x, y)
            x += w + GAP
            shelf = max(shelf, h)
            width = max(width, x - GAP)
        height = y + shelf
        if height > MAX_WIDTH:
            raise ValueError("%s: sheet taller than %d" % (self.name, MAX_WIDTH))
        pixels = bytearray(width * height * 4)
        for i, (px, py) in places.items():
            w, h, data = self.images[i]
            for row in range(h):
                t = ((py + row) * width + px) * 4
                pixels[t:t + w * 4] = data[row * w * 4:(row + 1) * w * 4]
        for f in self.frames:
            px, py = places[f.image]
            f.sheet_xy = (px + f.rect[0], py + f.rect[1])
        self.size = (width, height)
        self.pixels = bytes(pixels)

    def xml(self):
        q = xml.sax.saxutils.quoteattr
        width, height = self.size
        lines = ['<?xml version="1.0" encoding="utf-8"?>',
                 '<sequence name=%s source="tools/assetgen">' % q(self.name),
                 '  <img name=%s regx="0" regy="0" w="%d" h="%d"/>' % (q(self.name + ".png"), width, height),
                 "  <framelist>"]
        for f in self.frames:
            x, y = f.sheet_xy
            head = '    <frame name=%s x="%d" y="%d" w="%d" h="%d" regx="%d" regy="%d"' % (
                q(f.name), x, y, f.rect[2], f.rect[3], f.reg[0], f.reg[1])
            if not f.anchors:
                lines.append(head + "/>")
                continue
            lines.append(head + ">")
            for n, ax, ay in f.anchors:
                lines.append('      <anchor name=%s x="%d" y="%d"/>' % (q(n), ax - f.reg[0], ay - f.reg[1]))
            lines.append("    </frame>")
        lines += ["  </framelist>", "</sequence>", ""]
        return "\n".join(lines)

    def write(self, root):
        """Writes <root>/<folder>/<name>.png and .xml; returns their paths."""
        if self.size is None:
            self.pack()
        folder = os.path.join(root, self.folder)
        os.makedirs(folder, exist_ok=True)
        png = os.path.join(folder, self.name + ".png")
        desc = os.path.join(folder, self.name + ".xml")
        write_file(png, png_from_rgba(self.size[0], self.size[1], self.pixels))
        write_file(desc, self.xml().encode("utf-8"))
        return [png, desc]


def write_image(root, folder, name, canvas):
    """A plain image, <root>/<folder>/<name>.png."""
    os.makedirs(os.path.join(root, folder), exist_ok=True)
    path = os.path.join(root, folder, name + ".png")
    write_file(path, png_from_rgba(canvas.w, canvas.h, canvas.rgba_bytes()))
    return path


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
