#!/usr/bin/env python3
"""Draws Varnick's images: the program icon and the two menu bitmaps.

The icon is the face of a nine-pin serial connector: a steel shell around a
dark insulator with five pins above four, on a mounting flange with two screw
holes at the larger sizes. Every size is drawn from the same shapes with 4 x 4
supersampling, so the small images stay sharp instead of being scaled down.
The menu bitmaps are a monochrome shield, the mark of the item that restarts
the program as administrator. Run from anywhere; writes into this directory.
Needs only the Python standard library.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
ICON_SIZES = (16, 18, 20, 24, 32, 40, 48)
SAMPLES = 4


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    cx, cy = ax + t * dx - px, ay + t * dy - py
    return (cx * cx + cy * cy) ** 0.5


def inside_convex(px, py, points):
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[(i + 1) % n]
        if (bx - ax) * (py - ay) - (by - ay) * (px - ax) < 0:
            return False
    return True


def rounded(points, radius):
    """A convex polygon (clockwise on screen) with corners rounded by radius:
    the points within radius of the polygon shrunk by radius."""
    def test(px, py):
        if inside_convex(px, py, points):
            return True
        n = len(points)
        return min(segment_distance(px, py, *points[i], *points[(i + 1) % n])
                   for i in range(n)) <= radius
    return test


def shrink(points, amount):
    """Moves each edge of a convex polygon inwards (approximately, for the
    gentle trapezoids drawn here)."""
    cx = sum(p[0] for p in points) / len(points)
    cy = sum(p[1] for p in points) / len(points)
    out = []
    for x, y in points:
        dx, dy = x - cx, y - cy
        length = (dx * dx + dy * dy) ** 0.5
        out.append((x - dx / length * amount * 1.25, y - dy / length * amount))
    return out


def circle(cx, cy, r):
    return lambda px, py: (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def trapezoid(s, top, bottom, top_width, bottom_width):
    c = s / 2
    return [(c - top_width / 2, top), (c + top_width / 2, top),
            (c + bottom_width / 2, bottom), (c - bottom_width / 2, bottom)]


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def icon_layers(s):
    """Shapes from back to front: (test, colour function of y)."""
    layers = []
    face_top, face_bottom = s * 0.20, s * 0.80
    if s >= 24:
        flange = rounded([(s * 0.02, s * 0.24), (s * 0.98, s * 0.24),
                          (s * 0.98, s * 0.76), (s * 0.02, s * 0.76)], s * 0.07)
        layers.append((flange, lambda y: mix((118, 128, 142), (70, 78, 92),
                                            (y - s * 0.24) / (s * 0.52))))
        for hx in (s * 0.095, s * 0.905):
            layers.append((circle(hx, s * 0.5, s * 0.05), lambda y: (30, 34, 40)))
        face_top, face_bottom = s * 0.22, s * 0.78
    outer = trapezoid(s, face_top, face_bottom, s * (0.76 if s >= 24 else 0.98),
                      s * (0.56 if s >= 24 else 0.74))
    border = max(1.0, s / 24)
    layers.append((rounded(outer, s * 0.10), lambda y: (44, 52, 64)))
    shell = shrink(outer, border)
    layers.append((rounded(shell, s * 0.09), lambda y: mix(
        (214, 222, 232), (128, 140, 156), (y - face_top) / (face_bottom - face_top))))
    insulator = shrink(outer, border + max(1.0, s * 0.07))
    layers.append((rounded(insulator, s * 0.06), lambda y: mix(
        (34, 66, 112), (18, 36, 66), (y - face_top) / (face_bottom - face_top))))
    # Five pins above four, spaced across the insulator's rows.
    top_row, bottom_row = s * 0.41, s * 0.59
    pin = max(0.75, s * 0.045)
    spacing = s * (0.12 if s >= 24 else 0.145)
    for row, count in ((top_row, 5), (bottom_row, 4)):
        for i in range(count):
            x = s / 2 + (i - (count - 1) / 2) * spacing
            layers.append((circle(x, row, pin), lambda y: (250, 204, 80)))
    return layers


def draw_icon(s):
    layers = icon_layers(s)
    pixels = []
    for y in range(s):
        row = []
        for x in range(s):
            colour = [0.0, 0.0, 0.0]
            alpha = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    px = x + (sx + 0.5) / SAMPLES
                    py = y + (sy + 0.5) / SAMPLES
                    sample = None
                    for test, paint in layers:
                        if test(px, py):
                            sample = paint(py)
                    if sample is not None:
                        for i in range(3):
                            colour[i] += sample[i]
                        alpha += 1
            if alpha:
                rgb = [round(c / alpha) for c in colour]
                row.append((rgb[0], rgb[1], rgb[2], round(255 * alpha / SAMPLES ** 2)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def icon_image(s):
    """One icon image: a 32-bit DIB (bottom-up, height doubled) and its mask."""
    pixels = draw_icon(s)
    header = struct.pack('<IiiHHIIiiII', 40, s, 2 * s, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b''.join(struct.pack('BBBB', b, g, r, a)
                      for row in reversed(pixels) for (r, g, b, a) in row)
    stride = ((s + 31) // 32) * 4
    mask = b''
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + colour + mask


def write_icon(path):
    images = [icon_image(s) for s in ICON_SIZES]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(ICON_SIZES, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


# The shield, '#' painted in the menu's text colour, '.' left to the menu.
SHIELD_13 = """
......#......
....##.##....
..##.....##..
.#.........#.
.#..#####..#.
.#..#...#..#.
.#..#...#..#.
.#..#####..#.
..#.......#..
..#.......#..
...#.....#...
....##.##....
......#......
"""

SHIELD_16 = """
.......##.......
.....##..##.....
...##......##...
.##..........##.
.#............#.
.#...######...#.
.#...#....#...#.
.#...#....#...#.
.#...######...#.
.#............#.
..#..........#..
..#..........#..
...#........#...
....##....##....
......#..#......
.......##.......
"""


def write_monochrome(path, art):
    rows = [line for line in art.strip().splitlines()]
    w, h = len(rows[0]), len(rows)
    stride = ((w + 31) // 32) * 4
    # Palette entry 0 black, 1 white: a set bit is background.
    data = b''
    for line in reversed(rows):
        bits = bytearray(stride)
        for x, c in enumerate(line):
            if c != '#':
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    palette = struct.pack('<BBBBBBBB', 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(data), 2835, 2835, 2, 2)
    offset = 14 + len(info) + len(palette)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(file_header + info + palette + data)


if __name__ == '__main__':
    write_icon(os.path.join(HERE, 'varnick.ico'))
    write_monochrome(os.path.join(HERE, 'menu_bitmap_13.bmp'), SHIELD_13)
    write_monochrome(os.path.join(HERE, 'menu_bitmap_16.bmp'), SHIELD_16)
