"""The screen transition ("anim/anim_trans_full.xml"): 16 frames of
256 x 256 laid over the studio screens while their picture changes. A
slanted chalkboard band with gold edges sweeps across from right to left;
frames 5 to 9 are covered edge to edge, so the swap of pictures at frame 8
(half the count) is never seen.

Every frame is a 256 x 256 window onto one long strip (transparent, band,
transparent); the windows overlap in the sheet, so the whole wipe is one
896 x 256 image."""
from .canvas import Canvas, mix, noise, vertical
from .palette import BOARD, CHALK, DEEP, GOLD, alpha
from .sheet import Sheet

FRAME = 256
FRAME_COUNT = 16
STRIP = 896
SLANT = 48
LEFT, RIGHT = 208, 688


def strip():
    c = Canvas(STRIP, FRAME)
    band = [(LEFT, 0), (RIGHT, 0), (RIGHT - SLANT, FRAME), (LEFT - SLANT, FRAME)]

    def board(x, y):
        grain = noise(x // 3, y // 3, 7) * 0.08
        return mix(vertical(BOARD, mix(BOARD, DEEP, 0.5), 0, FRAME)(x, y), CHALK, grain)
    c.polygon(band, board)
    for edge in ((LEFT, LEFT - SLANT), (RIGHT, RIGHT - SLANT)):
        c.line(edge[0], -4, edge[1], FRAME + 4, 10, GOLD)
        c.line(edge[0], -4, edge[1], FRAME + 4, 3, alpha(CHALK, 0.8))
    # Chalk smudges along the band.
    for i in range(9):
        x = LEFT + 40 + i * 50
        y = 30 + (i * 67) % 190
        c.line(x - 18, y + 6, x + 18, y - 6, 3, alpha(CHALK, 0.18))
    return c


def transition():
    sheet = Sheet("anim_trans_full")
    whole = sheet.add_image(strip())
    travel = STRIP - FRAME
    for i in range(FRAME_COUNT):
        x = int(round(travel * i / float(FRAME_COUNT - 1)))
        sheet.add_frame(whole, rect=(x, 0, FRAME, FRAME))
    return sheet


def sheets():
    return [transition()]
