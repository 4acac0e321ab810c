// NGI method: unit skin friction in sand and clay at the nodes and its end-bearing rule.
// Default pile: English, 24 in outside and 22 in inside diameter, 40 ft embedded, 2 ft segments,
// 60 pcf, so segment 5 runs from 8 ft (0.48 ksf) to 10 ft (0.60 ksf) and z/L = 0.2.
#include <cmath>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"

namespace vorta::test {
namespace {

double bottomFriction(const CptPile& p, int segment, double qcPsf = 0.0) {
    auto s = makeCptState(p);
    s->segQc[segment] = qcPsf;
    ngiMethod(*s);
    return s->nodeSkinFriction[2 * segment];
}

TEST(NgiSand, NoQcNoSoundingAndZeroRatioGiveTheMinimumRelativeDensity) {
    auto s = makeCptState(CptPile{});
    ngiMethod(*s);
    // qc = 0, so Dr = 0.4 ln(0) is raised to 0.200001; F_Dr = 2.1 (0.100001)^1.7 = 0.0419012;
    // bottom: 2.0885546 (0.6 / 2.0885546)^0.25 * 0.0419012 * 0.2 * 1.0 * 1.3 * 1.0 = 0.0166580;
    // top: the same with 0.48 ksf = 0.0157541.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.016657972168907506));
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.015754137401752705));
    EXPECT_EQ(s->methodUnitFriction(10, kCodeNgi), s->nodeSkinFriction[10]);
    EXPECT_EQ(s->methodUnitFriction(9, kCodeNgi), s->nodeSkinFriction[9]);
}

TEST(NgiSand, RelativeDensityFromQcAndTheReferenceResistance) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;  // 200 ksf
    ngiMethod(*s);
    // Bottom: q_ref = 22 sqrt(0.6 * 2.0885546) = 24.63, Dr = 0.4 ln(200 / 24.63) = 0.83778;
    // f = 2.0885546 * 0.73214 * 2.1 (0.73778)^1.7 * 0.2 * 1.3 = 0.497842.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 0.49784154315878326));
    // Top: Dr = 0.88241 at 0.48 ksf, f = 0.520266.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.5202656503622949));
}

// A closed end (no inside diameter, or the tip closure flag with its 22 in inside diameter kept)
// carries 1.6 times the friction of the open end; tension 1 / 1.3 of compression.
TEST(NgiSand, ClosedEndCarriesOnePointSixAndTensionOneOverOnePointThreeOfTheOpenEnd) {
    const double open = bottomFriction(CptPile{}, 5, 200000.0);
    CptPile closed;
    closed.insideDiameter = 0.0;
    EXPECT_TRUE(closeTo(bottomFriction(closed, 5, 200000.0), sp(1.6) * open));
    CptPile closedByFlag;
    closedByFlag.tipClosure = 1;
    EXPECT_TRUE(closeTo(bottomFriction(closedByFlag, 5, 200000.0), sp(1.6) * open));
    CptPile tension;
    tension.loadingType = 1;
    EXPECT_TRUE(closeTo(bottomFriction(tension, 5, 200000.0) * sp(1.3), open));
}

TEST(NgiSand, TimberAndPrecastConcreteTakeTheMaterialFactorInBothUnitSystems) {
    for (int unit : {kEnglish, kSi}) {
        CptPile steel;
        steel.unitSystem = unit;
        steel.unitWeight = unit == kSi ? 10.0 : 0.06;
        const double reference = bottomFriction(steel, 5, 200000.0);
        for (int type : {2, 3}) {
            CptPile p = steel;
            p.pileType = type;
            EXPECT_TRUE(closeTo(bottomFriction(p, 5, 200000.0), sp(1.2) * reference)) << "unit " << unit << " type " << type;
        }
        CptPile hPile = steel;
        hPile.pileType = 6;
        EXPECT_EQ(bottomFriction(hPile, 5, 200000.0), reference);
    }
}

TEST(NgiSand, FirstSegmentTopTakesTheBottomDensityAndEnglishFloorsItsStress) {
    auto s = makeCptState(CptPile{});
    s->segQc[1] = 200000.0;
    ngiMethod(*s);
    // z/L = 0 at the surface: no friction, and nothing undefined from the zero stress.
    EXPECT_EQ(s->nodeSkinFriction[1], 0.0);
    EXPECT_EQ(s->nodeSkinFriction[2], 0.0);
    EXPECT_EQ(s->nodeEffStress[1], sp(1.0e-8));

    CptPile si;
    si.unitSystem = kSi;
    auto t = makeCptState(si);
    t->segQc[1] = 20000.0;
    ngiMethod(*t);
    EXPECT_EQ(t->nodeSkinFriction[1], 0.0);
    EXPECT_EQ(t->nodeEffStress[1], 0.0);
}

TEST(NgiSand, SiRaisesQcBelowTheReferenceResistanceForBothNodes) {
    CptPile p;
    p.unitSystem = kSi;
    p.outsideDiameter = 600.0;
    p.insideDiameter = 560.0;
    p.pileLength = 12.0;
    p.thickness = 1.0;
    p.segmentCount = 14;
    p.unitWeight = 10.0;
    auto s = makeCptState(p);
    s->segYieldStressRatio[2] = 1.0;  // qc = 280 kPa from the blow count
    s->nodeEffStress[3] = 5.0;
    s->nodeEffStress[4] = 40.0;
    ngiMethod(*s);
    // Bottom: q_ref = 22 sqrt(40 * 100) = 1391.4 > 280, qc = 1.01 * 1391.4 = 1405.3,
    // Dr = 0.4 ln(1.01) = 0.004 raised to 0.20001; f = 100 (0.4)^0.25 * 2.1 (0.10001)^1.7 / 12 * 1.3.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[4], 0.3610523226123663));
    // Top: the same raised qc against q_ref = 22 sqrt(500) = 491.9: Dr = 0.4 ln(2.857) = 0.41987;
    // f = 100 (0.05)^0.25 * 2.1 (0.31987)^1.7 / 12 * 1.3 = 1.54944.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[3], 1.549441605940098));
}

// Clay of segment 5 (0.6 ksf at its bottom node): the friction there and the plug friction.
TEST(NgiClay, AlphaByTheStrengthRatioWithTheOpenEndFactorAndThePlugFriction) {
    struct Case {
        const char* what;
        double su, remolded, pi;
        int tipClosure;
        double friction, plug;  // plug < 0: not checked
    };
    const Case cases[] = {
        // psi = 1.2 / 0.6 = 2; F_c = 0.8 + 0.2 sqrt(2) = 1.08284; alpha = 0.5 * 2^-0.3 = 0.40613;
        // f = 1.2 * 1.08284 * 0.40613 = 0.527725; plug: max(0.06 * 0.6 * 18^0.33, 1.08284 * 0.40613
        // * 0.4) = max(0.093442, 0.175908).
        {"overconsolidated", 1.2, 0.4, 30.0, 0, 0.5277249563537826, 0.1759083187845942},
        // psi = 0.15; f = 0.08 * 0.6 * 20^0.3 = 0.117910; plug with the segment's own lower bound and
        // alpha = 0.32 * 20^0.3 = 0.786066: max(0.093442, 0.87746 * 0.786066 * 0.05 = 0.034487).
        {"normally consolidated", 0.09, 0.05, 30.0, 0, 0.11790989208241201, 0.09344206645141116},
        // f = 0.08 * 0.6 * (10.000001 - 10)^0.3 with 10.000001 held as 10.00000095; plug: alpha =
        // 0.32 * (12.000001 - 10)^0.3 = 0.393966, f_min = 0.036 * (9.5E-7)^0.33 = 0.000371;
        // max(0.000371, 0.87746 * 0.393966 * 0.05 = 0.017284).
        {"low plasticity raised above 10 and 12", 0.09, 0.05, 5.0, 0, 0.0007499998592918322, 0.017284475556511407},
        // psi = 0.5: alpha = 0.786066 + 0.25 (0.5 * 0.5^-0.3 - 0.786066) / 0.75 = 0.729235;
        // F_c = 0.8 + 0.2 sqrt(0.5) = 0.941421; f = max(0.093442, 0.3 * 0.941421 * 0.729235) = 0.205955.
        {"middle range", 0.3, 0.2, 30.0, 0, 0.20595513973860308, 0.13730342649240207},
        // As the middle range with F_c = 1 at a closed end: 0.3 * 0.729235 = 0.218770.
        {"closed end", 0.3, 0.2, 30.0, 1, 0.21877041061910657, -1.0},
    };
    for (const Case& k : cases) {
        CptPile p;
        p.tipClosure = k.tipClosure;
        auto s = makeCptState(p);
        makeClay(*s, 5, k.su, k.remolded, 1.0, k.pi);
        ngiMethod(*s);
        EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], k.friction)) << k.what;
        if (k.plug >= 0.0) {
            EXPECT_TRUE(closeTo(s->methodUnitFriction(10, kCodeNgi), k.plug)) << k.what;
        }
    }
    // Overconsolidated clay has the same friction at both nodes of the segment.
    auto s = makeCptState(CptPile{});
    makeClay(*s, 5, 1.2, 0.4, 1.0, 30.0);
    ngiMethod(*s);
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[9], 0.5277249563537826));
    EXPECT_TRUE(closeTo(s->methodUnitFriction(9, kCodeNgi), 0.1759083187845942));
}

TEST(NgiClay, PlugFrictionComesFromTheSegmentItselfInEveryRange) {
    // The plug friction of a segment does not depend on which segments came before it.
    auto alone = makeCptState(CptPile{});
    makeClay(*alone, 6, 1.5, 0.4, 1.0, 40.0);
    ngiMethod(*alone);

    auto afterMiddle = makeCptState(CptPile{});
    makeClay(*afterMiddle, 5, 0.3, 0.2, 1.0, 30.0);  // middle range just above
    makeClay(*afterMiddle, 6, 1.5, 0.4, 1.0, 40.0);
    ngiMethod(*afterMiddle);

    EXPECT_GT(alone->methodUnitFriction(12, kCodeNgi), 0.0);
    EXPECT_EQ(alone->methodUnitFriction(12, kCodeNgi), afterMiddle->methodUnitFriction(12, kCodeNgi));
    EXPECT_EQ(alone->methodUnitFriction(11, kCodeNgi), afterMiddle->methodUnitFriction(11, kCodeNgi));
}

TEST(NgiClay, SiAppliesTheOpenEndFactorToo) {
    CptPile p;
    p.unitSystem = kSi;
    p.outsideDiameter = 600.0;
    p.insideDiameter = 560.0;
    p.unitWeight = 4.0;  // segment 5 bottom at 10 m: 40 kPa
    p.pileLength = 40.0;
    auto s = makeCptState(p);
    makeClay(*s, 5, 100.0, 30.0, 1.0, 25.0);
    ngiMethod(*s);
    // psi = 2.5; F_c = 0.8 + 0.2 sqrt(2.5) = 1.116228; alpha = 0.5 * 2.5^-0.3 = 0.379829;
    // f = 100 * 1.116228 * 0.379829 = 42.3976.
    EXPECT_TRUE(closeTo(s->nodeSkinFriction[10], 42.39755622577202));
    EXPECT_TRUE(closeTo(s->methodUnitFriction(10, kCodeNgi), 12.719266867731607));
}

TEST(NgiClay, ZeroStressIsHeldAtTheFloorAndWrittenBack) {
    auto s = makeCptState(CptPile{});
    makeClay(*s, 1, 0.5, 0.2, 1.0, 30.0);
    s->nodeEffStress[2] = 0.0;
    ngiMethod(*s);
    EXPECT_EQ(s->nodeEffStress[2], sp(1.0e-10));
    EXPECT_TRUE(std::isfinite(s->nodeSkinFriction[2]));
    EXPECT_TRUE(std::isfinite(s->methodUnitFriction(2, kCodeNgi)));
}

TEST(NgiEndBearing, OpenAndClosedEndsFromTheRelativeDensityAtEachNode) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    double top = 0.0;
    double bottom = 0.0;
    ngiUnitEndBearing(*s, 5, top, bottom);
    // pa = 2.1168: q_ref = 22 sqrt(2.1168 * 0.6) = 24.794, Dr = 0.4 ln(200 / 24.794) = 0.83516;
    // open: 0.7 * 200 / (1 + 3 * 0.69750) = 45.2760.
    EXPECT_TRUE(closeTo(bottom, 45.275999490275325));
    EXPECT_TRUE(closeTo(top, 42.1466344971864));

    CptPile closed;
    closed.tipClosure = 1;
    auto c = makeCptState(closed);
    c->segQc[5] = 200000.0;
    ngiUnitEndBearing(*c, 5, top, bottom);
    // 0.8 * 200 / (1 + 0.69750) = 94.2628.
    EXPECT_TRUE(closeTo(bottom, 94.26281446271369));
}

TEST(NgiEndBearing, NoQcOrNoReferenceResistanceBearsNothing) {
    auto s = makeCptState(CptPile{});
    double top = -1.0;
    double bottom = -1.0;
    ngiUnitEndBearing(*s, 5, top, bottom);  // qc = 0
    EXPECT_EQ(top, 0.0);
    EXPECT_EQ(bottom, 0.0);

    s->segQc[1] = 200000.0;
    ngiUnitEndBearing(*s, 1, top, bottom);  // zero stress at the surface node
    EXPECT_EQ(top, 0.0);
    EXPECT_GT(bottom, 0.0);
    EXPECT_TRUE(std::isfinite(bottom));
}

TEST(NgiEndBearing, UserLimitCapsBothNodesUnlessItIsTheNoLimitMarker) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    s->segMaxUnitBearing[5] = 43.0;
    double top = 0.0;
    double bottom = 0.0;
    ngiUnitEndBearing(*s, 5, top, bottom);
    EXPECT_TRUE(closeTo(top, 42.1466344971864));
    EXPECT_EQ(bottom, 43.0);

    s->segMaxUnitBearing[5] = sp(0.001);  // not above 0.001: no limit
    ngiUnitEndBearing(*s, 5, top, bottom);
    EXPECT_TRUE(closeTo(bottom, 45.275999490275325));
}

}  // namespace
}  // namespace vorta::test
