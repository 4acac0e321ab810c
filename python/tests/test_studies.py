"""Studies: results and soil profiles as pandas frames holding the printed numbers, run_many against
runs one at a time (order, failures, progress), the module without pandas, and a small study on a
local Dask cluster."""

import os
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

import vorta

from support import (
    EXAMPLES,
    STOPPING_EXAMPLE,
    completed_example_names,
    example_files,
    result_key,
)

try:
    import pandas
except ImportError:
    pandas = None
try:
    import distributed
except ImportError:
    distributed = None

METHOD_NAMES = {1: "FHWA", 2: "USACE", 3: "Revised_Lambda", 4: "API_RP2A", 5: "General", 6: "NGI", 7: "ICP_MTD",
                8: "Fugro", 9: "UWA"}


@unittest.skipIf(pandas is None, "pandas is not installed")
class Frames(unittest.TestCase):
    def run_example(self, name):
        return vorta.Analysis.read(*example_files(name)).run(keep_text=True)

    def test_capacity_frame_holds_every_table_row_with_its_method_and_units(self):
        # The result's columns hold the printed numbers (test_runs); the frame lays them
        # out one printed row a row, with the method's name and the units of each column.
        for name in ("open-pipe-sand-over-clay", "closed-pipe-si", "timber-pile-tension"):
            r = self.run_example(name)
            frame = r.frame()
            self.assertEqual(len(frame), sum(len(t) for t in r.tables))
            start = 0
            for table in r.tables:
                rows = frame.iloc[start : start + len(table)]
                start += len(table)
                self.assertEqual(set(rows["method"]), {METHOD_NAMES[table.method]}, name)
                for column, values in table.columns.items():
                    self.assertEqual(list(rows[column]), list(values), f"{name}, {table.title}, {column}")
            english = r.unit_system == 1
            self.assertEqual(frame.attrs["units"]["pile_length"], "ft" if english else "m")
            self.assertEqual(frame.attrs["units"]["ultimate_capacity"], "kips" if english else "kN")
            self.assertEqual(frame.attrs["units"]["unit_friction"], "ksf" if english else "kPa")
            self.assertNotIn("plug_mark", frame.attrs["units"])
            self.assertEqual(frame.attrs["tip_resistance"], "self weight" if "tension" in name else "end bearing")

    def test_curve_and_load_step_frames_hold_the_result_columns(self):
        r = self.run_example("verification-curves-and-modifiers")
        steps = r.load_settlement_frame()
        for column in ("top_load", "top_movement", "tip_load", "tip_movement"):
            self.assertEqual(list(steps[column]), [getattr(s, column) for s in r.load_steps])
        self.assertEqual(steps.attrs["units"], {"top_load": "kips", "top_movement": "in", "tip_load": "kips",
                                                "tip_movement": "in"})
        tip = r.tip_curve_frame()
        self.assertEqual((list(tip["load"]), list(tip["movement"])), (list(r.tip_curve.load), list(r.tip_curve.movement)))
        self.assertEqual(tip.attrs["units"], {"movement": "in", "load": "kips"})
        tz = r.tz_curves_frame()
        self.assertEqual(sorted(set(tz["kind"])), ["layer", "verification"])
        self.assertEqual(sorted(set(tz[tz["kind"] == "verification"]["depth"])), [5.0, 18.0, 35.0])
        self.assertEqual(tz.attrs["units"], {"depth": "ft", "movement": "in", "load": "psi"})
        self.assertEqual(len(r.load_distribution_frame()), sum(len(s.distribution) for s in r.load_steps))

    def test_layers_frame_round_trip_on_every_example(self):
        for name in completed_example_names():
            with self.subTest(example=name):
                a = vorta.Analysis.read(EXAMPLES / name / "project.toml")
                frame = a.layers_frame()
                self.assertEqual(a.with_layers(frame), a)
                self.assertEqual(list(frame["name"]), [layer.name for layer in a.layers])

    def test_layers_from_a_spreadsheet(self):
        a = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml")
        sheet = pandas.DataFrame({
            "name": ["fill", "clay"], "top": [0, 3.0], "bottom": [3.0, 30], "soil_type": ["sand", 2],
            "effective_unit_weight": [18, 7.5], "friction_angle": [30, float("nan")],
            "shear_strength_top": [float("nan"), 20], "shear_strength_bottom": [float("nan"), 80],
        })
        b = a.with_layers(sheet)
        self.assertEqual([(l.name, l.soil_type, l.shear_strength) for l in b.layers],
                         [("fill", "sand", 0.0), ("clay", "clay", (20.0, 80.0))])
        self.assertEqual(b.layers[1].lrfd_friction_factor, 1.0)  # a value not given takes its default
        self.assertEqual(b.run().status, vorta.COMPLETED)
        for change, message in (
            (lambda s: s.rename(columns={"friction_angle": "friction"}), "column 'friction' names no value"),
            (lambda s: s.drop(columns=["effective_unit_weight"]), "row 0: effective_unit_weight: missing"),
            (lambda s: s.assign(soil_type=["sand", "peat"]), "row 1: layer.soil_type: unknown name 'peat'"),
            (lambda s: s.drop(columns=["shear_strength_bottom"]), "row 1: shear_strength: shear_strength_top and"),
        ):
            with self.subTest(message=message), self.assertRaisesRegex(ValueError, message):
                a.with_layers(change(sheet))


class WithoutPandas(unittest.TestCase):
    def test_the_module_runs_without_pandas_and_a_frame_says_what_is_missing(self):
        inp, cpt = example_files("closed-pipe-si")
        script = (
            "import sys; sys.modules['pandas'] = None; sys.modules['matplotlib'] = None\n"
            "import vorta\n"
            f"r = vorta.Analysis.read({str(inp)!r}, {str(cpt)!r}).run()\n"
            "assert r.status == 0 and vorta.run_many([vorta.Analysis.read(" + repr(str(inp)) + ")])[0].status == 0\n"
            "try:\n    r.frame()\nexcept ImportError as e:\n    print(e)\n"
        )
        out = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, env=os.environ)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertIn("Result.frame() needs pandas", out.stdout)
        self.assertIn("python3-pandas", out.stdout)


def study():
    """The examples, the stopping one, an analysis that cannot be stated, a missing file and a
    project file: what run_many is given, and what each gives when run alone."""
    analyses = [vorta.Analysis.read(*example_files(n)) for n in completed_example_names()[:5] + [STOPPING_EXAMPLE]]
    bad = analyses[0].copy()
    bad.layers[0].bottom = -1
    out_of_range = analyses[0].copy()
    out_of_range.pile.outside_diameter = -1
    items = analyses + [bad, "no-such-file.dat", out_of_range, EXAMPLES / "tapered-monotube" / "project.toml"]
    alone = [a.run() for a in analyses] + [None, None, None, vorta.run(items[-1])]
    return items, alone


class RunMany(unittest.TestCase):
    def test_results_in_order_equal_single_runs_with_failures_kept(self):
        items, alone = study()
        items, alone = items * 3, alone * 3  # more runs than the pool keeps waiting
        calls = []
        results = vorta.run_many(items, jobs=2, progress=lambda done, total: calls.append((done, total)))
        self.assertEqual(calls, [(k, len(items)) for k in range(1, len(items) + 1)])
        self.assertEqual(len(results), len(items))
        for k, (r, expected) in enumerate(zip(results, alone)):
            with self.subTest(item=k % (len(items) // 3)):
                if expected is not None:
                    self.assertEqual(result_key(r), result_key(expected))
        self.assertEqual(results[5].status, vorta.STOPPED_ON_INPUT)
        self.assertEqual((results[6].status, results[6].messages),
                         (vorta.FILE_ERROR, ["layers[0].bottom: the bottom -1 lies above the top 0"]))
        self.assertEqual((results[7].status, results[7].messages),
                         (vorta.FILE_ERROR, ["no-such-file.dat: the input data file cannot be opened"]))
        self.assertEqual(results[8].status, vorta.STOPPED_ON_INPUT)  # a value out of range stops the run
        self.assertIn("pile.outside_diameter: the pile outside diameter -1 in is outside the allowed range 1 to 600 in, or 0 (not given)",
                      [p.message for p in results[8].problems])

    def test_nothing_to_run_and_a_pool_of_no_thread(self):
        self.assertEqual(vorta.run_many([]), [])
        with self.assertRaisesRegex(ValueError, "jobs"):
            vorta.run_many([vorta.Analysis()], jobs=0)


@unittest.skipIf(distributed is None, "distributed (Dask) is not installed")
class Dask(unittest.TestCase):
    def test_a_study_on_a_local_cluster_equals_run_many(self):
        analyses = study()[0][:6]  # the analyses that can be stated
        with distributed.LocalCluster(n_workers=1, threads_per_worker=2, processes=False,
                                      dashboard_address=None) as cluster, distributed.Client(cluster) as client:
            futures = client.map(vorta.Analysis.run, analyses)
            on_dask = client.gather(futures)
        self.assertEqual([result_key(r) for r in on_dask], [result_key(r) for r in vorta.run_many(analyses)])


if __name__ == "__main__":
    unittest.main()
