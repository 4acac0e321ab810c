#include <cmath>

#include <gtest/gtest.h>

#include "methods/conventional/conventional.h"
#include "methods/conventional/hand_built_profile.h"

namespace vorta::test {
namespace {

// A 12-inch solid pile embedded 10 ft in one 10-ft clay segment of 100 pcf: row 2 sees the mean
// stress 0.5 ksf over the penetration and the mean strength su.
// A = 0.7853975 x 144 = 113.0972 in2; mu = 12 x 3141.59 x 100 x su / (113.0972 x E x 0.1).
std::unique_ptr<AnalysisState> singleClaySegment(double su, double modulus) {
    auto s = handBuiltProfile(kEnglish, 2, 10.0, 10.0, 12.0);
    s->input.elasticModulus = modulus;
    setUniformUnitWeight(*s, 100.0);
    setClay(*s, 1, su, su);
    setClay(*s, 2, su, su);
    return s;
}

TEST(RevisedLambda, StrengthOverStressOfOneHalfUsesTheSteeperLine) {
    auto s = singleClaySegment(0.25, 3.0e6);
    computeRevisedLambdaMethod(*s);
    // cm/sm = 0.25/0.5 = 0.5; mu = 942477 / 3.39292e7 = 0.0277778;
    // lambda = 0.232 - 0.032 ln(0.0277778) = 0.232 + 0.032 x 3.583519 = 0.346673;
    // Q = 0.346673 x (0.5 + 2 x 0.25) x 3.14159 x 10 = 10.891032.
    EXPECT_NEAR(s->rowSkinFriction[2], 10.891032, 1e-5);
    EXPECT_NEAR(s->rowUnitFriction[2], 10.891032 / 31.4159, 1e-6);
}

TEST(RevisedLambda, StrengthOverStressBelowFourTenthsUsesTheFlatterLine) {
    auto s = singleClaySegment(0.15, 3.0e6);
    computeRevisedLambdaMethod(*s);
    // cm/sm = 0.3; mu = 0.0166667; lambda = 0.178 + 0.016 x 4.094345 = 0.243510;
    // Q = 0.243510 x 0.8 x 31.4159 = 6.120057.
    EXPECT_NEAR(s->rowSkinFriction[2], 6.120057, 1e-5);
}

TEST(RevisedLambda, FlexiblePileIsHeldAtTheFloorOfLambda) {
    auto s = singleClaySegment(0.25, 1000.0);
    computeRevisedLambdaMethod(*s);
    // mu = 83.33: 0.232 - 0.032 ln(83.33) = 0.0905, raised to 0.14: Q = 0.14 x 1.0 x 31.4159 = 4.398226.
    EXPECT_NEAR(s->rowSkinFriction[2], 4.398226, 1e-5);
}

TEST(RevisedLambda, ZeroModulusGivesNoFrictionAtTheSurfaceAndTheFloorBelow) {
    auto s = singleClaySegment(0.25, 0.0);
    computeRevisedLambdaMethod(*s);
    // Row 1: x = 0, so mu = 0 and lambda = 0 (not 0/0). Row 2: mu is unbounded, lambda 0.14.
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.0);
    EXPECT_DOUBLE_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_NEAR(s->rowSkinFriction[2], 4.398226, 1e-5);
}

TEST(RevisedLambda, GivenTipAreaCountsInSquareInches) {
    // The same 113.0972 in2 given as a tip area in ft2 must give the same mu as the diameter does.
    auto fromDiameter = singleClaySegment(0.25, 3.0e6);
    auto fromTipArea = singleClaySegment(0.25, 3.0e6);
    fromTipArea->input.tipArea = sp(0.7853975);  // ft2
    computeRevisedLambdaMethod(*fromDiameter);
    computeRevisedLambdaMethod(*fromTipArea);
    EXPECT_NEAR(fromTipArea->rowSkinFriction[2], fromDiameter->rowSkinFriction[2], 1e-6);
    EXPECT_NEAR(fromTipArea->rowSkinFriction[2], 10.891032, 1e-5);
}

TEST(RevisedLambda, GivenTipAreaCountsInSquareMillimetresInSi) {
    // A 300 mm pile in one 3-m clay segment of 20 kN/m3 and su 15 kPa: sm = 30, cm/sm = 0.5.
    auto make = [](double tipArea) {
        auto s = handBuiltProfile(kSi, 2, 3.0, 3.0, 300.0);
        s->input.elasticModulus = 2.0e7;
        s->input.tipArea = tipArea;
        setUniformUnitWeight(*s, 20.0);
        setClay(*s, 1, 15.0, 15.0);
        setClay(*s, 2, 15.0, 15.0);
        computeRevisedLambdaMethod(*s);
        return s->rowSkinFriction[2];
    };
    // A = 0.7853975 x 300^2 = 70685.8 mm2 = 0.0706858 m2;
    // mu = 300 x 3141590 x 9 x 15 / (70685.8 x 2e7 x 2.54) = 0.0354; lambda = 0.232 + 0.032 x 3.341 = 0.3389;
    // Q = 0.3389 x (30 + 30) x 0.942477 x 3 = 57.49.
    const double fromDiameter = make(0.0);
    EXPECT_NEAR(make(sp(0.7853975) * 0.09), fromDiameter, 1e-4);
    EXPECT_NEAR(fromDiameter, 57.49, 0.01);
}

TEST(RevisedLambda, MeansOverSeveralSegmentsAddTheSegmentIntegrals) {
    // One-foot segments of 100 pcf and su 0.25: at 10 ft the stress integral is 5.0 ksf ft and the
    // strength integral 2.5, so sm = 0.5 and cm = 0.25 as in the single segment. Every growth is
    // positive, so the row totals add up to Q at 10 ft.
    auto s = handBuiltProfile(kEnglish, 12, 1.0, 10.0, 12.0);
    s->input.elasticModulus = 3.0e6;
    setUniformUnitWeight(*s, 100.0);
    for (int i = 1; i <= 12; ++i) setClay(*s, i, 0.25, 0.25);
    computeRevisedLambdaMethod(*s);
    ASSERT_EQ(s->rowCount, 11);
    EXPECT_NEAR(s->rowSkinFriction[11], 10.891032, 1e-5);
    // At 1 ft: sm = 0.05, mu = 2.7778e-4, lambda = 0.494063, Q = 0.494063 x 0.55 x 3.14159 = 0.853636.
    EXPECT_NEAR(s->rowSkinFriction[2], 0.853636, 1e-5);
}

TEST(RevisedLambda, FallingTotalKeepsTheUnitFrictionOfTheRowAbove) {
    // Weightless soil, su 2 ksf over the top 5 ft and 0 below: below 5 ft the mean strength falls
    // as 10/x and so does lambda, so the total drops and each row repeats the row above.
    auto s = handBuiltProfile(kEnglish, 12, 1.0, 10.0, 12.0);
    s->input.elasticModulus = 3.0e6;
    setUniformUnitWeight(*s, 0.0);
    for (int i = 1; i <= 12; ++i) setClay(*s, i, i <= 5 ? 2.0 : 0.0, 0.0);
    computeRevisedLambdaMethod(*s);
    // Q at 4 and 5 ft: 17.028579 and 20.388411; the row at 5 ft: (20.388411 - 17.028579) / pi = 1.069469.
    EXPECT_NEAR(s->rowUnitFriction[6], 1.069469, 1e-5);
    for (int k = 7; k <= 11; ++k) EXPECT_DOUBLE_EQ(s->rowUnitFriction[k], s->rowUnitFriction[6]) << "row " << k;
    EXPECT_NEAR(s->rowSkinFriction[11], 20.388411 + 5.0 * 3.14159 * 1.069469, 1e-4);
}

TEST(RevisedLambda, TensionScalesEveryRowIncludingTheRepeatedOnes) {
    auto build = [](int loading) {
        auto s = handBuiltProfile(kEnglish, 12, 1.0, 10.0, 12.0);
        s->input.elasticModulus = 3.0e6;
        s->input.loadingType = loading;
        s->input.tensionReductionFactor = sp(0.7);
        setUniformUnitWeight(*s, 0.0);
        for (int i = 1; i <= 12; ++i) setClay(*s, i, i <= 5 ? 2.0 : 0.0, 0.0);
        computeRevisedLambdaMethod(*s);
        return s;
    };
    auto compression = build(2);
    auto tension = build(1);
    for (int k = 1; k <= 11; ++k) {
        EXPECT_NEAR(tension->rowUnitFriction[k], sp(0.7) * compression->rowUnitFriction[k], 1e-12) << "row " << k;
        EXPECT_NEAR(tension->rowSkinFriction[k], sp(0.7) * compression->rowSkinFriction[k], 1e-10) << "row " << k;
    }
}

TEST(RevisedLambda, RowMaximumLimitsTheUnitFriction) {
    auto s = singleClaySegment(0.25, 3.0e6);
    s->segMaxUnitFriction[2] = 0.1;
    computeRevisedLambdaMethod(*s);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[2], 0.1);
    EXPECT_NEAR(s->rowSkinFriction[2], 10.0 * 3.14159 * 0.1, 1e-5);
}

TEST(RevisedLambda, ZeroFrictionLengthKeepsTheStressButNotTheStrength) {
    // 20 one-foot segments of su 0.25 and 100 pcf, the top 10 ft without friction.
    auto s = handBuiltProfile(kEnglish, 22, 1.0, 20.0, 12.0);
    s->input.elasticModulus = 3.0e6;
    s->input.zeroFrictionLength = 10.0;
    setUniformUnitWeight(*s, 100.0);
    for (int i = 1; i <= 22; ++i) setClay(*s, i, 0.25, 0.25);
    computeRevisedLambdaMethod(*s);
    // Down to 10 ft the mean strength is 0, so mu and lambda are 0.
    EXPECT_DOUBLE_EQ(s->rowSkinFriction[11], 0.0);
    // At 20 ft: sm = 1.0, cm = 0.25 x 10 / 20 = 0.125 (ratio 0.125); mu = 0.0277778 x 4 x 0.5 = 0.0555556;
    // lambda = 0.178 + 0.016 x 2.890372 = 0.224246; Q = 0.224246 x 1.25 x 3.14159 x 20 = 17.612222.
    EXPECT_NEAR(s->rowSkinFriction[21], 17.612222, 1e-4);
}

TEST(RevisedLambda, ZeroKBecomesOneForThisAndLaterMethods) {
    auto withZero = handBuiltProfile(kEnglish, 2, 10.0, 10.0, 12.0);
    withZero->input.elasticModulus = 3.0e6;
    setUniformUnitWeight(*withZero, 100.0);
    setSand(*withZero, 1, 30.0, 0.0);
    setSand(*withZero, 2, 30.0, 2.0);
    computeRevisedLambdaMethod(*withZero);
    EXPECT_DOUBLE_EQ(withZero->segLateralK[1], 1.0);
    EXPECT_DOUBLE_EQ(withZero->segLateralK[2], 2.0);

    auto withOne = handBuiltProfile(kEnglish, 2, 10.0, 10.0, 12.0);
    withOne->input.elasticModulus = 3.0e6;
    setUniformUnitWeight(*withOne, 100.0);
    setSand(*withOne, 1, 30.0, 1.0);
    setSand(*withOne, 2, 30.0, 2.0);
    computeRevisedLambdaMethod(*withOne);
    EXPECT_DOUBLE_EQ(withZero->rowSkinFriction[2], withOne->rowSkinFriction[2]);
    // Sand strength 1 x 0.5 x (0 + 1.0) x tan 30 = 0.288675, so cm/sm = 0.577 and the total is positive.
    EXPECT_GT(withOne->rowSkinFriction[2], 0.0);
}

TEST(RevisedLambda, LrfdFactorsTheGrowthAndTheTransferColumnFollowsTheOption) {
    auto build = [](int reduced) {
        auto s = handBuiltProfile(kEnglish, 12, 1.0, 10.0, 12.0);
        s->input.elasticModulus = 3.0e6;
        s->input.reducedSideFriction = reduced;
        setUniformUnitWeight(*s, 100.0);
        for (int i = 1; i <= 12; ++i) {
            setClay(*s, i, 0.25, 0.25);
            s->segLrfdFrictionFactor[i] = i <= 5 ? 0.5 : 1.0;
        }
        computeRevisedLambdaMethod(*s);
        return s;
    };
    auto unfactored = build(0);
    auto factored = build(1);
    // Rows 2 to 5 grow at half rate, rows 6 to 11 at the full rate:
    // 0.5 x Q(4 ft) + (Q(10 ft) - Q(4 ft)) = 0.5 x 3.565336 + 7.325696 = 9.108364.
    EXPECT_NEAR(unfactored->rowSkinFriction[11], 9.108364, 1e-5);
    EXPECT_NEAR(unfactored->rowTransferSkinFriction[11], 10.891032, 1e-5);
    EXPECT_NEAR(factored->rowTransferSkinFriction[11], 9.108364, 1e-5);
}

}  // namespace
}  // namespace vorta::test
