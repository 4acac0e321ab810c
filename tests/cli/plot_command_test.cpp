// `vorta plot` and `--charts` as an engineer or a script uses them.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/chart_examples.h"
#include "cli/xml_document.h"
#include "plot_command.h"

namespace vorta {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;
    std::string err;
};

Outcome plot(const std::vector<std::string>& args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out;
    std::ostringstream err;
    Outcome o;
    o.exitCode = cli::plotCommand(views, out, err);
    o.output = out.str();
    o.err = err.str();
    return o;
}

std::size_t svgCount(const std::string& html) {
    const test::XmlParse xml = test::parseXml(html);
    EXPECT_TRUE(xml.root) << xml.error;
    return xml.root ? xml.root->descendants("svg").size() : 0;
}

TEST(PlotCommand, WritesThePageBesideThePlotFileByDefault) {
    test::ExampleRun run = test::runExample("verification-curves-and-modifiers");
    const Outcome o = plot({run.plot.string(), "--report", run.report.string()});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const std::filesystem::path page = *run.dir / "plot.html";
    ASSERT_TRUE(std::filesystem::exists(page));
    EXPECT_NE(o.output.find(page.string()), std::string::npos);
    // Two tables and all methods together, two charts of nine layer curves, the tip curve, the
    // load-settlement curve, the load distribution and one chart of three verification curves.
    EXPECT_EQ(svgCount(test::readFile(page)), 2u + 1 + 2 + 1 + 2 + 1);
    const Outcome named = plot({run.plot.string(), "-o", (*run.dir / "x.html").string()});
    EXPECT_EQ(named.exitCode, 0) << named.err;
    EXPECT_TRUE(std::filesystem::exists(*run.dir / "x.html"));
}

TEST(PlotCommand, OneChartAsAnSvgFile) {
    test::ExampleRun run = test::runExample("open-pipe-sand-over-clay");
    const Outcome o = plot({run.plot.string(), "--report", run.report.string(), "--chart", "ultimate"});
    ASSERT_EQ(o.exitCode, 0) << o.err;
    const std::string svg = test::readFile(*run.dir / "plot-ultimate.svg");
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    const test::XmlParse xml = test::parseXml(svg);
    ASSERT_TRUE(xml.root) << xml.error;
    EXPECT_EQ(xml.root->name, "svg");
    EXPECT_EQ(*xml.root->attribute("xmlns"), "http://www.w3.org/2000/svg");
    EXPECT_EQ(xml.root->descendants("polyline").size(), 3u);  // FHWA, USACE, API RP-2A

    const Outcome unknown = plot({run.plot.string(), "--chart", "layer-tz-9"});
    EXPECT_EQ(unknown.exitCode, cli::kExitUsage);
    EXPECT_NE(unknown.err.find("has no chart layer-tz-9"), std::string::npos) << unknown.err;
    EXPECT_NE(unknown.err.find("layer-tz-2"), std::string::npos) << unknown.err;  // the ones it has
}

TEST(PlotCommand, BadPlotFileGivesTheFileTheLineAndStatusTwo) {
    test::TempDir dir("plot-bad");
    test::ExampleRun run = test::runExample("open-pipe-sand-over-clay");
    std::vector<std::string> lines = test::splitLines(test::readFile(run.plot));
    lines.resize(300);  // cut inside the load steps
    std::string cut;
    for (const std::string& line : lines) cut += line + "\n";
    test::writeFile(dir / "cut.plt", cut);
    const Outcome o = plot({(dir / "cut.plt").string()});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("cut.plt, line 301 (load step 2, segment 12 from the tip): the file ends where"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "cut.html"));  // no page of half a file

    const Outcome missing = plot({(dir / "absent.plt").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("absent.plt: the plot-data file cannot be opened"), std::string::npos) << missing.err;
    const Outcome noReport = plot({run.plot.string(), "--report", (dir / "absent.out").string()});
    EXPECT_EQ(noReport.exitCode, 2);
    EXPECT_NE(noReport.err.find("absent.out: the report cannot be opened"), std::string::npos) << noReport.err;
}

TEST(PlotCommand, UsageErrors) {
    EXPECT_EQ(plot({}).exitCode, cli::kExitUsage);
    EXPECT_EQ(plot({"a.plt", "b.plt"}).exitCode, cli::kExitUsage);
    EXPECT_EQ(plot({"a.plt", "--report"}).exitCode, cli::kExitUsage);
    EXPECT_EQ(plot({"a.plt", "--colour"}).exitCode, cli::kExitUsage);
    // The page never overwrites the files it is drawn from.
    test::TempDir dir("plot-usage");
    test::writeFile(dir / "run.html", "3 1 1 1\n");
    const Outcome same = plot({(dir / "run.html").string()});
    EXPECT_EQ(same.exitCode, cli::kExitUsage);
    EXPECT_NE(same.err.find("is an input of the plot"), std::string::npos) << same.err;
    EXPECT_EQ(test::readFile(dir / "run.html"), "3 1 1 1\n");
    EXPECT_EQ(plot({(dir / "run.plt").string(), "--report", (dir / "r.out").string(), "-o", (dir / "r.out").string()})
                  .exitCode,
              cli::kExitUsage);
    const Outcome help = plot({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("vorta plot PLOTFILE"), std::string::npos);
}

TEST(PlotCommand, RunThatStoppedHasNoCharts) {
    test::ExampleRun run = test::runExample("stop-profile-too-short");
    ASSERT_EQ(run.status, kRunStoppedOnInput);
    const Outcome o = plot({run.plot.string(), "--report", run.report.string()});
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_NE(o.err.find("the plot-data file is empty"), std::string::npos) << o.err;

    std::ostringstream out;
    std::ostringstream err;
    const std::filesystem::path page = *run.dir / "charts.html";
    EXPECT_EQ(cli::writeRunCharts(run.result, run.status, page, {}, out, err), kRunStoppedOnInput);
    EXPECT_FALSE(std::filesystem::exists(page));
    EXPECT_NE(out.str().find("No charts written"), std::string::npos);
}

TEST(PlotCommand, ChartsThatCannotBeWrittenGiveStatusTwo) {
    test::ExampleRun run = test::runExample("usace-user-critical-depth");
    std::ostringstream out;
    std::ostringstream err;
    const std::filesystem::path page = *run.dir / "no-such-folder" / "charts.html";
    EXPECT_EQ(cli::writeRunCharts(run.result, run.status, page, {}, out, err), 2);
    EXPECT_NE(err.str().find("cannot be written"), std::string::npos);
}

TEST(CommandLineCharts, RunWithChartsWritesTheReportPlotFileAndPage) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli-charts");
    const std::filesystem::path source = test::sourcePath("examples/usace-stress-rule-si");
    std::filesystem::copy_file(source / "input.dat", dir / "pile.dat");
    const test::CliRun o = test::runCli("run pile.dat --charts pile.html", dir.path());
    EXPECT_EQ(o.exitCode, 0) << o.output;
    EXPECT_TRUE(std::filesystem::exists(dir / "pile.out"));
    EXPECT_TRUE(std::filesystem::exists(dir / "pile.plt"));
    ASSERT_TRUE(std::filesystem::exists(dir / "pile.html")) << o.output;
    // One table and all methods together, two charts of twelve layer curves, the tip curve, the
    // load-settlement curve and the load distribution.
    EXPECT_EQ(svgCount(test::readFile(dir / "pile.html")), 2u + 2 + 1 + 2);
    EXPECT_NE(o.output.find("Charts written to"), std::string::npos);
    EXPECT_EQ(test::runCli("run pile.dat --charts", dir.path()).exitCode, 64);
}

TEST(CommandLineCharts, RunOnNamesDatWithCharts) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli-names-charts");
    const std::filesystem::path source = test::sourcePath("examples/usace-user-critical-depth");
    for (const char* f : {"names.dat", "input.dat", "sounding.cpt"}) std::filesystem::copy_file(source / f, dir / f);
    const test::CliRun o = test::runCli("--charts charts.html", dir.path());
    EXPECT_EQ(o.exitCode, 0) << o.output;
    ASSERT_TRUE(std::filesystem::exists(dir / "charts.html")) << o.output;
    EXPECT_EQ(svgCount(test::readFile(dir / "charts.html")), 2u + 1 + 1 + 2);  // 6 layer curves: one chart
    EXPECT_EQ(test::runCli("--charts", dir.path()).exitCode, 64);
    // The page of the plot command on the same files has the same charts.
    const test::CliRun p = test::runCli("plot plot.plt --report report.out -o again.html", dir.path());
    EXPECT_EQ(p.exitCode, 0) << p.output;
    EXPECT_EQ(svgCount(test::readFile(dir / "again.html")), 6u);
}

}  // namespace
}  // namespace vorta
