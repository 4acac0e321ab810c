// The order of a run: run-control file, header, input, checks, echo, the two passes, and the
// ways a run ends.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "engine/analysis_state.h"
#include "input/input.h"
#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta {

struct RunRequest {
    std::filesystem::path workingDirectory;  // relative file names resolve against it
    // Read the file names from names.dat in the working directory (the front end's way); when
    // false, `names` gives them and a CPT file name that is empty means a sounding with no points.
    bool useRunControlFile = true;
    RunControl names;
    RunOptions options;
    // An analysis given as a model: no input data file or CPT file is read; names.inputFileName
    // is the file it came from (empty: given in memory), and a report or plot-data file name that
    // is empty keeps that output as text in the result.
    const Analysis* analysis = nullptr;
};

// A text less its leading and trailing blanks.
std::string trimmed(const std::string& text);

// Runs one analysis on a fresh state. Never throws.
RunStatus runRequest(AnalysisState& s, const RunRequest& request);

// The end of a run whose output guard refused a number that is not finite: the report gets the
// reason, naming the table or curve and the row; status 1.
RunStatus stopOnNonFinite(AnalysisState& s);

// The input checks of a run, in its order, each stage only when the ones before let the run go on:
// the values and their ranges; the advisories and the soil profile against the pile; then, as a run
// goes on, the progress line, the input echo, the thin soil intervals and the segment count. Each
// problem's lines go to the console and the report as it is found (nowhere when they are not
// attached) and the problem is added to `found`. False when the run stops on its input.
bool runInputChecks(AnalysisState& s, const ValuePlaces& places, CheckedProblems& found);

// The input checks of a run on an analysis, without running it (checkAnalysis): the problems that
// runInputChecks finds, on a state with nothing attached.
CheckOutcome checkInputOf(AnalysisState& s, const Analysis& analysis, const ValuePlaces& places);

}  // namespace vorta
