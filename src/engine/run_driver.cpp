#include "engine/run_driver.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <exception>
#include <initializer_list>
#include <fstream>
#include <iostream>
#include <memory>
#include <new>
#include <sstream>
#include <system_error>

#include "engine/constants.h"
#include "engine/run_control.h"
#include "input/free_format_reader.h"
#include "input/input.h"
#include "report/report.h"

namespace vorta {

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    if (std::filesystem::equivalent(a, b, ec)) return true;
    const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
    if (ec) return false;
    const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

std::filesystem::path resolve(const std::filesystem::path& workingDirectory, const std::string& name) {
    std::filesystem::path p(name);
    return p.is_absolute() || workingDirectory.empty() ? p : workingDirectory / p;
}

struct NamedFile {
    std::filesystem::path path;
    const char* what;
};

// An output named like a file the run reads (or like the other output) would be emptied when it is
// opened: the input lost, or the report and the plot data written over each other. Returns the
// message that refuses the run, or an empty text.
std::string outputClash(const NamedFile& output, std::initializer_list<NamedFile> others) {
    for (const NamedFile& other : others) {
        if (!other.path.empty() && sameFile(output.path, other.path)) {
            return output.path.string() + ": the " + output.what + " is also the " + other.what;
        }
    }
    return "";
}

// A file that cannot be used ends the run with status 2; the message goes to the console and,
// once it is open, to the report.
RunStatus fileError(AnalysisState& s, const std::string& message) {
    s.console.write("(/,1X,\"ERROR - \",A)", message);
    s.report.write("(/,/,1X,\"ERROR - \",A)", message);
    if (s.result != nullptr) {
        Problem p;
        p.severity = Severity::FileError;
        p.code = "file_error";
        p.message = message;
        s.result->problems.push_back(std::move(p));
        s.result->messages.push_back(message);
    }
    return kRunFileError;
}

// The problems of a run in its result: each as data, and those with lines in the report's (or the
// console's) words.
void keepProblems(AnalysisState& s, const CheckedProblems& found) {
    if (s.result == nullptr) return;
    for (const CheckedProblem& p : found) {
        s.result->problems.push_back(p.problem);
        if (!p.report.empty() || !p.console.empty()) s.result->messages.push_back(oneLine(p.report.empty() ? p.console : p.report));
    }
}

// Where the values of a run were given: an input data file the run reads, or a model whose
// caller says where it came from.
ValueSource valueSourceOf(const RunRequest& request) {
    return request.analysis == nullptr ? ValueSource::InputDeck : request.options.sourceKind;
}

// A stop on the input: the message of the check that stopped the run is in the report, or, when
// the guard refused a number on the way, the guard's.
RunStatus stoppedOnInput(AnalysisState& s) { return s.outputGuard.tripped ? stopOnNonFinite(s) : kRunStoppedOnInput; }

// The run itself; files are opened here and closed when the function returns.
// Outputs kept in memory go to reportText and plotText.
RunStatus run(AnalysisState& s, const RunRequest& request, std::ostringstream& reportText,
              std::ostringstream& plotText) {
    const std::filesystem::path& dir = request.workingDirectory;

    // 1. A cleared state: a fresh record holds the values a run starts from.

    // 2. The file names.
    if (request.useRunControlFile) {
        try {
            readRunControl(s, resolve(dir, "names.dat"));
        } catch (const InputError& e) {
            return fileError(s, e.what());
        }
    } else {
        s.runControl = request.names;
        if (s.runControl.versionText.empty()) s.runControl.versionText = std::string(engineVersion());
    }
    const RunControl& names = s.runControl;

    // 3. and 4. The banner on the console; the report file and its header. An analysis given as a
    // model may keep its report and plot data as text instead of files.
    writeBanner(s.console, names.versionText);
    const bool fromModel = request.analysis != nullptr;
    const bool reportInMemory = fromModel && names.reportFileName.empty();
    const bool plotInMemory = fromModel && names.plotFileName.empty();
    if (names.reportFileName.empty() && !reportInMemory) return fileError(s, "no report file name was given");
    const bool readCpt = !fromModel && (request.useRunControlFile || !names.cptFileName.empty());
    const NamedFile inputNamed{fromModel && names.inputFileName.empty() ? std::filesystem::path()
                                                                        : resolve(dir, names.inputFileName),
                               fromModel ? "project file" : "input data file"};
    const NamedFile cptNamed{readCpt ? resolve(dir, names.cptFileName) : std::filesystem::path(), "CPT file"};
    const NamedFile controlNamed{request.useRunControlFile ? resolve(dir, "names.dat") : std::filesystem::path(),
                                 "run-control file"};
    const NamedFile reportNamed{reportInMemory ? std::filesystem::path() : resolve(dir, names.reportFileName),
                                "report file"};
    const NamedFile plotNamed{plotInMemory ? std::filesystem::path() : resolve(dir, names.plotFileName),
                              "plot-data file"};
    std::ofstream reportFile;
    std::ostream* reportStream = &reportText;
    if (!reportInMemory) {
        if (std::string clash = outputClash(reportNamed, {inputNamed, cptNamed, controlNamed}); !clash.empty())
            return fileError(s, clash);
        reportFile.open(reportNamed.path, std::ios::out | std::ios::trunc);
        if (!reportFile) return fileError(s, names.reportFileName + ": the report file cannot be created");
        reportStream = &reportFile;
    }
    const RecordWriter::FileAttachment reportAttachment(s.report, *reportStream);
    writeReportHeader(s, dir, request.options.clock ? *request.options.clock : localDateTimeNow());

    // 5. The input data file, the plot-data file and the CPT file, in that order.
    std::ifstream inputFile;
    if (!fromModel) {
        inputFile.open(inputNamed.path);
        if (!inputFile) return fileError(s, names.inputFileName + ": the input data file cannot be opened");
    }
    if (names.plotFileName.empty() && !plotInMemory) return fileError(s, "no plot-data file name was given");
    std::ofstream plotFile;
    std::ostream* plotStream = &plotText;
    if (!plotInMemory) {
        if (std::string clash = outputClash(plotNamed, {inputNamed, cptNamed, controlNamed, reportNamed});
            !clash.empty())
            return fileError(s, clash);
        plotFile.open(plotNamed.path, std::ios::out | std::ios::trunc);
        if (!plotFile) return fileError(s, names.plotFileName + ": the plot-data file cannot be created");
        plotStream = &plotFile;
    }
    const RecordWriter::FileAttachment plotAttachment(s.plot, *plotStream);
    s.outputGuard.watch({&s.report, &s.plot});
    std::ifstream cptFile;
    if (readCpt) {
        cptFile.open(cptNamed.path);
        if (!cptFile) return fileError(s, names.cptFileName + ": the CPT file cannot be opened");
    }

    // 6. Read the input data file and the CPT file into the model, closing each after its last
    // record, and load the model into the state; or load the model given.
    Analysis deck;
    const Analysis& analysis = fromModel ? *request.analysis : deck;
    try {
        if (!fromModel) {
            FreeFormatReader in(inputFile, names.inputFileName);
            deck = readInputRecords(in);
            inputFile.close();
        }
        loadInputData(s, analysis);
        if (s.result != nullptr) {
            s.result->title = trimmed(s.input.title);
            s.result->designer = trimmed(s.input.designer);
            s.result->jobNumber = trimmed(s.input.jobNumber);
            s.result->unitSystem = s.input.unitSystem;
            s.result->loadTransferMethod = s.input.loadTransferMethod;
        }
        setUnitLabels(s);
        if (fromModel) {
            loadSounding(s, analysis.cpt);
        } else if (readCpt) {
            FreeFormatReader cpt(cptFile, names.cptFileName);
            deck.cpt = readCptRecords(cpt);
            loadSounding(s, deck.cpt);
            cptFile.close();
        }
    } catch (const InputError& e) {
        return fileError(s, e.what());
    }

    // 7. to 10. The checks of the input, the progress line and the input echo (stop paths A and B).
    if (!fromModel && !request.useRunControlFile && s.result != nullptr) {
        if (std::optional<Problem> unread = unreadCptFileAdvisory(inputNamed.path, cptNamed.path)) {
            unread->file = names.inputFileName;
            s.result->problems.push_back(std::move(*unread));
        }
    }
    const ValuePlaces places{analysis, valueSourceOf(request), request.options.sourceLines,
                             fromModel ? request.options.sourceName : names.inputFileName};
    CheckedProblems found;
    const bool proceed = runInputChecks(s, places, found);
    keepProblems(s, found);
    if (!proceed) return stoppedOnInput(s);

    // 11. and 12. The two passes.
    computeDepthIncrement(s);
    for (int pass = 1; pass <= 2 && !s.outputGuard.tripped; ++pass) {
        s.runPass = pass;
        segmentPile(s);
        prepareNodes(s);
        runMethodsAndTables(s, pass);
    }
    if (s.outputGuard.tripped) return stoppedOnInput(s);
    findDesignAnswers(s, analysis);

    // 13. Both output files complete; a failed write is not a completed run.
    s.report.flush();
    s.plot.flush();
    reportStream->flush();
    plotStream->flush();
    if (!*reportStream) {
        s.report.attach(nullptr);
        return fileError(s, names.reportFileName + ": the report file could not be written completely");
    }
    if (!*plotStream) return fileError(s, names.plotFileName + ": the plot-data file could not be written completely");
    return kRunCompleted;
}

}  // namespace

// The last guard: a number that is not finite was about to be written (the range checks let
// through values that the engine cannot compute with). The report ends with what was written
// before it and the reason, and the run stops on its input.
RunStatus stopOnNonFinite(AnalysisState& s) {
    const NonFiniteGuard& g = s.outputGuard;
    std::string where = "ROW ";
    where.append(std::to_string(g.row)).append(" OF ").append(g.section.name).append(g.section.title);
    if (g.section.number > 0) where.append(" ").append(std::to_string(g.section.number));
    s.report.resume();
    CheckedProblem stop;
    stop.problem.severity = Severity::Stop;
    stop.problem.code = "not_finite";
    stop.report.push_back(formatRecord(
        "(/,/,10X,\"COMPUTATION STOPPED BECAUSE A NUMBER THAT IS NOT FINITE (NAN OR INFINITY)\","
        "/,10X,\"WOULD BE PRINTED IN \",A,/,10X,\"THE INPUT HOLDS VALUES THAT THE ENGINE CANNOT COMPUTE WITH\")",
        where));
    stop.problem.message = oneLine(stop.report);
    s.report.write(stop.report.front());
    keepProblems(s, {stop});
    return kRunStoppedOnInput;
}

void lastRowCapacities(const Analysis& analysis, bool secondPass, std::array<double, kMethodCount + 1>& capacity) {
    // A state of its own, cleared, writing nothing; the model is the run's own with another pile
    // length, so its checks have passed.
    const auto state = std::make_unique<AnalysisState>();
    AnalysisState& s = *state;
    s.capacitiesOnly = true;
    loadAnalysis(s, analysis);
    setUnitLabels(s);
    writeInputEcho(s);
    adjustThinIntervals(s);
    capacity.fill(0.0);
    if (!countSegments(s)) return;
    computeDepthIncrement(s);
    for (int pass = 1; pass <= (secondPass ? 2 : 1); ++pass) {
        segmentPile(s);
        prepareNodes(s);
        runMethodsAndTables(s, pass);
    }
    for (int sel = 1; sel <= static_cast<int>(kMethodCount); ++sel) {
        const StoredMethodRows& store = s.methodRowStore[static_cast<std::size_t>(sel)];
        if (store.rowCount >= 1 && store.rowCount <= static_cast<int>(kMaxRows))
            capacity[static_cast<std::size_t>(sel)] = store.drivenCapacity[store.rowCount];
    }
}

bool runInputChecks(AnalysisState& s, const ValuePlaces& places, CheckedProblems& found) {
    // Each stage's problems go to the console and the report as they are found; a stage that
    // finds a stop ends the checks.
    const auto stage = [&](auto&& check) {
        const std::size_t first = found.size();
        check();
        bool proceed = true;
        for (std::size_t i = first; i < found.size(); ++i) {
            for (const FormattedRecord& r : found[i].console) s.console.write(r);
            for (const FormattedRecord& r : found[i].report) s.report.write(r);
            proceed = proceed && !found[i].problem.stops();
        }
        return proceed;
    };
    s.report.section("THE MESSAGES OF THE INPUT CHECKS");
    if (!stage([&] {
            checkInputValues(s, places, found);
            checkValueRanges(places, found);
        })) {
        return false;
    }
    stage([&] { findAdvisories(s, places, found); });
    if (!stage([&] { checkSoilProfile(s, places, found); })) return false;

    s.console.write("(/,/,9X,\"COMPUTATION IS PROCEEDING........\")");
    writeInputEcho(s);
    adjustThinIntervals(s);
    countSegments(s);
    return stage([&] { checkSegmentCount(s, places, found); });
}

RunStatus runRequest(AnalysisState& s, const RunRequest& request) {
    s.result = request.options.result;
    if (s.result != nullptr) *s.result = AnalysisResult{};
    s.console.attach(request.options.console != nullptr ? request.options.console : &std::cout);
    s.consoleInput = request.options.consoleInput != nullptr ? request.options.consoleInput : &std::cin;
    RunStatus status = kRunFileError;
    std::ostringstream reportText;
    std::ostringstream plotText;
    try {
        status = run(s, request, reportText, plotText);
    } catch (const std::bad_alloc&) {
        s.report.attach(nullptr);
        fileError(s, "not enough memory for the analysis");
    } catch (const std::exception& e) {
        s.report.attach(nullptr);
        fileError(s, std::string("internal error: ") + e.what());
    }
    // The output streams belong to run(); nothing may write to them after it returns.
    s.report.attach(nullptr);
    s.plot.attach(nullptr);
    if (s.console.stream() != nullptr) s.console.stream()->flush();
    if (s.result != nullptr) {
        s.result->status = status;
        if (request.analysis != nullptr) {
            s.result->reportText = reportText.str();
            s.result->plotText = plotText.str();
        }
    }
    s.result = nullptr;
    return status;
}

CheckOutcome checkInputOf(AnalysisState& s, const Analysis& analysis, const ValuePlaces& places) {
    CheckOutcome outcome;
    s.report.attach(nullptr);
    s.console.attach(nullptr);
    try {
        loadAnalysis(s, analysis);
    } catch (const InputError& e) {
        Problem p;
        p.severity = Severity::FileError;
        p.code = "file_error";
        p.message = e.what();
        outcome.problems.push_back(std::move(p));
        outcome.status = kRunFileError;
        return outcome;
    }
    setUnitLabels(s);
    CheckedProblems found;
    runInputChecks(s, places, found);
    for (CheckedProblem& p : found) outcome.problems.push_back(std::move(p.problem));
    outcome.status = statusOf(outcome.problems);
    return outcome;
}

}  // namespace vorta
