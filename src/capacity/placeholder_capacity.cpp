// Placeholder bodies of the capacity subsystem until the integration lands.
#include "capacity/capacity.h"

namespace vorta {

void integrateCapacity(AnalysisState&) {}

}  // namespace vorta
