"""The example scripts against a scratch installation of their own, checked
with tarvelin-admin, as an administrator would run them."""

import os
import subprocess
import sys
import textwrap
import unittest

import scratch

EXAMPLES = os.path.join(scratch.REPOSITORY, "examples")

ACCOUNTS = textwrap.dedent("""\
    alias,password,name,U_Comment
    alice,Wonder-Land-42,Alice Liddell,first
    bob,Builder-Can-7,Bob Bauer,
    alice,Other-Pass-99,Alice Again,
    ,No-Alias-1,Nobody,
    jürgen,Straße-Eins-1,Jürgen Groß,
    juergen,Straße-Eins-1,Jürgen Groß,umlauts
""")


def example(name, *args, folder):
    environment = dict(os.environ, PYTHONPATH=scratch.PACKAGE_ROOT)
    # Only --install-dir names the installation.
    environment.pop("TARVELIN_INSTALL_DIR", None)
    return subprocess.run([sys.executable, os.path.join(EXAMPLES, name), "--install-dir", folder, *args],
                          env=environment, capture_output=True, text=True,
                          timeout=scratch.SUBPROCESS_SECONDS)


def admin(folder, *args):
    return subprocess.run([scratch.admin_program(), "--install-dir", folder, *args],
                          capture_output=True, text=True,
                          timeout=scratch.SUBPROCESS_SECONDS)


class ExamplesTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = scratch.create_installation(os.path.join(scratch.scratch_folder(), "installation"))
        cls.csv = os.path.join(scratch.scratch_folder(), "accounts.csv")
        with open(cls.csv, "w", encoding="utf-8") as out:
            out.write(ACCOUNTS)
        cls.imported = example("import_accounts.py", cls.csv, "example.org", folder=cls.folder)

    def test_import_creates_the_accounts_and_reports_the_lines_it_skipped(self):
        result = self.imported
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertEqual(result.stdout, "imported 3 of 6 accounts into example.org\n")
        self.assertEqual(result.stderr.splitlines(),
                         ["line 4: alice exists already", "line 5: no alias",
                          "line 6: jürgen refused (LastErr -1)"])
        for address, password, name in [("alice@example.org", "Wonder-Land-42", "Alice Liddell"),
                                        ("juergen@example.org", "Straße-Eins-1", "Jürgen Groß")]:
            with self.subTest(address):
                shown = admin(self.folder, "account", "show", "--show-password", address)
                self.assertEqual(shown.returncode, 0, shown.stderr)
                self.assertIn(name, shown.stdout)
                self.assertIn(password, shown.stdout)

    def test_list_shows_each_domain_with_its_account_count(self):
        result = example("list_domains.py", folder=self.folder)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, "example.org\t3\nother.org\t0\n")

    def test_report_lists_the_matching_accounts_with_the_chosen_properties(self):
        cases = [
            (["-p", "U_Name", "-p", "U_Comment"],
             ["email,U_Name,U_Comment", "alice@example.org,Alice Liddell,first",
              "bob@example.org,Bob Bauer,", "juergen@example.org,Jürgen Groß,umlauts"]),
            (["--query", "U_Alias like 'b%'"], ["email,U_Name", "bob@example.org,Bob Bauer"]),
            (["--query", "U_Type = 1"], ["email,U_Name"]),
        ]
        for args, lines in cases:
            with self.subTest(args=args):
                result = example("report_accounts.py", "example.org", *args, folder=self.folder)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout.splitlines(), lines)

    def test_mistakes_are_told_in_one_line(self):
        missing = os.path.join(scratch.scratch_folder(), "nothing.csv")
        cases = [
            ("list_domains.py", [], os.path.join(self.folder, "nothing"), "cannot open the installation"),
            ("import_accounts.py", [missing, "example.org"], self.folder, "cannot read " + missing),
            ("import_accounts.py", [self.csv, "nowhere.org"], self.folder, "no domain nowhere.org"),
            ("report_accounts.py", ["nowhere.org"], self.folder, "no domain nowhere.org"),
            ("report_accounts.py", ["example.org", "-p", "U_Nothing"], self.folder,
             "Property u_nothing not found"),
        ]
        for name, args, folder, message in cases:
            with self.subTest(name=name, args=args):
                result = example(name, *args, folder=folder)
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertEqual(len(result.stderr.splitlines()), 1, result.stderr)
                self.assertIn(message, result.stderr)


if __name__ == "__main__":
    unittest.main()
