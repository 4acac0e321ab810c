// The plot-data reader on the example analyses, and on files whose count records or length do
// not match what they hold.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "cli/chart_examples.h"
#include "input/free_format_reader.h"
#include "plot_data.h"

namespace vorta {
namespace {

using cli::PlotData;
using cli::ReportInfo;

PlotData readText(const std::string& plot, const ReportInfo* report = nullptr) {
    std::istringstream in(plot);
    return cli::readPlotData(in, "plot.plt", report);
}

ReportInfo reportOf(const std::string& text) {
    std::istringstream in(text);
    return cli::readReportInfo(in, "report.out");
}

// The message of the InputError that reading `plot` throws; empty when it reads.
std::string errorOf(const std::string& plot, const ReportInfo* report = nullptr) {
    try {
        readText(plot, report);
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
}

std::vector<std::string> linesOf(const std::string& text) { return test::splitLines(text); }

std::string joined(const std::vector<std::string>& lines, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count && i < lines.size(); ++i) out += lines[i] + "\n";
    return out;
}

// The text with line `number` (1-based) replaced.
std::string withLine(const std::string& text, std::size_t number, const std::string& line) {
    std::vector<std::string> lines = linesOf(text);
    lines.at(number - 1) = line;
    return joined(lines, lines.size());
}

class OpenPipeFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        test::ExampleRun run = test::runExample("open-pipe-sand-over-clay");
        ASSERT_EQ(run.status, kRunCompleted);
        plot_ = new std::string(test::readFile(run.plot));
        report_ = new std::string(test::readFile(run.report));
    }
    static void TearDownTestSuite() {
        delete plot_;
        delete report_;
    }
    static const std::string& plot() { return *plot_; }
    static const std::string& report() { return *report_; }

private:
    static inline std::string* plot_ = nullptr;
    static inline std::string* report_ = nullptr;
};

// Line numbers of the open-pipe file: header 1; three tables of 36 rows, lines 2..109; the count
// of twelve layer curves on line 110; the curves of eleven lines each, 111..242; the tip curve
// 243..252; the count of thirteen steps on 253; 13 x 36 segment records, 254..721; the
// load-settlement curve 722..734.
constexpr std::size_t kLayerCountLine = 110;
constexpr std::size_t kTipFirstLine = 243;
constexpr std::size_t kStepCountLine = 253;
constexpr std::size_t kCurveFirstLine = 722;
constexpr std::size_t kLastLine = 734;

// Every example read with its report: the blocks that its count records announce, with values
// that agree with the run's own to half their last printed digit (a column read into the wrong
// field, or a curve read with load and movement swapped, fails here). The numbers of blocks and
// points against the hand-worked expectations are checked on the chart pages.
TEST(PlotData, ValuesAgreeWithTheRunToTheirPrintedDigits) {
    const auto near = [](double printed, double exact, double halfDigit) {
        return std::fabs(printed - exact) <= halfDigit * 1.0001 + 1e-12;
    };
    // 0.dddd E+xx: half a unit of the fourth digit of a mantissa of at least 0.1, relative.
    const auto nearE = [](double printed, double exact, double relative) {
        return std::fabs(printed - exact) <= relative * std::fabs(exact) + 1e-30;
    };
    for (const test::ChartExample& ex : test::chartExamples()) {
        SCOPED_TRACE(ex.folder);
        test::ExampleRun run = test::runExample(ex.folder);
        ASSERT_EQ(run.status, kRunCompleted);
        const PlotData d = cli::readPlotData(run.plot, run.report);
        const AnalysisResult& r = run.result;
        EXPECT_TRUE(d.tablesNamed);
        EXPECT_FALSE(d.generalBlockAbsent);
        EXPECT_EQ(d.methodCount, static_cast<int>(ex.tables.size()));
        EXPECT_EQ(d.printedRowCount, ex.printedRows);
        EXPECT_EQ(d.result.unitSystem, r.unitSystem);
        EXPECT_EQ(d.result.loadTransferMethod, r.loadTransferMethod);
        // The echo prints the 72-character title line in 70 columns.
        std::string printedTitle = r.title.substr(0, 70);
        while (!printedTitle.empty() && printedTitle.back() == ' ') printedTitle.pop_back();
        EXPECT_EQ(d.result.title, printedTitle);
        EXPECT_EQ(d.result.designer, r.designer);
        EXPECT_EQ(d.result.jobNumber, r.jobNumber);
        ASSERT_EQ(d.result.tables.size(), r.tables.size());
        for (std::size_t t = 0; t < r.tables.size(); ++t) {
            // The plot data hold the printed rows of the run's tables, which hold every row.
            std::vector<CapacityRow> printed;
            for (const CapacityRow& row : r.tables[t].rows) {
                if (row.printed) printed.push_back(row);
            }
            ASSERT_EQ(d.result.tables[t].rows.size(), printed.size());
            EXPECT_EQ(d.result.tables[t].selection, r.tables[t].selection);
            EXPECT_EQ(d.result.tables[t].title, r.tables[t].title);
            EXPECT_EQ(d.result.tables[t].tension, r.tables[t].tension);
            EXPECT_EQ(d.result.tables[t].battered, r.tables[t].battered);
            EXPECT_EQ(d.result.tables[t].plugColumn, r.tables[t].plugColumn);
            for (std::size_t k = 0; k < printed.size(); ++k) {
                const CapacityRow& a = d.result.tables[t].rows[k];
                const CapacityRow& b = printed[k];
                EXPECT_TRUE(near(a.pileLength, b.pileLength, 0.005)) << k;   // F7.2
                EXPECT_TRUE(near(a.skinFriction, b.skinFriction, 0.05)) << k;  // F8.1
                EXPECT_TRUE(near(a.tipResistance, b.tipResistance, 0.05)) << k;
                EXPECT_TRUE(near(a.ultimateCapacity, b.ultimateCapacity, 0.05)) << k;  // F9.1
                EXPECT_TRUE(near(a.unitFriction, b.unitFriction, 0.0005)) << k;        // F9.3
            }
        }
        ASSERT_EQ(d.result.layerCurves.size(), r.layerCurves.size());
        for (std::size_t c = 0; c < r.layerCurves.size(); ++c) {
            EXPECT_EQ(d.result.layerCurves[c].number, static_cast<int>(c + 1));
            ASSERT_EQ(d.result.layerCurves[c].points.size(), r.layerCurves[c].points.size());
            EXPECT_TRUE(nearE(d.result.layerCurves[c].depth, r.layerCurves[c].depth, 5e-4));
            for (std::size_t i = 0; i < 10; ++i) {
                EXPECT_TRUE(nearE(d.result.layerCurves[c].points[i].load, r.layerCurves[c].points[i].load, 5e-4));
                EXPECT_TRUE(
                    nearE(d.result.layerCurves[c].points[i].movement, r.layerCurves[c].points[i].movement, 5e-4));
            }
        }
        ASSERT_EQ(d.result.tipCurve.size(), r.tipCurve.size());
        for (std::size_t i = 0; i < r.tipCurve.size(); ++i) {
            EXPECT_TRUE(nearE(d.result.tipCurve[i].load, r.tipCurve[i].load, 5e-4));
            EXPECT_TRUE(nearE(d.result.tipCurve[i].movement, r.tipCurve[i].movement, 5e-4));
        }
        ASSERT_EQ(d.result.loadSteps.size(), r.loadSteps.size());
        for (std::size_t j = 0; j < r.loadSteps.size(); ++j) {
            const LoadStep& a = d.result.loadSteps[j];
            const LoadStep& b = r.loadSteps[j];
            EXPECT_TRUE(nearE(a.topLoad, b.topLoad, 5e-4));
            EXPECT_TRUE(nearE(a.topMovement, b.topMovement, 5e-4));
            EXPECT_TRUE(nearE(a.tipLoad, b.tipLoad, 5e-4));
            EXPECT_TRUE(nearE(a.tipMovement, b.tipMovement, 5e-4));
            ASSERT_EQ(a.distribution.size(), b.distribution.size());
            for (std::size_t m = 0; m < b.distribution.size(); ++m) {  // E10.3: three digits
                EXPECT_TRUE(nearE(a.distribution[m].distanceFromHead, b.distribution[m].distanceFromHead, 5e-3));
                EXPECT_TRUE(nearE(a.distribution[m].axialLoad, b.distribution[m].axialLoad, 5e-3));
                EXPECT_TRUE(nearE(a.distribution[m].movement, b.distribution[m].movement, 5e-3));
            }
        }
        ASSERT_EQ(d.result.verificationCurves.size(), r.verificationCurves.size());
        for (std::size_t c = 0; c < r.verificationCurves.size(); ++c) {
            EXPECT_EQ(d.result.verificationCurves[c].number, r.verificationCurves[c].number);
        }
    }
}

// Values worked by hand from the open pipe's input (those read off its report are held against the
// run above and by the checked-in plot-data file).
TEST_F(OpenPipeFiles, RecordsLandInTheirFields) {
    const ReportInfo info = reportOf(report());
    const PlotData d = readText(plot(), &info);
    // Second layer curve: 4.025 ft down (5 ft stickup, sand from 0 to 8 ft: the middle slot at
    // 0.5 (1.1 + 12*0 + 12*8 - 0.5) = 48.3 in = 4.025 ft).
    EXPECT_DOUBLE_EQ(d.result.layerCurves[1].depth, 4.025);
    // The tip segment of a step lies half a segment above the tip: 75 ft of pile in 36 segments,
    // 75 - 0.5 * 75 / 36 = 73.958 ft from the head, printed E10.3 as 0.740E+02; the top segment
    // 0.5 * 75 / 36 = 1.0417 ft as 0.104E+01.
    EXPECT_DOUBLE_EQ(d.result.loadSteps[0].distribution.front().distanceFromHead, 74.0);
    EXPECT_DOUBLE_EQ(d.result.loadSteps[0].distribution.back().distanceFromHead, 1.04);
}

TEST_F(OpenPipeFiles, WithoutTheReportTheTablesAreUnnamed) {
    const PlotData d = readText(plot());
    EXPECT_FALSE(d.tablesNamed);
    ASSERT_EQ(d.result.tables.size(), 3u);
    EXPECT_EQ(d.result.tables[0].selection, 0);
    EXPECT_TRUE(d.result.tables[0].title.empty());
    EXPECT_TRUE(d.result.title.empty());
    EXPECT_EQ(d.result.layerCurves.size(), 12u);
}

// The general method selected without user values anywhere: the header counts it, the file has
// no block for it. The open-pipe input with methodSelected(5) = 1.
TEST(PlotData, GeneralMethodCountedWithoutItsBlock) {
    std::string input = test::readFile(test::sourcePath("examples/open-pipe-sand-over-clay/input.dat"));
    const std::string flags = "1 1 0 1 0 0 0 0 0\n";
    const std::size_t at = input.find(flags);
    ASSERT_NE(at, std::string::npos);
    input.replace(at, flags.size(), "1 1 0 1 1 0 0 0 0\n");
    const test::RunResult run =
        test::runOnTexts(input, test::readFile(test::sourcePath("examples/open-pipe-sand-over-clay/sounding.cpt")));
    ASSERT_EQ(run.status, kRunCompleted);
    ASSERT_EQ(linesOf(run.plot).at(0).substr(0, 12), "           4");  // four methods counted

    const ReportInfo info = reportOf(run.report);
    ASSERT_EQ(info.tables.size(), 3u);  // no GENERAL METHOD table
    const PlotData named = readText(run.plot, &info);
    EXPECT_EQ(named.methodCount, 4);
    EXPECT_TRUE(named.generalBlockAbsent);
    ASSERT_EQ(named.result.tables.size(), 3u);
    EXPECT_EQ(named.result.tables[0].title, "FED. HWY. METHOD");
    EXPECT_EQ(named.result.layerCurves.size(), 12u);
    EXPECT_EQ(named.result.loadSteps.size(), 13u);

    const PlotData unnamed = readText(run.plot);
    EXPECT_TRUE(unnamed.generalBlockAbsent);
    EXPECT_EQ(unnamed.result.tables.size(), 3u);
    EXPECT_EQ(unnamed.result.loadSteps.size(), 13u);
}

// A count record changed: the error names the line, the record and what was expected there.
TEST_F(OpenPipeFiles, EveryWrongCountIsNamedAtItsLine) {
    ASSERT_EQ(linesOf(plot()).at(kLayerCountLine - 1), "          12");
    ASSERT_EQ(linesOf(plot()).at(kStepCountLine - 1), "          13");
    const ReportInfo info = reportOf(report());
    const auto header = [](const std::string& methods, const std::string& rows) {
        return std::string(12 - methods.size(), ' ') + methods + std::string(12 - rows.size(), ' ') + rows +
               "           1           1";
    };
    const auto at = [](std::size_t line, const std::string& what) {
        return "plot.plt, line " + std::to_string(line) + " (" + what + ")";
    };
    struct Case {
        std::size_t line;
        std::string replacement;
        bool withReport;
        std::vector<std::string> fragments;
    };
    const Case cases[] = {
        // A header that counts the general method, with a report that prints its table: one block
        // per table is expected, so a missing general block is an error there.
        {1, header("5", "36"), true, {"plot.plt, line 1", "counts 5 methods", "prints 3 capacity tables"}},
        {1, header("2", "36"), true, {"plot.plt, line 1"}},
        // Without the report: two counted, three blocks: the third block stands where the layer
        // curve count belongs; five counted: one block may be missing (the general method), two
        // may not.
        {1, header("2", "36"), false, {"line 74 (count record of the layer t-z curves)"}},
        {1, header("5", "36"), false, {"line 110 (row 1 of capacity table 4)", "found \"12\""}},
        // No printed rows (every run prints the row at the ground surface); three numbers.
        {1, header("3", "0"), false, {"line 1 (header record): expected a printed row count of at least 1"}},
        {1, "           3          36           1", false, {"line 1 (header record): expected four integers"}},
        // 37 rows: row 37 of table 1 is the first row of table 2, at 0.00 ft after 70.00 ft.
        {1, header("3", "37"), false, {at(38, "row 37 of capacity table 1"), "must not decrease"}},
        // 35 rows: table 2 would start at the last row of table 1, 70.00 ft; with the report, the
        // row count of its tables disagrees first.
        {1, header("3", "35"), false, {at(37, "row 1 of capacity table 2"), "pile length 0.00"}},
        {1, header("3", "35"), true, {"prints 36 rows"}},
        // Thirteen layer curves: the tip curve's first point stands where curve 13 should begin;
        // eleven: the record of curve 12 stands where the tip curve should begin.
        {kLayerCountLine, "13", false, {at(kTipFirstLine, "layer t-z curve 13"), "expected a curve record of three values"}},
        {kLayerCountLine, "11", false, {at(kLayerCountLine + 1 + 11 * 11, "tip curve point 1")}},
        {kLayerCountLine, "-1", false, {"cannot be negative"}},
        {kLayerCountLine, "12.0", false, {"expected one integer"}},
        // Fourteen steps: the load-settlement curve (four numbers) stands where step 14 begins;
        // twelve: step 13's first segment (three numbers) stands where the curve begins.
        {kStepCountLine, "14", false, {at(kCurveFirstLine, "load step 14, segment 1 from the tip")}},
        {kStepCountLine, "12", false, {at(kCurveFirstLine - 36, "load-settlement record 1"), "four numbers"}},
    };
    for (const Case& k : cases) {
        const std::string e = errorOf(withLine(plot(), k.line, k.replacement), k.withReport ? &info : nullptr);
        EXPECT_NE(e, "") << "line " << k.line << ": " << k.replacement;
        for (const std::string& f : k.fragments) EXPECT_NE(e.find(f), std::string::npos) << f << "\n" << e;
    }
}

TEST_F(OpenPipeFiles, EveryTruncationIsAnError) {
    const std::vector<std::string> lines = linesOf(plot());
    ASSERT_EQ(lines.size(), kLastLine);
    EXPECT_EQ(errorOf(plot()), "");
    // The file cut after any whole line short of the last: the first missing line is named.
    for (std::size_t kept = 1; kept < lines.size(); ++kept) {
        const std::string e = errorOf(joined(lines, kept));
        ASSERT_NE(e.find("plot.plt, line " + std::to_string(kept + 1) + " ("), std::string::npos) << kept << ": " << e;
        ASSERT_NE(e.find("the file ends where"), std::string::npos) << kept << ": " << e;
    }
    // The last line cut in the middle of its third field.
    const std::string& last = lines.back();
    const std::string cut = joined(lines, lines.size() - 1) + last.substr(0, 40) + "\n";
    const std::string e = errorOf(cut);
    EXPECT_NE(e.find("line 734 (load-settlement record 13): expected a load-settlement record of four numbers"),
              std::string::npos)
        << e;
    // An empty file: the run stopped before it wrote anything.
    EXPECT_NE(errorOf("").find("empty"), std::string::npos);
}

TEST_F(OpenPipeFiles, FieldOverflowIsNotReadAsANumber) {
    std::string e = errorOf(withLine(plot(), 37, "    70.00     464.5      72.4  ********      2.199"));
    EXPECT_NE(e.find("line 37 (row 36 of capacity table 1)"), std::string::npos) << e;
    EXPECT_NE(e.find("too large for its field"), std::string::npos) << e;
}

TEST_F(OpenPipeFiles, RecordsAfterTheLastBlockAreAnError) {
    // After the load-settlement curve only verification curves may follow, behind their count.
    std::string e = errorOf(plot() + "  1  2  3\n");
    EXPECT_NE(e.find("line 735 (count record of the verification t-z curves)"), std::string::npos) << e;
    e = errorOf(plot() + "0\n5\n");
    EXPECT_NE(e.find("line 736 (after the last block): expected the end of the file"), std::string::npos) << e;
    // Blank lines at the end are harmless.
    EXPECT_EQ(errorOf(plot() + "\n\n"), "");
    // Windows line ends read the same.
    std::string crlf;
    for (const std::string& line : linesOf(plot())) crlf += line + "\r\n";
    EXPECT_EQ(readText(crlf).result.loadSteps.size(), 13u);
}

TEST_F(OpenPipeFiles, ReportOfAnotherRunIsRefused) {
    // Closed pipe in SI: six tables against three blocks.
    test::ExampleRun si = test::runExample("closed-pipe-si");
    const ReportInfo siReport = cli::readReportInfo(si.report);
    std::string e = errorOf(plot(), &siReport);
    EXPECT_NE(e.find("not of this run"), std::string::npos) << e;
    // Tapered monotube: the same three methods, 41 rows against 36.
    test::ExampleRun tapered = test::runExample("tapered-monotube");
    const ReportInfo taperedReport = cli::readReportInfo(tapered.report);
    e = errorOf(plot(), &taperedReport);
    EXPECT_NE(e.find("prints 41 rows"), std::string::npos) << e;
    // Battered pile: the same methods, 31 rows, but a different plot file: lengths are compared.
    test::ExampleRun battered = test::runExample("battered-pipe-pile");
    const ReportInfo batteredReport = cli::readReportInfo(battered.report);
    e = errorOf(withLine(test::readFile(battered.plot), 3, "     3.00       0.0       0.0        0.0      0.000"),
                &batteredReport);
    EXPECT_NE(e.find("line 3 (row 2 of capacity table 1 (FED. HWY. METHOD))"), std::string::npos) << e;
    EXPECT_NE(e.find("differs from row 2 of the report"), std::string::npos) << e;
    // A report with no input echo.
    EXPECT_THROW(reportOf("nothing here\n"), InputError);
}

TEST(PlotData, VerificationCurveNumbersMustIncrease) {
    test::ExampleRun run = test::runExample("verification-curves-and-modifiers");
    const std::string plot = test::readFile(run.plot);
    const std::vector<std::string> lines = linesOf(plot);
    // The three verification curves are the last 33 lines: numbers 1, 2 and 3 (the 60 ft depth,
    // number 4, is outside the profile). Renumber the second as 1.
    const std::size_t second = lines.size() - 22 + 1;  // 1-based line of curve 2's record
    ASSERT_EQ(lines.at(second - 1).substr(0, 13), "            2");
    std::string e = errorOf(withLine(plot, second, "            1         10      0.1800E+02"));
    EXPECT_NE(e.find("verification t-z curve 2"), std::string::npos) << e;
    EXPECT_NE(e.find("must increase"), std::string::npos) << e;
    // A point count of zero.
    e = errorOf(withLine(plot, second, "            2          0      0.1800E+02"));
    EXPECT_NE(e.find("point count of at least 1"), std::string::npos) << e;
}

}  // namespace
}  // namespace vorta
