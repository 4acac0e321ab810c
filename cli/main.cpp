// vorta: runs a VORTA analysis from the command line.
//
//   vorta                      runs on names.dat in the current folder, as the front end does
//   vorta run INPUT [--report FILE] [--plot FILE] [--cpt FILE]
//   vorta batch DIR... [--jobs N] [--summary FILE.csv]
//   vorta --version | --help
//
// The exit code is the run status: 0 completed, 1 stopped on its input, 2 a file could not be used.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "batch.h"
#include "vorta/vorta.h"

namespace {

constexpr int kUsageError = 64;

void printUsage(std::ostream& out) {
    out << "usage: vorta                 run on names.dat in the current folder\n"
           "       vorta run INPUT [--report FILE] [--plot FILE] [--cpt FILE]\n"
           "                            run on explicit files; the report and the plot-data file\n"
           "                            default to INPUT's base name with .out and .plt beside it,\n"
           "                            and without --cpt the CPT sounding has no points\n"
           "       vorta batch DIR... [--jobs N] [--summary FILE.csv]\n"
           "                            run every case folder found in the DIRs in parallel\n"
           "       vorta --version      print the engine version\n"
           "       vorta --help         print this text\n"
           "exit status: 0 completed, 1 stopped on its input, 2 a file could not be used\n";
}

void sayWhereWritten(const std::filesystem::path& report, const std::filesystem::path& plot) {
    std::cout << "\nReport written to    " << report.string() << "\nPlot data written to " << plot.string() << "\n";
}

int runExplicit(const std::vector<std::string_view>& args) {
    vorta::RunFiles files;
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
    const vorta::RunStatus status = vorta::runOnFiles(files);
    if (status != vorta::kRunFileError) sayWhereWritten(files.report, files.plot);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        return vorta::runInDirectory(here);
    }
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
    if (command == "batch") return vorta::cli::runBatchCommand(std::span(args).subspan(1));
    std::cerr << "vorta: unknown command " << command << "\n";
    printUsage(std::cerr);
    return kUsageError;
}
