#include <memory>

#include "engine/analysis_state.h"
#include "engine/run_driver.h"
#include "vorta/vorta.h"

namespace vorta {

std::string_view engineVersion() { return VORTA_VERSION; }

RunStatus runInDirectory(const std::filesystem::path& workingDirectory, const RunOptions& options) {
    auto state = std::make_unique<AnalysisState>();
    RunRequest request;
    request.workingDirectory = workingDirectory;
    request.useRunControlFile = true;
    request.options = options;
    return runAnalysis(*state, request);
}

RunStatus runOnFiles(const RunFiles& files, const RunOptions& options) {
    auto state = std::make_unique<AnalysisState>();
    RunRequest request;
    request.useRunControlFile = false;
    request.names.versionText = files.versionText;
    request.names.inputFileName = files.input.string();
    request.names.reportFileName = files.report.string();
    request.names.plotFileName = files.plot.string();
    request.names.cptFileName = files.cpt.string();
    request.options = options;
    return runAnalysis(*state, request);
}

}  // namespace vorta
