// The thread that runs the lifecycle's jobs (a bridge cycle, a reconnect's
// open with its handshake), so that an offset server that does not answer
// holds this thread and never the window's.
//
// One thread for the life of the window, created once; nothing is allocated
// per job. While a job runs the thread owns the whole bridge record.
//
// Every tick hands a cycle over, so the hand-over is kept cheap: a condition
// variable wakes the thread (in-process, no trip through the system's
// object manager), and a quiet cycle (links up, nothing refused) posts
// nothing back: the window takes its result at its next message, before
// that message's own work. Whatever the lifecycle must act upon at once (a
// failure, a reopen, a result someone waits for) is posted to the window
// as the done message.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/lifecycle.h"
#include "bridge/bridge.h"

namespace corvane::win32 {

class JobWorker {
public:
    JobWorker() = default;
    ~JobWorker() { end(); }
    JobWorker(const JobWorker&) = delete;
    JobWorker& operator=(const JobWorker&) = delete;

    // Creates the thread; results that need the window at once are posted
    // to window as done_message. False when it could not be created (then
    // the shell runs the jobs itself, as before).
    bool start(HWND window, UINT done_message, bridge::Bridge& bridge);
    bool running() const { return thread_ != nullptr; }
    // end() was called: no job runs any more, no result is taken.
    bool ended() const { return ended_; }

    // Hands a job over and wakes the thread. Only while none is in flight.
    void run(app::Job job);
    // The result of the job that ended, once; false while it runs (or when
    // there is none).
    bool take_result(app::JobResult& result);
    // The window waits for this job's end (a "Run!" to carry out): it is
    // posted however quiet. False when the result is there already: take it.
    bool post_when_done();

    // The program ends: a job under way gives up its remaining attempts
    // (at most the send under way, 2 s, is waited for; the bridge's abandon
    // flag stays set, so nothing exchanges after it) and the thread is
    // joined. Afterwards the bridge record is the caller's again, and
    // nothing else touches it. Does nothing the second time.
    void end();

private:
    static DWORD WINAPI thread_main(void* self);
    void serve();

    HWND window_ = nullptr;
    UINT done_message_ = 0;
    bridge::Bridge* bridge_ = nullptr;
    HANDLE thread_ = nullptr;
    // The job and the stop request, under the lock; the lock's release and
    // acquire also hand the bridge record to the thread.
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
    bool job_pending_ = false;
    bool busy_ = false;  // a job runs now
    bool stopping_ = false;
    app::Job job_ = app::Job::Cycle;
    // The result and the record back: a store of result_ready_ read by an
    // exchange. result_ready_ and post_wanted_ are sequentially consistent:
    // of the window asking for a post and the thread finishing, at least
    // one sees the other, so a result asked for is never left unposted.
    app::JobResult result_;
    std::atomic<bool> result_ready_{false};
    std::atomic<bool> post_wanted_{false};
    std::atomic<bool> stop_posting_{false};
    bool ended_ = false;
};

}  // namespace corvane::win32
