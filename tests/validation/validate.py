#!/usr/bin/env python3
"""Validation cases: run, check, and regenerate the tables of docs/validation.md.

    validate.py --vorta PATH                        run every case, fail when a value leaves its
                                                    stated tolerance (a band at most 5% of its
                                                    ratio wide)
    validate.py --vorta PATH --check-doc DOC        fail when DOC's tables differ from the runs
    validate.py --vorta PATH --write-doc DOC        rewrite DOC's tables from the runs

The cases are listed in cases.json beside this script. Each row of a table takes a value from a
run of the command-line program (a column of a result table of the report, the unit friction of
the plot-data file, or a point of the load-settlement curve) and sets it beside a reference: a
number printed in the source, another program's output, a hand calculation of hand_calcs.py, or
another run. Tables sit in the manual between the lines "<!-- validation-table: ID -->" and
"<!-- end validation-table -->"; only what lies between them is regenerated. Standard library
only.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hand_calcs  # noqa: E402

BEGIN = re.compile(r"^<!-- validation-table: ([A-Za-z0-9_.-]+) -->$")
END = "<!-- end validation-table -->"
NUMBER = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([EeDd][-+]?\d+)?$")
# an accepted band of the ratio VORTA / reference is at most this fraction of the ratio wide
BAND_WIDTH = 0.05


class CaseError(Exception):
    pass


def parse_number(text, where):
    text = text.rstrip("*")
    if not NUMBER.match(text):
        raise CaseError(f"{where}: '{text}' is not a number")
    return float(text.replace("D", "E").replace("d", "e"))


class Run:
    """The report and the plot-data file of one run, read into its tables and curves."""

    def __init__(self, where, report_lines, plot_lines):
        self.where = where
        self.report = report_lines
        self.plot = plot_lines
        self.tables = self._read_tables()
        self.unit_friction = self._read_unit_friction()

    def _read_tables(self):
        """Result tables by banner text: rows of (penetration, skin, tip, ultimate[, plug])."""
        tables = {}
        self.banner_order = []
        lines = self.report
        for i, line in enumerate(lines):
            stars = line.strip()
            if not (stars.startswith("*") and stars.endswith("*") and len(stars) > 2
                    and i + 2 < len(lines) and set(lines[i + 1].strip()) == {"*"}
                    and set(lines[i - 1].strip()) == {"*"}):
                continue
            title = stars.strip("*").strip()
            # a result table has its column header right below the banner (other banners of
            # the report, such as the input heading, have none; a title there may name a
            # penetration, so the header is the line that names the penetration and the friction)
            j = next((k for k in range(i + 2, min(i + 6, len(lines)))
                      if "PENETRATION" in lines[k] and "FRICTION" in lines[k]), None)
            if j is None:
                continue
            j += 2  # past the unit line
            rows = []
            while j < len(lines) and lines[j].strip():
                values = [parse_number(t, f"{self.where} report, table {title}")
                          for t in lines[j].split()]
                rows.append(values)
                j += 1
            tables[title] = rows
            self.banner_order.append(title)
        return tables

    def _read_unit_friction(self):
        """The plot-data file's capacity blocks, one per printed table in report order."""
        header = self.plot[0].split()
        printed_rows = int(header[1])
        blocks = {}
        line = 1
        for title in self.banner_order:
            if title not in self.tables or not self.tables[title]:
                continue
            block = self.plot[line:line + printed_rows]
            blocks[title] = [[parse_number(t, f"{self.where} plot data") for t in row.split()]
                             for row in block]
            line += printed_rows
        return blocks

    def table_value(self, method, length, column):
        columns = {"skin": 1, "tip": 2, "ultimate": 3, "plug": 4}
        for row in self.tables.get(method, []):
            if abs(row[0] - length) < 0.005:
                return row[columns[column]]
        raise CaseError(f"{self.where}: no row at {length} in the table '{method}'")

    def unit_friction_value(self, method, length):
        for row in self.unit_friction.get(method, []):
            if abs(row[0] - length) < 0.005:
                return row[4]
        raise CaseError(f"{self.where}: no plot-data row at {length} for '{method}'")

    def settlement_value(self, step, column):
        columns = {"top_load": 0, "top_movement": 1, "tip_load": 2, "tip_movement": 3}
        lines = self.report
        start = next((i for i, l in enumerate(lines) if "LOAD VERSUS SETTLEMENT CURVE" in l), None)
        if start is None:
            raise CaseError(f"{self.where}: the report has no load-settlement curve")
        j = next(i for i in range(start, len(lines)) if "TOP MOVEMENT" in lines[i]) + 2
        rows = []
        while j < len(lines) and lines[j].strip():
            rows.append([parse_number(t, f"{self.where} load-settlement curve")
                         for t in lines[j].split()])
            j += 1
        if not 1 <= step <= len(rows):
            raise CaseError(f"{self.where}: the load-settlement curve has no step {step}")
        return rows[step - 1][columns[column]]


def run_project(vorta, case_dir, project, workdir):
    """Run the command-line program on one project file and read what it wrote."""
    name = f"{os.path.basename(case_dir)}-{os.path.splitext(project)[0]}"
    where = os.path.join(os.path.basename(case_dir), project)
    report_path = os.path.join(workdir, name + ".out")
    plot_path = os.path.join(workdir, name + ".plt")
    command = [vorta, "run", os.path.join(case_dir, project), "--report", report_path, "--plot", plot_path]
    done = subprocess.run(command, capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        raise CaseError(f"{where}: vorta run ended with status {done.returncode}:\n"
                        f"{done.stdout}{done.stderr}")
    with open(report_path, encoding="latin-1") as f:
        report = f.read().splitlines()
    with open(plot_path, encoding="latin-1") as f:
        plot = f.read().splitlines()
    return Run(where, report, plot)


class Runner:
    def __init__(self, vorta, workdir):
        self.vorta = vorta
        self.workdir = workdir
        self.runs = {}
        self.hand = hand_calcs.all_values()

    def run(self, case, project):
        key = (case, project)
        if key not in self.runs:
            self.runs[key] = run_project(self.vorta, os.path.join(HERE, case), project, self.workdir)
        return self.runs[key]

    def vorta_value(self, case, spec):
        run = self.run(spec.get("folder", case["folder"]), spec.get("project", case.get("project")))
        if "step" in spec:
            value = run.settlement_value(spec["step"], spec["column"])
        elif spec["column"] == "unit":
            value = run.unit_friction_value(spec["method"], spec["length"])
        else:
            value = run.table_value(spec["method"], spec["length"], spec["column"])
        if "minus" in spec:
            # the same quantity at another row (or of another project) taken off, e.g. the skin
            # friction of one layer as the difference of two rows
            other = {k: v for k, v in spec.items() if k not in ("minus", "scale")}
            other.update(spec["minus"])
            value -= self.vorta_value(case, other)
        return value * spec.get("scale", 1.0)

    def reference_value(self, case, row):
        ref = row["reference"]
        if isinstance(ref, (int, float)):
            return float(ref)
        if isinstance(ref, str) and ref.startswith("hand:"):
            return self.hand[ref[5:]] * row.get("reference_scale", 1.0)
        if isinstance(ref, dict):
            return self.vorta_value(case, ref)
        raise CaseError(f"unknown reference {ref!r}")


def check_bands(manifest):
    """Every accepted band is positive, ordered and at most BAND_WIDTH of its ratio wide. The width
    is measured against the band's lower end, so that it holds for any ratio the band accepts."""
    wide = []
    for case in manifest["cases"]:
        for row in case["rows"]:
            low, high = row["tolerance"]
            if not 0.0 < low <= high or high - low > BAND_WIDTH * low + 1e-12:
                wide.append(f"{case['id']}: {row['label']}: accepted {low} to {high}")
    if wide:
        raise CaseError(f"bands out of order or wider than {BAND_WIDTH:.0%} of their ratio:\n  "
                        + "\n  ".join(wide))


def fmt(value, digits):
    return f"{value:.{digits}f}"


def evaluate(runner, manifest):
    """Every row with its values: (table id, row, reference, vorta, ratio, within tolerance)."""
    results = []
    for case in manifest["cases"]:
        for row in case["rows"]:
            vorta = runner.vorta_value(case, row["vorta"])
            reference = runner.reference_value(case, row)
            ratio = vorta / reference if reference != 0.0 else float("inf")
            low, high = row["tolerance"]
            results.append((case["id"], row, reference, vorta, ratio, low <= ratio <= high))
    return results


def render_tables(results):
    tables = {}
    for table_id, row, reference, vorta, ratio, _ in results:
        lines = tables.setdefault(table_id, [
            "| quantity | reference | source | VORTA | VORTA / reference | accepted | why they differ |",
            "|---|---:|---|---:|---:|---|---|"])
        digits = row.get("digits", 1)
        low, high = row["tolerance"]
        lines.append(f"| {row['label']} | {fmt(reference, digits)} | {row['source']} | "
                     f"{fmt(vorta, digits)} | {ratio:.3f} | {low:.3f} to {high:.3f} | "
                     f"{row['reason']} |")
    return {k: "\n".join(v) for k, v in tables.items()}


def regenerate(text, tables, doc_name):
    out = []
    lines = text.splitlines()
    seen = set()
    i = 0
    while i < len(lines):
        match = BEGIN.match(lines[i])
        out.append(lines[i])
        i += 1
        if not match:
            continue
        table_id = match.group(1)
        if table_id not in tables:
            raise CaseError(f"{doc_name}: no case produces the table '{table_id}'")
        while i < len(lines) and lines[i] != END:
            i += 1
        if i == len(lines):
            raise CaseError(f"{doc_name}: the table '{table_id}' has no end marker")
        out.append(tables[table_id])
        out.append(END)
        seen.add(table_id)
        i += 1
    missing = sorted(set(tables) - seen)
    if missing:
        raise CaseError(f"{doc_name}: no place for the tables {', '.join(missing)}")
    return "\n".join(out) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--vorta", required=True, help="the command-line program")
    parser.add_argument("--manifest", default=os.path.join(HERE, "cases.json"))
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--check-doc", metavar="DOC", help="compare DOC's tables with the runs")
    group.add_argument("--write-doc", metavar="DOC", help="rewrite DOC's tables from the runs")
    args = parser.parse_args()

    with open(args.manifest, encoding="utf-8") as f:
        manifest = json.load(f)
    try:
        check_bands(manifest)
        with tempfile.TemporaryDirectory(prefix="vorta-validation-") as workdir:
            results = evaluate(Runner(args.vorta, workdir), manifest)
        if args.check_doc or args.write_doc:
            doc = args.check_doc or args.write_doc
            with open(doc, encoding="utf-8") as f:
                text = f.read()
            new_text = regenerate(text, render_tables(results), doc)
            if args.write_doc:
                if new_text != text:
                    with open(doc, "w", encoding="utf-8") as f:
                        f.write(new_text)
                print(f"{doc}: tables regenerated")
                return 0
            if new_text != text:
                old, new = text.splitlines(), new_text.splitlines()
                for n, (a, b) in enumerate(zip(old, new), start=1):
                    if a != b:
                        print(f"{doc}:{n}: checked in:  {a}\n{doc}:{n}: regenerated: {b}")
                        break
                print(f"{doc}: the tables differ from the runs; regenerate them with "
                      f"tests/validation/validate.py --vorta PATH --write-doc {doc}")
                return 1
            print(f"{doc}: tables match the runs")
            return 0
    except CaseError as error:
        print(f"validation: {error}")
        return 1

    failed = 0
    for table_id, row, reference, vorta, ratio, ok in results:
        low, high = row["tolerance"]
        status = "ok  " if ok else "FAIL"
        if not ok:
            failed += 1
        print(f"{status} {table_id}: {row['label']}: VORTA {vorta:.6g}, reference {reference:.6g}, "
              f"ratio {ratio:.4f} (accepted {low} to {high})")
    print(f"{len(results) - failed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
