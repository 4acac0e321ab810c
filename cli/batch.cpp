#include "batch.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <sstream>
#include <system_error>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "csv_writer.h"
#include "vorta/methods.h"
#include "vorta/project.h"

namespace vorta::cli {
namespace fs = std::filesystem;

namespace {

constexpr unsigned kMaxJobs = 256;

// ---------------------------------------------------------------------------------------------
// Finding the cases

bool isProjectFile(const fs::path& file) { return analysisFileKind(file) == ValueSource::ProjectFile; }

bool hasRunControlFile(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "names.dat", ec);
}

// A folder as the user wrote it, with '/' between names and no separator at the end.
std::string displayName(const fs::path& folder) {
    std::string name = folder.generic_string();
    while (name.size() > 1 && name.back() == '/') name.pop_back();
    return name;
}

// The folder as one key, so that a folder reached under two names is run once.
std::string folderKey(const fs::path& folder) {
    std::error_code ec;
    fs::path key = fs::weakly_canonical(folder, ec);
    if (ec) key = fs::absolute(folder, ec).lexically_normal();
    return key.generic_string();
}

// Folders with a names.dat and project files below `root`, in name order. A case folder's own
// folders and files are not searched; symbolic links to folders are taken when they are cases and
// never searched.
std::vector<fs::path> caseFoldersBelow(const fs::path& root, std::string& problem) {
    std::vector<fs::path> folders;
    std::error_code ec;
    fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        problem = "the folder cannot be searched (" + ec.message() + ")";
        return folders;
    }
    for (const fs::recursive_directory_iterator end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        const fs::directory_entry& entry = *it;
        if (entry.is_regular_file(typeError) && isProjectFile(entry.path())) {
            folders.push_back(entry.path());
            continue;
        }
        if (!entry.is_directory(typeError)) continue;
        const bool link = entry.is_symlink(typeError);
        if (hasRunControlFile(entry.path())) {
            folders.push_back(entry.path());
            if (!link) it.disable_recursion_pending();
        }
    }
    if (ec && folders.empty()) {
        problem = "the folder cannot be searched (" + ec.message() + ")";
    }
    std::sort(folders.begin(), folders.end(),
              [](const fs::path& a, const fs::path& b) { return a.generic_string() < b.generic_string(); });
    return folders;
}

// ---------------------------------------------------------------------------------------------
// Files that two cases must not share

struct CaseFile {
    fs::path path;
    const char* role;
    bool written;
};

fs::path resolvedFile(const fs::path& folder, const std::string& name) {
    fs::path p(name);
    if (!p.is_absolute()) p = folder / p;
    std::error_code ec;
    fs::path full = fs::weakly_canonical(p, ec);
    if (ec) full = fs::absolute(p, ec).lexically_normal();
    return full;
}

// The files a case's names.dat names, read as the run reads them; none when names.dat cannot be
// read (the run itself then says why).
std::vector<CaseFile> filesOfCase(const BatchCase& c) {
    std::vector<CaseFile> files;
    if (!c.projectFile.empty()) {
        const fs::path& p = c.projectFile;
        files.push_back(CaseFile{resolvedFile(p.parent_path(), projectReportFile(p).filename().string()), "report file", true});
        files.push_back(CaseFile{resolvedFile(p.parent_path(), projectPlotFile(p).filename().string()), "plot-data file", true});
        files.push_back(CaseFile{resolvedFile(p.parent_path(), p.filename().string()), "project file", false});
        return files;
    }
    const fs::path& folder = c.folder;
    RunControlFiles rc;
    try {
        rc = readRunControlFiles(folder / "names.dat");
    } catch (const InputError&) {
        return files;
    }
    auto add = [&](const std::string& name, const char* role, bool written) {
        if (!name.empty()) files.push_back(CaseFile{resolvedFile(folder, name), role, written});
    };
    add(rc.report, "report file", true);
    add(rc.plot, "plot-data file", true);
    add(rc.input, "input data file", false);
    add(rc.cpt, "CPT file", false);
    return files;
}

CaseSummary failure(RunStatus status, std::string message) {
    CaseSummary s;
    s.status = status;
    s.messages.push_back(std::move(message));
    return s;
}

// A case whose report or plot-data file is a file of an earlier case, or that reads a file an
// earlier case writes, is not run: the two runs would write into one file at the same time.
void refuseSharedFiles(BatchRun& run, std::vector<char>& settled) {
    struct Owner {
        std::size_t index;
        const char* role;
    };
    std::map<fs::path, Owner> written;
    std::map<fs::path, Owner> read;
    for (std::size_t i = 0; i < run.cases.size(); ++i) {
        if (settled[i]) continue;
        const std::vector<CaseFile> files = filesOfCase(run.cases[i]);
        std::string conflict;
        for (const CaseFile& f : files) {
            const auto w = written.find(f.path);
            if (w != written.end()) {
                conflict = f.path.string() + ": the " + f.role + " of this case is the " + w->second.role +
                           " that case " + run.cases[w->second.index].name + " writes; the case was not run";
                break;
            }
            const auto r = f.written ? read.find(f.path) : read.end();
            if (r != read.end()) {
                conflict = f.path.string() + ": the " + f.role + " of this case is the " + r->second.role +
                           " that case " + run.cases[r->second.index].name + " reads; the case was not run";
                break;
            }
        }
        if (!conflict.empty()) {
            run.outcomes[i] = failure(kRunFileError, conflict);
            settled[i] = 1;
            continue;
        }
        for (const CaseFile& f : files) (f.written ? written : read).emplace(f.path, Owner{i, f.role});
    }
}

// ---------------------------------------------------------------------------------------------
// One run

CaseSummary runCase(const BatchCase& c, const BatchOptions& options) {
    try {
        std::ostringstream console;
        std::istringstream noAnswers;  // a names.dat that asks for file names gets empty answers
        AnalysisResult result;
        RunOptions runOptions;
        runOptions.console = &console;
        runOptions.consoleInput = &noAnswers;
        runOptions.clock = options.clock;
        runOptions.result = &result;
        RunStatus status = kRunCompleted;
        if (!c.projectFile.empty()) {
            // A project file: its report and plot-data file beside it; a file it cannot be read
            // from fails the case with every problem found.
            try {
                status = runFile(RunFiles{c.projectFile, projectReportFile(c.projectFile),
                                          projectPlotFile(c.projectFile), {}, {}},
                                 runOptions);
            } catch (const InputError& e) {
                CaseSummary s;
                s.status = kRunFileError;
                std::istringstream lines(e.what());
                for (std::string line; std::getline(lines, line);) s.messages.push_back(line);
                return s;
            }
        } else {
            status = runInDirectory(c.folder, runOptions);
        }
        CaseSummary summary = summarizeRun(status, result);
        if (status != kRunCompleted) summary.console = console.str();
        return summary;
    } catch (const std::bad_alloc&) {
        return failure(kRunFileError, "not enough memory for the analysis");
    } catch (const std::exception& e) {
        return failure(kRunFileError, std::string("internal error: ") + e.what());
    } catch (...) {
        return failure(kRunFileError, "internal error");
    }
}

// ---------------------------------------------------------------------------------------------
// The summary

std::string statusText(RunStatus status) {
    switch (status) {
        case kRunCompleted: return "completed";
        case kRunStoppedOnInput: return "stopped on input";
        case kRunFileError: return "file error";
        default: return "status " + std::to_string(status);
    }
}

std::string joined(const std::vector<std::string>& messages) {
    std::string text;
    for (const std::string& m : messages) {
        if (!text.empty()) text += "; ";
        text += m;
    }
    return text;
}

std::string unitsText(int unitSystem) {
    if (unitSystem == 1) return "English";
    if (unitSystem == 2) return "SI";
    return "";
}

// Column order of the summary. A number has a column for each unit system, its unit in the
// header (a batch may mix English and SI cases); a case fills the column of its own units.
enum Column {
    kCase,
    kTitle,
    kStatus,
    kMessage,
    kAdvisories,
    kUnits,
    kMethod,
    kEmbeddedLength,
    kSkinFriction = kEmbeddedLength + 2,
    kTip = kSkinFriction + 2,
    kUltimate = kTip + 2,
    kLoadTransferMethod = kUltimate + 2,
    kTopLoad,
    kTopMovement = kTopLoad + 2,
    kDesignLoad = kTopMovement + 2,
    kDesignFactorOfSafety = kDesignLoad + 2,
    kDesignLength,
    kDesignCapacity = kDesignLength + 2,
    kDesignNote = kDesignCapacity + 2,
    kColumnCount
};

// The numbers' columns, their units those of the result columns they hold.
struct NumberColumn {
    Column column;
    std::string_view name;
    ResultUnit unit;
};
constexpr NumberColumn kNumberColumns[] = {
    {kEmbeddedLength, "embedded_length", resultField<CapacityRow>(kCapacityFields, "pile_length")->unit},
    {kSkinFriction, "skin_friction", resultField<CapacityRow>(kCapacityFields, "skin_friction")->unit},
    {kTip, "end_bearing_or_self_weight", resultField<CapacityRow>(kCapacityFields, "tip_resistance")->unit},
    {kUltimate, "ultimate_capacity", resultField<CapacityRow>(kCapacityFields, "ultimate_capacity")->unit},
    {kTopLoad, "top_load", resultField<LoadStep>(kLoadStepFields, "top_load")->unit},
    {kTopMovement, "top_movement", resultField<LoadStep>(kLoadStepFields, "top_movement")->unit},
    {kDesignLoad, "design_load", resultField<DesignAnswer>(kDesignAnswerFields, "load")->unit},
    {kDesignLength, "design_embedded_length", resultField<DesignAnswer>(kDesignAnswerFields, "embedded_length")->unit},
    {kDesignCapacity, "design_capacity", resultField<DesignAnswer>(kDesignAnswerFields, "capacity")->unit},
};

// The column of a number in the units of a case (the SI column follows the English one).
int columnIn(Column column, int unitSystem) { return column + (unitSystem == 2 ? 1 : 0); }

std::string pad(std::size_t previous, std::size_t now) { return std::string(previous > now ? previous - now : 0, ' '); }

bool parseJobs(std::string_view text, unsigned& jobs) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > kMaxJobs) return false;
    jobs = value;
    return true;
}

void printBatchUsage(std::ostream& out) {
    out << "usage: vorta batch DIR... [--jobs N] [--summary FILE.csv]\n"
           "  runs every case folder (a folder with a names.dat) and project file (.toml) named or\n"
           "  found below the DIRs, N at a time (default: one per core), each writing its report and\n"
           "  plot-data file where its names.dat says, or beside the project file (.out, .plt);\n"
           "  --summary writes one CSV record per case and method\n"
           "exit status: 0 every case completed, 1 a case stopped on its input,\n"
           "             2 a file could not be used, 64 a usage error\n";
}

bool standardOutputIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

}  // namespace

// ---------------------------------------------------------------------------------------------

fs::path projectReportFile(const fs::path& projectFile) { return fs::path(projectFile).replace_extension(".out"); }
fs::path projectPlotFile(const fs::path& projectFile) { return fs::path(projectFile).replace_extension(".plt"); }

std::vector<BatchCase> findCases(std::span<const fs::path> arguments) {
    std::vector<BatchCase> cases;
    std::set<std::string> seen;
    auto addCase = [&](const fs::path& folder) {
        if (!seen.insert(folderKey(folder)).second) return;
        std::error_code ec;
        if (isProjectFile(folder) && fs::is_regular_file(folder, ec)) {
            cases.push_back(BatchCase{displayName(folder), folder.parent_path(), "", folder});
        } else {
            cases.push_back(BatchCase{displayName(folder), folder, "", {}});
        }
    };
    for (const fs::path& argument : arguments) {
        const std::string name = displayName(argument);
        std::error_code ec;
        if (isProjectFile(argument) && fs::is_regular_file(argument, ec)) {
            addCase(argument);
            continue;
        }
        if (!fs::is_directory(argument, ec)) {
            const bool exists = fs::exists(argument, ec);
            cases.push_back(BatchCase{name, argument, exists ? "not a folder" : "no such folder", {}});
            continue;
        }
        if (hasRunControlFile(argument)) {
            addCase(argument);
            continue;
        }
        std::string problem;
        const std::vector<fs::path> found = caseFoldersBelow(argument, problem);
        if (found.empty()) {
            if (problem.empty()) problem = "no names.dat or project file in this folder or in the folders below it";
            cases.push_back(BatchCase{name, argument, problem, {}});
            continue;
        }
        for (const fs::path& folder : found) addCase(folder);
    }
    return cases;
}

CaseSummary summarizeRun(RunStatus status, const AnalysisResult& result) {
    CaseSummary s;
    s.status = status;
    s.title = result.title;
    s.unitSystem = result.unitSystem;
    s.loadTransferMethod = result.loadTransferMethod;
    s.messages = result.messages;
    s.advisories = static_cast<int>(std::count_if(result.problems.begin(), result.problems.end(),
                                                  [](const Problem& p) { return p.severity == Severity::Advisory; }));
    for (const MethodTable& table : result.tables) {
        TableSummary t;
        t.selection = table.selection;
        t.tension = table.tension;
        t.hasRows = !table.rows.empty();
        if (t.hasRows) t.lastRow = table.rows.back();
        s.tables.push_back(t);
    }
    s.design = result.design;
    if (!result.loadSteps.empty()) {
        s.hasLoadStep = true;
        s.topLoad = result.loadSteps.back().topLoad;
        s.topMovement = result.loadSteps.back().topMovement;
    }
    return s;
}

BatchRun runBatch(std::vector<BatchCase> cases, const BatchOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    BatchRun run;
    run.cases = std::move(cases);
    const std::size_t total = run.cases.size();
    run.outcomes.resize(total);

    // Arguments that gave no case, and cases that would share a file with an earlier one.
    std::vector<char> settled(total, 0);
    for (std::size_t i = 0; i < total; ++i) {
        if (!run.cases[i].problem.empty()) {
            run.outcomes[i] = failure(kRunFileError, run.cases[i].problem);
            settled[i] = 1;
        }
    }
    refuseSharedFiles(run, settled);
    std::vector<std::size_t> toRun;
    int failedBefore = 0;
    for (std::size_t i = 0; i < total; ++i) {
        if (!settled[i]) toRun.push_back(i);
        else ++failedBefore;
    }

    unsigned jobs = options.jobs != 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency());
    jobs = static_cast<unsigned>(std::min<std::size_t>(jobs, toRun.size()));

    // Each worker takes the next case, runs it on its own state and leaves its summary in the
    // case's own slot; only the counts are shared.
    std::mutex countsMutex;
    std::condition_variable caseDone;
    int done = failedBefore;
    int failed = failedBefore;
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (;;) {
            const std::size_t k = next.fetch_add(1);
            if (k >= toRun.size()) return;
            CaseSummary summary = runCase(run.cases[toRun[k]], options);
            const bool caseFailed = summary.status != kRunCompleted;
            run.outcomes[toRun[k]] = std::move(summary);
            {
                const std::lock_guard<std::mutex> lock(countsMutex);
                ++done;
                if (caseFailed) ++failed;
            }
            caseDone.notify_one();
        }
    };
    std::vector<std::thread> threads;
    try {
        for (unsigned j = 0; j < jobs; ++j) threads.emplace_back(worker);
    } catch (const std::system_error&) {
        // Fewer threads than asked for: the ones started take all the cases.
    }
    if (threads.empty() && !toRun.empty()) worker();

    // The progress line, rewritten in place while the cases run.
    const bool showProgress = options.progress != nullptr && options.progressInPlace;
    const auto interval = std::max(options.progressInterval, std::chrono::milliseconds(1));
    std::size_t shownLength = 0;
    auto show = [&](int doneNow, int failedNow) {
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string line = progressLine(doneNow, static_cast<int>(total), failedNow, seconds);
        *options.progress << '\r' << line << pad(shownLength, line.size()) << std::flush;
        shownLength = line.size();
    };
    {
        std::unique_lock<std::mutex> lock(countsMutex);
        while (done < static_cast<int>(total)) {
            caseDone.wait_for(lock, interval, [&] { return done >= static_cast<int>(total); });
            if (showProgress) {
                const int doneNow = done;
                const int failedNow = failed;
                lock.unlock();
                show(doneNow, failedNow);
                lock.lock();
            }
        }
    }
    for (std::thread& t : threads) t.join();
    if (showProgress) {
        show(done, failed);
        *options.progress << '\n' << std::flush;
    }

    run.jobs = static_cast<unsigned>(threads.empty() ? (toRun.empty() ? 0 : 1) : threads.size());
    for (const CaseSummary& s : run.outcomes) {
        if (s.status == kRunCompleted) ++run.completed;
        else if (s.status == kRunStoppedOnInput) ++run.stoppedOnInput;
        else ++run.fileErrors;
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

int batchExitCode(const BatchRun& run) {
    if (run.fileErrors > 0) return kRunFileError;
    if (run.stoppedOnInput > 0) return kRunStoppedOnInput;
    return kRunCompleted;
}

std::string progressLine(int done, int total, int failed, double seconds) {
    const double rate = seconds > 0.0 ? done / seconds : 0.0;
    char line[160];
    std::snprintf(line, sizeof line, "%d of %d cases done, %d failed, %.1f s, %.1f cases/s", done, total, failed,
                  seconds, rate);
    return line;
}

std::string_view methodName(int selection) {
    const MethodInfo* method = methodBySelection(selection);
    return method != nullptr ? method->name : std::string_view();
}

std::vector<std::vector<std::string>> summaryTable(const BatchRun& run) {
    std::vector<std::vector<std::string>> table;
    std::vector<std::string> header(kColumnCount);
    header[kCase] = "case";
    header[kTitle] = "title";
    header[kStatus] = "status";
    header[kMessage] = "message";
    header[kAdvisories] = "advisories";
    header[kUnits] = "units";
    header[kMethod] = "method";
    header[kLoadTransferMethod] = "load_transfer_method";
    header[kDesignFactorOfSafety] = "design_factor_of_safety";
    header[kDesignNote] = "design_note";
    for (const NumberColumn& c : kNumberColumns) {
        header[c.column] = std::string(c.name) + "_" + std::string(resultUnitText(c.unit, 1));
        header[c.column + 1] = std::string(c.name) + "_" + std::string(resultUnitText(c.unit, 2));
    }
    table.push_back(std::move(header));
    for (std::size_t i = 0; i < run.cases.size() && i < run.outcomes.size(); ++i) {
        const CaseSummary& s = run.outcomes[i];
        std::vector<std::string> record(kColumnCount);
        record[kCase] = run.cases[i].name;
        record[kTitle] = s.title;
        record[kStatus] = statusText(s.status);
        record[kMessage] = joined(s.messages);
        record[kAdvisories] = std::to_string(s.advisories);
        record[kUnits] = unitsText(s.unitSystem);
        if (s.status != kRunCompleted) {
            table.push_back(std::move(record));
            continue;
        }
        record[kLoadTransferMethod] = std::string(methodName(s.loadTransferMethod));
        const int units = s.unitSystem;
        if (s.hasLoadStep) {
            record[columnIn(kTopLoad, units)] = printedExponent(s.topLoad, 4);
            record[columnIn(kTopMovement, units)] = printedExponent(s.topMovement, 4);
        }
        if (s.tables.empty()) {
            table.push_back(std::move(record));
            continue;
        }
        for (const TableSummary& t : s.tables) {
            std::vector<std::string> methodRecord = record;
            methodRecord[kMethod] = std::string(methodName(t.selection));
            if (t.hasRows) {
                methodRecord[columnIn(kEmbeddedLength, units)] = printedFixed(t.lastRow.pileLength, 2);
                methodRecord[columnIn(kSkinFriction, units)] = printedFixed(t.lastRow.skinFriction, 1);
                methodRecord[columnIn(kTip, units)] = printedFixed(t.lastRow.tipResistance, 1);
                methodRecord[columnIn(kUltimate, units)] = printedFixed(t.lastRow.ultimateCapacity, 1);
            }
            // One record per design load of the method (the method's values repeated).
            bool answered = false;
            for (const DesignAnswer& a : s.design) {
                if (a.selection != t.selection) continue;
                answered = true;
                std::vector<std::string> designRecord = methodRecord;
                designRecord[columnIn(kDesignLoad, units)] = shortestNumberText(a.load);
                designRecord[kDesignFactorOfSafety] = shortestNumberText(a.factorOfSafety);
                designRecord[columnIn(kDesignCapacity, units)] = printedFixed(a.capacity, 1);
                if (a.embeddedLength) {
                    designRecord[columnIn(kDesignLength, units)] = printedFixed(*a.embeddedLength, 2);
                    designRecord[kDesignNote] = a.advisory;
                } else {
                    designRecord[kDesignNote] = "not reached within the pile; the capacity is the largest, at " +
                                                printedFixed(a.capacityLength, 2) + " " +
                                                std::string(resultUnitText(ResultUnit::Length, units));
                }
                table.push_back(std::move(designRecord));
            }
            if (!answered) table.push_back(std::move(methodRecord));
        }
    }
    // The design columns only where a case answers design loads: a batch without them keeps the
    // columns it always had.
    const bool anyDesign = std::any_of(run.outcomes.begin(), run.outcomes.end(),
                                       [](const CaseSummary& s) { return !s.design.empty(); });
    if (!anyDesign) {
        for (std::vector<std::string>& record : table) record.resize(kDesignLoad);
    }
    return table;
}

bool writeSummary(const BatchRun& run, const fs::path& file, std::string& error) {
    std::ofstream out(file, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!out) {
        error = file.string() + ": the summary file cannot be created";
        return false;
    }
    CsvWriter csv(out);
    for (const std::vector<std::string>& record : summaryTable(run)) csv.writeRecord(record);
    out.close();
    if (!out) {
        error = file.string() + ": the summary file could not be written completely";
        return false;
    }
    return true;
}

int runBatchCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err,
                    bool outIsTerminal, const std::optional<LocalDateTime>& clock) {
    std::vector<fs::path> folders;
    std::optional<fs::path> summaryFile;
    BatchOptions options;
    options.clock = clock;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (a == "--help" || a == "-h")) {
            printBatchUsage(out);
            return 0;
        } else if (!optionsEnded && (a == "--jobs" || a.rfind("--jobs=", 0) == 0)) {
            std::string_view value;
            if (a == "--jobs") {
                if (i + 1 >= args.size()) {
                    err << "vorta: --jobs needs a number of threads\n";
                    return kBatchUsageError;
                }
                value = args[++i];
            } else {
                value = a.substr(7);
            }
            if (!parseJobs(value, options.jobs)) {
                err << "vorta: --jobs takes a whole number from 1 to " << kMaxJobs << ", not " << value << "\n";
                return kBatchUsageError;
            }
        } else if (!optionsEnded && (a == "--summary" || a.rfind("--summary=", 0) == 0)) {
            std::string_view value;
            if (a == "--summary") {
                if (i + 1 >= args.size()) {
                    err << "vorta: --summary needs a file name\n";
                    return kBatchUsageError;
                }
                value = args[++i];
            } else {
                value = a.substr(10);
            }
            if (value.empty()) {
                err << "vorta: --summary needs a file name\n";
                return kBatchUsageError;
            }
            summaryFile = fs::path(std::string(value));
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            err << "vorta: unknown option " << a << "\n";
            printBatchUsage(err);
            return kBatchUsageError;
        } else {
            folders.emplace_back(std::string(a));
        }
    }
    if (folders.empty()) {
        err << "vorta: batch needs at least one case folder\n";
        printBatchUsage(err);
        return kBatchUsageError;
    }

    options.progress = outIsTerminal ? &out : nullptr;
    options.progressInPlace = outIsTerminal;
    const BatchRun run = runBatch(findCases(folders), options);

    for (std::size_t i = 0; i < run.cases.size(); ++i) {
        const CaseSummary& s = run.outcomes[i];
        if (s.status == kRunCompleted) continue;
        err << "vorta: " << run.cases[i].name << ": "
            << (s.status == kRunStoppedOnInput ? "stopped on its input" : "a file could not be used");
        if (!s.messages.empty()) {
            err << ": " << joined(s.messages) << "\n";
        } else {
            err << "\n" << s.console << (s.console.empty() || s.console.back() == '\n' ? "" : "\n");
        }
    }
    int code = batchExitCode(run);
    if (summaryFile) {
        std::string error;
        if (writeSummary(run, *summaryFile, error)) {
            out << "Summary written to " << summaryFile->string() << "\n";
        } else {
            err << "vorta: " << error << "\n";
            code = kRunFileError;
        }
    }
    const int total = static_cast<int>(run.cases.size());
    const double rate = run.seconds > 0.0 ? total / run.seconds : 0.0;
    char tally[200];
    std::snprintf(tally, sizeof tally,
                  "%d cases: %d completed, %d stopped on input, %d file errors (%.2f s, %.1f cases/s, %u threads)\n",
                  total, run.completed, run.stoppedOnInput, run.fileErrors, run.seconds, rate, run.jobs);
    out << tally << std::flush;
    return code;
}

int runBatchCommand(std::span<const std::string_view> args) {
    return runBatchCommand(args, std::cout, std::cerr, standardOutputIsTerminal());
}

}  // namespace vorta::cli
