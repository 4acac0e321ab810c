// The analysis model in Python. Every attribute of vorta.Analysis and its parts is made from the
// model's field tables: the name is the key of a project file, the docstring its meaning, unit,
// default and place in the input data file. A value is checked as it is set (a number that is not
// finite, a name that is not one of a choice's, a text of two lines): ValueError naming the field.
//
// The lists a script edits (layers, the area table, the t-z modifiers) are Python lists of objects
// of their own, so that an element stays valid whatever happens to the list; the analysis becomes
// the engine's model, with every list checked, when it runs or is written.
#include "model.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "results.h"
#include "vorta/analysis.h"
#include "vorta/project.h"
#include "vorta/cpt_files.h"
#include "vorta/units.h"
#include "vorta/vorta.h"

namespace vorta::python {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------------------------------------
// The parts that hold lists or values that follow from others.

struct PileObject {
    Pile pile;           // areaTable unused: the rows are in areaTable below
    py::list areaTable;  // of AreaTableRow
};

struct MethodsObject {
    Methods methods;
    bool cptFollowsSelection = true;  // run_cpt_methods None: 1 when a CPT-based method is selected
};

// A layer: two points of the soil profile, its top and its bottom.
struct LayerObject {
    ProfilePoint top;
    ProfilePoint bottom;
};

struct LoadTransferObject {
    LoadTransferTables tables;  // modifiers and tipCurveFactors unused: they are held below
    py::list modifiers;         // of TzModifier
    py::object tipCurveFactors = py::none();
};

struct AnalysisObject {
    Analysis model;  // titles, units, output step, soil point count, loading, options, sounding
    std::optional<double> deepestSoilDepth;  // empty: the depth of the last soil point
    PileObject pile;
    MethodsObject methods;
    py::list layers;  // of LayerObject
    LoadTransferObject loadTransfer;
};

// vorta.OutOfRangeError (a ValueError): values out of range once raised it; a run now stops on them
// with status 1 and names them in Result.problems. Kept so that scripts that catch it still load.
class OutOfRange : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---------------------------------------------------------------------------------------------
// Values

std::string shortRepr(py::handle value) {
    std::string text = py::repr(value).cast<std::string>();
    if (text.size() > 60) text = text.substr(0, 57) + "...";
    return text;
}

[[noreturn]] void badValue(const std::string& path, const std::string& expected, py::handle found) {
    throw py::value_error(path + ": expected " + expected + ", found " + shortRepr(found));
}

bool isText(py::handle v) { return PyUnicode_Check(v.ptr()) || PyBytes_Check(v.ptr()); }

// The float of a Python number; anything else is a ValueError naming the field.
double floatOf(py::handle v, const std::string& path, const std::string& expected) {
    PyObject* number = PyNumber_Float(v.ptr());
    if (number == nullptr) {
        PyErr_Clear();
        badValue(path, expected, v);
    }
    const double d = PyFloat_AsDouble(number);
    Py_DECREF(number);
    return d;
}

double realValue(py::handle v, const std::string& path, std::string_view unit) {
    const std::string expected = "a finite number" + (unit.empty() ? std::string() : " in " + std::string(unit));
    if (v.is_none() || PyBool_Check(v.ptr()) || isText(v)) badValue(path, expected, v);
    const double d = floatOf(v, path, expected);
    if (!std::isfinite(d)) badValue(path, expected, v);
    return d;
}

// A whole number of 32 bits: an int, or a float without a fraction (as a frame's column holds it).
int wholeValue(py::handle v, const std::string& path, const std::string& expected, bool boolAllowed = false) {
    if (v.is_none() || isText(v) || (PyBool_Check(v.ptr()) && !boolAllowed)) badValue(path, expected, v);
    long long whole = 0;
    if (PyIndex_Check(v.ptr())) {
        PyObject* index = PyNumber_Index(v.ptr());
        if (index == nullptr) {
            PyErr_Clear();
            badValue(path, expected, v);
        }
        int overflow = 0;
        whole = PyLong_AsLongLongAndOverflow(index, &overflow);
        Py_DECREF(index);
        if (overflow != 0) badValue(path, expected, v);
    } else {
        const double d = floatOf(v, path, expected);
        if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 3.0e9) badValue(path, expected, v);
        whole = static_cast<long long>(d);
    }
    if (whole < INT32_MIN || whole > INT32_MAX) badValue(path, expected, v);
    return static_cast<int>(whole);
}

std::string choiceList(std::span<const ChoiceName> choices) {
    std::string text;
    std::vector<int> shown;
    for (const ChoiceName& c : choices) {
        if (std::find(shown.begin(), shown.end(), c.code) != shown.end()) continue;
        shown.push_back(c.code);
        if (!text.empty()) text += ", ";
        text += c.name;
    }
    return text;
}

// A choice by its name (as a project file writes it) or its code.
int choiceValue(std::span<const ChoiceName> choices, py::handle v, const std::string& path) {
    const std::string expected = "one of " + choiceList(choices) + " (or its code)";
    if (PyUnicode_Check(v.ptr())) {
        const std::string name = v.cast<std::string>();
        if (std::optional<int> code = choiceCode(choices, name)) return *code;
        throw py::value_error(path + ": unknown name " + shortRepr(v) + "; expected " + expected);
    }
    const int code = wholeValue(v, path, expected);
    if (choiceName(choices, code).empty()) badValue(path, expected, v);
    return code;
}

std::string textValue(py::handle v, const std::string& path) {
    if (!PyUnicode_Check(v.ptr())) badValue(path, "a text", v);
    std::string text = v.cast<std::string>();
    if (text.find_first_of("\r\n") != std::string::npos) badValue(path, "one line of text", v);
    return text;
}

// A field's value as Python sees it: a choice by its name (its code when it has none), a switch
// as True or False (its number when it is neither 0 nor 1).
template <class Owner>
py::object fieldValue(const FieldInfo<Owner>& f, const Owner& o) {
    switch (f.type) {
        case FieldType::Real: return py::float_(f.getReal(o));
        case FieldType::Integer: return py::int_(f.getInt(o));
        case FieldType::Switch: {
            const int v = f.getInt(o);
            if (v == 0 || v == 1) return py::bool_(v == 1);
            return py::int_(v);
        }
        case FieldType::Choice: {
            const int v = f.getInt(o);
            const std::string_view name = choiceName(f.choices, v);
            if (name.empty()) return py::int_(v);
            return py::str(std::string(name));
        }
        case FieldType::Text: return py::str(f.getText(o));
    }
    return py::none();
}

template <class Owner>
std::string unitText(const FieldInfo<Owner>& f) {
    if (f.englishUnit.empty()) return "";
    if (f.englishUnit == f.siUnit) return std::string(f.englishUnit);
    return std::string(f.englishUnit) + " or " + std::string(f.siUnit);
}

template <class Owner>
void setField(const FieldInfo<Owner>& f, Owner& o, py::handle v, const std::string& path) {
    switch (f.type) {
        case FieldType::Real: f.setReal(o, realValue(v, path, unitText(f))); return;
        case FieldType::Integer: f.setInt(o, wholeValue(v, path, "a whole number")); return;
        case FieldType::Switch: f.setInt(o, wholeValue(v, path, "True, False or a whole number", true)); return;
        case FieldType::Choice: f.setInt(o, choiceValue(f.choices, v, path)); return;
        case FieldType::Text: f.setText(o, textValue(v, path)); return;
    }
}

template <class Owner>
std::string fieldDoc(const FieldInfo<Owner>& f) {
    std::string doc(f.meaning);
    if (const std::string unit = unitText(f); !unit.empty()) doc += " [" + unit + "]";
    if (f.type == FieldType::Choice) doc += ". Names: " + choiceList(f.choices) + " (or their codes)";
    if (!f.defaultNote.empty()) doc += ". Default: " + std::string(f.defaultNote);
    if (f.limits.limited()) {
        const std::string english = limitsText(f.limits, UnitSystem::English, f.englishUnit);
        const std::string si = limitsText(f.limits, UnitSystem::SI, f.siUnit);
        doc += ". Allowed: " + (english == si ? english : english + " (English), " + si + " (SI)");
    }
    doc += ". Input data file: " + deckPlace(f) + ".";
    return doc;
}

// The raw values of an owner's fields, in table order (pickling and comparison).
template <class Owner>
py::tuple rawState(std::span<const FieldInfo<Owner>> fields, const Owner& o) {
    py::tuple state(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldInfo<Owner>& f = fields[i];
        if (f.type == FieldType::Real) state[i] = py::float_(f.getReal(o));
        else if (f.type == FieldType::Text) state[i] = py::str(f.getText(o));
        else state[i] = py::int_(f.getInt(o));
    }
    return state;
}

template <class Owner>
void restoreState(std::span<const FieldInfo<Owner>> fields, Owner& o, const py::tuple& state) {
    if (state.size() != fields.size()) throw py::value_error("a pickled vorta value of another version");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const FieldInfo<Owner>& f = fields[i];
        if (f.type == FieldType::Real) f.setReal(o, state[i].cast<double>());
        else if (f.type == FieldType::Text) f.setText(o, state[i].cast<std::string>());
        else f.setInt(o, state[i].cast<int>());
    }
}

// ---------------------------------------------------------------------------------------------
// Classes made from field tables

// A keyword that names no attribute of a class: the message names the nearest key.
[[noreturn]] void unknownKey(const char* cls, const std::string& key, const std::vector<std::string>& keys) {
    py::list known;
    for (const std::string& k : keys) known.append(k);
    py::list near = py::module_::import("difflib").attr("get_close_matches")(key, known, 1);
    std::string text = std::string(cls) + ": unknown key '" + key + "'";
    if (!near.empty()) {
        text += "; did you mean " + near[0].cast<std::string>() + "?";
    } else {
        std::string all;
        for (const std::string& k : keys) all += (all.empty() ? "" : ", ") + k;
        text += "; the keys are " + all;
    }
    throw py::value_error(text);
}

// The Python class of a part of the model: attributes made from a field table (or of its own),
// construction from keywords, copies, pickling, and == on every value.
template <class W>
class PartClass {
public:
    PartClass(py::module_& m, const char* name, const char* path, const char* doc)
        : cls_(m, name, doc), name_(std::string("vorta.") + name), path_(path) {}

    // Attributes for the fields of an owner reached from the wrapper by `access`.
    template <class Owner, class Access>
    PartClass& fields(std::span<const FieldInfo<Owner>> list, Access access, std::vector<std::string_view> skip = {}) {
        for (const FieldInfo<Owner>& f : list) {
            if (std::find(skip.begin(), skip.end(), f.key) != skip.end()) continue;
            const FieldInfo<Owner>* field = &f;
            const std::string fieldPath = (path_.empty() ? "" : path_ + ".") + std::string(f.key);
            cls_.def_property(
                std::string(f.key).c_str(), [field, access](W& w) { return fieldValue(*field, access(w)); },
                [field, access, fieldPath](W& w, py::handle v) {
                    setField(*field, access(w), v, fieldPath);
                },
                fieldDoc(f).c_str());
            keys_.emplace_back(f.key);
        }
        return *this;
    }

    // An attribute of its own (a list, a value that follows from others).
    template <class Get, class Set>
    PartClass& property(const char* key, Get get, Set set, const char* doc) {
        cls_.def_property(key, get, set, doc);
        keys_.emplace_back(key);
        return *this;
    }
    // An attribute that only tells (not a value of the part: no keyword, not in the repr).
    template <class Get>
    PartClass& readOnly(const char* key, Get get, const char* doc) {
        cls_.def_property_readonly(key, get, doc);
        return *this;
    }
    template <class Get, class Set>
    PartClass& part(const char* key, Get get, Set set, const char* doc) {
        cls_.def_property(key, get, set, py::return_value_policy::reference_internal, doc);
        keys_.emplace_back(key);
        return *this;
    }

    // Construction from keywords, copies, pickling and comparison by the state.
    template <class State, class FromState, class Copy>
    py::class_<W>& finish(State state, FromState fromState, Copy copy) {
        const std::vector<std::string> keys = keys_;
        const std::string name = name_;
        cls_.def(py::init([keys, name, copy](const py::kwargs& kwargs) {
                W fresh;
                py::object self = py::cast(std::move(fresh));
                for (auto item : kwargs) {
                    const std::string key = item.first.cast<std::string>();
                    if (std::find(keys.begin(), keys.end(), key) == keys.end()) unknownKey(name.c_str(), key, keys);
                    self.attr(item.first) = item.second;
                }
                return copy(self.cast<const W&>());
            }),
            ("Keywords: " + keyList()).c_str());
        cls_.def(py::pickle(state, fromState));
        cls_.def("copy", copy, "An independent copy (lists and their elements copied too).");
        cls_.def("__copy__", copy);
        cls_.def("__deepcopy__", [copy](const W& w, py::handle) { return copy(w); });
        cls_.def("__eq__", [state](const W& a, py::handle b) -> py::object {
            if (!py::isinstance<W>(b)) return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            return py::bool_(state(a).equal(state(b.cast<const W&>())));
        });
        cls_.attr("__hash__") = py::none();
        // Every value by its key, as a dataclass shows itself, so that a notebook shows what the
        // part holds (a list shows its elements the same way).
        cls_.def("__repr__", [keys, name](const py::object& self) {
            std::string text = name + "(";
            for (std::size_t i = 0; i < keys.size(); ++i) {
                text += (i == 0 ? "" : ", ") + keys[i] + "=" + py::repr(self.attr(keys[i].c_str())).cast<std::string>();
            }
            return text + ")";
        });
        return cls_;
    }

private:
    std::string keyList() const {
        std::string all;
        for (const std::string& k : keys_) all += (all.empty() ? "" : ", ") + k;
        return all;
    }

    py::class_<W> cls_;
    std::string name_;
    std::string path_;
    std::vector<std::string> keys_;
};

// ---------------------------------------------------------------------------------------------
// Lists

// A copy of a list of one of the plain parts; elements of other kinds are kept as they are and
// refused when the analysis is used.
template <class T>
py::list copiedList(const py::list& list) {
    py::list out;
    for (py::handle item : list) {
        if (py::isinstance<T>(item)) out.append(py::cast(T(item.cast<const T&>())));
        else out.append(item);
    }
    return out;
}

template <class T>
py::list listOf(py::handle values, const std::string& path) {
    if (isText(values) || !py::isinstance<py::iterable>(values)) badValue(path, "a list", values);
    PyObject* items = PySequence_List(values.ptr());
    if (items == nullptr) {
        PyErr_Clear();
        badValue(path, "a list", values);
    }
    return copiedList<T>(py::reinterpret_steal<py::list>(items));
}

template <class T>
std::vector<T> elements(const py::list& list, const std::string& path, const char* kind) {
    std::vector<T> out;
    out.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        py::handle item = list[i];
        if (!py::isinstance<T>(item)) {
            badValue(path + "[" + std::to_string(i) + "]", std::string("a vorta.") + kind, item);
        }
        out.push_back(item.cast<const T&>());
    }
    return out;
}

std::vector<double> numbers(py::handle values, const std::string& path, std::string_view unit) {
    if (isText(values) || !py::isinstance<py::iterable>(values)) badValue(path, "a list of numbers", values);
    std::vector<double> out;
    std::size_t i = 0;
    for (py::handle v : values) out.push_back(realValue(v, path + "[" + std::to_string(i++) + "]", unit));
    return out;
}

py::tuple tupleOf(const std::vector<double>& values) {
    py::tuple t(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) t[i] = py::float_(values[i]);
    return t;
}

// ---------------------------------------------------------------------------------------------
// Copies of the parts that hold lists

PileObject copyPile(const PileObject& p) { return {p.pile, copiedList<AreaTableRow>(p.areaTable)}; }

LoadTransferObject copyLoadTransfer(const LoadTransferObject& t) {
    LoadTransferObject out;
    out.tables = t.tables;
    out.modifiers = copiedList<TzModifier>(t.modifiers);
    out.tipCurveFactors = py::isinstance<TipCurveFactors>(t.tipCurveFactors)
                              ? py::cast(TipCurveFactors(t.tipCurveFactors.cast<const TipCurveFactors&>()))
                              : t.tipCurveFactors;
    return out;
}

AnalysisObject copyAnalysis(const AnalysisObject& a) {
    AnalysisObject out;
    out.model = a.model;
    out.deepestSoilDepth = a.deepestSoilDepth;
    out.pile = copyPile(a.pile);
    out.methods = a.methods;
    out.layers = copiedList<LayerObject>(a.layers);
    out.loadTransfer = copyLoadTransfer(a.loadTransfer);
    return out;
}

// ---------------------------------------------------------------------------------------------
// The analysis and the engine's model

std::string depthText(double v) { return shortestNumberText(v); }

// The engine's model of an analysis; every list checked, and what an input data file cannot
// state refused, with the place named.
Analysis toModel(const AnalysisObject& a) {
    Analysis m = a.model;
    m.pile = a.pile.pile;
    m.pile.areaTable = elements<AreaTableRow>(a.pile.areaTable, "pile.area_table", "AreaRow");
    m.methods = a.methods.methods;
    if (a.methods.cptFollowsSelection) m.methods.cptMethods = m.methods.selectsCptMethod() ? 1 : 0;
    const std::vector<LayerObject> layers = elements<LayerObject>(a.layers, "layers", "Layer");
    m.soilProfile.clear();
    for (std::size_t i = 0; i < layers.size(); ++i) {
        const LayerObject& l = layers[i];
        const std::string where = "layers[" + std::to_string(i) + "]";
        if (l.bottom.depth < l.top.depth) {
            throw py::value_error(where + ".bottom: the bottom " + depthText(l.bottom.depth) + " lies above the top " +
                                  depthText(l.top.depth));
        }
        if (i > 0 && l.top.depth < layers[i - 1].bottom.depth) {
            throw py::value_error(where + ".top: the top " + depthText(l.top.depth) + " lies above the bottom " +
                                  depthText(layers[i - 1].bottom.depth) +
                                  " of the layer before; give the layers from the top down");
        }
        m.soilProfile.push_back(l.top);
        m.soilProfile.push_back(l.bottom);
    }
    m.deepestSoilDepth = a.deepestSoilDepth.value_or(m.soilProfile.empty() ? 0.0 : m.soilProfile.back().depth);
    LoadTransferTables& t = m.loadTransfer;
    t = a.loadTransfer.tables;
    t.modifiers = elements<TzModifier>(a.loadTransfer.modifiers, "load_transfer.modifiers", "TzModifier");
    t.tipCurveFactors.reset();
    if (!a.loadTransfer.tipCurveFactors.is_none()) {
        if (!py::isinstance<TipCurveFactors>(a.loadTransfer.tipCurveFactors)) {
            badValue("load_transfer.tip_curve_factors", "a vorta.TipCurveFactors or None", a.loadTransfer.tipCurveFactors);
        }
        t.tipCurveFactors = a.loadTransfer.tipCurveFactors.cast<const TipCurveFactors&>();
    }
    try {
        checkStatable(m);
    } catch (const InputError& e) {
        throw py::value_error(e.what());
    }
    return m;
}

AnalysisObject fromModel(const Analysis& model, const std::string& source) {
    if (model.soilProfile.size() % 2 != 0) {
        throw py::value_error(source + ": the soil profile has " + std::to_string(model.soilProfile.size()) +
                              " points; an analysis in Python holds layers, a top and a bottom point each");
    }
    AnalysisObject a;
    a.model = model;
    a.model.soilProfile.clear();
    a.model.deepestSoilDepth = 0.0;  // held in a.deepestSoilDepth
    a.model.pile.areaTable.clear();
    a.model.loadTransfer = {};
    for (std::size_t i = 0; i < model.soilProfile.size(); i += 2) {
        a.layers.append(py::cast(LayerObject{model.soilProfile[i], model.soilProfile[i + 1]}));
    }
    if (model.soilProfile.empty() || model.deepestSoilDepth != model.soilProfile.back().depth) {
        a.deepestSoilDepth = model.deepestSoilDepth;
    }
    a.pile.pile = model.pile;
    a.pile.pile.areaTable.clear();
    for (const AreaTableRow& row : model.pile.areaTable) a.pile.areaTable.append(py::cast(row));
    a.methods.methods = model.methods;
    a.methods.cptFollowsSelection = model.methods.cptMethods == (model.methods.selectsCptMethod() ? 1 : 0);
    a.loadTransfer.tables = model.loadTransfer;
    a.loadTransfer.tables.modifiers.clear();
    a.loadTransfer.tables.tipCurveFactors.reset();
    for (const TzModifier& row : model.loadTransfer.modifiers) a.loadTransfer.modifiers.append(py::cast(row));
    if (model.loadTransfer.tipCurveFactors) a.loadTransfer.tipCurveFactors = py::cast(*model.loadTransfer.tipCurveFactors);
    return a;
}

Analysis readModel(const fs::path& file, const std::optional<fs::path>& cpt) {
    ReadOptions options;
    options.cpt = cpt.value_or(fs::path());
    return readAnalysisFile(file, options).analysis;
}

void save(const fs::path& file, const std::string& text) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        PyErr_SetString(PyExc_OSError, (file.string() + ": the file cannot be written").c_str());
        throw py::error_already_set();
    }
}

LocalDateTime clockOf(py::handle when) {
    LocalDateTime t;
    t.year = when.attr("year").cast<int>();
    t.month = when.attr("month").cast<int>();
    t.day = when.attr("day").cast<int>();
    t.hour = when.attr("hour").cast<int>();
    t.minute = when.attr("minute").cast<int>();
    t.second = when.attr("second").cast<int>();
    return t;
}

// A run whose console is kept as text, which gets empty answers to prompts and fills a result.
struct QuietRun {
    AnalysisResult result;
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    QuietRun() {
        options.console = &console;
        options.consoleInput = &noAnswers;
        options.result = &result;
    }
};

// A run on a model in memory, the engine without the interpreter lock. Outputs that are not named
// are kept as text, and handed on when keepText.
Result runModel(const Analysis& model, bool keepText, const std::optional<fs::path>& report,
                const std::optional<fs::path>& plot, py::handle clock) {
    QuietRun run;
    RunOptions& options = run.options;
    if (report) options.report = *report;
    if (plot) options.plot = *plot;
    if (!clock.is_none()) options.clock = clockOf(clock);
    {
        py::gil_scoped_release release;
        runAnalysis(model, options);
    }
    Result out = makeResult(run.result, run.console.str(), keepText);
    if (report) out.reportText.reset();
    if (plot) out.plotText.reset();
    return out;
}

// A folder for the output files the caller did not name, removed with everything in it when the
// run is over, whatever the way out.
class ScratchFolder {
public:
    ScratchFolder() = default;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        if (path_.empty()) return;
        std::error_code ec;
        fs::remove_all(path_, ec);
    }

    const fs::path& path() {
        if (path_.empty()) {
            py::object made = py::module_::import("tempfile").attr("mkdtemp")(py::arg("prefix") = "vorta-");
            path_ = made.cast<fs::path>();
        }
        return path_;
    }

private:
    fs::path path_;
};

// vorta.run: an input data file with its CPT file, or a project file; the report and the plot
// data go where named, else into a folder removed afterwards.
Result runPath(const fs::path& input, const std::optional<fs::path>& cpt, const std::optional<fs::path>& report,
               const std::optional<fs::path>& plot) {
    ScratchFolder scratch;
    const fs::path reportFile = report ? *report : scratch.path() / "report.out";
    const fs::path plotFile = plot ? *plot : scratch.path() / "plot.plt";
    RunFiles files;
    files.input = input;
    files.cpt = cpt.value_or(fs::path());
    files.report = reportFile;
    files.plot = plotFile;
    QuietRun run;
    try {
        py::gil_scoped_release release;
        vorta::runFile(files, run.options);
    } catch (const InputError& e) {
        std::vector<std::string> lines;
        std::istringstream text(e.what());
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return failedResult(kRunFileError, lines);
    }
    return makeResult(run.result, run.console.str());
}

// The methods' keys, in report order: "FHWA, USACE, ...".
std::string methodKeys() {
    std::string keys;
    for (const MethodInfo& m : kMethodTable) keys += (keys.empty() ? "" : ", ") + std::string(m.key);
    return keys;
}

// ---------------------------------------------------------------------------------------------
// Layers: a value reads as a vorta.LayerValue (top, bottom), and is set as one value for the whole
// layer or as a pair.

py::object layerValue(const FieldInfo<ProfilePoint>& f, const LayerObject& l) {
    return py::module_::import("vorta._values").attr("LayerValue")(fieldValue(f, l.top), fieldValue(f, l.bottom));
}

void setLayerValue(const FieldInfo<ProfilePoint>& f, LayerObject& l, py::handle v, const std::string& path) {
    if (!isText(v) && py::isinstance<py::sequence>(v)) {
        const py::sequence pair = py::reinterpret_borrow<py::sequence>(v);
        if (pair.size() != 2) badValue(path, "one value, or two: (top, bottom)", v);
        ProfilePoint top = l.top;
        ProfilePoint bottom = l.bottom;
        setField(f, top, pair[0], path + " (top)");
        setField(f, bottom, pair[1], path + " (bottom)");
        l.top = top;
        l.bottom = bottom;
        return;
    }
    setField(f, l.top, v, path);
    f.type == FieldType::Real ? f.setReal(l.bottom, f.getReal(l.top)) : f.setInt(l.bottom, f.getInt(l.top));
}

py::tuple pointState(const ProfilePoint& p) {
    return py::make_tuple(rawState(soilPointFields(), p), p.unusedSandColumn10);
}

ProfilePoint pointFrom(const py::tuple& s) {
    ProfilePoint p;
    restoreState(soilPointFields(), p, s[0].cast<py::tuple>());
    p.unusedSandColumn10 = s[1].cast<double>();
    return p;
}

// ---------------------------------------------------------------------------------------------
// Methods: the selection as a list of names.

py::tuple selectedNames(const Methods& m) {
    py::list names;
    for (int code = 1; code <= kMethodCountInModel; ++code) {
        if (m.isSelected(static_cast<Method>(code))) names.append(std::string(choiceName(methodNames(), code)));
    }
    return py::tuple(names);
}

void setSelected(Methods& m, py::handle v) {
    if (isText(v) || !py::isinstance<py::iterable>(v)) badValue("methods.selected", "a list of method names", v);
    std::array<int, kMethodCountInModel> selected{};
    std::size_t i = 0;
    for (py::handle item : v) {
        const int code = choiceValue(methodNames(), item, "methods.selected[" + std::to_string(i++) + "]");
        selected[static_cast<std::size_t>(code - 1)] = 1;
    }
    m.selected = selected;
}

// ---------------------------------------------------------------------------------------------
// Optional values and parts

template <class Owner>
const FieldInfo<Owner>& fieldNamed(std::span<const FieldInfo<Owner>> list, std::string_view key) {
    if (const FieldInfo<Owner>* f = findField(list, key)) return *f;
    throw std::logic_error("no field " + std::string(key));
}

// A part assigned as a whole: an object of its class, copied.
template <class T>
const T& partValue(py::handle v, const char* path, const char* kind) {
    if (!py::isinstance<T>(v)) badValue(path, std::string("a vorta.") + kind, v);
    return v.cast<const T&>();
}

template <class T, class Convert>
std::optional<T> optionalValue(py::handle v, Convert convert) {
    if (v.is_none()) return std::nullopt;
    return convert(v);
}

py::object noneOr(const std::optional<double>& v) { return v ? py::object(py::float_(*v)) : py::object(py::none()); }
py::object noneOr(const std::optional<int>& v) { return v ? py::object(py::int_(*v)) : py::object(py::none()); }

// A column of the sounding beside qc: a value or None per point.
py::tuple soundingColumn(const Sounding& s, std::optional<double> CptPoint::*column) {
    py::tuple t(s.points.size());
    for (std::size_t i = 0; i < s.points.size(); ++i) t[i] = noneOr(s.points[i].*column);
    return t;
}

// A column beside qc set from a sequence of a value or None per point.
void setSoundingColumn(Sounding& s, std::optional<double> CptPoint::*column, py::handle v, const std::string& path) {
    const std::string expected = "a value or None for each of the " + std::to_string(s.points.size()) + " points";
    if (isText(v) || !py::isinstance<py::sequence>(v) || py::len(v) != s.points.size()) badValue(path, expected, v);
    const py::sequence values = py::reinterpret_borrow<py::sequence>(v);
    std::vector<std::optional<double>> read;
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        const py::handle item = values[i];
        if (item.is_none()) read.emplace_back();
        else read.emplace_back(realValue(item, path + "[" + std::to_string(i) + "]", "psf or kPa"));
    }
    for (std::size_t i = 0; i < s.points.size(); ++i) s.points[i].*column = read[i];
    s.file.reset();  // the values are no longer the file's
}

// What reading a sounding file skipped or left out, as Python warnings.
void warnNotes(const Sounding& s) {
    if (!s.file) return;
    for (const std::string& note : s.file->notes) {
        if (PyErr_WarnEx(PyExc_UserWarning, note.c_str(), 2) != 0) throw py::error_already_set();
    }
}

const char* kAnalysisDoc =
    "One analysis as data: the pile, the soil profile as a list of vorta.Layer, the methods, the\n"
    "loading, the options, the load-transfer tables and the CPT sounding, under the names of a\n"
    "project file. Build one with keywords (vorta.Analysis(title=..., units='SI', pile=vorta.Pile(...),\n"
    "layers=[...], ...)) or read one with vorta.Analysis.read(path); run it with run().";

// A part that holds its values itself: its attributes, state, copies and construction all come
// from its field table.
template <class T, std::span<const FieldInfo<T>> (*Fields)()>
void plainPart(py::module_& m, const char* name, const char* path, const char* doc) {
    PartClass<T>(m, name, path, doc)
        .fields(Fields(), [](T& r) -> T& { return r; })
        .finish([](const T& r) { return rawState(Fields(), r); },
                [](const py::tuple& s) {
                    T r;
                    restoreState(Fields(), r, s);
                    return r;
                },
                [](const T& r) { return r; });
}

}  // namespace

void bindModel(py::module_& m) {
    py::register_exception<InputError>(m, "InputError", PyExc_ValueError);
    py::register_exception<OutOfRange>(m, "OutOfRangeError", PyExc_ValueError);

    // The plain parts: each holds its values itself.
    plainPart<AreaTableRow, areaRowFields>(m, "AreaRow", "pile.area_table",
                                           "A row of the pile's cross-section area table.");

    plainPart<TzModifier, tzModifierFields>(m, "TzModifier", "load_transfer.modifiers", "A row of the t-z modifier table.");

    plainPart<TipCurveFactors, tipCurveFactorFields>(m, "TipCurveFactors", "load_transfer.tip_curve_factors",
                                                     "Factors on the loads and the movements of the tip (q-w) curve.");

    plainPart<Loading, loadingFields>(m, "Loading", "loading", "The loading: compression or tension.");

    plainPart<AnalysisOptions, optionFields>(m, "Options", "options", "The options of the methods.");

    PartClass<DesignLoads>(m, "Design", "design",
                           "The design question: the least embedded length each method needs for each load.")
        .property(
            "loads", [](const DesignLoads& d) { return tupleOf(d.loads); },
            [](DesignLoads& d, py::handle v) {
                // One load, or a list of them.
                if (!isText(v) && !py::isinstance<py::iterable>(v)) {
                    d.loads = {realValue(v, "design.loads", "kips or kN")};
                    return;
                }
                d.loads = numbers(v, "design.loads", "kips or kN");
            },
            (std::string(designLoadField().meaning) + " [kips or kN]; one number or a list, reads as a tuple").c_str())
        .fields(designFields(), [](DesignLoads& d) -> DesignLoads& { return d; })
        .finish([](const DesignLoads& d) { return py::make_tuple(tupleOf(d.loads), rawState(designFields(), d)); },
                [](const py::tuple& s) {
                    DesignLoads d;
                    d.loads = s[0].cast<std::vector<double>>();
                    restoreState(designFields(), d, s[1].cast<py::tuple>());
                    return d;
                },
                [](const DesignLoads& d) { return d; });

    PartClass<Sounding>(m, "Sounding", "cpt",
                        "The CPT sounding: (depth, cone resistance) points, with the sleeve friction and the pore\n"
                        "pressure of each point when the file it was read from gives them. Sounding.read reads a\n"
                        "GEF, AGS4 or CSV file (docs/cpt-files.md).")
        .property(
            "header", [](const Sounding& s) { return s.header; },
            [](Sounding& s, py::handle v) { s.header = wholeValue(v, "cpt.header", "a whole number"); },
            "the first number of the CPT file; not used")
        .property(
            "points",
            [](const Sounding& s) {
                py::tuple t(s.points.size());
                for (std::size_t i = 0; i < s.points.size(); ++i) t[i] = py::make_tuple(s.points[i].depth, s.points[i].coneResistance);
                return t;
            },
            [](Sounding& s, py::handle v) {
                const std::string expected = "a list of (depth, cone resistance) pairs, or of (depth, cone resistance, "
                                             "sleeve friction, pore pressure) with None where a point has none";
                if (isText(v) || !py::isinstance<py::iterable>(v)) badValue("cpt.points", expected, v);
                std::vector<CptPoint> points;
                std::size_t i = 0;
                for (py::handle item : v) {
                    const std::string path = "cpt.points[" + std::to_string(i++) + "]";
                    if (isText(item) || !py::isinstance<py::sequence>(item) || py::len(item) < 2 || py::len(item) > 4) {
                        badValue(path, "a pair (depth, cone resistance), or (depth, cone resistance, sleeve friction, pore pressure)", item);
                    }
                    const py::sequence values = py::reinterpret_borrow<py::sequence>(item);
                    CptPoint p;
                    p.depth = realValue(values[0], path, "ft or m");
                    p.coneResistance = realValue(values[1], path, "psf or kPa");
                    if (py::len(values) > 2 && !values[2].is_none()) p.sleeveFriction = realValue(values[2], path, "psf or kPa");
                    if (py::len(values) > 3 && !values[3].is_none()) p.porePressure = realValue(values[3], path, "psf or kPa");
                    points.push_back(p);
                }
                s.points = std::move(points);
                s.file.reset();  // the points are no longer the file's
            },
            "the points, (depth in ft or m, cone resistance qc in psf or kPa); assign a list of pairs, or of\n"
            "(depth, qc, fs, u2) with None where a point has none, to change them")
        .property(
            "sleeve_friction", [](const Sounding& s) { return soundingColumn(s, &CptPoint::sleeveFriction); },
            [](Sounding& s, py::handle v) { setSoundingColumn(s, &CptPoint::sleeveFriction, v, "cpt.sleeve_friction"); },
            "the sleeve friction fs of each point, psf or kPa (None where the point has none)")
        .property(
            "pore_pressure", [](const Sounding& s) { return soundingColumn(s, &CptPoint::porePressure); },
            [](Sounding& s, py::handle v) { setSoundingColumn(s, &CptPoint::porePressure, v, "cpt.pore_pressure"); },
            "the pore pressure u2 of each point, psf or kPa (None where the point has none)")
        .readOnly(
            "file", [](const Sounding& s) { return s.file ? py::object(py::str(s.file->name)) : py::object(py::none()); },
            "the file the points were read from, as a project file names it (None: stated in the analysis)")
        .readOnly(
            "notes", [](const Sounding& s) { return s.file ? py::tuple(py::cast(s.file->notes)) : py::tuple(); },
            "what reading the file skipped or left out, one line each")
        .finish(
            [](const Sounding& s) {
                py::list points;
                for (const CptPoint& p : s.points) {
                    points.append(py::make_tuple(p.depth, p.coneResistance, noneOr(p.sleeveFriction), noneOr(p.porePressure)));
                }
                py::object file = py::none();
                if (s.file) {
                    const SoundingFile& f = *s.file;
                    file = py::make_tuple(f.name, f.path, f.statesUnits, f.location, f.depthColumn, f.qcColumn, f.every, f.notes);
                }
                return py::make_tuple(s.header, points, file);
            },
            [](const py::tuple& t) {
                Sounding s;
                s.header = t[0].cast<int>();
                for (py::handle p : t[1]) {
                    CptPoint point{p[py::int_(0)].cast<double>(), p[py::int_(1)].cast<double>(), {}, {}};
                    if (py::len(p) > 2) point.sleeveFriction = p[py::int_(2)].cast<std::optional<double>>();
                    if (py::len(p) > 3) point.porePressure = p[py::int_(3)].cast<std::optional<double>>();
                    s.points.push_back(point);
                }
                if (t.size() > 2 && !t[2].is_none()) {
                    const py::tuple f = t[2].cast<py::tuple>();
                    s.file = SoundingFile{f[0].cast<std::string>(), f[1].cast<fs::path>(), f[2].cast<bool>(),
                                          f[3].cast<std::string>(), f[4].cast<std::string>(), f[5].cast<std::string>(),
                                          f[6].cast<int>(), f[7].cast<std::vector<std::string>>()};
                }
                return s;
            },
            [](const Sounding& s) { return s; })
        .def(
            "frame",
            [](py::object s, py::object units) {
                return py::module_::import("vorta._frames").attr("sounding_frame")(s, units);
            },
            py::arg("units") = py::none(),
            "The points as a pandas frame: depth, cone_resistance, sleeve_friction and pore_pressure (NaN\n"
            "where a point has none); `units` ('English' or 'SI') fills frame.attrs['units'].")
        .def("__len__", [](const Sounding& s) { return s.points.size(); })
        .def_static(
            "read",
            [](const fs::path& path, const std::string& units, const std::string& location, const std::string& depthColumn,
               const std::string& qcColumn, int every) {
                SoundingFile ref;
                ref.name = path.generic_string();
                ref.path = path;
                ref.location = location;
                ref.depthColumn = depthColumn;
                ref.qcColumn = qcColumn;
                ref.every = every;
                const std::optional<int> code = choiceCode(fieldNamed(analysisFields(), "units").choices, units);
                if (!code) throw py::value_error("units: expected \"English\" or \"SI\", found " + shortRepr(py::str(units)));
                const Sounding s = readSoundingFile(ref, static_cast<UnitSystem>(*code));
                warnNotes(s);
                return s;
            },
            py::arg("path"), py::kw_only(), py::arg("units"), py::arg("location") = "", py::arg("depth_column") = "",
            py::arg("qc_column") = "", py::arg("every") = 1,
            "Reads a CPT file: GEF, AGS4 (the SCPT group; `location` names the sounding of a file that\n"
            "holds several), CSV or text with a header row (`depth_column` and `qc_column` name the\n"
            "columns whose names are not found), or the engine's own CPT file; `every` keeps every n-th\n"
            "point and the last. The points come in `units` (\"English\": ft and psf, \"SI\": m and kPa).\n"
            "What the reading skipped is in Sounding.notes and given as warnings. Raises vorta.InputError\n"
            "(a ValueError) naming the file, the line and what was expected.");

    // Layers.
    PartClass<LayerObject> layer(m, "Layer", "layer",
                                 "A layer of the soil profile. Every value but the name and the depths reads as a\n"
                                 "vorta.LayerValue (top, bottom), linear in depth between them; assign one value for the\n"
                                 "whole layer or a pair.");
    layer.property(
        "name", [](const LayerObject& l) { return l.top.name; },
        [](LayerObject& l, py::handle v) { l.top.name = textValue(v, "layer.name"); },
        "a name for the layer, for the reader");
    layer.property(
        "top", [](const LayerObject& l) { return l.top.depth; },
        [](LayerObject& l, py::handle v) { l.top.depth = realValue(v, "layer.top", "ft or m"); },
        "depth of the layer's top below the ground surface [ft or m]");
    layer.property(
        "bottom", [](const LayerObject& l) { return l.bottom.depth; },
        [](LayerObject& l, py::handle v) { l.bottom.depth = realValue(v, "layer.bottom", "ft or m"); },
        "depth of the layer's bottom below the ground surface [ft or m]");
    for (const FieldInfo<ProfilePoint>& f : soilPointFields()) {
        if (f.key == "depth" || f.key == "name") continue;
        const FieldInfo<ProfilePoint>* field = &f;
        const std::string path = "layer." + std::string(f.key);
        layer.property(
            std::string(f.key).c_str(), [field](const LayerObject& l) { return layerValue(*field, l); },
            [field, path](LayerObject& l, py::handle v) { setLayerValue(*field, l, v, path); },
            (fieldDoc(f) + " A LayerValue (top, bottom); assign one value or a pair.").c_str());
    }
    layer
        .finish([](const LayerObject& l) { return py::make_tuple(pointState(l.top), pointState(l.bottom)); },
                [](const py::tuple& s) {
                    return LayerObject{pointFrom(s[0].cast<py::tuple>()), pointFrom(s[1].cast<py::tuple>())};
                },
                [](const LayerObject& l) { return l; })
        ;

    // The pile with its area table.
    PartClass<PileObject>(m, "Pile", "pile", "The pile: its type, section, lengths and the area table of its stiffness.")
        .fields(pileFields(), [](PileObject& p) -> Pile& { return p.pile; })
        .property(
            "area_table", [](const PileObject& p) { return p.areaTable; },
            [](PileObject& p, py::handle v) { p.areaTable = listOf<AreaTableRow>(v, "pile.area_table"); },
            "the cross-section areas along the pile (a list of vorta.AreaRow), for axial_area = 'table'")
        .finish(
            [](const PileObject& p) { return py::make_tuple(rawState(pileFields(), p.pile), p.areaTable); },
            [](const py::tuple& s) {
                PileObject p;
                restoreState(pileFields(), p.pile, s[0].cast<py::tuple>());
                p.areaTable = s[1].cast<py::list>();
                return p;
            },
            &copyPile);

    PartClass<MethodsObject>(m, "Methods", "methods", "The methods computed and the one that drives the load transfer.")
        .property(
            "selected", [](const MethodsObject& o) { return selectedNames(o.methods); },
            [](MethodsObject& o, py::handle v) { setSelected(o.methods, v); },
            ("the methods to compute, by name (" + methodKeys() +
             ") or selection index; reads as a tuple, assign a list to change it")
                .c_str())
        .fields(methodFields(), [](MethodsObject& o) -> Methods& { return o.methods; }, {"run_cpt_methods"})
        .property(
            "run_cpt_methods",
            [](const MethodsObject& o) -> py::object {
                if (o.cptFollowsSelection) return py::none();
                return fieldValue(fieldNamed(methodFields(), "run_cpt_methods"), o.methods);
            },
            [](MethodsObject& o, py::handle v) {
                o.cptFollowsSelection = v.is_none();
                if (!v.is_none()) setField(fieldNamed(methodFields(), "run_cpt_methods"), o.methods, v, "methods.run_cpt_methods");
            },
            (fieldDoc(fieldNamed(methodFields(), "run_cpt_methods")) + " None: True when a CPT-based method is selected.").c_str())
        .finish(
            [](const MethodsObject& o) {
                py::tuple selected(kMethodCountInModel);
                for (int i = 0; i < kMethodCountInModel; ++i) selected[i] = o.methods.selected[static_cast<std::size_t>(i)];
                Methods effective = o.methods;  // a value that follows is compared as it follows
                if (o.cptFollowsSelection) effective.cptMethods = o.methods.selectsCptMethod() ? 1 : 0;
                return py::make_tuple(selected, rawState(methodFields(), effective), o.cptFollowsSelection);
            },
            [](const py::tuple& s) {
                MethodsObject o;
                for (int i = 0; i < kMethodCountInModel; ++i) o.methods.selected[static_cast<std::size_t>(i)] = s[0].cast<py::tuple>()[i].cast<int>();
                restoreState(methodFields(), o.methods, s[1].cast<py::tuple>());
                o.cptFollowsSelection = s[2].cast<bool>();
                return o;
            },
            [](const MethodsObject& o) { return o; })
;

    PartClass<LoadTransferObject> loadTransfer(m, "LoadTransfer", "load_transfer",
                                               "The optional tables of the load-settlement analysis.");
    loadTransfer
        .property(
            "verification_depths", [](const LoadTransferObject& t) { return tupleOf(t.tables.verificationDepths); },
            [](LoadTransferObject& t, py::handle v) {
                t.tables.verificationDepths = numbers(v, "load_transfer.verification_depths", "ft or m");
            },
            "depths at which the t-z curves are printed for verification [ft or m]; reads as a tuple")
        .property(
            "tip_movements", [](const LoadTransferObject& t) { return tupleOf(t.tables.tipMovements); },
            [](LoadTransferObject& t, py::handle v) {
                t.tables.tipMovements = numbers(v, "load_transfer.tip_movements", "in or mm");
            },
            "tip movements of the load steps [in or m]; empty: the program's own; reads as a tuple")
        .property(
            "modifiers", [](const LoadTransferObject& t) { return t.modifiers; },
            [](LoadTransferObject& t, py::handle v) { t.modifiers = listOf<TzModifier>(v, "load_transfer.modifiers"); },
            "the t-z modifier table by depth (a list of vorta.TzModifier)")
        .property(
            "tip_curve_factors", [](const LoadTransferObject& t) { return t.tipCurveFactors; },
            [](LoadTransferObject& t, py::handle v) {
                if (!v.is_none() && !py::isinstance<TipCurveFactors>(v)) {
                    badValue("load_transfer.tip_curve_factors", "a vorta.TipCurveFactors or None", v);
                }
                t.tipCurveFactors = v.is_none() ? py::object(py::none())
                                                : py::cast(TipCurveFactors(v.cast<const TipCurveFactors&>()));
            },
            "factors on the tip curve (a vorta.TipCurveFactors), or None");
    for (const FieldInfo<LoadTransferTables>& f : loadTransferSwitchFields()) {
        const FieldInfo<LoadTransferTables>* field = &f;
        const std::string path = "load_transfer." + std::string(f.key);
        loadTransfer.property(
            std::string(f.key).c_str(),
            [field](const LoadTransferObject& t) -> py::object {
                const int v = field->getInt(t.tables);
                return v == kAbsentSwitch ? py::object(py::none()) : py::object(py::int_(v));
            },
            [field, path](LoadTransferObject& t, py::handle v) {
                field->setInt(t.tables, v.is_none() ? kAbsentSwitch : wholeValue(v, path, "a whole number or None"));
                if (field->getInt(t.tables) == kAbsentSwitch && !v.is_none()) badValue(path, "a whole number or None", v);
            },
            (std::string(f.meaning) + ". None: follows from the table (1 when it has rows). Input data file: " +
             deckPlace(f) + ".")
                .c_str());
    }
    loadTransfer.finish(
        [](const LoadTransferObject& t) {
            py::tuple switches(loadTransferSwitchFields().size());
            for (std::size_t i = 0; i < switches.size(); ++i) switches[i] = loadTransferSwitchFields()[i].getInt(t.tables);
            return py::make_tuple(tupleOf(t.tables.verificationDepths), tupleOf(t.tables.tipMovements), switches,
                                  t.modifiers, t.tipCurveFactors);
        },
        [](const py::tuple& s) {
            LoadTransferObject t;
            t.tables.verificationDepths = s[0].cast<std::vector<double>>();
            t.tables.tipMovements = s[1].cast<std::vector<double>>();
            const py::tuple switches = s[2].cast<py::tuple>();
            for (std::size_t i = 0; i < switches.size(); ++i) loadTransferSwitchFields()[i].setInt(t.tables, switches[i].cast<int>());
            t.modifiers = s[3].cast<py::list>();
            t.tipCurveFactors = s[4];
            return t;
        },
        &copyLoadTransfer);

    // The analysis.
    PartClass<AnalysisObject> analysis(m, "Analysis", "", kAnalysisDoc);
    analysis.fields(analysisFields(), [](AnalysisObject& a) -> Analysis& { return a.model; }, {"deepest_soil_depth"});
    const FieldInfo<Analysis>& deepest = fieldNamed(analysisFields(), "deepest_soil_depth");
    analysis
        .property(
            "deepest_soil_depth", [](const AnalysisObject& a) { return noneOr(a.deepestSoilDepth); },
            [](AnalysisObject& a, py::handle v) {
                a.deepestSoilDepth = optionalValue<double>(v, [](py::handle x) {
                    return realValue(x, "deepest_soil_depth", "ft or m");
                });
            },
            (std::string(deepest.meaning) + " [ft or m]. None: the bottom of the last layer. Input data file: " +
             deckPlace(deepest) + ".")
                .c_str())
        .property(
            "soil_point_count", [](const AnalysisObject& a) { return noneOr(a.model.negativeSoilPointCount); },
            [](AnalysisObject& a, py::handle v) {
                a.model.negativeSoilPointCount = optionalValue<int>(v, [](py::handle x) {
                    return wholeValue(x, "soil_point_count", "a whole number below zero or None");
                });
            },
            "restates only a soil point count below zero of an input data file (which reads no point); None otherwise")
        .part(
            "pile", [](AnalysisObject& a) -> PileObject& { return a.pile; },
            [](AnalysisObject& a, py::handle p) { a.pile = copyPile(partValue<PileObject>(p, "pile", "Pile")); }, "the pile (a vorta.Pile)")
        .part(
            "methods", [](AnalysisObject& a) -> MethodsObject& { return a.methods; },
            [](AnalysisObject& a, py::handle o) { a.methods = partValue<MethodsObject>(o, "methods", "Methods"); }, "the methods (a vorta.Methods)")
        .property(
            "layers", [](const AnalysisObject& a) { return a.layers; },
            [](AnalysisObject& a, py::handle v) { a.layers = listOf<LayerObject>(v, "layers"); },
            "the soil profile from the top down: a list of vorta.Layer to edit, insert into and remove from")
        .part(
            "loading", [](AnalysisObject& a) -> Loading& { return a.model.loading; },
            [](AnalysisObject& a, py::handle l) { a.model.loading = partValue<Loading>(l, "loading", "Loading"); }, "the loading (a vorta.Loading)")
        .part(
            "options", [](AnalysisObject& a) -> AnalysisOptions& { return a.model.options; },
            [](AnalysisObject& a, py::handle o) { a.model.options = partValue<AnalysisOptions>(o, "options", "Options"); }, "the options (a vorta.Options)")
        .part(
            "load_transfer", [](AnalysisObject& a) -> LoadTransferObject& { return a.loadTransfer; },
            [](AnalysisObject& a, py::handle t) {
                a.loadTransfer = copyLoadTransfer(partValue<LoadTransferObject>(t, "load_transfer", "LoadTransfer"));
            },
            "the load-transfer tables (a vorta.LoadTransfer)")
        .part(
            "cpt", [](AnalysisObject& a) -> Sounding& { return a.model.cpt; },
            [](AnalysisObject& a, py::handle s) { a.model.cpt = partValue<Sounding>(s, "cpt", "Sounding"); }, "the CPT sounding (a vorta.Sounding)")
        .part(
            "design", [](AnalysisObject& a) -> DesignLoads& { return a.model.design; },
            [](AnalysisObject& a, py::handle d) { a.model.design = partValue<DesignLoads>(d, "design", "Design"); },
            "the design loads (a vorta.Design); a run with loads gives Result.design");
    analysis
        .finish(
            [](const AnalysisObject& a) {
                return py::make_tuple(rawState(analysisFields(), a.model), noneOr(a.deepestSoilDepth),
                                      noneOr(a.model.negativeSoilPointCount), a.pile, a.methods, a.layers,
                                      a.model.loading, a.model.options, a.loadTransfer, a.model.cpt, a.model.design);
            },
            [](const py::tuple& s) {
                AnalysisObject a;
                restoreState(analysisFields(), a.model, s[0].cast<py::tuple>());
                a.deepestSoilDepth = s[1].cast<std::optional<double>>();
                a.model.negativeSoilPointCount = s[2].cast<std::optional<int>>();
                a.pile = s[3].cast<const PileObject&>();
                a.methods = s[4].cast<MethodsObject>();
                a.layers = s[5].cast<py::list>();
                a.model.loading = s[6].cast<Loading>();
                a.model.options = s[7].cast<AnalysisOptions>();
                a.loadTransfer = s[8].cast<const LoadTransferObject&>();
                a.model.cpt = s[9].cast<Sounding>();
                if (s.size() > 10) a.model.design = s[10].cast<DesignLoads>();
                return a;
            },
            &copyAnalysis)
        .def_static(
            "read",
            [](const fs::path& path, const std::optional<fs::path>& cpt) {
                AnalysisObject a = fromModel(readModel(path, cpt), path.string());
                warnNotes(a.model.cpt);
                return a;
            },
            py::arg("path"), py::arg("cpt") = py::none(),
            "Reads a project file (.toml) or an input data file with its CPT file (None: a sounding\n"
            "with no points). Raises vorta.InputError (a ValueError) naming the file, the line and\n"
            "what was expected.")
        .def(
            "_run",
            [](const AnalysisObject& a, bool keepText, const std::optional<fs::path>& report,
               const std::optional<fs::path>& plot, py::handle clock) {
                const Analysis model = toModel(a);
                return runModel(model, keepText, report, plot, clock);
            },
            py::arg("keep_text") = false, py::arg("report") = py::none(), py::arg("plot") = py::none(),
            py::arg("clock") = py::none(), "Analysis.run without the Python wrapper that makes it picklable.")
        .def(
            "to_units",
            [](const AnalysisObject& a, const std::string& units) {
                const std::optional<int> code = choiceCode(fieldNamed(analysisFields(), "units").choices, units);
                if (!code) throw py::value_error("units: expected \"English\" or \"SI\", found " + shortRepr(py::str(units)));
                AnalysisObject converted = fromModel(convertUnits(toModel(a), static_cast<UnitSystem>(*code)), "");
                converted.deepestSoilDepth = a.deepestSoilDepth ? converted.deepestSoilDepth : std::nullopt;
                converted.methods.cptFollowsSelection = a.methods.cptFollowsSelection;
                return converted;
            },
            py::arg("units"),
            "A copy of the analysis with every value in \"English\" or \"SI\" units, each by the unit of its\n"
            "field; codes, ratios and zeros (not given) stay, and so does the no-limit 9999999 (docs/cpt-files.md).")
        .def(
            "check",
            [](const AnalysisObject& a) {
                const Analysis model = toModel(a);
                py::gil_scoped_release release;
                return checkAnalysis(model);
            },
            "What the engine's input checks find without running the analysis (a vorta.CheckOutcome):\n"
            "the problems a run acts on, advisories included, and the status it would end with.")
        .def(
            "layers_frame",
            [](py::object a) { return py::module_::import("vorta._frames").attr("layers_frame")(a); },
            "The soil profile as a pandas frame, one row per layer (vorta._frames.layers_frame).")
        .def(
            "with_layers",
            [](py::object a, py::object frame) {
                return py::module_::import("vorta._frames").attr("with_layers")(a, frame);
            },
            py::arg("frame"),
            "A copy of the analysis whose soil profile is the rows of a frame in the columns of\n"
            "layers_frame() (vorta._frames.with_layers).")
        .def(
            "write_deck",
            [](const AnalysisObject& a, const fs::path& path, const std::optional<fs::path>& cpt) {
                const Analysis model = toModel(a);
                try {
                    writeDeckFiles(model, path, cpt.value_or(fs::path()));
                } catch (const InputError& e) {
                    throw py::value_error(e.what());
                }
            },
            py::arg("path"), py::arg("cpt") = py::none(),
            "Writes the analysis as an input data file and its sounding as a CPT file (None: beside it,\n"
            "with the extension .cpt). Layer names are not part of an input data file.")
        .def(
            "write_project",
            [](const AnalysisObject& a, const fs::path& path) {
                const Analysis model = toModel(a);
                std::ostringstream text;
                Analysis named = model;
                project::nameSoundingFileFrom(named, path);
                try {
                    project::writeProjectFile(named, text);
                } catch (const InputError& e) {
                    throw py::value_error(e.what());
                }
                save(path, text.str());
            },
            py::arg("path"), "Writes the analysis as a project file (TOML), the sounding inline.")
;

    m.def("run", &runPath, py::arg("input"), py::arg("cpt") = py::none(), py::arg("report") = py::none(),
          py::arg("plot") = py::none(),
          "Runs one analysis on an input data file and its CPT file (None: a sounding with no points),\n"
          "or on a project file (.toml). The report and the plot-data file go where named, else into a\n"
          "temporary folder that is removed after the run. A run that stops or cannot use a file raises\n"
          "nothing: Result.status and Result.messages say why. The engine runs with the interpreter\n"
          "lock released; analyses in several threads must name different output files.");

    // The field tables, for the documentation and the frames.
    m.def(
        "fields",
        [](const std::string& part) {
            py::list out;
            auto add = [&out](auto list) {
                for (const auto& f : list) {
                    py::dict d;
                    d["key"] = std::string(f.key);
                    static const char* kTypes[] = {"real", "integer", "switch", "choice", "text"};
                    d["type"] = kTypes[static_cast<int>(f.type)];
                    d["english_unit"] = std::string(f.englishUnit);
                    d["si_unit"] = std::string(f.siUnit);
                    d["meaning"] = std::string(f.meaning);
                    d["required"] = f.required;
                    d["default"] = std::string(f.defaultNote);
                    d["input_data_file"] = deckPlace(f);
                    py::list names;
                    for (const ChoiceName& c : f.choices) names.append(py::make_tuple(std::string(c.name), c.code));
                    d["choices"] = names;
                    out.append(d);
                }
            };
            if (part == "analysis") add(analysisFields());
            else if (part == "pile") add(pileFields());
            else if (part == "area_table") add(areaRowFields());
            else if (part == "methods") add(methodFields());
            else if (part == "layers") add(soilPointFields());
            else if (part == "loading") add(loadingFields());
            else if (part == "options") add(optionFields());
            else if (part == "load_transfer") add(loadTransferSwitchFields());
            else if (part == "modifiers") add(tzModifierFields());
            else if (part == "tip_curve_factors") add(tipCurveFactorFields());
            else if (part == "cpt") add(cptPointFields());
            else if (part == "design") add(designFields());
            else
                throw py::value_error("unknown part '" + part +
                                      "'; the parts are analysis, pile, area_table, methods, layers, loading, options, "
                                      "load_transfer, modifiers, tip_curve_factors, cpt, design");
            return out;
        },
        py::arg("part"),
        "The field table of a part of the model: one dict per value with its key, type, units,\n"
        "meaning, default, place in the input data file and choice names (layers: per soil point).");
}

}  // namespace vorta::python
