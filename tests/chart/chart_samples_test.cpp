// The chart's sample store against a plain ordered map doing the same: samples added in and out
// of order, replaced, dropped from the front past its compaction, and the y range of any span
// taken from its blocks equal to the range of the samples themselves.

#include "chart/chart_samples.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace krv {
namespace {

void expectSame(const ChartSamples<float>& samples, const std::map<float, float>& reference,
                std::mt19937& random) {
    ASSERT_EQ(samples.size(), reference.size());
    ASSERT_TRUE(std::equal(
        samples.begin(), samples.end(), reference.begin(), reference.end(),
        [](const auto& a, const auto& b) { return a.first == b.first && a.second == b.second; }));
    if (reference.empty()) {
        return;
    }
    std::uniform_int_distribution<std::size_t> at(0, reference.size() - 1);
    for (int span = 0; span < 50; ++span) {
        std::size_t from = at(random);
        std::size_t to = at(random);
        if (from > to) {
            std::swap(from, to);
        }
        const auto first = samples.begin() + static_cast<std::ptrdiff_t>(from);
        const auto last = samples.begin() + static_cast<std::ptrdiff_t>(to + 1);
        const auto [low, high] = std::minmax_element(
            first, last, [](const auto& a, const auto& b) { return a.second < b.second; });
        EXPECT_EQ(samples.yRange(first, last), std::pair(low->second, high->second))
            << "samples " << from << " to " << to;
    }
}

TEST(ChartSamples, KeepsWhatAnOrderedMapKeepsAndTheRangesOfAnySpan) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> y(-50, 150);
    std::uniform_int_distribution<int> oneIn(0, 99);
    ChartSamples<float> samples;
    std::map<float, float> reference;
    float newest = 0;
    for (int round = 0; round < 40; ++round) {
        // Mostly newer samples, now and then one at an x already held or between two.
        for (int i = 0; i < 500; ++i) {
            const int what = oneIn(random);
            float x = newest += 1;
            if (what == 0 && !reference.empty()) {
                x = std::next(reference.begin(), static_cast<std::ptrdiff_t>(reference.size() / 2))
                        ->first;
            } else if (what == 1 && !reference.empty()) {
                x = reference.begin()->first + 0.5f;
            }
            const float value = y(random);
            samples.set(x, value);
            reference[x] = value;
        }
        const auto drop = static_cast<std::size_t>(oneIn(random)) * 7;
        samples.dropOldest(drop);
        for (std::size_t n = 0; n < drop && !reference.empty(); ++n) {
            reference.erase(reference.begin());
        }
        expectSame(samples, reference, random);
    }
    samples.dropOldest(samples.size() + 5);
    EXPECT_TRUE(samples.empty());
    samples.set(3, 4);
    EXPECT_EQ(samples.at(3), 4.0f);
    EXPECT_THROW(samples.at(2), std::out_of_range);
}

} // namespace
} // namespace krv
