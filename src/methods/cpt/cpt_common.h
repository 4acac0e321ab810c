// Helpers shared by the four CPT-based methods: their atmospheric pressures, the end geometry
// they test, the sand and clay tests, the user limit on unit bearing and the row steps.
#pragma once

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

// Height of the pile tip below the top of segment i, ft or m (negative below the tip).
double heightAboveTip(const AnalysisState& s, int segment);

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

// Unit friction per row and the cumulative skin friction per row from nodeSkinFriction, with the
// segment LRFD factors and no tension reduction, limit or cap (the CPT methods carry their own
// loading factors).
void integrateRows(AnalysisState& s);

// The cohesive branch of ICP/MTD, Fugro and UWA: radial stress at failure from the yield stress
// ratio, the sensitivity and the height above the tip, with the interface angle by plasticity
// index. Writes the error line for a negative plasticity index. `equivalentRadius` in in or mm.
void clayRadialStressFriction(AnalysisState& s, int segment, int code, double equivalentRadius);

}  // namespace vorta::cpt
