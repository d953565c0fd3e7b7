#!/usr/bin/env python3
"""Draws Quillon.ico: a blue rounded square with a white chevron pointing down
into a tray (a driver going into its archive), at 16, 32 and 48 pixels.
Run it after changing the drawing; the icon it writes is kept in the tree."""
import struct
import sys
from pathlib import Path

BLUE = (0, 120, 215)
WHITE = (255, 255, 255)


def coverage(size, inside, samples=4):
    """Anti-aliased coverage (0..1) of each pixel by the shape `inside(x, y)` in unit coordinates."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    hits += inside(x, y)
            row.append(hits / samples ** 2)
        rows.append(row)
    return rows


def rounded_square(x, y, margin=0.06, radius=0.2):
    lo, hi = margin + radius, 1 - margin - radius
    cx, cy = min(max(x, lo), hi), min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and margin <= x <= 1 - margin and margin <= y <= 1 - margin


def mark(x, y):
    # Down-pointing chevron with a 0.11 stroke, and the tray below it.
    stroke = 0.11
    along = abs(x - 0.5)
    chevron = along <= 0.26 and abs((y - 0.30) - along) <= stroke * 0.75
    stem = along <= stroke / 2 and 0.18 <= y <= 0.50
    tray = 0.66 <= y <= 0.66 + stroke and 0.22 <= x <= 0.78
    return chevron or stem or tray


def image(size):
    back = coverage(size, rounded_square)
    fore = coverage(size, mark)
    pixels = []
    for y in range(size):
        for x in range(size):
            a, f = back[y][x], fore[y][x] * back[y][x]
            r, g, b = (round(BLUE[i] * (1 - f) + WHITE[i] * f) for i in range(3))
            pixels.append((r, g, b, round(255 * a)))
    return pixels


def icon_entry(size):
    pixels = image(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for y in reversed(range(size))
                   for (r, g, b, a) in pixels[y * size:(y + 1) * size])
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # the alpha channel decides; the mask stays clear
    return header + xor + and_mask


def write_icon(path, sizes=(16, 32, 48)):
    entries = [icon_entry(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, entries):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    Path(path).write_bytes(out + b"".join(entries))


if __name__ == "__main__":
    write_icon(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).with_name("Quillon.ico"))
