// A soak of corvane.exe against the stand-in, with faults on a schedule:
//
//   soak_e2e_test.exe [MINUTES]     (1 minute by default; scripts/soak.sh runs longer ones)
//
// Rounds of: bridging with hardware inputs at about seven a second, a server
// that hangs for 3 s (and, every fourth round, for 25 s, longer than an
// exchange's nine attempts), aircraft data not valid, a server that refuses
// every exchange, the aircraft withdrawn and published again, and a
// simulator restart with a new window and empty offsets. After each fault
// the driver waits until Corvane bridges again, pressing "Run!" as a user
// would when the log ends in "Status : AUTORECONNECT FAILED" or "Status : IFLY
// NOT OK".
//
// Inputs are step-counter clicks (each one step up, so each must arrive as
// exactly one step command) and command words (each a new code, written only
// once the last one was taken, so each must arrive exactly once). Clicks go on
// through every fault but the restart: the server keeps the counters and
// Corvane reads them once it is back. Before a restart the driver waits until
// every input arrived, since what the old server held unread is lost with it,
// and it clicks again only once Corvane bridges the new one: by design, what
// a server's counters hold at Corvane's first read is their baseline, not
// movement (so at start too). The counters are 8
// bits wide, so the driver never lets more than 100 clicks wait unread: past
// 128 the wrap could not tell up from down, a limit of the offsets, not of
// Corvane. A new server's command word reads 0, which Corvane posts once as
// command 0: counted per server start.
//
// At the end it reports the cycles run, the faults survived, the inputs sent
// and the commands received, and corvane.exe's handle count, USER and GDI
// object counts (where the system gives them), windows, and the global atoms
// and mappings named after its request areas: at the first OK, after the
// first round (every fault path taken once) and at the end. From the first
// round on none may grow, and only the current area's atom and mapping exist.
#include "tests/e2e/e2e_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "fsuipc/client.h"

// Wine's headers lack these two, which its kernel32 and user32 export.
#if defined(__WINE__)
extern "C" BOOL WINAPI GetProcessHandleCount(HANDLE process, DWORD* count);
#endif
#ifndef GR_GDIOBJECTS
#define GR_GDIOBJECTS 0
#define GR_USEROBJECTS 1
#endif

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kBridgeTimeoutMs = 60000;  // the longest fault is over well within this
constexpr DWORD kClickPeriodMs = 150;
constexpr DWORD kWordPeriodMs = 1000;
constexpr int kMaxUnread = 100;
constexpr DWORD kShortStallMs = 3000;
constexpr DWORD kLongStallMs = 25000;
constexpr int kLongStallEvery = 4;
constexpr DWORD kRunSpacingMs = 5000;
// An "FSUIPC NOT OK" that stays the last line this long ended a reconnect
// (an automatic attempt would have followed within 2 s).
constexpr DWORD kSettledMs = 4000;
constexpr std::size_t kCycleReads = 14;

constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint32_t kStepCounters = 0x94F8;
constexpr std::uint16_t kNoCommand = 0xFFFF;
constexpr int kCounters = 4;
constexpr std::int32_t kStepUp[kCounters] = {628, 622, 674, 668};
constexpr std::int32_t kStepDown[kCounters] = {627, 621, 673, 667};
constexpr std::int32_t kFirstCode = 3000;

constexpr char kSettings[] = "[General]\nSpeed=20\n";

struct Resources {
    long handles = -1;  // GetProcessHandleCount, else the system's handle list; -1 unknown
    DWORD user_objects = 0;
    DWORD gdi_objects = 0;
    bool gui_counts = true;  // GetGuiResources answered
    std::size_t windows = 0;
    int area_atoms = 0;
    int area_mappings = 0;
};

// The system's handle table, as NtQuerySystemInformation(SystemHandleInformation)
// gives it: Wine does not count a process's handles in GetProcessHandleCount,
// but it does list them here.
struct SystemHandleEntry {
    ULONG owner_pid;
    BYTE object_type;
    BYTE flags;
    USHORT value;
    void* object;
    ULONG access;
};
struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kSystemHandleInformation = 16;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// Handles the system lists for process pid; -1 when it cannot tell.
long listed_handles(DWORD pid) {
    const FARPROC entry =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation");
    const auto query = reinterpret_cast<QuerySystemInformation>(reinterpret_cast<void*>(entry));
    if (query == nullptr) {
        return -1;
    }
    std::vector<unsigned char> buffer(1 << 16);
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) {
            return -1;
        }
        const auto* table = reinterpret_cast<const SystemHandleTable*>(buffer.data());
        long count = 0;
        for (ULONG i = 0; i < table->count; ++i) {
            count += table->entries[i].owner_pid == pid ? 1 : 0;
        }
        return count;
    }
}

BOOL CALLBACK count_child(HWND, LPARAM count) {
    ++*reinterpret_cast<std::size_t*>(count);
    return TRUE;
}

// The last line of the status log, or "" when corvane.exe does not answer
// within a moment (its waits block its thread; the hardware goes on meanwhile).
std::string last_line(HWND window) {
    constexpr UINT kQuickMs = 100;
    HWND log = GetDlgItem(window, kStatusLogId);
    std::vector<char> text(1 << 16, '\0');
    DWORD_PTR copied = 0;
    if (log == nullptr ||
        !SendMessageTimeoutA(log, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_BLOCK | SMTO_ABORTIFHUNG, kQuickMs, &copied)) {
        return {};
    }
    text.back() = '\0';
    const std::vector<std::string> lines = log_lines(text.data());
    return lines.empty() ? std::string() : lines.back();
}

class Soak {
public:
    Soak(Checks& t, double minutes) : t_(t), minutes_(minutes) {}

    int run() {
        if (!start()) {
            return t_.finish();
        }
        bridge_for(3000, true);
        const Resources at_first_ok = measure();
        started_ = GetTickCount64();
        // The counts are compared from the end of the first round on: the
        // first time a path runs, the system may set up things of its own
        // for good (Wine opens two handles at the first exchange that times out).
        Resources at_start = at_first_ok;
        const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(minutes_ * 60000.0);
        for (int round = 0; (round < 2 || GetTickCount64() < end) && t_.failed() == 0; ++round) {
            run_round(round);
            if (round == 0) {
                at_start = measure();
            }
        }
        t_.begin("the end: every input arrived, nothing held more than after the first round");
        E2E_CHECK(t_, drain());
        clicks_ = false;
        bridge_for(3000, false);
        const Resources at_end = measure();
        report(at_first_ok, at_start, at_end);
        check_inputs();
        E2E_CHECK(t_, at_start.handles > 0);
        E2E_CHECK(t_, at_end.handles <= at_start.handles);
        E2E_CHECK(t_, at_end.user_objects <= at_start.user_objects);
        E2E_CHECK(t_, at_end.gdi_objects <= at_start.gdi_objects);
        E2E_CHECK(t_, at_end.windows <= at_start.windows);
        E2E_CHECK_EQ(t_, at_first_ok.area_atoms, 1);
        E2E_CHECK_EQ(t_, at_start.area_atoms, 1);
        E2E_CHECK_EQ(t_, at_end.area_atoms, 1);
        E2E_CHECK_EQ(t_, at_end.area_mappings, 1);
        E2E_CHECK(t_, press_button(window_, kExitButtonId));
        DWORD code = 1;
        E2E_CHECK(t_, app_.wait_exit(20000, &code));
        E2E_CHECK_EQ(t_, code, 0);
        return t_.finish();
    }

private:
    // ---- set-up -----------------------------------------------------------------
    bool start() {
        t_.begin("corvane.exe starts against the stand-in and bridges");
        const std::string path = app_path();
        if (!E2E_CHECK(t_, !path.empty()) || !E2E_CHECK(t_, sim_.start())) {
            return false;
        }
        ++server_starts_;
        show_cockpit();
        // No command word before the first cycle has read the server's 0.
        words_ = false;
        if (!E2E_CHECK(t_, folder_.write_file("corvane.ini", kSettings)) ||
            !E2E_CHECK(t_, app_.start(path, folder_.path()))) {
            return false;
        }
        window_ = app_.wait_window(kMainWindowClass, 20000);
        if (!E2E_CHECK(t_, window_ != nullptr) || !E2E_CHECK(t_, wait_bridging())) {
            return false;
        }
        clicks_ = true;
        return true;
    }

    void show_cockpit() {
        sim_.with_aircraft([](sim::AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                aircraft->set_data_valid(1);
                aircraft->set_window(5, 12000);
                aircraft->set_window(2, 180);
                aircraft->poke_i32(sim::Block::Sdk1, 0x0018, 1);
            }
        });
    }

    // ---- one round of faults -------------------------------------------------------
    void run_round(int round) {
        bridge_for(4000, true);

        fault("the server hangs for 3 s", [&] { stall(kShortStallMs); });
        if (round % kLongStallEvery == kLongStallEvery - 1) {
            fault("the server hangs for 25 s", [&] { stall(kLongStallMs); });
        }
        bridge_for(2000, true);

        fault("the aircraft data is not valid", [&] {
            sim_set_data_valid(sim_, 0);
            E2E_CHECK(t_, wait_last_line({kIflyNotOk}));
            sim_set_data_valid(sim_, 1);
        });
        fault("the server refuses every exchange", [&] {
            sim_.refuse_exchanges(true);
            E2E_CHECK(t_, wait_last_line({kAutoFailed}));
            sim_.refuse_exchanges(false);
        });
        fault("the aircraft is withdrawn and published again", [&] {
            // An add-on going away says so first; what Corvane posted before
            // it noticed is collected before the aircraft (and its record of
            // commands) goes.
            sim_set_data_valid(sim_, 0);
            bridge_for(500, false);
            harvest();
            sim_.withdraw_aircraft();
            E2E_CHECK(t_, wait_last_line({kAutoFailed}));
            E2E_CHECK(t_, sim_.publish_aircraft());
            show_cockpit();
        });
        fault("the simulator restarts: a new window, empty offsets", [&] {
            // What the old server held unread would be lost with it.
            E2E_CHECK(t_, drain());
            clicks_ = false;
            sim_.stop();
            harvest();
            sim_.withdraw_aircraft();
            sim_.with_server([](sim::OffsetServer& server) {
                std::memset(server.space() + kCommandWord, 0, 0x100);
            });
            for (int& position : position_) {
                position = 0;
            }
            E2E_CHECK(t_, sim_.publish_aircraft());
            show_cockpit();
            E2E_CHECK(t_, sim_.start());
            ++server_starts_;
        });
    }

    template <typename Inject>
    void fault(const char* name, Inject&& inject) {
        if (t_.failed() != 0) {
            return;
        }
        t_.begin(name);
        // A command word is never left in flight across a fault: a reset that
        // failed would post it again, which is the documented rule, not a loss.
        E2E_CHECK(t_, drain_words());
        words_ = false;
        inject();
        if (E2E_CHECK(t_, wait_bridging())) {
            ++faults_survived_;
        }
        clicks_ = true;
        words_ = true;
    }

    // The server's thread hangs: it waits for the lock the driver holds.
    void stall(DWORD ms) {
        harvest();
        sim_.with_server([ms](sim::OffsetServer&) { Sleep(ms); });
    }

    // ---- waiting ----------------------------------------------------------------------
    void bridge_for(DWORD ms, bool words) {
        words_ = words;
        const ULONGLONG until = GetTickCount64() + ms;
        while (GetTickCount64() < until) {
            service();
        }
    }

    // Until the last status line is one of lines.
    bool wait_last_line(std::initializer_list<const char*> lines) {
        const ULONGLONG until = GetTickCount64() + kBridgeTimeoutMs;
        while (GetTickCount64() < until) {
            service();
            const std::string last = last_line(window_);
            for (const char* line : lines) {
                if (last == line) {
                    return true;
                }
            }
        }
        t_.note("last line: \"%s\"", last_line(window_).c_str());
        return false;
    }

    // Until Corvane bridges again (the log ends in OK and cycles are served),
    // pressing "Run!" whenever it waits for the user.
    bool wait_bridging() {
        const std::size_t cycles = cycles_;
        ULONGLONG pressed = 0;
        std::string previous;
        ULONGLONG previous_since = GetTickCount64();
        const ULONGLONG until = GetTickCount64() + kBridgeTimeoutMs;
        while (GetTickCount64() < until) {
            service();
            const ULONGLONG now = GetTickCount64();
            std::string last = last_line(window_);
            if (last.empty()) {
                last = previous;  // busy in a wait: nothing new to see
            } else if (last != previous) {
                previous = last;
                previous_since = now;
            }
            if (last == kOk && cycles_ >= cycles + 3) {
                return true;
            }
            const bool waiting = last == kAutoFailed || last == kIflyNotOk ||
                                 (last == kFsuipcNotOk && now - previous_since > kSettledMs);
            if (waiting && now - pressed > kRunSpacingMs) {
                press_button(window_, kRunButtonId);
                ++run_presses_;
                pressed = now;
            }
        }
        t_.note("last line: \"%s\", %zu cycles since", last_line(window_).c_str(), cycles_ - cycles);
        return false;
    }

    // Until every input sent has arrived.
    bool drain() {
        const bool had_clicks = clicks_;
        clicks_ = false;
        const ULONGLONG until = GetTickCount64() + kBridgeTimeoutMs;
        while (GetTickCount64() < until && (unread() != 0 || word_in_flight_)) {
            service();
        }
        clicks_ = had_clicks;
        if (unread() != 0 || word_in_flight_) {
            t_.note("%d clicks and %s command word not arrived", unread(),
                    word_in_flight_ ? "a" : "no");
            return false;
        }
        return true;
    }

    bool drain_words() {
        const ULONGLONG until = GetTickCount64() + kBridgeTimeoutMs;
        while (GetTickCount64() < until && word_in_flight_) {
            words_ = false;
            service();
        }
        return !word_in_flight_;
    }

    // ---- the hardware, the aircraft, the server's log: every 20 ms or so ------------
    void service() {
        const ULONGLONG now = GetTickCount64();
        if (clicks_ && now >= next_click_ && unread() < kMaxUnread) {
            const int i = static_cast<int>(clicks_sent_total() % kCounters);
            position_[i] = (position_[i] + 1) & 0xFF;
            sim_set_u8(sim_, kStepCounters + static_cast<std::uint32_t>(i),
                       static_cast<std::uint8_t>(position_[i]));
            ++clicks_sent_[i];
            next_click_ = now + kClickPeriodMs;
        }
        if (words_ && !word_in_flight_ && now >= next_word_) {
            sim_set_u16(sim_, kCommandWord, static_cast<std::uint16_t>(kFirstCode + words_sent_));
            ++words_sent_;
            word_in_flight_ = true;
            next_word_ = now + kWordPeriodMs;
        }
        harvest();
        count_cycles();
        pump_messages(20);
    }

    void harvest() {
        std::vector<sim::PostedCommand> commands;
        sim_.with_aircraft([&commands](sim::AircraftModel* aircraft) {
            if (aircraft != nullptr) {
                commands = aircraft->commands();
                aircraft->clear_commands();
            }
        });
        if (word_received_.size() < static_cast<std::size_t>(words_sent_)) {
            word_received_.resize(static_cast<std::size_t>(words_sent_), 0);
        }
        for (const sim::PostedCommand& c : commands) {
            const auto code = static_cast<std::int32_t>(c.command);
            bool known = false;
            for (int i = 0; i < kCounters; ++i) {
                if (code == kStepUp[i]) {
                    ++clicks_received_[i];
                    known = true;
                } else if (code == kStepDown[i]) {
                    ++steps_down_;
                    known = true;
                }
            }
            if (known) {
                continue;
            }
            if (code == 0) {
                ++zero_commands_;
            } else if (code >= kFirstCode && code < kFirstCode + words_sent_) {
                ++word_received_[static_cast<std::size_t>(code - kFirstCode)];
                if (code == kFirstCode + words_sent_ - 1) {
                    word_in_flight_ = false;
                }
            } else {
                ++unexpected_;
                t_.note("unexpected command %d (value %d)", code, c.value);
            }
        }
    }

    // Cycles: exchanges that carry the fourteen command reads. The server's
    // log keeps the last 64, which the driver looks at far more often.
    void count_cycles() {
        sim_.with_server([this](sim::OffsetServer& server) {
            const std::size_t count = server.exchange_count();
            const std::size_t fresh = count - exchanges_seen_;
            const std::size_t logged = server.logged();
            if (fresh > logged) {
                missed_exchanges_ += fresh - logged;
            }
            for (std::size_t i = fresh > logged ? 0 : logged - fresh; i < logged; ++i) {
                if (server.exchange(i).count(fsuipc::kRecordRead) == kCycleReads) {
                    ++cycles_;
                }
            }
            exchanges_seen_ = count;
        });
    }

    int clicks_sent_total() const {
        int total = 0;
        for (int n : clicks_sent_) total += n;
        return total;
    }
    int unread() const {
        int total = 0;
        for (int i = 0; i < kCounters; ++i) total += clicks_sent_[i] - clicks_received_[i];
        return total;
    }

    // ---- the figures -------------------------------------------------------------------
    Resources measure() {
        Resources r;
        HANDLE process = app_.handle();
        DWORD counted = 0;
        r.handles = GetProcessHandleCount(process, &counted) != FALSE && counted != 0
                        ? static_cast<long>(counted)
                        : listed_handles(app_.pid());
        SetLastError(0);
        r.user_objects = GetGuiResources(process, GR_USEROBJECTS);
        r.gdi_objects = GetGuiResources(process, GR_GDIOBJECTS);
        r.gui_counts = GetLastError() != ERROR_CALL_NOT_IMPLEMENTED;
        for (HWND top : app_.top_level_windows()) {
            ++r.windows;
            EnumChildWindows(top, count_child, reinterpret_cast<LPARAM>(&r.windows));
        }
        // Every area name this process has used: at most the current one may exist.
        const std::string last = sim_.counters().last_area_name;
        const std::string counter = last.substr(last.rfind(':') + 1);
        const auto opens = static_cast<unsigned>(std::strtoul(counter.c_str(), nullptr, 16));
        for (unsigned n = 1; n <= opens + 2; ++n) {
            char name[64];
            std::snprintf(name, sizeof name, "FsasmLib:IPC:%lX:%X",
                          static_cast<unsigned long>(app_.pid()), n);
            r.area_atoms += GlobalFindAtomA(name) != 0 ? 1 : 0;
            if (HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name)) {
                ++r.area_mappings;
                CloseHandle(mapping);
            }
        }
        last_open_ = opens;
        return r;
    }

    void report(const Resources& first_ok, const Resources& start, const Resources& end) {
        int clicks = 0, received = 0;
        for (int i = 0; i < kCounters; ++i) {
            clicks += clicks_sent_[i];
            received += clicks_received_[i];
        }
        int words_once = 0;
        for (int n : word_received_) words_once += n == 1 ? 1 : 0;
        std::printf(
            "soak: %.1f minutes, %zu cycles (%zu exchanges served, %zu not looked at), "
            "%d faults survived, Run! pressed %d times, %u request areas opened\n"
            "  inputs: %d clicks sent, %d step commands received (%d down); %d command words "
            "sent, %d received exactly once; command 0 posted %d times for %d server starts; "
            "%d unexpected commands\n",
            static_cast<double>(GetTickCount64() - started_) / 60000.0, cycles_, exchanges_seen_,
            missed_exchanges_, faults_survived_, run_presses_,
            last_open_, clicks, received, steps_down_, words_sent_, words_once, zero_commands_,
            server_starts_, unexpected_);
        const Resources* all[] = {&first_ok, &start, &end};
        const char* when[] = {"first OK", "end of round 1", "end"};
        for (int k = 0; k < 3; ++k) {
            const Resources& r = *all[k];
            char gui[96];
            if (r.gui_counts) {
                std::snprintf(gui, sizeof gui, "%lu USER objects, %lu GDI objects",
                              static_cast<unsigned long>(r.user_objects),
                              static_cast<unsigned long>(r.gdi_objects));
            } else {
                std::snprintf(gui, sizeof gui, "USER/GDI object counts not available (Wine)");
            }
            char handles[48];
            if (r.handles >= 0) {
                std::snprintf(handles, sizeof handles, "%ld handles", r.handles);
            } else {
                std::snprintf(handles, sizeof handles, "handle count not available");
            }
            std::printf("  corvane.exe at the %s: %s, %s, %zu windows, %d request-area "
                        "atoms, %d request-area mappings\n",
                        when[k], handles, gui, r.windows,
                        r.area_atoms, r.area_mappings);
        }
        std::fflush(stdout);
    }

    void check_inputs() {
        for (int i = 0; i < kCounters; ++i) {
            t_.row("step counter 0x%X", kStepCounters + static_cast<unsigned>(i));
            E2E_CHECK_EQ(t_, clicks_received_[i], clicks_sent_[i]);
        }
        t_.row("%s", "all counters");
        E2E_CHECK_EQ(t_, steps_down_, 0);
        E2E_CHECK_EQ(t_, unexpected_, 0);
        E2E_CHECK_EQ(t_, zero_commands_, server_starts_);
        E2E_CHECK(t_, words_sent_ > 0);
        for (std::size_t n = 0; n < word_received_.size(); ++n) {
            if (word_received_[n] != 1) {
                t_.row("command word %d", kFirstCode + static_cast<int>(n));
                E2E_CHECK_EQ(t_, word_received_[n], 1);
            }
        }
        E2E_CHECK(t_, faults_survived_ >= 5);
    }

    Checks& t_;
    double minutes_;
    SimHost sim_;
    TempFolder folder_;
    AppProcess app_;
    HWND window_ = nullptr;

    bool clicks_ = false;  // on once Corvane has read the counters
    bool words_ = true;
    int position_[kCounters] = {};
    int clicks_sent_[kCounters] = {};
    int clicks_received_[kCounters] = {};
    int steps_down_ = 0;
    int words_sent_ = 0;
    bool word_in_flight_ = false;
    std::vector<int> word_received_;
    int zero_commands_ = 0;
    int unexpected_ = 0;
    ULONGLONG next_click_ = 0;
    ULONGLONG next_word_ = 0;

    std::size_t cycles_ = 0;
    std::size_t exchanges_seen_ = 0;
    std::size_t missed_exchanges_ = 0;
    int faults_survived_ = 0;
    int run_presses_ = 0;
    int server_starts_ = 0;
    unsigned last_open_ = 0;
    ULONGLONG started_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    Checks t;
#if !defined(__WINE__)
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: no soak");
        return t.finish();
    }
#endif
    const double minutes = argc > 1 ? std::atof(argv[1]) : 1.0;
    Soak soak(t, minutes > 0 ? minutes : 1.0);
    return soak.run();
}
