#include "batch.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.h"
#include "vorta/vorta.h"

namespace vorta::cli {
namespace {

namespace fs = std::filesystem;
using test::kFixedClock;
using test::readFile;
using test::splitLines;
using test::TempDir;
using test::writeFile;

// Columns of the summary table: a number has an English column and an SI column after it.
enum {
    kCase, kTitle, kStatus, kMessage, kAdvisories, kUnits, kMethod, kLength, kSkin = kLength + 2, kTip = kSkin + 2,
    kUltimate = kTip + 2, kTransfer = kUltimate + 2, kTopLoad, kTopMove = kTopLoad + 2, kLastColumn = kTopMove + 1
};

// A number of a record in the column of the case's units; the other unit's column stays empty.
std::string number(const std::vector<std::string>& r, int column) {
    const int si = r.at(kUnits) == "SI" ? 1 : 0;
    EXPECT_EQ(r.at(column + 1 - si), "") << "column " << column << " in the other units";
    return r.at(column + si);
}

// Copies the files of an example case folder (not the folders inside it) to `target`.
fs::path copyExample(const std::string& example, const fs::path& target) {
    fs::create_directories(target);
    for (const fs::directory_entry& e : fs::directory_iterator(test::sourcePath("examples/" + example))) {
        const std::string name = e.path().filename().string();
        if (!e.is_regular_file() || name == "report.out" || name == "plot.plt") continue;
        fs::copy_file(e.path(), target / name);
    }
    return target;
}

// A case folder with its own names.dat naming the given files.
fs::path makeCase(const fs::path& folder, const std::string& input, const std::string& report,
                  const std::string& plot, const std::string& cpt) {
    fs::create_directories(folder);
    writeFile(folder / "names.dat", "2.0\nbatch test\ncase\n1\n" + input + "\n" + report + "\n" + plot + "\n" + cpt +
                                        "\n");
    return folder;
}

BatchOptions fixedClockOptions(unsigned jobs) {
    BatchOptions options;
    options.jobs = jobs;
    options.clock = kFixedClock;
    return options;
}

BatchRun runFolders(const std::vector<fs::path>& folders, unsigned jobs) {
    return runBatch(findCases(folders), fixedClockOptions(jobs));
}

std::vector<std::vector<std::string>> recordsOfCase(const BatchRun& run, const std::string& caseName) {
    std::vector<std::vector<std::string>> records;
    for (const auto& r : summaryTable(run)) {
        if (r[kCase] == caseName) records.push_back(r);
    }
    return records;
}

std::string trim(const std::string& s) {
    const std::size_t a = s.find_first_not_of(' ');
    if (a == std::string::npos) return "";
    return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

std::string columns(const std::string& line, std::size_t first, std::size_t width) {
    return first >= line.size() ? "" : trim(line.substr(first, width));
}

// The last printed row of a method's table, read from the report by the columns of the row
// formats: vertical (11X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1), the plug form putting its mark in the
// 4X; battered (11X,F7.2,6X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1).
struct PrintedRow {
    std::string length, skin, tip, ultimate;
};
PrintedRow lastPrintedRow(const std::string& report, std::string_view banner, bool battered) {
    const std::vector<std::string> lines = splitLines(report);
    for (std::size_t b = 0; b < lines.size(); ++b) {
        if (trim(lines[b]) != banner) continue;
        // banner, stars, empty line, two heading lines, unit line, then the rows up to an empty line
        std::size_t k = b + 6;
        std::string last;
        while (k < lines.size() && !trim(lines[k]).empty()) last = lines[k++];
        if (battered) return {columns(last, 11, 7), columns(last, 37, 8), columns(last, 51, 8), columns(last, 63, 9)};
        return {columns(last, 11, 7), columns(last, 24, 8), columns(last, 38, 8), columns(last, 50, 9)};
    }
    ADD_FAILURE() << "no table " << banner << " in the report";
    return {};
}

// Top load and top movement of the last line of the load-settlement table, (E17.4,3E16.4).
std::pair<std::string, std::string> lastLoadStep(const std::string& report) {
    const std::vector<std::string> lines = splitLines(report);
    for (std::size_t b = 0; b < lines.size(); ++b) {
        if (lines[b].find("TOP  LOAD     TOP MOVEMENT") == std::string::npos) continue;
        std::size_t k = b + 2;
        std::string last;
        while (k < lines.size() && !trim(lines[k]).empty()) last = lines[k++];
        return {columns(last, 0, 17), columns(last, 17, 16)};
    }
    ADD_FAILURE() << "no load-settlement table in the report";
    return {};
}

const std::map<std::string, std::string> kBanners = {
    {"FHWA", "*  FED. HWY. METHOD  *"},
    {"USACE", "* ARMY CORPS METHOD  *"},
    {"Revised Lambda", "*  LAMBDA 2 METHOD   *"},
    {"API RP-2A", "*  API RP-2A (2010)  *"},
    {"General", "* GENERAL METHOD *"},
    {"NGI", "*  NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD  *"},
    {"ICP/MTD", "*  IMPERIAL COLLEGE (MTD) METHOD  *"},
    {"Fugro", "*    FUGRO 2004 (FUGRO) METHOD    *"},
    {"UWA", "*  UNIV. OF WESTERN AUSTRALIA (UWA) METHOD  *"}};

// Every summary record of the case carries the numbers its report prints.
void expectRecordsMatchReport(const BatchRun& run, const fs::path& folder, bool battered,
                              const std::vector<std::string>& methods) {
    const std::string report = readFile(folder / "report.out");
    const auto records = recordsOfCase(run, folder.generic_string());
    ASSERT_EQ(records.size(), methods.size()) << folder;
    const auto [topLoad, topMovement] = lastLoadStep(report);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        SCOPED_TRACE(folder.filename().string() + " " + methods[i]);
        EXPECT_EQ(r[kStatus], "completed");
        EXPECT_EQ(r[kMethod], methods[i]);
        const PrintedRow printed = lastPrintedRow(report, kBanners.at(methods[i]), battered);
        EXPECT_EQ(number(r, kLength), printed.length);
        EXPECT_EQ(number(r, kSkin), printed.skin);
        // The plug form marks the tip value with "*" right after it; the summary has the number.
        EXPECT_EQ(number(r, kTip), printed.tip.substr(0, printed.tip.find('*')));
        EXPECT_EQ(number(r, kUltimate), printed.ultimate);
        EXPECT_EQ(number(r, kTopLoad), topLoad);
        EXPECT_EQ(number(r, kTopMove), topMovement);
    }
}

// ---------------------------------------------------------------------------------------------

TEST(FindCases, AFolderWithNamesDatIsOneCaseAndOtherFoldersAreSearchedBelow) {
    TempDir dir("batch-find");
    makeCase(dir / "site" / "b-boring", "in.dat", "r.out", "p.plt", "c.cpt");
    makeCase(dir / "site" / "a-boring", "in.dat", "r.out", "p.plt", "c.cpt");
    makeCase(dir / "site" / "deeper" / "pile" / "c-boring", "in.dat", "r.out", "p.plt", "c.cpt");
    // A folder inside a case folder is the case's own (kept outputs, say): not searched.
    makeCase(dir / "site" / "a-boring" / "expected", "in.dat", "r.out", "p.plt", "c.cpt");
    fs::create_directories(dir / "site" / "empty");
    const std::vector<fs::path> args = {dir / "site"};
    const std::vector<BatchCase> cases = findCases(args);
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases[0].folder, dir / "site" / "a-boring");
    EXPECT_EQ(cases[1].folder, dir / "site" / "b-boring");
    EXPECT_EQ(cases[2].folder, dir / "site" / "deeper" / "pile" / "c-boring");
    for (const BatchCase& c : cases) {
        EXPECT_TRUE(c.problem.empty()) << c.problem;
        EXPECT_EQ(c.name, c.folder.generic_string());
    }
}

TEST(FindCases, ACaseNamedTwiceRunsOnceAndAFolderWithoutCasesIsAProblem) {
    TempDir dir("batch-find-twice");
    const fs::path a = makeCase(dir / "site" / "a", "in.dat", "r.out", "p.plt", "c.cpt");
    fs::create_directories(dir / "nothing-here" / "sub");
    writeFile(dir / "plain.txt", "x");
    const std::vector<fs::path> args = {a, dir / "site", fs::path(a.string() + "/"), dir / "nothing-here",
                                        dir / "plain.txt", dir / "missing"};
    const std::vector<BatchCase> cases = findCases(args);
    ASSERT_EQ(cases.size(), 4u);
    EXPECT_EQ(cases[0].folder, a);
    EXPECT_TRUE(cases[0].problem.empty());
    EXPECT_EQ(cases[1].problem, "no names.dat or project file in this folder or in the folders below it");
    EXPECT_EQ(cases[2].problem, "not a folder");
    EXPECT_EQ(cases[3].problem, "no such folder");
    // The trailing separator of an argument is not part of the case name.
    EXPECT_EQ(findCases(std::vector<fs::path>{fs::path(a.string() + "/")})[0].name, a.generic_string());
}

TEST(FindCases, ASymbolicLinkToACaseIsTakenButNeverSearched) {
    TempDir dir("batch-find-link");
    const fs::path real = makeCase(dir / "real" / "case", "in.dat", "r.out", "p.plt", "c.cpt");
    fs::create_directories(dir / "site");
    std::error_code ec;
    fs::create_directory_symlink(real, dir / "site" / "linked-case", ec);
    fs::create_directory_symlink(dir / "site", dir / "site" / "loop", ec);  // a loop back to the top
    if (ec) GTEST_SKIP() << "symbolic links cannot be made here: " << ec.message();
    const std::vector<BatchCase> cases = findCases(std::vector<fs::path>{dir / "site"});
    ASSERT_EQ(cases.size(), 1u);
    EXPECT_EQ(cases[0].folder, dir / "site" / "linked-case");
}

// ---------------------------------------------------------------------------------------------

TEST(BatchSummary, RecordsCarryTheLastPrintedRowOfEveryTableAndTheLastLoadStep) {
    TempDir dir("batch-summary");
    const fs::path si = copyExample("closed-pipe-si", dir / "closed-pipe-si");
    const fs::path battered = copyExample("battered-pipe-pile", dir / "battered-pipe-pile");
    const fs::path tension = copyExample("timber-pile-tension", dir / "timber-pile-tension");
    const fs::path plug = copyExample("open-pipe-sand-over-clay", dir / "open-pipe-sand-over-clay");
    const BatchRun run = runFolders({dir.path()}, 3);
    ASSERT_EQ(run.completed, 4);

    expectRecordsMatchReport(run, si, false, {"FHWA", "USACE", "Revised Lambda", "API RP-2A", "NGI", "ICP/MTD"});
    expectRecordsMatchReport(run, battered, true, {"FHWA", "USACE", "API RP-2A"});
    expectRecordsMatchReport(run, tension, false, {"FHWA", "USACE", "API RP-2A"});
    expectRecordsMatchReport(run, plug, false, {"FHWA", "USACE", "API RP-2A"});

    // The first record of the SI pile in full. Ultimate capacity is skin friction plus end
    // bearing: 2744.1 + 1272.8 = 4016.9 kN at 24 m; API RP-2A drives the load-settlement curve,
    // whose last step (2 in = 0.0508 m of tip movement) prints its top load and movement.
    const auto records = recordsOfCase(run, si.generic_string());
    const std::vector<std::string> expected = {si.generic_string(),
                                               "WHARF EXTENSION - 610 MM CLOSED-ENDED STEEL PIPE PILE (SI UNITS)",
                                               "completed", "", "0", "SI", "FHWA", "", "24.00", "", "2744.1", "",
                                               "1272.8", "", "4016.9", "API RP-2A", "", "0.5269E+04", "",
                                               "0.7506E-01"};
    EXPECT_EQ(records[0], expected);
    // In uplift the tip column is the buoyant self weight, negative below the water table.
    const auto uplift = recordsOfCase(run, tension.generic_string());
    EXPECT_EQ(number(uplift[0], kTip).substr(0, 1), "-");
    EXPECT_EQ(uplift[0][kUnits], "English");
    EXPECT_EQ(uplift[0][kAdvisories], "1");  // in tension: where the program takes the water table
}

TEST(BatchSummary, LoadStepOfAMethodWhoseTableIsNotPrintedStillShows) {
    // FHWA drives the load-settlement curve of this case but its table is not printed: the records
    // are those of Revised Lambda and API RP-2A, each naming FHWA as the load-transfer method.
    TempDir dir("batch-summary-transfer");
    const fs::path folder = copyExample("long-profile-500-segments", dir / "long");
    const BatchRun run = runFolders({folder}, 1);
    const auto records = recordsOfCase(run, folder.generic_string());
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0][kMethod], "Revised Lambda");
    EXPECT_EQ(records[1][kMethod], "API RP-2A");
    const auto [topLoad, topMovement] = lastLoadStep(readFile(folder / "report.out"));
    for (const auto& r : records) {
        EXPECT_EQ(r[kTransfer], "FHWA");
        EXPECT_EQ(number(r, kLength), "90.00");
        EXPECT_EQ(number(r, kTopLoad), topLoad);
        EXPECT_EQ(number(r, kTopMove), topMovement);
    }
}

TEST(BatchSummary, TitleWithCommaAndQuotesIsQuotedInTheFile) {
    TempDir dir("batch-summary-title");
    const fs::path folder = copyExample("usace-user-critical-depth", dir / "pier");
    std::string input = readFile(folder / "input.dat");
    input = "PIER 7, \"NORTH\" ROW" + input.substr(input.find('\n'));
    writeFile(folder / "input.dat", input);
    const BatchRun run = runFolders({folder}, 1);
    ASSERT_EQ(run.completed, 1);
    std::string error;
    ASSERT_TRUE(writeSummary(run, dir / "summary.csv", error)) << error;
    const std::string csv = readFile(dir / "summary.csv");
    EXPECT_EQ(csv.substr(0, csv.find("\r\n")),
              "case,title,status,message,advisories,units,method,embedded_length_ft,embedded_length_m,skin_friction_kips,"
              "skin_friction_kN,end_bearing_or_self_weight_kips,end_bearing_or_self_weight_kN,ultimate_capacity_kips,"
              "ultimate_capacity_kN,load_transfer_method,top_load_kips,top_load_kN,top_movement_in,top_movement_m");
    EXPECT_NE(csv.find("\r\n" + folder.generic_string() + ",\"PIER 7, \"\"NORTH\"\" ROW\",completed,"), std::string::npos)
        << csv;
    // CR LF line ends (the writer's own test holds that no bare line feed is written): a header
    // and one record a table.
    EXPECT_EQ(static_cast<std::size_t>(std::count(csv.begin(), csv.end(), '\n')), 1 + run.outcomes[0].tables.size());
    EXPECT_EQ(csv.substr(csv.size() - 2), "\r\n");
}

// ---------------------------------------------------------------------------------------------

TEST(BatchFailures, StopOnInputHasItsStatusAndMessageAndNoNumbers) {
    TempDir dir("batch-stop");
    const fs::path stop = copyExample("stop-profile-too-short", dir / "stop");
    const fs::path good = copyExample("usace-user-critical-depth", dir / "good");
    const BatchRun run = runFolders({dir.path()}, 2);
    EXPECT_EQ(run.completed, 1);
    EXPECT_EQ(run.stoppedOnInput, 1);
    const auto records = recordsOfCase(run, stop.generic_string());
    ASSERT_EQ(records.size(), 1u);
    const auto& r = records[0];
    EXPECT_EQ(r[kStatus], "stopped on input");
    EXPECT_EQ(r[kTitle], "ABUTMENT 1 - 24 IN CLOSED PIPE PILE, BORING ENDS ABOVE THE TIP ZONE");
    EXPECT_NE(r[kMessage].find("COMPUTATION DOES NOT PROCEED BECAUSE THE DEEPEST SOIL PROFILE   52.00 FT."),
              std::string::npos)
        << r[kMessage];
    for (int c = kMethod; c <= kLastColumn; ++c) EXPECT_EQ(r[c], "") << "column " << c;
    // The failed case's console is kept; the other case ran to its end.
    EXPECT_NE(run.outcomes[1].console.find("COMPUTATION DOES NOT PROCEED"), std::string::npos);
    EXPECT_EQ(recordsOfCase(run, good.generic_string())[0][kStatus], "completed");
    EXPECT_EQ(batchExitCode(run), 1);
}

TEST(BatchFailures, MissingInputFileIsAFileErrorAndTheOtherCasesStillRun) {
    TempDir dir("batch-missing");
    copyExample("usace-user-critical-depth", dir / "a-good");
    const fs::path missing = makeCase(dir / "b-missing", "nowhere.dat", "report.out", "plot.plt", "sounding.cpt");
    copyExample("tapered-monotube", dir / "c-good");
    const BatchRun run = runFolders({dir.path()}, 2);
    EXPECT_EQ(run.completed, 2);
    EXPECT_EQ(run.fileErrors, 1);
    const auto records = recordsOfCase(run, missing.generic_string());
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0][kStatus], "file error");
    EXPECT_EQ(records[0][kMessage], "nowhere.dat: the input data file cannot be opened");
    for (int c = kUnits; c <= kLastColumn; ++c) EXPECT_EQ(records[0][c], "") << "column " << c;
    EXPECT_EQ(batchExitCode(run), 2);
}

TEST(BatchFailures, NamesDatThatWouldAskForFileNamesNeverWaitsOnTheConsole) {
    // A control character on line 5 makes the run ask for the file names on the console; the batch
    // answers with nothing, and the run ends on the missing report name instead of waiting.
    TempDir dir("batch-prompt");
    fs::create_directories(dir / "case");
    writeFile(dir / "case" / "names.dat", "2.0\nx\ny\n1\ninput\x01.dat\nr.out\np.plt\nc.cpt\n");
    fs::create_directories(dir / "garbage");
    writeFile(dir / "garbage" / "names.dat", std::string("\x7f\x45\x4c\x46\x02\x01\x01\x00\x00", 9));
    const BatchRun run = runFolders({dir / "case", dir / "garbage"}, 2);
    ASSERT_EQ(run.outcomes.size(), 2u);
    EXPECT_EQ(run.outcomes[0].status, kRunFileError);
    ASSERT_FALSE(run.outcomes[0].messages.empty());
    EXPECT_EQ(run.outcomes[0].messages[0], "no report file name was given");
    EXPECT_NE(run.outcomes[0].console.find("ENTER A FILE NAME FOR YOUR INPUT FILE."), std::string::npos);
    EXPECT_EQ(run.outcomes[1].status, kRunFileError);
    EXPECT_EQ(batchExitCode(run), 2);
}

TEST(BatchFailures, ArgumentsWithoutCasesCountAsFileErrors) {
    TempDir dir("batch-nothing");
    fs::create_directories(dir / "empty");
    const BatchRun run = runFolders({dir / "empty", dir / "absent"}, 1);
    ASSERT_EQ(run.outcomes.size(), 2u);
    EXPECT_EQ(run.fileErrors, 2);
    const auto table = summaryTable(run);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table[2][kCase], (dir / "absent").generic_string());
    EXPECT_EQ(table[2][kStatus], "file error");
    EXPECT_EQ(table[2][kMessage], "no such folder");
}

TEST(BatchFailures, ACaseWritingTheReportOfAnEarlierCaseIsNotRun) {
    // Two copies of a case whose names.dat gives absolute output names, as a copied folder would:
    // run at once, both would write one report. The second is refused, the first is untouched.
    TempDir dir("batch-shared");
    const fs::path reportFile = dir / "shared.out";
    for (const char* name : {"a", "b"}) {
        const fs::path folder = copyExample("usace-user-critical-depth", dir / name);
        makeCase(folder, "input.dat", reportFile.string(), (folder / "plot.plt").string(), "sounding.cpt");
    }
    // A third case reads, as its CPT file, the plot-data file that the first one writes.
    const fs::path c = copyExample("usace-user-critical-depth", dir / "c");
    makeCase(c, "input.dat", "report.out", "plot.plt", (dir / "a" / "plot.plt").string());
    const BatchRun run = runFolders({dir.path()}, 3);
    ASSERT_EQ(run.outcomes.size(), 3u);
    EXPECT_EQ(run.outcomes[0].status, kRunCompleted);
    EXPECT_EQ(run.outcomes[1].status, kRunFileError);
    ASSERT_EQ(run.outcomes[1].messages.size(), 1u);
    EXPECT_NE(run.outcomes[1].messages[0].find("the report file of this case is the report file that case " +
                                               (dir / "a").generic_string() + " writes"),
              std::string::npos)
        << run.outcomes[1].messages[0];
    EXPECT_EQ(run.outcomes[2].status, kRunFileError);
    EXPECT_NE(run.outcomes[2].messages[0].find("the CPT file of this case is the plot-data file that case"),
              std::string::npos)
        << run.outcomes[2].messages[0];
    EXPECT_FALSE(fs::exists(c / "report.out"));

    // The shared report is the first case's alone, as a single run writes it.
    const std::string fromBatch = readFile(reportFile);
    RunOptions options;
    std::ostringstream console;
    options.console = &console;
    options.clock = kFixedClock;
    ASSERT_EQ(runInDirectory(dir / "a", options), kRunCompleted);
    EXPECT_EQ(fromBatch, readFile(reportFile));
}

// ---------------------------------------------------------------------------------------------

TEST(BatchRuns, ReportsAndPlotFilesAreThoseOfSingleRunsByteForByte) {
    TempDir dir("batch-identical");
    std::map<std::string, std::pair<std::string, std::string>> single;
    const std::vector<std::string> examples = test::exampleNames();
    for (const std::string& example : examples) {
        const fs::path folder = copyExample(example, dir / example);
        std::ostringstream console;
        std::istringstream noAnswers;
        RunOptions options;
        options.console = &console;
        options.consoleInput = &noAnswers;
        options.clock = kFixedClock;
        runInDirectory(folder, options);
        single[example] = {readFile(folder / "report.out"), readFile(folder / "plot.plt")};
        fs::remove(folder / "report.out");
        fs::remove(folder / "plot.plt");
    }
    const BatchRun run = runFolders({dir.path()}, 4);
    ASSERT_EQ(run.cases.size(), examples.size());
    EXPECT_EQ(run.jobs, 4u);
    EXPECT_EQ(run.completed, 14);
    EXPECT_EQ(run.stoppedOnInput, 1);
    for (const std::string& example : examples) {
        SCOPED_TRACE(example);
        const std::string report = readFile(dir / example / "report.out");
        EXPECT_GT(report.size(), 1000u);
        EXPECT_TRUE(report == single[example].first) << "the batch report differs from the single run";
        EXPECT_TRUE(readFile(dir / example / "plot.plt") == single[example].second)
            << "the batch plot-data file differs from the single run";
    }
}

TEST(BatchRuns, ProgressLineIsRewrittenInPlaceOnATerminalOnly) {
    TempDir dir("batch-progress");
    copyExample("usace-user-critical-depth", dir / "a");
    copyExample("stop-profile-too-short", dir / "b");
    std::ostringstream progress;
    BatchOptions options = fixedClockOptions(2);
    options.progress = &progress;
    options.progressInPlace = true;
    runBatch(findCases(std::vector<fs::path>{dir.path()}), options);
    const std::string shown = progress.str();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), '\r');
    EXPECT_EQ(shown.back(), '\n');
    EXPECT_EQ(shown.find('\n'), shown.size() - 1);  // one line, rewritten
    const std::string last = shown.substr(shown.rfind('\r') + 1);
    EXPECT_EQ(last.rfind("2 of 2 cases done, 1 failed, ", 0), 0u) << last;
    EXPECT_NE(last.find(" cases/s"), std::string::npos);

    std::ostringstream quiet;
    options.progress = &quiet;
    options.progressInPlace = false;
    runBatch(findCases(std::vector<fs::path>{dir.path()}), options);
    EXPECT_EQ(quiet.str(), "");
}

// ---------------------------------------------------------------------------------------------

int command(std::vector<std::string_view> args, std::string& out, std::string& err) {
    std::ostringstream o;
    std::ostringstream e;
    const int code = runBatchCommand(args, o, e, false, kFixedClock);
    out = o.str();
    err = e.str();
    return code;
}

TEST(BatchCommand, ExitCodeIsZeroOneOrTwoByTheWorstCase) {
    TempDir dir("batch-exit");
    const std::string good1 = copyExample("usace-user-critical-depth", dir / "good1").string();
    const std::string good2 = copyExample("tapered-monotube", dir / "good2").string();
    const std::string stop = copyExample("stop-profile-too-short", dir / "stop").string();
    const std::string broken = makeCase(dir / "broken", "none.dat", "r.out", "p.plt", "c.cpt").string();
    std::string out;
    std::string err;
    EXPECT_EQ(command({good1, good2, "--jobs", "2"}, out, err), 0);
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("2 cases: 2 completed, 0 stopped on input, 0 file errors"), std::string::npos) << out;
    EXPECT_EQ(out.find('\r'), std::string::npos);  // not a terminal: no progress line
    EXPECT_EQ(command({good1, stop}, out, err), 1);
    EXPECT_NE(err.find(stop), std::string::npos);
    EXPECT_NE(err.find("stopped on its input: COMPUTATION DOES NOT PROCEED"), std::string::npos) << err;
    EXPECT_EQ(command({stop, broken, good1}, out, err), 2);
    EXPECT_NE(err.find("a file could not be used: none.dat: the input data file cannot be opened"),
              std::string::npos)
        << err;
}

TEST(BatchCommand, SummaryFileIsWrittenAndAnUnwritableOneIsAFileError) {
    TempDir dir("batch-command-summary");
    const std::string good = copyExample("usace-user-critical-depth", dir / "good").string();
    const std::string summary = (dir / "summary.csv").string();
    std::string out;
    std::string err;
    EXPECT_EQ(command({"--summary", summary, good}, out, err), 0);
    const std::vector<std::string> lines = splitLines(readFile(summary));
    ASSERT_EQ(lines.size(), 2u);  // header and the one USACE table
    EXPECT_EQ(lines[1].rfind(dir.path().generic_string() + "/good,", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find(",completed,,0,English,USACE,"), std::string::npos) << lines[1];
    EXPECT_EQ(command({good, "--summary=" + (dir / "no-folder" / "s.csv").string()}, out, err), 2);
    EXPECT_NE(err.find("the summary file cannot be created"), std::string::npos) << err;
}

TEST(BatchCommand, UsageErrorsAreRefusedBeforeAnyRun) {
    std::string out;
    std::string err;
    EXPECT_EQ(command({}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--jobs"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--jobs", "0"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--jobs", "two"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--jobs", "3x"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--jobs=100000"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--summary"}, out, err), kBatchUsageError);
    EXPECT_EQ(command({"examples", "--fast"}, out, err), kBatchUsageError);
    EXPECT_NE(err.find("unknown option --fast"), std::string::npos);
    EXPECT_EQ(command({"--help"}, out, err), 0);
    EXPECT_NE(out.find("vorta batch DIR..."), std::string::npos);
}

#if !defined(_WIN32)
TEST(BatchCommand, CommandLineProgramRunsABatchWithoutProgressWhenNotOnATerminal) {
    if (!test::cliBuilt()) GTEST_SKIP() << "the command-line program is not built";
    TempDir dir("batch-cli");
    copyExample("usace-user-critical-depth", dir / "site" / "good");
    copyExample("stop-profile-too-short", dir / "site" / "stop");
    const test::CliRun run = test::runCli("batch site --summary s.csv", dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output.find('\r'), std::string::npos);
    EXPECT_NE(run.output.find("2 cases: 1 completed, 1 stopped on input, 0 file errors"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("stop: stopped on its input"), std::string::npos) << run.output;
    EXPECT_EQ(splitLines(readFile(dir / "s.csv")).size(), 3u);
    EXPECT_TRUE(fs::exists(dir / "site" / "good" / "report.out"));
}
#endif

#if VORTA_PROJECT_FILES
// Project files are cases too: named, or found in a folder beside case folders (but not inside
// one); each writes its report and plot-data file beside it, as `vorta run` does.
TEST(BatchProjectFiles, ProjectFilesAreFoundAndRunBesideCaseFolders) {
    TempDir dir("batch-project");
    const fs::path example = test::sourcePath("examples/closed-pipe-si");
    fs::create_directories(dir / "site");
    fs::copy_file(example / "project.toml", dir / "site" / "pile-a.toml");
    writeFile(dir / "site" / "pile-b.toml", "units = \"SI\"\n[pile]\ntype = \"stone\"\n");
    const fs::path folderCase = makeCase(dir / "site" / "case", "input.dat", "report.out", "plot.plt", "sounding.cpt");
    fs::copy_file(example / "input.dat", folderCase / "input.dat");
    fs::copy_file(example / "sounding.cpt", folderCase / "sounding.cpt");
    fs::copy_file(example / "project.toml", folderCase / "ignored.toml");  // inside a case folder: not a case

    const BatchRun run = runFolders({dir / "site"}, 2);
    ASSERT_EQ(run.cases.size(), 3u);
    EXPECT_EQ(run.completed, 2);
    EXPECT_EQ(run.fileErrors, 1);
    for (std::size_t i = 0; i < run.cases.size(); ++i) {
        if (run.cases[i].name.ends_with("pile-b.toml")) {
            ASSERT_FALSE(run.outcomes[i].messages.empty());
            EXPECT_NE(run.outcomes[i].messages[0].find("pile.type: unknown name \"stone\""), std::string::npos)
                << run.outcomes[i].messages[0];
        }
    }
    const std::string fromProject = readFile(dir / "site" / "pile-a.out");
    const std::string fromCase = readFile(folderCase / "report.out");
    EXPECT_EQ(fromProject.substr(fromProject.find("* INPUT INFORMATION *")),
              fromCase.substr(fromCase.find("* INPUT INFORMATION *")));
    EXPECT_EQ(readFile(dir / "site" / "pile-a.plt"), readFile(folderCase / "plot.plt"));
}
#endif

}  // namespace
}  // namespace vorta::cli
