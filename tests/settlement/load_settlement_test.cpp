#include "settlement/settlement.h"

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/constants.h"
#include "settlement/load_settlement_steps.h"
#include "settlement/load_transfer_curves.h"
#include "settlement/settlement_fixtures.h"

namespace vorta {
namespace {

using test::CapturedState;
using test::makeEnglishSandPile;
using test::setSoilPoint;
using test::setUniformRows;
using test::splitLines;

int countOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// The integer of a free-format count record.
int countRecord(const std::string& line) { return std::stoi(line); }

// A curve header record (8X,I5,I11,E16.4) of curve n with ten points at a printed depth.
std::string curveHeader(int n, const std::string& depth) {
    std::string number = std::to_string(n);
    return std::string(13 - number.size(), ' ') + number + std::string(9, ' ') + "10" + std::string(6, ' ') + depth;
}

void useTipMovements(AnalysisState& s, std::initializer_list<double> movements) {
    s.input.tipMovementListFlag = 1;
    s.input.tipMovementCount = static_cast<int>(movements.size());
    int j = 0;
    for (double w : movements) s.input.tipMovements[static_cast<std::size_t>(++j)] = w;
}

TEST(LoadSettlement, HandWorkedTwoSegmentPileOnThePlateau) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    useTipMovements(s, {0.2});
    runLoadSettlement(s);
    ASSERT_EQ(s.loadStepCount, 1);
    // Tip: 0.2 in lies between 0.013 D = 0.156 in (5000 lb) and 0.042 D = 0.504 in (7500 lb):
    // 5000 + 2500 * 0.044 / 0.348 = 5316.09 lb.
    EXPECT_NEAR(s.stepTipLoad[1], 5316.09, 1e-2);
    // Both segments move past the peak (0.01 D = 0.12 in): t = 1 psi on 3.1416 * 12 * 60 in2 =
    // 2261.95 lb each; top load 5316.09 + 2 * 2261.95 = 9840.00 lb.
    EXPECT_NEAR(s.stepTopLoad[1], 9839.996, 1e-2);
    // Shortening: 60 * (5316.09 + 1130.98) / 3E8 + 60 * (7578.04 + 1130.98) / 3E8 = 0.0030312 in.
    EXPECT_NEAR(s.stepTopMovement[1], 0.2030312, 1e-6);
    EXPECT_NE(c.report.str().find("0.9840E+01      0.2030E+00      0.5316E+01      0.2000E+00"), std::string::npos);
}

TEST(LoadSettlement, ZeroFrictionOverTheWholeLengthLeavesOnlyTheElasticShortening) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.zeroFrictionLength = 10.0;
    runLoadSettlement(s);
    ASSERT_EQ(s.loadStepCount, 13);
    for (int j = 1; j <= 13; ++j) {
        const auto k = static_cast<std::size_t>(j);
        EXPECT_DOUBLE_EQ(s.stepTopLoad[k], s.stepTipLoad[k]) << j;
        // The whole 120 in carry the tip load: Q * 120 / 3E8.
        EXPECT_NEAR(s.stepTopMovement[k] - s.stepTipMovement[k], s.stepTipLoad[k] * 120.0 / 3.0e8, 1e-12) << j;
    }
    EXPECT_NEAR(s.stepTipMovement[13], 2.0, 1e-12);
    EXPECT_DOUBLE_EQ(s.stepTipLoad[13], 10000.0);  // 2 in is past 0.10 D
}

TEST(LoadSettlement, SegmentsAboveTheGroundCarryNoLoadTransfer) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.stickupLength = 10.0;
    setUniformRows(s, 3, 5.0, 0.144, 10.0);
    s.printedRowCount = 3;
    useTipMovements(s, {0.5});
    runLoadSettlement(s);
    // 240 in in three segments of 80 in, mid-points 200, 120 and 40 in below the head; the ground
    // is at 120 in. Only the lowest segment takes friction (1 psi on 3.1416 * 12 * 80 in2); the
    // one at the ground takes the zero curve of the ground node; the top one is in the air.
    EXPECT_NEAR(s.stepTopLoad[1] - s.stepTipLoad[1], 3015.936, 1e-2);
    // The stickup's three zero curves are not printed: 3 curves for the one sand layer.
    EXPECT_EQ(countRecord(splitLines(c.plot.str()).front()), 3);
}

TEST(LoadSettlement, UnsettledSegmentsAreReportedOncePerLoadStepAndTheRunGoesOn) {
    // A very soft pile in a clay that loses 90% of its strength past the peak: the mid-point
    // movement jumps between the peak and the residual branch and never settles.
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    setSoilPoint(s, 1, 0.0, 2.0, 0.0, 0.1, 0.1);
    setSoilPoint(s, 2, 40.0, 2.0, 0.0, 0.1, 0.1);
    setUniformRows(s, 2, 10.0, 1.44, 0.0);  // 10 psi, no tip resistance
    s.input.axialArea = 0.01;
    s.input.elasticModulus = 1.0e7;  // AE = 1E5 lb
    useTipMovements(s, {0.01, 0.01});
    runLoadSettlement(s);
    EXPECT_EQ(s.loadStepCount, 2);
    EXPECT_EQ(countOf(c.report.str(), "DID NOT CONVERGE"), 2);
    EXPECT_NE(c.report.str().find("WARNING - LOAD STEP   1:"), std::string::npos);
    EXPECT_NE(c.report.str().find("LOAD VERSUS SETTLEMENT CURVE"), std::string::npos);
    EXPECT_TRUE(std::isfinite(s.stepTopMovement[2]));
}

TEST(LoadSettlement, OneRowRunsAsASingleNodeAnalysis) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.pileLength = 0.5;  // shorter than one increment: one row at the surface
    setUniformRows(s, 1, 1.0, 0.144, 10.0);
    s.printedRowCount = 1;
    useTipMovements(s, {1.0});
    runLoadSettlement(s);
    ASSERT_EQ(s.loadStepCount, 1);
    EXPECT_NE(c.report.str().find("THE CAPACITY TABLE HAS ONE ROW"), std::string::npos);
    // One segment of 6 in with the ground node's 1 psi: 3.1416 * 12 * 6 = 226.195 lb.
    EXPECT_NEAR(s.stepTopLoad[1] - s.stepTipLoad[1], 226.195, 1e-3);
    // 1 in lies between 0.073 D = 0.876 in (9000 lb) and 0.10 D = 1.2 in: 9000 + 1000 * 0.124 / 0.324.
    EXPECT_NEAR(s.stepTipLoad[1], 9382.716, 1e-3);
}

TEST(LoadSettlement, ZeroAxialStiffnessSkipsTheMarchWithAMessage) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.elasticModulus = 0.0;
    runLoadSettlement(s);
    EXPECT_EQ(s.loadStepCount, 0);
    const std::string report = c.report.str();
    EXPECT_NE(report.find("AXIAL STIFFNESS AE OF THE"), std::string::npos);
    EXPECT_EQ(report.find("LOAD VERSUS SETTLEMENT CURVE"), std::string::npos);
    EXPECT_NE(report.find("TIP   LOAD"), std::string::npos);  // the curves are still printed
    EXPECT_EQ(countRecord(splitLines(c.plot.str()).back()), 0);        // no load steps follow
}

TEST(LoadSettlement, NodeCurvesFillEveryOneOfFiveHundredAndOneSlots) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.pileLength = 500.0;
    setSoilPoint(s, 2, 600.0, 1.0, 30.0);
    setUniformRows(s, 501, 1.0, 0.0, 10.0);
    for (int k = 1; k <= 501; ++k) s.rowUnitFriction[static_cast<std::size_t>(k)] = 0.144 * (k - 1) / 500.0;
    s.printedRowCount = 501;
    s.segmentCount = 500;
    useTipMovements(s, {2.0});
    runLoadSettlement(s);
    EXPECT_DOUBLE_EQ(s.curves[501].depth, 6000.0);
    EXPECT_NEAR(s.curves[501].curveTmax, 1.0, 1e-12);  // 0.144 ksf at the tip
    EXPECT_NEAR(s.curves[251].curveTmax, 0.5, 1e-12);
    // 2 in is past every peak (0.12 in): the side carries the average 0.5 psi over most of the
    // length, 3.1416 * 12 * 6000 * 0.5 = 113097.6 lb, less the half segment at the tip that
    // takes node 500's curve instead of a rising one.
    const double side = s.stepTopLoad[1] - s.stepTipLoad[1];
    EXPECT_NEAR(side, 113097.6, 1.0);
    EXPECT_EQ(countOf(c.plot.str(), "\n"), 1 + 3 * 11 + 10 + 1 + 501 + 1);
}

TEST(LoadSettlement, HyperbolicNodeCurvesTakeTheFrictionAngleAtTheirOwnDepth) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.loadTransferMethod = kSelUsace;
    setSoilPoint(s, 1, 0.0, 1.0, 30.0);
    setSoilPoint(s, 2, 5.0, 1.0, 30.0);
    setSoilPoint(s, 3, 5.0, 1.0, 40.0);
    setSoilPoint(s, 4, 40.0, 1.0, 40.0);
    setUniformRows(s, 11, 1.0, 0.144, 10.0);
    s.printedRowCount = 11;
    runLoadSettlement(s);
    // Node 4 lies at 3 ft in the 30-degree sand, although the layer curve in slot 4 was the top
    // of the 40-degree layer; node 7 lies at 6 ft, where no layer curve left an angle.
    EXPECT_DOUBLE_EQ(s.curves[4].curveFrictionAngle, 30.0);
    EXPECT_DOUBLE_EQ(s.curves[7].curveFrictionAngle, 40.0);
    // 1 psi = 144 psf, K = 8666.6 at 30 degrees and 18000 at 40: t(0.01 in) = 0.37572 and
    // 0.01 / (0.01 / 144 + 1 / 18000) / 144 = 0.55556 psi.
    EXPECT_NEAR(s.curves[4].t[1], 0.375721, 1e-6);
    EXPECT_NEAR(s.curves[7].t[1], 0.555556, 1e-6);
}

TEST(LoadSettlement, BatteredPileTakesTheTipSoilAtTheVerticalTipDepth) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.loadTransferMethod = kSelUsace;
    s.input.batterAngle = std::acos(0.5);
    s.input.pileLength = 20.0;  // 10 ft below the ground
    setSoilPoint(s, 1, 0.0, 1.0, 30.0);
    setSoilPoint(s, 2, 12.0, 1.0, 30.0);
    setSoilPoint(s, 3, 12.0, 2.0, 0.0);
    setSoilPoint(s, 4, 30.0, 2.0, 0.0);
    setUniformRows(s, 3, 10.0, 0.144, 10.0);
    s.depthIncrement = 5.0;
    s.printedRowCount = 3;
    runLoadSettlement(s);
    // Sand at the tip: 10 kips * (2.0 / 0.6)^0.5 = 18.257 kips at 2 in (clay would hold 10 kips).
    EXPECT_NEAR(s.tipCurve.q[9], 18257.4, 0.1);
}

TEST(LoadSettlement, TipMovementListByFlag) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    Array1<double, kMaxLoadSteps> list;
    EXPECT_EQ(tipMovementList(s, list), 13);
    EXPECT_NEAR(list[1], 0.0001, 1e-10);
    EXPECT_EQ(list[13], 2.0);
    s.input.tipMovementListFlag = 2;  // not a list: the reader read none
    s.input.tipMovementCount = 3;
    EXPECT_EQ(tipMovementList(s, list), 13);
    useTipMovements(s, {0.3, 0.6, 0.9});
    EXPECT_EQ(tipMovementList(s, list), 3);
    EXPECT_EQ(list[2], 0.6);
    s.input.tipMovementCount = 5000;  // never past the table
    EXPECT_EQ(tipMovementList(s, list), static_cast<int>(kMaxTipMovements));

    test::setSiLabels(s);
    s.input.tipMovementListFlag = 0;
    tipMovementList(s, list);
    EXPECT_NEAR(list[13], 2.0 / 39.37, 1e-7);
}

TEST(AxialStiffness, AreaTableHoldsItsEndRowsAndOneRowIsConstant) {
    auto s = test::newState();
    test::setEnglishLabels(*s);
    s->input.areaOption = 2;
    s->input.areaRowCount = 2;
    s->input.elasticModulus = 1000.0;
    s->input.areaTable[1] = {10.0, 10.0};
    s->input.areaTable[2] = {20.0, 20.0};
    buildStiffnessTable(*s);
    EXPECT_EQ(s->stiffnessRowCount, 2);
    EXPECT_DOUBLE_EQ(axialStiffnessAt(*s, 0.0), 10000.0);     // above the first distance (120 in)
    EXPECT_DOUBLE_EQ(axialStiffnessAt(*s, 180.0), 15000.0);   // 15 ft
    EXPECT_DOUBLE_EQ(axialStiffnessAt(*s, 1000.0), 20000.0);  // below the last row
    s->input.areaRowCount = 1;
    buildStiffnessTable(*s);
    EXPECT_DOUBLE_EQ(axialStiffnessAt(*s, 0.0), 10000.0);
    EXPECT_DOUBLE_EQ(axialStiffnessAt(*s, 1000.0), 10000.0);
    EXPECT_TRUE(stiffnessIsUsable(*s));
    s->input.areaRowCount = 0;
    buildStiffnessTable(*s);
    EXPECT_FALSE(stiffnessIsUsable(*s));
    EXPECT_EQ(axialStiffnessAt(*s, 10.0), 0.0);
}

TEST(AxialStiffness, SingleAreaFallsBackFromAxialAreaToTipAreaToTheAnnulus) {
    auto s = test::newState();
    test::setSiLabels(*s);
    s->input.elasticModulus = 2.0e8;
    s->input.pileLength = 10.0;
    s->input.outsideDiameter = 500.0;
    s->input.insideDiameter = 300.0;
    buildStiffnessTable(*s);
    // 0.7854 * (0.5^2 - 0.3^2) = 0.125664 m2
    EXPECT_NEAR(s->stiffnessTable[1].axialStiffness, 0.125664 * 2.0e8, 2.0);
    EXPECT_DOUBLE_EQ(s->stiffnessTable[2].distance, 10.0);
    s->input.tipArea = 0.2;
    buildStiffnessTable(*s);
    EXPECT_DOUBLE_EQ(s->stiffnessTable[2].axialStiffness, 0.2 * 2.0e8);
    s->input.axialArea = 0.05;
    buildStiffnessTable(*s);
    EXPECT_DOUBLE_EQ(s->stiffnessTable[1].axialStiffness, 0.05 * 2.0e8);
}

TEST(LayerCurves, ThinLayersGiveNoCurvesAndDepthsArePrintedBelowTheGround) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    s.input.stickupLength = 5.0;
    setSoilPoint(s, 1, 0.0, 1.0, 30.0);
    setSoilPoint(s, 2, 10.0, 1.0, 30.0);
    setSoilPoint(s, 3, 10.0, 2.0, 0.0);
    setSoilPoint(s, 4, 10.05, 2.0, 0.0);  // 0.05 ft thick: no curves
    setSoilPoint(s, 5, 10.05, 1.0, 32.0);
    setSoilPoint(s, 6, 30.0, 1.0, 32.0);
    runLoadSettlement(s);
    const std::vector<std::string> plot = splitLines(c.plot.str());
    EXPECT_EQ(countRecord(plot.front()), 6);
    // First layer: top at 0 ft, middle 0.5 * (1.1 + 0 + 120 - 0.5) / 12 = 5.025 ft, bottom
    // (120 - 0.5) / 12 = 9.9583 ft.
    EXPECT_EQ(plot[1], curveHeader(1, "0.0000E+00"));
    EXPECT_EQ(plot[12], curveHeader(2, "0.5025E+01"));
    EXPECT_EQ(plot[23], curveHeader(3, "0.9958E+01"));
    EXPECT_EQ(plot[34], curveHeader(4, "0.1005E+02"));
    const std::string report = c.report.str();
    EXPECT_NE(report.find("FT." + std::string(14, ' ') + "PSI" + std::string(13, ' ') + "IN."), std::string::npos);
}

TEST(LayerCurves, SiCurvesUseMetresAndTheStressLabel) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    test::setSiLabels(s);
    s.input.outsideDiameter = 300.0;
    setSoilPoint(s, 1, 0.0, 2.0, 0.0, 0.005, 0.8);
    setSoilPoint(s, 2, 12.0, 2.0, 0.0, 0.005, 0.8);
    setUniformRows(s, 2, 10.0, 20.0, 500.0);
    runLoadSettlement(s);
    const std::vector<std::string> plot = splitLines(c.plot.str());
    EXPECT_EQ(countRecord(plot[0]), 3);
    EXPECT_EQ(plot[12], curveHeader(2, "0.6000E+01"));  // 0.5 * (0 + 12)
    EXPECT_EQ(plot[23], curveHeader(3, "0.1190E+02"));  // 12 - 0.1
    // Point 9 of the clay curve: 0.8 * 20 kPa at 20 * 0.005 m.
    EXPECT_EQ(plot[11], std::string(47, ' ') + "0.1600E+02      0.1000E+00");
    EXPECT_NE(c.report.str().find("M. " + std::string(14, ' ') + "KPA" + std::string(13, ' ') + "M."), std::string::npos);
}

TEST(LayerCurves, TopCurveOfALayerTakesTheLowerLayersValuesAtTheBoundary) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    test::setSiLabels(s);
    s.input.outsideDiameter = 300.0;
    // Sand 0..10 m peaking at 4 mm over clay 10..20 m peaking at 10 mm with a residual ratio of 0.7.
    setSoilPoint(s, 1, 0.0, 1.0, 30.0, 0.004, 0.0);
    setSoilPoint(s, 2, 10.0, 1.0, 30.0, 0.004, 0.0);
    setSoilPoint(s, 3, 10.0, 2.0, 0.0, 0.010, 0.7);
    setSoilPoint(s, 4, 20.0, 2.0, 0.0, 0.010, 0.7);
    setUniformRows(s, 2, 10.0, 20.0, 500.0);
    runLoadSettlement(s);
    const std::vector<std::string> plot = splitLines(c.plot.str());
    EXPECT_EQ(countRecord(plot[0]), 6);
    EXPECT_EQ(plot[34], curveHeader(4, "0.1000E+02"));  // top of the clay, on the boundary
    // Its peak is the clay's: 20 kPa at 10 mm, and from three peak movements on 0.7 x 20 kPa.
    EXPECT_EQ(plot[40], std::string(47, ' ') + "0.2000E+02      0.1000E-01");
    EXPECT_EQ(plot[44], std::string(47, ' ') + "0.1400E+02      0.2000E+00");
    // The same boundary seen from the lookups: the lower layer's top point.
    EXPECT_DOUBLE_EQ(peakMovementAt(s, 10.0), 0.010);
    EXPECT_DOUBLE_EQ(residualRatioAt(s, 10.0), 0.7);
    EXPECT_DOUBLE_EQ(frictionAngleAt(s, 10.0), 0.0);
    // Within the sand layer, just above the boundary, the sand's own values.
    EXPECT_DOUBLE_EQ(peakMovementAt(s, 9.99), 0.004);
}

TEST(LoadSettlement, NotesCarryTheBuoyancyLineOnlyInTension) {
    CapturedState c;
    AnalysisState& s = *c.s;
    makeEnglishSandPile(s);
    runLoadSettlement(s);
    EXPECT_EQ(c.report.str().find("BOUYANCY"), std::string::npos);
    CapturedState t;
    makeEnglishSandPile(*t.s);
    t.s->input.loadingType = 1;
    runLoadSettlement(*t.s);
    EXPECT_NE(t.report.str().find("  BOUYANCY EFFECT."), std::string::npos);
    EXPECT_NE(t.report.str().find("* COMPUTE LOAD-DISTRIBUTION AND LOAD-SETTLEMENT *"), std::string::npos);
}

// The march reads the node curves up the pile from a hint; every depth must find the curves that
// a search from the first node finds: above the ground, between nodes (some at equal depths),
// on a node and at or below the last node used.
TEST(SideTransfer, HintedLookupsFindTheSameCurvesAsPlainOnes) {
    auto s = std::make_unique<AnalysisState>();
    const int nodes = 30;
    for (int u = 1; u <= nodes; ++u) {
        LoadTransferCurve& c = s->curves[static_cast<std::size_t>(u)];
        c.depth = 60.0 + (u == 12 ? 11 : u - 1) * 12.0;  // nodes 12 and 13 at the same depth
        for (std::size_t i = 0; i < kCurvePoints; ++i) {
            c.z[i] = 0.01 * static_cast<double>(i * i);
            c.t[i] = u * std::sqrt(static_cast<double>(i));
        }
    }
    int hint = nodes;
    for (double depth : {420.0, 419.9, 200.0, 192.0, 191.5, 60.0, 59.0, 100.0, 1000.0, 71.0, 700.0, 400.0}) {
        for (double movement : {0.0, 0.05, 0.3, 2.0, -0.05}) {
            EXPECT_EQ(sideTransferAt(*s, nodes, depth, movement, hint), sideTransferAt(*s, nodes, depth, movement))
                << "depth " << depth << ", movement " << movement;
        }
    }
}

}  // namespace
}  // namespace vorta
