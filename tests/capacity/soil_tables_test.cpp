// Soil-property charts: values at the chart points, between them and beyond both ends.
#include <gtest/gtest.h>

#include <limits>

#include "capacity/soil_tables.h"
#include "engine/constants.h"

namespace vorta {
namespace {

TEST(BearingFactorForAngle, ChartPointsInBetweenAndBeyondBothEnds) {
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(15), 8.0);
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(25), 20.0);
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(35), 50.0);
    // 27.5 lies half way from 25 (20) to 30 (40).
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(27.5), 30.0);
    // 16 degrees: 8 + (12 - 8) * 1 / 5 = 8.8.
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(16), 8.8);
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(0), 8.0);
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(-5), 8.0);
    EXPECT_DOUBLE_EQ(bearingFactorForAngle(40), 50.0);
}

TEST(LimitingFrictionForAngle, ChartValuesAreSinglePrecisionDecimals) {
    EXPECT_EQ(limitingFrictionForAngle(20), sp(1.4));
    EXPECT_EQ(limitingFrictionForAngle(30), 2.0);
    EXPECT_EQ(limitingFrictionForAngle(10), 1.0);
    EXPECT_EQ(limitingFrictionForAngle(50), sp(2.4));
    // 22.5 degrees: half way from 1.4 to 1.7, with the chart values in single precision.
    EXPECT_EQ(limitingFrictionForAngle(22.5), sp(1.4) + (sp(1.7) - sp(1.4)) * 2.5 / 5.0);
    EXPECT_NEAR(limitingFrictionForAngle(32.5), 2.2, 1e-6);
}

TEST(UsaceBearingFactor, NoAngleGivesOneAndTheLastPointHoldsAbove) {
    EXPECT_DOUBLE_EQ(usaceBearingFactor(0), 1.0);
    EXPECT_DOUBLE_EQ(usaceBearingFactor(-10), 1.0);
    EXPECT_DOUBLE_EQ(usaceBearingFactor(36), 56.0);
    EXPECT_EQ(usaceBearingFactor(50), sp(415.1));
    EXPECT_EQ(usaceBearingFactor(60), sp(415.1));
    // 25 degrees: 7.4 + (23 - 7.4) * 5 / 10 = 15.2.
    EXPECT_NEAR(usaceBearingFactor(25), 15.2, 1e-6);
    // 34 degrees: 30 + (56 - 30) * 2 / 4 = 43.
    EXPECT_DOUBLE_EQ(usaceBearingFactor(34), 43.0);
    // 38.5 degrees: 68 + 11 * 0.5 = 73.5.
    EXPECT_DOUBLE_EQ(usaceBearingFactor(38.5), 73.5);
}

TEST(FhwaBearingFactor, LooseEndHeldAtFourPointEight) {
    EXPECT_EQ(fhwaBearingFactor(15), sp(4.8));
    EXPECT_EQ(fhwaBearingFactor(10), sp(4.8));
    EXPECT_DOUBLE_EQ(fhwaBearingFactor(30), 30.0);
    EXPECT_DOUBLE_EQ(fhwaBearingFactor(45), 475.0);
    EXPECT_DOUBLE_EQ(fhwaBearingFactor(50), 475.0);
    // 31.25 degrees: half way from 30 to 43.
    EXPECT_DOUBLE_EQ(fhwaBearingFactor(31.25), 36.5);
    // 41 degrees: 160 + 105 * 1 / 2.5 = 202.
    EXPECT_DOUBLE_EQ(fhwaBearingFactor(41), 202.0);
}

TEST(FhwaLimitingBearing, LooseEndHeldAndLastPointHeld) {
    EXPECT_EQ(fhwaLimitingBearing(30), sp(6.66));
    EXPECT_EQ(fhwaLimitingBearing(25), sp(6.66));
    EXPECT_DOUBLE_EQ(fhwaLimitingBearing(32.5), 20.0);
    EXPECT_EQ(fhwaLimitingBearing(43.75), sp(368.8));
    EXPECT_EQ(fhwaLimitingBearing(45), sp(368.8));
    // 39.375 degrees: half way from 159.5 to 208.8.
    EXPECT_NEAR(fhwaLimitingBearing(39.375), 184.15, 1e-4);
}

TEST(FhwaAlphaT, EachColumnAtItsRatioAndBeyond) {
    EXPECT_EQ(fhwaAlphaT(20, 20), sp(0.365));
    EXPECT_EQ(fhwaAlphaT(20, 5), sp(0.365));
    EXPECT_EQ(fhwaAlphaT(20, 30), sp(0.256));
    EXPECT_EQ(fhwaAlphaT(20, 45), sp(0.177));
    EXPECT_EQ(fhwaAlphaT(20, 100), sp(0.177));
    // Below the first row and above the last one the end rows hold.
    EXPECT_EQ(fhwaAlphaT(10, 45), sp(0.177));
    EXPECT_EQ(fhwaAlphaT(50, 20), sp(0.8));
    // Within the first column: 30 degrees at 0.58, 31.25 half way to 0.637.
    EXPECT_NEAR(fhwaAlphaT(31.25, 10), 0.6085, 1e-7);
}

TEST(FhwaAlphaT, ColumnsBlendLinearlyInTheDepthToDiameterRatio) {
    // Ratio 25 at 30 degrees: half way from 0.58 (L/D 20) to 0.52 (L/D 30).
    EXPECT_NEAR(fhwaAlphaT(30, 25), 0.55, 1e-7);
    // Ratio 40 at 30 degrees: 0.52 + (0.49 - 0.52) * 10 / 15 = 0.50.
    EXPECT_NEAR(fhwaAlphaT(30, 40), 0.50, 1e-7);
    // Ratio 30 lies in the second interval and takes the second column exactly.
    EXPECT_EQ(fhwaAlphaT(25, 30), sp(0.389));
    // Ratio 27.5 at 26.25 degrees: columns 0.4975 and 0.3945, blended three quarters of the way.
    EXPECT_NEAR(fhwaAlphaT(26.25, 27.5), 0.4975 + (0.3945 - 0.4975) * 0.75, 1e-7);
    // From 36.5 degrees on the three columns agree and the ratio no longer matters.
    EXPECT_EQ(fhwaAlphaT(40, 22), fhwaAlphaT(40, 41));
}

TEST(SoilTables, ValuesThatAreNotNumbersDoNotLeaveTheTables) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(fhwaAlphaT(30, inf), sp(0.49));
    EXPECT_EQ(fhwaBearingFactor(inf), 475.0);
    EXPECT_EQ(fhwaBearingFactor(-inf), sp(4.8));
    // A NaN angle falls to an end value rather than reading outside the chart.
    const double v = usaceBearingFactor(nan);
    EXPECT_TRUE(v == 1.0 || v == sp(415.1));
}

}  // namespace
}  // namespace vorta
