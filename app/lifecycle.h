// The connection lifecycle: when the bridge runs and what happens when it
// cannot. Turns the outcome of opening the two links into a status line,
// starts the bridge timer when all is well, reconnects when the user presses
// "Run!", by itself after a failed cycle, and, when the user asked for it
// with Retry=N, every N seconds while it waits.
//
// Everything here talks to the window through the Shell seam, so the whole
// lifecycle (waits included) runs instantly under test with a recording shell.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/settings.h"
#include "bridge/bridge.h"

namespace corvane::app {

// ---- status log lines -------------------------------------------------------

enum class Status : std::uint8_t {
    Init,
    Loading,
    Ok,
    IflyNotOk,
    FsuipcNotOk,
    Reconnecting,
    NotOk,
    AutoreconnectIn2Secs,
    AutoreconnectFailed,
    LogFileNotOk,
};

inline constexpr const char* kStatusTexts[] = {
    "Status : INIT...",
    "Status : LOADING",
    "Status : OK",
    "Status : IFLY NOT OK",
    "Status : FSUIPC NOT OK",
    "Status : RECONNECTING",
    "Status : NOT OK",
    "Status : AUTORECONNECT IN 2 SECS",
    "Status : AUTORECONNECT FAILED",
    "Status : LOG FILE NOT OK",
};
static_assert(sizeof kStatusTexts / sizeof kStatusTexts[0] ==
              static_cast<std::size_t>(Status::LogFileNotOk) + 1);

constexpr const char* status_text(Status status) {
    return kStatusTexts[static_cast<std::size_t>(status)];
}

// ---- the shell seam ---------------------------------------------------------

// ShowWindow modes the lifecycle uses.
constexpr int kShowNormal = 5;     // SW_SHOW
constexpr int kShowMinimised = 6;  // SW_MINIMIZE

// Timer 1 of the main window drives the bridge cycle. Timer 2 runs only with
// Retry > 0, while the program waits, and is told apart by this id.
constexpr unsigned kBridgeTimerId = 1;
constexpr unsigned kRetryTimerId = 2;

// What the lifecycle needs from the main window. The Win32 shell implements
// it with the real window; tests record the calls.
class Shell {
public:
    virtual ~Shell() = default;
    // Show the text in the status bar and append it as a line to the log.
    virtual void append_status(const char* text) = 0;
    virtual void show_window(int mode) = 0;
    // Timer 1 of the main window, posting WM_TIMER every period.
    virtual void start_timer(std::uint32_t period_ms) = 0;
    virtual void stop_timer() = 0;
    // The retry timer (kRetryTimerId), posting WM_TIMER every period.
    virtual void start_retry_timer(std::uint32_t period_ms) = 0;
    virtual void stop_retry_timer() = 0;
    // Blocks the user-interface thread, as the reconnects mean to.
    virtual void sleep(std::uint32_t milliseconds) = 0;
};

// ---- the lifecycle ----------------------------------------------------------

// Link status values besides the FSUIPC error codes.
constexpr std::int32_t kLinksUp = 0;
constexpr std::int32_t kAircraftDataNotValid = bridge::kAircraftDataMissing;
constexpr std::int32_t kAircraftNotAvailable = aircraft::kNotAvailable;

// The connection checks accept only this value of the SDK1 data-valid field,
// although a running bridge cycle goes on with any non-zero one.
constexpr std::int32_t kDataValid = 1;

constexpr std::uint32_t kLoadingWaitMs = 2000;        // first check, before "OK"
constexpr std::uint32_t kReconnectWaitMs = 1000;      // every reconnect, before closing
constexpr std::uint32_t kAutoreconnectWaitMs = 2000;  // before each automatic attempt
constexpr int kAutoreconnectAttempts = 2;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;

struct App {
    App(bridge::Bridge& bridge_, const Settings& settings)
        : bridge(bridge_),
          tick_period_ms(settings.tick_period_ms),
          start_minimised_flag(settings.start_minimised_flag),
          retry_seconds(settings.retry_seconds) {}
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    bridge::Bridge& bridge;
    std::int32_t link_status = kLinksUp;
    std::int32_t tick_period_ms;
    std::int32_t start_minimised_flag;
    std::int32_t retry_seconds;  // 0: only "Run!" leaves the waiting
    // Timer 1 runs exactly while bridging; when it is stopped outside a
    // reconnect, the program waits.
    bool bridge_timer_running = false;
    // The retry timer runs exactly while the program waits with Retry > 0,
    // never during a reconnect.
    bool retry_timer_running = false;
};

// Start-up: open the FSUIPC link and, if that worked, the aircraft link; the
// outcome becomes the link status.
void open_links(App& app);
// End of process: the aircraft link, then the FSUIPC link.
void close_links(App& app);

// Refresh the SDK1 block from its view (when open) and test the data-valid
// field for exactly 1.
bool aircraft_data_valid(App& app);

// The check run right after the main window exists.
void first_connection_check(App& app, Shell& shell);
// "Run!": close and reopen both links, then check them again.
void manual_reconnect(App& app, Shell& shell);
// Every WM_TIMER of the main window, by its timer id: with Retry > 0 the
// retry timer's messages run a retry, every other one the timer step; with
// Retry=0 every one runs the timer step, whatever its id.
void timer_message(App& app, Shell& shell, std::uintptr_t timer_id);
// The bridge tick (timer 1).
void timer_step(App& app, Shell& shell);
// After a failed cycle: up to two reconnects, two seconds apart.
void automatic_reconnect(App& app, Shell& shell);
// The program is about to stop on a failure (an error box comes up): neither
// timer may start a cycle or a retry behind the box.
void stop_timers(App& app, Shell& shell);
// The retry timer fired: while the program still waits, the manual
// reconnect, with its usual lines. A late message, one that arrives inside
// a reconnect or after bridging resumed, does nothing.
void retry_step(App& app, Shell& shell);

}  // namespace corvane::app
