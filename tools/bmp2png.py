#!/usr/bin/env python3
"""Converts the 24-bit screenshots the scripted user saves into PNG files;
crop() cuts a rectangle out of such a PNG file (the report shows each window
at its own size)."""
import struct
import sys
import zlib


def encode(width, height, rows):
    """A PNG file of 8-bit RGB rows, each row unfiltered."""

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(b"".join(b"\x00" + row for row in rows), 9))
    png += chunk(b"IEND", b"")
    return png


def convert(source, target):
    data = open(source, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    if bits != 24:
        raise SystemExit(f"{source}: {bits}-bit pictures are not handled")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source_row = y if height < 0 else abs(height) - 1 - y
        start = offset + source_row * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(bytes(rgb))
    open(target, "wb").write(encode(width, abs(height), rows))


def crop(png, left, top, width, height):
    """The part of a PNG file that encode() wrote, clipped to the picture;
    None for any other kind of PNG, or when nothing is left."""
    if png[:8] != b"\x89PNG\r\n\x1a\n" or png[12:16] != b"IHDR":
        return None
    full_width, full_height, depth, kind = struct.unpack_from(">IIBB", png, 16)
    if depth != 8 or kind != 2:
        return None
    pos, packed = 8, b""
    while pos + 8 <= len(png):
        length, name = struct.unpack_from(">I4s", png, pos)
        if name == b"IDAT":
            packed += png[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(packed)
    stride = 1 + 3 * full_width
    if len(raw) != stride * full_height or any(raw[y * stride] for y in range(full_height)):
        return None
    right, bottom = min(full_width, left + width), min(full_height, top + height)
    left, top = max(0, left), max(0, top)
    if right <= left or bottom <= top:
        return None
    rows = [raw[y * stride + 1 + 3 * left:y * stride + 1 + 3 * right] for y in range(top, bottom)]
    return encode(right - left, bottom - top, rows)


if __name__ == "__main__":
    for path in sys.argv[1:]:
        convert(path, path[:-4] + ".png")
