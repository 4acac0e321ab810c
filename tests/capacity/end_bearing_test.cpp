// Unit end bearing per node, by method code.
#include <gtest/gtest.h>

#include "capacity/capacity.h"
#include "capacity/state_builders.h"
#include "engine/constants.h"
#include "methods/cpt/cpt.h"

namespace vorta {
namespace {

using test::buildGrid;
using test::fillClay;
using test::fillSand;
using test::newState;

// One sand segment per bearing factor, with a stress so high that the limit always governs.
void limitScheduleCase(AnalysisState& s, int unitSystem, const std::vector<double>& nq) {
    buildGrid(s, static_cast<int>(nq.size()), 1.0, 2.0);
    fillSand(s, 30.0, 1.0e6);
    s.nodeEffStress[1] = 1.0e6;
    s.input.unitSystem = unitSystem;
    for (std::size_t i = 0; i < nq.size(); ++i) s.segNq[i + 1] = nq[i];
}

TEST(EndBearing, ApiLimitScheduleByNqInEnglishUnits) {
    const std::vector<double> nq = {5, 8, 10, 12, 16, 20, 30, 40, 45, 50, 60};
    // 40; 40 + 5 * 2; 60; 60 + 5 * 4; 100; 100 + 100 * 10 / 20; 200; 200 + 50 * 5 / 10; 250.
    const std::vector<double> expected = {40, 40, 50, 60, 80, 100, 150, 200, 225, 250, 250};
    for (int code : {kCodeLambda, kCodeApi}) {
        auto s = newState();
        limitScheduleCase(*s, kEnglish, nq);
        s->currentMethod = code;
        computeNodeEndBearing(*s);
        for (std::size_t i = 0; i < nq.size(); ++i) {
            const int seg = static_cast<int>(i) + 1;
            EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2 * seg - 1], expected[i]) << "code " << code << " Nq " << nq[i];
            EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2 * seg], expected[i]) << "code " << code << " Nq " << nq[i];
        }
    }
}

TEST(EndBearing, ApiLimitScheduleByNqInSiUnits) {
    const std::vector<double> nq = {5, 8, 10, 12, 16, 20, 30, 40, 45, 50, 60};
    // 1900; 1900 + 250 * 2; 2900; 2900 + 237.5 * 4; 4800; 4800 + 4800 * 10 / 20; 9600;
    // 9600 + 2400 * 5 / 10; 12000.
    const std::vector<double> expected = {1900, 1900, 2400, 2900, 3850, 4800, 7200, 9600, 10800, 12000, 12000};
    auto s = newState();
    limitScheduleCase(*s, kSi, nq);
    s->currentMethod = kCodeApi;
    computeNodeEndBearing(*s);
    for (std::size_t i = 0; i < nq.size(); ++i) {
        EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2 * (i + 1)], expected[i]) << "Nq " << nq[i];
    }
}

TEST(EndBearing, ApiBelowTheLimitIsNqTimesTheStressAndAUserLimitReplacesTheSchedule) {
    auto s = newState();
    buildGrid(*s, 2, 1.0, 1.0);
    fillSand(*s, 30.0, 2.0);  // 0, 2 / 2, 4 ksf
    s->input.unitSystem = kEnglish;
    s->segNq[1] = s->segNq[2] = 40;
    s->segMaxUnitBearing[2] = 100.0;
    s->currentMethod = kCodeApi;
    computeNodeEndBearing(*s);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[1], 0.0);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2], 80.0);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[3], 80.0);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[4], 100.0);  // 160 limited by the user's 100
}

TEST(EndBearing, MissingNqComesFromTheAngleLessFiveAndIsKept) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 1.0);
    fillSand(*s, 30.0, 1.0);
    s->input.unitSystem = kEnglish;
    s->currentMethod = kCodeLambda;
    computeNodeEndBearing(*s);
    // phi 30: Nq at delta 25 is 20; bottom node 1 ksf * 20.
    EXPECT_DOUBLE_EQ(s->segNq[1], 20.0);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2], 20.0);
}

TEST(EndBearing, FhwaFactorAndLimitWithNqRestoredAfterTheSegment) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 20.0);
    fillSand(*s, 30.0, 1.0);
    s->nodeEffStress[1] = 0.5;
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;  // L/D = 20 / 1 = 20: the first alpha-t column
    s->segNq[1] = 15.0;
    s->currentMethod = kCodeFhwa;
    computeNodeEndBearing(*s);
    // N'q = 0.58 * 30 = 17.4; top 0.5 * 17.4 = 8.7; bottom 17.4 limited by 2 * 6.66 = 13.32.
    EXPECT_NEAR(s->nodeUnitEndBearing[1], 8.7, 1e-6);
    EXPECT_EQ(s->nodeUnitEndBearing[2], 2.0 * sp(6.66));
    EXPECT_EQ(s->segNq[1], 15.0);
}

TEST(EndBearing, FhwaChartLimitInSiIsConvertedToKilopascals) {
    auto s = newState();
    buildGrid(*s, 1, 1.0, 6.0);
    fillSand(*s, 25.0, 1000.0);
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    s->currentMethod = kCodeFhwa;
    computeNodeEndBearing(*s);
    // 2 * 6.66 tsf * 47.88 = 637.76 kPa governs 1000 kPa * 0.47 * 15 = 7050.
    EXPECT_NEAR(s->nodeUnitEndBearing[2], 637.7616, 1e-3);
    // A user limit below the chart's governs.
    s->segMaxUnitBearing[1] = 500.0;
    computeNodeEndBearing(*s);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[2], 500.0);
}

// 30 one-foot segments of sand, 12-inch pile: critical depths 11 (loose), 16 (medium) and 21 ft
// (dense) below the top of the segment; stress 0.1 ksf per ft.
std::unique_ptr<AnalysisState> usaceCase(double phi) {
    auto s = newState();
    buildGrid(*s, 30, 1.0, 25.0);
    fillSand(*s, phi, 0.1);
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    s->currentMethod = kCodeUsace;
    return s;
}

TEST(EndBearing, UsaceDenseSandHoldsTheValueOfTheFirstSegmentBelowTwentyDiametersPlusOne) {
    auto s = usaceCase(38.0);  // Nq 68
    computeNodeEndBearing(*s);
    // Segment 22 (top 21 ft) is not below 21 ft: 68 * 2.1 and 68 * 2.2, uncapped.
    EXPECT_NEAR(s->nodeUnitEndBearing[43], 142.8, 1e-9);
    EXPECT_NEAR(s->nodeUnitEndBearing[44], 149.6, 1e-9);
    // Segment 23 (top 22 ft) captures 2.2 ksf: 68 * 2.2 at both nodes and below.
    for (int n = 45; n <= 60; ++n) EXPECT_NEAR(s->nodeUnitEndBearing[n], 149.6, 1e-9) << "node " << n;
}

TEST(EndBearing, UsaceLooseAndMediumSandCapAtTheirOwnCriticalDepths) {
    auto loose = usaceCase(30.0);  // Nq 23, capped from segment 13 (top 12 ft) at 1.2 ksf
    computeNodeEndBearing(*loose);
    EXPECT_NEAR(loose->nodeUnitEndBearing[24], 23 * 1.2, 1e-9);
    EXPECT_NEAR(loose->nodeUnitEndBearing[25], 23 * 1.2, 1e-9);
    EXPECT_NEAR(loose->nodeUnitEndBearing[60], 23 * 1.2, 1e-9);

    auto medium = usaceCase(34.0);  // Nq 43, capped from segment 18 (top 17 ft) at 1.7 ksf
    computeNodeEndBearing(*medium);
    EXPECT_NEAR(medium->nodeUnitEndBearing[34], 43 * 1.7, 1e-9);
    EXPECT_NEAR(medium->nodeUnitEndBearing[35], 43 * 1.7, 1e-9);
    EXPECT_NEAR(medium->nodeUnitEndBearing[60], 43 * 1.7, 1e-9);
    EXPECT_NEAR(medium->nodeUnitEndBearing[33], 43 * 1.6, 1e-9);
}

TEST(EndBearing, UsaceWithoutACriticalDepthInTheProfileCapsNothing) {
    auto s = usaceCase(38.0);
    s->input.criticalDepthMethod = 1;
    s->input.criticalDepth = kNoCriticalDepth;
    computeNodeEndBearing(*s);
    EXPECT_NEAR(s->nodeUnitEndBearing[60], 68 * 3.0, 1e-9);
}

TEST(EndBearing, UsaceUserCriticalDepthAndUserLimit) {
    auto s = usaceCase(38.0);
    s->input.criticalDepthMethod = 2;
    s->input.criticalDepth = 5.0;  // segment 7 (top 6 ft) captures 0.6 ksf
    s->segMaxUnitBearing[30] = 20.0;
    computeNodeEndBearing(*s);
    EXPECT_NEAR(s->nodeUnitEndBearing[12], 68 * 0.6, 1e-9);
    EXPECT_NEAR(s->nodeUnitEndBearing[13], 68 * 0.6, 1e-9);
    EXPECT_NEAR(s->nodeUnitEndBearing[58], 68 * 0.6, 1e-9);
    EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[60], 20.0);
}

TEST(EndBearing, UsaceCappedStressDoesNotSurviveTheCall) {
    // The same state integrated twice gives the same values: nothing is carried between calls.
    auto s = usaceCase(38.0);
    computeNodeEndBearing(*s);
    const double first = s->nodeUnitEndBearing[44];
    computeNodeEndBearing(*s);
    EXPECT_EQ(s->nodeUnitEndBearing[44], first);
    // A second analysis in the same process with a different profile is unaffected.
    auto other = usaceCase(38.0);
    for (int n = 1; n <= 61; ++n) other->nodeLimitedEffStress[n] *= 2.0;
    computeNodeEndBearing(*other);
    computeNodeEndBearing(*s);
    EXPECT_EQ(s->nodeUnitEndBearing[60], 68 * s->nodeLimitedEffStress[45]);
}

TEST(EndBearing, ClayIsNineTimesTheStrengthAndTheCptRuleForIcpFugroUwa) {
    for (int code : {kCodeFhwa, kCodeUsace, kCodeLambda, kCodeApi, kCodeNgi}) {
        auto s = newState();
        buildGrid(*s, 2, 1.0, 1.0);
        fillClay(*s, 1.5, 0.5, 0.1);
        s->input.unitSystem = kEnglish;
        s->currentMethod = code;
        computeNodeEndBearing(*s);
        for (int n = 1; n <= 4; ++n) EXPECT_DOUBLE_EQ(s->nodeUnitEndBearing[n], 13.5) << "code " << code;
    }
    for (int code : {kCodeIcp, kCodeFugro, kCodeUwa}) {
        auto s = newState();
        buildGrid(*s, 2, 1.0, 1.0);
        fillClay(*s, 1.5, 0.5, 0.1);
        s->input.unitSystem = kEnglish;
        s->input.outsideDiameter = 12.0;
        s->segQc[1] = s->segQc[2] = 20000.0;
        s->currentMethod = code;
        computeNodeEndBearing(*s);
        EXPECT_EQ(s->nodeUnitEndBearing[1], cptClayEndBearing(*s, 1)) << "code " << code;
        EXPECT_EQ(s->nodeUnitEndBearing[4], cptClayEndBearing(*s, 2)) << "code " << code;
    }
}

TEST(EndBearing, GeneralMethodBearsOnTheUsersUnitEndBearingInEverySoil) {
    auto s = newState();
    buildGrid(*s, 2, 1.0, 1.0);
    fillSand(*s, 30.0, 1.0);
    s->segSoilType[2] = 2.0;
    s->segShearStrength[2] = 1.0;
    s->segUserUnitBearing[1] = 12.5;
    s->segUserUnitBearing[2] = 30.0;
    // Values a previous method left behind must not decide the general method's tip.
    for (int n = 1; n <= 4; ++n) s->nodeUnitEndBearing[n] = 999.0;
    s->input.unitSystem = kEnglish;
    s->currentMethod = kCodeUser;
    computeNodeEndBearing(*s);
    EXPECT_EQ(s->nodeUnitEndBearing[1], 12.5);
    EXPECT_EQ(s->nodeUnitEndBearing[2], 12.5);
    EXPECT_EQ(s->nodeUnitEndBearing[3], 30.0);
    EXPECT_EQ(s->nodeUnitEndBearing[4], 30.0);
}

TEST(EndBearing, SegmentCountBeyondTheTablesIsHeldAtTheirCapacity) {
    auto s = newState();
    buildGrid(*s, 3, 1.0, 2.0);
    fillClay(*s, 1.0, 0.5, 0.1);
    s->segmentCount = 100000;
    s->currentMethod = kCodeApi;
    computeNodeEndBearing(*s);  // must not write past the node table
    EXPECT_EQ(s->nodeUnitEndBearing[1], 9.0);
}

}  // namespace
}  // namespace vorta
