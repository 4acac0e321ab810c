// The results of one analysis as Python objects: the capacity tables (every row), the load-transfer
// curves and the load-settlement steps, with columns as numpy arrays when numpy can be imported
// and lists of floats otherwise.
#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>
#include <vector>

#include "vorta/result.h"

namespace vorta::python {

namespace py = pybind11;

// The Python-side objects. Each keeps its columns, in print order, in the dict `columns`
// (pandas.DataFrame(table.columns) makes a frame of the table); the attribute of each column is
// bound from the result field tables and reads the dict.
struct Table {
    int method = 0;
    std::string title;
    bool tension = false;
    bool battered = false;
    bool plugColumn = false;
    py::dict columns;
    bool rowsAsDriven = false;
    py::object drivenCapacity = py::none();  // the design answers' capacity per row; empty without design loads
};

struct Curve {
    py::dict columns;
};

struct TransferCurve {
    int number = 0;
    double depth = 0.0;
    py::dict columns;
};

struct LoadDistribution {
    py::dict columns;
};

struct LoadStep {
    vorta::LoadStep values;  // the top and tip loads and movements; not its distribution
    LoadDistribution distribution;
};

struct Result {
    int status = 0;
    std::vector<std::string> messages;
    std::vector<vorta::Problem> problems;  // the engine's problems of the run, advisories included
    std::string console;
    std::string title, designer, jobNumber;
    int unitSystem = 0;
    int loadTransferMethod = 0;
    std::vector<Table> tables;
    std::vector<TransferCurve> layerCurves;
    Curve tipCurve;
    std::vector<LoadStep> loadSteps;
    std::vector<TransferCurve> verificationCurves;
    std::vector<vorta::DesignAnswer> design;
    std::optional<std::string> reportText;  // kept only when asked for
    std::optional<std::string> plotText;

    std::string units() const {
        if (unitSystem == 1) return "English";
        if (unitSystem == 2) return "SI";
        return "";
    }
};

// A result from the engine's; the report and plot-data texts are taken from it when keepText.
Result makeResult(const vorta::AnalysisResult& r, std::string console, bool keepText = false);

// The result of a run that never reached the engine (a file that cannot be read).
Result failedResult(int status, std::vector<std::string> messages);

void bindResults(py::module_& m);

}  // namespace vorta::python
