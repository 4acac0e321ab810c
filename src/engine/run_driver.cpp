#include "engine/run_driver.h"

#include <exception>
#include <fstream>
#include <iostream>
#include <new>

#include "engine/constants.h"
#include "engine/run_control.h"
#include "input/free_format_reader.h"
#include "input/input.h"
#include "report/report.h"

namespace vorta {
namespace {

std::filesystem::path resolve(const std::filesystem::path& workingDirectory, const std::string& name) {
    std::filesystem::path p(name);
    return p.is_absolute() || workingDirectory.empty() ? p : workingDirectory / p;
}

// A file that cannot be used ends the run with status 2; the message goes to the console and,
// once it is open, to the report.
RunStatus fileError(AnalysisState& s, const std::string& message) {
    s.console.write("(/,1X,\"ERROR - \",A)", message);
    s.report.write("(/,/,1X,\"ERROR - \",A)", message);
    return kRunFileError;
}

// The run itself; files are opened here and closed when the function returns.
RunStatus run(AnalysisState& s, const RunRequest& request) {
    const std::filesystem::path& dir = request.workingDirectory;

    // 1. A cleared state, with the values a run starts from.
    s.input.lightSoilDepth = 99999.0;
    s.input.tensionReductionFactor = 1.0;
    s.runControl.inputFileName = "ucheck";

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

    // 3. and 4. The banner on the console; the report file and its header.
    writeBanner(s.console, names.versionText);
    if (names.reportFileName.empty()) return fileError(s, "no report file name was given");
    std::ofstream reportFile(resolve(dir, names.reportFileName), std::ios::out | std::ios::trunc);
    if (!reportFile) return fileError(s, names.reportFileName + ": the report file cannot be created");
    s.report.attach(&reportFile);
    writeReportHeader(s, dir, request.options.clock ? *request.options.clock : localDateTimeNow());

    // 5. The input data file, the plot-data file and the CPT file, in that order.
    std::ifstream inputFile(resolve(dir, names.inputFileName));
    if (!inputFile) return fileError(s, names.inputFileName + ": the input data file cannot be opened");
    if (names.plotFileName.empty()) return fileError(s, "no plot-data file name was given");
    std::ofstream plotFile(resolve(dir, names.plotFileName), std::ios::out | std::ios::trunc);
    if (!plotFile) return fileError(s, names.plotFileName + ": the plot-data file cannot be created");
    s.plot.attach(&plotFile);
    const bool readCpt = request.useRunControlFile || !names.cptFileName.empty();
    std::ifstream cptFile;
    if (readCpt) {
        cptFile.open(resolve(dir, names.cptFileName));
        if (!cptFile) return fileError(s, names.cptFileName + ": the CPT file cannot be opened");
    }

    // 6. Read the input data file and the CPT file, closing each after its last record.
    try {
        FreeFormatReader in(inputFile, names.inputFileName);
        readInputData(s, in);
        inputFile.close();
        setUnitLabels(s);
        if (readCpt) {
            FreeFormatReader cpt(cptFile, names.cptFileName);
            readCptFile(s, cpt);
            cptFile.close();
        }
    } catch (const InputError& e) {
        return fileError(s, e.what());
    }

    // 7. Checks of the input values and of the soil profile against the pile (stop path A).
    if (!checkInputValues(s)) return kRunStoppedOnInput;
    if (!checkSoilProfile(s)) return kRunStoppedOnInput;

    // 8. and 9. Progress line; the input echo, which ends with the computation-result heading.
    s.console.write("(/,/,9X,\"COMPUTATION IS PROCEEDING........\")");
    writeInputEcho(s);

    // 10. Thin soil intervals and the segment count (stop path B).
    adjustThinIntervals(s);
    if (!countSegments(s)) return kRunStoppedOnInput;

    // 11. and 12. The two passes.
    computeDepthIncrement(s);
    for (int pass = 1; pass <= 2; ++pass) {
        s.runPass = pass;
        segmentPile(s);
        prepareNodes(s);
        runMethodsAndTables(s, pass);
    }

    // 13. Both output files complete; a failed write is not a completed run.
    reportFile.flush();
    plotFile.flush();
    if (!reportFile) {
        s.report.attach(nullptr);
        return fileError(s, names.reportFileName + ": the report file could not be written completely");
    }
    if (!plotFile) return fileError(s, names.plotFileName + ": the plot-data file could not be written completely");
    return kRunCompleted;
}

}  // namespace

RunStatus runAnalysis(AnalysisState& s, const RunRequest& request) {
    s.console.attach(request.options.console != nullptr ? request.options.console : &std::cout);
    s.consoleInput = request.options.consoleInput != nullptr ? request.options.consoleInput : &std::cin;
    RunStatus status = kRunFileError;
    try {
        status = run(s, request);
    } catch (const std::bad_alloc&) {
        s.report.attach(nullptr);
        s.console.write("(/,1X,\"ERROR - \",A)", "not enough memory for the analysis");
    } catch (const std::exception& e) {
        s.report.attach(nullptr);
        s.console.write("(/,1X,\"ERROR - \",A,A)", "internal error: ", e.what());
    }
    // The output streams belong to run(); nothing may write to them after it returns.
    s.report.attach(nullptr);
    s.plot.attach(nullptr);
    if (s.console.stream() != nullptr) s.console.stream()->flush();
    return status;
}

}  // namespace vorta
