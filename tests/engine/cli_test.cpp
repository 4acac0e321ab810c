// The command-line program as an engineer or a script uses it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/test_support.h"

namespace vorta {
namespace {

struct Outcome {
    int exitCode = -1;
    std::string output;
};

Outcome runCli(const std::string& arguments, const std::filesystem::path& folder) {
    const std::string cli = VORTA_CLI;
    const std::string command = "cd '" + folder.string() + "' && '" + cli + "' " + arguments + " 2>&1 </dev/null";
    Outcome o;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return o;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) o.output += buffer;
    const int status = pclose(pipe);
    o.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

TEST(CommandLine, VersionAndHelp) {
    if (std::string(VORTA_CLI).empty()) GTEST_SKIP() << "the command-line program is not built";
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
}

TEST(CommandLine, NoArgumentsRunsOnNamesDatInTheCurrentFolder) {
    if (std::string(VORTA_CLI).empty()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("cli");
    const Outcome missing = runCli("", dir.path());
    EXPECT_EQ(missing.exitCode, 2);  // the run status is the exit code
    EXPECT_NE(missing.output.find("names.dat"), std::string::npos);
    test::writeFile(dir / "names.dat", "v\na\nb\n1\nabsent.dat\nrun.out\nrun.plt\nrun.cpt\n");
    EXPECT_EQ(runCli("", dir.path()).exitCode, 2);
    EXPECT_TRUE(std::filesystem::exists(dir / "run.out"));
}

TEST(CommandLine, RunWritesTheReportAndPlotFileBesideTheInputByDefault) {
    if (std::string(VORTA_CLI).empty()) GTEST_SKIP() << "the command-line program is not built";
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

}  // namespace
}  // namespace vorta
