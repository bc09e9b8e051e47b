#!/usr/bin/env python3
"""Draws the program's icon in the 16 standard colours.

Writes src/ui/resources/ormel.png, the window's 32 x 32 picture (4-bit
palette, one unused colour marked transparent), src/ui/resources/ormel.ico
(the same picture as a 4-bit bitmap with its mask) for the Windows
executable, and packaging/linux/ormel-48.png, the same drawing at 48 x 48, the
smallest size that Linux desktops expect for a menu entry. Run it again after
changing the drawing.
"""
import os
import struct
import zlib

SIZE = 32  # the grid the drawing is laid out on, and the window icon's size
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


def scaled(points, scale):
    return [(round(x * scale), round(y * scale)) for x, y in points]


def inside(poly, x, y):
    """Whether the pixel centre (x + .5, y + .5) lies inside the polygon."""
    px, py = x + 0.5, y + 0.5
    result = False
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            result = not result
    return result


def fill(pixels, poly, colour):
    size = len(pixels)
    for y in range(size):
        for x in range(size):
            if inside(poly, x, y):
                pixels[y][x] = colour


def outline(pixels, poly, colour):
    size = len(pixels)
    for (x1, y1), (x2, y2) in zip(poly, poly[1:] + poly[:1]):
        steps = max(abs(x2 - x1), abs(y2 - y1), 1)
        for i in range(steps + 1):
            x = round(x1 + (x2 - x1) * i / steps)
            y = round(y1 + (y2 - y1) * i / steps)
            if 0 <= x < size and 0 <= y < size:
                pixels[y][x] = colour


def ring(pixels, cx, cy, outer, inner, colour, edge):
    size = len(pixels)
    for y in range(size):
        for x in range(size):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if inner - 0.5 <= d <= outer + 0.5:
                pixels[y][x] = edge if d < inner + 0.5 or d > outer - 0.5 else colour


def draw(size=SIZE):
    """A parcel (the packed agent) with the letter O of Ormel on its front.

    The drawing is laid out on the 32 x 32 grid; other sizes scale it, with
    lines kept one pixel wide.
    """
    k = size / SIZE
    pixels = [[CLEAR] * size for _ in range(size)]
    front = scaled([(2, 11), (21, 11), (21, 30), (2, 30)], k)
    top = scaled([(2, 11), (10, 3), (29, 3), (21, 11)], k)
    side = scaled([(21, 11), (29, 3), (29, 22), (21, 30)], k)
    fill(pixels, front, YELLOW)
    fill(pixels, top, WHITE)
    fill(pixels, side, OLIVE)
    # The string tied round the parcel.
    string_x, string_y = round(6 * k), round(15 * k)
    for y in range(front[0][1], front[2][1]):
        pixels[y][string_x] = MAROON
    for x in range(front[0][0], front[1][0]):
        pixels[string_y][x] = MAROON
    outline(pixels, front, BLACK)
    outline(pixels, top, BLACK)
    outline(pixels, side, BLACK)
    ring(pixels, 12.5 * k, 21.5 * k, 6.5 * k, 3.0 * k, BLUE, NAVY)
    # The highlight on the ring's upper left.
    for x, y in ((11, 18), (10, 19)):
        pixels[round(y * k)][round(x * k)] = AQUA
    return pixels


def png(pixels):
    size = len(pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(
        b"\0" + bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2)) for row in pixels)
    alpha = bytes(0 if i == CLEAR else 255 for i in range(16))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in PALETTE))
            + chunk(b"tRNS", alpha)
            + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def ico(pixels):
    """A one-image icon file; the mask rows assume the 32-pixel width."""
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
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    resources = os.path.join(root, "src", "ui", "resources")
    pixels = draw()
    with open(os.path.join(resources, "ormel.png"), "wb") as f:
        f.write(png(pixels))
    with open(os.path.join(resources, "ormel.ico"), "wb") as f:
        f.write(ico(pixels))
    linux = os.path.join(root, "packaging", "linux")
    os.makedirs(linux, exist_ok=True)
    with open(os.path.join(linux, "ormel-48.png"), "wb") as f:
        f.write(png(draw(48)))


if __name__ == "__main__":
    main()
