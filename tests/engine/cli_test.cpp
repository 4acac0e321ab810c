// The command-line program as an engineer or a script uses it.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace vorta {
namespace {

using Outcome = test::CliRun;
using test::runCli;

TEST(CommandLine, VersionAndHelp) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli");
    const Outcome version = runCli("--version", dir.path());
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.output, "vorta " + std::string(engineVersion()) + "\n");
    const Outcome help = runCli("--help", dir.path());
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.output.find("vorta run INPUT"), std::string::npos);
    const Outcome wrong = runCli("frobnicate", dir.path());
    EXPECT_NE(wrong.exitCode, 0);
    EXPECT_NE(wrong.output.find("unknown command"), std::string::npos);
    EXPECT_NE(runCli("run", dir.path()).exitCode, 0);  // no input file named
    // Every command explains itself on --help, on standard output, and exits 0.
    for (const char* command : {"run", "convert", "check", "batch", "keys", "plot", "design"}) {
        SCOPED_TRACE(command);
        const Outcome own = runCli(std::string(command) + " --help 2>/dev/null", dir.path());
        EXPECT_EQ(own.exitCode, 0);
        EXPECT_EQ(own.output.rfind("usage: vorta " + std::string(command), 0), 0u) << own.output;
    }
}

TEST(CommandLine, NoArgumentsRunsOnNamesDatInTheCurrentFolder) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli");
    const Outcome missing = runCli("", dir.path());
    EXPECT_EQ(missing.exitCode, 2);  // the run status is the exit code
    EXPECT_NE(missing.output.find("names.dat"), std::string::npos);
    EXPECT_NE(missing.output.find("`vorta --help` shows how to run"), std::string::npos);  // for a new user
    test::writeFile(dir / "names.dat", "v\na\nb\n1\nabsent.dat\nrun.out\nrun.plt\nrun.cpt\n");
    EXPECT_EQ(runCli("", dir.path()).exitCode, 2);
    EXPECT_TRUE(std::filesystem::exists(dir / "run.out"));
}

TEST(CommandLine, RunWritesTheReportAndPlotFileBesideTheInputByDefault) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli");
    std::filesystem::create_directories(dir / "site");
    const Outcome missing = runCli("run site/absent.dat", dir.path());
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(std::filesystem::exists(dir / "site" / "absent.out"));  // the report says what went wrong
    EXPECT_NE(test::readFile(dir / "site" / "absent.out").find("absent.dat"), std::string::npos);
    const Outcome named = runCli("run site/absent.dat --report r.txt --plot p.txt", dir.path());
    EXPECT_EQ(named.exitCode, 2);
    EXPECT_TRUE(std::filesystem::exists(dir / "r.txt"));
    EXPECT_NE(runCli("run a.dat --report", dir.path()).exitCode, 0);
}

// The two forms of an analysis on the command line: a deck converted to a project file and back
// runs to the same report; check reports problems without running; a bad project file is status 2.
TEST(CommandLine, ConvertRunAndCheckProjectFiles) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli-project");
    const std::filesystem::path example = test::sourcePath("examples/open-pipe-sand-over-clay");
    const std::string deck = (example / "input.dat").string();
    const std::string cpt = (example / "sounding.cpt").string();
    const Outcome convert = runCli("convert '" + deck + "' --cpt '" + cpt + "' -o site.toml", dir.path());
    if (convert.output.find("reads no project files") != std::string::npos) GTEST_SKIP() << "built without toml++";
    ASSERT_EQ(convert.exitCode, 0) << convert.output;
    EXPECT_EQ(runCli("run site.toml", dir.path()).exitCode, 0);
    ASSERT_EQ(runCli("convert site.toml -o back.dat", dir.path()).exitCode, 0);
    EXPECT_EQ(runCli("run back.dat --cpt back.cpt", dir.path()).exitCode, 0);
    const std::string fromProject = test::readFile(dir / "site.out");
    const std::string fromDeck = test::readFile(dir / "back.out");
    EXPECT_EQ(fromProject.substr(fromProject.find("* INPUT INFORMATION *")), fromDeck.substr(fromDeck.find("* INPUT INFORMATION *")));
    // The kind is the library's to tell, whatever the case of the extension; a deck named like the
    // CPT file written beside it would be overwritten by it, and is refused.
    std::filesystem::copy_file(dir / "site.toml", dir / "UPPER.TOML");
    EXPECT_EQ(runCli("run UPPER.TOML", dir.path()).exitCode, 0);
    const Outcome sameFile = runCli("convert site.toml -o deck.cpt", dir.path());
    EXPECT_EQ(sameFile.exitCode, 2);
    EXPECT_NE(sameFile.output.find("deck.cpt: the CPT file would be the input data file"), std::string::npos) << sameFile.output;

    const Outcome clean = runCli("check site.toml", dir.path());
    EXPECT_EQ(clean.exitCode, 0);
    EXPECT_NE(clean.output.find("site.toml: no problems found"), std::string::npos);
    const std::filesystem::path stop = test::sourcePath("examples/stop-profile-too-short");
    const Outcome stopped = runCli("check '" + (stop / "input.dat").string() + "' --cpt '" + (stop / "sounding.cpt").string() + "'", dir.path());
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.output.find("DEEPEST SOIL PROFILE"), std::string::npos) << stopped.output;
    EXPECT_FALSE(std::filesystem::exists(stop / "report.out"));

    std::string text = test::readFile(dir / "site.toml");
    text.replace(text.find("length_increment"), 16, "length_incremnt");
    test::writeFile(dir / "bad.toml", text);
    for (const char* command : {"run bad.toml", "check bad.toml"}) {
        const Outcome bad = runCli(command, dir.path());
        EXPECT_EQ(bad.exitCode, 2) << command;
        EXPECT_NE(bad.output.find("pile.length_incremnt: unknown key; did you mean length_increment?"), std::string::npos)
            << bad.output;
    }
}

TEST(CommandLine, DesignAnswersOnTheConsoleBesideTheReportAndAsJson) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli-design");
    std::string text = test::readFile(test::sourcePath("examples/cpt-four-methods-si/project.toml"));
    if (text.find("[cpt]") == std::string::npos) GTEST_SKIP() << "the example's sounding is not inline";
    text.insert(text.find("[cpt]"), "[design]\nloads = [3000, 20000]\nfactor_of_safety = 2\n\n");
    test::writeFile(dir / "jacket.toml", text);
    const Outcome run = runCli("run jacket.toml", dir.path());
    if (run.output.find("reads no project files") != std::string::npos) GTEST_SKIP() << "built without toml++";
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("divided by a factor of safety of 2 reaches each load"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("not reached within the pile (largest"), std::string::npos) << run.output;
    // Five methods, two loads: a header and ten records.
    EXPECT_EQ(test::splitLines(test::readFile(dir / "jacket.design.csv")).size(), 11u);

    // The same answers without editing the file, as JSON: the file's loads replaced.
    const Outcome json = runCli("design jacket.toml --load 20000 --json", dir.path());
    ASSERT_EQ(json.exitCode, 0) << json.output;
    EXPECT_EQ(json.output.rfind("[\n  {\"method\": \"API_RP2A\", \"load\": 20000, \"factor_of_safety\": 2, "
                                "\"embedded_length\": null, \"capacity\": ", 0), 0u) << json.output;
    std::size_t objects = 0;
    for (std::size_t at = json.output.find("\"method\""); at != std::string::npos; at = json.output.find("\"method\"", at + 1))
        ++objects;
    EXPECT_EQ(objects, 5u);

    struct Usage {
        const char* arguments;
        const char* says;
    };
    for (const Usage& u : {Usage{"design jacket.toml --load abc", "expected a load above 0"},
                           Usage{"design jacket.toml --factor-of-safety 0.5", "expected a number of 1 or more"},
                           Usage{"design jacket.toml --loads 3", "unknown option --loads"}}) {
        const Outcome bad = runCli(u.arguments, dir.path());
        EXPECT_EQ(bad.exitCode, 64) << u.arguments;
        EXPECT_NE(bad.output.find(u.says), std::string::npos) << bad.output;
    }
    const Outcome deck = runCli("convert jacket.toml -o jacket.dat", dir.path());
    EXPECT_EQ(deck.exitCode, 0);
    EXPECT_NE(deck.output.find("Dropped [design]"), std::string::npos) << deck.output;
    const Outcome noLoads = runCli("design jacket.dat --cpt jacket.cpt", dir.path());
    EXPECT_EQ(noLoads.exitCode, 64);
    EXPECT_NE(noLoads.output.find("gives no design loads; name them with --load LOAD"), std::string::npos) << noLoads.output;
}

// The advisories of a run follow it on the console unless --quiet; vorta check lists them, and
// --json states the status and every problem for the page and other programs.
TEST(CommandLine, AdvisoriesAfterARunAndInTheCheckAndItsJson) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli-advisories");
    const std::filesystem::path example = test::sourcePath("examples/timber-pile-tension");
    test::writeFile(dir / "pile.dat", test::readFile(example / "input.dat"));
    test::writeFile(dir / "pile.cpt", test::readFile(example / "sounding.cpt"));
    const Outcome run = runCli("run pile.dat --cpt pile.cpt", dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.output.find("1 advisory"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("pile.dat: advisory: in tension the self weight is buoyant below 5 ft"), std::string::npos);
    EXPECT_EQ(runCli("run pile.dat --cpt pile.cpt --quiet", dir.path()).output.find("advisory"), std::string::npos);

    // Without --cpt the CPT file beside the deck is not read: that is an advisory too.
    const Outcome check = runCli("check pile.dat", dir.path());
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_NE(check.output.find("pile.dat: no problems found\n\n2 advisories"), std::string::npos) << check.output;
    EXPECT_NE(check.output.find("[cpt_file_not_read]"), std::string::npos);

    const Outcome json = runCli("check pile.dat --cpt pile.cpt --json", dir.path());
    if (json.output.find("writes no JSON") != std::string::npos) GTEST_SKIP() << "built without nlohmann json";
    EXPECT_EQ(json.exitCode, 0);
    EXPECT_EQ(json.output.rfind("{\n  \"status\": 0,\n  \"problems\": [\n    {\n      \"severity\": \"advisory\",", 0), 0u);
    EXPECT_NE(json.output.find("\"code\": \"water_table_from_unit_weight\",\n      \"path\": \"layers[2].effective_unit_weight\",\n"
                               "      \"line\": null,"),
              std::string::npos)
        << json.output;
    test::writeFile(dir / "stop.dat", test::readFile(test::sourcePath("examples/stop-profile-too-short/input.dat")));
    const Outcome stop = runCli("check stop.dat --json", dir.path());
    EXPECT_EQ(stop.exitCode, 1);
    EXPECT_NE(stop.output.find("\"status\": 1"), std::string::npos);
    EXPECT_NE(stop.output.find("\"code\": \"profile_too_short\",\n      \"path\": \"deepest_soil_depth\""), std::string::npos)
        << stop.output;
}

}  // namespace
}  // namespace vorta
