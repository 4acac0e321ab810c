// USACE method (method code 2): unit skin friction from the limited effective stress, an earth
// pressure coefficient and a wall friction angle in sand, from an adhesion factor that depends only
// on the undrained shear strength in clay, and both parts added in silt. The rows are spread and
// accumulated as for the FHWA method, with the perimeter of the straight pile and the tension
// reduction applied to the rows before the intervals.
#include <algorithm>
#include <cmath>

#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/row_steps.h"

namespace vorta {
namespace {

constexpr double kSilt = 3.0;

// Earth pressure coefficient used when the profile gives none, or always when the API RP-2A method
// runs in the same analysis.
double defaultLateralK(const InputData& in) { return in.loadingType == 1 ? sp(0.6) : 1.25; }

// Wall friction angle (degrees) by pile type.
double wallFrictionAngle(int pileType, double phi) {
    switch (pileType) {
        case 1: return 0.75 * phi;      // steel pipe
        case 2: return sp(0.9) * phi;   // timber
        case 3: return sp(0.95) * phi;  // precast concrete
        case 4:
        case 5:
        case 7: return 0.75 * phi;      // tapered and step-taper piles
        case 6: return 0.875 * phi;     // H-pile: the mean of phi and 0.75 phi
        default: return phi - 5.0;
    }
}

// Adhesion factor by undrained shear strength: 1 up to 0.5 ksf (24 kPa), falling linearly to 0.5 at
// 1.5 ksf (72 kPa), 0.5 above.
double adhesionFactor(int unitSystem, double su) {
    if (unitSystem == kEnglish) {
        if (su <= 0.5) return 1.0;
        if (su <= 1.5) return 1.0 - 0.5 * (su - 0.5);
        return 0.5;
    }
    if (su <= 24.0) return 1.0;
    if (su <= 72.0) return 1.0 - 0.5 * (su - 24.0) / 48.0;
    return 0.5;
}

// Unit friction of the friction part at one node: K sigma' tan(delta), with the battered-pile
// correction fK cos(beta) + f0 sin(beta) when the pile is battered.
double frictionPart(double k, double limitedStress, double delta, double batter) {
    const double tanDelta = std::tan(delta / sp(57.2958));
    const double fK = k * limitedStress * tanDelta;
    if (!(batter > 0.0)) return fK;
    const double f0 = limitedStress * tanDelta;
    return fK * std::cos(batter) + f0 * std::sin(batter);
}

}  // namespace

void computeUsaceMethod(AnalysisState& s) {
    InputData& in = s.input;
    const bool stressRule = in.criticalDepthMethod == 1;
    const double threshold = in.unitSystem == kEnglish ? 3.5 : 168.0;
    const bool apiSelected = in.methodSelected[kSelApi] == 1;
    const int segments = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));

    // Under the effective-stress rule the critical depth is searched again here, from sand and
    // silt segments only.
    if (stressRule) in.criticalDepth = 0.0;

    for (int i = 1; i <= segments; ++i) {
        const int top = 2 * i - 1;
        const int bottom = 2 * i;
        const double type = s.segSoilType[i];
        const bool sand = type - 1.0 <= 0.0;
        const bool silt = type == kSilt;

        double frictionTop = 0.0;
        double frictionBottom = 0.0;
        if (sand || silt) {
            const double delta = wallFrictionAngle(in.pileType, s.segFrictionAngle[i]);
            double k = s.segLateralK[i];
            if (k == 0.0 || apiSelected) k = defaultLateralK(in);
            frictionTop = frictionPart(k, s.nodeLimitedEffStress[top], delta, in.batterAngle);
            frictionBottom = frictionPart(k, s.nodeLimitedEffStress[bottom], delta, in.batterAngle);
            if (sand) {
                s.nodeSkinFriction[top] = frictionTop;
                s.nodeSkinFriction[bottom] = frictionBottom;
                s.methodUnitFriction(top, kCodeUsace) = frictionTop;
                s.methodUnitFriction(bottom, kCodeUsace) = frictionBottom;
            }
            if (stressRule && s.nodeEffStress[bottom] > threshold && in.criticalDepth < sp(1.0e-5)) {
                in.criticalDepth = s.segBottomDepth[i];
            }
        }

        // Adhesion part of clay and silt (and any other cohesive code). In silt each node adds the
        // friction part of its own node.
        if (!sand) {
            const double su = s.segShearStrength[i];
            const double alpha = adhesionFactor(in.unitSystem, su);
            const double adhesion = alpha * su;
            if (silt) {
                s.nodeSkinFriction[top] = adhesion + frictionTop;
                s.nodeSkinFriction[bottom] = adhesion + frictionBottom;
            } else {
                s.nodeSkinFriction[top] = adhesion;
                s.nodeSkinFriction[bottom] = adhesion;
            }
            const double inside = alpha * s.segRemoldedStrength[i];
            s.methodUnitFriction(top, kCodeUsace) = inside;
            s.methodUnitFriction(bottom, kCodeUsace) = inside;
        }
    }

    // No sand or silt node reached the threshold: the critical depth lies below the profile, so
    // the end bearing is not capped (a critical depth of 0 would cap it at the surface stress).
    if (stressRule && in.criticalDepth < sp(1.0e-5)) in.criticalDepth = kNoCriticalDepth;

    spreadNodeFrictionToRows(s);

    SkinFrictionRules rules;
    rules.perimeter = sp(3.14159) * (in.outsideDiameter / smallLengthPerLength(in.unitSystem));
    rules.followTaper = false;
    rules.tension = SkinFrictionRules::Tension::RowsFromSecond;
    rules.limitStoredRowValue = true;
    rules.fillLimitedColumn = false;
    rules.capAtRowMaxima = true;
    rules.lrfdSegmentOffset = 1;
    accumulateSkinFriction(s, rules);

    keepRowColumns(s, kCodeUsace);
}

}  // namespace vorta
