// API RP-2A method (method code 4): K sigma' tan(phi - 5) limited by the limiting unit friction
// of the wall friction angle in sand, alpha su with alpha from the strength ratio psi = su / sigma'
// in clay. The row column keeps the unlimited values; the limited ones go to a column of their own,
// which the load-settlement hand-over reads.
#include <algorithm>
#include <cmath>

#include "capacity/soil_tables.h"
#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/row_steps.h"

namespace vorta {
namespace {

// The maximum unit friction that marks a sand row for the API default below.
constexpr double kApiDefaultMarker = 9999.0;

// Default maximum unit friction of a sand row, by its friction angle (ksf or kPa).
double defaultSandMaximum(int unitSystem, double phi) {
    if (unitSystem == kEnglish) {
        if (phi <= 20.0) return 1.0;
        if (phi <= 25.0) return 1.0 + sp(0.4) * (phi - 20.0) / 5.0;
        if (phi <= 30.0) return sp(1.4) + sp(0.3) * (phi - 25.0) / 5.0;
        if (phi <= 35.0) return sp(1.7) + sp(0.3) * (phi - 30.0) / 5.0;
        if (phi <= 40.0) return 2.0 + sp(0.4) * (phi - 35.0) / 5.0;
        return sp(2.4);
    }
    if (phi <= 20.0) return sp(47.8);
    if (phi <= 25.0) return sp(47.8) + sp(19.2) * (phi - 20.0) / 5.0;
    if (phi <= 30.0) return 67.0 + sp(16.1) * (phi - 25.0) / 5.0;
    if (phi <= 35.0) return sp(83.1) + sp(12.4) * (phi - 30.0) / 5.0;
    if (phi <= 40.0) return 95.5 + sp(19.3) * (phi - 35.0) / 5.0;
    return sp(114.8);
}

// Adhesion factor of clay by the strength ratio psi.
double adhesionByStrengthRatio(double psi) {
    const double alpha = psi <= 1.0 ? 0.5 / std::pow(psi, 0.5) : 0.5 / std::pow(psi, 0.25);
    return std::min(alpha, 1.0);
}

}  // namespace

void computeApiMethod(AnalysisState& s) {
    const InputData& in = s.input;
    const int segments = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    const double limitScale = in.unitSystem == kEnglish ? 1.0 : sp(47.8);

    for (int i = 1; i <= segments; ++i) {
        const int top = 2 * i - 1;
        const int bottom = 2 * i;
        if (s.segSoilType[i] - 1.0 <= sp(1.0e-6)) {
            // Sand: K sigma' tan(delta), delta = phi - 5, limited by the chart of delta.
            const double delta = s.segFrictionAngle[i] - 5.0;
            const double tanDelta = std::tan(delta / sp(57.2958));
            const double limit = limitingFrictionForAngle(delta) * limitScale;
            s.nodeSkinFriction[top] = std::min(s.segLateralK[i] * s.nodeEffStress[top] * tanDelta, limit);
            s.nodeSkinFriction[bottom] = std::min(s.segLateralK[i] * s.nodeEffStress[bottom] * tanDelta, limit);
        } else {
            // Clay: the ratio psi at the bottom node serves both nodes; both floors keep psi
            // finite at zero stress, and the stress floor stays in the node.
            const double su = s.segShearStrength[i];
            s.nodeEffStress[bottom] = std::max(s.nodeEffStress[bottom], sp(1.0e-10));
            const double psi = std::max(su / s.nodeEffStress[bottom], sp(1.0e-10));
            const double f = adhesionByStrengthRatio(psi) * su;
            s.nodeSkinFriction[top] = f;
            s.nodeSkinFriction[bottom] = f;
        }
    }

    spreadNodeFrictionToRows(s);

    // A sand row whose maximum is the marker value gets the API default, and its segment keeps it
    // for the methods that follow.
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));
    for (int k = 1; k <= rows; ++k) {
        const int seg = segmentOfRow(s, k);
        double maximum = s.segMaxUnitFriction[seg];
        if (maximum == kApiDefaultMarker && s.segSoilType[seg] == 1.0) {
            maximum = defaultSandMaximum(in.unitSystem, s.segFrictionAngle[seg]);
            s.segMaxUnitFriction[seg] = maximum;
        }
        s.rowMaxUnitFriction[k] = maximum;
    }

    SkinFrictionRules rules;
    rules.perimeter = sp(3.14159) * (in.outsideDiameter / smallLengthPerLength(in.unitSystem));
    rules.followTaper = false;
    rules.tension = SkinFrictionRules::Tension::AllRows;
    rules.limitStoredRowValue = false;
    rules.fillLimitedColumn = true;
    rules.capAtRowMaxima = true;
    rules.lrfdSegmentOffset = 1;
    accumulateSkinFriction(s, rules);
}

}  // namespace vorta
