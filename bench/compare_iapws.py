#!/usr/bin/python3
"""A whole flue gas calculation against one saturated state of the Python IAPWS-IF97 package.

Side by side on the same machine: the time of one `Calculate` of the typical request (from
bench_fluegas, which includes its water dew point from the steam table) and the time per case of
a `twcalc fluegas --csv` batch on one thread, against the time the Debian package python3-iapws
takes for the saturated liquid at the partial pressure of the water vapour alone,
`IAPWS97(P=..., x=0)`, measured before and after the batches (the ratios take the mean of
the two).

A batch's time per case is given two ways: its whole run over its cases (start-up and the
commit of the output file included, which weigh less the longer the batch), and what each case
adds: the difference between the batch and one a tenth as long, over the cases between them.

    bench/compare_iapws.py [--bin build/bin] [--cases 1000000]
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time
import timeit

try:
    from iapws import IAPWS97
except ImportError:
    sys.exit("needs the IAPWS-IF97 package: Debian python3-iapws (run with /usr/bin/python3)")

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import batch_throughput  # noqa: E402

MPA_PER_KGCM2 = 0.0980665


def calculate_seconds(bench):
    """Median real time of one Calculate of the typical request (NASA Glenn formula)."""
    report = subprocess.run(
        [bench, "--benchmark_filter=BM_CalculateTypicalRequest/0$", "--benchmark_format=json",
         "--benchmark_repetitions=5", "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True).stdout
    for b in json.loads(report)["benchmarks"]:
        if b.get("aggregate_name") == "median":
            return b["real_time"] * {"ns": 1e-9, "us": 1e-6, "ms": 1e-3}[b["time_unit"]]
    sys.exit("bench_fluegas gave no median")


def batch_seconds(twcalc, cases):
    """Median wall time of a batch on one thread written with --out, start-up and the commit of
    the output file included."""
    with tempfile.TemporaryDirectory() as tmp:
        csv = os.path.join(tmp, "cases.csv")
        out = os.path.join(tmp, "results.csv")
        batch_throughput.write_cases(csv, cases)
        batch_throughput.run(twcalc, csv, 1, out)
        walls = [batch_throughput.run(twcalc, csv, 1, out)[0] for _ in range(5)]
        return statistics.median(walls)


def iapws_seconds():
    """Median time of one saturated state at partial pressures of 6 to 10 % H2O."""
    pressures = [h2o / 100 * 1.0332 * MPA_PER_KGCM2 for h2o in (6.0, 7.0, 8.0, 9.0, 10.0)]
    IAPWS97(P=pressures[0], x=0)
    runs = []
    for _ in range(5):
        n = 200
        t = timeit.timeit(lambda: [IAPWS97(P=p, x=0) for p in pressures], number=n)
        runs.append(t / (n * len(pressures)))
    return statistics.median(runs)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default="build/bin")
    parser.add_argument("--cases", type=int, default=1000000)
    args = parser.parse_args()

    state = IAPWS97(P=0.07 * 1.0332 * MPA_PER_KGCM2, x=0)
    print(f"IAPWS97 at 7 % H2O: {state.T - 273.15:.2f} oC (the water dew point)")
    python = iapws_seconds()
    calculate = calculate_seconds(os.path.join(args.bin, "bench_fluegas"))
    twcalc = os.path.join(args.bin, "twcalc")
    shorter = max(1, args.cases // 10)
    whole = batch_seconds(twcalc, args.cases)
    batch = whole / args.cases
    added = (whole - batch_seconds(twcalc, shorter)) / (args.cases - shorter)
    python_after = iapws_seconds()
    print(f"IAPWS97(P=..., x=0), one saturated state: {python * 1e6:8.1f} us"
          f" (again after the batches: {python_after * 1e6:.1f} us)")
    python = statistics.median([python, python_after])
    print(f"one Calculate of the typical request:     {calculate * 1e6:8.1f} us"
          f"  ({python / calculate:.0f}x faster)")
    print(f"one case of a twcalc batch, one thread:   {batch * 1e6:8.2f} us"
          f"  ({python / batch:.0f}x faster; {args.cases} cases over the whole run)")
    print(f"what one case adds to a batch:            {added * 1e6:8.2f} us"
          f"  ({python / added:.0f}x faster; {shorter} cases to {args.cases})")
    print(f"measured {time.strftime('%Y-%m-%d')} on {os.uname().nodename}")


if __name__ == "__main__":
    main()
