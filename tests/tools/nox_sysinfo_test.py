#!/usr/bin/env python3
"""Checks nox-sysinfo under Wine from the outside: usage, the sections in the report's form, and
the operating system named from the versions that Wine reports. Versions Wine knows by name are
set for a copy of the program in Wine's per-program settings; the true version numbers of newer
systems are set, as on Windows, in the system registry of a private prefix.

Usage: nox_sysinfo_test.py SHARED_PREFIX NOX_SYSINFO_EXE -- EMULATOR...
(the emulator runs a Windows program in $WINEPREFIX, SHARED_PREFIX when that is not set)
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

EXE = ""
EMULATOR = []
PREFIX = ""

OS_LINE = re.compile(r"Windows .+ build \d+, version \d+\.\d+")


def run(*args, exe=None, prefix=None):
    env = dict(os.environ, WINEPREFIX=prefix or PREFIX)
    result = subprocess.run(EMULATOR + [exe or EXE, *args], capture_output=True, timeout=120, env=env)
    return result.returncode, result.stdout.decode("latin-1").replace("\r\n", "\n"), result.stderr.decode("latin-1")


def wine_command(*args, prefix=None):
    """Output to nowhere: the first program of a prefix starts Wine's services, which would keep
    pipes of ours open for as long as they run."""
    env = dict(os.environ, WINEPREFIX=prefix or PREFIX)
    subprocess.run(EMULATOR + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, env=env, check=True)


def windows_path(path):
    """Wine's drive Z: is the root of the file system."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def sections(output):
    """The operating-system lines and the sections as (title, lines)."""
    head, *blocks = output.rstrip("\n").split("\n\n")
    parsed = []
    for block in blocks:
        title, *lines = block.split("\n")
        parsed.append((title, lines))
    return head.split("\n"), parsed


class Usage(unittest.TestCase):
    def test_help_and_wrong_usage(self):
        code, out, _ = run("--help")
        self.assertEqual(code, 0)
        self.assertIn("usage: nox-sysinfo", out)
        for args in (["everything"], ["os", "modules"]):
            code, out, err = run(*args)
            self.assertEqual(code, 2, args)
            self.assertEqual(out, "", args)
            self.assertIn("nox-sysinfo: unexpected argument", err)


class ReportForm(unittest.TestCase):
    def test_os_alone_is_one_line(self):
        code, out, _ = run("os")
        self.assertEqual(code, 0)
        self.assertRegex(out, r"\A" + OS_LINE.pattern + r"\n\Z")

    def test_all_sections_as_the_report_shows_them(self):
        code, out, _ = run("all")
        self.assertEqual(code, 0)
        self.assertEqual(run()[1].split("\n")[0], out.split("\n")[0], "all is the default")
        head, found = sections(out)
        self.assertRegex(head[0], OS_LINE)
        self.assertEqual([title for title, _ in found], ["modules:", "processes:", "hardware:"])
        for title, lines in found:
            for line in lines:
                self.assertTrue(line and not line.endswith(" "), f"{title} {line!r}")
        modules, processes, hardware = (lines for _, lines in found)
        folder = windows_path(os.path.dirname(EXE))
        self.assertTrue(any(re.fullmatch(r"[0-9a-f]{8} nox-sysinfo\.exe +" + re.escape(folder + "\\"), line)
                            for line in modules), modules)
        self.assertTrue(any(re.fullmatch(r"[0-9a-f]{8} ntdll\.dll +\d+\.\d+\.\d+\.\d+ +C:\\windows\\system32\\", line,
                                         re.IGNORECASE) for line in modules), modules)
        self.assertTrue(any(re.fullmatch(r"[0-9A-F]+ nox-sysinfo\.exe .* normal " + re.escape(folder), line)
                            for line in processes), processes)
        for line in hardware:
            self.assertRegex(line, r"^(\+ \S|  - )")

    def test_one_section(self):
        code, out, _ = run("processes")
        self.assertEqual(code, 0)
        head, found = sections(out)
        self.assertEqual(len(head), 1)
        self.assertEqual([title for title, _ in found], ["processes:"])


class VersionsByName(unittest.TestCase):
    """Versions set per program. Windows 7 and 2008 R2 are left out: Wine 8.0 swaps their
    product types, the private prefix below sets them properly."""
    CASES = [
        ("win10", r"Windows 10 build \d+, version 10\.0"),
        ("win81", r"Windows 8\.1 build 9600, version 6\.3"),
        ("win8", r"Windows 8 build 9200, version 6\.2"),
        ("win2008", r"Windows 2008 Service Pack 2 build 6002, version 6\.0"),
        ("vista", r"Windows Vista Service Pack 2 build 6002, version 6\.0"),
        ("win2003", r"Windows 2003 Service Pack 2 build 3790, version 5\.2"),
        ("winxp64", r"Windows XP Service Pack 2 build 3790, version 5\.2"),
        ("winxp", r"Windows XP Service Pack 3 build 2600, version 5\.1"),
        ("win2k", r"Windows 2000 Service Pack 4 build 2195, version 5\.0"),
        ("nt40", r"Windows NT 4 Service Pack 6a build 1381, version 4\.0"),
        ("winme", r"Windows ME build 3000, version 4\.90"),
        ("win98", r"Windows 98 SE build 2222, version 4\.10"),
        ("win95", r"Windows 95 build 950, version 4\.0"),
    ]

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="nox-sysinfo-versions-")
        cls.keys = []
        entries = ["REGEDIT4", ""]
        for version, _ in cls.CASES:
            name = f"nox-sysinfo-test-{version}.exe"
            shutil.copy(EXE, os.path.join(cls.folder, name))
            cls.keys.append(f"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\{name}")
            entries += [f"[{cls.keys[-1]}]", f'"Version"="{version}"', ""]
        cls.import_registry(entries)

    @classmethod
    def tearDownClass(cls):
        cls.import_registry(["REGEDIT4", ""] + [f"[-{key}]" for key in cls.keys])
        shutil.rmtree(cls.folder)

    @classmethod
    def import_registry(cls, lines):
        path = os.path.join(cls.folder, "versions.reg")
        with open(path, "w", newline="\r\n") as f:
            f.write("\n".join(lines) + "\n")
        wine_command("regedit", "/S", windows_path(path))

    def program(self, version):
        return os.path.join(self.folder, f"nox-sysinfo-test-{version}.exe")

    def test_each_version_named(self):
        for version, expected in self.CASES:
            with self.subTest(version=version):
                code, out, _ = run("os", exe=self.program(version))
                self.assertEqual(code, 0)
                self.assertRegex(out.split("\n")[0], r"\A" + expected + r"\Z")

    def test_windows_9x_family_lists(self):
        """The family's own routes: the tool-help process list and the 16-bit free resources."""
        code, out, _ = run("all", exe=self.program("winme"))
        self.assertEqual(code, 0)
        head, found = sections(out)
        self.assertRegex(head[1], r"\Asystem resources: \d+/\d+ \(gdi/user\)\Z")
        listed = dict(found)
        self.assertFalse(any(line.startswith("00000000 ") for line in listed["modules:"]))
        self.assertTrue(any(" nox-sysinfo-test-winme.exe " in line for line in listed["processes:"]))


class TrueVersionInThePrefix(unittest.TestCase):
    """The version numbers Windows keeps in its registry, which Wine reports as the true version
    when no version is set by name. The prefix shares the Windows folder of the tests' prefix
    and has its own registry."""
    CASES = [
        ("10.0", "22631", "", "WinNT", "Windows 11 build 22631, version 10.0"),
        ("10.0", "19045", "", "WinNT", "Windows 10 build 19045, version 10.0"),
        ("10.0", "20348", "", "ServerNT", "Windows 2022 build 20348, version 10.0"),
        ("6.3", "9600", "", "LanmanNT", "Windows 2012 R2 build 9600, version 6.3"),
        ("6.1", "7601", "Service Pack 1", "WinNT", "Windows 7 Service Pack 1 build 7601, version 6.1"),
        ("6.1", "7601", "Service Pack 1", "ServerNT", "Windows 2008 R2 Service Pack 1 build 7601, version 6.1"),
    ]

    @classmethod
    def setUpClass(cls):
        shared = pathlib.Path(os.environ.get("WINEPREFIX", PREFIX))
        cls.prefix = pathlib.Path(tempfile.mkdtemp(prefix="nox-sysinfo-prefix-"))
        for name in ("system.reg", "user.reg", "userdef.reg", ".update-timestamp"):
            shutil.copy(shared / name, cls.prefix / name)
        (cls.prefix / "dosdevices").mkdir()
        (cls.prefix / "dosdevices" / "c:").symlink_to("../drive_c")
        (cls.prefix / "dosdevices" / "z:").symlink_to("/")
        (cls.prefix / "drive_c").mkdir()
        (cls.prefix / "drive_c" / "windows").symlink_to((shared / "drive_c" / "windows").resolve())
        env = dict(os.environ, WINEPREFIX=str(cls.prefix))
        subprocess.run(["wineserver", "-p"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, check=True)

    @classmethod
    def tearDownClass(cls):
        env = dict(os.environ, WINEPREFIX=str(cls.prefix))
        subprocess.run(["wineserver", "-k"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(cls.prefix)

    def test_newer_systems_named(self):
        for version, build, service_pack, product, expected in self.CASES:
            with self.subTest(expected=expected):
                reg = self.prefix / "version.reg"
                reg.write_text("\r\n".join([
                    "REGEDIT4", "",
                    r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion]",
                    f'"CurrentVersion"="{version}"',
                    f'"CurrentMajorVersionNumber"=dword:{int(version.split(".")[0]):08x}',
                    f'"CurrentMinorVersionNumber"=dword:{int(version.split(".")[1]):08x}',
                    f'"CurrentBuildNumber"="{build}"',
                    f'"CSDVersion"="{service_pack}"', "",
                    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Control\ProductOptions]",
                    f'"ProductType"="{product}"', ""]))
                wine_command("regedit", "/S", windows_path(reg), prefix=str(self.prefix))
                code, out, _ = run("os", prefix=str(self.prefix))
                self.assertEqual(code, 0)
                self.assertEqual(out, expected + "\n")


def main():
    global EXE, EMULATOR, PREFIX
    split = sys.argv.index("--")
    PREFIX, EXE = sys.argv[1:split]
    EMULATOR = sys.argv[split + 1:]
    unittest.main(argv=sys.argv[:1], verbosity=2)


if __name__ == "__main__":
    main()
