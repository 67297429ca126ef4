#!/usr/bin/env python3
"""Builds ZAM's pictures from the text pixel maps in assets/pictures/src.

Each map  assets/pictures/src/<name>.txt  becomes  assets/pictures/<name>.png,
and assets/pictures/pictures.qrc is rewritten to list every picture under the
resource prefix "/pictures" (so the game loads e.g. ":/pictures/logo.png").

Map format:

    # Comment lines (starting with '#') describe the picture.
    scale = 2            optional: every map character becomes a 2x2 block
    . = transparent      a palette entry with no colour
    k = #000000          palette entries: one character, '=', #RRGGBB,
    g = #20c040  # eyes  optionally followed by '# a note'

    ..kkgg..             after one blank line: the rows, top to bottom,
    ..kggk..             each exactly width/scale characters long

Any character but '#' and space can be a palette character.

Only the Python 3 standard library is used, and the output is byte-for-byte
the same on every run.

    python3 scripts/make_pictures.py                 build everything
    python3 scripts/make_pictures.py --check         fail if anything is stale
    python3 scripts/make_pictures.py --preview DIR   also write enlarged copies
"""

import argparse
import os
import re
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PICTURES_DIR = os.path.join(ROOT, "assets", "pictures")
SOURCE_DIR = os.path.join(PICTURES_DIR, "src")
QRC_NAME = "pictures.qrc"

# Every picture the game uses: name -> (width, height, most colours allowed).
# The game code places these at fixed positions, so a map of the wrong size is
# an error, not something to paper over.
PICTURES = {
    "piece_player": (30, 40, None),
    "piece_computer": (30, 40, None),
    "logo": (150, 70, None),
    "arrow_up": (16, 16, None),
    "arrow_down": (16, 16, None),
    "arrow_left": (16, 16, None),
    "arrow_right": (16, 16, None),
    "icon": (32, 32, None),
    "music_note": (16, 16, 16),
    "demo_crouch1": (37, 37, 16),
    "demo_crouch2": (43, 37, 16),
    "demo_stand": (42, 89, 16),
    "demo_raise": (58, 88, 16),
}

PALETTE_LINE = re.compile(
    r"^(\S)\s*=\s*(#[0-9A-Fa-f]{6}|transparent)\s*(?:#.*)?$")
SCALE_LINE = re.compile(r"^scale\s*=\s*([0-9]+)\s*$")


class MapError(Exception):
    """A problem in a map file, reported as 'file:line: message'."""

    def __init__(self, path, line, message):
        where = os.path.relpath(path, ROOT)
        if line is not None:
            where += ":%d" % line
        super().__init__("%s: %s" % (where, message))


def read_map(path, width, height):
    """Returns the picture in `path` as rows of (r, g, b, a) tuples."""
    with open(path, "r", encoding="utf-8") as f:
        lines = f.read().split("\n")
    # A final newline leaves one empty string behind; tolerate CRLF files.
    lines = [line.rstrip("\r") for line in lines]

    palette = {}
    scale = 1
    n = 0
    # Header: comments, palette entries and the optional scale, up to the
    # first blank line.
    while True:
        if n >= len(lines):
            raise MapError(path, None, "no blank line before the pixel rows")
        line = lines[n]
        n += 1
        if line.strip() == "":
            if palette:
                break
            continue  # blank lines among the leading comments
        if line.startswith("#"):
            continue
        m = SCALE_LINE.match(line)
        if m:
            scale = int(m.group(1))
            if scale < 1 or width % scale or height % scale:
                raise MapError(path, n, "scale %d does not divide %dx%d"
                               % (scale, width, height))
            continue
        m = PALETTE_LINE.match(line)
        if not m:
            raise MapError(path, n, "expected 'c = #RRGGBB', 'c = transparent',"
                           " 'scale = N' or a '#' comment, got %r" % line)
        char, value = m.group(1), m.group(2)
        if char in palette:
            raise MapError(path, n, "palette character %r defined twice" % char)
        if value == "transparent":
            palette[char] = (0, 0, 0, 0)
        else:
            palette[char] = (int(value[1:3], 16), int(value[3:5], 16),
                             int(value[5:7], 16), 255)

    map_width, map_height = width // scale, height // scale
    rows = []
    first_row_line = n + 1
    for i in range(map_height):
        line_no = n + 1
        if n >= len(lines) or (lines[n] == "" and n == len(lines) - 1):
            raise MapError(path, line_no, "picture ends after %d rows, %d expected"
                           % (i, map_height))
        line = lines[n]
        n += 1
        if len(line) != map_width:
            raise MapError(path, line_no, "row is %d characters long, %d expected"
                           % (len(line), map_width))
        row = []
        for col, char in enumerate(line):
            if char not in palette:
                raise MapError(path, line_no, "column %d: %r is not in the palette"
                               % (col + 1, char))
            row.extend([palette[char]] * scale)
        rows.extend([row] * scale)
    for rest in range(n, len(lines)):
        if lines[rest].strip() != "":
            raise MapError(path, rest + 1, "more than %d rows (rows start at line %d)"
                           % (map_height, first_row_line))
    return rows


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def encode_png(rows):
    """Encodes rows of RGBA tuples as an 8-bit RGB or RGBA PNG, no interlace."""
    height, width = len(rows), len(rows[0])
    opaque = all(p[3] == 255 for row in rows for p in row)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type: none
        for r, g, b, a in row:
            raw.extend((r, g, b) if opaque else (r, g, b, a))
    colour_type = 2 if opaque else 6
    header = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))


def enlarge(rows, factor):
    out = []
    for row in rows:
        wide = [p for p in row for _ in range(factor)]
        out.extend([wide] * factor)
    return out


# The launcher icon at the sizes desktops look for, scaled from the window icon by
# whole source pixels (nearest neighbour), so the pixel art stays sharp.
ICON_SIZES = (16, 32, 48, 64, 128, 256)
ICON_THEME_DIR = os.path.join(ROOT, "assets", "icons", "hicolor")


def resample(rows, size):
    height, width = len(rows), len(rows[0])
    return [[rows[y * height // size][x * width // size] for x in range(size)] for y in range(size)]


def make_qrc(names):
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">',
             '<qresource prefix="/pictures">']
    for name in names:
        lines.append('    <file alias="%s.png">%s.png</file>' % (name, name))
    lines += ['</qresource>', '</RCC>', '']
    return "\n".join(lines).encode("utf-8")


def build():
    """Returns {output path: bytes} for every picture and the resource file."""
    if not os.path.isdir(SOURCE_DIR):
        raise MapError(SOURCE_DIR, None, "folder of pixel maps is missing")
    found = sorted(f[:-4] for f in os.listdir(SOURCE_DIR) if f.endswith(".txt"))
    unknown = [name for name in found if name not in PICTURES]
    if unknown:
        raise MapError(SOURCE_DIR, None, "maps with no entry in the size table: "
                       + ", ".join(n + ".txt" for n in unknown))
    missing = [name for name in sorted(PICTURES) if name not in found]
    if missing:
        raise MapError(SOURCE_DIR, None, "missing maps: "
                       + ", ".join(n + ".txt" for n in missing))

    outputs = {}
    images = {}
    for name in sorted(PICTURES):
        width, height, max_colours = PICTURES[name]
        path = os.path.join(SOURCE_DIR, name + ".txt")
        rows = read_map(path, width, height)
        if max_colours is not None:
            used = {p for row in rows for p in row}
            if len(used) > max_colours:
                raise MapError(path, None, "uses %d colours, at most %d allowed"
                               % (len(used), max_colours))
        images[name] = rows
        outputs[os.path.join(PICTURES_DIR, name + ".png")] = encode_png(rows)
    outputs[os.path.join(PICTURES_DIR, QRC_NAME)] = make_qrc(sorted(PICTURES))
    for size in ICON_SIZES:
        folder = os.path.join(ICON_THEME_DIR, "%dx%d" % (size, size), "apps")
        outputs[os.path.join(folder, "zam.png")] = encode_png(resample(images["icon"], size))
    return outputs, images


def main():
    parser = argparse.ArgumentParser(description="Build ZAM's pictures from text pixel maps.")
    parser.add_argument("--check", action="store_true",
                        help="write nothing; fail if any output is missing or out of date")
    parser.add_argument("--preview", metavar="DIR",
                        help="also write enlarged copies of every picture into DIR")
    parser.add_argument("--preview-scale", metavar="N", type=int, default=8,
                        help="enlargement for --preview (default 8)")
    args = parser.parse_args()

    try:
        outputs, images = build()
    except MapError as e:
        print("make_pictures: error: %s" % e, file=sys.stderr)
        return 1

    stale = []
    for path, data in sorted(outputs.items()):
        try:
            with open(path, "rb") as f:
                current = f.read()
        except FileNotFoundError:
            current = None
        if current == data:
            continue
        stale.append(os.path.relpath(path, ROOT))
        if not args.check:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)

    if args.check:
        if stale:
            print("make_pictures: out of date: " + ", ".join(stale), file=sys.stderr)
            return 1
        print("make_pictures: %d files up to date" % len(outputs))
    else:
        print("make_pictures: %d files, %d rewritten" % (len(outputs), len(stale)))

    if args.preview:
        if args.preview_scale < 1:
            parser.error("--preview-scale must be at least 1")
        os.makedirs(args.preview, exist_ok=True)
        for name, rows in images.items():
            with open(os.path.join(args.preview, name + ".png"), "wb") as f:
                f.write(encode_png(enlarge(rows, args.preview_scale)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
