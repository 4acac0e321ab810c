#include "methods/cpt/cpt_common.h"

#include <algorithm>
#include <cmath>

#include "methods/conventional/row_steps.h"
#include "methods/cpt/cpt.h"

namespace vorta::cpt {

double endInsideDiameter(const InputData& in) {
    return in.tipClosure == 1 ? 0.0 : in.enhancedEndInsideDiameter;
}

double equivalentRadius(const InputData& in) {
    const double inside = endInsideDiameter(in);
    return std::sqrt((in.outsideDiameter * in.outsideDiameter - inside * inside) / 4.0);
}

bool isSandSegment(const AnalysisState& s, int segment) {
    return s.segSoilType[segment] - 1.0 <= sp(1.0e-6);
}

double heightAboveTip(const AnalysisState& s, int segment) {
    return s.input.pileLength - s.segTopDepth[segment];
}

double limitedByMaxUnitBearing(const AnalysisState& s, int segment, double q) {
    const double limit = s.segMaxUnitBearing[segment];
    if (limit != kNoLimit && limit > sp(0.001)) return std::min(q, limit);
    return q;
}

int segmentsToWalk(const AnalysisState& s) {
    return std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
}

void storeNodeFriction(AnalysisState& s, int segment, int code, double top, double bottom,
                       double plugTop, double plugBottom) {
    const int a = 2 * segment - 1;
    const int b = 2 * segment;
    s.nodeSkinFriction[a] = top;
    s.nodeSkinFriction[b] = bottom;
    s.methodUnitFriction(a, code) = plugTop;
    s.methodUnitFriction(b, code) = plugBottom;
}

void integrateRows(AnalysisState& s) {
    spreadNodeFrictionToRows(s);
    SkinFrictionRules rules;
    rules.perimeter = sp(3.14159) * s.input.outsideDiameter / smallLengthPerLength(s.input.unitSystem);
    rules.tension = SkinFrictionRules::Tension::None;
    rules.limitStoredRowValue = false;
    rules.fillLimitedColumn = false;
    rules.capAtRowMaxima = false;
    rules.lrfdSegmentOffset = 0;  // the interval from row k to row k + 1 lies in segment k
    accumulateSkinFriction(s, rules);
}

}  // namespace vorta::cpt
