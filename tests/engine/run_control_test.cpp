#include "engine/run_control.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <string>

#include "engine/run_driver.h"
#include "input/free_format_reader.h"
#include "support/test_support.h"

namespace vorta {
namespace {

std::string namesDat(const std::string& input, const std::string& report, const std::string& plot,
                     const std::string& cpt) {
    return "1.0.0 build 7\ntext field two\ntext field three\n   42\n" + input + "\n" + report + "\n" + plot + "\n" +
           cpt + "\n";
}

TEST(RunControl, EightLinesGiveTheFourFileNames) {
    test::TempDir dir("names");
    test::writeFile(dir / "names.dat", namesDat("pile.dat   ", "pile.out", "pile.plt", "sounding.cpt"));
    auto s = test::newState();
    readRunControl(*s, dir / "names.dat");
    EXPECT_EQ(s->runControl.versionText, "1.0.0 build ");  // the first 12 characters
    EXPECT_EQ(s->runControl.inputFileName, "pile.dat");   // trailing blanks are not part of a name
    EXPECT_EQ(s->runControl.reportFileName, "pile.out");
    EXPECT_EQ(s->runControl.plotFileName, "pile.plt");
    EXPECT_EQ(s->runControl.cptFileName, "sounding.cpt");
}

TEST(RunControl, AFileEndingAfterLineFiveKeepsTheOtherNamesEmpty) {
    test::TempDir dir("names");
    test::writeFile(dir / "names.dat", "v\na\nb\n1\nonly-input.dat\n");
    auto s = test::newState();
    readRunControl(*s, dir / "names.dat");
    EXPECT_EQ(s->runControl.inputFileName, "only-input.dat");
    EXPECT_EQ(s->runControl.reportFileName, "");
    EXPECT_EQ(s->runControl.plotFileName, "");
    EXPECT_EQ(s->runControl.cptFileName, "");

    test::writeFile(dir / "names.dat", "v\na\nb\n1\n");
    auto four = test::newState();
    four->runControl.inputFileName = "ucheck";
    readRunControl(*four, dir / "names.dat");
    EXPECT_EQ(four->runControl.inputFileName, "ucheck");
}

TEST(RunControl, FewerThanFourLinesOrABadIntegerIsAFatalReadError) {
    test::TempDir dir("names");
    auto s = test::newState();
    EXPECT_THROW(readRunControl(*s, dir / "names.dat"), InputError);  // missing
    test::writeFile(dir / "names.dat", "v\na\nb\n");
    EXPECT_THROW(readRunControl(*s, dir / "names.dat"), InputError);
    test::writeFile(dir / "names.dat", "v\na\nb\nfour\nin.dat\n");
    EXPECT_THROW(readRunControl(*s, dir / "names.dat"), InputError);
}

TEST(RunControl, AnUnreadableFileNameLineSwitchesToTheConsolePrompts) {
    test::TempDir dir("names");
    test::writeFile(dir / "names.dat", std::string("v\na\nb\n1\nin.dat\nbad\x01name\nplot.plt\nkept.cpt\n"));
    std::ostringstream console;
    std::istringstream answers("typed.dat\ntyped.out\n");  // the third answer is the end of input
    auto s = test::newState();
    s->console.attach(&console);
    s->consoleInput = &answers;
    s->runControl.cptFileName = "earlier.cpt";
    readRunControl(*s, dir / "names.dat");
    EXPECT_EQ(s->runControl.inputFileName, "typed.dat");
    EXPECT_EQ(s->runControl.reportFileName, "typed.out");
    EXPECT_EQ(s->runControl.plotFileName, "");
    EXPECT_EQ(s->runControl.cptFileName, "earlier.cpt");  // the CPT name keeps what it had
    EXPECT_EQ(console.str(),
              "\n\n       ENTER A FILE NAME FOR YOUR INPUT FILE.\n ENTER >\n"
              "\n\n       ENTER A FILE NAME FOR YOUR OUTPUT FILE.\n ENTER >\n"
              "\n\n       ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE.\n ENTER >\n");
}

TEST(ReportHeader, MatchesTheLayoutLineByLine) {
    test::TempDir dir("header");
    auto s = test::newState();
    std::ostringstream report;
    s->report.attach(&report);
    s->runControl.versionText = "2.1         ";
    s->runControl.inputFileName = "pile.dat";
    s->runControl.reportFileName = (dir / "out" / "pile.out").string();
    s->runControl.plotFileName = "graph.plotdata";
    writeReportHeader(*s, dir.path(), LocalDateTime{2024, 3, 5, 9, 7, 3});
    const std::string rule = "     " + std::string(73, '=');
    const std::string dash = "     " + std::string(73, '-');
    const std::string expected =
        rule + "\n\n" + std::string(20, ' ') + "  VORTA for Windows, Version 2.1         \n\n" + std::string(20, ' ') +
        "   A Program for Analyzing the Axial Capacity \n" + std::string(20, ' ') +
        "   and Short-term Settlement of Driven Piles \n" + std::string(20, ' ') +
        "             under Axial Loading. \n\n" + rule + "\n\n\n" +
        "     Path to file locations      : " + dir.path().string() + "/\n" +
        "     Name of input data file     : pile.dat\n" +
        "     Name of output file         : pile.out\n" +
        "     Name of plot output file    : graph.plot\n" +  // the extension keeps five characters with its dot
        "\n" + dash + "\n" + std::string(26, ' ') + "Time and Date of Analysis\n" + dash + "\n\n" +
        "               Date:  March 05, 2024     Time:  09:07:03\n";
    EXPECT_EQ(report.str(), expected);
}

TEST(ReportHeader, NoDateLineForAMonthOutsideTheYear) {
    auto s = test::newState();
    std::ostringstream report;
    s->report.attach(&report);
    s->runControl.versionText = "x";
    writeReportHeader(*s, "/tmp", LocalDateTime{2024, 13, 1, 0, 0, 0});
    EXPECT_EQ(report.str().find("Date:"), std::string::npos);
    EXPECT_NE(report.str().find("Time and Date of Analysis"), std::string::npos);
}

TEST(ReportHeader, FileNamesSplitIntoDirectoryBaseNameAndExtension) {
    const PathParts bare = splitFileName("/work/site", "pile.dat");
    EXPECT_EQ(bare.drive, "");
    EXPECT_EQ(bare.directory, "/work/site/");
    EXPECT_EQ(bare.baseName, "pile");
    EXPECT_EQ(bare.extension, ".dat");
    const PathParts nested = splitFileName("/work/site", "../other/./b.txt");
    EXPECT_EQ(nested.directory, "/work/other/");
    const PathParts absolute = splitFileName("/work/site", "/data/run");
    EXPECT_EQ(absolute.directory, "/data/");
    EXPECT_EQ(absolute.baseName, "run");
    EXPECT_EQ(absolute.extension, "");
    const PathParts none = splitFileName("/work/site", "");
    EXPECT_EQ(none.directory, "");
    EXPECT_EQ(none.baseName, "");
}

// Runs on a names.dat in a folder, as the front end does, and returns what the console received.
struct FolderRun {
    RunStatus status;
    std::string console;
};
FolderRun runFolder(const test::TempDir& dir) {
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = test::kFixedClock;
    const RunStatus status = runInDirectory(dir.path(), options);
    return FolderRun{status, console.str()};
}

TEST(RunSequence, AnOutputNamedLikeAnInputIsRefusedAndTheInputKept) {
    test::TempDir dir("run");
    test::writeFile(dir / "in.dat", "title\n");
    test::writeFile(dir / "names.dat", namesDat("in.dat", "./in.dat", "case.plt", "case.cpt"));
    FolderRun r = runFolder(dir);
    EXPECT_EQ(r.status, kRunFileError);
    EXPECT_NE(r.console.find("in.dat: the report file is also the input data file"), std::string::npos) << r.console;
    EXPECT_EQ(test::readFile(dir / "in.dat"), "title\n");  // not emptied

    test::writeFile(dir / "names.dat", namesDat("in.dat", "case.out", "case.out", "case.cpt"));
    r = runFolder(dir);
    EXPECT_EQ(r.status, kRunFileError);
    EXPECT_NE(test::readFile(dir / "case.out").find("the plot-data file is also the report file"), std::string::npos);

    test::writeFile(dir / "names.dat", namesDat("in.dat", "names.dat", "case.plt", "case.cpt"));
    EXPECT_EQ(runFolder(dir).status, kRunFileError);
    EXPECT_NE(test::readFile(dir / "names.dat").find("in.dat"), std::string::npos);  // names.dat kept

    test::writeFile(dir / "names.dat", "v\na\nb\n1\n");  // no report name at all
    EXPECT_EQ(runFolder(dir).status, kRunFileError);
}

TEST(RunSequence, FileNamesResolveAgainstTheRunFolderNotTheProcessFolder) {
    test::TempDir dir("run");
    test::writeFile(dir / "names.dat", namesDat("absent.dat", "case.out", "case.plt", "case.cpt"));
    const std::filesystem::path before = std::filesystem::current_path();
    runFolder(dir);
    EXPECT_TRUE(std::filesystem::exists(dir / "case.out"));
    EXPECT_EQ(std::filesystem::current_path(), before);
}

// The shared library exports IVORTA and nothing else, and the entry runs on names.dat in the
// current folder.
TEST(SharedLibrary, ExportsOnlyTheEntry) {
    const std::string library = VORTA_SHARED_LIBRARY;
    const std::string command = "nm -D --defined-only '" + library + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string symbols;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) symbols += buffer;
    const int rc = pclose(pipe);
    if (rc != 0 && symbols.empty()) GTEST_SKIP() << "nm is not available";
    std::vector<std::string> names;
    for (const std::string& line : test::splitLines(symbols)) {
        const std::size_t space = line.rfind(' ');
        names.push_back(space == std::string::npos ? line : line.substr(space + 1));
    }
    EXPECT_EQ(names, std::vector<std::string>{"IVORTA"}) << symbols;
}

TEST(SharedLibrary, TheEntryRunsInTheCurrentFolder) {
    void* handle = dlopen(VORTA_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
    using Entry = int32_t (*)(int32_t, int32_t);
    auto entry = reinterpret_cast<Entry>(dlsym(handle, "IVORTA"));
    ASSERT_NE(entry, nullptr);
    test::TempDir dir("entry");
    test::writeFile(dir / "names.dat", namesDat("absent.dat", "entry.out", "entry.plt", "entry.cpt"));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    // The entry writes its banner to standard output; keep the test log readable.
    std::fflush(stdout);
    const int32_t status = entry(0, 0);
    std::filesystem::current_path(before);
    EXPECT_EQ(status, kRunFileError);  // the input file is missing
    EXPECT_TRUE(std::filesystem::exists(dir / "entry.out"));
    dlclose(handle);
}

}  // namespace
}  // namespace vorta
