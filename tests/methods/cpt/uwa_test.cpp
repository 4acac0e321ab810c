// UWA method: radial stress with the effective area ratio and dilation from the shear modulus;
// end bearing from qc and the effective area ratio.
#include <cmath>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"

namespace vorta::test {
namespace {

// SI pile of 2000 mm, 30 m embedded, 1 m segments, 10 kPa/m; qc = 15000 kPa at segment 6
// (top 5 m: h/D = 25000 / 2000 = 12.5; stresses 50 and 60 kPa).
CptPile wideSiPile(double insideDiameter) {
    CptPile p;
    p.unitSystem = kSi;
    p.outsideDiameter = 2000.0;
    p.insideDiameter = insideDiameter;
    p.pileLength = 30.0;
    p.thickness = 1.0;
    p.segmentCount = 34;
    p.unitWeight = 10.0;
    return p;
}

TEST(UwaSand, ClosedEndHasNoFillingRatioAndFullArea) {
    CptPile closed;
    closed.insideDiameter = 0.0;
    auto s = makeCptState(closed);
    s->segQc[5] = 200000.0;
    uwaMethod(*s);
    // FFR = 0, A_re = 1; h/D = 384 / 24 = 16: radial = 0.03 * 200 / 4 = 1.5 ksf;
    // bottom: q_c1N = (200 / pa) / sqrt(0.6 / pa) = 178.70, G = 185 * 200 / 178.70^0.75;
    // f = tan 25 * (1.5 + 0.0031496 * G / 24) = 0.745795.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.7457946506575942));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.7420753066007186));
    EXPECT_EQ(s->methodUnitFriction(10, kCodeUwa), s->nodeSkinFriction[10]);
    // End bearing 0.6 qc.
    EXPECT_TRUE(closeTo(uwaUnitEndBearing(*s, 5), 119.9999988079071));
}

TEST(UwaSand, PileWithTipClosureIsClosed) {
    CptPile byFlag;
    byFlag.tipClosure = 1;  // 22 in inside diameter kept
    CptPile solid;
    solid.insideDiameter = 0.0;
    auto s = makeCptState(byFlag);
    auto t = makeCptState(solid);
    s->segQc[5] = t->segQc[5] = 200000.0;
    uwaMethod(*s);
    uwaMethod(*t);
    EXPECT_EQ(s->nodeSkinFriction[10], t->nodeSkinFriction[10]);
    EXPECT_EQ(uwaUnitEndBearing(*s, 5), uwaUnitEndBearing(*t, 5));
}

TEST(UwaSand, SegmentsWithinTwoDiametersOfTheTipUseTwo) {
    CptPile closed;
    closed.insideDiameter = 0.0;
    auto s = makeCptState(closed);
    s->segQc[20] = 200000.0;  // h = 24 in, h/D = 1 -> 2; radial = 0.03 * 200 / sqrt(2) = 4.24264
    uwaMethod(*s);
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[40], 2.0562982925240587));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[39], 2.054813762786387));
}

TEST(UwaSand, InsideDiameterOfOneAndAHalfMetresOrMoreFillsTheEnd) {
    auto s = makeCptState(wideSiPile(1800.0));
    s->segQc[6] = 15000.0;
    uwaMethod(*s);
    // FFR = min(1, (1.8 / 1.5)^0.2) = 1, A_re = 1 - 0.81 = 0.19; radial = 0.03 * 15000 * 0.19^0.3
    // / sqrt(12.5) = 77.3363; bottom: q_c1N = 150 / sqrt(0.6) = 193.65, G = 185 * 15000 /
    // 193.65^0.75, dilation = 0.08 G / 2000; f = tan 25 * (77.3363 + dilation) = 37.0596.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[12], 37.059597950784095));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[11], 36.993704688257154));
    // End bearing 15000 (0.15 + 0.45 * 0.19) = 3532.5, above 0.15 qc.
    EXPECT_TRUE(closeTo(uwaUnitEndBearing(*s, 6), 3532.500055432319));
    s->input.plugCondition = 1;  // plugged: not less than 0.3 qc
    EXPECT_TRUE(closeTo(uwaUnitEndBearing(*s, 6), sp(0.3) * 15000.0));
}

TEST(UwaSand, SmallerInsideDiameterFillsPartly) {
    auto s = makeCptState(wideSiPile(0.0));
    s->input.outsideDiameter = 1000.0;
    s->input.insideDiameter = s->input.enhancedEndInsideDiameter = 900.0;
    s->segQc[6] = 15000.0;
    uwaMethod(*s);
    // FFR = (0.9 / 1.5)^0.2 = 0.902880, A_re = 1 - 0.902880 * 0.81 = 0.268667; h/D = 25.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[12], 30.28718216794436));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[11], 30.155395642890486));
}

TEST(UwaSand, TensionGivesThreeQuartersOfCompression) {
    CptPile p = wideSiPile(1800.0);
    p.loadingType = 1;
    auto s = makeCptState(p);
    s->segQc[6] = 15000.0;
    uwaMethod(*s);
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[12], 0.75 * 37.059597950784095));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[11], 27.745278516192865));
}

TEST(UwaSand, ZeroQcHasNoShearModulusAndNoFriction) {
    auto s = makeCptState(wideSiPile(1800.0));
    s->input.cptSounding.cptPointCount = 2;  // a sounding of zeros
    s->input.cptSounding.cptDepth[1] = 0.0;
    s->input.cptSounding.cptDepth[2] = 40.0;
    uwaMethod(*s);
    for (int n = 1; n <= 12; ++n) {
        EXPECT_TRUE(std::isfinite(s->nodeSkinFriction[n])) << "node " << n;
        EXPECT_EQ(s->nodeSkinFriction[n], 0.0) << "node " << n;
    }
}

TEST(UwaEndBearing, OpenEndTakesAtLeastFifteenPercentOfQc) {
    auto s = makeCptState(wideSiPile(1800.0));
    s->input.outsideDiameter = 1900.0;  // A_re = 1 - (1800/1900)^2 = 0.10249
    s->segQc[6] = 15000.0;
    // 15000 (0.15 + 0.45 * 0.10249) = 2941.8, above 0.15 qc = 2250.
    const double ratio = 1800.0 / 1900.0;
    const double expected = 15000.0 * (sp(0.15) + sp(0.45) * (1.0 - ratio * ratio));
    EXPECT_TRUE(closeTo(uwaUnitEndBearing(*s, 6), expected));
    s->segMaxUnitBearing[6] = 2500.0;
    EXPECT_EQ(uwaUnitEndBearing(*s, 6), 2500.0);
}

}  // namespace
}  // namespace vorta::test
