#!/usr/bin/env python3
"""Checks the shipped Roadsum.exe from the outside: it is at most 3 MB and carries no DWARF
and no symbol table, but a .gnu_debuglink to Roadsum.exe.debug beside it, which holds both and
through which the cross binutils and gdb still resolve its addresses; its header checksum is
right; and the build's check (nox-debuginfo compare) refuses a program or side file that no
longer fits, naming the difference.

Usage: shipped_program_test.py --program EXE --first-link EXE --source DIR --nm NM
       --addr2line ADDR2LINE --objdump OBJDUMP --objcopy OBJCOPY --gdb GDB --nox-debuginfo TOOL
"""
import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ARGS = None
HANDLER = "roadsum::TRoadsumFrm::PricelistBtnClick(roadsum::TObject*)"
SOURCE = "src/ui/roadsum_frm.cpp"


def output(*command):
    return subprocess.run(list(command), capture_output=True, check=True, timeout=300).stdout.decode("latin-1")


class Pe:
    """The headers of a 32-bit PE file: sections by full name, the checksum field."""

    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        count, _, symbols, self.symbol_count, optional = struct.unpack_from("<HIIIH", data, pe + 6)
        self.image_base = struct.unpack_from("<I", data, pe + 24 + 28)[0]
        self.checksum_offset = pe + 24 + 64
        strings = symbols + 18 * self.symbol_count
        self.sections = {}
        for i in range(count):
            at = pe + 24 + optional + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode()
            if name.startswith("/"):
                start = strings + int(name[1:])
                name = data[start:data.index(b"\0", start)].decode()
            size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, at + 8)
            self.sections[name] = (rva, size, raw_offset, raw_size)

    def bytes_of(self, name):
        rva, size, raw_offset, raw_size = self.sections[name]
        return self.data[raw_offset:raw_offset + min(size, raw_size)]

    def checksum(self):
        return struct.unpack_from("<I", self.data, self.checksum_offset)[0]

    def computed_checksum(self):
        """The 16-bit one's-complement sum of the file without the field, plus its length."""
        data = self.data[:self.checksum_offset] + b"\0\0\0\0" + self.data[self.checksum_offset + 4:]
        if len(data) % 2:
            data += b"\0"
        total = sum(struct.unpack("<%dH" % (len(data) // 2), data))
        while total >> 16:
            total = (total & 0xFFFF) + (total >> 16)
        return total + len(self.data)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def with_checksum(data):
    pe = Pe(data)
    return data[:pe.checksum_offset] + struct.pack("<I", pe.computed_checksum()) + data[pe.checksum_offset + 4:]


class ShippedProgram(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.side_file = ARGS.program + ".debug"
        cls.data = read(ARGS.program)
        cls.pe = Pe(cls.data)
        # The program has no names of its own: its functions are named in the side file.
        demangled = output(ARGS.nm, "-C", "--defined-only", cls.side_file).splitlines()
        cls.handler = [int(line.split()[0], 16) for line in demangled if line.endswith(" " + HANDLER)][0]
        with open(os.path.join(ARGS.source, SOURCE)) as f:
            lines = f.read().splitlines()
        first = next(i for i, line in enumerate(lines) if line.startswith("void TRoadsumFrm::PricelistBtnClick("))
        last = next(i for i in range(first, len(lines)) if lines[i] == "}")
        cls.lines = range(first + 1, last + 2)  # numbered from 1, the closing brace included

    def test_dwarf_and_symbols_lie_in_the_side_file_that_the_program_links_to(self):
        self.assertEqual([n for n in self.pe.sections if n.startswith(".debug")], [])
        self.assertEqual(self.pe.symbol_count, 0)
        link = self.pe.bytes_of(".gnu_debuglink")
        name = link[:link.index(b"\0")]
        crc_at = (len(name) + 4) // 4 * 4
        self.assertEqual(name.decode(), os.path.basename(self.side_file))
        self.assertEqual(struct.unpack_from("<I", link, crc_at)[0], zlib.crc32(read(self.side_file)))
        side = Pe(read(self.side_file))
        self.assertGreater(side.symbol_count, 10000)
        for dwarf in (".debug_info", ".debug_line", ".debug_abbrev"):
            self.assertGreater(side.sections[dwarf][1], 0, dwarf)
        # The side file places code and data where the program has them.
        for section in (".text", ".data", ".rdata"):
            self.assertEqual(side.sections[section][:2], self.pe.sections[section][:2], section)

    def test_the_program_stays_within_its_size(self):
        # Code that opens files through the stream library, for one, brings its locale
        # machinery along: almost a megabyte.
        size = os.path.getsize(ARGS.program)
        self.assertLessEqual(size, 3 * 1024 * 1024, "%s is %d bytes" % (ARGS.program, size))

    def test_the_header_checksum_is_right(self):
        self.assertNotEqual(self.pe.checksum(), 0)
        self.assertEqual(self.pe.checksum(), self.pe.computed_checksum())

    def test_addr2line_resolves_the_calculate_handler(self):
        function, place = output(ARGS.addr2line, "-f", "-e", ARGS.program, "%x" % self.handler).splitlines()
        self.assertIn("PricelistBtnClick", function)
        self.assertTrue(place.endswith("%s:%d" % (SOURCE, self.lines[0])), place)

    def test_objdump_lists_the_handler_with_its_source_line(self):
        # Without a symbol table the label is a section offset; -l names the function from the DWARF.
        listing = output(ARGS.objdump, "-d", "-l", "--start-address=0x%x" % self.handler,
                         "--stop-address=0x%x" % (self.handler + 1), ARGS.program)
        self.assertRegex(listing, r"(?m)^_ZN7roadsum11TRoadsumFrm17PricelistBtnClickE\w*\(\):\n.*%s:%d\n +%x:" % (
            re.escape(SOURCE), self.lines[0], self.handler))

    def test_gdb_finds_the_handler_in_its_source(self):
        answer = output(ARGS.gdb, "-nx", "-batch", "-ex", "list *0x%x" % self.handler, ARGS.program)
        m = re.search(r"0x%x is in (.*) \((.*):(\d+)\)\." % self.handler, answer)
        self.assertIsNotNone(m, answer)
        self.assertEqual(m.group(1), HANDLER)
        self.assertTrue(m.group(2).endswith(SOURCE), m.group(2))
        self.assertIn(int(m.group(3)), self.lines)


class TheBuildCheck(unittest.TestCase):
    """nox-debuginfo compare, as the build runs it after the last link, on spoilt copies."""

    @classmethod
    def setUpClass(cls):
        cls.program, cls.side = read(ARGS.program), read(ARGS.program + ".debug")
        cls.pe = Pe(cls.program)
        cls.work = tempfile.mkdtemp(prefix="shipped_program_")

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work)

    def check(self, program, side):
        """Runs the check on copies; exit status and message."""
        path = os.path.join(self.work, "Roadsum.exe")
        write(path, program)
        write(path + ".debug", side)
        p = subprocess.run([ARGS.nox_debuginfo, "compare", ARGS.first_link, path, "--debug-file", path + ".debug"],
                           capture_output=True, text=True, timeout=300)
        return p.returncode, p.stderr

    def changed(self, section, offset):
        """The program with one byte of a section inverted and the checksum made right again."""
        rva, _, raw_offset, _ = self.pe.sections[section]
        at = raw_offset + offset
        old = self.program[at]
        data = self.program[:at] + bytes([old ^ 0xFF]) + self.program[at + 1:]
        message = "section %s differs in 1 byte, first at 0x%08x (0x%02x in the first file, 0x%02x in the second)" % (
            section, self.pe.image_base + rva + offset, old, old ^ 0xFF)
        return with_checksum(data), message

    def test_the_shipped_files_pass(self):
        self.assertEqual(self.check(self.program, self.side), (0, ""))

    def test_each_difference_fails_the_build_and_is_named(self):
        at = self.pe.checksum_offset
        spoilt_resource = bytearray(self.program)
        spoilt_resource[self.pe.sections[".rsrc"][2] + 0x100] ^= 1
        cases = [
            ("code",) + self.changed(".text", 0x10),
            ("data",) + self.changed(".data", 0x4),
            ("read-only data",) + self.changed(".rdata", 0x20),
            ("resources, checksum not rewritten", bytes(spoilt_resource),
             "the header checksum is 0x%08x but the file sums to 0x%08x" % (
                 self.pe.checksum(), Pe(bytes(spoilt_resource)).computed_checksum())),
            ("no checksum", self.program[:at] + b"\0\0\0\0" + self.program[at + 4:],
             "the header checksum is 0 (not written)"),
        ]
        for what, program, message in cases:
            with self.subTest(what):
                code, err = self.check(program, self.side)
                self.assertEqual(code, 1, err)
                self.assertIn(message, err)

    def test_a_side_file_that_does_not_belong_fails_the_build(self):
        code, err = self.check(self.program, self.side + b"\0")
        self.assertEqual(code, 1)
        self.assertIn("the .gnu_debuglink expects CRC-32 0x%08x but Roadsum.exe.debug has 0x%08x" % (
            zlib.crc32(self.side), zlib.crc32(self.side + b"\0")), err)
        # A program that still carries its DWARF is not the stripped one.
        code, err = self.check(read(ARGS.first_link), self.side)
        self.assertEqual(code, 1)
        self.assertIn("the program still holds the DWARF section .debug_", err)

    def test_a_program_that_keeps_its_symbol_table_fails_the_build(self):
        # The first link without its DWARF: the code, data and checksum of the shipped program.
        kept = os.path.join(self.work, "with_symbols.exe")
        subprocess.run([ARGS.objcopy, "--strip-debug", ARGS.first_link, kept], check=True, timeout=300)
        data = read(kept)
        code, err = self.check(data, self.side)
        self.assertEqual(code, 1, err)
        self.assertIn("the program still holds a COFF symbol table (%d records); link it with --strip-all"
                      % Pe(data).symbol_count, err)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    for option in ("program", "first-link", "source", "nm", "addr2line", "objdump", "objcopy", "gdb", "nox-debuginfo"):
        parser.add_argument("--" + option, required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v"] + rest)
