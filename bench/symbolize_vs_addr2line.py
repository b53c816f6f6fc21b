#!/usr/bin/env python3
"""nox-symbolize against the cross binutils' addr2line on the same random code addresses of
Roadsum.exe: both read the addresses from standard input and resolve each to its function and
line, nox-symbolize through the program's own packed debug information, addr2line through the
DWARF data. The two run in alternation, several rounds, so that a loaded machine slows both
alike; the median wall-clock time of each and the ratio are printed, with the goal.

usage: bench/symbolize_vs_addr2line.py [--exe Roadsum.exe] [--nox-symbolize PATH]
           [--addr2line PATH] [--count N] [--rounds N] [--seed N]
(the defaults are the build trees' files, run from the repository's root)
"""
import argparse
import os
import random
import statistics
import struct
import subprocess
import sys
import tempfile
import time

GOAL = 3.0


def code_range(exe):
    """[begin, end) of the code sections at the image's preferred base."""
    with open(exe, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit("%s: not a PE file" % exe)
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    image_base = struct.unpack_from("<I", data, pe + 24 + 28)[0]
    ranges = []
    for i in range(sections):
        at = pe + 24 + optional_size + 40 * i
        virtual_size, virtual_address = struct.unpack_from("<II", data, at + 8)
        characteristics = struct.unpack_from("<I", data, at + 36)[0]
        if characteristics & 0x20:  # code
            ranges.append((image_base + virtual_address, image_base + virtual_address + virtual_size))
    if not ranges:
        sys.exit("%s: no code section" % exe)
    return min(b for b, _ in ranges), max(e for _, e in ranges)


def timed(command, stdin_path):
    with open(stdin_path, "rb") as stdin:
        start = time.perf_counter()
        result = subprocess.run(command, stdin=stdin, capture_output=True)
        elapsed = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("%s failed (%d): %s" % (command[0], result.returncode, result.stderr.decode(errors="replace")[:500]))
    return elapsed, result.stdout.decode("latin-1").splitlines()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe", default="build/win32/bin/Roadsum.exe")
    parser.add_argument("--nox-symbolize", default="build/native/bin/nox-symbolize")
    parser.add_argument("--addr2line", default="i686-w64-mingw32-addr2line")
    parser.add_argument("--count", type=int, default=100000)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--seed", type=int, default=17)
    args = parser.parse_args()
    for path in (args.exe, args.nox_symbolize):
        if not os.path.isfile(path):
            sys.exit("%s not found: build the trees first" % path)

    begin, end = code_range(args.exe)
    rng = random.Random(args.seed)
    addresses = [rng.randrange(begin, end) for _ in range(args.count)]
    with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
        f.write("".join("%08x\n" % a for a in addresses))
        input_path = f.name
    try:
        ours_command = [args.nox_symbolize, args.exe]
        theirs_command = [args.addr2line, "-f", "-e", args.exe]
        ours_times, theirs_times = [], []
        for _ in range(args.rounds):
            elapsed, ours = timed(ours_command, input_path)
            ours_times.append(elapsed)
            elapsed, theirs = timed(theirs_command, input_path)
            theirs_times.append(elapsed)
    finally:
        os.unlink(input_path)

    # Both must have answered every address, or the times compare different work.
    if len(ours) != args.count or len(theirs) != 2 * args.count:
        sys.exit("unexpected output: %d lines from nox-symbolize, %d from addr2line" % (len(ours), len(theirs)))
    named_ours = sum(1 for line in ours if line.split("\t")[-1])
    named_theirs = sum(1 for line in theirs[0::2] if line != "??")

    ours_time, theirs_time = statistics.median(ours_times), statistics.median(theirs_times)
    ratio = theirs_time / ours_time
    print("%d random addresses in %08x..%08x of %s, median of %d alternating rounds"
          % (args.count, begin, end, args.exe, args.rounds))
    print("nox-symbolize  %8.3f s  (%d with a function)" % (ours_time, named_ours))
    print("addr2line -f   %8.3f s  (%d with a function)" % (theirs_time, named_theirs))
    print("ratio addr2line / nox-symbolize: %.2f (goal at least %.1f) %s"
          % (ratio, GOAL, "met" if ratio >= GOAL else "NOT met"))


if __name__ == "__main__":
    main()
