// vorta batch: many analyses in one call, each case folder run on its own state in a pool of
// threads, with a progress line on the console and a summary table of the results.
#pragma once

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/result.h"
#include "vorta/vorta.h"

namespace vorta::cli {

// One case of a batch: a folder that holds a names.dat, a project file, or an argument that gave
// no case to run.
struct BatchCase {
    std::string name;              // as the summary and the messages show it
    std::filesystem::path folder;  // the folder whose names.dat the run reads
    std::string problem;           // why the argument gave no case (empty: a case to run)
    std::filesystem::path projectFile;  // a project file (.toml) to run instead of names.dat
};

// The report and plot-data file of a project file's run: beside it, with .out and .plt.
std::filesystem::path projectReportFile(const std::filesystem::path& projectFile);
std::filesystem::path projectPlotFile(const std::filesystem::path& projectFile);

// The cases named by the arguments. A folder with a names.dat is a case, and so is a project file
// (.toml); any other folder is searched at every depth for folders with a names.dat and for
// project files, in name order, without searching below a case folder and without following
// symbolic links to folders. A case found twice is run once. An argument that is neither, or
// under which no case is found, becomes an entry with its problem set, so that it shows in the
// summary and in the exit code.
std::vector<BatchCase> findCases(std::span<const std::filesystem::path> arguments);

// The last printed row of one result table.
struct TableSummary {
    int selection = 0;  // 1 FHWA ... 9 UWA
    bool tension = false;
    bool hasRows = false;
    CapacityRow lastRow;
};

// What the summary keeps of one run: small, so that a batch of many cases stays small in memory.
struct CaseSummary {
    RunStatus status = kRunFileError;
    std::string title;
    int unitSystem = 0;
    int loadTransferMethod = 0;
    std::vector<std::string> messages;  // why the run stopped or failed, and warnings
    int advisories = 0;                 // what the run assumed (AnalysisResult::problems)
    std::vector<TableSummary> tables;   // in report order
    std::vector<DesignAnswer> design;   // the design answers, when the analysis gives design loads
    bool hasLoadStep = false;
    double topLoad = 0.0;      // at the last load step, kips or kN
    double topMovement = 0.0;  // at the last load step, in or m
    std::string console;       // the run's console text, kept when the run did not complete
};

CaseSummary summarizeRun(RunStatus status, const AnalysisResult& result);

struct BatchOptions {
    unsigned jobs = 0;                   // threads; 0: one per core
    std::optional<LocalDateTime> clock;  // fixed header time of every report; empty: the local time
    std::ostream* progress = nullptr;    // where the progress line goes; nullptr: no progress line
    bool progressInPlace = false;        // a terminal: the line is rewritten in place until the end
    std::chrono::milliseconds progressInterval{100};
};

struct BatchRun {
    std::vector<BatchCase> cases;
    std::vector<CaseSummary> outcomes;  // one per case, in the order of `cases`
    unsigned jobs = 0;                  // threads that ran the cases
    double seconds = 0.0;               // wall-clock time of the whole batch
    int completed = 0;
    int stoppedOnInput = 0;
    int fileErrors = 0;
};

// Runs every case. Cases whose report or plot-data file is also a file of an earlier case of the
// batch are not run (status 2), because two runs writing one file at once would spoil both.
BatchRun runBatch(std::vector<BatchCase> cases, const BatchOptions& options);

// 0 when every case completed, 1 when a case stopped on its input and none failed on a file, 2
// when a file could not be used.
int batchExitCode(const BatchRun& run);

// The progress line: cases done of all, failed, elapsed time and rate.
std::string progressLine(int done, int total, int failed, double seconds);

// The summary table, its header first: one record per case and printed method table (and design
// load, when the analysis gives design loads; the design columns only when a case has some); a
// case with no table, or that did not complete, has one record with its status, messages and count
// of advisories and no numbers.
std::vector<std::vector<std::string>> summaryTable(const BatchRun& run);

// Writes the summary table as a CSV file; false with `error` set when the file cannot be written.
bool writeSummary(const BatchRun& run, const std::filesystem::path& file, std::string& error);

// Short name of a method by its selection index (empty outside 1..9).
std::string_view methodName(int selection);

// The batch command: vorta batch DIR... [--jobs N] [--summary FILE.csv]. Returns the exit code
// (64 for a usage error). The progress line goes to `out` only when `outIsTerminal`.
int runBatchCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                    bool outIsTerminal, const std::optional<LocalDateTime>& clock = std::nullopt);

// The same on the standard streams, with the progress line when standard output is a terminal.
int runBatchCommand(std::span<const std::string_view> args);

inline constexpr int kBatchUsageError = 64;

}  // namespace vorta::cli
