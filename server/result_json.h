// The results of a run as JSON and CSV: every capacity table, the load-transfer curves, the load
// steps and the charts of `vorta plot`. One place, driven by the result types, so that the page, the
// API and the downloads never describe a value two ways.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "vorta/analysis.h"
#include "vorta/result.h"
#include "vorta/vorta.h"

namespace vorta::server {

// The results of a run: status, messages, units of the columns, the capacity tables, the curves, the
// load steps, the charts (as `vorta plot` draws them) and the water table the engine assumed.
nlohmann::ordered_json resultJson(const AnalysisResult& result, RunStatus status, const Analysis& analysis);

// Every capacity table as CSV: one record per printed row, the method first.
std::string capacityTablesCsv(const AnalysisResult& result);

}  // namespace vorta::server
