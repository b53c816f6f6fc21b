#!/usr/bin/env python3
"""Assembles the instruction corpus with the GNU assembler, which is the source of truth for
each instruction's bytes and length, and writes one record per instruction:

    <bytes in hex> TAB <expected mnemonic> TAB <expected operand text or empty> TAB <source>

Corpus lines: an instruction in Intel syntax (or "att: " and AT&T syntax where Intel syntax
cannot say it), optionally followed by ";= mnemonic" when our name differs from the first word
and ";> operands" to check the operand text exactly. '#' starts a comment line.

usage: assemble_corpus.py CORPUS.txt OUTPUT AS OBJCOPY WORKDIR
"""
import os
import subprocess
import sys

# Prefix words of the source that are not the mnemonic.
PREFIX_WORDS = {"lock", "rep", "repe", "repz", "repne", "repnz"}


def parse(path):
    records = []
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.strip()
            if not line or line.startswith("#"):
                continue
            operands = ""
            if ";>" in line:
                line, operands = (part.strip() for part in line.split(";>", 1))
            mnemonic = None
            if ";=" in line:
                line, mnemonic = (part.strip() for part in line.split(";=", 1))
            att = line.startswith("att:")
            source = line[4:].strip() if att else line
            if mnemonic is None:
                words = [w for w in source.replace(",", " ").split() if w.lower() not in PREFIX_WORDS]
                if att:
                    sys.exit(f"{path}:{number}: AT&T lines need ';= mnemonic'")
                mnemonic = words[0].lower()
            records.append((number, att, source, mnemonic, operands))
    return records


def main():
    corpus, output, assembler, objcopy, work = sys.argv[1:6]
    records = parse(corpus)
    os.makedirs(work, exist_ok=True)
    asm = os.path.join(work, "corpus.s")
    with open(asm, "w", encoding="ascii") as f:
        f.write(".intel_syntax noprefix\n.text\n")
        for _, att, source, _, _ in records:
            if att:
                f.write(".att_syntax prefix\n")
            f.write(f"1:\n {source}\n2:\n")
            if att:
                f.write(".intel_syntax noprefix\n")
            f.write(".data\n .byte 2b-1b\n.text\n")
    obj = os.path.join(work, "corpus.o")
    subprocess.run([assembler, "--32", "-msyntax=intel", "-mnaked-reg", "-o", obj, asm], check=True)
    text = os.path.join(work, "text.bin")
    lens = os.path.join(work, "lens.bin")
    subprocess.run([objcopy, "-O", "binary", "-j", ".text", obj, text], check=True)
    subprocess.run([objcopy, "-O", "binary", "-j", ".data", obj, lens], check=True)
    code = open(text, "rb").read()
    lengths = open(lens, "rb").read()
    if len(lengths) < len(records) or sum(lengths[: len(records)]) > len(code):
        sys.exit("the assembler's output does not match the corpus")
    offset = 0
    with open(output, "w", encoding="ascii") as out:
        for (number, _, source, mnemonic, operands), length in zip(records, lengths):
            piece = code[offset : offset + length]
            offset += length
            out.write(f"{piece.hex()}\t{mnemonic}\t{operands}\t{corpus}:{number}: {source}\n")


main()
