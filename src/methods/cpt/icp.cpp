// ICP/MTD method (code 6): unit skin friction from the radial effective stress at failure, in
// sand from qc, the height above the tip and the dilation of the interface, in clay from the
// yield stress ratio, the sensitivity and the interface angle; end bearing in sand from qc and
// the pile diameter.
#include <algorithm>
#include <cmath>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// The denominator of the operational shear modulus G = qc / (0.0203 + 0.00125 eta - 1.216E-6 eta^2),
// eta the cone resistance over the root of the bottom stress times pa. The quadratic falls to zero
// near eta = 1044 (dense sand near the surface reaches it at ordinary cone resistances), where G
// would leap to infinity and then turn negative with the dilation. Beyond eta = 1000 the
// denominator is held at its value there, so that G keeps growing with qc.
double shearModulusDenominator(double eta) {
    const double held = std::min(eta, 1000.0);
    return sp(0.0203) + sp(0.00125) * held - sp(1.216e-6) * (held * held);
}

// The soil's share of the sand friction: the radial stress before its height term at each node,
// the dilation of the interface and the interface angle.
ShaftFriction icpSandSegment(AnalysisState& s, int segment, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    const double pa = cpt::shaftAtmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::shaftConeFactor(in.unitSystem), &sounding);
    const int a = 2 * segment - 1;
    const int b = 2 * segment;

    // Dilation of the interface: the operational shear modulus at the bottom node's stress and a
    // radial displacement of 0.02 mm (0.0007874 in), the same for both nodes. Without cone
    // resistance or without effective stress at the bottom node (a soil of no weight) the
    // normalised resistance has no value; the modulus then takes its limit, 0.
    const double reference = std::sqrt(s.nodeEffStress[b] * pa);
    double shearModulus = 0.0;
    if (qc >= sp(1.0e-10) && reference >= sp(1.0e-10)) {
        shearModulus = qc / shearModulusDenominator(qc / reference);
    }
    const double radius = in.outsideDiameter / 2.0;
    const double displacement = in.unitSystem == kEnglish ? sp(0.0007874) : sp(0.02);

    ShaftFriction f;
    f.rule = ShaftFriction::Rule::IcpSand;
    f.segmentTerm = 2.0 * shearModulus * displacement / radius;
    f.tanDelta = std::tan(cpt::radians(s.segFrictionAngle[segment] - 5.0));
    f.top = sp(0.029) * qc * std::pow(s.nodeEffStress[a] / pa, sp(0.13));
    f.bottom = sp(0.029) * qc * std::pow(s.nodeEffStress[b] / pa, sp(0.13));
    return f;
}

}  // namespace

void icpMethod(AnalysisState& s) {
    const cpt::ShaftContext context = cpt::shaftContext(s, kCodeIcp);
    const int segments = cpt::segmentsToWalk(s);
    CptSoundingCursor sounding(s.input.cptSounding);
    for (int i = 1; i <= segments; ++i) {
        s.segShaftFriction[i] = cpt::isSandSegment(s, i) ? icpSandSegment(s, i, sounding)
                                                         : cpt::clayRadialStressFriction(s, i);
    }
    cpt::applyShaftFriction(s, context, segments, s.input.pileLength);
    cpt::integrateRows(s);
}

// Sand: a fraction of qc that falls with the pile diameter (in mm), with a floor for piles wider
// than 900 mm; an unplugged open end bears on qc in full.
double icpUnitEndBearing(const AnalysisState& s, int segment, CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    const double diameter = in.unitSystem == kEnglish ? in.outsideDiameter * sp(25.4) : in.outsideDiameter;
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem), sounding);
    double q = 0.0;
    if (cpt::endInsideDiameter(in) >= sp(1.0e-4)) {
        q = (0.5 - 0.25 * std::log10(diameter / 36.0)) * qc;
        if (diameter > 900.0) q = std::max(q, sp(0.15) * qc);
        if (in.plugCondition == 2) q = qc;
    } else {
        q = (1.0 - 0.5 * std::log10(diameter / 36.0)) * qc;
        if (diameter > 900.0) q = std::max(q, sp(0.3) * qc);
    }
    return cpt::limitedByMaxUnitBearing(s, segment, q);
}

}  // namespace vorta
