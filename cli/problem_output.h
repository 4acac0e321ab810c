// The problems of an analysis on the command line: one line each, a list of the advisories after a
// run, and the JSON that `vorta check FILE --json` prints for the page and other programs.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "vorta/problems.h"
#include "vorta/vorta.h"

namespace vorta::cli {

// "FILE:LINE: message" for a stop or a file error, "FILE:LINE: warning: message" and
// "FILE:LINE: advisory: message [code]" for the others; the problem's own file when it names one,
// else `file` (none when both are empty); no line when none is known.
std::string problemLine(const Problem& p, const std::string& file);

// The advisories among `problems`, under a line with their count; nothing when there is none.
void printAdvisories(std::ostream& out, const std::vector<Problem>& problems, const std::string& file);

// The problems of a file that cannot be used: each line of the error's message.
std::vector<Problem> fileErrorProblems(const std::string& message);

// Whether this build writes JSON (nlohmann json was found).
bool jsonSupported();

// {"status": 1, "problems": [{"severity", "code", "path" (or null), "line" (or null), "message"}]}
std::string problemsJson(RunStatus status, const std::vector<Problem>& problems);

}  // namespace vorta::cli
