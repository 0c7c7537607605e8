#!/usr/bin/env python3
"""Writes the sample viewer's bulk content, so that installing the sample payload takes
long enough for its progress to be seen.

Usage: python3 sample/make_content.py OUTDIR

OUTDIR becomes a second payload layout beside sample/payload (same rules: PROGRAMFILES/
and APPDATA/ at its top, names in UTF-8):

  OUTDIR/APPDATA/Collections/Samples/catalog-01.csv ... catalog-06.csv
      about 1.8 MB of catalogue text (UTF-8, CR LF), which packs well;
  OUTDIR/PROGRAMFILES/data/tiles-01.bin ... tiles-04.bin
      about 1.7 MB of noise behind a small header, which does not pack at all.

The output depends on nothing but this file: a fixed seed, no clock, no network.
Existing files of the same names are overwritten; nothing else in OUTDIR is touched.
"""

import os
import random
import struct
import sys

SEED = 0x44485657  # "DHVW"
CSV_FILES = 6
CSV_BYTES = 300 * 1024
BIN_FILES = 4
BIN_BYTES = 430 * 1024

WORDS = ["風景", "港町", "山岳", "古城", "庭園", "鉄道", "市場", "灯台", "渓谷", "神社",
         "海岸", "高原", "運河", "寺院", "橋梁", "湖畔", "草原", "雪原", "砂丘", "森林"]
SEASONS = ["春", "夏", "秋", "冬"]
CATEGORIES = ["photo", "map", "illustration", "document", "panorama"]


def catalog(rng, number, size):
    """CSV rows until the text reaches `size` bytes (cut at a row's end)."""
    lines = ["id,title,category,season,date,width,height,bytes,checksum"]
    total = len(lines[0]) + 2
    row = 0
    while total < size:
        row += 1
        title = "{}の{} {}".format(rng.choice(WORDS), rng.choice(WORDS), rng.randint(1, 99))
        line = "{:02d}-{:06d},{},{},{},20{:02d}-{:02d}-{:02d},{},{},{},{:08x}".format(
            number, row, title, rng.choice(CATEGORIES), rng.choice(SEASONS),
            rng.randint(0, 26), rng.randint(1, 12), rng.randint(1, 28),
            rng.choice([640, 800, 1024, 1280, 1920]), rng.choice([480, 600, 768, 720, 1080]),
            rng.randint(20000, 4000000), rng.getrandbits(32))
        lines.append(line)
        total += len(line.encode("utf-8")) + 2
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def tiles(rng, number, size):
    """A small header, then noise: packed content that stays as large as it is."""
    header = b"DHTL" + struct.pack("<HHI", 1, number, size)
    return header + rng.randbytes(size - len(header))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as out:
        out.write(data)


def main(argv):
    if len(argv) != 2 or argv[1].startswith("-"):
        sys.stderr.write("usage: make_content.py OUTDIR\n")
        return 2
    out = argv[1]
    rng = random.Random(SEED)
    for n in range(1, CSV_FILES + 1):
        write(os.path.join(out, "APPDATA", "Collections", "Samples",
                           "catalog-{:02d}.csv".format(n)), catalog(rng, n, CSV_BYTES))
    for n in range(1, BIN_FILES + 1):
        write(os.path.join(out, "PROGRAMFILES", "data", "tiles-{:02d}.bin".format(n)),
              tiles(rng, n, BIN_BYTES))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
