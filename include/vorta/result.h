// The results of one analysis in memory, filled as the run writes its report and plot-data file:
// the same numbers as the printed tables and curves, at full precision.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vorta/problems.h"

namespace vorta {

// One printed row of a capacity table. Lengths in ft or m, forces in kips or kN, unit friction
// in ksf or kPa.
struct CapacityRow {
    double pileLength = 0.0;        // pile length below ground
    double depth = 0.0;             // vertical depth of the tip (equal to pileLength for a vertical pile)
    double skinFriction = 0.0;
    double tipResistance = 0.0;     // end bearing in compression, self weight in tension (factored)
    double ultimateCapacity = 0.0;
    double unitFriction = 0.0;      // the plot-data column
    double plugLength = 0.0;        // 0 when the table has no plug column
    bool plugMark = false;          // the friction of the soil plug governs the tip ("*")
};

// One printed capacity table.
struct MethodTable {
    int selection = 0;  // 1 FHWA, 2 USACE, 3 Revised Lambda, 4 API RP-2A, 5 general, 6 NGI, 7 ICP/MTD, 8 Fugro, 9 UWA
    std::string title;  // the table banner, e.g. "FED. HWY. METHOD"
    bool tension = false;     // the tip column is the self weight
    bool battered = false;    // the table has a depth column
    bool plugColumn = false;  // the table has a plug-length column
    std::vector<CapacityRow> rows;
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
    std::string reportText;  // the report, when a run on an analysis in memory names no report file
    std::string plotText;    // the plot data, likewise
};

}  // namespace vorta
