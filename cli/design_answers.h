// The design answers of a run on the command line: the table after `vorta run`, the file
// NAME.design.csv beside the report, the JSON of `vorta design --json`, and the command
// `vorta design FILE --load LOAD [--factor-of-safety F] [--json]`.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "vorta/result.h"

namespace vorta::cli {

// The table of the design answers, for the console: method, load, least embedded length and the
// capacity there (and where it is lost again deeper, which the run's advisories tell in full), and
// the basis of the lengths. Nothing when there is none.
void printDesignTable(const AnalysisResult& result, std::ostream& out);

// NAME.design.csv beside a report NAME.out.
std::filesystem::path designFileOf(const std::filesystem::path& report);

// The design answers as CSV: a header record, then one record per method and load. False with
// `error` set when the file cannot be written.
bool writeDesignCsv(const AnalysisResult& result, const std::filesystem::path& file, std::string& error);

// The design answers as JSON: a list of objects with `method` (as a project file names it), the
// numbers of the result field table (`load`, `factor_of_safety`, `embedded_length` (null when not
// reached), `capacity`, `capacity_length`, `falls_below_again_at` (null when it does not),
// `factored`) and `advisory`.
std::string designJson(const AnalysisResult& result);

// vorta design FILE [--cpt FILE] [--load LOAD]... [--factor-of-safety F] [--json] [--chart ID
// [-o OUT.svg]]. Returns the exit code (64 for a usage error).
int designCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err);

}  // namespace vorta::cli
