#include "analysis_files.h"

#include "problem_output.h"

#include <algorithm>
#include <fstream>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#ifndef VORTA_PROJECT_FILES
#define VORTA_PROJECT_FILES 0
#endif
#if VORTA_PROJECT_FILES
#include "project_file.h"
#endif

namespace vorta::cli {
namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 64;

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

// Every line of a message on its own line after "vorta: ".
void printProblems(std::ostream& err, const std::string& message) {
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);) err << "vorta: " << line << "\n";
}

#if !VORTA_PROJECT_FILES
[[noreturn]] void noProjectFiles(const fs::path& file) {
    throw InputError(file.string() + ": this build of vorta reads no project files (toml++ was not found when it was built)");
}
#endif

}  // namespace

bool projectFilesSupported() { return VORTA_PROJECT_FILES != 0; }

bool isProjectFile(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".toml";
}

Analysis readAnalysisFile(const fs::path& file, const fs::path& cpt, SourceLines* lines) {
    if (isProjectFile(file)) {
#if VORTA_PROJECT_FILES
        return project::readProjectFile(file, lines);
#else
        (void)lines;
        noProjectFiles(file);
#endif
    }
    return readInputDeck(file, cpt);
}

void writeAnalysisFile(const Analysis& analysis, const fs::path& out, const fs::path& cpt) {
    std::ostringstream text;
    std::ostringstream cptText;
    if (isProjectFile(out)) {
#if VORTA_PROJECT_FILES
        project::writeProjectFile(analysis, text);
#else
        noProjectFiles(out);
#endif
    } else {
        writeInputDeck(analysis, text);
        writeCptFile(analysis.cpt, cptText);
    }
    auto save = [](const fs::path& file, const std::string& content) {
        std::ofstream f(file, std::ios::binary | std::ios::trunc);
        f << content;
        f.close();
        if (!f) throw InputError(file.string() + ": the file cannot be written");
    };
    save(out, text.str());
    if (!isProjectFile(out)) save(cpt, cptText.str());
}

namespace {

void printConvertUsage(std::ostream& out) {
    out << "usage: vorta convert IN -o OUT [--cpt FILE]\n"
           "  converts between an input data file and a project file (.toml), by the extensions;\n"
           "  --cpt names the CPT file of an input data file IN (the project file holds it inline)\n"
           "  or the CPT file written beside an input data file OUT (default: OUT with .cpt)\n";
}

void printCheckUsage(std::ostream& out) {
    out << "usage: vorta check FILE [--cpt FILE] [--json]\n"
           "  reads an input data file (with its CPT file) or a project file and reports every problem\n"
           "  found in it and by the engine's input checks, and the advisories of a run, without running\n"
           "  the analysis; --json prints them as JSON: {\"status\", \"problems\": [{\"severity\", \"code\",\n"
           "  \"path\", \"line\", \"message\"}]}\n"
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
    const fs::path writeCpt = deckOut ? (cpt.empty() || !isProjectFile(in) ? fs::path(to).replace_extension(".cpt") : cpt)
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
        const Analysis analysis = readAnalysisFile(in, readCpt);
        writeAnalysisFile(analysis, to, writeCpt);
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
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        if (a == "--cpt" && i + 1 < args.size()) {
            cpt = fs::path(std::string(args[++i]));
        } else if (a == "--json") {
            json = true;
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
    if (json && !jsonSupported()) {
        err << "vorta: this build writes no JSON (nlohmann json was not found when it was built)\n";
        return kRunFileError;
    }
    CheckOutcome outcome;
    try {
        SourceLines lines;
        const Analysis analysis = readAnalysisFile(file, cpt, &lines);
        outcome = checkAnalysis(analysis, isProjectFile(file) ? ValueSource::ProjectFile : ValueSource::InputDeck, &lines,
                                file.string());
        if (!isProjectFile(file)) {
            if (std::optional<Problem> unread = unreadCptFileAdvisory(file, cpt)) outcome.problems.insert(outcome.problems.begin(), *unread);
        }
    } catch (const InputError& e) {
        outcome.status = kRunFileError;
        outcome.problems = fileErrorProblems(e.what());
    }
    if (json) {
        out << problemsJson(outcome.status, outcome.problems);
        return outcome.status;
    }
    for (const Problem& p : outcome.problems) {
        if (p.severity != Severity::Advisory) err << "vorta: " << problemLine(p, p.severity == Severity::FileError ? "" : file.string()) << "\n";
    }
    if (outcome.status == kRunCompleted) out << file.string() << ": no problems found\n";
    printAdvisories(out, outcome.problems, file.string());
    return outcome.status;
}

int keysCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        const bool help = asksForHelp(args);
        (help ? out : err) << "usage: vorta keys\n"
                              "  prints the reference of every key of a project file (docs/project-file.md)\n";
        return help ? 0 : kUsageError;
    }
#if VORTA_PROJECT_FILES
    (void)err;
    out << project::keyReference();
    return 0;
#else
    (void)out;
    err << "vorta: this build reads no project files (toml++ was not found when it was built)\n";
    return kRunFileError;
#endif
}

}  // namespace vorta::cli
