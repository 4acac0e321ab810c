// Chart readings of the FHWA method, checked against values read off the tables by hand.
#include <gtest/gtest.h>

#include "engine/constants.h"
#include "methods/conventional/fhwa_charts.h"

namespace vorta {
namespace {

constexpr double kChartTol = 1.0e-6;  // chart points are single-precision decimals

TEST(FrictionAngleRatio, HoldsTheEndValuesBeyondTheTable) {
    EXPECT_NEAR(frictionAngleRatio(0.05, 1), 0.342, kChartTol);
    EXPECT_NEAR(frictionAngleRatio(0.08, 6), 0.727, kChartTol);
    EXPECT_NEAR(frictionAngleRatio(2.5, 5), 1.270, kChartTol);
    EXPECT_NEAR(frictionAngleRatio(1.9, 7), 1.062, kChartTol);
}

TEST(FrictionAngleRatio, InterpolatesLinearlyInVolumeForEachPileType) {
    // Type 1 between 0.40 (0.410) and 0.52 (0.476): 0.410 + 0.066 * 0.06 / 0.12 = 0.443.
    EXPECT_NEAR(frictionAngleRatio(0.46, 1), 0.443, kChartTol);
    // H-pile between 0.08 (0.727) and 0.10 (0.747): the midpoint 0.737.
    EXPECT_NEAR(frictionAngleRatio(0.09, 6), 0.737, kChartTol);
    // Type 3 between 0.60 (0.630) and 0.80 (0.708) at 0.7: 0.669.
    EXPECT_NEAR(frictionAngleRatio(0.7, 3), 0.669, kChartTol);
}

TEST(FrictionAngleRatio, PileTypeOutsideTheChartGivesNoWallFriction) {
    EXPECT_EQ(frictionAngleRatio(0.5, 0), 0.0);
    EXPECT_EQ(frictionAngleRatio(0.5, 8), 0.0);
}

TEST(KDeltaCharts, NonTaperedPileReadsTheFirstChartRow) {
    EXPECT_NEAR(kDeltaChart25(0.0, 0.1), 0.70, kChartTol);
    EXPECT_NEAR(kDeltaChart30(0.0, 1.0), 1.15, kChartTol);
    EXPECT_NEAR(kDeltaChart35(0.0, 10.0), 2.35, kChartTol);
    EXPECT_NEAR(kDeltaChart40(0.0, 1.0), 3.00, kChartTol);
}

TEST(KDeltaCharts, VolumeIsBlendedLinearlyBetweenTheBoundingCurves) {
    // 0.70 + (0.85 - 0.70) * (0.55 - 0.1) / 0.9 = 0.775
    EXPECT_NEAR(kDeltaChart25(0.0, 0.55), 0.775, kChartTol);
    // 0.85 + (1.00 - 0.85) * (5.5 - 1) / 9 = 0.925
    EXPECT_NEAR(kDeltaChart25(0.0, 5.5), 0.925, kChartTol);
    // Outside 0.1..10 the outer curves hold.
    EXPECT_NEAR(kDeltaChart25(0.0, 0.01), 0.70, kChartTol);
    EXPECT_NEAR(kDeltaChart25(0.0, 50.0), 1.00, kChartTol);
    // 40-degree chart, omega 0.1: 6.352 + (7.04 - 6.352) * (4 - 1) / 9 = 6.58133...
    EXPECT_NEAR(kDeltaChart40(0.1, 4.0), 6.352 + 0.688 / 3.0, kChartTol);
}

TEST(KDeltaCharts, TaperAngleIsReadAlongEachCurveAndHeldBeyondIt) {
    // 25 degrees, V 0.1, omega 0.05: midway between 0.70 and 0.739.
    EXPECT_NEAR(kDeltaChart25(0.05, 0.1), 0.7195, kChartTol);
    // 35 degrees, V 1.0, omega 0.225: midway between 2.59 (0.2) and 2.98 (0.25).
    EXPECT_NEAR(kDeltaChart35(0.225, 1.0), 2.785, kChartTol);
    EXPECT_NEAR(kDeltaChart25(3.0, 1.0), 2.917, kChartTol);
    EXPECT_NEAR(kDeltaChart30(2.5, 0.1), 6.494, kChartTol);
}

TEST(KDeltaCorrection, RatioBelowTheChartUsesTheLowestCurve) {
    EXPECT_NEAR(kDeltaCorrection(0.1, 30.0), 0.58, kChartTol);
    EXPECT_NEAR(kDeltaCorrection(0.2, 30.0), 0.58, kChartTol);
}

TEST(KDeltaCorrection, RatioBetweenCurvesIsInterpolated) {
    // Between 0.2 (0.58) and 0.4 (0.69) at phi 30: 0.635.
    EXPECT_NEAR(kDeltaCorrection(0.3, 30.0), 0.635, kChartTol);
    // Between 1.0 (1.00) and 1.2 (1.03): 1.015.
    EXPECT_NEAR(kDeltaCorrection(1.1, 30.0), 1.015, kChartTol);
    // Along phi as well: 0.6 curve at 24 is (0.89 + 0.85) / 2 = 0.87, 0.8 curve (0.97 + 0.95) / 2
    // = 0.96; ratio 0.7 gives 0.915.
    EXPECT_NEAR(kDeltaCorrection(0.7, 24.0), 0.915, kChartTol);
}

TEST(KDeltaCorrection, RatioOfOnePointTwoOrMoreUsesTheOnePointFourCurveAsItStands) {
    // A ratio of 1.27 (uniform taper pile of large volume) reads the 1.4 curve: 1.06 at phi 30.
    EXPECT_NEAR(kDeltaCorrection(1.27, 30.0), 1.06, kChartTol);
    EXPECT_NEAR(kDeltaCorrection(sp(1.2), 30.0), 1.06, kChartTol);  // the chart ratio 1.2 as held
    EXPECT_NEAR(kDeltaCorrection(1.19, 30.0), 1.00 + 0.03 * 0.95, 1.0e-5);
}

TEST(KDeltaCorrection, FrictionAngleOutsideTheChartHoldsTheEndValues) {
    EXPECT_NEAR(kDeltaCorrection(0.2, 10.0), 0.83, kChartTol);
    EXPECT_NEAR(kDeltaCorrection(0.2, 50.0), 0.24, kChartTol);
}

TEST(AdhesionCases, CaseOneBlendsTheTenTwentyAndFortyCurves) {
    EXPECT_NEAR(adhesionCase1(2.0, 5.0), 1.0, kChartTol);
    // b 15: 0.95 + (20 - 15) * (1.0 - 0.95) / 10 = 0.975
    EXPECT_NEAR(adhesionCase1(2.0, 15.0), 0.975, kChartTol);
    // b 30: 0.68 + (40 - 30) * (0.95 - 0.68) / 20 = 0.815
    EXPECT_NEAR(adhesionCase1(2.0, 30.0), 0.815, kChartTol);
    EXPECT_NEAR(adhesionCase1(2.0, 20.0), 0.95, kChartTol);
    EXPECT_NEAR(adhesionCase1(2.0, 55.0), 0.68, kChartTol);
}

TEST(AdhesionCases, CaseTwoBlendsBetweenTenAndTwenty) {
    EXPECT_NEAR(adhesionCase2(1.0, 5.0), 0.398, kChartTol);
    // 0.398 + 5 * (0.746 - 0.398) / 10 = 0.572
    EXPECT_NEAR(adhesionCase2(1.0, 15.0), 0.572, kChartTol);
    EXPECT_NEAR(adhesionCase2(1.0, 25.0), 0.746, kChartTol);
}

TEST(AdhesionCases, CaseThreeBlendsBetweenTenAndForty) {
    // 0.303 + 15 * (0.502 - 0.303) / 30 = 0.4025
    EXPECT_NEAR(adhesionCase3(3.0, 25.0), 0.4025, kChartTol);
    EXPECT_NEAR(adhesionCase3(3.0, 9.99), 0.303, kChartTol);
    EXPECT_NEAR(adhesionCase3(3.0, 40.0), 0.502, kChartTol);
}

TEST(AdhesionCases, StrengthAboveTheChartKeepsTheLastValue) {
    EXPECT_NEAR(adhesionCase3(6.0, 50.0), 0.299, kChartTol);
    EXPECT_NEAR(adhesionCase2(4.5, 5.0), 0.186, kChartTol);
    // Between chart points: case 2 below 10 at su 0.25: (0.7 + 0.519) / 2.
    EXPECT_NEAR(adhesionCase2(0.25, 0.0), 0.6095, kChartTol);
}

}  // namespace
}  // namespace vorta
