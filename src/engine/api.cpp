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

CheckOutcome checkAnalysis(const Analysis& analysis, ValueSource source) {
    auto state = newAnalysisState();
    state->input.lightSoilDepth = 99999.0;
    state->input.tensionReductionFactor = 1.0;
    return checkInputOf(*state, analysis, source);
}

}  // namespace vorta
