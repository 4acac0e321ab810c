"""The columns of vorta.run's results hold the numbers the plot-data file prints: every row of every
capacity table and the load distribution, on every example, compared after rounding to the printed
decimals. (That the engine's results match the report is the C++ tests' part; here each Python
column must be bound to its own value.)"""

import unittest

import vorta

from support import (
    ExampleRun,
    completed_example_names,
    fixed,
    overflowed,
    plot_distribution_rows,
    plot_header,
    plot_table_rows,
    significant,
)


class PrintedValuesCase(unittest.TestCase):
    runs = {}

    @classmethod
    def setUpClass(cls):
        cls.runs = {name: ExampleRun(vorta, name) for name in completed_example_names()}

    def assertFixedField(self, field, value, decimals, what):
        if overflowed(field):
            # Asterisks: the value does not fit the field.
            self.assertGreater(len(f"{value:.{decimals}f}"), len(field), what)
        else:
            self.assertEqual(float(field), fixed(value, decimals), f"{what}: printed {field}, held {value!r}")

    def assertSignificantField(self, field, value, digits, what):
        self.assertEqual(float(field), significant(value, digits), f"{what}: printed {field}, held {value!r}")


class CapacityTables(PrintedValuesCase):
    def test_every_example_completes(self):
        self.assertGreaterEqual(len(self.runs), 14)
        for name, run in self.runs.items():
            with self.subTest(example=name):
                self.assertEqual(run.result.status, vorta.COMPLETED, run.result.messages)
                self.assertEqual(run.result.messages, [])
                self.assertGreater(len(run.result.tables), 0)

    def test_plot_records_hold_the_rows_and_their_unit_friction(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                r = run.result
                header = plot_header(run.plot)
                printed = [[k for k in range(len(t)) if t.printed[k]] for t in r.tables]
                self.assertEqual(header[1:], [len(printed[0]), r.unit_system, r.load_transfer_method])
                records = iter(plot_table_rows(run.plot, sum(len(p) for p in printed)))
                for table, rows in zip(r.tables, printed):
                    for k in rows:
                        fields = next(records)
                        what = f"{name}, {table.title}, plot record {k + 1}"
                        self.assertFixedField(fields[0], table.pile_length[k], 2, what)
                        self.assertFixedField(fields[1], table.skin_friction[k], 1, what)
                        self.assertFixedField(fields[2], table.tip_resistance[k], 1, what)
                        self.assertFixedField(fields[3], table.ultimate_capacity[k], 1, what)
                        self.assertFixedField(fields[4], table.unit_friction[k], 3, what + " unit friction")

    def test_hand_read_rows_of_the_open_pipe_example(self):
        # Read off the printed FHWA table of the open pipe in sand over clay: at 32 ft the plug
        # still governs (45.4*, plug 32.00); at 34 ft the annulus bearing does (36.6, no mark);
        # the last row, 70 ft: 464.5 + 72.4 = 536.9 kips with a plug of 36.17 ft.
        fhwa = self.runs["open-pipe-sand-over-clay"].result.tables[0]
        self.assertEqual(fhwa.title, "FED. HWY. METHOD")
        self.assertEqual(len(fhwa), 71)  # 0 to 70 ft in 1 ft rows
        self.assertEqual(list(fhwa.printed[:4]), [True, False, True, False])  # every second one printed
        i32, i34 = 32, 34
        self.assertEqual(fhwa.pile_length[i32], 32.0)
        self.assertTrue(fhwa.plug_mark[i32])
        self.assertFalse(fhwa.plug_mark[i34])
        self.assertAlmostEqual(fhwa.tip_resistance[i32], 45.4, delta=0.05)
        self.assertAlmostEqual(fhwa.ultimate_capacity[-1], 536.9, delta=0.05)
        self.assertAlmostEqual(fhwa.skin_friction[-1] + fhwa.tip_resistance[-1], fhwa.ultimate_capacity[-1], places=9)
        self.assertAlmostEqual(fhwa.plug_length[-1], 36.17, delta=0.005)

    def test_battered_pile_depth_is_the_length_along_the_batter_projected(self):
        # 14 degrees of batter: depth = length x cos 14 deg (0.97030); the report prints both.
        for table in self.runs["battered-pipe-pile"].result.tables:
            with self.subTest(table=table.title):
                self.assertTrue(table.battered)
                self.assertAlmostEqual(table.depth[-1] / table.pile_length[-1], 0.97030, places=4)

    def test_tension_tables_carry_the_self_weight(self):
        # Uplift of a timber pile with the water table at 5 ft: the buoyant self weight turns
        # negative below the water table.
        for table in self.runs["timber-pile-tension"].result.tables:
            with self.subTest(table=table.title):
                self.assertTrue(table.tension)
                self.assertFalse(table.plug_column)
                self.assertLess(min(table.tip_resistance), 0.0)


class LoadSettlement(PrintedValuesCase):
    def test_load_steps_and_tip_curve_keep_their_columns_apart(self):
        # Read off the report of the open pipe in sand over clay: the tip curve's second point is
        # 4.524 kips at 0.012 in; the first load step 0.5512 kips at 0.4219E-03 in at the top,
        # 0.3770E-01 kips at 0.0001 in at the tip.
        r = self.runs["open-pipe-sand-over-clay"].result
        self.assertEqual(significant(r.tip_curve.load[1], 4), 4.524)
        self.assertEqual(significant(r.tip_curve.movement[1], 4), 0.012)
        step = r.load_steps[0]
        self.assertEqual([significant(v, 4) for v in (step.top_load, step.top_movement, step.tip_load, step.tip_movement)],
                         [0.5512, 0.0004219, 0.0377, 0.0001])

    def test_verification_curves_only_where_asked(self):
        # Four verification depths, the last (60 ft) below the profile: three curves, at 5, 18
        # and 35 ft; no other example asks for any.
        for name, run in self.runs.items():
            with self.subTest(example=name):
                depths = [c.depth for c in run.result.verification_curves]
                if name == "verification-curves-and-modifiers":
                    self.assertEqual(depths, [5.0, 18.0, 35.0])
                else:
                    self.assertEqual(depths, [])

    def test_load_distribution_holds_the_plot_records(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                records = plot_distribution_rows(run.plot)
                steps = run.result.load_steps
                self.assertEqual(sum(len(s.distribution) for s in steps), len(records))
                it = iter(records)
                for j, step in enumerate(steps):
                    d = step.distribution
                    self.assertGreater(len(d), 0)
                    for k in range(len(d)):
                        fields = next(it)
                        what = f"{name}, step {j + 1}, segment {k + 1}"
                        self.assertSignificantField(fields[0], d.distance_from_head[k], 3, what)
                        self.assertSignificantField(fields[1], d.axial_load[k], 3, what)
                        self.assertSignificantField(fields[2], d.movement[k], 3, what)

    def test_distribution_runs_from_the_tip_up_to_the_head(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                for step in run.result.load_steps:
                    x = list(step.distribution.distance_from_head)
                    self.assertEqual(x, sorted(x, reverse=True))
                    self.assertEqual(len(step.distribution.columns), 3)


if __name__ == "__main__":
    unittest.main()
