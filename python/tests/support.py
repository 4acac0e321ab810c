"""Helpers of the Python tests: the example cases, and readers of the report and plot-data file
that take the printed numbers back, so that the results of vorta.run can be held against them."""

import os
import re
import tempfile
from pathlib import Path

EXAMPLES = Path(os.environ.get("VORTA_EXAMPLES", Path(__file__).resolve().parents[2] / "examples"))

STOPPING_EXAMPLE = "stop-profile-too-short"

# Table banners of the report and the method numbers they stand for.
METHOD_OF_TITLE = {
    "FED. HWY. METHOD": 1,
    "ARMY CORPS METHOD": 2,
    "LAMBDA 2 METHOD": 3,
    "API RP-2A (2010)": 4,
    "GENERAL METHOD": 5,
    "NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD": 6,
    "IMPERIAL COLLEGE (MTD) METHOD": 7,
    "FUGRO 2004 (FUGRO) METHOD": 8,
    "UNIV. OF WESTERN AUSTRALIA (UWA) METHOD": 9,
}


def example_names():
    return sorted(p.name for p in EXAMPLES.iterdir() if (p / "input.dat").is_file())


def completed_example_names():
    return [n for n in example_names() if n != STOPPING_EXAMPLE]


def example_files(name):
    folder = EXAMPLES / name
    return folder / "input.dat", folder / "sounding.cpt"


class ExampleRun:
    """One example run by vorta.run with its report and plot-data file kept for reading."""

    def __init__(self, vorta, name):
        self.name = name
        with tempfile.TemporaryDirectory(prefix="vorta-test-") as folder:
            report = Path(folder) / "report.out"
            plot = Path(folder) / "plot.plt"
            inp, cpt = example_files(name)
            self.result = vorta.run(str(inp), str(cpt), report=str(report), plot=str(plot))
            self.report = report.read_text()
            self.plot = plot.read_text()


# --- The printed numbers ------------------------------------------------------------------------


def fixed(value, decimals):
    """The value as an Fw.d field prints it, read back (rounded on its exact binary value)."""
    return float(f"{value:.{decimals}f}")


def significant(value, digits):
    """The value as an Ew.d field with d = digits prints it (0.dddE+xx), read back."""
    return float(f"{value:.{digits - 1}e}")


def overflowed(field):
    return field != "" and set(field) == {"*"}


def as_key(value):
    """A float as an exact, comparable key (NaN included)."""
    return float(value).hex()


# --- The report ---------------------------------------------------------------------------------


def _is_star_rule(line):
    text = line.strip()
    return text != "" and set(text) == {"*"}


def report_tables(report):
    """The capacity tables of the report in order: (title, units row, rows of fields)."""
    lines = report.splitlines()
    tables = []
    i = 1
    while i + 1 < len(lines):
        m = re.fullmatch(r"\s*\*\s+(.*?)\s+\*\s*", lines[i])
        if m and m.group(1) in METHOD_OF_TITLE and _is_star_rule(lines[i - 1]) and _is_star_rule(lines[i + 1]):
            j = i + 2
            while not lines[j].strip():
                j += 1
            units = lines[j + 2].split()
            j += 3  # two heading lines and the units line
            rows = []
            while j < len(lines) and lines[j].strip():
                rows.append(lines[j].split())
                j += 1
            tables.append((m.group(1), units, rows))
            i = j
        else:
            i += 1
    return tables


def _rows_after(lines, heading, skip):
    """The field rows of the block that starts `skip` lines after the first line holding
    `heading`, up to the next empty line."""
    for i, line in enumerate(lines):
        if heading in line:
            j = i + skip
            while j < len(lines) and not lines[j].strip():
                j += 1
            rows = []
            while j < len(lines) and lines[j].strip():
                rows.append(lines[j].split())
                j += 1
            return rows
    return None


def report_load_steps(report):
    """Rows of the load-versus-settlement table: top load, top movement, tip load, tip movement."""
    return _rows_after(report.splitlines(), "TOP  LOAD     TOP MOVEMENT", 2)


def report_tip_curve(report):
    """Rows of the tip curve: load, movement."""
    return _rows_after(report.splitlines(), "TIP   LOAD        TIP MOVEMENT", 2)


def _curves_from(lines, start):
    curves = []
    j = start + 2
    while j < len(lines) and not lines[j].strip():
        j += 1
    while j < len(lines) and lines[j].strip():
        fields = lines[j].split()
        j += 1
        if len(fields) != 3 or not fields[0].isdigit():
            continue
        number, count, depth = int(fields[0]), int(fields[1]), fields[2]
        if j < len(lines) and "NOT PRINTED" in lines[j]:
            continue  # a verification depth outside the soil: a heading and no points
        points = [lines[j + k].split() for k in range(count)]
        j += count
        curves.append((number, depth, points))
    return curves


def report_transfer_curves(report):
    """The printed t-z curves: (layer curves, verification curves), each a list of
    (number, depth field, [(load transfer, movement)])."""
    lines = report.splitlines()
    starts = [i for i, line in enumerate(lines) if "T-Z CURVE   NO. OF   DEPTH TO CURVE" in line]
    verification_banner = next((i for i, line in enumerate(lines) if "CURVES FOR VERIFICATION" in line), None)
    layer, verification = [], []
    for start in starts:
        curves = _curves_from(lines, start)
        if verification_banner is not None and start > verification_banner:
            verification.extend(curves)
        else:
            layer.extend(curves)
    return layer, verification


# --- The plot-data file -------------------------------------------------------------------------


def plot_header(plot):
    return [int(v) for v in plot.splitlines()[0].split()]


def plot_table_rows(plot, count):
    """The first `count` capacity records after the header: five fields each."""
    return [line.split() for line in plot.splitlines()[1 : 1 + count]]


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
