// The job hand-over with real threads, as the Windows shell drives it: the
// window's side hands jobs over and takes results when told, the job thread
// runs them. Run under ThreadSanitizer by the test command.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/job_hand_over.h"

namespace corvane::app {
namespace {

// The window's message queue, reduced to the done message: a count of
// posts, of which the first few may be refused.
struct Window {
    std::mutex lock;
    std::condition_variable posted;
    int pending = 0;
    int posts = 0;
    int refusals_left = 0;

    static bool post(void* self) {
        auto& w = *static_cast<Window*>(self);
        const std::lock_guard<std::mutex> guard(w.lock);
        if (w.refusals_left > 0) {
            --w.refusals_left;
            return false;
        }
        ++w.pending;
        ++w.posts;
        w.posted.notify_one();
        return true;
    }
    // The message loop's wait for the next done message.
    bool wait_for_post() {
        std::unique_lock<std::mutex> guard(lock);
        if (!posted.wait_for(guard, std::chrono::seconds(5), [this] { return pending > 0; })) {
            return false;
        }
        --pending;
        return true;
    }
};

// What the job thread works on: plain data, touched by the runner alone
// while a job is in flight, so ThreadSanitizer sees any hand-over that does
// not order it.
struct Work {
    int runs = 0;
    int last_link_status = 0;
    // A job that holds until Exit! abandons it (a silent server).
    bool hold_until_abandoned = false;
    std::atomic<bool> abandon{false};
    std::atomic<bool> holding{false};

    // Cycles whose number is a multiple of this are quiet (links up).
    static constexpr int kQuietEvery = 3;

    static JobResult run(void* self, Job job) {
        auto& w = *static_cast<Work*>(self);
        JobResult result;
        result.job = job;
        result.failed_post_error = static_cast<std::uint32_t>(++w.runs);  // the job's number
        if (w.runs % kQuietEvery != 0) {
            result.link = {LinkSide::Fsuipc, 12, 0};
        }
        if (w.hold_until_abandoned) {
            w.holding.store(true);
            while (!w.abandon.load()) {
                std::this_thread::yield();
            }
            result.link = {LinkSide::Fsuipc, -1, 0};
        }
        return result;
    }
};

// Every job handed over runs once, in order, and every result is taken
// exactly once: told at once when it is no quiet cycle or the window asked
// for it (refused posts tried again), else found by the window's next look;
// the bridge record (Work) goes back and forth without a race.
TEST(JobHandOver, EveryResultIsTakenOnceAndToldWhenItMatters) {
    Work work;
    Window window;
    window.refusals_left = 3;
    JobHandOver jobs(&Work::run, &work, &Window::post, &window, &work.abandon);
    std::thread thread([&] { jobs.serve(); });
    constexpr int kJobs = 600;
    int told = 0;
    for (int i = 1; i <= kJobs; ++i) {
        const bool quiet = i % Work::kQuietEvery == 0;
        const bool wanted = quiet && i % 2 == 0;  // a tick came during the cycle
        jobs.run(Job::Cycle);
        JobResult result;
        if (!quiet || (wanted && jobs.want_result())) {
            ++told;
            ASSERT_TRUE(window.wait_for_post()) << "job " << i << " was never told";
            ASSERT_TRUE(jobs.take_result(result));
        } else {
            // The next tick finds it done.
            while (!jobs.take_result(result)) {
                std::this_thread::yield();
            }
        }
        EXPECT_EQ(result.failed_post_error, static_cast<std::uint32_t>(i));
        EXPECT_FALSE(jobs.take_result(result)) << "a result taken twice";
        work.last_link_status = result.link.code;  // the window's turn
    }
    jobs.end();
    thread.join();
    EXPECT_EQ(window.posts, told) << "a quiet result nobody waited for was told";
    EXPECT_EQ(work.runs, kJobs);
    EXPECT_FALSE(work.abandon.load()) << "nothing was under way to abandon";
}

// Exit! during a job that holds: the job is abandoned, the thread ends, the
// last result is there to take, unposted; no job starts after the end.
TEST(JobHandOver, EndAbandonsTheJobUnderWayAndKeepsItsResult) {
    Work work;
    Window window;
    JobHandOver jobs(&Work::run, &work, &Window::post, &window, &work.abandon);
    std::thread thread([&] { jobs.serve(); });
    work.hold_until_abandoned = true;
    jobs.run(Job::Cycle);
    while (!work.holding.load()) {
        std::this_thread::yield();
    }
    jobs.end();
    thread.join();
    EXPECT_TRUE(work.abandon.load());
    JobResult last;
    ASSERT_TRUE(jobs.take_result(last));
    EXPECT_EQ(last.link.code, -1);
    EXPECT_EQ(window.posts, 0) << "once ending, the window takes the last result itself";
    jobs.run(Job::Reopen);
    EXPECT_EQ(work.runs, 1);
    EXPECT_FALSE(jobs.take_result(last));
}

}  // namespace
}  // namespace corvane::app
