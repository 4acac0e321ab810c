// The problems of a run and of the check of the same analysis: one list, one status, over the
// examples (as input data files and as project files) and analyses that stop, fail or advise.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"
#include "vorta/analysis.h"
#include "vorta/project.h"

namespace vorta {
namespace {

std::string described(const std::vector<Problem>& problems) {
    std::string text;
    for (const Problem& p : problems) {
        text += std::string(severityName(p.severity)) + " " + p.code + " " + p.path + " " + p.layerEnd + " " +
                std::to_string(p.soilPoint) + " " + (p.value ? shortestNumberText(*p.value) : "-") + " " + p.unit + " " +
                p.allowed + " " + p.file + ":" + std::to_string(p.line) + " " + p.place + " | " + p.message + "\n";
    }
    return text;
}

// Runs the analysis and checks it; the two must agree. Returns the run's status and problems.
std::pair<RunStatus, std::vector<Problem>> expectRunAndCheckAgree(const Analysis& a, ValueSource source,
                                                                  const std::string& name,
                                                                  const SourceLines* lines = nullptr) {
    const test::ModelRun run = test::runModel(a, name, source, lines);
    const CheckOutcome check = checkAnalysis(a, source, lines, name);
    EXPECT_EQ(check.status, run.status);
    EXPECT_EQ(described(check.problems), described(run.result.problems));
    return {run.status, run.result.problems};
}

std::string advisoryCodes(const std::vector<Problem>& problems) {
    std::string codes;
    for (const Problem& p : problems) {
        if (p.severity == Severity::Advisory) codes += p.code + " ";
    }
    return codes;
}

TEST(Problems, TheRunAndTheCheckOfEveryExampleAgreeAndOnlyTensionAdvises) {
    for (const std::string& example : test::exampleNames()) {
        SCOPED_TRACE(example);
        const std::string folder = "examples/" + example;
        const Analysis deck = test::readDeckTexts(test::readFile(test::sourcePath(folder + "/input.dat")),
                                                  test::readFile(test::sourcePath(folder + "/sounding.cpt")));
        const std::vector<Problem> problems = expectRunAndCheckAgree(deck, ValueSource::InputDeck, "input.dat").second;
        // The one example whose run assumes what an engineer must check: the water table in tension.
        EXPECT_EQ(advisoryCodes(problems), example == "timber-pile-tension" ? "water_table_from_unit_weight " : "");
        SourceLines lines;
        const Analysis project = project::readProjectFile(test::sourcePath(folder + "/project.toml"), &lines);
        EXPECT_EQ(advisoryCodes(expectRunAndCheckAgree(project, ValueSource::ProjectFile, "project.toml", &lines).second),
                  advisoryCodes(problems));
    }
}

TEST(Problems, TheRunAndTheCheckAgreeOnWhatStopsFailsOrAdvises) {
    struct Case {
        const char* what;
        std::function<void(Analysis&)> change;
        RunStatus status;
        const char* firstCode;
        const char* place = "";  // of the first problem in the input data file, where checked
    };
    const RunStatus stop = kRunStoppedOnInput;
    const Case cases[] = {
        {"zero increment", [](Analysis& a) { a.pile.lengthIncrement = 0; }, stop, "length_increment_not_positive"},
        {"no embedded length", [](Analysis& a) { a.pile.stickup = a.pile.length; }, stop, "no_embedded_length"},
        {"unknown units", [](Analysis& a) { a.units = static_cast<UnitSystem>(3); }, stop, "unknown_unit_system"},
        {"negative strength", [](Analysis& a) { a.soilProfile[2].shearStrength = -5; }, stop, "negative_soil_value",
         "soil point 3, column 8"},
        {"negative qc", [](Analysis& a) { a.cpt.points.at(1).coneResistance = -1; }, stop, "negative_cone_resistance",
         "CPT point 2 (CPT file, value 2 of a point)"},
        {"out of range", [](Analysis& a) { a.soilProfile[0].effectiveUnitWeight = 1.0e300; }, stop, "out_of_range"},
        {"profile too short", [](Analysis& a) { a.deepestSoilDepth = 20; }, stop, "profile_too_short"},
        {"too many segments", [](Analysis& a) { a.pile.lengthIncrement = 0.01; }, stop, "too_many_segments"},
        {"cannot be stated", [](Analysis& a) { a.loadTransfer.tipMovements = {1.0}; a.loadTransfer.tipMovementSwitch = 0; },
         kRunFileError, "file_error"},
        {"tip movements in m", [](Analysis& a) { a.loadTransfer.tipMovements = {0.001, 0.01}; }, kRunCompleted,
         "tip_movements_in_other_unit"},
    };
    const std::string folder = "examples/closed-pipe-si";
    const Analysis example = test::readDeckTexts(test::readFile(test::sourcePath(folder + "/input.dat")),
                                                 test::readFile(test::sourcePath(folder + "/sounding.cpt")));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Analysis a = example;
        c.change(a);
        const auto [status, problems] = expectRunAndCheckAgree(a, ValueSource::InputDeck, "input.dat");
        EXPECT_EQ(status, c.status);
        ASSERT_FALSE(problems.empty());
        EXPECT_EQ(problems[0].code, c.firstCode);
        if (*c.place != '\0') {
            EXPECT_EQ(problems[0].place, c.place);
        }
    }
}

}  // namespace
}  // namespace vorta
