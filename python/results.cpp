// The results of one analysis as Python objects: the numbers of the tables (every row) and curves,
// columns as numpy arrays when numpy can be imported and lists of floats otherwise. Every object
// pickles, so that results come back from the workers of a cluster.
#include "results.h"

#include "vorta/analysis.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include "vorta/methods.h"

#include <string>
#include <utility>
#include <vector>

namespace vorta::python {

namespace {

// A column of values, as the caller can take it: a numpy array when numpy is there, else a list.
class ColumnMaker {
public:
    ColumnMaker() {
        try {
            numpy_ = py::module_::import("numpy");
        } catch (py::error_already_set& e) {
            if (!e.matches(PyExc_ImportError)) throw;
        }
    }

    template <typename Row, typename Get>
    py::object floats(const std::vector<Row>& rows, Get get) const {
        if (numpy_) {
            py::array_t<double> a(static_cast<py::ssize_t>(rows.size()));
            auto out = a.mutable_unchecked<1>();
            for (std::size_t i = 0; i < rows.size(); ++i) out(static_cast<py::ssize_t>(i)) = get(rows[i]);
            return a;
        }
        py::list l(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) l[i] = py::float_(get(rows[i]));
        return l;
    }

    template <typename Row, typename Get>
    py::object flags(const std::vector<Row>& rows, Get get) const {
        if (numpy_) {
            py::array_t<bool> a(static_cast<py::ssize_t>(rows.size()));
            auto out = a.mutable_unchecked<1>();
            for (std::size_t i = 0; i < rows.size(); ++i) out(static_cast<py::ssize_t>(i)) = get(rows[i]);
            return a;
        }
        py::list l(rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) l[i] = py::bool_(get(rows[i]));
        return l;
    }

private:
    py::object numpy_;
};

// Every column of a field table, from the rows, into `columns`.
template <class Row>
py::dict columnsOf(std::span<const ResultField<Row>> fields, const std::vector<Row>& rows, const ColumnMaker& col) {
    py::dict columns;
    for (const ResultField<Row>& f : fields) {
        columns[py::str(std::string(f.key))] = f.flag ? col.flags(rows, [&f](const Row& r) { return f.get(r) != 0.0; })
                                                      : col.floats(rows, f.get);
    }
    return columns;
}

Table makeTable(const vorta::MethodTable& t, const ColumnMaker& col) {
    Table out;
    out.method = t.selection;
    out.title = t.title;
    out.tension = t.tension;
    out.battered = t.battered;
    out.plugColumn = t.plugColumn;
    out.columns = columnsOf<CapacityRow>(kCapacityFields, t.rows, col);
    out.rowsAsDriven = t.rowsAsDriven;
    out.drivenCapacity = col.floats(t.drivenCapacity, [](double v) { return v; });
    return out;
}

TransferCurve makeTransferCurve(const vorta::TransferCurve& c, const ColumnMaker& col) {
    return TransferCurve{c.number, c.depth, columnsOf<CurvePoint>(kTzCurveFields, c.points, col)};
}

LoadStep makeLoadStep(const vorta::LoadStep& step, const ColumnMaker& col) {
    LoadStep out;
    out.values = step;
    out.values.distribution.clear();
    out.distribution.columns = columnsOf<SegmentLoad>(kDistributionFields, step.distribution, col);
    return out;
}

}  // namespace

Result makeResult(const vorta::AnalysisResult& r, std::string console, bool keepText) {
    const ColumnMaker col;
    Result out;
    out.status = r.status;
    out.messages = r.messages;
    out.problems = r.problems;
    out.console = std::move(console);
    out.title = r.title;
    out.designer = r.designer;
    out.jobNumber = r.jobNumber;
    out.unitSystem = r.unitSystem;
    out.loadTransferMethod = r.loadTransferMethod;
    for (const vorta::MethodTable& t : r.tables) out.tables.push_back(makeTable(t, col));
    for (const vorta::TransferCurve& c : r.layerCurves) out.layerCurves.push_back(makeTransferCurve(c, col));
    out.tipCurve.columns = columnsOf<CurvePoint>(kTipCurveFields, r.tipCurve, col);
    for (const vorta::LoadStep& step : r.loadSteps) out.loadSteps.push_back(makeLoadStep(step, col));
    for (const vorta::TransferCurve& c : r.verificationCurves) {
        out.verificationCurves.push_back(makeTransferCurve(c, col));
    }
    out.design = r.design;
    if (keepText) {
        out.reportText = r.reportText;
        out.plotText = r.plotText;
    }
    return out;
}

Result failedResult(int status, std::vector<std::string> messages) {
    vorta::AnalysisResult r;
    r.status = status;
    for (const std::string& m : messages) {
        vorta::Problem p;
        p.severity = vorta::Severity::FileError;
        p.code = "file_error";
        p.message = m;
        r.problems.push_back(std::move(p));
    }
    r.messages = std::move(messages);
    return makeResult(r, "");
}

namespace {

std::vector<vorta::Problem> advisoriesOf(const std::vector<vorta::Problem>& problems) {
    std::vector<vorta::Problem> out;
    for (const vorta::Problem& p : problems) {
        if (p.severity == vorta::Severity::Advisory) out.push_back(p);
    }
    return out;
}

template <typename T>
std::string countText(const std::vector<T>& v, const char* what) {
    return std::to_string(v.size()) + " " + what;
}

// A column's documentation: its meaning and its unit in each unit system.
template <class Row>
std::string columnDoc(const ResultField<Row>& f) {
    std::string doc(f.meaning);
    const std::string_view english = resultUnitText(f.unit, 1);
    const std::string_view si = resultUnitText(f.unit, 2);
    if (!english.empty()) doc += " (" + std::string(english) + (si == english ? "" : " or " + std::string(si)) + ")";
    return doc;
}

// Every column of a field table as a read-only attribute of the object, read from its `columns`.
template <class Object, class Row>
void bindColumns(py::class_<Object>& cls, std::span<const ResultField<Row>> fields) {
    for (const ResultField<Row>& f : fields) {
        const std::string key(f.key);
        cls.def_property_readonly(key.c_str(), [key](const Object& o) { return o.columns[key.c_str()]; },
                                  columnDoc(f).c_str());
    }
    cls.def_readonly("columns", &Object::columns, "the columns by name, in print order");
    const std::string first(fields.front().key);
    cls.def("__len__", [first](const Object& o) { return py::len(o.columns[first.c_str()]); });
}

// A result's columns as one dict a field, for the frames: key, meaning, flag and unit by system.
template <class Row>
py::list columnList(std::span<const ResultField<Row>> fields) {
    py::list out;
    for (const ResultField<Row>& f : fields) {
        py::dict d;
        d["key"] = std::string(f.key);
        d["meaning"] = std::string(f.meaning);
        d["flag"] = f.flag;
        d["english_unit"] = std::string(resultUnitText(f.unit, 1));
        d["si_unit"] = std::string(resultUnitText(f.unit, 2));
        out.append(d);
    }
    return out;
}

// A method of the result made by the function of that name in vorta._frames (pandas is imported
// only when a frame is asked for).
auto frameOf(const char* function) {
    return [function](py::object result) { return py::module_::import("vorta._frames").attr(function)(result); };
}

std::string methodListText() {
    std::string text;
    for (const MethodInfo& m : kMethodTable) {
        text += (text.empty() ? "" : ", ") + std::to_string(m.selection()) + " " + std::string(m.name);
    }
    return text;
}

}  // namespace

void bindResults(py::module_& m) {
    py::class_<Table> table(m, "Table",
                            "One capacity table: one value per row of the computation in each column; the column\n"
                            "`printed` marks the rows the report prints (every output_step-th and the last).");
    table.def_readonly("method", &Table::method, ("the method's selection index: " + methodListText()).c_str())
        .def_readonly("title", &Table::title, "the table banner, e.g. 'FED. HWY. METHOD'")
        .def_readonly("tension", &Table::tension, "the tip column is the self weight")
        .def_readonly("battered", &Table::battered, "the table prints a depth column")
        .def_readonly("plug_column", &Table::plugColumn, "the table prints a plug-length column")
        .def_readonly("rows_as_driven", &Table::rowsAsDriven,
                      "each row is a pile driven to that penetration (options.cpt_rows_as_driven, CPT-based methods)")
        .def_readonly("driven_capacity", &Table::drivenCapacity,
                      "with design loads: the capacity of a pile driven to each row's penetration, which the design\n"
                      "answers read (kips or kN); empty without design loads")
        .def(py::pickle(
            [](const Table& t) {
                return py::make_tuple(t.method, t.title, t.tension, t.battered, t.plugColumn, t.columns, t.rowsAsDriven,
                                      t.drivenCapacity);
            },
            [](const py::tuple& s) {
                Table t{s[0].cast<int>(),  s[1].cast<std::string>(), s[2].cast<bool>(),
                        s[3].cast<bool>(), s[4].cast<bool>(),        s[5].cast<py::dict>()};
                if (s.size() > 7) {
                    t.rowsAsDriven = s[6].cast<bool>();
                    t.drivenCapacity = s[7];
                }
                return t;
            }))
        .def("__repr__", [](const Table& t) {
            return "<vorta.Table " + std::to_string(t.method) + " '" + t.title + "', " +
                   std::to_string(py::len(t.columns["pile_length"])) + " rows>";
        });
    bindColumns<Table, CapacityRow>(table, kCapacityFields);

    py::class_<Curve> curve(m, "Curve", "The tip curve: load against movement.");
    curve.def(py::pickle([](const Curve& c) { return py::make_tuple(c.columns); },
                         [](const py::tuple& s) { return Curve{s[0].cast<py::dict>()}; }))
        .def("__repr__", [](const Curve& c) { return "<vorta.Curve, " + std::to_string(py::len(c.columns["load"])) + " points>"; });
    bindColumns<Curve, CurvePoint>(curve, kTipCurveFields);

    py::class_<TransferCurve> transferCurve(m, "TransferCurve", "A t-z curve: unit load transfer against movement.");
    transferCurve.def_readonly("number", &TransferCurve::number)
        .def_readonly("depth", &TransferCurve::depth, "below ground (ft or m)")
        .def(py::pickle([](const TransferCurve& c) { return py::make_tuple(c.number, c.depth, c.columns); },
                        [](const py::tuple& s) {
                            return TransferCurve{s[0].cast<int>(), s[1].cast<double>(), s[2].cast<py::dict>()};
                        }))
        .def("__repr__", [](const TransferCurve& c) {
            return "<vorta.TransferCurve " + std::to_string(c.number) + " at " + std::to_string(c.depth) + ", " +
                   std::to_string(py::len(c.columns["load"])) + " points>";
        });
    bindColumns<TransferCurve, CurvePoint>(transferCurve, kTzCurveFields);

    py::class_<LoadDistribution> distribution(m, "LoadDistribution",
                                              "Axial load and movement at the mid-points of the segments, from the tip upward.");
    distribution.def(py::pickle([](const LoadDistribution& d) { return py::make_tuple(d.columns); },
                                [](const py::tuple& s) { return LoadDistribution{s[0].cast<py::dict>()}; }));
    bindColumns<LoadDistribution, SegmentLoad>(distribution, kDistributionFields);

    py::class_<LoadStep> loadStep(m, "LoadStep", "One step of the load-settlement curve.");
    for (const ResultField<vorta::LoadStep>& f : kLoadStepFields) {
        const auto get = f.get;
        loadStep.def_property_readonly(std::string(f.key).c_str(), [get](const LoadStep& s) { return get(s.values); },
                                       columnDoc(f).c_str());
    }
    loadStep.def_readonly("distribution", &LoadStep::distribution)
        .def(py::pickle(
            [](const LoadStep& s) {
                return py::make_tuple(s.values.topLoad, s.values.topMovement, s.values.tipLoad, s.values.tipMovement,
                                      s.distribution);
            },
            [](const py::tuple& t) {
                LoadStep s;
                s.values.topLoad = t[0].cast<double>();
                s.values.topMovement = t[1].cast<double>();
                s.values.tipLoad = t[2].cast<double>();
                s.values.tipMovement = t[3].cast<double>();
                s.distribution = t[4].cast<LoadDistribution>();
                return s;
            }))
        .def("__repr__", [](const LoadStep& s) {
            return "<vorta.LoadStep top load " + std::to_string(s.values.topLoad) + ", top movement " +
                   std::to_string(s.values.topMovement) + ">";
        });

    // The result columns of each kind, for the frames.
    m.def(
        "result_columns",
        [](const std::string& kind) {
            if (kind == "capacity") return columnList<CapacityRow>(kCapacityFields);
            if (kind == "tz_curve") return columnList<CurvePoint>(kTzCurveFields);
            if (kind == "tip_curve") return columnList<CurvePoint>(kTipCurveFields);
            if (kind == "distribution") return columnList<SegmentLoad>(kDistributionFields);
            if (kind == "load_steps") return columnList<vorta::LoadStep>(kLoadStepFields);
            if (kind == "design") return columnList<vorta::DesignAnswer>(kDesignAnswerFields);
            throw py::value_error("result_columns: no kind " + kind +
                                  "; expected capacity, tz_curve, tip_curve, distribution, load_steps or design");
        },
        py::arg("kind"), "The columns of a kind of result: key, meaning, flag, english_unit and si_unit.");

    using vorta::Problem;
    using vorta::Severity;
    py::class_<Problem>(m, "Problem",
                        "A problem the engine found in an analysis: a stop, a file that cannot be used, a warning,\n"
                        "or an advisory (what a run assumed; docs/advisories.md lists them).")
        .def_property_readonly(
            "severity", [](const Problem& p) { return std::string(vorta::severityName(p.severity)); },
            "'stop', 'file_error', 'warning' or 'advisory'")
        .def_readonly("code", &Problem::code, "stable: 'out_of_range', 'profile_too_short', 'clay_without_strength', ...")
        .def_readonly("path", &Problem::path,
                      "the key of a project file it concerns, layers and rows counted from 1 as a project file\n"
                      "counts them ('layers[2].friction_angle' is a.layers[1]); '' when none")
        .def_readonly("layer_end", &Problem::layerEnd, "'top' or 'bottom' for a value of one end of a layer, else ''")
        .def_readonly("soil_point", &Problem::soilPoint, "the soil point (from 1) where it applies; 0: none")
        .def_readonly("value", &Problem::value, "the value concerned, as given, or None")
        .def_readonly("unit", &Problem::unit, "the value's unit in the analysis's units ('' when it has none)")
        .def_readonly("allowed", &Problem::allowed, "the allowed range, e.g. '0 to below 90 deg', where there is one")
        .def_readonly("file", &Problem::file, "the file the value was given in ('' for an analysis in memory)")
        .def_readonly("line", &Problem::line, "its line in a project file; 0: not known")
        .def_readonly("place", &Problem::place, "where an input data file holds it, e.g. 'soil point 3, column 4'")
        .def_readonly("message", &Problem::message, "one line")
        .def(py::pickle(
            [](const Problem& p) {
                return py::make_tuple(static_cast<int>(p.severity), p.code, p.path, p.layerEnd, p.soilPoint, p.value, p.unit,
                                      p.allowed, p.file, p.line, p.place, p.message);
            },
            [](const py::tuple& t) {
                Problem p;
                p.severity = static_cast<Severity>(t[0].cast<int>());
                p.code = t[1].cast<std::string>();
                p.path = t[2].cast<std::string>();
                p.layerEnd = t[3].cast<std::string>();
                p.soilPoint = t[4].cast<int>();
                p.value = t[5].cast<std::optional<double>>();
                p.unit = t[6].cast<std::string>();
                p.allowed = t[7].cast<std::string>();
                p.file = t[8].cast<std::string>();
                p.line = t[9].cast<int>();
                p.place = t[10].cast<std::string>();
                p.message = t[11].cast<std::string>();
                return p;
            }))
        .def("__repr__", [](const Problem& p) {
            return "<vorta.Problem " + std::string(vorta::severityName(p.severity)) + " " + p.code + ": " + p.message + ">";
        });

    py::class_<vorta::CheckOutcome>(m, "CheckOutcome",
                                    "What the engine's input checks find in an analysis without running it: the\n"
                                    "problems a run of it acts on, advisories included, and the status it would end with.")
        .def_readonly("status", &vorta::CheckOutcome::status, "0 none, 1 a run would stop, 2 the model cannot be loaded")
        .def_readonly("problems", &vorta::CheckOutcome::problems, "every vorta.Problem, in the order a run finds them")
        .def_property_readonly("advisories", [](const vorta::CheckOutcome& c) { return advisoriesOf(c.problems); },
                               "the problems that are advisories")
        .def("frame", frameOf("problems_frame"), "The problems as a pandas frame, one row each (vorta._frames.problems_frame).")
        .def("__repr__", [](const vorta::CheckOutcome& c) {
            return "<vorta.CheckOutcome status " + std::to_string(c.status) + ", " + std::to_string(c.problems.size()) +
                   " problems>";
        });

    py::class_<vorta::DesignAnswer> answer(
        m, "DesignAnswer",
        "The least embedded length at which a method's capacity, divided by the factor of safety, carries a\n"
        "design load; the capacities are those of piles driven to each row's penetration, the length linear\n"
        "between two rows.");
    answer.def_readonly("method", &vorta::DesignAnswer::method, "the method as a project file names it")
        .def_readonly("selection", &vorta::DesignAnswer::selection, "the method's selection index")
        .def_property_readonly(
            "advisory",
            [](const vorta::DesignAnswer& a) { return a.advisory.empty() ? py::object(py::none()) : py::object(py::str(a.advisory)); },
            "what falls_below_again_at means, in words (None when it does not)");
    for (const ResultField<vorta::DesignAnswer>& f : kDesignAnswerFields) {
        const auto get = f.get;
        const bool flag = f.flag;
        const bool optional = f.key == "embedded_length" || f.key == "falls_below_again_at";
        answer.def_property_readonly(
            std::string(f.key).c_str(),
            [get, flag, optional](const vorta::DesignAnswer& a) -> py::object {
                const double v = get(a);
                if (flag) return py::bool_(v != 0.0);
                if (optional && v != v) return py::none();
                return py::float_(v);
            },
            (columnDoc(f) + (optional ? "; None where the table has none" : "")).c_str());
    }
    answer
        .def(py::pickle(
            [](const vorta::DesignAnswer& a) {
                py::tuple values(std::size(kDesignAnswerFields));
                for (std::size_t i = 0; i < values.size(); ++i) values[i] = kDesignAnswerFields[i].get(a);
                return py::make_tuple(a.method, a.selection, a.advisory, values);
            },
            [](const py::tuple& s) {
                vorta::DesignAnswer a;
                a.method = s[0].cast<std::string>();
                a.selection = s[1].cast<int>();
                a.advisory = s[2].cast<std::string>();
                const py::tuple values = s[3].cast<py::tuple>();
                for (std::size_t i = 0; i < values.size() && i < std::size(kDesignAnswerFields); ++i) {
                    kDesignAnswerFields[i].set(a, values[i].cast<double>());
                }
                return a;
            }))
        .def("__repr__", [](const vorta::DesignAnswer& a) {
            std::string text = "<vorta.DesignAnswer " + a.method + " load " + py::str(py::float_(a.load)).cast<std::string>();
            text += a.embeddedLength ? ": length " + py::str(py::float_(*a.embeddedLength)).cast<std::string>()
                                     : ": not reached within the pile";
            return text + ">";
        });

    py::class_<Result>(m, "Result", "The results of one analysis, as the report and plot-data file print them.")
        .def_readonly("status", &Result::status, "0 completed, 1 stopped on its input, 2 a file could not be used")
        .def_readonly("messages", &Result::messages, "why the run stopped or could not use a file, and warnings")
        .def_readonly("problems", &Result::problems,
                      "what the engine found, each a vorta.Problem: why the run stopped or could not use a file,\n"
                      "its warnings and its advisories")
        .def_property_readonly("advisories", [](const Result& r) { return advisoriesOf(r.problems); },
                               "the problems that are advisories: what the run assumed")
        .def_readonly("console", &Result::console, "what the run wrote to the console")
        .def_readonly("title", &Result::title)
        .def_readonly("designer", &Result::designer)
        .def_readonly("job_number", &Result::jobNumber)
        .def_readonly("unit_system", &Result::unitSystem, "1 English, 2 SI, 0 when the input was not read")
        .def_property_readonly("units", &Result::units, "'English', 'SI', or '' when the input was not read")
        .def_readonly("load_transfer_method", &Result::loadTransferMethod)
        .def_readonly("tables", &Result::tables,
                      "the capacity tables, in report order, with every row (Table.printed marks the report's rows)")
        .def_readonly("design", &Result::design,
                      "with design loads (Analysis.design): a vorta.DesignAnswer per method and load, methods in report order")
        .def_readonly("layer_curves", &Result::layerCurves)
        .def_readonly("tip_curve", &Result::tipCurve)
        .def_readonly("load_steps", &Result::loadSteps)
        .def_readonly("verification_curves", &Result::verificationCurves)
        .def(
            "frame",
            [](py::object result, bool printedOnly) {
                return py::module_::import("vorta._frames").attr("capacity_frame")(result, printedOnly);
            },
            py::arg("printed_only") = false,
            "Every capacity table as one pandas frame, one row per row of the computation with the method's\n"
            "name and the column `printed`; printed_only=True keeps the report's rows alone (as before every\n"
            "row was given). frame.attrs holds the units (vorta._frames.capacity_frame).")
        .def("design_frame", frameOf("design_frame"),
             "The design answers as a pandas frame, one row per method and load (vorta._frames.design_frame).")
        .def("load_settlement_frame", frameOf("load_settlement_frame"), "The load-settlement curve as a pandas frame.")
        .def("load_distribution_frame", frameOf("load_distribution_frame"),
             "The load distribution of every load step as a pandas frame, in long form.")
        .def("tz_curves_frame", frameOf("tz_curves_frame"), "The t-z curves as a pandas frame, in long form.")
        .def("tip_curve_frame", frameOf("tip_curve_frame"), "The tip curve as a pandas frame.")
        .def("problems_frame", frameOf("problems_frame"),
             "The problems of the run as a pandas frame, one row each (vorta._frames.problems_frame).")
        .def_readonly("report_text", &Result::reportText,
                      "the report of a run in memory when kept (run(keep_text=True)), else None")
        .def_readonly("plot_text", &Result::plotText,
                      "the plot data of a run in memory when kept (run(keep_text=True)), else None")
        .def(py::pickle(
            [](const Result& r) {
                return py::make_tuple(r.status, r.messages, r.console, r.title, r.designer, r.jobNumber, r.unitSystem,
                                      r.loadTransferMethod, r.tables, r.layerCurves, r.tipCurve, r.loadSteps,
                                      r.verificationCurves, r.reportText, r.plotText, r.problems, r.design);
            },
            [](const py::tuple& s) {
                Result r;
                r.status = s[0].cast<int>();
                r.messages = s[1].cast<std::vector<std::string>>();
                r.console = s[2].cast<std::string>();
                r.title = s[3].cast<std::string>();
                r.designer = s[4].cast<std::string>();
                r.jobNumber = s[5].cast<std::string>();
                r.unitSystem = s[6].cast<int>();
                r.loadTransferMethod = s[7].cast<int>();
                r.tables = s[8].cast<std::vector<Table>>();
                r.layerCurves = s[9].cast<std::vector<TransferCurve>>();
                r.tipCurve = s[10].cast<Curve>();
                r.loadSteps = s[11].cast<std::vector<LoadStep>>();
                r.verificationCurves = s[12].cast<std::vector<TransferCurve>>();
                r.reportText = s[13].cast<std::optional<std::string>>();
                r.plotText = s[14].cast<std::optional<std::string>>();
                r.problems = s[15].cast<std::vector<vorta::Problem>>();
                if (s.size() > 16) r.design = s[16].cast<std::vector<vorta::DesignAnswer>>();
                return r;
            }))
        .def("__repr__", [](const Result& r) {
            return "<vorta.Result status " + std::to_string(r.status) + ", " + countText(r.tables, "tables") + ", " +
                   countText(r.loadSteps, "load steps") + ">";
        });
}

}  // namespace vorta::python
