#!/usr/bin/env python3
"""Draws the sample banner: sorel-ads.gif beside this script, 237x31, 20
frames of 100 ms, looping. The first frame is the whole picture; each later
frame redraws only the strip where a light sweeps along the lettering, so
the file also exercises frames with an offset. Standard library only.

usage: make_banner.py [OUTPUT] [--frames N] [--delay HUNDREDTHS]"""
import argparse
import os
import struct

WIDTH, HEIGHT = 237, 31

# Palette: index -> RGB. 16 entries (a 4-bit global table).
PALETTE = [
    (0x1B, 0x3A, 0x5C),  # 0 deep blue background
    (0x24, 0x4F, 0x7D),  # 1 lighter band
    (0xF2, 0xF2, 0xF2),  # 2 letters
    (0xFF, 0xC8, 0x3C),  # 3 light, core
    (0xC8, 0x8C, 0x28),  # 4 light, edge
    (0x8F, 0xB8, 0xE0),  # 5 clock face
    (0x10, 0x20, 0x30),  # 6 clock hand
] + [(0, 0, 0)] * 9

# 5x7 capitals for the words on the banner.
GLYPHS = {
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    " ": ["00000"] * 7,
}
TEXT = "VARO TIMER"
SCALE = 3
TEXT_X, TEXT_Y = 44, 5
TEXT_W = len(TEXT) * 6 * SCALE - SCALE
TEXT_H = 7 * SCALE


def base_picture():
    img = [[0] * WIDTH for _ in range(HEIGHT)]
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if (x + y) % 12 < 3:
                img[y][x] = 1
    # A clock at the left: face, then two hands.
    cx, cy, r = 18, 15, 12
    for y in range(HEIGHT):
        for x in range(WIDTH):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if d2 <= r * r:
                img[y][x] = 5
    for t in range(0, 9):
        img[cy - t][cx] = 6
    for t in range(0, 7):
        img[cy][cx + t] = 6
    for i, ch in enumerate(TEXT):
        rows = GLYPHS[ch]
        for gy, row in enumerate(rows):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for sy in range(SCALE):
                        for sx in range(SCALE):
                            x = TEXT_X + (i * 6 + gx) * SCALE + sx
                            y = TEXT_Y + gy * SCALE + sy
                            img[y][x] = 2
    return img


def swept(img, step, steps):
    """The lettering strip with the light at this step: letters lit near it."""
    centre = TEXT_X + (TEXT_W * step) // max(1, steps - 1)
    strip = []
    for y in range(TEXT_Y, TEXT_Y + TEXT_H):
        row = []
        for x in range(TEXT_X, TEXT_X + TEXT_W):
            v = img[y][x]
            if v == 2:
                d = abs(x - centre)
                v = 3 if d < 6 else 4 if d < 12 else 2
            row.append(v)
        strip.append(row)
    return strip


def lzw(indices, min_code_size):
    """GIF LZW with variable code width; returns the packed bytes. The table
    is keyed by (prefix code, index), so long runs cost no more than short."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, acc, nbits = bytearray(), 0, 0
    width = min_code_size + 1

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    table = {}
    next_code = end + 1
    emit(clear)
    prefix = None
    for k in indices:
        if prefix is None:
            prefix = k
            continue
        code = table.get((prefix, k))
        if code is not None:
            prefix = code
            continue
        emit(prefix)
        if next_code < 4096:
            table[(prefix, k)] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {}
            next_code, width = end + 1, min_code_size + 1
        prefix = k
    if prefix is not None:
        emit(prefix)
    emit(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def frame(left, top, rows, delay):
    h, w = len(rows), len(rows[0])
    flat = [v for row in rows for v in row]
    gce = b"\x21\xF9\x04" + bytes([1 << 2]) + struct.pack("<H", delay) + b"\x00\x00"
    desc = b"\x2C" + struct.pack("<HHHH", left, top, w, h) + b"\x00"
    return gce + desc + bytes([4]) + sub_blocks(lzw(flat, 4))


def make_banner(frames=20, delay=10):
    img = base_picture()
    out = bytearray(b"GIF89a")
    out += struct.pack("<HH", WIDTH, HEIGHT) + bytes([0x80 | 0x03, 0, 0])
    for rgb in PALETTE:
        out += bytes(rgb)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    out += frame(0, 0, img, delay)
    for step in range(1, frames):
        out += frame(TEXT_X, TEXT_Y, swept(img, step, frames), delay)
    out += b"\x3B"
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?", default=os.path.join(here, "sorel-ads.gif"))
    parser.add_argument("--frames", type=int, default=20)
    parser.add_argument("--delay", type=int, default=10, help="hundredths of a second per frame")
    args = parser.parse_args()
    with open(args.output, "wb") as f:
        f.write(make_banner(args.frames, args.delay))


if __name__ == "__main__":
    main()
