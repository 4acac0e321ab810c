#include "methods/conventional/row_steps.h"

#include <algorithm>
#include <cmath>

#include "capacity/capacity.h"
#include "engine/constants.h"

namespace vorta {

void spreadNodeFrictionToRows(AnalysisState& s) {
    const InputData& in = s.input;
    for (int k = 1; k <= s.rowCount; ++k) {
        const double x = (k - 1) * s.depthIncrement;
        if (x - in.zeroFrictionLength <= -sp(1.0e-6)) {
            s.rowUnitFriction[k] = 0.0;
        } else {
            s.rowUnitFriction[k] = nodeValueAtDepth(s, s.nodeSkinFriction, x);
        }
        s.rowMaxUnitFriction[k] = s.segMaxUnitFriction[k];
    }
}

void accumulateSkinFriction(AnalysisState& s, const SkinFrictionRules& rules) {
    const InputData& in = s.input;
    const bool tension = in.loadingType == 1;
    using Tension = SkinFrictionRules::Tension;

    if (tension && rules.tension == Tension::RowsFromSecond) {
        for (int k = 2; k <= s.rowCount; ++k) s.rowUnitFriction[k] *= in.tensionReductionFactor;
    }
    if (tension && rules.tension == Tension::AllRows) {
        for (int k = 1; k <= s.rowCount; ++k) s.rowUnitFriction[k] *= in.tensionReductionFactor;
    }
    if (rules.fillLimitedColumn) {
        for (int k = 1; k <= s.rowCount; ++k)
            s.rowLimitedUnitFriction[k] = std::min(s.rowUnitFriction[k], s.rowMaxUnitFriction[k]);
    }

    s.rowFactoredSkinFriction[1] = 0.0;
    s.rowSkinFriction[1] = 0.0;
    double unfactored = 0.0;
    const double smallPerLength = smallLengthPerLength(in.unitSystem);
    for (int k = 1; k < s.rowCount; ++k) {
        double perimeter = rules.perimeter;
        if (rules.followTaper && in.taperAngle > 0.0) {
            const double xBelow = k * s.depthIncrement;
            perimeter = sp(3.14159) * (in.outsideDiameter / smallPerLength -
                                       2.0 * std::tan(in.taperAngle * sp(0.01745)) * (in.stickupLength + xBelow));
        }
        double below = s.rowUnitFriction[k + 1];
        if (tension && rules.tension == Tension::InIntervalLoop) {
            below *= in.tensionReductionFactor;
            s.rowUnitFriction[k + 1] = below;
        }
        double growth = (s.rowUnitFriction[k] + below) * in.lengthIncrement / 2.0 * perimeter;
        if (rules.limitStoredRowValue) s.rowUnitFriction[k + 1] = std::min(below, s.rowMaxUnitFriction[k + 1]);
        if (rules.capAtRowMaxima) {
            const double growthMax =
                (s.rowMaxUnitFriction[k] + s.rowMaxUnitFriction[k + 1]) * in.lengthIncrement / 2.0 * perimeter;
            if (growth - growthMax > sp(1.0e-6)) growth = growthMax;
        }
        unfactored += growth;
        s.rowFactoredSkinFriction[k + 1] =
            s.rowFactoredSkinFriction[k] + growth * s.segLrfdFrictionFactor[k + rules.lrfdSegmentOffset];
        if (in.reducedSideFriction == 0) {
            s.rowTransferSkinFriction[k + 1] = unfactored;
        } else if (in.reducedSideFriction == 1) {
            s.rowTransferSkinFriction[k + 1] = s.rowFactoredSkinFriction[k + 1];
        }
        s.rowSkinFriction[k + 1] = s.rowFactoredSkinFriction[k + 1];
    }
}

}  // namespace vorta
