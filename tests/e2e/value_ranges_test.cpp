// Values out of range in whole runs: the example analyses with one or two numbers replaced by an
// extreme or a slip of the keyboard stop with status 1 and a message naming every such value, where
// it was given and its allowed range, as the report's other stops do; vorta check finds the same.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

// An example's input data file and CPT file with numbers replaced: value `index` (from 1) of line
// `line` (from 1) of the deck, or of the CPT file when `inCpt`.
struct Replacement {
    bool inCpt;
    int line;
    int index;
    const char* text;
};

std::string replaced(const std::string& text, const Replacement& r) {
    std::vector<std::string> lines = test::splitLines(text);
    std::istringstream in(lines.at(static_cast<std::size_t>(r.line - 1)));
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    words.at(static_cast<std::size_t>(r.index - 1)) = r.text;
    std::string line;
    for (const std::string& w : words) line += (line.empty() ? "" : " ") + w;
    lines[static_cast<std::size_t>(r.line - 1)] = line;
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

struct ExampleRun {
    RunStatus status = kRunCompleted;
    std::string report;
    std::vector<std::string> messages;
    AnalysisResult result;
    CheckOutcome check;
};

ExampleRun runExample(const std::string& example, const std::vector<Replacement>& replacements) {
    const fs::path folder = test::sourcePath("examples/" + example);
    std::string deck = test::readFile(folder / "input.dat");
    std::string cpt = test::readFile(folder / "sounding.cpt");
    for (const Replacement& r : replacements) (r.inCpt ? cpt : deck) = replaced(r.inCpt ? cpt : deck, r);
    test::TempDir dir("value-ranges");
    test::writeFile(dir / "case.dat", deck);
    test::writeFile(dir / "case.cpt", cpt);
    ExampleRun run;
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.clock = test::kFixedClock;
    options.result = &run.result;
    run.status = runOnFiles({dir / "case.dat", dir / "case.out", dir / "case.plt", dir / "case.cpt", "E2E"}, options);
    run.report = test::readFile(dir / "case.out");
    run.messages = run.result.messages;
    std::istringstream d(deck);
    std::istringstream c(cpt);
    run.check = checkAnalysis(readInputDeck(d, "case.dat", c, "case.cpt"), ValueSource::InputDeck);
    return run;
}

// The stop message of one value, as the report writes it.
std::string stopMessage(const std::string& value, const std::string& place, const std::string& range) {
    return "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE " + value + "\n          GIVEN AT " + place +
           "\n          IS OUTSIDE THE ALLOWED RANGE " + range + "\n";
}

struct Stop {
    const char* example;
    std::vector<Replacement> replacements;
    std::vector<std::string> messages;  // in the report's words, in order
};

// The values of the issue that once completed with NaN or Infinity in a table, and a few more.
const Stop kStops[] = {
    {"closed-pipe-si",
     {{false, 15, 14, "-1E+308"}},
     {stopMessage("RESIDUAL RATIO -1E+308", "SOIL POINT 3, COLUMN 19", "0 TO 5")}},
    {"closed-pipe-si",
     {{false, 5, 5, "1E-308"}},
     {stopMessage("PILE ELASTIC MODULUS 1E-308 KPA", "RECORD 5, VALUE 5", "70000 TO 700000000 KPA, OR 0 (NOT GIVEN)")}},
    {"closed-pipe-si",
     {{true, 12, 1, "1E+308"}},
     {stopMessage("CPT DEPTH 1E+308 M", "CPT POINT 11 (CPT FILE, VALUE 1 OF A POINT)", "0 TO 1000 M")}},
    {"h-pile-clay-silt-sand",
     {{false, 5, 2, "1E+308"}, {false, 18, 4, "2147483647"}},
     {stopMessage("PILE TIP AREA 1E+308 IN2", "RECORD 5, VALUE 2", "0 TO 150000 IN2"),
      stopMessage("EFFECTIVE UNIT WEIGHT 2147483647 PCF", "SOIL POINT 5, COLUMN 3", "0 TO 300 PCF")}},
    {"h-pile-clay-silt-sand",
     {{false, 23, 4, "9999999"}},  // a sand's blow count, in column 9
     {stopMessage("BLOW COUNT OR YIELD STRESS RATIO 9999999", "SOIL POINT 7, COLUMN 9", "0 TO 1000")}},
};

TEST(ValuesOutOfRange, StopTheRunWithEveryValueItsPlaceAndRange) {
    for (const Stop& stop : kStops) {
        SCOPED_TRACE(stop.messages.front());
        const ExampleRun r = runExample(stop.example, stop.replacements);
        EXPECT_EQ(r.status, kRunStoppedOnInput);
        std::string expected;
        for (const std::string& m : stop.messages) expected += m;
        EXPECT_NE(r.report.find("Time:  09:07:03\n" + expected), std::string::npos) << r.report;
        EXPECT_EQ(r.report.find("INPUT INFORMATION"), std::string::npos);
        EXPECT_EQ(r.messages.size(), stop.messages.size());
        // vorta check lists the same values, in the same words.
        EXPECT_EQ(r.check.status, kRunStoppedOnInput);
        EXPECT_EQ(r.check.problems, r.messages);
    }
}

TEST(ValuesOutOfRange, AValueTheInputChecksStopOnIsReportedOnce) {
    // A negative strength has the message of its own; the range check does not repeat it.
    const ExampleRun r = runExample("h-pile-clay-silt-sand", {{false, 15, 3, "-600"}});
    EXPECT_EQ(r.status, kRunStoppedOnInput);
    ASSERT_EQ(r.messages.size(), 1u) << r.report;
    EXPECT_EQ(r.messages[0], "COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT  3 HAS A NEGATIVE UNDISTURBED SHEAR STRENGTH");
}

// Every number of a completed run's tables, curves and load steps is finite.
bool allFinite(const AnalysisResult& result) {
    for (const MethodTable& t : result.tables) {
        for (const CapacityRow& row : t.rows) {
            for (double v : {row.skinFriction, row.tipResistance, row.ultimateCapacity, row.unitFriction}) {
                if (!std::isfinite(v)) return false;
            }
        }
    }
    for (const TransferCurve& c : result.layerCurves) {
        for (const CurvePoint& p : c.points) {
            if (!std::isfinite(p.load) || !std::isfinite(p.movement)) return false;
        }
    }
    return true;
}

TEST(ValuesOutOfRange, AModulusWrittenAsMinusZeroIsNoModulus) {
    // -0 once turned the Revised Lambda table to NaN (a compressibility of minus infinity under a
    // logarithm). Like 0 it is a pile without a modulus: the tables are computed, the
    // load-settlement curve is not.
    for (const char* modulus : {"-0", "0"}) {
        SCOPED_TRACE(modulus);
        const ExampleRun r = runExample("h-pile-clay-silt-sand", {{false, 5, 5, modulus}});
        ASSERT_EQ(r.status, kRunCompleted) << r.report;
        EXPECT_NE(r.report.find("LAMBDA 2 METHOD"), std::string::npos);
        EXPECT_NE(r.report.find("THE LOAD-SETTLEMENT CURVE IS NOT COMPUTED"), std::string::npos);
        EXPECT_TRUE(allFinite(r.result));
    }
}

}  // namespace
}  // namespace vorta
