#!/usr/bin/env python3
"""Draws the program icon: a blue rounded tile with a white track line that
ends in a red position marker. Writes zor7700track.ico (16, 24, 32, 48 as
bitmaps for old shells, 256 as PNG), zor7700track.png (256) for the Linux
desktop entry and icons/zor7700track-<size>.png for the smaller sizes of the
Linux icon theme. Standard library only, and the same bytes on every run, so
anyone can redraw it:
    python3 resources/draw_icon.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
BITMAP_SIZES = (16, 24, 32, 48)
PNG_SIZE = 256
THEME_SIZES = (16, 24, 32, 48, 64, 128)
SUPERSAMPLE = 4

TILE = (30, 94, 170)
TILE_EDGE = (18, 60, 120)
TRACK = (255, 255, 255)
MARKER = (220, 40, 40)

# The track in unit coordinates (0..1, y downwards): a wandering walk.
TRACK_POINTS = [(0.18, 0.66), (0.28, 0.80), (0.44, 0.74), (0.40, 0.54),
                (0.56, 0.44), (0.72, 0.58), (0.82, 0.40), (0.70, 0.24)]
MARKER_CENTRE = (0.70, 0.24)


def rounded_box_distance(x, y, half, radius):
    qx = abs(x - 0.5) - half + radius
    qy = abs(y - 0.5) - half + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def segment_distance(px, py, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def track_distance(x, y):
    return min(segment_distance(x, y, TRACK_POINTS[i], TRACK_POINTS[i + 1])
               for i in range(len(TRACK_POINTS) - 1))


def sample(x, y, size):
    """Colour (r, g, b, a) of one sub-pixel at unit coordinates."""
    box = rounded_box_distance(x, y, 0.47, 0.16)
    if box > 0:
        return (0, 0, 0, 0)
    # Thicker strokes on the small sizes keep the line visible at 16 pixels.
    stroke = max(0.035, 0.9 / size)
    if math.hypot(x - MARKER_CENTRE[0], y - MARKER_CENTRE[1]) < stroke * 2.2:
        return MARKER + (255,)
    if track_distance(x, y) < stroke:
        return TRACK + (255,)
    if box > -max(0.03, 1.0 / size):
        return TILE_EDGE + (255,)
    return TILE + (255,)


def render(size):
    """Rows of (r, g, b, a) pixels, top row first, alpha-weighted average."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((px + (sx + 0.5) / n) / size,
                                        (py + (sy + 0.5) / n) / size, size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / acc[3]) for c in acc[:3]) + (round(alpha),))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon_bitmap_bytes(rows):
    """A 32-bit BGRA DIB with its AND mask, bottom row first, as ICO wants."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_ico(path, images):
    """images: list of (size, bytes)."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(directory + entries + b"".join(data for _, data in images))


def main():
    images = [(size, icon_bitmap_bytes(render(size))) for size in BITMAP_SIZES]
    large = png_bytes(render(PNG_SIZE))
    images.append((PNG_SIZE, large))
    write_ico(os.path.join(HERE, "zor7700track.ico"), images)
    with open(os.path.join(HERE, "zor7700track.png"), "wb") as out:
        out.write(large)
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for size in THEME_SIZES:
        with open(os.path.join(HERE, "icons", "zor7700track-%d.png" % size), "wb") as out:
            out.write(png_bytes(render(size)))


if __name__ == "__main__":
    main()
