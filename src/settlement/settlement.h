// Load-settlement analysis: load-transfer curves, the march along the pile for a series of tip
// movements, and the verification curves.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

// Notes below the tables, the layer t-z curves, the tip curve and the load-settlement table in
// the report and the plot-data file. Runs once, at the end of the second pass.
void runLoadSettlement(AnalysisState& s);

// The side t-z curves generated at the depths the input lists, for verification.
void writeVerificationCurves(AnalysisState& s);

}  // namespace vorta
