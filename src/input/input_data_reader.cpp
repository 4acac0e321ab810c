// The input data file (records 1 to 18) and the CPT file, read front to back with the
// normalisations that turn the values as written by the front end into working values.
#include <string>

#include "engine/constants.h"
#include "input/input.h"

namespace vorta {
namespace {

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

void readPileRecords(InputData& d, FreeFormatReader& in) {
    in.beginRecord("record 4 (units, output step, soil points, tip closure)");
    in.read(d.unitSystem, "the unit system");
    in.read(d.outputStep, "the output step");
    in.read(d.soilPointCount, "the number of soil points");
    in.read(d.tipClosure, "the tip closure");
    in.endRecord();
    checkCount(in, "record 4 (units, output step, soil points, tip closure)", "the number of soil points",
               d.soilPointCount, kMaxSoilPoints);

    in.beginRecord("record 5 (pile section and length)");
    in.read(d.perimeter, "the perimeter");
    in.read(d.tipArea, "the tip area");
    in.read(d.outsideDiameter, "the outside diameter");
    in.read(d.insideDiameter, "the inside diameter");
    in.read(d.elasticModulus, "the modulus of elasticity");
    in.read(d.pileLength, "the pile length");
    in.read(d.stickupLength, "the stickup length");
    in.endRecord();
    // The echo shows the section as written; a non-circular pile is worked as the solid circle
    // of equal perimeter, and the English tip area in square feet.
    d.outsideDiameterAsRead = d.outsideDiameter;
    d.tipAreaAsRead = d.tipArea;
    d.totalPileLengthAsRead = d.pileLength;
    if (d.unitSystem == kEnglish) d.tipArea = d.tipArea / 144.0;
    if (d.perimeter > sp(1.0e-10)) {
        d.outsideDiameter = d.perimeter / sp(3.1416);
        d.insideDiameter = 0.0;
    }

    in.beginRecord("record 6 (enhanced end section and batter)");
    in.read(d.enhancedEndLength, "the length of the enhanced end section");
    in.read(d.enhancedEndInsideDiameter, "the inside diameter of the enhanced end section");
    in.read(d.batterAngle, "the batter angle");
    in.endRecord();
    d.batterAngleAsRead = d.batterAngle;
    // No enhanced end section: one that spans the whole pile with its normal inside diameter.
    if (d.enhancedEndLength < sp(1.0e-5)) {
        d.enhancedEndInsideDiameter = d.insideDiameter;
        d.enhancedEndLength = d.pileLength - sp(1.0e-7);
    }

    in.beginRecord("record 7 (zero friction length, increment, pile type and options)");
    in.read(d.zeroFrictionLength, "the zero friction length");
    in.read(d.lengthIncrement, "the increment of pile length");
    in.read(d.pileType, "the pile type");
    in.read(d.taperAngle, "the taper angle");
    in.read(d.loadTransferMethod, "the method for unit load transfers");
    in.read(d.cptMethodsFlag, "the CPT methods flag");
    in.read(d.reducedSideFriction, "the reduced side friction flag");
    in.endRecord();

    in.beginRecord("record 8 (selected methods)");
    for (int code = 1; code <= static_cast<int>(kMethodCount); ++code) {
        in.read(d.methodSelected[code], "the selection flag of method " + std::to_string(code));
    }
    in.endRecord();

    in.beginRecord("record 9 (deepest soil depth and cross-section area)");
    in.read(d.deepestSoilDepth, "the deepest soil depth");
    in.read(d.crossSectionArea, "the cross-section area");
    in.endRecord();
    d.axialArea = d.crossSectionArea;
}

void readSoilPoint(InputData& d, FreeFormatReader& in, int k) {
    d.frictionUnlimited[k] = 0;
    d.bearingUnlimited[k] = 0;
    SoilPoint& p = d.soilPoints[k];
    const std::string point = "soil point " + std::to_string(k);

    in.beginRecord(point + ", first record");
    in.read(p.depth, "the depth");
    in.read(p.column[kColSoilType], "the soil type");
    in.read(p.column[kColLateralK], "the lateral earth pressure coefficient");
    in.read(p.column[kColEffUnitWeight], "the effective unit weight");
    in.read(p.column[kColFrictionAngle], "the friction angle");
    in.read(p.column[kColBearingFactorNq], "the bearing capacity factor");
    in.endRecord();

    static constexpr const char* kSecondRecordNames[] = {
        "the maximum unit friction",  "the maximum unit bearing",     "the undisturbed shear strength",
        "the remolded shear strength", "the blow count or yield stress ratio", "the plasticity index",
        "the cone resistance qc",     "the user unit skin friction",  "the user unit end bearing",
        "the LRFD factor on unit friction", "the LRFD factor on unit bearing", "the t-z parameter 1",
        "the t-z parameter 2",        "the t-z parameter 3"};
    in.beginRecord(point + ", second record");
    for (int col = kColMaxUnitFriction; col <= kColTzParam3; ++col) {
        in.read(p.column[col], kSecondRecordNames[col - kColMaxUnitFriction]);
    }
    in.endRecord();
    d.tzParam1AsRead[k] = p.column[kColTzParam1];

    // Sand carries its blow count in the remolded-strength position.
    if (p.column[kColSoilType] == 1.0) {
        p.column[kColBlowCountOrYsr] = p.column[kColRemoldedStrength];
        p.column[kColRemoldedStrength] = 0.0;
    }
    if (d.unitSystem == kEnglish) {
        if (d.lightSoilDepth >= 99999.0 && p.column[kColEffUnitWeight] < 75.0) d.lightSoilDepth = p.depth;
        // psf to ksf
        p.column[kColMaxUnitFriction] = p.column[kColMaxUnitFriction] / 1000.0;
        p.column[kColMaxUnitBearing] = p.column[kColMaxUnitBearing] / 1000.0;
        p.column[kColShearStrength] = p.column[kColShearStrength] / 1000.0;
        p.column[kColRemoldedStrength] = p.column[kColRemoldedStrength] / 1000.0;
    } else if (d.unitSystem == kSi) {
        if (d.lightSoilDepth >= 99999.0 && p.column[kColEffUnitWeight] < 12.0) d.lightSoilDepth = p.depth;
        // mm to m for the t-z parameters
        p.column[kColTzParam1] = p.column[kColTzParam1] / 1000.0;
        p.column[kColTzParam2] = p.column[kColTzParam2] / 1000.0;
    }
    // A limit given as zero means no limit.
    if (p.column[kColMaxUnitFriction] < sp(1.0e-10)) {
        d.frictionUnlimited[k] = 1;
        p.column[kColMaxUnitFriction] = kNoLimit;
    }
    if (p.column[kColMaxUnitBearing] < sp(1.0e-10)) {
        d.bearingUnlimited[k] = 1;
        p.column[kColMaxUnitBearing] = kNoLimit;
    }
}

void readOptionalTables(InputData& d, FreeFormatReader& in) {
    in.beginRecord("record 11 (t-z verification flag)");
    in.read(d.tzOutputFlag, "the t-z verification flag");
    in.endRecord();
    d.tzOutputDepthCount = 0;
    if (d.tzOutputFlag == 1) {
        int count = 0;
        in.beginRecord("record 11a (number of t-z verification depths)");
        in.read(count, "the number of t-z verification depths");
        in.endRecord();
        checkCount(in, "record 11a (number of t-z verification depths)", "the number of t-z verification depths",
                   count, kMaxVerificationDepths);
        d.tzOutputDepthCount = rowsToRead(count);
        for (int i = 1; i <= d.tzOutputDepthCount; ++i) {
            in.beginRecord("record 11b (t-z verification depth " + std::to_string(i) + ")");
            in.read(d.tzOutputDepths[i], "the verification depth");
            in.endRecord();
        }
    }

    in.beginRecord("record 12 (loading type and tension reduction factor)");
    in.read(d.loadingType, "the loading type");
    in.read(d.tensionReductionFactor, "the tension reduction factor");
    in.endRecord();

    in.beginRecord("record 13 (ICP/MTD clay condition, plug condition, long pile option)");
    in.read(d.icpDrainedClay, "the ICP/MTD clay condition");
    in.read(d.plugCondition, "the plug condition");
    in.read(d.longPileOption, "the long pile option");
    in.endRecord();

    in.beginRecord("record 14 (area rows and area option)");
    in.read(d.areaRowCount, "the number of area rows");
    in.read(d.areaOption, "the area option");
    in.endRecord();
    checkCount(in, "record 14 (area rows and area option)", "the number of area rows", d.areaRowCount,
               kMaxAreaRows);
    d.areaRowCount = rowsToRead(d.areaRowCount);
    // The rows are read whatever the option, as the front end writes them.
    for (int i = 1; i <= d.areaRowCount; ++i) {
        in.beginRecord("record 14a (area row " + std::to_string(i) + ")");
        in.read(d.areaTable[i].distance, "the distance from the pile top");
        in.read(d.areaTable[i].area, "the cross-section area");
        in.endRecord();
    }

    in.beginRecord("record 15 (critical depth method and critical depth)");
    in.read(d.criticalDepthMethod, "the critical depth method");
    in.read(d.criticalDepth, "the critical depth");
    in.endRecord();

    in.beginRecord("record 16 (t-z modifier flag)");
    in.read(d.tzModifierFlag, "the t-z modifier flag");
    in.endRecord();
    d.tzModifierRowsRead = 0;
    if (d.tzModifierFlag == 1) {
        in.beginRecord("record 16a (number of t-z modifier rows)");
        in.read(d.tzModifierCount, "the number of t-z modifier rows");
        in.endRecord();
        checkCount(in, "record 16a (number of t-z modifier rows)", "the number of t-z modifier rows",
                   d.tzModifierCount, kMaxModifierRows);
        d.tzModifierCount = rowsToRead(d.tzModifierCount);
        // A count of 1 reads no row.
        if (d.tzModifierCount > 1) {
            for (int i = 1; i <= d.tzModifierCount; ++i) {
                in.beginRecord("record 16b (t-z modifier row " + std::to_string(i) + ")");
                in.read(d.tzModifierTable[i].depth, "the depth");
                in.read(d.tzModifierTable[i].loadFactor, "the load-transfer factor");
                in.read(d.tzModifierTable[i].movementFactor, "the movement factor");
                in.endRecord();
            }
            d.tzModifierRowsRead = d.tzModifierCount;
        }
    }

    in.beginRecord("record 17 (tip movement list flag)");
    in.read(d.tipMovementListFlag, "the tip movement list flag");
    in.endRecord();
    if (d.tipMovementListFlag == 1) {
        in.beginRecord("record 17a (number of tip movements)");
        in.read(d.tipMovementCount, "the number of tip movements");
        in.endRecord();
        checkCount(in, "record 17a (number of tip movements)", "the number of tip movements", d.tipMovementCount,
                   kMaxTipMovements);
        d.tipMovementCount = rowsToRead(d.tipMovementCount);
        for (int i = 1; i <= d.tipMovementCount; ++i) {
            in.beginRecord("record 17b (tip movement " + std::to_string(i) + ")");
            in.read(d.tipMovements[i], "the tip movement");
            in.endRecord();
        }
    }

    in.beginRecord("record 18 (tip curve factor flag)");
    in.read(d.tipCurveFactorFlag, "the tip curve factor flag");
    in.endRecord();
    if (d.tipCurveFactorFlag == 1) {
        in.beginRecord("record 18a (tip curve factors)");
        in.read(d.tipCurveLoadFactor, "the tip curve load factor");
        in.read(d.tipCurveMovementFactor, "the tip curve movement factor");
        in.endRecord();
    }
}

}  // namespace

void readInputData(AnalysisState& s, FreeFormatReader& in) {
    InputData& d = s.input;
    d.title = in.readLine("record 1 (title)", 72);
    d.designer = in.readLine("record 2 (designer)", 72);
    d.jobNumber = in.readLine("record 3 (job number)", 72);
    readPileRecords(d, in);
    for (int k = 1; k <= d.soilPointCount; ++k) readSoilPoint(d, in, k);
    readOptionalTables(d, in);
}

void readCptFile(AnalysisState& s, FreeFormatReader& in) {
    CptSounding& c = s.input.cptSounding;
    in.beginRecord("record 1 (CPT header and number of points)");
    in.read(c.cptHeader, "the CPT header");
    in.read(c.cptPointCount, "the number of CPT points");
    in.endRecord();
    checkCount(in, "record 1 (CPT header and number of points)", "the number of CPT points", c.cptPointCount,
               kMaxCptPoints);
    c.cptPointCount = rowsToRead(c.cptPointCount);
    for (int i = 1; i <= c.cptPointCount; ++i) {
        in.beginRecord("CPT point " + std::to_string(i));
        in.read(c.cptDepth[i], "the depth");
        in.read(c.cptQc[i], "the cone resistance qc");
        in.endRecord();
    }
}

}  // namespace vorta
