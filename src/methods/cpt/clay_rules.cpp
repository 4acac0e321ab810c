// The cohesive-soil rules that ICP/MTD, Fugro and UWA share: the interface friction angle by
// plasticity index, the radial stress at failure on the shaft and the qc-based end bearing.
#include <algorithm>
#include <cmath>

#include "capacity/piecewise_table.h"
#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {

double clayInterfaceAngle(double plasticityIndex) {
    static constexpr PiecewiseLinearTable<17> kClayInterfaceAngleTable(
        {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80},
        {34, 32, 29, 27, 24.5, 22.5, 20, 18.5, 17, 15.2, 14.7, 13, 12.3, 11.5, 10, 9.2, 8.5});
    return kClayInterfaceAngleTable(plasticityIndex);
}

// Start from nine times the strength; a closed end or a plugged pile bears on qc with the plug
// reduction, an unplugged open end on qc in full, and an open end whose plug the program decides
// keeps nine times the strength.
double cptClayEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem), sounding);
    const bool drained = in.icpDrainedClay == 1;
    double q = 9.0 * s.segShearStrength[segment];
    if (cpt::endInsideDiameter(in) < sp(1.0e-6) || in.plugCondition == 1) {
        if (drained) {
            q = sp(1.3) * qc;
            if (in.plugCondition == 1) q = sp(0.65) * qc;
        } else {
            q = sp(0.8) * qc;
            if (in.plugCondition == 1) q = sp(0.4) * qc;
        }
    } else if (in.plugCondition == 2) {
        q = drained ? sp(1.6) * qc : qc;
    }
    return q;
}

namespace cpt {

ShaftFriction clayRadialStressFriction(AnalysisState& s, int segment) {
    const InputData& in = s.input;
    const int a = 2 * segment - 1;
    const int b = 2 * segment;

    const double plasticityIndex = s.segPlasticityIndex[segment];
    if (plasticityIndex < 0.0) s.report.write("(1X,\"ERROR - NO DATA FOUND FOR PLASTIC INDEX.\")");
    const double delta = clayInterfaceAngle(plasticityIndex);

    // Change of the void index with sensitivity; a clay without a measured strength or remolded
    // strength is taken as insensitive.
    const double strength = s.segShearStrength[segment];
    const double remolded = s.segRemoldedStrength[segment];
    double deltaIvy = 0.0;
    if (strength >= sp(1.0e-10) && remolded >= sp(1.0e-10)) deltaIvy = std::log10(strength / remolded);

    // Kc = (2 - 0.625 dIvy) YSR^0.42 (h/R*)^-0.2; the height term follows the pile's length.
    ShaftFriction f;
    f.rule = ShaftFriction::Rule::ClayRadialStress;
    f.segmentTerm = (2.0 - 0.625 * deltaIvy) * std::pow(s.segYieldStressRatio[segment], sp(0.42));

    if (in.unitSystem == kSi) s.nodeEffStress[b] = std::max(s.nodeEffStress[b], sp(1.0e-10));
    const double tanDelta = std::tan(radians(delta));
    f.top = sp(0.8) * s.nodeEffStress[a] * tanDelta;
    f.bottom = sp(0.8) * s.nodeEffStress[b] * tanDelta;
    return f;
}

}  // namespace cpt
}  // namespace vorta
