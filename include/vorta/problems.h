// What the engine found in an analysis, as data: the stops of its input checks, the files it could
// not use, its warnings, and the advisories that say what a run quietly assumed. A run keeps them
// in AnalysisResult::problems; checkAnalysis returns the same list without running. The command
// line, the Python package and the page read these fields; none of them reads report text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vorta {

enum class Severity {
    Stop,       // the run stops on its input (status 1)
    FileError,  // a file cannot be used, or the analysis cannot be loaded (status 2)
    Warning,    // written to the console; the run goes on
    Advisory,   // never in the report: what the run assumed that the engineer should check
};

// "stop", "file_error", "warning" or "advisory", as JSON and Python write a severity.
std::string_view severityName(Severity severity);

struct Problem {
    Severity severity = Severity::Advisory;
    std::string code;      // stable: "out_of_range", "profile_too_short", "clay_without_strength", ...
    // The key of a project file the problem concerns, counted as the project file counts (layers and
    // rows from 1): "pile.length", "layers[2].shear_strength", "cpt.points[5]",
    // "load_transfer.tip_movements[2]"; empty when it concerns no one value.
    std::string path;
    std::string layerEnd;  // "top" or "bottom": the end of the layer whose value it is; empty otherwise
    int soilPoint = 0;     // the soil point (from 1) where it applies; 0: none
    std::optional<double> value;  // the value concerned, as given
    std::string unit;             // its unit in the analysis's unit system ("" when it has none)
    std::string allowed;          // the allowed range, where there is one ("0 to below 90 deg")
    std::string file;      // the file where the value was given; empty: a program gave it
    int line = 0;          // its line in a project file; 0: not known
    std::string place;     // where an input data file holds it: "soil point 3, column 4", "record 5, value 3"
    std::string message;   // one line

    bool stops() const { return severity == Severity::Stop || severity == Severity::FileError; }
};

// An advisory of code elsewhere than the checks (the design answers add theirs to a run's result):
// a stable code, the key it concerns (may be empty) and a one-line message.
Problem makeAdvisory(std::string code, std::string path, std::string message);

// The status that a list of problems gives a run: 2 with a file error, 1 with a stop, else 0.
int statusOf(const std::vector<Problem>& problems);

}  // namespace vorta
