// The one way into a run: the analysis model, values as written, becomes the engine's InputData,
// with the normalisations and unit conversions made in the order of the input data file's records
// (the soil columns in the order of its layout).
#include <cmath>
#include <string>

#include "engine/constants.h"
#include "input/deck_layout.h"
#include "input/input.h"

namespace vorta {
namespace {


std::string titleField(const std::string& text) {
    std::string field = text.substr(0, kTitleWidth);
    field.append(kTitleWidth - field.size(), ' ');
    return field;
}

[[noreturn]] void cannotState(const std::string& what) { throw InputError("the analysis: " + what); }

void checkSize(std::size_t size, std::size_t limit, const std::string& what) {
    if (size > limit) {
        cannotState(what + " has " + std::to_string(size) + " rows, more than the limit of " + std::to_string(limit));
    }
}

void checkText(const std::string& text, std::string_view key) {
    if (text.find_first_of("\r\n") != std::string::npos) cannotState(std::string(key) + " must be one line of text");
}

template <class Owner>
void checkFinite(std::span<const FieldInfo<Owner>> fields, const Owner& owner, const std::string& where) {
    for (const FieldInfo<Owner>& f : fields) {
        if (f.type == FieldType::Real && !std::isfinite(f.getReal(owner))) {
            cannotState(where + std::string(f.key) + " is not a finite number");
        }
    }
}

}  // namespace

void checkStatable(const Analysis& a) {
    checkText(a.titles.title, "title");
    checkText(a.titles.designer, "designer");
    checkText(a.titles.jobNumber, "job_number");
    checkFinite(analysisFields(), a, "");
    checkFinite(pileFields(), a.pile, "pile: ");
    checkFinite(loadingFields(), a.loading, "loading: ");
    checkFinite(optionFields(), a.options, "options: ");
    checkSize(a.soilProfile.size(), kMaxSoilPoints, "the soil profile");
    if (a.negativeSoilPointCount && (*a.negativeSoilPointCount >= 0 || !a.soilProfile.empty()))
        cannotState("soil_point_count restates only a count below zero, with no soil point");
    for (std::size_t k = 0; k < a.soilProfile.size(); ++k) {
        checkFinite(soilPointFields(), a.soilProfile[k], "soil point " + std::to_string(k + 1) + ": ");
        if (!std::isfinite(a.soilProfile[k].unusedSandColumn10)) cannotState("a soil point holds a number that is not finite");
    }
    checkSize(a.pile.areaTable.size(), kMaxAreaRows, "the area table");
    for (const AreaTableRow& r : a.pile.areaTable) checkFinite(areaRowFields(), r, "area table: ");
    const LoadTransferTables& t = a.loadTransfer;
    checkSize(t.verificationDepths.size(), kMaxVerificationDepths, "the list of verification depths");
    checkSize(t.modifiers.size(), kMaxModifierRows, "the t-z modifier table");
    checkSize(t.tipMovements.size(), kMaxTipMovements, "the list of tip movements");
    checkSize(a.cpt.points.size(), kMaxCptPoints, "the CPT sounding");
    for (double v : t.verificationDepths) {
        if (!std::isfinite(v)) cannotState("a verification depth is not a finite number");
    }
    for (double v : t.tipMovements) {
        if (!std::isfinite(v)) cannotState("a tip movement is not a finite number");
    }
    for (const TzModifier& m : t.modifiers) checkFinite(tzModifierFields(), m, "t-z modifier: ");
    if (t.tipCurveFactors) checkFinite(tipCurveFactorFields(), *t.tipCurveFactors, "tip curve factors: ");
    for (const CptPoint& p : a.cpt.points) checkFinite(cptPointFields(), p, "CPT point: ");
    checkSize(a.design.loads.size(), kMaxDesignLoads, "the list of design loads");
    for (double v : a.design.loads) {
        if (!std::isfinite(v)) cannotState("a design load is not a finite number");
    }
    if (!std::isfinite(a.design.factorOfSafety)) cannotState("design: factor_of_safety is not a finite number");

    // A switch other than 1 reads no rows, and a table read by a count of 1 has none.
    if (!t.verificationDepths.empty() && switchOf(t.verificationSwitch, true) != 1)
        cannotState("verification depths are given but verification_flag is not 1");
    if (!t.modifiers.empty() && switchOf(t.modifierSwitch, true) != 1)
        cannotState("t-z modifiers are given but modifier_flag is not 1");
    if (t.modifierCount && (*t.modifierCount > 1 || !t.modifiers.empty()))
        cannotState("modifier_count restates only a count of 1 or less, which reads no row");
    if (!t.tipMovements.empty() && switchOf(t.tipMovementSwitch, true) != 1)
        cannotState("tip movements are given but tip_movement_flag is not 1");
    if (t.tipCurveFactors && switchOf(t.tipCurveFactorSwitch, true) != 1)
        cannotState("tip curve factors are given but tip_curve_factor_flag is not 1");
}

void loadInputData(AnalysisState& s, const Analysis& a) {
    checkStatable(a);
    InputData& d = s.input;
    const Pile& p = a.pile;
    d.title = titleField(a.titles.title);
    d.designer = titleField(a.titles.designer);
    d.jobNumber = titleField(a.titles.jobNumber);

    // Record 4.
    d.unitSystem = static_cast<int>(a.units);
    d.outputStep = a.outputStep;
    d.soilPointCount = a.negativeSoilPointCount.value_or(static_cast<int>(a.soilProfile.size()));
    d.tipClosure = static_cast<int>(p.tip);

    // Record 5. The echo shows the section as written; a non-circular pile is worked as the solid
    // circle of equal perimeter, and the English tip area in square feet.
    d.perimeter = p.perimeter;
    d.tipArea = p.tipArea;
    d.outsideDiameter = p.outsideDiameter;
    d.insideDiameter = p.insideDiameter;
    d.elasticModulus = p.elasticModulus;
    d.pileLength = p.length;
    d.stickupLength = p.stickup;
    d.outsideDiameterAsRead = d.outsideDiameter;
    d.tipAreaAsRead = d.tipArea;
    d.totalPileLengthAsRead = d.pileLength;
    if (d.unitSystem == kEnglish) d.tipArea = d.tipArea / 144.0;
    if (d.perimeter > sp(1.0e-10)) {
        d.outsideDiameter = d.perimeter / sp(3.1416);
        d.insideDiameter = 0.0;
    }

    // Record 6. No enhanced end section: one that spans the whole pile with its normal inside diameter.
    d.enhancedEndLength = p.enhancedEndLength;
    d.enhancedEndInsideDiameter = p.enhancedEndInsideDiameter;
    d.batterAngle = p.batterAngle;
    d.batterAngleAsRead = d.batterAngle;
    if (d.enhancedEndLength < sp(1.0e-5)) {
        d.enhancedEndInsideDiameter = d.insideDiameter;
        d.enhancedEndLength = d.pileLength - sp(1.0e-7);
        d.enhancedEndFollowsPile = true;
    }

    // Records 7 to 9.
    d.zeroFrictionLength = p.zeroFrictionLength;
    d.lengthIncrement = p.lengthIncrement;
    d.pileType = static_cast<int>(p.type);
    d.taperAngle = p.taperAngle;
    d.loadTransferMethod = static_cast<int>(a.methods.loadTransfer);
    d.cptMethodsFlag = a.methods.cptMethods;
    d.reducedSideFriction = a.methods.reducedSideFriction;
    for (int code = 1; code <= static_cast<int>(kMethodCount); ++code) {
        d.methodSelected[code] = a.methods.selected[static_cast<std::size_t>(code - 1)];
    }
    d.deepestSoilDepth = a.deepestSoilDepth;
    d.crossSectionArea = p.crossSectionArea;
    d.axialArea = d.crossSectionArea;

    // Records 10a and 10b, point by point.
    for (int k = 1; k <= static_cast<int>(a.soilProfile.size()); ++k) {
        const ProfilePoint& from = a.soilProfile[static_cast<std::size_t>(k - 1)];
        d.frictionUnlimited[k] = 0;
        d.bearingUnlimited[k] = 0;
        SoilPoint& pt = d.soilPoints[k];
        pt.depth = from.depth;
        for (int c = 1; c <= static_cast<int>(kSoilColumns); ++c) pt.column[c] = soilFieldAtColumn(from, c);
        d.tzParam1AsRead[k] = pt.column[kColTzParam1];
        // Sand has its blow count in column 10 and no remolded strength.
        if (pt.column[kColSoilType] == 1.0) pt.column[kColRemoldedStrength] = 0.0;
        if (d.unitSystem == kEnglish) {
            if (d.lightSoilDepth >= 99999.0 && pt.column[kColEffUnitWeight] < kLightUnitWeightEnglish) d.lightSoilDepth = pt.depth;
            // psf to ksf
            pt.column[kColMaxUnitFriction] = pt.column[kColMaxUnitFriction] / 1000.0;
            pt.column[kColMaxUnitBearing] = pt.column[kColMaxUnitBearing] / 1000.0;
            pt.column[kColShearStrength] = pt.column[kColShearStrength] / 1000.0;
            pt.column[kColRemoldedStrength] = pt.column[kColRemoldedStrength] / 1000.0;
        } else if (d.unitSystem == kSi) {
            if (d.lightSoilDepth >= 99999.0 && pt.column[kColEffUnitWeight] < kLightUnitWeightSi) d.lightSoilDepth = pt.depth;
            // mm to m for the t-z parameters
            pt.column[kColTzParam1] = pt.column[kColTzParam1] / 1000.0;
            pt.column[kColTzParam2] = pt.column[kColTzParam2] / 1000.0;
        }
        // A limit given as zero means no limit.
        if (pt.column[kColMaxUnitFriction] < sp(1.0e-10)) {
            d.frictionUnlimited[k] = 1;
            pt.column[kColMaxUnitFriction] = kNoLimit;
        }
        if (pt.column[kColMaxUnitBearing] < sp(1.0e-10)) {
            d.bearingUnlimited[k] = 1;
            pt.column[kColMaxUnitBearing] = kNoLimit;
        }
    }

    // Record 11: verification depths (a model that holds them has its switch at 1).
    const LoadTransferTables& t = a.loadTransfer;
    d.tzOutputDepthCount = static_cast<int>(t.verificationDepths.size());
    for (int i = 1; i <= d.tzOutputDepthCount; ++i) d.tzOutputDepths[i] = t.verificationDepths[static_cast<std::size_t>(i - 1)];

    // Records 12 to 15.
    d.loadingType = static_cast<int>(a.loading.type);
    d.tensionReductionFactor = a.loading.tensionReductionFactor;
    d.icpDrainedClay = a.options.icpDrainedClay;
    d.plugCondition = static_cast<int>(a.options.plugCondition);
    d.longPileOption = a.options.longPileOption;
    d.areaRowCount = static_cast<int>(p.areaTable.size());
    d.areaOption = static_cast<int>(p.axialArea);
    for (int i = 1; i <= d.areaRowCount; ++i) {
        d.areaTable[i].distance = p.areaTable[static_cast<std::size_t>(i - 1)].distance;
        d.areaTable[i].area = p.areaTable[static_cast<std::size_t>(i - 1)].area;
    }
    d.criticalDepthMethod = static_cast<int>(a.options.criticalDepthRule);
    d.criticalDepth = a.options.criticalDepth;
    d.cptRowsAsDriven = a.options.cptRowsAsDriven;

    // Record 16: t-z modifiers. A count of 1 reads no row.
    d.tzModifierRowsRead = static_cast<int>(t.modifiers.size());
    for (int i = 1; i <= d.tzModifierRowsRead; ++i) {
        const TzModifier& m = t.modifiers[static_cast<std::size_t>(i - 1)];
        d.tzModifierTable[i] = TzModifierRow{m.depth, m.loadFactor, m.movementFactor};
    }

    // Record 17: tip movements.
    d.tipMovementListFlag = switchOf(t.tipMovementSwitch, !t.tipMovements.empty());
    d.tipMovementCount = d.tipMovementListFlag == 1 ? static_cast<int>(t.tipMovements.size()) : 0;
    // SI tip movements are worked in m.
    for (int i = 1; i <= d.tipMovementCount; ++i) {
        const double movement = t.tipMovements[static_cast<std::size_t>(i - 1)];
        d.tipMovements[i] = d.unitSystem == kSi ? shiftedDecimal(movement, -3) : movement;
    }

    // Record 18: tip-curve factors.
    d.tipCurveFactorFlag = switchOf(t.tipCurveFactorSwitch, t.tipCurveFactors.has_value());
    d.tipCurveLoadFactor = t.tipCurveFactors ? t.tipCurveFactors->loadFactor : 0.0;
    d.tipCurveMovementFactor = t.tipCurveFactors ? t.tipCurveFactors->movementFactor : 0.0;

    // The design loads.
    d.designLoadCount = static_cast<int>(a.design.loads.size());
    for (int i = 1; i <= d.designLoadCount; ++i) d.designLoads[i] = a.design.loads[static_cast<std::size_t>(i - 1)];
    d.factorOfSafety = a.design.factorOfSafety;
}

void loadSounding(AnalysisState& s, const Sounding& cpt) {
    checkSize(cpt.points.size(), kMaxCptPoints, "the CPT sounding");
    CptSounding& c = s.input.cptSounding;
    c.cptHeader = cpt.header;
    c.cptPointCount = static_cast<int>(cpt.points.size());
    for (int i = 1; i <= c.cptPointCount; ++i) {
        c.cptDepth[i] = cpt.points[static_cast<std::size_t>(i - 1)].depth;
        c.cptQc[i] = cpt.points[static_cast<std::size_t>(i - 1)].coneResistance;
    }
}

std::optional<double> assumedWaterTableDepth(const Analysis& a) {
    if (a.units != UnitSystem::English && a.units != UnitSystem::SI) return std::nullopt;
    const double light = a.units == UnitSystem::English ? kLightUnitWeightEnglish : kLightUnitWeightSi;
    for (const ProfilePoint& p : a.soilProfile) {
        if (p.effectiveUnitWeight < light) return p.depth;
    }
    return std::nullopt;
}

void loadAnalysis(AnalysisState& s, const Analysis& a) {
    loadInputData(s, a);
    loadSounding(s, a.cpt);
}

}  // namespace vorta
