#!/usr/bin/env python3
"""Checks nox-disasm from the outside on a compiled 32-bit program: the linear and length
outputs agree and tile the code, a function listing has its entry label, bad input fails clearly.

Usage: nox_disasm_test.py SAMPLE.exe COMMAND... -- runs COMMAND (the tool, possibly behind an
emulator) on SAMPLE.exe.
"""
import os
import re
import subprocess
import sys
import tempfile
import unittest

COMMAND = []
SAMPLE = ""


def run(*args):
    result = subprocess.run(COMMAND + list(args), capture_output=True, timeout=300)
    return result.returncode, result.stdout.decode("latin-1"), result.stderr.decode("latin-1")


class Outputs(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        code, cls.lengths, _ = run("--lengths", SAMPLE)
        assert code == 0
        code, cls.linear, _ = run(SAMPLE)
        assert code == 0

    def test_lengths_lines_tile_the_code_sections(self):
        lines = self.lengths.splitlines()
        self.assertGreater(len(lines), 1000)
        previous = None
        gaps = 0
        for line in lines:
            m = re.fullmatch(r"([0-9a-f]{8}) (\d+)", line.rstrip("\r"))
            self.assertIsNotNone(m, line)
            address, length = int(m.group(1), 16), int(m.group(2))
            self.assertTrue(1 <= length <= 15, line)
            if previous is not None and address != previous:
                gaps += 1  # the next code section
            previous = address + length
        self.assertLessEqual(gaps, 2)

    def test_linear_listing_has_one_line_per_instruction_in_the_line_format(self):
        lines = self.linear.splitlines()
        lengths = self.lengths.splitlines()
        self.assertEqual(len(lines), len(lengths))
        for line, length_line in zip(lines, lengths):
            self.assertEqual(line[:8], length_line[:8])
            self.assertEqual(line[8:11], "   ")
        self.assertTrue(any(" ; " in line and "call " in line for line in lines), "no call target named")
        self.assertTrue(any(re.match(r"[0-9a-f]{8}   push    ebp$", line) for line in lines))
        # Calls into system libraries are named by the import they go through.
        self.assertTrue(any(re.search(r"  ; \w+ \((?i:kernel32|msvcrt)\.dll\)$", line) for line in lines))

    def test_function_listing_starts_with_its_entry_label_and_marks_the_crash(self):
        calls = [l for l in self.linear.splitlines() if re.search(r"   call    \$[0-9a-f]{8} ", l)]
        self.assertTrue(calls)
        target = re.search(r"\$([0-9a-f]{8})", calls[len(calls) // 2]).group(1)
        code, out, err = run("--function", target, "--format", SAMPLE)
        self.assertEqual(code, 0, err)
        lines = out.split("\r\n")
        self.assertRegex(lines[0], r"^%s (public .+|sub_%s): *  ; function entry point$" % (target, target))
        self.assertRegex(lines[1], r"^%s > " % target)
        code, out, _ = run("--function", target, "--crash", target, "--limit", "1", SAMPLE)
        self.assertEqual(code, 0)
        self.assertLessEqual(len(out.split("\r\n")), 5)


class BadInput(unittest.TestCase):
    def test_missing_file(self):
        code, _, err = run(os.path.join(tempfile.gettempdir(), "no-such-file.exe"))
        self.assertEqual(code, 1)
        self.assertIn("cannot open", err)

    def refused(self, data, message):
        with tempfile.NamedTemporaryFile(suffix=".exe", delete=False) as f:
            f.write(data)
        try:
            code, _, err = run(f.name)
            self.assertEqual(code, 1)
            self.assertIn(message, err)
        finally:
            os.unlink(f.name)

    def test_not_an_executable(self):
        self.refused(b"MZ" + b"\x00" * 100, "no PE header")

    def test_headers_cut_short(self):
        with open(SAMPLE, "rb") as f:
            image = f.read()
        pe = int.from_bytes(image[0x3C:0x40], "little")
        self.refused(image[: pe + 24 + 40], "headers are cut short")

    def test_usage(self):
        self.assertEqual(run()[0], 2)
        self.assertEqual(run("--function", "xyz", SAMPLE)[0], 2)
        self.assertEqual(run("--lengths", "--function", "401000", SAMPLE)[0], 2)

    def test_function_outside_the_image(self):
        code, _, err = run("--function", "10", SAMPLE)
        self.assertEqual(code, 1)
        self.assertIn("no code", err)


if __name__ == "__main__":
    SAMPLE = sys.argv[1]
    split = sys.argv.index("--")
    COMMAND = sys.argv[2:split]
    unittest.main(argv=[sys.argv[0]] + sys.argv[split + 1:])
