// Whole runs with the general, FHWA, USACE, Revised Lambda and API RP-2A tables side by side, in
// English and SI units. The golden files hold the result tables only (from the computation-result
// heading to the notes), so that they follow the methods and not the echo or the load-settlement
// output.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vorta::test {
namespace {

std::string resultTables(const std::string& report) {
    const std::size_t begin = report.find("* COMPUTATION RESULT *");
    const std::size_t end = report.find("NOTES:", begin);
    if (begin == std::string::npos || end == std::string::npos) return report;
    const std::size_t lineStart = report.rfind('\n', begin);
    return report.substr(lineStart == std::string::npos ? 0 : lineStart + 1, end - lineStart);
}

// The rows of the table under a banner, each with its blanks collapsed ("20.00 62.8 31.4 94.2").
std::vector<std::string> tableRows(const std::string& report, const std::string& banner) {
    std::vector<std::string> rows;
    const std::size_t begin = report.find(banner);
    if (begin == std::string::npos) return rows;
    std::size_t end = report.find("*****", report.find('\n', report.find('\n', begin) + 1));
    if (end == std::string::npos) end = report.size();
    std::istringstream lines(report.substr(begin, end - begin));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string word;
        std::string collapsed;
        while (words >> word) collapsed += (collapsed.empty() ? "" : " ") + word;
        if (!collapsed.empty()) rows.push_back(collapsed);
    }
    return rows;
}

bool hasRow(const std::string& report, const std::string& banner, const std::string& row) {
    for (const std::string& r : tableRows(report, banner)) {
        if (r == row) return true;
    }
    return false;
}

// 12 in closed pipe, 20 ft in 10 ft of clay (su 1000 psf, 60 pcf) over sand (phi 32, K 1,
// 60 pcf, maximum unit friction 9999 ksf), API RP-2A selected; user values 800 / 9000 psf in the
// clay, 1200 / 40000 psf in the sand. Checked by hand (P = 3.14159 ft, A = 0.7853975 ft2):
// - GENERAL at 20 ft: 10 x 0.8 x P + 10 x 1.2 x P = 62.8; end bearing 40 x A = 31.4.
// - ARMY CORPS: clay alpha 0.75, 5 ft: 5 x 0.75 x P = 11.8; sand K 1.25 (API selected), delta 24,
//   stress held at 0.6 ksf below 10 diameters: 0.333921 ksf; 20 ft: 23.562 + 1.703 + 9 x 1.049 =
//   34.7; end bearing Nq 30 x 0.6 x A = 14.1 at 15 and 20 ft.
// - LAMBDA 2 at 5 ft: mu = 0.0028736, lambda 0.41927, Q = 0.41927 x 2.15 x P x 5 = 14.2; at 20 ft
//   cm = 0.781191, mu = 0.035917, lambda 0.33845, Q = 0.33845 x 2.162382 x P x 20 = 46.0; end
//   bearing Nq 28 x 1.2 x A = 26.4.
// - API RP-2A at 5 ft: alpha 0.5 sigma^0.25 per segment, 1.52614 x P = 4.8; at 20 ft
//   11.2 + (0.388172 + 4.26472) x P = 25.8.
constexpr const char* kEnglishInput = R"(FOUR CONVENTIONAL METHODS BESIDE FHWA - 12 IN CLOSED PIPE, CLAY OVER SAND
CONVENTIONAL METHODS CHECK
CONV-ENGLISH
1 5 4 1
0 0 12 0 29000000 20 0
0 0 0
0 1 1 0 4 0 0
1 1 1 1 1 0 0 0 0
30 0
 0.0  2 0    60  0 0
 0 0 1000 500 0 20 0  800  9000 1.0 1.0 0 0 0
10.0  2 0    60  0 0
 0 0 1000 500 0 20 0  800  9000 1.0 1.0 0 0 0
10.0  1 1.0  60 32 0
 9999000 0 0 20 0 0 0 1200 40000 1.0 1.0 0 0 0
30.0  1 1.0  60 32 0
 9999000 0 0 20 0 0 0 1200 40000 1.0 1.0 0 0 0
0
2 1.0
0 0 0
0 0
0 0
0
0
0
)";

// 300 mm closed pipe, 12 m in 6 m of clay (su 48 kPa, 8 kN/m3) over sand (phi 32, K 1, 8 kN/m3,
// maximum unit friction 9999 kPa); USACE critical depth by the 185 kPa stress rule, which the
// profile never reaches (160 kPa at 20 m). Checked by hand (P = 0.942477 m, A = 0.0706858 m2):
// - GENERAL at 12 m: 6 x 40 x P + 6 x 60 x P = 565.5; end bearing 1900 x A = 134.3.
// - ARMY CORPS: clay alpha 0.75, 6 m: 6 x 36 x P = 203.6; 12 m: 203.6 + 245.067 x P = 434.5; no
//   critical depth in the profile, so the end bearing is not capped: 30 x 96 x A = 203.6 at 12 m.
// - LAMBDA 2 at 12 m: cm = 46.495, mu = 0.175729, lambda 0.287644,
//   Q = 0.287644 x 140.99 x P x 12 = 458.7; end bearing 28 x 96 x A = 190.0.
// - API RP-2A at 12 m: 111.2 + (26.267 + 193.62) x P = 318.5.
constexpr const char* kSiInput = R"(FOUR CONVENTIONAL METHODS BESIDE FHWA - 300 MM CLOSED PIPE, CLAY OVER SAND
CONVENTIONAL METHODS CHECK
CONV-SI
2 2 4 1
0 0 300 0 200000000 12 0
0 0 0
0 1 1 0 2 0 0
1 1 1 1 1 0 0 0 0
20 0
 0.0  2 0     8  0 0
 0 0 48 24 0 20 0  40  430 1.0 1.0 0 0 0
 6.0  2 0     8  0 0
 0 0 48 24 0 20 0  40  430 1.0 1.0 0 0 0
 6.0  1 1.0   8 32 0
 9999 0 0 20 0 0 0 60 1900 1.0 1.0 0 0 0
20.0  1 1.0   8 32 0
 9999 0 0 20 0 0 0 60 1900 1.0 1.0 0 0 0
0
2 1.0
0 0 0
0 0
1 0
0
0
0
)";

TEST(ConventionalTables, EnglishRunPrintsTheFiveTablesAsWorkedByHand) {
    const RunResult run = runOnTexts(kEnglishInput, "0 0\n");
    ASSERT_EQ(run.status, kRunCompleted) << run.console;
    // The hand-worked rows above.
    EXPECT_TRUE(hasRow(run.report, "* GENERAL METHOD *", "20.00 62.8 31.4 94.2"));
    EXPECT_TRUE(hasRow(run.report, "* ARMY CORPS METHOD  *", "5.00 11.8 7.1 18.8"));
    EXPECT_TRUE(hasRow(run.report, "* ARMY CORPS METHOD  *", "20.00 34.7 14.1 48.8"));
    EXPECT_TRUE(hasRow(run.report, "*  LAMBDA 2 METHOD   *", "5.00 14.2 7.1 21.2"));
    EXPECT_TRUE(hasRow(run.report, "*  LAMBDA 2 METHOD   *", "20.00 46.0 26.4 72.4"));
    EXPECT_TRUE(hasRow(run.report, "*  API RP-2A (2010)  *", "5.00 4.8 7.1 11.9"));
    EXPECT_TRUE(hasRow(run.report, "*  API RP-2A (2010)  *", "20.00 25.8 26.4 52.2"));
    EXPECT_TRUE(matchesGolden(resultTables(run.report), "tests/methods/conventional/data/four_methods_english.out"));
}

TEST(ConventionalTables, SiRunPrintsTheFiveTablesAsWorkedByHand) {
    const RunResult run = runOnTexts(kSiInput, "0 0\n");
    ASSERT_EQ(run.status, kRunCompleted) << run.console;
    EXPECT_TRUE(hasRow(run.report, "* GENERAL METHOD *", "12.00 565.5 134.3 699.8"));
    EXPECT_TRUE(hasRow(run.report, "* ARMY CORPS METHOD  *", "6.00 203.6 68.1 271.6"));
    EXPECT_TRUE(hasRow(run.report, "* ARMY CORPS METHOD  *", "12.00 434.5 203.6 638.1"));
    EXPECT_TRUE(hasRow(run.report, "*  LAMBDA 2 METHOD   *", "12.00 458.7 190.0 648.7"));
    EXPECT_TRUE(hasRow(run.report, "*  API RP-2A (2010)  *", "12.00 318.5 190.0 508.5"));
    EXPECT_TRUE(matchesGolden(resultTables(run.report), "tests/methods/conventional/data/four_methods_si.out"));
}

}  // namespace
}  // namespace vorta::test
