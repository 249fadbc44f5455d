#!/usr/bin/python3
"""Draws the program icon (a printer with a green upward arrow) and writes it as
a .ico file with two 16-colour images, 16 x 16 and 32 x 32."""
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, NAVY, SILVER, GRAY, GREEN, WHITE = 0, 2, 4, 7, 8, 10, 15
TRANSPARENT = None


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[TRANSPARENT] * size for _ in range(size)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.pixels[y][x] = colour

    def box(self, x0, y0, x1, y1, inside, edge=BLACK):
        self.fill(x0, y0, x1, y1, edge)
        self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, inside)

    def arrow(self, tip_x, tip_y, head_rows, shaft_half, bottom):
        """Upward arrow: a triangular head widening by one pixel a side per row,
        then a shaft down to `bottom`; dark outline, green inside."""
        for i in range(head_rows):
            self.fill(tip_x - i, tip_y + i, tip_x + i, tip_y + i, DARK_GREEN)
            if i > 0 and i < head_rows - 1:
                self.fill(tip_x - i + 1, tip_y + i, tip_x + i - 1, tip_y + i, GREEN)
        shaft_top = tip_y + head_rows
        self.box(tip_x - shaft_half, shaft_top - 1, tip_x + shaft_half, bottom, GREEN,
                 DARK_GREEN)
        self.fill(tip_x - shaft_half + 1, shaft_top - 1, tip_x + shaft_half - 1, shaft_top - 1,
                  GREEN)


def draw_32():
    c = Canvas(32)
    c.box(9, 2, 22, 12, WHITE)  # sheet going in
    for y, length in ((5, 9), (7, 7), (9, 9)):
        c.fill(11, y, 10 + length, y, NAVY)
    c.box(4, 10, 27, 14, SILVER)  # top cover
    c.box(2, 13, 29, 24, SILVER)  # body
    c.fill(3, 22, 28, 23, GRAY)
    c.fill(6, 18, 21, 18, BLACK)  # output slot
    c.fill(7, 19, 20, 19, WHITE)  # printed sheet edge
    c.fill(5, 16, 6, 16, GREEN)  # power lamp
    c.box(5, 25, 26, 27, GRAY)  # tray
    c.arrow(24, 14, 7, 2, 30)
    return c


def draw_16():
    c = Canvas(16)
    c.box(4, 1, 11, 6, WHITE)
    c.fill(6, 3, 9, 3, NAVY)
    c.box(1, 6, 14, 12, SILVER)
    c.fill(2, 11, 13, 11, GRAY)
    c.fill(3, 9, 6, 9, BLACK)
    c.fill(2, 7, 2, 7, GREEN)
    c.box(3, 12, 12, 14, GRAY)
    c.arrow(11, 5, 5, 1, 15)
    return c


def dib(canvas):
    """The icon image as stored: BITMAPINFOHEADER (double height), palette,
    4-bit colour rows and 1-bit transparency mask, both bottom-up."""
    size = canvas.size
    colour_row = (size * 4 + 31) // 32 * 4
    mask_row = (size + 31) // 32 * 4
    colours = bytearray()
    mask = bytearray()
    for row in reversed(canvas.pixels):
        packed = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x, pixel in enumerate(row):
            index = 0 if pixel is TRANSPARENT else pixel
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if pixel is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        colours += packed
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(colours) + len(mask),
                         0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colours) + bytes(mask)


def ico(canvases):
    images = [dib(c) for c in canvases]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for canvas, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.size, canvas.size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico")
    with open(sys.argv[1], "wb") as out:
        out.write(ico([draw_16(), draw_32()]))


if __name__ == "__main__":
    main()
