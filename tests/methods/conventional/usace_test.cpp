#include <cmath>

#include <gtest/gtest.h>

#include "methods/conventional/conventional.h"
#include "methods/conventional/hand_built_profile.h"

namespace vorta::test {
namespace {

// One-foot segments under a 12-inch pile, 3 ft embedded (rows at 0, 1, 2 and 3 ft).
std::unique_ptr<AnalysisState> englishPile(int segments = 6) {
    auto s = handBuiltProfile(kEnglish, segments, 1.0, 3.0, 12.0);
    setUniformUnitWeight(*s, 100.0);
    return s;
}

TEST(UsaceAdhesion, AlphaFallsFromOneToHalfBetweenHalfAndOneAndAHalfKsf) {
    auto s = englishPile(3);
    setClay(*s, 1, 0.5, 0.2);
    setClay(*s, 2, 1.0, 0.4);
    setClay(*s, 3, 2.0, 0.8);
    computeUsaceMethod(*s);
    // su 0.5: alpha 1 -> 0.5; su 1.0: alpha 1 - 0.5 (0.5) = 0.75 -> 0.75; su 2.0: alpha 0.5 -> 1.0.
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[1], 0.5);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[2], 0.5);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[3], 0.75);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[4], 0.75);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[5], 1.0);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[6], 1.0);
    // Inside the plug the same alpha multiplies the remolded strength: 0.75 x 0.4 = 0.3.
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(3, kCodeUsace), 0.75 * 0.4);
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(4, kCodeUsace), 0.75 * 0.4);
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(6, kCodeUsace), 0.5 * 0.8);
}

TEST(UsaceAdhesion, SiStrengthOf48KpaHasAlphaThreeQuarters) {
    auto s = handBuiltProfile(kSi, 3, 1.0, 2.0, 300.0);
    setUniformUnitWeight(*s, 18.0);
    setClay(*s, 1, 48.0, 20.0);
    setClay(*s, 2, 24.0, 10.0);
    setClay(*s, 3, 90.0, 30.0);
    computeUsaceMethod(*s);
    // 1 - 0.5 (48 - 24) / 48 = 0.75; 24 kPa is still alpha 1; above 72 kPa alpha 0.5.
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[1], 36.0);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[3], 24.0);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[5], 45.0);
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(1, kCodeUsace), 15.0);
}

TEST(UsaceSand, ZeroKInTensionUsesSixTenths) {
    auto s = englishPile(2);
    s->input.loadingType = 1;
    setSand(*s, 1, 32.0, 0.0);
    setSegmentStress(*s, 1, 1.0, 2.0);
    computeUsaceMethod(*s);
    // Pipe pile: delta = 0.75 x 32 = 24; 0.6 x 1.0 x tan 24 = 0.6 x 0.445229 = 0.267137.
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.267137, 1e-6);
    EXPECT_NEAR(s->nodeSkinFriction[2], 2.0 * 0.267137, 2e-6);
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(1, kCodeUsace), s->nodeSkinFriction[1]);
}

TEST(UsaceSand, ApiSelectedOverridesTheProfileK) {
    auto s = englishPile(2);
    s->input.methodSelected[kSelApi] = 1;
    setSand(*s, 1, 32.0, sp(0.8));
    setSegmentStress(*s, 1, 1.0, 1.0);
    computeUsaceMethod(*s);
    // The profile's 0.8 would give 0.356183; with API RP-2A selected K is 1.25: 0.556536.
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.556536, 1e-6);

    s->input.methodSelected[kSelApi] = 0;
    computeUsaceMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[1], sp(0.8) * 0.445229, 1e-6);
}

TEST(UsaceSand, WallFrictionAngleFollowsThePileType) {
    // phi 32 with K 1 and a unit stress: f = tan(delta); the H-pile (type 6) takes 0.875 x 32 = 28.
    struct Case {
        int pileType;
        double delta;
    };
    const Case cases[] = {{1, 24.0}, {2, 28.8}, {3, 30.4}, {4, 24.0}, {5, 24.0}, {6, 28.0}, {7, 24.0}, {8, 27.0}};
    for (const Case& c : cases) {
        auto s = englishPile(2);
        s->input.pileType = c.pileType;
        setSand(*s, 1, 32.0, 1.0);
        setSegmentStress(*s, 1, 1.0, 1.0);
        computeUsaceMethod(*s);
        // 0.9 and 0.95 are single-precision factors: 0.9 x 32 = 28.8000006, 0.95 x 32 = 30.3999996.
        EXPECT_NEAR(s->nodeSkinFriction[1], std::tan(c.delta / 57.2958), 2e-7) << "pile type " << c.pileType;
    }
}

TEST(UsaceSand, ReadsTheLimitedStress) {
    auto s = englishPile(2);
    setSand(*s, 1, 32.0, 1.0);
    setSegmentStress(*s, 1, 1.0, 3.0);
    s->nodeLimitedEffStress[2] = 2.0;  // held at its critical-depth value
    computeUsaceMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[2], 2.0 * 0.445229, 2e-6);
}

TEST(UsaceSand, BatteredPileAddsTheStressTimesTanDeltaTimesSinBeta) {
    auto s = englishPile(2);
    s->input.batterAngle = 0.2;  // radians
    setSand(*s, 1, 32.0, 1.0);
    setSegmentStress(*s, 1, 2.0, 2.0);
    computeUsaceMethod(*s);
    // fK = 1 x 2 x 0.445229 = 0.890457, f0 = 0.890457:
    // 0.890457 cos 0.2 + 0.890457 sin 0.2 = 0.872699 + 0.176907 = 1.049614.
    EXPECT_NEAR(s->nodeSkinFriction[1], 1.049614, 1e-6);
}

TEST(UsaceSilt, EachNodeAddsTheFrictionOfItsOwnNode) {
    auto s = englishPile(2);
    s->segSoilType[1] = 3.0;
    s->segFrictionAngle[1] = 30.0;
    s->segLateralK[1] = 1.0;
    s->segShearStrength[1] = 1.0;
    s->segRemoldedStrength[1] = 0.6;
    setSegmentStress(*s, 1, 1.0, 2.0);
    computeUsaceMethod(*s);
    // Adhesion 0.75 x 1.0 = 0.75; friction tan 22.5 = 0.414213 at the top, 0.828427 at the bottom.
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.75 + 0.414213, 1e-6);
    // The bottom is 0.75 + 0.828427 = 1.578427, not 0.75 + 0.414213 + 0.828427 = 1.992641.
    EXPECT_NEAR(s->nodeSkinFriction[2], 0.75 + 0.828427, 1e-6);
    // Inside the plug silt takes alpha times the remolded strength alone: 0.75 x 0.6.
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(1, kCodeUsace), 0.75 * 0.6);
    EXPECT_DOUBLE_EQ(s->methodUnitFriction(2, kCodeUsace), 0.75 * 0.6);
}

TEST(UsaceCriticalDepth, StressRuleRecordsTheFirstSandOrSiltBottomAboveTheThreshold) {
    auto s = englishPile(6);
    s->input.criticalDepthMethod = 1;
    s->input.criticalDepth = 1.0;  // left by the node preparation; searched again here
    // Clay over sand: the clay bottom at 2 ft already passes 3.5 ksf but is not sand or silt.
    setClay(*s, 1, 1.0, 0.5);
    setClay(*s, 2, 1.0, 0.5);
    for (int i = 3; i <= 6; ++i) setSand(*s, i, 32.0, 1.0);
    setSegmentStress(*s, 1, 0.0, 3.0);
    setSegmentStress(*s, 2, 3.0, 3.6);
    setSegmentStress(*s, 3, 3.6, 3.5);   // exactly 3.5 at the bottom does not pass
    setSegmentStress(*s, 4, 3.5, 3.51);  // first sand bottom above 3.5: 4 ft
    setSegmentStress(*s, 5, 3.51, 4.0);
    setSegmentStress(*s, 6, 4.0, 4.5);
    computeUsaceMethod(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 4.0);
}

TEST(UsaceCriticalDepth, SiThresholdIs168Kpa) {
    auto s = handBuiltProfile(kSi, 3, 1.0, 2.0, 300.0);
    s->input.criticalDepthMethod = 1;
    for (int i = 1; i <= 3; ++i) setSand(*s, i, 32.0, 1.0);
    setSegmentStress(*s, 1, 0.0, 167.9);  // above the 167.58 of the node preparation, below 168
    setSegmentStress(*s, 2, 167.9, 168.1);
    setSegmentStress(*s, 3, 168.1, 170.0);
    computeUsaceMethod(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 2.0);
}

TEST(UsaceCriticalDepth, StressRuleThatNeverReachesTheThresholdLeavesNoCriticalDepth) {
    auto s = englishPile(6);
    s->input.criticalDepthMethod = 1;
    for (int i = 1; i <= 6; ++i) setSand(*s, i, 32.0, 1.0);  // 100 pcf: 0.6 ksf at 6 ft
    computeUsaceMethod(*s);
    // A critical depth of 0 would cap the end bearing at the surface; there is none in the profile.
    EXPECT_EQ(s->input.criticalDepth, kNoCriticalDepth);
}

TEST(UsaceCriticalDepth, OtherRulesLeaveTheCriticalDepthAlone) {
    for (int rule : {0, 2}) {
        auto s = englishPile(2);
        s->input.criticalDepthMethod = rule;
        s->input.criticalDepth = 20.0;
        setSand(*s, 1, 32.0, 1.0);
        setSegmentStress(*s, 1, 0.0, 5.0);
        computeUsaceMethod(*s);
        EXPECT_DOUBLE_EQ(s->input.criticalDepth, 20.0) << "rule " << rule;
    }
}

TEST(UsaceRows, StraightPerimeterEvenForATaperedPile) {
    auto s = englishPile(6);
    s->input.taperAngle = 1.0;
    for (int i = 1; i <= 6; ++i) setClay(*s, i, 1.0, 0.5);
    computeUsaceMethod(*s);
    // 0.75 ksf over pi x 1 ft per foot: 0.75 x 3.14159 = 2.356194 per row, 7.068583 at 3 ft.
    ASSERT_EQ(s->rowCount, 4);
    EXPECT_DOUBLE_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_NEAR(s->rowSkinFriction[2], 2.356194, 1e-5);
    EXPECT_NEAR(s->rowSkinFriction[4], 7.068583, 1e-5);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[4], 0.75);
    // The USACE table reads its own copies.
    EXPECT_DOUBLE_EQ(s->methodColumns[kCodeUsace].rowSkinFriction[4], s->rowSkinFriction[4]);
    EXPECT_DOUBLE_EQ(s->methodColumns[kCodeUsace].rowUnitFriction[4], 0.75);
    EXPECT_DOUBLE_EQ(s->methodColumns[kCodeUsace].rowTransferSkinFriction[4], s->rowSkinFriction[4]);
}

TEST(UsaceRows, TensionReducesEveryRowButTheFirst) {
    auto s = englishPile(6);
    s->input.loadingType = 1;
    s->input.tensionReductionFactor = sp(0.7);
    for (int i = 1; i <= 6; ++i) setClay(*s, i, 1.0, 0.5);
    computeUsaceMethod(*s);
    // Row 1 keeps 0.75, rows 2 to 4 get 0.525: (0.75 + 0.525) / 2 x pi + 2 x 0.525 x pi = 5.301433.
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.75);
    EXPECT_NEAR(s->rowUnitFriction[2], 0.525, 1e-7);
    EXPECT_NEAR(s->rowSkinFriction[4], 5.301433, 1e-5);
}

TEST(UsaceRows, RowValueIsLimitedAndTheIntervalCapped) {
    auto s = englishPile(6);
    for (int i = 1; i <= 6; ++i) {
        setClay(*s, i, 1.0, 0.5);
        s->segMaxUnitFriction[i] = 0.5;
    }
    computeUsaceMethod(*s);
    // Stored rows carry the 0.5 limit; every interval is capped at 0.5 x pi = 1.570795.
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[3], 0.5);
    EXPECT_NEAR(s->rowSkinFriction[4], 3.0 * 1.570795, 1e-5);
}

TEST(UsaceRows, SingleRowHasNoSkinFriction) {
    auto s = handBuiltProfile(kEnglish, 2, 1.0, 0.5, 12.0);
    setUniformUnitWeight(*s, 100.0);
    setClay(*s, 1, 1.0, 0.5);
    s->rowSkinFriction[1] = 99.0;  // left by another method
    computeUsaceMethod(*s);
    ASSERT_EQ(s->rowCount, 1);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.75);
    EXPECT_DOUBLE_EQ(s->rowSkinFriction[1], 0.0);
}

}  // namespace
}  // namespace vorta::test
