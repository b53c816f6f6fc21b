#!/usr/bin/env python3
"""Writes the seed corpora of the debug information fuzz targets:
debug_container_fuzz (packed streams, full and minimal, and containers around them) and
debug_formats_fuzz (TD32 data and a .jdbg file). The text maps of map_text_fuzz are kept
as they are, readable, in fuzz/corpus/map_text_fuzz/.

Usage: fuzz/make_debug_info_seeds.py   (rewrites the two corpus folders)
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SIGNATURE = b"Roadsum debug information\x1a"


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def packed_int(v):
    return struct.pack("<b", v) if -127 <= v <= 127 else b"\x80" + u32(v)


def packed_string(s):
    return bytes([len(s)]) + s


def packed_stream(minimal=False, entry=True):
    segments = [(0x0, 0x100, b"Main"), (0x100, 0x200, b"RoadsumFrm")]
    publics = [(0x0, b"WinMain"), (0x100, b"@RoadsumFrm@TRoadsumFrm@PricelistBtnClick"), (0x180, b"@RoadsumFrm@TRoadsumFrm@$ctor")]
    lines = [(7, 0x0), (169, 0x100), (172, 0x120), (40000, 0x180)]
    out = u32(len(segments))
    for start, length, name in segments:
        out += u32(start) + u32(length) + (b"\x01" if minimal else packed_string(name))
    out += u32(len(publics))
    previous = 0
    for i, (address, name) in enumerate(publics):
        out += b"" if minimal else packed_string(name)
        out += u32(address) if i == 0 else packed_int(address - previous)
        previous = address
    if minimal:
        lines = []
    out += u32(len(lines))
    for i, (line, address) in enumerate(lines):
        if i == 0:
            out += u32(line) + u32(address)
        else:
            out += packed_int(line - lines[i - 1][0]) + packed_int(address - lines[i - 1][1])
    return out + (u32(0x10) if entry else b"")


def cipher(body):
    state = (len(body) * 0x9E3779B1 ^ 0x4E4F5845) & 0xFFFFFFFF or 0x4E4F5845
    out = bytearray()
    for b in body:
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        out.append(b ^ (state >> 24))
    return bytes(out)


def container(stream, flags=0, version=3):
    deflate = zlib.compressobj(6, zlib.DEFLATED, -15, 8)
    body = cipher(u32(len(stream)) + u32(0) + u32(zlib.crc32(stream)) + deflate.compress(stream) + deflate.flush())
    words = u32(0x1234) + u32(0x5678) + u32(flags) if version == 3 else b""
    return SIGNATURE + u32(len(body)) + u32(version) + words + body


def td32():
    names = [b"RoadsumFrm.cpp", b"@RoadsumFrm@TRoadsumFrm@PricelistBtnClick$qqrp14System@TObject", b"Variable"]
    name_bytes = u32(len(names)) + b"".join(bytes([len(n)]) + n + b"\0" for n in names)
    module = u16(0) + u16(0) + u16(2) + u16(0x5643) + u32(1) + u32(0) + bytes(12)
    module += u16(1) + u16(0) + u32(0x100) + u32(0x100) + u16(2) + u16(0) + u32(0x10) + u32(0x20)
    block = u16(1) + u16(2) + u32(0x100) + u32(0x110) + u16(169) + u16(172)
    source = u16(1) + u16(1) + u32(18) + u32(0) + u32(0xFFFF) + u16(1)
    source += u16(1) + u32(1) + u32(18 + 6 + 4 + 8) + u32(0) + u32(0) + block
    proc = bytes(24) + u32(0x100) + u16(1) + u32(0) + b"\0\0" + u32(2)
    data = u32(0x14) + u16(2) + u16(0) + u32(3) + u32(0)
    symbols = bytes(16) + u16(2 + len(proc)) + u16(0x0205) + proc + u16(2 + len(data)) + u16(0x0202) + data
    subsections = [(0x120, module), (0x127, source), (0x130, name_bytes), (0x129, symbols)]
    out = b"FB09" + u32(0)
    directory = u16(16) + u16(12) + u32(len(subsections)) + u32(0) + u32(0)
    for kind, payload in subsections:
        directory += u16(kind) + u16(1) + u32(len(out)) + u32(len(payload))
        out += payload
    return out[:4] + u32(len(out)) + out[8:] + directory


def jdbg():
    def value(v):
        v &= 0xFFFFFFFF
        out = bytearray()
        while True:
            b = v & 0x7F
            v >>= 7
            out.append(b | (0x80 if v else 0))
            if not v:
                return bytes(out)

    def word(text):
        codes = [ord(c) - 96 if c.islower() else ord(c) - 38 if c.isupper() else ord(c) + 5 if c.isdigit() else 63
                 for c in text] + [0]
        codes += [0] * (-len(codes) % 4)
        out = bytearray()
        for i in range(0, len(codes), 4):
            a, b, c, d = codes[i:i + 4]
            out += bytes([(a << 2 | b >> 4) & 0xFF, (b << 4 | c >> 2) & 0xFF, (c << 6 | d) & 0xFF])
        return bytes(out)

    words = b"\0"
    system = len(words)
    words += word("System")
    handler = len(words)
    words += word("HandleFinally")
    end = value(0x7FFFFFFF)
    units = value(0) + value(system) + end
    symbols = value(0x10) + value(system) + value(handler) + end
    lines = value(0x10) + value(40) + value(0x10) + value(1) + end
    sections = [units, end, symbols, lines, words]
    header, at = b"JDBG\x01", 34
    for s in sections:
        header += u32(at)
        at += len(s)
    return header + u32(0) + u32(0) + b"\0" + b"".join(sections)


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


def main():
    full, minimal = packed_stream(), packed_stream(minimal=True)
    write("debug_container_fuzz", "stream_full", full)
    write("debug_container_fuzz", "stream_minimal", minimal)
    write("debug_container_fuzz", "stream_without_entry", packed_stream(entry=False))
    write("debug_container_fuzz", "container_full", container(full))
    write("debug_container_fuzz", "container_minimal", container(minimal, flags=1))
    write("debug_container_fuzz", "container_version_2", container(full, version=2))
    write("debug_formats_fuzz", "td32", td32())
    write("debug_formats_fuzz", "jdbg", jdbg())


if __name__ == "__main__":
    main()
