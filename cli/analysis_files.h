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

namespace vorta::cli {

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
