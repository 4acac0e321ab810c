#include "vorta/project.h"
#include "project_table.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <sstream>

#include <toml++/toml.h>

#include "vorta/cpt_files.h"

namespace vorta::project {
namespace {

namespace fs = std::filesystem;

// The most points a sounding may have (the engine's CPT table).
constexpr std::size_t kMaxSoundingPoints = 1000;

// ---------------------------------------------------------------------------------------------
// Reading

std::string joinedProblems(const std::vector<std::string>& problems) {
    std::string text;
    for (const std::string& p : problems) text += (text.empty() ? "" : "\n") + p;
    return text;
}

std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t up = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row[b.size()];
}

std::string listOfNames(std::span<const ChoiceName> choices) {
    std::string text;
    std::set<int> shown;
    for (const ChoiceName& c : choices) {
        if (shown.insert(c.code).second) text += (text.empty() ? "" : ", ") + std::string(c.name);
    }
    return text;
}

// The reading of one file: the problems found so far and where they are.
class Reader {
public:
    // `withLines` false: the table was not read from a text (a JSON analysis), its keys have no line.
    Reader(std::string fileName, fs::path folder, SourceLines* lines, bool withLines = true)
        : fileName_(std::move(fileName)), folder_(std::move(folder)), lines_(lines), withLines_(withLines) {}

    // The line where a key's value was given, for the messages of the run about that value.
    void note(const std::string& key, const toml::node& node) {
        if (lines_ != nullptr && node.source().begin.line > 0) {
            lines_->emplace(key, static_cast<int>(node.source().begin.line));
        }
    }

    void problem(const toml::node* at, const std::string& key, const std::string& what) {
        problemAtLine(at != nullptr ? at->source().begin.line : 0, key, what);
    }
    void problemAtLine(unsigned line, const std::string& key, const std::string& what) {
        ProjectProblem p{key, withLines_ ? static_cast<int>(line == 0 ? 1 : line) : 0, what};
        problems_.push_back(fileName_ + (p.line > 0 ? ", line " + std::to_string(p.line) : std::string()) + ": " + key +
                            ": " + what);
        details_.push_back(std::move(p));
    }
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<ProjectProblem>& details() const { return details_; }
    const fs::path& folder() const { return folder_; }
    const std::string& fileName() const { return fileName_; }
    UnitSystem units = UnitSystem::English;

    // Keys of a table that none of `known` names: an unknown key, with the nearest known name.
    void unknownKeys(const toml::table& table, const std::string& path, const std::vector<std::string_view>& known) {
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            if (std::find(known.begin(), known.end(), name) != known.end()) continue;
            std::string_view nearest;
            std::size_t best = 1000;
            for (std::string_view k : known) {
                const std::size_t d = editDistance(name, k);
                if (d < best) {
                    best = d;
                    nearest = k;
                }
            }
            std::string what = "unknown key";
            if (!nearest.empty() && best <= std::max<std::size_t>(2, name.size() / 3)) {
                what += "; did you mean " + std::string(nearest) + "?";
            } else {
                std::string all;
                for (std::string_view k : known) all += (all.empty() ? "" : ", ") + std::string(k);
                what += "; the keys here are " + all;
            }
            problemAtLine(key.source().begin.line, path + std::string(name), what);
        }
    }

    // One value of a field from a node; false (with the problem noted) when it is not what the
    // field takes.
    template <class Owner>
    bool value(const FieldInfo<Owner>& f, const toml::node& node, const std::string& key, double& real, int& integer,
               std::string& text) {
        note(key, node);
        const std::string unit(fieldUnit(f, units));
        switch (f.type) {
            case FieldType::Real:
                if (auto i = node.as_integer()) {
                    real = static_cast<double>(i->get());
                } else if (auto d = node.as_floating_point()) {
                    real = d->get();
                } else {
                    problem(&node, key, "expected a number" + (unit.empty() ? std::string() : " in " + unit) +
                                           ", found " + typeName(node));
                    return false;
                }
                if (!std::isfinite(real)) {
                    problem(&node, key, "expected a finite number");
                    return false;
                }
                return true;
            case FieldType::Integer:
                return whole(node, key, integer, "expected a whole number");
            case FieldType::Switch:
                if (auto b = node.as_boolean()) {
                    integer = b->get() ? 1 : 0;
                    return true;
                }
                return whole(node, key, integer, "expected true or false");
            case FieldType::Choice:
                if (auto s = node.as_string()) {
                    const std::optional<int> code = choiceCode(f.choices, s->get());
                    if (!code) {
                        problem(&node, key, "unknown name \"" + s->get() + "\"; expected one of " + listOfNames(f.choices));
                        return false;
                    }
                    integer = *code;
                    return true;
                }
                return whole(node, key, integer, "expected one of " + listOfNames(f.choices) + " (or its code)");
            case FieldType::Text:
                if (auto s = node.as_string()) {
                    text = s->get();
                    if (text.find_first_of("\r\n") != std::string::npos) {
                        problem(&node, key, "expected one line of text");
                        return false;
                    }
                    return true;
                }
                problem(&node, key, "expected a text in quotes, found " + typeName(node));
                return false;
        }
        return false;
    }

    template <class Owner>
    void set(const FieldInfo<Owner>& f, Owner& owner, double real, int integer, const std::string& text) {
        if (f.type == FieldType::Real) f.setReal(owner, real);
        else if (f.type == FieldType::Text) f.setText(owner, text);
        else f.setInt(owner, integer);
    }

    // Every field of a table into its owner; `extra` are keys the caller reads itself.
    template <class Owner>
    void fields(const toml::table& table, const std::string& path, std::span<const FieldInfo<Owner>> list, Owner& owner,
                const std::vector<std::string_view>& extra = {}) {
        std::vector<std::string_view> known;
        for (const FieldInfo<Owner>& f : list) known.push_back(f.key);
        known.insert(known.end(), extra.begin(), extra.end());
        unknownKeys(table, path, known);
        for (const FieldInfo<Owner>& f : list) {
            const toml::node* node = table.get(f.key);
            const std::string key = path + std::string(f.key);
            if (node == nullptr) {
                if (f.required) missing(table, key, f);
                continue;
            }
            double real = 0.0;
            int integer = 0;
            std::string text;
            if (value(f, *node, key, real, integer, text)) set(f, owner, real, integer, text);
        }
    }

    template <class Owner>
    void missing(const toml::node& table, const std::string& key, const FieldInfo<Owner>& f) {
        const std::string unit(fieldUnit(f, units));
        problem(&table, key, "missing; expected the " + std::string(f.meaning) + (unit.empty() ? "" : " in " + unit));
    }

    // A table of the file, or nothing; a key that is not a table is a problem.
    const toml::table* table(const toml::table& parent, std::string_view key, const std::string& path) {
        const toml::node* node = parent.get(key);
        if (node == nullptr) return nullptr;
        if (const toml::table* t = node->as_table()) return t;
        problem(node, path + std::string(key), "expected a table ([" + path + std::string(key) + "])");
        return nullptr;
    }

    // An array of tables, or nothing.
    const toml::array* tables(const toml::table& parent, std::string_view key, const std::string& path) {
        const toml::node* node = parent.get(key);
        if (node == nullptr) return nullptr;
        const toml::array* a = node->as_array();
        if (a != nullptr && std::all_of(a->begin(), a->end(), [](const toml::node& n) { return n.is_table(); })) return a;
        problem(node, path + std::string(key), "expected tables ([[" + path + std::string(key) + "]])");
        return nullptr;
    }

    // An array of numbers.
    std::vector<double> numbers(const toml::table& parent, std::string_view key, const std::string& path,
                                std::string_view unit, bool& given) {
        std::vector<double> values;
        const toml::node* node = parent.get(key);
        given = node != nullptr;
        if (node == nullptr) return values;
        const toml::array* a = node->as_array();
        if (a == nullptr) {
            problem(node, path + std::string(key), "expected a list of numbers in " + std::string(unit));
            return values;
        }
        note(path + std::string(key), *node);
        for (const toml::node& n : *a) {
            note(path + std::string(key) + "[" + std::to_string(values.size() + 1) + "]", n);
            double v = 0.0;
            if (auto i = n.as_integer()) v = static_cast<double>(i->get());
            else if (auto d = n.as_floating_point()) v = d->get();
            else {
                problem(&n, path + std::string(key), "expected a list of numbers in " + std::string(unit) + ", found " + typeName(n));
                continue;
            }
            if (!std::isfinite(v)) problem(&n, path + std::string(key), "expected a finite number");
            values.push_back(v);
        }
        return values;
    }

    static std::string typeName(const toml::node& n) {
        if (n.is_string()) return "a text";
        if (n.is_boolean()) return "true or false";
        if (n.is_integer() || n.is_floating_point()) return "a number";
        if (n.is_array()) return "a list";
        if (n.is_table()) return "a table";
        return "a date or time";
    }

private:
    bool whole(const toml::node& node, const std::string& key, int& integer, const std::string& expected) {
        if (auto i = node.as_integer()) {
            const std::int64_t v = i->get();
            if (v >= INT32_MIN && v <= INT32_MAX) {
                integer = static_cast<int>(v);
                return true;
            }
        }
        problem(&node, key, expected + ", found " + (node.is_integer() ? std::string("a number out of range") : typeName(node)));
        return false;
    }

    std::string fileName_;
    fs::path folder_;
    std::vector<std::string> problems_;
    std::vector<ProjectProblem> details_;
    SourceLines* lines_ = nullptr;
    bool withLines_ = true;
};

// A layer's value: one number when it is the same at the top and the bottom, or [top, bottom].
void readLayer(Reader& r, const toml::table& layer, const std::string& path, std::vector<ProfilePoint>& points,
               std::size_t index, double& previousBottom) {
    std::vector<std::string_view> known = {"top", "bottom"};
    for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
        if (f.key != "depth") known.push_back(f.key);
    }
    r.unknownKeys(layer, path, known);
    ProfilePoint top;
    ProfilePoint bottom;
    bool depthsGiven = true;
    for (std::string_view which : {"top", "bottom"}) {
        const toml::node* node = layer.get(which);
        double depth = 0.0;
        if (node == nullptr) {
            r.problem(&layer, path + std::string(which), std::string("missing; expected the depth of the layer's ") +
                                                             std::string(which) + " in " +
                                                             (r.units == UnitSystem::SI ? "m" : "ft"));
            depthsGiven = false;
            continue;
        }
        int unusedInt = 0;
        std::string unusedText;
        if (!r.value(soilPointFields()[0], *node, path + std::string(which), depth, unusedInt, unusedText)) {
            depthsGiven = false;
            continue;
        }
        (which == "top" ? top : bottom).depth = depth;
    }
    for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
        if (f.key == "depth") continue;
        const toml::node* node = layer.get(f.key);
        const std::string key = path + std::string(f.key);
        if (node == nullptr) {
            if (f.required) r.missing(layer, key, f);
            continue;
        }
        const toml::array* pair = node->as_array();
        if (pair != nullptr && f.type != FieldType::Text) {
            if (pair->size() != 2) {
                r.problem(node, key, "expected one value, or two: [top, bottom]");
                continue;
            }
            double real[2] = {0.0, 0.0};
            int integer[2] = {0, 0};
            std::string text[2];
            if (r.value(f, (*pair)[0], key, real[0], integer[0], text[0]) &&
                r.value(f, (*pair)[1], key, real[1], integer[1], text[1])) {
                r.set(f, top, real[0], integer[0], text[0]);
                r.set(f, bottom, real[1], integer[1], text[1]);
            }
            continue;
        }
        double real = 0.0;
        int integer = 0;
        std::string text;
        if (r.value(f, *node, key, real, integer, text)) {
            r.set(f, top, real, integer, text);
            r.set(f, bottom, real, integer, text);
        }
    }
    bottom.name.clear();
    if (depthsGiven) {
        if (bottom.depth < top.depth) {
            r.problem(layer.get("bottom"), path + "bottom", "layers out of order: the bottom " + shortestNumberText(bottom.depth) +
                                                   " lies above the top " + shortestNumberText(top.depth));
        } else if (index > 0 && top.depth < previousBottom) {
            r.problem(layer.get("top"), path + "top", "layers out of order: the top " + shortestNumberText(top.depth) +
                                                " lies above the bottom " + shortestNumberText(previousBottom) +
                                                " of the layer before; give the layers from the top down");
        }
        previousBottom = bottom.depth;
    }
    points.push_back(top);
    points.push_back(bottom);
}

void readProfile(Reader& r, const toml::table& root, Analysis& a) {
    const toml::array* layers = r.tables(root, "layers", "");
    const toml::node* pointsNode = root.get("soil_points");
    const toml::array* points = pointsNode != nullptr ? pointsNode->as_array() : nullptr;
    if (layers != nullptr && pointsNode != nullptr) {
        r.problem(pointsNode, "soil_points", "give the soil profile either as [[layers]] or as [[soil_points]], not both");
        return;
    }
    if (layers != nullptr) {
        double previousBottom = 0.0;
        for (std::size_t i = 0; i < layers->size(); ++i) {
            readLayer(r, *(*layers)[i].as_table(), "layers[" + std::to_string(i + 1) + "].", a.soilProfile, i,
                      previousBottom);
        }
    } else if (pointsNode != nullptr) {
        if (points == nullptr || !std::all_of(points->begin(), points->end(), [](const toml::node& n) { return n.is_table(); })) {
            r.problem(pointsNode, "soil_points", "expected tables ([[soil_points]])");
            return;
        }
        for (std::size_t i = 0; i < points->size(); ++i) {
            ProfilePoint p;
            r.fields(*(*points)[i].as_table(), "soil_points[" + std::to_string(i + 1) + "].", soilPointFields(), p);
            a.soilProfile.push_back(p);
        }
    } else if (root.get("soil_point_count") == nullptr) {
        r.problem(&root, "layers", "missing; expected the soil profile as [[layers]] (or [[soil_points]])");
    }
    if (a.soilProfile.size() > 80) {
        r.problem(layers != nullptr ? static_cast<const toml::node*>(layers) : pointsNode, layers ? "layers" : "soil_points",
                  "the soil profile has " + std::to_string(a.soilProfile.size()) + " points, more than the limit of 80");
    }
}

void readMethods(Reader& r, const toml::table& root, Analysis& a) {
    const toml::table* t = r.table(root, "methods", "");
    if (t == nullptr) {
        if (root.get("methods") == nullptr) r.problem(&root, "methods", "missing; expected the table [methods]");
        return;
    }
    Methods& m = a.methods;
    r.fields(*t, "methods.", methodFields(), m, {"selected"});
    const toml::node* selected = t->get("selected");
    if (selected == nullptr) {
        r.problem(t, "methods.selected", "missing; expected a list of the methods to compute, of " + listOfNames(methodNames()));
    } else if (const toml::array* list = selected->as_array()) {
        for (const toml::node& n : *list) {
            std::optional<int> code;
            if (auto s = n.as_string()) code = choiceCode(methodNames(), s->get());
            else if (auto i = n.as_integer(); i && i->get() >= 1 && i->get() <= 9) code = static_cast<int>(i->get());
            if (!code) {
                r.problem(&n, "methods.selected",
                          std::string("unknown method ") + (n.is_string() ? "\"" + *n.value<std::string>() + "\"" : "") +
                              "; expected one of " + listOfNames(methodNames()));
                continue;
            }
            m.select(static_cast<Method>(*code));
        }
    } else {
        r.problem(selected, "methods.selected", "expected a list of method names, of " + listOfNames(methodNames()));
    }
    if (t->get("run_cpt_methods") == nullptr) {
        m.cptMethods = m.selectsCptMethod() ? 1 : 0;
    }
}

void readLoadTransfer(Reader& r, const toml::table& root, Analysis& a) {
    const toml::table* t = r.table(root, "load_transfer", "");
    if (t == nullptr) return;
    LoadTransferTables& lt = a.loadTransfer;
    const std::string path = "load_transfer.";
    r.fields(*t, path, loadTransferSwitchFields(), lt,
             {"verification_depths", "modifiers", "tip_movements", "tip_movement_unit", "tip_curve_factors"});
    bool given = false;
    const auto unitOf = [&](const FieldInfo<double>& f) { return std::string(fieldUnit(f, r.units)); };
    lt.verificationDepths = r.numbers(*t, "verification_depths", path, unitOf(loadTransferListFields()[0]), given);
    // Tip movements are in in or mm; a file written before they were says "m" for its SI list.
    std::string unit = unitOf(loadTransferListFields()[1]);
    if (const toml::node* stated = t->get("tip_movement_unit")) {
        const std::optional<std::string> text = stated->value<std::string>();
        if (text && (*text == unit || (r.units == UnitSystem::SI && *text == "m"))) {
            unit = *text;
        } else {
            r.problem(stated, path + "tip_movement_unit",
                      std::string("expected \"") + unit + "\"" + (r.units == UnitSystem::SI ? " or \"m\"" : "") +
                          ", the unit of the tip movements");
        }
    }
    lt.tipMovements = r.numbers(*t, "tip_movements", path, unit, given);
    if (unit == "m") {
        for (double& v : lt.tipMovements) v = shiftedDecimal(v, 3);
    }
    // An empty list of tip movements is a list: no load step.
    if (given && lt.tipMovements.empty() && !lt.tipMovementSwitch) lt.tipMovementSwitch = 1;
    if (const toml::array* rows = r.tables(*t, "modifiers", path)) {
        for (std::size_t i = 0; i < rows->size(); ++i) {
            TzModifier m;
            r.fields(*(*rows)[i].as_table(), path + "modifiers[" + std::to_string(i + 1) + "].", tzModifierFields(), m);
            lt.modifiers.push_back(m);
        }
    }
    if (const toml::table* f = r.table(*t, "tip_curve_factors", path)) {
        TipCurveFactors factors;
        r.fields(*f, path + "tip_curve_factors.", tipCurveFactorFields(), factors);
        lt.tipCurveFactors = factors;
    }
    try {
        Analysis check;
        check.loadTransfer = lt;
        checkStatable(check);
    } catch (const InputError& e) {
        r.problem(t, "load_transfer", std::string(e.what()).substr(std::string("the analysis: ").size()));
    }
}

// A sounding file named by [cpt] file, read by the options the table gives.
void readSoundingFileKeys(Reader& r, const toml::table& t, const toml::node& file, Analysis& a) {
    const auto name = file.value<std::string>();
    if (!name) {
        r.problem(&file, "cpt.file", "expected the name of a CPT file in quotes");
        return;
    }
    SoundingFile ref;
    ref.name = *name;
    ref.path = fs::path(*name).is_absolute() ? fs::path(*name) : r.folder() / *name;
    bool ok = true;
    const auto text = [&](std::string_view key, std::string& target) {
        const toml::node* n = t.get(key);
        if (n == nullptr) return;
        if (auto v = n->value<std::string>()) {
            target = *v;
        } else {
            ok = false;
            r.problem(n, "cpt." + std::string(key), "expected a name in quotes");
        }
    };
    text("location", ref.location);
    text("depth_column", ref.depthColumn);
    text("qc_column", ref.qcColumn);
    if (const toml::node* every = t.get("every")) {
        const auto n = every->as_integer();
        if (n && n->get() >= 1 && n->get() <= 1000000) {
            ref.every = static_cast<int>(n->get());
        } else {
            ok = false;
            r.problem(every, "cpt.every", "expected a whole number from 1 (every point kept) up");
        }
    }
    if (!ok) return;
    const int header = a.cpt.header;
    try {
        a.cpt = readSoundingFile(ref, r.units);
    } catch (const InputError& e) {
        r.problem(&file, "cpt.file", e.what());
        return;
    }
    if (t.get("header") != nullptr) a.cpt.header = header;
    if (a.cpt.points.size() > kMaxSoundingPoints) {
        r.problem(&file, "cpt.file",
                  ref.path.string() + " gives " + std::to_string(a.cpt.points.size()) + " points, more than the " +
                      std::to_string(kMaxSoundingPoints) + " a sounding may have; every = " +
                      std::to_string((a.cpt.points.size() * ref.every + kMaxSoundingPoints - 1) / kMaxSoundingPoints) +
                      " keeps few enough");
    }
}

// The values of an inline point: depth and cone resistance, then sleeve friction and pore
// pressure when the sounding has them (nan where a point has none).
bool readPointValues(const toml::array& values, CptPoint& p) {
    if (values.size() < 2 || values.size() > 4) return false;
    double v[4] = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (auto integer = values[i].as_integer()) v[i] = static_cast<double>(integer->get());
        else if (auto d = values[i].as_floating_point()) v[i] = d->get();
        else return false;
        if (!std::isfinite(v[i]) && !(i >= 2 && std::isnan(v[i]))) return false;
    }
    p.depth = v[0];
    p.coneResistance = v[1];
    if (values.size() > 2 && !std::isnan(v[2])) p.sleeveFriction = v[2];
    if (values.size() > 3 && !std::isnan(v[3])) p.porePressure = v[3];
    return true;
}

void readSounding(Reader& r, const toml::table& root, Analysis& a) {
    const toml::table* t = r.table(root, "cpt", "");
    if (t == nullptr) return;
    r.unknownKeys(*t, "cpt.", {"header", "file", "location", "depth_column", "qc_column", "every", "points"});
    if (const toml::node* header = t->get("header")) {
        if (auto i = header->as_integer()) a.cpt.header = static_cast<int>(i->get());
        else r.problem(header, "cpt.header", "expected a whole number");
    }
    const toml::node* file = t->get("file");
    const toml::node* points = t->get("points");
    if (file != nullptr && points != nullptr) {
        r.problem(points, "cpt.points", "give the sounding either as file or as points, not both");
        return;
    }
    if (file != nullptr) {
        readSoundingFileKeys(r, *t, *file, a);
        return;
    }
    for (const char* key : {"location", "depth_column", "qc_column", "every"}) {
        if (const toml::node* n = t->get(key)) r.problem(n, "cpt." + std::string(key), "is for a sounding given as file");
    }
    if (points == nullptr) return;
    const toml::array* list = points->as_array();
    const std::string unit = r.units == UnitSystem::SI ? "[m, kPa]" : "[ft, psf]";
    const std::string expected = "expected a list of [depth, cone resistance] pairs in " + unit +
                                 " (with sleeve friction and pore pressure after them when given)";
    if (list == nullptr) {
        r.problem(points, "cpt.points", expected);
        return;
    }
    r.note("cpt.points", *points);
    for (const toml::node& n : *list) {
        r.note("cpt.points[" + std::to_string(a.cpt.points.size() + 1) + "]", n);
        const toml::array* values = n.as_array();
        CptPoint p;
        if (values == nullptr || !readPointValues(*values, p)) {
            r.problem(&n, "cpt.points", expected);
            continue;
        }
        a.cpt.points.push_back(p);
    }
    if (a.cpt.points.size() > kMaxSoundingPoints) {
        r.problem(points, "cpt.points", "the sounding has " + std::to_string(a.cpt.points.size()) +
                                            " points, more than the limit of 1000");
    }
}

// [design]: the loads (one number or a list) and the factor of safety.
void readDesign(Reader& r, const toml::table& root, Analysis& a) {
    const toml::table* t = r.table(root, "design", "");
    if (t == nullptr) return;
    r.fields(*t, "design.", designFields(), a.design, {"loads"});
    const std::string unit = r.units == UnitSystem::SI ? "kN" : "kips";
    const toml::node* loads = t->get("loads");
    if (loads == nullptr) {
        r.problem(t, "design.loads", "missing; expected the design loads in " + unit + ", one number or a list");
        return;
    }
    if (loads->is_integer() || loads->is_floating_point()) {
        r.note("design.loads", *loads);
        r.note("design.loads[1]", *loads);
        const double v = loads->is_integer() ? static_cast<double>(loads->as_integer()->get()) : loads->as_floating_point()->get();
        if (!std::isfinite(v)) r.problem(loads, "design.loads", "expected a finite number");
        a.design.loads.push_back(v);
    } else {
        bool given = false;
        a.design.loads = r.numbers(*t, "loads", "design.", unit, given);
        if (a.design.loads.empty() && loads->is_array()) {
            r.problem(loads, "design.loads", "expected at least one load in " + unit);
        }
    }
    if (a.design.loads.size() > 20) {
        r.problem(loads, "design.loads", "has " + std::to_string(a.design.loads.size()) + " loads, more than the limit of 20");
    }
}

Analysis readRoot(Reader& r, const toml::table& root) {
    Analysis a;
    // The units first: the messages name the unit of every value.
    if (const toml::node* units = root.get("units")) {
        if (auto s = units->as_string()) {
            if (auto code = choiceCode(analysisFields()[3].choices, s->get())) r.units = static_cast<UnitSystem>(*code);
        } else if (auto i = units->as_integer(); i && i->get() == 2) {
            r.units = UnitSystem::SI;
        }
    }
    r.fields(root, "", analysisFields(), a,
             {"pile", "methods", "loading", "options", "layers", "soil_points", "load_transfer", "cpt", "soil_point_count",
              "design"});
    if (const toml::table* pile = r.table(root, "pile", "")) {
        r.fields(*pile, "pile.", pileFields(), a.pile, {"area_table"});
        if (const toml::array* rows = r.tables(*pile, "area_table", "pile.")) {
            for (std::size_t i = 0; i < rows->size(); ++i) {
                AreaTableRow row;
                r.fields(*(*rows)[i].as_table(), "pile.area_table[" + std::to_string(i + 1) + "].", areaRowFields(), row);
                a.pile.areaTable.push_back(row);
            }
        }
    } else if (root.get("pile") == nullptr) {
        r.problem(&root, "pile", "missing; expected the table [pile]");
    }
    readMethods(r, root, a);
    readProfile(r, root, a);
    if (const toml::node* count = root.get("soil_point_count")) {
        auto i = count->as_integer();
        if (!i || i->get() >= 0 || i->get() < INT32_MIN || !a.soilProfile.empty()) {
            r.problem(count, "soil_point_count", "expected a whole number below zero, and no soil profile");
        } else {
            a.negativeSoilPointCount = static_cast<int>(i->get());
        }
    }
    if (const toml::table* t = r.table(root, "loading", "")) r.fields(*t, "loading.", loadingFields(), a.loading);
    if (const toml::table* t = r.table(root, "options", "")) r.fields(*t, "options.", optionFields(), a.options);
    readLoadTransfer(r, root, a);
    readSounding(r, root, a);
    readDesign(r, root, a);
    // The soil column reaches the last soil point unless the file says otherwise.
    if (root.get("deepest_soil_depth") == nullptr && !a.soilProfile.empty()) {
        a.deepestSoilDepth = a.soilProfile.back().depth;
    }
    return a;
}

// ---------------------------------------------------------------------------------------------
// Writing

// A number as TOML: the shortest text that reads back to the same double, a float where an
// integer would not hold it or would lose the sign of zero.
std::string tomlNumber(double v) {
    std::string text = shortestNumberText(v);
    if (text.find_first_of(".e") == std::string::npos && ((std::signbit(v) && v == 0.0) || std::fabs(v) >= 1.0e15)) {
        text += ".0";
    }
    return text;
}

std::string tomlString(const std::string& s) {
    std::string out = "\"";
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || u == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04X", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

template <class Owner>
std::string fieldText(const FieldInfo<Owner>& f, const Owner& o) {
    switch (f.type) {
        case FieldType::Real: return tomlNumber(f.getReal(o));
        case FieldType::Integer: return std::to_string(f.getInt(o));
        case FieldType::Switch: {
            const int v = f.getInt(o);
            return v == 0 ? "false" : v == 1 ? "true" : std::to_string(v);
        }
        case FieldType::Choice: {
            const std::string_view name = choiceName(f.choices, f.getInt(o));
            return name.empty() ? std::to_string(f.getInt(o)) : tomlString(std::string(name));
        }
        case FieldType::Text: return tomlString(f.getText(o));
    }
    return "";
}

template <class Owner>
bool sameValue(const FieldInfo<Owner>& f, const Owner& a, const Owner& b) {
    switch (f.type) {
        case FieldType::Real: {
            const double x = f.getReal(a);
            const double y = f.getReal(b);
            return x == y && std::signbit(x) == std::signbit(y);
        }
        case FieldType::Text: return f.getText(a) == f.getText(b);
        default: return f.getInt(a) == f.getInt(b);
    }
}

// Whether two owners hold the same value in every field of a table.
template <class Owner>
bool sameFields(std::span<const FieldInfo<Owner>> list, const Owner& a, const Owner& b) {
    for (const FieldInfo<Owner>& f : list) {
        if (!sameValue(f, a, b)) return false;
    }
    return true;
}

// A line "key = value" with the unit of the value as a comment, values aligned.
class Lines {
public:
    Lines(std::ostream& out, UnitSystem units) : out_(out), units_(units) {}
    void line(std::string_view key, const std::string& value, std::string_view comment) {
        std::string text = std::string(key) + " = " + value;
        if (!comment.empty()) {
            if (text.size() < 40) text.append(40 - text.size(), ' ');
            text += "  # " + std::string(comment);
        }
        out_ << text << '\n';
    }
    // The fields of an owner that are required or differ from the default owner's.
    template <class Owner>
    void fields(std::span<const FieldInfo<Owner>> list, const Owner& o, bool all = false) {
        const Owner defaults{};
        for (const FieldInfo<Owner>& f : list) {
            if (!all && !f.required && sameValue(f, o, defaults)) continue;
            line(f.key, fieldText(f, o), fieldUnit(f, units_));
        }
    }
    std::ostream& out() { return out_; }
    UnitSystem units() const { return units_; }

private:
    std::ostream& out_;
    UnitSystem units_;
};

void writeLayers(Lines& w, const std::vector<ProfilePoint>& points) {
    for (std::size_t i = 0; i < points.size(); i += 2) {
        const ProfilePoint& top = points[i];
        const ProfilePoint& bottom = points[i + 1];
        w.out() << "\n[[layers]]\n";
        if (!top.name.empty()) w.line("name", tomlString(top.name), "");
        const std::string_view depthUnit = w.units() == UnitSystem::SI ? "m" : "ft";
        w.line("top", tomlNumber(top.depth), depthUnit);
        w.line("bottom", tomlNumber(bottom.depth), depthUnit);
        const ProfilePoint defaults{};
        for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
            if (f.key == "depth" || f.key == "name") continue;
            const bool same = sameValue(f, top, bottom);
            if (same && !f.required && sameValue(f, top, defaults)) continue;
            std::string value;
            if (same) {
                value = fieldText(f, top);
            } else {
                value.append("[").append(fieldText(f, top)).append(", ").append(fieldText(f, bottom)).append("]");
            }
            w.line(f.key, value, fieldUnit(f, w.units()));
        }
    }
}

void writeSoilPoints(Lines& w, const std::vector<ProfilePoint>& points) {
    w.out() << "\n# The soil points as an input data file states them (they do not pair into layers from the top down).\n";
    for (const ProfilePoint& p : points) {
        w.out() << "\n[[soil_points]]\n";
        w.fields(soilPointFields(), p);
    }
}

// The sounding: the file it was read from with the options of its reading, or the points inline
// (with their sleeve friction and pore pressure when the sounding has any; nan where a point has none).
void writeSounding(Lines& w, const Analysis& a) {
    const Sounding& c = a.cpt;
    if (c.header == 0 && c.points.empty() && !c.file) return;
    w.out() << "\n[cpt]\n";
    if (c.header != 0) w.line("header", std::to_string(c.header), "the first number of the CPT file; not used");
    if (c.file) {
        w.line("file", tomlString(c.file->name), "");
        if (!c.file->location.empty()) w.line("location", tomlString(c.file->location), "");
        if (!c.file->depthColumn.empty()) w.line("depth_column", tomlString(c.file->depthColumn), "");
        if (!c.file->qcColumn.empty()) w.line("qc_column", tomlString(c.file->qcColumn), "");
        if (c.file->every != 1) w.line("every", std::to_string(c.file->every), "every n-th point kept, and the last");
        return;
    }
    const bool fs = std::any_of(c.points.begin(), c.points.end(), [](const CptPoint& p) { return p.sleeveFriction.has_value(); });
    const bool u2 = std::any_of(c.points.begin(), c.points.end(), [](const CptPoint& p) { return p.porePressure.has_value(); });
    const std::string_view stress = a.units == UnitSystem::SI ? "kPa" : "psf";
    w.out() << "# depth " << (a.units == UnitSystem::SI ? "m" : "ft") << ", cone resistance qc " << stress;
    if (fs || u2) w.out() << ", sleeve friction fs " << stress;
    if (u2) w.out() << ", pore pressure u2 " << stress;
    w.out() << "\npoints = [\n";
    const auto optional = [](const std::optional<double>& v) { return v ? tomlNumber(*v) : std::string("nan"); };
    for (const CptPoint& p : c.points) {
        w.out() << "  [" << tomlNumber(p.depth) << ", " << tomlNumber(p.coneResistance);
        if (fs || u2) w.out() << ", " << optional(p.sleeveFriction);
        if (u2) w.out() << ", " << optional(p.porePressure);
        w.out() << "],\n";
    }
    w.out() << "]\n";
}

std::string markdownCell(std::string_view text) {
    std::string out;
    for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
    return out;
}

template <class Owner>
std::string defaultText(const FieldInfo<Owner>& f) {
    if (f.required) return "required";
    if (!f.defaultNote.empty()) return std::string(f.defaultNote);
    const Owner o{};
    std::string text = fieldText(f, o);
    if (text.size() >= 2 && text.front() == '"') text = text.substr(1, text.size() - 2);
    return text;
}

// The allowed values of a field in both unit systems ("0 to 300 pcf / 0 to 50 kN/m3"), or "-".
template <class Owner>
std::string rangeText(const FieldInfo<Owner>& f) {
    if (!f.limits.limited()) return "-";
    // A zero that means "not given" is said once, after both ranges.
    ValueLimits bounds = f.limits;
    bounds.zeroNotGiven = false;
    const std::string english = limitsText(bounds, UnitSystem::English, f.englishUnit);
    const std::string si = limitsText(bounds, UnitSystem::SI, f.siUnit);
    return (english == si ? english : english + " / " + si) + (f.limits.zeroNotGiven ? ", or 0 (not given)" : "");
}

template <class Owner>
void referenceTable(std::ostringstream& out, std::span<const FieldInfo<Owner>> list, std::string_view skip = {}) {
    out << "| key | unit (English / SI) | default | allowed values (English / SI) | meaning | input data file |\n"
           "|---|---|---|---|---|---|\n";
    for (const FieldInfo<Owner>& f : list) {
        if (f.key == skip) continue;
        std::string unit = f.englishUnit.empty() ? "-" : std::string(f.englishUnit);
        if (f.siUnit != f.englishUnit) unit += " / " + std::string(f.siUnit);
        std::string meaning = std::string(f.meaning);
        if (f.type == FieldType::Choice) {
            meaning += " (names:";
            for (const ChoiceName& c : f.choices) meaning += " `" + std::string(c.name) + "`=" + std::to_string(c.code);
            meaning += ")";
        } else if (f.type == FieldType::Switch) {
            meaning += " (true or false)";
        }
        out << "| `" << f.key << "` | " << unit << " | " << markdownCell(defaultText(f)) << " | "
            << markdownCell(rangeText(f)) << " | " << markdownCell(meaning) << " | " << deckPlace(f) << " |\n";
    }
}

}  // namespace

ProjectError::ProjectError(std::vector<std::string> problems, std::vector<ProjectProblem> details)
    : InputError(joinedProblems(problems)), problems_(std::move(problems)), details_(std::move(details)) {}

Analysis readProjectText(std::string_view text, const std::string& fileName, const fs::path& folder,
                         SourceLines* lines) {
    toml::table root;
    try {
        root = toml::parse(text, fileName);
    } catch (const toml::parse_error& e) {
        const int line = static_cast<int>(e.source().begin.line);
        throw ProjectError({fileName + ", line " + std::to_string(line) + ": " + std::string(e.description())},
                           {ProjectProblem{"", line, std::string(e.description())}});
    }
    Reader reader(fileName, folder, lines);
    Analysis a = readRoot(reader, root);
    if (!reader.problems().empty()) throw ProjectError(reader.problems(), reader.details());
    return a;
}

Analysis readProjectTable(const toml::table& root, const std::string& sourceName, const fs::path& folder,
                          bool linesKnown) {
    Reader reader(sourceName, folder, nullptr, linesKnown);
    Analysis a = readRoot(reader, root);
    if (!reader.problems().empty()) throw ProjectError(reader.problems(), reader.details());
    return a;
}

toml::table writeProjectTable(const Analysis& analysis) {
    std::ostringstream text;
    writeProjectFile(analysis, text);
    return toml::parse(text.str());
}

Analysis readProjectFile(const fs::path& file, SourceLines* lines) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InputError(file.string() + ": the project file cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError(file.string() + ": the project file cannot be read");
    return readProjectText(text.str(), file.string(), file.parent_path(), lines);
}

void writeProjectFile(const Analysis& a, std::ostream& out) {
    checkStatable(a);
    Lines w(out, a.units);
    out << "# VORTA project file: one analysis, every value by its name (see docs/project-file.md).\n";
    const Analysis defaults{};
    for (const FieldInfo<Analysis>& f : analysisFields()) {
        const bool titleLine = f.type == FieldType::Text;
        if (!titleLine && !f.required && f.key != "deepest_soil_depth" && sameValue(f, a, defaults)) continue;
        w.line(f.key, fieldText(f, a), fieldUnit(f, a.units));
    }
    if (a.negativeSoilPointCount) w.line("soil_point_count", std::to_string(*a.negativeSoilPointCount), "");

    out << "\n[pile]\n";
    w.fields(pileFields(), a.pile);
    for (const AreaTableRow& row : a.pile.areaTable) {
        out << "\n[[pile.area_table]]\n";
        w.fields(areaRowFields(), row, true);
    }

    out << "\n[methods]\n";
    std::string selected;
    for (int code = 1; code <= kMethodCountInModel; ++code) {
        if (a.methods.isSelected(static_cast<Method>(code))) {
            selected += (selected.empty() ? "" : ", ") + tomlString(std::string(choiceName(methodNames(), code)));
        }
    }
    w.line("selected", "[" + selected + "]", "");
    const Methods& m = a.methods;
    const bool cpt = m.selectsCptMethod();
    for (const FieldInfo<Methods>& f : methodFields()) {
        if (f.key == "run_cpt_methods") {
            if (m.cptMethods != (cpt ? 1 : 0)) w.line(f.key, fieldText(f, m), "");
            continue;
        }
        if (!f.required && sameValue(f, m, Methods{})) continue;
        w.line(f.key, fieldText(f, m), "");
    }

    // The loading and the options as every other table: only the values that differ from their
    // defaults (a table whose values are all at their defaults is left out).
    if (!sameFields(loadingFields(), a.loading, Loading{})) {
        out << "\n[loading]\n";
        w.fields(loadingFields(), a.loading);
    }
    if (!sameFields(optionFields(), a.options, AnalysisOptions{})) {
        out << "\n[options]\n";
        w.fields(optionFields(), a.options);
    }

    if (!a.design.loads.empty() || a.design.factorOfSafety != 1.0) {
        out << "\n[design]\n";
        std::string loads;
        for (double v : a.design.loads) loads += (loads.empty() ? "" : ", ") + tomlNumber(v);
        w.line("loads", "[" + loads + "]", a.units == UnitSystem::SI ? "kN" : "kips");
        w.fields(designFields(), a.design);
    }

    const LoadTransferTables& t = a.loadTransfer;
    const bool anyTable = !t.verificationDepths.empty() || !t.modifiers.empty() || !t.tipMovements.empty() ||
                          t.tipCurveFactors || t.verificationSwitch || t.modifierSwitch || t.modifierCount ||
                          t.tipMovementSwitch || t.tipCurveFactorSwitch;
    if (anyTable) {
        out << "\n[load_transfer]\n";
        const bool si = a.units == UnitSystem::SI;
        auto list = [&](std::string_view key, const std::vector<double>& values, std::string_view unit) {
            std::string text;
            for (double v : values) text += (text.empty() ? "" : ", ") + tomlNumber(v);
            w.line(key, "[" + text + "]", unit);
        };
        if (!t.verificationDepths.empty()) list("verification_depths", t.verificationDepths, si ? "m" : "ft");
        if (!t.tipMovements.empty()) list("tip_movements", t.tipMovements, si ? "mm" : "in");
        for (const FieldInfo<LoadTransferTables>& f : loadTransferSwitchFields()) {
            if (f.getInt(t) != kAbsentSwitch) w.line(f.key, std::to_string(f.getInt(t)), "restates the input data file");
        }
        if (t.tipCurveFactors) {
            out << "\n[load_transfer.tip_curve_factors]\n";
            w.fields(tipCurveFactorFields(), *t.tipCurveFactors, true);
        }
        for (const TzModifier& row : t.modifiers) {
            out << "\n[[load_transfer.modifiers]]\n";
            w.fields(tzModifierFields(), row, true);
        }
    }

    if (pairsIntoLayers(a.soilProfile)) {
        writeLayers(w, a.soilProfile);
    } else if (!a.soilProfile.empty()) {
        writeSoilPoints(w, a.soilProfile);
    }

    writeSounding(w, a);
}

std::string keyReference() {
    std::ostringstream out;
    out << "### Top level\n\n";
    referenceTable(out, analysisFields());
    out << "\n### `[pile]`\n\n";
    referenceTable(out, pileFields());
    out << "\n### `[[pile.area_table]]` (one table per row)\n\n";
    referenceTable(out, areaRowFields());
    out << "\n### `[methods]`\n\n";
    out << "`selected` (required): the list of the methods to compute, by name (or selection index): ";
    std::string names;
    for (const ChoiceName& c : methodNames()) names += (names.empty() ? "" : ", ") + ("`" + std::string(c.name) + "`=" + std::to_string(c.code));
    out << names << ".\n\n";
    referenceTable(out, methodFields());
    out << "\n### `[[layers]]` (one table per layer, from the top down)\n\n"
        << "`top` and `bottom` (required): the depths of the layer's top and bottom, ft or m ("
        << rangeText(soilPointFields()[0])
        << "). Every other value is one value for the whole layer or `[top, bottom]`, linear in depth between them.\n\n";
    referenceTable(out, soilPointFields(), "depth");
    out << "\n### `[loading]`\n\n";
    referenceTable(out, loadingFields());
    out << "\n### `[options]`\n\n";
    referenceTable(out, optionFields());
    out << "\n### `[design]` (optional: the least embedded length each method needs for each load)\n\n"
        << "`loads` (required in the table): the design loads (uplift loads in tension), one number or a list, kips "
           "or kN ("
        << rangeText(designLoadField())
        << "). The capacities are those of piles driven to each penetration; the length is linear between rows. "
           "Not in the input data file.\n\n";
    referenceTable(out, designFields());
    out << "\n### `[load_transfer]`\n\n"
        << "`verification_depths`: list of depths (ft or m) at which the t-z curves are printed for verification ("
        << rangeText(loadTransferListFields()[0])
        << "; a depth outside the soil profile is listed and not printed). `tip_movements`: list of the tip movements "
           "(in or mm, as every movement) of the load steps ("
        << rangeText(loadTransferListFields()[1])
        << "; an empty list: no load step); without it the program's own movements are used. `tip_movement_unit`: "
           "\"m\" for an SI list in metres, as project files stated it before tip movements were in mm (an input "
           "data file states them in m).\n\n";
    out << "Switches, only to restate an input data file whose switch does not follow from its table:\n\n";
    referenceTable(out, loadTransferSwitchFields());
    out << "\n### `[[load_transfer.modifiers]]` (one table per row, by depth)\n\n";
    referenceTable(out, tzModifierFields());
    out << "\n### `[load_transfer.tip_curve_factors]`\n\n";
    referenceTable(out, tipCurveFactorFields());
    out << "\n### `[cpt]` (optional: without it the sounding has no points)\n\n"
        << "`points`: the sounding inline, a list of `[depth, cone_resistance]` pairs (with the sleeve friction and "
           "the pore pressure after them when the sounding has them, `nan` where a point has none); or `file`: the "
           "name of a CPT file, relative to the project file's folder: a GEF, AGS4 or CSV file (read in the units it "
           "states, see docs/cpt-files.md) or the engine's CPT file (in the analysis's units). With `file`: "
           "`location`, the LOCA_ID of the sounding of an AGS4 file that holds several; `depth_column` and "
           "`qc_column`, the columns of a CSV file whose names are not found; `every`, every n-th point kept (and the "
           "last), for a file of more than 1000 points. `header`: the first number of a CPT file (not used; default "
           "0). The values of a point:\n\n";
    referenceTable(out, cptPointFields());
    out << "\n### `[[soil_points]]` and `soil_point_count`\n\n"
        << "Instead of `[[layers]]`, the soil profile may be given point by point as an input data file states it, "
           "one `[[soil_points]]` table per point with `depth` and the values above (one number each); `vorta convert` "
           "writes this form for a profile whose points do not pair into layers from the top down (an odd count, or "
           "depths that go back up). `soil_point_count` (top level) restates only a count below zero of an input data "
           "file, which reads no point.\n";
    return out.str();
}

}  // namespace vorta::project
