// AGS4 files: rows of fields in double quotes separated by commas, each row beginning with GROUP,
// HEADING, UNIT, TYPE or DATA; a group is a GROUP row, its HEADING, UNIT and TYPE rows and its DATA
// rows. The cone penetration data are the SCPT group: LOCA_ID (the location), SCPT_DPTH (the
// depth), SCPT_RES (the cone resistance), and SCPT_FRES (sleeve friction) and SCPT_PWP2 (pore
// pressure u2) when present, in the units of the UNIT row. SCPG_TESN tells tests at one location
// apart. A file of several soundings gives the one that `location` names.
#include <algorithm>
#include <map>
#include <optional>

#include "readers.h"
#include "sounding_rules.h"

namespace vorta::datain {
namespace {

struct ScptRow {
    int line = 0;
    std::vector<std::string> fields;
};

struct Sounding4 {
    std::string locationId;
    std::string test;  // SCPG_TESN; empty when the group has no such heading
    std::vector<ScptRow> rows;
};

class Ags4Reader {
public:
    Ags4Reader(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options)
        : lines_(lines), file_(fileName), options_(options) {}

    CptReading read() {
        scan();
        const Sounding4& s = chosen();
        CptReading reading;
        reading.format = CptFormat::Ags4;
        reading.location = nameOf(s);
        ColumnFactors f;
        f.depth = factor(depth_, "depth", true);
        f.coneResistance = factor(resistance_, "cone resistance", false);
        if (friction_) f.sleeveFriction = factor(*friction_, "sleeve friction", false);
        if (porePressure_) f.porePressure = factor(*porePressure_, "pore pressure u2", false);
        SoundingRules rules(file_, f);
        for (const ScptRow& r : s.rows) {
            CptRow row;
            row.line = r.line;
            row.depth = value(r, depth_);
            row.coneResistance = value(r, resistance_);
            if (friction_) row.sleeveFriction = value(r, *friction_);
            if (porePressure_) row.porePressure = value(r, *porePressure_);
            rules.add(row);
        }
        rules.finish(reading, options_.every, s.rows.front().line);
        return reading;
    }

private:
    [[noreturn]] void fail(int line, std::string_view part, const std::string& what) const {
        throw InputError(at(file_, line, part) + what);
    }

    void scan() {
        std::string group;
        int groupLine = 0;
        std::vector<std::string> groupsSeen;
        for (const TextLine& l : lines_) {
            if (trimmed(l.text).empty()) continue;
            if (trimmed(l.text).starts_with("\"**")) {
                fail(l.number, "", "this is an AGS3 file (groups begin with \"**\"); only AGS4 files are read");
            }
            std::string problem;
            const std::optional<std::vector<std::string>> fields = splitFields(l.text, ',', problem);
            if (!fields) fail(l.number, "", problem);
            const std::string kind = (*fields)[0];
            if (kind == "GROUP") {
                if (fields->size() < 2 || (*fields)[1].empty()) fail(l.number, "GROUP", "expected the group's name after GROUP");
                group = (*fields)[1];
                if (group == "SCPT" && scptLine_ != 0) {
                    fail(l.number, "GROUP", "the group SCPT is given twice (also on line " + std::to_string(scptLine_) + ")");
                }
                if (group == "SCPT") scptLine_ = l.number;
                groupLine = l.number;
                groupsSeen.push_back(group);
                continue;
            }
            if (kind != "HEADING" && kind != "UNIT" && kind != "TYPE" && kind != "DATA") {
                fail(l.number, "", "expected a row beginning with \"GROUP\", \"HEADING\", \"UNIT\", \"TYPE\" or \"DATA\", found " +
                                       quotedText(kind));
            }
            if (group.empty()) fail(l.number, kind, "expected a GROUP row before the first " + kind + " row");
            if (group != "SCPT") continue;
            if (kind == "HEADING") {
                heading(*fields, l.number);
                continue;
            }
            if (headings_.empty()) fail(l.number, kind, "expected the HEADING row of the group SCPT (line " + std::to_string(groupLine) + ") before this row");
            if (fields->size() != headings_.size()) {
                fail(l.number, kind, "expected " + std::to_string(headings_.size()) + " fields as the HEADING row (line " +
                                         std::to_string(headingLine_) + "), found " + std::to_string(fields->size()));
            }
            if (kind == "UNIT") {
                units_ = *fields;
                unitLine_ = l.number;
            } else if (kind == "DATA") {
                if (units_.empty()) fail(l.number, kind, "expected the UNIT row of the group SCPT before its DATA rows");
                data(*fields, l.number);
            }
        }
        if (scptLine_ == 0) {
            std::string seen;
            for (const std::string& g : groupsSeen) seen += (seen.empty() ? "" : ", ") + g;
            fail(lines_.empty() ? 1 : lines_.back().number, "",
                 "expected the group SCPT (the cone penetration data); the file holds " +
                     (seen.empty() ? std::string("no group") : "the groups " + seen));
        }
        if (soundings_.empty()) fail(scptLine_, "GROUP", "expected DATA rows in the group SCPT, found none");
    }

    void heading(const std::vector<std::string>& fields, int line) {
        headings_ = fields;
        headingLine_ = line;
        units_.clear();
        const auto find = [&](std::string_view name) -> std::optional<std::size_t> {
            const auto it = std::find(fields.begin(), fields.end(), name);
            if (it == fields.end()) return std::nullopt;
            return static_cast<std::size_t>(it - fields.begin());
        };
        const auto required = [&](std::string_view name, std::string_view what) {
            const std::optional<std::size_t> i = find(name);
            if (!i) fail(line, "HEADING", "expected the heading " + std::string(name) + " (" + std::string(what) + ") in the group SCPT");
            return *i;
        };
        location_ = required("LOCA_ID", "the location");
        depth_ = required("SCPT_DPTH", "the depth");
        resistance_ = required("SCPT_RES", "the cone resistance");
        friction_ = find("SCPT_FRES");
        porePressure_ = find("SCPT_PWP2");
        test_ = find("SCPG_TESN");
    }

    void data(const std::vector<std::string>& fields, int line) {
        const std::string& id = fields[location_];
        if (id.empty()) fail(line, "DATA", "expected the location (LOCA_ID) of the row");
        const std::string test = test_ ? fields[*test_] : std::string();
        auto it = std::find_if(soundings_.begin(), soundings_.end(),
                               [&](const Sounding4& s) { return s.locationId == id && s.test == test; });
        if (it == soundings_.end()) {
            soundings_.push_back({id, test, {}});
            it = soundings_.end() - 1;
        }
        it->rows.push_back({line, fields});
    }

    // A sounding's name: its LOCA_ID, and "/" and its test when the location has several.
    std::string nameOf(const Sounding4& s) const {
        const auto tests = std::count_if(soundings_.begin(), soundings_.end(),
                                         [&](const Sounding4& o) { return o.locationId == s.locationId; });
        return tests > 1 ? s.locationId + "/" + s.test : s.locationId;
    }

    const Sounding4& chosen() const {
        std::string names;
        for (const Sounding4& s : soundings_) names += (names.empty() ? "" : ", ") + nameOf(s);
        if (options_.location.empty()) {
            if (soundings_.size() == 1) return soundings_.front();
            fail(scptLine_, "GROUP SCPT", "the file holds " + std::to_string(soundings_.size()) +
                                              " soundings (" + names + "); name the one to read as its location");
        }
        for (const Sounding4& s : soundings_) {
            if (nameOf(s) == options_.location) return s;
        }
        fail(scptLine_, "GROUP SCPT", "expected the location " + quotedText(options_.location) + "; the file holds " + names);
    }

    double factor(std::size_t column, std::string_view what, bool length) const {
        return columnFactor(at(file_, unitLine_, "UNIT"), std::string(what) + " " + headings_[column], units_[column], length,
                            options_.units);
    }

    RowValue value(const ScptRow& r, std::size_t column) const {
        RowValue v;
        v.present = true;
        const std::string& text = r.fields[column];
        if (trimmed(text).empty()) {
            v.isVoid = true;
            return v;
        }
        const std::optional<double> number = parseNumber(text);
        if (!number) fail(r.line, "DATA", "expected a number for " + headings_[column] + ", found " + quotedText(text));
        v.value = *number;
        return v;
    }

    const std::vector<TextLine>& lines_;
    const std::string& file_;
    const CptReadOptions& options_;
    std::vector<std::string> headings_;
    std::vector<std::string> units_;
    int headingLine_ = 0;
    int unitLine_ = 0;
    int scptLine_ = 0;
    std::size_t location_ = 0;
    std::size_t depth_ = 0;
    std::size_t resistance_ = 0;
    std::optional<std::size_t> friction_;
    std::optional<std::size_t> porePressure_;
    std::optional<std::size_t> test_;
    std::vector<Sounding4> soundings_;
};

}  // namespace

CptReading readAgs4(const std::vector<TextLine>& lines, const std::string& fileName, const CptReadOptions& options) {
    return Ags4Reader(lines, fileName, options).read();
}

}  // namespace vorta::datain
