#!/usr/bin/env python3
"""Reports the accounts of a domain that match a query, with the chosen
properties, as CSV on standard output.

    report_accounts.py example.org --query "U_Type = 0" -p U_Name -p U_Comment
"""

import argparse
import csv
import os
import sys

import tarvelin


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("domain")
    parser.add_argument("--query", default="U_Type = 0",
                        help="the condition accounts must meet (default: user accounts, \"U_Type = 0\")")
    parser.add_argument("-p", "--property", action="append", dest="properties",
                        help="a property to report, repeatable (default: U_Name)")
    parser.add_argument("--install-dir", default=os.environ.get("TARVELIN_INSTALL_DIR"),
                        help="the installation (default: $TARVELIN_INSTALL_DIR)")
    args = parser.parse_args()
    if not args.install_dir:
        parser.error("--install-dir or $TARVELIN_INSTALL_DIR is needed")
    properties = args.properties or ["U_Name"]
    try:
        api = tarvelin.Dispatch("OrvikCOM.APIObject")
        if not api.Init(args.install_dir):
            sys.exit("report_accounts: cannot open the installation %s (LastErr %d)"
                     % (args.install_dir, api.LastErr))
        if api.GetDomainIndex(args.domain) < 0:
            sys.exit("report_accounts: no domain %s" % args.domain)
        account = tarvelin.Dispatch("OrvikCOM.AccountObject")
        if not account.FindInitQuery(args.domain, args.query):
            sys.exit("report_accounts: the accounts of %s cannot be read" % args.domain)
        out = csv.writer(sys.stdout)
        out.writerow(["email"] + properties)
        try:
            while account.FindNext():
                out.writerow([account.EmailAddress] + [account.GetProperty(name) for name in properties])
        finally:
            account.FindDone()
    except (tarvelin.AutomationError, tarvelin.LibraryNotFoundError) as error:
        sys.exit("report_accounts: %s" % error)


if __name__ == "__main__":
    main()
