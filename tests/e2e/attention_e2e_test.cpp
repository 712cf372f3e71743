// End to end: a stopped bridge is noticed, and the window keeps answering.
//
//   * Responsiveness: a WM_NULL probe every 50 ms (200 ms timeout) runs
//     through the LOADING wait, an automatic reconnect against a simulator
//     that is gone, and a "Run!" against it; the longest time without an
//     answer in each is printed. The log file's timestamps prove that the
//     waits kept their order and length, and its code lines say why FSUIPC
//     was not reached.
#include "tests/e2e/e2e_support.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace corvane;
using namespace corvane::e2e;
using Lines = std::vector<std::string>;

constexpr DWORD kWindowTimeoutMs = 20000;
constexpr DWORD kLineTimeoutMs = 20000;
constexpr DWORD kExitTimeoutMs = 10000;
constexpr UINT kProbeTimeoutMs = 200;
constexpr DWORD kProbePeriodMs = 50;
// What a timer may come late by, on a machine shared with other builds.
constexpr long long kLateMs = 400;
// The clock behind the log file's stamps ticks in steps of this much.
constexpr long long kClockStepMs = 20;

// Milliseconds of local time, as the log file stamps its lines.
long long local_ms(const SYSTEMTIME& time) {
    FILETIME file_time = {};
    SystemTimeToFileTime(&time, &file_time);
    ULARGE_INTEGER value = {};
    value.LowPart = file_time.dwLowDateTime;
    value.HighPart = file_time.dwHighDateTime;
    return static_cast<long long>(value.QuadPart / 10000);
}

long long now_ms() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return local_ms(now);
}

// One line of the log file: its stamp and its text.
struct Stamped {
    long long ms = 0;
    std::string text;
};

// "2024-03-09T07:05:02.041 Status : OK" lines; others are skipped.
std::vector<Stamped> stamped_lines(const std::string& file_text) {
    std::vector<Stamped> lines;
    for (const std::string& line : log_lines(file_text)) {
        SYSTEMTIME time = {};
        int year, month, day, hour, minute, second, millisecond, used = 0;
        if (std::sscanf(line.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d.%3d %n", &year, &month, &day, &hour,
                        &minute, &second, &millisecond, &used) != 7 || used == 0) {
            continue;
        }
        time.wYear = static_cast<WORD>(year);
        time.wMonth = static_cast<WORD>(month);
        time.wDay = static_cast<WORD>(day);
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        time.wSecond = static_cast<WORD>(second);
        time.wMilliseconds = static_cast<WORD>(millisecond);
        lines.push_back({local_ms(time), line.substr(static_cast<std::size_t>(used))});
    }
    return lines;
}

// corvane.exe in a folder of its own, with a log file.
struct Program {
    TempFolder folder;
    AppProcess process;
    HWND window = nullptr;

    bool launch(Checks& t, const std::string& settings) {
        const std::string path = app_path();
        if (!E2E_CHECK(t, !path.empty()) || !E2E_CHECK(t, folder.write_file("corvane.ini", settings)) ||
            !E2E_CHECK(t, process.start(path, folder.path()))) {
            return false;
        }
        window = process.wait_window(kMainWindowClass, kWindowTimeoutMs);
        return E2E_CHECK(t, window != nullptr);
    }
    std::vector<Stamped> file_lines() const {
        return stamped_lines(read_file(folder.file_path("corvane.log")));
    }
    void exit(Checks& t) {
        E2E_CHECK(t, press_button(window, kExitButtonId));
        DWORD code = 1;
        E2E_CHECK(t, process.wait_exit(kExitTimeoutMs, &code));
        E2E_CHECK_EQ(t, code, 0);
    }
};

// Probes the window every 50 ms while waiting for a condition, keeping the
// moments it answered; the first wait for an answer starts now.
class Probe {
public:
    explicit Probe(HWND window) : window_(window), answered_{now_ms()} {}

    template <typename Condition>
    bool until(Condition&& condition, DWORD timeout_ms) {
        return wait_until(
            [&] {
                DWORD_PTR answer = 0;
                if (SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeoutMs,
                                        &answer) != 0) {
                    answered_.push_back(now_ms());
                }
                return condition();
            },
            timeout_ms, kProbePeriodMs);
    }

    // The longest time between two answers around [from, to].
    long long longest_gap(long long from, long long to) const {
        long long longest = 0;
        for (std::size_t i = 1; i < answered_.size(); ++i) {
            if (answered_[i] >= from && answered_[i - 1] <= to) {
                longest = std::max(longest, answered_[i] - answered_[i - 1]);
            }
        }
        return longest;
    }

private:
    HWND window_;
    std::vector<long long> answered_;
};

// The stamp of the n-th (0: first) line with this text at or after index from.
const Stamped* find_line(const std::vector<Stamped>& lines, const char* text, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i].text == text) {
            return &lines[i];
        }
    }
    return nullptr;
}

// The waits between consecutive lines, as the log file stamped them.
void expect_waits(Checks& t, const std::vector<Stamped>& lines, std::size_t first,
                  const std::vector<std::pair<std::string, long long>>& expected) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        t.row("%s", expected[i].first.c_str());
        const std::size_t at = first + i;
        if (!E2E_CHECK(t, at < lines.size())) {
            return;
        }
        E2E_CHECK_STR(t, lines[at].text, expected[i].first);
        if (at == first) {
            continue;
        }
        const long long waited = lines[at].ms - lines[at - 1].ms;
        const long long want = expected[i].second;
        if (!E2E_CHECK(t, waited >= want - kClockStepMs && waited <= want + kLateMs)) {
            t.note("%lld ms before \"%s\", expected %lld", waited, lines[at].text.c_str(), want);
        }
    }
}

std::size_t index_of(const std::vector<Stamped>& lines, const Stamped* line) {
    return static_cast<std::size_t>(line - lines.data());
}

void keeps_answering(Checks& t) {
    t.begin("bridging with a log file, then the simulator goes, then Run!");
    SimHost sim;
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    sim_set_data_valid(sim, 1);
    Program program;
    if (!program.launch(t, "[General]\nSpeed=20\nLogFile=corvane.log\n")) {
        return;
    }
    Probe probe(program.window);
    const auto logged = [&](const char* text, std::size_t count) {
        return [&program, text, count] {
            std::size_t n = 0;
            for (const Stamped& line : program.file_lines()) {
                n += line.text == text ? 1 : 0;
            }
            return n >= count;
        };
    };
    E2E_CHECK(t, probe.until(logged(kOk, 1), kLineTimeoutMs));
    E2E_CHECK(t, wait_for_exchanges(sim, 5, kLineTimeoutMs));

    const long long stopped_at = now_ms();
    sim.stop();
    E2E_CHECK(t, probe.until(logged(kAutoFailed, 1), kLineTimeoutMs));
    E2E_CHECK(t, press_button(program.window, kRunButtonId));
    E2E_CHECK(t, probe.until(logged(kFsuipcNotOk, 3), kLineTimeoutMs));
    probe.until([] { return false; }, 300);

    std::vector<Stamped> lines = program.file_lines();
    t.begin("the log file: each FSUIPC NOT OK followed by FSUIPC's result code and its meaning");
    std::size_t codes = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].text == kFsuipcNotOk) {
            E2E_CHECK_STR(t, lines[i + 1].text,
                          "code 2: no FSUIPC window; is the simulator or corvane-sim running?");
            ++codes;
        }
    }
    E2E_CHECK_EQ(t, codes, 3);
    // The status lines alone from here on.
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const Stamped& line) { return line.text.rfind("Status : ", 0) != 0; }),
                lines.end());

    t.begin("the window answers through LOADING, an automatic reconnect and Run! against a gone simulator");
    const Stamped* loading = find_line(lines, kLoading);
    const Stamped* not_ok = find_line(lines, kNotOk);
    const Stamped* failed = find_line(lines, kAutoFailed);
    if (!E2E_CHECK(t, loading != nullptr && not_ok != nullptr && failed != nullptr)) {
        return;
    }
    const Stamped* run = find_line(lines, kReconnecting, index_of(lines, failed));
    if (!E2E_CHECK(t, run != nullptr) || !E2E_CHECK(t, index_of(lines, run) + 1 < lines.size())) {
        return;
    }
    const long long loading_gap = probe.longest_gap(loading->ms, loading[1].ms);
    const long long exchange_gap = probe.longest_gap(stopped_at, not_ok->ms);
    const long long reconnect_gap = probe.longest_gap(not_ok->ms, failed->ms);
    const long long run_gap = probe.longest_gap(run->ms, run[1].ms);
    t.note("longest time without an answer: LOADING wait %lld ms, automatic reconnect %lld ms, "
           "Run! %lld ms; the failed exchange before the reconnect %lld ms",
           loading_gap, reconnect_gap, run_gap, exchange_gap);
    const long long answers_within = kProbeTimeoutMs + 2 * kProbePeriodMs;
    E2E_CHECK(t, loading_gap <= answers_within);
    E2E_CHECK(t, reconnect_gap <= answers_within);
    E2E_CHECK(t, run_gap <= answers_within);

    t.begin("the waits kept their order and length (log file stamps)");
    expect_waits(t, lines, index_of(lines, loading), {{kLoading, 0}, {kOk, 2000}});
    const std::pair<std::string, long long> attempt[] = {
        {kAutoIn2, 0}, {kReconnecting, 2000}, {kFsuipcNotOk, 1000}};
    expect_waits(t, lines, index_of(lines, not_ok),
                 {{kNotOk, 0}, attempt[0], attempt[1], attempt[2], attempt[0], attempt[1],
                  attempt[2], {kAutoFailed, 0}});
    expect_waits(t, lines, index_of(lines, run), {{kReconnecting, 0}, {kFsuipcNotOk, 1000}});
    program.exit(t);
}

}  // namespace

int main() {
    Checks t;
#if !defined(__WINE__)
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: nothing to test here");
        return t.finish();
    }
#endif
    keeps_answering(t);
    return t.finish();
}
