"""Helpers of the Python tests: the example cases, the numbers as the plot-data file prints them,
and whole results as comparable values."""

import os
import re
from pathlib import Path

EXAMPLES = Path(os.environ.get("VORTA_EXAMPLES", Path(__file__).resolve().parents[2] / "examples"))

STOPPING_EXAMPLE = "stop-profile-too-short"

def example_names():
    return sorted(p.name for p in EXAMPLES.iterdir() if (p / "input.dat").is_file())


def completed_example_names():
    return [n for n in example_names() if n != STOPPING_EXAMPLE]


def example_files(name):
    folder = EXAMPLES / name
    return folder / "input.dat", folder / "sounding.cpt"


# --- The printed numbers ------------------------------------------------------------------------


def fixed(value, decimals):
    """The value as an Fw.d field prints it, read back (rounded on its exact binary value)."""
    return float(f"{value:.{decimals}f}")


def significant(value, digits):
    """The value as an Ew.d field with d = digits prints it (0.dddE+xx), read back."""
    return float(f"{value:.{digits - 1}e}")


def as_key(value):
    """A float as an exact, comparable key (NaN included)."""
    return float(value).hex()


# --- The plot-data file -------------------------------------------------------------------------


_E3 = re.compile(r"-?0\.\d{3}E[+-]\d\d")


def plot_distribution_rows(plot):
    """The load-distribution records: three E9.3 fields (distance from the head, axial load,
    movement), the only records of that shape in the file."""
    rows = []
    for line in plot.splitlines():
        fields = line.split()
        if len(fields) == 3 and all(_E3.fullmatch(f) for f in fields):
            rows.append(fields)
    return rows


# --- Whole results as comparable values ---------------------------------------------------------


def _keys(column):
    return tuple(as_key(v) for v in column)


def result_key(r):
    """Everything a result holds, as nested tuples of exact keys."""
    tables = tuple(
        (
            t.method,
            t.title,
            t.tension,
            t.battered,
            t.plug_column,
            tuple(bool(m) for m in t.plug_mark),
        )
        + tuple(_keys(t.columns[c]) for c in t.columns if c != "plug_mark")
        for t in r.tables
    )
    curves = lambda cs: tuple((c.number, as_key(c.depth), _keys(c.movement), _keys(c.load)) for c in cs)
    steps = tuple(
        (as_key(s.top_load), as_key(s.top_movement), as_key(s.tip_load), as_key(s.tip_movement))
        + tuple(_keys(s.distribution.columns[c]) for c in s.distribution.columns)
        for s in r.load_steps
    )
    return (
        r.status,
        tuple(r.messages),
        r.title,
        r.designer,
        r.job_number,
        r.unit_system,
        r.load_transfer_method,
        tables,
        curves(r.layer_curves),
        (_keys(r.tip_curve.movement), _keys(r.tip_curve.load)),
        steps,
        curves(r.verification_curves),
    )
