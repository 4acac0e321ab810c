// Reader of the plot-data file and of the report's title lines and table banners.
#include "plot_data.h"

#include "vorta/vorta.h"

#include <array>
#include <cmath>
#include <fstream>
#include <string_view>


namespace vorta::cli {
namespace {

constexpr int kTipCurvePoints = 10;  // the tip q-w curve has no count record: always ten points
constexpr double kPrintedLengthTolerance = 0.005;  // half the last digit of an F7.2 pile length

// The records of the plot-data file by the result columns they hold, in order.
constexpr std::string_view kCapacityRecord[] = {"pile_length", "skin_friction", "tip_resistance", "ultimate_capacity",
                                                "unit_friction"};
constexpr std::string_view kCurvePointRecord[] = {"load", "movement"};
constexpr std::string_view kSegmentRecord[] = {"distance_from_head", "axial_load", "movement"};
constexpr std::string_view kLoadStepRecord[] = {"top_load", "top_movement", "tip_load", "tip_movement"};

template <class Row>
void setColumns(Row& row, std::span<const ResultField<Row>> fields, std::span<const std::string_view> keys,
                const std::vector<double>& values) {
    for (std::size_t i = 0; i < keys.size(); ++i) resultField(fields, keys[i])->set(row, values[i]);
}

template <class Row>
Row rowOf(std::span<const ResultField<Row>> fields, std::span<const std::string_view> keys,
          const std::vector<double>& values) {
    Row row{};
    setColumns(row, fields, keys, values);
    return row;
}

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ','; }

std::string_view trimmed(std::string_view text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
    return text.substr(b, e - b);
}

std::vector<std::string_view> tokensOf(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isSeparator(line[i])) ++i;
        const std::size_t start = i;
        while (i < line.size() && !isSeparator(line[i])) ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool isInteger(std::string_view token) {
    int v = 0;
    return parseInteger(token, v);
}

bool isFieldOverflow(std::string_view token) {
    return !token.empty() && token.find_first_not_of('*') == std::string_view::npos;
}

void stripCarriageReturn(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
}

// The lines of the plot-data file, taken one at a time, with a look at the next one.
class PlotLines {
public:
    PlotLines(std::istream& in, std::string fileName) : in_(in), fileName_(std::move(fileName)) {}

    const std::string* peek() {
        if (!havePeeked_) {
            havePeeked_ = true;
            hasNext_ = static_cast<bool>(std::getline(in_, next_));
            if (hasNext_) stripCarriageReturn(next_);
        }
        return hasNext_ ? &next_ : nullptr;
    }

    // The next line; throws when the file ends.
    std::string take(std::string_view record, std::string_view expected) {
        if (peek() == nullptr) {
            throw InputError(fileName_ + ", line " + std::to_string(line_ + 1) + " (" + std::string(record) +
                             "): the file ends where " + std::string(expected) + " was expected");
        }
        havePeeked_ = false;
        ++line_;
        return next_;
    }

    // Whether only blank lines are left.
    bool onlyBlankLinesLeft() {
        while (peek() != nullptr && trimmed(next_).empty()) {
            havePeeked_ = false;
            ++line_;
        }
        return peek() == nullptr;
    }

    [[noreturn]] void fail(std::string_view record, std::string_view expected, std::string_view found) const {
        std::string what = fileName_ + ", line " + std::to_string(line_) + " (" + std::string(record) +
                           "): expected " + std::string(expected) + ", found ";
        const std::string_view shown = trimmed(found);
        if (shown.empty()) {
            what += "an empty line";
        } else {
            what += "\"" + std::string(shown) + "\"";
            for (std::string_view token : tokensOf(found)) {
                if (isFieldOverflow(token)) {
                    what += " (a value too large for its field)";
                    break;
                }
            }
        }
        throw InputError(what);
    }

    [[noreturn]] void failOnValue(std::string_view record, const std::string& problem) const {
        throw InputError(fileName_ + ", line " + std::to_string(line_) + " (" + std::string(record) + "): " + problem);
    }

    // A record of `count` numbers.
    std::vector<double> numbers(std::size_t count, std::string_view record, std::string_view expected) {
        const std::string line = take(record, expected);
        const std::vector<std::string_view> t = tokensOf(line);
        if (t.size() != count) fail(record, expected, line);
        std::vector<double> values(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (!parseReal(t[i], values[i]) || !std::isfinite(values[i])) fail(record, expected, line);
        }
        return values;
    }

    // A free-format count record of `count` integers.
    std::vector<int> counts(std::size_t count, std::string_view record, std::string_view expected) {
        const std::string line = take(record, expected);
        const std::vector<std::string_view> t = tokensOf(line);
        if (t.size() != count) fail(record, expected, line);
        std::vector<int> values(count);
        for (std::size_t i = 0; i < count; ++i) {
            if (!parseInteger(t[i], values[i])) fail(record, expected, line);
        }
        return values;
    }

    int count(std::string_view record, std::string_view expected) {
        const int n = counts(1, record, expected)[0];
        if (n < 0) failOnValue(record, "a count cannot be negative, found " + std::to_string(n));
        return n;
    }

    const std::string& fileName() const { return fileName_; }

private:
    std::istream& in_;
    std::string fileName_;
    std::string next_;
    bool havePeeked_ = false;
    bool hasNext_ = false;
    int line_ = 0;
};

std::string tableName(const PlotData& d, std::size_t index) {
    std::string name = "capacity table " + std::to_string(index + 1);
    const MethodTable& t = d.result.tables[index];
    if (!t.title.empty()) name += " (" + t.title + ")";
    return name;
}

// One t-z curve: its (number, point count, depth) record and the point records that follow.
TransferCurve readTransferCurve(PlotLines& lines, const std::string& record, int expectedNumber, int previousNumber) {
    const std::string expected = "a curve record of three values: curve number, point count and depth";
    const std::string line = lines.take(record, expected);
    const std::vector<std::string_view> t = tokensOf(line);
    TransferCurve curve;
    int points = 0;
    if (t.size() != 3 || !parseInteger(t[0], curve.number) ||
        !parseInteger(t[1], points) || !parseReal(t[2], curve.depth) ||
        !std::isfinite(curve.depth)) {
        lines.fail(record, expected, line);
    }
    if (expectedNumber > 0 && curve.number != expectedNumber) {
        lines.failOnValue(record, "expected curve number " + std::to_string(expectedNumber) + ", found " +
                                      std::to_string(curve.number));
    }
    if (expectedNumber == 0 && curve.number <= previousNumber) {
        lines.failOnValue(record, "curve numbers must increase: found " + std::to_string(curve.number) + " after " +
                                      std::to_string(previousNumber));
    }
    if (points < 1) {
        lines.failOnValue(record, "expected a point count of at least 1, found " + std::to_string(points));
    }
    for (int i = 1; i <= points; ++i) {
        const std::vector<double> v =
            lines.numbers(2, record + ", point " + std::to_string(i),
                          "a point of two numbers: load transfer and movement");
        curve.points.push_back(rowOf<CurvePoint>(kTzCurveFields, kCurvePointRecord, v));
    }
    return curve;
}

void checkReportAgainstHeader(const PlotData& d, const ReportInfo& report, const std::string& fileName) {
    const int tables = static_cast<int>(report.tables.size());
    bool generalPrinted = false;
    for (const ReportTable& t : report.tables) generalPrinted = generalPrinted || t.selection == static_cast<int>(Method::General);
    const bool countsAgree = d.methodCount == tables || (d.methodCount == tables + 1 && !generalPrinted);
    if (!countsAgree) {
        throw InputError(fileName + ", line 1 (header record): the header counts " + std::to_string(d.methodCount) +
                         " methods but the report " + report.fileName + " prints " + std::to_string(tables) +
                         " capacity tables; the report is not of this run");
    }
    const ChartUnits units = chartUnitsFor(d.unitSystem);
    const std::string expectedLength = d.unitSystem == 1 ? "FT." : d.unitSystem == 2 ? "M." : "";
    for (const ReportTable& t : report.tables) {
        if (t.lengthLabel != expectedLength) {
            throw InputError(report.fileName + ", line " + std::to_string(t.bannerLine) + " (" + t.title +
                             " table): the unit line gives lengths in \"" + t.lengthLabel + "\" but the plot-data file " +
                             fileName + " is in " + (units.length.empty() ? "no unit system" : units.length) +
                             "; the report is not of this run");
        }
    }
}

}  // namespace

std::string_view methodTitle(int selection) {
    const MethodInfo* method = methodBySelection(selection);
    return method != nullptr ? method->title : std::string_view();
}

ChartUnits chartUnitsFor(int unitSystem) {
    const auto text = [unitSystem](ResultUnit unit) { return std::string(resultUnitText(unit, unitSystem)); };
    return ChartUnits{text(ResultUnit::Length), text(ResultUnit::Force), text(ResultUnit::UnitTransfer),
                      text(ResultUnit::Movement), text(ResultUnit::UnitFriction)};
}

ReportInfo readReportInfo(std::istream& in, const std::string& fileName) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        stripCarriageReturn(line);
        lines.push_back(std::move(line));
    }
    ReportInfo info;
    info.fileName = fileName;
    const auto lineIs = [&](std::size_t i, std::string_view text) { return i < lines.size() && trimmed(lines[i]) == text; };
    const auto startsWith = [&](std::size_t i, std::string_view prefix) {
        return i < lines.size() && std::string_view(lines[i]).substr(0, prefix.size()) == prefix;
    };

    std::size_t echo = 0;
    while (echo < lines.size() && !lineIs(echo, "* INPUT INFORMATION *")) ++echo;
    if (echo == lines.size()) {
        throw InputError(fileName + ": no \"* INPUT INFORMATION *\" heading; expected the report of a run that read its input");
    }
    // Titles: the title line, an empty line, the designer line, an empty line, the job number line.
    const std::string_view designerPrefix = "          DESIGNER   : ";
    const std::string_view jobPrefix = "          JOB NUMBER : ";
    std::size_t designer = echo + 1;
    while (designer < lines.size() && !startsWith(designer, designerPrefix)) ++designer;
    if (designer == lines.size() || designer < echo + 3) {
        throw InputError(fileName + ", line " + std::to_string(echo + 2) +
                         " (input echo): expected the title lines and the \"DESIGNER   : \" line after the heading");
    }
    info.title = std::string(trimmed(lines[designer - 2]));
    info.designer = std::string(trimmed(std::string_view(lines[designer]).substr(designerPrefix.size())));
    if (startsWith(designer + 2, jobPrefix)) {
        info.jobNumber = std::string(trimmed(std::string_view(lines[designer + 2]).substr(jobPrefix.size())));
    }

    std::size_t results = designer;
    while (results < lines.size() && !lineIs(results, "* COMPUTATION RESULT *")) ++results;

    // A table: its banner (a row of stars, "*", the title, "*", a row of stars), one empty line,
    // two header lines, the unit line and the printed rows up to the next empty line.
    for (std::size_t i = results + 1; i + 1 < lines.size(); ++i) {
        const std::string_view text = trimmed(lines[i]);
        if (text.size() < 3 || text.front() != '*' || text.back() != '*') continue;
        const std::string_view inner = trimmed(text.substr(1, text.size() - 2));
        int selection = 0;
        for (const MethodInfo& m : kMethodTable) {
            if (inner == m.title) selection = m.selection();
        }
        const std::string stars(text.size(), '*');
        if (selection == 0 || !lineIs(i - 1, stars) || !lineIs(i + 1, stars)) continue;

        ReportTable table;
        table.selection = selection;
        table.title = std::string(inner);
        table.bannerLine = static_cast<int>(i + 1);
        const std::size_t header = i + 3;
        if (header + 2 >= lines.size()) {
            throw InputError(fileName + ", line " + std::to_string(i + 2) + " (" + table.title +
                             " table): the file ends where the table header and unit line were expected");
        }
        const std::string& first = lines[header];
        table.tension = first.find("SELF") != std::string::npos;
        table.battered = first.find("DEPTH") != std::string::npos;
        table.plugColumn = first.find("PLUG") != std::string::npos;
        const std::vector<std::string_view> units = tokensOf(lines[header + 2]);
        const std::size_t forceAt = table.battered ? 2 : 1;
        if (first.find("SKIN") == std::string::npos || (!units.empty() && units.size() <= forceAt)) {
            throw InputError(fileName + ", line " + std::to_string(header + 1) + " (" + table.title +
                             " table): expected the two header lines and the unit line of a capacity table");
        }
        if (!units.empty()) {
            table.lengthLabel = std::string(units[0]);
            table.forceLabel = std::string(units[forceAt]);
        }
        std::size_t row = header + 3;
        for (; row < lines.size() && !trimmed(lines[row]).empty(); ++row) {
            const std::vector<std::string_view> t = tokensOf(lines[row]);
            double length = 0.0;
            if (t.size() < 4 || !parseReal(t[0], length) || !std::isfinite(length)) {
                throw InputError(fileName + ", line " + std::to_string(row + 1) + " (" + table.title +
                                 " table): expected a table row starting with the pile length, found \"" +
                                 std::string(trimmed(lines[row])) + "\"");
            }
            table.pileLengths.push_back(length);
        }
        info.tables.push_back(std::move(table));
        i = row;
    }
    return info;
}

ReportInfo readReportInfo(const std::filesystem::path& file) {
    std::ifstream in(file);
    if (!in) throw InputError(file.string() + ": the report cannot be opened");
    return readReportInfo(in, file.string());
}

PlotData readPlotData(std::istream& in, const std::string& fileName, const ReportInfo* report) {
    PlotLines lines(in, fileName);
    PlotData d;
    d.tablesNamed = report != nullptr;

    if (lines.peek() == nullptr) {
        throw InputError(fileName + ": the plot-data file is empty; expected the header record (a run that "
                                    "stopped on its input writes no plot data: see its report)");
    }
    {
        const std::string record = "header record";
        const std::vector<int> h = lines.counts(
            4, record, "four integers: method count, printed row count, unit system and load-transfer method");
        d.methodCount = h[0];
        d.printedRowCount = h[1];
        d.unitSystem = h[2];
        d.loadTransferMethod = h[3];
        if (d.methodCount < 0 || d.methodCount > 9) {
            lines.failOnValue(record, "expected a method count of 0 to 9, found " + std::to_string(d.methodCount));
        }
        // Every run prints at least the row at the ground surface; a count of zero would also let a
        // load-step count stand for any number of empty steps.
        if (d.printedRowCount < 1) {
            lines.failOnValue(record, "expected a printed row count of at least 1, found " +
                                          std::to_string(d.printedRowCount));
        }
        d.result.unitSystem = d.unitSystem;
        d.result.loadTransferMethod = d.loadTransferMethod;
    }
    if (report != nullptr) {
        checkReportAgainstHeader(d, *report, fileName);
        d.result.title = report->title;
        d.result.designer = report->designer;
        d.result.jobNumber = report->jobNumber;
    }
    const int rows = d.printedRowCount;

    // Capacity blocks, one per printed table. The header may count one block more than the file
    // holds: the general method counted by its flag without any user values, which prints nothing.
    const int blocks = report != nullptr ? static_cast<int>(report->tables.size()) : d.methodCount;
    d.generalBlockAbsent = report != nullptr && blocks < d.methodCount;
    const std::string rowExpected =
        "a capacity row of five numbers: pile length, skin friction, end bearing or self weight, ultimate "
        "capacity and unit skin friction";
    for (int b = 0; b < blocks; ++b) {
        if (report == nullptr && b == d.methodCount - 1) {
            const std::string* next = lines.peek();
            if (next != nullptr && tokensOf(*next).size() == 1 && isInteger(tokensOf(*next)[0])) {
                d.generalBlockAbsent = true;
                break;
            }
        }
        MethodTable& table = d.result.tables.emplace_back();
        const ReportTable* printed = report != nullptr ? &report->tables[static_cast<std::size_t>(b)] : nullptr;
        if (printed != nullptr) {
            table.selection = printed->selection;
            table.title = printed->title;
            table.tension = printed->tension;
            table.battered = printed->battered;
            table.plugColumn = printed->plugColumn;
            if (static_cast<int>(printed->pileLengths.size()) != rows) {
                throw InputError(report->fileName + ", line " + std::to_string(printed->bannerLine) + " (" +
                                 printed->title + " table): the table prints " +
                                 std::to_string(printed->pileLengths.size()) + " rows but the plot-data file " +
                                 fileName + " counts " + std::to_string(rows) + "; the report is not of this run");
            }
        }
        const std::string name = tableName(d, static_cast<std::size_t>(b));
        for (int k = 1; k <= rows; ++k) {
            const std::string record = "row " + std::to_string(k) + " of " + name;
            const std::vector<double> v = lines.numbers(5, record, rowExpected);
            const double length = v[0];
            // Every table prints the same rows: from the ground surface down, the same lengths.
            if (k == 1 && std::fabs(length) > kPrintedLengthTolerance) {
                lines.failOnValue(record, "expected the first row at pile length 0.00, found " + std::to_string(length) +
                                              " (the printed row count of the header does not match the blocks)");
            }
            if (k > 1 && length < table.rows.back().pileLength) {
                lines.failOnValue(record, "pile lengths must not decrease within a table (the printed row count of "
                                          "the header does not match the blocks)");
            }
            if (b > 0 && std::fabs(length - d.result.tables.front().rows[static_cast<std::size_t>(k - 1)].pileLength) >
                             kPrintedLengthTolerance) {
                lines.failOnValue(record, "expected the pile lengths of the first table");
            }
            if (printed != nullptr &&
                std::fabs(length - printed->pileLengths[static_cast<std::size_t>(k - 1)]) > kPrintedLengthTolerance) {
                lines.failOnValue(record, "the pile length differs from row " + std::to_string(k) + " of the report's " +
                                              printed->title + " table; the report is not of this run");
            }
            CapacityRow& row = table.rows.emplace_back(rowOf<CapacityRow>(kCapacityFields, kCapacityRecord, v));
            row.depth = row.pileLength;  // the file has no depth column
            row.printed = true;          // the file holds the printed rows
        }
    }

    // Layer t-z curves.
    const int layerCurves = lines.count("count record of the layer t-z curves", "one integer: the number of layer t-z curves");
    for (int c = 1; c <= layerCurves; ++c) {
        d.result.layerCurves.push_back(readTransferCurve(lines, "layer t-z curve " + std::to_string(c), c, 0));
    }

    // Tip q-w curve: ten points, no count record ahead.
    for (int i = 1; i <= kTipCurvePoints; ++i) {
        const std::vector<double> v = lines.numbers(2, "tip curve point " + std::to_string(i),
                                                    "a tip curve point of two numbers: tip load and tip movement");
        d.result.tipCurve.push_back(rowOf<CurvePoint>(kTipCurveFields, kCurvePointRecord, v));
    }

    // Load steps: the load distribution of every step, one record per pile segment from the tip up.
    const int steps = lines.count("count record of the load steps", "one integer: the number of load steps");
    for (int j = 1; j <= steps; ++j) {
        LoadStep& step = d.result.loadSteps.emplace_back();
        for (int m = 1; m <= rows; ++m) {
            const std::vector<double> v = lines.numbers(
                3, "load step " + std::to_string(j) + ", segment " + std::to_string(m) + " from the tip",
                "a segment record of three numbers: distance from the pile head, axial load and movement");
            step.distribution.push_back(rowOf<SegmentLoad>(kDistributionFields, kSegmentRecord, v));
        }
    }
    // The load versus settlement curve.
    for (int j = 1; j <= steps; ++j) {
        const std::vector<double> v =
            lines.numbers(4, "load-settlement record " + std::to_string(j),
                          "a load-settlement record of four numbers: top load, top movement, tip load and tip movement");
        setColumns<LoadStep>(d.result.loadSteps[static_cast<std::size_t>(j - 1)], kLoadStepFields, kLoadStepRecord, v);
    }

    // Verification t-z curves, when the run listed depths.
    if (!lines.onlyBlankLinesLeft()) {
        const int curves = lines.count("count record of the verification t-z curves",
                                       "one integer: the number of verification t-z curves");
        int previous = 0;
        for (int c = 1; c <= curves; ++c) {
            d.result.verificationCurves.push_back(
                readTransferCurve(lines, "verification t-z curve " + std::to_string(c), 0, previous));
            previous = d.result.verificationCurves.back().number;
        }
        if (!lines.onlyBlankLinesLeft()) {
            const std::string extra = lines.take("after the last block", "the end of the file");
            lines.fail("after the last block", "the end of the file", extra);
        }
    }
    return d;
}

PlotData readPlotData(const std::filesystem::path& file, const std::optional<std::filesystem::path>& report) {
    std::ifstream in(file);
    if (!in) throw InputError(file.string() + ": the plot-data file cannot be opened");
    // An empty file first: the report of a run that stopped is no use, and says why it stopped.
    if (in.peek() == std::ifstream::traits_type::eof()) return readPlotData(in, file.string(), nullptr);
    std::optional<ReportInfo> info;
    if (report) info = readReportInfo(*report);
    return readPlotData(in, file.string(), info ? &*info : nullptr);
}

}  // namespace vorta::cli
