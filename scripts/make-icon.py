#!/usr/bin/env python3
"""Draws the program's icon, 32 x 32 pixels in the 16 standard colours.

Writes src/ui/resources/ormel.png (4-bit palette, one unused colour marked
transparent) and src/ui/resources/ormel.ico (4-bit bitmap with its mask) for
the Windows executable. Run it again after changing the drawing.
"""
import os
import struct
import zlib

SIZE = 32
# The 16 colours of the standard palette, in their usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = FUCHSIA  # the colour the drawing never uses stands for "transparent"


def inside(poly, x, y):
    """Whether the pixel centre (x + .5, y + .5) lies inside the polygon."""
    px, py = x + 0.5, y + 0.5
    result = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def fill(pixels, poly, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if inside(poly, x, y):
                pixels[y][x] = colour


def outline(pixels, poly, colour):
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        steps = max(abs(x2 - x1), abs(y2 - y1), 1)
        for i in range(steps + 1):
            x = round(x1 + (x2 - x1) * i / steps)
            y = round(y1 + (y2 - y1) * i / steps)
            if 0 <= x < SIZE and 0 <= y < SIZE:
                pixels[y][x] = colour


def ring(pixels, cx, cy, outer, inner, colour, edge):
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if inner - 0.5 <= d <= outer + 0.5:
                pixels[y][x] = edge if d < inner + 0.5 or d > outer - 0.5 else colour


def draw():
    """A parcel (the packed agent) with the letter O of Ormel on its front."""
    pixels = [[CLEAR] * SIZE for _ in range(SIZE)]
    front = [(2, 11), (21, 11), (21, 30), (2, 30)]
    top = [(2, 11), (10, 3), (29, 3), (21, 11)]
    side = [(21, 11), (29, 3), (29, 22), (21, 30)]
    fill(pixels, front, YELLOW)
    fill(pixels, top, WHITE)
    fill(pixels, side, OLIVE)
    # The string tied round the parcel.
    for y in range(11, 30):
        pixels[y][6] = MAROON
    for x in range(2, 21):
        pixels[15][x] = MAROON
    outline(pixels, front, BLACK)
    outline(pixels, top, BLACK)
    outline(pixels, side, BLACK)
    ring(pixels, 12.5, 21.5, 6.5, 3.0, BLUE, NAVY)
    pixels[18][11] = AQUA
    pixels[19][10] = AQUA
    return pixels


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(
        b"\0" + bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2)) for row in pixels)
    alpha = bytes(0 if i == CLEAR else 255 for i in range(16))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
            + chunk(b"tRNS", alpha)
            + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def ico(pixels):
    colour_rows = b""
    mask_rows = b""
    for row in reversed(pixels):  # bitmaps are stored bottom-up
        shown = [BLACK if i == CLEAR else i for i in row]
        colour_rows += bytes((shown[x] << 4) | shown[x + 1] for x in range(0, SIZE, 2))
        bits = 0
        for i in row:
            bits = (bits << 1) | (1 if i == CLEAR else 0)
        mask_rows += struct.pack(">I", bits)  # 32 pixels: exactly one 4-byte row
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(colour_rows) + len(mask_rows), 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    image = header + palette + colour_rows + mask_rows
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "ui",
                          "resources")
    pixels = draw()
    with open(os.path.join(folder, "ormel.png"), "wb") as f:
        f.write(png(pixels))
    with open(os.path.join(folder, "ormel.ico"), "wb") as f:
        f.write(ico(pixels))


if __name__ == "__main__":
    main()
