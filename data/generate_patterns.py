#!/usr/bin/python3
"""Generates the sample pattern library in data/patterns/.

    /usr/bin/python3 data/generate_patterns.py [OUTPUT_FOLDER]

Every pattern is computed from closed-form curves with no randomness, shifted
so its smallest x and y are 0, and written with three decimals exactly as the
controller writes pattern files, so that loading and saving a sample gives the
same bytes back. Running the script again reproduces the files byte for byte.
"""

import math
import os
import sys


def fmt(v):
    text = "%.3f" % v
    return "0.000" if text == "-0.000" else text


class PatternWriter:
    """Collects name lines, points and the commands that precede points."""

    def __init__(self, names):
        self.names = list(names)
        self.points = []  # (x, y) in inches
        self.pending = []  # commands waiting for the next point
        self.items = []  # ("c", text) or ("p", index) in file order

    def command(self, text):
        self.items.append(("c", text))

    def point(self, x, y):
        self.items.append(("p", len(self.points)))
        self.points.append((x, y))

    def text(self):
        min_x = min(p[0] for p in self.points)
        min_y = min(p[1] for p in self.points)
        out = ["n %s\n" % n for n in self.names]
        for kind, value in self.items:
            if kind == "c":
                out.append(value + "\n")
            else:
                x, y = self.points[value]
                out.append("p X%s Y%s\n" % (fmt(x - min_x), fmt(y - min_y)))
        return "".join(out)


def meander():
    """Rows of a wandering serpentine: the classic all-over meander."""
    w = PatternWriter(["Meander", "All-over meander 12 x 12 in"])
    rows = 6
    steps = 240
    for row in range(rows):
        forward = row % 2 == 0
        base = row * 2.0
        for i in range(steps + 1):
            t = i / steps
            if not forward:
                t = 1.0 - t
            x = 12.0 * t
            y = base + 0.55 * math.sin(2 * math.pi * 5 * t) + 0.25 * math.sin(2 * math.pi * 13 * t + row)
            w.point(x, y)
    return w


def loops():
    """A line of loop-de-loops (a prolate cycloid) across 18 inches."""
    w = PatternWriter(["Loops", "Loop-de-loop row 18 in"])
    loops_count = 12
    per_loop = 60
    r = 0.9
    a = 18.0 / (2 * math.pi * loops_count)
    for i in range(loops_count * per_loop + 1):
        t = 2 * math.pi * i / per_loop
        w.point(a * t - r * math.sin(t) + r, 1.0 - r * math.cos(t))
    return w


def star_points(cx, cy, outer, inner, tips=5, turn=-math.pi / 2):
    pts = []
    for k in range(tips * 2 + 1):
        radius = outer if k % 2 == 0 else inner
        angle = turn + math.pi * k / tips
        pts.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return pts


def stars():
    """Nine five-point stars on a 3 x 3 grid, joined by jumps; each star is one
    entity."""
    w = PatternWriter(["Stars", "Nine stars, jumps between them"])
    for row in range(3):
        for col in range(3):
            c = col if row % 2 == 0 else 2 - col
            pts = star_points(2.0 + 4.0 * c, 2.0 + 4.0 * row, 1.8, 0.7)
            if row or col:
                w.command("c s")
            w.command("c e s")
            for x, y in pts:
                w.point(x, y)
            w.command("c e e")
    w.command("c f 10")
    return w


def border():
    """A scalloped border with a curl in every scallop, 36 x 3 inches."""
    w = PatternWriter(["Border", "Scallop and curl border 36 x 3 in"])
    repeats = 12
    span = 36.0 / repeats
    for k in range(repeats):
        x0 = k * span
        # Scallop: a half ellipse from the baseline up and back down.
        for i in range(41):
            t = math.pi * i / 40
            w.point(x0 + span / 2 - (span / 2) * math.cos(t), 3.0 - 2.4 * math.sin(t))
        # Curl: a small spiral back into the scallop and out again.
        cx, cy = x0 + span, 2.2
        for i in range(1, 31):
            t = 2 * math.pi * i / 30
            rr = 0.5 * (1 - i / 40)
            w.point(cx - rr * math.sin(t), cy + 0.5 - rr * math.cos(t) - 0.5 + 0.8 * (1 - i / 30))
    return w


def large():
    """A dense spirograph rose of 100,000 points for load, save and drawing
    benchmarks, 20 x 20 inches."""
    w = PatternWriter(["Large", "Spirograph rose, 100000 points"])
    n = 100000
    big, small, pen = 7.0, 2.3, 2.9
    for i in range(n):
        t = 2 * math.pi * 23 * i / n
        x = (big - small) * math.cos(t) + pen * math.cos((big - small) / small * t)
        y = (big - small) * math.sin(t) - pen * math.sin((big - small) / small * t)
        w.point(10.0 + x, 10.0 + y)
    return w


PATTERNS = {
    "meander.qcc": meander,
    "loops.qcc": loops,
    "stars.qcc": stars,
    "border.qcc": border,
    "large.qcc": large,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "patterns")
    os.makedirs(out, exist_ok=True)
    for name, build in PATTERNS.items():
        with open(os.path.join(out, name), "w", encoding="ascii", newline="\n") as f:
            f.write(build().text())
    return 0


if __name__ == "__main__":
    sys.exit(main())
