"""The columns of vorta.run's results hold the numbers the plot-data file prints: every row of every
capacity table and the load distribution, on every example, compared after rounding to the printed
decimals; the columns that file does not print are read off the reports. (That the engine's results
match the report is the C++ tests' part; here each Python column must be bound to its own value.)"""

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


class PrintedValues(unittest.TestCase):
    runs = {}

    @classmethod
    def setUpClass(cls):
        cls.runs = {name: ExampleRun(vorta, name) for name in completed_example_names()}

    def assertField(self, field, value, decimals, what):
        if overflowed(field):
            # Asterisks: the value does not fit the field.
            self.assertGreater(len(f"{value:.{decimals}f}"), len(field), what)
        else:
            self.assertEqual(float(field), fixed(value, decimals), f"{what}: printed {field}, held {value!r}")

    def test_plot_records_hold_the_capacity_rows_and_the_load_distribution(self):
        self.assertGreaterEqual(len(self.runs), 14)
        for name, run in self.runs.items():
            with self.subTest(example=name):
                r = run.result
                self.assertEqual((r.status, r.messages), (vorta.COMPLETED, []))
                header = plot_header(run.plot)
                printed = [[k for k in range(len(t)) if t.printed[k]] for t in r.tables]
                self.assertEqual(header[1:], [len(printed[0]), r.unit_system, r.load_transfer_method])
                records = iter(plot_table_rows(run.plot, sum(len(p) for p in printed)))
                for table, rows in zip(r.tables, printed):
                    for k in rows:
                        fields = next(records)
                        what = f"{name}, {table.title}, plot record {k + 1}"
                        columns = (table.pile_length, table.skin_friction, table.tip_resistance,
                                   table.ultimate_capacity, table.unit_friction)
                        for field, column, decimals in zip(fields, columns, (2, 1, 1, 1, 3)):
                            self.assertField(field, column[k], decimals, what)
                # The distribution, E9.3 records from the tip up to the head, step after step.
                records = plot_distribution_rows(run.plot)
                values = [(d.distance_from_head[k], d.axial_load[k], d.movement[k])
                          for d in (s.distribution for s in r.load_steps) for k in range(len(d))]
                self.assertEqual(len(values), len(records))
                for fields, held in zip(records, values):
                    self.assertEqual([float(f) for f in fields], [significant(v, 3) for v in held], name)

    def test_columns_the_plot_data_file_does_not_print(self):
        # Read off the printed FHWA table of the open pipe in sand over clay (0 to 70 ft in 1 ft
        # rows, every second printed): at 32 ft the plug still governs (45.4*, plug 32.00); at
        # 34 ft the annulus bearing does (no mark); the last row has a plug of 36.17 ft.
        r = self.runs["open-pipe-sand-over-clay"].result
        fhwa = r.tables[0]
        self.assertEqual((fhwa.title, len(fhwa)), ("FED. HWY. METHOD", 71))
        self.assertEqual(list(fhwa.printed[:4]), [True, False, True, False])
        self.assertEqual((bool(fhwa.plug_mark[32]), bool(fhwa.plug_mark[34])), (True, False))
        self.assertAlmostEqual(fhwa.plug_length[-1], 36.17, delta=0.005)
        # The tip curve's second point is 4.524 kips at 0.012 in; the first load step 0.5512 kips
        # at 0.4219E-03 in at the top, 0.3770E-01 kips at 0.0001 in at the tip.
        self.assertEqual([significant(v, 4) for v in (r.tip_curve.load[1], r.tip_curve.movement[1])], [4.524, 0.012])
        step = r.load_steps[0]
        self.assertEqual([significant(v, 4) for v in (step.top_load, step.top_movement, step.tip_load, step.tip_movement)],
                         [0.5512, 0.0004219, 0.0377, 0.0001])
        # 14 degrees of batter: depth = length x cos 14 deg (0.97030); the report prints both.
        for table in self.runs["battered-pipe-pile"].result.tables:
            self.assertTrue(table.battered)
            self.assertAlmostEqual(table.depth[-1] / table.pile_length[-1], 0.97030, places=4)
        # Uplift of a timber pile with the water table at 5 ft: the buoyant self weight turns
        # negative below the water table.
        for table in self.runs["timber-pile-tension"].result.tables:
            self.assertEqual((table.tension, table.plug_column), (True, False))
            self.assertLess(min(table.tip_resistance), 0.0)


if __name__ == "__main__":
    unittest.main()
