#!/usr/bin/env python3
"""Draws the installer's pictures: the welcome picture (600 x 280) and the side picture
of the other pages (158 x 265), both 24-bit RGB PNG, and the program icon (16, 32 and
48 px).

Usage: draw_art.py OUTDIR

The scene is the viewer's namesake: dusk over rolling wooded hills, deep blue sky
paling to a warm horizon behind a low sun. The welcome picture keeps its upper left
calm for the title, which ImageMagick writes in IPA Gothic (scripts/setup.sh installs
both); without them the picture is drawn without the title and a warning says so.
The side picture is a tall slice of the same scene; the pages' controls sit to its
right. Everything else is plain Python, so the pictures come out the same every time.
"""
import math
import shutil
import struct
import subprocess
import sys
import zlib
from pathlib import Path

WELCOME_SIZE = (600, 280)
PAGE_SIZE = (158, 265)

SKY_TOP = (18, 38, 78)
SKY_MID = (58, 98, 150)
HORIZON = (236, 214, 184)
SUN = (255, 240, 205)
# Hill layers, far to near: hazy blue to deep blue-green.
HILLS = [(120, 146, 176), (78, 106, 136), (44, 70, 92), (22, 42, 54)]

TITLE = "Dravenholtビューア"
SUBTITLE = "インストールへようこそ"
HINT = "「次へ>」を押して進んでください"


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def smooth(t):
    t = max(0.0, min(1.0, t))
    return t * t * (3 - 2 * t)


class Scene:
    """The landscape in scene units: x from 0 to width, y from 0 (top) to height; the
    horizon at `horizon`, the sun at (sun_x, sun_y)."""

    def __init__(self, width, height, horizon, sun_x, sun_y, phase):
        self.width, self.height = width, height
        self.horizon = horizon
        self.sun_x, self.sun_y = sun_x, sun_y
        self.phase = phase

    def sky(self, x, y):
        t = y / self.horizon
        base = mix(SKY_TOP, SKY_MID, smooth(t * 1.2)) if t < 0.83 else SKY_MID
        base = mix(base, HORIZON, smooth((t - 0.45) / 0.55))
        d = math.hypot(x - self.sun_x, (y - self.sun_y) * 1.6)
        glow = math.exp(-d / 70.0) * 0.85 + math.exp(-d / 16.0) * 0.6
        return mix(base, SUN, glow)

    def ridge(self, layer, x):
        """The top of hill layer `layer` at x (larger y is lower)."""
        p = self.phase + layer * 1.7
        scale = (layer + 1) / len(HILLS)
        wave = (math.sin(x / (90 - layer * 12) + p) * 0.55 +
                math.sin(x / (37 - layer * 4) + p * 2.3) * 0.25 +
                math.sin(x / 17.0 + p * 3.1) * 0.08 * scale)
        base = self.horizon + (self.height - self.horizon) * (0.05 + 0.22 * layer)
        return base - wave * (16 + 7 * layer)

    def trees(self, x, y, top):
        """True when (x, y) is inside a conifer on the nearest ridge."""
        spacing = 9.0
        i = math.floor(x / spacing)
        for k in (i - 1, i, i + 1):
            # Irregular but fixed heights and gaps.
            jitter = math.sin(k * 12.9898) * 43758.5453 % 1.0
            if jitter < 0.25:
                continue
            cx = (k + 0.5) * spacing + (jitter - 0.5) * 4
            h = 12 + 14 * jitter
            half = h * 0.32
            base = self.ridge(len(HILLS) - 1, cx) + 2
            if base - h <= y <= base and abs(x - cx) <= half * (y - (base - h)) / h:
                return True
        return False

    def color(self, x, y):
        near = len(HILLS) - 1
        for layer in range(near, -1, -1):
            top = self.ridge(layer, x)
            if y >= top or (layer == near and self.trees(x, y, top)):
                color = HILLS[layer]
                # Mist between the layers, thicker far away and near the ridge tops.
                haze = (1 - layer / near) * 0.35 * math.exp(-(y - top) / 30.0)
                # The sun's light on the far slopes.
                d = abs(x - self.sun_x)
                light = 0.18 * math.exp(-d / 120.0) * (1 - layer / len(HILLS))
                return mix(mix(color, HORIZON, haze), SUN, light)
        return self.sky(x, y)


def render(size, scene, offset_x=0.0, samples=2):
    """The scene as rows of RGB bytes, each pixel the mean of samples x samples points."""
    width, height = size
    rows = []
    step = 1.0 / samples
    for py in range(height):
        row = bytearray()
        for px in range(width):
            r = g = b = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    c = scene.color(px + offset_x + (sx + 0.5) * step, py + (sy + 0.5) * step)
                    r += c[0]
                    g += c[1]
                    b += c[2]
            n = samples * samples
            row.extend((int(r / n + 0.5), int(g / n + 0.5), int(b / n + 0.5)))
        rows.append(row)
    return rows


def png(width, rows):
    """A 24-bit RGB PNG of the rows (no metadata, so the bytes never change)."""
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        raw.extend(row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def welcome_rows():
    scene = Scene(600, 280, horizon=190, sun_x=455, sun_y=178, phase=0.4)
    return render(WELCOME_SIZE, scene)


def page_rows():
    # A taller slice with the sun to the right, as if the welcome scene went on.
    scene = Scene(158, 265, horizon=175, sun_x=120, sun_y=165, phase=2.1)
    return render(PAGE_SIZE, scene)


def find_font():
    for candidate in ("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
                      "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
                      "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf"):
        if Path(candidate).exists():
            return candidate
    if shutil.which("fc-match"):
        found = subprocess.run(["fc-match", "-f", "%{file}", "IPAPGothic:lang=ja"],
                               capture_output=True, text=True).stdout.strip()
        if found and Path(found).exists() and "ipa" in found.lower():
            return found
    return None


def write_title(picture):
    """Writes the title over the welcome picture's calm upper left, in place."""
    convert = shutil.which("convert")
    font = find_font()
    if not convert or not font:
        print("draw_art: ImageMagick or IPA Gothic missing; the welcome picture has no title",
              file=sys.stderr)
        return
    texts = [(30, 44, 72, TITLE), (16, 46, 104, SUBTITLE), (12, 47, 130, HINT)]
    command = [convert, str(picture), "-font", font]
    for size, x, y, text in texts:
        # A soft shadow first, then the text.
        command += ["-pointsize", str(size), "-fill", "#0a1a3080",
                    "-annotate", "+%d+%d" % (x + 1, y + 2), text,
                    "-fill", "#ffffff", "-annotate", "+%d+%d" % (x, y), text]
    command += ["-type", "TrueColor", "-define", "png:color-type=2", "-strip",
                "-define", "png:exclude-chunks=date,time", "PNG24:" + str(picture)]
    subprocess.run(command, check=True)


def icon_image(size):
    """A 32-bit BGRA DIB (bottom-up) with its AND mask: a rounded tile of the dusk sky
    with a light hill line."""
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
            ridge = size * (0.62 - 0.12 * math.sin(x / size * math.pi * 1.3 + 0.3))
            if y >= ridge:
                r, g, b = HILLS[-1]
            else:
                r, g, b = (int(v) for v in mix(SKY_MID, HORIZON, y / ridge))
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
    welcome = out / "welcome.png"
    welcome.write_bytes(png(WELCOME_SIZE[0], welcome_rows()))
    write_title(welcome)
    (out / "page.png").write_bytes(png(PAGE_SIZE[0], page_rows()))
    (out / "setup.ico").write_bytes(ico([16, 32, 48]))


if __name__ == "__main__":
    main()
