// UWA method (code 8): unit skin friction in sand from the radial effective stress, which depends
// on qc, the effective area ratio of the end (through the final filling ratio of the plug) and
// the height above the tip, plus a dilation term from the shear modulus; in clay the
// radial-stress rule of ICP/MTD. End bearing in sand from qc and the effective area ratio.
#include <algorithm>
#include <cmath>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// Effective area ratio 1 - FFR (Di / D)^2, with the final filling ratio FFR = min(1, (Di / 1.5 m)^0.2)
// of the plug; 1 for a closed end.
double uwaEffectiveAreaRatio(const InputData& in) {
    const double inside = cpt::endInsideDiameter(in);
    const double insideMetres = inside * (in.unitSystem == kEnglish ? sp(0.0254) : sp(0.001));
    const double fillingRatio = std::min(1.0, std::pow(insideMetres / sp(1.5), sp(0.2)));
    const double ratio = inside / in.outsideDiameter;
    return 1.0 - fillingRatio * (ratio * ratio);
}

// The soil's share of the sand friction: the radial stress before its height term, the dilation
// term at each node and the interface angle.
ShaftFriction uwaSandSegment(AnalysisState& s, int segment, double areaRatio, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    const double pa = cpt::shaftAtmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::shaftConeFactor(in.unitSystem), &sounding);
    const double diameter = in.outsideDiameter;
    // Four times the radial displacement of 0.02 mm (0.0007874 in) of the interface.
    const double fourDisplacements = in.unitSystem == kEnglish ? sp(0.0031496) : sp(0.08);

    auto dilationAt = [&](int node) {
        // Shear modulus from the normalised cone resistance at the node; no qc, no stiffness.
        double shearModulus = 0.0;
        if (qc >= sp(1.0e-10)) {
            const double normalised = (qc / pa) / std::sqrt(std::max(s.nodeEffStress[node] / pa, sp(1.0e-7)));
            shearModulus = 185.0 * qc / std::pow(normalised, 0.75);
        }
        return fourDisplacements * shearModulus / diameter;
    };
    ShaftFriction f;
    f.rule = ShaftFriction::Rule::UwaSand;
    f.segmentTerm = sp(0.03) * qc * std::pow(areaRatio, sp(0.3));
    f.tanDelta = std::tan(cpt::radians(s.segFrictionAngle[segment] - 5.0));
    f.top = dilationAt(2 * segment - 1);
    f.bottom = dilationAt(2 * segment);
    return f;
}

}  // namespace

void uwaMethod(AnalysisState& s) {
    const double areaRatio = uwaEffectiveAreaRatio(s.input);
    // The clay branch uses the equivalent radius of ICP/MTD.
    const cpt::ShaftContext context = cpt::shaftContext(s, kCodeUwa);
    const int segments = cpt::segmentsToWalk(s);
    CptSoundingCursor sounding(s.input.cptSounding);
    for (int i = 1; i <= segments; ++i) {
        s.segShaftFriction[i] = cpt::isSandSegment(s, i) ? uwaSandSegment(s, i, areaRatio, sounding)
                                                         : cpt::clayRadialStressFriction(s, i);
    }
    cpt::applyShaftFriction(s, context, segments, s.input.pileLength);
    cpt::integrateRows(s);
}

// Sand: qc (0.15 + 0.45 A_re), not less than 0.3 qc for a closed end or a plugged pile and not
// less than 0.15 qc otherwise.
double uwaUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem), sounding);
    double q = qc * (sp(0.15) + sp(0.45) * uwaEffectiveAreaRatio(in));
    const bool closedOrPlugged = cpt::endInsideDiameter(in) < sp(1.0e-4) || in.plugCondition == 1;
    q = std::max(q, (closedOrPlugged ? sp(0.3) : sp(0.15)) * qc);
    return cpt::limitedByMaxUnitBearing(s, segment, q);
}

}  // namespace vorta
