// NGI method (code 5): unit skin friction from the relative density that the cone resistance
// gives in sand, and from strength ratio and plasticity index in clay; end bearing by relative
// density in sand.
#include <algorithm>
#include <cmath>

#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// Relative density at a node from qc and the reference resistance 22 sqrt(sigma' pa), not below
// the minimum of the unit system. Where the stress gives no positive reference resistance (the
// ground surface) the previous node's density is kept. In SI a qc below the reference resistance
// is first raised to 1.01 times it, and stays raised for the other node of the segment.
double ngiRelativeDensity(int unitSystem, double effStress, double pa, double& qc, double previous) {
    const double minimum = unitSystem == kSi ? sp(0.20001) : sp(0.200001);
    const double reference = 22.0 * std::sqrt(effStress * pa);
    double dr = previous;
    if (reference > 0.0) {
        if (unitSystem == kSi && reference > qc) qc = sp(1.01) * reference;
        dr = sp(0.4) * std::log(qc / reference);
    }
    if (!(dr >= minimum)) dr = minimum;
    return dr;
}

// pa F_sig F_Dr: the sand friction before the depth ratio z/L and the end, loading and material
// factors, which cpt::shaftFrictionAt applies.
double ngiSandFriction(double pa, double effStress, double dr) {
    const double densityFactor = sp(2.1) * std::pow(dr - sp(0.1), sp(1.7));
    const double stressFactor = std::pow(effStress / pa, 0.25);
    return pa * stressFactor * densityFactor;
}

ShaftFriction ngiSandSegment(AnalysisState& s, int segment, double& relativeDensity, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    const double pa = cpt::shaftAtmosphericPressure(in.unitSystem);
    double qc = coneResistanceAtSegment(s, segment, cpt::shaftConeFactor(in.unitSystem), &sounding);
    const int a = 2 * segment - 1;
    const int b = 2 * segment;
    ShaftFriction f;
    f.rule = ShaftFriction::Rule::NgiSand;

    relativeDensity = ngiRelativeDensity(in.unitSystem, s.nodeEffStress[b], pa, qc, relativeDensity);
    f.bottom = ngiSandFriction(pa, s.nodeEffStress[b], relativeDensity);

    relativeDensity = ngiRelativeDensity(in.unitSystem, s.nodeEffStress[a], pa, qc, relativeDensity);
    if (in.unitSystem == kEnglish) s.nodeEffStress[a] = std::max(s.nodeEffStress[a], sp(1.0e-8));
    f.top = ngiSandFriction(pa, s.nodeEffStress[a], relativeDensity);
    return f;
}

// Clay: the strength ratio psi = su / sigma' chooses between the normally consolidated rule
// (psi < 0.25), the overconsolidated rule (psi > 1) and the blend between them with its lower
// bound. The plug takes the remolded strength with the same alpha and lower bound, which are the
// segment's own in every range.
ShaftFriction ngiClaySegment(AnalysisState& s, int segment) {
    const InputData& in = s.input;
    const int b = 2 * segment;
    const double effStress = std::max(s.nodeEffStress[b], sp(1.0e-10));
    s.nodeEffStress[b] = effStress;
    const double su = s.segShearStrength[segment];
    const double psi = std::max(su / effStress, sp(1.0e-10));
    const double tipFactor = cpt::endInsideDiameter(in) >= sp(1.0e-5) ? sp(0.8) + sp(0.2) * std::sqrt(psi) : 1.0;

    const double plasticity = s.segPlasticityIndex[segment];
    const double plasticity12 = plasticity <= 12.0 ? sp(12.000001) : plasticity;
    const double lowerBound = sp(0.06) * effStress * std::pow(plasticity12 - 12.0, sp(0.33));
    const double alphaNc = sp(0.32) * std::pow(plasticity12 - 10.0, sp(0.3));
    const double alphaOc = 0.5 * std::pow(psi, -sp(0.3));

    double friction = 0.0;
    double alpha = 0.0;
    if (psi < 0.25) {
        const double plasticity10 = plasticity <= 10.0 ? sp(10.000001) : plasticity;
        friction = sp(0.08) * effStress * std::pow(plasticity10 - 10.0, sp(0.3));
        alpha = alphaNc;
    } else if (psi > 1.0) {
        alpha = alphaOc;
        friction = su * tipFactor * alpha;
    } else {
        alpha = alphaNc + (psi - 0.25) * (alphaOc - alphaNc) / 0.75;
        friction = std::max(lowerBound, su * tipFactor * alpha);
    }
    const double plug = std::max(lowerBound, tipFactor * alpha * s.segRemoldedStrength[segment]);
    return ShaftFriction{ShaftFriction::Rule::Fixed, friction, friction, plug, plug};
}

}  // namespace

void ngiMethod(AnalysisState& s) {
    double relativeDensity = s.input.unitSystem == kSi ? sp(0.20001) : sp(0.200001);
    const int segments = cpt::segmentsToWalk(s);
    CptSoundingCursor sounding(s.input.cptSounding);
    for (int i = 1; i <= segments; ++i) {
        s.segShaftFriction[i] =
            cpt::isSandSegment(s, i) ? ngiSandSegment(s, i, relativeDensity, sounding) : ngiClaySegment(s, i);
    }
    cpt::applyShaftFriction(s, cpt::shaftContext(s, kCodeNgi), segments, s.input.pileLength);
    cpt::integrateRows(s);
}

// Sand: the bearing falls with the relative density at the node, less for a closed end than for
// an open one. No qc or no reference resistance (the ground surface) bears nothing.
void ngiUnitEndBearing(const AnalysisState& s, int segment, double& topNode, double& bottomNode,
                       CptSoundingCursor* sounding) {
    const InputData& in = s.input;
    const double pa = atmosphericPressure(in.unitSystem);
    const double qc = coneResistanceAtSegment(s, segment, cpt::bearingConeFactor(in.unitSystem), sounding);
    const bool closed = cpt::endInsideDiameter(in) <= sp(1.0e-4);
    auto atNode = [&](int node) {
        const double reference = 22.0 * std::sqrt(pa * s.nodeEffStress[node]);
        if (!(qc >= sp(1.0e-10)) || !(reference >= sp(1.0e-10))) return 0.0;
        const double dr = sp(0.4) * std::log(qc / reference);
        return closed ? sp(0.8) * qc / (1.0 + dr * dr) : sp(0.7) * qc / (1.0 + 3.0 * (dr * dr));
    };
    topNode = cpt::limitedByMaxUnitBearing(s, segment, atNode(2 * segment - 1));
    bottomNode = cpt::limitedByMaxUnitBearing(s, segment, atNode(2 * segment));
}

}  // namespace vorta
