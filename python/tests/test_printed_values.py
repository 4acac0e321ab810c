"""The results of vorta.run hold the numbers the report and the plot-data file print: every row of
every capacity table, the t-z and tip curves, the load-settlement steps and the load distribution,
on every example, compared after rounding to the printed decimals."""

import unittest

import vorta

from support import (
    METHOD_OF_TITLE,
    ExampleRun,
    completed_example_names,
    fixed,
    overflowed,
    plot_distribution_rows,
    plot_header,
    plot_table_rows,
    report_load_steps,
    report_tables,
    report_tip_curve,
    report_transfer_curves,
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

    def test_tables_come_in_report_order_with_their_banner_and_method(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                printed = report_tables(run.report)
                self.assertEqual([t.title for t in run.result.tables], [p[0] for p in printed])
                self.assertEqual([t.method for t in run.result.tables], [METHOD_OF_TITLE[p[0]] for p in printed])

    def test_units_are_those_of_the_table_headings(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                expected = {"FT.": ("English", 1), "M.": ("SI", 2)}[report_tables(run.report)[0][1][0]]
                self.assertEqual((run.result.units, run.result.unit_system), expected)

    def test_every_row_holds_the_printed_values(self):
        for name, run in self.runs.items():
            for table, (title, _, rows) in zip(run.result.tables, report_tables(run.report)):
                with self.subTest(example=name, table=title):
                    self.assertEqual(len(table), len(rows))
                    for k, fields in enumerate(rows):
                        what = f"{name}, {title}, row {k + 1}"
                        expected_fields = 4 + table.battered + table.plug_column
                        self.assertEqual(len(fields), expected_fields, what)
                        f = iter(fields)
                        self.assertFixedField(next(f), table.pile_length[k], 2, what + " pile length")
                        if table.battered:
                            self.assertFixedField(next(f), table.depth[k], 2, what + " depth")
                        else:
                            self.assertEqual(table.depth[k], table.pile_length[k], what)
                        self.assertFixedField(next(f), table.skin_friction[k], 1, what + " skin friction")
                        tip = next(f)
                        marked = tip.endswith("*") and table.plug_column
                        self.assertEqual(bool(table.plug_mark[k]), marked, what + " plug mark")
                        self.assertFixedField(tip[:-1] if marked else tip, table.tip_resistance[k], 1, what + " tip")
                        self.assertFixedField(next(f), table.ultimate_capacity[k], 1, what + " ultimate capacity")
                        if table.plug_column:
                            self.assertFixedField(next(f), table.plug_length[k], 2, what + " plug length")
                        else:
                            self.assertEqual(table.plug_length[k], 0.0, what)

    def test_plot_records_hold_the_rows_and_their_unit_friction(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                r = run.result
                header = plot_header(run.plot)
                self.assertEqual(header[1:], [len(r.tables[0]), r.unit_system, r.load_transfer_method])
                records = iter(plot_table_rows(run.plot, sum(len(t) for t in r.tables)))
                for table in r.tables:
                    for k in range(len(table)):
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
        self.assertEqual(len(fhwa), 36)  # 0 to 70 ft: 1 ft rows, every second one printed
        i32, i34 = 16, 17
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
    def test_load_steps_hold_the_printed_load_settlement_curve(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                rows = report_load_steps(run.report)
                self.assertIsNotNone(rows)
                self.assertEqual(len(run.result.load_steps), len(rows))
                for k, (step, fields) in enumerate(zip(run.result.load_steps, rows)):
                    what = f"{name}, load step {k + 1}"
                    values = (step.top_load, step.top_movement, step.tip_load, step.tip_movement)
                    self.assertEqual(len(fields), 4, what)
                    for field, value in zip(fields, values):
                        self.assertSignificantField(field, value, 4, what)

    def test_tip_curve_holds_the_printed_points(self):
        for name, run in self.runs.items():
            with self.subTest(example=name):
                rows = report_tip_curve(run.report)
                curve = run.result.tip_curve
                self.assertEqual(len(curve), len(rows))
                for k, (load, movement) in enumerate(rows):
                    self.assertSignificantField(load, curve.load[k], 4, f"{name}, tip point {k + 1}")
                    self.assertSignificantField(movement, curve.movement[k], 4, f"{name}, tip point {k + 1}")

    def test_layer_and_verification_curves_hold_the_printed_points(self):
        for name, run in self.runs.items():
            printed_layer, printed_verification = report_transfer_curves(run.report)
            self.assertGreater(len(printed_layer), 0, name)
            for kind, held, printed in (
                ("layer", run.result.layer_curves, printed_layer),
                ("verification", run.result.verification_curves, printed_verification),
            ):
                with self.subTest(example=name, curves=kind):
                    self.assertEqual([c.number for c in held], [p[0] for p in printed])
                    for curve, (number, depth, points) in zip(held, printed):
                        what = f"{name}, {kind} curve {number}"
                        self.assertSignificantField(depth, curve.depth, 4, what + " depth")
                        self.assertEqual(len(curve), len(points), what)
                        for k, (load, movement) in enumerate(points):
                            self.assertSignificantField(load, curve.load[k], 4, f"{what}, point {k + 1}")
                            self.assertSignificantField(movement, curve.movement[k], 4, f"{what}, point {k + 1}")

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
