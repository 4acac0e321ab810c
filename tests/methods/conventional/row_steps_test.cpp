// The row steps shared by the FHWA, USACE, API RP-2A and CPT-based methods.
#include <gtest/gtest.h>

#include <memory>

#include "engine/constants.h"
#include "methods/conventional/row_steps.h"
#include "support/test_support.h"

namespace vorta {
namespace {

const double kPi = sp(3.14159);

// Six one-foot segments, a 12 in pile (perimeter 3.14159 ft) and rows 1..rows.
std::unique_ptr<AnalysisState> grid(int rows) {
    auto s = test::newState();
    s->input.unitSystem = kEnglish;
    s->input.outsideDiameter = 12.0;
    s->input.lengthIncrement = 1.0;
    s->depthIncrement = 1.0;
    s->segmentCount = 6;
    s->rowCount = rows;
    for (int i = 1; i <= 6; ++i) {
        s->segTopDepth[i] = i - 1;
        s->segBottomDepth[i] = i;
        s->segMaxUnitFriction[i] = kNoLimit;
        s->segLrfdFrictionFactor[i] = 1.0;
    }
    return s;
}

SkinFrictionRules conventionalRules() {
    SkinFrictionRules r;
    r.perimeter = kPi;
    r.tension = SkinFrictionRules::Tension::InIntervalLoop;
    r.limitStoredRowValue = true;
    r.capAtRowMaxima = true;
    r.lrfdSegmentOffset = 1;
    return r;
}

void setRows(AnalysisState& s, std::initializer_list<double> friction, double maximum = kNoLimit) {
    int k = 0;
    for (double f : friction) {
        ++k;
        s.rowUnitFriction[k] = f;
        s.rowMaxUnitFriction[k] = maximum;
    }
}

TEST(SpreadNodeFriction, RowAtASegmentBottomReadsTheSegmentAbove) {
    auto s = grid(5);
    // Segment 1 runs from 0 to 1 ksf, segment 2 from 5 to 6: a step at 1 ft.
    s->nodeSkinFriction[1] = 0.0;
    s->nodeSkinFriction[2] = 1.0;
    s->nodeSkinFriction[3] = 5.0;
    s->nodeSkinFriction[4] = 6.0;
    s->nodeSkinFriction[5] = 2.0;
    s->nodeSkinFriction[6] = 4.0;
    spreadNodeFrictionToRows(*s);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[1], 0.0);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[2], 1.0);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[3], 6.0);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[4], 4.0);
}

TEST(SpreadNodeFriction, RowsOnATwoFootGridInterpolateWithinTheirSegment) {
    auto s = grid(4);
    s->depthIncrement = 0.5;  // rows at 0, 0.5, 1.0, 1.5 ft
    s->nodeSkinFriction[1] = 1.0;
    s->nodeSkinFriction[2] = 3.0;
    s->nodeSkinFriction[3] = 3.0;
    s->nodeSkinFriction[4] = 5.0;
    spreadNodeFrictionToRows(*s);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[2], 2.0);
    EXPECT_DOUBLE_EQ(s->rowUnitFriction[4], 4.0);
}

TEST(SpreadNodeFriction, ZeroFrictionLengthClearsTheRowsAboveIt) {
    auto s = grid(5);
    for (int n = 1; n <= 12; ++n) s->nodeSkinFriction[n] = 2.0;
    s->input.zeroFrictionLength = 2.5;
    spreadNodeFrictionToRows(*s);
    EXPECT_EQ(s->rowUnitFriction[3], 0.0);  // 2.0 ft, above 2.5
    EXPECT_EQ(s->rowUnitFriction[4], 2.0);  // 3.0 ft
    // Within 1.0E-6 of the zero-friction length the row already carries friction.
    s->input.zeroFrictionLength = 2.0 + 5.0e-7;
    spreadNodeFrictionToRows(*s);
    EXPECT_EQ(s->rowUnitFriction[3], 2.0);
}

TEST(SpreadNodeFriction, RowMaximumComesFromTheSegmentThatStartsAtTheRow) {
    auto s = grid(5);
    for (int i = 1; i <= 6; ++i) s->segMaxUnitFriction[i] = 10.0 * i;
    spreadNodeFrictionToRows(*s);
    EXPECT_EQ(s->rowMaxUnitFriction[1], 10.0);
    EXPECT_EQ(s->rowMaxUnitFriction[5], 50.0);
}

TEST(SpreadNodeFriction, RowsBelowTheLastSegmentTakeTheLastSegmentAndStayInTheTables) {
    auto s = grid(9);  // rows 7..9 lie below the six segments
    for (int i = 1; i <= 6; ++i) s->segMaxUnitFriction[i] = i;
    s->segMaxUnitFriction[7] = 99.0;  // not a segment of this grid
    spreadNodeFrictionToRows(*s);
    EXPECT_EQ(s->rowMaxUnitFriction[8], 6.0);
    EXPECT_EQ(segmentOfRow(*s, 9), 6);
    EXPECT_EQ(segmentOfRow(*s, 0), 1);

    // A row count beyond the tables is cut at their capacity, not written past it.
    s->rowCount = 900;
    spreadNodeFrictionToRows(*s);
    accumulateSkinFriction(*s, conventionalRules());
    SUCCEED();
}

TEST(AccumulateSkinFriction, IntervalsAverageTheirRowsOverTheLengthIncrement) {
    auto s = grid(4);
    setRows(*s, {0.0, 1.0, 2.0, 3.0});
    accumulateSkinFriction(*s, conventionalRules());
    // (0 + 1) / 2 pi, then (1 + 2) / 2 pi, then (2 + 3) / 2 pi.
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_NEAR(s->rowSkinFriction[2], 0.5 * kPi, 1.0e-12);
    EXPECT_NEAR(s->rowSkinFriction[3], 2.0 * kPi, 1.0e-12);
    EXPECT_NEAR(s->rowSkinFriction[4], 4.5 * kPi, 1.0e-12);
    EXPECT_NEAR(s->rowFactoredSkinFriction[4], 4.5 * kPi, 1.0e-12);
}

TEST(AccumulateSkinFriction, UnlimitedRowValueEntersItsIntervalAndTheLimitedOneTheNext) {
    auto s = grid(4);
    setRows(*s, {1.0, 3.0, 3.0, 1.0}, 2.0);
    accumulateSkinFriction(*s, conventionalRules());
    // 1 -> 2: (1 + 3) / 2 pi = 2 pi, equal to the cap (2 + 2) / 2 pi, kept.
    EXPECT_NEAR(s->rowSkinFriction[2], 2.0 * kPi, 1.0e-12);
    // 2 -> 3: the stored row 2 is now 2: (2 + 3) / 2 pi = 2.5 pi, capped at 2 pi.
    EXPECT_NEAR(s->rowSkinFriction[3], 4.0 * kPi, 1.0e-12);
    // 3 -> 4: (2 + 1) / 2 pi = 1.5 pi.
    EXPECT_NEAR(s->rowSkinFriction[4], 5.5 * kPi, 1.0e-12);
    EXPECT_EQ(s->rowUnitFriction[2], 2.0);
    EXPECT_EQ(s->rowUnitFriction[3], 2.0);
    EXPECT_EQ(s->rowUnitFriction[1], 1.0);  // row 1 enters no limit
}

TEST(AccumulateSkinFriction, TensionInTheIntervalLoopReducesEveryRowButTheFirst) {
    auto s = grid(3);
    s->input.loadingType = 1;
    s->input.tensionReductionFactor = 0.5;
    setRows(*s, {2.0, 2.0, 2.0});
    accumulateSkinFriction(*s, conventionalRules());
    EXPECT_EQ(s->rowUnitFriction[1], 2.0);
    EXPECT_EQ(s->rowUnitFriction[2], 1.0);
    EXPECT_EQ(s->rowUnitFriction[3], 1.0);
    // (2 + 1) / 2 pi, then (1 + 1) / 2 pi.
    EXPECT_NEAR(s->rowSkinFriction[3], 2.5 * kPi, 1.0e-12);
}

TEST(AccumulateSkinFriction, TensionBeforeTheIntervalsFromTheSecondRowOrFromTheFirst) {
    auto fromSecond = grid(3);
    fromSecond->input.loadingType = 1;
    fromSecond->input.tensionReductionFactor = 0.5;
    setRows(*fromSecond, {2.0, 2.0, 2.0});
    SkinFrictionRules rules = conventionalRules();
    rules.tension = SkinFrictionRules::Tension::RowsFromSecond;
    accumulateSkinFriction(*fromSecond, rules);
    EXPECT_EQ(fromSecond->rowUnitFriction[1], 2.0);
    EXPECT_NEAR(fromSecond->rowSkinFriction[3], 2.5 * kPi, 1.0e-12);

    auto all = grid(3);
    all->input.loadingType = 1;
    all->input.tensionReductionFactor = 0.5;
    setRows(*all, {2.0, 2.0, 2.0});
    rules.tension = SkinFrictionRules::Tension::AllRows;
    accumulateSkinFriction(*all, rules);
    EXPECT_EQ(all->rowUnitFriction[1], 1.0);
    EXPECT_NEAR(all->rowSkinFriction[3], 2.0 * kPi, 1.0e-12);

    // In compression nothing is reduced.
    auto compression = grid(3);
    compression->input.tensionReductionFactor = 0.5;
    setRows(*compression, {2.0, 2.0, 2.0});
    accumulateSkinFriction(*compression, rules);
    EXPECT_NEAR(compression->rowSkinFriction[3], 4.0 * kPi, 1.0e-12);
}

TEST(AccumulateSkinFriction, LimitedColumnKeepsTheUnlimitedRowValueBeside) {
    auto s = grid(3);
    setRows(*s, {1.0, 3.0, 3.0}, 2.0);
    SkinFrictionRules rules = conventionalRules();
    rules.tension = SkinFrictionRules::Tension::AllRows;
    rules.limitStoredRowValue = false;
    rules.fillLimitedColumn = true;
    accumulateSkinFriction(*s, rules);
    EXPECT_EQ(s->rowUnitFriction[2], 3.0);
    EXPECT_EQ(s->rowLimitedUnitFriction[2], 2.0);
    EXPECT_EQ(s->rowLimitedUnitFriction[1], 1.0);
    // 1 -> 2: 2 pi (not above the cap); 2 -> 3: (3 + 3) / 2 pi = 3 pi capped at 2 pi.
    EXPECT_NEAR(s->rowSkinFriction[3], 4.0 * kPi, 1.0e-12);
}

TEST(AccumulateSkinFriction, LrfdFactorOfTheSegmentBelowOrOfTheIntervalsOwnSegment) {
    auto s = grid(3);
    s->segLrfdFrictionFactor[1] = 0.5;
    s->segLrfdFrictionFactor[2] = 0.25;
    setRows(*s, {2.0, 2.0, 2.0});
    accumulateSkinFriction(*s, conventionalRules());
    // Conventional methods: interval 1 -> 2 takes segment 2, interval 2 -> 3 segment 3.
    EXPECT_NEAR(s->rowSkinFriction[2], 0.25 * 2.0 * kPi, 1.0e-12);
    EXPECT_NEAR(s->rowSkinFriction[3], 1.25 * 2.0 * kPi, 1.0e-12);

    auto cpt = grid(3);
    cpt->segLrfdFrictionFactor[1] = 0.5;
    cpt->segLrfdFrictionFactor[2] = 0.25;
    setRows(*cpt, {2.0, 2.0, 2.0});
    SkinFrictionRules rules;
    rules.perimeter = kPi;
    rules.lrfdSegmentOffset = 0;
    accumulateSkinFriction(*cpt, rules);
    EXPECT_NEAR(cpt->rowSkinFriction[2], 0.5 * 2.0 * kPi, 1.0e-12);
    EXPECT_NEAR(cpt->rowSkinFriction[3], 0.75 * 2.0 * kPi, 1.0e-12);
}

TEST(AccumulateSkinFriction, TransferColumnIsUnfactoredOrFactoredByTheReducedSideFrictionOption) {
    for (const int option : {0, 1, 2}) {
        auto s = grid(3);
        s->input.reducedSideFriction = option;
        s->segLrfdFrictionFactor[2] = 0.5;
        s->segLrfdFrictionFactor[3] = 0.5;
        s->rowTransferSkinFriction[2] = -1.0;
        s->rowTransferSkinFriction[3] = -1.0;
        setRows(*s, {2.0, 2.0, 2.0});
        accumulateSkinFriction(*s, conventionalRules());
        const double expected = option == 0 ? 4.0 * kPi : (option == 1 ? 2.0 * kPi : -1.0);
        EXPECT_NEAR(s->rowTransferSkinFriction[3], expected, 1.0e-12) << "option " << option;
        EXPECT_NEAR(s->rowSkinFriction[3], 2.0 * kPi, 1.0e-12);
    }
}

TEST(AccumulateSkinFriction, OneRowProducesOnlyZeroCumulativeValues) {
    auto s = grid(1);
    s->rowSkinFriction[1] = 5.0;
    s->rowFactoredSkinFriction[1] = 5.0;
    s->rowSkinFriction[2] = 5.0;
    setRows(*s, {3.0});
    accumulateSkinFriction(*s, conventionalRules());
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_EQ(s->rowFactoredSkinFriction[1], 0.0);
    EXPECT_EQ(s->rowSkinFriction[2], 5.0);
    EXPECT_EQ(s->rowUnitFriction[1], 3.0);
}

}  // namespace
}  // namespace vorta
