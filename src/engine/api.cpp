#include <memory>

#include "engine/analysis_state.h"
#include "engine/run_driver.h"
#include "vorta/vorta.h"

namespace vorta {

std::string_view engineVersion() { return VORTA_VERSION; }

namespace {

// A cleared state for one run. Every member of the state has an initialiser, so default
// initialisation clears it; value initialisation (make_unique) would zero the whole record first
// and clear it a second time.
std::unique_ptr<AnalysisState> newAnalysisState() { return std::unique_ptr<AnalysisState>(new AnalysisState); }

}  // namespace

RunStatus runInDirectory(const std::filesystem::path& workingDirectory, const RunOptions& options) {
    auto state = newAnalysisState();
    RunRequest request;
    request.workingDirectory = workingDirectory;
    request.useRunControlFile = true;
    request.options = options;
    return runRequest(*state, request);
}

RunStatus runOnFiles(const RunFiles& files, const RunOptions& options) {
    auto state = newAnalysisState();
    RunRequest request;
    request.useRunControlFile = false;
    request.names.versionText = files.versionText;
    request.names.inputFileName = files.input.string();
    request.names.reportFileName = files.report.string();
    request.names.plotFileName = files.plot.string();
    request.names.cptFileName = files.cpt.string();
    request.options = options;
    return runRequest(*state, request);
}

RunStatus runAnalysis(const Analysis& analysis, const RunOptions& options) {
    auto state = newAnalysisState();
    RunRequest request;
    request.useRunControlFile = false;
    request.analysis = &analysis;
    request.names.versionText = options.versionText;
    request.names.inputFileName = options.sourceName;
    request.names.inputInMemory = options.sourceName.empty();
    request.names.reportFileName = options.report.string();
    request.names.plotFileName = options.plot.string();
    request.options = options;
    return runRequest(*state, request);
}

CheckOutcome checkAnalysis(const Analysis& analysis, ValueSource source, const SourceLines* sourceLines,
                           const std::string& sourceName) {
    auto state = newAnalysisState();
    state->input.lightSoilDepth = 99999.0;
    state->input.tensionReductionFactor = 1.0;
    return checkInputOf(*state, analysis, ValuePlaces{analysis, source, sourceLines, sourceName});
}

std::string_view severityName(Severity severity) {
    switch (severity) {
        case Severity::Stop: return "stop";
        case Severity::FileError: return "file_error";
        case Severity::Warning: return "warning";
        case Severity::Advisory: return "advisory";
    }
    return "";
}

Problem makeAdvisory(std::string code, std::string path, std::string message) {
    Problem p;
    p.severity = Severity::Advisory;
    p.code = std::move(code);
    p.path = std::move(path);
    p.message = std::move(message);
    return p;
}

int statusOf(const std::vector<Problem>& problems) {
    int status = kRunCompleted;
    for (const Problem& p : problems) {
        if (p.severity == Severity::FileError) return kRunFileError;
        if (p.severity == Severity::Stop) status = kRunStoppedOnInput;
    }
    return status;
}

}  // namespace vorta
