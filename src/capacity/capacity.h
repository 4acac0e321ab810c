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
// segment that contains it (the segment walk above).
double nodeValueAtDepth(const AnalysisState& s, const NodeArray& values, double depth);

// qc from the CPT file at a depth (psf or kPa as read); 0 when the file has no point.
double interpolateCptQc(const AnalysisState& s, double depth);

}  // namespace vorta
