#!/usr/bin/env python3
"""Draws the example agent's picture, examples/Lantern/lantern.c16: three
images of 24 x 32, a lantern whose flame and glow flicker, as a .c16 sprite
file (5-6-5 pixels, run-length lines, black is transparent).

    python3 scripts/make-lantern-sprite.py [OUTPUT]
"""
import struct
import sys
from pathlib import Path

WIDTH, HEIGHT = 24, 32


def rgb565(red, green, blue):
    return (red >> 3) << 11 | (green >> 2) << 5 | blue >> 3


METAL = rgb565(60, 52, 48)
METAL_LIGHT = rgb565(120, 104, 88)
GLASS = rgb565(255, 214, 120)
GLASS_EDGE = rgb565(232, 170, 72)
FLAME = rgb565(255, 140, 24)
FLAME_CORE = rgb565(255, 250, 210)
GLOW = (rgb565(200, 120, 40), rgb565(150, 84, 28))

# Per image: the flame's height and how far the glow reaches.
FRAMES = ((5, 2), (7, 3), (6, 2))

BODY_LEFT, BODY_RIGHT = 6, 17  # the glass and its frame
BODY_TOP, BODY_BOTTOM = 9, 27


def draw(flame_height, glow_reach):
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def put(x, y, colour):
        if 0 <= x < WIDTH and 0 <= y < HEIGHT:
            pixels[y][x] = colour

    # The glow: a dotted halo beside the glass, fading outwards.
    for y in range(BODY_TOP + 2, BODY_BOTTOM - 1):
        for reach in range(1, glow_reach + 1):
            if (y + reach) % 2 == 0 or reach == 1:
                colour = GLOW[min(reach - 1, 1)]
                put(BODY_LEFT - reach, y, colour)
                put(BODY_RIGHT + reach, y, colour)
    # The ring to hang it by, and the cap.
    for x in range(10, 14):
        put(x, 0, METAL)
        put(x, 3, METAL)
    for y in range(1, 3):
        put(9, y, METAL)
        put(14, y, METAL)
    for y, (left, right) in enumerate(((8, 15), (7, 16), (6, 17), (5, 18)), start=4):
        for x in range(left, right + 1):
            put(x, y, METAL_LIGHT if y == 4 else METAL)
    # The glass between its frame bars, lit from the flame.
    for y in range(BODY_TOP - 1, BODY_BOTTOM + 1):
        put(BODY_LEFT, y, METAL)
        put(BODY_RIGHT, y, METAL)
        for x in range(BODY_LEFT + 1, BODY_RIGHT):
            edge = x in (BODY_LEFT + 1, BODY_RIGHT - 1)
            put(x, y, GLASS_EDGE if edge else GLASS)
    # The flame, rising from the wick: a drop, widest low down, with a white
    # heart, tapering to a point.
    base = BODY_BOTTOM - 3
    for row in range(flame_height):
        half = 1 if row == 0 else 2 if row <= flame_height // 2 else 1 if row < flame_height - 1 else 0
        for x in range(11 - half, 13 + half):
            heart = half == 2 and abs(x - 11.5) < 1
            put(x, base - row, FLAME_CORE if heart else FLAME)
    put(11, base + 1, METAL)  # the wick
    put(12, base + 1, METAL)
    # The base.
    for y, (left, right) in enumerate(((5, 18), (5, 18), (6, 17), (7, 16)), start=BODY_BOTTOM + 1):
        for x in range(left, right + 1):
            put(x, y, METAL_LIGHT if y == BODY_BOTTOM + 1 else METAL)
    return pixels


def line_bytes(row):
    out = b""
    x = 0
    while x < len(row):
        coloured = row[x] != 0
        end = x
        while end < len(row) and (row[end] != 0) == coloured:
            end += 1
        out += struct.pack("<H", (end - x) << 1 | int(coloured))
        if coloured:
            out += struct.pack(f"<{end - x}H", *row[x:end])
        x = end
    return out + struct.pack("<H", 0)


def c16(images):
    header_size = 6 + sum(8 + 4 * (HEIGHT - 1) for _ in images)
    headers, data = b"", b""
    for pixels in images:
        offsets = []
        for row in pixels:
            offsets.append(header_size + len(data))
            data += line_bytes(row)
        data += struct.pack("<H", 0)
        headers += struct.pack("<IHH", offsets[0], WIDTH, HEIGHT)
        headers += struct.pack(f"<{HEIGHT - 1}I", *offsets[1:])
    return struct.pack("<IH", 3, len(images)) + headers + data


def main():
    root = Path(__file__).resolve().parent.parent
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else root / "examples/Lantern/lantern.c16"
    output.write_bytes(c16([draw(height, reach) for height, reach in FRAMES]))
    print(f"{output}: {output.stat().st_size} bytes")


if __name__ == "__main__":
    main()
