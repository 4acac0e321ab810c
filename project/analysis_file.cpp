// Analysis files of either kind: which kind a file is, and reading, writing and running it.
#include <fstream>
#include <sstream>
#include <system_error>

#include "vorta/project.h"

namespace vorta {
namespace fs = std::filesystem;

namespace {

void save(const fs::path& file, const std::string& content) {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f << content;
    f.close();
    if (!f) throw InputError(file.string() + ": the file cannot be written");
}

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

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

fs::path cptFileBeside(const fs::path& deck) { return fs::path(deck).replace_extension(".cpt"); }

AnalysisFile readAnalysisFile(const fs::path& file, const ReadOptions& options) {
    AnalysisFile read;
    read.kind = analysisFileKind(file);
    if (read.kind == ValueSource::ProjectFile) {
        noCptForProjectFile(file, options.cpt);
        read.analysis = project::readProjectFile(file, &read.lines);
    } else {
        read.analysis = readInputDeck(file, options.cpt);
    }
    return read;
}

void writeAnalysisFile(const Analysis& analysis, const fs::path& file, const fs::path& cpt) {
    std::ostringstream text;
    if (analysisFileKind(file) == ValueSource::ProjectFile) {
        project::writeProjectFile(analysis, text);
        save(file, text.str());
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
    save(deck, text.str());
    save(cptFile, cptText.str());
}

RunStatus runFile(const RunFiles& files, const RunOptions& options) {
    RunFiles named = files;
    if (named.report.empty()) named.report = fs::path(files.input).replace_extension(".out");
    if (named.plot.empty()) named.plot = fs::path(files.input).replace_extension(".plt");
    if (analysisFileKind(files.input) == ValueSource::InputDeck) return runOnFiles(named, options);

    noCptForProjectFile(files.input, files.cpt);
    SourceLines lines;
    const Analysis analysis = project::readProjectFile(files.input, &lines);
    RunOptions projectRun = options;
    projectRun.report = named.report;
    projectRun.plot = named.plot;
    projectRun.sourceName = files.input.string();
    projectRun.sourceKind = ValueSource::ProjectFile;
    projectRun.sourceLines = &lines;
    if (!files.versionText.empty()) projectRun.versionText = files.versionText;
    return runAnalysis(analysis, projectRun);
}

}  // namespace vorta
