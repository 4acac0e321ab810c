// Checks of the input before anything is computed: values the engine cannot compute with, and the
// depth of the soil profile against the pile.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {

namespace {

// The stops of the checks as they are found: each with its report lines, made by the formatter as
// the report prints them, and the one line of its message.
class Stops {
public:
    Stops(const ValuePlaces& places, CheckedProblems& found) : places_(places), found_(found) {}

    template <typename... Values>
    CheckedProblem& add(std::string_view code, const FortranFormat& fmt, const Values&... values) {
        CheckedProblem& p = found_.emplace_back();
        p.problem.severity = Severity::Stop;
        p.problem.code = std::string(code);
        p.problem.file = places_.file;
        p.report.push_back(formatRecord(fmt, values...));
        p.problem.message = oneLine(p.report);
        return p;
    }
    // The value a stop concerns.
    void at(CheckedProblem& p, std::string_view part, int number, std::string_view key) const {
        places_.locate(p.problem, part, number, key);
    }
    // The same, with the line that says where a project file or a program gave it.
    void givenAt(CheckedProblem& p, std::string_view part, int number, std::string_view key) const {
        at(p, part, number, key);
        if (const std::string place = places_.givenAs(part, number, key); !place.empty()) {
            p.report.push_back(formatRecord("(10X,\"GIVEN AS \",A)", place));
            p.problem.message = oneLine(p.report);
        }
    }

    const ValuePlaces& places() const { return places_; }

private:
    const ValuePlaces& places_;
    CheckedProblems& found_;
};

}  // namespace

void checkInputValues(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found) {
    const InputData& d = s.input;
    Stops stops(places, found);

    if (!(d.lengthIncrement > 0.0)) {
        CheckedProblem& p = stops.add(
            "length_increment_not_positive",
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE INCREMENT OF \","
            "/,10X,\"PILE LENGTH USED IN COMPUTATION\",F10.2,1X,A3,\" IS NOT GREATER THAN ZERO\")",
            d.lengthIncrement, s.unitLabels.length);
        stops.givenAt(p, "pile", 0, "length_increment");
    }
    if (d.outputStep < 1) {
        CheckedProblem& p = stops.add("output_step_below_one",
                                      "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE OUTPUT STEP\",I6,"
                                      "/,10X,\"IS LESS THAN 1\")",
                                      d.outputStep);
        stops.givenAt(p, "", 0, "output_step");
    }
    // A stickup as long as the pile or longer leaves no embedded length: there would be no
    // penetration to compute, and a run that computes nothing must not pass for a completed one.
    if (!(d.pileLength - d.stickupLength > 0.0)) {
        CheckedProblem& p = stops.add(
            "no_embedded_length",
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE PILE STICKUP LENGTH\",F10.2,1X,A3,"
            "/,10X,\"IS NOT LESS THAN THE TOTAL PILE LENGTH\",F10.2,1X,A3,"
            "/,10X,\"THE PILE HAS NO EMBEDDED LENGTH\")",
            d.stickupLength, s.unitLabels.length, d.pileLength, s.unitLabels.length);
        stops.at(p, "pile", 0, "stickup");
        if (const std::string stickup = places.givenAs("pile", 0, "stickup"); !stickup.empty()) {
            p.report.push_back(formatRecord("(10X,\"GIVEN AS \",A,\" AND \",A)", stickup, places.givenAs("pile", 0, "length")));
            p.problem.message = oneLine(p.report);
        }
    }
    if (d.soilPointCount < 2) {
        stops.add("too_few_soil_points",
                  "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE SOIL PROFILE HAS\",I4,\" SOIL POINT(S)\","
                  "/,10X,\"AT LEAST TWO SOIL POINTS (TOP AND BOTTOM OF A LAYER) ARE NEEDED\")",
                  d.soilPointCount);
    }
    for (int i = 1; i < d.soilPointCount; ++i) {
        const double upper = d.soilPoints[i].depth;
        const double lower = d.soilPoints[i + 1].depth;
        if (lower < upper) {
            CheckedProblem& p = stops.add(
                "soil_points_out_of_order",
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE DEPTH OF SOIL POINT\",I3,F10.2,1X,A3,"
                "/,10X,\"IS LESS THAN THE DEPTH OF SOIL POINT\",I3,F10.2,1X,A3,"
                "/,10X,\"SOIL POINTS MUST BE GIVEN IN ORDER OF INCREASING DEPTH\")",
                i + 1, lower, s.unitLabels.length, i, upper, s.unitLabels.length);
            stops.at(p, "soil_profile", i + 1, "depth");
            break;
        }
    }
    // A factor of safety on a capacity that the layers' resistance factors already factor would
    // count the safety twice.
    if (d.designLoadCount > 0 && d.factorOfSafety != 1.0) {
        for (int k = 1; k <= std::min(d.soilPointCount, static_cast<int>(kMaxSoilPoints)); ++k) {
            const SoilPoint& point = d.soilPoints[k];
            if (point.column[kColLrfdFrictionFactor] == 1.0 && point.column[kColLrfdBearingFactor] == 1.0) continue;
            CheckedProblem& p = stops.add(
                "factor_of_safety_on_factored_capacity",
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE DESIGN FACTOR OF SAFETY\",F8.2,"
                "/,10X,\"WOULD DIVIDE A CAPACITY THAT THE LRFD RESISTANCE FACTORS OF THE SOIL\","
                "/,10X,\"PROFILE ALREADY FACTOR: GIVE A FACTOR OF SAFETY OF 1 OR FACTORS OF 1\")",
                d.factorOfSafety);
            stops.givenAt(p, "design", 0, "factor_of_safety");
            break;
        }
    }
    const bool knownUnits = d.unitSystem == kEnglish || d.unitSystem == kSi;
    if (!knownUnits) {
        CheckedProblem& p = stops.add("unknown_unit_system",
                                      "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE UNIT SYSTEM\",I6,"
                                      "/,10X,\"IS NEITHER 1 (ENGLISH UNITS) NOR 2 (SI UNITS)\")",
                                      d.unitSystem);
        stops.at(p, "", 0, "units");
    }
    if (d.pileType < 1 || d.pileType > 7) {
        CheckedProblem& p = stops.add("unknown_pile_type",
                                      "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE PILE TYPE\",I6,"
                                      "/,10X,\"IS NOT ONE OF THE PILE TYPES 1 TO 7\")",
                                      d.pileType);
        stops.at(p, "pile", 0, "type");
    }
    // A pile battered to the horizontal or beyond has no vertical depth to divide into segments.
    if (std::fabs(d.batterAngle) >= 90.0) {
        CheckedProblem& p = stops.add("batter_not_below_90",
                                      "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE BATTER ANGLE\",F10.2,\" DEG\","
                                      "/,10X,\"IS NOT LESS THAN 90 DEGREES FROM THE VERTICAL\")",
                                      d.batterAngle);
        stops.givenAt(p, "pile", 0, "batter_angle");
    }
    // A pipe whose inside diameter reaches its outside diameter has no wall: the wall bearing, the
    // equivalent radius of the CPT methods and the axial area would be zero or undefined.
    // The enhanced end is checked when its inside diameter is a value of its own.
    const double insideDiameters[2] = {d.insideDiameter, d.enhancedEndInsideDiameter};
    for (int i = 0; i < 2; ++i) {
        const double inside = insideDiameters[i];
        if (i == 1 && inside == d.insideDiameter) break;
        if (inside < 0.0 || (d.outsideDiameter > 0.0 && inside >= d.outsideDiameter)) {
            CheckedProblem& p = stops.add(
                "inside_diameter_not_below_outside",
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE INSIDE DIAMETER\",F10.2,1X,A3,"
                "/,10X,\"IS NEGATIVE OR NOT LESS THAN THE OUTSIDE DIAMETER\",F10.2,1X,A3)",
                inside, s.unitLabels.smallLength, d.outsideDiameter, s.unitLabels.smallLength);
            stops.givenAt(p, "pile", 0, i == 0 ? "inside_diameter" : "enhanced_end_inside_diameter");
        }
    }
    if (d.elasticModulus < 0.0) {
        CheckedProblem& p = stops.add("negative_modulus",
                                      "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE MODULUS OF ELASTICITY\",E12.4,"
                                      "/,10X,\"IS NEGATIVE\")",
                                      d.elasticModulus);
        stops.givenAt(p, "pile", 0, "elastic_modulus");
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
                CheckedProblem& p = stops.add("negative_soil_value",
                                              "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT\",I3,\" HAS A NEGATIVE\","
                                              "/,10X,A)",
                                              i, c.name);
                stops.givenAt(p, "soil_profile", i, c.key);
            }
        }
        // At 90 degrees and beyond tan(phi) is infinite or negative: the sand strength and the
        // earth-pressure terms lose their meaning and turn into NaN capacities.
        if (d.soilPoints[i].column[kColFrictionAngle] >= 90.0) {
            CheckedProblem& p = stops.add(
                "friction_angle_not_below_90",
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT\",I3,\" HAS A FRICTION ANGLE OF\",F7.2,"
                "\" DEG\",/,10X,\"A FRICTION ANGLE MUST BE LESS THAN 90 DEGREES\")",
                i, d.soilPoints[i].column[kColFrictionAngle]);
            stops.givenAt(p, "soil_profile", i, "friction_angle");
        }
    }
    // A cone resistance below zero has no meaning; the CPT methods take its square root and powers.
    const CptSounding& cpt = d.cptSounding;
    const int cptPoints = std::min(cpt.cptPointCount, static_cast<int>(kMaxCptPoints));
    for (int i = 1; i <= cptPoints; ++i) {
        if (cpt.cptQc[i] < 0.0) {
            CheckedProblem& p = stops.add("negative_cone_resistance",
                                          "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE CPT POINT\",I4,\" HAS A NEGATIVE\","
                                          "/,10X,\"CONE RESISTANCE QC\")",
                                          i);
            stops.givenAt(p, "cpt.points", i, "cone_resistance");
        }
    }
    // The load-settlement curve is built for tip movements into the soil: a negative movement in
    // the user's list lies off every load-transfer curve.
    if (d.tipMovementListFlag == 1) {
        const int movements = std::min(d.tipMovementCount, static_cast<int>(kMaxTipMovements));
        for (int i = 1; i <= movements; ++i) {
            if (d.tipMovements[i] < 0.0) {
                CheckedProblem& p = stops.add("negative_tip_movement",
                                              "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE TIP MOVEMENT\",I4,\" OF THE LIST\","
                                              "/,10X,\"IS NEGATIVE:\",E12.4)",
                                              i, d.tipMovements[i]);
                stops.givenAt(p, "load_transfer.tip_movements", i, "tip_movements");
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
            CheckedProblem& p = stops.add(
                "tip_diameter_not_positive",
                "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE DIAMETER AT THE PILE TIP\","
                "/,10X,\"(OUTSIDE DIAMETER LESS THE TAPER OVER THE PILE LENGTH) IS\",F10.2,1X,A3,"
                "/,10X,\"THE TIP DIAMETER MUST BE GREATER THAN ZERO\")",
                tipDiameter, s.unitLabels.length);
            stops.at(p, "pile", 0, d.taperAngle > 0.0 ? "taper_angle" : "outside_diameter");
        }
    }
}

namespace {

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The single values that checkInputValues above stops on with messages of their own (a negative
// soil strength, a friction angle or a batter of 90 degrees, an increment that is not positive, a
// negative cone resistance or tip movement): the range check does not report them a second time.
bool stoppedByValueChecks(const ValueOutOfRange& p, const Analysis& a) {
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

void checkValueRanges(const ValuePlaces& places, CheckedProblems& found) {
    for (const ValueOutOfRange& v : valuesOutOfRange(places.analysis)) {
        if (stoppedByValueChecks(v, places.analysis)) continue;
        // An input data file's places read as the report's words; keys and field names as written,
        // with the line of a project file where it is known.
        const bool deck = places.source == ValueSource::InputDeck;
        const std::string place = deck ? "AT " + upperCase(v.deckPlace) : "AS " + places.givenAs(v.part, v.number, v.key);
        std::string value = v.name + " " + shortestNumberText(v.value);
        if (!v.unit.empty()) value.append(" ").append(v.unit);
        CheckedProblem& p = found.emplace_back();
        p.problem = rangeProblem(v, places);
        p.report.push_back(formatRecord("(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE \",A,/,10X,\"GIVEN \",A,"
                                        "/,10X,\"IS OUTSIDE THE ALLOWED RANGE \",A)",
                                        upperCase(value), place, upperCase(v.allowed)));
    }
}

void checkSoilProfile(AnalysisState& s, const ValuePlaces& places, CheckedProblems& found) {
    const InputData& d = s.input;
    const double embeddedLength = d.pileLength - d.stickupLength;
    const double batter = d.batterAngle * sp(3.1415927) / 180.0;
    s.requiredSoilDepth =
        std::cos(batter) * embeddedLength + 2.0 * d.outsideDiameter / smallLengthPerLength(d.unitSystem);
    Stops stops(places, found);

    // The last soil point above the pile tip zone only warns, on the console.
    if (s.requiredSoilDepth > d.soilPoints[d.soilPointCount].depth) {
        CheckedProblem& p = found.emplace_back();
        p.problem.severity = Severity::Warning;
        p.problem.code = "profile_shallower_than_pile";
        p.problem.file = places.file;
        p.console.push_back(formatRecord("(/,/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE NO SOIL\",\" INFORMATION\","
                                         "/,10X,\"WAS PROVIDED AT THE DEPTH \",F10.2,1X,A3,"
                                         "/,10X,\"PLEASE NOTE THAT SOIL SHOULD EXTEND AT LEAST THE \","
                                         "/,10X,\" PILE LENGTH PLUS TWO PILE DIAMETERS\")",
                                         s.requiredSoilDepth, s.unitLabels.length));
        p.problem.message = oneLine(p.console);
        stops.at(p, "soil_profile", d.soilPointCount, "depth");
    }
    // A profile analysed to less than the required depth stops the run.
    if (d.deepestSoilDepth < s.requiredSoilDepth) {
        CheckedProblem& p = stops.add(
            "profile_too_short",
            "(/,/,10X,\"COMPUTATION DOES NOT PROCEED BECAUSE THE \",\"DEEPEST SOIL PROFILE \",F7.2,1X,A3,"
            "/,10X,\"IS LESS THAN PILE \",\"EMBEDDED LENGTH PLUS TWO TIMES THE PILE DIAMETER \",F10.2,1X,A3)",
            d.deepestSoilDepth, s.unitLabels.length, s.requiredSoilDepth, s.unitLabels.length);
        stops.at(p, "", 0, "deepest_soil_depth");
    }
}

void checkSegmentCount(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found) {
    if (s.segmentCount <= static_cast<int>(kMaxSegments)) return;
    Stops stops(places, found);
    CheckedProblem& p = stops.add("too_many_segments",
                                  "(/,/,1X,\"YOUR NUMBERS OF SEGMENT \",I4,\" IS LARGER THAN\","
                                  "/,1X,\"DEFAULT VALUE 500. YOU MIGHT WANT TO CHANGE THE LENGTH OF \","
                                  "/,1X,\"SEGMENT OR CONSULT KELMAR, INC. FOR CHANGING THE DEFAULT VALUE\")",
                                  s.segmentCount);
    p.console = p.report;
    stops.at(p, "pile", 0, "length_increment");
}

std::string oneLine(const std::vector<FormattedRecord>& records) {
    std::string line;
    for (const FormattedRecord& r : records) {
        std::size_t start = 0;
        while (start <= r.text.size()) {
            std::size_t end = r.text.find('\n', start);
            if (end == std::string::npos) end = r.text.size();
            const std::size_t first = r.text.find_first_not_of(' ', start);
            if (first < end) {
                const std::size_t last = r.text.find_last_not_of(' ', end - 1);
                line += (line.empty() ? "" : " ") + r.text.substr(first, last - first + 1);
            }
            start = end + 1;
        }
    }
    return line;
}

}  // namespace vorta
