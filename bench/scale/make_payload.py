#!/usr/bin/env python3
"""Writes a payload layout for `dhpack build`: PROGRAMFILES/ with FILES files of BYTES
bytes each, a hundred to a folder, two small stand-ins for the programs, and the two data folders with one file each, plus
the sample's update patch. The content is deterministic and compresses about as a
viewer's files do (text and tables mixed with noise).
  make_payload.py OUT FILES BYTES PATCH"""
import os
import random
import sys


def content(rng, size):
    words = [b"viewer", b"collection", b"model", b"index", b"page", b"\x93\xfa\x96\x7b",
             b"<div class=\"item\">", b"</div>\r\n", b"0123456789", b"Dravenholt"]
    out = bytearray()
    while len(out) < size:
        if rng.random() < 0.6:
            out += rng.randbytes(rng.randint(8, 64))
        else:
            out += b" ".join(rng.choice(words) for _ in range(rng.randint(4, 16)))
    return bytes(out[:size])


def main():
    out, files, size, patch = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    rng = random.Random(files * 7919 + size)
    for n in range(files):
        folder = os.path.join(out, "PROGRAMFILES", "data%03d" % (n // 100))
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "file%05d.bin" % n), "wb") as f:
            f.write(content(rng, size))
    # The two programs the builder expects, as small stand-ins.
    for program in ("DHViewer.exe", "Uninstall.exe"):
        with open(os.path.join(out, "PROGRAMFILES", program), "wb") as f:
            f.write(content(rng, 4096))
    for sub in ("Collections", "Model"):
        folder = os.path.join(out, "APPDATA", sub)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, sub.lower() + ".ini"), "wb") as f:
            f.write(b"[%s]\r\nversion=1\r\n" % sub.encode())
    with open(patch, "rb") as f, open(os.path.join(out, "SetupInfo.xml"), "wb") as g:
        g.write(f.read())


main()
