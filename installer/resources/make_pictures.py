#!/usr/bin/env python3
"""Draws PWsetup's own pictures:

  korvocity.bmp  the side picture KORVOCITY of the welcome and finish pages:
                 Korvo's skyline at dusk over the river, 264 x 444 pixels,
                 24 bits; the pages scale it to their picture control
  pwsetup.ico    the program's icon (frame resource 135): a lit tower on a
                 dusk sky, 32 x 32 and 16 x 16 pixels, 32 bits

Run it to regenerate both:  python3 make_pictures.py [FOLDER]
The output depends on nothing but this script."""
import math
import os
import struct
import sys

WIDTH, HEIGHT = 264, 444
HORIZON = 300  # the river bank


class Random:
    """A small linear congruential generator, so every run draws the same."""

    def __init__(self, seed):
        self.state = seed

    def next(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return (self.state >> 8) % n


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


SKY = [(0.00, (10, 14, 44)), (0.45, (52, 36, 96)), (0.80, (168, 84, 92)), (1.00, (246, 170, 92))]


def sky(y):
    t = y / (HORIZON - 1)
    for (t0, c0), (t1, c1) in zip(SKY, SKY[1:]):
        if t <= t1:
            return mix(c0, c1, (t - t0) / (t1 - t0))
    return SKY[-1][1]


def skyline(rng, base, lowest, highest, width_min, width_max):
    """Building tops along x: a list of heights above `base`, one per column,
    and the buildings as (left, right, top)."""
    tops = [base] * WIDTH
    buildings = []
    x = -rng.next(10)
    while x < WIDTH:
        w = width_min + rng.next(width_max - width_min + 1)
        top = base - (lowest + rng.next(highest - lowest + 1))
        for c in range(max(0, x), min(WIDTH, x + w)):
            tops[c] = min(tops[c], top)
        buildings.append((x, x + w, top))
        x += w + rng.next(3)
    return tops, buildings


def draw():
    rng = Random(1977)
    px = [[sky(min(y, HORIZON - 1)) for _ in range(WIDTH)] for y in range(HEIGHT)]

    # Stars in the upper sky, and the moon.
    for _ in range(70):
        x, y = rng.next(WIDTH), rng.next(HORIZON // 2)
        px[y][x] = mix(px[y][x], (255, 250, 230), 0.35 + rng.next(60) / 100)
    mx, my, mr = 190, 62, 17
    for y in range(my - mr - 12, my + mr + 12):
        for x in range(mx - mr - 12, mx + mr + 12):
            d = math.hypot(x - mx, y - my)
            if d <= mr:
                shade = 0.85 + 0.15 * (1 - d / mr)
                px[y][x] = mix((214, 210, 200), (255, 252, 236), shade)
            elif d <= mr + 12:
                px[y][x] = mix(px[y][x], (255, 240, 210), 0.25 * (1 - (d - mr) / 12) ** 2)

    # Far skyline: violet haze; near skyline: nearly black with lit windows.
    far, _ = skyline(rng, HORIZON, 30, 110, 10, 22)
    for x in range(WIDTH):
        for y in range(far[x], HORIZON):
            px[y][x] = mix((74, 46, 98), (96, 56, 104), (y - far[x]) / 120)
    near, buildings = skyline(rng, HORIZON, 20, 170, 16, 34)
    for x in range(WIDTH):
        for y in range(near[x], HORIZON):
            px[y][x] = mix((20, 16, 40), (30, 22, 48), (y - near[x]) / 170)
    lit = []
    for left, right, top in buildings:
        for wy in range(top + 5, HORIZON - 6, 7):
            for wx in range(left + 3, right - 4, 5):
                if rng.next(100) < 34 and 0 <= wx and wx + 2 < WIDTH:
                    warm = (255, 214, 120) if rng.next(4) else (200, 230, 255)
                    for dy in range(3):
                        for dx in range(2):
                            if px[wy + dy][wx + dx][0] < 40:
                                px[wy + dy][wx + dx] = warm
                    lit.append((wx, warm))
    # Two masts with red lights on the tallest roofs.
    for left, right, top in sorted(buildings, key=lambda b: b[2])[:2]:
        cx = (left + right) // 2
        if not 0 <= cx < WIDTH:
            continue
        for y in range(top - 22, top):
            px[y][cx] = (28, 20, 44)
        for dy in range(-1, 2):
            for dx in range(-1, 2):
                if 0 <= cx + dx < WIDTH:
                    px[top - 23 + dy][cx + dx] = (255, 70, 60) if dx == 0 or dy == 0 else (140, 50, 60)

    # The river mirrors the city, darker and rippled.
    for y in range(HORIZON, HEIGHT):
        depth = y - HORIZON
        for x in range(WIDTH):
            ripple = int(3 * math.sin(y * 0.55 + x * 0.04) + 2 * math.sin(y * 1.7))
            sx = min(WIDTH - 1, max(0, x + ripple))
            sy = max(0, HORIZON - 1 - depth)
            shade = 0.55 - min(0.35, depth / 400)
            px[y][x] = mix((8, 10, 30), px[sy][sx], shade)
            if (y * 7 + x * 3) % 23 == 0 and depth > 4:
                px[y][x] = mix(px[y][x], (10, 10, 26), 0.6)
    for y in range(HORIZON, HORIZON + 2):
        for x in range(WIDTH):
            px[y][x] = mix(px[y][x], (250, 190, 120), 0.5)
    return [[tuple(int(round(c)) for c in p) for p in row] for row in px]


def bmp_bytes(px):
    stride = (WIDTH * 3 + 3) & ~3
    image = bytearray()
    for row in reversed(px):
        line = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in row)
        image += line + bytes(stride - len(line))
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + image


def icon_image(size):
    """One icon image: a BITMAPINFOHEADER, 32-bit pixels, an AND mask."""
    pixels = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            u, v = (x + 0.5) / size, (y + 0.5) / size
            r2 = (u - 0.5) ** 2 + (v - 0.5) ** 2
            if r2 > 0.25:
                pixels += bytes(4)
                continue
            colour = mix((30, 26, 80), (240, 150, 80), v)
            tower = abs(u - 0.5) < 0.12 and v > 0.22
            wing = abs(u - 0.5) < 0.30 and v > 0.55
            if tower or wing:
                colour = (24, 18, 40)
                if tower and int(v * size) % 3 == 1 and int(u * size) % 2 == 0:
                    colour = (255, 214, 120)
            r, g, b = (int(c) for c in colour)
            pixels += struct.pack("<BBBB", b, g, r, 255)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # the alpha channel decides; nothing masked
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    return info + bytes(pixels) + mask


def ico_bytes(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(folder, "korvocity.bmp"), "wb") as f:
        f.write(bmp_bytes(draw()))
    with open(os.path.join(folder, "pwsetup.ico"), "wb") as f:
        f.write(ico_bytes([32, 16]))
