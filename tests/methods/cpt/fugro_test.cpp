// Fugro method: sand friction from qc, stress and height above the tip in compression and
// tension; end bearing from qc and the area ratio of the end.
// Closed pile of 24 in (R* = R = 12 in), 40 ft embedded, 2 ft segments, 60 pcf, qc = 200 ksf:
// segment 19 (top 36 ft) has h = 48 in and r = 4, segment 20 (top 38 ft) r = 2.
#include <cmath>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"

namespace vorta::test {
namespace {

std::unique_ptr<AnalysisState> closedPileInSand(int loadingType) {
    CptPile p;
    p.tipClosure = 1;
    p.loadingType = loadingType;
    auto s = makeCptState(p);
    for (int i = 1; i <= p.segmentCount; ++i) s->segQc[i] = 200000.0;
    return s;
}

TEST(FugroSand, CompressionBranchesMeetAtFourEquivalentRadii) {
    auto s = closedPileInSand(2);
    fugroMethod(*s);
    const double pa = sp(2.0885546);
    // r = 4 at segment 19: either formula gives 0.08 * 200 * (sigma' / pa)^0.05 * 4^-0.9.
    const double atFour = sp(0.08) * 200.0 * std::pow(2.16 / pa, sp(0.05)) * std::pow(4.0, -sp(0.9));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[37], atFour));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[37], 4.602527486355861));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[38], 4.614986613313459));
    // Just above r = 4 the far branch continues from the same value.
    auto t = closedPileInSand(2);
    t->segTopDepth[19] = 36.0 - 1.0e-6;
    fugroMethod(*t);
    EXPECT_NEAR(t->nodeSkinFriction[37], atFour, 1.0e-5);
}

TEST(FugroSand, WithinFourRadiiTheFrictionFallsLinearlyFromItsValueAtFourRadii) {
    auto s = closedPileInSand(2);
    fugroMethod(*s);
    // r = 2, sigma' = 38 ft x 60 pcf = 2.28 ksf: 0.08 * 200 * (2.28 / 2.0885546)^0.05 * 4^-0.9 * (2 / 4)
    // = 16 * 1.004395 * 0.287175 * 0.5 = 2.307493 ksf (with r^-0.9 it would be 2^0.9 = 1.87 times more).
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[39], 2.3074933066567294));
    // Bottom node, sigma' = 2.4 ksf: 16 * (2.4 / 2.0885546)^0.05 * 0.287175 * 0.5 = 2.313419 ksf.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[40], 2.3134188486851612));
    EXPECT_EQ(s->methodUnitFriction(40, kCodeFugro), s->nodeSkinFriction[40]);
}

TEST(FugroSand, TensionUsesFourRadiiNearTheTip) {
    auto s = closedPileInSand(1);
    fugroMethod(*s);
    // r = 2 -> 4: 0.045 * 200 * (2.28 / pa)^0.15 * 4^-0.85 = 2.806757.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[39], 2.806757367794));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[40], 2.828435833498207));
    // r = 384 / 12 = 32 at segment 5: 0.045 * 200 * (0.6 / pa)^0.15 * 32^-0.85 = 0.392293.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.39229323412852857));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.37937989797100524));
}

TEST(FugroSand, OpenEndUsesItsEquivalentRadius) {
    CptPile open;  // R* = 12 sqrt(1 - (22/24)^2) = 4.79583 in
    auto s = makeCptState(open);
    s->segQc[5] = 200000.0;
    fugroMethod(*s);
    const double r = 384.0 / (12.0 * std::sqrt(1.0 - (22.0 / 24.0) * (22.0 / 24.0)));
    const double expected = sp(0.08) * 200.0 * std::pow(0.6 / sp(2.0885546), sp(0.05)) * std::pow(r, -sp(0.9));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], expected));
}

TEST(FugroClay, UsesTheRadialStressRuleWithTheErrorLine) {
    std::ostringstream report;
    auto s = makeCptState(CptPile{}, &report);
    makeClay(*s, 5, 1.0, 1.0, 2.0, -3.0);
    fugroMethod(*s);
    EXPECT_EQ(report.str(), " ERROR - NO DATA FOUND FOR PLASTIC INDEX.\n");
    // delta = 34; R* = 4.79583 in, h/R* = 80.07, Kc = 2 * 2^0.42 * 80.07^-0.2 = 1.113702.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], sp(0.8) * 0.6 * std::tan(34.0 / sp(57.2958)) * 1.1137023163895716));
    EXPECT_EQ(s->methodUnitFriction(10, kCodeFugro), s->nodeSkinFriction[10]);
}

TEST(FugroEndBearing, SquareRootOfQcWithTheAreaRatio) {
    auto s = closedPileInSand(2);
    // A_r = 1: 8.5 * 2.1168 * sqrt(200 / 2.1168) = 174.8936.
    EXPECT_TRUE(closeTo(fugroUnitEndBearing(*s, 5), 174.8935705185856));
    s->input.plugCondition = 2;  // does not enter
    EXPECT_TRUE(closeTo(fugroUnitEndBearing(*s, 5), 174.8935705185856));

    CptPile open;
    open.insideDiameter = 12.0;  // A_r = 1 - 0.25 = 0.75
    auto o = makeCptState(open);
    o->segQc[5] = 200000.0;
    EXPECT_TRUE(closeTo(fugroUnitEndBearing(*o, 5), 162.75680655031147));
    o->segMaxUnitBearing[5] = 150.0;
    EXPECT_EQ(fugroUnitEndBearing(*o, 5), 150.0);
}

}  // namespace
}  // namespace vorta::test
