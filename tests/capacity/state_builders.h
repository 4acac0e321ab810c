// Small hand-built states for the capacity tests: a uniform segment grid and layers filled in
// directly, so that these tests do not depend on the input reader.
#pragma once

#include <memory>

#include "engine/analysis_state.h"
#include "support/test_support.h"

namespace vorta::test {

// `count` contiguous segments of thickness `thickness` from depth 0; rowCount and the increments
// follow from the embedded `pileLength` (vertical pile).
inline void buildGrid(AnalysisState& s, int count, double thickness, double pileLength) {
    s.segmentCount = count;
    s.depthIncrement = thickness;
    s.input.lengthIncrement = thickness;
    s.input.pileLength = pileLength;
    s.rowCount = static_cast<int>(pileLength / thickness + 1.0e-6) + 1;
    double top = 0.0;
    for (int i = 1; i <= count; ++i) {
        s.segTopDepth[i] = top;
        s.segBottomDepth[i] = top + thickness;
        top = s.segBottomDepth[i];
        s.segLateralK[i] = 1.0;
        s.segMaxUnitFriction[i] = 9999999.0;
        s.segMaxUnitBearing[i] = 9999999.0;
        s.segLrfdFrictionFactor[i] = 1.0;
        s.segLrfdBearingFactor[i] = 1.0;
    }
}

// Sand over the whole grid with friction angle `phi` and a linear stress `gradient` per unit
// depth at every node.
inline void fillSand(AnalysisState& s, double phi, double gradient) {
    for (int i = 1; i <= s.segmentCount; ++i) {
        s.segSoilType[i] = 1.0;
        s.segFrictionAngle[i] = phi;
        s.nodeEffStress[2 * i - 1] = gradient * s.segTopDepth[i];
        s.nodeEffStress[2 * i] = gradient * s.segBottomDepth[i];
        s.nodeLimitedEffStress[2 * i - 1] = s.nodeEffStress[2 * i - 1];
        s.nodeLimitedEffStress[2 * i] = s.nodeEffStress[2 * i];
    }
    s.nodeEffStress[2 * s.segmentCount + 1] = s.nodeEffStress[2 * s.segmentCount];
}

// Clay over the whole grid with strength su (remolded strength `remolded`).
inline void fillClay(AnalysisState& s, double su, double remolded, double gradient) {
    fillSand(s, 0.0, gradient);
    for (int i = 1; i <= s.segmentCount; ++i) {
        s.segSoilType[i] = 2.0;
        s.segShearStrength[i] = su;
        s.segRemoldedStrength[i] = remolded;
    }
}

}  // namespace vorta::test
