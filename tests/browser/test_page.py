"""The page of `vorta serve` driven in headless Chromium: open an example, edit it and see the numbers of
a command-line run of the same analysis, see a value out of range marked at its input, see an
advisory and the design answers of `vorta design`, add a layer, save a new project file and check it
with `vorta check`.

    python3 test_page.py --vorta PATH/TO/vorta

Exits with 77 (skipped) when no browser, driver or selenium is there.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
VORTA = None

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:  # pragma: no cover - depends on the machine
    webdriver = None


def report_last_rows(report):
    """The last row (skin friction, tip, ultimate) of every capacity table of a report."""
    rows, tables = [], []
    for line in report.splitlines():
        numbers = re.fullmatch(r"\s+(-?\d+\.\d\d)\s+(-?\d+\.\d)\s+(-?\d+\.\d)\s+(-?\d+\.\d)\*?\s*", line)
        if numbers:
            rows.append(tuple(float(v) for v in numbers.groups()[1:]))
        elif rows:
            tables.append(rows[-1])
            rows = []
    return tables


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="vorta-page-")
        for example in ("closed-pipe-si", "timber-pile-tension"):
            shutil.copytree(os.path.join(SOURCE, "examples", example), os.path.join(cls.folder, example))
        cls.server = subprocess.Popen([VORTA, "serve", cls.folder, "--port", "0"], stdout=subprocess.PIPE, text=True)
        cls.address = cls.server.stdout.readline().strip()
        options = Options()
        for flag in ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                     "--disable-background-networking --disable-component-update --disable-sync").split():
            options.add_argument(flag)
        options.add_argument("--window-size=1280,900")
        options.add_argument("--user-data-dir=" + tempfile.mkdtemp(prefix="vorta-chromium-"))
        options.binary_location = CHROMIUM
        cls.browser = webdriver.Chrome(service=Service(DRIVER), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.server.terminate()
        cls.server.wait(timeout=10)
        shutil.rmtree(cls.folder, ignore_errors=True)

    def open(self, query="?file=closed-pipe-si/project.toml"):
        self.browser.get(self.address + query)
        self.wait_for_run()

    def wait_for_run(self, before=None):
        """Waits for the answer of a run after `before` (the run-state text then) has gone."""
        def done(b):
            state = b.find_element(By.ID, "run-state")
            text = state.text
            return "running" not in state.get_attribute("class") and text and text != before and not text.startswith("Opening")
        WebDriverWait(self.browser, 15, poll_frequency=0.05).until(done)
        return self.browser.find_element(By.ID, "run-state").text

    def tab(self, name):
        self.browser.find_element(By.ID, "tab-" + name).click()

    def type_into(self, name, text):
        field = self.browser.find_element(By.NAME, name)
        before = self.browser.execute_script("return window.vorta.state.runNumber")
        field.clear()
        field.send_keys(text)
        WebDriverWait(self.browser, 15, poll_frequency=0.05).until(
            lambda b: b.execute_script("return window.vorta.state.runNumber") > before
            and "running" not in b.find_element(By.ID, "run-state").get_attribute("class"))
        return field

    def summary(self):
        rows = self.browser.find_elements(By.CSS_SELECTOR, "#summary-table tbody tr")
        return [tuple(float(td.text.rstrip(" *")) for td in r.find_elements(By.TAG_NAME, "td")) for r in rows]

    def test_edits_give_the_numbers_of_a_command_line_run(self):
        self.open()
        first = self.summary()
        chart_before = self.browser.find_element(By.CSS_SELECTOR, "figure[data-chart=ultimate] path").get_attribute("d")
        self.tab("pile")
        self.type_into("pile.length", "20.5")
        self.tab("soil")
        self.type_into("layers[2].shear_strength", "30 / 48")
        shown = self.summary()
        self.assertNotEqual(shown, first)
        self.assertNotEqual(self.browser.find_element(By.CSS_SELECTOR, "figure[data-chart=ultimate] path").get_attribute("d"),
                            chart_before)

        analysis = self.browser.execute_script("return window.vorta.clone()")
        self.assertEqual(analysis["pile"]["length"], 20.5)
        self.assertEqual(analysis["layers"][1]["shear_strength"], [30, 48])
        work = tempfile.mkdtemp(prefix="vorta-cli-")
        with open(os.path.join(work, "edited.json"), "w") as f:
            json.dump(analysis, f)
        subprocess.run([VORTA, "convert", "edited.json", "-o", "edited.toml"], cwd=work, check=True, capture_output=True)
        subprocess.run([VORTA, "run", "edited.toml"], cwd=work, check=True, capture_output=True)
        with open(os.path.join(work, "edited.out")) as f:
            cli = report_last_rows(f.read())
        shutil.rmtree(work)
        self.assertEqual(len(cli), len(shown))
        for page_row, cli_row in zip(shown, cli):
            for a, b in zip(page_row, cli_row):
                self.assertAlmostEqual(a, b, delta=0.051)
        # The chart is drawn from the same numbers: the last point of each method's ultimate capacity.
        series = self.browser.execute_script(
            "return window.vorta.state.result.charts[0].charts.find(c => c.id === 'ultimate').series"
            ".map(s => s.points[s.points.length - 1])")
        for (ultimate, length), cli_row in zip(series, cli):
            self.assertAlmostEqual(ultimate, cli_row[2], delta=0.051)
            self.assertAlmostEqual(length, 19.0, delta=1e-9)

    def test_design_loads_give_the_lengths_of_vorta_design_and_advisories_show(self):
        # The timber pile in tension takes its water table from a unit weight: an advisory, not a stop.
        self.open("?file=timber-pile-tension/project.toml")
        self.tab("problems")
        self.assertIn("water table", self.browser.find_element(By.ID, "problem-list").text)
        self.assertIn("advisory", self.browser.find_element(By.CSS_SELECTOR, "#problem-list .severity").text.lower())
        self.tab("methods")
        self.type_into("design.loads", "20 40")
        self.tab("design")
        rows = [[c.text for c in r.find_elements(By.CSS_SELECTOR, "th, td")]
                for r in self.browser.find_elements(By.CSS_SELECTOR, "#design-table tbody tr")]
        cli = json.loads(subprocess.run([VORTA, "design", "project.toml", "--load", "20", "--load", "40", "--json"],
                                        cwd=os.path.join(self.folder, "timber-pile-tension"), check=True,
                                        capture_output=True, text=True).stdout)
        self.assertEqual(len(rows), len(cli))
        for row, answer in zip(rows, cli):
            self.assertEqual(row[0], answer["method"].replace("_", " "))
            self.assertEqual(float(row[1]), answer["load"])
            if answer["embedded_length"] is None:
                self.assertIn("not reached within the pile", row[5])
            else:
                self.assertAlmostEqual(float(row[3]), answer["embedded_length"], delta=0.0051)

    def test_a_value_out_of_range_is_marked_at_its_input(self):
        self.open()
        self.tab("pile")
        field = self.type_into("pile.length", "5000")
        WebDriverWait(self.browser, 10, poll_frequency=0.05).until(lambda b: field.get_attribute("aria-invalid") == "true")
        message = self.browser.find_element(By.CSS_SELECTOR, "[data-path='pile.length'] .msg")
        self.assertIn("outside the allowed range", message.text)
        self.assertIn("has-problem", self.browser.find_element(By.ID, "tab-pile").get_attribute("class"))
        field = self.type_into("pile.length", "25")
        self.assertIsNone(field.get_attribute("aria-invalid"))

    def test_a_pasted_sounding_fills_the_cpt_table_and_arrows_move_between_rows(self):
        self.open()
        self.tab("cpt")
        before = self.browser.execute_script("return window.vorta.state.runNumber")
        self.browser.execute_script(
            "const t = new DataTransfer(); t.setData('text/plain', 'depth\\tqc\\n0.5\\t1500\\n2,2500\\n4.5; 3600\\n');"
            "document.querySelector('textarea.paste').dispatchEvent(new ClipboardEvent('paste', {clipboardData: t, bubbles: true}));")
        WebDriverWait(self.browser, 10, poll_frequency=0.05).until(
            lambda b: b.execute_script("return window.vorta.state.runNumber") > before)
        self.assertEqual(self.browser.execute_script("return window.vorta.state.analysis.cpt.points"),
                         [[0.5, 1500], [2, 2500], [4.5, 3600]])
        self.assertEqual(self.browser.find_element(By.NAME, "cpt.points[3][2]").get_attribute("value"), "3600")
        self.tab("soil")
        self.browser.find_element(By.NAME, "layers[1].friction_angle").click()
        self.browser.switch_to.active_element.send_keys(Keys.ARROW_DOWN)
        self.assertEqual(self.browser.switch_to.active_element.get_attribute("name"), "layers[2].friction_angle")
        self.browser.switch_to.active_element.send_keys(Keys.ENTER)
        self.assertEqual(self.browser.switch_to.active_element.get_attribute("name"), "layers[3].friction_angle")

    def test_a_layer_is_added_and_the_analysis_saved_as_a_new_project_file(self):
        self.open()
        self.tab("soil")
        rows = len(self.browser.find_elements(By.CSS_SELECTOR, "table.soil tbody tr"))
        self.browser.find_element(By.ID, "add-layer").click()
        WebDriverWait(self.browser, 10, poll_frequency=0.05).until(
            lambda b: len(b.find_elements(By.CSS_SELECTOR, "table.soil tbody tr")) == rows + 1)
        self.assertEqual(self.browser.find_element(By.NAME, "layers[%d].top" % (rows + 1)).get_attribute("value"), "30")
        self.assertEqual(len(self.browser.find_elements(By.CSS_SELECTOR, "#profile-figure rect.layer")), rows + 1)

        self.browser.find_element(By.ID, "save-as-button").click()
        name = self.browser.find_element(By.ID, "save-name")
        name.clear()
        name.send_keys("closed-pipe-si/with-a-layer.toml")
        self.browser.find_element(By.ID, "save-confirm").click()
        WebDriverWait(self.browser, 10, poll_frequency=0.05).until(lambda b: b.find_element(By.ID, "run-state").text.startswith("Saved"))
        saved = os.path.join(self.folder, "closed-pipe-si", "with-a-layer.toml")
        check = subprocess.run([VORTA, "check", saved], capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stderr)
        self.assertIn("no problems found", check.stdout)
        with open(saved) as f:
            self.assertEqual(f.read().count("[[layers]]"), rows + 1)
        self.assertIn("with-a-layer.toml", self.browser.current_url)


def main():
    global VORTA
    args = sys.argv[1:]
    if "--vorta" in args:
        i = args.index("--vorta")
        VORTA = os.path.abspath(args[i + 1])
        del args[i:i + 2]
    if not VORTA or not os.path.exists(VORTA):
        print("the page tests need --vorta PATH (a build with vorta serve)")
        return 2
    missing = [what for what, ok in (("selenium (python3-selenium)", webdriver is not None),
                                     ("chromium", os.path.exists(CHROMIUM)),
                                     ("chromedriver (chromium-driver)", os.path.exists(DRIVER))) if not ok]
    if missing:
        print("skipped: no " + ", ".join(missing) + " on this machine")
        return SKIP
    result = unittest.main(argv=[sys.argv[0]] + args, exit=False).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
