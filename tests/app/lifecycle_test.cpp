// The connection lifecycle against the in-process fake: every status line,
// show mode, timer call and wait, in order, for start-up, "Run!", the timer
// step and the automatic reconnect. Expected sequences are data; a mismatch
// names the first step that differs. A wait is a timer of the window: the
// tests fire its message, as the window would once the time is up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "aircraft/link.h"
#include "app/lifecycle.h"
#include "bridge/bridge.h"
#include "common/numbers.h"
#include "fsuipc/client.h"
#include "tests/support/fake_os.h"

namespace corvane::app {
namespace {

using Calls = std::vector<std::string>;

// The shell as the lifecycle sees it, one line per call.
class RecordingShell : public Shell {
public:
    void append_status(const char* text) override { record(std::string("log ") + text); }
    void show_window(int mode) override { record("show " + std::to_string(mode)); }
    void start_timer(std::uint32_t period_ms) override {
        record("start timer " + std::to_string(period_ms));
    }
    void stop_timer() override { record("stop timer"); }
    void start_retry_timer(std::uint32_t period_ms) override {
        record("start retry timer " + std::to_string(period_ms));
    }
    void stop_retry_timer() override { record("stop retry timer"); }
    void start_wait(std::uint32_t milliseconds) override {
        waiting = true;
        record("wait " + std::to_string(milliseconds));
    }
    // Every expiry stops its wait; only whether one runs matters.
    void stop_wait() override { waiting = false; }
    void repaint() override { record("repaint"); }
    // What goes beside the described sequence: the log file's notes and the
    // notices that catch the eye.
    void note_in_log_file(const char* text) override {
        notices.push_back(std::string("file ") + text);
    }
    void show_state(BridgeState state) override {
        static const char* const kNames[] = {"bridging", "waiting", "stopped"};
        notices.push_back(std::string("state ") + kNames[static_cast<int>(state)]);
    }
    void notify_stop(const char* text) override {
        notices.push_back(std::string("notify ") + text);
    }
    // The job at once, as a worker that answers instantly; with hold_jobs
    // it stays in flight until run_held_job().
    void start_job(Job job) override {
        if (hold_jobs) {
            held.push_back(job);
            return;
        }
        job_done(*app, *this, run_job(*app, job));
    }
    void run_held_job() {
        const Job job = held.front();
        held.erase(held.begin());
        job_done(*app, *this, run_job(*app, job));
    }

    App* app = nullptr;
    bool hold_jobs = false;
    std::vector<Job> held;
    Calls calls;
    Calls notices;
    bool waiting = false;
    // Runs after each recorded call: lets a test change the world mid-sequence.
    std::function<void(const std::string&)> after_call;

private:
    void record(std::string call) {
        calls.push_back(call);
        if (after_call) {
            after_call(call);
        }
    }
};

// The expected lines spelled out, not taken from the program's table.
const std::string kLoading = "log Status : LOADING";
const std::string kOk = "log Status : OK";
const std::string kIflyNotOk = "log Status : IFLY NOT OK";
const std::string kFsuipcNotOk = "log Status : FSUIPC NOT OK";
const std::string kReconnecting = "log Status : RECONNECTING";
const std::string kNotOk = "log Status : NOT OK";
const std::string kAutoIn2 = "log Status : AUTORECONNECT IN 2 SECS";
const std::string kAutoFailed = "log Status : AUTORECONNECT FAILED";
const std::string kShow = "show 5";
const std::string kMinimise = "show 6";
const std::string kStop = "stop timer";
const std::string kWait2000 = "wait 2000";
const std::string kWait1000 = "wait 1000";
const std::string kRepaint = "repaint";
std::string start_timer(int period) { return "start timer " + std::to_string(period); }

Calls join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

void expect_calls(const Calls& actual, const Calls& expected) {
    const std::size_t steps = std::max(actual.size(), expected.size());
    for (std::size_t i = 0; i < steps; ++i) {
        const std::string want = i < expected.size() ? expected[i] : "<nothing>";
        const std::string got = i < actual.size() ? actual[i] : "<nothing>";
        if (want != got) {
            std::string log;
            for (const std::string& call : actual) {
                log += "\n    " + call;
            }
            ADD_FAILURE() << "step " << i << ": expected \"" << want << "\", got \"" << got
                          << "\"\n  recorded:" << log;
            return;
        }
    }
}

// The beginning of every reconnect, and of every automatic reconnect.
const Calls kReconnectStart = {kStop, kReconnecting, kWait1000};
const Calls kAutoStart = {kNotOk, kStop, kShow};
const Calls kAutoAttempt = {kAutoIn2, kWait2000};

// One program: the fake world, the bridge on it, the lifecycle record and the
// recording shell.
struct World {
    explicit World(const Settings& settings = Settings{}) : app(bridge, settings) {
        shell.app = &app;
    }

    void simulator_up() { fake.has_uipcmain = fake.has_fs98main = true; }
    void simulator_gone() { fake.has_uipcmain = fake.has_fs98main = false; }
    void aircraft_up(std::int32_t data_valid = 1) {
        if (fake.aircraft() == nullptr || fake.mapping_memory(aircraft::kSdk1MappingName) == nullptr) {
            fake.publish_aircraft();
        }
        fake.aircraft()->set_data_valid(data_valid);
    }
    void aircraft_gone() {
        fake.remove_mapping(aircraft::kSdk1MappingName);
        fake.remove_mapping(aircraft::kSdk2MappingName);
    }
    // Each fires the waits it starts, one after the other, to the end.
    void start() {
        open_links(app);
        first_connection_check(app, shell);
        run_waits();
    }
    void run() {
        manual_reconnect(app, shell);
        run_waits();
    }
    void tick() {
        timer_step(app, shell);
        run_waits();
    }
    void message(std::uintptr_t timer_id) {
        timer_message(app, shell, timer_id);
        run_waits();
    }
    void run_waits() {
        for (int fired = 0; shell.waiting; ++fired) {
            ASSERT_LT(fired, 8) << "a sequence that does not end";
            timer_message(app, shell, kWaitTimerId);
        }
        ASSERT_FALSE(sequence_under_way(app));
    }
    std::int32_t sdk1_block_field() const {
        return load_i32(bridge.blocks.sdk1 + aircraft::kDataValidOffset);
    }
    bool area_name_ends_with(const std::string& tail) const {
        const std::string name = bridge.client.area_name;
        return name.size() >= tail.size() &&
               name.compare(name.size() - tail.size(), std::string::npos, tail) == 0;
    }

    testing::FakeOs fake;
    bridge::Bridge bridge{fake};
    App app;
    RecordingShell shell;
};

Settings settings_with(std::int32_t tick_period_ms, std::int32_t start_minimised_flag,
                       std::int32_t retry_seconds = 0) {
    Settings settings;
    settings.tick_period_ms = tick_period_ms;
    settings.start_minimised_flag = start_minimised_flag;
    settings.retry_seconds = retry_seconds;
    return settings;
}

// Start-up with everything ready; its calls are forgotten.
void start_bridging(World& w) {
    w.simulator_up();
    w.aircraft_up();
    w.start();
    ASSERT_EQ(w.app.link_status, 0);
    ASSERT_TRUE(w.app.bridge_timer_running);
    w.shell.calls.clear();
    w.shell.notices.clear();
}

// ---- the first connection check -------------------------------------------

struct FirstCheckRow {
    const char* name;
    bool simulator;
    bool aircraft;
    std::int32_t data_valid;
    std::int32_t start_minimised_flag;
    std::int32_t link_status;
    Calls calls;
};

TEST(Lifecycle, FirstConnectionCheckOutcomes) {
    const FirstCheckRow rows[] = {
        {"all ready", true, true, 1, 0, 0,
         {kLoading, kWait2000, kOk, kShow, "start timer 20", kRepaint}},
        {"all ready, minimised", true, true, 1, 1, 0,
         {kLoading, kWait2000, kOk, kMinimise, "start timer 20", kRepaint}},
        {"all ready, flag 2", true, true, 1, 2, 0,
         {kLoading, kWait2000, kOk, kShow, "start timer 20", kRepaint}},
        {"data valid 0", true, true, 0, 1, 0, {kIflyNotOk, kShow, kRepaint}},
        {"data valid 2", true, true, 2, 1, 0, {kIflyNotOk, kShow, kRepaint}},
        {"data valid -1", true, true, -1, 1, 0, {kIflyNotOk, kShow, kRepaint}},
        {"no aircraft", true, false, 0, 1, aircraft::kNotAvailable, {kIflyNotOk, kShow, kRepaint}},
        {"no simulator", false, true, 1, 1, fsuipc::kNoServerWindow,
         {kFsuipcNotOk, kShow, kRepaint}},
    };
    for (const FirstCheckRow& row : rows) {
        SCOPED_TRACE(row.name);
        World w(settings_with(20, row.start_minimised_flag));
        if (row.simulator) {
            w.simulator_up();
        }
        if (row.aircraft) {
            w.aircraft_up(row.data_valid);
        }
        std::memset(w.bridge.blocks.sdk1, 0xAA, sizeof w.bridge.blocks.sdk1);

        w.start();

        expect_calls(w.shell.calls, row.calls);
        EXPECT_EQ(w.app.link_status, row.link_status);
        if (row.simulator && row.aircraft) {
            EXPECT_EQ(w.sdk1_block_field(), row.data_valid) << "SDK1 block not refreshed";
        } else {
            // Without an open view the block is left alone; without FSUIPC
            // the aircraft is not even tried.
            EXPECT_EQ(static_cast<std::uint32_t>(w.sdk1_block_field()), 0xAAAAAAAAu);
            EXPECT_EQ(w.bridge.link.sdk1_view, nullptr);
            EXPECT_EQ(w.fake.mapped_views(), row.simulator ? 1u : 0u);
        }
    }
}

TEST(Lifecycle, TimerStartsWithTheTickPeriod) {
    for (std::int32_t period : {1, 7, 100}) {
        World w(settings_with(period, 0));
        w.simulator_up();
        w.aircraft_up();
        w.start();
        EXPECT_EQ(w.shell.calls.at(4), start_timer(period));
    }
}

// ---- "Run!" -------------------------------------------------------------------

TEST(Lifecycle, RunWhileBridgingReopensBothLinks) {
    World w(settings_with(7, 0));
    start_bridging(w);
    w.tick();
    ASSERT_TRUE(w.shell.calls.empty());
    ASSERT_TRUE(w.area_name_ends_with(":1")) << w.bridge.client.area_name;
    const std::size_t handles = w.fake.open_handles();
    const std::size_t views = w.fake.mapped_views();

    // The wait comes before anything is closed.
    bool checked_wait = false;
    w.shell.after_call = [&](const std::string& call) {
        if (call == kWait1000) {
            checked_wait = true;
            EXPECT_TRUE(fsuipc::is_open(w.bridge.client));
            EXPECT_NE(w.bridge.link.sdk1_view, nullptr);
        }
    };
    w.run();

    expect_calls(w.shell.calls, join({kReconnectStart, {kOk, kShow, start_timer(7)}}));
    EXPECT_TRUE(checked_wait);
    EXPECT_EQ(w.app.link_status, 0);
    EXPECT_TRUE(w.area_name_ends_with(":2")) << w.bridge.client.area_name;
    EXPECT_EQ(w.fake.open_handles(), handles) << "a reconnect leaks or loses handles";
    EXPECT_EQ(w.fake.mapped_views(), views);
    EXPECT_EQ(w.fake.atoms_held(), 1u);

    // And it bridges again.
    w.shell.calls.clear();
    w.tick();
    EXPECT_TRUE(w.shell.calls.empty());
    EXPECT_EQ(w.app.link_status, 0);
}

TEST(Lifecycle, RunOutcomesAfterAFailedStart) {
    struct Row {
        const char* name;
        std::function<void(World&)> world_at_run;
        std::int32_t link_status;
        Calls ending;
    };
    const Row rows[] = {
        {"simulator arrived", [](World& w) { w.simulator_up(); w.aircraft_up(); },
         0, {kOk, kMinimise, "start timer 20"}},
        {"simulator without aircraft", [](World& w) { w.simulator_up(); },
         aircraft::kNotAvailable, {kIflyNotOk, kShow}},
        {"aircraft not valid yet", [](World& w) { w.simulator_up(); w.aircraft_up(0); },
         0, {kIflyNotOk, kShow}},
        {"aircraft data 2", [](World& w) { w.simulator_up(); w.aircraft_up(2); },
         0, {kIflyNotOk, kShow}},
        {"still no simulator", [](World&) {}, fsuipc::kNoServerWindow, {kFsuipcNotOk, kShow}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World w(settings_with(20, 1));
        w.start();
        expect_calls(w.shell.calls, {kFsuipcNotOk, kShow, kRepaint});
        w.shell.calls.clear();

        row.world_at_run(w);
        w.run();

        expect_calls(w.shell.calls, join({kReconnectStart, row.ending}));
        EXPECT_EQ(w.app.link_status, row.link_status);
    }
}

TEST(Lifecycle, RepeatedReconnectsHoldNoExtraHandles) {
    World w;
    start_bridging(w);
    const std::size_t handles = w.fake.open_handles();
    const std::size_t views = w.fake.mapped_views();
    for (int i = 0; i < 5; ++i) {
        w.run();
    }
    EXPECT_EQ(w.app.link_status, 0);
    EXPECT_TRUE(w.area_name_ends_with(":6")) << w.bridge.client.area_name;
    EXPECT_EQ(w.fake.open_handles(), handles);
    EXPECT_EQ(w.fake.mapped_views(), views);
    EXPECT_EQ(w.fake.atoms_held(), 1u);

    // A reconnect that finds no simulator leaves nothing open at all.
    w.simulator_gone();
    w.run();
    EXPECT_EQ(w.app.link_status, fsuipc::kNoServerWindow);
    EXPECT_EQ(w.fake.open_handles(), 0u);
    EXPECT_EQ(w.fake.mapped_views(), 0u);
    EXPECT_EQ(w.fake.atoms_held(), 0u);
}

// ---- the timer step and the automatic reconnect -------------------------------

TEST(Lifecycle, BridgingTickRunsOneCycleQuietly) {
    World w;
    start_bridging(w);
    const std::size_t sends = w.fake.sends;
    for (int i = 0; i < 3; ++i) {
        w.tick();
    }
    EXPECT_TRUE(w.shell.calls.empty());
    EXPECT_EQ(w.app.link_status, 0);
    EXPECT_GE(w.fake.sends, sends + 3) << "no exchange per tick";
    // A running bridge goes on with any non-zero data-valid field.
    w.fake.aircraft()->set_data_valid(2);
    w.tick();
    EXPECT_TRUE(w.shell.calls.empty());
    EXPECT_EQ(w.app.link_status, 0);
}

TEST(Lifecycle, DataInvalidWhileBridgingReconnectsInTheSameTick) {
    World w(settings_with(20, 1));
    start_bridging(w);
    w.fake.aircraft()->set_data_valid(0);

    w.tick();

    // Links up but data still not valid: link status 0, so no second attempt.
    expect_calls(w.shell.calls,
                 join({kAutoStart, kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}}));
    EXPECT_EQ(w.app.link_status, 0);
    EXPECT_TRUE(w.area_name_ends_with(":2"));
}

TEST(Lifecycle, DataBackDuringTheAutomaticWaitResumesBridging) {
    World w(settings_with(15, 1));
    start_bridging(w);
    w.fake.aircraft()->set_data_valid(0);
    w.shell.after_call = [&](const std::string& call) {
        if (call == kWait2000) {
            w.fake.aircraft()->set_data_valid(1);
        }
    };

    w.tick();

    // Shown normally for the reconnect, minimised again once it worked.
    expect_calls(w.shell.calls, join({kAutoStart, kAutoAttempt, kReconnectStart,
                                      {kOk, kMinimise, start_timer(15)}}));
    EXPECT_EQ(w.app.link_status, 0);
}

TEST(Lifecycle, AircraftGoneFailsBothAttempts) {
    World w;
    start_bridging(w);
    w.fake.aircraft()->set_data_valid(0);
    w.aircraft_gone();

    w.tick();

    const Calls attempt_ifly = join({kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}});
    expect_calls(w.shell.calls, join({kAutoStart, attempt_ifly, attempt_ifly, {kAutoFailed}}));
    EXPECT_EQ(w.app.link_status, aircraft::kNotAvailable);
    EXPECT_TRUE(w.area_name_ends_with(":3"));
}

TEST(Lifecycle, ExchangeFailureReconnectsOneTickLater) {
    World w;
    start_bridging(w);
    w.fake.server_silent = true;
    w.fake.send_failure_error = 1460;  // ERROR_TIMEOUT

    w.tick();
    // Only stored: no line, the timer keeps running.
    expect_calls(w.shell.calls, {});
    EXPECT_EQ(w.app.link_status, fsuipc::kSendFailedWithError);

    w.tick();
    const Calls attempt_fsuipc = join({kAutoAttempt, kReconnectStart, {kFsuipcNotOk, kShow}});
    expect_calls(w.shell.calls,
                 join({kAutoStart, attempt_fsuipc, attempt_fsuipc, {kAutoFailed}}));
    EXPECT_NE(w.app.link_status, 0);
    EXPECT_NE(w.app.link_status, aircraft::kNotAvailable);
    EXPECT_FALSE(fsuipc::is_open(w.bridge.client));
    EXPECT_EQ(w.bridge.link.sdk1_view, nullptr) << "aircraft opened without FSUIPC";
}

TEST(Lifecycle, SimulatorGoneWhileBridging) {
    World w;
    start_bridging(w);
    w.simulator_gone();

    w.tick();
    expect_calls(w.shell.calls, {});
    EXPECT_NE(w.app.link_status, 0);

    w.tick();
    const Calls attempt_fsuipc = join({kAutoAttempt, kReconnectStart, {kFsuipcNotOk, kShow}});
    expect_calls(w.shell.calls,
                 join({kAutoStart, attempt_fsuipc, attempt_fsuipc, {kAutoFailed}}));
    EXPECT_EQ(w.app.link_status, fsuipc::kNoServerWindow);
}

TEST(Lifecycle, SecondAutomaticAttemptSucceeds) {
    World w;
    start_bridging(w);
    w.simulator_gone();
    w.tick();
    ASSERT_NE(w.app.link_status, 0);

    // The simulator is back after the first attempt has failed.
    int long_waits = 0;
    w.shell.after_call = [&](const std::string& call) {
        if (call == kWait2000 && ++long_waits == 2) {
            w.simulator_up();
        }
    };
    w.tick();

    expect_calls(w.shell.calls,
                 join({kAutoStart, kAutoAttempt, kReconnectStart, {kFsuipcNotOk, kShow},
                       kAutoAttempt, kReconnectStart, {kOk, kShow, "start timer 20"}}));
    EXPECT_EQ(w.app.link_status, 0);
}

// The simulator restarts between two ticks: the old window is gone, so the
// exchange fails and the next tick reconnects to the new one. Its first
// cycle writes every exported value; commands go to the new window, and what
// its counters hold at the first read is their baseline.
TEST(Lifecycle, RestartedSimulatorIsBridgedAgainWithinTwoTicks) {
    World w;
    w.simulator_up();
    w.aircraft_up();
    w.fake.aircraft()->set_window(5, 12000);
    w.fake.server.set_u16(0x9400, 0xFFFF);
    w.fake.server.set_u8(0x94F8, 9);
    w.start();
    w.tick();
    ASSERT_EQ(w.fake.server.u16_at(0x943A), 12000);
    w.fake.aircraft()->clear_commands();
    w.shell.calls.clear();

    w.fake.restart_simulator();
    w.fake.server.set_u16(0x9400, 0xFFFF);
    w.tick();
    EXPECT_EQ(w.app.link_status, fsuipc::kSendFailedWithError);
    w.tick();
    expect_calls(w.shell.calls,
                 join({kAutoStart, kAutoAttempt, kReconnectStart, {kOk, kShow, "start timer 20"}}));

    w.fake.server.set_u8(0x94F8, 1);
    w.tick();
    EXPECT_EQ(w.fake.server.last_exchange().count(fsuipc::kRecordWrite), 33u + 38u + 109u);
    EXPECT_EQ(w.fake.server.u16_at(0x943A), 12000);
    EXPECT_TRUE(w.fake.aircraft()->commands().empty());
    w.fake.server.set_u8(0x94F8, 2);
    w.tick();
    EXPECT_EQ(w.fake.aircraft()->commands(), (std::vector<sim::PostedCommand>{{628, 0}}));
}

// The offset server's own window goes away and the reconnect reaches the
// same server through "FS98MAIN": its counters and value byte still hold
// what was acted upon, so nothing is posted again; later movement is.
TEST(Lifecycle, SameServerThroughItsOtherWindowReplaysNothing) {
    World w;
    start_bridging(w);  // through "UIPCMAIN"
    w.fake.server.set_u16(0x9400, 0xFFFF);
    w.fake.server.set_u8(0x94F8, 3);
    w.fake.server.set_u8(0x94F0, 2);
    w.fake.server.set_u8(0x9428, 42);
    w.tick();  // the counters' baseline, the value byte once
    ASSERT_EQ(w.fake.aircraft()->commands(), (std::vector<sim::PostedCommand>{{1267, 42}}));
    w.fake.server.set_u8(0x94F8, 5);
    w.tick();
    ASSERT_EQ(w.fake.aircraft()->commands().size(), 3u);
    w.fake.aircraft()->clear_commands();

    w.fake.has_uipcmain = false;
    w.tick();  // the exchange fails
    w.tick();  // the automatic reconnect, through "FS98MAIN"
    ASSERT_EQ(w.bridge.client.server_window, w.fake.fs98main_window());
    w.tick();
    EXPECT_TRUE(w.fake.aircraft()->commands().empty());

    w.fake.server.set_u8(0x94F8, 6);
    w.tick();
    EXPECT_EQ(w.fake.aircraft()->commands(), (std::vector<sim::PostedCommand>{{628, 0}}));
}

// The simulator's window goes while its offset server still answers: nothing
// is posted into the dead window; the movements wait for the next open of the
// aircraft link, which finds the window again, and are posted exactly once.
TEST(Lifecycle, MovementsWhileTheSimulatorWindowIsGoneArePostedOnceItIsFoundAgain) {
    World w;
    start_bridging(w);
    w.fake.server.set_u16(0x9400, 0xFFFF);
    w.tick();

    w.fake.has_fs98main = false;
    for (int position : {1, 3}) {
        w.fake.server.set_u8(0x94F8, static_cast<std::uint8_t>(position));
        w.tick();
        ASSERT_EQ(w.app.link_status, 0);
    }
    w.fake.has_fs98main = true;
    w.tick();
    EXPECT_TRUE(w.fake.posts.empty());

    w.run();
    w.tick();
    w.tick();
    EXPECT_EQ(w.fake.aircraft()->commands(), std::vector<sim::PostedCommand>(3, {628, 0}));
}

TEST(Lifecycle, TickAfterAFailedStartReconnectsWithoutACycle) {
    World w;
    w.simulator_up();
    w.start();  // no aircraft: link status 100
    ASSERT_EQ(w.app.link_status, aircraft::kNotAvailable);
    w.shell.calls.clear();

    const std::size_t sends = w.fake.sends;
    std::size_t sends_before_reconnect = 0;
    w.shell.after_call = [&](const std::string& call) {
        if (call == kNotOk) {
            sends_before_reconnect = w.fake.sends;
        }
    };
    w.tick();

    EXPECT_EQ(sends_before_reconnect, sends) << "a cycle ran on a broken link";
    const Calls attempt_ifly = join({kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}});
    expect_calls(w.shell.calls, join({kAutoStart, attempt_ifly, attempt_ifly, {kAutoFailed}}));
}

// ---- automatic retry while waiting (Retry=N) ------------------------------------

const std::string kStopRetry = "stop retry timer";
std::string start_retry(int seconds) { return "start retry timer " + std::to_string(seconds * 1000); }
const std::uintptr_t kBridgeTick = kBridgeTimerId;
const std::uintptr_t kRetryTick = kRetryTimerId;

TEST(Retry, ZeroKeepsEveryTimerMessageATimerStep) {
    // Waiting after a start without the aircraft; with Retry=0 nothing arms a
    // retry and a message with the retry timer's id is a plain timer step.
    World w;
    w.simulator_up();
    w.start();
    expect_calls(w.shell.calls, {kIflyNotOk, kShow, kRepaint});
    w.shell.calls.clear();

    w.message(kRetryTick);

    const Calls attempt_ifly = join({kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}});
    expect_calls(w.shell.calls, join({kAutoStart, attempt_ifly, attempt_ifly, {kAutoFailed}}));
}

TEST(Retry, RetriesEveryPeriodWhileWaitingUntilBridging) {
    World w(settings_with(20, 0, 3));
    w.start();  // no simulator yet
    expect_calls(w.shell.calls, {kFsuipcNotOk, kShow, kRepaint, start_retry(3)});

    // Each retry is "Run!" with its usual lines, then the next one is armed.
    const Calls failed_retry =
        join({{kStopRetry}, kReconnectStart, {kFsuipcNotOk, kShow, start_retry(3)}});
    for (int attempt = 0; attempt < 2; ++attempt) {
        w.shell.calls.clear();
        w.message(kRetryTick);
        expect_calls(w.shell.calls, failed_retry);
    }

    // The simulator arrives: the next retry bridges and arms nothing.
    w.simulator_up();
    w.aircraft_up();
    w.shell.calls.clear();
    w.message(kRetryTick);
    expect_calls(w.shell.calls, join({{kStopRetry}, kReconnectStart, {kOk, kShow, start_timer(20)}}));
    EXPECT_EQ(w.app.link_status, 0);

    // Bridging: ticks run quietly, a late retry message does nothing.
    w.shell.calls.clear();
    const std::string area = w.bridge.client.area_name;
    const std::size_t sends = w.fake.sends;
    w.message(kBridgeTick);
    w.message(kRetryTick);
    w.message(kBridgeTick);
    expect_calls(w.shell.calls, {});
    EXPECT_GE(w.fake.sends, sends + 2);
    EXPECT_EQ(w.bridge.client.area_name, area) << "a late retry reconnected";
}

TEST(Retry, ArmedOnceAfterAFailedAutomaticReconnect) {
    World w(settings_with(20, 0, 1));
    start_bridging(w);
    w.fake.aircraft()->set_data_valid(0);
    w.aircraft_gone();

    w.message(kBridgeTick);

    // Not between the two attempts: only once the program is left waiting.
    const Calls attempt_ifly = join({kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}});
    expect_calls(w.shell.calls, join({kAutoStart, attempt_ifly, attempt_ifly,
                                      {kAutoFailed, start_retry(1)}}));
}

TEST(Retry, RunDuringTheWaitTakesOver) {
    struct Row {
        const char* name;
        bool simulator_at_run;
        Calls ending;
    };
    const Row rows[] = {
        {"Run! connects: the retry timer stays stopped", true, {kOk, kShow, start_timer(20)}},
        {"Run! fails: the next retry is a full period away", false,
         {kFsuipcNotOk, kShow, start_retry(5)}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World w(settings_with(20, 0, 5));
        w.start();
        w.shell.calls.clear();
        if (row.simulator_at_run) {
            w.simulator_up();
            w.aircraft_up();
        }
        w.run();
        expect_calls(w.shell.calls, join({{kStopRetry}, kReconnectStart, row.ending}));
    }
}

// An error box is about to come up: no retry, and no rest of a sequence,
// may start behind it.
TEST(Retry, StoppingOnAFailureStopsTheRetryTimerAndTheWaitToo) {
    World w(settings_with(20, 0, 3));
    w.start();
    ASSERT_EQ(w.shell.calls.back(), start_retry(3));
    w.shell.calls.clear();
    stop_timers(w.app, w.shell);
    expect_calls(w.shell.calls, {kStop, kStopRetry});

    w.simulator_up();
    w.aircraft_up();
    open_links(w.app);
    first_connection_check(w.app, w.shell);
    ASSERT_TRUE(w.shell.waiting);
    stop_timers(w.app, w.shell);
    EXPECT_FALSE(w.shell.waiting);
    w.shell.calls.clear();
    timer_message(w.app, w.shell, kWaitTimerId);
    expect_calls(w.shell.calls, {});
}

TEST(Retry, NothingStartsInsideASequence) {
    // While a wait runs the window handles every message: a retry, a late
    // bridge tick and "Run!" arrive in the middle and must start nothing.
    World w(settings_with(20, 0, 2));
    w.simulator_up();
    int strays = 0;
    w.shell.after_call = [&](const std::string& call) {
        if (call.rfind("wait ", 0) != 0) {
            return;
        }
        const std::size_t before = w.shell.calls.size();
        timer_message(w.app, w.shell, kRetryTick);
        timer_message(w.app, w.shell, kBridgeTick);
        manual_reconnect(w.app, w.shell);
        EXPECT_EQ(w.shell.calls.size(), before) << "something started inside " << call;
        ++strays;
    };
    w.start();  // waiting, retry armed

    // A retry, "Run!", and a stray bridge tick whose automatic reconnect waits.
    const Calls ifly_retry =
        join({{kStopRetry}, kReconnectStart, {kIflyNotOk, kShow, start_retry(2)}});
    w.shell.calls.clear();
    w.message(kRetryTick);
    expect_calls(w.shell.calls, ifly_retry);
    w.shell.calls.clear();
    w.run();
    expect_calls(w.shell.calls, ifly_retry);
    w.shell.calls.clear();
    w.message(kBridgeTick);
    const Calls attempt_ifly = join({kAutoAttempt, kReconnectStart, {kIflyNotOk, kShow}});
    expect_calls(w.shell.calls, join({{kNotOk, kStop, kStopRetry, kShow}, attempt_ifly,
                                      attempt_ifly, {kAutoFailed, start_retry(2)}}));
    EXPECT_EQ(strays, 6);
    // Start, retry, "Run!", two automatic attempts: five opens, no more.
    EXPECT_TRUE(w.area_name_ends_with(":5")) << w.bridge.client.area_name;
}

// ---- what catches the eye: the icon's state, the stop notices, the file ---------

TEST(Notices, TheUserIsToldWhenTheBridgeStopsAndOnlyThen) {
    const std::string code2 =
        "file code 2: no FSUIPC window; is the simulator or corvane-sim running?";
    struct Row {
        const char* name;
        std::int32_t retry_seconds;
        std::function<void(World&)> play;
        Calls notices;
    };
    const Row rows[] = {
        {"start without a simulator", 0, [](World& w) { w.start(); },
         {code2, "state stopped", "notify Status : FSUIPC NOT OK"}},
        {"... and with Retry, which goes on trying: no alarm", 3, [](World& w) { w.start(); },
         {code2}},
        {"the aircraft data turns invalid: at NOT OK, and once stopped", 0,
         [](World& w) {
             start_bridging(w);
             w.fake.aircraft()->set_data_valid(0);
             w.tick();
         },
         {"file tick: 1 cycle, interval median 0.0 ms, slowest 1 % 0.0 ms (Speed=20)",
          "state waiting", "notify Status : NOT OK", "state stopped",
          "notify Status : IFLY NOT OK"}},
        {"Run! while bridging is no failure", 0,
         [](World& w) {
             start_bridging(w);
             w.run();
         },
         {"file tick: 0 cycles (Speed=20)", "state waiting", "state bridging"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        World w(settings_with(20, 0, row.retry_seconds));
        row.play(w);
        expect_calls(w.shell.notices, row.notices);
    }
}

// ---- the tick: the timer resolution and the log file's tick lines ------------

// Whatever the way through (Run!, a failed tick and its reconnects, the end
// while bridging), the 1 ms resolution is asked for exactly while timer 1
// runs, never twice and never given back unasked, also when Windows refuses
// it. Every stop of a running timer 1 tells its tick, timed by the clock,
// and the end tells the whole run's, once.
TEST(Tick, ResolutionHeldExactlyWhileTimerOneRunsAndEveryStopTellsItsTick) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "resolution refused" : "resolution granted");
        World w;
        w.fake.refuse_timer_resolution = refused;
        const auto balanced = [&](const char* step) {
            SCOPED_TRACE(step);
            EXPECT_EQ(w.fake.timer_resolution_held, w.app.bridge_timer_running && !refused);
            EXPECT_EQ(w.fake.timer_resolution_unbalanced, 0u);
        };
        const auto ticks = [&](int count, std::uint64_t interval_us) {
            for (int i = 0; i < count; ++i) {
                w.fake.clock_microseconds += interval_us;
                w.tick();
            }
        };
        w.simulator_up();
        w.aircraft_up();
        w.start();
        balanced("bridging");
        ticks(99, 20000);
        ticks(1, 31000);
        w.run();
        balanced("after Run!");
        ticks(3, 15600);
        w.fake.aircraft()->set_data_valid(0);
        ticks(1, 15600);
        balanced("stopped after a failed tick and two failed attempts");
        w.fake.aircraft()->set_data_valid(1);
        w.run();
        ticks(2, 10000);
        balanced("bridging again");
        end_of_process(w.app, w.shell);
        balanced("ended while bridging");
        end_of_process(w.app, w.shell);

        EXPECT_EQ(w.fake.timer_resolution_ms, refused ? 0u : kTimerResolutionMs);
        Calls lines;
        std::copy_if(w.shell.notices.begin(), w.shell.notices.end(), std::back_inserter(lines),
                     [](const std::string& notice) { return notice.rfind("file ", 0) == 0; });
        expect_calls(
            lines,
            {"file tick: 100 cycles, interval median 20.0 ms, slowest 1 % 31.0 ms (Speed=20)",
             "file tick: 4 cycles, interval median 15.6 ms, slowest 1 % 15.6 ms (Speed=20)",
             "file tick: 2 cycles, interval median 10.0 ms, slowest 1 % 10.0 ms (Speed=20)",
             "file tick since start: 106 cycles, interval median 20.0 ms, slowest 1 % 20.0 ms "
             "(Speed=20)"});
    }
}

// ---- Corvane's state in the block ------------------------------------------

// The state byte and the heartbeat over a whole evening: bridging, a quiet
// second, a stop, a reconnect, the end; and with State=0 never a byte of
// 0x9429-0x942F.
TEST(State, BridgingStoppedAndExitedWithAHeartbeatBySeconds) {
    for (const bool on : {true, false}) {
        SCOPED_TRACE(on ? "State=1" : "State=0");
        World w;
        w.bridge.state.enabled = on;
        auto& server = w.fake.server;
        for (std::uint32_t offset = 0x9429; offset <= 0x942F; ++offset) {
            server.set_u8(offset, 0xEE);
        }
        start_bridging(w);
        w.fake.clock_microseconds = 5000000;
        w.tick();  // the first exporting cycle writes everything
        const std::uint8_t first_beat = server.byte_at(bridge::kHeartbeatOffset);
        if (on) {
            EXPECT_EQ(server.byte_at(bridge::kStateOffset), bridge::kStateBridging);
        }

        // Ticks within the second write nothing of the state; the next
        // second moves the heartbeat by one, in the cycle's own exchange.
        server.clear_log();
        w.fake.clock_microseconds += 999000;
        w.tick();
        EXPECT_FALSE(server.last_exchange().has_write(bridge::kHeartbeatOffset));
        w.fake.clock_microseconds += 1000;
        w.tick();
        EXPECT_EQ(server.logged(), 2u) << "the heartbeat takes no exchange of its own";
        if (on) {
            EXPECT_EQ(server.byte_at(bridge::kHeartbeatOffset),
                      static_cast<std::uint8_t>(first_beat + 1));
            EXPECT_EQ(server.last_exchange().count(fsuipc::kRecordWrite), 1u);
        }

        // The aircraft goes away: 2 once, through the reconnect's own
        // "IFLY NOT OK"; the heartbeat stands still while stopped.
        w.fake.aircraft()->set_data_valid(0);
        server.clear_log();
        w.tick();
        if (on) {
            EXPECT_EQ(server.byte_at(bridge::kStateOffset), bridge::kStateStopped);
            std::size_t state_writes = 0;
            for (std::size_t i = 0; i < server.logged(); ++i) {
                state_writes += server.exchange(i).has_write(bridge::kStateOffset) ? 1 : 0;
            }
            EXPECT_EQ(state_writes, 1u);
        }
        const std::uint8_t stopped_beat = server.byte_at(bridge::kHeartbeatOffset);
        w.fake.clock_microseconds += 5000000;
        w.tick();
        EXPECT_EQ(server.byte_at(bridge::kHeartbeatOffset), stopped_beat);

        // Back to bridging: 1 again at once.
        w.fake.aircraft()->set_data_valid(1);
        w.run();
        w.tick();
        if (on) {
            EXPECT_EQ(server.byte_at(bridge::kStateOffset), bridge::kStateBridging);
        }

        // Exit: 0 in an exchange of its own.
        server.clear_log();
        end_of_process(w.app, w.shell);
        if (on) {
            EXPECT_EQ(server.byte_at(bridge::kStateOffset), bridge::kStateExited);
            EXPECT_EQ(server.logged(), 1u);
        } else {
            for (std::uint32_t offset = 0x9429; offset <= 0x942F; ++offset) {
                EXPECT_EQ(server.byte_at(offset), 0xEE) << std::hex << offset;
            }
        }
    }
}

// The exit write never holds the end: one attempt against a silent server,
// none while an exchange holds the request area or after the link failed.
// A job abandoned at the end counts by its own outcome once joined: still
// answered, the link is free for the exit's write; failed, it is not.
TEST(State, ExitCostsOneAttemptAtMost) {
    enum Case { Silent, InFlight, LinkFailed, AbandonedButAnswered, AbandonedAndFailed };
    for (const Case c : {Silent, InFlight, LinkFailed, AbandonedButAnswered, AbandonedAndFailed}) {
        SCOPED_TRACE(static_cast<int>(c));
        World w;
        w.bridge.state.enabled = true;
        start_bridging(w);
        w.tick();
        w.fake.server_silent = c == Silent;
        if (c == InFlight) {
            w.app.phase = Phase::Cycling;
        }
        if (c == LinkFailed) {
            w.app.link = {LinkSide::Fsuipc, fsuipc::kSendFailedWithError, 0};
            w.app.link_status = fsuipc::kSendFailedWithError;
        }
        if (c == AbandonedButAnswered || c == AbandonedAndFailed) {
            w.app.phase = Phase::Cycling;
            w.bridge.abandon.store(true);
            JobResult last;
            if (c == AbandonedAndFailed) {
                last.link = {LinkSide::Fsuipc, fsuipc::kSendFailedWithError, 0};
            }
            jobs_ended(w.app, w.shell, &last);
        }
        const std::size_t sends = w.fake.sends;
        end_of_process(w.app, w.shell);
        EXPECT_EQ(w.fake.sends - sends, c == Silent || c == AbandonedButAnswered ? 1u : 0u);
    }
}

// ---- jobs: what waits for the offset server runs off the window's thread ----

// While a cycle or a reconnect's open is in flight, ticks, retries and wait
// messages start nothing, and "Run!" (pressed three times) is carried out
// once, when the job ends, exactly as if the job had held the window.
TEST(Jobs, NothingStartsDuringAJobAndRunIsCarriedOutOnceAfterIt) {
    World w(settings_with(20, 0, 1));
    start_bridging(w);
    w.shell.hold_jobs = true;
    const auto meanwhile = [&] {
        const std::size_t calls = w.shell.calls.size();
        const std::size_t sends = w.fake.sends;
        for (int i = 0; i < 3; ++i) {
            timer_message(w.app, w.shell, kBridgeTimerId);
            timer_message(w.app, w.shell, kRetryTimerId);
            timer_message(w.app, w.shell, kWaitTimerId);
            manual_reconnect(w.app, w.shell);
        }
        EXPECT_EQ(w.shell.calls.size(), calls) << "something started during a job";
        EXPECT_EQ(w.shell.held.size(), 1u);
        EXPECT_EQ(w.fake.sends, sends) << "the bridge was touched during a job";
        EXPECT_TRUE(exchange_in_flight(w.app));
    };

    timer_step(w.app, w.shell);  // a cycle in flight
    meanwhile();
    w.shell.run_held_job();      // it bridged; the deferred "Run!" begins
    expect_calls(w.shell.calls, kReconnectStart);
    timer_message(w.app, w.shell, kWaitTimerId);  // the reopen in flight
    meanwhile();
    w.shell.run_held_job();      // bridging again, and the second "Run!"
    expect_calls(w.shell.calls, join({kReconnectStart, {kOk, kShow, start_timer(20)},
                                      kReconnectStart}));
    w.shell.hold_jobs = false;
    w.run_waits();
    EXPECT_EQ(w.app.link_status, 0);
    EXPECT_FALSE(exchange_in_flight(w.app));
    EXPECT_TRUE(w.area_name_ends_with(":3")) << "one open per reconnect, no more";
}

// Refused posts over many Windows errors: one line for each of the first
// eight, none for the rest, and every refusal in the count, the last job's
// before the exit among them.
TEST(Notices, RefusedPostsAreToldOncePerErrorAndAllCounted) {
    World w;
    start_bridging(w);
    JobResult refused;
    refused.failed_posts = 1;
    for (std::uint32_t error = 1; error <= 10; ++error) {
        refused.failed_post_error = error;
        w.shell.hold_jobs = true;
        timer_step(w.app, w.shell);
        w.shell.held.clear();
        job_done(w.app, w.shell, refused);
    }
    timer_step(w.app, w.shell);  // in flight when the program ends
    refused.failed_posts = 2;
    jobs_ended(w.app, w.shell, &refused);
    end_of_process(w.app, w.shell);
    const auto told = std::count_if(w.shell.notices.begin(), w.shell.notices.end(),
                                    [](const std::string& line) {
                                        return line.rfind("file a command could not be posted", 0) == 0;
                                    });
    EXPECT_EQ(told, 8);
    EXPECT_NE(std::find(w.shell.notices.begin(), w.shell.notices.end(),
                        "file 12 command posts failed since Status : OK"),
              w.shell.notices.end());
}

// ---- the phases: what every event does in every phase -------------------------

const char* const kPhaseNames[] = {"waiting", "loading", "bridging", "cycling",
                                   "before attempt", "before reopen", "reopening", "halted"};
static_assert(std::size(kPhaseNames) == kPhaseCount);

// Brings a world (Retry=1, jobs held) into a phase by the ordinary road.
void arrive(World& w, Phase phase) {
    w.shell.hold_jobs = true;
    w.simulator_up();
    if (phase != Phase::Waiting) {
        w.aircraft_up();
    }
    open_links(w.app);
    first_connection_check(w.app, w.shell);  // waiting, or loading
    if (phase != Phase::Waiting && phase != Phase::Loading) {
        timer_message(w.app, w.shell, kWaitTimerId);  // bridging
    }
    switch (phase) {
        case Phase::Cycling:
            timer_message(w.app, w.shell, kBridgeTimerId);
            break;
        case Phase::BeforeAttempt:
            w.aircraft_up(0);
            timer_message(w.app, w.shell, kBridgeTimerId);
            w.shell.run_held_job();
            break;
        case Phase::Reopening:
        case Phase::BeforeReopen:
            manual_reconnect(w.app, w.shell);
            if (phase == Phase::Reopening) {
                timer_message(w.app, w.shell, kWaitTimerId);
            }
            break;
        case Phase::Halted:
            stop_timers(w.app, w.shell);
            break;
        default:
            break;
    }
    ASSERT_EQ(w.app.phase, phase) << kPhaseNames[static_cast<int>(phase)];
    w.shell.calls.clear();
    w.shell.notices.clear();
}

// The events as the window delivers them; a job's start shows as a call.
void deliver(World& w, Event event) {
    const std::size_t held = w.shell.held.size();
    switch (event) {
        case Event::Tick: timer_message(w.app, w.shell, kBridgeTimerId); break;
        case Event::RetryTimer: timer_message(w.app, w.shell, kRetryTimerId); break;
        case Event::WaitElapsed: timer_message(w.app, w.shell, kWaitTimerId); break;
        case Event::Run: manual_reconnect(w.app, w.shell); break;
        case Event::JobDone:
            if (w.shell.held.empty()) {
                job_done(w.app, w.shell, JobResult{});  // a stray result
            } else {
                w.shell.run_held_job();
            }
            break;
    }
    if (w.shell.held.size() > held || (event == Event::JobDone && !w.shell.held.empty())) {
        w.shell.calls.push_back(w.shell.held.back() == Job::Cycle ? "job cycle" : "job reopen");
    }
}

struct PhaseRow {
    Phase phase;
    std::vector<Event> events;
    Calls calls;
    Phase after;
};

// Every pair once, and the orders that matter inside a job: a tick that
// came during a cycle starts the next at its end (one, however many came),
// a "Run!" pressed meanwhile wins over it.
TEST(Phases, EveryEventInEveryPhase) {
    using E = Event;
    using P = Phase;
    const Calls reconnect = {"stop retry timer", kStop, kReconnecting, kWait1000};
    const Calls bridging = {kOk, kShow, start_timer(20)};
    const std::vector<PhaseRow> rows = {
        {P::Waiting, {E::Tick}, {kNotOk, kStop, "stop retry timer", kShow, kAutoIn2, kWait2000},
         P::BeforeAttempt},
        {P::Waiting, {E::RetryTimer}, reconnect, P::BeforeReopen},
        {P::Waiting, {E::WaitElapsed}, {}, P::Waiting},
        {P::Waiting, {E::Run}, reconnect, P::BeforeReopen},
        {P::Waiting, {E::JobDone}, {}, P::Waiting},
        {P::Loading, {E::Tick}, {}, P::Loading},
        {P::Loading, {E::RetryTimer}, {}, P::Loading},
        {P::Loading, {E::WaitElapsed}, join({bridging, {kRepaint}}), P::Bridging},
        {P::Loading, {E::Run}, {}, P::Loading},
        {P::Loading, {E::JobDone}, {}, P::Loading},
        {P::Bridging, {E::Tick}, {"job cycle"}, P::Cycling},
        {P::Bridging, {E::RetryTimer}, {}, P::Bridging},
        {P::Bridging, {E::WaitElapsed}, {}, P::Bridging},
        {P::Bridging, {E::Run}, kReconnectStart, P::BeforeReopen},
        {P::Bridging, {E::JobDone}, {}, P::Bridging},
        {P::Cycling, {E::Tick}, {}, P::Cycling},
        {P::Cycling, {E::RetryTimer}, {}, P::Cycling},
        {P::Cycling, {E::WaitElapsed}, {}, P::Cycling},
        {P::Cycling, {E::Run}, {}, P::Cycling},
        {P::Cycling, {E::JobDone}, {}, P::Bridging},
        {P::Cycling, {E::Tick, E::Tick, E::Tick, E::JobDone}, {"job cycle"}, P::Cycling},
        {P::Cycling, {E::Tick, E::Run, E::Tick, E::JobDone}, kReconnectStart, P::BeforeReopen},
        {P::BeforeAttempt, {E::Tick}, {}, P::BeforeAttempt},
        {P::BeforeAttempt, {E::RetryTimer}, {}, P::BeforeAttempt},
        {P::BeforeAttempt, {E::WaitElapsed}, kReconnectStart, P::BeforeReopen},
        {P::BeforeAttempt, {E::Run}, {}, P::BeforeAttempt},
        {P::BeforeAttempt, {E::JobDone}, {}, P::BeforeAttempt},
        {P::BeforeReopen, {E::Tick}, {}, P::BeforeReopen},
        {P::BeforeReopen, {E::RetryTimer}, {}, P::BeforeReopen},
        {P::BeforeReopen, {E::WaitElapsed}, {"job reopen"}, P::Reopening},
        {P::BeforeReopen, {E::Run}, {}, P::BeforeReopen},
        {P::BeforeReopen, {E::JobDone}, {}, P::BeforeReopen},
        {P::Reopening, {E::Tick}, {}, P::Reopening},
        {P::Reopening, {E::RetryTimer}, {}, P::Reopening},
        {P::Reopening, {E::WaitElapsed}, {}, P::Reopening},
        {P::Reopening, {E::Run}, {}, P::Reopening},
        {P::Reopening, {E::JobDone}, bridging, P::Bridging},
        {P::Reopening, {E::Tick, E::Run, E::JobDone}, join({bridging, kReconnectStart}),
         P::BeforeReopen},
        {P::Halted, {E::Tick}, {}, P::Halted},
        {P::Halted, {E::RetryTimer}, {}, P::Halted},
        {P::Halted, {E::WaitElapsed}, {}, P::Halted},
        {P::Halted, {E::Run}, {}, P::Halted},
        {P::Halted, {E::JobDone}, {}, P::Halted},
    };
    bool covered[kPhaseCount][kEventCount] = {};
    for (const PhaseRow& row : rows) {
        SCOPED_TRACE(std::string(kPhaseNames[static_cast<int>(row.phase)]) + ", " +
                     std::to_string(row.events.size()) + " events, first " +
                     std::to_string(static_cast<int>(row.events.front())));
        World w(settings_with(20, 0, 1));
        arrive(w, row.phase);
        for (const Event event : row.events) {
            deliver(w, event);
        }
        expect_calls(w.shell.calls, row.calls);
        EXPECT_EQ(w.app.phase, row.after) << kPhaseNames[static_cast<int>(w.app.phase)];
        if (row.events.size() == 1) {
            covered[static_cast<int>(row.phase)][static_cast<int>(row.events[0])] = true;
        }
    }
    for (std::size_t p = 0; p < kPhaseCount; ++p) {
        for (std::size_t e = 0; e < kEventCount; ++e) {
            EXPECT_TRUE(covered[p][e]) << kPhaseNames[p] << ", event " << e << " has no row";
        }
    }
}

// Exit! while a cycle that posted a command is under way: the command word's
// reset and the exit's state write still go out while the server answers,
// so the command is posted once and nothing is left to replay.
TEST(Jobs, AnAbandonedCycleFinishesWhatItSent) {
    for (const bool answering : {true, false}) {
        SCOPED_TRACE(answering ? "server answers" : "server silent");
        World w;
        w.bridge.state.enabled = true;
        start_bridging(w);
        w.tick();
        w.fake.server.set_u16(0x9400, 1232);
        w.shell.hold_jobs = true;
        timer_step(w.app, w.shell);
        w.fake.server_silent = !answering;
        w.bridge.abandon.store(true);  // Exit! during the job
        const std::size_t sends = w.fake.sends;
        const std::size_t posts = w.fake.posts.size();
        const JobResult last = run_job(w.app, w.shell.held.front());
        jobs_ended(w.app, w.shell, &last);
        end_of_process(w.app, w.shell);
        if (answering) {
            ASSERT_EQ(w.fake.posts.size() - posts, 1u);
            EXPECT_EQ(w.fake.posts.back().wparam, 1232u);
            EXPECT_EQ(w.fake.server.u16_at(0x9400), 0xFFFF) << "the command word was not reset";
            EXPECT_EQ(w.fake.server.byte_at(bridge::kStateOffset), bridge::kStateExited);
        } else {
            EXPECT_EQ(w.fake.posts.size(), posts);
            EXPECT_EQ(w.fake.sends - sends, 1u) << "one attempt, no retry, no exit write";
        }
    }
}

// The log file says why: the Windows error behind a failed exchange or open,
// with advice for a refused access, also after the NOT OK of a cycle; a
// refused post once per error in a bridging period, counted at its end.
TEST(Notices, FailuresSayWhyInTheLogFile) {
    const std::string code12 =
        "file code 12: the FSUIPC server did not answer (a system error); "
        "Windows error 5: access denied";
    const std::string advice = std::string("file ") + kAccessDeniedAdvice;
    {
        World w;
        start_bridging(w);
        w.fake.server_silent = true;
        w.fake.send_failure_error = kErrorAccessDenied;
        w.tick();  // the exchange fails: only kept
        w.tick();  // NOT OK and the reason, then two reopens that fail alike
        expect_calls(w.shell.notices, {code12, advice,
                                       "file tick: 1 cycle, interval median 0.0 ms, slowest 1 % "
                                       "0.0 ms (Speed=20)",
                                       "state waiting", "notify Status : NOT OK",
                                       code12, advice, code12, advice, "state stopped",
                                       "notify Status : AUTORECONNECT FAILED"});
    }
    {
        World w;
        start_bridging(w);
        w.fake.server.set_u16(0x9400, 0xFFFF);
        w.tick();  // the counters' baseline
        w.fake.post_failure_error = kErrorAccessDenied;
        for (int position : {2, 3}) {
            w.fake.server.set_u8(0x94F8, static_cast<std::uint8_t>(position));
            w.tick();
        }
        w.fake.post_failure_error = 1816;
        w.fake.server.set_u8(0x94F8, 4);
        w.tick();
        w.run();  // the bridging period ends
        expect_calls(w.shell.notices,
                     {"file a command could not be posted to the simulator; "
                      "Windows error 5: access denied",
                      advice,
                      "file a command could not be posted to the simulator; Windows error 1816: "
                      "not enough quota (the message queue is full)",
                      "file tick: 4 cycles, interval median 0.0 ms, slowest 1 % 0.0 ms (Speed=20)",
                      "file 4 command posts failed since Status : OK", "state waiting",
                      "state bridging"});
        EXPECT_EQ(w.app.link_status, 0) << "a refused post is no link failure";
    }
}

}  // namespace
}  // namespace corvane::app
