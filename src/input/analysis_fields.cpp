// The field tables of the analysis model: every value's name, unit, meaning, default, allowed range
// and place in the input data file, in one list per part of the model.
#include <algorithm>
#include <array>
#include <cctype>

#include "vorta/analysis.h"

namespace vorta {
namespace {

#define VORTA_REAL(O, key, member, eu, su, req, note, meaning, limits)                                 \
    FieldInfo<O> {                                                                                          \
        key, FieldType::Real, eu, su, meaning, req, note, [](const O& o) -> double { return o.member; }, \
            [](O& o, double v) { o.member = v; }, nullptr, nullptr, nullptr, nullptr, {}, limits            \
    }
#define VORTA_INT(O, type, key, member, req, note, meaning, choices, limits)                              \
    FieldInfo<O> {                                                                                              \
        key, type, "", "", meaning, req, note, nullptr, nullptr,                                          \
            [](const O& o) -> int { return static_cast<int>(o.member); },                                       \
            [](O& o, int v) { o.member = static_cast<std::remove_reference_t<decltype(o.member)>>(v); }, nullptr, \
            nullptr, choices, limits                                                                             \
    }

#define VORTA_TEXT(O, key, member, note, meaning)                                                \
    FieldInfo<O> {                                                                                    \
        key, FieldType::Text, "", "", meaning, false, note, nullptr, nullptr, nullptr, nullptr, \
            [](const O& o) -> std::string { return o.member; },                                      \
            [](O& o, const std::string& v) { o.member = v; }                                          \
    }

// Limits in the field's unit, the same in both unit systems or English and SI apart. They hold what
// any soil or pile may have and stop what none has (an angle of friction of 90 degrees, a unit
// weight of 1E+300) or what the engine cannot divide by (a modulus, an area or a movement factor of
// zero).
constexpr ValueLimits within(double least, double greatest) { return ValueLimits{{least, greatest}, {least, greatest}}; }
constexpr ValueLimits within(double englishLeast, double englishGreatest, double siLeast, double siGreatest) {
    return ValueLimits{{englishLeast, englishGreatest}, {siLeast, siGreatest}};
}
// Zero means "not given" (the program's own value) and is allowed whatever the bounds.
constexpr ValueLimits orZero(ValueLimits limits) {
    limits.zeroNotGiven = true;
    return limits;
}
// Zero or less means "not given": the engine tests the value for being positive (a peak movement,
// a residual ratio) or above a small tolerance (a unit limit, an enhanced end length). Values below
// zero are allowed down to minus the greatest value.
constexpr ValueLimits orNotPositive(ValueLimits limits) {
    limits.nonPositiveNotGiven = true;
    return limits;
}
// The greatest value itself is not allowed (angles below 90 degrees).
constexpr ValueLimits belowGreatest(ValueLimits limits) {
    limits.greatestExcluded = true;
    return limits;
}
constexpr ValueLimits aboveLeast(ValueLimits limits) {
    limits.leastExcluded = true;
    return limits;
}
constexpr ValueLimits kNoLimits{};

// The limits that many fields share (English / SI).
constexpr ValueLimits kDepthLimits = within(0, 3300, 0, 1000);                // ft / m
constexpr ValueLimits kDiameterLimits = within(0, 600, 0, 15000);             // in / mm
constexpr ValueLimits kAreaLimits = within(0, 150000, 0, 100);                // in2 / m2
constexpr ValueLimits kSoilStrengthLimits = within(0, 200000, 0, 10000);      // psf / kPa
constexpr ValueLimits kUnitBearingLimits = within(0, 5.0e6, 0, 250000);       // psf / kPa
constexpr ValueLimits kUnitLimitLimits = orNotPositive(within(0, 2.0e8, 0, 1.0e7));  // psf / kPa; 9999999: no limit
constexpr ValueLimits kMovementLimits = orNotPositive(within(0.001, 100, 0.025, 2500));  // in / mm; curves divide by them
constexpr ValueLimits kFactorLimits = within(0, 100);                         // load factors of the curves
constexpr ValueLimits kMovementFactorLimits = within(0.01, 100);              // movements are divided by them
constexpr ValueLimits kResistanceFactorLimits = within(0, 2);                 // LRFD and reduction factors

constexpr ChoiceName kUnitNames[] = {{1, "English"}, {2, "SI"}};
constexpr ChoiceName kPileTypeNames[] = {{1, "steel_pipe"},         {2, "timber"},
                                         {3, "precast_concrete"},   {4, "raymond_step_taper"},
                                         {5, "raymond_uniform_taper"}, {6, "h_pile"},
                                         {7, "monotube_taper"}};
constexpr ChoiceName kTipNames[] = {{0, "open"}, {1, "closed"}};
constexpr ChoiceName kAxialAreaNames[] = {{0, "computed"}, {1, "uniform"}, {2, "table"}};
// The methods by their keys, and their aliases after each key.
constexpr auto kMethodNames = [] {
    constexpr std::size_t count = [] {
        std::size_t n = 0;
        for (const MethodInfo& m : kMethodTable) n += m.alias.empty() ? 1 : 2;
        return n;
    }();
    std::array<ChoiceName, count> names{};
    std::size_t i = 0;
    for (const MethodInfo& m : kMethodTable) {
        names[i++] = ChoiceName{m.selection(), m.key};
        if (!m.alias.empty()) names[i++] = ChoiceName{m.selection(), m.alias};
    }
    return names;
}();
constexpr ChoiceName kSoilTypeNames[] = {{1, "sand"}, {2, "clay"}, {3, "silt"}};
constexpr ChoiceName kLoadingNames[] = {{0, "compression"}, {1, "tension"}};
constexpr ChoiceName kPlugNames[] = {{0, "computed"}, {1, "plugged"}, {2, "unplugged"}};
constexpr ChoiceName kCriticalDepthNames[] = {{0, "density"}, {1, "stress"}, {2, "user"}};

const FieldInfo<Analysis> kAnalysisFields[] = {
    VORTA_TEXT(Analysis, "title", titles.title, "empty", "title of the analysis (one line, 72 characters)"),
    VORTA_TEXT(Analysis, "designer", titles.designer, "empty", "designer (one line, 72 characters)"),
    VORTA_TEXT(Analysis, "job_number", titles.jobNumber, "empty", "job number (one line, 72 characters)"),
    VORTA_INT(Analysis, FieldType::Choice, "units", units, true, "",
              "unit system of every value: English or SI", kUnitNames, kNoLimits),
    VORTA_INT(Analysis, FieldType::Integer, "output_step", outputStep, false, "",
              "the result tables print every output_step-th pile length", {}, within(1, 2147483647)),
    VORTA_REAL(Analysis, "deepest_soil_depth", deepestSoilDepth, "ft", "m", false,
               "the depth of the last soil point",
               "depth to which the soil column is divided into segments", kDepthLimits),
};

const FieldInfo<Pile> kPileFields[] = {
    VORTA_INT(Pile, FieldType::Choice, "type", type, true, "",
              "pile type (steel_pipe also for the straight part of a monotube, h_pile also for other "
              "non-circular steel piles, monotube_taper for the tapered part of a monotube)",
              kPileTypeNames, kNoLimits),
    VORTA_INT(Pile, FieldType::Choice, "tip", tip, false, "",
              "tip of a pipe or circular concrete pile: open or closed", kTipNames, kNoLimits),
    VORTA_REAL(Pile, "outside_diameter", outsideDiameter, "in", "mm", true, "",
               "outside diameter (at the butt of a tapered pile)", orZero(within(1, 600, 25, 15000))),
    VORTA_REAL(Pile, "inside_diameter", insideDiameter, "in", "mm", false, "",
               "inside diameter; 0 for a solid section", kDiameterLimits),
    VORTA_REAL(Pile, "perimeter", perimeter, "in", "mm", false, "",
               "perimeter of a non-circular pile; 0 for a circular pile", orZero(within(3, 2000, 75, 50000))),
    VORTA_REAL(Pile, "tip_area", tipArea, "in2", "m2", false, "",
               "tip area of a non-circular pile", kAreaLimits),
    VORTA_REAL(Pile, "elastic_modulus", elasticModulus, "psi", "kPa", true, "",
               "modulus of elasticity of the pile material", orZero(within(1.0e4, 1.0e8, 7.0e4, 7.0e8))),
    VORTA_REAL(Pile, "length", length, "ft", "m", true, "",
               "total pile length, stickup included", within(1, 3300, 0.3, 1000)),
    VORTA_REAL(Pile, "stickup", stickup, "ft", "m", false, "",
               "length of pile above the ground surface (less than the pile length)", kDepthLimits),
    VORTA_REAL(Pile, "enhanced_end_length", enhancedEndLength, "ft", "m", false, "",
               "length of the enhanced (thickened) end section; 0 (below 0.00001) for none", orNotPositive(kDepthLimits)),
    VORTA_REAL(Pile, "enhanced_end_inside_diameter", enhancedEndInsideDiameter, "in", "mm", false, "",
               "inside diameter of the enhanced end section (without one, the pile's inside diameter)", kDiameterLimits),
    VORTA_REAL(Pile, "batter_angle", batterAngle, "deg", "deg", false, "",
               "batter angle from the vertical", aboveLeast(belowGreatest(within(-90, 90)))),
    VORTA_REAL(Pile, "zero_friction_length", zeroFrictionLength, "ft", "m", false, "",
               "length below the ground surface that carries no friction", kDepthLimits),
    VORTA_REAL(Pile, "length_increment", lengthIncrement, "ft", "m", true, "",
               "increment of pile length used in the computation (the segment length); more than 500 segments "
               "down to the deepest soil depth stop the run", aboveLeast(within(0, 100, 0, 30))),
    VORTA_REAL(Pile, "taper_angle", taperAngle, "deg", "deg", false, "",
               "angle of taper of a tapered pile", within(0, 30)),
    VORTA_INT(Pile, FieldType::Choice, "axial_area", axialArea, false, "",
              "cross-section area for the axial stiffness: computed (from the diameters, or the tip "
              "area of a non-circular pile), uniform (cross_section_area) or table (area_table)",
              kAxialAreaNames, kNoLimits),
    VORTA_REAL(Pile, "cross_section_area", crossSectionArea, "in2", "m2", false, "",
               "uniform cross-section area, for axial_area = \"uniform\"", kAreaLimits),
};

const FieldInfo<AreaTableRow> kAreaRowFields[] = {
    VORTA_REAL(AreaTableRow, "distance", distance, "ft", "m", true, "",
               "distance from the pile top", kDepthLimits),
    VORTA_REAL(AreaTableRow, "area", area, "in2", "m2", true, "",
               "cross-section area from this distance on", orZero(within(0.01, 150000, 1.0e-5, 100))),
};

const FieldInfo<Methods> kMethodFields[] = {
    VORTA_INT(Methods, FieldType::Choice, "load_transfer", loadTransfer, true, "",
              "the method whose unit load transfers drive the load-settlement analysis", kMethodNames, kNoLimits),
    VORTA_INT(Methods, FieldType::Switch, "run_cpt_methods", cptMethods, false,
              "true when a CPT-based method (NGI, ICP_MTD, Fugro, UWA) is selected",
              "run the selected CPT-based methods and print the CPT table of the input echo "
              "(an integer restates an input data file: 1 runs them, above 0 prints the table)",
              {}, kNoLimits),
    VORTA_INT(Methods, FieldType::Switch, "reduced_side_friction", reducedSideFriction, false, "",
              "hand the reduced (LRFD-factored) unit side friction to the load transfer instead of the "
              "unfactored one",
              {}, kNoLimits),
};

const FieldInfo<ProfilePoint> kSoilPointFields[] = {
    VORTA_REAL(ProfilePoint, "depth", depth, "ft", "m", true, "",
               "depth below the ground surface (top and bottom of a layer)", kDepthLimits),
    VORTA_TEXT(ProfilePoint, "name", name, "none", "a name for the layer, for the reader"),
    VORTA_INT(ProfilePoint, FieldType::Choice, "soil_type", soilType, true, "",
              "sand, clay or silt", kSoilTypeNames, kNoLimits),
    VORTA_REAL(ProfilePoint, "lateral_earth_pressure", lateralEarthPressure, "", "", false, "", "lateral earth pressure coefficient K; 0: assumed by the program (0.8)", within(0, 10)),
    VORTA_REAL(ProfilePoint, "effective_unit_weight", effectiveUnitWeight, "pcf", "kN/m3", true, "", "effective (buoyant below the water table) unit weight", within(0, 300, 0, 50)),
    VORTA_REAL(ProfilePoint, "friction_angle", frictionAngle, "deg", "deg", false, "",
               "friction angle; 0: estimated from the blow count", belowGreatest(within(0, 90))),
    VORTA_REAL(ProfilePoint, "bearing_capacity_factor", bearingCapacityFactor, "", "", false, "", "bearing capacity factor Nq; 0: estimated from the friction angle", within(0, 1000)),
    VORTA_REAL(ProfilePoint, "max_unit_friction", maxUnitFriction, "psf", "kPa", false, "",
               "limit on the unit skin friction; 0 (or less): not limited", kUnitLimitLimits),
    VORTA_REAL(ProfilePoint, "max_unit_bearing", maxUnitBearing, "psf", "kPa", false, "",
               "limit on the unit end bearing; 0 (or less): not limited", kUnitLimitLimits),
    VORTA_REAL(ProfilePoint, "shear_strength", shearStrength, "psf", "kPa", false, "",
               "undisturbed undrained shear strength", kSoilStrengthLimits),
    VORTA_REAL(ProfilePoint, "remolded_strength", remoldedStrength, "psf", "kPa", false, "", "remolded shear strength; not used for sand", kSoilStrengthLimits),
    VORTA_REAL(ProfilePoint, "blow_count_or_yield_stress_ratio", blowCountOrYieldStressRatio, "", "", false, "",
               "blow count N of sand and silt, yield stress ratio of clay (the CPT-based methods read it "
               "as yield stress ratio)", within(0, 1000)),
    VORTA_REAL(ProfilePoint, "plasticity_index", plasticityIndex, "%", "%", false, "",
               "plasticity index (a negative value: the CPT-based methods print \"ERROR - NO DATA FOUND FOR PLASTIC "
               "INDEX.\" for each such clay segment and go on)",
               within(-1000, 1000)),
    VORTA_REAL(ProfilePoint, "cone_resistance", coneResistance, "psf", "kPa", false, "",
               "cone resistance qc at the point; 0: from the CPT sounding", kUnitBearingLimits),
    VORTA_REAL(ProfilePoint, "user_unit_friction", userUnitFriction, "psf", "kPa", false, "", "unit skin friction of the user-specified (general) method", kSoilStrengthLimits),
    VORTA_REAL(ProfilePoint, "user_unit_bearing", userUnitBearing, "psf", "kPa", false, "",
               "unit end bearing of the user-specified (general) method", kUnitBearingLimits),
    VORTA_REAL(ProfilePoint, "lrfd_friction_factor", lrfdFrictionFactor, "", "", false, "",
               "LRFD resistance factor on the unit friction", kResistanceFactorLimits),
    VORTA_REAL(ProfilePoint, "lrfd_bearing_factor", lrfdBearingFactor, "", "", false, "",
               "LRFD resistance factor on the unit bearing", kResistanceFactorLimits),
    VORTA_REAL(ProfilePoint, "adhesion_case_or_tip_movement", adhesionCaseOrTipMovement, "in", "mm", false, "",
               "FHWA adhesion case chosen by the user by the integer part of the value: 1, 2 or 3, in SI also "
               "1000 to 3999 (the thousands of an SI input data file); any other value lets the method choose. "
               "The USACE tip curve reads the same value as its reference tip movement (0 or less: 5% of the "
               "diameter)", orNotPositive(within(0.001, 100, 0.025, 4000))),
    VORTA_REAL(ProfilePoint, "peak_movement", peakMovement, "in", "mm", false, "",
               "movement at peak side resistance of the t-z curves; 0 (or less): 1% of the diameter", kMovementLimits),
    VORTA_REAL(ProfilePoint, "residual_ratio", residualRatio, "", "", false, "",
               "residual over peak side resistance of the clay t-z curve; 0 (or less): 0.9", orNotPositive(within(0, 5))),
};

const FieldInfo<Loading> kLoadingFields[] = {
    VORTA_INT(Loading, FieldType::Choice, "type", type, false, "",
              "compression or tension", kLoadingNames, kNoLimits),
    VORTA_REAL(Loading, "tension_reduction_factor", tensionReductionFactor, "", "", false, "",
               "in tension, the factor on the unit friction of every method (the user's unit values of the "
               "general method too); not used in compression", kResistanceFactorLimits),
};

const FieldInfo<AnalysisOptions> kOptionFields[] = {
    VORTA_INT(AnalysisOptions, FieldType::Choice, "plug_condition", plugCondition, false, "",
              "open-ended piles: computed (the program decides), plugged or unplugged", kPlugNames, kNoLimits),
    VORTA_INT(AnalysisOptions, FieldType::Switch, "icp_drained_clay", icpDrainedClay, false, "", "drained condition for clay in ICP/MTD (otherwise undrained)", {}, kNoLimits),
    VORTA_INT(AnalysisOptions, FieldType::Switch, "long_pile_option", longPileOption, false, "", "the long pile option of the USACE method", {}, kNoLimits),
    VORTA_INT(AnalysisOptions, FieldType::Choice, "critical_depth_rule", criticalDepthRule, false, "",
              "critical depth of sand in the USACE method: density (10 to 20 diameters by density), "
              "stress (where the effective stress reaches 3,500 psf or 185 kPa) or user (critical_depth)",
              kCriticalDepthNames, kNoLimits),
    VORTA_REAL(AnalysisOptions, "critical_depth", criticalDepth, "ft", "m", false, "",
               "critical depth of the rule \"user\" (not used by the other rules)", kDepthLimits),
    VORTA_INT(AnalysisOptions, FieldType::Switch, "cpt_rows_as_driven", cptRowsAsDriven, false, "",
              "each row of the NGI, ICP/MTD, Fugro and UWA tables is a pile driven to that penetration (heights above "
              "its own tip, its own plug and self weight), not the upper part of the final pile; the tables say so",
              {}, kNoLimits),
};

const FieldInfo<TzModifier> kTzModifierFields[] = {
    VORTA_REAL(TzModifier, "depth", depth, "ft", "m", true, "", "depth of the row", kDepthLimits),
    VORTA_REAL(TzModifier, "load_factor", loadFactor, "", "", false, "",
               "factor on the unit load transfer of the t-z curves", kFactorLimits),
    VORTA_REAL(TzModifier, "movement_factor", movementFactor, "", "", false, "",
               "factor on the movements of the t-z curves", kMovementFactorLimits),
};

const FieldInfo<TipCurveFactors> kTipCurveFactorFields[] = {
    VORTA_REAL(TipCurveFactors, "load_factor", loadFactor, "", "", false, "",
               "factor on the loads of the tip (q-w) curve", kFactorLimits),
    VORTA_REAL(TipCurveFactors, "movement_factor", movementFactor, "", "", false, "",
               "factor on the movements of the tip curve", kMovementFactorLimits),
};

const FieldInfo<CptPoint> kCptPointFields[] = {
    VORTA_REAL(CptPoint, "depth", depth, "ft", "m", true, "", "depth", kDepthLimits),
    VORTA_REAL(CptPoint, "cone_resistance", coneResistance, "psf", "kPa", true, "",
               "cone tip resistance qc", kUnitBearingLimits),
};

#define VORTA_SWITCH(key, member, meaning)                                                               \
    FieldInfo<LoadTransferTables> {                                                                             \
        key, FieldType::Integer, "", "", meaning, false, "follows from the table", nullptr, nullptr,    \
            [](const LoadTransferTables& o) -> int { return o.member.value_or(kAbsentSwitch); },               \
            [](LoadTransferTables& o, int v) {                                                                  \
                if (v == kAbsentSwitch) o.member.reset();                                                       \
                else o.member = v;                                                                              \
            }                                                                                                   \
    }

const FieldInfo<LoadTransferTables> kSwitchFields[] = {
    VORTA_SWITCH("verification_flag", verificationSwitch,
                 "the switch of the verification depths (1 reads them)"),
    VORTA_SWITCH("modifier_flag", modifierSwitch, "the switch of the t-z modifier table (1 reads it)"),
    VORTA_SWITCH("modifier_count", modifierCount,
                 "the row count of the t-z modifier table (a count of 1 reads no row)"),
    VORTA_SWITCH("tip_movement_flag", tipMovementSwitch,
                 "the switch of the tip movement list (1 reads it; 1 with no movements gives no load step)"),
    VORTA_SWITCH("tip_curve_factor_flag", tipCurveFactorSwitch,
                 "the switch of the tip-curve factors (1 reads them)"),
};

// The elements of the lists of plain numbers.
const FieldInfo<double> kListFields[] = {
    FieldInfo<double>{"verification_depths", FieldType::Real, "ft", "m",
                      "depths at which the t-z curves are printed for verification (outside the soil profile: "
                      "not printed)",
                      false, "none", [](const double& v) { return v; }, [](double& v, double x) { v = x; },
                      nullptr, nullptr, nullptr, nullptr, {}, kNoLimits},
    FieldInfo<double>{"tip_movements", FieldType::Real, "in", "mm",
                      "tip movements of the load steps (an empty list: no load step)", false,
                      "the program's own movements", [](const double& v) { return v; },
                      [](double& v, double x) { v = x; }, nullptr, nullptr, nullptr, nullptr, {},
                      within(0, 100, 0, 2500)},
};

const FieldInfo<DesignLoads> kDesignFields[] = {
    VORTA_REAL(DesignLoads, "factor_of_safety", factorOfSafety, "", "", false, "",
               "factor of safety on the ultimate capacity; leave it at 1 where the layers' LRFD resistance factors "
               "give a factored capacity", within(1, 100)),
};

const FieldInfo<double> kDesignLoadField{
    "loads", FieldType::Real, "kips", "kN",
    "the design loads (in tension the uplift loads) whose least embedded length each method gives", false, "none",
    [](const double& v) { return v; }, [](double& v, double x) { v = x; }, nullptr,
    nullptr, nullptr, nullptr, {}, aboveLeast(within(0, 2.0e6, 0, 9.0e6))};

std::string normalName(std::string_view name) {
    std::string n;
    for (char c : name) {
        if (std::isalnum(static_cast<unsigned char>(c))) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return n;
}

}  // namespace

std::span<const FieldInfo<Analysis>> analysisFields() { return kAnalysisFields; }
std::span<const FieldInfo<Pile>> pileFields() { return kPileFields; }
std::span<const FieldInfo<AreaTableRow>> areaRowFields() { return kAreaRowFields; }
std::span<const FieldInfo<Methods>> methodFields() { return kMethodFields; }
std::span<const FieldInfo<ProfilePoint>> soilPointFields() { return kSoilPointFields; }
std::span<const FieldInfo<Loading>> loadingFields() { return kLoadingFields; }
std::span<const FieldInfo<AnalysisOptions>> optionFields() { return kOptionFields; }
std::span<const FieldInfo<TzModifier>> tzModifierFields() { return kTzModifierFields; }
std::span<const FieldInfo<TipCurveFactors>> tipCurveFactorFields() { return kTipCurveFactorFields; }
std::span<const FieldInfo<CptPoint>> cptPointFields() { return kCptPointFields; }
std::span<const FieldInfo<LoadTransferTables>> loadTransferSwitchFields() { return kSwitchFields; }
std::span<const FieldInfo<double>> loadTransferListFields() { return kListFields; }
std::span<const FieldInfo<DesignLoads>> designFields() { return kDesignFields; }
const FieldInfo<double>& designLoadField() { return kDesignLoadField; }
std::span<const ChoiceName> methodNames() { return kMethodNames; }
std::span<const ChoiceName> soilTypeNames() { return kSoilTypeNames; }

bool pairsIntoLayers(const std::vector<ProfilePoint>& points) {
    if (points.empty() || points.size() % 2 != 0) return false;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (!(points[i].depth <= points[i + 1].depth)) return false;
    }
    return true;
}

std::optional<int> choiceCode(std::span<const ChoiceName> choices, std::string_view name) {
    const std::string wanted = normalName(name);
    for (const ChoiceName& c : choices) {
        if (normalName(c.name) == wanted) return c.code;
    }
    return std::nullopt;
}

std::string_view choiceName(std::span<const ChoiceName> choices, int code) {
    for (const ChoiceName& c : choices) {
        if (c.code == code) return c.name;
    }
    return {};
}

}  // namespace vorta
