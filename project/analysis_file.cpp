// Analysis files of either kind: which kind a file is, and reading, writing and running it.
#include <fstream>
#include <sstream>
#include <system_error>

#include "vorta/cpt_files.h"
#include "vorta/project.h"

namespace vorta {
namespace fs = std::filesystem;

namespace {


void noCptForProjectFile(const fs::path& file, const fs::path& cpt) {
    if (!cpt.empty()) {
        throw InputError(file.string() + ": a project file holds its own CPT sounding; a CPT file is for input data files");
    }
}

}  // namespace

ValueSource analysisFileKind(const fs::path& file) {
    std::string ext = file.extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext == ".toml" ? ValueSource::ProjectFile : ValueSource::InputDeck;
}

void writeWholeFile(const fs::path& file, const std::string& content) {
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

bool isForeignCptFile(const fs::path& cpt) { return !cpt.empty() && detectCptFileFormat(cpt) != CptFormat::Engine; }

fs::path cptFileBeside(const fs::path& deck) { return fs::path(deck).replace_extension(".cpt"); }

AnalysisFile readAnalysisFile(const fs::path& file, const ReadOptions& options) {
    AnalysisFile read;
    read.kind = analysisFileKind(file);
    if (read.kind == ValueSource::ProjectFile) {
        noCptForProjectFile(file, options.cpt);
        read.analysis = project::readProjectFile(file, &read.lines);
    } else if (!isForeignCptFile(options.cpt)) {
        read.analysis = readInputDeck(file, options.cpt);
    } else {
        read.analysis = readInputDeck(file, fs::path());
        SoundingFile sounding = options.cptReading;
        sounding.name = options.cpt.generic_string();
        sounding.path = options.cpt;
        read.analysis.cpt = readSoundingFile(sounding, read.analysis.units);
    }
    return read;
}

void writeAnalysisFile(const Analysis& analysis, const fs::path& file, const fs::path& cpt) {
    std::ostringstream text;
    if (analysisFileKind(file) == ValueSource::ProjectFile) {
        Analysis named = analysis;
        project::nameSoundingFileFrom(named, file);
        project::writeProjectFile(named, text);
        writeWholeFile(file, text.str());
        return;
    }
    writeDeckFiles(analysis, file, cpt);
}

void writeDeckFiles(const Analysis& analysis, const fs::path& deck, const fs::path& cpt) {
    const fs::path cptFile = cpt.empty() ? cptFileBeside(deck) : cpt;
    if (sameFile(deck, cptFile)) {
        throw InputError(cptFile.string() + ": the CPT file would be the input data file; name another");
    }
    std::ostringstream text;
    std::ostringstream cptText;
    writeInputDeck(analysis, text);
    writeCptFile(analysis.cpt, cptText);
    writeWholeFile(deck, text.str());
    writeWholeFile(cptFile, cptText.str());
}

RunStatus runFile(const RunFiles& files, const RunOptions& options) {
    RunFiles named = files;
    if (named.report.empty()) named.report = fs::path(files.input).replace_extension(".out");
    if (named.plot.empty()) named.plot = fs::path(files.input).replace_extension(".plt");
    const ValueSource kind = analysisFileKind(files.input);
    if (kind == ValueSource::InputDeck && !isForeignCptFile(files.cpt)) return runOnFiles(named, options);

    const AnalysisFile read = readAnalysisFile(files.input, ReadOptions{files.cpt, {}});
    RunOptions readRun = options;
    readRun.report = named.report;
    readRun.plot = named.plot;
    readRun.sourceName = files.input.string();
    readRun.sourceKind = read.kind;
    readRun.sourceLines = &read.lines;
    if (!files.versionText.empty()) readRun.versionText = files.versionText;
    return runAnalysis(read.analysis, readRun);
}

}  // namespace vorta

namespace vorta::project {

void nameSoundingFileFrom(Analysis& analysis, const fs::path& projectFile) {
    if (!analysis.cpt.file) return;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(fs::absolute(analysis.cpt.file->path, ec), ec);
    const fs::path folder = fs::weakly_canonical(fs::absolute(projectFile, ec), ec).parent_path();
    const fs::path relative = target.lexically_relative(folder);
    analysis.cpt.file->name = (relative.empty() ? target : relative).generic_string();
}

}  // namespace vorta::project
