// The records of the input data file and of the CPT file, and the values of a model by their
// place in them.
#include "input/deck_layout.h"

#include <stdexcept>

#include "engine/analysis_state.h"
#include "input/input.h"

namespace vorta {
namespace {

// A value read as a count or switch. A real beyond what an int holds counts nothing and switches
// nothing on.
int wholeValue(double v) { return v > -2147483648.0 && v < 2147483648.0 ? static_cast<int>(v) : 0; }

using C = DeckCondition;

constexpr DeckValue kTitle[] = {{"", "title", "the title"}};
constexpr DeckValue kDesigner[] = {{"", "designer", "the designer"}};
constexpr DeckValue kJobNumber[] = {{"", "job_number", "the job number"}};
constexpr DeckValue kRecord4[] = {
    {"", "units", "the unit system", true},
    {"", "output_step", "the output step", true},
    {"", "soil_point_count", "the number of soil points", true, 0, 0.0, kMaxSoilPoints},
    {"pile", "tip", "the tip closure", true},
};
constexpr DeckValue kRecord5[] = {
    {"pile", "perimeter", "the perimeter"},
    {"pile", "tip_area", "the tip area"},
    {"pile", "outside_diameter", "the outside diameter"},
    {"pile", "inside_diameter", "the inside diameter"},
    {"pile", "elastic_modulus", "the modulus of elasticity"},
    {"pile", "length", "the pile length"},
    {"pile", "stickup", "the stickup length"},
};
constexpr DeckValue kRecord6[] = {
    {"pile", "enhanced_end_length", "the length of the enhanced end section"},
    {"pile", "enhanced_end_inside_diameter", "the inside diameter of the enhanced end section"},
    {"pile", "batter_angle", "the batter angle"},
};
constexpr DeckValue kRecord7[] = {
    {"pile", "zero_friction_length", "the zero friction length"},
    {"pile", "length_increment", "the increment of pile length"},
    {"pile", "type", "the pile type", true},
    {"pile", "taper_angle", "the taper angle"},
    {"methods", "load_transfer", "the method for unit load transfers", true},
    {"methods", "run_cpt_methods", "the CPT methods flag", true},
    {"methods", "reduced_side_friction", "the reduced side friction flag", true},
};
constexpr DeckValue kRecord8[] = {
    {"methods", "selected", "the selection flag of method 1", true, 1},
    {"methods", "selected", "the selection flag of method 2", true, 2},
    {"methods", "selected", "the selection flag of method 3", true, 3},
    {"methods", "selected", "the selection flag of method 4", true, 4},
    {"methods", "selected", "the selection flag of method 5", true, 5},
    {"methods", "selected", "the selection flag of method 6", true, 6},
    {"methods", "selected", "the selection flag of method 7", true, 7},
    {"methods", "selected", "the selection flag of method 8", true, 8},
    {"methods", "selected", "the selection flag of method 9", true, 9},
};
constexpr DeckValue kRecord9[] = {
    {"", "deepest_soil_depth", "the deepest soil depth"},
    {"pile", "cross_section_area", "the cross-section area"},
};
// The soil columns 0 (depth) to 5, then 6 to 19. The soil type is read as a real and must be a
// whole number.
constexpr DeckValue kRecord10a[] = {
    {"soil_profile", "depth", "the depth"},
    {"soil_profile", "soil_type", "the soil type"},
    {"soil_profile", "lateral_earth_pressure", "the lateral earth pressure coefficient"},
    {"soil_profile", "effective_unit_weight", "the effective unit weight"},
    {"soil_profile", "friction_angle", "the friction angle"},
    {"soil_profile", "bearing_capacity_factor", "the bearing capacity factor"},
};
constexpr DeckValue kRecord10b[] = {
    {"soil_profile", "max_unit_friction", "the maximum unit friction"},
    {"soil_profile", "max_unit_bearing", "the maximum unit bearing"},
    {"soil_profile", "shear_strength", "the undisturbed shear strength"},
    {"soil_profile", "remolded_strength", "the remolded shear strength"},
    {"soil_profile", "blow_count_or_yield_stress_ratio", "the blow count or yield stress ratio"},
    {"soil_profile", "plasticity_index", "the plasticity index"},
    {"soil_profile", "cone_resistance", "the cone resistance qc"},
    {"soil_profile", "user_unit_friction", "the user unit skin friction"},
    {"soil_profile", "user_unit_bearing", "the user unit end bearing"},
    {"soil_profile", "lrfd_friction_factor", "the LRFD factor on unit friction"},
    {"soil_profile", "lrfd_bearing_factor", "the LRFD factor on unit bearing"},
    {"soil_profile", "adhesion_case_or_tip_movement", "the t-z parameter 1"},
    {"soil_profile", "peak_movement", "the t-z parameter 2"},
    {"soil_profile", "residual_ratio", "the t-z parameter 3"},
};
constexpr DeckValue kRecord11[] = {{"load_transfer", "verification_flag", "the t-z verification flag", true}};
constexpr DeckValue kRecord11a[] = {{"load_transfer", "verification_count", "the number of t-z verification depths",
                                     true, 0, 0.0, kMaxVerificationDepths}};
constexpr DeckValue kRecord11b[] = {{"load_transfer", "verification_depths", "the verification depth"}};
constexpr DeckValue kRecord12[] = {
    {"loading", "type", "the loading type", true},
    {"loading", "tension_reduction_factor", "the tension reduction factor", false, 0, 1.0},
};
constexpr DeckValue kRecord13[] = {
    {"options", "icp_drained_clay", "the ICP/MTD clay condition", true},
    {"options", "plug_condition", "the plug condition", true},
    {"options", "long_pile_option", "the long pile option", true},
};
constexpr DeckValue kRecord14[] = {
    {"pile", "area_row_count", "the number of area rows", true, 0, 0.0, kMaxAreaRows},
    {"pile", "axial_area", "the area option", true},
};
constexpr DeckValue kRecord14a[] = {
    {"pile.area_table", "distance", "the distance from the pile top"},
    {"pile.area_table", "area", "the cross-section area"},
};
constexpr DeckValue kRecord15[] = {
    {"options", "critical_depth_rule", "the critical depth method", true},
    {"options", "critical_depth", "the critical depth"},
};
constexpr DeckValue kRecord16[] = {{"load_transfer", "modifier_flag", "the t-z modifier flag", true}};
constexpr DeckValue kRecord16a[] = {
    {"load_transfer", "modifier_count", "the number of t-z modifier rows", true, 0, 0.0, kMaxModifierRows}};
constexpr DeckValue kRecord16b[] = {
    {"load_transfer.modifiers", "depth", "the depth"},
    {"load_transfer.modifiers", "load_factor", "the load-transfer factor"},
    {"load_transfer.modifiers", "movement_factor", "the movement factor"},
};
constexpr DeckValue kRecord17[] = {{"load_transfer", "tip_movement_flag", "the tip movement list flag", true}};
constexpr DeckValue kRecord17a[] = {
    {"load_transfer", "tip_movement_count", "the number of tip movements", true, 0, 0.0, kMaxTipMovements}};
constexpr DeckValue kRecord17b[] = {{"load_transfer", "tip_movements", "the tip movement"}};
constexpr DeckValue kRecord18[] = {{"load_transfer", "tip_curve_factor_flag", "the tip curve factor flag", true}};
constexpr DeckValue kRecord18a[] = {
    {"load_transfer.tip_curve_factors", "load_factor", "the tip curve load factor"},
    {"load_transfer.tip_curve_factors", "movement_factor", "the tip curve movement factor"},
};

const DeckRecord kDeckRecords[] = {
    {"1", "title", C::Always, kTitle, true},
    {"2", "designer", C::Always, kDesigner, true},
    {"3", "job number", C::Always, kJobNumber, true},
    {"4", "units, output step, soil points, tip closure", C::Always, kRecord4},
    {"5", "pile section and length", C::Always, kRecord5},
    {"6", "enhanced end section and batter", C::Always, kRecord6},
    {"7", "zero friction length, increment, pile type and options", C::Always, kRecord7},
    {"8", "selected methods", C::Always, kRecord8},
    {"9", "deepest soil depth and cross-section area", C::Always, kRecord9},
    {"10a", "first record", C::PerSoilPoint, kRecord10a},
    {"10b", "second record", C::PerSoilPoint, kRecord10b},
    {"11", "t-z verification flag", C::Always, kRecord11},
    {"11a", "number of t-z verification depths", C::IfSwitchIsOne, kRecord11a},
    {"11b", "t-z verification depth", C::PerCountedRow, kRecord11b},
    {"12", "loading type and tension reduction factor", C::Always, kRecord12},
    {"13", "ICP/MTD clay condition, plug condition, long pile option", C::Always, kRecord13},
    {"14", "area rows and area option", C::Always, kRecord14},
    // The area rows are read whatever the area option, as the front end writes them.
    {"14a", "area row", C::PerCountedRow, kRecord14a},
    {"15", "critical depth method and critical depth", C::Always, kRecord15},
    {"16", "t-z modifier flag", C::Always, kRecord16},
    {"16a", "number of t-z modifier rows", C::IfSwitchIsOne, kRecord16a},
    {"16b", "t-z modifier row", C::PerRowAboveOne, kRecord16b},
    {"17", "tip movement list flag", C::Always, kRecord17},
    {"17a", "number of tip movements", C::IfSwitchIsOne, kRecord17a},
    {"17b", "tip movement", C::PerCountedRow, kRecord17b},
    {"18", "tip curve factor flag", C::Always, kRecord18},
    {"18a", "tip curve factors", C::IfSwitchIsOne, kRecord18a},
};

constexpr DeckValue kCptHeader[] = {
    {"cpt", "header", "the CPT header", true},
    {"cpt", "point_count", "the number of CPT points", true, 0, 0.0, kMaxCptPoints},
};
constexpr DeckValue kCptPoint[] = {
    {"cpt.points", "depth", "the depth"},
    {"cpt.points", "cone_resistance", "the cone resistance qc"},
};
const DeckRecord kCptRecords[] = {
    {"1", "CPT header and number of points", C::Always, kCptHeader},
    {"", "CPT point", C::PerCountedRow, kCptPoint},
};

// A sand point's blow count sits where the others have their remolded strength.
constexpr int kSandBlowCountColumn = kColRemoldedStrength;

template <class Owner>
double getValue(std::span<const FieldInfo<Owner>> fields, const Owner& o, std::string_view key) {
    const FieldInfo<Owner>* f = findField(fields, key);
    if (f == nullptr) throw std::logic_error("no field " + std::string(key));
    return f->type == FieldType::Real ? f->getReal(o) : static_cast<double>(f->getInt(o));
}

template <class Owner>
void setValue(std::span<const FieldInfo<Owner>> fields, Owner& o, std::string_view key, double v) {
    const FieldInfo<Owner>* f = findField(fields, key);
    if (f == nullptr) throw std::logic_error("no field " + std::string(key));
    if (f->type == FieldType::Real) {
        f->setReal(o, v);
    } else {
        f->setInt(o, wholeValue(v));
    }
}

template <class Owner>
DeckRow rowOf(std::span<const FieldInfo<Owner>> fields, const Owner& o, const DeckRecord& r) {
    DeckRow row;
    for (const DeckValue& v : r.values) row.push_back(getValue(fields, o, v.key));
    return row;
}

template <class Owner>
Owner ownerOf(std::span<const FieldInfo<Owner>> fields, const DeckRecord& r, const DeckRow& values) {
    Owner o{};
    for (std::size_t i = 0; i < r.values.size(); ++i) setValue(fields, o, r.values[i].key, values[i]);
    return o;
}

// The count or switch of a record, from the model's lists and kept switches.
double countOf(const Analysis& a, std::string_view key) {
    const LoadTransferTables& t = a.loadTransfer;
    if (key == "soil_point_count") return a.negativeSoilPointCount.value_or(static_cast<int>(a.soilProfile.size()));
    if (key == "area_row_count") return static_cast<double>(a.pile.areaTable.size());
    if (key == "verification_flag") return switchOf(t.verificationSwitch, !t.verificationDepths.empty());
    if (key == "verification_count") return static_cast<double>(t.verificationDepths.size());
    if (key == "modifier_flag") return switchOf(t.modifierSwitch, !t.modifiers.empty());
    // A count of 1 reads no row: a table of one row is written as that row twice.
    if (key == "modifier_count") {
        if (t.modifiers.empty()) return t.modifierCount.value_or(0);
        return static_cast<double>(t.modifiers.size() == 1 ? 2 : t.modifiers.size());
    }
    if (key == "tip_movement_flag") return switchOf(t.tipMovementSwitch, !t.tipMovements.empty());
    if (key == "tip_movement_count") return static_cast<double>(t.tipMovements.size());
    if (key == "tip_curve_factor_flag") return switchOf(t.tipCurveFactorSwitch, t.tipCurveFactors.has_value());
    if (key == "header") return a.cpt.header;
    if (key == "point_count") return static_cast<double>(a.cpt.points.size());
    throw std::logic_error("no count " + std::string(key));
}

double singleValue(const Analysis& a, const DeckValue& v) {
    if (v.part == "") {
        if (findField(analysisFields(), v.key) == nullptr) return countOf(a, v.key);
        return getValue(analysisFields(), a, v.key);
    }
    if (v.part == "pile") {
        if (findField(pileFields(), v.key) == nullptr) return countOf(a, v.key);
        return getValue(pileFields(), a.pile, v.key);
    }
    if (v.part == "methods") {
        if (v.index > 0) return a.methods.selected[static_cast<std::size_t>(v.index - 1)];
        return getValue(methodFields(), a.methods, v.key);
    }
    if (v.part == "loading") return getValue(loadingFields(), a.loading, v.key);
    if (v.part == "options") return getValue(optionFields(), a.options, v.key);
    return countOf(a, v.key);
}

// Counts and switches are left to the reader, which keeps what the rows do not say.
void setSingleValue(Analysis& a, const DeckValue& v, double x) {
    if (v.part == "" && findField(analysisFields(), v.key) != nullptr) {
        setValue(analysisFields(), a, v.key, x);
    } else if (v.part == "pile" && findField(pileFields(), v.key) != nullptr) {
        setValue(pileFields(), a.pile, v.key, x);
    } else if (v.part == "methods") {
        if (v.index > 0) {
            a.methods.selected[static_cast<std::size_t>(v.index - 1)] = static_cast<int>(x);
        } else {
            setValue(methodFields(), a.methods, v.key, x);
        }
    } else if (v.part == "loading") {
        setValue(loadingFields(), a.loading, v.key, x);
    } else if (v.part == "options") {
        setValue(optionFields(), a.options, v.key, x);
    } else if (v.part == "cpt" && v.key == "header") {
        a.cpt.header = static_cast<int>(x);
    }
}

}  // namespace

std::span<const DeckRecord> deckRecords() { return kDeckRecords; }
std::span<const DeckRecord> cptRecords() { return kCptRecords; }

std::string recordLabel(const DeckRecord& r, int row) {
    if (row == 0) return "record " + std::string(r.id) + " (" + std::string(r.what) + ")";
    const std::string n = std::to_string(row);
    if (r.condition == DeckCondition::PerSoilPoint) return "soil point " + n + ", " + std::string(r.what);
    if (r.id.empty()) return std::string(r.what) + " " + n;
    return "record " + std::string(r.id) + " (" + std::string(r.what) + " " + n + ")";
}

std::string_view soilColumnKey(int column) {
    const std::size_t first = std::size(kRecord10a);
    const std::size_t c = static_cast<std::size_t>(column);
    if (column < 0 || c >= first + std::size(kRecord10b)) return {};
    return c < first ? kRecord10a[c].key : kRecord10b[c - first].key;
}

int deckSoilColumnOf(std::string_view key, SoilType type) {
    if (type == SoilType::Sand) {
        if (key == "blow_count_or_yield_stress_ratio") return kSandBlowCountColumn;
        if (key == "remolded_strength") return -1;
    }
    for (int c = 0; c <= static_cast<int>(kSoilColumns); ++c) {
        if (soilColumnKey(c) == key) return c;
    }
    return -1;
}

namespace {

// "record 5, value 3", "line 1", "record 11b", "CPT file, value 1 of a point"; empty when no
// record states the value.
std::string placeInRecords(std::string_view part, std::string_view key) {
    for (const auto& [records, cpt] : {std::pair{std::span<const DeckRecord>(kDeckRecords), false},
                                       std::pair{std::span<const DeckRecord>(kCptRecords), true}}) {
        for (const DeckRecord& r : records) {
            for (std::size_t i = 0; i < r.values.size(); ++i) {
                if (r.values[i].part != part || r.values[i].key != key) continue;
                if (r.wholeLine) return "line " + std::string(r.id);
                const std::string value = "value " + std::to_string(i + 1);
                if (cpt) return "CPT file, " + value + (r.id.empty() ? " of a point" : "");
                if (r.values.size() == 1) return "record " + std::string(r.id);
                return "record " + std::string(r.id) + ", " + value;
            }
        }
    }
    return "";
}

}  // namespace

std::string deckPlace(std::string_view part, std::string_view key) {
    std::string place = placeInRecords(part, key);
    if (place.empty()) return "not stated";
    if (part == "soil_profile") {
        // A sand point states its blow count in the remolded strength's place.
        const int sandColumn = deckSoilColumnOf(key, SoilType::Sand);
        if (sandColumn < 0) {
            place += " (not for sand)";
        } else if (sandColumn != deckSoilColumnOf(key, SoilType::Clay)) {
            const std::string sandPlace = placeInRecords(part, soilColumnKey(sandColumn));
            place += " (sand: " + sandPlace.substr(sandPlace.find("value")) + ")";
        }
    }
    return place;
}

DeckRow recordValues(const Analysis& a, const DeckRecord& r) {
    DeckRow row;
    for (const DeckValue& v : r.values) row.push_back(singleValue(a, v));
    return row;
}

void setRecordValues(Analysis& a, const DeckRecord& r, const DeckRow& values) {
    for (std::size_t i = 0; i < r.values.size(); ++i) setSingleValue(a, r.values[i], values[i]);
}

std::vector<DeckRow> recordRows(const Analysis& a, const DeckRecord& r) {
    std::vector<DeckRow> rows;
    const std::string_view part = r.values.front().part;
    const LoadTransferTables& t = a.loadTransfer;
    if (part == "soil_profile") {
        const bool second = r.id == "10b";
        for (const ProfilePoint& p : a.soilProfile) {
            DeckRow row;
            for (std::size_t i = 0; i < r.values.size(); ++i) {
                const int column = static_cast<int>(i) + (second ? static_cast<int>(std::size(kRecord10a)) : 0);
                row.push_back(soilColumnValue(p, column));
            }
            rows.push_back(row);
        }
    } else if (part == "pile.area_table") {
        for (const AreaTableRow& x : a.pile.areaTable) rows.push_back(rowOf(areaRowFields(), x, r));
    } else if (part == "load_transfer.modifiers") {
        for (const TzModifier& x : t.modifiers) rows.push_back(rowOf(tzModifierFields(), x, r));
        // A count of 1 reads no row: a table of one row is written as that row twice, which gives
        // the same factors at every depth.
        if (rows.size() == 1) rows.push_back(rows.front());
    } else if (part == "load_transfer.tip_curve_factors") {
        rows.push_back(rowOf(tipCurveFactorFields(), t.tipCurveFactors.value_or(TipCurveFactors{0.0, 0.0}), r));
    } else if (part == "cpt.points") {
        for (const CptPoint& x : a.cpt.points) rows.push_back(rowOf(cptPointFields(), x, r));
    } else if (r.values.front().key == "verification_depths") {
        for (double x : t.verificationDepths) rows.push_back({x});
    } else if (r.values.front().key == "tip_movements") {
        for (double x : t.tipMovements) rows.push_back({x});
    }
    return rows;
}

void appendRecordRow(Analysis& a, const DeckRecord& r, const DeckRow& values) {
    const std::string_view part = r.values.front().part;
    LoadTransferTables& t = a.loadTransfer;
    if (part == "pile.area_table") {
        a.pile.areaTable.push_back(ownerOf(areaRowFields(), r, values));
    } else if (part == "load_transfer.modifiers") {
        t.modifiers.push_back(ownerOf(tzModifierFields(), r, values));
    } else if (part == "load_transfer.tip_curve_factors") {
        t.tipCurveFactors = ownerOf(tipCurveFactorFields(), r, values);
    } else if (part == "cpt.points") {
        a.cpt.points.push_back(ownerOf(cptPointFields(), r, values));
    } else if (r.values.front().key == "verification_depths") {
        t.verificationDepths.push_back(values.front());
    } else if (r.values.front().key == "tip_movements") {
        t.tipMovements.push_back(values.front());
    }
}

int recordLead(const DeckRecord& r, const DeckRow& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (r.values[i].capacity > 0) return wholeValue(values[i]);
    }
    return wholeValue(values.front());
}

std::string lineText(const Analysis& a, const DeckRecord& r) {
    return findField(analysisFields(), r.values.front().key)->getText(a);
}

void setLineText(Analysis& a, const DeckRecord& r, const std::string& text) {
    findField(analysisFields(), r.values.front().key)->setText(a, text);
}

double soilFieldAtColumn(const ProfilePoint& p, int column) { return getValue(soilPointFields(), p, soilColumnKey(column)); }

bool holdsRows(const DeckRecord& r) {
    const DeckValue& v = r.values.front();
    return v.part == "soil_profile" || v.part.find('.') != std::string_view::npos || v.key == "verification_depths" ||
           v.key == "tip_movements";
}

double soilColumnValue(const ProfilePoint& p, int column) {
    if (p.soilType == SoilType::Sand) {
        if (column == kSandBlowCountColumn) return p.blowCountOrYieldStressRatio;
        if (column == deckSoilColumnOf("blow_count_or_yield_stress_ratio", SoilType::Clay)) return p.unusedSandColumn10;
    }
    return getValue(soilPointFields(), p, soilColumnKey(column));
}

void setSoilColumnValue(ProfilePoint& p, int column, double value) {
    if (p.soilType == SoilType::Sand) {
        if (column == kSandBlowCountColumn) {
            p.blowCountOrYieldStressRatio = value;
            return;
        }
        if (column == deckSoilColumnOf("blow_count_or_yield_stress_ratio", SoilType::Clay)) {
            p.unusedSandColumn10 = value;
            return;
        }
    }
    setValue(soilPointFields(), p, soilColumnKey(column), value);
}

}  // namespace vorta
