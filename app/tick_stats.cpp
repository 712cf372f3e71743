// The tick's histogram: one counter per 0.1 ms of interval.
#include "app/tick_stats.h"

#include <cstdio>
#include <limits>

namespace corvane::app {
namespace {

constexpr std::uint64_t kHistogramEndUs = std::uint64_t{kTickBuckets} * kTickBucketMicroseconds;

// "20.0 ms", or "over 250 ms" for the bucket of the longer intervals.
void milliseconds_text(std::uint64_t microseconds, char* text, std::size_t size) {
    if (microseconds >= kHistogramEndUs) {
        std::snprintf(text, size, "over %u ms", static_cast<unsigned>(kHistogramEndUs / 1000));
        return;
    }
    std::snprintf(text, size, "%u.%u ms", static_cast<unsigned>(microseconds / 1000),
                  static_cast<unsigned>(microseconds % 1000 / 100));
}

}  // namespace

void timer_started(TickStats& stats, std::uint64_t now_us) { stats.last_start_us = now_us; }

void cycle_started(TickStats& stats, std::uint64_t now_us) {
    // A clock that went back (it should not) counts as no time at all.
    const std::uint64_t interval = now_us > stats.last_start_us ? now_us - stats.last_start_us : 0;
    const std::uint64_t bucket = interval / kTickBucketMicroseconds;
    std::uint32_t& count = stats.intervals[bucket < kTickBuckets ? bucket : kTickBuckets];
    // Weeks at Speed=1 could fill a counter: it stays full instead of wrapping.
    if (count < std::numeric_limits<std::uint32_t>::max()) {
        ++count;
    }
    ++stats.cycles;
    stats.last_start_us = now_us;
}

void clear(TickStats& stats) { stats = TickStats{}; }

std::uint64_t interval_at(const TickStats& stats, std::uint32_t per_mille) {
    std::uint64_t counted = 0;
    for (const std::uint32_t count : stats.intervals) {
        counted += count;
    }
    // From 1; the last one at most, so one slow interval among 100 is the
    // slowest 1 %.
    const std::uint64_t below = counted * per_mille / 1000;
    const std::uint64_t rank = below < counted ? below + 1 : counted;
    std::uint64_t seen = 0;
    for (std::size_t bucket = 0; bucket <= kTickBuckets && rank > 0; ++bucket) {
        seen += stats.intervals[bucket];
        if (seen >= rank) {
            return bucket * std::uint64_t{kTickBucketMicroseconds};
        }
    }
    return 0;
}

void tick_line(const TickStats& stats, const char* label, std::int32_t speed, char* line,
               std::size_t size) {
    if (stats.cycles == 0) {
        std::snprintf(line, size, "%s: 0 cycles (Speed=%d)", label, static_cast<int>(speed));
        return;
    }
    char median[24];
    char slowest[24];
    milliseconds_text(interval_at(stats, 500), median, sizeof median);
    milliseconds_text(interval_at(stats, 990), slowest, sizeof slowest);
    const char* plural = stats.cycles == 1 ? "" : "s";
    std::snprintf(line, size, "%s: %llu cycle%s, interval median %s, slowest 1 %% %s (Speed=%d)",
                  label, static_cast<unsigned long long>(stats.cycles), plural, median, slowest,
                  static_cast<int>(speed));
}

}  // namespace corvane::app
