// Whole runs through the load-settlement output, held against golden reports and plot-data files.
// The golden files were checked by hand in the places named below before they were taken in.
#include <string>

#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vorta {
namespace {

using test::matchesGolden;
using test::maskRunSpecificLines;
using test::readFile;
using test::runOnTexts;
using test::sourcePath;

// English: 18 in open pipe, 34 ft with 4 ft stickup (30 ft embedded), battered 10 degrees,
// USACE curves, 2 ft of zero friction, a three-row modifier table, tip factors 0.9 on load and
// 1.2 on movement, three verification depths (60 ft below the profile).
// Checked by hand:
// - layer curve 2, the middle of the sand from 0 to 12 ft: 0.5 * (1.1 + 0 + 144 - 0.5) / 12 =
//   6.025 ft; its first movement 0.01 in * (1 + 0.2 * 6.025 / 15) = 0.0108 in;
// - layer curve 4, the top of the clay at 12 ft (USACE clay shape, 0.97 / 1.0 / 0.97 / 0.93 of the
//   peak): last movement 10 in * (1 + 0.2 * 12 / 15) = 11.6 in;
// - tip curve: vertical tip 30 * cos 10 = 29.54 ft in the sand (36 degrees at node 6, exponent
//   0.333), zref = 0.05 * 18 = 0.9 in; point 9: 2.0 * 1.2 = 2.4 in and
//   0.9 * 65.49 kips * (2.0 / 0.9)^0.333 = 76.89 kips (65.5 kips: the USACE table's last row);
// - load step 1: 0.0001 in on the first tip segment (0.00012 in, 2.842 kips): 2.368 kips;
// - verification depth 6 ft: sand, 32 degrees (K = 10000), first movement 0.0108 in as above.
TEST(LoadSettlementGolden, EnglishStickupBatterModifiersAndTipFactors) {
    const auto result = runOnTexts(readFile(sourcePath("tests/settlement/data/english_stickup_batter.dat")), "0 0\n");
    ASSERT_EQ(result.status, 0);
    EXPECT_TRUE(matchesGolden(maskRunSpecificLines(result.report), "tests/settlement/data/english_stickup_batter.out"));
    EXPECT_TRUE(matchesGolden(result.plot, "tests/settlement/data/english_stickup_batter.plt"));
}

// SI: 610 mm closed pipe, 21.5 m with 1.5 m stickup (20 m embedded), battered 8 degrees, FHWA
// curves, one cross-section area (0.0236 m2), a two-row modifier table, tip factors 1.1 on load
// and 0.9 on movement, four user tip movements, a negative verification depth.
// Checked by hand:
// - layer curve 2, the middle of the clay (5 m): peak movement 5 mm = 0.005 m times
//   fM = 1 - 0.2 * 5 / 20 = 0.95: 0.00475 m; residual 0.8: t6 / t5 = 38.53 / 48.16;
// - tip curve: z1 = 0.0005 * 0.61 * 0.9 = 2.745E-4 m; points 7 to 9 at 1.1 Qt;
// - load step 1: 0.001 m between 5.49E-4 m (141.5 kN) and 1.098E-3 m (282.9 kN): 257.7 kN;
// - verification depth 5 m: the same curve as layer curve 2; -1 m: the message, no plot record.
TEST(LoadSettlementGolden, SiStickupBatterModifiersTipFactorsAndMovementList) {
    const auto result = runOnTexts(readFile(sourcePath("tests/settlement/data/si_stickup_batter.dat")), "0 0\n");
    ASSERT_EQ(result.status, 0);
    EXPECT_TRUE(matchesGolden(maskRunSpecificLines(result.report), "tests/settlement/data/si_stickup_batter.out"));
    EXPECT_TRUE(matchesGolden(result.plot, "tests/settlement/data/si_stickup_batter.plt"));
}

}  // namespace
}  // namespace vorta
