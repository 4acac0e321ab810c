// The segment walk every method uses to read a node-valued quantity at a depth, and the
// interpolation of the CPT sounding.
#include <algorithm>
#include <limits>

#include "capacity/capacity.h"
#include "engine/constants.h"
#include "engine/ordered_search.h"

namespace vorta {
SegmentWalk::SegmentWalk(const AnalysisState& s) {
    // Segments that actually exist in the arrays, whatever segmentCount says.
    count_ = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    double accumulated = 0.0;
    for (int i = 1; i <= count_; ++i) {
        length_[i] = s.segBottomDepth[i] - s.segTopDepth[i];
        accumulated += length_[i];
        bottom_[i] = accumulated;
    }
}

// The first segment whose accumulated bottom reaches the depth within 1.0E-6; the last segment
// when none does. The bottoms never decrease, so the test turns true once and stays true.
int SegmentWalk::segmentAt(double depth, int& hint) const {
    if (count_ < 1) return 1;
    hint = firstPassing(1, count_, hint, [&](int i) { return depth - bottom_[i] <= sp(1.0e-6); });
    return hint;
}

int SegmentWalk::segmentAt(double depth) const {
    int hint = 1;
    return segmentAt(depth, hint);
}

double SegmentWalk::valueAt(const NodeArray& values, double depth) const {
    int hint = 1;
    return valueAt(values, depth, hint);
}

double SegmentWalk::valueAt(const NodeArray& values, double depth, int& hint) const {
    return valueAt(values, positionOf(depth, hint));
}

WalkPosition SegmentWalk::positionOf(double depth, int& hint) const {
    if (count_ < 1) return {};
    const int i = segmentAt(depth, hint);
    return {i, depth - (bottom_[i] - length_[i]), length_[i]};
}


void findRowPositions(const AnalysisState& s, int rows, double enhancedEndLength, RowPositions& positions) {
    const SegmentWalk walk(s);
    positions.rowCount = rows;
    positions.enhancedEndLength = enhancedEndLength;
    int atTip = 1;
    int atEndTop = 1;
    for (int k = 1; k <= rows; ++k) {
        const double z = (k - 1) * s.depthIncrement;
        positions.tip[k] = walk.positionOf(z, atTip);
        const double above = z - enhancedEndLength;
        positions.endTop[k] = above <= sp(1.0e-6) ? WalkPosition{} : walk.positionOf(above, atEndTop);
    }
}

int segmentAtDepth(const AnalysisState& s, double depth) { return SegmentWalk(s).segmentAt(depth); }

double nodeValueAtDepth(const AnalysisState& s, const NodeArray& values, double depth) {
    return SegmentWalk(s).valueAt(values, depth);
}

// qc of the CPT sounding at a depth: the first qc at or above the first point, the last qc below
// the last point, otherwise linear between the first point at or below the depth and the point
// before it.
double interpolateCptQc(const AnalysisState& s, double depth) {
    return CptSoundingCursor(s.input.cptSounding).qcAt(depth);
}

CptSoundingCursor::CptSoundingCursor(const CptSounding& cpt)
    : cpt_(&cpt),
      count_(std::clamp(cpt.cptPointCount, 0, static_cast<int>(kMaxCptPoints))),
      lastDepth_(-std::numeric_limits<double>::infinity()) {}

double CptSoundingCursor::qcAt(double depth) {
    const CptSounding& cpt = *cpt_;
    if (count_ < 1) return 0.0;
    if (depth <= cpt.cptDepth[1]) return cpt.cptQc[1];
    int j = depth >= lastDepth_ ? start_ : 2;
    while (j <= count_ && !(cpt.cptDepth[j] >= depth)) ++j;
    lastDepth_ = depth;
    start_ = j;
    if (j > count_) return cpt.cptQc[count_];
    // cptDepth[j - 1] < depth <= cptDepth[j], so the interval has a length.
    return cpt.cptQc[j] -
           (cpt.cptDepth[j] - depth) * (cpt.cptQc[j] - cpt.cptQc[j - 1]) / (cpt.cptDepth[j] - cpt.cptDepth[j - 1]);
}

}  // namespace vorta
