#!/usr/bin/env python3
"""Draws the installer's pictures: the welcome picture (600 x 280), the page picture
(158 x 265), both 24-bit RGB PNG, and the program icon (16, 32 and 48 px).

Usage: placeholder_art.py OUTDIR
The pictures are calm gradients in the product's blue with a light horizon band; the
final artwork replaces them without changing their sizes.
"""
import struct
import sys
import zlib
from pathlib import Path


def png(width, height, pixel):
    """A 24-bit RGB PNG whose pixel(x, y) returns (r, g, b)."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


DEEP = (22, 58, 110)
SKY = (120, 170, 220)
MIST = (235, 242, 250)


def welcome(x, y):
    # Sky fading to mist, with a soft band where the page text would sit.
    base = mix(DEEP, SKY, y / 279)
    band = abs(y - 190) / 60.0
    return mix(MIST, base, band) if band < 1 else base


def page(x, y):
    base = mix(SKY, DEEP, y / 264)
    return mix(base, MIST, max(0.0, (x - 120) / 60.0))


def icon_image(size):
    """A 32-bit BGRA DIB (bottom-up) with its AND mask: a rounded blue tile with a
    light 'D' bar."""
    pixels = bytearray()
    radius = size * 0.2
    for row in range(size):
        y = size - 1 - row
        for x in range(size):
            cx = min(x, size - 1 - x)
            cy = min(y, size - 1 - y)
            inside = not (cx < radius and cy < radius and
                          (radius - cx) ** 2 + (radius - cy) ** 2 > radius ** 2)
            if not inside:
                pixels.extend((0, 0, 0, 0))
                continue
            r, g, b = mix(SKY, DEEP, y / size)
            if size * 0.3 <= x <= size * 0.42 and size * 0.25 <= y <= size * 0.75:
                r, g, b = MIST
            pixels.extend((b, g, r, 255))
    mask_row = ((size + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + mask_row * size, 0, 0, 0, 0)
    return header + bytes(pixels) + bytes(mask_row * size)


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    (out / "welcome.png").write_bytes(png(600, 280, welcome))
    (out / "page.png").write_bytes(png(158, 265, page))
    (out / "setup.ico").write_bytes(ico([16, 32, 48]))


if __name__ == "__main__":
    main()
