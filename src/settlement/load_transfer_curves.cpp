#include "settlement/load_transfer_curves.h"

#include <algorithm>
#include <cmath>

#include "engine/constants.h"

namespace vorta {
namespace {

bool isEnglish(const AnalysisState& s) { return s.input.unitSystem == kEnglish; }

bool usesUsaceShapes(const AnalysisState& s) { return s.input.loadTransferMethod == kSelUsace; }

// A depth in working units as a profile depth (feet in English units, metres in SI).
double profileDepth(const AnalysisState& s, double depth) { return isEnglish(s) ? depth / 12.0 : depth; }

// Counts read from the input, limited to what the tables hold.
int soilPointsHeld(const AnalysisState& s) {
    return std::clamp(s.input.soilPointCount, 0, static_cast<int>(kMaxSoilPoints));
}
int rowsHeld(const AnalysisState& s) { return std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows)); }

// The soil-type code of a point: 1 sand, 2 clay, 3 silt; anything else 0.
int soilCode(double value) {
    if (value == 1.0) return 1;
    if (value == 2.0) return 2;
    if (value == 3.0) return 3;
    return 0;
}

// A soil column within the layer that holds a profile depth: the layers are the point pairs
// (2i - 1, 2i). The first point's value at or above the first point, the last point's value at or
// below the last point, the top point's value at a layer's top, and 0 in a gap between layers.
// A depth where one layer ends and the next begins belongs to the layer that starts there.
double layerValueAt(const AnalysisState& s, double depth, int column) {
    const int n = soilPointsHeld(s);
    if (n < 1) return 0.0;
    const auto& pts = s.input.soilPoints;
    const double d = profileDepth(s, depth);
    if (d <= 0.0 || d <= pts[1].depth) return pts[1].column[column];
    if (d >= pts[n].depth) return pts[n].column[column];
    for (int i = 1; 2 * i <= n; ++i) {
        const SoilPoint& top = pts[2 * i - 1];
        const SoilPoint& bottom = pts[2 * i];
        if (d == top.depth) return top.column[column];
        const bool nextLayerStartsHere = 2 * i + 1 <= n && pts[2 * i + 1].depth == d;
        if (d == bottom.depth && nextLayerStartsHere) continue;
        if (d > top.depth && d <= bottom.depth) {
            return top.column[column] +
                   (bottom.column[column] - top.column[column]) * (d - top.depth) / (bottom.depth - top.depth);
        }
    }
    return 0.0;
}

// Abscissa of penetration row k for the friction lookup: the row's vertical tip depth. A vertical
// pile keeps its pile length, which is the same number.
double rowLookupDepth(const AnalysisState& s, int k) {
    if (s.input.batterAngle != 0.0) return (k - 1) * s.depthIncrement;
    return s.rowPileLength[k];
}

// Movements (inches) of points 1..9 of the hyperbolic and clay curves of the USACE rules.
constexpr double kUsaceSideMovements[9] = {0.01, 0.02, 0.04, 0.06, 0.08, 0.12, 0.16, 0.5, 10.0};
// Load transfer of the USACE clay curve as a fraction of the peak, points 1..9.
constexpr double kUsaceClayRatios[9] = {0.18, 0.38, 0.79, 0.97, 1.0, 0.97, 0.93, 0.93, 0.93};

// Movements (fractions of the peak movement) and load transfer (fractions of the peak) of the
// default side curves, points 1..9. Clay carries the residual ratio on points 6..9.
constexpr double kSideMovementRatios[9] = {0.16, 0.31, 0.57, 0.80, 1.0, 2.0, 3.0, 5.0, 20.0};
constexpr double kSideTransferRatios[9] = {0.30, 0.50, 0.75, 0.90, 1.0, 1.0, 1.0, 1.0, 1.0};

// Default tip curve: movements as fractions of the diameter, loads as fractions of Qt, points 1..9.
constexpr double kTipMovementRatios[9] = {0.0005, 0.001, 0.002, 0.013, 0.042, 0.073, 0.10, 0.15, 0.20};
constexpr double kTipLoadRatios[9] = {0.0625, 0.125, 0.25, 0.50, 0.75, 0.90, 1.0, 1.0, 1.0};

// USACE tip curve movements (inches), points 0..9.
constexpr double kUsaceTipMovements[10] = {0.0, 0.0001, 0.005, 0.01, 0.05, 0.1, 0.2, 0.5, 1.0, 2.0};

LoadTransferCurve* curveSlot(AnalysisState& s, int slot) {
    if (slot < 1 || slot > static_cast<int>(kMaxCurves)) return nullptr;
    return &s.curves[static_cast<std::size_t>(slot)];
}

// The default side curve: points 1..9 at fractions of the peak movement b (0.01 diameter when
// the profile gives none), the load transfer rising to the peak at b.
void makeDefaultSideCurve(const AnalysisState& s, LoadTransferCurve& c, double peakMovement, bool clay,
                          double residualRatio) {
    const double b = peakMovement > 0.0 ? peakMovement : sp(0.01) * workingOutsideDiameter(s);
    const double r = residualRatio > 0.0 ? residualRatio : sp(0.9);
    for (int i = 1; i <= 9; ++i) {
        c.z[i] = sp(kSideMovementRatios[i - 1]) * b;
        c.t[i] = sp(kSideTransferRatios[i - 1]) * c.curveTmax;
    }
    if (clay) {
        for (int i = 6; i <= 9; ++i) c.t[i] = r * c.curveTmax;
    }
}

}  // namespace

double workingOutsideDiameter(const AnalysisState& s) {
    return isEnglish(s) ? s.input.outsideDiameter : s.input.outsideDiameter / 1000.0;
}

double workingInsideDiameter(const AnalysisState& s) {
    return isEnglish(s) ? s.input.insideDiameter : s.input.insideDiameter / 1000.0;
}

double unitFrictionAt(const AnalysisState& s, double depth) {
    const int n = rowsHeld(s);
    if (n < 1) return 0.0;
    const double d = profileDepth(s, depth);
    double f = 0.0;
    if (d <= rowLookupDepth(s, 1)) {
        f = s.rowUnitFriction[1];
    } else if (d >= rowLookupDepth(s, n)) {
        f = s.rowUnitFriction[static_cast<std::size_t>(n)];
    } else {
        // The first row at or below the depth (rows are in increasing depth).
        int lo = 2;
        int hi = n;
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (d <= rowLookupDepth(s, mid)) hi = mid; else lo = mid + 1;
        }
        const double x1 = rowLookupDepth(s, lo);
        if (d == x1) {
            f = s.rowUnitFriction[static_cast<std::size_t>(lo)];
        } else {
            const double x0 = rowLookupDepth(s, lo - 1);
            const double f0 = s.rowUnitFriction[static_cast<std::size_t>(lo - 1)];
            const double f1 = s.rowUnitFriction[static_cast<std::size_t>(lo)];
            f = x1 > x0 ? f0 + (f1 - f0) * (d - x0) / (x1 - x0) : f1;
        }
    }
    return isEnglish(s) ? f * 1000.0 / 144.0 : f;
}

int soilTypeAt(const AnalysisState& s, double depth) {
    const int n = soilPointsHeld(s);
    if (n < 1) return 0;
    const auto& pts = s.input.soilPoints;
    const double d = profileDepth(s, depth);
    if (d <= 0.0) return soilCode(pts[1].column[kColSoilType]);
    if (d >= pts[static_cast<std::size_t>(n)].depth) return soilCode(pts[static_cast<std::size_t>(n)].column[kColSoilType]);
    for (int i = 1; 2 * i <= n; ++i) {
        const SoilPoint& bottom = pts[static_cast<std::size_t>(2 * i)];
        if (bottom.depth >= d) return soilCode(bottom.column[kColSoilType]);
    }
    return soilCode(pts[static_cast<std::size_t>(n)].column[kColSoilType]);
}

double peakMovementAt(const AnalysisState& s, double depth) { return layerValueAt(s, depth, kColTzParam2); }

double residualRatioAt(const AnalysisState& s, double depth) { return layerValueAt(s, depth, kColTzParam3); }

double frictionAngleAt(const AnalysisState& s, double depth) { return layerValueAt(s, depth, kColFrictionAngle); }

double usaceSideStiffness(double phi) {
    const double slope = sp(1333.3);
    if (phi <= 28.0) return 6000.0;
    if (phi <= 31.0) return 6000.0 + slope * (phi - 28.0);
    if (phi <= 32.0) return 10000.0;
    if (phi <= 34.0) return 10000.0 + slope * (phi - 32.0);
    if (phi <= 35.0) return 14000.0;
    if (phi <= 38.0) return 14000.0 + slope * (phi - 35.0);
    if (phi > 38.0) return 18000.0;
    return 6000.0;  // an angle that is not a number: the softest soil
}

void makeClayCurve(AnalysisState& s, int slot, double peakMovement, double residualRatio) {
    LoadTransferCurve* c = curveSlot(s, slot);
    if (c == nullptr) return;
    c->pointCount = static_cast<int>(kCurvePoints);
    c->z[0] = 0.0;
    c->t[0] = 0.0;
    if (!usesUsaceShapes(s)) {
        makeDefaultSideCurve(s, *c, peakMovement, true, residualRatio);
        return;
    }
    // USACE clay: peak at 0.08 in, softening to 0.93 of the peak.
    for (int i = 1; i <= 9; ++i) {
        const double z = sp(kUsaceSideMovements[i - 1]);
        c->z[i] = isEnglish(s) ? z : z / sp(39.37);
        c->t[i] = c->curveTmax * sp(kUsaceClayRatios[i - 1]);
    }
}

void makeNonClayCurve(AnalysisState& s, int slot, double peakMovement) {
    LoadTransferCurve* c = curveSlot(s, slot);
    if (c == nullptr) return;
    c->pointCount = static_cast<int>(kCurvePoints);
    c->z[0] = 0.0;
    c->t[0] = 0.0;
    if (!usesUsaceShapes(s)) {
        makeDefaultSideCurve(s, *c, peakMovement, false, 0.0);
        return;
    }
    // USACE sand and silt: hyperbola through the origin with initial stiffness K (psf per inch)
    // and asymptote tmax, worked in psf and inches.
    const double tmax = isEnglish(s) ? 144.0 * c->curveTmax : sp(20.89) * c->curveTmax;
    const double k = usaceSideStiffness(c->curveFrictionAngle);
    for (int i = 1; i <= 9; ++i) {
        const double z = sp(kUsaceSideMovements[i - 1]);
        const double t = tmax <= sp(1.0e-9) ? 0.0 : z / (z / tmax + 1.0 / k);
        if (isEnglish(s)) {
            c->z[i] = z;
            c->t[i] = t / 144.0;
        } else {
            c->z[i] = z / sp(39.37);
            c->t[i] = t / sp(20.89);
        }
    }
}

void applyCurveModifiers(AnalysisState& s, int slot, double depth) {
    const InputData& in = s.input;
    const int n = std::clamp(in.tzModifierRowsRead, 0, static_cast<int>(kMaxModifierRows));
    LoadTransferCurve* c = curveSlot(s, slot);
    if (n < 1 || c == nullptr) return;
    const auto& rows = in.tzModifierTable;
    const double d = profileDepth(s, depth);
    double loadFactor = rows[1].loadFactor;
    double movementFactor = rows[1].movementFactor;
    if (d <= rows[1].depth) {
        // first row's factors
    } else if (d >= rows[static_cast<std::size_t>(n)].depth) {
        loadFactor = rows[static_cast<std::size_t>(n)].loadFactor;
        movementFactor = rows[static_cast<std::size_t>(n)].movementFactor;
    } else {
        for (int k = 2; k <= n; ++k) {
            const TzModifierRow& r1 = rows[static_cast<std::size_t>(k)];
            if (d > r1.depth) continue;
            const TzModifierRow& r0 = rows[static_cast<std::size_t>(k - 1)];
            if (d == r1.depth || !(r1.depth > r0.depth)) {
                loadFactor = r1.loadFactor;
                movementFactor = r1.movementFactor;
            } else {
                const double f = d - r0.depth;
                const double span = r1.depth - r0.depth;
                loadFactor = r0.loadFactor + (r1.loadFactor - r0.loadFactor) * f / span;
                movementFactor = r0.movementFactor + (r1.movementFactor - r0.movementFactor) * f / span;
            }
            break;
        }
    }
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        c->t[i] *= loadFactor;
        c->z[i] *= movementFactor;
    }
}

double tipReferenceMovement(const AnalysisState& s, double diameter) {
    const int seg = std::min({s.rowCount, s.segmentCount, static_cast<int>(kMaxSegments)});
    if (seg >= 1 && s.segTzParam1[static_cast<std::size_t>(seg)] > 0.0) return s.segTzParam1[static_cast<std::size_t>(seg)];
    return sp(0.05) * diameter;
}

void makeTipCurve(AnalysisState& s, double qt, double diameter, int tipSoilType, double tipFrictionAngle,
                  double referenceMovement) {
    TipCurve& c = s.tipCurve;
    c.z[0] = 0.0;
    c.q[0] = 0.0;
    if (!usesUsaceShapes(s)) {
        for (int i = 1; i <= 9; ++i) {
            c.z[i] = sp(kTipMovementRatios[i - 1]) * diameter;
            c.q[i] = sp(kTipLoadRatios[i - 1]) * qt;
        }
    } else {
        for (int i = 0; i <= 9; ++i) {
            const double z = sp(kUsaceTipMovements[i]);
            c.z[i] = isEnglish(s) ? z : z / sp(39.37);
        }
        if (tipSoilType == 2) {
            // Clay: half the tip resistance at 0.01 diameter, rising with the square root of the
            // movement up to the full tip resistance.
            const double zHalf = sp(0.01) * diameter;
            for (int i = 1; i <= 9; ++i) {
                const double q = zHalf > 0.0 ? 0.5 * qt * std::sqrt(c.z[i] / zHalf) : qt;
                c.q[i] = q < qt ? q : qt;
            }
        } else {
            // Sand and silt: a power of the movement over the reference movement, not capped.
            const double n = tipFrictionAngle <= 31.0 ? 0.5 : (tipFrictionAngle <= 38.0 ? sp(0.333) : 0.25);
            for (int i = 1; i <= 9; ++i) {
                c.q[i] = referenceMovement > 0.0 ? qt * std::pow(c.z[i] / referenceMovement, n) : qt;
            }
        }
    }
    if (s.input.tipCurveFactorFlag == 1) {
        for (std::size_t i = 0; i < kCurvePoints; ++i) {
            c.q[i] *= s.input.tipCurveLoadFactor;
            c.z[i] *= s.input.tipCurveMovementFactor;
        }
    }
}

namespace {

// Linear interpolation through points 0..9 at movement z: the first point at or beyond z and the
// one before it; the last point's value beyond the last point.
template <typename Values>
double interpolateOnPoints(const std::array<double, kCurvePoints>& zs, const Values& vs, double z) {
    for (std::size_t i = 1; i < kCurvePoints; ++i) {
        if (z <= zs[i]) {
            const double span = zs[i] - zs[i - 1];
            if (span == 0.0) return vs[i - 1];
            return vs[i - 1] + (vs[i] - vs[i - 1]) * (z - zs[i - 1]) / span;
        }
    }
    return vs[kCurvePoints - 1];
}

}  // namespace

// The curves start at the origin and describe a movement into the soil; a movement the other way
// (an upward movement of a pile in tension, or an overshooting estimate of the march) mobilises
// the same transfer with the opposite sign, held at the last point's value like the curve itself,
// instead of following the first segment's line without bound.
double curveTransferAt(const LoadTransferCurve& c, double movement) {
    if (movement < 0.0) return -interpolateOnPoints(c.z, c.t, -movement);
    return interpolateOnPoints(c.z, c.t, movement);
}

double tipLoadAt(const TipCurve& c, double movement) {
    if (movement < 0.0) return -interpolateOnPoints(c.z, c.q, -movement);
    return interpolateOnPoints(c.z, c.q, movement);
}

namespace {

// The lines of a printed curve, parsed once when the program is compiled.
constexpr FortranFormat kCurveHeading("(8X,I5,I11,E16.4)");
constexpr FortranFormat kCurvePoint("(40X,E17.4,E16.4)");

}  // namespace

void writeCurveHeading(AnalysisState& s) {
    s.report.write("(8X,\"T-Z CURVE   NO. OF   DEPTH TO CURVE   LOAD \",\"TRANSFER   PILE MOVEMENT\")");
    const UnitLabels& u = s.unitLabels;
    if (s.input.unitSystem == kEnglish) {
        s.report.write("(11X,\"NO.\",6X,\"POINTS\",8X,A3,14X,A3,13X,A3,/)", u.length, "PSI", u.smallLength);
    } else {
        s.report.write("(11X,\"NO.\",6X,\"POINTS\",8X,A3,14X,A3,13X,A3,/)", u.length, u.stress, u.length);
    }
}

void writeCurve(AnalysisState& s, std::string_view name, int number, double depthBelowGround,
                const LoadTransferCurve& c, std::vector<TransferCurve>* kept) {
    s.report.section(name, {}, number);
    s.plot.section(name, {}, number);
    s.report.write(kCurveHeading, number, c.pointCount, depthBelowGround);
    s.plot.write(kCurveHeading, number, c.pointCount, depthBelowGround);
    TransferCurve* curve = nullptr;
    if (kept != nullptr) {
        curve = &kept->emplace_back();
        curve->number = number;
        curve->depth = depthBelowGround;
    }
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        s.report.write(kCurvePoint, c.t[i], c.z[i]);
        s.plot.write(kCurvePoint, c.t[i], c.z[i]);
        if (curve != nullptr) curve->points.push_back(CurvePoint{c.z[i], c.t[i]});
    }
}

}  // namespace vorta
