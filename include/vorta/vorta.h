// C++ interface of the VORTA engine for callers other than the desktop front end: the
// command-line program, scripts and tests. Each call runs one complete analysis on its own
// state, so several analyses may run at once in one process as long as they use different files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "vorta/result.h"

namespace vorta {

// Status of a run, as the exported entry returns it.
using RunStatus = std::int32_t;
inline constexpr RunStatus kRunCompleted = 0;       // both output files are complete
inline constexpr RunStatus kRunStoppedOnInput = 1;  // the report says why the analysis stopped
inline constexpr RunStatus kRunFileError = 2;       // a file was missing, unreadable or malformed

// A file that cannot be used (missing, unreadable, malformed or cut short), or an analysis that
// cannot be stated: the message names the file, the line, the record and what was expected. A run
// reports it with status 2.
class InputError : public std::runtime_error {
public:
    explicit InputError(const std::string& message) : std::runtime_error(message) {}
};

// Date and time printed in the report header.
struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// The line of each key of a project file where a value was given ("pile.outside_diameter",
// "layers[2].friction_angle", "load_transfer.tip_movements[3]", "cpt.points[5]"), so that a message
// about a value can name its line.
using SourceLines = std::map<std::string, int, std::less<>>;

// Where the values of an analysis were given, for the messages that name them: an input data file
// (soil point and column, or record), a project file (its keys) or a program (the model's field
// names).
enum class ValueSource { Program, InputDeck, ProjectFile };

struct RunOptions {
    std::ostream* console = nullptr;       // banner, progress and messages; nullptr: standard output
    std::istream* consoleInput = nullptr;  // answers to the file-name prompts; nullptr: standard input
    std::optional<LocalDateTime> clock;    // fixed header time; empty: the local time of the run
    AnalysisResult* result = nullptr;      // when given, filled with the run's results as they are written

    // For runAnalysis on an analysis in memory only (the other entries take their files elsewhere):
    std::filesystem::path report;  // empty: the report is kept as text in result->reportText
    std::filesystem::path plot;    // empty: the plot data are kept as text in result->plotText
    std::string sourceName;        // the file the analysis was read from, named in the report header;
                                   // empty: the header says that it was given in memory
    std::string versionText;       // shown in the banner; empty: the engine's own version
    ValueSource sourceKind = ValueSource::Program;  // what sourceName is
    const SourceLines* sourceLines = nullptr;  // of the project file named by sourceName, for messages
};

// Runs on the names.dat of `workingDirectory`, as the front end does, without changing the
// process's working directory: relative file names are taken relative to that directory.
RunStatus runInDirectory(const std::filesystem::path& workingDirectory, const RunOptions& options = {});

// Runs on explicit files. An empty `cpt` path means a sounding with no points.
struct RunFiles {
    std::filesystem::path input;
    std::filesystem::path report;
    std::filesystem::path plot;
    std::filesystem::path cpt;
    std::string versionText;  // shown in the banner; empty: the engine's own version
};
RunStatus runOnFiles(const RunFiles& files, const RunOptions& options = {});

// Version of this engine build, as the banner shows it when names.dat gives none
// (VORTA_VERSION_STRING of vorta/version.h).
std::string_view engineVersion();

// The four files a run-control file (names.dat) names, as a run reads them; a name that the file
// does not give is empty. Throws InputError when the file cannot be read.
struct RunControlFiles {
    std::string input;
    std::string report;
    std::string plot;
    std::string cpt;
};
RunControlFiles readRunControlFiles(const std::filesystem::path& runControlFile);

// Whether two names name one file (one that exists, or one that would be the same once made; links
// included).
bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// A number as the report prints it, without the blanks of its column: fixed point with `decimals`
// digits after the point, or exponent form (0.dddE+xx) with `digits` digits.
std::string printedFixed(double value, int decimals);
std::string printedExponent(double value, int digits);

// A number as the engine reads one from its files (a Fortran integer or real constant, blanks
// around it not allowed); false when the text is not one.
bool parseInteger(std::string_view text, int& value);
bool parseReal(std::string_view text, double& value);

}  // namespace vorta
