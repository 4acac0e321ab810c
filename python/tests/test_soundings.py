"""CPT files read in Python (vorta.Sounding.read), their points as a frame, and an analysis converted
between English and SI units (Analysis.to_units)."""

import pickle
import shutil
import tempfile
import unittest
import warnings
from pathlib import Path

import vorta

from support import EXAMPLES

EXAMPLE = EXAMPLES / "cpt-four-methods-si"


def engine_points(path):
    lines = Path(path).read_text().split("\n")[1:]
    return tuple((float(d), float(q)) for d, q in (line.split() for line in lines if line.strip()))


class SoundingRead(unittest.TestCase):
    def test_gef_and_ags4_files_give_the_points_of_the_cpt_file_and_warn_of_what_they_skip(self):
        expected = engine_points(EXAMPLE / "sounding.cpt")
        for name in ("sounding.gef", "sounding.ags"):
            with self.subTest(name), warnings.catch_warnings(record=True) as caught:
                warnings.simplefilter("always")
                s = vorta.Sounding.read(EXAMPLE / name, units="SI")
                self.assertEqual(s.points, expected)
                self.assertEqual((s.sleeve_friction[0], s.sleeve_friction[1]), (None, 34.0))
                self.assertIn("void sleeve friction: point kept without it", str(caught[-2].message))
                self.assertEqual(s.notes[-1], str(caught[-1].message))
                self.assertEqual(pickle.loads(pickle.dumps(s)), s)

    def test_a_malformed_file_raises_input_error_naming_the_line_and_units_must_be_named(self):
        with tempfile.TemporaryDirectory() as folder:
            bad = Path(folder) / "bad.csv"
            bad.write_text("depth (m);qc (MPa)\n0,5;1,2\n1,0;x\n")
            with self.assertRaisesRegex(vorta.InputError, r"bad.csv, line 3: expected a number in column 'qc \(MPa\)', found 'x'"):
                vorta.Sounding.read(bad, units="SI")
        with self.assertRaises(TypeError):
            vorta.Sounding.read(EXAMPLE / "sounding.gef")

    def test_frame_holds_nan_where_a_point_has_no_value(self):
        try:
            import pandas  # noqa: F401
        except ImportError:
            self.skipTest("pandas is not installed")
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            frame = vorta.Sounding.read(EXAMPLE / "sounding.ags", units="English").frame("English")
        self.assertEqual(list(frame.columns), ["depth", "cone_resistance", "sleeve_friction", "pore_pressure"])
        self.assertTrue(frame["sleeve_friction"].isna()[0])
        self.assertEqual(frame.attrs["units"]["depth"], "ft")


class ToUnits(unittest.TestCase):
    def test_an_analysis_in_english_units_runs_and_converts_back(self):
        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            si = vorta.Analysis.read(EXAMPLE / "project-gef.toml")
        english = si.to_units("English")
        self.assertEqual(english.units, "English")
        self.assertAlmostEqual(english.pile.outside_diameter, 914 / 25.4, places=6)
        self.assertEqual(english.cpt.file, "sounding.gef")
        self.assertEqual(english.run().status, vorta.COMPLETED)
        back = english.to_units("SI")
        self.assertEqual(back.pile.outside_diameter, 914)
        self.assertEqual(back.cpt.points, si.cpt.points)
        with self.assertRaisesRegex(ValueError, "expected \"English\" or \"SI\""):
            si.to_units("imperial")

    def test_a_project_written_elsewhere_names_its_sounding_file_from_there(self):
        with tempfile.TemporaryDirectory() as folder:
            with warnings.catch_warnings():
                warnings.simplefilter("ignore")
                a = vorta.Analysis.read(EXAMPLE / "project-gef.toml")
                a.write_project(Path(folder) / "site.toml")
                self.assertEqual(vorta.Analysis.read(Path(folder) / "site.toml").cpt.points, a.cpt.points)
            self.assertIn("cpt-four-methods-si/sounding.gef", (Path(folder) / "site.toml").read_text())


if __name__ == "__main__":
    unittest.main()
