// Thin soil intervals, the number of pile segments and the division of the soil column into
// segments of one length increment, each carrying the soil properties at its mid-depth.
#include <algorithm>
#include <cmath>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {
namespace {

// A count from a quotient of input values, held within the range of an int before truncation.
int truncateCount(double value) {
    if (!(value < 1.0e9)) return 1000000000;
    if (value < -1.0e9) return -1000000000;
    return static_cast<int>(value);
}

// Whether a value chooses one of the three adhesion cases of the FHWA method by its integer part.
bool isAdhesionCase(double value) {
    const double whole = std::trunc(value);
    return whole == 1.0 || whole == 2.0 || whole == 3.0;
}

}  // namespace

int penetrationRows(double embeddedLength, double lengthIncrement) {
    return truncateCount(embeddedLength / lengthIncrement + sp(1.0e-6)) + 1;
}

void adjustThinIntervals(AnalysisState& s) {
    InputData& d = s.input;
    for (int i = 1; i < d.soilPointCount; ++i) {
        const double gap = d.soilPoints[i + 1].depth - d.soilPoints[i].depth;
        if (gap < 0.5 * d.lengthIncrement) {
            // Too thin to hold a segment: the interval collapses into a step.
            d.soilPoints[i + 1].depth = d.soilPoints[i].depth;
        } else if (gap < d.lengthIncrement) {
            d.soilPoints[i + 1].depth = d.soilPoints[i].depth + d.lengthIncrement;
        }
    }
}

int segmentCountFor(const InputData& d, int rows) {
    int count = truncateCount(d.deepestSoilDepth / d.lengthIncrement + sp(1.0e-6));

    // The grid must reach one and a half diameters below the tip of the deepest row, where the
    // end bearing of that row is averaged; a battered pile or a coarse increment can leave it short.
    const double depthIncrement = d.lengthIncrement * std::cos(d.batterAngle);
    const double diameter = d.outsideDiameter / smallLengthPerLength(d.unitSystem);
    const double tipZoneBottom = (rows - 1) * depthIncrement + 1.5 * diameter;
    if (depthIncrement > 0.0 && count * depthIncrement < tipZoneBottom - sp(1.0e-6)) {
        count = truncateCount(std::ceil((tipZoneBottom - sp(1.0e-6)) / depthIncrement));
    }
    return count;
}

bool countSegments(AnalysisState& s) {
    const InputData& d = s.input;
    s.segmentCount = segmentCountFor(d, penetrationRows(d.pileLength, d.lengthIncrement));

    return s.segmentCount <= static_cast<int>(kMaxSegments);
}

void computeDepthIncrement(AnalysisState& s) { s.depthIncrement = s.input.lengthIncrement * std::cos(s.input.batterAngle); }

void segmentPile(AnalysisState& s) {
    const InputData& d = s.input;
    const int lastInterval = d.soilPointCount - 1;
    const int segments = std::min(s.segmentCount, static_cast<int>(kMaxSegments));
    int j = 1;
    double top = 0.0;
    for (int c = 1; c <= segments && lastInterval >= 1; ++c) {
        if (c > 1) top = s.segBottomDepth[c - 1];
        // The interval from soil point j to j + 1 that holds the segment; below the last soil
        // point the last interval is kept and its values are extrapolated.
        while (j < lastInterval && d.soilPoints[j + 1].depth - top <= sp(1.0e-6)) ++j;
        const SoilPoint& upper = d.soilPoints[j];
        const SoilPoint& lower = d.soilPoints[j + 1];

        s.segTopDepth[c] = top;
        s.segBottomDepth[c] = top + s.depthIncrement;
        const double mid = top + 0.5 * s.depthIncrement;
        s.segSoilType[c] = upper.column[kColSoilType];

        // Linear in depth at the mid-depth; an interval of no thickness (a step left at the
        // bottom of the profile) holds the values of its lower point.
        const double thickness = lower.depth - upper.depth;
        auto at = [&](int col) {
            if (thickness == 0.0) return lower.column[col];
            return upper.column[col] + (lower.column[col] - upper.column[col]) / thickness * (mid - upper.depth);
        };
        // Past the ends of its interval (a segment whose mid-depth lies below the interval's
        // bottom, or above a first soil point below the surface) the line is extended; a property
        // that has no meaning below zero stops at zero there instead of turning negative.
        auto atLeastZero = [&](int col) { return std::max(0.0, at(col)); };
        auto atAsRead17 = [&]() {
            const double v1 = d.tzParam1AsRead[j];
            const double v2 = d.tzParam1AsRead[j + 1];
            if (thickness == 0.0) return v2;
            return v1 + (v2 - v1) / thickness * (mid - upper.depth);
        };

        const double lateralK = atLeastZero(kColLateralK);
        s.segLateralK[c] = lateralK == 0.0 ? sp(0.8) : lateralK;
        s.segEffUnitWeight[c] = atLeastZero(kColEffUnitWeight);
        s.segFrictionAngle[c] = atLeastZero(kColFrictionAngle);
        s.segNq[c] = atLeastZero(kColBearingFactorNq);
        s.segMaxUnitFriction[c] = atLeastZero(kColMaxUnitFriction);
        s.segMaxUnitBearing[c] = atLeastZero(kColMaxUnitBearing);
        s.segShearStrength[c] = atLeastZero(kColShearStrength);
        s.segRemoldedStrength[c] = atLeastZero(kColRemoldedStrength);
        s.segYieldStressRatio[c] = atLeastZero(kColBlowCountOrYsr);
        s.segPlasticityIndex[c] = at(kColPlasticityIndex);
        s.segQc[c] = atLeastZero(kColPointQc);

        // The user's unit values, scaled by the tension reduction factor in tension only, and in
        // ksf in English units.
        const double tensionFactor = d.loadingType == 1 ? d.tensionReductionFactor : 1.0;
        double userFriction = at(kColUserUnitFriction) * tensionFactor;
        double userBearing = at(kColUserUnitBearing) * tensionFactor;
        if (d.unitSystem == kEnglish) {
            userFriction = userFriction / 1000.0;
            userBearing = userBearing / 1000.0;
        }
        s.segUserUnitFriction[c] = userFriction;
        s.segUserUnitBearing[c] = userBearing;

        s.segLrfdFrictionFactor[c] = atLeastZero(kColLrfdFrictionFactor);
        s.segLrfdBearingFactor[c] = atLeastZero(kColLrfdBearingFactor);
        // The adhesion case is the integer part of the column as the user wrote it (1, 2 or 3); an SI
        // input data file may also write the case in thousands (3000 for case 3), the column that
        // the t-z parameter reads in metres. The t-z parameter is in metres in SI.
        s.segTzParam1[c] = at(kColTzParam1);
        s.segAdhesionCase[c] = atAsRead17();
        if (d.unitSystem == kSi && isAdhesionCase(s.segTzParam1[c])) s.segAdhesionCase[c] = s.segTzParam1[c];
        s.segTzParam2[c] = at(kColTzParam2);
    }

    s.rowCount = penetrationRows(d.pileLength, d.lengthIncrement);

    // Under the effective-stress rule the node preparation looks for the critical depth afresh.
    if (d.criticalDepthMethod == 1) s.input.criticalDepth = 0.0;
}

}  // namespace vorta
