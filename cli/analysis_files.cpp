#include "analysis_files.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "vorta/project.h"

namespace vorta::cli {
namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 64;

// Every line of a message on its own line after "vorta: ".
void printProblems(std::ostream& err, const std::string& message) {
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);) err << "vorta: " << line << "\n";
}

bool isProjectFile(const fs::path& file) { return analysisFileKind(file) == ValueSource::ProjectFile; }

}  // namespace

namespace {

void printConvertUsage(std::ostream& out) {
    out << "usage: vorta convert IN -o OUT [--cpt FILE]\n"
           "  converts between an input data file and a project file (.toml), by the extensions;\n"
           "  --cpt names the CPT file of an input data file IN (the project file holds it inline)\n"
           "  or the CPT file written beside an input data file OUT (default: OUT with .cpt)\n";
}

void printCheckUsage(std::ostream& out) {
    out << "usage: vorta check FILE [--cpt FILE]\n"
           "  reads an input data file (with its CPT file) or a project file and reports every problem\n"
           "  found in it and by the engine's input checks, without running the analysis\n"
           "  exit status: 0 no problem, 1 the run would stop on its input, 2 the file cannot be used\n";
}

bool asksForHelp(std::span<const std::string_view> args) {
    return std::any_of(args.begin(), args.end(), [](std::string_view a) { return a == "--help" || a == "-h"; });
}

}  // namespace

int convertCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (asksForHelp(args)) {
        printConvertUsage(out);
        return 0;
    }
    fs::path in, to, cpt;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if ((a == "-o" || a == "--cpt") && i + 1 < args.size()) {
            (a == "-o" ? to : cpt) = fs::path(std::string(args[++i]));
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: convert: unknown option or missing file name: " << a << "\n";
            return kUsageError;
        } else if (in.empty()) {
            in = fs::path(std::string(a));
        } else {
            err << "vorta: convert takes one input file\n";
            return kUsageError;
        }
    }
    if (in.empty() || to.empty()) {
        printConvertUsage(err);
        return kUsageError;
    }
    const bool deckOut = !isProjectFile(to);
    const fs::path readCpt = isProjectFile(in) ? fs::path() : cpt;
    const fs::path writeCpt = deckOut ? (cpt.empty() || !isProjectFile(in) ? cptFileBeside(to) : cpt)
                                      : fs::path();
    for (const fs::path& source : {in, readCpt}) {
        for (const fs::path& target : {to, writeCpt}) {
            if (!source.empty() && !target.empty() && sameFile(source, target)) {
                err << "vorta: " << target.string() << ": the output is also an input\n";
                return kRunFileError;
            }
        }
    }
    try {
        writeAnalysisFile(readAnalysisFile(in, ReadOptions{readCpt}).analysis, to, writeCpt);
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    out << "Written " << to.string() << (deckOut ? " and " + writeCpt.string() : std::string()) << "\n";
    return 0;
}

int checkCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (asksForHelp(args)) {
        printCheckUsage(out);
        return 0;
    }
    fs::path file, cpt;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--cpt" && i + 1 < args.size()) {
            cpt = fs::path(std::string(args[++i]));
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: check: unknown option or missing file name: " << a << "\n";
            return kUsageError;
        } else if (file.empty()) {
            file = fs::path(std::string(a));
        } else {
            err << "vorta: check takes one file\n";
            return kUsageError;
        }
    }
    if (file.empty()) {
        printCheckUsage(err);
        return kUsageError;
    }
    AnalysisFile read;
    try {
        read = readAnalysisFile(file, ReadOptions{cpt});
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    const CheckOutcome outcome = checkAnalysis(read.analysis, read.kind, &read.lines);
    for (const std::string& p : outcome.problems) err << "vorta: " << file.string() << ": " << p << "\n";
    for (const std::string& w : outcome.warnings) err << "vorta: " << file.string() << ": warning: " << w << "\n";
    if (outcome.status == kRunCompleted) out << file.string() << ": no problems found\n";
    return outcome.status;
}

int keysCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        const bool help = asksForHelp(args);
        (help ? out : err) << "usage: vorta keys\n"
                              "  prints the reference of every key of a project file (docs/project-file.md)\n";
        return help ? 0 : kUsageError;
    }
    try {
        out << project::keyReference();
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    return 0;
}

}  // namespace vorta::cli
