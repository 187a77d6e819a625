#!/usr/bin/env python3
"""Draws the program's icons and side picture. Run it to remake the files
beside it: app.ico, poweroff.ico, logoff.ico and restart.ico (32-bit with
alpha, one image for each size the program asks for at 100 to 200 %), and
the side picture for 96, 144 and 192 DPI: side.bmp (100x200), side-144.bmp
(150x300), side-192.bmp (200x400), 24-bit. Standard library only."""
import math
import os
import struct

SS = 4  # supersampling factor for smooth edges


def canvas(w, h, fill=(0, 0, 0, 0)):
    return [[list(fill) for _ in range(w)] for _ in range(h)]


def blend(px, color, alpha):
    r, g, b, a = px
    na = alpha + a * (1 - alpha)
    if na <= 0:
        return [0, 0, 0, 0]
    mix = lambda c, d: (c * alpha + d * a * (1 - alpha)) / na
    return [mix(color[0], r), mix(color[1], g), mix(color[2], b), na]


def paint(img, size, shape, color):
    """Fills where shape(x, y) holds, x and y in 0..1, with coverage AA."""
    for py in range(size):
        for px in range(size):
            hits = 0
            for sy in range(SS):
                for sx in range(SS):
                    x = (px + (sx + 0.5) / SS) / size
                    y = (py + (sy + 0.5) / SS) / size
                    hits += shape(x, y)
            if hits:
                img[py][px] = blend(img[py][px], color, hits / (SS * SS))


def ring(cx, cy, r0, r1, gap=None):
    def f(x, y):
        d = math.hypot(x - cx, y - cy)
        if not (r0 <= d <= r1):
            return False
        if gap is not None:
            ang = math.degrees(math.atan2(x - cx, cy - y)) % 360
            lo, hi = gap
            if lo <= ang <= hi or (lo > hi and (ang >= lo or ang <= hi)):
                return False
        return True
    return f


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def triangle(p0, p1, p2):
    def side(a, b, x, y):
        return (x - b[0]) * (a[1] - b[1]) - (a[0] - b[0]) * (y - b[1])
    def f(x, y):
        d1, d2, d3 = side(p0, p1, x, y), side(p1, p2, x, y), side(p2, p0, x, y)
        neg = d1 < 0 or d2 < 0 or d3 < 0
        pos = d1 > 0 or d2 > 0 or d3 > 0
        return not (neg and pos)
    return f


def draw_power(img, n, color):
    paint(img, n, disc(0.5, 0.5, 0.47), color)
    paint(img, n, ring(0.5, 0.54, 0.22, 0.31, gap=(325, 35)), (255, 255, 255))
    paint(img, n, rect(0.455, 0.14, 0.545, 0.50), (255, 255, 255))


def draw_logoff(img, n, color):
    paint(img, n, disc(0.5, 0.5, 0.47), color)
    paint(img, n, rect(0.22, 0.22, 0.52, 0.30), (255, 255, 255))   # door frame
    paint(img, n, rect(0.22, 0.22, 0.30, 0.78), (255, 255, 255))
    paint(img, n, rect(0.22, 0.70, 0.52, 0.78), (255, 255, 255))
    paint(img, n, rect(0.40, 0.46, 0.66, 0.54), (255, 255, 255))   # arrow shaft
    paint(img, n, triangle((0.64, 0.34), (0.84, 0.50), (0.64, 0.66)), (255, 255, 255))


def draw_restart(img, n, color):
    paint(img, n, disc(0.5, 0.5, 0.47), color)
    paint(img, n, ring(0.5, 0.5, 0.21, 0.30, gap=(0, 60)), (255, 255, 255))
    paint(img, n, triangle((0.50, 0.10), (0.70, 0.255), (0.50, 0.41)), (255, 255, 255))


def draw_app(img, n, color):
    paint(img, n, disc(0.5, 0.5, 0.47), (250, 250, 245))
    paint(img, n, ring(0.5, 0.5, 0.40, 0.47), color)
    for k in range(12):
        a = math.radians(k * 30)
        x, y = 0.5 + 0.34 * math.sin(a), 0.5 - 0.34 * math.cos(a)
        paint(img, n, disc(x, y, 0.03), color)
    paint(img, n, rect(0.47, 0.22, 0.53, 0.53), (40, 40, 40))    # minute hand
    paint(img, n, rect(0.47, 0.47, 0.72, 0.53), (40, 40, 40))    # hour hand
    paint(img, n, disc(0.5, 0.5, 0.06), (200, 40, 40))


def ico_image(draw, color, n):
    img = canvas(n, n)
    draw(img, n, color)
    # BITMAPINFOHEADER with double height (XOR + AND), 32 bpp, bottom-up.
    hdr = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(img):
        for r, g, b, a in row:
            xor += bytes((int(b + .5), int(g + .5), int(r + .5), int(a * 255 + .5)))
    stride = ((n + 31) // 32) * 4
    andmask = bytearray()
    for row in reversed(img):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 0.5:
                bits[x // 8] |= 0x80 >> (x % 8)
        andmask += bits
    return hdr + bytes(xor) + bytes(andmask)


def write_ico(path, draw, color, sizes=(32, 16)):
    images = [ico_image(draw, color, n) for n in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


SIDE_W, SIDE_H = 100, 200  # the side picture at 96 DPI


def side_scene(x, y):
    """A night sky fading to dusk, a moon and a sleeping monitor; x and y in
    the pixels of the 96-DPI picture, continuous."""
    t = y / (SIDE_H - 1)
    r, g, b = 20 + 90 * t, 30 + 70 * t, 90 + 110 * t
    if math.hypot(x - 70, y - 35) < 13 and math.hypot(x - 63, y - 30) > 12:
        r, g, b = 250, 235, 150
    sx, sy = round(x), round(y)
    if (sx * 7 + sy * 13) % 97 == 0 and sy < 110:
        r, g, b = 230, 230, 255
    if 18 <= x <= 82 and 120 <= y <= 165:
        inner = 22 <= x <= 78 and 124 <= y <= 161
        r, g, b = (25, 35, 60) if inner else (190, 190, 200)
    if 44 <= x <= 56 and 165 < y <= 178:
        r, g, b = 170, 170, 180
    if 32 <= x <= 68 and 178 < y <= 183:
        r, g, b = 170, 170, 180
    return r, g, b


def write_side(path, scale=1):
    """The side picture drawn for scale x 96 DPI: the scene sampled afresh
    (supersampled above 96 DPI), not the 96-DPI pixels enlarged."""
    w, h = round(SIDE_W * scale), round(SIDE_H * scale)
    ss = 1 if scale == 1 else SS
    rows = []
    for py in range(h):
        row = []
        for px in range(w):
            acc = [0.0, 0.0, 0.0]
            for j in range(ss):
                for i in range(ss):
                    # Pixel centres of the 96-DPI picture fall on whole numbers.
                    x = (px + (i + 0.5) / ss) / scale - 0.5
                    y = (py + (j + 0.5) / ss) / scale - 0.5
                    for k, c in enumerate(side_scene(x, y)):
                        acc[k] += c
            row.append(tuple(int(c / (ss * ss)) for c in acc))
        rows.append(row)
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    ppm = round(2835 * scale)  # 72 pixels per inch at 96 DPI, as before
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), ppm, ppm, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, 'wb') as f:
        f.write(head + info + pixels)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    # The small sizes of 100 to 200 % scaling (16, 20, 24, 32) for the tray and
    # the caption, and the large ones (32, 40, 48, 64) for the icons in the
    # windows: each place gets an image drawn for its size, not a scaled one.
    all_sizes = (64, 48, 40, 32, 24, 20, 16)
    write_ico(os.path.join(here, 'app.ico'), draw_app, (40, 90, 170), all_sizes)
    write_ico(os.path.join(here, 'poweroff.ico'), draw_power, (200, 50, 40), all_sizes)
    write_ico(os.path.join(here, 'logoff.ico'), draw_logoff, (40, 120, 190), all_sizes)
    write_ico(os.path.join(here, 'restart.ico'), draw_restart, (40, 150, 70), all_sizes)
    write_side(os.path.join(here, 'side.bmp'))
    write_side(os.path.join(here, 'side-144.bmp'), 1.5)
    write_side(os.path.join(here, 'side-192.bmp'), 2)
