#!/usr/bin/env python3
"""Judges the PNG and BMP files that the picture tests left in a folder with real readers.

Usage: check_pictures.py FOLDER

Each NAME.json in FOLDER describes one written file and the picture it was made from
(NAME.rgb: width x height pixels, three bytes each, rows top-down):
  {"file": "NAME.png", "width": W, "height": H, "kind": "grey" | "colour" | "bmp",
   "max_error": N, "mean_error": M}
A PNG must pass pngcheck, decode with the chunk reader below (CRCs, zlib stream with its
Adler-32, filter 0 rows) and with ImageMagick to the same pixels, and those pixels must be:
for "grey" exactly the brightness (77 R + 151 G + 28 B) / 256 of the source mapped to the
nearest of the 16 levels; for "colour" within N of the source in every channel and M on
average, from at most 256 palette entries. A BMP must decode in ImageMagick to the source
exactly.
"""
import json
import os
import struct
import subprocess
import sys
import zlib

GREY_LEVELS = [0, 28, 52, 73, 92, 109, 125, 140, 155, 170, 185, 199, 213, 227, 241, 255]


def nearest_level(grey):
    return min(GREY_LEVELS, key=lambda level: (abs(level - grey), level))


def read_chunks(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("no PNG signature")
    pos, chunks = 8, []
    while pos < len(data):
        length, = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"{kind!r}: CRC mismatch")
        chunks.append((kind, body))
        pos += 12 + length
    return chunks


def decode_png(data):
    """Our own reading of the file, independent of the writer: (width, height, palette, pixels)."""
    chunks = read_chunks(data)
    kinds = [k for k, _ in chunks]
    if kinds != [b"IHDR", b"PLTE", b"IDAT", b"IEND"]:
        raise ValueError(f"chunk order {kinds}")
    width, height, depth, colour, compression, filtering, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    if (colour, compression, filtering, interlace) != (3, 0, 0, 0):
        raise ValueError(f"IHDR {colour, compression, filtering, interlace}")
    plte = chunks[1][1]
    palette = [tuple(plte[i:i + 3]) for i in range(0, len(plte), 3)]
    if depth != (8 if len(palette) > 16 else 4):
        raise ValueError(f"bit depth {depth} with {len(palette)} palette entries")
    idat = chunks[2][1]
    if idat[:2] != b"\x78\x01":
        raise ValueError(f"zlib header {idat[:2].hex()}")
    raw = zlib.decompress(idat)  # checks the Adler-32 too
    row_bytes = width if depth == 8 else (width + 1) // 2
    if len(raw) != height * (row_bytes + 1):
        raise ValueError(f"{len(raw)} bytes of rows for {width} x {height}")
    pixels = []
    for y in range(height):
        row = raw[y * (row_bytes + 1):(y + 1) * (row_bytes + 1)]
        if row[0] != 0:
            raise ValueError(f"row {y}: filter {row[0]}")
        for x in range(width):
            index = row[1 + x] if depth == 8 else (row[1 + x // 2] >> (0 if x % 2 else 4)) & 15
            pixels.append(palette[index])
        if depth == 4 and width % 2 and row[-1] & 15:
            raise ValueError(f"row {y}: padding nibble not zero")
    return width, height, palette, pixels


def magick_pixels(path, width, height):
    out = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    if len(out) != width * height * 3:
        raise ValueError(f"ImageMagick gave {len(out)} bytes")
    return [tuple(out[i:i + 3]) for i in range(0, len(out), 3)]


def check(folder, name):
    with open(os.path.join(folder, name + ".json")) as f:
        expected = json.load(f)
    path = os.path.join(folder, expected["file"])
    width, height = expected["width"], expected["height"]
    with open(os.path.join(folder, name + ".rgb"), "rb") as f:
        raw = f.read()
    source = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    if len(source) != width * height:
        return [f"{name}.rgb holds {len(source)} pixels"]

    if expected["kind"] == "bmp":
        return [] if magick_pixels(path, width, height) == source else ["ImageMagick reads other pixels"]

    problems = []
    check_run = subprocess.run(["pngcheck", "-q", path], capture_output=True, text=True)
    if check_run.returncode != 0:
        problems.append(f"pngcheck: {check_run.stdout.strip()} {check_run.stderr.strip()}")
    with open(path, "rb") as f:
        w, h, palette, pixels = decode_png(f.read())
    if (w, h) != (width, height):
        return problems + [f"size {w} x {h}"]
    if magick_pixels(path, width, height) != pixels:
        problems.append("ImageMagick decodes other pixels than the chunk reader")

    if expected["kind"] == "grey":
        if palette != [(v, v, v) for v in GREY_LEVELS]:
            problems.append(f"grey palette {palette}")
        for i, (src, got) in enumerate(zip(source, pixels)):
            want = nearest_level((77 * src[0] + 151 * src[1] + 28 * src[2]) // 256)
            if got != (want, want, want):
                problems.append(f"pixel {i % width},{i // width}: {got} for {src}, want grey {want}")
                break
    else:
        if len(palette) > 256:
            problems.append(f"{len(palette)} palette entries")
        errors = [max(abs(a - b) for a, b in zip(src, got)) for src, got in zip(source, pixels)]
        worst = max(errors)
        mean = sum(sum(abs(a - b) for a, b in zip(src, got)) for src, got in zip(source, pixels)) / (3 * len(source))
        if worst > expected["max_error"]:
            i = errors.index(worst)
            problems.append(f"pixel {i % width},{i // width}: {pixels[i]} for {source[i]} (error {worst})")
        if mean > expected["mean_error"]:
            problems.append(f"mean error {mean:.2f} > {expected['mean_error']}")
    return problems


def main():
    folder = sys.argv[1]
    names = sorted(n[:-5] for n in os.listdir(folder) if n.endswith(".json"))
    failed = 0
    for name in names:
        try:
            problems = check(folder, name)
        except (ValueError, subprocess.CalledProcessError, zlib.error, struct.error) as e:
            problems = [str(e)]
        for p in problems:
            print(f"{name}: {p}")
        failed += bool(problems)
    print(f"{len(names)} pictures checked, {failed} failed")
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main())
