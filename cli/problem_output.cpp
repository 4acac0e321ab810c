#include "problem_output.h"

#include <algorithm>
#include <ostream>
#include <sstream>

#ifndef VORTA_JSON
#define VORTA_JSON 0
#endif
#if VORTA_JSON
#include <nlohmann/json.hpp>
#endif

namespace vorta::cli {

std::string problemLine(const Problem& p, const std::string& file) {
    std::string line = p.file.empty() ? file : p.file;
    if (p.line > 0) line += ":" + std::to_string(p.line);
    if (!line.empty()) line += ": ";
    if (p.severity == Severity::Warning || p.severity == Severity::Advisory) line += std::string(severityName(p.severity)) + ": ";
    line += p.message;
    if (p.severity == Severity::Advisory) line += " [" + p.code + "]";
    return line;
}

void printAdvisories(std::ostream& out, const std::vector<Problem>& problems, const std::string& file) {
    const auto count = std::count_if(problems.begin(), problems.end(), [](const Problem& p) { return p.severity == Severity::Advisory; });
    if (count == 0) return;
    out << "\n" << count << (count == 1 ? " advisory" : " advisories")
        << " (what the run assumed; docs/advisories.md says what to check):\n";
    for (const Problem& p : problems) {
        if (p.severity == Severity::Advisory) out << "  " << problemLine(p, file) << "\n";
    }
}

std::vector<Problem> fileErrorProblems(const std::string& message) {
    std::vector<Problem> problems;
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);) {
        Problem p;
        p.severity = Severity::FileError;
        p.code = "file_error";
        p.message = line;
        problems.push_back(std::move(p));
    }
    return problems;
}

bool jsonSupported() { return VORTA_JSON != 0; }

std::string problemsJson(RunStatus status, const std::vector<Problem>& problems) {
#if VORTA_JSON
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Problem& p : problems) {
        list.push_back({{"severity", severityName(p.severity)},
                        {"code", p.code},
                        {"path", p.path.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(p.path)},
                        {"line", p.line > 0 ? nlohmann::ordered_json(p.line) : nlohmann::ordered_json()},
                        {"message", p.message}});
    }
    const nlohmann::ordered_json answer = {{"status", status}, {"problems", list}};
    return answer.dump(2) + "\n";
#else
    (void)status;
    (void)problems;
    return "";
#endif
}

}  // namespace vorta::cli
