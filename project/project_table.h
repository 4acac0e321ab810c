// A project file as a TOML table in memory, for the faces that hold an analysis in another form with
// the same keys and nesting (a JSON analysis): read from a table, written to one, through the same
// reader and writer as the project files.
#pragma once

#include <filesystem>
#include <string>

#include <toml++/toml.h>

#include "vorta/project.h"

namespace vorta::project {

// Reads an analysis from a table that holds the keys of a project file. The problems name the keys,
// and the lines where `linesKnown` (a table parsed from a text) and ProjectProblem::line 0 where not
// (a table built in memory); `sourceName` opens every message. A CPT file that the table names is
// read relative to `folder`. Throws ProjectError.
Analysis readProjectTable(const toml::table& root, const std::string& sourceName, const std::filesystem::path& folder,
                          bool linesKnown = false);

// The table of the project file that writeProjectFile writes. Throws InputError as it does.
toml::table writeProjectTable(const Analysis& analysis);

}  // namespace vorta::project
