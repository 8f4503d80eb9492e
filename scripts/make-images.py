#!/usr/bin/env python3
"""Draws the button glyphs, menu images and program icon of Ramilux into app/res.

Each picture is pixel art below, one letter per pixel in the 16-colour palette of the
window system. The images are 16x16 4-bit BI_RGB bitmaps, bottom-up; the icon holds
16x16 and 32x32 4-bit images with a transparency mask.

Background: every picture's background is '.', magenta (255, 0, 255), a colour no
picture uses otherwise; it is also the bottom-left pixel of every bitmap, so either
convention (a fixed key colour or the bottom-left pixel) makes it transparent.
  make-images.py [output folder, default app/res beside this script]
"""

import os
import struct
import sys

# The standard 16-colour VGA palette, in the window system's order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Pixel letters: dark colours in lower case, bright ones in upper case.
INK = {
    "k": 0,   # black
    "r": 1,   # dark red
    "g": 2,   # dark green
    "o": 3,   # olive
    "n": 4,   # navy
    "p": 5,   # purple
    "t": 6,   # teal
    "s": 7,   # silver
    "d": 8,   # dark grey
    "R": 9,   # red
    "G": 10,  # green
    "Y": 11,  # yellow
    "B": 12,  # blue
    ".": 13,  # magenta: the background, used for nothing else
    "C": 14,  # cyan
    "W": 15,  # white
}
BACKGROUND = INK["."]

IMAGES = {}

# SbnSelectDirectory: an open yellow folder.
IMAGES["folder.bmp"] = """
................
................
.kkkk...........
kYWYWk..........
kWYYYYkkkkkkk...
kYYYYYYYYYYYWk..
kYYYYYYYYYYYYk..
kYYYkkkkkkkkkkkk
kYYkYYYYYYYYYYYk
kYYkYYYYYYYYYYok
kYkYYYYYYYYYYYk.
kYkYYYYYYYYYYok.
kkYYYYYYYYYYYk..
kkYYYYYYYYYYok..
kkkkkkkkkkkkk...
................
"""

# SbnPrint: a printer with a sheet in and a sheet out.
IMAGES["printer.bmp"] = """
................
....kkkkkkkkk...
....kWWWWWWWk...
....kWdddddWk...
....kWWWWWWWk...
..kkkkkkkkkkkkk.
.kWsssssssssssdk
.kssssssssssGsdk
.kssssssssssssdk
.kddddddddddddkk
.kkkkkkkkkkkkkk.
...kWWWWWWWWk...
...kWddddddWk...
...kWWWWWWWWk...
...kkkkkkkkkk...
................
"""

# SbnRefresh: two green arrows chasing each other round a circle.
IMAGES["refresh.bmp"] = """
................
.....gggggg.....
...ggGGGGGGgg...
..gGGggggggGGg..
.gGgg......ggGg.
.ggg........gGg.
...........gGGGg
..g.........gGg.
.gGg.........g..
gGGGg...........
.gGg........ggg.
.gGgg......ggGg.
..gGGggggggGGg..
...ggGGGGGGgg...
.....gggggg.....
................
"""

# SbnStop: a red octagonal stop sign with a white rim.
IMAGES["stop.bmp"] = """
................
.....rrrrrr.....
....rWWWWWWr....
...rWRRRRRRWr...
..rWRRRRRRRRWr..
.rWRRRRRRRRRRWr.
.rWRRRWWWWRRRWr.
.rWRRRWWWWRRRWr.
.rWRRRWWWWRRRWr.
.rWRRRWWWWRRRWr.
.rWRRRRRRRRRRWr.
..rWRRRRRRRRWr..
...rWRRRRRRWr...
....rWWWWWWr....
.....rrrrrr.....
................
"""

# SbnFont: a serif capital A.
IMAGES["font.bmp"] = """
................
.......nn.......
.......nn.......
......nnnn......
......nnnn......
.....nn.nnn.....
.....nn.nnn.....
....nn...nnn....
....nn...nnn....
...nnnnnnnnnn...
...nn.....nnn...
..nn.......nnn..
..nn.......nnn..
.nnnn.....nnnnn.
................
................
"""

# PopMnuSaveRtf: a page with lines of text in colours.
IMAGES["rtf.bmp"] = """
................
..kkkkkkkkk.....
..kWWWWWWWkk....
..kWRRRRWWkWk...
..kWWWWWWWkkkk..
..kWnnnnnnWWdk..
..kWWWWWWWWWdk..
..kWgggggggWdk..
..kWWWWWWWWWdk..
..kWnnnnnnnWdk..
..kWWWWWWWWWdk..
..kWRRRRnnnWdk..
..kWWWWWWWWWdk..
..kWWWWWWWWWdk..
..kddddddddddk..
..kkkkkkkkkkkk..
"""

# PopMnuSaveTxt: a page with plain grey lines.
IMAGES["txt.bmp"] = """
................
..kkkkkkkkk.....
..kWWWWWWWkk....
..kWkkkkWWkWk...
..kWWWWWWWkkkk..
..kWdddddddWdk..
..kWWWWWWWWWdk..
..kWddddddWWdk..
..kWWWWWWWWWdk..
..kWdddddddWdk..
..kWWWWWWWWWdk..
..kWdddddWWWdk..
..kWWWWWWWWWdk..
..kWWWWWWWWWdk..
..kddddddddddk..
..kkkkkkkkkkkk..
"""

# PopMnuAbout: a white "i" in a blue disc.
IMAGES["about.bmp"] = """
................
.....nnnnnn.....
...nnBBBBBBnn...
..nBBBBWWBBBBn..
..nBBBBWWBBBBn..
.nBBBBBBBBBBBBn.
.nBBBBWWWBBBBBn.
.nBBBBBWWBBBBBn.
.nBBBBBWWBBBBBn.
.nBBBBBWWBBBBBn.
.nBBBBBWWBBBBBn.
..nBBBWWWWBBBn..
..nBBBBBBBBBBn..
...nnBBBBBBnn...
.....nnnnnn.....
................
"""

# The program icon: a folder with two sub-folders hanging from a tree line.
ICON_16 = """
................
.kkkk...........
kYWYWkkkkk......
kYYYYYYYYk......
kYYYYYYYok......
kkkkkkkkkk......
..k.............
..k....kkk......
..k...kYWYkkkkk.
..kkkkkYYYYYYok.
..k...kkkkkkkkk.
..k.............
..k....kkk......
..k...kYWYkkkkk.
..kkkkkYYYYYYok.
......kkkkkkkkk.
"""

ICON_32 = """
................................
................................
..kkkkkkk.......................
.kYWYWYWYkkkkkkkkkkkkk..........
.kWYYYYYYYYYYYYYYYYYYok.........
.kYYYYYYYYYYYYYYYYYYYok.........
.kYYYYYYYYYYYYYYYYYYYok.........
.kYYYYYYYYYYYYYYYYYYYok.........
.kYYYYYYYYYYYYYYYYYYYok.........
.kooooooooooooooooooook.........
..kkkkkkkkkkkkkkkkkkkk..........
.....kk.........................
.....kk.........................
.....kk......kkkkk..............
.....kk.....kYWYWYkkkkkkkkkkk...
.....kk.....kWYYYYYYYYYYYYYYok..
.....kk.....kYYYYYYYYYYYYYYYok..
.....kkkkkkkkYYYYYYYYYYYYYYYok..
.....kkkkkkkkYYYYYYYYYYYYYYYok..
.....kk.....kooooooooooooooook..
.....kk......kkkkkkkkkkkkkkkk...
.....kk.........................
.....kk......kkkkk..............
.....kk.....kYWYWYkkkkkkkkkkk...
.....kk.....kWYYYYYYYYYYYYYYok..
.....kk.....kYYYYYYYYYYYYYYYok..
.....kkkkkkkkYYYYYYYYYYYYYYYok..
.....kkkkkkkkYYYYYYYYYYYYYYYok..
............kooooooooooooooook..
.............kkkkkkkkkkkkkkkk...
................................
................................
"""


def pixels(art):
    """The rows of a picture, top first, as palette indices; checks its shape."""
    rows = [line for line in art.strip("\n").split("\n")]
    width = len(rows[0])
    for row in rows:
        if len(row) != width:
            sys.exit(f"make-images: row {row!r} is not {width} pixels wide")
    return [[INK[ch] for ch in row] for row in rows]


def pack_4bit(row):
    """One row of 4-bit pixels, high nibble first, padded to a multiple of 4 bytes."""
    data = bytes((row[i] << 4) | (row[i + 1] if i + 1 < len(row) else 0)
                 for i in range(0, len(row), 2))
    return data + b"\0" * (-len(data) % 4)


def pack_mask(row):
    """One row of the icon's AND mask: 1 where the background shows through."""
    bits = bytearray((len(row) + 7) // 8)
    for x, index in enumerate(row):
        if index == BACKGROUND:
            bits[x // 8] |= 0x80 >> (x % 8)
    return bytes(bits) + b"\0" * (-len(bits) % 4)


def info_header(width, height, image_size):
    """BITMAPINFOHEADER of a 4-bit BI_RGB bitmap at 96 dpi, then the 16-colour table."""
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size,
                         3780, 3780, 16, 0)
    return header + b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)


def bmp_bytes(art):
    rows = pixels(art)
    bits = b"".join(pack_4bit(row) for row in reversed(rows))  # bottom-up
    info = info_header(len(rows[0]), len(rows), len(bits))
    offset = 14 + len(info)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + bits


def icon_image(art):
    """One icon image: header with the doubled height, colours, XOR bits and AND mask."""
    rows = pixels(art)
    opaque = [[0 if i == BACKGROUND else i for i in row] for row in rows]
    xor = b"".join(pack_4bit(row) for row in reversed(opaque))
    mask = b"".join(pack_mask(row) for row in reversed(rows))
    return len(rows[0]), info_header(len(rows[0]), 2 * len(rows), len(xor) + len(mask)) + xor + mask


def ico_bytes(arts):
    images = [icon_image(art) for art in arts]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "app", "res")
    os.makedirs(out, exist_ok=True)
    for name, art in IMAGES.items():
        rows = pixels(art)
        if len(rows) != 16 or len(rows[0]) != 16 or rows[-1][0] != BACKGROUND:
            sys.exit(f"make-images: {name} must be 16x16 with a background bottom-left pixel")
        with open(os.path.join(out, name), "wb") as f:
            f.write(bmp_bytes(art))
    with open(os.path.join(out, "ramilux.ico"), "wb") as f:
        f.write(ico_bytes([ICON_16, ICON_32]))


if __name__ == "__main__":
    main()
