// The connection lifecycle: when the bridge runs and what happens when it
// cannot. Turns the outcome of opening the two links into a status line,
// starts the bridge timer when all is well, reconnects when the user presses
// "Run!", by itself after a failed cycle, and, when the user asked for it
// with Retry=N, every N seconds while it waits.
//
// Everything here talks to the window through the Shell seam, so the whole
// lifecycle (waits included) runs instantly under test with a recording shell.
//
// The waits (the LOADING wait, the second before every reconnect, the two
// seconds before each automatic attempt) do not hold the thread: each is a
// one-shot timer of the window, and the sequence goes on in that timer's
// message. App::phase records where it stands meanwhile, so the window
// keeps answering and nothing starts a second sequence inside the first.
//
// What talks to the offset server (a bridge cycle, a reconnect's open with
// its handshake) may wait for it for many seconds: it runs as a job off the
// window's thread (Shell::start_job). While a job is in flight the job owns
// the whole bridge record; the lifecycle touches it again only in job_done,
// which the shell calls on the window's thread with the job's result.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/settings.h"
#include "app/tick_stats.h"
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
// Retry > 0, while the program waits, and is told apart by this id. Timer 3
// is the one-shot wait inside a sequence.
constexpr unsigned kBridgeTimerId = 1;
constexpr unsigned kRetryTimerId = 2;
constexpr unsigned kWaitTimerId = 3;

// What the bridge is doing, as the notification-area icon shows it.
enum class BridgeState : std::uint8_t {
    Bridging,  // timer 1 runs
    Waiting,   // a sequence is under way, or a retry will come by itself
    Stopped,   // only "Run!" brings the bridge back
};

// ---- the links' outcome -------------------------------------------------------

// Link status values besides the FSUIPC error codes.
constexpr std::int32_t kLinksUp = 0;
constexpr std::int32_t kAircraftDataNotValid = bridge::kAircraftDataMissing;
constexpr std::int32_t kAircraftNotAvailable = aircraft::kNotAvailable;

// Which link an outcome failed on. The codes of the two overlap (the
// aircraft's 1 is also the client's "already open"): the side says which
// one is meant.
enum class LinkSide : std::uint8_t {
    None,      // both links up
    Fsuipc,    // the client's open or exchange failed: code is its result code
    Aircraft,  // kAircraftNotAvailable (no blocks) or kAircraftDataNotValid
};

struct LinkOutcome {
    LinkSide failed = LinkSide::None;
    std::int32_t code = kLinksUp;
    std::uint32_t windows_error = 0;  // behind an FSUIPC failure, when it had one
};

// The program-wide link status as the status lines and the timer step read
// it: 0, 100, 1, or the FSUIPC error code.
constexpr std::int32_t link_status_of(const LinkOutcome& outcome) {
    return outcome.failed == LinkSide::None ? kLinksUp : outcome.code;
}

// ---- jobs ---------------------------------------------------------------------

// The work that may wait for the offset server.
enum class Job : std::uint8_t {
    Cycle,   // one bridge cycle
    Reopen,  // a reconnect: close both links, open them, test the aircraft data
};

// What a job hands back to the window's thread; everything the lifecycle
// needs from the bridge record it must not touch meanwhile.
struct JobResult {
    Job job = Job::Cycle;
    LinkOutcome link;
    bool data_valid = false;            // Reopen: the data-valid test after the open
    std::uint32_t failed_posts = 0;     // Cycle: posts the system refused
    std::uint32_t failed_post_error = 0;
};

// What the lifecycle needs from the main window. The Win32 shell implements
// it with the real window; tests record the calls.
class Shell {
public:
    virtual ~Shell() = default;
    // Show the text in the status bar and append it as a line to the log.
    virtual void append_status(const char* text) = 0;
    virtual void show_window(int mode) = 0;
    // Timer 1, the bridge's tick: timer_message(kBridgeTimerId) every
    // period. The Windows shell keeps it on its job thread, which repeats a
    // quiet cycle at the tick itself (see start_job).
    virtual void start_timer(std::uint32_t period_ms) = 0;
    virtual void stop_timer() = 0;
    // The retry timer (kRetryTimerId), posting WM_TIMER every period.
    virtual void start_retry_timer(std::uint32_t period_ms) = 0;
    virtual void stop_retry_timer() = 0;
    // The wait timer (kWaitTimerId): its WM_TIMER comes after milliseconds,
    // while the thread goes on with other messages. The lifecycle stops it
    // at its first message, so it fires once.
    virtual void start_wait(std::uint32_t milliseconds) = 0;
    virtual void stop_wait() = 0;
    // Paints the window at once (the end of the first check).
    virtual void repaint() = 0;
    // A line for the log file alone; the window's log keeps the status lines.
    virtual void note_in_log_file(const char* text) = 0;
    // The bridge's state changed (the notification-area icon).
    virtual void show_state(BridgeState state) = 0;
    // The bridge stopped on a failure, text its status line: catch the eye of
    // a user behind a full-screen simulator, without taking the focus.
    virtual void notify_stop(const char* text) = 0;
    // Runs run_job(app, job) where it cannot hold the window, and later
    // hands its result to job_done() on the window's thread: at once when
    // tell_at_once() says so. A quiet cycle's result may instead be
    // replaced by the next cycle, run at the next tick without the window:
    // what the lifecycle does with a quiet result and a tick (back to
    // Bridging, then a cycle), so the phase stays Cycling meanwhile. A shell
    // may run it at once, job_done() included, before returning.
    virtual void start_job(Job job) = 0;
    // Something waits for the job in flight (a tick, a "Run!"): its result
    // is wanted as soon as it ends, however quiet. Nothing for a shell that
    // runs jobs at once.
    virtual void want_job_result() {}
};

// Whether a job's result must reach the window's thread at once: all but a
// quiet cycle (links up, nothing refused), which the next tick's cycle may
// replace.
bool tell_at_once(const JobResult& result);

// ---- the lifecycle ----------------------------------------------------------


// The connection checks accept only this value of the SDK1 data-valid field,
// although a running bridge cycle goes on with any non-zero one.
constexpr std::int32_t kDataValid = 1;

constexpr std::uint32_t kLoadingWaitMs = 2000;        // first check, before "OK"
constexpr std::uint32_t kReconnectWaitMs = 1000;      // every reconnect, before closing
constexpr std::uint32_t kAutoreconnectWaitMs = 2000;  // before each automatic attempt
constexpr int kAutoreconnectAttempts = 2;
constexpr std::uint32_t kMillisecondsPerSecond = 1000;
// The system timer resolution asked for while timer 1 runs: without it
// Windows fires the timer every 15.6 ms at best.
constexpr std::uint32_t kTimerResolutionMs = 1;

// Where the lifecycle stands. One phase at a time; what each event does in
// each phase is the table kTransitions in lifecycle.cpp, nothing else.
enum class Phase : std::uint8_t {
    Waiting,        // no bridge and no sequence: stopped, or a retry will come
    Loading,        // first check: "LOADING" logged, "OK" follows the wait
    Bridging,       // timer 1 runs, no cycle in flight
    Cycling,        // timer 1 runs, a cycle (a job) in flight
    BeforeAttempt,  // automatic reconnect: "AUTORECONNECT IN 2 SECS" logged
    BeforeReopen,   // a reconnect: "RECONNECTING" logged, the links close after the wait
    Reopening,      // a reconnect: the links are being closed and opened (a job)
    Halted,         // the program ends, or an error box is up: nothing starts any more
};
constexpr std::size_t kPhaseCount = static_cast<std::size_t>(Phase::Halted) + 1;

// What happens to the lifecycle: the window's messages and the end of a job.
enum class Event : std::uint8_t {
    Tick,         // timer 1 (with Retry=0, any timer but the wait's)
    RetryTimer,   // the retry timer, with Retry > 0
    WaitElapsed,  // the one-shot wait of a sequence
    Run,          // "Run!", from the button or the icon's menu
    JobDone,      // a job's result, on the window's thread
};
constexpr std::size_t kEventCount = static_cast<std::size_t>(Event::JobDone) + 1;

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
    Phase phase = Phase::Waiting;
    // The reconnect under way is an attempt of the automatic one, and which.
    bool automatic = false;
    int attempt = 0;
    // The outcome behind link_status, which is always link_status_of(link).
    LinkOutcome link;
    // "Run!" was pressed while a job was in flight: it is carried out, once,
    // when the job ends.
    bool run_deferred = false;
    // A tick came while a cycle was in flight: the next cycle starts as soon
    // as that one's result is taken. One, never a queue.
    bool tick_pending = false;
    // Refused posts in this bridging period (since "Status : OK"), and the
    // Windows errors already recorded in the log file for it.
    std::uint32_t failed_posts = 0;
    static constexpr std::size_t kPostErrorsKept = 8;
    std::uint32_t post_errors_told[kPostErrorsKept] = {};
    std::size_t post_errors_told_count = 0;
    // What the shell was last told, and the failure line not yet told.
    BridgeState shown_state = BridgeState::Waiting;
    const char* unreported_failure = nullptr;
    // The timer resolution is asked for exactly while timer 1 runs.
    bool timer_resolution_held = false;
    // The intervals between cycle starts: of this bridging period (told
    // when timer 1 stops) and since the program started (told at its end).
    TickStats period_ticks;
    TickStats run_ticks;
    bool ended = false;  // end_of_process() ran
    // The result job_done() hands to the table's handler.
    JobResult result;
};

// Start-up: open the FSUIPC link and, if that worked, the aircraft link; the
// outcome becomes the link status.
void open_links(App& app);
// The aircraft link, then the FSUIPC link.
void close_links(App& app);
// The end of the program, whichever way it ends (Exit!, the close box, the
// end of the Windows session, an unexpected error): timer 1 stops with its
// tick line, the tick line of the whole run follows (the log file's last
// line), the timer resolution is given back and both links close. Only the
// first call does anything.
void end_of_process(App& app, Shell& shell);

// Refresh the SDK1 block from its view (when open) and test the data-valid
// field for exactly 1.
bool aircraft_data_valid(App& app);

// The check run right after the main window exists; with everything ready
// it goes on after the LOADING wait.
void first_connection_check(App& app, Shell& shell);
// "Run!": close and reopen both links after a second, then check them again.
// Nothing while a sequence is under way.
void manual_reconnect(App& app, Shell& shell);
// Every WM_TIMER of the main window, by its timer id: the wait timer's
// message goes on with the sequence; with Retry > 0 the retry timer's
// messages run a retry; every other one runs the timer step (with Retry=0
// whatever its id).
void timer_message(App& app, Shell& shell, std::uintptr_t timer_id);
// The bridge tick (timer 1). A late tick inside a sequence does nothing.
void timer_step(App& app, Shell& shell);
// After a failed cycle: up to two reconnects, two seconds apart.
void automatic_reconnect(App& app, Shell& shell);
// The wait timer fired: the sequence goes on from where it stands.
void wait_elapsed(App& app, Shell& shell);
// True from the start of a sequence (the LOADING wait, a reconnect, the
// automatic reconnect) until its outcome is logged.
bool sequence_under_way(const App& app);
// True while a job (a cycle, or a reconnect's open with its handshake) is
// under way: it owns the bridge record, nothing else may touch it.
inline bool exchange_in_flight(const App& app) {
    return app.phase == Phase::Cycling || app.phase == Phase::Reopening;
}
// The handler of an event in a phase, for whoever walks the table; null:
// the event does nothing there.
using Handler = void (*)(App&, Shell&);
Handler transition(Phase phase, Event event);
// The job itself, on whatever thread the shell runs it: touches the bridge
// record and, for a cycle, the tick figures (its start) alone.
JobResult run_job(App& app, Job job);
// A job ended: the rest of the timer step or the reconnect, on the window's
// thread; then a "Run!" pressed meanwhile, else a tick that came meanwhile.
// A result with no job in flight does nothing.
void job_done(App& app, Shell& shell, const JobResult& result);
// The shell ended its jobs for good (the program ends) and joined whatever
// ran them: the bridge record is the window thread's again. last is the
// result of the job that ran last when it was never taken (else null): its
// link status counts for the exit, and a job that was abandoned while its
// exchange was under way but was still answered leaves the link usable for
// the exit's own write. Nothing else of it is told.
// The last result's refused posts are counted like any others.
void jobs_ended(App& app, Shell& shell, const JobResult* last);

// The words for a Windows error in the log file's code lines (access
// denied, invalid window handle, timeout, ...); null for one not listed.
const char* windows_error_meaning(std::uint32_t error);
// Windows' error for a refused access: Corvane and the simulator run with
// different rights (one as administrator).
constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr char kAccessDeniedAdvice[] =
    "Windows refused access: start Corvane with the same rights as the simulator "
    "(both as administrator, or neither)";
// The program is about to stop on a failure (an error box comes up) or ends:
// every timer stops and the lifecycle halts, so no cycle, retry, rest of a
// sequence or "Run!" starts behind the box.
void stop_timers(App& app, Shell& shell);
// The retry timer fired: while the program still waits, the manual
// reconnect, with its usual lines. A late message, one that arrives inside
// a reconnect or after bridging resumed, does nothing.
void retry_step(App& app, Shell& shell);

}  // namespace corvane::app
