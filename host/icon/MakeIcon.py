#!/usr/bin/env python3
"""Turns a 32 x 32 text picture into a 16-colour .ico with a transparency mask.

    MakeIcon.py PICTURE.txt OUTPUT.ico

One character per pixel, top row first; lines beginning with '#' are comments. The
colours are the 16 of the standard Windows palette, so the icon looks the same on
every display depth the platform supports.
"""
import struct
import sys

SIZE = 32

# (character, (red, green, blue)) in palette order; '.' is transparent.
PALETTE = [
    ("K", (0x00, 0x00, 0x00)), ("r", (0x80, 0x00, 0x00)),
    ("g", (0x00, 0x80, 0x00)), ("y", (0x80, 0x80, 0x00)),
    ("b", (0x00, 0x00, 0x80)), ("m", (0x80, 0x00, 0x80)),
    ("c", (0x00, 0x80, 0x80)), ("s", (0xC0, 0xC0, 0xC0)),
    ("d", (0x80, 0x80, 0x80)), ("R", (0xFF, 0x00, 0x00)),
    ("G", (0x00, 0xFF, 0x00)), ("Y", (0xFF, 0xFF, 0x00)),
    ("B", (0x00, 0x00, 0xFF)), ("M", (0xFF, 0x00, 0xFF)),
    ("C", (0x00, 0xFF, 0xFF)), ("W", (0xFF, 0xFF, 0xFF)),
]
TRANSPARENT = "."


def ReadPicture(path):
    with open(path, encoding="ascii") as file:
        rows = [line.rstrip("\r\n") for line in file if not line.startswith("#")]
    rows = [row for row in rows if row != ""]
    if len(rows) != SIZE or any(len(row) != SIZE for row in rows):
        sys.exit(f"{path}: the picture must be {SIZE} rows of {SIZE} characters")
    known = {character for character, _ in PALETTE} | {TRANSPARENT}
    for number, row in enumerate(rows, 1):
        for character in row:
            if character not in known:
                sys.exit(f"{path}: picture row {number}: unknown colour '{character}'")
    return rows


def MakeImage(rows):
    """The icon image as the platform stores it: a DIB of double height (colour
    bits, then the AND mask), both bottom-up, each row padded to 4 bytes."""
    index = {character: number for number, (character, _) in enumerate(PALETTE)}
    colourBits = bytearray()
    maskBits = bytearray()
    for row in reversed(rows):
        for x in range(0, SIZE, 2):
            high = index.get(row[x], 0)
            low = index.get(row[x + 1], 0)
            colourBits.append(high << 4 | low)
        mask = 0
        for character in row:
            mask = mask << 1 | (character == TRANSPARENT)
        maskBits += mask.to_bytes(SIZE // 8, "big")
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(colourBits) + len(maskBits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", blue, green, red, 0)
                       for _, (red, green, blue) in PALETTE)
    return header + palette + bytes(colourBits) + bytes(maskBits)


def MakeIcon(image):
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image),
                        len(directory) + 16)
    return directory + entry + image


def Main():
    if len(sys.argv) != 3:
        sys.exit("usage: MakeIcon.py PICTURE.txt OUTPUT.ico")
    icon = MakeIcon(MakeImage(ReadPicture(sys.argv[1])))
    with open(sys.argv[2], "wb") as file:
        file.write(icon)


if __name__ == "__main__":
    Main()
