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
    return {test::runOnTexts(texts[0], texts[1]), checkAnalysis(test::readDeckTexts(texts[0], texts[1]), ValueSource::InputDeck)};
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
        {"closed-pipe-si", {{false, 15, " 0 0  25 12 1.5 35 0 0 0 0.70 0.60 2 5 1E+308"}},
         {stopMessage("RESIDUAL RATIO 1E+308", "SOIL POINT 3, COLUMN 19", "0 TO 5, OR -5 TO 0 (NOT GIVEN)")}},
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
    ASSERT_EQ(negative.check.problems.size(), 1u);
    EXPECT_EQ(negative.check.problems[0].message,
              "COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT  3 HAS A NEGATIVE UNDISTURBED SHEAR STRENGTH");
    EXPECT_EQ(negative.check.problems[0].path, "layers[2].shear_strength");
}

Analysis exampleModel(const std::string& example) {
    const std::string folder = "examples/" + example;
    return test::readDeckTexts(test::readFile(test::sourcePath(folder + "/input.dat")),
                               test::readFile(test::sourcePath(folder + "/sounding.cpt")));
}

// The rows of the FHWA table of a run, as printed.
std::vector<double> fhwaCapacities(const Analysis& a) {
    const test::ModelRun run = test::runModel(a);
    EXPECT_EQ(run.status, kRunCompleted) << run.report;
    std::vector<double> capacities;
    for (const MethodTable& t : run.result.tables) {
        if (t.selection != static_cast<int>(Method::Fhwa)) continue;
        for (const CapacityRow& row : t.rows) capacities.push_back(row.ultimateCapacity);
    }
    EXPECT_FALSE(capacities.empty());
    return capacities;
}

// Soil column 17 chooses the FHWA adhesion case by its integer part; an SI input data file may
// write the case in thousands (its column is read in metres by the USACE tip curve). The soft clay
// of the SI example lies under sand (the method's own choice: case 1).
TEST(ValuesWithAMeaning, TheAdhesionCaseIsChosenInBothUnitSystems) {
    struct Case {
        const char* example;
        std::vector<std::size_t> clayPoints;  // from 0
        double chosen;
        double sameAs;  // a value that chooses the same case
        double other;   // a value that chooses another
    };
    const Case cases[] = {
        {"closed-pipe-si", {2, 3}, 3000, 3, 2},
        {"closed-pipe-si", {2, 3}, 2700, 2, 3000},
        {"closed-pipe-si", {2, 3}, 1000, 1, 2000},
        {"h-pile-clay-silt-sand", {0, 1, 2, 3}, 3, 3.5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.example) + ", column 17 = " + std::to_string(c.chosen));
        Analysis a = exampleModel(c.example);
        auto withCase = [&](double value) {
            for (std::size_t k : c.clayPoints) a.soilProfile.at(k).adhesionCaseOrTipMovement = value;
            EXPECT_TRUE(checkRanges(a).empty());
            return fhwaCapacities(a);
        };
        const std::vector<double> chosen = withCase(c.chosen);
        EXPECT_EQ(chosen, withCase(c.sameAs));
        EXPECT_NE(chosen, withCase(c.other));
    }
}

// A negative plasticity index is reported by the CPT-based methods in their tables, and the run
// goes on.
TEST(ValuesWithAMeaning, ANegativePlasticityIndexIsReportedAndTheRunGoesOn) {
    for (const char* example : {"cpt-four-methods-si", "square-precast-concrete"}) {
        SCOPED_TRACE(example);
        Analysis a = exampleModel(example);
        for (ProfilePoint& p : a.soilProfile) {
            if (p.soilType == SoilType::Clay) p.plasticityIndex = -5;
        }
        EXPECT_TRUE(checkRanges(a).empty());
        const test::ModelRun run = test::runModel(a);
        EXPECT_EQ(run.status, kRunCompleted);
        EXPECT_NE(run.report.find("\n ERROR - NO DATA FOUND FOR PLASTIC INDEX.\n"), std::string::npos);
    }
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
