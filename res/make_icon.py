#!/usr/bin/env python3
"""Draws the program's icon (a clock face) and writes res/plenwick.ico.

Run by hand when the picture changes; the .ico is kept in the repository.
"""
import math
import struct
import sys


def pixel(size, x, y):
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy)
    outer = size / 2.0 - 0.5
    if r > outer:
        return (0, 0, 0, 0)
    if r > outer - max(1.0, size / 14.0):
        return (128, 0, 0, 255)  # maroon rim
    # hands: 10:10, hour hand short, minute hand long
    def near_hand(angle_deg, length):
        a = math.radians(angle_deg)
        hx, hy = math.sin(a), -math.cos(a)
        t = dx * hx + dy * hy
        if t < 0 or t > length:
            return False
        return abs(dx * hy - dy * hx) <= max(0.6, size / 22.0)
    if near_hand(305, outer * 0.55) or near_hand(60, outer * 0.8):
        return (0, 0, 0, 255)
    # hour ticks
    for h in range(12):
        a = math.radians(h * 30)
        tx, ty = c + math.sin(a) * outer * 0.78, c - math.cos(a) * outer * 0.78
        if math.hypot(x - tx, y - ty) <= max(0.5, size / 28.0):
            return (0, 0, 255, 255)
    return (255, 255, 224, 255)


def image(size, pixel_of=pixel):
    rows = []
    for y in reversed(range(size)):  # BMP rows are bottom-up
        row = b"".join(struct.pack("BBBB", p[2], p[1], p[0], p[3])
                       for p in (pixel_of(size, x, y) for x in range(size)))
        rows.append(row)
    xor = b"".join(rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def write_icon(out, sizes, pixel_of):
    """Writes an .ico with one 32-bit image per size, drawn by pixel_of."""
    images = [image(s, pixel_of) for s in sizes]
    data = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


def main(out):
    write_icon(out, [16, 32, 48], pixel)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/plenwick.ico")
