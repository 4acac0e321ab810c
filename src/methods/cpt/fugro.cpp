// Fugro method (code 7): unit skin friction in sand directly from qc, the effective stress and
// the height above the tip, separately for compression and tension; in clay the radial-stress
// rule of ICP/MTD. End bearing in sand from qc and the area ratio of the end.
#include <algorithm>
#include <cmath>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// The soil's share of the sand friction at each node: the coefficient of the height term, for
// compression or for tension.
ShaftFriction fugroSandSegment(AnalysisState& s, int segment, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    const double pa = cpt::shaftAtmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::shaftConeFactor(in.unitSystem), &sounding);
    const bool tension = in.loadingType == 1;
    auto atNode = [&](int node) {
        const double stressRatio = s.nodeEffStress[node] / pa;
        if (tension) return sp(0.045) * qc * std::pow(stressRatio, sp(0.15));
        return sp(0.08) * qc * std::pow(stressRatio, sp(0.05));
    };
    ShaftFriction f;
    f.rule = ShaftFriction::Rule::FugroSand;
    f.top = atNode(2 * segment - 1);
    f.bottom = atNode(2 * segment);
    return f;
}

}  // namespace

void fugroMethod(AnalysisState& s) {
    const cpt::ShaftContext context = cpt::shaftContext(s, kCodeFugro);
    const int segments = cpt::segmentsToWalk(s);
    CptSoundingCursor sounding(s.input.cptSounding);
    for (int i = 1; i <= segments; ++i) {
        s.segShaftFriction[i] =
            cpt::isSandSegment(s, i) ? fugroSandSegment(s, i, sounding) : cpt::clayRadialStressFriction(s, i);
    }
    cpt::applyShaftFriction(s, context, segments, s.input.pileLength);
    cpt::integrateRows(s);
}

// Sand: 8.5 pa sqrt(qc / pa) times the fourth root of the area ratio of the end; the plug
// condition does not enter.
double fugroUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    const double pa = atmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem), sounding);
    const double ratio = cpt::endInsideDiameter(in) / in.outsideDiameter;
    const double areaRatio = 1.0 - ratio * ratio;
    const double q = sp(8.5) * pa * std::sqrt(qc / pa) * std::pow(areaRatio, 0.25);
    return cpt::limitedByMaxUnitBearing(s, segment, q);
}

}  // namespace vorta
