// The side t-z curves that the analysis generates, printed at the depths the engineer lists so
// that they can be checked against the soil data.
#include <algorithm>

#include "engine/constants.h"
#include "settlement/load_transfer_curves.h"
#include "settlement/settlement.h"

namespace vorta {
namespace {

// The soil points whose layer sets the curve type at a depth: the first pair of consecutive
// points at least 0.11 apart whose lower point reaches the depth. Below a trailing layer thinner
// than that, the last pair. Returns the upper point of the pair.
int governingPair(const InputData& in, int points, double depth) {
    for (int p = 1; p < points; ++p) {
        const double top = in.soilPoints[static_cast<std::size_t>(p)].depth;
        const double bottom = in.soilPoints[static_cast<std::size_t>(p + 1)].depth;
        if (bottom - top >= sp(0.11) && depth <= bottom) return p;
    }
    return std::max(points - 1, 1);
}

}  // namespace

void writeVerificationCurves(AnalysisState& s) {
    const InputData& in = s.input;
    const bool english = in.unitSystem == kEnglish;
    s.report.write(
        "(/,/,16X,49('*'),/,16X,\"* COMPUTE INTERNALLY-GENERATED LOAD-TRANSFER    *\",/,"
        "16X,\"* (t-z) CURVES FOR VERIFICATION                 *\",/,16X,49('*'),/,/)");

    const int n = std::clamp(in.tzOutputDepthCount, 0, static_cast<int>(kMaxVerificationDepths));
    const int points = std::clamp(in.soilPointCount, 0, static_cast<int>(kMaxSoilPoints));
    const double lastDepth = points >= 1 ? in.soilPoints[static_cast<std::size_t>(points)].depth : 0.0;
    Array1<int, kMaxVerificationDepths> valid;
    int validCount = 0;
    for (int k = 1; k <= n; ++k) {
        const double depth = in.tzOutputDepths[static_cast<std::size_t>(k)];
        const bool inside = points >= 1 && depth >= 0.0 && depth <= lastDepth;
        valid[static_cast<std::size_t>(k)] = inside ? 1 : 0;
        if (inside) ++validCount;
    }

    for (int k = 1; k <= n; ++k) {
        if (valid[static_cast<std::size_t>(k)] == 0) continue;
        const double depth = in.tzOutputDepths[static_cast<std::size_t>(k)];
        const int p = governingPair(in, points, depth);
        const SoilPoint& a = in.soilPoints[static_cast<std::size_t>(p)];
        const SoilPoint& b = in.soilPoints[static_cast<std::size_t>(std::min(p + 1, points))];
        const double d = english ? depth * 12.0 : depth;
        LoadTransferCurve& c = s.curves[static_cast<std::size_t>(k)];
        c.depth = d;
        c.type = (a.column[kColSoilType] == 1.0 && b.column[kColSoilType] == 1.0) ? 1 : 2;
        c.curveFrictionAngle = a.column[kColFrictionAngle];
        c.curveTmax = unitFrictionAt(s, d);
        c.pointCount = static_cast<int>(kCurvePoints);
        if (c.type == 1) {
            makeNonClayCurve(s, k, peakMovementAt(s, d));
        } else {
            makeClayCurve(s, k, peakMovementAt(s, d), residualRatioAt(s, d));
        }
        applyCurveModifiers(s, k, d);
    }

    writeCurveHeading(s);
    s.plot.writeFree({validCount});
    for (int k = 1; k <= n; ++k) {
        const double depth = in.tzOutputDepths[static_cast<std::size_t>(k)];
        if (valid[static_cast<std::size_t>(k)] == 0) {
            s.report.write("(8X,I5,I11,E16.4)", k, static_cast<int>(kCurvePoints), depth);
            s.report.write("(15X,\"CURVE NOT PRINTED SINCE DEPTH OUTSIDE SOIL RANGE\")");
            continue;
        }
        writeCurve(s, "VERIFICATION T-Z CURVE", k, depth, s.curves[static_cast<std::size_t>(k)],
                   s.result != nullptr ? &s.result->verificationCurves : nullptr);
    }
}

}  // namespace vorta
