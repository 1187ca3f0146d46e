// Sharing a run's length out by minimums, maximums and weights.
#include <gtest/gtest.h>

#include <numeric>

#include <Distribute.h>

namespace {

float total(const std::vector<float> &sizes) {
    return std::accumulate(sizes.begin(), sizes.end(), 0.0f);
}

}  // namespace

TEST(Distribute, SharesExtraByWeightAndUsesEveryPixel) {
    std::vector<float> sizes = distribute_length(111, {{10, 1e6, 1}, {10, 1e6, 3}});
    // 91 extra pixels: 22.75 and 68.25; the odd pixel goes to the first.
    EXPECT_EQ(sizes, (std::vector<float>{33, 78}));
    EXPECT_EQ(total(sizes), 111);

    sizes = distribute_length(100, {{0, 1e6, 1}, {0, 1e6, 1}, {0, 1e6, 1}});
    EXPECT_EQ(sizes, (std::vector<float>{34, 33, 33}));
}

TEST(Distribute, SpansStopAtTheirMaximumAndTheRestGoesToTheOthers) {
    std::vector<float> sizes =
        distribute_length(300, {{20, 40, 1}, {20, 1e6, 1}, {30, 30, 5}, {0, 1e6, 1}});
    EXPECT_EQ(sizes[0], 40);
    EXPECT_EQ(sizes[2], 30);  // fixed: its weight does not matter
    EXPECT_EQ(total(sizes), 300);
    EXPECT_NEAR(sizes[1] - 20, sizes[3], 1);
}

TEST(Distribute, NeverGoesBelowMinimumsOrAboveMaximums) {
    EXPECT_EQ(distribute_length(50, {{40, 100, 1}, {40, 100, 1}}), (std::vector<float>{40, 40}));
    EXPECT_EQ(distribute_length(1000, {{40, 100, 1}, {10, 60, 1}}), (std::vector<float>{100, 60}));
    EXPECT_TRUE(distribute_length(100, {}).empty());
}

TEST(Distribute, WeightlessSpansGrowOnlyWhenNothingElseCan) {
    EXPECT_EQ(distribute_length(100, {{0, 1e6, 0}, {0, 1e6, 1}}), (std::vector<float>{0, 100}));
    EXPECT_EQ(distribute_length(100, {{0, 1e6, 0}, {0, 30, 1}}), (std::vector<float>{70, 30}));
    EXPECT_EQ(distribute_length(10, {{0, 1e6, 0}, {0, 1e6, 0}}), (std::vector<float>{5, 5}));
}
