#!/usr/bin/env python3
"""nox-disasm lists a function with its cold part: every function of a compiled program that
has a ".cold" part shows it after the body under its label, and a crash address inside it is
marked.

Usage: nox_disasm_cold_test.py SAMPLE.exe NM COMMAND...
"""
import re
import subprocess
import sys


def main():
    sample, nm, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    symbols = {}
    for line in subprocess.run([nm, sample], capture_output=True, text=True, check=True).stdout.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[1] in "Tt":
            symbols.setdefault(parts[2], int(parts[0], 16))
    pairs = [(name[:-5], symbols[name[:-5]], address) for name, address in symbols.items()
             if name.endswith(".cold") and name[:-5] in symbols]
    if len(pairs) < 5:
        print(f"only {len(pairs)} functions with a cold part in {sample}")
        return 1
    faults = 0
    for name, parent, cold in pairs:
        out = subprocess.run(command + ["--function", f"{parent:x}", sample], capture_output=True, timeout=60)
        lines = out.stdout.decode("latin-1").split("\r\n")
        # The cold part's label: at its start, or where the first jump from the body enters it.
        label = [i for i, l in enumerate(lines)
                 if re.match(r"([0-9a-f]{8}) loc_\1: +; cold part$", l) and int(l[:8], 16) >= cold]
        # The last instruction of the cold part, a call that throws or ends the program where
        # there is one.
        code = [l[:8] for l in lines[label[0]:] if re.match(r"[0-9a-f]{8}   [a-z]", l)] if label else []
        calls = [l[:8] for l in lines[label[0]:] if re.match(r"[0-9a-f]{8}   call ", l)] if label else []
        if out.returncode != 0 or not code:
            print(f"{name}: no cold part listed after the body")
            faults += 1
            continue
        crash = (calls or code)[-1]
        out = subprocess.run(command + ["--function", f"{parent:x}", "--crash", crash, "--limit", "3", sample],
                             capture_output=True, timeout=60)
        marked = [l for l in out.stdout.decode("latin-1").split("\r\n") if l.startswith(crash + " > ")]
        if out.returncode != 0 or len(marked) != 1:
            print(f"{name}: {crash} in the cold part is not marked")
            faults += 1
    print(f"{len(pairs)} functions with a cold part, {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
