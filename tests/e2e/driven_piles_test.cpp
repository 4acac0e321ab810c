// Piles driven to each penetration, against separate runs of the pile shortened to every row's
// length: the rows as driven of the CPT-based methods (each row the last row of the shortened
// pile, to its last printed digit) and the design answers of every method (the first length whose
// capacity reaches the load, linear between rows, to 0.1% of the length increment).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vorta/analysis.h"
#include "vorta/units.h"

namespace vorta {
namespace {

AnalysisResult runFor(const Analysis& a) {
    AnalysisResult result;
    std::ostringstream console;
    RunOptions options;
    options.result = &result;
    options.console = &console;
    options.clock = test::kFixedClock;
    runAnalysis(a, options);
    return result;
}

Analysis example(const std::string& name) {
    const std::filesystem::path folder = test::sourcePath("examples/" + name);
    Analysis a = readInputDeck(folder / "input.dat", folder / "sounding.cpt");
    a.outputStep = 1;
    return a;
}

// The pile shortened to `embedded` below ground, its tables as described and without loads.
Analysis shortened(Analysis a, double embedded) {
    a.pile.length = a.pile.stickup + embedded;
    a.options.cptRowsAsDriven = 0;
    a.design = {};
    return a;
}

// A profile of alternating sand and clay layers of random thickness and strength, from a seed,
// down to `bottom` feet (in the units' length).
Analysis generatedProfile(unsigned seed, UnitSystem units, double bottomFeet = 48) {
    std::mt19937 random(seed);
    auto between = [&](double lo, double hi) { return lo + (hi - lo) * (random() / 4294967296.0); };
    const bool si = units == UnitSystem::SI;
    const double foot = si ? 0.3048 : 1.0;
    Analysis a;
    a.units = units;
    a.outputStep = 1;
    a.methods.selected = {0, 0, 0, 0, 0, 1, 1, 1, 1};
    a.methods.cptMethods = 1;
    a.methods.loadTransfer = Method::Icp;
    Pile& p = a.pile;
    p.outsideDiameter = si ? 610 : 24;
    p.insideDiameter = si ? 406 : 16;  // a thick wall, which ICP/MTD's tip bears on
    p.elasticModulus = si ? 2.0e8 : 2.9e7;
    p.length = 41 * foot;
    p.stickup = 1 * foot;
    p.lengthIncrement = si ? 0.5 : 1.0;
    double top = 0.0;
    const double bottom = bottomFeet * foot;
    for (int layer = 0; top < bottom; ++layer) {
        const double thickness = std::min(between(5, 12) * foot, bottom - top);
        ProfilePoint upper;
        upper.soilType = layer % 2 == 0 ? SoilType::Sand : SoilType::Clay;
        if (upper.soilType == SoilType::Sand) {
            upper.effectiveUnitWeight = si ? between(9, 10.5) : between(57, 66);
            upper.frictionAngle = between(30, 38);
            upper.blowCountOrYieldStressRatio = between(10, 50);
        } else {
            upper.effectiveUnitWeight = si ? between(7, 9) : between(45, 57);
            upper.shearStrength = si ? between(25, 150) : between(500, 3000);
            upper.remoldedStrength = upper.shearStrength / between(1.5, 3);
            upper.blowCountOrYieldStressRatio = between(1, 4);
            upper.plasticityIndex = between(10, 40);
        }
        upper.depth = top;
        // Stronger with depth within the layer, so that neighbouring segments differ.
        ProfilePoint lower = upper;
        lower.depth = top + thickness;
        const double growth = between(1.1, 1.6);
        lower.blowCountOrYieldStressRatio *= growth;
        lower.shearStrength *= growth;
        lower.remoldedStrength *= growth;
        a.soilProfile.push_back(upper);
        a.soilProfile.push_back(lower);
        top += thickness;
    }
    a.deepestSoilDepth = bottom;
    return a;
}

struct DrivenCase {
    std::string name;
    Analysis analysis;
};
void PrintTo(const DrivenCase& c, std::ostream* out) { *out << c.name; }

// The CPT example; a battered, plugged open pipe with no sounding (qc from the blow counts and
// yield stress ratios) whose grid is extended to the deepest tip zone, so that a shorter pile's grid
// ends higher; an SI pipe with an enhanced end section of its own, LRFD factors and a sounding.
// Each also in the other unit system.
std::vector<DrivenCase> drivenCases() {
    std::vector<DrivenCase> cases;
    cases.push_back({"cpt-four-methods-si", example("cpt-four-methods-si")});
    // The pile needs cos 30 x 40 + 2 x 2 = 38.64 ft of soil; 38.9 ft hold 38 segments of 0.866 ft,
    // 32.9 ft, short of the deepest tip zone (34.64 + 3 ft).
    Analysis battered = generatedProfile(7, UnitSystem::English, 38.9);
    battered.pile.batterAngle = 30;
    battered.options.plugCondition = PlugCondition::Plugged;  // the tip bears on the tip-zone average
    cases.push_back({"generated-battered-english", battered});
    Analysis shoe = generatedProfile(11, UnitSystem::SI);
    for (ProfilePoint& p : shoe.soilProfile) {
        p.lrfdFrictionFactor = 0.7;
        p.lrfdBearingFactor = 0.6;
    }
    shoe.pile.enhancedEndLength = 2.0;
    shoe.pile.enhancedEndInsideDiameter = 560;
    for (int i = 0; i <= 30; ++i) shoe.cpt.points.push_back({i * 0.5, 2000.0 + 900.0 * std::fmod(i * 7.3, 11.0), {}, {}});
    cases.push_back({"generated-shoe-si", shoe});
    const std::size_t given = cases.size();
    for (std::size_t i = 0; i < given; ++i) {
        const UnitSystem other = cases[i].analysis.units == UnitSystem::SI ? UnitSystem::English : UnitSystem::SI;
        cases.push_back({cases[i].name + "-other-units", convertUnits(cases[i].analysis, other)});
    }
    for (std::size_t i = 0, n = cases.size(); i < n; ++i) {
        Analysis tension = cases[i].analysis;
        tension.loading.type = LoadingType::Tension;
        cases.push_back({cases[i].name + "-tension", tension});
    }
    return cases;
}

std::string printed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

class RowsAsDriven : public ::testing::TestWithParam<DrivenCase> {};

TEST_P(RowsAsDriven, EveryRowIsTheLastRowOfThePileShortenedToIt) {
    Analysis a = GetParam().analysis;
    a.options.cptRowsAsDriven = 1;
    const AnalysisResult driven = runFor(a);
    ASSERT_EQ(driven.status, kRunCompleted) << (driven.messages.empty() ? "" : driven.messages[0]);
    const AnalysisResult described = runFor(shortened(a, a.pile.length - a.pile.stickup));
    const std::size_t rows = driven.tables[0].rows.size();
    for (std::size_t k = 0; k < rows; ++k) {
        // Row 1, a pile of no length, has no run of its own: it is the described row 1.
        const AnalysisResult own = k == 0 ? described : runFor(shortened(a, k * a.pile.lengthIncrement));
        ASSERT_EQ(own.status, kRunCompleted) << "row " << k + 1;
        for (std::size_t t = 0; t < driven.tables.size(); ++t) {
            const MethodTable& table = driven.tables[t];
            EXPECT_EQ(table.rowsAsDriven, table.selection >= 6) << table.title;
            const CapacityRow& row = table.rows[k];
            const CapacityRow& last = k == 0 ? own.tables[t].rows.front() : own.tables[t].rows.back();
            const std::string where = table.title + ", row " + std::to_string(k + 1);
            EXPECT_EQ(printed(row.skinFriction, 1), printed(last.skinFriction, 1)) << where;
            EXPECT_EQ(printed(row.tipResistance, 1), printed(last.tipResistance, 1)) << where;
            EXPECT_EQ(printed(row.ultimateCapacity, 1), printed(last.ultimateCapacity, 1)) << where;
            EXPECT_EQ(printed(row.plugLength, 2), printed(last.plugLength, 2)) << where;
            EXPECT_EQ(row.plugMark, last.plugMark) << where;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Profiles, RowsAsDriven, ::testing::ValuesIn(drivenCases()), [](const auto& info) {
    std::string n = info.param.name;
    for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return n;
});

TEST(RowsAsDriven, OnlyTheCptTablesSaySoInTheReport) {
    const std::string note = "ROWS COMPUTED AS PILES DRIVEN TO EACH PENETRATION";
    Analysis a = example("closed-pipe-si");  // FHWA, USACE, Lambda, API RP-2A, NGI and ICP/MTD
    const test::ModelRun off = test::runModel(a);
    EXPECT_EQ(off.report.find(note), std::string::npos);
    a.options.cptRowsAsDriven = 1;
    const test::ModelRun on = test::runModel(a);
    std::size_t count = 0;
    for (std::size_t at = on.report.find(note); at != std::string::npos; at = on.report.find(note, at + 1)) ++count;
    EXPECT_EQ(count, 2u);
    // The note follows the banner of each CPT table, and the conventional tables are as before.
    EXPECT_NE(on.report.find("(NGI) METHOD  *\n          " + std::string(52, '*') + "\n\n          " + note), std::string::npos);
    const std::size_t ngi = off.report.find("NORWEIGIAN");
    EXPECT_EQ(on.report.substr(0, ngi), off.report.substr(0, ngi));
}

// ---------------------------------------------------------------------------------------------
// Design answers

// The capacity of every row of each method (by selection) as a pile of its own: row 1 from the
// described run, every other row the last row of a separate run of the shortened pile (NaN where
// such a pile is shorter than a pile may be given).
std::vector<std::vector<double>> capacitiesOfShortenedPiles(const Analysis& a, const AnalysisResult& described) {
    std::vector<std::vector<double>> capacity(10);
    const std::size_t rows = described.tables.front().rows.size();
    for (const MethodTable& t : described.tables) capacity[t.selection].push_back(t.rows.front().ultimateCapacity);
    for (std::size_t k = 1; k < rows; ++k) {
        const AnalysisResult own = runFor(shortened(a, k * a.pile.lengthIncrement));
        for (std::size_t t = 0; t < described.tables.size(); ++t) {
            const bool ran = own.status == kRunCompleted;
            capacity[described.tables[t].selection].push_back(ran ? own.tables[t].rows.back().ultimateCapacity : std::nan(""));
        }
    }
    return capacity;
}

struct DesignCase {
    const char* example;
    double factorOfSafety;
    bool addCptMethods;  // the tapered pile with the CPT-based methods too
};
void PrintTo(const DesignCase& c, std::ostream* out) { *out << c.example; }

class DesignAnswers : public ::testing::TestWithParam<DesignCase> {};

TEST_P(DesignAnswers, AgreeWithTheFirstOfSeparateRunsOfShortenedPilesToReachTheLoad) {
    Analysis a = example(GetParam().example);
    if (GetParam().addCptMethods) {
        for (int sel = 6; sel <= 9; ++sel) a.methods.selected[static_cast<std::size_t>(sel - 1)] = 1;
        a.methods.cptMethods = 1;
    }
    const AnalysisResult described = runFor(a);
    ASSERT_EQ(described.status, kRunCompleted);
    const std::vector<std::vector<double>> capacity = capacitiesOfShortenedPiles(a, described);

    // Loads each method reaches somewhere in the pile (0.05 and 0.4 of its largest capacity: FHWA's
    // rows of the closed pipe differ from piles of their own in the upper layers), and one none does.
    const double factor = GetParam().factorOfSafety;
    double largest = 0.0;
    for (const MethodTable& t : described.tables) {
        const std::vector<double>& c = capacity[t.selection];
        double most = 0.0;
        for (double v : c) most = std::isnan(v) ? most : std::max(most, v);
        for (const double share : {0.05, 0.4}) a.design.loads.push_back(share * most / factor);
        largest = std::max(largest, most);
    }
    a.design.loads.push_back(2.0 * largest / factor);
    a.design.factorOfSafety = factor;
    const AnalysisResult answered = runFor(a);
    ASSERT_EQ(answered.status, kRunCompleted);
    ASSERT_EQ(answered.design.size(), described.tables.size() * a.design.loads.size());

    const double increment = a.pile.lengthIncrement;
    for (const DesignAnswer& answer : answered.design) {
        const std::vector<double>& c = capacity[answer.selection];
        const std::string where = answer.method + " at " + std::to_string(answer.load);
        std::size_t first = 0;
        while (first < c.size() && !(c[first] / factor >= answer.load)) ++first;
        // A crossing among the piles too short to be given on their own cannot be checked.
        if (std::any_of(c.begin(), c.begin() + static_cast<std::ptrdiff_t>(std::min(first + 1, c.size())),
                        [](double v) { return std::isnan(v); }))
            continue;
        if (first == c.size()) {
            EXPECT_FALSE(answer.embeddedLength) << where;
            double most = -1e300;
            for (double v : c) most = std::isnan(v) ? most : std::max(most, v);
            EXPECT_NEAR(answer.capacity, most, 1e-9) << where;
            continue;
        }
        ASSERT_TRUE(answer.embeddedLength) << where;
        const double length = first == 0 ? 0.0
                                         : (first - 1 + (answer.load * factor - c[first - 1]) / (c[first] - c[first - 1])) *
                                               increment;
        EXPECT_NEAR(*answer.embeddedLength, length, 0.001 * increment) << where;
        bool fallsAgain = false;
        for (std::size_t k = first + 1; k < c.size(); ++k) fallsAgain = fallsAgain || c[k] / factor < answer.load;
        EXPECT_EQ(answer.fallsBelowAgainAt.has_value(), fallsAgain) << where;
        EXPECT_EQ(answer.advisory.empty(), !fallsAgain) << where;
    }
}

// The CPT methods and API RP-2A of the CPT example with a factor of safety; FHWA (its end bearing
// by the pile's own length over its diameter), USACE, Revised Lambda, API RP-2A, NGI and ICP/MTD
// with the LRFD factors of the closed pipe; the tapered pile, whose tip diameter follows its
// length, with every method it can have; and uplift loads on the tapered timber pile in tension.
INSTANTIATE_TEST_SUITE_P(Examples, DesignAnswers,
                         ::testing::Values(DesignCase{"cpt-four-methods-si", 2.0, false},
                                           DesignCase{"closed-pipe-si", 1.0, false},
                                           DesignCase{"tapered-monotube", 1.0, true},
                                           DesignCase{"timber-pile-tension", 1.0, false}),
                         [](const auto& info) {
                             std::string n = info.param.example;
                             for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n;
                         });

TEST(DesignAnswers, AFactorOfSafetyOnAFactoredCapacityStopsTheRun) {
    Analysis a = example("closed-pipe-si");  // LRFD factors 0.70 and 0.60 in the layers
    a.design.loads = {1000};
    a.design.factorOfSafety = 2.5;
    const AnalysisResult stopped = runFor(a);
    EXPECT_EQ(stopped.status, kRunStoppedOnInput);
    ASSERT_FALSE(stopped.messages.empty());
    EXPECT_NE(stopped.messages[0].find("DESIGN FACTOR OF SAFETY"), std::string::npos) << stopped.messages[0];
    EXPECT_NE(stopped.messages[0].find("design.factor_of_safety"), std::string::npos) << stopped.messages[0];
    a.design.factorOfSafety = 1.0;
    const AnalysisResult factored = runFor(a);
    ASSERT_EQ(factored.status, kRunCompleted);
    for (const DesignAnswer& answer : factored.design) EXPECT_TRUE(answer.factored);
}

}  // namespace
}  // namespace vorta
