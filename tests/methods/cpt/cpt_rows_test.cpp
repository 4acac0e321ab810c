// The CPT methods' rows: unit friction per row from the node values, the skin friction per row
// with the segment LRFD factors, the transfer column, and qc taken from a CPT sounding.
#include <cmath>

#include <gtest/gtest.h>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_state.h"

namespace vorta::test {
namespace {

// Perimeter of the 24 in pile: 3.14159 * 24 / 12 = 6.28318 ft.
const double kPerimeter = sp(3.14159) * 24.0 / 12.0;

std::unique_ptr<AnalysisState> sandWithQc() {
    auto s = makeCptState(CptPile{});
    for (int i = 1; i <= 22; ++i) s->segQc[i] = 100000.0 + 10000.0 * i;
    return s;
}

TEST(CptRows, RowUnitFrictionIsTheNodeValueAtTheRowDepth) {
    auto s = sandWithQc();
    ngiMethod(*s);
    // Row k has its tip at 2 (k - 1) ft, the bottom of segment k - 1.
    EXPECT_EQ(s->rowUnitFriction[1], s->nodeSkinFriction[1]);
    for (int k = 2; k <= s->rowCount; ++k) EXPECT_EQ(s->rowUnitFriction[k], s->nodeSkinFriction[2 * k - 2]) << "row " << k;
}

TEST(CptRows, RowsAboveTheZeroFrictionLengthCarryNothing) {
    auto s = sandWithQc();
    s->input.zeroFrictionLength = 5.0;
    ngiMethod(*s);
    EXPECT_EQ(s->rowUnitFriction[3], 0.0);  // 4 ft
    EXPECT_EQ(s->rowUnitFriction[4], s->nodeSkinFriction[6]);  // 6 ft
    EXPECT_EQ(s->rowSkinFriction[3], 0.0);
    EXPECT_TRUE(closeTo(s->rowSkinFriction[4], (0.0 + s->rowUnitFriction[4]) * 2.0 * 0.5 * kPerimeter));
}

TEST(CptRows, SkinFrictionAccumulatesWithTheFactorOfTheSegmentBetweenTheRows) {
    auto s = sandWithQc();
    s->segLrfdFrictionFactor[2] = 0.5;  // spans rows 2 and 3
    s->input.reducedSideFriction = 0;
    icpMethod(*s);
    const double d1 = (s->rowUnitFriction[1] + s->rowUnitFriction[2]) * 2.0 * 0.5 * kPerimeter;
    const double d2 = (s->rowUnitFriction[2] + s->rowUnitFriction[3]) * 2.0 * 0.5 * kPerimeter;
    const double d3 = (s->rowUnitFriction[3] + s->rowUnitFriction[4]) * 2.0 * 0.5 * kPerimeter;
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_TRUE(closeTo(s->rowSkinFriction[2], d1));
    EXPECT_TRUE(closeTo(s->rowSkinFriction[3], d1 + 0.5 * d2));
    EXPECT_TRUE(closeTo(s->rowSkinFriction[4], d1 + 0.5 * d2 + d3));
    EXPECT_EQ(s->rowFactoredSkinFriction[4], s->rowSkinFriction[4]);
    // The transfer column is unfactored when reducedSideFriction is 0 ...
    EXPECT_TRUE(closeTo(s->rowTransferSkinFriction[4], d1 + d2 + d3));

    // ... and factored when it is 1.
    auto t = sandWithQc();
    t->segLrfdFrictionFactor[2] = 0.5;
    t->input.reducedSideFriction = 1;
    icpMethod(*t);
    EXPECT_EQ(t->rowTransferSkinFriction[4], t->rowSkinFriction[4]);
}

TEST(CptRows, WithUnitFactorsTheReportedSkinFrictionIsTheUnfactoredOne) {
    auto s = sandWithQc();
    fugroMethod(*s);
    const int last = s->rowCount;
    EXPECT_GT(s->rowSkinFriction[last], 0.0);
    EXPECT_EQ(s->rowSkinFriction[last], s->rowTransferSkinFriction[last]);
}

TEST(CptRows, SiPerimeterIsInMetres) {
    CptPile p;
    p.unitSystem = kSi;
    p.outsideDiameter = 600.0;
    p.insideDiameter = 560.0;
    p.unitWeight = 10.0;
    auto s = makeCptState(p);
    for (int i = 1; i <= 22; ++i) s->segQc[i] = 10000.0;
    uwaMethod(*s);
    const double perimeter = sp(3.14159) * 600.0 / 1000.0;
    EXPECT_TRUE(closeTo(s->rowSkinFriction[2], (s->rowUnitFriction[1] + s->rowUnitFriction[2]) * 2.0 * 0.5 * perimeter));
}

TEST(CptRows, SingleRowHasNoSkinFriction) {
    auto s = sandWithQc();
    s->rowCount = 1;
    ngiMethod(*s);
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_EQ(s->rowFactoredSkinFriction[1], 0.0);
}

// A sounding in psf: 0 at 0 ft, 100000 at 5 ft, 400000 at 20 ft.
void addSounding(AnalysisState& s) {
    CptSounding& c = s.input.cptSounding;
    c.cptPointCount = 3;
    c.cptDepth[1] = 0.0;
    c.cptQc[1] = 0.0;
    c.cptDepth[2] = 5.0;
    c.cptQc[2] = 100000.0;
    c.cptDepth[3] = 20.0;
    c.cptQc[3] = 400000.0;
}

TEST(ConeResistance, SoundingIsReadAtTheTopOfTheSegmentAndTurnedIntoKsf) {
    auto s = makeCptState(CptPile{});
    addSounding(*s);
    s->segYieldStressRatio[5] = 30.0;  // not used once a sounding exists
    // Top of segment 5 at 8 ft: 400000 - (20 - 8) * 300000 / 15 = 160000 psf = 160 ksf.
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*s, 5, sp(5.847953)), 160.0);
    // Top of segment 1 at the first point: 0; below the last point: the last qc.
    EXPECT_EQ(coneResistanceAtSegment(*s, 1, sp(5.847953)), 0.0);
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*s, 16, sp(5.847953)), 400.0);
    // The segment's own qc comes first.
    s->segQc[5] = 50000.0;
    EXPECT_DOUBLE_EQ(coneResistanceAtSegment(*s, 5, sp(5.847953)), 50.0);
}

TEST(ConeResistance, SoundingStartingAtZeroLeavesEveryMethodFinite) {
    for (int code : {kCodeNgi, kCodeIcp, kCodeFugro, kCodeUwa}) {
        auto s = makeCptState(CptPile{});
        addSounding(*s);
        if (code == kCodeNgi) ngiMethod(*s);
        if (code == kCodeIcp) icpMethod(*s);
        if (code == kCodeFugro) fugroMethod(*s);
        if (code == kCodeUwa) uwaMethod(*s);
        for (int n = 1; n <= 44; ++n) EXPECT_TRUE(std::isfinite(s->nodeSkinFriction[n])) << "code " << code << " node " << n;
        for (int k = 1; k <= s->rowCount; ++k) EXPECT_TRUE(std::isfinite(s->rowSkinFriction[k])) << "code " << code;
        s->currentMethod = code;
        double top = -1.0;
        double bottom = -1.0;
        cptSandEndBearing(*s, 1, top, bottom);
        EXPECT_EQ(top, 0.0) << "code " << code;
        EXPECT_EQ(bottom, 0.0) << "code " << code;
    }
}

}  // namespace
}  // namespace vorta::test
