#!/usr/bin/env python3
"""Draws the program's icon (32x32 and 16x16, 16 colours) and the 123x325 24-bit side picture.

Run from the repository root; writes src/res/quellary.ico and src/res/image1.bmp. Standard library only,
so the pictures can be redrawn anywhere and the output is byte-for-byte reproducible.
"""
import math
import struct

# The standard 16-colour palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255),
    (255, 255, 255),
]
BLACK, DARK_RED, WHITE, RED, GREY, YELLOW = 0, 1, 15, 9, 8, 11


def icon_pixels(size):
    """A red stop disc with a white cross: the tasks being quelled. Returns rows top-down, None = transparent."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d > r:
                row.append(None)
            elif d > r - max(1.0, size / 16.0):
                row.append(DARK_RED)
            else:
                arm = size / 9.0
                on_cross = abs((x - c) - (y - c)) <= arm or abs((x - c) + (y - c)) <= arm
                inner = d < r - size / 6.0
                row.append(WHITE if on_cross and inner else RED)
        rows.append(row)
    return rows


def icon_image(size):
    rows = icon_pixels(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor = bytearray()
    and_mask = bytearray()
    for row in reversed(rows):  # bitmaps are stored bottom-up
        line = bytearray()
        for x in range(0, size, 2):
            hi = rows_value(row[x])
            lo = rows_value(row[x + 1])
            line.append((hi << 4) | lo)
        xor += line.ljust((len(line) + 3) // 4 * 4, b'\0')
        bits = 0
        mask = bytearray()
        for x, value in enumerate(row):
            bits = (bits << 1) | (1 if value is None else 0)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        and_mask += mask.ljust((len(mask) + 3) // 4 * 4, b'\0')
    return header + palette + bytes(xor) + bytes(and_mask)


def rows_value(v):
    return BLACK if v is None else v


def write_icon(path):
    images = [(32, icon_image(32)), (16, icon_image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def side_picture_pixel(x, y, w, h):
    """A dusk sky over hills with a setting sun: calm, since the program's job is to bring calm."""
    t = y / (h - 1)
    sky = (int(40 + 150 * t), int(30 + 70 * t), int(110 - 40 * t))
    sun_x, sun_y, sun_r = w * 0.5, h * 0.55, w * 0.28
    d = math.hypot(x - sun_x, y - sun_y)
    hill = h * 0.68 + math.sin(x / w * math.pi * 2.0) * h * 0.03
    if y > hill:
        k = (y - hill) / (h - hill)
        return (int(20 + 20 * k), int(70 - 30 * k), int(40 - 20 * k))
    if d < sun_r:
        return (255, int(200 - 80 * (d / sun_r)), 60)
    glow = max(0.0, 1.0 - (d - sun_r) / (w * 0.6))
    return tuple(min(255, int(c + g)) for c, g in zip(sky, (90 * glow, 50 * glow, 10 * glow)))


def write_side_picture(path, w=123, h=325):
    stride = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in reversed(range(h)):
        line = bytearray()
        for x in range(w):
            r, g, b = side_picture_pixel(x, y, w, h)
            line += bytes((b, g, r))
        pixels += line.ljust(stride, b'\0')
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(header + info + pixels)


if __name__ == '__main__':
    write_icon('src/res/quellary.ico')
    write_side_picture('src/res/image1.bmp')
