// The bounded readings store: trimming, reads of the newest sample and of ranges, and its lock.

#include "device/diag_data.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace krv {
namespace {

CDiag numbered(uint32_t n) {
    CDiag d;
    d.sampleNumber = n;
    d.setWord(CDiag::kRpmPeriod, static_cast<uint16_t>(n));
    return d;
}

void fill(CDiagData& store, uint32_t count) {
    for (uint32_t n = 1; n <= count; ++n) {
        store.pushSample(numbered(n));
    }
}

std::vector<uint32_t> numbers(CDiagData& store, int from, int to) {
    std::vector<CDiag> out;
    store.copySamples(out, from, to);
    std::vector<uint32_t> result;
    for (const CDiag& d : out) {
        result.push_back(d.sampleNumber);
    }
    return result;
}

TEST(DiagData, KeepsUpTo501ThenDropsTheOldest250) {
    CDiagData store;
    fill(store, 501);
    EXPECT_EQ(store.sampleCount(), 501);
    EXPECT_EQ(numbers(store, 0, 1), std::vector<uint32_t>{1});

    store.pushSample(numbered(502));
    ASSERT_EQ(store.sampleCount(), 252);
    EXPECT_EQ(numbers(store, 0, 1), std::vector<uint32_t>{251});
    CDiag newest;
    store.lastSample(newest);
    EXPECT_EQ(newest, numbered(502));
    // Order is kept across the trim.
    const auto all = numbers(store, 0, 252);
    for (size_t i = 1; i < all.size(); ++i) {
        EXPECT_EQ(all[i], all[i - 1] + 1);
    }
}

TEST(DiagData, LastSampleOfAnEmptyStoreLeavesTheRecord) {
    CDiagData store;
    CDiag record = numbered(77);
    store.lastSample(record);
    EXPECT_EQ(record, numbered(77));
    fill(store, 3);
    store.clearSamples();
    store.lastSample(record);
    EXPECT_EQ(record, numbered(77));
    EXPECT_EQ(store.sampleCount(), 0);
}

TEST(DiagData, CopySamplesRanges) {
    CDiagData store;
    fill(store, 1);
    EXPECT_EQ(numbers(store, 0, 5), std::vector<uint32_t>{1});
    fill(store, 9); // 1, 1..9: ten samples
    const struct {
        int from, to;
        std::vector<uint32_t> expected;
    } cases[] = {
        {8, 9, {8}},         // the second-newest alone
        {7, 100, {7, 8, 9}}, // `to` cut to the count held
        {10, 12, {}},        // from == count
        {11, 12, {}},        // from beyond the count
        {5, 5, {}},          // empty range
        {6, 3, {}},          // reversed range
        {-3, 2, {1, 1}},     // a negative start reads from the oldest, never before it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(numbers(store, c.from, c.to), c.expected) << c.from << ".." << c.to;
    }
    // Appends to what the caller already holds.
    std::vector<CDiag> out{numbered(100)};
    store.copySamples(out, 9, 10);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].sampleNumber, 9u);
}

// A writer pushing and clearing while a reader copies: every sample a reader sees is whole
// and the count never exceeds the bound.
TEST(DiagData, ConcurrentWriterAndReaders) {
    CDiagData store;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (uint32_t n = 1; n <= 20000; ++n) {
            store.pushSample(numbered(n));
            if (n % 3000 == 0) {
                store.clearSamples();
            }
        }
        done = true;
    });
    int reads = 0;
    while (!done || reads < 100) {
        const int count = store.sampleCount();
        EXPECT_LE(count, 501);
        CDiag last;
        store.lastSample(last);
        EXPECT_EQ(last.rpmPeriod(), static_cast<uint16_t>(last.sampleNumber));
        std::vector<CDiag> out;
        store.copySamples(out, count > 2 ? count - 2 : 0, count);
        EXPECT_LE(out.size(), 2u);
        for (const CDiag& d : out) {
            EXPECT_EQ(d.rpmPeriod(), static_cast<uint16_t>(d.sampleNumber));
        }
        ++reads;
    }
    writer.join();
}

} // namespace
} // namespace krv
