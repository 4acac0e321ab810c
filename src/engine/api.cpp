#include <memory>
#include <sstream>

#include "engine/analysis_state.h"
#include "engine/run_control.h"
#include "engine/run_driver.h"
#include "input/free_format_reader.h"
#include "vorta/version.h"
#include "vorta/vorta.h"

namespace vorta {

std::string_view engineVersion() { return VORTA_VERSION_STRING; }

namespace {

// A cleared state for one run. Every member of the state has an initialiser, so default
// initialisation clears it; value initialisation (make_unique) would zero the whole record first
// and clear it a second time.
std::unique_ptr<AnalysisState> newAnalysisState() { return std::unique_ptr<AnalysisState>(new AnalysisState); }

}  // namespace

RunControlFiles readRunControlFiles(const std::filesystem::path& runControlFile) {
    auto state = newAnalysisState();
    // A names.dat that asks for file names gets empty answers, and nothing goes to the console.
    std::istringstream noAnswers;
    state->console.attach(nullptr);
    state->consoleInput = &noAnswers;
    readRunControl(*state, runControlFile);
    const RunControl& rc = state->runControl;
    return RunControlFiles{rc.inputFileName, rc.reportFileName, rc.plotFileName, rc.cptFileName};
}

// In a field wide enough that a value too wide for the report's column still shows.
std::string printedFixed(double value, int decimals) { return trimmed(formatFixed(value, 40, decimals)); }
std::string printedExponent(double value, int digits) { return trimmed(formatExponent(value, 40, digits)); }

bool parseInteger(std::string_view text, int& value) { return FreeFormatReader::parseInteger(text, value); }
bool parseReal(std::string_view text, double& value) { return FreeFormatReader::parseReal(text, value); }


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
