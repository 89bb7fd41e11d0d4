#!/usr/bin/env python3
"""Lists every domain of an installation with its number of accounts."""

import argparse
import os
import sys

import tarvelin


def open_installation(folder):
    api = tarvelin.Dispatch("OrvikCOM.APIObject")
    if not api.Init(folder):
        sys.exit("list_domains: cannot open the installation %s (LastErr %d)" % (folder, api.LastErr))
    return api


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--install-dir", default=os.environ.get("TARVELIN_INSTALL_DIR"),
                        help="the installation (default: $TARVELIN_INSTALL_DIR)")
    args = parser.parse_args()
    if not args.install_dir:
        parser.error("--install-dir or $TARVELIN_INSTALL_DIR is needed")
    try:
        api = open_installation(args.install_dir)
        for index in range(api.GetDomainCount()):
            name = api.GetDomain(index)
            domain = api.OpenDomain(name)
            if domain is None:
                print("%s\tcannot be opened (LastErr %d)" % (name, api.LastErr))
                continue
            print("%s\t%d" % (name, domain.GetAccountCount()))
    except (tarvelin.AutomationError, tarvelin.LibraryNotFoundError) as error:
        sys.exit("list_domains: %s" % error)


if __name__ == "__main__":
    main()
