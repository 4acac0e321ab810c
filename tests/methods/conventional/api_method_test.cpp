#include <cmath>

#include <gtest/gtest.h>

#include "methods/conventional/conventional.h"
#include "methods/conventional/hand_built_profile.h"

namespace vorta::test {
namespace {

std::unique_ptr<AnalysisState> englishPile(int segments = 6) {
    auto s = handBuiltProfile(kEnglish, segments, 1.0, 3.0, 12.0);
    setUniformUnitWeight(*s, 100.0);
    return s;
}

TEST(ApiClay, AlphaByStrengthRatioAtTheBottomNode) {
    auto s = englishPile(3);
    setClay(*s, 1, 0.25, 0.0);
    setClay(*s, 2, 1.0, 0.0);
    setClay(*s, 3, 4.0, 0.0);
    // The top stresses differ from the bottom ones: only the bottom node sets psi.
    for (int i = 1; i <= 3; ++i) setSegmentStress(*s, i, 0.5, 1.0);
    computeApiMethod(*s);
    // psi 0.25: 0.5 / 0.5 = 1.0 -> 0.25. psi 1: 0.5 -> 0.5. psi 4: 0.5 / 4^0.25 = 0.353553 -> 1.414214.
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[1], 0.25);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[2], 0.25);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[3], 0.5);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[4], 0.5);
    EXPECT_NEAR(s->nodeSkinFriction[5], 1.414214, 1e-6);
    EXPECT_NEAR(s->nodeSkinFriction[6], 1.414214, 1e-6);
}

TEST(ApiClay, ZeroStressGivesASmallAlphaAndKeepsTheFloorInTheNode) {
    auto s = englishPile(2);
    setClay(*s, 1, 1.0, 0.0);
    setClay(*s, 2, 0.0, 0.0);
    setSegmentStress(*s, 1, 0.0, 0.0);
    setSegmentStress(*s, 2, 0.0, 0.0);
    computeApiMethod(*s);
    // psi = 1.0 / 1.0E-10: alpha = 0.5 / (1.0E10)^0.25 = 0.00158114.
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.00158114, 1e-8);
    EXPECT_DOUBLE_EQ(s->nodeEffStress[2], sp(1.0e-10));
    EXPECT_DOUBLE_EQ(s->nodeEffStress[1], 0.0);  // only the bottom node is raised
    // No strength at zero stress: psi takes its floor, alpha its cap, and the friction is 0.
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[3], 0.0);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[4], 0.0);
}

TEST(ApiSand, FrictionIsLimitedByTheChartOfPhiLessFive) {
    auto s = englishPile(3);
    setSand(*s, 1, 30.0, 1.0);
    setSand(*s, 2, 45.0, 1.0);
    setSand(*s, 3, 32.0, 1.0);
    setSegmentStress(*s, 1, 2.0, 10.0);
    setSegmentStress(*s, 2, 1.0, 10.0);
    setSegmentStress(*s, 3, 1.0, 1.0);
    computeApiMethod(*s);
    // phi 30: 2 x tan 25 = 0.932615 below the limit; 10 x tan 25 limited to 1.7.
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.932615, 1e-6);
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[2], sp(1.7));
    // phi 45 (delta 40): limited to 2.4.
    EXPECT_DOUBLE_EQ(s->nodeSkinFriction[4], sp(2.4));
    // phi 32: tan 27 = 0.509525.
    EXPECT_NEAR(s->nodeSkinFriction[5], 0.509525, 1e-6);
}

TEST(ApiSand, SiLimitIsTheChartTimes47Point8) {
    auto s = handBuiltProfile(kSi, 2, 1.0, 1.0, 300.0);
    setSand(*s, 1, 30.0, 1.0);
    setSegmentStress(*s, 1, 1000.0, 1000.0);
    computeApiMethod(*s);
    // 1.7 x 47.8 = 81.26 kPa.
    EXPECT_NEAR(s->nodeSkinFriction[1], 81.26, 1e-5);
}

TEST(ApiRows, SandRowMarkedWith9999GetsTheDefaultAndTheSegmentKeepsIt) {
    auto s = englishPile(6);
    for (int i = 1; i <= 6; ++i) setSand(*s, i, 32.0, 1.0);
    s->segMaxUnitFriction[2] = 9999.0;
    s->segMaxUnitFriction[3] = kNoLimit;
    setClay(*s, 4, 1.0, 0.5);
    s->segMaxUnitFriction[4] = 9999.0;
    computeApiMethod(*s);
    // phi 32: 1.7 + 0.3 x 2 / 5 = 1.82 ksf, kept in the segment for the methods that follow.
    EXPECT_NEAR(s->rowMaxUnitFriction[2], 1.82, 1e-6);
    EXPECT_DOUBLE_EQ(s->segMaxUnitFriction[2], s->rowMaxUnitFriction[2]);
    // No user limit and clay rows are left as they are.
    EXPECT_DOUBLE_EQ(s->rowMaxUnitFriction[3], kNoLimit);
    EXPECT_DOUBLE_EQ(s->segMaxUnitFriction[4], 9999.0);
}

TEST(ApiRows, DefaultMaximumFollowsTheFrictionAngleBands) {
    struct Case {
        double phi;
        double english;
        double si;
    };
    // Hand values: 1.0 + 0.4 x 2.5 / 5 = 1.2; 1.4 + 0.3 x 5 / 5 = 1.7 at 30; 2.0 + 0.4 x 2.5 / 5 = 2.2;
    // at 32: 1.7 + 0.3 x 2 / 5 = 1.82 ksf and 83.1 + 12.4 x 2 / 5 = 88.06 kPa.
    const Case cases[] = {{18.0, 1.0, 47.8}, {22.5, 1.2, 57.4}, {30.0, 1.7, 83.1}, {32.0, 1.82, 88.06},
                          {37.5, 2.2, 105.15}, {42.0, 2.4, 114.8}};
    for (const Case& c : cases) {
        for (int units : {kEnglish, kSi}) {
            auto s = handBuiltProfile(units, 2, 1.0, 1.0, units == kEnglish ? 12.0 : 300.0);
            setSand(*s, 1, c.phi, 1.0);
            s->segMaxUnitFriction[1] = 9999.0;
            computeApiMethod(*s);
            EXPECT_NEAR(s->segMaxUnitFriction[1], units == kEnglish ? c.english : c.si, 1e-4)
                << "phi " << c.phi << " units " << units;
        }
    }
}

TEST(ApiRows, RowColumnStaysUnlimitedBesideTheLimitedColumn) {
    auto s = englishPile(6);
    for (int i = 1; i <= 6; ++i) {
        setClay(*s, i, 2.0, 0.0);
        setSegmentStress(*s, i, 2.0, 2.0);  // psi 1: alpha 0.5, f = 1.0
        s->segMaxUnitFriction[i] = 0.6;
    }
    computeApiMethod(*s);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[3], 1.0);
    EXPECT_DOUBLE_EQ(s->rowLimitedUnitFriction[3], 0.6);
    // Each interval is capped at 0.6 x pi: 3 x 1.884954 = 5.654862.
    EXPECT_NEAR(s->rowSkinFriction[4], 5.654862, 1e-5);
}

TEST(ApiRows, TensionReducesTheFirstRowToo) {
    auto s = englishPile(6);
    s->input.loadingType = 1;
    s->input.tensionReductionFactor = 0.5;
    for (int i = 1; i <= 6; ++i) {
        setClay(*s, i, 2.0, 0.0);
        setSegmentStress(*s, i, 2.0, 2.0);
    }
    computeApiMethod(*s);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.5);
    EXPECT_DOUBLE_EQ(s->rowLimitedUnitFriction[1], 0.5);
    EXPECT_NEAR(s->rowSkinFriction[4], 3.0 * 0.5 * 3.14159, 1e-5);
}

TEST(ApiRows, TransferColumnUnfactoredOrFactored) {
    for (int reduced : {0, 1}) {
        auto s = englishPile(6);
        s->input.reducedSideFriction = reduced;
        for (int i = 1; i <= 6; ++i) {
            setClay(*s, i, 2.0, 0.0);
            setSegmentStress(*s, i, 2.0, 2.0);
            s->segLrfdFrictionFactor[i] = 0.5;
        }
        computeApiMethod(*s);
        // 1.0 ksf over three intervals of pi: 9.424770 unfactored, 4.712385 factored.
        EXPECT_NEAR(s->rowSkinFriction[4], 4.712385, 1e-5);
        EXPECT_NEAR(s->rowTransferSkinFriction[4], reduced == 0 ? 9.424770 : 4.712385, 1e-5);
    }
}

TEST(ApiRows, SingleRowStopsAfterTheFirstRow) {
    auto s = handBuiltProfile(kEnglish, 2, 1.0, 0.5, 12.0);
    s->input.loadingType = 1;
    s->input.tensionReductionFactor = 0.5;
    setClay(*s, 1, 2.0, 0.0);
    setSegmentStress(*s, 1, 2.0, 2.0);
    s->segMaxUnitFriction[1] = 0.4;
    s->rowSkinFriction[1] = 7.0;  // left by another method
    computeApiMethod(*s);
    ASSERT_EQ(s->rowCount, 1);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.5);
    EXPECT_DOUBLE_EQ(s->rowLimitedUnitFriction[1], 0.4);
    EXPECT_DOUBLE_EQ(s->rowSkinFriction[1], 0.0);
}

}  // namespace
}  // namespace vorta::test
