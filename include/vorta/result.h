// The results of one analysis in memory, filled as the run writes its report and plot-data file:
// the same numbers as the printed tables and curves, at full precision.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "vorta/problems.h"

namespace vorta {

// One row of a capacity table. Lengths in ft or m, forces in kips or kN, unit friction in ksf or
// kPa.
struct CapacityRow {
    double pileLength = 0.0;        // pile length below ground
    double depth = 0.0;             // vertical depth of the tip (equal to pileLength for a vertical pile)
    double skinFriction = 0.0;
    double tipResistance = 0.0;     // end bearing in compression, self weight in tension (factored)
    double ultimateCapacity = 0.0;
    double unitFriction = 0.0;      // the plot-data column
    double plugLength = 0.0;        // 0 when the table has no plug column
    bool plugMark = false;          // the friction of the soil plug governs the tip ("*")
    bool printed = false;           // the report and the plot data print the row (every output_step-th and the last)
};

// One capacity table, with every row of the computation (the report prints those marked printed).
struct MethodTable {
    int selection = 0;  // 1 FHWA, 2 USACE, 3 Revised Lambda, 4 API RP-2A, 5 general, 6 NGI, 7 ICP/MTD, 8 Fugro, 9 UWA
    std::string title;  // the table banner, e.g. "FED. HWY. METHOD"
    bool tension = false;     // the tip column is the self weight
    bool battered = false;    // the table has a depth column
    bool plugColumn = false;  // the table has a plug-length column
    bool rowsAsDriven = false;  // each row is a pile driven to that penetration (CPT-based methods, on request)
    std::vector<CapacityRow> rows;
    // With design loads: the ultimate (or factored) capacity of a pile driven to each row's
    // penetration, one per row, which the design answers read (the rows' own where they are such
    // piles); empty without design loads.
    std::vector<double> drivenCapacity;
};

// A point of a load-transfer curve: movement and load transfer (t-z: unit load transfer in psi or
// kPa against movement in in or m; tip curve: load in kips or kN against movement in in or m).
struct CurvePoint {
    double movement = 0.0;
    double load = 0.0;
};

struct TransferCurve {
    int number = 0;
    double depth = 0.0;  // below ground, ft or m
    std::vector<CurvePoint> points;
};

// The axial load and movement at the mid-point of one pile segment of the load-settlement march.
struct SegmentLoad {
    double distanceFromHead = 0.0;  // ft or m
    double axialLoad = 0.0;         // kips or kN
    double movement = 0.0;          // in or m
};

struct LoadStep {
    double topLoad = 0.0;  // kips or kN
    double topMovement = 0.0;
    double tipLoad = 0.0;
    double tipMovement = 0.0;
    std::vector<SegmentLoad> distribution;  // from the tip upward
};

// The least embedded length at which a method's capacity, divided by the factor of safety, carries
// a design load (in tension an uplift load against the tension capacity). The capacities are those
// of piles driven to each row's penetration, and the length is linear between two rows.
struct DesignAnswer {
    int selection = 0;               // the method (selection index)
    std::string method;              // as a project file names it ("API_RP2A")
    double load = 0.0;               // kips or kN
    double factorOfSafety = 1.0;
    bool factored = false;           // the capacity carries the layers' LRFD resistance factors
    std::optional<double> embeddedLength;  // ft or m; empty: not reached within the pile
    double capacity = 0.0;           // kips or kN: the ultimate (or factored) capacity at that length,
                                     // or the largest found within the pile when the load is not reached
    double capacityLength = 0.0;     // ft or m: the length of `capacity`
    std::optional<double> fallsBelowAgainAt;  // ft or m: deeper, the capacity falls below the load again from here
    std::string advisory;            // what fallsBelowAgainAt means, in words (empty when none)
};

struct AnalysisResult {
    std::int32_t status = 0;            // as the run returns it
    std::vector<std::string> messages;  // why a run stopped or could not use a file, and warnings, in the
                                        // report's (or the console's) words, one line each
    std::vector<Problem> problems;      // the same as data, and the advisories, in the order found
    std::string title;
    std::string designer;
    std::string jobNumber;
    int unitSystem = 0;  // 1 English, 2 SI
    int loadTransferMethod = 0;
    std::vector<MethodTable> tables;  // in report order
    std::vector<TransferCurve> layerCurves;
    std::vector<CurvePoint> tipCurve;
    std::vector<LoadStep> loadSteps;
    std::vector<TransferCurve> verificationCurves;
    std::vector<DesignAnswer> design;  // by method in report order, then by load as given
    std::string reportText;  // the report, when a run on an analysis in memory names no report file
    std::string plotText;    // the plot data, likewise
};

// ---------------------------------------------------------------------------------------------
// The result columns: one entry per value of a row, its name as the Python attributes and frames
// give it, its meaning and its unit. The Python module, the plot-data reader and the chart labels
// read these tables.

// The kinds of unit of the results.
enum class ResultUnit { None, Length, Force, UnitFriction, Movement, UnitTransfer };

// The text of a unit in a unit system (1 English: ft, kips, ksf, in, psi; 2 SI: m, kN, kPa, m,
// kPa); empty for ResultUnit::None and for any other unit system.
constexpr std::string_view resultUnitText(ResultUnit unit, int unitSystem) {
    constexpr std::string_view english[] = {"", "ft", "kips", "ksf", "in", "psi"};
    constexpr std::string_view si[] = {"", "m", "kN", "kPa", "m", "kPa"};
    const auto i = static_cast<std::size_t>(unit);
    return unitSystem == 1 ? english[i] : unitSystem == 2 ? si[i] : std::string_view();
}

template <class Row>
struct ResultField {
    std::string_view key;      // snake_case name of the column
    std::string_view meaning;
    ResultUnit unit;
    double (*get)(const Row&);
    void (*set)(Row&, double);
    bool flag = false;         // a yes-or-no column (get gives 1 or 0)
};

#define VORTA_RESULT(Row, key, member, unit, meaning)                                              \
    ResultField<Row> {                                                                               \
        key, meaning, ResultUnit::unit, [](const Row& r) -> double { return r.member; },             \
            [](Row& r, double v) { r.member = v; }                                                   \
    }

// The columns of a capacity table, in the order of CapacityRow.
inline constexpr ResultField<CapacityRow> kCapacityFields[] = {
    VORTA_RESULT(CapacityRow, "pile_length", pileLength, Length, "pile length below ground"),
    VORTA_RESULT(CapacityRow, "depth", depth, Length, "vertical depth of the tip"),
    VORTA_RESULT(CapacityRow, "skin_friction", skinFriction, Force, "skin friction"),
    VORTA_RESULT(CapacityRow, "tip_resistance", tipResistance, Force,
                 "end bearing in compression, self weight in tension (factored)"),
    VORTA_RESULT(CapacityRow, "ultimate_capacity", ultimateCapacity, Force, "ultimate capacity"),
    VORTA_RESULT(CapacityRow, "unit_friction", unitFriction, UnitFriction, "unit skin friction (the plot-data column)"),
    VORTA_RESULT(CapacityRow, "plug_length", plugLength, Length, "plug length (0 when the table has no plug column)"),
    ResultField<CapacityRow>{"plug_mark", "plug friction governs the tip (\"*\" in the report)", ResultUnit::None,
                             [](const CapacityRow& r) -> double { return r.plugMark ? 1.0 : 0.0; },
                             [](CapacityRow& r, double v) { r.plugMark = v != 0.0; }, true},
    ResultField<CapacityRow>{"printed", "the report and the plot data print the row", ResultUnit::None,
                             [](const CapacityRow& r) -> double { return r.printed ? 1.0 : 0.0; },
                             [](CapacityRow& r, double v) { r.printed = v != 0.0; }, true},
};

// The numbers of a design answer (its method and advisory are texts beside them); a length that
// is not there (not reached, not falling again) reads as NaN.
inline constexpr ResultField<DesignAnswer> kDesignAnswerFields[] = {
    VORTA_RESULT(DesignAnswer, "load", load, Force, "design load (uplift in tension)"),
    VORTA_RESULT(DesignAnswer, "factor_of_safety", factorOfSafety, None, "factor of safety on the ultimate capacity"),
    ResultField<DesignAnswer>{"embedded_length", "least embedded length that carries the load (NaN: not reached within the pile)",
                              ResultUnit::Length,
                              [](const DesignAnswer& a) -> double {
                                  return a.embeddedLength.value_or(std::numeric_limits<double>::quiet_NaN());
                              },
                              [](DesignAnswer& a, double v) {
                                  a.embeddedLength = v == v ? std::optional<double>(v) : std::nullopt;
                              }},
    VORTA_RESULT(DesignAnswer, "capacity", capacity, Force,
                 "capacity at that length, or the largest within the pile when the load is not reached"),
    VORTA_RESULT(DesignAnswer, "capacity_length", capacityLength, Length, "the length of that capacity"),
    ResultField<DesignAnswer>{"falls_below_again_at", "deeper, the capacity falls below the load again from here (NaN: it does not)",
                              ResultUnit::Length,
                              [](const DesignAnswer& a) -> double {
                                  return a.fallsBelowAgainAt.value_or(std::numeric_limits<double>::quiet_NaN());
                              },
                              [](DesignAnswer& a, double v) {
                                  a.fallsBelowAgainAt = v == v ? std::optional<double>(v) : std::nullopt;
                              }},
    ResultField<DesignAnswer>{"factored", "the capacity carries the layers' LRFD resistance factors", ResultUnit::None,
                              [](const DesignAnswer& a) -> double { return a.factored ? 1.0 : 0.0; },
                              [](DesignAnswer& a, double v) { a.factored = v != 0.0; }, true},
};

// A t-z curve's points and the tip curve's points.
inline constexpr ResultField<CurvePoint> kTzCurveFields[] = {
    VORTA_RESULT(CurvePoint, "movement", movement, Movement, "movement"),
    VORTA_RESULT(CurvePoint, "load", load, UnitTransfer, "unit load transfer"),
};
inline constexpr ResultField<CurvePoint> kTipCurveFields[] = {
    VORTA_RESULT(CurvePoint, "movement", movement, Movement, "movement of the tip"),
    VORTA_RESULT(CurvePoint, "load", load, Force, "load at the tip"),
};

// The load distribution of a load step, from the tip upward.
inline constexpr ResultField<SegmentLoad> kDistributionFields[] = {
    VORTA_RESULT(SegmentLoad, "distance_from_head", distanceFromHead, Length, "distance from the pile head"),
    VORTA_RESULT(SegmentLoad, "axial_load", axialLoad, Force, "axial load"),
    VORTA_RESULT(SegmentLoad, "movement", movement, Movement, "movement"),
};

// The load-settlement curve: one row per load step.
inline constexpr ResultField<LoadStep> kLoadStepFields[] = {
    VORTA_RESULT(LoadStep, "top_load", topLoad, Force, "load at the pile head"),
    VORTA_RESULT(LoadStep, "top_movement", topMovement, Movement, "movement of the pile head"),
    VORTA_RESULT(LoadStep, "tip_load", tipLoad, Force, "load at the tip"),
    VORTA_RESULT(LoadStep, "tip_movement", tipMovement, Movement, "movement of the tip"),
};

#undef VORTA_RESULT

// The entry of a column by its key; nullptr when there is none.
template <class Row>
constexpr const ResultField<Row>* resultField(std::span<const ResultField<Row>> fields, std::string_view key) {
    for (const ResultField<Row>& f : fields) {
        if (f.key == key) return &f;
    }
    return nullptr;
}

}  // namespace vorta
