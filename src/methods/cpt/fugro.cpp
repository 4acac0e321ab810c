// Fugro method (code 7): unit skin friction in sand directly from qc, the effective stress and
// the height above the tip, separately for compression and tension; in clay the radial-stress
// rule of ICP/MTD. End bearing in sand from qc and the area ratio of the end.
#include <algorithm>
#include <cmath>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// Equivalent radius of the end, R sqrt(1 - (Di / D)^2), in or mm; the radius of a closed end.
double fugroEquivalentRadius(const InputData& in) {
    const double ratio = cpt::endInsideDiameter(in) / in.outsideDiameter;
    return in.outsideDiameter / 2.0 * std::sqrt(1.0 - ratio * ratio);
}

void fugroSandSegment(AnalysisState& s, int segment, double equivalentRadius) {
    const InputData& in = s.input;
    const double pa = cpt::shaftAtmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::shaftConeFactor(in.unitSystem));

    // Height above the tip in equivalent radii, not clamped.
    const double height = std::max(cpt::heightAboveTip(s, segment) * smallLengthPerLength(in.unitSystem), sp(1.0e-5));
    const double r = height / equivalentRadius;
    const bool tension = in.loadingType == 1;

    auto atNode = [&](int node) {
        const double stressRatio = s.nodeEffStress[node] / pa;
        if (tension) return sp(0.045) * qc * std::pow(stressRatio, sp(0.15)) * std::pow(std::max(r, 4.0), -sp(0.85));
        // Within four equivalent radii of the tip the friction falls off linearly towards it from
        // its value at four radii (the height term is held at r = 4 there, not left to grow).
        const double heightTerm = std::pow(r <= 4.0 ? 4.0 : r, -sp(0.9));
        double f = sp(0.08) * qc * std::pow(stressRatio, sp(0.05)) * heightTerm;
        if (r <= 4.0) f = f * (r / 4.0);
        return f;
    };
    const double top = atNode(2 * segment - 1);
    const double bottom = atNode(2 * segment);
    cpt::storeNodeFriction(s, segment, kCodeFugro, top, bottom, top, bottom);
}

}  // namespace

void fugroMethod(AnalysisState& s) {
    const double equivalentRadius = fugroEquivalentRadius(s.input);
    const int segments = cpt::segmentsToWalk(s);
    for (int i = 1; i <= segments; ++i) {
        if (cpt::isSandSegment(s, i)) {
            fugroSandSegment(s, i, equivalentRadius);
        } else {
            cpt::clayRadialStressFriction(s, i, kCodeFugro, equivalentRadius);
        }
    }
    cpt::integrateRows(s);
}

// Sand: 8.5 pa sqrt(qc / pa) times the fourth root of the area ratio of the end; the plug
// condition does not enter.
double fugroUnitEndBearing(const AnalysisState& s, int segment) {
    const InputData& in = s.input;
    const double pa = atmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem));
    const double ratio = cpt::endInsideDiameter(in) / in.outsideDiameter;
    const double areaRatio = 1.0 - ratio * ratio;
    const double q = sp(8.5) * pa * std::sqrt(qc / pa) * std::pow(areaRatio, 0.25);
    return cpt::limitedByMaxUnitBearing(s, segment, q);
}

}  // namespace vorta
