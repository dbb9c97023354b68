#!/usr/bin/env python3
"""Writes the small BMP files that the test resource modules carry.

Usage: make_test_bitmaps.py <output folder>
"""
import os
import struct
import sys


def write_bmp(path, width, height, bits, rows, palette=(), clr_used=None, cut=0):
    """rows: one bytes object per row, bottom row first, without padding."""
    stride = (width * bits + 31) // 32 * 4
    pixels = b"".join(row.ljust(stride, b"\0") for row in rows)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    if clr_used is None:
        clr_used = len(palette)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels),
                         2835, 2835, clr_used, 0)
    body = header + table + pixels
    if cut:
        body = body[:-cut]
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(file_header + body)


def ramp():
    return [(i, 255 - i, i // 2) for i in range(256)]


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    # 8 bits with a full colour table whose header claims 16 colours used.
    write_bmp(os.path.join(out, "ramp8.bmp"), 4, 2, 8,
              [bytes([0, 1, 2, 3]), bytes([252, 253, 254, 255])], ramp(), clr_used=16)
    # 24 bits, rows padded to 4 bytes: bottom row red, green, blue; top row
    # white, black, grey (stored blue, green, red).
    write_bmp(os.path.join(out, "rgb24.bmp"), 3, 2, 24,
              [bytes([0, 0, 255, 0, 255, 0, 255, 0, 0]),
               bytes([255, 255, 255, 0, 0, 0, 128, 128, 128])])
    # 4 bits: 16 colours.
    write_bmp(os.path.join(out, "grey4.bmp"), 2, 1, 4, [bytes([0x1F])],
              [(i * 17, i * 17, i * 17) for i in range(16)])
    # 8 bits whose pixel bits stop short of what the header promises.
    write_bmp(os.path.join(out, "short8.bmp"), 16, 16, 8,
              [bytes(16)] * 16, ramp(), cut=200)
    # Artwork: one solid colour each, so a painted frame can be checked by its
    # pixels. Index 1 of the palette is the colour.
    for name, colour in (("solid_red.bmp", (200, 30, 40)), ("solid_blue.bmp", (20, 40, 210))):
        palette = [(0, 0, 0), colour] + [(i, i, i) for i in range(2, 256)]
        write_bmp(os.path.join(out, name), 8, 8, 8, [bytes([1] * 8)] * 8, palette)
    # Artwork in several sizes, each its own colour, so a test sees which
    # size the page drew and how large.
    for name, colour, width, height in (("size_small.bmp", (200, 30, 40), 8, 8),
                                        ("size_fits.bmp", (30, 160, 60), 120, 200),
                                        ("size_large.bmp", (230, 200, 20), 300, 500),
                                        ("size_double.bmp", (20, 40, 210), 280, 454)):
        palette = [(0, 0, 0), colour] + [(i, i, i) for i in range(2, 256)]
        write_bmp(os.path.join(out, name), width, height, 8, [bytes([1] * width)] * height, palette)


if __name__ == "__main__":
    main()
