// Stress state along the pile at the start of each pass: the vertical effective stress at every
// node, the stress held constant below the critical depth, and the soil properties that the user
// left to the program (friction angle from the blow count, undrained strength from qc).
#include <algorithm>

#include "capacity/piecewise_table.h"
#include "engine/constants.h"
#include "input/input.h"

namespace vorta {
namespace {

// Friction angle against blow count at an effective overburden of 0, 20 and 40 psi.
constexpr PiecewiseLinearTable<7> kAngleAt0Psi({0, 2, 4, 6, 10, 15, 20}, {0, 32, 34, 36, 38, 42, 45});
constexpr PiecewiseLinearTable<11> kAngleAt20Psi({6, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55},
                                                 {30, 32, 34, 36, 37, 39, 40, 41, 42, 44, 45});
constexpr PiecewiseLinearTable<17> kAngleAt40Psi(
    {10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90},
    {31, 32, 34, 35, 36, 36, 37, 38, 39, 39, 40, 41, 42, 42, 43, 44, 44});
// Upper limits of the estimate at 0 and 40 psi.
constexpr PiecewiseLinearTable<5> kLimitAt0Psi({3, 4, 10, 30, 60}, {30, 32, 35, 40, 43});
constexpr PiecewiseLinearTable<5> kLimitAt40Psi({3, 4, 10, 30, 60}, {25, 27, 30, 35, 38});

// Stress added by a thickness of soil: ksf from pcf and ft, kPa from kN/m3 and m.
double stressIncrement(int unitSystem, double thickness, double unitWeight) {
    return unitSystem == kEnglish ? thickness * unitWeight / 1000.0 : thickness * unitWeight;
}

// Effective overburden in psi for the blow-count correlation.
double overburdenPsi(int unitSystem, double stress) {
    return unitSystem == kEnglish ? stress * 1000.0 / 144.0 : stress / sp(6.8948);
}

// Critical depth of a sand segment: 10, 15 or 20 diameters by its friction angle.
double sandCriticalDepthFor(double frictionAngle, double diameter) {
    if (frictionAngle < 33.0) return 10.0 * diameter;
    if (frictionAngle < 36.0) return 15.0 * diameter;
    return 20.0 * diameter;
}

// The friction angle and the undrained strength that the user left to the program.
void completeSegment(AnalysisState& s, int c, double overburden) {
    if (s.segFrictionAngle[c] < sp(1.0e-10)) {
        const double blowCount = s.segYieldStressRatio[c];
        if (blowCount > 0.0) {
            s.lastFrictionEstimate = frictionAngleFromBlowCount(blowCount, overburden, s.lastFrictionEstimate);
            s.segFrictionAngle[c] = s.lastFrictionEstimate;
        } else {
            s.segFrictionAngle[c] = s.lastFrictionEstimate;
        }
    }
    if (s.segShearStrength[c] < sp(1.0e-10)) {
        // qc is held in psf in English units: ksf first, then su = qc / 15.
        const double qc = s.input.unitSystem == kEnglish ? s.segQc[c] / 1000.0 : s.segQc[c];
        s.segShearStrength[c] = qc / 15.0;
    }
}

}  // namespace

double frictionAngleFromBlowCount(double n, double b, double previous) {
    const double phi0 = kAngleAt0Psi(n);
    const double phi20 = kAngleAt20Psi(n);
    const double phi40 = kAngleAt40Psi(n);

    double phi = previous;  // where the charts give no value
    if (b <= 20.0) {
        if (n < 6.0) {
            phi = phi0 - (b / 20.0) * (phi0 - 30.0);
        } else if (n < 20.0) {
            phi = phi0 - (phi0 - phi20) * b / 20.0;
        } else if (n < 55.0) {
            phi = phi20 + (20.0 - b) * (45.0 - phi20) / 20.0;
        } else if (n == 55.0) {
            phi = phi20 - (b - 20.0) * (phi20 - phi40) / 20.0;
        } else if (n < 90.0) {
            phi = phi40 + (40.0 - b) * (45.0 - phi40) / 20.0;
        } else {
            phi = 50.0;
        }
    } else if (b < 40.0) {
        if (n <= 6.0) {
            phi = 30.0;
        } else if (n < 10.0) {
            phi = 30.0 + 0.5 * (n - 6.0);
        } else if (n <= 55.0) {
            phi = phi20 - (b - 20.0) * (phi20 - phi40) / 20.0;
        } else if (n < 90.0) {
            phi = phi40 + (40.0 - b) * (45.0 - phi40) / 20.0;
        } else if (n > 90.0) {
            phi = 50.0;
        }
    } else if (n > 10.0 && n < 90.0) {
        phi = phi40;
    }

    // Upper limit, linear in the overburden between the 0 and 40 psi curves.
    double limit = 0.0;
    if (b <= 0.0) {
        limit = kLimitAt0Psi(n);
    } else if (b >= 40.0) {
        limit = kLimitAt40Psi(n);
    } else {
        const double limit0 = kLimitAt0Psi(n);
        limit = limit0 + b * (kLimitAt40Psi(n) - limit0) / 40.0;
    }
    return std::min(phi, limit);
}

void prepareNodes(AnalysisState& s) {
    const InputData& d = s.input;
    const int n = std::min(s.segmentCount, static_cast<int>(kMaxSegments));
    if (n < 1) return;
    const int units = d.unitSystem;
    const double diameter = d.outsideDiameter / smallLengthPerLength(units);
    const double threshold = units == kEnglish ? 3.5 : sp(167.58);

    // Segment 1 is never limited.
    s.nodeEffStress[1] = 0.0;
    s.nodeLimitedEffStress[1] = 0.0;
    const double first = stressIncrement(units, s.segBottomDepth[1] - s.segTopDepth[1], s.segEffUnitWeight[1]);
    s.nodeEffStress[2] = first;
    s.nodeEffStress[3] = first;
    s.nodeLimitedEffStress[2] = first;
    s.nodeLimitedEffStress[3] = first;
    completeSegment(s, 1, overburdenPsi(units, first));

    // Effective stress down the pile, the completed properties and the critical depths.
    for (int c = 2; c <= n; ++c) {
        s.nodeEffStress[2 * c] = s.nodeEffStress[2 * c - 1] +
                                 stressIncrement(units, s.segBottomDepth[c] - s.segTopDepth[c], s.segEffUnitWeight[c]);
        completeSegment(s, c, overburdenPsi(units, s.nodeEffStress[2 * c]));
        if (d.criticalDepthMethod == 1 && s.input.criticalDepth < sp(1.0e-5) && s.nodeEffStress[2 * c] > threshold) {
            s.input.criticalDepth = s.segBottomDepth[c];
        }
        if (s.segSoilType[c] < 1.5) s.sandCriticalDepth = sandCriticalDepthFor(s.segFrictionAngle[c], diameter);
        s.nodeEffStress[2 * c + 1] = s.nodeEffStress[2 * c];
    }
    // A stress that never reaches the threshold leaves no critical depth within the profile.
    if (d.criticalDepthMethod == 1 && s.input.criticalDepth < sp(1.0e-5)) s.input.criticalDepth = kNoCriticalDepth;

    // The stress held constant below the critical depth.
    double zc = s.sandCriticalDepth;
    for (int c = 2; c <= n; ++c) {
        if (s.segSoilType[c] < 1.5) zc = sandCriticalDepthFor(s.segFrictionAngle[c], diameter);
        if (d.criticalDepthMethod > 0) zc = d.criticalDepth;
        double limited = s.nodeEffStress[2 * c];
        if (s.segBottomDepth[c] >= zc) {
            int k = 2;
            while (k < c && s.segBottomDepth[k] < zc) ++k;
            if (k == 2) {
                limited = stressIncrement(units, zc - s.segTopDepth[1], s.segEffUnitWeight[1]);
            } else {
                // The unit weight is that of the segment above the one that holds zc.
                limited = s.nodeEffStress[2 * k - 4] +
                          stressIncrement(units, zc - s.segTopDepth[k - 1], s.segEffUnitWeight[k - 1]);
            }
        }
        s.nodeLimitedEffStress[2 * c] = limited;
        s.nodeLimitedEffStress[2 * c + 1] = limited;
    }
}

}  // namespace vorta
