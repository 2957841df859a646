#!/usr/bin/env python3
"""Converts the largest image of a Windows icon (.ico, BMP images of 1, 4, 8,
24 or 32 bits per pixel with their AND mask) to an RGBA PNG, transparent where
the icon is: ico2png.py in.ico out.png"""
import struct
import sys
import zlib


def read_ico(data):
    """Width, height and top-down rows of (r, g, b, a) of the largest image."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1 or count < 1:
        raise ValueError("not an icon")
    entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
    entry = max(entries, key=lambda e: (e[0] or 256, e[5]))
    offset = entry[7]
    hsize, w, h2, _, bpp = struct.unpack_from("<IiiHH", data, offset)
    if data[offset:offset + 4] == b"\x89PNG":
        raise ValueError("PNG images inside icons are not read here")
    h = h2 // 2
    colours = struct.unpack_from("<I", data, offset + 32)[0] or (1 << bpp if bpp <= 8 else 0)
    palette_at = offset + hsize
    palette = [struct.unpack_from("<BBB", data, palette_at + 4 * i)[::-1] for i in range(colours)]
    pixels_at = palette_at + 4 * colours
    stride = (w * bpp + 31) // 32 * 4
    mask_at = pixels_at + stride * h
    mask_stride = (w + 31) // 32 * 4

    rows = []
    for y in reversed(range(h)):  # the bitmap is stored bottom-up
        row = data[pixels_at + y * stride:pixels_at + (y + 1) * stride]
        mask = data[mask_at + y * mask_stride:mask_at + (y + 1) * mask_stride]
        out = []
        for x in range(w):
            if bpp <= 8:
                bit = x * bpp
                index = row[bit // 8] >> (8 - bpp - bit % 8) & ((1 << bpp) - 1)
                r, g, b = palette[index]
                a = 255
            else:
                b, g, r = row[x * bpp // 8:x * bpp // 8 + 3]
                a = row[x * 4 + 3] if bpp == 32 else 255
            if mask[x // 8] >> (7 - x % 8) & 1:
                a = 0
            out.append((r, g, b, a))
        rows.append(out)
    return w, h, rows


def png_bytes(width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as f:
        width, height, rows = read_ico(f.read())
    with open(sys.argv[2], "wb") as f:
        f.write(png_bytes(width, height, rows))


if __name__ == "__main__":
    main()
