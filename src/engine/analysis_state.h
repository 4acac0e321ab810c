// The one record of a run. Every procedure of the engine takes it by reference and reads and
// writes its named fields; nothing else holds state. A run allocates a fresh, cleared record.
//
// Arrays are 1-based with fixed capacities (index 0 unused). Nodes: segment c has its top node
// 2c - 1 and its bottom node 2c; node 2c and node 2c + 1 lie at the same depth. Penetration row
// k has its tip at vertical depth (k - 1) * depthIncrement and pile length (k - 1) * lengthIncrement.
#pragma once

#include <array>
#include <iosfwd>
#include <string>

#include "engine/fixed_array.h"
#include "report/fortran_format.h"
#include "vorta/result.h"

namespace vorta {

// Capacities of the tables.
inline constexpr std::size_t kMaxSoilPoints = 80;
inline constexpr std::size_t kSoilColumns = 19;
inline constexpr std::size_t kMaxVerificationDepths = 100;
inline constexpr std::size_t kMaxAreaRows = 100;
inline constexpr std::size_t kMaxModifierRows = 100;
inline constexpr std::size_t kMaxTipMovements = 100;
inline constexpr std::size_t kMaxCptPoints = 1000;
inline constexpr std::size_t kMaxSegments = 500;
inline constexpr std::size_t kMaxNodes = 2 * kMaxSegments + 1;
inline constexpr std::size_t kMaxRows = kMaxSegments + 1;
inline constexpr std::size_t kMethodCount = 9;      // selection indices 1..9 and method codes 1..9
inline constexpr std::size_t kMaxCurves = kMaxRows;  // node curves of the load-settlement analysis
inline constexpr std::size_t kCurvePoints = 10;      // points 0..9, point 0 the origin
inline constexpr std::size_t kMaxLoadSteps = kMaxTipMovements;
inline constexpr std::size_t kMaxDesignLoads = 20;

// Soil columns (1-based) of a soil point.
inline constexpr int kColSoilType = 1;
inline constexpr int kColLateralK = 2;
inline constexpr int kColEffUnitWeight = 3;
inline constexpr int kColFrictionAngle = 4;
inline constexpr int kColBearingFactorNq = 5;
inline constexpr int kColMaxUnitFriction = 6;
inline constexpr int kColMaxUnitBearing = 7;
inline constexpr int kColShearStrength = 8;
inline constexpr int kColRemoldedStrength = 9;
inline constexpr int kColBlowCountOrYsr = 10;
inline constexpr int kColPlasticityIndex = 11;
inline constexpr int kColPointQc = 12;
inline constexpr int kColUserUnitFriction = 13;
inline constexpr int kColUserUnitBearing = 14;
inline constexpr int kColLrfdFrictionFactor = 15;
inline constexpr int kColLrfdBearingFactor = 16;
inline constexpr int kColTzParam1 = 17;
inline constexpr int kColTzParam2 = 18;
inline constexpr int kColTzParam3 = 19;

// Method codes (currentMethod) and selection indices (methodSelected, loadTransferMethod).
inline constexpr int kCodeFhwa = 1;
inline constexpr int kCodeUsace = 2;
inline constexpr int kCodeLambda = 3;
inline constexpr int kCodeApi = 4;
inline constexpr int kCodeNgi = 5;
inline constexpr int kCodeIcp = 6;
inline constexpr int kCodeFugro = 7;
inline constexpr int kCodeUwa = 8;
inline constexpr int kCodeUser = 9;

inline constexpr int kSelFhwa = 1;
inline constexpr int kSelUsace = 2;
inline constexpr int kSelLambda = 3;
inline constexpr int kSelApi = 4;
inline constexpr int kSelUser = 5;
inline constexpr int kSelNgi = 6;
inline constexpr int kSelIcp = 7;
inline constexpr int kSelFugro = 8;
inline constexpr int kSelUwa = 9;

using SegmentArray = Array1<double, kMaxSegments>;
using NodeArray = Array1<double, kMaxNodes>;
using RowArray = Array1<double, kMaxRows>;

// A depth and its 19 property columns.
struct SoilPoint {
    double depth = 0.0;
    Array1<double, kSoilColumns> column;
};

struct AreaRow {
    double distance = 0.0;  // from the pile top, length
    double area = 0.0;      // in2 or m2
};

struct TzModifierRow {
    double depth = 0.0;
    double loadFactor = 0.0;
    double movementFactor = 0.0;
};

struct CptSounding {
    int cptHeader = 0;  // read and not used
    int cptPointCount = 0;
    Array1<double, kMaxCptPoints> cptDepth;
    Array1<double, kMaxCptPoints> cptQc;  // psf or kPa, as read
};

// Everything read from the input data file and the CPT file.
struct InputData {
    std::string title;      // 72 characters, blank-padded
    std::string designer;   // 72
    std::string jobNumber;  // 72

    int unitSystem = 0;
    int outputStep = 0;
    int soilPointCount = 0;
    int tipClosure = 0;

    double perimeter = 0.0;
    double tipArea = 0.0;               // ft2 in English (read in in2), m2 in SI
    double tipAreaAsRead = 0.0;         // in2 or m2, for the echo
    double outsideDiameter = 0.0;       // after the perimeter substitution
    double outsideDiameterAsRead = 0.0; // for the echo
    double insideDiameter = 0.0;
    double elasticModulus = 0.0;
    double pileLength = 0.0;            // total as read; the embedded length from the echo on
    double totalPileLengthAsRead = 0.0; // for the echo
    double stickupLength = 0.0;

    double enhancedEndLength = 0.0;
    double enhancedEndInsideDiameter = 0.0;
    bool enhancedEndFollowsPile = false;  // none given: the section spans the whole pile, whatever its length
    double batterAngle = 0.0;           // degrees as read; radians from the echo on
    double batterAngleAsRead = 0.0;     // degrees, for the echo

    double zeroFrictionLength = 0.0;
    double lengthIncrement = 0.0;
    int pileType = 0;
    double taperAngle = 0.0;
    int loadTransferMethod = 0;
    int cptMethodsFlag = 0;
    int reducedSideFriction = 0;

    Array1<int, kMethodCount> methodSelected;

    double deepestSoilDepth = 0.0;
    double crossSectionArea = 0.0;
    double axialArea = 0.0;

    Array1<SoilPoint, kMaxSoilPoints> soilPoints;
    Array1<int, kMaxSoilPoints> frictionUnlimited;
    Array1<int, kMaxSoilPoints> bearingUnlimited;
    Array1<double, kMaxSoilPoints> tzParam1AsRead;  // column 17 before the SI division by 1000: the adhesion case
    double lightSoilDepth = 99999.0;

    int tzOutputDepthCount = 0;
    Array1<double, kMaxVerificationDepths> tzOutputDepths;

    int loadingType = 0;
    double tensionReductionFactor = 1.0;

    int icpDrainedClay = 0;
    int plugCondition = 0;
    int longPileOption = 0;

    int areaRowCount = 0;
    int areaOption = 0;
    Array1<AreaRow, kMaxAreaRows> areaTable;

    int criticalDepthMethod = 0;
    double criticalDepth = 0.0;

    int tzModifierRowsRead = 0;  // rows read (none when the switch skips them or the count is 1)
    Array1<TzModifierRow, kMaxModifierRows> tzModifierTable;

    int tipMovementListFlag = 0;
    int tipMovementCount = 0;
    Array1<double, kMaxTipMovements> tipMovements;

    int tipCurveFactorFlag = 0;
    double tipCurveLoadFactor = 0.0;
    double tipCurveMovementFactor = 0.0;

    CptSounding cptSounding;

    // Not in the input data file: the rows of the CPT-based methods as piles driven to each
    // penetration (1), and the design loads whose least embedded length the run finds.
    int cptRowsAsDriven = 0;
    int designLoadCount = 0;
    Array1<double, kMaxDesignLoads> designLoads;  // kips or kN
    double factorOfSafety = 1.0;
};

// Unit texts of the report.
struct UnitLabels {
    std::string length;       // "FT." / "M. "
    std::string smallLength;  // "IN." / "MM."
    std::string force;        // "KIP" / "KN."
    std::string stress;       // "KSF" / "KPA"
    std::string unitWeight;   // "LB/FT^3" / "KN/M^3 "
    std::string area;         // "IN2" / "M2 "
    std::string modulus;      // "PSI" / "KPA"
};

// Names from the run-control file.
struct RunControl {
    std::string versionText;     // 12 characters
    std::string inputFileName = "ucheck";
    std::string reportFileName;
    std::string plotFileName;
    std::string cptFileName;
    bool inputInMemory = false;  // the analysis was given as a model, not read from a file
};

// Columns that the FHWA, USACE and general-method tables read from copies of their own, because
// the three conventional methods are all computed before any of their tables is printed.
struct MethodColumns {
    RowArray rowSkinFriction;
    RowArray rowTipResistance;
    RowArray rowPlugLength;
    RowArray rowUnitFriction;
    RowArray rowTransferSkinFriction;
    RowArray rowUltimateCapacity;
};

// One method's rows kept for the hand-over to the load-settlement analysis.
struct StoredMethodRows {
    int rowCount = 0;  // rows stored (0: the method was not computed)
    RowArray skinFriction;
    RowArray tipResistance;  // factored
    RowArray unitFriction;
    RowArray unfactoredTipResistance;  // handed over where the LRFD bearing factor is 0
    // The ultimate capacity of a pile driven to each row's penetration (the design answers): the
    // table's for the conventional methods, the rows as driven for the CPT-based ones.
    RowArray drivenCapacity;
};

// The rows of a CPT-based method computed as piles driven to each penetration: row k is the last
// row of the pile with its tip at row k.
struct DrivenRows {
    int rowCount = 0;
    RowArray skinFriction;   // factored on friction, as the table
    RowArray tipResistance;  // before the LRFD factor on bearing
    RowArray plugLength;
    RowArray unitFriction;   // at the tip
    Array1<int, kMaxRows> tipFlag;
};

// The unit skin friction of a segment by a CPT-based method, less what it owes to the pile's length
// (methods/cpt/cpt_common.h applies that for a pile of a given length).
struct ShaftFriction {
    enum class Rule : unsigned char {
        Fixed,             // no length term: top and bottom are the friction, plugTop and plugBottom the plug's
        NgiSand,           // per node pa F_sig F_Dr, times z/L and the end, loading and material factors
        IcpSand,           // per node 0.029 qc (s'/pa)^0.13, times (h/R*)^-0.38, with the dilation stress
        FugroSand,         // per node the coefficient of qc and stress, times the height term
        UwaSand,           // per node the dilation term, beside 0.03 qc A_re^0.3 / sqrt(h/D)
        ClayRadialStress,  // per node 0.8 s' tan(delta), times Kc of the height
    };
    Rule rule = Rule::Fixed;
    double top = 0.0;
    double bottom = 0.0;
    double plugTop = 0.0;
    double plugBottom = 0.0;
    double tanDelta = 0.0;     // IcpSand, UwaSand
    double segmentTerm = 0.0;  // IcpSand the dilation stress; UwaSand 0.03 qc A_re^0.3; ClayRadialStress (2 - 0.625 dIvy) YSR^0.42
};

// A side load-transfer (t-z) curve: points 0..9, point 0 the origin.
struct LoadTransferCurve {
    double depth = 0.0;  // vertical depth from the pile head, working units
    int type = 0;        // 2 clay curve, any other value the non-clay curve
    double curveTmax = 0.0;
    double curveFrictionAngle = 0.0;
    int pointCount = 0;
    std::array<double, kCurvePoints> z{};  // movement
    std::array<double, kCurvePoints> t{};  // unit load transfer
};

struct TipCurve {
    std::array<double, kCurvePoints> z{};  // tip movement
    std::array<double, kCurvePoints> q{};  // tip load
};

struct StiffnessRow {
    double distance = 0.0;  // along the pile from the head, working units
    double axialStiffness = 0.0;  // AE
};

struct AnalysisState {
    // Files and console of the run.
    RunControl runControl;
    RecordWriter report;   // the report file
    RecordWriter plot;     // the plot-data file
    RecordWriter console;  // banner, progress line, warnings
    NonFiniteGuard outputGuard;  // the report and the plot-data file write no number that is not finite
    std::istream* consoleInput = nullptr;
    AnalysisResult* result = nullptr;  // the caller's in-memory copy of the results, when asked for

    InputData input;
    UnitLabels unitLabels;

    // Profile checks and segments.
    double requiredSoilDepth = 0.0;
    double depthIncrement = 0.0;
    int segmentCount = 0;
    int rowCount = 0;
    int runPass = 0;
    // The capacities of the methods only: no as-driven rows, no load-settlement analysis (the
    // piles of the design answers whose methods' rows are not piles driven to each penetration).
    bool capacitiesOnly = false;

    SegmentArray segTopDepth;
    SegmentArray segBottomDepth;
    SegmentArray segSoilType;
    SegmentArray segLateralK;
    SegmentArray segEffUnitWeight;
    SegmentArray segFrictionAngle;
    SegmentArray segNq;
    SegmentArray segMaxUnitFriction;
    SegmentArray segMaxUnitBearing;
    SegmentArray segShearStrength;
    SegmentArray segRemoldedStrength;
    SegmentArray segYieldStressRatio;
    SegmentArray segPlasticityIndex;
    SegmentArray segQc;
    SegmentArray segUserUnitFriction;
    SegmentArray segUserUnitBearing;
    SegmentArray segLrfdFrictionFactor;
    SegmentArray segLrfdBearingFactor;
    SegmentArray segAdhesionCase;
    SegmentArray segTzParam1;
    SegmentArray segTzParam2;

    // Node preparation.
    NodeArray nodeEffStress;
    NodeArray nodeLimitedEffStress;
    double lastFrictionEstimate = 0.0;
    double sandCriticalDepth = 0.0;

    // Unit load transfer of the method being run.
    int currentMethod = 0;
    double fhwaAlpha = 0.0;  // Tomlinson adhesion factor last computed in the run (FHWA)
    NodeArray nodeSkinFriction;
    Array2<double, kMaxNodes, kMethodCount> methodUnitFriction;  // (node, method code)
    NodeArray nodeUnitEndBearing;
    Array1<ShaftFriction, kMaxSegments> segShaftFriction;  // of the CPT-based method being run

    // Capacity integration work arrays.
    NodeArray nodeAnnulusBearing;
    NodeArray nodeInnerFriction;
    NodeArray nodePlugFrictionCum;
    RowArray rowAnnulusBearing;
    RowArray rowPlugCapacity;
    RowArray rowPlugIncrement;
    RowArray rowPlugFriction;
    RowArray rowPluggedBearing;

    // Capacity table of the method being run.
    RowArray rowPileLength;
    RowArray rowDepth;
    RowArray rowUnitFriction;
    RowArray rowLimitedUnitFriction;
    RowArray rowMaxUnitFriction;
    RowArray rowSkinFriction;
    RowArray rowFactoredSkinFriction;
    RowArray rowTransferSkinFriction;
    RowArray rowTipResistance;
    RowArray rowPlugLength;
    RowArray rowUltimateCapacity;
    Array2<int, kMethodCount, kMaxRows> rowTipFlag;  // (method code, row)

    // Copies kept for the FHWA (code 1), USACE (code 2) and general (code 9) tables.
    Array1<MethodColumns, kMethodCount> methodColumns;  // by method code

    // Method runs and tables.
    Array1<StoredMethodRows, kMethodCount> methodRowStore;  // by selection index
    DrivenRows drivenRows;  // of the CPT-based method just run
    int printedRowCount = 0;

    // Load-settlement analysis.
    Array1<LoadTransferCurve, kMaxCurves> curves;
    TipCurve tipCurve;
    int stiffnessRowCount = 0;
    Array1<StiffnessRow, kMaxAreaRows> stiffnessTable;
    int loadStepCount = 0;
    Array1<double, kMaxLoadSteps> stepTopLoad;
    Array1<double, kMaxLoadSteps> stepTopMovement;
    Array1<double, kMaxLoadSteps> stepTipLoad;
    Array1<double, kMaxLoadSteps> stepTipMovement;
};

}  // namespace vorta
