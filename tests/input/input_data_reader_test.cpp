#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/constants.h"
#include "input/input.h"
#include "input_decks.h"

namespace vorta::test {
namespace {

TEST(InputDataReader, ReadsTheRecordsInOrder) {
    Deck deck;
    deck.rec7 = "2.5 1 3 0.5 4 1 1";
    deck.rec8 = "1 0 1 0 1 0 1 0 1";
    deck.rec12 = "1 0.7";
    deck.rec13 = "1 2 1";
    deck.rec15 = "2 20.5";
    const auto s = readDeck(deck.text());
    const InputData& d = s->input;
    EXPECT_EQ(d.title, "SMALL TEST PILE" + std::string(72 - 15, ' '));
    EXPECT_EQ(d.designer.size(), 72u);
    EXPECT_EQ(d.unitSystem, 1);
    EXPECT_EQ(d.outputStep, 1);
    EXPECT_EQ(d.soilPointCount, 4);
    EXPECT_DOUBLE_EQ(d.zeroFrictionLength, 2.5);
    EXPECT_DOUBLE_EQ(d.lengthIncrement, 1.0);
    EXPECT_EQ(d.pileType, 3);
    EXPECT_DOUBLE_EQ(d.taperAngle, 0.5);
    EXPECT_EQ(d.loadTransferMethod, 4);
    EXPECT_EQ(d.cptMethodsFlag, 1);
    EXPECT_EQ(d.reducedSideFriction, 1);
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(d.methodSelected[i], i % 2) << "method " << i;
    EXPECT_DOUBLE_EQ(d.deepestSoilDepth, 60.0);
    EXPECT_EQ(d.loadingType, 1);
    EXPECT_DOUBLE_EQ(d.tensionReductionFactor, 0.7);
    EXPECT_EQ(d.icpDrainedClay, 1);
    EXPECT_EQ(d.plugCondition, 2);
    EXPECT_EQ(d.longPileOption, 1);
    EXPECT_EQ(d.criticalDepthMethod, 2);
    EXPECT_DOUBLE_EQ(d.criticalDepth, 20.5);
    EXPECT_DOUBLE_EQ(d.soilPoints[4].depth, 60.0);
}

TEST(InputDataReader, TitleLongerThan72CharactersKeepsTheFirst72) {
    Deck deck;
    deck.title = std::string(70, 'A') + "BCDEF";
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.title, std::string(70, 'A') + "BC");
}

TEST(InputDataReader, RecordSpanningTwoLinesReadsAsOne) {
    Deck oneLine;
    Deck twoLines;
    twoLines.rec5 = "0 0 24\n 23, 29000000 50 0";
    const auto a = readDeck(oneLine.text());
    const auto b = readDeck(twoLines.text());
    EXPECT_DOUBLE_EQ(b->input.outsideDiameter, 24.0);
    EXPECT_DOUBLE_EQ(b->input.insideDiameter, a->input.insideDiameter);
    EXPECT_DOUBLE_EQ(b->input.elasticModulus, a->input.elasticModulus);
    EXPECT_DOUBLE_EQ(b->input.pileLength, 50.0);
    // The record after it still starts on its own line.
    EXPECT_DOUBLE_EQ(b->input.lengthIncrement, 1.0);
}

TEST(InputDataReader, TextAfterTheLastValueOfARecordIsIgnored) {
    Deck deck;
    deck.rec4 = "1 1 4 0 99 extra words";
    deck.rec9 = "60 0 ! deepest soil depth";
    deck.soil[0] = "0 1 0 120 30 0 7 7";
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.tipClosure, 0);
    EXPECT_DOUBLE_EQ(s->input.deepestSoilDepth, 60.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColBearingFactorNq], 0.0);
    // The second record of the point was read from the next line, not from the leftovers.
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColBlowCountOrYsr], 10.0);
}

TEST(InputDataReader, SandMovesTheBlowCountFromColumn9ToColumn10) {
    Deck deck;
    deck.soil[1] = "0 0 0 10 3 0 0 0 0 1 1 0 0 0";  // column 9 = 10, column 10 = 3
    deck.soil[5] = "1000 0 2000 1000 4 20 0 0 0 1 1 0 0 0";  // clay: columns stay
    const auto s = readDeck(deck.text());
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColRemoldedStrength], 0.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColBlowCountOrYsr], 10.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].column[kColRemoldedStrength], 1.0);  // 1000 psf in ksf
    EXPECT_DOUBLE_EQ(s->input.soilPoints[3].column[kColBlowCountOrYsr], 4.0);
}

TEST(InputDataReader, EnglishStressesInKsfAndZeroLimitsMarkedUnlimited) {
    Deck deck;
    deck.soil[1] = "0 5 0 0 10 0 0 0 0 1 1 0 0 0";             // friction limit 0, bearing limit 5 psf
    deck.soil[5] = "2000 0 1500 700 4 20 12000 50 60 1 1 0 0 0";  // 2000 psf friction limit
    const auto s = readDeck(deck.text());
    const InputData& d = s->input;
    EXPECT_EQ(d.frictionUnlimited[1], 1);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColMaxUnitFriction], 9999999.0);
    EXPECT_EQ(d.bearingUnlimited[1], 0);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColMaxUnitBearing], 0.005);
    EXPECT_EQ(d.frictionUnlimited[3], 0);
    EXPECT_EQ(d.bearingUnlimited[3], 1);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColMaxUnitFriction], 2.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColShearStrength], 1.5);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColRemoldedStrength], 0.7);
    // qc and the user unit values stay as read here.
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColPointQc], 12000.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColUserUnitFriction], 50.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColUserUnitBearing], 60.0);
}

TEST(InputDataReader, SiStressesStayInKpaAndTzParametersGoToMetres) {
    Deck deck;
    deck.rec4 = "2 1 4 0";
    deck.soil[1] = "0 0 0 10 3 0 0 0 0 1 1 2 5.08 0.9";  // column 17 = 2, column 18 = 5.08 mm
    deck.soil[5] = "50 0 75 30 4 20 0 0 0 1 1 0 0 0";
    const auto s = readDeck(deck.text());
    const InputData& d = s->input;
    EXPECT_EQ(d.frictionUnlimited[1], 1);
    EXPECT_EQ(d.bearingUnlimited[1], 1);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColMaxUnitBearing], 9999999.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColMaxUnitFriction], 50.0);
    EXPECT_EQ(d.bearingUnlimited[3], 1);
    EXPECT_DOUBLE_EQ(d.soilPoints[3].column[kColShearStrength], 75.0);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColTzParam1], 0.002);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColTzParam2], 0.00508);
    EXPECT_DOUBLE_EQ(d.soilPoints[1].column[kColTzParam3], 0.9);
    // The adhesion case keeps the column as written.
    EXPECT_DOUBLE_EQ(d.tzParam1AsRead[1], 2.0);
}

TEST(InputDataReader, EnglishTzParametersStayAsRead) {
    Deck deck;
    deck.soil[1] = "0 0 0 10 3 0 0 0 0 1 1 2 0.2 0.9";
    const auto s = readDeck(deck.text());
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColTzParam1], 2.0);
    EXPECT_DOUBLE_EQ(s->input.soilPoints[1].column[kColTzParam2], 0.2);
    EXPECT_DOUBLE_EQ(s->input.tzParam1AsRead[1], 2.0);
}

TEST(InputDataReader, FirstLightPointSetsTheLightSoilDepth) {
    Deck deck;
    deck.soil[2] = "30 2 1 74.9 0 0";
    deck.soil[6] = "60 2 1 50 0 0";
    EXPECT_DOUBLE_EQ(readDeck(deck.text())->input.lightSoilDepth, 30.0);
    EXPECT_DOUBLE_EQ(readDeck(Deck().text())->input.lightSoilDepth, 99999.0);

    Deck si;
    si.rec4 = "2 1 4 0";  // the same unit weights in kN/m3: 110 and 120 are heavy, 11.9 is light
    si.soil[4] = "30 2 1 11.9 0 0";
    EXPECT_DOUBLE_EQ(readDeck(si.text())->input.lightSoilDepth, 30.0);
    si.soil[4] = "30 2 1 12 0 0";
    EXPECT_DOUBLE_EQ(readDeck(si.text())->input.lightSoilDepth, 99999.0);
}

TEST(InputDataReader, PerimeterMakesASolidCircleOfEqualPerimeter) {
    Deck deck;
    deck.rec5 = "3.1416 144 24 23 29000000 50 0";
    const auto s = readDeck(deck.text());
    const InputData& d = s->input;
    EXPECT_DOUBLE_EQ(d.outsideDiameter, 3.1416 / sp(3.1416));  // 3.1416 as a double over the single-precision constant
    EXPECT_NEAR(d.outsideDiameter, 1.0, 1.0e-6);
    EXPECT_DOUBLE_EQ(d.insideDiameter, 0.0);
    EXPECT_DOUBLE_EQ(d.outsideDiameterAsRead, 24.0);
    EXPECT_DOUBLE_EQ(d.tipArea, 1.0);  // 144 in2 = 1 ft2
    EXPECT_DOUBLE_EQ(d.tipAreaAsRead, 144.0);

    Deck circular;
    const auto c = readDeck(circular.text());
    EXPECT_DOUBLE_EQ(c->input.outsideDiameter, 24.0);
    EXPECT_DOUBLE_EQ(c->input.insideDiameter, 23.0);
}

TEST(InputDataReader, SiTipAreaStaysInSquareMetres) {
    Deck deck;
    deck.rec4 = "2 1 4 0";
    deck.rec5 = "0 0.25 600 0 2.0E7 15 1";
    const auto s = readDeck(deck.text());
    EXPECT_DOUBLE_EQ(s->input.tipArea, 0.25);
    EXPECT_DOUBLE_EQ(s->input.totalPileLengthAsRead, 15.0);
}

TEST(InputDataReader, MissingEnhancedEndSpansThePileWithItsInsideDiameter) {
    Deck deck;
    deck.rec6 = "0 5 12.5";
    const auto s = readDeck(deck.text());
    EXPECT_DOUBLE_EQ(s->input.enhancedEndLength, 50.0 - sp(1.0e-7));
    EXPECT_DOUBLE_EQ(s->input.enhancedEndInsideDiameter, 23.0);
    EXPECT_DOUBLE_EQ(s->input.batterAngle, 12.5);
    EXPECT_DOUBLE_EQ(s->input.batterAngleAsRead, 12.5);

    deck.rec6 = "1.0E-5 5 0";  // at the threshold: kept
    const auto kept = readDeck(deck.text());
    EXPECT_DOUBLE_EQ(kept->input.enhancedEndLength, 1.0e-5);
    EXPECT_DOUBLE_EQ(kept->input.enhancedEndInsideDiameter, 5.0);
}

TEST(InputDataReader, AxialAreaStartsAsTheCrossSectionArea) {
    Deck deck;
    deck.rec9 = "60 36.5";
    EXPECT_DOUBLE_EQ(readDeck(deck.text())->input.axialArea, 36.5);
}

TEST(InputDataReader, FlagsOtherThanOneSkipTheirGroups) {
    Deck deck;
    deck.rec11 = "2";
    deck.rec16 = "2";
    deck.rec17 = "-1";
    deck.rec18 = "3";
    deck.rec12 = "1 0.8";
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.tzOutputDepthCount, 0);
    EXPECT_EQ(s->input.loadingType, 1);
    EXPECT_DOUBLE_EQ(s->input.tensionReductionFactor, 0.8);
    EXPECT_EQ(s->input.tzModifierRowsRead, 0);
    EXPECT_EQ(s->input.tipMovementCount, 0);
    EXPECT_EQ(s->input.tipCurveFactorFlag, 3);
    EXPECT_DOUBLE_EQ(s->input.tipCurveLoadFactor, 0.0);
}

TEST(InputDataReader, FlagsOfOneReadTheirGroups) {
    Deck deck;
    deck.rec11 = "1\n2\n12.5\n30";
    deck.rec16 = "1\n2\n10 1.1 1.2\n40 1.3 1.4";
    deck.rec17 = "1\n3\n0.01\n0.1\n1.0";
    deck.rec18 = "1\n0.9 1.5";
    const auto s = readDeck(deck.text());
    const InputData& d = s->input;
    EXPECT_EQ(d.tzOutputDepthCount, 2);
    EXPECT_DOUBLE_EQ(d.tzOutputDepths[1], 12.5);
    EXPECT_DOUBLE_EQ(d.tzOutputDepths[2], 30.0);
    EXPECT_EQ(d.tzModifierRowsRead, 2);
    EXPECT_DOUBLE_EQ(d.tzModifierTable[2].depth, 40.0);
    EXPECT_DOUBLE_EQ(d.tzModifierTable[2].loadFactor, 1.3);
    EXPECT_DOUBLE_EQ(d.tzModifierTable[2].movementFactor, 1.4);
    EXPECT_EQ(d.tipMovementCount, 3);
    EXPECT_DOUBLE_EQ(d.tipMovements[3], 1.0);
    EXPECT_DOUBLE_EQ(d.tipCurveLoadFactor, 0.9);
    EXPECT_DOUBLE_EQ(d.tipCurveMovementFactor, 1.5);
}

TEST(InputDataReader, ModifierCountOfOneReadsTheCountAndNoRow) {
    Deck deck;
    deck.rec16 = "1\n1";
    deck.rec17 = "1\n1\n0.25";  // the next record is read where the row would have been
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.tzModifierRowsRead, 0);
    EXPECT_EQ(s->input.tipMovementListFlag, 1);
    EXPECT_DOUBLE_EQ(s->input.tipMovements[1], 0.25);
}

TEST(InputDataReader, AreaRowsAreReadWhateverTheOption) {
    Deck deck;
    deck.rec14 = "3 0\n0 30\n20 25\n50 20";
    deck.rec15 = "1 0";
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.areaRowCount, 3);
    EXPECT_EQ(s->input.areaOption, 0);
    EXPECT_DOUBLE_EQ(s->input.areaTable[3].distance, 50.0);
    EXPECT_DOUBLE_EQ(s->input.areaTable[3].area, 20.0);
    EXPECT_EQ(s->input.criticalDepthMethod, 1);
}

TEST(InputDataReader, NegativeCountsReadNoRows) {
    Deck deck;
    deck.rec11 = "1\n-2";
    deck.rec14 = "-1 2";
    deck.rec16 = "1\n-5";
    deck.rec17 = "1\n-3";
    deck.rec18 = "1\n0.5 0.6";
    const auto s = readDeck(deck.text(), "0 -4\n");
    EXPECT_EQ(s->input.tzOutputDepthCount, 0);
    EXPECT_EQ(s->input.areaRowCount, 0);
    EXPECT_EQ(s->input.areaOption, 2);
    EXPECT_EQ(s->input.tzModifierRowsRead, 0);
    EXPECT_EQ(s->input.tipMovementCount, 0);
    EXPECT_DOUBLE_EQ(s->input.tipCurveLoadFactor, 0.5);
    EXPECT_EQ(s->input.cptSounding.cptPointCount, 0);
}

TEST(InputDataReader, NothingAfterRecord18IsRead) {
    Deck deck;
    deck.rec18 = "0\nthis is not part of the input\n1 2 3";
    EXPECT_NO_THROW(readDeck(deck.text()));
}

TEST(InputDataReader, CountsAtTheCapacityOfTheirTablesAreRead) {
    Deck deck;
    std::string rows;
    for (int i = 1; i <= 100; ++i) rows += "\n" + std::to_string(i) + " 1 1";
    deck.rec16 = "1\n100" + rows;
    const auto s = readDeck(deck.text());
    EXPECT_EQ(s->input.tzModifierRowsRead, 100);
    EXPECT_DOUBLE_EQ(s->input.tzModifierTable[100].depth, 100.0);
}

TEST(CptFileReader, ReadsTheHeaderAndTheRows) {
    const auto s = readDeck(Deck().text(), "7 3\n0 0\n1.5, 2000\n3 4500 extra\n");
    const CptSounding& c = s->input.cptSounding;
    EXPECT_EQ(c.cptHeader, 7);
    EXPECT_EQ(c.cptPointCount, 3);
    EXPECT_DOUBLE_EQ(c.cptDepth[2], 1.5);
    EXPECT_DOUBLE_EQ(c.cptQc[2], 2000.0);  // as read, psf
    EXPECT_DOUBLE_EQ(c.cptQc[3], 4500.0);
}

}  // namespace
}  // namespace vorta::test
