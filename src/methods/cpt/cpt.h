// CPT-based static capacity methods: unit skin friction from cone resistance (sand) or from
// strength, yield stress ratio and plasticity index (clay), and their end-bearing rules.
#pragma once

#include "capacity/capacity.h"
#include "engine/analysis_state.h"

namespace vorta {

void ngiMethod(AnalysisState& s);    // method code 5
void icpMethod(AnalysisState& s);    // method code 6
void fugroMethod(AnalysisState& s);  // method code 7
void uwaMethod(AnalysisState& s);    // method code 8

// The rows of the CPT-based method `code` (5..8) as piles driven to each penetration, after the
// method and the integration of its described rows have run: rows 2 on (row 1, the tip at the
// ground surface, is no pile of its own; the caller keeps its described row). Leaves the capacity
// table's columns and the method's tip flags to whatever the last pile left; the caller keeps what
// it needs first.
void computeDrivenRows(AnalysisState& s, int code, DrivenRows& out);

// Cone resistance of segment i in ksf or kPa: the segment's qc, else the CPT file at the
// segment's top depth, else paFactor (2.8 pa) times the segment's yield-stress-ratio column.
// The segments of one walk down the pile read the sounding through one cursor (none: a search
// from the top).
double coneResistanceAtSegment(const AnalysisState& s, int segment, double paFactor,
                               CptSoundingCursor* sounding = nullptr);

// Unit end bearing in sand of segment i at its top and bottom nodes, by the rule of the CPT
// method s.currentMethod (5 NGI, 6 ICP/MTD, 7 Fugro, 8 UWA); called by computeNodeEndBearing.
// Any other code gives 0 at both nodes.
void cptSandEndBearing(AnalysisState& s, int segment, double& topNode, double& bottomNode,
                       CptSoundingCursor* sounding = nullptr);

// The sand rules of the four methods, limited by the segment's maximum unit bearing when the
// user set one. NGI differs between the two nodes; the others give one value for both.
void ngiUnitEndBearing(const AnalysisState& s, int segment, double& topNode, double& bottomNode,
                       CptSoundingCursor* sounding = nullptr);
double icpUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding = nullptr);
double fugroUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding = nullptr);
double uwaUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding = nullptr);

// Unit end bearing in clay from qc, shared by ICP/MTD, Fugro and UWA (both nodes).
double cptClayEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding = nullptr);

// Interface friction angle (degrees) of clay by plasticity index.
double clayInterfaceAngle(double plasticityIndex);

}  // namespace vorta
