// Placeholder bodies of the CPT-based methods until they land.
#include "methods/cpt/cpt.h"

namespace vorta {

void ngiMethod(AnalysisState&) {}
void icpMethod(AnalysisState&) {}
void fugroMethod(AnalysisState&) {}
void uwaMethod(AnalysisState&) {}
double coneResistanceAtSegment(const AnalysisState&, int, double) { return 0.0; }
void cptSandEndBearing(AnalysisState&, int, double& topNode, double& bottomNode) { topNode = bottomNode = 0.0; }
double cptClayEndBearing(const AnalysisState&, int) { return 0.0; }
double clayInterfaceAngle(double) { return 0.0; }

}  // namespace vorta
