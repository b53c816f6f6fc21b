#!/usr/bin/env python3
"""Compares nox-symbolize with the cross binutils' addr2line -i on a compiled 32-bit program:
at the start of every function and at up to three return addresses inside it (where the
addresses of a call stack lie), the unit and line that nox-symbolize gives must be those of
the last line that addr2line -i prints (the outermost inlined call, in the source file of the
function). A return address just past the end of a function's code stands for its call and
is compared with addr2line's answer for the address before it. Code for which addr2line knows
no line (no DWARF) is counted but not compared.
Fails below 99.5 % agreement and prints the differences. A cold part of a function must show
the name of its parent.

Usage: nox_symbolize_agreement_test.py PROGRAM ADDR2LINE OBJDUMP -- COMMAND...
COMMAND (nox-symbolize, possibly behind an emulator) reads the addresses from standard input.
"""
import bisect
import collections
import os
import re
import struct
import subprocess
import sys

REQUIRED = 0.995
INNER_PER_FUNCTION = 3


def output_of(args, stdin=None):
    result = subprocess.run(args, input=stdin, capture_output=True, timeout=600)
    if result.returncode != 0:
        raise SystemExit("%s failed: %s" % (args[0], result.stderr.decode("latin-1")))
    return result.stdout.decode("latin-1")


def unit_of(path):
    """The unit name the debug information gives a source file: its stem in capitalised words."""
    stem = os.path.splitext(os.path.basename(path.replace("\\", "/")))[0]
    return "".join(w[:1].upper() + w[1:] for w in re.split(r"[^A-Za-z0-9]+|_", stem) if w)


def code_section(objdump, program):
    for line in output_of([objdump, "-h", program]).splitlines():
        m = re.match(r"\s*0\s+(\S+)\s+([0-9a-f]+)\s+([0-9a-f]+)", line)
        if m:
            return m.group(1), int(m.group(3), 16), int(m.group(3), 16) + int(m.group(2), 16)
    raise SystemExit("no code section")


def symbol_file(program):
    """The file whose COFF symbol table names the program's functions: the program, or when it
    was linked without one (the shipped Roadsum.exe), the side file beside it that holds them."""
    with open(program, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    if struct.unpack_from("<I", head, pe + 16)[0] == 0 and os.path.exists(program + ".debug"):
        return program + ".debug"
    return program


def functions(objdump, program, start, end):
    """Function symbols of the code section: {address: raw name}, aliases once."""
    found = {}
    for line in output_of([objdump, "-t", symbol_file(program)]).splitlines():
        m = re.match(r"\[\s*\d+\]\(sec\s+1\)\(fl 0x\w+\)\(ty\s+20\)\(scl\s+\d+\) \(nx \d+\) 0x([0-9a-f]+) (.+)$", line)
        if m and start <= start + int(m.group(1), 16) < end:
            found.setdefault(start + int(m.group(1), 16), m.group(2))
    if not found:
        raise SystemExit("no function symbols")
    return found


def return_addresses(objdump, program, section):
    """Addresses of the instructions after calls, in order."""
    found, after_call = [], False
    for line in output_of([objdump, "-d", "--no-show-raw-insn", "-j", section, program]).splitlines():
        m = re.match(r"\s+([0-9a-f]+):\s+(\S+)", line)
        if not m:
            continue
        if after_call:
            found.append(int(m.group(1), 16))
        after_call = m.group(2).startswith("call")
    return found


def addresses_to_check(starts, end, returns):
    """Per function its start and up to INNER_PER_FUNCTION return addresses spread over it."""
    chosen = []
    for i, start in enumerate(starts):
        stop = starts[i + 1] if i + 1 < len(starts) else end
        inside = returns[bisect.bisect_right(returns, start):bisect.bisect_left(returns, stop)]
        step = max(1, len(inside) // INNER_PER_FUNCTION)
        chosen.append((start, start, "start"))
        chosen += [(a, start, "inner") for a in inside[step - 1::step][:INNER_PER_FUNCTION]]
    return chosen


def addr2line_answers(addr2line, program, addresses):
    """{address: [(function, file, line), ...]} innermost first; line 0 when unknown."""
    text = output_of([addr2line, "-a", "-i", "-f", "-e", program], "\n".join("%x" % a for a in addresses).encode())
    answers, current = {}, None
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        if re.match(r"0x[0-9a-f]+$", lines[i]):
            current = answers.setdefault(int(lines[i], 16), [])
            i += 1
            continue
        function, place = lines[i], lines[i + 1] if i + 1 < len(lines) else "??:0"
        m = re.match(r"(.*):(\d+|\?)", place.split(" (discriminator")[0])
        current.append((function, m.group(1) if m else "??", int(m.group(2)) if m and m.group(2) != "?" else 0))
        i += 2
    return answers


def line_table_rows(objdump, program):
    """The sequences of the decoded line tables: (start, end, [(address, file name, line)]), the
    last row of an address winning."""
    sequences, rows, previous = [], {}, ""
    for line in output_of([objdump, "--dwarf=decodedline", program]).splitlines():
        m = re.match(r"(\S+)\s+(\d+|-)\s+0x([0-9a-f]+)", line)
        if m:
            address = int(m.group(3), 16)
            if m.group(2) != "-":
                rows[address] = (address, m.group(1), int(m.group(2)))
            elif rows:
                ordered = sorted(rows.values())
                sequences.append((ordered[0][0], address, ordered))
                rows = {}
    return sequences


def rows_in_effect(sequences, address, line):
    """The rows in effect at address (the last one at or before it in each sequence that holds
    it) that have that line."""
    found = []
    for start, end, rows in sequences:
        if start <= address < end:
            row = rows[bisect.bisect_right(rows, (address, "\xff", 1 << 31)) - 1]
            if row[2] == line:
                found.append(row)
    return found


def row_answer(sequences, address, file, line):
    """An answer of addr2line that comes from the line table: (file, where its row begins).
    addr2line 2.40 names the primary source file for the rows of a DWARF 5 line program that
    keep its initial file (entry 1, often a header); objdump's decoded table names them right,
    so when no row in effect has addr2line's file and line, the file of one with the line is
    taken."""
    rows = rows_in_effect(sequences, address, line)
    for row in rows:
        if row[1] == os.path.basename(file):
            return file, row[0]
    return (rows[0][1], rows[0][0]) if rows else (file, address)


def symbolize(command, addresses):
    out = output_of(command, "\n".join("%x" % a for a in addresses).encode())
    answers = {}
    for line in out.splitlines():
        address, unit, number, name = line.split("\t")
        answers[int(address, 16)] = (unit, int(number), name)
    return answers


def agreement(program, addr2line, objdump, command):
    """The comparison: the lines of its report (the differences, then a summary) and whether
    it passes."""
    section, start, end = code_section(objdump, program)
    symbols = functions(objdump, program, start, end)
    starts = sorted(symbols)
    checks = addresses_to_check(starts, end, return_addresses(objdump, program, section))
    addresses = sorted({a for a, _, _ in checks})
    theirs = addr2line_answers(addr2line, program, addresses)
    # A return address just past the end of a function's code (after a call that does not
    # return: a throw, _Unwind_Resume) lies in no function; it stands for its call, so it is
    # compared with addr2line's answer for the call instruction before it.
    past_end = {a for a, _, kind in checks if kind == "inner" and len(theirs.get(a, [])) == 1 and theirs[a][0][0] == "??"}
    before = addr2line_answers(addr2line, program, sorted(a - 1 for a in past_end))
    for a in past_end:
        theirs[a] = before.get(a - 1, [])
    ours = symbolize(command + [program], addresses)
    sequences = line_table_rows(objdump, program)

    counts = collections.Counter()
    differences = []
    for address, function, kind in checks:
        chain = theirs.get(address, [])
        if not chain or chain[-1][1] == "??" or chain[-1][2] == 0:
            counts["no line"] += 1
            continue
        file, line = chain[-1][1], chain[-1][2]
        if len(chain) == 1:  # from the line table, not from an inlined call
            named, row_start = row_answer(sequences, address, file, line)
            counts["file corrected"] += os.path.basename(named) != os.path.basename(file)
            file = named
            if row_start < function:
                # A part of a function (often a cold one) without a row at its start runs on
                # in the last row of the code before it, which says nothing about this code.
                counts["row before"] += 1
                continue
        counts[kind] += 1
        counts["past end"] += address in past_end
        expected = (unit_of(file), line)
        unit, line, name = ours[address]
        if (unit, line) != expected:
            counts[kind + " differing"] += 1
            differences.append("%08x %-5s in %s: nox-symbolize %s %d (%s), addr2line -i %s" % (
                address, kind, symbols[function], unit, line, name,
                " <- ".join("%s:%d" % (os.path.basename(f), n) for _, f, n in chain)))

    # A cold part shows the name of its parent.
    by_name = {name: address for address, name in symbols.items()}
    cold_wrong = [name for address, name in symbols.items()
                  if name.endswith(".cold") and name[:-5] in by_name
                  and ours[address][2] != ours[by_name[name[:-5]]][2]]

    compared = counts["start"] + counts["inner"]
    agreeing = compared - len(differences)
    report = differences + [
        "%s: %d of %d addresses agree (%.2f %%): function starts %d of %d, inner addresses %d of %d; "
        "%d of the inner addresses past the end of their function's code; %d files of addr2line corrected; "
        "not compared: %d where addr2line knows no line, %d where it answers with a row of the code "
        "before the function; %d cold parts, %d named unlike their parent" % (
            os.path.basename(program), agreeing, compared, 100.0 * agreeing / max(compared, 1),
            counts["start"] - counts["start differing"], counts["start"],
            counts["inner"] - counts["inner differing"], counts["inner"], counts["past end"],
            counts["file corrected"], counts["no line"], counts["row before"],
            sum(1 for n in symbols.values() if n.endswith(".cold")), len(cold_wrong))]
    report += ["cold part named unlike its parent: " + name for name in cold_wrong]
    if compared < 100:
        report.append("too few addresses with DWARF to compare")
    return report, compared >= 100 and agreeing >= REQUIRED * compared and not cold_wrong


def main():
    args = sys.argv[1:]
    split = args.index("--")
    (program, addr2line, objdump), command = args[:split], args[split + 1:]
    report, passed = agreement(program, addr2line, objdump, command)
    print("\n".join(report))
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
