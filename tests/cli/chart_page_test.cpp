// The chart pages of the example analyses, parsed as XML: every chart with the series and the
// number of points that the example's results call for.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

#include "chart_page.h"
#include "cli/chart_examples.h"
#include "cli/xml_document.h"
#include "plot_data.h"

namespace vorta {
namespace {

struct SeriesSeen {
    std::string name;
    std::size_t points = 0;  // of its polyline
};

struct ChartSeen {
    std::string title;
    std::vector<SeriesSeen> series;
    std::vector<std::string> legend;
};

bool hasClass(const test::XmlElement& e, const std::string& cls) {
    const std::string* c = e.attribute("class");
    return c != nullptr && *c == cls;
}

// Every chart of a page by its id, with its series as drawn; fails the test when a polyline
// point lies outside the chart's plot frame.
std::map<std::string, ChartSeen> chartsOnPage(const std::string& html) {
    std::map<std::string, ChartSeen> charts;
    const test::XmlParse xml = test::parseXml(html);
    EXPECT_TRUE(xml.root) << xml.error;
    if (!xml.root) return charts;
    EXPECT_EQ(xml.root->name, "html");
    EXPECT_TRUE(xml.root->descendants("script").empty());
    EXPECT_TRUE(xml.root->descendants("link").empty());
    EXPECT_TRUE(xml.root->descendants("img").empty());
    for (const test::XmlElement* svg : xml.root->descendants("svg")) {
        const std::string* id = svg->attribute("id");
        EXPECT_NE(id, nullptr);
        if (id == nullptr) continue;
        EXPECT_EQ(charts.count(*id), 0u) << "two charts " << *id;
        ChartSeen& seen = charts[*id];
        const auto titles = svg->descendants("title");
        if (!titles.empty()) seen.title = titles[0]->allText();
        // The plot frame: the unfilled rectangle among the axes.
        double left = 0, top = 0, right = 0, bottom = 0;
        for (const test::XmlElement* g : svg->descendants("g")) {
            if (!hasClass(*g, "axes")) continue;
            for (const test::XmlElement* r : g->descendants("rect")) {
                left = std::stod(*r->attribute("x"));
                top = std::stod(*r->attribute("y"));
                right = left + std::stod(*r->attribute("width"));
                bottom = top + std::stod(*r->attribute("height"));
            }
        }
        EXPECT_GT(right, left) << *id;
        for (const test::XmlElement* g : svg->descendants("g")) {
            if (hasClass(*g, "legend-entry")) seen.legend.push_back(g->allText());
            if (!hasClass(*g, "series")) continue;
            SeriesSeen s;
            s.name = *g->attribute("data-name");
            const auto lines = g->descendants("polyline");
            EXPECT_EQ(lines.size(), 1u);
            if (lines.empty()) continue;
            std::istringstream in(*lines[0]->attribute("points"));
            for (std::string pair; in >> pair; ++s.points) {
                const std::size_t comma = pair.find(',');
                const double x = std::stod(pair.substr(0, comma));
                const double y = std::stod(pair.substr(comma + 1));
                EXPECT_TRUE(x >= left - 0.01 && x <= right + 0.01 && y >= top - 0.01 && y <= bottom + 0.01)
                    << *id << " " << s.name << " " << pair;
            }
            EXPECT_EQ(std::to_string(s.points), *g->attribute("data-points"));
            seen.series.push_back(std::move(s));
        }
    }
    return charts;
}

void expectSeries(const ChartSeen& chart, const std::vector<std::string>& names, std::size_t points,
                  const std::string& id) {
    SCOPED_TRACE(id);
    ASSERT_EQ(chart.series.size(), names.size());
    EXPECT_EQ(chart.legend, names);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(chart.series[i].name, names[i]);
        EXPECT_EQ(chart.series[i].points, points) << names[i];
    }
}

// The charts that an example's page must hold, from its expectations alone.
// `everyRow`: drawn from a run's results, which hold every row (a plot-data file holds the printed ones).
void expectExampleCharts(const std::map<std::string, ChartSeen>& charts, const test::ChartExample& ex,
                         bool named, bool everyRow = false) {
    std::size_t expectedCharts = 0;
    const auto chart = [&](const std::string& id) -> const ChartSeen& {
        static const ChartSeen none;
        ++expectedCharts;
        const auto it = charts.find(id);
        EXPECT_NE(it, charts.end()) << "no chart " << id;
        return it == charts.end() ? none : it->second;
    };
    const std::size_t rows = static_cast<std::size_t>(everyRow ? ex.rows : ex.printedRows);
    std::vector<std::string> methods;
    for (std::size_t t = 0; t < ex.tables.size(); ++t) {
        const std::string name = named ? std::string(cli::methodTitle(ex.tables[t])) : "Capacity table " + std::to_string(t + 1);
        methods.push_back(name);
        const std::string tip = !named ? "End bearing or self weight" : ex.tension ? "Self weight" : "End bearing";
        const ChartSeen& c = chart("capacity-" + std::to_string(t + 1));
        expectSeries(c, {"Ultimate capacity", "Skin friction", tip}, rows, "capacity-" + std::to_string(t + 1));
        EXPECT_EQ(c.title, name + ": capacity against pile length");
    }
    expectSeries(chart("ultimate"), methods, rows, "ultimate");

    // Layer curves, six to a chart, ten points each.
    const std::size_t layerCharts = (static_cast<std::size_t>(ex.layerCurves) + 5) / 6;
    for (std::size_t g = 0; g < layerCharts; ++g) {
        const ChartSeen& c = chart("layer-tz-" + std::to_string(g + 1));
        const std::size_t inChart = std::min<std::size_t>(6, static_cast<std::size_t>(ex.layerCurves) - 6 * g);
        ASSERT_EQ(c.series.size(), inChart) << g;
        for (std::size_t i = 0; i < inChart; ++i) {
            EXPECT_EQ(c.series[i].name.rfind("Curve " + std::to_string(6 * g + i + 1) + " at ", 0), 0u)
                << c.series[i].name;
            EXPECT_EQ(c.series[i].points, 10u);
        }
    }
    EXPECT_EQ(charts.count("layer-tz-" + std::to_string(layerCharts + 1)), 0u);
    expectSeries(chart("tip-qw"), {"Tip load"}, 10, "tip-qw");

    const std::size_t steps = static_cast<std::size_t>(ex.loadSteps);
    expectSeries(chart("load-settlement"),
                 {"Pile top: top load against top movement", "Pile tip: tip load against tip movement"}, steps,
                 "load-settlement");
    const ChartSeen& distribution = chart("load-distribution");
    ASSERT_EQ(distribution.series.size(), steps);
    for (std::size_t j = 0; j < steps; ++j) {
        EXPECT_EQ(distribution.series[j].name.rfind("Step " + std::to_string(j + 1) + ": top load ", 0), 0u);
        // One per pile segment of the march, which has a node per printed row.
        EXPECT_EQ(distribution.series[j].points, static_cast<std::size_t>(ex.printedRows));
    }

    const std::size_t verificationCharts = (static_cast<std::size_t>(ex.verificationCurves) + 5) / 6;
    for (std::size_t g = 0; g < verificationCharts; ++g) {
        const ChartSeen& c = chart("verification-tz-" + std::to_string(g + 1));
        EXPECT_EQ(c.series.size(), std::min<std::size_t>(6, static_cast<std::size_t>(ex.verificationCurves) - 6 * g));
        for (const SeriesSeen& s : c.series) EXPECT_EQ(s.points, 10u);
    }
    EXPECT_EQ(charts.size(), expectedCharts);
}

// Every example drawn three ways: from its plot-data file and report, from the plot-data file
// alone (tables unnamed), and from the run's results in memory as `vorta run --charts` draws them
// (every row, where the files hold the printed ones): the same series each time.
TEST(ChartPage, EveryExampleFromItsFilesAndFromTheRunsResults) {
    for (const test::ChartExample& ex : test::chartExamples()) {
        SCOPED_TRACE(ex.folder);
        test::ExampleRun run = test::runExample(ex.folder);
        ASSERT_EQ(run.status, kRunCompleted);
        const cli::PlotData d = cli::readPlotData(run.plot, run.report);
        cli::ChartPageOptions options;
        options.sources = {"plot-data file " + run.plot.string()};
        const std::string html = cli::renderChartPage(d.result, options);
        expectExampleCharts(chartsOnPage(html), ex, true);
        // The run's title, as the report prints it, heads the page.
        EXPECT_NE(html.find("<h1>" + cli::xmlEscaped(d.result.title) + "</h1>"), std::string::npos);
        EXPECT_EQ(run.result.title.rfind(d.result.title, 0), 0u);

        cli::ChartPageOptions unnamed;
        unnamed.tablesNamed = false;
        const std::string alone = cli::renderChartPage(cli::readPlotData(run.plot, std::nullopt).result, unnamed);
        expectExampleCharts(chartsOnPage(alone), ex, false);
        EXPECT_NE(alone.find("Drawn without the report"), std::string::npos);

        expectExampleCharts(chartsOnPage(cli::renderChartPage(run.result)), ex, true, true);
    }
}

TEST(ChartPage, TensionChartsShowTheSelfWeightBelowZero) {
    // Below the water table at 5 ft the buoyant self weight of the timber pile is negative, so
    // the capacity axis of its charts reaches below zero.
    test::ExampleRun run = test::runExample("timber-pile-tension");
    const std::vector<cli::ChartSection> sections = cli::chartsOfAnalysis(run.result);
    ASSERT_FALSE(sections.empty());
    const cli::Chart& fhwa = sections[0].charts[0];
    ASSERT_EQ(fhwa.series.size(), 3u);
    EXPECT_EQ(fhwa.series[2].name, "Self weight");
    double lowest = 0;
    for (const auto& [x, y] : fhwa.series[2].points) lowest = std::min(lowest, x);
    EXPECT_LT(lowest, 0.0);
    const std::string svg = cli::renderChartSvg(fhwa);
    EXPECT_NE(svg.find(">-"), std::string::npos);  // a negative tick label
    // Where the run took the water table, in a box above the charts.
    const std::string html = cli::renderChartPage(run.result);
    const std::size_t box = html.find("<div class=\"advisories\">");
    ASSERT_NE(box, std::string::npos);
    EXPECT_LT(box, html.find("<svg"));
    EXPECT_NE(html.find("<li>in tension the self weight is buoyant below 5 ft", box), std::string::npos);
}

TEST(ChartPage, UnitsOfTheRunOnTheAxes) {
    test::ExampleRun english = test::runExample("open-pipe-sand-over-clay");
    const auto e = cli::chartsOfAnalysis(english.result);
    EXPECT_EQ(e[0].charts[0].xLabel, "Capacity (kips)");
    EXPECT_EQ(e[0].charts[0].yLabel, "Pile length below ground (ft)");
    EXPECT_EQ(e[1].charts[0].xLabel, "Movement (in)");
    EXPECT_EQ(e[1].charts[0].yLabel, "Unit load transfer (psi)");
    test::ExampleRun si = test::runExample("usace-stress-rule-si");
    const auto s = cli::chartsOfAnalysis(si.result);
    EXPECT_EQ(s[0].charts[0].xLabel, "Capacity (kN)");
    EXPECT_EQ(s[0].charts[0].yLabel, "Pile length below ground (m)");
    EXPECT_EQ(s[1].charts[0].xLabel, "Movement (m)");
    EXPECT_EQ(s[1].charts[0].yLabel, "Unit load transfer (kPa)");
    EXPECT_EQ(s[2].charts[0].xLabel, "Load (kN)");
    EXPECT_EQ(s[2].charts[1].yLabel, "Distance from the pile head (m)");
}

TEST(ChartPage, EmptyResultsStillMakeAWellFormedPage) {
    AnalysisResult nothing;
    nothing.title = "A & B <pile>";
    const std::string html = cli::renderChartPage(nothing);
    const test::XmlParse xml = test::parseXml(html);
    ASSERT_TRUE(xml.root) << xml.error;
    EXPECT_TRUE(xml.root->descendants("svg").empty());
    EXPECT_NE(html.find("no results to chart"), std::string::npos);
    EXPECT_EQ(xml.root->descendants("h1").at(0)->allText(), "A & B <pile>");
}

}  // namespace
}  // namespace vorta
