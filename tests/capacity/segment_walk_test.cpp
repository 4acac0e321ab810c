// The segment walk and the CPT sounding interpolation.
#include <gtest/gtest.h>

#include <random>

#include "capacity/capacity.h"
#include "capacity/state_builders.h"

namespace vorta {
namespace {

using test::buildGrid;
using test::newState;

TEST(SegmentWalk, DepthOnASegmentBottomBelongsToTheSegmentAbove) {
    auto s = newState();
    buildGrid(*s, 4, 2.0, 6.0);
    EXPECT_EQ(segmentAtDepth(*s, 0.0), 1);
    EXPECT_EQ(segmentAtDepth(*s, 2.0), 1);
    EXPECT_EQ(segmentAtDepth(*s, 2.0 + 0.5e-6), 1);  // within the tolerance
    EXPECT_EQ(segmentAtDepth(*s, 2.0 + 2e-6), 2);
    EXPECT_EQ(segmentAtDepth(*s, 7.9), 4);
}

TEST(SegmentWalk, NeverGoesBeyondTheLastSegment) {
    auto s = newState();
    buildGrid(*s, 3, 1.0, 2.0);
    EXPECT_EQ(segmentAtDepth(*s, 3.0), 3);
    EXPECT_EQ(segmentAtDepth(*s, 50.0), 3);
    // A count beyond the arrays' capacity is held at the capacity.
    s->segmentCount = 100000;
    EXPECT_LE(segmentAtDepth(*s, 1.0e9), static_cast<int>(kMaxSegments));
}

TEST(SegmentWalk, DepthsAreAccumulatedFromTheLengthsNotReadFromTheTops) {
    auto s = newState();
    buildGrid(*s, 2, 1.0, 1.0);
    // Tops that disagree with the running sum of lengths: the walk only adds lengths.
    s->segTopDepth[2] = 5.0;
    s->segBottomDepth[2] = 7.0;  // length 2, so the second segment spans 1..3
    EXPECT_EQ(segmentAtDepth(*s, 2.5), 2);
    NodeArray v;
    v[3] = 10.0;
    v[4] = 30.0;
    // 2.5 is three quarters down the second segment (1 + 0.75 * 2): 10 + 20 * 0.75 = 25.
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 2.5), 25.0);
}

TEST(NodeValueAtDepth, LinearBetweenTheSegmentsOwnNodes) {
    auto s = newState();
    buildGrid(*s, 3, 2.0, 4.0);
    NodeArray v;
    // Nodes 2 and 3 lie at the same depth with different values.
    v[1] = 0.0;
    v[2] = 4.0;
    v[3] = 10.0;
    v[4] = 14.0;
    v[5] = 20.0;
    v[6] = 26.0;
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 1.0), 2.0);
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 2.0), 4.0);   // bottom of segment 1, not node 3
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 3.0), 12.0);
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 5.0), 23.0);
    // Below the grid the last segment's line continues: 20 + 6 * (7 - 4) / 2 = 29.
    EXPECT_DOUBLE_EQ(nodeValueAtDepth(*s, v, 7.0), 29.0);
}

TEST(NodeValueAtDepth, NoSegmentsAndZeroLengthSegmentsAreSafe) {
    auto s = newState();
    NodeArray v;
    v[1] = 3.0;
    EXPECT_EQ(nodeValueAtDepth(*s, v, 1.0), 0.0);
    s->segmentCount = 1;  // a segment without length
    EXPECT_EQ(nodeValueAtDepth(*s, v, 0.0), 3.0);
}

void setSounding(AnalysisState& s, std::initializer_list<std::pair<double, double>> points) {
    int n = 0;
    for (const auto& [depth, qc] : points) {
        ++n;
        s.input.cptSounding.cptDepth[n] = depth;
        s.input.cptSounding.cptQc[n] = qc;
    }
    s.input.cptSounding.cptPointCount = n;
}

TEST(InterpolateCptQc, EmptySoundingGivesZero) {
    auto s = newState();
    EXPECT_EQ(interpolateCptQc(*s, 3.0), 0.0);
}

TEST(InterpolateCptQc, EndValuesBeyondTheSoundingAndLinearWithin) {
    auto s = newState();
    setSounding(*s, {{1.0, 100.0}, {3.0, 300.0}, {4.0, 200.0}});
    EXPECT_EQ(interpolateCptQc(*s, 0.0), 100.0);
    EXPECT_EQ(interpolateCptQc(*s, 1.0), 100.0);
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 2.0), 200.0);
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 3.0), 300.0);
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 3.5), 250.0);
    EXPECT_EQ(interpolateCptQc(*s, 9.0), 200.0);
}

TEST(InterpolateCptQc, RepeatedDepthTakesThePointBeforeTheStepWithoutDividingByZero) {
    auto s = newState();
    setSounding(*s, {{0.0, 0.0}, {2.0, 50.0}, {2.0, 80.0}, {4.0, 100.0}});
    // At 2.0 the first point at or below is the first one at 2.0: its value, exactly.
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 2.0), 50.0);
    // Just below, the interval from the second point at 2.0 is used: 80 + 20 * 1 / 2.
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 3.0), 90.0);
}

// The scan from the top that the cursor must agree with, whatever the order of the depths.
double scannedQc(const CptSounding& cpt, double depth) {
    const int count = cpt.cptPointCount;
    if (count < 1) return 0.0;
    if (depth <= cpt.cptDepth[1]) return cpt.cptQc[1];
    for (int j = 2; j <= count; ++j) {
        if (cpt.cptDepth[j] >= depth) {
            return cpt.cptQc[j] -
                   (cpt.cptDepth[j] - depth) * (cpt.cptQc[j] - cpt.cptQc[j - 1]) / (cpt.cptDepth[j] - cpt.cptDepth[j - 1]);
        }
    }
    return cpt.cptQc[count];
}

TEST(CptSoundingCursor, ReadsWhatAScanFromTheTopReadsForDepthsInAnyOrder) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int trial = 0; trial < 60; ++trial) {
        auto s = newState();
        CptSounding& cpt = s->input.cptSounding;
        cpt.cptPointCount = 1 + trial % 25;
        double depth = 0.0;
        for (int j = 1; j <= cpt.cptPointCount; ++j) {
            // Mostly increasing, with repeated depths and, in every third sounding, steps back.
            depth += (trial % 3 == 0 && j % 4 == 0) ? -unit(random) : (j % 5 == 0 ? 0.0 : unit(random));
            cpt.cptDepth[j] = depth;
            cpt.cptQc[j] = 1000.0 * unit(random);
        }
        CptSoundingCursor cursor(cpt);
        for (int q = 0; q < 80; ++q) {
            // Runs of increasing depths down the sounding, broken by jumps back up.
            const double at = q % 17 == 0 ? unit(random) : (q % 40) * 0.4 * unit(random) + q * 0.05;
            ASSERT_EQ(cursor.qcAt(at), scannedQc(cpt, at)) << "trial " << trial << ", depth " << at;
        }
    }
}

TEST(SegmentWalk, HintedLookupsFindWhatPlainLookupsFind) {
    auto s = newState();
    buildGrid(*s, 40, 0.5, 18.0);
    s->segBottomDepth[7] = s->segTopDepth[7];  // a segment without length
    NodeArray v;
    for (int n = 1; n <= 80; ++n) v[n] = n * n * 0.1;
    const SegmentWalk walk(*s);
    int hint = 1;
    // Down the grid, back up and past its bottom, on and between the segment bottoms.
    for (double depth : {0.0, 0.25, 0.5, 0.5 + 0.5e-6, 3.0, 3.1, 19.9, 20.0, 25.0, 1.0, 0.75, 12.0, 12.0, 0.0}) {
        const int plain = walk.segmentAt(depth);
        EXPECT_EQ(walk.segmentAt(depth, hint), plain) << depth;
        EXPECT_EQ(hint, plain);
        int other = 40;
        EXPECT_EQ(walk.valueAt(v, depth, other), walk.valueAt(v, depth)) << depth;
    }
}

TEST(InterpolateCptQc, CountBeyondCapacityIsHeldAtTheCapacity) {
    auto s = newState();
    setSounding(*s, {{1.0, 10.0}, {2.0, 20.0}});
    s->input.cptSounding.cptPointCount = 5000;
    // Reads stay within the table; below all points the last stored (zero) value holds.
    EXPECT_DOUBLE_EQ(interpolateCptQc(*s, 1.5), 15.0);
}

}  // namespace
}  // namespace vorta
