// Analysis files of both kinds, the library vorta_project beside the engine: project files (an
// analysis stated in TOML, every value by its name, its names, units and meanings from the
// model's field tables) and input data files, read, written and run by one set of functions that
// decide the kind from the file's name. A build without toml++ reads and writes input data files
// only; a project file then gets an InputError that says so.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta::project {

// One problem of a project file: the key it concerns ("pile.length", "layers[2].shear_strength";
// empty when the text itself cannot be read), the line (0 when the analysis was not read from a
// text) and what was found and expected.
struct ProjectProblem {
    std::string key;
    int line = 0;
    std::string what;
};

// A project file that cannot be used. what() lists every problem found, one a line; each names the
// file, the line and the key and says what was expected. A run reports it with status 2.
class ProjectError : public InputError {
public:
    ProjectError(std::vector<std::string> problems, std::vector<ProjectProblem> details);
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<ProjectProblem>& details() const { return details_; }

private:
    std::vector<std::string> problems_;
    std::vector<ProjectProblem> details_;
};

// Reads a project file. A CPT file that the project names is read relative to the project file's
// folder. Throws ProjectError (or InputError for the CPT file it names). When `lines` is given it
// receives the line of every value read, for the run's messages about values (RunOptions::sourceLines).
Analysis readProjectFile(const std::filesystem::path& file, SourceLines* lines = nullptr);

// The same on a text; `fileName` names it in messages and `folder` is where a CPT file it names lies.
Analysis readProjectText(std::string_view text, const std::string& fileName, const std::filesystem::path& folder,
                         SourceLines* lines = nullptr);

// Writes a project file with a comment beside each value giving its unit. The CPT sounding is
// written inline. Throws InputError for a model that cannot be stated (see writeInputDeck).
void writeProjectFile(const Analysis& analysis, std::ostream& out);

// A sounding file's name as a project file written to `projectFile` must give it: relative to the
// project file's folder where it can be, else absolute. Nothing changes without a sounding file.
void nameSoundingFileFrom(Analysis& analysis, const std::filesystem::path& projectFile);

// The reference of every key of a project file (Markdown tables), made from the field tables.
std::string keyReference();

}  // namespace vorta::project

namespace vorta {

// The kind of an analysis file, by its name: ProjectFile for a .toml file (in any case),
// InputDeck for any other.
ValueSource analysisFileKind(const std::filesystem::path& file);

struct ReadOptions {
    // The CPT file of an input data file; empty: a sounding with no points. A project file holds
    // its own sounding, and naming a CPT file for one is an error.
    std::filesystem::path cpt;
    // How a CPT file of another program (GEF, AGS4, CSV) is read in the analysis's units
    // (location, columns, every n-th point); it is kept as the analysis's sounding file.
    SoundingFile cptReading;
};

struct AnalysisFile {
    Analysis analysis;
    ValueSource kind = ValueSource::InputDeck;
    SourceLines lines;  // the line of every value of a project file, for the run's messages
};

// Reads an input data file (with its CPT file) or a project file. Throws InputError with every
// problem found, each naming the file and the line.
AnalysisFile readAnalysisFile(const std::filesystem::path& file, const ReadOptions& options = {});

// Writes an analysis as a project file or as an input data file, by the name of `file`; an input
// data file's sounding goes to `cpt` (empty: beside it, with the extension .cpt). Throws InputError
// for a model that cannot be stated, a file that cannot be written, or an output that is also the
// other output.
void writeAnalysisFile(const Analysis& analysis, const std::filesystem::path& file,
                       const std::filesystem::path& cpt = {});

// Writes an input data file and its CPT file (empty: beside it, with the extension .cpt),
// whatever their names. Throws InputError as writeAnalysisFile does.
void writeDeckFiles(const Analysis& analysis, const std::filesystem::path& deck, const std::filesystem::path& cpt = {});

// Whether a CPT file is one of another program (GEF, AGS4, CSV), which the engine cannot read as it
// stands.
bool isForeignCptFile(const std::filesystem::path& cpt);

// The CPT file written beside an input data file: its name with the extension .cpt.
std::filesystem::path cptFileBeside(const std::filesystem::path& deck);

// Writes a text file whole or not at all: the text goes to a file beside it that then takes its
// name. Throws InputError when the file cannot be written.
void writeWholeFile(const std::filesystem::path& file, const std::string& text);

// Runs an input data file or a project file. The report and the plot-data file default to the
// input's name with .out and .plt. An input data file with the engine's CPT file is read by the
// run itself, which reports a file it cannot use with status 2; a project file, or an input data
// file with a CPT file of another program, is read first, and one that cannot be read throws
// InputError before anything is written. The report header names the input file, and the
// messages about values name their place in words of the file's kind.
RunStatus runFile(const RunFiles& files, const RunOptions& options = {});

}  // namespace vorta
