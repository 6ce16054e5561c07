#!/usr/bin/python3
"""Draws every icon, button, badge, cursor and waiting animation of Longarm.

    tools/icons/draw_icons.py [OUTPUT_FOLDER]     (default: images/ of the repository)

The pictures are drawn with Cairo from code alone (no fonts, no outside
artwork), so the output is the same byte for byte on every run; the test suite
checks that the committed images/ folder is exactly what this script makes.
The PNG files carry an alpha channel; the two waiting animations are GIFs with
one transparent colour.

Sizes: the large icon set (names with 64x64, "DropDownMenu_50", the 50-pixel
direction pad) serves the big screens (icon_style 1); the small set (32x32,
"_5" and the plain confirm buttons) serves the 320 x 240 screen.

Run it with Debian's /usr/bin/python3 (packages python3-cairo, python3-pil).
"""

import math
import os
import sys

import cairo
from PIL import Image

# ---------------------------------------------------------------- palette

INK = (0.13, 0.18, 0.24)          # outlines and dark glyphs
PAPER = (1.0, 1.0, 1.0)
GREEN = (0.20, 0.62, 0.27)
RED = (0.80, 0.17, 0.15)
BLUE = (0.16, 0.43, 0.74)
ORANGE = (0.93, 0.45, 0.08)
GOLD = (0.95, 0.71, 0.16)
STEEL = (0.33, 0.43, 0.53)
TEAL = (0.05, 0.55, 0.60)

# Window background of both style files: the waiting animation is drawn over it.
WINDOW_BG = (0xE6, 0xEA, 0xEE)


def lighter(c, f=0.35):
    return tuple(v + (1.0 - v) * f for v in c)


def darker(c, f=0.35):
    return tuple(v * (1.0 - f) for v in c)


# ---------------------------------------------------------------- primitives


def rounded_rect(cr, x, y, w, h, r):
    cr.new_sub_path()
    cr.arc(x + w - r, y + r, r, -math.pi / 2, 0)
    cr.arc(x + w - r, y + h - r, r, 0, math.pi / 2)
    cr.arc(x + r, y + h - r, r, math.pi / 2, math.pi)
    cr.arc(x + r, y + r, r, math.pi, 3 * math.pi / 2)
    cr.close_path()


def polygon(cr, pts):
    cr.move_to(*pts[0])
    for p in pts[1:]:
        cr.line_to(*p)
    cr.close_path()


def fill_gradient(cr, colour, y0, y1, keep=False):
    """Fills the current path with a top-light, bottom-dark vertical gradient."""
    g = cairo.LinearGradient(0, y0, 0, y1)
    g.add_color_stop_rgb(0, *lighter(colour, 0.30))
    g.add_color_stop_rgb(1, *darker(colour, 0.12))
    cr.set_source(g)
    if keep:
        cr.fill_preserve()
    else:
        cr.fill()


def stroke(cr, colour, width, keep=False):
    cr.set_source_rgb(*colour)
    cr.set_line_width(width)
    if keep:
        cr.stroke_preserve()
    else:
        cr.stroke()


def tile(cr, colour):
    """A rounded button tile on the 32-unit grid: gradient, dark rim, gloss."""
    rounded_rect(cr, 1.5, 1.5, 29, 29, 6)
    fill_gradient(cr, colour, 1.5, 30.5, keep=True)
    stroke(cr, darker(colour, 0.45), 1.2)
    rounded_rect(cr, 3.5, 3.0, 25, 12, 4.5)
    g = cairo.LinearGradient(0, 3, 0, 15)
    g.add_color_stop_rgba(0, 1, 1, 1, 0.40)
    g.add_color_stop_rgba(1, 1, 1, 1, 0.0)
    cr.set_source(g)
    cr.fill()


def white_glyph(cr, draw_path, line=None):
    """Fills (or strokes, with a line width) a glyph in white over a soft shadow."""
    for dx, colour, alpha in ((0.0, (0, 0, 0), 0.28), (-0.6, (1, 1, 1), 1.0)):
        cr.save()
        cr.translate(0.0, 0.9 + dx * 1.5)
        draw_path(cr)
        cr.set_source_rgba(*colour, alpha)
        if line:
            cr.set_line_width(line)
            cr.set_line_cap(cairo.LINE_CAP_ROUND)
            cr.set_line_join(cairo.LINE_JOIN_ROUND)
            cr.stroke()
        else:
            cr.fill()
        cr.restore()


def arrow_shape(cr):
    """A bold arrow pointing right, centred in the 32-unit square."""
    polygon(cr, [(6, 12.5), (16, 12.5), (16, 6.5), (26.5, 16), (16, 25.5), (16, 19.5),
                 (6, 19.5)])


def rotated(cr, quarter_turns, draw):
    cr.save()
    cr.translate(16, 16)
    cr.rotate(quarter_turns * math.pi / 2)
    cr.translate(-16, -16)
    draw(cr)
    cr.restore()


# ---------------------------------------------------------------- menu icons


def draw_home(cr):
    # Chimney, house body, roof, door and window.
    cr.rectangle(20.5, 5, 4, 8)
    cr.set_source_rgb(*darker(RED, 0.2))
    cr.fill_preserve()
    stroke(cr, INK, 1.4)
    polygon(cr, [(7, 14.5), (25, 14.5), (25, 28.5), (7, 28.5)])
    fill_gradient(cr, (0.97, 0.91, 0.80), 14, 29, keep=True)
    stroke(cr, INK, 1.6)
    polygon(cr, [(2.5, 16.5), (16, 4), (29.5, 16.5), (27, 18.5), (16, 8.5), (5, 18.5)])
    fill_gradient(cr, RED, 4, 18, keep=True)
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    stroke(cr, INK, 1.4)
    cr.rectangle(13, 20, 6, 8.5)
    cr.set_source_rgb(0.55, 0.33, 0.16)
    cr.fill_preserve()
    stroke(cr, INK, 1.2)
    cr.rectangle(20, 18, 3.5, 3.5)
    cr.set_source_rgb(*lighter(BLUE, 0.5))
    cr.fill_preserve()
    stroke(cr, INK, 1.0)


def draw_edit(cr):
    # A sheet with lines of writing and a pencil across it.
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    polygon(cr, [(4, 3), (18, 3), (23, 8), (23, 29), (4, 29)])
    cr.set_source_rgb(*PAPER)
    cr.fill_preserve()
    stroke(cr, INK, 1.5)
    polygon(cr, [(18, 3), (18, 8), (23, 8)])
    cr.set_source_rgb(0.85, 0.88, 0.92)
    cr.fill_preserve()
    stroke(cr, INK, 1.0)
    for y in (11, 15, 19, 23):
        cr.move_to(7.5, y)
        cr.line_to(19.5 if y < 19 else 13.5, y)
    stroke(cr, (0.55, 0.62, 0.70), 1.4)
    cr.save()
    cr.translate(22, 18)
    cr.rotate(math.radians(45))
    # Pencil along the local x axis: tip at x = -13, eraser at x = 11.
    polygon(cr, [(-8, -3), (8, -3), (8, 3), (-8, 3)])
    fill_gradient(cr, GOLD, -3, 3, keep=True)
    stroke(cr, INK, 1.2)
    polygon(cr, [(8, -3), (12, -3), (12, 3), (8, 3)])
    cr.set_source_rgb(0.93, 0.55, 0.60)
    cr.fill_preserve()
    stroke(cr, INK, 1.2)
    polygon(cr, [(-8, -3), (-14, 0), (-8, 3)])
    cr.set_source_rgb(0.96, 0.85, 0.66)
    cr.fill_preserve()
    stroke(cr, INK, 1.2)
    polygon(cr, [(-12, -1), (-14, 0), (-12, 1)])
    cr.set_source_rgb(*INK)
    cr.fill()
    cr.restore()


def draw_search(cr):
    # A magnifying glass: the View menu (zoom and pan).
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    cr.move_to(19.5, 19.5)
    cr.line_to(28, 28)
    stroke(cr, INK, 6.0)
    cr.move_to(20.5, 20.5)
    cr.line_to(27.5, 27.5)
    stroke(cr, (0.52, 0.33, 0.17), 3.4)
    cr.arc(13, 13, 9, 0, 2 * math.pi)
    g = cairo.RadialGradient(10, 10, 1, 13, 13, 9)
    g.add_color_stop_rgb(0, 1, 1, 1)
    g.add_color_stop_rgb(1, *lighter(BLUE, 0.55))
    cr.set_source(g)
    cr.fill_preserve()
    stroke(cr, INK, 3.0)
    cr.arc(13, 13, 5.5, math.radians(200), math.radians(270))
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    stroke(cr, PAPER, 1.6)


def draw_zigzag(cr):
    # A zigzag stitch: thread between needle holes on a strip of fabric.
    rounded_rect(cr, 2, 7, 28, 18, 3)
    cr.set_source_rgb(0.93, 0.90, 0.82)
    cr.fill_preserve()
    stroke(cr, INK, 1.2)
    pts = [(5, 21), (9.5, 11), (14, 21), (18.5, 11), (23, 21), (27.5, 11)]
    cr.move_to(*pts[0])
    for p in pts[1:]:
        cr.line_to(*p)
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    stroke(cr, TEAL, 2.6)
    for p in pts:
        cr.arc(p[0], p[1], 1.1, 0, 2 * math.pi)
        cr.set_source_rgb(*INK)
        cr.fill()


# ---------------------------------------------------------------- toolbar


def draw_start(cr):
    # Green round button with a white "play" triangle.
    cr.arc(16, 16, 14, 0, 2 * math.pi)
    fill_gradient(cr, GREEN, 2, 30, keep=True)
    stroke(cr, darker(GREEN, 0.5), 1.4)
    white_glyph(cr, lambda c: polygon(c, [(12.5, 8.5), (24, 16), (12.5, 23.5)]))


def octagon(cr, cx, cy, r):
    pts = []
    for i in range(8):
        a = math.radians(22.5 + 45 * i)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    polygon(cr, pts)


def draw_stop(cr):
    # Red octagon (the road stop sign) with a white square.
    octagon(cr, 16, 16, 15)
    fill_gradient(cr, RED, 1, 31, keep=True)
    stroke(cr, darker(RED, 0.5), 1.4)
    octagon(cr, 16, 16, 12.2)
    stroke(cr, (1, 1, 1), 1.2)
    white_glyph(cr, lambda c: rounded_rect(c, 10.5, 10.5, 11, 11, 1.5))


def draw_stitch(cr):
    # A sewing needle coming down into a strip of fabric with running stitches.
    rounded_rect(cr, 1.5, 20, 29, 10, 2.5)
    cr.set_source_rgb(0.93, 0.90, 0.82)
    cr.fill_preserve()
    stroke(cr, INK, 1.2)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    for x in (4.5, 11):
        cr.move_to(x, 25)
        cr.line_to(x + 4, 25)
    stroke(cr, BLUE, 2.8)
    # Thread from the needle's eye down to the last stitch.
    cr.move_to(20.5, 6)
    cr.curve_to(29, 7, 27, 17, 19.5, 25)
    stroke(cr, BLUE, 1.8)
    cr.save()
    cr.translate(17.5, 14)
    cr.rotate(math.radians(-75))
    # Needle along the local x axis, point at x = -12.5 (in the fabric).
    polygon(cr, [(-12.5, 0), (-5, -2.4), (11, -2.4), (13, 0), (11, 2.4), (-5, 2.4)])
    g = cairo.LinearGradient(0, -2.4, 0, 2.4)
    g.add_color_stop_rgb(0, 0.97, 0.98, 0.99)
    g.add_color_stop_rgb(1, 0.56, 0.61, 0.67)
    cr.set_source(g)
    cr.fill_preserve()
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    stroke(cr, INK, 1.3)
    rounded_rect(cr, 5, -0.9, 5.5, 1.8, 0.9)
    cr.set_source_rgb(*INK)
    cr.fill()
    cr.restore()


def padlock(cr, cx, top, w):
    """A gold padlock; the shackle starts at y = top, the body is w wide."""
    h = w * 0.78
    cr.set_line_cap(cairo.LINE_CAP_BUTT)
    r = w * 0.30
    cr.move_to(cx - r, top + h * 0.75)
    cr.line_to(cx - r, top + r)
    cr.arc(cx, top + r, r, math.pi, 2 * math.pi)
    cr.line_to(cx + r, top + h * 0.75)
    stroke(cr, INK, w * 0.24)
    cr.move_to(cx - r, top + h * 0.75)
    cr.line_to(cx - r, top + r)
    cr.arc(cx, top + r, r, math.pi, 2 * math.pi)
    cr.line_to(cx + r, top + h * 0.75)
    stroke(cr, (0.78, 0.80, 0.84), w * 0.11)
    by = top + r + w * 0.18
    rounded_rect(cr, cx - w / 2, by, w, h, w * 0.12)
    fill_gradient(cr, GOLD, by, by + h, keep=True)
    stroke(cr, INK, max(1.0, w * 0.09))
    cr.arc(cx, by + h * 0.40, w * 0.10, 0, 2 * math.pi)
    cr.set_source_rgb(*INK)
    cr.fill()
    polygon(cr, [(cx - w * 0.05, by + h * 0.42), (cx + w * 0.05, by + h * 0.42),
                 (cx + w * 0.08, by + h * 0.75), (cx - w * 0.08, by + h * 0.75)])
    cr.fill()


def double_arrow(cr, x0, y0, x1, y1, colour, width, head):
    """A line with an arrowhead at both ends."""
    ang = math.atan2(y1 - y0, x1 - x0)
    ux, uy = math.cos(ang), math.sin(ang)
    cr.move_to(x0 + ux * head * 0.8, y0 + uy * head * 0.8)
    cr.line_to(x1 - ux * head * 0.8, y1 - uy * head * 0.8)
    stroke(cr, colour, width)
    for (tx, ty, s) in ((x1, y1, 1), (x0, y0, -1)):
        bx, by = tx - s * ux * head, ty - s * uy * head
        polygon(cr, [(tx, ty), (bx - uy * head * 0.75, by + ux * head * 0.75),
                     (bx + uy * head * 0.75, by - ux * head * 0.75)])
        cr.set_source_rgb(*colour)
        cr.fill()


def draw_lock_horizontal(cr):
    # Left-right arrow under a padlock: the X (across) axis is held.
    double_arrow(cr, 2, 24.5, 30, 24.5, BLUE, 3.2, 7)
    padlock(cr, 16, 1.5, 13)


def draw_lock_vertical(cr):
    # Up-down arrow beside a padlock: the Y (front-back) axis is held.
    double_arrow(cr, 7, 2, 7, 30, BLUE, 3.2, 7)
    padlock(cr, 21, 6, 13)


def draw_dropdown(cr):
    # The pattern menu: a card with menu lines and a drop-down caret.
    rounded_rect(cr, 3, 4, 26, 21, 3)
    cr.set_source_rgb(*PAPER)
    cr.fill_preserve()
    stroke(cr, INK, 1.5)
    cr.set_line_cap(cairo.LINE_CAP_ROUND)
    for y in (9.5, 14.5, 19.5):
        cr.arc(7.5, y, 1.3, 0, 2 * math.pi)
        cr.set_source_rgb(*BLUE)
        cr.fill()
        cr.move_to(11, y)
        cr.line_to(25, y)
        stroke(cr, INK, 2.0)
    polygon(cr, [(18, 23), (30, 23), (24, 30)])
    cr.set_source_rgb(*ORANGE)
    cr.fill_preserve()
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    stroke(cr, darker(ORANGE, 0.5), 1.2)


# ---------------------------------------------------------------- confirm buttons, pad


def draw_ok(cr):
    tile(cr, GREEN)
    white_glyph(cr, lambda c: (c.move_to(8.5, 16.5), c.line_to(13.5, 21.5),
                               c.line_to(23.5, 10.5)), line=4.2)


def draw_cancel(cr):
    tile(cr, RED)
    white_glyph(cr, lambda c: (c.move_to(10, 10), c.line_to(22, 22), c.move_to(22, 10),
                               c.line_to(10, 22)), line=4.2)


def draw_add(cr):
    tile(cr, BLUE)
    white_glyph(cr, lambda c: (c.move_to(16, 8.5), c.line_to(16, 23.5), c.move_to(8.5, 16),
                               c.line_to(23.5, 16)), line=4.4)


def pad_arrow(quarter_turns):
    def draw(cr):
        tile(cr, BLUE)
        rotated(cr, quarter_turns, lambda c: white_glyph(c, arrow_shape))
    return draw


def corner_arrow(quarter_turns):
    """Arrow into the top-left corner with a corner mark, turned clockwise."""
    def shape(cr):
        cr.set_line_join(cairo.LINE_JOIN_ROUND)
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        # Corner mark.
        cr.move_to(3, 15)
        cr.line_to(3, 3)
        cr.line_to(15, 3)
        stroke(cr, PAPER, 5.0)
        cr.move_to(3, 15)
        cr.line_to(3, 3)
        cr.line_to(15, 3)
        stroke(cr, INK, 2.6)
        # Arrow from the middle towards the corner.
        path = [(8, 8), (18.5, 8), (15, 11.5), (27, 23.5), (23.5, 27), (11.5, 15), (8, 18.5)]
        polygon(cr, path)
        cr.set_source_rgb(*PAPER)
        cr.set_line_width(3.0)
        cr.stroke_preserve()
        fill_gradient(cr, RED, 8, 27, keep=True)
        stroke(cr, darker(RED, 0.5), 1.1)
    return lambda cr: rotated(cr, quarter_turns, shape)


def circular_arrow(clockwise):
    """The motor-direction badge: a round arrow, clockwise for forward."""
    def draw(cr):
        cr.save()
        if not clockwise:
            cr.translate(32, 0)
            cr.scale(-1, 1)
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        a0, a1 = math.radians(-60), math.radians(200)
        cr.arc(16, 16, 10, a0, a1)
        stroke(cr, INK, 4.0)
        # Arrowhead at the end of the arc, pointing clockwise.
        ex, ey = 16 + 10 * math.cos(a1), 16 + 10 * math.sin(a1)
        tx, ty = -math.sin(a1), math.cos(a1)        # tangent, clockwise
        nx, ny = math.cos(a1), math.sin(a1)         # outward normal
        polygon(cr, [(ex + tx * 7, ey + ty * 7), (ex + nx * 6.5, ey + ny * 6.5),
                     (ex - nx * 6.5, ey - ny * 6.5)])
        cr.set_source_rgb(*INK)
        cr.fill()
        cr.restore()
        # The letter F or R in the middle, drawn with strokes.
        cr.set_line_cap(cairo.LINE_CAP_ROUND)
        cr.set_line_join(cairo.LINE_JOIN_ROUND)
        if clockwise:
            cr.move_to(19, 11.5)
            cr.line_to(13.5, 11.5)
            cr.line_to(13.5, 21)
            cr.move_to(13.5, 16)
            cr.line_to(18, 16)
        else:
            cr.move_to(13.5, 21)
            cr.line_to(13.5, 11.5)
            cr.line_to(16.5, 11.5)
            cr.curve_to(20, 11.5, 20, 16.5, 16.5, 16.5)
            cr.line_to(13.5, 16.5)
            cr.move_to(16.5, 16.5)
            cr.line_to(19.5, 21)
        stroke(cr, INK, 2.4)
    return draw


def round_button(glyph):
    """The on-view edit buttons: a steel disc with a white glyph."""
    def draw(cr):
        cr.arc(16, 16, 14.5, 0, 2 * math.pi)
        fill_gradient(cr, STEEL, 1.5, 30.5, keep=True)
        stroke(cr, darker(STEEL, 0.5), 1.2)
        cr.arc(16, 16, 12.5, math.radians(200), math.radians(340))
        stroke(cr, lighter(STEEL, 0.5), 1.2)
        white_glyph(cr, glyph, line=4.0)
    return draw


def minus_glyph(c):
    c.move_to(9.5, 16)
    c.line_to(22.5, 16)


def plus_glyph(c):
    minus_glyph(c)
    c.move_to(16, 9.5)
    c.line_to(16, 22.5)


def keyboard_button(cr):
    """The on-view "type a value" button: a steel disc with a small keyboard."""
    cr.arc(16, 16, 14.5, 0, 2 * math.pi)
    fill_gradient(cr, STEEL, 1.5, 30.5, keep=True)
    stroke(cr, darker(STEEL, 0.5), 1.2)
    cr.arc(16, 16, 12.5, math.radians(200), math.radians(340))
    stroke(cr, lighter(STEEL, 0.5), 1.2)

    def keys(c):
        rounded_rect(c, 6, 10, 20, 13, 2)
        c.set_fill_rule(cairo.FILL_RULE_EVEN_ODD)
        for row, y in enumerate((12, 15.5)):
            for i in range(5 - row):
                c.rectangle(8 + row * 1.75 + i * 3.5, y, 2.3, 2.3)
        c.rectangle(10.5, 19, 11, 2.3)
    white_glyph(cr, keys)
    cr.set_fill_rule(cairo.FILL_RULE_WINDING)


# ---------------------------------------------------------------- keyboard, cursor, folders


def draw_shift(cr):
    # Outlined up arrow (the keyboard turns it a quarter for backspace); 24 units.
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    polygon(cr, [(12, 2), (22.5, 12.5), (16.5, 12.5), (16.5, 22), (7.5, 22), (7.5, 12.5),
                 (1.5, 12.5)])
    cr.set_source_rgb(*PAPER)
    cr.fill_preserve()
    stroke(cr, INK, 2.0)


def draw_thinker(cr):
    # Busy cursor, 20 units: an hourglass with sand running through.
    cr.set_line_join(cairo.LINE_JOIN_ROUND)
    polygon(cr, [(4.5, 3), (15.5, 3), (15.5, 5), (11, 10), (15.5, 15), (15.5, 17), (4.5, 17),
                 (4.5, 15), (9, 10), (4.5, 5)])
    cr.set_source_rgb(*PAPER)
    cr.fill_preserve()
    stroke(cr, INK, 1.4)
    polygon(cr, [(7, 6.5), (13, 6.5), (10, 9.5)])
    cr.set_source_rgb(*darker(GOLD, 0.1))
    cr.fill()
    polygon(cr, [(6, 16), (14, 16), (10, 12.5)])
    cr.fill()
    cr.rectangle(9.5, 9.5, 1, 4)
    cr.fill()
    for y in (1.0, 17.5):
        rounded_rect(cr, 2.5, y, 15, 1.8, 0.8)
        cr.set_source_rgb(0.55, 0.33, 0.16)
        cr.fill_preserve()
        stroke(cr, INK, 0.9)


def folder(colour, line):
    def draw(cr):
        cr.set_line_join(cairo.LINE_JOIN_ROUND)
        polygon(cr, [(2, 8), (2, 5.5), (4, 4), (11, 4), (13.5, 7), (27, 7), (28.5, 8.5),
                     (28.5, 12), (2, 12)])
        fill_gradient(cr, darker(colour, 0.12), 4, 12, keep=True)
        stroke(cr, darker(colour, 0.55), line)
        polygon(cr, [(2, 11), (30, 11), (28.5, 27), (3.5, 27)])
        fill_gradient(cr, colour, 11, 27, keep=True)
        stroke(cr, darker(colour, 0.55), line)
        cr.move_to(3.2, 13)
        cr.line_to(28.8, 13)
        cr.set_source_rgba(1, 1, 1, 0.5)
        cr.set_line_width(line)
        cr.stroke()
    return draw


# ---------------------------------------------------------------- the image list

# Every image the program loads by name: (file, size in pixels, drawing, design grid).
ICONS = []


def icon(name, size, draw, grid=32):
    ICONS.append((name, size, draw, grid))


for big, small, fn in (("home-64x64.png", "home-32x32.png", draw_home),
                       ("app-edit-64x64.png", "app-edit-32x32.png", draw_edit),
                       ("search-64x64.png", "search-32x32.png", draw_search),
                       ("ZigZag.png", "ZigZag_5.png", draw_zigzag),
                       ("Start_64x64.png", "Start_32x32.png", draw_start),
                       ("Stop_64x64.png", "Stop_32x32.png", draw_stop),
                       ("Stitch_64x64.png", "Stitch_32x32.png", draw_stitch),
                       ("LockHorizontal.png", "LockHorizontal_32x32.png", draw_lock_horizontal),
                       ("LockVertical.png", "LockVertical_32x32.png", draw_lock_vertical),
                       ("OK_64x64.png", "OK.png", draw_ok),
                       ("Add_64x64.png", "Add.png", draw_add),
                       ("Cancel_64x64.png", "Cancel.png", draw_cancel)):
    icon(big, 64, fn)
    icon(small, 32, fn)

icon("DropDownMenu_50.png", 50, draw_dropdown)
for name, turns in (("Right", 0), ("Down", 1), ("Left", 2), ("Up", 3)):
    icon(name + ".png", 50, pad_arrow(turns))
    icon(name + "_5.png", 32, pad_arrow(turns))
icon("TL_Arrow.png", 32, corner_arrow(0))
icon("TR_Arrow.png", 32, corner_arrow(1))
icon("BR_Arrow.png", 32, corner_arrow(2))
icon("Forward_32x32.png", 32, circular_arrow(True))
icon("ReverseArrow_32x32.png", 32, circular_arrow(False))
icon("Minus.png", 32, round_button(minus_glyph))
icon("Plus.png", 32, round_button(plus_glyph))
icon("Text.png", 32, keyboard_button)
icon("shift.png", 24, draw_shift, grid=24)
icon("thinker_20x20.png", 20, draw_thinker, grid=20)
icon("Folder.png", 16, folder(GOLD, 1.6))
icon("FolderBlue.png", 48, folder(lighter(BLUE, 0.2), 1.2))
icon("FolderBlue_5.png", 24, folder(lighter(BLUE, 0.2), 1.4))

# Waiting animations: (file, size in pixels).
ANIMATIONS = [("waitingIcon200.gif", 200), ("waitingIcon100.gif", 100)]


def render_png(path, size, draw, grid):
    surface = cairo.ImageSurface(cairo.FORMAT_ARGB32, size, size)
    cr = cairo.Context(surface)
    cr.scale(size / grid, size / grid)
    draw(cr)
    surface.flush()
    surface.write_to_png(path)


# ---------------------------------------------------------------- waiting animation

SPINNER_COLOUR = (0x1F, 0x5F, 0xA8)
SPINNER_DOTS = 12


def spinner_frame(size, step):
    """One frame as 8-bit coverage: 0 is background, 255 full spinner colour."""
    surface = cairo.ImageSurface(cairo.FORMAT_A8, size, size)
    cr = cairo.Context(surface)
    cr.scale(size / 100.0, size / 100.0)
    for i in range(SPINNER_DOTS):
        # The dot at the head of the turn is darkest; the tail fades out.
        age = (step - i) % SPINNER_DOTS
        strength = max(0.12, 1.0 - age / SPINNER_DOTS * 1.1)
        a = 2 * math.pi * i / SPINNER_DOTS - math.pi / 2
        r = 6.8 - 2.2 * age / SPINNER_DOTS
        cr.arc(50 + 36 * math.cos(a), 50 + 36 * math.sin(a), r, 0, 2 * math.pi)
        cr.set_source_rgba(0, 0, 0, strength)
        cr.fill()
    # A needle in the middle: the machine is working.
    cr.save()
    cr.translate(50, 50)
    cr.rotate(math.radians(-60))
    polygon(cr, [(-17, 0), (-8, -2.6), (14, -2.6), (16, 0), (14, 2.6), (-8, 2.6)])
    cr.set_source_rgba(0, 0, 0, 0.85)
    cr.fill()
    cr.set_operator(cairo.OPERATOR_CLEAR)
    rounded_rect(cr, 7, -1.0, 5, 2.0, 1.0)
    cr.fill()
    cr.restore()
    surface.flush()
    stride = surface.get_stride()
    data = bytes(surface.get_data())
    return b"".join(data[y * stride:y * stride + size] for y in range(size))


def render_gif(path, size):
    palette = []
    for i in range(256):
        t = i / 255.0
        palette += [round(WINDOW_BG[k] * (1 - t) + SPINNER_COLOUR[k] * t) for k in range(3)]
    frames = []
    for step in range(SPINNER_DOTS):
        im = Image.frombytes("P", (size, size), spinner_frame(size, step))
        im.putpalette(palette)
        frames.append(im)
    frames[0].save(path, save_all=True, append_images=frames[1:], duration=100, loop=0,
                   transparency=0, disposal=2, optimize=False)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "images")
    os.makedirs(out, exist_ok=True)
    for name, size, draw, grid in ICONS:
        render_png(os.path.join(out, name), size, draw, grid)
    for name, size in ANIMATIONS:
        render_gif(os.path.join(out, name), size)
    print("%d images written to %s" % (len(ICONS) + len(ANIMATIONS), os.path.normpath(out)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
