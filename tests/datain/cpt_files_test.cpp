// The CPT file readers: the test files of each format (tests/datain/data, written for these
// tests) read to the same points; each malformed variant names its file, line and what was
// expected; the rules for messy rows skip with a note naming the lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "vorta/cpt_files.h"

namespace vorta {
namespace {

std::string dataFile(const std::string& name) { return test::readFile(test::sourcePath("tests/datain/data/" + name)); }

CptReadOptions si(std::string location = "") {
    CptReadOptions o;
    o.units = UnitSystem::SI;
    o.location = std::move(location);
    return o;
}

// The sounding every test file states: 0.5 m steps, qc 1.25 MPa a step, fs 10 kPa, u2 5 kPa.
struct GoodFile {
    const char* name;
    const char* location;
    bool hasPorePressure;
    std::vector<std::string> notes;
};

class GoodFiles : public ::testing::TestWithParam<GoodFile> {};

TEST_P(GoodFiles, ReadToTheSamePointsInKilopascals) {
    const GoodFile& g = GetParam();
    const CptReading r = readCptText(dataFile(g.name), g.name, si(g.location));
    ASSERT_EQ(r.sounding.points.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const CptPoint& p = r.sounding.points[i];
        const double step = static_cast<double>(i + 1);
        EXPECT_EQ(p.depth, 0.5 * step) << g.name << " point " << i + 1;
        EXPECT_EQ(p.coneResistance, 1250.0 * step) << g.name << " point " << i + 1;
        EXPECT_EQ(p.sleeveFriction, 10.0 * step) << g.name << " point " << i + 1;
        EXPECT_EQ(p.porePressure.has_value(), g.hasPorePressure) << g.name;
        if (g.hasPorePressure) {
            EXPECT_EQ(*p.porePressure, 5.0 * step) << g.name << " point " << i + 1;
        }
    }
    EXPECT_EQ(cptNoteLines(g.name, r), g.notes);
}

INSTANTIATE_TEST_SUITE_P(
    TestFiles, GoodFiles,
    ::testing::Values(
        GoodFile{"one_line.gef", "", true,
                 {"one_line.gef: the ground surface is at level -1.25 (#ZID); the depths are below it"}},
        GoodFile{"voids_corrected.gef", "", false,
                 {"voids_corrected.gef, line 13: depth above the pre-excavated depth: row skipped",
                  "voids_corrected.gef, line 15: void cone resistance: row skipped",
                  "voids_corrected.gef, line 17: void depth: row skipped"}},
        GoodFile{"two_locations.ags", "CPT01", true, {}},
        GoodFile{"decimal_comma.csv", "", true, {"decimal_comma.csv, line 1: line before the header row: skipped"}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& c : n) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return n;
    });

TEST(CptFiles, EnglishUnitsConvertEveryColumnByTheExactFactors) {
    CptReadOptions o = si("CPT01");
    o.units = UnitSystem::English;
    const CptPoint p = readCptText(dataFile("two_locations.ags"), "two_locations.ags", o).sounding.points[0];
    // psf = 4.4482216152605 N / 0.09290304 m2 = 0.0478802590 kPa: 0.5 m / 0.3048 = 1.64041995 ft,
    // 1250 kPa = 26106.7928 psf, 10 kPa = 208.854342 psf.
    EXPECT_NEAR(p.depth, 1.64041995, 1e-8);
    EXPECT_NEAR(p.coneResistance, 26106.7928, 1e-4);
    EXPECT_NEAR(*p.sleeveFriction, 208.854342, 1e-6);
}

struct Malformed {
    const char* file;
    const char* from;  // replaced in the good file
    const char* to;
    const char* message;
};

class MalformedFiles : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedFiles, NameTheFileTheLineAndWhatWasExpected) {
    const Malformed& m = GetParam();
    std::string text = dataFile(m.file);
    const std::size_t at = text.find(m.from);
    ASSERT_NE(at, std::string::npos) << m.from;
    text.replace(at, std::string(m.from).size(), m.to);
    try {
        readCptText(text, m.file, si());
        FAIL() << "no error for " << m.to;
    } catch (const InputError& e) {
        EXPECT_NE(std::string(e.what()).find(m.message), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Variants, MalformedFiles,
    ::testing::Values(
        Malformed{"one_line.gef", "#EOH=", "#EOF=",
                  "one_line.gef, line 13 (header): expected a header line \"#KEYWORD= values\" before #EOH=, found '0.50;"},
        Malformed{"one_line.gef", "2.500;0.0200", "2.500;abc",
                  "line 13 (data): expected a number in column 3 (sleeve friction), found 'abc'"},
        Malformed{"one_line.gef", "1.50;3.750;0.0300;0.0150", "1.50;3.750;0.0300",
                  "line 13 (data): expected 4 values (#COLUMN= 4), found 3"},
        Malformed{"one_line.gef", "MPa, cone", "MPx, cone",
                  "line 7 (#COLUMNINFO): expected a stress unit for the cone resistance (kPa, MPa"},
        Malformed{"one_line.gef", "cone resistance, 2", "cone resistance, 5",
                  "line 12 (header): expected a #COLUMNINFO of the cone resistance (quantity 2)"},
        Malformed{"one_line.gef", "#COLUMNSEPARATOR= ;", "#COLUMNSEPARATOR= !",
                  "expected a record separator other than the column separator"},
        Malformed{"voids_corrected.gef", "#COLUMN= 4", "#COLUMN= 3",
                  "line 7 (#COLUMNINFO): expected a column number from 1 to 3 (#COLUMN), found 4"},
        Malformed{"voids_corrected.gef", "#MEASUREMENTVAR= 13, 0.40", "#MEASUREMENTVAR= 13, deep",
                  "line 11 (#MEASUREMENTVAR): expected the pre-excavated depth"},
        Malformed{"voids_corrected.gef", "#COLUMN", "COLUMN", "line 3 (header): expected a header line"},
        Malformed{"two_locations.ags", "\"SCPT_RES\"", "\"SCPT_QC\"", "line 8 (HEADING): expected the heading SCPT_RES"},
        Malformed{"two_locations.ags", "\"DATA\",\"CPT01\",\"1\",\"1.00\"", "\"DATA\",\"CPT01\",\"1.00\"",
                  "line 13 (DATA): expected 7 fields as the HEADING row (line 8), found 6"},
        Malformed{"two_locations.ags", "\"20\",\"10\"", "\"20\",\"10", "line 13: a field's opening quote"},
        Malformed{"two_locations.ags", "\"UNIT\",\"\",\"\",\"m\"", "\"TYPE\",\"\",\"\",\"m\"",
                  "line 11 (DATA): expected the UNIT row of the group SCPT"},
        Malformed{"two_locations.ags", "\"GROUP\",\"SCPT\"", "\"GROUP\",\"SCPX\"", "expected the group SCPT"},
        Malformed{"two_locations.ags", "\"DATA\",\"P1\"", "\"DAT\",\"P1\"", "line 5: expected a row beginning with"},
        Malformed{"decimal_comma.csv", "Depth (m)", "Depth", "line 3: the depth column 'Depth' states no unit"},
        Malformed{"decimal_comma.csv", "1,50;3,75", "1,50;3,75x", "line 6: expected a number in column 'qc [MPa]', found '3,75x'"},
        Malformed{"decimal_comma.csv", "qc [MPa]", "qt [MPa]", "line 1: expected a header row"},
        Malformed{"decimal_comma.csv", "fs_kPa", "fs_kN", "expected a stress unit for the sleeve friction column 'fs_kN'"}),
    [](const auto& info) { return "Variant" + std::to_string(info.index); });

TEST(CptFiles, LocationIsNeededWhenAnAgs4FileHoldsSeveral) {
    try {
        readCptText(dataFile("two_locations.ags"), "site.ags", si());
        FAIL();
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(), "site.ags, line 7 (GROUP SCPT): the file holds 2 soundings (CPT02, CPT01); name the one to read as its location");
    }
    EXPECT_EQ(readCptText(dataFile("two_locations.ags"), "site.ags", si("CPT02")).sounding.points[1].coneResistance, 9500.0);
}

// Rows that cannot give a point are skipped, each kind named with its lines; the points stay in
// increasing depth.
TEST(CptFiles, MessyRowsAreSkippedWithANoteNamingTheirLines) {
    const std::string csv =
        "depth_m,qc_kPa\n"  // line 1
        "-0.1,500\n"        // 2 above the surface
        "0.0,0\n"           // 3
        "0.5,\n"            // 4 void qc
        "0.5,900\n"         // 5
        "0.5,950\n"         // 6 repeats
        "1.0,-3\n"          // 7 negative qc
        "1.0,1000\n"        // 8
        "0.8,1100\n"        // 9 back up
        "0.9,1200\n"        // 10 still above 1.0
        "\n"
        "1.5,1300\n";       // 12
    const CptReading r = readCptText(csv, "messy.csv", si());
    std::vector<double> depths;
    for (const CptPoint& p : r.sounding.points) depths.push_back(p.depth);
    EXPECT_EQ(depths, (std::vector<double>{0.0, 0.5, 1.0, 1.5}));
    EXPECT_EQ(cptNoteLines("messy.csv", r),
              (std::vector<std::string>{"messy.csv, line 2: negative depth (above the ground surface): row skipped",
                                        "messy.csv, line 4: void cone resistance: row skipped",
                                        "messy.csv, line 6: depth repeats the row before: row skipped (the first reading kept)",
                                        "messy.csv, line 7: negative cone resistance: row skipped",
                                        "messy.csv, lines 9-10: depth goes back up above the deepest row before it: row skipped"}));
}

TEST(CptFiles, EveryNthPointKeepsTheLastToo) {
    std::string csv = "depth (m)\tqc (MPa)\n";
    for (int i = 0; i < 10; ++i) csv += std::to_string(i) + "\t1,5\n";
    CptReadOptions o = si();
    o.every = 4;
    const CptReading r = readCptText(csv, "tabs.txt", o);
    std::vector<double> depths;
    for (const CptPoint& p : r.sounding.points) depths.push_back(p.depth);
    EXPECT_EQ(depths, (std::vector<double>{0, 4, 8, 9}));
    EXPECT_EQ(r.sounding.points[0].coneResistance, 1500.0);
    EXPECT_EQ(cptNoteLines("tabs.txt", r).back(), "tabs.txt: one point in every 4 kept, and the last: 4 of 10 points");
}

TEST(CptFiles, FormatFromTheContentBeforeTheExtension) {
    struct Case {
        const char* text;
        const char* name;
        CptFormat format;
    };
    const Case cases[] = {
        {"#GEFID= 1, 1, 0\n", "a.cpt", CptFormat::Gef},     {"\"GROUP\",\"PROJ\"\n", "a.txt", CptFormat::Ags4},
        {"1 42\n0 0\n", "a.gef", CptFormat::Gef},           {"1 42\n0 0\n", "sounding", CptFormat::Engine},
        {"depth (m),qc (MPa)\n", "a", CptFormat::Csv},      {"0 0\n", "a.csv", CptFormat::Csv},
        {"depth;qc\n", "a.AGS", CptFormat::Ags4},           {"1.5 2\n", "sounding", CptFormat::Csv},
    };
    for (const Case& c : cases) EXPECT_EQ(detectCptFormat(c.text, c.name), c.format) << c.text << " " << c.name;
}

}  // namespace
}  // namespace vorta
