// The results and problems as the server gives them: every column from its own field of the
// results, every problem by the key of its input and said once.
#include <algorithm>
#include <sstream>

#include <gtest/gtest.h>

#include "field_json.h"
#include "problems.h"
#include "vorta/project.h"
#include "result_json.h"
#include "support/test_support.h"

namespace vorta::test {
namespace {

using nlohmann::json;

AnalysisResult resultOf(const Analysis& a) {
    AnalysisResult r;
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.result = &r;
    runAnalysis(a, options);
    return r;
}

std::size_t column(const json& columns, const std::string& key) {
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i]["key"] == key) return i;
    }
    ADD_FAILURE() << "no column " << key;
    return 0;
}

TEST(ResultJson, EveryColumnHoldsItsOwnValue) {
    // A battered open pipe with a plug column and load steps.
    const Analysis a = project::readProjectFile(sourcePath("examples/battered-pipe-pile/project.toml"));
    const AnalysisResult r = resultOf(a);
    const json out = json::parse(server::resultJson(r, 0, a).dump());
    ASSERT_EQ(out["tables"].size(), r.tables.size());
    const json& t = out["tables"][0];
    const CapacityRow& row = r.tables[0].rows.back();
    const json& got = t["rows"].back();
    const std::pair<const char*, double> values[] = {
        {"pile_length", row.pileLength}, {"depth", row.depth}, {"skin_friction", row.skinFriction},
        {"tip_resistance", row.tipResistance}, {"ultimate_capacity", row.ultimateCapacity},
        {"unit_friction", row.unitFriction}, {"plug_length", row.plugLength}};
    for (const auto& [key, value] : values) EXPECT_EQ(got[column(t["columns"], key)], value) << key;
    EXPECT_EQ(got[column(t["columns"], "plug_mark")], row.plugMark);
    EXPECT_EQ(t["battered"], r.tables[0].battered);
    EXPECT_EQ(t["columns"][column(t["columns"], "skin_friction")]["unit"], "kips");

    ASSERT_FALSE(r.loadSteps.empty());
    const json& steps = out["load_steps"];
    const LoadStep& last = r.loadSteps.back();
    for (const auto& [key, value] : {std::pair{"top_load", last.topLoad}, {"top_movement", last.topMovement},
                                     {"tip_load", last.tipLoad}, {"tip_movement", last.tipMovement}}) {
        EXPECT_EQ(steps["rows"].back()[column(steps["columns"], key)], value) << key;
    }
    const json& segment = steps["distributions"].back()[0];
    EXPECT_EQ(segment[column(steps["distribution_columns"], "distance_from_head")], last.distribution[0].distanceFromHead);
    EXPECT_EQ(segment[column(steps["distribution_columns"], "axial_load")], last.distribution[0].axialLoad);
    EXPECT_EQ(segment[column(steps["distribution_columns"], "movement")], last.distribution[0].movement);
    EXPECT_EQ(out["tip_curve"].back()[0], r.tipCurve.back().movement);
    EXPECT_EQ(out["tip_curve"].back()[1], r.tipCurve.back().load);

    // One CSV record per printed row of every table, after the heading.
    std::size_t rows = 0;
    for (const MethodTable& m : r.tables) rows += m.rows.size();
    const std::string csv = server::capacityTablesCsv(r);
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')), rows + 1);
}

TEST(ResultJson, TheWaterTableIsTheFirstLightSoilPoint) {
    Analysis a;
    a.units = UnitSystem::SI;
    for (auto [depth, weight] : {std::pair{0.0, 18.0}, {3.0, 18.0}, {3.0, 11.9}, {9.0, 8.0}}) {
        ProfilePoint p;
        p.depth = depth;
        p.effectiveUnitWeight = weight;
        a.soilProfile.push_back(p);
    }
    EXPECT_EQ(assumedWaterTableDepth(a), 3.0);
    a.soilProfile[2].effectiveUnitWeight = 12.0;  // not below 12 kN/m3
    EXPECT_EQ(assumedWaterTableDepth(a), 9.0);
    a.units = UnitSystem::English;  // 75 pcf: every point is light
    EXPECT_EQ(assumedWaterTableDepth(a), 0.0);
}

TEST(Problems, AValueOutOfRangeIsNamedByItsKeyAndSaidOnce) {
    const Analysis base = project::readProjectFile(sourcePath("examples/closed-pipe-si/project.toml"));
    struct Case {
        void (*spoil)(Analysis&);
        std::string path;
    };
    for (const Case& k : {Case{[](Analysis& a) { a.soilProfile[2].effectiveUnitWeight = 400; }, "layers[2].effective_unit_weight"},
                          Case{[](Analysis& a) { a.pile.length = 5000; }, "pile.length"},
                          // The engine stops on a friction angle of 95 degrees with words of its own, which
                          // name the key too: not said again.
                          Case{[](Analysis& a) { a.soilProfile[0].frictionAngle = 95; }, "layers[1].friction_angle"}}) {
        Analysis a = base;
        k.spoil(a);
        const server::CheckAnswer answer = server::checkProblems(a);
        EXPECT_EQ(answer.status, kRunStoppedOnInput);
        const auto named = std::count_if(answer.problems.begin(), answer.problems.end(),
                                         [&](const server::Problem& p) { return p.path == k.path && p.severity == "error"; });
        const auto unnamed = std::count_if(answer.problems.begin(), answer.problems.end(),
                                           [](const server::Problem& p) { return p.path.empty() && p.severity == "error"; });
        EXPECT_EQ(named, 1) << k.path;
        EXPECT_EQ(unnamed, 0) << k.path;
    }
    EXPECT_TRUE(server::checkProblems(base).problems.empty());
}

TEST(FieldsJson, LayersTakeTopAndBottomAndPileValuesTheirPileTypes) {
    const json fields = json::parse(server::fieldsJson().dump());
    std::map<std::string, json> parts;
    for (const json& p : fields["parts"]) parts[p["key"]] = p;
    const json& layer = parts["layers"]["fields"];
    EXPECT_EQ(layer[1]["key"], "top");
    EXPECT_EQ(layer[2]["key"], "bottom");
    EXPECT_EQ(layer[1]["units"]["English"], "ft");
    EXPECT_TRUE(std::none_of(layer.begin(), layer.end(), [](const json& f) { return f["key"] == "depth"; }));
    EXPECT_EQ(parts["methods"]["fields"][0]["type"], "choice_list");
    for (const json& f : parts["pile"]["fields"]) {
        if (f["key"] == "taper_angle") {
            EXPECT_EQ(f["pile_types"], json::parse(R"(["raymond_step_taper", "raymond_uniform_taper", "monotube_taper"])"));
        }
    }
}

}  // namespace
}  // namespace vorta::test
