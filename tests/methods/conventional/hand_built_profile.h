// Small pile and soil states built by hand for the method tests, so that the methods can be held
// against hand-worked values without the input reader and the node preparation.
#pragma once

#include <memory>

#include "engine/analysis_state.h"
#include "engine/constants.h"
#include "support/test_support.h"

namespace vorta::test {

// A vertical pile of `embedded` length in a grid of `segments` equal segments of `increment`
// thickness (ft or m), no limits, LRFD factors 1, every segment clay of strength 0 until the test
// says otherwise.
inline std::unique_ptr<AnalysisState> handBuiltProfile(int unitSystem, int segments, double increment,
                                                       double embedded, double outsideDiameter) {
    auto s = newState();
    InputData& in = s->input;
    in.unitSystem = unitSystem;
    in.lengthIncrement = increment;
    in.pileLength = embedded;
    in.outsideDiameter = outsideDiameter;
    in.pileType = 1;
    in.tipClosure = 1;
    in.loadingType = 2;
    s->depthIncrement = increment;
    s->segmentCount = segments;
    s->rowCount = static_cast<int>(embedded / increment + sp(1.0e-6)) + 1;
    for (int i = 1; i <= segments; ++i) {
        s->segTopDepth[i] = i == 1 ? 0.0 : s->segBottomDepth[i - 1];
        s->segBottomDepth[i] = s->segTopDepth[i] + increment;
        s->segSoilType[i] = 2.0;
        s->segLateralK[i] = sp(0.8);
        s->segMaxUnitFriction[i] = kNoLimit;
        s->segMaxUnitBearing[i] = kNoLimit;
        s->segLrfdFrictionFactor[i] = 1.0;
        s->segLrfdBearingFactor[i] = 1.0;
    }
    return s;
}

// Node stresses of a uniform effective unit weight (pcf in English, kN/m3 in SI), accumulated
// from the surface as the node preparation does; the limited stress equals the stress.
inline void setUniformUnitWeight(AnalysisState& s, double unitWeight) {
    const double perLength = s.input.unitSystem == kEnglish ? unitWeight / 1000.0 : unitWeight;
    s.nodeEffStress[1] = 0.0;
    for (int i = 1; i <= s.segmentCount; ++i) {
        s.segEffUnitWeight[i] = unitWeight;
        const double bottom = s.nodeEffStress[2 * i - 1] + (s.segBottomDepth[i] - s.segTopDepth[i]) * perLength;
        s.nodeEffStress[2 * i] = bottom;
        s.nodeEffStress[2 * i + 1] = bottom;
    }
    for (int n = 1; n <= 2 * s.segmentCount + 1; ++n) s.nodeLimitedEffStress[n] = s.nodeEffStress[n];
}

// The same stress at every node of a segment's top and bottom (for node-by-node checks).
inline void setSegmentStress(AnalysisState& s, int i, double top, double bottom) {
    s.nodeEffStress[2 * i - 1] = top;
    s.nodeEffStress[2 * i] = bottom;
    s.nodeLimitedEffStress[2 * i - 1] = top;
    s.nodeLimitedEffStress[2 * i] = bottom;
}

inline void setSand(AnalysisState& s, int i, double phi, double k) {
    s.segSoilType[i] = 1.0;
    s.segFrictionAngle[i] = phi;
    s.segLateralK[i] = k;
}

inline void setClay(AnalysisState& s, int i, double su, double remolded) {
    s.segSoilType[i] = 2.0;
    s.segShearStrength[i] = su;
    s.segRemoldedStrength[i] = remolded;
}

}  // namespace vorta::test
