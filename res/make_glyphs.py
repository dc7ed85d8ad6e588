#!/usr/bin/env python3
"""Draws the small pictures of the settings dialog's buttons and writes
res/glyph_*.ico (16, 20, 24 and 32 pixels, for 100 % to 200 % display
scaling).

Run by hand when a picture changes; the .ico files are kept in the
repository.
"""
import math
import os
import sys

from make_icon import write_icon

GREEN = (0, 128, 0)
RED = (192, 0, 0)
BLUE = (0, 64, 160)
DARK = (48, 48, 48)
YELLOW = (232, 184, 48)
ORANGE = (224, 128, 32)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def lines(segments, width, colour):
    def inside(u, v):
        return colour if any(seg_dist(u, v, *s) <= width / 2 for s in segments) else None
    return inside


def polygon(points, colour):
    def inside(u, v):
        n, c = len(points), False
        for i in range(n):
            (x1, y1), (x2, y2) = points[i], points[(i + 1) % n]
            if (y1 > v) != (y2 > v) and u < (x2 - x1) * (v - y1) / (y2 - y1) + x1:
                c = not c
        return colour if c else None
    return inside


def layers(*shapes):
    def inside(u, v):
        for s in reversed(shapes):  # the last one lies on top
            c = s(u, v)
            if c:
                return c
        return None
    return inside


GLYPHS = {
    "add": lines([(0.5, 0.15, 0.5, 0.85), (0.15, 0.5, 0.85, 0.5)], 0.2, GREEN),
    "delete": lines([(0.2, 0.2, 0.8, 0.8), (0.8, 0.2, 0.2, 0.8)], 0.18, RED),
    "rename": layers(lines([(0.3, 0.7, 0.82, 0.18)], 0.24, ORANGE),
                     polygon([(0.12, 0.88), (0.2, 0.62), (0.38, 0.8)], DARK)),
    "test": lines([(0.15, 0.55, 0.4, 0.8), (0.4, 0.8, 0.85, 0.2)], 0.18, GREEN),
    "folder": layers(polygon([(0.08, 0.25), (0.4, 0.25), (0.48, 0.35), (0.92, 0.35),
                              (0.92, 0.82), (0.08, 0.82)], DARK),
                     polygon([(0.14, 0.32), (0.37, 0.32), (0.45, 0.42), (0.86, 0.42),
                              (0.86, 0.76), (0.14, 0.76)], YELLOW)),
    "play": polygon([(0.25, 0.15), (0.85, 0.5), (0.25, 0.85)], BLUE),
}


def pixel_of(shape):
    def pixel(size, x, y):
        # 4 x 4 samples a pixel, so the edges are smooth.
        hits, colour = 0, None
        for i in range(4):
            for j in range(4):
                c = shape((x + (i + 0.5) / 4) / size, (y + (j + 0.5) / 4) / size)
                if c:
                    hits, colour = hits + 1, c
        if not hits:
            return (0, 0, 0, 0)
        return colour + (round(255 * hits / 16),)
    return pixel


def main(directory):
    for name, shape in GLYPHS.items():
        write_icon(os.path.join(directory, "glyph_%s.ico" % name), [16, 20, 24, 32], pixel_of(shape))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
