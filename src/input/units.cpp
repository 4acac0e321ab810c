// The units that analyses and CPT files state and the factors between them; an analysis converted
// between English and SI units, field by field from the field tables.
//
// The factors are the exact definitions of the units (1 ft = 0.3048 m, 1 lbf = 4.4482216152605 N),
// not the rounded constants of the engine's formulas (47.88 between ksf and kPa, 39.37 inches to
// the metre): a converted analysis states the same soil and pile, and the engine's own constants
// then apply to it as they apply to any analysis in that unit system.
#include "vorta/units.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/constants.h"

namespace vorta {
namespace {

constexpr double kPoundForce = 4.4482216152605e-3;  // kN
constexpr double kFoot = 0.3048;                    // m
constexpr double kInch = 0.0254;                    // m

struct UnitName {
    std::string_view spelling;  // lower case, without blanks or dots
    UnitInfo unit;
};

// Every unit with the spellings files use for it; the first spelling of a unit is its name in
// the lists of the messages.
const UnitName kUnits[] = {
    {"m", {"m", UnitKind::Length, 1.0}},
    {"metre", {"m", UnitKind::Length, 1.0}},
    {"meter", {"m", UnitKind::Length, 1.0}},
    {"metres", {"m", UnitKind::Length, 1.0}},
    {"meters", {"m", UnitKind::Length, 1.0}},
    {"cm", {"cm", UnitKind::Length, 0.01}},
    {"mm", {"mm", UnitKind::Length, 0.001}},
    {"ft", {"ft", UnitKind::Length, kFoot}},
    {"feet", {"ft", UnitKind::Length, kFoot}},
    {"foot", {"ft", UnitKind::Length, kFoot}},
    {"in", {"in", UnitKind::Length, kInch}},
    {"inch", {"in", UnitKind::Length, kInch}},
    {"inches", {"in", UnitKind::Length, kInch}},
    {"kpa", {"kPa", UnitKind::Stress, 1.0}},
    {"kn/m2", {"kPa", UnitKind::Stress, 1.0}},
    {"mpa", {"MPa", UnitKind::Stress, 1000.0}},
    {"mn/m2", {"MPa", UnitKind::Stress, 1000.0}},
    {"n/mm2", {"MPa", UnitKind::Stress, 1000.0}},
    {"pa", {"Pa", UnitKind::Stress, 0.001}},
    {"n/m2", {"Pa", UnitKind::Stress, 0.001}},
    {"bar", {"bar", UnitKind::Stress, 100.0}},
    {"psf", {"psf", UnitKind::Stress, kPoundForce / (kFoot * kFoot)}},
    {"lb/ft2", {"psf", UnitKind::Stress, kPoundForce / (kFoot * kFoot)}},
    {"lbf/ft2", {"psf", UnitKind::Stress, kPoundForce / (kFoot * kFoot)}},
    {"ksf", {"ksf", UnitKind::Stress, 1000.0 * kPoundForce / (kFoot * kFoot)}},
    {"kip/ft2", {"ksf", UnitKind::Stress, 1000.0 * kPoundForce / (kFoot * kFoot)}},
    {"psi", {"psi", UnitKind::Stress, kPoundForce / (kInch * kInch)}},
    {"lb/in2", {"psi", UnitKind::Stress, kPoundForce / (kInch * kInch)}},
    {"tsf", {"tsf", UnitKind::Stress, 2000.0 * kPoundForce / (kFoot * kFoot)}},
    {"kgf/cm2", {"kgf/cm2", UnitKind::Stress, 98.0665}},
    {"kn/m3", {"kN/m3", UnitKind::UnitWeight, 1.0}},
    {"pcf", {"pcf", UnitKind::UnitWeight, kPoundForce / (kFoot * kFoot * kFoot)}},
    {"lb/ft3", {"pcf", UnitKind::UnitWeight, kPoundForce / (kFoot * kFoot * kFoot)}},
    {"m2", {"m2", UnitKind::Area, 1.0}},
    {"mm2", {"mm2", UnitKind::Area, 1.0e-6}},
    {"ft2", {"ft2", UnitKind::Area, kFoot * kFoot}},
    {"in2", {"in2", UnitKind::Area, kInch * kInch}},
    {"sqin", {"in2", UnitKind::Area, kInch * kInch}},
    {"deg", {"deg", UnitKind::Angle, 1.0}},
    {"degree", {"deg", UnitKind::Angle, 1.0}},
    {"degrees", {"deg", UnitKind::Angle, 1.0}},
    {"%", {"%", UnitKind::Percent, 1.0}},
    {"percent", {"%", UnitKind::Percent, 1.0}},
    {"kn", {"kN", UnitKind::Force, 1.0}},
    {"kips", {"kips", UnitKind::Force, 1000.0 * kPoundForce}},
    {"kip", {"kips", UnitKind::Force, 1000.0 * kPoundForce}},
};

// A unit name as the table spells it: lower case, no blanks or dots, superscripts and "^" before
// an exponent written as the plain digit ("kN/m²" and "kN/m^2" are "kn/m2").
std::string spelling(std::string_view name) {
    std::string s;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == 0xC2 && i + 1 < name.size() && (name[i + 1] == '\xB2' || name[i + 1] == '\xB3')) {
            s += name[i + 1] == '\xB2' ? '2' : '3';
            ++i;
        } else if (c == '^' && i + 1 < name.size() && std::isdigit(static_cast<unsigned char>(name[i + 1]))) {
            continue;
        } else if (c != ' ' && c != '\t' && c != '.') {
            s += static_cast<char>(std::tolower(c));
        }
    }
    return s;
}

double roundedToSignificant(double value, int digits) {
    if (value == 0.0 || !std::isfinite(value)) return value;
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return std::strtod(text, nullptr);
}

bool isAdhesionCase(double value) {
    const double whole = std::trunc(value);
    return whole == 1.0 || whole == 2.0 || whole == 3.0;
}

// Soil column 17 on a point: the FHWA adhesion case (true) or the reference tip movement of the
// USACE tip curve (false).
bool holdsAdhesionCase(const Analysis& a, const ProfilePoint& p) {
    if (p.soilType == SoilType::Clay) return true;
    if (p.soilType == SoilType::Silt) {
        return !(a.methods.loadTransfer == Method::Usace && !a.methods.isSelected(Method::Fhwa));
    }
    return false;
}

class Converter {
public:
    Converter(UnitSystem from, UnitSystem to) : from_(from), to_(to) {}

    // Every Real field of one part of the model, by its field's units.
    template <class Owner>
    void fields(std::span<const FieldInfo<Owner>> table, Owner& owner) const {
        for (const FieldInfo<Owner>& f : table) {
            if (f.type != FieldType::Real || f.getReal == nullptr) continue;
            f.setReal(owner, convertedValue(f.getReal(owner), factor(f)));
        }
    }

    template <class Owner>
    double factor(const FieldInfo<Owner>& f) const {
        const std::optional<double> k = unitFactor(fieldUnit(f, from_), fieldUnit(f, to_));
        if (!k) {
            throw InputError("the analysis: the value " + std::string(f.key) + " has units " + std::string(f.englishUnit) +
                             " and " + std::string(f.siUnit) + ", between which there is no factor");
        }
        return *k;
    }

    UnitSystem to() const { return to_; }

private:
    UnitSystem from_;
    UnitSystem to_;
};

template <class Owner>
const FieldInfo<Owner>& fieldNamed(std::span<const FieldInfo<Owner>> table, std::string_view key) {
    for (const FieldInfo<Owner>& f : table) {
        if (f.key == key) return f;
    }
    throw InputError("the analysis: the field tables have no value " + std::string(key));
}

void convertSoilPoint(const Analysis& a, const Converter& c, ProfilePoint& p) {
    const ProfilePoint given = p;
    c.fields(soilPointFields(), p);
    // The no-limit marker is not a stress.
    if (given.maxUnitFriction == kNoLimit) p.maxUnitFriction = kNoLimit;
    if (given.maxUnitBearing == kNoLimit) p.maxUnitBearing = kNoLimit;
    // Column 17 as the adhesion case: its integer part 1, 2 or 3 in either system, which SI may
    // also write in thousands (3000 for case 3); English takes the plain case.
    if (holdsAdhesionCase(a, p)) {
        const double v = given.adhesionCaseOrTipMovement;
        p.adhesionCaseOrTipMovement =
            c.to() == UnitSystem::English && !isAdhesionCase(v) && isAdhesionCase(v / 1000.0) ? convertedValue(v, 0.001) : v;
    }
}

}  // namespace

std::optional<UnitInfo> findUnit(std::string_view name) {
    const std::string s = spelling(name);
    for (const UnitName& u : kUnits) {
        if (u.spelling == s) return u.unit;
    }
    return std::nullopt;
}

std::string unitNames(UnitKind kind) {
    std::vector<std::string_view> seen;
    std::string names;
    for (const UnitName& u : kUnits) {
        if (u.unit.kind != kind || std::find(seen.begin(), seen.end(), u.unit.name) != seen.end()) continue;
        seen.push_back(u.unit.name);
        names += (names.empty() ? "" : ", ") + std::string(u.unit.name);
    }
    return names;
}

std::optional<double> unitFactor(std::string_view from, std::string_view to) {
    if (from.empty() && to.empty()) return 1.0;
    const std::optional<UnitInfo> a = findUnit(from);
    const std::optional<UnitInfo> b = findUnit(to);
    if (!a || !b || a->kind != b->kind) return std::nullopt;
    if (a->inBase == b->inBase) return 1.0;
    return a->inBase / b->inBase;
}

double convertedValue(double value, double factor) {
    if (factor == 1.0 || value == 0.0 || !std::isfinite(value)) return value;
    // The fewest digits, from nine, that take the value back to itself by the same rule.
    for (int digits = 9; digits <= 17; ++digits) {
        const double converted = roundedToSignificant(value * factor, digits);
        if (roundedToSignificant(converted / factor, digits) == value) return converted;
    }
    return value * factor;
}

Analysis convertUnits(const Analysis& analysis, UnitSystem to) {
    const auto known = [](UnitSystem u) { return u == UnitSystem::English || u == UnitSystem::SI; };
    if (!known(to)) throw InputError("the analysis cannot be converted to unit system " + std::to_string(static_cast<int>(to)));
    if (!known(analysis.units)) {
        throw InputError("the analysis is in unit system " + std::to_string(static_cast<int>(analysis.units)) +
                         ", neither English nor SI: its values have no units to convert");
    }
    if (analysis.units == to) return analysis;
    const Converter c(analysis.units, to);
    Analysis a = analysis;
    a.units = to;
    c.fields(analysisFields(), a);
    c.fields(pileFields(), a.pile);
    for (AreaTableRow& row : a.pile.areaTable) c.fields(areaRowFields(), row);
    c.fields(methodFields(), a.methods);
    for (ProfilePoint& p : a.soilProfile) convertSoilPoint(analysis, c, p);
    c.fields(loadingFields(), a.loading);
    c.fields(optionFields(), a.options);
    for (TzModifier& m : a.loadTransfer.modifiers) c.fields(tzModifierFields(), m);
    if (a.loadTransfer.tipCurveFactors) c.fields(tipCurveFactorFields(), *a.loadTransfer.tipCurveFactors);
    const std::span<const FieldInfo<double>> lists = loadTransferListFields();
    const double depthFactor = c.factor(fieldNamed(lists, "verification_depths"));
    const double movementFactor = c.factor(fieldNamed(lists, "tip_movements"));
    for (double& d : a.loadTransfer.verificationDepths) d = convertedValue(d, depthFactor);
    for (double& m : a.loadTransfer.tipMovements) m = convertedValue(m, movementFactor);
    c.fields(designFields(), a.design);
    const double loadFactor = c.factor(designLoadField());
    for (double& load : a.design.loads) load = convertedValue(load, loadFactor);

    // The sounding: fs and u2 are stresses in the unit of qc.
    const double stressFactor = c.factor(fieldNamed(cptPointFields(), "cone_resistance"));
    for (CptPoint& p : a.cpt.points) {
        c.fields(cptPointFields(), p);
        if (p.sleeveFriction) p.sleeveFriction = convertedValue(*p.sleeveFriction, stressFactor);
        if (p.porePressure) p.porePressure = convertedValue(*p.porePressure, stressFactor);
    }
    // A file that states its units reads into either system; the engine's own CPT file does not.
    if (a.cpt.file && !a.cpt.file->statesUnits) a.cpt.file.reset();
    return a;
}

}  // namespace vorta
