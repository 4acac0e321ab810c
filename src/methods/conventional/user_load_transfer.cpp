// General method (method code 9): skin friction and end bearing straight from the unit values
// that the user gives with the soil profile, without soil mechanics. The skin friction grows by the
// user's unit friction times the shaft area of each length increment, LRFD-factored; the end bearing
// of a row is the user's unit bearing at the tip times the tip area.
#include <algorithm>
#include <cmath>

#include "capacity/capacity.h"
#include "engine/constants.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/row_steps.h"

namespace vorta {
namespace {

// Tip area: the annulus inside the enhanced end section for an unplugged open end, otherwise the
// full section; a tip area given with the pile replaces either.
double userTipArea(const InputData& in) {
    double area = 0.0;
    if (in.plugCondition == 2) {
        area = sp(0.7853975) *
               (in.outsideDiameter * in.outsideDiameter -
                in.enhancedEndInsideDiameter * in.enhancedEndInsideDiameter) /
               smallAreaPerArea(in.unitSystem);
    } else {
        const double diameter = in.outsideDiameter / smallLengthPerLength(in.unitSystem);
        area = sp(0.7853975) * (diameter * diameter);
    }
    if (in.tipArea > sp(1.0e-4)) area = in.tipArea;
    return area;
}

}  // namespace

int computeUserLoadTransfer(AnalysisState& s) {
    const InputData& in = s.input;
    // Rows of the capacity table, held within the table's capacity.
    double increments = in.lengthIncrement > 0.0 ? in.pileLength / in.lengthIncrement + sp(1.0e-6) : 0.0;
    increments = std::clamp(increments, -1.0, static_cast<double>(kMaxRows - 1));
    const int rowCount = static_cast<int>(increments) + 1;

    const double tipArea = userTipArea(in);
    const double diameter = in.outsideDiameter / smallLengthPerLength(in.unitSystem);
    MethodColumns& table = s.methodColumns[kCodeUser];

    // Row 1, the tip at the ground surface.
    s.rowDepth[1] = 0.0;
    table.rowSkinFriction[1] = 0.0;
    table.rowTipResistance[1] = s.segUserUnitBearing[1] * tipArea;

    // Row 2 lies one length increment down, the rows below it at their vertical depths.
    const SegmentWalk walk(s);
    int hint = 1;
    for (int k = 2; k <= rowCount; ++k) {
        const double x = k == 2 ? in.lengthIncrement : (k - 1) * s.depthIncrement;
        s.rowDepth[k] = x;
        const int j = x - s.segBottomDepth[1] > sp(1.0e-6) ? std::max(1, walk.segmentAt(x, hint)) : 1;
        const int seg = segmentOfRow(s, k);
        table.rowTipResistance[k] = s.segUserUnitBearing[j] * tipArea;
        table.rowSkinFriction[k] =
            table.rowSkinFriction[k - 1] +
            s.segLrfdFrictionFactor[seg] * in.lengthIncrement * sp(3.14159) * diameter * s.segUserUnitFriction[j];
    }
    return rowCount;
}

}  // namespace vorta
