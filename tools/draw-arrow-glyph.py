#!/usr/bin/env python3
"""Draws the command links' arrow glyph: resources/images/btnarrow.bmp, a
16 x 16 bitmap of 16 colours with a green arrow pointing right. Its
bottom-left pixel holds the transparent colour (magenta). The result is
committed; run this only to change the drawing."""
import os
import struct

SIZE = 16
PALETTE = [  # (r, g, b); index 0 is the transparent colour
    (255, 0, 255),
    (0, 96, 16),     # outline
    (40, 170, 60),   # lower half
    (110, 215, 120), # upper half, lit
] + [(0, 0, 0)] * 12


def inside(x, y):
    cy = 7.5
    if 1 <= x <= 8 and 5 <= y <= 10:  # shaft
        return True
    half = abs(y - cy)
    return 8 <= x <= 14 - half and half <= 6.5  # head


def pixel(x, y):
    if not inside(x, y):
        return 0
    neighbours = [(x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)]
    if any(not (0 <= nx < SIZE and 0 <= ny < SIZE) or not inside(nx, ny) for nx, ny in neighbours):
        return 1
    return 3 if y < 7.5 else 2


def main():
    stride = 8  # 16 pixels of 4 bits, padded to 4 bytes
    rows = b""
    for y in reversed(range(SIZE)):  # bottom-up
        row = bytearray()
        for x in range(0, SIZE, 2):
            row.append(pixel(x, y) << 4 | pixel(x + 1, y))
        rows += bytes(row).ljust(stride, b"\0")
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(rows), 3780, 3780, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    out = os.path.join(os.path.dirname(__file__), "..", "resources", "images", "btnarrow.bmp")
    with open(out, "wb") as f:
        f.write(header + info + palette + rows)


if __name__ == "__main__":
    main()
