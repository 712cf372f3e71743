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

// The window's message queue, reduced to its two messages from the job
// thread: the done message (of which the first few may be refused) and the
// tick.
struct Window {
    struct Queue {
        int pending = 0;
        int posts = 0;
    };
    std::mutex lock;
    std::condition_variable posted;
    Queue done;
    Queue ticks;
    int refusals_left = 0;

    static bool post(Window& w, Queue Window::*queue, bool may_refuse) {
        const std::lock_guard<std::mutex> guard(w.lock);
        if (may_refuse && w.refusals_left > 0) {
            --w.refusals_left;
            return false;
        }
        ++(w.*queue).pending;
        ++(w.*queue).posts;
        w.posted.notify_one();
        return true;
    }
    static bool post_done(void* self) {
        return post(*static_cast<Window*>(self), &Window::done, true);
    }
    static bool post_tick(void* self) {
        return post(*static_cast<Window*>(self), &Window::ticks, false);
    }
    // The message loop's wait for the next message of the kind.
    bool wait_for(Queue Window::*queue) {
        std::unique_lock<std::mutex> guard(lock);
        if (!posted.wait_for(guard, std::chrono::seconds(5),
                             [&] { return (this->*queue).pending > 0; })) {
            return false;
        }
        --(this->*queue).pending;
        return true;
    }
    int posts(Queue Window::*queue) {
        const std::lock_guard<std::mutex> guard(lock);
        return (this->*queue).posts;
    }
};

// What the job thread works on: plain data, touched by the runner alone
// while a job is in flight, so ThreadSanitizer sees any hand-over that does
// not order it.
struct Work {
    Window* window = nullptr;
    int runs = 0;
    int ticks_told_before_last_run = 0;
    int last_link_status = 0;
    // The job of this number and every later one fail (0: none do).
    int fail_from = 0;
    // Without ticks: cycles whose number is a multiple of this are quiet.
    static constexpr int kQuietEvery = 3;
    bool quiet_by_number = false;
    // A job that holds until Exit! abandons it (a silent server).
    bool hold_until_abandoned = false;
    std::atomic<bool> abandon{false};
    std::atomic<bool> holding{false};

    static JobResult run(void* self, Job job) {
        auto& w = *static_cast<Work*>(self);
        JobResult result;
        result.job = job;
        result.failed_post_error = static_cast<std::uint32_t>(++w.runs);  // the job's number
        w.ticks_told_before_last_run = w.window->posts(&Window::ticks);
        const bool fails = w.quiet_by_number ? w.runs % kQuietEvery != 0
                                             : w.fail_from != 0 && w.runs >= w.fail_from;
        if (fails) {
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

struct Jobs {
    Work work;
    Window window;
    JobHandOver hand_over{&Work::run, &work, &Window::post_done,
                          &Window::post_tick, &window, &work.abandon};
    std::thread thread{[this] { hand_over.serve(); }};
    Jobs() { work.window = &window; }  // before any job runs
    ~Jobs() {
        hand_over.end();
        thread.join();
    }
};

using std::chrono::milliseconds;

// Without ticks every job runs once, in order, and every result, quiet or
// not, is told (refused posts tried again) and taken exactly once: nothing
// would repeat a quiet cycle. The bridge record (Work) goes back and forth
// without a race.
TEST(JobHandOver, WithoutTicksEveryResultIsToldAndTakenOnce) {
    Jobs j;
    j.work.quiet_by_number = true;
    j.window.refusals_left = 3;
    constexpr int kJobs = 300;
    int told_by_window = 0;
    for (int i = 1; i <= kJobs; ++i) {
        j.hand_over.run(i % 5 == 0 ? Job::Reopen : Job::Cycle);
        // A tick or a Run! came meanwhile; when it ended untold, the window
        // tells itself.
        if (i % 2 == 0 && !j.hand_over.want_result()) {
            ++told_by_window;
        } else {
            ASSERT_TRUE(j.window.wait_for(&Window::done)) << "job " << i << " was never told";
        }
        JobResult result;
        ASSERT_TRUE(j.hand_over.take_result(result));
        EXPECT_EQ(result.failed_post_error, static_cast<std::uint32_t>(i));
        EXPECT_FALSE(j.hand_over.take_result(result)) << "a result taken twice";
        j.work.last_link_status = result.link.code;  // the window's turn
    }
    EXPECT_EQ(j.window.posts(&Window::done) + told_by_window, kJobs) << "a result told twice";
    EXPECT_EQ(j.window.posts(&Window::ticks), 0);
    EXPECT_EQ(j.work.runs, kJobs);
}

// With ticks, the window's cycle repeats at each tick while it is quiet,
// with no message to the window, tick or result. What ends the repeats:
// a result that matters (told at once), the window waiting for the result
// (a Run!), the timer's stop. Then the ticks are the window's, told one at
// a time, and no cycle runs behind the result the window took.
TEST(JobHandOver, AQuietCycleRepeatsAtEachTickUntilItMatters) {
    Jobs j;
    j.work.fail_from = 20;
    j.hand_over.start_ticks(2);
    ASSERT_TRUE(j.window.wait_for(&Window::ticks)) << "no cycle yet: the tick is the window's";
    j.hand_over.tick_seen();
    j.hand_over.run(Job::Cycle);
    ASSERT_TRUE(j.window.wait_for(&Window::done));
    JobResult result;
    ASSERT_TRUE(j.hand_over.take_result(result));
    EXPECT_EQ(result.failed_post_error, 20u) << "the failure is the first result told";
    EXPECT_EQ(j.window.posts(&Window::done), 1) << "a quiet repeat was told";
    EXPECT_EQ(j.work.ticks_told_before_last_run, 1) << "a tick during the repeats went to the window";
    EXPECT_EQ(j.work.runs, 20);

    ASSERT_TRUE(j.window.wait_for(&Window::ticks));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(j.window.posts(&Window::ticks), 2) << "a tick told before the last was seen";
    EXPECT_EQ(j.work.runs, 20) << "a cycle repeated after the failure";

    // A Run! waits for the cycle: the result the window takes is the last.
    j.work.fail_from = 0;
    j.hand_over.tick_seen();
    j.hand_over.run(Job::Cycle);
    std::this_thread::sleep_for(milliseconds(50));
    if (j.hand_over.want_result()) {
        ASSERT_TRUE(j.window.wait_for(&Window::done));
    }
    ASSERT_TRUE(j.hand_over.take_result(result));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(result.failed_post_error, static_cast<std::uint32_t>(j.work.runs))
        << "a cycle ran behind the result the window took";
    EXPECT_GE(j.work.runs, 22) << "the quiet cycle did not repeat";

    // The timer stops during the repeats.
    j.hand_over.tick_seen();
    j.hand_over.run(Job::Cycle);
    std::this_thread::sleep_for(milliseconds(20));
    const int ticks = j.window.posts(&Window::ticks);
    if (!j.hand_over.stop_ticks()) {
        ASSERT_TRUE(j.window.wait_for(&Window::done)) << "the cycle under way was never told";
    }
    ASSERT_TRUE(j.hand_over.take_result(result));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(result.failed_post_error, static_cast<std::uint32_t>(j.work.runs));
    EXPECT_EQ(j.window.posts(&Window::ticks), ticks) << "a tick after the timer stopped";
}

// Exit! during a job that holds: the job is abandoned, the thread ends, the
// last result is there to take, unposted; no job starts after the end.
TEST(JobHandOver, EndAbandonsTheJobUnderWayAndKeepsItsResult) {
    Jobs j;
    j.work.hold_until_abandoned = true;
    j.hand_over.run(Job::Cycle);
    while (!j.work.holding.load()) {
        std::this_thread::yield();
    }
    j.hand_over.end();
    j.thread.join();
    EXPECT_TRUE(j.work.abandon.load());
    JobResult last;
    ASSERT_TRUE(j.hand_over.take_result(last));
    EXPECT_EQ(last.link.code, -1);
    EXPECT_EQ(j.window.posts(&Window::done), 0)
        << "once ending, the window takes the last result itself";
    j.hand_over.run(Job::Reopen);
    EXPECT_EQ(j.work.runs, 1);
    EXPECT_FALSE(j.hand_over.take_result(last));
    j.thread = std::thread([] {});  // joined by Jobs
}

}  // namespace
}  // namespace corvane::app
