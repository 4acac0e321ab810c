// `vorta plot` and the charts that `vorta run --charts` writes after an analysis.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta::cli {

inline constexpr int kExitUsage = 64;

// vorta plot PLOTFILE [--report REPORT] [-o OUT] [--chart ID]
// Reads the plot-data file (and the report of the same run, for the method names and titles)
// and writes the HTML page of charts, or with --chart the one chart ID as an SVG file. Returns the
// exit code: 0 written, 2 a file could not be used (the message names it), 64 a usage error.
int plotCommand(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err);

void printPlotUsage(std::ostream& out);

// The page of charts of a finished run, from its in-memory results. Returns the exit code of the
// whole command: the run's status, or 2 when the page cannot be written. A run that stopped on
// its input has nothing to chart: it is said so and the status stays 1.
// `analysis`, when known, adds its CPT sounding beside the soil profile.
int writeRunCharts(const AnalysisResult& result, RunStatus status, const std::filesystem::path& page,
                   const std::vector<std::string>& sources, std::ostream& out, std::ostream& err,
                   const Analysis* analysis = nullptr);

}  // namespace vorta::cli
