// Placeholder body of the FHWA method until it lands.
#include "methods/conventional/conventional.h"

namespace vorta {

void computeFhwaMethod(AnalysisState&) {}

}  // namespace vorta
