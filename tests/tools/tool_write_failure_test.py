#!/usr/bin/env python3
"""The build-time tools report an output that could not be written whole (here: a full disk)
with exit status 1 and a message, so a build never goes on with a truncated file.

Usage: tool_write_failure_test.py SOURCE_DIR SAMPLE.exe PIXMAP ICON STREAMC DEBUGINFO
"""
import os
import subprocess
import sys
import unittest

ARGS = {}
FULL = "/dev/full"


def run(*command):
    p = subprocess.run(command, capture_output=True, text=True, timeout=120)
    return p.returncode, p.stderr


@unittest.skipUnless(os.path.exists(FULL), "no full device here")
class AFullDisk(unittest.TestCase):
    def check(self, code_and_error):
        code, err = code_and_error
        self.assertEqual(code, 1, err)
        self.assertIn("cannot write " + FULL, err)

    def test_pixmap(self):
        self.check(run(ARGS["pixmap"], os.path.join(ARGS["source"], "src/controls/go_glyph.pixmap"), FULL))

    def test_icon(self):
        self.check(run(ARGS["icon"], FULL))

    def test_stream_compiler(self):
        self.check(run(ARGS["streamc"], "compile", os.path.join(ARGS["source"], "src/app/crash_settings.txt"),
                       "-o", FULL))

    def test_debug_information(self):
        for option in ("--map", "--nox", "--minimal"):
            with self.subTest(option=option):
                self.check(run(ARGS["debuginfo"], "build", ARGS["sample"], option, FULL))


if __name__ == "__main__":
    names = ["source", "sample", "pixmap", "icon", "streamc", "debuginfo"]
    if len(sys.argv) != len(names) + 1:
        sys.exit(__doc__)
    ARGS.update(zip(names, sys.argv[1:]))
    unittest.main(argv=sys.argv[:1])
