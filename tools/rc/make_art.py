#!/usr/bin/env python3
"""Draws the program icon (res/celwright.ico) and the drop-allowed cursor (res/drop.cur).

The generated files are committed; run this again only to change the pictures.
The icon is a strip of film holding three cels of a bouncing ball, as 32x32 and 16x16
32-bit images with alpha. The cursor is a classic 1-bit arrow with a small box holding a plus
sign, hot spot at the arrow's tip: the look of "you may drop here".
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "..", "res")

CLEAR = (0, 0, 0, 0)


def icon_pixels():
    """32x32 rows of (r, g, b, a), top row first."""
    px = [[CLEAR] * 32 for _ in range(32)]

    def fill(x0, y0, x1, y1, c):  # inclusive
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                px[y][x] = c

    outline = (0x15, 0x19, 0x1E, 255)
    film = (0x2B, 0x33, 0x3D, 255)
    hole = (0xD8, 0xDC, 0xE0, 255)
    cel = (0xFA, 0xF0, 0xD2, 255)
    ball = (0xF2, 0x7A, 0x1E, 255)
    shine = (0xFF, 0xD0, 0x90, 255)
    shadow = (0xB8, 0xAE, 0x98, 255)

    fill(0, 3, 31, 28, outline)
    fill(1, 4, 30, 27, film)
    for corner_x, corner_y in ((0, 3), (31, 3), (0, 28), (31, 28)):
        px[corner_y][corner_x] = CLEAR  # rounded corners
    for k in range(6):
        x = 2 + 5 * k
        fill(x, 5, x + 1, 6, hole)
        fill(x, 25, x + 1, 26, hole)
    # three cels; the ball falls and lands squashed
    for n, (cy, rx, ry) in enumerate(((12.5, 3.2, 3.2), (15.5, 3.2, 3.2), (19.0, 3.9, 2.3))):
        x0 = 2 + 10 * n
        fill(x0, 9, x0 + 8, 22, cel)
        fill(x0 + 2, 21, x0 + 6, 21, shadow)
        cx = x0 + 4.5
        for y in range(9, 23):
            for x in range(x0, x0 + 9):
                dx, dy = (x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry
                if dx * dx + dy * dy <= 1.0:
                    px[y][x] = ball
        hx, hy = int(cx - rx * 0.45), int(cy - ry * 0.45)
        px[hy][hx] = shine
    return px


def half_size(px):
    """2x2 box filter, alpha-weighted."""
    out = []
    for y in range(0, len(px), 2):
        row = []
        for x in range(0, len(px[0]), 2):
            quad = [px[y][x], px[y][x + 1], px[y + 1][x], px[y + 1][x + 1]]
            a = sum(p[3] for p in quad)
            if a == 0:
                row.append(CLEAR)
                continue
            rgb = tuple(round(sum(p[i] * p[3] for p in quad) / a) for i in range(3))
            row.append(rgb + (round(a / 4),))
        out.append(row)
    return out


def mask_rows(size, transparent):
    """AND mask, bottom row first, rows padded to 4 bytes; transparent(x, y) -> bool."""
    stride = (size + 31) // 32 * 4
    data = b""
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def dib_header(size, bit_count, image_bytes, colors_used=0):
    return struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bit_count, 0, image_bytes, 0, 0, colors_used, 0)


def dib_32(px):
    size = len(px)
    xor = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(px) for p in row)
    mask = mask_rows(size, lambda x, y: px[y][x][3] == 0)
    return dib_header(size, 32, len(xor) + len(mask)) + xor + mask


def directory(kind, entries):
    """entries: (width, height, colors, field1, field2, dib) where field1/field2 are planes and
    bit count for an icon, the hot spot for a cursor."""
    out = struct.pack("<HHH", 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = b""
    for w, h, colors, f1, f2, dib in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colors, 0, f1, f2, len(dib), offset)
        offset += len(dib)
        blobs += dib
    return out + blobs


ARROW = [
    "X",
    "XX",
    "X.X",
    "X..X",
    "X...X",
    "X....X",
    "X.....X",
    "X......X",
    "X.......X",
    "X........X",
    "X.....XXXXX",
    "X..X..X",
    "X.X X..X",
    "XX  X..X",
    "X    X..X",
    "     X..X",
    "      XX",
]


def cursor_pixels():
    """32x32 rows of 'X' (black), '.' (white) or ' ' (transparent)."""
    grid = [[" "] * 32 for _ in range(32)]
    for y, line in enumerate(ARROW):
        for x, c in enumerate(line):
            grid[y][x] = c
    # the box with the plus sign, below and right of the arrow
    x0, y0, n = 12, 15, 11
    for y in range(y0, y0 + n):
        for x in range(x0, x0 + n):
            edge = y in (y0, y0 + n - 1) or x in (x0, x0 + n - 1)
            mid = n // 2
            plus = (y == y0 + mid and x0 + 2 <= x <= x0 + n - 3) or (x == x0 + mid and y0 + 2 <= y <= y0 + n - 3)
            grid[y][x] = "X" if edge or plus else "."
    return grid


def dib_1bit_cursor(grid):
    size = len(grid)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    stride = (size + 31) // 32 * 4
    xor = b""
    for y in reversed(range(size)):
        bits = bytearray(stride)
        for x in range(size):
            if grid[y][x] == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bytes(bits)
    mask = mask_rows(size, lambda x, y: grid[y][x] == " ")
    return dib_header(size, 1, len(xor) + len(mask), 2) + palette + xor + mask


def main():
    big = icon_pixels()
    small = half_size(big)
    ico = directory(1, [(16, 16, 0, 1, 32, dib_32(small)), (32, 32, 0, 1, 32, dib_32(big))])
    with open(os.path.join(RES, "celwright.ico"), "wb") as f:
        f.write(ico)
    cur = directory(2, [(32, 32, 2, 0, 0, dib_1bit_cursor(cursor_pixels()))])
    with open(os.path.join(RES, "drop.cur"), "wb") as f:
        f.write(cur)


if __name__ == "__main__":
    main()
