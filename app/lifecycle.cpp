// The connection lifecycle over the shell seam.
#include "app/lifecycle.h"

#include <cstdio>
#include <cstring>

#include "fsuipc/client.h"

namespace corvane::app {
namespace {

bool is_failure(Status status) {
    return status == Status::NotOk || status == Status::IflyNotOk ||
           status == Status::FsuipcNotOk || status == Status::AutoreconnectFailed;
}

void log(App& app, Shell& shell, Status status) {
    shell.append_status(status_text(status));
    if (is_failure(status)) {
        app.unreported_failure = status_text(status);
    }
}

// Only a successful check minimises the window, and only when the user asked
// for it; every failure shows it with SW_SHOW.
int minimised_show_mode(const App& app) {
    return app.start_minimised_flag == kStartMinimised ? kShowMinimised : kShowNormal;
}

// The offset server answered the last exchange: only the aircraft may be
// missing or not ready.
bool server_answered(const LinkOutcome& link) { return link.failed != LinkSide::Fsuipc; }

void set_link(App& app, const LinkOutcome& link) {
    app.link = link;
    app.link_status = link_status_of(link);
}

struct ErrorMeaning {
    std::uint32_t error;
    const char* text;
};

// The errors an exchange, an open or a post meets in practice.
constexpr ErrorMeaning kWindowsErrors[] = {
    {2, "file not found"},
    {5, "access denied"},
    {6, "invalid handle"},
    {8, "not enough memory"},
    {87, "invalid parameter"},
    {183, "already exists"},
    {1400, "invalid window handle"},
    {1444, "invalid thread"},
    {1460, "timeout"},
    {1816, "not enough quota (the message queue is full)"},
};

// "; Windows error 5: access denied" after what is in line already, and the
// advice for a refused access on a line of its own.
void note_with_windows_error(Shell& shell, char (&line)[192], std::uint32_t error) {
    if (error != 0) {
        const std::size_t used = std::strlen(line);
        const char* meaning = windows_error_meaning(error);
        std::snprintf(line + used, sizeof line - used, "; Windows error %u%s%s",
                      static_cast<unsigned>(error), meaning != nullptr ? ": " : "",
                      meaning != nullptr ? meaning : "");
    }
    shell.note_in_log_file(line);
    if (error == kErrorAccessDenied) {
        shell.note_in_log_file(kAccessDeniedAdvice);
    }
}

// FSUIPC's result code and the Windows error behind it, for the log file.
void note_link_code(App& app, Shell& shell) {
    char line[192];
    std::snprintf(line, sizeof line, "code %d: %s", static_cast<int>(app.link.code),
                  fsuipc::result_meaning(app.link.code));
    note_with_windows_error(shell, line, app.link.windows_error);
}

// A refused post is recorded once per Windows error in a bridging period;
// how many there were follows when the period ends.
void note_failed_posts(App& app, Shell& shell, const JobResult& result) {
    if (result.failed_posts == 0) {
        return;
    }
    app.failed_posts += result.failed_posts;
    const std::uint32_t error = result.failed_post_error;
    for (std::size_t i = 0; i < app.post_errors_told_count; ++i) {
        if (app.post_errors_told[i] == error) {
            return;
        }
    }
    // Past the errors kept, the count at the period's end speaks for the rest.
    if (app.post_errors_told_count == App::kPostErrorsKept) {
        return;
    }
    app.post_errors_told[app.post_errors_told_count++] = error;
    char line[192];
    std::snprintf(line, sizeof line, "a command could not be posted to the simulator");
    note_with_windows_error(shell, line, error);
}

void begin_timer_resolution(App& app) {
    if (!app.timer_resolution_held) {
        app.timer_resolution_held = app.bridge.os.begin_timer_resolution(kTimerResolutionMs);
    }
}

void end_timer_resolution(App& app) {
    if (app.timer_resolution_held) {
        app.bridge.os.end_timer_resolution(kTimerResolutionMs);
        app.timer_resolution_held = false;
    }
}

void note_ticks(App& app, Shell& shell, const TickStats& stats, const char* label) {
    char line[160];
    tick_line(stats, label, app.tick_period_ms, line, sizeof line);
    shell.note_in_log_file(line);
}

void start_bridge_timer(App& app, Shell& shell) {
    begin_timer_resolution(app);
    shell.start_timer(static_cast<std::uint32_t>(app.tick_period_ms));
    app.bridge_timer_running = true;
    const std::uint64_t now = app.bridge.os.now_microseconds();
    clear(app.period_ticks);
    timer_started(app.period_ticks, now);
    timer_started(app.run_ticks, now);
}

// The end of a bridging period: every stop of a running timer 1 tells the
// tick it gave, for a user to see (and send) what Windows made of Speed, and
// the refused posts are counted in the file.
void stop_bridge_timer(App& app, Shell& shell) {
    shell.stop_timer();
    if (app.bridge_timer_running) {
        note_ticks(app, shell, app.period_ticks, "tick");
    }
    if (app.bridge_timer_running && app.failed_posts != 0) {
        char line[96];
        std::snprintf(line, sizeof line, "%u command posts failed since Status : OK",
                      static_cast<unsigned>(app.failed_posts));
        shell.note_in_log_file(line);
    }
    app.failed_posts = 0;
    app.bridge_timer_running = false;
    end_timer_resolution(app);
}

void note_cycle_start(App& app) {
    const std::uint64_t now = app.bridge.os.now_microseconds();
    cycle_started(app.period_ticks, now);
    cycle_started(app.run_ticks, now);
}

// The job owns the bridge record from here until job_done().
void start_job(App& app, Shell& shell, Job job) {
    app.phase = job == Job::Cycle ? Phase::Cycling : Phase::Reopening;
    shell.start_job(job);
}

// Every reconnect stops the retry timer first, so no retry can start inside
// one; only settle() starts it again, once the outcome is known.
void stop_retry_timer(App& app, Shell& shell) {
    if (app.retry_timer_running) {
        shell.stop_retry_timer();
        app.retry_timer_running = false;
    }
}

// A program left waiting retries in N seconds when Retry > 0. Between
// attempts the thread is free: the timer posts its message, nothing waits
// for it. With Retry=0 nothing happens here.
void settle(App& app, Shell& shell) {
    if (app.retry_seconds > 0 && !app.bridge_timer_running && !app.retry_timer_running &&
        !sequence_under_way(app)) {
        shell.start_retry_timer(static_cast<std::uint32_t>(app.retry_seconds) *
                                kMillisecondsPerSecond);
        app.retry_timer_running = true;
    }
}

BridgeState bridge_state(const App& app) {
    if (app.bridge_timer_running) {
        return BridgeState::Bridging;
    }
    return sequence_under_way(app) || app.retry_timer_running ? BridgeState::Waiting
                                                               : BridgeState::Stopped;
}

// Tells the shell what changed. A failure is announced when it ends the
// bridging or leaves the program stopped; the lines in between (a failed
// first attempt, a failed retry) are not: the user was told already, or
// Corvane goes on trying by itself.
void report_state(App& app, Shell& shell) {
    const BridgeState state = bridge_state(app);
    const char* failure = app.unreported_failure;
    app.unreported_failure = nullptr;
    if (state == app.shown_state) {
        return;
    }
    const bool stopped = app.shown_state == BridgeState::Bridging || state == BridgeState::Stopped;
    app.shown_state = state;
    shell.show_state(state);
    if (stopped && failure != nullptr) {
        shell.notify_stop(failure);
    }
}

// The end of every message's work.
void finish_message(App& app, Shell& shell) {
    settle(app, shell);
    report_state(app, shell);
}

void begin_wait(App& app, Shell& shell, Phase phase, std::uint32_t milliseconds) {
    app.phase = phase;
    shell.start_wait(milliseconds);
}

// Where a job's end or a halted sequence leaves the lifecycle.
Phase resting_phase(const App& app) {
    return app.bridge_timer_running ? Phase::Bridging : Phase::Waiting;
}

void bridge_starts(App& app, Shell& shell) {
    log(app, shell, Status::Ok);
    app.failed_posts = 0;
    app.post_errors_told_count = 0;
    shell.show_window(minimised_show_mode(app));
    start_bridge_timer(app, shell);
    app.phase = Phase::Bridging;
}

// The outcome of opening the links when the bridge cannot start. FSUIPC's
// result code goes to the log file, for whoever is asked for help.
void report_not_ready(App& app, Shell& shell) {
    const bool fsuipc_up = app.link.failed != LinkSide::Fsuipc;
    log(app, shell, fsuipc_up ? Status::IflyNotOk : Status::FsuipcNotOk);
    if (!fsuipc_up) {
        note_link_code(app, shell);
    }
    shell.show_window(kShowNormal);
}

// "Run!" steps 1 to 3; the rest follows the wait.
void begin_reconnect(App& app, Shell& shell) {
    stop_retry_timer(app, shell);
    stop_bridge_timer(app, shell);
    log(app, shell, Status::Reconnecting);
    begin_wait(app, shell, Phase::BeforeReopen, kReconnectWaitMs);
}

void announce_attempt(App& app, Shell& shell) {
    log(app, shell, Status::AutoreconnectIn2Secs);
    begin_wait(app, shell, Phase::BeforeAttempt, kAutoreconnectWaitMs);
}

void end_automatic(App& app) {
    app.automatic = false;
    app.attempt = 0;
}

// "Run!" steps 7 to 9 once the links are open (or not), then, for an
// automatic attempt that failed, the next attempt or the end of trying.
void reopened(App& app, Shell& shell, bool data_valid) {
    app.phase = Phase::Waiting;
    if (app.link.failed == LinkSide::None && data_valid) {
        bridge_starts(app, shell);
    } else {
        report_not_ready(app, shell);
    }
    if (!app.automatic || app.link.failed == LinkSide::None) {
        end_automatic(app);
        return;
    }
    if (++app.attempt < kAutoreconnectAttempts) {
        announce_attempt(app, shell);
        return;
    }
    end_automatic(app);
    log(app, shell, Status::AutoreconnectFailed);
}

// A cycle found the aircraft data gone, or a tick found the last exchange
// failed: "NOT OK", with the reason of a failed exchange in the log file,
// and the automatic reconnect.
void cycle_failed(App& app, Shell& shell) {
    log(app, shell, Status::NotOk);
    if (!server_answered(app.link)) {
        note_link_code(app, shell);
    }
    automatic_reconnect(app, shell);
    finish_message(app, shell);
}

void dispatch(App& app, Shell& shell, Event event) {
    if (const Handler handler = transition(app.phase, event)) {
        handler(app, shell);
    }
}

// ---- what each event does -----------------------------------------------------

// The timer step: a cycle while the links are up, else the failure the last
// exchange left.
void tick(App& app, Shell& shell) {
    if (app.link_status == kLinksUp) {
        start_job(app, shell, Job::Cycle);
        return;
    }
    cycle_failed(app, shell);
}

// Both want the cycle's end at once, however quiet it was.
void remember_tick(App& app, Shell& shell) {
    app.tick_pending = true;
    shell.want_job_result();
}

void defer_run(App& app, Shell& shell) {
    app.run_deferred = true;
    shell.want_job_result();
}

void run_pressed(App& app, Shell& shell) {
    begin_reconnect(app, shell);
    finish_message(app, shell);
}

// A late message of the retry timer, one that comes after bridging resumed,
// does nothing.
void retry_due(App& app, Shell& shell) {
    if (app.retry_timer_running) {
        run_pressed(app, shell);
    }
}

void loading_over(App& app, Shell& shell) {
    shell.stop_wait();
    bridge_starts(app, shell);
    shell.repaint();
    finish_message(app, shell);
}

void attempt_due(App& app, Shell& shell) {
    shell.stop_wait();
    begin_reconnect(app, shell);
    finish_message(app, shell);
}

// "Run!" steps 4 to 6, as a job.
void reopen_due(App& app, Shell& shell) {
    shell.stop_wait();
    start_job(app, shell, Job::Reopen);
    finish_message(app, shell);
}

// What came while a job was in flight: a "Run!" first (it stops the timer,
// so a tick with it is moot), else the tick, at once.
void after_job(App& app, Shell& shell) {
    const bool run = app.run_deferred;
    const bool tick_due = app.tick_pending;
    app.run_deferred = false;
    app.tick_pending = false;
    if (run) {
        dispatch(app, shell, Event::Run);
    } else if (tick_due) {
        dispatch(app, shell, Event::Tick);
    }
}

void take_result(App& app) { set_link(app, app.result.link); }

// An exchange error is only kept: the next tick reconnects.
void cycle_done(App& app, Shell& shell) {
    app.phase = resting_phase(app);
    take_result(app);
    note_failed_posts(app, shell, app.result);
    if (app.link.failed == LinkSide::Aircraft) {
        cycle_failed(app, shell);
    }
    after_job(app, shell);
}

void reopen_done(App& app, Shell& shell) {
    take_result(app);
    reopened(app, shell, app.result.data_valid);
    finish_message(app, shell);
    after_job(app, shell);
}

// Every (phase, event) pair; null: the event does nothing in that phase (a
// late tick inside a sequence, a wait that was called off, a result with no
// job in flight, anything once halted).
constexpr std::size_t kTick = static_cast<std::size_t>(Event::Tick);
constexpr std::size_t kRetry = static_cast<std::size_t>(Event::RetryTimer);
constexpr std::size_t kWait = static_cast<std::size_t>(Event::WaitElapsed);
constexpr std::size_t kRun = static_cast<std::size_t>(Event::Run);
constexpr std::size_t kDone = static_cast<std::size_t>(Event::JobDone);
static_assert(kEventCount == 5);

struct PhaseRow {
    Phase phase;
    Handler on[kEventCount];  // by Event: Tick, RetryTimer, WaitElapsed, Run, JobDone
};

// A stray tick while waiting runs the timer step as it always did; a retry
// only while waiting; "Run!" during a job counts once the job is over.
constexpr PhaseRow kTransitions[] = {
    {Phase::Waiting, {tick, retry_due, nullptr, run_pressed, nullptr}},
    {Phase::Loading, {nullptr, nullptr, loading_over, nullptr, nullptr}},
    {Phase::Bridging, {tick, nullptr, nullptr, run_pressed, nullptr}},
    {Phase::Cycling, {remember_tick, nullptr, nullptr, defer_run, cycle_done}},
    {Phase::BeforeAttempt, {nullptr, nullptr, attempt_due, nullptr, nullptr}},
    {Phase::BeforeReopen, {nullptr, nullptr, reopen_due, nullptr, nullptr}},
    {Phase::Reopening, {nullptr, nullptr, nullptr, defer_run, reopen_done}},
    {Phase::Halted, {nullptr, nullptr, nullptr, nullptr, nullptr}},
};
static_assert(sizeof kTransitions / sizeof kTransitions[0] == kPhaseCount);

constexpr bool rows_in_phase_order() {
    for (std::size_t i = 0; i < kPhaseCount; ++i) {
        if (static_cast<std::size_t>(kTransitions[i].phase) != i) {
            return false;
        }
    }
    return true;
}
static_assert(rows_in_phase_order());

bool data_valid(bridge::Bridge& b) {
    if (!aircraft::snapshot_sdk1(b.link, b.blocks)) {
        return false;
    }
    return aircraft::data_valid_field(b.blocks) == kDataValid;
}

// What a bridge call gave, by the one code of the aircraft's it can give:
// opening the links 100 (any other failure the client's, whose 1 is
// "already open"), a cycle 1 (an exchange never gives it).
LinkOutcome outcome(const bridge::Bridge& b, std::int32_t code, std::int32_t aircraft_code) {
    if (code == kLinksUp) {
        return {};
    }
    if (code == aircraft_code) {
        return {LinkSide::Aircraft, code, 0};
    }
    return {LinkSide::Fsuipc, code, b.client.windows_error};
}

LinkOutcome opened(const bridge::Bridge& b, std::int32_t code) {
    return outcome(b, code, kAircraftNotAvailable);
}

LinkOutcome cycled(const bridge::Bridge& b, std::int32_t code) {
    return outcome(b, code, kAircraftDataNotValid);
}

}  // namespace

void open_links(App& app) { set_link(app, opened(app.bridge, bridge::open_links(app.bridge))); }

void close_links(App& app) { bridge::close_links(app.bridge); }

void end_of_process(App& app, Shell& shell) {
    if (app.ended) {
        return;
    }
    app.ended = true;
    // A job still holding the request area (its thread not joined) leaves
    // it alone.
    const bool area_held = exchange_in_flight(app);
    stop_timers(app, shell);
    note_ticks(app, shell, app.run_ticks, "tick since start");
    // The last word to the panels, when the offset server answered last time
    // and no exchange holds the request area or was abandoned at the end.
    if (server_answered(app.link) && !area_held && !app.bridge.abandon.load()) {
        bridge::write_exit_state(app.bridge);
    }
    close_links(app);
}

bool aircraft_data_valid(App& app) { return data_valid(app.bridge); }

const char* windows_error_meaning(std::uint32_t error) {
    for (const ErrorMeaning& meaning : kWindowsErrors) {
        if (meaning.error == error) {
            return meaning.text;
        }
    }
    return nullptr;
}

JobResult run_job(App& app, Job job) {
    bridge::Bridge& bridge = app.bridge;
    JobResult result;
    result.job = job;
    // The bridge that stops while the offset server still answers says so
    // with State=1, from here: the job owns the request area.
    if (job == Job::Reopen) {
        bridge::close_links(bridge);
        // The program ends: the links stay closed.
        result.link = bridge.abandon.load() ? LinkOutcome{LinkSide::Fsuipc, fsuipc::kNotOpen, 0}
                                            : opened(bridge, bridge::open_links(bridge));
        result.data_valid = result.link.failed == LinkSide::None && data_valid(bridge);
        if (result.link.failed == LinkSide::Aircraft ||
            (result.link.failed == LinkSide::None && !result.data_valid)) {
            bridge::write_stopped_state(bridge);
        }
    } else {
        note_cycle_start(app);
        result.link = cycled(bridge, bridge::run_cycle(bridge));
        if (result.link.failed == LinkSide::Aircraft) {
            bridge::write_stopped_state(bridge);
        }
        bridge::CommandState& commands = bridge.commands;
        result.failed_posts = commands.failed_posts;
        result.failed_post_error = commands.failed_post_error;
        commands.failed_posts = 0;
        commands.failed_post_error = 0;
    }
    return result;
}

bool tell_at_once(const JobResult& result) {
    return result.job != Job::Cycle || result.link.failed != LinkSide::None ||
           result.failed_posts != 0;
}

Handler transition(Phase phase, Event event) {
    return kTransitions[static_cast<std::size_t>(phase)].on[static_cast<std::size_t>(event)];
}

void job_done(App& app, Shell& shell, const JobResult& result) {
    app.result = result;
    dispatch(app, shell, Event::JobDone);
}

bool sequence_under_way(const App& app) {
    return app.phase == Phase::Loading || app.phase == Phase::BeforeAttempt ||
           app.phase == Phase::BeforeReopen || app.phase == Phase::Reopening;
}

// Only the first check announces "LOADING" and gives the aircraft two
// seconds before the bridge starts; it ends with a repaint.
void first_connection_check(App& app, Shell& shell) {
    if (app.link_status == kLinksUp && aircraft_data_valid(app)) {
        log(app, shell, Status::Loading);
        begin_wait(app, shell, Phase::Loading, kLoadingWaitMs);
    } else {
        report_not_ready(app, shell);
        shell.repaint();
    }
    finish_message(app, shell);
}

void jobs_ended(App& app, Shell& shell, const JobResult* last) {
    if (exchange_in_flight(app)) {
        app.phase = resting_phase(app);
    }
    app.run_deferred = false;
    app.tick_pending = false;
    if (last != nullptr) {
        set_link(app, last->link);
        note_failed_posts(app, shell, *last);
        if (server_answered(last->link)) {
            app.bridge.abandon.store(false);
        }
    }
}

void manual_reconnect(App& app, Shell& shell) { dispatch(app, shell, Event::Run); }

void timer_message(App& app, Shell& shell, std::uintptr_t timer_id) {
    if (timer_id == kWaitTimerId) {
        wait_elapsed(app, shell);
        return;
    }
    if (app.retry_seconds > 0 && timer_id == kRetryTimerId) {
        retry_step(app, shell);
        return;
    }
    timer_step(app, shell);
}

void timer_step(App& app, Shell& shell) { dispatch(app, shell, Event::Tick); }

void automatic_reconnect(App& app, Shell& shell) {
    stop_bridge_timer(app, shell);
    // Only a stray bridge tick while waiting gets here with it running.
    stop_retry_timer(app, shell);
    shell.show_window(kShowNormal);
    app.phase = Phase::Waiting;
    app.automatic = true;
    app.attempt = 0;
    announce_attempt(app, shell);
}

void wait_elapsed(App& app, Shell& shell) { dispatch(app, shell, Event::WaitElapsed); }

void stop_timers(App& app, Shell& shell) {
    app.run_deferred = false;
    app.tick_pending = false;
    stop_bridge_timer(app, shell);
    stop_retry_timer(app, shell);
    if (sequence_under_way(app)) {
        shell.stop_wait();
    }
    end_automatic(app);
    app.phase = Phase::Halted;
}

void retry_step(App& app, Shell& shell) { dispatch(app, shell, Event::RetryTimer); }

}  // namespace corvane::app
