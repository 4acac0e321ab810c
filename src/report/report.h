// Method runs of the two passes, result tables and the plot-data file.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

// The method sequence of one pass (1 or 2): integrations, methods, LRFD factoring of the tip,
// result tables and plot-data rows; at the end of pass 2 the hand-over to the load-settlement
// analysis and the verification curves.
void runMethodsAndTables(AnalysisState& s, int pass);

}  // namespace vorta
