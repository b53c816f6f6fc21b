#!/usr/bin/env python3
"""Writes the seed corpus of compressed_string_fuzz: compressed-string containers (uncompressed
length, producer word, CRC-32, all little-endian, then a raw deflate stream) and bare raw streams.

Usage: fuzz/make_compressed_string_seeds.py   (rewrites fuzz/corpus/compressed_string_fuzz/)
"""
import os
import struct
import zlib

REPORT = (
    "date/time          : 2024-03-05, 14:22:31, 118ms\r\n"
    "exception class    : EConvertError\r\n"
    "exception message  : '12,x' is not a valid floating point value.\r\n"
    "004a1f2c +014 Roadsum.exe RoadsumFrm  212 +3 TRoadsumFrm.PricelistBtnClick\r\n"
).encode()


def raw_deflate(data, level=6):
    c = zlib.compressobj(level, zlib.DEFLATED, -15, 8)
    return c.compress(data) + c.flush()


def stored_block(data):
    """A final stored block: the text stays readable inside the seed."""
    return bytes([0x01]) + struct.pack("<HH", len(data), len(data) ^ 0xFFFF) + data


def container(data, stream, producer=0, crc=None):
    crc = zlib.crc32(data) if crc is None else crc
    return struct.pack("<III", len(data), producer, crc) + stream


SEEDS = {
    "report": container(REPORT, raw_deflate(REPORT)),
    "readable_stored": container(b"bugreport.txt in plain text", stored_block(b"bugreport.txt in plain text")),
    "empty": container(b"", raw_deflate(b"")),
    "repeated": container(b"ab" * 3000, raw_deflate(b"ab" * 3000, 9)),
    "wrong_crc": container(REPORT, raw_deflate(REPORT), crc=0x12345678),
    "short_header": b"\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00",
    "raw_stream": raw_deflate(REPORT * 4, 1),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "compressed_string_fuzz")
    os.makedirs(folder, exist_ok=True)
    for name, seed in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(seed)


if __name__ == "__main__":
    main()
