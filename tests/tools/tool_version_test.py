#!/usr/bin/env python3
"""The command-line tools name Roadsum's version, the one number that the project keeps in its
top-level CMakeLists.txt and that Roadsum.exe's version resource holds.

Usage: tool_version_test.py VERSION [--emulator COMMAND...] -- TOOL...
Each TOOL (a program path, run behind the emulator if one is given) is asked for --version.
"""
import os
import subprocess
import sys
import unittest

VERSION = ""
EMULATOR = []
TOOLS = []


def run(tool, *args):
    result = subprocess.run(EMULATOR + [tool] + list(args), capture_output=True, timeout=60)
    return result.returncode, result.stdout.decode("latin-1").splitlines(), result.stderr.decode("latin-1")


def name_of(tool):
    return os.path.splitext(os.path.basename(tool))[0]


class Version(unittest.TestCase):
    def test_the_version_is_four_numbers(self):
        parts = VERSION.split(".")
        self.assertEqual(len(parts), 4, VERSION)
        self.assertTrue(all(p.isdigit() and int(p) < 65536 for p in parts), VERSION)

    def test_each_tool_prints_its_name_and_the_version_alone(self):
        self.assertEqual(len(TOOLS), 3)
        for tool in TOOLS:
            # Alone, and before what would otherwise be a whole run.
            for args in (["--version"], ["--version", "some-file", "401000"]):
                with self.subTest(tool=name_of(tool), args=args):
                    self.assertEqual(run(tool, *args), (0, [name_of(tool) + " " + VERSION], ""))

    def test_an_unknown_option_before_it_is_still_wrong_usage(self):
        for tool in TOOLS:
            with self.subTest(tool=name_of(tool)):
                code, out, _ = run(tool, "--no-such-option", "--version")
                self.assertEqual((code, out), (2, []))


if __name__ == "__main__":
    args = sys.argv[1:]
    split = args.index("--")
    options, TOOLS = args[:split], args[split + 1:]
    VERSION = options[0]
    if len(options) > 1 and options[1] == "--emulator":
        EMULATOR = options[2:]
    unittest.main(argv=[sys.argv[0], "-v"])
