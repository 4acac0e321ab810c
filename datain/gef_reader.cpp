// GEF files of cone penetration tests: a header of "#KEYWORD= values" lines up to "#EOH=", then
// the data, one record per line or records separated by the #RECORDSEPARATOR character.
//
// From the header: #COLUMN (the number of columns), #COLUMNINFO= n, unit, name, quantity (quantity
// 1 penetration length, 2 cone resistance, 3 sleeve friction, 6 pore pressure u2, 11 corrected
// depth, which is used for the depth when the file has it), #COLUMNVOID= n, value (a column's void
// value), #COLUMNSEPARATOR and #RECORDSEPARATOR (by default blanks and the line end), #ZID= code,
// height (the ground surface level, reported; the depths are below it), #TESTID (the sounding's
// name) and #MEASUREMENTVAR= 13, depth, unit (the pre-excavated depth: rows above it are skipped).
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "readers.h"
#include "sounding_rules.h"
#include "vorta/units.h"

namespace vorta::datain {
namespace {

enum Quantity : int {
    kPenetrationLength = 1,
    kConeResistance = 2,
    kSleeveFriction = 3,
    kPorePressureU2 = 6,
    kCorrectedDepth = 11,
};
constexpr int kPreExcavatedDepthVariable = 13;

struct GefColumn {
    int line = 0;      // of its #COLUMNINFO
    std::string unit;
    std::string name;
};

struct GefHeader {
    int columnCount = 0;
    int columnLine = 0;
    std::map<int, GefColumn> columns;         // by column number
    std::map<int, int> columnOfQuantity;      // quantity -> column number
    std::map<int, double> voids;              // column number -> void value
    std::optional<char> columnSeparator;      // empty: blanks and tabs
    std::optional<char> recordSeparator;      // empty: the line end
    std::optional<double> surfaceLevel;
    std::string testId;
    std::optional<double> preExcavatedDepth;  // in its own unit
    std::string preExcavatedUnit;
    int preExcavatedLine = 0;
    int endLine = 0;                          // of #EOH
};

// The values of a header line, split at commas and trimmed.
std::vector<std::string> headerValues(std::string_view text) {
    std::vector<std::string> values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        values.emplace_back(trimmed(text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return values;
}

// The separator character a header line gives: its first character that is not a blank, or a tab
// or a blank when that is all it holds.
std::optional<char> separatorOf(std::string_view value) {
    const std::string_view t = trimmed(value);
    if (!t.empty()) return t.front();
    if (value.find('\t') != std::string_view::npos) return '\t';
    return std::nullopt;
}

class GefReader {
public:
    GefReader(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options)
        : lines_(lines), file_(fileName), options_(options) {}

    CptReading read() {
        const std::size_t dataStart = readHeader();
        CptReading reading;
        reading.format = CptFormat::Gef;
        reading.location = h_.testId;
        reading.surfaceLevel = h_.surfaceLevel;
        SoundingRules rules(file_, factors(), preExcavatedDepth());
        readData(dataStart, rules);
        const int firstDataLine = dataStart < lines_.size() ? lines_[dataStart].number : h_.endLine + 1;
        rules.finish(reading, options_.every, firstDataLine);
        return reading;
    }

private:
    [[noreturn]] void fail(int line, std::string_view part, const std::string& what) const {
        throw InputError(at(file_, line, part) + what);
    }

    int wholeNumber(const std::string& text, int line, std::string_view keyword, std::string_view what) const {
        const std::optional<double> v = parseNumber(text);
        if (!v || std::fabs(*v) > 1.0e9 || *v != std::trunc(*v)) {
            fail(line, keyword, "expected a whole number for " + std::string(what) + ", found " + quotedText(text));
        }
        return static_cast<int>(*v);
    }

    // The header; returns the index of the first data line.
    std::size_t readHeader() {
        std::size_t i = 0;
        for (; i < lines_.size(); ++i) {
            const TextLine& l = lines_[i];
            const std::string_view text = trimmed(l.text);
            if (text.empty()) continue;
            if (text.front() != '#') {
                fail(l.number, "header", "expected a header line \"#KEYWORD= values\" before #EOH=, found " + quotedText(text));
            }
            const std::size_t equals = text.find('=');
            if (equals == std::string_view::npos) {
                fail(l.number, "header", "expected '=' after the keyword of " + quotedText(text));
            }
            const std::string keyword = upperCase(trimmed(text.substr(1, equals - 1)));
            const std::string_view rawValue = l.text.substr(l.text.find('=') + 1);
            if (keyword == "EOH") {
                h_.endLine = l.number;
                break;
            }
            headerLine(keyword, rawValue, l.number);
        }
        if (h_.endLine == 0) {
            const int last = lines_.empty() ? 1 : lines_.back().number;
            fail(last, "header", "expected the end of the header, #EOH=, before the end of the file");
        }
        checkColumns();
        return i + 1;
    }

    void headerLine(const std::string& keyword, std::string_view rawValue, int line) {
        const std::string part = "#" + keyword;
        const std::vector<std::string> v = headerValues(rawValue);
        if (keyword == "COLUMN") {
            h_.columnCount = wholeNumber(v[0], line, part, "the number of columns");
            h_.columnLine = line;
            if (h_.columnCount < 1) fail(line, part, "expected at least one column, found " + quotedText(v[0]));
        } else if (keyword == "COLUMNINFO") {
            if (v.size() < 4) fail(line, part, "expected a column number, unit, name and quantity number, found " + quotedText(trimmed(rawValue)));
            const int column = wholeNumber(v[0], line, part, "the column number");
            const int quantity = wholeNumber(v.back(), line, part, "the quantity number");
            std::string name = v[2];
            for (std::size_t k = 3; k + 1 < v.size(); ++k) name += "," + v[k];
            if (h_.columns.count(column) != 0) {
                fail(line, part, "column " + std::to_string(column) + " is described twice (also on line " +
                                     std::to_string(h_.columns[column].line) + ")");
            }
            h_.columns[column] = {line, v[1], name};
            const auto [it, added] = h_.columnOfQuantity.emplace(quantity, column);
            if (!added && (quantity == kPenetrationLength || quantity == kConeResistance || quantity == kSleeveFriction ||
                           quantity == kPorePressureU2 || quantity == kCorrectedDepth)) {
                fail(line, part, "quantity " + std::to_string(quantity) + " is given to columns " +
                                     std::to_string(it->second) + " and " + std::to_string(column));
            }
        } else if (keyword == "COLUMNVOID") {
            if (v.size() < 2) fail(line, part, "expected a column number and its void value, found " + quotedText(trimmed(rawValue)));
            const int column = wholeNumber(v[0], line, part, "the column number");
            const std::optional<double> value = parseNumber(v[1]);
            if (!value) fail(line, part, "expected a number for the void value, found " + quotedText(v[1]));
            h_.voids[column] = *value;
        } else if (keyword == "COLUMNSEPARATOR") {
            h_.columnSeparator = separatorOf(rawValue);
        } else if (keyword == "RECORDSEPARATOR") {
            h_.recordSeparator = separatorOf(rawValue);
        } else if (keyword == "ZID") {
            if (v.size() >= 2) h_.surfaceLevel = parseNumber(v[1]);
            if (!h_.surfaceLevel) fail(line, part, "expected a height code and the height of the ground surface, found " + quotedText(trimmed(rawValue)));
        } else if (keyword == "TESTID") {
            h_.testId = std::string(trimmed(rawValue));
        } else if (keyword == "MEASUREMENTVAR") {
            if (!v.empty() && parseNumber(v[0]) == kPreExcavatedDepthVariable) {
                const std::optional<double> depth = v.size() >= 2 ? parseNumber(v[1]) : std::nullopt;
                if (!depth) fail(line, part, "expected the pre-excavated depth (variable 13) as a number, found " + quotedText(trimmed(rawValue)));
                h_.preExcavatedDepth = *depth;
                h_.preExcavatedUnit = v.size() >= 3 ? v[2] : "";
                h_.preExcavatedLine = line;
            }
        }
    }

    void checkColumns() {
        if (h_.columnCount == 0) {
            // No #COLUMN: the columns that #COLUMNINFO describes.
            for (const auto& [n, c] : h_.columns) h_.columnCount = std::max(h_.columnCount, n);
        }
        for (const auto& [n, c] : h_.columns) {
            if (n < 1 || n > h_.columnCount) {
                fail(c.line, "#COLUMNINFO", "expected a column number from 1 to " + std::to_string(h_.columnCount) +
                                                 " (#COLUMN), found " + std::to_string(n));
            }
        }
        if (h_.columnOfQuantity.count(kCorrectedDepth) == 0 && h_.columnOfQuantity.count(kPenetrationLength) == 0) {
            fail(h_.endLine, "header", "expected a #COLUMNINFO of the penetration length (quantity 1) or the corrected depth (quantity 11)");
        }
        if (h_.columnOfQuantity.count(kConeResistance) == 0) {
            fail(h_.endLine, "header", "expected a #COLUMNINFO of the cone resistance (quantity 2)");
        }
        if (h_.recordSeparator && h_.columnSeparator && *h_.recordSeparator == *h_.columnSeparator) {
            fail(h_.endLine, "header", "expected a record separator other than the column separator " + quotedText(std::string(1, *h_.columnSeparator)));
        }
    }

    int depthColumn() const {
        const auto corrected = h_.columnOfQuantity.find(kCorrectedDepth);
        return corrected != h_.columnOfQuantity.end() ? corrected->second : h_.columnOfQuantity.at(kPenetrationLength);
    }
    std::optional<int> columnOf(int quantity) const {
        const auto it = h_.columnOfQuantity.find(quantity);
        if (it == h_.columnOfQuantity.end()) return std::nullopt;
        return it->second;
    }

    ColumnFactors factors() const {
        ColumnFactors f;
        auto factor = [&](int column, std::string_view what, bool length) {
            const GefColumn& c = h_.columns.at(column);
            return columnFactor(at(file_, c.line, "#COLUMNINFO"), what, c.unit, length, options_.units);
        };
        f.depth = factor(depthColumn(), "depth", true);
        f.coneResistance = factor(*columnOf(kConeResistance), "cone resistance", false);
        if (auto c = columnOf(kSleeveFriction)) f.sleeveFriction = factor(*c, "sleeve friction", false);
        if (auto c = columnOf(kPorePressureU2)) f.porePressure = factor(*c, "pore pressure u2", false);
        return f;
    }

    std::optional<double> preExcavatedDepth() const {
        if (!h_.preExcavatedDepth) return std::nullopt;
        const std::string unit = h_.preExcavatedUnit.empty() ? "m" : h_.preExcavatedUnit;
        const double f = columnFactor(at(file_, h_.preExcavatedLine, "#MEASUREMENTVAR"), "pre-excavated depth", unit, true,
                                      options_.units);
        return convertedValue(*h_.preExcavatedDepth, f);
    }

    // The data: records of one line each, or separated by the record separator (a record may then
    // run over several lines, and several records share one).
    void readData(std::size_t start, SoundingRules& rules) {
        if (!h_.recordSeparator) {
            for (std::size_t i = start; i < lines_.size(); ++i) {
                if (!trimmed(lines_[i].text).empty()) record(lines_[i].text, lines_[i].number, rules);
            }
            return;
        }
        std::string pending;
        int pendingLine = 0;
        for (std::size_t i = start; i < lines_.size(); ++i) {
            const std::string_view text = lines_[i].text;
            std::size_t from = 0;
            while (from <= text.size()) {
                const std::size_t sep = text.find(*h_.recordSeparator, from);
                const std::string_view piece = text.substr(from, sep == std::string_view::npos ? std::string_view::npos : sep - from);
                if (pendingLine == 0 && !trimmed(piece).empty()) pendingLine = lines_[i].number;
                pending += piece;
                if (sep == std::string_view::npos) break;
                if (!trimmed(pending).empty()) record(pending, pendingLine, rules);
                pending.clear();
                pendingLine = 0;
                from = sep + 1;
            }
            if (!pending.empty()) pending += ' ';
        }
        if (!trimmed(pending).empty()) record(pending, pendingLine, rules);
    }

    void record(std::string_view text, int line, SoundingRules& rules) {
        std::vector<std::string> values;
        if (h_.columnSeparator && *h_.columnSeparator != ' ' && *h_.columnSeparator != '\t') {
            std::string problem;
            std::optional<std::vector<std::string>> split = splitFields(text, *h_.columnSeparator, problem);
            if (!split) fail(line, "data", problem);
            values = std::move(*split);
            // A separator after the last value.
            if (values.size() == static_cast<std::size_t>(h_.columnCount) + 1 && values.back().empty()) values.pop_back();
        } else {
            values = splitBlanks(text);
        }
        if (values.size() != static_cast<std::size_t>(h_.columnCount)) {
            fail(line, "data", "expected " + std::to_string(h_.columnCount) + " values (#COLUMN= " + std::to_string(h_.columnCount) +
                                   "), found " + std::to_string(values.size()) + " in " + quotedText(trimmed(text)));
        }
        CptRow row;
        row.line = line;
        row.depth = value(values, depthColumn(), line);
        row.coneResistance = value(values, *columnOf(kConeResistance), line);
        if (auto c = columnOf(kSleeveFriction)) row.sleeveFriction = value(values, *c, line);
        if (auto c = columnOf(kPorePressureU2)) row.porePressure = value(values, *c, line);
        rules.add(row);
    }

    RowValue value(const std::vector<std::string>& values, int column, int line) const {
        const std::string& text = values[static_cast<std::size_t>(column - 1)];
        RowValue v;
        v.present = true;
        if (trimmed(text).empty()) {
            v.isVoid = true;
            return v;
        }
        const std::optional<double> number = parseNumber(text);
        if (!number) {
            fail(line, "data", "expected a number in column " + std::to_string(column) + " (" + h_.columns.at(column).name +
                                   "), found " + quotedText(text));
        }
        const auto voidValue = h_.voids.find(column);
        v.isVoid = voidValue != h_.voids.end() && *number == voidValue->second;
        v.value = *number;
        return v;
    }

    const std::vector<TextLine>& lines_;
    const std::string& file_;
    const CptReadOptions& options_;
    GefHeader h_;
};

}  // namespace

CptReading readGef(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options) {
    return GefReader(lines, fileName, options).read();
}

}  // namespace vorta::datain
