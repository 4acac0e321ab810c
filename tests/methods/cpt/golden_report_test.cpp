// A whole SI run with a CPT sounding: API RP-2A and the four CPT-based tables.
//
// The case: 610 mm open pipe (560 mm inside), 10 m embedded in 1 m increments, plugged (plug
// condition 1); sand of 9 kN/m3 to 5 m over clay of 8 kN/m3 (su 60 to 90 kPa, yield stress ratio 2,
// PI 30); a sounding of qc 0 at the surface, 4000 kPa at 2 m, 8000 kPa at 5 m, then 1500 kPa.
// Perimeter P = 3.14159 * 0.61 = 1.91637 m, tip area A = 0.7853975 * 0.61^2 = 0.292247 m2,
// annulus 0.7853975 * (0.61^2 - 0.56^2) = 0.0459458 m2. Numbers of the golden report worked out by
// hand:
// - NGI skin friction at 2 m, 1.2: segment 2 (qc 2000 at its top, z/L = 0.1) at 18 kPa:
//   q_ref = 22 sqrt(1800) = 933.4, Dr = 0.4 ln(2000 / 933.4) = 0.30484,
//   f = 100 * 0.18^0.25 * 2.1 * 0.20484^1.7 * 0.1 * 1.3 = 1.2005; (0 + 1.2005) * 0.5 * P = 1.150.
//   At 3 m, 10.3: f = 8.325 at 27 kPa (segment 3, qc 4000, z/L = 0.2); 1.150 + (1.2005 + 8.325)
//   * 0.5 * P = 10.277.
// - ICP/MTD skin friction at 2 m, 6.1: R* = sqrt((610^2 - 560^2) / 4) = 120.93 mm, h/R* = 9000 /
//   120.93 = 74.42, eta = 2000 / sqrt(1800) = 47.14, G = 2000 / (0.0203 + 0.05893 - 0.00270) =
//   26136, dilation = 2 G 0.02 / 305 = 3.428, radial = 0.029 * 2000 * 0.18^0.13 * 74.42^-0.38 =
//   9.023; f = tan 27 (9.023 + 3.428) = 6.344; * 0.5 * P = 6.079.
// - Fugro skin friction at 2 m, 2.9: r = 9000 / 120.93 = 74.42, f = 0.08 * 2000 * 0.18^0.05 *
//   74.42^-0.9 = 3.036; * 0.5 * P = 2.909.
// - UWA skin friction at 2 m, 6.7: FFR = (0.56 / 1.5)^0.2 = 0.82114, A_re = 1 - 0.82114 * 0.84278
//   = 0.30795, h/D = 14.754, radial = 0.03 * 2000 * 0.30795^0.3 / sqrt(14.754) = 10.971,
//   q_c1N = 20 / sqrt(0.18) = 47.14, G = 370000 / 47.14^0.75 = 20566, dilation = 0.08 G / 610 =
//   2.697; f = tan 27 (10.971 + 2.697) = 6.964; * 0.5 * P = 6.673.
// - NGI end bearing at 1 m, 143.0: segment 1 has qc 0 and bears nothing; segment 2 (qc 2000)
//   open end 0.7 qc / (1 + 3 Dr^2) = 880.5 kPa at 9 kPa (Dr 0.44345) and 1094.8 kPa at 18 kPa;
//   times A: 257.3 and 319.95 kN, integrated from 1 to 1.915 m: 261.7 kN m, / (3 * 0.61) = 143.0.
// - Fugro end bearing at 1 m, 349.8: 8.5 * 100 * sqrt(20) * (1 - (560/610)^2)^0.25 = 2393.6 kPa
//   in segment 2 only; 2393.6 * A * 0.915 / 1.83 = 349.8.
// - ICP/MTD end bearing at 1 m, 97.5: the wall bearing 2000 * 0.0459458 = 91.9 kN rules at the
//   bottom node of segment 1 (qc 0 above); segment 2 holds 385.5 kPa * A = 112.7 kN at its top and
//   the wall bearing 183.8 kN (qc 4000) at its bottom: (45.62 + 132.86) / 1.83 = 97.5.
// - End bearing at 10 m in clay: ICP/MTD, Fugro and UWA plugged and undrained 0.4 * 1500 * A =
//   175.3; NGI and API RP-2A nine times su over the tip zone, 9 (75 + 78.33) / 2 * A = 201.7.
#include <gtest/gtest.h>

#include "support/test_support.h"

namespace vorta::test {
namespace {

TEST(CptGoldenReport, OpenPipeInSandOverClayWithASounding) {
    const std::string input = readFile(sourcePath("tests/methods/cpt/data/cpt_si_open_pipe.dat"));
    const std::string cpt = readFile(sourcePath("tests/methods/cpt/data/cpt_si_open_pipe.cpt"));
    const RunResult r = runOnTexts(input, cpt);
    ASSERT_EQ(r.status, kRunCompleted);
    EXPECT_TRUE(matchesGolden(maskRunSpecificLines(r.report), "tests/methods/cpt/data/cpt_si_open_pipe.out"));
}

}  // namespace
}  // namespace vorta::test
