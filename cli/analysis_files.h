// The commands on analysis files of either kind: converting between input data files (with their
// CPT files) and project files (.toml), CPT files of other programs into the engine's, checking,
// and the reference of the project file's keys.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "vorta/analysis.h"
#include "vorta/project.h"

namespace vorta::cli {

// An analysis file of any kind the command line takes: a project file, an input data file with
// its CPT file, or a JSON analysis. Throws InputError.
AnalysisFile readAnyAnalysisFile(const std::filesystem::path& file, const ReadOptions& options = {});
// Writes an analysis as a project file, an input data file or a JSON analysis, by the name of `out`.
void writeAnyAnalysisFile(const Analysis& analysis, const std::filesystem::path& out, const std::filesystem::path& cpt);

// What reading the analysis's sounding file skipped or left out, one line each after "vorta: ".
void printSoundingNotes(const Analysis& analysis, std::ostream& err);

// vorta convert IN -o OUT [--cpt FILE] [--units English|SI] [--embed-cpt] [--location ID]
// [--depth-column NAME] [--qc-column NAME] [--every N]; vorta check FILE [--cpt FILE]. Return the
// exit code.
int convertCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);
int checkCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

// The reference of the project file's keys (docs/project-file.md holds it).
int keysCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace vorta::cli
