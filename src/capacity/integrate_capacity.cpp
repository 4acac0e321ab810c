// Capacity integration: the tip column of the capacity table for every penetration of the method
// being run. The end bearing of the full (plugged or closed) tip is averaged over one and a half
// diameters above and below the tip and limited by the layers' maximum unit bearing; an open tip
// may instead be carried by the bearing on the pile wall plus the friction of the soil plug
// inside the enhanced end section, whichever is smaller, and the length of the plug follows. In
// tension the tip column holds the pile's self weight with buoyancy below the water table.
#include <algorithm>
#include <cmath>
#include <optional>

#include "capacity/capacity.h"
#include "capacity/integration_steps.h"
#include "capacity/soil_tables.h"
#include "engine/constants.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

int usableSegments(const AnalysisState& s) {
    return std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
}

int usableRows(const AnalysisState& s) { return std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows)); }

// Method codes whose own unit friction (methodUnitFriction) acts inside the soil plug.
bool hasOwnPlugFriction(int method) {
    return method == kCodeFhwa || method == kCodeUsace || (method >= kCodeNgi && method <= kCodeUwa);
}

// Cone resistance acting on the pile wall at node n (ksf or kPa). The node's row j = n/2 + 1
// has its tip at the node's depth; its soil is that of segment j (the segment below a bottom
// node), held at the last segment for the bottom node of the grid. The sounding is read at the
// node's depth; the estimate from the blow count or yield stress ratio applies only when no
// sounding was read.
double coneResistanceAtNode(const AnalysisState& s, int n, int segments, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    const int nodeRow = n / 2 + 1;
    const int j = std::min(nodeRow, segments);
    const bool haveSounding = in.cptSounding.cptPointCount >= 1;
    double qc = s.segQc[j];
    if (qc < sp(1.0e-5) && haveSounding) qc = sounding.qcAt((nodeRow - 1) * s.depthIncrement);
    if (in.unitSystem == kEnglish) qc /= 1000.0;  // psf to ksf
    if (qc < sp(1.0e-5) && !haveSounding) qc = sp(2.8) * atmosphericPressure(in.unitSystem) * s.segYieldStressRatio[j];
    return qc;
}

// End-bearing force on the pile wall (or on the given tip area of a non-circular pile) at node n.
// The CPT methods and the general method bear on the cone resistance at an open end.
double annulusBearing(const AnalysisState& s, int n, int segments, CptSoundingCursor& sounding) {
    const InputData& in = s.input;
    // A closed-ended pile is closed here too, whatever inside diameter its end section keeps.
    const double endId = cpt::endInsideDiameter(in);
    double q = s.nodeUnitEndBearing[n];
    if (s.currentMethod >= kCodeNgi && endId > sp(1.0e-4)) q = coneResistanceAtNode(s, n, segments, sounding);
    if (in.tipArea > sp(1.0e-4)) return q * in.tipArea;
    return q * sp(0.7853975) * (in.outsideDiameter * in.outsideDiameter - endId * endId) /
           smallAreaPerArea(in.unitSystem);
}

}  // namespace

namespace integration {

PileExtent extentOfInput(const InputData& in) { return {in.pileLength, in.enhancedEndLength}; }

double annulusBearingAtNode(const AnalysisState& s, int n, int segments) {
    CptSoundingCursor sounding(s.input.cptSounding);
    return annulusBearing(s, n, segments, sounding);
}

void computeAnnulusBearing(AnalysisState& s, int segments) {
    CptSoundingCursor sounding(s.input.cptSounding);
    for (int n = 1; n <= 2 * segments; ++n) s.nodeAnnulusBearing[n] = annulusBearing(s, n, segments, sounding);
}

// Unit friction between the soil plug and the inside wall at every node, and the plug friction
// force accumulated from the ground surface down the enhanced end's inside perimeter.
void computePlugFriction(AnalysisState& s, int segments) {
    const InputData& in = s.input;
    const int m = s.currentMethod;
    s.nodePlugFrictionCum[1] = 0.0;
    for (int i = 1; i <= segments; ++i) {
        const int a = 2 * i - 1;
        const int b = 2 * i;
        double fTop = 0.0;
        double fBottom = 0.0;
        if (s.segSoilType[i] - 1.0 <= sp(1.0e-6)) {
            // Sand: the method's own friction, or K tan(phi - 5) times the effective stress, within
            // the layer's maximum.
            const double delta = s.segFrictionAngle[i] - 5.0;
            if (hasOwnPlugFriction(m)) {
                fTop = s.methodUnitFriction(a, m);
                fBottom = s.methodUnitFriction(b, m);
            } else {
                const double w = std::tan(delta / sp(57.2958)) * s.segLateralK[i];
                fTop = std::min(w * s.nodeEffStress[a], s.segMaxUnitFriction[i]);
                fBottom = std::min(w * s.nodeEffStress[b], s.segMaxUnitFriction[i]);
            }
            if (m == kCodeApi) {
                double limit = limitingFrictionForAngle(delta);
                if (in.unitSystem == kSi) limit *= sp(47.8);
                fTop = std::min(fTop, limit);
                fBottom = std::min(fBottom, limit);
            }
        } else {
            // Clay: the method's own friction, or alpha of the strength ratio times the remolded
            // strength.
            const double stress = std::max(s.nodeEffStress[b], sp(1.0e-10));
            s.nodeEffStress[b] = stress;
            double f = 0.0;
            if (hasOwnPlugFriction(m)) {
                f = s.methodUnitFriction(a, m);
            } else {
                const double psi = std::max(s.segShearStrength[i] / stress, sp(1.0e-10));
                double alpha = psi <= 1.0 ? 0.5 * std::pow(psi, -0.5) : 0.5 * std::pow(psi, -0.25);
                alpha = std::min(alpha, 1.0);
                f = alpha * s.segRemoldedStrength[i];
            }
            fTop = fBottom = f;
        }
        s.nodeInnerFriction[a] = fTop;
        s.nodeInnerFriction[b] = fBottom;
        s.nodePlugFrictionCum[b] = s.nodePlugFrictionCum[a] + in.enhancedEndInsideDiameter * sp(1.570795) *
                                                                  (s.segBottomDepth[i] - s.segTopDepth[i]) *
                                                                  (fTop + fBottom) / smallLengthPerLength(in.unitSystem);
        s.nodePlugFrictionCum[2 * i + 1] = s.nodePlugFrictionCum[b];
    }
    // An unplugged pile mobilises no plug friction.
    if (in.plugCondition == 2) {
        for (int n = 1; n <= 2 * segments + 1; ++n) s.nodePlugFrictionCum[n] = 0.0;
    }
}

// Plug friction over the bottom enhancedEndLength of the pile and the wall bearing, per row.
namespace {

// The plug friction over the enhanced end section of a row: the friction accumulated from the
// surface to the tip less that to the section's top (none while the top lies at the surface or
// above). The positions found once serve the tips, and the tops where their section is this one.
class EndSectionPlug {
public:
    EndSectionPlug(const AnalysisState& s, const PileExtent& pile, const RowPositions* positions)
        : s_(s), pile_(pile), positions_(positions),
          topsFound_(positions != nullptr && positions->enhancedEndLength == pile.enhancedEndLength) {}

    double capacityAt(int k) {
        if (k < 2) return 0.0;  // row 1: the tip at the surface has no plug
        const double z = (k - 1) * s_.depthIncrement;
        const double above = z - pile_.enhancedEndLength;
        double toEndTop = 0.0;
        if (!(above <= sp(1.0e-6))) {
            toEndTop = topsFound_ ? SegmentWalk::valueAt(s_.nodePlugFrictionCum, positions_->endTop[k])
                                  : walk().valueAt(s_.nodePlugFrictionCum, above, atEndTop_);
        }
        const double toTip = positions_ != nullptr ? SegmentWalk::valueAt(s_.nodePlugFrictionCum, positions_->tip[k])
                                                   : walk().valueAt(s_.nodePlugFrictionCum, z, atTip_);
        return toTip - toEndTop;
    }

private:
    const AnalysisState& s_;
    const PileExtent& pile_;
    const RowPositions* positions_;
    bool topsFound_;
    std::optional<SegmentWalk> walk_;
    int atTip_ = 1;  // segments found last at the tip and at the top of the enhanced end
    int atEndTop_ = 1;

    const SegmentWalk& walk() {
        if (!walk_) walk_.emplace(s_);
        return *walk_;
    }
};

}  // namespace

void computeRowWallBearing(AnalysisState& s, int rows) {
    const SegmentWalk walk(s);
    int atTip = 1;
    if (rows >= 1) s.rowAnnulusBearing[1] = s.nodeAnnulusBearing[1];
    for (int k = 2; k <= rows; ++k) s.rowAnnulusBearing[k] = walk.valueAt(s.nodeAnnulusBearing, (k - 1) * s.depthIncrement, atTip);
}

namespace {

// Running integrals from depth 0 of the tip-zone quantities: a force linear within each segment
// between its node values (trapezoids) and a limit constant within each segment. The whole
// segments above a depth are added up once, top down, in the order a walk from the surface adds
// them; the part of the segment that holds the depth is added at each lookup.
class TipZoneIntegrals {
public:
    TipZoneIntegrals(const AnalysisState& s, const NodeArray& force, const SegmentArray& limit)
        : walk_(s), force_(force), limit_(limit) {
        for (int i = 1; i <= walk_.segmentCount(); ++i) {
            forceAbove_[i] = forceAbove_[i - 1] + (force[2 * i - 1] + force[2 * i]) * 0.5 * walk_.length(i);
            limitAbove_[i] = limitAbove_[i - 1] + limit[i] * walk_.length(i);
        }
    }

    // The bearing force and its limit integrated from depth 0 to a depth. `hint`: the segment
    // found by the last lookup of the same sequence of depths.
    struct ToDepth {
        double force = 0.0;
        double limit = 0.0;
    };
    ToDepth at(double depth, int& hint) const {
        if (walk_.segmentCount() < 1) return {};
        const int i = walk_.segmentAt(depth, hint);
        const double length = walk_.length(i);
        const double part = depth - walk_.accumulatedBottom(i - 1);
        const double top = force_[2 * i - 1];
        const double atDepth = length > 0.0 ? top + (force_[2 * i] - top) * part / length : top;
        return {forceAbove_[i - 1] + (top + atDepth) * 0.5 * part, limitAbove_[i - 1] + limit_[i] * part};
    }

private:
    SegmentWalk walk_;
    const NodeArray& force_;
    const SegmentArray& limit_;
    SegmentArray forceAbove_;  // integral over segments 1..i
    SegmentArray limitAbove_;
};

}  // namespace

// End bearing of the full tip for every row: the bearing force averaged over 1.5 diameters above
// and below the tip, limited by the average of the layers' maximum unit bearing over the same
// zone. Near the surface the zone starts at depth 0 but the average is still taken over three
// diameters.
void computePluggedBearing(AnalysisState& s, int segments, int rows, const PileExtent& pile) {
    const InputData& in = s.input;
    const double perLength = smallLengthPerLength(in.unitSystem);
    double tipDiameter = in.outsideDiameter / perLength;
    if (in.taperAngle > 0.0) {
        tipDiameter = tipDiameter - (in.stickupLength + pile.embeddedLength) * 2.0 * std::tan(in.taperAngle * sp(0.01745));
    }
    const double tipArea = in.tipArea > sp(1.0e-4) ? in.tipArea : sp(0.7853975) * tipDiameter * tipDiameter;

    NodeArray force;
    SegmentArray limitForce;
    for (int i = 1; i <= segments; ++i) limitForce[i] = s.segMaxUnitBearing[i] * tipArea;
    for (int n = 1; n <= 2 * segments; ++n) {
        force[n] = s.nodeUnitEndBearing[n] * tipArea;
        // ICP/MTD: the full tip never bears less than the pile wall alone.
        if (s.currentMethod == kCodeIcp) force[n] = std::max(force[n], s.nodeAnnulusBearing[n]);
    }

    const TipZoneIntegrals integrals(s, force, limitForce);
    const double d = in.outsideDiameter / perLength;
    int atZoneTop = 1;  // segments found last at the top and the bottom of the tip zone
    int atZoneBottom = 1;
    for (int k = 1; k <= rows; ++k) {
        if (!(d > 0.0)) {
            s.rowPluggedBearing[k] = 0.0;  // no diameter, no tip zone
            continue;
        }
        const double t = (k - 1) * s.depthIncrement;
        const double zoneTop = t - 1.5 * d;
        const double zoneBottom = t + 1.5 * d;
        TipZoneIntegrals::ToDepth above;
        if (!(zoneTop < sp(1.0e-4))) above = integrals.at(zoneTop, atZoneTop);
        const TipZoneIntegrals::ToDepth toBottom = integrals.at(zoneBottom, atZoneBottom);
        const double average = (toBottom.force - above.force) / (3.0 * d);
        const double limit = (toBottom.limit - above.limit) / (3.0 * d);
        s.rowPluggedBearing[k] = average - limit > sp(1.0e-6) ? limit : average;
    }
}

namespace {

// Self weight of the embedded pile with its tip at depth t, with buoyancy below the water table
// (the first light soil), and the weight of the stickup above ground.
struct SelfWeight {
    double unitWeight = 0.0;       // pile material, kcf or kN/m3
    double waterUnitWeight = 0.0;  // kcf or kN/m3
    double fullArea = 0.0;         // displaced section, ft2 or m2
    double materialArea = 0.0;     // ft2 or m2
    double waterDepth = 0.0;
    bool displacesFullSection = false;  // closed or solid section with its area given

    explicit SelfWeight(const InputData& in) {
        const bool si = in.unitSystem == kSi;
        switch (in.pileType) {
            case 2: unitWeight = si ? sp(7.8543506) : sp(0.05); break;   // timber
            case 3: unitWeight = si ? sp(23.563051) : sp(0.15); break;   // precast concrete
            default: unitWeight = si ? sp(76.97263) : sp(0.49); break;   // steel
        }
        waterUnitWeight = si ? sp(9.8) : sp(0.0624);
        if (in.unitSystem == kEnglish || si) {
            const double perArea = smallAreaPerArea(in.unitSystem);
            const double od = in.outsideDiameter;
            const double id = in.insideDiameter;
            fullArea = sp(0.7853975) * od * od / perArea;
            materialArea = sp(0.7853975) * (od * od - id * id) / perArea;
            if (in.axialArea > sp(1.0e-6)) materialArea = si ? in.axialArea : in.axialArea / 144.0;
        }
        waterDepth = in.lightSoilDepth < 1.0 ? sp(0.1) : in.lightSoilDepth;
        const bool closedSection = (in.pileType == 1 && in.tipClosure == 1) || in.pileType == 4 ||
                                   in.pileType == 5 || in.pileType == 7;
        displacesFullSection = closedSection && in.axialArea > sp(1.0e-5);
    }

    double embedded(double t) const {
        if (t <= waterDepth) return unitWeight * materialArea * t;
        if (displacesFullSection) return unitWeight * materialArea * t - waterUnitWeight * fullArea * (t - waterDepth);
        const double buoyant = unitWeight - waterUnitWeight;
        return unitWeight * materialArea * waterDepth + buoyant * materialArea * (t - waterDepth);
    }

    double stickup(const InputData& in) const { return unitWeight * materialArea * in.stickupLength; }
};

}  // namespace

// Tip column of every row: the closed tip, or the smaller of the unplugged resistance (plug
// friction plus wall bearing) and the plugged tip, with its flag and the plug length. In tension
// the tip column is the whole pile's self weight, stickup included, whichever tip governs.
void resolveTip(AnalysisState& s, int rows, const PileExtent& pile, const RowPositions* positions) {
    const InputData& in = s.input;
    const int m = s.currentMethod;
    const bool tension = in.loadingType == 1;
    const bool closedTip = in.insideDiameter < sp(1.0e-10) || in.tipClosure == 1;
    const bool flagged = m >= 1 && m <= static_cast<int>(kMethodCount);
    // FHWA and USACE keep copies of their tip column and plug length, the general method of its
    // tip column: their tables are printed after the next methods have overwritten the current
    // columns. The copies hold the unfactored tip value; the factoring is applied to them later.
    MethodColumns* copy = (m == kCodeFhwa || m == kCodeUsace || m == kCodeUser) ? &s.methodColumns[m] : nullptr;
    const bool copiesPlugLength = m == kCodeFhwa || m == kCodeUsace;
    const SelfWeight selfWeight(in);
    const double stickupWeight = selfWeight.stickup(in);
    EndSectionPlug endSection(s, pile, positions);

    for (int k = 1; k <= rows; ++k) {
        // The plug friction over the enhanced end section at this row and its growth from the row
        // above; no plug friction or plug length mobilised yet.
        const double plugCapacity = endSection.capacityAt(k);
        s.rowPlugIncrement[k] = k == 1 ? plugCapacity : plugCapacity - s.rowPlugCapacity[k - 1];
        s.rowPlugCapacity[k] = plugCapacity;
        s.rowPlugFriction[k] = 0.0;
        s.rowPlugLength[k] = 0.0;

        const double t = (k - 1) * s.depthIncrement;
        const double pileWeight = tension ? selfWeight.embedded(t) + stickupWeight : 0.0;
        double tip = 0.0;
        int flag = 1;
        if (closedTip) {
            if (tension) s.rowPluggedBearing[k] = pileWeight;
            tip = s.rowPluggedBearing[k];
        } else {
            // The friction of the plug cannot turn negative: when stiff plug leaves the enhanced end
            // section faster than the tip mobilised it, what is left is no plug friction at all.
            const double plugFrictionAvailable =
                k == 1 ? 0.0 : std::max(0.0, s.rowPlugFriction[k - 1] + s.rowPlugIncrement[k]);
            double unplugged = plugFrictionAvailable + s.rowAnnulusBearing[k];
            double plugged = s.rowPluggedBearing[k];
            if (unplugged - plugged <= sp(1.0e-6) || in.plugCondition == 2) {
                // The plug friction governs: the whole plug slips and grows by one increment.
                if (tension) unplugged = plugged = pileWeight;
                tip = unplugged;
                if (k > 1) {
                    s.rowPlugFriction[k] = plugFrictionAvailable;
                    s.rowPlugLength[k] = s.rowPlugLength[k - 1] + s.depthIncrement;
                }
                if (in.plugCondition == 1) {
                    tip = plugged;  // a plugged pile bears on the full tip all the same
                    flag = 1;
                } else if (in.plugCondition == 2) {
                    flag = 2;
                } else {
                    // The program decides: a closed enhanced end section still counts as plugged.
                    const bool closedEndSection =
                        in.enhancedEndInsideDiameter < sp(1.0e-4) && pile.enhancedEndLength > sp(1.0e-4);
                    flag = closedEndSection ? 1 : 2;
                }
            } else {
                // The plugged tip governs: the plug mobilises only the friction the tip needs.
                if (tension) plugged = pileWeight;
                tip = plugged;
                flag = 1;
                if (k > 1) {
                    const double mobilised = plugged - s.rowPlugFriction[k - 1] - s.rowAnnulusBearing[k];
                    s.rowPlugFriction[k] = s.rowPlugFriction[k - 1];
                    s.rowPlugLength[k] = s.rowPlugLength[k - 1];
                    if (mobilised > sp(1.0e-6)) {
                        s.rowPlugFriction[k] = s.rowPlugFriction[k - 1] + mobilised;
                        // The plug grows by the share of this step's plug friction it mobilises
                        // (only a step that adds plug friction can add plug length).
                        if (s.rowPlugIncrement[k] > 0.0) {
                            s.rowPlugLength[k] =
                                s.rowPlugLength[k - 1] + s.depthIncrement * mobilised / s.rowPlugIncrement[k];
                        }
                    }
                }
            }
        }
        s.rowTipResistance[k] = tip;
        if (flagged) s.rowTipFlag(m, k) = flag;
        if (copy != nullptr) {
            copy->rowTipResistance[k] = tip;
            if (copiesPlugLength) copy->rowPlugLength[k] = s.rowPlugLength[k];
        }
    }
}

}  // namespace integration

void integrateCapacity(AnalysisState& s) {
    using namespace integration;
    computeNodeEndBearing(s);
    const int segments = usableSegments(s);
    const int rows = usableRows(s);
    const PileExtent pile = extentOfInput(s.input);
    computeAnnulusBearing(s, segments);
    computePlugFriction(s, segments);
    computeRowWallBearing(s, rows);
    computePluggedBearing(s, segments, rows, pile);
    resolveTip(s, rows, pile);
}

}  // namespace vorta
