// The shared ordered search: the index it finds depends on the test alone, never on the hint.
#include "engine/ordered_search.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace vorta {
namespace {

// The index a scan from the start finds: the first passing index below high, else high.
int scanFirstPassing(int low, int high, const std::vector<double>& bottoms, double depth) {
    for (int i = low; i < high; ++i) {
        if (depth - bottoms[static_cast<std::size_t>(i)] <= 1.0e-6) return i;
    }
    return high;
}

TEST(OrderedSearch, FindsWhatAScanFindsFromEveryHint) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> step(0.0, 1.0);
    for (int trial = 0; trial < 200; ++trial) {
        // Accumulated bottoms (some segments without length) and depths around and beyond them.
        const int count = 1 + trial % 40;
        std::vector<double> bottoms(static_cast<std::size_t>(count) + 1, 0.0);
        for (int i = 1; i <= count; ++i) {
            bottoms[static_cast<std::size_t>(i)] = bottoms[static_cast<std::size_t>(i) - 1] + (i % 7 == 0 ? 0.0 : step(random));
        }
        for (int q = 0; q < 20; ++q) {
            const double depth = (step(random) * 1.2 - 0.1) * bottoms.back();
            const int expected = scanFirstPassing(1, count, bottoms, depth);
            for (int hint = -2; hint <= count + 2; ++hint) {
                const int found = firstPassing(1, count, hint, [&](int i) {
                    return depth - bottoms[static_cast<std::size_t>(i)] <= 1.0e-6;
                });
                ASSERT_EQ(found, expected) << "count " << count << ", depth " << depth << ", hint " << hint;
            }
        }
    }
}

TEST(OrderedSearch, AnEmptyOrSingleRangeGivesItsStart) {
    const auto never = [](int) { return false; };
    EXPECT_EQ(firstPassing(1, 1, 5, never), 1);
    EXPECT_EQ(firstPassing(3, 2, 0, never), 3);
    EXPECT_EQ(firstPassing(1, 2, 9, never), 2);
    EXPECT_EQ(firstPassing(1, 2, 9, [](int) { return true; }), 1);
}

}  // namespace
}  // namespace vorta
