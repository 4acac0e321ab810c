// Checks of the input before anything is computed: values the engine cannot compute with, and the
// depth of the soil profile against the pile.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {

bool checkInputValues(AnalysisState& s, const ValuePlaces* places) {
    const InputData& d = s.input;
    bool proceed = true;
    // Where a value of a project file or a program was given, after the message that stops on it.
    auto givenAs = [&](std::string_view part, int number, std::string_view key) {
        if (places == nullptr) return;
        if (const std::string place = places->of(part, number, key); !place.empty()) {
            s.report.write("(10X,\"GIVEN AS \",A)", place);
        }
    };

    if (!(d.lengthIncrement > 0.0)) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE INCREMENT OF \","
            "/,10X,\"PILE LENGTH USED IN COMPUTATION\",F10.2,1X,A3,\" IS NOT GREATER THAN ZERO\")",
            d.lengthIncrement, s.unitLabels.length);
        givenAs("pile", 0, "length_increment");
        proceed = false;
    }
    if (d.outputStep < 1) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE OUTPUT STEP\",I6,"
            "/,10X,\"IS LESS THAN 1\")",
            d.outputStep);
        givenAs("", 0, "output_step");
        proceed = false;
    }
    // A stickup as long as the pile or longer leaves no embedded length: there would be no
    // penetration to compute, and a run that computes nothing must not pass for a completed one.
    if (!(d.pileLength - d.stickupLength > 0.0)) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE PILE STICKUP LENGTH\",F10.2,1X,A3,"
            "/,10X,\"IS NOT LESS THAN THE TOTAL PILE LENGTH\",F10.2,1X,A3,"
            "/,10X,\"THE PILE HAS NO EMBEDDED LENGTH\")",
            d.stickupLength, s.unitLabels.length, d.pileLength, s.unitLabels.length);
        if (places != nullptr) {
            const std::string stickup = places->of("pile", 0, "stickup");
            if (!stickup.empty()) s.report.write("(10X,\"GIVEN AS \",A,\" AND \",A)", stickup, places->of("pile", 0, "length"));
        }
        proceed = false;
    }
    if (d.soilPointCount < 2) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE SOIL PROFILE HAS\",I4,\" SOIL POINT(S)\","
            "/,10X,\"AT LEAST TWO SOIL POINTS (TOP AND BOTTOM OF A LAYER) ARE NEEDED\")",
            d.soilPointCount);
        proceed = false;
    }
    for (int i = 1; i < d.soilPointCount; ++i) {
        const double upper = d.soilPoints[i].depth;
        const double lower = d.soilPoints[i + 1].depth;
        if (lower < upper) {
            s.report.write(
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE DEPTH OF SOIL POINT\",I3,F10.2,1X,A3,"
                "/,10X,\"IS LESS THAN THE DEPTH OF SOIL POINT\",I3,F10.2,1X,A3,"
                "/,10X,\"SOIL POINTS MUST BE GIVEN IN ORDER OF INCREASING DEPTH\")",
                i + 1, lower, s.unitLabels.length, i, upper, s.unitLabels.length);
            proceed = false;
            break;
        }
    }
    const bool knownUnits = d.unitSystem == kEnglish || d.unitSystem == kSi;
    if (!knownUnits) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE UNIT SYSTEM\",I6,"
            "/,10X,\"IS NEITHER 1 (ENGLISH UNITS) NOR 2 (SI UNITS)\")",
            d.unitSystem);
        proceed = false;
    }
    if (d.pileType < 1 || d.pileType > 7) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE PILE TYPE\",I6,"
            "/,10X,\"IS NOT ONE OF THE PILE TYPES 1 TO 7\")",
            d.pileType);
        proceed = false;
    }
    // A pile battered to the horizontal or beyond has no vertical depth to divide into segments.
    if (std::fabs(d.batterAngle) >= 90.0) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE BATTER ANGLE\",F10.2,\" DEG\","
            "/,10X,\"IS NOT LESS THAN 90 DEGREES FROM THE VERTICAL\")",
            d.batterAngle);
        givenAs("pile", 0, "batter_angle");
        proceed = false;
    }
    // A pipe whose inside diameter reaches its outside diameter has no wall: the wall bearing, the
    // equivalent radius of the CPT methods and the axial area would be zero or undefined.
    // The enhanced end is checked when its inside diameter is a value of its own.
    const double insideDiameters[2] = {d.insideDiameter, d.enhancedEndInsideDiameter};
    for (int i = 0; i < 2; ++i) {
        const double inside = insideDiameters[i];
        if (i == 1 && inside == d.insideDiameter) break;
        if (inside < 0.0 || (d.outsideDiameter > 0.0 && inside >= d.outsideDiameter)) {
            s.report.write(
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE INSIDE DIAMETER\",F10.2,1X,A3,"
                "/,10X,\"IS NEGATIVE OR NOT LESS THAN THE OUTSIDE DIAMETER\",F10.2,1X,A3)",
                inside, s.unitLabels.smallLength, d.outsideDiameter, s.unitLabels.smallLength);
            givenAs("pile", 0, i == 0 ? "inside_diameter" : "enhanced_end_inside_diameter");
            proceed = false;
        }
    }
    if (d.elasticModulus < 0.0) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE MODULUS OF ELASTICITY\",E12.4,"
            "/,10X,\"IS NEGATIVE\")",
            d.elasticModulus);
        givenAs("pile", 0, "elastic_modulus");
        proceed = false;
    }
    // Soil values that have no meaning below zero (the methods take roots and logarithms of them).
    struct NonNegativeColumn {
        int column;
        const char* name;
        std::string_view key;  // of the value as the user gives it
    };
    static constexpr NonNegativeColumn kNonNegative[] = {
        {kColLateralK, "LATERAL EARTH PRESSURE COEFFICIENT", "lateral_earth_pressure"},
        {kColEffUnitWeight, "EFFECTIVE UNIT WEIGHT", "effective_unit_weight"},
        {kColFrictionAngle, "FRICTION ANGLE", "friction_angle"},
        {kColShearStrength, "UNDISTURBED SHEAR STRENGTH", "shear_strength"},
        {kColRemoldedStrength, "REMOLDED SHEAR STRENGTH", "remolded_strength"},
        {kColBlowCountOrYsr, "YIELD STRESS RATIO OR BLOW COUNT", "blow_count_or_yield_stress_ratio"}};
    const int points = std::min(d.soilPointCount, static_cast<int>(kMaxSoilPoints));
    for (int i = 1; i <= points; ++i) {
        for (const NonNegativeColumn& c : kNonNegative) {
            if (d.soilPoints[i].column[c.column] < 0.0) {
                s.report.write(
                    "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT\",I3,\" HAS A NEGATIVE\","
                    "/,10X,A)",
                    i, c.name);
                givenAs("soil_profile", i, c.key);
                proceed = false;
            }
        }
        // At 90 degrees and beyond tan(phi) is infinite or negative: the sand strength and the
        // earth-pressure terms lose their meaning and turn into NaN capacities.
        if (d.soilPoints[i].column[kColFrictionAngle] >= 90.0) {
            s.report.write(
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT\",I3,\" HAS A FRICTION ANGLE OF\",F7.2,"
                "\" DEG\",/,10X,\"A FRICTION ANGLE MUST BE LESS THAN 90 DEGREES\")",
                i, d.soilPoints[i].column[kColFrictionAngle]);
            givenAs("soil_profile", i, "friction_angle");
            proceed = false;
        }
    }
    // A cone resistance below zero has no meaning; the CPT methods take its square root and powers.
    const CptSounding& cpt = d.cptSounding;
    const int cptPoints = std::min(cpt.cptPointCount, static_cast<int>(kMaxCptPoints));
    for (int i = 1; i <= cptPoints; ++i) {
        if (cpt.cptQc[i] < 0.0) {
            s.report.write(
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE CPT POINT\",I4,\" HAS A NEGATIVE\","
                "/,10X,\"CONE RESISTANCE QC\")",
                i);
            givenAs("cpt.points", i, "cone_resistance");
            proceed = false;
        }
    }
    // The load-settlement curve is built for tip movements into the soil: a negative movement in
    // the user's list lies off every load-transfer curve.
    if (d.tipMovementListFlag == 1) {
        const int movements = std::min(d.tipMovementCount, static_cast<int>(kMaxTipMovements));
        for (int i = 1; i <= movements; ++i) {
            if (d.tipMovements[i] < 0.0) {
                s.report.write(
                    "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE TIP MOVEMENT\",I4,\" OF THE LIST\","
                    "/,10X,\"IS NEGATIVE:\",E12.4)",
                    i, d.tipMovements[i]);
                givenAs("load_transfer.tip_movements", i, "tip_movements");
                proceed = false;
            }
        }
    }
    // The tip diameter, the outside diameter narrowed by the taper over the whole pile length,
    // must stay positive: the end bearing and the perimeter are computed from it.
    if (knownUnits) {
        const double embeddedLength = d.pileLength - d.stickupLength;
        double tipDiameter = d.outsideDiameter / smallLengthPerLength(d.unitSystem);
        if (d.taperAngle > 0.0) {
            tipDiameter = tipDiameter - (d.stickupLength + embeddedLength) * (2.0 * std::tan(d.taperAngle * sp(0.01745)));
        }
        if (tipDiameter <= 0.0) {
            s.report.write(
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE DIAMETER AT THE PILE TIP\","
                "/,10X,\"(OUTSIDE DIAMETER LESS THE TAPER OVER THE PILE LENGTH) IS\",F10.2,1X,A3,"
                "/,10X,\"THE TIP DIAMETER MUST BE GREATER THAN ZERO\")",
                tipDiameter, s.unitLabels.length);
            proceed = false;
        }
    }
    return proceed;
}

namespace {

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The single values that checkInputValues above stops on with messages of their own (a negative
// soil strength, a friction angle or a batter of 90 degrees, an increment that is not positive, a
// negative cone resistance or tip movement): the range check does not report them a second time.
bool stoppedByValueChecks(const RangeProblem& p, const Analysis& a) {
    const double v = p.value;
    // A soil profile analysed to a depth above the ground is stopped by the profile check, with
    // the depth the pile needs.
    if (p.part.empty()) return (p.key == "output_step" && v < 1.0) || (p.key == "deepest_soil_depth" && v < 0.0);
    if (p.part == "pile") {
        if (p.key == "length_increment") return !(v > 0.0);
        if (p.key == "batter_angle") return std::fabs(v) >= 90.0;
        if (p.key == "elastic_modulus") return v < 0.0;
        // A non-circular pile has no inside diameter; an enhanced end not given takes the pile's.
        if (p.key == "inside_diameter") return v < 0.0 && !(a.pile.perimeter > sp(1.0e-10));
        if (p.key == "enhanced_end_inside_diameter") return v < 0.0 && a.pile.enhancedEndLength >= sp(1.0e-5);
        return false;
    }
    if (p.part == "soil_profile") {
        if (p.key == "friction_angle") return v < 0.0 || v >= 90.0;
        // A sand point carries its blow count where the remolded strength of a clay stands.
        const bool sand = a.soilProfile[static_cast<std::size_t>(p.number - 1)].soilType == SoilType::Sand;
        return v < 0.0 && (p.key == "lateral_earth_pressure" || p.key == "effective_unit_weight" ||
                           p.key == "shear_strength" || (p.key == "remolded_strength" && !sand) ||
                           p.key == "blow_count_or_yield_stress_ratio");
    }
    if (p.part == "cpt.points") return p.key == "cone_resistance" && v < 0.0;
    if (p.part == "load_transfer.tip_movements") return v < 0.0;
    return false;
}

}  // namespace

bool checkValueRanges(AnalysisState& s, const ValuePlaces& places) {
    bool proceed = true;
    for (const RangeProblem& p : checkRanges(places.analysis, places.source)) {
        if (stoppedByValueChecks(p, places.analysis)) continue;
        // An input data file's places read as the report's words; keys and field names as written,
        // with the line of a project file where it is known.
        const bool deck = places.source == ValueSource::InputDeck;
        const std::string place = deck ? "AT " + upperCase(p.place) : "AS " + places.withLine(p.place);
        std::string value = p.name + " " + shortestNumberText(p.value);
        if (!p.unit.empty()) value.append(" ").append(p.unit);
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE \",A,/,10X,\"GIVEN \",A,"
            "/,10X,\"IS OUTSIDE THE ALLOWED RANGE \",A)",
            upperCase(value), place, upperCase(p.allowed));
        proceed = false;
    }
    return proceed;
}

bool checkSoilProfile(AnalysisState& s) {
    const InputData& d = s.input;
    const double embeddedLength = d.pileLength - d.stickupLength;
    const double batter = d.batterAngle * sp(3.1415927) / 180.0;
    s.requiredSoilDepth =
        std::cos(batter) * embeddedLength + 2.0 * d.outsideDiameter / smallLengthPerLength(d.unitSystem);

    // The last soil point above the pile tip zone only warns.
    if (s.requiredSoilDepth > d.soilPoints[d.soilPointCount].depth) {
        s.console.write(
            "(/,/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE NO SOIL\",\" INFORMATION\","
            "/,10X,\"WAS PROVIDED AT THE DEPTH \",F10.2,1X,A3,"
            "/,10X,\"PLEASE NOTE THAT SOIL SHOULD EXTEND AT LEAST THE \","
            "/,10X,\" PILE LENGTH PLUS TWO PILE DIAMETERS\")",
            s.requiredSoilDepth, s.unitLabels.length);
    }
    // A profile analysed to less than the required depth stops the run.
    if (d.deepestSoilDepth < s.requiredSoilDepth) {
        s.report.write(
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE \",\"DEEPEST SOIL PROFILE \",F7.2,1X,A3,"
            "/,10X,\"IS LESS THAN PILE \",\"EMBEDDED LENGTH PLUS TWO TIMES THE PILE DIAMETER \",F10.2,1X,A3)",
            d.deepestSoilDepth, s.unitLabels.length, s.requiredSoilDepth, s.unitLabels.length);
        return false;
    }
    return true;
}

}  // namespace vorta
