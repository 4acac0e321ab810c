#include "field_json.h"

#include <cmath>
#include <set>
#include <string>
#include <string_view>

#include "vorta/analysis.h"

namespace vorta::server {
namespace {

using nlohmann::ordered_json;

// The pile values that only some pile types read; a value a pile type does not read is left out of
// its form unless it is given. Pile types by code.
struct PileTypeUse {
    std::string_view key;
    std::initializer_list<int> types;
};
const PileTypeUse kPileTypeUses[] = {
    {"tip", {1, 3}},            // pipe and circular concrete piles
    {"perimeter", {3, 6}},      // square concrete and H-piles
    {"tip_area", {3, 6}},
    {"taper_angle", {4, 5, 7}},  // the tapered piles
};

const char* typeName(FieldType t) {
    switch (t) {
        case FieldType::Real: return "real";
        case FieldType::Integer: return "integer";
        case FieldType::Switch: return "switch";
        case FieldType::Choice: return "choice";
        case FieldType::Text: return "text";
    }
    return "";
}

ordered_json bound(double v) { return std::isfinite(v) ? ordered_json(v) : ordered_json(); }

ordered_json choicesJson(std::span<const ChoiceName> choices) {
    ordered_json list = ordered_json::array();
    std::set<int> seen;
    for (const ChoiceName& c : choices) {
        if (seen.insert(c.code).second) {
            list.push_back({{"code", c.code}, {"name", c.name}, {"aliases", ordered_json::array()}});
        } else {
            for (ordered_json& entry : list) {
                if (entry["code"] == c.code) entry["aliases"].push_back(c.name);
            }
        }
    }
    return list;
}

// The default of a field as a project file writes it: a number, true or false, a name or a text.
template <class Owner>
ordered_json defaultValue(const FieldInfo<Owner>& f) {
    if (f.required) return ordered_json();
    const Owner o{};
    switch (f.type) {
        case FieldType::Real: return f.getReal(o);
        case FieldType::Integer: return f.getInt(o);
        case FieldType::Switch: return f.getInt(o) != 0;
        case FieldType::Choice: return std::string(choiceName(f.choices, f.getInt(o)));
        case FieldType::Text: return f.getText(o);
    }
    return ordered_json();
}

template <class Owner>
ordered_json fieldJson(const FieldInfo<Owner>& f, std::string_view key) {
    ordered_json out;
    out["key"] = key;
    out["type"] = typeName(f.type);
    out["units"] = {{"English", f.englishUnit}, {"SI", f.siUnit}};
    out["meaning"] = f.meaning;
    out["required"] = f.required;
    out["default"] = defaultValue(f);
    out["default_note"] = f.defaultNote;
    if (f.limits.limited()) {
        out["limits"] = {{"English", {bound(f.limits.english.least), bound(f.limits.english.greatest)}},
                         {"SI", {bound(f.limits.si.least), bound(f.limits.si.greatest)}},
                         {"least_excluded", f.limits.leastExcluded},
                         {"greatest_excluded", f.limits.greatestExcluded},
                         {"zero_not_given", f.limits.zeroNotGiven}};
        out["allowed"] = {{"English", limitsText(f.limits, UnitSystem::English, f.englishUnit)},
                          {"SI", limitsText(f.limits, UnitSystem::SI, f.siUnit)}};
    } else {
        out["limits"] = nullptr;
        out["allowed"] = nullptr;
    }
    out["choices"] = f.type == FieldType::Choice ? choicesJson(f.choices) : ordered_json();
    out["deck_place"] = deckPlace(f);
    return out;
}

template <class Owner>
ordered_json fieldList(std::span<const FieldInfo<Owner>> fields, std::string_view skip = {}) {
    ordered_json list = ordered_json::array();
    for (const FieldInfo<Owner>& f : fields) {
        if (f.key != skip) list.push_back(fieldJson(f, f.key));
    }
    return list;
}

// One part of a project file: its key ("" for the top level), whether it is a list of tables, and
// its fields.
const FieldInfo<Analysis>& analysisField(std::string_view key) {
    for (const FieldInfo<Analysis>& f : analysisFields()) {
        if (f.key == key) return f;
    }
    return analysisFields()[0];
}

ordered_json part(std::string_view key, std::string_view title, bool list, ordered_json fields) {
    return {{"key", key}, {"title", title}, {"list", list}, {"fields", std::move(fields)}};
}

}  // namespace

ordered_json fieldsJson() {
    ordered_json pile = fieldList(pileFields());
    for (ordered_json& f : pile) {
        for (const PileTypeUse& use : kPileTypeUses) {
            if (f["key"] != use.key) continue;
            ordered_json names = ordered_json::array();
            for (int code : use.types) names.push_back(std::string(choiceName(pileFields()[0].choices, code)));
            f["pile_types"] = std::move(names);
        }
    }

    ordered_json methods = fieldList(methodFields());
    ordered_json selected;
    selected["key"] = "selected";
    selected["type"] = "choice_list";
    selected["units"] = {{"English", ""}, {"SI", ""}};
    selected["meaning"] = "the methods to compute";
    selected["required"] = true;
    selected["default"] = nullptr;
    selected["default_note"] = "";
    selected["limits"] = nullptr;
    selected["allowed"] = nullptr;
    selected["choices"] = choicesJson(methodNames());
    selected["deck_place"] = "record 8";
    methods.insert(methods.begin(), std::move(selected));

    // A layer is given by the depths of its top and its bottom, each with the limits of a depth.
    ordered_json layer = fieldList(soilPointFields(), "depth");
    const FieldInfo<ProfilePoint>& depth = soilPointFields()[0];
    ordered_json bottom = fieldJson(depth, "bottom");
    bottom["meaning"] = "depth of the layer's bottom below the ground surface";
    bottom["required"] = true;
    ordered_json top = fieldJson(depth, "top");
    top["meaning"] = "depth of the layer's top below the ground surface";
    top["required"] = true;
    layer.insert(layer.begin() + 1, std::move(bottom));
    layer.insert(layer.begin() + 1, std::move(top));

    ordered_json loadTransfer = ordered_json::array();
    for (std::string_view key : {"verification_depths", "tip_movements"}) {
        const FieldInfo<double>& f = loadTransferListFields()[key == "tip_movements" ? 1 : 0];
        ordered_json entry = fieldJson(f, key);
        entry["type"] = "real_list";
        entry["default"] = nullptr;
        loadTransfer.push_back(std::move(entry));
    }
    for (ordered_json& f : fieldList(loadTransferSwitchFields())) {
        f["restates_input_data_file"] = true;
        loadTransfer.push_back(std::move(f));
    }

    // The design loads: the list of loads, then the factor of safety.
    ordered_json design = ordered_json::array();
    ordered_json loads = fieldJson(designLoadField(), "loads");
    loads["type"] = "real_list";
    loads["default"] = nullptr;
    design.push_back(std::move(loads));
    for (ordered_json& f : fieldList(designFields())) design.push_back(std::move(f));

    ordered_json parts = ordered_json::array();
    parts.push_back(part("", "Analysis", false, fieldList(analysisFields())));
    parts.push_back(part("pile", "Pile", false, std::move(pile)));
    parts.push_back(part("pile.area_table", "Cross-section areas along the pile", true, fieldList(areaRowFields())));
    parts.push_back(part("methods", "Methods", false, std::move(methods)));
    parts.push_back(part("layers", "Soil layers", true, std::move(layer)));
    parts.push_back(part("soil_points", "Soil points", true, fieldList(soilPointFields())));
    parts.push_back(part("loading", "Loading", false, fieldList(loadingFields())));
    parts.push_back(part("options", "Options", false, fieldList(optionFields())));
    parts.push_back(part("load_transfer", "Load transfer", false, std::move(loadTransfer)));
    parts.push_back(part("load_transfer.modifiers", "t-z modifiers", true, fieldList(tzModifierFields())));
    parts.push_back(part("load_transfer.tip_curve_factors", "Tip curve factors", false, fieldList(tipCurveFactorFields())));
    parts.push_back(part("cpt.points", "CPT sounding", true, fieldList(cptPointFields())));
    parts.push_back(part("design", "Design loads", false, std::move(design)));

    ordered_json out;
    out["unit_systems"] = choicesJson(analysisField("units").choices);
    out["parts"] = std::move(parts);
    return out;
}

}  // namespace vorta::server
