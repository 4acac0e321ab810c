// Method runs of the two passes, result tables and the plot-data file.
#pragma once

#include <array>
#include <vector>

#include "engine/analysis_state.h"
#include "vorta/analysis.h"

namespace vorta {

// The method sequence of one pass (1 or 2): integrations, methods, LRFD factoring of the tip,
// result tables and plot-data rows; at the end of pass 2 the hand-over to the load-settlement
// analysis and the verification curves.
void runMethodsAndTables(AnalysisState& s, int pass);

// The design answers of a completed run into s.result->design: for every method with a table and
// every design load, the least embedded length whose capacity carries the load. `analysis` is the
// run's model, from which the piles of the methods whose rows are not piles driven to each
// penetration (FHWA, and a tapered pile's end bearing) are computed again at every length.
void findDesignAnswers(AnalysisState& s, const Analysis& analysis);

// The answer for one load from one method's capacities, capacity[k] for row k = 1..size - 1 (element
// 0 unused), the rows `lengthIncrement` apart: the first length whose capacity / factor reaches the
// load, linear between the row before and that row; where deeper rows fall below it again, the
// first length where they do, linear likewise; else, not reached, the largest capacity.
DesignAnswer designAnswerFor(const std::vector<double>& capacity, double lengthIncrement, double load, double factor,
                             int unitSystem);

// The capacity of every method (by selection index; 0 where it has not run) at the last row of the
// pile of a model: the passes with nothing written and no load-settlement analysis; without the
// second pass, the methods of the first alone (the general method, FHWA, USACE, Revised Lambda).
void lastRowCapacities(const Analysis& analysis, bool secondPass, std::array<double, kMethodCount + 1>& capacity);

}  // namespace vorta
