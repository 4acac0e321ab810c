// States built by hand for the load-settlement tests: rows, soil points and inputs filled
// directly, so that the tests do not depend on the capacity methods.
#pragma once

#include <memory>
#include <sstream>

#include "engine/analysis_state.h"
#include "engine/constants.h"
#include "support/test_support.h"

namespace vorta::test {

// A state whose report and plot-data file go to strings.
struct CapturedState {
    std::unique_ptr<AnalysisState> s = newState();
    std::ostringstream report;
    std::ostringstream plot;
    CapturedState() {
        s->report.attach(&report);
        s->plot.attach(&plot);
    }
};

inline void setEnglishLabels(AnalysisState& s) {
    s.input.unitSystem = kEnglish;
    s.unitLabels = {"FT.", "IN.", "KIP", "KSF", "LB/FT^3", "IN2", "PSI"};
}

inline void setSiLabels(AnalysisState& s) {
    s.input.unitSystem = kSi;
    s.unitLabels = {"M. ", "MM.", "KN.", "KPA", "KN/M^3 ", "M2 ", "KPA"};
}

// Soil point k: depth, type, friction angle, tzParam2 (peak movement) and tzParam3 (residual).
inline void setSoilPoint(AnalysisState& s, int k, double depth, double type, double frictionAngle = 0.0,
                         double peakMovement = 0.0, double residual = 0.0) {
    SoilPoint& p = s.input.soilPoints[static_cast<std::size_t>(k)];
    p.depth = depth;
    p.column[kColSoilType] = type;
    p.column[kColFrictionAngle] = frictionAngle;
    p.column[kColTzParam2] = peakMovement;
    p.column[kColTzParam3] = residual;
    if (k > s.input.soilPointCount) s.input.soilPointCount = k;
}

// Penetration rows k = 1..count at (k - 1) * increment with one unit friction and one tip value.
inline void setUniformRows(AnalysisState& s, int count, double increment, double unitFriction, double tip) {
    s.rowCount = count;
    s.depthIncrement = increment;
    s.input.lengthIncrement = increment;
    for (int k = 1; k <= count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        s.rowPileLength[i] = (k - 1) * increment;
        s.rowUnitFriction[i] = unitFriction;
        s.rowTipResistance[i] = tip;
    }
}

// A vertical English pile, 10 ft embedded, 12 in solid, AE = 10 in2 x 30E6 psi, in one sand layer
// 0..40 ft; two rows (0 and 10 ft), unit friction 0.144 ksf (1 psi), tip resistance 10 kips.
inline void makeEnglishSandPile(AnalysisState& s) {
    setEnglishLabels(s);
    s.input.outsideDiameter = 12.0;
    s.input.insideDiameter = 0.0;
    s.input.elasticModulus = 30.0e6;
    s.input.axialArea = 10.0;
    s.input.pileLength = 10.0;
    s.input.loadTransferMethod = kSelFhwa;
    setSoilPoint(s, 1, 0.0, 1.0, 30.0);
    setSoilPoint(s, 2, 40.0, 1.0, 30.0);
    setUniformRows(s, 2, 10.0, 0.144, 10.0);
    s.printedRowCount = 2;
    s.segmentCount = 40;
}

}  // namespace vorta::test
