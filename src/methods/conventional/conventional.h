// Conventional static capacity methods: unit skin friction per node and skin friction per row.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

void computeFhwaMethod(AnalysisState& s);           // method code 1
void computeUsaceMethod(AnalysisState& s);          // method code 2
void computeRevisedLambdaMethod(AnalysisState& s);  // method code 3
void computeApiMethod(AnalysisState& s);            // method code 4
// Method code 9; fills the general method's own columns methodColumns[kCodeUser].rowSkinFriction
// and .rowTipResistance, which its table prints; returns rowCount.
int computeUserLoadTransfer(AnalysisState& s);

}  // namespace vorta
