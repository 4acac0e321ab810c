// The sounding on the charts page: qc against depth, fs and u2 when the sounding has them, the
// layers of the soil profile as named bands behind them.
#include <gtest/gtest.h>

#include "chart_page.h"

namespace vorta::cli {
namespace {

TEST(SoundingChart, ConeResistanceBesideTheLayersAndFsU2OnlyWhenGiven) {
    Analysis a;
    a.units = UnitSystem::SI;
    ProfilePoint top;
    top.name = "fill";
    ProfilePoint bottom = top;
    bottom.depth = 4.0;
    ProfilePoint clayTop;
    clayTop.soilType = SoilType::Clay;
    clayTop.depth = 4.0;
    ProfilePoint clayBottom = clayTop;
    clayBottom.depth = 9.0;
    a.soilProfile = {top, bottom, clayTop, clayBottom};
    EXPECT_FALSE(soundingSection(a).has_value());

    a.cpt.points = {{0.0, 0.0, {}, {}}, {2.0, 8000.0, 40.0, {}}, {6.0, 900.0, 30.0, 150.0}};
    const std::optional<ChartSection> s = soundingSection(a);
    ASSERT_TRUE(s.has_value());
    ASSERT_EQ(s->charts.size(), 2u);
    const Chart& qc = s->charts[0];
    EXPECT_EQ(qc.xLabel, "Cone resistance qc (kPa)");
    ASSERT_EQ(qc.series.size(), 1u);
    EXPECT_EQ(qc.series[0].points.size(), 3u);
    ASSERT_EQ(qc.bands.size(), 2u);
    EXPECT_EQ(qc.bands[0].label, "sand: fill");
    EXPECT_EQ(qc.bands[1].label, "clay");
    EXPECT_EQ(qc.bands[1].to, 9.0);
    const Chart& other = s->charts[1];
    ASSERT_EQ(other.series.size(), 2u);
    EXPECT_EQ(other.series[0].points.size(), 2u);  // fs at 2 m and 6 m
    EXPECT_EQ(other.series[1].points.size(), 1u);  // u2 at 6 m

    // The bands reach below the sounding: the depth axis takes in the profile's 9 m.
    const std::string svg = renderChartSvg(qc);
    EXPECT_NE(svg.find(">clay</text>"), std::string::npos);
    EXPECT_NE(svg.find(">10</text>"), std::string::npos);

    a.cpt.points = {{0.0, 0.0, {}, {}}, {2.0, 8000.0, {}, {}}};
    EXPECT_EQ(soundingSection(a)->charts.size(), 1u);
}

}  // namespace
}  // namespace vorta::cli
