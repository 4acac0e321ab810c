#include "input/free_format_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vorta {
namespace {

TEST(FreeFormatReader, RecordSpanningTwoLinesReadsAsOne) {
    std::istringstream text("1 2\n  3.5, 4\nnext 9\n");
    FreeFormatReader in(text, "case.dat");
    int a = 0, b = 0;
    double c = 0.0, d = 0.0;
    in.beginRecord("record 4");
    in.read(a, "a");
    in.read(b, "b");
    in.read(c, "c");
    in.read(d, "d");
    in.endRecord();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    EXPECT_EQ(c, 3.5);
    EXPECT_EQ(d, 4.0);
    EXPECT_EQ(in.readLine("title", 0), "next 9");  // the next record begins on a new line
}

TEST(FreeFormatReader, TheRestOfARecordsLastLineIsDiscarded) {
    std::istringstream text("1 2 3 extra words\n7\n");
    FreeFormatReader in(text, "case.dat");
    int a = 0, b = 0;
    in.beginRecord("first");
    in.read(a, "a");
    in.read(b, "b");
    in.endRecord();
    in.beginRecord("second");
    in.read(a, "a");
    in.endRecord();
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 2);
}

TEST(FreeFormatReader, BlanksCommasAndTabsSeparateValues) {
    std::istringstream text("1,2\t3 ,  4 ,5\r\n");
    FreeFormatReader in(text, "case.dat");
    std::vector<int> v(5, 0);
    in.beginRecord("values");
    for (int& x : v) in.read(x, "a value");
    in.endRecord();
    EXPECT_EQ(v, (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(FreeFormatReader, RepeatCountsNullValuesAndSlashes) {
    std::istringstream text("3*2.5 ,, 7\n1 / 5 6\n");
    FreeFormatReader in(text, "case.dat");
    std::vector<double> v(5, -1.0);
    in.beginRecord("repeats");
    for (double& x : v) in.read(x, "a value");
    in.endRecord();
    // 3*2.5 gives three values, ",," leaves the fourth unchanged, 7 is the fifth.
    EXPECT_EQ(v, (std::vector<double>{2.5, 2.5, 2.5, -1.0, 7.0}));
    int a = 0, b = -1, c = -1;
    in.beginRecord("slash");
    in.read(a, "a");
    in.read(b, "b");
    in.read(c, "c");
    in.endRecord();
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, -1);  // a slash ends the record and leaves the rest unchanged
    EXPECT_EQ(c, -1);
}

TEST(FreeFormatReader, RealsWithOrWithoutPointOrExponent) {
    std::istringstream text("5 5. .5 1E3 1.5D-2 -2.5e+1 +3 1.0+2 2d0\n");
    FreeFormatReader in(text, "case.dat");
    std::vector<double> v(9, 0.0);
    in.beginRecord("reals");
    for (double& x : v) in.read(x, "a real");
    EXPECT_EQ(v, (std::vector<double>{5.0, 5.0, 0.5, 1000.0, 0.015, -25.0, 3.0, 100.0, 2.0}));
}

TEST(FreeFormatReader, ALetterWhereANumberBelongsNamesFileLineRecordAndWhatWasExpected) {
    std::istringstream text("title\n1 2\n3 x4\n");
    FreeFormatReader in(text, "pile.dat");
    in.readLine("title", 72);
    double a = 0, b = 0, c = 0, d = 0;
    in.beginRecord("record 5 (pile section)");
    in.read(a, "the perimeter");
    in.read(b, "the tip area");
    in.read(c, "the outside diameter");
    try {
        in.read(d, "the inside diameter");
        FAIL() << "a letter was read as a number";
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(),
                     "pile.dat, line 3 (record 5 (pile section)): expected a number for the inside diameter, found \"x4\"");
    }
}

TEST(FreeFormatReader, AnIntegerFieldRefusesAReal) {
    std::istringstream text("1.5\n");
    FreeFormatReader in(text, "case.dat");
    int a = 0;
    in.beginRecord("record 4");
    EXPECT_THROW(in.read(a, "the unit system"), InputError);
}

TEST(FreeFormatReader, AFileEndingInsideARecordSaysWhereAndWhat) {
    std::istringstream text("1 2\n");
    FreeFormatReader in(text, "case.dat");
    int a = 0, b = 0, c = 0;
    in.beginRecord("record 4 (units, output step, soil points, tip closure)");
    in.read(a, "a");
    in.read(b, "b");
    try {
        in.read(c, "the number of soil points");
        FAIL() << "a value was read past the end of the file";
    } catch (const InputError& e) {
        EXPECT_STREQ(e.what(),
                     "case.dat, line 2 (record 4 (units, output step, soil points, tip closure)): the file ends where "
                     "an integer for the number of soil points was expected");
    }
    std::istringstream empty("");
    FreeFormatReader none(empty, "names.dat");
    EXPECT_THROW(none.readLine("line 1", 12), InputError);
}

TEST(FreeFormatReader, WholeLineRecordsArePaddedAndCut) {
    std::istringstream text("short\r\n" + std::string(80, 'x') + "\n");
    FreeFormatReader in(text, "case.dat");
    EXPECT_EQ(in.readLine("title", 10), "short     ");
    EXPECT_EQ(in.readLine("designer", 72), std::string(72, 'x'));
    std::string line;
    EXPECT_FALSE(in.tryReadLine(line, 0));
}

TEST(FreeFormatReader, OutOfRangeNumbersAreErrorsNotInfinities) {
    int i = 0;
    double d = 0;
    EXPECT_FALSE(FreeFormatReader::parseInteger("99999999999", i));
    EXPECT_FALSE(FreeFormatReader::parseReal("1e400", d));
    EXPECT_FALSE(FreeFormatReader::parseReal("nan", d));
    EXPECT_FALSE(FreeFormatReader::parseReal("0x10", d));
    EXPECT_FALSE(FreeFormatReader::parseReal("1e", d));
    EXPECT_FALSE(FreeFormatReader::parseReal(".", d));
    EXPECT_TRUE(FreeFormatReader::parseReal("1e-400", d));
    EXPECT_EQ(d, 0.0);
}

// The Fortran runtime's list-directed read of the same tokens gives the same doubles, bit for bit.
TEST(FreeFormatReader, MatchesTheFortranListDirectedRead) {
    if (!test::fortranFound()) GTEST_SKIP() << "gfortran not found";
    const std::vector<std::string> tokens{
        "0", "1", "-1", "0.1", "0.8", "3.1416", "2.0885546", "9999999", "1.0E-6", "1.0e-10", "1d-7", "47.88",
        "57.2958", "0.7853975", "123456.789", "-0.0", ".5", "5.", "+2.5", "1.5D+2", "7.1e-310", "1.0+2",
        "0.30000000000000004", "2.2250738585072014e-308", "12.5E0", "1E22", "0.047880", "100000000000000000000"};
    test::TempDir dir("free-format");
    std::string data;
    for (const std::string& t : tokens) data += t + ", 99 trailing words\n";
    test::writeFile(dir / "values.txt", data);
    const std::string program =
        "program p\n  implicit none\n  real(8) :: v, w\n  integer :: i\n"
        "  open(10, file='values.txt')\n  open(11, file='out.txt')\n  do i = 1, " +
        std::to_string(tokens.size()) +
        "\n    read(10, *) v, w\n    write(11, '(Z16.16)') v\n  end do\nend program p\n";
    const std::vector<std::string> expected = test::fortranOutput(dir, program);
    ASSERT_EQ(expected.size(), tokens.size());

    std::istringstream text(data);
    FreeFormatReader in(text, "values.txt");
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        double v = 0.0, w = 0.0;
        in.beginRecord("value");
        in.read(v, "v");
        in.read(w, "w");
        in.endRecord();
        char bits[32];
        std::snprintf(bits, sizeof bits, "%016llX", static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
        EXPECT_EQ(bits, expected[i]) << "token " << tokens[i];
    }
}

}  // namespace
}  // namespace vorta
