#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "engine/constants.h"
#include "engine/run_control.h"
#include "input/input.h"
#include "input_decks.h"

namespace vorta::test {
namespace {

std::string blanks(std::size_t n) { return std::string(n, ' '); }

// The echo of a deck, as the run writes it after the checks.
struct Echo {
    std::unique_ptr<AnalysisState> state;
    std::string text;
};

Echo echoOf(const Deck& deck) {
    Echo e;
    e.state = readDeck(deck.text());
    setUnitLabels(*e.state);
    std::ostringstream report;
    e.state->report.attach(&report);
    writeInputEcho(*e.state);
    e.state->report.attach(nullptr);
    e.text = report.str();
    return e;
}

// The lines of the echo from the first line that starts with `first` (after its indent), `count` lines.
std::vector<std::string> block(const std::string& text, const std::string& first, std::size_t count) {
    const std::vector<std::string> lines = splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(first) != std::string::npos) {
            std::vector<std::string> out(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                         lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), i + count)));
            return out;
        }
    }
    return {"<no line with " + first + ">"};
}

const std::string t10 = blanks(10);

// English open-ended pipe pile in tension with FHWA, USACE (effective-stress rule) and API
// selected; an enhanced end section, the program's plug, both markers, the no-limit markers and
// a soil code that repeats the type above.
Deck englishPipePile() {
    Deck d;
    d.title = "ENGLISH PIPE PILE";
    d.designer = "A. ENGINEER";
    d.jobNumber = "J-100";
    d.rec4 = "1 1 4 0";
    d.rec5 = "0 0 24 23 29000000 55 5";
    d.rec6 = "10 20 0";
    d.rec7 = "0 1 1 0 1 0 0";
    d.rec8 = "1 1 0 1 0 0 0 0 0";
    d.rec9 = "60 0";
    d.soil = {"0 1 0 120 30 0",  "0 0 0 10 0 0 0 0 0 0.9 0.8 0 0 0",
              "30 1 0.9 120 38 0", "2000 0 0 20 0 0 0 0 0 0.9 0.8 0 0 0",
              "30 2 1 110 0 8",  "1000 5000 2000 1000 0 20 0 0 0 1 1 0 0 0",
              "60 4 1 110 0 8",  "1000 5000 2000 1000 0 20 0 500 4000 1 1 0 0 0"};
    d.rec12 = "1 0.7";
    d.rec13 = "0 0 0";
    d.rec14 = "0 0";
    d.rec15 = "1 0";
    return d;
}

// SI H-pile under compression with USACE (user critical depth, long pile option) and ICP/MTD
// (drained clay) selected, API for load transfer, reduced side friction, a batter, and the CPT
// table.
Deck siHPile() {
    Deck d;
    d.title = "SI H-PILE";
    d.designer = "B. DESIGNER";
    d.jobNumber = "J-200";
    d.rec4 = "2 1 4 1";
    d.rec5 = "1200 0.0355 0 0 200000000 20 1";
    d.rec6 = "0 0 10";
    d.rec7 = "0.5 0.5 6 0 4 1 1";
    d.rec8 = "0 1 0 0 0 0 1 0 0";
    d.rec9 = "25 0.0150";
    d.soil = {"0 2 1 9 0 0",      "25 0 50 20 2.5 30 1500 0 0 0.9 0.8 0 0 0",
              "10 2 1 9 0 0",     "25 0 60 25 2.5 30 1800 0 0 0.9 0.8 0 0 0",
              "10 1 0 10 32 0",   "0 0 0 15 0 0 5000 0 0 1 1 0 0 0",
              "25 1 0.8 10 34 40", "100 10000 0 25 0 0 8000 0 0 1 1 0 0 0"};
    d.rec12 = "2 1";
    d.rec13 = "1 0 1";
    d.rec14 = "0 0";
    d.rec15 = "2 12.5";
    return d;
}


// The whole echo of two decks, character for character, against the texts worked out line by line
// from the echo's layout (tests/input/data/echo_*.txt).
TEST(InputEcho, WholeEchoCharacterForCharacter) {
    const struct {
        const char* file;
        Deck deck;
    } cases[] = {{"echo_english_pipe_pile.txt", englishPipePile()}, {"echo_si_h_pile.txt", siHPile()}};
    for (const auto& c : cases) {
        const std::vector<std::string> want = splitLines(readFile(sourcePath(std::string("tests/input/data/") + c.file)));
        const std::vector<std::string> got = splitLines(echoOf(c.deck).text);
        for (std::size_t i = 0; i < std::max(want.size(), got.size()); ++i) {
            ASSERT_LT(i, got.size()) << c.file << ": missing line " << i + 1 << ": [" << want[i] << "]";
            ASSERT_LT(i, want.size()) << c.file << ": extra line " << i + 1 << ": [" << got[i] << "]";
            ASSERT_EQ(got[i], want[i]) << c.file << ", line " << i + 1;
        }
    }
}

TEST(InputEcho, WorkingValuesChangeWhileTheEchoIsWritten) {
    const Echo e = echoOf(englishPipePile());
    const InputData& d = e.state->input;
    EXPECT_DOUBLE_EQ(d.pileLength, 50.0);  // 55 - 5 stickup
    EXPECT_DOUBLE_EQ(d.batterAngle, 0.0);
    EXPECT_DOUBLE_EQ(d.axialArea, sp(0.7854) * 47.0);
    // The columns that the echo shows as assumed or estimated are not changed.
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColLateralK], 0.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColBearingFactorNq], 0.0);

    const Echo si = echoOf(siHPile());
    EXPECT_DOUBLE_EQ(si.state->input.batterAngle, 10.0 * sp(3.1415927) / 180.0);
    EXPECT_DOUBLE_EQ(si.state->input.pileLength, 19.0);
    EXPECT_DOUBLE_EQ(si.state->input.axialArea, 0.0355);
}

TEST(InputEcho, CriticalDepthRuleOutsideTheListPrintsNoRuleText) {
    Deck d;
    d.rec8 = "0 1 0 0 0 0 0 0 0";
    d.rec15 = "3 5";
    EXPECT_EQ(block(echoOf(d).text, "- USACE", 2),
              (std::vector<std::string>{t10 + "- USACE (U.S. Army Corps of Engineers)", ""}));
}

TEST(InputEcho, TensionWithoutApiHasNoReductionFactorLine) {
    Deck d;
    d.rec12 = "1 0.7";
    EXPECT_EQ(block(echoOf(d).text, "TYPE OF LOADING", 3),
              (std::vector<std::string>{t10 + "TYPE OF LOADING : ", t10 + "- TENSION  ", ""}));
}

TEST(InputEcho, LoadTransferMethodOutsideTheListPrintsNoMethodLine) {
    Deck d;
    d.rec7 = "0 1 1 0 12 0 0";
    EXPECT_EQ(block(echoOf(d).text, "METHOD FOR UNIT LOAD TRANSFERS", 3),
              (std::vector<std::string>{t10 + "METHOD FOR UNIT LOAD TRANSFERS : ", "",
                                        t10 + "  Unfactored Unit Side Friction and Unit Side Resistance are used."}));
}

TEST(InputEcho, ClosedCircularConcretePileHasNeitherEnhancedEndNorPlugBlock) {
    Deck closed;
    closed.rec4 = "1 1 4 1";
    closed.rec5 = "0 0 18 0 4000000 50 0";
    closed.rec6 = "10 0 0";
    closed.rec7 = "0 1 3 0 1 0 0";
    const std::string c = echoOf(closed).text;
    EXPECT_EQ(block(c, "Precast concrete pile", 2),
              (std::vector<std::string>{t10 + "Precast concrete pile (Circular/Tubular)", t10 + "- Close-Ended Pile"}));
    EXPECT_EQ(block(c, "CIRCULAR PILE PROPERTIES", 11),
              (std::vector<std::string>{t10 + "CIRCULAR PILE PROPERTIES : ", "",
                                        t10 + "- OUTSIDE DIAMETER, OD      =     18.00 IN.",
                                        t10 + "- INTERNAL DIAMETER, ID     =      0.00 IN.",
                                        t10 + "- TOTAL PILE LENGTH, TL     =     50.00 FT.",
                                        t10 + "- BATTER ANGLE              =      0.00 DEG",
                                        t10 + "- PILE STICKUP LENGTH, PSL  =      0.00 FT.",
                                        t10 + "- ZERO FRICTION LENGTH, ZFL =      0.00 FT.",
                                        t10 + "- INCREMENT OF PILE LENGTH",
                                        t10 + "  USED IN COMPUTATION       =      1.00 FT.", ""}));
    EXPECT_EQ(c.find("PLUGGED/UNPLUGGED"), std::string::npos);
    // Solid circle: 0.7854 x 18^2 = 254.47.
    EXPECT_EQ(block(c, "CROSS SECTION AREA", 1),
              (std::vector<std::string>{t10 + "- CROSS SECTION AREA        =    254.47 IN2"}));
}

TEST(InputEcho, EnhancedEndLinesOnlyWhenTheSectionDiffersFromTheEmbeddedLength) {
    // The embedded length itself: no enhanced end lines.
    Deck d;
    d.rec5 = "0 0 24 23 29000000 55 5";
    d.rec6 = "50 20 0";
    d.rec13 = "0 2 0";
    const std::string t = echoOf(d).text;
    EXPECT_EQ(t.find("ENHANCED"), std::string::npos);
    EXPECT_EQ(block(t, "INCREMENT OF PILE LENGTH", 5),
              (std::vector<std::string>{t10 + "- INCREMENT OF PILE LENGTH",
                                        t10 + "  USED IN COMPUTATION       =      1.00 FT.", "", "",
                                        t10 + "PLUGGED/UNPLUGGED CONDITIONS : "}));
    EXPECT_EQ(block(t, "PLUGGED/UNPLUGGED", 2)[1], t10 + "Unplugged for open-ended pile");

    // No section given: it spans the whole pile (55 - 1.0E-7 ft), which differs from 50 ft.
    d.rec6 = "0 0 0";
    d.rec13 = "0 7 0";
    const std::string none = echoOf(d).text;
    EXPECT_EQ(block(none, "- LENGTH OF ENHANCED", 4),
              (std::vector<std::string>{t10 + "- LENGTH OF ENHANCED ", t10 + "  END SECTION               =     55.00 FT.",
                                        t10 + "- INTERNAL DIAMETER OF ",
                                        t10 + "  ENHANCED END SECTION      =     23.00 IN."}));
    // A plug condition other than 0, 1 or 2: the heading alone.
    EXPECT_EQ(block(none, "PLUGGED/UNPLUGGED", 3),
              (std::vector<std::string>{t10 + "PLUGGED/UNPLUGGED CONDITIONS : ", "", ""}));
}

TEST(InputEcho, OtherPileTypesAndTheTaperLine) {
    Deck d;
    d.rec7 = "0 1 5 0.5 1 0 0";
    d.rec8 = "0 0 0 1 0 0 0 0 0";
    const std::string t = echoOf(d).text;
    EXPECT_EQ(block(t, "PILE TYPE", 4),
              (std::vector<std::string>{t10 + "PILE TYPE : ", "", t10 + "Raymond Uniform taper pile",
                                        t10 + "Angle of taper for a tapered pile  (degrees) =      0.50"}));
    // Not a pipe section: outside diameter only, then the lengths, no plug block.
    EXPECT_EQ(block(t, "CIRCULAR PILE PROPERTIES", 4),
              (std::vector<std::string>{t10 + "CIRCULAR PILE PROPERTIES : ", "",
                                        t10 + "- OUTSIDE DIAMETER, OD      =     24.00 IN.",
                                        t10 + "- TOTAL PILE LENGTH, TL     =     50.00 FT."}));
    EXPECT_EQ(t.find("PLUGGED/UNPLUGGED"), std::string::npos);
    EXPECT_EQ(t.find("INTERNAL DIAMETER"), std::string::npos);
    // 0.7854 x 24^2 = 452.39, the inside diameter ignored.
    EXPECT_EQ(block(t, "CROSS SECTION AREA", 1),
              (std::vector<std::string>{t10 + "- CROSS SECTION AREA        =    452.39 IN2"}));

    // Without API the taper line is not printed.
    d.rec8 = "1 0 0 0 0 0 0 0 0";
    EXPECT_EQ(echoOf(d).text.find("Angle of taper"), std::string::npos);
    // Type 6 is not tapered: no taper line even with API.
    d.rec7 = "0 1 6 0.5 1 0 0";
    d.rec8 = "0 0 0 1 0 0 0 0 0";
    EXPECT_EQ(echoOf(d).text.find("Angle of taper"), std::string::npos);

    for (const auto& [type, text] : std::vector<std::pair<int, std::string>>{
             {2, "Timber pile"}, {4, "Raymond step-taper pile"}, {7, "Tapered portion of Monotube pile"}}) {
        d.rec7 = "0 1 " + std::to_string(type) + " 0 1 0 0";
        EXPECT_EQ(block(echoOf(d).text, "PILE TYPE", 3)[2], t10 + text) << "type " << type;
    }
}

TEST(InputEcho, AreaTableAlongThePile) {
    Deck d;
    d.rec14 = "2 2\n0 30.5\n25 20.25";
    d.rec9 = "60 99";
    const Echo e = echoOf(d);
    EXPECT_EQ(block(e.text, "- MODULUS OF ELASTICITY", 5),
              (std::vector<std::string>{t10 + "- MODULUS OF ELASTICITY     = 0.290E+08 PSI",
                                        t10 + "- CROSS SECTION AREA ALONG PILE LENGTH",
                                        t10 + " DIST.,FT." + blanks(10) + " AREA,IN2",
                                        t10 + "      0.00" + blanks(10) + "     30.50",
                                        t10 + "     25.00" + blanks(10) + "     20.25"}));
    EXPECT_DOUBLE_EQ(e.state->input.axialArea, 99.0);  // not computed with the table

    d.rec14 = "0 1";
    EXPECT_EQ(block(echoOf(d).text, "CROSS SECTION AREA", 1),
              (std::vector<std::string>{t10 + "- CROSS SECTION AREA        =     99.00 IN2"}));
}

TEST(InputEcho, NoMarkersNoFootnotes) {
    Deck d;
    for (std::size_t i = 0; i < d.soil.size(); i += 2) d.soil[i] = d.soil[i].substr(0, d.soil[i].find(' ')) + " 2 1 110 0 8";
    for (std::size_t i = 1; i < d.soil.size(); i += 2) d.soil[i] = "1000 5000 2000 1000 0 20 0 0 0 1 1 0 0 0";
    const std::string t = echoOf(d).text;
    EXPECT_EQ(t.find("VALUE ASSUMED"), std::string::npos);
    EXPECT_EQ(t.find("VALUE ESTIMATED"), std::string::npos);
    EXPECT_EQ(t.find("WERE SET TO BE"), std::string::npos);
    EXPECT_EQ(block(t, "LB/FT^3", 6)[5], "");
    // Only the estimated marker: its footnote alone after the blank line.
    d.soil[0] = "0 2 1 110 0 0";
    const std::string one = echoOf(d).text;
    EXPECT_EQ(one.find("VALUE ASSUMED"), std::string::npos);
    EXPECT_EQ(block(one, "LB/FT^3", 7)[6], t10 + "** VALUE ESTIMATED BY THE PROGRAM BASED ON FRICTION ANGLE");
}

TEST(InputEcho, FirstPointWithAnUnknownSoilCodeHasABlankType) {
    Deck d;
    d.soil[0] = "0 7 1 110 0 8";
    EXPECT_EQ(block(echoOf(d).text, "LB/FT^3", 2)[1],
              t10 + "   0.00" + "       " + "      1.00" + "       110.00" + "         0.00" + "      8.00");
}

}  // namespace
}  // namespace vorta::test
