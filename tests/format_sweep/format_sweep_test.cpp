// The long sweep of the formatter's exact fast path against its general path: millions of values
// of every magnitude and every kind of rounding boundary, in the shapes of the report and the
// plot-data file. Built with optimisation whatever the build type (label format-sweep);
// VORTA_FORMAT_SWEEP_VALUES sets the number of values of each kind (default 400000), for example
//     VORTA_FORMAT_SWEEP_VALUES=20000000 ctest --test-dir build-test -L format-sweep
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

#include "report/fortran_format.h"

namespace vorta {
namespace {

long long sweepCount() {
    const char* text = std::getenv("VORTA_FORMAT_SWEEP_VALUES");
    const long long n = text != nullptr ? std::atoll(text) : 0;
    return n > 0 ? n : 400000;
}

// The shapes of the report and the plot-data file, and a few beyond them.
struct Shape {
    bool fixed;
    int width;
    int digits;
    int exponentDigits = 0;
};
constexpr Shape kShapes[] = {{true, 7, 2},    {true, 8, 1},    {true, 9, 1},    {true, 9, 3},    {true, 9, 2},
                             {true, 10, 2},   {true, 11, 2},   {true, 6, 2},    {true, 4, 1},    {true, 5, 0},
                             {true, 12, 6},   {true, 3, 1},    {true, 20, 9},   {false, 10, 3},  {false, 16, 4},
                             {false, 17, 4},  {false, 18, 4},  {false, 19, 4},  {false, 9, 2},   {false, 8, 1},
                             {false, 14, 6},  {false, 12, 3, 3}, {false, 24, 15}};

class Sweep {
public:
    void check(double value) {
        for (const Shape& s : kShapes) {
            const std::string fast = s.fixed ? formatFixed(value, s.width, s.digits)
                                             : formatExponent(value, s.width, s.digits, s.exponentDigits);
            const std::string general = s.fixed ? detail::formatFixedGeneral(value, s.width, s.digits)
                                                : detail::formatExponentGeneral(value, s.width, s.digits,
                                                                                s.exponentDigits);
            ++fields_;
            if (fast != general && ++mismatches_ <= 10) {
                ADD_FAILURE() << (s.fixed ? 'F' : 'E') << s.width << '.' << s.digits << " of " << std::hexfloat
                              << value << std::defaultfloat << ": [" << fast << "], general path [" << general << "]";
            }
        }
    }
    long long mismatches() const { return mismatches_; }
    long long fields() const { return fields_; }

private:
    long long mismatches_ = 0;
    long long fields_ = 0;
};

TEST(FormatSweep, FastPathMatchesTheGeneralPathOnMillionsOfValues) {
    const long long n = sweepCount();
    std::mt19937_64 random(1209);
    std::uniform_int_distribution<std::uint64_t> bits;
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> decade(-30, 30);
    std::uniform_int_distribution<int> places(0, 6);
    std::uniform_int_distribution<long long> whole(0, 99999999);
    std::uniform_int_distribution<int> offset(-3, 3);
    Sweep sweep;
    for (long long i = 0; i < n; ++i) {
        // Any bit pattern: every magnitude, subnormals, infinities and NaN.
        sweep.check(std::bit_cast<double>(bits(random)));
        // Decimal-looking values of either sign over sixty decades.
        sweep.check((i % 2 == 0 ? 1.0 : -1.0) * mantissa(random) * std::pow(10.0, decade(random)));
        // Decimal halves of 0 to 6 places as the nearest doubles hold them, and a few units in the
        // last place either side.
        double tie = (static_cast<double>(whole(random)) + 0.5) / std::pow(10.0, places(random));
        for (int k = offset(random); k != 0; k += k > 0 ? -1 : 1) tie = std::nextafter(tie, k > 0 ? HUGE_VAL : -HUGE_VAL);
        sweep.check(tie);
        // Exact binary ties: odd multiples of 2^-k.
        sweep.check(std::ldexp(static_cast<double>(2 * whole(random) + 1), -1 - static_cast<int>(i % 30)));
    }
    std::printf("format sweep: %lld fields of %lld values, %lld differ\n", sweep.fields(), 4 * n,
                sweep.mismatches());
    EXPECT_EQ(sweep.mismatches(), 0);
}

}  // namespace
}  // namespace vorta
