#include "methods/cpt/cpt.h"

namespace vorta {

void cptSandEndBearing(AnalysisState& s, int segment, double& topNode, double& bottomNode,
                       CptSoundingCursor* sounding) {
    switch (s.currentMethod) {
        case kCodeNgi:
            ngiUnitEndBearing(s, segment, topNode, bottomNode, sounding);
            return;
        case kCodeIcp:
            topNode = bottomNode = icpUnitEndBearing(s, segment, sounding);
            return;
        case kCodeFugro:
            topNode = bottomNode = fugroUnitEndBearing(s, segment, sounding);
            return;
        case kCodeUwa:
            topNode = bottomNode = uwaUnitEndBearing(s, segment, sounding);
            return;
        default:
            topNode = bottomNode = 0.0;
            return;
    }
}

}  // namespace vorta
