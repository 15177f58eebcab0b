#!/usr/bin/env python3
"""Draws the settings dialog's picture (bitmap 108): a 161 x 113 pixel,
256-colour Windows bitmap of a dusk landscape with the game's name.

Run it to regenerate setup.bmp:  python3 make_picture.py setup.bmp
The output depends on nothing but this script."""
import math
import struct
import sys

WIDTH, HEIGHT = 161, 113

# Palette layout: 0-95 sky gradient, 96-127 sun, 128-159 far hills,
# 160-191 near hills, 192-223 lake, 224-239 title, 240-255 spare greys.
def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))

def ramp(start, end, count):
    return [lerp(start, end, i / (count - 1)) for i in range(count)]

palette = []
palette += ramp((14, 18, 58), (92, 58, 120), 48) + ramp((96, 60, 122), (250, 150, 70), 48)
palette += ramp((255, 190, 90), (255, 245, 200), 32)
palette += ramp((60, 40, 90), (120, 70, 110), 32)
palette += ramp((16, 14, 34), (44, 30, 60), 32)
palette += ramp((20, 24, 70), (200, 120, 80), 32)
palette += ramp((180, 180, 190), (255, 255, 255), 16)
palette += ramp((0, 0, 0), (240, 240, 240), 16)
assert len(palette) == 256

HORIZON = 78

# A 5 x 7 font for the few letters of the title.
FONT = {
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
}

def hill(x, base, amp, f1, f2, phase):
    return base - amp * (0.6 * math.sin(x * f1 + phase) + 0.4 * math.sin(x * f2 + 2 * phase))

def draw():
    px = [[0] * WIDTH for _ in range(HEIGHT)]
    sun_x, sun_y, sun_r = 112, HORIZON - 6, 15
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if y < HORIZON:
                c = int(95 * y / (HORIZON - 1))
                d = math.hypot(x - sun_x, y - sun_y)
                if d <= sun_r:
                    c = 96 + min(31, int(31 * (1 - d / sun_r) * 1.6))
                far = hill(x, HORIZON - 14, 9, 0.045, 0.11, 0.7)
                near = hill(x, HORIZON - 4, 7, 0.07, 0.16, 2.1)
                if y >= near:
                    c = 160 + min(31, int(31 * (y - near) / 12))
                elif y >= far:
                    c = 128 + min(31, int(31 * (y - far) / 20))
            else:
                # The lake mirrors the sky with a ripple that grows towards the shore.
                depth = y - HORIZON
                src = HORIZON - 1 - depth
                ripple = int(2 * math.sin(y * 0.9 + x * 0.05))
                sx = min(WIDTH - 1, max(0, x + ripple))
                d = math.hypot(sx - sun_x, src - sun_y)
                shade = 28 - depth * 0.8
                if d <= sun_r and (y + x // 7) % 3:
                    shade = 31
                c = 192 + max(0, min(31, int(shade)))
            px[y][x] = c
    title = "KORVO"
    scale = 3
    text_w = (len(title) * 6 - 1) * scale
    left, top = (WIDTH - text_w) // 2, 12
    for i, ch in enumerate(title):
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit != "1":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        x = left + (i * 6 + col) * scale + dx
                        y = top + row * scale + dy
                        px[y][x] = 224 + min(15, 15 * (row * scale + dy) // (7 * scale))
                        # A one-pixel shadow below and right of every stroke.
                        if px[y + 1][x + 1] < 224:
                            px[y + 1][x + 1] = 240
    return px

def write_bmp(path, px):
    stride = (WIDTH + 3) & ~3
    image = bytearray()
    for y in range(HEIGHT - 1, -1, -1):
        image += bytes(px[y]) + bytes(stride - WIDTH)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(image), 2835, 2835, 256, 0)
    with open(path, "wb") as f:
        f.write(header + info + colours + image)

if __name__ == "__main__":
    write_bmp(sys.argv[1] if len(sys.argv) > 1 else "setup.bmp", draw())
