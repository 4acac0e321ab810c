// ICP/MTD method: radial-stress friction in sand and clay, its end bearing in sand and the
// qc-based clay end bearing shared with Fugro and UWA.
// Default pile: English, 24 in outside and 22 in inside diameter, 40 ft embedded, 2 ft segments,
// 60 pcf. Equivalent radius R* = sqrt((24^2 - 22^2) / 4) = sqrt(23) = 4.79583 in.
#include <cmath>
#include <sstream>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"
#include "support/test_support.h"
#include "vorta/analysis.h"

namespace vorta::test {
namespace {

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(IcpSand, RadialStressAndDilationFromQc) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    icpMethod(*s);
    // h = 32 ft * 12 = 384 in, h/R* = 80.0695; eta = 200 / sqrt(0.6 * 2.0885546) = 178.70;
    // G = 200 / (0.0203 + 0.00125 * 178.70 - 1.216E-6 * 178.70^2) = 976.50 ksf;
    // dilation = 2 * 976.50 * 0.0007874 / 12 = 0.128150;
    // bottom: 0.029 * 200 * (0.6 / 2.0885546)^0.13 * 80.0695^-0.38 = 0.93257, f = tan 25 * (0.93257
    // + 0.12815) = 0.494630.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.49463026121307707));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.48219639325271535));
    EXPECT_EQ(s->methodUnitFriction(10, kCodeIcp), s->nodeSkinFriction[10]);
    EXPECT_EQ(s->methodUnitFriction(9, kCodeIcp), s->nodeSkinFriction[9]);
}

TEST(IcpSand, NoEffectiveStressAtTheBottomNodeLeavesNoDilationRatherThanNaN) {
    // A soil of no weight above: eta = qc / sqrt(0 x pa) has no value; the modulus takes its limit
    // 0, and only the radial stress (0 at zero stress) remains.
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    s->nodeEffStress[9] = 0.0;
    s->nodeEffStress[10] = 0.0;
    icpMethod(*s);
    EXPECT_EQ(s->nodeSkinFriction[10], 0.0);
    EXPECT_EQ(s->nodeSkinFriction[9], 0.0);
}

TEST(IcpSand, SegmentWithinEightEquivalentRadiiOfTheTipUsesEight) {
    auto s = makeCptState(CptPile{});
    s->segQc[20] = 200000.0;  // top at 38 ft: h = 24 in, h/R* = 5.004, raised to 8
    icpMethod(*s);
    // bottom (2.4 ksf): 0.029 * 200 * (2.4 / 2.0885546)^0.13 * 8^-0.38 plus the dilation with
    // G = 1635.86 (eta = 89.35): f = 1.349714.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[40], 1.3497142036198688));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[39], 1.3414093795156465));
}

TEST(IcpSand, ClosedPileHasTheEquivalentRadiusOfItsRadius) {
    CptPile closed;
    closed.tipClosure = 1;  // keeps its 22 in inside diameter, still closed
    auto s = makeCptState(closed);
    s->segQc[5] = 200000.0;
    icpMethod(*s);
    // R* = R = 12 in: h/R* = 384 / 12 = 32.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.675959174951143));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.6583407600180079));

    CptPile solid;
    solid.insideDiameter = 0.0;
    auto t = makeCptState(solid);
    t->segQc[5] = 200000.0;
    icpMethod(*t);
    EXPECT_EQ(t->nodeSkinFriction[10], s->nodeSkinFriction[10]);
}

TEST(IcpSand, TensionReducesTheRadialStressAndAnOpenEndByAFurtherTenPercent) {
    CptPile open;
    open.loadingType = 1;
    auto s = makeCptState(open);
    s->segQc[5] = 200000.0;
    icpMethod(*s);
    // tan 25 * (0.8 * 0.93257 + 0.12815) * 0.9 = 0.366890.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.36689008048627114));

    CptPile closed = open;
    closed.tipClosure = 1;
    auto c = makeCptState(closed);
    c->segQc[5] = 200000.0;
    icpMethod(*c);
    // R* = 12 and no 0.9 factor: 0.552719.
    EXPECT_TRUE(closeTo(c->nodeSkinFriction[10], 0.5527187889359944));
}

// Dense sand near the surface: a 10 m closed 610 mm pipe in uniform sand (9.5 kN/m3, 35 degrees)
// with qc constant with depth, from 4 to 80 MPa. The normalised resistance eta passes 1000 in the
// upper metres, where the modulus expression nears its pole; the shaft must still grow with qc
// and no unit friction may turn negative.
TEST(IcpSand, ShaftGrowsWithConeResistanceThroughDenseSandNearTheSurface) {
    Analysis a;
    a.units = UnitSystem::SI;
    a.deepestSoilDepth = 15.0;
    a.pile.tip = TipClosure::Closed;
    a.pile.outsideDiameter = 610.0;
    a.pile.insideDiameter = 584.6;
    a.pile.elasticModulus = 2.0e8;
    a.pile.length = 10.0;
    a.pile.lengthIncrement = 0.5;
    a.methods.select(Method::Icp);
    a.methods.loadTransfer = Method::Icp;
    a.methods.cptMethods = 1;
    a.soilProfile.resize(2);
    for (std::size_t k = 0; k < 2; ++k) {
        ProfilePoint& p = a.soilProfile[k];
        p.depth = k == 0 ? 0.0 : 15.0;
        p.effectiveUnitWeight = 9.5;
        p.frictionAngle = 35.0;
        p.blowCountOrYieldStressRatio = 30.0;
    }
    double previousShaft = -1.0;
    for (int mpa = 4; mpa <= 80; mpa += 2) {
        for (ProfilePoint& p : a.soilProfile) p.coneResistance = mpa * 1000.0;
        const ModelRun run = runModel(a);
        ASSERT_EQ(run.status, kRunCompleted) << "qc " << mpa << " MPa";
        ASSERT_EQ(run.result.tables.size(), 1u);
        const std::vector<CapacityRow>& rows = run.result.tables[0].rows;
        for (const CapacityRow& row : rows) EXPECT_GE(row.unitFriction, 0.0) << "qc " << mpa << " MPa, " << row.pileLength << " m";
        EXPECT_GT(rows.back().skinFriction, previousShaft) << "qc " << mpa << " MPa";
        previousShaft = rows.back().skinFriction;
    }
}

TEST(RadialStressClay, SensitivityAndPlasticityIndexSetTheFriction) {
    struct Case {
        const char* what;
        double su, remolded, pi;
        double friction;
    };
    const Case cases[] = {
        // delta = 20 degrees at PI 30; Kc = 2 * 2^0.42 * 80.0695^-0.2 = 1.113702 (no void index
        // term); f = 0.8 * sigma' * tan 20 * Kc = 0.194570 at 0.6 ksf.
        {"insensitive", 1.0, 1.0, 30.0, 0.19457008672391077},
        // St = 4: Kc = (2 - 0.625 log10 4) * 2^0.42 * 80.0695^-0.2 = 0.904166; f = 0.157963.
        {"sensitivity 4", 2.0, 0.5, 30.0, 0.15796294149713616},
        // No remolded strength: taken as insensitive.
        {"no remolded strength", 1.0, 0.0, 30.0, 0.19457008672391077},
        // delta = 23.7 degrees at PI 22: 0.8 * 0.6 * tan 23.7 * 1.113702 = 0.234663.
        {"PI 22", 1.0, 1.0, 22.0, 0.23466285848187624},
    };
    for (const Case& k : cases) {
        auto s = makeCptState(CptPile{});
        makeClay(*s, 5, k.su, k.remolded, 2.0, k.pi);
        icpMethod(*s);
        EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], k.friction)) << k.what;
    }
    // The top node at 0.48 ksf: 0.155656; clay of no strength at all stays finite.
    auto s = makeCptState(CptPile{});
    makeClay(*s, 5, 1.0, 1.0, 2.0, 30.0);
    makeClay(*s, 6, 0.0, 0.0, 2.0, 30.0);
    icpMethod(*s);
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.15565606937912863));
    EXPECT_EQ(s->methodUnitFriction(9, kCodeIcp), s->nodeSkinFriction[9]);
    EXPECT_TRUE(std::isfinite(s->nodeSkinFriction[11]));
    EXPECT_GT(s->nodeSkinFriction[12], 0.0);
    EXPECT_TRUE(std::isfinite(s->nodeSkinFriction[12]));
}

TEST(RadialStressClay, NegativePlasticityIndexWritesTheErrorLineAndGoesOn) {
    std::ostringstream report;
    auto s = makeCptState(CptPile{}, &report);
    makeClay(*s, 5, 1.0, 1.0, 2.0, -5.0);
    makeClay(*s, 6, 1.0, 1.0, 2.0, -1.0);
    makeClay(*s, 7, 1.0, 1.0, 2.0, 95.0);
    icpMethod(*s);
    EXPECT_EQ(countOf(report.str(), " ERROR - NO DATA FOUND FOR PLASTIC INDEX.\n"), 2);
    EXPECT_EQ(report.str().find("ERROR"), 1u);  // one blank, then the text
    // delta = 34 below the table, 8.5 beyond it; the same Kc as PI 30 at segment 5.
    const double kc = 1.1137023163895716;
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], sp(0.8) * 0.6 * std::tan(34.0 / sp(57.2958)) * kc));
    EXPECT_GT(s->nodeSkinFriction[14], 0.0);
    EXPECT_LT(s->nodeSkinFriction[14], s->nodeSkinFriction[12]);
}

TEST(RadialStressClay, SiHoldsTheBottomStressAboveZero) {
    CptPile p;
    p.unitSystem = kSi;
    p.outsideDiameter = 600.0;
    p.insideDiameter = 560.0;
    auto s = makeCptState(p);
    makeClay(*s, 1, 50.0, 25.0, 1.0, 30.0);
    s->nodeEffStress[2] = 0.0;
    icpMethod(*s);
    EXPECT_EQ(s->nodeEffStress[2], sp(1.0e-10));
}

TEST(IcpEndBearing, FractionOfQcFallsWithTheDiameter) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    // D = 24 * 25.4 = 609.6 mm; open: (0.5 - 0.25 log10(609.6 / 36)) * 200 = 38.5629.
    EXPECT_TRUE(closeTo(icpUnitEndBearing(*s, 5), 38.56287744790959));
    s->input.plugCondition = 2;  // unplugged: qc in full
    EXPECT_DOUBLE_EQ(icpUnitEndBearing(*s, 5), 200.0);

    CptPile closed;
    closed.tipClosure = 1;
    auto c = makeCptState(closed);
    c->segQc[5] = 200000.0;
    // (1 - 0.5 log10(16.933)) * 200 = 77.1258.
    EXPECT_TRUE(closeTo(icpUnitEndBearing(*c, 5), 77.12575489581918));
}

TEST(IcpEndBearing, OnlyPilesWiderThan900MmGetTheLowerBound) {
    CptPile wide;
    wide.outsideDiameter = 48.0;  // 1219.2 mm
    wide.insideDiameter = 46.0;
    auto s = makeCptState(wide);
    s->segQc[5] = 200000.0;
    // (0.5 - 0.25 log10(33.87)) * 200 = 23.51 is raised to 0.15 * 200 = 30.
    EXPECT_TRUE(closeTo(icpUnitEndBearing(*s, 5), sp(0.15) * 200.0));
    wide.tipClosure = 1;
    auto c = makeCptState(wide);
    c->segQc[5] = 200000.0;
    // 47.02 raised to 0.3 * 200 = 60.
    EXPECT_TRUE(closeTo(icpUnitEndBearing(*c, 5), sp(0.3) * 200.0));
}

TEST(IcpEndBearing, EstimateUsesTheEndBearingAtmosphericPressure) {
    CptPile closed;
    closed.tipClosure = 1;
    auto s = makeCptState(closed);
    s->segYieldStressRatio[5] = 10.0;
    // qc = 2.8 * 2.1168 * 10 = 59.2704 ksf (the shaft formulas would take 58.4795).
    const double qc = 59.27040094528195;
    EXPECT_TRUE(closeTo(icpUnitEndBearing(*s, 5), (1.0 - 0.5 * std::log10(sp(25.4) * 24.0 / 36.0)) * qc));
    s->segMaxUnitBearing[5] = 20.0;
    EXPECT_EQ(icpUnitEndBearing(*s, 5), 20.0);
}

TEST(CptClayEndBearing, BranchesByEndPlugConditionAndDrainage) {
    auto s = makeCptState(CptPile{});
    makeClay(*s, 5, 1.5, 1.0, 1.0, 30.0);
    s->segQc[5] = 100000.0;  // 100 ksf
    // Open end, plug decided by the program: nine times the strength.
    s->input.plugCondition = 0;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), 13.5);
    // Open end, unplugged: qc (undrained), 1.6 qc (drained).
    s->input.plugCondition = 2;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), 100.0);
    s->input.icpDrainedClay = 1;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), sp(1.6) * 100.0);
    // Plugged: 0.65 qc drained, 0.4 qc undrained.
    s->input.plugCondition = 1;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), sp(0.65) * 100.0);
    s->input.icpDrainedClay = 0;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), sp(0.4) * 100.0);
    // Closed end (by the flag) with the plug decided: 0.8 qc undrained, 1.3 qc drained.
    s->input.plugCondition = 0;
    s->input.tipClosure = 1;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), sp(0.8) * 100.0);
    s->input.icpDrainedClay = 1;
    EXPECT_DOUBLE_EQ(cptClayEndBearing(*s, 5), sp(1.3) * 100.0);
}

}  // namespace
}  // namespace vorta::test
