// The limits against every analysis the repository keeps (the examples in both forms, the
// validation cases, the golden decks, the benchmark, the Windows host's cases): they stop what no
// soil or pile has, never an ordinary analysis. And a run names a value out of range by the key of
// its project file, or by the model's field when a program built it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "project_file.h"
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
            for (const RangeProblem& p : checkRanges(a)) ADD_FAILURE() << file.string() << ": " << p.message;
        }
    }
    EXPECT_GE(checked, 45);
}

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
    a.soilProfile[3].frictionAngle = 89.9999;  // sound, just
    a.soilProfile[2].coneResistance = -1.0e308;
    a.pile.lengthIncrement = 1.0e-308;
    EXPECT_EQ(stopMessages(a, "site.toml"),
              "COMPUTATION DOES NOT PROCEED BECAUSE THE PILE LENGTH INCREMENT 1E-308 M GIVEN AS "
              "pile.length_increment IS OUTSIDE THE ALLOWED RANGE 0.003 TO 30 M\n"
              "COMPUTATION DOES NOT PROCEED BECAUSE THE CONE RESISTANCE -1E+308 KPA GIVEN AS "
              "layers[2].cone_resistance (top, soil point 3) IS OUTSIDE THE ALLOWED RANGE 0 TO 250000 KPA\n");
    EXPECT_NE(stopMessages(a, "").find("GIVEN AS soil_profile[3].cone_resistance IS OUTSIDE"), std::string::npos);
}

}  // namespace
}  // namespace vorta
