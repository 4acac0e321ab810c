// The load-settlement analysis: the layer t-z curves printed for the engineer, the node curves
// and the tip curve that the march uses, and the march from the tip up the pile for every assumed
// tip movement, with the elastic shortening of the pile from its axial stiffness.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/constants.h"
#include "engine/ordered_search.h"
#include "settlement/load_settlement_steps.h"
#include "settlement/load_transfer_curves.h"
#include "settlement/settlement.h"

namespace vorta {
namespace {

bool isEnglish(const AnalysisState& s) { return s.input.unitSystem == kEnglish; }

// Default tip movements (inches) of the load steps.
constexpr double kDefaultTipMovements[13] = {0.0001, 0.001, 0.005, 0.01, 0.02, 0.05, 0.08,
                                             0.1,    0.2,   0.5,   0.8,  1.0,  2.0};

// Formats written once per point, step or segment, parsed once when the program is compiled.
constexpr FortranFormat kTipCurvePoint("(E18.4,E19.4)");
constexpr FortranFormat kSettlementStep("(E17.4,3E16.4)");
constexpr FortranFormat kSegmentLoad("(3X,E10.3,3X,E10.3,3X,E10.3)");

// The soil-type code of a point: 1 sand, 2 clay, 3 silt; anything else 0.
int soilCode(double value) {
    if (value == 1.0) return 1;
    if (value == 2.0) return 2;
    if (value == 3.0) return 3;
    return 0;
}

void writeNotesAndBanner(AnalysisState& s) {
    s.report.write(
        "(/,/,12X,\"NOTES:\",/,12X,\"- AN ASTERISK IS PLACED IN THE END-BEARING COLUMN\",/,"
        "12X,\"  IF THE TIP RESISTANCE IS CONTROLLED BY THE FRICTION\",/,"
        "12X,\"  OF SOIL PLUG INSIDE AN OPEN-ENDED PIPE PILE.\",/)");
    if (s.input.loadingType == 1) {
        s.report.write("(/,12X,\"- A NEGATIVE SELF-WEIGHT VALUE IS DUE TO THE\",/,12X,\"  BOUYANCY EFFECT.\",/)");
    }
    s.report.write(
        "(/,/,16X,49('*'),/,16X,\"* COMPUTE LOAD-DISTRIBUTION AND LOAD-SETTLEMENT *\",/,"
        "16X,\"* CURVES FOR AXIAL LOADING                      *\",/,16X,49('*'),/,/)");
}

// One slot of the layer curves: the friction of the load-transfer method at the slot's depth
// below ground and the curve shape of its type, scaled by the modifier table.
void makeLayerCurve(AnalysisState& s, int slot, double depthFromHead, int type, double frictionAngle,
                    double depthBelowGround) {
    LoadTransferCurve& c = s.curves[static_cast<std::size_t>(slot)];
    c.depth = depthFromHead;
    c.type = type;
    c.curveFrictionAngle = frictionAngle;
    c.curveTmax = unitFrictionAt(s, depthBelowGround);
    c.pointCount = static_cast<int>(kCurvePoints);
    if (type == 2) {
        makeClayCurve(s, slot, peakMovementAt(s, depthBelowGround), residualRatioAt(s, depthBelowGround));
    } else {
        makeNonClayCurve(s, slot, peakMovementAt(s, depthBelowGround));
    }
    applyCurveModifiers(s, slot, depthBelowGround);
}

// Layer curves: three zero curves in the stickup, then a top, middle and bottom curve for every
// pair of consecutive soil points at least 0.11 apart. Printed and written to the plot-data file
// (the stickup curves are not). Returns the number of slots filled.
int buildAndPrintLayerCurves(AnalysisState& s, double verticalStickup) {
    const InputData& in = s.input;
    const bool english = isEnglish(s);
    const bool hasStickup = in.stickupLength > sp(1.0e-6);
    const double p = english ? 12.0 * verticalStickup : verticalStickup;
    int slot = 0;
    if (hasStickup) {
        const double depths[3] = {0.0, english ? 6.0 * verticalStickup : verticalStickup / 2.0,
                                  english ? 12.0 * verticalStickup - sp(0.1) : verticalStickup - sp(0.1)};
        for (double depth : depths) {
            LoadTransferCurve& c = s.curves[static_cast<std::size_t>(++slot)];
            c.depth = depth;
            c.type = 2;
            c.curveTmax = 0.0;
            c.curveFrictionAngle = 0.0;
            c.pointCount = static_cast<int>(kCurvePoints);
            const double d = depth - p;
            makeClayCurve(s, slot, peakMovementAt(s, d), residualRatioAt(s, d));
            applyCurveModifiers(s, slot, d);
        }
    }
    const int stickupSlots = slot;

    const int points = std::clamp(in.soilPointCount, 0, static_cast<int>(kMaxSoilPoints));
    for (int k = 1; k < points && slot + 3 <= static_cast<int>(kMaxCurves); ++k) {
        const SoilPoint& a = in.soilPoints[static_cast<std::size_t>(k)];
        const SoilPoint& b = in.soilPoints[static_cast<std::size_t>(k + 1)];
        const double g = a.depth;
        const double w = b.depth;
        if (!(w - g >= sp(0.11))) continue;
        double top = 0.0;
        double middle = 0.0;
        double bottom = 0.0;
        if (english) {
            top = 12.0 * g + p;
            bottom = 12.0 * w - 0.5 + p;
            middle = 0.5 * (sp(1.1) + 12.0 * g + 12.0 * w - 0.5) + p;
        } else {
            top = g + p;
            bottom = w - sp(0.1) + p;
            middle = 0.5 * (g + w) + p;
        }
        const int type = (a.column[kColSoilType] == 1.0 && b.column[kColSoilType] == 1.0) ? 1 : 2;
        const double phiTop = a.column[kColFrictionAngle];
        const double phiBottom = b.column[kColFrictionAngle];
        const double slotDepths[3] = {top, middle, bottom};
        const double slotAngles[3] = {phiTop, (phiTop + phiBottom) / 2.0, phiBottom};
        for (int j = 0; j < 3; ++j) {
            const double d = hasStickup ? slotDepths[j] - p : slotDepths[j];
            makeLayerCurve(s, ++slot, slotDepths[j], type, slotAngles[j], d);
        }
    }

    writeCurveHeading(s);
    const int printed = slot - stickupSlots;
    s.plot.writeFree({printed});
    for (int a = stickupSlots + 1; a <= slot; ++a) {
        const LoadTransferCurve& c = s.curves[static_cast<std::size_t>(a)];
        const double below = hasStickup ? c.depth - p : c.depth;
        const double shown = english ? below / 12.0 : below;
        writeCurve(s, "T-Z CURVE", a - stickupSlots, shown, c, s.result != nullptr ? &s.result->layerCurves : nullptr);
    }
    return slot;
}

// Node curves of the march: N nodes equally spaced over the embedded length (one node, at the
// ground surface, when the table has a single row). No friction at the ground node of a pile with
// a stickup. The hyperbolic curves take the friction angle of the soil at the node.
void buildNodeCurves(AnalysisState& s, int nodeCount, double verticalStickup, double verticalEmbedded) {
    const double scale = isEnglish(s) ? 12.0 : 1.0;
    const double stickupW = verticalStickup * scale;
    const double embeddedW = verticalEmbedded * scale;
    const bool hasStickup = s.input.stickupLength > sp(1.0e-6);
    for (int u = 1; u <= nodeCount; ++u) {
        const double dn = nodeCount > 1 ? (u - 1) * embeddedW / (nodeCount - 1) : 0.0;
        LoadTransferCurve& c = s.curves[static_cast<std::size_t>(u)];
        c.depth = dn + stickupW;
        c.curveTmax = (u == 1 && hasStickup) ? 0.0 : unitFrictionAt(s, dn);
        c.type = soilTypeAt(s, dn);
        c.curveFrictionAngle = frictionAngleAt(s, dn);
        c.pointCount = static_cast<int>(kCurvePoints);
        if (c.type == 2) {
            makeClayCurve(s, u, peakMovementAt(s, dn), residualRatioAt(s, dn));
        } else {
            makeNonClayCurve(s, u, peakMovementAt(s, dn));
        }
        applyCurveModifiers(s, u, dn);
    }
}

// The tip curve from the unfactored tip resistance of the last row, with the soil type of the
// first soil point at or below the vertical tip depth; printed and written to the plot-data file.
void buildAndPrintTipCurve(AnalysisState& s, int nodeCount, double verticalEmbedded) {
    const InputData& in = s.input;
    const bool english = isEnglish(s);
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));
    const double qt = rows >= 1 ? s.rowTipResistance[static_cast<std::size_t>(rows)] * (english ? 1000.0 : 1.0) : 0.0;
    const double tipDepth = in.batterAngle != 0.0 ? verticalEmbedded : in.pileLength;
    const int points = std::clamp(in.soilPointCount, 0, static_cast<int>(kMaxSoilPoints));
    int tipType = 0;
    if (points >= 1) {
        int k = 1;
        while (k < points && !(in.soilPoints[static_cast<std::size_t>(k)].depth >= tipDepth)) ++k;
        tipType = soilCode(in.soilPoints[static_cast<std::size_t>(k)].column[kColSoilType]);
    }
    const double d = workingOutsideDiameter(s);
    const double phi = s.curves[static_cast<std::size_t>(std::max(nodeCount - 1, 1))].curveFrictionAngle;
    makeTipCurve(s, qt, d, tipType, phi, tipReferenceMovement(s, d));

    const UnitLabels& u = s.unitLabels;
    s.report.write("(/,/,/,8X,\"TIP   LOAD\",8X,\"TIP MOVEMENT\",/,12X,A3,15X,A3,/)", u.force,
                   english ? u.smallLength : u.length);
    s.report.section("THE TIP CURVE");
    s.plot.section("THE TIP CURVE");
    for (std::size_t i = 0; i < kCurvePoints; ++i) {
        const double load = english ? s.tipCurve.q[i] / 1000.0 : s.tipCurve.q[i];
        s.report.write(kTipCurvePoint, load, s.tipCurve.z[i]);
        s.plot.write(kTipCurvePoint, load, s.tipCurve.z[i]);
        if (s.result != nullptr) s.result->tipCurve.push_back(CurvePoint{s.tipCurve.z[i], load});
    }
}

void writeSettlementTable(AnalysisState& s) {
    const bool english = isEnglish(s);
    const UnitLabels& u = s.unitLabels;
    s.report.write("(/,/,/,22X,\"LOAD VERSUS SETTLEMENT CURVE\",/,22X,28('*'))");
    s.report.write("(/,/,/,8X,\"TOP  LOAD     TOP MOVEMENT       TIP  LOAD \",5X,\"TIP MOVEMENT\")");
    const std::string& movementLabel = english ? u.smallLength : u.length;
    s.report.write("(11X,A3,13X,A3,14X,A3,12X,A3)", u.force, movementLabel, u.force, movementLabel);
    const double scale = english ? 1000.0 : 1.0;
    s.report.section("THE LOAD-SETTLEMENT TABLE");
    s.plot.section("THE LOAD-SETTLEMENT TABLE");
    for (int j = 1; j <= s.loadStepCount; ++j) {
        const auto k = static_cast<std::size_t>(j);
        const double top = s.stepTopLoad[k] / scale;
        const double tip = s.stepTipLoad[k] / scale;
        s.report.write(kSettlementStep, top, s.stepTopMovement[k], tip, s.stepTipMovement[k]);
        s.plot.write(kSettlementStep, top, s.stepTopMovement[k], tip, s.stepTipMovement[k]);
        if (s.result != nullptr && j <= static_cast<int>(s.result->loadSteps.size())) {
            LoadStep& kept = s.result->loadSteps[k - 1];
            kept.topLoad = top;
            kept.topMovement = s.stepTopMovement[k];
            kept.tipLoad = tip;
            kept.tipMovement = s.stepTipMovement[k];
        }
    }
}

}  // namespace

void buildStiffnessTable(AnalysisState& s) {
    const InputData& in = s.input;
    const bool english = isEnglish(s);
    const double scale = english ? 12.0 : 1.0;
    if (in.areaOption >= 2) {
        const int n = std::clamp(in.areaRowCount, 0, static_cast<int>(kMaxAreaRows));
        for (int k = 1; k <= n; ++k) {
            const AreaRow& row = in.areaTable[static_cast<std::size_t>(k)];
            s.stiffnessTable[static_cast<std::size_t>(k)] = {row.distance * scale, row.area * in.elasticModulus};
        }
        s.stiffnessRowCount = n;
        return;
    }
    double area = 0.0;
    if (in.axialArea > sp(1.0e-5)) {
        area = in.axialArea;
    } else if (in.tipArea > sp(1.0e-5)) {
        area = english ? in.tipArea * 144.0 : in.tipArea;
    } else {
        const double od = workingOutsideDiameter(s);
        const double id = workingInsideDiameter(s);
        area = sp(0.7854) * (od * od - id * id);
    }
    const double ae = area * in.elasticModulus;
    s.stiffnessTable[1] = {0.0, ae};
    s.stiffnessTable[2] = {(in.stickupLength + in.pileLength) * scale, ae};
    s.stiffnessRowCount = 2;
}

double axialStiffnessAt(const AnalysisState& s, double distance) {
    const int n = std::clamp(s.stiffnessRowCount, 0, static_cast<int>(kMaxAreaRows));
    if (n < 1) return 0.0;
    const auto& rows = s.stiffnessTable;
    if (n == 1 || distance <= rows[1].distance) return rows[1].axialStiffness;
    if (distance >= rows[static_cast<std::size_t>(n)].distance) return rows[static_cast<std::size_t>(n)].axialStiffness;
    for (int k = 1; k < n; ++k) {
        const StiffnessRow& r0 = rows[static_cast<std::size_t>(k)];
        const StiffnessRow& r1 = rows[static_cast<std::size_t>(k + 1)];
        if (distance > r1.distance) continue;
        const double span = r1.distance - r0.distance;
        if (!(span > 0.0)) return r1.axialStiffness;
        return r0.axialStiffness + (r1.axialStiffness - r0.axialStiffness) * (distance - r0.distance) / span;
    }
    return rows[static_cast<std::size_t>(n)].axialStiffness;
}

bool stiffnessIsUsable(const AnalysisState& s) {
    const int n = std::clamp(s.stiffnessRowCount, 0, static_cast<int>(kMaxAreaRows));
    if (n < 1) return false;
    for (int k = 1; k <= n; ++k) {
        const double ae = s.stiffnessTable[static_cast<std::size_t>(k)].axialStiffness;
        if (!(ae > 0.0) || !std::isfinite(ae)) return false;
    }
    return true;
}

double sideTransferAt(const AnalysisState& s, int nodeCount, double depthFromHead, double movement) {
    int hint = 1;
    return sideTransferAt(s, nodeCount, depthFromHead, movement, hint);
}

double sideTransferAt(const AnalysisState& s, int nodeCount, double depthFromHead, double movement, int& hint) {
    if (nodeCount < 1) return 0.0;
    const auto& c = s.curves;
    const int last = std::max(nodeCount - 1, 1);
    if (depthFromHead < c[1].depth) return 0.0;  // above the ground: no soil
    if (depthFromHead >= c[static_cast<std::size_t>(last)].depth) {
        return curveTransferAt(c[static_cast<std::size_t>(last)], movement);
    }
    // The first node u (1..last - 1) whose next node lies at or below the depth.
    const int u = firstPassing(1, last - 1, hint, [&](int k) {
        return depthFromHead <= c[static_cast<std::size_t>(k + 1)].depth;
    });
    hint = u;
    const LoadTransferCurve& upper = c[static_cast<std::size_t>(u)];
    const LoadTransferCurve& lower = c[static_cast<std::size_t>(u + 1)];
    const double t0 = curveTransferAt(upper, movement);
    const double span = lower.depth - upper.depth;
    if (!(span > 0.0)) return t0;
    const double t1 = curveTransferAt(lower, movement);
    return t0 + (t1 - t0) * (depthFromHead - upper.depth) / span;
}

int tipMovementList(const AnalysisState& s, Array1<double, kMaxLoadSteps>& movements) {
    const InputData& in = s.input;
    if (in.tipMovementListFlag == 1) {
        const int n = std::clamp(in.tipMovementCount, 0, static_cast<int>(kMaxTipMovements));
        for (int j = 1; j <= n; ++j) movements[static_cast<std::size_t>(j)] = in.tipMovements[static_cast<std::size_t>(j)];
        return n;
    }
    for (int j = 1; j <= 13; ++j) {
        const double w = sp(kDefaultTipMovements[j - 1]);
        movements[static_cast<std::size_t>(j)] = isEnglish(s) ? w : w / sp(39.37);
    }
    return 13;
}

int marchLoadStep(AnalysisState& s, const MarchGeometry& g, int step, double tipMovement) {
    const double h = g.length;
    const double qTip = tipLoadAt(s.tipCurve, tipMovement);
    double qb = qTip;
    double zb = tipMovement;
    double zm = tipMovement;
    int unsettled = 0;
    const double tolerance = sp(1.0e-4);
    int bracket = g.nodeCount;  // the node curves found last, from the tip up
    std::vector<SegmentLoad>* distribution = nullptr;
    if (s.result != nullptr) distribution = &s.result->loadSteps.emplace_back().distribution;
    s.plot.section("THE LOAD DISTRIBUTION OF LOAD STEP", {}, step);
    for (int m = 1; m <= g.segmentCount; ++m) {
        const double ym = g.totalLength * g.cosBatter - (m - 0.5) * g.verticalLength;
        const double sm = g.totalLength - (m - 0.5) * h;
        const double ae = axialStiffnessAt(s, sm);
        double qa = qb;
        double zt = zb;
        double qTop = qb;
        double zmNext = zm;
        for (int iteration = 1;; ++iteration) {
            double t = sideTransferAt(s, g.nodeCount, ym, zm, bracket);
            if (g.zeroFrictionLength > sm) t = 0.0;
            const double dq = g.perimeterLength * t;
            qa = qb + dq / 2.0;
            zt = zb + h * qa / ae;
            qTop = qb + dq;
            zmNext = zb + 0.25 * h * (qb + 0.5 * (qb + qTop)) / ae;
            if (!(std::fabs(zmNext - zm) > tolerance)) break;
            if (iteration >= kMaxSegmentIterations) {
                ++unsettled;
                break;
            }
            zm = zmNext;
        }
        s.plot.write(kSegmentLoad, sm / g.lengthScale, qa / g.forceScale, zmNext);
        if (distribution != nullptr) distribution->push_back(SegmentLoad{sm / g.lengthScale, qa / g.forceScale, zmNext});
        qb = qTop;
        zb = zt;
        zm = zt;
    }
    const auto j = static_cast<std::size_t>(step);
    s.stepTopLoad[j] = qb;
    s.stepTopMovement[j] = zb;
    s.stepTipLoad[j] = qTip;
    s.stepTipMovement[j] = tipMovement;
    return unsettled;
}

void runLoadSettlement(AnalysisState& s) {
    const InputData& in = s.input;
    const bool english = isEnglish(s);
    writeNotesAndBanner(s);
    s.loadStepCount = 0;
    if (s.rowCount < 1 || s.printedRowCount < 1) {
        s.report.write("(8X,\"NO LOAD-SETTLEMENT ANALYSIS: THE CAPACITY TABLE HAS NO ROWS.\")");
        return;
    }

    // Geometry projected on the vertical.
    const double cb = std::cos(in.batterAngle);
    const double verticalStickup = in.stickupLength * cb;
    const double verticalEmbedded = in.pileLength * cb;

    buildAndPrintLayerCurves(s, verticalStickup);

    const int nodeCount = std::min(s.printedRowCount, static_cast<int>(kMaxCurves));
    buildNodeCurves(s, nodeCount, verticalStickup, verticalEmbedded);
    buildAndPrintTipCurve(s, nodeCount, verticalEmbedded);
    buildStiffnessTable(s);

    Array1<double, kMaxLoadSteps> movements;
    const int steps = tipMovementList(s, movements);
    if (!stiffnessIsUsable(s)) {
        s.plot.writeFree({0});
        s.report.write(
            "(/,/,8X,\"THE LOAD-SETTLEMENT CURVE IS NOT COMPUTED: THE AXIAL STIFFNESS AE OF THE\",/,"
            "8X,\"PILE IS ZERO (NO CROSS-SECTION AREA OR NO MODULUS OF ELASTICITY).\")");
        return;
    }
    s.plot.writeFree({steps});
    if (nodeCount == 1) {
        s.report.write(
            "(/,/,8X,\"NOTE - THE CAPACITY TABLE HAS ONE ROW: THE T-Z CURVE AT THE GROUND\",/,"
            "8X,\"SURFACE IS USED OVER THE WHOLE EMBEDDED LENGTH.\")");
    }

    // The march: M = N segments over the whole pile, stickup included.
    MarchGeometry g;
    g.segmentCount = nodeCount;
    g.nodeCount = nodeCount;
    g.lengthScale = english ? 12.0 : 1.0;
    g.forceScale = english ? 1000.0 : 1.0;
    g.totalLength = (in.stickupLength + in.pileLength) * g.lengthScale;
    g.cosBatter = cb;
    g.length = g.totalLength / g.segmentCount;
    g.verticalLength = g.totalLength * cb / g.segmentCount;
    g.perimeterLength = sp(3.1416) * workingOutsideDiameter(s) * g.length;
    g.zeroFrictionLength = in.zeroFrictionLength * g.lengthScale;
    for (int j = 1; j <= steps; ++j) {
        const int unsettled = marchLoadStep(s, g, j, movements[static_cast<std::size_t>(j)]);
        s.loadStepCount = j;
        if (unsettled > 0) {
            s.report.write(
                "(/,8X,\"WARNING - LOAD STEP\",I4,\":\",I5,\" SEGMENT(S) DID NOT CONVERGE IN\",I4,"
                "\" ITERATIONS;\",/,18X,\"THE LAST ESTIMATE OF THE MID-POINT MOVEMENT WAS USED.\")",
                j, unsettled, kMaxSegmentIterations);
        }
    }
    writeSettlementTable(s);
}

}  // namespace vorta
