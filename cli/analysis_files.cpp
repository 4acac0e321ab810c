#include "analysis_files.h"

#include "problem_output.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "vorta/cpt_files.h"
#include "vorta/units.h"

#include "vorta/project.h"

#ifndef VORTA_JSON_FILES
#define VORTA_JSON_FILES 0
#endif
#if VORTA_JSON_FILES
#include "analysis_json.h"
#endif

namespace vorta::cli {
namespace fs = std::filesystem;

namespace {

constexpr int kUsageError = 64;
// The most points of the engine's CPT file.
constexpr std::size_t kMostSoundingPoints = 1000;

// Every line of a message on its own line after "vorta: ".
void printProblems(std::ostream& err, const std::string& message) {
    std::istringstream lines(message);
    for (std::string line; std::getline(lines, line);) err << "vorta: " << line << "\n";
}

bool isProjectFile(const fs::path& file) { return analysisFileKind(file) == ValueSource::ProjectFile; }

// A JSON analysis: the keys and nesting of a project file (extension .json).
bool isJsonFile(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".json";
}

// A project file or a JSON analysis: the same keys, the sounding held where the analysis is.
bool isModelFile(const fs::path& file) { return isProjectFile(file) || isJsonFile(file); }

#if VORTA_JSON_FILES
std::string readWhole(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw InputError(file.string() + ": the file cannot be opened");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError(file.string() + ": the file cannot be read");
    return text.str();
}
#else
[[noreturn]] void noJsonFiles(const fs::path& file) {
    throw InputError(file.string() + ": this build of vorta reads no JSON analyses (toml++ or nlohmann json was not "
                                     "found when it was built)");
}
#endif

}  // namespace

// An analysis file of any kind the command line takes: a JSON analysis through the server's reader
// (its messages name the keys, as a project file's do), the others through the library.
AnalysisFile readAnyAnalysisFile(const fs::path& file, const ReadOptions& options) {
    if (!isJsonFile(file)) return readAnalysisFile(file, options);
#if VORTA_JSON_FILES
    AnalysisFile read;
    read.kind = ValueSource::ProjectFile;
    read.analysis = analysis_json::readAnalysisJson(readWhole(file), file.string(), file.parent_path());
    return read;
#else
    noJsonFiles(file);
#endif
}

void writeAnyAnalysisFile(const Analysis& analysis, const fs::path& out, const fs::path& cpt) {
    if (!isJsonFile(out)) return writeAnalysisFile(analysis, out, cpt);
#if VORTA_JSON_FILES
    Analysis named = analysis;
    project::nameSoundingFileFrom(named, out);
    writeWholeFile(out, analysis_json::analysisJsonText(named));
#else
    noJsonFiles(out);
#endif
}


void printSoundingNotes(const Analysis& analysis, std::ostream& err) {
    if (!analysis.cpt.file) return;
    for (const std::string& note : analysis.cpt.file->notes) err << "vorta: " << note << "\n";
}

namespace {

std::optional<UnitSystem> unitSystemNamed(std::string_view name) {
    std::string n(name);
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (n == "si") return UnitSystem::SI;
    if (n == "english") return UnitSystem::English;
    return std::nullopt;
}

struct ConvertArguments {
    fs::path in, to, cpt;
    std::optional<UnitSystem> units;
    bool embed = false;
    SoundingFile reading;  // location, columns and every n-th point of a CPT file of another program
};

// A CPT file of another program written as the engine's CPT file, in the units asked for.
int convertSounding(const ConvertArguments& c, std::ostream& out, std::ostream& err) {
    if (!c.units) {
        err << "vorta: convert: " << c.in.string()
            << ": the points of a CPT file are written in the units of the analysis that reads them; give --units English or --units SI\n";
        return kUsageError;
    }
    CptReadOptions options;
    options.units = *c.units;
    options.location = c.reading.location;
    options.depthColumn = c.reading.depthColumn;
    options.qcColumn = c.reading.qcColumn;
    options.every = c.reading.every;
    try {
        const CptReading reading = readCptFile(c.in, options);
        for (const std::string& note : cptNoteLines(c.in.string(), reading)) err << "vorta: " << note << "\n";
        const std::size_t count = reading.sounding.points.size();
        if (count > kMostSoundingPoints) {
            err << "vorta: " << c.in.string() << ": " << count << " points, more than the " << kMostSoundingPoints
                << " of an engine CPT file; --every " << (count * static_cast<std::size_t>(c.reading.every) + kMostSoundingPoints - 1) / kMostSoundingPoints
                << " keeps few enough\n";
            return kRunFileError;
        }
        std::ostringstream text;
        writeCptFile(reading.sounding, text);
        writeWholeFile(c.to, text.str());
        out << "Written " << c.to.string() << ": " << count << " points of the " << cptFormatName(reading.format)
            << " file " << c.in.string() << (reading.location.empty() ? "" : " (" + reading.location + ")") << ", depth in "
            << (*c.units == UnitSystem::SI ? "m, cone resistance in kPa" : "ft, cone resistance in psf") << "\n";
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    return 0;
}

}  // namespace

namespace {

void printConvertUsage(std::ostream& out) {
    out << "usage: vorta convert IN -o OUT [--cpt FILE] [--units English|SI] [--embed-cpt]\n"
           "                     [--location ID] [--depth-column NAME] [--qc-column NAME] [--every N]\n"
           "  converts between an input data file, a project file (.toml) and a JSON analysis (.json),\n"
           "  by the extensions; --cpt names the CPT file of an input data file IN (a project file and\n"
           "  a JSON analysis hold their sounding)\n"
           "  or the CPT file written beside an input data file OUT (default: OUT with .cpt);\n"
           "  --units converts every value to English or SI units; --embed-cpt puts the points of\n"
           "  a project file's sounding file inline.\n"
           "  IN may be a CPT file of another program (GEF, AGS4, CSV): OUT is then the engine's CPT\n"
           "  file in the --units given; --location names the sounding of an AGS4 file that holds\n"
           "  several, --depth-column and --qc-column the columns of a CSV file whose names are not\n"
           "  found, --every N keeps every N-th point (and the last) (docs/cpt-files.md)\n";
}

void printCheckUsage(std::ostream& out) {
    out << "usage: vorta check FILE [--cpt FILE] [--json]\n"
           "  reads an input data file (with its CPT file), a project file or a JSON analysis and reports\n"
           "  every problem found in it and by the engine's input checks, and the advisories of a run,\n"
           "  without running the analysis; --json prints them as JSON: {\"status\", \"problems\":\n"
           "  [{\"severity\", \"code\", \"path\", \"line\", \"message\"}]}\n"
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
    ConvertArguments c;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const bool hasValue = i + 1 < args.size();
        if ((a == "-o" || a == "--cpt") && hasValue) {
            (a == "-o" ? c.to : c.cpt) = fs::path(std::string(args[++i]));
        } else if (a == "--units" && hasValue) {
            c.units = unitSystemNamed(args[++i]);
            if (!c.units) {
                err << "vorta: convert: --units takes English or SI, not " << args[i] << "\n";
                return kUsageError;
            }
        } else if (a == "--embed-cpt") {
            c.embed = true;
        } else if ((a == "--location" || a == "--depth-column" || a == "--qc-column") && hasValue) {
            (a == "--location" ? c.reading.location : a == "--depth-column" ? c.reading.depthColumn : c.reading.qcColumn) =
                std::string(args[++i]);
        } else if (a == "--every" && hasValue) {
            const std::string n(args[++i]);
            char* end = nullptr;
            const long every = std::strtol(n.c_str(), &end, 10);
            if (end == n.c_str() || *end != '\0' || every < 1 || every > 1000000) {
                err << "vorta: convert: --every takes a whole number from 1 up, not " << n << "\n";
                return kUsageError;
            }
            c.reading.every = static_cast<int>(every);
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: convert: unknown option or missing value: " << a << "\n";
            return kUsageError;
        } else if (c.in.empty()) {
            c.in = fs::path(std::string(a));
        } else {
            err << "vorta: convert takes one input file\n";
            return kUsageError;
        }
    }
    if (c.in.empty() || c.to.empty()) {
        printConvertUsage(err);
        return kUsageError;
    }
    if (!isModelFile(c.to) && !isModelFile(c.in) && isForeignCptFile(c.in)) {
        if (!c.cpt.empty()) {
            err << "vorta: convert: --cpt is for an input data file; " << c.in.string() << " is a CPT file\n";
            return kUsageError;
        }
        if (sameFile(c.in, c.to)) {
            err << "vorta: " << c.to.string() << ": the output is also an input\n";
            return kRunFileError;
        }
        return convertSounding(c, out, err);
    }
    const bool deckOut = !isModelFile(c.to);
    const fs::path readCpt = isModelFile(c.in) ? fs::path() : c.cpt;
    const fs::path writeCpt = deckOut ? (c.cpt.empty() || !isModelFile(c.in) ? cptFileBeside(c.to) : c.cpt)
                                      : fs::path();
    // A project file may be rewritten in place (it is read whole first); no other file may.
    const bool inPlace = isModelFile(c.in) && isModelFile(c.to);
    for (const fs::path& source : {c.in, readCpt}) {
        for (const fs::path& target : {c.to, writeCpt}) {
            if (inPlace && source == c.in && target == c.to) continue;
            if (!source.empty() && !target.empty() && sameFile(source, target)) {
                err << "vorta: " << target.string() << ": the output is also an input\n";
                return kRunFileError;
            }
        }
    }
    try {
        Analysis analysis = readAnyAnalysisFile(c.in, ReadOptions{readCpt, c.reading}).analysis;
        printSoundingNotes(analysis, err);
        if (c.units) analysis = convertUnits(analysis, *c.units);
        if (c.embed) analysis.cpt.file.reset();
        writeAnyAnalysisFile(analysis, c.to, writeCpt);
        out << "Written " << c.to.string() << (deckOut ? " and " + writeCpt.string() : std::string()) << "\n";
        // What an input data file has no place for.
        if (deckOut && analysis.options.cptRowsAsDriven != 0) {
            out << "Dropped options.cpt_rows_as_driven: an input data file has no place for it; a run of "
                << c.to.string() << " gives the CPT-based tables as the upper part of the final pile\n";
        }
        if (deckOut && (!analysis.design.loads.empty() || analysis.design.factorOfSafety != 1.0)) {
            out << "Dropped [design]: an input data file has no place for design loads; vorta design "
                << c.to.string() << " --load LOAD answers them\n";
        }
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
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
        const AnalysisFile read = readAnyAnalysisFile(file, ReadOptions{cpt, {}});
        outcome = checkAnalysis(read.analysis, read.kind, &read.lines, file.string());
        if (read.kind == ValueSource::InputDeck) {
            if (std::optional<Problem> unread = unreadCptFileAdvisory(file, cpt)) outcome.problems.insert(outcome.problems.begin(), *unread);
        }
        if (json) {
            // What reading the sounding file left out, as warnings before the engine's problems.
            std::vector<Problem> notes;
            for (const std::string& note : read.analysis.cpt.file ? read.analysis.cpt.file->notes : std::vector<std::string>{}) {
                Problem p;
                p.severity = Severity::Warning;
                p.code = "sounding_file_note";
                p.path = "cpt";
                p.message = note;
                notes.push_back(std::move(p));
            }
            outcome.problems.insert(outcome.problems.begin(), notes.begin(), notes.end());
        } else {
            printSoundingNotes(read.analysis, err);
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
    try {
        out << project::keyReference();
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    return 0;
}

}  // namespace vorta::cli
