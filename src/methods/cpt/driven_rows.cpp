// Rows of a CPT-based method as piles driven to each penetration. The described rows are the upper
// part of the final pile: the friction of a segment follows its height above the final tip (NGI
// its depth over the final length). Here row k is the pile with its tip at row k: the heights
// above that tip, the plug analysis of the rows down to it, the tip of a tapered pile of that
// length and the segment grid such a pile would have. What depends on the soil alone (the unit
// end bearing, the wall bearing and the tip-zone average, the soil's share of the unit friction)
// is taken from the described computation, which has just run: the unit end bearing, the wall
// bearing at every row's tip and, but for a tapered pile, the tip-zone averages.
#include <algorithm>
#include <cmath>

#include "capacity/integration_steps.h"
#include "input/input.h"
#include "methods/cpt/cpt.h"
#include "methods/cpt/cpt_common.h"

namespace vorta {
namespace {

// The ICP/MTD tip never bears less than the wall, whose open end reads the soil below each node.
// The grid of a shorter pile can end higher (the grid reaches the tip zone of its own deepest
// row), so that its last node reads its last segment instead of the one below: where that
// changes the wall bearing, the tip-zone averages of that pile are formed again with it.
bool wallBearingOfShorterGrid(AnalysisState& s, int code, int gridSegments, int fullSegments, double& held) {
    if (code != kCodeIcp || gridSegments >= fullSegments || gridSegments < 1) return false;
    if (!(cpt::endInsideDiameter(s.input) > sp(1.0e-4))) return false;
    held = integration::annulusBearingAtNode(s, 2 * gridSegments, gridSegments);
    return held != s.nodeAnnulusBearing[2 * gridSegments];
}

}  // namespace

void computeDrivenRows(AnalysisState& s, int code, DrivenRows& out) {
    const InputData& in = s.input;
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));
    const int segments = cpt::segmentsToWalk(s);
    const cpt::ShaftContext context = cpt::shaftContext(s, code);
    // The tip-zone averages of the input pile; a tapered pile's tip follows its length.
    const RowArray pluggedBearing = s.rowPluggedBearing;
    const bool taperedTip = in.taperAngle > 0.0;
    // Every pile looks up its values at the same depths of the same grid.
    RowPositions positions;
    findRowPositions(s, rows, in.enhancedEndLength, positions);

    out.rowCount = rows;
    for (int k = 2; k <= rows; ++k) {
        integration::PileExtent pile;
        pile.embeddedLength = (k - 1) * in.lengthIncrement;
        pile.enhancedEndLength =
            in.enhancedEndFollowsPile ? (in.stickupLength + pile.embeddedLength) - sp(1.0e-7) : in.enhancedEndLength;

        // The unit friction of the segments down to the tip (and the one below, which the walk to
        // the tip's depth may reach) for a pile of this length, spread to rows 1..k.
        const int reached = std::min(k + 1, segments);
        cpt::applyShaftFriction(s, context, reached, pile.embeddedLength);
        s.rowCount = k;
        cpt::integrateRows(s, &positions);

        // The plug analysis of rows 1..k with this pile's friction inside the plug.
        integration::computePlugFriction(s, reached);
        double held = 0.0;
        const int gridSegments = std::min(segmentCountFor(in, k), segments);
        if (wallBearingOfShorterGrid(s, code, gridSegments, segments, held)) {
            const double kept = s.nodeAnnulusBearing[2 * gridSegments];
            s.nodeAnnulusBearing[2 * gridSegments] = held;
            integration::computePluggedBearing(s, segments, k, pile);
            s.nodeAnnulusBearing[2 * gridSegments] = kept;
        } else if (taperedTip) {
            integration::computePluggedBearing(s, segments, k, pile);
        } else {
            for (int j = 1; j <= k; ++j) s.rowPluggedBearing[j] = pluggedBearing[j];
        }
        integration::resolveTip(s, k, pile, &positions);

        out.skinFriction[k] = s.rowSkinFriction[k];
        out.tipResistance[k] = s.rowTipResistance[k];
        out.plugLength[k] = s.rowPlugLength[k];
        out.unitFriction[k] = s.rowUnitFriction[k];
        out.tipFlag[k] = s.rowTipFlag(static_cast<std::size_t>(code), static_cast<std::size_t>(k));
    }
    s.rowCount = rows;
}

}  // namespace vorta
