#!/usr/bin/env python3
"""Writes the seed corpus of bmp_reader_fuzz: small Windows bitmaps of the kinds nox-png reads
(24-bit bottom-up, 32-bit top-down, 32-bit with bit-field masks) and two it refuses.

Usage: fuzz/make_bmp_seeds.py   (rewrites fuzz/corpus/bmp_reader_fuzz/)
"""
import os
import struct


def bmp(width, height, bits, top_down=False, masks=None):
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            b, g, r = (x * 40) & 255, (y * 60) & 255, ((x + y) * 25) & 255
            row += bytes((b, g, r)) + (b"\x00" if bits == 32 else b"")
        rows.append(bytes(row) + b"\0" * (stride - len(row)))
    data = b"".join(rows if top_down else reversed(rows))
    extra = struct.pack("<III", *masks) if masks else b""
    offset = 54 + len(extra)
    info = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, bits, 3 if masks else 0,
                       len(data), 3780, 3780, 0, 0)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + extra + data


SEEDS = {
    "rgb24_5x3": bmp(5, 3, 24),
    "rgb32_top_down_4x4": bmp(4, 4, 32, top_down=True),
    "bitfields_3x2": bmp(3, 2, 32, masks=(0x00FF0000, 0x0000FF00, 0x000000FF)),
    "cut_short": bmp(6, 6, 24)[:80],
    "eight_bit": bmp(2, 2, 24)[:28] + struct.pack("<H", 8) + bmp(2, 2, 24)[30:],
}

if __name__ == "__main__":
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "bmp_reader_fuzz")
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        os.remove(os.path.join(folder, name))
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
