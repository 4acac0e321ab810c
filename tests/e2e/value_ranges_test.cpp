// Values out of range in whole runs: example analyses with numbers replaced by extremes stop with
// status 1 and the report's words for every such value, where it was given and its range; vorta
// check finds the same.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vorta/analysis.h"

namespace vorta {
namespace {

// Line `line` (from 1) of the deck, or of the CPT file, replaced.
struct Replacement {
    bool inCpt;
    int line;
    const char* text;
};

struct ExampleRun {
    test::RunResult run;
    CheckOutcome check;
};

ExampleRun runExample(const std::string& example, const std::vector<Replacement>& replacements) {
    std::string texts[2];
    for (int f = 0; f < 2; ++f) {
        std::vector<std::string> lines =
            test::splitLines(test::readFile(test::sourcePath("examples/" + example + (f == 0 ? "/input.dat" : "/sounding.cpt"))));
        for (const Replacement& r : replacements) {
            if (r.inCpt == (f == 1)) lines.at(static_cast<std::size_t>(r.line - 1)) = r.text;
        }
        for (const std::string& l : lines) texts[f] += l + "\n";
    }
    std::istringstream deck(texts[0]);
    std::istringstream cpt(texts[1]);
    return {test::runOnTexts(texts[0], texts[1]),
            checkAnalysis(readInputDeck(deck, "case.dat", cpt, "case.cpt"), ValueSource::InputDeck)};
}

std::string stopMessage(const std::string& value, const std::string& place, const std::string& range) {
    return "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE " + value + "\n          GIVEN AT " + place +
           "\n          IS OUTSIDE THE ALLOWED RANGE " + range + "\n";
}

// Values of the issue that once completed a run with NaN or Infinity in its tables.
TEST(ValuesOutOfRange, StopTheRunWithEveryValueItsPlaceAndRange) {
    struct Stop {
        const char* example;
        std::vector<Replacement> replacements;
        std::vector<std::string> messages;
    };
    const Stop stops[] = {
        {"closed-pipe-si", {{false, 15, " 0 0  25 12 1.5 35 0 0 0 0.70 0.60 2 5 -1E+308"}},
         {stopMessage("RESIDUAL RATIO -1E+308", "SOIL POINT 3, COLUMN 19", "0 TO 5")}},
        {"closed-pipe-si", {{true, 12, "1E+308 720"}},
         {stopMessage("CPT DEPTH 1E+308 M", "CPT POINT 11 (CPT FILE, VALUE 1 OF A POINT)", "0 TO 1000 M")}},
        {"h-pile-clay-silt-sand", {{false, 5, "57.06 203.3 14 0 1E-308 60 0"}, {false, 18, "18.0 3 0 2147483647 28 0"}},
         {stopMessage("PILE ELASTIC MODULUS 1E-308 PSI", "RECORD 5, VALUE 5", "10000 TO 100000000 PSI, OR 0 (NOT GIVEN)"),
          stopMessage("EFFECTIVE UNIT WEIGHT 2147483647 PCF", "SOIL POINT 5, COLUMN 3", "0 TO 300 PCF")}},
    };
    for (const Stop& stop : stops) {
        const ExampleRun r = runExample(stop.example, stop.replacements);
        EXPECT_EQ(r.run.status, kRunStoppedOnInput);
        std::string expected;
        for (const std::string& m : stop.messages) expected += m;
        EXPECT_NE(r.run.report.find("Time:  09:07:03\n" + expected), std::string::npos) << r.run.report;
        EXPECT_EQ(r.run.report.find("INPUT INFORMATION"), std::string::npos);
        EXPECT_EQ(r.check.status, kRunStoppedOnInput);
        EXPECT_EQ(r.check.problems.size(), stop.messages.size());
    }
    // A negative strength has a message of its own; the range check does not repeat it.
    const ExampleRun negative = runExample("h-pile-clay-silt-sand", {{false, 15, " 0 0 -600 300 0 35 0 0 0 1.0 1.0 0 0 0"}});
    EXPECT_EQ(negative.check.problems,
              std::vector<std::string>{
                  "COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT  3 HAS A NEGATIVE UNDISTURBED SHEAR STRENGTH"});
}

TEST(ValuesOutOfRange, AModulusWrittenAsMinusZeroIsNoModulus) {
    // -0 once turned the Revised Lambda table to NaN (a compressibility of minus infinity under a
    // logarithm). Like 0 it is a pile without a modulus: tables, but no load-settlement curve.
    for (const char* record5 : {"57.06 203.3 14 0 -0 60 0", "57.06 203.3 14 0 0 60 0"}) {
        const test::RunResult r = runExample("h-pile-clay-silt-sand", {{false, 5, record5}}).run;
        ASSERT_EQ(r.status, kRunCompleted) << r.report;
        EXPECT_NE(r.report.find("LAMBDA 2 METHOD"), std::string::npos);
        EXPECT_NE(r.report.find("THE LOAD-SETTLEMENT CURVE IS NOT COMPUTED"), std::string::npos);
        EXPECT_EQ(r.report.find("NaN"), std::string::npos);
    }
}

}  // namespace
}  // namespace vorta
