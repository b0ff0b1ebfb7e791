#!/usr/bin/env python3
"""Draws Kivo's program icon, a small clock face at ten past ten, and writes
it as a Windows .ico file with 16, 32, 48 and 256 pixel images.

    python3 scripts/make_icon.py app/kivo.ico
    python3 scripts/make_icon.py --png app/icons

The second form writes the same images as kivo-16.png ... kivo-256.png, the
icons the Linux program installs into the hicolor icon theme.

Standard library only: the shapes are signed distances sampled 4 x 4 times a
pixel for smooth edges. The small sizes are stored as 32-bit DIBs (what every
icon loader reads, Wine's included), the 256-pixel one as PNG, as Windows
expects for that size. The output is the same byte for byte on every run, so
the committed app/kivo.ico only changes when this drawing does.
"""

import math
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SUB = 4  # samples per pixel along each axis

RIM = (0x1F, 0x4E, 0x99)
FACE = (0xFB, 0xF8, 0xEF)
TICK = (0x33, 0x3B, 0x48)
HAND = (0x1B, 0x22, 0x2C)
SECOND = (0xD6, 0x3A, 0x2F)


def seg_dist(px, py, ax, ay, bx, by):
    """Distance from a point to the segment a-b."""
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = max(0.0, min(1.0, (wx * vx + wy * vy) / (vx * vx + vy * vy)))
    dx, dy = wx - t * vx, wy - t * vy
    return math.hypot(dx, dy)


def polar(angle_deg, length):
    """A point at `length` from the centre; 0 degrees is twelve o'clock."""
    a = math.radians(angle_deg)
    return math.sin(a) * length, -math.cos(a) * length


def shapes(size):
    """The layers of the drawing, back to front, in units of the radius 1.

    Each layer is (colour, inside(x, y) -> bool). Small icons get fewer and
    bolder strokes: a 16-pixel clock has no room for minute ticks.
    """
    px = 1.0 / (size / 2.0)  # one pixel in radius units
    rim = max(0.14, 2.2 * px)
    layers = [
        (RIM, lambda x, y: x * x + y * y <= 0.97**2),
        (FACE, lambda x, y, r=0.97 - rim: x * x + y * y <= r * r),
    ]
    inner = 0.97 - rim
    ticks = () if size < 32 else range(0, 360, 30)
    for deg in ticks:
        major = deg % 90 == 0
        width = max(px * (1.2 if major else 0.8), (0.07 if major else 0.04))
        a = polar(deg, inner - 0.04)
        b = polar(deg, inner - (0.22 if major else 0.14))
        layers.append(
            (TICK, lambda x, y, a=a, b=b, w=width: seg_dist(x, y, *a, *b) <= w / 2))
    # Ten past ten: hour hand between 10 and 11, minute hand on 2.
    hour = polar(305, 0.45)
    minute = polar(60, 0.70)
    hw = max(1.6 * px, 0.13)
    mw = max(1.3 * px, 0.09)
    layers.append((HAND, lambda x, y: seg_dist(x, y, 0, 0, *hour) <= hw / 2))
    layers.append((HAND, lambda x, y: seg_dist(x, y, 0, 0, *minute) <= mw / 2))
    if size >= 48:
        tail = polar(160, -0.18)
        tip = polar(160, 0.74)
        sw = max(0.9 * px, 0.035)
        layers.append((SECOND, lambda x, y: seg_dist(x, y, *tail, *tip) <= sw / 2))
    hub = max(1.5 * px, 0.08)
    layers.append((SECOND if size >= 48 else HAND, lambda x, y: x * x + y * y <= hub * hub))
    return layers


def render(size):
    """RGBA rows, top row first, straight (not premultiplied) alpha."""
    layers = shapes(size)
    rows = []
    half = size / 2.0
    for j in range(size):
        row = bytearray()
        for i in range(size):
            r = g = b = a = 0.0
            for sj in range(SUB):
                for si in range(SUB):
                    x = (i + (si + 0.5) / SUB - half) / half
                    y = (j + (sj + 0.5) / SUB - half) / half
                    colour = None
                    for c, inside in layers:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            n = SUB * SUB
            if a:
                row += bytes((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def dib(size, rows):
    """A 32-bit BGRA icon image: header, bottom-up pixels, then the AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for k in range(0, len(row), 4):
            r, g, b, a = row[k:k + 4]
            pixels += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for i in range(size):
            if row[4 * i + 3] == 0:  # transparent pixels are set in the mask
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + row for row in rows)
    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(images):
    """images: list of (size, bytes). 0 in a size byte of the directory is 256."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
        body += data
    return out + body


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--png":
        for size in SIZES:
            with open(f"{sys.argv[2]}/kivo-{size}.png", "wb") as f:
                f.write(png(size, render(size)))
        return
    if len(sys.argv) != 2:
        sys.exit("usage: make_icon.py OUTPUT.ico | --png DIRECTORY")
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(size, rows) if size >= 256 else dib(size, rows)))
    with open(sys.argv[1], "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
