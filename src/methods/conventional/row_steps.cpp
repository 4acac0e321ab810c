#include "methods/conventional/row_steps.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "capacity/capacity.h"
#include "engine/constants.h"

namespace vorta {
namespace {

// Rows that fit the per-row tables, whatever rowCount says.
int usableRows(const AnalysisState& s) { return std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows)); }

}  // namespace

int segmentOfRow(const AnalysisState& s, int row) {
    const int last = std::clamp(s.segmentCount, 1, static_cast<int>(kMaxSegments));
    return std::clamp(row, 1, last);
}

void spreadNodeFrictionToRows(AnalysisState& s, const RowPositions* positions) {
    const InputData& in = s.input;
    const int rows = usableRows(s);
    std::optional<SegmentWalk> walk;
    if (positions == nullptr) walk.emplace(s);
    int hint = 1;
    for (int k = 1; k <= rows; ++k) {
        const double x = (k - 1) * s.depthIncrement;
        if (x - in.zeroFrictionLength <= -sp(1.0e-6)) {
            s.rowUnitFriction[k] = 0.0;
        } else if (positions != nullptr) {
            s.rowUnitFriction[k] = SegmentWalk::valueAt(s.nodeSkinFriction, positions->tip[k]);
        } else {
            s.rowUnitFriction[k] = walk->valueAt(s.nodeSkinFriction, x, hint);
        }
        s.rowMaxUnitFriction[k] = s.segMaxUnitFriction[segmentOfRow(s, k)];
    }
}

void accumulateSkinFriction(AnalysisState& s, const SkinFrictionRules& rules) {
    const InputData& in = s.input;
    const bool tension = in.loadingType == 1;
    using Tension = SkinFrictionRules::Tension;
    const int rows = usableRows(s);

    if (tension && rules.tension == Tension::RowsFromSecond) {
        for (int k = 2; k <= rows; ++k) s.rowUnitFriction[k] *= in.tensionReductionFactor;
    }
    if (tension && rules.tension == Tension::AllRows) {
        for (int k = 1; k <= rows; ++k) s.rowUnitFriction[k] *= in.tensionReductionFactor;
    }
    if (rules.fillLimitedColumn) {
        for (int k = 1; k <= rows; ++k)
            s.rowLimitedUnitFriction[k] = std::min(s.rowUnitFriction[k], s.rowMaxUnitFriction[k]);
    }

    s.rowFactoredSkinFriction[1] = 0.0;
    s.rowSkinFriction[1] = 0.0;
    double unfactored = 0.0;
    const double smallPerLength = smallLengthPerLength(in.unitSystem);
    for (int k = 1; k < rows; ++k) {
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
            s.rowFactoredSkinFriction[k] + growth * s.segLrfdFrictionFactor[segmentOfRow(s, k + rules.lrfdSegmentOffset)];
        if (in.reducedSideFriction == 0) {
            s.rowTransferSkinFriction[k + 1] = unfactored;
        } else if (in.reducedSideFriction == 1) {
            s.rowTransferSkinFriction[k + 1] = s.rowFactoredSkinFriction[k + 1];
        }
        s.rowSkinFriction[k + 1] = s.rowFactoredSkinFriction[k + 1];
    }
}

void keepRowColumns(AnalysisState& s, int code) {
    MethodColumns& copy = s.methodColumns[static_cast<std::size_t>(code)];
    const int rows = usableRows(s);
    for (int k = 1; k <= rows; ++k) {
        copy.rowSkinFriction[k] = s.rowSkinFriction[k];
        copy.rowUnitFriction[k] = s.rowUnitFriction[k];
        copy.rowTransferSkinFriction[k] = s.rowTransferSkinFriction[k];
    }
}

}  // namespace vorta
