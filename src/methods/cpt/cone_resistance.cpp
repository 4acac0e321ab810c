#include <cmath>

#include "capacity/capacity.h"
#include "engine/constants.h"
#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {

// The segment's own qc, else the sounding at the top of the segment, else the estimate from the
// blow count or yield stress ratio column. Input and sounding hold qc in psf in English units.
double coneResistanceAtSegment(const AnalysisState& s, int segment, double paFactor, CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    double qc = s.segQc[segment];
    if (qc < sp(1.0e-5)) {
        if (in.cptSounding.cptPointCount < 1) return paFactor * s.segYieldStressRatio[segment];
        qc = sounding != nullptr ? sounding->qcAt(s.segTopDepth[segment]) : interpolateCptQc(s, s.segTopDepth[segment]);
    }
    if (in.unitSystem == kEnglish) qc /= 1000.0;
    return qc;
}

}  // namespace vorta
