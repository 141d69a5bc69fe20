#!/usr/bin/env python3
"""Draws the program's icon, a wireframe cube seen in perspective, and writes it as
res/figmerg.ico: one 32x32 image in 16 colours, black lines on a transparent background.

    res/make_icon.py [OUTPUT]     (default: figmerg.ico next to this script)
"""

import math
import os
import struct
import sys

SIZE = 32
BITS_PER_PIXEL = 4
COLOURS = 1 << BITS_PER_PIXEL

# The classic 16-colour palette, as (red, green, blue); the drawing uses black alone, but a
# 16-colour icon carries the whole table.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK = 0
assert len(PALETTE) == COLOURS

# The view: turned about two axes so that the top and two sides show and no hidden edge hides
# behind a visible one (a body-diagonal view would fold them together), from a camera close
# enough for the near edges to look longer than the far ones.
TURN_Y = math.radians(32)
TURN_X = math.radians(22)
CAMERA_DISTANCE = 5.0
MARGIN = 1.0


def cube():
    """The 8 corners and 12 edges of a cube two units wide, centred on the origin."""
    corners = [(x, y, z) for x in (-1, 1) for y in (-1, 1) for z in (-1, 1)]
    edges = [(i, j) for i in range(len(corners)) for j in range(i + 1, len(corners))
             if sum(a != b for a, b in zip(corners[i], corners[j])) == 1]
    assert len(edges) == 12
    return corners, edges


def project(corners):
    """Turns the solid, puts it before the camera and maps it onto the pixel grid, filling the
    icon but for the margin."""
    placed = []
    for x, y, z in corners:
        cos_y, sin_y = math.cos(TURN_Y), math.sin(TURN_Y)
        x, z = x * cos_y + z * sin_y, z * cos_y - x * sin_y
        cos_x, sin_x = math.cos(TURN_X), math.sin(TURN_X)
        y, z = y * cos_x - z * sin_x, z * cos_x + y * sin_x
        depth = CAMERA_DISTANCE - z
        placed.append((x / depth, y / depth))
    xs = [p[0] for p in placed]
    ys = [p[1] for p in placed]
    span = max(max(xs) - min(xs), max(ys) - min(ys))
    scale = (SIZE - 1 - 2 * MARGIN) / span
    mid_x = (max(xs) + min(xs)) / 2
    mid_y = (max(ys) + min(ys)) / 2
    centre = (SIZE - 1) / 2
    # Pixel rows run downwards, the solid's y upwards.
    return [(round(centre + (x - mid_x) * scale), round(centre - (y - mid_y) * scale))
            for x, y in placed]


def line(pixels, start, end, colour):
    """Bresenham's line, every octant, both ends included."""
    (x0, y0), (x1, y1) = start, end
    dx, dy = abs(x1 - x0), -abs(y1 - y0)
    step_x = 1 if x0 < x1 else -1
    step_y = 1 if y0 < y1 else -1
    error = dx + dy
    while True:
        pixels[y0][x0] = colour
        if (x0, y0) == (x1, y1):
            return
        twice = 2 * error
        if twice >= dy:
            error += dy
            x0 += step_x
        if twice <= dx:
            error += dx
            y0 += step_y


def draw():
    """The picture as rows of palette indices, top row first; None is transparent."""
    pixels = [[None] * SIZE for _ in range(SIZE)]
    corners, edges = cube()
    points = project(corners)
    for i, j in edges:
        line(pixels, points[i], points[j], BLACK)
    return pixels


def ico(pixels):
    """A one-image .ico: directory, BITMAPINFOHEADER, palette, the colour (XOR) bitmap and the
    transparency (AND) mask, both bottom row first, rows padded to 4 bytes."""
    xor_row = (SIZE * BITS_PER_PIXEL + 31) // 32 * 4
    and_row = (SIZE + 31) // 32 * 4
    xor_rows, and_rows = [], []
    for row in reversed(pixels):
        # A transparent pixel is black in the colour bitmap: the screen XOR 0 stays the screen.
        indices = [BLACK if p is None else p for p in row]
        packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, SIZE, 2))
        xor_rows.append(packed.ljust(xor_row, b"\0"))
        mask = 0
        for p in row:
            mask = (mask << 1) | (p is None)
        and_rows.append(mask.to_bytes(SIZE // 8, "big").ljust(and_row, b"\0"))
    image_bits = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, BITS_PER_PIXEL, 0,
                         len(image_bits), 0, 0, COLOURS, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image = header + palette + image_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, COLOURS, 0, 1, BITS_PER_PIXEL, len(image),
                        len(directory) + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "figmerg.ico")
    pixels = draw()
    with open(target, "wb") as out:
        out.write(ico(pixels))
    for row in pixels:
        print("".join("." if p is None else "#" for p in row))


if __name__ == "__main__":
    main()
