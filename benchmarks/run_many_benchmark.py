#!/usr/bin/env python3
"""Throughput of vorta.run_many beside `vorta batch` on the same analyses: variations of the example
closed-pipe-si (embedded length and clay strength), written as project files for the batch run.

    cmake -S . -B build-rel -DCMAKE_BUILD_TYPE=Release -DVORTA_BUILD_TESTS=OFF && cmake --build build-rel -j2 --target vorta_cli vorta_python
    PYTHONPATH=build-rel/python /usr/bin/python3 benchmarks/run_many_benchmark.py --vorta build-rel/cli/vorta

Each way is timed on the wall clock, best of --repeat runs:
  vorta batch DIR --jobs N       the command line on the project files (reports and plot data written)
  run_many(paths, jobs=N)        the same files read and run by the module (outputs to a scratch folder)
  run_many(analyses, jobs=N)     the analyses in memory, nothing read or written
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import vorta

EXAMPLE = Path(__file__).resolve().parents[1] / "examples" / "closed-pipe-si" / "project.toml"


def variations(count):
    base = vorta.Analysis.read(EXAMPLE)
    out = []
    for k in range(count):
        a = base.copy()
        a.pile.length = base.pile.stickup + 8.0 + 18.0 * (k % 37) / 36.0
        clay = a.layers[1]
        factor = 0.5 + (k // 37 % 5) * 0.25
        clay.shear_strength = tuple(v * factor for v in clay.shear_strength)
        out.append(a)
    return out


def best(repeat, run):
    times = []
    for _ in range(repeat):
        started = time.perf_counter()
        run()
        times.append(time.perf_counter() - started)
    return min(times)


def main():
    parser = argparse.ArgumentParser(description="run_many beside vorta batch")
    parser.add_argument("--vorta", required=True, help="the command-line program")
    parser.add_argument("--count", type=int, default=370, help="analyses (default 370)")
    parser.add_argument("--jobs", type=int, nargs="+", default=[1, 2], help="thread counts (default 1 2)")
    parser.add_argument("--repeat", type=int, default=3)
    args = parser.parse_args()

    analyses = variations(args.count)
    with tempfile.TemporaryDirectory(prefix="vorta-bench-") as folder:
        paths = []
        for k, a in enumerate(analyses):
            path = Path(folder) / f"case-{k:05d}.toml"
            a.write_project(path)
            paths.append(path)
        statuses = {r.status for r in vorta.run_many(analyses)}
        print(f"{args.count} variations of {EXAMPLE.parent.name}, statuses {sorted(statuses)}; "
              f"{os.cpu_count()} cores; best of {args.repeat}")
        print(f"{'way':<32}{'jobs':>5}{'seconds':>10}{'runs/s':>10}")
        for jobs in args.jobs:
            ways = [
                ("vorta batch (files)", lambda: subprocess.run(
                    [args.vorta, "batch", folder, "--jobs", str(jobs)], check=True, capture_output=True)),
                ("run_many(paths) (files)", lambda: vorta.run_many(paths, jobs=jobs)),
                ("run_many(analyses) (memory)", lambda: vorta.run_many(analyses, jobs=jobs)),
            ]
            for name, run in ways:
                seconds = best(args.repeat, run)
                print(f"{name:<32}{jobs:>5}{seconds:>10.3f}{args.count / seconds:>10.0f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
