// The steps of the load-settlement analysis that the march is made of: the axial stiffness along
// the pile, the side load transfer between the node curves, the list of tip movements and the
// march of one load step. runLoadSettlement (settlement.h) strings them together with the report
// and plot-data output.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

// Most iterations on a segment's mid-point movement before the last estimate is taken.
inline constexpr int kMaxSegmentIterations = 200;

// The axial stiffness table: one row per area-table row when areaOption >= 2, otherwise the head
// and the tip with the one cross-section area. Distances in working units from the pile head.
void buildStiffnessTable(AnalysisState& s);

// AE at a distance from the head: linear between the rows that bracket it, the first or last
// row's AE beyond the table; 0 when the table is empty.
double axialStiffnessAt(const AnalysisState& s, double distance);

// True when AE is positive everywhere along the pile (every row of the table).
bool stiffnessIsUsable(const AnalysisState& s);

// Unit side load transfer at a vertical depth from the head and a movement, between the node
// curves 1..nodeCount: linear in depth between the two curves that bracket the depth; the curve of
// node nodeCount - 1 alone at or below it (the tip node's curve is not used); 0 above the first
// node (a stickup in the air).
double sideTransferAt(const AnalysisState& s, int nodeCount, double depthFromHead, double movement);
// The same for depths looked up one after another: `hint` holds the upper node found last and is
// where the next search starts; the curves found are the same whatever the hint.
double sideTransferAt(const AnalysisState& s, int nodeCount, double depthFromHead, double movement, int& hint);

// The assumed tip movements of the load steps, in working units: the user's list when its flag
// is 1, otherwise the default list of 13. Returns the count; `movements` holds them from 1.
int tipMovementList(const AnalysisState& s, Array1<double, kMaxLoadSteps>& movements);

// Geometry of the march: M segments of length h along the pile over the whole length (stickup
// included), vertical length hv.
struct MarchGeometry {
    int segmentCount = 0;    // M
    int nodeCount = 0;       // N
    double totalLength = 0;  // Lt, working units
    double cosBatter = 1;    // cb
    double length = 0;       // h
    double verticalLength = 0;  // hv
    double perimeterLength = 0; // 3.1416 D h
    double zeroFrictionLength = 0;  // working units
    double forceScale = 1;   // pounds per kip in English, 1 in SI
    double lengthScale = 1;  // inches per foot in English, 1 in SI
};

// One load step: the march from the tip up for a tip movement. Writes the load-distribution
// records to the plot-data file and the step's results; returns the number of segments whose
// mid-point movement did not settle within kMaxSegmentIterations.
int marchLoadStep(AnalysisState& s, const MarchGeometry& g, int step, double tipMovement);

}  // namespace vorta
