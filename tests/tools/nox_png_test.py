#!/usr/bin/env python3
"""Checks nox-png from the outside: PNG and zoomed BMP outputs judged by pngcheck, our own
chunk reader and ImageMagick; bad inputs and outputs refused with one line and exit 1, and
never a partial output file.

Usage: nox_png_test.py PICTURE_CHECKER.py COMMAND... -- runs COMMAND (the program, possibly
behind an emulator). Set NOX_PNG_NO_DEVICES=1 where device files cannot be named (Wine).
"""
import importlib.util
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

COMMAND = []
checker = None


def run(*args):
    p = subprocess.run(COMMAND + list(args), capture_output=True, timeout=120)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def bmp(width, height, pixels, bits=24, top_down=False):
    """A Windows bitmap written here, independently of the program's writer."""
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(height):
        row = bytearray()
        for r, g, b in pixels[y * width:(y + 1) * width]:
            row += bytes((b, g, r)) + (b"\xff" if bits == 32 else b"")
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    data = b"".join(rows if top_down else reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 0, len(data), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", 54 + len(data), 0, 0, 54) + info + data


# Window colours, each in a 5-bit cell of its own, so the colour PNG keeps them exactly.
COLOURS = [(255, 255, 255), (0, 0, 0), (212, 208, 200), (10, 36, 106), (166, 202, 240), (128, 0, 0), (0, 128, 0)]


def screen_like(width, height, seed=5):
    rnd = random.Random(seed)
    pixels = []
    for y in range(height):
        for x in range(width):
            if 3 < x < width - 3 and 3 < y < height - 3:
                pixels.append(COLOURS[0] if rnd.random() < 0.8 else COLOURS[1])
            else:
                pixels.append(COLOURS[2 + (x // 4 + y // 4) % 5])
    return pixels


class Outputs(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="nox-png-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def decoded(self, name):
        self.assertEqual(subprocess.run(["pngcheck", "-q", self.path(name)], capture_output=True).returncode, 0)
        with open(self.path(name), "rb") as f:
            width, height, palette, pixels = checker.decode_png(f.read())
        self.assertTrue(checker.magick_pixels(self.path(name), width, height) == pixels)
        return width, height, palette, pixels

    def test_formats_write_colour_or_exact_grey(self):
        pixels = screen_like(61, 37)
        for bits, top_down in ((24, False), (32, True)):
            source = self.write(f"in{bits}.bmp", bmp(61, 37, pixels, bits, top_down))
            for args, grey in (((), False), (("--format", "1"), True), (("--format", "2"), False), (("--format", "-3"), False)):
                with self.subTest(bits=bits, args=args):
                    self.assertEqual(run(source, self.path("out.png"), *args), (0, "", ""))
                    width, height, palette, got = self.decoded("out.png")
                    self.assertEqual((width, height), (61, 37))
                    if grey:
                        want = [checker.nearest_level((77 * r + 151 * g + 28 * b) // 256) for r, g, b in pixels]
                        self.assertTrue(got == [(v, v, v) for v in want])
                    else:
                        self.assertTrue(got == pixels)  # few colours, each its own palette entry

    def test_format_two_falls_back_to_grey_for_a_large_colour_file(self):
        rnd = random.Random(1)
        pixels = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(256 * 256)]
        source = self.write("noise.bmp", bmp(256, 256, pixels))
        self.assertEqual(run(source, self.path("c.png"))[0], 0)
        self.assertEqual(run(source, self.path("g.png"), "--format", "2")[0], 0)
        self.assertGreater(os.path.getsize(self.path("c.png")), 51200)
        self.assertLess(os.path.getsize(self.path("g.png")), os.path.getsize(self.path("c.png")))
        self.assertEqual(len(self.decoded("g.png")[2]), 16)
        self.assertEqual(len(self.decoded("c.png")[2]), 256)

    def test_a_bitmap_that_imagemagick_wrote(self):
        source = self.path("rose.bmp")
        subprocess.run(["convert", "rose:", "-type", "TrueColor", "BMP3:" + source], check=True)
        self.assertEqual(run(source, self.path("rose.png"), "--format", "1"), (0, "", ""))
        self.assertEqual(self.decoded("rose.png")[:2], (70, 46))

    def test_zoom_writes_a_bitmap_of_the_size(self):
        source = self.write("flat.bmp", bmp(40, 30, [(200, 100, 50)] * 1200))
        self.assertEqual(run("--zoom", "13x77", source, self.path("z.bmp")), (0, "", ""))
        out = subprocess.run(["convert", self.path("z.bmp"), "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
        self.assertEqual(out, bytes((200, 100, 50)) * 13 * 77)
        identify = subprocess.run(["identify", "-format", "%w %h %z", self.path("z.bmp")], capture_output=True, text=True)
        self.assertEqual(identify.stdout, "13 77 8")

    def test_an_existing_output_is_replaced_whole(self):
        source = self.write("in.bmp", bmp(3, 3, [(1, 2, 3)] * 9))
        self.write("out.png", b"old")
        self.assertEqual(run(source, self.path("out.png"))[0], 0)
        self.decoded("out.png")
        self.assertEqual(sorted(os.listdir(self.dir)), ["in.bmp", "out.png"])


class Refusals(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="nox-png-")
        self.good = bmp(8, 8, screen_like(8, 8))

    def tearDown(self):
        shutil.rmtree(self.dir)

    def refused(self, data, expected, *extra, out="out.png", keep=None):
        source = os.path.join(self.dir, "in.bmp")
        if data is not None:
            with open(source, "wb") as f:
                f.write(data)
        target = out if os.path.isabs(out) else os.path.join(self.dir, out)
        code, stdout, stderr = run(*extra, source, target)
        self.assertEqual(code, 1, stderr)
        self.assertEqual(stdout, "")
        self.assertEqual(stderr.count("\n"), 1, stderr)
        self.assertTrue(stderr.startswith("nox-png: "), stderr)
        self.assertIn(expected, stderr)
        left = sorted(n for n in os.listdir(self.dir) if n != "in.bmp")
        self.assertEqual(left, [keep] if keep else [])

    def test_bad_inputs(self):
        def patched(at, value):
            data = bytearray(self.good)
            data[at:at + len(value)] = value
            return bytes(data)

        cases = [
            (None, "cannot read"),
            (b"", "not a BMP"),
            (b"GIF89a" + bytes(100), "not a BMP"),
            (self.good[:30], "cut short"),
            (self.good[:-5], "cut short"),
            (patched(18, struct.pack("<ii", 100000, 100000)), "too large"),
            (patched(18, struct.pack("<ii", 30000, 30000)), "too large"),
            (patched(18, struct.pack("<i", 0)), "no pixels"),
            (patched(28, struct.pack("<H", 8)), "8-bit"),
            (patched(30, struct.pack("<I", 1)), "compressed"),
        ]
        for data, expected in cases:
            with self.subTest(expected=expected, size=None if data is None else len(data)):
                if data is None and os.path.exists(os.path.join(self.dir, "in.bmp")):
                    os.remove(os.path.join(self.dir, "in.bmp"))
                self.refused(data, expected)
                self.refused(data, expected, "--zoom", "4x4", out="out.bmp")

    def test_absurd_zoom_sizes(self):
        for size in ("0x10", "10x-1", "40000x2", "20000x20000"):
            with self.subTest(size=size):
                self.refused(self.good, "cannot zoom", "--zoom", size, out="out.bmp")

    def test_unwritable_outputs(self):
        self.refused(self.good, "cannot write", out=os.path.join(self.dir, "missing", "out.png"))
        os.mkdir(os.path.join(self.dir, "folder"))
        self.refused(self.good, "it is a folder", out="folder", keep="folder")
        if os.path.exists("/dev/full") and not os.environ.get("NOX_PNG_NO_DEVICES"):
            self.refused(self.good, "cannot write /dev/full", out="/dev/full", keep="folder")

    def test_wrong_usage(self):
        source = os.path.join(self.dir, "in.bmp")
        for args in ([], [source], [source, "a", "b"], [source, "o.png", "--format"], [source, "o.png", "--format", "x"],
                     ["--zoom", "12", source, "o.bmp"], ["--zoom", "2x2", source, "o.bmp", "--format", "1"],
                     [source, "o.png", "--colour"]):
            with self.subTest(args=args):
                code, _, stderr = run(*args)
                self.assertEqual(code, 2, stderr)
                self.assertIn("usage: nox-png", stderr)
        self.assertEqual(os.listdir(self.dir), [])
        code, stdout, _ = run("--help")
        self.assertEqual(code, 0)
        self.assertIn("--format N", stdout)


if __name__ == "__main__":
    if "--" not in sys.argv or sys.argv.index("--") < 2:
        sys.exit(__doc__)
    checker_source = importlib.util.spec_from_file_location("check_pictures", sys.argv[1])
    checker = importlib.util.module_from_spec(checker_source)
    checker_source.loader.exec_module(checker)
    COMMAND.extend(sys.argv[2:sys.argv.index("--")] + sys.argv[sys.argv.index("--") + 1:])
    unittest.main(argv=sys.argv[:1])
