#include "problems.h"

#include <algorithm>

namespace vorta::server {
namespace {

// The key of a range problem in a project file: its place without the words in brackets
// ("layers[2].friction_angle (bottom, soil point 4)" -> "layers[2].friction_angle").
std::string keyOf(const RangeProblem& p) { return p.place.substr(0, p.place.find(" (")); }

// The message of a range problem beside its input, which names the key already: the words in
// brackets of its place, then what is wrong ("bottom, soil point 4: the friction angle 95 deg ...").
std::string messageBesideKey(const RangeProblem& p) {
    std::string what = p.message.substr(std::min(p.message.size(), p.place.size() + 2));
    const std::size_t open = p.place.find(" (");
    if (open == std::string::npos || p.place.back() != ')') return what;
    return p.place.substr(open + 2, p.place.size() - open - 3) + ": " + what;
}

}  // namespace

std::vector<Problem> statementProblems(const project::ProjectError& error) {
    std::vector<Problem> problems;
    for (const project::ProjectProblem& p : error.details()) problems.push_back({"error", "statement", p.key, p.line, p.what});
    return problems;
}

CheckAnswer checkProblems(const Analysis& analysis) {
    CheckAnswer answer;
    const std::vector<RangeProblem> ranges = checkRanges(analysis, ValueSource::ProjectFile);
    const CheckOutcome outcome = checkAnalysis(analysis, ValueSource::ProjectFile);
    answer.status = outcome.status;
    // Every value out of range by its key, in the words of the range check; the engine's own
    // message about the same value ("... GIVEN AS layers[2].friction_angle (bottom, ...") is not
    // repeated.
    for (const RangeProblem& r : ranges) answer.problems.push_back({"error", "range", keyOf(r), 0, messageBesideKey(r)});
    for (const std::string& message : outcome.problems) {
        const bool restated = std::any_of(ranges.begin(), ranges.end(), [&](const RangeProblem& r) {
            return message.find("GIVEN AS " + r.place) != std::string::npos;
        });
        if (!restated) answer.problems.push_back({"error", outcome.status == kRunFileError ? "file" : "input", "", 0, message});
    }
    for (const std::string& warning : outcome.warnings) answer.problems.push_back({"warning", "input", "", 0, warning});
    return answer;
}

nlohmann::ordered_json problemsJson(const std::vector<Problem>& problems, std::size_t limit) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (std::size_t i = 0; i < problems.size() && i < limit; ++i) {
        const Problem& p = problems[i];
        list.push_back({{"severity", p.severity},
                        {"code", p.code},
                        {"path", p.path.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(p.path)},
                        {"line", p.line > 0 ? nlohmann::ordered_json(p.line) : nlohmann::ordered_json()},
                        {"message", p.message}});
    }
    if (problems.size() > limit) {
        list.push_back({{"severity", "error"},
                        {"code", "statement"},
                        {"path", nullptr},
                        {"line", nullptr},
                        {"message", "and " + std::to_string(problems.size() - limit) + " more problems"}});
    }
    return list;
}

}  // namespace vorta::server
