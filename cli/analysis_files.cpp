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

#ifndef VORTA_PROJECT_FILES
#define VORTA_PROJECT_FILES 0
#endif
#if VORTA_PROJECT_FILES
#include "project_file.h"
#endif
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

// A project file or a JSON analysis: the same keys, the sounding held where the analysis is.
bool isModelFile(const fs::path& file) { return isProjectFile(file) || isJsonFile(file); }

}  // namespace

bool projectFilesSupported() { return VORTA_PROJECT_FILES != 0; }

bool isProjectFile(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".toml";
}

bool isJsonFile(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".json";
}

bool isForeignCptFile(const fs::path& cpt) { return !cpt.empty() && detectCptFileFormat(cpt) != CptFormat::Engine; }

Analysis readAnalysisFile(const fs::path& file, const fs::path& cpt, SourceLines* lines, const SoundingFile& cptReading) {
    if (isJsonFile(file)) {
#if VORTA_JSON_FILES
        return analysis_json::readAnalysisJson(readWhole(file), file.string(), file.parent_path());
#else
        noJsonFiles(file);
#endif
    }
    if (isProjectFile(file)) {
#if VORTA_PROJECT_FILES
        return project::readProjectFile(file, lines);
#else
        (void)lines;
        noProjectFiles(file);
#endif
    }
    if (!isForeignCptFile(cpt)) return readInputDeck(file, cpt);
    Analysis a = readInputDeck(file, fs::path());
    SoundingFile ref = cptReading;
    ref.name = cpt.generic_string();
    ref.path = cpt;
    a.cpt = readSoundingFile(ref, a.units);
    return a;
}

void printSoundingNotes(const Analysis& analysis, std::ostream& err) {
    if (!analysis.cpt.file) return;
    for (const std::string& note : analysis.cpt.file->notes) err << "vorta: " << note << "\n";
}

namespace {

// A file written whole or not at all: the text goes to a file beside it that then takes its name.
void save(const fs::path& file, const std::string& content) {
    fs::path temporary = file;
    temporary += ".vorta-new";
    {
        std::ofstream f(temporary, std::ios::binary | std::ios::trunc);
        f << content;
        f.close();
        if (!f) {
            std::error_code ec;
            fs::remove(temporary, ec);
            throw InputError(file.string() + ": the file cannot be written");
        }
    }
    std::error_code ec;
    fs::rename(temporary, file, ec);
    if (ec) {
        fs::remove(temporary, ec);
        throw InputError(file.string() + ": the file cannot be written");
    }
}

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
        save(c.to, text.str());
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

void writeAnalysisFile(const Analysis& analysis, const fs::path& out, const fs::path& cpt) {
    std::ostringstream text;
    std::ostringstream cptText;
    if (isJsonFile(out)) {
#if VORTA_JSON_FILES
        Analysis named = analysis;
        project::nameSoundingFileFrom(named, out);
        text << analysis_json::analysisJsonText(named);
#else
        noJsonFiles(out);
#endif
    } else if (isProjectFile(out)) {
#if VORTA_PROJECT_FILES
        Analysis named = analysis;
        project::nameSoundingFileFrom(named, out);
        project::writeProjectFile(named, text);
#else
        noProjectFiles(out);
#endif
    } else {
        writeInputDeck(analysis, text);
        writeCptFile(analysis.cpt, cptText);
    }
    save(out, text.str());
    if (!isModelFile(out)) save(cpt, cptText.str());
}

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
    const fs::path writeCpt = deckOut ? (c.cpt.empty() || !isModelFile(c.in) ? fs::path(c.to).replace_extension(".cpt") : c.cpt)
                                      : fs::path();
    // A project file or a JSON analysis may be rewritten in place (it is read whole first); no other
    // file may.
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
        Analysis analysis = readAnalysisFile(c.in, readCpt, nullptr, c.reading);
        printSoundingNotes(analysis, err);
        if (c.units) analysis = convertUnits(analysis, *c.units);
        if (c.embed) analysis.cpt.file.reset();
        writeAnalysisFile(analysis, c.to, writeCpt);
    } catch (const InputError& e) {
        printProblems(err, e.what());
        return kRunFileError;
    }
    out << "Written " << c.to.string() << (deckOut ? " and " + writeCpt.string() : std::string()) << "\n";
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
        outcome = checkAnalysis(analysis, isModelFile(file) ? ValueSource::ProjectFile : ValueSource::InputDeck, &lines,
                                file.string());
        if (!isModelFile(file)) {
            if (std::optional<Problem> unread = unreadCptFileAdvisory(file, cpt)) outcome.problems.insert(outcome.problems.begin(), *unread);
        }
        if (json) {
            // What reading the sounding file left out, as warnings before the engine's problems.
            std::vector<Problem> notes;
            for (const std::string& note : analysis.cpt.file ? analysis.cpt.file->notes : std::vector<std::string>{}) {
                Problem p;
                p.severity = Severity::Warning;
                p.code = "sounding_file_note";
                p.path = "cpt";
                p.message = note;
                notes.push_back(std::move(p));
            }
            outcome.problems.insert(outcome.problems.begin(), notes.begin(), notes.end());
        } else {
            printSoundingNotes(analysis, err);
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
