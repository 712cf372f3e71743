// The tick's histogram against a plain sort of the same intervals. The log
// file's lines themselves are checked where the lifecycle writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/tick_stats.h"

namespace corvane::app {
namespace {

TEST(TickStats, MedianAndSlowestOnePercentAgreeWithASortForAnyIntervals) {
    constexpr std::uint64_t kEndUs = std::uint64_t{kTickBuckets} * kTickBucketMicroseconds;
    // The (n * per_mille / 1000 + 1)-th shortest, cut to its 0.1 ms and to
    // the histogram's end.
    const auto sorted_reference = [&](std::vector<std::uint64_t> all, std::uint32_t per_mille) {
        std::sort(all.begin(), all.end());
        const std::uint64_t interval = all[std::min(all.size() - 1, all.size() * per_mille / 1000)];
        return std::min(interval, kEndUs) / kTickBucketMicroseconds * kTickBucketMicroseconds;
    };
    std::mt19937_64 random(24);
    std::uniform_int_distribution<std::uint64_t> pick(0, 300000);  // past the histogram's end
    for (std::size_t n : {1u, 2u, 3u, 99u, 100u, 101u, 1000u, 4567u}) {
        SCOPED_TRACE(n);
        TickStats stats;
        std::vector<std::uint64_t> intervals;
        std::uint64_t now = 5000000;
        timer_started(stats, now);
        for (std::size_t i = 0; i < n; ++i) {
            // Most near one period, as a timer gives them, some anywhere.
            intervals.push_back(i % 7 == 0 ? pick(random) : 15600 + pick(random) % 900);
            now += intervals.back();
            cycle_started(stats, now);
        }
        EXPECT_EQ(stats.cycles, n);
        EXPECT_EQ(interval_at(stats, 500), sorted_reference(intervals, 500));
        EXPECT_EQ(interval_at(stats, 990), sorted_reference(intervals, 990));
        char line[160];
        tick_line(stats, "tick", 1, line, sizeof line);
        EXPECT_EQ(std::string(line).find("slowest 1 % over 250 ms (Speed=1)") != std::string::npos,
                  interval_at(stats, 990) == kEndUs)
            << line;
    }
}

}  // namespace
}  // namespace corvane::app
