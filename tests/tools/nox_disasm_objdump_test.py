#!/usr/bin/env python3
"""Compares nox-disasm's instruction boundaries with objdump's over real 32-bit code that we did
not compile: a handful of Wine's own DLLs. Both sweep every code section linearly from its start,
so after any disagreement on a length they would drift apart; every boundary must agree, apart
from two places where objdump reads the bytes differently on purpose:

- A wait (9b) before an x87 instruction: objdump shows the pair as one instruction (fstcw,
  fstsw, fldl with an fwait in front); the processor's tables list wait as an instruction of its
  own, and so do we. Such an objdump instruction is split into the wait and the rest.
- Data in a code section (constructor lists, padding at the end): where objdump cannot decode a
  byte it shows "(bad)" or ".byte", and the two sweeps find their feet again at different
  places. From each such byte up to the next boundary that both share, nothing is compared; the
  test counts those bytes and fails when they are more than a trace of the code.

Usage: nox_disasm_objdump_test.py DLL_DIR OBJDUMP DLL... -- COMMAND... (nox-disasm, possibly
behind an emulator).
"""
import bisect
import os
import re
import subprocess
import sys
import unittest

DLL_DIR = ""
OBJDUMP = ""
DLLS = []
COMMAND = []

INSTRUCTION = re.compile(r"^ *([0-9a-f]+):\t([0-9a-f ]+?) *\t(.*)$")
WAIT = 0x9B


def objdump_instructions(path):
    """[(address, length, refused)] of objdump's linear sweep, a wait in front of an x87
    instruction split off."""
    out = subprocess.run([OBJDUMP, "-d", "-z", "--insn-width=16", path], capture_output=True, check=True,
                         timeout=300).stdout.decode("latin-1")
    result = []
    for line in out.splitlines():
        m = INSTRUCTION.match(line)
        if not m:
            continue
        address, code, text = int(m.group(1), 16), bytes.fromhex(m.group(2)), m.group(3)
        refused = text.startswith("(bad)") or text.startswith(".byte")
        if code[0] == WAIT and len(code) > 1 and not refused:
            result.append((address, 1, False))
            address, code = address + 1, code[1:]
        result.append((address, len(code), refused))
    return result


def our_instructions(path):
    out = subprocess.run(COMMAND + ["--lengths", path], capture_output=True, check=True,
                         timeout=300).stdout.decode("ascii")
    return [(int(a, 16), int(n)) for a, n in (line.split() for line in out.splitlines())]


def disagreements(theirs, ours):
    """The boundaries that only one side has, outside the stretches after objdump's refusals,
    and the number of bytes in those stretches."""
    their_starts = {a: refused for a, _, refused in theirs}
    our_starts = {a for a, _ in ours}
    shared = sorted(a for a in our_starts if their_starts.get(a) is False)
    skipped = []  # [begin, end) stretches
    for address, _, refused in theirs:
        if refused:
            i = bisect.bisect_right(shared, address)
            end = shared[i] if i < len(shared) else max(address + 1, max(our_starts) + 1)
            if skipped and address <= skipped[-1][1]:
                skipped[-1][1] = max(skipped[-1][1], end)
            else:
                skipped.append([address, end])
    begins = [b for b, _ in skipped]

    def in_skipped(a):
        i = bisect.bisect_right(begins, a) - 1
        return i >= 0 and a < skipped[i][1]

    only = sorted(a for a in set(their_starts) ^ our_starts if not in_skipped(a))
    return only, sum(e - b for b, e in skipped)


class Boundaries(unittest.TestCase):
    def test_every_boundary_agrees_with_objdump_but_for_merged_waits_and_undecodable_data(self):
        total_code = total_skipped = 0
        for dll in DLLS:
            path = os.path.join(DLL_DIR, dll)
            self.assertTrue(os.path.isfile(path), "%s not found (Wine's 32-bit DLLs come with wine32)" % path)
            with self.subTest(dll=dll):
                theirs = objdump_instructions(path)
                ours = our_instructions(path)
                self.assertGreater(len(ours), 10000)
                only, skipped = disagreements(theirs, ours)
                theirs_at = {a for a, _, _ in theirs}
                shown = ["%08x starts an instruction only for %s" % (a, "objdump" if a in theirs_at else "nox-disasm")
                         for a in only[:20]]
                if only:
                    self.fail("%d boundaries differ, the first:\n%s" % (len(only), "\n".join(shown)))
                code = sum(n for _, n in ours)
                self.assertLess(skipped, code / 1000, "too much of the code left out after objdump's refusals")
                total_code += code
                total_skipped += skipped
        print("%d bytes of code compared, %d left out after objdump's refusals" % (total_code, total_skipped),
              file=sys.stderr)


class Comparison(unittest.TestCase):
    """The comparison itself catches what it should and leaves out only what it says."""

    def test_a_length_that_differs_is_found(self):
        theirs = [(0, 2, False), (2, 1, False), (3, 1, False)]
        self.assertEqual(disagreements(theirs, [(0, 3), (3, 1)]), ([2], 0))

    def test_the_stretch_after_a_refusal_is_left_out_until_both_agree_again(self):
        theirs = [(0, 1, False), (1, 1, True), (2, 2, False), (4, 1, False), (5, 1, False)]
        ours = [(0, 1), (1, 3), (4, 1), (5, 1)]
        self.assertEqual(disagreements(theirs, ours), ([], 3))
        # A disagreement after the two have met again still counts.
        self.assertEqual(disagreements(theirs + [(6, 2, False)], ours + [(6, 1), (7, 1)]), ([7], 3))


if __name__ == "__main__":
    split = sys.argv.index("--")
    DLL_DIR, OBJDUMP = sys.argv[1:3]
    DLLS = sys.argv[3:split]
    COMMAND = sys.argv[split + 1:]
    unittest.main(argv=[sys.argv[0]])
