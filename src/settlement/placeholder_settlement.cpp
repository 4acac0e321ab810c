// Placeholder bodies of the load-settlement analysis until it lands.
#include "settlement/settlement.h"

namespace vorta {

void runLoadSettlement(AnalysisState&) {}
void writeVerificationCurves(AnalysisState&) {}

}  // namespace vorta
