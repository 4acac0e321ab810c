// Helpers shared by the test programs: temporary folders, files, fresh states and whole runs.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "engine/analysis_state.h"
#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta::test {

// The clock of every test run: 5 March 2024, 09:07:03.
inline constexpr LocalDateTime kFixedClock{2024, 3, 5, 9, 7, 3};

// A new, empty folder for one test, removed with the object.
class TempDir {
public:
    explicit TempDir(std::string_view name);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / std::string(name); }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, std::string_view text);

// A cleared state with the values a run starts from (lightSoilDepth 99999, tension factor 1).
std::unique_ptr<AnalysisState> newState();

// A whole run on texts: the input data file and the CPT file are written into a fresh folder and
// the engine runs on them with the fixed clock.
struct RunResult {
    RunStatus status = kRunCompleted;
    std::string report;
    std::string plot;
    std::string console;
    AnalysisResult result;
};
RunResult runOnTexts(std::string_view inputText, std::string_view cptText);

// The report with the lines that differ from run to run (the path of the input file and the date
// and time of the analysis) replaced by fixed markers.
std::string maskRunSpecificLines(std::string_view report);

// Compares a text with a golden file under the source tree (path relative to the source root),
// line by line, and reports the first differing lines. With VORTA_UPDATE_GOLDEN=1 in the
// environment the golden file is written instead (review the difference before committing it).
::testing::AssertionResult matchesGolden(std::string_view actual, const std::string& goldenPath);

// Full path of a file in the source tree.
std::filesystem::path sourcePath(const std::string& relative);

// The example analyses: the folders under examples/ that hold a names.dat, in name order.
std::vector<std::string> exampleNames();

// A report less its header (everything up to and including the line with the date of the
// analysis), which names the input and the time; the whole report when it has no date line.
std::string reportAfterHeader(const std::string& report);

// A run of an analysis in memory with the fixed clock and the version text "T": the report's
// header, the report after it, the plot data and the in-memory results. `sourceName` is the file
// the analysis was read from (empty: given in memory), `lines` the lines of that project file.
struct ModelRun {
    RunStatus status = kRunFileError;
    std::string header;
    std::string report;
    std::string plot;
    AnalysisResult result;
};
ModelRun runModel(const Analysis& analysis, const std::string& sourceName = "", ValueSource kind = ValueSource::Program,
                  const SourceLines* lines = nullptr);

// The command-line program run in `folder` with `arguments` (standard error joined to standard
// output, no standard input): its exit code (-1 when it did not exit) and what it wrote.
struct CliRun {
    int exitCode = -1;
    std::string output;
};
CliRun runCli(const std::string& arguments, const std::filesystem::path& folder);
// Whether the command-line program was built with the tests.
bool cliBuilt();

// The lines a Fortran program (its source as text) writes to out.txt when built with the Fortran
// compiler found at configuration time and run in `dir`; empty, with a failure added, when it does
// not build or run. `fortranFound()` says whether there is a compiler.
bool fortranFound();
std::vector<std::string> fortranOutput(const TempDir& dir, const std::string& program);

// An input data file and its CPT file, given as texts, read into a model (named case.dat and case.cpt).
Analysis readDeckTexts(const std::string& deck, const std::string& cpt);

// Lines of a text, without their newlines.
std::vector<std::string> splitLines(std::string_view text);

}  // namespace vorta::test
