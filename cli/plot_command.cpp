// `vorta plot` and the charts of `vorta run --charts`.
#include "plot_command.h"

#include <fstream>
#include <optional>

#include "chart_page.h"
#include "plot_data.h"

namespace vorta::cli {
namespace {

constexpr int kExitFileError = 2;

bool samePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    const std::filesystem::path ca = std::filesystem::weakly_canonical(a, ec);
    if (ec) return false;
    const std::filesystem::path cb = std::filesystem::weakly_canonical(b, ec);
    return !ec && ca == cb;
}

bool writeText(const std::filesystem::path& file, const std::string& text, std::ostream& err) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out) out << text;
    if (out) out.close();
    if (!out) {
        err << "vorta: " << file.string() << ": cannot be written\n";
        return false;
    }
    return true;
}

}  // namespace

void printPlotUsage(std::ostream& out) {
    out << "usage: vorta plot PLOTFILE [--report REPORT] [-o OUT.html] [--chart ID]\n"
           "  draws the charts of a run from its plot-data file into one HTML file (inline SVG, no\n"
           "  script); OUT defaults to PLOTFILE's base name with .html. --report names the report of\n"
           "  the same run, for the method names and titles (without it the tables are numbered).\n"
           "  --chart ID writes the one chart ID as an SVG file instead (OUT defaults to\n"
           "  PLOTFILE's base name, a hyphen and ID, with .svg). Chart IDs: capacity-1, capacity-2,\n"
           "  ... (one per table), ultimate, layer-tz-1, ..., tip-qw, load-settlement,\n"
           "  load-distribution, verification-tz-1, ...\n";
}

int plotCommand(const std::vector<std::string_view>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::filesystem::path> plot;
    std::optional<std::filesystem::path> report;
    std::optional<std::filesystem::path> page;
    std::optional<std::string> chartId;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view a = args[i];
        const auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                err << "vorta: " << a << " needs a value\n";
                return std::nullopt;
            }
            return std::string(args[++i]);
        };
        if (a == "--report" || a == "-o" || a == "--output" || a == "--chart") {
            const std::optional<std::string> v = value();
            if (!v) return kExitUsage;
            if (a == "--report") report = std::filesystem::path(*v);
            else if (a == "--chart") chartId = *v;
            else page = std::filesystem::path(*v);
        } else if (a == "--help" || a == "-h") {
            printPlotUsage(out);
            return 0;
        } else if (!a.empty() && a[0] == '-') {
            err << "vorta: unknown option " << a << "\n";
            printPlotUsage(err);
            return kExitUsage;
        } else if (!plot) {
            plot = std::filesystem::path(std::string(a));
        } else {
            err << "vorta: plot takes one plot-data file\n";
            return kExitUsage;
        }
    }
    if (!plot) {
        err << "vorta: plot needs a plot-data file\n";
        printPlotUsage(err);
        return kExitUsage;
    }

    const std::filesystem::path defaultPage =
        chartId ? std::filesystem::path(*plot).replace_filename(plot->stem().string() + "-" + *chartId + ".svg")
                : std::filesystem::path(*plot).replace_extension(".html");
    const std::filesystem::path target = page ? *page : defaultPage;
    if (samePath(target, *plot) || (report && samePath(target, *report))) {
        err << "vorta: " << target.string() << " is an input of the plot; name another output file\n";
        return kExitUsage;
    }

    PlotData data;
    try {
        data = readPlotData(*plot, report);
    } catch (const InputError& e) {
        err << "vorta: " << e.what() << "\n";
        return kExitFileError;
    }

    std::vector<std::string> sources{"plot-data file " + plot->string()};
    if (report) sources.push_back("report " + report->string());

    if (chartId) {
        for (const ChartSection& section : chartsOfAnalysis(data.result, data.tablesNamed)) {
            for (const Chart& chart : section.charts) {
                if (chart.id != *chartId) continue;
                if (!writeText(target, renderChartSvg(chart, true), err)) return kExitFileError;
                out << "Chart written to " << target.string() << "\n";
                return 0;
            }
        }
        err << "vorta: " << plot->string() << " has no chart " << *chartId << "; it has:";
        for (const ChartSection& section : chartsOfAnalysis(data.result, data.tablesNamed)) {
            for (const Chart& chart : section.charts) err << " " << chart.id;
        }
        err << "\n";
        return kExitUsage;
    }

    ChartPageOptions options;
    options.tablesNamed = data.tablesNamed;
    options.generalBlockAbsent = data.generalBlockAbsent;
    options.sources = sources;
    if (!writeText(target, renderChartPage(data.result, options), err)) return kExitFileError;
    out << "Charts written to " << target.string() << "\n";
    return 0;
}

int writeRunCharts(const AnalysisResult& result, RunStatus status, const std::filesystem::path& page,
                   const std::vector<std::string>& sources, std::ostream& out, std::ostream& err,
                   const Analysis* analysis) {
    if (status == kRunStoppedOnInput) {
        out << "No charts written: the run stopped on its input (see the report)\n";
        return status;
    }
    if (status != kRunCompleted) return status;
    ChartPageOptions options;
    options.sources = sources;
    options.analysis = analysis;
    if (!writeText(page, renderChartPage(result, options), err)) return kExitFileError;
    out << "Charts written to    " << page.string() << "\n";
    return status;
}

}  // namespace vorta::cli
