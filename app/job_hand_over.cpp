// The job slot, the result slot and the end, under one lock.
#include "app/job_hand_over.h"

#include <chrono>
#include <thread>

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
    if (result_ready_) {
        return false;
    }
    result_wanted_ = true;
    return true;
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

void JobHandOver::serve() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(lock_);
            wake_.wait(guard, [this] { return job_pending_ || stopping_; });
            if (stopping_) {
                return;
            }
            job_pending_ = false;
            busy_ = true;
            job = job_;
        }
        const JobResult result = runner_(run_context_, job);
        bool stopping;
        bool tell;
        {
            const std::lock_guard<std::mutex> guard(lock_);
            busy_ = false;
            result_ = result;
            result_ready_ = true;
            stopping = stopping_;
            tell = result_wanted_ || tell_at_once(result);
        }
        // Once ending, the window's thread takes the last result itself.
        while (tell && !stopping && !notify_(notify_context_)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kRenotifyMs));
            const std::lock_guard<std::mutex> guard(lock_);
            stopping = stopping_;
        }
    }
}

}  // namespace corvane::app
