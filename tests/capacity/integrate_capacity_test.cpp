// The tip column of the capacity table: closed, plugged and unplugged tips, plug length, the
// averaged end bearing over the tip zone and the self weight in tension.
#include <gtest/gtest.h>

#include <cmath>

#include "capacity/capacity.h"
#include "capacity/state_builders.h"
#include "engine/constants.h"

namespace vorta {
namespace {

using test::buildGrid;
using test::fillClay;
using test::fillSand;
using test::newState;

constexpr double kTol = 1e-9;

// A closed 12-inch pile, 10 ft embedded, in uniform clay of su 1 ksf (unit end bearing 9 ksf):
// the tip area is 0.7853975 ft2, so the full end-bearing force is 9 * 0.7853975 = 7.0685778.
std::unique_ptr<AnalysisState> closedPileInClay() {
    auto s = newState();
    buildGrid(*s, 12, 1.0, 10.0);
    fillClay(*s, 1.0, 0.5, 0.1);
    InputData& in = s->input;
    in.unitSystem = kEnglish;
    in.outsideDiameter = 12.0;
    in.insideDiameter = 0.0;
    in.pileType = 3;
    in.enhancedEndLength = in.pileLength - 1.0e-7;
    s->currentMethod = kCodeFhwa;
    return s;
}

TEST(IntegrateCapacity, ClosedPileHasFlagOneAndNoPlugLength) {
    auto s = closedPileInClay();
    integrateCapacity(*s);
    ASSERT_EQ(s->rowCount, 11);
    for (int k = 3; k <= s->rowCount; ++k) EXPECT_NEAR(s->rowTipResistance[k], 7.0685778, 1e-6) << "row " << k;
    for (int k = 1; k <= s->rowCount; ++k) {
        EXPECT_EQ(s->rowTipFlag(kCodeFhwa, k), 1);
        EXPECT_EQ(s->rowPlugLength[k], 0.0);
        // The FHWA table reads its own copy of the tip column and plug length.
        EXPECT_EQ(s->methodColumns[kCodeFhwa].rowTipResistance[k], s->rowTipResistance[k]);
        EXPECT_EQ(s->methodColumns[kCodeFhwa].rowPlugLength[k], 0.0);
    }
}

TEST(EndBearing, TipZoneCutAtTheSurfaceStillDividesByThreeDiameters) {
    auto s = closedPileInClay();
    integrateCapacity(*s);
    // Row 1, tip at 0: the zone runs from 0 to 1.5 ft, 7.0685778 * 1.5 / 3 = 3.5342889.
    EXPECT_NEAR(s->rowTipResistance[1], 3.5342889, 1e-6);
    // Row 2, tip at 1 ft: 0 to 2.5 ft, 7.0685778 * 2.5 / 3 = 5.8904815.
    EXPECT_NEAR(s->rowTipResistance[2], 5.8904815, 1e-6);
}

TEST(EndBearing, LayerLimitGovernsTheAveragedBearingAndNoLimitNeverDoes) {
    auto s = closedPileInClay();
    for (int i = 1; i <= s->segmentCount; ++i) s->segMaxUnitBearing[i] = 5.0;
    integrateCapacity(*s);
    // 5 ksf over the zone instead of 9: 5 * 0.7853975, and half of it at the surface.
    EXPECT_NEAR(s->rowTipResistance[6], 3.9269876, 1e-6);
    EXPECT_NEAR(s->rowTipResistance[1], 1.9634938, 1e-6);

    // A limit only in the deepest layers: rows whose zone reaches them are limited there only.
    auto t = closedPileInClay();
    for (int i = 11; i <= t->segmentCount; ++i) t->segMaxUnitBearing[i] = 3.0;
    integrateCapacity(*t);
    // Row 11 (tip at 10): zone 8.5..11.5 ft, 1.5 ft without limit and 1.5 ft limited to 3 ksf:
    // the limit is averaged over the zone, (1.5 * 9999999 + 1.5 * 3) * A / 3, and does not govern.
    EXPECT_NEAR(t->rowTipResistance[11], 7.0685778, 1e-6);
    // With every layer limited to 3 ksf below 10 ft and 12 ksf above, the zone's average limit
    // is (1.5 * 12 + 1.5 * 3) / 3 = 7.5 ksf, below the 9 ksf bearing: 7.5 * 0.7853975.
    for (int i = 1; i <= 10; ++i) t->segMaxUnitBearing[i] = 12.0;
    integrateCapacity(*t);
    EXPECT_NEAR(t->rowTipResistance[11], 5.8904815, 1e-6);
}

TEST(EndBearing, TaperedPileBearsOnItsTipDiameter) {
    auto s = closedPileInClay();
    s->input.taperAngle = 1.0;
    s->input.stickupLength = 2.0;
    integrateCapacity(*s);
    // Tip diameter 1 - 12 * 2 * tan(0.01745) = 1 - 24 * 0.0174518 = 0.5811575, area
    // 0.7853975 * 0.5811575^2 = 0.2652633 ft2; full zone: 9 * 0.2652633 = 2.3873700 (the zone
    // itself stays 1.5 outside diameters).
    EXPECT_NEAR(s->rowTipResistance[8], 2.38737, 1e-5);
}

// An open pipe, 24 in outside and 22 in inside, 12 ft embedded, in uniform clay with unit end
// bearing 9 ksf and the FHWA plug friction of 0.5 ksf at every node.
//   wall bearing   9 * 0.7853975 * (576 - 484) / 144         = 4.5160358
//   full tip       9 * 0.7853975 * 2 * 2                     = 28.274311 (zone 3 ft each side)
//   plug friction per ft   22 * 1.570795 * (0.5 + 0.5) / 12  = 2.8797908
std::unique_ptr<AnalysisState> openPipeInClay(int plugCondition) {
    auto s = newState();
    buildGrid(*s, 16, 1.0, 12.0);
    fillClay(*s, 1.0, 0.0, 0.0);
    for (int n = 1; n <= 33; ++n) {
        s->nodeEffStress[n] = 1.0;
        s->methodUnitFriction(n, kCodeFhwa) = 0.5;
    }
    InputData& in = s->input;
    in.unitSystem = kEnglish;
    in.outsideDiameter = 24.0;
    in.insideDiameter = 22.0;
    in.enhancedEndInsideDiameter = 22.0;
    in.enhancedEndLength = in.pileLength - 1.0e-7;
    in.pileType = 1;
    in.plugCondition = plugCondition;
    s->currentMethod = kCodeFhwa;
    return s;
}

constexpr double kWallBearing = 4.51603580;
constexpr double kFullTip = 28.274311;
constexpr double kPlugPerFoot = 2.87979094;

TEST(IntegrateCapacity, ProgramDecidesThePlugOnOpenPipe) {
    auto s = openPipeInClay(0);
    integrateCapacity(*s);
    ASSERT_EQ(s->rowCount, 13);
    // Rows 1..9: the plug slips (friction 8 * 2.8797908 + 4.5160358 = 27.554 <= 28.274 at row 9).
    for (int k = 1; k <= 9; ++k) {
        EXPECT_NEAR(s->rowTipResistance[k], (k - 1) * kPlugPerFoot + kWallBearing, 1e-6) << "row " << k;
        EXPECT_EQ(s->rowTipFlag(kCodeFhwa, k), 2) << "row " << k;
        EXPECT_NEAR(s->rowPlugLength[k], k - 1.0, kTol) << "row " << k;
    }
    // Row 10: 9 * 2.8797908 + 4.5160358 = 30.434 > 28.274, the plugged tip governs. The plug
    // mobilises 28.274311 - 8 * 2.8797908 - 4.5160358 = 0.7199 of this step's 2.8797908:
    // plug length 8 + 0.25 = 8.25 ft, and no further growth below.
    for (int k = 10; k <= 13; ++k) {
        EXPECT_NEAR(s->rowTipResistance[k], kFullTip, 1e-5) << "row " << k;
        EXPECT_EQ(s->rowTipFlag(kCodeFhwa, k), 1) << "row " << k;
        EXPECT_NEAR(s->rowPlugLength[k], 8.25, 1e-6) << "row " << k;
        EXPECT_EQ(s->methodColumns[kCodeFhwa].rowPlugLength[k], s->rowPlugLength[k]);
    }
    EXPECT_NEAR(s->rowPlugFriction[10], kFullTip - kWallBearing, 1e-5);
}

TEST(IntegrateCapacity, UnpluggedOpenPileBearsOnTheWallAndThePlugGrowsEveryRow) {
    auto s = openPipeInClay(2);
    s->currentMethod = kCodeUsace;
    for (int n = 1; n <= 33; ++n) s->methodUnitFriction(n, kCodeUsace) = 0.5;
    integrateCapacity(*s);
    for (int k = 1; k <= s->rowCount; ++k) {
        EXPECT_EQ(s->nodePlugFrictionCum[2 * k], 0.0);
        EXPECT_NEAR(s->rowTipResistance[k], kWallBearing, 1e-6) << "row " << k;
        EXPECT_EQ(s->rowTipFlag(kCodeUsace, k), 2) << "row " << k;
        EXPECT_NEAR(s->rowPlugLength[k], k - 1.0, kTol) << "row " << k;
        EXPECT_EQ(s->methodColumns[kCodeUsace].rowTipResistance[k], s->rowTipResistance[k]);
        EXPECT_EQ(s->methodColumns[kCodeUsace].rowPlugLength[k], s->rowPlugLength[k]);
    }
}

TEST(IntegrateCapacity, PluggedPileTakesThePluggedTipWhileThePlugLengthIsStillComputed) {
    auto s = openPipeInClay(1);
    integrateCapacity(*s);
    // Plugged tip: 28.274311 * (3 + t) / 6 near the surface, then the full value.
    EXPECT_NEAR(s->rowTipResistance[1], 14.137156, 1e-5);
    EXPECT_NEAR(s->rowTipResistance[2], 18.849541, 1e-5);
    EXPECT_NEAR(s->rowTipResistance[3], 23.561926, 1e-5);
    for (int k = 4; k <= 13; ++k) EXPECT_NEAR(s->rowTipResistance[k], kFullTip, 1e-5) << "row " << k;
    for (int k = 1; k <= 13; ++k) {
        EXPECT_EQ(s->rowTipFlag(kCodeFhwa, k), 1) << "row " << k;
        EXPECT_EQ(s->methodColumns[kCodeFhwa].rowTipResistance[k], s->rowTipResistance[k]);
    }
    EXPECT_NEAR(s->rowPlugLength[9], 8.0, kTol);
    EXPECT_NEAR(s->rowPlugLength[13], 8.25, 1e-6);
}

TEST(IntegrateCapacity, ClosedEnhancedEndSectionCountsAsPlugged) {
    auto s = openPipeInClay(0);
    s->input.enhancedEndInsideDiameter = 0.0;
    s->input.enhancedEndLength = 3.0;
    integrateCapacity(*s);
    for (int k = 1; k <= s->rowCount; ++k) EXPECT_EQ(s->rowTipFlag(kCodeFhwa, k), 1) << "row " << k;
}

TEST(IntegrateCapacity, PlugFrictionActsOverTheEnhancedEndLengthOnly) {
    auto s = openPipeInClay(0);
    s->input.enhancedEndLength = 3.0;
    integrateCapacity(*s);
    EXPECT_NEAR(s->rowPlugCapacity[1], 0.0, kTol);
    EXPECT_NEAR(s->rowPlugCapacity[2], kPlugPerFoot, 1e-6);
    EXPECT_NEAR(s->rowPlugCapacity[4], 3 * kPlugPerFoot, 1e-6);  // 3 - 3 is not above 1.0E-6
    EXPECT_NEAR(s->rowPlugCapacity[5], 3 * kPlugPerFoot, 1e-6);  // 4 ft less the friction to 1 ft
    EXPECT_NEAR(s->rowPlugIncrement[5], 0.0, 1e-9);
    EXPECT_NEAR(s->rowPlugIncrement[3], kPlugPerFoot, 1e-6);
}

// A plug that is stiff near the surface and soft below, inside a 3-ft enhanced end: once the tip
// leaves the stiff soil, the plug capacity over the end section falls by 28.8 kips a foot
// (22 * 1.570795 * (5 + 5) / 12 = 28.797909 per ft of stiff plug leaving the window). The plug
// friction mobilised while the plugged tip governed was only about 23.8 kips (full tip 28.27 less
// the wall's 4.52), so subtracting the full fall would leave a negative plug friction and a
// negative end bearing in compression. The plug friction stops at zero: the tip then bears on the
// wall alone.
TEST(IntegrateCapacity, PlugFrictionNeverFallsBelowZeroWhenStiffPlugLeavesTheEndSection) {
    auto s = openPipeInClay(0);
    s->input.enhancedEndLength = 3.0;
    for (int n = 1; n <= 12; ++n) s->methodUnitFriction(n, kCodeFhwa) = 5.0;  // segments 1 to 6
    for (int n = 13; n <= 33; ++n) s->methodUnitFriction(n, kCodeFhwa) = 0.05;
    integrateCapacity(*s);
    ASSERT_LT(s->rowPlugIncrement[8], -28.0);  // the stiff plug leaves the window from row 8 (7 ft)
    for (int k = 1; k <= s->rowCount; ++k) {
        EXPECT_GE(s->rowPlugFriction[k], 0.0) << "row " << k;
        EXPECT_GE(s->rowTipResistance[k], kWallBearing - 1e-6) << "row " << k;
    }
    EXPECT_NEAR(s->rowTipResistance[9], kWallBearing, 1e-6);  // no plug friction left, wall alone
    EXPECT_EQ(s->rowTipFlag(kCodeFhwa, 9), 2);
}

TEST(PlugFriction, SandByMethodCode) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 0.0);
    fillSand(*s, 35.0, 0.0);
    s->nodeEffStress[1] = 10.0;
    s->nodeEffStress[2] = 12.0;
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    // Revised Lambda keeps K tan(30 deg) sigma': 0.5773500 * 10 and * 12.
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    EXPECT_NEAR(s->nodeInnerFriction[1], 5.77350, 1e-5);
    EXPECT_NEAR(s->nodeInnerFriction[2], 6.92820, 1e-5);
    // API RP-2A limits it by the chart at delta 30: 2.0 ksf.
    s->currentMethod = kCodeApi;
    integrateCapacity(*s);
    EXPECT_EQ(s->nodeInnerFriction[1], 2.0);
    EXPECT_EQ(s->nodeInnerFriction[2], 2.0);
    // FHWA uses its own plug friction.
    s->currentMethod = kCodeFhwa;
    s->methodUnitFriction(1, kCodeFhwa) = 0.25;
    s->methodUnitFriction(2, kCodeFhwa) = 0.75;
    integrateCapacity(*s);
    EXPECT_EQ(s->nodeInnerFriction[1], 0.25);
    EXPECT_EQ(s->nodeInnerFriction[2], 0.75);
    // The layer's maximum unit friction caps the computed values.
    s->segMaxUnitFriction[1] = 6.0;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    EXPECT_NEAR(s->nodeInnerFriction[1], 5.77350, 1e-5);
    EXPECT_EQ(s->nodeInnerFriction[2], 6.0);
}

TEST(PlugFriction, ApiChartLimitInSiIsTimesFortySevenPointEight) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 0.0);
    fillSand(*s, 35.0, 0.0);
    s->nodeEffStress[1] = 100.0;
    s->nodeEffStress[2] = 200.0;
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    s->currentMethod = kCodeApi;
    integrateCapacity(*s);
    // 57.735 is below 2.0 * 47.8 = 95.6; 115.47 is not.
    EXPECT_NEAR(s->nodeInnerFriction[1], 57.7350, 1e-4);
    EXPECT_NEAR(s->nodeInnerFriction[2], 95.6, 1e-5);
}

TEST(PlugFriction, ClayAlphaOfTheStrengthRatioAndTheCumulativeForce) {
    auto s = newState();
    buildGrid(*s, 2, 1.0, 1.0);
    fillClay(*s, 2.0, 1.0, 0.0);
    s->nodeEffStress[2] = 1.0;  // psi = 2: alpha = 0.5 * 2^-0.25 = 0.4204482
    s->segShearStrength[2] = 0.16;
    s->nodeEffStress[4] = 1.0;  // psi = 0.16: alpha = 0.5 / 0.4 = 1.25, held at 1
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 24.0;
    s->input.enhancedEndInsideDiameter = 22.0;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    EXPECT_NEAR(s->nodeInnerFriction[1], 0.4204482, 1e-7);
    EXPECT_NEAR(s->nodeInnerFriction[2], 0.4204482, 1e-7);
    EXPECT_NEAR(s->nodeInnerFriction[3], 1.0, kTol);
    // 22 * 1.570795 * 1 * (2 * 0.4204482) / 12 = 2.4216059, and 22 * 1.570795 * 2 / 12 more.
    EXPECT_NEAR(s->nodePlugFrictionCum[2], 2.4216059, 1e-6);
    EXPECT_EQ(s->nodePlugFrictionCum[3], s->nodePlugFrictionCum[2]);
    EXPECT_NEAR(s->nodePlugFrictionCum[4], 2.4216059 + 5.7595817, 1e-6);
}

TEST(PlugFriction, ClayWithoutStressIsClampedAndTheClampIsWrittenBack) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 0.0);
    fillClay(*s, 1.0, 1.0, 0.0);  // zero stress at both nodes
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    EXPECT_EQ(s->nodeEffStress[2], sp(1.0e-10));
    // psi = 1 / 1e-10: alpha = 0.5 * (1e10)^-0.25, a small but defined friction.
    EXPECT_NEAR(s->nodeInnerFriction[2], 0.5 * std::pow(1.0e10, -0.25), 1e-6);
}

// Self weight in tension.
TEST(SelfWeight, TimberPileInTensionBelowTheWaterTableIsNegative) {
    auto s = closedPileInClay();
    s->input.pileType = 2;
    s->input.loadingType = 1;
    s->input.lightSoilDepth = 1.0;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    // 0.05 * 0.7853975 * 1 + (0.05 - 0.0624) * 0.7853975 * 9 = 0.0392699 - 0.0876504.
    EXPECT_NEAR(s->rowTipResistance[11], -0.0483805, 1e-6);
    EXPECT_LT(s->rowTipResistance[11], 0.0);
    // Above the water table the weight is positive: row 2, tip at 1 ft, 0.05 * 0.7853975.
    EXPECT_NEAR(s->rowTipResistance[2], 0.0392699, 1e-6);
}

TEST(SelfWeight, WaterTableShallowerThanOneIsTakenAtPointOne) {
    auto s = closedPileInClay();
    s->input.pileType = 2;
    s->input.loadingType = 1;
    s->input.lightSoilDepth = 0.5;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    // 0.05 * 0.7853975 * 0.1 + (0.05 - 0.0624) * 0.7853975 * 9.9 = -0.0924884.
    EXPECT_NEAR(s->rowTipResistance[11], -0.0924884, 1e-6);
}

TEST(SelfWeight, ClosedSectionWithItsAreaGivenFeelsBuoyancyOnTheFullSection) {
    auto s = closedPileInClay();
    s->input.pileType = 1;
    s->input.tipClosure = 1;
    s->input.axialArea = 20.0;  // in2
    s->input.loadingType = 1;
    s->input.lightSoilDepth = 2.0;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    // 0.49 * 20 / 144 * 10 - 0.0624 * 0.7853975 * 8 = 0.6805556 - 0.3920704.
    EXPECT_NEAR(s->rowTipResistance[11], 0.2884851, 1e-6);
}

TEST(SelfWeight, SteelPileInSi) {
    auto s = newState();
    buildGrid(*s, 12, 1.0, 10.0);
    fillClay(*s, 50.0, 25.0, 10.0);
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 500.0;
    s->input.pileType = 6;
    s->input.loadingType = 1;
    s->currentMethod = kCodeLambda;
    integrateCapacity(*s);
    // 76.97263 * 0.7853975 * 0.25 * 10 = 151.13529 kN.
    EXPECT_NEAR(s->rowTipResistance[11], 151.13529, 1e-4);
}

// The pile's weight does not depend on which tip governs: the stickup counts in every branch.
TEST(SelfWeight, StickupWeightIsAddedInEveryBranch) {
    // Steel pipe: 0.49 kcf * 0.7853975 * (576 - 484) / 144 = 0.2458731 kip per ft of pile, the
    // embedded part plus 5 ft of stickup.
    const double perFoot = 0.49 * 0.50178176;
    auto open = openPipeInClay(0);
    open->input.loadingType = 1;
    open->input.stickupLength = 5.0;
    integrateCapacity(*open);
    for (int k = 1; k <= open->rowCount; ++k) {
        // Rows 1..9 take the branch in which the plug friction governs, rows 10.. the other.
        EXPECT_NEAR(open->rowTipResistance[k], perFoot * ((k - 1) + 5.0), 1e-6) << "row " << k;
    }
    EXPECT_EQ(open->rowTipFlag(kCodeFhwa, 9), 2);
    EXPECT_EQ(open->rowTipFlag(kCodeFhwa, 10), 1);

    auto unplugged = openPipeInClay(2);
    unplugged->input.loadingType = 1;
    unplugged->input.stickupLength = 5.0;
    integrateCapacity(*unplugged);
    EXPECT_NEAR(unplugged->rowTipResistance[7], perFoot * 11.0, 1e-6);

    auto closed = openPipeInClay(0);
    closed->input.tipClosure = 1;
    closed->input.loadingType = 1;
    closed->input.stickupLength = 5.0;
    integrateCapacity(*closed);
    EXPECT_NEAR(closed->rowTipResistance[7], perFoot * 11.0, 1e-6);
    EXPECT_EQ(closed->rowTipFlag(kCodeFhwa, 7), 1);
}

// General method in tension on an open pipe: clay of su 10 ksf whose own rule would bear 90 ksf,
// the user's unit end bearing 9 ksf, and plug friction 0.5 * 1 ksf (psi = 10 / 10).
std::unique_ptr<AnalysisState> generalMethodOpenPipe() {
    auto s = openPipeInClay(0);
    for (int i = 1; i <= s->segmentCount; ++i) {
        s->segShearStrength[i] = 10.0;
        s->segRemoldedStrength[i] = 1.0;
        s->segUserUnitBearing[i] = 9.0;
    }
    for (int n = 1; n <= 33; ++n) s->nodeEffStress[n] = 10.0;
    s->input.loadingType = 1;
    s->input.stickupLength = 5.0;
    s->currentMethod = kCodeUser;
    for (int k = 1; k <= 13; ++k) s->methodColumns[kCodeUser].rowTipResistance[k] = 777.0;
    return s;
}

TEST(IntegrateCapacity, GeneralMethodDecidesItsTipOnTheUsersEndBearing) {
    auto s = generalMethodOpenPipe();
    integrateCapacity(*s);
    // No cone resistance anywhere: the wall bears nothing. The plug friction 2.8797908 per ft
    // passes the plugged 9 * 3.1415901 = 28.274 only at row 11 (10 * 2.8797908 = 28.798); with
    // the clay rule's 90 ksf it never would.
    EXPECT_EQ(s->rowTipFlag(kCodeUser, 10), 2);
    EXPECT_EQ(s->rowTipFlag(kCodeUser, 11), 1);
    EXPECT_EQ(s->rowTipFlag(kCodeUser, 13), 1);
}

TEST(IntegrateCapacity, GeneralMethodCopyHoldsTheSelfWeightWhicheverTipGoverns) {
    auto s = generalMethodOpenPipe();
    integrateCapacity(*s);
    const double perFoot = 0.49 * 0.50178176;
    for (int k = 1; k <= s->rowCount; ++k) {
        EXPECT_NEAR(s->methodColumns[kCodeUser].rowTipResistance[k], perFoot * ((k - 1) + 5.0), 1e-6) << "row " << k;
    }
}

// Wall bearing of the CPT methods and the general method.
std::unique_ptr<AnalysisState> cptPipe(int segments) {
    auto s = newState();
    buildGrid(*s, segments, 1.0, 1.0);
    fillClay(*s, 1.0, 0.5, 0.1);
    InputData& in = s->input;
    in.unitSystem = kEnglish;
    in.outsideDiameter = 24.0;
    in.insideDiameter = 22.0;
    in.enhancedEndInsideDiameter = 22.0;
    in.enhancedEndLength = in.pileLength - 1.0e-7;
    in.pileType = 1;
    s->currentMethod = kCodeNgi;
    return s;
}

TEST(AnnulusBearing, OpenEndBearsOnTheConeResistanceDownToTheLastNode) {
    auto s = cptPipe(3);
    for (int i = 1; i <= 3; ++i) s->segQc[i] = 20000.0;  // psf: 20 ksf
    integrateCapacity(*s);
    // 20 * 0.7853975 * (576 - 484) / 144 = 10.0356351 at every node, the grid's bottom node too
    // (its row would lie in a segment below the grid; the last segment's soil is used).
    for (int n = 1; n <= 6; ++n) EXPECT_NEAR(s->nodeAnnulusBearing[n], 10.0356351, 1e-6) << "node " << n;
}

TEST(AnnulusBearing, FullGridOfFiveHundredSegmentsStaysWithinTheTables) {
    auto s = cptPipe(static_cast<int>(kMaxSegments));
    for (int i = 1; i <= s->segmentCount; ++i) s->segQc[i] = 20000.0;
    integrateCapacity(*s);
    EXPECT_NEAR(s->nodeAnnulusBearing[2 * kMaxSegments], 10.0356351, 1e-6);
}

TEST(AnnulusBearing, SoundingIsReadAtTheNodesDepth) {
    auto s = cptPipe(3);
    CptSounding& cpt = s->input.cptSounding;
    cpt.cptPointCount = 2;
    cpt.cptDepth[1] = 0.0;
    cpt.cptQc[1] = 0.0;
    cpt.cptDepth[2] = 10.0;
    cpt.cptQc[2] = 10000.0;  // 1 ksf per ft
    integrateCapacity(*s);
    const double area = 0.7853975 * 92.0 / 144.0;
    EXPECT_NEAR(s->nodeAnnulusBearing[3], 1.0 * area, 1e-6);  // top of segment 2, 1 ft
    EXPECT_NEAR(s->nodeAnnulusBearing[4], 2.0 * area, 1e-6);  // bottom of segment 2, 2 ft
    EXPECT_NEAR(s->nodeAnnulusBearing[6], 3.0 * area, 1e-6);  // bottom of the grid, 3 ft
}

TEST(AnnulusBearing, WithoutQcOrSoundingTheBlowCountGivesTheEstimate) {
    auto s = cptPipe(3);
    for (int i = 1; i <= 3; ++i) s->segYieldStressRatio[i] = 10.0;
    integrateCapacity(*s);
    // 2.8 * 2.1168 * 10 = 59.2704 ksf, not divided by 1000.
    EXPECT_NEAR(s->nodeAnnulusBearing[2], 59.270401 * 0.7853975 * 92.0 / 144.0, 1e-5);
}

TEST(AnnulusBearing, ClosedEndedPileIsClosedForTheCptMethodsWhateverItsEndDiameter) {
    auto s = cptPipe(3);
    s->input.tipClosure = 1;
    s->input.insideDiameter = 10.0;
    s->input.enhancedEndInsideDiameter = 10.0;
    for (int i = 1; i <= 3; ++i) s->segQc[i] = 50000.0;
    integrateCapacity(*s);
    // No cone resistance on a wall: the unit end bearing 9 ksf over the full 24-inch section.
    for (int n = 1; n <= 6; ++n) EXPECT_NEAR(s->nodeAnnulusBearing[n], 9.0 * 0.7853975 * 4.0, 1e-5) << "node " << n;
    EXPECT_EQ(s->rowTipFlag(kCodeNgi, 2), 1);
}

TEST(AnnulusBearing, NonCircularTipAreaReplacesTheRing) {
    auto s = cptPipe(3);
    s->input.tipArea = 0.5;  // ft2
    for (int i = 1; i <= 3; ++i) s->segQc[i] = 20000.0;
    integrateCapacity(*s);
    EXPECT_NEAR(s->nodeAnnulusBearing[3], 10.0, 1e-9);
}

TEST(EndBearing, IcpFullTipNeverBearsLessThanTheWall) {
    auto s = cptPipe(10);
    s->input.pileLength = 5.0;
    s->rowCount = 6;
    fillSand(*s, 35.0, 0.1);
    for (int i = 1; i <= s->segmentCount; ++i) s->segQc[i] = 100000.0;
    s->currentMethod = kCodeIcp;
    integrateCapacity(*s);
    for (int k = 4; k <= s->rowCount; ++k) {
        EXPECT_GE(s->rowPluggedBearing[k], s->rowAnnulusBearing[k] - 1e-9) << "row " << k;
    }
}

TEST(IntegrateCapacity, CountsBeyondTheTablesAndAnEmptyGridAreSafe) {
    auto s = newState();
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    s->currentMethod = kCodeFhwa;
    s->rowCount = 3;
    integrateCapacity(*s);  // no segments at all
    EXPECT_EQ(s->rowTipResistance[2], 0.0);

    auto big = closedPileInClay();
    big->rowCount = 100000;
    big->currentMethod = 42;  // no such method: no flag or copy is written
    integrateCapacity(*big);
    EXPECT_EQ(big->rowTipFlag(kCodeFhwa, 3), 0);
}

}  // namespace
}  // namespace vorta
