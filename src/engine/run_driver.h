// The order of a run: run-control file, header, input, checks, echo, the two passes, and the
// ways a run ends.
#pragma once

#include <filesystem>
#include <optional>

#include "engine/analysis_state.h"
#include "vorta/vorta.h"

namespace vorta {

struct RunRequest {
    std::filesystem::path workingDirectory;  // relative file names resolve against it
    // Read the file names from names.dat in the working directory (the front end's way); when
    // false, `names` gives them and a CPT file name that is empty means a sounding with no points.
    bool useRunControlFile = true;
    RunControl names;
    RunOptions options;
};

// Runs one analysis on a fresh state. Never throws.
RunStatus runAnalysis(AnalysisState& s, const RunRequest& request);

}  // namespace vorta
