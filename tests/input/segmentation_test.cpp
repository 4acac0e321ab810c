#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <sstream>

#include "engine/constants.h"
#include "input/input.h"
#include "input_decks.h"
#include "support/test_support.h"

namespace vorta::test {
namespace {

// A state with the given soil point depths (columns 0), English units, vertical pile, 1 ft
// increment, embedded length 10 ft, 12 in diameter.
std::unique_ptr<AnalysisState> profile(std::initializer_list<double> depths) {
    auto s = newState();
    InputData& d = s->input;
    d.unitSystem = kEnglish;
    d.lengthIncrement = 1.0;
    d.pileLength = 10.0;
    d.outsideDiameter = 12.0;
    d.soilPointCount = 0;
    for (double z : depths) d.soilPoints[++d.soilPointCount].depth = z;
    d.deepestSoilDepth = d.soilPoints[d.soilPointCount].depth;
    return s;
}

void setColumn(AnalysisState& s, int col, std::initializer_list<double> values) {
    int k = 0;
    for (double v : values) s.input.soilPoints[++k].column[col] = v;
}

void segment(AnalysisState& s) {
    ASSERT_TRUE(countSegments(s));
    computeDepthIncrement(s);
    segmentPile(s);
}

TEST(ThinIntervals, GapBelowHalfAnIncrementCollapsesIntoAStep) {
    auto s = profile({0, 10, 10.3, 20});
    adjustThinIntervals(*s);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].depth, 10.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[4].depth, 20.0);
}

TEST(ThinIntervals, GapBelowOneIncrementWidensToOneIncrement) {
    auto s = profile({0, 10, 10.7, 20});
    adjustThinIntervals(*s);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].depth, 11.0);
    auto exact = profile({0, 10, 10.5, 20});  // half an increment is not below half
    adjustThinIntervals(*exact);
    EXPECT_DOUBLE_EQ(exact->input.soilPoints[3].depth, 11.0);
    auto wide = profile({0, 10, 11, 20});
    adjustThinIntervals(*wide);
    EXPECT_DOUBLE_EQ(wide->input.soilPoints[3].depth, 11.0);
}

TEST(ThinIntervals, AdjustedDepthsCarryIntoTheNextGap) {
    // 10 -> 10.7 widens to 11, which leaves 11.2 only 0.2 below it: collapses to 11.
    auto s = profile({0, 10, 10.7, 11.2, 20});
    adjustThinIntervals(*s);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].depth, 11.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[4].depth, 11.0);
}

TEST(ThinIntervals, ComparesWithTheLengthIncrementNotTheVerticalThickness) {
    auto s = profile({0, 10, 10.9, 20});
    s->input.batterAngle = 60.0 * sp(3.1415927) / 180.0;  // vertical thickness 0.5 ft
    adjustThinIntervals(*s);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].depth, 11.0);
}

TEST(SegmentCount, FiveHundredSegmentsProceedAndMoreStop) {
    auto s = profile({0, 100});
    s->input.pileLength = 50.0;
    s->input.lengthIncrement = 0.2;  // as read from the file
    const Analysis model;
    const ValuePlaces places{model, ValueSource::InputDeck, nullptr, {}};
    CheckedProblems found;
    EXPECT_TRUE(countSegments(*s));
    EXPECT_EQ(s->segmentCount, 500);
    checkSegmentCount(*s, places, found);
    EXPECT_TRUE(found.empty());

    s->input.lengthIncrement = 0.19;
    EXPECT_FALSE(countSegments(*s));
    EXPECT_EQ(s->segmentCount, 526);  // 100 / 0.19 = 526.3
    checkSegmentCount(*s, places, found);
    ASSERT_EQ(found.size(), 1u);
    const std::string message =
        "\n\n YOUR NUMBERS OF SEGMENT  526 IS LARGER THAN\n"
        " DEFAULT VALUE 500. YOU MIGHT WANT TO CHANGE THE LENGTH OF \n"
        " SEGMENT OR CONSULT KELMAR, INC. FOR CHANGING THE DEFAULT VALUE";
    EXPECT_EQ(found[0].report.at(0).text, message);
    EXPECT_EQ(found[0].console.at(0).text, message);
    EXPECT_EQ(found[0].problem.code, "too_many_segments");
}

TEST(SegmentCount, GridThatCoversTheTipZoneIsUnchanged) {
    auto s = profile({0, 60});
    s->input.pileLength = 50.0;
    s->input.outsideDiameter = 24.0;
    EXPECT_TRUE(countSegments(*s));
    EXPECT_EQ(s->segmentCount, 60);
}

TEST(SegmentCount, CoarseIncrementIsRaisedToReachOneAndAHalfDiametersBelowTheTip) {
    // Embedded 50 ft, D = 2 ft, soil to 54 ft, increment 5 ft: 10 segments end at the tip of
    // the last row (50 ft) while its tip zone reaches 53 ft: 11 segments.
    auto s = profile({0, 54});
    s->input.pileLength = 50.0;
    s->input.outsideDiameter = 24.0;
    s->input.lengthIncrement = 5.0;
    EXPECT_TRUE(countSegments(*s));
    EXPECT_EQ(s->segmentCount, 11);
}

TEST(SegmentCount, BatteredPileIsRaisedToReachOneAndAHalfDiametersBelowTheTip) {
    // Batter 60 degrees, embedded 10 ft, D = 1 ft: soil to 7 ft gives 7 segments of 0.5 ft,
    // 3.5 ft deep; the last row's tip is at 10 x 0.5 = 5 ft and its tip zone at 6.5 ft: 13.
    auto s = profile({0, 7});
    s->input.batterAngle = 60.0 * sp(3.1415927) / 180.0;
    EXPECT_TRUE(countSegments(*s));
    EXPECT_EQ(s->segmentCount, 13);
    computeDepthIncrement(*s);
    segmentPile(*s);
    EXPECT_EQ(s->rowCount, 11);
    EXPECT_GE(s->segBottomDepth[13], 6.5 - 1.0e-6);
}

TEST(SegmentCount, RaisedCountAboveFiveHundredStops) {
    auto s = profile({0, 260});
    s->input.pileLength = 900.0;
    s->input.batterAngle = 75.0 * sp(3.1415927) / 180.0;  // 900 ft at 75 degrees: 233 ft deep
    EXPECT_FALSE(countSegments(*s));
    EXPECT_GT(s->segmentCount, 900);
}

TEST(Segmentation, InterpolatesAtMidDepthAndStepsBetweenLayers) {
    // Layer 1 from 0 to 10 ft, unit weight 100 to 120; layer 2 from 10 to 20 ft, 60 to 80.
    auto s = profile({0, 10, 10, 20});
    setColumn(*s, kColSoilType, {1, 1, 2, 2});
    setColumn(*s, kColEffUnitWeight, {100, 120, 60, 80});
    setColumn(*s, kColFrictionAngle, {30, 40, 0, 0});
    setColumn(*s, kColShearStrength, {0, 0, 1.0, 2.0});
    s->input.deepestSoilDepth = 20;
    segment(*s);
    ASSERT_EQ(s->segmentCount, 20);
    EXPECT_DOUBLE_EQ(s->segTopDepth[1], 0.0);
    EXPECT_DOUBLE_EQ(s->segBottomDepth[1], 1.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[1], 101.0);   // 100 + 20/10 x 0.5
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[1], 30.5);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[10], 119.0);  // mid-depth 9.5
    EXPECT_DOUBLE_EQ(s->segSoilType[10], 1.0);
    // From 10 ft down the segments use the lower layer, never the interval of no thickness.
    EXPECT_DOUBLE_EQ(s->segSoilType[11], 2.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[11], 61.0);  // 60 + 20/10 x 0.5
    EXPECT_DOUBLE_EQ(s->segShearStrength[11], 1.05);
    EXPECT_DOUBLE_EQ(s->segFrictionAngle[11], 0.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[20], 79.0);
    EXPECT_EQ(s->rowCount, 11);
}

TEST(Segmentation, SegmentsAfterACollapsedIntervalUseTheMovedPoint) {
    // Points 0, 10, 10.3 (moved to 10), 20: below 10 ft the segments lie between the moved point
    // and the point at 20 ft.
    auto s = profile({0, 10, 10.3, 20});
    setColumn(*s, kColSoilType, {2, 2, 1, 1});
    setColumn(*s, kColEffUnitWeight, {100, 100, 50, 70});
    adjustThinIntervals(*s);
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[10], 100.0);
    EXPECT_DOUBLE_EQ(s->segSoilType[11], 1.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[11], 51.0);  // 50 + 20/10 x 0.5
}

TEST(Segmentation, SegmentsBelowTheLastSoilPointExtrapolateTheLastInterval) {
    auto s = profile({0, 10, 10, 20});
    setColumn(*s, kColSoilType, {2, 2, 1, 1});
    setColumn(*s, kColEffUnitWeight, {100, 120, 60, 80});
    s->input.deepestSoilDepth = 25;
    segment(*s);
    ASSERT_EQ(s->segmentCount, 25);
    EXPECT_DOUBLE_EQ(s->segSoilType[23], 1.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[23], 85.0);  // 60 + 2 x (22.5 - 10)
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[25], 89.0);
}

TEST(Segmentation, StepAtTheBottomOfTheProfileHoldsTheLowerPoint) {
    // 0, 10, 10, 10.3: the last interval collapses to no thickness; the segments below 10 ft
    // hold the values of the last point instead of dividing by zero.
    auto s = profile({0, 10, 10, 10.3});
    setColumn(*s, kColSoilType, {2, 2, 1, 1});
    setColumn(*s, kColEffUnitWeight, {100, 100, 60, 65});
    adjustThinIntervals(*s);
    s->input.deepestSoilDepth = 14;
    segment(*s);
    ASSERT_EQ(s->segmentCount, 14);
    EXPECT_DOUBLE_EQ(s->segSoilType[12], 1.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[12], 65.0);
    EXPECT_TRUE(std::isfinite(s->segFrictionAngle[14]));
}

TEST(Segmentation, LineExtendedAboveTheFirstSoilPointStopsAtZero) {
    // Unit weight 0 pcf at 2 ft rising to 120 at 5 ft (40 pcf per ft): extended to the mid-depths
    // 0.5 and 1.5 ft of the first two segments it would be -60 and -20 pcf; it stops at zero.
    auto s = profile({2, 5, 5, 20});
    setColumn(*s, kColSoilType, {1, 1, 2, 2});
    setColumn(*s, kColEffUnitWeight, {0, 120, 60, 60});
    s->input.deepestSoilDepth = 20;
    segment(*s);
    EXPECT_EQ(s->segEffUnitWeight[1], 0.0);
    EXPECT_EQ(s->segEffUnitWeight[2], 0.0);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[3], 20.0);  // 2.5 ft, inside the interval: 40 x 0.5
}

TEST(Segmentation, SegmentCrossingTheBottomOfItsIntervalStopsAtZero) {
    // A blow count from 10 at the surface to 0 at 14.4 ft: the segment from 14 to 15 ft lies in
    // that interval by its top and takes its mid-depth 14.5, where the line is below zero
    // (10 - 10 x 14.5 / 14.4 = -0.07); it stops at zero.
    auto s = profile({0, 14.4, 14.4, 30});
    setColumn(*s, kColSoilType, {1, 1, 2, 2});
    setColumn(*s, kColBlowCountOrYsr, {10, 0, 1, 1});
    setColumn(*s, kColEffUnitWeight, {120, 120, 60, 60});
    s->input.deepestSoilDepth = 30;
    segment(*s);
    EXPECT_NEAR(s->segYieldStressRatio[14], 10.0 - 10.0 * 13.5 / 14.4, 1e-12);  // 0.625, inside
    EXPECT_EQ(s->segYieldStressRatio[15], 0.0);
}

TEST(Segmentation, FirstPointBelowTheSurfaceIsExtrapolatedUpwards) {
    auto s = profile({2, 12});
    setColumn(*s, kColSoilType, {2, 2});
    setColumn(*s, kColEffUnitWeight, {100, 110});
    s->input.deepestSoilDepth = 12;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segEffUnitWeight[1], 98.5);  // 100 + 1 x (0.5 - 2)
}

TEST(Segmentation, LateralKOfExactlyZeroIsAssumed) {
    auto s = profile({0, 10, 10, 20});
    setColumn(*s, kColLateralK, {0, 0, 0, 1});
    s->input.deepestSoilDepth = 20;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segLateralK[5], sp(0.8));
    EXPECT_DOUBLE_EQ(s->segLateralK[11], 0.05);  // 0 + 1/10 x 0.5, not 0.8
}

TEST(Segmentation, UserUnitValuesInKsfScaledByTheTensionFactorOnlyInTension) {
    auto s = profile({0, 20});
    setColumn(*s, kColUserUnitFriction, {500, 500});
    setColumn(*s, kColUserUnitBearing, {2000, 4000});
    s->input.tensionReductionFactor = 0.5;
    s->input.loadingType = 2;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segUserUnitFriction[1], 0.5);   // 500 psf, compression: no factor
    EXPECT_DOUBLE_EQ(s->segUserUnitBearing[1], 2.05);   // 2000 + 2000/20 x 0.5 = 2050 psf
    s->input.loadingType = 1;
    segmentPile(*s);
    EXPECT_DOUBLE_EQ(s->segUserUnitFriction[1], 0.25);  // 500 x 0.5 / 1000
}

TEST(Segmentation, SiUserUnitValuesScaledByTheTensionFactorOnlyInTension) {
    auto s = profile({0, 20});
    s->input.unitSystem = kSi;
    s->input.outsideDiameter = 300.0;
    setColumn(*s, kColUserUnitFriction, {25, 25});
    s->input.tensionReductionFactor = 0.5;
    s->input.loadingType = 0;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segUserUnitFriction[3], 25.0);
    s->input.loadingType = 1;
    segmentPile(*s);
    EXPECT_DOUBLE_EQ(s->segUserUnitFriction[3], 12.5);
}

TEST(Segmentation, AdhesionCaseIsTheColumnAsWrittenInBothUnitSystems) {
    Deck deck;
    deck.rec4 = "2 1 4 0";
    deck.rec5 = "0 0 600 0 2.0E7 15 0";
    deck.rec9 = "20 0";
    deck.soil = {"0 2 1 8 0 0",  "0 0 50 30 0 20 0 0 0 1 1 2 5 0",
                 "10 2 1 8 0 0", "0 0 50 30 0 20 0 0 0 1 1 2 5 0",
                 "10 2 1 8 0 0", "0 0 50 30 0 20 0 0 0 1 1 3 5 0",
                 "20 2 1 8 0 0", "0 0 50 30 0 20 0 0 0 1 1 3 5 0"};
    auto s = readDeck(deck.text());
    s->input.pileLength = 15.0;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->segAdhesionCase[1], 2.0);
    EXPECT_DOUBLE_EQ(s->segTzParam1[1], 0.002);  // the t-z parameter in metres
    EXPECT_DOUBLE_EQ(s->segTzParam2[1], 0.005);
    EXPECT_DOUBLE_EQ(s->segAdhesionCase[15], 3.0);
}

TEST(Segmentation, RowCountTruncatesTheEmbeddedLengthOverTheIncrement) {
    auto s = profile({0, 60});
    s->input.pileLength = 50.0;
    s->input.lengthIncrement = 0.3;
    segment(*s);
    EXPECT_EQ(s->rowCount, 167);  // 50 / 0.3 = 166.67 -> 166, + 1
    s->input.pileLength = 10.0;
    s->input.deepestSoilDepth = 20.0;
    s->input.lengthIncrement = 0.1;
    segment(*s);
    EXPECT_EQ(s->rowCount, 101);  // 10 / 0.1 = 100 (to the last bit) + 1.0E-6 -> 100, + 1
    s->input.lengthIncrement = sp(0.1);
    segmentPile(*s);
    EXPECT_EQ(s->rowCount, 100);  // 10 / 0.100000001 = 99.99999851 + 1.0E-6 -> 99, + 1
}

TEST(Segmentation, EffectiveStressRuleResetsTheCriticalDepth) {
    auto s = profile({0, 20});
    s->input.criticalDepthMethod = 1;
    s->input.criticalDepth = 12.0;
    segment(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 0.0);
    s->input.criticalDepthMethod = 2;
    s->input.criticalDepth = 12.0;
    segmentPile(*s);
    EXPECT_DOUBLE_EQ(s->input.criticalDepth, 12.0);
}

}  // namespace
}  // namespace vorta::test
