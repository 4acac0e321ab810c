// The command line with CPT files of other programs: a GEF file converted to the engine's CPT
// file, a project file's sounding file put inline, an analysis converted to English units, an
// input data file run with an AGS4 file, and a malformed file stopping with status 2.
#include <gtest/gtest.h>

#include <fstream>

#include "support/test_support.h"
#include "vorta/analysis.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

using Outcome = test::CliRun;

const auto vorta = test::runCli;

std::vector<CptPoint> soundingOf(const fs::path& file) {
    std::ifstream in(file);
    return readCptSounding(in, file.string()).points;
}

TEST(CptCommands, ConvertRunAndStopOnCptFilesOfOtherPrograms) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cpt-commands");
    const fs::path example = test::sourcePath("examples/cpt-four-methods-si");
    for (const char* name : {"sounding.gef", "sounding.ags", "project-gef.toml", "input.dat"}) {
        fs::copy_file(example / name, dir / name);
    }

    // GEF to the engine's CPT file: the example's own sounding, the skipped values named.
    EXPECT_EQ(vorta("convert sounding.gef -o s.cpt", dir.path()).exitCode, 64);
    const Outcome gef = vorta("convert sounding.gef -o s.cpt --units SI", dir.path());
    ASSERT_EQ(gef.exitCode, 0) << gef.output;
    EXPECT_NE(gef.output.find("sounding.gef, line 14: void sleeve friction: point kept without it"), std::string::npos) << gef.output;
    const std::vector<CptPoint> converted = soundingOf(dir / "s.cpt");
    const std::vector<CptPoint> original = soundingOf(example / "sounding.cpt");
    ASSERT_EQ(converted.size(), original.size());
    for (std::size_t i = 0; i < original.size(); ++i) {
        EXPECT_EQ(converted[i].depth, original[i].depth);
        EXPECT_EQ(converted[i].coneResistance, original[i].coneResistance);
    }

    // The sounding file put inline in place; the analysis in English units; both run.
    ASSERT_EQ(vorta("convert project-gef.toml -o project-gef.toml --embed-cpt", dir.path()).exitCode, 0);
    const std::string embedded = test::readFile(dir / "project-gef.toml");
    EXPECT_EQ(embedded.find("file = "), std::string::npos);
    EXPECT_NE(embedded.find("  [0.5, 4200, 34, 5],"), std::string::npos) << embedded;
    ASSERT_EQ(vorta("convert project-gef.toml -o english.toml --units English", dir.path()).exitCode, 0);
    EXPECT_NE(test::readFile(dir / "english.toml").find("units = \"English\""), std::string::npos);
    EXPECT_EQ(vorta("run english.toml", dir.path()).exitCode, 0);

    // An input data file with an AGS4 file runs to the example's report.
    const Outcome ags = vorta("run input.dat --cpt sounding.ags --report ags.out", dir.path());
    ASSERT_EQ(ags.exitCode, 0) << ags.output;
    EXPECT_EQ(test::reportAfterHeader(test::readFile(dir / "ags.out")),
              test::reportAfterHeader(test::readFile(example / "expected/report.out")));

    // A malformed file: status 2, the file, the line and what was expected.
    std::string text = test::readFile(dir / "sounding.gef");
    text.replace(text.find("  4.200"), 7, "  4.2OO");
    test::writeFile(dir / "bad.gef", text);
    for (const char* command : {"convert bad.gef -o b.cpt --units SI", "run input.dat --cpt bad.gef"}) {
        const Outcome bad = vorta(command, dir.path());
        EXPECT_EQ(bad.exitCode, 2) << command;
        EXPECT_NE(bad.output.find("bad.gef, line 15 (data): expected a number in column 2 (cone resistance), found '4.2OO'"),
                  std::string::npos)
            << bad.output;
    }
}

}  // namespace
}  // namespace vorta
