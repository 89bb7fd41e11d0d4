#!/usr/bin/env python3
"""Creates accounts in a domain from a CSV file.

The first line names the columns: "alias" (needed), "password" and "name"
(the full name), and any account property by its name (U_Comment,
U_Mailbox, ...). An alias that exists already is skipped and reported;
the exit status is 1 when any line was not imported.
"""

import argparse
import csv
import os
import sys

import tarvelin

COLUMNS = {"password": "U_Password", "name": "U_Name"}


def open_installation(folder):
    api = tarvelin.Dispatch("OrvikCOM.APIObject")
    if not api.Init(folder):
        sys.exit("import_accounts: cannot open the installation %s (LastErr %d)" % (folder, api.LastErr))
    return api


def properties_of(row):
    """(property, value) pairs of a CSV row, empty cells left out."""
    for column, value in row.items():
        if column is None or column == "alias" or not value:
            continue
        yield COLUMNS.get(column, column), value


def import_row(domain, row):
    """None when the account was created, else why not."""
    alias = (row.get("alias") or "").strip()
    if not alias:
        return "no alias"
    if domain.GetAccountIndexByAlias(alias) >= 0:
        return "%s exists already" % alias
    account = domain.NewAccount(alias)
    if account is None:
        return "%s cannot be created (LastErr %d)" % (alias, domain.LastErr)
    for name, value in properties_of(row):
        if not account.SetProperty(name, value):
            return "%s: %s refused (LastErr %d)" % (alias, name, account.LastErr)
    if not account.Save():
        return "%s refused (LastErr %d)" % (alias, account.LastErr)
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("csv_file", help="the accounts, one a line")
    parser.add_argument("domain", help="the domain that receives them")
    parser.add_argument("--install-dir", default=os.environ.get("TARVELIN_INSTALL_DIR"),
                        help="the installation (default: $TARVELIN_INSTALL_DIR)")
    args = parser.parse_args()
    if not args.install_dir:
        parser.error("--install-dir or $TARVELIN_INSTALL_DIR is needed")
    try:
        with open(args.csv_file, newline="", encoding="utf-8") as source:
            rows = list(csv.DictReader(source))
    except (OSError, UnicodeDecodeError, csv.Error) as error:
        sys.exit("import_accounts: cannot read %s: %s" % (args.csv_file, error))
    if rows and "alias" not in rows[0]:
        sys.exit("import_accounts: %s has no \"alias\" column" % args.csv_file)
    failed = 0
    try:
        api = open_installation(args.install_dir)
        domain = api.OpenDomain(args.domain)
        if domain is None:
            sys.exit("import_accounts: no domain %s" % args.domain)
        progress = sys.stderr.isatty()
        for number, row in enumerate(rows, 1):
            problem = import_row(domain, row)
            if problem:
                failed += 1
                # Line 1 is the header.
                print("%sline %d: %s" % ("\n" if progress else "", number + 1, problem), file=sys.stderr)
            if progress:
                print("\rimported %d of %d" % (number - failed, len(rows)), end="", file=sys.stderr, flush=True)
        if progress:
            print(file=sys.stderr)
    except (tarvelin.AutomationError, tarvelin.LibraryNotFoundError) as error:
        sys.exit("import_accounts: %s" % error)
    print("imported %d of %d accounts into %s" % (len(rows) - failed, len(rows), args.domain))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
