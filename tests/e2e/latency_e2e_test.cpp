// End to end: the latency probe of corvane-sim --latency across a running
// corvane.exe, for a few seconds. It checks only that both roads were
// sampled and that no sample took a second or more; the timing goals belong
// to scripts/latency.sh, never to a test on a shared machine.
#include "sim/win32/latency_probe.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kTimeoutMs = 20000;
constexpr std::uint32_t kProbeSeconds = 4;
constexpr std::uint32_t kWarmupMs = 30000;
constexpr double kBoundMs = 1000.0;
constexpr std::uint32_t kCommandWord = 0x9400;

void probe_across_corvane(Checks& t) {
    t.begin("the probe times both roads across corvane.exe");
    SimHost sim;
    if (!E2E_CHECK(t, sim.start())) {
        return;
    }
    sim_set_data_valid(sim, 1);
    sim_set_u16(sim, kCommandWord, 0xFFFF);
    TempFolder folder;
    AppProcess app;
    if (!E2E_CHECK(t, folder.write_file("corvane.ini", "[General]\nSpeed=20\n")) ||
        !E2E_CHECK(t, app.start(app_path(), folder.path()))) {
        return;
    }
    const sim::win32::LatencyReport report =
        sim::win32::run_latency_probe(sim, {kProbeSeconds, kWarmupMs}, stdout);
    sim::win32::print_latency_report(stdout, report);
    E2E_CHECK(t, report.bridge_found);
    E2E_CHECK(t, report.bridge.exchanges > 0);
    for (const sim::win32::RoadFigures* road : {&report.export_road, &report.command_road}) {
        t.row(road == &report.export_road ? "aircraft to offsets" : "offsets to aircraft");
        E2E_CHECK(t, road->samples > 0);
        E2E_CHECK_EQ(t, road->lost, 0);
        E2E_CHECK(t, road->max_ms < kBoundMs);
    }

    const HWND window = app.wait_window(kMainWindowClass, kTimeoutMs);
    if (E2E_CHECK(t, window != nullptr)) {
        press_button(window, kExitButtonId);
    }
    E2E_CHECK(t, app.wait_exit(kTimeoutMs));
}

}  // namespace

int main() {
    Checks t;
#if !defined(__WINE__)
    // A Windows build without a settings reader has no corvane.exe to start.
    if (app_path().empty()) {
        t.note("corvane.exe was not built: nothing to probe");
        return t.finish();
    }
#endif
    probe_across_corvane(t);
    return t.finish();
}
