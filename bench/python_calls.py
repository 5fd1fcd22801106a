#!/usr/bin/python3
"""Single calls of the twsuite module against the Python IAPWS-IF97 package, in one run.

Times twsuite.steam_sat(tp=100), twsuite.convert("PR", 0, 1, 10.0) and twsuite.fluegas() of the
typical request, each as a Python caller sees it, against one saturated state of Debian's
python3-iapws, IAPWS97(P=1, x=0), and the same calls run as a command line
(twsuite's fallback for a call the prepared command does not take). Median of five runs.

    /usr/bin/python3 bench/python_calls.py [--build build]
"""

import argparse
import os
import statistics
import sys
import timeit


def per_call(function, number):
    function()
    return statistics.median(timeit.repeat(function, number=number, repeat=5)) / number


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default="build")
    args = parser.parse_args()
    sys.path.insert(0, os.path.join(args.build, "python"))
    import twsuite  # pylint: disable=import-outside-toplevel
    from twsuite import _twsuite  # pylint: disable=import-outside-toplevel
    try:
        from iapws import IAPWS97  # pylint: disable=import-outside-toplevel
    except ImportError:
        sys.exit("needs the IAPWS-IF97 package: Debian python3-iapws (run with /usr/bin/python3)")

    typical = dict(n2=76, ar=0.9, o2=4, co2=12, co=0, so2=0.1, h2o=7, t=300, tref=25)
    iapws = per_call(lambda: IAPWS97(P=1, x=0), 2000)
    calls = [
        ("steam_sat(tp=100)", lambda: twsuite.steam_sat(tp=100),
         ["steam", "sat", "--tp=100"], 3e-6),
        ("convert('PR', 0, 1, 10.0)", lambda: twsuite.convert("PR", 0, 1, 10.0),
         ["convert", "--", "PR", "0", "1", "10"], 1.5e-6),
        ("fluegas(typical request)", lambda: twsuite.fluegas(**typical),
         ["fluegas"] + [f"--{k}={v}" for k, v in typical.items()], 8e-6),
    ]
    print(f"IAPWS97(P=1, x=0): {iapws * 1e6:8.2f} us")
    for name, call, line, goal in calls:
        fast = per_call(call, 20000)
        slow = per_call(lambda line=line: _twsuite.evaluate(line), 2000)
        print(f"{name:28s} {fast * 1e6:7.2f} us (goal {goal * 1e6:.1f} us), "
              f"{iapws / fast:5.1f}x IAPWS97; as a command line {slow * 1e6:7.2f} us")


if __name__ == "__main__":
    main()
