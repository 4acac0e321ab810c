// The last guard of a run's output: a record that holds a number that is not finite is never
// written, not even in part when it straddles a hand-over of the gathered text; the writers it
// watches stop; the run ends with status 1 and a message naming the table and the row, which the
// mutation runs and the fuzz target recognise.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "engine/run_driver.h"
#include "finite_result.h"
#include "report/fortran_format.h"
#include "support/test_support.h"

namespace vorta {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(OutputGuard, RefusesTheRecordAndStopsEveryWriterItWatches) {
    std::ostringstream reportFile;
    std::ostringstream plotFile;
    RecordWriter report;
    RecordWriter plot;
    NonFiniteGuard guard;
    {
        const RecordWriter::FileAttachment gathered(report, reportFile);
        plot.attach(&plotFile);
        guard.watch({&report, &plot});
        report.write("(A)", "HEADING");
        report.section("THE TABLE OF THE ", "FED. HWY. METHOD");
        plot.section("THE TABLE OF THE ", "FED. HWY. METHOD");
        for (double skin : {1.5, 2.5, -kInfinity, 4.5}) {
            report.write("(F7.2,F8.1)", 10.0, skin);
            plot.write("(F7.2,F8.1)", 10.0, skin);
        }
        report.writeLine("after the stop");
        plot.writeFree({1, 2});
    }
    EXPECT_TRUE(guard.tripped);
    EXPECT_EQ(guard.section.title, "FED. HWY. METHOD");
    EXPECT_EQ(guard.row, 3);
    EXPECT_EQ(reportFile.str(), "HEADING\n  10.00     1.5\n  10.00     2.5\n");
    EXPECT_EQ(plotFile.str(), "  10.00     1.5\n  10.00     2.5\n");
    // The reason of the stop goes to the report again.
    report.resume();
    report.writeLine("THE REASON");
    EXPECT_EQ(reportFile.str(), "HEADING\n  10.00     1.5\n  10.00     2.5\nTHE REASON\n");
}

// Records of 33 characters and a line end: the 59th (from byte 1972) crosses the end of the
// 2000-byte gathering buffer at its last field. A NaN before that point or in the field that
// crosses it, and one in a record that crosses nothing, leave exactly the records before it.
TEST(OutputGuard, TakesBackTheWholeRecordWhereverTheGatheredTextIsHandedOn) {
    for (int refused : {59, 60, 30}) {
        for (int field : {1, 3}) {
            SCOPED_TRACE("record " + std::to_string(refused) + ", field " + std::to_string(field));
            std::ostringstream file;
            RecordWriter writer;
            NonFiniteGuard guard;
            std::string expected;
            {
                const RecordWriter::FileAttachment gathered(writer, file);
                guard.watch({&writer});
                for (int k = 1; k <= 70; ++k) {
                    double values[3] = {0.25 * k, 0.5 * k, 0.75 * k};
                    if (k == refused) values[field - 1] = kNaN;
                    writer.write("(I6,3F9.2)", k, values[0], values[1], values[2]);
                    if (k < refused) expected += formatRecords("(I6,3F9.2)", std::vector<FormatArg>{k, values[0], values[1], values[2]}) + "\n";
                }
            }
            EXPECT_EQ(file.str(), expected);
            EXPECT_EQ(guard.row, refused);
        }
    }
}

TEST(OutputGuard, AWriterWithoutAGuardWritesTheFieldAsTheRuntimeDoes) {
    std::ostringstream out;
    RecordWriter writer(&out);
    writer.write("(F8.2,E12.4)", kNaN, -kInfinity);
    EXPECT_EQ(out.str(), "     NaN   -Infinity\n");
}

TEST(OutputGuard, TheRunStopsWithTheTableAndTheRowAndTheCheckersKnowIt) {
    std::unique_ptr<AnalysisState> s = test::newState();
    AnalysisResult result;
    s->result = &result;
    std::ostringstream report;
    s->report.attach(&report);
    s->outputGuard.watch({&s->report, &s->plot});
    s->report.section("T-Z CURVE", {}, 4);
    s->report.write("(8X,I5,I11,E16.4)", 4, 10, 12.5);
    s->report.write("(40X,E17.4,E16.4)", 0.0, kNaN);
    EXPECT_EQ(stopOnNonFinite(*s), kRunStoppedOnInput);
    EXPECT_EQ(report.str(),
              "            4         10      0.1250E+02\n\n\n"
              "          COMPUTATION STOPPED BECAUSE A NUMBER THAT IS NOT FINITE (NAN OR INFINITY)\n"
              "          WOULD BE PRINTED IN ROW 2 OF T-Z CURVE 4\n"
              "          THE INPUT HOLDS VALUES THAT THE ENGINE CANNOT COMPUTE WITH\n");
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_TRUE(checks::stoppedByFiniteGuard(result));
    s->result = nullptr;
}

}  // namespace
}  // namespace vorta
