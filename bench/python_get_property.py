#!/usr/bin/env python3
"""Times acc.GetProperty("U_Name") through the Python package: the median
of single calls, against the goal of 25 µs per call.

    python3 bench/python_get_property.py [--install-dir DIR] [--calls N]

Without --install-dir it makes a scratch installation (and registry) with
the built tarvelin-admin and removes it afterwards; the library is found as the
package finds it, else build/libtarvelinapi.so.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "python"))
os.environ.setdefault("TARVELIN_LIBRARY", os.path.join(ROOT, "build", "libtarvelinapi.so"))

import tarvelin  # noqa: E402

GOAL_MICROSECONDS = 25.0


def timed_calls(call, calls):
    clock = time.perf_counter_ns
    samples = []
    for _ in range(calls):
        start = clock()
        call()
        samples.append(clock() - start)
    return samples


def run(folder, calls):
    api = tarvelin.Dispatch("OrvikCOM.APIObject")
    if not api.Init(folder):
        sys.exit("cannot open the installation %s (LastErr %d)" % (folder, api.LastErr))
    domain = api.OpenDomain(api.GetDomain(0))
    account = domain.NewAccount("bench")
    account.SetProperty("U_Name", "Bench Mark")
    if account.GetProperty("U_Name") != "Bench Mark":
        sys.exit("the account object does not give back U_Name")
    # The attribute lookup is part of what a script pays for each call.
    samples = timed_calls(lambda: account.GetProperty("U_Name"), calls)
    get = account.GetProperty
    bound = timed_calls(lambda: get("U_Name"), calls)
    median = statistics.median(samples) / 1000
    print("acc.GetProperty(\"U_Name\"): median %.2f µs per call, 90th percentile %.2f µs, "
          "%d calls (goal ≤ %.0f µs)" % (median, statistics.quantiles(samples, n=10)[-1] / 1000,
                                        calls, GOAL_MICROSECONDS))
    print("  with the method looked up once: median %.2f µs" % (statistics.median(bound) / 1000))
    return median <= GOAL_MICROSECONDS


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--install-dir", help="an installation to read (default: a scratch one)")
    parser.add_argument("--calls", type=int, default=20000)
    parser.add_argument("--admin", default=os.path.join(ROOT, "build", "tools", "tarvelin-admin"),
                        help="the tarvelin-admin that makes the scratch installation")
    args = parser.parse_args()
    if args.install_dir:
        met = run(args.install_dir, args.calls)
    else:
        scratch = tempfile.mkdtemp(prefix="tarvelin-bench-")
        try:
            folder = os.path.join(scratch, "installation")
            subprocess.run([args.admin, "create", "--install-dir", folder, "--domain", "example.org"],
                           check=True, capture_output=True)
            os.environ["TARVELIN_REGISTRY"] = os.path.join(scratch, "registry.reg")
            tarvelin.register()
            met = run(folder, args.calls)
        finally:
            shutil.rmtree(scratch, ignore_errors=True)
    sys.exit(0 if met else 1)


if __name__ == "__main__":
    main()
