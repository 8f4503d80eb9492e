#!/usr/bin/python3
"""Makes Ramilux.ttf, the display font of the listing view, from DejaVu Sans Mono.

The view stores the connector bytes 0xC3, 0xC0, 0xB3, 0xC4 as the Windows-1252
characters U+00C3, U+00C0, U+00B3, U+00C4, so this font draws the box-drawing
glyphs of U+251C, U+2514, U+2502, U+2500 there; every other character keeps its
DejaVu glyph. Also writes the font's licence text beside it.

Needs Debian's fontTools: run with /usr/bin/python3.
  make-font.py --source DejaVuSansMono.ttf --copyright copyright \
      --font out/Ramilux.ttf --license out/Ramilux-LICENSE.txt
"""

import argparse
import sys

from fontTools.ttLib import TTFont

FAMILY = "Ramilux"

# Windows-1252 character of each connector byte -> the box-drawing character it shows.
CONNECTORS = {
    "\u00c3": "\u251c",  # byte 0xC3, branch
    "\u00c0": "\u2514",  # byte 0xC0, corner
    "\u00b3": "\u2502",  # byte 0xB3, vertical bar
    "\u00c4": "\u2500",  # byte 0xC4, horizontal bar
}

# Name records that carry the family name: family, unique id, full name, PostScript
# name, typographic family. The licence forbids the original names on a modified font.
FAMILY_NAME_IDS = (1, 3, 4, 6, 16)

LICENSE_HEADER = """\
Ramilux.ttf is a modified copy of DejaVu Sans Mono (Debian package fonts-dejavu-core),
renamed as its licence requires. Changes: the family name is "Ramilux", and the
characters U+00C3, U+00C0, U+00B3 and U+00C4 show the box-drawing glyphs of U+251C,
U+2514, U+2502 and U+2500. The licence of the original fonts follows.

"""


def remap_connectors(font):
    """Points the connector characters at the box-drawing glyphs in every subtable."""
    unicode_map = font.getBestCmap()
    glyphs = {ch: unicode_map[ord(box)] for ch, box in CONNECTORS.items()}
    for table in font["cmap"].tables:
        if table.isUnicode():
            for ch, glyph in glyphs.items():
                table.cmap[ord(ch)] = glyph
        elif table.platformID == 1 and table.platEncID == 0:
            remap_byte_table(table, glyphs, "mac_roman")
        elif table.platformID == 3 and table.platEncID == 0:
            pass  # a symbol table has no Latin 1 characters to remap
        else:
            sys.exit(f"make-font: unexpected cmap subtable {table.platformID}/{table.platEncID}")


def remap_byte_table(table, glyphs, codec):
    """In a single-byte subtable, remaps the byte that encodes each connector character."""
    for ch, glyph in glyphs.items():
        try:
            code = ch.encode(codec)[0]
        except UnicodeEncodeError:
            continue  # e.g. U+00B3 has no Mac Roman byte
        if code in table.cmap:
            table.cmap[code] = glyph


def rename(font):
    """Gives every family-naming record the name Ramilux, on every platform present."""
    name_table = font["name"]
    records = [(r.platformID, r.platEncID, r.langID) for r in name_table.names if r.nameID == 1]
    for platform, encoding, lang in records:
        for name_id in FAMILY_NAME_IDS:
            name_table.setName(FAMILY, name_id, platform, encoding, lang)


def ensure_latin1(font):
    """GDI picks a face for ANSI_CHARSET only if its code page ranges include Latin 1."""
    os2 = font["OS/2"]
    os2.ulCodePageRange1 |= 1  # bit 0: code page 1252
    os2.ulCodePageRange1 &= ~(1 << 31)  # bit 31 would make it a symbol font


def license_text(copyright_path):
    """The header and the licence stanza for the font files from Debian's copyright file."""
    with open(copyright_path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = lines.index("Files: *")
    stanza = []
    for line in lines[start:]:
        if not line.strip():
            break
        if line.startswith(" "):
            line = "" if line.strip() == "." else line[1:]
        stanza.append(line.rstrip())
    return LICENSE_HEADER + "\n".join(stanza) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True)
    parser.add_argument("--copyright", required=True)
    parser.add_argument("--font", required=True)
    parser.add_argument("--license", required=True)
    args = parser.parse_args()

    # The source's own timestamps keep the output identical from build to build.
    font = TTFont(args.source, recalcTimestamp=False)
    remap_connectors(font)
    rename(font)
    ensure_latin1(font)
    font.save(args.font)

    with open(args.license, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(license_text(args.copyright))


if __name__ == "__main__":
    main()
