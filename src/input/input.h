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

// Where the values of an analysis were given, for the messages of the checks: a value in the words
// of its source, with the line of a project file where it is known.
struct ValuePlaces {
    const Analysis& analysis;
    ValueSource source = ValueSource::InputDeck;
    const SourceLines* lines = nullptr;

    // "layers[2].shear_strength (top, soil point 3) ON LINE 14" (project file) or
    // "soil_profile[3].shear_strength" (program) for a value of `part` ("" top level, "pile",
    // "soil_profile", "cpt.points", "load_transfer.tip_movements", ...; rows and points from 1).
    // Empty for an input data file, whose messages name the soil point or the record themselves.
    std::string of(std::string_view part, int number, std::string_view key) const;
    // A place of a project file with the line of its key, where known; other places as they are.
    std::string withLine(const std::string& place) const;
};

// Values the engine cannot compute with (an increment that is not positive, an output step below 1,
// fewer than two soil points, decreasing depths, unknown units or pile type, a batter of 90 degrees
// or more, a tip diameter of zero or less after the taper, a stickup as long as the pile). Writes a
// message for each to the report, followed, when `places` are given and the values come from a
// project file or a program, by where the value was given; returns false when the run must stop
// on its input.
bool checkInputValues(AnalysisState& s, const ValuePlaces* places = nullptr);

// Every value of the analysis outside the limits of its field (checkRanges), each with a message
// in the report naming the value, where it was given and the allowed range; false when there is
// one. Values that checkInputValues already stops on are not reported twice.
bool checkValueRanges(AnalysisState& s, const ValuePlaces& places);

// The two depth checks of the soil profile against the pile. The first only warns on the
// console; when the second fails the report gets the message and the result is false.
bool checkSoilProfile(AnalysisState& s);

// The input echo, from the "* INPUT INFORMATION *" heading to the "* COMPUTATION RESULT *"
// heading. Sets the embedded pile length, the batter in radians and the axial area on the way.
void writeInputEcho(AnalysisState& s);

// Thin soil intervals collapse into a step or widen to one length increment (once per run).
void adjustThinIntervals(AnalysisState& s);

// Counts the pile segments. More than 500: the message goes to the console and the report and
// the result is false.
bool countSegments(AnalysisState& s);

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
