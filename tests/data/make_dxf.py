#!/usr/bin/python3
"""Writes the DXF drawings the import tests read, with ezdxf (an independent
DXF writer, Debian package python3-ezdxf).

    /usr/bin/python3 tests/data/make_dxf.py tests/data/dxf

The drawings are committed next to this script; run it again after changing it.
Coordinates are inches in CAD orientation (y grows upward).
"""
import sys
from pathlib import Path

import ezdxf


def letter_f(folder):
    """An upright letter F and an arrow pointing up, in a modern DXF version."""
    doc = ezdxf.new("R2010", setup=True)
    msp = doc.modelspace()
    msp.add_line((0, 0), (0, 4))        # stem
    msp.add_line((0, 4), (2.5, 4))      # top bar
    msp.add_line((0, 2), (1.8, 2))      # middle bar
    msp.add_lwpolyline([(5, 0), (5, 3)])                 # arrow shaft
    msp.add_lwpolyline([(4.5, 2.5), (5, 3), (5.5, 2.5)])  # arrow head, tip up
    doc.saveas(folder / "letter_f.dxf")


def r12_entities(folder):
    """One of every entity kind an R12 drawing carries, far apart from each other."""
    doc = ezdxf.new("R12", setup=True)
    msp = doc.modelspace()
    msp.add_line((10, 10), (12, 10))
    msp.add_line((12, 10), (12, 12), dxfattribs={"linetype": "DASHED"})
    msp.add_text("STOPPING_MACRO LINETYPE", dxfattribs={"insert": (20, 20), "height": 0.2})
    msp.add_line((20, 10), (22, 10))   # dropped: follows the stopping macro
    msp.add_line((30, 10), (32, 10))
    msp.add_circle((40, 10), 1)
    msp.add_arc((50, 10), 2, 350, 10)
    msp.add_polyline2d([(60, 10), (61, 11), (62, 10)])
    msp.add_point((70, 10))
    star = doc.blocks.new(name="STAR")
    star.add_line((100, 100), (101, 101))
    star.add_circle((100, 100), 3)
    msp.add_blockref("STAR", (80, 10))
    doc.saveas(folder / "r12_entities.dxf")


def r2010_entities(folder):
    """Light-weight polylines, a spline and a layer name with a blank."""
    doc = ezdxf.new("R2010", setup=True)
    doc.layers.add("Quilt Border")
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (1, 0), (1, 1)], dxfattribs={"layer": "Quilt Border"})
    msp.add_open_spline([(10, 0), (11, 2), (12, 0), (13, 2)])
    msp.add_text("0", dxfattribs={"insert": (30, 30), "layer": "Quilt Border"})
    msp.add_line((20, 0), (21, 0), dxfattribs={"layer": "Quilt Border"})
    doc.saveas(folder / "r2010_entities.dxf")


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "dxf")
    folder.mkdir(parents=True, exist_ok=True)
    letter_f(folder)
    r12_entities(folder)
    r2010_entities(folder)


if __name__ == "__main__":
    main()
