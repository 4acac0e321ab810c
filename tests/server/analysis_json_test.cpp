// JSON analyses: the keys and nesting of a project file, read and written through the project
// reader and writer; problems by key, without a line.
#include <sstream>

#include <gtest/gtest.h>

#include "analysis_files.h"
#include "analysis_json.h"
#include "support/test_support.h"

namespace vorta::test {
namespace {

using nlohmann::json;

std::string deckText(const Analysis& a) {
    std::ostringstream out;
    writeInputDeck(a, out);
    writeCptFile(a.cpt, out);
    return out.str();
}

std::vector<project::ProjectProblem> problemsOf(const json& value) {
    try {
        analysis_json::analysisFromJson(value, "analysis", ".");
    } catch (const project::ProjectError& e) {
        return e.details();
    }
    return {};
}

TEST(AnalysisJson, EveryExampleReadsBackAsItself) {
    for (const std::string& e : exampleNames()) {
        const auto folder = sourcePath("examples/" + e);
        const Analysis deck = readInputDeck(folder / "input.dat", folder / "sounding.cpt");
        const Analysis back = analysis_json::readAnalysisJson(analysis_json::analysisJsonText(deck), e, folder);
        EXPECT_EQ(deckText(back), deckText(deck)) << e;
    }
}

TEST(AnalysisJson, KeysComeInTheOrderOfTheProjectFile) {
    const auto folder = sourcePath("examples/closed-pipe-si");
    const nlohmann::ordered_json j = analysis_json::analysisToJson(readInputDeck(folder / "input.dat", folder / "sounding.cpt"));
    std::vector<std::string> keys;
    for (const auto& [key, value] : j.items()) keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"title", "designer", "job_number", "units", "output_step",
                                              "deepest_soil_depth", "pile", "methods", "options", "layers",
                                              "cpt"}));
}

TEST(AnalysisJson, WhatAProjectFileCannotHoldIsNamedByKey) {
    struct Case {
        std::string text;
        std::string path;
        std::string says;
    };
    const std::string base = R"("units": "SI", "pile": {"type": "timber", "outside_diameter": 300, "elastic_modulus": 1e7,
        "length": 10, "length_increment": 1}, "methods": {"selected": ["FHWA"], "load_transfer": "FHWA"},
        "layers": [{"top": 0, "bottom": 20, "soil_type": "sand", "effective_unit_weight": 9}])";
    for (const Case& k : {
             Case{"[1, 2]", "", "expected an object"},
             Case{R"({"units": "SI"})", "pile", "missing"},
             Case{"{" + base + R"(, "output_step": 1.5})", "output_step", "expected a whole number"},
             Case{"{" + base + R"(, "load_transfer": {"tip_movements": [0.1, null]}})", "load_transfer.tip_movements[2]",
                  "found null"},
             Case{"{" + base + R"(, "cpt": {"points": [[[[[[[[1]]]]]]]]}})", "cpt.points[1][1][1][1][1][1]", "nested deeper"},
             Case{"{" + base + R"(, "colour": "red"})", "colour", "unknown key"},
         }) {
        const std::vector<project::ProjectProblem> problems = problemsOf(json::parse(k.text));
        ASSERT_FALSE(problems.empty()) << k.text;
        EXPECT_EQ(problems[0].key.substr(0, k.path.size()), k.path) << k.text;
        EXPECT_NE(problems[0].what.find(k.says), std::string::npos) << problems[0].what;
        EXPECT_EQ(problems[0].line, 0);
    }
    EXPECT_TRUE(problemsOf(json::parse("{" + base + "}")).empty());
    // null leaves a key out: its default.
    EXPECT_TRUE(problemsOf(json::parse("{" + base + R"(, "designer": null})")).empty());
}

TEST(AnalysisJson, ConvertWritesAndReadsJson) {
    TempDir dir("convert-json");
    const auto folder = sourcePath("examples/tapered-monotube");
    const std::string deck = (folder / "input.dat").string();
    const std::string out = (dir / "a.json").string();
    const std::string back = (dir / "b.dat").string();
    const std::string cpt = (folder / "sounding.cpt").string();
    std::ostringstream o, e;
    const std::vector<std::string_view> toJson = {deck, "--cpt", cpt, "-o", out};
    ASSERT_EQ(cli::convertCommand(toJson, o, e), 0) << e.str();
    const std::vector<std::string_view> fromJson = {out, "-o", back};
    ASSERT_EQ(cli::convertCommand(fromJson, o, e), 0) << e.str();
    EXPECT_EQ(deckText(readInputDeck(back, dir / "b.cpt")),
              deckText(readInputDeck(folder / "input.dat", folder / "sounding.cpt")));
}

}  // namespace
}  // namespace vorta::test
