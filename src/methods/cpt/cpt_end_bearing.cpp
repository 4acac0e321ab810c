#include "methods/cpt/cpt.h"

namespace vorta {

void cptSandEndBearing(AnalysisState& s, int segment, double& topNode, double& bottomNode) {
    switch (s.currentMethod) {
        case kCodeNgi:
            ngiUnitEndBearing(s, segment, topNode, bottomNode);
            return;
        case kCodeIcp:
            topNode = bottomNode = icpUnitEndBearing(s, segment);
            return;
        case kCodeFugro:
            topNode = bottomNode = fugroUnitEndBearing(s, segment);
            return;
        case kCodeUwa:
            topNode = bottomNode = uwaUnitEndBearing(s, segment);
            return;
        default:
            topNode = bottomNode = 0.0;
            return;
    }
}

}  // namespace vorta
