#!/usr/bin/env python3
"""Draws the program's icon (a clock face) at every size of 100 % to 200 %
display scaling and writes res/plenwick.ico (needs ImageMagick's convert).

Run by hand when the picture changes; the .ico is kept in the repository.
"""
import math
import os
import subprocess
import sys
import tempfile


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


def smooth(pixel_of, samples=4):
    """pixel_of sampled samples x samples times a pixel, so the edges of a
    large size are smooth instead of stepped."""
    def pixel(size, x, y):
        acc = [0, 0, 0, 0]
        for i in range(samples):
            for j in range(samples):
                p = pixel_of(size, x - 0.5 + (i + 0.5) / samples, y - 0.5 + (j + 0.5) / samples)
                a = p[3]
                for k in range(3):
                    acc[k] += p[k] * a
                acc[3] += a
        if acc[3] == 0:
            return (0, 0, 0, 0)
        n = samples * samples
        return tuple(round(acc[k] / acc[3]) for k in range(3)) + (round(acc[3] / n),)
    return pixel


def write_pam(path, size, pixel_of):
    with open(path, "wb") as f:
        f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (size, size))
        f.write(bytes(c for y in range(size) for x in range(size) for c in pixel_of(size, x, y)))


def write_icon(out, sizes, pixel_of):
    """Writes an .ico with one 32-bit image per size, each drawn at its own
    size by pixel_of; ImageMagick packs them (the 256-pixel one as PNG)."""
    with tempfile.TemporaryDirectory() as tmp:
        frames = []
        for s in sizes:
            frames.append(os.path.join(tmp, "%03d.pam" % s))
            write_pam(frames[-1], s, pixel_of)
        subprocess.run(["convert", *frames, out], check=True)


# 100 % to 200 % display scaling: the small icon (16 at 100 %) and the
# large one (32), and the shell's large views.
SIZES = [16, 20, 24, 32, 40, 48, 256]


def main(out):
    write_icon(out, SIZES, smooth(pixel))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "res/plenwick.ico")
