// Whole runs through the method sequence of both passes: which tables print and in which order,
// the plot-data header and capacity blocks, and the hand-over of the load-transfer method.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"

namespace vorta {
namespace {

// An 18 in open-ended pipe, 30 ft embedded, 1 ft increment, every fifth row printed: sand of
// 120 pcf and 32 degrees to 12 ft, clay of 2500 psf to 20 ft, clay of 3500 psf to 40 ft.
struct Case {
    std::string methods = "1 0 0 0 0 0 0 0 0";
    int loadTransferMethod = 1;
    int cptMethodsFlag = 0;
    double batter = 0.0;
    int loadingType = 0;
    double tensionFactor = 1.0;
    std::string bearingFactor = "1.0";  // LRFD factor on unit bearing of every soil point
    std::string userFriction = "0";     // soil column 13, psf
    std::string userBearing = "0";      // soil column 14, psf

    std::string text() const {
        const std::string tail = " 0 " + userFriction + " " + userBearing + " 1.0 " + bearingFactor + " 0 0 0\n";
        std::string t;
        t += "18 IN OPEN-ENDED STEEL PIPE PILE IN SAND OVER CLAY - FHWA\n";
        t += "VORTA TEST SUITE\n";
        t += "METHOD SEQUENCE\n";
        t += "1 5 6 0\n";
        t += "0 0 18 17 29000000 30 0\n";
        t += "0 0 " + std::to_string(batter) + "\n";
        t += "0 1 1 0 " + std::to_string(loadTransferMethod) + " " + std::to_string(cptMethodsFlag) + " 0\n";
        t += methods + "\n";
        t += "40 0\n";
        t += " 0.0 1 0 120 32 0\n 0 0 0 0 0 0" + tail;
        t += "12.0 1 0 120 32 0\n 0 0 0 0 0 0" + tail;
        t += "12.0 2 0 60 0 0\n 0 0 2500 1250 0 20" + tail;
        t += "20.0 2 0 60 0 0\n 0 0 2500 1250 0 20" + tail;
        t += "20.0 2 0 62 0 0\n 0 0 3500 1750 0 25" + tail;
        t += "40.0 2 0 62 0 0\n 0 0 3500 1750 0 25" + tail;
        t += "0\n";
        t += std::to_string(loadingType) + " " + std::to_string(tensionFactor) + "\n";
        t += "0 0 0\n0 0\n0 0\n0\n0\n0\n";
        return t;
    }
};

const char* const kNoSounding = "1 0\n";

test::RunResult run(const Case& c) {
    test::RunResult r = test::runOnTexts(c.text(), kNoSounding);
    EXPECT_EQ(r.status, kRunCompleted) << r.report;
    return r;
}

// Banner texts in the order they appear in the report.
std::vector<std::string> tableBanners(const std::string& report) {
    static const std::vector<std::string> titles = {
        "* GENERAL METHOD *",
        "*  FED. HWY. METHOD  *",
        "* ARMY CORPS METHOD  *",
        "*  LAMBDA 2 METHOD   *",
        "*  API RP-2A (2010)  *",
        "*  NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD  *",
        "*  IMPERIAL COLLEGE (MTD) METHOD  *",
        "*    FUGRO 2004 (FUGRO) METHOD    *",
        "*  UNIV. OF WESTERN AUSTRALIA (UWA) METHOD  *",
    };
    std::vector<std::string> found;
    for (const std::string& line : test::splitLines(report)) {
        for (const std::string& title : titles) {
            if (line.find(title) != std::string::npos) found.push_back(title);
        }
    }
    return found;
}

// The report from the notes below the tables to its end: the load-settlement output.
std::string loadSettlementPart(const std::string& report) {
    const std::size_t at = report.find("            NOTES:");
    return at == std::string::npos ? std::string() : report.substr(at);
}

std::string plotAfterCapacityBlocks(const std::string& plot, int blocks, int rowsPerBlock) {
    std::vector<std::string> lines = test::splitLines(plot);
    std::string rest;
    for (std::size_t i = 1 + static_cast<std::size_t>(blocks * rowsPerBlock); i < lines.size(); ++i) rest += lines[i] + "\n";
    return rest;
}

// Checked by hand in the FHWA table of the golden report (every fifth row, pile 1.5 ft wide,
// perimeter P = 3.14159 * 1.5 = 4.712385 ft):
// - sand: V = 0.7853975 (18^2 - 17^2) / 144 = 0.190893 ft3/ft (annulus, the plug friction
//   governs at the start of the pass); delta/phi 0.342; K-delta 0.880298 + 0.4 (1.210596 -
//   0.880298) = 1.012417; C-F 0.6252; f = 1.012417 * 0.6252 * sin(10.944) sigma' = 0.120169 *
//   0.12 z = 0.0144203 z ksf: 0.072 at 5 ft and 0.144 at 10 ft in the plot column; skin friction
//   P * 0.0144203 * 5^2 / 2 = 0.8 and P * 0.0144203 * 50 = 3.4 kips;
// - clay 12..20 ft, case 1 under the sand, b = (0 - 12 + 20) / 1.5 = 5.33: alpha 1, f = 2.5 ksf;
//   Q(15) = P (0.0144203 * 72 + (0.17304 + 2.5) / 2 + 2 * 2.5) = 34.8 kips;
// - the segment ending at 20 ft adds the layer's 8 ft to S: b = (8 - 12 + 20) / 1.5 = 10.67,
//   alpha = 0.875 + 9.33 * 0.125 / 10 = 0.99167, f = 2.479 at 20 ft; Q(20) = 34.7528 + P (4 * 2.5
//   + (2.5 + 2.47917) / 2) = 93.6 kips;
// - clay below 20 ft: b = (8 - 20 + 30) / 1.5 = 12, alpha = 0.75 + 8 * 0.25 / 10 = 0.95,
//   f = 3.325 ksf; Q(25) = 93.6085 + P ((2.47917 + 3.325) / 2 + 4 * 3.325) = 170.0 and
//   Q(30) = 169.959 + 5 * 3.325 P = 248.3 kips;
// - ultimate = skin + bearing in every row (93.6 + 47.7 = 141.3); rows 0, 5, ..., 30 printed; the
//   plot header reads 1 method, 7 rows, English, load transfer by FHWA.
TEST(MethodRunsGolden, OpenPipeInSandOverClayWithFhwa) {
    const std::string input = test::readFile(test::sourcePath("tests/report/data/fhwa_pipe_sand_clay.dat"));
    const test::RunResult r = test::runOnTexts(input, kNoSounding);
    ASSERT_EQ(r.status, kRunCompleted) << r.console;
    EXPECT_TRUE(test::matchesGolden(test::maskRunSpecificLines(r.report), "tests/report/data/fhwa_pipe_sand_clay.out"));
    EXPECT_TRUE(test::matchesGolden(r.plot, "tests/report/data/fhwa_pipe_sand_clay.plt"));
}

TEST(MethodRuns, TablesFollowTheReportOrderWhateverTheSelection) {
    Case c;
    c.methods = "1 1 1 1 1 0 0 0 0";
    c.userFriction = "1000";
    c.userBearing = "40000";
    const test::RunResult r = run(c);
    EXPECT_EQ(tableBanners(r.report),
              (std::vector<std::string>{"* GENERAL METHOD *", "*  FED. HWY. METHOD  *", "* ARMY CORPS METHOD  *",
                                        "*  LAMBDA 2 METHOD   *", "*  API RP-2A (2010)  *"}));
    // Header record, then five blocks of seven rows, then the load-settlement blocks.
    const std::vector<std::string> plot = test::splitLines(r.plot);
    ASSERT_GT(plot.size(), 36u);
    EXPECT_EQ(plot[0], "           5           7           1           1");
    // The general method's block comes first and carries the user unit friction, 1.0 ksf.
    EXPECT_EQ(plot[7], "    30.00     141.4      70.7      212.1      1.000");
    // Each block starts at pile length 0 and ends at 30 ft.
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(plot[1 + 7 * b].substr(0, 9), "     0.00") << "block " << b;
        EXPECT_EQ(plot[7 + 7 * b].substr(0, 9), "    30.00") << "block " << b;
    }
    EXPECT_EQ(plot[36].find("    30.00"), std::string::npos);
}

// The general method needs user values (its flag is still counted by the plot header); the CPT
// methods need the CPT flag (theirs are not).
TEST(MethodRuns, GeneralMethodNeedsUserValuesAndCptTablesTheCptFlag) {
    for (const auto& [methods, header] : {std::pair{"1 0 0 0 1 0 0 0 0", "           2           7           1           1"},
                                          {"1 0 0 0 0 1 1 1 1", "           1           7           1           1"}}) {
        Case c;
        c.methods = methods;
        const test::RunResult r = run(c);
        EXPECT_EQ(tableBanners(r.report), (std::vector<std::string>{"*  FED. HWY. METHOD  *"})) << methods;
        EXPECT_EQ(test::splitLines(r.plot)[0], header) << methods;
    }
}

TEST(MethodRuns, LoadTransferMethodHandsOverItsRowsWhenItsTableIsNotPrinted) {
    Case printed;
    printed.methods = "1 0 0 0 0 0 0 0 0";
    Case unprinted;
    unprinted.methods = "0 1 0 0 0 0 0 0 0";
    const test::RunResult a = run(printed);
    const test::RunResult b = run(unprinted);
    ASSERT_FALSE(loadSettlementPart(a.report).empty());
    EXPECT_EQ(loadSettlementPart(a.report), loadSettlementPart(b.report));
    EXPECT_EQ(plotAfterCapacityBlocks(a.plot, 1, 7), plotAfterCapacityBlocks(b.plot, 1, 7));
    EXPECT_EQ(b.report.find("WAS NOT COMPUTED"), std::string::npos);
}

TEST(MethodRuns, LoadTransferMethodNotComputedIsSaidOnceBeforeTheLoadSettlementOutput) {
    Case c;
    c.loadTransferMethod = 6;  // NGI without the CPT flag
    const test::RunResult r = run(c);
    const std::string note =
        "          NOTE: THE METHOD CHOSEN FOR LOAD TRANSFER (  6) WAS NOT COMPUTED; ITS LOAD-TRANSFER VALUES ARE ZERO.";
    const std::size_t at = r.report.find(note);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(r.report.find(note, at + 1), std::string::npos);
    EXPECT_LT(at, r.report.find("            NOTES:"));

    Case general;
    general.loadTransferMethod = 5;  // no user values: the general method never ran
    EXPECT_NE(run(general).report.find("FOR LOAD TRANSFER (  5) WAS NOT COMPUTED"), std::string::npos);
}

TEST(MethodRuns, ZeroBearingFactorPrintsNoBearingButHandsOverTheUnfactoredTip) {
    Case factored;
    factored.bearingFactor = "0";
    const test::RunResult zero = run(factored);
    const test::RunResult one = run(Case{});
    // The table's bearing column is 0 and the ultimate capacity is the skin friction alone.
    EXPECT_NE(zero.report.find("             30.00         248.3           0.0        248.3"), std::string::npos)
        << zero.report;
    EXPECT_EQ(loadSettlementPart(zero.report), loadSettlementPart(one.report));
    EXPECT_EQ(zero.report.find("NAN"), std::string::npos);
    EXPECT_EQ(zero.report.find("nan"), std::string::npos);
}

TEST(MethodRuns, BatteredTensionPrintsTheSelfWeightTableWithDepths) {
    Case c;
    c.batter = 10.0;
    c.loadingType = 1;
    c.tensionFactor = 0.7;
    const test::RunResult r = run(c);
    const std::string header =
        "          PILE LENGTH      DEPTH         SKIN          SELF      ULTIMATE\n"
        "          BELOW GND.    BELOW GND.    FRICTION        WEIGHT     CAPACITY\n"
        "              FT.          FT.          KIP           KIP          KIP\n";
    EXPECT_NE(r.report.find(header), std::string::npos) << r.report;
    // Pile length 30 ft at a batter of 10 degrees lies 29.54 ft deep.
    EXPECT_NE(r.report.find("\n             30.00        29.54"), std::string::npos);
    EXPECT_EQ(r.report.find("LENGTH\n", r.report.find("*  FED. HWY. METHOD  *")), std::string::npos);
}

}  // namespace
}  // namespace vorta
