// FHWA method (method code 1): unit skin friction by Nordlund in cohesionless segments and by the
// Tomlinson adhesion method in cohesive segments, then the rows spread, limited, reduced in tension
// and accumulated with the LRFD factor on unit friction along the (possibly tapered) pile.
#include <algorithm>
#include <cmath>

#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/fhwa_charts.h"
#include "methods/conventional/row_steps.h"

namespace vorta {
namespace {

constexpr int kCaseUndetermined = 0;

double degreesToRadians(double degrees) { return degrees / sp(57.2958); }

// Tangent of the taper angle: the taper rules convert omega by 0.01745 rad per degree.
double taperTangent(const InputData& in) { return std::tan(in.taperAngle * sp(0.01745)); }

bool isCohesionless(double soilType) { return soilType - 1.0 <= 0.0; }

// Displaced volume of the pile per unit length (area), in ft3/ft for the charts, for segment i.
double displacedVolume(const AnalysisState& s, int i) {
    const InputData& in = s.input;
    const bool english = in.unitSystem == kEnglish;
    const double areaPer = smallAreaPerArea(in.unitSystem);
    const double od = in.outsideDiameter;
    const double id = in.insideDiameter;

    // The steel annulus, or the tip area of a non-circular section when one is given.
    const double annulus = sp(0.7853975) * (od * od - id * id) / areaPer;
    double v = annulus;
    if (in.tipArea > sp(1.0e-6)) v = in.tipArea;

    // A plugged tip displaces the full section; the plug friction governing leaves the annulus
    // (English units; in SI that indicator leaves the volume as it stands).
    const int plugFlag = s.rowTipFlag(kCodeFhwa, static_cast<std::size_t>(i));
    if (plugFlag == 1) {
        const double quarterPi = english ? sp(0.7853975) : sp(0.7854);
        v = quarterPi * od * od / areaPer;
    } else if (plugFlag == 2 && english) {
        v = annulus;
    }

    // A closed end section displaces the full section; on a tapered pile the diameter at the
    // segment's bottom, the taper running from the pile head.
    if (in.enhancedEndLength > sp(0.001) && in.enhancedEndInsideDiameter < sp(1.0e-5)) {
        if (!(in.taperAngle > 0.0)) {
            v = sp(0.7854) * od * od / areaPer;
        } else {
            const double dz = od / smallLengthPerLength(in.unitSystem) -
                              2.0 * taperTangent(in) * (in.stickupLength + s.segBottomDepth[i]);
            v = sp(0.7853975) * dz * dz;
        }
    }

    // An H-pile keeps the given tip area.
    if (in.pileType == 6 && in.tipArea > sp(1.0e-6)) v = in.tipArea;

    // The charts are drawn in ft3/ft.
    if (!english) v = v / sp(0.0929);
    return v;
}

// K-delta for a friction angle: the chart of the band, or linear between the two neighbouring
// charts with weight (phi - lower chart angle) / 5. In SI the last band ends just below 40.
double kDeltaForAngle(int unitSystem, double phi, double omega, double volume) {
    const double lastBandEnd = unitSystem == kEnglish ? 40.0 : sp(39.9999885559082);
    if (phi < 25.0) return kDeltaChart25(omega, volume);
    if (phi < 30.0) {
        const double lower = kDeltaChart25(omega, volume);
        return lower + (kDeltaChart30(omega, volume) - lower) * (phi - 25.0) / 5.0;
    }
    if (phi < 35.0) {
        const double lower = kDeltaChart30(omega, volume);
        return lower + (kDeltaChart35(omega, volume) - lower) * (phi - 30.0) / 5.0;
    }
    if (phi < lastBandEnd) {
        const double lower = kDeltaChart35(omega, volume);
        return lower + (kDeltaChart40(omega, volume) - lower) * (phi - 35.0) / 5.0;
    }
    return kDeltaChart40(omega, volume);
}

// Nordlund unit skin friction of a cohesionless segment at its top and bottom node.
void nordlundSegment(AnalysisState& s, int i) {
    const InputData& in = s.input;
    const double phi = s.segFrictionAngle[i];
    const double omega = in.taperAngle;
    const double volume = displacedVolume(s, i);
    const double ratio = frictionAngleRatio(volume, in.pileType);
    const double delta = ratio * phi;
    const double correction = kDeltaCorrection(ratio, phi);
    const double kDelta = kDeltaForAngle(in.unitSystem, phi, omega, volume);
    const double angleFactor = std::sin(degreesToRadians(delta + omega)) / std::cos(degreesToRadians(omega));

    for (const int node : {2 * i - 1, 2 * i}) {
        const double f = kDelta * correction * s.nodeEffStress[node] * angleFactor;
        s.nodeSkinFriction[node] = f;
        s.methodUnitFriction(node, kCodeFhwa) = f;
    }
}

// Tomlinson penetration ratio: the embedded length in the layer that holds the segment's bottom,
// plus the running sum of the cohesive layers whose bottom a segment approached, over the mean
// pile diameter across the layer.
struct PenetrationScan {
    double runningSum = 0.0;   // S, never reset during the method
    double layerTop = 0.0;     // remembered from the last layer found
    double layerBottom = 0.0;
};

double penetrationRatio(const AnalysisState& s, int i, PenetrationScan& scan) {
    const InputData& in = s.input;
    const double z = s.segBottomDepth[i];
    const int points = std::clamp(in.soilPointCount, 0, static_cast<int>(kMaxSoilPoints));
    bool found = false;
    for (int u = 1; u + 1 <= points; ++u) {
        const double top = in.soilPoints[u].depth;
        const double bottom = in.soilPoints[u + 1].depth;
        if (top < z && z <= bottom) {
            found = true;
            scan.layerTop = top;
            scan.layerBottom = bottom;
            if (std::abs(bottom - z) < sp(0.95)) scan.runningSum += bottom - top;
        }
    }
    // No layer holds the depth: the bottom stays the one remembered; English takes the top at
    // -0.1, SI keeps the remembered top.
    if (!found && in.unitSystem == kEnglish) scan.layerTop = -sp(0.1);

    const double top = scan.layerTop;
    const double bottom = scan.layerBottom;
    const double embedded = std::min(bottom, in.pileLength);
    const double meanDiameter = in.outsideDiameter / smallLengthPerLength(in.unitSystem) -
                                taperTangent(in) * (top + bottom + 2.0 * in.stickupLength);
    return (scan.runningSum - top + embedded) / meanDiameter;
}

// Tomlinson unit skin friction of a cohesive segment. `adhesionCase` is the case memory of the
// method: undetermined after a cohesionless segment, otherwise the case chosen for the clay above.
void tomlinsonSegment(AnalysisState& s, int i, int& adhesionCase, PenetrationScan& scan) {
    const InputData& in = s.input;
    const double toKsf = in.unitSystem == kEnglish ? 1.0 : sp(47.88);
    const double b = penetrationRatio(s, i, scan);

    // The case follows from the soil above: clay under a cohesionless layer (1), under a soft
    // clay (2) or a stiff clay (3).
    if (adhesionCase == kCaseUndetermined && s.segmentCount >= 3 && i >= 2) {
        if (s.segSoilType[i - 1] - 1.0 < sp(1.0e-10)) {
            adhesionCase = 1;
        } else {
            adhesionCase = s.segShearStrength[i - 1] / toKsf >= sp(0.8) ? 3 : 2;
        }
    }
    // The user's case, by its integer part; any other integer part leaves the choice to the method.
    if (s.segAdhesionCase[i] > sp(1.0e-6)) {
        const double userCase = std::trunc(s.segAdhesionCase[i]);
        if (userCase == 1.0 || userCase == 2.0 || userCase == 3.0) adhesionCase = static_cast<int>(userCase);
    }

    // Without a case the adhesion factor last computed in the run stands.
    const double su = s.segShearStrength[i] / toKsf;
    if (adhesionCase == 1) s.fhwaAlpha = adhesionCase1(su, b);
    if (adhesionCase == 2) s.fhwaAlpha = adhesionCase2(su, b);
    if (adhesionCase == 3) s.fhwaAlpha = adhesionCase3(su, b);

    const double alpha = s.fhwaAlpha;
    for (const int node : {2 * i - 1, 2 * i}) {
        s.nodeSkinFriction[node] = alpha * s.segShearStrength[i];
        s.methodUnitFriction(node, kCodeFhwa) = alpha * s.segRemoldedStrength[i];
    }
}

}  // namespace

void computeFhwaMethod(AnalysisState& s) {
    const InputData& in = s.input;
    s.currentMethod = kCodeFhwa;

    int adhesionCase = kCaseUndetermined;
    PenetrationScan scan;
    const int segments = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    for (int i = 1; i <= segments; ++i) {
        if (isCohesionless(s.segSoilType[i])) {
            nordlundSegment(s, i);
            adhesionCase = kCaseUndetermined;
        } else {
            tomlinsonSegment(s, i, adhesionCase, scan);
        }
    }

    spreadNodeFrictionToRows(s);

    SkinFrictionRules rules;
    rules.perimeter = sp(3.14159) * (in.outsideDiameter / smallLengthPerLength(in.unitSystem));
    rules.followTaper = true;
    rules.tension = SkinFrictionRules::Tension::InIntervalLoop;
    rules.limitStoredRowValue = true;
    rules.fillLimitedColumn = false;
    rules.capAtRowMaxima = true;
    rules.lrfdSegmentOffset = 1;
    accumulateSkinFriction(s, rules);

    keepRowColumns(s, kCodeFhwa);
}

}  // namespace vorta
