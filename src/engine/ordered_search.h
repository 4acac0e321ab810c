// The search that every ordered lookup of the engine shares: the first index of a range at which a
// test holds, for a test that fails up to some index and holds from there on (a depth reached by
// accumulated segment bottoms, a node curve at or below a depth). Lookups made one after another
// down or up the pile start where the last one ended and step from there; a lookup far from its
// hint finishes by bisection. The index found depends on the test alone, never on the hint, so it
// is the index that a scan from the start of the range finds.
#pragma once

#include <algorithm>

namespace vorta {

// The first index i in [low, high - 1] at which passes(i) holds; high when it holds at none of
// them (high itself is never tested). `hint` is where to start looking (any value).
template <typename Test>
int firstPassing(int low, int high, int hint, const Test& passes) {
    if (low >= high) return low;
    int i = std::clamp(hint, low, high);
    bool movedDown = false;
    // A few steps from the hint in the direction the test points to.
    for (int step = 0; step < 4; ++step) {
        if (i < high && !passes(i)) {  // the index lies beyond i
            ++i;
            movedDown = false;
        } else if (i > low && passes(i - 1)) {  // the index lies before i
            --i;
            movedDown = true;
        } else {
            return i;
        }
    }
    // Bisection of what is left: [low, i] when stepping down (passes(i) holds), [i, high] when
    // stepping up (passes(i - 1) fails).
    int lo = movedDown ? low : i;
    int hi = movedDown ? i : high;
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (passes(mid)) {
            hi = mid;
        } else {
            lo = mid + 1;
        }
    }
    return lo;
}

}  // namespace vorta
