// Input subsystem: the input data file and the CPT file, the checks on the soil profile, the
// division of the pile into segments, the node preparation of each pass and the input echo.
#pragma once

#include <optional>

#include "engine/analysis_state.h"
#include "input/free_format_reader.h"
#include "vorta/analysis.h"

namespace vorta {

// A title line of the input data file holds 72 characters.
inline constexpr std::size_t kTitleWidth = 72;

// The switch of an optional table as the input data file states it: the one the model keeps, or
// 1 when the table has rows and 0 when it has none.
inline int switchOf(const std::optional<int>& kept, bool hasRows) { return kept.value_or(hasRows ? 1 : 0); }

// Reads the input data file, record by record, into the model as written (the CPT sounding is
// left empty). Throws InputError for a malformed or truncated file or a count over a table's
// capacity.
Analysis readInputRecords(FreeFormatReader& in);

// Reads the CPT file. Throws InputError as readInputRecords does.
Sounding readCptRecords(FreeFormatReader& in);

// Fills s.input from a model: the one place where the values as written become the engine's
// working values, with the normalisations and conversions of the input data file in the order of
// its records. loadAnalysis = loadInputData + loadSounding. Throws InputError for a model that the
// engine cannot take (checkStatable).
void loadAnalysis(AnalysisState& s, const Analysis& a);
void loadInputData(AnalysisState& s, const Analysis& a);
void loadSounding(AnalysisState& s, const Sounding& cpt);

// The reader and the loader together, as a run reads an input data file into s.input (tests and
// the fuzz target).
void readInputData(AnalysisState& s, FreeFormatReader& in);
void readCptFile(AnalysisState& s, FreeFormatReader& in);

// Where a value of an analysis was given, as a project file names it (a program names it the same
// way, without lines).
struct ValuePlace {
    std::string path;      // the key: "pile.length", "layers[2].friction_angle", "cpt.points[5]"
    std::string note;      // what the key alone leaves open: "top, soil point 3", "depth"
    std::string layerEnd;  // "top" or "bottom" for a value of a layer's end
    int soilPoint = 0;     // from 1; 0: not a soil point's value
    int line = 0;          // of the key in a project file; 0: not known

    // "layers[2].friction_angle (top, soil point 3)"
    std::string text() const { return note.empty() ? path : path + " (" + note + ")"; }
};

// Where the values of an analysis were given, for the problems of the checks.
struct ValuePlaces {
    const Analysis& analysis;
    ValueSource source = ValueSource::InputDeck;
    const SourceLines* lines = nullptr;
    std::string file;  // the file the analysis was read from; empty: a program

    // A value of `part` ("" top level, "pile", "soil_profile", "cpt.points",
    // "load_transfer.tip_movements", ...; rows and points from 1), with its line in a project file.
    ValuePlace of(std::string_view part, int number, std::string_view key) const;
    // The place as the report's "GIVEN AS" line writes it for a project file
    // ("layers[2].shear_strength (top, soil point 3) ON LINE 14") or a program; empty for an input
    // data file, whose messages name the soil point or the record themselves.
    std::string givenAs(std::string_view part, int number, std::string_view key) const;
    // Names the place of a value in a problem: its path, layer end, soil point, file and line.
    void locate(Problem& p, std::string_view part, int number, std::string_view key) const;
};

// A value outside the limits of its field, as the range check finds it.
struct ValueOutOfRange {
    std::string_view part;  // as ValuePlaces::of takes it
    int number = 0;
    std::string_view key;
    double value = 0.0;
    std::string_view unit;
    std::string allowed;    // "0 to below 90 deg"
    std::string name;       // in words: "friction angle", "pile outside diameter"
    std::string deckPlace;  // in an input data file: "soil point 3, column 4", "record 5, value 3"
};
std::vector<ValueOutOfRange> valuesOutOfRange(const Analysis& a);
Problem rangeProblem(const ValueOutOfRange& v, const ValuePlaces& places);

// A problem found by the input checks, with the records a run writes for it into the report and to
// the console, as the formatter made them.
struct CheckedProblem {
    Problem problem;
    std::vector<FormattedRecord> report;
    std::vector<FormattedRecord> console;
};
using CheckedProblems = std::vector<CheckedProblem>;

// Values the engine cannot compute with (an increment that is not positive, an output step below 1,
// fewer than two soil points, decreasing depths, unknown units or pile type, a batter of 90 degrees
// or more, a tip diameter of zero or less after the taper, a stickup as long as the pile): a stop
// for each, whose report lines name, for a project file or a program, where the value was given.
void checkInputValues(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found);

// Every value of the analysis outside the limits of its field, a stop for each naming the value,
// where it was given and the allowed range. Values that checkInputValues already stops on are not
// reported twice.
void checkValueRanges(const ValuePlaces& places, CheckedProblems& found);

// The two depth checks of the soil profile against the pile: a warning for the console, and a stop
// whose lines go to the report. Sets requiredSoilDepth.
void checkSoilProfile(AnalysisState& s, const ValuePlaces& places, CheckedProblems& found);

// What a run of the analysis quietly assumes (never a stop, never in the report): a clay layer
// without strength, a sand layer without a friction angle or blow count, a gap between layers, a
// sounding that ends above the tip or is missing while CPT-based methods run, or is out of depth
// order, the water table of the self weight in tension, values that read as the other unit system.
void findAdvisories(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found);

// The one line of a problem's records: their lines trimmed and joined by blanks.
std::string oneLine(const std::vector<FormattedRecord>& records);

// The input echo, from the "* INPUT INFORMATION *" heading to the "* COMPUTATION RESULT *"
// heading. Sets the embedded pile length, the batter in radians and the axial area on the way.
void writeInputEcho(AnalysisState& s);

// Thin soil intervals collapse into a step or widen to one length increment (once per run).
void adjustThinIntervals(AnalysisState& s);

// Counts the pile segments; false when there are more than 500.
bool countSegments(AnalysisState& s);
// The stop of more than 500 segments (after countSegments), whose lines go to the console and the
// report.
void checkSegmentCount(const AnalysisState& s, const ValuePlaces& places, CheckedProblems& found);

// The segment count of a grid down to the deepest soil depth, extended to reach one and a half
// diameters below the tip of row `rows` (the count of a pile with that many rows).
int segmentCountFor(const InputData& d, int rows);

// Penetration rows of the capacity tables: truncate(embedded length / increment + 1.0E-6) + 1.
int penetrationRows(double embeddedLength, double lengthIncrement);

// depthIncrement = lengthIncrement * cos(batter), once, after the count.
void computeDepthIncrement(AnalysisState& s);

// Divides the pile into segments and fills the per-segment soil arrays and rowCount (each pass).
void segmentPile(AnalysisState& s);

// Node stresses, limited stresses and the completed friction angles and strengths (each pass).
void prepareNodes(AnalysisState& s);

// Friction angle (degrees) from a blow count N and an effective overburden in psi; `previous` is
// the last estimate of the run, returned (subject to the upper limit) where the charts give none.
double frictionAngleFromBlowCount(double blowCount, double overburdenPsi, double previous);

}  // namespace vorta
