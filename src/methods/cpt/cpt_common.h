// Helpers shared by the four CPT-based methods: their atmospheric pressures, the end geometry
// they test, the sand and clay tests, the user limit on unit bearing and the row steps.
#pragma once

#include "capacity/capacity.h"
#include "engine/analysis_state.h"
#include "engine/constants.h"

namespace vorta::cpt {

// Atmospheric pressure of the shaft formulas (ksf or kPa). The end-bearing rules use
// atmosphericPressure() of engine/constants.h (2.1168 ksf) instead.
constexpr double shaftAtmosphericPressure(int unitSystem) {
    return unitSystem == kEnglish ? sp(2.0885546) : (unitSystem == kSi ? 100.0 : 0.0);
}

// 2.8 pa of the shaft formulas: the factor that turns a blow count into an estimated qc.
constexpr double shaftConeFactor(int unitSystem) {
    return unitSystem == kEnglish ? sp(5.847953) : (unitSystem == kSi ? 280.0 : 0.0);
}

// 2.8 pa of the end-bearing rules.
constexpr double bearingConeFactor(int unitSystem) { return sp(2.8) * atmosphericPressure(unitSystem); }

// Inside diameter of the pile end (in or mm) as the CPT rules see it: a closed-ended pile has
// none, whatever inside diameter its section keeps.
double endInsideDiameter(const InputData& in);

// Equivalent radius of the end, sqrt((D^2 - Di^2) / 4), in or mm; the radius of a closed end.
double equivalentRadius(const InputData& in);

// Sand: segSoilType - 1 <= 1.0E-6; any larger type is a cohesive soil.
bool isSandSegment(const AnalysisState& s, int segment);

// A unit end bearing limited by the segment's maximum unit bearing, when the user set one.
double limitedByMaxUnitBearing(const AnalysisState& s, int segment, double q);

// Degrees to radians.
inline double radians(double degrees) { return degrees / sp(57.2958); }

// Segments to walk: segmentCount, never beyond the tables.
int segmentsToWalk(const AnalysisState& s);

// Stores the unit friction of both nodes of segment i for the method `code`: the outside unit
// skin friction and the friction inside the soil plug.
void storeNodeFriction(AnalysisState& s, int segment, int code, double top, double bottom,
                       double plugTop, double plugBottom);

// What the unit skin friction of a segment owes to the pile's length: the CPT methods take the
// height of the segment above the tip (NGI the depth over the pile length). The terms that depend
// on the soil alone are worked out once per segment (ShaftFriction, s.segShaftFriction) and the
// height term is applied for a pile of a given embedded length: the pile of the input for the
// described rows, every penetration for the rows as driven. The products are formed in the order
// of the methods' formulas, so that both give the same numbers.
struct ShaftContext {
    int code = 0;                  // method code 5..8
    int unitSystem = 0;
    double equivalentRadius = 0.0; // in or mm, the method's own
    double diameter = 0.0;         // outside diameter, in or mm
    bool tension = false;
    bool openEnd = false;          // the end's inside diameter above 1.0E-5
    // NGI: the factors of the sand formula after the depth ratio (end, loading, material).
    double ngiTip = 1.0;
    double ngiLoading = 1.0;
    double ngiMaterial = 1.0;
    // The height terms where the heights are held at their least values.
    double icpHeldTerm = 0.0;         // 8^-0.38
    double clayHeldTerm = 0.0;        // 8^-0.2
    double fugroHeldTerm = 0.0;       // 4^-0.9 (compression) or 4^-0.85 (tension)
    double uwaHeldRoot = 0.0;         // sqrt(2)
};
ShaftContext shaftContext(const AnalysisState& s, int code);

// The two node values of segment i of a pile whose tip lies `embeddedLength` below the ground,
// outside (shaft) and inside the plug.
struct NodeFriction {
    double top = 0.0;
    double bottom = 0.0;
    double plugTop = 0.0;
    double plugBottom = 0.0;
};
NodeFriction shaftFrictionAt(const AnalysisState& s, const ShaftContext& c, int segment, double embeddedLength);

// Stores the node values of segments 1..segments for a pile of the given embedded length.
void applyShaftFriction(AnalysisState& s, const ShaftContext& c, int segments, double embeddedLength);

// Height term of a segment in the tip's units (in or mm): the height of the tip below the top
// of the segment, at least 1.0E-5.
double heightAboveTipSmall(const ShaftContext& c, double segmentTop, double embeddedLength);

// Unit friction per row and the cumulative skin friction per row from nodeSkinFriction, with the
// segment LRFD factors and no tension reduction, limit or cap (the CPT methods carry their own
// loading factors).
// `positions`, when given, holds where each row's tip lies in the grid.
void integrateRows(AnalysisState& s, const RowPositions* positions = nullptr);

// The cohesive branch of ICP/MTD, Fugro and UWA: radial stress at failure from the yield stress
// ratio, the sensitivity and the height above the tip, with the interface angle by plasticity
// index. Writes the error line for a negative plasticity index.
ShaftFriction clayRadialStressFriction(AnalysisState& s, int segment);

}  // namespace vorta::cpt
