// The problems and warnings of an analysis, each by the key it concerns, as the API and the page
// show them.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "vorta/project.h"
#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta::server {

// One problem or warning of an analysis. `path` is the key of a project file the problem concerns
// ("pile.length", "layers[2].shear_strength", "cpt.points[5]"), the name of the page's input; empty
// when the problem concerns no one value. `line` is 0 for an analysis that was not read from a file.
struct Problem {
    std::string severity;  // "error" (the run stops or cannot start), "warning" or "advisory"
    std::string code;      // "statement": the analysis cannot be stated (a key, a type, a name);
                           // "file": a file that cannot be used; else the engine's code of the problem
                           // (docs/advisories.md: "out_of_range", "profile_too_short", ...)
    std::string path;
    int line = 0;
    std::string message;
};

// The problems of an analysis that the project reader could not state.
std::vector<Problem> statementProblems(const project::ProjectError& error);

// The engine's checks of an analysis that can be stated: the problems a run of it acts on (values
// out of range, the engine's stops, warnings and advisories), each by its key; the status a run
// would end with.
struct CheckAnswer {
    RunStatus status = kRunCompleted;
    std::vector<Problem> problems;
};
CheckAnswer checkProblems(const Analysis& analysis);

// {"severity", "code", "path" (null when empty), "line" (null when 0), "message"}, at most `limit`
// of them (a note ends a longer list).
nlohmann::ordered_json problemsJson(const std::vector<Problem>& problems, std::size_t limit = 500);

}  // namespace vorta::server
