// Result tables of the capacity methods and the matching plot-data records: which rows print,
// the LRFD factoring of the tip column, the table headers of every variant, the rows, and the
// store of every method's rows for the hand-over to the load-settlement analysis.
#pragma once

#include "engine/analysis_state.h"

namespace vorta {

// Number of rows every table prints: rows 1, 1 + p, 1 + 2p, ... and the last row (p = outputStep).
// A step below 1 is taken as 1.
int printedRowCountFor(int rowCount, int outputStep);

// The row selection of the tables, as a counter that starts at p - 1: a row prints when the
// counter reaches p - 1 or it is the last row. Ask for rows 1..rowCount in order.
class PrintedRowSelector {
public:
    PrintedRowSelector(int outputStep, int rowCount);
    bool printsRow(int row);

private:
    int step_;
    int rowCount_;
    int counter_;
};

// The columns one method's table and store read: the FHWA, USACE and general-method tables read
// copies of their own, the others the capacity table of the method just run.
struct MethodTableColumns {
    int code = 0;       // method code (currentMethod)
    int selection = 0;  // selection index (methodSelected, loadTransferMethod)
    RowArray* skinFriction = nullptr;
    RowArray* tipResistance = nullptr;
    RowArray* ultimateCapacity = nullptr;
    const RowArray* plugLength = nullptr;
    const RowArray* unitFriction = nullptr;        // the plot column
    const RowArray* storedUnitFriction = nullptr;  // handed over to the load-settlement analysis
    bool rowsAsDriven = false;  // the rows are piles driven to each penetration (the table says so)
};

MethodTableColumns tableColumnsFor(AnalysisState& s, int code);

// rowPileLength(k) = (k - 1) lengthIncrement for every row.
void setPileLengths(AnalysisState& s);

// The LRFD factor on unit bearing applied to the tip column and the ultimate capacity formed;
// `unfactored` (when given) receives the tip values before the factor.
void applyBearingFactor(AnalysisState& s, const MethodTableColumns& c, RowArray* unfactored);

// Every row of the method into methodRowStore of its selection index; the table's ultimate
// capacities are also the capacities of the design answers.
void storeMethodRows(AnalysisState& s, const MethodTableColumns& c, const RowArray& unfactoredTip);

// The ultimate capacities of the columns, rows as driven, as the capacities of the design answers.
void keepDrivenCapacity(AnalysisState& s, const MethodTableColumns& c);

// Table variants.
struct TableVariant {
    bool tension = false;
    bool battered = false;
    bool plugColumn = false;
};
TableVariant tableVariantFor(const AnalysisState& s, int code);

// Three empty lines, the banner of the method and one empty line; then the two header lines and
// the unit line of the variant.
void writeTableBanner(AnalysisState& s, int code);
void writeTableHeader(AnalysisState& s, int code, const TableVariant& variant);

// The whole table of one method: header, then every printed row to the report and the plot-data
// file.
void writeResultTable(AnalysisState& s, const MethodTableColumns& c);

// The plot-data header record: method count, printedRowCount, unitSystem, loadTransferMethod.
void writePlotHeader(AnalysisState& s);

// Hands the stored rows of the load-transfer method over to rowSkinFriction, rowTipResistance
// (unfactored) and rowUnitFriction. A method that was not computed hands over zeros and the report
// says so in one line. Returns whether the method had been computed.
bool copyLoadTransferMethod(AnalysisState& s);

}  // namespace vorta
