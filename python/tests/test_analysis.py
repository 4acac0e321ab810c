"""vorta.Analysis: an analysis built in code, read from the example files, edited, copied, pickled
and written back, against the engine's own runs of the files; bad values named."""

import datetime
import pickle
import re
import tempfile
import unittest
from pathlib import Path

import vorta

from support import EXAMPLES, completed_example_names, example_files, result_key

CLOCK = datetime.datetime(2024, 5, 6, 7, 8, 9)


def built_in_code():
    """examples/usace-user-critical-depth/project.toml, stated in Python."""
    return vorta.Analysis(
        title="WAREHOUSE EXPANSION - 12.75 IN CLOSED PIPE PILE, CRITICAL DEPTH 20 FT",
        designer="G. FERREIRA, P.E.",
        job_number="23-640 WAREHOUSE GRID C-7",
        units="English",
        output_step=2,
        deepest_soil_depth=53,
        pile=vorta.Pile(type="steel_pipe", tip="closed", outside_diameter=12.75, inside_diameter=12.25,
                        elastic_modulus=2.9e7, length=50, length_increment=1),
        methods=vorta.Methods(selected=["USACE"], load_transfer="USACE"),
        options=vorta.Options(critical_depth_rule="user", critical_depth=20),
        layers=[
            vorta.Layer(name="medium dense sand", top=0, bottom=20, soil_type="sand", effective_unit_weight=115,
                        friction_angle=31, blow_count_or_yield_stress_ratio=12),
            vorta.Layer(name="dense sand", top=20, bottom=55, soil_type=1, effective_unit_weight=60,
                        friction_angle=35, blow_count_or_yield_stress_ratio=28),
        ],
    )


def layer_blocks(text):
    """A project file's text cut into its head, its [[layers]] blocks and its tail ([cpt])."""
    starts = [m.start() for m in re.finditer(r"^\[\[layers\]\]$", text, re.M)]
    tail = text.index("\n[cpt]") if "\n[cpt]" in text else len(text)
    return text[: starts[0]], [text[s:e] for s, e in zip(starts, starts[1:] + [tail])], text[tail:]


class ReadAndBuild(unittest.TestCase):
    def test_built_in_code_equals_the_file_and_gives_its_report(self):
        read = vorta.Analysis.read(EXAMPLES / "usace-user-critical-depth" / "project.toml")
        code = built_in_code()
        self.assertEqual(code, read)
        ours, theirs = code.run(keep_text=True, clock=CLOCK), read.run(keep_text=True, clock=CLOCK)
        self.assertEqual(ours.report_text, theirs.report_text)
        self.assertEqual(ours.plot_text, theirs.plot_text)
        self.assertIn("ARMY CORPS METHOD", ours.report_text)

    def test_every_example_runs_in_memory_as_the_engine_runs_its_files(self):
        for name in completed_example_names():
            with self.subTest(example=name):
                deck = vorta.Analysis.read(*example_files(name))
                project = vorta.Analysis.read(EXAMPLES / name / "project.toml")
                expected = result_key(vorta.run(*example_files(name)))
                self.assertEqual(result_key(deck.run()), expected)
                self.assertEqual(result_key(project.run()), expected)
                self.assertEqual(result_key(vorta.run(EXAMPLES / name / "project.toml")), expected)

    def test_written_files_read_back_equal(self):
        with tempfile.TemporaryDirectory(prefix="vorta-test-") as folder:
            for name in ("verification-curves-and-modifiers", "tapered-monotube", "closed-pipe-si"):
                with self.subTest(example=name):
                    a = vorta.Analysis.read(EXAMPLES / name / "project.toml")
                    a.write_project(Path(folder) / "a.toml")
                    a.write_deck(Path(folder) / "a.dat")
                    self.assertEqual(vorta.Analysis.read(Path(folder) / "a.toml"), a)
                    deck = vorta.Analysis.read(Path(folder) / "a.dat", Path(folder) / "a.cpt")
                    for layer in deck.layers + a.layers:  # an input data file names no layer
                        layer.name = ""
                    self.assertEqual(deck, a)

    def test_unreadable_files_raise_input_error_naming_the_place(self):
        with tempfile.TemporaryDirectory(prefix="vorta-test-") as folder:
            bad = Path(folder) / "bad.toml"
            bad.write_text('units = "SI"\n[pile]\ntype = "steel"\n')
            for path, fragment in ((bad, "bad.toml, line 3: pile.type"), (Path(folder) / "none.dat", "cannot be opened")):
                with self.subTest(path=path.name), self.assertRaisesRegex(vorta.InputError, re.escape(fragment)):
                    vorta.Analysis.read(path)
            self.assertTrue(issubclass(vorta.InputError, ValueError))


class Edits(unittest.TestCase):
    """An edit in Python gives the result of the engine's run of the file edited the same way."""

    def setUp(self):
        self.path = EXAMPLES / "closed-pipe-si" / "project.toml"
        self.text = self.path.read_text()
        self.folder = tempfile.TemporaryDirectory(prefix="vorta-test-")

    def tearDown(self):
        self.folder.cleanup()

    def test_edits_of_layers_the_pile_and_the_methods(self):
        def value(a):
            a.layers[1].shear_strength = (35, 52)
            return self.text.replace("shear_strength = [25, 40]", "shear_strength = [35, 52]")

        def removed(a):
            del a.layers[2]
            a.layers[2].top = 11
            head, blocks, tail = layer_blocks(self.text)
            return head + blocks[0] + blocks[1] + blocks[3].replace("top = 20 ", "top = 11 ") + tail

        def inserted(a):
            deeper = a.layers[3].copy()
            a.layers[3].bottom = 25
            deeper.top, deeper.friction_angle = 25, 38
            a.layers.insert(4, deeper)
            head, blocks, tail = layer_blocks(self.text)
            upper = blocks[3].replace("bottom = 30 ", "bottom = 25 ")
            lower = blocks[3].replace("top = 20 ", "top = 25 ").replace("friction_angle = 36 ", "friction_angle = 38 ")
            return head + "".join(blocks[:3]) + upper + lower + tail

        def pile_and_methods(a):
            a.pile.length = 20
            a.methods.selected = ["FHWA", 9]
            return self.text.replace("length = 25.5 ", "length = 20 ").replace(
                'selected = ["FHWA", "USACE", "Revised_Lambda", "API_RP2A", "NGI", "ICP_MTD"]', 'selected = ["FHWA", "UWA"]')

        unedited = result_key(vorta.run(self.path))
        for edit in (value, removed, inserted, pile_and_methods):
            with self.subTest(edit=edit.__name__):
                analysis = vorta.Analysis.read(self.path)
                edited = Path(self.folder.name) / "edited.toml"
                edited.write_text(edit(analysis))
                by_file = vorta.run(edited)
                self.assertEqual(by_file.status, vorta.COMPLETED, by_file.messages)
                self.assertEqual(result_key(analysis.run()), result_key(by_file))
                self.assertNotEqual(result_key(by_file), unedited)


class LayerValues(unittest.TestCase):
    def test_every_layer_value_is_a_pair_that_stands_for_its_one_value_where_it_does_not_vary(self):
        layer = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml").layers[1]
        varying, uniform, choice = layer.shear_strength, layer.effective_unit_weight, layer.soil_type
        for value in (varying, uniform, choice):
            self.assertIsInstance(value, vorta.LayerValue)
            top, bottom = value
            self.assertEqual((value.top, value.bottom), (top, bottom))
        self.assertEqual(tuple(varying), (25.0, 40.0))
        self.assertEqual(varying, (25.0, 40.0))
        self.assertNotEqual(varying, 25.0)
        self.assertEqual(choice, "clay")
        self.assertEqual(float(uniform), uniform.top)
        self.assertEqual(f"{uniform:.1f}", f"{uniform.top:.1f}")
        self.assertEqual(str(choice), "clay")
        # Arithmetic on both ends, a number or a pair on either side.
        self.assertEqual(varying * 2, (50.0, 80.0))
        self.assertEqual(100 - varying, (75.0, 60.0))
        self.assertEqual(varying + (1, 2), (26.0, 42.0))
        with self.assertRaisesRegex(TypeError, "varies from 25.0 to 40.0"):
            float(varying)
        layer.shear_strength = varying * 2
        self.assertEqual(layer.shear_strength, (50.0, 80.0))


class Values(unittest.TestCase):
    def test_bad_values_raise_value_error_naming_the_field(self):
        a = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml")
        cases = [
            (lambda: setattr(a.pile, "length", float("nan")), "pile.length: expected a finite number in ft or m"),
            (lambda: setattr(a.pile, "length", "25"), "pile.length: expected a finite number"),
            (lambda: setattr(a.pile, "type", "steel"), "pile.type: unknown name 'steel'; expected one of steel_pipe"),
            (lambda: setattr(a.pile, "tip", 7), "pile.tip: expected one of open, closed"),
            (lambda: setattr(a, "output_step", 2.5), "output_step: expected a whole number"),
            (lambda: setattr(a, "title", "two\nlines"), "title: expected one line of text"),
            (lambda: setattr(a.layers[1], "shear_strength", (1, 2, 3)), "layer.shear_strength: expected one value, or two"),
            (lambda: setattr(a.layers[1], "soil_type", ("clay", "peat")), "layer.soil_type (bottom): unknown name 'peat'"),
            (lambda: setattr(a.methods, "selected", ["FHWA", "FWHA"]), "methods.selected[1]: unknown name 'FWHA'"),
            (lambda: setattr(a.options, "plug_condition", True), "options.plug_condition: expected one of"),
            (lambda: setattr(a.cpt, "points", [(1, 2), (3,)]), "cpt.points[1]: expected a pair"),
            (lambda: setattr(a.load_transfer, "tip_movements", [0.1, float("inf")]), "load_transfer.tip_movements[1]"),
            (lambda: setattr(a, "pile", a.methods), "pile: expected a vorta.Pile"),
            (lambda: vorta.Layer(shear_strenght=3), "vorta.Layer: unknown key 'shear_strenght'; did you mean shear_strength?"),
        ]
        for change, message in cases:
            with self.subTest(message=message), self.assertRaisesRegex(ValueError, "^" + re.escape(message)):
                change()
        self.assertEqual(a, vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml"))  # nothing half-set

    def test_lists_are_checked_when_the_analysis_is_used(self):
        cases = [
            (lambda a: a.layers.append("sand"), r"^layers\[4\]: expected a vorta.Layer"),
            (lambda a: setattr(a.layers[0], "bottom", -1), r"^layers\[0\].bottom: the bottom -1 lies above the top 0"),
            (lambda a: setattr(a.layers[2], "top", 10), r"^layers\[2\].top: the top 10 lies above the bottom 11"),
            (lambda a: a.load_transfer.modifiers.append(vorta.AreaRow()), r"^load_transfer.modifiers\[0\]"),
            (lambda a: setattr(a, "layers", [vorta.Layer(top=k, bottom=k + 1) for k in range(41)]), "more than the limit of 80"),
        ]
        for change, pattern in cases:
            a = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml")
            change(a)
            for use in (a.run, a.check, lambda: a.write_project(Path(tempfile.gettempdir()) / "never.toml")):
                with self.subTest(pattern=pattern), self.assertRaisesRegex(ValueError, pattern):
                    use()

    def test_values_out_of_range_stop_the_run_as_run_many_does(self):
        a = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml")
        a.layers[1].friction_angle = (95, 20)
        a.pile.length = -4
        r = a.run(keep_text=True)
        self.assertEqual(r.status, vorta.STOPPED_ON_INPUT)
        # Keys counted as a project file counts them: a.layers[1] is layers[2].
        self.assertEqual([(p.code, p.path) for p in r.problems],
                         [("no_embedded_length", "pile.stickup"), ("friction_angle_not_below_90", "layers[2].friction_angle"),
                          ("out_of_range", "pile.length")])
        friction = r.problems[1]
        self.assertEqual((friction.severity, friction.layer_end, friction.soil_point, friction.value), ("stop", "top", 3, 95))
        self.assertEqual(r.problems[2].message, "pile.length: the pile length -4 m is outside the allowed range 0.3 to 1000 m")
        self.assertEqual((r.problems[2].value, r.problems[2].unit, r.problems[2].line), (-4, "m", 0))
        self.assertIn("IS OUTSIDE THE ALLOWED RANGE", r.report_text)
        self.assertTrue(any("PILE LENGTH -4 M" in m for m in r.messages))
        self.assertEqual(pickle.loads(pickle.dumps(r)).problems[1].path, "layers[2].friction_angle")
        many = vorta.run_many([a])[0]
        self.assertEqual((many.status, many.messages, [p.path for p in many.problems]),
                         (r.status, r.messages, [p.path for p in r.problems]))
        self.assertEqual(a.check().status, vorta.STOPPED_ON_INPUT)

    def test_advisories_as_objects_and_a_frame_from_the_run_and_the_check(self):
        a = vorta.Analysis.read(EXAMPLES / "timber-pile-tension" / "project.toml")  # in tension
        r = a.run()
        c = a.check()
        self.assertEqual((r.status, c.status), (vorta.COMPLETED, vorta.COMPLETED))
        self.assertEqual([(p.severity, p.code, p.path, p.soil_point) for p in c.problems],
                         [("advisory", "water_table_from_unit_weight", "layers[2].effective_unit_weight", 3)])
        self.assertEqual([p.message for p in r.advisories], [p.message for p in c.problems])
        self.assertEqual(pickle.loads(pickle.dumps(r)).advisories[0].code, "water_table_from_unit_weight")
        try:
            import pandas  # noqa: F401
        except ImportError:
            return
        self.assertEqual(list(c.frame()["code"]), ["water_table_from_unit_weight"])
        self.assertEqual(r.problems_frame()["value"][0], 58)  # the unit weight of layers[2], pcf

    def test_tip_movements_are_in_millimetres_in_si(self):
        a = vorta.Analysis.read(EXAMPLES / "closed-pipe-si" / "project.toml")
        a.load_transfer.tip_movements = [1, 2.5, 10]  # mm
        r = a.run()
        self.assertEqual([s.tip_movement for s in r.load_steps], [0.001, 0.0025, 0.01])  # m, as the report prints
        self.assertEqual(a.run().advisories, [])

    def test_choices_by_name_or_code_read_as_names(self):
        p = vorta.Pile(type=6, tip="CLOSED")
        self.assertEqual((p.type, p.tip), ("h_pile", "closed"))
        m = vorta.Methods(selected=[4, "icp"], load_transfer="API")
        self.assertEqual((m.selected, m.load_transfer), (("API_RP2A", "ICP_MTD"), "API_RP2A"))

    def test_repr_shows_every_value_and_reads_back(self):
        for example in ("closed-pipe-si", "verification-curves-and-modifiers", "tapered-monotube"):
            a = vorta.Analysis.read(EXAMPLES / example / "project.toml")
            with self.subTest(example=example):
                self.assertEqual(eval(repr(a), {"vorta": vorta}), a)  # noqa: S307 - our own repr
        self.assertTrue(repr(a.pile).startswith("vorta.Pile(type='monotube_taper', "))
        self.assertIn("friction_angle=0.0", repr(a.layers[0]))

    def test_copies_and_pickles_are_independent_and_equal(self):
        a = vorta.Analysis.read(EXAMPLES / "verification-curves-and-modifiers" / "project.toml")
        for b in (a.copy(), pickle.loads(pickle.dumps(a))):
            self.assertEqual(b, a)
            b.layers[0].effective_unit_weight = 1
            b.load_transfer.modifiers[0].load_factor = 2
            b.pile.length += 1
            self.assertNotEqual(b.layers[0], a.layers[0])
            self.assertNotEqual(b.load_transfer.modifiers[0], a.load_transfer.modifiers[0])
            self.assertNotEqual(b.pile, a.pile)
        self.assertEqual(result_key(pickle.loads(pickle.dumps(a.run()))), result_key(a.run()))

    def test_values_that_follow_from_others(self):
        a = built_in_code()
        self.assertIsNone(a.methods.run_cpt_methods)
        a.methods.selected = ["USACE", "NGI"]  # a CPT-based method selected: run_cpt_methods follows
        self.assertEqual([t.method for t in a.run().tables], [2, 6])
        a.deepest_soil_depth = None  # the bottom of the last layer: 55 ft
        a.layers[1].bottom = 48
        self.assertEqual(a.run().status, vorta.STOPPED_ON_INPUT)  # 50 ft + 2 diameters > 48 ft


if __name__ == "__main__":
    unittest.main()
