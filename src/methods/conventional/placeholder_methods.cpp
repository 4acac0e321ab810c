// Placeholder bodies of the USACE, Revised Lambda, API RP-2A and general methods until they land.
#include "methods/conventional/conventional.h"

namespace vorta {

void computeUsaceMethod(AnalysisState&) {}
void computeRevisedLambdaMethod(AnalysisState&) {}
void computeApiMethod(AnalysisState&) {}
int computeUserLoadTransfer(AnalysisState& s) { return s.rowCount; }

}  // namespace vorta
