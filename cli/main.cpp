// vorta: runs a VORTA analysis from the command line.
//
//   vorta [--charts OUT.html]  runs on names.dat in the current folder, as the front end does
//   vorta run INPUT [--report FILE] [--plot FILE] [--cpt FILE] [--charts OUT.html] [--quiet]
//   vorta convert IN -o OUT [--cpt FILE] [--units English|SI] [--embed-cpt] [CPT reading options]
//   vorta check FILE [--cpt FILE] [--json]
//   vorta keys
//   vorta plot PLOTFILE [--report REPORT] [-o OUT.html] [--chart ID]
//   vorta batch DIR... [--jobs N] [--summary FILE.csv]   (DIR: also a project file)
//   vorta serve [FOLDER] [--port N] [--host ADDR] [--open] [--read-only]
//   vorta --version | --help
//
// The exit code is the run status: 0 completed, 1 stopped on its input, 2 a file could not be used.
#include <filesystem>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "analysis_files.h"
#include "design_answers.h"
#include "batch.h"
#include "plot_command.h"
#include "problem_output.h"
#include "vorta/analysis.h"
#include "vorta/project.h"
#include "vorta/vorta.h"

#ifndef VORTA_SERVER
#define VORTA_SERVER 0
#endif
#if VORTA_SERVER
#include "http_server.h"
#endif

namespace {

constexpr int kUsageError = 64;

constexpr const char* kRunUsage =
    "vorta run INPUT [--report FILE] [--plot FILE] [--cpt FILE] [--charts OUT.html] [--quiet]\n"
    "                            run an input data file or a project file (.toml); the report\n"
    "                            and the plot-data file default to INPUT's base name with .out\n"
    "                            and .plt beside it; an input data file without --cpt has a\n"
    "                            sounding with no points, a project file holds its own;\n"
    "                            --charts also writes the charts of the results; the advisories\n"
    "                            (what the run assumed) follow the run unless --quiet; an analysis\n"
    "                            with design loads also prints its design answers and writes\n"
    "                            them to INPUT.design.csv beside the report\n";

void printUsage(std::ostream& out) {
    out << "usage: vorta [--charts OUT.html]\n"
           "                            run on names.dat in the current folder\n"
           "       "
        << kRunUsage
        << "       vorta convert IN -o OUT [--cpt FILE] [--units English|SI] [--embed-cpt]\n"
           "                            convert between an input data file, a project file (.toml)\n"
           "                            and a JSON analysis (.json), or a GEF, AGS4 or CSV file to a\n"
           "                            CPT file (vorta convert --help)\n"
           "       vorta check FILE [--cpt FILE] [--json]\n"
           "                            report every problem and advisory of an analysis without running it\n"
           "       vorta design FILE [--load LOAD]... [--factor-of-safety F] [--json]\n"
           "                            the least embedded length each method needs for each load\n"
           "       vorta keys           print the reference of the project file's keys\n"
           "       vorta plot PLOTFILE [--report REPORT] [-o OUT.html] [--chart ID]\n"
           "                            charts of a run from its plot-data file (vorta plot --help)\n"
           "       vorta batch DIR... [--jobs N] [--summary FILE.csv]\n"
           "                            run every case folder and project file found in parallel\n"
           "       vorta serve [FOLDER] [--port N] [--host ADDR] [--open] [--read-only]\n"
           "                            build, run and read analyses in the browser, at the address\n"
           "                            printed on the first line (vorta serve --help)\n"
           "       vorta --version      print the engine version\n"
           "       vorta --help         print this text\n"
           "exit status: 0 completed, 1 stopped on its input, 2 a file could not be used\n";
}

void sayWhereWritten(const std::filesystem::path& report, const std::filesystem::path& plot) {
    std::cout << "\nReport written to    " << report.string() << "\nPlot data written to " << plot.string() << "\n";
}

int runExplicit(const std::vector<std::string_view>& args) {
    vorta::RunFiles files;
    std::filesystem::path charts;
    bool quiet = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        auto value = [&](std::filesystem::path& target) -> bool {
            if (i + 1 >= args.size()) {
                std::cerr << "vorta: " << a << " needs a file name\n";
                return false;
            }
            target = std::filesystem::path(std::string(args[++i]));
            return true;
        };
        if (a == "--report") {
            if (!value(files.report)) return kUsageError;
        } else if (a == "--plot") {
            if (!value(files.plot)) return kUsageError;
        } else if (a == "--cpt") {
            if (!value(files.cpt)) return kUsageError;
        } else if (a == "--charts") {
            if (!value(charts)) return kUsageError;
        } else if (a == "--quiet") {
            quiet = true;
        } else if (a == "--help" || a == "-h") {
            std::cout << "usage: " << kRunUsage
                      << "exit status: 0 completed, 1 stopped on its input, 2 a file could not be used\n";
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "vorta: unknown option " << a << "\n";
            printUsage(std::cerr);
            return kUsageError;
        } else if (files.input.empty()) {
            files.input = std::filesystem::path(std::string(a));
        } else {
            std::cerr << "vorta: only one input file may be given\n";
            return kUsageError;
        }
    }
    if (files.input.empty()) {
        std::cerr << "vorta: run needs an input data file\n";
        printUsage(std::cerr);
        return kUsageError;
    }
    if (files.report.empty()) files.report = std::filesystem::path(files.input).replace_extension(".out");
    if (files.plot.empty()) files.plot = std::filesystem::path(files.input).replace_extension(".plt");
    vorta::AnalysisResult result;
    vorta::RunOptions options;
    options.result = &result;
    vorta::RunStatus status = vorta::kRunCompleted;
    std::optional<vorta::Analysis> model;  // for the charts of the sounding
    const bool projectFile = vorta::analysisFileKind(files.input) == vorta::ValueSource::ProjectFile;
    if (projectFile || vorta::isForeignCptFile(files.cpt)) {
        // A project file holds its own sounding; the report header names the project file.
        // An input data file with a CPT file of another program (GEF, AGS4, CSV) is read the same way.
        if (projectFile && !files.cpt.empty()) {
            std::cerr << "vorta: a project file holds its own CPT sounding; --cpt is for input data files\n";
            return kUsageError;
        }
        vorta::AnalysisFile read;
        try {
            read = vorta::readAnalysisFile(files.input, vorta::ReadOptions{files.cpt, {}});
            vorta::cli::printSoundingNotes(read.analysis, std::cerr);
        } catch (const vorta::InputError& e) {
            std::istringstream lines(e.what());
            for (std::string line; std::getline(lines, line);) std::cerr << "vorta: " << line << "\n";
            return vorta::kRunFileError;
        }
        options.report = files.report;
        options.plot = files.plot;
        options.sourceName = files.input.string();
        options.sourceKind = read.kind;
        options.sourceLines = &read.lines;
        // Design loads are answered after the run, on the console and beside the report.
        if (!read.analysis.design.loads.empty()) options.result = &result;
        status = vorta::runAnalysis(read.analysis, options);
        model = std::move(read.analysis);
    } else {
        status = vorta::runOnFiles(files, options);
        if (!charts.empty() && status == vorta::kRunCompleted) {
            try {
                model = vorta::readAnalysisFile(files.input, vorta::ReadOptions{files.cpt, {}}).analysis;
            } catch (const vorta::InputError&) {
                // The run read the files; the charts then go without the sounding.
            }
        }
    }
    if (status != vorta::kRunFileError) sayWhereWritten(files.report, files.plot);
    if (!quiet) vorta::cli::printAdvisories(std::cout, result.problems, files.input.string());
    if (status == vorta::kRunCompleted && !result.design.empty()) {
        vorta::cli::printDesignTable(result, std::cout);
        const std::filesystem::path designFile = vorta::cli::designFileOf(files.report);
        std::string error;
        if (!vorta::cli::writeDesignCsv(result, designFile, error)) {
            std::cerr << "vorta: " << error << "\n";
            return vorta::kRunFileError;
        }
        std::cout << "Design answers written to " << designFile.string() << "\n";
    }
    if (charts.empty()) return status;
    return vorta::cli::writeRunCharts(result, status, charts, {"run of " + files.input.string()}, std::cout, std::cerr,
                                      model ? &*model : nullptr);
}

// The run on names.dat, as the front end makes it; with --charts OUT.html also the charts.
int runHere(const std::vector<std::string_view>& args) {
    std::error_code ec;
    const std::filesystem::path here = std::filesystem::current_path(ec);
    if (!std::filesystem::exists(here / "names.dat", ec)) {
        // Plain `vorta` runs as the front end does; someone who typed it to see what it does is
        // pointed to the commands.
        const int status = vorta::runInDirectory(here);
        std::cerr << "vorta: there is no names.dat in this folder; `vorta --help` shows how to run an input data "
                     "file or a project file\n";
        return status;
    }
    if (args.empty()) return vorta::runInDirectory(here);
    if (args.size() != 2) {
        std::cerr << "vorta: the run on names.dat takes only --charts OUT.html\n";
        return kUsageError;
    }
    vorta::AnalysisResult result;
    vorta::RunOptions options;
    options.result = &result;
    const vorta::RunStatus status = vorta::runInDirectory(here, options);
    return vorta::cli::writeRunCharts(result, status, std::filesystem::path(std::string(args[1])),
                                      {"run on names.dat in " + here.string()}, std::cout, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--charts") return runHere(args);
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h") {
        printUsage(std::cout);
        return 0;
    }
    if (command == "--version") {
        std::cout << "vorta " << vorta::engineVersion() << "\n";
        return 0;
    }
    if (command == "run") return runExplicit(std::vector<std::string_view>(args.begin() + 1, args.end()));
    if (command == "plot") {
        return vorta::cli::plotCommand(std::vector<std::string_view>(args.begin() + 1, args.end()), std::cout, std::cerr);
    }
    const std::vector<std::string_view> rest(args.begin() + 1, args.end());
    if (command == "convert") return vorta::cli::convertCommand(rest, std::cout, std::cerr);
    if (command == "check") return vorta::cli::checkCommand(rest, std::cout, std::cerr);
    if (command == "keys") return vorta::cli::keysCommand(rest, std::cout, std::cerr);
    if (command == "design") return vorta::cli::designCommand(rest, std::cout, std::cerr);
    if (command == "batch") return vorta::cli::runBatchCommand(std::span(args).subspan(1));
    if (command == "serve") {
#if VORTA_SERVER
        return vorta::server::serveCommand(rest, std::cout, std::cerr);
#else
        std::cerr << "vorta: this build has no server (cpp-httplib, nlohmann json or toml++ was not found when it was "
                     "built)\n";
        return vorta::kRunFileError;
#endif
    }
    std::cerr << "vorta: unknown command " << command << "\n";
    printUsage(std::cerr);
    return kUsageError;
}
