#!/usr/bin/python3
"""Timing of twsuite.fluegas_batch against the C++ batch and against single calls.

    /usr/bin/python3 bench/fluegas_batch_bench.py [--cases 100000] [--singles 2000] [--build build]

The same cases run three ways: fluegas_batch from numpy arrays; the C++ batch of the
calculator core, as twcalc fluegas --csv runs it (one process, CSV in and out); and fluegas()
called once per case in a Python loop (on the first --singles cases). Prints the cost per
case of each and the two ratios.
"""

import argparse
import csv
import pathlib
import subprocess
import sys
import tempfile
import time

import numpy as np

CELLS = ("n2", "ar", "o2", "co2", "co", "so2", "h2o", "t", "tref")


def cases(count):
    """Flue gases around the typical request, with temperatures across the NASA range."""
    rng = np.random.default_rng(2024)
    columns = {
        "n2": rng.uniform(70, 78, count).round(2), "ar": np.full(count, 0.9),
        "o2": rng.uniform(2, 8, count).round(2), "co2": rng.uniform(8, 14, count).round(2),
        "co": np.zeros(count), "so2": rng.uniform(0, 0.3, count).round(3),
        "h2o": rng.uniform(4, 12, count).round(2), "t": rng.uniform(100, 900, count).round(1),
        "tref": np.full(count, 25.0)}
    return columns


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cases", type=int, default=100000)
    parser.add_argument("--singles", type=int, default=2000)
    parser.add_argument("--build", type=pathlib.Path,
                        default=pathlib.Path(__file__).resolve().parents[1] / "build")
    options = parser.parse_args()
    sys.path.insert(0, str(options.build / "python"))
    import twsuite  # pylint: disable=import-outside-toplevel

    columns = cases(options.cases)

    started = time.perf_counter()
    batch = twsuite.fluegas_batch(**columns)
    python_batch = (time.perf_counter() - started) / options.cases

    with tempfile.TemporaryDirectory() as folder:
        table = pathlib.Path(folder) / "cases.csv"
        with open(table, "w", newline="", encoding="utf-8") as file:
            writer = csv.writer(file)
            writer.writerow(CELLS)
            for row in zip(*(columns[name] for name in CELLS)):
                writer.writerow([twsuite._twsuite.number_text(v) for v in row])
        started = time.perf_counter()
        subprocess.run([str(options.build / "bin" / "twcalc"), "fluegas", "--csv", str(table),
                        "--out", str(pathlib.Path(folder) / "out.csv")], check=True)
        cpp_batch = (time.perf_counter() - started) / options.cases

    singles = min(options.singles, options.cases)
    started = time.perf_counter()
    for case in range(singles):
        result = twsuite.fluegas(**{name: float(columns[name][case]) for name in CELLS})
    python_loop = (time.perf_counter() - started) / singles
    assert float(result["table"][14][2]) == batch["okkes_dew_point"][singles - 1]

    print(f"cases                      {options.cases}")
    print(f"fluegas_batch              {python_batch * 1e6:9.2f} us per case")
    print(f"C++ batch (twcalc --csv)   {cpp_batch * 1e6:9.2f} us per case")
    print(f"fluegas() in a loop        {python_loop * 1e6:9.2f} us per case ({singles} cases)")
    print(f"batch / C++ batch          {python_batch / cpp_batch:9.2f}x")
    print(f"loop / batch               {python_loop / python_batch:9.2f}x")


if __name__ == "__main__":
    main()
