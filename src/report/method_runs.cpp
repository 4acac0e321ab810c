// The method sequence of the two passes. Pass 1 runs the general method (when the profile carries
// user unit values), FHWA, USACE and Revised Lambda and prints their tables; pass 2 runs API RP-2A
// and the CPT-based methods, prints their tables, hands the load-transfer method's values over to
// the load-settlement analysis and runs it.
#include <algorithm>
#include <utility>

#include "capacity/capacity.h"
#include "methods/conventional/conventional.h"
#include "methods/conventional/row_steps.h"
#include "methods/cpt/cpt.h"
#include "report/report.h"
#include "report/result_tables.h"
#include "settlement/settlement.h"

namespace vorta {
namespace {

bool isSelected(const AnalysisState& s, int selection) {
    return s.input.methodSelected[static_cast<std::size_t>(selection)] == 1;
}

// The general method runs only when some segment carries a user unit friction or end bearing.
bool anyUserUnitValues(const AnalysisState& s) {
    const int segments = std::clamp(s.segmentCount, 0, static_cast<int>(kMaxSegments));
    for (int i = 1; i <= segments; ++i) {
        if (s.segUserUnitFriction[i] != 0.0 || s.segUserUnitBearing[i] != 0.0) return true;
    }
    return false;
}

void integrate(AnalysisState& s, int code) {
    s.currentMethod = code;
    integrateCapacity(s);
}

// One method run: the method with its code as the current method, then the integration.
void computeAndIntegrate(AnalysisState& s, int code, void (*method)(AnalysisState&)) {
    s.currentMethod = code;
    method(s);
    integrate(s, code);
}

// Factoring of the tip and the store of every row of a computed method; the table when selected.
void factorStoreAndPrint(AnalysisState& s, int code) {
    const MethodTableColumns c = tableColumnsFor(s, code);
    RowArray unfactored;
    applyBearingFactor(s, c, &unfactored);
    setPileLengths(s);
    storeMethodRows(s, c, unfactored);
    if (isSelected(s, c.selection)) writeResultTable(s, c);
}

// General method: its own skin friction and end bearing columns; the self weight of tension
// loading comes from the integration. Its plot and hand-over column is the user unit friction.
// A CPT-based method: its rows as piles driven to each penetration replace the table's rows when
// the option asks for them, and give the design answers their capacities when design loads are
// given. The load-settlement analysis keeps the final pile's rows, stored before.
void factorStoreAndPrintCpt(AnalysisState& s, int code) {
    MethodTableColumns c = tableColumnsFor(s, code);
    RowArray unfactored;
    applyBearingFactor(s, c, &unfactored);
    setPileLengths(s);
    storeMethodRows(s, c, unfactored);
    if (!isSelected(s, c.selection)) return;
    const bool asDriven = s.input.cptRowsAsDriven == 1;
    if (!asDriven) writeResultTable(s, c);
    if (!asDriven && s.input.designLoadCount < 1) return;

    Array1<int, kMaxRows> describedFlags;
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));
    for (int k = 1; k <= rows; ++k) describedFlags[k] = s.rowTipFlag(static_cast<std::size_t>(code), static_cast<std::size_t>(k));
    // Row 1, the tip at the ground surface, keeps its described row (its tip before the factor).
    DrivenRows& driven = s.drivenRows;
    if (rows >= 1) {
        driven.skinFriction[1] = s.rowSkinFriction[1];
        driven.tipResistance[1] = unfactored[1];
        driven.plugLength[1] = s.rowPlugLength[1];
        driven.unitFriction[1] = s.rowUnitFriction[1];
        driven.tipFlag[1] = describedFlags[1];
    }
    computeDrivenRows(s, code, driven);
    for (int k = 1; k <= rows; ++k) {
        s.rowSkinFriction[k] = driven.skinFriction[k];
        s.rowTipResistance[k] = driven.tipResistance[k];
        s.rowPlugLength[k] = driven.plugLength[k];
        s.rowUnitFriction[k] = driven.unitFriction[k];
        s.rowTipFlag(static_cast<std::size_t>(code), static_cast<std::size_t>(k)) = asDriven ? driven.tipFlag[k] : describedFlags[k];
    }
    applyBearingFactor(s, c, nullptr);
    keepDrivenCapacity(s, c);
    if (asDriven) {
        c.rowsAsDriven = true;
        writeResultTable(s, c);
    }
}

void runGeneralMethod(AnalysisState& s) {
    s.currentMethod = kCodeUser;
    computeUserLoadTransfer(s);
    if (s.input.loadingType == 1) integrate(s, kCodeUser);
    MethodColumns& copy = s.methodColumns[kCodeUser];
    const int rows = std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows));
    for (int k = 1; k <= rows; ++k) copy.rowUnitFriction[k] = s.segUserUnitFriction[segmentOfRow(s, k)];
    factorStoreAndPrint(s, kCodeUser);
}

void runFirstPass(AnalysisState& s) {
    if (anyUserUnitValues(s)) runGeneralMethod(s);

    // The three conventional methods are all computed before their tables are printed; FHWA and
    // USACE keep copies of their columns for that.
    computeAndIntegrate(s, kCodeFhwa, computeFhwaMethod);
    computeAndIntegrate(s, kCodeUsace, computeUsaceMethod);
    computeAndIntegrate(s, kCodeLambda, computeRevisedLambdaMethod);

    for (const int code : {kCodeFhwa, kCodeUsace, kCodeLambda}) {
        const MethodTableColumns c = tableColumnsFor(s, code);
        RowArray unfactored;
        applyBearingFactor(s, c, &unfactored);
        setPileLengths(s);
        storeMethodRows(s, c, unfactored);
    }
    for (const int code : {kCodeFhwa, kCodeUsace, kCodeLambda}) {
        const MethodTableColumns c = tableColumnsFor(s, code);
        if (isSelected(s, c.selection)) writeResultTable(s, c);
    }
}

void runSecondPass(AnalysisState& s) {
    // The conventional methods' tip columns, rebuilt at the start of the pass, are factored again;
    // their tables and stored rows stay those of the first pass.
    for (const int code : {kCodeFhwa, kCodeUsace, kCodeLambda}) applyBearingFactor(s, tableColumnsFor(s, code), nullptr);

    computeAndIntegrate(s, kCodeApi, computeApiMethod);
    factorStoreAndPrint(s, kCodeApi);

    if (s.input.cptMethodsFlag == 1) {
        // Computed, integrated and factored whether or not their tables are printed.
        const std::pair<int, void (*)(AnalysisState&)> cptMethods[] = {
            {kCodeNgi, ngiMethod}, {kCodeIcp, icpMethod}, {kCodeFugro, fugroMethod}, {kCodeUwa, uwaMethod}};
        for (const auto& [code, method] : cptMethods) {
            computeAndIntegrate(s, code, method);
            factorStoreAndPrintCpt(s, code);
        }
    }

    if (s.capacitiesOnly) return;
    copyLoadTransferMethod(s);
    setPileLengths(s);
    runLoadSettlement(s);
    if (s.input.tzOutputDepthCount > 0) writeVerificationCurves(s);
}

}  // namespace

void runMethodsAndTables(AnalysisState& s, int pass) {
    s.runPass = pass;

    // The tip columns of the three conventional methods, from the unit values they hold so far
    // (nothing yet in the first pass, whose FHWA method reads the plug indicator from here).
    integrate(s, kCodeFhwa);
    integrate(s, kCodeUsace);
    integrate(s, kCodeLambda);

    s.printedRowCount = printedRowCountFor(std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows)), s.input.outputStep);
    if (pass == 1) writePlotHeader(s);

    if (pass == 1) {
        runFirstPass(s);
    } else {
        runSecondPass(s);
    }
}

}  // namespace vorta
