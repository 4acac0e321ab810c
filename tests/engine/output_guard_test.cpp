// The last guard of a run's output: a record that holds a number that is not finite is never
// written, not even in part where the gathered text is handed on; the writers it watches stop; the
// run ends with status 1 and a message naming the curve or table and the row, which the mutation
// runs and the fuzz target recognise.
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

// Records of 33 characters and a line end: the 59th (from byte 1972) crosses the end of the
// 2000-byte gathering buffer at its last field. A NaN before that point, in the field that crosses
// it, or in a record that crosses nothing leaves exactly the records before it, in both writers.
TEST(OutputGuard, TakesBackTheWholeRecordAndStopsEveryWriterItWatches) {
    for (int refused : {59, 30}) {
        for (int field : {0, 2}) {
            std::ostringstream gatheredFile, plainFile;
            RecordWriter gathered, plain(&plainFile);
            NonFiniteGuard guard;
            std::string expected;
            {
                const RecordWriter::FileAttachment attachment(gathered, gatheredFile);
                guard.watch({&gathered, &plain});
                gathered.section("T-Z CURVE", {}, 3);
                for (int k = 1; k <= 70; ++k) {
                    double values[3] = {0.25 * k, 0.5 * k, 0.75 * k};
                    if (k == refused) values[field] = kNaN;
                    gathered.write("(I6,3F9.2)", k, values[0], values[1], values[2]);
                    plain.write("(I6)", k);
                    if (k < refused) expected += format("(I6,3F9.2)", k, values[0], values[1], values[2]) + "\n";
                }
            }
            EXPECT_EQ(gatheredFile.str(), expected) << refused << " " << field;
            EXPECT_EQ(test::splitLines(plainFile.str()).size(), static_cast<std::size_t>(refused - 1));
            EXPECT_EQ(guard.row, refused);
            EXPECT_EQ(guard.section.number, 3);
        }
    }
}

TEST(OutputGuard, TheRunStopsWithTheCurveAndTheRowAndTheCheckersKnowIt) {
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
    EXPECT_TRUE(checks::stoppedByFiniteGuard(result));
    s->result = nullptr;
}

}  // namespace
}  // namespace vorta
