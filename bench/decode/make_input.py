#!/usr/bin/env python3
"""Writes the decode benchmark's input: about 40 MB of deterministic mixed content,
text (Japanese and English prose, CSV, XML) interleaved with binary-like records
(little-endian tables, instruction-like byte runs) and a little noise, so that an LHA
encoder finds the mix of literals and matches that a viewer installation holds.

Usage: make_input.py OUTFILE [MEGABYTES]
"""
import random
import struct
import sys

WORDS = ("viewer setup archive content server install update folder registry value "
         "the of and to in is for with on by Dravenholt window dialog message progress "
         "file record backup restore delete version").split()
JAPANESE = ["インストール", "アップデート", "ビューア", "フォルダ", "ファイル", "設定",
            "確認", "警告", "完了", "しました", "します", "の", "を", "に", "が", "は"]


def text_block(rng, size):
    out = []
    n = 0
    while n < size:
        if rng.random() < 0.3:
            line = "".join(rng.choice(JAPANESE) for _ in range(rng.randint(4, 20))) + "\r\n"
            b = line.encode("cp932")
        elif rng.random() < 0.5:
            line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(5, 16))) + ".\r\n"
            b = line.encode()
        elif rng.random() < 0.5:
            b = (",".join(str(rng.randint(0, 99999)) for _ in range(8)) + "\n").encode()
        else:
            tag = rng.choice(WORDS)
            b = f'<{tag} id="{rng.randint(0, 9999)}">{rng.choice(WORDS)}</{tag}>\n'.encode()
        out.append(b)
        n += len(b)
    return b"".join(out)[:size]


def binary_block(rng, size):
    out = bytearray()
    base = rng.randint(0, 1 << 20)
    while len(out) < size:
        kind = rng.random()
        if kind < 0.5:   # a table of offsets and flags
            out += struct.pack("<IIHH", base + len(out), rng.randint(0, 4096),
                               rng.choice((0, 1, 0x20, 0x8000)), rng.randint(0, 15))
        elif kind < 0.9:  # instruction-like runs from a small vocabulary
            out += bytes(rng.choice((0x48, 0x89, 0x8B, 0xE8, 0x0F, 0x83, 0xC3, 0x90, 0x00))
                         for _ in range(rng.randint(4, 24)))
        else:             # noise
            out += rng.randbytes(rng.randint(8, 64))
    return bytes(out[:size])


def main():
    path = sys.argv[1]
    megabytes = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    rng = random.Random(20261209)
    total = megabytes * 1000 * 1000
    with open(path, "wb") as f:
        written = 0
        while written < total:
            size = min(total - written, rng.randint(16, 256) * 1024)
            block = text_block(rng, size) if rng.random() < 0.55 else binary_block(rng, size)
            f.write(block)
            written += len(block)


if __name__ == "__main__":
    main()
