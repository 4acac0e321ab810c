// The range check of an analysis: every value against the limits of its field in the field
// tables, with the place where it was given in words of the source (input data file, project file
// or program).
#include <charconv>
#include <cmath>
#include <string>
#include <type_traits>

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

// The key of soil point k (from 0) in a project file: its layer's, with the end of the layer and
// the point ("layers[2].friction_angle", top, soil point 3), or the point's when the profile is not
// given as layers.
ValuePlace soilPlace(const std::vector<ProfilePoint>& points, std::size_t k, std::string_view key) {
    ValuePlace place;
    place.soilPoint = static_cast<int>(k) + 1;
    const std::string point = "soil point " + std::to_string(k + 1);
    if (!pairsIntoLayers(points)) {
        place.path = "soil_points[" + std::to_string(k + 1) + "]." + std::string(key);
        return place;
    }
    const std::string layer = "layers[" + std::to_string(k / 2 + 1) + "].";
    place.layerEnd = k % 2 == 0 ? "top" : "bottom";
    place.path = layer + (key == "depth" ? place.layerEnd : std::string(key));
    place.note = key == "depth" ? point : place.layerEnd + ", " + point;
    return place;
}

// Calls use(field, owner, rowWords) with the field of `key` in `part`, the owner of the value in the
// analysis (nullptr when the row or point is not there) and the words of a row of the part in an
// input data file ("area row ").
template <class Use>
void visitField(const Analysis& a, std::string_view part, int number, std::string_view key, Use use) {
    const std::size_t row = number >= 1 ? static_cast<std::size_t>(number - 1) : static_cast<std::size_t>(-1);
    const auto pick = [&](auto fields, const auto* owner, std::string_view rowWords) {
        if (const auto* f = findField(fields, key)) use(*f, owner, rowWords);
    };
    const auto at = [row](const auto& list) { return row < list.size() ? &list[row] : nullptr; };
    const LoadTransferTables& t = a.loadTransfer;
    if (part.empty()) pick(analysisFields(), &a, "");
    else if (part == "pile") pick(pileFields(), &a.pile, "");
    else if (part == "pile.area_table") pick(areaRowFields(), at(a.pile.areaTable), "area row ");
    else if (part == "soil_profile") pick(soilPointFields(), at(a.soilProfile), "soil point ");
    else if (part == "loading") pick(loadingFields(), &a.loading, "");
    else if (part == "options") pick(optionFields(), &a.options, "");
    else if (part == "load_transfer.modifiers") pick(tzModifierFields(), at(t.modifiers), "t-z modifier row ");
    else if (part == "load_transfer.tip_curve_factors") pick(tipCurveFactorFields(), t.tipCurveFactors ? &*t.tipCurveFactors : nullptr, "");
    else if (part == "load_transfer.verification_depths") pick(loadTransferListFields(), at(t.verificationDepths), "verification depth ");
    else if (part == "load_transfer.tip_movements") pick(loadTransferListFields(), at(t.tipMovements), "tip movement ");
    else if (part == "cpt.points") pick(cptPointFields(), at(a.cpt.points), "CPT point ");
}

// Where an input data file holds a value: "record 5, value 3", "soil point 3, column 4",
// "area row 2 (record 14a, value 2)", "tip movement 1 (record 17b)"; empty for a value it does not hold.
std::string deckPlaceOf(const Analysis& a, std::string_view part, int number, std::string_view key) {
    std::string place;
    visitField(a, part, number, key, [&](const auto& f, const auto* owner, std::string_view rowWords) {
        const std::string row = std::string(rowWords) + std::to_string(number);
        if constexpr (std::is_same_v<std::decay_t<decltype(f)>, FieldInfo<ProfilePoint>>) {
            place = key == "depth" ? row + ", depth"
                                   : row + ", column " + std::to_string(soilColumn(f, owner ? owner->soilType : SoilType::Clay));
        } else {
            place = number > 0 ? row + " (" + deckPlace(f) + ")" : deckPlace(f);
        }
    });
    return place;
}

// One part of the model: how its values are named in words.
struct Part {
    std::string_view path;   // the part's keys in the model and in a project file ("" at the top level)
    std::string_view words;  // what precedes the key in a value's name ("pile ")
};

class RangeCheck {
public:
    explicit RangeCheck(const Analysis& a)
        : analysis_(a), units_(a.units), knownUnits_(a.units == UnitSystem::English || a.units == UnitSystem::SI) {}

    // Every limited field of one owner; `number` is the row of a list part (0 for a single value).
    template <class Owner>
    void fields(std::span<const FieldInfo<Owner>> list, const Owner& owner, const Part& part, int number = 0) {
        for (const FieldInfo<Owner>& f : list) {
            if (!f.limits.limited() || unusedValue(analysis_, part.path, f.key)) continue;
            double value = 0.0;
            if (f.type == FieldType::Real) value = f.getReal(owner);
            else if (f.type == FieldType::Integer) value = f.getInt(owner);
            else continue;
            if (inRange(f, value)) continue;
            add(f, value, part, number, std::string(part.words) + words(f.key));
        }
    }

    // The soil profile, point by point.
    void soilProfile(const std::vector<ProfilePoint>& points) {
        const Part part{"soil_profile", ""};
        for (std::size_t k = 0; k < points.size(); ++k) {
            for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
                if (f.type != FieldType::Real || !f.limits.limited()) continue;
                const double value = f.getReal(points[k]);
                if (inRange(f, value)) continue;
                add(f, value, part, static_cast<int>(k) + 1, f.key == "depth" ? "soil point depth" : words(f.key));
            }
        }
    }

    // A list of plain numbers (verification depths, tip movements); `path` is the list's key.
    void list(const FieldInfo<double>& f, const std::vector<double>& values, std::string_view path,
              std::string_view rowWords) {
        const Part part{path, ""};
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!inRange(f, values[i])) add(f, values[i], part, static_cast<int>(i) + 1, std::string(rowWords));
        }
    }

    std::vector<ValueOutOfRange> found;

private:
    template <class Owner>
    bool inRange(const FieldInfo<Owner>& f, double value) const {
        // Without a known unit system a value whose unit depends on it has no limits to hold it to.
        if (!knownUnits_ && f.englishUnit != f.siUnit) return true;
        return f.limits.allows(value, units_);
    }

    template <class Owner>
    void add(const FieldInfo<Owner>& f, double value, const Part& part, int number, std::string name) {
        ValueOutOfRange v;
        v.part = part.path;
        v.number = number;
        v.key = f.key;
        v.value = value;
        v.unit = fieldUnit(f, units_);
        v.allowed = limitsText(f.limits, units_, v.unit);
        v.name = std::move(name);
        v.deckPlace = deckPlaceOf(analysis_, part.path, number, f.key);
        found.push_back(std::move(v));
    }

    const Analysis& analysis_;
    UnitSystem units_;
    bool knownUnits_;
};

// The line of a project file where a key was given; a key not found is looked for without its last
// part (the list or table that holds it). 0 when no line is known.
int lineOfKey(const SourceLines* lines, std::string_view key) {
    if (lines == nullptr) return 0;
    while (!key.empty()) {
        if (const auto it = lines->find(key); it != lines->end()) return it->second;
        const std::size_t cut = key.find_last_of(".[");
        if (cut == std::string_view::npos) break;
        key = key.substr(0, cut);
    }
    return 0;
}

}  // namespace

ValuePlace ValuePlaces::of(std::string_view part, int number, std::string_view key) const {
    ValuePlace place;
    const std::size_t row = static_cast<std::size_t>(number);
    if (part == "soil_profile" && number >= 1 && row <= analysis.soilProfile.size()) {
        place = soilPlace(analysis.soilProfile, row - 1, key);
    } else if (part == "load_transfer.tip_curve_factors" && !analysis.loadTransfer.tipCurveFactors) {
        // A switch of 1 without factors reads factors of 0 and 0, as the input data file that
        // states this analysis does.
        place.path = "load_transfer.tip_curve_factor_flag";
        place.note = "the factors are not given: read as 0 and 0";
    } else {
        place.path = std::string(part);
        if (number > 0) place.path += "[" + std::to_string(number) + "]";
        const bool plainNumbers = part == "load_transfer.verification_depths" || part == "load_transfer.tip_movements";
        if (part == "cpt.points") {
            place.note = words(key);  // a point of the sounding is a pair [depth, cone resistance]
        } else if (!plainNumbers) {
            place.path += (place.path.empty() ? "" : ".") + std::string(key);
        }
    }
    if (source == ValueSource::ProjectFile) place.line = lineOfKey(lines, place.path);
    return place;
}

std::string ValuePlaces::givenAs(std::string_view part, int number, std::string_view key) const {
    if (source == ValueSource::InputDeck) return {};
    const ValuePlace place = of(part, number, key);
    return place.line > 0 ? place.text() + " ON LINE " + std::to_string(place.line) : place.text();
}

void ValuePlaces::locate(Problem& p, std::string_view part, int number, std::string_view key) const {
    ValuePlace place = of(part, number, key);
    p.path = std::move(place.path);
    p.layerEnd = std::move(place.layerEnd);
    p.soilPoint = place.soilPoint;
    p.line = place.line;
    p.file = file;
    // The value as given and its unit, and where an input data file holds it.
    visitField(analysis, part, number, key, [&](const auto& f, const auto* owner, std::string_view) {
        if (owner != nullptr && f.type == FieldType::Real) p.value = f.getReal(*owner);
        else if (owner != nullptr && f.getInt != nullptr) p.value = f.getInt(*owner);
        p.unit = std::string(fieldUnit(f, analysis.units));
    });
    if (source == ValueSource::InputDeck) p.place = deckPlaceOf(analysis, part, number, key);
}

Problem rangeProblem(const ValueOutOfRange& v, const ValuePlaces& places) {
    Problem p;
    p.severity = Severity::Stop;
    p.code = "out_of_range";
    places.locate(p, v.part, v.number, v.key);
    p.value = v.value;
    p.unit = std::string(v.unit);
    p.allowed = v.allowed;
    const std::string where = places.source == ValueSource::InputDeck ? v.deckPlace : places.of(v.part, v.number, v.key).text();
    p.message = where + ": the " + v.name + " " + withUnit(shortestNumberText(v.value), v.unit) +
                " is outside the allowed range " + v.allowed;
    return p;
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

std::vector<ValueOutOfRange> valuesOutOfRange(const Analysis& a) {
    RangeCheck check(a);
    check.fields(analysisFields(), a, Part{"", ""});
    check.fields(pileFields(), a.pile, Part{"pile", "pile "});
    for (std::size_t i = 0; i < a.pile.areaTable.size(); ++i) {
        check.fields(areaRowFields(), a.pile.areaTable[i], Part{"pile.area_table", "area table "},
                     static_cast<int>(i) + 1);
    }
    check.soilProfile(a.soilProfile);
    check.fields(loadingFields(), a.loading, Part{"loading", ""});
    check.fields(optionFields(), a.options, Part{"options", ""});
    const LoadTransferTables& t = a.loadTransfer;
    check.list(loadTransferListFields()[0], t.verificationDepths, "load_transfer.verification_depths", "verification depth");
    for (std::size_t i = 0; i < t.modifiers.size(); ++i) {
        check.fields(tzModifierFields(), t.modifiers[i], Part{"load_transfer.modifiers", "t-z modifier "},
                     static_cast<int>(i) + 1);
    }
    check.list(loadTransferListFields()[1], t.tipMovements, "load_transfer.tip_movements", "tip movement");
    // The factors as a run loads them: a switch of 1 without factors reads factors of 0 and 0, as
    // the input data file that states this analysis does.
    if (t.tipCurveFactors || t.tipCurveFactorSwitch == 1) {
        check.fields(tipCurveFactorFields(), t.tipCurveFactors.value_or(TipCurveFactors{0.0, 0.0}),
                     Part{"load_transfer.tip_curve_factors", "tip curve "});
    }
    for (std::size_t i = 0; i < a.cpt.points.size(); ++i) {
        check.fields(cptPointFields(), a.cpt.points[i], Part{"cpt.points", "CPT "}, static_cast<int>(i) + 1);
    }
    check.list(designLoadField(), a.design.loads, "design.loads", "design load");
    check.fields(designFields(), a.design, Part{"design", "design "});
    return std::move(check.found);
}

std::vector<Problem> checkRanges(const Analysis& a, ValueSource source) {
    const ValuePlaces places{a, source, nullptr, {}};
    std::vector<Problem> problems;
    for (const ValueOutOfRange& v : valuesOutOfRange(a)) problems.push_back(rangeProblem(v, places));
    return problems;
}

}  // namespace vorta
