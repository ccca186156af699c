#!/usr/bin/env python3
"""Draws Tarnwick's icon: a white aircraft seen from above, climbing to the upper right,
on a dark blue rounded square. Writes an .ico file with 16, 32 and 48 pixel images
(32-bit colour with alpha), built from the file format alone."""
import math
import struct
import sys

BACKGROUND = (24, 52, 110)
AIRCRAFT = (255, 255, 255)


def inside_rounded_square(x, y):
    # Unit square with corners rounded by 0.18.
    r = 0.18
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def inside_polygon(x, y, points):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def inside_aircraft(x, y):
    # Drawn nose up in a unit square, then turned 45 degrees to the right.
    angle = math.radians(45)
    u = 0.5 + (x - 0.5) * math.cos(angle) + (y - 0.5) * math.sin(angle)
    v = 0.5 - (x - 0.5) * math.sin(angle) + (y - 0.5) * math.cos(angle)
    fuselage = ((u - 0.5) / 0.075) ** 2 + ((v - 0.5) / 0.40) ** 2 <= 1
    wings = inside_polygon(u, v, [(0.5, 0.36), (0.92, 0.58), (0.92, 0.64), (0.5, 0.54), (0.08, 0.64), (0.08, 0.58)])
    tail = inside_polygon(u, v, [(0.5, 0.78), (0.70, 0.88), (0.70, 0.92), (0.5, 0.87), (0.30, 0.92), (0.30, 0.88)])
    return fuselage or wings or tail


def pixel(size, px, py, samples=4):
    """BGRA of one pixel, averaged over samples x samples points."""
    colour = [0.0, 0.0, 0.0]
    cover = 0
    for i in range(samples):
        for j in range(samples):
            x = (px + (i + 0.5) / samples) / size
            y = (py + (j + 0.5) / samples) / size
            if not inside_rounded_square(x, y):
                continue
            cover += 1
            rgb = AIRCRAFT if inside_aircraft(x, y) else BACKGROUND
            for k in range(3):
                colour[k] += rgb[k]
    if cover == 0:
        return bytes(4)
    r, g, b = (round(c / cover) for c in colour)
    return bytes((b, g, r, round(255 * cover / (samples * samples))))


def image(size):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA rows, an all-clear AND mask."""
    rows = b"".join(b"".join(pixel(size, px, py) for px in range(size)) for py in reversed(range(size)))
    mask_row = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, len(rows) + mask_row * size, 0, 0, 0, 0)
    return header + rows + bytes(mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [image(size) for size in sizes]
    offset = 6 + 16 * len(sizes)
    directory = b""
    for size, data in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, len(sizes)) + directory + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
