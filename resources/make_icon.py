#!/usr/bin/env python3
"""Writes zstartup.ico: one 32x32 image of 256 colours (icon group MAINICON).

The picture is a white play triangle on a blue disc with a dark rim: "start". Run it again
only to change the picture; the .ico it makes is committed.
"""
import struct
import sys
from pathlib import Path

SIZE = 32


def palette():
    # A 6x6x6 colour cube, then greys, then black up to 256 entries (B, G, R, 0 each).
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(v, v, v) for v in range(8, 248, 6)][: 256 - len(colours)]
    colours += [(0, 0, 0)] * (256 - len(colours))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)


def cube(r, g, b):
    return r * 36 + g * 6 + b


def pixel(x, y):
    """Palette index and transparency of the pixel at (x, y), y counted from the top."""
    cx = cy = (SIZE - 1) / 2
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    if d2 > 15.5 ** 2:
        return 0, True
    if d2 > 13.5 ** 2:
        return cube(0, 1, 2), False
    # Triangle pointing right, its points at (11, 8), (11, 23) and (24, 15.5).
    if x >= 11 and abs(y - 15.5) <= (24 - x) * 7.5 / 13:
        return cube(5, 5, 5), False
    return cube(0, 2, 5), False


def icon():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    # Bitmaps are stored bottom row first.
    xor = b"".join(bytes(index for index, _ in row) for row in reversed(rows))
    mask = b""
    for row in reversed(rows):
        bits = 0
        for transparent in (t for _, t in row):
            bits = (bits << 1) | int(transparent)
        mask += struct.pack(">I", bits)  # 32 bits: one row, already 4-byte aligned
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(xor) + len(mask), 0, 0, 256, 0)
    image = header + palette() + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("zstartup.ico")
    out.write_bytes(icon())
