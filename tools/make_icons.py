#!/usr/bin/env python3
"""Draws the INSTALL icon group: a parcel with a blue arrow going into it,
as two 16-colour icons of 32 x 32 and 16 x 16 pixels, written as one .ico."""
import struct
import sys

# The standard 16-colour palette (index: red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_YELLOW, DARK_BLUE, GREY, YELLOW, BLUE, WHITE = 0, 3, 4, 8, 11, 12, 15


def region(u, v):
    """Which part of the drawing covers the point (u, v) of the unit square."""
    # arrow: shaft then head, pointing down into the parcel
    if 0.42 <= u <= 0.58 and 0.03 <= v <= 0.36:
        return "arrow"
    if 0.30 <= v <= 0.56:
        half = 0.26 * (0.56 - v) / 0.26
        if abs(u - 0.5) <= half:
            return "arrow"
    # parcel: lid (lighter) and front face
    if 0.14 <= u <= 0.86 and 0.44 <= v <= 0.56:
        return "lid"
    if 0.18 <= u <= 0.82 and 0.56 < v <= 0.94:
        return "box"
    return None


def draw(size):
    cells = [[region((x + 0.5) / size, (y + 0.5) / size) for x in range(size)]
             for y in range(size)]
    pixels = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            r = cells[y][x]
            if r is None:
                continue
            around = [cells[y + dy][x + dx] if 0 <= y + dy < size and 0 <= x + dx < size else None
                      for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if r == "arrow":
                edge = any(a != "arrow" for a in around)
                pixels[y][x] = DARK_BLUE if edge else BLUE
            else:
                edge = any(a is None for a in around)
                if edge:
                    pixels[y][x] = BLACK
                elif r == "lid":
                    pixels[y][x] = YELLOW
                else:
                    pixels[y][x] = DARK_YELLOW
    # a strip of tape across the front face
    for y in range(size):
        for x in range(size):
            v = (y + 0.5) / size
            if cells[y][x] == "box" and pixels[y][x] == DARK_YELLOW and 0.70 <= v <= 0.76:
                pixels[y][x] = GREY
    return pixels


def icon_image(size):
    pixels = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bottom-up rows
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            p = pixels[y][x]
            index = 0 if p is None else p
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += bits
    return header + palette + bytes(xor) + bytes(mask)


def main(path):
    images = [icon_image(32), icon_image(16)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
