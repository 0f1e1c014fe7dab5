#!/usr/bin/env python3
"""Draws the application icon (a magnifier over a small screen) and writes it as a .ico file
with 16x16, 32x32 and 48x48 images in 32-bit colour with alpha.

usage: make_icon.py [OUTPUT]   (default: resources/search.ico beside this tools folder)
"""
import math
import os
import struct
import sys

SIZES = (16, 32, 48)
SAMPLES = 4  # per axis and pixel: edges are anti-aliased by coverage

FRAME = (0x3B, 0x42, 0x52)
SCREEN_TOP = (0x5A, 0xA2, 0xE6)
SCREEN_BOTTOM = (0x2C, 0x66, 0xB0)
LENS = (0xDD, 0xEE, 0xFF)
RING = (0x26, 0x2B, 0x36)
HANDLE = (0x6B, 0x4F, 0x3A)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_outer, r_inner):
    return lambda x, y: r_inner ** 2 < (x - cx) ** 2 + (y - cy) ** 2 <= r_outer ** 2


def segment(ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2
    return inside


def screen_colour(_x, y):
    t = min(max((y - 0.15) / 0.44, 0.0), 1.0)
    return tuple(round(a + (b - a) * t) for a, b in zip(SCREEN_TOP, SCREEN_BOTTOM))


def layers():
    """Shapes from back to front: (inside test, colour or colour function, opacity)."""
    lens_x, lens_y, lens_r = 0.60, 0.57, 0.21
    angle = math.radians(45)
    handle_start = (lens_x + lens_r * math.cos(angle), lens_y + lens_r * math.sin(angle))
    return [
        (rounded_rect(0.04, 0.08, 0.80, 0.68, 0.06), FRAME, 1.0),
        (rounded_rect(0.10, 0.14, 0.74, 0.60, 0.02), screen_colour, 1.0),
        (rounded_rect(0.35, 0.67, 0.49, 0.78, 0.0), FRAME, 1.0),
        (rounded_rect(0.22, 0.76, 0.62, 0.83, 0.03), FRAME, 1.0),
        (segment(handle_start[0], handle_start[1], 0.93, 0.90, 0.065), HANDLE, 1.0),
        (disc(lens_x, lens_y, lens_r - 0.035), LENS, 0.70),
        (ring(lens_x, lens_y, lens_r + 0.025, lens_r - 0.035), RING, 1.0),
    ]


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    shapes = layers()
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    cr = cg = cb = ca = 0.0
                    for inside, colour, opacity in shapes:
                        if not inside(x, y):
                            continue
                        c = colour(x, y) if callable(colour) else colour
                        # Paint over what lies below; the lens, the one translucent shape,
                        # lies over opaque ones.
                        cr = c[0] * opacity + cr * (1 - opacity)
                        cg = c[1] * opacity + cg * (1 - opacity)
                        cb = c[2] * opacity + cb * (1 - opacity)
                        ca = opacity + ca * (1 - opacity)
                    r, g, b, a = r + cr, g + cg, b + cb, a + ca
            n = SAMPLES * SAMPLES
            alpha = a / n
            if alpha > 0:
                row.append((round(r / n / alpha), round(g / n / alpha), round(b / n / alpha),
                            round(alpha * 255)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def icon_image(size):
    """BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask (1 = transparent)."""
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_r, _g, _b, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'resources', 'search.ico')
    images = [icon_image(s) for s in SIZES]
    data = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        data += image
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main()
