#!/usr/bin/env python3
"""peversion.py FILE [NEW_VERSION]: prints the file version of a program's version record
(its fixed part, VS_FIXEDFILEINFO); with NEW_VERSION (a.b.c.d), writes it as both the file
and the product version first."""
import struct
import sys

SIGNATURE = struct.pack("<I", 0xFEEF04BD)
# The record's key, before its fixed part: the signature alone may also be a constant in code.
KEY = "VS_VERSION_INFO\0".encode("utf-16-le")


def fixed_info_offset(data):
    key = data.find(KEY)
    at = data.find(SIGNATURE, key) if key >= 0 else -1
    while at >= 0 and at % 4:
        at = data.find(SIGNATURE, at + 1)
    if at < 0:
        sys.exit(f"{sys.argv[1]}: no version record")
    return at


def main():
    path = sys.argv[1]
    with open(path, "rb") as f:
        data = bytearray(f.read())
    at = fixed_info_offset(data)
    if len(sys.argv) > 2:
        a, b, c, d = (int(part) for part in sys.argv[2].split("."))
        struct.pack_into("<4I", data, at + 8, a << 16 | b, c << 16 | d, a << 16 | b, c << 16 | d)
        with open(path, "wb") as f:
            f.write(data)
    ms, ls = struct.unpack_from("<2I", data, at + 8)
    print(f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")


main()
