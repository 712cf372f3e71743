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
        shell.start_timer(static_cast<std::uint32_t>(app.tick_period_ms));
        return;
    }
    const bool fsuipc_up =
        app.link_status == kLinksUp || app.link_status == kAircraftNotAvailable;
    log(shell, fsuipc_up ? Status::IflyNotOk : Status::FsuipcNotOk);
    shell.show_window(kShowNormal);
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
}

void manual_reconnect(App& app, Shell& shell) {
    shell.stop_timer();
    log(shell, Status::Reconnecting);
    shell.sleep(kReconnectWaitMs);
    close_links(app);
    open_links(app);
    connection_check(app, shell, Check::Reconnect);
}

void timer_step(App& app, Shell& shell) {
    if (app.link_status == kLinksUp) {
        app.link_status = bridge::run_cycle(app.bridge);
        // An exchange error is only kept: the next tick reconnects.
        if (app.link_status == kAircraftDataNotValid) {
            log(shell, Status::NotOk);
            automatic_reconnect(app, shell);
        }
        return;
    }
    log(shell, Status::NotOk);
    automatic_reconnect(app, shell);
}

void automatic_reconnect(App& app, Shell& shell) {
    shell.stop_timer();
    shell.show_window(kShowNormal);
    for (int attempt = 0; attempt < kAutoreconnectAttempts; ++attempt) {
        log(shell, Status::AutoreconnectIn2Secs);
        shell.sleep(kAutoreconnectWaitMs);
        manual_reconnect(app, shell);
        if (app.link_status == kLinksUp) {
            return;
        }
    }
    log(shell, Status::AutoreconnectFailed);
}

}  // namespace corvane::app
