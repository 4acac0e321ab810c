// FHWA method: Nordlund friction in sand, Tomlinson adhesion in clay, and the rows that follow.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "support/test_support.h"

namespace vorta {
namespace {

constexpr double kRel = 1.0e-6;  // the charts hold single-precision decimals

// A vertical pile on a grid of one-foot segments (one-metre in SI); every segment sand with the
// given friction angle, no limits, LRFD factors of 1.
std::unique_ptr<AnalysisState> sandGrid(int segments, double phi, int unitSystem = kEnglish) {
    auto s = test::newState();
    InputData& in = s->input;
    in.unitSystem = unitSystem;
    in.outsideDiameter = unitSystem == kEnglish ? 12.0 : 300.0;
    in.pileType = 1;
    in.lengthIncrement = 1.0;
    in.pileLength = segments - 2;
    s->depthIncrement = 1.0;
    s->segmentCount = segments;
    s->rowCount = static_cast<int>(in.pileLength / in.lengthIncrement + sp(1.0e-6)) + 1;
    for (int i = 1; i <= segments; ++i) {
        s->segTopDepth[i] = i - 1;
        s->segBottomDepth[i] = i;
        s->segSoilType[i] = 1.0;
        s->segFrictionAngle[i] = phi;
        s->segMaxUnitFriction[i] = kNoLimit;
        s->segLrfdFrictionFactor[i] = 1.0;
        s->segLrfdBearingFactor[i] = 1.0;
        s->nodeEffStress[2 * i - 1] = 0.1 * (i - 1);
        s->nodeEffStress[2 * i] = 0.1 * i;
    }
    return s;
}

// Unit friction of the top node of segment 2 with the given effective stress.
double frictionAtSecondSegmentTop(AnalysisState& s, double stress) {
    s.nodeEffStress[3] = stress;
    computeFhwaMethod(s);
    return s.nodeSkinFriction[3];
}

TEST(FhwaNordlund, AngleBelowTwentyFiveUsesTheTwentyFiveDegreeChartUnchanged) {
    // V = 0.5 ft3/ft from the tip area; pipe pile: delta/phi = 0.410 + 0.066 * 0.1 / 0.12 = 0.465;
    // C-F at 22 degrees: 0.80 + 0.09 * 0.065 / 0.2 = 0.82925; K-delta of the 25-degree chart at
    // V 0.5: 0.70 + 0.15 * 0.4 / 0.9 = 0.766667; f = K C-F sigma' sin(0.465 * 22) with sigma' 2.
    auto english = sandGrid(6, 22.0);
    english->input.tipArea = 0.5;
    EXPECT_NEAR(frictionAtSecondSegmentTop(*english, 2.0), 0.2258213, 0.2258213 * kRel);

    // The same volume in SI: tip area 0.5 * 0.0929 m2 reads the charts at V 0.5.
    auto si = sandGrid(6, 22.0, kSi);
    si->input.tipArea = 0.5 * sp(0.0929);
    EXPECT_NEAR(frictionAtSecondSegmentTop(*si, 2.0), 0.2258213, 0.2258213 * kRel);
}

TEST(FhwaNordlund, AngleOfThirtySevenAndAHalfTakesTheMeanOfTheThirtyFiveAndFortyCharts) {
    // V 1.0: delta/phi 0.652; K-delta (1.75 + 3.00) / 2 = 2.375; C-F between the 0.6 curve
    // (0.72625 at 37.5) and the 0.8 curve (0.9025): 0.772075; f = 2.375 * 0.772075 * sin(24.45).
    auto s = sandGrid(6, 37.5);
    s->input.tipArea = 1.0;
    EXPECT_NEAR(frictionAtSecondSegmentTop(*s, 1.0), 0.7589573, 0.7589573 * kRel);
}

TEST(FhwaNordlund, AngleOfFortyUsesTheFortyDegreeChart) {
    // K-delta 3.00; C-F between 0.69 and 0.885: 0.7407; f = 3 * 0.7407 * sin(0.652 * 40).
    auto s = sandGrid(6, 40.0);
    s->input.tipArea = 1.0;
    EXPECT_NEAR(frictionAtSecondSegmentTop(*s, 1.0), 0.9768919, 0.9768919 * kRel);
}

TEST(FhwaNordlund, SiLastBandEndsJustBelowForty) {
    // phi 39.99999 lies beyond the SI band end 39.9999885559082, so SI reads the 40-degree chart
    // (K 3.0) where English still blends: 1.75 + 1.25 * 4.99999 / 5 = 2.9999975.
    const double phi = 39.99999;
    auto english = sandGrid(6, phi);
    english->input.tipArea = 1.0;
    auto si = sandGrid(6, phi, kSi);
    si->input.tipArea = sp(0.0929);
    const double fEnglish = frictionAtSecondSegmentTop(*english, 1.0);
    const double fSi = frictionAtSecondSegmentTop(*si, 1.0);
    EXPECT_NEAR(fSi / fEnglish, 3.0 / 2.9999975, 1.0e-9);
}

TEST(FhwaNordlund, TaperAddsToTheWallAngleAndDividesByItsCosine) {
    // Uniform taper pile (type 5), solid 12 in: V = 0.7853975; taper 0.5 degree. delta/phi =
    // 0.925 + 0.069 * 0.1853975 / 0.2 = 0.988962; K-delta of the 30-degree chart at omega 0.5:
    // 2.56 + 0.368 * 0.6853975 / 0.9 = 2.840251; C-F 0.94 + 0.06 * 0.188962 / 0.2 = 0.996689;
    // f = K C-F sin(29.66886 + 0.5) / cos(0.5).
    auto s = sandGrid(6, 30.0);
    s->input.pileType = 5;
    s->input.taperAngle = 0.5;
    EXPECT_NEAR(frictionAtSecondSegmentTop(*s, 1.0), 1.4226961, 1.4226961 * kRel);
}

TEST(FhwaNordlund, RatioOfOnePointTwoSevenTakesTheCorrectionOfTheOnePointFourCurve) {
    // Uniform taper pile with V 3.0 ft3/ft: delta/phi 1.270 (beyond the chart); C-F 1.06 at 30;
    // K-delta 1.15 + 0.30 * 2 / 9 = 1.216667; f = 1.216667 * 1.06 * sin(38.1).
    auto s = sandGrid(6, 30.0);
    s->input.pileType = 5;
    s->input.tipArea = 3.0;
    EXPECT_NEAR(frictionAtSecondSegmentTop(*s, 1.0), 0.7957704, 0.7957704 * kRel);
}

TEST(FhwaNordlund, BothNodesAndThePlugFrictionGetTheNordlundValue) {
    auto s = sandGrid(6, 30.0);
    s->nodeEffStress[5] = 1.0;
    s->nodeEffStress[6] = 3.0;
    computeFhwaMethod(*s);
    EXPECT_GT(s->nodeSkinFriction[5], 0.0);
    EXPECT_NEAR(s->nodeSkinFriction[6], 3.0 * s->nodeSkinFriction[5], 1.0e-12);
    EXPECT_EQ(s->methodUnitFriction(5, kCodeFhwa), s->nodeSkinFriction[5]);
    EXPECT_EQ(s->methodUnitFriction(6, kCodeFhwa), s->nodeSkinFriction[6]);
}

TEST(FhwaNordlund, PluggedRowDisplacesTheFullSection) {
    // An open pipe whose row at the top of segment 2 is plugged (indicator 1) reads the charts
    // with the full section, as a closed pipe does.
    auto open = sandGrid(6, 32.0);
    open->input.outsideDiameter = 24.0;
    open->input.insideDiameter = 22.0;
    open->rowTipFlag(kCodeFhwa, 2) = 1;
    auto closed = sandGrid(6, 32.0);
    closed->input.outsideDiameter = 24.0;
    const double fOpen = frictionAtSecondSegmentTop(*open, 1.0);
    const double fClosed = frictionAtSecondSegmentTop(*closed, 1.0);
    EXPECT_DOUBLE_EQ(fOpen, fClosed);

    // Without the indicator the annulus (0.50 ft3/ft) gives a smaller wall angle.
    auto annulus = sandGrid(6, 32.0);
    annulus->input.outsideDiameter = 24.0;
    annulus->input.insideDiameter = 22.0;
    EXPECT_LT(frictionAtSecondSegmentTop(*annulus, 1.0), fClosed);
}

TEST(FhwaNordlund, PlugFrictionIndicatorTakesTheAnnulusInEnglishOnly) {
    // English: indicator 2 replaces a given tip area by the annulus.
    auto english = sandGrid(6, 32.0);
    english->input.outsideDiameter = 24.0;
    english->input.insideDiameter = 22.0;
    english->input.tipArea = 3.0;
    english->rowTipFlag(kCodeFhwa, 2) = 2;
    auto englishAnnulus = sandGrid(6, 32.0);
    englishAnnulus->input.outsideDiameter = 24.0;
    englishAnnulus->input.insideDiameter = 22.0;
    EXPECT_DOUBLE_EQ(frictionAtSecondSegmentTop(*english, 1.0), frictionAtSecondSegmentTop(*englishAnnulus, 1.0));

    // SI: the indicator leaves the tip area in place.
    auto si = sandGrid(6, 32.0, kSi);
    si->input.outsideDiameter = 600.0;
    si->input.insideDiameter = 550.0;
    si->input.tipArea = 0.3;
    si->rowTipFlag(kCodeFhwa, 2) = 2;
    auto siTipArea = sandGrid(6, 32.0, kSi);
    siTipArea->input.outsideDiameter = 600.0;
    siTipArea->input.insideDiameter = 550.0;
    siTipArea->input.tipArea = 0.3;
    EXPECT_DOUBLE_EQ(frictionAtSecondSegmentTop(*si, 1.0), frictionAtSecondSegmentTop(*siTipArea, 1.0));
}

TEST(FhwaNordlund, HPileKeepsItsTipAreaOverAPluggedRow) {
    auto hPile = sandGrid(6, 32.0);
    hPile->input.pileType = 6;
    hPile->input.tipArea = 0.2;
    hPile->rowTipFlag(kCodeFhwa, 2) = 1;
    auto reference = sandGrid(6, 32.0);
    reference->input.pileType = 6;
    reference->input.tipArea = 0.2;
    EXPECT_DOUBLE_EQ(frictionAtSecondSegmentTop(*hPile, 1.0), frictionAtSecondSegmentTop(*reference, 1.0));
}

// ---- Tomlinson ----

// Soil points of layers given as (top, bottom, type) pairs.
void setLayers(AnalysisState& s, std::initializer_list<std::array<double, 3>> layers) {
    int p = 0;
    for (const auto& layer : layers) {
        for (int end = 0; end < 2; ++end) {
            ++p;
            s.input.soilPoints[p].depth = layer[end];
            s.input.soilPoints[p].column[kColSoilType] = layer[2];
        }
    }
    s.input.soilPointCount = p;
}

// A 30 ft pile, 12 in diameter, on 40 one-foot segments: sand above `clayTop`, clay of strength
// su (ksf) below.
std::unique_ptr<AnalysisState> sandOverClay(int clayTopSegment, double su) {
    auto s = sandGrid(40, 30.0);
    s->input.pileLength = 30.0;
    s->rowCount = 31;
    for (int i = clayTopSegment; i <= 40; ++i) {
        s->segSoilType[i] = 2.0;
        s->segShearStrength[i] = su;
        s->segRemoldedStrength[i] = su / 2.0;
    }
    setLayers(*s, {{0.0, clayTopSegment - 1.0, 1.0}, {clayTopSegment - 1.0, 40.0, 2.0}});
    return s;
}

TEST(FhwaTomlinson, ClayBelowSandIsCaseOne) {
    // Segment 2 (bottom 2 ft) lies in the clay from 1 to 40 ft: b = (0 - 1 + min(40, 30)) / 1 = 29;
    // case 1 at su 2.0: 0.68 + (40 - 29) * (0.95 - 0.68) / 20 = 0.8285.
    auto s = sandOverClay(2, 2.0);
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[3], 0.8285 * 2.0, 1.0e-6);
    EXPECT_NEAR(s->nodeSkinFriction[4], 0.8285 * 2.0, 1.0e-6);
    EXPECT_NEAR(s->methodUnitFriction(3, kCodeFhwa), 0.8285 * 1.0, 1.0e-6);
}

TEST(FhwaTomlinson, CaseFollowsTheStrengthOfTheClayAbove) {
    // Segment 1 clay of su 0.79 or 0.80 ksf, segment 2 clay of su 2.0 in one clay layer 0..40:
    // b = (0 - 0 + 30) / 1 = 30. Soft clay above: case 2 from 20: 0.675. Stiff: case 3 at b 30:
    // 0.688 + 20 * (0.9 - 0.688) / 30 = 0.829333. The threshold is the engine's 0.8
    // (0.800000011920929): 800 psf read from a file is 0.8 exactly, just below it, and is case 2.
    for (const double above : {0.79, 0.8, sp(0.8)}) {
        auto s = sandOverClay(1, 2.0);
        s->segShearStrength[1] = above;
        computeFhwaMethod(*s);
        const double alpha = above < sp(0.8) ? 0.675 : 0.688 + 20.0 * (0.9 - 0.688) / 30.0;
        EXPECT_NEAR(s->nodeSkinFriction[3], alpha * 2.0, 1.0e-6) << "su above " << above;
    }
}

TEST(FhwaTomlinson, SiStrengthOfTheClayAboveIsComparedInKsf) {
    // 0.8 ksf is 38.304 kPa: 38.0 kPa above gives case 2, 38.4 kPa case 3. su 95.76 kPa = 2.0 ksf.
    for (const double above : {38.0, 38.4}) {
        auto s = sandOverClay(1, 95.76);
        s->input.unitSystem = kSi;
        s->input.outsideDiameter = 1000.0;
        s->segShearStrength[1] = above;
        computeFhwaMethod(*s);
        const double alpha = above < 38.304 ? 0.675 : 0.688 + 20.0 * (0.9 - 0.688) / 30.0;
        EXPECT_NEAR(s->nodeSkinFriction[3], alpha * 95.76, 1.0e-4) << "su above " << above;
    }
}

TEST(FhwaTomlinson, CaseHoldsForTheClayBelowUntilASandResetsIt) {
    // Clay under sand at segment 2 is case 1; segment 3 keeps case 1 although the clay above it
    // is stiff. After a sand at segment 5 the clay of segment 6 starts again from its own cover.
    auto s = sandOverClay(2, 2.0);
    s->segSoilType[5] = 1.0;
    computeFhwaMethod(*s);
    // Segment 3: b = 29 again (same layer), case 1.
    EXPECT_NEAR(s->nodeSkinFriction[5], 0.8285 * 2.0, 1.0e-6);
    // Segment 6: sand above, case 1 again.
    EXPECT_NEAR(s->nodeSkinFriction[11], 0.8285 * 2.0, 1.0e-6);
}

TEST(FhwaTomlinson, UserCaseTakesItsIntegerPart) {
    // A user case of 2.7 selects case 2 under the sand: 0.675 at su 2.0 for b 29.
    auto s = sandOverClay(2, 2.0);
    s->segAdhesionCase[2] = 2.7;
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[3], 0.675 * 2.0, 1.0e-6);
    // The user's case then holds for the clay below.
    EXPECT_NEAR(s->nodeSkinFriction[5], 0.675 * 2.0, 1.0e-6);
}

TEST(FhwaTomlinson, UserCaseOutsideOneToThreeLetsTheMethodChoose) {
    // A user value of 5 is no case: the method keeps its own choice (case 1 under sand) instead
    // of the alpha last computed.
    auto s = sandOverClay(2, 2.0);
    s->segAdhesionCase[2] = 5.0;
    s->fhwaAlpha = 0.3;
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[3], 0.8285 * 2.0, 1.0e-6);
    EXPECT_NEAR(s->nodeSkinFriction[5], 0.8285 * 2.0, 1.0e-6);
}

TEST(FhwaTomlinson, FewerThanThreeSegmentsKeepTheLastAlphaOfTheRun) {
    // Two clay segments and no user case: no case is chosen, so the adhesion factor last computed
    // in the run (0.6 here) stands for both.
    auto s = sandGrid(2, 30.0);
    s->input.pileLength = 1.0;
    s->rowCount = 2;
    for (int i = 1; i <= 2; ++i) {
        s->segSoilType[i] = 2.0;
        s->segShearStrength[i] = 1.5;
        s->segRemoldedStrength[i] = 1.0;
    }
    setLayers(*s, {{0.0, 2.0, 2.0}});
    s->fhwaAlpha = 0.6;
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[1], 0.9, 1.0e-12);
    EXPECT_NEAR(s->nodeSkinFriction[4], 0.9, 1.0e-12);
    EXPECT_NEAR(s->methodUnitFriction(4, kCodeFhwa), 0.6, 1.0e-12);

    // A fresh run starts from 0.
    auto fresh = sandGrid(2, 30.0);
    fresh->input.pileLength = 1.0;
    fresh->rowCount = 2;
    fresh->segSoilType[1] = fresh->segSoilType[2] = 2.0;
    fresh->segShearStrength[1] = fresh->segShearStrength[2] = 1.5;
    setLayers(*fresh, {{0.0, 2.0, 2.0}});
    computeFhwaMethod(*fresh);
    EXPECT_EQ(fresh->nodeSkinFriction[1], 0.0);
}

TEST(FhwaTomlinson, ThicknessOfALayerWhoseBottomASegmentApproachesIsAddedToThePenetration) {
    // Sand 0..1, clay 1..3.5, clay 3.5..20; su 2.0. Segment 3 (bottom 3) is within 0.95 of the
    // bottom of its layer, so S = 2.5. Segment 4 lies in the second clay: b = (2.5 - 3.5 + 20) / 1
    // = 19, case 1 (held from segment 2): 0.95 + 1 * 0.05 / 10 = 0.955. Without S it would be
    // b = 16.5 and 0.9675.
    auto s = sandOverClay(2, 2.0);
    setLayers(*s, {{0.0, 1.0, 1.0}, {1.0, 3.5, 2.0}, {3.5, 20.0, 2.0}});
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[3], 2.0, 1.0e-9);   // segment 2: b = 2.5, alpha 1
    EXPECT_NEAR(s->nodeSkinFriction[5], 2.0, 1.0e-9);   // segment 3: b = 2.5 - 1 + 3.5 = 5
    EXPECT_NEAR(s->nodeSkinFriction[7], 0.955 * 2.0, 1.0e-6);
}

TEST(FhwaTomlinson, TaperNarrowsTheMeanDiameterOfThePenetrationRatio) {
    // Segment 2 in clay 1..40 of a pile tapered so that tan(omega) (1 + 40) = 0.5 ft: Davg = 0.5,
    // b = 29 / 0.5 = 58, case 1 from 40: 0.68.
    auto s = sandOverClay(2, 2.0);
    s->input.taperAngle = std::atan(0.5 / 41.0) / sp(0.01745);
    computeFhwaMethod(*s);
    EXPECT_NEAR(s->nodeSkinFriction[3], 0.68 * 2.0, 1.0e-6);
}

// ---- rows ----

TEST(FhwaRows, RowsFollowTheNodeValuesAndAccumulateOverThePerimeter) {
    // Uniform node friction (phi 30 at a stress held constant) makes every interval add
    // f * 1 ft * pi * 1 ft.
    auto s = sandGrid(8, 30.0);
    for (int n = 1; n <= 16; ++n) s->nodeEffStress[n] = 1.0;
    computeFhwaMethod(*s);
    const double f = s->nodeSkinFriction[1];
    ASSERT_GT(f, 0.0);
    EXPECT_EQ(s->rowCount, 7);
    for (int k = 1; k <= 7; ++k) EXPECT_NEAR(s->rowUnitFriction[k], f, 1.0e-12);
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_NEAR(s->rowSkinFriction[7], 6.0 * f * sp(3.14159), 1.0e-9);
    EXPECT_NEAR(s->methodColumns[kCodeFhwa].rowSkinFriction[7], s->rowSkinFriction[7], 0.0);
    EXPECT_NEAR(s->methodColumns[kCodeFhwa].rowUnitFriction[4], f, 0.0);
}

TEST(FhwaRows, RowsAboveTheZeroFrictionLengthCarryNoFriction) {
    auto s = sandGrid(8, 30.0);
    for (int n = 1; n <= 16; ++n) s->nodeEffStress[n] = 1.0;
    s->input.zeroFrictionLength = 2.0;
    computeFhwaMethod(*s);
    const double f = s->nodeSkinFriction[1];
    EXPECT_EQ(s->rowUnitFriction[1], 0.0);
    EXPECT_EQ(s->rowUnitFriction[2], 0.0);
    EXPECT_NEAR(s->rowUnitFriction[3], f, 1.0e-12);  // at the zero-friction length itself
    EXPECT_EQ(s->rowSkinFriction[2], 0.0);
    // The first interval below averages the zero of row 2 with row 3.
    EXPECT_NEAR(s->rowSkinFriction[3], 0.5 * f * sp(3.14159), 1.0e-9);
}

TEST(FhwaRows, TensionReducesTheRowFrictionAndTheSkinFriction) {
    auto compression = sandGrid(8, 30.0);
    auto tension = sandGrid(8, 30.0);
    tension->input.loadingType = 1;
    tension->input.tensionReductionFactor = sp(0.7);
    computeFhwaMethod(*compression);
    computeFhwaMethod(*tension);
    // The stresses grow from 0 at the surface, so row 1 has no friction either way.
    for (int k = 2; k <= 7; ++k) {
        EXPECT_NEAR(tension->rowUnitFriction[k], sp(0.7) * compression->rowUnitFriction[k], 1.0e-12);
        EXPECT_NEAR(tension->rowSkinFriction[k], sp(0.7) * compression->rowSkinFriction[k], 1.0e-12);
    }
}

TEST(FhwaRows, OneRowGivesRowFrictionAndNoSkinFriction) {
    auto s = sandGrid(3, 30.0);
    s->input.pileLength = 0.0;
    s->rowCount = 1;
    s->rowSkinFriction[1] = 7.0;
    s->rowSkinFriction[2] = 7.0;
    for (int n = 1; n <= 6; ++n) s->nodeEffStress[n] = 1.0;
    computeFhwaMethod(*s);
    EXPECT_GT(s->rowUnitFriction[1], 0.0);
    EXPECT_EQ(s->rowSkinFriction[1], 0.0);
    EXPECT_EQ(s->rowFactoredSkinFriction[1], 0.0);
    EXPECT_EQ(s->rowSkinFriction[2], 7.0);  // no second row is written
}

TEST(FhwaRows, TaperedPileUsesThePerimeterAtTheBottomOfEachInterval) {
    // Node friction held at f; taper with 2 tan(omega) = 0.01 per ft, stickup 2 ft: the interval
    // from row 1 to row 2 has P = 3.14159 (1 - 0.01 * (2 + 1)).
    auto s = sandGrid(8, 30.0);
    for (int n = 1; n <= 16; ++n) s->nodeEffStress[n] = 1.0;
    s->input.pileType = 5;
    s->input.taperAngle = std::atan(0.005) / sp(0.01745);
    s->input.stickupLength = 2.0;
    computeFhwaMethod(*s);
    const double f = s->rowUnitFriction[1];
    const double tanOmega = std::tan(s->input.taperAngle * sp(0.01745));
    const double p2 = sp(3.14159) * (1.0 - 2.0 * tanOmega * 3.0);
    const double p3 = sp(3.14159) * (1.0 - 2.0 * tanOmega * 4.0);
    EXPECT_NEAR(p2, sp(3.14159) * 0.97, 1.0e-9);
    EXPECT_NEAR(s->rowSkinFriction[2], f * p2, 1.0e-9);
    EXPECT_NEAR(s->rowSkinFriction[3], f * (p2 + p3), 1.0e-9);
}

}  // namespace
}  // namespace vorta
