// The layout of the input data file and of the CPT file: their records in order, the values each
// holds and when it is read. The reader, the writer, the loader's soil columns and the places
// that messages and the documentation give for a value all come from these tables.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/analysis.h"

namespace vorta {

// When a record is read.
enum class DeckCondition {
    Always,
    PerSoilPoint,      // once for each soil point counted by record 4
    IfSwitchIsOne,     // only when the switch record before it holds 1 (any other value skips the group)
    PerCountedRow,     // once for each row counted by the count record before it (none for 0 or less)
    PerRowAboveOne,    // as PerCountedRow, but a count of 1 reads no row
};

// One value of a record: the model's part and key of the field it holds (modelPartOf), or a
// count or switch of the file that no field holds (soil_point_count, ...).
struct DeckValue {
    std::string_view part;
    std::string_view key;
    std::string_view words;  // what the value is, in messages: "the unit system"
    bool integer = false;
    int index = 0;           // the element of a list field (methods.selected: 1 to 9); 0: none
    double initial = 0.0;    // what a null value leaves: the engine's cleared state
    std::size_t capacity = 0;  // a count: the most rows its table holds
};

struct DeckRecord {
    std::string_view id;    // "4", "10a", "14a"
    std::string_view what;  // in messages: "record 4 (units, ...)", "record 14a (area row 2)"
    DeckCondition condition;
    std::span<const DeckValue> values;
    bool wholeLine = false;  // a title line, not a free-format record
};

// The values of one record, as doubles (integers exactly).
using DeckRow = std::vector<double>;

std::span<const DeckRecord> deckRecords();  // the input data file, records 1 to 18
std::span<const DeckRecord> cptRecords();   // the CPT file

// The name of a record in messages: "record 4 (units, output step, soil points, tip closure)",
// "record 14a (area row 2)", "soil point 3, first record", "CPT point 5" (`row` from 1; 0 for a
// record read once).
std::string recordLabel(const DeckRecord& record, int row = 0);

// The soil columns of a point (1 to 19, and 0 for the depth) as the engine numbers them: the key
// of the profile point's field in each. The input data file states them in this order, except
// that a sand point carries its blow count in column 9 and in column 10 a value the run does not
// use (ProfilePoint::unusedSandColumn10).
std::string_view soilColumnKey(int column);
// The column of a field of a point in the input data file (0 for the depth, -1 for a field the
// file does not state).
int deckSoilColumnOf(std::string_view key, SoilType type);

// The value of a point's field at a column in the engine's numbering (column 10 the blow count or
// yield stress ratio of every soil type).
double soilFieldAtColumn(const ProfilePoint& point, int column);

// A soil column's value of a point as the input data file states it, and the point with it set
// (the soil type first: it decides where a sand point's blow count lies).
double soilColumnValue(const ProfilePoint& point, int column);
void setSoilColumnValue(ProfilePoint& point, int column, double value);

// The count or switch that decides how the records after a record are read: its count, else its
// first value.
int recordLead(const DeckRecord& record, const DeckRow& values);

// The text of a whole-line record (a title line), and the model with it set.
std::string lineText(const Analysis& a, const DeckRecord& record);
void setLineText(Analysis& a, const DeckRecord& record, const std::string& text);

// Whether a record holds rows of a list (soil points, area rows, ...) rather than single values.
bool holdsRows(const DeckRecord& record);

// Values of a model by their place in the layout.
// A record read once: its values. Counts and switches come from the model's lists and kept
// switches.
DeckRow recordValues(const Analysis& a, const DeckRecord& record);
void setRecordValues(Analysis& a, const DeckRecord& record, const DeckRow& values);
// A record read once per row or per soil point: the values of every row of its list.
std::vector<DeckRow> recordRows(const Analysis& a, const DeckRecord& record);
void appendRecordRow(Analysis& a, const DeckRecord& record, const DeckRow& values);

}  // namespace vorta
