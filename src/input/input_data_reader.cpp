// The input data file (records 1 to 18) and the CPT file, read front to back into the analysis
// model, values as written, record by record as their layout states them.
#include <algorithm>
#include <cmath>
#include <map>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "engine/constants.h"
#include "input/deck_layout.h"
#include "input/input.h"

namespace vorta {
namespace {

// A title line as the model holds it: the stored 72 characters less their trailing blanks.
std::string trimmedLine(std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// A count read from a file must fit its table; the message names the count, the value and the limit.
void checkCount(const FreeFormatReader& in, const std::string& record, const std::string& what, int count,
                std::size_t limit) {
    if (count > static_cast<int>(limit)) {
        throw InputError(in.fileName() + ", line " + std::to_string(in.lineNumber()) + " (" + record + "): " +
                         what + " is " + std::to_string(count) + ", more than the limit of " +
                         std::to_string(limit));
    }
}

// Counts of zero or less read no rows and are held as 0.
int rowsToRead(int count) { return count > 0 ? count : 0; }

// A switch of an optional table kept only when it does not follow from the table's rows.
std::optional<int> keptSwitch(int flag, bool hasRows) {
    if (flag == (hasRows ? 1 : 0)) return std::nullopt;
    return flag;
}

// One free-format record, its values in the layout's order. Values start as the engine's cleared
// state does, so that a null value (two commas) or a value after a slash leaves what the engine
// would have had. A count must fit its table.
DeckRow readRecord(FreeFormatReader& in, const DeckRecord& r, int row = 0) {
    const std::string label = recordLabel(r, row);
    in.beginRecord(label);
    DeckRow values;
    for (const DeckValue& v : r.values) {
        if (v.integer) {
            int x = static_cast<int>(v.initial);
            in.read(x, v.words);
            values.push_back(x);
        } else {
            double x = v.initial;
            in.read(x, v.words);
            values.push_back(x);
        }
    }
    in.endRecord();
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (r.values[i].capacity > 0) {
            checkCount(in, label, std::string(r.values[i].words), static_cast<int>(values[i]), r.values[i].capacity);
        }
    }
    return values;
}

// A soil point: its two records, the soil type first (it decides where a sand point's blow count
// lies).
ProfilePoint readSoilPoint(FreeFormatReader& in, const DeckRecord& first, const DeckRecord& second, int k) {
    DeckRow columns = readRecord(in, first, k);
    // The soil type is a code; a fraction would be read as no type at all by some rules and as
    // the nearest type by others.
    const double type = columns[kColSoilType];
    if (!(type == std::floor(type) && std::fabs(type) < 1.0e9)) {
        throw InputError(in.fileName() + ", line " + std::to_string(in.lineNumber()) + " (" + recordLabel(first, k) +
                         "): expected a whole number for the soil type (1 sand, 2 clay, 3 silt), found " +
                         shortestNumberText(type));
    }
    const DeckRow rest = readRecord(in, second, k);
    columns.insert(columns.end(), rest.begin(), rest.end());
    ProfilePoint p;
    setSoilColumnValue(p, kColSoilType, type);
    for (std::size_t c = 0; c < columns.size(); ++c) setSoilColumnValue(p, static_cast<int>(c), columns[c]);
    return p;
}

// The records of a file front to back, each read when its condition holds. The counts and
// switches read are returned by their keys.
std::map<std::string_view, int> readRecords(FreeFormatReader& in, std::span<const DeckRecord> records, Analysis& a) {
    std::map<std::string_view, int> counts;
    int lead = 0;  // the count or switch of the last record read; 0 after a group that was skipped
    for (std::size_t i = 0; i < records.size(); ++i) {
        const DeckRecord& r = records[i];
        if (r.wholeLine) {
            setLineText(a, r, trimmedLine(in.readLine(recordLabel(r), kTitleWidth)));
            continue;
        }
        if (r.condition == DeckCondition::PerSoilPoint) {
            // Two records a point, the first and the second.
            for (int k = 1; k <= counts["soil_point_count"]; ++k) {
                a.soilProfile.push_back(readSoilPoint(in, r, records[i + 1], k));
            }
            ++i;
            continue;
        }
        if (r.condition == DeckCondition::IfSwitchIsOne && lead != 1) {
            lead = 0;
            continue;
        }
        if (!holdsRows(r)) {
            const DeckRow values = readRecord(in, r);
            setRecordValues(a, r, values);
            for (std::size_t v = 0; v < values.size(); ++v) {
                if (r.values[v].integer) counts[r.values[v].key] = static_cast<int>(values[v]);
            }
            lead = recordLead(r, values);
            continue;
        }
        int rows = 1;
        if (r.condition == DeckCondition::PerCountedRow) rows = rowsToRead(lead);
        if (r.condition == DeckCondition::PerRowAboveOne) rows = rowsToRead(lead) > 1 ? rowsToRead(lead) : 0;
        const bool numbered = r.condition != DeckCondition::IfSwitchIsOne;
        for (int row = 1; row <= rows; ++row) appendRecordRow(a, r, readRecord(in, r, numbered ? row : 0));
    }
    return counts;
}

}  // namespace

Analysis readInputRecords(FreeFormatReader& in) {
    Analysis a;
    std::map<std::string_view, int> counts = readRecords(in, deckRecords(), a);
    if (counts["soil_point_count"] < 0) a.negativeSoilPointCount = counts["soil_point_count"];
    // The switches that the tables' rows do not restate.
    LoadTransferTables& t = a.loadTransfer;
    t.verificationSwitch = keptSwitch(counts["verification_flag"], !t.verificationDepths.empty());
    const int modifierFlag = counts["modifier_flag"];
    if (modifierFlag == 1 && rowsToRead(counts["modifier_count"]) == 1) t.modifierCount = 1;  // it reads no row
    t.modifierSwitch = keptSwitch(modifierFlag, !t.modifiers.empty());
    t.tipMovementSwitch = keptSwitch(counts["tip_movement_flag"], !t.tipMovements.empty());
    t.tipCurveFactorSwitch = keptSwitch(counts["tip_curve_factor_flag"], t.tipCurveFactors.has_value());
    // In m in an SI input data file; in mm in the model, as every movement.
    if (a.units == UnitSystem::SI) {
        for (double& movement : t.tipMovements) movement = shiftedDecimal(movement, 3);
    }
    return a;
}

Sounding readCptRecords(FreeFormatReader& in) {
    Analysis a;
    readRecords(in, cptRecords(), a);
    return a.cpt;
}

void readInputData(AnalysisState& s, FreeFormatReader& in) { loadInputData(s, readInputRecords(in)); }

void readCptFile(AnalysisState& s, FreeFormatReader& in) { loadSounding(s, readCptRecords(in)); }

Analysis readInputDeck(std::istream& deck, const std::string& deckName, std::istream& cpt, const std::string& cptName) {
    FreeFormatReader in(deck, deckName);
    Analysis a = readInputRecords(in);
    FreeFormatReader c(cpt, cptName);
    a.cpt = readCptRecords(c);
    return a;
}

Analysis readInputDeck(const std::filesystem::path& deck, const std::filesystem::path& cpt) {
    std::ifstream deckFile(deck);
    if (!deckFile) throw InputError(deck.string() + ": the input data file cannot be opened");
    if (cpt.empty()) {
        std::istringstream noSounding("0 0\n");
        return readInputDeck(deckFile, deck.string(), noSounding, "(no CPT file)");
    }
    std::ifstream cptFile(cpt);
    if (!cptFile) throw InputError(cpt.string() + ": the CPT file cannot be opened");
    return readInputDeck(deckFile, deck.string(), cptFile, cpt.string());
}

Sounding readCptSounding(std::istream& cpt, const std::string& cptName) {
    FreeFormatReader c(cpt, cptName);
    return readCptRecords(c);
}

}  // namespace vorta
