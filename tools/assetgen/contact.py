"""A contact sheet: every frame of every sheet on a checkerboard, one row
of frames a sheet, with the registration point in red and anchors in
green, and the still images on the last row. For looking, not for the
game."""
from pngwrite import png_from_rgba

GAP = 6


def _frame_pixels(sheet, frame):
    w, h = frame.rect[2], frame.rect[3]
    sw = sheet.size[0]
    x0, y0 = frame.sheet_xy
    rows = []
    for y in range(h):
        s = ((y0 + y) * sw + x0) * 4
        rows.append(sheet.pixels[s:s + w * 4])
    return w, h, rows


def contact_sheet(sheets, images, path, width=1600):
    tiles = []  # rows of (w, h, rows of bytes, marks)
    for sheet in sheets:
        row = []
        for f in sheet.frames:
            w, h, rows = _frame_pixels(sheet, f)
            marks = [((255, 0, 0), f.reg)] + [((0, 255, 0), (ax, ay)) for _, ax, ay in f.anchors]
            row.append((w, h, rows, marks))
        tiles.append(row)
    tiles.append([(c.w, c.h, [c.rgba_bytes()[y * c.w * 4:(y + 1) * c.w * 4] for y in range(c.h)], [])
                  for _, c in sorted(images.items())])
    # Lay out, wrapping long rows.
    placed = []
    y = GAP
    for row in tiles:
        x = GAP
        tallest = 0
        for t in row:
            if x + t[0] > width - GAP and x > GAP:
                x, y, tallest = GAP, y + tallest + GAP, 0
            placed.append((x, y, t))
            x += t[0] + GAP
            tallest = max(tallest, t[1])
        y += tallest + GAP * 3
    height = y
    out = bytearray(width * height * 4)
    for py in range(height):
        for px in range(width):
            v = 70 if ((px // 8) + (py // 8)) % 2 else 100
            i = (py * width + px) * 4
            out[i:i + 4] = bytes((v, v, v, 255))
    for x, y, (w, h, rows, marks) in placed:
        for r in range(h):
            for c in range(w):
                s = c * 4
                a = rows[r][s + 3] / 255.0
                if a == 0:
                    continue
                i = ((y + r) * width + x + c) * 4
                for ch in range(3):
                    out[i + ch] = int(rows[r][s + ch] * a + out[i + ch] * (1 - a) + 0.5)
        for colour, (mx, my) in marks:
            for dx in range(-1, 2):
                for dy in range(-1, 2):
                    tx, ty = x + mx + dx, y + my + dy
                    if 0 <= tx < width and 0 <= ty < height:
                        out[(ty * width + tx) * 4:(ty * width + tx) * 4 + 3] = bytes(colour)
    with open(path, "wb") as f:
        f.write(png_from_rgba(width, height, bytes(out)))
