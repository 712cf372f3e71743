// End to end: a busy simulator, whose offset server answers each exchange
// only after a while (as one does while its thread renders a frame).
// corvane.exe keeps its tick: a tick that comes during an exchange starts
// the next cycle as soon as that one is over. And Exit! pressed while the
// server holds the exchange of a cycle that posted a command finishes it:
// the command word is reset and the state's last word written, so the
// command is posted once and a second start replays nothing.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane::e2e;

constexpr DWORD kTimeoutMs = 20000;
constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint32_t kState = 0x9429;
constexpr std::uint32_t kCommand = 5000;  // none of the knobs' or steps'

// Answers every exchange after delay_ms: the sleep holds the serving
// thread, which has not answered the message yet.
class SlowServer final : public corvane::sim::win32::HostObserver {
public:
    void exchange_served(std::int64_t, const char*, const corvane::sim::OffsetServer&) override {
        const DWORD delay = delay_ms.load();
        if (delay != 0) {
            Sleep(delay);
        }
    }
    void command_received(std::int64_t, std::uint32_t command, std::int32_t) override {
        if (command == kCommand) {
            commands_seen.fetch_add(1);
        }
    }
    std::atomic<DWORD> delay_ms{0};
    std::atomic<int> commands_seen{0};
};

// The median of the log file's last line ("tick since start: N cycles,
// interval median X ms, ..."); negative when there is none.
double median_since_start(const std::string& log, long& cycles) {
    const char* const kLabel = "tick since start: ";
    const std::size_t at = log.rfind(kLabel);
    double median = -1.0;
    cycles = 0;
    if (at == std::string::npos ||
        std::sscanf(log.c_str() + at + std::strlen(kLabel), "%ld cycles, interval median %lf",
                    &cycles, &median) != 2) {
        return -1.0;
    }
    return median;
}

void keeps_its_tick(Checks& t, SlowServer& server, DWORD delay, double low,
                    double high) {
    t.begin("a server that answers late keeps the tick");
    t.row("answers after %lu ms, Speed=20", static_cast<unsigned long>(delay));
    CorvaneRun run;
    if (!run.launch(t, "[General]\nSpeed=20\nLogFile=corvane.log\n") ||
        !E2E_CHECK(t, wait_for_log_line(run.window, kOk, kTimeoutMs))) {
        return;
    }
    server.delay_ms.store(delay);
    // Some 80 cycles at 25 ms, 100 at 20.
    wait_until([] { return false; }, 2000);
    run.exit(t);
    server.delay_ms.store(0);
    long cycles = 0;
    const double median = median_since_start(read_file(run.folder.file_path("corvane.log")),
                                             cycles);
    t.note("%ld cycles, interval median %.1f ms (the server answers after %lu ms)", cycles,
           median, static_cast<unsigned long>(delay));
    E2E_CHECK(t, cycles >= 60);
    E2E_CHECK(t, median >= low && median <= high);
}

void exit_finishes_the_command(Checks& t, SimHost& sim, SlowServer& server) {
    t.begin("Exit! while the server holds a cycle that posted a command");
    sim_set_u16(sim, kCommandWord, 0xFFFF);
    CorvaneRun run;
    if (!run.launch(t, "[General]\nSpeed=20\nState=1\n") ||
        !E2E_CHECK(t, wait_for_log_line(run.window, kOk, kTimeoutMs)) ||
        !E2E_CHECK(t, wait_until([&] { return sim_u8(sim, kState) == 1; }, kTimeoutMs))) {
        return;
    }
    server.delay_ms.store(300);
    sim_set_u16(sim, kCommandWord, static_cast<std::uint16_t>(kCommand));
    // Posted: the cycle's reset of the command word is under way, held.
    E2E_CHECK(t, wait_until([&] { return server.commands_seen.load() == 1; }, kTimeoutMs));
    const ULONGLONG pressed = GetTickCount64();
    run.exit(t);
    t.note("the exit took %llu ms", static_cast<unsigned long long>(GetTickCount64() - pressed));
    server.delay_ms.store(0);
    E2E_CHECK_EQ(t, server.commands_seen.load(), 1);
    E2E_CHECK_EQ(t, sim_u16(sim, kCommandWord), 0xFFFF);
    E2E_CHECK_EQ(t, sim_u8(sim, kState), 0);

    t.begin("a second start posts nothing");
    CorvaneRun again;
    if (!again.launch(t, "[General]\nSpeed=20\nState=1\n") ||
        !E2E_CHECK(t, wait_for_log_line(again.window, kOk, kTimeoutMs))) {
        return;
    }
    E2E_CHECK(t, wait_for_exchanges(sim, 20, kTimeoutMs));
    again.exit(t);
    E2E_CHECK_EQ(t, server.commands_seen.load(), 1);
}

}  // namespace

int main() {
    Checks t;
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: nothing to test here");
        return t.finish();
    }
    SimHost sim;
    SlowServer server;
    if (!E2E_CHECK(t, sim.start())) {
        return t.finish();
    }
    sim.set_observer(&server);
    sim_set_data_valid(sim, 1);
    keeps_its_tick(t, server, 25, 0.0, 30.0);
    keeps_its_tick(t, server, 12, 18.0, 22.0);
    exit_finishes_the_command(t, sim, server);
    sim.set_observer(nullptr);
    return t.finish();
}
