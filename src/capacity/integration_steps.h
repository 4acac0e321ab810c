// The steps of the capacity integration, one by one, for the rows as driven: each penetration is
// integrated as a pile of its own, repeating the steps that follow the pile's length (the plug
// friction down to the tip, the plug analysis of the rows above it, the tip of a tapered pile)
// and keeping what depends on the soil alone (the unit end bearing, the wall bearing).
#pragma once

#include "capacity/capacity.h"
#include "engine/analysis_state.h"

namespace vorta::integration {

// The pile whose rows are integrated: its embedded length and the length of its enhanced end
// section (which spans the whole pile when none was given).
struct PileExtent {
    double embeddedLength = 0.0;     // ft or m
    double enhancedEndLength = 0.0;  // ft or m
};
PileExtent extentOfInput(const InputData& in);

// Wall bearing at every node of segments 1..segments (nodeAnnulusBearing); the bottom node of the
// last of them reads the soil of that segment (the grid ends there).
void computeAnnulusBearing(AnalysisState& s, int segments);
// Wall bearing at node n of a grid of `segments` segments.
double annulusBearingAtNode(const AnalysisState& s, int n, int segments);

// Unit friction inside the plug and the plug friction accumulated from the surface, segments
// 1..segments.
void computePlugFriction(AnalysisState& s, int segments);

// The wall bearing at the tip of rows 1..rows (rowAnnulusBearing), which depends on the soil alone.
void computeRowWallBearing(AnalysisState& s, int rows);

// End bearing of the full tip of rows 1..rows, averaged over the tip zone (segments 1..segments
// of the grid); a tapered pile's tip diameter follows the pile's length.
void computePluggedBearing(AnalysisState& s, int segments, int rows, const PileExtent& pile);

// Tip column, flag and plug length of rows 1..rows, with the plug friction over the enhanced end
// section of each row. `positions`, when given, holds where each row's tip and end-section top lie
// in the grid (found once for many piles; the tops where their end section is the pile's).
void resolveTip(AnalysisState& s, int rows, const PileExtent& pile, const RowPositions* positions = nullptr);

}  // namespace vorta::integration
