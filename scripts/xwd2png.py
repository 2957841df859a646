#!/usr/bin/env python3
"""Converts an X window dump (xwd, 24/32-bit TrueColor, ZPixmap) to PNG,
optionally cropped: xwd2png.py in.xwd out.png [left top width height]."""
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, _, _, depth, width, height = fields[:6]
    byte_order, bpp, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    ncolors = fields[19]
    if depth < 24 or bpp not in (24, 32):
        raise SystemExit("only 24-bit TrueColor dumps are handled")
    step = bpp // 8
    pixels = data[header_size + 12 * ncolors:]

    def shift(mask):
        return (mask & -mask).bit_length() - 1

    rs, gs, bs = shift(red_mask), shift(green_mask), shift(blue_mask)
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        row = bytearray()
        for x in range(0, len(line), step):
            v = int.from_bytes(line[x:x + step], "little" if byte_order == 0 else "big")
            row += bytes(((v & red_mask) >> rs, (v & green_mask) >> gs, (v & blue_mask) >> bs))
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + r for r in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def main():
    width, height, rows = read_xwd(open(sys.argv[1], "rb").read())
    if len(sys.argv) == 7:
        left, top, w, h = (int(a) for a in sys.argv[3:7])
        rows = [r[3 * left:3 * (left + w)] for r in rows[top:top + h]]
        width, height = w, h
    write_png(sys.argv[2], width, height, rows)


if __name__ == "__main__":
    main()
