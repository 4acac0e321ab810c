// Fixed-capacity arrays indexed from 1, as the engine's tables are numbered. Index 0 exists and
// is unused. The index is checked in debug builds.
#pragma once

#include <array>
#include <cassert>
#include <cstddef>

namespace vorta {

template <typename T, std::size_t N>
class Array1 {
public:
    static constexpr std::size_t capacity = N;

    constexpr T& operator[](std::size_t i) {
        assert(i <= N && "index beyond the table's capacity");
        return data_[i];
    }
    constexpr const T& operator[](std::size_t i) const {
        assert(i <= N && "index beyond the table's capacity");
        return data_[i];
    }
    constexpr T& operator()(std::size_t i) { return (*this)[i]; }
    constexpr const T& operator()(std::size_t i) const { return (*this)[i]; }

    constexpr void fill(const T& value) { data_.fill(value); }

private:
    std::array<T, N + 1> data_{};
};

// Two-index table, both indices from 1: (i, j) with i = 1..N1 and j = 1..N2.
template <typename T, std::size_t N1, std::size_t N2>
class Array2 {
public:
    static constexpr std::size_t rows = N1;
    static constexpr std::size_t columns = N2;

    constexpr T& operator()(std::size_t i, std::size_t j) {
        assert(i <= N1 && j <= N2 && "index beyond the table's capacity");
        return data_[i * (N2 + 1) + j];
    }
    constexpr const T& operator()(std::size_t i, std::size_t j) const {
        assert(i <= N1 && j <= N2 && "index beyond the table's capacity");
        return data_[i * (N2 + 1) + j];
    }

    constexpr void fill(const T& value) { data_.fill(value); }

private:
    std::array<T, (N1 + 1) * (N2 + 1)> data_{};
};

}  // namespace vorta
