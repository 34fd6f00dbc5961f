#!/usr/bin/env python3
"""Writes the bundled example data files in examples/.

grey.csv: a single-value field of interfering waves on a 160 x 120 grid
centred on the origin (values from about -2 to 2, so normalize matters).
colour.csv: a three-channel colour wheel, 128 x 128, in the upper right.
"""
import math
import os

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")

with open(os.path.join(here, "grey.csv"), "w", newline="\n") as f:
    for y in range(-60, 60):
        for x in range(-80, 80):
            r1 = math.hypot(x + 30, y)
            r2 = math.hypot(x - 30, y + 10)
            v = math.cos(r1 / 4.0) + math.cos(r2 / 5.0)
            f.write(f"{x},{y},{v:.4f}\n")

with open(os.path.join(here, "colour.csv"), "w", newline="\n") as f:
    for y in range(128):
        for x in range(128):
            dx, dy = x - 63.5, y - 63.5
            r = math.hypot(dx, dy) / 63.5
            if r > 1.0:
                continue  # pixels without a record stay black
            a = math.atan2(dy, dx)
            red = 255 * r * (0.5 + 0.5 * math.cos(a))
            green = 255 * r * (0.5 + 0.5 * math.cos(a - 2.0944))
            blue = 255 * r * (0.5 + 0.5 * math.cos(a + 2.0944))
            f.write(f"{x},{y},{red:.2f},{green:.2f},{blue:.2f}\n")
