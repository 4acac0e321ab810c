// The range check of an analysis: every value against the limits of its field in the field
// tables, with the place where it was given in words of the source (input data file, project file
// or program).
#include <charconv>
#include <cmath>
#include <string>

#include "engine/constants.h"
#include "input/deck_layout.h"
#include "input/input.h"
#include "vorta/analysis.h"

namespace vorta {
namespace {

// A bound as people write it, without an exponent (200000, not 2e+05; 0.00001, not 1e-05).
std::string boundText(double v) {
    if (!(std::fabs(v) < 1.0e15)) return shortestNumberText(v);
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string withUnit(const std::string& text, std::string_view unit) {
    return unit.empty() ? text : text + " " + std::string(unit);
}

// "friction_angle" as words: "friction angle".
std::string words(std::string_view key) {
    std::string text(key);
    for (char& c : text) {
        if (c == '_') c = ' ';
    }
    return text;
}

// The column of a soil point value in the input data file (1 to 19). A sand point carries its
// blow count in column 9; a remolded strength given for one is named by its own column.
int soilColumn(const FieldInfo<ProfilePoint>& f, SoilType type) {
    const int column = deckSoilColumnOf(f.key, type);
    return column >= 0 ? column : deckSoilColumnOf(f.key, SoilType::Clay);
}

// Values that the analysis does not use, which no limit need hold: the diameters of a
// non-circular pile (worked as the circle of its perimeter; an H-pile or a non-circular concrete
// pile takes its axial area from the tip area), the inside diameter of an enhanced end that is not
// given (the pile's own is used), and a critical depth under the density or stress rules.
bool unusedValue(const Analysis& a, std::string_view part, std::string_view key) {
    if (part == "pile") {
        const bool nonCircular = a.pile.perimeter > sp(1.0e-10);
        if (key == "inside_diameter") return nonCircular;
        if (key == "outside_diameter") {
            return nonCircular && (a.pile.type == PileType::HPile || a.pile.type == PileType::PrecastConcrete);
        }
        if (key == "enhanced_end_inside_diameter") return a.pile.enhancedEndLength < sp(1.0e-5);
    }
    if (part == "options" && key == "critical_depth") {
        return a.options.criticalDepthRule == CriticalDepthRule::Density ||
               a.options.criticalDepthRule == CriticalDepthRule::Stress;
    }
    return false;
}

// A value's path in the model: "pile.outside_diameter", "soil_profile[3].friction_angle",
// "load_transfer.tip_movements[2]" (a list of plain numbers has no key of its own).
std::string fieldPath(std::string_view part, int number, std::string_view key, bool plainNumbers) {
    std::string path(part);
    if (number > 0) path += "[" + std::to_string(number) + "]";
    if (plainNumbers) return path;
    if (!path.empty()) path += ".";
    return path + std::string(key);
}

// The key of soil point k (from 0) in a project file: its layer's, with the end of the layer and
// the point ("layers[2].friction_angle (top, soil point 3)"), or the point's when the profile is not
// given as layers.
std::string soilProjectPlace(const std::vector<ProfilePoint>& points, std::size_t k, std::string_view key) {
    const std::string point = "soil point " + std::to_string(k + 1);
    if (!pairsIntoLayers(points)) return "soil_points[" + std::to_string(k + 1) + "]." + std::string(key);
    const std::string layer = "layers[" + std::to_string(k / 2 + 1) + "].";
    const char* end = k % 2 == 0 ? "top" : "bottom";
    return key == "depth" ? layer + end + " (" + point + ")" : layer + std::string(key) + " (" + end + ", " + point + ")";
}

// One part of the model: how its values are named in each source.
struct Part {
    std::string_view path;         // the model's field path of the part ("" at the top level)
    std::string_view words;        // what precedes the key in a value's name ("pile ")
    std::string_view projectPath;  // the part's keys in a project file
    std::string_view deckRow;      // a row of a list part in an input data file ("area row ")
    bool plainNumbers = false;     // a list of plain numbers: its elements have no key of their own
    std::string_view impliedBy{};  // values a project file does not state but implies by this key
};

class RangeCheck {
public:
    RangeCheck(const Analysis& a, ValueSource source)
        : analysis_(a), units_(a.units), knownUnits_(a.units == UnitSystem::English || a.units == UnitSystem::SI),
          source_(source) {}

    // Every limited field of one owner; `number` is the row of a list part (0 for a single value).
    template <class Owner>
    void fields(std::span<const FieldInfo<Owner>> list, const Owner& owner, const Part& part, int number = 0) {
        for (const FieldInfo<Owner>& f : list) {
            if (!f.limits.limited() || unusedValue(analysis_, part.path, f.key)) continue;
            double value = 0.0;
            if (f.type == FieldType::Real) value = f.getReal(owner);
            else if (f.type == FieldType::Integer) value = f.getInt(owner);
            else continue;
            if (!inRange(f, value)) add(f, value, part, number, placeInDeck(f, part, number), projectPlace(f, part, number));
        }
    }

    // The soil profile, point by point.
    void soilProfile(const std::vector<ProfilePoint>& points) {
        const Part part{"soil_profile", "", "", ""};
        for (std::size_t k = 0; k < points.size(); ++k) {
            const int number = static_cast<int>(k) + 1;
            const ProfilePoint& p = points[k];
            for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
                if (f.type != FieldType::Real || !f.limits.limited()) continue;
                const double value = f.getReal(p);
                if (inRange(f, value)) continue;
                const std::string point = "soil point " + std::to_string(number);
                const std::string deck = f.key == "depth" ? point + ", depth"
                                                          : point + ", column " + std::to_string(soilColumn(f, p.soilType));
                add(f, value, part, number, deck, soilProjectPlace(points, k, f.key),
                    f.key == "depth" ? "soil point depth" : "");
            }
        }
    }

    // A list of plain numbers (verification depths, tip movements).
    // `path` is the list's place in the model and in a project file (a text that outlives the check).
    void list(const FieldInfo<double>& f, const std::vector<double>& values, std::string_view path,
              std::string_view rowWords) {
        const Part part{path, "", path, "", true};
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (inRange(f, values[i])) continue;
            const int number = static_cast<int>(i) + 1;
            add(f, values[i], part, number,
                std::string(rowWords) + " " + std::to_string(number) + " (" + vorta::deckPlace(f) + ")",
                std::string(path) + "[" + std::to_string(number) + "]", std::string(rowWords));
        }
    }

    std::vector<RangeProblem> problems;

private:
    template <class Owner>
    bool inRange(const FieldInfo<Owner>& f, double value) const {
        // Without a known unit system a value whose unit depends on it has no limits to hold it to.
        if (!knownUnits_ && f.englishUnit != f.siUnit) return true;
        return f.limits.allows(value, units_);
    }

    template <class Owner>
    std::string placeInDeck(const FieldInfo<Owner>& f, const Part& part, int number) const {
        if (number == 0) return vorta::deckPlace(f);
        return std::string(part.deckRow) + std::to_string(number) + " (" + vorta::deckPlace(f) + ")";
    }

    template <class Owner>
    std::string projectPlace(const FieldInfo<Owner>& f, const Part& part, int number) const {
        if (!part.impliedBy.empty()) return std::string(part.impliedBy);
        std::string key(part.projectPath);
        if (number > 0) key += "[" + std::to_string(number) + "]";
        // A point of the sounding is a pair [depth, cone resistance].
        if (part.path == "cpt.points") return key + " (" + words(f.key) + ")";
        if (!key.empty()) key += ".";
        return key + std::string(f.key);
    }

    template <class Owner>
    void add(const FieldInfo<Owner>& f, double value, const Part& part, int number, const std::string& deck,
             const std::string& project, const std::string& name = "") {
        RangeProblem p;
        p.field = fieldPath(part.path, number, f.key, part.plainNumbers);
        p.part = part.path;
        p.number = number;
        p.key = f.key;
        p.value = value;
        p.unit = fieldUnit(f, units_);
        p.limits = f.limits;
        p.allowed = limitsText(f.limits, units_, p.unit);
        p.name = name.empty() ? std::string(part.words) + words(f.key) : name;
        switch (source_) {
            case ValueSource::InputDeck: p.place = deck; break;
            case ValueSource::ProjectFile: p.place = project; break;
            case ValueSource::Program: p.place = p.field; break;
        }
        p.message = p.place + ": the " + p.name + " " + withUnit(shortestNumberText(value), p.unit) +
                    " is outside the allowed range " + p.allowed;
        problems.push_back(std::move(p));
    }

    const Analysis& analysis_;
    UnitSystem units_;
    bool knownUnits_;
    ValueSource source_;
};

// The line of a project file where the key of a place was given ("layers[2].friction_angle (top,
// soil point 3)" is the key layers[2].friction_angle); a key not found is looked for without its
// last part (the list or table that holds it). 0 when no line is known.
int lineOfKey(const SourceLines* lines, std::string_view place) {
    if (lines == nullptr) return 0;
    std::string_view key = place.substr(0, place.find(" ("));
    while (!key.empty()) {
        if (const auto it = lines->find(key); it != lines->end()) return it->second;
        const std::size_t cut = key.find_last_of(".[");
        if (cut == std::string_view::npos) break;
        key = key.substr(0, cut);
    }
    return 0;
}

}  // namespace

std::string ValuePlaces::of(std::string_view part, int number, std::string_view key) const {
    const bool plainNumbers = part == "load_transfer.verification_depths" || part == "load_transfer.tip_movements";
    switch (source) {
        case ValueSource::InputDeck: return {};
        case ValueSource::Program: return fieldPath(part, number, key, plainNumbers);
        case ValueSource::ProjectFile: break;
    }
    std::string place;
    if (part == "soil_profile" && number >= 1 && static_cast<std::size_t>(number) <= analysis.soilProfile.size()) {
        place = soilProjectPlace(analysis.soilProfile, static_cast<std::size_t>(number - 1), key);
    } else if (part == "cpt.points") {
        // A point of the sounding is a pair [depth, cone resistance].
        place = fieldPath(part, number, key, true) + " (" + words(key) + ")";
    } else {
        place = fieldPath(part, number, key, plainNumbers);
    }
    return withLine(place);
}

std::string ValuePlaces::withLine(const std::string& place) const {
    if (source != ValueSource::ProjectFile) return place;
    const int line = lineOfKey(lines, place);
    return line > 0 ? place + " ON LINE " + std::to_string(line) : place;
}

std::string limitsText(const ValueLimits& limits, UnitSystem units, std::string_view unit) {
    const ValueBounds& b = limits.bounds(units);
    const bool hasLeast = std::isfinite(b.least);
    const bool hasGreatest = std::isfinite(b.greatest);
    std::string text;
    if (hasLeast && hasGreatest) {
        text = (limits.leastExcluded ? "above " : "") + boundText(b.least) + " to " +
               (limits.greatestExcluded ? "below " : "") + boundText(b.greatest);
    } else if (hasLeast) {
        text = (limits.leastExcluded ? "above " : "") + boundText(b.least) + (limits.leastExcluded ? "" : " or more");
    } else if (hasGreatest) {
        text = (limits.greatestExcluded ? "below " : "up to ") + boundText(b.greatest);
    } else {
        text = "any value";
    }
    text = withUnit(text, unit);
    if (limits.nonPositiveNotGiven) {
        text += ", or " + withUnit(boundText(-b.greatest), unit) + " to 0 (not given)";
    } else if (limits.zeroNotGiven) {
        text += ", or 0 (not given)";
    }
    return text;
}

std::vector<RangeProblem> checkRanges(const Analysis& a, ValueSource source) {
    RangeCheck check(a, source);
    check.fields(analysisFields(), a, Part{"", "", "", ""});
    check.fields(pileFields(), a.pile, Part{"pile", "pile ", "pile", ""});
    for (std::size_t i = 0; i < a.pile.areaTable.size(); ++i) {
        check.fields(areaRowFields(), a.pile.areaTable[i], Part{"pile.area_table", "area table ", "pile.area_table", "area row "},
                     static_cast<int>(i) + 1);
    }
    check.soilProfile(a.soilProfile);
    check.fields(loadingFields(), a.loading, Part{"loading", "", "loading", ""});
    check.fields(optionFields(), a.options, Part{"options", "", "options", ""});
    const LoadTransferTables& t = a.loadTransfer;
    check.list(loadTransferListFields()[0], t.verificationDepths, "load_transfer.verification_depths", "verification depth");
    for (std::size_t i = 0; i < t.modifiers.size(); ++i) {
        check.fields(tzModifierFields(), t.modifiers[i],
                     Part{"load_transfer.modifiers", "t-z modifier ", "load_transfer.modifiers", "t-z modifier row "},
                     static_cast<int>(i) + 1);
    }
    check.list(loadTransferListFields()[1], t.tipMovements, "load_transfer.tip_movements", "tip movement");
    // The factors as a run loads them: a switch of 1 without factors reads factors of 0 and 0, as
    // the input data file that states this analysis does.
    if (t.tipCurveFactors || t.tipCurveFactorSwitch == 1) {
        const std::string_view implied =
            t.tipCurveFactors ? "" : "load_transfer.tip_curve_factor_flag (the factors are not given: read as 0 and 0)";
        check.fields(tipCurveFactorFields(), t.tipCurveFactors.value_or(TipCurveFactors{0.0, 0.0}),
                     Part{"load_transfer.tip_curve_factors", "tip curve ", "load_transfer.tip_curve_factors", "", false, implied});
    }
    for (std::size_t i = 0; i < a.cpt.points.size(); ++i) {
        check.fields(cptPointFields(), a.cpt.points[i], Part{"cpt.points", "CPT ", "cpt.points", "CPT point "},
                     static_cast<int>(i) + 1);
    }
    check.list(designLoadField(), a.design.loads, "design.loads", "design load");
    check.fields(designFields(), a.design, Part{"design", "", "design", ""});
    return std::move(check.problems);
}

}  // namespace vorta
