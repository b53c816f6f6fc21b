#!/usr/bin/env python3
"""Judges the archives that the ZIP writer's tests left in a folder with real readers.

Usage: check_zip_archives.py FOLDER NAME...

Each NAME must have FOLDER/NAME.zip and FOLDER/NAME.expected/ (names.txt with the stored names
in archive order, one a line, and the contents as files 1, 2, ...). Every archive must pass
`unzip -t`, open in Python's zipfile with the writer's names and header values and read back
the expected bytes, and extract with unzip to files equal to them byte for byte.
"""
import os
import subprocess
import sys
import tempfile
import zipfile

# unzip decodes UTF-8 names only in a UTF-8 locale.
ENV = dict(os.environ, LC_ALL="C.UTF-8")


def check(folder, name):
    archive = os.path.join(folder, name + ".zip")
    expected_dir = os.path.join(folder, name + ".expected")
    with open(os.path.join(expected_dir, "names.txt"), encoding="utf-8") as f:
        names = f.read().splitlines()
    expected = []
    for i in range(len(names)):
        with open(os.path.join(expected_dir, str(i + 1)), "rb") as f:
            expected.append(f.read())
    problems = []

    test = subprocess.run(["unzip", "-t", "-qq", archive], env=ENV, capture_output=True, text=True)
    if test.returncode != 0:
        problems.append(f"unzip -t failed ({test.returncode}): {test.stdout}{test.stderr}")

    with zipfile.ZipFile(archive) as z:
        infos = z.infolist()
        if [i.filename for i in infos] != names:
            problems.append(f"zipfile names {[i.filename for i in infos]} != {names}")
        for info, want in zip(infos, expected):
            if info.flag_bits != 0x0800 or info.compress_type != zipfile.ZIP_DEFLATED:
                problems.append(f"{info.filename}: flags {info.flag_bits:#x}, method {info.compress_type}")
            if info.create_version != 20 or info.extract_version != 20:
                problems.append(f"{info.filename}: versions {info.create_version}, {info.extract_version}")
            if z.read(info) != want:
                problems.append(f"{info.filename}: zipfile read other bytes")

    # Info-ZIP unzip 6.0 reads names of archives made on MS-DOS hosts (version made by 20) as
    # OEM text even when they are flagged UTF-8, so it extracts non-ASCII names under other
    # names; zipfile judges those names above. Here every extracted file must equal its source,
    # found by name when the name is ASCII, and all together must be exactly the sources.
    with tempfile.TemporaryDirectory() as out:
        extract = subprocess.run(["unzip", "-qq", "-o", archive, "-d", out], env=ENV, capture_output=True, text=True)
        if extract.returncode != 0:
            problems.append(f"unzip failed ({extract.returncode}): {extract.stdout}{extract.stderr}")
        extracted = {}
        root = os.fsencode(out)
        for folder, _, files in os.walk(root):
            for file in files:
                with open(os.path.join(folder, file), "rb") as f:
                    extracted[os.path.relpath(os.path.join(folder, file), root)] = f.read()
        for entry, want in zip(names, expected):
            if entry.isascii() and extracted.get(entry.encode()) != want:
                problems.append(f"{entry}: extracted file missing or different")
        if sorted(extracted.values()) != sorted(expected):
            problems.append(f"unzip extracted {len(extracted)} files that are not exactly the {len(expected)} sources")
    return problems


def main():
    folder, names = sys.argv[1], sys.argv[2:]
    if not names:
        print("no archives named", file=sys.stderr)
        return 2
    failed = 0
    for name in names:
        try:
            problems = check(folder, name)
        except Exception as e:  # a reader that gives up on an archive fails it
            problems = [f"{type(e).__name__}: {e}"]
        print(f"{name}.zip: {'ok' if not problems else 'FAILED'}")
        for p in problems:
            print(f"  {p}")
        failed += bool(problems)
    print(f"{len(names) - failed} of {len(names)} archives pass")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
