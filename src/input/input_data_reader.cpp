// The input data file (records 1 to 18) and the CPT file, read front to back into the analysis
// model, values as written.
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {
namespace {

constexpr std::size_t kTitleWidth = 72;

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

// Values are read into locals that start as the engine's cleared state does, so that a null value
// (two commas) or a value after a slash leaves what the engine would have had.
int readInt(FreeFormatReader& in, std::string_view what) {
    int v = 0;
    in.read(v, what);
    return v;
}

double readReal(FreeFormatReader& in, std::string_view what, double initial = 0.0) {
    double v = initial;
    in.read(v, what);
    return v;
}

// A switch of an optional table kept only when it does not follow from the table's rows.
std::optional<int> keptSwitch(int flag, bool hasRows) {
    if (flag == (hasRows ? 1 : 0)) return std::nullopt;
    return flag;
}

void readPileRecords(Analysis& a, FreeFormatReader& in, int& soilPointCount) {
    Pile& p = a.pile;
    const std::string record4 = "record 4 (units, output step, soil points, tip closure)";
    in.beginRecord(record4);
    a.units = static_cast<UnitSystem>(readInt(in, "the unit system"));
    a.outputStep = readInt(in, "the output step");
    soilPointCount = readInt(in, "the number of soil points");
    p.tip = static_cast<TipClosure>(readInt(in, "the tip closure"));
    in.endRecord();
    checkCount(in, record4, "the number of soil points", soilPointCount, kMaxSoilPoints);

    in.beginRecord("record 5 (pile section and length)");
    p.perimeter = readReal(in, "the perimeter");
    p.tipArea = readReal(in, "the tip area");
    p.outsideDiameter = readReal(in, "the outside diameter");
    p.insideDiameter = readReal(in, "the inside diameter");
    p.elasticModulus = readReal(in, "the modulus of elasticity");
    p.length = readReal(in, "the pile length");
    p.stickup = readReal(in, "the stickup length");
    in.endRecord();

    in.beginRecord("record 6 (enhanced end section and batter)");
    p.enhancedEndLength = readReal(in, "the length of the enhanced end section");
    p.enhancedEndInsideDiameter = readReal(in, "the inside diameter of the enhanced end section");
    p.batterAngle = readReal(in, "the batter angle");
    in.endRecord();

    in.beginRecord("record 7 (zero friction length, increment, pile type and options)");
    p.zeroFrictionLength = readReal(in, "the zero friction length");
    p.lengthIncrement = readReal(in, "the increment of pile length");
    p.type = static_cast<PileType>(readInt(in, "the pile type"));
    p.taperAngle = readReal(in, "the taper angle");
    a.methods.loadTransfer = static_cast<Method>(readInt(in, "the method for unit load transfers"));
    a.methods.cptMethods = readInt(in, "the CPT methods flag");
    a.methods.reducedSideFriction = readInt(in, "the reduced side friction flag");
    in.endRecord();

    in.beginRecord("record 8 (selected methods)");
    for (int code = 1; code <= kMethodCountInModel; ++code) {
        a.methods.selected[static_cast<std::size_t>(code - 1)] =
            readInt(in, "the selection flag of method " + std::to_string(code));
    }
    in.endRecord();

    in.beginRecord("record 9 (deepest soil depth and cross-section area)");
    a.deepestSoilDepth = readReal(in, "the deepest soil depth");
    p.crossSectionArea = readReal(in, "the cross-section area");
    in.endRecord();
}

ProfilePoint readSoilPoint(FreeFormatReader& in, int k) {
    const std::string point = "soil point " + std::to_string(k);
    double column[kSoilColumns + 1] = {};
    double depth = 0.0;

    in.beginRecord(point + ", first record");
    in.read(depth, "the depth");
    in.read(column[kColSoilType], "the soil type");
    in.read(column[kColLateralK], "the lateral earth pressure coefficient");
    in.read(column[kColEffUnitWeight], "the effective unit weight");
    in.read(column[kColFrictionAngle], "the friction angle");
    in.read(column[kColBearingFactorNq], "the bearing capacity factor");
    in.endRecord();
    // The soil type is a code; a fraction would be read as no type at all by some rules and as
    // the nearest type by others.
    const double type = column[kColSoilType];
    if (!(type == std::floor(type) && std::fabs(type) < 1.0e9)) {
        throw InputError(in.fileName() + ", line " + std::to_string(in.lineNumber()) + " (" + point +
                         ", first record): expected a whole number for the soil type (1 sand, 2 clay, 3 silt), "
                         "found " + shortestNumberText(type));
    }

    static constexpr const char* kSecondRecordNames[] = {
        "the maximum unit friction",  "the maximum unit bearing",     "the undisturbed shear strength",
        "the remolded shear strength", "the blow count or yield stress ratio", "the plasticity index",
        "the cone resistance qc",     "the user unit skin friction",  "the user unit end bearing",
        "the LRFD factor on unit friction", "the LRFD factor on unit bearing", "the t-z parameter 1",
        "the t-z parameter 2",        "the t-z parameter 3"};
    in.beginRecord(point + ", second record");
    for (int col = kColMaxUnitFriction; col <= kColTzParam3; ++col) {
        in.read(column[col], kSecondRecordNames[col - kColMaxUnitFriction]);
    }
    in.endRecord();

    ProfilePoint p;
    p.depth = depth;
    p.soilType = static_cast<SoilType>(static_cast<int>(type));
    p.lateralEarthPressure = column[kColLateralK];
    p.effectiveUnitWeight = column[kColEffUnitWeight];
    p.frictionAngle = column[kColFrictionAngle];
    p.bearingCapacityFactor = column[kColBearingFactorNq];
    p.maxUnitFriction = column[kColMaxUnitFriction];
    p.maxUnitBearing = column[kColMaxUnitBearing];
    p.shearStrength = column[kColShearStrength];
    // Sand carries its blow count in the remolded-strength position.
    if (p.soilType == SoilType::Sand) {
        p.remoldedStrength = 0.0;
        p.blowCountOrYieldStressRatio = column[kColRemoldedStrength];
        p.unusedSandColumn10 = column[kColBlowCountOrYsr];
    } else {
        p.remoldedStrength = column[kColRemoldedStrength];
        p.blowCountOrYieldStressRatio = column[kColBlowCountOrYsr];
    }
    p.plasticityIndex = column[kColPlasticityIndex];
    p.coneResistance = column[kColPointQc];
    p.userUnitFriction = column[kColUserUnitFriction];
    p.userUnitBearing = column[kColUserUnitBearing];
    p.lrfdFrictionFactor = column[kColLrfdFrictionFactor];
    p.lrfdBearingFactor = column[kColLrfdBearingFactor];
    p.adhesionCaseOrTipMovement = column[kColTzParam1];
    p.peakMovement = column[kColTzParam2];
    p.residualRatio = column[kColTzParam3];
    return p;
}

void readOptionalTables(Analysis& a, FreeFormatReader& in) {
    LoadTransferTables& t = a.loadTransfer;
    in.beginRecord("record 11 (t-z verification flag)");
    const int verificationFlag = readInt(in, "the t-z verification flag");
    in.endRecord();
    if (verificationFlag == 1) {
        in.beginRecord("record 11a (number of t-z verification depths)");
        const int count = readInt(in, "the number of t-z verification depths");
        in.endRecord();
        checkCount(in, "record 11a (number of t-z verification depths)", "the number of t-z verification depths",
                   count, kMaxVerificationDepths);
        for (int i = 1; i <= rowsToRead(count); ++i) {
            in.beginRecord("record 11b (t-z verification depth " + std::to_string(i) + ")");
            t.verificationDepths.push_back(readReal(in, "the verification depth"));
            in.endRecord();
        }
    }
    t.verificationSwitch = keptSwitch(verificationFlag, !t.verificationDepths.empty());

    in.beginRecord("record 12 (loading type and tension reduction factor)");
    a.loading.type = static_cast<LoadingType>(readInt(in, "the loading type"));
    a.loading.tensionReductionFactor = readReal(in, "the tension reduction factor", 1.0);
    in.endRecord();

    in.beginRecord("record 13 (ICP/MTD clay condition, plug condition, long pile option)");
    a.options.icpDrainedClay = readInt(in, "the ICP/MTD clay condition");
    a.options.plugCondition = static_cast<PlugCondition>(readInt(in, "the plug condition"));
    a.options.longPileOption = readInt(in, "the long pile option");
    in.endRecord();

    in.beginRecord("record 14 (area rows and area option)");
    const int areaRows = readInt(in, "the number of area rows");
    a.pile.axialArea = static_cast<AxialAreaSource>(readInt(in, "the area option"));
    in.endRecord();
    checkCount(in, "record 14 (area rows and area option)", "the number of area rows", areaRows, kMaxAreaRows);
    // The rows are read whatever the option, as the front end writes them.
    for (int i = 1; i <= rowsToRead(areaRows); ++i) {
        in.beginRecord("record 14a (area row " + std::to_string(i) + ")");
        AreaTableRow row;
        row.distance = readReal(in, "the distance from the pile top");
        row.area = readReal(in, "the cross-section area");
        in.endRecord();
        a.pile.areaTable.push_back(row);
    }

    in.beginRecord("record 15 (critical depth method and critical depth)");
    a.options.criticalDepthRule = static_cast<CriticalDepthRule>(readInt(in, "the critical depth method"));
    a.options.criticalDepth = readReal(in, "the critical depth");
    in.endRecord();

    in.beginRecord("record 16 (t-z modifier flag)");
    const int modifierFlag = readInt(in, "the t-z modifier flag");
    in.endRecord();
    if (modifierFlag == 1) {
        in.beginRecord("record 16a (number of t-z modifier rows)");
        const int count = rowsToRead(readInt(in, "the number of t-z modifier rows"));
        in.endRecord();
        checkCount(in, "record 16a (number of t-z modifier rows)", "the number of t-z modifier rows", count,
                   kMaxModifierRows);
        // A count of 1 reads no row.
        if (count > 1) {
            for (int i = 1; i <= count; ++i) {
                in.beginRecord("record 16b (t-z modifier row " + std::to_string(i) + ")");
                TzModifier row;
                row.depth = readReal(in, "the depth");
                row.loadFactor = readReal(in, "the load-transfer factor");
                row.movementFactor = readReal(in, "the movement factor");
                in.endRecord();
                t.modifiers.push_back(row);
            }
        } else if (count == 1) {
            t.modifierCount = 1;
        }
    }
    t.modifierSwitch = keptSwitch(modifierFlag, !t.modifiers.empty());

    in.beginRecord("record 17 (tip movement list flag)");
    const int tipMovementFlag = readInt(in, "the tip movement list flag");
    in.endRecord();
    if (tipMovementFlag == 1) {
        in.beginRecord("record 17a (number of tip movements)");
        const int count = readInt(in, "the number of tip movements");
        in.endRecord();
        checkCount(in, "record 17a (number of tip movements)", "the number of tip movements", count,
                   kMaxTipMovements);
        for (int i = 1; i <= rowsToRead(count); ++i) {
            in.beginRecord("record 17b (tip movement " + std::to_string(i) + ")");
            // In m in an SI input data file; in mm in the model, as every movement.
            const double movement = readReal(in, "the tip movement");
            t.tipMovements.push_back(a.units == UnitSystem::SI ? shiftedDecimal(movement, 3) : movement);
            in.endRecord();
        }
    }
    t.tipMovementSwitch = keptSwitch(tipMovementFlag, !t.tipMovements.empty());

    in.beginRecord("record 18 (tip curve factor flag)");
    const int tipCurveFlag = readInt(in, "the tip curve factor flag");
    in.endRecord();
    if (tipCurveFlag == 1) {
        in.beginRecord("record 18a (tip curve factors)");
        TipCurveFactors f;
        f.loadFactor = readReal(in, "the tip curve load factor");
        f.movementFactor = readReal(in, "the tip curve movement factor");
        in.endRecord();
        t.tipCurveFactors = f;
    }
    t.tipCurveFactorSwitch = keptSwitch(tipCurveFlag, t.tipCurveFactors.has_value());
}

}  // namespace

Analysis readInputRecords(FreeFormatReader& in) {
    Analysis a;
    a.titles.title = trimmedLine(in.readLine("record 1 (title)", kTitleWidth));
    a.titles.designer = trimmedLine(in.readLine("record 2 (designer)", kTitleWidth));
    a.titles.jobNumber = trimmedLine(in.readLine("record 3 (job number)", kTitleWidth));
    int soilPointCount = 0;
    readPileRecords(a, in, soilPointCount);
    for (int k = 1; k <= soilPointCount; ++k) a.soilProfile.push_back(readSoilPoint(in, k));
    if (soilPointCount < 0) a.negativeSoilPointCount = soilPointCount;
    readOptionalTables(a, in);
    return a;
}

Sounding readCptRecords(FreeFormatReader& in) {
    Sounding c;
    in.beginRecord("record 1 (CPT header and number of points)");
    c.header = readInt(in, "the CPT header");
    const int count = readInt(in, "the number of CPT points");
    in.endRecord();
    checkCount(in, "record 1 (CPT header and number of points)", "the number of CPT points", count, kMaxCptPoints);
    for (int i = 1; i <= rowsToRead(count); ++i) {
        in.beginRecord("CPT point " + std::to_string(i));
        CptPoint p;
        p.depth = readReal(in, "the depth");
        p.coneResistance = readReal(in, "the cone resistance qc");
        in.endRecord();
        c.points.push_back(p);
    }
    return c;
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
