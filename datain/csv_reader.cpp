// CSV and text files with a header row: values separated by commas, semicolons or tabs (the
// separator that the header row holds most of), the columns found by their names in the header
// row and their units read from it ("depth (m)", "qc [MPa]", "qc_kPa", "fs kPa"). With semicolons
// or tabs a comma may stand for the decimal point. The header row is the first line that names a
// depth column and a cone resistance column; the lines before it are skipped with a note.
#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

#include "readers.h"
#include "sounding_rules.h"
#include "vorta/units.h"

namespace vorta::datain {
namespace {

// The names a header gives each column, letter case, blanks and punctuation left out.
constexpr std::array kDepthNames{"correcteddepth", "depth", "penetrationdepth", "penetrationlength", "penetration", "z"};
constexpr std::array kConeResistanceNames{"qc", "coneresistance", "conetipresistance", "tipresistance", "coneresistanceqc"};
constexpr std::array kSleeveFrictionNames{"fs", "sleevefriction", "localfriction", "sleeveresistance", "frictionsleeve"};
constexpr std::array kPorePressureNames{"u2", "porepressure", "porepressureu2", "porewaterpressure", "pwp2"};

std::string normalName(std::string_view text) {
    std::string n;
    for (char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return n;
}

struct HeaderCell {
    std::string text;  // as the file writes it
    std::string name;  // without its unit, normalised
    std::string unit;  // empty: none stated
};

// A header cell split into its name and its unit: "depth (m)", "qc [MPa]", "qc_kPa", "fs kPa".
HeaderCell headerCell(std::string_view cell) {
    const std::string_view t = trimmed(cell);
    HeaderCell h{std::string(t), normalName(t), ""};
    if (!t.empty() && (t.back() == ')' || t.back() == ']')) {
        const char open = t.back() == ')' ? '(' : '[';
        const std::size_t at = t.rfind(open);
        if (at != std::string_view::npos) {
            h.unit = std::string(trimmed(t.substr(at + 1, t.size() - at - 2)));
            h.name = normalName(t.substr(0, at));
            return h;
        }
    }
    // A unit after the name: a unit this program knows, or any word after a column's name.
    const std::size_t split = t.find_last_of("_ ");
    const auto columnName = [](const std::string& n) {
        const auto in = [&](const auto& names) { return std::find(names.begin(), names.end(), n) != names.end(); };
        return in(kDepthNames) || in(kConeResistanceNames) || in(kSleeveFrictionNames) || in(kPorePressureNames);
    };
    if (split != std::string_view::npos &&
        (findUnit(t.substr(split + 1)) || (!columnName(h.name) && columnName(normalName(t.substr(0, split)))))) {
        h.unit = std::string(t.substr(split + 1));
        h.name = normalName(t.substr(0, split));
    }
    return h;
}

template <std::size_t N>
std::optional<std::size_t> findColumn(const std::vector<HeaderCell>& cells, const std::array<const char*, N>& names,
                                      const std::string& given) {
    if (!given.empty()) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (lowerCase(cells[i].text) == lowerCase(trimmed(given)) || cells[i].name == normalName(given)) return i;
        }
        return std::nullopt;
    }
    for (const char* name : names) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (cells[i].name == name) return i;
        }
    }
    return std::nullopt;
}

// The separator a line holds most of outside quotes (semicolon before tab before comma on a tie);
// nothing when it holds none.
std::optional<char> separatorOf(std::string_view line) {
    int semicolons = 0, tabs = 0, commas = 0;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        semicolons += c == ';';
        tabs += c == '\t';
        commas += c == ',';
    }
    if (semicolons == 0 && tabs == 0 && commas == 0) return std::nullopt;
    if (semicolons >= tabs && semicolons >= commas) return ';';
    if (tabs >= commas) return '\t';
    return ',';
}

struct Columns {
    std::size_t depth = 0;
    std::size_t coneResistance = 0;
    std::optional<std::size_t> sleeveFriction;
    std::optional<std::size_t> porePressure;
};

class CsvReader {
public:
    CsvReader(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options)
        : lines_(lines), file_(fileName), options_(options) {}

    CptReading read() {
        const std::size_t header = findHeader();
        const int headerLine = lines_[header].number;
        ColumnFactors f;
        f.depth = factor(columns_.depth, "depth", true, headerLine);
        f.coneResistance = factor(columns_.coneResistance, "cone resistance", false, headerLine);
        if (columns_.sleeveFriction) f.sleeveFriction = factor(*columns_.sleeveFriction, "sleeve friction", false, headerLine);
        if (columns_.porePressure) f.porePressure = factor(*columns_.porePressure, "pore pressure", false, headerLine);
        SoundingRules rules(file_, f);
        std::vector<int> before;
        for (std::size_t i = 0; i < header; ++i) {
            if (!trimmed(lines_[i].text).empty()) before.push_back(lines_[i].number);
        }
        std::vector<int> comments;
        std::size_t needed = std::max(columns_.depth, columns_.coneResistance);
        if (columns_.sleeveFriction) needed = std::max(needed, *columns_.sleeveFriction);
        if (columns_.porePressure) needed = std::max(needed, *columns_.porePressure);
        for (std::size_t i = header + 1; i < lines_.size(); ++i) {
            const TextLine& l = lines_[i];
            const std::string_view text = trimmed(l.text);
            if (text.empty()) continue;
            if (text.front() == '#') {
                comments.push_back(l.number);
                continue;
            }
            std::string problem;
            const std::optional<std::vector<std::string>> fields = splitFields(l.text, separator_, problem);
            if (!fields) fail(l.number, problem);
            if (fields->size() <= needed) {
                fail(l.number, "expected at least " + std::to_string(needed + 1) + " values as the header row (line " +
                                   std::to_string(headerLine) + ") names them, found " + std::to_string(fields->size()));
            }
            CptRow row;
            row.line = l.number;
            row.depth = value(*fields, columns_.depth, l.number);
            row.coneResistance = value(*fields, columns_.coneResistance, l.number);
            if (columns_.sleeveFriction) row.sleeveFriction = value(*fields, *columns_.sleeveFriction, l.number);
            if (columns_.porePressure) row.porePressure = value(*fields, *columns_.porePressure, l.number);
            rules.add(row);
        }
        CptReading reading;
        reading.format = CptFormat::Csv;
        rules.finish(reading, options_.every, headerLine + 1);
        if (!comments.empty()) reading.notes.insert(reading.notes.begin(), {"comment line: skipped", comments});
        if (!before.empty()) reading.notes.insert(reading.notes.begin(), {"line before the header row: skipped", before});
        return reading;
    }

private:
    [[noreturn]] void fail(int line, const std::string& what) const { throw InputError(at(file_, line) + what); }

    std::size_t findHeader() {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::optional<char> sep = separatorOf(lines_[i].text);
            if (!sep) continue;
            std::string problem;
            const std::optional<std::vector<std::string>> fields = splitFields(lines_[i].text, *sep, problem);
            if (!fields) continue;
            std::vector<HeaderCell> cells;
            for (const std::string& f : *fields) cells.push_back(headerCell(f));
            const auto depth = findColumn(cells, kDepthNames, options_.depthColumn);
            const auto qc = findColumn(cells, kConeResistanceNames, options_.qcColumn);
            if (!depth || !qc || *depth == *qc) continue;
            separator_ = *sep;
            cells_ = std::move(cells);
            columns_.depth = *depth;
            columns_.coneResistance = *qc;
            columns_.sleeveFriction = findColumn(cells_, kSleeveFrictionNames, "");
            columns_.porePressure = findColumn(cells_, kPorePressureNames, "");
            return i;
        }
        int first = 1;
        std::string found;
        for (const TextLine& l : lines_) {
            if (trimmed(l.text).empty()) continue;
            first = l.number;
            found = ", found " + quotedText(trimmed(l.text));
            break;
        }
        std::string depth = "a depth column (depth, z, penetration length)";
        std::string qc = "a cone resistance column (qc, cone resistance)";
        if (!options_.depthColumn.empty()) depth = "the depth column " + quotedText(options_.depthColumn);
        if (!options_.qcColumn.empty()) qc = "the cone resistance column " + quotedText(options_.qcColumn);
        fail(first, "expected a header row (values separated by commas, semicolons or tabs) that names " + depth + " and " +
                        qc + found + "; columns named otherwise are given by their names as the depth and qc columns");
    }

    double factor(std::size_t column, std::string_view what, bool length, int headerLine) const {
        const HeaderCell& c = cells_[column];
        if (c.unit.empty()) {
            const std::string example = length ? "m" : "MPa";
            fail(headerLine, "the " + std::string(what) + " column " + quotedText(c.text) +
                                 " states no unit; write it in the header row, as '" + c.text + " (" + example + ")', '" +
                                 c.text + " [" + example + "]' or '" + c.text + "_" + example + "'");
        }
        return columnFactor(at(file_, headerLine), std::string(what) + " column " + quotedText(c.text), c.unit, length,
                            options_.units);
    }

    RowValue value(const std::vector<std::string>& fields, std::size_t column, int line) const {
        RowValue v;
        v.present = true;
        const std::string& text = fields[column];
        if (trimmed(text).empty()) {
            v.isVoid = true;
            return v;
        }
        const std::optional<double> number = parseNumber(text, separator_ != ',');
        if (!number) fail(line, "expected a number in column " + quotedText(cells_[column].text) + ", found " + quotedText(text));
        v.value = *number;
        return v;
    }

    const std::vector<TextLine>& lines_;
    const std::string& file_;
    const CptReadOptions& options_;
    char separator_ = ',';
    std::vector<HeaderCell> cells_;
    Columns columns_;
};

}  // namespace

CptReading readCsv(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options) {
    return CsvReader(lines, fileName, options).read();
}

}  // namespace vorta::datain
