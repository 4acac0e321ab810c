// Whole runs of the example analyses under examples/: every line of the report (less the path and
// date lines of the header) and the whole plot-data file against the checked-in outputs, the
// status of each run, and what an engineer looks for when reading a report through.
//
// Numbers checked by hand before the outputs were checked in (the arithmetic is in the tests
// named below, which recompute them from the input and so fail if the engine drifts):
//   general-method-user-values  the general method's skin friction and end bearing from the
//                               user's unit values (GeneralMethodUserValues...)
//   timber-pile-tension         the buoyant self weight of the tapered timber pile
//                               (TimberPileTension...)
//   usace-user-critical-depth   the USACE end bearing held constant below the user's critical
//                               depth (UsaceUserCriticalDepth...)
//   open-pipe-sand-over-clay    the plot-data header and the printed row count (OpenPipe...)
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cctype>
#include <cstdio>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "engine/constants.h"
#include "support/test_support.h"
#include "vorta/analysis.h"
#if VORTA_PROJECT_FILES
#include "vorta/project.h"
#endif

namespace vorta {
namespace {

namespace fs = std::filesystem;

struct Example {
    const char* folder;
    RunStatus status;
};

const Example kExamples[] = {
    {"battered-pipe-pile", kRunCompleted},
    {"closed-pipe-si", kRunCompleted},
    {"cpt-four-methods-si", kRunCompleted},
    {"general-method-user-values", kRunCompleted},
    {"h-pile-clay-silt-sand", kRunCompleted},
    {"long-profile-500-segments", kRunCompleted},
    {"open-pipe-sand-over-clay", kRunCompleted},
    {"square-precast-concrete", kRunCompleted},
    {"stop-profile-too-short", kRunStoppedOnInput},
    {"tapered-monotube", kRunCompleted},
    {"timber-pile-tension", kRunCompleted},
    {"usace-density-rule", kRunCompleted},
    {"usace-stress-rule-si", kRunCompleted},
    {"usace-user-critical-depth", kRunCompleted},
    {"verification-curves-and-modifiers", kRunCompleted},
};

struct ExampleRun {
    RunStatus status = kRunCompleted;
    std::string report;
    std::string plot;
    std::string console;
    AnalysisResult result;
};

// The example's input and CPT files as they stand in the source tree; the report and plot-data
// file under the names its names.dat gives, in a fresh folder, with the version text of line 1.
ExampleRun runExample(const std::string& folder) {
    const fs::path source = test::sourcePath("examples/" + folder);
    const std::vector<std::string> names = test::splitLines(test::readFile(source / "names.dat"));
    EXPECT_GE(names.size(), 8u) << folder << "/names.dat";
    test::TempDir out("example");
    RunFiles files;
    files.versionText = names.at(0);
    files.input = source / names.at(4);
    files.report = out / names.at(5);
    files.plot = out / names.at(6);
    files.cpt = source / names.at(7);
    std::ostringstream console;
    std::istringstream noAnswers;
    ExampleRun run;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = test::kFixedClock;
    options.result = &run.result;
    run.status = runOnFiles(files, options);
    run.console = console.str();
    if (fs::exists(files.report)) run.report = test::readFile(files.report);
    if (fs::exists(files.plot)) run.plot = test::readFile(files.plot);
    return run;
}

std::string reportGolden(const std::string& folder) { return "examples/" + folder + "/expected/report.out"; }
std::string plotGolden(const std::string& folder) { return "examples/" + folder + "/expected/plot.plt"; }

// A value too wide for its field prints as a row of asterisks; a single "*" is the plug mark or
// part of a banner. NaN and infinity must never reach a report.
bool isNotANumberWord(const std::string& word) {
    std::string w;
    for (char c : word) {
        if (c != '+' && c != '-') w += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return w == "NAN" || w == "INF" || w == "INFINITY" || w.rfind("NAN(", 0) == 0;
}

::testing::AssertionResult readsCleanly(const std::string& text) {
    const std::vector<std::string> lines = test::splitLines(text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        // "**" marks a bearing factor estimated by the program in the echo; three or more in a
        // row on a line that is not a banner is a field that overflowed.
        const bool banner = line.find_first_not_of(" *") == std::string::npos;
        bool bad = !banner && line.find("***") != std::string::npos;
        std::istringstream words(line);
        for (std::string word; !bad && words >> word;) bad = isNotANumberWord(word);
        if (bad) return ::testing::AssertionFailure() << "line " << (i + 1) << ": [" << line << "]";
    }
    return ::testing::AssertionSuccess();
}

class ExampleAnalysis : public ::testing::TestWithParam<Example> {};

TEST_P(ExampleAnalysis, ReportAndPlotDataMatchTheCheckedInOutputs) {
    const Example& example = GetParam();
    const ExampleRun run = runExample(example.folder);
    EXPECT_EQ(run.status, example.status) << run.console;
    EXPECT_TRUE(test::matchesGolden(test::maskRunSpecificLines(run.report), reportGolden(example.folder)));
    EXPECT_TRUE(test::matchesGolden(run.plot, plotGolden(example.folder)));
}

TEST_P(ExampleAnalysis, ReadsAsAnEngineerExpects) {
    const Example& example = GetParam();
    const ExampleRun run = runExample(example.folder);
    ASSERT_EQ(run.status, example.status);
    EXPECT_TRUE(readsCleanly(run.report)) << "report of " << example.folder;
    EXPECT_TRUE(readsCleanly(run.plot)) << "plot-data file of " << example.folder;
    EXPECT_NE(run.console.find("VORTA for Windows, Version 2.0"), std::string::npos);
    if (example.status != kRunCompleted) return;

    EXPECT_NE(run.console.find("COMPUTATION IS PROCEEDING........"), std::string::npos);
    EXPECT_NE(run.report.find("* COMPUTATION RESULT *"), std::string::npos);
    ASSERT_FALSE(run.result.tables.empty()) << example.folder;
    for (const MethodTable& table : run.result.tables) {
        ASSERT_FALSE(table.rows.empty()) << table.title;
        // The first row is the pile at the ground surface: no friction yet.
        EXPECT_EQ(table.rows.front().pileLength, 0.0) << table.title;
        EXPECT_EQ(table.rows.front().skinFriction, 0.0) << table.title;
        double lastLength = -1.0;
        for (const CapacityRow& row : table.rows) {
            EXPECT_TRUE(std::isfinite(row.skinFriction) && std::isfinite(row.tipResistance) &&
                        std::isfinite(row.ultimateCapacity))
                << table.title << " at " << row.pileLength;
            EXPECT_GT(row.pileLength, lastLength) << table.title;
            lastLength = row.pileLength;
            // Ultimate capacity is skin friction plus the factored tip column, also in tension.
            EXPECT_NEAR(row.ultimateCapacity, row.skinFriction + row.tipResistance,
                        1e-9 * (1.0 + std::fabs(row.ultimateCapacity)))
                << table.title << " at " << row.pileLength;
            if (!table.tension) {
                EXPECT_GE(row.tipResistance, 0.0) << table.title << " at " << row.pileLength;
                EXPECT_GE(row.skinFriction, 0.0) << table.title << " at " << row.pileLength;
            }
            EXPECT_GE(row.plugLength, 0.0) << table.title << " at " << row.pileLength;
            EXPECT_LE(row.plugLength, row.pileLength + 1e-6) << table.title << " at " << row.pileLength;
        }
        // Friction only grows as the pile is driven deeper.
        for (std::size_t k = 1; k < table.rows.size(); ++k) {
            EXPECT_GE(table.rows[k].skinFriction, table.rows[k - 1].skinFriction - 1e-9)
                << table.title << " at " << table.rows[k].pileLength;
        }
    }
    // The load-settlement curve: the head settles more with every tip movement.
    ASSERT_FALSE(run.result.loadSteps.empty()) << example.folder;
    for (std::size_t k = 1; k < run.result.loadSteps.size(); ++k) {
        EXPECT_GT(run.result.loadSteps[k].topMovement, run.result.loadSteps[k - 1].topMovement) << example.folder;
    }
}

std::string testName(const ::testing::TestParamInfo<Example>& info) {
    std::string name = info.param.folder;
    for (char& c : name) {
        if (c == '-') c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleAnalysis, ::testing::ValuesIn(kExamples), testName);

#if VORTA_PROJECT_FILES
// Each example's project.toml states the same analysis as its input data file and CPT file: its
// report (the header's file lines aside) and its plot-data file are the expected ones.
TEST_P(ExampleAnalysis, ProjectFileGivesTheCheckedInOutputs) {
    const Example& example = GetParam();
    const fs::path projectFile = test::sourcePath(std::string("examples/") + example.folder + "/project.toml");
    const Analysis analysis = project::readProjectFile(projectFile);
    const std::vector<std::string> names =
        test::splitLines(test::readFile(test::sourcePath(std::string("examples/") + example.folder + "/names.dat")));
    test::TempDir out("example-project");
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.clock = test::kFixedClock;
    options.versionText = names.at(0);
    options.report = out / names.at(5);
    options.plot = out / names.at(6);
    options.sourceName = projectFile.string();
    options.sourceKind = ValueSource::ProjectFile;
    EXPECT_EQ(runAnalysis(analysis, options), example.status) << console.str();
    std::string report = test::maskRunSpecificLines(test::readFile(options.report));
    const std::string inputLine = "     Name of input data file     : ";
    const std::size_t at = report.find(inputLine + "project.toml\n");
    ASSERT_NE(at, std::string::npos) << "the header names the project file";
    report.replace(at, inputLine.size() + 12, inputLine + names.at(4));
    EXPECT_TRUE(test::matchesGolden(report, reportGolden(example.folder)));
    EXPECT_TRUE(test::matchesGolden(test::readFile(options.plot), plotGolden(example.folder)));
}
#endif

const MethodTable* tableOf(const AnalysisResult& result, int selection) {
    for (const MethodTable& t : result.tables) {
        if (t.selection == selection) return &t;
    }
    return nullptr;
}

const CapacityRow& rowAt(const MethodTable& table, double pileLength) {
    for (const CapacityRow& row : table.rows) {
        if (std::fabs(row.pileLength - pileLength) < 1e-6) return row;
    }
    ADD_FAILURE() << table.title << " prints no row at " << pileLength;
    static const CapacityRow none;  // read-only fallback after a reported failure
    return none;
}

// 24 in open pipe, clay from 30 ft (su 1200 to 1800 psf at 55 ft, then 2200 to 2800 psf at
// 80 ft). Below the sand the plugged tip governs and the end bearing is 9 su over the full tip
// area pi/4 * 2^2 = 3.14159 ft2, su averaged over the tip zone of 1.5 diameters (3 ft) above and
// below the tip; su is taken at segment mid-depths, slope 0.6/25 = 0.024 ksf/ft in both layers.
TEST(OpenPipeSandOverClay, ClayEndBearingIsNineTimesTheStrengthAveragedOverTheTipZone) {
    const ExampleRun run = runExample("open-pipe-sand-over-clay");
    ASSERT_EQ(run.status, kRunCompleted);
    const double tipArea = sp(0.7853975) * 2.0 * 2.0;
    // Tip at 34 ft: zone 31..37 ft, all in the upper clay; mean su = 1.2 + 0.024 * 4 = 1.296 ksf.
    const double at34 = 9.0 * 1.296 * tipArea;  // 36.64 kips
    // Tip at 54 ft: zone 51..57 ft straddles the step at 55 ft: four segments with mean su
    // 1.2 + 0.024 * 23 = 1.752 and two with 2.2 + 0.024 * 1 = 2.224 ksf.
    const double at54 = 9.0 * (4 * 1.752 + 2 * 2.224) / 6.0 * tipArea;  // 53.99 kips
    // Tip at 70 ft: zone 67..73 ft; su = 2.2 + 0.024 * 15 = 2.56 ksf.
    const double at70 = 9.0 * 2.56 * tipArea;  // 72.38 kips
    for (int selection : {1, 2, 4}) {
        const MethodTable* table = tableOf(run.result, selection);
        ASSERT_NE(table, nullptr) << "selection " << selection;
        EXPECT_NEAR(rowAt(*table, 34.0).tipResistance, at34, 1e-6) << table->title;
        EXPECT_FALSE(rowAt(*table, 34.0).plugMark) << table->title;
        EXPECT_NEAR(rowAt(*table, 54.0).tipResistance, at54, 1e-6) << table->title;
        EXPECT_NEAR(rowAt(*table, 70.0).tipResistance, at70, 1e-6) << table->title;
    }
    // The printed lines of the FHWA table at 34 and 70 ft, as the report rounds them.
    EXPECT_NE(run.report.find("             34.00          64.5          36.6        101.1       32.00\n"),
              std::string::npos);
    EXPECT_NE(run.report.find("             70.00         464.5          72.4        536.9       36.17\n"),
              std::string::npos);
}

// Three methods (FHWA, USACE, API RP-2A); 71 rows (0 to 70 ft) printed every second: rows 1, 3,
// ..., 71 are 36 rows, the last being a regular one. English units, FHWA drives load transfer.
TEST(OpenPipeSandOverClay, PlotDataHeaderCountsTheMethodsAndPrintedRows) {
    const ExampleRun run = runExample("open-pipe-sand-over-clay");
    ASSERT_EQ(run.status, kRunCompleted);
    const std::vector<std::string> lines = test::splitLines(run.plot);
    ASSERT_FALSE(lines.empty());
    std::istringstream header(lines[0]);
    int methods = 0, rows = 0, units = 0, loadTransfer = 0;
    header >> methods >> rows >> units >> loadTransfer;
    EXPECT_EQ(methods, 3);
    EXPECT_EQ(rows, 36);
    EXPECT_EQ(units, 1);
    EXPECT_EQ(loadTransfer, 1);
}

// 16 in closed pipe (perimeter pi * 16/12 = 4.18879 ft, tip area pi/4 * (16/12)^2 = 1.39626 ft2)
// with unit values from a load test: friction 500 to 700 psf over 0..15 ft and 900 to 1400 psf
// over 15..35 ft, bearing 7000 to 7200 psf and 60000 to 90000 psf. Each row takes the user values
// of the segment above its tip (mid-depth interpolation); the compression run ignores the
// tension reduction factor of 0.75.
TEST(GeneralMethodUserValues, FrictionAndBearingFollowTheUserUnitValues) {
    const ExampleRun run = runExample("general-method-user-values");
    ASSERT_EQ(run.status, kRunCompleted);
    const MethodTable* general = tableOf(run.result, 5);
    ASSERT_NE(general, nullptr);
    const double perimeter = 3.1415926535897931 * 16.0 / 12.0;
    const double tipArea = 3.1415926535897931 / 4.0 * (16.0 / 12.0) * (16.0 / 12.0);
    // 1 ft: friction 0.5 + 0.2 * 0.5 / 15 at the mid-depth of 0..1 ft = 0.50667 ksf * 4.18879 = 2.122.
    // (The tolerances leave room for the short decimals of pi.)
    EXPECT_NEAR(rowAt(*general, 1.0).skinFriction, (0.5 + 0.2 * 0.5 / 15.0) * perimeter, 1e-3);
    // 15 ft: the mid-depth values of a linear 0.5..0.7 ksf average 0.6 ksf: 0.6 * 4.18879 * 15 = 37.70.
    EXPECT_NEAR(rowAt(*general, 15.0).skinFriction, 0.6 * perimeter * 15.0, 1e-3);
    // 16 ft: plus 0.9 + 0.5 * 0.5 / 20 = 0.9125 ksf over one foot in the sand: 41.52 kips.
    EXPECT_NEAR(rowAt(*general, 16.0).skinFriction, (0.6 * 15.0 + 0.9125) * perimeter, 1e-3);
    // Bearing at 15 ft from the segment 14..15 ft: 7.0 + 0.2 * 14.5 / 15 = 7.1933 ksf -> 10.04
    // kips; at 16 ft from the segment 15..16 ft: 60 + 30 * 0.5 / 20 = 60.75 ksf -> 84.82 kips.
    EXPECT_NEAR(rowAt(*general, 15.0).tipResistance, (7.0 + 0.2 * 14.5 / 15.0) * tipArea, 1e-3);
    EXPECT_NEAR(rowAt(*general, 16.0).tipResistance, 60.75 * tipArea, 1e-3);
    EXPECT_NE(run.report.find("             16.00          41.5          84.8        126.3\n"), std::string::npos);
}

// 13 in timber pile (0.05 kcf) in uplift with area option 0: the echo computes the section as
// 0.7854 * 13^2 = 132.73 in2, so the material area is 0.921754 ft2; the water table at 5 ft (first
// unit weight below 75 pcf); below it the buoyant weight 0.05 - 0.0624 = -0.0124 kcf.
// W(35) = 0.05 * 0.921754 * 5 - 0.0124 * 0.921754 * 30 = 0.230439 - 0.342893 = -0.112454 kips;
// W(26) = 0.230439 - 0.0124 * 0.921754 * 21 = -0.0096, printed -0.0.
TEST(TimberPileTension, SelfWeightTurnsNegativeBelowTheWaterTable) {
    const ExampleRun run = runExample("timber-pile-tension");
    ASSERT_EQ(run.status, kRunCompleted);
    const MethodTable* api = tableOf(run.result, 4);
    ASSERT_NE(api, nullptr);
    EXPECT_TRUE(api->tension);
    EXPECT_NE(run.report.find("          - CROSS SECTION AREA        =    132.73 IN2\n"), std::string::npos);
    const double area = sp(0.7854) * 13.0 * 13.0 / 144.0;
    const double unitWeight = sp(0.05);
    const double buoyant = sp(0.05) - sp(0.0624);
    EXPECT_NEAR(rowAt(*api, 5.0).tipResistance, unitWeight * area * 5.0, 1e-9);
    EXPECT_NEAR(rowAt(*api, 35.0).tipResistance, unitWeight * area * 5.0 + buoyant * area * 30.0, 1e-9);
    EXPECT_NEAR(rowAt(*api, 35.0).tipResistance, -0.112454, 1e-5);
    EXPECT_NE(run.report.find("             26.00          24.3          -0.0         24.3\n"), std::string::npos);
}

// 12.75 in closed pipe (tip area pi/4 * (12.75/12)^2 = 0.88664 ft2), USACE with the user's
// critical depth of 20 ft. Above it, sand of 115 pcf and 31 degrees: Nq = 23 + 7 * 0.5 = 26.5,
// at 10 ft q = 26.5 * 1.15 ksf = 30.475 ksf -> 27.02 kips. Below it, 35 degrees:
// Nq = 30 + 26 * 3 / 4 = 49.5 on the stress held at 20 ft, 0.115 * 20 = 2.3 ksf:
// q = 113.85 ksf -> 100.94 kips at every tip whose zone lies wholly below the first segment
// under 20 ft.
TEST(UsaceUserCriticalDepth, EndBearingStopsGrowingBelowTheCriticalDepth) {
    const ExampleRun run = runExample("usace-user-critical-depth");
    ASSERT_EQ(run.status, kRunCompleted);
    const MethodTable* usace = tableOf(run.result, 2);
    ASSERT_NE(usace, nullptr);
    const double tipArea = sp(0.7853975) * (12.75 / 12.0) * (12.75 / 12.0);
    EXPECT_NEAR(rowAt(*usace, 10.0).tipResistance, 26.5 * 0.115 * 10.0 * tipArea, 0.01);
    for (double length : {24.0, 30.0, 40.0, 50.0}) {
        EXPECT_NEAR(rowAt(*usace, length).tipResistance, 49.5 * 2.3 * tipArea, 0.01) << length;
    }
}

// The profile and the deepest soil depth end at 52 ft; the 50 ft pile of 24 in needs
// 50 + 2 * 24 / 12 = 54 ft. The console warns and the run stops before the progress line (the
// report, which stops after the header, is the checked-in one).
TEST(StopProfileTooShort, ConsoleWarnsAndTheRunStopsBeforeItsProgressLine) {
    const ExampleRun run = runExample("stop-profile-too-short");
    EXPECT_EQ(run.status, kRunStoppedOnInput);
    EXPECT_NE(run.console.find("          WAS PROVIDED AT THE DEPTH      54.00 FT."), std::string::npos) << run.console;
    EXPECT_NE(run.console.find("SOIL SHOULD EXTEND AT LEAST THE"), std::string::npos);
    EXPECT_EQ(run.console.find("COMPUTATION IS PROCEEDING"), std::string::npos);
}

// The README's command runs this example in its own folder from names.dat: the same report and
// plot-data file as the run on explicit files, written beside the input.
TEST(OpenPipeSandOverClay, RunInItsFolderFromNamesDatGivesTheCheckedInOutputs) {
    test::TempDir dir("example-folder");
    const fs::path source = test::sourcePath("examples/open-pipe-sand-over-clay");
    for (const char* name : {"names.dat", "input.dat", "sounding.cpt"}) fs::copy_file(source / name, dir / name);
    std::ostringstream console;
    std::istringstream noAnswers;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = test::kFixedClock;
    ASSERT_EQ(runInDirectory(dir.path(), options), kRunCompleted) << console.str();
    const std::string report = test::readFile(dir / "report.out");
    EXPECT_TRUE(test::matchesGolden(test::maskRunSpecificLines(report), reportGolden("open-pipe-sand-over-clay")));
    EXPECT_TRUE(test::matchesGolden(test::readFile(dir / "plot.plt"), plotGolden("open-pipe-sand-over-clay")));
    // The path line names the run folder, with its trailing separator.
    const std::string dirText = fs::weakly_canonical(dir.path()).string();
    EXPECT_NE(report.find("     Path to file locations      : " + dirText + "/\n"), std::string::npos) << report;
}

// The lines of a report after its header (banner, file names, date and time): the part that
// does not depend on how the run was started.
std::vector<std::string> afterHeader(const std::string& report) {
    std::vector<std::string> lines = test::splitLines(report);
    std::size_t k = 0;
    while (k < lines.size() && lines[k].rfind("               Date:  ", 0) != 0) ++k;
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(std::min(k + 1, lines.size())),
                                    lines.end());
}

// The README's example command: the command-line program on the example's files, with the
// report and plot-data file elsewhere. Past the header (its version text and file names differ)
// the report is the checked-in one, and so is the whole plot-data file.
TEST(OpenPipeSandOverClay, TheReadmeCommandGivesTheCheckedInResults) {
    if (std::string(VORTA_CLI).empty()) GTEST_SKIP() << "the command-line program is not built";
    test::TempDir dir("readme");
    const fs::path source = test::sourcePath("examples/open-pipe-sand-over-clay");
    const std::string command = "'" + std::string(VORTA_CLI) + "' run '" + (source / "input.dat").string() +
                                "' --cpt '" + (source / "sounding.cpt").string() + "' --report '" +
                                (dir / "example.out").string() + "' --plot '" + (dir / "example.plt").string() +
                                "' >/dev/null 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    const std::vector<std::string> golden =
        afterHeader(test::readFile(test::sourcePath(reportGolden("open-pipe-sand-over-clay"))));
    const std::vector<std::string> report = afterHeader(test::readFile(dir / "example.out"));
    ASSERT_GT(golden.size(), 100u);
    EXPECT_EQ(report, golden);
    EXPECT_TRUE(test::matchesGolden(test::readFile(dir / "example.plt"), plotGolden("open-pipe-sand-over-clay")));
}

}  // namespace
}  // namespace vorta
