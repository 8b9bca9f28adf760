#!/usr/bin/env python3
"""Draws the program's globe icon and writes it as groundstyles.ico (a 32x32
and a 16x16 image, 16 colours each) and as PNG files for the desktop's icon
theme. Run it from anywhere; it writes next to itself."""

import math
import os
import struct
import zlib

# The standard 16-colour palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_GREEN, NAVY, TEAL, GREY, LIME, BLUE, CYAN, WHITE = 0, 2, 4, 6, 8, 10, 12, 14, 15
TRANSPARENT = None

# Land masses as (longitude, latitude, radius) in degrees, a loose sketch of
# Europe, Africa and the Americas as seen from above the Atlantic.
LAND = [
    (20, 5, 24), (25, -20, 16), (15, 48, 14), (35, 55, 12), (-5, 40, 7),
    (-60, -12, 18), (-65, -35, 10), (-100, 45, 20), (-80, 30, 10), (-45, 70, 10),
]
VIEW_LON, VIEW_LAT = -25.0, 20.0


def is_land(lon, lat):
    for c_lon, c_lat, radius in LAND:
        d_lon = (lon - c_lon + 180) % 360 - 180
        distance = math.hypot(d_lon * math.cos(math.radians(lat)), lat - c_lat)
        if distance < radius:
            return True
    return False


def pixel(size, x, y):
    """The palette index at pixel (x, y) of a size x size globe, or None outside it."""
    radius = size / 2 - 0.5
    cx = cy = (size - 1) / 2
    u, v = (x - cx) / radius, (cy - y) / radius
    r2 = u * u + v * v
    if r2 > 1.0:
        return TRANSPARENT
    if r2 > (1 - 1.6 / radius) ** 2:
        return BLACK  # outline
    # Orthographic projection back onto the sphere.
    w = math.sqrt(1 - r2)
    lat0 = math.radians(VIEW_LAT)
    lat = math.asin(v * math.cos(lat0) + w * math.sin(lat0))
    lon = math.radians(VIEW_LON) + math.atan2(u, w * math.cos(lat0) - v * math.sin(lat0))
    lat_d, lon_d = math.degrees(lat), (math.degrees(lon) + 180) % 360 - 180
    lit = (-0.5 * u + 0.6 * v + 0.6 * w) > 0.35  # light from the upper left
    if size >= 32:
        step = 30
        near_meridian = abs((lon_d + 180) % step - step / 2) > step / 2 - 2.2 / max(math.cos(lat), 0.2)
        near_parallel = abs((lat_d + 90) % step - step / 2) > step / 2 - 2.2
        if near_meridian or near_parallel:
            return CYAN if lit else TEAL
    if is_land(lon_d, lat_d):
        return LIME if lit else DARK_GREEN
    return BLUE if lit else NAVY


def image(size):
    return [[pixel(size, x, y) for x in range(size)] for y in range(size)]


def ico_image(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor = b''
    and_mask = b''
    for row in reversed(rows):  # bottom-up
        nibbles = [0 if p is None else p for p in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += line + b'\0' * (-len(line) % 4)
        bits = 0
        mask = b''
        for i, p in enumerate(row):
            bits = (bits << 1) | (1 if p is None else 0)
            if i % 8 == 7:
                mask += bytes([bits])
                bits = 0
        and_mask += mask + b'\0' * (-len(mask) % 4)
    return header + palette + xor + and_mask


def write_ico(path, images):
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b'', b''
    for rows in images:
        blob = ico_image(rows)
        size = len(rows)
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 16, 0, 1, 4, len(blob), offset + len(data))
        data += blob
    with open(path, 'wb') as out:
        out.write(directory + entries + data)


def write_png(path, rows):
    size = len(rows)
    raw = b''
    for row in rows:
        raw += b'\0' + b''.join(bytes(PALETTE[p]) + b'\xff' if p is not None else b'\0\0\0\0' for p in row)

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as out:
        out.write(png)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    big, small = image(32), image(16)
    write_ico(os.path.join(here, 'groundstyles.ico'), [big, small])
    write_png(os.path.join(here, 'groundstyles-32.png'), big)
    write_png(os.path.join(here, 'groundstyles-16.png'), small)


if __name__ == '__main__':
    main()
