// Project files: input data file -> project file -> run gives the report of the input data file,
// on every example and on generated decks; a project written by hand from the key reference runs
// as its equivalent deck; every kind of bad project file gets a message naming the file, the line
// and the key.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "vorta/project.h"
#include "support/deck_generator.h"
#include "support/test_support.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

using Outputs = test::ModelRun;
using test::runModel;

std::string projectText(const Analysis& a) {
    std::ostringstream out;
    project::writeProjectFile(a, out);
    return out.str();
}

Analysis readProject(const std::string& text) { return project::readProjectText(text, "case.toml", "."); }

// Deck -> project file -> model gives the deck's report, and the project file is a fixed point
// of read and write.
void expectProjectRoundTrip(const std::string& deck, const std::string& cpt, const std::string& name) {
    SCOPED_TRACE(name);
    const Analysis fromDeck = test::readDeckTexts(deck, cpt);
    const std::string text = projectText(fromDeck);
    Analysis fromProject;
    try {
        fromProject = readProject(text);
    } catch (const InputError& e) {
        FAIL() << e.what() << "\n" << text;
    }
    EXPECT_EQ(projectText(fromProject), text);
    const Outputs expected = runModel(fromDeck);
    const Outputs actual = runModel(fromProject);
    EXPECT_EQ(actual.status, expected.status);
    EXPECT_EQ(actual.report, expected.report) << text;
    EXPECT_EQ(actual.plot, expected.plot);
}

class ExampleProject : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleProject, ConvertedDeckGivesTheSameReport) {
    const fs::path folder = test::sourcePath("examples/" + GetParam());
    expectProjectRoundTrip(test::readFile(folder / "input.dat"), test::readFile(folder / "sounding.cpt"), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleProject, ::testing::ValuesIn(test::exampleNames()));

// A written project file leaves values at their defaults out, the loading and the options too.
TEST_P(ExampleProject, ConvertedDeckLeavesDefaultsOut) {
    const fs::path folder = test::sourcePath("examples/" + GetParam());
    const std::string text = projectText(test::readDeckTexts(test::readFile(folder / "input.dat"),
                                                             test::readFile(folder / "sounding.cpt")));
    for (const char* line : {"\ntype = \"compression\"", "\ntension_reduction_factor = 1 ", "\nicp_drained_clay = false",
                             "\nlong_pile_option = false", "\nplug_condition = \"computed\"",
                             "\ncritical_depth_rule = \"density\"", "\ncritical_depth = 0 "}) {
        EXPECT_EQ(text.find(line), std::string::npos) << line << " in\n" << text;
    }
}

TEST(GeneratedProject, ConvertedDeckGivesTheSameReport) {
    test::DeckGenerator generator(19);
    for (int i = 0; i < 40; ++i) {
        const auto [deck, cpt] = generator.deck();
        expectProjectRoundTrip(deck, cpt, "generated deck " + std::to_string(i) + ":\n" + deck);
    }
}

// A pile that is not among the examples, written by hand from docs/project-file.md: a 356 mm
// H-pile (perimeter 1420 mm, tip area 0.129 m2) driven 18 m through soft clay into dense sand, with
// a 0.5 m stickup, FHWA, USACE (stress rule) and Revised Lambda, two verification depths and the
// program's tip movements; and the same analysis as an input data file, also written by hand.
const char* const kHandWrittenProject = R"(title = "QUAY WALL KING PILE - HP 360 IN CLAY OVER SAND"
designer = "HAND-WRITTEN TEST"
job_number = "T-19"
units = "SI"
output_step = 3

[pile]
type = "h_pile"
outside_diameter = 356
perimeter = 1420
tip_area = 0.129
elastic_modulus = 2.0e8
length = 18.5
stickup = 0.5
length_increment = 0.5
axial_area = "uniform"
cross_section_area = 0.0115

[methods]
selected = ["FHWA", "USACE", "Revised Lambda"]
load_transfer = "usace"

[options]
critical_depth_rule = "stress"

[load_transfer]
verification_depths = [4, 15]
tip_movements = [1.3, 5, 25]

[[layers]]
name = "soft clay"
top = 0
bottom = 9
soil_type = "clay"
effective_unit_weight = 7.5
shear_strength = [20, 45]
remolded_strength = [10, 22]
peak_movement = 5
residual_ratio = 0.8

[[layers]]
name = "dense sand"
top = 9
bottom = 25
soil_type = "sand"
lateral_earth_pressure = 1.0
effective_unit_weight = 10
friction_angle = [34, 36]
blow_count_or_yield_stress_ratio = [30, 42]
max_unit_bearing = 12000
)";

const char* const kHandWrittenDeck = R"(QUAY WALL KING PILE - HP 360 IN CLAY OVER SAND
HAND-WRITTEN TEST
T-19
2 3 4 0
1420 0.129 356 0 2.0E8 18.5 0.5
0 0 0
0 0.5 6 0 2 0 0
1 1 1 0 0 0 0 0 0
25 0.0115
0 2 0 7.5 0 0
0 0 20 10 0 0 0 0 0 1 1 0 0 0.8
9 2 0 7.5 0 0
0 0 45 22 0 0 0 0 0 1 1 0 0 0.8
9 1 1.0 10 34 0
0 12000 0 30 0 0 0 0 0 1 1 0 0 0
25 1 1.0 10 36 0
0 12000 0 42 0 0 0 0 0 1 1 0 0 0
1
2
4
15
0 1
0 0 0
0 1
1 0
0
1
3
0.0013
0.005
0.025
0
)";

TEST(HandWrittenProject, RunsAsTheEquivalentDeck) {
    const Outputs project = runModel(readProject(kHandWrittenProject));
    const Outputs deck = runModel(test::readDeckTexts(kHandWrittenDeck, "0 0\n"));
    ASSERT_EQ(project.status, kRunCompleted);
    EXPECT_EQ(project.report, deck.report);
    EXPECT_EQ(project.plot, deck.plot);
    // The clay's peak movement of 5 mm reached the curves: the deck says 5 too, in mm.
    EXPECT_NE(project.report.find("USACE"), std::string::npos);
}

// Tip movements are in mm in an SI project file, as every movement, and in m in an input data file
// (above); a file written before says so with tip_movement_unit = "m".
TEST(HandWrittenProject, TipMovementsInMillimetresOrAsAnOlderFileStatesThem) {
    const Analysis a = readProject(kHandWrittenProject);
    EXPECT_EQ(a.loadTransfer.tipMovements, (std::vector<double>{1.3, 5, 25}));
    std::string older = kHandWrittenProject;
    older.replace(older.find("tip_movements = [1.3, 5, 25]"), 28, "tip_movements = [0.0013, 0.005, 0.025]\ntip_movement_unit = \"m\"");
    EXPECT_EQ(readProject(older).loadTransfer.tipMovements, a.loadTransfer.tipMovements);
    std::ostringstream written;
    project::writeProjectFile(a, written);
    EXPECT_NE(written.str().find("tip_movements = [1.3, 5, 25]"), std::string::npos);
    older.replace(older.find("\"m\""), 3, "\"in\"");
    EXPECT_THROW(
        try { readProject(older); } catch (const project::ProjectError& e) {
            EXPECT_NE(std::string(e.what()).find("load_transfer.tip_movement_unit: expected \"mm\" or \"m\""), std::string::npos)
                << e.what();
            throw;
        },
        project::ProjectError);
}

TEST(HandWrittenProject, ReportHeaderNamesTheProjectFileOrTheMemory) {
    const Analysis a = readProject(kHandWrittenProject);
    EXPECT_NE(runModel(a, "/work/site/quay.toml").header.find("Name of input data file     : quay.toml"), std::string::npos);
    EXPECT_NE(runModel(a).header.find("Name of input data file     : (analysis given in memory)"), std::string::npos);
}

// Every kind of bad project file: the message names the file, the line, the key and what was
// expected. Each case changes the hand-written project in one place.
struct BadProject {
    const char* name;
    const char* find;     // text of the good project to replace
    const char* replace;  // by this
    std::vector<std::string> expected;  // pieces of the message
};

const BadProject kBadProjects[] = {
    {"unknown key with the nearest name", "friction_angle = [34, 36]", "fricton_angle = [34, 36]",
     {"case.toml, line 48: layers[2].fricton_angle: unknown key; did you mean friction_angle?"}},
    {"unknown key without a near name", "output_step = 3", "output_step = 3\ncolour = \"red\"",
     {"case.toml, line 6: colour: unknown key; the keys here are title, designer"}},
    {"wrong type", "length = 18.5", "length = \"18.5 m\"", {"case.toml, line 13: pile.length: expected a number in m, found a text"}},
    {"missing required value", "elastic_modulus = 2.0e8\n", "",
     {"case.toml, line 7: pile.elastic_modulus: missing; expected the modulus of elasticity of the pile material in kPa"}},
    {"unknown soil type", "soil_type = \"sand\"", "soil_type = \"gravel\"",
     {"case.toml, line 45: layers[2].soil_type: unknown name \"gravel\"; expected one of sand, clay, silt"}},
    {"unknown method", "\"Revised Lambda\"]", "\"Lambda\"]",
     {"case.toml, line 20: methods.selected: unknown method \"Lambda\"; expected one of FHWA, USACE, Revised_Lambda, API_RP2A, General, NGI, ICP_MTD, Fugro, UWA"}},
    {"unknown pile type", "type = \"h_pile\"", "type = \"sheet_pile\"",
     {"case.toml, line 8: pile.type: unknown name \"sheet_pile\"; expected one of steel_pipe, timber, precast_concrete"}},
    {"layers out of order", "top = 9\nbottom = 25", "top = 7\nbottom = 25",
     {"case.toml, line 43: layers[2].top: layers out of order: the top 7 lies above the bottom 9 of the layer before"}},
    {"layer upside down", "top = 0\nbottom = 9", "top = 9\nbottom = 0",
     {"case.toml, line 33: layers[1].bottom: layers out of order: the bottom 0 lies above the top 9"}},
    {"not a TOML file", "units = \"SI\"", "units = SI", {"case.toml, line 4: "}},
    {"design without loads", "[load_transfer]", "[design]\nfactor_of_safety = 2\n\n[load_transfer]",
     {"case.toml, line 26: design.loads: missing; expected the design loads in kN, one number or a list"}},
    {"design load not a number", "[load_transfer]", "[design]\nloads = [2000, \"big\"]\n\n[load_transfer]",
     {"case.toml, line 27: design.loads: expected a list of numbers in kN, found a text"}},
};

class BadProjectFile : public ::testing::TestWithParam<BadProject> {};

TEST_P(BadProjectFile, NamesTheFileLineKeyAndWhatWasExpected) {
    const BadProject& bad = GetParam();
    std::string text = kHandWrittenProject;
    const std::size_t at = text.find(bad.find);
    ASSERT_NE(at, std::string::npos) << bad.find;
    text.replace(at, std::string(bad.find).size(), bad.replace);
    try {
        readProject(text);
        FAIL() << "no error for " << bad.name;
    } catch (const project::ProjectError& e) {
        for (const std::string& piece : bad.expected) EXPECT_NE(std::string(e.what()).find(piece), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, BadProjectFile, ::testing::ValuesIn(kBadProjects),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n;
                         });

TEST(BadProjectFile, EveryProblemIsListedAtOnce) {
    std::string text = kHandWrittenProject;
    text.replace(text.find("length = 18.5"), 13, "lenght = 18.5");
    text.replace(text.find("soil_type = \"clay\""), 18, "soil_type = \"peat\"");
    try {
        readProject(text);
        FAIL();
    } catch (const project::ProjectError& e) {
        EXPECT_EQ(e.problems().size(), 3u) << e.what();  // the unknown key, the length missing, the soil type
    }
}

// The engine's own stops stay status 1, with the header naming the project file.
TEST(BadProjectFile, EngineStopIsReportedAgainstTheProjectFile) {
    std::string text = kHandWrittenProject;
    text.replace(text.find("bottom = 25"), 11, "bottom = 12");
    const Outputs out = runModel(readProject(text), "quay.toml");
    EXPECT_EQ(out.status, kRunStoppedOnInput);
    EXPECT_NE(out.header.find("quay.toml"), std::string::npos);
    EXPECT_NE(out.report.find("IS LESS THAN PILE EMBEDDED LENGTH PLUS TWO TIMES THE PILE DIAMETER"), std::string::npos);
}

TEST(ProjectFile, CptFileIsReadRelativeToTheProject) {
    test::TempDir dir("project");
    test::writeFile(dir / "site.cpt", "7 3\n0 0\n5 1200\n10 2500\n");
    std::string text = kHandWrittenProject;
    text += "\n[cpt]\nfile = \"site.cpt\"\n";
    test::writeFile(dir / "quay.toml", text);
    const Analysis a = project::readProjectFile(dir / "quay.toml");
    ASSERT_EQ(a.cpt.points.size(), 3u);
    EXPECT_EQ(a.cpt.header, 7);
    EXPECT_EQ(a.cpt.points[2].coneResistance, 2500.0);
    test::writeFile(dir / "bad.toml", text + "\n");
    test::writeFile(dir / "site.cpt", "7 3\n0 0\n5 x\n");
    try {
        project::readProjectFile(dir / "bad.toml");
        FAIL();
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find("cpt.file: "), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("site.cpt, line 3 (CPT point 2): expected a number for the cone resistance qc"),
                  std::string::npos) << e.what();
    }
}

// docs/project-file.md holds the reference made from the field tables, word for word.
TEST(ProjectFile, DesignLoadsAsOneNumberOrAListWriteBack) {
    std::string text = kHandWrittenProject;
    text.insert(text.find("[load_transfer]"), "[design]\nloads = 2000\n\n");
    const Analysis one = readProject(text);
    EXPECT_EQ(one.design.loads, std::vector<double>{2000});
    text.replace(text.find("loads = 2000"), 12, "loads = [2000, 3500.5]\nfactor_of_safety = 2.5");
    const Analysis two = readProject(text);
    EXPECT_EQ(two.design.loads, (std::vector<double>{2000, 3500.5}));
    EXPECT_EQ(two.design.factorOfSafety, 2.5);
    std::ostringstream written;
    project::writeProjectFile(two, written);
    const Analysis back = readProject(written.str());
    EXPECT_EQ(back.design.loads, two.design.loads);
    EXPECT_EQ(back.design.factorOfSafety, 2.5);
}

TEST(ProjectFile, DocumentationHoldsTheReferenceOfEveryKey) {
    const std::string docs = test::readFile(test::sourcePath("docs/project-file.md"));
    EXPECT_NE(docs.find(project::keyReference()), std::string::npos)
        << "regenerate the reference in docs/project-file.md with `vorta keys`";
}

}  // namespace
}  // namespace vorta
