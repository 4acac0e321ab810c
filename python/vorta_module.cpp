// The Python module vorta: runs one analysis in process and hands its results back as Python
// objects (numpy arrays when numpy can be imported, lists of floats otherwise). The engine runs
// with the interpreter lock released, so threads of one process run analyses side by side.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "vorta/result.h"
#include "vorta/vorta.h"

namespace py = pybind11;

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

// The Python-side objects. Each keeps its columns both as attributes and, in print order, in the
// dict `columns` (pandas.DataFrame(table.columns) makes a frame of the table).
struct Table {
    int method = 0;
    std::string title;
    bool tension = false;
    bool battered = false;
    bool plugColumn = false;
    py::object pileLength, depth, skinFriction, tipResistance, ultimateCapacity, unitFriction, plugLength, plugMark;
    py::dict columns;
};

struct Curve {
    py::object movement, load;
    py::dict columns;
};

struct TransferCurve {
    int number = 0;
    double depth = 0.0;
    py::object movement, load;
    py::dict columns;
};

struct LoadDistribution {
    py::object distanceFromHead, axialLoad, movement;
    py::dict columns;
};

struct LoadStep {
    double topLoad = 0.0;
    double topMovement = 0.0;
    double tipLoad = 0.0;
    double tipMovement = 0.0;
    LoadDistribution distribution;
};

struct Result {
    int status = 0;
    std::vector<std::string> messages;
    std::string console;
    std::string title, designer, jobNumber;
    int unitSystem = 0;
    int loadTransferMethod = 0;
    std::vector<Table> tables;
    std::vector<TransferCurve> layerCurves;
    Curve tipCurve;
    std::vector<LoadStep> loadSteps;
    std::vector<TransferCurve> verificationCurves;

    std::string units() const {
        if (unitSystem == 1) return "English";
        if (unitSystem == 2) return "SI";
        return "";
    }
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

Result makeResult(const vorta::AnalysisResult& r, std::string console) {
    const ColumnMaker col;
    Result out;
    out.status = r.status;
    out.messages = r.messages;
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
        std::filesystem::remove_all(path_, ec);
    }

    const std::filesystem::path& path() {
        if (path_.empty()) {
            py::object made = py::module_::import("tempfile").attr("mkdtemp")(py::arg("prefix") = "vorta-");
            path_ = made.cast<std::filesystem::path>();
        }
        return path_;
    }

private:
    std::filesystem::path path_;
};

Result run(const std::filesystem::path& input, const std::optional<std::filesystem::path>& cpt,
           const std::optional<std::filesystem::path>& report, const std::optional<std::filesystem::path>& plot) {
    ScratchFolder scratch;
    vorta::RunFiles files;
    files.input = input;
    files.cpt = cpt.value_or(std::filesystem::path());
    files.report = report ? *report : scratch.path() / "report.out";
    files.plot = plot ? *plot : scratch.path() / "plot.plt";

    vorta::AnalysisResult result;
    std::ostringstream console;
    std::istringstream noAnswers;
    vorta::RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.result = &result;
    {
        py::gil_scoped_release release;
        vorta::runOnFiles(files, options);
    }
    return makeResult(result, console.str());
}

template <typename T>
std::string countText(const std::vector<T>& v, const char* what) {
    return std::to_string(v.size()) + " " + what;
}

}  // namespace

PYBIND11_MODULE(vorta, m) {
    m.doc() =
        "VORTA: axial capacity and short-term settlement of driven piles.\n\n"
        "vorta.run(input, cpt=None, report=None, plot=None) runs one analysis and returns its Result.";
    m.attr("__version__") = std::string(vorta::engineVersion());
    m.attr("COMPLETED") = vorta::kRunCompleted;
    m.attr("STOPPED_ON_INPUT") = vorta::kRunStoppedOnInput;
    m.attr("FILE_ERROR") = vorta::kRunFileError;

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
        .def("__repr__", [](const Table& t) {
            return "<vorta.Table " + std::to_string(t.method) + " '" + t.title + "', " +
                   std::to_string(py::len(t.pileLength)) + " rows>";
        });

    py::class_<Curve>(m, "Curve", "The tip curve: load (kips or kN) against movement (in or m).")
        .def_readonly("movement", &Curve::movement)
        .def_readonly("load", &Curve::load)
        .def_readonly("columns", &Curve::columns)
        .def("__len__", [](const Curve& c) { return py::len(c.movement); })
        .def("__repr__", [](const Curve& c) { return "<vorta.Curve, " + std::to_string(py::len(c.movement)) + " points>"; });

    py::class_<TransferCurve>(m, "TransferCurve",
                              "A t-z curve: unit load transfer (psi or kPa) against movement (in or m).")
        .def_readonly("number", &TransferCurve::number)
        .def_readonly("depth", &TransferCurve::depth, "below ground (ft or m)")
        .def_readonly("movement", &TransferCurve::movement)
        .def_readonly("load", &TransferCurve::load)
        .def_readonly("columns", &TransferCurve::columns)
        .def("__len__", [](const TransferCurve& c) { return py::len(c.movement); })
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
        .def("__len__", [](const LoadDistribution& d) { return py::len(d.axialLoad); });

    py::class_<LoadStep>(m, "LoadStep", "One step of the load-settlement curve.")
        .def_readonly("top_load", &LoadStep::topLoad, "kips or kN")
        .def_readonly("top_movement", &LoadStep::topMovement, "in or m")
        .def_readonly("tip_load", &LoadStep::tipLoad, "kips or kN")
        .def_readonly("tip_movement", &LoadStep::tipMovement, "in or m")
        .def_readonly("distribution", &LoadStep::distribution)
        .def("__repr__", [](const LoadStep& s) {
            return "<vorta.LoadStep top load " + std::to_string(s.topLoad) + ", top movement " +
                   std::to_string(s.topMovement) + ">";
        });

    py::class_<Result>(m, "Result", "The results of one analysis, as the report and plot-data file print them.")
        .def_readonly("status", &Result::status, "0 completed, 1 stopped on its input, 2 a file could not be used")
        .def_readonly("messages", &Result::messages, "why the run stopped or could not use a file, and warnings")
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
        .def("__repr__", [](const Result& r) {
            return "<vorta.Result status " + std::to_string(r.status) + ", " + countText(r.tables, "tables") + ", " +
                   countText(r.loadSteps, "load steps") + ">";
        });

    m.def("run", &run, py::arg("input"), py::arg("cpt") = py::none(), py::arg("report") = py::none(),
          py::arg("plot") = py::none(),
          "Runs one analysis on the input data file and the CPT file (None: a sounding with no points).\n"
          "The report and the plot-data file go where named, else into a temporary folder that is removed\n"
          "after the run. A run that stops or cannot use a file raises nothing: Result.status and\n"
          "Result.messages say why. The engine runs with the interpreter lock released; analyses in\n"
          "several threads must name different output files.");
}
