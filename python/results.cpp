// The results of one analysis as Python objects: the numbers of the printed tables and curves,
// columns as numpy arrays when numpy can be imported and lists of floats otherwise. Every object
// pickles, so that results come back from the workers of a cluster.
#include "results.h"

#include "vorta/analysis.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

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

Table makeTable(const vorta::MethodTable& t, const ColumnMaker& col) {
    using Row = vorta::CapacityRow;
    Table out;
    out.method = t.selection;
    out.title = t.title;
    out.tension = t.tension;
    out.battered = t.battered;
    out.plugColumn = t.plugColumn;
    out.pileLength = col.floats(t.rows, [](const Row& r) { return r.pileLength; });
    out.depth = col.floats(t.rows, [](const Row& r) { return r.depth; });
    out.skinFriction = col.floats(t.rows, [](const Row& r) { return r.skinFriction; });
    out.tipResistance = col.floats(t.rows, [](const Row& r) { return r.tipResistance; });
    out.ultimateCapacity = col.floats(t.rows, [](const Row& r) { return r.ultimateCapacity; });
    out.unitFriction = col.floats(t.rows, [](const Row& r) { return r.unitFriction; });
    out.plugLength = col.floats(t.rows, [](const Row& r) { return r.plugLength; });
    out.plugMark = col.flags(t.rows, [](const Row& r) { return r.plugMark; });
    out.columns["pile_length"] = out.pileLength;
    out.columns["depth"] = out.depth;
    out.columns["skin_friction"] = out.skinFriction;
    out.columns["tip_resistance"] = out.tipResistance;
    out.columns["ultimate_capacity"] = out.ultimateCapacity;
    out.columns["unit_friction"] = out.unitFriction;
    out.columns["plug_length"] = out.plugLength;
    out.columns["plug_mark"] = out.plugMark;
    return out;
}

Curve makeCurve(const std::vector<vorta::CurvePoint>& points, const ColumnMaker& col) {
    using Point = vorta::CurvePoint;
    Curve out;
    out.movement = col.floats(points, [](const Point& p) { return p.movement; });
    out.load = col.floats(points, [](const Point& p) { return p.load; });
    out.columns["movement"] = out.movement;
    out.columns["load"] = out.load;
    return out;
}

TransferCurve makeTransferCurve(const vorta::TransferCurve& c, const ColumnMaker& col) {
    Curve points = makeCurve(c.points, col);
    TransferCurve out;
    out.number = c.number;
    out.depth = c.depth;
    out.movement = points.movement;
    out.load = points.load;
    out.columns = points.columns;
    return out;
}

LoadStep makeLoadStep(const vorta::LoadStep& step, const ColumnMaker& col) {
    using Segment = vorta::SegmentLoad;
    LoadStep out;
    out.topLoad = step.topLoad;
    out.topMovement = step.topMovement;
    out.tipLoad = step.tipLoad;
    out.tipMovement = step.tipMovement;
    LoadDistribution& d = out.distribution;
    d.distanceFromHead = col.floats(step.distribution, [](const Segment& g) { return g.distanceFromHead; });
    d.axialLoad = col.floats(step.distribution, [](const Segment& g) { return g.axialLoad; });
    d.movement = col.floats(step.distribution, [](const Segment& g) { return g.movement; });
    d.columns["distance_from_head"] = d.distanceFromHead;
    d.columns["axial_load"] = d.axialLoad;
    d.columns["movement"] = d.movement;
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
    out.tipCurve = makeCurve(r.tipCurve, col);
    for (const vorta::LoadStep& step : r.loadSteps) out.loadSteps.push_back(makeLoadStep(step, col));
    for (const vorta::TransferCurve& c : r.verificationCurves) {
        out.verificationCurves.push_back(makeTransferCurve(c, col));
    }
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

// Pickling: each object is its constructor's arguments; the columns travel as they are.
template <typename T>
T columnsOnly(const py::dict& columns, std::initializer_list<std::pair<const char*, py::object T::*>> names) {
    T out;
    out.columns = columns;
    for (const auto& [name, member] : names) out.*member = columns[name];
    return out;
}

Table tableFrom(const py::tuple& s) {
    Table t = columnsOnly<Table>(s[5].cast<py::dict>(),
                                 {{"pile_length", &Table::pileLength},
                                  {"depth", &Table::depth},
                                  {"skin_friction", &Table::skinFriction},
                                  {"tip_resistance", &Table::tipResistance},
                                  {"ultimate_capacity", &Table::ultimateCapacity},
                                  {"unit_friction", &Table::unitFriction},
                                  {"plug_length", &Table::plugLength},
                                  {"plug_mark", &Table::plugMark}});
    t.method = s[0].cast<int>();
    t.title = s[1].cast<std::string>();
    t.tension = s[2].cast<bool>();
    t.battered = s[3].cast<bool>();
    t.plugColumn = s[4].cast<bool>();
    return t;
}

Curve curveFrom(const py::dict& columns) {
    return columnsOnly<Curve>(columns, {{"movement", &Curve::movement}, {"load", &Curve::load}});
}

TransferCurve transferCurveFrom(const py::tuple& s) {
    TransferCurve c = columnsOnly<TransferCurve>(s[2].cast<py::dict>(),
                                                 {{"movement", &TransferCurve::movement}, {"load", &TransferCurve::load}});
    c.number = s[0].cast<int>();
    c.depth = s[1].cast<double>();
    return c;
}

LoadDistribution distributionFrom(const py::dict& columns) {
    return columnsOnly<LoadDistribution>(columns, {{"distance_from_head", &LoadDistribution::distanceFromHead},
                                                   {"axial_load", &LoadDistribution::axialLoad},
                                                   {"movement", &LoadDistribution::movement}});
}

}  // namespace

void bindResults(py::module_& m) {
    py::class_<Table>(m, "Table", "One printed capacity table: one value per printed row in each column.")
        .def_readonly("method", &Table::method,
                      "1 FHWA, 2 USACE, 3 Revised Lambda, 4 API RP-2A, 5 general, 6 NGI, 7 ICP/MTD, 8 Fugro, 9 UWA")
        .def_readonly("title", &Table::title, "the table banner, e.g. 'FED. HWY. METHOD'")
        .def_readonly("tension", &Table::tension, "the tip column is the self weight")
        .def_readonly("battered", &Table::battered, "the table prints a depth column")
        .def_readonly("plug_column", &Table::plugColumn, "the table prints a plug-length column")
        .def_readonly("pile_length", &Table::pileLength, "pile length below ground (ft or m)")
        .def_readonly("depth", &Table::depth, "vertical depth of the tip (ft or m)")
        .def_readonly("skin_friction", &Table::skinFriction, "kips or kN")
        .def_readonly("tip_resistance", &Table::tipResistance,
                      "end bearing in compression, self weight in tension (kips or kN)")
        .def_readonly("ultimate_capacity", &Table::ultimateCapacity, "kips or kN")
        .def_readonly("unit_friction", &Table::unitFriction, "the plot-data column (ksf or kPa)")
        .def_readonly("plug_length", &Table::plugLength, "ft or m; 0 when the table has no plug column")
        .def_readonly("plug_mark", &Table::plugMark, "the friction of the soil plug governs the tip ('*')")
        .def_readonly("columns", &Table::columns, "the columns by name, in print order")
        .def("__len__", [](const Table& t) { return py::len(t.pileLength); })
        .def(py::pickle(
            [](const Table& t) { return py::make_tuple(t.method, t.title, t.tension, t.battered, t.plugColumn, t.columns); },
            &tableFrom))
        .def("__repr__", [](const Table& t) {
            return "<vorta.Table " + std::to_string(t.method) + " '" + t.title + "', " +
                   std::to_string(py::len(t.pileLength)) + " rows>";
        });

    py::class_<Curve>(m, "Curve", "The tip curve: load (kips or kN) against movement (in or m).")
        .def_readonly("movement", &Curve::movement)
        .def_readonly("load", &Curve::load)
        .def_readonly("columns", &Curve::columns)
        .def("__len__", [](const Curve& c) { return py::len(c.movement); })
        .def(py::pickle([](const Curve& c) { return py::make_tuple(c.columns); },
                        [](const py::tuple& s) { return curveFrom(s[0].cast<py::dict>()); }))
        .def("__repr__", [](const Curve& c) { return "<vorta.Curve, " + std::to_string(py::len(c.movement)) + " points>"; });

    py::class_<TransferCurve>(m, "TransferCurve",
                              "A t-z curve: unit load transfer (psi or kPa) against movement (in or m).")
        .def_readonly("number", &TransferCurve::number)
        .def_readonly("depth", &TransferCurve::depth, "below ground (ft or m)")
        .def_readonly("movement", &TransferCurve::movement)
        .def_readonly("load", &TransferCurve::load)
        .def_readonly("columns", &TransferCurve::columns)
        .def("__len__", [](const TransferCurve& c) { return py::len(c.movement); })
        .def(py::pickle([](const TransferCurve& c) { return py::make_tuple(c.number, c.depth, c.columns); },
                        &transferCurveFrom))
        .def("__repr__", [](const TransferCurve& c) {
            return "<vorta.TransferCurve " + std::to_string(c.number) + " at " + std::to_string(c.depth) + ", " +
                   std::to_string(py::len(c.movement)) + " points>";
        });

    py::class_<LoadDistribution>(m, "LoadDistribution",
                                 "Axial load and movement at the mid-points of the segments, from the tip upward.")
        .def_readonly("distance_from_head", &LoadDistribution::distanceFromHead, "ft or m")
        .def_readonly("axial_load", &LoadDistribution::axialLoad, "kips or kN")
        .def_readonly("movement", &LoadDistribution::movement, "in or m")
        .def_readonly("columns", &LoadDistribution::columns)
        .def("__len__", [](const LoadDistribution& d) { return py::len(d.axialLoad); })
        .def(py::pickle([](const LoadDistribution& d) { return py::make_tuple(d.columns); },
                        [](const py::tuple& s) { return distributionFrom(s[0].cast<py::dict>()); }));

    py::class_<LoadStep>(m, "LoadStep", "One step of the load-settlement curve.")
        .def_readonly("top_load", &LoadStep::topLoad, "kips or kN")
        .def_readonly("top_movement", &LoadStep::topMovement, "in or m")
        .def_readonly("tip_load", &LoadStep::tipLoad, "kips or kN")
        .def_readonly("tip_movement", &LoadStep::tipMovement, "in or m")
        .def_readonly("distribution", &LoadStep::distribution)
        .def(py::pickle(
            [](const LoadStep& s) {
                return py::make_tuple(s.topLoad, s.topMovement, s.tipLoad, s.tipMovement, s.distribution);
            },
            [](const py::tuple& t) {
                LoadStep s;
                s.topLoad = t[0].cast<double>();
                s.topMovement = t[1].cast<double>();
                s.tipLoad = t[2].cast<double>();
                s.tipMovement = t[3].cast<double>();
                s.distribution = t[4].cast<LoadDistribution>();
                return s;
            }))
        .def("__repr__", [](const LoadStep& s) {
            return "<vorta.LoadStep top load " + std::to_string(s.topLoad) + ", top movement " +
                   std::to_string(s.topMovement) + ">";
        });

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
        .def("__repr__", [](const vorta::CheckOutcome& c) {
            return "<vorta.CheckOutcome status " + std::to_string(c.status) + ", " + std::to_string(c.problems.size()) +
                   " problems>";
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
        .def_readonly("tables", &Result::tables, "the printed capacity tables, in report order")
        .def_readonly("layer_curves", &Result::layerCurves)
        .def_readonly("tip_curve", &Result::tipCurve)
        .def_readonly("load_steps", &Result::loadSteps)
        .def_readonly("verification_curves", &Result::verificationCurves)
        .def_readonly("report_text", &Result::reportText,
                      "the report of a run in memory when kept (run(keep_text=True)), else None")
        .def_readonly("plot_text", &Result::plotText,
                      "the plot data of a run in memory when kept (run(keep_text=True)), else None")
        .def(py::pickle(
            [](const Result& r) {
                return py::make_tuple(r.status, r.messages, r.console, r.title, r.designer, r.jobNumber, r.unitSystem,
                                      r.loadTransferMethod, r.tables, r.layerCurves, r.tipCurve, r.loadSteps,
                                      r.verificationCurves, r.reportText, r.plotText, r.problems);
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
                return r;
            }))
        .def("__repr__", [](const Result& r) {
            return "<vorta.Result status " + std::to_string(r.status) + ", " + countText(r.tables, "tables") + ", " +
                   countText(r.loadSteps, "load steps") + ">";
        });
}

}  // namespace vorta::python
