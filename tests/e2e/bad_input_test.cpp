// Whole runs on files that cannot be used or values the engine cannot compute with: each run
// ends with its status (2 for a file, 1 for a stop on a value) and a message that names the
// file, the line, the record and what was expected; it never crashes, never reads or writes past
// a table, and a report that exists holds the header and the message, nothing half-written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace vorta {
namespace {

namespace fs = std::filesystem;

// A small deck that reads every optional group: an 18 in open pipe, 30 ft embedded, 1 ft
// increment, sand over clay; two verification depths, two area rows, two t-z modifier rows,
// three tip movements and the tip-curve factors. The line of each record is in the comment.
std::vector<std::string> deckLines() {
    return {
        "BAD INPUT TESTS - 18 IN OPEN PIPE",  // 1  title
        "VORTA TEST SUITE",                   // 2  designer
        "E2E",                                // 3  job number
        "1 1 4 0",                            // 4
        "0 0 18 17 29000000 30 0",            // 5
        "0 0 0",                              // 6
        "0 1 1 0 1 0 0",                      // 7
        "1 0 0 1 0 0 0 0 0",                  // 8
        "40 0",                               // 9
        " 0.0 1 0 120 32 0",                  // 10 soil point 1, first record
        " 0 0 0 15 0 0 0 0 0 1.0 1.0 0 0 0",  // 11 soil point 1, second record
        "15.0 1 0 120 32 0",                  // 12
        " 0 0 0 15 0 0 0 0 0 1.0 1.0 0 0 0",  // 13
        "15.0 2 0 60 0 0",                    // 14
        " 0 0 2000 1000 0 20 0 0 0 1.0 1.0 0 0 0",  // 15
        "40.0 2 0 60 0 0",                          // 16
        " 0 0 3000 1500 0 20 0 0 0 1.0 1.0 0 0 0",  // 17
        "1",                                        // 18 record 11
        "2",                                        // 19 record 11a
        "10",                                       // 20 record 11b
        "25",                                       // 21 record 11b
        "0 1.0",                                    // 22 record 12
        "0 0 0",                                    // 23 record 13
        "2 0",                                      // 24 record 14
        "0 20",                                     // 25 record 14a
        "30 20",                                    // 26 record 14a
        "0 0",                                      // 27 record 15
        "1",                                        // 28 record 16
        "2",                                        // 29 record 16a
        "0 1 1",                                    // 30 record 16b
        "40 1 1",                                   // 31 record 16b
        "1",                                        // 32 record 17
        "3",                                        // 33 record 17a
        "0.1",                                      // 34 record 17b
        "0.5",                                      // 35 record 17b
        "1.0",                                      // 36 record 17b
        "1",                                        // 37 record 18
        "1 1",                                      // 38 record 18a
    };
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

const char* const kSounding = "1 3\n0 0\n10 20000\n30 60000\n";

struct Outcome {
    RunStatus status = kRunCompleted;
    std::string console;
    bool reportExists = false;
    bool plotExists = false;
    std::string report;
    std::string plot;
    AnalysisResult result;              // in memory
    std::string folder;                 // the run folder, with a trailing separator
};

// Runs on case.dat and case.cpt in a fresh folder (either may be left out) with the report and
// plot-data file beside them, unless other paths are given.
struct Case {
    std::optional<std::string> input;
    std::optional<std::string> cpt = std::string(kSounding);
    std::optional<std::string> reportName;  // relative to the folder
    std::optional<std::string> plotName;
    std::vector<std::string> folders;  // created in the run folder first
};

Outcome run(const Case& c) {
    test::TempDir dir("bad-input");
    for (const std::string& folder : c.folders) fs::create_directories(dir / folder);
    if (c.input) test::writeFile(dir / "case.dat", *c.input);
    if (c.cpt) test::writeFile(dir / "case.cpt", *c.cpt);
    RunFiles files;
    files.input = dir / "case.dat";
    files.cpt = dir / "case.cpt";
    files.report = dir / c.reportName.value_or("case.out");
    files.plot = dir / c.plotName.value_or("case.plt");
    files.versionText = "E2E";
    std::ostringstream console;
    std::istringstream noAnswers;
    Outcome r;
    RunOptions options;
    options.console = &console;
    options.consoleInput = &noAnswers;
    options.clock = test::kFixedClock;
    options.result = &r.result;
    r.folder = (dir.path() / "").string();
    r.status = runOnFiles(files, options);
    r.console = console.str();
    r.reportExists = fs::is_regular_file(files.report);
    r.plotExists = fs::is_regular_file(files.plot);
    if (r.reportExists) r.report = test::readFile(files.report);
    if (r.plotExists) r.plot = test::readFile(files.plot);
    return r;
}

Outcome runDeck(const std::vector<std::string>& lines, const std::string& cpt = kSounding) {
    Case c;
    c.input = joined(lines);
    c.cpt = cpt;
    return run(c);
}

// The last line of a text that is not empty.
std::string lastLine(const std::string& text) {
    const std::vector<std::string> lines = test::splitLines(text);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->find_first_not_of(' ') != std::string::npos) return *it;
    }
    return "";
}

// A run that could not use a file: status 2, the message (which starts with the file's path in
// the run folder) on the console and in the in-memory result, and a report (when one was
// created) that holds the whole header followed by the message and nothing else.
void expectFileError(const Outcome& r, const std::string& message) {
    EXPECT_EQ(r.status, kRunFileError) << r.console;
    EXPECT_NE(r.console.find("\n ERROR - " + r.folder + message + "\n"), std::string::npos) << r.console;
    ASSERT_EQ(r.result.messages.size(), 1u) << r.console;
    EXPECT_EQ(r.result.messages[0], r.folder + message);
    if (!r.reportExists) return;
    EXPECT_NE(r.report.find("Name of plot output file    : "), std::string::npos) << r.report;
    EXPECT_NE(r.report.find("               Date:  March 05, 2024     Time:  09:07:03\n\n\n ERROR - "),
              std::string::npos)
        << r.report;
    EXPECT_EQ(lastLine(r.report), " ERROR - " + r.result.messages[0]) << r.report;
    EXPECT_EQ(r.report.find("INPUT INFORMATION"), std::string::npos);
    EXPECT_TRUE(r.plot.empty()) << r.plot;
}

TEST(BadInput, TheDeckOfTheseTestsRunsThrough) {
    const Outcome r = runDeck(deckLines());
    ASSERT_EQ(r.status, kRunCompleted) << r.console << r.report;
    EXPECT_NE(r.report.find("* COMPUTATION RESULT *"), std::string::npos);
    EXPECT_FALSE(r.plot.empty());
}

// ---- files that are missing or cannot be created ----

TEST(BadInput, MissingNamesDatIsStatusTwoAndCreatesNoFile) {
    test::TempDir dir("no-names");
    std::ostringstream console;
    RunOptions options;
    options.console = &console;
    options.clock = test::kFixedClock;
    EXPECT_EQ(runInDirectory(dir.path(), options), kRunFileError);
    EXPECT_NE(console.str().find(" ERROR - " + (dir / "names.dat").string() + ": the run-control file cannot be opened"),
              std::string::npos)
        << console.str();
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST(BadInput, MissingInputFileLeavesTheHeaderAndTheMessageAndNoPlotFile) {
    Case c;
    const Outcome r = run(c);
    expectFileError(r, "case.dat: the input data file cannot be opened");
    EXPECT_TRUE(r.reportExists);
    EXPECT_FALSE(r.plotExists);  // opened after the input data file
}

TEST(BadInput, MissingCptFileLeavesTheHeaderTheMessageAndAnEmptyPlotFile) {
    Case c;
    c.input = joined(deckLines());
    c.cpt.reset();
    const Outcome r = run(c);
    expectFileError(r, "case.cpt: the CPT file cannot be opened");
    EXPECT_TRUE(r.reportExists);
    EXPECT_TRUE(r.plotExists);
}

TEST(BadInput, AnEmptyCptFileIsAReadError) {
    const Outcome r = runDeck(deckLines(), "");
    expectFileError(r, "case.cpt, line 1 (record 1 (CPT header and number of points)): the file ends where an "
                       "integer for the CPT header was expected");
}

TEST(BadInput, AFolderAsTheReportNameIsStatusTwoAndNothingIsWritten) {
    Case c;
    c.input = joined(deckLines());
    c.reportName = "out";
    c.folders = {"out"};
    const Outcome r = run(c);
    expectFileError(r, "out: the report file cannot be created");
    EXPECT_FALSE(r.plotExists);
}

TEST(BadInput, AReportInAMissingFolderIsStatusTwo) {
    Case c;
    c.input = joined(deckLines());
    c.reportName = "missing/case.out";
    const Outcome r = run(c);
    expectFileError(r, "missing/case.out: the report file cannot be created");
    EXPECT_FALSE(r.reportExists);
    EXPECT_FALSE(r.plotExists);
}

TEST(BadInput, APlotFileThatCannotBeCreatedIsReportedInTheReport) {
    Case c;
    c.input = joined(deckLines());
    c.plotName = "missing/case.plt";
    const Outcome r = run(c);
    expectFileError(r, "missing/case.plt: the plot-data file cannot be created");
    EXPECT_TRUE(r.reportExists);
}

// ---- a letter where a number is expected, in every kind of record ----

struct LetterCase {
    int line;              // 1-based line of the deck whose first value becomes a letter
    const char* message;   // after "case.dat, line N "
};

class LetterInRecord : public ::testing::TestWithParam<LetterCase> {};

TEST_P(LetterInRecord, NamesTheFileTheLineTheRecordAndWhatWasExpected) {
    const LetterCase& c = GetParam();
    std::vector<std::string> lines = deckLines();
    std::string& line = lines[c.line - 1];
    const std::size_t first = line.find_first_not_of(' ');
    const std::size_t end = line.find(' ', first);
    line.replace(first, (end == std::string::npos ? line.size() : end) - first, "1O");  // a letter O, not a zero
    const Outcome r = runDeck(lines);
    expectFileError(r, "case.dat, line " + std::to_string(c.line) + " " + c.message + ", found \"1O\"");
}

const LetterCase kLetterCases[] = {
    {4, "(record 4 (units, output step, soil points, tip closure)): expected an integer for the unit system"},
    {5, "(record 5 (pile section and length)): expected a number for the perimeter"},
    {6, "(record 6 (enhanced end section and batter)): expected a number for the length of the enhanced end section"},
    {7, "(record 7 (zero friction length, increment, pile type and options)): expected a number for the zero "
        "friction length"},
    {8, "(record 8 (selected methods)): expected an integer for the selection flag of method 1"},
    {9, "(record 9 (deepest soil depth and cross-section area)): expected a number for the deepest soil depth"},
    {10, "(soil point 1, first record): expected a number for the depth"},
    {11, "(soil point 1, second record): expected a number for the maximum unit friction"},
    {16, "(soil point 4, first record): expected a number for the depth"},
    {17, "(soil point 4, second record): expected a number for the maximum unit friction"},
    {18, "(record 11 (t-z verification flag)): expected an integer for the t-z verification flag"},
    {19, "(record 11a (number of t-z verification depths)): expected an integer for the number of t-z "
         "verification depths"},
    {21, "(record 11b (t-z verification depth 2)): expected a number for the verification depth"},
    {22, "(record 12 (loading type and tension reduction factor)): expected an integer for the loading type"},
    {23, "(record 13 (ICP/MTD clay condition, plug condition, long pile option)): expected an integer for the "
         "ICP/MTD clay condition"},
    {24, "(record 14 (area rows and area option)): expected an integer for the number of area rows"},
    {26, "(record 14a (area row 2)): expected a number for the distance from the pile top"},
    {27, "(record 15 (critical depth method and critical depth)): expected an integer for the critical depth "
         "method"},
    {28, "(record 16 (t-z modifier flag)): expected an integer for the t-z modifier flag"},
    {29, "(record 16a (number of t-z modifier rows)): expected an integer for the number of t-z modifier rows"},
    {31, "(record 16b (t-z modifier row 2)): expected a number for the depth"},
    {32, "(record 17 (tip movement list flag)): expected an integer for the tip movement list flag"},
    {33, "(record 17a (number of tip movements)): expected an integer for the number of tip movements"},
    {36, "(record 17b (tip movement 3)): expected a number for the tip movement"},
    {37, "(record 18 (tip curve factor flag)): expected an integer for the tip curve factor flag"},
    {38, "(record 18a (tip curve factors)): expected a number for the tip curve load factor"},
};

std::string letterCaseName(const ::testing::TestParamInfo<LetterCase>& info) {
    return "Line" + std::to_string(info.param.line);
}

INSTANTIATE_TEST_SUITE_P(InputDataFile, LetterInRecord, ::testing::ValuesIn(kLetterCases), letterCaseName);

TEST(LetterInRecord, ALetterLaterInARecordNamesThatValue) {
    std::vector<std::string> lines = deckLines();
    lines[4] = "0 0 18 17 29000000 3O 0";  // the pile length
    expectFileError(runDeck(lines), "case.dat, line 5 (record 5 (pile section and length)): expected a number "
                                    "for the pile length, found \"3O\"");
    lines = deckLines();
    lines[14] = " 0 0 2000 1000 0 20 0 0 0 1.0 1.0 0 0 x";  // the last column of soil point 3
    expectFileError(runDeck(lines), "case.dat, line 15 (soil point 3, second record): expected a number for the "
                                    "t-z parameter 3, found \"x\"");
    lines = deckLines();
    lines[3] = "1 1 4.0 0";  // a real where the count of soil points is an integer
    expectFileError(runDeck(lines), "case.dat, line 4 (record 4 (units, output step, soil points, tip closure)): "
                                    "expected an integer for the number of soil points, found \"4.0\"");
}

TEST(LetterInRecord, TitleLinesTakeAnyText) {
    std::vector<std::string> lines = deckLines();
    lines[0] = "1O, X / * \t ;";
    lines[1] = "";
    lines[2] = std::string(200, 'Z');  // longer than the 72 characters kept
    const Outcome r = runDeck(lines);
    EXPECT_EQ(r.status, kRunCompleted) << r.console;
}

TEST(LetterInCptFile, HeaderAndRowNameTheLineAndTheValue) {
    expectFileError(runDeck(deckLines(), "1 three\n0 0\n"),
                    "case.cpt, line 1 (record 1 (CPT header and number of points)): expected an integer for the "
                    "number of CPT points, found \"three\"");
    expectFileError(runDeck(deckLines(), "1 3\n0 0\n10 2OOOO\n30 60000\n"),
                    "case.cpt, line 3 (CPT point 2): expected a number for the cone resistance qc, found \"2OOOO\"");
    expectFileError(runDeck(deckLines(), "1 3\n0 0\n10 20000\nthirty 60000\n"),
                    "case.cpt, line 4 (CPT point 3): expected a number for the depth, found \"thirty\"");
}

// ---- files cut short ----

struct TruncationCase {
    int lines;            // lines kept
    const char* message;  // after "case.dat, line N "
};

class TruncatedInputFile : public ::testing::TestWithParam<TruncationCase> {};

TEST_P(TruncatedInputFile, EndsWhereTheNextValueWasExpected) {
    const TruncationCase& c = GetParam();
    std::vector<std::string> lines = deckLines();
    lines.resize(c.lines);
    expectFileError(runDeck(lines), "case.dat, line " + std::to_string(c.lines + 1) + " " + c.message);
}

const TruncationCase kTruncationCases[] = {
    {0, "(record 1 (title)): the file ends where a line of text was expected"},
    {2, "(record 3 (job number)): the file ends where a line of text was expected"},
    {3, "(record 4 (units, output step, soil points, tip closure)): the file ends where an integer for the unit "
        "system was expected"},
    {9, "(soil point 1, first record): the file ends where a number for the depth was expected"},
    {14, "(soil point 3, second record): the file ends where a number for the maximum unit friction was expected"},
    {17, "(record 11 (t-z verification flag)): the file ends where an integer for the t-z verification flag was "
         "expected"},
    {20, "(record 11b (t-z verification depth 2)): the file ends where a number for the verification depth was "
         "expected"},
    {25, "(record 14a (area row 2)): the file ends where a number for the distance from the pile top was expected"},
    {30, "(record 16b (t-z modifier row 2)): the file ends where a number for the depth was expected"},
    {35, "(record 17b (tip movement 3)): the file ends where a number for the tip movement was expected"},
    {36, "(record 18 (tip curve factor flag)): the file ends where an integer for the tip curve factor flag was "
         "expected"},
    {37, "(record 18a (tip curve factors)): the file ends where a number for the tip curve load factor was "
         "expected"},
};

std::string truncationCaseName(const ::testing::TestParamInfo<TruncationCase>& info) {
    return "After" + std::to_string(info.param.lines) + "Lines";
}

INSTANTIATE_TEST_SUITE_P(InputDataFile, TruncatedInputFile, ::testing::ValuesIn(kTruncationCases),
                         truncationCaseName);

TEST(TruncatedInputFile, ARecordCutInTheMiddleOfItsValues) {
    // Record 5 ends after three of its seven values and the file with it.
    std::vector<std::string> lines = deckLines();
    lines.resize(5);
    lines[4] = "0 0 18";
    expectFileError(runDeck(lines), "case.dat, line 6 (record 5 (pile section and length)): the file ends where a "
                                    "number for the inside diameter was expected");
    // The same cut with the rest of the file following: record 5 takes its last values from the
    // next lines, and the run reads on out of step until a value does not fit.
    lines = deckLines();
    lines[4] = "0 0 18";
    const Outcome r = runDeck(lines);
    EXPECT_NE(r.status, kRunCompleted);
    EXPECT_FALSE(r.result.messages.empty());
}

TEST(TruncatedCptFile, EndsWhereTheNextRowWasExpected) {
    expectFileError(runDeck(deckLines(), "1 3\n0 0\n10 20000\n"),
                    "case.cpt, line 4 (CPT point 3): the file ends where a number for the depth was expected");
    expectFileError(runDeck(deckLines(), "1 3\n0 0\n10"),
                    "case.cpt, line 4 (CPT point 2): the file ends where a number for the cone resistance qc was "
                    "expected");
    expectFileError(runDeck(deckLines(), "1"),
                    "case.cpt, line 2 (record 1 (CPT header and number of points)): the file ends where an integer "
                    "for the number of CPT points was expected");
}

// ---- counts over the capacity of their tables ----

// The deck with `count` soil points: layers of one sand and one clay point pair, spread evenly
// over 0..40 ft (the count must be even and at least 2 for the deck to run).
std::vector<std::string> deckWithSoilPoints(int count) {
    std::vector<std::string> lines = deckLines();
    std::vector<std::string> out(lines.begin(), lines.begin() + 9);
    out[3] = "1 1 " + std::to_string(count) + " 0";
    const int layers = count / 2;
    for (int k = 0; k < count; ++k) {
        const int layer = k / 2;
        const double depth = 40.0 * (layer + k % 2) / layers;
        std::ostringstream first;
        first << depth << (layer % 2 == 0 ? " 1 0 120 32 0" : " 2 0 60 0 0");
        out.push_back(first.str());
        out.push_back(layer % 2 == 0 ? " 0 0 0 15 0 0 0 0 0 1.0 1.0 0 0 0" : " 0 0 2500 1250 0 20 0 0 0 1.0 1.0 0 0 0");
    }
    out.insert(out.end(), lines.begin() + 17, lines.end());
    return out;
}

TEST(CountOverCapacity, EightySoilPointsRunAndEightyOneStop) {
    const Outcome full = runDeck(deckWithSoilPoints(80));
    EXPECT_EQ(full.status, kRunCompleted) << full.console << full.report;
    EXPECT_NE(full.report.find("            40.00   CLAY"), std::string::npos);  // the 80th point echoed
    expectFileError(runDeck(deckWithSoilPoints(81)),
                    "case.dat, line 4 (record 4 (units, output step, soil points, tip closure)): the number of soil "
                    "points is 81, more than the limit of 80");
    // A count no int holds is no integer at all.
    std::vector<std::string> lines = deckLines();
    lines[3] = "1 1 99999999999 0";
    expectFileError(runDeck(lines), "case.dat, line 4 (record 4 (units, output step, soil points, tip closure)): "
                                    "expected an integer for the number of soil points, found \"99999999999\"");
}

// The deck with the count record at `countLine` (1-based) set to `count` and the `rowsNow` rows
// that follow it replaced by `count` copies of `row`.
std::vector<std::string> deckWithRows(int countLine, int rowsNow, int count, const std::string& row) {
    std::vector<std::string> lines = deckLines();
    std::vector<std::string> out(lines.begin(), lines.begin() + countLine - 1);
    out.push_back(countLine == 24 ? std::to_string(count) + " 0" : std::to_string(count));
    for (int i = 0; i < count; ++i) out.push_back(row);
    out.insert(out.end(), lines.begin() + countLine + rowsNow, lines.end());
    return out;
}

struct TableCase {
    const char* table;
    int countLine;
    int rowsNow;
    int capacity;
    const char* row;
    const char* record;
    const char* what;
};

class CountOverCapacityOfTable : public ::testing::TestWithParam<TableCase> {};

TEST_P(CountOverCapacityOfTable, FullTableRunsAndOneMoreIsAFileError) {
    const TableCase& c = GetParam();
    const Outcome full = runDeck(deckWithRows(c.countLine, c.rowsNow, c.capacity, c.row));
    EXPECT_EQ(full.status, kRunCompleted) << c.table << "\n" << full.console << full.result.messages.size();
    expectFileError(runDeck(deckWithRows(c.countLine, c.rowsNow, c.capacity + 1, c.row)),
                    "case.dat, line " + std::to_string(c.countLine) + " (" + c.record + "): " + c.what + " is " +
                        std::to_string(c.capacity + 1) + ", more than the limit of " + std::to_string(c.capacity));
}

const TableCase kTableCases[] = {
    {"VerificationDepths", 19, 2, 100, "12.5", "record 11a (number of t-z verification depths)",
     "the number of t-z verification depths"},
    {"AreaRows", 24, 2, 100, "0 20", "record 14 (area rows and area option)", "the number of area rows"},
    {"ModifierRows", 29, 2, 100, "20 1 1", "record 16a (number of t-z modifier rows)",
     "the number of t-z modifier rows"},
    {"TipMovements", 33, 3, 100, "0.2", "record 17a (number of tip movements)", "the number of tip movements"},
};

std::string tableCaseName(const ::testing::TestParamInfo<TableCase>& info) { return info.param.table; }

INSTANTIATE_TEST_SUITE_P(InputDataFile, CountOverCapacityOfTable, ::testing::ValuesIn(kTableCases), tableCaseName);

TEST(CountOverCapacity, AThousandCptRowsRunAndOneMoreIsAFileError) {
    auto sounding = [](int rows) {
        std::string text = "1 " + std::to_string(rows) + "\n";
        for (int i = 0; i < rows; ++i) text += std::to_string(0.04 * i) + " " + std::to_string(20000 + 40 * i) + "\n";
        return text;
    };
    EXPECT_EQ(runDeck(deckLines(), sounding(1000)).status, kRunCompleted);
    expectFileError(runDeck(deckLines(), sounding(1001)),
                    "case.cpt, line 1 (record 1 (CPT header and number of points)): the number of CPT points is "
                    "1001, more than the limit of 1000");
}

// ---- values the engine cannot compute with: stops with status 1 and a report message ----

// A stop on a value: status 1, the report holds the header and the stop message, no echo and an
// empty plot-data file.
void expectStop(const Outcome& r, const std::string& reportText) {
    EXPECT_EQ(r.status, kRunStoppedOnInput) << r.console << r.report;
    EXPECT_NE(r.report.find("               Date:  March 05, 2024     Time:  09:07:03\n"), std::string::npos);
    EXPECT_NE(r.report.find(reportText), std::string::npos) << r.report;
    EXPECT_EQ(r.report.find("INPUT INFORMATION"), std::string::npos);
    EXPECT_TRUE(r.plotExists);
    EXPECT_TRUE(r.plot.empty());
    EXPECT_FALSE(r.result.messages.empty());
}

TEST(StopOnValue, ZeroOrNegativeLengthIncrement) {
    std::vector<std::string> lines = deckLines();
    lines[6] = "0 0 1 0 1 0 0";
    expectStop(runDeck(lines), "          COMPUTATION DOES NOT PROCEED BECAUSE THE INCREMENT OF \n"
                               "          PILE LENGTH USED IN COMPUTATION      0.00 FT. IS NOT GREATER THAN ZERO\n");
    lines[6] = "0 -0.5 1 0 1 0 0";
    expectStop(runDeck(lines), "PILE LENGTH USED IN COMPUTATION     -0.50 FT. IS NOT GREATER THAN ZERO");
}

TEST(StopOnValue, FewerThanTwoSoilPoints) {
    for (int count : {1, 0, -2}) {
        std::vector<std::string> lines = deckLines();
        std::vector<std::string> out(lines.begin(), lines.begin() + 9);
        out[3] = "1 1 " + std::to_string(count) + " 0";
        if (count == 1) out.insert(out.end(), lines.begin() + 9, lines.begin() + 11);
        out.insert(out.end(), lines.begin() + 17, lines.end());
        std::ostringstream expected;
        expected << "          COMPUTATION DOES NOT PROCEED BECAUSE THE SOIL PROFILE HAS";
        expected.width(4);
        expected << count << " SOIL POINT(S)\n"
                 << "          AT LEAST TWO SOIL POINTS (TOP AND BOTTOM OF A LAYER) ARE NEEDED\n";
        expectStop(runDeck(out), expected.str());
    }
}

// The deck with every method selected, the CPT methods included, so that each soil value
// reaches every formula that uses it.
std::vector<std::string> deckWithEveryMethod() {
    std::vector<std::string> lines = deckLines();
    lines[6] = "0 1 1 0 1 1 0";
    lines[7] = "1 1 1 1 0 1 1 1 1";
    return lines;
}

// Every number of a completed run's tables, curves and load steps is finite.
::testing::AssertionResult allFinite(const Outcome& r) {
    for (const MethodTable& t : r.result.tables) {
        for (const CapacityRow& row : t.rows) {
            if (!std::isfinite(row.skinFriction) || !std::isfinite(row.tipResistance) ||
                !std::isfinite(row.ultimateCapacity) || !std::isfinite(row.unitFriction))
                return ::testing::AssertionFailure() << t.title << " at " << row.pileLength;
        }
    }
    for (const LoadStep& step : r.result.loadSteps) {
        if (!std::isfinite(step.topLoad) || !std::isfinite(step.topMovement))
            return ::testing::AssertionFailure() << "a load step";
    }
    if (r.report.find("NaN") != std::string::npos) return ::testing::AssertionFailure() << "NaN in the report";
    return ::testing::AssertionSuccess();
}

TEST(BadInput, TheDeckWithEveryMethodRunsThroughWithFiniteNumbers) {
    const Outcome r = runDeck(deckWithEveryMethod());
    ASSERT_EQ(r.status, kRunCompleted) << r.console;
    EXPECT_TRUE(allFinite(r));
    EXPECT_EQ(r.result.tables.size(), 8u);  // all but the general method, which has no user values
}

// Soil values without meaning reach formulas that turn them into NaN capacities (a negative
// strength of the Revised Lambda method under a logarithm, a negative yield stress ratio under the
// power laws of the CPT methods in clay): such a run must stop on its input, not complete with NaN
// in its tables.
TEST(StopOnValue, SoilValuesWithoutMeaningStopTheRun) {
    struct Edit {
        int line;
        const char* text;
        const char* message;
    };
    const Edit edits[] = {
        {10, " 0.0 1 -0.5 120 32 0", "BECAUSE SOIL POINT  1 HAS A NEGATIVE\n          LATERAL EARTH PRESSURE COEFFICIENT\n"},
        {10, " 0.0 1 0 120 90 0", "BECAUSE SOIL POINT  1 HAS A FRICTION ANGLE OF  90.00 DEG\n"
                                 "          A FRICTION ANGLE MUST BE LESS THAN 90 DEGREES\n"},
        {12, "15.0 1 0 120 136 0", "BECAUSE SOIL POINT  2 HAS A FRICTION ANGLE OF 136.00 DEG\n"},
        {15, " 0 0 2000 1000 -2 20 0 0 0 1.0 1.0 0 0 0",
         "BECAUSE SOIL POINT  3 HAS A NEGATIVE\n          YIELD STRESS RATIO OR BLOW COUNT\n"},
        {11, " 0 0 0 -15 0 0 0 0 0 1.0 1.0 0 0 0",  // a sand's blow count, moved to column 10
         "BECAUSE SOIL POINT  1 HAS A NEGATIVE\n          YIELD STRESS RATIO OR BLOW COUNT\n"},
    };
    for (const Edit& e : edits) {
        std::vector<std::string> lines = deckWithEveryMethod();
        lines[e.line - 1] = e.text;
        expectStop(runDeck(lines), e.message);
    }
    // Just inside: a friction angle of 89.9 degrees and a yield stress ratio of 0 run through.
    std::vector<std::string> lines = deckWithEveryMethod();
    lines[9] = " 0.0 1 0 120 89.9 0";
    lines[14] = " 0 0 2000 1000 0 20 0 0 0 1.0 1.0 0 0 0";
    EXPECT_EQ(runDeck(lines).status, kRunCompleted);
}

// A negative cone resistance in the sounding reaches the square roots and power laws of the CPT
// methods (Fugro, ICP/MTD, UWA) as NaN; the run stops on it instead.
TEST(StopOnValue, NegativeConeResistanceInTheSoundingStopsTheRun) {
    const Outcome r = runDeck(deckWithEveryMethod(), "1 3\n0 0\n10 -20000\n30 60000\n");
    expectStop(r, "          COMPUTATION DOES NOT PROCEED BECAUSE CPT POINT   2 HAS A NEGATIVE\n"
                  "          CONE RESISTANCE QC\n");
    // A sounding that starts at the surface with qc 0 is sound.
    EXPECT_EQ(runDeck(deckWithEveryMethod(), "1 3\n0 0\n10 0\n30 60000\n").status, kRunCompleted);
}

// A profile whose first point lies below the ground surface has its top segments on the line of
// the first interval extended upwards, and a steep first interval would extend to negative unit
// weights above the first point. Here the effective unit weight runs from 0 pcf at 2 ft to 120 pcf
// at 5 ft, so -80 pcf at the surface, which once completed the Revised Lambda table with NaN (a
// negative mean strength under the logarithm of the compressibility). The extended line stops at
// zero, and the run completes with numbers.
TEST(ExtendedSoilLines, AboveTheFirstSoilPointTheyStopAtZeroAndTheRunHasNumbers) {
    std::vector<std::string> lines = deckWithEveryMethod();
    lines[9] = " 2.0 1 0 0 30 0";
    lines[11] = " 5.0 1 0 120 30 0";
    const Outcome r = runDeck(lines);
    EXPECT_EQ(r.status, kRunCompleted) << r.console;
    EXPECT_NE(r.report.find("LAMBDA 2 METHOD"), std::string::npos);
    EXPECT_EQ(r.report.find("NaN"), std::string::npos);
}

// The largest output step an int holds prints the first and the last row, and the plot-data
// header counts those two rows (the count was once formed as step + rows - 1, which overflows).
TEST(BadInput, TheLargestOutputStepPrintsTheFirstAndLastRows) {
    std::vector<std::string> lines = deckLines();
    lines[3] = "1 2147483647 4 0";
    const Outcome r = runDeck(lines);
    ASSERT_EQ(r.status, kRunCompleted) << r.console;
    std::istringstream header(test::splitLines(r.plot).at(0));
    int methods = 0, rows = 0;
    header >> methods >> rows;
    EXPECT_EQ(methods, 2);  // FHWA and API RP-2A
    EXPECT_EQ(rows, 2);
    EXPECT_NE(r.report.find("\n              0.00 "), std::string::npos);
    EXPECT_NE(r.report.find("\n             30.00 "), std::string::npos);
    EXPECT_EQ(r.report.find("\n              1.00 "), std::string::npos);
}

// Of the same kind: a segment takes its soil values at its mid-depth from the interval that holds
// its top, so a segment that crosses the bottom of an interval extends that interval past its
// bottom point. Here the sand's blow count runs from 10 at the surface to 0 at 14.4 ft; the
// segment from 14 to 15 ft would take 10 - 10 * 14.5 / 14.4 = -0.07 at its mid-depth, and with no
// sounding and no qc its cone resistance 2.8 pa N would be negative, which once completed the
// Fugro table with NaN (the square root of qc). The blow count stops at zero.
TEST(ExtendedSoilLines, PastTheBottomOfAnIntervalTheyStopAtZeroAndTheRunHasNumbers) {
    std::vector<std::string> lines = deckWithEveryMethod();
    lines[10] = " 0 0 0 10 0 0 0 0 0 1.0 1.0 0 0 0";
    lines[11] = "14.4 1 0 120 32 0";
    lines[12] = " 0 0 0 0 0 0 0 0 0 1.0 1.0 0 0 0";
    lines[13] = "14.4 2 0 60 0 0";
    const Outcome r = runDeck(lines, "1 0\n");
    EXPECT_EQ(r.status, kRunCompleted) << r.console;
    EXPECT_NE(r.report.find("FUGRO 2004"), std::string::npos);
    EXPECT_EQ(r.report.find("NaN"), std::string::npos);
}

TEST(StopOnValue, MoreThanFiveHundredSegmentsStopsAfterTheEcho) {
    // 40 ft of soil in 0.05 ft segments is 800 segments.
    std::vector<std::string> lines = deckLines();
    lines[6] = "0 0.05 1 0 1 0 0";
    const Outcome r = runDeck(lines);
    EXPECT_EQ(r.status, kRunStoppedOnInput);
    EXPECT_NE(r.report.find(" YOUR NUMBERS OF SEGMENT  800 IS LARGER THAN\n"), std::string::npos) << r.report;
    EXPECT_NE(r.console.find(" YOUR NUMBERS OF SEGMENT  800 IS LARGER THAN\n"), std::string::npos);
    EXPECT_NE(r.report.find("* COMPUTATION RESULT *"), std::string::npos);
    EXPECT_TRUE(r.plot.empty());
}

TEST(StopOnValue, HugeValuesStopOrRunButNeverCrash) {
    // Values far outside any pile: each run ends with a status and, when it stops, a message.
    const std::vector<std::pair<int, std::string>> edits = {
        {5, "0 0 18 17 29000000 1e30 0"},           // pile length
        {5, "0 0 1e30 17 29000000 30 0"},           // outside diameter
        {7, "0 1e-30 1 0 1 0 0"},                   // length increment
        {9, "1e30 0"},                              // deepest soil depth
        {6, "0 0 89.9999"},                         // batter almost horizontal
        {4, "1 2147483647 4 0"},                    // output step
        {7, "0 1 1 89 1 0 0"},                      // taper angle
        {10, " 0.0 1 0 1e300 32 0"},                // unit weight
        {11, " 0 0 0 1e300 0 0 0 0 0 1.0 1.0 0 0 0"},  // blow count
    };
    for (const auto& [line, text] : edits) {
        std::vector<std::string> lines = deckLines();
        lines[line - 1] = text;
        const Outcome r = runDeck(lines);
        EXPECT_TRUE(r.status == kRunCompleted || r.status == kRunStoppedOnInput) << text << "\n" << r.console;
        if (r.status != kRunCompleted) {
            EXPECT_FALSE(r.result.messages.empty()) << text;
        }
    }
}

}  // namespace
}  // namespace vorta
