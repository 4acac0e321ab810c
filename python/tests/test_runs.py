"""How vorta.run reports a run: status and messages of runs that stop or cannot use a file, the
output files (named, or in a temporary folder removed afterwards) and the types of the columns."""

import os
import pickle
import re
import sys
import tempfile
import unittest
from pathlib import Path

import vorta

from support import STOPPING_EXAMPLE, example_files, fixed, plot_distribution_rows, result_key, significant

try:
    import numpy
except ImportError:
    numpy = None

try:
    import pandas
except ImportError:
    pandas = None


class PrivateTempDir:
    """Points tempfile at a folder of the test's own for the duration, so that what a run leaves
    in the temporary folder can be seen."""

    def __enter__(self):
        self._holder = tempfile.TemporaryDirectory(prefix="vorta-test-")
        self.path = Path(self._holder.name)
        self._previous = tempfile.tempdir
        tempfile.tempdir = str(self.path)
        return self.path

    def __exit__(self, *exc):
        tempfile.tempdir = self._previous
        self._holder.cleanup()


class RunsThatStop(unittest.TestCase):
    def test_profile_too_short_stops_with_status_1_and_says_why(self):
        # A 50 ft pile of 24 in needs soil to 50 + 2 x 2 = 54 ft; the profile ends at 52 ft.
        r = vorta.run(*example_files(STOPPING_EXAMPLE))
        self.assertEqual(r.status, vorta.STOPPED_ON_INPUT)
        self.assertEqual(len(r.messages), 2)
        self.assertTrue(r.messages[0].startswith("COMPUTATION DOES NOT PROCEED BECAUSE NO SOIL INFORMATION"))
        self.assertIn("54.00 FT.", r.messages[0])
        self.assertEqual(
            r.messages[1],
            "COMPUTATION DOES NOT PROCEED BECAUSE THE DEEPEST SOIL PROFILE   52.00 FT. IS LESS THAN"
            " PILE EMBEDDED LENGTH PLUS TWO TIMES THE PILE DIAMETER      54.00 FT.",
        )
        # The console carries the warning of the profile check (the checked-in report the stop).
        self.assertIn("NO SOIL INFORMATION", r.console)
        self.assertNotIn("COMPUTATION IS PROCEEDING", r.console)
        # The input was read; nothing was computed.
        self.assertEqual(r.title, "ABUTMENT 1 - 24 IN CLOSED PIPE PILE, BORING ENDS ABOVE THE TIP ZONE")
        self.assertEqual(r.units, "English")
        self.assertEqual((r.tables, r.layer_curves, r.load_steps, r.verification_curves), ([], [], [], []))
        self.assertEqual(len(r.tip_curve), 0)

    def test_files_that_cannot_be_used_give_status_2_and_their_message(self):
        inp, cpt = example_files("closed-pipe-si")
        with tempfile.TemporaryDirectory() as folder:
            missing_input = os.path.join(folder, "no-such-input.dat")
            missing_cpt = os.path.join(folder, "no-such-sounding.cpt")
            no_folder = os.path.join(folder, "no-such-folder", "report.out")
            short = Path(folder) / "short.dat"
            short.write_text("TITLE ONLY\nA. DESIGNER\n")
            for args, kwargs, pattern in (
                ((missing_input,), {}, re.escape(missing_input + ": the input data file cannot be opened")),
                ((inp, missing_cpt), {}, re.escape(missing_cpt + ": the CPT file cannot be opened")),
                ((inp, cpt), {"report": no_folder}, re.escape(no_folder + ": the report file cannot be created")),
                ((short,), {}, re.escape(f"{short}, line 3") + ".*job number.*"),  # the record that is missing
            ):
                with self.subTest(pattern=pattern):
                    r = vorta.run(*args, **kwargs)
                    self.assertEqual(r.status, vorta.FILE_ERROR)
                    self.assertEqual(len(r.messages), 1, r.messages)
                    self.assertRegex(r.messages[0], "^" + pattern + "$")
        missing = vorta.run(missing_input)
        self.assertEqual((missing.title, missing.units, missing.unit_system, missing.tables), ("", "", 0, []))
        self.assertIn("ERROR - " + missing_input + ": the input data file cannot be opened", missing.console)


class OutputsNamedLikeOtherFiles(unittest.TestCase):
    """An output opened for writing empties the file: an output named like an input, or the report
    and the plot data under one name, is refused before anything is opened."""

    def setUp(self):
        self._folder = tempfile.TemporaryDirectory(prefix="vorta-test-")
        self.folder = Path(self._folder.name)
        inp, cpt = example_files("closed-pipe-si")
        self.input_text, self.cpt_text = inp.read_text(), cpt.read_text()
        self.inp, self.cpt = self.folder / "input.dat", self.folder / "sounding.cpt"
        self.inp.write_text(self.input_text)
        self.cpt.write_text(self.cpt_text)
        (self.folder / "sub").mkdir()

    def tearDown(self):
        self._folder.cleanup()

    def assertRefused(self, r, message):
        self.assertEqual(r.status, vorta.FILE_ERROR)
        self.assertEqual(r.messages, [message])
        self.assertEqual(self.inp.read_text(), self.input_text)
        self.assertEqual(self.cpt.read_text(), self.cpt_text)

    def test_report_named_like_the_input_leaves_the_input_alone(self):
        r = vorta.run(self.inp, self.cpt, report=self.inp)
        self.assertRefused(r, f"{self.inp}: the report file is also the input data file")

    def test_plot_named_like_the_sounding_by_another_path_leaves_the_sounding_alone(self):
        alias = self.folder / "sub" / ".." / "sounding.cpt"
        r = vorta.run(self.inp, self.cpt, plot=alias)
        self.assertRefused(r, f"{alias}: the plot-data file is also the CPT file")

    def test_report_and_plot_under_one_name_are_refused(self):
        out = self.folder / "both.out"
        r = vorta.run(self.inp, self.cpt, report=out, plot=out)
        self.assertRefused(r, f"{out}: the plot-data file is also the report file")
        # The report, opened first, says why the run could not go on.
        self.assertIn("the plot-data file is also the report file", out.read_text())

    def test_distinct_names_run(self):
        r = vorta.run(self.inp, self.cpt, report=self.folder / "r.out", plot=self.folder / "sub" / "p.plt")
        self.assertEqual(r.status, vorta.COMPLETED)


class OutputFiles(unittest.TestCase):
    def test_named_files_are_written_and_kept(self):
        inp, cpt = example_files("usace-user-critical-depth")
        with tempfile.TemporaryDirectory() as folder:
            report, plot = Path(folder) / "r.out", Path(folder) / "p.plt"
            r = vorta.run(inp, cpt, report=report, plot=plot)
            self.assertEqual(r.status, vorta.COMPLETED)
            self.assertIn("ARMY CORPS METHOD", report.read_text())
            self.assertEqual(plot.read_text().split()[:4], ["1", str(sum(r.tables[0].printed)), "1", "2"])

    def test_unnamed_files_go_to_a_temporary_folder_that_is_removed(self):
        inp, cpt = example_files("usace-user-critical-depth")
        with tempfile.TemporaryDirectory() as folder:
            named = vorta.run(inp, cpt, report=Path(folder) / "r.out", plot=Path(folder) / "p.plt")
        for report, plot in ((None, None), ("r.out", None), (None, "p.plt")):
            with self.subTest(report=report, plot=plot), PrivateTempDir() as scratch:
                kept = scratch / "kept"
                kept.mkdir()
                r = vorta.run(
                    inp, cpt, report=None if report is None else kept / report, plot=None if plot is None else kept / plot
                )
                self.assertEqual(result_key(r), result_key(named))
                self.assertEqual(sorted(p.name for p in scratch.iterdir()), ["kept"])
                self.assertEqual(sorted(p.name for p in kept.iterdir()), sorted(n for n in (report, plot) if n))

    def test_temporary_folder_is_removed_after_a_stop_and_a_file_error(self):
        inp, cpt = example_files(STOPPING_EXAMPLE)
        with PrivateTempDir() as scratch:
            self.assertEqual(vorta.run(inp, cpt).status, vorta.STOPPED_ON_INPUT)
            self.assertEqual(vorta.run(scratch / "missing.dat").status, vorta.FILE_ERROR)
            self.assertEqual(list(scratch.iterdir()), [])

    def test_paths_may_be_text_or_path_objects_relative_to_the_working_folder(self):
        inp, cpt = example_files("usace-user-critical-depth")
        as_text = vorta.run(str(inp), str(cpt))
        previous = os.getcwd()
        os.chdir(inp.parent)
        try:
            relative = vorta.run(Path("input.dat"), "sounding.cpt")
        finally:
            os.chdir(previous)
        self.assertEqual(relative.status, vorta.COMPLETED)
        self.assertEqual(result_key(relative), result_key(as_text))

    def test_no_sounding_is_a_sounding_without_points(self):
        # This example uses no CPT method: its sounding file is "0 0".
        inp, cpt = example_files("open-pipe-sand-over-clay")
        self.assertEqual(cpt.read_text().split(), ["0", "0"])
        self.assertEqual(result_key(vorta.run(inp)), result_key(vorta.run(inp, cpt)))


class Columns(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.inp, cls.cpt = example_files("open-pipe-sand-over-clay")

    def run_without_numpy(self):
        saved = sys.modules.get("numpy")
        sys.modules["numpy"] = None  # import numpy now raises ImportError
        try:
            return vorta.run(self.inp, self.cpt)
        finally:
            if saved is None:
                del sys.modules["numpy"]
            else:
                sys.modules["numpy"] = saved

    def test_lists_of_floats_without_numpy(self):
        r = self.run_without_numpy()
        table = r.tables[0]
        for name, column in table.columns.items():
            with self.subTest(column=name):
                self.assertIs(type(column), list)
                self.assertEqual(len(column), len(table))
                kind = bool if name in ("plug_mark", "printed") else float
                self.assertTrue(all(type(v) is kind for v in column))
        self.assertIs(type(r.tip_curve.load), list)
        self.assertIs(type(r.layer_curves[0].movement), list)
        self.assertIs(type(r.load_steps[0].distribution.axial_load), list)
        self.assertEqual(table.pile_length[:3], [0.0, 1.0, 2.0])  # every row; the report prints every second

    @unittest.skipIf(numpy is None, "numpy is not installed")
    def test_numpy_arrays_with_numpy_hold_the_same_values(self):
        r = vorta.run(self.inp, self.cpt)
        plain = self.run_without_numpy()
        self.assertEqual(result_key(r), result_key(plain))
        table = r.tables[0]
        for name, column in table.columns.items():
            with self.subTest(column=name):
                self.assertIsInstance(column, numpy.ndarray)
                self.assertEqual(column.dtype, numpy.bool_ if name in ("plug_mark", "printed") else numpy.float64)
                self.assertEqual(column.shape, (len(table),))
        self.assertIsInstance(r.load_steps[-1].distribution.movement, numpy.ndarray)
        self.assertIsInstance(r.verification_curves, list)

    def test_columns_by_name_are_the_attributes(self):
        r = vorta.run(self.inp, self.cpt)
        table = r.tables[0]
        self.assertEqual(
            list(table.columns),
            ["pile_length", "depth", "skin_friction", "tip_resistance", "ultimate_capacity", "unit_friction",
             "plug_length", "plug_mark", "printed"],
        )
        for name, column in table.columns.items():
            self.assertIs(getattr(table, name), column)
        step = r.load_steps[0]
        self.assertEqual(list(step.distribution.columns), ["distance_from_head", "axial_load", "movement"])
        self.assertEqual(list(r.tip_curve.columns), ["movement", "load"])
        self.assertIs(r.layer_curves[1].columns["load"], r.layer_curves[1].load)

    def test_columns_hold_the_numbers_the_plot_data_file_prints(self):
        # That the engine's results agree with its files on every example is the C++ tests' part;
        # here each column must be bound to its own value: the printed rows of the open pipe's tables
        # and its load distribution against the plot-data records, rounded as they are printed.
        with tempfile.TemporaryDirectory() as folder:
            plot = Path(folder) / "p.plt"
            r = vorta.run(self.inp, self.cpt, report=Path(folder) / "r.out", plot=plot)
            text = plot.read_text()
        rows = [[fixed(v, d) for v, d in zip((t.pile_length[k], t.skin_friction[k], t.tip_resistance[k],
                                               t.ultimate_capacity[k], t.unit_friction[k]), (2, 1, 1, 1, 3))]
                for t in r.tables for k in range(len(t)) if t.printed[k]]
        records = [[float(f) for f in line.split()] for line in text.splitlines()[1 : 1 + len(rows)]]
        self.assertEqual(records, rows)
        distribution = [[significant(v, 3) for v in (d.distance_from_head[k], d.axial_load[k], d.movement[k])]
                        for d in (s.distribution for s in r.load_steps) for k in range(len(d))]
        self.assertEqual([[float(f) for f in fields] for fields in plot_distribution_rows(text)], distribution)

    def test_columns_the_plot_data_file_does_not_print(self):
        # Read off the printed FHWA table of the open pipe (0 to 70 ft in 1 ft rows, every second
        # printed): at 32 ft the plug still governs (45.4*, plug 32.00); at 34 ft the annulus bearing
        # does (no mark); the last row has a plug of 36.17 ft.
        r = vorta.run(self.inp, self.cpt)
        fhwa = r.tables[0]
        self.assertEqual((fhwa.title, len(fhwa), list(fhwa.printed[:4])), ("FED. HWY. METHOD", 71, [True, False, True, False]))
        self.assertEqual((bool(fhwa.plug_mark[32]), bool(fhwa.plug_mark[34])), (True, False))
        self.assertAlmostEqual(fhwa.plug_length[-1], 36.17, delta=0.005)
        # The tip curve's second point is 4.524 kips at 0.012 in; the first load step 0.5512 kips at
        # 0.4219E-03 in at the top, 0.3770E-01 kips at 0.0001 in at the tip.
        self.assertEqual([significant(v, 4) for v in (r.tip_curve.load[1], r.tip_curve.movement[1])], [4.524, 0.012])
        step = r.load_steps[0]
        self.assertEqual([significant(v, 4) for v in (step.top_load, step.top_movement, step.tip_load, step.tip_movement)],
                         [0.5512, 0.0004219, 0.0377, 0.0001])
        # 14 degrees of batter: depth = length x cos 14 deg (0.97030).
        for table in vorta.run(*example_files("battered-pipe-pile")).tables:
            self.assertTrue(table.battered)
            self.assertAlmostEqual(table.depth[-1] / table.pile_length[-1], 0.97030, places=4)
        # Four verification depths, the last (60 ft) below the profile: three curves.
        curves = vorta.run(*example_files("verification-curves-and-modifiers")).verification_curves
        self.assertEqual([c.depth for c in curves], [5.0, 18.0, 35.0])
        # Uplift of a timber pile with the water table at 5 ft: the buoyant self weight turns
        # negative below it.
        for table in vorta.run(*example_files("timber-pile-tension")).tables:
            self.assertEqual((table.tension, table.plug_column), (True, False))
            self.assertLess(min(table.tip_resistance), 0.0)

    def test_result_outlives_its_parts(self):
        # Tables and steps taken out of a result stay valid after the result is gone.
        table = vorta.run(self.inp, self.cpt).tables[2]
        step = vorta.run(self.inp, self.cpt).load_steps[-1]
        self.assertEqual(table.title, "API RP-2A (2010)")
        self.assertEqual(len(table.pile_length), 71)
        self.assertGreater(step.top_load, step.tip_load)


if __name__ == "__main__":
    unittest.main()


class DesignAnswers(unittest.TestCase):
    def test_design_loads_give_an_answer_per_method_and_load(self):
        # The closed pipe's layers carry LRFD factors: the capacities are factored ones.
        inp, cpt = example_files("closed-pipe-si")
        a = vorta.Analysis.read(inp, cpt=cpt)
        a.design = vorta.Design(loads=[1500, 1e6])
        r = a.run()
        self.assertEqual(r.status, vorta.COMPLETED)
        self.assertEqual([d.method for d in r.design[:2]], ["FHWA", "FHWA"])
        self.assertEqual(len(r.design), 2 * len(r.tables))
        reached, missed = r.design[0], r.design[1]
        self.assertTrue(reached.factored)
        self.assertAlmostEqual(reached.capacity, 1500, places=6)  # the load times a factor of safety of 1
        self.assertGreater(reached.embedded_length, 0)
        self.assertIsNone(missed.embedded_length)
        self.assertEqual(missed.capacity, max(r.tables[0].driven_capacity))
        back = pickle.loads(pickle.dumps(r))
        self.assertEqual(back.design[0].embedded_length, reached.embedded_length)

    @unittest.skipIf(pandas is None, "pandas is not installed")
    def test_frames_of_every_row_and_of_the_answers(self):
        inp, cpt = example_files("closed-pipe-si")
        a = vorta.Analysis.read(inp, cpt=cpt)
        a.design.loads = 1500
        r = a.run()
        every = r.frame()
        printed = r.frame(printed_only=True)
        self.assertEqual(len(every), sum(len(t) for t in r.tables))
        self.assertEqual(len(printed), sum(sum(t.printed) for t in r.tables))
        self.assertTrue(printed["printed"].all())
        self.assertEqual(list(r.design_frame()["method"]), [d.method for d in r.design])
