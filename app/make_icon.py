#!/usr/bin/env python3
"""Draws the program's icon and writes it as an ICO file.

    make_icon.py <output file>

A fax printer with a sheet coming out, 32-bit colour with alpha, in every
size Windows asks for at 100 to 200 per cent: small icons (16 to 32), large
ones (32 to 64) and the 256-pixel one of Explorer's big views. Standard library only; the output is the same on every run.
"""
import struct
import sys


def clamp(v):
    return max(0.0, min(1.0, v))


def coverage_rect(x, y, x0, y0, x1, y1):
    # Share of the pixel (x, y)-(x+1, y+1) that the rectangle covers.
    w = clamp(min(x + 1, x1) - max(x, x0))
    h = clamp(min(y + 1, y1) - max(y, y0))
    return w * h


# Shapes in a 32-unit square, back to front: (rectangle, colour).
SHAPES = [
    ((9, 3, 23, 13), (250, 250, 250)),     # sheet fed in at the back
    ((4, 11, 28, 25), (52, 84, 122)),      # body
    ((4, 11, 28, 13), (84, 122, 168)),     # top edge light
    ((6, 20, 26, 22), (22, 36, 56)),       # paper slot
    ((8, 21, 24, 30), (255, 255, 255)),    # sheet coming out
    ((10, 24, 22, 25), (120, 130, 145)),   # printed lines
    ((10, 27, 19, 28), (120, 130, 145)),
    ((21, 14, 26, 17), (96, 200, 120)),    # ready light panel
    ((6, 14, 17, 17), (190, 205, 225)),    # display
]


def draw(size):
    scale = 32.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = 0.0
            a = 0.0
            for rect, colour in SHAPES:
                # The shape in this size's pixels.
                c = coverage_rect(px, py, *(v / scale for v in rect))
                if c <= 0:
                    continue
                r = r * (1 - c) + colour[0] * c
                g = g * (1 - c) + colour[1] * c
                b = b * (1 - c) + colour[2] * c
                a = a * (1 - c) + 255 * c
            row.append((int(round(b)), int(round(g)), int(round(r)), int(round(a))))
        pixels.append(row)
    return pixels


def icon_image(size):
    pixels = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b''.join(bytes(p) for row in reversed(pixels) for p in row)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha decides; the mask stays clear
    return header + xor + and_mask


SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    images = [(size, icon_image(size)) for size in SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        # 0 stands for 256 in the directory's byte-wide sizes.
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
