// An analysis as JSON: exactly the keys and nesting of a project file ("pile": {"length": 25.5},
// "layers": [{"top": 0, "bottom": 4, "shear_strength": [25, 40]}], ...), read and written through the
// project file's own reader and writer, so that the two forms can never say different things.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "vorta/project.h"
#include "vorta/analysis.h"

namespace vorta::analysis_json {

// Reads an analysis from a JSON value. A value of no JSON type a project file takes (null in a list,
// nesting deeper than a project file has) and every problem of the project reader are reported
// together by key, without a line: throws project::ProjectError. `sourceName` opens each message; a
// CPT file the analysis names is read relative to `folder`.
Analysis analysisFromJson(const nlohmann::json& value, const std::string& sourceName,
                          const std::filesystem::path& folder);

// The same from a text; a text that is not JSON is one problem with the parser's message.
Analysis readAnalysisJson(std::string_view text, const std::string& sourceName, const std::filesystem::path& folder);

// The JSON of an analysis, its keys in the order a project file writes them. Throws InputError for an
// analysis that cannot be stated (as writeProjectFile does).
nlohmann::ordered_json analysisToJson(const Analysis& analysis);

// The JSON text of an analysis, indented by two blanks and ended by a line feed.
std::string analysisJsonText(const Analysis& analysis);

// Whether a file name is a JSON analysis's (extension .json).
bool isJsonFileName(const std::filesystem::path& file);

}  // namespace vorta::analysis_json
