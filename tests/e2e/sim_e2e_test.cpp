// End to end: corvane-sim as a program of its own, reached from this test
// process as Corvane would reach a simulator: the offset server's window,
// the aircraft's mappings and command message, across two processes.
#include "aircraft/link.h"
#include "export/export.h"
#include "fsuipc/client.h"
#include "platform/win32_os.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr DWORD kStartMs = 20000;
constexpr DWORD kExitMs = 30000;
constexpr DWORD kCommandMs = 5000;
constexpr char kRunSeconds[] = "--seconds 6";
constexpr std::uint32_t kCommandWord = 0x9400;
constexpr std::uint32_t kAltitudeDisplay = 0x943A;
constexpr std::uint32_t kHeadingDisplay = 0x9438;
constexpr std::int32_t kSetAltitude = 1232;
constexpr DWORD kRefusedExitCode = 1;

std::string sim_path() {
#ifdef CORVANE_SIM_PATH
    return windows_path(CORVANE_SIM_PATH);
#else
    return {};
#endif
}

// The altitude and heading the aircraft shows now, decoded as the bridge does.
double shown(const aircraft::Link& link, std::uint32_t display_offset) {
    aircraft::Snapshots blocks;
    aircraft::snapshot_sdk1(link, blocks);
    data_export::DisplayValues displays;
    data_export::decode_displays(blocks, displays);
    return data_export::display_at(displays, display_offset);
}

void program(Checks& t) {
    t.begin("corvane-sim serves another process: offsets, aircraft, knob commands");
    TempFolder folder;
    AppProcess sim;
    if (!E2E_CHECK(t, sim.start(sim_path(), folder.path(), kRunSeconds, true))) {
        return;
    }
    const HWND window = sim.wait_window(fsuipc::kSimulatorClass, kStartMs);
    if (!E2E_CHECK(t, window != nullptr)) {
        return;
    }

    Win32Os os;
    fsuipc::Client client;
    std::int32_t code = -1;
    E2E_CHECK_EQ(t, fsuipc::open(client, os, 0, code), 1);
    E2E_CHECK_EQ(t, code, fsuipc::kOk);
    std::uint16_t command_word = 0;
    fsuipc::read(client, kCommandWord, sizeof command_word, &command_word, code);
    E2E_CHECK_EQ(t, fsuipc::process(client, os, code), 1);
    // Parked with no command pending, not with command 0.
    E2E_CHECK_EQ(t, command_word, 0xFFFF);

    aircraft::Link link;
    E2E_CHECK_EQ(t, aircraft::open(link, os, 0), 0);
    E2E_CHECK_EQ(t, link.simulator_window, reinterpret_cast<Handle>(window));
    aircraft::Snapshots blocks;
    E2E_CHECK(t, aircraft::snapshot_sdk1(link, blocks));
    E2E_CHECK_EQ(t, aircraft::data_valid_field(blocks), 1);
    E2E_CHECK_EQ(t, shown(link, kAltitudeDisplay), 10000.0);
    E2E_CHECK_EQ(t, shown(link, kHeadingDisplay), 270.0);

    // A knob command sticks although the rest of the cockpit keeps moving.
    aircraft::post_command(link, os, kSetAltitude, 12000.0);
    E2E_CHECK(t, wait_until([&] { return shown(link, kAltitudeDisplay) == 12000.0; }, kCommandMs));
    E2E_CHECK(t, !wait_until([&] { return shown(link, kAltitudeDisplay) != 12000.0; }, 500));

    t.begin("a second corvane-sim refuses to start beside the first");
    AppProcess second;
    if (E2E_CHECK(t, second.start(sim_path(), folder.path(), kRunSeconds, true))) {
        DWORD exit_code = 0;
        E2E_CHECK(t, second.wait_exit(kExitMs, &exit_code));
        E2E_CHECK_EQ(t, exit_code, kRefusedExitCode);
    }

    t.begin("corvane-sim ends by itself after --seconds, with exit code 0");
    aircraft::close(link, os);
    fsuipc::close(client, os);
    DWORD exit_code = 1;
    E2E_CHECK(t, sim.wait_exit(kExitMs, &exit_code));
    E2E_CHECK_EQ(t, exit_code, 0);
    E2E_CHECK(t, FindWindowExA(nullptr, nullptr, fsuipc::kSimulatorClass, nullptr) == nullptr);
}

}  // namespace

int main() {
    Checks t;
    program(t);
    return t.finish();
}
