// The job thread: waits for a job, runs it, leaves its result for the
// window and, when the window must act upon it at once, posts its end.
#include "app/win32/job_worker.h"

namespace corvane::win32 {
namespace {

// A post refused (a full queue) is tried again after this long, until it
// lands or the program ends: a lost done message would stop the bridge.
constexpr DWORD kRepostMs = 10;

// A quiet cycle changes nothing the window shows: its result waits for the
// window's next message.
bool needs_the_window(const app::JobResult& result) {
    return result.job != app::Job::Cycle || result.link_status != app::kLinksUp ||
           result.failed_posts != 0;
}

}  // namespace

bool JobWorker::start(HWND window, UINT done_message, bridge::Bridge& bridge) {
    window_ = window;
    done_message_ = done_message;
    bridge_ = &bridge;
    thread_ = CreateThread(nullptr, 0, &JobWorker::thread_main, this, 0, nullptr);
    return thread_ != nullptr;
}

void JobWorker::run(app::Job job) {
    AcquireSRWLockExclusive(&lock_);
    job_ = job;
    job_pending_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&wake_);
}

bool JobWorker::take_result(app::JobResult& result) {
    if (!result_ready_.exchange(false)) {
        return false;
    }
    post_wanted_.store(false);
    result = result_;
    return true;
}

bool JobWorker::post_when_done() {
    post_wanted_.store(true);
    return !result_ready_.load();
}

void JobWorker::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    if (thread_ == nullptr) {
        return;
    }
    stop_posting_.store(true);
    AcquireSRWLockExclusive(&lock_);
    stopping_ = true;
    // Set under the lock: no job starts after it, and one that runs sees it.
    if (busy_) {
        bridge_->abandon.store(true);
    }
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
}

DWORD WINAPI JobWorker::thread_main(void* self) {
    static_cast<JobWorker*>(self)->serve();
    return 0;
}

void JobWorker::serve() {
    for (;;) {
        AcquireSRWLockExclusive(&lock_);
        while (!job_pending_ && !stopping_) {
            SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
        }
        if (stopping_) {
            ReleaseSRWLockExclusive(&lock_);
            return;
        }
        job_pending_ = false;
        busy_ = true;
        const app::Job job = job_;
        ReleaseSRWLockExclusive(&lock_);

        result_ = app::run_job(*bridge_, job);
        AcquireSRWLockExclusive(&lock_);
        busy_ = false;
        ReleaseSRWLockExclusive(&lock_);
        const bool post = needs_the_window(result_);
        result_ready_.store(true);
        if (!post && !post_wanted_.load()) {
            continue;
        }
        while (PostMessageA(window_, done_message_, 0, 0) == FALSE && !stop_posting_.load()) {
            Sleep(kRepostMs);
        }
    }
}

}  // namespace corvane::win32
