#include <gtest/gtest.h>

#include "methods/conventional/conventional.h"
#include "methods/conventional/hand_built_profile.h"

namespace vorta::test {
namespace {

std::unique_ptr<AnalysisState> uniformUserLayer(double unitFriction, double unitBearing) {
    auto s = handBuiltProfile(kEnglish, 12, 1.0, 10.0, 12.0);
    for (int i = 1; i <= 12; ++i) {
        s->segUserUnitFriction[i] = unitFriction;
        s->segUserUnitBearing[i] = unitBearing;
    }
    return s;
}

TEST(GeneralMethod, OneKsfOnATwelveInchPileGrowsByPiKipsPerFoot) {
    auto s = uniformUserLayer(1.0, 0.0);
    EXPECT_EQ(computeUserLoadTransfer(*s), 11);
    const MethodColumns& table = s->methodColumns[kCodeUser];
    EXPECT_DOUBLE_EQ(table.rowSkinFriction[1], 0.0);
    for (int k = 2; k <= 11; ++k) EXPECT_NEAR(table.rowSkinFriction[k], (k - 1) * 3.14159, 1e-5) << "row " << k;
}

TEST(GeneralMethod, SiGrowthIsUnitFrictionTimesTheShaftAreaOfOneIncrement) {
    auto s = handBuiltProfile(kSi, 6, 1.0, 4.0, 300.0);
    for (int i = 1; i <= 6; ++i) s->segUserUnitFriction[i] = 50.0;
    EXPECT_EQ(computeUserLoadTransfer(*s), 5);
    // 50 x 1 x 3.14159 x 0.3 = 47.123852 kN per metre.
    EXPECT_NEAR(s->methodColumns[kCodeUser].rowSkinFriction[5], 4.0 * 47.123852, 1e-4);
}

TEST(GeneralMethod, LrfdFactorOfTheRowsSegment) {
    auto s = uniformUserLayer(1.0, 0.0);
    s->segLrfdFrictionFactor[3] = 0.5;  // row 3, the interval from 1 to 2 ft
    computeUserLoadTransfer(*s);
    const MethodColumns& table = s->methodColumns[kCodeUser];
    EXPECT_NEAR(table.rowSkinFriction[2], 3.14159, 1e-5);
    EXPECT_NEAR(table.rowSkinFriction[3], 1.5 * 3.14159, 1e-5);
}

TEST(GeneralMethod, EndBearingChangesWhereTheRowPassesASegmentBottom) {
    auto s = uniformUserLayer(0.0, 0.0);
    for (int i = 1; i <= 12; ++i) s->segUserUnitBearing[i] = 10.0 * i;
    computeUserLoadTransfer(*s);
    const MethodColumns& table = s->methodColumns[kCodeUser];
    // Full section of the 12-inch pile: 0.7853975 ft2. Row 1 and row 2 (at the bottom of segment 1)
    // take segment 1; the row at 2 ft, on the bottom of segment 2, still takes segment 2.
    EXPECT_NEAR(table.rowTipResistance[1], 10.0 * 0.7853975, 1e-6);
    EXPECT_NEAR(table.rowTipResistance[2], 10.0 * 0.7853975, 1e-6);
    EXPECT_NEAR(table.rowTipResistance[3], 20.0 * 0.7853975, 1e-6);
    EXPECT_NEAR(table.rowTipResistance[11], 100.0 * 0.7853975, 1e-5);
}

TEST(GeneralMethod, UnpluggedOpenEndBearsOnTheAnnulusOfTheEndSection) {
    auto s = uniformUserLayer(0.0, 10.0);
    s->input.outsideDiameter = 24.0;
    s->input.insideDiameter = 23.0;
    s->input.enhancedEndInsideDiameter = 22.0;
    s->input.plugCondition = 2;
    computeUserLoadTransfer(*s);
    // 0.7853975 x (576 - 484) / 144 = 0.501782 ft2.
    EXPECT_NEAR(s->methodColumns[kCodeUser].rowTipResistance[5], 5.01782, 1e-5);

    s->input.plugCondition = 1;
    computeUserLoadTransfer(*s);
    // Plugged: 0.7853975 x 2^2 = 3.14159 ft2.
    EXPECT_NEAR(s->methodColumns[kCodeUser].rowTipResistance[5], 31.4159, 1e-4);

    s->input.tipArea = 0.5;
    computeUserLoadTransfer(*s);
    EXPECT_DOUBLE_EQ(s->methodColumns[kCodeUser].rowTipResistance[5], 5.0);
}

TEST(GeneralMethod, SecondRowLiesOneLengthIncrementDownOnABatteredPile) {
    auto s = uniformUserLayer(1.0, 0.0);
    s->depthIncrement = 0.9;  // length increment 1 ft at a batter
    computeUserLoadTransfer(*s);
    EXPECT_DOUBLE_EQ(s->rowDepth[1], 0.0);
    EXPECT_DOUBLE_EQ(s->rowDepth[2], 1.0);
    EXPECT_DOUBLE_EQ(s->rowDepth[3], 1.8);
    EXPECT_DOUBLE_EQ(s->rowDepth[4], 2.7);
}

TEST(GeneralMethod, RowCountFromTheEmbeddedLengthWithinTheTable) {
    auto s = uniformUserLayer(1.0, 0.0);
    s->input.pileLength = 9.0;
    s->input.lengthIncrement = 3.0;
    EXPECT_EQ(computeUserLoadTransfer(*s), 4);
    s->input.pileLength = 8.99;
    EXPECT_EQ(computeUserLoadTransfer(*s), 3);
    s->input.pileLength = 1.0e6;
    EXPECT_EQ(computeUserLoadTransfer(*s), static_cast<int>(kMaxRows));
    s->input.lengthIncrement = 0.0;
    EXPECT_EQ(computeUserLoadTransfer(*s), 1);
}

TEST(GeneralMethod, IntervalTakesTheUnitFrictionOfTheSegmentAboveTheTip) {
    auto s = uniformUserLayer(0.0, 0.0);
    for (int i = 1; i <= 12; ++i) s->segUserUnitFriction[i] = 0.1 * i;
    computeUserLoadTransfer(*s);
    // Down to row 2 (1 ft) segment 1, down to row 3 (2 ft) segment 2.
    EXPECT_NEAR(s->methodColumns[kCodeUser].rowSkinFriction[3], (0.1 + 0.2) * 3.14159, 1e-6);
}

}  // namespace
}  // namespace vorta::test
