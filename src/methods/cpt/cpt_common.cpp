#include "methods/cpt/cpt_common.h"

#include <algorithm>
#include <cmath>

#include "methods/conventional/row_steps.h"
#include "methods/cpt/cpt.h"

namespace vorta::cpt {

double endInsideDiameter(const InputData& in) {
    return in.tipClosure == 1 ? 0.0 : in.enhancedEndInsideDiameter;
}

double equivalentRadius(const InputData& in) {
    const double inside = endInsideDiameter(in);
    return std::sqrt((in.outsideDiameter * in.outsideDiameter - inside * inside) / 4.0);
}

bool isSandSegment(const AnalysisState& s, int segment) {
    return s.segSoilType[segment] - 1.0 <= sp(1.0e-6);
}

ShaftContext shaftContext(const AnalysisState& s, int code) {
    const InputData& in = s.input;
    ShaftContext c;
    c.code = code;
    c.unitSystem = in.unitSystem;
    c.diameter = in.outsideDiameter;
    c.tension = in.loadingType == 1;
    c.openEnd = endInsideDiameter(in) > sp(1.0e-5);
    if (code == kCodeFugro) {
        // Fugro: R sqrt(1 - (Di / D)^2).
        const double ratio = endInsideDiameter(in) / in.outsideDiameter;
        c.equivalentRadius = in.outsideDiameter / 2.0 * std::sqrt(1.0 - ratio * ratio);
    } else {
        c.equivalentRadius = equivalentRadius(in);
    }
    c.ngiTip = endInsideDiameter(in) <= sp(1.0e-5) ? sp(1.6) : 1.0;
    c.ngiLoading = c.tension ? 1.0 : sp(1.3);
    c.ngiMaterial = (in.pileType == 2 || in.pileType == 3) ? sp(1.2) : 1.0;
    c.icpHeldTerm = std::pow(8.0, -sp(0.38));
    c.clayHeldTerm = std::pow(8.0, -sp(0.2));
    c.fugroHeldTerm = c.tension ? std::pow(4.0, -sp(0.85)) : std::pow(4.0, -sp(0.9));
    c.uwaHeldRoot = std::sqrt(2.0);
    return c;
}

double heightAboveTipSmall(const ShaftContext& c, double segmentTop, double embeddedLength) {
    return std::max((embeddedLength - segmentTop) * smallLengthPerLength(c.unitSystem), sp(1.0e-5));
}

NodeFriction shaftFrictionAt(const AnalysisState& s, const ShaftContext& c, int segment, double embeddedLength) {
    const ShaftFriction& f = s.segShaftFriction[segment];
    const double top = s.segTopDepth[segment];
    using Rule = ShaftFriction::Rule;
    NodeFriction n;
    switch (f.rule) {
        case Rule::Fixed:
            return {f.top, f.bottom, f.plugTop, f.plugBottom};
        case Rule::NgiSand: {
            // z/L of the top of the segment.
            const double depthRatio = embeddedLength > 0.0 ? top / embeddedLength : 0.0;
            n.top = f.top * depthRatio * c.ngiTip * c.ngiLoading * c.ngiMaterial;
            n.bottom = f.bottom * depthRatio * c.ngiTip * c.ngiLoading * c.ngiMaterial;
            break;
        }
        case Rule::IcpSand: {
            // Height above the tip in equivalent radii, at least 8.
            const double heightRatio = heightAboveTipSmall(c, top, embeddedLength) / c.equivalentRadius;
            const double heightTerm = heightRatio >= 8.0 ? std::pow(heightRatio, -sp(0.38)) : c.icpHeldTerm;
            auto atNode = [&](double radialBase) {
                const double radial = radialBase * heightTerm;
                if (!c.tension) return f.tanDelta * (radial + f.segmentTerm);
                double friction = f.tanDelta * (sp(0.8) * radial + f.segmentTerm);
                if (c.openEnd) friction *= sp(0.9);
                return friction;
            };
            n.top = atNode(f.top);
            n.bottom = atNode(f.bottom);
            break;
        }
        case Rule::FugroSand: {
            // Height above the tip in equivalent radii, not clamped.
            const double r = heightAboveTipSmall(c, top, embeddedLength) / c.equivalentRadius;
            // Within four equivalent radii of the tip the height term is held at r = 4; in compression
            // the friction falls off linearly towards the tip from its value there.
            const bool held = r <= 4.0;
            const double heightTerm = held ? c.fugroHeldTerm : std::pow(r, c.tension ? -sp(0.85) : -sp(0.9));
            auto atNode = [&](double coefficient) {
                if (c.tension) return coefficient * heightTerm;
                double friction = coefficient * heightTerm;
                if (r <= 4.0) friction = friction * (r / 4.0);
                return friction;
            };
            n.top = atNode(f.top);
            n.bottom = atNode(f.bottom);
            break;
        }
        case Rule::UwaSand: {
            // Height above the tip in diameters, at least 2.
            const double heightRatio = heightAboveTipSmall(c, top, embeddedLength) / c.diameter;
            const double radial = f.segmentTerm / (heightRatio >= 2.0 ? std::sqrt(heightRatio) : c.uwaHeldRoot);
            auto atNode = [&](double dilation) {
                double friction = f.tanDelta * (radial + dilation);
                if (c.tension) friction *= 0.75;
                return friction;
            };
            n.top = atNode(f.top);
            n.bottom = atNode(f.bottom);
            break;
        }
        case Rule::ClayRadialStress: {
            // Height above the tip in equivalent radii, at least 8.
            const double heightRatio = (embeddedLength - top) * smallLengthPerLength(c.unitSystem) / c.equivalentRadius;
            const double kc = f.segmentTerm * (heightRatio >= 8.0 ? std::pow(heightRatio, -sp(0.2)) : c.clayHeldTerm);
            n.top = f.top * kc;
            n.bottom = f.bottom * kc;
            break;
        }
    }
    n.plugTop = n.top;
    n.plugBottom = n.bottom;
    return n;
}

void applyShaftFriction(AnalysisState& s, const ShaftContext& c, int segments, double embeddedLength) {
    for (int i = 1; i <= segments; ++i) {
        const NodeFriction n = shaftFrictionAt(s, c, i, embeddedLength);
        const std::size_t a = static_cast<std::size_t>(2 * i - 1);
        s.nodeSkinFriction[a] = n.top;
        s.nodeSkinFriction[a + 1] = n.bottom;
        s.methodUnitFriction(a, static_cast<std::size_t>(c.code)) = n.plugTop;
        s.methodUnitFriction(a + 1, static_cast<std::size_t>(c.code)) = n.plugBottom;
    }
}

double limitedByMaxUnitBearing(const AnalysisState& s, int segment, double q) {
    const double limit = s.segMaxUnitBearing[segment];
    if (limit != kNoLimit && limit > sp(0.001)) return std::min(q, limit);
    return q;
}

int segmentsToWalk(const AnalysisState& s) {
    return std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
}

void storeNodeFriction(AnalysisState& s, int segment, int code, double top, double bottom,
                       double plugTop, double plugBottom) {
    const int a = 2 * segment - 1;
    const int b = 2 * segment;
    s.nodeSkinFriction[a] = top;
    s.nodeSkinFriction[b] = bottom;
    s.methodUnitFriction(a, code) = plugTop;
    s.methodUnitFriction(b, code) = plugBottom;
}

void integrateRows(AnalysisState& s, const RowPositions* positions) {
    spreadNodeFrictionToRows(s, positions);
    SkinFrictionRules rules;
    rules.perimeter = sp(3.14159) * s.input.outsideDiameter / smallLengthPerLength(s.input.unitSystem);
    rules.tension = SkinFrictionRules::Tension::None;
    rules.limitStoredRowValue = false;
    rules.fillLimitedColumn = false;
    rules.capAtRowMaxima = false;
    rules.lrfdSegmentOffset = 0;  // the interval from row k to row k + 1 lies in segment k
    accumulateSkinFriction(s, rules);
}

}  // namespace vorta::cpt
