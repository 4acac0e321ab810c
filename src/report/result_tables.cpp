// Result tables of the capacity methods, their plot-data records and the store of every method's
// rows for the load-settlement analysis.
#include "report/result_tables.h"

#include <algorithm>
#include <cmath>

#include "engine/constants.h"
#include "methods/conventional/row_steps.h"
#include "vorta/methods.h"

namespace vorta {
namespace {

int usableRows(const AnalysisState& s) { return std::clamp(s.rowCount, 0, static_cast<int>(kMaxRows)); }

// The row formats, parsed once when the program is compiled (a format written at the call builds
// its parsed form anew at every row).
constexpr FortranFormat kBatteredRow("(11X,F7.2,6X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1)");
constexpr FortranFormat kVerticalRow("(11X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1)");
constexpr FortranFormat kBatteredPlugRow("(11X,F7.2,6X,F7.2,6X,F8.1,6X,F8.1,A1,3X,F9.1,3X,F9.2)");
constexpr FortranFormat kVerticalPlugRow("(11X,F7.2,6X,F8.1,6X,F8.1,A1,3X,F9.1,3X,F9.2)");
constexpr FortranFormat kPlotRow("(2X,F7.2,2X,F8.1,2X,F8.1,2X,F9.1,2X,F9.3)");

}  // namespace

int printedRowCountFor(int rowCount, int outputStep) {
    // In 64 bits: an output step near the largest int would overflow p + n.
    const long long p = std::max(outputStep, 1);
    const long long n = rowCount - 1;
    long long q = (p + n) / p;
    long long lastRegular = p * (q - 1) + 1;
    if (q < 1) {
        lastRegular = 1;
        q = 0;
    }
    return static_cast<int>(lastRegular < rowCount ? q + 1 : q);
}

PrintedRowSelector::PrintedRowSelector(int outputStep, int rowCount)
    : step_(std::max(outputStep, 1)), rowCount_(rowCount), counter_(step_ - 1) {}

bool PrintedRowSelector::printsRow(int row) {
    if (counter_ + 1 == step_ || row == rowCount_) {
        counter_ = 0;
        return true;
    }
    ++counter_;
    return false;
}

MethodTableColumns tableColumnsFor(AnalysisState& s, int code) {
    MethodTableColumns c;
    c.code = code;
    const MethodInfo* method = methodByCode(code);
    c.selection = method != nullptr ? method->selection() : 0;
    if (code == kCodeFhwa || code == kCodeUsace || code == kCodeUser) {
        MethodColumns& copy = s.methodColumns[static_cast<std::size_t>(code)];
        c.skinFriction = &copy.rowSkinFriction;
        c.tipResistance = &copy.rowTipResistance;
        c.ultimateCapacity = &copy.rowUltimateCapacity;
        c.plugLength = &copy.rowPlugLength;
        c.unitFriction = &copy.rowUnitFriction;
    } else {
        c.skinFriction = &s.rowSkinFriction;
        c.tipResistance = &s.rowTipResistance;
        c.ultimateCapacity = &s.rowUltimateCapacity;
        c.plugLength = &s.rowPlugLength;
        c.unitFriction = &s.rowUnitFriction;
    }
    // API RP-2A hands over its limited unit friction; its plot column keeps the unlimited one.
    c.storedUnitFriction = code == kCodeApi ? &s.rowLimitedUnitFriction : c.unitFriction;
    return c;
}

void setPileLengths(AnalysisState& s) {
    const int rows = usableRows(s);
    for (int k = 1; k <= rows; ++k) s.rowPileLength[k] = (k - 1) * s.input.lengthIncrement;
}

void applyBearingFactor(AnalysisState& s, const MethodTableColumns& c, RowArray* unfactored) {
    const int rows = usableRows(s);
    for (int k = 1; k <= rows; ++k) {
        RowArray& tip = *c.tipResistance;
        if (unfactored != nullptr) (*unfactored)[k] = tip[k];
        tip[k] = tip[k] * s.segLrfdBearingFactor[segmentOfRow(s, k)];
        (*c.ultimateCapacity)[k] = (*c.skinFriction)[k] + tip[k];
    }
}

void storeMethodRows(AnalysisState& s, const MethodTableColumns& c, const RowArray& unfactoredTip) {
    if (c.selection < 1 || c.selection > static_cast<int>(kMethodCount)) return;
    StoredMethodRows& store = s.methodRowStore[static_cast<std::size_t>(c.selection)];
    const int rows = usableRows(s);
    store.rowCount = rows;
    for (int k = 1; k <= rows; ++k) {
        store.skinFriction[k] = (*c.skinFriction)[k];
        store.tipResistance[k] = (*c.tipResistance)[k];
        store.unitFriction[k] = (*c.storedUnitFriction)[k];
        store.unfactoredTipResistance[k] = unfactoredTip[k];
        store.drivenCapacity[k] = (*c.ultimateCapacity)[k];
    }
}

void keepDrivenCapacity(AnalysisState& s, const MethodTableColumns& c) {
    if (c.selection < 1 || c.selection > static_cast<int>(kMethodCount)) return;
    StoredMethodRows& store = s.methodRowStore[static_cast<std::size_t>(c.selection)];
    const int rows = usableRows(s);
    for (int k = 1; k <= rows; ++k) store.drivenCapacity[k] = (*c.ultimateCapacity)[k];
}

TableVariant tableVariantFor(const AnalysisState& s, int code) {
    const InputData& in = s.input;
    TableVariant v;
    v.tension = in.loadingType == 1;
    v.battered = in.batterAngle != 0.0;
    v.plugColumn = !v.tension && code != kCodeUser && in.insideDiameter >= sp(1.0e-10) && in.tipClosure != 1 &&
                   in.plugCondition == 0;
    return v;
}

void writeTableBanner(AnalysisState& s, int code) {
    const MethodInfo* method = methodByCode(code);
    if (method == nullptr) return;
    // The title boxed in stars.
    const std::string indent(static_cast<std::size_t>(method->bannerIndent), ' ');
    const std::string text = "*" + std::string(static_cast<std::size_t>(method->bannerBlanksBefore), ' ') +
                             std::string(method->title) +
                             std::string(static_cast<std::size_t>(method->bannerBlanksAfter), ' ') + "*";
    const std::string stars = indent + std::string(text.size(), '*');
    s.report.write("(/,/,/,A,/,A,/,A,/)", stars, indent + text, stars);
}

void writeTableHeader(AnalysisState& s, int code, const TableVariant& v) {
    RecordWriter& r = s.report;
    const std::string& length = s.unitLabels.length;
    const std::string& force = s.unitLabels.force;
    if (v.battered) {
        if (v.tension) {
            r.write("(10X,\"PILE LENGTH      DEPTH         SKIN          SELF      ULTIMATE\")");
            r.write("(10X,\"BELOW GND.    BELOW GND.    FRICTION        WEIGHT     CAPACITY\")");
        } else if (v.plugColumn) {
            r.write("(10X,\"PILE LENGTH      DEPTH         SKIN          END       ULTIMATE\",8X,\"PLUG\")");
            r.write("(10X,\"BELOW GND.    BELOW GND.    FRICTION       BEARING     CAPACITY\",7X,\"LENGTH\")");
        } else {
            r.write("(10X,\"PILE LENGTH      DEPTH         SKIN          END       ULTIMATE\")");
            if (code == kCodeUser) {
                r.write("(10X,\"BELOW GND.    BELOW GND.    FRICTION        BEARING    CAPACITY\")");
            } else {
                r.write("(10X,\"BELOW GND.    BELOW GND.    FRICTION       BEARING     CAPACITY\")");
            }
        }
        if (v.plugColumn) {
            r.write("(10X,4X,A3,10X,A3,10X,A3,11X,A3,10X,A3,10X,A3)", length, length, force, force, force, length);
        } else {
            r.write("(10X,4X,A3,10X,A3,10X,A3,11X,A3,10X,A3)", length, length, force, force, force);
        }
        return;
    }
    if (v.tension) {
        r.write("(10X,\"   PILE          SKIN          SELF      ULTIMATE\")");
        r.write("(10X,\"PENETRATION   FRICTION        WEIGHT     CAPACITY\")");
    } else if (v.plugColumn) {
        r.write("(10X,\"   PILE          SKIN          END       ULTIMATE\",8X,\"PLUG\")");
        r.write("(10X,\"PENETRATION   FRICTION       BEARING     CAPACITY\",7X,\"LENGTH\")");
    } else {
        r.write("(10X,\"   PILE          SKIN          END       ULTIMATE\")");
        r.write("(10X,\"PENETRATION   FRICTION       BEARING     CAPACITY\")");
    }
    if (v.plugColumn) {
        r.write("(10X,4X,A3,10X,A3,11X,A3,10X,A3,10X,A3)", length, force, force, force, length);
    } else {
        r.write("(10X,4X,A3,10X,A3,11X,A3,10X,A3)", length, force, force, force);
    }
}

void writeResultTable(AnalysisState& s, const MethodTableColumns& c) {
    const InputData& in = s.input;
    const TableVariant v = tableVariantFor(s, c.code);
    writeTableBanner(s, c.code);
    if (c.rowsAsDriven) s.report.write("(10X,\"ROWS COMPUTED AS PILES DRIVEN TO EACH PENETRATION\")");
    writeTableHeader(s, c.code, v);

    setPileLengths(s);
    const int rows = usableRows(s);
    const double cosBatter = std::cos(in.batterAngle);
    MethodTable* kept = nullptr;
    if (s.result != nullptr) {
        kept = &s.result->tables.emplace_back();
        kept->selection = c.selection;
        kept->title = methodByCode(c.code) != nullptr ? std::string(methodByCode(c.code)->title) : "";
        kept->tension = v.tension;
        kept->battered = v.battered;
        kept->plugColumn = v.plugColumn;
        kept->rowsAsDriven = c.rowsAsDriven;
    }
    const std::string_view title = methodByCode(c.code) != nullptr ? methodByCode(c.code)->title : "";
    s.report.section("THE TABLE OF THE ", title);
    s.plot.section("THE TABLE OF THE ", title);
    PrintedRowSelector selector(in.outputStep, rows);
    for (int k = 1; k <= rows; ++k) {
        const bool printed = selector.printsRow(k);
        const double length = s.rowPileLength[k];
        const double skin = (*c.skinFriction)[k];
        const double tip = (*c.tipResistance)[k];
        const double ultimate = (*c.ultimateCapacity)[k];
        const bool plugGoverns = s.rowTipFlag(static_cast<std::size_t>(c.code), static_cast<std::size_t>(k)) == 2;
        // The in-memory table holds every row; the report and the plot data the printed ones.
        if (kept != nullptr) {
            kept->rows.push_back(CapacityRow{length, v.battered ? length * cosBatter : length, skin, tip, ultimate,
                                             (*c.unitFriction)[k], v.plugColumn ? (*c.plugLength)[k] : 0.0,
                                             v.plugColumn && plugGoverns, printed});
        }
        if (!printed) continue;
        if (v.plugColumn) {
            const char* mark = plugGoverns ? "*" : " ";
            const double plug = (*c.plugLength)[k];
            if (v.battered) {
                s.report.write(kBatteredPlugRow, length, length * cosBatter,
                               skin, tip, mark, ultimate, plug);
            } else {
                s.report.write(kVerticalPlugRow, length, skin, tip, mark, ultimate, plug);
            }
        } else if (v.battered) {
            s.report.write(kBatteredRow, length, length * cosBatter, skin, tip, ultimate);
        } else {
            s.report.write(kVerticalRow, length, skin, tip, ultimate);
        }
        s.plot.write(kPlotRow, length, skin, tip, ultimate, (*c.unitFriction)[k]);
    }
}

void writePlotHeader(AnalysisState& s) {
    const InputData& in = s.input;
    long long methods = 0;
    // The selected methods that run: the CPT-based ones only with the CPT methods flag.
    for (const MethodInfo& m : kMethodTable) {
        if (in.methodSelected[static_cast<std::size_t>(m.selection())] == 1 && (!m.cptBased || in.cptMethodsFlag == 1))
            ++methods;
    }
    s.plot.writeFree({methods, s.printedRowCount, in.unitSystem, in.loadTransferMethod});
}

bool copyLoadTransferMethod(AnalysisState& s) {
    const int rows = usableRows(s);
    if (rows < 1) return true;
    const int sel = s.input.loadTransferMethod;
    const bool known = sel >= 1 && sel <= static_cast<int>(kMethodCount);
    const StoredMethodRows* store = known ? &s.methodRowStore[static_cast<std::size_t>(sel)] : nullptr;
    const bool computed = store != nullptr && store->rowCount > 0;
    for (int k = 1; k <= rows; ++k) {
        if (!computed) {
            s.rowSkinFriction[k] = 0.0;
            s.rowTipResistance[k] = 0.0;
            s.rowUnitFriction[k] = 0.0;
            continue;
        }
        const double factor = s.segLrfdBearingFactor[segmentOfRow(s, k)];
        s.rowSkinFriction[k] = store->skinFriction[k];
        // The unfactored end bearing; a factor of 0 leaves nothing to divide, so the tip value
        // before the factor is handed over.
        s.rowTipResistance[k] = factor == 0.0 ? store->unfactoredTipResistance[k] : store->tipResistance[k] / factor;
        s.rowUnitFriction[k] = store->unitFriction[k];
    }
    if (!computed) {
        s.report.write("(/,10X,\"NOTE: THE METHOD CHOSEN FOR LOAD TRANSFER (\",I3,\") WAS NOT COMPUTED;"
                       " ITS LOAD-TRANSFER VALUES ARE ZERO.\")",
                       sel);
    }
    return computed;
}

}  // namespace vorta
