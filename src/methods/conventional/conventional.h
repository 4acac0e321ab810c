// Conventional static capacity methods: unit skin friction per node and skin friction per row.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

void computeFhwaMethod(AnalysisState& s);           // method code 1
void computeUsaceMethod(AnalysisState& s);          // method code 2
void computeRevisedLambdaMethod(AnalysisState& s);  // method code 3
void computeApiMethod(AnalysisState& s);            // method code 4
int computeUserLoadTransfer(AnalysisState& s);      // method code 9; returns rowCount

}  // namespace vorta
