// The hand-over between the window's thread and the job thread: one job
// slot, one result slot, the end. Portable: the shell owns the thread and
// runs serve() on it, and is told of a result through a notify call (the
// Windows shell posts its done message there), so the same code runs under
// test with real threads. What is told at once is the lifecycle's word
// (tell_at_once), or the window's wish (want_result); a quiet cycle's
// result waits for the window's next tick, which costs no message.
//
// Nothing is allocated per job. While a job runs the job thread owns
// whatever the runner touches (the whole bridge record); the lock's release
// and acquire around the slots hand it back and forth.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "app/lifecycle.h"

namespace corvane::app {

class JobHandOver {
public:
    // Runs one job on the job thread.
    using Runner = JobResult (*)(void* context, Job job);
    // Tells the window's thread that a result waits; false when it could
    // not (a full message queue): it is tried again until it works or the
    // hand-over ends.
    using Notify = bool (*)(void* context);
    // How long a refused notify waits before it is tried again.
    static constexpr std::uint32_t kRenotifyMs = 10;

    // abandon is set when end() finds a job under way; it may be null.
    JobHandOver(Runner runner, void* run_context, Notify notify, void* notify_context,
                std::atomic<bool>* abandon)
        : runner_(runner),
          run_context_(run_context),
          notify_(notify),
          notify_context_(notify_context),
          abandon_(abandon) {}
    JobHandOver(const JobHandOver&) = delete;
    JobHandOver& operator=(const JobHandOver&) = delete;

    // The window's thread. Hands a job over and wakes the thread: only while
    // none is in flight (the lifecycle's phase says so).
    void run(Job job);
    // The result of the job that ended, once; false while it runs or when
    // there is none. After end() and the join, the last one never taken.
    bool take_result(JobResult& result);
    // The window waits for the job in flight: its end is told however quiet.
    // False when it ended already and its result waits to be taken.
    bool want_result();
    // The program ends: a job under way is abandoned (no further attempt,
    // no sleep, no reopen; its exchanges still run while the server answers
    // them), no job starts after it, and serve() returns once the job is
    // over. The caller joins the thread afterwards. Only the first call
    // does anything.
    void end();
    bool ended() const { return ended_; }

    // The job thread: waits for jobs and runs them until end().
    void serve();

private:
    const Runner runner_;
    void* const run_context_;
    const Notify notify_;
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
    JobResult result_;
    // The window's thread alone.
    bool ended_ = false;
};

}  // namespace corvane::app
