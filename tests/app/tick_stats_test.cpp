// The tick's histogram against a plain sort of the same intervals, and the
// log file's line made from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "app/tick_stats.h"

namespace corvane::app {
namespace {

constexpr std::uint64_t kEndUs = std::uint64_t{kTickBuckets} * kTickBucketMicroseconds;

// The (n * per_mille / 1000 + 1)-th shortest, cut to its 0.1 ms and to the
// histogram's end.
std::uint64_t sorted_reference(std::vector<std::uint64_t> intervals, std::uint32_t per_mille) {
    std::sort(intervals.begin(), intervals.end());
    const std::size_t rank = std::min(intervals.size() - 1, intervals.size() * per_mille / 1000);
    const std::uint64_t interval = std::min(intervals[rank], kEndUs);
    return interval / kTickBucketMicroseconds * kTickBucketMicroseconds;
}

TEST(TickStats, MedianAndSlowestOnePercentAgreeWithASortForAnyIntervals) {
    std::mt19937_64 random(24);
    std::uniform_int_distribution<std::uint64_t> pick(0, 300000);  // past the histogram's end
    for (std::size_t n : {1u, 2u, 3u, 99u, 100u, 101u, 1000u, 4567u}) {
        TickStats stats;
        std::vector<std::uint64_t> intervals;
        std::uint64_t now = 5000000;
        timer_started(stats, now);
        for (std::size_t i = 0; i < n; ++i) {
            // Most near one period, as a timer gives them, some anywhere.
            const std::uint64_t interval = i % 7 == 0 ? pick(random) : 15600 + pick(random) % 900;
            intervals.push_back(interval);
            now += interval;
            cycle_started(stats, now);
        }
        SCOPED_TRACE(n);
        EXPECT_EQ(stats.cycles, n);
        EXPECT_EQ(interval_at(stats, 500), sorted_reference(intervals, 500));
        EXPECT_EQ(interval_at(stats, 990), sorted_reference(intervals, 990));
    }
}

TEST(TickStats, TheLogFileLine) {
    TickStats stats;
    char line[160];
    tick_line(stats, "tick", 20, line, sizeof line);
    EXPECT_STREQ(line, "tick: 0 cycles (Speed=20)");

    timer_started(stats, 1000);
    cycle_started(stats, 1000 + 21399);
    tick_line(stats, "tick", 20, line, sizeof line);
    EXPECT_STREQ(line, "tick: 1 cycle, interval median 21.3 ms, slowest 1 % 21.3 ms (Speed=20)");

    // After a stop and a start, the time between counts for nothing.
    timer_started(stats, 9000000);
    cycle_started(stats, 9000000 + 400000);
    cycle_started(stats, 9000000 + 400000 + 20000);
    tick_line(stats, "tick since start", 1, line, sizeof line);
    EXPECT_STREQ(line,
                 "tick since start: 3 cycles, interval median 21.3 ms, slowest 1 % over 250 ms "
                 "(Speed=1)");
    clear(stats);
    EXPECT_EQ(stats.cycles, 0u);
    EXPECT_EQ(interval_at(stats, 500), 0u);
}

}  // namespace
}  // namespace corvane::app
