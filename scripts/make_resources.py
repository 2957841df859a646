#!/usr/bin/env python3
"""Writes the program's resource files into app/res:

  MAINICON.ico          application icon, 32 x 32, 256 colours
  openfile.bmp          17 x 15, 24-bit "open file" button glyph
  dorimo.exe.manifest   application manifest

The output depends only on this script, so running it again gives the same
bytes. With --preview it also writes enlarged PNG pictures to /tmp.
"""
import math
import os
import struct
import sys
import xml.etree.ElementTree as ET
import zlib

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "app", "res")

# --------------------------------------------------------------------------
# Application icon: a clock face with a blue ring over a calendar page.

OUTLINE = (40, 44, 56)
FACE = (255, 255, 255)
RING = (40, 110, 200)
PAGE = (250, 250, 246)
HEADER = (210, 52, 46)
GRID = (150, 170, 200)
HAND = (30, 32, 40)
PIN = (210, 52, 46)


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, w):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx - x, ay + t * dy - y
    return px * px + py * py <= w * w / 4


def icon_colour(x, y):
    """Colour of the icon at point (x, y), or None where it is see-through."""
    colour = None
    # Calendar page, upper left.
    if in_round_rect(x, y, 1, 3, 23, 25, 2):
        colour = OUTLINE
        if in_round_rect(x, y, 2.2, 4.2, 21.8, 23.8, 1):
            colour = HEADER if y < 10 else PAGE
            if x >= 4 and 12 <= y < 23 and x % 4 < 2 and y % 4 < 2:
                colour = GRID
    # Binding rings on top of the page.
    for rx in (7, 17):
        if near_segment(x, y, rx, 1.6, rx, 6, 2.2):
            colour = OUTLINE
    # Clock, lower right, showing four o'clock.
    cx, cy, r = 20, 20, 11.6
    d = math.hypot(x - cx, y - cy)
    if d <= r:
        colour = OUTLINE
        if d <= r - 1.3:
            colour = RING
        if d <= r - 3.3:
            colour = OUTLINE
        if d <= r - 4.2:
            colour = FACE
            for k in range(12):
                a = k * math.pi / 6
                ux, uy = math.sin(a), -math.cos(a)
                if k % 3 == 0 and near_segment(x, y, cx + ux * 5.6, cy + uy * 5.6,
                                               cx + ux * 6.6, cy + uy * 6.6, 2):
                    colour = GRID
            if near_segment(x, y, cx, cy, cx, cy - 5.8, 2):
                colour = HAND
            a = 4 * math.pi / 6
            if near_segment(x, y, cx, cy, cx + 4 * math.sin(a), cy - 4 * math.cos(a), 2.4):
                colour = HAND
            if d <= 1.2:
                colour = PIN
    return colour


def render_icon(size=32, ss=6):
    """Returns rows (top first) of (r, g, b) or None, supersampled ss x ss."""
    rows = []
    n = ss * ss
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = icon_colour(px + (sx + 0.5) / ss, py + (sy + 0.5) / ss)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits * 2 < n:
                row.append(None)
            else:
                row.append(tuple(round(a / hits) for a in acc))
        rows.append(row)
    return rows


def quantise(rows):
    """Rounds colours until at most 255 remain; index 0 stays for transparency."""
    step = 1
    while True:
        def q(c):
            return tuple(min(255, round(v / step) * step) for v in c)
        colours = sorted({q(c) for row in rows for c in row if c is not None})
        if len(colours) <= 255:
            break
        step *= 2
    palette = [(0, 0, 0)] + colours
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i + 1 for i, c in enumerate(colours)}
    pixels = [[0 if c is None else index[q(c)] for c in row] for row in rows]
    return palette, pixels


def ico_bytes(rows):
    size = len(rows)
    palette, pixels = quantise(rows)
    xor = b"".join(bytes(pixels[y]) for y in reversed(range(size)))
    mask = bytearray()
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            bits = bits << 1 | (rows[y][x] is None)
        mask += bits.to_bytes(size // 8, "big")
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0,
                         len(xor) + len(mask), 0, 0, 256, 0)
    image = header + pal + xor + bytes(mask)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(image), 22)
    return struct.pack("<HHH", 0, 1, 1) + entry + image


def check_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    assert (reserved, kind, count) == (0, 1, 1), "one icon image"
    w, h, colours, _, planes, bpp, length, offset = struct.unpack_from("<BBBBHHII", data, 6)
    assert (w, h, bpp, planes) == (32, 32, 8, 1), "32 x 32, 8 bits per pixel"
    assert offset == 22 and offset + length == len(data)
    hsize, bw, bh, _, bbpp = struct.unpack_from("<IiiHH", data, offset)
    assert (hsize, bw, bh, bbpp) == (40, 32, 64, 8), "BITMAPINFOHEADER, image + mask"
    assert length == 40 + 256 * 4 + 32 * 32 + 32 * 4, "palette, pixels and AND mask"


# --------------------------------------------------------------------------
# Open-file glyph: an opened folder with a red arrow curving down into it.

GLYPH_COLOURS = {
    ".": (208, 208, 200),  # background, drawn transparent by the program
    "G": (128, 128, 128),
    "Y": (255, 255, 0),
    "W": (255, 255, 255),
    "O": (128, 128, 0),
    "K": (0, 0, 0),
    "R": (255, 0, 0),
}

OPENFILE = [
    "..........RRR....",
    ".........R...R...",
    "........R.....R..",
    "............RRRRR",
    ".............RRR.",
    ".GGGG.........R..",
    "GYWYWGGGGGGG.....",
    "GWYWYWYWYWYG.....",
    "GYWYWYWYWYWG.....",
    "GWYWKKKKKKKKKKKK.",
    "GYWKOOOOOOOOOOK..",
    "GWKOOOOOOOOOOK...",
    "GKOOOOOOOOOOK....",
    "KKKKKKKKKKKK.....",
    ".................",
]


def bmp_bytes(art):
    h, w = len(art), len(art[0])
    stride = (w * 3 + 3) & ~3
    body = bytearray()
    for line in reversed(art):
        row = b"".join(bytes(reversed(GLYPH_COLOURS[ch])) for ch in line)
        body += row + b"\0" * (stride - len(row))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 54)
    return head + info + bytes(body)


def check_bmp(data):
    magic, total, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    assert magic == b"BM" and total == len(data) and offset == 54
    hsize, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
    assert (hsize, w, h, planes, bpp, comp) == (40, 17, 15, 1, 24, 0), "17 x 15, 24 bpp"
    stride = (w * 3 + 3) & ~3
    assert stride % 4 == 0 and len(data) == 54 + stride * h, "rows padded to 4 bytes"
    b, g, r = data[54:57]  # first stored row is the bottom one
    assert (r, g, b) == (208, 208, 200), "bottom-left pixel is the background"


# --------------------------------------------------------------------------
# Manifest.

SUPPORTED_OS = [
    ("Windows 7", "35138b9a-5d96-4fbd-8e2d-a2440225f93a"),
    ("Windows 8", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38"),
    ("Windows 8.1", "1f676c76-80e1-4239-95bb-83d0f6d0da78"),
    ("Windows 10 and 11", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"),
]


def manifest_text():
    os_lines = "".join(
        '      <!-- %s -->\n      <supportedOS Id="{%s}"/>\n' % (name, guid)
        for name, guid in SUPPORTED_OS)
    return (
        '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
        '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">\n'
        '  <assemblyIdentity type="win32" name="Dorimo.Scheduler" version="1.0.0.0"\n'
        '                    processorArchitecture="x86"/>\n'
        '  <description>Dorimo task scheduler</description>\n'
        '  <dependency>\n'
        '    <dependentAssembly>\n'
        '      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls"\n'
        '                        version="6.0.0.0" processorArchitecture="x86"\n'
        '                        publicKeyToken="6595b64144ccf1df" language="*"/>\n'
        '    </dependentAssembly>\n'
        '  </dependency>\n'
        '  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">\n'
        '    <security>\n'
        '      <requestedPrivileges>\n'
        '        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>\n'
        '      </requestedPrivileges>\n'
        '    </security>\n'
        '  </trustInfo>\n'
        '  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">\n'
        '    <application>\n'
        + os_lines +
        '    </application>\n'
        '  </compatibility>\n'
        '  <application xmlns="urn:schemas-microsoft-com:asm.v3">\n'
        '    <windowsSettings>\n'
        '      <!-- System DPI aware: the program scales its own layout. -->\n'
        '      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>\n'
        '    </windowsSettings>\n'
        '  </application>\n'
        '</assembly>\n')


def check_manifest(data):
    root = ET.fromstring(data)
    v1 = "{urn:schemas-microsoft-com:asm.v1}"
    ident = root.find(v1 + "assemblyIdentity")
    assert ident.get("name") == "Dorimo.Scheduler" and ident.get("version") == "1.0.0.0"
    dpi = root.find(".//{http://schemas.microsoft.com/SMI/2005/WindowsSettings}dpiAware")
    assert dpi is not None and dpi.text == "true"


# --------------------------------------------------------------------------
# Preview pictures (RGB PNG, enlarged), for looking at the images.

def write_png(path, rows, scale):
    h, w = len(rows) * scale, len(rows[0]) * scale
    raw = bytearray()
    for row in rows:
        line = b"".join(bytes(c) * scale for c in row)
        raw += (b"\0" + line) * scale

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))
    png = (b"\x89PNG\r\n\x1a\n"
           + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
           + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(png)


def on_backdrop(rows):
    """Shows see-through pixels as a light chequer."""
    return [[c if c is not None else ((220, 220, 220) if (x // 4 + y // 4) % 2 else (180, 180, 180))
             for x, c in enumerate(row)] for y, row in enumerate(rows)]


def halve(rows):
    """16 x 16 version as Windows shrinks it: keep every other pixel."""
    return [row[::2] for row in rows[::2]]


def preview(icon_rows):
    write_png("/tmp/mainicon.png", on_backdrop(icon_rows), 8)
    write_png("/tmp/mainicon16.png", on_backdrop(halve(icon_rows)), 8)
    write_png("/tmp/mainicon_actual.png", on_backdrop(icon_rows), 1)
    glyph = [[GLYPH_COLOURS[ch] for ch in line] for line in OPENFILE]
    write_png("/tmp/openfile.png", glyph, 8)
    print("previews in /tmp: mainicon.png mainicon16.png openfile.png")


def main():
    os.makedirs(RES, exist_ok=True)
    icon_rows = render_icon()
    outputs = [
        ("MAINICON.ico", ico_bytes(icon_rows), check_ico),
        ("openfile.bmp", bmp_bytes(OPENFILE), check_bmp),
        ("dorimo.exe.manifest", manifest_text().encode("utf-8"), check_manifest),
    ]
    for name, data, check in outputs:
        check(data)
        path = os.path.join(RES, name)
        with open(path, "wb") as f:
            f.write(data)
        with open(path, "rb") as f:
            check(f.read())
        print("wrote app/res/%s (%d bytes)" % (name, len(data)))
    if "--preview" in sys.argv[1:]:
        preview(icon_rows)


if __name__ == "__main__":
    main()
