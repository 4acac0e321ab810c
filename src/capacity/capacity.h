// Capacity integration: the unit end bearing of every method at every node and the tip column of
// the capacity table (plugged or unplugged tip, plug length, self weight in tension).
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

// Fills nodeUnitEndBearing for s.currentMethod.
void computeNodeEndBearing(AnalysisState& s);

// Turns the unit values of the method s.currentMethod into rowTipResistance, rowTipFlag and
// rowPlugLength (and the method copies of FHWA, USACE and the general method).
void integrateCapacity(AnalysisState& s);

// The segment walk: the segment that contains vertical depth `depth`, found by adding segment
// lengths from depth 0 until the bottom reaches the depth within 1.0E-6. Never beyond the last
// segment.
int segmentAtDepth(const AnalysisState& s, double depth);

// A node-valued quantity at a depth: linear between the top and bottom node values of the
// segment that contains it (the segment walk above). A depth below the last segment continues
// the last segment's line; a segment without length gives its top node value.
double nodeValueAtDepth(const AnalysisState& s, const NodeArray& values, double depth);

// Where a depth lies in the grid: its segment and its distance below the segment's top, as the
// walk accumulates them (segment 0: a grid without segments).
struct WalkPosition {
    int segment = 0;
    double offset = 0.0;
    double length = 0.0;  // of the segment
};

// The same walk for many lookups on one grid: the accumulated segment bottoms are added up once,
// in the walk's own order, and each lookup searches them, giving exactly what the walk gives.
class SegmentWalk {
public:
    explicit SegmentWalk(const AnalysisState& s);

    // The position of a depth, for node values looked up there again and again (the rows as
    // driven read many piles' values at the same depths), and the value at a position.
    WalkPosition positionOf(double depth, int& hint) const;
    static double valueAt(const NodeArray& values, const WalkPosition& at) {
        if (at.segment < 1) return 0.0;
        const double top = values[static_cast<std::size_t>(2 * at.segment - 1)];
        const double bottom = values[static_cast<std::size_t>(2 * at.segment)];
        if (!(at.length > 0.0)) return top;
        return top + (bottom - top) * at.offset / at.length;
    }

    int segmentCount() const { return count_; }
    int segmentAt(double depth) const;
    double valueAt(const NodeArray& values, double depth) const;

    // The same for depths looked up one after another: `hint` holds the segment found last and
    // is where the next search starts. The segment found is the same whatever the hint.
    int segmentAt(double depth, int& hint) const;
    double valueAt(const NodeArray& values, double depth, int& hint) const;

    // Depth of the bottom of segment i accumulated from the segment lengths (0 for i = 0).
    double accumulatedBottom(int i) const { return i <= 0 ? 0.0 : bottom_[static_cast<std::size_t>(i)]; }
    double length(int i) const { return length_[static_cast<std::size_t>(i)]; }

private:
    int count_ = 0;
    SegmentArray bottom_;
    SegmentArray length_;
};

// The position of every row's tip in the grid and of the top of its enhanced end section, found
// once: the rows as driven look up many piles' node values at the same depths.
struct RowPositions {
    int rowCount = 0;
    double enhancedEndLength = 0.0;          // ft or m, that of the tops
    Array1<WalkPosition, kMaxRows> tip;      // (k - 1) depthIncrement
    Array1<WalkPosition, kMaxRows> endTop;   // enhancedEndLength above the tip, where that lies more
                                             // than 1.0E-6 below the surface
};
void findRowPositions(const AnalysisState& s, int rows, double enhancedEndLength, RowPositions& positions);

// qc from the CPT file at a depth (psf or kPa as read); 0 when the file has no point.
double interpolateCptQc(const AnalysisState& s, double depth);

// The same lookup for depths read one after another down the pile: a search starts where the
// last one ended when its depth is not above the last one's, else from the top. Every point
// before the last one found lies above the last depth, so the point found is the one a scan from
// the top finds, whatever the order of the sounding's depths.
class CptSoundingCursor {
public:
    explicit CptSoundingCursor(const CptSounding& cpt);

    double qcAt(double depth);

private:
    const CptSounding* cpt_;
    int count_ = 0;
    int start_ = 2;  // first point the next search at or below lastDepth_ needs to look at
    double lastDepth_;
};

}  // namespace vorta
