// The connection lifecycle over the shell seam.
#include "app/lifecycle.h"

namespace corvane::app {
namespace {

void log(Shell& shell, Status status) { shell.append_status(status_text(status)); }

// Only a successful check minimises the window, and only when the user asked
// for it; every failure shows it with SW_SHOW.
int minimised_show_mode(const App& app) {
    return app.start_minimised_flag == kStartMinimised ? kShowMinimised : kShowNormal;
}

void start_bridge_timer(App& app, Shell& shell) {
    shell.start_timer(static_cast<std::uint32_t>(app.tick_period_ms));
    app.bridge_timer_running = true;
}

void stop_bridge_timer(App& app, Shell& shell) {
    shell.stop_timer();
    app.bridge_timer_running = false;
}

// Every reconnect stops the retry timer first, so no retry can start inside
// one; only settle() starts it again, once the outcome is known.
void stop_retry_timer(App& app, Shell& shell) {
    if (app.retry_timer_running) {
        shell.stop_retry_timer();
        app.retry_timer_running = false;
    }
}

// Runs when a message's work is done. A program left waiting retries in N
// seconds when Retry > 0. Between attempts the thread is free: the timer
// posts its message, nothing waits for it. With Retry=0 nothing happens here.
void settle(App& app, Shell& shell) {
    if (app.retry_seconds > 0 && !app.bridge_timer_running && !app.retry_timer_running) {
        shell.start_retry_timer(static_cast<std::uint32_t>(app.retry_seconds) *
                                kMillisecondsPerSecond);
        app.retry_timer_running = true;
    }
}

enum class Check { First, Reconnect };

// The outcome of opening the links. Only the first check announces
// "LOADING" and gives the aircraft two seconds before the bridge starts.
void connection_check(App& app, Shell& shell, Check check) {
    if (app.link_status == kLinksUp && aircraft_data_valid(app)) {
        if (check == Check::First) {
            log(shell, Status::Loading);
            shell.sleep(kLoadingWaitMs);
        }
        log(shell, Status::Ok);
        shell.show_window(minimised_show_mode(app));
        start_bridge_timer(app, shell);
        return;
    }
    const bool fsuipc_up =
        app.link_status == kLinksUp || app.link_status == kAircraftNotAvailable;
    log(shell, fsuipc_up ? Status::IflyNotOk : Status::FsuipcNotOk);
    shell.show_window(kShowNormal);
}

// "Run!" in full, steps 1 to 9; every reconnect is this.
void reconnect(App& app, Shell& shell) {
    stop_retry_timer(app, shell);
    stop_bridge_timer(app, shell);
    log(shell, Status::Reconnecting);
    shell.sleep(kReconnectWaitMs);
    close_links(app);
    open_links(app);
    connection_check(app, shell, Check::Reconnect);
}

}  // namespace

void open_links(App& app) { app.link_status = bridge::open_links(app.bridge); }

void close_links(App& app) { bridge::close_links(app.bridge); }

bool aircraft_data_valid(App& app) {
    bridge::Bridge& b = app.bridge;
    if (!aircraft::snapshot_sdk1(b.link, b.blocks)) {
        return false;
    }
    return aircraft::data_valid_field(b.blocks) == kDataValid;
}

void first_connection_check(App& app, Shell& shell) {
    connection_check(app, shell, Check::First);
    settle(app, shell);
}

void manual_reconnect(App& app, Shell& shell) {
    reconnect(app, shell);
    settle(app, shell);
}

void timer_message(App& app, Shell& shell, std::uintptr_t timer_id) {
    if (app.retry_seconds > 0 && timer_id == kRetryTimerId) {
        retry_step(app, shell);
        return;
    }
    timer_step(app, shell);
}

void timer_step(App& app, Shell& shell) {
    if (app.link_status == kLinksUp) {
        app.link_status = bridge::run_cycle(app.bridge);
        // An exchange error is only kept: the next tick reconnects.
        if (app.link_status != kAircraftDataNotValid) {
            return;
        }
    }
    log(shell, Status::NotOk);
    automatic_reconnect(app, shell);
    settle(app, shell);
}

void automatic_reconnect(App& app, Shell& shell) {
    stop_bridge_timer(app, shell);
    // Only a stray bridge tick while waiting gets here with it running.
    stop_retry_timer(app, shell);
    shell.show_window(kShowNormal);
    for (int attempt = 0; attempt < kAutoreconnectAttempts; ++attempt) {
        log(shell, Status::AutoreconnectIn2Secs);
        shell.sleep(kAutoreconnectWaitMs);
        reconnect(app, shell);
        if (app.link_status == kLinksUp) {
            return;
        }
    }
    log(shell, Status::AutoreconnectFailed);
}

void stop_timers(App& app, Shell& shell) {
    stop_bridge_timer(app, shell);
    stop_retry_timer(app, shell);
}

void retry_step(App& app, Shell& shell) {
    if (!app.retry_timer_running) {
        return;
    }
    reconnect(app, shell);
    settle(app, shell);
}

}  // namespace corvane::app
