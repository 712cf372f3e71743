// The thread that runs the lifecycle's jobs (a bridge cycle, a reconnect's
// open with its handshake), so that an offset server that does not answer
// holds this thread and never the window's.
//
// One thread for the life of the window, created once and woken by an event
// for each job; nothing is allocated per job. While a job runs the thread
// owns the whole bridge record; the result is handed back with a message
// posted to the window, whose handler passes it to app::job_done().
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

    // Creates the thread; each job's end is posted to window as
    // done_message. False when it could not be created (then the shell runs
    // the jobs itself, as before).
    bool start(HWND window, UINT done_message, bridge::Bridge& bridge);
    bool running() const { return thread_ != nullptr; }
    // end() was called: no job runs any more, no result is taken.
    bool ended() const { return ended_; }

    // Hands a job over and wakes the thread. Only while none is in flight.
    void run(app::Job job);
    // The result behind a done message; false for a message with none.
    bool take_result(app::JobResult& result);

    // The program ends: the job under way gives up its remaining attempts
    // (at most the send under way, 2 s, is waited for) and the thread is
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
    HANDLE wake_ = nullptr;
    // Handed over through the two flags: the job (and the bridge record) to
    // the thread by job_ready_, the result (and the record) back by
    // result_ready_, each a release store read with acquire.
    app::Job job_ = app::Job::Cycle;
    app::JobResult result_;
    std::atomic<bool> job_ready_{false};
    std::atomic<bool> result_ready_{false};
    std::atomic<bool> stopping_{false};
    bool ended_ = false;
};

}  // namespace corvane::win32
