// Placeholder bodies of the capacity subsystem until the integration lands.
#include "capacity/capacity.h"

namespace vorta {

void computeNodeEndBearing(AnalysisState&) {}
void integrateCapacity(AnalysisState&) {}
int segmentAtDepth(const AnalysisState&, double) { return 1; }
double nodeValueAtDepth(const AnalysisState&, const NodeArray&, double) { return 0.0; }
double interpolateCptQc(const AnalysisState&, double) { return 0.0; }

}  // namespace vorta
