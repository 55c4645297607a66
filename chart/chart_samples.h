#pragma once
// A series' samples, x -> y with one y per x, kept in x order in one flat run, with the lowest
// and highest y of each block of kBlock samples beside them: the live chart appends at the end
// and drops from the front, a replayed log is a hundred thousand samples and more, and drawing
// it whole asks for the y range of hundreds of samples a pixel column. About eight bytes a
// sample (of float), where a tree of nodes takes six times that and is slower to walk.

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <utility>
#include <vector>

namespace krv {

template <class T> class ChartSamples {
public:
    using Sample = std::pair<T, T>; // x, y
    using const_iterator = typename std::vector<Sample>::const_iterator;
    using const_reverse_iterator = typename std::vector<Sample>::const_reverse_iterator;

    static constexpr std::size_t kBlock = 32;

    bool empty() const { return size() == 0; }
    std::size_t size() const { return samples_.size() - first_; }
    const_iterator begin() const { return samples_.begin() + static_cast<std::ptrdiff_t>(first_); }
    const_iterator end() const { return samples_.end(); }
    const_reverse_iterator rbegin() const { return samples_.rbegin(); }

    // The first sample at or right of x.
    const_iterator lower_bound(T x) const {
        return std::lower_bound(begin(), end(), x,
                                [](const Sample& sample, T at) { return sample.first < at; });
    }
    // The first sample right of x.
    const_iterator upper_bound(T x) const {
        return std::upper_bound(begin(), end(), x,
                                [](T at, const Sample& sample) { return at < sample.first; });
    }
    // The y at x; throws std::out_of_range when there is no sample at x.
    const T& at(T x) const {
        const auto found = lower_bound(x);
        if (found == end() || found->first != x) {
            throw std::out_of_range("no chart sample at this x");
        }
        return found->second;
    }

    // Adds a sample, or replaces the y of the one at the same x.
    void set(T x, T y) {
        if (empty() || samples_.back().first < x) {
            samples_.emplace_back(x, y); // the usual case: a newer sample
            takeIntoBlock(samples_.size() - 1);
            return;
        }
        const auto at = static_cast<std::size_t>(lower_bound(x) - samples_.begin());
        if (at < samples_.size() && samples_[at].first == x) {
            samples_[at].second = y;
        } else {
            samples_.insert(samples_.begin() + static_cast<std::ptrdiff_t>(at), Sample(x, y));
        }
        rebuildBlocksFrom(at / kBlock);
    }
    void dropOldest(std::size_t count) {
        first_ += std::min(count, size());
        // The dropped samples are let go of once they are the larger part.
        if (first_ > samples_.size() / 2) {
            samples_.erase(samples_.begin(), begin());
            first_ = 0;
            rebuildBlocksFrom(0);
        }
    }
    void clear() {
        samples_.clear();
        blocks_.clear();
        first_ = 0;
    }

    // The lowest and highest y of [from, to), which is not empty.
    std::pair<T, T> yRange(const_iterator from, const_iterator to) const {
        auto at = static_cast<std::size_t>(from - samples_.begin());
        const auto stop = static_cast<std::size_t>(to - samples_.begin());
        std::pair<T, T> range(from->second, from->second);
        const auto take = [&range](T low, T high) {
            range.first = std::min(range.first, low);
            range.second = std::max(range.second, high);
        };
        for (; at < stop && at % kBlock != 0; ++at) {
            take(samples_[at].second, samples_[at].second);
        }
        for (; at + kBlock <= stop; at += kBlock) {
            take(blocks_[at / kBlock].first, blocks_[at / kBlock].second);
        }
        for (; at < stop; ++at) {
            take(samples_[at].second, samples_[at].second);
        }
        return range;
    }

private:
    // Takes samples_[at] into its block; the blocks before it are complete.
    void takeIntoBlock(std::size_t at) {
        const T y = samples_[at].second;
        if (at % kBlock == 0) {
            blocks_.emplace_back(y, y);
        } else {
            blocks_.back().first = std::min(blocks_.back().first, y);
            blocks_.back().second = std::max(blocks_.back().second, y);
        }
    }
    void rebuildBlocksFrom(std::size_t block) {
        blocks_.resize(block);
        for (std::size_t at = block * kBlock; at < samples_.size(); ++at) {
            takeIntoBlock(at);
        }
    }

    std::vector<Sample> samples_; // those before first_ are dropped
    std::size_t first_ = 0;
    std::vector<std::pair<T, T>> blocks_; // lowest and highest y of each kBlock of samples_
};

} // namespace krv
