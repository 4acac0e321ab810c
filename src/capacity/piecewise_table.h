// Piecewise-linear lookup table: linear between neighbouring points, the first value at or below
// the first point and the last value above the last point. Every soil-property chart of the
// engine is one of these. The points are decimal chart values, so the constructor takes each of
// them as the engine holds decimal constants (single precision widened to double).
#pragma once

#include <array>
#include <cstddef>

#include "engine/constants.h"

namespace vorta {

template <std::size_t N>
class PiecewiseLinearTable {
public:
    static_assert(N >= 1);

    constexpr PiecewiseLinearTable(const double (&x)[N], const double (&y)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            x_[i] = sp(x[i]);
            y_[i] = sp(y[i]);
        }
    }

    // Linear between the two points that bracket v: the first point at or above v and the one
    // before it; the end values beyond the table.
    constexpr double operator()(double v) const {
        if (v <= x_[0]) return y_[0];
        for (std::size_t i = 1; i < N; ++i) {
            if (v <= x_[i]) return y_[i - 1] + (y_[i] - y_[i - 1]) * (v - x_[i - 1]) / (x_[i] - x_[i - 1]);
        }
        return y_[N - 1];
    }

    static constexpr std::size_t size() { return N; }
    constexpr double x(std::size_t i) const { return x_[i]; }
    constexpr double y(std::size_t i) const { return y_[i]; }

private:
    std::array<double, N> x_{};
    std::array<double, N> y_{};
};

}  // namespace vorta
