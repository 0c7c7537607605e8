#!/usr/bin/env python3
"""Deciphers an installer resource image without the installer's code: an independent
reading of the scheme (cipher key = SHA-256(SHA-256(pass phrase) + salt), RC4 over the
bytes after the 16-byte salt), for tests that check what the payload tool writes.

usage: decipher_image.py IMAGE OUT
"""
import hashlib
import sys

PASS_PHRASE = b"#LanternQuietHarborKeys#"
SALT_LENGTH = 16


def rc4(key, data):
    state = list(range(256))
    j = 0
    for i in range(256):
        j = (j + state[i] + key[i % len(key)]) & 0xFF
        state[i], state[j] = state[j], state[i]
    out = bytearray(len(data))
    i = j = 0
    for k, byte in enumerate(data):
        i = (i + 1) & 0xFF
        j = (j + state[i]) & 0xFF
        state[i], state[j] = state[j], state[i]
        out[k] = byte ^ state[(state[i] + state[j]) & 0xFF]
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    image = open(sys.argv[1], "rb").read()
    if len(image) < SALT_LENGTH:
        sys.exit("decipher_image.py: shorter than its salt")
    key = hashlib.sha256(hashlib.sha256(PASS_PHRASE).digest() + image[:SALT_LENGTH]).digest()
    with open(sys.argv[2], "wb") as out:
        out.write(rc4(key, image[SALT_LENGTH:]))


if __name__ == "__main__":
    main()
