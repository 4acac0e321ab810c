// The segment walk every method uses to read a node-valued quantity at a depth, and the
// interpolation of the CPT sounding.
#include <algorithm>

#include "capacity/capacity.h"
#include "engine/constants.h"

namespace vorta {
namespace {

// Segments that actually exist in the arrays, whatever segmentCount says.
int usableSegments(const AnalysisState& s) {
    return std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
}

// The walk itself: the segment that holds `depth` and the depth of its bottom, accumulated from
// the segment lengths starting at 0.
struct WalkResult {
    int segment = 1;
    double bottom = 0.0;  // accumulated depth of the segment's bottom
    double length = 0.0;  // the segment's length
};

WalkResult walkToDepth(const AnalysisState& s, double depth) {
    const int count = usableSegments(s);
    WalkResult w;
    double accumulated = 0.0;
    for (int i = 1; i <= count; ++i) {
        const double length = s.segBottomDepth[i] - s.segTopDepth[i];
        accumulated += length;
        w.segment = i;
        w.bottom = accumulated;
        w.length = length;
        if (depth - accumulated <= sp(1.0e-6)) break;
    }
    return w;
}

}  // namespace

int segmentAtDepth(const AnalysisState& s, double depth) { return walkToDepth(s, depth).segment; }

// Linear between the top node (2s - 1) and the bottom node (2s) of the segment that holds the
// depth. A depth below the last segment continues the last segment's line; a segment without
// length gives its top node value.
double nodeValueAtDepth(const AnalysisState& s, const NodeArray& values, double depth) {
    if (usableSegments(s) < 1) return 0.0;
    const WalkResult w = walkToDepth(s, depth);
    const double top = values[2 * w.segment - 1];
    const double bottom = values[2 * w.segment];
    if (!(w.length > 0.0)) return top;
    return top + (bottom - top) * (depth - (w.bottom - w.length)) / w.length;
}

// qc of the CPT sounding at a depth: the first qc at or above the first point, the last qc below
// the last point, otherwise linear between the first point at or below the depth and the point
// before it.
double interpolateCptQc(const AnalysisState& s, double depth) {
    const CptSounding& cpt = s.input.cptSounding;
    const int count = std::clamp(cpt.cptPointCount, 0, static_cast<int>(kMaxCptPoints));
    if (count < 1) return 0.0;
    if (depth <= cpt.cptDepth[1]) return cpt.cptQc[1];
    for (int j = 2; j <= count; ++j) {
        if (cpt.cptDepth[j] >= depth) {
            // cptDepth[j - 1] < depth <= cptDepth[j], so the interval has a length.
            return cpt.cptQc[j] -
                   (cpt.cptDepth[j] - depth) * (cpt.cptQc[j] - cpt.cptQc[j - 1]) / (cpt.cptDepth[j] - cpt.cptDepth[j - 1]);
        }
    }
    return cpt.cptQc[count];
}

}  // namespace vorta
