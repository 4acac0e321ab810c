// The limits against every analysis the repository keeps (the examples in both forms, the
// validation cases, the golden decks, the benchmark and the Windows host's cases): the limits stop
// what no soil or pile has, never an ordinary analysis. And a value out of range of a project file
// or of a program is named by its key or field.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "project_file.h"
#include "support/test_support.h"
#include "vorta/analysis.h"
#include "vorta/vorta.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesUnder(const std::string& folder, const std::string& extension) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(test::sourcePath(folder))) {
        if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
    }
    return files;
}

Analysis readDeckWithSounding(const fs::path& deck, const fs::path& cpt) {
    std::ifstream d(deck);
    std::istringstream none("0 0\n");
    std::ifstream c(cpt);
    return fs::exists(cpt) ? readInputDeck(d, deck.string(), c, cpt.string()) : readInputDeck(d, deck.string(), none, "none");
}

TEST(StoredAnalyses, EveryOneLiesWithinTheLimits) {
    std::vector<std::pair<std::string, Analysis>> analyses;
    for (const fs::path& file : filesUnder("examples", ".toml")) analyses.emplace_back(file.string(), project::readProjectFile(file));
    for (const fs::path& file : filesUnder("tests/validation", ".toml")) analyses.emplace_back(file.string(), project::readProjectFile(file));
    for (const fs::path& deck : filesUnder("examples", ".dat")) {
        if (deck.filename() != "names.dat") analyses.emplace_back(deck.string(), readDeckWithSounding(deck, deck.parent_path() / "sounding.cpt"));
    }
    for (const std::string folder : {"tests/settlement/data", "tests/report/data", "tests/methods/cpt/data", "benchmarks"}) {
        for (const fs::path& deck : filesUnder(folder, ".dat")) {
            fs::path cpt = fs::path(deck).replace_extension(".cpt");
            if (!fs::exists(cpt)) cpt = deck.parent_path() / "sounding.cpt";
            analyses.emplace_back(deck.string(), readDeckWithSounding(deck, cpt));
        }
    }
    for (const fs::path& deck : filesUnder("tools/windows-host/cases", ".in")) {
        analyses.emplace_back(deck.string(), readDeckWithSounding(deck, fs::path(deck).replace_extension(".cpt")));
    }
    EXPECT_GE(analyses.size(), 45u);
    for (const auto& [name, analysis] : analyses) {
        for (const RangeProblem& p : checkRanges(analysis)) ADD_FAILURE() << name << ": " << p.message;
    }
}

// A run of a model in memory, named as a project file or not named at all.
std::string stopMessages(const Analysis& a, const std::string& sourceName) {
    AnalysisResult result;
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.result = &result;
    options.sourceName = sourceName;
    EXPECT_EQ(runAnalysis(a, options), kRunStoppedOnInput);
    std::string text;
    for (const std::string& m : result.messages) text += m + "\n";
    return text;
}

TEST(ValuesOutOfRange, AProjectFileNamesTheKeyAndAProgramTheField) {
    Analysis a = project::readProjectFile(test::sourcePath("examples/closed-pipe-si/project.toml"));
    a.soilProfile[3].frictionAngle = 89.9999;  // the bottom of the second layer: sound
    a.soilProfile[5].frictionAngle = 95;
    a.pile.lengthIncrement = 1.0e-308;
    EXPECT_EQ(stopMessages(a, "site.toml"),
              "COMPUTATION DOES NOT PROCEED BECAUSE SOIL POINT  6 HAS A FRICTION ANGLE OF  95.00 DEG "
              "A FRICTION ANGLE MUST BE LESS THAN 90 DEGREES\n"
              "COMPUTATION DOES NOT PROCEED BECAUSE THE PILE LENGTH INCREMENT 1E-308 M GIVEN AS "
              "pile.length_increment IS OUTSIDE THE ALLOWED RANGE 0.003 TO 30 M\n");
    a.soilProfile[5].frictionAngle = 33;
    a.soilProfile[2].coneResistance = -1.0e308;
    EXPECT_EQ(stopMessages(a, "site.toml"),
              "COMPUTATION DOES NOT PROCEED BECAUSE THE PILE LENGTH INCREMENT 1E-308 M GIVEN AS "
              "pile.length_increment IS OUTSIDE THE ALLOWED RANGE 0.003 TO 30 M\n"
              "COMPUTATION DOES NOT PROCEED BECAUSE THE CONE RESISTANCE -1E+308 KPA GIVEN AS "
              "layers[2].cone_resistance (top, soil point 3) IS OUTSIDE THE ALLOWED RANGE 0 TO 250000 KPA\n");
    EXPECT_NE(stopMessages(a, "").find("GIVEN AS soil_profile[3].cone_resistance IS OUTSIDE"), std::string::npos);
}

}  // namespace
}  // namespace vorta
