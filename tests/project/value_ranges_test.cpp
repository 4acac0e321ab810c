// The limits against every analysis the repository keeps (the examples in both forms, the
// validation cases, the golden decks, the benchmark, the Windows host's cases): they stop what no
// soil or pile has, never an ordinary analysis. And a run names a value out of range by the key of
// its project file, or by the model's field when a program built it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "vorta/project.h"
#include "support/test_support.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

TEST(StoredAnalyses, EveryOneLiesWithinTheLimits) {
    int checked = 0;
    for (const char* folder : {"examples", "tests", "benchmarks", "tools/windows-host/cases"}) {
        for (const auto& entry : fs::recursive_directory_iterator(test::sourcePath(folder))) {
            const fs::path& file = entry.path();
            Analysis a;
            if (file.extension() == ".toml") {
                a = project::readProjectFile(file);
            } else if ((file.extension() == ".dat" && file.filename() != "names.dat") || file.extension() == ".in") {
                fs::path cpt = fs::path(file).replace_extension(".cpt");
                if (!fs::exists(cpt)) cpt = file.parent_path() / "sounding.cpt";
                std::ifstream deck(file);
                std::ifstream sounding(cpt);
                std::istringstream none("0 0\n");
                a = readInputDeck(deck, file.string(), fs::exists(cpt) ? static_cast<std::istream&>(sounding) : none,
                                  cpt.string());
            } else {
                continue;
            }
            ++checked;
            for (const Problem& p : checkRanges(a)) ADD_FAILURE() << file.string() << ": " << p.message;
        }
    }
    EXPECT_GE(checked, 45);
}

std::string stopMessages(const Analysis& a, const std::string& sourceName, const SourceLines* lines = nullptr) {
    const test::ModelRun run =
        test::runModel(a, sourceName, sourceName.empty() ? ValueSource::Program : ValueSource::ProjectFile, lines);
    EXPECT_EQ(run.status, kRunStoppedOnInput);
    std::string text;
    for (const std::string& m : run.result.messages) text += m + "\n";
    return text;
}

// A program names a value by the key of a project file, as the page and Python do.
TEST(ValuesOutOfRange, AProjectFileAndAProgramNameTheKey) {
    Analysis a = project::readProjectFile(test::sourcePath("examples/closed-pipe-si/project.toml"));
    a.soilProfile[3].frictionAngle = 89.9999;  // sound, just
    a.soilProfile[2].coneResistance = -1.0e308;
    a.pile.lengthIncrement = 1.0e308;
    EXPECT_EQ(stopMessages(a, "site.toml"),
              "COMPUTATION DOES NOT PROCEED BECAUSE THE PILE LENGTH INCREMENT 1E+308 M GIVEN AS "
              "pile.length_increment IS OUTSIDE THE ALLOWED RANGE ABOVE 0 TO 30 M\n"
              "COMPUTATION DOES NOT PROCEED BECAUSE THE CONE RESISTANCE -1E+308 KPA GIVEN AS "
              "layers[2].cone_resistance (top, soil point 3) IS OUTSIDE THE ALLOWED RANGE 0 TO 250000 KPA\n");
    EXPECT_NE(stopMessages(a, "").find("GIVEN AS layers[2].cone_resistance (top, soil point 3) IS OUTSIDE"),
              std::string::npos);
}

// The run names the line of the project file where each value out of range was given: a layer's
// value, an element of a list of numbers and a point of an inline sounding.
TEST(ValuesOutOfRange, AProjectFileReadWithItsLinesNamesTheLineOfTheKey) {
    const std::string text =
        "units = \"SI\"\noutput_step = 1\ndeepest_soil_depth = 20\n"
        "[pile]\ntype = \"steel_pipe\"\ntip = \"closed\"\noutside_diameter = 500\nelastic_modulus = 2e8\n"
        "length = 10\nlength_increment = 0.5\n"
        "[methods]\nselected = [\"API_RP2A\"]\nload_transfer = \"API_RP2A\"\n"
        "[[layers]]\ntop = 0\nbottom = 20\nsoil_type = \"sand\"\n"
        "effective_unit_weight = [9, 1e300]\n"                  // line 18
        "friction_angle = 30\n"
        "[load_transfer]\ntip_movements = [0.001,\n  2e300]\n"   // lines 21 and 22
        "[cpt]\npoints = [[0, 0],\n  [5, 1e300]]\n";            // lines 24 and 25
    SourceLines lines;
    const Analysis a = project::readProjectText(text, "site.toml", ".", &lines);
    const std::string messages = stopMessages(a, "site.toml", &lines);
    EXPECT_NE(messages.find("layers[1].effective_unit_weight (bottom, soil point 2) ON LINE 18 IS OUTSIDE"), std::string::npos)
        << messages;
    EXPECT_NE(messages.find("load_transfer.tip_movements[2] ON LINE 22 IS OUTSIDE"), std::string::npos) << messages;
    EXPECT_NE(messages.find("cpt.points[2] (cone resistance) ON LINE 25"), std::string::npos) << messages;
    // Without the lines the key alone names the place.
    EXPECT_EQ(stopMessages(a, "site.toml").find(" ON LINE "), std::string::npos);
}

// A small SI analysis as a project file; `extra` goes at the end, `pile` into [pile].
std::string smallProject(const std::string& pile, const std::string& layer = "", const std::string& extra = "") {
    return "units = \"SI\"\ndeepest_soil_depth = 30\n"
           "[pile]\ntype = \"steel_pipe\"\ntip = \"closed\"\noutside_diameter = 500\nelastic_modulus = 2e8\n"
           "length_increment = 0.5\n" +
           pile +
           "[methods]\nselected = [\"API_RP2A\"]\nload_transfer = \"API_RP2A\"\n"
           "[[layers]]\ntop = 0\nbottom = 30\nsoil_type = \"clay\"\neffective_unit_weight = 8\n"
           "shear_strength = 40\n" +
           layer + extra;
}

struct SourcesRun {
    RunStatus projectStatus = kRunFileError;
    std::string projectMessages;
    std::vector<Problem> projectProblems;
    CheckOutcome projectCheck;
    RunStatus deckStatus = kRunFileError;
    std::string deckMessages;
};

// The analysis of a project text run as the project file and as the input data file written from it.
SourcesRun runBothForms(const std::string& text) {
    SourcesRun out;
    SourceLines lines;
    const Analysis a = project::readProjectText(text, "site.toml", ".", &lines);
    const test::ModelRun run = test::runModel(a, "site.toml", ValueSource::ProjectFile, &lines);
    out.projectStatus = run.status;
    for (const std::string& m : run.result.messages) out.projectMessages += m + "\n";
    out.projectProblems = run.result.problems;
    out.projectCheck = checkAnalysis(a, ValueSource::ProjectFile, &lines);
    std::ostringstream deck;
    std::ostringstream cpt;
    writeInputDeck(a, deck);
    writeCptFile(a.cpt, cpt);
    const test::RunResult fromDeck = test::runOnTexts(deck.str(), cpt.str());
    out.deckStatus = fromDeck.status;
    const std::string report = fromDeck.report;
    out.deckMessages = report.substr(report.find("COMPUTATION DOES NOT PROCEED") == std::string::npos
                                         ? report.size()
                                         : report.find("COMPUTATION DOES NOT PROCEED"));
    return out;
}

// One analysis, one outcome: whatever its source, a run and the check stop on the same values,
// and a project file's messages name the keys and their lines.
TEST(StopsOnInput, EverySourceStopsAlikeAndAProjectFileNamesItsKeys) {
    struct Stop {
        const char* what;
        std::string text;
        const char* projectPlace;  // in the project file's messages
        const char* deckText;      // in the report of the input data file
    };
    const Stop stops[] = {
        {"a stickup longer than the pile", smallProject("length = 72\nstickup = 80\n"),
         "GIVEN AS pile.stickup ON LINE 10 AND pile.length ON LINE 9",
         "THE PILE STICKUP LENGTH     80.00 M. \n          IS NOT LESS THAN THE TOTAL PILE LENGTH     72.00 M. "},
        {"a stickup as long as the pile", smallProject("length = 12\nstickup = 12\n"), "GIVEN AS pile.stickup ON LINE 10",
         "THE PILE HAS NO EMBEDDED LENGTH"},
        {"a negative strength", smallProject("length = 12\n", "remolded_strength = [20, -5]\n"),
         "GIVEN AS layers[1].remolded_strength (bottom, soil point 2) ON LINE 19", "HAS A NEGATIVE\n          REMOLDED"},
        {"tip-curve factors switched on and not given", smallProject("length = 12\n", "", "[load_transfer]\ntip_curve_factor_flag = 1\n"),
         "GIVEN AS load_transfer.tip_curve_factor_flag (the factors are not given: read as 0 and 0) ON LINE 20", "GIVEN AT RECORD 18A, VALUE 2"},
    };
    for (const Stop& stop : stops) {
        SCOPED_TRACE(stop.what);
        const SourcesRun r = runBothForms(stop.text);
        EXPECT_EQ(r.projectStatus, kRunStoppedOnInput);
        EXPECT_EQ(r.deckStatus, kRunStoppedOnInput);
        EXPECT_EQ(r.projectCheck.status, kRunStoppedOnInput);
        EXPECT_NE(r.projectMessages.find(stop.projectPlace), std::string::npos) << r.projectMessages;
        ASSERT_EQ(r.projectCheck.problems.size(), r.projectProblems.size());
        for (std::size_t i = 0; i < r.projectProblems.size(); ++i) {
            EXPECT_EQ(r.projectCheck.problems[i].message, r.projectProblems[i].message);
            EXPECT_EQ(r.projectCheck.problems[i].line, r.projectProblems[i].line);
        }
        EXPECT_NE(r.deckMessages.find(stop.deckText), std::string::npos) << r.deckMessages;
    }
    // An embedded length above zero runs as before.
    const SourcesRun sound = runBothForms(smallProject("length = 12\nstickup = 11.5\n"));
    EXPECT_EQ(sound.projectStatus, kRunCompleted) << sound.projectMessages;
    EXPECT_EQ(sound.deckStatus, kRunCompleted);
}

}  // namespace
}  // namespace vorta
