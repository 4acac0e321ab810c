// Input data files and CPT files written from the analysis model, record by record as their layout
// states them, each number as the shortest text that the free-format reader reads back to the same
// double.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>
#include <string>

#include "engine/analysis_state.h"
#include "input/deck_layout.h"
#include "input/input.h"

namespace vorta {
namespace {

// One free-format record: values separated by blanks, on one line.
class Record {
public:
    explicit Record(std::ostream& out) : out_(out) {}
    ~Record() { out_ << '\n'; }
    Record& operator<<(double v) { return put(shortestNumberText(v)); }
    Record& operator<<(int v) { return put(std::to_string(v)); }

private:
    Record& put(const std::string& text) {
        if (!first_) out_ << ' ';
        out_ << text;
        first_ = false;
        return *this;
    }
    std::ostream& out_;
    bool first_ = true;
};

// Writes one record's values: integers where the layout says so, every other number as its
// shortest text.
void writeRecord(std::ostream& out, const DeckRecord& r, const DeckRow& values) {
    Record record(out);
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (r.values[i].integer) {
            record << static_cast<int>(values[i]);
        } else {
            record << values[i];
        }
    }
}

// The records of a file front to back, each written when its condition holds for the model.
void writeRecords(std::ostream& out, std::span<const DeckRecord> records, const Analysis& a) {
    int lead = 0;  // the count or switch of the last record written; 0 after a skipped group
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DeckRecord& r = records[i];
        if (r.wholeLine) {
            out << lineText(a, r) << '\n';
            continue;
        }
        if (r.condition == DeckCondition::PerSoilPoint) {
            // Two records a point.
            const std::vector<DeckRow> first = recordRows(a, r);
            const std::vector<DeckRow> second = recordRows(a, records[i + 1]);
            for (std::size_t k = 0; k < first.size(); ++k) {
                writeRecord(out, r, first[k]);
                writeRecord(out, records[i + 1], second[k]);
            }
            ++i;
            continue;
        }
        if (r.condition == DeckCondition::IfSwitchIsOne && lead != 1) {
            lead = 0;
            continue;
        }
        if (holdsRows(r)) {
            for (const DeckRow& row : recordRows(a, r)) writeRecord(out, r, row);
            continue;
        }
        const DeckRow values = recordValues(a, r);
        writeRecord(out, r, values);
        lead = recordLead(r, values);
    }
}

}  // namespace

double shiftedDecimal(double value, int powerOfTen) {
    if (!std::isfinite(value)) return value;
    const std::string text = shortestNumberText(value) + "e" + std::to_string(powerOfTen);
    double shifted = value;
    std::from_chars(text.data(), text.data() + text.size(), shifted);
    return shifted;
}

std::string shortestNumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

void writeInputDeck(const Analysis& a, std::ostream& out) {
    checkStatable(a);
    if (a.units != UnitSystem::SI || a.loadTransfer.tipMovements.empty()) return writeRecords(out, deckRecords(), a);
    // An input data file states SI tip movements in m.
    Analysis deck = a;
    for (double& movement : deck.loadTransfer.tipMovements) movement = shiftedDecimal(movement, -3);
    writeRecords(out, deckRecords(), deck);
}

void writeCptFile(const Sounding& cpt, std::ostream& out) {
    if (cpt.points.size() > kMaxCptPoints) {
        throw InputError("the analysis: the CPT sounding has " + std::to_string(cpt.points.size()) +
                         " points, more than the limit of " + std::to_string(kMaxCptPoints));
    }
    Analysis a;
    a.cpt = cpt;
    writeRecords(out, cptRecords(), a);
}

}  // namespace vorta
