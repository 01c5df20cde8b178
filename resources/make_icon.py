#!/usr/bin/env python3
"""Draws quillo.ico: a key cap carrying a "q" whose stem is a quill, in 32x32 and 16x16, 16 colours.

Run from anywhere: python3 resources/make_icon.py [OUTPUT]; the default output is quillo.ico beside this file.
Standard library only, so the icon can be rebuilt on any machine.
"""
import struct
import sys
from pathlib import Path

# The 16-colour palette every Windows display knows (RGB).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# Letters used in the pictures below; "." is transparent.
INK = {"K": 0, "M": 1, "O": 3, "N": 4, "T": 6, "S": 7, "G": 8, "R": 9, "Y": 11, "B": 12, "A": 14, "W": 15}

# 32x32: black outline, grey skirt, silver top face with a white upper-left rim; a navy "q" whose stem
# ends in a black nib and continues upward into a teal feather that leaves the key at the upper right.
ICON_32 = """
..........................TTT...
.........................TAATT..
........................TAWAAT..
.......................TAWAATT..
......................TAWAATT...
..KKKKKKKKKKKKKKKKKKKTAWAATKKK..
.KGGGGGGGGGGGGGGGGGGTAWAATGGGGK.
.KGWWWWWWWWWWWWWWWWTAWAATWWWSGK.
.KGWSSSSSSSSSSSSSSTAWAATSSSSSGK.
.KGWSSSSSSSSSSSSSTAWAATSSSSSSGK.
.KGWSSSSSSNNNNNSTAWAATSSSSSSSGK.
.KGWSSSSSNNNNNNNNWAATNSSSSSSSGK.
.KGWSSSSNNNSSSSNNNWTNNSSSSSSSGK.
.KGWSSSNNNSSSSSSNNNNNSSSSSSSSGK.
.KGWSSSNNSSSSSSSSNNNNSSSSSSSSGK.
.KGWSSNNNSSSSSSSSSNNNSSSSSSSSGK.
.KGWSSNNNSSSSSSSSSNNNSSSSSSSSGK.
.KGWSSNNNSSSSSSSSSNNNSSSSSSSSGK.
.KGWSSNNNSSSSSSSSSNNNSSSSSSSSGK.
.KGWSSSNNSSSSSSSSNNNNSSSSSSSSGK.
.KGWSSSNNNSSSSSSNNNNNSSSSSSSSGK.
.KGWSSSSNNNSSSSNNNNNNSSSSSSSSGK.
.KGWSSSSSNNNNNNNNSNNNSSSSSSSSGK.
.KGWSSSSSSNNNNNSSSNNNSSSSSSSSGK.
.KGWSSSSSSSSSSSSSSNNNSSSSSSSSGK.
.KGWSSSSSSSSSSSSSSKNKSSSSSSSSGK.
.KGWSSSSSSSSSSSSSSSKSSSSSSSSSGK.
.KGGGGGGGGGGGGGGGGGGGGGGGGGGGGK.
.KGGGGGGGGGGGGGGGGGGGGGGGGGGGGK.
.KKGGGGGGGGGGGGGGGGGGGGGGGGGGKK.
..KKKKKKKKKKKKKKKKKKKKKKKKKKKK..
................................
"""

ICON_16 = """
.............TT.
............TAAT
...........TAWT.
.KKKKKKKKKTAWTK.
KGWWWWWWWTAWTWGK
KGWSSNNNTAWNSSGK
KGWSNNSSNWNNSSGK
KGWSNSSSSNNNSSGK
KGWSNSSSSSNNSSGK
KGWSNNSSSNNNSSGK
KGWSSNNNNSNNSSGK
KGWSSSSSSSNNSSGK
KGWSSSSSSKNKSSGK
KGGGGGGGGGKGGGGK
KKGGGGGGGGGGGGKK
.KKKKKKKKKKKKKK.
"""


def parse(picture, size):
    rows = [line for line in picture.strip("\n").split("\n")]
    if len(rows) != size or any(len(r) != size for r in rows):
        raise SystemExit(f"picture of size {size} is {len(rows)} rows of {[len(r) for r in rows]}")
    for r in rows:
        for ch in r:
            if ch != "." and ch not in INK:
                raise SystemExit(f"unknown colour letter {ch!r}")
    return rows


def row_bytes(bits_per_pixel, width):
    return ((width * bits_per_pixel + 31) // 32) * 4


def image_entry(rows):
    """A BITMAPINFOHEADER, the palette, the 4-bit colour bits and the 1-bit mask, rows bottom-up."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(row_bytes(4, size))
        bits = bytearray(row_bytes(1, size))
        for x, ch in enumerate(row):
            index = 0 if ch == "." else INK[ch]
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if ch == ".":
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(pictures):
    images = [image_entry(rows) for rows in pictures]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, data in zip(pictures, images):
        size = len(rows)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("quillo.ico")
    target.write_bytes(icon_file([parse(ICON_32, 32), parse(ICON_16, 16)]))


if __name__ == "__main__":
    main()
