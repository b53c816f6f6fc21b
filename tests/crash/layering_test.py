#!/usr/bin/env python3
"""The crash reporter's rooms include one another only downwards, and the reporter and the
application's toolkit know nothing of each other.

Usage: layering_test.py SOURCE_DIR
"""
import pathlib
import re
import sys

# Rooms of src/crash from the bottom up; rooms on one rank may not use each other.
ORDER = [["common"], ["archive", "process"], ["debuginfo"], ["x86"], ["settings"],
         ["pages", "picture", "sysinfo"], ["stack"], ["capture"], ["report"],
         ["box", "assistants", "send"], ["reporter"]]
RANK = {room: rank for rank, rooms in enumerate(ORDER) for room in rooms}
APPLICATION = ("toolkit/", "controls/", "ui/", "calc/", "app/")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def faults(src: pathlib.Path):
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp", ".inc"):
            continue
        rel = path.relative_to(src).as_posix()
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if rel.startswith("crash/"):
                room = rel.split("/")[1]
                if room not in RANK:
                    yield f"{rel}: lies in no known room"
                    break
                if target.startswith(APPLICATION):
                    yield f"{rel} includes the application's {target}"
                elif target.startswith("crash/"):
                    used = target.split("/")[1]
                    if used not in RANK:
                        yield f"{rel} includes {target}, which lies in no known room"
                    elif used != room and RANK[used] >= RANK[room]:
                        yield f"{rel} ({room}) includes {target} ({used}), which is not below it"
            elif target.startswith("crash/") and not rel.startswith("app/"):
                yield f"{rel} includes the reporter's {target}; only src/app joins the two"


def main():
    src = pathlib.Path(sys.argv[1]) / "src"
    found = list(faults(src))
    for fault in found:
        print(fault)
    checked = sum(1 for p in (src / "crash").rglob("*") if p.suffix in (".h", ".cpp"))
    print(f"{checked} files of the reporter checked, {len(found)} includes against the order")
    return 1 if found or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
