"""The show's colours (0..255 channels, alpha 0..1)."""
NAVY = (14, 28, 74, 1.0)
DEEP = (8, 16, 44, 1.0)
BLUE = (38, 108, 228, 1.0)
SKY = (120, 190, 255, 1.0)
GOLD = (250, 200, 64, 1.0)
AMBER = (214, 140, 24, 1.0)
WHITE = (255, 255, 255, 1.0)
CREAM = (255, 244, 214, 1.0)
RED = (206, 40, 36, 1.0)
DARK_RED = (112, 14, 18, 1.0)
GREEN = (40, 150, 90, 1.0)
DARK_GREEN = (10, 70, 44, 1.0)
BOARD = (34, 62, 48, 1.0)
CHALK = (244, 244, 236, 1.0)


def alpha(colour, a):
    return colour[:3] + (colour[3] * a,)
