#include "problems.h"

namespace vorta::server {

std::vector<Problem> statementProblems(const project::ProjectError& error) {
    std::vector<Problem> problems;
    for (const project::ProjectProblem& p : error.details()) problems.push_back({"error", "statement", p.key, p.line, p.what});
    return problems;
}

CheckAnswer checkProblems(const Analysis& analysis) {
    CheckAnswer answer;
    const CheckOutcome outcome = checkAnalysis(analysis, ValueSource::ProjectFile);
    answer.status = outcome.status;
    // The engine's problems as they are: each by its key, code and message.
    for (const vorta::Problem& p : outcome.problems) {
        const std::string severity = p.stops() ? "error" : std::string(severityName(p.severity));
        answer.problems.push_back({severity, p.code, p.path, p.line, p.message});
    }
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
