// The two forms of an analysis on the command line: input data files (with their CPT files) and
// project files (.toml). Reading either into the model, converting between them and checking.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "vorta/analysis.h"

namespace vorta::cli {

// Whether this build reads and writes project files (toml++ was found).
bool projectFilesSupported();

// Whether a file is a project file (by its extension).
bool isProjectFile(const std::filesystem::path& file);
// Whether a file is a JSON analysis, the keys and nesting of a project file (extension .json).
bool isJsonFile(const std::filesystem::path& file);

// Reads a project file, a JSON analysis, or an input data file with its CPT file (no sounding when `cpt` is
// empty). Throws InputError with every problem found.
// `lines`, when given, receives the line of each value of a project file (for the run's messages).
// A CPT file of another program (GEF, AGS4, CSV) is read in the analysis's units as `cptReading`
// says (location, columns, every n-th point) and kept as the analysis's sounding file.
Analysis readAnalysisFile(const std::filesystem::path& file, const std::filesystem::path& cpt,
                          SourceLines* lines = nullptr, const SoundingFile& cptReading = {});

// Whether `cpt` is a CPT file of another program, which the engine cannot read as it stands.
bool isForeignCptFile(const std::filesystem::path& cpt);

// What reading the analysis's sounding file skipped or left out, one line each after "vorta: ".
void printSoundingNotes(const Analysis& analysis, std::ostream& err);

// Writes a model as a project file, a JSON analysis or an input data file (by the extension of `out`); an input
// data file's sounding goes to `cpt`. Throws InputError.
void writeAnalysisFile(const Analysis& analysis, const std::filesystem::path& out, const std::filesystem::path& cpt);

// vorta convert IN -o OUT [--cpt FILE] [--units English|SI] [--embed-cpt] [--location ID]
// [--depth-column NAME] [--qc-column NAME] [--every N]; vorta check FILE [--cpt FILE]. Return the
// exit code.
int convertCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int checkCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

// The reference of the project file's keys (docs/project-file.md holds it).
int keysCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace vorta::cli
