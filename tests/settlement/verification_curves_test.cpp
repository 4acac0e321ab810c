#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settlement/settlement.h"
#include "settlement/settlement_fixtures.h"

namespace vorta {
namespace {

using test::CapturedState;
using test::makeEnglishSandPile;
using test::setSoilPoint;
using test::splitLines;

void listDepths(AnalysisState& s, std::initializer_list<double> depths) {
    s.input.tzOutputDepthCount = static_cast<int>(depths.size());
    int k = 0;
    for (double d : depths) s.input.tzOutputDepths[static_cast<std::size_t>(++k)] = d;
}

// Clay from 0 to 10 ft over sand from 10 to 40 ft, residual 0.5 in the clay.
void makeClayOverSand(AnalysisState& s) {
    makeEnglishSandPile(s);
    setSoilPoint(s, 1, 0.0, 2.0, 0.0, 0.0, 0.5);
    setSoilPoint(s, 2, 10.0, 2.0, 0.0, 0.0, 0.5);
    setSoilPoint(s, 3, 10.0, 1.0, 32.0);
    setSoilPoint(s, 4, 40.0, 1.0, 32.0);
}

TEST(VerificationCurves, DepthsOutsideTheProfileAreReportedAndLeftOutOfThePlotData) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeClayOverSand(s);
    listDepths(s, {-1.0, 5.0, 40.5});
    writeVerificationCurves(s);
    const std::string report = c.report.str();
    EXPECT_EQ(2, [&] {
        int n = 0;
        for (std::size_t at = report.find("CURVE NOT PRINTED SINCE DEPTH OUTSIDE SOIL RANGE"); at != std::string::npos;
             at = report.find("CURVE NOT PRINTED", at + 1))
            ++n;
        return n;
    }());
    EXPECT_NE(report.find("            1         10     -0.1000E+01\n"
                          "               CURVE NOT PRINTED SINCE DEPTH OUTSIDE SOIL RANGE"),
              std::string::npos);
    const std::vector<std::string> plot = splitLines(c.plot.str());
    ASSERT_EQ(plot.size(), 12u);  // the count, then one curve of eleven records
    EXPECT_EQ(std::stoi(plot[0]), 1);
    EXPECT_EQ(plot[1], "            2         10      0.5000E+01");  // numbered by its place in the list
}

TEST(VerificationCurves, EnglishCurvesArePrintedInFeetPsiAndInches) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeClayOverSand(s);
    listDepths(s, {5.0});
    writeVerificationCurves(s);
    // Clay at 5 ft: 1 psi, peak at 0.01 * 12 = 0.12 in, residual 0.5 from 0.24 in on.
    const std::vector<std::string> plot = splitLines(c.plot.str());
    ASSERT_EQ(plot.size(), 12u);
    EXPECT_EQ(plot[7], std::string(47, ' ') + "0.1000E+01      0.1200E+00");
    EXPECT_EQ(plot[8], std::string(47, ' ') + "0.5000E+00      0.2400E+00");
    EXPECT_NE(c.report.str().find("* (t-z) CURVES FOR VERIFICATION                 *"), std::string::npos);
}

TEST(VerificationCurves, ThinLayerTakesTheTypeOfTheThickerLayerBelow) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeClayOverSand(s);
    // A 0.05 ft sand seam from 10 to 10.05 ft, then clay to 40 ft: a depth in the seam is read
    // as the clay below it (sand would carry no residual).
    setSoilPoint(s, 1, 0.0, 2.0, 0.0, 0.0, 0.5);
    setSoilPoint(s, 2, 10.0, 2.0, 0.0, 0.0, 0.5);
    setSoilPoint(s, 3, 10.0, 1.0, 32.0);
    setSoilPoint(s, 4, 10.05, 1.0, 32.0);
    setSoilPoint(s, 5, 10.05, 2.0, 0.0, 0.0, 0.5);
    setSoilPoint(s, 6, 40.0, 2.0, 0.0, 0.0, 0.5);
    listDepths(s, {10.02});
    writeVerificationCurves(s);
    EXPECT_EQ(s.curves[1].type, 2);
    // The residual ratio is read within the sand seam (0 there), so the clay curve takes 0.9.
    EXPECT_NEAR(s.curves[1].t[9], 0.9, 1e-7);
}

TEST(VerificationCurves, TrailingThinLayerUsesTheLastPairOfPoints) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeClayOverSand(s);
    setSoilPoint(s, 5, 40.0, 1.0, 36.0);
    setSoilPoint(s, 6, 40.05, 1.0, 36.0);  // a last layer 0.05 ft thick
    s.input.loadTransferMethod = kSelUsace;
    listDepths(s, {40.02});
    writeVerificationCurves(s);
    // No pair at least 0.11 thick reaches 40.02 ft: the last pair (sand, 36 degrees) is used.
    EXPECT_EQ(s.curves[1].type, 1);
    EXPECT_DOUBLE_EQ(s.curves[1].curveFrictionAngle, 36.0);
    EXPECT_EQ(std::stoi(splitLines(c.plot.str())[0]), 1);
}

TEST(VerificationCurves, EmptyProfileMakesEveryDepthInvalid) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.soilPointCount = 0;
    listDepths(s, {0.0, 3.0});
    writeVerificationCurves(s);
    EXPECT_EQ(std::stoi(splitLines(c.plot.str())[0]), 0);
    s.input.tzOutputDepthCount = 100000;  // never past the table
    writeVerificationCurves(s);
}

}  // namespace
}  // namespace vorta
