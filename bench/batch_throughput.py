#!/usr/bin/python3
"""Cases per second and peak memory of `twcalc fluegas --csv`.

Writes plant-like batches of flue gas cases (a year of minute data is 525,600 of them), runs
twcalc on one and on two threads in turn, and reports the median cases per second of several
runs and the median speed-up of the runs side by side (writing over the last run's output, into
a new file, and to standard output), and the peak resident memory of the process for batches of
different sizes.

    bench/batch_throughput.py [--twcalc build/bin/twcalc] [--cases 100000] [--runs 5]
"""

import argparse
import os
import random
import statistics
import subprocess
import tempfile
import time

HEADER = "n2,ar,o2,co2,co,so2,h2o,t,tref\n"


def write_cases(path, count, seed=1):
    """Gases of a boiler over a day: O2 and H2O wander, the rest follows; about a third of the
    totals are not exactly 100 (the calculator then notes that it normalised them)."""
    r = random.Random(seed)
    with open(path, "w", encoding="ascii") as f:
        f.write(HEADER)
        for i in range(count):
            o2 = round(3.5 + 1.5 * r.random(), 2)
            h2o = round(6 + 4 * r.random(), 2)
            so2 = round(0.02 + 0.1 * r.random(), 3)
            co2 = round(11 + 2 * r.random(), 2)
            n2 = round(100 - 0.9 - o2 - h2o - so2 - co2, 3)
            if i % 3 == 0:
                n2 = round(n2 + 0.05, 3)
            t = round(120 + 280 * r.random(), 1)
            f.write(f"{n2},0.9,{o2},{co2},0,{so2},{h2o},{t},25\n")


def run(twcalc, csv, jobs, out):
    """Wall seconds and peak resident memory (KB) of one twcalc run, writing `out` (None:
    standard output, to /dev/null). The peak is taken by /usr/bin/time, a small process of its
    own: the resource usage of a child forked from this interpreter would count the
    interpreter's memory from before the exec."""
    with tempfile.NamedTemporaryFile("r") as peak:
        start = time.perf_counter()
        subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak.name, twcalc, "fluegas", "--csv",
                        csv, "--jobs", str(jobs)] + (["--out", out] if out else []),
                       check=True, stdout=subprocess.DEVNULL)
        wall = time.perf_counter() - start
        return wall, int(peak.read().split()[-1])


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--twcalc", default="build/bin/twcalc")
    parser.add_argument("--cases", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--memory-sizes", default="10000,1000000",
                        help="batch sizes whose peak memory is reported")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as tmp:
        csv = os.path.join(tmp, "cases.csv")
        out = os.path.join(tmp, "results.csv")
        write_cases(csv, args.cases)
        run(args.twcalc, csv, 1, out)  # warm the page cache
        # One and two threads in turn, so that each speed-up compares runs a second apart:
        # this machine's speed drifts by more than the difference being measured. Each run
        # writes over the output of the last, as a batch run again does, and then into a new
        # file: the commit that replaces a file frees the old one's blocks first, a part of the
        # run that no second thread shortens. Last, to standard output, the calculation with its
        # reading and formatting but without the disk.
        for mode, title in (("over", "over the last run's output:"),
                            ("new", "into a new file:"),
                            ("stdout", "to standard output (/dev/null):")):
            walls = {1: [], 2: []}
            for _ in range(args.runs):
                for jobs in (1, 2):
                    if mode == "new" and os.path.exists(out):
                        os.remove(out)
                    walls[jobs].append(
                        run(args.twcalc, csv, jobs, None if mode == "stdout" else out)[0])
            print(title)
            for jobs in (1, 2):
                print(f"  --jobs {jobs}: {args.cases / statistics.median(walls[jobs]):,.0f} "
                      f"cases/s (median of {args.runs} runs of {args.cases:,} cases, "
                      f"{min(walls[jobs]):.3f} to {max(walls[jobs]):.3f} s)")
            ratios = [one / two for one, two in zip(walls[1], walls[2])]
            print(f"  speed-up with two threads: {statistics.median(ratios):.2f}x (median of the "
                  f"runs side by side, {min(ratios):.2f}x to {max(ratios):.2f}x)")
        for size in (int(s) for s in args.memory_sizes.split(",")):
            write_cases(csv, size, seed=2)
            for jobs in (1, 2):
                wall, rss = run(args.twcalc, csv, jobs, out)
                print(f"{size:>9,} cases, --jobs {jobs}: peak RSS {rss / 1024:.1f} MB "
                      f"({size / wall:,.0f} cases/s)")


if __name__ == "__main__":
    main()
