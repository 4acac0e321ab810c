#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>

#include "engine/constants.h"
#include "input/input.h"
#include "support/test_support.h"

namespace vorta::test {
namespace {

// Segments of 1 length unit from the surface down, with the given soil types and unit weights.
// English units, 12 in diameter (D = 1 ft), rule 0 for the critical depth.
std::unique_ptr<AnalysisState> segments(std::initializer_list<double> types, std::initializer_list<double> weights) {
    auto s = newState();
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    int c = 0;
    for (double t : types) {
        ++c;
        s->segSoilType[c] = t;
        s->segTopDepth[c] = c - 1.0;
        s->segBottomDepth[c] = c;
        s->segFrictionAngle[c] = t < 1.5 ? 30.0 : 0.0;
        s->segShearStrength[c] = t < 1.5 ? 0.0 : 1.0;
    }
    s->segmentCount = c;
    c = 0;
    for (double w : weights) s->segEffUnitWeight[++c] = w;
    return s;
}

// n clay segments of the same unit weight.
std::unique_ptr<AnalysisState> uniformClay(int n, double weight) {
    auto s = segments({}, {});
    for (int c = 1; c <= n; ++c) {
        s->segSoilType[c] = 2.0;
        s->segTopDepth[c] = c - 1.0;
        s->segBottomDepth[c] = c;
        s->segEffUnitWeight[c] = weight;
        s->segShearStrength[c] = 1.0;
    }
    s->segmentCount = n;
    return s;
}

TEST(FrictionAngleFromBlowCount, ChartValueLimitedBetweenTheLimitCurves) {
    // N = 20 at 20 psi: the 20 psi chart gives 36; the limit is 37.5 at 0 psi and 32.5 at
    // 40 psi, 35 at 20 psi.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(20, 20, 0), 35.0);
    // N = 8 at 30 psi: 30 + 0.5 x 2 = 31; limit 34 + 30 x (29 - 34) / 40 = 30.25.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(8, 30, 0), 30.25);
}

TEST(FrictionAngleFromBlowCount, LowOverburdenBranches) {
    // N = 1, 10 psi: 0 psi chart 16; 16 - 0.5 x (16 - 30) = 23; limit 28.75.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(1, 10, 0), 23.0);
    // N = 4, 10 psi: 34 - 0.5 x 4 = 32; limit 32 + 10 x (27 - 32) / 40 = 30.75.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(4, 10, 0), 30.75);
    // N = 10 at 0.416667 psi: 38 - (38 - 32) x b / 20 = 37.875; limit 35 - 5 b / 40 = 34.947917.
    const double b = 0.06 * 1000.0 / 144.0;
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(10, b, 0), 35.0 + b * (30.0 - 35.0) / 40.0);
    // N = 3 at 0 psi: 33 from the chart, limit 30 at the first limit point.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(3, 0, 0), 30.0);
    // N = 60, 20 psi: 40 + 20 x 5 / 20 = 45; limit 43 + 20 x (38 - 43) / 40 = 40.5.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(60, 20, 0), 40.5);
}

TEST(FrictionAngleFromBlowCount, NoChartValueReturnsThePreviousEstimateWithinTheLimit) {
    // 50 psi with N = 5: no chart value; the limit at 40 psi and N = 5 is 27.5.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(5, 50, 20), 20.0);
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(5, 50, 28), 27.5);
    // 30 psi with N exactly 90: no chart value; limit 43 + 30 x (38 - 43) / 40 = 39.25.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(90, 30, 33), 33.0);
    // 40 psi and above with N between 10 and 90: the 40 psi chart, 39 at N = 50; limit 37.
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(50, 45, 0), 37.0);
    EXPECT_DOUBLE_EQ(frictionAngleFromBlowCount(12, 40, 0), std::min(31.0 + 0.4, 30.0 + 2.0 * 5.0 / 20.0));
}

TEST(NodePreparation, EffectiveStressAccumulatesDownThePile) {
    auto s = segments({2, 2, 2}, {100, 120, 60});
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[1], 0.0);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[2], 0.1);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[3], 0.1);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[4], 0.22);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[5], 0.22);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[6], 0.28);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[7], 0.28);
}

TEST(NodePreparation, SiStressIsThicknessTimesUnitWeight) {
    auto s = segments({2, 2}, {18, 9});
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[2], 18.0);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[4], 27.0);
}

TEST(NodePreparation, FrictionAngleFromTheBlowCountAtTheNodeOverburden) {
    // One sand segment 1 ft thick at 60 pcf: 0.06 ksf, 0.4167 psi; N = 10.
    auto s = segments({1}, {60});
    s->segFrictionAngle[1] = 0.0;
    s->segYieldStressRatio[1] = 10.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[2], 0.06);
    const double expected = frictionAngleFromBlowCount(10, 0.06 * 1000.0 / 144.0, 0);
    EXPECT_NEAR(expected, 34.947917, 1.0e-6);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], expected);
    EXPECT_DOUBLE_EQ(s->lastFrictionEstimate, expected);
}

TEST(NodePreparation, SiOverburdenInPsi) {
    // 27.5792 kPa = 4 psi (27.5792 / 6.8948); N = 1: 16 - 0.2 x (16 - 30) = 18.8.
    auto s = segments({1}, {27.5792});
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    s->segFrictionAngle[1] = 0.0;
    s->segYieldStressRatio[1] = 1.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], frictionAngleFromBlowCount(1, 27.5792 / sp(6.8948), 0));
    EXPECT_NEAR(s->segFrictionAngle[1], 18.8, 1.0e-5);
}

TEST(NodePreparation, MissingBlowCountTakesTheLastEstimateOfTheRun) {
    auto s = segments({1, 1, 1}, {100, 100, 100});
    s->segFrictionAngle[1] = 0.0;
    s->segYieldStressRatio[1] = 0.0;  // before any estimate: 0
    s->segFrictionAngle[2] = 0.0;
    s->segYieldStressRatio[2] = 1.0;
    s->segFrictionAngle[3] = 0.0;
    s->segYieldStressRatio[3] = 0.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], 0.0);
    const double second = frictionAngleFromBlowCount(1, 0.2 * 1000.0 / 144.0, 0);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[2], second);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[3], second);

    // The estimate is kept across passes: a fresh segmentation with no blow count at the top
    // takes the estimate of the pass before.
    s->segFrictionAngle[1] = 0.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], second);
}

TEST(NodePreparation, ClayWithAYieldStressRatioGetsTheChartAngleForThatBlowCount) {
    auto s = segments({2}, {100});
    s->segFrictionAngle[1] = 0.0;
    s->segYieldStressRatio[1] = 2.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], frictionAngleFromBlowCount(2, 0.1 * 1000.0 / 144.0, 0));
}

TEST(NodePreparation, MissingStrengthFromQcOverFifteenInKsfOrKpa) {
    auto si = segments({2}, {10});
    si->input.unitSystem = kSi;
    si->segShearStrength[1] = 0.0;
    si->segQc[1] = 30.0;
    prepareNodes(*si);
    EXPECT_DOUBLE_EQ(si->segShearStrength[1], 2.0);

    // English qc is held in psf: 30000 psf = 30 ksf gives 2 ksf, not 2000.
    auto en = segments({2}, {100});
    en->segShearStrength[1] = 0.0;
    en->segQc[1] = 30000.0;
    prepareNodes(*en);
    EXPECT_DOUBLE_EQ(en->segShearStrength[1], 2.0);
}

TEST(NodePreparation, SandRuleHoldsTheStressBelowTenDiameters) {
    // Sand at 30 degrees, D = 1 ft: critical depth 10 ft; 100 pcf.
    auto s = uniformClay(15, 100);
    for (int c = 1; c <= 15; ++c) {
        s->segSoilType[c] = 1.0;
        s->segFrictionAngle[c] = 30.0;
    }
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->sandCriticalDepth, 10.0);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[18], s->nodeEffStress[18]);  // bottom of segment 9, 9 ft
    // Segment 10 reaches 10 ft: the stress at 8 ft plus 2 ft of segment 9, 0.8 + 0.2.
    EXPECT_NEAR(s->nodeLimitedEffStress[20], 1.0, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[30], 1.0, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[31], 1.0, 1.0e-12);
    EXPECT_NEAR(s->nodeEffStress[30], 1.5, 1.0e-12);

    // 34 degrees: 15 diameters; 36 degrees: 20 diameters.
    s->segFrictionAngle[15] = 34.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->sandCriticalDepth, 15.0);
    s->segFrictionAngle[15] = 36.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->sandCriticalDepth, 20.0);
}

TEST(NodePreparation, UserCriticalDepthHoldsTheStressAtThatDepth) {
    // Rule 2 at 20 ft, 100 pcf: every node below 20 ft holds 2.0 ksf.
    auto s = uniformClay(30, 100);
    s->input.criticalDepthMethod = 2;
    s->input.criticalDepth = 20.0;
    prepareNodes(*s);
    EXPECT_NEAR(s->nodeLimitedEffStress[38], 1.9, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[40], 2.0, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[60], 2.0, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[61], 2.0, 1.0e-12);
    EXPECT_NEAR(s->nodeEffStress[60], 3.0, 1.0e-12);
}

TEST(NodePreparation, LimitedStressUsesTheUnitWeightOfTheSegmentAboveTheCriticalDepth) {
    // 100 pcf down to 20 ft, 50 pcf below; critical depth 20.5 ft. Segment 21 (20-21 ft) holds it;
    // the stress is that at 19 ft plus 1.5 ft of segment 20's 100 pcf: 1.9 + 0.15 = 2.05.
    auto s = uniformClay(25, 100);
    for (int c = 21; c <= 25; ++c) s->segEffUnitWeight[c] = 50.0;
    s->input.criticalDepthMethod = 2;
    s->input.criticalDepth = 20.5;
    prepareNodes(*s);
    EXPECT_NEAR(s->nodeLimitedEffStress[40], 2.0, 1.0e-12);  // segment 20 ends above 20.5 ft
    EXPECT_NEAR(s->nodeLimitedEffStress[42], 2.05, 1.0e-12);
    EXPECT_NEAR(s->nodeLimitedEffStress[50], 2.05, 1.0e-12);
}

TEST(NodePreparation, CriticalDepthInTheSecondSegmentStartsFromTheSurface) {
    auto s = uniformClay(5, 100);
    s->input.criticalDepthMethod = 2;
    s->input.criticalDepth = 1.5;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[4], 0.15);  // (1.5 - 0) x 100 / 1000
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[10], 0.15);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[2], 0.1);  // segment 1 is never limited
}

TEST(NodePreparation, EffectiveStressRuleFindsTheFirstSegmentAboveTheThreshold) {
    // 125 pcf: 3.5 ksf is reached at 28 ft but not exceeded; the first stress above it is at 29 ft.
    auto s = uniformClay(40, 125);
    s->input.criticalDepthMethod = 1;
    s->input.criticalDepth = 0.0;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 29.0);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[56], s->nodeEffStress[56]);  // 28 ft
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[58], 3.625);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[80], 3.625);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[80], 5.0);
}

TEST(NodePreparation, SiThresholdOfTheEffectiveStressRule) {
    // 10 kN/m3, 1 m segments: above 167.58 kPa first at 17 m (170 kPa).
    auto s = uniformClay(25, 10);
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    s->input.criticalDepthMethod = 1;
    prepareNodes(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 17.0);
    EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[50], 170.0);
}

TEST(NodePreparation, ThresholdNeverReachedLeavesTheStressUnlimited) {
    // 100 pcf over 20 ft: 2 ksf at most. Without a critical depth in the profile the limited
    // stress is the effective stress, not the stress at the surface.
    auto s = uniformClay(20, 100);
    s->input.criticalDepthMethod = 1;
    prepareNodes(*s);
    EXPECT_EQ(s->input.criticalDepth, kNoCriticalDepth);
    for (int c = 1; c <= 20; ++c) {
        EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[2 * c], s->nodeEffStress[2 * c]) << "segment " << c;
        EXPECT_DOUBLE_EQ(s->nodeLimitedEffStress[2 * c + 1], s->nodeEffStress[2 * c + 1]) << "segment " << c;
    }
}

TEST(NodePreparation, SegmentationOfTheSecondPassSearchesTheThresholdAgain) {
    auto s = newState();
    InputData& d = s->input;
    d.unitSystem = kEnglish;
    d.lengthIncrement = 1.0;
    d.pileLength = 10.0;
    d.outsideDiameter = 12.0;
    d.soilPointCount = 2;
    d.soilPoints[1].depth = 0.0;
    d.soilPoints[2].depth = 40.0;
    for (int k = 1; k <= 2; ++k) {
        d.soilPoints[k].column[kColSoilType] = 2.0;
        d.soilPoints[k].column[kColEffUnitWeight] = 125.0;
        d.soilPoints[k].column[kColShearStrength] = 1.0;
    }
    d.deepestSoilDepth = 40.0;
    d.criticalDepthMethod = 1;
    ASSERT_TRUE(countSegments(*s));
    computeDepthIncrement(*s);
    for (int pass = 1; pass <= 2; ++pass) {
        segmentPile(*s);
        prepareNodes(*s);
        EXPECT_DOUBLE_EQ(d.criticalDepth, 29.0) << "pass " << pass;
    }
}

}  // namespace
}  // namespace vorta::test
