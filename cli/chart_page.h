// The charts of one analysis and the HTML page that holds them: capacity against pile length for
// every printed method and of all methods together, the layer t-z curves, the tip q-w curve, the
// load versus settlement curve, the load distribution of every load step and the verification t-z
// curves, under a box with the advisories of the run. The page is one self-contained file: inline
// SVG, no script, nothing fetched.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "svg_charts.h"
#include "vorta/analysis.h"
#include "vorta/result.h"

namespace vorta::cli {

struct ChartSection {
    std::string id;
    std::string heading;
    std::vector<Chart> charts;
};

// t-z curves share a chart in groups of this many.
inline constexpr std::size_t kCurvesPerChart = 6;

// The charts of the results, by section; sections without data are left out. `tablesNamed` false:
// the tables' methods are unknown (a plot-data file read without its report).
std::vector<ChartSection> chartsOfAnalysis(const AnalysisResult& result, bool tablesNamed = true);

// The CPT sounding against depth (cone resistance; sleeve friction and pore pressure when it has
// them) with the layers of the soil profile beside it; nothing when the sounding has no points.
std::optional<ChartSection> soundingSection(const Analysis& analysis);

struct ChartPageOptions {
    const Analysis* analysis = nullptr;  // when known, its sounding is drawn too
    bool tablesNamed = true;
    bool generalBlockAbsent = false;   // the general method was counted but printed no table
    std::vector<std::string> sources;  // lines naming the files the charts were drawn from
};

std::string renderChartPage(const AnalysisResult& result, const ChartPageOptions& options = {});

}  // namespace vorta::cli
