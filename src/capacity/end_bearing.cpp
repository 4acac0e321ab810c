// Unit end bearing at the two nodes of every segment for the method being integrated: nine
// times the undrained strength in clay, a bearing factor times the effective stress in sand, with
// each method's own factor and limit; the CPT methods bring their own rules.
#include <algorithm>

#include "capacity/capacity.h"
#include "capacity/soil_tables.h"
#include "engine/constants.h"
#include "methods/cpt/cpt.h"

namespace vorta {
namespace {

// Limiting unit end bearing of the Revised Lambda and API RP-2A rules when the user set no limit,
// by the bearing factor Nq: ksf in English units, kPa in SI.
double apiLimitByNq(double nq, int unitSystem) {
    if (unitSystem == kEnglish) {
        if (nq <= 8.0) return 40.0;
        if (nq <= 12.0) return 40.0 + 5.0 * (nq - 8.0);
        if (nq <= 20.0) return 60.0 + 5.0 * (nq - 12.0);
        if (nq <= 40.0) return 100.0 + 100.0 * (nq - 20.0) / 20.0;
        if (nq <= 50.0) return 200.0 + 50.0 * (nq - 40.0) / 10.0;
        return 250.0;
    }
    if (nq <= 8.0) return 1900.0;
    if (nq <= 12.0) return 1900.0 + 250.0 * (nq - 8.0);
    if (nq <= 20.0) return 2900.0 + 237.5 * (nq - 12.0);
    if (nq <= 40.0) return 4800.0 + 4800.0 * (nq - 20.0) / 20.0;
    if (nq <= 50.0) return 9600.0 + 2400.0 * (nq - 40.0) / 10.0;
    return 12000.0;
}

// Critical depths of the Corps of Engineers rule (ft or m): 10, 15 and 20 diameters plus one by
// the density of the sand, or the single depth of the chosen critical-depth rule.
struct UsaceCriticalDepths {
    double loose = 0.0;
    double medium = 0.0;
    double dense = 0.0;
};

UsaceCriticalDepths usaceCriticalDepths(const InputData& in) {
    UsaceCriticalDepths dc;
    if (in.criticalDepthMethod >= 1) {
        dc.loose = dc.medium = dc.dense = in.criticalDepth;
        return dc;
    }
    const double perLength = smallLengthPerLength(in.unitSystem);
    dc.loose = 10.0 * in.outsideDiameter / perLength + 1.0;
    dc.medium = 15.0 * in.outsideDiameter / perLength + 1.0;
    dc.dense = 20.0 * in.outsideDiameter / perLength + 1.0;
    return dc;
}

// The effective stresses that cap the Corps of Engineers end bearing below the critical depth of
// each density class, captured at the top node of the first segment of that class below its
// depth and carried from segment to segment for the rest of the call.
struct UsaceCappedStress {
    double capped = 0.0;  // the stress that caps the segment being processed
    double medium = 0.0;  // captured in medium sand (33 < phi <= 36)
    double dense = 0.0;   // captured in dense sand (phi > 36)
};

void usaceSandBearing(const AnalysisState& s, int i, const UsaceCriticalDepths& dc, UsaceCappedStress& cap,
                      double& qTop, double& qBottom) {
    const int a = 2 * i - 1;
    const int b = 2 * i;
    const double phi = s.segFrictionAngle[i];
    const double top = s.segTopDepth[i];
    const double nq = usaceBearingFactor(phi);

    if (phi <= 33.0 && top > dc.loose && cap.capped < sp(1.0e-5)) cap.capped = s.nodeLimitedEffStress[a];
    if (phi > 33.0 && top > dc.medium) {
        if (phi <= 36.0 && cap.medium < sp(1.0e-5)) cap.medium = s.nodeLimitedEffStress[a];
        cap.capped = cap.medium;
    }
    if (phi > 36.0 && top > dc.dense) {
        if (cap.dense < sp(1.0e-5)) cap.dense = s.nodeLimitedEffStress[a];
        cap.capped = cap.dense;
    }

    qTop = nq * s.nodeEffStress[a];
    qBottom = nq * s.nodeEffStress[b];
    if (sp(1.0e-5) < cap.capped && cap.capped < s.nodeEffStress[b]) qTop = qBottom = nq * cap.capped;

    const double limit = s.segMaxUnitBearing[i];
    if (limit != kNoLimit && limit > sp(0.001)) {
        qTop = std::min(qTop, limit);
        qBottom = std::min(qBottom, limit);
    }
}

// Nordlund: N'q = alpha-t * N'q(phi) for the pile's depth-to-diameter ratio, limited by the
// user's maximum and twice the chart's limiting resistance (tsf to ksf; times 47.88 in kPa).
void fhwaSandBearing(AnalysisState& s, int i, double& qTop, double& qBottom) {
    const InputData& in = s.input;
    const double phi = s.segFrictionAngle[i];
    const double ratio = in.pileLength / (in.outsideDiameter / smallLengthPerLength(in.unitSystem));
    const double nqPrime = fhwaAlphaT(phi, ratio) * fhwaBearingFactor(phi);
    double chartLimit = 0.0;
    if (in.unitSystem == kEnglish) chartLimit = 2.0 * fhwaLimitingBearing(phi);
    if (in.unitSystem == kSi) chartLimit = 2.0 * fhwaLimitingBearing(phi) * sp(47.88);
    const double limit = std::min(s.segMaxUnitBearing[i], chartLimit);
    s.segNq[i] = nqPrime;  // the segment carries N'q while it is processed
    qTop = std::min(s.nodeEffStress[2 * i - 1] * nqPrime, limit);
    qBottom = std::min(s.nodeEffStress[2 * i] * nqPrime, limit);
}

// Revised Lambda and API RP-2A: the segment's Nq, limited by the user's maximum or, when none was
// set, by the limit schedule by Nq.
void apiSandBearing(const AnalysisState& s, int i, double& qTop, double& qBottom) {
    const double nq = s.segNq[i];
    const double limit =
        s.segMaxUnitBearing[i] == kNoLimit ? apiLimitByNq(nq, s.input.unitSystem) : s.segMaxUnitBearing[i];
    qTop = std::min(s.nodeEffStress[2 * i - 1] * nq, limit);
    qBottom = std::min(s.nodeEffStress[2 * i] * nq, limit);
}

}  // namespace

void computeNodeEndBearing(AnalysisState& s) {
    const int method = s.currentMethod;
    const int count = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    const UsaceCriticalDepths dc = usaceCriticalDepths(s.input);
    UsaceCappedStress usaceCap;  // carried across the segments of this call only
    CptSoundingCursor sounding(s.input.cptSounding);

    for (int i = 1; i <= count; ++i) {
        double qTop = 0.0;
        double qBottom = 0.0;
        const bool sand = s.segSoilType[i] - 1.0 <= sp(1.0e-6);
        if (sand) {
            if (s.segNq[i] == 0.0) s.segNq[i] = bearingFactorForAngle(s.segFrictionAngle[i] - 5.0);
            const double nqOnEntry = s.segNq[i];
            switch (method) {
                case kCodeFhwa: fhwaSandBearing(s, i, qTop, qBottom); break;
                case kCodeUsace: usaceSandBearing(s, i, dc, usaceCap, qTop, qBottom); break;
                case kCodeLambda:
                case kCodeApi: apiSandBearing(s, i, qTop, qBottom); break;
                case kCodeNgi:
                case kCodeIcp:
                case kCodeFugro:
                case kCodeUwa: cptSandEndBearing(s, i, qTop, qBottom, &sounding); break;
                default: break;
            }
            s.segNq[i] = nqOnEntry;
        } else {
            qTop = qBottom = 9.0 * s.segShearStrength[i];
            if (method == kCodeIcp || method == kCodeFugro || method == kCodeUwa) {
                qTop = qBottom = cptClayEndBearing(s, i, &sounding);
            }
        }
        // The general method bears on the user's own unit end bearing of the segment, in every
        // soil, so that its plugged or unplugged tip is decided on its own values.
        if (method == kCodeUser) qTop = qBottom = s.segUserUnitBearing[i];

        s.nodeUnitEndBearing[2 * i - 1] = qTop;
        s.nodeUnitEndBearing[2 * i] = qBottom;
    }
}

}  // namespace vorta
