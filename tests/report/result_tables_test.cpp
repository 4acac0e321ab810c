// Result tables: row selection, LRFD factoring, the header of every variant character for
// character, the rows and plug marks, the plot-data header and capacity rows, the row store and
// the hand-over to the load-settlement analysis.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/constants.h"
#include "report/result_tables.h"
#include "support/test_support.h"

namespace vorta {
namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

struct Captured {
    std::unique_ptr<AnalysisState> s = test::newState();
    std::ostringstream report;
    std::ostringstream plot;
    Captured() {
        s->report.attach(&report);
        s->plot.attach(&plot);
        s->unitLabels.length = "FT.";
        s->unitLabels.force = "KIP";
        s->input.unitSystem = kEnglish;
        s->input.outputStep = 1;
        s->input.lengthIncrement = 1.0;
        s->depthIncrement = 1.0;
        s->segmentCount = 10;
        for (int i = 1; i <= 10; ++i) s->segLrfdBearingFactor[i] = 1.0;
    }
    std::vector<std::string> reportLines() const { return test::splitLines(report.str()); }
    std::vector<std::string> plotLines() const { return test::splitLines(plot.str()); }
};

std::vector<std::string> headerOf(Captured& c, int code, const TableVariant& v) {
    writeTableHeader(*c.s, code, v);
    return c.reportLines();
}

TEST(PrintedRows, StepThreeOverEightRowsPrintsRowsOneFourSevenAndEight) {
    EXPECT_EQ(printedRowCountFor(8, 3), 4);
    PrintedRowSelector selector(3, 8);
    std::vector<int> printed;
    for (int k = 1; k <= 8; ++k) {
        if (selector.printsRow(k)) printed.push_back(k);
    }
    EXPECT_EQ(printed, (std::vector<int>{1, 4, 7, 8}));
}

TEST(PrintedRows, CountMatchesTheSelectorForEveryStepAndRowCount) {
    for (int step = 1; step <= 6; ++step) {
        for (int rows = 1; rows <= 20; ++rows) {
            PrintedRowSelector selector(step, rows);
            int printed = 0;
            for (int k = 1; k <= rows; ++k) printed += selector.printsRow(k) ? 1 : 0;
            EXPECT_EQ(printedRowCountFor(rows, step), printed) << "step " << step << ", rows " << rows;
        }
    }
    // Step 1 prints every row; when the last row falls on the step it is not added twice
    // (7 rows at step 3: rows 1, 4 and 7).
    EXPECT_EQ(printedRowCountFor(21, 1), 21);
    EXPECT_EQ(printedRowCountFor(7, 3), 3);
    EXPECT_EQ(printedRowCountFor(1, 5), 1);
    EXPECT_EQ(printedRowCountFor(0, 3), 0);
    // A step below one is taken as one.
    EXPECT_EQ(printedRowCountFor(5, 0), 5);
    PrintedRowSelector below(-2, 3);
    EXPECT_TRUE(below.printsRow(1) && below.printsRow(2) && below.printsRow(3));
}

// Every variant of the three header lines: tension prints SELF WEIGHT for END BEARING, a battered
// table adds the depth column, a plug column adds PLUG LENGTH and its unit, and the general
// method's battered compression header moves BEARING one column right.
TEST(TableHeader, EveryVariantCharacterForCharacter) {
    const std::string vertical1 = blanks(10) + "   PILE          SKIN          END       ULTIMATE";
    const std::string vertical2 = blanks(10) + "PENETRATION   FRICTION       BEARING     CAPACITY";
    const std::string battered1 = blanks(10) + "PILE LENGTH      DEPTH         SKIN          END       ULTIMATE";
    const std::string battered2 = blanks(10) + "BELOW GND.    BELOW GND.    FRICTION       BEARING     CAPACITY";
    const std::string forces = "KIP" + blanks(11) + "KIP" + blanks(10) + "KIP";
    const std::string verticalUnits = blanks(14) + "FT." + blanks(10) + forces;
    const std::string batteredUnits = blanks(14) + "FT." + blanks(10) + "FT." + blanks(10) + forces;
    const std::string plug1 = blanks(8) + "PLUG";
    const std::string plug2 = blanks(7) + "LENGTH";
    const std::string plugUnit = blanks(10) + "FT.";
    struct Case {
        int code;
        TableVariant variant;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {kCodeFhwa, {false, false, false}, {vertical1, vertical2, verticalUnits}},
        {kCodeFhwa, {false, false, true}, {vertical1 + plug1, vertical2 + plug2, verticalUnits + plugUnit}},
        {kCodeApi, {false, true, false}, {battered1, battered2, batteredUnits}},
        {kCodeUsace, {false, true, true}, {battered1 + plug1, battered2 + plug2, batteredUnits + plugUnit}},
        {kCodeFhwa,
         {true, false, false},
         {blanks(10) + "   PILE          SKIN          SELF      ULTIMATE",
          blanks(10) + "PENETRATION   FRICTION        WEIGHT     CAPACITY", verticalUnits}},
        {kCodeFhwa,
         {true, true, false},
         {blanks(10) + "PILE LENGTH      DEPTH         SKIN          SELF      ULTIMATE",
          blanks(10) + "BELOW GND.    BELOW GND.    FRICTION        WEIGHT     CAPACITY", batteredUnits}},
        {kCodeUser,
         {false, true, false},
         {battered1, blanks(10) + "BELOW GND.    BELOW GND.    FRICTION        BEARING    CAPACITY", batteredUnits}},
        // The general method's other headers are those of every method.
        {kCodeUser, {false, false, false}, {vertical1, vertical2, verticalUnits}},
        {kCodeUser,
         {true, true, false},
         {blanks(10) + "PILE LENGTH      DEPTH         SKIN          SELF      ULTIMATE",
          blanks(10) + "BELOW GND.    BELOW GND.    FRICTION        WEIGHT     CAPACITY", batteredUnits}},
    };
    for (const Case& k : cases) {
        Captured c;
        EXPECT_EQ(headerOf(c, k.code, k.variant), k.lines)
            << "method " << k.code << ", tension " << k.variant.tension << ", battered " << k.variant.battered
            << ", plug " << k.variant.plugColumn;
    }
}

TEST(TableHeader, SiLabels) {
    Captured c;
    c.s->unitLabels.length = "M. ";
    c.s->unitLabels.force = "KN.";
    EXPECT_EQ(headerOf(c, kCodeFhwa, {false, false, false})[2],
              blanks(14) + "M. " + blanks(10) + "KN." + blanks(11) + "KN." + blanks(10) + "KN.");
}

TEST(TableVariantChoice, PlugColumnOnlyForAnOpenPileWhosePlugTheProgramDecides) {
    struct Case {
        double insideDiameter;
        int tipClosure, plugCondition, code;
        bool plugColumn;
    };
    for (const Case& k : {Case{22.0, 0, 0, kCodeFhwa, true}, Case{22.0, 0, 0, kCodeUser, false},
                          Case{22.0, 0, 1, kCodeFhwa, false}, Case{22.0, 0, 2, kCodeFhwa, false},
                          Case{22.0, 1, 0, kCodeFhwa, false}, Case{0.0, 0, 0, kCodeFhwa, false}}) {
        Captured c;
        c.s->input.insideDiameter = k.insideDiameter;
        c.s->input.tipClosure = k.tipClosure;
        c.s->input.plugCondition = k.plugCondition;
        EXPECT_EQ(tableVariantFor(*c.s, k.code).plugColumn, k.plugColumn)
            << k.insideDiameter << " " << k.tipClosure << " " << k.plugCondition << " " << k.code;
    }
    // Tension has no plug column; any batter makes a battered table.
    Captured c;
    c.s->input.insideDiameter = 22.0;
    c.s->input.loadingType = 1;
    c.s->input.batterAngle = 0.1;
    const TableVariant tension = tableVariantFor(*c.s, kCodeFhwa);
    EXPECT_TRUE(tension.tension && tension.battered);
    EXPECT_FALSE(tension.plugColumn);
    c.s->input.batterAngle = 0.0;
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeFhwa).battered);
}

// Three rows of a method run on the current capacity table (API RP-2A).
void fillRows(AnalysisState& s) {
    s.rowCount = 3;
    const double skin[] = {0.0, 12.3, 45.6};
    const double tip[] = {1.1, 20.4, 30.7};
    for (int k = 1; k <= 3; ++k) {
        s.rowSkinFriction[k] = skin[k - 1];
        s.rowTipResistance[k] = tip[k - 1];
        s.rowUnitFriction[k] = 0.125 * k;
        s.rowLimitedUnitFriction[k] = 0.1;
        s.rowPlugLength[k] = 0.75 * (k - 1);
    }
}

// The API RP-2A table of those rows, factored and written.
void writeApiTable(Captured& c) {
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    applyBearingFactor(*c.s, cols, nullptr);
    writeResultTable(*c.s, cols);
}

TEST(ResultTable, VerticalRowsAndTheirPlotRecords) {
    Captured c;
    fillRows(*c.s);
    writeApiTable(c);
    const std::vector<std::string> lines = c.reportLines();
    ASSERT_EQ(lines.size(), 7u + 3u + 3u);
    EXPECT_EQ(lines[10], blanks(11) + "   0.00" + blanks(6) + "     0.0" + blanks(6) + "     1.1" + blanks(4) + "      1.1");
    EXPECT_EQ(lines[11], blanks(11) + "   1.00" + blanks(6) + "    12.3" + blanks(6) + "    20.4" + blanks(4) + "     32.7");
    EXPECT_EQ(lines[12], blanks(11) + "   2.00" + blanks(6) + "    45.6" + blanks(6) + "    30.7" + blanks(4) + "     76.3");
    const std::vector<std::string> plot = c.plotLines();
    ASSERT_EQ(plot.size(), 3u);
    // The plot column is the unlimited unit friction of API RP-2A.
    EXPECT_EQ(plot[2], "     2.00      45.6      30.7       76.3      0.375");
}

// A NaN in a column stops the table at its row: the guard names the table and the printed row.
TEST(ResultTable, ARowThatIsNotFiniteIsRefusedAndNamed) {
    Captured c;
    fillRows(*c.s);
    c.s->rowSkinFriction[3] = std::nan("");
    c.s->outputGuard.watch({&c.s->report, &c.s->plot});
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    writeResultTable(*c.s, cols);
    EXPECT_EQ(std::string(c.s->outputGuard.section.title), "API RP-2A (2010)");
    EXPECT_EQ(c.s->outputGuard.row, 3);
    EXPECT_EQ(c.reportLines().size(), 7u + 3u + 2u);
    EXPECT_EQ(c.plotLines().size(), 2u);
}

TEST(ResultTable, PlugColumnCarriesTheMarkOfRowsWhosePlugFrictionGoverns) {
    Captured c;
    fillRows(*c.s);
    c.s->input.insideDiameter = 22.0;
    c.s->rowTipFlag(kCodeApi, 1) = 1;
    c.s->rowTipFlag(kCodeApi, 2) = 2;
    c.s->rowTipFlag(kCodeApi, 3) = 1;
    writeApiTable(c);
    const std::vector<std::string> lines = c.reportLines();
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(lines[11], blanks(11) + "   1.00" + blanks(6) + "    12.3" + blanks(6) + "    20.4" + "*" + blanks(3) +
                             "     32.7" + blanks(3) + "     0.75");
    EXPECT_EQ(lines[12], blanks(11) + "   2.00" + blanks(6) + "    45.6" + blanks(6) + "    30.7" + " " + blanks(3) +
                             "     76.3" + blanks(3) + "     1.50");
}

TEST(ResultTable, BatteredRowsPrintTheDepthAsLengthTimesCosine) {
    Captured c;
    fillRows(*c.s);
    c.s->input.batterAngle = std::acos(0.5);  // depth = half the pile length
    c.s->input.outputStep = 2;
    writeApiTable(c);
    const std::vector<std::string> lines = c.reportLines();
    ASSERT_EQ(lines.size(), 12u);  // rows 1 and 3
    EXPECT_EQ(lines[11], blanks(11) + "   2.00" + blanks(6) + "   1.00" + blanks(6) + "    45.6" + blanks(6) +
                             "    30.7" + blanks(4) + "     76.3");
    // The plot-data file carries the pile length, never the depth.
    EXPECT_EQ(c.plotLines()[1], "     2.00      45.6      30.7       76.3      0.375");
}

TEST(ResultTable, NoRowsPrintsTheHeaderAlone) {
    Captured c;
    c.s->rowCount = 0;
    writeResultTable(*c.s, tableColumnsFor(*c.s, kCodeLambda));
    EXPECT_EQ(c.reportLines().size(), 10u);
    EXPECT_TRUE(c.plot.str().empty());
}

TEST(BearingFactor, FactorsTheTipAndFormsTheUltimateCapacity) {
    Captured c;
    fillRows(*c.s);
    c.s->segLrfdBearingFactor[2] = 0.5;
    c.s->segLrfdBearingFactor[3] = 0.0;
    RowArray unfactored;
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeNgi);
    applyBearingFactor(*c.s, cols, &unfactored);
    EXPECT_DOUBLE_EQ(c.s->rowTipResistance[2], 10.2);
    EXPECT_DOUBLE_EQ(c.s->rowUltimateCapacity[2], 12.3 + 10.2);
    EXPECT_EQ(c.s->rowTipResistance[3], 0.0);
    EXPECT_DOUBLE_EQ(c.s->rowUltimateCapacity[3], 45.6);
    EXPECT_DOUBLE_EQ(unfactored[2], 20.4);
    EXPECT_DOUBLE_EQ(unfactored[3], 30.7);
}

TEST(BearingFactor, ConventionalTablesFactorTheirOwnCopies) {
    Captured c;
    c.s->rowCount = 2;
    MethodColumns& fhwa = c.s->methodColumns[kCodeFhwa];
    fhwa.rowSkinFriction[2] = 4.0;
    fhwa.rowTipResistance[2] = 6.0;
    c.s->rowTipResistance[2] = 100.0;
    c.s->segLrfdBearingFactor[2] = 0.5;
    applyBearingFactor(*c.s, tableColumnsFor(*c.s, kCodeFhwa), nullptr);
    EXPECT_EQ(fhwa.rowTipResistance[2], 3.0);
    EXPECT_EQ(fhwa.rowUltimateCapacity[2], 7.0);
    EXPECT_EQ(c.s->rowTipResistance[2], 100.0);
}

TEST(MethodRowStore, ApiHandsOverItsLimitedUnitFriction) {
    Captured c;
    fillRows(*c.s);
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    RowArray unfactored;
    applyBearingFactor(*c.s, cols, &unfactored);
    storeMethodRows(*c.s, cols, unfactored);
    const StoredMethodRows& store = c.s->methodRowStore[kSelApi];
    EXPECT_EQ(store.rowCount, 3);
    EXPECT_EQ(store.unitFriction[3], 0.1);
    EXPECT_EQ(store.skinFriction[3], 45.6);
    EXPECT_EQ(store.tipResistance[3], 30.7);

    // Other methods hand over the column they plot; the store goes by selection index.
    const MethodTableColumns ngi = tableColumnsFor(*c.s, kCodeNgi);
    storeMethodRows(*c.s, ngi, unfactored);
    EXPECT_EQ(c.s->methodRowStore[kSelNgi].unitFriction[3], 0.375);
    EXPECT_EQ(c.s->methodRowStore[kCodeNgi].rowCount, 0);  // code 5 is the general method's index
}

TEST(LoadTransferCopy, HandsOverTheUnfactoredTipOfTheChosenMethod) {
    Captured c;
    fillRows(*c.s);
    c.s->input.loadTransferMethod = kSelApi;
    c.s->segLrfdBearingFactor[2] = 0.5;
    c.s->segLrfdBearingFactor[3] = 0.0;
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    RowArray unfactored;
    applyBearingFactor(*c.s, cols, &unfactored);
    storeMethodRows(*c.s, cols, unfactored);
    // Another method runs and overwrites the capacity table.
    for (int k = 1; k <= 3; ++k) c.s->rowTipResistance[k] = c.s->rowSkinFriction[k] = c.s->rowUnitFriction[k] = -9.0;
    EXPECT_TRUE(copyLoadTransferMethod(*c.s));
    EXPECT_DOUBLE_EQ(c.s->rowTipResistance[2], 20.4);  // 10.2 / 0.5
    EXPECT_DOUBLE_EQ(c.s->rowTipResistance[3], 30.7);  // a factor of 0: the tip before it, not 0 / 0
    EXPECT_DOUBLE_EQ(c.s->rowSkinFriction[3], 45.6);
    EXPECT_DOUBLE_EQ(c.s->rowUnitFriction[2], 0.1);
    EXPECT_TRUE(c.report.str().empty());
}

TEST(LoadTransferCopy, MethodNotComputedHandsOverZerosAndSaysSo) {
    for (const int chosen : {kSelUser, kSelNgi, 0, 12}) {
        Captured c;
        fillRows(*c.s);
        c.s->input.loadTransferMethod = chosen;
        EXPECT_FALSE(copyLoadTransferMethod(*c.s)) << chosen;
        for (int k = 1; k <= 3; ++k) {
            EXPECT_EQ(c.s->rowSkinFriction[k], 0.0);
            EXPECT_EQ(c.s->rowTipResistance[k], 0.0);
            EXPECT_EQ(c.s->rowUnitFriction[k], 0.0);
        }
        const std::vector<std::string> lines = c.reportLines();
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], "");
        EXPECT_EQ(lines[1], blanks(10) + "NOTE: THE METHOD CHOSEN FOR LOAD TRANSFER (" + formatInteger(chosen, 3) +
                                ") WAS NOT COMPUTED; ITS LOAD-TRANSFER VALUES ARE ZERO.");
    }
}

TEST(PlotHeader, CountsTheSelectedMethodsAndTheCptMethodsOnlyWhenTheyRun) {
    Captured c;
    InputData& in = c.s->input;
    for (const int sel : {kSelFhwa, kSelApi, kSelUser, kSelNgi, kSelUwa}) in.methodSelected[sel] = 1;
    in.methodSelected[kSelUsace] = 2;  // only the value 1 selects
    in.loadTransferMethod = 4;
    c.s->printedRowCount = 21;
    writePlotHeader(*c.s);
    in.cptMethodsFlag = 1;
    in.unitSystem = kSi;
    writePlotHeader(*c.s);
    const std::vector<std::string> lines = c.plotLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "           3          21           1           4");
    EXPECT_EQ(lines[1], "           5          21           2           4");
}

}  // namespace
}  // namespace vorta
