#!/usr/bin/env python3
"""Writes the seed corpus of stack_trace_fuzz: a call chain with and without frame pointers,
a recursion, a self-referencing frame chain, garbage, and the same as a prepared stack.
Entries are a selector and a value (see the target's input description): selector 1 picks a
return address of the module's call chain, 3 a pointer into the stack, 5 the slot itself, 7 a
frame pointer upwards; a selector with bit 7 set is a sure entry of a prepared stack.

Usage: fuzz/make_stack_trace_seeds.py   (rewrites fuzz/corpus/stack_trace_fuzz)
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def entry(selector, value):
    return bytes([selector]) + struct.pack("<I", value & 0xFFFFFFFF)


def chain(frame_pointers, sure=0):
    out = b""
    for k in range(23):
        out += entry(1 | sure, k)
        if frame_pointers:
            out += entry(7, 1)
        out += entry(0, 1000 + k)
    return out


SEEDS = {
    "chain_with_frames": bytes([0x0E, 3]) + chain(True),
    "chain_without_frames": bytes([0x1E, 0]) + chain(False),
    "recursion": bytes([0x06, 2]) + b"".join(entry(1, 24) + entry(7, 1) for _ in range(40)),
    "self_referencing_frames": bytes([0x0E, 5]) + b"".join(entry(5, 0) + entry(1, k) for k in range(10)),
    "garbage": bytes([0x5B, 7]) + b"".join(entry(k % 8, k * 2654435761) for k in range(60))
               + b"\xfe\xfe" + bytes([0xE8, 0, 0, 0, 0, 0xFF, 0xD0, 0xC3] * 16),
    "prepared": bytes([0x86, 1]) + chain(False, 0x80),
}


def main():
    folder = os.path.join(HERE, "corpus", "stack_trace_fuzz")
    os.makedirs(folder, exist_ok=True)
    for name, data in SEEDS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
