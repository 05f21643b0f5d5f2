#!/usr/bin/env python3
"""Writes a Windows .ico whose every entry is a PNG picture, from PNG files
(one per size). Windows (from Vista) and Wine read PNG entries of any size;
they take a fraction of the room of 32-bit bitmaps with alpha, and the
program embeds six icons of eight or nine sizes each.

usage: tools/png-icon.py OUT.ico IN.png...
"""
import struct
import sys


def png_size(data, name):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        sys.exit(f"{name}: not a PNG file")
    width, height = struct.unpack(">II", data[16:24])
    if not (1 <= width <= 256 and 1 <= height <= 256):
        sys.exit(f"{name}: {width}x{height} is not an icon size")
    return width, height


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    out, names = sys.argv[1], sys.argv[2:]
    pictures = []
    for name in names:
        with open(name, "rb") as f:
            data = f.read()
        pictures.append((png_size(data, name), data))
    pictures.sort(key=lambda p: p[0])  # smallest first, as icon editors write them
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    directory, body = b"", b""
    for (width, height), data in pictures:
        # 256 is written as 0; planes 1, 32 bits per pixel.
        directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        body += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + directory + body)


if __name__ == "__main__":
    main()
