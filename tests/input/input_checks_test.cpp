#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/constants.h"
#include "engine/run_control.h"
#include "input/input.h"
#include "input_decks.h"

namespace vorta::test {
namespace {

// The checks of a deck as the run makes them, with the lines of their problems for the report and
// the console.
struct Checked {
    Analysis analysis;
    std::unique_ptr<AnalysisState> state;
    CheckedProblems found;
    bool inputValuesPass = false;
    bool profilePass = false;
    std::string report;
    std::string console;
};

Checked check(const Deck& deck, const std::string& cpt = "0 0\n") {
    Checked c;
    std::istringstream deckText(deck.text());
    std::istringstream cptText(cpt);
    c.analysis = readInputDeck(deckText, "case.dat", cptText, "case.cpt");
    c.state = newState();
    loadAnalysis(*c.state, c.analysis);
    setUnitLabels(*c.state);
    const ValuePlaces places{c.analysis, ValueSource::InputDeck, nullptr, "case.dat"};
    const auto passes = [&] {
        return std::none_of(c.found.begin(), c.found.end(), [](const CheckedProblem& p) { return p.problem.stops(); });
    };
    checkInputValues(*c.state, places, c.found);
    c.inputValuesPass = passes();
    if (c.inputValuesPass) {
        findAdvisories(*c.state, places, c.found);
        checkSoilProfile(*c.state, places, c.found);
        c.profilePass = passes();
    }
    for (const CheckedProblem& p : c.found) {
        for (const FormattedRecord& r : p.report) c.report += r.text + "\n";
        for (const FormattedRecord& r : p.console) c.console += r.text + "\n";
    }
    return c;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(ProfileCheck, EmbeddedLengthPlusTwoDiametersIsRequired) {
    // Embedded 50 ft, vertical, 24 in: 50 + 2 x 2 = 54 ft.
    Deck deck;
    deck.rec9 = "54 0";
    Checked c = check(deck);
    EXPECT_TRUE(c.profilePass);
    EXPECT_DOUBLE_EQ(c.state->requiredSoilDepth, 54.0);
    EXPECT_EQ(c.report, "");
    EXPECT_EQ(c.console, "");

    deck.rec9 = "53.99 0";
    c = check(deck);
    EXPECT_FALSE(c.profilePass);
    EXPECT_EQ(c.report,
              "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE DEEPEST SOIL PROFILE   53.99 FT.\n"
              "          IS LESS THAN PILE EMBEDDED LENGTH PLUS TWO TIMES THE PILE DIAMETER      54.00 FT.\n");
}

TEST(ProfileCheck, StickupIsNotEmbedded) {
    Deck deck;
    deck.rec5 = "0 0 24 23 29000000 55 5";
    deck.rec9 = "54 0";
    EXPECT_TRUE(check(deck).profilePass);
}

TEST(ProfileCheck, BatteredPileNeedsItsVerticalProjection) {
    // Batter 10 degrees, embedded 100 ft, 12 in: cos(10) x 100 + 2 = 100.48 ft.
    Deck deck;
    deck.rec5 = "0 0 12 11 29000000 100 0";
    deck.rec6 = "0 0 10";
    deck.rec9 = "100.48 0";
    deck.soil[6] = "110 2 1 110 0 0";
    Checked c = check(deck);
    EXPECT_NEAR(c.state->requiredSoilDepth, 100.4808, 1.0e-4);
    EXPECT_DOUBLE_EQ(c.state->requiredSoilDepth,
                     std::cos(10.0 * sp(3.1415927) / 180.0) * 100.0 + 2.0 * 12.0 / 12.0);
    EXPECT_FALSE(c.profilePass);  // 100.48 is just short of 100.4808
    deck.rec9 = "100.49 0";
    EXPECT_TRUE(check(deck).profilePass);
}

TEST(ProfileCheck, SiDiameterInMillimetres) {
    Deck deck;
    deck.rec4 = "2 1 4 0";
    deck.rec5 = "0 0 600 580 2.0E8 15 0";
    deck.rec9 = "16.2 0";
    Checked c = check(deck);
    EXPECT_DOUBLE_EQ(c.state->requiredSoilDepth, 15.0 + 2.0 * 600.0 / 1000.0);
    EXPECT_TRUE(c.profilePass);
    deck.rec9 = "16.1 0";
    c = check(deck);
    EXPECT_FALSE(c.profilePass);
    EXPECT_TRUE(contains(c.report, "DEEPEST SOIL PROFILE   16.10 M. \n")) << c.report;
}

TEST(ProfileCheck, ShallowLastSoilPointOnlyWarnsOnTheConsole) {
    Deck deck;
    deck.soil[6] = "52 2 1 110 0 0";  // last point at 52 ft, 54 required, analysed to 60
    const Checked c = check(deck);
    EXPECT_TRUE(c.profilePass);
    EXPECT_EQ(c.report, "");
    EXPECT_EQ(c.console,
              "\n\n\n          COMPUTATION DOES NOT PROCEED BECAUSE NO SOIL INFORMATION\n"
              "          WAS PROVIDED AT THE DEPTH      54.00 FT.\n"
              "          PLEASE NOTE THAT SOIL SHOULD EXTEND AT LEAST THE \n"
              "           PILE LENGTH PLUS TWO PILE DIAMETERS\n");
}

// Stops on a value: the sound deck changed in one way fails the check of the input values with
// the report's words (the whole message where it is given from its first line).
struct StopCase {
    const char* what;
    std::function<void(Deck&)> change;
    const char* report;
};

const StopCase kStopCases[] = {
    {"output step below 1", [](Deck& d) { d.rec4 = "1 0 4 0"; },
     "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE OUTPUT STEP     0\n          IS LESS THAN 1\n"},
    {"soil point 3 above point 2 at 30 ft", [](Deck& d) { d.soil[4] = "25 2 1 110 0 0"; },
     "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE DEPTH OF SOIL POINT  3     25.00 FT.\n"
     "          IS LESS THAN THE DEPTH OF SOIL POINT  2     30.00 FT.\n"
     "          SOIL POINTS MUST BE GIVEN IN ORDER OF INCREASING DEPTH\n"},
    {"unit system 3", [](Deck& d) { d.rec4 = "3 1 4 0"; },
     "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE UNIT SYSTEM     3\n"
     "          IS NEITHER 1 (ENGLISH UNITS) NOR 2 (SI UNITS)\n"},
    {"pile type 0", [](Deck& d) { d.rec7 = "0 1 0 0 1 0 0"; },
     "BECAUSE THE PILE TYPE     0\n          IS NOT ONE OF THE PILE TYPES 1 TO 7\n"},
    {"pile type 8", [](Deck& d) { d.rec7 = "0 1 8 0 1 0 0"; }, "BECAUSE THE PILE TYPE     8\n"},
    {"pile type -1", [](Deck& d) { d.rec7 = "0 1 -1 0 1 0 0"; }, "BECAUSE THE PILE TYPE    -1\n"},
    // 12 in (1 ft) at the head, 50 ft long: a taper of 1 degree narrows it by
    // 50 x 2 x tan(0.01745) = 1.745 ft, past zero: 1 - 1.745 = -0.75 ft.
    {"taper that closes the tip", [](Deck& d) { d.rec5 = "0 0 12 0 4000000 50 0"; d.rec7 = "0 1 5 1 1 0 0"; },
     "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE DIAMETER AT THE PILE TIP\n"
     "          (OUTSIDE DIAMETER LESS THE TAPER OVER THE PILE LENGTH) IS     -0.75 FT.\n"
     "          THE TIP DIAMETER MUST BE GREATER THAN ZERO\n"},
    // Half a degree narrows 60 ft (the stickup included) by 1.047 ft.
    {"taper over the stickup too",
     [](Deck& d) { d.rec5 = "0 0 12 0 4000000 60 10"; d.rec7 = "0 1 5 0.5 1 0 0"; d.rec9 = "60 0"; },
     "(OUTSIDE DIAMETER LESS THE TAPER OVER THE PILE LENGTH) IS     -0.05 FT.\n"},
    {"no diameter and no taper", [](Deck& d) { d.rec5 = "0 0 0 0 4000000 50 0"; d.rec7 = "0 1 2 0 1 0 0"; },
     "(OUTSIDE DIAMETER LESS THE TAPER OVER THE PILE LENGTH) IS      0.00 FT.\n"},
    {"batter of 90 degrees", [](Deck& d) { d.rec6 = "0 0 90"; },
     "\n\n          COMPUTATION DOES NOT PROCEED BECAUSE THE BATTER ANGLE     90.00 DEG\n"
     "          IS NOT LESS THAN 90 DEGREES FROM THE VERTICAL\n"},
    {"inside diameter of the outside one", [](Deck& d) { d.rec5 = "0 0 24 24 29000000 50 0"; },
     "IS NEGATIVE OR NOT LESS THAN THE OUTSIDE DIAMETER     24.00 IN.\n"},
    {"negative inside diameter", [](Deck& d) { d.rec5 = "0 0 24 -1 29000000 50 0"; },
     "IS NEGATIVE OR NOT LESS THAN THE OUTSIDE DIAMETER     24.00 IN.\n"},
    {"enhanced end wider than the pile", [](Deck& d) { d.rec6 = "3 25 0"; }, "IS NEGATIVE OR NOT LESS THAN THE"},
    {"negative modulus", [](Deck& d) { d.rec5 = "0 0 24 23 -29000000 50 0"; },
     "THE MODULUS OF ELASTICITY -0.2900E+08\n          IS NEGATIVE\n"},
    {"negative strength", [](Deck& d) { d.soil[5] = "1000 0 -2000 1000 0 20 0 0 0 1 1 0 0 0"; },
     "BECAUSE SOIL POINT  3 HAS A NEGATIVE\n          UNDISTURBED SHEAR STRENGTH\n"},
    {"negative tip movement", [](Deck& d) { d.rec17 = "1\n3\n0.01\n-0.5\n0.2"; },
     "BECAUSE TIP MOVEMENT   2 OF THE LIST\n          IS NEGATIVE: -0.5000E+00\n"},
};

TEST(InputValueCheck, EachStopHasItsMessage) {
    for (const StopCase& stop : kStopCases) {
        SCOPED_TRACE(stop.what);
        Deck deck;
        stop.change(deck);
        const Checked c = check(deck);
        EXPECT_FALSE(c.inputValuesPass);
        EXPECT_TRUE(contains(c.report, stop.report)) << c.report;
    }
}

TEST(InputValueCheck, SoundDecksAndTheirNeighboursPass) {
    std::vector<std::pair<const char*, std::function<void(Deck&)>>> sound = {
        {"the sound deck", [](Deck&) {}},
        {"half a degree of taper leaves 0.127 ft at the tip", [](Deck& d) {
             d.rec5 = "0 0 12 0 4000000 50 0";
             d.rec7 = "0 1 5 0.5 1 0 0";
         }},
        {"batter -89.5", [](Deck& d) { d.rec6 = "0 0 -89.5"; }},
        {"a driving shoe narrower than the pile", [](Deck& d) { d.rec6 = "3 20 0"; }},
        {"a tip movement list the flag does not select", [](Deck& d) { d.rec17 = "2"; }},
    };
    for (int type = 1; type <= 7; ++type) {
        sound.emplace_back("a pile type of 1 to 7", [type](Deck& d) { d.rec7 = "0 1 " + std::to_string(type) + " 0 1 0 0"; });
    }
    for (const auto& [what, change] : sound) {
        Deck deck;
        change(deck);
        const Checked c = check(deck);
        EXPECT_TRUE(c.inputValuesPass) << what;
        EXPECT_EQ(c.report, "") << what;
    }
}

TEST(InputValueCheck, EveryFaultIsReported) {
    Deck deck;
    deck.rec4 = "1 0 4 0";
    deck.rec7 = "0 0 9 0 1 0 0";
    const Checked c = check(deck);
    EXPECT_FALSE(c.inputValuesPass);
    EXPECT_TRUE(contains(c.report, "INCREMENT OF"));
    EXPECT_TRUE(contains(c.report, "OUTPUT STEP"));
    EXPECT_TRUE(contains(c.report, "PILE TYPE"));
}

// Advisories: each case changes the sound deck in one way and finds one advisory, on the key that
// the page marks.
struct AdvisoryCase {
    const char* code;
    const char* path;
    std::function<void(Deck&)> change;
    const char* cpt = "0 0\n";
};

const AdvisoryCase kAdvisoryCases[] = {
    {"clay_without_strength", "layers[2].shear_strength",
     [](Deck& d) { d.soil[5] = d.soil[7] = "1000 0 0 1000 0 20 0 0 0 1 1 0 0 0"; }},
    {"sand_without_strength", "layers[1].friction_angle",
     [](Deck& d) {
         d.soil[0] = "0 1 0 120 0 0";
         d.soil[2] = "30 1 0 120 0 0";
         d.soil[1] = d.soil[3] = "0 0 0 0 0 0 0 0 0 1 1 0 0 0";  // no blow count either
     }},
    {"layer_gap", "layers[2].top", [](Deck& d) { d.soil[4] = "40 2 1 110 0 0"; }},
    {"profile_starts_below_ground", "layers[1].top", [](Deck& d) { d.soil[0] = "5 1 0 120 30 0"; }},
    {"sounding_out_of_order", "cpt.points[3]", [](Deck&) {}, "0 3\n0 1000\n5 2000\n3 3000\n"},
    {"no_sounding", "cpt.points",
     [](Deck& d) {
         d.rec7 = "0 1 1 0 1 1 0";  // the CPT-based methods run
         d.rec8 = "1 0 0 0 0 1 0 0 0";
     }},
    {"sounding_ends_above_tip", "cpt.points[2]",
     [](Deck& d) {
         d.rec7 = "0 1 1 0 1 1 0";
         d.rec8 = "1 0 0 0 0 0 1 0 0";
     },
     "0 2\n0 40000\n20 60000\n"},  // 20 ft; the tip at 50 ft
    {"water_table_from_unit_weight", "layers[2].effective_unit_weight",
     [](Deck& d) {
         d.rec12 = "1 1";  // tension
         d.soil[4] = "30 2 1 60 0 0";
         d.soil[6] = "60 2 1 60 0 0";
     }},
    {"value_in_other_unit_system", "layers[2].shear_strength",
     [](Deck& d) { d.soil[5] = d.soil[7] = "1000 0 50 25 0 20 0 0 0 1 1 0 0 0"; }},  // 50 kPa written in psf
    {"tip_movements_in_other_unit", "load_transfer.tip_movements", [](Deck& d) { d.rec17 = "1\n2\n0.5\n30"; }},
};

TEST(Advisories, EachFiresOnItsCaseAndNoneOnTheSoundDeck) {
    const auto advisories = [](const Checked& c) {
        std::vector<Problem> found;
        for (const CheckedProblem& p : c.found) {
            if (p.problem.severity == Severity::Advisory) found.push_back(p.problem);
            EXPECT_TRUE(p.problem.severity != Severity::Advisory || (p.report.empty() && p.console.empty()));
        }
        return found;
    };
    EXPECT_TRUE(advisories(check(Deck())).empty());
    for (const AdvisoryCase& a : kAdvisoryCases) {
        SCOPED_TRACE(a.code);
        Deck deck;
        a.change(deck);
        const Checked c = check(deck, a.cpt);
        EXPECT_TRUE(c.profilePass);
        const std::vector<Problem> found = advisories(c);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found[0].code, a.code);
        EXPECT_EQ(found[0].path, a.path);
        EXPECT_EQ(found[0].file, "case.dat");
    }
}

TEST(Advisories, SayWhatTheRunTook) {
    // The clay of 30 to 60 ft with no strength, named by its layer; in tension with no soil lighter
    // than 75 pcf the self weight is dry down to the tip.
    Deck clay;
    clay.soil[5] = clay.soil[7] = "1000 0 0 1000 0 20 0 0 0 1 1 0 0 0";
    clay.rec12 = "1 1";
    const Checked c = check(clay);
    ASSERT_EQ(c.found.size(), 2u);
    EXPECT_EQ(c.found[0].problem.message.substr(0, 73),
              "layers[2] (clay, 30 to 60 ft) has no undrained shear strength and no cone");
    EXPECT_NE(c.found[1].problem.message.find("the self weight is taken dry down to the pile tip"), std::string::npos);
    // The sounding ends 30 ft above the tip at 50 ft and holds its last qc below.
    Deck cpt;
    kAdvisoryCases[6].change(cpt);
    EXPECT_NE(check(cpt, kAdvisoryCases[6].cpt).found.at(0).problem.message.find(
                  "ends at 20 ft, 30 ft above the pile tip at 50 ft: below it the CPT-based methods take the cone "
                  "resistance of its last point, 60000 psf"),
              std::string::npos);
    // Layers that give their cone resistance need no sounding.
    for (int k : {1, 3}) cpt.soil[k] = "0 0 0 10 0 0 50000 0 0 1 1 0 0 0";
    for (int k : {5, 7}) cpt.soil[k] = "1000 0 2000 1000 0 20 50000 0 0 1 1 0 0 0";
    EXPECT_TRUE(check(cpt, kAdvisoryCases[6].cpt).found.empty());
}

TEST(Advisories, TheCptFileBesideADeckWithoutOneNamed) {
    TempDir dir("advisory-cpt-beside");
    writeFile(dir / "pile.dat", Deck().text());
    EXPECT_FALSE(unreadCptFileAdvisory(dir / "pile.dat", "").has_value());
    writeFile(dir / "pile.cpt", "0 0\n");
    EXPECT_EQ(unreadCptFileAdvisory(dir / "pile.dat", "")->code, "cpt_file_not_read");
    EXPECT_FALSE(unreadCptFileAdvisory(dir / "pile.dat", dir / "pile.cpt").has_value());
}

}  // namespace
}  // namespace vorta::test
