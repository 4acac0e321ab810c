// The search of a design answer on a method's capacities, worked by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "report/report.h"

namespace vorta {
namespace {

struct SearchCase {
    const char* what;
    double load;
    double factor;
    double length;       // NaN: not reached
    double capacity;     // at that length, or the largest
    double fallsAgainAt; // NaN: it does not
};

TEST(DesignAnswerSearch, FirstLengthLinearBetweenRowsAndWhereTheCapacityFallsAgain) {
    // Rows 1 ft apart (element 0 unused): 0, 100, 300, 250, 200, 400 kips at 0 to 5 ft.
    const std::vector<double> capacity = {0, 0, 100, 300, 250, 200, 400};
    const double nan = std::nan("");
    const SearchCase cases[] = {
        // 150 lies between 100 (1 ft) and 300 (2 ft): 1 + 50 / 200 = 1.25 ft; no row below falls under it.
        {"reached between rows", 150, 1, 1.25, 150, nan},
        // 260 is reached at 1 + 160 / 200 = 1.8 ft; 250 at 3 ft falls under it from 2 + 40 / 50 = 2.8 ft.
        {"lost again deeper", 260, 1, 1.8, 260, 2.8},
        // A factor of 2 on a load of 130 asks for 260 kips: the same lengths.
        {"factor of safety", 130, 2, 1.8, 260, 2.8},
        // 0 kips: the pile of no length carries it.
        {"first row", 0, 1, 0, 0, nan},
        // 500 is not reached: the largest capacity, 400 at 5 ft.
        {"not reached", 500, 1, nan, 400, nan},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.what);
        const DesignAnswer a = designAnswerFor(capacity, 1.0, c.load, c.factor, 1);
        ASSERT_EQ(a.embeddedLength.has_value(), !std::isnan(c.length));
        if (a.embeddedLength) {
            EXPECT_NEAR(*a.embeddedLength, c.length, 1e-12);
        }
        EXPECT_NEAR(a.capacity, c.capacity, 1e-9);
        if (std::isnan(c.length)) {
            EXPECT_EQ(a.capacityLength, 5.0);
        }
        ASSERT_EQ(a.fallsBelowAgainAt.has_value(), !std::isnan(c.fallsAgainAt));
        if (a.fallsBelowAgainAt) {
            EXPECT_NEAR(*a.fallsBelowAgainAt, c.fallsAgainAt, 1e-12);
            EXPECT_NE(a.advisory.find("falls below the load again from 2.80 ft"), std::string::npos) << a.advisory;
        } else {
            EXPECT_TRUE(a.advisory.empty());
        }
    }
}

}  // namespace
}  // namespace vorta
