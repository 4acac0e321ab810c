// The row steps that the FHWA, USACE, API RP-2A and CPT-based methods share: the unit skin
// friction of every penetration row from the method's node values, and the accumulation of the
// skin friction along the pile with the tension reduction, the row limits and the LRFD factor on
// unit friction. The methods differ only in the rules passed here.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

struct RowPositions;

// The segment that starts at penetration row k (segments are one length increment long), whose
// row maximum and LRFD factors the row takes. A row below the last segment takes the last one, so
// that a short grid is never read past its end.
int segmentOfRow(const AnalysisState& s, int row);

// rowUnitFriction of every row from nodeSkinFriction: zero for a row whose tip lies above the
// zero-friction length (by more than 1.0E-6), otherwise linear within the segment that contains
// the row's tip. rowMaxUnitFriction(k) = segMaxUnitFriction of the segment that starts at row k.
// `positions`, when given, holds where each row's tip lies in the grid (found once for many piles).
void spreadNodeFrictionToRows(AnalysisState& s, const RowPositions* positions = nullptr);

struct SkinFrictionRules {
    // Perimeter of the pile (length units) for every interval; with `followTaper` the perimeter
    // at the bottom of each interval is computed from the taper angle instead.
    double perimeter = 0.0;
    bool followTaper = false;

    enum class Tension {
        None,                  // no tension reduction (the CPT methods carry their own factors)
        InIntervalLoop,        // the lower row of each interval is reduced as it is reached (FHWA)
        RowsFromSecond,        // rows 2 onward reduced before the intervals (USACE)
        AllRows,               // every row, row 1 included, reduced before the intervals (API RP-2A)
    };
    Tension tension = Tension::None;

    // The stored row value is limited by the row maximum after it entered the interval (FHWA,
    // USACE). When false and `fillLimitedColumn` is set, rowUnitFriction keeps the unlimited value
    // and rowLimitedUnitFriction receives the limited one (API RP-2A).
    bool limitStoredRowValue = false;
    bool fillLimitedColumn = false;

    // The interval's growth is capped by the growth at the row maxima (conventional methods).
    bool capAtRowMaxima = false;

    // The LRFD factor on unit friction of the interval from row k to row k + 1 is that of
    // segment k + lrfdSegmentOffset (1 for the conventional methods, 0 for the CPT methods).
    int lrfdSegmentOffset = 1;
};

// Accumulates the skin friction over the intervals between rows: rowFactoredSkinFriction,
// rowSkinFriction (the factored column; row 1 zero) and rowTransferSkinFriction (unfactored when
// reducedSideFriction is 0, factored when 1, rows 2 onward). With fewer than two rows only the
// row-1 values are produced.
void accumulateSkinFriction(AnalysisState& s, const SkinFrictionRules& rules);

// The FHWA and USACE tables are printed after the later methods of the pass have overwritten the
// current columns, so these methods keep their skin-friction, unit-friction and transfer columns
// in copies of their own (s.methodColumns[code]).
void keepRowColumns(AnalysisState& s, int code);

}  // namespace vorta
