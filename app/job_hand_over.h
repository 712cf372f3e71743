// The hand-over between the window's thread and the job thread: one job
// slot, one result slot, the bridge's tick, the end. Portable: the shell
// owns the thread and runs serve() on it, and is told of a result or a tick
// through notify calls (the Windows shell posts its messages there), so the
// same code runs under test with real threads.
//
// The tick (timer 1) is kept here, on the job thread, while it runs. A cycle
// the window handed over repeats at every tick for as long as its results
// are quiet (tell_at_once() false) and nobody asked for its result: that is
// what the lifecycle would do with a quiet result and the next tick (back
// to Bridging, then the next cycle), done without waking the window. Any
// other result ends the repeats and is told at once; from then on each tick
// is told to the window (one at a time), whose lifecycle decides what it
// does, until it hands over the next cycle. A tick that comes while a cycle
// runs is remembered (one, never a queue): the next cycle starts as soon as
// that one ends.
//
// Nothing is allocated per job. While a job runs, and while cycles repeat,
// the job thread owns whatever the runner touches (the whole bridge
// record); the lock's release and acquire around the slots hand it back and
// forth, and the window's thread has it back once it has taken a result.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "app/lifecycle.h"

namespace corvane::app {

class JobHandOver {
public:
    // Runs one job on the job thread.
    using Runner = JobResult (*)(void* context, Job job);
    // Tells the window's thread that a result waits, or that a tick came;
    // false when it could not (a full message queue). A result is tried
    // again until it is told or the hand-over ends; a tick at the next one.
    using Notify = bool (*)(void* context);
    // How long a refused notify waits before it is tried again.
    static constexpr std::uint32_t kRenotifyMs = 10;

    // abandon is set when end() finds a job under way; it may be null.
    JobHandOver(Runner runner, void* run_context, Notify tell_result, Notify tell_tick,
                void* notify_context, std::atomic<bool>* abandon)
        : runner_(runner),
          run_context_(run_context),
          tell_result_(tell_result),
          tell_tick_(tell_tick),
          notify_context_(notify_context),
          abandon_(abandon) {}
    JobHandOver(const JobHandOver&) = delete;
    JobHandOver& operator=(const JobHandOver&) = delete;

    // The window's thread. Hands a job over and wakes the thread: only while
    // none is in flight (the lifecycle's phase says so). It runs at once.
    void run(Job job);
    // The result of the job that ended, once; false while it runs or when
    // there is none. Taking a quiet result ends the repeats. After end() and
    // the join, the last one never taken.
    bool take_result(JobResult& result);
    // The window waits for the job in flight: its end is told however quiet,
    // and the cycle does not repeat. False when it ended already and its
    // result waits to be taken.
    bool want_result();
    // Timer 1: the first tick one period from now, then every period.
    // Starting it again starts it anew.
    void start_ticks(std::uint32_t period_ms);
    // No more ticks. True when a quiet result waits that nobody was told of
    // (the caller tells the window itself).
    bool stop_ticks();
    // The window has seen the tick it was told of: the next may be told.
    void tick_seen();
    // The program ends: a job under way is abandoned (no further attempt,
    // no sleep, no reopen; its exchanges still run while the server answers
    // them), no job starts after it, and serve() returns once the job is
    // over. The caller joins the thread afterwards. Only the first call
    // does anything.
    void end();
    bool ended() const { return ended_; }

    // The job thread: waits for jobs and ticks and runs them until end().
    void serve();

private:
    using Clock = std::chrono::steady_clock;
    // A tick is due this close to its time: Windows waits in whole
    // milliseconds, and a wait cut short by less would come back at once,
    // again and again, until the time is there.
    static constexpr std::chrono::milliseconds kTickSlack{1};

    // The tick that is due was taken: the next one, on the grid of ticks
    // that start_ticks laid.
    void pass_tick(Clock::time_point now);
    // Under the lock: a result waits that nobody tells yet; the caller now
    // does, so it is told once.
    bool claim_untold_result();
    // Tells the window of a result until it is told or the hand-over ends;
    // the lock is held on entry and on return.
    void tell_result(std::unique_lock<std::mutex>& guard);
    // Tells the window of a tick unless the last one is still unseen; the
    // lock is held on entry and on return.
    void tell_tick(std::unique_lock<std::mutex>& guard);

    const Runner runner_;
    void* const run_context_;
    const Notify tell_result_;
    const Notify tell_tick_;
    void* const notify_context_;
    std::atomic<bool>* const abandon_;

    std::mutex lock_;
    std::condition_variable wake_;
    // Under the lock.
    bool job_pending_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    Job job_ = Job::Cycle;
    bool result_ready_ = false;
    bool result_wanted_ = false;
    bool result_told_ = false;
    JobResult result_;
    // The window's cycle repeats at each tick while its results are quiet.
    bool repeating_ = false;
    bool ticking_ = false;
    bool tick_told_ = false;  // told to the window, not yet seen
    Clock::duration period_{};
    Clock::time_point next_tick_{};
    // The window's thread alone.
    bool ended_ = false;
};

}  // namespace corvane::app
