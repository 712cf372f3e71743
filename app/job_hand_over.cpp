// The job slot, the result slot, the tick and the end, under one lock.
#include "app/job_hand_over.h"

#include <algorithm>

namespace corvane::app {

void JobHandOver::run(Job job) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        if (stopping_) {
            return;
        }
        job_ = job;
        job_pending_ = true;
    }
    wake_.notify_one();
}

bool JobHandOver::take_result(JobResult& result) {
    const std::lock_guard<std::mutex> guard(lock_);
    if (!result_ready_) {
        return false;
    }
    result_ready_ = false;
    result_wanted_ = false;
    result = result_;
    return true;
}

bool JobHandOver::want_result() {
    const std::lock_guard<std::mutex> guard(lock_);
    result_wanted_ = true;
    return !claim_untold_result();
}

void JobHandOver::start_ticks(std::uint32_t period_ms) {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        // Longer than the slack, or every wait would end at once.
        period_ = std::max<Clock::duration>(std::chrono::milliseconds(period_ms), 2 * kTickSlack);
        next_tick_ = Clock::now() + period_;
        ticking_ = true;
        tick_told_ = false;
    }
    wake_.notify_one();
}

bool JobHandOver::stop_ticks() {
    const std::lock_guard<std::mutex> guard(lock_);
    ticking_ = false;
    tick_told_ = false;
    // A cycle under way tells its result itself: nothing repeats it now.
    repeating_ = false;
    return claim_untold_result();
}

void JobHandOver::tick_seen() {
    const std::lock_guard<std::mutex> guard(lock_);
    tick_told_ = false;
}

void JobHandOver::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
        // Under the lock: a job that starts later never does, one that runs
        // sees it.
        if (busy_ && abandon_ != nullptr) {
            abandon_->store(true);
        }
    }
    wake_.notify_one();
}

void JobHandOver::pass_tick(Clock::time_point now) {
    next_tick_ += period_;
    // More ticks went by meanwhile (the thread came late, or the last cycle
    // ran long): the latest of them is remembered, the rest are dropped.
    if (next_tick_ <= now) {
        next_tick_ += period_ * ((now - next_tick_) / period_);
    }
}

bool JobHandOver::claim_untold_result() {
    if (!result_ready_ || result_told_) {
        return false;
    }
    result_told_ = true;
    return true;
}

void JobHandOver::tell_result(std::unique_lock<std::mutex>& guard) {
    // Once ending, the window's thread takes the last result itself.
    while (!stopping_ && claim_untold_result()) {
        guard.unlock();
        const bool told = tell_result_(notify_context_);
        guard.lock();
        if (told) {
            return;
        }
        result_told_ = false;  // meanwhile the window may look for it itself
        wake_.wait_for(guard, std::chrono::milliseconds(kRenotifyMs));
    }
}

void JobHandOver::tell_tick(std::unique_lock<std::mutex>& guard) {
    if (tick_told_) {
        return;  // one at a time
    }
    tick_told_ = true;
    guard.unlock();
    const bool told = tell_tick_(notify_context_);
    guard.lock();
    if (!told) {
        tick_told_ = false;  // the next tick tries again
    }
}

void JobHandOver::serve() {
    std::unique_lock<std::mutex> guard(lock_);
    for (;;) {
        if (stopping_) {
            return;
        }
        Job job = Job::Cycle;
        if (job_pending_) {
            job_pending_ = false;
            job = job_;
            repeating_ = job == Job::Cycle;
        } else if (const Clock::time_point now = Clock::now();
                   ticking_ && now + kTickSlack >= next_tick_) {
            pass_tick(now);
            // The window took the last result, or waits for it: the tick is
            // its to act on.
            if (!repeating_ || !result_ready_ || result_wanted_) {
                tell_tick(guard);
                continue;
            }
        } else {
            if (ticking_) {
                wake_.wait_until(guard, next_tick_);
            } else {
                wake_.wait(guard);
            }
            continue;
        }
        // A repeat replaces a quiet result, which changed nothing the window
        // keeps.
        result_ready_ = false;
        busy_ = true;
        guard.unlock();
        const JobResult result = runner_(run_context_, job);
        guard.lock();
        busy_ = false;
        result_ = result;
        result_ready_ = true;
        result_told_ = false;
        if (result_wanted_ || !ticking_ || !repeating_ || tell_at_once(result)) {
            repeating_ = false;
            tell_result(guard);
        }
    }
}

}  // namespace corvane::app
