// Load-transfer curves: the side (t-z) curves along the pile and the tip (q-w) curve, built from
// the soil profile, the unit skin friction of the load-transfer method and the user's modifier
// and tip-factor tables.
//
// Working units: English depths and movements in inches, unit load transfer in psi, loads in
// pounds; SI metres, kPa and kN. Every depth argument below is in working units (a vertical depth
// below the ground surface); the helpers convert to feet in English units before they look up
// the profile or the penetration rows.
#pragma once

#include <string_view>
#include <vector>

#include "engine/analysis_state.h"

namespace vorta {

// Outside and inside diameter in the working length unit of the load-transfer analysis: inches
// in English units, metres in SI (the input holds millimetres).
double workingOutsideDiameter(const AnalysisState& s);
double workingInsideDiameter(const AnalysisState& s);

// Unit skin friction of the load-transfer method at a depth, from the penetration rows (psi in
// English, kPa in SI). Linear between the rows that bracket the depth, the end rows' values
// beyond them. The rows are placed at their vertical tip depths, so a battered pile is read at
// the depth and not at the length along the pile.
double unitFrictionAt(const AnalysisState& s, double depth);

// Soil type of the layer at a depth: the bottom point of the first layer that reaches the depth.
int soilTypeAt(const AnalysisState& s, double depth);

// Movement at peak side resistance (column 18) and residual ratio of the clay curve (column 19),
// interpolated within the layer that holds the depth; 0 in a gap between layers.
double peakMovementAt(const AnalysisState& s, double depth);
double residualRatioAt(const AnalysisState& s, double depth);

// Friction angle (column 4) of the soil at a depth, interpolated within its layer as above.
double frictionAngleAt(const AnalysisState& s, double depth);

// Initial stiffness of the hyperbolic side curve for a friction angle, psf per inch.
double usaceSideStiffness(double frictionAngle);

// Side curves of a slot from its curveTmax (and, for the hyperbolic curve, its
// curveFrictionAngle): the shape of the load-transfer method (USACE or the default shapes).
void makeClayCurve(AnalysisState& s, int slot, double peakMovement, double residualRatio);
void makeNonClayCurve(AnalysisState& s, int slot, double peakMovement);

// Scales the slot's load transfer and movements by the modifier table at the depth, when the
// input carries at least one modifier row.
void applyCurveModifiers(AnalysisState& s, int slot, double depth);

// Reference movement of the hyperbolic tip curve in sand and silt: column 17 of the segment below
// the tip when positive, else 0.05 diameter.
double tipReferenceMovement(const AnalysisState& s, double diameter);

// The tip curve from the tip resistance Qt, the diameter, and for the USACE rule the soil type
// at the tip, the friction angle and the reference movement; then the tip-curve factors.
void makeTipCurve(AnalysisState& s, double tipResistance, double diameter, int tipSoilType,
                  double tipFrictionAngle, double referenceMovement);

// Unit load transfer of a side curve at a movement: linear between the bracketing points,
// the last point's value beyond the curve; a negative movement gives the opposite of the value at
// the positive one.
double curveTransferAt(const LoadTransferCurve& c, double movement);

// Tip load at a tip movement: linear between the bracketing points, the last point's value
// beyond the curve; a negative movement gives the opposite of the value at the positive one.
double tipLoadAt(const TipCurve& c, double movement);

// The heading of a printed block of t-z curves: the column titles and the unit line.
void writeCurveHeading(AnalysisState& s);

// One printed t-z curve: its number, point count and depth below ground (ft or m), then its ten
// points, to the report and the plot-data file; also kept in `kept` when that is given. `name`
// names the curve's section of the output ("T-Z CURVE"), with its number.
void writeCurve(AnalysisState& s, std::string_view name, int number, double depthBelowGround,
                const LoadTransferCurve& c, std::vector<TransferCurve>* kept);

}  // namespace vorta
