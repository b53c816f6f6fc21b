#!/usr/bin/env python3
"""Checks nox-symbolize from the outside on a compiled 32-bit program, against what the cross
binutils read from the same program: function symbols (nm, from the side file of a program
linked without them), the DWARF line table (objdump
--dwarf=decodedline) and the outermost frame of addr2line -i. The program's debug information
comes from its resource or from the .map and .nox files beside it; every form must give the
same answers.

Usage: nox_symbolize_test.py PROGRAM NM OBJDUMP ADDR2LINE [--make-side-files NOX-DEBUGINFO WORKDIR]
       -- COMMAND...
COMMAND (the tool, possibly behind an emulator) is run with the arguments of each check.
With --make-side-files the program is copied to WORKDIR and its .map and .nox are made there.
"""
import os
import random
import re
import shutil
import subprocess
import sys
import unittest

import nox_symbolize_agreement_test as agreement_test

COMMAND = []
PROGRAM = ""
NM = OBJDUMP = ADDR2LINE = ""


def run(*args, stdin=None):
    result = subprocess.run(COMMAND + list(args), input=stdin, capture_output=True, timeout=300)
    return result.returncode, result.stdout.decode("latin-1"), result.stderr.decode("latin-1")


def tool_output(*args):
    return subprocess.run(list(args), capture_output=True, check=True, timeout=300).stdout.decode("latin-1")


def image_base():
    for line in tool_output(OBJDUMP, "-p", PROGRAM).splitlines():
        m = re.match(r"ImageBase\s+([0-9a-fA-F]+)", line)
        if m:
            return int(m.group(1), 16)
    raise AssertionError("no image base")


def line_sequences():
    """The sequences of the line table: unit, start, end and rows (address, line), the last row
    of an address winning. The linker may leave the line tables of several units describing
    one function it kept once; each of them is an answer."""
    sequences = []
    unit, rows = None, {}
    previous = ""
    for line in tool_output(OBJDUMP, "--dwarf=decodedline", PROGRAM).splitlines():
        if line.startswith("File name") and previous.endswith(":"):
            unit = agreement_test.unit_of(previous[:-1])
        m = re.match(r"\S+\s+(\d+|-)\s+0x([0-9a-f]+)", line)
        if m and unit:
            address = int(m.group(2), 16)
            if m.group(1) != "-":
                rows[address] = int(m.group(1))
            elif rows:
                ordered = sorted(rows.items())
                sequences.append((unit, ordered[0][0], address, ordered))
                rows = {}
        previous = line
    return sequences


def functions(base):
    """Our own functions with simple names: address, the qualified name without parameters."""
    names = agreement_test.symbol_file(PROGRAM)
    raw = tool_output(NM, "-p", "--defined-only", names).splitlines()
    demangled = tool_output(NM, "-p", "-C", "--defined-only", names).splitlines()
    found = {}
    for r, d in zip(raw, demangled):
        parts_r, parts_d = r.split(" ", 2), d.split(" ", 2)
        if len(parts_r) < 3 or parts_r[1] not in "tT" or not parts_r[2].startswith("__ZN7roadsum"):
            continue
        m = re.match(r"roadsum::((?:\w+::)*~?\w+)\(", parts_d[2])
        if m and "[clone" not in parts_d[2] and "_GLOBAL__N" not in parts_r[2]:
            found[int(parts_r[0], 16)] = m.group(1)
    assert found, "no functions of our own"
    return found


def expected_name(qualified):
    parts = qualified.split("::")
    if parts[-1].startswith("~"):
        return ".".join(parts[:-1]) + ".Destroy"
    if len(parts) >= 2 and parts[-1] == parts[-2]:
        return ".".join(parts[:-1]) + ".Create"
    return ".".join(parts)


class Symbolize(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.base = image_base()
        cls.sequences = line_sequences()
        cls.functions = functions(cls.base)
        chosen = sorted(cls.functions)
        random.Random(7).shuffle(chosen)
        cls.entries = sorted(chosen[:150])
        # Addresses inside functions too, where the line is that of an earlier row.
        inner = [a + d for a in cls.entries[:60] for d in (1, 5, 9)]
        cls.addresses = sorted(set(cls.entries + [a for a in inner if cls.covering(a)]))
        cls.outputs = {}
        for form in ("program", "map", "nox"):
            path = PROGRAM if form == "program" else os.path.splitext(PROGRAM)[0] + "." + form
            code, out, err = run(path, *["%x" % a for a in cls.addresses])
            assert code == 0, (form, err)
            cls.outputs[form] = out.splitlines()

    @classmethod
    def covering(cls, address):
        return [q for q in cls.sequences if q[1] <= address < q[2]]

    def expected(self, address):
        """The (unit, line) answers of the sequences that hold the address."""
        answers = set()
        for unit, _, _, rows in self.covering(address):
            line = [l for a, l in rows if a <= address][-1]
            answers.add((unit, line))
        return answers

    def test_every_form_of_the_debug_information_answers_alike(self):
        self.assertEqual(len(self.outputs["program"]), len(self.addresses))
        self.assertEqual(self.outputs["program"], self.outputs["map"])
        self.assertEqual(self.outputs["program"], self.outputs["nox"])

    def test_lines_agree_with_addr2line(self):
        for address, line in zip(self.addresses, self.outputs["program"]):
            fields = line.split("\t")
            self.assertEqual(len(fields), 4, line)
            self.assertEqual(fields[0], "%08x" % address)
            if not self.expected(address):  # code without line table
                self.assertEqual(fields[2], "0", line)
        report, passed = agreement_test.agreement(PROGRAM, ADDR2LINE, OBJDUMP, COMMAND)
        self.assertTrue(passed, "\n".join(report))

    def test_functions_show_as_class_and_method_in_their_unit(self):
        by_address = dict(zip(self.addresses, self.outputs["program"]))
        for address in self.entries:
            _, unit, _, name = by_address[address].split("\t")
            self.assertEqual(name, expected_name(self.functions[address]), by_address[address])
            self.assertNotEqual(unit, "")

    def test_relative_addresses_and_standard_input(self):
        some = self.addresses[:20]
        code, out, _ = run("--relative", PROGRAM, stdin=("\n".join("0x%x" % (a - self.base) for a in some)).encode())
        self.assertEqual(code, 0)
        for a, line, absolute in zip(some, out.splitlines(), self.outputs["program"]):
            self.assertEqual(line, "%08x" % (a - self.base) + absolute[8:])

    def test_outside_the_code_nothing_is_named(self):
        code, out, _ = run(PROGRAM, "%x" % (self.base - 0x1000))
        self.assertEqual(code, 0)
        self.assertEqual(out.splitlines(), ["%08x\t\t0\t" % (self.base - 0x1000)])

    def test_bad_input_fails_clearly(self):
        code, out, err = run(PROGRAM, "40x000", "%x" % self.entries[0])
        self.assertEqual(code, 1)
        self.assertIn("not an address: 40x000", err)
        self.assertEqual(len(out.splitlines()), 1)
        code, _, err = run(PROGRAM + ".missing", "401000")
        self.assertEqual(code, 1)
        self.assertIn("no debug information", err)
        code, _, err = run("--base", "xyz", PROGRAM)
        self.assertEqual(code, 2)

    def test_the_calculate_handler_where_the_program_has_it(self):
        handlers = [a for a, q in self.functions.items() if q == "TRoadsumFrm::PricelistBtnClick"]
        if not handlers:
            self.skipTest("not Roadsum.exe")
        code, out, _ = run(PROGRAM, "%x" % handlers[0])
        self.assertEqual(code, 0)
        _, unit, line, name = out.strip().split("\t")
        self.assertEqual((unit, name), ("RoadsumFrm", "TRoadsumFrm.PricelistBtnClick"))
        self.assertEqual(self.expected(handlers[0]), {(unit, int(line))})


if __name__ == "__main__":
    args = sys.argv[1:]
    split = args.index("--")
    options, COMMAND = args[:split], args[split + 1:]
    PROGRAM, NM, OBJDUMP, ADDR2LINE = options[:4]
    if len(options) > 4 and options[4] == "--make-side-files":
        tool, workdir = options[5], options[6]
        os.makedirs(workdir, exist_ok=True)
        copy = os.path.join(workdir, os.path.basename(PROGRAM))
        shutil.copyfile(PROGRAM, copy)
        stem = os.path.splitext(copy)[0]
        subprocess.run([tool, "build", copy, "--map", stem + ".map", "--nox", stem + ".nox"], check=True,
                       capture_output=True)
        PROGRAM = copy
    unittest.main(argv=[sys.argv[0], "-v"])
