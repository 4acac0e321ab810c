// Small hand-built states for the CPT-method tests: a vertical pile in a uniform soil of equal
// segments, with node stresses that grow linearly with depth.
#pragma once

#include <cmath>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "engine/analysis_state.h"
#include "engine/constants.h"
#include "support/test_support.h"

namespace vorta::test {

struct CptPile {
    int unitSystem = kEnglish;
    double outsideDiameter = 24.0;  // in or mm
    double insideDiameter = 22.0;   // in or mm; also the inside diameter of the end
    int tipClosure = 0;
    double pileLength = 40.0;       // ft or m, embedded
    double thickness = 2.0;         // segment thickness and length increment
    int segmentCount = 22;
    double unitWeight = 0.06;       // stress per length: ksf/ft (60 pcf) or kPa/m
    int pileType = 1;
    int loadingType = 2;
    int plugCondition = 0;
};

// Sand segments without qc, friction angle 30, no limits, LRFD factors 1.
inline std::unique_ptr<AnalysisState> makeCptState(const CptPile& p, std::ostringstream* report = nullptr) {
    auto s = newState();
    InputData& in = s->input;
    in.unitSystem = p.unitSystem;
    in.outsideDiameter = p.outsideDiameter;
    in.insideDiameter = p.insideDiameter;
    in.enhancedEndInsideDiameter = p.insideDiameter;
    in.enhancedEndLength = p.pileLength - sp(1.0e-7);
    in.tipClosure = p.tipClosure;
    in.pileLength = p.pileLength;
    in.lengthIncrement = p.thickness;
    in.pileType = p.pileType;
    in.loadingType = p.loadingType;
    in.plugCondition = p.plugCondition;
    s->depthIncrement = p.thickness;
    s->segmentCount = p.segmentCount;
    s->rowCount = static_cast<int>(p.pileLength / p.thickness + sp(1.0e-6)) + 1;
    for (int i = 1; i <= p.segmentCount; ++i) {
        s->segTopDepth[i] = (i - 1) * p.thickness;
        s->segBottomDepth[i] = i * p.thickness;
        s->segSoilType[i] = 1.0;
        s->segFrictionAngle[i] = 30.0;
        s->segMaxUnitFriction[i] = kNoLimit;
        s->segMaxUnitBearing[i] = kNoLimit;
        s->segLrfdFrictionFactor[i] = 1.0;
        s->segLrfdBearingFactor[i] = 1.0;
        s->nodeEffStress[2 * i - 1] = (i - 1) * p.thickness * p.unitWeight;
        s->nodeEffStress[2 * i] = i * p.thickness * p.unitWeight;
    }
    s->nodeEffStress[2 * p.segmentCount + 1] = s->nodeEffStress[2 * p.segmentCount];
    if (report != nullptr) s->report.attach(report);
    return s;
}

// A clay segment with its strengths, yield stress ratio and plasticity index.
inline void makeClay(AnalysisState& s, int segment, double strength, double remolded, double ysr, double pi) {
    s.segSoilType[segment] = 2.0;
    s.segShearStrength[segment] = strength;
    s.segRemoldedStrength[segment] = remolded;
    s.segYieldStressRatio[segment] = ysr;
    s.segPlasticityIndex[segment] = pi;
}

// Values worked out by hand agree with the engine to rounding.
inline ::testing::AssertionResult closeTo(double actual, double expected) {
    const double tolerance = 1.0e-12 * std::max(1.0, std::fabs(expected));
    if (std::fabs(actual - expected) <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual " << actual << " expected " << expected;
}

}  // namespace vorta::test
