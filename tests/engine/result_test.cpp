// The in-memory results of a run hold the numbers that the report prints.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "report/fortran_format.h"
#include "support/test_support.h"
#include "vorta/vorta.h"

namespace vorta {
namespace {

// An example's input data file and CPT file run with the fixed clock.
test::RunResult runExample(const std::string& folder) {
    const std::filesystem::path source = test::sourcePath("examples/" + folder);
    return test::runOnTexts(test::readFile(source / "input.dat"), test::readFile(source / "sounding.cpt"));
}

// Every printed line, written again from the in-memory values, is found in the report in order.
void expectLinesInOrder(const std::string& text, const std::vector<std::string>& lines) {
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::size_t at = text.find("\n" + line + "\n", from);
        ASSERT_NE(at, std::string::npos) << "not in the report after offset " << from << ": [" << line << "]";
        from = at + line.size();
    }
}

TEST(InMemoryResult, TablesCurvesAndLoadStepsMatchTheReport) {
    const test::RunResult run = runExample("open-pipe-sand-over-clay");
    ASSERT_EQ(run.status, kRunCompleted);
    const AnalysisResult& r = run.result;
    EXPECT_EQ(r.status, kRunCompleted);
    EXPECT_EQ(r.unitSystem, 1);
    EXPECT_FALSE(r.title.empty());
    EXPECT_EQ(r.title.back() == ' ', false);  // trailing blanks of the 72-column title are trimmed
    ASSERT_EQ(r.tables.size(), 3u);  // FHWA, USACE and API RP-2A are selected
    EXPECT_EQ(r.tables[0].title, "FED. HWY. METHOD");
    EXPECT_EQ(r.tables[2].selection, 4);

    std::vector<std::string> lines;
    for (const MethodTable& t : r.tables) {
        ASSERT_TRUE(t.plugColumn);  // open pipe, plug decided by the program
        // Every row of 70 ft in 1 ft steps; the report prints rows 1, 3, ..., 71 (output step 2).
        ASSERT_EQ(t.rows.size(), 71u);
        for (std::size_t k = 0; k < t.rows.size(); ++k) EXPECT_EQ(t.rows[k].printed, k % 2 == 0) << k;
        for (const CapacityRow& row : t.rows) {
            if (!row.printed) continue;
            lines.push_back(format("(11X,F7.2,6X,F8.1,6X,F8.1,A1,3X,F9.1,3X,F9.2)", row.pileLength, row.skinFriction,
                                   row.tipResistance, row.plugMark ? "*" : " ", row.ultimateCapacity, row.plugLength));
        }
    }
    for (const TransferCurve& c : r.layerCurves) {
        lines.push_back(format("(8X,I5,I11,E16.4)", c.number, static_cast<int>(c.points.size()), c.depth));
        for (const CurvePoint& p : c.points) lines.push_back(format("(40X,E17.4,E16.4)", p.load, p.movement));
    }
    for (const CurvePoint& p : r.tipCurve) lines.push_back(format("(E18.4,E19.4)", p.load, p.movement));
    for (const LoadStep& step : r.loadSteps) {
        lines.push_back(format("(E17.4,3E16.4)", step.topLoad, step.topMovement, step.tipLoad, step.tipMovement));
    }
    expectLinesInOrder(run.report, lines);

    EXPECT_EQ(r.tipCurve.size(), 10u);
    ASSERT_EQ(r.loadSteps.size(), 13u);  // the default list of tip movements
    EXPECT_FALSE(r.loadSteps[0].distribution.empty());
    // The plot-data file carries the same load distribution.
    const LoadStep& last = r.loadSteps.back();
    const SegmentLoad& top = last.distribution.back();
    EXPECT_NE(run.plot.find(format("(3X,E10.3,3X,E10.3,3X,E10.3)", top.distanceFromHead, top.axialLoad, top.movement)),
              std::string::npos);
    EXPECT_TRUE(r.messages.empty());
}

TEST(InMemoryResult, StopsAndFileErrorsSayWhy) {
    const test::RunResult stop = runExample("stop-profile-too-short");
    EXPECT_EQ(stop.result.status, kRunStoppedOnInput);
    ASSERT_EQ(stop.result.messages.size(), 2u);  // the console warning and the report's stop message
    EXPECT_EQ(stop.result.messages[0].rfind("COMPUTATION DOES NOT PROCEED BECAUSE NO SOIL INFORMATION", 0), 0u)
        << stop.result.messages[0];
    EXPECT_NE(stop.result.messages[1].find("DEEPEST SOIL PROFILE"), std::string::npos) << stop.result.messages[1];
    EXPECT_TRUE(stop.result.tables.empty());

    AnalysisResult missing;
    missing.tables.emplace_back();  // whatever the caller held is cleared
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.result = &missing;
    RunFiles files;
    files.input = "/nonexistent/input.dat";
    files.report = "/nonexistent/report.out";
    files.plot = "/nonexistent/plot.plt";
    EXPECT_EQ(runOnFiles(files, options), kRunFileError);
    EXPECT_EQ(missing.status, kRunFileError);
    EXPECT_TRUE(missing.tables.empty());
    ASSERT_EQ(missing.messages.size(), 1u);
    EXPECT_NE(missing.messages[0].find("the report file cannot be created"), std::string::npos);
}

}  // namespace
}  // namespace vorta
