#!/usr/bin/env python3
"""Draws the backdrop tile of the sample: a 64 x 64 pattern of soft blue
diagonal weave, seamless when tiled, written as an uncompressed 24-bit BMP."""
import math
import struct
import sys

SIZE = 64


def colour(x, y):
    # two families of diagonal stripes, periodic over the tile
    a = math.sin(2 * math.pi * (x + y) / SIZE * 2)
    b = math.sin(2 * math.pi * (x - y) / SIZE * 2)
    weave = (a * b + 1) / 2
    dot = 1.0 if (x % 16 == 8 and y % 16 == 8) else 0.0
    r = int(40 + 30 * weave + 60 * dot)
    g = int(70 + 40 * weave + 60 * dot)
    b_ = int(120 + 60 * weave + 60 * dot)
    return min(r, 255), min(g, 255), min(b_, 255)


def main(path):
    row = SIZE * 3
    pixels = bytearray()
    for y in reversed(range(SIZE)):
        for x in range(SIZE):
            r, g, b = colour(x, y)
            pixels += bytes((b, g, r))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main(sys.argv[1])
