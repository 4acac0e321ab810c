#include "report/fortran_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace vorta {
namespace {

TEST(FortranFormat, FixedPointRoundsTiesToEvenOnTheExactBinaryValue) {
    // 0.125 and 0.375 are exact binary ties: they round to the even neighbour.
    EXPECT_EQ(formatFixed(0.125, 6, 2), "  0.12");
    EXPECT_EQ(formatFixed(0.375, 6, 2), "  0.38");
    EXPECT_EQ(formatFixed(2.5, 4, 0), "  2.");
    // 0.15 is held as 0.1499999999999999944..., so it rounds down whatever a decimal reading says.
    EXPECT_EQ(formatFixed(0.15, 5, 1), "  0.1");
    EXPECT_EQ(formatFixed(1234.56, 8, 1), "  1234.6");
}

TEST(FortranFormat, FixedPointDropsTheLeadingZeroOnlyWhenThereIsNoRoom) {
    EXPECT_EQ(formatFixed(0.5, 5, 2), " 0.50");
    EXPECT_EQ(formatFixed(0.5, 4, 2), "0.50");
    EXPECT_EQ(formatFixed(0.5, 3, 2), ".50");
    EXPECT_EQ(formatFixed(-0.5, 4, 2), "-.50");
    EXPECT_EQ(formatFixed(-0.5, 3, 2), "***");
}

TEST(FortranFormat, ValuesTooWideForTheFieldPrintAsAsterisks) {
    EXPECT_EQ(formatFixed(12345.0, 7, 2), "*******");
    EXPECT_EQ(formatFixed(-1234.5, 7, 2), "*******");
    EXPECT_EQ(formatFixed(1.0e100, 6, 2), "******");
    EXPECT_EQ(formatInteger(12345, 3), "***");
    EXPECT_EQ(formatInteger(-10, 2), "**");
    // Rounding that carries into a new digit can overflow too: 999.995 -> 1000.00 needs 7 columns.
    EXPECT_EQ(formatFixed(999.996, 6, 2), "******");
}

TEST(FortranFormat, NegativeValuesThatRoundToZeroKeepTheirSign) {
    EXPECT_EQ(formatFixed(-0.001, 6, 2), " -0.00");
    EXPECT_EQ(formatFixed(-0.0, 6, 2), " -0.00");
    EXPECT_EQ(formatExponent(-0.0, 11, 4), "-0.0000E+00");
}

TEST(FortranFormat, ExponentFormHasAZeroBeforeThePointAndTwoOrThreeExponentDigits) {
    EXPECT_EQ(formatExponent(9999999.0, 9, 2), " 0.10E+08");  // the no-limit marker of the echo
    EXPECT_EQ(formatExponent(2.0, 9, 2), " 0.20E+01");
    EXPECT_EQ(formatExponent(0.0, 10, 3), " 0.000E+00");
    EXPECT_EQ(formatExponent(1234.5678, 16, 4), "      0.1235E+04");
    EXPECT_EQ(formatExponent(-0.001, 9, 3), "-.100E-02");
    EXPECT_EQ(formatExponent(0.99996, 10, 4), "0.1000E+01");  // rounding carries into the exponent
    EXPECT_EQ(formatExponent(1.0e100, 10, 3), " 0.100+101");  // three digits replace the E
    EXPECT_EQ(formatExponent(1.0e-100, 10, 3), " 0.100E-99");  // exponent -99 still fits two digits
    EXPECT_EQ(formatExponent(1.0e-101, 10, 3), " 0.100-100");
    EXPECT_EQ(formatExponent(1.0e300, 5, 3), "*****");
    EXPECT_EQ(formatExponent(5.0, 12, 3, 3), "  0.500E+001");
}

TEST(FortranFormat, IntegersWithMinimumDigitsAndTextFields) {
    EXPECT_EQ(formatInteger(7, 2, 2), "07");
    EXPECT_EQ(formatInteger(2024, 4), "2024");
    EXPECT_EQ(formatInteger(-5, 4), "  -5");
    EXPECT_EQ(formatInteger(0, 3, 0), "   ");
    EXPECT_EQ(formatText("FT.", 3), "FT.");
    EXPECT_EQ(formatText("ab", 5), "   ab");  // a shorter text is right-justified
    EXPECT_EQ(formatText("abcdef", 4), "abcd");
    EXPECT_EQ(formatText("free", 0), "free");
}

TEST(FortranFormat, RecordsFollowTheEditDescriptors) {
    EXPECT_EQ(format("(11X,F7.2,6X,F8.1,6X,F8.1,4X,F9.1)", 12.0, 34.56, 7.0, 41.56),
              "             12.00          34.6           7.0         41.6");
    EXPECT_EQ(format("(10X,\"DEPTH\",1X,A3)", "FT."), "          DEPTH FT.");
    EXPECT_EQ(format("(5X,73('='))"), "     " + std::string(73, '='));
    EXPECT_EQ(format("('It''s')"), "It's");
    EXPECT_EQ(format("(8X,I5,I11,E16.4)", 3, 10, 12.5), "            3         10      0.1250E+02");
    EXPECT_EQ(format("(E17.4,3E16.4)", 1.0, 2.0, 3.0, 4.0),
              "       0.1000E+01      0.2000E+01      0.3000E+01      0.4000E+01");
}

TEST(FortranFormat, SlashesEndLinesAndALeadingSlashGivesAnEmptyLine) {
    EXPECT_EQ(format("(/,/,12X,\"NOTES:\",/)"), "\n\n            NOTES:\n");
    EXPECT_EQ(format("(\"A\",/,\"B\")"), "A\nB");
    EXPECT_EQ(format("(\"A\",2/,\"B\")"), "A\n\nB");
}

TEST(FortranFormat, TrailingBlanksOfXAreNotWritten) {
    EXPECT_EQ(format("(A,5X)", "ab"), "ab");
    EXPECT_EQ(format("(A,5X,A)", "ab", "c"), "ab     c");
    EXPECT_EQ(format("(A,5X,/,A)", "ab", "c"), "ab\nc");
}

TEST(FortranFormat, OutputStopsAtTheFirstDescriptorWithoutAValue) {
    EXPECT_EQ(format("(I3,\" and \",I3,\" then \",I3)", 1, 2), "  1 and   2 then ");
    EXPECT_EQ(format("(3I3)", 1), "  1");
}

TEST(FortranFormat, LeftOverValuesStartANewLineAtTheLastTopLevelGroup) {
    EXPECT_EQ(format("(3(I3))", 1, 2, 3, 4, 5, 6, 7), "  1  2  3\n  4  5  6\n  7");
    EXPECT_EQ(format("(I3,2(I3,\"x\"))", 1, 2, 3, 4, 5, 6, 7), "  1  2x  3x\n  4x  5x\n  6x  7x");
    EXPECT_EQ(format("(I3)", 1, 2), "  1\n  2");
}

TEST(FortranFormat, MalformedFormatsAreRefused) {
    EXPECT_THROW(FortranFormat::fromText("11X,F7.2"), std::invalid_argument);
    EXPECT_THROW(FortranFormat::fromText("(F7)"), std::invalid_argument);
    EXPECT_THROW(FortranFormat::fromText("(Q5)"), std::invalid_argument);
    EXPECT_THROW(FortranFormat::fromText("(\"open)"), std::invalid_argument);
    EXPECT_THROW(FortranFormat::fromText("((I3)"), std::invalid_argument);
    EXPECT_NO_THROW(FortranFormat::fromText("(1X, F7.2 , 2(I3,A))"));
}

TEST(FortranFormat, FreeFormatIntegersReadBackAsIntegers) {
    const std::vector<long long> values{4, 21, 1, -1};
    const std::string line = formatFreeIntegers(values);
    std::istringstream in(line);
    long long a = 0, b = 0, c = 0, d = 0;
    in >> a >> b >> c >> d;
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 21);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(d, -1);
    EXPECT_EQ(line, "           4          21           1          -1");
}

TEST(FortranFormat, RecordWriterEndsEveryLine) {
    std::ostringstream out;
    RecordWriter writer(&out);
    writer.write("(1X,I3)", 7);
    writer.writeFree({1, 2});
    writer.writeLine("text");
    writer.write("(/)");
    EXPECT_EQ(out.str(), "   7\n           1           2\ntext\n\n\n");
    RecordWriter detached;
    detached.write("(I3)", 1);  // no stream: nothing happens
}

// The Fortran runtime's own formatted output, on many values, for the descriptors the report and
// the plot-data file use. Skipped when no Fortran compiler is installed.
TEST(FortranFormat, MatchesTheFortranRuntimeOnManyValues) {
    if (!test::fortranFound()) GTEST_SKIP() << "gfortran not found";

    std::vector<double> values{0.0, -0.0, 0.5, -0.5, 0.125, 0.375, 2.5, 0.05, 0.15, 0.25, 0.35, 1.0, 9.995,
                               99.995, 999.95, 9999999.0, 1.0e-10, 1.0e10, 123456.789, -123456.789, 1.0e-100,
                               1.0e100, 0.9999999, 0.099999, 5.0e-5, 12.345, -12.345, 6.66, 13.32, 0.800000011920929};
    std::mt19937_64 random(20261209);
    std::uniform_real_distribution<double> mantissa(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-8, 9);
    for (int i = 0; i < 1500; ++i) values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    // Values on a rounding boundary of two decimals: k/8 + tiny offsets either side.
    for (int k = -40; k <= 40; ++k) {
        const double tie = k / 8.0;
        values.push_back(tie);
        values.push_back(std::nextafter(tie, 1.0e9));
        values.push_back(std::nextafter(tie, -1.0e9));
    }

    const std::vector<std::string> descriptors{"F7.2", "F8.1", "F9.1", "F9.3", "F10.2", "F6.2", "F11.2", "F13.2",
                                               "F8.3", "F4.1", "F3.1", "F5.0", "E9.2",  "E10.3", "E16.4", "E17.4",
                                               "E18.4", "E19.4", "E10.3", "E8.1"};
    test::TempDir dir("fortran-format");
    std::string data;
    for (double v : values) {
        char line[32];
        std::snprintf(line, sizeof line, "%016llX\n",
                      static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(v)));
        data += line;
    }
    test::writeFile(dir / "values.txt", data);
    std::string program = "program p\n  implicit none\n  integer(8) :: bits\n  real(8) :: v\n  integer :: i, n\n"
                          "  open(10, file='values.txt')\n  open(11, file='out.txt')\n  n = " +
                          std::to_string(values.size()) + "\n  do i = 1, n\n    read(10, '(Z16)') bits\n"
                          "    v = transfer(bits, v)\n";
    for (const std::string& d : descriptors) program += "    write(11, '(" + d + ")') v\n";
    program += "  end do\nend program p\n";
    const std::vector<std::string> expected = test::fortranOutput(dir, program);
    ASSERT_EQ(expected.size(), values.size() * descriptors.size());

    std::size_t line = 0;
    int mismatches = 0;
    for (double v : values) {
        for (const std::string& d : descriptors) {
            const std::string ours = formatRecords(FortranFormat::fromText("(" + d + ")"),
                                                   std::vector<FormatArg>{FormatArg(v)});
            if (ours != expected[line] && ++mismatches <= 10) {
                ADD_FAILURE() << d << " of " << std::hexfloat << v << std::defaultfloat << " (" << v << "): ours ["
                              << ours << "], Fortran [" << expected[line] << "]";
            }
            ++line;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FortranFormat, IntegerFieldsMatchTheFortranRuntime) {
    if (!test::fortranFound()) GTEST_SKIP() << "gfortran not found";
    const std::vector<long long> values{0, 1, -1, 7, 9, 10, 59, 99, 100, -99, 2024, 12345, -12345, 999999};
    const std::vector<std::string> descriptors{"I2.2", "I4", "I5", "I11", "I3", "I1", "I6.4"};
    test::TempDir dir("fortran-integer");
    std::string program = "program p\n  implicit none\n  integer :: i\n  integer, parameter :: v(" +
                          std::to_string(values.size()) + ") = [";
    for (std::size_t i = 0; i < values.size(); ++i) program += (i ? ", " : "") + std::to_string(values[i]);
    program += "]\n  open(11, file='out.txt')\n  do i = 1, size(v)\n";
    for (const std::string& d : descriptors) program += "    write(11, '(" + d + ")') v(i)\n";
    program += "  end do\nend program p\n";
    const std::vector<std::string> expected = test::fortranOutput(dir, program);
    std::size_t line = 0;
    for (long long v : values) {
        for (const std::string& d : descriptors) {
            const std::string ours =
                formatRecords(FortranFormat::fromText("(" + d + ")"), std::vector<FormatArg>{FormatArg(v)});
            EXPECT_EQ(ours, expected.at(line)) << d << " of " << v;
            ++line;
        }
    }
}

// The descriptors of the report and the plot-data file, and a few beyond them (the long sweep of
// random values of every magnitude, tests/format_sweep, takes the same shapes).
struct FieldShape {
    char kind;  // 'F' or 'E'
    int width;
    int digits;
    int exponentDigits = 0;
};
const std::vector<FieldShape>& fieldShapes() {
    static const std::vector<FieldShape> shapes{
        {'F', 7, 2}, {'F', 8, 1}, {'F', 9, 1},  {'F', 9, 3},  {'F', 9, 2},  {'F', 10, 2}, {'F', 6, 2},
        {'F', 4, 1}, {'F', 5, 0}, {'F', 12, 6}, {'F', 3, 1},  {'F', 20, 9}, {'E', 10, 3}, {'E', 16, 4},
        {'E', 17, 4}, {'E', 18, 4}, {'E', 19, 4}, {'E', 9, 2}, {'E', 8, 1}, {'E', 12, 3, 3}, {'E', 24, 15}};
    return shapes;
}

// Holds the formatter (exact fast path first) against the general path alone on one value in
// every shape; returns the number of fields that differ and reports the first few.
int mismatchesOn(double value, int& reported) {
    int mismatches = 0;
    for (const FieldShape& f : fieldShapes()) {
        const std::string ours = f.kind == 'F' ? formatFixed(value, f.width, f.digits)
                                               : formatExponent(value, f.width, f.digits, f.exponentDigits);
        const std::string general = f.kind == 'F' ? detail::formatFixedGeneral(value, f.width, f.digits)
                                                  : detail::formatExponentGeneral(value, f.width, f.digits,
                                                                                  f.exponentDigits);
        if (ours != general) {
            ++mismatches;
            if (++reported <= 10) {
                ADD_FAILURE() << f.kind << f.width << '.' << f.digits << " of " << std::hexfloat << value
                              << std::defaultfloat << " (" << value << "): [" << ours << "], general path ["
                              << general << "]";
            }
        }
    }
    return mismatches;
}

// The value and its neighbours a few units in the last place away.
int mismatchesAround(double value, int& reported) {
    int mismatches = mismatchesOn(value, reported);
    double up = value;
    double down = value;
    for (int k = 0; k < 2; ++k) {
        up = std::nextafter(up, HUGE_VAL);
        down = std::nextafter(down, -HUGE_VAL);
        mismatches += mismatchesOn(up, reported) + mismatchesOn(down, reported);
    }
    return mismatches;
}

TEST(FortranFormatFastPath, MatchesTheGeneralPathOnRoundingTies) {
    int reported = 0;
    int mismatches = 0;
    // Exact binary ties: odd multiples of 2^-k, which lie halfway between two decimals of d places
    // when k > d (0.125 at two places, 0.0625 at three, 2.5 at none).
    for (int k = 1; k <= 14; ++k) {
        for (int j = 1; j < 4000; j += 2) mismatches += mismatchesAround(std::ldexp(static_cast<double>(j), -k), reported);
    }
    // Decimal halves as the nearest doubles hold them (0.05, 1.15, 99.995, ...), and carries into a
    // new digit or decade (9.95, 999.95, 0.99996).
    for (int d = 0; d <= 6; ++d) {
        for (int j = 0; j < 3000; ++j) {
            mismatches += mismatchesAround((j + 0.5) / std::pow(10.0, d), reported);
            mismatches += mismatchesAround(-(j + 0.5) / std::pow(10.0, d), reported);
        }
        mismatches += mismatchesAround(std::pow(10.0, d) - 0.5 * std::pow(10.0, -4), reported);
    }
    // Zero, the smallest and largest doubles, infinities and NaN.
    for (double v : {0.0, -0.0, std::numeric_limits<double>::denorm_min(), std::numeric_limits<double>::min(),
                     std::numeric_limits<double>::max(), HUGE_VAL, -HUGE_VAL, std::nan(""), 0x1p52, 0x1p53, 1e22, 1e23}) {
        mismatches += mismatchesAround(v, reported);
    }
    EXPECT_EQ(mismatches, 0);
}

// Every number printed in the examples' expected reports and plot-data files, read back and
// formatted in its own shape: on it, on its neighbours, and half a unit of its last digit either
// side (the values that round to the printed text's neighbours).
TEST(FortranFormatFastPath, MatchesTheGeneralPathOnTheFieldsOfEveryExample) {
    int reported = 0;
    int mismatches = 0;
    int fields = 0;
    for (const auto& entry : std::filesystem::directory_iterator(test::sourcePath("examples"))) {
        for (const char* name : {"expected/report.out", "expected/plot.plt"}) {
            const std::filesystem::path file = entry.path() / name;
            if (!std::filesystem::exists(file)) continue;
            std::istringstream words(test::readFile(file));
            std::string word;
            while (words >> word) {
                const std::size_t point = word.find('.');
                if (point == std::string::npos || word.find_first_not_of("+-.0123456789E") != std::string::npos) continue;
                char* end = nullptr;
                const double value = std::strtod(word.c_str(), &end);
                if (end != word.c_str() + word.size()) continue;
                const std::size_t e = word.find('E');
                const int decimals = static_cast<int>((e == std::string::npos ? word.size() : e) - point - 1);
                const double half = 0.5 * std::pow(10.0, -decimals) *
                                    (e == std::string::npos ? 1.0 : std::pow(10.0, std::atoi(word.c_str() + e + 1)));
                for (double v : {value, value + half, value - half}) mismatches += mismatchesAround(v, reported);
                ++fields;
            }
        }
    }
    EXPECT_GT(fields, 10000);
    EXPECT_EQ(mismatches, 0);
}

TEST(RecordWriterGathering, KeepsTheOrderOfEveryRecordAndHandsAllOverBeforeTheFileGoes) {
    std::ostringstream file;
    RecordWriter writer;
    std::string expected;
    {
        const RecordWriter::FileAttachment attached(writer, file);
        for (int k = 1; k <= 400; ++k) {  // more than one gathering buffer's worth
            writer.write("(I5,F9.2)", k, k * 0.25);
            expected += formatRecords("(I5,F9.2)", std::vector<FormatArg>{FormatArg(k), FormatArg(k * 0.25)}) + "\n";
        }
        writer.writeFree({1, 2});
        expected += "           1           2\n";
        // A record formatted before is gathered like the others.
        writer.write(formatRecord("(/,1X,A)", "kept"));
        expected += "\n kept\n";
        writer.flush();
        EXPECT_EQ(file.str(), expected);  // everything so far reached the file
        writer.write("(A)", "last");
        expected += "last\n";
        EXPECT_NE(file.str(), expected);  // the last record still waits in the writer
    }
    EXPECT_EQ(file.str(), expected);
    EXPECT_FALSE(writer.attached());
}

TEST(RecordWriterGathering, FlushHandsOverWhatWasGatheredAndANewStreamStartsEmpty) {
    std::ostringstream first;
    std::ostringstream second;
    RecordWriter writer;
    writer.attach(&first);
    writer.gather(true);
    writer.write("(A)", "one");
    writer.flush();
    EXPECT_EQ(first.str(), "one\n");
    writer.write("(A)", "two");
    writer.attach(&second);  // what was gathered for the first stream is not written to the second
    writer.write("(A)", "three");
    writer.gather(false);
    EXPECT_EQ(first.str(), "one\n");
    EXPECT_EQ(second.str(), "three\n");
}

}  // namespace
}  // namespace vorta
