#!/usr/bin/python3
"""Writes the seed inputs of the fuzz harnesses into fuzz/corpus/NAME/.

    /usr/bin/python3 fuzz/make_seeds.py

The seeds are small, valid examples of each format, taken from the sample
patterns (data/patterns, made by data/generate_patterns.py) and the test
drawings (tests/data/dxf, made by tests/data/make_dxf.py), or built here from
the formats' definitions. They are committed; run this again after changing it.
"""
import gzip
import io
import math
import tarfile
import struct
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"


def write(harness, name, data):
    folder = CORPUS / harness
    folder.mkdir(parents=True, exist_ok=True)
    if isinstance(data, str):
        data = data.encode()
    (folder / name).write_bytes(data)


def pattern_points(name, limit=None):
    """(x, y) inches of a sample pattern's point lines."""
    points = []
    for line in (ROOT / "data" / "patterns" / name).read_text().splitlines():
        if line.startswith("p X"):
            x, y = line[3:].split(" Y")
            points.append((float(x), float(y)))
            if limit and len(points) >= limit:
                break
    return points


def pattern_seeds():
    write("pattern_file", "stars.qcc", (ROOT / "data/patterns/stars.qcc").read_bytes())
    for name in ("loops.qcc", "meander.qcc", "border.qcc"):
        lines = (ROOT / "data/patterns" / name).read_text().splitlines(keepends=True)
        write("pattern_file", name, "".join(lines[:60]))
    write("pattern_file", "commands.qcc",
          "n every command\nc s\np X-1.5 Y2\nc f 10\np X3.25 Y-0.5\nc e s\n"
          "p X1e1 Y+4.0\r\nc e e\nc F\nq ignored\nn after the points\nc s\n")


def dxf_entities(name):
    """The ENTITIES section of a test drawing, as a drawing of its own."""
    lines = (ROOT / "tests/data/dxf" / name).read_text().splitlines(keepends=True)
    start = next(i for i, l in enumerate(lines) if l.strip() == "ENTITIES") - 3
    end = next(i for i in range(start + 4, len(lines)) if lines[i].strip() == "ENDSEC")
    return "".join(lines[start:end + 1]) + "  0\nEOF\n"


def dxf_seeds():
    for name in ("letter_f.dxf", "r12_entities.dxf", "r2010_entities.dxf"):
        write("dxf_import", name, dxf_entities(name))
    write("dxf_import", "block_text.dxf",
          "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  8\n0\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n"
          " 11\n1\n 21\n1\n  0\nENDBLK\n  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n"
          "  0\nTEXT\n  8\n0\n  1\nSTOPPING_MACRO LINETYPE\r\n  0\nLINE\n  8\n0\n 10\n0\n 20\n0\n"
          " 11\n2\n 21\n0\n  0\nLINE\n  8\n0\n  6\nDASHED\n 10\n0\n 20\n1\n 11\n2\n 21\n1\n"
          "  0\nSPLINE\n  8\n0\n 10\n1\n 20\n1\n 10\n2\n 20\n3\n  0\nENDSEC\n  0\nEOF\n")


def qli_seeds():
    points = pattern_points("stars.qcc", 40)
    text = "REM made from the stars sample\nBGS\n"
    for i, (x, y) in enumerate(points):
        text += "VP %d,%d\n" % (round(x * 1000), round(y * 1000))
        if i % 11 == 10:
            text += "VE\n"
    text += "CR 1000,0,90\nCR 500,90,-180\nNO a note VP 1,2\nAMS\nVE\nVP 0,0\nEN\n"
    write("qli_import", "stars.qli", text)
    write("qli_import", "arcs.qli", "VP 1000,0\nCR 1000,0,360\nVE\nVP 250,0\nCR 2000,45,-90\nEN\n")


def qlf_pattern(name, points, commands):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    w, h = max(xs) - min(xs), max(ys) - min(ys)
    out = bytes([2]) + name.encode().ljust(256, b"\0") + bytes(512)
    out += struct.pack("<8f", w, h, w, h, min(xs), max(xs), min(ys), max(ys))
    out += struct.pack("<iffi", 0, 100.0, 100.0, len(points))
    for x, y in points:
        out += struct.pack("<ff", x, y)
    out += struct.pack("<i", len(commands))
    for kind, point in commands:
        out += struct.pack("<ii", kind, point)
    return out + bytes([16])


def qlf_corners(corners):
    out = struct.pack("<i", len(corners))
    for i, (x, y) in enumerate(corners):
        out += struct.pack("<iff", i, x, y)
    return out


def layout_seeds():
    table = [(0, 0), (100, 0), (100, 80), (0, 80)]
    extents = bytes([1]) + struct.pack("<7f", 0, 0, 50, 40, 100, 80, 0) + qlf_corners(table)
    extents += bytes([16])
    stars = pattern_points("stars.qcc", 30)
    loops = pattern_points("loops.qcc", 30)
    patterns = qlf_pattern("stars", stars, [(2, 1), (0, 12), (3, 31)])
    patterns += qlf_pattern("loops", loops, [(1, 5)])
    boxes = b""
    for x, y in ((10, 10), (40, 10)):
        corners = [(x, y), (x + 20, y), (x + 20, y + 30), (x, y + 30)]
        boxes += bytes([4]) + struct.pack("<7f", x, y, 20, 30, 0, x + 10, y + 15)
        boxes += qlf_corners(corners) + bytes([16])
    placements = b""
    for box, pattern, array, parent, x, y in ((0, 0, -1, 0, 1, 1), (0, 1, 0, 1, 8, 2),
                                              (1, 0, -1, 0, 2, 5)):
        placements += bytes([5]) + struct.pack("<iiiBff", box, pattern, array, parent, x, y)
        placements += bytes([16])
    arrays = bytes([6]) + struct.pack("<ffii", 4.0, 5.0, 2, 3) + bytes([16])
    write("layout_file", "two_boxes.qlf", extents + patterns + boxes + placements + arrays)
    write("layout_file", "skipped_and_bad_end.qlf",
          bytes([3, 1, 2, 3, 16, 9]) + extents[:-1] + bytes([17]) + patterns[: len(patterns) // 3])


FACTORY = [("i", 4), ("i", 100), ("i", 5), ("i", 40), ("i", 30), ("i", 8), ("i", 30), ("i", 8),
           ("i", 40), ("i", 40), ("i", 100), ("f", 0.0), ("f", 0.0), ("f", 0.0), ("f", 40.0),
           ("f", 40.0), ("i", 60), ("f", 0.1), ("i", 0), ("i", 1), ("f", 0.0), ("f", 0.0),
           ("f", 0.0), ("f", 0.0), ("i", 0), ("i", 0)]


def defaults_seeds():
    image = b"".join(struct.pack("<" + kind, value) for kind, value in FACTORY)
    odd = bytearray(image)
    odd[4 * 21:4 * 22] = struct.pack("<f", math.nan)
    odd[4 * 18:4 * 19] = struct.pack("<i", 13)
    write("defaults_file", "silent_board.bin", bytes([0]) + image)
    write("defaults_file", "answering_board.bin", bytes([1]) + image)
    write("defaults_file", "short_file.bin", bytes([0]) + image[:44])
    write("defaults_file", "odd_values.bin", bytes([0]) + bytes(odd))
    write("defaults_file", "no_file.bin", bytes([2]))


def screen_seeds():
    write("screen_config", "small.conf", "screen_width = 320\nscreen_height = 240\nicon_style = 0\n")
    write("screen_config", "large.conf",
          "screen_width = 800\nscreen_height = 480\nmenubar_height=60\npop_menu_x = 600\n"
          "icon_style = 1\nunknown_key = 4\npattern_preview_width = 280\n\tmessage_width =\t700\n")


def board_seeds():
    # A sound board throughout: free places (0x80), every move accepted.
    write("board_replies", "sound_board.bin", bytes([0x00, 0x81]) + bytes([0x80]) * 3000)
    # The board reports done (0xFD, choice 1) now and then, and refuses a move.
    mixed = bytearray([0x21, 0x81])
    for i in range(2500):
        mixed.append(0x81 if i % 7 == 3 else (0x80 if i % 11 else 0x81))
    write("board_replies", "stitching_board.bin", bytes(mixed))
    # Pause, then Thread Break, with raw bytes in between.
    paused = bytearray([0x30, 0x80]) + bytes([0x80]) * 300 + bytes([0xF1, 0xF3])
    paused += bytes([0x80]) * 1500 + bytes([0x04, 0x0B, 0x0C, 0xFE, 0x00]) + bytes([0x80]) * 500
    write("board_replies", "pause_thread_break.bin", bytes(paused))


def hex_record(address, kind, payload):
    body = bytes([len(payload), address >> 8, address & 0xFF, kind]) + payload
    return ":%s%02X\n" % (body.hex().upper(), (-sum(body)) & 0xFF)


def hex_seeds():
    # Program words at 0, EEPROM words at 0x7FF000, configuration at 0xF80000
    # (byte addresses twice the word addresses), then the end record.
    text = hex_record(0, 4, bytes([0, 0]))
    for row in range(4):
        text += hex_record(row * 16, 0, bytes((row * 16 + i) & 0xFF for i in range(16)))
    text += hex_record(0, 4, bytes([0x00, 0xFF]))
    text += hex_record(0xE000, 0, bytes([0x12, 0x34, 0, 0, 0x56, 0x78, 0, 0]))
    text += hex_record(0, 4, bytes([0x01, 0xF0]))
    text += hex_record(0, 0, bytes([0xCF, 0x00, 0x00, 0x00]))
    text += hex_record(0, 1, b"")
    write("hex_file", "firmware.hex", text)
    write("hex_file", "bad_checksum.hex", text.replace("CF", "CE", 1))


def checksum_seeds():
    program = b"a program file\n" * 20
    for name, text in (("matching.bin", "%d 1 3.060 2.6.29.6\n" % zlib.crc32(program)),
                       ("negative.bin", "-889275714 2 1.270\n"),
                       ("spaces.bin", "  4294967295\t1   0.5e1  kernel-1.2_x  extra\n")):
        write("checksum_file", name, bytes([len(text)]) + text.encode() + program)


def update_seeds():
    write("update_file", "update.txt",
          "/media/usb/keswin.crc\ncp /media/usb/gtkrc_5 ./\ncp /media/usb/screen.conf ./\n"
          "cp /media/usb/images/* ./images\n")
    write("update_file", "odd_lines.txt",
          "/media/usb/keswin.crc \r\nrm -rf ./\ncp /media/usb/images/a.png ./images/\n"
          "cp /media/usb/keswin.BIN ./\ncp  ./\n\n")
    write("update_file", "no_checksum.txt", "\ncp /media/usb/gtkrc_5 ./\n")


def tar_bytes(entries):
    """A tar archive of (name, kind, text or link target) entries."""
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w") as tar:
        for name, kind, value in entries:
            info = tarfile.TarInfo(name)
            info.mtime = 1700000000
            if kind == "file":
                data = value.encode()
                info.size = len(data)
                info.mode = 0o755
                tar.addfile(info, io.BytesIO(data))
            else:
                info.type = tarfile.DIRTYPE if kind == "dir" else tarfile.SYMTYPE
                info.linkname = value
                tar.addfile(info)
    return out.getvalue()


def archive_seeds():
    good = [("qcc_update.sh", "file", "#!/bin/sh\ncp gtkrc_5 /media/mmc0/Keswin/\n"),
            ("files", "dir", ""), ("files/gtkrc_5", "file", "style \"big\" {}\n"),
            ("files/latest", "link", "gtkrc_5")]
    write("update_archive", "update.tar", tar_bytes(good))
    write("update_archive", "update.tar.gz", gzip.compress(tar_bytes(good), mtime=0))
    write("update_archive", "outside.tar",
          tar_bytes([("qcc_update.sh", "file", "#!/bin/sh\n"), ("../escaped", "file", "x\n"),
                     ("up", "link", "../.."), ("up/x", "file", "y\n")]))


def loader_seeds():
    # One chunk per host write: the loader start, 0x01, 0x02 (the reset
    # vector), 0x04 (the EEPROM start), then the blocks.
    sound = 0x80
    write("loader_replies", "sound.bin", bytes([sound] * 12))
    write("loader_replies", "short_vector.bin", bytes([sound, sound, 5, 1, 2, 3, 4, 5]))
    write("loader_replies", "other_vector.bin",
          bytes([sound, sound, 96]) + bytes(range(96)) + bytes([sound, 1, 0, sound, 0xC0, sound]))


if __name__ == "__main__":
    pattern_seeds()
    dxf_seeds()
    qli_seeds()
    layout_seeds()
    defaults_seeds()
    screen_seeds()
    hex_seeds()
    checksum_seeds()
    update_seeds()
    archive_seeds()
    loader_seeds()
    board_seeds()
