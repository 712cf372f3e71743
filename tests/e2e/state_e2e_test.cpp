// End to end: Corvane's state in the block. With State=1 corvane.exe writes
// 1 at 0x9429 while it bridges, 2 once the aircraft stops being ready and 0
// when it ends, and moves the heartbeat at 0x942A about once a second while
// it bridges only; with the default settings 0x9429-0x942F are never written.
#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane::e2e;

constexpr std::uint32_t kState = 0x9429;
constexpr std::uint32_t kHeartbeat = 0x942A;
constexpr std::uint32_t kUntouchedEnd = 0x942F;
constexpr std::uint8_t kPoison = 0xEE;
constexpr DWORD kStartMs = 20000;

bool start_corvane(Checks& t, TempFolder& folder, AppProcess& app, const char* ini, HWND& window) {
    if (!E2E_CHECK(t, folder.write_file("corvane.ini", ini)) ||
        !E2E_CHECK(t, app.start(app_path(), folder.path()))) {
        return false;
    }
    window = app.wait_window(kMainWindowClass, kStartMs);
    return E2E_CHECK(t, window != nullptr) && E2E_CHECK(t, wait_for_log_line(window, kOk, kStartMs));
}

void exit_corvane(Checks& t, AppProcess& app, HWND window) {
    press_button(window, kExitButtonId);
    DWORD code = 1;
    E2E_CHECK(t, app.wait_exit(10000, &code));
    E2E_CHECK_EQ(t, code, 0);
}

// Heartbeat moves over a stretch of time (wrapping).
int beats_over(SimHost& sim, DWORD milliseconds) {
    const std::uint8_t before = sim_u8(sim, kHeartbeat);
    pump_messages(0);
    wait_until([] { return false; }, milliseconds);
    return static_cast<std::uint8_t>(sim_u8(sim, kHeartbeat) - before);
}

void untouched_by_default(Checks& t, SimHost& sim) {
    t.begin("default settings: 0x9429-0x942F never written");
    for (std::uint32_t offset = kState; offset <= kUntouchedEnd; ++offset) {
        sim_set_u8(sim, offset, kPoison);
    }
    TempFolder folder;
    AppProcess app;
    HWND window = nullptr;
    if (!start_corvane(t, folder, app, "[General]\nSpeed=20\n", window)) {
        return;
    }
    E2E_CHECK(t, wait_for_exchanges(sim, 50, 10000));
    exit_corvane(t, app, window);
    for (std::uint32_t offset = kState; offset <= kUntouchedEnd; ++offset) {
        t.row("0x%04X", static_cast<unsigned>(offset));
        E2E_CHECK_EQ(t, sim_u8(sim, offset), kPoison);
    }
}

void state_and_heartbeat(Checks& t, SimHost& sim) {
    t.begin("State=1: 1 while bridging, the heartbeat once a second");
    TempFolder folder;
    AppProcess app;
    HWND window = nullptr;
    if (!start_corvane(t, folder, app, "[General]\nSpeed=20\nState=1\n", window)) {
        return;
    }
    E2E_CHECK(t, wait_until([&] { return sim_u8(sim, kState) == 1; }, 5000));
    const int beats = beats_over(sim, 3500);
    t.note("%d heartbeats in 3.5 s", beats);
    E2E_CHECK(t, beats >= 3 && beats <= 4);

    t.begin("State=1: 2 once the aircraft stops being ready, the heartbeat still");
    sim_set_data_valid(sim, 0);
    E2E_CHECK(t, wait_for_log_line(window, kIflyNotOk, 10000));
    E2E_CHECK_EQ(t, sim_u8(sim, kState), 2);
    E2E_CHECK_EQ(t, beats_over(sim, 1500), 0);

    t.begin("State=1: 1 again after Run!, 0 after Exit!");
    sim_set_data_valid(sim, 1);
    press_button(window, kRunButtonId);
    E2E_CHECK(t, wait_until([&] { return sim_u8(sim, kState) == 1; }, 10000));
    exit_corvane(t, app, window);
    E2E_CHECK_EQ(t, sim_u8(sim, kState), 0);
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
    if (!E2E_CHECK(t, sim.start())) {
        return t.finish();
    }
    sim_set_data_valid(sim, 1);
    untouched_by_default(t, sim);
    state_and_heartbeat(t, sim);
    return t.finish();
}
