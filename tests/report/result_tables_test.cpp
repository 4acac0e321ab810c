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
std::string stars(int n) { return std::string(static_cast<std::size_t>(n), '*'); }

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

std::vector<std::string> bannerLines(int indent, int width, const std::string& text) {
    return {"", "", "", blanks(indent) + stars(width), blanks(indent) + text, blanks(indent) + stars(width), ""};
}

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
}

TEST(PrintedRows, StepBelowOneIsTakenAsOne) {
    EXPECT_EQ(printedRowCountFor(5, 0), 5);
    PrintedRowSelector selector(-2, 3);
    EXPECT_TRUE(selector.printsRow(1));
    EXPECT_TRUE(selector.printsRow(2));
    EXPECT_TRUE(selector.printsRow(3));
}

TEST(TableBanner, EveryMethodHasItsTextIndentAndStarRow) {
    struct Banner {
        int code;
        int indent;
        int width;
        std::string text;
    };
    const std::vector<Banner> banners = {
        {kCodeFhwa, 28, 22, "*  FED. HWY. METHOD  *"},
        {kCodeUsace, 28, 22, "* ARMY CORPS METHOD  *"},
        {kCodeLambda, 28, 22, "*  LAMBDA 2 METHOD   *"},
        {kCodeApi, 28, 22, "*  API RP-2A (2010)  *"},
        {kCodeUser, 29, 18, "* GENERAL METHOD *"},
        {kCodeNgi, 10, 52, "*  NORWEIGIAN GEOTECHNICAL INSTITUTE (NGI) METHOD  *"},
        {kCodeIcp, 20, 35, "*  IMPERIAL COLLEGE (MTD) METHOD  *"},
        {kCodeFugro, 20, 35, "*    FUGRO 2004 (FUGRO) METHOD    *"},
        {kCodeUwa, 13, 45, "*  UNIV. OF WESTERN AUSTRALIA (UWA) METHOD  *"},
    };
    for (const Banner& b : banners) {
        ASSERT_EQ(b.text.size(), static_cast<std::size_t>(b.width));
        Captured c;
        writeTableBanner(*c.s, b.code);
        EXPECT_EQ(c.reportLines(), bannerLines(b.indent, b.width, b.text)) << "method code " << b.code;
    }
}

TEST(TableHeader, CompressionVertical) {
    Captured c;
    EXPECT_EQ(headerOf(c, kCodeFhwa, {false, false, false}),
              (std::vector<std::string>{
                  blanks(10) + "   PILE          SKIN          END       ULTIMATE",
                  blanks(10) + "PENETRATION   FRICTION       BEARING     CAPACITY",
                  blanks(14) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) + "KIP",
              }));
}

TEST(TableHeader, CompressionVerticalWithPlugColumn) {
    Captured c;
    EXPECT_EQ(headerOf(c, kCodeFhwa, {false, false, true}),
              (std::vector<std::string>{
                  blanks(10) + "   PILE          SKIN          END       ULTIMATE" + blanks(8) + "PLUG",
                  blanks(10) + "PENETRATION   FRICTION       BEARING     CAPACITY" + blanks(7) + "LENGTH",
                  blanks(14) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) + "KIP" + blanks(10) +
                      "FT.",
              }));
}

TEST(TableHeader, CompressionBattered) {
    Captured c;
    EXPECT_EQ(headerOf(c, kCodeApi, {false, true, false}),
              (std::vector<std::string>{
                  blanks(10) + "PILE LENGTH      DEPTH         SKIN          END       ULTIMATE",
                  blanks(10) + "BELOW GND.    BELOW GND.    FRICTION       BEARING     CAPACITY",
                  blanks(14) + "FT." + blanks(10) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) +
                      "KIP",
              }));
}

TEST(TableHeader, CompressionBatteredWithPlugColumn) {
    Captured c;
    EXPECT_EQ(headerOf(c, kCodeUsace, {false, true, true}),
              (std::vector<std::string>{
                  blanks(10) + "PILE LENGTH      DEPTH         SKIN          END       ULTIMATE" + blanks(8) + "PLUG",
                  blanks(10) + "BELOW GND.    BELOW GND.    FRICTION       BEARING     CAPACITY" + blanks(7) +
                      "LENGTH",
                  blanks(14) + "FT." + blanks(10) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) +
                      "KIP" + blanks(10) + "FT.",
              }));
}

TEST(TableHeader, TensionVerticalAndBattered) {
    Captured vertical;
    EXPECT_EQ(headerOf(vertical, kCodeFhwa, {true, false, false}),
              (std::vector<std::string>{
                  blanks(10) + "   PILE          SKIN          SELF      ULTIMATE",
                  blanks(10) + "PENETRATION   FRICTION        WEIGHT     CAPACITY",
                  blanks(14) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) + "KIP",
              }));
    Captured battered;
    EXPECT_EQ(headerOf(battered, kCodeFhwa, {true, true, false}),
              (std::vector<std::string>{
                  blanks(10) + "PILE LENGTH      DEPTH         SKIN          SELF      ULTIMATE",
                  blanks(10) + "BELOW GND.    BELOW GND.    FRICTION        WEIGHT     CAPACITY",
                  blanks(14) + "FT." + blanks(10) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) +
                      "KIP",
              }));
}

TEST(TableHeader, GeneralMethodBatteredCompressionShiftsBearingOneColumn) {
    Captured c;
    EXPECT_EQ(headerOf(c, kCodeUser, {false, true, false}),
              (std::vector<std::string>{
                  blanks(10) + "PILE LENGTH      DEPTH         SKIN          END       ULTIMATE",
                  blanks(10) + "BELOW GND.    BELOW GND.    FRICTION        BEARING    CAPACITY",
                  blanks(14) + "FT." + blanks(10) + "FT." + blanks(10) + "KIP" + blanks(11) + "KIP" + blanks(10) +
                      "KIP",
              }));
    // Its other lines are those of every method.
    Captured vertical;
    Captured reference;
    EXPECT_EQ(headerOf(vertical, kCodeUser, {false, false, false}), headerOf(reference, kCodeFhwa, {false, false, false}));
    Captured tension;
    Captured tensionReference;
    EXPECT_EQ(headerOf(tension, kCodeUser, {true, true, false}), headerOf(tensionReference, kCodeFhwa, {true, true, false}));
}

TEST(TableHeader, SiLabels) {
    Captured c;
    c.s->unitLabels.length = "M. ";
    c.s->unitLabels.force = "KN.";
    EXPECT_EQ(headerOf(c, kCodeFhwa, {false, false, false})[2],
              blanks(14) + "M. " + blanks(10) + "KN." + blanks(11) + "KN." + blanks(10) + "KN.");
}

TEST(TableVariantChoice, PlugColumnOnlyForAnOpenPileWhosePlugTheProgramDecides) {
    Captured c;
    InputData& in = c.s->input;
    in.insideDiameter = 22.0;
    in.tipClosure = 0;
    in.plugCondition = 0;
    EXPECT_TRUE(tableVariantFor(*c.s, kCodeFhwa).plugColumn);
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeUser).plugColumn);
    in.plugCondition = 1;
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeFhwa).plugColumn);
    in.plugCondition = 2;
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeFhwa).plugColumn);
    in.plugCondition = 0;
    in.tipClosure = 1;
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeFhwa).plugColumn);
    in.tipClosure = 0;
    in.insideDiameter = 0.0;
    EXPECT_FALSE(tableVariantFor(*c.s, kCodeFhwa).plugColumn);
    in.insideDiameter = 22.0;
    in.loadingType = 1;
    const TableVariant tension = tableVariantFor(*c.s, kCodeFhwa);
    EXPECT_TRUE(tension.tension);
    EXPECT_FALSE(tension.plugColumn);
    in.batterAngle = 0.1;
    EXPECT_TRUE(tableVariantFor(*c.s, kCodeFhwa).battered);
    in.batterAngle = 0.0;
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

TEST(ResultTable, VerticalRowsAndTheirPlotRecords) {
    Captured c;
    fillRows(*c.s);
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    applyBearingFactor(*c.s, cols, nullptr);
    writeResultTable(*c.s, cols);
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
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    applyBearingFactor(*c.s, cols, nullptr);
    writeResultTable(*c.s, cols);
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
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    applyBearingFactor(*c.s, cols, nullptr);
    writeResultTable(*c.s, cols);
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
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    RowArray unfactored;
    applyBearingFactor(*c.s, cols, &unfactored);
    storeMethodRows(*c.s, cols, unfactored);
    // Another method runs and overwrites the capacity table.
    for (int k = 1; k <= 3; ++k) c.s->rowTipResistance[k] = c.s->rowSkinFriction[k] = c.s->rowUnitFriction[k] = -9.0;
    EXPECT_TRUE(copyLoadTransferMethod(*c.s));
    EXPECT_DOUBLE_EQ(c.s->rowTipResistance[2], 20.4);  // 10.2 / 0.5
    EXPECT_DOUBLE_EQ(c.s->rowSkinFriction[3], 45.6);
    EXPECT_DOUBLE_EQ(c.s->rowUnitFriction[2], 0.1);
    EXPECT_TRUE(c.report.str().empty());
}

TEST(LoadTransferCopy, BearingFactorOfZeroHandsOverTheTipBeforeTheFactor) {
    Captured c;
    fillRows(*c.s);
    c.s->input.loadTransferMethod = kSelApi;
    c.s->segLrfdBearingFactor[3] = 0.0;
    const MethodTableColumns cols = tableColumnsFor(*c.s, kCodeApi);
    RowArray unfactored;
    applyBearingFactor(*c.s, cols, &unfactored);
    storeMethodRows(*c.s, cols, unfactored);
    copyLoadTransferMethod(*c.s);
    EXPECT_DOUBLE_EQ(c.s->rowTipResistance[3], 30.7);  // not 0 / 0
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
