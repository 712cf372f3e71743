// The job thread: waits for a job, runs it, posts its end to the window.
#include "app/win32/job_worker.h"

namespace corvane::win32 {
namespace {

// A post refused (a full queue) is tried again after this long, until it
// lands or the program ends: a lost done message would stop the bridge.
constexpr DWORD kRepostMs = 10;

}  // namespace

bool JobWorker::start(HWND window, UINT done_message, bridge::Bridge& bridge) {
    window_ = window;
    done_message_ = done_message;
    bridge_ = &bridge;
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (wake_ == nullptr) {
        return false;
    }
    thread_ = CreateThread(nullptr, 0, &JobWorker::thread_main, this, 0, nullptr);
    if (thread_ == nullptr) {
        CloseHandle(wake_);
        wake_ = nullptr;
        return false;
    }
    return true;
}

void JobWorker::run(app::Job job) {
    job_ = job;
    job_ready_.store(true, std::memory_order_release);
    SetEvent(wake_);
}

bool JobWorker::take_result(app::JobResult& result) {
    if (!result_ready_.exchange(false, std::memory_order_acquire)) {
        return false;
    }
    result = result_;
    return true;
}

void JobWorker::end() {
    if (ended_) {
        return;
    }
    ended_ = true;
    if (thread_ == nullptr) {
        return;
    }
    bridge_->abandon.store(true);
    stopping_.store(true, std::memory_order_release);
    SetEvent(wake_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(wake_);
    thread_ = nullptr;
    wake_ = nullptr;
}

DWORD WINAPI JobWorker::thread_main(void* self) {
    static_cast<JobWorker*>(self)->serve();
    return 0;
}

void JobWorker::serve() {
    for (;;) {
        WaitForSingleObject(wake_, INFINITE);
        if (stopping_.load(std::memory_order_acquire)) {
            return;
        }
        if (!job_ready_.exchange(false, std::memory_order_acquire)) {
            continue;
        }
        result_ = app::run_job(*bridge_, job_);
        result_ready_.store(true, std::memory_order_release);
        while (PostMessageA(window_, done_message_, 0, 0) == FALSE &&
               !stopping_.load(std::memory_order_acquire)) {
            Sleep(kRepostMs);
        }
    }
}

}  // namespace corvane::win32
