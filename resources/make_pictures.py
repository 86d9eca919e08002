#!/usr/bin/env python3
"""Draws the program's pictures from text art.

Each file in the art folder is one picture: NAME.bmp.txt becomes NAME.bmp and the bitmap
resource NAME (listed in pictures.rc), NAME.ico.txt becomes NAME.ico and, for a Linux desktop,
NAME-16.png, NAME-32.png, NAME-48.png and NAME-256.png. A file holds optional lines 'bits 4' or 'bits 8' (colour depth of a
bitmap, 4 by default), comment lines starting with '#', and then the rows of the picture,
one character a pixel, from the top row down. The characters name the sixteen standard
colours:

  k black   r maroon  g green   y olive   b navy    m purple  c teal    s silver
  d grey    R red     G lime    Y yellow  B blue    M fuchsia C aqua    w white

In a bitmap '.' is silver (the button face); in an icon '.' is transparent.
"""
import os
import struct
import sys
import zlib

PALETTE = [
    ("k", (0x00, 0x00, 0x00)), ("r", (0x80, 0x00, 0x00)), ("g", (0x00, 0x80, 0x00)),
    ("y", (0x80, 0x80, 0x00)), ("b", (0x00, 0x00, 0x80)), ("m", (0x80, 0x00, 0x80)),
    ("c", (0x00, 0x80, 0x80)), ("s", (0xC0, 0xC0, 0xC0)), ("d", (0x80, 0x80, 0x80)),
    ("R", (0xFF, 0x00, 0x00)), ("G", (0x00, 0xFF, 0x00)), ("Y", (0xFF, 0xFF, 0x00)),
    ("B", (0x00, 0x00, 0xFF)), ("M", (0xFF, 0x00, 0xFF)), ("C", (0x00, 0xFF, 0xFF)),
    ("w", (0xFF, 0xFF, 0xFF)),
]
INDEX = {ch: i for i, (ch, _) in enumerate(PALETTE)}
SILVER = INDEX["s"]


def read_art(path):
    bits, rows = 4, []
    with open(path, encoding="ascii") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("bits "):
                bits = int(line.split()[1])
                continue
            rows.append(line)
    width = len(rows[0])
    for r in rows:
        if len(r) != width:
            sys.exit(f"{path}: rows differ in length")
        for ch in r:
            if ch != "." and ch not in INDEX:
                sys.exit(f"{path}: unknown colour '{ch}'")
    return bits, rows


def palette_bytes(count):
    out = bytearray()
    for i in range(count):
        r, g, b = PALETTE[i][1] if i < len(PALETTE) else (0, 0, 0)
        out += bytes((b, g, r, 0))
    return bytes(out)


def pixel_rows(rows, bits, transparent_index):
    """Bottom-up packed pixel rows, each padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        idx = [transparent_index if ch == "." else INDEX[ch] for ch in row]
        line = bytearray()
        if bits == 4:
            if len(idx) % 2:
                idx.append(0)
            for a, b in zip(idx[0::2], idx[1::2]):
                line.append((a << 4) | b)
        else:
            line += bytes(idx)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def mask_rows(rows):
    """AND mask of an icon: 1 where transparent, bottom-up, rows padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray((len(row) + 7) // 8)
        for x, ch in enumerate(row):
            if ch == ".":
                line[x // 8] |= 0x80 >> (x % 8)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def info_header(width, height, bits, image_size):
    colours = 1 << bits
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 2835, 2835, colours, 0)


def write_bmp(rows, bits, path):
    width, height = len(rows[0]), len(rows)
    pixels = pixel_rows(rows, bits, SILVER)
    pal = palette_bytes(1 << bits)
    offset = 14 + 40 + len(pal)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(info_header(width, height, bits, len(pixels)) + pal + pixels)


def write_ico(rows, path):
    width, height = len(rows[0]), len(rows)
    pixels = pixel_rows(rows, 4, 0)
    mask = mask_rows(rows)
    image = info_header(width, height * 2, 4, len(pixels) + len(mask)) + palette_bytes(16) + pixels + mask
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1))
        f.write(struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4, len(image), 6 + 16))
        f.write(image)


PNG_SIZES = (16, 32, 48, 256)


def rgba_rows(rows):
    """Colour and opacity of every pixel, '.' transparent."""
    return [[(0, 0, 0, 0) if ch == "." else PALETTE[INDEX[ch]][1] + (255,) for ch in row] for row in rows]


def scale(pixels, size):
    """The picture at size by size: each new pixel is the average of the part of the old picture
    it covers, weighted by opacity, so edges soften when made smaller and stay sharp when made
    larger by a whole factor."""
    height, width = len(pixels), len(pixels[0])
    out = []
    for y in range(size):
        y0, y1 = y * height / size, (y + 1) * height / size
        row = []
        for x in range(size):
            x0, x1 = x * width / size, (x + 1) * width / size
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(int(y0), min(height, int(-(-y1 // 1)))):
                wy = min(y1, sy + 1) - max(y0, sy)
                for sx in range(int(x0), min(width, int(-(-x1 // 1)))):
                    w = wy * (min(x1, sx + 1) - max(x0, sx))
                    r, g, b, a = pixels[sy][sx]
                    total[0] += r * a * w
                    total[1] += g * a * w
                    total[2] += b * a * w
                    total[3] += a * w
            area = (y1 - y0) * (x1 - x0)
            alpha = total[3]
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / alpha) for c in total[:3]) + (round(alpha / area),))
        out.append(row)
    return out


def write_png(pixels, path):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    raw = b"".join(b"\0" + bytes(c for px in row for c in px) for row in pixels)
    header = struct.pack(">IIBBBBB", len(pixels[0]), len(pixels), 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))


def main():
    art_dir, out_dir = sys.argv[1], sys.argv[2]
    os.makedirs(out_dir, exist_ok=True)
    bitmaps = []
    for name in sorted(os.listdir(art_dir)):
        src = os.path.join(art_dir, name)
        if name.endswith(".bmp.txt"):
            bits, rows = read_art(src)
            write_bmp(rows, bits, os.path.join(out_dir, name[:-4]))
            bitmaps.append(name[:-8])
        elif name.endswith(".ico.txt"):
            _, rows = read_art(src)
            write_ico(rows, os.path.join(out_dir, name[:-4]))
            for size in PNG_SIZES:
                write_png(scale(rgba_rows(rows), size), os.path.join(out_dir, f"{name[:-8]}-{size}.png"))
    # one BITMAP line per picture; the resource is named as its art file
    with open(os.path.join(out_dir, "pictures.rc"), "w", encoding="ascii") as f:
        for b in bitmaps:
            f.write(f'{b} BITMAP "{b}.bmp"\n')


if __name__ == "__main__":
    main()
