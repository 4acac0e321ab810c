// One analysis as data: everything the input data file and the CPT file state, under names that
// say what each value is. Values are held as the user writes them (psf or kPa, degrees, inches or
// millimetres, ...); the engine converts them to its working units when it loads the analysis.
//
//   input data file ──readInputDeck──┐
//   project file ──(vorta_project)───┼──> Analysis ──runAnalysis / checkAnalysis──> run
//   a program ───────────────────────┘        └──writeInputDeck──> input data file
//
// The names of the fields, their units, meanings, defaults, allowed ranges and places in the input
// data file are listed once, in the field tables at the end of this header; the project files,
// their documentation, the unit comments of a written project file and the range check of a run
// (checkRanges) are all made from those tables.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "vorta/methods.h"
#include "vorta/problems.h"
#include "vorta/vorta.h"

namespace vorta {

// Codes as the input data file writes them. A file may hold other codes; they are kept as they
// are (an enum of this kind holds any int) and the engine treats them as it treats the file.
enum class UnitSystem : int { English = 1, SI = 2 };
enum class TipClosure : int { Open = 0, Closed = 1 };
enum class PileType : int {
    SteelPipe = 1,            // steel pipe pile or non-tapered portion of a monotube pile
    Timber = 2,
    PrecastConcrete = 3,      // square (perimeter given) or circular
    RaymondStepTaper = 4,
    RaymondUniformTaper = 5,
    HPile = 6,                // H-pile or other non-circular steel pile
    MonotubeTaper = 7,        // tapered portion of a monotube pile
};
enum class LoadingType : int { Compression = 0, Tension = 1 };
enum class PlugCondition : int { Computed = 0, Plugged = 1, Unplugged = 2 };
enum class CriticalDepthRule : int { Density = 0, Stress = 1, User = 2 };
enum class AxialAreaSource : int { Computed = 0, Uniform = 1, Table = 2 };
enum class SoilType : int { Sand = 1, Clay = 2, Silt = 3 };

struct TitleBlock {
    std::string title;      // one line, at most 72 characters are used
    std::string designer;
    std::string jobNumber;
};

struct AreaTableRow {
    double distance = 0.0;  // ft or m from the pile top
    double area = 0.0;      // in2 or m2
};

struct Pile {
    PileType type = PileType::SteelPipe;
    TipClosure tip = TipClosure::Open;   // pipe and circular concrete piles
    double outsideDiameter = 0.0;        // in or mm; at the butt of a tapered pile
    double insideDiameter = 0.0;         // in or mm; 0 for a solid section
    double perimeter = 0.0;              // in or mm; non-circular piles only, 0: circular
    double tipArea = 0.0;                // in2 or m2; non-circular piles only
    double elasticModulus = 0.0;         // psi or kPa
    double length = 0.0;                 // ft or m, total length including the stickup
    double stickup = 0.0;                // ft or m above the ground surface
    double enhancedEndLength = 0.0;      // ft or m; 0: no enhanced (thickened) end section
    double enhancedEndInsideDiameter = 0.0;  // in or mm
    double batterAngle = 0.0;            // degrees from the vertical
    double zeroFrictionLength = 0.0;     // ft or m below the ground surface
    double lengthIncrement = 0.0;        // ft or m, the segment length of the computation
    double taperAngle = 0.0;             // degrees, tapered piles
    AxialAreaSource axialArea = AxialAreaSource::Computed;
    double crossSectionArea = 0.0;       // in2 or m2, the uniform area of AxialAreaSource::Uniform
    std::vector<AreaTableRow> areaTable;      // the areas along the pile of AxialAreaSource::Table
};

struct Methods {
    // 1 selects the method of that selection index (element 0 is FHWA, 8 is UWA). Other values
    // select nothing; they are kept as an input data file states them.
    std::array<int, kMethodCountInModel> selected{};
    Method loadTransfer = Method::Fhwa;  // the method whose unit load transfers drive the settlement
    int cptMethods = 0;           // 1: the CPT-based methods run; above 0: the CPT table of the echo is printed
    int reducedSideFriction = 0;  // 1: reduced unit side friction handed to load transfer; 0: unfactored

    bool isSelected(Method m) const { return selected[static_cast<std::size_t>(static_cast<int>(m) - 1)] == 1; }
    void select(Method m, bool on = true) { selected[static_cast<std::size_t>(static_cast<int>(m) - 1)] = on ? 1 : 0; }
    // Whether a method that works from cone resistance is selected.
    bool selectsCptMethod() const {
        for (const MethodInfo& info : kMethodTable) {
            if (info.cptBased && isSelected(info.method)) return true;
        }
        return false;
    }
};

// One point of the soil profile. A layer is two points, its top and its bottom; values between
// points are linear in depth.
struct ProfilePoint {
    std::string name;                  // a name for the layer (project files only)
    double depth = 0.0;                // ft or m below the ground surface
    SoilType soilType = SoilType::Sand;
    double lateralEarthPressure = 0.0; // K; 0: assumed by the program (0.8)
    double effectiveUnitWeight = 0.0;  // pcf or kN/m3
    double frictionAngle = 0.0;        // degrees; 0: estimated from the blow count
    double bearingCapacityFactor = 0.0;  // Nq; 0: estimated from the friction angle
    double maxUnitFriction = 0.0;      // psf or kPa; 0: not limited
    double maxUnitBearing = 0.0;       // psf or kPa; 0: not limited
    double shearStrength = 0.0;        // psf or kPa, undisturbed undrained
    double remoldedStrength = 0.0;     // psf or kPa; not used for sand
    double blowCountOrYieldStressRatio = 0.0;  // blow count (sand, silt) or yield stress ratio (clay)
    double plasticityIndex = 0.0;      // percent
    double coneResistance = 0.0;       // qc in psf or kPa; 0: from the CPT sounding
    double userUnitFriction = 0.0;     // psf or kPa, general method
    double userUnitBearing = 0.0;      // psf or kPa, general method
    double lrfdFrictionFactor = 1.0;   // resistance factor on unit friction
    double lrfdBearingFactor = 1.0;    // resistance factor on unit bearing
    double adhesionCaseOrTipMovement = 0.0;  // FHWA adhesion case (0: chosen by the method); the USACE tip curve reads it as its reference movement in in or mm
    double peakMovement = 0.0;         // in or mm, movement at peak side resistance; 0: 1% of the diameter
    double residualRatio = 0.0;        // residual over peak side resistance of the clay t-z curve
    // Column 10 of a sand point in an input data file, where a sand point carries its blow count
    // in column 9: the run does not use it; it is kept so that a deck writes back unchanged.
    double unusedSandColumn10 = 0.0;
};

struct Loading {
    LoadingType type = LoadingType::Compression;
    double tensionReductionFactor = 1.0;
};

struct AnalysisOptions {
    PlugCondition plugCondition = PlugCondition::Computed;  // open-ended piles
    int icpDrainedClay = 0;     // 1: drained condition for clay in ICP/MTD, otherwise undrained
    int longPileOption = 0;     // 1: the long pile option of the USACE method
    CriticalDepthRule criticalDepthRule = CriticalDepthRule::Density;  // USACE, sand
    double criticalDepth = 0.0;  // ft or m, for CriticalDepthRule::User
    // 1: the rows of the CPT-based methods are piles driven to each penetration, not the upper part
    // of the final pile. Not in the input data file (a deck runs without it).
    int cptRowsAsDriven = 0;
};

// The design question of an analysis: the least embedded length whose capacity, divided by the
// factor of safety, carries each load. Not in the input data file.
struct DesignLoads {
    std::vector<double> loads;     // kips or kN; in tension the uplift loads
    double factorOfSafety = 1.0;   // on the ultimate capacity (1 where the layers' LRFD factors factor it)
};

struct TzModifier {
    double depth = 0.0;          // ft or m
    double loadFactor = 1.0;     // multiplies the unit load transfer of the t-z curves
    double movementFactor = 1.0; // multiplies their movements
};

struct TipCurveFactors {
    double loadFactor = 1.0;     // multiplies the loads of the tip (q-w) curve
    double movementFactor = 1.0; // multiplies its movements
};

// The optional tables of the load-settlement analysis. A table is used when it has rows. The
// switches restate an input data file whose switch does not follow from its rows (a value other
// than 0 and 1, or 1 with no rows); empty: 1 when the table has rows, else 0.
struct LoadTransferTables {
    std::vector<double> verificationDepths;  // ft or m: t-z curves printed at these depths
    std::vector<TzModifier> modifiers;       // by depth
    std::vector<double> tipMovements;        // in or mm: the tip movements of the load steps (an input
                                             // data file states them in in or m)
    std::optional<TipCurveFactors> tipCurveFactors;

    std::optional<int> verificationSwitch;
    std::optional<int> modifierSwitch;
    std::optional<int> modifierCount;  // a count of 1 reads no row
    std::optional<int> tipMovementSwitch;
    std::optional<int> tipCurveFactorSwitch;
};

struct CptPoint {
    double depth = 0.0;           // ft or m
    double coneResistance = 0.0;  // qc, psf or kPa
    // Measured beside qc in a sounding file that holds them, psf or kPa; empty where the file
    // gives none. The methods read qc only; the charts draw these too.
    std::optional<double> sleeveFriction;  // fs
    std::optional<double> porePressure;    // u2, behind the cone
};

// A sounding that a project file takes from a file of its own (GEF, AGS4, CSV or the engine's CPT
// file), and how that file was read (vorta/cpt_files.h).
struct SoundingFile {
    std::string name;               // as the project file writes it: relative to its folder, or absolute
    std::filesystem::path path;     // where it was read
    bool statesUnits = true;        // false: the engine's own CPT file, in the analysis's units
    std::string location;           // AGS4: the LOCA_ID of the sounding; empty: the file's only one
    std::string depthColumn;        // CSV: the depth column's name where it is not found by its name
    std::string qcColumn;           // CSV: the cone resistance column's likewise
    int every = 1;                  // every n-th point of the file kept (and the last)
    std::vector<std::string> notes; // what reading the file skipped or left out, one line each
};

struct Sounding {
    int header = 0;  // the first number of the CPT file; not used
    std::vector<CptPoint> points;
    std::optional<SoundingFile> file;  // empty: the points are stated where the analysis is
};

struct Analysis {
    TitleBlock titles;
    UnitSystem units = UnitSystem::English;
    int outputStep = 1;                 // the tables print every outputStep-th row
    double deepestSoilDepth = 0.0;      // ft or m, the soil column divided into segments
    Pile pile;
    Methods methods;
    std::vector<ProfilePoint> soilProfile;
    // An input data file's soil point count below zero: it reads no point and the engine reports
    // the count as it stands. Empty: the number of points of soilProfile.
    std::optional<int> negativeSoilPointCount;
    Loading loading;
    AnalysisOptions options;
    LoadTransferTables loadTransfer;
    Sounding cpt;
    DesignLoads design;
};

// ---------------------------------------------------------------------------------------------
// Input data files

// Reads an input data file and its CPT file into a model. Throws InputError (status 2 of a run).
Analysis readInputDeck(std::istream& deck, const std::string& deckName, std::istream& cpt, const std::string& cptName);
// An empty `cpt` path: a sounding with no points.
Analysis readInputDeck(const std::filesystem::path& deck, const std::filesystem::path& cpt);
// Reads only a CPT file.
Sounding readCptSounding(std::istream& cpt, const std::string& cptName);

// Writes the input data file of a model (every number as the shortest text that reads back to the
// same value) and its CPT file. Throws InputError for a model that a deck cannot state (a text
// with a line break, a number that is not finite, a table beyond its capacity).
void writeInputDeck(const Analysis& analysis, std::ostream& deck);
void writeCptFile(const Sounding& cpt, std::ostream& out);

// Throws InputError, naming the value, for what an input data file cannot state and the engine
// cannot take: a text with a line break, a number that is not finite, a table beyond its
// capacity, a switch that contradicts its table.
void checkStatable(const Analysis& analysis);

// The shortest text that reads back to the same double.
std::string shortestNumberText(double value);

// A value times a power of ten, exact in its decimals: the decimal point of the value's shortest text
// moved (0.0013 m is 1.3 mm, and 1.3 mm reads back as 0.0013 m). A value that is not finite stays.
double shiftedDecimal(double value, int powerOfTen);

// The depth the engine takes as the water table (for the buoyancy of a pile's self weight): that of
// the first soil point whose effective unit weight is below 75 pcf (English) or 12 kN/m3 (SI);
// empty when there is none or the unit system is neither.
std::optional<double> assumedWaterTableDepth(const Analysis& analysis);

// ---------------------------------------------------------------------------------------------
// Runs

// Runs an analysis held in memory: no input file is read. The report and the plot-data file go
// where options.report and options.plot name them; one that is not named is kept as text in
// options.result (reportText, plotText). The header names options.sourceName as the input
// file, or says that the analysis was given in memory when it is empty; options.sourceKind says
// in whose words the messages name a value.
RunStatus runAnalysis(const Analysis& analysis, const RunOptions& options = {});


// Every problem the engine's own input checks find in an analysis, without running it: the same
// list, in the same order, that a run of it acts on and keeps in AnalysisResult::problems (stops,
// warnings and advisories), and the status the run would end with: 0 when nothing stops it, 1 when
// it would stop on its input, 2 when the model cannot be loaded. Only what running alone finds (a
// number that is not finite on its way into a table) is not in it. `sourceName` is the file the
// analysis was read from, named in each problem.
struct CheckOutcome {
    RunStatus status = kRunCompleted;
    std::vector<Problem> problems;
};
CheckOutcome checkAnalysis(const Analysis& analysis, ValueSource source = ValueSource::Program,
                           const SourceLines* sourceLines = nullptr, const std::string& sourceName = {});

// The advisory of a run of an input data file for which no CPT file is named while one with the
// deck's name and the extension .cpt lies beside it; nothing otherwise.
std::optional<Problem> unreadCptFileAdvisory(const std::filesystem::path& deck, const std::filesystem::path& cpt);

// ---------------------------------------------------------------------------------------------
// The field tables: one entry per value of the model.

enum class FieldType { Real, Integer, Switch, Choice, Text };

// The sensible values of a number, in the field's unit of each unit system: what lies outside is
// what no soil or pile has (the limits are wide; they do not reject the unusual). A bound may be
// excluded (a friction angle below 90 degrees). A value of zero that means "not given" (the program
// then uses its own value) is allowed whatever the bounds; where zero or less means "not given",
// down to the greatest value below zero (the values of a layer are interpolated in depth, which no
// number of 1E+308 survives).
struct ValueBounds {
    double least = -std::numeric_limits<double>::infinity();
    double greatest = std::numeric_limits<double>::infinity();
};
struct ValueLimits {
    ValueBounds english;
    ValueBounds si;
    bool leastExcluded = false;
    bool greatestExcluded = false;
    bool zeroNotGiven = false;
    bool nonPositiveNotGiven = false;  // -greatest to 0: not given (a peak movement, a residual ratio, ...)

    const ValueBounds& bounds(UnitSystem units) const { return units == UnitSystem::SI ? si : english; }
    bool limited() const {
        return std::isfinite(english.least) || std::isfinite(english.greatest) || std::isfinite(si.least) ||
               std::isfinite(si.greatest);
    }
    // Whether a value lies within the limits of a unit system; NaN never does.
    bool allows(double value, UnitSystem units) const {
        if (zeroNotGiven && value == 0.0) return true;
        const ValueBounds& b = bounds(units);
        if (nonPositiveNotGiven && value <= 0.0 && value >= -b.greatest) return true;
        const bool aboveLeast = leastExcluded ? value > b.least : value >= b.least;
        const bool belowGreatest = greatestExcluded ? value < b.greatest : value <= b.greatest;
        return aboveLeast && belowGreatest;
    }
};

// The allowed range as the messages and the documentation write it ("0 to below 90 deg", "1 to 1000,
// or 0: not given"); `unit` is written after each bound when it is not empty.
std::string limitsText(const ValueLimits& limits, UnitSystem units, std::string_view unit);

struct ChoiceName {
    int code;
    std::string_view name;  // the first name of a code is the one written; others are accepted
};

// A value of an Owner (Analysis, Pile, ProfilePoint, ...). Accessors work on the value as an int
// (Integer, Switch and Choice), a double (Real) or a string (Text).
template <class Owner>
struct FieldInfo {
    std::string_view key;          // snake_case name in project files and in Python
    FieldType type;
    std::string_view englishUnit;  // empty: no unit
    std::string_view siUnit;
    std::string_view meaning;
    bool required;                 // a project file must give it
    std::string_view defaultNote;  // the default when it is not the model's own default value
    double (*getReal)(const Owner&) = nullptr;
    void (*setReal)(Owner&, double) = nullptr;
    int (*getInt)(const Owner&) = nullptr;
    void (*setInt)(Owner&, int) = nullptr;
    std::string (*getText)(const Owner&) = nullptr;
    void (*setText)(Owner&, const std::string&) = nullptr;
    std::span<const ChoiceName> choices{};
    ValueLimits limits{};          // Real and Integer fields; none for the others
};

std::span<const FieldInfo<Analysis>> analysisFields();     // top level: titles, units, output step, soil depth
std::span<const FieldInfo<Pile>> pileFields();
std::span<const FieldInfo<AreaTableRow>> areaRowFields();
std::span<const FieldInfo<Methods>> methodFields();        // the selection itself is the list `selected`
std::span<const FieldInfo<ProfilePoint>> soilPointFields();   // depth first
std::span<const FieldInfo<Loading>> loadingFields();
std::span<const FieldInfo<AnalysisOptions>> optionFields();
std::span<const FieldInfo<TzModifier>> tzModifierFields();
std::span<const FieldInfo<TipCurveFactors>> tipCurveFactorFields();
std::span<const FieldInfo<CptPoint>> cptPointFields();
// The switches of LoadTransferTables (Integer fields; kAbsentSwitch when not given).
std::span<const FieldInfo<LoadTransferTables>> loadTransferSwitchFields();
// The lists of plain numbers of LoadTransferTables, one entry for any element of the list:
// verification_depths and tip_movements (Real fields; the accessors read and write the element).
std::span<const FieldInfo<double>> loadTransferListFields();
// [design]: factor_of_safety, and the element of its list `loads` (the accessors read and write the
// element).
std::span<const FieldInfo<DesignLoads>> designFields();
const FieldInfo<double>& designLoadField();
inline constexpr int kAbsentSwitch = -2147483647 - 1;
std::span<const ChoiceName> methodNames();
std::span<const ChoiceName> soilTypeNames();

// The part of the model whose values a field table holds, as a field's path begins ("" at the top
// level, "pile", "pile.area_table", "methods", "soil_profile", "loading", "options",
// "load_transfer" (its switches and its lists of plain numbers), "load_transfer.modifiers",
// "load_transfer.tip_curve_factors", "cpt.points", "design").
template <class Owner>
constexpr std::string_view modelPartOf() {
    if constexpr (std::is_same_v<Owner, Pile>) return "pile";
    else if constexpr (std::is_same_v<Owner, AreaTableRow>) return "pile.area_table";
    else if constexpr (std::is_same_v<Owner, Methods>) return "methods";
    else if constexpr (std::is_same_v<Owner, ProfilePoint>) return "soil_profile";
    else if constexpr (std::is_same_v<Owner, Loading>) return "loading";
    else if constexpr (std::is_same_v<Owner, AnalysisOptions>) return "options";
    else if constexpr (std::is_same_v<Owner, LoadTransferTables> || std::is_same_v<Owner, double>) return "load_transfer";
    else if constexpr (std::is_same_v<Owner, TzModifier>) return "load_transfer.modifiers";
    else if constexpr (std::is_same_v<Owner, TipCurveFactors>) return "load_transfer.tip_curve_factors";
    else if constexpr (std::is_same_v<Owner, CptPoint>) return "cpt.points";
    else if constexpr (std::is_same_v<Owner, DesignLoads>) return "design";
    else return "";
}

// Where a value sits in the input data file or the CPT file ("record 5, value 3", "line 1",
// "record 10b, value 4 (not for sand)", "CPT file, value 1 of a point"; "not stated" for a value
// that neither file holds), from the files' layout.
std::string deckPlace(std::string_view part, std::string_view key);
template <class Owner>
std::string deckPlace(const FieldInfo<Owner>& f) {
    return deckPlace(modelPartOf<Owner>(), f.key);
}

// The entry of a field by its key; nullptr when the table has none.
template <class Owner>
const FieldInfo<Owner>* findField(std::span<const FieldInfo<Owner>> fields, std::string_view key) {
    for (const FieldInfo<Owner>& f : fields) {
        if (f.key == key) return &f;
    }
    return nullptr;
}

// The unit of a field in a unit system ("" when it has none).
template <class Owner>
std::string_view fieldUnit(const FieldInfo<Owner>& f, UnitSystem units) {
    return units == UnitSystem::SI ? f.siUnit : f.englishUnit;
}

// ---------------------------------------------------------------------------------------------
// Values out of range

// Every value of an analysis outside the limits of its field, in the order of the model, as stops
// of code "out_of_range" (value, unit, allowed range, the key of a project file as the path, and the
// place of an input data file when it came from one). Values whose unit depends on the unit system
// are checked only when it is English or SI. Values that are not finite are reported too (they are
// outside every range).
std::vector<Problem> checkRanges(const Analysis& analysis, ValueSource source = ValueSource::Program);

// Whether the soil points pair into layers from the top down (top and bottom of each, in order):
// a project file gives such a profile as [[layers]], others as [[soil_points]].
bool pairsIntoLayers(const std::vector<ProfilePoint>& points);

// The code of a choice name (case, blanks, hyphens, underscores and slashes ignored), or nothing.
std::optional<int> choiceCode(std::span<const ChoiceName> choices, std::string_view name);
// The written name of a code, or empty when the code has none.
std::string_view choiceName(std::span<const ChoiceName> choices, int code);

}  // namespace vorta
