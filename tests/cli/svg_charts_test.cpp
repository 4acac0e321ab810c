// Axes, scaling and markup of one chart.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "cli/xml_document.h"
#include "svg_charts.h"

namespace vorta {
namespace {

using cli::AxisTicks;
using cli::Chart;
using cli::niceTicks;

std::vector<std::pair<double, double>> polylinePoints(const test::XmlElement& polyline) {
    std::vector<std::pair<double, double>> out;
    const std::string* points = polyline.attribute("points");
    if (points == nullptr) return out;
    std::istringstream in(*points);
    for (std::string pair; in >> pair;) {
        const std::size_t comma = pair.find(',');
        out.emplace_back(std::stod(pair.substr(0, comma)), std::stod(pair.substr(comma + 1)));
    }
    return out;
}

TEST(ChartAxes, TicksAtRoundNumbersCoverTheDataAndZero) {
    // Capacities up to 536.9 kips: 536.9 / 5 = 107 -> steps of 100, 0 to 600.
    AxisTicks t = niceTicks(0.0, 536.9);
    EXPECT_DOUBLE_EQ(t.step, 100.0);
    EXPECT_DOUBLE_EQ(t.low, 0.0);
    EXPECT_DOUBLE_EQ(t.high, 600.0);
    EXPECT_EQ(t.values.size(), 7u);
    EXPECT_EQ(t.decimals, 0);
    // Unit load transfer up to 2.6 psi: 0.52 -> 0.5, ticks 0, 0.5, ..., 3.0 with one decimal.
    t = niceTicks(0.0, 2.6);
    EXPECT_DOUBLE_EQ(t.step, 0.5);
    EXPECT_DOUBLE_EQ(t.high, 3.0);
    EXPECT_EQ(t.decimals, 1);
    // Movements in metres: 0.0508 / 5 = 0.01016 -> steps of 0.01, up to 0.06, two decimals.
    t = niceTicks(0.0, 0.0508);
    EXPECT_DOUBLE_EQ(t.step, 0.01);
    EXPECT_NEAR(t.high, 0.06, 1e-15);
    EXPECT_EQ(t.decimals, 2);
    // A negative self weight: -12.3 to 40, span 52.3 / 5 = 10.5 -> steps of 10 from -20 to 40.
    t = niceTicks(-12.3, 40.0);
    EXPECT_DOUBLE_EQ(t.step, 10.0);
    EXPECT_DOUBLE_EQ(t.low, -20.0);
    EXPECT_DOUBLE_EQ(t.high, 40.0);
    // Data away from zero still starts at zero: 70 to 80 ft -> 0 to 80 in steps of 20.
    t = niceTicks(70.0, 80.0);
    EXPECT_DOUBLE_EQ(t.low, 0.0);
    EXPECT_DOUBLE_EQ(t.step, 20.0);
    // No data, or only zeros: zero to one.
    t = niceTicks(0.0, 0.0);
    EXPECT_DOUBLE_EQ(t.low, 0.0);
    EXPECT_DOUBLE_EQ(t.high, 1.0);
    t = niceTicks(std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity());
    EXPECT_DOUBLE_EQ(t.high, 1.0);
    // Every tick a whole multiple of the step, the step 1, 2 or 5 times a power of ten.
    for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{{0, 1.7}, {0, 23}, {-0.003, 0.0004}, {0, 9.99e6}}) {
        t = niceTicks(lo, hi);
        const double mantissa = t.step / std::pow(10.0, std::floor(std::log10(t.step) + 1e-9));
        EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-9 || std::fabs(mantissa - 2) < 1e-9 || std::fabs(mantissa - 5) < 1e-9)
            << t.step;
        EXPECT_LE(t.low, lo);
        EXPECT_GE(t.high, hi);
        EXPECT_GE(t.values.size(), 4u);
        EXPECT_LE(t.values.size(), 9u);
    }
}

TEST(ChartAxes, LabelsOfTicksAndValues) {
    EXPECT_EQ(cli::formatTick(-0.0000001, 2), "0.00");
    EXPECT_EQ(cli::formatTick(0.30000000000000004, 1), "0.3");
    EXPECT_EQ(cli::formatTick(-20, 0), "-20");
    EXPECT_EQ(cli::formatValue(0.5512), "0.5512");
    EXPECT_EQ(cli::formatValue(489.1), "489.1");
    EXPECT_EQ(cli::formatValue(470.0), "470");
    EXPECT_EQ(cli::formatValue(0.00254), "0.00254");
    EXPECT_EQ(cli::formatValue(1234.567), "1235");
    EXPECT_EQ(cli::formatValue(0.0), "0");
    EXPECT_EQ(cli::xmlEscaped("A&B <\"x\"> 'y'"), "A&amp;B &lt;&quot;x&quot;&gt; &apos;y&apos;");
}

// A depth chart: capacity 0 to 500 across the top, pile length 0 to 80 ft down the side. The
// plot area runs from x = 84 to 732 and y = 84 to 424, so (250 kips, 40 ft) lies at
// x = 84 + 250/500 * 648 = 408, y = 84 + 40/80 * 340 = 254.
TEST(ChartSvg, PointsAreScaledIntoThePlotAreaWithDepthDownwards) {
    Chart c;
    c.id = "capacity-1";
    c.title = "Test";
    c.xLabel = "Capacity (kip)";
    c.yLabel = "Pile length below ground (ft)";
    c.yDownward = true;
    c.series.push_back({"Ultimate capacity", {{0, 0}, {250, 40}, {500, 80}}});
    const test::XmlParse xml = test::parseXml(cli::renderChartSvg(c, true));
    ASSERT_TRUE(xml.root) << xml.error;
    EXPECT_EQ(xml.root->name, "svg");
    const auto lines = xml.root->descendants("polyline");
    ASSERT_EQ(lines.size(), 1u);
    const auto p = polylinePoints(*lines[0]);
    ASSERT_EQ(p.size(), 3u);
    EXPECT_DOUBLE_EQ(p[0].first, 84);
    EXPECT_DOUBLE_EQ(p[0].second, 84);
    EXPECT_DOUBLE_EQ(p[1].first, 408);
    EXPECT_DOUBLE_EQ(p[1].second, 254);
    EXPECT_DOUBLE_EQ(p[2].first, 732);
    EXPECT_DOUBLE_EQ(p[2].second, 424);

    // Upwards, with the x axis below: the plot area runs from y = 44 to 384, so the origin lies at
    // the bottom, y = 384, and (500, 80) at the top, y = 44.
    c.yDownward = false;
    const test::XmlParse up = test::parseXml(cli::renderChartSvg(c));
    ASSERT_TRUE(up.root) << up.error;
    const auto q = polylinePoints(*up.root->descendants("polyline")[0]);
    ASSERT_EQ(q.size(), 3u);
    EXPECT_DOUBLE_EQ(q[0].second, 384);
    EXPECT_DOUBLE_EQ(q[1].second, 214);  // 384 - 40/80 * 340
    EXPECT_DOUBLE_EQ(q[2].second, 44);
}

TEST(ChartSvg, TickLabelsAreRoundAndEvenlySpaced) {
    Chart c;
    c.id = "x";
    c.series.push_back({"a", {{0, 0}, {0.0123, 2.6}}});
    const test::XmlParse xml = test::parseXml(cli::renderChartSvg(c));
    ASSERT_TRUE(xml.root) << xml.error;
    std::vector<std::string> labels;
    for (const test::XmlElement* t : xml.root->descendants("text")) {
        const std::string* cls = t->attribute("class");
        if (cls != nullptr && *cls == "tick") labels.push_back(t->allText());
    }
    // x: 0.0123 / 5 -> 0.002 steps to 0.014 (8 ticks); y: 0 to 3.0 by 0.5 (7 ticks).
    const std::vector<std::string> expected = {"0.000", "0.002", "0.004", "0.006", "0.008", "0.010", "0.012",
                                               "0.014", "0.0",   "0.5",   "1.0",   "1.5",   "2.0",   "2.5",
                                               "3.0"};
    EXPECT_EQ(labels, expected);
}

TEST(ChartSvg, SeriesAreToldApartAndNamesEscaped) {
    Chart c;
    c.id = "many";
    c.title = "Curves <1> & \"2\"";
    for (int i = 0; i < 8; ++i) {
        c.series.push_back({"Curve " + std::to_string(i) + " & more", {{0, 0}, {1, static_cast<double>(i)}}});
    }
    const test::XmlParse xml = test::parseXml(cli::renderChartSvg(c));
    ASSERT_TRUE(xml.root) << xml.error;
    EXPECT_EQ(xml.root->descendants("title").at(0)->allText(), "Curves <1> & \"2\"");
    const auto lines = xml.root->descendants("polyline");
    ASSERT_EQ(lines.size(), 8u);
    // Neighbouring series differ in line style as well as colour, so that a grey print reads.
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string* a = lines[i - 1]->attribute("stroke-dasharray");
        const std::string* b = lines[i]->attribute("stroke-dasharray");
        EXPECT_NE(a == nullptr ? "" : *a, b == nullptr ? "" : *b) << i;
        EXPECT_NE(*lines[i - 1]->attribute("stroke"), *lines[i]->attribute("stroke")) << i;
    }
    std::vector<std::string> legend;
    for (const test::XmlElement* g : xml.root->descendants("g")) {
        const std::string* cls = g->attribute("class");
        if (cls != nullptr && *cls == "legend-entry") legend.push_back(g->allText());
    }
    ASSERT_EQ(legend.size(), 8u);
    EXPECT_EQ(legend[3], "Curve 3 & more");
}

TEST(ChartSvg, PointsThatAreNotFiniteAreLeftOut) {
    Chart c;
    c.id = "gaps";
    c.series.push_back({"a", {{0, 0}, {std::nan(""), 1}, {1, std::numeric_limits<double>::infinity()}, {2, 2}}});
    c.series.push_back({"empty", {}});
    const test::XmlParse xml = test::parseXml(cli::renderChartSvg(c));
    ASSERT_TRUE(xml.root) << xml.error;
    const auto lines = xml.root->descendants("polyline");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(polylinePoints(*lines[0]).size(), 2u);
    EXPECT_EQ(polylinePoints(*lines[1]).size(), 0u);
    const std::string svg = cli::renderChartSvg(c);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
}

TEST(XmlChecker, RefusesWhatIsNotWellFormed) {
    EXPECT_TRUE(test::parseXml("<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<a x=\"1\"><b/>t &amp; u</a>\n").root);
    EXPECT_FALSE(test::parseXml("<a><b></a></b>").root);
    EXPECT_FALSE(test::parseXml("<a x=1/>").root);
    EXPECT_FALSE(test::parseXml("<a x=\"1\" x=\"2\"/>").root);
    EXPECT_FALSE(test::parseXml("<a>R&D</a>").root);
    EXPECT_FALSE(test::parseXml("<a>&nbsp;</a>").root);
    EXPECT_FALSE(test::parseXml("<a/><b/>").root);
    EXPECT_FALSE(test::parseXml("<a>").root);
    EXPECT_FALSE(test::parseXml("<a>1 < 2</a>").root);
    const test::XmlParse bad = test::parseXml("<a>\n<b>\n</a>");
    EXPECT_NE(bad.error.find("line 3"), std::string::npos) << bad.error;
}

}  // namespace
}  // namespace vorta
