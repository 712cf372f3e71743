// End to end: bridge cycles over both real links against the stand-in. The
// data-valid gate, one exchange per cycle carrying the command reads, and a
// posted command reaching the aircraft through the "FS98MAIN" window.
#include "tests/e2e/bridge_rig.h"

namespace {

using namespace corvane;
using namespace corvane::e2e;

constexpr std::uint32_t kValueByte = 0x9428;
constexpr std::uint32_t kValueByteCommand = 1267;
constexpr int kQuietCycles = 5;

// The reads that end every cycle's exchange, in the order they are queued.
struct ExpectedRead {
    std::uint32_t offset;
    std::uint32_t size;
};
constexpr ExpectedRead kCommandReads[] = {
    {0x9400, 2}, {0x94F0, 1}, {0x94F1, 1}, {0x94F2, 1}, {0x94F3, 1}, {0x94F4, 1}, {0x94F5, 1},
    {0x94F6, 1}, {0x94F7, 1}, {0x94F8, 1}, {0x94F9, 1}, {0x94FA, 1}, {0x94FB, 1}, {0x9428, 1},
};
constexpr std::size_t kCommandReadCount = sizeof kCommandReads / sizeof kCommandReads[0];

// The exchange's records end with exactly the command reads, in order, and
// hold no other read.
void check_command_reads(Checks& t, const std::vector<sim::ServedRecord>& records) {
    std::size_t reads = 0;
    for (const sim::ServedRecord& record : records) {
        reads += record.id == fsuipc::kRecordRead ? 1 : 0;
    }
    E2E_CHECK_EQ(t, reads, kCommandReadCount);
    if (!E2E_CHECK(t, records.size() >= kCommandReadCount)) {
        return;
    }
    const std::size_t first = records.size() - kCommandReadCount;
    for (std::size_t i = 0; i < kCommandReadCount; ++i) {
        t.row("read %zu at 0x%04X", i + 1, kCommandReads[i].offset);
        E2E_CHECK_EQ(t, records[first + i].id, fsuipc::kRecordRead);
        E2E_CHECK_EQ(t, records[first + i].offset, kCommandReads[i].offset);
        E2E_CHECK_EQ(t, records[first + i].size, kCommandReads[i].size);
    }
    t.row("%s", "");
}

void cycles(Checks& t) {
    t.begin("open both links against the stand-in");
    BridgeRig rig;
    if (!E2E_CHECK_EQ(t, rig.open(), 0)) {
        return;
    }
    // As in a simulator with the offset server loaded: exchanges go to the
    // server's window, commands to the simulator's.
    E2E_CHECK_EQ(t, rig.bridge->client.server_window, rig.sim.window(ServerClass::Uipcmain));
    E2E_CHECK_EQ(t, rig.bridge->link.simulator_window, rig.sim.window(ServerClass::Fs98main));
    E2E_CHECK(t, rig.bridge->link.command_message != 0);

    t.begin("data-valid field 0: result 1, nothing exchanged");
    sim_set_data_valid(rig.sim, 0);
    const std::size_t before = sim_exchanges(rig.sim);
    E2E_CHECK_EQ(t, rig.cycle(), bridge::kAircraftDataMissing);
    E2E_CHECK_EQ(t, rig.cycle(), bridge::kAircraftDataMissing);
    E2E_CHECK_EQ(t, sim_exchanges(rig.sim), before);

    t.begin("data-valid field 1: result 0, one exchange per cycle ending in the 14 command reads");
    sim_set_data_valid(rig.sim, 1);
    for (int cycle = 1; cycle <= kQuietCycles; ++cycle) {
        t.row("cycle %d", cycle);
        const std::size_t served = sim_exchanges(rig.sim);
        E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
        E2E_CHECK_EQ(t, sim_exchanges(rig.sim), served + 1);
        check_command_reads(t, rig.last_records());
    }
    // Any non-zero field counts as valid for a cycle.
    sim_set_data_valid(rig.sim, 7);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    sim_set_data_valid(rig.sim, 1);

    t.begin("a value byte a client wrote reaches the aircraft as command 1267");
    rig.sim.with_aircraft([](sim::AircraftModel* aircraft) { aircraft->clear_commands(); });
    sim_set_u8(rig.sim, kValueByte, 42);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK(t, wait_for_commands(rig.sim, 1, kPostArrivalMs));
    // A later cycle with the byte unchanged posts nothing more.
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK(t, rig.sim.sync_posts(kPostArrivalMs));
    const std::vector<sim::PostedCommand> posted = sim_commands(rig.sim);
    if (E2E_CHECK_EQ(t, posted.size(), 1)) {
        E2E_CHECK_EQ(t, posted[0].command, kValueByteCommand);
        E2E_CHECK_EQ(t, posted[0].value, 42);
    }

    t.begin("aircraft withdrawn: the links reopen with 100; republished: 0 again");
    bridge::close_links(*rig.bridge);
    rig.sim.withdraw_aircraft();
    E2E_CHECK_EQ(t, bridge::open_links(*rig.bridge), aircraft::kNotAvailable);
    E2E_CHECK(t, rig.bridge->link.sdk1_view == nullptr && rig.bridge->link.sdk2_view == nullptr);
    E2E_CHECK(t, rig.sim.publish_aircraft());
    E2E_CHECK(t, !rig.sim.adopted_existing_mapping());
    sim_set_data_valid(rig.sim, 1);
    bridge::close_links(*rig.bridge);
    E2E_CHECK_EQ(t, bridge::open_links(*rig.bridge), 0);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);

    t.begin("the server window gone: the cycle returns the exchange's code 12");
    rig.sim.stop();
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kSendFailedWithError);
}

// Offsets and aircraft served from a "UIPCMAIN" window only: the bridge
// runs, but with no "FS98MAIN" window there is nobody to post commands to.
void without_simulator_window(Checks& t) {
    t.begin("server window UIPCMAIN only: cycles exchange, no command is posted");
    BridgeRig rig(HostOptions{WindowLayout::UipcmainOnly, true});
    if (!E2E_CHECK_EQ(t, rig.open(), 0)) {
        return;
    }
    E2E_CHECK_EQ(t, rig.bridge->link.simulator_window, kNoHandle);
    sim_set_u8(rig.sim, kValueByte, 42);
    const std::size_t served = sim_exchanges(rig.sim);
    E2E_CHECK_EQ(t, rig.cycle(), fsuipc::kOk);
    E2E_CHECK_EQ(t, sim_exchanges(rig.sim), served + 1);
    check_command_reads(t, rig.last_records());
    E2E_CHECK(t, rig.sim.sync_posts(kPostArrivalMs));
    E2E_CHECK_EQ(t, rig.sim.counters().commands, 0);
}

}  // namespace

int main() {
    Checks t;
    cycles(t);
    without_simulator_window(t);
    return t.finish();
}
