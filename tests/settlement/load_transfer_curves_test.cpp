#include "settlement/load_transfer_curves.h"

#include <cmath>

#include <gtest/gtest.h>

#include "engine/constants.h"
#include "settlement/settlement_fixtures.h"

namespace vorta {
namespace {

using test::makeEnglishSandPile;
using test::newState;
using test::setEnglishLabels;
using test::setSiLabels;
using test::setSoilPoint;
using test::setUniformRows;

TEST(SideCurves, DefaultNonClayCurvePeaksAtOneHundredthOfTheDiameter) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.outsideDiameter = 24.0;
    s->curves[1].curveTmax = 2.0;
    makeNonClayCurve(*s, 1, 0.0);  // no peak movement in the profile: b = 0.01 * 24 = 0.24 in
    const LoadTransferCurve& c = s->curves[1];
    EXPECT_EQ(c.pointCount, 10);
    EXPECT_EQ(c.z[0], 0.0);
    EXPECT_EQ(c.t[0], 0.0);
    // The constants are single precision: 0.01 is 0.0099999998, so b = 0.23999999.
    EXPECT_NEAR(c.z[5], 0.24, 1e-7);
    EXPECT_NEAR(c.z[1], 0.16 * 0.24, 1e-7);
    EXPECT_NEAR(c.z[9], 20 * 0.24, 1e-6);
    EXPECT_NEAR(c.t[1], 0.6, 1e-7);   // 0.30 tmax
    EXPECT_NEAR(c.t[4], 1.8, 1e-7);   // 0.90 tmax
    EXPECT_DOUBLE_EQ(c.t[5], 2.0);
    EXPECT_DOUBLE_EQ(c.t[9], 2.0);  // no softening in sand
}

TEST(SideCurves, ClayResidualDefaultsToNineTenthsAndOtherwiseFollowsTheProfile) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.outsideDiameter = 24.0;
    s->curves[1].curveTmax = 2.0;
    makeClayCurve(*s, 1, 0.5, 0.0);
    EXPECT_DOUBLE_EQ(s->curves[1].z[5], 0.5);  // the profile's peak movement
    EXPECT_DOUBLE_EQ(s->curves[1].t[5], 2.0);
    for (int i = 6; i <= 9; ++i) EXPECT_NEAR(s->curves[1].t[i], 1.8, 1e-7) << i;

    makeClayCurve(*s, 1, 0.5, -1.0);  // a negative ratio is no ratio either
    EXPECT_NEAR(s->curves[1].t[9], 1.8, 1e-7);
    makeClayCurve(*s, 1, 0.5, 0.7);
    EXPECT_DOUBLE_EQ(s->curves[1].t[6], 1.4);
}

TEST(SideCurves, HyperbolicStiffnessStepsAtThirtyFourDegrees) {
    EXPECT_EQ(usaceSideStiffness(28.0), 6000.0);
    EXPECT_NEAR(usaceSideStiffness(31.0), 9999.9, 1e-3);   // 6000 + 3 * 1333.3
    EXPECT_EQ(usaceSideStiffness(31.5), 10000.0);
    EXPECT_NEAR(usaceSideStiffness(34.0), 12666.6, 1e-3);  // 10000 + 2 * 1333.3
    EXPECT_EQ(usaceSideStiffness(34.5), 14000.0);
    EXPECT_EQ(usaceSideStiffness(35.0), 14000.0);
    EXPECT_NEAR(usaceSideStiffness(38.0), 17999.9, 1e-3);
    EXPECT_EQ(usaceSideStiffness(38.01), 18000.0);
}

TEST(SideCurves, HyperbolicCurveWorksInPsfAndInches) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    s->curves[3].curveTmax = 1.0;  // 1 psi = 144 psf
    s->curves[3].curveFrictionAngle = 30.0;  // K = 6000 + 2 * 1333.3 = 8666.6 psf/in
    makeNonClayCurve(*s, 3, 0.0);
    const LoadTransferCurve& c = s->curves[3];
    // t = z / (z / 144 + 1 / 8666.6) / 144: at 0.01 in 54.104 psf = 0.37572 psi.
    EXPECT_NEAR(c.z[1], 0.01, 1e-8);
    EXPECT_NEAR(c.t[1], 0.375721, 1e-6);
    EXPECT_NEAR(c.t[5], 0.828024, 1e-6);  // 0.08 in
    EXPECT_NEAR(c.t[9], 0.998341, 1e-6);  // 10 in
}

TEST(SideCurves, HyperbolicCurveInSiConvertsMovementsEvenWithoutFriction) {
    auto s = newState();
    setSiLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    s->curves[1].curveTmax = 0.0;
    s->curves[1].curveFrictionAngle = 36.0;
    makeNonClayCurve(*s, 1, 0.0);
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(s->curves[1].t[i], 0.0);
    EXPECT_NEAR(s->curves[1].z[9], 10.0 / 39.37, 1e-6);
    EXPECT_NEAR(s->curves[1].z[1], 0.01 / 39.37, 1e-9);

    // 10 kPa = 208.9 psf; phi 36: K = 14000 + 1333.3 = 15333.3; at 0.5 in
    // t = 0.5 / (0.5 / 208.9 + 1 / 15333.3) = 203.359 psf = 9.7347 kPa.
    s->curves[1].curveTmax = 10.0;
    makeNonClayCurve(*s, 1, 0.0);
    EXPECT_NEAR(s->curves[1].t[8], 9.7347, 1e-4);
}

TEST(SideCurves, UsaceClayCurvePeaksAtEightHundredthsOfAnInchAndSoftens) {
    auto s = newState();
    setSiLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    s->curves[1].curveTmax = 50.0;
    makeClayCurve(*s, 1, 0.3, 0.5);  // peak movement and residual do not enter this shape
    EXPECT_NEAR(s->curves[1].t[1], 9.0, 1e-5);    // 0.18 * 50
    EXPECT_DOUBLE_EQ(s->curves[1].t[5], 50.0);
    EXPECT_NEAR(s->curves[1].z[5], 0.08 / 39.37, 1e-9);
    EXPECT_NEAR(s->curves[1].t[9], 46.5, 1e-5);   // 0.93 * 50
}

TEST(CurveModifiers, OneRowTableScalesAtEveryDepth) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.outsideDiameter = 12.0;
    s->input.tzModifierRowsRead = 1;
    s->input.tzModifierTable[1] = {10.0, 2.0, 0.5};
    for (double depthFt : {0.0, 5.0, 10.0, 30.0}) {
        s->curves[1].curveTmax = 1.0;
        makeNonClayCurve(*s, 1, 0.2);
        applyCurveModifiers(*s, 1, depthFt * 12.0);
        EXPECT_DOUBLE_EQ(s->curves[1].t[5], 2.0) << depthFt;
        EXPECT_DOUBLE_EQ(s->curves[1].z[5], 0.1) << depthFt;
    }
}

TEST(CurveModifiers, FactorsAreLinearInDepthBetweenRows) {
    auto s = newState();
    setSiLabels(*s);
    s->input.tzModifierRowsRead = 2;
    s->input.tzModifierTable[1] = {2.0, 1.0, 1.0};
    s->input.tzModifierTable[2] = {6.0, 3.0, 2.0};
    s->curves[1].curveTmax = 10.0;
    makeNonClayCurve(*s, 1, 0.01);
    applyCurveModifiers(*s, 1, 3.0);  // a quarter of the way: fL = 1.5, fM = 1.25
    EXPECT_DOUBLE_EQ(s->curves[1].t[5], 15.0);
    EXPECT_DOUBLE_EQ(s->curves[1].z[5], 0.0125);
}

TEST(CurveModifiers, NoRowReadMeansNoScalingWhateverTheFlag) {
    // A flag of 1 with a count of 1 reads no row: the empty table must not zero every curve.
    auto s = newState();
    setEnglishLabels(*s);
    s->input.tzModifierRowsRead = 0;
    s->curves[1].curveTmax = 1.0;
    makeNonClayCurve(*s, 1, 0.2);
    applyCurveModifiers(*s, 1, 60.0);
    EXPECT_DOUBLE_EQ(s->curves[1].t[5], 1.0);
    EXPECT_DOUBLE_EQ(s->curves[1].z[5], 0.2);
}

TEST(ProfileLookups, UnitFrictionIsLinearInDepthAndHeldBeyondTheRows) {
    auto s = newState();
    setEnglishLabels(*s);
    setUniformRows(*s, 3, 5.0, 0.0, 0.0);
    s->rowUnitFriction[1] = 0.0;
    s->rowUnitFriction[2] = 0.72;
    s->rowUnitFriction[3] = 1.44;
    EXPECT_NEAR(unitFrictionAt(*s, 30.0), 2.5, 1e-12);   // 2.5 ft: 0.36 ksf = 2.5 psi
    EXPECT_NEAR(unitFrictionAt(*s, 60.0), 5.0, 1e-12);   // exactly row 2
    EXPECT_NEAR(unitFrictionAt(*s, 500.0), 10.0, 1e-12); // below the last row
    EXPECT_EQ(unitFrictionAt(*s, -3.0), 0.0);
    s->rowCount = 0;
    EXPECT_EQ(unitFrictionAt(*s, 30.0), 0.0);
}

TEST(ProfileLookups, BatteredPileReadsTheRowsAtTheirVerticalDepths) {
    auto s = newState();
    setSiLabels(*s);
    setUniformRows(*s, 3, 2.0, 0.0, 0.0);  // pile lengths 0, 2, 4 m
    s->input.batterAngle = std::acos(0.5);
    s->depthIncrement = 1.0;                // vertical depths 0, 1, 2 m
    s->rowUnitFriction[2] = 10.0;
    s->rowUnitFriction[3] = 20.0;
    EXPECT_NEAR(unitFrictionAt(*s, 1.0), 10.0, 1e-12);
    EXPECT_NEAR(unitFrictionAt(*s, 1.5), 15.0, 1e-12);
    EXPECT_NEAR(unitFrictionAt(*s, 3.0), 20.0, 1e-12);  // the tip row holds below the tip
}

TEST(ProfileLookups, LayerValuesInterpolateWithinTheLayerAndGapsGiveZero) {
    auto s = newState();
    setEnglishLabels(*s);
    setSoilPoint(*s, 1, 0.0, 2.0, 0.0, 0.2, 0.8);
    setSoilPoint(*s, 2, 10.0, 2.0, 0.0, 0.4, 0.6);
    setSoilPoint(*s, 3, 12.0, 1.0, 34.0, 0.1, 0.0);  // a gap from 10 to 12 ft
    setSoilPoint(*s, 4, 20.0, 1.0, 36.0, 0.3, 0.0);
    EXPECT_NEAR(peakMovementAt(*s, 60.0), 0.3, 1e-12);   // 5 ft
    EXPECT_NEAR(residualRatioAt(*s, 60.0), 0.7, 1e-12);
    EXPECT_EQ(peakMovementAt(*s, 132.0), 0.0);            // 11 ft, in the gap
    EXPECT_DOUBLE_EQ(peakMovementAt(*s, 144.0), 0.1);     // top of the second layer
    EXPECT_NEAR(frictionAngleAt(*s, 192.0), 35.0, 1e-12); // 16 ft
    EXPECT_DOUBLE_EQ(peakMovementAt(*s, 600.0), 0.3);     // below the profile
    EXPECT_DOUBLE_EQ(peakMovementAt(*s, -1.0), 0.2);
    EXPECT_EQ(soilTypeAt(*s, 60.0), 2);
    EXPECT_EQ(soilTypeAt(*s, 120.0), 2);  // the bottom of the first layer
    EXPECT_EQ(soilTypeAt(*s, 132.0), 1);
    EXPECT_EQ(soilTypeAt(*s, 900.0), 1);
    s->input.soilPointCount = 0;
    EXPECT_EQ(peakMovementAt(*s, 60.0), 0.0);
    EXPECT_EQ(soilTypeAt(*s, 60.0), 0);
}

TEST(TipCurve, DefaultCurveReachesTheTipResistanceAtATenthOfTheDiameter) {
    auto s = newState();
    setEnglishLabels(*s);
    makeTipCurve(*s, 100000.0, 24.0, 1, 30.0, 1.2);
    EXPECT_NEAR(s->tipCurve.z[1], 0.012, 1e-9);
    EXPECT_DOUBLE_EQ(s->tipCurve.q[1], 6250.0);
    EXPECT_NEAR(s->tipCurve.z[7], 2.4, 1e-7);
    EXPECT_DOUBLE_EQ(s->tipCurve.q[7], 100000.0);
    EXPECT_NEAR(s->tipCurve.q[6], 90000.0, 1e-2);
}

TEST(TipCurve, UsaceSandCurveIsAPowerOfTheMovementWithoutCap) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    makeTipCurve(*s, 1000.0, 24.0, 1, 30.0, 1.2);
    EXPECT_NEAR(s->tipCurve.q[9], 1290.99, 1e-2);  // sqrt(2.0 / 1.2) = 1.29099
    EXPECT_DOUBLE_EQ(s->tipCurve.z[9], 2.0);
    makeTipCurve(*s, 1000.0, 24.0, 3, 40.0, 1.2);  // silt, phi > 38: exponent 0.25
    EXPECT_NEAR(s->tipCurve.q[9], 1136.22, 1e-2);  // (2 / 1.2)^0.25
    makeTipCurve(*s, 1000.0, 24.0, 1, 35.0, 1.2);  // exponent 0.333
    EXPECT_NEAR(s->tipCurve.q[9], 1000.0 * std::pow(2.0 / 1.2, 0.333), 1e-3);
}

TEST(TipCurve, UsaceClayCurveReachesHalfAtOneHundredthOfTheDiameterAndIsCapped) {
    auto s = newState();
    setSiLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    makeTipCurve(*s, 800.0, 0.6096, 2, 0.0, 0.0);
    // z3 = 0.01 in = 0.000254 m; 0.01 D = 0.006096 m: 0.5 * 800 * sqrt(0.0416667) = 81.65 kN.
    EXPECT_NEAR(s->tipCurve.q[3], 81.65, 1e-2);
    EXPECT_DOUBLE_EQ(s->tipCurve.q[9], 800.0);
    EXPECT_NEAR(s->tipCurve.z[9], 2.0 / 39.37, 1e-7);
}

TEST(TipCurve, FactorsApplyOnlyWithTheirFlagAtOne) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.tipCurveLoadFactor = 0.0;  // a flag of 2 reads no factors: they stay 0
    s->input.tipCurveMovementFactor = 0.0;
    s->input.tipCurveFactorFlag = 2;
    makeTipCurve(*s, 1000.0, 24.0, 1, 30.0, 1.2);
    EXPECT_DOUBLE_EQ(s->tipCurve.q[9], 1000.0);
    s->input.tipCurveFactorFlag = 1;
    s->input.tipCurveLoadFactor = 1.5;
    s->input.tipCurveMovementFactor = 2.0;
    makeTipCurve(*s, 1000.0, 24.0, 1, 30.0, 1.2);
    EXPECT_DOUBLE_EQ(s->tipCurve.q[9], 1500.0);
    EXPECT_NEAR(s->tipCurve.z[9], 9.6, 1e-6);  // 0.20 * 24 * 2
}

TEST(TipCurve, MovementsBeyondTheLastPointHoldTheLastLoad) {
    auto s = newState();
    setEnglishLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    makeTipCurve(*s, 1000.0, 24.0, 2, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(tipLoadAt(s->tipCurve, 5.0), 1000.0);
    EXPECT_DOUBLE_EQ(tipLoadAt(s->tipCurve, 1.0e6), 1000.0);
    // Between points 3 (0.01 in) and 4 (0.05 in), linear.
    const double q3 = s->tipCurve.q[3];
    const double q4 = s->tipCurve.q[4];
    EXPECT_NEAR(tipLoadAt(s->tipCurve, 0.03), 0.5 * (q3 + q4), 1e-6);
}

TEST(TipCurve, MovementsTheOtherWayMobiliseTheOppositeLoadAndStayBounded) {
    // An upward movement (a pile in tension, or an overshooting estimate of the march) does not
    // follow the first segment's line without bound: it is the curve mirrored through the origin.
    auto s = newState();
    setEnglishLabels(*s);
    s->input.loadTransferMethod = kSelUsace;
    makeTipCurve(*s, 1000.0, 24.0, 2, 0.0, 0.0);
    EXPECT_DOUBLE_EQ(tipLoadAt(s->tipCurve, -0.03), -tipLoadAt(s->tipCurve, 0.03));
    EXPECT_DOUBLE_EQ(tipLoadAt(s->tipCurve, -1005.0), -1000.0);
    LoadTransferCurve side;
    side.z = {0.0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
    side.t = {0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 5.0, 5.0, 5.0, 5.0};
    EXPECT_DOUBLE_EQ(curveTransferAt(side, -0.05), -0.5);
    EXPECT_DOUBLE_EQ(curveTransferAt(side, -50.0), -5.0);
}

TEST(TipCurve, ReferenceMovementComesFromTheSegmentBelowTheTip) {
    auto s = newState();
    makeEnglishSandPile(*s);
    s->segTzParam1[2] = 0.8;
    EXPECT_DOUBLE_EQ(tipReferenceMovement(*s, 12.0), 0.8);
    s->segTzParam1[2] = 0.0;
    EXPECT_NEAR(tipReferenceMovement(*s, 12.0), 0.6, 1e-7);
    // A segment grid shorter than the rows never reads past its last segment.
    s->rowCount = 501;
    s->segmentCount = 1;
    s->segTzParam1[1] = 0.4;
    EXPECT_DOUBLE_EQ(tipReferenceMovement(*s, 12.0), 0.4);
}

TEST(SideCurves, InterpolationHoldsTheLastPointBeyondTheCurve) {
    LoadTransferCurve c;
    for (int i = 0; i < 10; ++i) {
        c.z[static_cast<std::size_t>(i)] = i;
        c.t[static_cast<std::size_t>(i)] = 2.0 * i;
    }
    EXPECT_DOUBLE_EQ(curveTransferAt(c, 2.5), 5.0);
    EXPECT_DOUBLE_EQ(curveTransferAt(c, 40.0), 18.0);
    LoadTransferCurve flat;  // every movement 0 (a movement factor of 0): no division by zero
    flat.t.fill(3.0);
    EXPECT_TRUE(std::isfinite(curveTransferAt(flat, 0.0)));
    EXPECT_DOUBLE_EQ(curveTransferAt(flat, 1.0), 3.0);
}

}  // namespace
}  // namespace vorta
