#!/usr/bin/env python3
"""Draws the progress windows' file-copy animation: a page flying from one folder to another.

Writes an animated GIF with only the standard library (uncompressed LZW: a clear code before
the code table would grow, so every code stays 9 bits wide).
"""
import struct
import sys

W, H, FRAMES = 96, 40, 12
PALETTE = [(255, 255, 255), (230, 180, 40), (150, 110, 20), (250, 250, 250), (40, 40, 40), (0, 0, 160)]


def frame(step):
    px = [[0] * W for _ in range(H)]

    def rect(x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(H, y1)):
            for x in range(max(0, x0), min(W, x1)):
                px[y][x] = c

    for fx in (4, 68):  # two folders
        rect(fx, 14, fx + 24, 34, 1)
        rect(fx, 11, fx + 10, 14, 2)
        rect(fx, 33, fx + 24, 34, 2)
    # the page travels on an arc from the left folder to the right one
    t = step / (FRAMES - 1)
    x = int(16 + t * 56)
    y = int(16 - 14 * (1 - (2 * t - 1) ** 2))
    rect(x - 1, y - 1, x + 11, y + 15, 4)
    rect(x, y, x + 10, y + 14, 3)
    for line in range(3):
        rect(x + 2, y + 3 + line * 3, x + 8, y + 4 + line * 3, 5)
    return [c for row in px for c in row]


def lzw(pixels, min_code=8):
    clear, end = 1 << min_code, (1 << min_code) + 1
    codes, bits, nbits = [], 0, 0
    out = bytearray()

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += 9
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    for i, p in enumerate(pixels):
        if i % 250 == 0:
            emit(clear)
        emit(p)
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes(blocks + b"\x00")


def main(path):
    pal = PALETTE + [(0, 0, 0)] * (256 - len(PALETTE))
    data = bytearray(b"GIF89a" + struct.pack("<HHBBB", W, H, 0xF7, 0, 0))
    data += bytes(c for rgb in pal for c in rgb)
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for step in range(FRAMES):
        data += b"\x21\xF9\x04\x00" + struct.pack("<H", 10) + b"\x00\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0)
        data += lzw(frame(step))
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
