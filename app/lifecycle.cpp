// The connection lifecycle over the shell seam.
#include "app/lifecycle.h"

#include <cstdio>

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

// Every stop of a running timer 1 tells the tick it gave, for a user to see
// (and send) what Windows made of Speed.
void stop_bridge_timer(App& app, Shell& shell) {
    shell.stop_timer();
    if (app.bridge_timer_running) {
        note_ticks(app, shell, app.period_ticks, "tick");
    }
    app.bridge_timer_running = false;
    end_timer_resolution(app);
}

void note_cycle_start(App& app) {
    const std::uint64_t now = app.bridge.os.now_microseconds();
    cycle_started(app.period_ticks, now);
    cycle_started(app.run_ticks, now);
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

void begin_wait(App& app, Shell& shell, Step step, std::uint32_t milliseconds) {
    app.sequence.step = step;
    shell.start_wait(milliseconds);
}

void bridge_starts(App& app, Shell& shell) {
    log(app, shell, Status::Ok);
    shell.show_window(minimised_show_mode(app));
    start_bridge_timer(app, shell);
}

// The outcome of opening the links when the bridge cannot start. FSUIPC's
// result code goes to the log file, for whoever is asked for help.
void report_not_ready(App& app, Shell& shell) {
    const bool fsuipc_up =
        app.link_status == kLinksUp || app.link_status == kAircraftNotAvailable;
    log(app, shell, fsuipc_up ? Status::IflyNotOk : Status::FsuipcNotOk);
    if (fsuipc_up) {
        bridge::write_stopped_state(app.bridge);
    } else {
        char line[128];
        std::snprintf(line, sizeof line, "code %d: %s", static_cast<int>(app.link_status),
                      fsuipc::result_meaning(app.link_status));
        shell.note_in_log_file(line);
    }
    shell.show_window(kShowNormal);
}

// "Run!" steps 1 to 3; the rest follows the wait.
void begin_reconnect(App& app, Shell& shell) {
    stop_retry_timer(app, shell);
    stop_bridge_timer(app, shell);
    log(app, shell, Status::Reconnecting);
    begin_wait(app, shell, Step::BeforeReopen, kReconnectWaitMs);
}

void announce_attempt(App& app, Shell& shell) {
    log(app, shell, Status::AutoreconnectIn2Secs);
    begin_wait(app, shell, Step::BeforeAttempt, kAutoreconnectWaitMs);
}

// "Run!" steps 4 to 9, then, for an automatic attempt that failed, the next
// attempt or the end of trying.
void reopen(App& app, Shell& shell) {
    close_links(app);
    open_links(app);
    if (app.link_status == kLinksUp && aircraft_data_valid(app)) {
        bridge_starts(app, shell);
    } else {
        report_not_ready(app, shell);
    }
    if (!app.sequence.automatic || app.link_status == kLinksUp) {
        app.sequence = Sequence{};
        return;
    }
    if (++app.sequence.attempt < kAutoreconnectAttempts) {
        announce_attempt(app, shell);
        return;
    }
    app.sequence = Sequence{};
    log(app, shell, Status::AutoreconnectFailed);
}

}  // namespace

void open_links(App& app) { app.link_status = bridge::open_links(app.bridge); }

void close_links(App& app) { bridge::close_links(app.bridge); }

void end_of_process(App& app, Shell& shell) {
    if (app.ended) {
        return;
    }
    app.ended = true;
    stop_timers(app, shell);
    note_ticks(app, shell, app.run_ticks, "tick since start");
    // The last word to the panels, when the offset server answered last time
    // and no exchange holds the request area.
    const bool server_answers = app.link_status == kLinksUp ||
                                app.link_status == kAircraftNotAvailable ||
                                app.link_status == kAircraftDataNotValid;
    if (server_answers && !exchange_in_flight(app)) {
        bridge::write_exit_state(app.bridge);
    }
    close_links(app);
}

bool aircraft_data_valid(App& app) {
    bridge::Bridge& b = app.bridge;
    if (!aircraft::snapshot_sdk1(b.link, b.blocks)) {
        return false;
    }
    return aircraft::data_valid_field(b.blocks) == kDataValid;
}

bool sequence_under_way(const App& app) { return app.sequence.step != Step::None; }

// Only the first check announces "LOADING" and gives the aircraft two
// seconds before the bridge starts; it ends with a repaint.
void first_connection_check(App& app, Shell& shell) {
    if (app.link_status == kLinksUp && aircraft_data_valid(app)) {
        log(app, shell, Status::Loading);
        begin_wait(app, shell, Step::Loading, kLoadingWaitMs);
    } else {
        report_not_ready(app, shell);
        shell.repaint();
    }
    finish_message(app, shell);
}

void manual_reconnect(App& app, Shell& shell) {
    if (sequence_under_way(app)) {
        return;
    }
    begin_reconnect(app, shell);
    finish_message(app, shell);
}

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

void timer_step(App& app, Shell& shell) {
    if (sequence_under_way(app)) {
        return;
    }
    if (app.link_status == kLinksUp) {
        note_cycle_start(app);
        app.link_status = bridge::run_cycle(app.bridge);
        // An exchange error is only kept: the next tick reconnects.
        if (app.link_status != kAircraftDataNotValid) {
            return;
        }
    }
    log(app, shell, Status::NotOk);
    // Only the aircraft went away: the offset server still takes the state.
    if (app.link_status == kAircraftDataNotValid) {
        bridge::write_stopped_state(app.bridge);
    }
    automatic_reconnect(app, shell);
    finish_message(app, shell);
}

void automatic_reconnect(App& app, Shell& shell) {
    stop_bridge_timer(app, shell);
    // Only a stray bridge tick while waiting gets here with it running.
    stop_retry_timer(app, shell);
    shell.show_window(kShowNormal);
    app.sequence = Sequence{Step::None, true, 0};
    announce_attempt(app, shell);
}

void wait_elapsed(App& app, Shell& shell) {
    const Step step = app.sequence.step;
    // A late message of a wait that was called off.
    if (step == Step::None) {
        return;
    }
    shell.stop_wait();
    app.sequence.step = Step::None;
    switch (step) {
        case Step::Loading:
            bridge_starts(app, shell);
            shell.repaint();
            break;
        case Step::BeforeAttempt:
            begin_reconnect(app, shell);
            break;
        case Step::BeforeReopen:
            reopen(app, shell);
            break;
        case Step::None:
            break;
    }
    finish_message(app, shell);
}

void stop_timers(App& app, Shell& shell) {
    stop_bridge_timer(app, shell);
    stop_retry_timer(app, shell);
    if (sequence_under_way(app)) {
        shell.stop_wait();
        app.sequence = Sequence{};
    }
}

void retry_step(App& app, Shell& shell) {
    if (!app.retry_timer_running || sequence_under_way(app)) {
        return;
    }
    begin_reconnect(app, shell);
    finish_message(app, shell);
}

}  // namespace corvane::app
