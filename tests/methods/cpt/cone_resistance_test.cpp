// Cone resistance of a segment, the clay interface-angle table and the end-bearing dispatch.
#include <sstream>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"

namespace vorta::test {
namespace {

TEST(ConeResistance, SegmentQcInPsfIsTurnedIntoKsfInSiTakenAsItStandsElseEstimated) {
    auto s = makeCptState(CptPile{});
    // No qc, no sounding and a ratio of zero: nothing.
    EXPECT_EQ(coneResistanceAtSegment(*s, 3, sp(5.847953)), 0.0);
    s->segQc[3] = 150000.0;  // psf
    s->segYieldStressRatio[3] = 40.0;
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*s, 3, 5.0), 150.0);
    // Below the 1.0E-5 threshold there is no qc: 2.8 pa of the shaft formulas, 5.847953, times
    // N = 10, not divided by 1000.
    s->segQc[3] = sp(0.9e-5);
    s->segYieldStressRatio[3] = 10.0;
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*s, 3, sp(5.847953)), sp(5.847953) * 10.0);

    CptPile p;
    p.unitSystem = kSi;
    auto si = makeCptState(p);
    si->segQc[3] = 12000.0;
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*si, 3, 280.0), 12000.0);
}

TEST(ClayInterfaceAngle, HoldsTheEndValuesBeyondTheTableAndIsLinearBetweenItsPoints) {
    EXPECT_DOUBLE_EQ(clayInterfaceAngle(-5.0), 34.0);
    EXPECT_DOUBLE_EQ(clayInterfaceAngle(0.0), 34.0);
    EXPECT_DOUBLE_EQ(clayInterfaceAngle(80.0), sp(8.5));
    EXPECT_DOUBLE_EQ(clayInterfaceAngle(95.0), sp(8.5));
    // PI 22 lies between 20 (24.5) and 25 (22.5): 24.5 - 2 * 2 / 5 = 23.7.
    EXPECT_NEAR(clayInterfaceAngle(22.0), 23.7, 1.0e-12);
    EXPECT_DOUBLE_EQ(clayInterfaceAngle(45.0), sp(15.2));
    // 45 -> 15.2 and 50 -> 14.7: halfway 14.95.
    EXPECT_NEAR(clayInterfaceAngle(47.5), (sp(15.2) + sp(14.7)) / 2.0, 1.0e-12);
}

TEST(CptSandEndBearing, DispatchesByTheCurrentMethodCode) {
    auto s = makeCptState(CptPile{});
    s->segQc[5] = 200000.0;
    double top = -1.0;
    double bottom = -1.0;

    s->currentMethod = kCodeNgi;
    double ngiTop = 0.0;
    double ngiBottom = 0.0;
    ngiUnitEndBearing(*s, 5, ngiTop, ngiBottom);
    cptSandEndBearing(*s, 5, top, bottom);
    EXPECT_EQ(top, ngiTop);
    EXPECT_EQ(bottom, ngiBottom);
    EXPECT_NE(top, bottom);  // NGI differs between the nodes

    s->currentMethod = kCodeIcp;
    cptSandEndBearing(*s, 5, top, bottom);
    EXPECT_EQ(top, icpUnitEndBearing(*s, 5));
    EXPECT_EQ(bottom, top);

    s->currentMethod = kCodeFugro;
    cptSandEndBearing(*s, 5, top, bottom);
    EXPECT_EQ(top, fugroUnitEndBearing(*s, 5));
    EXPECT_EQ(bottom, top);

    s->currentMethod = kCodeUwa;
    cptSandEndBearing(*s, 5, top, bottom);
    EXPECT_EQ(top, uwaUnitEndBearing(*s, 5));
    EXPECT_EQ(bottom, top);

    // The four rules differ, so the dispatch cannot have mixed them up.
    EXPECT_NE(icpUnitEndBearing(*s, 5), fugroUnitEndBearing(*s, 5));
    EXPECT_NE(fugroUnitEndBearing(*s, 5), uwaUnitEndBearing(*s, 5));

    s->currentMethod = kCodeApi;
    cptSandEndBearing(*s, 5, top, bottom);
    EXPECT_EQ(top, 0.0);
    EXPECT_EQ(bottom, 0.0);
}

}  // namespace
}  // namespace vorta::test
