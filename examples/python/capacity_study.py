#!/usr/bin/env python3
"""A parametric study in Python: how the ultimate capacity of the 610 mm closed-ended pipe of the
example closed-pipe-si grows with its embedded length, for a range of strengths of its soft clay
layer. Every variation is a copy of the example's analysis with two values changed; all of them run
at once with vorta.run_many, and the capacity of each method at the pile's tip is drawn against the
embedded length, one line per clay strength, into a PNG.

    PYTHONPATH=build/python /usr/bin/python3 examples/python/capacity_study.py -o docs/capacity-study.png

--small runs a grid of 3 lengths and 2 strengths (the test run). Needs matplotlib (Debian:
python3-matplotlib); exits with 77 without it.
"""

import argparse
import sys
import time
from pathlib import Path

import vorta

EXAMPLE = Path(__file__).resolve().parents[1] / "closed-pipe-si" / "project.toml"
CLAY = "soft clay"


def scaled(value, factor):
    """A layer value, one number or (top, bottom), times a factor."""
    if isinstance(value, tuple):
        return tuple(v * factor for v in value)
    return value * factor


def variations(base, embedded_lengths, strength_factors):
    """One analysis per embedded length and clay strength factor, with the two as its key."""
    stickup = base.pile.stickup
    for factor in strength_factors:
        for length in embedded_lengths:
            a = base.copy()
            a.pile.length = stickup + length
            clay = next(layer for layer in a.layers if layer.name == CLAY)
            clay.shear_strength = scaled(clay.shear_strength, factor)
            clay.remolded_strength = scaled(clay.remolded_strength, factor)
            yield (length, factor), a


def draw(points, methods, units, output):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    columns = 3
    rows = (len(methods) + columns - 1) // columns
    figure, axes = plt.subplots(rows, columns, figsize=(4.2 * columns, 3.4 * rows), sharex=True, squeeze=False)
    factors = sorted({f for (_, f, _) in points})
    colours = plt.get_cmap("viridis")
    for k, (method, title) in enumerate(methods.items()):
        ax = axes[k // columns][k % columns]
        for i, factor in enumerate(factors):
            line = sorted((length, q[method]) for (length, f, q) in points if f == factor and method in q)
            ax.plot([p[0] for p in line], [p[1] for p in line], color=colours(i / max(1, len(factors) - 1)),
                    label=f"{factor:g} x", marker="." if len(line) < 8 else None)
        ax.set_title(title, fontsize=9)
        ax.grid(True, linewidth=0.3)
        if k % columns == 0:
            ax.set_ylabel(f"ultimate capacity ({units['force']})")
        if k // columns == rows - 1:
            ax.set_xlabel(f"embedded length ({units['length']})")
    for k in range(len(methods), rows * columns):
        axes[k // columns][k % columns].set_visible(False)
    axes[0][0].legend(title="clay strength", fontsize=7, title_fontsize=7)
    figure.suptitle("Ultimate capacity against embedded length, 610 mm closed pipe (closed-pipe-si)", fontsize=10)
    figure.tight_layout()
    figure.savefig(output, dpi=110)
    plt.close(figure)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("-o", "--output", default="capacity-study.png", help="the PNG to write")
    parser.add_argument("--small", action="store_true", help="a grid of 3 lengths and 2 strengths")
    parser.add_argument("--jobs", type=int, default=None, help="threads (default: one per core)")
    args = parser.parse_args(argv)
    try:
        import matplotlib  # noqa: F401
    except ImportError:
        print("capacity_study: matplotlib is not installed (Debian: python3-matplotlib)", file=sys.stderr)
        return 77

    base = vorta.Analysis.read(EXAMPLE)
    if args.small:
        lengths, factors = [12.0, 18.0, 24.0], [0.5, 1.5]
    else:
        lengths = [8.0 + 0.5 * k for k in range(37)]  # 8 to 26 m
        factors = [0.5, 0.75, 1.0, 1.25, 1.5]
    keys, analyses = zip(*variations(base, lengths, factors))

    started = time.perf_counter()
    last = [0.0]

    def progress(done, total):
        now = time.perf_counter()
        if done == total or now - last[0] > 0.5:
            last[0] = now
            print(f"\r{done}/{total} runs", end="" if done < total else "\n", file=sys.stderr)

    results = vorta.run_many(analyses, jobs=args.jobs, progress=progress)
    elapsed = time.perf_counter() - started

    methods = {}
    points = []
    failed = 0
    for (length, factor), r in zip(keys, results):
        if r.status != vorta.COMPLETED:
            failed += 1
            print(f"length {length} m, clay x {factor}: status {r.status}: {'; '.join(r.messages)}", file=sys.stderr)
            continue
        capacities = {}
        for table in r.tables:
            methods.setdefault(table.method, table.title)
            capacities[table.method] = float(table.ultimate_capacity[-1])  # the row at the pile's tip
        points.append((length, factor, capacities))
    units = {"force": "kN", "length": "m"} if base.units == "SI" else {"force": "kips", "length": "ft"}
    draw(points, dict(sorted(methods.items())), units, args.output)
    print(f"{len(results)} runs in {elapsed:.2f} s ({len(results) / elapsed:.0f} per second), {failed} failed; "
          f"wrote {args.output}")
    return 1 if failed or not points else 0


if __name__ == "__main__":
    sys.exit(main())
