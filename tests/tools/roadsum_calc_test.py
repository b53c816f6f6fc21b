#!/usr/bin/env python3
"""Checks roadsum-calc from the outside: outputs byte for byte, errors and usage.

Usage: roadsum_calc_test.py [--crlf] COMMAND... -- runs COMMAND (the program, possibly behind
an emulator) with each case's arguments. --crlf: lines end in CR LF (Windows text mode).
"""
import subprocess
import sys
import unittest

COMMAND = []
EOL = "\n"

FIXED = ["0.65", "140.00"]


def calc(*args):
    result = subprocess.run(COMMAND + list(args), capture_output=True, timeout=60)
    return result.returncode, result.stdout.decode("latin-1"), result.stderr.decode("latin-1")


def lines(*texts):
    return "".join(text + EOL for text in texts)


def example(hours, technicians, *flags):
    return [*flags, *FIXED, hours, technicians, "100", "90", "110", "8"]


class WorkedExamples(unittest.TestCase):
    CASES = [
        (example("40", "1", "--stay-away"),
         ["Accomodation (5 Nights) - $700.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
          "Total Travelling && Accom - $995.00", "5.00 Days of working"]),
        (example("84", "2", "--stay-away"),
         ["Accomodation (6 Nights) - $1,680.00", "Vehicle (2 Trips) - $260.00", "Travelling (2 Trips) - $330.00",
          "Total Travelling && Accom - $2,270.00", "5.25 Days of working"]),
        (example("84", "2", "--stay-away", "--stretch"),
         ["Accomodation (5 Nights) - $1,400.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
          "Total Travelling && Accom - $1,695.00", "5.25 Days of working"]),
        (example("84", "2", "--stay-away", "--no-weekend-trip"),
         ["Accomodation (6 Nights) - $1,680.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
          "Total Travelling && Accom - $1,975.00", "5.25 Days of working"]),
        (example("84", "2"),
         ["Accomodation - None required", "Vehicle (6 Trips) - $780.00", "Travelling (6 Trips) - $990.00",
          "Total Travelling && Accom - $1,770.00", "5.25 Days of working"]),
    ]

    def test_reproduces_each_example_byte_for_byte(self):
        for args, texts in self.CASES:
            with self.subTest(args=args):
                self.assertEqual(calc(*args), (0, lines(*texts), ""))

    def test_options_may_follow_the_fields(self):
        args = [*FIXED, "84", "2", "100", "90", "110", "8", "--stretch", "--stay-away"]
        self.assertEqual(calc(*args), (0, lines(*self.CASES[2][1]), ""))


class RegionalOptions(unittest.TestCase):
    def test_decimal_thousands_and_currency_after(self):
        code, out, err = calc("--stay-away", "--decimal=,", "--thousands=.", "--currency= EUR", "--currency-after",
                              "0,65", "140,00", "84", "2", "100", "90", "110", "8")
        self.assertEqual((code, err), (0, ""))
        self.assertEqual(out, lines("Accomodation (6 Nights) - 1.680,00 EUR", "Vehicle (2 Trips) - 260,00 EUR",
                                    "Travelling (2 Trips) - 330,00 EUR", "Total Travelling && Accom - 2.270,00 EUR",
                                    "5,25 Days of working"))

    def test_empty_thousands_separator_means_no_grouping(self):
        code, out, _ = calc("--stay-away", "--thousands=", *FIXED, "84", "2", "100", "90", "110", "8")
        self.assertEqual(code, 0)
        self.assertTrue(out.startswith("Accomodation (6 Nights) - $1680.00" + EOL), out)


class Errors(unittest.TestCase):
    def test_bad_field_prints_the_message_alone_on_stderr(self):
        self.assertEqual(calc(*FIXED, "", "1", "12.5", "90", "110", "8"),
                         (1, "", "'012.5' is not a valid integer value" + EOL))
        self.assertEqual(calc("1,5", "140", "", "1", "", "", "110", "8"),
                         (1, "", "'01,5' is not a valid floating point value" + EOL))

    def test_a_field_may_begin_with_a_minus(self):
        self.assertEqual(calc(*FIXED, "", "1", "-5", "90", "110", "8"),
                         (1, "", "'0-5' is not a valid integer value" + EOL))

    def test_division_errors_print_nothing_on_stdout(self):
        self.assertEqual(calc(*FIXED, "40", "1", "100", "90", "110", "0"),
                         (1, "", "Floating point division by zero" + EOL))
        self.assertEqual(calc("--stay-away", *FIXED, "", "1", "100", "90", "110", "0"),
                         (1, "", "Invalid floating point operation" + EOL))


class Usage(unittest.TestCase):
    def test_help_goes_to_stdout(self):
        code, out, err = calc("--help")
        self.assertEqual((code, err), (0, ""))
        self.assertIn("usage: roadsum-calc", out)

    def test_wrong_usage_exits_2_with_usage_on_stderr(self):
        for args in [[], ["1", "2"], ["--bogus", *FIXED, "", "1", "", "", "110", "8"],
                     ["--decimal=ab", *FIXED, "", "1", "", "", "110", "8"],
                     ["--decimal=5", *FIXED, "", "1", "", "", "110", "8"]]:
            with self.subTest(args=args):
                code, out, err = calc(*args)
                self.assertEqual((code, out), (2, ""))
                self.assertIn("usage: roadsum-calc", err)

    def test_double_dash_ends_the_options(self):
        code, out, err = calc("--", "--stay-away", *FIXED[1:], "", "1", "", "", "110", "8")
        self.assertEqual((code, out), (1, ""))
        self.assertEqual(err, "'0--stay-away' is not a valid floating point value" + EOL)


if __name__ == "__main__":
    args = sys.argv[1:]
    if args and args[0] == "--crlf":
        EOL = "\r\n"
        args = args[1:]
    split = args.index("--")
    COMMAND = args[:split]
    unittest.main(argv=[sys.argv[0], "-v", *args[split + 1:]])
