// The tick as Windows really gives it. A window timer fires on the system
// timer's resolution, not on the period asked for, so Corvane times the
// start of every bridge cycle itself and keeps the intervals in a fixed
// histogram: the log file then says what a user's PC gives (median and the
// slowest 1 %), with nothing allocated or sorted per tick.
#pragma once

#include <cstddef>
#include <cstdint>

namespace corvane::app {

// 0.1 ms wide buckets up to 250 ms (Speed=100 on a 15.6 ms resolution gives
// 109 ms), then one bucket for every longer interval.
constexpr std::uint32_t kTickBucketMicroseconds = 100;
constexpr std::size_t kTickBuckets = 2500;

struct TickStats {
    std::uint32_t intervals[kTickBuckets + 1] = {};  // the last one: the longer ones
    std::uint64_t cycles = 0;
    std::uint64_t last_start_us = 0;  // a cycle's start, or timer 1's
};

// Timer 1 starts: the next cycle's interval counts from now. What was
// counted stays (clear() forgets it).
void timer_started(TickStats& stats, std::uint64_t now_us);
// A bridge cycle starts: one more cycle, its interval since the last start.
void cycle_started(TickStats& stats, std::uint64_t now_us);
void clear(TickStats& stats);

// The interval with per_mille of all below it, the (n * per_mille / 1000 +
// 1)-th shortest of n, as the lower edge of its bucket in microseconds (500:
// the median; 990: the slowest 1 % take at least this long).
// kTickBuckets * kTickBucketMicroseconds stands for "longer than the
// histogram"; 0 without a cycle.
std::uint64_t interval_at(const TickStats& stats, std::uint32_t per_mille);

// The log file's line, e.g. "tick: 1234 cycles, interval median 20.0 ms,
// slowest 1 % 21.3 ms (Speed=20)", label first; cut to fit size.
void tick_line(const TickStats& stats, const char* label, std::int32_t speed, char* line,
               std::size_t size);

}  // namespace corvane::app
