#!/usr/bin/python3
"""A whole flue gas calculation against one saturated state of the Python IAPWS-IF97 package.

Side by side on the same machine: the time of one `Calculate` of the typical request (from
bench_fluegas, which includes its water dew point from the steam table) and the time per case of
a `twcalc fluegas --csv` batch on one thread, against the time the Debian package python3-iapws
takes for the saturated liquid at the partial pressure of the water vapour alone,
`IAPWS97(P=..., x=0)`. The batches run in rounds, each between two measurements of IAPWS97
whose mean its ratios take; the medians and ranges are over the rounds.

A batch's time per case is given two ways: its whole run over its cases (start-up and the
commit of the output file included, which weigh less the longer the batch), and what each case
adds: the difference between the batch and one a tenth as long, over the cases between them.

    bench/compare_iapws.py [--bin build/bin] [--cases 1000000] [--rounds 5]
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


def iapws_seconds(runs=5):
    """Median time of one saturated state at partial pressures of 6 to 10 % H2O."""
    pressures = [h2o / 100 * 1.0332 * MPA_PER_KGCM2 for h2o in (6.0, 7.0, 8.0, 9.0, 10.0)]
    IAPWS97(P=pressures[0], x=0)
    times = []
    for _ in range(runs):
        n = 200
        t = timeit.timeit(lambda: [IAPWS97(P=p, x=0) for p in pressures], number=n)
        times.append(t / (n * len(pressures)))
    return statistics.median(times)


def paired_rounds(twcalc, cases, rounds):
    """Rounds of IAPWS97, a batch of `cases`, one of a tenth as many, and IAPWS97 again, so that
    each round's ratios compare times taken within a few seconds of each other (this machine's
    speed drifts by more than the difference being measured). Each batch runs on one thread and
    writes with --out, start-up and the commit of the output file included."""
    shorter = max(1, cases // 10)
    with tempfile.TemporaryDirectory() as tmp:
        csv, short_csv = os.path.join(tmp, "cases.csv"), os.path.join(tmp, "short.csv")
        out = os.path.join(tmp, "results.csv")
        batch_throughput.write_cases(csv, cases)
        batch_throughput.write_cases(short_csv, shorter)
        batch_throughput.run(twcalc, csv, 1, out)
        for _ in range(rounds):
            before = iapws_seconds(runs=1)
            whole = batch_throughput.run(twcalc, csv, 1, out)[0]
            part = batch_throughput.run(twcalc, short_csv, 1, out)[0]
            python = (before + iapws_seconds(runs=1)) / 2
            yield python, whole / cases, (whole - part) / (cases - shorter)


def spread(values, unit=1e6, digits=2):
    """The median of some values and their range, as text."""
    return (f"{statistics.median(values) * unit:.{digits}f} "
            f"({min(values) * unit:.{digits}f} to {max(values) * unit:.{digits}f})")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", default="build/bin")
    parser.add_argument("--cases", type=int, default=1000000)
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()

    state = IAPWS97(P=0.07 * 1.0332 * MPA_PER_KGCM2, x=0)
    print(f"IAPWS97 at 7 % H2O: {state.T - 273.15:.2f} oC (the water dew point)")
    python = iapws_seconds()
    calculate = calculate_seconds(os.path.join(args.bin, "bench_fluegas"))
    print(f"IAPWS97(P=..., x=0), one saturated state: {python * 1e6:8.1f} us")
    print(f"one Calculate of the typical request:     {calculate * 1e6:8.1f} us"
          f"  ({python / calculate:.0f}x faster)")
    rounds = list(paired_rounds(os.path.join(args.bin, "twcalc"), args.cases, args.rounds))
    pythons = [r[0] for r in rounds]
    print(f"in {len(rounds)} rounds: IAPWS97 {spread(pythons, digits=1)} us")
    print(f"  one case of a twcalc batch, one thread, {args.cases} cases over the whole run:"
          f" {spread([r[1] for r in rounds])} us,"
          f" {spread([r[0] / r[1] for r in rounds], unit=1, digits=0)}x faster")
    print(f"  what one case adds to a batch ({args.cases // 10} cases to {args.cases}):"
          f" {spread([r[2] for r in rounds])} us,"
          f" {spread([r[0] / r[2] for r in rounds], unit=1, digits=0)}x faster")
    print(f"measured {time.strftime('%Y-%m-%d %H:%M')} on {os.uname().nodename}")


if __name__ == "__main__":
    main()
