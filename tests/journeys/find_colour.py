#!/usr/bin/env python3
"""find_colour.py PICTURE R G B: the centre "X Y" of the first patch of at least 6 x 6 pixels of
exactly that colour in the picture (a colour cell of a colour dialog, not a pixel of a gradient
that passes through it), or nothing when there is none. Reads the picture through ImageMagick's
convert as plain RGB."""
import subprocess
import sys

SIDE = 6


def main():
    path, colour = sys.argv[1], tuple(int(v) for v in sys.argv[2:5])
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                          check=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    same = [[raw[3 * (y * width + x):3 * (y * width + x) + 3] == bytes(colour) for x in range(width)]
            for y in range(height)]
    for y in range(height - SIDE):
        for x in range(width - SIDE):
            if all(same[y + j][x + i] for j in range(SIDE) for i in range(SIDE)):
                print(x + SIDE // 2, y + SIDE // 2)
                return


if __name__ == "__main__":
    main()
